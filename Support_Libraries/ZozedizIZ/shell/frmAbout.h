#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

namespace ZozedizIZ {

// The About window every front end shows, filled with its own details.
class ZOZEDIZIZ_EXPORT frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Without an icon the library's own ("RUR") is shown.
    void LoadInfo(const QString& strTitle, const QString& strProductName, const QString& strDescription,
                  const QString& strVersion, const QString& strCompany, const QString& strContact,
                  const QString& strCopyright, const QIcon& objIcon = QIcon());

    // The library's icon resource "RUR".
    static QIcon LibraryIcon();

private:
    void Form_Load();

    QLabel* imgIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QLabel* lblContact = nullptr;
    QLabel* lblCopyright = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace ZozedizIZ
