// The control tree: TControl, TGraphicControl, TWinControl, TCustomControl.
//
// Drawing model. Every windowed control that draws itself (forms, panels, group boxes,
// notebook pages, progress bars) keeps a surface: a TBitmap of its whole window. A paint
// of a rectangle R of that window runs, into the surface:
//
//   1. the control's own Paint (its background and frame), clipped to R;
//   2. each visible windowless child (TGraphicControl) that meets R, in z-order (the
//      order of Controls()), through the child's canvas, which draws into the same
//      surface with its origin at the child's top-left and its clip at child ∩ R.
//
// The window system then only shows the surface. A transparent child therefore reads
// back exactly what was painted beneath it. Windowed children are windows of their
// own and always lie above the windowless ones.
//
// Invalidate asks for a paint later (the window system collects requests); Repaint paints
// at once and puts the result on the screen before returning, also when the caller then
// blocks the thread. A Repaint asked for while the same window is painting becomes an
// Invalidate.
//
// Windows are created lazily (when a form is first shown). Until then, and in programs
// without a window system, controls still lay out and paint: PaintTo draws a control
// with its children into any canvas.
//
// Coordinates: Left and Top are relative to the parent's client area; a control's own
// client area starts at ClientOrigin within its window (a bordered panel's edge lies
// outside it).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsTypes.h"

class TWinControl;
class TCustomForm;
class TWidgetHandle;
class TReader;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TDragMode : uint8_t { dmManual, dmAutomatic };

// Shift state bits.
using TShiftState = uint8_t;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

// Virtual key codes the controls handle.
constexpr uint16_t VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
                   VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
                   VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_DELETE = 0x2E, VK_F1 = 0x70;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
// Drag and drop: the events exist so stored forms can name handlers; controls never start
// a drag, so they are not fired.
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y, int State, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int32_t X, int32_t Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;

// Cursor shapes (stored as crXxx names); kept for forms, the pointer is the system's.
using TCursor = int16_t;
constexpr TCursor crDefault = 0, crArrow = -2, crDrag = -12;

// Control style flags.
constexpr uint32_t csAcceptsControls = 1u << 0;
constexpr uint32_t csOpaque = 1u << 1;        // paints all of its area
constexpr uint32_t csSetCaption = 1u << 2;    // the caption follows the name when designed

// Messages from the window system to a control (TControl::WndProc). Coordinates are in
// the receiving control's client area.
enum TMessageId : uint32_t {
    WM_PAINT = 1,       // Rect: the area to paint (window coordinates)
    WM_MOUSEDOWN,       // Button, X, Y, Shift
    WM_MOUSEUP,
    WM_MOUSEMOVE,
    WM_DBLCLICK,
    WM_KEYDOWN,         // Key, Shift; Result 1 = handled
    WM_CHAR,            // Char
    WM_SETFOCUS,
    WM_KILLFOCUS,
    WM_ACTIVATE,        // Param 1 = activated, 0 = deactivated
    WM_CLOSE,           // the user asked to close the window
    WM_SIZE,            // X, Y = the new client size given by the window system
    WM_MOVE,            // X, Y = the new client origin on the screen
    CN_CLICKED,         // a button was pressed
    CN_CHANGE,          // an edit's text changed; Text
    CN_SELCHANGE,       // a list's selection changed; Param = index
    CN_DBLCLK,          // a list item was activated; Param = index
    CN_CHECKED,         // a check box changed; Param = new state
};

struct TMessage {
    uint32_t Msg = 0;
    int32_t X = 0, Y = 0;
    TMouseButton Button = mbLeft;
    TShiftState Shift = 0;
    uint16_t Key = 0;
    char Char = 0;
    int32_t Param = 0;
    TRect Rect;
    std::string Text;
    intptr_t Result = 0;
};

