#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QObject>
#include <QString>
#include <memory>

namespace ZozedizIZ {

class frmCountyCodes;

// How a report form finds the county code of a line.
enum CountySelectorBehavior : qint32 {
    csShowPickList = 0,   // picked from the pop-up list for each line
    csUseDefaultCode = 1, // one default county for every line
    csDisablePopup = 2,   // typed by hand
    _csMin = 0,
    _csDefault = 0,
    _csMax = 2,
};

// Gives a report form the county code of each line it enters, by the
// behaviour the user chose. The choice, the default county and the list's
// sort order are settings, read when a selector is made and saved at
// SaveSettings and when it ends.
class ZOZEDIZIZ_EXPORT CountySelector : public QObject {
    Q_OBJECT
public:
    explicit CountySelector(QObject* parent = nullptr);
    ~CountySelector() override;

    qint32 Behavior() const;
    // Values outside the enumeration become csShowPickList.
    void setBehavior(qint32 value);
    // The status text of the behaviour, for the host's button caption.
    QString BehaviorDescription() const;
    QString DefaultCode() const;
    // A code that is not a county's becomes "" (no default).
    void setDefaultCode(const QString& value);
    // The code for one line, or "".
    QString GetCountyCode(const QString& originalCode = QString());
    void SaveSettings();
    // Shows the options; choosing a county there does not close the window.
    void Setup();

Q_SIGNALS:
    void BehaviorChanged(qint32 newBehavior);

private:
    void CheckBehaviorChanged();
    void ResetBehavior();
    QString SelectCounty(const QString& originalCode);

    std::unique_ptr<frmCountyCodes> m_dialog;
    // What the user last accepted: tells a change, and undoes a cancel.
    qint32 m_confirmedBehavior = 0;
    QString m_confirmedDefault;
};

} // namespace ZozedizIZ
