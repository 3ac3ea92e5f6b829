// validation_memory [FOLDER] [--year YYYY]
// Measures the peak memory (resident set) of validating report files that
// hold a great many findings or one huge line, as validate_report and as the
// Control Center's file run (controller_run --once) do it, each a fresh
// process. The files are made in FOLDER (default: a temporary folder, removed
// at the end), Form 26 files, dates in the given year (default: the current):
//   - P_two.txt: 1,000,000 records, each with two warnings, a private
//     applicator's "P" number and trailing empty fields (18 fields), from
//     make_report --all-warning;
//   - P_pipes.txt: one line of 100,000,000 "|";
//   - P_text.txt: one line of 100,000,000 bytes of ordinary text, a record
//     whose product name takes nearly all of it and whose quantity is wrong,
//     so that, like the line of "|", it is kept whole with its errors;
//   - P_field.txt: one line of 100,000,000 bytes, nearly all of it one
//     certification id that fails, so that its value stands twice in the
//     record's text (as the value and in the message);
//   - P_one.txt: one short record, for the process's own memory.
// Goals: below 64 MB for P_two.txt; a long line costs at most 3 times its
// length, above what the process takes for one short record, in either
// program; P_pipes.txt no more than P_text.txt (its separators cost nothing
// of their own). Prints a table and a verdict per goal. Uses make_report,
// validate_report and controller_run from the same folder as this program.
#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// Runs argv as a fresh process, its standard output to out; returns its
// peak resident memory in MB, or -1 when it cannot start or fails.
double peakOf(const std::vector<std::string>& argv, const std::string& out) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", args[0], std::strerror(rc));
        return -1;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", args[0], status);
        return -1;
    }
    return double(usage.ru_maxrss) / 1024.0;
}

bool writeAll(QFile& file, const QByteArray& bytes) { return file.write(bytes) == bytes.size(); }

// The records of make_report --all-warning with five more empty fields each.
bool makeTwoWarnings(const std::string& makeReport, const QString& path, int year) {
    const QString plain = path + QStringLiteral(".plain");
    if (peakOf({makeReport, "1", "1000000", "42", "--year", std::to_string(year), "--all-warning"},
               plain.toStdString()) < 0)
        return false;
    QFile in(plain), out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return false;
    QByteArray chunk;
    while (!in.atEnd()) {
        QByteArray line = in.readLine();
        if (line.endsWith("\r\n")) line.insert(line.size() - 2, "|||||");
        chunk += line;
        if (chunk.size() >= (1 << 20)) {
            if (!writeAll(out, chunk)) return false;
            chunk.clear();
        }
    }
    const bool written = writeAll(out, chunk) && out.flush();
    in.close();
    QFile::remove(plain);
    return written;
}

bool makeLine(const QString& path, const QByteArray& head, char fill, const QByteArray& pattern,
              const QByteArray& tail) {
    constexpr qint64 kLine = 100'000'000;
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || !writeAll(out, head)) return false;
    QByteArray block;
    const qint64 body = kLine - head.size() - tail.size();
    for (qint64 done = 0; done < body; done += block.size()) {
        block = pattern.isEmpty() ? QByteArray(qMin<qint64>(1 << 20, body - done), fill)
                                  : pattern.repeated(qMax<qsizetype>(1, (1 << 20) / pattern.size()))
                                        .left(qsizetype(qMin<qint64>(1 << 20, body - done)));
        if (!writeAll(out, block)) return false;
    }
    return writeAll(out, tail + "\r\n") && out.flush();
}

} // namespace

