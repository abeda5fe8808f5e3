// The background description TBackgndObj, the buffered background control TBackground
// and the fill routine they share.
#pragma once

#include <memory>

#include "platform/classes/Persistent.h"
#include "platform/graphics/Bitmap.h"
#include "presentation/Gradient.h"
#include "presentation/ZrClasses.h"

enum TBackStyle : uint8_t { bgSingleColor = 0, bgGradient = 1, bgSingleBitmap = 2, bgTileBitmap = 3 };

// What a background shows: one colour, a gradient, a picture, or the picture tiled. Every
// change fires OnChange; changes made inside Picture are not noticed.
class TBackgndObj : public TPersistent {
public:
    TBackgndObj();
    ~TBackgndObj() override;
    std::string ClassName() const override { return "TBackgndObj"; }

    TBitmap* Picture() const { return picture_.get(); }
    // Copies the given picture (another object than the own one), then notifies.
    void SetPicture(const TBitmap* v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TBackStyle BackStyle() const { return backStyle_; }
    void SetBackStyle(TBackStyle v);
    TGradient* Gradient() const { return gradient_.get(); }
    // Assigns the given gradient (which notifies once), then notifies again.
    void SetGradient(const TGradient* v);

    // Picture and Gradient are copied (the gradient notifies), BackStyle taken without
    // notice, then one notification; Color stays as it is.
    void Assign(const TPersistent* Source) override;
    void Changed();
    TNotifyEvent OnChange;

private:
    std::unique_ptr<TBitmap> picture_;
    TColor color_ = clBlack;
    TBackStyle backStyle_ = bgSingleColor;
    std::unique_ptr<TGradient> gradient_;
};

// Fills Rect of Canvas as BackObj describes.
void FillBackground(TCanvas* Canvas, const TRect& Rect, const TBackgndObj* BackObj);

// A windowless control showing its background description; the image is made again only
// when the description or the size changes.
class TBackground : public TZrGraphicControl {
public:
    explicit TBackground(TComponent* AOwner);
    ~TBackground() override;
    std::string ClassName() const override { return "TBackground"; }
    TBackgndObj* BackObj() const { return backObj_.get(); }
    void SetBackObj(const TBackgndObj* v);

protected:
    void UpdateBuffer() override;

private:
    void BackObjChanged();
    std::unique_ptr<TBackgndObj> backObj_;
};
