#include "ZozedizIZ/shell/MoreApplicatorsDialog.h"

#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/frmMoreApplicators.h"

#include <QCoreApplication>

namespace ZozedizIZ {

MoreApplicatorsDialog::MoreApplicatorsDialog() {
    modGlobals::requireFactory(QStringLiteral("MoreApplicatorsDialog"));
    m_form = std::make_unique<frmMoreApplicators>();
}

MoreApplicatorsDialog::~MoreApplicatorsDialog() {
    // A thread's services may end after the application object (a program
    // that never called Globals::Release); a window cannot be destroyed then,
    // and the process is ending anyway.
    if (!QCoreApplication::instance()) (void)m_form.release();
}

bool MoreApplicatorsDialog::ShowReminder() const { return m_form->KeepAsking(); }

bool MoreApplicatorsDialog::Needed() {
    if (!m_form->KeepAsking()) return false;
    m_form->ShowModal();
    return m_form->NeedMore();
}

} // namespace ZozedizIZ
