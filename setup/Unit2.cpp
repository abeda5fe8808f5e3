#include "setup/Unit2.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/rtl/Random.h"
#include "platform/win/System.h"

TForm2* Form2 = nullptr;

PUBLISHED_PROPERTIES(TForm2, TForm) {}
PUBLISHED_METHODS(TForm2, TForm)
{
    PUBLISH_METHOD(FormShow);
}
REGISTER_CLASS(TForm2);

void TForm2::Loaded()
{
    TForm::Loaded();
    BindComponent(SpeedButton1, "SpeedButton1");
    BindComponent(Image1, "Image1");
    BindComponent(Label1, "Label1");
    BindComponent(Panel1, "Panel1");
    BindComponent(Gauge1, "Gauge1");
}

void TForm2::FormShow(TObject*)
{
    // No messages are handled meanwhile: the thread sleeps, the gauge repaints itself.
    Randomize();
    Repaint();
    Sleep(500);
    for (int i = 1; i <= 100; ++i) {
        Sleep(DWORD(Random(100)));
        Gauge1->SetProgress(i);
    }
}
