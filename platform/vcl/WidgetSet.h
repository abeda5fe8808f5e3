// The window system as the control library sees it: windows (handles), the event loop,
// timers and the screen. One implementation exists, on Qt (platform/vcl/qt); while no
// window system runs (no application initialised), WidgetSet() is null and controls
// work without windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/vcl/Controls.h"

class TBitmap;
class TFont;
class TIcon;
class TWinControl;

// One row of a list window.
struct TListItemView {
    std::string Text;
    int Indent = 0;       // in levels
    const TBitmap* Icon = nullptr;
};

// A top-level window's frame.
struct TFormFrame {
    bool Caption = true;     // a title bar
    bool Sizeable = false;
    bool Dialog = false;     // a dialog window (no task-bar entry of its own)
    bool CloseBox = true;
    bool MinimizeBox = false;
    bool MaximizeBox = false;
};

// A window. Geometry is in the parent window's coordinates (its surface), or, for a
// top-level window, the screen position and size of the client area.
class TWidgetHandle {
public:
    virtual ~TWidgetHandle() = default;
    // The control is going away: the window stops calling it and is released.
    virtual void Detach() = 0;

    virtual void SetBounds(const TRect& R) = 0;
    virtual void SetVisible(bool Visible) = 0;
    virtual void SetEnabled(bool Enabled) = 0;
    virtual void SetText(const std::string& Text) = 0;
    virtual std::string Text() const = 0;
    virtual void SetFont(const TFont& Font) = 0;
    virtual void SetColor(TColor Color) = 0;
    // Deferred and immediate painting of a rectangle (window coordinates).
    virtual void Invalidate(const TRect& R) = 0;
    virtual void Repaint(const TRect& R) = 0;
    virtual void ProcessPaint() = 0;
    virtual void SetFocus() = 0;
    virtual bool Focused() const = 0;
    virtual void Raise() = 0;
    virtual void Lower() = 0;
    // The keyboard focus moves from this window to Next on Tab.
    virtual void SetTabNext(TWidgetHandle* Next) = 0;
    virtual void SetTabStop(bool TabStop) = 0;
    // What the window system shows of the window, children included.
    virtual void Grab(TBitmap& Out) = 0;

    // Buttons and check boxes.
    virtual void SetDefault(bool Default) { (void)Default; }
    virtual void SetGlyph(const TBitmap* Normal, const TBitmap* Disabled) { (void)Normal; (void)Disabled; }
    virtual void SetChecked(int State) { (void)State; }  // 0 off, 1 on, 2 grayed
    virtual int Checked() const { return 0; }
    // Edits and memos.
    virtual void SetReadOnly(bool ReadOnly) { (void)ReadOnly; }
    virtual void SetMaxLength(int MaxLength) { (void)MaxLength; }
    virtual void SetScrollBars(bool Horizontal, bool Vertical) { (void)Horizontal; (void)Vertical; }
    virtual void SetWordWrap(bool WordWrap) { (void)WordWrap; }
    virtual void SetWantReturns(bool WantReturns) { (void)WantReturns; }
    // Lists and combo boxes.
    virtual void SetItems(const std::vector<TListItemView>& Items, int ItemIndex) { (void)Items; (void)ItemIndex; }
    virtual void SetItemIndex(int Index) { (void)Index; }
    virtual int ItemIndex() const { return -1; }
    virtual void SetItemHeight(int Height) { (void)Height; }

    // Top-level windows.
    virtual void SetFrame(const TFormFrame& Frame) { (void)Frame; }
    virtual void SetModal(bool Modal) { (void)Modal; }
    virtual void SetTransientParent(TWidgetHandle* Parent) { (void)Parent; }
    virtual void SetIcon(const TIcon* Icon) { (void)Icon; }
    // Shows the window and waits (without handling user input) until the window system
    // has put it on the screen, so that a Repaint right after reaches the screen.
    virtual void ShowAndWaitExposed() {}
    virtual void Activate() {}
    // The frame the window system draws around the client area (left, top, right, bottom).
    virtual TRect FrameMargins() const { return TRect{}; }
};

class TWidgetSet {
public:
    virtual ~TWidgetSet() = default;
    virtual TWidgetHandle* CreateHandle(TWidgetKind Kind, TWinControl* Control, TWidgetHandle* Parent) = 0;

    // Runs the event loop until Done() is true. Loops nest; WakeLoops makes every
    // running loop check its condition again.
    virtual void RunLoop(const std::function<bool()>& Done) = 0;
    virtual void WakeLoops() = 0;
    virtual int LoopDepth() const = 0;
    // Handles the events already waiting, then returns.
    virtual void ProcessMessages() = 0;
    // Runs Fn from the event loop later (in posting order).
    virtual void Post(std::function<void()> Fn) = 0;

    // A repeating timer; Tick runs on the event loop. Returns an id for KillTimer.
    virtual int StartTimer(int Milliseconds, std::function<void()> Tick) = 0;
    virtual void KillTimer(int Id) = 0;

    virtual TSize ScreenSize() const = 0;
    // What the screen shows (windows stacked as the window system stacks them).
    virtual void GrabScreen(TBitmap& Out) = 0;
    virtual void Beep() {}
};

// The running window system, or null.
TWidgetSet* WidgetSet();
void SetWidgetSet(TWidgetSet* Set);
// Starts Qt (a QApplication unless one exists) and returns its window system.
TWidgetSet* CreateQtWidgetSet();

// Tells the control about a message from the window system; exceptions go to the
// application's exception handler.
void DeliverMessage(TWinControl* Control, TMessage& Message);
