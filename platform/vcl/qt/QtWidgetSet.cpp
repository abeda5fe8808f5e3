// The window system on Qt: the application object, nested event loops, timers, posted
// calls and the screen.
#include <QApplication>
#include <QEventLoop>
#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QTimerEvent>

#include <cstdlib>
#include <map>
#include <memory>

#include "platform/vcl/qt/QtBridge.h"
#include "platform/vcl/qt/QtWidgetSet.h"

namespace qtbridge {

namespace {

// Receives every timer of the library; a tick looks its timer up by id, so a timer
// killed inside its own tick (or before a queued tick arrives) is simply not found.
class TimerHost : public QObject {
public:
    int Start(int ms, std::function<void()> tick)
    {
        int id = startTimer(ms < 1 ? 1 : ms);
        if (id != 0) ticks_[id] = std::move(tick);
        return id;
    }
    void Kill(int id)
    {
        if (ticks_.erase(id)) killTimer(id);
    }

protected:
    void timerEvent(QTimerEvent* e) override
    {
        auto it = ticks_.find(e->timerId());
        if (it == ticks_.end()) return;
        std::function<void()> tick = it->second;  // the tick may kill its own timer
        tick();
    }

private:
    std::map<int, std::function<void()>> ticks_;
};

QPalette ClassicPalette()
{
    QPalette p;
    auto set = [&](QPalette::ColorRole role, TColor c) { p.setColor(role, ToQColor(c)); };
    set(QPalette::Window, clBtnFace);
    set(QPalette::WindowText, clWindowText);
    set(QPalette::Base, clWindow);
    set(QPalette::AlternateBase, clBtnFace);
    set(QPalette::Text, clWindowText);
    set(QPalette::Button, clBtnFace);
    set(QPalette::ButtonText, clBtnText);
    set(QPalette::BrightText, clWhite);
    set(QPalette::Light, clBtnHighlight);
    set(QPalette::Midlight, cl3DLight);
    set(QPalette::Mid, clBtnShadow);
    set(QPalette::Dark, clBtnShadow);
    set(QPalette::Shadow, cl3DDkShadow);
    set(QPalette::Highlight, clHighlight);
    set(QPalette::HighlightedText, clHighlightText);
    set(QPalette::ToolTipBase, clInfoBk);
    set(QPalette::ToolTipText, clInfoText);
    p.setColor(QPalette::Disabled, QPalette::WindowText, ToQColor(clGrayText));
    p.setColor(QPalette::Disabled, QPalette::Text, ToQColor(clGrayText));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, ToQColor(clGrayText));
    p.setColor(QPalette::Disabled, QPalette::Light, ToQColor(clBtnHighlight));
    return p;
}

class QtWidgetSet : public TWidgetSet {
public:
    QtWidgetSet()
    {
        // One logical pixel is one device pixel: forms are laid out in pixels.
        qunsetenv("QT_SCALE_FACTOR");
        qunsetenv("QT_SCREEN_SCALE_FACTORS");
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
        if (!QCoreApplication::instance()) {
            app_ = std::make_unique<QApplication>(argc_, argv_);
        }
        QGuiApplication::setQuitOnLastWindowClosed(false);
        if (QStyle* style = QStyleFactory::create("Windows")) QApplication::setStyle(style);
        QApplication::setPalette(ClassicPalette());
        for (const char* family : {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "System", "Small Fonts"})
            QFont::insertSubstitution(family, "Liberation Sans");
        TFont standard;
        QApplication::setFont(ToQFont(standard));
        timers_ = new TimerHost;
    }

    ~QtWidgetSet() override
    {
        delete timers_;
        // Windows of freed controls wait for the event loop to delete them.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* w : QApplication::topLevelWidgets()) delete w;
        app_.reset();
    }

    TWidgetHandle* CreateHandle(TWidgetKind Kind, TWinControl* Control, TWidgetHandle* Parent) override
    {
        return CreateWidget(Kind, Control, Parent);
    }

    void RunLoop(const std::function<bool()>& Done) override
    {
        ++depth_;
        while (!Done()) {
            QEventLoop loop;
            loops_.push_back(&loop);
            loop.exec();
            loops_.pop_back();
        }
        --depth_;
    }

    void WakeLoops() override
    {
        for (QEventLoop* l : loops_) l->exit();
    }

    int LoopDepth() const override { return depth_; }

    void ProcessMessages() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

    void Post(std::function<void()> Fn) override
    {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(Fn), Qt::QueuedConnection);
    }

    int StartTimer(int Milliseconds, std::function<void()> Tick) override
    {
        return timers_->Start(Milliseconds, std::move(Tick));
    }

    void KillTimer(int Id) override { timers_->Kill(Id); }

    TSize ScreenSize() const override
    {
        QScreen* s = QGuiApplication::primaryScreen();
        if (!s) return TSize{1024, 768};
        QRect g = s->geometry();
        return TSize{g.width(), g.height()};
    }

    void GrabScreen(TBitmap& Out) override
    {
        QScreen* s = QGuiApplication::primaryScreen();
        if (!s) {
            Out.SetSize(0, 0);
            return;
        }
        CopyImage(s->grabWindow(0).toImage(), Out);
    }

    void Beep() override { QApplication::beep(); }

private:
    int argc_ = 1;
    char arg0_[9] = "pallimer";
    char* argv_[2] = {arg0_, nullptr};
    std::unique_ptr<QApplication> app_;
    TimerHost* timers_ = nullptr;
    std::vector<QEventLoop*> loops_;
    int depth_ = 0;
};

}  // namespace

}  // namespace qtbridge

TWidgetSet* CreateQtWidgetSet() { return new qtbridge::QtWidgetSet; }