int main(int argc, char** argv) {
    QString folderPath;
    int year = QDate::currentDate().year();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--year") == 0 && i + 1 < argc)
            year = std::atoi(argv[++i]);
        else
            folderPath = QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir temporary;
    if (folderPath.isEmpty()) {
        if (!temporary.isValid()) return 1;
        folderPath = temporary.path();
    }
    QDir folder(folderPath);
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folderPath));
        return 1;
    }
    const std::string bin = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath().toStdString();
    const auto inFolder = [&folder](const char* name) { return folder.absoluteFilePath(QString::fromLatin1(name)); };
    const QByteArray yearText = QByteArray::number(year);
    const QString two = inFolder("P_two.txt"), pipes = inFolder("P_pipes.txt"), text = inFolder("P_text.txt"),
                  field = inFolder("P_field.txt"), one = inFolder("P_one.txt");
    std::fprintf(stderr, "making the files in %s ...\n", qPrintable(folderPath));
    if ((!QFile::exists(two) && !makeTwoWarnings(bin + "/make_report", two, year)) ||
        (!QFile::exists(pipes) && !makeLine(pipes, QByteArray(), '|', QByteArray(), QByteArray())) ||
        (!QFile::exists(text) && !makeLine(text, "0|P1234567|54565|2345-2345|", ' ', "Roundup Pro Concentrate ",
                                           "|-5|OZ|09/09/" + yearText + "||01|1 Main St|Albany|12203|")) ||
        (!QFile::exists(field) &&
         !makeLine(field, "0|C", ' ', "1234567890",
                   "|54565|2345-2345|Roundup|5|OZ|09/09/" + yearText + "||01|1 Main St|Albany|12203|"))) {
        std::fprintf(stderr, "cannot make the files\n");
        return 1;
    }
    {
        QFile out(one);
        if (!out.open(QIODevice::WriteOnly) || !writeAll(out, "0|C1234567|54565|2345-2345|Roundup|5|OZ|09/09/" +
                                                                  yearText + "||01|1 Main St|Albany|12203|\r\n")) {
            std::fprintf(stderr, "cannot make the files\n");
            return 1;
        }
    }

    struct Measure {
        const char* what;
        QString path;
        bool longLine;
        double validator = 0, controlCenter = 0;
    };
    Measure measures[] = {{"one short record", one, false},
                          {"1,000,000 records, two warnings each", two, false},
                          {"one line of 100 MB of \"|\"", pipes, true},
                          {"one line of 100 MB of text", text, true},
                          {"one field of 100 MB", field, true}};
    const std::string listing = folder.absoluteFilePath(QStringLiteral("listing.txt")).toStdString();
    for (Measure& m : measures) {
        const std::string path = m.path.toStdString(), yearArg = std::to_string(year);
        m.validator = peakOf({bin + "/validate_report", path, "1", "1000", "--year", yearArg}, listing);
        m.controlCenter = peakOf({bin + "/controller_run", path, "1", "--year", yearArg, "--once"}, "/dev/null");
        if (m.validator < 0 || m.controlCenter < 0) return 2;
    }
    QFile::remove(QString::fromStdString(listing));
    // What a line costs: the peak above the process's own, for one short
    // record, over the line's length.
    const Measure& base = measures[0];
    const auto perLine = [&base](const Measure& m, double peak, double basePeak) {
        return (peak - basePeak) * 1048576.0 / double(QFileInfo(m.path).size());
    };
    std::printf("peak memory (resident), error limit 1000, each run a fresh process; for a long line, what it\n"
                "costs above one short record's run, in times the line's length\n");
    std::printf("%-38s %9s  %15s  %14s  %20s\n", "file (Form 26)", "size", "validate_report", "Control Center",
                "line's cost (VR / CC)");
    bool proportionate = true;
    for (const Measure& m : measures) {
        std::printf("%-38s %6.1f MB  %12.1f MB  %11.1f MB", m.what, double(QFileInfo(m.path).size()) / 1e6, m.validator,
                    m.controlCenter);
        if (m.longLine) {
            const double v = perLine(m, m.validator, base.validator),
                         c = perLine(m, m.controlCenter, base.controlCenter);
            proportionate &= v <= 3 && c <= 3;
            std::printf("  %9.2fx / %.2fx", v, c);
        }
        std::printf("\n");
    }
    const bool small = measures[1].validator < 64;
    // A few pages either way are noise, not separators.
    const bool noMore = measures[2].validator <= measures[3].validator + 2 &&
                        measures[2].controlCenter <= measures[3].controlCenter + 2;
    std::printf("goal: below 64 MB for a million two-warning records (validate_report): %s\n",
                small ? "met" : "missed");
    std::printf("goal: a long line costs at most 3 times its length (validate_report and Control Center): %s\n",
                proportionate ? "met" : "missed");
    std::printf("goal: a line of \"|\" takes no more than a line of text: %s\n", noMore ? "met" : "missed");
    return 0;
}
