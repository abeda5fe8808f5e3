// The windows behind the controls: a surface window for self-drawn controls and forms,
// and the native input widgets (buttons, check boxes, edits, memos, lists).
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>

#include "platform/graphics/Icon.h"
#include "platform/vcl/qt/QtBridge.h"
#include "platform/vcl/qt/QtWidgetSet.h"

namespace qtbridge {

namespace {

// The part every widget class shares: keys and focus to the control first.
template <class Base>
class Bridged : public Base, public HandleCore {
public:
    Bridged(TWinControl* c, QWidget* parent) : Base(parent), HandleCore(this, c) {}

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (KeyToControl(e)) {
            e->accept();
            return;
        }
        Base::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override
    {
        Base::focusInEvent(e);
        FocusToControl(true);
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        Base::focusOutEvent(e);
        FocusToControl(false);
    }
};

// A control's colour: the background role of the widget.
void SetRoleColor(QWidget* w, QPalette::ColorRole role, TColor color)
{
    QPalette p = w->palette();
    p.setColor(role, ToQColor(color));
    w->setPalette(p);
}

// A glyph or list icon: the colour of its bottom-left pixel is transparent.
QPixmap PixmapOf(const TBitmap& b)
{
    QImage img(b.Width(), b.Height(), QImage::Format_ARGB32);
    uint32_t clear = b.ScanLine(b.Height() - 1)[0];
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            uint32_t px = b.ScanLine(y)[x];
            img.setPixel(x, y, px == clear ? 0u : (0xFF000000u | px));
        }
    return QPixmap::fromImage(img);
}

// Qt's offscreen platform cannot restack windows (and says so on every try).
bool CanRaise()
{
    static const bool can = QGuiApplication::platformName() != "offscreen";
    return can;
}

TMessage MouseMessage(uint32_t msg, QMouseEvent* e)
{
    TMessage m;
    m.Msg = msg;
    QPoint p = e->position().toPoint();
    m.X = p.x();
    m.Y = p.y();
    m.Button = e->button() == Qt::RightButton ? mbRight : e->button() == Qt::MiddleButton ? mbMiddle : mbLeft;
    m.Shift = ShiftOf(e->modifiers().toInt(), e->buttons().toInt());
    return m;
}

// A window that shows the control's surface: forms, panels, group boxes, notebook
// pages, progress bars. Paint requests are painted into the surface by the control,
// then copied to the screen.
class SurfaceWidget : public Bridged<QWidget> {
public:
    SurfaceWidget(TWinControl* c, QWidget* parent, bool topLevel) : Bridged<QWidget>(c, parent), topLevel_(topLevel)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(false);
        nativeFocus_ = false;
        setFocusPolicy(topLevel ? Qt::StrongFocus : Qt::NoFocus);
        if (topLevel) {
            setWindowFlags(Qt::Window);
            setAttribute(Qt::WA_QuitOnClose, false);
        }
    }

    void SetText(const std::string& Text) override
    {
        if (topLevel_) setWindowTitle(ToQt(Text));
    }
    std::string Text() const override { return FromQt(windowTitle()); }

    void SetBounds(const TRect& R) override
    {
        applying_ = true;
        if (topLevel_ && !sizeable_) setFixedSize(int(R.Width()), int(R.Height()));
        setGeometry(ToQRect(R));
        applying_ = false;
    }

