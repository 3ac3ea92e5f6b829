#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace ZozedizIZ {

// Asks whether more applicators need to be entered. Kept by its reminder for
// the reminder's whole life, so "Do not ask again" carries over from one
// question to the next.
class ZOZEDIZIZ_EXPORT frmMoreApplicators : public QDialog {
    Q_OBJECT
public:
    explicit frmMoreApplicators(QWidget* parent = nullptr);

    // True when the user answered Yes the last time.
    bool NeedMore() const { return m_needMore; }
    // False once the user ticked "Do not ask again during this session.".
    bool KeepAsking() const { return m_keepAsking; }

    // Loads the window and shows it modally.
    void ShowModal();

private:
    void Form_Load();
    void chkStopAsking_Click();
    void cmdYes_Click();
    void cmdNo_Click();

    bool m_needMore = false;
    bool m_keepAsking = true;

    QLabel* lblPrompt = nullptr;
    QCheckBox* chkStopAsking = nullptr;
    QPushButton* cmdYes = nullptr;
    QPushButton* cmdNo = nullptr;
};

} // namespace ZozedizIZ
