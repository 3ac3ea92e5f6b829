#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/frmController.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dazozuvi"));
    QApplication::setOrganizationName(QStringLiteral("ZIDIVO"));
    int rc = 0;
    {
        ZozedizIZ::frmController window;
        window.Initialize(nullptr, Vezedad::kvoOptionA);
        window.show();
        rc = app.exec();
    }
    // The shared services end before the application object: the settings
    // are saved then.
    ZozedizIZ::Globals::Release();
    return rc;
}
