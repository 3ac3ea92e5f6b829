#pragma once
#include "Vezedad/ui/Ui.h"

#include <QObject>
#include <QString>
#include <QWidget>

namespace ZozedizIZ {

// Connects a widget's signal to a handler of window that runs inside the slot
// guard: a failure is shown in the first error-box layout with location
// ("ZozedizIZ::frmX.cmdY_Click") and never reaches the event loop.
template <class Sender, class Signal, class Body>
QMetaObject::Connection connectGuarded(Sender* sender, Signal signal, QWidget* window, const QString& location,
                                       Body body) {
    return QObject::connect(sender, signal, window,
                            [window, location, body] { Vezedad::Ui::GuardShowError(location, body, window); });
}

} // namespace ZozedizIZ
