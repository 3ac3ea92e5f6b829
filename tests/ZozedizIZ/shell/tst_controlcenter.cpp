#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "IdentityFields.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Dialogs.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/HookSize.h"
#include "ZozedizIZ/shell/Twips.h"
#include "ZozedizIZ/shell/frmController.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTest>
#include <QTextBrowser>
#include <stdexcept>

using TestSupport::raisedBy;
using TestSupport::UiScript;
using ZozedizIZ::frmController;

namespace {

Vezedad::ZelReport& report() { return Vezedad::Globals::ZelReport(); }
Vezedad::Identity& identity() { return *report().Identity(); }
QString identityFile() { return QDir(report().ReportPath()).filePath("identity.txt"); }

// The identity's ids and applicator name, with a complete contact.
void setIdentity(const QString& busReg, const QString& certId, const QString& permit, const QString& applName) {
    TestSupport::setIdentity({busReg, certId, permit, applName, "Jo", "555", "jo@example.com"});
}

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
}

// Stands in for the report controller: notes every event with its
// arguments, and may keep the window open.
struct Recorder : ZozedizIZ::frmControllerEvents {
    QStringList events;
    qint16 cancelClose = 0;
    bool failQueryUnload = false;

    void ChangeReportRoot() override { events << QStringLiteral("ChangeReportRoot"); }
    void ChangeYear() override { events << QStringLiteral("ChangeYear"); }
    void DoValidation(qint32& formType) override { events << QStringLiteral("DoValidation(%1)").arg(formType); }
    void OpenExisting(qint32& eFormType, bool& perApplicator) override {
        events << QStringLiteral("OpenExisting(%1,%2)").arg(eFormType).arg(perApplicator);
    }
    void OpenNew(qint32& eFormType, bool& perApplicator) override {
        events << QStringLiteral("OpenNew(%1,%2)").arg(eFormType).arg(perApplicator);
    }
    void QueryUnload(qint16& Cancel, qint16& UnloadMode) override {
        events << QStringLiteral("QueryUnload(%1)").arg(UnloadMode);
        Cancel = cancelClose;
        if (failQueryUnload) throw std::runtime_error("handler failed");
    }
    void ShowAbout() override { events << QStringLiteral("ShowAbout"); }
    void Upload() override { events << QStringLiteral("Upload"); }
    void Unloading() override { events << QStringLiteral("Unloading"); }
};

// The window as the controller makes it.
struct Center {
    Recorder recorder;
    frmController window;

    explicit Center(qint32 option = Vezedad::kvoOptionA) {
        window.Subscribe(&recorder);
        window.Initialize(nullptr, option);
    }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    template <class T = QWidget> T* child(const char* name) const {
        T* found = window.findChild<T*>(QLatin1String(name));
        if (!found) qWarning("no child %s", name);
        return found;
    }
    QAction* item(const char* name) const { return child<QAction>(name); }
    QRadioButton* choice(qint32 formType) const {
        return child<QRadioButton>(qPrintable(QStringLiteral("radFormType(%1)").arg(formType)));
    }
    // Puts the focus in an identity box, as a click would.
    QLineEdit* focusBox(const char* name) const {
        auto* box = child<QLineEdit>(name);
        box->setFocus(Qt::MouseFocusReason);
        settle();
        return box;
    }
    // Replaces the text of an identity box by typing.
    QLineEdit* typeInto(const char* name, const QString& keys) const {
        QLineEdit* box = focusBox(name);
        box->selectAll();
        QTest::keyClicks(box, keys);
        return box;
    }
    // The shown menu item or button with this name.
    void command(const QString& name) const {
        if (name.startsWith(QStringLiteral("mnu")))
            item(qPrintable(name))->trigger();
        else
            QTest::mouseClick(child<QPushButton>(qPrintable(name)), Qt::LeftButton);
    }
};

QStringList openedDocuments;
qint32 recordOpen(const QString& target, bool) {
    openedDocuments << target;
    return 0;
}

} // namespace

