#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "IdentityFields.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZiverezUvaveded/Messages.h"
#include "ZiverezUvaveded/Uploader.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/ExceptionReport.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/frmController.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using TestSupport::raisedBy;
using TestSupport::readFile;
using TestSupport::UiScript;
using TestSupport::writeFile;
using ZozedizIZ::Controller;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QByteArray kGood25 = "0|R12345|2345-2345-2345|Name from label|2|GL|24|X||\r\n";
const QByteArray kBad25 = "0|R12345|2345-2345-2345|Name from label|0|GL|24|X||\r\n";
const QByteArray kWarn26 = "0|P1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n";
const QByteArray kGood26 = "0|C1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n";

Vezedad::ZelReport& report() { return Vezedad::Globals::ZelReport(); }
QString identityFile() { return QDir(report().ReportPath()).filePath("identity.txt"); }

const Vezedad::ClientVersionPtr& version() {
    static const Vezedad::ClientVersionPtr v = Vezedad::Utilities::MakeVersionFromValues(2, 3, 4, 5);
    return v;
}

// The thread's controller, for option A.
Controller* controller() { return ZozedizIZ::Globals::Controller(Vezedad::kvoOptionA, version()); }
ZozedizIZ::frmController& window() { return *controller()->Form(); }
template <class T = QWidget> T* child(const char* name) {
    T* found = window().findChild<T*>(QLatin1String(name));
    if (!found) qWarning("no child %s", name);
    return found;
}
void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
void trigger(const char* name) { child<QAction>(name)->trigger(); }
void chooseForm(qint32 formType) {
    child<QRadioButton>(qPrintable(QStringLiteral("radFormType(%1)").arg(formType)))->setChecked(true);
}
void chooseNoForm() {
    auto* group = window().findChild<QButtonGroup*>();
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

using Ids = TestSupport::IdentityFields;
using TestSupport::setIdentity;
const Ids kComplete{"12345", "C1234567", "R12345", "Al Roe", "Jo", "555-0100", "jo@example.com"};

// The controller's events as its host sees them.
QStringList& events() {
    static QStringList list;
    return list;
}
void listen(Controller* c) {
    QObject::connect(c, &Controller::OpenNew,
                     [](qint32& t, bool& p) { events() << QStringLiteral("OpenNew(%1,%2)").arg(t).arg(p); });
    QObject::connect(c, &Controller::OpenExisting,
                     [](qint32& t, bool& p) { events() << QStringLiteral("OpenExisting(%1,%2)").arg(t).arg(p); });
    QObject::connect(c, &Controller::OpenReportFile,
                     [](qint32& t, QString& f) { events() << QStringLiteral("OpenReportFile(%1,%2)").arg(t).arg(f); });
    QObject::connect(c, &Controller::ShowAbout, [] { events() << QStringLiteral("ShowAbout"); });
}

// What the upload saw.
struct UploadCall {
    qint16 year = 0;
    qint32 option = 0;
    QString client, version;
    Vezedad::IdentityPtr identity;
    QString folder;
};
QList<UploadCall>& uploads() {
    static QList<UploadCall> list;
    return list;
}
qint32& uploadResult() {
    static qint32 result = VezirodEdovud::uprSuccess;
    return result;
}

QStringList& openedFiles() {
    static QStringList list;
    return list;
}
qint32 recordOpen(const QString& target, bool) {
    openedFiles() << target;
    return 0;
}

// A report file's text with what changes from run to run masked: the folder
// and the date.
QByteArray masked(const QString& reportPath, const QString& folder) {
    QString text = Vezedad::Cp1252::decode(readFile(reportPath));
    text.replace(folder, QStringLiteral("<folder>"));
    QStringList lines = text.split(kCrLf);
    if (lines.size() > 1 && lines[1].startsWith(QStringLiteral("Date: "))) lines[1] = QStringLiteral("Date: <date>");
    return lines.join(kCrLf).toLatin1();
}
QByteArray expected(const QString& name) { return readFile(QStringLiteral(TEST_DATA_DIR "/expected/") + name); }

// The verdict window's fields, then an action on it.
struct Verdict {
    QString folder, file, report, severity;
    bool reportEnabled = false;
};
UiScript::Action readVerdict(Verdict& v, const std::function<void(QDialog&)>& then = {}) {
    return [&v, then](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmValidationResponse"));
        v.folder = d.findChild<QLineEdit*>("txtFolder")->text();
        v.file = d.findChild<QLineEdit*>("txtFile")->text();
        v.report = d.findChild<QLineEdit*>("txtReport")->text();
        v.severity = d.findChild<QLineEdit*>("txtSeverity")->text();
        v.reportEnabled = d.findChild<QCheckBox*>("chkShowReport")->isEnabled();
        if (then)
            then(d);
        else
            d.reject();
    };
}

// The verdict window's fields, then its choices to open the report and the
// file, and OK.
UiScript::Action chooseInVerdict(Verdict& v, bool report, bool file) {
    return readVerdict(v, [report, file](QDialog& d) {
        d.findChild<QCheckBox*>("chkShowReport")->setChecked(report);
        d.findChild<QCheckBox*>("chkShowFile")->setChecked(file);
        QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
}

// The progress window, once the job inside it has ended, with its last
// description and status.
UiScript::Action progressRuns(QString* description = nullptr, QString* status = nullptr) {
    return [description, status](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmProgress"));
        QTRY_VERIFY(!d.isVisible());
        if (description) *description = d.findChild<QLabel*>("lblOperation")->toolTip();
        if (status) *status = d.findChild<QLabel*>("lblStatus")->text();
    };
}

// Presses Stop in the progress window when the validator reaches a record.
struct StopAt {
    QMetaObject::Connection connection;
    StopAt(std::function<bool(qint32)> when) {
        connection = QObject::connect(&Vezedad::Globals::Validator(), &Vezedad::Validator::RecordValidated,
                                      [when](qint32& record, qint32&, qint32&, bool&) {
                                          if (!when(record)) return;
                                          for (QWidget* w : QApplication::topLevelWidgets())
                                              if (w->objectName() == QStringLiteral("frmProgress") && w->isVisible())
                                                  w->findChild<QPushButton*>("cmdStop")->click();
                                      });
    }
    ~StopAt() { QObject::disconnect(connection); }
};

// Validate Folder on folder, chosen in the folder dialog after No to the
// year folder's question; the summary box is answered OK.
void validateFolder(UiScript& ui, const QString& folder) {
    ui.expectBox(Vezedad::Ui::vbNo);
    ui.expectFolder(folder);
    ui.expectModal(progressRuns());
    ui.expectBox();
    click("cmdValidateFolder");
}

// What one Validate File of a form showed: the verdict, and the progress
// window's last lines when the file took it.
struct FileRun {
    Verdict verdict;
    bool progress = false;
    QString description, status;
};

// Validates path as a file of formType through Validate File, the file
// chosen in the open dialog, the verdict closed with Cancel.
FileRun validateFile(UiScript& ui, const QString& path, qint32 formType, bool progress) {
    FileRun run;
    chooseForm(formType);
    ui.expectFile(path);
    if (progress) ui.expectModal(progressRuns(&run.description, &run.status));
    ui.expectModal(readVerdict(run.verdict));
    click("cmdValidate");
    run.progress = ui.modalNames().contains(QStringLiteral("frmProgress"));
    return run;
}

} // namespace

class tst_controller : public QObject {
    Q_OBJECT

    QTemporaryDir m_files;

    // A copy of a fixture in the test's folder.
    QString fixture(const QString& name) {
        const QString path = m_files.filePath(name);
        QFile::remove(path);
        QFile::copy(QStringLiteral(TEST_DATA_DIR "/") + name, path);
        return path;
    }
    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = m_files.filePath(name);
        writeFile(path, bytes);
        return path;
    }

private slots:
    // Runs first: a window that cannot take the option leaves nothing
    // behind, and the next Show tries again.
    void showWithAnUnknownOptionLeavesNoWindow() {
        Controller* c = ZozedizIZ::Globals::Controller(Vezedad::kvoOptionC);
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Vezedad::ErrorInfo e = raisedBy([c] { c->Show(); });
            QCOMPARE(e.Number(), 380);
            QCOMPARE(e.Description(), QStringLiteral("Option Type (3) is not a recognized value."));
            QVERIFY(!c->Form());
        }
        for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(w->objectName() != QStringLiteral("frmController"));
        ZozedizIZ::Globals::Release();
    }

    void initTestCase() {}

    void init() {
        if (QTest::currentTestFunction() == QByteArrayLiteral("showWithAnUnknownOptionLeavesNoWindow")) return;
        static bool first = true;
        if (first) {
            first = false;
            report().ChangeReportYear(2024);
            Vezedad::Documentation::setShellOpener(&recordOpen);
            Controller::setUploadRunner([](const VezirodEdovud::SubmitMetadataRequest& r, const QString& folder) {
                uploads().append({r.Metadata().ReportYear(), r.Metadata().ClientOption(), r.Metadata().Client(),
                                  r.Metadata().ClientVersion(), r.Identity(), folder});
                return uploadResult();
            });
            listen(controller());
            controller()->Show();
        }
        setIdentity(kComplete);
        events().clear();
        uploads().clear();
        openedFiles().clear();
        uploadResult() = VezirodEdovud::uprSuccess;
        controller()->Show();
        chooseForm(Vezedad::zfotForm26);
        child<QCheckBox>("ckMultiple")->setChecked(false);
    }

    void cleanupTestCase() {
        Controller::setUploadRunner({});
        ZozedizIZ::Globals::Release();
    }

    void madeOnlyByItsFactory() {
        const Vezedad::ErrorInfo e = raisedBy([] { Controller direct; });
        QCOMPARE(e.Number(), 1002);
        QCOMPARE(e.Description(), QStringLiteral("Client code did not call factory method for Controller"));
        QCOMPARE(e.Source(), QStringLiteral("ZozedizIZ::Controller"));
        // Later calls return the first controller, whatever they ask for.
        QCOMPARE(ZozedizIZ::Globals::Controller(Vezedad::kvoOptionB), controller());
        QCOMPARE(window().windowTitle(), QStringLiteral("OSTDEC Pesticide Reporting - Option A Control Center"));
        // Hide and Show keep the one window.
        ZozedizIZ::frmController* shown = controller()->Form();
        controller()->Hide();
        QVERIFY(!shown->isVisible());
        controller()->Show();
        QCOMPARE(controller()->Form(), shown);
        QVERIFY(shown->isVisible());
    }

    void openGates_data() {
        QTest::addColumn<qint32>("formType");
        QTest::addColumn<bool>("perApplicator");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("permit");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("missing");
        QTest::newRow("blank Form 26 per applicator") << 1 << true << "cmdNew"
                                                      << "R12345"
                                                      << "OpenNew(1,1)" << QString();
        QTest::newRow("existing Form 25") << 8 << false << "cmdOpen"
                                          << "R12345"
                                          << "OpenExisting(8,0)" << QString();
        QTest::newRow("Form 25 without a permit")
            << 8 << false << "cmdNew" << QString() << QString() << "Commercial Permit Number\r\n";
        QTest::newRow("no form chosen") << 0 << false << "cmdOpen"
                                        << "R12345" << QString() << "Select a form to open\r\n";
    }

    // A complete identity is saved and the host hears of the opening; an
    // incomplete one is listed, and nothing else happens.
    void openGates() {
        QFETCH(qint32, formType);
        QFETCH(bool, perApplicator);
        QFETCH(QString, button);
        QFETCH(QString, permit);
        QFETCH(QString, event);
        QFETCH(QString, missing);
        Ids ids = kComplete;
        ids.permit = permit;
        setIdentity(ids);
        if (formType)
            chooseForm(formType);
        else
            chooseNoForm();
        child<QCheckBox>("ckMultiple")->setChecked(perApplicator);
        QFile::remove(identityFile());
        UiScript ui;
        if (!missing.isEmpty()) ui.expectBox();
        click(qPrintable(button));
        QCOMPARE(events(), event.isEmpty() ? QStringList() : QStringList{event});
        QCOMPARE(QFile::exists(identityFile()), missing.isEmpty());
        if (missing.isEmpty()) return;
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Warning"));
        QCOMPARE(ui.boxes().at(0).buttons, qint32(Vezedad::Ui::vbExclamation | Vezedad::Ui::vbOKOnly));
        QCOMPARE(ui.boxes().at(0).prompt,
                 "Some information is needed for the selected form.\r\nPlease enter it and try again.\r\n" + missing);
    }

    // An identity that cannot be saved is shown in the handler's box, and
    // the opening goes on with the identity in memory.
    void aFailedSaveBeforeOpeningIsShown() {
        QFile::remove(identityFile());
        QVERIFY(QDir().mkpath(identityFile()));
        UiScript ui;
        ui.expectBox();
        click("cmdNew");
        QVERIFY(QDir().rmdir(identityFile()));
        QCOMPARE(events(), QStringList{"OpenNew(1,0)"});
        const QStringList lines = ui.boxes().at(0).prompt.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(1), QStringLiteral("In ZozedizIZ::Controller.mobjForm_OpenNew"));
        QVERIFY2(lines.value(2).startsWith(QStringLiteral("-->ZozedizIZ::Controller.TryOpen\r")),
                 qPrintable(ui.boxes().at(0).prompt));
    }

    // Validate File with no form chosen does nothing at all; with a form the
    // identity lacks, the box names the form type.
    void validateFileGate() {
        chooseNoForm();
        click("cmdValidate");
        setIdentity({});
        chooseForm(Vezedad::zfotForm27);
        UiScript ui;
        ui.expectBox();
        click("cmdValidate");
        QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("Some information is needed for the selected form type.\r\n"
                                                         "Please enter it and try again.\r\n"
                                                         "Commercial Permit Number\r\n"));
    }

    void uploadNeedsTheWholeIdentity() {
        Ids ids = kComplete;
        ids.phone.clear();
        setIdentity(ids);
        UiScript ui;
        ui.expectBox();
        click("cmdUpload");
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Warning"));
        QCOMPARE(ui.boxes().at(0).buttons, qint32(Vezedad::Ui::vbOKOnly));
        QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("Some required information is missing or invalid.\r\n"
                                                         "Please correct it before uploading your report.\r\n"
                                                         "Phone Number\r\n"));
        QVERIFY(uploads().isEmpty());
    }

    // The folder question: Yes sends the year folder, No the folder picked;
    // a cancelled picker sends nothing.
    void uploadAsksForTheFolder() {
        QFile::remove(identityFile());
        UiScript ui;
        ui.expectBox(Vezedad::Ui::vbYes);
        trigger("mnuToolsUpload");
        QVERIFY(QFile::exists(identityFile()));
        const Vezedad::Ui::MessageBoxCall question = ui.boxes().at(0);
        QCOMPARE(question.title, QStringLiteral("ZOV Report Upload Utility"));
        QCOMPARE(question.buttons, qint32(Vezedad::Ui::vbYesNo));
        QCOMPARE(question.prompt, "Did you save your report files in the " + report().ReportPath() +
                                      " directory?\r\n(This is the default directory the program uses\r\n"
                                      "unless you changed it by choosing another one.)");
        QCOMPARE(uploads().size(), 1);
        const UploadCall call = uploads().at(0);
        QCOMPARE(call.folder, report().ReportPath());
        QCOMPARE(call.year, qint16(2024));
        QCOMPARE(call.option, 1);
        QCOMPARE(call.client, QStringLiteral("OptionA"));
        QCOMPARE(call.version, QStringLiteral("2.3.4.5"));
        QCOMPARE(call.identity, report().Identity());

        ui.expectBox(Vezedad::Ui::vbNo);
        ui.expectFolder(m_files.path());
        click("cmdUpload");
        QCOMPARE(uploads().size(), 2);
        QCOMPARE(uploads().at(1).folder, m_files.path());
        const Vezedad::Ui::DialogRequest picker = ui.dialogs().at(0);
        QCOMPARE(picker.title, QStringLiteral("Select the Drive and Directory that contains your files"));
        QVERIFY(!picker.file.allowNewFolder);
        QCOMPARE(picker.owner, static_cast<QWidget*>(&window()));

        ui.expectBox(Vezedad::Ui::vbNo);
        ui.expectDialogCancel();
        ui.expectBox();
        click("cmdUpload");
        QCOMPARE(uploads().size(), 2);
        QCOMPARE(ui.boxes().at(3).title, QStringLiteral("Uploading Report"));
        QCOMPARE(ui.boxes().at(3).prompt, QStringLiteral("Upload cancelled: no file location."));
    }

    void noConnectionNoticeOnlyForNoConnection_data() {
        QTest::addColumn<qint32>("result");
        for (qint32 r = VezirodEdovud::uprSuccess; r <= VezirodEdovud::uprError; ++r)
            QTest::newRow(qPrintable(QString::number(r))) << r;
    }

    void noConnectionNoticeOnlyForNoConnection() {
        QFETCH(qint32, result);
        uploadResult() = result;
        UiScript ui;
        ui.expectBox(Vezedad::Ui::vbYes);
        if (result == VezirodEdovud::uprNoConnection)
            ui.expectModal([](QDialog& d) {
                QCOMPARE(d.objectName(), QStringLiteral("frmInfo"));
                QCOMPARE(d.windowTitle(), ZozedizIZ::Globals::GetMessage(ZozedizIZ::kvmNoNetConnectCaption));
                d.accept();
            });
        click("cmdUpload");
        QCOMPARE(uploads().size(), 1);
    }

    // The report root: the picker may make a new folder; a cancel changes
    // nothing; a root whose year folder cannot be made is shown in the
    // handler's box.
    void reportRootChange() {
        const QString root = report().ReportRootPath();
        const QString newRoot = m_files.filePath(QStringLiteral("Root"));
        UiScript ui;
        ui.expectFolder(newRoot);
        trigger("mnuToolsRoot");
        QCOMPARE(ui.dialogs().at(0).title, QStringLiteral("Report Root contains the ZOVyyyy report folders"));
        QVERIFY(ui.dialogs().at(0).file.allowNewFolder);
        QCOMPARE(report().ReportRootPath(), newRoot);
        QCOMPARE(child<QLabel>("lblReportPath")->text(), QDir(newRoot).filePath(QStringLiteral("ZOV2024")));

        ui.expectDialogCancel();
        trigger("mnuToolsRoot");
        QCOMPARE(report().ReportRootPath(), newRoot);

        const QString blocked = file(QStringLiteral("plainfile"), "x");
        ui.expectFolder(blocked + QStringLiteral("/Root"));
        ui.expectBox();
        trigger("mnuToolsRoot");
        QCOMPARE(report().ReportRootPath(), newRoot);
        const QStringList lines = ui.boxes().at(0).prompt.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(1), QStringLiteral("In ZozedizIZ::Controller.mobjForm_ChangeReportRoot"));
        QVERIFY(lines.value(2).startsWith(QStringLiteral("-->")));

        report().setReportRootPath(root);
    }

    void yearChange() {
        UiScript ui;
        ui.expectModal([](QDialog& d) {
            QCOMPARE(d.objectName(), QStringLiteral("frmChangeYear"));
            auto* years = d.findChild<QComboBox*>("cboYear");
            years->setCurrentIndex(years->findText(QStringLiteral("2023")));
            QTest::mouseClick(d.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        trigger("mnuToolsYear");
        QCOMPARE(report().ReportYear(), qint16(2023));
        QCOMPARE(child<QLabel>("lblReportYear")->text(), QStringLiteral("Report Year 2023"));
        report().ChangeReportYear(2024);
    }

    void exitPaths_data() {
        QTest::addColumn<bool>("complete");
        QTest::addColumn<bool>("saveFails");
        QTest::addColumn<qint32>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("incomplete, Cancel") << false << false << qint32(Vezedad::Ui::vbCancel) << false;
        QTest::newRow("incomplete, OK") << false << false << qint32(Vezedad::Ui::vbOK) << true;
        QTest::newRow("complete") << true << false << 0 << true;
        QTest::newRow("save fails, Cancel") << true << true << qint32(Vezedad::Ui::vbCancel) << false;
        QTest::newRow("save fails, OK") << true << true << qint32(Vezedad::Ui::vbOK) << true;
    }

    // Leaving asks about a missing identity (Cancel the default), saves a
    // complete one, and tells the host once the settings are written.
    void exitPaths() {
        QFETCH(bool, complete);
        QFETCH(bool, saveFails);
        QFETCH(qint32, answer);
        QFETCH(bool, closes);
        Ids ids = kComplete;
        if (!complete) ids.email.clear();
        setIdentity(ids);
        QFile::remove(identityFile());
        if (saveFails) QVERIFY(QDir().mkpath(identityFile()));
        const qint32 colour = 0x123456 + answer;
        Vezedad::Globals::Configuration().setBackColor(colour);
        bool savedFirst = false;
        int unloadings = 0;
        const auto connection = QObject::connect(controller(), &Controller::Unloading, [&] {
            ++unloadings;
            for (const QString& hive : {TestSupport::userConfigDir(), TestSupport::machineConfigDir()}) {
                QFile settings(hive + QStringLiteral("/registry.json"));
                if (settings.open(QIODevice::ReadOnly) && settings.readAll().contains(QByteArray::number(colour)))
                    savedFirst = true;
            }
        });
        UiScript ui;
        if (answer) ui.expectBox(answer);
        click("cmdExit");
        QObject::disconnect(connection);
        if (saveFails) QVERIFY(QDir().rmdir(identityFile()));
        QCOMPARE(window().isVisible(), !closes);
        QCOMPARE(unloadings, closes ? 1 : 0);
        QCOMPARE(savedFirst, closes);
        QCOMPARE(QFile::exists(identityFile()), complete && !saveFails);
        if (!answer) return;
        const Vezedad::Ui::MessageBoxCall box = ui.boxes().at(0);
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.buttons, qint32(Vezedad::Ui::vbOKCancel | Vezedad::Ui::vbDefaultButton2));
        if (!saveFails)
            QCOMPARE(box.prompt,
                     QStringLiteral("Some required information is missing or invalid.\r\n"
                                    "If you continue, any changes you made to this screen may be lost.\r\n"
                                    "Click 'OK' to exit anyway (without saving identity information) or 'Cancel' to "
                                    "correct the information.\r\nEmail Address\r\n"));
        else
            QVERIFY2(box.prompt.startsWith(QStringLiteral("The identity information could not be saved.\r\nError ")),
                     qPrintable(box.prompt));
    }

    void aboutGoesToTheHost() {
        trigger("mnuAbout");
        QCOMPARE(events(), QStringList{"ShowAbout"});
    }

    // A valid file: no report (an older one goes), the verdict offers none,
    // and a small file runs without the progress window.
    void validFileDeletesAnOlderReport() {
        const QString path = fixture(QStringLiteral("M1234501.txt"));
        const QString old = file(QStringLiteral("exception_M1234501.txt"), "old report\r\n");
        UiScript ui;
        const Verdict v = validateFile(ui, path, Vezedad::zfotForm25, false).verdict;
        QVERIFY(!QFile::exists(old));
        QCOMPARE(ui.dialogs().at(0).title, QStringLiteral("Select File to Open"));
        QCOMPARE(ui.modalNames(), QStringList{"frmValidationResponse"});
        QCOMPARE(v.folder, m_files.path());
        QCOMPARE(v.file, QStringLiteral("M1234501.txt"));
        QCOMPARE(v.report, QString());
        QVERIFY(!v.reportEnabled);
        QCOMPARE(v.severity, QStringLiteral("File passed validation"));
        QCOMPARE(window().cursor().shape(), Qt::ArrowCursor);
    }

    void exceptionReports_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint32>("formType");
        QTest::addColumn<QString>("severity");
        QTest::newRow("warnings only") << "P1234502.txt" << 1 << "There were some warnings";
        QTest::newRow("failed") << "M1234503.txt" << 8 << "File failed validation";
        QTest::newRow("terminated: no separator") << "M1234504.txt" << 8 << "File failed validation";
    }

    void exceptionReports() {
        QFETCH(QString, name);
        QFETCH(qint32, formType);
        QFETCH(QString, severity);
        const QString path = fixture(name);
        UiScript ui;
        const Verdict v = validateFile(ui, path, formType, false).verdict;
        const QString reportName = "exception_" + name;
        QCOMPARE(v.report, reportName);
        QVERIFY(v.reportEnabled);
        QCOMPARE(v.severity, severity);
        QCOMPARE(masked(m_files.filePath(reportName), m_files.path()), expected(reportName));
    }

    // A record that ends the run names it in the terminal section.
    void terminalRecordIsNamed() {
        using namespace Vezedad;
        FileValidationResultPtr result = modGlobals::New_FileValidationResult();
        RecordValidationResultPtr eleven = modGlobals::New_RecordValidationResult(11, QStringLiteral("0|R1|x|y|"));
        eleven->Add(
            modGlobals::New_ValidationResult(zrfEPANumber, 11, QStringLiteral("x"), valcInvalidValue, kvesTerminal));
        RecordValidationResultPtr wholeFile = modGlobals::New_RecordValidationResult(-1, QString());
        wholeFile->Add(
            modGlobals::New_ValidationResult(zrfErrorCount, -1, QStringLiteral("11"), valcTerminalError, kvesTerminal));
        result->Add(eleven);
        result->Add(wholeFile);
        const QString reportPath = m_files.filePath(QStringLiteral("exception_M11.txt"));
        ZozedizIZ::ExceptionReport::Write(reportPath, m_files.filePath(QStringLiteral("M11.txt")), *result);
        QCOMPARE(masked(reportPath, m_files.path()), expected(QStringLiteral("exception_M11.txt")));
    }

    // The 1000th record with errors ends the run; the report says why, and
    // a file this size runs under the progress window.
    void tooManyErrors() {
        QByteArray bytes;
        for (int i = 0; i < 1001; ++i) bytes += kBad25;
        const QString path = file(QStringLiteral("M1234505.txt"), bytes);
        UiScript ui;
        QCOMPARE(validateFile(ui, path, Vezedad::zfotForm25, true).status,
                 QStringLiteral("Validated 1000 lines; found 1000 errors so far."));
        const QStringList lines =
            QString::fromLatin1(readFile(m_files.filePath("exception_M1234505.txt"))).split(kCrLf);
        QCOMPARE(lines.mid(3, 6),
                 (QStringList{"File validation terminated",
                              "Error:   Error Count = '1000': Too many invalid records. Validation "
                              "stopped after 1000 invalid records.",
                              "", "1000 records have been checked.", "1000 records have validation errors.", ""}));
    }

    // The progress window ends on the figures of the last hundredth record,
    // however quickly the run went past the window's paints: errors found
    // after it are not among them.
    void progressEndsOnTheLastHundredth_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("status");
        QTest::newRow("errors after it") << kGood25.repeated(200) + kBad25.repeated(50)
                                         << QStringLiteral("Validated 200 lines; found 0 errors so far.");
        QTest::newRow("errors before it") << kBad25.repeated(50) + kGood25.repeated(350)
                                          << QStringLiteral("Validated 400 lines; found 50 errors so far.");
    }
    void progressEndsOnTheLastHundredth() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, status);
        const QString path = file(QStringLiteral("M1234510.txt"), bytes);
        UiScript ui;
        QCOMPARE(validateFile(ui, path, Vezedad::zfotForm25, true).status, status);
    }

    // A report of many records, made in pieces, keeps the records in order.
    void aLongReportKeepsItsOrder() {
        QByteArray bytes;
        for (int i = 0; i < 3000; ++i) bytes += kWarn26;
        const QString path = file(QStringLiteral("P1234509.txt"), bytes);
        UiScript ui;
        validateFile(ui, path, Vezedad::zfotForm26, true);
        const QStringList blocks =
            QString::fromLatin1(readFile(m_files.filePath("exception_P1234509.txt"))).split(QStringLiteral("\r\n\r\n"));
        // The heading, the counts, 3000 records and what follows the last.
        QCOMPARE(blocks.size(), 3003);
        for (int i = 1; i <= 3000; ++i)
            QVERIFY2(blocks.at(i + 1).startsWith(QStringLiteral("Line %1: 0|P1234567|").arg(i)),
                     qPrintable(blocks.at(i + 1)));
        QCOMPARE(blocks.last(), QString());
    }

    void progressWindowFromTenThousandBytes_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("9,999 bytes") << 9999;
        QTest::newRow("10,000 bytes") << 10000;
    }

    void progressWindowFromTenThousandBytes() {
        QFETCH(int, size);
        QByteArray bytes;
        while (bytes.size() + kGood25.size() <= size) bytes += kGood25;
        // The last line takes up the rest with blanks after its last field.
        bytes.chop(2);
        bytes += QByteArray(size - bytes.size() - 2, ' ') + "\r\n";
        QCOMPARE(bytes.size(), size);
        const QString path = file(QStringLiteral("M1234506.txt"), bytes);
        UiScript ui;
        const FileRun run = validateFile(ui, path, Vezedad::zfotForm25, size >= 10000);
        QCOMPARE(run.verdict.severity, QStringLiteral("File passed validation"));
        QCOMPARE(run.progress, size >= 10000);
        if (run.progress) QCOMPARE(run.description, "Validating file " + path);
    }

    // Stop, pressed while record 250 is checked, ends the run after record
    // 300. The findings about the whole file stay in the report; the Stop
    // itself is named once, in the terminal section.
    void stopInAFile() {
        QByteArray bytes;
        for (int i = 0; i < 1000; ++i) bytes += i == 9 ? kBad25 : kGood25;
        const QString path = file(QStringLiteral("X1234507.txt"), bytes); // not an "M" name
        StopAt stop([](qint32 record) { return record == 250; });
        UiScript ui;
        QCOMPARE(validateFile(ui, path, Vezedad::zfotForm25, true).verdict.severity,
                 QStringLiteral("File failed validation"));
        QCOMPARE(masked(m_files.filePath("exception_X1234507.txt"), m_files.path()),
                 expected(QStringLiteral("exception_X1234507.txt")));
    }

    // The verdict's choices: the report opens first, then the file goes to
    // the host's report form.
    void verdictOpensTheReportThenTheFile() {
        const QString path = fixture(QStringLiteral("M1234503.txt"));
        chooseForm(Vezedad::zfotForm25);
        Verdict v;
        UiScript ui;
        ui.expectFile(path);
        ui.expectModal(chooseInVerdict(v, true, true));
        const auto order = QObject::connect(controller(), &Controller::OpenReportFile,
                                            [] { events() << QStringLiteral("opened: %1").arg(openedFiles().size()); });
        click("cmdValidate");
        QObject::disconnect(order);
        QCOMPARE(openedFiles(), QStringList{m_files.filePath("exception_M1234503.txt")});
        QCOMPARE(events(), (QStringList{"OpenReportFile(8," + path + ")", "opened: 1"}));
    }

    // A report that no program opens (none is set for text files) is named
    // whole in the box, with how to read it; the platform's call is not.
    void aReportNotOpenedSaysWhereItIs() {
        const QString path = fixture(QStringLiteral("M1234503.txt"));
        chooseForm(Vezedad::zfotForm25);
        Verdict v;
        UiScript ui;
        ui.expectFile(path);
        ui.expectModal(chooseInVerdict(v, true, false));
        ui.expectBox();
        Vezedad::Documentation::setShellOpener([](const QString&, bool) { return qint32(Vezedad::sysNoAssociation); });
        const auto restore = qScopeGuard([] { Vezedad::Documentation::setShellOpener(&recordOpen); });
        click("cmdValidate");
        const QString prompt = ui.boxes().at(0).prompt;
        QVERIFY2(prompt.startsWith(QStringLiteral("Error 1155: The file '") +
                                   m_files.filePath("exception_M1234503.txt") +
                                   QStringLiteral("' was not opened: no program is set to open text files.\r\n"
                                                  "Open it with a text editor.\n")),
                 qPrintable(prompt));
        QVERIFY2(!prompt.contains(QStringLiteral("ShellExecute")), qPrintable(prompt));
    }

    // A report that cannot be written ends the run: the progress window
    // closes and the failure is shown in the handler's box; no verdict.
    void aFailedReportIsShown() {
        QByteArray bytes;
        for (int i = 0; i < 300; ++i) bytes += kBad25;
        const QString path = file(QStringLiteral("M1234508.txt"), bytes);
        QVERIFY(QDir().mkpath(m_files.filePath("exception_M1234508.txt")));
        chooseForm(Vezedad::zfotForm25);
        UiScript ui;
        ui.expectFile(path);
        ui.expectModal(progressRuns());
        ui.expectBox();
        click("cmdValidate");
        QCOMPARE(ui.modalNames(), QStringList{"frmProgress"});
        const QStringList lines = ui.boxes().at(0).prompt.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(1), QStringLiteral("In ZozedizIZ::Controller.mobjForm_DoValidation"));
        QVERIFY2(lines.value(2).startsWith(QStringLiteral("-->ZozedizIZ::Controller.ValidateFile\r")),
                 qPrintable(ui.boxes().at(0).prompt));
        // Each procedure on the way names itself once, and the failure keeps
        // the source it had.
        const QString prompt = ui.boxes().at(0).prompt;
        QCOMPARE(prompt.count(QStringLiteral("Controller.WriteExceptionReport")), 1);
        QVERIFY2(
            prompt.contains(QStringLiteral("-->ZozedizIZ::Controller.WriteExceptionReport\r\n-->FileSystemObject")),
            qPrintable(prompt));
        QCOMPARE(window().cursor().shape(), Qt::ArrowCursor);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!(w->objectName() == QStringLiteral("frmProgress") && w->isVisible()));
    }

    // A folder run takes the report files (A, M, P or S and ending in ".txt",
    // in any case) in name order and leaves exception reports and the identity
    // alone; the summary counts them.
    void folderRun() {
        QTemporaryDir folder;
        const QByteArray bad26A = "0|C1234567|x|y|z|\r\n";
        writeFile(folder.filePath("sales.txt"), "0|R12345|2345-2345|Name|1|GL|1|Al|Roe|09/09/2024|\r\n");
        writeFile(folder.filePath("P1.TXT"), kWarn26);
        writeFile(folder.filePath("m1.txt"), kGood25);
        writeFile(folder.filePath("a1.txt"), bad26A);
        writeFile(folder.filePath("exception_P1.txt"), "old\r\n");
        writeFile(folder.filePath("identity.txt"), "x|\r\n");
        writeFile(folder.filePath("list.csv"), kGood25);
        writeFile(folder.filePath("readme.txt"), kGood25);
        // What a save cut short leaves, and an editor's backup, are no reports.
        writeFile(folder.filePath("m1.txt.k3J9xQ"), "0|R1");
        writeFile(folder.filePath("m1.txt~"), kGood25);
        QStringList order;
        const auto watch = QObject::connect(&Vezedad::Globals::Validator(), &Vezedad::Validator::RecordValidated,
                                            [&order](qint32& record, qint32&, qint32&, bool&) {
                                                if (record != 1) return;
                                                for (QWidget* w : QApplication::topLevelWidgets())
                                                    if (w->objectName() == QStringLiteral("frmProgress"))
                                                        order << w->findChild<QLabel*>("lblOperation")->toolTip();
                                            });
        UiScript ui;
        validateFolder(ui, folder.path());
        QObject::disconnect(watch);
        QCOMPARE(order, (QStringList{"Validating file 1 of 4: a1.txt", "Validating file 2 of 4: m1.txt",
                                     "Validating file 3 of 4: P1.TXT", "Validating file 4 of 4: sales.txt"}));
        const Vezedad::Ui::MessageBoxCall summary = ui.boxes().at(1);
        QCOMPARE(summary.title, QStringLiteral("Folder Validation"));
        QCOMPARE(summary.buttons, qint32(Vezedad::Ui::vbInformation | Vezedad::Ui::vbOKOnly));
        QCOMPARE(summary.prompt, "4 files in folder " + folder.path() +
                                     " have been validated.\r\n1 passed validation.\r\n1 have warnings but are "
                                     "otherwise valid.\r\n2 failed validation.\r\nException reports (if any) are in "
                                     "the folder with the files.");
        QVERIFY(!QFile::exists(folder.filePath("exception_m1.txt")));
        QVERIFY(QFile::exists(folder.filePath("exception_a1.txt")));
        QVERIFY(readFile(folder.filePath("exception_P1.txt")).startsWith("File Validation Report for "));
        QVERIFY(!QFile::exists(folder.filePath("exception_readme.txt")));
        QVERIFY(!QFile::exists(folder.filePath("exception_exception_P1.txt")));
    }

    // An exception report replaces only a regular file of its own name. A
    // link there, or the validated file reached under the report's name, is
    // refused with a message naming it, and nothing is written or deleted:
    // the validated file and whatever a link leads to keep their bytes.
    void reportsReplaceOnlyAFileOfTheirOwn_data() {
        QTest::addColumn<QString>("atTheReportsName");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("refusal");
        const QString link = QStringLiteral(" is a link, not a report of its own; nothing was written");
        const QString itself = QStringLiteral(" is the validated file itself; nothing was written");
        QTest::newRow("an older report") << "older report" << false << QString();
        QTest::newRow("a link to the validated file") << "link to the validated file" << false << link;
        QTest::newRow("a link to another file") << "link to another file" << false << link;
        QTest::newRow("a link to nothing") << "link to nothing" << false << link;
        QTest::newRow("the validated file, reached by a link") << "the validated file behind a link" << false << itself;
        QTest::newRow("a second name of the validated file") << "hard link" << false << itself;
        QTest::newRow("valid: an older report goes") << "older report" << true << QString();
        QTest::newRow("valid: a link to the validated file stays") << "link to the validated file" << true << QString();
        QTest::newRow("valid: the validated file, reached by a link, stays")
            << "the validated file behind a link" << true << QString();
        QTest::newRow("valid: a second name of the validated file stays") << "hard link" << true << QString();
    }

    void reportsReplaceOnlyAFileOfTheirOwn() {
        QFETCH(QString, atTheReportsName);
        QFETCH(bool, valid);
        QFETCH(QString, refusal);
        QTemporaryDir folder;
        const QString validated = folder.filePath("P1.txt"), reportPath = folder.filePath("exception_P1.txt"),
                      other = folder.filePath("other.txt");
        const QByteArray content = valid ? kGood26 : kWarn26;
        writeFile(other, "other\r\n");
        if (atTheReportsName == QLatin1String("the validated file behind a link")) {
            writeFile(reportPath, content);
            QVERIFY(QFile::link(reportPath, validated));
        } else {
            writeFile(validated, content);
            if (atTheReportsName == QLatin1String("older report"))
                writeFile(reportPath, "old report\r\n");
            else if (atTheReportsName == QLatin1String("link to the validated file"))
                QVERIFY(QFile::link(validated, reportPath));
            else if (atTheReportsName == QLatin1String("link to another file"))
                QVERIFY(QFile::link(other, reportPath));
            else if (atTheReportsName == QLatin1String("link to nothing"))
                QVERIFY(QFile::link(folder.filePath("none.txt"), reportPath));
            else if (atTheReportsName == QLatin1String("hard link"))
                QCOMPARE(::link(QFile::encodeName(validated).constData(), QFile::encodeName(reportPath).constData()),
                         0);
        }
        const bool wasLink = QFileInfo(reportPath).isSymLink();

        chooseForm(Vezedad::zfotForm26);
        UiScript ui;
        ui.expectFile(validated);
        Verdict v;
        if (refusal.isEmpty())
            ui.expectModal(readVerdict(v));
        else
            ui.expectBox();
        click("cmdValidate");

        QCOMPARE(readFile(validated), content);
        QCOMPARE(readFile(other), QByteArray("other\r\n"));
        QCOMPARE(QFileInfo(reportPath).isSymLink(), wasLink);
        QVERIFY(!QFile::exists(folder.filePath("none.txt")));
        if (!refusal.isEmpty()) {
            QCOMPARE(ui.boxes().size(), 1);
            QVERIFY2(ui.boxes().at(0).prompt.contains(reportPath + refusal), qPrintable(ui.boxes().at(0).prompt));
        } else if (!valid) {
            QCOMPARE(v.report, QStringLiteral("exception_P1.txt"));
            QVERIFY(readFile(reportPath).startsWith("File Validation Report for " + validated.toLatin1()));
        } else {
            QCOMPARE(v.report, QString());
            QCOMPARE(QFileInfo::exists(reportPath) || QFileInfo(reportPath).isSymLink(),
                     atTheReportsName != QLatin1String("older report"));
        }
    }

    // A path or name the code page cannot hold never stops a report: its
    // characters show as "?" where the report names the file, and the rest is
    // written as always.
    void namesOutsideTheCodePage_data() {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<qint32>("formType");
        QTest::addColumn<QString>("shownFolder");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("a report root of Polish letters")
            << QStringLiteral("łukasz") << QStringLiteral("P1.txt") << qint32(Vezedad::zfotForm26)
            << QStringLiteral("?ukasz") << QStringLiteral("P1.txt");
        QTest::newRow("a file name of Polish letters")
            << QStringLiteral("reports") << QStringLiteral("P_żółw.txt") << qint32(Vezedad::zfotForm26)
            << QStringLiteral("reports") << QStringLiteral("P_?ó?w.txt");
        QTest::newRow("a Greek name checked as another form")
            << QStringLiteral("reports") << QStringLiteral("P_αβγ.txt") << qint32(Vezedad::zfotForm25)
            << QStringLiteral("reports") << QStringLiteral("P_???.txt");
    }

    void namesOutsideTheCodePage() {
        QFETCH(QString, folderName);
        QFETCH(QString, fileName);
        QFETCH(qint32, formType);
        QFETCH(QString, shownFolder);
        QFETCH(QString, shownName);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(folderName));
        const QString path = root.filePath(folderName + u'/' + fileName);
        writeFile(path, kWarn26);
        UiScript ui;
        const Verdict v = validateFile(ui, path, formType, false).verdict;
        QCOMPARE(v.report, "exception_" + QFileInfo(fileName).completeBaseName() + ".txt");
        const QString written = Vezedad::Cp1252::decode(readFile(QFileInfo(path).dir().filePath(v.report)));
        const QString shownPath = root.path() + u'/' + shownFolder + u'/' + shownName;
        QVERIFY2(written.startsWith("File Validation Report for " + shownPath + "\r\nDate: "), qPrintable(written));
        QVERIFY(written.contains(QStringLiteral("\r\nLine 1: 0|P1234567|")));
        if (formType == Vezedad::zfotForm25)
            QVERIFY(written.contains("File name '" + shownName + "' should begin with 'M' for Form 25."));
    }

    // A folder run goes on past a file whose name the code page cannot hold.
    void folderRunGoesOnPastSuchNames() {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("łukasz"));
        QVERIFY(QDir().mkpath(folder));
        writeFile(folder + QStringLiteral("/A_ż.txt"), "0|C1234567|x|y|z|\r\n");
        writeFile(folder + QStringLiteral("/P1.txt"), kWarn26);
        UiScript ui;
        validateFolder(ui, folder);
        QCOMPARE(ui.boxes().size(), 2);
        QVERIFY2(ui.boxes().at(1).prompt.startsWith("2 files in folder " + folder),
                 qPrintable(ui.boxes().at(1).prompt));
        QVERIFY(QFile::exists(folder + QStringLiteral("/exception_A_ż.txt")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/exception_P1.txt")));
    }

    void folderRunGoesOnPastAnEntryItCannotRead_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("named");
        QTest::newRow("link to nothing") << "link"
                                         << "Mdangle.txt: a link to a file that is not there";
        QTest::newRow("loop of links") << "loop"
                                       << "Mloop.txt: it cannot be reached (Too many levels of symbolic links)";
        QTest::newRow("pipe") << "pipe"
                              << "Mpipe.txt: not a regular file (a pipe, socket or device)";
        QTest::newRow("name not UTF-8")
            << "bytes"
            << "M\\xFF\\\\x.txt: its name is not UTF-8 text, so it cannot be opened; rename it";
        QTest::newRow("gone on its turn") << "gone"
                                          << "M1.txt: File '<folder>/M1.txt' not found.";
    }

    // A report file of a folder that cannot be read counts as failed and is
    // named with its reason; the files after it are checked as ever and
    // their older exception reports replaced. Leftovers of a save, backups
    // and folders are not report files and are passed over without a word.
    void folderRunGoesOnPastAnEntryItCannotRead() {
        QFETCH(QString, kind);
        QFETCH(QString, named);
        QTemporaryDir folder;
        const QByteArray odd = QFile::encodeName(folder.path());
        writeFile(folder.filePath("A1.txt"), "0|C1234567|x|y|z|\r\n");
        writeFile(folder.filePath("P1.txt"), kWarn26);
        writeFile(folder.filePath("exception_P1.txt"), "old\r\n");
        writeFile(folder.filePath("P1.txt~"), kWarn26);
        writeFile(folder.filePath("P1.txt.a1B2c3"), kWarn26);
        QVERIFY(QDir(folder.path()).mkdir("Mdir.txt"));
        QMetaObject::Connection removal;
        // The temporary folder cannot see a name that is not UTF-8 to remove it.
        QByteArray unnamed;
        const auto removeUnnamed = qScopeGuard([&unnamed] {
            if (!unnamed.isEmpty()) ::unlink(unnamed.constData());
        });
        if (kind == "link") {
            QVERIFY(QFile::link(folder.filePath("nowhere.txt"), folder.filePath("Mdangle.txt")));
        } else if (kind == "loop") {
            QVERIFY(::symlink("Mloop.txt", (odd + "/Mloop.txt").constData()) == 0);
        } else if (kind == "pipe") {
            TestSupport::makeFifo(folder.filePath("Mpipe.txt"));
        } else if (kind == "bytes") {
            // A name no text names: a byte that is not UTF-8, and a backslash.
            unnamed = odd + "/M\xff\\x.txt";
            QFile file;
            const int fd = ::open(unnamed.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            QVERIFY(fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
            QCOMPARE(file.write(kGood25), kGood25.size());
        } else {
            // Removed by another program while the file before it is checked.
            writeFile(folder.filePath("M1.txt"), kGood25);
            removal = QObject::connect(&Vezedad::Globals::Validator(), &Vezedad::Validator::RecordValidated,
                                       [&folder](qint32& record, qint32&, qint32&, bool&) {
                                           if (record == 1) QFile::remove(folder.filePath("M1.txt"));
                                       });
        }
        UiScript ui;
        validateFolder(ui, folder.path());
        QObject::disconnect(removal);
        QCOMPARE(ui.boxes().size(), 2);
        QCOMPARE(ui.boxes().at(1).prompt,
                 "3 files in folder " + folder.path() +
                     " have been validated.\r\n0 passed validation.\r\n1 have warnings but are otherwise "
                     "valid.\r\n2 failed validation.\r\nException reports (if any) are in the folder with the "
                     "files.\r\n\r\n1 file could not be read and is counted as failed:\r\n" +
                     QString(named).replace("<folder>", folder.path()));
        QVERIFY(QFile::exists(folder.filePath("exception_A1.txt")));
        QVERIFY(readFile(folder.filePath("exception_P1.txt")).startsWith("File Validation Report for "));
        const QStringList reports = QDir(folder.path()).entryList({"exception_*"}, QDir::AllEntries);
        QCOMPARE(reports, (QStringList{"exception_A1.txt", "exception_P1.txt"}));
    }

    // The date line takes a form the code page holds, whatever the system's
    // locale: the locale's own short date and time where it fits, else
    // yyyy-MM-dd HH:mm. Each locale is the system's in a fresh run of this
    // program, which writes a report and tells its date line.
    void dateLineInEveryLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("ownForm");
        QTest::newRow("US English") << QStringLiteral("en_US") << true;
        QTest::newRow("German") << QStringLiteral("de_DE") << true;
        QTest::newRow("Greek") << QStringLiteral("el_GR") << false;
        QTest::newRow("Korean") << QStringLiteral("ko_KR") << false;
        QTest::newRow("Arabic") << QStringLiteral("ar_EG") << false;
    }

    void dateLineInEveryLocale() {
        QFETCH(QString, locale);
        QFETCH(bool, ownForm);
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TST_CONTROLLER_REPORT_IN_LOCALE"), QStringLiteral("1"));
        for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) env.insert(QLatin1String(name), locale + ".UTF-8");
        run.setProcessEnvironment(env);
        const QDateTime before = QDateTime::currentDateTime();
        run.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(run.waitForFinished(60000));
        const QDateTime after = QDateTime::currentDateTime();
        const QList<QByteArray> told = run.readAllStandardOutput().split('\n');
        QVERIFY2(run.exitCode() == 0 && told.size() >= 2, told.join('\n').constData());
        QCOMPARE(QString::fromLatin1(told.at(0)), locale);
        const QString dateLine = Vezedad::Cp1252::decode(told.at(1));
        QStringList expected;
        for (const QDateTime& when : {before, after})
            expected << (ownForm ? QStringLiteral("Date: ") + QLocale(locale).toString(when, QLocale::ShortFormat)
                                 : QStringLiteral("Date: ") + when.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        QVERIFY2(expected.contains(dateLine), qPrintable(dateLine + " / " + expected.join(" / ")));
    }

    // A folder may hold more report files than 16 bits count.
    void folderCountsPassSixteenBits() {
        QTemporaryDir folder;
        constexpr int kFiles = 32770;
        for (int i = 0; i < kFiles; ++i) {
            QFile empty(folder.filePath(QStringLiteral("P%1.txt").arg(i, 5, 10, QLatin1Char('0'))));
            QVERIFY(empty.open(QIODevice::WriteOnly));
        }
        UiScript ui;
        validateFolder(ui, folder.path());
        QCOMPARE(ui.boxes().at(1).prompt.section(QStringLiteral("\r\n"), 0, 1),
                 QStringLiteral("32770 files in folder %1 have been validated.\r\n32770 passed validation.")
                     .arg(folder.path()));
    }

    // Answering No and cancelling the picker validates nothing, and says so.
    void folderRunWithoutAFolder() {
        UiScript ui;
        ui.expectBox(Vezedad::Ui::vbNo);
        ui.expectDialogCancel();
        ui.expectModal(progressRuns());
        ui.expectBox();
        click("cmdValidateFolder");
        QCOMPARE(ui.boxes().at(1).prompt,
                 QStringLiteral("0 files in folder  have been validated.\r\n0 passed validation.\r\n0 have warnings "
                                "but are otherwise valid.\r\n0 failed validation.\r\nException reports (if any) are "
                                "in the folder with the files."));
    }

    // Stop during the third of five small files ends the run after it.
    void stopInAFolder() {
        QTemporaryDir folder;
        for (int i = 1; i <= 5; ++i) writeFile(folder.filePath(QStringLiteral("M%1.txt").arg(i)), kGood25 + kBad25);
        int files = 0;
        StopAt stop([&files](qint32 record) { return record == 1 && ++files == 3; });
        UiScript ui;
        validateFolder(ui, folder.path());
        QVERIFY2(ui.boxes().at(1).prompt.startsWith("3 files in folder " + folder.path()),
                 qPrintable(ui.boxes().at(1).prompt));
        QVERIFY(QFile::exists(folder.filePath("exception_M3.txt")));
        QVERIFY(!QFile::exists(folder.filePath("exception_M4.txt")));
    }

    // The hourglass comes only once the user has answered the question and
    // the picker, and goes on every path.
    void hourglassOnlyWhileWorking() {
        QTemporaryDir folder;
        QList<Qt::CursorShape> shapes;
        Vezedad::Ui::setMessageBoxHandler([&shapes](const Vezedad::Ui::MessageBoxCall& call) {
            shapes << window().cursor().shape();
            return call.title == QStringLiteral("ZOV Report Upload Utility") ? qint32(Vezedad::Ui::vbYes)
                                                                             : qint32(Vezedad::Ui::vbOK);
        });
        Vezedad::Ui::setModalHandler([&shapes](QDialog& d) {
            shapes << window().cursor().shape();
            d.show();
            if (!QTest::qWaitFor([&d] { return !d.isVisible(); })) d.reject();
            return int(QDialog::Accepted);
        });
        click("cmdValidateFolder");
        UiScript::installRefusingHandlers();
        QCOMPARE(shapes, (QList<Qt::CursorShape>{Qt::ArrowCursor, Qt::WaitCursor, Qt::WaitCursor}));
        QCOMPARE(window().cursor().shape(), Qt::ArrowCursor);
    }
};

