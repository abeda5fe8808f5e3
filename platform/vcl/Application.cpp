// TApplication: the window system's start, the main loop, termination and the standard
// exception box.
#include <cstdlib>
#include <iostream>

#include "platform/classes/Filer.h"
#include "platform/rtl/StrUtils.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WidgetSet.h"
#include "platform/win/Shell.h"

namespace {

std::string MessageOf(const std::exception& E)
{
    if (auto* e = dynamic_cast<const Exception*>(&E)) return e->Message();
    return E.what();
}

bool ResolveFormHandle(TComponent* Component, HWND& Handle)
{
    auto* form = dynamic_cast<TCustomForm*>(Component);
    if (!form) return false;
    TWidgetHandle* h = form->Handle();
    // Without a window system the form itself stands for its window.
    Handle = h ? reinterpret_cast<HWND>(h) : reinterpret_cast<HWND>(form);
    return true;
}

}  // namespace

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}

TApplication::~TApplication() { DestroyForms(); }

void TApplication::DestroyForms()
{
    DestroyComponents();
    mainForm_ = nullptr;
}

void TApplication::ResetForNextRun()
{
    DestroyForms();
    if (TWidgetSet* ws = WidgetSet()) ws->ProcessMessages();
    terminated_ = false;
    pendingExceptions_.clear();
}

void TApplication::Shutdown()
{
    // Forms go before the window system they live in.
    DestroyComponents();
    mainForm_ = nullptr;
    if (widgetSet_) {
        if (WidgetSet() == widgetSet_) SetWidgetSet(nullptr);
        delete widgetSet_;
        widgetSet_ = nullptr;
    }
    ControlExceptionHandler = nullptr;
}

void TApplication::Initialize()
{
    if (initialized_) return;
    initialized_ = true;
    if (!WidgetSet()) {
        widgetSet_ = CreateQtWidgetSet();
        SetWidgetSet(widgetSet_);
        // A program normally calls Shutdown before main returns. If it does not, the forms
        // still go at exit; the window system itself is left to the process's end, since
        // Qt's own process-wide objects may already be gone by then.
        std::atexit([] { Application->DestroyForms(); });
    }
    ControlExceptionHandler = [](const std::exception& e) { Application->HandleException(e); };
    SetMessageDialogHook(DefaultMessageDialog);
    SetFormHandleResolver(ResolveFormHandle);
    FindGlobalComponent = [](const std::string& Name) -> TComponent* {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (SameText(Screen->Forms(i)->Name(), Name)) return Screen->Forms(i);
        return nullptr;
    };
}

void TApplication::Run()
{
    if (!WidgetSet()) throw EInvalidOperation("The application has no window system: call Initialize first");
    if (mainForm_ && !terminated_) {
        try {
            mainForm_->Show();
        } catch (const std::exception& e) {
            HandleException(e);
        }
    }
    WidgetSet()->RunLoop([this] { return terminated_; });
}

void TApplication::Terminate()
{
    terminated_ = true;
    if (TWidgetSet* ws = WidgetSet()) ws->WakeLoops();
}

void TApplication::ProcessMessages()
{
    if (TWidgetSet* ws = WidgetSet()) ws->ProcessMessages();
}

void TApplication::HandleException(const std::exception& E)
{
    if (OnException) {
        OnException(this, E);
        return;
    }
    pendingExceptions_.push_back(MessageOf(E));
    // Not inside a paint, and one box at a time: the others wait for the event loop.
    if (showingException_) return;
    if (WindowPainting() && WidgetSet()) {
        if (!drainPosted_) {
            drainPosted_ = true;
            WidgetSet()->Post([this] {
                drainPosted_ = false;
                ShowPendingExceptions();
            });
        }
        return;
    }
    ShowPendingExceptions();
}

void TApplication::ShowPendingExceptions()
{
    if (showingException_) return;
    showingException_ = true;
    try {
        while (!pendingExceptions_.empty()) {
            std::string msg = pendingExceptions_.front();
            pendingExceptions_.erase(pendingExceptions_.begin());
            MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
        }
    } catch (const std::exception& e) {
        std::cerr << MessageOf(e) << "\n";
    }
    showingException_ = false;
}

void TApplication::ShowException(const std::exception& E) { MessageBox(MessageOf(E), title_, MB_OK | MB_ICONSTOP); }

void TApplication::HelpContext(int32_t Context)
{
    if (OnHelp) OnHelp(Context);
}

void TApplication::ModalStarted(TCustomForm* Form)
{
    if (TModalHook& hook = ActiveModalHook()) {
        TModalHook h = hook;  // the hook may replace itself
        h(Form);
    }
}
