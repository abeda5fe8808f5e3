#include "platform/vcl/DrawUtils.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/ShapeFill.h"

void Frame3D(TCanvas& Canvas, TRect& R, TColor TopLeft, TColor BottomRight, int Width)
{
    for (int i = 0; i < Width; ++i) {
        if (R.IsEmpty()) return;
        Canvas.Brush()->SetStyle(bsSolid);
        Canvas.Brush()->SetColor(TopLeft);
        Canvas.FillRect(Rect(R.Left, R.Top, R.Right - 1, R.Top + 1));
        Canvas.FillRect(Rect(R.Left, R.Top, R.Left + 1, R.Bottom - 1));
        Canvas.Brush()->SetColor(BottomRight);
        Canvas.FillRect(Rect(R.Left, R.Bottom - 1, R.Right, R.Bottom));
        Canvas.FillRect(Rect(R.Right - 1, R.Top, R.Right, R.Bottom));
        R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    }
}

void DrawRaisedEdge(TCanvas& Canvas, TRect& R)
{
    Frame3D(Canvas, R, cl3DLight, cl3DDkShadow);
    Frame3D(Canvas, R, clBtnHighlight, clBtnShadow);
}

void DrawSunkenEdge(TCanvas& Canvas, TRect& R)
{
    Frame3D(Canvas, R, clBtnShadow, clBtnHighlight);
    Frame3D(Canvas, R, cl3DDkShadow, cl3DLight);
}

void DrawEtchedFrame(TCanvas& Canvas, const TRect& R)
{
    // A shadow line with a highlight line one pixel to the lower right of it.
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.Pen()->SetWidth(1);
    Canvas.Pen()->SetStyle(psSolid);
    Canvas.Pen()->SetColor(clBtnHighlight);
    Canvas.Rectangle(R.Left + 1, R.Top + 1, R.Right, R.Bottom);
    Canvas.Pen()->SetColor(clBtnShadow);
    Canvas.Rectangle(R.Left, R.Top, R.Right - 1, R.Bottom - 1);
    Canvas.Brush()->SetStyle(bsSolid);
}

void DrawFocusRect(TCanvas& Canvas, const TRect& R)
{
    for (int32_t x = R.Left; x < R.Right; ++x) {
        if (((x - R.Left) & 1) == 0) {
            Canvas.SetPixel(x, R.Top, clBlack);
            Canvas.SetPixel(x, R.Bottom - 1, clBlack);
        }
    }
    for (int32_t y = R.Top; y < R.Bottom; ++y) {
        if (((y - R.Top) & 1) == 0) {
            Canvas.SetPixel(R.Left, y, clBlack);
            Canvas.SetPixel(R.Right - 1, y, clBlack);
        }
    }
}

void DrawDisabledText(TCanvas& Canvas, const std::string& Text, TRect R, uint32_t Format)
{
    Canvas.Brush()->SetStyle(bsClear);
    TColor saved = Canvas.Font()->Color();
    TRect shifted = Rect(R.Left + 1, R.Top + 1, R.Right + 1, R.Bottom + 1);
    Canvas.Font()->SetColor(clBtnHighlight);
    Canvas.DrawText(Text, shifted, Format);
    Canvas.Font()->SetColor(clBtnShadow);
    Canvas.DrawText(Text, R, Format);
    Canvas.Font()->SetColor(saved);
    Canvas.Brush()->SetStyle(bsSolid);
}

void DrawButtonFace(TCanvas& Canvas, const TRect& Rc, const std::string& Caption, bool Pressed, bool IsDefault,
                    bool Enabled, bool Focused)
{
    TRect r = Rc;
    if (IsDefault) Frame3D(Canvas, r, cl3DDkShadow, cl3DDkShadow);
    if (Pressed) {
        Frame3D(Canvas, r, clBtnShadow, clBtnShadow);
    } else {
        Frame3D(Canvas, r, clBtnHighlight, cl3DDkShadow);
        Frame3D(Canvas, r, cl3DLight, clBtnShadow);
    }
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(clBtnFace);
    Canvas.FillRect(r);
    TRect text = r;
    if (Pressed) text = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    uint32_t fmt = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (Enabled) {
        Canvas.Brush()->SetStyle(bsClear);
        Canvas.DrawText(Caption, text, fmt);
        Canvas.Brush()->SetStyle(bsSolid);
    } else {
        DrawDisabledText(Canvas, Caption, text, fmt);
    }
    if (Focused) DrawFocusRect(Canvas, Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2));
}

namespace {

void Disc(TCanvas& c, double cx, double cy, double rad, TColor color) { FillEllipse(c, cx, cy, rad, rad, color); }

// A filled triangle with its apex at (ax, ay) and its base from (bx0, by) to (bx1, by).
void Triangle(TCanvas& c, double ax, double ay, double bx0, double bx1, double by, TColor color)
{
    FillPolygon(c, {{ax, ay}, {bx1, by}, {bx0, by}}, color);
}

void CenteredGlyph(TCanvas& c, int x, int y, int w, int h, const std::string& text, TColor color, int height,
                   const char* family)
{
    TFont saved;
    saved.Assign(c.Font());
    c.Font()->SetName(family);
    c.Font()->SetHeight(-height);
    c.Font()->SetStyle(TFontStyles{fsBold});
    c.Font()->SetColor(color);
    c.Brush()->SetStyle(bsClear);
    TRect r = Bounds(x, y, w, h);
    c.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    c.Brush()->SetStyle(bsSolid);
    c.Font()->Assign(&saved);
}

}  // namespace

