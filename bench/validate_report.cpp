// validate_report FILE FORMTYPE [MAXERRORS] [--year YYYY]
// Runs the validator on a report file with the report year set (default: the
// current one) and prints the text of every record with findings as the
// exception report holds it (bench/Listing.h), then one summary line. Exits
// 0 when the run completed, 2 when it raised (its error's number and text on
// standard error; a run without the memory it needs raises "Out of memory").
// The run keeps its settings in a private temporary folder, so the user's own
// settings and report folders are never touched; with BENCH_PRIVATE_HOME=1
// the caller says that HOME and the XDG folders already are private (and
// prepared, as a program that has run before finds them).
#include "Isolation.h"
#include "Listing.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/Validator.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Vezedad;

int main(int argc, char** argv) {
    QString path;
    int formType = 0, maxErrors = 1000, year = 0, positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--year") == 0 && i + 1 < argc) {
            year = std::atoi(argv[++i]);
            continue;
        }
        switch (positional++) {
        case 0: path = QString::fromLocal8Bit(argv[i]); break;
        case 1: formType = std::atoi(argv[i]); break;
        case 2: maxErrors = std::atoi(argv[i]); break;
        default: break;
        }
    }
    if (positional < 2) {
        std::fprintf(stderr, "usage: validate_report FILE FORMTYPE [MAXERRORS] [--year YYYY]\n");
        return 1;
    }
    path = QDir::current().absoluteFilePath(path);

    QTemporaryDir sandbox;
    if (qEnvironmentVariable("BENCH_PRIVATE_HOME") != QStringLiteral("1")) {
        if (!sandbox.isValid()) {
            std::fprintf(stderr, "cannot create a temporary folder\n");
            return 1;
        }
        Isolation::isolate(sandbox.path());
    }
    QCoreApplication app(argc, argv);

    // Kept to the end: taking a large result apart only costs time at exit.
    FileValidationResultPtr result;
    try {
        ZelReport& report = Globals::ZelReport();
        report.setAllowPersistence(false);
        // A change of year saves the identity first; the year the settings
        // already hold needs no change.
        const int wanted = year ? year : QDate::currentDate().year();
        if (report.ReportYear() != wanted) report.ChangeReportYear(wanted);
        Validator& validator = Globals::Validator();
        QElapsedTimer timer;
        timer.start();
        result = validator.ValidateFile(path, formType, maxErrors);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;

        const Bench::ListingCounts counts = Bench::writeListing(*result, stdout);
        std::fprintf(stdout, "records=%d invalid=%d serious_or_worse=%d warnings=%d severity=%d seconds=%.3f\n",
                     result->RecordCount(), counts.invalid, counts.serious, counts.warnings, int(result->Severity()),
                     seconds);
        if (std::fflush(stdout) != 0 || !counts.written) {
            std::fprintf(stderr, "the listing could not be written\n");
            return 2;
        }
    } catch (...) {
        const ErrorInfo e = ErrorInfo::fromCurrentException();
        std::fprintf(stderr, "%d\t%s\n", e.Number(), e.Description().toLocal8Bit().constData());
        return 2;
    }
    // The system takes the memory back at once.
    if (sandbox.isValid()) sandbox.remove();
    std::_Exit(0);
}
