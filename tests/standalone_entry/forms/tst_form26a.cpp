#include "FormTest.h"

#include "applicators/Applicator.h"
#include "applicators/ApplicatorList.h"
#include "applicators/Applicators.h"
#include "forms/Form26A.h"

#include "Vezedad/foundation/Identity.h"
#include "Vezedad/ui/Ui.h"

#include <QAccessible>
#include <QDir>
#include <QFile>

using Dazozuvi::Form26A;
using namespace FormTest;

namespace {

const QString kCertId = QStringLiteral("C1234567");
const QString kBusReg = QStringLiteral("12345");
// The filer's row of a new list, and two more applicators.
const QString kFiler = QStringLiteral("C1234567|12345|Al|Roe|");
const QString kAnn = QStringLiteral("T3456789|12345|ANN|LEE|");
const QString kBo = QStringLiteral("B2345678|12345|BO|RAY|1");

// A report folder whose filer is an applicator with a registration number.
class Year : public Folder {
public:
    Year() { YearFolder::setFiler(kCertId, QStringLiteral("Al Roe"), kBusReg); }
};

bool openForm(UiScript& ui, const QString& path, const std::function<void(Form26A&)>& action,
              const Vezedad::IdentityPtr& identity = nullptr) {
    return showForm<Form26A>(ui, path, action, identity);
}

// A new list for the filer, as the Control Center opens one.
void newForm(UiScript& ui, const std::function<void(Form26A&)>& action) {
    openForm(ui, QString(), action, Vezedad::Globals::ZelReport().Identity());
}

// Types text into a cell and leaves it with Tab, as a user does.
void typeCell(Dazozuvi::ReportGrid& grid, int col, int row, const QString& text) {
    grid.setFocus();
    grid.setActiveCell(col, row);
    if (text.isEmpty()) {
        // Empties the cell: its editor opened, everything in it deleted.
        QVERIFY(grid.startEdit());
        QTest::keyClick(keyTarget(grid), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(keyTarget(grid), Qt::Key_Delete);
    } else {
        type(grid, text);
    }
    press(grid, Qt::Key_Tab);
}

QStringList registryIds() {
    QStringList ids = Dazozuvi::modGlobals::Applicators().Keys();
    ids.sort();
    return ids;
}

} // namespace

class tst_form26a : public QObject {
    Q_OBJECT

private slots:
    // A new list holds the filer in row 1 and one empty row; it counts as
    // changed from the start, so closing it asks.
    void newList() {
        Year year;
        UiScript ui;
        newForm(ui, [&](Form26A& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("ZOV Form 26A: LIST of APPLICATORS and TECHNICIANS"));
            QCOMPARE(text(form, "txtBusRegNum"), kBusReg);
            QCOMPARE(text(form, "txtBusinessName"), kBusiness);
            QCOMPARE(text(form, "lblInclude"),
                     QStringLiteral("List Certified Commercial Applicators and Technicians only.\r\n"
                                    "Do not include Apprentices (who have no Certification ID of their own)."));
            QCOMPARE(form.Grid().columnCount(), 5);
            QCOMPARE(FormTest::rows(form), QStringList{kFiler});
            QCOMPARE(form.Grid().rowCount(), 2);
            QVERIFY(form.IsDirty());
            QVERIFY(!form.findChild<QWidget*>(QStringLiteral("fpEpaList")));
            QTRY_VERIFY(form.Grid().hasFocus());
        });
        QCOMPARE(ui.modalNames(), (QStringList{"Form26A", "frmExitOptions"}));
    }

    // A valid edit in a row without a registration number copies the
    // header's into it, unchecked; a cleared number is accepted without a
    // word and filled again, unless the header has none. The tick box is
    // never checked.
    void registrationNumberCopied() {
        Year year;
        UiScript ui;
        newForm(ui, [&](Form26A& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            typeCell(grid, 1, 2, QStringLiteral("T3456789"));
            QCOMPARE(grid.text(1, 2), QStringLiteral("T3456789"));
            QCOMPARE(grid.text(2, 2), kBusReg);
            QCOMPARE(grid.rowCount(), 3);
            typeCell(grid, 2, 2, QString());
            QCOMPARE(grid.text(2, 2), kBusReg);
            // Ticking "No Applications" is an edit too, unchecked.
            grid.setActiveCell(5, 2);
            press(grid, Qt::Key_Space);
            QCOMPARE(grid.text(5, 2), QStringLiteral("1"));
            QCOMPARE(grid.cellColour(5, 2), Dazozuvi::CellColour::White);
            // Without a number in the header the cell stays empty.
            HeaderBox(form)->setText(QString());
            typeCell(grid, 2, 2, QString());
            QCOMPARE(grid.text(2, 2), QString());
            QVERIFY(ui.boxes().isEmpty());
        });
    }

