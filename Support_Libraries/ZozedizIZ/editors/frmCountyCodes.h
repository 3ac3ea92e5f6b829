#pragma once
#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace ZozedizIZ {

// "Select County Codes": the county list with the choice of how county codes
// are found and how the list is sorted. Its state lives as long as the object,
// also while its window is unloaded (closed by the close box).
class frmCountyCodes : public QDialog {
    Q_OBJECT
public:
    explicit frmCountyCodes(QWidget* parent = nullptr);

    // The 63 counties, code and name, in the order the list is built from.
    static const QList<QPair<QString, QString>>& Counties();
    // The county's name, or empty for a code that is not in the table.
    static QString CountyName(const QString& code);

    qint32 Behavior() const { return m_behavior; }
    void setBehavior(qint32 value);
    QString BehaviorDescription() const;
    bool Cancelled() const { return m_cancelled; }
    const QString& DefaultCode() const { return m_defaultCode; }
    void setDefaultCode(const QString& value);
    void setDoingSetup(bool value) { m_doingSetup = value; }
    bool Loaded() const { return m_loaded; }
    const QString& SelectedCode() const { return m_selectedCode; }
    void setSelectedCode(const QString& value);
    qint32 SortOrder() const { return m_sortOrder; }
    void setSortOrder(qint32 value);

    // Loads the window without showing it; the next showing does so itself
    // when the window was unloaded.
    void Load();
    void Unload() { m_loaded = false; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void AllowOK();
    // switched: the behaviour has just been changed (not a load or a new
    // default code).
    void ApplyBehavior(bool switched);
    void ApplyDefaultCounty(bool switched);
    void ShowDefaultCounty();
    // Puts the focus where the keys work at once: the list, on its chosen
    // row (on the first row, unchosen, when none is), or the behaviour's
    // option while the list is off.
    void FocusList();
    void ApplySort();
    void FillList();
    void SelectItem(int code);
    void SetBackColor();
    void lstCountyCodes_Click();
    void lstCountyCodes_MouseUp();
    void optBehavior_Click(int index);
    void optSort_Click(int index);
    void cmdOK_Click();

    qint32 m_behavior = 0;
    qint32 m_sortOrder = 0;
    QString m_defaultCode;
    QString m_selectedCode;
    bool m_cancelled = false;
    bool m_doingSetup = false;
    bool m_loaded = false;
    bool m_mouseDown = false;

    QListWidget* lstCountyCodes = nullptr;
    QGroupBox* fraBehavior = nullptr;
    QButtonGroup* optBehavior = nullptr;
    QGroupBox* fraDefaultCounty = nullptr;
    QLabel* lblCode = nullptr;
    QLabel* lblCounty = nullptr;
    QLabel* lblDefaultCode = nullptr;
    QLabel* lblDefaultName = nullptr;
    QGroupBox* fraSorting = nullptr;
    QButtonGroup* optSort = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace ZozedizIZ
