// Internal to the Qt implementation of the window system (platform/vcl/qt): conversions
// between the library's types and Qt's, and the widget classes' common part. Nothing
// outside this folder includes it, and it includes no Qt header itself: the Qt types are
// only named here, and the .cpp files that use them include Qt.
#pragma once

#include <string>

class QColor;
class QFont;
class QImage;
class QKeyEvent;
class QRect;
class QString;
class QWidget;

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/WidgetSet.h"

namespace qtbridge {

// 8-bit Windows-1252 text <-> Qt strings; '&' mnemonics pass through unchanged (Qt uses
// the same marker).
QString ToQt(const std::string& s);
std::string FromQt(const QString& s);

QColor ToQColor(TColor c);
QFont ToQFont(const TFont& f);
QRect ToQRect(const TRect& r);
TRect FromQRect(const QRect& r);
// A QImage over the bitmap's pixels (no copy; valid while the bitmap keeps its size).
QImage ImageOf(const TBitmap& b);
// Copies an image into a bitmap (converted to 32-bit RGB).
void CopyImage(const QImage& img, TBitmap& out);

// Qt's keyboard modifiers and mouse buttons (as their integer values).
TShiftState ShiftOf(int Modifiers, int Buttons = 0);
// The virtual key of a Qt key (0 when it has none).
uint16_t VirtualKeyOf(int qtKey);

// Delivers a message to the control behind a widget, if it still has one.
void Send(TWinControl* control, TMessage& m);

// The TWidgetHandle part every widget class shares. W is the QWidget subclass.
class HandleCore : public TWidgetHandle {
public:
    HandleCore(QWidget* w, TWinControl* c) : widget_(w), control_(c) {}
    TWinControl* Control() const { return control_; }
    QWidget* Widget() const { return widget_; }

    void Detach() override;
    void SetBounds(const TRect& R) override;
    void SetVisible(bool Visible) override;
    void SetEnabled(bool Enabled) override;
    void SetText(const std::string& Text) override;
    std::string Text() const override;
    void SetFont(const TFont& Font) override;
    void SetColor(TColor Color) override;
    void Invalidate(const TRect& R) override;
    void Repaint(const TRect& R) override;
    void ProcessPaint() override;
    void SetFocus() override;
    bool Focused() const override;
    void Raise() override;
    void Lower() override;
    void SetTabNext(TWidgetHandle* Next) override;
    void SetTabStop(bool TabStop) override;
    void Grab(TBitmap& Out) override;

protected:
    // Key presses: the control's OnKeyDown first; true when it took the key.
    bool KeyToControl(QKeyEvent* e);
    void FocusToControl(bool in);

    QWidget* widget_;
    TWinControl* control_;
    bool nativeFocus_ = true;
};

}  // namespace qtbridge
