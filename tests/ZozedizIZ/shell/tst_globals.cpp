#include "support/FilingService.h"
#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/MoreApplicatorsDialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using TestSupport::FilingService;
using TestSupport::UiScript;
using ZozedizIZ::Globals;

namespace {

QString optionSetting(qint32 option) {
    Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
    switch (option) {
    case Vezedad::kvoOptionA: return settings.OptionAVersion();
    case Vezedad::kvoOptionB: return settings.OptionBVersion();
    case Vezedad::kvoOptionC: return settings.OptionCVersion();
    default: return QStringLiteral("(none)");
    }
}

void setOptionSetting(qint32 option, const QString& value) {
    Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
    switch (option) {
    case Vezedad::kvoOptionA: settings.setOptionAVersion(value); break;
    case Vezedad::kvoOptionB: settings.setOptionBVersion(value); break;
    case Vezedad::kvoOptionC: settings.setOptionCVersion(value); break;
    default: break;
    }
}

// A new start of the program: every service ends (the settings are saved)
// and is made again on first use.
void restart() { Globals::Release(); }

QString infoText(QDialog& window) { return window.findChild<QTextBrowser*>(QStringLiteral("rtfInfo"))->toPlainText(); }

} // namespace

class tst_globals : public QObject {
    Q_OBJECT

private slots:
    void init() {
        restart();
        TestSupport::clearSettings();
    }

    void cleanupTestCase() { restart(); }

    void stdErrHeaderIsWarning() { QCOMPARE(Globals::StdErrHeader(), QStringLiteral("Warning")); }

    // Entries whose blanks, slips and mark-up are the system's own and stay.
    void messageTableKeepsItsTexts_data() {
        QTest::addColumn<qint32>("id");
        QTest::addColumn<QString>("expected"); // the whole text, or a piece of it after "~"
        QTest::newRow("101") << 101 << QStringLiteral("ZIDIVO Service Connection Error");
        QTest::newRow("102 apostrophe, two blanks, CR LF")
            << 102
            << QStringLiteral("~We\u2019re sorry.  There seems to be a problem connecting with our upload service.\r\n"
                              "This could mean that you are not connected to the Internet");
        QTest::newRow("103") << 103 << QStringLiteral("ZIDIVO New Version");
        QTest::newRow("105 has no constant") << 105 << QStringLiteral("ZOV Option B: Excel Macro Security");
        QTest::newRow("104 is RTF") << 104 << QStringLiteral("~{\\rtf1");
        QTest::newRow("106 is RTF") << 106 << QStringLiteral("~\\b MUST\\b0");
        QTest::newRow("108 is RTF") << 108 << QStringLiteral("~\\b\\i must\\b0\\i0  include");
        QTest::newRow("201 marker, trailing blank")
            << 201 << QStringLiteral("~email address.\\nSelect the desired pesticide reporting form and click ");
        QTest::newRow("202")
            << 202
            << QStringLiteral("Blank Form to start a blank form or Existing Form to open a previously created form.");
        QTest::newRow("303 two blanks") << 303
                                        << QStringLiteral("The registration number found on the pesticide business "
                                                          "registration certificate.  Field is optional for other "
                                                          "business types.");
        QTest::newRow("307 two blanks after FL")
            << 307
            << QStringLiteral(
                   "~\r\nFL  (Fluid Ounces)\r\nGL (Gallon)\r\nGM (Grams)\r\nKG (Kilograms)\r\nL  (Liters)\r\n"
                   "LB (Pounds)\r\nMG (Milligrams)\r\nML (Milliliters)\r\nOZ (Ounces)\r\nQT (Quart)");
        QTest::newRow("310 no blank before the bracket") << 310 << QStringLiteral("~mm/dd/yyyy format(mm is");
        QTest::newRow("312 th") << 312 << QStringLiteral("~(mm is th 2 digit month");
        QTest::newRow("325 one blank after FL, Quarts")
            << 325
            << QStringLiteral("One or two character unit code from the following list:\r\nFL (Fluid Ounces)\r\n"
                              "GL (Gallon)\r\nGM (Grams)\r\nKG (Kilograms)\r\nL  (Liters)\r\nLB (Pounds)\r\n"
                              "MG (Milligrams)\r\nML (Milliliters)\r\nOZ (Ounces)\r\nQT (Quarts)");
        QTest::newRow("329 of organism") << 329 << QStringLiteral("~The targeted pest of organism must be listed");
        for (const qint32 id : {0, 100, 107, 313, 315, 316, 317, 324, 331, 999})
            QTest::newRow(qPrintable(QStringLiteral("%1 has no text").arg(id))) << id << QString();
    }

