#include "grid/GridClipboard.h"
#include "grid/GridModel.h"
#include "grid/PackedRows.h"
#include "grid/RecordStore.h"
#include "support/AllocationFailure.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <cstring>

using namespace Dazozuvi;

namespace {

constexpr quint32 Pink = CellColour::PalePink;
constexpr quint32 Yellow = CellColour::PaleYellow;

char colourLetter(quint32 bgr) {
    if (bgr == CellColour::White) return 'w';
    if (bgr == Pink) return 'p';
    if (bgr == Yellow) return 'y';
    return '?';
}

// Each row as "cell,cell:colours", e.g. "1a,1b:wp".
QStringList dump(const GridModel& model) {
    QStringList rows;
    for (int r = 0; r < model.rows(); ++r) {
        QStringList cells;
        QString colours;
        for (int c = 0; c < model.columnCount(); ++c) {
            cells << model.text(r, c);
            colours += QLatin1Char(colourLetter(model.colour(r, c)));
        }
        rows << cells.join(QLatin1Char(',')) + QLatin1Char(':') + colours;
    }
    return rows;
}

// Runs one row operation, written as "insert 1 2" (row, count), "remove 1
// 2", "deleteKeep 1 2", "copy 0 2 3" (from, count, to), "clear 1 0 3 0"
// (row1, col1, row2, col2), "rows 2" or "columns 1".
void runOperation(GridModel& model, const QString& operation) {
    const QStringList p = operation.split(u' ');
    const auto n = [&](int i) { return p[i].toInt(); };
    if (p[0] == u"insert") model.insertRowsAt(n(1), n(2));
    if (p[0] == u"remove") model.removeRowsAt(n(1), n(2));
    if (p[0] == u"deleteKeep") model.deleteRowsKeepingCount(n(1), n(2));
    if (p[0] == u"copy") model.copyRows(n(1), n(2), n(3));
    if (p[0] == u"clear") model.clearBlock(n(1), n(2), n(3), n(4));
    if (p[0] == u"rows") model.setRows(n(1));
    if (p[0] == u"columns") model.setColumnCount(n(1));
}

// Five rows "1a,1b" .. "5a,5b"; row 2 column 1 pink, row 4 column 2 yellow.
void fill(GridModel& model) {
    model.setColumnCount(2);
    model.setRows(5);
    for (int r = 0; r < 5; ++r) {
        model.setText(r, 0, QStringLiteral("%1a").arg(r + 1));
        model.setText(r, 1, QStringLiteral("%1b").arg(r + 1));
    }
    model.setColour(1, 0, Pink);
    model.setColour(3, 1, Yellow);
}

// Rows of every kind a row change moves or drops, in a row table with no room
// to spare: short texts and one long enough for a record of its own on the
// heap, rows of several colours, rows of one colour that is not white, white
// rows and empty ones.
void fillEveryKind(GridModel& model) {
    model.setColumnCount(3);
    model.setRows(24);
    const quint32 yellowRow[] = {Yellow, Yellow, Yellow};
    for (int r = 0; r < 20; ++r) {
        if (r % 7 == 6) continue;
        model.setText(r, 0, QStringLiteral("R%1").arg(r));
        model.setText(r, 2, r == 5 ? QString(2000, u'L') : QStringLiteral("C%1").arg(r));
        if (r % 3 == 0) model.setColour(r, 1, Pink);
        if (r % 4 == 1) model.setRowColours(r, yellowRow, 3);
    }
}

// Rows added, coloured, copied and removed again, as the user goes on after
// a change: a record or a colour slot that a failed change gave back while a
// row still held it would be handed out a second time here.
void goOn(GridModel& model) {
    const int rows = model.rows();
    model.setRows(rows + 6);
    for (int r = rows; r < rows + 6; ++r) {
        model.setText(r, 0, QStringLiteral("N%1").arg(r));
        model.setText(r, 1, QString(r == rows ? 1500 : 3, u'n'));
        model.setColour(r, r % 3, Yellow);
    }
    model.copyRows(rows, 3, 0);
    model.removeRowsAt(1, 2);
    model.insertRowsAt(rows / 2, 2);
}

} // namespace

