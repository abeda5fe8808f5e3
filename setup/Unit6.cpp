#include "setup/Unit6.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/win/Files.h"

TForm6* Form6 = nullptr;

PUBLISHED_PROPERTIES(TForm6, TForm) {}
PUBLISHED_METHODS(TForm6, TForm)
{
    PUBLISH_METHOD(Button1Click);
}
REGISTER_CLASS(TForm6);

void TForm6::Loaded()
{
    TForm::Loaded();
    BindComponent(Label1, "Label1");
    BindComponent(Edit1, "Edit1");
    BindComponent(DirectoryListBox1, "DirectoryListBox1");
    BindComponent(DriveComboBox1, "DriveComboBox1");
    BindComponent(Button1, "Button1");
    BindComponent(Button2, "Button2");
}

void TForm6::Button1Click(TObject*)
{
    const std::string& name = Edit1->Text();
    const std::string& dir = DirectoryListBox1->Directory();
    if (name.empty() || name == "\\") return;
    // The name as typed: at a drive root the directory already ends with a backslash.
    std::string path = name[0] == '\\' ? dir + name : dir + "\\" + name;
    if (!CreateDirectoryA(path)) RaiseInOutError(int(GetLastError()));
    DirectoryListBox1->SetDirectory(path);
}
