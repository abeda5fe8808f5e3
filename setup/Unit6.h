// Creating a new directory below the chooser's current one.
#pragma once

#include "platform/vcl/FileCtrl.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

class TForm6 : public TForm {
public:
    explicit TForm6(TComponent* AOwner) : TForm(AOwner) {}
    std::string ClassName() const override { return "TForm6"; }

    TLabel* Label1 = nullptr;
    TEdit* Edit1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;

    // "Create": the directory named by Edit1 below the current one.
    void Button1Click(TObject* Sender);

    void Loaded() override;
};

extern TForm6* Form6;
