#include "platform/vcl/qt/QtBridge.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "platform/graphics/FontEngine.h"
#include "platform/rtl/StrUtils.h"

namespace qtbridge {

QString ToQt(const std::string& s)
{
    QString out;
    out.reserve(int(s.size()));
    for (unsigned char c : s) out.append(QChar(char16_t(Cp1252ToUnicode(c))));
    return out;
}

std::string FromQt(const QString& s)
{
    // Characters the code page lacks become '?'.
    std::string out;
    out.reserve(size_t(s.size()));
    for (QChar q : s) {
        char16_t u = q.unicode();
        char mapped = '?';
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            mapped = char(u);
        } else {
            for (int b = 0x80; b < 0xA0; ++b)
                if (Cp1252ToUnicode(uint8_t(b)) == u) {
                    mapped = char(b);
                    break;
                }
        }
        out.push_back(mapped);
    }
    return out;
}

QColor ToQColor(TColor c)
{
    TColor rgb = ColorToRGB(c);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QFont ToQFont(const TFont& f)
{
    QFont q(ToQt(SubstituteFontFamily(f.Name())));
    int px = 12;
    if (f.Height() < 0) {
        px = -f.Height();
    } else if (f.Height() > 0) {
        // A cell height: the character height is the cell less the internal leading.
        try {
            px = std::max(1, f.Height() - f.Metrics().InternalLeading);
        } catch (const std::exception&) {
            px = f.Height();
        }
    }
    q.setPixelSize(px);
    q.setBold(f.Style().Contains(fsBold));
    q.setItalic(f.Style().Contains(fsItalic));
    q.setUnderline(f.Style().Contains(fsUnderline));
    q.setStrikeOut(f.Style().Contains(fsStrikeOut));
    // Bitmap-like text, as the canvas draws it.
    q.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    q.setHintingPreference(QFont::PreferFullHinting);
    return q;
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, int(r.Width()), int(r.Height())); }

TRect FromQRect(const QRect& r) { return Bounds(r.x(), r.y(), r.width(), r.height()); }

QImage ImageOf(const TBitmap& b)
{
    return QImage(reinterpret_cast<const uchar*>(b.Bits()), b.Width(), b.Height(), b.Width() * 4,
                  QImage::Format_RGB32);
}

void CopyImage(const QImage& img, TBitmap& out)
{
    QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    out.SetSize(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        uint32_t* dst = out.ScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) dst[x] = src[x] & 0x00FFFFFFu;
    }
}

TShiftState ShiftOf(int Modifiers, int Buttons)
{
    Qt::KeyboardModifiers m = Qt::KeyboardModifiers::fromInt(Modifiers);
    Qt::MouseButtons b = Qt::MouseButtons::fromInt(Buttons);
    TShiftState s = 0;
    if (m & Qt::ShiftModifier) s |= ssShift;
    if (m & Qt::AltModifier) s |= ssAlt;
    if (m & Qt::ControlModifier) s |= ssCtrl;
    if (b & Qt::LeftButton) s |= ssLeft;
    if (b & Qt::RightButton) s |= ssRight;
    if (b & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

uint16_t VirtualKeyOf(int k)
{
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    default: break;
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return uint16_t(VK_F1 + (k - Qt::Key_F1));
    if ((k >= Qt::Key_0 && k <= Qt::Key_9) || (k >= Qt::Key_A && k <= Qt::Key_Z)) return uint16_t(k);
    return 0;
}

void Send(TWinControl* control, TMessage& m)
{
    if (control) DeliverMessage(control, m);
}

// ------------------------------------------------------------------ HandleCore

void HandleCore::Detach()
{
    control_ = nullptr;
    if (!widget_) return;
    widget_->hide();
    widget_->deleteLater();
}

void HandleCore::SetBounds(const TRect& R) { widget_->setGeometry(ToQRect(R)); }

void HandleCore::SetVisible(bool Visible) { widget_->setVisible(Visible); }

void HandleCore::SetEnabled(bool Enabled) { widget_->setEnabled(Enabled); }

void HandleCore::SetText(const std::string& Text) { (void)Text; }

std::string HandleCore::Text() const { return {}; }

void HandleCore::SetFont(const TFont& Font)
{
    widget_->setFont(ToQFont(Font));
    // The font's colour for enabled text only: disabled text keeps the grey of the scheme.
    QPalette p = widget_->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            p.setColor(g, r, ToQColor(Font.Color()));
    widget_->setPalette(p);
}

void HandleCore::SetColor(TColor Color) { (void)Color; }

void HandleCore::Invalidate(const TRect& R) { widget_->update(ToQRect(R)); }

void HandleCore::Repaint(const TRect& R)
{
    // Paints and puts the result on the screen now (dropped before the first expose).
    widget_->repaint(ToQRect(R));
}

void HandleCore::ProcessPaint()
{
    if (widget_->isVisible()) QCoreApplication::sendPostedEvents(widget_, QEvent::UpdateRequest);
}

void HandleCore::SetFocus() { widget_->setFocus(Qt::OtherFocusReason); }

bool HandleCore::Focused() const { return widget_->hasFocus(); }

void HandleCore::Raise()
{
    if (!widget_->isWindow() || QGuiApplication::platformName() != "offscreen") widget_->raise();
}

void HandleCore::Lower()
{
    if (!widget_->isWindow() || QGuiApplication::platformName() != "offscreen") widget_->lower();
}

void HandleCore::SetTabNext(TWidgetHandle* Next)
{
    if (auto* n = dynamic_cast<HandleCore*>(Next)) QWidget::setTabOrder(widget_, n->widget_);
}

void HandleCore::SetTabStop(bool TabStop)
{
    if (nativeFocus_) widget_->setFocusPolicy(TabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void HandleCore::Grab(TBitmap& Out) { CopyImage(widget_->grab().toImage(), Out); }

bool HandleCore::KeyToControl(QKeyEvent* e)
{
    if (!control_) return false;
    TMessage m;
    m.Msg = WM_KEYDOWN;
    m.Key = VirtualKeyOf(e->key());
    m.Shift = ShiftOf(e->modifiers().toInt());
    if (m.Key == 0) return false;
    Send(control_, m);
    return m.Result != 0;
}

void HandleCore::FocusToControl(bool in)
{
    TMessage m;
    m.Msg = in ? WM_SETFOCUS : WM_KILLFOCUS;
    Send(control_, m);
}

}  // namespace qtbridge
