// Forms, the screen and the application object.
//
// A form's Left, Top, Width and Height describe its whole window, frame included, with the
// classic frame metrics (3-pixel fixed frame, 4-pixel sizeable frame, 19-pixel title
// bar); its surface is the client area. The window system draws the real frame around
// the client area, which is placed at Left + frame, Top + frame + title bar.
//
// Activation is the library's own: Screen.ActiveForm changes when a form is shown, when
// a modal form ends (the form beneath is re-activated from the event loop; dropped when
// that form is hidden meanwhile or the application is terminating), and when the user
// activates a form while no modal form runs. Each change fires OnDeactivate of the old
// and OnActivate of the new active form.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/MessageHook.h"
#include "platform/graphics/Icon.h"
#include "platform/vcl/Controls.h"

class TWidgetSet;

enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
// The border of a panel or a list: bsNone or bsSingle.
using TBorderStyle = TFormBorderStyle;
enum TBorderIcon : uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = uint8_t;  // bit (1 << TBorderIcon)
constexpr TBorderIcons BorderIcon(TBorderIcon b) { return TBorderIcons(1u << b); }
enum TPosition : uint8_t { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle : uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction : uint8_t { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TModalResult = int32_t;

class TCustomForm : public TCustomControl {
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    std::string ClassName() const override { return "TCustomForm"; }

    // Reads the form resource named after the form's class into this form, then fires
    // OnCreate. Raises EResNotFound when the program has no such resource.
    void LoadFromResource();

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons v);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition v) { position_ = v; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState v);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle v) { formStyle_ = v; }
    TIcon* Icon() const { return icon_.get(); }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool v) { keyPreview_ = v; }
    int32_t HelpContext() const { return helpContext_; }
    void SetHelpContext(int32_t v) { helpContext_ = v; }
    int32_t PixelsPerInch() const { return 96; }
    void SetPixelsPerInch(int32_t v) { (void)v; }
    int32_t TextHeight() const { return textHeight_; }
    void SetTextHeight(int32_t v) { textHeight_ = v; }

    int32_t ClientWidth() const override;
    int32_t ClientHeight() const override;
    void SetClientSize(int32_t w, int32_t h) override;
    TSize WindowSize() const override { return TSize{ClientWidth(), ClientHeight()}; }
    // The frame around the client area (left, top, right, bottom widths).
    TRect FrameMetrics() const;
    // Where the client area lies on the screen.
    TPoint ClientScreenOrigin() const;

    // The control that has (or gets, when the form is activated) the keyboard focus.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* v);
    bool Active() const;

    void SetVisible(bool v) override;
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Closes the form: a modal form gets ModalResult mrCancel; otherwise OnCloseQuery and
    // OnClose decide (hide, free, minimise or nothing); closing the main form ends the
    // application.
    void Close();
    bool CloseQuery();
    // Shows the form modally and returns its ModalResult. Raises EInvalidOperation for a
    // visible or already modal form, and when no window system runs.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v);
    bool Modal() const { return modal_; }
    // Frees the form from the event loop, after the current message.
    void Release();
    void BringFormToFront();

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    void WndProc(TMessage& Message) override;
    TWidgetKind WidgetKind() const override { return TWidgetKind::Form; }
    void Loaded() override;
    void SetParentComponent(TComponent* Value) override { (void)Value; }
    bool HasParent() const override { return false; }

    // Library-internal notifications.
    void ControlRemoved(TControl* C);
    void FocusMoved(TWinControl* C);
    void UpdateTabChain() { TWinControl::UpdateTabChain(); }
    void DoActivate();
    void DoDeactivate();

protected:
    // Points a field of the form at the component its description created under that
    // name; raises EComponentError when there is none or it is of another class.
    template <class T>
    void BindComponent(T*& Field, const char* Name)
    {
        TComponent* c = FindComponent(Name);
        Field = dynamic_cast<T*>(c);
        if (!Field)
            throw EComponentError(std::string(c ? "Component " : "No component ") + Name +
                                  (c ? " is a " + c->ClassName() + ", not the class " + ClassName() + " expects"
                                     : " in the description of " + ClassName()));
    }
    void Paint() override;
    TRect WindowBounds() const override;
    void InitHandle() override;
    void TextChanged() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);

private:
    void ShowWindow();
    void HideWindow();
    void CloseModal();
    void FocusFirst();
    void ApplyPlacement();

    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = BorderIcon(biSystemMenu) | BorderIcon(biMinimize) | BorderIcon(biMaximize);
    TPosition position_ = poDesigned;
    TWindowState windowState_ = wsNormal;
    TFormStyle formStyle_ = fsNormal;
    std::unique_ptr<TIcon> icon_;
    bool keyPreview_ = false;
    int32_t helpContext_ = 0;
    int32_t textHeight_ = 13;
    int32_t storedClientWidth_ = -1, storedClientHeight_ = -1;
    TWinControl* activeControl_ = nullptr;
    TModalResult modalResult_ = 0;
    bool modal_ = false;
    bool showing_ = false;
    bool placed_ = false;
};

