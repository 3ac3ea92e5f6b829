// validate_report FILE FORMTYPE [MAXERRORS] [--year YYYY]
// Runs the validator on a report file with the report year set (default: the
// current one) and prints each finding in the result's order as
//   record, field id, code, severity, value, message   (TAB-separated)
// then one summary line. Exits 0 when the run completed, 2 when it raised.
// The run keeps its settings in a private temporary folder, so the user's own
// settings and report folders are never touched.
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
#include <string>

using namespace Vezedad;

namespace {

// Tabs and line ends inside a value would break the line format.
std::string field(const QString& text) {
    QString s = text;
    s.replace(u'\\', QStringLiteral("\\\\")).replace(u'\t', QStringLiteral("\\t"));
    s.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    return s.toStdString();
}

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

} // namespace

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
    if (!sandbox.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    isolate(sandbox.path());
    QCoreApplication app(argc, argv);

    FileValidationResultPtr result;
    double seconds = 0;
    try {
        ZelReport& report = Globals::ZelReport();
        report.setAllowPersistence(false);
        report.ChangeReportYear(year ? year : QDate::currentDate().year());
        Validator& validator = Globals::Validator();
        QElapsedTimer timer;
        timer.start();
        result = validator.ValidateFile(path, formType, maxErrors);
        seconds = double(timer.nsecsElapsed()) / 1e9;
    } catch (const ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), e.Description().toLocal8Bit().constData());
        return 2;
    }

    std::string out;
    int invalid = 0, serious = 0, warnings = 0;
    for (qint32 key : result->Keys()) {
        const RecordValidationResultPtr record = result->Item(key);
        if (key != Validator::WholeFileKey()) {
            ++invalid;
            if (record->Severity() >= kvesSerious) ++serious;
            else if (record->Severity() == kvesWarning) ++warnings;
        }
        for (const ValidationResultPtr& f : record->Items()) {
            out += std::to_string(f->RecordNumber()) + '\t' + std::to_string(int(f->Field())) + '\t' +
                   std::to_string(int(f->Code())) + '\t' + std::to_string(int(f->Severity())) + '\t' +
                   field(f->Value()) + '\t' + field(f->Message()) + '\n';
            if (out.size() > (1 << 20)) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
    }
    char summary[256];
    std::snprintf(summary, sizeof summary, "records=%d invalid=%d serious_or_worse=%d warnings=%d severity=%d seconds=%.3f\n",
                  result->RecordCount(), invalid, serious, warnings, int(result->Severity()), seconds);
    out += summary;
    std::fwrite(out.data(), 1, out.size(), stdout);
    result.reset();
    Globals::Release();
    return 0;
}
