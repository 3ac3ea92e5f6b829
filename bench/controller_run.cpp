// controller_run FILE [FORMTYPE] [--year YYYY] [--pairs N] [--core N | --all-cores]
// Compares the Control Center's validation of one report file, as a user
// starts it, with validate_report (from the same folder as this program) on
// the same file with the same error limit, both timed the same way: each run
// is a whole fresh process, started by this program and timed from its start
// to its exit. The file is read once first, so both find it in the file
// cache; each side runs once to warm up, then N pairs (default 7) run taking
// turns, A B A B, on one core (this program pins itself and its children
// inherit the core: --core picks it, default the last; --all-cores does not
// pin). Prints each pair and its ratio, then the ratio's median and range,
// each side's peak memory and what each wrote.
//
// Side A is this program again (--child): the real main window and report
// controller, offscreen, the Validate File click with the file chosen in the
// open dialog, the real progress window (the file has 10,000 bytes or more),
// the exception report written beside the file; it ends when the verdict
// window opens. Side B is validate_report FILE FORMTYPE 1000, its listing
// written to a file beside the report file, as the exception report is.
// Settings and report folders live in a private temporary folder.
#include "Sandbox.h"

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
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The Control Center's file run, from the click to the verdict, then the
// process ends at once, as validate_report's does once it has written.
int child(int argc, char** argv, const QString& path, int formType, int year) {
    // Only what went wrong reaches the terminal, not the platform's notes.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    int status = 0;
    try {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setAllowPersistence(false);
        report.ChangeReportYear(year);
        // An identity that may validate every form.
        report.Identity()->SetPropertyValue(
            Vezedad::idAll, QStringLiteral("Bench|12345|C1234567|R12345|555-0100|Jo||||||Al Roe|jo@example.com|"
                                           "ENDOFIDENTITY|"));
        // The user's answers: the file in the open dialog; the verdict, whose
        // arrival ends the run. The progress window runs as it does for a user.
        bool verdict = false;
        Vezedad::Ui::setDialogHandler([&](Vezedad::Ui::DialogRequest& request) {
            Vezedad::Ui::DialogAnswer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = QStringList{path};
            return answer;
        });
        Vezedad::Ui::setModalHandler([&](QDialog& dialog) {
            if (dialog.objectName() == QStringLiteral("frmProgress")) return dialog.exec();
            verdict = dialog.objectName() == QStringLiteral("frmValidationResponse");
            return int(QDialog::Rejected);
        });
        Vezedad::Ui::setMessageBoxHandler([&](const Vezedad::Ui::MessageBoxCall& call) {
            std::fprintf(stderr, "%s\n", qPrintable(call.prompt));
            status = 2;
            return qint32(Vezedad::Ui::vbOK);
        });
        ZozedizIZ::Controller* controller = ZozedizIZ::Globals::Controller(Vezedad::kvoOptionA);
        controller->Show();
        ZozedizIZ::frmController* window = controller->Form();
        window->findChild<QAbstractButton*>(QStringLiteral("radFormType(%1)").arg(formType))->setChecked(true);
        QTimer::singleShot(0, [&] {
            window->findChild<QPushButton*>(QStringLiteral("cmdValidate"))->click();
            QApplication::quit();
        });
        app.exec();
        if (!verdict) status = 2;
    } catch (const Vezedad::ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), qPrintable(e.Description()));
        status = 2;
    }
    std::fflush(stderr);
    std::_Exit(status);
}

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

struct Run {
    double seconds = 0;
    double cpuSeconds = 0; // user and system
    double peakMegabytes = 0;
};

