#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Utilities.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dazozuvi"));
    QApplication::setOrganizationName(QStringLiteral("ZIDIVO"));
    int rc = 0;
    {
        ZozedizIZ::Controller* controller =
            ZozedizIZ::Globals::Controller(Vezedad::kvoOptionA, Vezedad::Utilities::MakeVersionFromValues(1, 0, 0, 0));
        // The program lives until the Control Center unloads.
        QApplication::setQuitOnLastWindowClosed(false);
        QObject::connect(controller, &ZozedizIZ::Controller::Unloading, &app, &QCoreApplication::quit,
                         Qt::QueuedConnection);
        controller->Show();
        rc = app.exec();
    }
    // The shared services end before the application object: the settings
    // are saved then.
    ZozedizIZ::Globals::Release();
    return rc;
}
