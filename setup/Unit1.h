// The background window (the main form) and the installer's start and end.
#pragma once

#include "archive/FStorage.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "presentation/ArtLabel.h"
#include "presentation/Backgnd.h"
#include "system/KvSystem.h"

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* AOwner) : TForm(AOwner) {}
    std::string ClassName() const override { return "TForm1"; }

    TBackground* Background1 = nullptr;
    TArtLabel* ArtLabel1 = nullptr;
    TLabel* Label1 = nullptr;
    TFileStorage* FileStorage1 = nullptr;
    TKvSystemPath* KvSystemPath1 = nullptr;

    void FormShow(TObject* Sender);
    void FormActivate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    void Loaded() override;
};

extern TForm1* Form1;

// The temporary copy of the payload: the temporary folder followed by "setup.lzd".
std::string TemporaryArchivePath();

// Registers every class the installer's form descriptions name.
void RegisterInstallerClasses();

// The five forms, in their order; the first is the main form.
void CreateInstallerForms();

// The main block: COM, the application and its five forms, the message loop. Returns the
// process's exit code.
int RunInstaller();
