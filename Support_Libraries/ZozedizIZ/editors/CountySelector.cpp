#include "ZozedizIZ/editors/CountySelector.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/editors/frmCountyCodes.h"

#include <cmath>

namespace ZozedizIZ {

namespace {

// A code as typed, in at least two digits ("5" gives "05"); text that is not
// a number stays as it is.
QString twoDigitCode(const QString& code) {
    bool numeric = false;
    const double value = code.trimmed().toDouble(&numeric);
    if (!numeric || !std::isfinite(value) || std::fabs(value) > 1e9) return code;
    const qint64 whole = qint64(std::llround(value));
    const QString digits = QString::number(whole < 0 ? -whole : whole).rightJustified(2, QLatin1Char('0'));
    return whole < 0 ? QLatin1Char('-') + digits : digits;
}

template <class T, class Read> T readOr(T fallback, Read&& read) {
    try {
        return read();
    } catch (...) {
        return fallback;
    }
}

} // namespace

CountySelector::CountySelector(QObject* parent) : QObject(parent) {
    Vezedad::Configuration* settings = nullptr;
    try {
        settings = &Vezedad::Globals::Configuration();
    } catch (...) {
    }
    const qint32 behavior = settings ? readOr<qint32>(0, [&] { return settings->CountySelectorBehavior(); }) : 0;
    const QString defaultCode =
        settings ? readOr<QString>(QString(), [&] { return settings->CountySelectorDefault(); }) : QString();
    const qint32 sorting = settings ? readOr<qint32>(0, [&] { return settings->CountySelectorSorting(); }) : 0;
    m_confirmedBehavior = behavior;
    m_confirmedDefault = defaultCode;

    m_dialog = std::make_unique<frmCountyCodes>();
    try {
        m_dialog->setBehavior(behavior);
        m_dialog->setDefaultCode(defaultCode);
        m_dialog->setSortOrder(sorting);
        m_dialog->Load();
    } catch (...) {
    }
}

CountySelector::~CountySelector() {
    try {
        SaveSettings();
    } catch (...) {
    }
    if (m_dialog->Loaded()) m_dialog->Unload();
}

qint32 CountySelector::Behavior() const { return m_dialog->Behavior(); }

void CountySelector::setBehavior(qint32 value) {
    const qint32 before = m_dialog->Behavior();
    m_dialog->setBehavior(value);
    // Raised with what was stored, and only when that is a change.
    if (m_dialog->Behavior() != before) emit BehaviorChanged(m_dialog->Behavior());
}

QString CountySelector::BehaviorDescription() const { return m_dialog->BehaviorDescription(); }

QString CountySelector::DefaultCode() const { return m_dialog->DefaultCode(); }

void CountySelector::setDefaultCode(const QString& value) {
    const QString before = m_dialog->DefaultCode();
    if (value.compare(before, Qt::CaseInsensitive) == 0) return;
    m_dialog->setDefaultCode(value);
    if (m_dialog->DefaultCode() != before && m_dialog->Behavior() == csUseDefaultCode)
        emit BehaviorChanged(csUseDefaultCode);
}

QString CountySelector::GetCountyCode(const QString& originalCode) {
    switch (m_dialog->Behavior()) {
    case csShowPickList: return SelectCounty(originalCode);
    case csUseDefaultCode: return m_dialog->DefaultCode();
    default: return QString();
    }
}

QString CountySelector::SelectCounty(const QString& originalCode) {
    if (!originalCode.isEmpty()) m_dialog->setSelectedCode(twoDigitCode(originalCode));
    m_dialog->setDoingSetup(false);
    Vezedad::Ui::ExecModal(*m_dialog);
    if (m_dialog->Cancelled()) {
        ResetBehavior();
        return QString();
    }
    // The user may have changed the behaviour in the window.
    QString code;
    switch (m_dialog->Behavior()) {
    case csShowPickList: code = m_dialog->SelectedCode(); break;
    case csUseDefaultCode: code = m_dialog->DefaultCode(); break;
    default: break;
    }
    CheckBehaviorChanged();
    return code;
}

void CountySelector::Setup() {
    m_dialog->setDoingSetup(true);
    try {
        Vezedad::Ui::ExecModal(*m_dialog);
        if (m_dialog->Cancelled())
            ResetBehavior();
        else
            CheckBehaviorChanged();
    } catch (...) {
        m_dialog->setDoingSetup(false);
        throw;
    }
    m_dialog->setDoingSetup(false);
}

void CountySelector::SaveSettings() {
    Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
    settings.setCountySelectorBehavior(m_dialog->Behavior());
    settings.setCountySelectorDefault(m_dialog->DefaultCode());
    settings.setCountySelectorSorting(m_dialog->SortOrder());
    settings.SaveAllSettings();
}

void CountySelector::CheckBehaviorChanged() {
    const qint32 behavior = m_dialog->Behavior();
    const QString defaultCode = m_dialog->DefaultCode();
    bool changed = false;
    if (behavior != m_confirmedBehavior) {
        m_confirmedBehavior = behavior;
        changed = true;
    }
    if (defaultCode != m_confirmedDefault && behavior == csUseDefaultCode) {
        m_confirmedDefault = defaultCode;
        changed = true;
    }
    if (changed) emit BehaviorChanged(behavior);
}

void CountySelector::ResetBehavior() {
    m_dialog->setBehavior(m_confirmedBehavior);
    m_dialog->setDefaultCode(m_confirmedDefault);
}

} // namespace ZozedizIZ