class TForm : public TCustomForm {
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
    std::string ClassName() const override { return "TForm"; }
};

class TScreen : public TComponent {
public:
    explicit TScreen(TComponent* AOwner);
    std::string ClassName() const override { return "TScreen"; }
    // The screen size in pixels (1024 x 768 while no window system runs, unless set).
    int32_t Width() const;
    int32_t Height() const;
    void SetHeadlessSize(int32_t Width, int32_t Height);

    int FormCount() const { return int(forms_.size()); }
    TCustomForm* Forms(int Index) const { return forms_.at(size_t(Index)); }
    TCustomForm* ActiveForm() const { return activeForm_; }
    // The visible forms from the bottom to the top of the window stack.
    std::vector<TCustomForm*> WindowOrder() const;
    // Makes Form the active form (firing the activation events); null deactivates.
    void SetActiveForm(TCustomForm* Form);

    // Library-internal.
    void AddForm(TCustomForm* F);
    void RemoveForm(TCustomForm* F);
    void RaiseForm(TCustomForm* F);
    void LowerForm(TCustomForm* F);

private:
    std::vector<TCustomForm*> forms_;
    std::vector<TCustomForm*> order_;
    TCustomForm* activeForm_ = nullptr;
    int32_t headlessWidth_ = 1024, headlessHeight_ = 768;
};

// MessageBox flags and answers (the system's message box).
constexpr uint32_t MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_ABORTRETRYIGNORE = 0x02, MB_YESNOCANCEL = 0x03,
                   MB_YESNO = 0x04, MB_RETRYCANCEL = 0x05;
constexpr uint32_t MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10, MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20,
                   MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40,
                   MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* AOwner);
    ~TApplication() override;
    std::string ClassName() const override { return "TApplication"; }

    // Starts the window system (once per process) and installs the library's hooks: the
    // message dialog, the shell's form-handle resolver, the exception handler.
    void Initialize();
    bool Initialized() const { return initialized_; }
    // Frees the forms and stops the window system: call it before main returns.
    void Shutdown();
    // Frees the forms (at exit when Shutdown was not called).
    void DestroyForms();
    // For test programs that run an application more than once in one process: frees
    // the forms and forgets the main form and a Terminate, keeping the window system.
    void ResetForNextRun();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v) { title_ = v; }
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* f) { mainForm_ = f; }

    // Creates a form owned by the application from its form resource; the first form
    // created becomes the main form. Reference is set before the form is read.
    template <class T>
    void CreateForm(T*& Reference)
    {
        T* form = new T(this);
        Reference = form;
        try {
            form->LoadFromResource();
        } catch (...) {
            Reference = nullptr;
            delete form;
            throw;
        }
        if (!mainForm_) mainForm_ = form;
    }

    // Shows the main form and runs the event loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles the events waiting now.
    void ProcessMessages();

    // Shows the exception's message in the standard box, captioned with Title (through
    // OnException when assigned). Raised while a window paints, the box waits until the
    // paint has ended; one box at a time.
    void HandleException(const std::exception& E);
    void ShowException(const std::exception& E);
    TExceptionEvent OnException;
    // A modal box with an icon, the text and the buttons that Flags choose; returns IDOK,
    // IDYES, ... (IDCANCEL when closed otherwise).
    int MessageBox(const std::string& Text, const std::string& Caption, uint32_t Flags);
    // Help for a help context: OnHelp when assigned (this library has no help viewer of
    // its own, so without a handler nothing is shown).
    void HelpContext(int32_t Context);
    std::function<void(int32_t Context)> OnHelp;

    // Library-internal: a modal loop of Form has begun (tests hook in here).
    void ModalStarted(TCustomForm* Form);

private:
    void ShowPendingExceptions();

    std::string title_;
    TCustomForm* mainForm_ = nullptr;
    TWidgetSet* widgetSet_ = nullptr;  // the one Initialize started
    bool initialized_ = false;
    bool terminated_ = false;
    bool showingException_ = false;
    bool drainPosted_ = false;
    std::vector<std::string> pendingExceptions_;
};

extern TApplication* const Application;
extern TScreen* const Screen;

// The standard message dialog of this library (a message box with the type's icon),
// installed as the platform's message dialog by Initialize.
int DefaultMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

// Hooks for tests of modal flows: called when a modal loop begins, inside that loop.
using TModalHook = std::function<void(TCustomForm* Form)>;
TModalHook SetModalHook(TModalHook Hook);
TModalHook& ActiveModalHook();
