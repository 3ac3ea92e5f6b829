#include "ApplicationA.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ZIDIVO"));
    int rc = 1;
    if (Dazozuvi::modGlobals::Main()) {
        // The loop ends once the keep-alive window is unloaded (exit, not
        // quit: every window has had its say already).
        QObject::connect(
            Dazozuvi::modGlobals::Application(), &Dazozuvi::ApplicationA::Ended, &app,
            [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        rc = app.exec();
    }
    // The shared services end before the application object.
    Dazozuvi::modGlobals::End();
    return rc;
}
