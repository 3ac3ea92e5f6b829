#pragma once
#include <QtCore/qglobal.h>

namespace Vezedad {

class GCommonDialog;

// Routes the hook calls of a dialog on screen back to the GCommonDialog that
// showed it. One target per thread: a hooked dialog opened from inside
// another's callback takes the target over and clears it when it closes.
namespace mDialogHook {

// The reference is not owned: the dialog function clears it before it
// returns, on every path.
void SetHookTarget(GCommonDialog* obj);
void ClearHookTarget();
GCommonDialog* HookTarget();

// The hook procedure of every dialog: hands the message to the target's
// DialogHook and returns its result as a number (0 without a target). Each
// dialog names its own procedure; all of them are this one.
qint32 RouteHook(qint32 hDlg, qint32 msg, qint32 wParam, qintptr lParam);
using HookProc = qint32 (*)(qint32 hDlg, qint32 msg, qint32 wParam, qintptr lParam);
constexpr HookProc FileHookProc = &RouteHook;
constexpr HookProc PrintHookProc = &RouteHook;
constexpr HookProc SetupHookProc = &RouteHook;
constexpr HookProc PageSetupHookProc = &RouteHook;
constexpr HookProc ColorHookProc = &RouteHook;
constexpr HookProc FontHookProc = &RouteHook;

} // namespace mDialogHook

} // namespace Vezedad
