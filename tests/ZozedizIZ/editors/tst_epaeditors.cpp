#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using Vezedad::Ui::MessageBoxCall;
using ZozedizIZ::EpaDataList;

namespace {

const QByteArray kTwoProducts = "111-1|Alpha\r\n222-2|Beta\r\n";

QString listPath() {
    return Vezedad::Globals::FSO().BuildPath(Vezedad::Globals::Configuration().ResourcePath(),
                                             QStringLiteral("EpaList.txt"));
}

EpaDataList& list() { return ZozedizIZ::Globals::EpaList(); }

QTreeView* view(QDialog& editor) { return editor.findChild<QTreeView*>(QStringLiteral("lstData")); }

// Each row as number "|" name, as the view shows it.
QStringList rows(QDialog& editor) {
    QStringList out;
    const QAbstractItemModel* model = view(editor)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        out << model->index(row, 0).data().toString() + QLatin1Char('|') + model->index(row, 1).data().toString();
    return out;
}

bool anyRowSelected(QDialog& editor) { return view(editor)->selectionModel()->hasSelection(); }

void selectRow(QDialog& editor, int row) {
    QTreeView* v = view(editor);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(v->model()->index(row, 0)).center());
    QVERIFY(anyRowSelected(editor));
}

void click(QDialog& window, const char* name) {
    auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QVERIFY2(button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

QLineEdit* box(QDialog& window, const char* name) { return window.findChild<QLineEdit*>(QString::fromLatin1(name)); }

QString message(QDialog& product) { return product.findChild<QLabel*>(QStringLiteral("lblValMessage"))->text(); }

// The window in front, so that the focus moves as it does for a user.
void activate(QDialog& window) {
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Types a number and leaves its box with Tab; the box's check runs once the
// key has been handled.
void typeNumber(QDialog& product, const QString& number) {
    QLineEdit* numberBox = box(product, "txtEpaNumber");
    QTRY_VERIFY(numberBox->hasFocus());
    numberBox->selectAll();
    QTest::keyClicks(numberBox, number);
    QTest::keyClick(numberBox, Qt::Key_Tab);
    QApplication::processEvents();
}

// Types a product into the product window as a user would: the number, Tab,
// the name.
void typeProduct(QDialog& product, const QString& number, const QString& name) {
    activate(product);
    typeNumber(product, number);
    QLineEdit* nameBox = box(product, "txtProductName");
    QTRY_VERIFY(nameBox->hasFocus());
    nameBox->selectAll();
    // Keys are typed; what no key gives comes in as pasted.
    bool typeable = true;
    for (QChar c : name) typeable = typeable && c.unicode() < 0x80;
    if (typeable)
        QTest::keyClicks(nameBox, name);
    else
        nameBox->insert(name);
}

void checkBox(const MessageBoxCall& call, const QString& title, const QString& prompt, qint32 buttons) {
    QCOMPARE(call.title, title);
    QCOMPARE(call.prompt, prompt);
    QCOMPARE(call.buttons, buttons);
}

} // namespace

class tst_epaeditors : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        ZozedizIZ::Globals::Release();
        QFile::remove(listPath());
        QDir(listPath()).removeRecursively();
        TestSupport::writeFile(listPath(), kTwoProducts);
        ZozedizIZ::Globals::Release();
        QCOMPARE(list().Count(), 2);
    }

    void cleanupTestCase() { ZozedizIZ::Globals::Release(); }

    void showsTheListWithItsButtons() {
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            QCOMPARE(editor.objectName(), QStringLiteral("frmEPAEditor"));
            QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Product List"));
            QCOMPARE(rows(editor), (QStringList{"111-1|Alpha", "222-2|Beta"}));
            QVERIFY(!anyRowSelected(editor));
            const QAbstractItemModel* model = view(editor)->model();
            QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("EPA Reg. Number"));
            QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Product Name"));
            QVERIFY(editor.findChild<QPushButton*>(QStringLiteral("cmdSave"))->isDefault());
            QCOMPARE(editor.findChild<QPushButton*>(QStringLiteral("cmdReload"))->toolTip(),
                     QStringLiteral("Ignore all edits; reload the file."));
            click(editor, "cmdExit");
        });
        list().EditList();
    }

    void editAndDeleteNeedASelectedRow_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("Edit") << "cmdEdit"
                              << "You must select an item first before editing";
        QTest::newRow("Delete") << "cmdDelete"
                                << "You must first select an item before deleting";
    }

    void editAndDeleteNeedASelectedRow() {
        QFETCH(QString, button);
        QFETCH(QString, prompt);
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            ui.expectBox(Vezedad::Ui::vbOK);
            click(editor, button.toLatin1().constData());
            QCOMPARE(ui.boxes().size(), 1);
            checkBox(ui.boxes().at(0), QString(), prompt, Vezedad::Ui::vbOKOnly);
            QCOMPARE(rows(editor).size(), 2);
            click(editor, "cmdExit");
        });
        list().EditList();
        QVERIFY(!list().IsDirty());
    }

    // Delete asks nothing; leaving with No keeps the change in the shared
    // list for the rest of the run, and the file as it was.
    void deleteAndLeaveWithoutSaving() {
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 0);
            click(editor, "cmdDelete");
            QCOMPARE(rows(editor), QStringList{"222-2|Beta"});
            QVERIFY(!anyRowSelected(editor));
            QVERIFY(ui.boxes().isEmpty());
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectBox(Vezedad::Ui::vbOK);
            editor.close();
            QVERIFY(!editor.isVisible());
        });
        list().EditList();
        QCOMPARE(ui.boxes().size(), 2);
        checkBox(ui.boxes().at(0), QStringLiteral("Save Before Exiting?"),
                 QStringLiteral("EPA List has changed. Save it?"),
                 Vezedad::Ui::vbQuestion | Vezedad::Ui::vbYesNoCancel);
        checkBox(ui.boxes().at(1), QStringLiteral("Changes Not Saved"),
                 QStringLiteral("Any changes will remain available until you exit the application."),
                 Vezedad::Ui::vbInformation | Vezedad::Ui::vbOKOnly);
        QCOMPARE(TestSupport::readFile(listPath()), kTwoProducts);

        ui.expectModal([&](QDialog& editor) {
            QCOMPARE(rows(editor), QStringList{"222-2|Beta"});
            ui.expectBox(Vezedad::Ui::vbYes);
            click(editor, "cmdExit");
        });
        list().EditList();
        QCOMPARE(TestSupport::readFile(listPath()), QByteArray("222-2|Beta\r\n"));
        QVERIFY(!list().IsDirty());
    }

    void cancelAtTheClosingQuestionKeepsTheWindowOpen() {
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 1);
            click(editor, "cmdDelete");
            ui.expectBox(Vezedad::Ui::vbCancel);
            click(editor, "cmdExit");
            QVERIFY(editor.isVisible());
            ui.expectBox(Vezedad::Ui::vbCancel);
            editor.close();
            QVERIFY(editor.isVisible());
            // Enter saves; then the window closes without a question.
            view(editor)->setFocus();
            QTest::keyClick(view(editor), Qt::Key_Return);
            QCOMPARE(TestSupport::readFile(listPath()), QByteArray("111-1|Alpha\r\n"));
            click(editor, "cmdExit");
        });
        list().EditList();
        QCOMPARE(ui.boxes().size(), 2);
    }

    void clearAsks_data() {
        QTest::addColumn<qint32>("answer");
        QTest::addColumn<int>("count");
        QTest::newRow("OK") << qint32(Vezedad::Ui::vbOK) << 0;
        QTest::newRow("Cancel") << qint32(Vezedad::Ui::vbCancel) << 2;
    }

    void clearAsks() {
        QFETCH(qint32, answer);
        QFETCH(int, count);
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            ui.expectBox(answer);
            click(editor, "cmdClear");
            QCOMPARE(rows(editor).size(), count);
            if (count == 0) ui.expectBox(Vezedad::Ui::vbNo), ui.expectBox(Vezedad::Ui::vbOK);
            click(editor, "cmdExit");
        });
        list().EditList();
        checkBox(ui.boxes().at(0), QStringLiteral("Clear the EPA List?"),
                 QStringLiteral("This will remove all items from the EPA Product List.\r\n"
                                "This action can only be undone by Reloading the saved file."),
                 Vezedad::Ui::vbExclamation | Vezedad::Ui::vbOKCancel);
        QCOMPARE(list().Count(), count);
    }

    // Reload asks; Escape is Reload's key. After a reload nothing is asked on
    // the way out.
    void reloadAsks() {
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 0);
            click(editor, "cmdDelete");
            ui.expectBox(Vezedad::Ui::vbNo);
            click(editor, "cmdReload");
            QCOMPARE(rows(editor).size(), 1);
            ui.expectBox(Vezedad::Ui::vbYes);
            QTest::keyClick(view(editor), Qt::Key_Escape);
            QVERIFY(editor.isVisible());
            QCOMPARE(rows(editor), (QStringList{"111-1|Alpha", "222-2|Beta"}));
            click(editor, "cmdExit");
        });
        list().EditList();
        QCOMPARE(ui.boxes().size(), 2);
        checkBox(ui.boxes().at(1), QStringLiteral("Reload List"),
                 QStringLiteral("Reload the last-saved product list, losing any changes since then?"),
                 Vezedad::Ui::vbQuestion | Vezedad::Ui::vbYesNo);
    }

    void failedSavesAreShownWithTheirPlace_data() {
        QTest::addColumn<bool>("onExit");
        QTest::addColumn<QString>("location");
        QTest::newRow("Save button") << false << "In ZozedizIZ::frmEPAEditor.cmdSave_Click\n";
        QTest::newRow("closing question") << true << "In ZozedizIZ::frmEPAEditor.Form_QueryUnload\n";
    }

    // A save that fails on the way out is shown, and the window still closes
    // with the changes kept in memory.
    void failedSavesAreShownWithTheirPlace() {
        QFETCH(bool, onExit);
        QFETCH(QString, location);
        QVERIFY(QFile::remove(listPath()));
        QVERIFY(QDir().mkpath(listPath()));
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 0);
            click(editor, "cmdDelete");
            if (onExit) ui.expectBox(Vezedad::Ui::vbYes);
            ui.expectBox(Vezedad::Ui::vbOK);
            click(editor, onExit ? "cmdExit" : "cmdSave");
            QCOMPARE(editor.isVisible(), !onExit);
            if (!onExit) ui.expectBox(Vezedad::Ui::vbNo), ui.expectBox(Vezedad::Ui::vbOK), editor.close();
        });
        list().EditList();
        const QString shown = ui.boxes().at(onExit ? 1 : 0).prompt;
        QVERIFY2(
            shown.startsWith(QStringLiteral("Error 75: The EPA Product List was not saved. Path/File access error: ")),
            qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("; nothing was saved.\n") + location +
                                QStringLiteral("-->ZozedizIZ::EpaDataList.Save\r\n-->FileSystemObject")),
                 qPrintable(shown));
        QVERIFY(list().IsDirty());
        QCOMPARE(list().Count(), 1);
    }

    void skippedLinesAreToldOnceOnOpening() {
        TestSupport::writeFile(listPath(), "111-1|Alpha\r\nnonsense|Junk\r\n12|Short\r\n");
        list().Read();
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            QCOMPARE(ui.boxes().size(), 1);
            QVERIFY2(ui.boxes().at(0).prompt.startsWith(QStringLiteral("2 lines of the product list file")),
                     qPrintable(ui.boxes().at(0).prompt));
            QCOMPARE(rows(editor), QStringList{"111-1|Alpha"});
            click(editor, "cmdExit");
        });
        ui.expectBox(Vezedad::Ui::vbOK);
        list().EditList();
        ui.expectModal([&](QDialog& editor) { click(editor, "cmdExit"); });
        list().EditList();
        QCOMPARE(ui.boxes().size(), 1);
    }

    void addAProductThroughTheProductWindow() {
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            ui.expectModal([&](QDialog& product) {
                QCOMPARE(product.objectName(), QStringLiteral("frmEpaItemEditor"));
                QCOMPARE(product.windowTitle(), QStringLiteral("Product Info"));
                QVERIFY(box(product, "txtEpaNumber")->text().isEmpty());
                QVERIFY(message(product).isEmpty());
                QPushButton* ok = product.findChild<QPushButton*>(QStringLiteral("cmdOK"));
                QVERIFY(!ok->isEnabled());
                typeProduct(product, QStringLiteral("12345 67"), QStringLiteral("Gamma"));
                QVERIFY(ok->isEnabled());
                click(product, "cmdOK");
                QVERIFY(!product.isVisible());
            });
            click(editor, "cmdAdd");
            QCOMPARE(rows(editor), (QStringList{"111-1|Alpha", "12345-67|Gamma", "222-2|Beta"}));
            QVERIFY(!anyRowSelected(editor));
            ui.expectBox(Vezedad::Ui::vbYes);
            click(editor, "cmdExit");
        });
        list().EditList();
        QCOMPARE(TestSupport::readFile(listPath()), QByteArray("111-1|Alpha\r\n12345-67|Gamma\r\n222-2|Beta\r\n"));
    }

    // Leaving the number box puts the validator's form of the number into it;
    // a refused number keeps the focus, with the reason in the label, and a
    // click on OK meanwhile does nothing.
    void leavingTheNumberBox() {
        const QString refusal =
            Vezedad::Globals::Validator().ValidateField(Vezedad::zrfEPANumber, QStringLiteral("12"), -1)->Message();
        QVERIFY(!refusal.isEmpty());
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 0);
            ui.expectModal([&](QDialog& product) {
                activate(product);
                QLineEdit* numberBox = box(product, "txtEpaNumber");
                typeNumber(product, QStringLiteral("12"));
                QTRY_COMPARE(message(product), refusal);
                QVERIFY(numberBox->hasFocus());
                QCOMPARE(numberBox->text(), QStringLiteral("12"));
                QTest::mouseClick(product.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
                QApplication::processEvents();
                QVERIFY(product.isVisible());
                QVERIFY(numberBox->hasFocus());
                QVERIFY(ui.boxes().isEmpty());

                typeNumber(product, QStringLiteral("12345 67"));
                QTRY_VERIFY(box(product, "txtProductName")->hasFocus());
                QCOMPARE(numberBox->text(), QStringLiteral("12345-67"));
                QVERIFY(message(product).isEmpty());
                QTest::keyClick(box(product, "txtProductName"), Qt::Key_Return);
                QVERIFY(!product.isVisible());
            });
            click(editor, "cmdEdit");
            QCOMPARE(rows(editor), (QStringList{"12345-67|Alpha", "222-2|Beta"}));
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectBox(Vezedad::Ui::vbOK);
            click(editor, "cmdExit");
        });
        list().EditList();
    }

    // All by keyboard: Alt+A opens the product window from the list, Esc
    // closes it, and the list window has the keys again at once, on the
    // button that had them, so that Alt+X then closes it.
    void keysComeBackAfterTheProductWindow() {
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            activate(editor);
            auto* add = editor.findChild<QPushButton*>(QStringLiteral("cmdAdd"));
            add->setFocus();
            ui.expectModal([&](QDialog& product) {
                activate(product);
                QTRY_VERIFY(box(product, "txtEpaNumber")->hasFocus());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                QVERIFY(!product.isVisible());
            });
            // A mnemonic presses its button a moment later, as a click shows.
            QTest::keyClick(&editor, Qt::Key_A, Qt::AltModifier);
            QTRY_COMPARE(ui.modalNames().size(), 2);
            QTRY_COMPARE(QApplication::activeWindow(), &editor);
            QCOMPARE(QApplication::focusWidget(), add);
            QTest::keyClick(&editor, Qt::Key_X, Qt::AltModifier);
            QTRY_VERIFY(!editor.isVisible());
        });
        list().EditList();
        QVERIFY(!list().IsDirty());
    }

    // Cancel runs no check: the refused number it leaves behind says nothing.
    void cancelRunsNoCheck() {
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 0);
            ui.expectModal([&](QDialog& product) {
                activate(product);
                QLineEdit* numberBox = box(product, "txtEpaNumber");
                QTRY_VERIFY(numberBox->hasFocus());
                numberBox->selectAll();
                QTest::keyClicks(numberBox, QStringLiteral("12"));
                QTest::mouseClick(product.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
                QApplication::processEvents();
                QVERIFY(!product.isVisible());
                QVERIFY(message(product).isEmpty());
            });
            click(editor, "cmdEdit");
            QCOMPARE(rows(editor), (QStringList{"111-1|Alpha", "222-2|Beta"}));
            click(editor, "cmdExit");
        });
        list().EditList();
        QVERIFY(ui.boxes().isEmpty());
    }

    void editedProducts_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("name only") << "111-1"
                                   << "Alpha Plus" << QStringList{"111-1|Alpha Plus", "222-2|Beta"};
        QTest::newRow("new number moves") << "333-3"
                                          << "Alpha" << QStringList{"222-2|Beta", "333-3|Alpha"};
        QTest::newRow("another product's number merges") << "222-2"
                                                         << "Merged" << QStringList{"222-2|Merged"};
    }

    void editedProducts() {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 0);
            ui.expectModal([&](QDialog& product) {
                QCOMPARE(box(product, "txtEpaNumber")->text(), QStringLiteral("111-1"));
                QCOMPARE(box(product, "txtProductName")->text(), QStringLiteral("Alpha"));
                typeProduct(product, number, name);
                QTest::keyClick(box(product, "txtProductName"), Qt::Key_Return);
                QVERIFY(!product.isVisible());
            });
            click(editor, "cmdEdit");
            QCOMPARE(rows(editor), expected);
            QVERIFY(!anyRowSelected(editor));
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectBox(Vezedad::Ui::vbOK);
            click(editor, "cmdExit");
        });
        list().EditList();
    }

    void cancellingTheProductWindowChangesNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel button") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }

    // Also the close box: values never confirmed must not become a product.
    void cancellingTheProductWindowChangesNothing() {
        QFETCH(QString, how);
        const auto leave = [&](QDialog& product) {
            if (how == QLatin1String("cancel"))
                click(product, "cmdCancel");
            else if (how == QLatin1String("escape"))
                QTest::keyClick(box(product, "txtProductName"), Qt::Key_Escape);
            else
                product.close();
            QVERIFY(!product.isVisible());
        };
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            ui.expectModal([&](QDialog& product) {
                typeProduct(product, QStringLiteral("333-3"), QStringLiteral("Never"));
                leave(product);
            });
            click(editor, "cmdAdd");
            selectRow(editor, 1);
            ui.expectModal([&](QDialog& product) {
                typeProduct(product, QStringLiteral("444-4"), QStringLiteral("Never"));
                leave(product);
            });
            click(editor, "cmdEdit");
            QCOMPARE(rows(editor), (QStringList{"111-1|Alpha", "222-2|Beta"}));
            click(editor, "cmdExit");
        });
        list().EditList();
        QVERIFY(!list().IsDirty());
    }

    void refusedNamesStayInTheirBox_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // empty: the validator's own message
        QTest::newRow("digits only") << "12345"
                                     << "";
        QTest::newRow("a bar") << "Half|Half"
                               << "The product name holds \"|\", which separates the fields of the file.";
        QTest::newRow("outside the code page")
            << "Ohm \u03a9"
            << "The product name holds the character \"\u03a9\" (U+03A9), which the file cannot hold (only "
               "Western European characters can be saved).";
    }

    // The refusal shows in the label only, with no second box, and the name
    // box keeps the focus until the name is put right.
    void refusedNamesStayInTheirBox() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        if (expected.isEmpty())
            expected = Vezedad::Globals::Validator().ValidateField(Vezedad::zrfProductName, name, -1)->Message();
        QVERIFY(!expected.isEmpty());
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            ui.expectModal([&](QDialog& product) {
                typeProduct(product, QStringLiteral("333-3"), name);
                QLineEdit* nameBox = box(product, "txtProductName");
                QTest::keyClick(nameBox, Qt::Key_Return);
                QVERIFY(product.isVisible());
                QCOMPARE(message(product), expected);
                QCOMPARE(product.focusWidget(), nameBox);
                nameBox->clear();
                QTest::keyClicks(nameBox, QStringLiteral("Gamma"));
                QTest::keyClick(nameBox, Qt::Key_Return);
                QVERIFY(!product.isVisible());
            });
            click(editor, "cmdAdd");
            QCOMPARE(rows(editor).at(2), QStringLiteral("333-3|Gamma"));
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectBox(Vezedad::Ui::vbOK);
            click(editor, "cmdExit");
        });
        list().EditList();
    }

    // A name longer than the box lets one type is shown and kept whole.
    void longStoredNamesAreNotCut() {
        const QString longName = QStringLiteral("A product name from an older list that runs well past the limit");
        QVERIFY(longName.size() < 66);
        const QString longer = longName + QStringLiteral(" of the box");
        TestSupport::writeFile(listPath(), "111-1|" + longer.toLatin1() + "\r\n");
        list().Read();
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& editor) {
            selectRow(editor, 0);
            ui.expectModal([&](QDialog& product) {
                QCOMPARE(box(product, "txtProductName")->text(), longer);
                activate(product);
                QTest::keyClick(box(product, "txtEpaNumber"), Qt::Key_Tab);
                QTRY_VERIFY(box(product, "txtProductName")->hasFocus());
                QTest::keyClick(box(product, "txtProductName"), Qt::Key_Return);
                QVERIFY(!product.isVisible());
            });
            click(editor, "cmdEdit");
            click(editor, "cmdExit");
        });
        list().EditList();
        QCOMPARE(list().Item(1)->ProductName(), longer);
        QVERIFY(!list().IsDirty());
    }
};

QTEST_MAIN(tst_epaeditors)
#include "tst_epaeditors.moc"
