#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QString>
#include <functional>

class QWidget;

namespace ZozedizIZ {

// The check a text box makes of its value when the user leaves it.
//
// Watch(box, check) runs check when the focus leaves box for another widget
// of the same window: by Tab or Shift+Tab, a mouse click or a shortcut
// (mnemonic). When check refuses the value the focus stays in box, and the
// click or shortcut that would have left it does nothing (a button is not
// pressed). A message box or window that the check shows, a menu, or another
// window taking the focus, starts no check of its own, so refusals never
// chase each other.
//
// A widget marked SetCausesValidation(widget, false) (a Cancel button) can
// take the focus without the check; the check stays due and runs when the
// focus moves on to a widget that causes validation.
//
// Enter on a default button, Esc and menu commands do not move the focus:
// their handlers run the check on demand with ValidateControls.
class ZOZEDIZIZ_EXPORT LeaveCheck {
public:
    // True keeps the value; false refuses it (the check tells the user why).
    // An error raised by the check is shown in the error box with location
    // and refuses the value.
    using Check = std::function<bool()>;

    // One check per box; watching again replaces it. The watch ends with the
    // box.
    static void Watch(QWidget* box, Check check, const QString& location);
    static void Unwatch(QWidget* box);
    static bool IsWatched(const QWidget* box);

    // Whether moving the focus to widget (or into it) runs a due check;
    // true unless set otherwise.
    static void SetCausesValidation(QWidget* widget, bool value);
    static bool CausesValidation(const QWidget* widget);

    // Runs the check due in window now, as leaving the box would: the check
    // of the focused box, or of the box the focus left for a widget that does
    // not cause validation. True when there is none or it keeps the value;
    // false when it refused (the focus is back in the box).
    static bool ValidateFocused(QWidget* window);
    // The same, raising error 380 ("Invalid property value") on a refusal.
    static void ValidateControls(QWidget* window);
};

} // namespace ZozedizIZ
