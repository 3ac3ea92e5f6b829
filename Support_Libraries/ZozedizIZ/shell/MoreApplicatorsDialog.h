#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <memory>

namespace ZozedizIZ {

class frmMoreApplicators;

// Asks a front end's user whether more applicators need to be entered (that
// is, whether to open Form 26A), until the user says not to ask again. Made
// only by its factory: front ends take their thread's one reminder from
// Globals::MoreApplicators().
class ZOZEDIZIZ_EXPORT MoreApplicatorsDialog {
public:
    // Raises 1002 when not made by Globals::MoreApplicators().
    MoreApplicatorsDialog();
    ~MoreApplicatorsDialog();
    MoreApplicatorsDialog(const MoreApplicatorsDialog&) = delete;
    MoreApplicatorsDialog& operator=(const MoreApplicatorsDialog&) = delete;

    // True while the reminder is still to be shown.
    bool ShowReminder() const;
    // Asks, modally, and returns true for Yes; returns false without asking
    // once the user chose not to be asked again.
    bool Needed();

private:
    std::unique_ptr<frmMoreApplicators> m_form;
};

} // namespace ZozedizIZ
