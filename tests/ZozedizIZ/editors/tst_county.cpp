#include "support/TestSupport.h"
#include "support/UiScript.h"
#include "support/WindowWalk.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Globals.h"
#include "ZozedizIZ/editors/CountySelector.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using ZozedizIZ::CountySelector;

namespace {

QListWidget* countyList(QDialog& dialog) { return dialog.findChild<QListWidget*>(QStringLiteral("lstCountyCodes")); }

QStringList rows(QDialog& dialog) {
    QStringList texts;
    QListWidget* list = countyList(dialog);
    for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    return texts;
}

QStringList codes(QDialog& dialog) {
    QStringList out;
    for (const QString& row : rows(dialog)) out << row.right(2);
    return out;
}

QString selectedRow(QDialog& dialog) {
    const QList<QListWidgetItem*> selected = countyList(dialog)->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void clickRow(QDialog& dialog, const QString& code) {
    QListWidget* list = countyList(dialog);
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        if (item->text().right(2) != code) continue;
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        return;
    }
    QFAIL("no such row");
}

void click(QDialog& dialog, const char* name) {
    auto* button = dialog.findChild<QAbstractButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

bool okEnabled(QDialog& dialog) { return dialog.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isEnabled(); }

QString label(QDialog& dialog, const char* name) {
    return dialog.findChild<QLabel*>(QString::fromLatin1(name))->text();
}

void store(int behavior, const QString& defaultCode, int sorting) {
    Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
    settings.setCountySelectorBehavior(behavior);
    settings.setCountySelectorDefault(defaultCode);
    settings.setCountySelectorSorting(sorting);
}

} // namespace

class tst_county : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        ZozedizIZ::Globals::Release();
        TestSupport::clearSettings();
    }

    void cleanupTestCase() { ZozedizIZ::Globals::Release(); }

    void readsItsSettingsWhenMade_data() {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("behavior");
        QTest::addColumn<QString>("defaultCode");
        QTest::addColumn<int>("sorting");
        QTest::addColumn<int>("expectedBehavior");
        QTest::addColumn<QString>("expectedDefault");
        QTest::addColumn<QString>("firstRow");
        QTest::addColumn<QString>("description");
        QTest::newRow("nothing stored") << false << 0 << "" << 0 << 0 << ""
                                        << "01"
                                        << "County Code Popup.";
        QTest::newRow("out of range") << true << 5 << "" << 3 << 0 << ""
                                      << "01"
                                      << "County Code Popup.";
        QTest::newRow("unknown default") << true << 1 << "63" << 0 << 1 << ""
                                         << "01"
                                         << "Using Default County (not set).";
        QTest::newRow("one-digit default") << true << 1 << "7" << 0 << 1 << ""
                                           << "01"
                                           << "Using Default County (not set).";
        QTest::newRow("default, by name") << true << 1 << "01" << 1 << 1 << "01"
                                          << "01"
                                          << "Using Default County 01 (Albany).";
        QTest::newRow("manual entry") << true << 2 << "05" << 1 << 2 << "05"
                                      << "01"
                                      << "County Code - Manual Entry Mode.";
    }

    void readsItsSettingsWhenMade() {
        QFETCH(bool, stored);
        QFETCH(int, behavior);
        QFETCH(QString, defaultCode);
        QFETCH(int, sorting);
        QFETCH(int, expectedBehavior);
        QFETCH(QString, expectedDefault);
        QFETCH(QString, description);
        if (stored) store(behavior, defaultCode, sorting);
        CountySelector selector;
        QCOMPARE(selector.Behavior(), expectedBehavior);
        QCOMPARE(selector.DefaultCode(), expectedDefault);
        QCOMPARE(selector.BehaviorDescription(), description);

        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Select County Codes"));
            QCOMPARE(rows(dialog).size(), 63);
            // Sorted by name when 1 was stored, by code otherwise.
            QCOMPARE(codes(dialog).at(2), sorting == 1 ? QStringLiteral("58") : QStringLiteral("03"));
            QVERIFY(
                dialog.findChild<QRadioButton*>(QStringLiteral("optBehavior%1").arg(expectedBehavior))->isChecked());
            QCOMPARE(!dialog.findChild<QGroupBox*>(QStringLiteral("fraDefaultCounty"))->isHidden(),
                     expectedBehavior == 1);
            QCOMPARE(okEnabled(dialog), expectedBehavior != 1 || !expectedDefault.isEmpty());
            click(dialog, "cmdCancel");
        });
        selector.Setup();
    }

    // Rows are the name in 25 places and the code; both orders end with the
    // out-of-state row, and the chosen county stays chosen across a re-sort.
    void listsTheCountiesByCodeOrByName() {
        CountySelector selector;
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            const QStringList byCode = rows(dialog);
            for (const QString& row : byCode) QCOMPARE(row.size(), 27);
            QCOMPARE(byCode.first(), QStringLiteral("Albany                   01"));
            QStringList expectedCodes;
            for (int code = 1; code <= 62; ++code) expectedCodes << QString::number(code).rightJustified(2, u'0');
            QCOMPARE(codes(dialog), expectedCodes << QStringLiteral("99"));

            clickRow(dialog, QStringLiteral("05"));
            QVERIFY(dialog.isVisible()); // in setup a click only selects
            click(dialog, "optSort1");
            const QStringList byName = rows(dialog);
            QCOMPARE(byName.size(), 63);
            QCOMPARE(byName.mid(0, 4), (QStringList{"Albany                   01", "Allegany                 02",
                                                    "Bronx                    58", "Broome                   03"}));
            QCOMPARE(byName.last(), QStringLiteral("Out of State             99"));
            QCOMPARE(byName.at(61), QStringLiteral("Yates                    57"));
            QStringList namesOnly;
            for (const QString& row : byName.mid(0, 62)) namesOnly << row.left(25).trimmed().toLower();
            QStringList sorted = namesOnly;
            std::sort(sorted.begin(), sorted.end());
            QCOMPARE(namesOnly, sorted);
            QCOMPARE(selectedRow(dialog), QStringLiteral("Cayuga                   05"));
            click(dialog, "cmdOK");
        });
        selector.Setup();
        selector.SaveSettings();
        QCOMPARE(Vezedad::Globals::Configuration().CountySelectorSorting(), 1);
    }

    void onePickListClickChoosesTheCode() {
        CountySelector selector;
        QSignalSpy changed(&selector, &CountySelector::BehaviorChanged);
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(selectedRow(dialog), QStringLiteral("Cayuga                   05"));
            clickRow(dialog, QStringLiteral("14"));
            QVERIFY(!dialog.isVisible());
        });
        QCOMPARE(selector.GetCountyCode(QStringLiteral("5")), QStringLiteral("14"));
        QCOMPARE(changed.count(), 0);

        // The keyboard picks too: Escape is Cancel, Enter is OK.
        ui.expectModal([&](QDialog& dialog) { QTest::keyClick(countyList(dialog), Qt::Key_Escape); });
        QCOMPARE(selector.GetCountyCode(), QString());
        ui.expectModal([&](QDialog& dialog) {
            QTest::keyClick(countyList(dialog), Qt::Key_Down);
            QTest::keyClick(countyList(dialog), Qt::Key_Return);
        });
        QCOMPARE(selector.GetCountyCode(), QStringLiteral("15"));
    }

    // An unknown code leaves no row of an earlier code chosen, and none of
    // its own: the pop-up opens with no county chosen, and OK gives none.
    void unknownCodeChoosesNoRow() {
        CountySelector selector;
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) { click(dialog, "cmdOK"); });
        QCOMPARE(selector.GetCountyCode(QStringLiteral("5")), QStringLiteral("05"));
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(selectedRow(dialog), QString());
            click(dialog, "cmdOK");
        });
        QCOMPARE(selector.GetCountyCode(QStringLiteral("75")), QString());
    }

    // Every time the pop-up opens, the keys work on its list at once: the
    // focus is in it, however the showing before ended, on the cell's
    // county, else on the last one picked, else on the first row, which is
    // then current but not chosen. Down then Enter takes the next county;
    // Enter (in the list or on OK) takes the chosen one, or none.
    void popUpOpensReadyForTheKeys_data() {
        QTest::addColumn<QString>("before");   // how the showing before ended ("" none, else it picked "01")
        QTest::addColumn<QString>("code");     // the cell's code
        QTest::addColumn<QString>("shown");    // the county chosen when the list opens
        QTest::addColumn<QStringList>("keys"); // "Tab>name" tabs to that control
        QTest::addColumn<QString>("chosen");
        const QStringList downEnter{"Down", "Enter"};
        QTest::newRow("first showing, Down") << ""
                                             << ""
                                             << "" << downEnter << "02";
        QTest::newRow("first showing, Enter") << ""
                                              << ""
                                              << "" << QStringList{"Enter"} << "";
        QTest::newRow("first showing, Enter on OK") << ""
                                                    << ""
                                                    << "" << QStringList{"Tab>cmdOK", "Enter"} << "";
        QTest::newRow("after Cancel by the keys") << "Tab>cmdCancel"
                                                  << "5"
                                                  << "05" << downEnter << "06";
        QTest::newRow("after OK by the keys") << "Tab>cmdOK"
                                              << "5"
                                              << "05" << downEnter << "06";
        QTest::newRow("after the close box") << "close"
                                             << ""
                                             << "01" << downEnter << "02";
        QTest::newRow("the last pick, Enter") << "Tab>cmdOK"
                                              << ""
                                              << "01" << QStringList{"Enter"} << "01";
        QTest::newRow("Enter on OK") << "Tab>cmdCancel"
                                     << ""
                                     << "01" << QStringList{"Down", "Tab>cmdOK", "Enter"} << "02";
        QTest::newRow("Enter on OK, unknown code") << "Tab>cmdOK"
                                                   << "75"
                                                   << "" << QStringList{"Tab>cmdOK", "Enter"} << "";
    }
    void popUpOpensReadyForTheKeys() {
        QFETCH(QString, before);
        QFETCH(QString, code);
        QFETCH(QString, shown);
        QFETCH(QStringList, keys);
        QFETCH(QString, chosen);
        CountySelector selector;
        TestSupport::UiScript ui;
        const auto press = [](QDialog& dialog, const QString& key) {
            QVERIFY(dialog.focusWidget());
            if (key.startsWith(QStringLiteral("Tab>"))) {
                for (int i = 0; i < 20 && dialog.focusWidget()->objectName() != key.mid(4); ++i)
                    QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
                QCOMPARE(dialog.focusWidget()->objectName(), key.mid(4));
            } else {
                QTest::keyClick(dialog.focusWidget(), key == QStringLiteral("Down") ? Qt::Key_Down : Qt::Key_Return);
            }
        };
        if (!before.isEmpty()) {
            ui.expectModal([&](QDialog& dialog) {
                if (before == QStringLiteral("close")) {
                    dialog.close();
                    return;
                }
                press(dialog, before);
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Space);
            });
            selector.GetCountyCode(QStringLiteral("1"));
        }
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(dialog.focusWidget(), countyList(dialog));
            QVERIFY(countyList(dialog)->currentItem());
            const QString current = countyList(dialog)->currentItem()->text();
            QCOMPARE(selectedRow(dialog).right(2), shown);
            QCOMPARE(current.right(2), shown.isEmpty() ? QStringLiteral("01") : shown);
            for (const QString& key : keys) press(dialog, key);
            QVERIFY(!dialog.isVisible());
        });
        QCOMPARE(selector.GetCountyCode(code), chosen);
    }

    // Choosing a default in the pop-up before any county is picked leaves
    // the default unset and OK off (Enter does nothing) until the user picks
    // one; Esc then keeps the pick list, with no default.
    void aDefaultInThePopUpWaitsForAPick() {
        CountySelector selector;
        QSignalSpy changed(&selector, &CountySelector::BehaviorChanged);
        TestSupport::UiScript ui;
        for (const bool pick : {false, true}) {
            ui.expectModal([&](QDialog& dialog) {
                QCOMPARE(selectedRow(dialog), QString());
                click(dialog, "optBehavior1");
                QCOMPARE(dialog.focusWidget()->objectName(), QStringLiteral("optBehavior1"));
                QCOMPARE(label(dialog, "lblDefaultCode"), QString());
                QVERIFY(!okEnabled(dialog));
                QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
                QVERIFY(dialog.isVisible());
                if (!pick) {
                    QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
                    return;
                }
                countyList(dialog)->setFocus();
                QTest::keyClick(countyList(dialog), Qt::Key_Return);
                QVERIFY(dialog.isVisible());
                QTest::keyClick(countyList(dialog), Qt::Key_Down);
                QCOMPARE(label(dialog, "lblDefaultCode"), QStringLiteral("02"));
                QTest::keyClick(countyList(dialog), Qt::Key_Return);
            });
            QCOMPARE(selector.GetCountyCode(), pick ? QStringLiteral("02") : QString());
            QCOMPARE(selector.Behavior(), pick ? 1 : 0);
            QCOMPARE(selector.DefaultCode(), pick ? QStringLiteral("02") : QString());
            QCOMPARE(changed.count(), pick ? 1 : 0);
        }
    }

    // Tab goes round the window in the order it is drawn: the list, Sort By
    // beside it, OK, Cancel, then the options below; Shift+Tab goes back.
    void tabFollowsTheDrawnOrder() {
        CountySelector selector;
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            dialog.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            const QStringList drawn{"lstCountyCodes", "optSort", "cmdOK", "cmdCancel", "optBehavior", "lstCountyCodes"};
            for (const bool forward : {true, false}) {
                countyList(dialog)->setFocus();
                const QList<QWidget*> cycle = TestSupport::tabCycle(dialog, forward);
                QStringList names;
                // An option group is one stop, whichever option it lands on.
                for (QWidget* stop : cycle)
                    names << (stop ? stop->objectName().remove(QRegularExpression(QStringLiteral("\\d$")))
                                   : QStringLiteral("-"));
                QStringList expected = drawn;
                if (!forward) std::reverse(expected.begin(), expected.end());
                QCOMPARE(names, expected);
                QVERIFY2(TestSupport::unreachedStops(dialog, cycle).isEmpty(), qPrintable(TestSupport::pathOf(cycle)));
            }
            click(dialog, "cmdCancel");
        });
        selector.Setup();
    }

    void defaultAndManualModesShowNothing_data() {
        QTest::addColumn<int>("behavior");
        QTest::addColumn<QString>("defaultCode");
        QTest::addColumn<QString>("code");
        QTest::newRow("manual entry") << 2 << "05"
                                      << "";
        QTest::newRow("default set") << 1 << "01"
                                     << "01";
        QTest::newRow("no default") << 1 << ""
                                    << "";
    }

    void defaultAndManualModesShowNothing() {
        QFETCH(int, behavior);
        QFETCH(QString, defaultCode);
        QFETCH(QString, code);
        store(behavior, defaultCode, 0);
        CountySelector selector;
        QCOMPARE(selector.GetCountyCode(QStringLiteral("12")), code);
    }

    void cancelRestoresWhatWasLastConfirmed() {
        store(1, QStringLiteral("01"), 0);
        CountySelector selector;
        QSignalSpy changed(&selector, &CountySelector::BehaviorChanged);
        const QString description = selector.BehaviorDescription();
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(selectedRow(dialog).right(2), QStringLiteral("01"));
            clickRow(dialog, QStringLiteral("05"));
            QCOMPARE(label(dialog, "lblDefaultCode"), QStringLiteral("05"));
            QCOMPARE(label(dialog, "lblDefaultName"), QStringLiteral("Cayuga"));
            click(dialog, "cmdCancel");
        });
        selector.Setup();
        QCOMPARE(selector.DefaultCode(), QStringLiteral("01"));
        QCOMPARE(selector.BehaviorDescription(), description);

        // In the pop-up: switched to manual entry, then cancelled.
        selector.setBehavior(ZozedizIZ::csShowPickList);
        changed.clear();
        ui.expectModal([&](QDialog& dialog) {
            click(dialog, "optBehavior2");
            QVERIFY(!countyList(dialog)->isEnabled());
            click(dialog, "cmdCancel");
        });
        QCOMPARE(selector.GetCountyCode(QStringLiteral("3")), QString());
        QCOMPARE(selector.Behavior(), 1); // the last confirmed one, not the public set
        QCOMPARE(selector.DefaultCode(), QStringLiteral("01"));
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(selectedRow(dialog).right(2), QStringLiteral("01"));
            click(dialog, "cmdCancel");
        });
        selector.Setup();
        QCOMPARE(changed.count(), 0);
    }

    void choosingADefaultInSetup() {
        CountySelector selector;
        QSignalSpy changed(&selector, &CountySelector::BehaviorChanged);
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) {
            click(dialog, "optBehavior1");
            QVERIFY(!dialog.findChild<QGroupBox*>(QStringLiteral("fraDefaultCounty"))->isHidden());
            QVERIFY(!okEnabled(dialog));
            // Heard as not set, not by the frame's title (the walk checks).
            TestSupport::walkWindow(dialog);
            clickRow(dialog, QStringLiteral("05"));
            QVERIFY(dialog.isVisible());
            QVERIFY(okEnabled(dialog));
            QCOMPARE(label(dialog, "lblDefaultName"), QStringLiteral("Cayuga"));
            QCOMPARE(TestSupport::accessibleName(dialog.findChild<QLabel*>(QStringLiteral("lblDefaultCode"))),
                     QStringLiteral("County Code: 05"));
            click(dialog, "cmdOK");
        });
        selector.Setup();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), int(ZozedizIZ::csUseDefaultCode));
        QCOMPARE(selector.BehaviorDescription(), QStringLiteral("Using Default County 05 (Cayuga)."));
        QCOMPARE(selector.GetCountyCode(), QStringLiteral("05"));

        // Nothing changed: nothing raised.
        ui.expectModal([&](QDialog& dialog) { click(dialog, "cmdOK"); });
        selector.Setup();
        QCOMPARE(changed.count(), 1);
    }

    void publicPropertiesRaiseOnceWithWhatTheyStored() {
        store(1, QStringLiteral("01"), 0);
        CountySelector selector;
        QSignalSpy changed(&selector, &CountySelector::BehaviorChanged);
        selector.setDefaultCode(QStringLiteral("03"));
        QCOMPARE(selector.DefaultCode(), QStringLiteral("03"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 1);
        selector.setDefaultCode(QStringLiteral("03"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(selector.GetCountyCode(), QStringLiteral("03"));

        selector.setBehavior(5); // stored as the pick list
        QCOMPARE(selector.Behavior(), 0);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(1).at(0).toInt(), 0);
        selector.setBehavior(-1);
        QCOMPARE(changed.count(), 2);
        selector.setBehavior(ZozedizIZ::csDisablePopup);
        QCOMPARE(changed.at(2).at(0).toInt(), 2);
    }

    // The close box counts as OK; the next showing loads the window afresh.
    void closeBoxActsAsOk() {
        CountySelector selector;
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& dialog) { dialog.close(); });
        QCOMPARE(selector.GetCountyCode(QStringLiteral("5")), QStringLiteral("05"));
        ui.expectModal([&](QDialog& dialog) {
            QCOMPARE(selectedRow(dialog).right(2), QStringLiteral("05"));
            QVERIFY(dialog.findChild<QRadioButton*>(QStringLiteral("optBehavior0"))->isChecked());
            QVERIFY(dialog.findChild<QRadioButton*>(QStringLiteral("optSort0"))->isChecked());
            clickRow(dialog, QStringLiteral("07"));
        });
        QCOMPARE(selector.GetCountyCode(), QStringLiteral("07"));
    }

    void settingsAreSavedWhenTheSelectorEnds() {
        {
            CountySelector selector;
            TestSupport::UiScript ui;
            ui.expectModal([&](QDialog& dialog) {
                click(dialog, "optSort1");
                clickRow(dialog, QStringLiteral("62"));
                click(dialog, "optBehavior1");
                click(dialog, "cmdOK");
            });
            selector.Setup();
            QCOMPARE(selector.DefaultCode(), QStringLiteral("62"));
        }
        // Read back from the stored settings, not from the cache.
        Vezedad::Globals::Release();
        Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
        QCOMPARE(settings.CountySelectorBehavior(), 1);
        QCOMPARE(settings.CountySelectorDefault(), QStringLiteral("62"));
        QCOMPARE(settings.CountySelectorSorting(), 1);
    }
};

QTEST_MAIN(tst_county)
#include "tst_county.moc"
