// The message dialog as seen from below the GUI layer. Components that must tell the
// user something (a storage that cannot read its file) call MessageDlg; the GUI layer
// installs the real dialog with SetMessageDialogHook. Until then the message goes to
// standard error and the answer is mrOk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

// A set of buttons: bit (1 << TMsgDlgBtn).
using TMsgDlgButtons = uint32_t;
constexpr TMsgDlgButtons MsgDlgButton(TMsgDlgBtn b) { return 1u << static_cast<unsigned>(b); }

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;
constexpr int mrAll = 8;
constexpr int mrNoToAll = 9;
constexpr int mrYesToAll = 10;

// Shows Msg with the given type and buttons and returns the modal result.
using TMessageDialogHook = std::function<int(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)>;

// Installs Hook (an empty function restores the default) and returns the previous one.
TMessageDialogHook SetMessageDialogHook(TMessageDialogHook Hook);

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
