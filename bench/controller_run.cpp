// controller_run FILE [FORMTYPE] [--year YYYY] [--pairs N] [--core N | --all-cores] [--once]
// Compares the Control Center's validation of one report file, as a user
// starts it, with validate_report's work on the same file with the same error
// limit, both inside this one process and timed the same way: each from the
// start of its work to its end, by the same clock. The program's own start
// is no part of either: a user validates in a Control Center already open,
// and validate_report's start is not the validator's work. The file is read
// once first, so both find it in the file cache; each side runs once to warm
// up, then N pairs (default 7) run taking turns, A B A B, on one core (the
// process pins itself: --core picks it, default $CORE, else the last allowed;
// --all-cores does not pin). Prints each pair and its ratio, then the
// ratio's median and range, each side's processor time and what each wrote.
// Peak memory, which one process cannot tell apart side by side, is
// measured by validation_memory.
//
// Side A: the real main window and report controller, offscreen, the
// Validate File click with the file chosen in the open dialog, the real
// progress window (the file has 10,000 bytes or more), the exception report
// written beside the file, until the verdict window opens. Side B: what
// validate_report does between its start and its exit: the validator's run,
// then every record's text written to a listing beside the file as the
// exception report holds it (bench/Listing.h, shared with validate_report). Settings and report folders live in a
// private temporary folder.
//
// Each side starts with the disk settled (a sync, untimed): otherwise the
// first sync side A makes, its save of the filer's identity, writes out the
// listing side B left unwritten, and A pays for B's listing (some 0.2 s for
// the 144 MB listing of a file with a warning a record).
//
// --once runs side A once and nothing else, not pinned, printing nothing:
// validation_memory measures the Control Center's peak memory so.
#include "Isolation.h"
#include "Listing.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/frmController.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sched.h>
#include <string>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

double clockSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0; // the process's processor time, user and system
};

// Times work by the wall clock and by the process's processor time.
Run timed(const std::function<void()>& work) {
    Run run;
    const double start = clockSeconds(CLOCK_MONOTONIC), cpuStart = clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    work();
    run.seconds = clockSeconds(CLOCK_MONOTONIC) - start;
    run.cpuSeconds = clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::pair<double, double> range(const std::vector<double>& v) {
    return {*std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end())};
}

// Pins this process to one core; threads made later inherit it. -1 when it
// cannot.
int pin(int core) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return -1;
    if (core < 0)
        for (int c = 0; c < CPU_SETSIZE; ++c)
            if (CPU_ISSET(c, &allowed)) core = c;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    return sched_setaffinity(0, sizeof one, &one) == 0 ? core : -1;
}

double megabytes(const QString& path) { return double(QFileInfo(path).size()) / 1e6; }

} // namespace

