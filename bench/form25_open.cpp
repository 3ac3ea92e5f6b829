// form25_open FILE [--runs N]
// Times the opening of a Form 25 report file as a user opens it: a new, real
// Form 25 window (offscreen unless QT_QPA_PLATFORM says otherwise) loads the
// file under the real progress window (a file of more than 1,000,000 bytes)
// and checks every row for the load's verdict, under the progress window too
// (more than 500 rows); a run ends when the verdict's box comes. Each run
// opens a fresh window. validate_report (from the same folder as this
// program) checks the same file, with no error limit, as many times in the
// same run.
// Prints the seconds of each, the peak memory of each and the file's size.
// Settings and report folders live in a private temporary folder.
#include "BenchSupport.h"
#include "Sandbox.h"

#include "forms/Form25.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/Globals.h"
#include "grid/ReportGrid.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double childPeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

struct Run {
    double load = 0;  // Edit called .. the load's progress window closed
    double total = 0; // Edit called .. the verdict
    int rows = 0;
};

} // namespace

int main(int argc, char** argv) {
    QString path;
    int runs = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            path = QString::fromLocal8Bit(argv[i]);
    }
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: form25_open FILE [--runs N]\n");
        return 1;
    }
    path = QDir::current().absoluteFilePath(path);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 1;
    Bench::isolate(sandbox.path());

    // validate_report first, as many times, while this process is small: a
    // child counts the memory it shares with its parent before it starts.
    std::vector<double> validateTimes;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer validateTimer;
        validateTimer.start();
        QProcess validate;
        validate.setStandardOutputFile(QProcess::nullDevice());
        validate.start(QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() + QStringLiteral("/validate_report"),
                       {path, QStringLiteral("8"), QStringLiteral("0")});
        if (!validate.waitForFinished(-1) || validate.exitStatus() != QProcess::NormalExit ||
            validate.exitCode() != 0) {
            std::fprintf(stderr, "validate_report failed\n");
            return 2;
        }
        validateTimes.push_back(Bench::seconds(validateTimer));
    }
    std::sort(validateTimes.begin(), validateTimes.end());
    const double validateSeconds = validateTimes.front();
    const double validatePeak = childPeakMegabytes();

    QApplication app(argc, argv);
    std::vector<Run> results;
    try {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setAllowPersistence(false);
        report.Identity()->setSalesPermitNumber(QStringLiteral("R12345"));
        QElapsedTimer timer;
        Run run;
        int progressWindows = 0;
        // The progress windows run as they do for a user; the verdict ends
        // the run, and the window itself closes at once.
        Vezedad::Ui::setModalHandler([&](QDialog& dialog) {
            if (dialog.objectName() != QStringLiteral("frmProgress")) return int(QDialog::Rejected);
            const int result = dialog.exec();
            if (++progressWindows == 1) run.load = Bench::seconds(timer);
            return result;
        });
        Vezedad::Ui::setMessageBoxHandler([&](const Vezedad::Ui::MessageBoxCall& call) {
            run.total = Bench::seconds(timer);
            std::fprintf(stderr, "verdict: %s\n", qPrintable(call.prompt));
            return qint32(Vezedad::Ui::vbOK);
        });
        for (int i = 0; i < runs; ++i) {
            run = Run{};
            progressWindows = 0;
            Dazozuvi::Form25 form;
            bool cancel = false;
            timer.start();
            form.Edit(cancel, report.Identity(), path);
            if (cancel) {
                std::fprintf(stderr, "the file did not open\n");
                return 2;
            }
            if (progressWindows < 2) run.load = 0; // loaded directly: no window to time it by
            run.rows = form.Grid().lastDataRow();
            results.push_back(run);
        }
    } catch (const Vezedad::ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), qPrintable(e.Description()));
        return 2;
    }
    const double peak = Bench::peakMegabytes();
    const double fileMegabytes = double(QFileInfo(path).size()) / 1e6;

    std::vector<double> totals;
    for (const Run& r : results) totals.push_back(r.total);
    std::sort(totals.begin(), totals.end());
    const Run& best =
        *std::min_element(results.begin(), results.end(), [](const Run& a, const Run& b) { return a.total < b.total; });
    std::printf("file: %.1f MB, %d rows\n", fileMegabytes, best.rows);
    std::printf("Form 25 open (load + verdict check): best %.3f s (load %.3f s), median %.3f s, %d run(s)\n",
                best.total, best.load, totals[totals.size() / 2], runs);
    std::printf("validate_report (no error limit): best %.3f s, median %.3f s, peak %.1f MB\n", validateSeconds,
                validateTimes[validateTimes.size() / 2], validatePeak);
    std::printf("ratio: best %.2f, median %.2f\n", best.total / validateSeconds,
                totals[totals.size() / 2] / validateTimes[validateTimes.size() / 2]);
    std::printf("peak memory of the open: %.1f MB (%.2f times the file)\n", peak, peak / fileMegabytes);
    ZozedizIZ::Globals::Release();
    return 0;
}
