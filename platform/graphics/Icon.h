// TIcon: a small picture with a transparency mask, read from an icon file.
#pragma once

#include <memory>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsTypes.h"

class TCanvas;

class TIcon : public TPersistent {
public:
    TIcon();
    ~TIcon() override;
    std::string ClassName() const override { return "TIcon"; }

    int32_t Width() const { return image_.Width(); }
    int32_t Height() const { return image_.Height(); }
    bool Empty() const { return image_.Empty(); }
    // The colours (black where transparent) and the mask (0x000000 opaque, 0xFFFFFF
    // transparent), both Width x Height.
    const TBitmap& Image() const { return image_; }
    const TBitmap& Mask() const { return mask_; }

    // The icon file's bytes, as kept for storing again; LoadFromBytes raises
    // EInvalidGraphic and leaves the icon unchanged on bad data. Empty bytes empty it.
    const std::string& Bytes() const { return bytes_; }
    void LoadFromBytes(const std::string& Bytes);
    // Builds the icon from an image and a mask (as Image and Mask describe them).
    void SetImage(const TBitmap& Image, const TBitmap& Mask);

    // Draws the icon with its transparency at (X, Y), or stretched into `R`.
    void Draw(TCanvas& Canvas, int32_t X, int32_t Y) const;
    void StretchDraw(TCanvas& Canvas, const TRect& R) const;

    void Assign(const TPersistent* Source) override;

private:
    TBitmap image_;
    TBitmap mask_;
    std::string bytes_;
};
