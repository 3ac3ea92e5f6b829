// epa_list [PRODUCTS]
// Times the product list on a file of PRODUCTS products (100000 unless
// given), written in random order: the read that builds the sorted list, the
// filling of a list widget, the save, and key lookups at several list sizes.
// Prints one line per step and exits 1 when read, fill and save together take
// a second or more. Everything happens in a private temporary folder.
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Globals.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

// The settings and the resource folder go to root, never to the user's own.
void useFolder(const QString& root) {
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_DIRS"}) {
        const QString path = root + QLatin1Char('/') + QLatin1String(variable);
        QDir().mkpath(path);
        ::setenv(variable, QFile::encodeName(path).constData(), 1);
    }
}

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

double millisecondsSince(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

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

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir root;
    if (!root.isValid()) return 2;
    useFolder(root.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Made before the file exists, so that the timed read is the list's first.
    ZozedizIZ::EpaDataList& list = ZozedizIZ::Globals::EpaList();
    std::vector<QString> numbers;
    const QByteArray file = makeFile(count, numbers);
    QFile out(list.FilePath());
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) return 2;
    out.close();

    QElapsedTimer timer;
    timer.start();
    const int read = list.Read();
    const double readMs = millisecondsSince(timer);

    QWidget window;
    auto* box = new QListWidget(&window);
    window.show();
    timer.restart();
    list.FillEpaListBox(box);
    // Until the rows are laid out and painted, as the user will see them.
    box->repaint();
    QApplication::processEvents();
    const double fillMs = millisecondsSince(timer);

    timer.restart();
    list.Save();
    const double saveMs = millisecondsSince(timer);

    // Reload: the full list is replaced by the file's.
    timer.restart();
    list.Read();
    const double reloadMs = millisecondsSince(timer);

    std::printf("products=%d file_bytes=%lld\n", read, static_cast<long long>(file.size()));
    std::printf("read_ms=%.1f fill_list_widget_ms=%.1f save_ms=%.1f total_ms=%.1f reload_ms=%.1f\n", readMs, fillMs,
                saveMs, readMs + fillMs + saveMs, reloadMs);

    // Lookups at growing sizes: constant time shows as a flat line.
    for (int size : {1000, 10000, count}) {
        if (size > count) continue;
        std::vector<QString> subset(numbers.begin(), numbers.begin() + size);
        if (!out.open(QIODevice::WriteOnly)) return 2;
        for (const QString& number : subset) out.write(number.toLatin1() + "|x\r\n");
        out.close();
        list.Read();
        std::printf("lookup_ns products=%d %.0f\n", size, lookupNanoseconds(list, subset));
    }
    ZozedizIZ::Globals::Release();
    const bool fast = readMs + fillMs + saveMs < 1000.0;
    if (!fast) std::printf("goal missed: read, fill and save take 1 s or more\n");
    return fast && read == count ? 0 : 1;
}
