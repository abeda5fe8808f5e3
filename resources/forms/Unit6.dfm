object Form6: TForm6
  Left = 374
  Top = 275
  BorderIcons = []
  BorderStyle = bsSingle
  Caption = 'New directory...'
  ClientHeight = 247
  ClientWidth = 305
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  PixelsPerInch = 96
  Position = poScreenCenter
  TextHeight = 13
  object Label1: TLabel
    Left = 8
    Top = 8
    Width = 201
    Height = 13
    Caption = 'C:\'
  end
  object Edit1: TEdit
    Left = 8
    Top = 24
    Width = 201
    Height = 21
    TabOrder = 0
    Text = '\'
  end
  object DirectoryListBox1: TDirectoryListBox
    Left = 8
    Top = 48
    Width = 201
    Height = 161
    DirLabel = Label1
    ItemHeight = 16
    TabOrder = 1
  end
  object DriveComboBox1: TDriveComboBox
    Left = 8
    Top = 216
    Width = 201
    Height = 21
    DirList = DirectoryListBox1
    TabOrder = 2
  end
  object Button1: TButton
    Left = 222
    Top = 8
    Width = 75
    Height = 25
    Caption = '&Create'
    Default = True
    ModalResult = 1
    TabOrder = 3
    OnClick = Button1Click
  end
  object Button2: TButton
    Left = 222
    Top = 40
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Cancel'
    ModalResult = 2
    TabOrder = 4
  end
end
