// TPicture: the image of an image control, a bitmap or an icon.
//
// Stored forms keep it as the binary property "Picture.Data": the class name of the
// image as a short string (length byte + characters), then the image's own data:
//
//   "TBitmap"  u32 size, then that many bytes of a BMP file
//   "TIcon"    the bytes of an icon file, to the end
//
// Empty data is an empty picture.
#pragma once

#include <memory>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Icon.h"

class TCanvas;

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    std::string ClassName() const override { return "TPicture"; }

    // The picture as a bitmap (an icon picture is replaced by an empty bitmap first), or
    // as an icon. Changes made inside the returned object are not noticed.
    TBitmap* Bitmap();
    TIcon* Icon();
    bool HasBitmap() const { return bitmap_ != nullptr; }
    bool HasIcon() const { return icon_ != nullptr; }
    bool Empty() const;
    int32_t Width() const;
    int32_t Height() const;

    // Draws the picture stretched into `R` (an icon with its transparency).
    void Draw(TCanvas& Canvas, const TRect& R) const;

    std::string Data() const;
    // Raises EInvalidGraphic for data it cannot read (the picture is then unchanged).
    void SetData(const std::string& Data);

    // Copies a TPicture, a TBitmap or a TIcon; nullptr empties the picture. Notifies.
    void Assign(const TPersistent* Source) override;
    void Changed();
    TNotifyEvent OnChange;

private:
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TIcon> icon_;
};
