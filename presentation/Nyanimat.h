// TnyAnimated: plays a film strip (frames side by side, each as wide and as high as the
// control) forwards or backwards, once or in a loop, on a timer.
#pragma once

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/vcl/Controls.h"

class TTimer;

class TnyAnimated : public TGraphicControl {
public:
    explicit TnyAnimated(TComponent* AOwner);
    ~TnyAnimated() override;
    std::string ClassName() const override { return "TnyAnimated"; }

    TBitmap* BitMap() const { return bitMap_.get(); }
    // Copies the strip; the height follows it (30 for an empty strip), the width stays.
    void SetBitMap(const TBitmap* v);
    int32_t FrameCount() const { return frameCount_; }
    void SetFrameCount(int32_t v) { frameCount_ = v; }
    int32_t Frame() const { return frame_; }
    // -1 is the last frame, other values wrap (mod FrameCount). A FrameCount below 1
    // counts as 1 here, so there is always a frame to show.
    void SetFrame(int32_t v);
    int32_t Interval() const { return interval_; }
    void SetInterval(int32_t v);
    bool Loop() const { return loop_; }
    void SetLoop(bool v) { loop_ = v; }
    bool Reverse() const { return reverse_; }
    void SetReverse(bool v) { reverse_ = v; }
    bool Play() const { return play_; }
    void SetPlay(bool v);
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor v);
    TNotifyEvent OnChangeFrame;

    // The timer driving the animation: present only while playing with an interval.
    TTimer* Timer() const { return timer_; }

protected:
    void Paint() override;

private:
    void StartTimer();
    void StopTimer();
    void Tick();

    std::unique_ptr<TBitmap> bitMap_;
    int32_t frameCount_ = 1;
    int32_t frame_ = 0;
    TTimer* timer_ = nullptr;
    int32_t interval_ = 0;
    bool loop_ = true;
    bool reverse_ = false;
    bool play_ = false;
    TColor transparentColor_ = -1;
};
