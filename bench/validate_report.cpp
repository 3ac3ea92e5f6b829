// validate_report FILE FORMTYPE [MAXERRORS] [--year YYYY]
// Runs the validator on a report file with the report year set (default: the
// current one) and prints each finding in the result's order as
//   record, field id, code, severity, value, message   (TAB-separated)
// then one summary line. Exits 0 when the run completed, 2 when it raised.
// The run keeps its settings in a private temporary folder, so the user's own
// settings and report folders are never touched; with BENCH_PRIVATE_HOME=1
// the caller says that HOME and the XDG folders already are private (and
// prepared, as a program that has run before finds them).
#include "Sandbox.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/Validator.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace Vezedad;

namespace {

// Appends text as UTF-8, with backslashes, tabs and line ends escaped so that
// each finding stays on one line. Most texts are plain ASCII: those are
// copied as they are.
void appendField(std::string& out, const QString& text) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const size_t n = size_t(text.size()), at = out.size();
    // Narrow and test in one pass without branches (the compiler vectorises
    // it); the rare text that is not plain is redone below.
    out.resize(at + n);
    char* dst = out.data() + at;
    bool plain = true;
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = p[i];
        plain &= c >= 0x20 && c < 0x7F && c != u'\\';
        dst[i] = char(c);
    }
    if (plain) return;
    out.resize(at);
    QString s = text;
    s.replace(u'\\', QStringLiteral("\\\\")).replace(u'\t', QStringLiteral("\\t"));
    s.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    out += s.toUtf8().toStdString();
}

void appendNumber(std::string& out, long long value) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, size_t(end - buf));
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
    if (qEnvironmentVariable("BENCH_PRIVATE_HOME") != QStringLiteral("1")) {
        if (!sandbox.isValid()) {
            std::fprintf(stderr, "cannot create a temporary folder\n");
            return 1;
        }
        Bench::isolate(sandbox.path());
    }
    QCoreApplication app(argc, argv);

    FileValidationResultPtr result;
    double seconds = 0;
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
        seconds = double(timer.nsecsElapsed()) / 1e9;
    } catch (const ErrorInfo& e) {
        std::fprintf(stderr, "%d\t%s\n", e.Number(), e.Description().toLocal8Bit().constData());
        return 2;
    }

    std::string out;
    out.reserve(2 << 20);
    int invalid = 0, serious = 0, warnings = 0;
    // Result order: the whole-file record (-1) first, then the records by
    // number, which is the order in which the run added them. Records are
    // taken one at a time, as an exception report is written: a record kept
    // as its place in the file is read back only while it is printed.
    QVector<qint32> keys = result->Keys();
    for (const qint32 key : keys) {
        const RecordValidationResultPtr record = result->Item(key);
        if (record->RecordNumber() != Validator::WholeFileKey()) {
            ++invalid;
            if (record->Severity() >= kvesSerious)
                ++serious;
            else if (record->Severity() == kvesWarning)
                ++warnings;
        }
        for (const ValidationResultPtr& f : record->Items()) {
            appendNumber(out, f->RecordNumber());
            out += '\t';
            appendNumber(out, int(f->Field()));
            out += '\t';
            appendNumber(out, int(f->Code()));
            out += '\t';
            appendNumber(out, int(f->Severity()));
            out += '\t';
            appendField(out, f->Value());
            out += '\t';
            appendField(out, f->Message());
            out += '\n';
            if (out.size() > (1 << 20)) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
    }
    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "records=%d invalid=%d serious_or_worse=%d warnings=%d severity=%d seconds=%.3f\n",
                  result->RecordCount(), invalid, serious, warnings, int(result->Severity()), seconds);
    out += summary;
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    // Taking a large result tree apart object by object only costs time at
    // exit; the system takes the memory back at once.
    if (sandbox.isValid()) sandbox.remove();
    std::_Exit(0);
}
