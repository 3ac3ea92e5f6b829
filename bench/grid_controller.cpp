// grid_controller FILE [--year YYYY]
// Measures the grid controller on a Form 26 file (make_report 1 RECORDS ...),
// offscreen, as a report form drives it, in one fresh process:
//   load    every record read from the file (by this program's own reader,
//           not the form's: a setup step, reported for reference), its three
//           header fields dropped as the form does, and handed to the
//           controller's LoadLine;
//   check   ValidateForm over every row: each cell through the Validating
//           answer of a Form 26 (columns 1 to 10 checked by the validator)
//           and coloured, under the real progress window (its own modal loop
//           and status line);
//   paste   100,000 rows of the grid inserted in the middle (PasteInsert,
//           which checks the pasted rows);
//   scroll  the coloured grid painted at 200 places.
// Prints each span and the peak memory, and hands the spans to bench/pairs
// as marks (Marks.h). The open of a whole report in its form window, against
// the validator, is measured on the real program (bench/run-all). The run's
// report year (--year, default the current one) must be the year of the
// file's dates. Settings live in a private temporary folder for the run.
#include "BenchSupport.h"
#include "Isolation.h"
#include "Marks.h"
#include "grid/CZelFarpoint.h"
#include "grid/GridClipboard.h"
#include "grid/ReportGrid.h"
#include "modGlobals.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Dazozuvi;

namespace {

// Form 26's column map: the ten checked columns, then four it judges itself.
const qint32 kFields[14] = {14, 21, 22, 25, 11, 12, 9, 1, 20, 26, 27, 28, 29, 30};

// Reads the file's lines in large blocks, each decoded from Windows-1252;
// empty lines are skipped, as the forms skip them.
template <class Line> qint64 forEachLine(const QString& path, Line&& line) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    constexpr qsizetype kBlock = 1 << 20;
    QByteArray buffer(2 * kBlock, Qt::Uninitialized);
    QString text;
    qint64 lines = 0;
    qsizetype held = 0; // the start of a line that the last block cut off
    for (;;) {
        if (buffer.size() < held + kBlock) buffer.resize(2 * (held + kBlock));
        const qint64 read = file.read(buffer.data() + held, kBlock);
        const bool end = read <= 0;
        const qsizetype size = held + (end ? 0 : qsizetype(read));
        const char* data = buffer.constData();
        qsizetype start = 0;
        for (;;) {
            const void* found = std::memchr(data + start, '\n', std::size_t(size - start));
            qsizetype stop = found ? static_cast<const char*>(found) - data : -1;
            if (stop < 0) {
                if (!end || start >= size) break;
                stop = size;
            }
            qsizetype length = stop - start;
            if (length > 0 && data[start + length - 1] == '\r') --length;
            if (length > 0) {
                text = Vezedad::Cp1252::decode(QByteArrayView(data + start, length));
                line(text, ++lines);
            }
            start = stop + 1;
        }
        if (end) break;
        held = size - start;
        std::memmove(buffer.data(), data + start, std::size_t(held));
    }
    return lines;
}

// A Form 26 as far as the controller sees it: its grid and its answers to
// Validating.
struct Form26 {
    QWidget window;
    ReportGrid* grid = nullptr;
    std::unique_ptr<CZelFarpoint> controller;

    Form26() {
        grid = new ReportGrid(&window);
        Bench::setUpForm26(*grid);
        grid->setGeometry(0, 0, 1200, 800);
        window.resize(1200, 800);
        window.show();
        QApplication::processEvents();
        controller = modGlobals::New_CZelFarpoint(Vezedad::zfotForm26, *grid);
        controller->setValidatingAnswer([](qint32, qint32 col, QStringView, bool& check, qint32& field, bool& result) {
            if (col < 1 || col > 14) return;
            field = kFields[col - 1];
            check = col <= 10;
            if (!check) result = true;
        });
    }

    // Loads the file as the form reads it: the three header fields go.
    qint64 load(const QString& path) {
        const QString separator = QStringLiteral("|");
        QString rest;
        const qint64 records = forEachLine(path, [&](const QString& line, qint64 n) {
            qsizetype start = 0;
            for (int skip = 0; skip < 3 && start >= 0; ++skip) start = line.indexOf(u'|', start) + 1;
            if (start <= 0 || !line.startsWith(u'0')) return;
            // The form's record without its header fields, in one reused text.
            rest.resize(line.size() - start);
            std::copy(line.begin() + start, line.end(), rest.begin());
            controller->LoadLine(rest, separator, qint32(n));
        });
        grid->setRowCount(grid->lastDataRow() + 5);
        controller->setIsDirty(false);
        QApplication::processEvents();
        return records;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QString path;
    int year = QDate::currentDate().year();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--year") == 0 && i + 1 < argc)
            year = std::atoi(argv[++i]);
        else
            path = QString::fromLocal8Bit(argv[i]);
    }
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: grid_controller FILE [--year YYYY]\n");
        return 1;
    }
    path = QDir::current().absoluteFilePath(path);
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 1;
    Isolation::isolate(sandbox.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double fileMb = double(QFile(path).size()) / (1024.0 * 1024.0);

    int rc = 0;
    try {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setAllowPersistence(false);
        report.ChangeReportYear(year);

        Form26 form;
        QElapsedTimer timer;
        timer.start();
        const qint64 records = form.load(path);
        const double loadSeconds = Bench::seconds(timer);
        timer.restart();
        // Every row, under the real progress window.
        const qint32 errors = form.controller->ValidateForm(false);
        QApplication::processEvents();
        const double checkSeconds = Bench::seconds(timer);
        const double peak = Bench::peakMegabytes();

        // Paste 100,000 rows in the middle of the grid.
        ReportGrid& grid = *form.grid;
        const int pasteRows = std::min(100000, grid.lastDataRow());
        QGuiApplication::clipboard()->setText(
            GridClipboard::blockText(grid.gridModel(), 0, 0, pasteRows - 1, grid.columnCount() - 1));
        grid.setActiveCell(1, grid.lastDataRow() / 2);
        timer.restart();
        form.controller->PasteInsert();
        QApplication::processEvents();
        const double pasteSeconds = Bench::seconds(timer);
        const Bench::ScrollTiming scroll = Bench::measureScroll(grid);

        Bench::markTook("load_own_reader", loadSeconds);
        Bench::markTook("check", checkSeconds);
        Bench::markTook("paste_checked", pasteSeconds);
        Bench::markTook("paint_screen", scroll.averageMs / 1000);
        Bench::markTook("paint_screen_worst", scroll.worstMs / 1000);
        std::printf("file %.1f MB, %lld records, %d invalid cells\n", fileMb, records, errors);
        std::printf("load (own reader) %.2f s, check %.2f s under the progress window\n", loadSeconds, checkSeconds);
        std::printf("peak memory after load and check %.1f MB: %.2f x the file\n", peak, peak / fileMb);
        std::printf("paste insert of %d rows, checked: %.2f s  [goal < 2]\n", pasteRows, pasteSeconds);
        std::printf("scroll: %.2f ms per screen on average, %.2f ms at worst\n", scroll.averageMs, scroll.worstMs);
    } catch (const Vezedad::ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), e.Description().toLocal8Bit().constData());
        rc = 2;
    }
    ZozedizIZ::Globals::Release();
    return rc;
}
