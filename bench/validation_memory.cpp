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
//     so that, like the line of "|", it is kept whole with its errors.
// Goals: below 64 MB for P_two.txt; P_pipes.txt no more than P_text.txt
// (its separators cost nothing of their own). Prints a table and a verdict
// per goal. Uses make_report, validate_report and controller_run from the
// same folder as this program.
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
    const QString two = folder.absoluteFilePath(QStringLiteral("P_two.txt"));
    const QString pipes = folder.absoluteFilePath(QStringLiteral("P_pipes.txt"));
    const QString text = folder.absoluteFilePath(QStringLiteral("P_text.txt"));
    std::fprintf(stderr, "making the files in %s ...\n", qPrintable(folderPath));
    if ((!QFile::exists(two) && !makeTwoWarnings(bin + "/make_report", two, year)) ||
        (!QFile::exists(pipes) && !makeLine(pipes, QByteArray(), '|', QByteArray(), QByteArray())) ||
        (!QFile::exists(text) &&
         !makeLine(text, "0|P1234567|54565|2345-2345|", ' ', "Roundup Pro Concentrate ",
                   "|-5|OZ|09/09/" + QByteArray::number(year) + "||01|1 Main St|Albany|12203|"))) {
        std::fprintf(stderr, "cannot make the files\n");
        return 1;
    }

    struct Measure {
        const char* what;
        QString path;
        double validator = 0, controlCenter = 0;
    };
    Measure measures[] = {{"1,000,000 records, two warnings each", two},
                          {"one line of 100 MB of \"|\"", pipes},
                          {"one line of 100 MB of text", text}};
    const std::string listing = folder.absoluteFilePath(QStringLiteral("listing.txt")).toStdString();
    for (Measure& m : measures) {
        const std::string path = m.path.toStdString(), yearText = std::to_string(year);
        m.validator = peakOf({bin + "/validate_report", path, "1", "1000", "--year", yearText}, listing);
        m.controlCenter = peakOf({bin + "/controller_run", path, "1", "--year", yearText, "--once"}, "/dev/null");
        if (m.validator < 0 || m.controlCenter < 0) return 2;
    }
    QFile::remove(QString::fromStdString(listing));
    std::printf("peak memory (resident), error limit 1000, each run a fresh process\n");
    std::printf("%-38s %9s  %15s  %14s\n", "file (Form 26)", "size", "validate_report", "Control Center");
    for (const Measure& m : measures)
        std::printf("%-38s %6.1f MB  %12.1f MB  %11.1f MB\n", m.what, double(QFileInfo(m.path).size()) / 1e6,
                    m.validator, m.controlCenter);
    const bool small = measures[0].validator < 64;
    // A few pages either way are noise, not separators.
    const bool noMore = measures[1].validator <= measures[2].validator + 2 &&
                        measures[1].controlCenter <= measures[2].controlCenter + 2;
    std::printf("goal: below 64 MB for a million two-warning records (validate_report): %s\n",
                small ? "met" : "missed");
    std::printf("goal: a line of \"|\" takes no more than a line of text: %s\n", noMore ? "met" : "missed");
    return 0;
}
