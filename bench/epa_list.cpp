// epa_list --make FILE [PRODUCTS]
// epa_list FILE
// epa_list --lookups [PRODUCTS]
// The product list ("EpaList.txt") as a user meets it, in a private
// temporary folder:
//   --make      writes a list of PRODUCTS products (100000 unless given), in
//               random order, to FILE, and ends; a list is made by one
//               process and timed by others;
//   FILE        one timed run: FILE copied into the resource folder, written
//               to the disk and dropped from the page cache (the program's
//               first read of a list finds it on the disk, not in memory;
//               the share still cached is printed), a window shown as the
//               program's are; then the read that builds the sorted list,
//               the filling of a list widget in that window until it is
//               painted, and the save of the whole list;
//   --lookups   key lookups at several list sizes.
// The spans go to bench/pairs as marks (Marks.h): read, fill, save, total.
#include "Isolation.h"
#include "Marks.h"

#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// count distinct registration numbers ("ddddd-ddd") in random order, each
// with a product name, as the list file holds them.
QByteArray makeFile(int count, std::vector<QString>& numbers) {
    std::mt19937 random(42);
    std::vector<int> codes(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) codes[size_t(i)] = 10000000 + i * 7;
    std::shuffle(codes.begin(), codes.end(), random);
    QByteArray file;
    file.reserve(qsizetype(count) * 40);
    numbers.clear();
    for (int code : codes) {
        const QByteArray digits = QByteArray::number(code);
        const QByteArray number = digits.left(5) + '-' + digits.mid(5);
        numbers.push_back(QString::fromLatin1(number));
        file += number + "|Product name " + digits + " 50 WP herbicide\r\n";
    }
    return file;
}

double secondsSince(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e9; }

// Page faults so far: on a virtual machine each first touch of fresh memory
// costs as much as a few thousand instructions.
long pageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

// Mean nanoseconds of one Exists and one Item by key, over keys that are in
// the list (in other letter case every second time) and keys that are not.
double lookupNanoseconds(const ZozedizIZ::EpaDataList& list, const std::vector<QString>& numbers) {
    std::vector<QString> keys;
    for (size_t i = 0; i < numbers.size(); i += std::max<size_t>(1, numbers.size() / 20000)) {
        keys.push_back(numbers[i]);
        keys.push_back(numbers[i] + QStringLiteral("9"));
    }
    const int rounds = std::max(1, 400000 / int(keys.size()));
    qint64 found = 0;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < rounds; ++r)
        for (const QString& key : keys) found += list.Exists(key) + (list.Item(key) != nullptr);
    const double ns = double(timer.nsecsElapsed()) / double(2 * rounds * qint64(keys.size()));
    if (found == 0) std::printf("(no key found)\n");
    return ns;
}

// The share of the file's pages that are in the page cache.
double cachedShare(int fd, qint64 size) {
    if (size <= 0) return 0;
    const long page = sysconf(_SC_PAGESIZE);
    void* map = mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) return -1;
    std::vector<unsigned char> resident(size_t((size + page - 1) / page));
    double share = -1;
    if (mincore(map, size_t(size), resident.data()) == 0)
        share = double(std::count_if(resident.begin(), resident.end(), [](unsigned char c) { return c & 1; })) /
                double(resident.size());
    munmap(map, size_t(size));
    return share;
}

// The list file as the program finds it at its first read: on the disk.
bool placeCold(const QString& from, const QString& to) {
    QFile::remove(to);
    if (!QFile::copy(from, to)) return false;
    const int fd = ::open(QFile::encodeName(to).constData(), O_RDONLY);
    if (fd < 0) return false;
    const qint64 size = QFileInfo(to).size();
    const bool dropped = ::fsync(fd) == 0 && ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    const double share = cachedShare(fd, size);
    ::close(fd);
    std::fprintf(stderr, "epa_list: the list file dropped from the page cache: %s, %.0f %% still cached\n",
                 dropped ? "yes" : "no", share * 100);
    return true;
}

int timedRun(ZozedizIZ::EpaDataList& list, const QString& source) {
    if (!placeCold(source, list.FilePath())) {
        std::fprintf(stderr, "epa_list: cannot copy %s\n", qPrintable(source));
        return 2;
    }
    // The program's windows are up when a list is read.
    QWidget window;
    auto* box = new QListWidget(&window);
    window.resize(400, 300);
    window.show();
    window.repaint();
    QApplication::processEvents();

    long faults[4] = {pageFaults(), 0, 0, 0};
    QElapsedTimer timer;
    timer.start();
    const int read = list.Read();
    const double readSeconds = secondsSince(timer);
    faults[1] = pageFaults();

    timer.restart();
    list.FillEpaListBox(box);
    // Until the rows are laid out and painted, as the user will see them.
    box->repaint();
    QApplication::processEvents();
    const double fillSeconds = secondsSince(timer);
    faults[2] = pageFaults();

    timer.restart();
    list.Save();
    const double saveSeconds = secondsSince(timer);
    faults[3] = pageFaults();

    Bench::markTook("read", readSeconds);
    Bench::markTook("fill", fillSeconds);
    Bench::markTook("save", saveSeconds);
    Bench::markTook("total", readSeconds + fillSeconds + saveSeconds);
    std::printf("products=%d read_s=%.3f fill_s=%.3f save_s=%.3f total_s=%.3f page_faults read=%ld fill=%ld "
                "save=%ld\n",
                read, readSeconds, fillSeconds, saveSeconds, readSeconds + fillSeconds + saveSeconds,
                faults[1] - faults[0], faults[2] - faults[1], faults[3] - faults[2]);
    return read > 0 ? 0 : 1;
}

// Lookups at growing sizes: constant time shows as a flat line.
int lookups(ZozedizIZ::EpaDataList& list, int count) {
    std::vector<QString> numbers;
    makeFile(count, numbers);
    QFile out(list.FilePath());
    for (int size : {1000, 10000, count}) {
        if (size > count) continue;
        std::vector<QString> subset(numbers.begin(), numbers.begin() + size);
        if (!out.open(QIODevice::WriteOnly)) return 2;
        for (const QString& number : subset) out.write(number.toLatin1() + "|x\r\n");
        out.close();
        list.Read();
        std::printf("lookup_ns products=%d %.0f\n", size, lookupNanoseconds(list, subset));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode.isEmpty()) {
        std::fprintf(stderr,
                     "usage: epa_list --make FILE [PRODUCTS] | epa_list FILE | epa_list --lookups [PRODUCTS]\n");
        return 1;
    }
    if (mode == QStringLiteral("--make")) {
        if (argc < 3) return 1;
        const int count = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100000;
        std::vector<QString> numbers;
        const QByteArray file = makeFile(count, numbers);
        QFile out(QString::fromLocal8Bit(argv[2]));
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.flush()) return 2;
        return 0;
    }
    QTemporaryDir root;
    if (!root.isValid()) return 2;
    // The settings and the resource folder go below root, never to the user's own.
    Isolation::isolate(root.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZozedizIZ::EpaDataList& list = ZozedizIZ::Globals::EpaList();
    const int rc = mode == QStringLiteral("--lookups")
                       ? lookups(list, argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000)
                       : timedRun(list, QString::fromLocal8Bit(argv[1]));
    ZozedizIZ::Globals::Release();
    return rc;
}