    void messageTableKeepsItsTexts() {
        QFETCH(qint32, id);
        QFETCH(QString, expected);
        const QString text = Globals::GetMessage(id);
        if (expected.startsWith(u'~'))
            QVERIFY2(text.contains(expected.mid(1)), qPrintable(text));
        else
            QCOMPARE(text, expected);
    }

    void checkVersionAnnouncesOnce_data() {
        QTest::addColumn<qint32>("option");
        QTest::addColumn<QString>("announced"); // the setting before
        QTest::addColumn<QString>("current");   // what the service reports
        QTest::addColumn<bool>("notice");
        QTest::addColumn<QString>("announcedAfter");
        const qint32 a = Vezedad::kvoOptionA;
        QTest::newRow("newer, nothing announced") << a << ""
                                                  << "6.2.0.0" << true << "6.2.0.0";
        QTest::newRow("newer, already announced") << a << "6.2.0.0"
                                                  << "6.2.0.0" << false << "6.2.0.0";
        QTest::newRow("newer than the one announced") << a << "6.2.0.0"
                                                      << "6.3.0.0" << true << "6.3.0.0";
        QTest::newRow("equal to the running one") << a << ""
                                                  << "6.1.0.3" << false << "";
        QTest::newRow("older than the running one") << a << "1.0.0.0"
                                                    << "5.9.0.0" << false << "1.0.0.0";
        // 6, 1, 3 runs as 6.1.0.3: the build part is 0, the revision last.
        QTest::newRow("revision is the last part") << a << ""
                                                   << "6.1.1.0" << true << "6.1.1.0";
        QTest::newRow("setting not a version") << a << "soon"
                                               << "6.2.0.0" << true << "6.2.0.0";
        QTest::newRow("option B") << qint32(Vezedad::kvoOptionB) << ""
                                  << "7.0.0.0" << true << "7.0.0.0";
        QTest::newRow("option C") << qint32(Vezedad::kvoOptionC) << "7.0.0.0"
                                  << "7.0.0.0" << false << "7.0.0.0";
        QTest::newRow("option 0 keeps nothing") << qint32(Vezedad::kvoUnknown) << ""
                                                << "7.0.0.0" << true << "(none)";
    }

    void checkVersionAnnouncesOnce() {
        QFETCH(qint32, option);
        QFETCH(QString, announced);
        QFETCH(QString, current);
        QFETCH(bool, notice);
        QFETCH(QString, announcedAfter);

        FilingService service;
        service.useForThisThread();
        const QString client = Vezedad::Globals::GetOptionName(option);
        service.setClientVersion(client, current);
        setOptionSetting(option, announced);
        const QString before = optionSetting(option);

        UiScript ui;
        QString caption, text;
        if (notice)
            ui.expectModal([&](QDialog& window) {
                caption = window.windowTitle();
                text = infoText(window);
                window.findChild<QPushButton*>(QStringLiteral("cmdExit"))->click();
            });
        Globals::CheckVersion(option, 6, 1, 3);
        QCOMPARE(optionSetting(option), option == Vezedad::kvoUnknown ? QStringLiteral("(none)") : announcedAfter);
        QCOMPARE(service.requests(TestSupport::Route::Version).size(), 1);
        QCOMPARE(service.requests(TestSupport::Route::Version)
                     .at(0)
                     .target.endsWith(("Client/" + client + "/Version").toLatin1()),
                 true);
        if (!notice) {
            QCOMPARE(optionSetting(option), before);
            return;
        }
        QCOMPARE(caption, QStringLiteral("ZIDIVO New Version"));
        const QString name = Vezedad::Globals::GetOptionName(option, true);
        QVERIFY2(text.contains(QStringLiteral("You are presently running version 6.1.0.3 of ") + name + u'.'),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("A newer version, ") + current + QStringLiteral(" of the software")));
        QVERIFY(!text.contains(u'['));