// Runs argv as a fresh process, its standard output to out; false when it
// cannot start or fails.
bool spawn(const std::vector<std::string>& argv, const std::string& out, Run& run) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const double start = now();
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", args[0], std::strerror(rc));
        return false;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR) return false;
    run.seconds = now() - start;
    run.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", args[0], status);
        return false;
    }
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Pins this process, and so every child, to one core; -1 when it cannot.
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
    bool isChild = false, allCores = false;
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
        } else if (std::strcmp(argv[i], "--child") == 0) {
            isChild = true;
        } else if (positional++ == 0) {
            path = QString::fromLocal8Bit(argv[i]);
        } else {
            formType = std::atoi(argv[i]);
        }
    }
    if (path.isEmpty()) {
        std::fprintf(stderr,
                     "usage: controller_run FILE [FORMTYPE] [--year YYYY] [--pairs N] [--core N | --all-cores]\n");
        return 1;
    }
    path = QDir::current().absoluteFilePath(path);
    if (!year) year = QDate::currentDate().year();
    if (isChild) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QTemporaryDir sandbox;
        if (!sandbox.isValid()) return 1;
        Bench::isolate(sandbox.path());
        return child(argc, argv, path, formType, year);
    }

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
    if (!allCores && (core = pin(core)) < 0) {
        std::fprintf(stderr, "cannot pin to one core\n");
        return 1;
    }

    const QFileInfo file(path);
    const std::string self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    const std::string folder = file.absolutePath().toStdString();
    const std::string listing = folder + "/validate_report_listing.txt";
    const std::string report =
        (file.absolutePath() + QStringLiteral("/exception_") + file.completeBaseName() + QStringLiteral(".txt"))
            .toStdString();
    const std::string form = std::to_string(formType), yearText = std::to_string(year);
    const std::vector<std::string> sideA = {self, "--child", path.toStdString(), form, "--year", yearText};
    const std::string validateReport = self.substr(0, self.rfind('/')) + "/validate_report";
    const std::vector<std::string> sideB = {validateReport, path.toStdString(), form, "1000", "--year", yearText};

    double loads[3] = {0, 0, 0};
    getloadavg(loads, 3);
    std::printf("controller_run %s (%.1f MB), form %d, %d pairs, %s of %ld, load %.2f\n", qPrintable(path),
                megabytes(path), formType, pairs,
                allCores ? "all cores" : ("pinned to core " + std::to_string(core)).c_str(),
                sysconf(_SC_NPROCESSORS_ONLN), loads[0]);
    Run a, b;
    if (!spawn(sideA, "/dev/null", a) || !spawn(sideB, listing, b)) return 2;
    std::printf("warm-up: Control Center %.3f s, validate_report %.3f s\n", a.seconds, b.seconds);
    // Processor time (user and system) beside each time: on a machine that
    // others share, it shows what waiting for the core added.
    std::printf("pair  Control Center (processor)  validate_report (processor)  ratio (processor)\n");
    std::vector<double> ratios, cpuRatios, times[2], cpuTimes[2];
    double peak[2] = {0, 0};
    for (int i = 1; i <= pairs; ++i) {
        if (!spawn(sideA, "/dev/null", a) || !spawn(sideB, listing, b)) return 2;
        ratios.push_back(a.seconds / b.seconds);
        cpuRatios.push_back(a.cpuSeconds / b.cpuSeconds);
        for (int side = 0; side < 2; ++side) {
            const Run& run = side == 0 ? a : b;
            times[side].push_back(run.seconds);
            cpuTimes[side].push_back(run.cpuSeconds);
            peak[side] = std::max(peak[side], run.peakMegabytes);
        }
        std::printf("%4d  %7.3f s (%7.3f s)       %7.3f s (%7.3f s)        %5.2f (%5.2f)\n", i, a.seconds, a.cpuSeconds,
                    b.seconds, b.cpuSeconds, ratios.back(), cpuRatios.back());
        std::fflush(stdout);
    }
    const auto range = [](const std::vector<double>& v) {
        return std::make_pair(*std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
    };
    const char* names[2] = {"Control Center: ", "validate_report:"};
    const double written[2] = {megabytes(QString::fromStdString(report)), megabytes(QString::fromStdString(listing))};
    const char* what[2] = {"exception report", "listing"};
    for (int side = 0; side < 2; ++side)
        std::printf("%s median %.3f s (%.3f-%.3f), processor %.3f s (%.3f-%.3f), peak %.1f MB, %s %.1f MB\n",
                    names[side], median(times[side]), range(times[side]).first, range(times[side]).second,
                    median(cpuTimes[side]), range(cpuTimes[side]).first, range(cpuTimes[side]).second, peak[side],
                    what[side], written[side]);
    std::printf("processor-time ratio %.2f (median of %d pairs; range %.2f-%.2f)\n", median(cpuRatios), pairs,
                range(cpuRatios).first, range(cpuRatios).second);
    QFile::remove(QString::fromStdString(listing));
    std::printf("ratio %.2f (median of %d pairs; range %.2f-%.2f)\n", median(ratios), pairs, range(ratios).first,
                range(ratios).second);
    return 0;
}