    // "No Applications" is a tick box: Space and a click toggle it, a typed
    // letter does nothing (an "N" once marked the applicator as having made
    // none), and a screen reader hears a checkable cell named by its column,
    // with its state, also in words, ticked or not (the desktop's bridge
    // passes no "checkable" on: a clear box would sound like an empty cell).
    // Ticked writes "3", not ticked "0".
    void noApplicationsIsATickBox() {
        Year year;
        const QString path = year.file(QStringLiteral("A1234500.txt"));
        UiScript ui;
        newForm(ui, [&](Form26A& form) {
            Dazozuvi::ReportGrid& grid = form.Grid();
            setRows(form, {kFiler, kAnn});
            grid.setFocus();
            grid.setActiveCell(5, 1);
            type(grid, QStringLiteral("N"));
            QVERIFY(!grid.isEditing());
            QCOMPARE(grid.text(5, 1), QString());
            press(grid, Qt::Key_Space);
            QCOMPARE(grid.text(5, 1), QStringLiteral("1"));

            QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
            QAccessibleInterface* cell = table->tableInterface()->cellAt(0, 4);
            QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("No Applications: Ticked"));
            QCOMPARE(cell->text(QAccessible::Description), QStringLiteral("Ticked"));
            QVERIFY(cell->state().checkable);
            QVERIFY(cell->state().checked);
            QAccessibleInterface* clear = table->tableInterface()->cellAt(1, 4);
            QCOMPARE(clear->text(QAccessible::Name), QStringLiteral("No Applications: Not ticked"));
            QCOMPARE(clear->text(QAccessible::Description), QStringLiteral("Not ticked"));
            QVERIFY(clear->state().checkable);
            QVERIFY(!clear->state().checked);
            // Other cells are heard by their texts.
            QCOMPARE(table->tableInterface()->cellAt(1, 0)->text(QAccessible::Name), QStringLiteral("T3456789"));
            QCOMPARE(table->tableInterface()->cellAt(1, 0)->text(QAccessible::Description), QString());
            // Unticked and ticked again, the words follow.
            press(grid, Qt::Key_Space);
            QCOMPARE(grid.text(5, 1), QStringLiteral("0"));
            QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("No Applications: Not ticked"));
            QCOMPARE(cell->text(QAccessible::Description), QStringLiteral("Not ticked"));
            press(grid, Qt::Key_Space);
            QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("No Applications: Ticked"));

