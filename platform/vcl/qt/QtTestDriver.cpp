#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "platform/vcl/Forms.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/qt/QtBridge.h"

namespace VclDriver {

namespace {

QWidget* WidgetOf(TWinControl* c)
{
    if (!c) return nullptr;
    auto* h = dynamic_cast<qtbridge::HandleCore*>(c->Handle());
    return h ? h->Widget() : nullptr;
}

// The widget to click and the point within it.
QWidget* Target(TControl* Control, QPoint& at)
{
    if (auto* w = dynamic_cast<TWinControl*>(Control)) {
        at = QPoint(w->Width() / 2, w->Height() / 2);
        if (dynamic_cast<TCustomForm*>(w)) at = QPoint(w->ClientWidth() / 2, w->ClientHeight() / 2);
        return WidgetOf(w);
    }
    TWinControl* p = Control->Parent();
    if (!p) return nullptr;
    TPoint o = p->ClientOrigin();
    at = QPoint(o.X + Control->Left() + Control->Width() / 2, o.Y + Control->Top() + Control->Height() / 2);
    return WidgetOf(p);
}

Qt::KeyboardModifiers ModifiersOf(TShiftState s)
{
    Qt::KeyboardModifiers m;
    if (s & ssShift) m |= Qt::ShiftModifier;
    if (s & ssCtrl) m |= Qt::ControlModifier;
    if (s & ssAlt) m |= Qt::AltModifier;
    return m;
}

Qt::Key QtKeyOf(uint16_t vk)
{
    switch (vk) {
    case VK_BACK: return Qt::Key_Backspace;
    case VK_TAB: return Qt::Key_Tab;
    case VK_RETURN: return Qt::Key_Return;
    case VK_ESCAPE: return Qt::Key_Escape;
    case VK_SPACE: return Qt::Key_Space;
    case VK_PRIOR: return Qt::Key_PageUp;
    case VK_NEXT: return Qt::Key_PageDown;
    case VK_END: return Qt::Key_End;
    case VK_HOME: return Qt::Key_Home;
    case VK_LEFT: return Qt::Key_Left;
    case VK_UP: return Qt::Key_Up;
    case VK_RIGHT: return Qt::Key_Right;
    case VK_DOWN: return Qt::Key_Down;
    case VK_DELETE: return Qt::Key_Delete;
    default: break;
    }
    if (vk >= VK_F1 && vk < VK_F1 + 24) return Qt::Key(Qt::Key_F1 + (vk - VK_F1));
    return Qt::Key(vk);
}

}  // namespace

void Click(TControl* Control)
{
    QPoint at;
    if (QWidget* w = Target(Control, at)) QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
}

void DoubleClick(TControl* Control)
{
    QPoint at;
    if (QWidget* w = Target(Control, at)) QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, at);
}

void PressKey(TControl* Control, uint16_t VirtualKey, TShiftState Shift)
{
    QWidget* target = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(Control)) target = WidgetOf(w);
    if (TCustomForm* f = Control->ParentForm()) {
        QWidget* fw = WidgetOf(f);
        if (fw && (!target || target == fw)) target = fw->focusWidget() ? fw->focusWidget() : fw;
    }
    if (target) QTest::keyClick(target, QtKeyOf(VirtualKey), ModifiersOf(Shift));
}

void TypeText(TWinControl* Edit, const std::string& Text)
{
    QWidget* w = WidgetOf(Edit);
    if (!w) return;
    w->setFocus();
    if (auto* le = qobject_cast<QLineEdit*>(w)) le->selectAll();
    else QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    if (Text.empty()) {
        QTest::keyClick(w, Qt::Key_Delete);
        return;
    }
    QTest::keyClicks(w, qtbridge::ToQt(Text));
}

void DoubleClickItem(TWinControl* List, int Index)
{
    auto* lw = qobject_cast<QListWidget*>(WidgetOf(List));
    if (!lw || Index < 0 || Index >= lw->count()) return;
    QRect r = lw->visualItemRect(lw->item(Index));
    if (r.isEmpty()) {
        lw->scrollToItem(lw->item(Index));
        r = lw->visualItemRect(lw->item(Index));
    }
    QTest::mouseClick(lw->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::mouseDClick(lw->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    ProcessEvents();
}

void ChooseItem(TWinControl* Combo, int Index)
{
    auto* cb = qobject_cast<QComboBox*>(WidgetOf(Combo));
    if (!cb || Index < 0 || Index >= cb->count()) return;
    cb->setFocus();
    // The keyboard way: Home, then Down to the entry; each move activates it.
    QTest::keyClick(cb, Qt::Key_Home);
    for (int i = 0; i < Index; ++i) QTest::keyClick(cb, Qt::Key_Down);
    ProcessEvents();
}

void ProcessEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace VclDriver
