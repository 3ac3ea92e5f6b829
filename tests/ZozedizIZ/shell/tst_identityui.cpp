#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "IdentityFields.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/IdentityUI.h"
#include "ZozedizIZ/shell/Utilities.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>

using TestSupport::raisedBy;
using TestSupport::UiScript;
using ZozedizIZ::IdentityUI;

namespace {

Vezedad::Identity& identity() { return *Vezedad::Globals::ZelReport().Identity(); }

using Fields = TestSupport::IdentityFields;
using TestSupport::setIdentity;

QString identityFile() { return QDir(Vezedad::Globals::ZelReport().ReportPath()).filePath("identity.txt"); }

QLineEdit* box(const QWidget& parent, const char* name) {
    auto* found = parent.findChild<QLineEdit*>(QLatin1String(name));
    if (!found) qWarning("no box %s", name);
    return found;
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
}

// Puts the focus in a box as a click would, and lets the check of the box
// it left run.
void focusBox(QLineEdit* box) {
    // A window manager activates a window it shows; here the test does.
    if (!box->window()->isActiveWindow()) {
        box->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(box->window()));
    }
    box->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(box->hasFocus());
    settle();
}

// The control in a window of its own, shown and active, so that the focus
// and the leave-checks work as for a user.
struct Host {
    QWidget window;
    IdentityUI* ui = new IdentityUI(&window);
    QPushButton* other = new QPushButton(QStringLiteral("Other"), &window);

    Host() {
        window.setObjectName(QStringLiteral("frmHost"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(ui);
        layout->addWidget(other);
    }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

const QString kCrLf = QStringLiteral("\r\n");
const QString kAnyId = QStringLiteral(
    "Enter at least one of {Business Registration Number, Certification ID, or Commercial Permit Number}");

} // namespace

class tst_identityui : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Vezedad::Globals::ZelReport().ChangeReportYear(2024); }
    void init() { setIdentity({}); }
    void cleanupTestCase() { ZozedizIZ::Globals::Release(); }

    void completenessRules_data() {
        QTest::addColumn<qint32>("action");
        QTest::addColumn<qint32>("formType");
        QTest::addColumn<QStringList>("fields"); // busReg, certId, permit, applName, contact, phone, email
        QTest::addColumn<QString>("missing");
        const QStringList empty(7);
        const QStringList contact{{}, {}, {}, {}, "Jo", "555", "jo@example.com"};
        using namespace ZozedizIZ;
        QTest::newRow("open, no form") << qint32(uaOpenForm) << 0 << empty << "Select a form to open" + kCrLf;
        QTest::newRow("open, application forms")
            << qint32(uaOpenForm) << 3 << QStringList{"12345", "C1234567", "R12345", "Al", "Jo", "5", "e"}
            << "Select a form to open" + kCrLf;
        QTest::newRow("open, all forms") << qint32(uaOpenForm) << 15 << empty << "Select a form to open" + kCrLf;
        QTest::newRow("open, identity type") << qint32(uaOpenForm) << 16 << empty << "Select a form to open" + kCrLf;
        QTest::newRow("Form 26, short id, no name")
            << qint32(uaOpenForm) << 1 << QStringList{{}, "C123456", {}, {}, {}, {}, {}}
            << "Certification ID" + kCrLf + "Applicator Name" + kCrLf;
        QTest::newRow("Form 26, id and name, no contact")
            << qint32(uaOpenForm) << 1 << QStringList{{}, "C1234567", {}, "Al", {}, {}, {}} << QString();
        QTest::newRow("Form 26, id without name")
            << qint32(uaOpenForm) << 1 << QStringList{"12345", "C1234567", "R12345", {}, "Jo", "5", "e"}
            << "Applicator Name" + kCrLf;
        QTest::newRow("Form 26A, registration number alone")
            << qint32(uaOpenForm) << 2 << QStringList{"12345", {}, {}, {}, {}, {}, {}} << QString();
        QTest::newRow("Form 26A, permit alone")
            << qint32(uaOpenForm) << 2 << QStringList{{}, {}, "R12345", {}, {}, {}, {}} << QString();
        QTest::newRow("Form 26A, every id one short")
            << qint32(uaOpenForm) << 2 << QStringList{"1234", "C123456", "R1234", "Al", "Jo", "5", "e"}
            << kAnyId + kCrLf;
        QTest::newRow("Form 25, short permit, all else there")
            << qint32(uaOpenForm) << 8 << QStringList{"12345", "C1234567", "R1234", "Al", "Jo", "5", "e"}
            << "Commercial Permit Number" + kCrLf;
        QTest::newRow("Form 27, permit") << qint32(uaOpenForm) << 4 << QStringList{{}, {}, "R12345", {}, {}, {}, {}}
                                         << QString();
        QTest::newRow("upload, no ids, no phone")
            << qint32(uaUpload) << 0 << QStringList{{}, {}, {}, {}, "Jo", {}, "jo@example.com"}
            << kAnyId + kCrLf + "Phone Number" + kCrLf;
        QTest::newRow("upload, id without name")
            << qint32(uaUpload) << 8 << QStringList{{}, "C1234567", {}, {}, "Jo", "5", "e"}
            << "Applicator Name" + kCrLf;
        QTest::newRow("exit, short id, nothing else")
            << qint32(uaExit) << 0 << QStringList{{}, "C123456", {}, {}, {}, {}, {}}
            << kAnyId + kCrLf + "Contact Name" + kCrLf + "Phone Number" + kCrLf + "Email Address" + kCrLf;
        QTest::newRow("exit, registration number and contact") << qint32(uaExit) << 0 << [&] {
            QStringList f = contact;
            f[0] = "12345";
            return f;
        }() << QString();
        QTest::newRow("unknown action") << 7 << 1 << empty << QString();
    }