class tst_controlcenter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        report().ChangeReportYear(report().ReportYearMax());
        Vezedad::Documentation::setShellOpener(&recordOpen);
    }
    void init() {
        setIdentity({}, {}, {}, {});
        openedDocuments.clear();
    }
    void cleanupTestCase() { ZozedizIZ::Globals::Release(); }

    void layoutFollowsTheOption_data() {
        QTest::addColumn<qint32>("option");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<qint32>("second");
        QTest::newRow("option A") << 1 << "OSTDEC Pesticide Reporting - Option A Control Center" << 204;
        QTest::newRow("option B") << 2 << "OSTDEC Pesticide Reporting - Option B Control Center" << 202;
    }

    void layoutFollowsTheOption() {
        QFETCH(qint32, option);
        QFETCH(QString, caption);
        QFETCH(qint32, second);
        Vezedad::Globals::Configuration().setShowPrompt(false);
        frmController window;
        window.findChild<QCheckBox*>("ckMultiple")->setChecked(true);
        window.Initialize(nullptr, option);
        const bool a = option == 1;
        auto shown = [&](const char* name) { return !window.findChild<QWidget*>(QLatin1String(name))->isHidden(); };
        auto itemShown = [&](const char* name) { return window.findChild<QAction*>(QLatin1String(name))->isVisible(); };
        QCOMPARE(window.windowTitle(), caption);
        QCOMPARE(shown("cmdValidate"), a);
        QCOMPARE(shown("cmdValidateFolder"), a);
        QCOMPARE(shown("ckMultiple"), a);
        QCOMPARE(shown("cmdMacro"), !a);
        QCOMPARE(shown("cmdNew") && shown("cmdOpen"), true);
        QCOMPARE(window.findChild<QCheckBox*>("ckMultiple")->isChecked(), a);
        QCOMPARE(itemShown("mnuValidate"), a);
        QCOMPARE(itemShown("mnuHelpGuidelines"), a);
        QCOMPARE(itemShown("mnuHelpMacros"), !a);
        QCOMPARE(itemShown("mnuToolsProduct"), true);
        // The prompts item is never shown; its state is loaded all the same.
        QCOMPARE(itemShown("mnuToolsPrompts"), false);
        QCOMPARE(window.findChild<QAction*>("mnuToolsPrompts")->isChecked(), false);
        auto* instructions = window.findChild<QLabel*>("lblInstructions");
        QVERIFY(instructions->isHidden());
        QString expected = ZozedizIZ::Globals::GetMessage(201) + ZozedizIZ::Globals::GetMessage(second);
        QVERIFY(expected.contains(QStringLiteral("address.\\nSelect")));
        QCOMPARE(instructions->text(), expected.replace(QStringLiteral("\\n"), QStringLiteral("\n")));
        QVERIFY(window.findChild<QTextBrowser*>("rtfFormUse")
                    ->toPlainText()
                    .contains(QStringLiteral("include at least one sales report")));
        QCOMPARE(window.findChild<QLabel*>("lblReportPath")->text(), report().ReportPath());
        QCOMPARE(window.findChild<QLabel*>("lblReportYear")->text(),
                 QStringLiteral("Report Year %1").arg(report().ReportYear()));
        // The window cannot be made smaller than its minimum.
        QVERIFY(ZozedizIZ::modHookSize().Hooked());
        QCOMPARE(ZozedizIZ::modHookSize().MinimumPixels(), QSize(ZozedizIZ::HookSize::TwipsToPixelsCeil(6225, true),
                                                                 ZozedizIZ::HookSize::TwipsToPixelsCeil(4860, false)));
        Vezedad::Globals::Configuration().setShowPrompt(true);
    }

    void anOptionWithoutALayoutIsRefused_data() {
        QTest::addColumn<qint32>("option");
        QTest::newRow("unknown") << 0;
        QTest::newRow("option C") << 3;
    }

    void anOptionWithoutALayoutIsRefused() {
        QFETCH(qint32, option);
        frmController window;
        const Vezedad::ErrorInfo e = raisedBy([&] { window.Initialize(nullptr, option); });
        QCOMPARE(e.Number(), 380);
        QCOMPARE(e.Description(), QStringLiteral("Option Type (%1) is not a recognized value.").arg(option));
        QCOMPARE(e.Source(), QStringLiteral("ZozedizIZ::frmController.SetBehavior"));
    }

    void formChoicesFollowTheIdentity_data() {
        QTest::addColumn<QStringList>("ids"); // registration, certification, permit, applicator name
        QTest::addColumn<QString>("enabled"); // the enabled choices: 1, 2, 4, 8 and m (per applicator)
        QTest::newRow("nothing") << QStringList{{}, {}, {}, {}} << "";
        QTest::newRow("registration number alone") << QStringList{"12345", {}, {}, {}} << "2";
        QTest::newRow("certification id without a name") << QStringList{{}, "C1234567", {}, {}} << "";
        QTest::newRow("a name without a certification id") << QStringList{{}, "C123456", {}, "Al"} << "";
        QTest::newRow("certification id and name") << QStringList{{}, "C1234567", {}, "Al"} << "12m";
        QTest::newRow("permit") << QStringList{{}, {}, "R12345", {}} << "48";
        QTest::newRow("everything") << QStringList{"12345", "C1234567", "R12345", "Al"} << "1248m";
    }

    // At load and as the identity changes; a chosen form is bold.
    void formChoicesFollowTheIdentity() {
        QFETCH(QStringList, ids);
        QFETCH(QString, enabled);
        auto check = [&](const Center& c) {
            for (qint32 formType : {1, 2, 4, 8}) {
                const bool on = enabled.contains(QString::number(formType));
                QCOMPARE(c.choice(formType)->isEnabled(), on);
                QCOMPARE(c.choice(formType)->font().bold(), on);
            }
            QCOMPARE(c.child<QCheckBox>("ckMultiple")->isEnabled(), enabled.contains(QLatin1Char('m')));
        };
        setIdentity(ids[0], ids[1], ids[2], ids[3]);
        {
            Center c;
            check(c);
        }
        setIdentity({}, {}, {}, {});
        Center c;
        setIdentity(ids[0], ids[1], ids[2], ids[3]);
        check(c);
    }

    // Emptying the permit number disables the sales forms at once.
    void emptyingThePermitDisablesTheSalesForms() {
        setIdentity({}, {}, QStringLiteral("R12345"), {});
        Center c;
        QVERIFY(c.show());
        QVERIFY(c.choice(8)->isEnabled());
        QLineEdit* permit = c.focusBox("txtPermitNumber");
        QTest::keyClick(permit, Qt::Key_Backspace);
        QVERIFY(!c.choice(8)->isEnabled());
        QVERIFY(!c.choice(4)->isEnabled());
        QVERIFY(c.recorder.events.isEmpty());
    }

    void commandsRaiseTheirEvents_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("event");
        QTest::newRow("Blank Form") << "cmdNew"
                                    << "OpenNew(4,1)";
        QTest::newRow("Existing Form") << "cmdOpen"
                                       << "OpenExisting(4,1)";
        QTest::newRow("Validate File") << "cmdValidate"
                                       << "DoValidation(4)";
        QTest::newRow("Validate, File") << "mnuValidateFile"
                                        << "DoValidation(4)";
        QTest::newRow("Validate Folder") << "cmdValidateFolder"
                                         << "DoValidation(15)";
        QTest::newRow("Validate, Folder") << "mnuValidateFolder"
                                          << "DoValidation(15)";
        QTest::newRow("Upload Report") << "cmdUpload"
                                       << "Upload";
        QTest::newRow("Tools, Upload Report") << "mnuToolsUpload"
                                              << "Upload";
        QTest::newRow("Change Year") << "cmdChangeYear"
                                     << "ChangeYear";
        QTest::newRow("Tools, Change Year") << "mnuToolsYear"
                                            << "ChangeYear";
        QTest::newRow("Tools, Change Report Root") << "mnuToolsRoot"
                                                   << "ChangeReportRoot";
        QTest::newRow("Help, About") << "mnuAbout"
                                     << "ShowAbout";
    }

    // With Form 27 chosen and the per-applicator box ticked.
    void commandsRaiseTheirEvents() {
        QFETCH(QString, command);
        QFETCH(QString, event);
        setIdentity({}, {}, QStringLiteral("R12345"), {});
        Center c;
        QVERIFY(c.show());
        c.choice(4)->setChecked(true);
        c.child<QCheckBox>("ckMultiple")->setChecked(true);
        c.command(command);
        QCOMPARE(c.recorder.events, QStringList{event});
    }

    // Right after start Form 26 is chosen, even while it is disabled; a
    // greyed per-applicator box counts as not ticked.
    void openAtStartNamesForm26() {
        Center c;
        QVERIFY(c.show());
        QVERIFY(!c.choice(1)->isEnabled());
        c.command(QStringLiteral("cmdNew"));
        c.child<QCheckBox>("ckMultiple")->setCheckState(Qt::PartiallyChecked);
        c.command(QStringLiteral("cmdOpen"));
        QCOMPARE(c.recorder.events, (QStringList{"OpenNew(1,0)", "OpenExisting(1,0)"}));
    }

    // The keyboard alone reaches the commands: mnemonics and Tab.
    void keyboardReachesTheCommands() {
        setIdentity({}, QStringLiteral("C1234567"), {}, QStringLiteral("Al"));
        Center c;
        QVERIFY(c.show());
        c.focusBox("txtEmail");
        QTest::keyClick(&c.window, Qt::Key_B, Qt::AltModifier);
        QTest::keyClick(&c.window, Qt::Key_E, Qt::AltModifier);
        QTest::keyClick(&c.window, Qt::Key_U, Qt::AltModifier);
        QTest::keyClick(&c.window, Qt::Key_Y, Qt::AltModifier);
        QTRY_COMPARE(c.recorder.events, (QStringList{"OpenNew(1,0)", "OpenExisting(1,0)", "Upload", "ChangeYear"}));
        // Tab leaves the identity for the year, then the chosen form.
        c.focusBox("txtEmail");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdChangeYear"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("radFormType(1)"));
    }

    // A value the identity refuses, still in its box: the Upload menu item
    // leaves the identity control's message alone, raises nothing, and works
    // once the value is right.
    void uploadMenuChecksTheInputsFirst() {
        Center c;
        QVERIFY(c.show());
        QLineEdit* email = c.typeInto("txtEmail", QStringLiteral("nope"));
        {
            UiScript ui;
            ui.expectBox();
            c.command(QStringLiteral("mnuToolsUpload"));
            settle();
            QCOMPARE(ui.boxes().size(), 1);
        }
        QVERIFY(c.recorder.events.isEmpty());
        QVERIFY(email->hasFocus());
        email->setText(QStringLiteral("jo@example.org"));
        c.command(QStringLiteral("mnuToolsUpload"));
        QCOMPARE(c.recorder.events, QStringList{"Upload"});
        QCOMPARE(identity().Email(), QStringLiteral("jo@example.org"));
    }

    // A year change updates both labels; a root change the folder alone.
    void labelsFollowTheReportModel() {
        Center c;
        const qint16 year = report().ReportYear();
        const QString root = report().ReportRootPath();
        auto* path = c.child<QLabel>("lblReportPath");
        auto* yearLabel = c.child<QLabel>("lblReportYear");
        report().ChangeReportYear(year - 1);
        QCOMPARE(yearLabel->text(), QStringLiteral("Report Year %1").arg(year - 1));
        QCOMPARE(path->text(), report().ReportPath());
        QVERIFY(path->text().endsWith(QStringLiteral("ZOV%1").arg(year - 1)));
        report().ChangeReportYear(year);
        const QString otherRoot = TestSupport::home() + QStringLiteral("/OtherRoot");
        report().setReportRootPath(otherRoot);
        QCOMPARE(path->text(), QDir(otherRoot).filePath(QStringLiteral("ZOV%1").arg(year)));
        QCOMPARE(yearLabel->text(), QStringLiteral("Report Year %1").arg(year));
        report().setReportRootPath(root);
        QCOMPARE(path->text(), report().ReportPath());
    }

    // Closing: the inputs first, then the subscriber's say, then the unload.
    void closingAsksThenUnloads() {
        Center c;
        QVERIFY(c.show());
        // A refused value keeps the window, with no event and no box of its
        // own.
        c.typeInto("txtPhone", QStringLiteral("555|"));
        {
            UiScript ui;
            ui.expectBox();
            c.command(QStringLiteral("mnuFileExit"));
            QCOMPARE(ui.boxes().size(), 1);
        }
        QVERIFY(c.window.isVisible());
        QVERIFY(c.recorder.events.isEmpty());
        c.child<QLineEdit>("txtPhone")->setText(QStringLiteral("555"));

        // The subscriber keeps it.
        c.recorder.cancelClose = 1;
        c.command(QStringLiteral("cmdExit"));
        QVERIFY(c.window.isVisible());
        QCOMPARE(c.recorder.events, QStringList{"QueryUnload(1)"});

        // A failing subscriber does not keep it; the hook goes before
        // Unloading.
        c.recorder.cancelClose = 0;
        c.recorder.failQueryUnload = true;
        c.recorder.events.clear();
        QVERIFY(ZozedizIZ::modHookSize().Hooked());
        c.command(QStringLiteral("cmdExit"));
        QVERIFY(!c.window.isVisible());
        QCOMPARE(c.recorder.events, (QStringList{"QueryUnload(1)", "Unloading"}));
        QVERIFY(!ZozedizIZ::modHookSize().Hooked());
    }

    // The colour dialog starts on the window's colour; OK stores the choice
    // and colours the window, Cancel changes nothing.
    void backgroundColorCommand() {
        Vezedad::Globals::Configuration().setBackColor(0xA0FFFF); // pale yellow
        Center c;
        QCOMPARE(c.window.palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xA0));
        UiScript ui;
        ui.expectDialogCancel();
        c.command(QStringLiteral("mnuToolsBackcolor"));
        QCOMPARE(ui.dialogs().at(0).kind, Vezedad::Ui::DialogKind::Color);
        QCOMPARE(ui.dialogs().at(0).color.color, QColor(0xFF, 0xFF, 0xA0));
        QCOMPARE(Vezedad::Globals::Configuration().BackColor(), 0xA0FFFF);
        ui.expectColor(0x0000FF);
        c.command(QStringLiteral("mnuToolsBackcolor"));
        QCOMPARE(Vezedad::Globals::Configuration().BackColor(), 0x0000FF);
        for (const char* name : {"fraCanvas", "fraFormSelect", "ucIdentityUI", "fraBusiness"})
            QCOMPARE(c.child(name)->palette().color(QPalette::Window), QColor(Qt::red));
        QCOMPARE(c.child("rtfFormUse")->palette().color(QPalette::Base), QColor(Qt::red));
    }

    void helpCommandsOpenTheirPages_data() {
        QTest::addColumn<qint32>("option");
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint32>("page");
        QTest::newRow("submit") << 1 << "mnuHelpSubmit" << qint32(Vezedad::docUploadReport);
        QTest::newRow("guide A") << 1 << "mnuHelpGuide" << qint32(Vezedad::docUserGuideA);
        QTest::newRow("guide B") << 2 << "mnuHelpGuide" << qint32(Vezedad::docUserGuideB);
        QTest::newRow("guidelines") << 1 << "mnuHelpGuidelines" << qint32(Vezedad::docAsciiFormat);
        QTest::newRow("macros menu") << 2 << "mnuHelpMacros" << qint32(Vezedad::docMacroInstructions);
        QTest::newRow("macros button") << 2 << "cmdMacro" << qint32(Vezedad::docMacroInstructions);
    }

    void helpCommandsOpenTheirPages() {
        QFETCH(qint32, option);
        QFETCH(QString, command);
        QFETCH(qint32, page);
        Center c(option);
        QVERIFY(c.show());
        c.command(command);
        QCOMPARE(openedDocuments, QStringList{Vezedad::Globals::Documentation().GetUri(page, option)});
    }

    // A help page that cannot be opened is shown in the box that names the
    // procedure and the window.
    void aFailedHelpPageIsShown() {
        Center c;
        Vezedad::Documentation::setShellOpener([](const QString&, bool) { return qint32(Vezedad::sysNoAssociation); });
        UiScript ui;
        ui.expectBox();
        c.command(QStringLiteral("mnuHelpSubmit"));
        Vezedad::Documentation::setShellOpener(&recordOpen);
        QVERIFY2(ui.boxes().at(0).prompt.contains(
                     QStringLiteral("\nIn procedure mnuHelpSubmit_Click of Form frmController\n")),
                 qPrintable(ui.boxes().at(0).prompt));
    }

    void instructionsToggle() {
        Center c;
        QVERIFY(c.show());
        auto* label = c.child<QLabel>("lblInstructions");
        auto* button = c.child<QPushButton>("cmdInstructions");
        QCOMPARE(button->text(), QStringLiteral("Show Instructions"));
        c.command(QStringLiteral("cmdInstructions"));
        QVERIFY(label->isVisible());
        QCOMPARE(button->text(), QStringLiteral("Hide Instructions"));
        c.command(QStringLiteral("cmdInstructions"));
        QVERIFY(!label->isVisible());
        QCOMPARE(button->text(), QStringLiteral("Show Instructions"));
    }

    // The window opens at its canvas's size, in Arial's metric twin as users
    // get it and in the wider stand-in: no scroll bar, and no room beyond
    // the canvas but the design's 15 twips below it.
    void opensAtItsCanvasSize_data() { TestSupport::addArialFontRows(); }
    void opensAtItsCanvasSize() {
        QFETCH(bool, twins);
        const TestSupport::ArialFont font(twins);
        Center c;
        QVERIFY(c.show());
        QCOMPARE(QFontInfo(c.window.font()).family(), font.family());
        auto* area = c.child<QScrollArea>("scrCanvas");
        QVERIFY(!c.child("ScrollVert")->isVisible());
        QVERIFY(!c.child("ScrollHoriz")->isVisible());
        const QSize canvas = area->widget()->minimumSize();
        QCOMPARE(area->viewport()->size(), QSize(canvas.width(), canvas.height() + ZozedizIZ::Twips::toPixelsY(15)));
    }

    // At the window's first size the instructions show whole when asked
    // for, in room the window keeps for them: no scroll bar comes and the
    // "Report Forms" frame stays where it was.
    void instructionsShowWholeInPlace_data() {
        QTest::addColumn<qint32>("option");
        QTest::newRow("option A") << qint32(Vezedad::kvoOptionA);
        QTest::newRow("option B") << qint32(Vezedad::kvoOptionB);
    }
    void instructionsShowWholeInPlace() {
        QFETCH(qint32, option);
        Center c(option);
        QVERIFY(c.show());
        auto* frame = c.child("fraFormSelect");
        auto* label = c.child<QLabel>("lblInstructions");
        auto* area = c.child<QScrollArea>("scrCanvas");
        const QPoint frameAt = frame->mapTo(&c.window, QPoint(0, 0));
        const QSize windowSize = c.window.size();
        c.command(QStringLiteral("cmdInstructions"));
        QApplication::processEvents();
        QVERIFY(label->isVisible());
        QCOMPARE(frame->mapTo(&c.window, QPoint(0, 0)), frameAt);
        QCOMPARE(c.window.size(), windowSize);
        QVERIFY(!c.child("ScrollVert")->isVisible());
        QVERIFY(!c.child("ScrollHoriz")->isVisible());
        QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                 qPrintable(QStringLiteral("%1 > %2").arg(label->heightForWidth(label->width())).arg(label->height())));
        const QRect inView(label->mapTo(area->viewport(), QPoint(0, 0)), label->size());
        QVERIFY(area->viewport()->rect().contains(inView));
        TestSupport::walkWindow(c.window);
        c.command(QStringLiteral("cmdInstructions"));
        QApplication::processEvents();
        QCOMPARE(frame->mapTo(&c.window, QPoint(0, 0)), frameAt);
        TestSupport::walkWindow(c.window);
    }

    // A keyboard-only user goes round the whole window with Tab and with
    // Shift+Tab, and back to where the focus started.
    void keyboardGoesRoundTheWindow() {
        setIdentity(QStringLiteral("12345"), QStringLiteral("C1234567"), QStringLiteral("R12345"),
                    QStringLiteral("Al Roe"));
        Center c;
        QVERIFY(c.show());
        c.focusBox("txtBusinessName");
        for (const bool forward : {true, false}) {
            const QList<QWidget*> cycle = TestSupport::tabCycle(c.window, forward);
            const QString path = TestSupport::pathOf(cycle);
            QVERIFY2(cycle.size() > 2 && cycle.last() == cycle.first(), qPrintable(path));
            const QStringList unreached = TestSupport::unreachedStops(c.window, cycle);
            QVERIFY2(unreached.isEmpty(),
                     qPrintable(unreached.join(QStringLiteral(", ")) + QStringLiteral(": ") + path));
        }
    }

    // Save Identity takes the value still in its box and writes the file; a
    // failed write is shown in the box that names the procedure.
    void saveIdentityMenu() {
        Center c;
        QVERIFY(c.show());
        QFile::remove(identityFile());
        c.typeInto("txtContact", QStringLiteral("Ann Lee"));
        c.command(QStringLiteral("mnuFileSave"));
        QCOMPARE(identity().ContactName(), QStringLiteral("Ann Lee"));
        QVERIFY(TestSupport::readFile(identityFile()).contains("|Ann Lee|"));

        QFile::remove(identityFile());
        QVERIFY(QDir().mkpath(identityFile()));
        UiScript ui;
        ui.expectBox();
        c.command(QStringLiteral("mnuFileSave"));
        QVERIFY(QDir().rmdir(identityFile()));
        QVERIFY2(ui.boxes().at(0).prompt.contains(
                     QStringLiteral("\nIn procedure mnuFileSave_Click of Form frmController\n")),
                 qPrintable(ui.boxes().at(0).prompt));
    }

    // Tools, Edit Product List opens the shared list's editor.
    void productListMenuOpensTheEditor() {
        Center c;
        UiScript ui;
        ui.expectModal([](QDialog& editor) {
            QCOMPARE(editor.objectName(), QStringLiteral("frmEPAEditor"));
            editor.close();
        });
        c.command(QStringLiteral("mnuToolsProduct"));
        QCOMPARE(ui.modalNames(), QStringList{"frmEPAEditor"});
    }

    void inputPromptsMenuStoresTheSetting() {
        Vezedad::Globals::Configuration().setShowPrompt(true);
        Center c;
        QVERIFY(c.item("mnuToolsPrompts")->isChecked());
        c.command(QStringLiteral("mnuToolsPrompts"));
        QVERIFY(!Vezedad::Globals::Configuration().ShowPrompt());
        c.command(QStringLiteral("mnuToolsPrompts"));
        QVERIFY(Vezedad::Globals::Configuration().ShowPrompt());
    }

    // Blank Form, Existing Form and the command under them (Validate File,
    // or the macro help) stand one under the other with equal gaps.
    void formCommandsHaveEqualGaps_data() {
        QTest::addColumn<qint32>("option");
        QTest::addColumn<QString>("third");
        QTest::newRow("option A") << qint32(Vezedad::kvoOptionA) << "cmdValidate";
        QTest::newRow("option B") << qint32(Vezedad::kvoOptionB) << "cmdMacro";
    }
    void formCommandsHaveEqualGaps() {
        QFETCH(qint32, option);
        QFETCH(QString, third);
        Center c(option);
        QVERIFY(c.show());
        const QRect blank = c.child("cmdNew")->geometry();
        const QRect existing = c.child("cmdOpen")->geometry();
        const QRect under = c.child(qPrintable(third))->geometry();
        const int gap = existing.top() - blank.bottom() - 1;
        QVERIFY2(gap > 0, qPrintable(QString::number(gap)));
        QCOMPARE(under.top() - existing.bottom() - 1, gap);
        QCOMPARE(under.left(), existing.left());
    }

    // The window opens at its canvas's layout, no larger (the designed
    // height: the columns' texts take no more in the stand-in font), and the
    // canvas scrolls only when the window is smaller than it.
    void scrollBarsOnlyWhenTooSmall() {
        Center c;
        QVERIFY(c.show());
        auto* vertical = c.child("ScrollVert");
        auto* horizontal = c.child("ScrollHoriz");
        QVERIFY(!vertical->isVisible() && !horizontal->isVisible());
        QCOMPARE(c.child("fraCanvas")->height(), ZozedizIZ::Twips::toPixelsY(8430));
        c.window.resize(c.window.minimumSize());
        QTRY_VERIFY(vertical->isVisible() && horizontal->isVisible());
        QVERIFY(c.window.width() >= c.window.minimumWidth());
    }

    // Fonts and style arrive after the window is made (a user's larger font,
    // the style applied on showing): the canvas still gives every button and
    // check box the width its text needs, so none is cut off.
    void noCommandIsCutOffInALargerFont() {
        Center c;
        QFont larger = c.window.font();
        larger.setPointSizeF(larger.pointSizeF() * 1.5);
        c.window.setFont(larger);
        QVERIFY(c.show());
        QApplication::processEvents();
        auto* canvas = c.child("fraCanvas");
        QVERIFY(canvas->width() >= canvas->layout()->totalMinimumSize().width());
        const auto buttons = canvas->findChildren<QAbstractButton*>();
        QVERIFY(!buttons.isEmpty());
        for (QAbstractButton* button : buttons) {
            if (!button->isVisible()) continue;
            QVERIFY2(button->width() >= button->minimumSizeHint().width(), qPrintable(button->objectName()));
        }
    }
};

QTEST_MAIN(tst_controlcenter)
#include "tst_controlcenter.moc"
