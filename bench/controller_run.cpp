// controller_run FILE [FORMTYPE] [--year YYYY]
// Times the Control Center's validation of one report file, as a user starts
// it: the real main window and report controller, the real progress window
// (the file has 10,000 bytes or more), the exception report written beside
// the file; the timed run ends when the verdict window opens. Compares it
// with validate_report (from the same folder as this program) on the same
// file with the same error limit, its listing written beside the file too,
// and prints both, with the peak memory of each.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise; settings and report
// folders live in a private temporary folder.
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
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

namespace {

void isolate(const QString& root) {
    const char* vars[][2] = {{"HOME", "/home"},
                             {"XDG_CONFIG_HOME", "/home/.config"},
                             {"XDG_DATA_HOME", "/home/.local/share"},
                             {"XDG_CACHE_HOME", "/home/.cache"},
                             {"XDG_CONFIG_DIRS", "/etc/xdg"},
                             {"XDG_DATA_DIRS", "/usr/share"}};
    for (const auto& v : vars) {
        const QString path = root + QLatin1String(v[1]);
        QDir().mkpath(path);
        ::setenv(v[0], path.toLocal8Bit().constData(), 1);
    }
}

double peakMegabytes(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    QString path;
    int formType = 1, year = 0, positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--year") == 0 && i + 1 < argc) {
            year = std::atoi(argv[++i]);
            continue;
        }
        if (positional++ == 0)
            path = QString::fromLocal8Bit(argv[i]);
        else
            formType = std::atoi(argv[i]);
    }
    if (path.isEmpty()) {
        std::fprintf(stderr, "usage: controller_run FILE [FORMTYPE] [--year YYYY]\n");
        return 1;
    }
    path = QDir::current().absoluteFilePath(path);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 1;
    isolate(sandbox.path());
    if (!year) year = QDate::currentDate().year();

    // validate_report first, on the same file with the same error limit,
    // while this process is still small: a child counts the memory it
    // shares with its parent before it starts.
    QElapsedTimer validateTimer;
    validateTimer.start();
    // Its listing goes to a file beside the report file, as the exception
    // report does.
    const QString listing = QFileInfo(path).absolutePath() + QStringLiteral("/validate_report_listing.txt");
    QProcess validate;
    validate.setStandardOutputFile(listing);
    validate.start(
        QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() + QStringLiteral("/validate_report"),
        {path, QString::number(formType), QStringLiteral("1000"), QStringLiteral("--year"), QString::number(year)});
    if (!validate.waitForFinished(-1) || validate.exitStatus() != QProcess::NormalExit || validate.exitCode() != 0) {
        std::fprintf(stderr, "validate_report failed\n");
        return 2;
    }
    const double validateSeconds = double(validateTimer.nsecsElapsed()) / 1e9;
    const double validatePeak = peakMegabytes(RUSAGE_CHILDREN);
    const double listingMegabytes = double(QFileInfo(listing).size()) / 1e6;
    QFile::remove(listing);

    QApplication app(argc, argv);

    double controllerSeconds = -1;
    try {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        report.setAllowPersistence(false);
        report.ChangeReportYear(year);
        // An identity that may validate every form.
        report.Identity()->SetPropertyValue(
            Vezedad::idAll, QStringLiteral("Bench|12345|C1234567|R12345|555-0100|Jo||||||Al Roe|jo@example.com|"
                                           "ENDOFIDENTITY|"));
        // The user's answers: the file in the open dialog; the verdict, whose
        // arrival ends the timed run, closed at once. The progress window
        // runs as it does for a user.
        QElapsedTimer timer;
        Vezedad::Ui::setDialogHandler([&](Vezedad::Ui::DialogRequest& request) {
            Vezedad::Ui::DialogAnswer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = QStringList{path};
            return answer;
        });
        Vezedad::Ui::setModalHandler([&](QDialog& dialog) {
            if (dialog.objectName() == QStringLiteral("frmProgress")) return dialog.exec();
            controllerSeconds = double(timer.nsecsElapsed()) / 1e9;
            return int(QDialog::Rejected);
        });
        Vezedad::Ui::setMessageBoxHandler([](const Vezedad::Ui::MessageBoxCall& call) {
            std::fprintf(stderr, "%s\n", qPrintable(call.prompt));
            return qint32(Vezedad::Ui::vbOK);
        });
        ZozedizIZ::Controller* controller = ZozedizIZ::Globals::Controller(Vezedad::kvoOptionA);
        controller->Show();
        ZozedizIZ::frmController* window = controller->Form();
        window->findChild<QAbstractButton*>(QStringLiteral("radFormType(%1)").arg(formType))->setChecked(true);
        QTimer::singleShot(0, [&] {
            timer.start();
            window->findChild<QPushButton*>(QStringLiteral("cmdValidate"))->click();
            QApplication::quit();
        });
        app.exec();
    } catch (const Vezedad::ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), qPrintable(e.Description()));
        return 2;
    }
    const double controllerPeak = peakMegabytes(RUSAGE_SELF);

    const QString report = QFileInfo(path).absolutePath() + QStringLiteral("/exception_") +
                           QFileInfo(path).completeBaseName() + QStringLiteral(".txt");
    std::printf("controller file run: %.3f s, peak %.1f MB, exception report %.1f MB\n"
                "validate_report:     %.3f s, peak %.1f MB, listing %.1f MB\nratio %.2f\n",
                controllerSeconds, controllerPeak, double(QFileInfo(report).size()) / 1e6, validateSeconds,
                validatePeak, listingMegabytes, controllerSeconds / validateSeconds);
    ZozedizIZ::Globals::Release();
    return 0;
}
