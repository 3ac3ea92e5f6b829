#pragma once
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace Dazozuvi {

// Asks what to do with changed data when a report form closes: keep the form
// open (0), save and close (1), check, save and close (2), or close without
// saving (3). Closing the window without a button keeps the form open. Shown
// modally by the grid controller, which sets the permissions first.
class frmExitOptions : public QDialog {
    Q_OBJECT

public:
    enum Option : qint32 { KeepOpen = 0, SaveAndClose = 1, ValidateSaveClose = 2, CloseWithoutSaving = 3 };

    explicit frmExitOptions(QWidget* parent = nullptr);

    // Whether "&Save and Close" (button 1) can be clicked.
    bool AllowSave() const;
    void setAllowSave(bool value);
    // Whether "&Validate, Save, Close" (button 2) can be clicked.
    bool AllowValidate() const;
    void setAllowValidate(bool value);
    // The index of the button clicked; 0 when none was.
    qint32 SelectedOption() const { return m_selected; }

    // Shows the window modally and returns SelectedOption.
    qint32 ShowDialog();

private:
    void Form_Load();
    void SetBackColor();
    void cmdExitOption_Click(int index);

    qint32 m_selected = KeepOpen;
    QPlainTextEdit* txtCaption = nullptr;
    QPushButton* cmdExitOption[4] = {};
};

} // namespace Dazozuvi
