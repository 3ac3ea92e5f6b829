#pragma once
#include <QString>
#include <QtGlobal>

class QWidget;

// Start and end of the data-entry program, and the module-level members the
// report forms share. main() calls Main, runs the event loop while Main said
// so, then End.
namespace Dazozuvi {

class ApplicationA;

// The program's own version information, from the build.
struct ProgramInfo {
    qint16 major = 0;
    qint16 minor = 0;
    qint16 revision = 0;
    QString title;
    QString productName;
    QString description;
    QString company;
    // Whom the user contacts about the program: the help desk.
    QString contact;
    QString legalNotice;

    // major.minor.revision, plain decimal numbers.
    QString versionText() const;
};

const ProgramInfo& programInfo();

namespace modGlobals {

// The start-up procedure. Asks for the update notice: when that check fails,
// for whatever reason, the program starts anyway and writes one line to
// standard error, so that it can be used without the network. Then makes the
// one ApplicationA, which shows the Control Center. Returns true when the
// program runs its event loop now; false when start-up failed, after the
// error box "In Dazozuvi::modGlobals.Main" (no window is left).
bool Main();

// Releases the application object and every shared service, before the
// application object of Qt goes away.
void End();

// The application object Main made, or null.
ApplicationA* Application();

} // namespace modGlobals

} // namespace Dazozuvi
