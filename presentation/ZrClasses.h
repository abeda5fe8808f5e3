// TZrGraphicControl: a windowless control that keeps its finished image in a buffer of
// exactly its size and answers every paint with a copy of the asked-for area.
#pragma once

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/vcl/Controls.h"

class TZrGraphicControl : public TGraphicControl {
public:
    explicit TZrGraphicControl(TComponent* AOwner);
    ~TZrGraphicControl() override;
    std::string ClassName() const override { return "TZrGraphicControl"; }
    TBitmap* Buffer() const { return buffer_.get(); }

protected:
    // A new buffer when the size has changed, then a copy of the canvas's clip rectangle
    // (the part being painted) from the buffer to the same place, 1:1.
    void Paint() override;
    // UpdateBuffer, then the whole buffer at (0, 0).
    virtual void DrawBuffer();
    // When the buffer's size differs from the control's: a new buffer of exactly
    // Width x Height (its pixels as a new bitmap has them). Subclasses extend it to draw
    // their image into the buffer.
    virtual void UpdateBuffer();

private:
    std::unique_ptr<TBitmap> buffer_;
};
