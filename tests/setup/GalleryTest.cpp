// A form with every control of the window layer and the drawing controls, read from its
// description: properties by name, events, references, stable writing, the errors of a
// bad description, and pictures of it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"
#include "platform/classes/TextForm.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FileCtrl.h"
#include "platform/vcl/Gauges.h"
#include "platform/vcl/Screenshot.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/TestDriver.h"
#include "presentation/ArtLabel.h"
#include "presentation/Backgnd.h"
#include "presentation/Nyanimat.h"
#include "setup/Mesmov32.h"
#include "tests/support/GuiTest.h"

using testsupport::ModalScript;

class TGalleryForm : public TForm {
public:
    using TForm::TForm;
    std::string ClassName() const override { return "TGalleryForm"; }
    int clicks = 0, shows = 0;
    void Button1Click(TObject*) { ++clicks; }
    void FormShow(TObject*) { ++shows; }
};
PUBLISHED_PROPERTIES(TGalleryForm, TForm) {}
PUBLISHED_METHODS(TGalleryForm, TForm)
{
    PUBLISH_METHOD(Button1Click);
    PUBLISH_METHOD(FormShow);
}
REGISTER_CLASS(TGalleryForm);

namespace {

std::string GalleryText()
{
    std::ifstream f(std::string(PALLIMER_TEST_DATA) + "/Gallery.dfm", std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void Load(TComponent* root, const std::string& text)
{
    std::string binary = FormTextToBinary(text);
    TReadOnlyMemoryStream s(binary.data(), int64_t(binary.size()));
    TReader r(s);
    r.ReadRootComponent(root);
}

std::string Write(TComponent* root)
{
    TMemoryStream out;
    TWriter w(out);
    w.WriteRootComponent(root);
    return std::string(reinterpret_cast<const char*>(out.Memory()), size_t(out.Size()));
}

template <class T>
T* Get(TComponent* owner, const char* name)
{
    auto* c = dynamic_cast<T*>(owner->FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

std::string LoadError(const std::string& text)
{
    TGalleryForm f(nullptr);
    try {
        Load(&f, text);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no error)";
}

class Gallery : public GuiTest {};

TEST_F(Gallery, EveryControlReadsItsPropertiesEventsAndReferences)
{
    TGalleryForm f(nullptr);
    Load(&f, GalleryText());
    EXPECT_EQ(f.Caption(), "Gallery");
    EXPECT_EQ(f.ClientWidth(), 620);
    EXPECT_EQ(f.ClientHeight(), 420);
    EXPECT_EQ(f.BorderStyle(), bsSingle);
    EXPECT_EQ(f.Position(), poScreenCenter);
    EXPECT_EQ(f.ActiveControl(), Get<TEdit>(&f, "Edit1"));
    EXPECT_EQ(Get<TLabel>(&f, "Label1")->FocusControl(), Get<TEdit>(&f, "Edit1"));

    auto* art = Get<TArtLabel>(&f, "ArtLabel1");
    EXPECT_EQ(art->Font()->Height(), -48);
    EXPECT_TRUE(art->Transparent());
    auto* back = Get<TBackground>(&f, "Background1");
    EXPECT_EQ(back->BackObj()->BackStyle(), bgGradient);
    EXPECT_EQ(back->BackObj()->Gradient()->ColorCount(), 2);
    EXPECT_EQ(back->BackObj()->Gradient()->Color1(), TColor(16744448));

    auto* memo = Get<TMemo>(&f, "Memo1");
    ASSERT_EQ(memo->Lines()->Count(), 4);
    EXPECT_EQ(memo->Lines()->Get(1), "============");
    EXPECT_TRUE(memo->ReadOnly());
    EXPECT_FALSE(memo->WantReturns());
    EXPECT_EQ(memo->ScrollBars(), ssVertical);

    EXPECT_EQ(Get<TBitBtn>(&f, "BitBtn1")->Glyph()->Width(), 32);
    EXPECT_EQ(Get<TSpeedButton>(&f, "SpeedButton1")->NumGlyphs(), 2);
    EXPECT_EQ(Get<TImage>(&f, "Image1")->Picture()->Width(), 16);
    EXPECT_EQ(Get<TGauge>(&f, "Gauge1")->Progress(), 42);
    // The gauge fills the panel's client area, inside its sunken border.
    EXPECT_EQ(Get<TGauge>(&f, "Gauge1")->BoundsRect(), Rect(0, 0, 229, 17));
    EXPECT_EQ(Get<TProgressBar>(&f, "ProgressBar1")->Max(), 910);
    EXPECT_EQ(Get<TProgressBar>(&f, "ProgressBar1")->Position(), 600);

    auto* nb = Get<TNotebook>(&f, "Notebook1");
    ASSERT_EQ(nb->PageCount(), 2);
    EXPECT_EQ(nb->ActivePage(), "Page1");
    EXPECT_FALSE(nb->Page(0)->Visible());
    EXPECT_TRUE(nb->Page(1)->Visible());
    nb->SetActivePage("page0");
    EXPECT_EQ(nb->PageIndex(), 0);
    nb->SetActivePage("Page9");  // no such page: nothing changes
    EXPECT_EQ(nb->PageIndex(), 0);

    auto* dirs = Get<TDirectoryListBox>(&f, "DirectoryListBox1");
    auto* drives = Get<TDriveComboBox>(&f, "DriveComboBox1");
    EXPECT_EQ(drives->DirList(), dirs);
    EXPECT_EQ(dirs->DirLabel(), Get<TLabel>(&f, "Label2"));

    auto* timer = Get<TTimer>(&f, "Timer1");
    EXPECT_FALSE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 250u);

    // Events bound to the form's published handlers.
    Get<TButton>(&f, "Button1")->Click();
    EXPECT_EQ(f.clicks, 1);
    ASSERT_TRUE(f.OnShow);

    // Tab order as stored.
    std::vector<TWinControl*> tabs = f.TabList();
    ASSERT_GE(tabs.size(), 3u);
    EXPECT_EQ(tabs[0]->Name(), "Edit1");
    EXPECT_EQ(tabs[1]->Name(), "Memo1");
}

TEST_F(Gallery, WrittenFormsReadBackToTheSameStream)
{
    TGalleryForm a(nullptr);
    Load(&a, GalleryText());
    std::string first = Write(&a);
    TGalleryForm b(nullptr);
    TReadOnlyMemoryStream s(first.data(), int64_t(first.size()));
    TReader r(s);
    r.ReadRootComponent(&b);
    EXPECT_EQ(Write(&b), first);
    std::string text = FormBinaryToText(first);
    EXPECT_NE(text.find("OnClick = Button1Click"), std::string::npos);
    EXPECT_NE(text.find("DirList = DirectoryListBox1"), std::string::npos);
    EXPECT_NE(text.find("BackObj.Gradient.ColorCount = 2"), std::string::npos);
    EXPECT_NE(text.find("object TPage"), std::string::npos);
}

TEST_F(Gallery, BadDescriptionsNameWhatIsWrong)
{
    EXPECT_NE(LoadError("object F: TGalleryForm\n object L: TLabel\n  Colr = clRed\n end\nend\n").find("Colr"),
              std::string::npos);
    EXPECT_NE(LoadError("object F: TGalleryForm\n object X: TNoSuchControl\n end\nend\n").find("TNoSuchControl"),
              std::string::npos);
    EXPECT_NE(LoadError("object F: TGalleryForm\n object B: TButton\n  OnClick = NoSuchHandler\n end\nend\n")
                  .find("NoSuchHandler"),
              std::string::npos);
    EXPECT_NE(LoadError("object F: TGalleryForm\n object D: TDriveComboBox\n  DirList = Missing\n end\nend\n")
                  .find("Missing"),
              std::string::npos);
    EXPECT_NE(LoadError("object F: TGalleryForm\n object I: TImage\n  Picture.Data = {0454426D70}\n end\nend\n"),
              "(no error)");
}

TEST_F(Gallery, PicturesOfTheGalleryAndOfEveryDialogType)
{
    auto* f = new TGalleryForm(Application);
    Load(f, GalleryText());
    // Without the window system: the library's own drawing.
    TBitmap drawn;
    drawn.SetSize(f->ClientWidth(), f->ClientHeight());
    f->PaintTo(*drawn.Canvas(), 0, 0);
    testsupport::SaveShot(drawn, "gallery-drawn");

    f->Show();
    EXPECT_EQ(f->shows, 1);
    TBitmap shot;
    GrabForm(f, shot);
    testsupport::SaveShot(shot, "gallery");
    // The transparent title shows the gradient between its letters, not its colour.
    TColor under = PixelToColor(shot.ScanLine(f->FrameMetrics().Top)[f->FrameMetrics().Left + 9]);
    EXPECT_EQ(under, RGB(0, 128, 255));
    EXPECT_TRUE(f->Active());

    InstallMessageDialog();
    struct {
        TMsgDlgType type;
        const char* name;
        TMsgDlgButtons buttons;
    } dialogs[] = {{mtWarning, "message-warning", MsgDlgButton(mbYes) | MsgDlgButton(mbNo)},
                   {mtError, "message-error", MsgDlgButton(mbOK)},
                   {mtInformation, "message-information", MsgDlgButton(mbOK)},
                   {mtConfirmation, "message-confirmation", MsgDlgButton(mbYes) | MsgDlgButton(mbNo) |
                                                                 MsgDlgButton(mbCancel)}};
    for (const auto& d : dialogs) {
        ModalScript script({[&](TCustomForm* box) {
            TBitmap screen;
            ComposeScreen(screen);
            testsupport::SaveShot(screen, std::string(d.name) + "-screen");
            TBitmap own;
            GrabForm(box, own);
            testsupport::SaveShot(own, d.name);
            VclDriver::PressKey(box, VK_ESCAPE);
        }});
        MessageDlg("A message of this type.\rIts picture plays while the dialog is open.", d.type, d.buttons, 0);
    }
    delete f;
}

}  // namespace
