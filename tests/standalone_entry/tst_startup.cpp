#include "ZozedizIZ/shell/IdentityFields.h"
#include "standalone_entry/forms/FormTest.h"

#include "ApplicationA.h"
#include "Startup.h"
#include "applicators/Applicators.h"
#include "forms/Form25.h"
#include "forms/Forms.h"
#include "modGlobals.h"

#include "Vezedad/foundation/Utilities.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/frmController.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTreeWidget>

using Dazozuvi::ApplicationA;
using namespace FormTest;
namespace modGlobals = Dazozuvi::modGlobals;

namespace {

const TestSupport::IdentityFields kComplete{"12345", "C1234567", "R12345",        "Al Roe",
                                            "Jo",    "555-0100", "jo@example.com"};

// The update check finds no filing service (nothing listens on the default
// host) and says so on standard error.
void expectOfflineNotice() {
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^Dazozuvi: the update check failed; starting anyway\\. "
                                                           "Error -?\\d+: [^\\r\\n]*$")));
}

// The program as main() runs it, in a year folder of its own; it ends with
// the test function.
class Program : public Folder {
public:
    Program() {
        expectOfflineNotice();
        m_started = modGlobals::Main();
    }
    ~Program() { modGlobals::End(); }
    bool started() const { return m_started; }
    ApplicationA& app() const { return *modGlobals::Application(); }
    ZozedizIZ::frmController& controlCenter() const { return *ZozedizIZ::Globals::Controller(1)->Form(); }
    // A form choice and a click on one of the Control Center's buttons.
    void click(qint32 formType, const char* button) {
        child<QRadioButton>(controlCenter(), QStringLiteral("radFormType(%1)").arg(formType))->setChecked(true);
        QTest::mouseClick(child<QPushButton>(controlCenter(), QLatin1String(button)), Qt::LeftButton);
    }

private:
    bool m_started = false;
};

// The applicator selection dialog answered with Cancel ("cancel"), or with
// a click on the applicator of that certification id among all applicators.
UiScript::Action chooseApplicator(const QString& choice) {
    return [choice](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmSelAppl"));
        if (choice == QStringLiteral("cancel")) {
            QTest::mouseClick(child<QPushButton>(d, "cmdCancel"), Qt::LeftButton);
            return;
        }
        auto* all = child<QRadioButton>(d, "optShow1");
        QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(8, all->height() / 2));
        auto* list = child<QTreeWidget>(d, "lstAppl");
        const QList<QTreeWidgetItem*> found = list->findItems(choice, Qt::MatchExactly, 0);
        QVERIFY(!found.isEmpty());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
        // The click chose it.
        QVERIFY(!d.isVisible());
    };
}

QString form26A(const QString& name) { return Vezedad::Globals::ZelReport().ReportPath() + QLatin1Char('/') + name; }

} // namespace

class tst_startup : public QObject {
    Q_OBJECT

private slots:
    // Without the filing service the program starts all the same, with no
    // box; it lives on its hidden window until the Control Center closes.
    void startsOffline() {
        Program program;
        QVERIFY(program.started());
        QVERIFY(program.controlCenter().isVisible());
        Dazozuvi::frmDummy* keepAlive = program.app().KeepAlive();
        QVERIFY(keepAlive);
        QVERIFY(!keepAlive->isVisible());
        QCOMPARE(keepAlive->windowTitle(), QStringLiteral("Just Stayin' Alive"));

        QSignalSpy ended(&program.app(), &ApplicationA::Ended);
        UiScript ui;
        ui.expectBox(Vezedad::Ui::vbOK); // exit with an incomplete identity
        program.controlCenter().close();
        QCOMPARE(ended.count(), 1);
        QVERIFY(!program.app().KeepAlive());
        QVERIFY(!program.app().Controller());
        for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    // Any other failure at start-up shows the error box and ends there.
    void startFailureShowsBox() {
        Folder folder;
        // A controller already made for an option the Control Center refuses.
        ZozedizIZ::Globals::Controller(Vezedad::kvoOptionC, Vezedad::Utilities::MakeVersionFromValues(1, 0, 0, 0));
        UiScript ui;
        ui.expectBox();
        expectOfflineNotice();
        QVERIFY(!modGlobals::Main());
        QVERIFY(!modGlobals::Application());
        const QStringList lines = ui.boxes().value(0).prompt.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("Error 380: Option Type (3) is not a recognized value."));
        QCOMPARE(lines.value(1), QStringLiteral("In Dazozuvi::modGlobals.Main"));
        QVERIFY(lines.value(2).startsWith(QStringLiteral("-->Dazozuvi::ApplicationA.Class_Initialize\r")));
        for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        modGlobals::End();
    }