            const QRect second = grid.visualRect(grid.gridModel().index(1, 4));
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, second.center());
            QCOMPARE(grid.text(5, 2), QStringLiteral("1"));
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, second.center());
            press(grid, Qt::Key_Space);
            QCOMPARE(grid.text(5, 2), QStringLiteral("1"));
            save(ui, form, path);
        });
        QCOMPARE(TestSupport::readFile(path), crlf({"3|" + kFiler, "3|" + kAnn}));
    }

    // A file's indicator that is neither "0" nor "3" reads as no
    // applications, as the registry reads it, and is saved as "3": the user
    // is told so when the list opens, naming the rows.
    void otherIndicatorsAreTold_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("told"); // "" for no word
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray ann = "|T3456789|12345|ANN|LEE|\r\n";
        const QByteArray bo = "|B2345678|12345|BO|RAY|\r\n";
        const QByteArray cy = "|X1234567|12345|CY|ZED|\r\n";
        QTest::newRow("0 and 3 only") << "0" + ann + "3" + bo << QString() << QStringList{"0", "1"}
                                      << "0" + ann + "3" + bo;
        QTest::newRow("one other") << "0" + ann + "N" + bo << QStringLiteral("Row 2 holds") << QStringList{"0", "1"}
                                   << "0" + ann + "3" + bo;
        QTest::newRow("several, an empty one among them")
            << "1" + ann + "3" + bo + cy << QStringLiteral("2 rows (1 and 3) hold") << QStringList{"1", "1", "1"}
            << "3" + ann + "3" + bo + "3" + cy;
    }
    void otherIndicatorsAreTold() {
        QFETCH(QByteArray, file);
        QFETCH(QString, told);
        QFETCH(QStringList, marks);
        QFETCH(QByteArray, saved);
        Year year;
        const QString path = year.write(QStringLiteral("A1234500.txt"), file);
        UiScript ui;
        if (!told.isEmpty()) ui.expectBox();
        QVERIFY(!openForm(ui, path, [&](Form26A& form) {
            QStringList shown;
            for (int r = 1; r <= form.Grid().lastDataRow(); ++r) shown << form.Grid().text(5, r);
            QCOMPARE(shown, marks);
            QVERIFY(!form.IsDirty());
            form.GridController()->setIsDirty(true);
            save(ui, form, QString());
        }));
        if (!told.isEmpty()) {
            const auto& box = ui.boxes().value(0);
            QCOMPARE(box.title, QStringLiteral("Opening Data File"));
            QVERIFY2(box.prompt.startsWith(QStringLiteral("File 'A1234500.txt':\r\n") + told +
                                           QStringLiteral(" a \"No Applications\" indicator other than \"0\" or "
                                                          "\"3\" in the file.")),
                     qPrintable(box.prompt));
            QVERIFY2(box.prompt.contains(QStringLiteral("writes \"3\"")), qPrintable(box.prompt));
        }
        QCOMPARE(TestSupport::readFile(path), saved);
    }

    // The indicator follows the "No Applications" cell ("0" or empty: made
    // applications), the cells are trimmed, and the rows that hold nothing
    // but a mark or the copied registration number are left out.
    void writes_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("file");
        QTest::newRow("marks") << QStringList{kFiler + "0", kAnn, kBo, "X1234567|12345|CY|ZED|yes"}
                               << QStringList{"0|" + kFiler, "0|" + kAnn, "3|B2345678|12345|BO|RAY|",
                                              "3|X1234567|12345|CY|ZED|"};
        QTest::newRow("rows left out") << QStringList{kFiler,       "||||1",   "|12345|||",
                                                      "|12345|||1", QString(), " T3456789 | 12345 | ANN | LEE |"}
                                       << QStringList{"0|" + kFiler, "0|" + kAnn};
        QTest::newRow("a number that is not the copied one stays")
            << QStringList{kFiler, "|1234|||"} << QStringList{"0|" + kFiler, "0||1234|||"};
    }
    void writes() {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, file);
        Year year;
        const QString path = year.file(QStringLiteral("A1234500.txt"));
        UiScript ui;
        newForm(ui, [&](Form26A& form) {
            setRows(form, rows);
            save(ui, form, path);
            QVERIFY(!form.IsDirty());
        });
        QCOMPARE(TestSupport::readFile(path), crlf(file));
    }

    // Each line that holds anything is a row, in the file's order: repeated
    // ids, in any letter case, and lines without an id stay rows of their
    // own, to be seen and corrected. The header's number comes from the
    // first row; the list opens unchanged, checked without a word.
    void reads_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("busReg");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("repeated ids and lines without one")
            << QByteArray("0|T3456789|23456|ANN|LEE|\r\n0|t3456789|12345|ANNE|LEE|\r\n3||12345|NO|ID|\r\n"
                          "\r\n0||12345|NONE|EITHER|\r\n")
            << QStringLiteral("23456")
            << QStringList{"T3456789|23456|ANN|LEE|0", "T3456789|12345|ANNE|LEE|0", "|12345|NO|ID|1",
                           "|12345|NONE|EITHER|0"};
        QTest::newRow("an empty line first") << QByteArray("\r\n3|B2345678|23456|BO|RAY|\r\n")
                                             << QStringLiteral("23456") << QStringList{"B2345678|23456|BO|RAY|1"};
        QTest::newRow("no indicator column") << QByteArray("T3456789|23456|ANN|LEE|\r\n") << QStringLiteral("23456")
                                             << QStringList{"T3456789|23456|ANN|LEE|0"};
        // Shown as it stands; the list still opens.
        QTest::newRow("a number the identity refuses")
            << QByteArray("0|T3456789|12X|ANN|LEE|\r\n") << QStringLiteral("12X")
            << QStringList{"T3456789|12X|ANN|LEE|0"};
        // Upper case as the other forms load their records, whatever the
        // check then finds: an id it refuses too, and a name beyond ASCII.
        QTest::newRow("small letters") << QByteArray("0|t3456789|12345|zo\xEB|lee|\r\n0|x12|12345|ann|lee|\r\n")
                                       << QStringLiteral("12345")
                                       << QStringList{"T3456789|12345|ZO\u00CB|LEE|0", "X12|12345|ANN|LEE|0"};
        QTest::newRow("first row without a number")
            << QByteArray("0|T3456789||ANN|LEE|\r\n0|B2345678|23456|BO|RAY|\r\n") << QString()
            << QStringList{"T3456789||ANN|LEE|0", "B2345678|23456|BO|RAY|0"};
    }
    void reads() {
        QFETCH(QByteArray, file);
        QFETCH(QString, busReg);
        QFETCH(QStringList, rows);
        Year year;
        YearFolder::setFiler(kCertId, QStringLiteral("Al Roe"), QString());
        const QString path = year.write(QStringLiteral("A1234500.txt"), file);
        UiScript ui;
        QVERIFY(!openForm(ui, path, [&](Form26A& form) {
            QCOMPARE(FormTest::rows(form), rows);
            QCOMPARE(form.Grid().rowCount(), rows.size() + 1);
            QCOMPARE(text(form, "txtBusRegNum"), busReg);
            // The identity copy takes only a number the identity accepts.
            QCOMPARE(form.IdentityClone()->BusRegNumber(), busReg == QStringLiteral("12X") ? QString() : busReg);
            QVERIFY(!form.IsDirty());
            QVERIFY(!HeaderBox(form)->isEnabled());
        }));
        QCOMPARE(ui.modalNames(), QStringList{"Form26A"});
    }

    // A list in UTF-8 is read as such, upper-cased as every row, and the
    // user is told; a save writes Windows-1252, and a name that it cannot
    // hold stops it, named with its place.
    void utf8List() {
        Year year;
        const QByteArray file = "0|T3456789|12345|j\xC3\xB6rg|m\xC3\xBCller|\r\n0|B2345678|12345|\xC5\x81ucja|lee|\r\n";
        const QString path = year.write(QStringLiteral("A1234500.txt"), file);
        UiScript ui;
        ui.expectBox(); // the notice
        QVERIFY(!openForm(ui, path, [&](Form26A& form) {
            QCOMPARE(FormTest::rows(form), (QStringList{QStringLiteral("T3456789|12345|J\u00D6RG|M\u00DCLLER|0"),
                                                        QStringLiteral("B2345678|12345|\u0141UCJA|LEE|0")}));
            QVERIFY(!form.IsDirty());
            form.GridController()->setIsDirty(true);
            ui.expectBox(Vezedad::Ui::vbNo); // validate first?
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QVERIFY2(ui.boxes().last().prompt.startsWith(
                         QStringLiteral("Nothing was saved. Row 2, column 3 (First Name) holds the character "
                                        "\"\u0141\" (U+0141)")),
                     qPrintable(ui.boxes().last().prompt));
            form.Grid().setText(3, 2, QStringLiteral("LUCJA"));
            save(ui, form, QString());
            QVERIFY(!form.IsDirty());
        }));
        QCOMPARE(ui.boxes().value(0).title, QStringLiteral("Opening Data File"));
        QVERIFY2(
            ui.boxes().value(0).prompt.contains(QStringLiteral("It is UTF-8 (Unicode) text and was read as such.")),
            qPrintable(ui.boxes().value(0).prompt));
        QCOMPARE(TestSupport::readFile(path),
                 QByteArray("0|T3456789|12345|J\xD6RG|M\xDCLLER|\r\n0|B2345678|12345|LUCJA|LEE|\r\n"));
    }

    // However long, a list is read at once; more than 500 rows are then
    // checked under the progress window, still without a verdict.
    void longListCheckedUnderProgress() {
        Year year;
        QByteArray file;
        for (int i = 0; i < 501; ++i) file += "0|T" + QByteArray::number(1000000 + i) + "|12345|ANN|LEE|\r\n";
        const QString path = year.write(QStringLiteral("A1234500.txt"), file);
        UiScript ui;
        ui.expectModal(progressRuns());
        QVERIFY(!openForm(ui, path, [&](Form26A& form) {
            QCOMPARE(form.Grid().lastDataRow(), 501);
            QVERIFY(!form.IsDirty());
        }));
        QCOMPARE(ui.modalNames(), (QStringList{"frmProgress", "Form26A"}));
        QVERIFY(ui.boxes().isEmpty());
    }

    // Saved again, a list with repeated ids keeps every line.
    void repeatedIdsSavedAgain() {
        Year year;
        const QByteArray list = "0|T3456789|12345|ANN|LEE|\r\n3|T3456789|12345|ANNE|LEE|\r\n";
        const QString path = year.write(QStringLiteral("A1234500.txt"), list);
        UiScript ui;
        openForm(ui, path, [&](Form26A& form) {
            form.GridController()->setIsDirty(true);
            save(ui, form, QString());
        });
        QCOMPARE(TestSupport::readFile(path), list);
    }

    // A first line refused at the question opens an empty list bound to the
    // file, which is not touched: there is nothing to save.
    void refusedFirstLine() {
        Year year;
        const QByteArray file = "0|T3456789\r\n0|B2345678|23456|BO|RAY|\r\n";
        const QString path = year.write(QStringLiteral("A1234500.txt"), file);
        UiScript ui;
        ui.expectBox(Vezedad::Ui::vbNo);
        QVERIFY(!openForm(ui, path, [&](Form26A& form) {
            QCOMPARE(text(form, "lblFileName"), QStringLiteral("File: A1234500.txt"));
            QCOMPARE(form.Grid().lastDataRow(), 0);
            QVERIFY(!form.IsDirty());
            form.GridController()->setIsDirty(true);
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QVERIFY(form.IsDirty());
        }));
        QCOMPARE(ui.boxes().value(0).title, QStringLiteral("Opening Data File"));
        QCOMPARE(ui.boxes().value(1).prompt, QStringLiteral("The data form is empty, so there is nothing to save."));
        QCOMPARE(TestSupport::readFile(path), file);
    }

    // A list whose first record has the older four columns while later
    // records start with an indicator asks before it loads, No the default:
    // No opens an empty list bound to the untouched file; Yes loads every
    // line in four columns and says what that does to the records read one
    // column off, and a save writes them as shown.
    void fourColumnsWithIndicators_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(Vezedad::Ui::vbNo);
        QTest::newRow("Yes") << int(Vezedad::Ui::vbYes);
    }
    void fourColumnsWithIndicators() {
        QFETCH(int, answer);
        Year year;
        const QByteArray file = "T3456789|12345|ANN|LEE|\r\n0|B2345678|12345|BO|RAY|\r\n3|X1234567|12345|CY|ZED|\r\n";
        const QString path = year.write(QStringLiteral("A1234500.txt"), file);
        UiScript ui;
        ui.expectBox(answer);
        if (answer == Vezedad::Ui::vbYes) ui.expectBox(); // what the load tells
        QVERIFY(!openForm(ui, path, [&](Form26A& form) {
            if (answer == Vezedad::Ui::vbNo) {
                QCOMPARE(form.Grid().lastDataRow(), 0);
                return;
            }
            QCOMPARE(FormTest::rows(form),
                     (QStringList{"T3456789|12345|ANN|LEE|0", "0|B2345678|12345|BO|0", "3|X1234567|12345|CY|0"}));
            form.GridController()->setIsDirty(true);
            save(ui, form, QString());
        }));
        const Vezedad::Ui::MessageBoxCall question = ui.boxes().value(0);
        QCOMPARE(question.title, QStringLiteral("Opening Data File"));
        QCOMPARE(question.buttons,
                 qint32(Vezedad::Ui::vbYesNo | Vezedad::Ui::vbExclamation | Vezedad::Ui::vbDefaultButton2));
        QCOMPARE(question.prompt,
                 QStringLiteral("File '") + path +
                     QStringLiteral("':\r\nIts first record (line 1) has no \"No Applications\" indicator, so the "
                                    "list is read in the older layout of four columns: Cert ID, Business Reg Num, "
                                    "First Name, Last Name. But line 2 starts with an indicator, as a record of five "
                                    "columns does.\r\nRead in four columns, such a record shows its indicator as the "
                                    "Cert ID, its certification id as the Business Reg Num, its registration number "
                                    "as the First Name and its first name as the Last Name; its last name is left "
                                    "out, and it counts as having made applications, whatever its indicator says. "
                                    "Saving the list keeps it that way.\r\nLoad it in four columns anyway?"));
        if (answer == Vezedad::Ui::vbNo) {
            QCOMPARE(ui.boxes().size(), 1);
            QCOMPARE(TestSupport::readFile(path), file);
            return;
        }
        const Vezedad::Ui::MessageBoxCall notice = ui.boxes().value(1);
        QCOMPARE(notice.title, QStringLiteral("Opening Data File"));
        QCOMPARE(notice.prompt,
                 QStringLiteral("File 'A1234500.txt':\r\n2 lines of the file (lines 2 and 3) start with a \"No "
                                "Applications\" indicator, as a record of five columns does, but the list is read in "
                                "the older layout of four columns of its first record (line 1). In their rows the "
                                "indicator stands in Cert ID, the certification id in Business Reg Num, the "
                                "registration number in First Name and the first name in Last Name; the last names "
                                "are not loaded, and the rows count as having made applications.\r\nSaving this "
                                "list writes the rows as shown: the last names are lost, and an indicator of \"3\" "
                                "(no applications) becomes \"0\"."));
        QCOMPARE(TestSupport::readFile(path),
                 QByteArray("0|T3456789|12345|ANN|LEE|\r\n0|0|B2345678|12345|BO|\r\n0|3|X1234567|12345|CY|\r\n"));
    }

    // A list that does not hold all of its file (the first line refused at
    // the question, or a read given up after an error) replaces that file
    // only when the user says so, No the default: the lines it did not read
    // would be lost. Once it has written the file, it asks no more.
    void partlyLoadedListAsks_data() {
        QTest::addColumn<QString>("unreadableKind"); // "fifo", "UTF-16" or "" (the first line is refused)
        QTest::addColumn<int>("answer");
        QTest::newRow("first line refused, No keeps the file") << QString() << int(Vezedad::Ui::vbNo);
        QTest::newRow("first line refused, Yes replaces it") << QString() << int(Vezedad::Ui::vbYes);
        QTest::newRow("read given up, No keeps the file") << QStringLiteral("fifo") << int(Vezedad::Ui::vbNo);
        QTest::newRow("UTF-16 refused, No keeps the file") << QStringLiteral("UTF-16") << int(Vezedad::Ui::vbNo);
    }
    void partlyLoadedListAsks() {
        QFETCH(QString, unreadableKind);
        QFETCH(int, answer);
        const bool unreadable = !unreadableKind.isEmpty();
        Year year;
        QByteArray file = "0|T3456789\r\n0|B2345678|23456|BO|RAY|\r\n0|X1234567|23456|CY|ZED|\r\n";
        if (unreadableKind == QLatin1String("UTF-16"))
            file = QByteArray("\xFF\xFE"
                              "0\0|\0T\0\r\0\n\0",
                              12);
        const QString path = year.file(QStringLiteral("A1234500.txt"));
        if (unreadableKind == QLatin1String("fifo"))
            TestSupport::makeFifo(path);
        else
            year.write(QStringLiteral("A1234500.txt"), file);
        UiScript ui;
        ui.expectBox(unreadable ? Vezedad::Ui::vbAbort : Vezedad::Ui::vbNo);
        QVERIFY(!openForm(ui, path, [&](Form26A& form) {
            QCOMPARE(form.Grid().lastDataRow(), 0);
            typeCell(form.Grid(), 1, 1, QStringLiteral("T3456789"));
            ui.expectBox(Vezedad::Ui::vbNo); // validate first?
            ui.expectBox(answer);
            trigger(form, QStringLiteral("mnuFileSave"));
            const Vezedad::Ui::MessageBoxCall question = ui.boxes().value(2);
            QCOMPARE(question.prompt, QStringLiteral("The file 'A1234500.txt' was not loaded in full; replace it "
                                                     "with this list?\r\nWhat this list does not show of it will "
                                                     "be lost."));
            QCOMPARE(question.buttons,
                     qint32(Vezedad::Ui::vbYesNo | Vezedad::Ui::vbExclamation | Vezedad::Ui::vbDefaultButton2));
            QCOMPARE(form.IsDirty(), answer == Vezedad::Ui::vbNo);
            if (answer == Vezedad::Ui::vbYes) {
                typeCell(form.Grid(), 3, 1, QStringLiteral("ANN"));
                save(ui, form, QString());
                QVERIFY(!form.IsDirty());
            }
        }));
        QCOMPARE(ui.boxes().value(0).title,
                 unreadable ? QStringLiteral("Error Reading 26A File") : QStringLiteral("Opening Data File"));
        if (unreadableKind == QLatin1String("UTF-16"))
            QVERIFY2(ui.boxes().value(0).prompt.contains(QStringLiteral("(UTF-16, little-endian)")),
                     qPrintable(ui.boxes().value(0).prompt));
        if (answer == Vezedad::Ui::vbYes)
            QCOMPARE(TestSupport::readFile(path), QByteArray("0|T3456789||ANN||\r\n"));
        else if (unreadableKind != QLatin1String("fifo"))
            QCOMPARE(TestSupport::readFile(path), file);
    }

    // Rows whose records all come out empty are not written either: the
    // file on disk stays, and so does the registry.
    void nothingToSave() {
        Year year;
        const QString path = year.write(QStringLiteral("A1234500.txt"), "0|T3456789|12345|ANN|LEE|\r\n");
        UiScript ui;
        openForm(ui, path, [&](Form26A& form) {
            setRows(form, {"|12345|||1", "|12345|||"});
            form.GridController()->setIsDirty(true);
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectBox();
            trigger(form, QStringLiteral("mnuFileSave"));
            QVERIFY(form.IsDirty());
        });
        QCOMPARE(ui.boxes().value(1).prompt, QStringLiteral("Nothing to save"));
        QCOMPARE(ui.boxes().value(1).buttons, qint32(Vezedad::Ui::vbOKOnly | Vezedad::Ui::vbInformation));
        QCOMPARE(TestSupport::readFile(path), QByteArray("0|T3456789|12345|ANN|LEE|\r\n"));
    }

    // The proposed name carries the first of: the header's registration
    // number, the permit number, the first ten characters of the business
    // name (without characters a file name cannot hold), the first
    // certification id, the report year.
    void saveAsIdChain_data() {
        QTest::addColumn<QString>("busReg");
        QTest::addColumn<QString>("permit");
        QTest::addColumn<QString>("business");
        QTest::addColumn<QString>("certId");
        QTest::addColumn<QString>("name");
        QTest::newRow("registration number") << kBusReg << kPermit << kBusiness << kCertId << "A1234500.txt";
        QTest::newRow("permit") << QString() << kPermit << kBusiness << kCertId << "AR1234500.txt";
        QTest::newRow("business name") << QString() << QString() << QStringLiteral("A/CO SUPPLY") << kCertId
                                       << "AACO SUPPL00.txt";
        QTest::newRow("certification id") << QString() << QString() << QString() << kCertId << "AC123456700.txt";
        QTest::newRow("year") << QString() << QString() << QString() << QString() << "AYEAR00.txt";
    }
    void saveAsIdChain() {
        QFETCH(QString, busReg);
        QFETCH(QString, permit);
        QFETCH(QString, business);
        QFETCH(QString, certId);
        QFETCH(QString, name);
        Year year;
        const Vezedad::IdentityPtr filer = Vezedad::Globals::ZelReport().Identity();
        filer->setSalesPermitNumber(permit);
        filer->setBusinessName(business);
        YearFolder::setFiler(certId, certId.isEmpty() ? QString() : QStringLiteral("Al Roe"), busReg);
        name.replace(QStringLiteral("YEAR"), QString::number(Vezedad::Globals::ZelReport().ReportYear()));
        UiScript ui;
        newForm(ui, [&](Form26A& form) {
            if (certId.isEmpty()) setRows(form, {"||AN|APPRENTICE|"});
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectDialogCancel();
            trigger(form, QStringLiteral("mnuFileSaveas"));
        });
        QCOMPARE(QFileInfo(ui.dialogs().value(0).file.fileName).fileName(), name);
        QCOMPARE(QFileInfo(ui.dialogs().value(0).file.fileName).absolutePath(),
                 QFileInfo(year.file(name)).absolutePath());
    }

    // The shared registry reads the year's lists again after every save, so
    // that a per-applicator Form 26 sees the new list at once, and also after
    // a save that failed.
    void registrySeesTheList() {
        Year year;
        Dazozuvi::modGlobals::RefreshApplicators();
        QCOMPARE(registryIds(), QStringList{kCertId});
        const QString path = year.file(QStringLiteral("A1234500.txt"));
        UiScript ui;
        newForm(ui, [&](Form26A& form) {
            setRows(form, {kFiler, kAnn, kBo});
            save(ui, form, path);
            QCOMPARE(registryIds(), (QStringList{"B2345678", kCertId, "T3456789"}));
            QVERIFY(!Dazozuvi::modGlobals::Applicators().Item(QStringLiteral("B2345678"))->AppsDone());

            // Another list lands in the folder; a save that cannot write
            // (its file is a folder) still brings it in.
            year.write(QStringLiteral("A2345600.txt"), "0|X1234567|23456|CY|ZED|\r\n");
            const QString blocked = year.file(QStringLiteral("A9999900.txt"));
            QVERIFY(QDir().mkpath(blocked));
            form.GridController()->setIsDirty(true);
            ui.expectBox(Vezedad::Ui::vbNo);
            ui.expectFile(blocked);
            ui.expectBox(); // the failure
            trigger(form, QStringLiteral("mnuFileSaveas"));
            QCOMPARE(form.FilePath(), path);
            QVERIFY(form.IsDirty());
            QVERIFY(Dazozuvi::modGlobals::Applicators().Exists(QStringLiteral("X1234567")));
        });
    }

    // Certification ids that pass, warn, fail and are written in another
    // form, registration numbers padded, names refused; an empty
    // registration number is the form's to judge.
    void wholeCheckOfRows_data() {
        checkRowsColumns();
        const quint32 white = Dazozuvi::CellColour::White, pink = Dazozuvi::CellColour::PalePink;
        QTest::newRow("passes") << kAnn << 1 << "T3456789" << white;
        QTest::newRow("private applicator")
            << "P3456789|12345|ANN|LEE|" << 1 << "P3456789" << quint32(Dazozuvi::CellColour::PaleYellow);
        QTest::newRow("id of zeros") << "C0000000|12345|ANN|LEE|" << 1 << "C0000000" << pink;
        QTest::newRow("id of another letter") << "X3456789|12345|ANN|LEE|" << 1 << "X3456789" << pink;
        QTest::newRow("id with dash") << "C-345-6789|12345|ANN|LEE|" << 1 << "C3456789" << white;
        // Only a value that passes is written in its stored form.
        QTest::newRow("private with blank")
            << "P 3456789|12345|ANN|LEE|" << 1 << "P 3456789" << quint32(Dazozuvi::CellColour::PaleYellow);
        QTest::newRow("number padded") << "T3456789|123|ANN|LEE|" << 2 << "00123" << white;
        QTest::newRow("number too long") << "T3456789|123456|ANN|LEE|" << 2 << "123456" << pink;
        QTest::newRow("number empty") << "T3456789||ANN|LEE|" << 2 << "" << white;
        QTest::newRow("name numeric") << "T3456789|12345|ANN|42|" << 4 << "42" << pink;
        QTest::newRow("no applications") << kBo << 5 << "1" << white;
    }
    void wholeCheckOfRows() {
        Year year;
        UiScript ui;
        newForm(ui, [](Form26A& form) { checkRowsAgree(form); });
    }

private:
    static QLineEdit* HeaderBox(QWidget& form) { return child<QLineEdit>(form, "txtBusRegNum"); }
};

QTEST_MAIN(tst_form26a)
#include "tst_form26a.moc"
