#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace ZozedizIZ {

class IdentityUI;

// "Identity Information": the filer completes the shared identity before
// working on a report form. The message at the top says why the window is
// open and lists what the form still needs; the window will not close until
// nothing is missing. Made by Utilities::EditIdentity.
class ZOZEDIZIZ_EXPORT frmIdentity : public QDialog {
    Q_OBJECT
public:
    explicit frmIdentity(QWidget* parent = nullptr);

    // The report form the identity must serve and the caller's message; set
    // before the window is shown.
    void Initialize(qint32 eFormType, const QString& strMessage);

    // Loads the window (the editor on the shared identity, the message) and
    // shows it modally; returns once it has closed.
    void ShowModal();

public slots:
    // Every way of closing (OK, Esc, the close box) ends here and runs the
    // close check.
    void done(int result) override;

private:
    void Form_Load();
    void SetBackColor();
    void UpdateMessage();
    void ValidateEntries();
    void cmdSave_Click();
    bool Form_QueryUnload();

    qint32 m_formType = 0;
    QString m_message;

    QPlainTextEdit* txtMessage = nullptr;
    IdentityUI* ucIdentityUI = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdSave = nullptr;
};

} // namespace ZozedizIZ