// Raised for operations a control's state does not allow ("Cannot focus a disabled or
// invisible window", "Cannot make a visible window modal", "Control has no parent window").
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    std::string ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);

    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    void SetLeft(int32_t v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int32_t v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int32_t v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int32_t v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    // The client area: (0, 0, ClientWidth, ClientHeight).
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    virtual int32_t ClientWidth() const { return width_; }
    virtual int32_t ClientHeight() const { return height_; }
    void SetClientWidth(int32_t v) { SetClientSize(v, ClientHeight()); }
    void SetClientHeight(int32_t v) { SetClientSize(ClientWidth(), v); }
    virtual void SetClientSize(int32_t w, int32_t h);
    // Converts between this control's client coordinates and the screen's.
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so are all its parents (a form: shown on the screen).
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);

    // The caption (a label's or button's text, a form's title, an edit's text).
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& v) { SetText(v); }
    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& v);

    // The control's own font. While ParentFont is on it follows the parent's font; any
    // change of the font itself switches ParentFont off.
    TFont* Font() const { return font_.get(); }
    void SetFont(const TFont* v) { font_->Assign(v); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign v);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; parentShowHint_ = false; }
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v) { parentShowHint_ = v; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor v) { cursor_ = v; }
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor v) { dragCursor_ = v; }
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode v) { dragMode_ = v; }
    // A pop-up menu component; menus are not shown by this library.
    TComponent* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TComponent* v) { popupMenu_ = v; }

    uint32_t ControlStyle() const { return controlStyle_; }
    void SetControlStyle(uint32_t v) { controlStyle_ = v; }

    // Deferred and immediate repaint of the whole control; Update paints what is pending.
    virtual void Invalidate();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void Update();
    // Places the control above / below its siblings of the same kind.
    void BringToFront();
    void SendToBack();

    // The form the control lies on (nullptr when it has none).
    TCustomForm* ParentForm() const;

    // Presses the control: the click event.
    virtual void Click();
    virtual void DblClick();

    // Entry point of the window system's messages.
    virtual void WndProc(TMessage& Message);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;

    // A token that turns false when the control is destroyed: code that calls out to
    // handlers (which may free the control) checks it before touching the control again.
    std::shared_ptr<const bool> AliveToken() const { return alive_; }

    // Streaming: controls are stored under their parent.
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void Loaded() override;

protected:
    // Notifications of property changes, for subclasses.
    virtual void TextChanged() {}
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    virtual void BoundsChanged() {}
    // The parent's font or colour changed: follow it when ParentFont / ParentColor.
    void ParentFontChanged();
    void ParentColorChanged();
    // Auto-sizing hook, called after changes that affect the size (caption, font) and
    // after loading.
    virtual void AdjustSize() {}

    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);

    // The rectangle of this control in its parent's window (its surface).
    TRect RectInParentWindow() const;
    void InvalidateRect(const TRect& R, bool Immediate);

    bool Loading() const { return HasState(csLoading); }

    int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string text_;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    bool parentFont_ = true;

private:
    friend class TWinControl;
    void FontObjectChanged();

    TWinControl* parent_ = nullptr;
    std::unique_ptr<TFont> font_;
    bool applyingParentFont_ = false;
    TAlign align_ = alNone;
    std::string hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TCursor cursor_ = crDefault;
    TCursor dragCursor_ = crDrag;
    TDragMode dragMode_ = dmManual;
    TComponent* popupMenu_ = nullptr;
    uint32_t controlStyle_ = 0;
    bool mouseInside_ = false;  // a press began inside and has not been released
    std::shared_ptr<bool> alive_;
};

// A control without a window of its own: painted by its parent into the parent's surface.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    std::string ClassName() const override { return "TGraphicControl"; }
    // Draws into the parent's surface at the control's place, clipped to the part being
    // painted. Outside a paint it draws onto nothing.
    TCanvas* Canvas() const { return canvas_.get(); }
    // Paints the control now into `Target` with its top-left at (X, Y), as a parent
    // paint would (what Target holds there is what lies beneath).
    void PaintTo(TCanvas& Target, int32_t X, int32_t Y);

protected:
    friend class TWinControl;
    virtual void Paint() {}

private:
    std::unique_ptr<TCanvas> canvas_;
    TBitmap nowhere_;
};

// How a windowed control is realised by the window system.
enum class TWidgetKind : uint8_t {
    Form,       // a top-level window showing its surface
    Container,  // a child window showing its surface
    Button,
    CheckBox,
    Edit,
    Memo,
    ComboBox,
    ListBox,
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    std::string ClassName() const override { return "TWinControl"; }