class tst_grid_model : public QObject {
    Q_OBJECT

private slots:
    void rowOperationsCarryTextAndColours_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("insert two at row 1")
            << "insert 1 2" << QStringList{"1a,1b:ww", ",:ww", ",:ww", "2a,2b:pw", "3a,3b:ww", "4a,4b:wy", "5a,5b:ww"};
        QTest::newRow("insert at the end")
            << "insert 5 1" << QStringList{"1a,1b:ww", "2a,2b:pw", "3a,3b:ww", "4a,4b:wy", "5a,5b:ww", ",:ww"};
        QTest::newRow("remove two from row 1") << "remove 1 2" << QStringList{"1a,1b:ww", "4a,4b:wy", "5a,5b:ww"};
        QTest::newRow("delete keeping the count")
            << "deleteKeep 1 2" << QStringList{"1a,1b:ww", "4a,4b:wy", "5a,5b:ww", ",:ww", ",:ww"};
        QTest::newRow("copy two rows down")
            << "copy 0 2 3" << QStringList{"1a,1b:ww", "2a,2b:pw", "3a,3b:ww", "1a,1b:ww", "2a,2b:pw"};
        QTest::newRow("copy overlapping, past the end")
            << "copy 3 2 4" << QStringList{"1a,1b:ww", "2a,2b:pw", "3a,3b:ww", "4a,4b:wy", "4a,4b:wy", "5a,5b:ww"};
        QTest::newRow("copy overlapping upwards")
            << "copy 1 3 0" << QStringList{"2a,2b:pw", "3a,3b:ww", "4a,4b:wy", "4a,4b:wy", "5a,5b:ww"};
        QTest::newRow("clear a block keeps colours")
            << "clear 1 0 3 0" << QStringList{"1a,1b:ww", ",2b:pw", ",3b:ww", ",4b:wy", "5a,5b:ww"};
        QTest::newRow("shrink drops rows") << "rows 2" << QStringList{"1a,1b:ww", "2a,2b:pw"};
        QTest::newRow("fewer columns drop cells") << "columns 1" << QStringList{"1a:w", "2a:p", "3a:w", "4a:w", "5a:w"};
    }

    void rowOperationsCarryTextAndColours() {
        QFETCH(QString, operation);
        QFETCH(QStringList, expected);
        GridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(model);
        runOperation(model, operation);
        QCOMPARE(dump(model), expected);
    }

    // Memory that runs out at any step of a row change (the row tables, the
    // colours, the rows of several colours, their slots, the records) leaves
    // every row with its texts and colours as it was, and the grid goes on
    // as if the change had never been tried: made afterwards, the change and
    // the edits after it give what they give with memory to spare.
    void failedRowChangeLeavesTheGridAsItWas_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("insert between rows of several colours") << "insert 3 2";
        QTest::newRow("insert at the top") << "insert 0 1";
        QTest::newRow("insert many at the end") << "insert 24 30";
        QTest::newRow("remove rows of every kind") << "remove 2 5";
        QTest::newRow("remove the last rows") << "remove 18 6";
        QTest::newRow("delete rows keeping the count") << "deleteKeep 0 4";
        QTest::newRow("copy rows of several colours onto others") << "copy 0 7 9";
        QTest::newRow("copy past the end") << "copy 9 8 20";
        QTest::newRow("more rows") << "rows 70";
        QTest::newRow("fewer rows") << "rows 4";
    }

    void failedRowChangeLeavesTheGridAsItWas() {
        if (!AllocationFailure::available()) QSKIP("a sanitized build keeps its own allocator");
        QFETCH(QString, operation);
        GridModel reference;
        fillEveryKind(reference);
        runOperation(reference, operation);
        const QStringList changed = dump(reference);
        goOn(reference);
        const QStringList wentOn = dump(reference);

        int failures = 0;
        for (int passing = 0;; ++passing) {
            GridModel model;
            fillEveryKind(model);
            const QStringList before = dump(model);
            bool raised = false;
            bool failed = false;
            {
                AllocationFailure::Armed failing(passing);
                try {
                    runOperation(model, operation);
                } catch (const std::bad_alloc&) {
                    raised = true;
                }
                failed = failing.failed();
            }
            const QString step = QStringLiteral("allocation %1").arg(passing + 1);
            if (!failed) {
                QVERIFY(!raised);
                QCOMPARE(dump(model), changed);
                break;
            }
            if (raised) {
                ++failures;
                QVERIFY2(dump(model) == before, qPrintable(step + QStringLiteral(" failed: the grid changed")));
                QCOMPARE(model.rowCount(), model.rows());
                runOperation(model, operation);
            }
            QVERIFY2(dump(model) == changed, qPrintable(step));
            goOn(model);
            QVERIFY2(dump(model) == wentOn, qPrintable(step + QStringLiteral(": the grid went on otherwise")));
        }
        QVERIFY2(failures > 0, "no allocation of the change failed");
    }

    void textIsKeptExactly_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("blanks and lower case") << QStringLiteral("  mixed Case  ");
        QTest::newRow("separators inside") << QStringLiteral("a|b\tc\r\nd");
        QTest::newRow("latin-1") << QStringLiteral("Caf\u00e9 \u00ff");
        QTest::newRow("windows-1252 beyond latin-1") << QStringLiteral("O\u2019Brien \u20ac5");
        QTest::newRow("beyond windows-1252") << QStringLiteral("\u03a9 \U0001F600");
        QTest::newRow("longer than 255") << QString(300, u'x');
        QTest::newRow("longer than 65535") << QString(70000, u'y') + QStringLiteral("\u2603");
    }

    void textIsKeptExactly() {
        QFETCH(QString, text);
        GridModel model;
        model.setColumnCount(4);
        model.setRows(2);
        model.setText(0, 0, QStringLiteral("left"));
        model.setText(0, 2, text);
        model.setText(0, 3, QStringLiteral("right"));
        QCOMPARE(model.text(0, 2), text);
        // Rewriting a neighbour rebuilds the row and keeps the text.
        model.setText(0, 1, QStringLiteral("n\u00e9w"));
        model.setText(0, 3, QString());
        QCOMPARE(model.text(0, 0), QStringLiteral("left"));
        QCOMPARE(model.text(0, 1), QStringLiteral("n\u00e9w"));
        QCOMPARE(model.text(0, 2), text);
        QCOMPARE(model.text(0, 3), QString());
        model.copyRows(0, 1, 1);
        QCOMPARE(model.text(1, 2), text);
    }

    // A row of up to 127 short Latin-1 cells has a head of one byte, a row of
    // more the general head: either way every cell stays, written cell by
    // cell or from ASCII bytes, copied, and cut down to fewer columns.
    void rowsOfManyCellsKeepEveryCell_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("cutTo");
        QTest::newRow("127 cells") << 127 << 126;
        QTest::newRow("128 cells, cut to 127") << 128 << 127;
        QTest::newRow("300 cells, cut to 100") << 300 << 100;
    }

    void rowsOfManyCellsKeepEveryCell() {
        QFETCH(int, columns);
        QFETCH(int, cutTo);
        PackedRows store(columns);
        store.setRowCount(4);
        QStringList texts;
        QByteArray ascii;
        for (int c = 0; c < columns; ++c) {
            texts << (c % 7 == 3 ? QString() : QStringLiteral("c%1").arg(c));
            ascii += texts.back().toLatin1() + '|';
        }
        QList<QStringView> views(texts.begin(), texts.end());
        store.setCells(0, 0, views.constData(), views.size());
        const QList<QByteArray> parts = ascii.split('|');
        QList<QLatin1StringView> latin1;
        for (int c = 0; c < columns; ++c) latin1 << QLatin1StringView(parts[c]);
        store.setUpperAsciiCells(1, 0, latin1.constData(), latin1.size());
        store.copyRows(0, 2, 2);
        store.setText(3, 0, QStringLiteral("\u00e9"));
        const auto check = [&](int count) {
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < count; ++c) {
                    QString want = r % 2 == 0 ? texts[c] : texts[c].toUpper();
                    if (r == 3 && c == 0) want = QStringLiteral("\u00e9");
                    if (store.text(r, c) != want)
                        QFAIL(qPrintable(QStringLiteral("row %1 column %2: %3").arg(r).arg(c).arg(store.text(r, c))));
                }
        };
        check(columns);
        QCOMPARE(store.lastDataColumn(), columns - 1);
        store.setColumnCount(cutTo);
        check(cutTo);
        QCOMPARE(store.lastDataColumn(), cutTo - 1);
    }

    void lastDataRowAndColumn() {
        GridModel model;
        model.setColumnCount(5);
        model.setRows(10);
        QCOMPARE(model.lastDataRow(), -1);
        QCOMPARE(model.lastDataColumn(), -1);
        model.setText(6, 1, QStringLiteral("x"));
        model.setText(2, 3, QStringLiteral("y"));
        QCOMPARE(model.lastDataRow(), 6);
        QCOMPARE(model.lastDataColumn(), 3);
        // Colours and empty texts are not data.
        model.setColour(9, 4, Pink);
        model.setText(8, 4, QString());
        QCOMPARE(model.lastDataRow(), 6);
        QCOMPARE(model.lastDataColumn(), 3);
        model.setText(2, 3, QString());
        QCOMPARE(model.lastDataColumn(), 1);
        model.insertRowsAt(0, 2);
        QCOMPARE(model.lastDataRow(), 8);
        model.clearBlock(8, 0, 8, 4);
        QCOMPARE(model.lastDataRow(), -1);
        model.setText(3, 0, QStringLiteral("a"));
        model.setText(7, 0, QStringLiteral("b"));
        model.removeRowsAt(5, 4);
        QCOMPARE(model.lastDataRow(), 3);
        model.deleteRowsKeepingCount(2, 2);
        QCOMPARE(model.lastDataRow(), -1);
        QCOMPARE(model.rows(), 8);
    }

    void fieldsOfALine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<int>("firstCol");
        QTest::addColumn<int>("fields");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("blanks trimmed, upper-cased") << "  100-1 | roundup pro |2.5  "
                                                     << "|" << 0 << 3 << QStringList{"100-1", "ROUNDUP PRO", "2.5", ""};
        QTest::newRow("empty fields and a trailing bar") << "a||c|"
                                                         << "|" << 0 << 4 << QStringList{"A", "", "C", ""};
        QTest::newRow("extra fields dropped, all counted") << "1,2,3,4,5,6"
                                                           << "," << 1 << 6 << QStringList{"", "1", "2", "3"};
        QTest::newRow("only blanks are trimmed") << "\tx \t"
                                                 << "|" << 0 << 1 << QStringList{"\tX \t", "", "", ""};
        // Upper case as the code page has it: a letter changes only into one
        // the file can hold, so lengths stay and every text can be saved.
        QTest::newRow("letters beyond ASCII")
            << QStringLiteral("caf\u00e9|stra\u00dfe \u00b5g|\u03c9 \u00ff") << "|" << 0 << 3
            << QStringList{QStringLiteral("CAF\u00c9"), QStringLiteral("STRA\u00dfE \u00b5G"),
                           QStringLiteral("\u03c9 \u0178"), ""};
        QTest::newRow("separator of two") << "a::b"
                                          << "::" << 0 << 2 << QStringList{"A", "B", "", ""};
        // Every printable ASCII character, at every place of an eight-byte
        // word as the line is taken eight bytes at a time.
        QString printable;
        for (char16_t c = u'!'; c <= u'~'; ++c)
            if (c != u'|') printable += QChar(c);
        QString upper = printable;
        for (QChar& c : upper)
            if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
        QTest::newRow("every ASCII character")
            << printable + "|" + printable.mid(3) << "|" << 0 << 2 << QStringList{upper, upper.mid(3), "", ""};
    }

    void fieldsOfALine() {
        QFETCH(QString, line);
        QFETCH(QString, separator);
        QFETCH(int, firstCol);
        QFETCH(int, fields);
        QFETCH(QStringList, cells);
        GridModel model;
        model.setColumnCount(4);
        model.setRows(1);
        model.setText(0, 3, QStringLiteral("kept"));
        QCOMPARE(model.setRowFields(0, firstCol, line, separator), fields);
        QStringList got;
        for (int c = 0; c < 4; ++c) got << model.text(0, c);
        if (firstCol + fields < 4) cells[3] = QStringLiteral("kept");
        QCOMPARE(got, cells);

        // A line of ASCII bytes with a one-byte separator goes in from its
        // bytes, upper-cased where they stand, alike.
        bool ascii = true;
        for (const QChar c : line) ascii = ascii && c.unicode() < 0x80;
        if (ascii && separator.size() == 1) {
            GridModel bytesModel;
            bytesModel.setColumnCount(4);
            bytesModel.setRows(1);
            bytesModel.setText(0, 3, QStringLiteral("kept"));
            QByteArray bytes = line.toLatin1();
            QCOMPARE(
                bytesModel.setRowFieldsAscii(0, firstCol, bytes.data(), bytes.size(), char(separator[0].unicode())),
                fields);
            for (int c = 0; c < 4; ++c) QCOMPARE(bytesModel.text(0, c), got[c]);
        }

        // The same cells, read a row at a time.
        QString buffer;
        QVarLengthArray<QStringView, 32> views;
        model.rowCells(0, buffer, views);
        QCOMPARE(views.size(), 4);
        for (int c = 0; c < 4; ++c) QCOMPARE(views[c].toString(), got[c]);
        model.setRows(2);
        model.rowCells(1, buffer, views);
        for (const QStringView v : views) QVERIFY(v.isEmpty());
    }

    // Cells of ASCII bytes stored upper-cased (a Form 26A list's rows) make
    // the row the general way makes from their upper case: texts, the last
    // data row and column, the memory counted.
    void upperAsciiCellsAsTheGeneralWay_data() {
        QTest::addColumn<QString>("before"); // row 0 before, cells joined by "|"
        QTest::addColumn<int>("firstCol");
        QTest::addColumn<QString>("cells");
        QString printable;
        for (char16_t c = u' '; c <= u'~'; ++c)
            if (c != u'|') printable += QChar(c);
        QTest::newRow("empty row") << "" << 0 << "c2184025|85476|carlos|doe|0";
        QTest::newRow("every ASCII character") << "" << 0 << printable + "|" + printable.mid(5) + "|x";
        QTest::newRow("trailing empty cells") << "" << 0 << "a|b|||";
        QTest::newRow("only empty cells") << "" << 0 << "||||";
        QTest::newRow("empty cells between") << "" << 0 << "|b||d|";
        QTest::newRow("longer than 255") << "" << 0 << QString(300, u'q') + "|z";
        QTest::newRow("from a later column") << "" << 2 << "x|y";
        QTest::newRow("row with text") << QStringLiteral("old|r\u00e9st|||kept") << 0 << "n|m";
        QTest::newRow("row with text, emptied") << "old|text" << 0 << "|";
    }

    void upperAsciiCellsAsTheGeneralWay() {
        QFETCH(QString, before);
        QFETCH(int, firstCol);
        QFETCH(QString, cells);
        GridModel fast, general;
        for (GridModel* model : {&fast, &general}) {
            model->setColumnCount(5);
            model->setRows(3);
            model->setText(2, 0, QStringLiteral("below"));
            const QStringList old = before.split(QLatin1Char('|'));
            for (int c = 0; c < old.size() && !before.isEmpty(); ++c) model->setText(0, c, old[c]);
        }
        const QByteArray bytes = cells.toLatin1();
        const QList<QByteArray> parts = bytes.split('|');
        QList<QLatin1StringView> views;
        for (const QByteArray& part : parts) views << QLatin1StringView(part);
        fast.setUpperAsciiCells(0, firstCol, views.constData(), views.size());
        QStringList upper;
        for (const QByteArray& part : parts) upper << QString::fromLatin1(part).toUpper();
        QList<QStringView> upperViews(upper.begin(), upper.end());
        general.setCells(0, firstCol, upperViews.constData(), upperViews.size());
        QCOMPARE(dump(fast), dump(general));
        QCOMPARE(fast.lastDataRow(), general.lastDataRow());
        QCOMPARE(fast.lastDataColumn(), general.lastDataColumn());
        QCOMPARE(fast.store().memoryBytes(), general.store().memoryBytes());
        // The cells given are left as they were.
        QCOMPARE(QByteArray(parts.join('|')), bytes);
    }

    // Room set aside for rows changes no row, and rows added into it or
    // beyond it keep their texts.
    void reservedRowsChangeNothing() {
        GridModel model;
        fill(model);
        const QStringList was = dump(model);
        model.reserveRows(1000);
        QCOMPARE(dump(model), was);
        model.reserveRows(-1);
        model.reserveRows(2);
        QCOMPARE(dump(model), was);
        model.setRows(2000);
        model.setText(1999, 1, QStringLiteral("last"));
        QCOMPARE(dump(model).mid(0, 5), was);
        QCOMPARE(model.text(1999, 1), QStringLiteral("last"));
        QCOMPARE(model.lastDataRow(), 1999);
    }

    void bulkUpdateSendsOneSignal() {
        GridModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumnCount(3);
        model.setRows(5);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        {
            GridModel::BulkUpdate bulk(model);
            for (int r = 0; r < 1000; ++r) {
                if (model.rows() <= r) model.setRows(r + 5);
                const QStringView cells[] = {u"a", u"b", u"c"};
                model.setCells(r, 0, cells, 3);
                model.setColour(r, 2, Pink);
            }
            QCOMPARE(model.rowCount(), 5); // the view hears of the rows at the end
            QCOMPARE(model.rows(), 1000);
            QCOMPARE(changed.count(), 0);
        }
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.rowCount(), 1000);
        const auto args = changed.first();
        QCOMPARE(args.at(0).value<QModelIndex>(), model.index(0, 0));
        QCOMPARE(args.at(1).value<QModelIndex>(), model.index(4, 2));

        // A row inserted in the middle during a bulk update is announced at
        // once, so the view never reads a row it does not know.
        changed.clear();
        inserted.clear();
        {
            GridModel::BulkUpdate bulk(model);
            model.insertRowsAt(2, 3);
            model.setText(2, 0, QStringLiteral("new"));
            model.setRows(2000);
        }
        QCOMPARE(inserted.count(), 2);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.text(2, 0), QStringLiteral("new"));
        QCOMPARE(model.text(5, 0), QStringLiteral("a"));

        changed.clear();
        model.setText(0, 0, QStringLiteral("x"));
        model.setText(1, 0, QStringLiteral("y"));
        QCOMPARE(changed.count(), 2);
    }

    void clipboardRowCount_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("rows");
        QTest::newRow("no text") << QString() << 0;
        QTest::newRow("one row, two cells") << QStringLiteral("A\tB") << 1;
        QTest::newRow("two rows ended by CR LF") << QStringLiteral("A\r\nB\r\n") << 2;
        QTest::newRow("second row unended") << QStringLiteral("A\r\nB") << 2;
        QTest::newRow("LF alone") << QStringLiteral("A\nB\n") << 2;
        QTest::newRow("empty row inside") << QStringLiteral("A\r\n\r\nB") << 3;
        QTest::newRow("a lone CR is no row end") << QStringLiteral("A\rB") << 1;
    }

    void clipboardRowCount() {
        QFETCH(QString, text);
        QFETCH(int, rows);
        QCOMPARE(GridClipboard::rowCount(text), rows);
        // The reader finds exactly as many rows as the count says.
        GridClipboard::Rows reader(text);
        QVarLengthArray<QStringView, 32> cells;
        int read = 0;
        while (reader.next(cells)) ++read;
        QCOMPARE(read, rows);
    }

    void clipboardTextBothWays() {
        GridModel model;
        model.setColumnCount(3);
        model.setRows(3);
        model.setText(0, 0, QStringLiteral("A"));
        model.setText(0, 1, QStringLiteral(" b "));
        model.setText(1, 2, QStringLiteral("C"));
        const QString text = GridClipboard::blockText(model, 0, 0, 2, 2);
        QCOMPARE(text, QStringLiteral("A\t b \t\r\n\t\tC\r\n\t\t\r\n"));
        GridClipboard::Rows reader(text);
        QVarLengthArray<QStringView, 32> cells;
        QVERIFY(reader.next(cells));
        QCOMPARE(cells.size(), 3);
        QCOMPARE(cells[1].toString(), QStringLiteral(" b "));
        QVERIFY(reader.next(cells));
        QCOMPARE(cells[2].toString(), QStringLiteral("C"));
        QVERIFY(reader.next(cells));
        QCOMPARE(cells.size(), 3);
        QVERIFY(!reader.next(cells));

        GridClipboard::Rows keepsLoneCr(QStringLiteral("a\rb\tc\r\n"));
        QVERIFY(keepsLoneCr.next(cells));
        QCOMPARE(cells[0].toString(), QStringLiteral("a\rb"));
        QCOMPARE(cells[1].toString(), QStringLiteral("c"));
    }

    // The rows of a large grid live in big blocks of memory and are reused
    // as rows are rewritten: every text stays exactly as written, short or
    // long, Latin-1 or wider, through rewrites, copies, inserts and removals.
    void manyRowsKeepTheirTextsThroughRewrites() {
        GridModel model;
        model.setColumnCount(3);
        const int rows = 60000; // several megabytes: past the first blocks
        model.setRows(rows);
        QStringList shadow(rows * 3);
        QRandomGenerator random(7);
        const auto text = [&](int r) {
            switch (random.bounded(8)) {
            case 0: return QString();
            case 1: return QString(1100 + int(random.bounded(300)), QChar(u'a' + r % 26)); // the heap's
            case 2: return QStringLiteral("\u03a9-%1").arg(r);                             // wider than Latin-1
            default: return QStringLiteral("R%1-").arg(r) + QString(int(random.bounded(40)), u'x');
            }
        };
        for (int round = 0; round < 4; ++round) {
            for (int i = 0; i < rows; ++i) {
                const int r = round == 0 ? i : int(random.bounded(rows));
                const int c = int(random.bounded(3));
                shadow[r * 3 + c] = text(r);
                model.setText(r, c, shadow[r * 3 + c]);
            }
        }
        model.copyRows(10, 100, 30000);
        for (int i = 0; i < 100 * 3; ++i) shadow[30000 * 3 + i] = shadow[10 * 3 + i];
        model.removeRowsAt(5, 3);
        shadow.remove(5 * 3, 9);
        model.insertRowsAt(0, 2);
        shadow.insert(0, 6, QString());
        QCOMPARE(model.rows(), int(shadow.size() / 3));
        for (int r = 0; r < model.rows(); ++r)
            for (int c = 0; c < 3; ++c)
                if (model.text(r, c) != shadow[r * 3 + c])
                    QFAIL(qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(c)));
    }

    // Records given back are taken again by records of their size: a grid
    // whose rows are rewritten over and over does not grow. Every record,
    // in the blocks or one of the heap's among them, keeps its bytes until
    // it is given back.
    void rewrittenRecordsReuseTheirMemory() {
        RecordStore store;
        QRandomGenerator random(11);
        std::vector<std::pair<RecordStore::Handle, std::size_t>> records(100000);
        const auto size = [&] {
            return random.bounded(500) == 0 ? RecordStore::Largest + 1 + random.bounded(3000)
                                            : std::size_t(8 + random.bounded(120));
        };
        const auto fill = [&](RecordStore::Handle record, std::size_t bytes) {
            QVERIFY(record != 0);
            std::memset(store.at(record), int(bytes), bytes);
        };
        for (auto& [record, bytes] : records) {
            bytes = size();
            record = store.take(bytes);
            fill(record, bytes);
        }
        const std::size_t filled = store.reservedBytes();
        for (int round = 0; round < 10; ++round) {
            for (auto& [record, bytes] : records) {
                const unsigned char* at = store.at(record);
                QVERIFY(at[0] == static_cast<unsigned char>(bytes) && at[bytes - 1] == at[0]);
                store.give(record, bytes);
                bytes = size();
                record = store.take(bytes);
                fill(record, bytes);
            }
        }
        for (const auto& [record, bytes] : records) {
            const unsigned char* at = store.at(record);
            QVERIFY(at[0] == static_cast<unsigned char>(bytes) && at[bytes - 1] == at[0]);
        }
        QVERIFY2(store.reservedBytes() <= filled * 3 / 2,
                 qPrintable(QStringLiteral("%1 bytes after the fill, %2 after the rewrites")
                                .arg(filled)
                                .arg(store.reservedBytes())));
        for (auto& [record, bytes] : records) store.give(record, bytes);
    }

    // A row of one colour keeps one index, a row of several a slot of its
    // own: every row operation moves, copies and frees them as a table of
    // one colour per cell would. With a full palette of 256 colours a row
    // may be all of the last one, and hundreds of rows have several colours.
    void coloursFollowEveryRowOperation_data() {
        QTest::addColumn<int>("mostRows");
        QTest::addColumn<int>("colours");
        QTest::addColumn<int>("steps");
        QTest::newRow("a few rows, four colours") << 80 << 4 << 4000;
        QTest::newRow("hundreds of rows of several colours, 256 colours") << 1500 << 256 << 1500;
    }

    void coloursFollowEveryRowOperation() {
        QFETCH(int, mostRows);
        QFETCH(int, colours);
        QFETCH(int, steps);
        PackedRows store(4);
        std::vector<std::vector<quint32>> expected;
        const auto resizeExpected = [&](int rows) {
            expected.resize(std::size_t(rows),
                            std::vector<quint32>(std::size_t(store.columnCount()), CellColour::White));
        };
        std::vector<quint32> palette = {CellColour::White, Pink, Yellow, 0x123456};
        for (quint32 bgr = 1; int(palette.size()) < colours; ++bgr) palette.push_back(bgr);
        // The grid's palette in this order: the last colour is its last index.
        store.setRowCount(1);
        for (const quint32 bgr : palette) store.setColour(0, 0, bgr);
        store.setColour(0, 0, CellColour::White);
        const int startRows = std::min(50, mostRows / 2);
        store.setRowCount(startRows);
        resizeExpected(startRows);
        QRandomGenerator random(3);
        const auto colour = [&] { return palette[random.bounded(quint32(palette.size()))]; };
        const int mostInserted = std::max(5, mostRows / 50);
        int mostSeveral = 0;
        for (int step = 0; step < steps; ++step) {
            const int rows = store.rowCount(), columns = store.columnCount();
            const int row = rows > 0 ? int(random.bounded(rows)) : 0;
            QString what;
            switch (random.bounded(9)) {
            case 0:
            case 1:
                if (rows == 0 || columns == 0) break;
                {
                    const int col = int(random.bounded(columns));
                    const quint32 bgr = colour();
                    store.setColour(row, col, bgr);
                    expected[std::size_t(row)][std::size_t(col)] = bgr;
                    what = QStringLiteral("setColour");
                }
                break;
            case 2:
            case 3: {
                if (rows == 0) break;
                // A run of rows as a check colours them: often one colour
                // for a whole row, sometimes a cell kept.
                const int last = std::min(rows, row + 1 + int(random.bounded(std::max(1, mostRows / 10))));
                for (int r = row; r < last; ++r) {
                    const bool uniform = random.bounded(2) == 0;
                    const quint32 one = random.bounded(4) == 0 ? palette.back() : colour();
                    std::vector<quint32> bgr;
                    for (int c = 0; c < columns; ++c) {
                        const quint32 cell = random.bounded(5) == 0 ? PackedRows::KeepColour : uniform ? one : colour();
                        bgr.push_back(cell);
                        if (cell != PackedRows::KeepColour) expected[std::size_t(r)][std::size_t(c)] = cell;
                    }
                    store.setRowColours(r, bgr.data(), columns);
                }
                what = QStringLiteral("setRowColours");
                break;
            }
            case 4: {
                const int at = int(random.bounded(rows + 1)), count = 1 + int(random.bounded(mostInserted));
                store.insertRows(at, count);
                expected.insert(expected.begin() + at, std::size_t(count),
                                std::vector<quint32>(std::size_t(columns), CellColour::White));
                what = QStringLiteral("insertRows");
                break;
            }
            case 5: {
                if (rows == 0) break;
                const int count = 1 + int(random.bounded(std::min(mostInserted, rows - row)));
                store.removeRows(row, count);
                expected.erase(expected.begin() + row, expected.begin() + row + count);
                what = QStringLiteral("removeRows");
                break;
            }
            case 6: {
                if (rows < 2) break;
                const int count = 1 + int(random.bounded(rows / 2));
                const int from = int(random.bounded(rows - count + 1)), to = int(random.bounded(rows - count + 1));
                store.copyRows(from, count, to);
                const auto copied =
                    std::vector<std::vector<quint32>>(expected.begin() + from, expected.begin() + from + count);
                std::copy(copied.begin(), copied.end(), expected.begin() + to);
                what = QStringLiteral("copyRows");
                break;
            }
            case 7: {
                const int wanted = 1 + int(random.bounded(6));
                store.setColumnCount(wanted);
                for (auto& cells : expected) cells.resize(std::size_t(wanted), CellColour::White);
                what = QStringLiteral("setColumnCount");
                break;
            }
            default: {
                const int wanted = int(random.bounded(mostRows));
                store.setRowCount(wanted);
                resizeExpected(wanted);
                what = QStringLiteral("setRowCount");
                break;
            }
            }
            QCOMPARE(store.rowCount(), int(expected.size()));
            for (int r = 0; r < store.rowCount(); ++r)
                for (int c = 0; c < store.columnCount(); ++c)
                    if (store.colour(r, c) != expected[std::size_t(r)][std::size_t(c)])
                        QFAIL(qPrintable(
                            QStringLiteral("step %1 (%2): row %3 column %4").arg(step).arg(what).arg(r).arg(c)));
            const auto several = std::count_if(expected.begin(), expected.end(), [](const auto& cells) {
                return std::adjacent_find(cells.begin(), cells.end(), std::not_equal_to<>()) != cells.end();
            });
            mostSeveral = std::max(mostSeveral, int(several));
        }
        // The rows of several colours were as many as the grid has: hundreds
        // in the large grid.
        QVERIFY2(mostSeveral >= std::min(mostRows / 4, 300), qPrintable(QString::number(mostSeveral)));
    }
};

QTEST_MAIN(tst_grid_model)
#include "tst_grid_model.moc"
