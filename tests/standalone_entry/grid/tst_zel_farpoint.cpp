#include "TestSupport.h"
#include "UiScript.h"
#include "grid/CZelFarpoint.h"
#include "grid/ReportGrid.h"
#include "grid/frmExitOptions.h"
#include "modGlobals.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace Dazozuvi;
using TestSupport::UiScript;
using Vezedad::Ui::MessageBoxCall;

namespace {

const QString kCheckTitle = QStringLiteral("ZOV zAzeru Data Validation");

// A Form 26 grid's fields: ten checked columns, four the form judges itself.
const QList<qint32> kForm26Fields{14, 21, 22, 25, 11, 12, 9, 1, 20, 26, 27, 28, 29, 30};

// A report form as far as the grid controller sees it: a grid, the column
// map that answers Validating (checked columns, and the form's own verdict
// for the others), and the template's end-of-edit check.
struct Form {
    QStringList checks; // "row,col=value" per Validating
    QWidget window;
    ReportGrid* grid = nullptr;
    std::unique_ptr<CZelFarpoint> ctl;
    QList<qint32> fields;
    int checkedColumns = 0; // columns 1 .. this are checked by the validator
    bool ownVerdict = true; // the form's verdict on the other columns

    explicit Form(const QList<qint32>& fieldMap = kForm26Fields, int checked = 10,
                  qint32 formType = Vezedad::zfotForm26)
        : fields(fieldMap), checkedColumns(checked) {
        grid = new ReportGrid(&window);
        grid->setObjectName(QStringLiteral("fpZelForm"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        QList<GridColumn> columns;
        for (int c = 0; c < fields.size(); ++c) columns << GridColumn{QStringLiteral("C%1").arg(c + 1), 8, {}};
        grid->setColumns(columns);
        grid->setRowCount(5);
        ctl = modGlobals::New_CZelFarpoint(formType, *grid);
        QObject::connect(ctl.get(), &CZelFarpoint::Validating, ctl.get(),
                         [this](qint32 r, qint32 c, QStringView v, bool& check, qint32& field, bool& result) {
                             checks << QStringLiteral("%1,%2=%3").arg(r).arg(c).arg(v);
                             if (c < 1 || c > fields.size()) return;
                             field = fields[c - 1];
                             check = c <= checkedColumns;
                             if (!check) result = ownVerdict;
                         });
        QObject::connect(grid, &ReportGrid::editMode, grid, [this](int c, int r, int mode, bool changed) {
            if (mode != 0 || !changed) return;
            if (ctl->ValidateCell(r, c, true))
                ctl->setIsDirty(true);
            else
                grid->setActiveCell(c, r);
        });
        window.resize(800, 400);
    }

    void fill(int rows, const std::function<QString(int, int)>& text) {
        grid->setRowCount(rows + 5);
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= grid->columnCount(); ++c) grid->setText(c, r, text(r, c));
    }
    QStringList column(int col) const {
        QStringList texts;
        for (int r = 1; r <= grid->rowCount(); ++r) texts << grid->text(col, r);
        while (!texts.isEmpty() && texts.last().isEmpty()) texts.removeLast();
        return texts;
    }
    QList<int> checkedRows() const {
        QList<int> rows;
        for (const QString& c : checks) {
            const int row = c.section(u',', 0, 0).toInt();
            if (!rows.contains(row)) rows << row;
        }
        return rows;
    }
};

QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

// A click on a button that waits in the event queue until the next time
// window events are let through.
void postClick(QWidget* button) {
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                                        Qt::NoButton, Qt::NoModifier));
}

QPushButton* exitButton(QDialog& d, int i) {
    return d.findChild<QPushButton*>(QStringLiteral("cmdExitOption(%1)").arg(i));
}

} // namespace