void DrawSystemIcon(TCanvas& Canvas, int X, int Y, TSystemIcon Icon)
{
    switch (Icon) {
    case TSystemIcon::Stop:
        Disc(Canvas, X + 16, Y + 16, 15.5, clBlack);
        Disc(Canvas, X + 16, Y + 16, 14.5, RGB(255, 0, 0));
        // A white cross of two thick diagonals.
        for (int i = -1; i <= 1; ++i) {
            for (int k = 9; k <= 22; ++k) {
                Canvas.SetPixel(X + k + i, Y + k, clWhite);
                Canvas.SetPixel(X + k + i, Y + 31 - k, clWhite);
                Canvas.SetPixel(X + k, Y + k + i, clWhite);
                Canvas.SetPixel(X + k, Y + 31 - k + i, clWhite);
            }
        }
        break;
    case TSystemIcon::Question:
    case TSystemIcon::Information: {
        // A speech bubble: a white disc with a black rim and a tail to the lower left.
        Triangle(Canvas, X + 8, Y + 18, X + 3, X + 12, Y + 31, clBlack);
        Triangle(Canvas, X + 8, Y + 19, X + 5, X + 11, Y + 29, clWhite);
        Disc(Canvas, X + 17, Y + 14, 13.5, clBlack);
        Disc(Canvas, X + 17, Y + 14, 12.5, clWhite);
        if (Icon == TSystemIcon::Question)
            CenteredGlyph(Canvas, X + 4, Y + 1, 26, 26, "?", RGB(0, 0, 255), 22, "Times New Roman");
        else
            CenteredGlyph(Canvas, X + 4, Y + 1, 26, 26, "i", RGB(0, 0, 255), 22, "Times New Roman");
        break;
    }
    case TSystemIcon::Exclamation:
        Triangle(Canvas, X + 16, Y + 0.5, X - 0.5, X + 32.5, Y + 31, clBlack);
        Triangle(Canvas, X + 16, Y + 2.5, X + 1.5, X + 30.5, Y + 30, RGB(255, 255, 0));
        CenteredGlyph(Canvas, X + 4, Y + 7, 24, 24, "!", clBlack, 22, "Arial");
        break;
    }
}

void DrawWindowFrame(TCanvas& Canvas, const TRect& W, const TRect& F, const std::string& Title, bool Active,
                     bool CloseBox, bool MinimizeBox, bool MaximizeBox)
{
    if (F.Left == 0 && F.Top == 0) return;
    TRect r = W;
    DrawRaisedEdge(Canvas, r);
    Canvas.Brush()->SetColor(clBtnFace);
    // The rest of the frame width in the face colour.
    int extra = F.Left - 2;
    for (int i = 0; i < extra; ++i) Frame3D(Canvas, r, clBtnFace, clBtnFace);
    // Title bar: from the frame's inner edge down to the client area, less one line.
    TRect bar = Rect(r.Left, r.Top, r.Right, W.Top + F.Top - 1);
    Canvas.Brush()->SetColor(Active ? clActiveCaption : clInactiveCaption);
    Canvas.FillRect(bar);
    Canvas.Brush()->SetColor(clBtnFace);
    Canvas.FillRect(Rect(r.Left, bar.Bottom, r.Right, bar.Bottom + 1));
    TFont saved;
    saved.Assign(Canvas.Font());
    Canvas.Font()->SetName("MS Sans Serif");
    Canvas.Font()->SetHeight(-11);
    Canvas.Font()->SetStyle(TFontStyles{fsBold});
    Canvas.Font()->SetColor(Active ? clCaptionText : clInactiveCaptionText);
    Canvas.Brush()->SetStyle(bsClear);
    TRect text = Rect(bar.Left + 3, bar.Top, bar.Right - 56, bar.Bottom);
    Canvas.DrawText(Title, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Font()->Assign(&saved);
    // Caption buttons, 16 x 14, right aligned.
    int bh = int(bar.Height()) - 4, bw = bh + 2;
    int x = bar.Right - 2 - bw;
    auto button = [&](int kind) {
        TRect b = Bounds(x, bar.Top + 2, bw, bh);
        DrawButtonFace(Canvas, b, "", false, false, true, false);
        Canvas.Brush()->SetColor(clBlack);
        int cx = b.Left + bw / 2 - 1, cy = b.Top + bh / 2;
        if (kind == 0) {  // close: a small cross
            for (int k = -3; k <= 3; ++k) {
                Canvas.FillRect(Rect(cx + k, cy + k, cx + k + 2, cy + k + 1));
                Canvas.FillRect(Rect(cx + k, cy - k, cx + k + 2, cy - k + 1));
            }
        } else if (kind == 1) {  // maximise: a window outline
            Canvas.FrameRect(Rect(cx - 4, cy - 4, cx + 5, cy + 4));
            Canvas.FillRect(Rect(cx - 4, cy - 3, cx + 5, cy - 2));
        } else {  // minimise: a bar at the bottom
            Canvas.FillRect(Rect(cx - 3, cy + 2, cx + 3, cy + 4));
        }
        x -= bw;
    };
    if (CloseBox) {
        button(0);
        x -= 2;
    }
    if (MaximizeBox) button(1);
    if (MinimizeBox) button(2);
}
