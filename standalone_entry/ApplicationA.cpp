#include "ApplicationA.h"

#include "Startup.h"
#include "applicators/Applicator.h"
#include "applicators/ApplicatorList.h"
#include "applicators/Applicators.h"
#include "applicators/frmSelAppl.h"
#include "forms/Forms.h"
#include "forms/ReportForm.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/FileOperations.h"
#include "ZozedizIZ/shell/Globals.h"

namespace Dazozuvi {

namespace {

const QString kLocation = QStringLiteral("Dazozuvi::ApplicationA.");
const QString kCrLf = QStringLiteral("\r\n");

// A certification id as the report grids write it (the validator's stored
// form: upper case, no blanks or dashes), so that an applicator's Form 26
// carries the id, and proposes the file name, that their Form 26A line will
// hold once it is saved, whatever letter case the list has now. An id the
// validator refuses stays as it is, for the identity to refuse.
QString storedCertificationId(const QString& id) {
    const Vezedad::ValidationResultPtr result =
        Vezedad::Globals::Validator().ValidateField(Vezedad::zrfCertificationId, id, 0);
    return result->IsValid() ? result->Value() : id;
}

} // namespace

frmDummy::frmDummy(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmDummy"));
    setWindowTitle(QStringLiteral("Just Stayin' Alive"));
}

ApplicationA::ApplicationA() {
    Vezedad::trapArrow(kLocation + QStringLiteral("Class_Initialize"), [this] {
        const ProgramInfo& info = programInfo();
        // The version goes to the controller and is not kept here.
        const Vezedad::ClientVersionPtr version =
            Vezedad::Utilities::MakeVersionFromValues(info.major, info.minor, 0, info.revision);
        mobjController = ZozedizIZ::Globals::Controller(Vezedad::kvoOptionA, version);
        ZozedizIZ::Controller* c = mobjController;
        connect(c, &ZozedizIZ::Controller::OpenNew, this,
                [this](qint32& formType, bool& perApplicator) { mobjController_OpenNew(formType, perApplicator); });
        connect(c, &ZozedizIZ::Controller::OpenExisting, this, [this](qint32& formType, bool& perApplicator) {
            mobjController_OpenExisting(formType, perApplicator);
        });
        connect(c, &ZozedizIZ::Controller::OpenReportFile, this,
                [this](qint32& formType, QString& fileName) { mobjController_OpenReportFile(formType, fileName); });
        connect(c, &ZozedizIZ::Controller::ShowAbout, this, [this] { mobjController_ShowAbout(); });
        connect(c, &ZozedizIZ::Controller::Unloading, this, [this] { mobjController_Unloading(); });
        // Loaded, never shown.
        m_keepAlive = std::make_unique<frmDummy>();
        c->Show();
    });
}

ApplicationA::~ApplicationA() {
    if (mobjController) disconnect(mobjController, nullptr, this, nullptr);
}

void ApplicationA::handle(const char* handler, const std::function<void()>& body) {
    Vezedad::Ui::GuardShowError(kLocation + QLatin1String(handler), body);
}

void ApplicationA::mobjController_OpenNew(qint32 formType, bool perApplicator) {
    handle("mobjController_OpenNew", [&] {
        Vezedad::IdentityPtr identity;
        bool appsDone = true;
        if (formType == Vezedad::zfotForm26 && perApplicator) {
            identity = PerApplicatorIdentity(appsDone);
            if (!identity) return;
        } else {
            // The form clones it.
            identity = Vezedad::Globals::ZelReport().Identity();
        }
        QString fileName;
        if (formType == Vezedad::zfotForm26A) {
            const std::optional<QString> answer = ConfirmNewForm26A();
            if (!answer) return;
            fileName = *answer;
        }
        std::unique_ptr<ReportForm> form = NewReportForm(formType);
        if (!form) return;
        if (formType == Vezedad::zfotForm26) form->setHasActivity(appsDone);
        bool Cancel = false;
        form->Edit(Cancel, identity, fileName);
    });
}

std::optional<QString> ApplicationA::ConfirmNewForm26A() {
    const auto files = Vezedad::Globals::ZelReport().FileList(Vezedad::zfotForm26A, Vezedad::zfitText);
    const qsizetype n = files.size();
    if (n == 0) {
        const qint32 answer = Vezedad::Ui::MsgBox(
            QStringLiteral("Are you reporting for more than one certified applicator or technician?") + kCrLf +
                QStringLiteral("If not, you do not need to submit a Form 26A."),
            Vezedad::Ui::vbYesNo | Vezedad::Ui::vbQuestion, QStringLiteral("Multiple Applicators?"));
        if (answer == Vezedad::Ui::vbYes) return QString();
        return std::nullopt;
    }
    const QString text = QStringLiteral("The report folder already contains ") + QString::number(n) +
                         QStringLiteral(" Form 26A file") +
                         (n == 1 ? QStringLiteral(".") + kCrLf + QStringLiteral("Open it instead?")
                                 : QStringLiteral("s.") + kCrLf + QStringLiteral("Open one of those instead?"));
    switch (Vezedad::Ui::MsgBox(text, Vezedad::Ui::vbYesNoCancel | Vezedad::Ui::vbQuestion,
                                QStringLiteral("Open an existing file?"))) {
    case Vezedad::Ui::vbYes:
        if (n == 1) return files.at(0).second.absoluteFilePath();
        // A cancelled picker answers "": a new, empty list.
        return ZozedizIZ::Globals::FileOperations().PickFileOpen(Vezedad::zfotForm26A, Vezedad::zfitText);
    case Vezedad::Ui::vbNo: return QString();
    default: return std::nullopt;
    }
}

Vezedad::IdentityPtr ApplicationA::PerApplicatorIdentity(bool& appsDone) {
    return Vezedad::trapArrow(kLocation + QStringLiteral("PerApplicatorIdentity"), [&]() -> Vezedad::IdentityPtr {
        ApplicatorPtr chosen;
        if (modGlobals::Applicators().Count() >= 2) {
            frmSelAppl dialog;
            Vezedad::Ui::ExecModal(dialog);
            if (dialog.Cancelled()) return nullptr;
            chosen = dialog.Selected();
        }
        Vezedad::IdentityPtr clone = Vezedad::Globals::ZelReport().Identity()->Clone();
        appsDone = true;
        if (chosen) {
            clone->setApplicatorName(chosen->FullName());
            clone->setBusRegNumber(chosen->BusinessRegNumber());
            clone->setCertificationId(storedCertificationId(chosen->CertificationID()));
            appsDone = chosen->AppsDone();
        }
        return clone;
    });
}

void ApplicationA::mobjController_OpenExisting(qint32 formType, bool /*perApplicator*/) {
    handle("mobjController_OpenExisting",
           [&] { LoadFile(formType, ZozedizIZ::Globals::FileOperations().PickFileOpen(formType, Vezedad::zfitText)); });
}

void ApplicationA::mobjController_OpenReportFile(qint32 formType, const QString& fileName) {
    handle("mobjController_OpenReportFile", [&] { LoadFile(formType, fileName); });
}

void ApplicationA::LoadFile(qint32 formType, const QString& fileName) {
    Vezedad::trapArrow(kLocation + QStringLiteral("LoadFile"), [&] {
        if (fileName.isEmpty()) return;
        std::unique_ptr<ReportForm> form = NewReportForm(formType);
        if (!form) return;
        // No identity: the form starts from the filer's; the file decides
        // the activity.
        bool Cancel = false;
        form->Edit(Cancel, nullptr, fileName);
    });
}

void ApplicationA::mobjController_ShowAbout() {
    handle("mobjController_ShowAbout", [] {
        const ProgramInfo& info = programInfo();
        ZozedizIZ::Globals::ShowAbout(info.title, info.productName, info.description, info.versionText(), info.company,
                                      info.contact, info.legalNotice);
    });
}

void ApplicationA::mobjController_Unloading() {
    handle("mobjController_Unloading", [this] {
        // The shared controller stays with the library until the program
        // releases its services; only the subscription ends here.
        if (mobjController) disconnect(mobjController, nullptr, this, nullptr);
        mobjController = nullptr;
        m_keepAlive.reset();
        emit Ended();
    });
}

} // namespace Dazozuvi