    // The missing lines in their order, each ended by CR LF; the dialog's
    // check agrees for every form type.
    void completenessRules() {
        QFETCH(qint32, action);
        QFETCH(qint32, formType);
        QFETCH(QStringList, fields);
        QFETCH(QString, missing);
        setIdentity({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]});
        ZozedizIZ::Utilities& rules = ZozedizIZ::Globals::Utilities();
        QCOMPARE(&rules, &ZozedizIZ::modGlobals::Utilities());
        QCOMPARE(rules.MissingInfoDisplay(action, formType), missing);
        if (action == ZozedizIZ::uaOpenForm) QCOMPARE(rules.NeedsIdentity(formType), !missing.isEmpty());
    }

    // A form type that no identity can satisfy would keep the dialog open
    // for ever: it is refused before anything is shown.
    void editIdentityRefusesAFormTypeThatIsNoSingleForm_data() {
        QTest::addColumn<qint32>("formType");
        QTest::newRow("none") << 0;
        QTest::newRow("application") << 3;
        QTest::newRow("all") << 15;
        QTest::newRow("identity") << 16;
    }

    void editIdentityRefusesAFormTypeThatIsNoSingleForm() {
        QFETCH(qint32, formType);
        const Vezedad::ErrorInfo e =
            raisedBy([&] { ZozedizIZ::Globals::Utilities().EditIdentity(formType, QStringLiteral("Why")); });
        QCOMPARE(e.Number(), 380);
        QCOMPARE(e.Description(), QStringLiteral("Form type (%1) not one of the known values.").arg(formType));
        QCOMPARE(e.Source(), QStringLiteral("ZozedizIZ::Utilities.EditIdentity"));
    }

    void keyFiltersActOnTypedKeysOnly_data() {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("permit: r upper-cased, x dropped") << "txtPermitNumber"
                                                          << "r1x2"
                                                          << "R12";
        QTest::newRow("permit: six at most") << "txtPermitNumber"
                                             << "R12345x67"
                                             << "R12345";
        QTest::newRow("permit: blank, dash and other letters") << "txtPermitNumber"
                                                               << "a -b1"
                                                               << "1";
        QTest::newRow("registration: digits only") << "txtBusRegNum"
                                                   << "1a2 3-4r5"
                                                   << "12345";
        QTest::newRow("certification id takes any key") << "txtCertId"
                                                        << "c12x"
                                                        << "c12x";
    }

    void keyFiltersActOnTypedKeysOnly() {
        QFETCH(QString, boxName);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        IdentityUI ui;
        QLineEdit* target = box(ui, qPrintable(boxName));
        QTest::keyClicks(target, typed);
        QCOMPARE(target->text(), expected);
        // Backspace is a control key and always passes.
        QTest::keyClick(target, Qt::Key_Backspace);
        QCOMPARE(target->text(), expected.chopped(1));
    }

    // A paste is not a typed key: its text stays, and the registration flag
    // looks at the length alone.
    void aPasteIsNotFiltered() {
        IdentityUI ui;
        QSignalSpy statuses(&ui, &IdentityUI::IdStatusChanged);
        QApplication::clipboard()->setText(QStringLiteral("12a45"));
        QTest::keyClick(box(ui, "txtBusRegNum"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box(ui, "txtBusRegNum")->text(), QStringLiteral("12a45"));
        QVERIFY(ui.StatusBusReg());
        QApplication::clipboard()->setText(QStringLiteral("x1"));
        QTest::keyClick(box(ui, "txtPermitNumber"), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box(ui, "txtPermitNumber")->text(), QStringLiteral("x1"));
        QCOMPARE(statuses.count(), 1);
        QCOMPARE(statuses.at(0), (QList<QVariant>{3, true}));
    }

    // Each flag changes, and is announced, exactly when its box reaches or
    // leaves a complete value.
    void statusesFollowTheBoxes() {
        IdentityUI ui;
        QSignalSpy statuses(&ui, &IdentityUI::IdStatusChanged);
        auto typeInto = [&](const char* name, const QString& keys) { QTest::keyClicks(box(ui, name), keys); };
        auto lastStatus = [&] { return statuses.isEmpty() ? QList<QVariant>() : statuses.takeFirst(); };

        typeInto("txtCertId", QStringLiteral("C123456"));
        QCOMPARE(statuses.count(), 0);
        typeInto("txtCertId", QStringLiteral("7"));
        QCOMPARE(lastStatus(), (QList<QVariant>{4, true}));
        QVERIFY(ui.StatusCertId());
        QTest::keyClick(box(ui, "txtCertId"), Qt::Key_Backspace);
        QCOMPARE(lastStatus(), (QList<QVariant>{4, false}));
        // Eight characters that the validator refuses.
        box(ui, "txtCertId")->setText(QStringLiteral("X1234567"));
        QCOMPARE(statuses.count(), 0);
        QVERIFY(!ui.StatusCertId());

        typeInto("txtApplName", QStringLiteral("   "));
        QCOMPARE(statuses.count(), 0);
        typeInto("txtApplName", QStringLiteral("J"));
        QCOMPARE(lastStatus(), (QList<QVariant>{37, true}));

        typeInto("txtPermitNumber", QStringLiteral("R1234"));
        QCOMPARE(statuses.count(), 0);
        typeInto("txtPermitNumber", QStringLiteral("5"));
        QCOMPARE(lastStatus(), (QList<QVariant>{5, true}));
        box(ui, "txtPermitNumber")->clear();
        QCOMPARE(lastStatus(), (QList<QVariant>{5, false}));

        // A host may set a flag itself; an unchanged value says nothing.
        ui.setStatusBusReg(false);
        QCOMPARE(statuses.count(), 0);
        ui.setStatusBusReg(true);
        QCOMPARE(lastStatus(), (QList<QVariant>{3, true}));

        // Whatever its host does, the control keeps its size.
        const QSize size = ui.size();
        ui.resize(size / 2);
        QCOMPARE(ui.size(), size);
    }

    // Loading fills the boxes, and the flags follow; loading empty fields
    // into empty boxes changes nothing. The identity's own changes, one field
    // or all of them, come back into the boxes.
    void boxesFollowTheIdentity() {
        IdentityUI ui;
        QSignalSpy statuses(&ui, &IdentityUI::IdStatusChanged);
        ui.Initialize();
        QCOMPARE(statuses.count(), 0);

        setIdentity({"12345", "C1234567", "R12345", "Al Roe", "Jo", "555", "jo@example.com"});
        QCOMPARE(box(ui, "txtCertId")->text(), QStringLiteral("C1234567"));
        QCOMPARE(box(ui, "txtEmail")->text(), QStringLiteral("jo@example.com"));
        QCOMPARE(box(ui, "txtBusinessName")->text(), QStringLiteral("Business"));
        QCOMPARE(statuses.count(), 4);
        QCOMPARE(statuses.at(0), (QList<QVariant>{37, true}));
        QCOMPARE(statuses.at(1), (QList<QVariant>{3, true}));
        QCOMPARE(statuses.at(2), (QList<QVariant>{4, true}));
        QCOMPARE(statuses.at(3), (QList<QVariant>{5, true}));

        identity().setPhone(QStringLiteral("609-555-0100"));
        QCOMPARE(box(ui, "txtPhone")->text(), QStringLiteral("609-555-0100"));
        identity().setSalesPermitNumber(QString());
        QCOMPARE(box(ui, "txtPermitNumber")->text(), QString());
        QVERIFY(!ui.StatusPermit());

        // A clone is edited on its own; the shared identity is not touched.
        Vezedad::IdentityPtr clone = identity().Clone();
        ui.Initialize(clone);
        identity().setPhone(QStringLiteral("111"));
        QCOMPARE(box(ui, "txtPhone")->text(), QStringLiteral("609-555-0100"));
    }

    // Leaving a box writes it into the identity. A value the identity
    // refuses keeps the focus in the box, with the identity's own message
    // once, and leaves the identity as it was.
    void leavingABoxWritesTheIdentity() {
        Host host;
        host.ui->Initialize();
        QVERIFY(host.show());
        QLineEdit* email = box(*host.ui, "txtEmail");
        focusBox(email);
        QTest::keyClicks(email, QStringLiteral("nope"));
        const QString message = Vezedad::Globals::Validator().ValidateField(17, QStringLiteral("nope"))->Message();
        {
            UiScript ui;
            ui.expectBox();
            QTest::keyClick(email, Qt::Key_Tab);
            settle();
            QTRY_VERIFY(email->hasFocus());
            QTest::qWait(100);
            settle();
            QCOMPARE(ui.boxes().size(), 1);
            QCOMPARE(ui.boxes().at(0).prompt, message);
            QCOMPARE(ui.boxes().at(0).buttons, qint32(Vezedad::Ui::vbOKOnly));
            QCOMPARE(ui.boxes().at(0).title, QString());
        }
        QCOMPARE(identity().Email(), QString());

        // Validate runs the same check on demand and raises 380.
        {
            UiScript ui;
            ui.expectBox();
            QCOMPARE(raisedBy([&] { host.ui->Validate(); }).Number(), 380);
        }

        email->setText(QStringLiteral("jo@example.com"));
        QSignalSpy changes(&identity(), &Vezedad::Identity::PropertyChanged);
        QTest::keyClick(email, Qt::Key_Tab);
        settle();
        QCOMPARE(identity().Email(), QStringLiteral("jo@example.com"));
        QCOMPARE(changes.count(), 1);
        QTRY_VERIFY(host.other->hasFocus());
    }

    // The boxes come in Tab order down the control, each named by its label
    // for a screen reader; the two labelled "Name" are told apart by their
    // frames.
    void tabRunsDownTheControl() {
        Host host;
        QVERIFY(host.show());
        const char* order[] = {"txtBusinessName", "txtBusRegNum", "txtPermitNumber", "txtCertId",
                               "txtApplName",     "txtContact",   "txtPhone",        "txtEmail"};
        const char* heard[] = {"Business Name",
                               "Business/Agency Registration Number",
                               "Commercial Sales Permit Number",
                               "Certification ID",
                               "Primary Applicator Name",
                               "Contact Person Name",
                               "Phone Number",
                               "Email Address"};
        box(*host.ui, order[0])->setFocus();
        for (int i = 0; i < 8; ++i) {
            const char* name = order[i];
            QCOMPARE(TestSupport::accessibleName(box(*host.ui, name)), QLatin1String(heard[i]));
            QTRY_COMPARE(QApplication::focusWidget()->objectName(), QLatin1String(name));
            const QList<QLabel*> labels = host.ui->findChildren<QLabel*>();
            QVERIFY(std::any_of(labels.cbegin(), labels.cend(),
                                [](const QLabel* l) { return l->buddy() == QApplication::focusWidget(); }));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            settle();
        }
        QTRY_VERIFY(host.other->hasFocus());
    }

    // Matching, the control and its frames take the host's colour and follow
    // it; otherwise they keep the system's button face.
    void backColorFollowsTheHost() {
        QWidget host;
        host.setAutoFillBackground(true);
        QPalette red = host.palette();
        red.setColor(QPalette::Window, Qt::red);
        host.setPalette(red);
        auto* ui = new IdentityUI(&host);
        const QColor face = QApplication::palette().color(QPalette::Button);
        QCOMPARE(ui->palette().color(QPalette::Window), face);
        QSignalSpy changed(ui, &IdentityUI::MatchFormBackColorChanged);
        ui->setMatchFormBackColor(true);
        ui->setMatchFormBackColor(true);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(ui->palette().color(QPalette::Window), QColor(Qt::red));
        QPalette blue = host.palette();
        blue.setColor(QPalette::Window, Qt::blue);
        host.setPalette(blue);
        QCOMPARE(ui->palette().color(QPalette::Window), QColor(Qt::blue));
        QCOMPARE(ui->findChild<QGroupBox*>("fraContact")->palette().color(QPalette::Window), QColor(Qt::blue));
        ui->setMatchFormBackColor(false);
        QCOMPARE(ui->palette().color(QPalette::Window), face);
    }

    // The dialog lists what the form needs and will not close until nothing
    // is missing; then the identity is saved.
    void identityDialogClosesOnlyWhenComplete() {
        QFile::remove(identityFile());
        const QString expected = QStringLiteral("Please complete the identity.\r\nCertification ID\r\nApplicator "
                                                "Name\r\n\r\nInclude contact information if missing.");
        UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(dialog.objectName(), QStringLiteral("frmIdentity"));
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Identity Information"));
            auto* message = dialog.findChild<QPlainTextEdit*>("txtMessage");
            QVERIFY(message->isReadOnly());
            QCOMPARE(message->toPlainText(), QString(expected).replace(kCrLf, QStringLiteral("\n")));
            auto* ok = dialog.findChild<QPushButton*>("cmdExit");
            QCOMPARE(ok->text(), QStringLiteral("OK"));
            QCOMPARE(ok->toolTip(), QStringLiteral("Save and Exit"));
            QVERIFY(ok->isDefault());
            // Where the screen has room, the whole editor shows: it scrolls
            // only on a low screen.
            auto* editor = dialog.findChild<QScrollArea*>("scrIdentity");
            QVERIFY(!editor->verticalScrollBar()->isVisible());
            QCOMPARE(editor->viewport()->height(), editor->widget()->height());

            // OK, the close box and Esc all leave it open.
            QTest::mouseClick(ok, Qt::LeftButton);
            dialog.close();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(dialog.isVisible());
            QCOMPARE(message->toPlainText(), QString(expected).replace(kCrLf, QStringLiteral("\n")));

            // Typed into the boxes, the last still being edited: Enter (OK)
            // takes it.
            focusBox(box(dialog, "txtCertId"));
            QTest::keyClicks(box(dialog, "txtCertId"), QStringLiteral("C1234567"));
            QLineEdit* name = box(dialog, "txtApplName");
            focusBox(name);
            QTest::keyClicks(name, QStringLiteral("Al Roe"));
            QTest::keyClick(name, Qt::Key_Return);
            QTRY_VERIFY(!dialog.isVisible());
        });
        ZozedizIZ::Globals::Utilities().EditIdentity(Vezedad::zfotForm26,
                                                     QStringLiteral("Please complete the identity."));
        QCOMPARE(identity().CertificationId(), QStringLiteral("C1234567"));
        QCOMPARE(identity().ApplicatorName(), QStringLiteral("Al Roe"));
        QVERIFY(TestSupport::readFile(identityFile()).contains("|C1234567|"));
    }

    // A form whose needs are met closes at once; Save writes the identity
    // however incomplete it is and keeps the window open; a value the
    // identity refuses is told once, by the box, and nothing is closed.
    void identityDialogSaveAndRefusal() {
        setIdentity({{}, {}, QStringLiteral("R12345"), {}, {}, {}, {}});
        QFile::remove(identityFile());
        UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            QLineEdit* email = box(dialog, "txtEmail");
            focusBox(email);
            QTest::keyClicks(email, QStringLiteral("nope"));
            ui.expectBox(); // the refusal, when Save's click leaves the box
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
            settle();
            QVERIFY(!QFile::exists(identityFile()));
            ui.expectBox(); // the refusal again, when Enter asks to close
            QTest::keyClick(email, Qt::Key_Return);
            settle();
            QVERIFY(dialog.isVisible());
            QCOMPARE(ui.boxes().size(), 2);

            email->clear();
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
            QVERIFY(QFile::exists(identityFile()));
            QVERIFY(dialog.isVisible());
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
        });
        ZozedizIZ::Globals::Utilities().EditIdentity(Vezedad::zfotForm25, QStringLiteral("Form 25"));
        QCOMPARE(ui.boxes().value(0).prompt,
                 Vezedad::Globals::Validator().ValidateField(17, QStringLiteral("nope"))->Message());
    }

    // A save that fails is shown by Save, and the save after the dialog
    // closes raises it to the caller.
    void identityDialogShowsAFailedSave() {
        setIdentity({{}, {}, QStringLiteral("R12345"), {}, {}, {}, {}});
        QFile::remove(identityFile());
        QVERIFY(QDir().mkpath(identityFile())); // a folder where the file must go
        UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            ui.expectBox();
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
            QVERIFY(dialog.isVisible());
            QTest::mouseClick(dialog.findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
        });
        const Vezedad::ErrorInfo e =
            raisedBy([] { ZozedizIZ::Globals::Utilities().EditIdentity(Vezedad::zfotForm27, QString()); });
        QVERIFY(QDir().rmdir(identityFile()));
        QVERIFY(e.Number() != 0);
        QVERIFY2(ui.boxes().at(0).prompt.contains(QStringLiteral("\nIn ZozedizIZ::frmIdentity.cmdSave_Click\n-->")),
                 qPrintable(ui.boxes().at(0).prompt));
    }
};

QTEST_MAIN(tst_identityui)
#include "tst_identityui.moc"
