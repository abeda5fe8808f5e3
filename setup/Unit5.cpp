#include "setup/Unit5.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "setup/Unit6.h"

TForm5* Form5 = nullptr;

PUBLISHED_PROPERTIES(TForm5, TForm) {}
PUBLISHED_METHODS(TForm5, TForm)
{
    PUBLISH_METHOD(BitBtn1Click);
}
REGISTER_CLASS(TForm5);

void TForm5::Loaded()
{
    TForm::Loaded();
    BindComponent(Label1, "Label1");
    BindComponent(DirectoryListBox1, "DirectoryListBox1");
    BindComponent(DriveComboBox1, "DriveComboBox1");
    BindComponent(Button1, "Button1");
    BindComponent(Button2, "Button2");
    BindComponent(BitBtn1, "BitBtn1");
}

void TForm5::BitBtn1Click(TObject*)
{
    Form6->DirectoryListBox1->SetDirectory(DirectoryListBox1->Directory());
    if (Form6->ShowModal() == mrOk) DirectoryListBox1->SetDirectory(Form6->DirectoryListBox1->Directory());
}
