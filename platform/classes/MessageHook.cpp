#include "platform/classes/MessageHook.h"

#include <cstdio>
#include <utility>

namespace {

const char* TypeCaption(TMsgDlgType t)
{
    switch (t) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
    }
    return "Message";
}

// Without a GUI the user can only be told, not asked: the answer is OK.
int DefaultDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons, int)
{
    std::fprintf(stderr, "%s: %s\n", TypeCaption(DlgType), Msg.c_str());
    std::fflush(stderr);
    return mrOk;
}

TMessageDialogHook& CurrentHook()
{
    static TMessageDialogHook hook;
    return hook;
}

}  // namespace

TMessageDialogHook SetMessageDialogHook(TMessageDialogHook Hook)
{
    return std::exchange(CurrentHook(), std::move(Hook));
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    const TMessageDialogHook& hook = CurrentHook();
    if (hook) return hook(Msg, DlgType, Buttons, HelpCtx);
    return DefaultDialog(Msg, DlgType, Buttons, HelpCtx);
}
