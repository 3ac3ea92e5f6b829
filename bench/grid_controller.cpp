// grid_controller FILE [--year YYYY] [--runs N]
// Measures the grid controller on a Form 26 file (make_report 1 RECORDS ...),
// offscreen, as a report form drives it:
//   load    every record read from the file, its three header fields dropped
//           as the form does, and handed to the controller's LoadLine;
//   check   ValidateForm over every row: each cell through the Validating
//           answer of a Form 26 (columns 1 to 10 checked by the validator)
//           and coloured, under the real progress window (its own modal loop
//           and status line);
//   paste   100,000 rows of the grid inserted in the middle (PasteInsert,
//           which checks the pasted rows);
//   scroll  the coloured grid painted at 200 places.
// Each of N runs (3 unless given) loads and checks a fresh form and then runs
// validate_report (beside this program, no error limit) on the same file.
// Prints every run, the best of each and the goals: load plus check within
// three times validate_report's whole run, peak memory under three times the
// file, the paste under two seconds. The run's report year (--year, default
// the current one) must be the year of the file's dates. Settings live in a
// private temporary folder for the run.
#include "BenchSupport.h"
#include "Sandbox.h"
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
#include <QProcess>
#include <QRegularExpression>
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

struct Baseline {
    double wallSeconds = 0;
    double validatorSeconds = 0;
};

Baseline runValidateReport(const QString& path, int year) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/validate_report");
    QTemporaryDir out;
    const QString findings = out.path() + QStringLiteral("/findings.txt");
    QProcess process;
    process.setStandardOutputFile(findings);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program,
                  {path, QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("--year"), QString::number(year)});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "validate_report failed\n");
        std::exit(1);
    }
    Baseline baseline;
    baseline.wallSeconds = Bench::seconds(timer);
    QFile file(findings);
    if (file.open(QIODevice::ReadOnly)) {
        file.seek(std::max<qint64>(0, file.size() - 512));
        const QString tail = QString::fromLatin1(file.readAll());
        const auto m = QRegularExpression(QStringLiteral("seconds=([0-9.]+)")).match(tail);
        if (m.hasMatch()) baseline.validatorSeconds = m.captured(1).toDouble();
    }
    return baseline;
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
        QObject::connect(controller.get(), &CZelFarpoint::Validating, controller.get(),
                         [](qint32, qint32 col, QStringView, bool& check, qint32& field, bool& result) {
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

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    QString path;
    int year = QDate::currentDate().year();
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--year") == 0 && i + 1 < argc)
            year = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            path = QString::fromLocal8Bit(argv[i]);
    }
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: grid_controller FILE [--year YYYY] [--runs N]\n");
        return 1;
    }
    path = QDir::current().absoluteFilePath(path);
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 1;
    Bench::isolate(sandbox.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double fileMb = double(QFile(path).size()) / (1024.0 * 1024.0);

    int rc = 0;
    try {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setAllowPersistence(false);
        report.ChangeReportYear(year);

        // Each run loads and checks a fresh form, then validate_report runs,
        // so that both meet the machine as it is at that moment.
        std::unique_ptr<Form26> form;
        QList<double> ratios;
        double bestLoad = 1e9, bestCheck = 1e9, bestTogether = 1e9, bestBaseline = 1e9, bestValidator = 1e9;
        qint64 records = 0;
        qint32 errors = 0;
        for (int run = 1; run <= runs; ++run) {
            form.reset();
            form = std::make_unique<Form26>();
            QElapsedTimer timer;
            timer.start();
            records = form->load(path);
            const double loadSeconds = Bench::seconds(timer);
            timer.restart();
            // Every row, under the real progress window.
            errors = form->controller->ValidateForm(false);
            QApplication::processEvents();
            const double checkSeconds = Bench::seconds(timer);
            const Baseline baseline = runValidateReport(path, year);
            const double ratio = (loadSeconds + checkSeconds) / baseline.wallSeconds;
            ratios << ratio;
            bestLoad = std::min(bestLoad, loadSeconds);
            bestCheck = std::min(bestCheck, checkSeconds);
            bestTogether = std::min(bestTogether, loadSeconds + checkSeconds);
            bestBaseline = std::min(bestBaseline, baseline.wallSeconds);
            bestValidator = std::min(bestValidator, baseline.validatorSeconds);
            std::printf("run %d: load %.2f s, check %.2f s, together %.2f s; validate_report %.2f s whole run "
                        "(the validator %.2f s): %.2f x\n",
                        run, loadSeconds, checkSeconds, loadSeconds + checkSeconds, baseline.wallSeconds,
                        baseline.validatorSeconds, ratio);
        }
        const double peak = Bench::peakMegabytes();

        // Paste 100,000 rows in the middle of the last form's grid.
        ReportGrid& grid = *form->grid;
        const int pasteRows = std::min(100000, grid.lastDataRow());
        QGuiApplication::clipboard()->setText(
            GridClipboard::blockText(grid.gridModel(), 0, 0, pasteRows - 1, grid.columnCount() - 1));
        grid.setActiveCell(1, grid.lastDataRow() / 2);
        QElapsedTimer timer;
        timer.start();
        form->controller->PasteInsert();
        QApplication::processEvents();
        const double pasteSeconds = Bench::seconds(timer);
        const Bench::ScrollTiming scroll = Bench::measureScroll(grid);

        std::printf("file %.1f MB, %lld records, %d invalid cells\n", fileMb, records, errors);
        std::printf("best of %d: load %.2f s, check %.2f s, together %.2f s; validate_report %.2f s (the validator "
                    "%.2f s)\n",
                    runs, bestLoad, bestCheck, bestTogether, bestBaseline, bestValidator);
        std::printf("load plus check against validate_report: %.2f x best against best, %.2f x the median run  "
                    "[goal < 3]\n",
                    bestTogether / bestBaseline, median(ratios));
        std::printf("peak memory %.1f MB: %.2f x the file  [goal < 3]\n", peak, peak / fileMb);
        std::printf("paste insert of %d rows, checked: %.2f s  [goal < 2]\n", pasteRows, pasteSeconds);
        std::printf("scroll: %.2f ms per screen on average, %.2f ms at worst\n", scroll.averageMs, scroll.worstMs);
    } catch (const Vezedad::ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), e.Description().toLocal8Bit().constData());
        rc = 2;
    }
    ZozedizIZ::Globals::Release();
    return rc;
}