    // Each open makes a new form of its type; other types open nothing.
    void formChoiceTable() {
        Folder folder;
        const std::unique_ptr<Dazozuvi::ReportForm> a = Dazozuvi::NewReportForm(Vezedad::zfotForm25);
        const std::unique_ptr<Dazozuvi::ReportForm> b = Dazozuvi::NewReportForm(Vezedad::zfotForm25);
        QVERIFY(dynamic_cast<Dazozuvi::Form25*>(a.get()));
        QVERIFY(b && a != b);
        for (qint32 other : {0, 3, 15, 16}) QVERIFY(!Dazozuvi::NewReportForm(other));
        const QList<std::pair<qint32, QString>> names{{Vezedad::zfotForm26, QStringLiteral("Form26")},
                                                      {Vezedad::zfotForm26A, QStringLiteral("Form26A")},
                                                      {Vezedad::zfotForm27, QStringLiteral("Form27")},
                                                      {Vezedad::zfotForm25, QStringLiteral("Form25")}};
        for (const auto& [type, name] : names) {
            const std::unique_ptr<Dazozuvi::ReportForm> form = Dazozuvi::NewReportForm(type);
            QVERIFY(form);
            QCOMPARE(form->objectName(), name);
            QCOMPARE(form->Params().formType, type);
        }
        // The form's grid controller comes from the factory, which leaves its
        // flag clear; made any other way it fails.
        a->Load();
        QVERIFY(a->GridController());
        QVERIFY(!modGlobals::InFactory());
        const Vezedad::ErrorInfo direct = TestSupport::raisedBy([] { Dazozuvi::CZelFarpoint controller; });
        QCOMPARE(direct.Number(), qint32(Vezedad::errFactoryMethodNotUsed));
        QCOMPARE(direct.Source(), QStringLiteral("Dazozuvi::CZelFarpoint"));
    }

    // A blank Form 25 from the Control Center: the filer's permit, read-only.
    void opensNewForm25() {
        Program program;
        TestSupport::setIdentity(kComplete);
        UiScript ui;
        ui.expectModal([&](QDialog& d) {
            QCOMPARE(d.objectName(), QStringLiteral("Form25"));
            QCOMPARE(text(d, "txtPermitNumber"), kComplete.permit);
            QVERIFY(!child<QLineEdit>(d, "txtPermitNumber")->isEnabled());
            QCOMPARE(text(d, "lblFileName"), QStringLiteral("{not saved}"));
            ui.expectModal(exitChoice(3));
            trigger(d, QStringLiteral("mnuExit"));
        });
        program.click(Vezedad::zfotForm25, "cmdNew");
        QCOMPARE(ui.modalNames(), (QStringList{"Form25", "frmExitOptions"}));
    }

    // Open existing: the picker's file opens after its verdict; a cancelled
    // picker opens nothing and says nothing.
    void opensExisting() {
        Program program;
        TestSupport::setIdentity(kComplete);
        const QString path = program.write(QStringLiteral("MR1234500.txt"), "3|R12345|||||||X|\r\n");
        UiScript ui;
        ui.expectDialogCancel();
        program.click(Vezedad::zfotForm25, "cmdOpen");
        QVERIFY(ui.modalNames().isEmpty());
        QVERIFY(ui.boxes().isEmpty());

        ui.expectFile(path);
        ui.expectBox();
        ui.expectModal([&](QDialog& d) {
            QCOMPARE(text(d, "lblFileName"), QStringLiteral("File: MR1234500.txt"));
            trigger(d, QStringLiteral("mnuExit"));
        });
        program.click(Vezedad::zfotForm25, "cmdOpen");
        QCOMPARE(ui.dialogs().value(1).title, QStringLiteral("Select File to Open"));
        QCOMPARE(ui.boxes().value(0).prompt, QStringLiteral("There were no errors."));

        // After a validation, the controller's own open of a file.
        ui.expectBox();
        ui.expectModal([&](QDialog& d) { trigger(d, QStringLiteral("mnuExit")); });
        qint32 formType = Vezedad::zfotForm25;
        QString file = path;
        emit ZozedizIZ::Globals::Controller(1)->OpenReportFile(formType, file);
        QCOMPARE(ui.modalNames().size(), 2);
    }

