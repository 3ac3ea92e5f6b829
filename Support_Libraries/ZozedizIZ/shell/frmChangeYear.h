#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace ZozedizIZ {

// Lets the user pick the report year among the years the report model
// allows. With UpdatesReport (the default) OK also changes the report
// model's year.
class ZOZEDIZIZ_EXPORT frmChangeYear : public QDialog {
    Q_OBJECT
public:
    explicit frmChangeYear(QWidget* parent = nullptr);

    // Shows the dialog modally: 1 after OK, 2 after Cancel or closing. A
    // failure to fill the year list reaches the caller.
    qint32 ShowDialog();

    bool UpdatesReport() const { return m_updatesReport; }
    void setUpdatesReport(bool value) { m_updatesReport = value; }
    qint16 Year() const { return m_year; }

private:
    void Form_Load();
    void FillYearList();
    void cmdOK_Click();
    void cmdCancel_Click();
    void UpdateReport();

    bool m_updatesReport = true;
    qint16 m_year = 0;
    qint32 m_result = 2;

    QLabel* lblInfo0 = nullptr;
    QLabel* lblInfo1 = nullptr;
    QComboBox* cboYear = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace ZozedizIZ
