#include "ZozedizIZ/shell/Controller.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/Messages.h"
#include "ZiverezUvaveded/Uploader.h"
#include "ZozedizIZ/shell/FileOperations.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/Utilities.h"
#include "ZozedizIZ/shell/ValidationRuns.h"
#include "ZozedizIZ/shell/frmChangeYear.h"
#include "ZozedizIZ/shell/frmController.h"
#include "ZozedizIZ/shell/frmValidationResponse.h"

#include <optional>

namespace ZozedizIZ {

namespace {

const QString kLocation = QStringLiteral("ZozedizIZ::Controller.");

Controller::UploadRunner& uploadRunner() {
    static Controller::UploadRunner runner;
    return runner;
}

} // namespace

// The main window's events, each passed at once to the controller's handler.
class Controller::FormEvents : public frmControllerEvents {
public:
    explicit FormEvents(Controller& owner) : m_owner(owner) {}
    void ChangeReportRoot() override { m_owner.mobjForm_ChangeReportRoot(); }
    void ChangeYear() override { m_owner.mobjForm_ChangeYear(); }
    void DoValidation(qint32& formType) override { m_owner.mobjForm_DoValidation(formType); }
    void OpenExisting(qint32& eFormType, bool& perApplicator) override {
        m_owner.mobjForm_OpenExisting(eFormType, perApplicator);
    }
    void OpenNew(qint32& eFormType, bool& perApplicator) override {
        m_owner.mobjForm_OpenNew(eFormType, perApplicator);
    }
    void QueryUnload(qint16& Cancel, qint16&) override { m_owner.mobjForm_QueryUnload(Cancel); }
    void ShowAbout() override { m_owner.mobjForm_ShowAbout(); }
    void Upload() override { m_owner.mobjForm_Upload(); }
    void Unloading() override { m_owner.mobjForm_Unloading(); }

private:
    Controller& m_owner;
};

Controller::Controller() : m_report(Vezedad::Globals::ZelReport()), m_runs(std::make_unique<ValidationRuns>()) {
    modGlobals::requireFactory(QStringLiteral("Controller"));
    m_formEvents = std::make_unique<FormEvents>(*this);
}

Controller::~Controller() = default;

void Controller::Init(qint32 option, const Vezedad::ClientVersionPtr& version) {
    m_option = option;
    m_version = version ? version : Vezedad::Utilities::MakeVersionFromValues(0, 0, 0, 0);
}

void Controller::setUploadRunner(UploadRunner runner) { uploadRunner() = std::move(runner); }

void Controller::Hide() {
    if (mobjForm) mobjForm->hide();
}

void Controller::Show() {
    if (!mobjForm) {
        auto form = std::make_unique<frmController>();
        form->Subscribe(m_formEvents.get());
        // A window that cannot take the option goes at once, so the next
        // Show starts afresh.
        form->Initialize(&m_report, m_option);
        mobjForm = std::move(form);
    }
    mobjForm->show();
}

void Controller::handle(const char* handler, const std::function<void()>& body) {
    Vezedad::Ui::GuardShowError(kLocation + QLatin1String(handler), body, mobjForm.get());
}

qint32 Controller::ownerHandle() const {
    return mobjForm && mobjForm->isVisible() ? Vezedad::Ui::HandleOfWindow(mobjForm.get()) : 0;
}

bool Controller::IdentityComplete(qint32 action, qint32 formType, const QString& heading, qint32 icon) {
    const QString missing = Globals::Utilities().MissingInfoDisplay(action, formType);
    if (missing.isEmpty()) return true;
    Vezedad::Ui::MsgBox(heading + missing, icon | Vezedad::Ui::vbOKOnly, Globals::StdErrHeader(), mobjForm.get());
    return false;
}

void Controller::SaveIdentity(const char* handler, const char* procedure) {
    handle(handler,
           [&] { Vezedad::trapArrow(kLocation + QLatin1String(procedure), [this] { m_report.Identity()->Save(); }); });
}

void Controller::mobjForm_ChangeReportRoot() {
    handle("mobjForm_ChangeReportRoot", [this] { PickReportRoot(); });
}

void Controller::mobjForm_ChangeYear() {
    handle("mobjForm_ChangeYear", [this] { PickReportYear(); });
}

void Controller::mobjForm_DoValidation(qint32 formType) {
    handle("mobjForm_DoValidation", [&] {
        switch (formType) {
        case Vezedad::zfotForm26:
        case Vezedad::zfotForm26A:
        case Vezedad::zfotForm27:
        case Vezedad::zfotForm25: ValidateFile(formType); break;
        case Vezedad::zfotAll: ValidateFolder(); break;
        default: break;
        }
    });
}

void Controller::mobjForm_OpenExisting(qint32 formType, bool perApplicator) {
    handle("mobjForm_OpenExisting", [&] { TryOpen(formType, perApplicator, false); });
}

void Controller::mobjForm_OpenNew(qint32 formType, bool perApplicator) {
    handle("mobjForm_OpenNew", [&] { TryOpen(formType, perApplicator, true); });
}

void Controller::mobjForm_Upload() {
    handle("mobjForm_Upload", [this] { UploadReport(); });
}

void Controller::mobjForm_ShowAbout() { emit ShowAbout(); }

void Controller::mobjForm_QueryUnload(qint16& Cancel) {
    const QString missing = Globals::Utilities().MissingInfoDisplay(uaExit, Vezedad::zfotNone);
    if (!missing.isEmpty()) {
        const qint32 answer = Vezedad::Ui::MsgBox(
            QStringLiteral("Some required information is missing or invalid.\r\n"
                           "If you continue, any changes you made to this screen may be lost.\r\n"
                           "Click 'OK' to exit anyway (without saving identity information) or 'Cancel' to correct "
                           "the information.\r\n") +
                missing,
            Vezedad::Ui::vbOKCancel | Vezedad::Ui::vbDefaultButton2, Globals::StdErrHeader(), mobjForm.get());
        Cancel = answer == Vezedad::Ui::vbCancel ? 1 : 0;
        return;
    }
    // Leaving now would lose the identity's changes: the user decides.
    Vezedad::Ui::Guard(
        [this] { m_report.Identity()->Save(); },
        [&](const Vezedad::ErrorInfo& error) {
            const qint32 answer = Vezedad::Ui::MsgBox(
                QStringLiteral("The identity information could not be saved.\r\n") +
                    Vezedad::Ui::ErrorText(error, kLocation + QStringLiteral("mobjForm_QueryUnload")) +
                    QStringLiteral("\r\nClick 'OK' to exit anyway (without saving identity information) or 'Cancel' to "
                                   "stay."),
                Vezedad::Ui::vbOKCancel | Vezedad::Ui::vbDefaultButton2, Globals::StdErrHeader(), mobjForm.get());
            if (answer == Vezedad::Ui::vbCancel) Cancel = 1;
        });
}

void Controller::mobjForm_Unloading() {
    Vezedad::Ui::Guard([] { Vezedad::Globals::Configuration().SaveAllSettings(); }, [](const Vezedad::ErrorInfo&) {});
    Vezedad::Ui::Guard([this] { emit Unloading(); }, [](const Vezedad::ErrorInfo&) {});
}

void Controller::PickReportRoot() {
    const QString folder = BrowseFolder(ownerHandle(), ReportRootPickerTitle(), true, false, true);
    if (!folder.isEmpty()) m_report.setReportRootPath(folder);
}

void Controller::PickReportYear() {
    frmChangeYear dialog;
    dialog.setUpdatesReport(true);
    dialog.ShowDialog();
}

QString Controller::GetReportFolder() {
    return Vezedad::trapArrow(kLocation + QStringLiteral("GetReportFolder"), [this] {
        QString folder = m_report.ReportPath();
        const qint32 answer = Vezedad::Ui::MsgBox(
            QStringLiteral("Did you save your report files in the ") + folder +
                QStringLiteral(" directory?\r\n(This is the default directory the program uses\r\nunless you changed "
                               "it by choosing another one.)"),
            Vezedad::Ui::vbYesNo, QStringLiteral("ZOV Report Upload Utility"), mobjForm.get());
        if (answer == Vezedad::Ui::vbNo)
            folder = BrowseFolder(ownerHandle(), ReportFolderPickerTitle(), false, false, true);
        return folder;
    });
}

void Controller::TryOpen(qint32 formType, bool perApplicator, bool blnNew) {
    Vezedad::trapArrow(kLocation + QStringLiteral("TryOpen"), [&] {
        if (!IdentityComplete(uaOpenForm, formType,
                              QStringLiteral("Some information is needed for the selected form.\r\n"
                                             "Please enter it and try again.\r\n"),
                              Vezedad::Ui::vbExclamation))
            return;
        SaveIdentity(blnNew ? "mobjForm_OpenNew" : "mobjForm_OpenExisting", "TryOpen");
        qint32 eventFormType = formType;
        bool eventPerApplicator = perApplicator;
        if (blnNew)
            emit OpenNew(eventFormType, eventPerApplicator);
        else
            emit OpenExisting(eventFormType, eventPerApplicator);
    });
}

void Controller::UploadReport() {
    Vezedad::trapArrow(kLocation + QStringLiteral("UploadReport"), [this] {
        if (!IdentityComplete(uaUpload, Vezedad::zfotNone,
                              QStringLiteral("Some required information is missing or invalid.\r\n"
                                             "Please correct it before uploading your report.\r\n"),
                              0))
            return;
        SaveIdentity("mobjForm_Upload", "UploadReport");
        const QString folder = GetReportFolder();
        if (folder.isEmpty()) {
            Vezedad::Ui::MsgBox(QStringLiteral("Upload cancelled: no file location."), Vezedad::Ui::vbOKOnly,
                                QStringLiteral("Uploading Report"), mobjForm.get());
            return;
        }
        VezirodEdovud::SubmitMetadataRequest request;
        request.Metadata().setReportYear(m_report.ReportYear());
        request.Metadata().setClientOption(m_option);
        request.Metadata().setClientVersion(m_version->ToString());
        request.setIdentity(m_report.Identity());
        const qint32 result =
            uploadRunner() ? uploadRunner()(request, folder) : VezirodEdovud::Uploader().SendReport(&request, folder);
        if (result == VezirodEdovud::uprNoConnection) modGlobals::ShowNoConnection();
    });
}

void Controller::ValidateFile(qint32 formType) {
    Vezedad::trapArrow(kLocation + QStringLiteral("ValidateFile"), [&] {
        if (!IdentityComplete(uaOpenForm, formType,
                              QStringLiteral("Some information is needed for the selected form type.\r\n"
                                             "Please enter it and try again.\r\n"),
                              Vezedad::Ui::vbExclamation))
            return;
        SaveIdentity("mobjForm_DoValidation", "ValidateFile");
        const QString path = Globals::FileOperations().PickFileOpen(formType, Vezedad::zfitText);
        if (path.isEmpty()) return;
        {
            std::optional<Vezedad::Ui::Hourglass> hourglass;
            if (mobjForm) hourglass.emplace(mobjForm.get());
            m_runs->ValidateFile(path, formType);
        }
        Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
        const QString reportPath = m_runs->ReportPath();
        frmValidationResponse verdict(mobjForm.get());
        verdict.ShowDialog(fso.GetParentFolderName(path), fso.GetFileName(path),
                           reportPath.isEmpty() ? QString() : fso.GetFileName(reportPath), m_runs->Severity());
        if (verdict.Cancelled()) return;
        if (verdict.LoadReport()) Vezedad::Globals::Documentation().ShowFile(reportPath);
        if (verdict.LoadFile()) {
            if (m_option == Vezedad::kvoOptionA) {
                qint32 eventFormType = formType;
                QString fileName = path;
                emit OpenReportFile(eventFormType, fileName);
            } else {
                Vezedad::Globals::Documentation().ShowFile(path);
            }
        }
    });
}

void Controller::ValidateFolder() {
    Vezedad::trapArrow(kLocation + QStringLiteral("ValidateFolder"), [&] {
        SaveIdentity("mobjForm_DoValidation", "ValidateFolder");
        // The hourglass only once the user has answered.
        const QString folder = GetReportFolder();
        std::optional<Vezedad::Ui::Hourglass> hourglass;
        if (mobjForm) hourglass.emplace(mobjForm.get());
        m_runs->ValidateFolder(folder);
    });
}

} // namespace ZozedizIZ
