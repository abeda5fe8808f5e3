object ResForm1: TResForm
  Caption = 'From a resource'
end
