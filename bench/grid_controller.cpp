// grid_controller FILE [--year YYYY]
// Measures the grid controller on a Form 26 file (make_report 1 RECORDS ...),
// offscreen, as a report form drives it:
//   load    every record read from the file, its three header fields dropped
//           as the form does, and handed to the controller's LoadLine;
//   check   ValidateForm over every row: each cell through the Validating
//           answer of a Form 26 (columns 1 to 10 checked by the validator)
//           and coloured, under the real progress window (its own modal loop,
//           a status line every 100 rows);
//   paste   100,000 rows of the grid inserted in the middle (PasteInsert,
//           which checks the pasted rows);
//   scroll  the coloured grid painted at 200 places.
// Then runs validate_report (beside this program) on the same file and
// prints its whole time and the validator's own, with the goals: load plus
// check within three times validate_report's whole run, peak memory under
// three times the file, the paste under two seconds.
// Settings live in a private temporary folder for the run.
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
    Bench::isolate(sandbox.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double fileMb = double(QFile(path).size()) / (1024.0 * 1024.0);

    int rc = 0;
    try {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setAllowPersistence(false);
        report.ChangeReportYear(year);

        QWidget window;
        auto* grid = new ReportGrid(&window);
        Bench::setUpForm26(*grid);
        grid->setGeometry(0, 0, 1200, 800);
        window.resize(1200, 800);
        window.show();
        QApplication::processEvents();
        std::unique_ptr<CZelFarpoint> controller = modGlobals::New_CZelFarpoint(Vezedad::zfotForm26, *grid);
        QObject::connect(controller.get(), &CZelFarpoint::Validating, controller.get(),
                         [](qint32, qint32 col, QStringView, bool& check, qint32& field, bool& result) {
                             if (col < 1 || col > 14) return;
                             field = kFields[col - 1];
                             check = col <= 10;
                             if (!check) result = true;
                         });

        // Load, as the form reads a file: the three header fields go.
        QElapsedTimer timer;
        timer.start();
        double cpu = Bench::cpuSeconds();
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
        const double loadSeconds = Bench::seconds(timer);
        const double loadCpu = Bench::cpuSeconds() - cpu;
        const double loadPeak = Bench::peakMegabytes();

        // Check every row under the real progress window.
        timer.restart();
        cpu = Bench::cpuSeconds();
        const qint32 errors = controller->ValidateForm(false);
        QApplication::processEvents();
        const double checkSeconds = Bench::seconds(timer);
        const double checkCpu = Bench::cpuSeconds() - cpu;
        const double checkPeak = Bench::peakMegabytes();

        // Paste 100,000 rows in the middle.
        const int pasteRows = std::min(100000, grid->lastDataRow());
        QGuiApplication::clipboard()->setText(
            GridClipboard::blockText(grid->gridModel(), 0, 0, pasteRows - 1, grid->columnCount() - 1));
        grid->setActiveCell(1, grid->lastDataRow() / 2);
        timer.restart();
        controller->PasteInsert();
        QApplication::processEvents();
        const double pasteSeconds = Bench::seconds(timer);
        const Bench::ScrollTiming scroll = Bench::measureScroll(*grid);

        const Baseline baseline = runValidateReport(path, year);
        const double ratio = (loadSeconds + checkSeconds) / baseline.wallSeconds;
        std::printf("file %.1f MB, %lld records, %d invalid cells\n", fileMb, records, errors);
        std::printf("load %.2f s, check %.2f s, together %.2f s (processor time %.2f s + %.2f s)\n", loadSeconds,
                    checkSeconds, loadSeconds + checkSeconds, loadCpu, checkCpu);
        std::printf("validate_report %.2f s whole run (the validator %.2f s): load plus check %.2f x  [goal < 3]\n",
                    baseline.wallSeconds, baseline.validatorSeconds, ratio);
        std::printf("peak memory %.1f MB after the load, %.1f MB after the check: %.2f x the file  [goal < 3]\n",
                    loadPeak, checkPeak, checkPeak / fileMb);
        std::printf("paste insert of %d rows, checked: %.2f s  [goal < 2]\n", pasteRows, pasteSeconds);
        std::printf("scroll: %.2f ms per screen on average, %.2f ms at worst\n", scroll.averageMs, scroll.worstMs);
    } catch (const Vezedad::ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), e.Description().toLocal8Bit().constData());
        rc = 2;
    }
    ZozedizIZ::Globals::Release();
    return rc;
}
