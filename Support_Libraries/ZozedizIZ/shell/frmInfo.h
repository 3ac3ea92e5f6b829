#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QDialog>

class QPushButton;
class QTextBrowser;

namespace ZozedizIZ {

// Shows one message of the library's message table: an RTF document
// rendered, plain text as it is, with an OK button. The caller sets the
// caption.
class ZOZEDIZIZ_EXPORT frmInfo : public QDialog {
    Q_OBJECT
public:
    explicit frmInfo(QWidget* parent = nullptr);

    void SetMessage(const QString& message);

private:
    void Form_Load();

    QTextBrowser* rtfInfo = nullptr;
    QPushButton* cmdExit = nullptr;
};

} // namespace ZozedizIZ
