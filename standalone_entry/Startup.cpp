#include "Startup.h"

#include "ApplicationA.h"
#include "modGlobals.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QtDebug>
#include <memory>

#ifndef DAZOZUVI_VERSION_MAJOR
#error "The build gives the program's version (DAZOZUVI_VERSION_MAJOR, _MINOR, _REVISION)"
#endif

namespace Dazozuvi {

QString ProgramInfo::versionText() const {
    return QString::number(major) + QLatin1Char('.') + QString::number(minor) + QLatin1Char('.') +
           QString::number(revision);
}

const ProgramInfo& programInfo() {
    static const ProgramInfo info{
        DAZOZUVI_VERSION_MAJOR,
        DAZOZUVI_VERSION_MINOR,
        DAZOZUVI_VERSION_REVISION,
        QStringLiteral("Dazozuvi"),
        QStringLiteral("ZIDIVO Annual Pesticide Reports - Option A"),
        QStringLiteral("Data entry for the annual pesticide reports: Forms 25, 26, 26A and 27"),
        QStringLiteral("ZIDIVO"),
        QStringLiteral("the help desk at ") + ZozedizIZ::modGlobals::HelpDesk(),
        QStringLiteral("Copyright (C) ZIDIVO. All rights reserved."),
    };
    return info;
}

namespace modGlobals {

namespace {

std::unique_ptr<ApplicationA>& application() {
    static std::unique_ptr<ApplicationA> app;
    return app;
}

// One line: the error's own line breaks would split it.
QString oneLine(const Vezedad::ErrorInfo& error) {
    QString text = QStringLiteral("Error ") + QString::number(error.Number()) + QStringLiteral(": ") +
                   error.Description() + QStringLiteral(" (") + error.Source() + QLatin1Char(')');
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

bool Main() {
    const ProgramInfo& info = programInfo();
    QApplication::setApplicationName(info.title);
    // The program ends when its keep-alive window goes, not with the last
    // visible window.
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        ZozedizIZ::Globals::CheckVersion(Vezedad::kvoOptionA, info.major, info.minor, info.revision);
    } catch (...) {
        // Without the filing service (offline, no settings yet) data entry
        // still works: the notice waits for the next start.
        qWarning().noquote() << QStringLiteral("Dazozuvi: the update check failed; starting anyway.")
                             << oneLine(Vezedad::ErrorInfo::fromCurrentException());
    }
    bool made = false;
    Vezedad::Ui::Guard(
        [&] {
            application() = std::make_unique<ApplicationA>();
            made = true;
        },
        [](const Vezedad::ErrorInfo& error) {
            application().reset();
            Vezedad::Ui::ShowError(error, QStringLiteral("Dazozuvi::modGlobals.Main"));
        });
    return made;
}

void End() {
    application().reset();
    factoryModule().release();
    ZozedizIZ::Globals::Release();
}

ApplicationA* Application() { return application().get(); }

} // namespace modGlobals

} // namespace Dazozuvi
