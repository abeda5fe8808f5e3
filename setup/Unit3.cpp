#include "setup/Unit3.h"

#include <cmath>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumFormat.h"
#include "platform/win/Files.h"
#include "platform/win/SysFiles.h"
#include "platform/win/System.h"
#include "setup/Mesmov32.h"
#include "setup/Unit1.h"
#include "setup/Unit5.h"

int32_t CurrentPage = 0;
std::string DestinationDir;
int32_t TotalProgressMax = 0;
int32_t ShortcutStep = 0;

TForm3* Form3 = nullptr;

void ResetInstallationState()
{
    CurrentPage = 0;
    DestinationDir.clear();
    TotalProgressMax = 0;
    ShortcutStep = 0;
}

PUBLISHED_PROPERTIES(TForm3, TForm) {}
PUBLISHED_METHODS(TForm3, TForm)
{
    PUBLISH_METHOD(FormShow);
    PUBLISH_METHOD(Button1Click);
    PUBLISH_METHOD(Button2Click);
    PUBLISH_METHOD(Button3Click);
    PUBLISH_METHOD(Button4Click);
    PUBLISH_METHOD(LZHBatch1Progress);
}
REGISTER_CLASS(TForm3);

namespace {

// A product computed in extended precision, rounded to the nearest integer, halves to
// the even neighbour (the default rounding mode).
int32_t RoundTimes(int32_t Value, long double Factor) { return int32_t(std::nearbyintl(Value * Factor)); }

// The product's files, removed before the archive is expanded.
const char* const kProductFiles[] = {"\\tessaly.exe", "\\readme.txt", "\\uninstall.exe", "\\tessaly.hlp",
                                     "\\tsly.dll"};

struct ShortcutRow {
    int FileBar;
    const char* Target;       // appended to the destination
    const char* Description;
    bool IconFromTarget;
    const char* File;         // appended to the Programs folder
};

const ShortcutRow kShortcuts[] = {
    {20, "\\tessaly.exe", "Tesasly v1.1", true, "\\Tessaly v1.1\\Tessaly v1.1.lnk"},
    {40, "\\readme.txt", "Readme", false, "\\Tessaly v1.1\\Readme.lnk"},
    {60, "\\uninstall.exe", "Uninstall Tessaly", false, "\\Tessaly v1.1\\Uninstall Tessaly.lnk"},
    {80, "\\tessaly.hlp", "Tessaly Help", false, "\\Tessaly v1.1\\Tessaly Help.lnk"},
};

// The group's shortcut files, in the order they are looked for and deleted.
const char* const kGroupFiles[] = {"\\Tessaly v1.1\\Tessaly v1.1.lnk", "\\Tessaly v1.1\\Tessaly Help.lnk",
                                   "\\Tessaly v1.1\\Uninstall Tessaly.lnk", "\\Tessaly v1.1\\Readme.lnk"};

}  // namespace

void TForm3::Loaded()
{
    TForm::Loaded();
    BindComponent(Panel1, "Panel1");
    BindComponent(Image1, "Image1");
    BindComponent(Notebook1, "Notebook1");
    BindComponent(Bevel1, "Bevel1");
    BindComponent(Button1, "Button1");
    BindComponent(Button2, "Button2");
    BindComponent(Button3, "Button3");
    BindComponent(Button4, "Button4");
    BindComponent(Image2, "Image2");
    BindComponent(Memo1, "Memo1");
    BindComponent(Label9, "Label9");
    BindComponent(Label10, "Label10");
    BindComponent(Label11, "Label11");
    BindComponent(Label12, "Label12");
    BindComponent(Label13, "Label13");
    BindComponent(Label14, "Label14");
    BindComponent(Label15, "Label15");
    BindComponent(Label16, "Label16");
    BindComponent(Label19, "Label19");
    BindComponent(ProgressBar1, "ProgressBar1");
    BindComponent(ProgressBar2, "ProgressBar2");
    BindComponent(CheckBox1, "CheckBox1");
    BindComponent(LZHBatch1, "LZHBatch1");
    BindComponent(RegistryEdit1, "RegistryEdit1");
    BindComponent(ShortcutLink1, "ShortcutLink1");
}

void TForm3::ShowPage() { Notebook1->SetActivePage("Page" + IntToStr(CurrentPage)); }

void TForm3::FormShow(TObject*) { LZHBatch1->SetArchiveFileName(Form1->KvSystemPath1->Temp() + "setup.lzd"); }

void TForm3::Button1Click(TObject*)
{
    if (CurrentPage < 5) {
        ++CurrentPage;
        ShowPage();
        if (CurrentPage == 5) {
            Button1->SetCaption("&Finish");
            Button2->SetEnabled(false);
            Button3->SetEnabled(false);
        }
        if (CurrentPage == 1) Button3->SetEnabled(true);
        if (CurrentPage == 2) {
            // Every move to the directory page starts from the default again.
            DestinationDir = Form1->KvSystemPath1->ProgramFiles() + "\\Tessaly";
            Label9->SetCaption(DestinationDir);
            Label19->SetCaption(DestinationDir);
        }
    } else if (CurrentPage == 5) {
        if (CheckBox1->Checked()) WinExec((DestinationDir + "\\tessaly.exe").c_str(), SW_SHOW);
        Close();
    }
    if (CurrentPage == 4) InstallationSequence();
}

