#pragma once
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace VezirodEdovud {

// Tells a user whose upload fails how to send the report by e-mail instead.
class VEZIRODEDOVUD_EXPORT frmTrouble : public QDialog {
    Q_OBJECT
public:
    explicit frmTrouble(QWidget* parent = nullptr);

    qint32 OptionType() const { return m_optionType; }
    void setOptionType(qint32 value) { m_optionType = value; }

    // Where the report files go when they are sent by e-mail.
    static QString ReportFilesAddress();
    // The composed instructions for a report year and its folder.
    static QString ComposeMessage(qint16 reportYear, const QString& reportPath);

private:
    void Form_Load();
    void cmdHelp_Click();

    qint32 m_optionType = 1;
    QLabel* lblMessage = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* OKButton = nullptr;
};

} // namespace VezirodEdovud
