#include "setup/Unit1.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/win/Com.h"
#include "platform/win/DesktopMenu.h"
#include "platform/win/SysFiles.h"
#include "setup/Mesmov32.h"
#include "setup/Unit2.h"
#include "setup/Unit3.h"
#include "setup/Unit5.h"
#include "setup/Unit6.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/FileCtrl.h"
#include "platform/vcl/Gauges.h"

TForm1* Form1 = nullptr;

PUBLISHED_PROPERTIES(TForm1, TForm) {}
PUBLISHED_METHODS(TForm1, TForm)
{
    PUBLISH_METHOD(FormShow);
    PUBLISH_METHOD(FormActivate);
    PUBLISH_METHOD(FormClose);
}
REGISTER_CLASS(TForm1);

std::string TemporaryArchivePath() { return Form1->KvSystemPath1->Temp() + "setup.lzd"; }

void TForm1::Loaded()
{
    TForm::Loaded();
    BindComponent(Background1, "Background1");
    BindComponent(ArtLabel1, "ArtLabel1");
    BindComponent(Label1, "Label1");
    BindComponent(FileStorage1, "FileStorage1");
    BindComponent(KvSystemPath1, "KvSystemPath1");
}

void TForm1::FormShow(TObject*)
{
    // The loading form plays its gauge while it is shown (its activation handler).
    Form2->Show();
    Form2->Close();
    SetTop(0);
    SetLeft(0);
    SetWidth(Screen->Width());
    SetHeight(Screen->Height());
    // The background fills the window; the notice sits 8 pixels from the corner.
    Background1->SetTop(0);
    Background1->SetLeft(0);
    Background1->SetHeight(ClientHeight());
    Background1->SetWidth(ClientWidth());
    Label1->SetLeft(ClientWidth() - Label1->Width() - 8);
    Label1->SetTop(ClientHeight() - Label1->Height() - 8);
    Repaint();
    FileStorage1->SaveToFile(KvSystemPath1->Temp() + "setup.lzd");
}

void TForm1::FormActivate(TObject*)
{
    if (Form3->ShowModal() == mrCancel) Application->Terminate();
    Close();
}

void TForm1::FormClose(TObject*, TCloseAction&) { DeleteFile(KvSystemPath1->Temp() + "setup.lzd"); }

void RegisterInstallerClasses()
{
    // The form descriptions create these by name; registering them here also links them
    // into the program.
    RegisterComponentClass<TForm1>("TForm1");
    RegisterComponentClass<TForm2>("TForm2");
    RegisterComponentClass<TForm3>("TForm3");
    RegisterComponentClass<TForm5>("TForm5");
    RegisterComponentClass<TForm6>("TForm6");
    RegisterComponentClass<TBackground>("TBackground");
    RegisterComponentClass<TArtLabel>("TArtLabel");
    RegisterComponentClass<TLabel>("TLabel");
    RegisterComponentClass<TFileStorage>("TFileStorage");
    RegisterComponentClass<TKvSystemPath>("TKvSystemPath");
    RegisterComponentClass<TSpeedButton>("TSpeedButton");
    RegisterComponentClass<TImage>("TImage");
    RegisterComponentClass<TPanel>("TPanel");
    RegisterComponentClass<TGauge>("TGauge");
    RegisterComponentClass<TBevel>("TBevel");
    RegisterComponentClass<TNotebook>("TNotebook");
    RegisterComponentClass<TPage>("TPage");
    RegisterComponentClass<TButton>("TButton");
    RegisterComponentClass<TBitBtn>("TBitBtn");
    RegisterComponentClass<TEdit>("TEdit");
    RegisterComponentClass<TMemo>("TMemo");
    RegisterComponentClass<TGroupBox>("TGroupBox");
    RegisterComponentClass<TCheckBox>("TCheckBox");
    RegisterComponentClass<TProgressBar>("TProgressBar");
    RegisterComponentClass<TLZHBatch>("TLZHBatch");
    RegisterComponentClass<TRegistryEdit>("TRegistryEdit");
    RegisterComponentClass<TShortcutLink>("TShortcutLink");
    RegisterComponentClass<TDirectoryListBox>("TDirectoryListBox");
    RegisterComponentClass<TDriveComboBox>("TDriveComboBox");
}

void CreateInstallerForms()
{
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->CreateForm(Form5);
    Application->CreateForm(Form6);
}

int RunInstaller()
{
    RegisterInstallerClasses();
    // Shortcuts the installation makes also appear in the desktop's application menu.
    DesktopMenu::Enable();
    CoInitialize(nullptr);
    Application->Initialize();
    InstallMessageDialog();
    Application->SetTitle("Tessaly v1.1 Pallimer");
    int code = 0;
    try {
        CreateInstallerForms();
        Application->Run();
    } catch (const std::exception& e) {
        // A program that cannot build its windows says why and ends.
        Application->ShowException(e);
        code = 1;
    }
    Application->Shutdown();
    CoUninitialize();
    return code;
}
