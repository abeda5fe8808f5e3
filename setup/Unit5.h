// The directory chooser.
#pragma once

#include "platform/vcl/Buttons.h"
#include "platform/vcl/FileCtrl.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TForm5 : public TForm {
public:
    explicit TForm5(TComponent* AOwner) : TForm(AOwner) {}
    std::string ClassName() const override { return "TForm5"; }

    TLabel* Label1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TBitBtn* BitBtn1 = nullptr;

    // "New...": a new directory below the current one, chosen in Form6.
    void BitBtn1Click(TObject* Sender);

    void Loaded() override;
};

extern TForm5* Form5;
