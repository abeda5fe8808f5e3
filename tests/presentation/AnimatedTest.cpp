// The film-strip animation: frames, the timer's life, painting.
#include <gtest/gtest.h>

#include <vector>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "presentation/Nyanimat.h"

namespace {

// Records when a component it watches is freed.
class TWatcher : public TComponent {
public:
    TWatcher() : TComponent(nullptr) {}
    int freed = 0;
    void Notification(TComponent* C, bool Removing) override
    {
        TComponent::Notification(C, Removing);
        if (Removing) ++freed;
    }
};

// A strip of `frames` frames of 32 x 32 where frame i is filled with colour i+1.
void Strip(TBitmap& b, int frames)
{
    b.SetSize(32 * frames, 32);
    for (int i = 0; i < frames; ++i) {
        b.Canvas()->Brush()->SetColor(TColor(i + 1));
        b.Canvas()->FillRect(Bounds(32 * i, 0, 32, 32));
    }
}

std::vector<int> Ticks(TnyAnimated& a, int n)
{
    std::vector<int> frames;
    for (int i = 0; i < n && a.Timer(); ++i) {
        a.Timer()->Tick();
        frames.push_back(a.Frame());
    }
    return frames;
}

TEST(Animated, FrameNormalisationAndChangeEvents)
{
    TnyAnimated a(nullptr);
    a.SetFrameCount(5);
    int events = 0;
    a.OnChangeFrame = [&](TObject*) { ++events; };
    struct Case {
        int set, expect;
    } cases[] = {{-1, 4}, {5, 0}, {7, 2}, {2, 2}, {-3, 4}};
    int expectedEvents = 0, current = 0;
    for (auto c : cases) {
        a.SetFrame(c.set);
        EXPECT_EQ(a.Frame(), c.expect) << c.set;
        if (c.expect != current) ++expectedEvents;
        current = c.expect;
        EXPECT_EQ(events, expectedEvents) << c.set;
    }
    // A frame count below 1 counts as one frame.
    a.SetFrameCount(0);
    a.SetFrame(3);
    EXPECT_EQ(a.Frame(), 0);
}

TEST(Animated, TimerExistsOnlyWhilePlayingWithAnInterval)
{
    TnyAnimated a(nullptr);
    a.SetPlay(true);
    EXPECT_EQ(a.Timer(), nullptr);
    a.SetInterval(100);
    ASSERT_NE(a.Timer(), nullptr);
    EXPECT_EQ(a.Timer()->Interval(), 100u);

    // A new interval while playing: the old timer goes, a new one comes.
    TWatcher w;
    TTimer* first = a.Timer();
    first->FreeNotification(&w);
    a.SetInterval(250);
    EXPECT_EQ(w.freed, 1);
    ASSERT_NE(a.Timer(), nullptr);
    EXPECT_EQ(a.Timer()->Interval(), 250u);

    // Stopped: the interval is only stored.
    a.SetPlay(false);
    EXPECT_EQ(a.Timer(), nullptr);
    a.SetInterval(75);
    EXPECT_EQ(a.Timer(), nullptr);
    EXPECT_EQ(a.Interval(), 75);
    a.SetPlay(true);
    ASSERT_NE(a.Timer(), nullptr);
    EXPECT_EQ(a.Timer()->Interval(), 75u);
}

TEST(Animated, FrameSequences)
{
    {
        // Forwards once: 1, 2, 3, then the timer is gone (freed in its own tick).
        TnyAnimated a(nullptr);
        a.SetFrameCount(4);
        a.SetLoop(false);
        a.SetInterval(50);
        a.SetPlay(true);
        EXPECT_EQ(Ticks(a, 10), (std::vector<int>{1, 2, 3}));
        EXPECT_FALSE(a.Play());
        EXPECT_EQ(a.Timer(), nullptr);
    }
    {
        TnyAnimated a(nullptr);
        a.SetFrameCount(3);
        a.SetReverse(true);
        a.SetInterval(50);
        a.SetPlay(true);
        EXPECT_EQ(Ticks(a, 6), (std::vector<int>{2, 1, 0, 2, 1, 0}));
        EXPECT_TRUE(a.Play());
    }
    {
        // Backwards once stops at frame 0.
        TnyAnimated a(nullptr);
        a.SetFrameCount(3);
        a.SetReverse(true);
        a.SetLoop(false);
        a.SetFrame(2);
        a.SetInterval(50);
        a.SetPlay(true);
        EXPECT_EQ(Ticks(a, 5), (std::vector<int>{1, 0}));
    }
}

TEST(Animated, StripSetsTheHeightAndFramesPaintTheirSlice)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 100, 60);
    form.SetColor(RGB(1, 2, 3));
    auto* a = new TnyAnimated(&form);
    a->SetParent(&form);
    a->SetWidth(32);
    TBitmap strip;
    Strip(strip, 5);
    a->SetBitMap(&strip);
    EXPECT_EQ(a->Height(), 32);
    a->SetFrameCount(5);
    a->SetFrame(3);
    form.Repaint();
    EXPECT_EQ(PixelToColor(form.Surface().ScanLine(5)[5]), TColor(4));

    TBitmap empty;
    a->SetBitMap(&empty);
    EXPECT_EQ(a->Height(), 30);
    form.Repaint();
    EXPECT_EQ(PixelToColor(form.Surface().ScanLine(29)[31]), clWhite);
}

TEST(Animated, TransparentColourShowsTheControlsColour)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 100, 60);
    form.SetColor(RGB(200, 100, 50));
    auto* a = new TnyAnimated(&form);
    a->SetParent(&form);
    a->SetWidth(32);
    TBitmap strip(64, 32);
    strip.Canvas()->Brush()->SetColor(clBlack);
    strip.Canvas()->FillRect(Rect(0, 0, 64, 32));
    strip.Canvas()->Brush()->SetColor(clWhite);
    strip.Canvas()->FillRect(Rect(0, 0, 16, 32));
    a->SetBitMap(&strip);
    a->SetFrameCount(2);
    form.Repaint();
    EXPECT_EQ(PixelToColor(form.Surface().ScanLine(3)[20]), clBlack);
    a->SetTransparentColor(clBlack);
    form.Repaint();
    EXPECT_EQ(PixelToColor(form.Surface().ScanLine(3)[20]), RGB(200, 100, 50));
    EXPECT_EQ(PixelToColor(form.Surface().ScanLine(3)[5]), clWhite);
}

}  // namespace
