// grid_model FILE
// Measures the report grid alone on a Form 26 file (make_report 1 RECORDS ...),
// offscreen:
//   load    every record into the grid as the form's loader does: the fields
//           after the three header fields, trimmed and upper-cased, in one
//           bulk update, the row count kept 5 past the row being written;
//   check   every checked cell (columns 1 to 10) read, trimmed, upper-cased
//           and coloured, as a whole-grid check does around the validator,
//           once a string per cell and once a row at a time;
//   paste   100,000 copied rows inserted in the middle of the grid (Insert),
//           then pasted over the last rows so that the grid grows (Paste);
//   scroll  the grid painted at 200 places from top to bottom.
// Prints seconds, milliseconds per painted screen and peak memory beside the
// file's size, and hands the spans to bench/pairs as marks (Marks.h). The
// grid alone, inside one process: a part of what a form's open costs, whose
// whole is measured on the real program (bench/run-all).
#include "BenchSupport.h"
#include "Marks.h"
#include "grid/GridClipboard.h"
#include "grid/ReportGrid.h"

#include "Vezedad/foundation/Cp1252.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace Dazozuvi;

namespace {

using Bench::peakMegabytes;
using Bench::seconds;

// Reads and decodes every line without touching the grid: the part of a load
// that is the file's, not the grid's. Returns the number of characters, so
// that nothing is optimised away.
qint64 readOnly(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    QByteArray line(1 << 16, Qt::Uninitialized);
    qint64 characters = 0;
    for (;;) {
        const qint64 n = file.readLine(line.data(), line.size());
        if (n <= 0) break;
        characters += Vezedad::Cp1252::decode(QByteArrayView(line.constData(), qsizetype(n))).size();
    }
    return characters;
}

qint64 load(ReportGrid& grid, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    GridModel& model = grid.gridModel();
    GridModel::BulkUpdate bulk(model);
    QByteArray line(1 << 16, Qt::Uninitialized);
    int row = 0;
    qint64 records = 0;
    for (;;) {
        const qint64 n = file.readLine(line.data(), line.size());
        if (n <= 0) break;
        qsizetype size = qsizetype(n);
        while (size > 0 && (line[size - 1] == '\n' || line[size - 1] == '\r')) --size;
        if (size == 0) continue;
        ++records;
        const QString text = Vezedad::Cp1252::decode(QByteArrayView(line.constData(), size));
        // The three header fields (indicator, certification id, registration
        // number) are not grid columns.
        qsizetype start = 0;
        for (int skip = 0; skip < 3 && start >= 0; ++skip) start = text.indexOf(u'|', start) + 1;
        if (start <= 0) continue;
        if (model.rows() <= row) model.setRows(row + 5);
        model.setRowFields(row, 0, QStringView(text).sliced(start), u"|");
        ++row;
    }
    model.setRows(model.lastDataRow() + 1 + 5);
    return records;
}

// A stand-in verdict, cheap and depending on the value.
quint32 verdict(qsizetype size, int row) { return (size + row) % 17 == 0 ? CellColour::PalePink : CellColour::White; }

// Cell by cell, a string each, as a check that asks for every cell's text.
void checkByCell(ReportGrid& grid) {
    GridModel& model = grid.gridModel();
    GridModel::BulkUpdate bulk(model);
    const int last = model.lastDataRow();
    for (int r = 0; r <= last; ++r) {
        for (int c = 0; c < 10; ++c) {
            const QString value = model.text(r, c).trimmed().toUpper();
            model.setColour(r, c, verdict(value.size(), r));
        }
    }
}

// Row by row through one reused buffer, upper-casing in place.
void checkByRow(ReportGrid& grid) {
    GridModel& model = grid.gridModel();
    GridModel::BulkUpdate bulk(model);
    const int last = model.lastDataRow();
    QString buffer;
    QVarLengthArray<QStringView, 32> cells;
    for (int r = 0; r <= last; ++r) {
        model.rowCells(r, buffer, cells);
        for (int c = 0; c < 10; ++c) {
            const QStringView value = cells[c].trimmed();
            char16_t* p = const_cast<char16_t*>(value.utf16());
            for (qsizetype i = 0; i < value.size(); ++i)
                if (p[i] >= u'a' && p[i] <= u'z') p[i] = char16_t(p[i] - 32);
            model.setColour(r, c, verdict(value.size(), r));
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: grid_model FILE\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[1]);
    const double fileMb = double(QFile(path).size()) / (1024.0 * 1024.0);

    ReportGrid grid;
    Bench::setUpForm26(grid);
    grid.resize(1200, 800);
    grid.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    const qint64 characters = readOnly(path);
    const double readSeconds = seconds(timer);

    timer.restart();
    const qint64 records = load(grid, path);
    QApplication::processEvents();
    const double loadSeconds = seconds(timer);
    const double loadPeak = peakMegabytes();
    const double storeMb = double(grid.gridModel().store().memoryBytes()) / (1024.0 * 1024.0);

    timer.restart();
    checkByCell(grid);
    QApplication::processEvents();
    const double checkSeconds = seconds(timer);
    timer.restart();
    checkByRow(grid);
    QApplication::processEvents();
    const double checkRowSeconds = seconds(timer);

    // Paste: 100,000 rows of 14 cells from the grid itself.
    const int pasteRows = std::min(100000, grid.lastDataRow());
    QGuiApplication::clipboard()->setText(
        GridClipboard::blockText(grid.gridModel(), 0, 0, pasteRows - 1, grid.columnCount() - 1));
    const int middle = grid.lastDataRow() / 2;
    timer.restart();
    grid.setActiveCell(1, middle);
    grid.insertRows(middle, pasteRows);
    grid.clipboardPaste();
    QApplication::processEvents();
    const double insertSeconds = seconds(timer);
    timer.restart();
    grid.setActiveCell(1, grid.lastDataRow() - pasteRows / 2);
    grid.clipboardPaste();
    QApplication::processEvents();
    const double overwriteSeconds = seconds(timer);
    const int rowsAfterPaste = grid.rowCount();

    // Scrolling: paint the visible rows at 200 places.
    const Bench::ScrollTiming scroll = Bench::measureScroll(grid);

    Bench::markTook("load", loadSeconds);
    Bench::markTook("check_by_cell", checkSeconds);
    Bench::markTook("check_by_row", checkRowSeconds);
    Bench::markTook("paste_insert", insertSeconds);
    Bench::markTook("paste_over_end", overwriteSeconds);
    Bench::markTook("paint_screen", scroll.averageMs / 1000);
    Bench::markTook("paint_screen_worst", scroll.worstMs / 1000);
    std::printf("file %.1f MB, %lld records; grid %d rows after the pastes\n", fileMb, records, rowsAfterPaste);
    std::printf("load %.2f s (of which reading and decoding the file %.2f s, %lld characters)\n", loadSeconds,
                readSeconds, characters);
    std::printf("check pass, the grid's share: %.2f s cell by cell, %.2f s row by row\n", checkSeconds,
                checkRowSeconds);
    std::printf("paste insert of %d rows %.2f s; paste over the end %.2f s\n", pasteRows, insertSeconds,
                overwriteSeconds);
    std::printf("scroll: %.2f ms per screen on average, %.2f ms at worst\n", scroll.averageMs, scroll.worstMs);
    std::printf("memory: cells %.1f MB; peak after load %.1f MB (%.2f x the file); peak overall %.1f MB\n", storeMb,
                loadPeak, loadPeak / fileMb, peakMegabytes());
    return 0;
}