    void SetFrame(const TFormFrame& f) override
    {
        if (!topLevel_) return;
        Qt::WindowFlags flags = f.Dialog ? Qt::Dialog : Qt::Window;
        if (!f.Caption) {
            flags |= Qt::FramelessWindowHint;
        } else {
            flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            if (f.CloseBox) flags |= Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint;
            if (f.MinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
            if (f.MaximizeBox) flags |= Qt::WindowMaximizeButtonHint;
        }
        sizeable_ = f.Sizeable;
        if (sizeable_) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        bool visible = isVisible();
        setWindowFlags(flags);
        if (visible) show();
    }

    void SetModal(bool Modal) override
    {
        if (topLevel_) setWindowModality(Modal ? Qt::ApplicationModal : Qt::NonModal);
    }

    void SetTransientParent(TWidgetHandle* Parent) override
    {
        if (!topLevel_) return;
        winId();  // the native window must exist
        QWindow* parentWindow = nullptr;
        if (auto* p = dynamic_cast<HandleCore*>(Parent)) {
            p->Widget()->winId();
            parentWindow = p->Widget()->windowHandle();
        }
        if (windowHandle()) windowHandle()->setTransientParent(parentWindow);
    }

    void SetIcon(const TIcon* Icon) override
    {
        if (!topLevel_) return;
        if (!Icon || Icon->Empty()) {
            setWindowIcon(QIcon());
            return;
        }
        QImage img(Icon->Width(), Icon->Height(), QImage::Format_ARGB32);
        for (int y = 0; y < Icon->Height(); ++y)
            for (int x = 0; x < Icon->Width(); ++x) {
                uint32_t px = Icon->Image().ScanLine(y)[x];
                bool clear = Icon->Mask().ScanLine(y)[x] != 0;
                img.setPixel(x, y, clear ? 0u : (0xFF000000u | px));
            }
        setWindowIcon(QIcon(QPixmap::fromImage(img)));
    }

    void ShowAndWaitExposed() override
    {
        show();
        if (CanRaise()) raise();
        QWindow* w = windowHandle();
        QElapsedTimer t;
        t.start();
        // Without user input, until the window system has put the window on screen (a
        // repaint before that is dropped). Bounded, so a window system that never exposes
        // the window cannot hang the program.
        while (w && !w->isExposed() && t.elapsed() < 5000) {
            QTimer::singleShot(20, [] {});
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
        }
    }

    void Activate() override
    {
        if (!topLevel_) return;
        if (CanRaise()) raise();
        activateWindow();
    }

    void Grab(TBitmap& Out) override { CopyImage(grab().toImage(), Out); }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        TWinControl* c = control_;
        if (!c) return;
        TMessage m;
        m.Msg = WM_PAINT;
        m.Rect = FromQRect(e->rect());
        Send(c, m);
        if (!control_) return;
        const TBitmap& s = control_->Surface();
        QPainter p(this);
        if (s.Width() <= 0 || s.Height() <= 0) return;
        QRect r = e->rect().intersected(QRect(0, 0, s.Width(), s.Height()));
        p.drawImage(r, ImageOf(s), r);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        TMessage m = MouseMessage(WM_MOUSEDOWN, e);
        Send(control_, m);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        TMessage m = MouseMessage(WM_MOUSEUP, e);
        Send(control_, m);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override
    {
        TMessage m = MouseMessage(WM_DBLCLICK, e);
        Send(control_, m);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        TMessage m = MouseMessage(WM_MOUSEMOVE, e);
        Send(control_, m);
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        // Keys nobody inside took: a form handles Enter, Escape and its own OnKeyDown;
        // other containers pass them on to their parent.
        if (!topLevel_) {
            e->ignore();
            return;
        }
        if (KeyToControl(e)) {
            e->accept();
            return;
        }
        e->ignore();
    }
    void closeEvent(QCloseEvent* e) override
    {
        // The form decides (and hides itself if it agrees).
        e->ignore();
        TMessage m;
        m.Msg = WM_CLOSE;
        Send(control_, m);
    }
    void changeEvent(QEvent* e) override
    {
        QWidget::changeEvent(e);
        if (topLevel_ && e->type() == QEvent::ActivationChange && isActiveWindow()) {
            TMessage m;
            m.Msg = WM_ACTIVATE;
            m.Param = 1;
            Send(control_, m);
        }
    }
    void resizeEvent(QResizeEvent* e) override
    {
        QWidget::resizeEvent(e);
        if (!topLevel_ || applying_) return;
        TMessage m;
        m.Msg = WM_SIZE;
        m.X = e->size().width();
        m.Y = e->size().height();
        Send(control_, m);
    }
    void moveEvent(QMoveEvent* e) override
    {
        QWidget::moveEvent(e);
        if (!topLevel_ || applying_) return;
        TMessage m;
        m.Msg = WM_MOVE;
        m.X = geometry().x();
        m.Y = geometry().y();
        Send(control_, m);
    }

private:
    bool topLevel_;
    bool sizeable_ = false;
    bool applying_ = false;
};

class ButtonWidget : public Bridged<QPushButton> {
public:
    ButtonWidget(TWinControl* c, QWidget* parent) : Bridged<QPushButton>(c, parent)
    {
        // Enter presses the focused button.
        setAutoDefault(true);
        connect(this, &QPushButton::clicked, this, [this] {
            TMessage m;
            m.Msg = CN_CLICKED;
            Send(control_, m);
        });
    }
    void SetText(const std::string& Text) override { setText(ToQt(Text)); }
    std::string Text() const override { return FromQt(text()); }
    void SetDefault(bool Default) override { setDefault(Default); }
    void SetGlyph(const TBitmap* Normal, const TBitmap* Disabled) override
    {
        if (!Normal || Normal->Empty()) {
            setIcon(QIcon());
            return;
        }
        QIcon icon;
        icon.addPixmap(PixmapOf(*Normal), QIcon::Normal);
        if (Disabled && !Disabled->Empty()) icon.addPixmap(PixmapOf(*Disabled), QIcon::Disabled);
        setIcon(icon);
        setIconSize(QSize(Normal->Width(), Normal->Height()));
    }
};

class CheckWidget : public Bridged<QCheckBox> {
public:
    CheckWidget(TWinControl* c, QWidget* parent) : Bridged<QCheckBox>(c, parent)
    {
        connect(this, &QCheckBox::clicked, this, [this] {
            TMessage m;
            m.Msg = CN_CHECKED;
            m.Param = checkState() == Qt::Checked ? 1 : checkState() == Qt::PartiallyChecked ? 2 : 0;
            Send(control_, m);
        });
    }
    void SetText(const std::string& Text) override { setText(ToQt(Text)); }
    std::string Text() const override { return FromQt(text()); }
    void SetChecked(int State) override
    {
        setTristate(State == 2 || isTristate());
        setCheckState(State == 1 ? Qt::Checked : State == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    }
    int Checked() const override
    {
        return checkState() == Qt::Checked ? 1 : checkState() == Qt::PartiallyChecked ? 2 : 0;
    }
    void SetColor(TColor Color) override { SetRoleColor(this, QPalette::Window, Color); }
};

class EditWidget : public Bridged<QLineEdit> {
public:
    EditWidget(TWinControl* c, QWidget* parent) : Bridged<QLineEdit>(c, parent)
    {
        connect(this, &QLineEdit::textChanged, this, [this](const QString& t) {
            if (setting_) return;
            TMessage m;
            m.Msg = CN_CHANGE;
            m.Text = FromQt(t);
            Send(control_, m);
        });
    }
    void SetText(const std::string& Text) override
    {
        if (FromQt(text()) == Text) return;
        setting_ = true;
        setText(ToQt(Text));
        setting_ = false;
    }
    std::string Text() const override { return FromQt(text()); }
    void SetReadOnly(bool ReadOnly) override { setReadOnly(ReadOnly); }
    void SetMaxLength(int MaxLength) override { setMaxLength(MaxLength > 0 ? MaxLength : 32767); }
    void SetColor(TColor Color) override { SetRoleColor(this, QPalette::Base, Color); }

private:
    bool setting_ = false;
};

class MemoWidget : public Bridged<QPlainTextEdit> {
public:
    MemoWidget(TWinControl* c, QWidget* parent) : Bridged<QPlainTextEdit>(c, parent)
    {
        connect(this, &QPlainTextEdit::textChanged, this, [this] {
            if (setting_) return;
            TMessage m;
            m.Msg = CN_CHANGE;
            m.Text = Text();
            Send(control_, m);
        });
    }
    void SetText(const std::string& Text) override
    {
        // Lines end with CR LF in the control, with LF in the widget.
        std::string lf;
        for (size_t i = 0; i < Text.size(); ++i) {
            if (Text[i] == '\r') {
                lf.push_back('\n');
                if (i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
            } else {
                lf.push_back(Text[i]);
            }
        }
        setting_ = true;
        setPlainText(ToQt(lf));
        setting_ = false;
    }
    std::string Text() const override
    {
        std::string lf = FromQt(toPlainText()), crlf;
        for (char ch : lf) {
            if (ch == '\n') crlf += "\r\n";
            else crlf.push_back(ch);
        }
        return crlf;
    }
    void SetReadOnly(bool ReadOnly) override { setReadOnly(ReadOnly); }
    void SetScrollBars(bool Horizontal, bool Vertical) override
    {
        setHorizontalScrollBarPolicy(Horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    }
    void SetWordWrap(bool WordWrap) override
    {
        setLineWrapMode(WordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    }
    void SetWantReturns(bool WantReturns) override { wantReturns_ = WantReturns; }
    void SetColor(TColor Color) override { SetRoleColor(this, QPalette::Base, Color); }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!wantReturns_ && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
            !(e->modifiers() & Qt::ControlModifier)) {
            // Enter belongs to the form (its default button), as in a dialog.
            if (KeyToControl(e)) return;
            e->ignore();
            return;
        }
        Bridged<QPlainTextEdit>::keyPressEvent(e);
    }

private:
    bool setting_ = false;
    bool wantReturns_ = true;
};

QIcon IconOf(const TBitmap* b)
{
    if (!b || b->Empty()) return QIcon();
    return QIcon(PixmapOf(*b));
}

class ComboWidget : public Bridged<QComboBox> {
public:
    ComboWidget(TWinControl* c, QWidget* parent) : Bridged<QComboBox>(c, parent)
    {
        connect(this, qOverload<int>(&QComboBox::activated), this, [this](int index) {
            TMessage m;
            m.Msg = CN_SELCHANGE;
            m.Param = index;
            Send(control_, m);
        });
    }
    void SetItems(const std::vector<TListItemView>& Items, int ItemIndex) override
    {
        QSignalBlocker block(this);
        clear();
        for (const auto& it : Items) addItem(IconOf(it.Icon), ToQt(it.Text));
        setCurrentIndex(ItemIndex);
    }
    void SetItemIndex(int Index) override
    {
        QSignalBlocker block(this);
        setCurrentIndex(Index);
    }
    int ItemIndex() const override { return currentIndex(); }
    std::string Text() const override { return FromQt(currentText()); }
};

class ListWidget : public Bridged<QListWidget> {
public:
    ListWidget(TWinControl* c, QWidget* parent) : Bridged<QListWidget>(c, parent)
    {
        setUniformItemSizes(true);
        connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
            if (setting_) return;
            TMessage m;
            m.Msg = CN_SELCHANGE;
            m.Param = row;
            Send(control_, m);
        });
        connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
            TMessage m;
            m.Msg = CN_DBLCLK;
            m.Param = row(item);
            // The list is rebuilt by the handler: leave the item's signal first.
            QPointer<ListWidget> self(this);
            QTimer::singleShot(0, this, [self, m]() mutable {
                if (self) Send(self->control_, m);
            });
        });
    }
    void SetItems(const std::vector<TListItemView>& Items, int ItemIndex) override
    {
        // Tree levels indent the icons: every row's picture is as wide as the deepest
        // row's, with its icon drawn at its own level.
        constexpr int step = 7;
        int iconW = 0, iconH = 0, levels = 0;
        for (const auto& it : Items) {
            levels = std::max(levels, it.Indent);
            if (it.Icon) {
                iconW = std::max(iconW, it.Icon->Width());
                iconH = std::max(iconH, it.Icon->Height());
            }
        }
        int width = iconW + levels * step;
        setting_ = true;
        clear();
        for (const auto& it : Items) {
            QIcon icon;
            if (width > 0 && iconH > 0) {
                QPixmap pm(width, iconH);
                pm.fill(Qt::transparent);
                QPainter p(&pm);
                QIcon own = IconOf(it.Icon);
                if (!own.isNull()) own.paint(&p, it.Indent * step, 0, iconW, iconH);
                p.end();
                icon = QIcon(pm);
            }
            auto* item = new QListWidgetItem(icon, ToQt(it.Text));
            item->setSizeHint(QSize(0, itemHeight_));
            addItem(item);
        }
        if (width > 0) setIconSize(QSize(width, iconH));
        setCurrentRow(ItemIndex);
        if (ItemIndex >= 0) scrollToItem(item(ItemIndex));
        setting_ = false;
    }
    void SetItemIndex(int Index) override
    {
        setting_ = true;
        setCurrentRow(Index);
        setting_ = false;
    }
    int ItemIndex() const override { return currentRow(); }
    void SetItemHeight(int Height) override { itemHeight_ = Height; }
    void SetColor(TColor Color) override { SetRoleColor(this, QPalette::Base, Color); }

private:
    bool setting_ = false;
    int itemHeight_ = 16;
};

}  // namespace

TWidgetHandle* CreateWidget(TWidgetKind Kind, TWinControl* Control, TWidgetHandle* Parent)
{
    QWidget* parent = nullptr;
    if (auto* p = dynamic_cast<HandleCore*>(Parent)) parent = p->Widget();
    switch (Kind) {
    case TWidgetKind::Form: return new SurfaceWidget(Control, nullptr, true);
    case TWidgetKind::Container: return new SurfaceWidget(Control, parent, false);
    case TWidgetKind::Button: return new ButtonWidget(Control, parent);
    case TWidgetKind::CheckBox: return new CheckWidget(Control, parent);
    case TWidgetKind::Edit: return new EditWidget(Control, parent);
    case TWidgetKind::Memo: return new MemoWidget(Control, parent);
    case TWidgetKind::ComboBox: return new ComboWidget(Control, parent);
    case TWidgetKind::ListBox: return new ListWidget(Control, parent);
    }
    return nullptr;
}

}  // namespace qtbridge
