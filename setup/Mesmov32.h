// The installer's message dialog: the standard message dialog's layout, captions, buttons
// and results, with an animated picture played from a film strip of the program's
// resources in place of the static icon.
#pragma once

#include <string>

#include "platform/classes/MessageHook.h"
#include "platform/vcl/Forms.h"

class TMessageForm : public TForm {
public:
    explicit TMessageForm(TComponent* AOwner) : TForm(AOwner) {}
    std::string ClassName() const override { return "TMessageForm"; }
    // The Help button: the application's help for the dialog's help context.
    void HelpButtonClick(TObject* Sender);
};

// A new dialog, not yet shown; the caller owns and frees it.
TMessageForm* BuildMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons);
// Builds, places (left edge at X when X >= 0, top edge at Y when Y >= 0; else centred),
// shows modally, frees (also when showing fails) and returns the modal result.
int ShowMessageDialogAt(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X,
                        int Y);
int ShowMessageDialog(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

// Makes ShowMessageDialog the platform's message dialog (after Application->Initialize).
void InstallMessageDialog();