    // Children in z-order, windowless ones first.
    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int Index) const { return controls_.at(size_t(Index)); }
    // The topmost visible child whose bounds hold the point (client coordinates).
    TControl* ControlAtPos(TPoint P, bool AllowDisabled = false) const;

    int32_t ClientWidth() const override;
    int32_t ClientHeight() const override;
    // Where the client area starts within the control's window, and the window's size
    // (the whole control, except for a form, whose window is its client area).
    virtual TPoint ClientOrigin() const { return TPoint{}; }
    virtual TSize WindowSize() const { return TSize{width_, height_}; }

    int32_t TabOrder() const { return tabOrder_; }
    void SetTabOrder(int32_t v);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    // Windowed children sorted by tab order.
    std::vector<TWinControl*> TabList() const;
    bool CanFocus() const;
    virtual void SetFocus();
    bool Focused() const;

    // The window, created on demand (also for all parents). Null while no window system
    // is running.
    TWidgetHandle* Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }

    // The surface of a self-drawn window (empty for native controls until painted).
    TBitmap& Surface() { return surface_; }
    // Paints the window's rectangle R (window coordinates) into its surface: the
    // control's own paint, then its windowless children.
    void PaintHandler(const TRect& R);
    // Draws the control with all its children into Target at (X, Y). Native controls are
    // drawn the way this library draws them without a window system.
    void PaintTo(TCanvas& Target, int32_t X, int32_t Y);

    void Invalidate() override;
    void Repaint() override;
    void Update() override;
    // Repaints (or invalidates) a rectangle of the window.
    void InvalidateWindowRect(const TRect& R, bool Immediate);
    bool Painting() const { return painting_; }
    // The area invalidated and not yet painted while there is no window.
    TRect PendingPaint() const { return pending_; }

    // Lays out the aligned children within the client area.
    void Realign();

    void WndProc(TMessage& Message) override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
    void Loaded() override;
    void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

    // The kind of window this control needs.
    virtual TWidgetKind WidgetKind() const { return TWidgetKind::Container; }
    // A key the focused control did not take, offered by the form to every control
    // (Enter and Escape for the default and cancel buttons); true when taken.
    virtual bool DialogKey(uint16_t Key, TShiftState Shift);

protected:
    friend class TControl;
    // Paints what lies outside the client area (a border), in window coordinates.
    virtual void PaintNonClient(TCanvas& Canvas) { (void)Canvas; }
    // Paints the client area's own content (its background) into the surface; the canvas
    // has its origin at the client area and R is in client coordinates.
    virtual void PaintWindow(TCanvas& Canvas, const TRect& R);
    // How the control looks without a window system (native controls override it).
    virtual void PaintFallback(TCanvas& Canvas) { (void)Canvas; }
    // Called when the window has been created: push the control's state into it.
    virtual void InitHandle();
    virtual void DestroyHandle();
    // The area aligned children share (the client rectangle, less borders).
    virtual TRect AlignRect() const { return ClientRect(); }

    void FontChanged() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void TextChanged() override;
    void BoundsChanged() override;

    // Window geometry relative to the parent window (or the screen for a form).
    virtual TRect WindowBounds() const;
    void UpdateHandleBounds();
    void UpdateTabChain();

    TWidgetHandle* handle_ = nullptr;

private:
    friend class TGraphicControl;
    void InsertControl(TControl* C);
    void RemoveControl(TControl* C);
    void AlignControls();
    void PaintControls(TCanvas& Canvas, const TRect& R);
    void DispatchMouse(TMessage& Message);

    std::vector<TControl*> controls_;
    TBitmap surface_;
    int32_t tabOrder_ = -1;
    bool tabStop_ = false;
    bool painting_ = false;
    bool aligning_ = false;
    TRect pending_;                 // deferred paints while there is no window
    TControl* captured_ = nullptr;  // windowless child holding the mouse
};

// A windowed control that draws itself through its Canvas (its surface's canvas).
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    std::string ClassName() const override { return "TCustomControl"; }
    TCanvas* Canvas() { return Surface().Canvas(); }

protected:
    void PaintWindow(TCanvas& Canvas, const TRect& R) override;
    virtual void Paint();
};

// Calls an event when it is assigned, through a copy of the closure: a handler may free
// the object that holds the event (a form freed from its own button), and the closure
// must outlive its own call.
template <class E, class... A>
void CallEvent(const E& Event, A&&... Args)
{
    if (!Event) return;
    E copy = Event;
    copy(std::forward<A>(Args)...);
}

// True while any window paints (exception boxes wait until the paint has ended).
bool WindowPainting();

// Hands an exception raised inside a window-system callback to the application (the
// window layer installs it; until then the message goes to standard error).
void HandleControlException(const std::exception& E);
extern std::function<void(const std::exception&)> ControlExceptionHandler;
