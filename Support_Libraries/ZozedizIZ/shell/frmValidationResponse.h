#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ZozedizIZ {

// The verdict on one validated report file ("File Validation"): the folder,
// the file, the exception report when one was written and the verdict in
// words. It only collects whether the user wants the file and the report
// opened; the caller opens them.
class ZOZEDIZIZ_EXPORT frmValidationResponse : public QDialog {
    Q_OBJECT
public:
    explicit frmValidationResponse(QWidget* parent = nullptr);

    // False only after OK; Cancel and the close box leave it true with both
    // boxes cleared.
    bool Cancelled() const { return m_cancelled; }
    // "Open File in Editor" was ticked.
    bool LoadFile() const { return m_loadFile; }
    // "Open Exception Report" was ticked.
    bool LoadReport() const { return m_loadReport; }

    // Fills the fields and shows the window modally. Without an exception
    // report its check box is disabled.
    void ShowDialog(const QString& strFolder, const QString& strFile, const QString& strExceptionFile,
                    qint32 eSeverity);

    static QString GetSeverityDescription(qint32 eSeverity);

public slots:
    // Cancel, Esc and the close box all end here.
    void reject() override;

private:
    void Form_Load();
    void CancelLoading();
    void cmdOK_Click();
    void cmdCancel_Click();

    bool m_cancelled = true;
    bool m_loadFile = false;
    bool m_loadReport = false;

    QLabel* lblFolder = nullptr;
    QLineEdit* txtFolder = nullptr;
    QLabel* lblFile = nullptr;
    QLineEdit* txtFile = nullptr;
    QLabel* lblReport = nullptr;
    QLineEdit* txtReport = nullptr;
    QLabel* lblSeverity = nullptr;
    QLineEdit* txtSeverity = nullptr;
    QCheckBox* chkShowReport = nullptr;
    QCheckBox* chkShowFile = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace ZozedizIZ
