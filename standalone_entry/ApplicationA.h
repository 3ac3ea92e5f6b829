#pragma once
#include "Vezedad/foundation/Identity.h"
#include "ZozedizIZ/shell/Controller.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

namespace Dazozuvi {

// The hidden window that stands for the program while no window of its own
// is open: the program ends when it is unloaded. Never shown.
class frmDummy : public QWidget {
    Q_OBJECT
public:
    explicit frmDummy(QWidget* parent = nullptr);
};

// The program's one application object: it puts the Control Center on the
// screen and turns the report controller's events into report forms, one
// modal form at a time. Made once by modGlobals::Main.
class ApplicationA : public QObject {
    Q_OBJECT
public:
    // Builds the program's version, obtains the report controller for option
    // A, subscribes to it, loads the keep-alive window and shows the Control
    // Center. Errors are passed on with the location
    // "Dazozuvi::ApplicationA.Class_Initialize".
    ApplicationA();
    ~ApplicationA() override;

    // The controller while subscribed (null after Unloading).
    ZozedizIZ::Controller* Controller() const { return mobjController; }
    // The keep-alive window while loaded (null after Unloading).
    frmDummy* KeepAlive() const { return m_keepAlive.get(); }

    // Asks before a new Form 26A: nullopt when nothing is to open, "" for a
    // new list, or the path of an existing Form 26A file to open instead.
    std::optional<QString> ConfirmNewForm26A();
    // The identity a per-applicator Form 26 opens with: a clone of the filer's
    // identity carrying the chosen applicator's name and ids (the
    // certification id in the grids' stored form), with appsDone that
    // applicator's activity (True when none is chosen). Null when the user
    // cancelled the choice. A chosen applicator's value that the identity
    // refuses raises: nothing opens rather than a form headed with someone
    // else's. Errors pass on with "Dazozuvi::ApplicationA.PerApplicatorIdentity".
    Vezedad::IdentityPtr PerApplicatorIdentity(bool& appsDone);
    // Opens an existing report file in a new form of its type; an empty name
    // (a cancelled picker) opens nothing. Errors pass on with
    // "Dazozuvi::ApplicationA.LoadFile".
    void LoadFile(qint32 formType, const QString& fileName);

    // The controller's events. Each shows its own errors in the error box
    // ("In Dazozuvi::ApplicationA." + its name) and the program goes on.
    void mobjController_OpenNew(qint32 formType, bool perApplicator);
    void mobjController_OpenExisting(qint32 formType, bool perApplicator);
    void mobjController_OpenReportFile(qint32 formType, const QString& fileName);
    void mobjController_ShowAbout();
    void mobjController_Unloading();

signals:
    // The keep-alive window was unloaded: no window of the program is left,
    // and its event loop ends.
    void Ended();

private:
    void handle(const char* handler, const std::function<void()>& body);

    QPointer<ZozedizIZ::Controller> mobjController;
    std::unique_ptr<frmDummy> m_keepAlive;
};

} // namespace Dazozuvi
