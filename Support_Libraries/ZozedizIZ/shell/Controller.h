#pragma once
#include "Vezedad/foundation/ClientVersion.h"
#include "Vezedad/foundation/Enums.h"
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace Vezedad {
class ZelReport;
}

namespace VezirodEdovud {
class SubmitMetadataRequest;
}

namespace ZozedizIZ {

class Globals;
class ValidationRuns;
class frmController;

// The non-visual side of the Control Center. It owns the main window and
// turns each of its commands into work of its own (report root, report year,
// validation of a file or a folder, upload) or into an event for the host
// program. Opening, validating and uploading first insist that the filer
// identity is complete for the purpose, and save it.
//
// Made only by Globals::Controller(option, version), once per thread. A host
// subscribes to the events and calls Show.
class ZOZEDIZIZ_EXPORT Controller : public QObject {
    Q_OBJECT
public:
    // Raises 1002 unless made by Globals::Controller.
    Controller();
    ~Controller() override;

    // Hides the main window when it exists.
    void Hide();
    // Makes and initialises the main window on the first call (errors of
    // its Initialize reach the caller, and leave no window behind), then
    // shows it, not modal.
    void Show();

    // The upload behind the Upload command: sends the request's report files
    // of the folder and returns an UploadResult. Tests replace it; an empty
    // one restores the upload library's.
    using UploadRunner = std::function<qint32(const VezirodEdovud::SubmitMetadataRequest&, const QString&)>;
    static void setUploadRunner(UploadRunner runner);

    // The main window, once Show has made it (null before).
    frmController* Form() const { return mobjForm.get(); }

signals:
    // The user asked to open a report of this form (1, 2, 4 or 8), existing
    // or blank, and the identity is complete for it. perApplicator is the
    // main window's per-applicator check box.
    void OpenExisting(qint32& formType, bool& perApplicator);
    void OpenNew(qint32& formType, bool& perApplicator);
    // Option A only: after validating fileName the user chose to open it.
    void OpenReportFile(qint32& formType, QString& fileName);
    void ShowAbout();
    // The main window is closing; the settings have been saved.
    void Unloading();

private:
    friend class Globals;
    class FormEvents;

    void Init(qint32 option, const Vezedad::ClientVersionPtr& version);

    // Handlers of the main window's events.
    void mobjForm_ChangeReportRoot();
    void mobjForm_ChangeYear();
    void mobjForm_DoValidation(qint32 formType);
    void mobjForm_OpenExisting(qint32 formType, bool perApplicator);
    void mobjForm_OpenNew(qint32 formType, bool perApplicator);
    void mobjForm_QueryUnload(qint16& Cancel);
    void mobjForm_ShowAbout();
    void mobjForm_Upload();
    void mobjForm_Unloading();

    // Runs a handler's body; an error is shown in the three-line box naming
    // the handler.
    void handle(const char* handler, const std::function<void()>& body);
    qint32 ownerHandle() const;
    // The identity gate: true when the identity has what the action needs;
    // otherwise a box, OK only, lists what is missing under heading.
    bool IdentityComplete(qint32 action, qint32 formType, const QString& heading, qint32 icon);
    // Saves the identity before an action; a failure is shown in the
    // handler's box, and the action goes on with the identity in memory.
    void SaveIdentity(const char* handler, const char* procedure);

    void PickReportRoot();
    void PickReportYear();
    QString GetReportFolder();
    void TryOpen(qint32 formType, bool perApplicator, bool blnNew);
    void UploadReport();

    // The Validate File and Validate Folder commands: the identity gate and
    // the user's choice, then the run, then the verdict.
    void ValidateFile(qint32 formType);
    void ValidateFolder();

    qint32 m_option = 0;
    Vezedad::ClientVersionPtr m_version;
    std::unique_ptr<FormEvents> m_formEvents;
    std::unique_ptr<frmController> mobjForm;
    Vezedad::ZelReport& m_report;
    std::unique_ptr<ValidationRuns> m_runs;
};

} // namespace ZozedizIZ
