#include "Vezedad/foundation/ErrorInfo.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dazozuvi"));
    QApplication::setOrganizationName(QStringLiteral("ZIDIVO"));
    int rc = 0;
    {
        QMainWindow window;
        window.setObjectName(QStringLiteral("frmController"));
        window.setWindowTitle(QStringLiteral("Control Center"));
        window.resize(640, 420);
        window.show();
        rc = app.exec();
    }
    // The shared services end before the application object: the settings
    // are saved then.
    ZozedizIZ::Globals::Release();
    return rc;
}