int main(int argc, char** argv) {
    QString path;
    int formType = 1, year = 0, positional = 0, pairs = 7, core = -1;
    bool allCores = false, once = false;
    if (const char* env = std::getenv("CORE")) core = std::atoi(env);
    for (int i = 1; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (std::strcmp(argv[i], "--year") == 0 && valued) {
            year = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--pairs") == 0 && valued) {
            pairs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--core") == 0 && valued) {
            core = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--all-cores") == 0) {
            allCores = true;
        } else if (std::strcmp(argv[i], "--once") == 0) {
            once = true;
            allCores = true;
        } else if (positional++ == 0) {
            path = QString::fromLocal8Bit(argv[i]);
        } else {
            formType = std::atoi(argv[i]);
        }
    }
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: controller_run FILE [FORMTYPE] [--year YYYY] [--pairs N] [--core N | --all-cores] "
                             "[--once]\n");
        return 1;
    }
    path = QDir::current().absoluteFilePath(path);
    if (!year) year = QDate::currentDate().year();
    if (!allCores && (core = pin(core)) < 0) {
        std::fprintf(stderr, "cannot pin to one core\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 1;
    Isolation::isolate(sandbox.path());
    // Only what went wrong reaches the terminal, not the platform's notes.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    // Both sides find the file in the cache.
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        while (!file.read(1 << 20).isEmpty()) {
        }
    }
    QApplication app(argc, argv);

    const QFileInfo file(path);
    const QString listing = file.absolutePath() + QStringLiteral("/validate_report_listing.txt");
    const QString reportPath =
        file.absolutePath() + QStringLiteral("/exception_") + file.completeBaseName() + QStringLiteral(".txt");
    std::vector<Run> sides[2];
    bool failed = false;
    try {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setAllowPersistence(false);
        report.ChangeReportYear(year);
        // An identity that may validate every form.
        report.Identity()->SetPropertyValue(
            Vezedad::idAll, QStringLiteral("Bench|12345|C1234567|R12345|555-0100|Jo||||||Al Roe|jo@example.com|"
                                           "ENDOFIDENTITY|"));
        // The user's answers: the file in the open dialog; the verdict, whose
        // arrival ends side A. The progress window runs as it does for a user.
        double verdictAt = -1;
        Vezedad::Ui::setDialogHandler([&](Vezedad::Ui::DialogRequest& request) {
            Vezedad::Ui::DialogAnswer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = QStringList{path};
            return answer;
        });
        Vezedad::Ui::setModalHandler([&](QDialog& dialog) {
            if (dialog.objectName() == QStringLiteral("frmProgress")) return dialog.exec();
            if (dialog.objectName() == QStringLiteral("frmValidationResponse"))
                verdictAt = clockSeconds(CLOCK_MONOTONIC);
            return int(QDialog::Rejected);
        });
        Vezedad::Ui::setMessageBoxHandler([&](const Vezedad::Ui::MessageBoxCall& call) {
            std::fprintf(stderr, "%s\n", qPrintable(call.prompt));
            failed = true;
            return qint32(Vezedad::Ui::vbOK);
        });
        ZozedizIZ::Controller* controller = ZozedizIZ::Globals::Controller(Vezedad::kvoOptionA);
        controller->Show();
        ZozedizIZ::frmController* window = controller->Form();
        window->findChild<QAbstractButton*>(QStringLiteral("radFormType(%1)").arg(formType))->setChecked(true);
        QPushButton* validate = window->findChild<QPushButton*>(QStringLiteral("cmdValidate"));

        // Side A, to the verdict window (the time after it, closing the
        // verdict, is no part of the user's wait).
        const auto controlCenter = [&] {
            verdictAt = -1;
            ::sync();
            const double start = clockSeconds(CLOCK_MONOTONIC);
            Run run = timed([&] { validate->click(); });
            if (verdictAt < 0) failed = true;
            run.seconds = verdictAt - start;
            return run;
        };
        // Side B, as validate_report between its start and its exit.
        const auto validator = [&] {
            Vezedad::FileValidationResultPtr result;
            ::sync();
            const Run run = timed([&] {
                result = Vezedad::Globals::Validator().ValidateFile(path, formType, 1000);
                std::FILE* out = std::fopen(QFile::encodeName(listing).constData(), "wb");
                if (!out) {
                    failed = true;
                    return;
                }
                if (!Bench::writeListing(*result, out).written) failed = true;
                if (std::fclose(out) != 0) failed = true;
            });
            return run;
        };

        QTimer::singleShot(0, [&] {
            if (once) {
                controlCenter();
                QApplication::quit();
                return;
            }
            double loads[3] = {0, 0, 0};
            getloadavg(loads, 3);
            std::printf("controller_run %s (%.1f MB), form %d, %d pairs, %s of %ld, load %.2f\n", qPrintable(path),
                        megabytes(path), formType, pairs,
                        allCores ? "all cores" : ("pinned to core " + std::to_string(core)).c_str(),
                        sysconf(_SC_NPROCESSORS_ONLN), loads[0]);
            const Run warmA = controlCenter(), warmB = validator();
            std::printf("warm-up: Control Center %.3f s, validate_report's work %.3f s\n", warmA.seconds,
                        warmB.seconds);
            std::printf("pair  Control Center (processor)  validate_report (processor)  ratio (processor)\n");
            for (int i = 1; i <= pairs && !failed; ++i) {
                sides[0].push_back(controlCenter());
                sides[1].push_back(validator());
                const Run &a = sides[0].back(), &b = sides[1].back();
                std::printf("%4d  %7.3f s (%7.3f s)       %7.3f s (%7.3f s)        %5.2f (%5.2f)\n", i, a.seconds,
                            a.cpuSeconds, b.seconds, b.cpuSeconds, a.seconds / b.seconds, a.cpuSeconds / b.cpuSeconds);
                std::fflush(stdout);
            }
            QApplication::quit();
        });
        app.exec();
    } catch (const Vezedad::ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), qPrintable(e.Description()));
        return 2;
    }
    if (once && !failed) {
        std::fflush(stdout);
        std::_Exit(0); // as validate_report ends
    }
    if (failed || sides[0].empty()) {
        std::fprintf(stderr, "a run failed\n");
        return 2;
    }

    std::vector<double> ratios, cpuRatios, times[2], cpuTimes[2];
    for (size_t i = 0; i < sides[0].size(); ++i) {
        ratios.push_back(sides[0][i].seconds / sides[1][i].seconds);
        cpuRatios.push_back(sides[0][i].cpuSeconds / sides[1][i].cpuSeconds);
        for (int side = 0; side < 2; ++side) {
            times[side].push_back(sides[side][i].seconds);
            cpuTimes[side].push_back(sides[side][i].cpuSeconds);
        }
    }
    const char* names[2] = {"Control Center: ", "validate_report:"};
    const double written[2] = {megabytes(reportPath), megabytes(listing)};
    const char* what[2] = {"exception report", "listing"};
    for (int side = 0; side < 2; ++side)
        std::printf("%s median %.3f s (%.3f-%.3f), processor %.3f s (%.3f-%.3f), %s %.1f MB\n", names[side],
                    median(times[side]), range(times[side]).first, range(times[side]).second, median(cpuTimes[side]),
                    range(cpuTimes[side]).first, range(cpuTimes[side]).second, what[side], written[side]);
    QFile::remove(listing);
    std::printf("processor-time ratio %.2f (median of %zu pairs; range %.2f-%.2f)\n", median(cpuRatios),
                cpuRatios.size(), range(cpuRatios).first, range(cpuRatios).second);
    std::printf("ratio %.2f (median of %zu pairs; range %.2f-%.2f)\n", median(ratios), ratios.size(),
                range(ratios).first, range(ratios).second);
    ZozedizIZ::Globals::Release();
    return 0;
}