void TForm3::Button3Click(TObject*)
{
    if (CurrentPage > 0) {
        --CurrentPage;
        ShowPage();
        if (CurrentPage == 0) Button3->SetEnabled(false);
    }
}

void TForm3::Button2Click(TObject*)
{
    if (ShowMessageDialog("Pallimer is not yet finished!!\rAre you sure you want to quit?", mtWarning,
                          MsgDlgButton(mbYes) | MsgDlgButton(mbNo), 0) == mrYes)
        Close();
}

void TForm3::Button4Click(TObject*)
{
    Form5->BitBtn1->SetVisible(true);
    if (DirectoryExists(Label19->Caption())) Form5->DirectoryListBox1->SetDirectory(Label19->Caption());
    else Form5->DirectoryListBox1->SetDirectory("C:\\Program Files");
    if (Form5->ShowModal() == mrOk) {
        Label9->SetCaption(Form5->Label1->Caption());
        Label19->SetCaption(Form5->DirectoryListBox1->Directory());
    }
}

void TForm3::RemovePreviousFiles()
{
    for (const char* name : kProductFiles) {
        std::string path = DestinationDir + name;
        if (FileExists(path)) DeleteFile(path);
    }
}

void TForm3::PrepareProgramGroup()
{
    auto programs = [this] {
        std::string p;
        ShortcutLink1->ProgramsFolder(p);
        return p;
    };
    bool any = false;
    for (const char* file : kGroupFiles)
        if (FileExists(programs() + file)) {
            any = true;
            break;
        }
    if (!any) {
        std::string group = programs() + "\\Tessaly v1.1";
        if (!DirectoryExists(group) && !CreateDirectoryA(group)) RaiseInOutError(int(GetLastError()));
        return;
    }
    for (const char* file : kGroupFiles) {
        std::string path = programs() + file;
        if (FileExists(path)) DeleteFile(path);
    }
}

void TForm3::InstallationSequence()
{
    DestinationDir = Label19->Caption();
    Label12->SetCaption(Label9->Caption());
    LZHBatch1->SetOutputDirectory(DestinationDir);
    Button3->SetEnabled(false);
    Button1->SetEnabled(false);
    Label10->SetVisible(false);
    for (TControl* c : std::initializer_list<TControl*>{Label11, Label12, Label13, Label15, Label16, ProgressBar1,
                                                       ProgressBar2})
        c->SetVisible(true);
    Repaint();

    RemovePreviousFiles();
    LZHBatch1->SetOverwriteExisting(true);
    LZHBatch1->ExtractArchive();

    ProgressBar1->SetMax(100);
    ProgressBar1->SetPosition(0);
    Label14->SetCaption("Creating shorcuts...");
    Repaint();
    ShortcutStep = RoundTimes(TotalProgressMax, 0.04L);

    RegistryEdit1->WriteString("InstallDir", DestinationDir);
    if (!RegistryEdit1->ValueExists("InstallDate")) RegistryEdit1->WriteDateTime("InstallDate", Now());
    PrepareProgramGroup();

    for (const ShortcutRow& row : kShortcuts) {
        Sleep(200);
        ProgressBar2->SetPosition(uint16_t(ProgressBar2->Position() + ShortcutStep));
        ProgressBar1->SetPosition(row.FileBar);
        ShortcutLink1->SetTarget(DestinationDir + row.Target);
        ShortcutLink1->SetDescription(row.Description);
        ShortcutLink1->SetWorkingDir(DestinationDir);
        ShortcutLink1->SetIconLocation(row.IconFromTarget ? DestinationDir + row.Target : std::string());
        std::string programs;
        ShortcutLink1->ProgramsFolder(programs);
        ShortcutLink1->SetShortcutFile(programs + row.File);
        ShortcutLink1->CreateLink();
    }

    RegistryEdit1->SetRootKey(rkLocalMachine);
    RegistryEdit1->SetRegKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaly v1.1");
    RegistryEdit1->WriteString("DisplayName", "Tessaly v1.1");
    RegistryEdit1->WriteString("UninstallString", DestinationDir + "\\uninstall.exe");
    Sleep(200);
    ProgressBar2->SetPosition(TotalProgressMax);
    ProgressBar1->SetPosition(100);
    Sleep(400);

    CurrentPage = 5;
    Notebook1->SetActivePage("Page5");
    Repaint();
    Button1->SetEnabled(true);
    Button1->SetCaption("&Finish");
    Button1->SetFocus();
    Button2->SetEnabled(false);
    Button3->SetEnabled(false);
}

void TForm3::LZHBatch1Progress(TObject*, const std::string& FileName, int32_t FileBytesWritten, int32_t FileBytes,
                               int32_t TotalBytesWritten, int32_t TotalBytes, bool&)
{
    Label14->SetCaption(FileName);
    ProgressBar1->SetMax(FileBytes / 1024);
    ProgressBar1->SetPosition(FileBytesWritten / 1024);
    int32_t k = TotalBytes / 1024;
    TotalProgressMax = k + RoundTimes(k, 0.2L);
    ProgressBar2->SetMax(TotalProgressMax);
    ProgressBar2->SetPosition(TotalBytesWritten / 1024);
    Repaint();
}
