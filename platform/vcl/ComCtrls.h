// The progress bar: a 16-bit range and position, drawn by this library.
//
// Min, Max and Position keep only the low 16 bits of what they are given (0..65535), as
// the system's bar does. Position stays within Min..Max (clamped when either changes); a
// range of Min >= Max draws an empty bar. A change of Position repaints the bar at once.
#pragma once

#include "platform/vcl/Controls.h"

class TProgressBar : public TCustomControl {
public:
    explicit TProgressBar(TComponent* AOwner);
    std::string ClassName() const override { return "TProgressBar"; }
    int32_t Min() const { return min_; }
    void SetMin(int32_t v);
    int32_t Max() const { return max_; }
    void SetMax(int32_t v);
    int32_t Position() const { return position_; }
    void SetPosition(int32_t v);
    int32_t Step() const { return step_; }
    void SetStep(int32_t v) { step_ = v; }
    void StepIt() { SetPosition(int32_t(position_) + step_); }
    void StepBy(int32_t Delta) { SetPosition(int32_t(position_) + Delta); }
    // The filled width of the bar's inner area for a given inner width.
    int32_t FilledWidth(int32_t InnerWidth) const;

protected:
    void Paint() override;

private:
    void Coerce();
    uint16_t min_ = 0;
    uint16_t max_ = 100;
    uint16_t position_ = 0;
    int32_t step_ = 10;
};