class tst_zel_farpoint : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Vezedad::Globals::ZelReport().setAllowPersistence(false);
        Vezedad::Globals::ZelReport().ChangeReportYear(2024);
    }
    void init() { QGuiApplication::clipboard()->clear(); }

    void onlyTheFactoryMakesOne() {
        const Vezedad::ErrorInfo direct = TestSupport::raisedBy([] { CZelFarpoint controller; });
        QCOMPARE(direct.Number(), 1002);
        QCOMPARE(direct.Description(), QStringLiteral("Client code did not call factory method for CZelFarpoint"));
        QCOMPARE(direct.Source(), QStringLiteral("Dazozuvi::CZelFarpoint"));

        ReportGrid grid;
        std::unique_ptr<CZelFarpoint> made = modGlobals::New_CZelFarpoint(Vezedad::zfotForm25, grid);
        QCOMPARE(made->FormType(), qint32(Vezedad::zfotForm25));
        QCOMPARE(made->Grid(), &grid);
        QVERIFY(!made->IsDirty());
        // The controller took the flag: the next direct creation fails again.
        QVERIFY(!modGlobals::InFactory());
        QCOMPARE(TestSupport::raisedBy([] { CZelFarpoint controller; }).Number(), 1002);
    }

    void validateCell_data() {
        QTest::addColumn<int>("col"); // of the Form 26 map; 15 has no field, the form answers -1
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("showMsg");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<quint32>("colour");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<QString>("message"); // the box with showMsg, "" for none

        const quint32 white = CellColour::White, yellow = CellColour::PaleYellow, pink = CellColour::PalePink;
        QTest::newRow("ditto mark") << 2 << "\"" << true << false << pink << "\"" << false
                                    << "Must enter data in cell, not just a 'ditto' mark.";
        QTest::newRow("ditto mark, quietly") << 2 << " \" " << false << false << pink << " \" " << false << "";
        QTest::newRow("upper-cased and trimmed") << 4 << " lb " << true << true << white << "LB" << true << "";
        QTest::newRow("rule's own form") << 5 << "2/8/2024" << true << true << white << "02/08/2024" << true << "";
        QTest::newRow("already as stored") << 4 << "LB" << true << true << white << "LB" << false << "";
        QTest::newRow("error keeps the typing") << 2 << " 123 " << true << false << pink << " 123 " << false << "*";
        QTest::newRow("error, quietly") << 5 << "soon" << false << false << pink << "soon" << false << "";
        QTest::newRow("form's verdict: good, not normalised")
            << 11 << " low " << true << true << white << " low " << false << "";
        QTest::newRow("column never checked") << 15 << "junk" << true << true << yellow << "junk" << false << "";
    }

    void validateCell() {
        QFETCH(int, col);
        QFETCH(QString, text);
        QFETCH(bool, showMsg);
        QFETCH(bool, valid);
        QFETCH(quint32, colour);
        QFETCH(QString, after);
        QFETCH(bool, dirty);
        QFETCH(QString, message);
        QList<qint32> fields = kForm26Fields;
        fields << -1; // a fifteenth column the form never checks
        Form form(fields);
        form.grid->setText(col, 2, text);
        form.grid->setCellColour(col, 2, CellColour::PaleYellow);
        form.grid->setActiveCell(1, 4);
        UiScript ui;
        if (!message.isEmpty()) ui.expectBox(Vezedad::Ui::vbOK);
        QCOMPARE(form.ctl->ValidateCell(2, col, showMsg), valid);
        QCOMPARE(form.grid->cellColour(col, 2), colour);
        QCOMPARE(form.grid->text(col, 2), after);
        QCOMPARE(form.ctl->IsDirty(), dirty);
        QCOMPARE(form.checks, QStringList{QStringLiteral("2,%1=%2").arg(col).arg(text.trimmed().toUpper())});
        // The cell is addressed, never made the active cell.
        QCOMPARE(form.grid->activeRow(), 4);
        QCOMPARE(form.grid->activeCol(), 1);
        if (!message.isEmpty()) {
            const MessageBoxCall box = ui.boxes().value(0);
            QCOMPARE(box.title, kCheckTitle);
            QCOMPARE(box.buttons, qint32(Vezedad::Ui::vbOKOnly));
            if (message != u"*")
                QCOMPARE(box.prompt, message);
            else
                QVERIFY(!box.prompt.isEmpty());
        }
    }

    void warningsAreYellow() {
        // A private applicator's certification number is only a warning.
        Form form({4, 4});
        form.grid->setText(1, 1, QStringLiteral("p1234567"));
        form.grid->setText(2, 1, QStringLiteral("X1234567"));
        QCOMPARE(form.ctl->ValidateForm(false), 2);
        QCOMPARE(form.grid->cellColour(1, 1), CellColour::PaleYellow);
        QCOMPARE(form.grid->cellColour(2, 1), CellColour::PalePink);
        QCOMPARE(form.grid->text(1, 1), QStringLiteral("p1234567"));
    }

    // The whole-grid check takes a quicker road through the validator than a
    // single cell's: both must colour, rewrite and count alike.
    void wholeGridCheckAgreesWithCellChecks() {
        const QList<qint32> fields{14, 21, 22, 25, 11, 12, 9, 1, 20, 26, 4, 3, 5, 23};
        const QList<QStringList> values{
            {"100-1", "100-1 /2", "100--12", "abc", "524-475", " 1000 - 12 ", "\"", ""},
            {"roundup", "123", "", "Sevin SL", "caf\u00e9 \u00b5g"},
            {"2.5", "1,000", "0", "-5", "x", "12345678901234567"},
            {"lb", "lbs", "Liter", "GL", "\u00b5g", ""},
            {"2/8/2024", "03/05/2024", "13/02/2024", "2024-03-05", "soon", "3/5/23", ""},
            {"", "03/05/2024", "3/5", "bad"},
            {"5", "05", "63", "99", "2.5", "x"},
            {"9 main st", "123", ""},
            {"kingston", "", "12"},
            {"1234", "12345", "12345-6789", "00000", "x"},
            {"c-123 4567", "P1234567", "C1234567", "x"},
            {"42", "12345", "123456", ""},
            {"r12345", "R12345", "Q1"},
            {"-5", "3", "0.0"},
        };
        const auto text = [&](int r, int c) {
            const QStringList& v = values[c - 1];
            return v[(r + c) % v.size()];
        };
        Form whole(fields, 14);
        Form cells(fields, 14);
        whole.fill(60, text);
        cells.fill(60, text);
        const qint32 errors = whole.ctl->ValidateForm(false);
        qint32 cellErrors = 0;
        for (int r = 1; r <= 60; ++r)
            for (int c = 1; c <= 14; ++c) cellErrors += cells.ctl->ValidateCell(r, c, false) ? 0 : 1;
        QVERIFY(errors > 0);
        QCOMPARE(errors, cellErrors);
        for (int r = 1; r <= 60; ++r) {
            for (int c = 1; c <= 14; ++c) {
                QCOMPARE(whole.grid->text(c, r), cells.grid->text(c, r));
                QCOMPARE(whole.grid->cellColour(c, r), cells.grid->cellColour(c, r));
            }
        }
        QCOMPARE(whole.ctl->IsDirty(), cells.ctl->IsDirty());
        QVERIFY(whole.ctl->IsDirty());
        QCOMPARE(whole.checks, cells.checks);
    }

    void validateFormWithoutProgress() {
        Form form({21}, 1);
        QCOMPARE(form.ctl->ValidateForm(true), 0);
        QCOMPARE(form.ctl->ValidateForm(false), -1);
        QVERIFY(form.checks.isEmpty());
        // Exactly 500 rows are checked without the progress window (an
        // unexpected window fails the test), every column of every row.
        form.fill(500, [](int r, int) { return r % 7 == 0 ? QStringLiteral("123") : QStringLiteral("roundup"); });
        QCOMPARE(form.ctl->ValidateForm(false), 71);
        QCOMPARE(form.checks.size(), 500);
        QCOMPARE(form.grid->text(1, 1), QStringLiteral("ROUNDUP"));
    }

    // A form whose answer depends on the column (and an empty value) alone
    // is asked twice a column by a check of many rows, and a value the same
    // as the row before's takes its verdict, with the same outcome; someone
    // else listening to Validating is asked for every cell.
    void answerByColumnIsAskedOnceAColumn() {
        const auto run = [](bool byColumn, bool listened, int& asked, int& heard) {
            Form form({21, 22, 25}, 3);
            QObject::disconnect(form.ctl.get(), &CZelFarpoint::Validating, nullptr, nullptr);
            asked = heard = 0;
            form.ctl->setValidatingAnswer(
                [&asked](qint32, qint32 col, QStringView value, bool& check, qint32& field, bool& result) {
                    ++asked;
                    field = QList<qint32>{21, 22, 25}.value(col - 1, -1);
                    // An empty unit is the form's to judge: accepted.
                    check = !(col == 3 && value.isEmpty());
                    if (!check) result = true;
                },
                byColumn);
            if (listened)
                QObject::connect(form.ctl.get(), &CZelFarpoint::Validating, form.ctl.get(),
                                 [&heard](qint32, qint32, QStringView, bool&, qint32&, bool&) { ++heard; });
            form.fill(200, [](int r, int c) {
                if (c == 1) return r % 9 ? QStringLiteral("roundup") : QStringLiteral("42");
                if (c == 3) return r % 5 ? QStringLiteral("lb") : QString();
                // Runs of the same value, one the check writes in another
                // form.
                return (r / 3) % 2 ? QStringLiteral("1,000") : QStringLiteral("2.5");
            });
            const qint32 errors = form.ctl->ValidateForm(false);
            QStringList cells;
            for (int r = 1; r <= 200; ++r)
                for (int c = 1; c <= 3; ++c)
                    cells << form.grid->text(c, r) + QString::number(form.grid->cellColour(c, r), 16);
            return std::make_pair(errors, cells);
        };
        int asked = 0, heard = 0;
        const auto everyCell = run(false, false, asked, heard);
        QCOMPARE(asked, 600);
        QCOMPARE(everyCell.first, 22);
        QVERIFY(everyCell.second.contains(QStringLiteral("1000ffffff")));
        QCOMPARE(run(true, false, asked, heard), everyCell);
        QCOMPARE(asked, 6);
        QCOMPARE(run(true, true, asked, heard), everyCell);
        QCOMPARE(asked, 600);
        QCOMPARE(heard, 600);
    }

    // In a check of many rows a value met again, also rows apart, takes the
    // verdict it had; with values that recur (names), that never recur (a
    // column soon no longer looked up) and that the check rewrites, the
    // outcome is that of asking about every cell.
    void valuesMetAgainKeepTheirVerdicts() {
        const auto run = [](bool byColumn) {
            Form form({21, 22, 25}, 3);
            QObject::disconnect(form.ctl.get(), &CZelFarpoint::Validating, nullptr, nullptr);
            form.ctl->setValidatingAnswer(
                [](qint32, qint32 col, QStringView, bool& check, qint32& field, bool&) {
                    field = QList<qint32>{21, 22, 25}.value(col - 1, -1);
                    check = true;
                },
                byColumn);
            const QStringList units{"lb", "lbs", "GL", "Liter", "", "bad unit", "oz"};
            form.fill(3000, [&units](int r, int c) {
                // 150 names, every third one numeric (refused), met again in
                // an order that is not the rows'.
                const int name = (r * 37) % 150;
                if (c == 1) return name % 3 ? QStringLiteral("name %1").arg(name) : QString::number(name);
                if (c == 2)
                    return r % 7 ? QStringLiteral("%1,%2").arg(r / 1000 + 1).arg(r % 1000, 3, 10, QLatin1Char('0'))
                                 : QStringLiteral("%1x").arg(r);
                return units[(r * 3) % units.size()];
            });
            UiScript ui;
            ui.expectModal([](QDialog&) {});
            const qint32 errors = form.ctl->ValidateForm(false);
            QStringList cells;
            for (int r = 1; r <= 3000; ++r)
                for (int c = 1; c <= 3; ++c)
                    cells << form.grid->text(c, r) + QString::number(form.grid->cellColour(c, r), 16);
            return std::make_pair(errors, cells);
        };
        const auto everyCell = run(false);
        QVERIFY(everyCell.first > 1000);
        QVERIFY(everyCell.second.contains(QStringLiteral("2000ffffff"))); // "2,000" as stored
        QVERIFY(everyCell.second.contains(QStringLiteral("NAME 1ffffff")));
        QCOMPARE(run(true), everyCell);
    }

    // Loaded rows of upper-case ASCII are checked on their records' bytes,
    // any other row as text; rows of each kind, mixed, with values of each
    // kind met again across them, end as when every cell is checked as text
    // (someone listening to Validating), also across the progress window's
    // reports.
    void rowsOfEveryKindMixed() {
        const QList<qint32> fields{14, 21, 22, 25, 11, 12, 9, 1, 20, 26, 4, 3, 5, 23, 21, 21};
        const QString longName(300, u'A');
        const QStringList kinds{
            // Plain: pass; fail and warn; written in another form.
            "100-200|ROUNDUP|%1|GL|03/05/2024||05|9 MAIN ST|KINGSTON|12345|C1234567|12345|R12345|-5|X|Y",
            "ABC|123|0|XX|13/13/2024|BAD|63|\"|12|00000|P1234567|123456|R00000|0||",
            "100 200|ROUNDUP|1,%1|GLS|3/5/2024||5|9 MAIN ST|KINGSTON|1234|C-1234567|123|R12345|1,000|X|",
            // A small letter, a Latin-1 letter, one beyond Latin-1.
            "100-200|roundup|%1|gl|03/05/2024||05|9 main st|kingston|12345|c1234567|12345|r12345|-5|X|Y",
            "100-200|CAF\u00c9|%1|GL|03/05/2024||05|9 MAIN ST|caf\u00e9|12345|C1234567|12345|R12345|-5|X|Y",
            "100-200|ROUNDUP \u20ac|%1|GL|03/05/2024||05|9 MAIN ST|KINGSTON|12345|C1234567|12345|R12345|-5||",
            // A cell longer than 255, a line break and blanks in values.
            "100-200|ROUNDUP|%1|GL|03/05/2024||05|" + longName + "|KINGSTON|12345|C1234567|12345|R12345|-5|X|Y",
            "100-200|ROUND\r\nUP|%1|GL|03/05/2024||05|9 MAIN ST|KINGSTON|12345|P1234567|12345|R12345|-5|X|Y",
            "100-200| ROUNDUP |%1|GL|03/05/2024||05|9 MAIN ST|KINGSTON |12345|C1234567|12345|R12345|-5|X|Y",
            "",
        };
        const auto run = [&](bool listened) {
            Form form(fields, 14);
            QObject::disconnect(form.ctl.get(), &CZelFarpoint::Validating, nullptr, nullptr);
            form.ctl->setValidatingAnswer(
                [&fields](qint32, qint32 col, QStringView value, bool& check, qint32& field, bool& result) {
                    // Column 15 is never checked; 16 the form judges itself.
                    field = col == 15 ? -1 : fields.value(col - 1, -1);
                    check = col <= 14;
                    if (!check) result = !value.isEmpty();
                },
                true);
            if (listened)
                QObject::connect(form.ctl.get(), &CZelFarpoint::Validating, form.ctl.get(),
                                 [](qint32, qint32, QStringView, bool&, qint32&, bool&) {});
            const int rows = 1200;
            form.grid->setRowCount(rows + 5);
            for (int r = 1; r <= rows; ++r) {
                // The kinds in runs, and in an order that is not the rows'.
                const QString line = kinds[(r / 3 * 7) % kinds.size()];
                const QStringList cells = line.contains(u'%') ? line.arg(r % 40 + 1).split(u'|') : line.split(u'|');
                for (int c = 0; c < cells.size() && !line.isEmpty(); ++c) form.grid->setText(c + 1, r, cells[c]);
                // Colours left by an earlier check: a row all of one colour
                // (the check's or another), or of several.
                for (int c = 1; c <= fields.size() && r % 5 != 0; ++c)
                    form.grid->setCellColour(c, r,
                                             r % 5 == 1   ? CZelFarpoint::ColourInvalid
                                             : r % 5 == 2 ? CZelFarpoint::ColourWarning
                                             : r % 5 == 3
                                                 ? (c % 4 ? CZelFarpoint::ColourValid : CZelFarpoint::ColourInvalid)
                                                 : 0x00FF00u);
            }
            UiScript ui;
            ui.expectModal([](QDialog&) {});
            const qint32 errors = form.ctl->ValidateForm(false);
            QStringList cells;
            for (int r = 1; r <= rows; ++r)
                for (int c = 1; c <= fields.size(); ++c)
                    cells << form.grid->text(c, r) + u' ' + QString::number(form.grid->cellColour(c, r), 16);
            return std::make_tuple(errors, cells, form.ctl->IsDirty());
        };
        const auto asRun = run(false);
        const auto asText = run(true);
        QVERIFY(std::get<0>(asRun) > 1000);
        QVERIFY(std::get<1>(asRun).contains(QStringLiteral("P1234567 96ffff")));
        QVERIFY(std::get<1>(asRun).contains(QStringLiteral("C1234567 ffffff")));
        QVERIFY(std::get<1>(asRun).contains(QStringLiteral("ROUNDUP ffffff")));
        QVERIFY(std::get<1>(asRun).contains(QStringLiteral("1000 ffffff")));
        QCOMPARE(std::get<0>(asRun), std::get<0>(asText));
        QCOMPARE(std::get<1>(asRun), std::get<1>(asText));
        QCOMPARE(std::get<2>(asRun), std::get<2>(asText));
    }

    void validateFormUnderProgress_data() {
        QTest::addColumn<int>("stopAtRow"); // 0: never
        QTest::addColumn<int>("errors");
        QTest::addColumn<QStringList>("statuses");
        // Reports come at every 100th row once the last one has been up for
        // a while (slowRows makes the check take its time there).
        QTest::newRow("whole grid") << 0 << 1
                                    << QStringList{"Checked 100 rows. Found 1 error so far.",
                                                   "Checked 500 rows. Found 1 error so far."};
        // Stop is seen at the next report, after row 200.
        QTest::newRow("stopped") << 150 << 1 << QStringList{"Checked 100 rows. Found 1 error so far."};
    }

    void validateFormUnderProgress() {
        QFETCH(int, stopAtRow);
        QFETCH(int, errors);
        QFETCH(QStringList, statuses);
        Form form({21}, 1);
        form.fill(501, [](int r, int) { return r == 1 ? QStringLiteral("123") : QStringLiteral("roundup"); });
        QStringList seen;
        QString operation;
        QObject::connect(form.ctl.get(), &CZelFarpoint::Validating, form.ctl.get(),
                         [&](qint32 r, qint32, QStringView, bool&, qint32&, bool&) {
                             QWidget* window = topLevel(QStringLiteral("frmProgress"));
                             if (!window) return;
                             operation = window->findChild<QLabel*>(QStringLiteral("lblOperation"))->toolTip();
                             const QString status = window->findChild<QLabel*>(QStringLiteral("lblStatus"))->text();
                             if (!status.isEmpty() && !seen.contains(status)) seen << status;
                             if (r == stopAtRow) postClick(window->findChild<QPushButton*>(QStringLiteral("cmdStop")));
                             if (r % 100 == 50) QTest::qSleep(CZelFarpoint::ReportIntervalMs + 10);
                         });
        UiScript ui;
        ui.expectModal([](QDialog&) {}); // the check runs as the window comes up
        QCOMPARE(form.ctl->ValidateForm(false), errors);
        QCOMPARE(ui.modalNames(), QStringList{QStringLiteral("frmProgress")});
        QCOMPARE(operation, QStringLiteral("Validating data entry for 501 rows"));
        QCOMPARE(seen.first(), statuses.first());
        QCOMPARE(seen.last(), statuses.last());
        QCOMPARE(form.checkedRows().size(), stopAtRow ? 200 : 501);
        QVERIFY(!topLevel(QStringLiteral("frmProgress")));
    }

    // A failure during the check reaches the caller with the check's place in
    // its trail, also from inside the progress window, which then closes.
    void validateFormPassesErrorsOn() {
        Form form({21}, 1);
        form.fill(501, [](int, int) { return QStringLiteral("roundup"); });
        QObject::connect(form.ctl.get(), &CZelFarpoint::Validating, form.ctl.get(),
                         [](qint32 r, qint32, QStringView, bool&, qint32&, bool&) {
                             if (r == 250)
                                 throw Vezedad::ErrorInfo(
                                     5, QStringLiteral("Invalid procedure call or argument"),
                                     QStringLiteral("Dazozuvi::Form26.mobjZelFarpoint_Validating"));
                         });
        UiScript ui;
        ui.expectModal([](QDialog&) {});
        const Vezedad::ErrorInfo error = TestSupport::raisedBy([&] { form.ctl->ValidateForm(false); });
        QCOMPARE(error.Number(), 5);
        QCOMPARE(error.Source(), QStringLiteral("Dazozuvi::CZelFarpoint.ValidateForm\r\n-->"
                                                "Dazozuvi::Form26.mobjZelFarpoint_Validating"));
        QVERIFY(!topLevel(QStringLiteral("frmProgress")));

        // Without its grid (the form is gone) the controller says so.
        auto* grid = new ReportGrid;
        std::unique_ptr<CZelFarpoint> orphan = modGlobals::New_CZelFarpoint(Vezedad::zfotForm25, *grid);
        delete grid;
        const Vezedad::ErrorInfo gone = TestSupport::raisedBy([&] { orphan->ValidateForm(false); });
        QCOMPARE(gone.Number(), 91);
        QVERIFY(gone.Source().startsWith(QStringLiteral("Dazozuvi::CZelFarpoint.ValidateForm\r\n-->")));
    }

    void validationFeedback_data() {
        QTest::addColumn<int>("formType");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        const QString none = QStringLiteral("No data has been entered and the 'No %1' indicator is not selected.\r\n"
                                            "If you wish to report no %1, then select the 'No %1' indicator.");
        QTest::newRow("no errors") << 8 << 0 << "There were no errors." << 0;
        QTest::newRow("empty Form 26A") << 2 << -1 << "There were no errors." << 0;
        QTest::newRow("empty Form 25") << 8 << -1 << none.arg("Sales") << 16;
        QTest::newRow("empty Form 27") << 4 << -1 << none.arg("Sales") << 16;
        QTest::newRow("empty Form 26") << 1 << -1 << none.arg("Applications") << 16;
        QTest::newRow("empty other form") << 0 << -1 << none.arg("Activity") << 16;
        QTest::newRow("one error") << 1 << 1 << "There was one error." << 16;
        QTest::newRow("three errors") << 1 << 3 << "There were 3 errors." << 16;
    }

    void validationFeedback() {
        QFETCH(int, formType);
        QFETCH(int, count);
        QFETCH(QString, text);
        QFETCH(int, icon);
        Form form(kForm26Fields, 10, formType);
        UiScript ui;
        ui.expectBox();
        form.ctl->ValidationFeedback(count);
        QCOMPARE(ui.boxes().value(0).prompt, text);
        QCOMPARE(ui.boxes().value(0).title, kCheckTitle);
        QCOMPARE(ui.boxes().value(0).buttons, icon);
    }

    void presaveForm_data() {
        QTest::addColumn<bool>("unloading");
        QTest::addColumn<bool>("shouldHaveData");
        QTest::addColumn<int>("dataRows"); // 0 empty; else rows, of which three invalid when bad
        QTest::addColumn<bool>("bad");
        QTest::addColumn<int>("choice"); // the exit dialog's button, -1: its close box, -2: not shown
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("permissions"); // "save,validate" of the exit dialog
        QTest::addColumn<QStringList>("boxes");   // title: prompt

        const QString ask = QStringLiteral("Validate Date?: Would you like to validate your data before saving it?");
        const QString errs = QStringLiteral(
            "ZOV Data Contains Errors: There were 3 errors, indicated by the highlighted cells.\r\n"
            "To make corrections without saving, click Cancel.\r\nTo save the data%1 without making corrections, "
            "click OK.");
        const QString empty = QStringLiteral(": The data form is empty, so there is nothing to save.");
        using L = QList<int>;
        const int yes = Vezedad::Ui::vbYes, no = Vezedad::Ui::vbNo, cancel = Vezedad::Ui::vbCancel,
                  ok = Vezedad::Ui::vbOK;
        QTest::newRow("save: validate, clean")
            << false << true << 4 << false << -2 << L{yes} << 1 << "" << QStringList{ask};
        QTest::newRow("save: validate, errors, OK")
            << false << true << 4 << true << -2 << L{yes, ok} << 1 << "" << QStringList{ask, errs.arg("")};
        QTest::newRow("save: validate, errors, Cancel")
            << false << true << 4 << true << -2 << L{yes, cancel} << 0 << "" << QStringList{ask, errs.arg("")};
        QTest::newRow("save: no check") << false << true << 4 << true << -2 << L{no} << 1 << "" << QStringList{ask};
        QTest::newRow("save: cancelled") << false << true << 4 << false << -2 << L{cancel} << 0 << ""
                                         << QStringList{ask};
        QTest::newRow("save: empty grid")
            << false << true << 0 << false << -2 << L{ok} << 0 << "" << QStringList{empty};
        QTest::newRow("save: no activity") << false << false << 4 << true << -2 << L{} << 1 << "" << QStringList{};
        QTest::newRow("close: no activity, empty")
            << true << false << 0 << false << 1 << L{} << 1 << "1,0" << QStringList{};
        QTest::newRow("close: no activity, data, drop")
            << true << false << 4 << false << 3 << L{} << 3 << "1,0" << QStringList{};
        QTest::newRow("close: activity, empty, close box")
            << true << true << 0 << false << -1 << L{} << 0 << "0,0" << QStringList{};
        QTest::newRow("close: keep open") << true << true << 4 << false << 0 << L{} << 0 << "1,1" << QStringList{};
        QTest::newRow("close: validate, clean")
            << true << true << 4 << false << 2 << L{} << 1 << "1,1" << QStringList{};
        QTest::newRow("close: validate, errors, OK")
            << true << true << 4 << true << 2 << L{ok} << 1 << "1,1" << QStringList{errs.arg(" and exit the form")};
        QTest::newRow("close: validate, errors, Cancel")
            << true << true << 4 << true << 2 << L{cancel} << 0 << "1,1" << QStringList{errs.arg(" and exit the form")};
        QTest::newRow("close: save") << true << true << 4 << true << 1 << L{} << 1 << "1,1" << QStringList{};
    }

    void presaveForm() {
        QFETCH(bool, unloading);
        QFETCH(bool, shouldHaveData);
        QFETCH(int, dataRows);
        QFETCH(bool, bad);
        QFETCH(int, choice);
        QFETCH(QList<int>, answers);
        QFETCH(int, action);
        QFETCH(QString, permissions);
        QFETCH(QStringList, boxes);
        Form form({21}, 1);
        form.fill(dataRows,
                  [&](int r, int) { return bad && r <= 3 ? QStringLiteral("123") : QStringLiteral("ROUNDUP"); });
        UiScript ui;
        QString seenPermissions;
        if (choice != -2) {
            ui.expectModal([&](QDialog& d) {
                seenPermissions = QStringLiteral("%1,%2")
                                      .arg(int(exitButton(d, 1)->isEnabled()))
                                      .arg(int(exitButton(d, 2)->isEnabled()));
                if (choice == -1)
                    d.close();
                else
                    QTest::mouseClick(exitButton(d, choice), Qt::LeftButton);
            });
        }
        for (int a : answers) ui.expectBox(a);
        QCOMPARE(form.ctl->PresaveForm(unloading, shouldHaveData), action);
        QCOMPARE(seenPermissions, permissions);
        QStringList seen;
        for (const MessageBoxCall& b : ui.boxes()) seen << b.title + QStringLiteral(": ") + b.prompt;
        QCOMPARE(seen, boxes);
        if (!ui.boxes().isEmpty() && ui.boxes().first().title == u"Validate Date?")
            QCOMPARE(ui.boxes().first().buttons, qint32(Vezedad::Ui::vbYesNoCancel | Vezedad::Ui::vbQuestion));
    }

    void exitChoices() {
        frmExitOptions dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ZOV zAzeru: Save Data On Exit?"));
        QCOMPARE(dialog.findChild<QPlainTextEdit*>(QStringLiteral("txtCaption"))->toPlainText(),
                 QStringLiteral("Data has changed.\nWhat would you like to do?\n"));
        const QStringList captions{"Keep Form &Open", "&Save and Close", "&Validate, Save, Close",
                                   "&Close Without Saving"};
        for (int i = 0; i < 4; ++i) QCOMPARE(exitButton(dialog, i)->text(), captions[i]);
        dialog.setAllowValidate(false);
        QVERIFY(dialog.AllowSave());
        QVERIFY(!dialog.AllowValidate());
        UiScript ui;
        // A disabled button cannot be clicked; Esc keeps the form open.
        ui.expectModal([](QDialog& d) {
            QTest::mouseClick(exitButton(d, 2), Qt::LeftButton);
            QVERIFY(d.isVisible());
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        QCOMPARE(dialog.ShowDialog(), 0);
        // Each button gives its index; Alt and the mnemonic press it.
        ui.expectModal([](QDialog& d) {
            d.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&d));
            QTest::keyClick(&d, Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(!d.isVisible()); // a mnemonic's click is animated
        });
        QCOMPARE(dialog.ShowDialog(), 3);
        QCOMPARE(dialog.SelectedOption(), 3);
        ui.expectModal([](QDialog& d) { QTest::mouseClick(exitButton(d, 1), Qt::LeftButton); });
        QCOMPARE(dialog.ShowDialog(), 1);
        // Enter keeps the form open.
        ui.expectModal([](QDialog& d) { QTest::keyClick(&d, Qt::Key_Return); });
        QCOMPARE(dialog.ShowDialog(), 0);
    }

    void paste_data() {
        QTest::addColumn<bool>("insert");
        QTest::addColumn<int>("activeRow");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("column1");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<int>("rowCount");
        using L = QList<int>;
        QTest::newRow("insert at row 4") << true << 4 << "p1\tx\r\np2\r\n"
                                         << QStringList{"R1", "R2", "R3", "P1", "P2", "R4", "R5", "R6"} << L{4, 5}
                                         << 13;
        QTest::newRow("overwrite at row 4") << false << 4 << "p1\tx\r\np2\r\n"
                                            << QStringList{"R1", "R2", "R3", "P1", "P2", "R6"} << L{4, 5} << 11;
        QTest::newRow("overwrite past the last row")
            << false << 11 << "p1\np2\np3"
            << QStringList{"R1", "R2", "R3", "R4", "R5", "R6", "", "", "", "", "P1", "P2", "P3"} << L{11, 12, 13} << 18;
        QTest::newRow("insert at the last row")
            << true << 11 << "p1\r\np2\r\n"
            << QStringList{"R1", "R2", "R3", "R4", "R5", "R6", "", "", "", "", "P1", "P2"} << L{11, 12} << 17;
        QTest::newRow("nothing on the clipboard")
            << true << 2 << "" << QStringList{"R1", "R2", "R3", "R4", "R5", "R6"} << L{} << 11;
    }

    void paste() {
        QFETCH(bool, insert);
        QFETCH(int, activeRow);
        QFETCH(QString, clipboard);
        QFETCH(QStringList, column1);
        QFETCH(QList<int>, checked);
        QFETCH(int, rowCount);
        Form form({21, 21}, 2);
        form.fill(6, [](int r, int c) { return c == 1 ? QStringLiteral("R%1").arg(r) : QStringLiteral("N"); });
        form.grid->setCellColour(1, 4, CellColour::PaleYellow);
        if (!clipboard.isEmpty()) QGuiApplication::clipboard()->setText(clipboard);
        form.grid->setActiveCell(1, activeRow);
        if (insert)
            form.ctl->PasteInsert();
        else
            form.ctl->PasteOverwrite();
        QCOMPARE(form.column(1), column1);
        QCOMPARE(form.checkedRows(), checked);
        QCOMPARE(form.grid->rowCount(), rowCount);
        QCOMPARE(form.ctl->IsDirty(), !clipboard.isEmpty());
        QCOMPARE(form.grid->activeRow(), activeRow);
        QVERIFY(!form.grid->isRepaintSuspended());
        if (!clipboard.isEmpty()) {
            // Pasted rows are checked: an inserted row's empty cell is refused,
            // an overwritten row keeps the cells the paste did not reach.
            QCOMPARE(form.grid->text(1, activeRow), QStringLiteral("P1"));
            QCOMPARE(form.grid->cellColour(2, activeRow + 1),
                     form.grid->text(2, activeRow + 1).isEmpty() ? CellColour::PalePink : CellColour::White);
        }
        if (!insert && activeRow == 4) QCOMPARE(form.grid->text(2, 5), QStringLiteral("N"));
        if (insert && activeRow == 4) QCOMPARE(form.grid->cellColour(1, 6), CellColour::PaleYellow);
    }

    void clearAndInsertRows() {
        Form form({21, 21}, 2);
        form.fill(6, [](int r, int c) { return QStringLiteral("R%1C%2").arg(r).arg(c); });
        // Rows 3 to 5 selected: three new rows appear as rows 6 to 8.
        form.grid->selectRows(3, 5);
        form.ctl->InsertRows();
        QCOMPARE(form.column(1), (QStringList{"R1C1", "R2C1", "R3C1", "R4C1", "R5C1", "", "", "", "R6C1"}));
        QVERIFY(form.grid->rowCount() >= 9 + 5);
        QVERIFY(form.ctl->IsDirty());
        QVERIFY(form.checks.isEmpty());

        // Clearing a block keeps the other cells and checks its rows again.
        form.ctl->setIsDirty(false);
        form.grid->selectBlock(GridBlock{2, 2, 2, 3});
        form.ctl->ClearRange();
        QCOMPARE(form.grid->text(1, 2), QStringLiteral("R2C1"));
        QCOMPARE(form.grid->text(2, 2), QString());
        QCOMPARE(form.grid->text(2, 4), QStringLiteral("R4C2"));
        QCOMPARE(form.grid->cellColour(2, 3), CellColour::PalePink);
        QCOMPARE(form.checkedRows(), (QList<int>{2, 3}));
        QVERIFY(form.ctl->IsDirty());

        // A whole column is rows 1 to the last data row; nothing selected is
        // the active cell.
        form.checks.clear();
        form.grid->selectColumns(1, 1);
        form.ctl->ClearRange();
        QCOMPARE(form.grid->lastDataRow(), 9);
        QCOMPARE(form.checkedRows().size(), 9);
        form.grid->setActiveCell(2, 4);
        form.ctl->InsertRows();
        QCOMPARE(form.grid->text(2, 4), QStringLiteral("R4C2"));
        QCOMPARE(form.grid->text(2, 5), QString());
        QCOMPARE(form.grid->lastDataRow(), 10);
        QCOMPARE(form.grid->text(2, 10), QStringLiteral("R6C2"));
    }

    void loadLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("cleaned");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("quotes and blanks go, fields upper-cased")
            << "  \"100-1\" | round\"up\" | 2.5 |  "
            << "|"
            << "100-1 | roundup | 2.5 |" << QStringList{"100-1", "ROUNDUP", "2.5", "keep"};
        QTest::newRow("a closing separator starts no field") << "a|b|"
                                                             << "|"
                                                             << "a|b|" << QStringList{"A", "B", "", "keep"};
        QTest::newRow("fields beyond the last column are dropped") << "a,b,c,d,e,f"
                                                                   << ","
                                                                   << "a,b,c,d,e,f" << QStringList{"A", "B", "C", "D"};
        QTest::newRow("no separator given is a bar") << "a|b"
                                                     << ""
                                                     << "a|b" << QStringList{"A", "B", "", "keep"};
    }

    void loadLine() {
        QFETCH(QString, line);
        QFETCH(QString, separator);
        QFETCH(QString, cleaned);
        QFETCH(QStringList, cells);
        Form form({21, 21, 21, 21}, 4);
        form.grid->setRowCount(3);
        form.grid->setText(4, 3, QStringLiteral("keep"));
        QString text = line;
        form.ctl->LoadLine(text, separator, 3);
        QCOMPARE(text, cleaned);
        QStringList got;
        for (int c = 1; c <= 4; ++c) got << form.grid->text(c, 3);
        QCOMPARE(got, cells);
        QCOMPARE(form.grid->rowCount(), 8);
        QVERIFY(form.checks.isEmpty());
        QVERIFY(!form.ctl->IsDirty());
    }

    void aLoadReachesTheViewOnce() {
        Form form({21, 21}, 2);
        form.grid->setRowCount(0);
        GridModel& model = form.grid->gridModel();
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        for (int row = 1; row <= 300; ++row) {
            QString line = QStringLiteral("a%1|b").arg(row);
            form.ctl->LoadLine(line, QStringLiteral("|"), row);
        }
        QCOMPARE(inserted.size(), 0);
        // The rows are there for every call at once.
        QCOMPARE(form.grid->lastDataRow(), 300);
        QCOMPARE(form.grid->text(1, 300), QStringLiteral("A300"));
        QCoreApplication::processEvents();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(model.rowCount(), 301); // 5 past the row that reached the end
        QCOMPARE(changed.size(), 0);     // rows the view has just been told of are read afresh
        // The row count grows only when a row reaches the end.
        QString line = QStringLiteral("x");
        form.ctl->LoadLine(line, QStringLiteral("|"), 2);
        QCOMPARE(form.grid->rowCount(), 301);
        form.ctl->setIsDirty(false); // the form's end of a load: the view hears now
        QCOMPARE(changed.size(), 1);
    }

    void hasData() {
        Form form({21, 21}, 2);
        QVERIFY(!form.ctl->HasData());
        form.grid->setText(2, 3, QStringLiteral("   "));
        QCOMPARE(form.grid->lastDataRow(), 3);
        QVERIFY(!form.ctl->HasData());
        form.grid->setText(1, 3, QStringLiteral(" x"));
        QVERIFY(form.ctl->HasData());
        form.ctl->setIsDirty(true);
        QVERIFY(form.ctl->IsDirty());
    }

    void productPickList() {
        ZozedizIZ::EpaDataList& products = ZozedizIZ::Globals::EpaList();
        products.Clear();
        products.Add(QStringLiteral("524-475"), QStringLiteral("Roundup Pro"));
        products.Add(QStringLiteral("100-1"), QStringLiteral("Merit 75 WP"));
        Form form;
        ReportGrid list;
        list.setColumns({{QStringLiteral("EPA Number"), 12, {}}, {QStringLiteral("Product Name"), 30, {}}});
        list.setRowCount(9);
        form.ctl->FillEPAListBox(list);
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(list.text(1, 1), QStringLiteral("100-1"));
        QCOMPARE(list.text(2, 1), QStringLiteral("Merit 75 WP"));
        QCOMPARE(list.text(1, 2), QStringLiteral("524-475"));
        QCOMPARE(list.text(2, 2), QStringLiteral("Roundup Pro"));
        products.Clear();
        form.ctl->FillEPAListBox(list);
        QCOMPARE(list.rowCount(), 0);
    }

    // A cell being edited is committed, and checked by the form as when the
    // user leaves it, before any command reads the grid.
    void editsAreCommittedFirst_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("validate") << "validate";
        QTest::newRow("save") << "save";
        QTest::newRow("paste") << "paste";
        QTest::newRow("insert rows") << "insert";
        QTest::newRow("clear") << "clear";
    }

    void editsAreCommittedFirst() {
        QFETCH(QString, command);
        Form form({25, 21}, 2);
        form.fill(2, [](int, int c) { return c == 1 ? QStringLiteral("GL") : QStringLiteral("ROUNDUP"); });
        form.grid->setText(1, 2, QString());
        form.window.show();
        form.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form.window));
        form.grid->setFocus();
        form.grid->setActiveCell(1, 2);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("l"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("b"));
        QVERIFY(form.grid->isEditing());
        UiScript ui;
        if (command == u"validate") QCOMPARE(form.ctl->ValidateForm(false), 0);
        if (command == u"save") QCOMPARE(form.ctl->PresaveForm(false, false), 1);
        if (command == u"paste") {
            QGuiApplication::clipboard()->setText(QStringLiteral("gl"));
            form.ctl->PasteOverwrite();
        }
        if (command == u"insert") form.ctl->InsertRows();
        if (command == u"clear") form.ctl->ClearRange();
        QVERIFY(!form.grid->isEditing());
        QVERIFY(form.ctl->IsDirty());
        // The form's own check of the edited cell came first.
        QCOMPARE(form.checks.value(0), QStringLiteral("2,1=LB"));
        const QString expected = command == u"paste"   ? QStringLiteral("GL")
                                 : command == u"clear" ? QString()
                                                       : QStringLiteral("LB");
        QCOMPARE(form.grid->text(1, 2), expected);
    }

    // The form's key table (Delete, Shift+Delete, Shift+Insert, Ctrl+V,
    // Ctrl+C, Ctrl+Insert, Ctrl+X, exact modifiers only): each key acts once,
    // the grid adds nothing of its own.
    void keyTableActsOnce_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("action");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << "clear";
        QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << "cut";
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << "paste";
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << "paste";
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << "copy";
        QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << "copy";
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier) << "cut";
        QTest::newRow("Ctrl+Shift+V") << int(Qt::Key_V) << int(Qt::ControlModifier | Qt::ShiftModifier) << "";
        QTest::newRow("Alt+Delete") << int(Qt::Key_Delete) << int(Qt::AltModifier) << "";
    }

    void keyTableActsOnce() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, action);
        Form form({21, 21}, 2);
        form.fill(3, [](int r, int c) { return QStringLiteral("R%1C%2").arg(r).arg(c); });
        QStringList acted;
        QObject::connect(form.grid, &ReportGrid::keyDown, form.grid, [&](int& code, int shift) {
            const auto act = [&](const QString& name, const std::function<void()>& body) {
                acted << name;
                body();
                code = 0;
            };
            if (shift == 0 && code == Qt::Key_Delete) act("clear", [&] { form.ctl->ClearRange(); });
            if (shift == 1 && code == Qt::Key_Delete) act("cut", [&] { form.grid->clipboardCut(); });
            if ((shift == 1 && code == Qt::Key_Insert) || (shift == 2 && code == Qt::Key_V))
                act("paste", [&] { form.ctl->PasteOverwrite(); });
            if (shift == 2 && (code == Qt::Key_C || code == Qt::Key_Insert))
                act("copy", [&] { form.grid->clipboardCopy(); });
            if (shift == 2 && code == Qt::Key_X) act("cut", [&] { form.grid->clipboardCut(); });
        });
        form.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.window));
        form.grid->setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("P\tQ\r\n"));
        form.grid->setActiveCell(1, 2);
        QTest::keyClick(form.grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(acted, action.isEmpty() ? QStringList{} : QStringList{action});
        QVERIFY(!form.grid->isEditing());
        const QString cell = form.grid->text(1, 2);
        if (action == u"paste") {
            QCOMPARE(cell, QStringLiteral("P"));
            QCOMPARE(form.checkedRows(), QList<int>{2});
        } else if (action == u"clear" || action == u"cut") {
            QCOMPARE(cell, QString());
        } else {
            QCOMPARE(cell, QStringLiteral("R2C1"));
        }
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 action == u"copy" || action == u"cut" ? QStringLiteral("R2C1\r\n") : QStringLiteral("P\tQ\r\n"));
    }
};

QTEST_MAIN(tst_zel_farpoint)
#include "tst_zel_farpoint.moc"
