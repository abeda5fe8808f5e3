// TGauge: a windowless percentage gauge. PercentDone is the whole percentage of Progress
// within MinValue..MaxValue; setting Progress repaints the gauge at once when the
// displayed percentage changes.
#pragma once

#include "platform/vcl/Forms.h"

enum TGaugeKind : uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

class TGauge : public TGraphicControl {
public:
    explicit TGauge(TComponent* AOwner);
    std::string ClassName() const override { return "TGauge"; }
    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind v);
    int32_t MinValue() const { return minValue_; }
    void SetMinValue(int32_t v);
    int32_t MaxValue() const { return maxValue_; }
    void SetMaxValue(int32_t v);
    int32_t Progress() const { return progress_; }
    void SetProgress(int32_t v);
    void AddProgress(int32_t Value) { SetProgress(progress_ + Value); }
    int32_t PercentDone() const;
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor v);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    bool ShowText() const { return showText_; }
    void SetShowText(bool v);

protected:
    void Paint() override;

private:
    TGaugeKind kind_ = gkHorizontalBar;
    int32_t minValue_ = 0;
    int32_t maxValue_ = 100;
    int32_t progress_ = 0;
    TColor foreColor_ = clBlack;
    TColor backColor_ = clWhite;
    TBorderStyle borderStyle_ = bsSingle;
    bool showText_ = true;
};
