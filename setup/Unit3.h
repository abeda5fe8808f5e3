// The installation wizard and the installation sequence.
#pragma once

#include <cstdint>
#include <string>

#include "archive/Lzh_btch.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "system/ShortcutLink.h"
#include "system/regedit.h"

// Installation state shared by the wizard and the sequence.
extern int32_t CurrentPage;         // the visible page, 0..5
extern std::string DestinationDir;  // without a trailing backslash
extern int32_t TotalProgressMax;    // the total bar's maximum, in KB
extern int32_t ShortcutStep;        // what each shortcut adds to the total bar
// The state as a program starts with it (for test programs that run the installer more
// than once).
void ResetInstallationState();

class TForm3 : public TForm {
public:
    explicit TForm3(TComponent* AOwner) : TForm(AOwner) {}
    std::string ClassName() const override { return "TForm3"; }

    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    TNotebook* Notebook1 = nullptr;
    TBevel* Bevel1 = nullptr;
    TButton* Button1 = nullptr;  // Next / Finish
    TButton* Button2 = nullptr;  // Cancel
    TButton* Button3 = nullptr;  // Back
    TButton* Button4 = nullptr;  // Browse
    TImage* Image2 = nullptr;
    TMemo* Memo1 = nullptr;
    TLabel* Label9 = nullptr;    // the destination as displayed
    TLabel* Label10 = nullptr;
    TLabel* Label11 = nullptr;
    TLabel* Label12 = nullptr;
    TLabel* Label13 = nullptr;
    TLabel* Label14 = nullptr;   // the current file
    TLabel* Label15 = nullptr;
    TLabel* Label16 = nullptr;
    TLabel* Label19 = nullptr;   // the destination's full path (hidden)
    TProgressBar* ProgressBar1 = nullptr;  // file progress
    TProgressBar* ProgressBar2 = nullptr;  // total progress
    TCheckBox* CheckBox1 = nullptr;        // run the program at Finish
    TLZHBatch* LZHBatch1 = nullptr;
    TRegistryEdit* RegistryEdit1 = nullptr;
    TShortcutLink* ShortcutLink1 = nullptr;

    void FormShow(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button3Click(TObject* Sender);
    void Button4Click(TObject* Sender);
    void LZHBatch1Progress(TObject* Sender, const std::string& FileName, int32_t FileBytesWritten,
                           int32_t FileBytes, int32_t TotalBytesWritten, int32_t TotalBytes, bool& Cancel);

    // The steps of the installation (run when Next leaves the ready page).
    void InstallationSequence();
    void RemovePreviousFiles();
    void PrepareProgramGroup();

    void Loaded() override;

private:
    void ShowPage();
};

extern TForm3* Form3;
