#include "Vezedad/dialogs/mDialogHook.h"
#include "Vezedad/dialogs/GCommonDialog.h"

namespace Vezedad::mDialogHook {

namespace {
thread_local GCommonDialog* tHookTarget = nullptr;
} // namespace

void SetHookTarget(GCommonDialog* obj) { tHookTarget = obj; }
void ClearHookTarget() { tHookTarget = nullptr; }
GCommonDialog* HookTarget() { return tHookTarget; }

qint32 RouteHook(qint32 hDlg, qint32 msg, qint32 wParam, qintptr lParam) {
    GCommonDialog* target = HookTarget();
    if (!target) return 0;
    return target->DialogHook(hDlg, msg, wParam, lParam).toInt();
}

} // namespace Vezedad::mDialogHook