    // The About window shows the program's version from the build.
    void showsAbout() {
        Program program;
        UiScript ui;
        ui.expectModal([](QDialog& d) {
            QCOMPARE(d.objectName(), QStringLiteral("frmAbout"));
            QCOMPARE(text(d, "lblVersion"), QStringLiteral("Version " DAZOZUVI_TEST_VERSION));
            QCOMPARE(text(d, "lblTitle"), QStringLiteral("Dazozuvi"));
            // Whom to contact: the help desk the no-connection notice names.
            const QRegularExpressionMatch desk =
                QRegularExpression(QStringLiteral("help desk at ([0-9-]+)"))
                    .match(ZozedizIZ::Globals::GetMessage(ZozedizIZ::kvmNoNetConnection));
            QVERIFY(desk.hasMatch());
            QCOMPARE(text(d, "lblContact"), QStringLiteral("Contact the help desk at ") + desk.captured(1));
            d.accept();
        });
        trigger(program.controlCenter(), QStringLiteral("mnuAbout"));
        QCOMPARE(Dazozuvi::programInfo().versionText(), QStringLiteral(DAZOZUVI_TEST_VERSION));
    }

    // The questions before a new Form 26A, by the number of lists already in
    // the year folder.
    void confirmNewForm26A_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<QList<int>>("answers"); // the boxes' answers; a picker follows -1 (cancelled) or 1 (first)
        QTest::addColumn<QString>("result");     // "<null>", "" or a file name
        QTest::newRow("none, yes") << 0 << QList<int>{Vezedad::Ui::vbYes} << QString("");
        QTest::newRow("none, no") << 0 << QList<int>{Vezedad::Ui::vbNo} << QStringLiteral("<null>");
        QTest::newRow("one, yes") << 1 << QList<int>{Vezedad::Ui::vbYes} << QStringLiteral("A00.txt");
        QTest::newRow("one, no") << 1 << QList<int>{Vezedad::Ui::vbNo} << QString("");
        QTest::newRow("one, cancel") << 1 << QList<int>{Vezedad::Ui::vbCancel} << QStringLiteral("<null>");
        QTest::newRow("three, yes, picked") << 3 << QList<int>{Vezedad::Ui::vbYes, 1} << QStringLiteral("A01.txt");
        QTest::newRow("three, yes, picker cancelled") << 3 << QList<int>{Vezedad::Ui::vbYes, -1} << QString("");
    }
    void confirmNewForm26A() {
        QFETCH(int, files);
        QFETCH(QList<int>, answers);
        QFETCH(QString, result);
        Program program;
        for (int i = 0; i < files; ++i)
            program.write(QStringLiteral("A%1.txt").arg(i, 2, 10, QLatin1Char('0')), "0|C1234567|12345|Al|Roe|\r\n");
        // What a save cut short leaves beside a list, and an editor's backup, are no lists.
        program.write(QStringLiteral("A00.txt.k3J9xQ"), "0|C2222");
        program.write(QStringLiteral("A00.txt~"), "0|C1234567|12345|Al|Roe|\r\n");
        UiScript ui;
        ui.expectBox(answers.value(0));
        if (answers.value(1) == 1) ui.expectFile(form26A(QStringLiteral("A01.txt")));
        if (answers.value(1) == -1) ui.expectDialogCancel();
        const std::optional<QString> answer = program.app().ConfirmNewForm26A();
        QCOMPARE(answer ? (answer->isEmpty() ? QString("") : QFileInfo(*answer).fileName()) : QStringLiteral("<null>"),
                 result);
        const Vezedad::Ui::MessageBoxCall box = ui.boxes().value(0);
        if (files == 0) {
            QCOMPARE(box.title, QStringLiteral("Multiple Applicators?"));
            QCOMPARE(box.prompt, QStringLiteral("Are you reporting for more than one certified applicator or "
                                                "technician?\r\nIf not, you do not need to submit a Form 26A."));
            QCOMPARE(box.buttons & 7, qint32(Vezedad::Ui::vbYesNo));
        } else {
            QCOMPARE(box.title, QStringLiteral("Open an existing file?"));
            QCOMPARE(box.buttons & 7, qint32(Vezedad::Ui::vbYesNoCancel));
            QCOMPARE(box.prompt, files == 1 ? QStringLiteral("The report folder already contains 1 Form 26A file.\r\n"
                                                             "Open it instead?")
                                            : QStringLiteral("The report folder already contains 3 Form 26A files."
                                                             "\r\nOpen one of those instead?"));
        }
    }

    // The applicator a per-applicator Form 26 opens for.
    void perApplicatorIdentity_data() {
        QTest::addColumn<bool>("registry");  // a Form 26A file with two applicators besides the filer
        QTest::addColumn<QString>("choice"); // the dialog: "cancel" or the certification id clicked
        QTest::addColumn<QString>("certId"); // the clone's; "<null>" for none
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("appsDone");
        QTest::newRow("fewer than two applicators: no dialog")
            << false << QString() << kComplete.certId << kComplete.applName << true;
        QTest::newRow("dialog cancelled")
            << true << QStringLiteral("cancel") << QStringLiteral("<null>") << QString() << true;
        QTest::newRow("applicator without applications")
            << true << QStringLiteral("B2345678") << QStringLiteral("B2345678") << QStringLiteral("Bo Ray") << false;
    }
    void perApplicatorIdentity() {
        QFETCH(bool, registry);
        QFETCH(QString, choice);
        QFETCH(QString, certId);
        QFETCH(QString, name);
        QFETCH(bool, appsDone);
        Program program;
        TestSupport::setIdentity(kComplete);
        if (registry) {
            program.write(QStringLiteral("A00.txt"), "0|T3456789|12345|Ann|Lee|\r\n3|B2345678|23456|Bo|Ray|\r\n");
            modGlobals::RefreshApplicators();
        }
        UiScript ui;
        if (!choice.isEmpty()) ui.expectModal(chooseApplicator(choice));
        bool done = true;
        const Vezedad::IdentityPtr identity = program.app().PerApplicatorIdentity(done);
        QCOMPARE(identity ? identity->CertificationId() : QStringLiteral("<null>"), certId);
        if (!identity) return;
        QVERIFY(identity != Vezedad::Globals::ZelReport().Identity());
        QCOMPARE(identity->ApplicatorName(), name);
        QCOMPARE(done, appsDone);
        if (registry) QCOMPARE(identity->BusRegNumber(), QStringLiteral("23456"));
        // The filer's own identity is untouched.
        QCOMPARE(Vezedad::Globals::ZelReport().Identity()->CertificationId(), kComplete.certId);
    }

    // The per-applicator road from the Control Center, over the entries a
    // Form 26A list may hold: with the box ticked, the applicator clicked in
    // the dialog gets a new Form 26 headed with that name (joined without a
    // blank at either end) and those ids (the certification id as the grids
    // write it), its no-applications box set from the list; its records and
    // its proposed file name carry the same id. Someone without a
    // certification id is not offered, so that nothing they enter goes into
    // the filer's report. An id that the identity refuses opens nothing and
    // says why.
    void perApplicatorRoad_data() {
        QTest::addColumn<QByteArray>("entry");   // a line of the list between Ann's and Bo's
        QTest::addColumn<QString>("choice");     // the certification id clicked; empty: not offered
        QTest::addColumn<QStringList>("header"); // the three boxes; empty when nothing opens
        QTest::addColumn<bool>("noApps");
        QTest::addColumn<QString>("fileName"); // the proposed name of the report
        const QByteArray cy = "0|X99|34567|Cy|Zed|";
        QTest::newRow("made applications")
            << cy << QStringLiteral("T3456789") << QStringList{"T3456789", "Ann Lee", "12345"} << false
            << QStringLiteral("PT345678900.txt");
        QTest::newRow("made none") << cy << QStringLiteral("B2345678") << QStringList{"B2345678", "Bo Ray", "23456"}
                                   << true << QStringLiteral("PB234567800.txt");
        QTest::newRow("id the identity refuses") << cy << QStringLiteral("X99") << QStringList{} << false << QString();
        const QStringList five{"C5555555", "Di Fox", "45678"};
        const QString fiveFile = QStringLiteral("PC555555500.txt");
        QTest::newRow("id in small letters")
            << QByteArray("0|c5555555|45678|Di|Fox|") << QStringLiteral("c5555555") << five << false << fiveFile;
        QTest::newRow("id with a blank and a dash")
            << QByteArray("0|c555 5555-|45678|Di|Fox|") << QStringLiteral("c555 5555-") << five << false << fiveFile;
        QTest::newRow("no first name") << QByteArray("0|C5555555|45678||Lastonly|") << five[0]
                                       << QStringList{five[0], "Lastonly", five[2]} << false << fiveFile;
        QTest::newRow("no last name") << QByteArray("3|C5555555|45678|Firstonly||") << five[0]
                                      << QStringList{five[0], "Firstonly", five[2]} << true << fiveFile;
        QTest::newRow("no name") << QByteArray("0|C5555555|45678|||") << five[0] << QStringList{five[0], "", five[2]}
                                 << false << fiveFile;
        QTest::newRow("names with blanks at their ends")
            << QByteArray("0|C5555555|45678| Di  | Fox |") << five[0] << five << false << fiveFile;
        QTest::newRow("no certification id")
            << QByteArray("0||45678|Nobody|Here|") << QString() << QStringList{} << false << QString();
        QTest::newRow("a blank for the certification id")
            << QByteArray("0| |45678|Nobody|Here|") << QString() << QStringList{} << false << QString();
        QTest::newRow("empty line") << QByteArray() << QString() << QStringList{} << false << QString();
    }
    void perApplicatorRoad() {
        QFETCH(QByteArray, entry);
        QFETCH(QString, choice);
        QFETCH(QStringList, header);
        QFETCH(bool, noApps);
        QFETCH(QString, fileName);
        Program program;
        TestSupport::setIdentity(kComplete);
        program.write(QStringLiteral("A00.txt"),
                      "0|T3456789|12345|Ann|Lee|\r\n" + entry + "\r\n3|B2345678|23456|Bo|Ray|\r\n");
        UiScript ui;
        if (choice.isEmpty()) {
            // Everyone else is there, among all applicators; nothing is
            // chosen.
            ui.expectModal([](QDialog& d) {
                auto* all = child<QRadioButton>(d, "optShow1");
                QTest::mouseClick(all, Qt::LeftButton, {}, QPoint(8, all->height() / 2));
                auto* list = child<QTreeWidget>(d, "lstAppl");
                QStringList ids;
                for (int i = 0; i < list->topLevelItemCount(); ++i) ids << list->topLevelItem(i)->text(0);
                QCOMPARE(ids, (QStringList{"T3456789", "B2345678", kComplete.certId}));
                QTest::mouseClick(child<QPushButton>(d, "cmdCancel"), Qt::LeftButton);
            });
        } else {
            ui.expectModal(chooseApplicator(choice));
        }
        if (!choice.isEmpty() && header.isEmpty()) {
            ui.expectBox();
        } else if (!header.isEmpty()) {
            ui.expectModal([&](QDialog& d) {
                QCOMPARE(d.objectName(), QStringLiteral("Form26"));
                auto& form = dynamic_cast<Dazozuvi::ReportForm&>(d);
                QCOMPARE((QStringList{text(d, "txtCertId"), text(d, "txtName"), text(d, "txtBusRegNum")}), header);
                QCOMPARE(form.IdentityClone()->ApplicatorName(), header[1]);
                QVERIFY(!child<QLineEdit>(d, "txtCertId")->isEnabled());
                QCOMPARE(child<QCheckBox>(d, "chkNoApps")->isChecked(), noApps);
                QCOMPARE(child<QWidget>(d, "fraDataEntry")->isHidden(), noApps);
                QCOMPARE(form.IsDirty(), noApps);
                // Saved under the name proposed for it.
                if (!noApps)
                    setRows(form, {QStringLiteral("100-200|ROUNDUP|2.5|GL|06/15/2023||01|1 MAIN ST|ALBANY|12207")});
                const QString path = program.file(fileName);
                save(ui, form, path, !noApps);
                QCOMPARE(QFileInfo(ui.dialogs().value(0).file.fileName).fileName(), fileName);
                QVERIFY(TestSupport::readFile(path).startsWith(
                    (noApps ? QStringLiteral("3|") : QStringLiteral("0|")).toLatin1() + header[0].toLatin1() + '|' +
                    header[2].toLatin1() + '|'));
                discard(ui, form);
            });
        }
        auto* perApplicator = child<QCheckBox>(program.controlCenter(), "ckMultiple");
        QTest::mouseClick(perApplicator, Qt::LeftButton, {}, QPoint(8, perApplicator->height() / 2));
        QVERIFY(perApplicator->isChecked());
        program.click(Vezedad::zfotForm26, "cmdNew");
        QCOMPARE(ui.modalNames().value(1), header.isEmpty() ? QString() : QStringLiteral("Form26"));
        if (!choice.isEmpty() && header.isEmpty()) {
            const QStringList lines = ui.boxes().value(0).prompt.split(QLatin1Char('\n'));
            QCOMPARE(lines.value(1), QStringLiteral("In Dazozuvi::ApplicationA.mobjController_OpenNew"));
            QVERIFY2(lines.value(2).startsWith(QStringLiteral("-->Dazozuvi::ApplicationA.PerApplicatorIdentity")),
                     qPrintable(lines.value(2)));
        }
        // The filer's own identity is untouched.
        QCOMPARE(Vezedad::Globals::ZelReport().Identity()->CertificationId(), kComplete.certId);
    }
};

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