        // The next start with the same versions says nothing, unless no
        // setting keeps what was announced.
        restart();
        service.useForThisThread();
        UiScript again;
        if (option == Vezedad::kvoUnknown) again.expectModal([](QDialog& window) { window.accept(); });
        Globals::CheckVersion(option, 6, 1, 3);
    }

    // No answer from the service: the error is passed on with the trail, no
    // notice is shown and nothing is written.
    void checkVersionPassesOnAnUnreachableService() {
        QString host;
        {
            FilingService gone;
            host = gone.host();
        }
        Vezedad::Globals::Configuration().SetDynamicSetting(QStringLiteral("Host"), host);
        const QString before = Vezedad::Globals::Configuration().OptionAVersion();
        const Vezedad::ErrorInfo error =
            TestSupport::raisedBy([] { Globals::CheckVersion(Vezedad::kvoOptionA, 1, 0, 0); });
        QVERIFY(error.Number() != 0);
        QVERIFY2(error.Source().startsWith(QStringLiteral("ZozedizIZ::Globals.CheckVersion\r\n-->")),
                 qPrintable(error.Source()));
        QCOMPARE(Vezedad::Globals::Configuration().OptionAVersion(), before);
    }

    void noConnectionNoticeShowsPlainText() {
        UiScript ui;
        ui.expectModal([](QDialog& window) {
            QCOMPARE(window.windowTitle(), QStringLiteral("ZIDIVO Service Connection Error"));
            QCOMPARE(infoText(window), Globals::GetMessage(102).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            // Enter where the focus is closes the notice.
            QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, Qt::Key_Return);
            QVERIFY(!window.isVisible());
        });
        ZozedizIZ::modGlobals::ShowNoConnection();
    }

    // The thread's one reminder; "do not ask again" lasts as long as it does.
    void moreApplicatorsReminder() {
        ZozedizIZ::MoreApplicatorsDialog& reminder = Globals::MoreApplicators();
        QCOMPARE(&Globals::MoreApplicators(), &reminder);
        QVERIFY(reminder.ShowReminder());

        UiScript ui;
        const auto answer = [](const char* button, bool tick) {
            return [=](QDialog& window) {
                QCOMPARE(window.windowTitle(), QStringLiteral("Open Form 26A?"));
                auto* box = window.findChild<QCheckBox*>(QStringLiteral("chkStopAsking"));
                QCOMPARE(box->text(), QStringLiteral("Do not ask again during this session."));
                QVERIFY(!box->isChecked());
                if (tick) QTest::mouseClick(box, Qt::LeftButton);
                QTest::mouseClick(window.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
            };
        };
        ui.expectModal(answer("cmdYes", false));
        QVERIFY(reminder.Needed());
        ui.expectModal(answer("cmdNo", false));
        QVERIFY(!reminder.Needed());
        // The close box counts as No.
        ui.expectModal([](QDialog& window) { window.close(); });
        QVERIFY(!reminder.Needed());
        // Ticked and then unticked again: still asked next time.
        ui.expectModal([](QDialog& window) {
            auto* box = window.findChild<QCheckBox*>(QStringLiteral("chkStopAsking"));
            box->click();
            box->click();
            window.findChild<QPushButton*>(QStringLiteral("cmdNo"))->click();
        });
        QVERIFY(!reminder.Needed());
        QVERIFY(reminder.ShowReminder());
        // Ticked and Yes: true this time, never asked again.
        ui.expectModal(answer("cmdYes", true));
        QVERIFY(reminder.Needed());
        QVERIFY(!reminder.ShowReminder());
        QVERIFY(!reminder.Needed());
        QCOMPARE(ui.modalNames().size(), 5);

        // A new reminder (a new load of the library) asks again.
        restart();
        QVERIFY(Globals::MoreApplicators().ShowReminder());
    }

    // Made outside its factory the reminder refuses with 1002; a class that
    // does not take the flag makes the factory refuse with 1001.
    void factoriesGuardTheirClasses() {
        const Vezedad::ErrorInfo direct = TestSupport::raisedBy([] { ZozedizIZ::MoreApplicatorsDialog reminder; });
        QCOMPARE(direct.Number(), 1002);
        QCOMPARE(direct.Source(), QStringLiteral("ZozedizIZ::MoreApplicatorsDialog"));
        QCOMPARE(direct.Description(),
                 QStringLiteral("Client code did not call factory method for MoreApplicatorsDialog"));
        QVERIFY(!ZozedizIZ::modGlobals::InFactory());

        struct Careless {};
        const Vezedad::ErrorInfo careless = TestSupport::raisedBy([] {
            Vezedad::createThroughFactory<Careless>(
                ZozedizIZ::modGlobals::factoryModule(),
                ZozedizIZ::modGlobals::factoryFailure(QStringLiteral("MoreApplicators"),
                                                      QStringLiteral("MoreApplicatorsDialog")));
        });
        QCOMPARE(careless.Number(), 1001);
        QCOMPARE(careless.Source(), QStringLiteral("ZozedizIZ:MoreApplicators Factory"));
        QCOMPARE(careless.Description(),
                 QStringLiteral("MoreApplicatorsDialog class does not check for factory method"));
        QVERIFY(!ZozedizIZ::modGlobals::InFactory());
    }
};

QTEST_MAIN(tst_globals)
#include "tst_globals.moc"