// Run by dateLineInEveryLocale with the system's locale set from the
// environment: writes an exception report and tells the locale's name and the
// report's date line.
int reportInTheSystemLocale(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString validated = folder.filePath(QStringLiteral("P1.txt"));
    const QString reportPath = folder.filePath(QStringLiteral("exception_P1.txt"));
    using namespace Vezedad;
    FileValidationResultPtr result = modGlobals::New_FileValidationResult();
    RecordValidationResultPtr record = modGlobals::New_RecordValidationResult(1, QStringLiteral("0|P1234567|"));
    record->Add(modGlobals::New_ValidationResult(zrfCertificationId, 1, QStringLiteral("P1234567"), valcInvalidValue,
                                                 kvesWarning));
    result->Add(record);
    try {
        ZozedizIZ::ExceptionReport::Write(reportPath, validated, *result);
    } catch (const ErrorInfo& e) {
        std::printf("%s\n%s\n", qPrintable(QLocale::system().name()), qPrintable(e.Description()));
        return 1;
    }
    const QByteArray dateLine = readFile(reportPath).split('\n').value(1).chopped(1);
    std::printf("%s\n", qPrintable(QLocale::system().name()));
    std::fwrite(dateLine.constData(), 1, size_t(dateLine.size()), stdout);
    std::printf("\n");
    return 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("TST_CONTROLLER_REPORT_IN_LOCALE")) return reportInTheSystemLocale(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_controller test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_controller.moc"
