// Further controls: bevel, panel, image, notebook with its pages, and the timer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Picture.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

enum TBevelShape : uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle : uint8_t { bsLowered, bsRaised };
enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

class TBevel : public TGraphicControl {
public:
    explicit TBevel(TComponent* AOwner);
    std::string ClassName() const override { return "TBevel"; }
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape v);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle v);

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// A container with bevels, an optional sunken border (bsSingle, outside the client
// area) and a caption in its middle.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* AOwner);
    std::string ClassName() const override { return "TPanel"; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    int32_t BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int32_t v);
    int32_t BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int32_t v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v);
    TPoint ClientOrigin() const override;

protected:
    void Paint() override;
    void PaintNonClient(TCanvas& Canvas) override;
    TRect AlignRect() const override;
    void TextChanged() override { Invalidate(); }

private:
    void Changed();
    TAlignment alignment_ = taCenter;
    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int32_t bevelWidth_ = 1;
    int32_t borderWidth_ = 0;
    TBorderStyle borderStyle_ = bsNone;
};

// A picture: a bitmap (stretched, centred or at the top-left corner; with Transparent,
// the colour of its bottom-left pixel shows what lies beneath) or an icon (with its own
// transparency).
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;
    std::string ClassName() const override { return "TImage"; }
    TPicture* Picture() const { return picture_.get(); }
    void SetPicture(const TPicture* v) { picture_->Assign(v); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);

protected:
    void Paint() override;
    void AdjustSize() override;

private:
    void PictureChanged();
    std::unique_ptr<TPicture> picture_;
    bool autoSize_ = false;
    bool center_ = false;
    bool stretch_ = false;
    bool transparent_ = false;
};

class TNotebook;

// One page of a notebook; its caption is the page's name.
class TPage : public TCustomControl {
public:
    explicit TPage(TComponent* AOwner);
    std::string ClassName() const override { return "TPage"; }
    void SetParentComponent(TComponent* Value) override;
};

// Pages on top of each other, one shown at a time, addressed by index or by name.
class TNotebook : public TCustomControl {
public:
    explicit TNotebook(TComponent* AOwner);
    std::string ClassName() const override { return "TNotebook"; }

    int PageCount() const { return int(pages_.size()); }
    TPage* Page(int Index) const { return pages_.at(size_t(Index)); }
    // The page names in order.
    std::vector<std::string> Pages() const;
    // Adds a page named Name at the end.
    TPage* AddPage(const std::string& Name);
    int32_t PageIndex() const { return pageIndex_; }
    // An index outside the pages is ignored.
    void SetPageIndex(int32_t v);
    std::string ActivePage() const;
    // The page of that name (case-insensitive); an unknown name is ignored.
    void SetActivePage(const std::string& v);
    TNotifyEvent OnPageChanged;

    void Loaded() override;

protected:
    friend class TPage;
    void PageAdded(TPage* P);
    void PageRemoved(TPage* P);

private:
    void ShowActive();
    std::vector<TPage*> pages_;
    int32_t pageIndex_ = 0;
};

// Calls OnTimer every Interval milliseconds while Enabled, from the event loop. Freeing
// the timer (or changing it) inside its own OnTimer is safe.
class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    std::string ClassName() const override { return "TTimer"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t v);
    const TNotifyEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TNotifyEvent v);
    // True while the timer would tick (enabled, an interval, a handler).
    bool Running() const { return enabled_ && interval_ > 0 && onTimer_ != nullptr; }
    // One tick: what the event loop calls every Interval (tests call it to pass time).
    void Tick();

private:
    void UpdateTimer();
    bool enabled_ = true;
    uint32_t interval_ = 1000;
    TNotifyEvent onTimer_;
    int id_ = 0;
    std::shared_ptr<bool> alive_;
};
