#include "FileRunOracle.h"
#include "MemoryLimit.h"
#include "TestSupport.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <sys/stat.h>
#include <sys/time.h>

// Room taken through operator new, counted while a test watches, so that a
// test can tell what a run keeps per separator or per record without timing
// or measuring the process.
namespace {
std::atomic<bool> g_watching{false};
std::atomic<long long> g_live{0}, g_peak{0};

void counted(void* p, long long sign) {
    if (!p || !g_watching.load(std::memory_order_relaxed)) return;
    const long long live =
        g_live.fetch_add(sign * (long long)malloc_usable_size(p)) + sign * (long long)malloc_usable_size(p);
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
}

// The most room taken through operator new at once while body ran, beyond
// what was taken when it started.
long long peakNewBytes(const std::function<void()>& body) {
    g_live = 0;
    g_peak = 0;
    g_watching = true;
    body();
    g_watching = false;
    return g_peak;
}
} // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    counted(p, 1);
    return p;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    void* p = std::malloc(size ? size : 1);
    counted(p, 1);
    return p;
}
void operator delete(void* p) noexcept {
    counted(p, -1);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }

using namespace Vezedad;

class tst_file_validation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void refusedBeforeReading();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void runs_data();
    void runs();
    void longLinesAreReadWhole_data();
    void longLinesAreReadWhole();
    void eventFigures();
    void errorLimit();
    void cancel();
    void directListenerHearsLast();
    void listenerMayCallBackIn();
    void fileAndRecordRunsAgree_data();
    void fileAndRecordRunsAgree();
    void separatorsAreFoundAtEveryPlace();
    void warningRecordsAreReadBackFromTheFile();
    void errorRecordsAreReadBackFromTheFile();
    void changedFilesAreNeverReadBackWrong_data();
    void changedFilesAreNeverReadBackWrong();
    void listingGivesEachRecordsText_data();
    void listingGivesEachRecordsText();
    void separatorsCostNoRoomOfTheirOwn();
    void memoryInProportionToTheLine_data();
    void memoryInProportionToTheLine();
};

namespace {

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString write(const QString& name, const QByteArray& bytes) {
    const QString path = folder().filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}

// Findings of a file result as "record:field:code:severity" in key order.
QString findings(const FileValidationResultPtr& result) {
    QStringList parts;
    for (qint32 key : result->Keys())
        for (const ValidationResultPtr& r : result->Item(key)->Items())
            parts << QStringLiteral("%1:%2:%3:%4")
                         .arg(r->RecordNumber())
                         .arg(int(r->Field()))
                         .arg(int(r->Code()))
                         .arg(int(r->Severity()));
    return parts.join(u' ');
}

struct Announcements {
    QList<QList<qint32>> events; // number, length, errors
    qint32 cancelAt = 0;
};

QMetaObject::Connection listen(Announcements& a) {
    return QObject::connect(&Globals::Validator(), &Validator::RecordValidated,
                            [&a](qint32& number, qint32& length, qint32& errors, bool& cancel) {
                                a.events.append({number, length, errors});
                                if (number == a.cancelAt) cancel = true;
                            });
}

const QByteArray kGood25 = "0|R12345|2345-2345-2345|Name from label|2|GL|24|X||\r\n";
const QByteArray kBad25 = "0|R12345|2345-2345-2345|Name from label|0|GL|24|X||\r\n";
const QByteArray kWarn26 = "0|P1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n";

// The mixed fixture of each form, and Form 25 once more with commas for separators.
void mixedFixtures() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("form");
    QTest::newRow("Form 26") << QStringLiteral("P_mixed.txt") << int(zfotForm26);
    QTest::newRow("Form 26A") << QStringLiteral("A_mixed.txt") << int(zfotForm26A);
    QTest::newRow("Form 27") << QStringLiteral("S_mixed.txt") << int(zfotForm27);
    QTest::newRow("Form 25") << QStringLiteral("M_mixed.txt") << int(zfotForm25);
    QTest::newRow("Form 25, comma separated") << QStringLiteral("M_comma.txt") << int(zfotForm25);
}

} // namespace

void tst_file_validation::initTestCase() {
    QVERIFY(folder().isValid());
    Globals::ZelReport().ChangeReportYear(2024);
}

void tst_file_validation::refusedBeforeReading() {
    Validator& v = Globals::Validator();
    const QString csv = write(QStringLiteral("M1.csv"), kGood25);
    const QString txt = write(QStringLiteral("M1.txt"), kGood25);
    const struct {
        QString path;
        qint32 form;
        quint32 number;
        QString description;
    } cases[] = {
        {folder().filePath(QStringLiteral("none.txt")), 8, 0x80046835u,
         QStringLiteral("File '%1' not found.").arg(folder().filePath(QStringLiteral("none.txt")))},
        {folder().path(), 8, 0x80046835u, QStringLiteral("File '%1' not found.").arg(folder().path())},
        {csv, 8, 0x8004697Cu, QStringLiteral("File must be text; file '%1' does not have a .txt extension.").arg(csv)},
        {txt, 3, 0x8004697Cu, QStringLiteral("Form type (3) not one of the known values.")},
        {txt, 16, 0x8004697Cu, QStringLiteral("Form type (16) not one of the known values.")},
    };
    Announcements a;
    const auto connection = listen(a);
    for (const auto& c : cases) {
        const ErrorInfo e = TestSupport::raisedBy([&] { v.ValidateFile(c.path, c.form); });
        QCOMPARE(quint32(e.Number()), c.number);
        QCOMPARE(e.Description(), c.description);
        QCOMPARE(e.Source(), QStringLiteral("Vezedad:Validator.ValidateFile"));
    }
    QObject::disconnect(connection);
    QVERIFY(a.events.isEmpty());
}

void tst_file_validation::runs_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("form");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("wholeFileMessages");

    QTest::newRow("blank lines only") << "M1.txt" << 8 << QByteArray("\r\n   \r\n\"\" \"\r\n") << 0 << QString()
                                      << QString();
    QTest::newRow("empty file") << "M1.txt" << 8 << QByteArray() << 0 << QString() << QString();
    QTest::newRow("upper-case name") << "M1.TXT" << 8 << kGood25 + kGood25 << 2 << QString() << QString();
    QTest::newRow("wrong prefix still validated")
        << "x1.txt" << 8 << kGood25 + kBad25 << 2 << QStringLiteral("-1:50:4:3 2:6:6:2")
        << QStringLiteral("File name 'x1.txt' should begin with 'M' for Form 25.");
    QTest::newRow("comma separated") << "M1.txt" << 8 << QByteArray(kGood25).replace('|', ',') << 1
                                     << QStringLiteral("-1:51:4:1")
                                     << QStringLiteral("Field separator ',' is acceptable but '|' is preferred.");
    QTest::newRow("tab separated") << "M1.txt" << 8 << QByteArray(kGood25).replace('|', '\t') << 1
                                   << QStringLiteral("-1:51:4:1")
                                   << QStringLiteral("Field separator '[tab]' is acceptable but '|' is preferred.");
    QTest::newRow("no separator") << "M1.txt" << 8 << QByteArray("0|R12345|x\r\n") + kGood25 << 1
                                  << QStringLiteral("-1:51:2:4")
                                  << QStringLiteral("Could not identify field separator; file cannot be processed.");
    QTest::newRow("quotes dropped") << "M1.txt" << 8
                                    << QByteArray("\"0\"|\"R12345\"|\"2345-2345-2345\"|\"Name\"|2|GL|24|||\r\n") << 1
                                    << QString() << QString();
    QTest::newRow("numbering skips blank lines")
        << "M1.txt" << 8 << kGood25 + "\r\n  \r\n" + kBad25 << 2 << QStringLiteral("2:6:6:2") << QString();
    QTest::newRow("lf and lone cr line ends")
        << "M1.txt" << 8 << kGood25.chopped(2) + "\r" + kBad25.chopped(2) + "\n" + kGood25.chopped(2) << 3
        << QStringLiteral("2:6:6:2") << QString();
    QTest::newRow("warnings make the file invalid")
        << "P1.txt" << 1 << kWarn26 << 1 << QStringLiteral("1:4:4:1") << QString();
    QTest::newRow("binary") << "M1.txt" << 8 << QByteArray("\x00\x01\xff|\x80\x81|\x00|\x9f\x00\r\n", 13) << 1
                            << QStringLiteral("1:52:4:2 1:2:4:3 1:5:4:2 1:14:4:2 1:6:2:2") << QString();
    // A byte-order mark before line 1 is no part of the first record; a
    // record with warnings is read back from its place after it.
    QTest::newRow("byte-order mark") << "M1.txt" << 8 << "\xEF\xBB\xBF" + kGood25 + kBad25 << 2
                                     << QStringLiteral("2:6:6:2") << QString();
    QTest::newRow("byte-order mark, Form 26A") << "A1.txt" << 2
                                               << QByteArray("\xEF\xBB\xBF"
                                                             "0|C1234567|12345|JANE|DOE|\r\n")
                                               << 1 << QString() << QString();
    QTest::newRow("byte-order mark, warnings")
        << "P1.txt" << 1 << "\xEF\xBB\xBF" + kWarn26 << 1 << QStringLiteral("1:4:4:1") << QString();
    QTest::newRow("no line end, long") << "M1.txt" << 8 << QByteArray(300000, 'x') << 1 << QStringLiteral("-1:51:2:4")
                                       << QStringLiteral(
                                              "Could not identify field separator; file cannot be processed.");
}

void tst_file_validation::runs() {
    QFETCH(QString, name);
    QFETCH(int, form);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, wholeFileMessages);
    const FileValidationResultPtr result = Globals::Validator().ValidateFile(write(name, bytes), form);
    QTEST(result->RecordCount(), "records");
    QTEST(findings(result), "expected");
    QCOMPARE(result->IsValid(), findings(result).isEmpty());
    QStringList messages;
    if (const RecordValidationResultPtr whole = result->Item(-1))
        for (const ValidationResultPtr& r : whole->Items())
            if (r->Field() != zrfFilePrefix || !wholeFileMessages.isEmpty()) messages << r->Message();
    QCOMPARE(messages.join(u'\n'), wholeFileMessages);
    // Only invalid records and the whole-file record are kept.
    for (const RecordValidationResultPtr& r : result->Items()) QVERIFY(!r->IsValid());
}

void tst_file_validation::eventFigures() {
    // A short line, a line of 2 MB, a last line without an end.
    const QByteArray longProduct(2 * 1024 * 1024, 'p');
    const QByteArray bytes = kGood25 + "0|a\r\n" + "0|R12345|2345-2345-2345|" + longProduct + "|2|GL|24|X||\n" +
                             "\"0|R12345|2345-2345-2345|Name|2|gl|24||\"";
    Announcements a;
    const auto connection = listen(a);
    const FileValidationResultPtr result = Globals::Validator().ValidateFile(write(QStringLiteral("M2.txt"), bytes), 8);
    QObject::disconnect(connection);
    QCOMPARE(a.events.size(), 4);
    QCOMPARE(a.events[0], (QList<qint32>{1, qint32(kGood25.size()), 0}));
    QCOMPARE(a.events[1], (QList<qint32>{2, 5, 4})); // column count, permit, empty EPA, no data
    QCOMPARE(a.events[2], (QList<qint32>{3, qint32(longProduct.size() + 24 + 12 + 2), 0}));
    QCOMPARE(a.events[3], (QList<qint32>{4, 42, 0}));
    QCOMPARE(result->RecordCount(), 4);
    QCOMPARE(result->Keys(), (QVector<qint32>{2}));
}

void tst_file_validation::errorLimit() {
    QByteArray bytes = kGood25 + kWarn26.left(0);
    for (int i = 0; i < 5; ++i) bytes += kBad25;
    const QString path = write(QStringLiteral("M3.txt"), bytes);
    FileValidationResultPtr result = Globals::Validator().ValidateFile(path, 8, 2);
    QCOMPARE(result->RecordCount(), 3);
    QCOMPARE(findings(result), QStringLiteral("-1:54:10:4 2:6:6:2 3:6:6:2"));
    const ValidationResultPtr stop = result->Item(-1)->Item(zrfErrorCount);
    QCOMPARE(stop->Value(), QStringLiteral("2"));
    QCOMPARE(stop->Message(), QStringLiteral("Too many invalid records. Validation stopped after 2 invalid records."));
    QCOMPARE(int(result->Severity()), 4);
    QVERIFY(result->Terminal());

    result = Globals::Validator().ValidateFile(path, 8, 0);
    QCOMPARE(result->RecordCount(), 6);
    QCOMPARE(result->Count(), 5);
    QVERIFY(!result->Exists(-1));

    // Warning-only records never count toward the limit.
    QByteArray warnings;
    for (int i = 0; i < 5; ++i) warnings += kWarn26;
    result = Globals::Validator().ValidateFile(write(QStringLiteral("P3.txt"), warnings), 1, 1);
    QCOMPARE(result->RecordCount(), 5);
    QCOMPARE(result->SeverityCount(1), 5);
}

void tst_file_validation::cancel() {
    QByteArray bytes;
    for (int i = 0; i < 8; ++i) bytes += i == 4 ? kBad25 : kGood25;
    Announcements a;
    a.cancelAt = 5;
    const auto connection = listen(a);
    const FileValidationResultPtr result = Globals::Validator().ValidateFile(write(QStringLiteral("M4.txt"), bytes), 8);
    QObject::disconnect(connection);
    QCOMPARE(a.events.size(), 5);
    QCOMPARE(result->RecordCount(), 5);
    QCOMPARE(findings(result), QStringLiteral("5:57:13:4 5:6:6:2"));
    const ValidationResultPtr stop = result->Item(-1)->Item(zrfCancel);
    QCOMPARE(stop->Value(), QStringLiteral("5"));
    QCOMPARE(stop->Message(), QStringLiteral("User cancelled validation after record 5."));
}

// The run's own listener hears of each record after the event's connections,
// with what they left: a connection that stops the run at a record is heard
// before the listener at that record, as when both were connections. The
// listener's Cancel stops the run too; the one it replaced comes back.
void tst_file_validation::directListenerHearsLast() {
    QByteArray bytes;
    for (int i = 0; i < 8; ++i) bytes += kGood25;
    const QString path = write(QStringLiteral("M6.txt"), bytes);
    QStringList heard;
    const auto connection =
        QObject::connect(&Globals::Validator(), &Validator::RecordValidated, [&](qint32& n, qint32&, qint32&, bool& c) {
            heard << QStringLiteral("event %1").arg(n);
            c = c || n == 2;
        });
    const qint32 stopAt = 4;
    const Validator::RecordListener before =
        Globals::Validator().setRecordListener([&](qint32 n, qint32 length, qint32 errors, bool& cancel) {
            heard << QStringLiteral("listener %1 %2 %3 %4").arg(n).arg(length).arg(errors).arg(cancel);
            cancel = n == stopAt;
        });
    QVERIFY(!before);
    FileValidationResultPtr result = Globals::Validator().ValidateFile(path, 8);
    QObject::disconnect(connection);
    const QString length = QString::number(kGood25.size());
    QCOMPARE(heard,
             (QStringList{"event 1", "listener 1 " + length + " 0 0", "event 2", "listener 2 " + length + " 0 1",
                          "event 3", "listener 3 " + length + " 0 0", "event 4", "listener 4 " + length + " 0 0"}));
    QCOMPARE(result->Item(-1)->Item(zrfCancel)->Value(), QStringLiteral("4"));

    heard.clear();
    QVERIFY(Globals::Validator().setRecordListener(before));
    result = Globals::Validator().ValidateFile(path, 8);
    QVERIFY(heard.isEmpty());
    QCOMPARE(result->RecordCount(), 8);
}

// A listener may pump events and call the validator again while a run is on.
void tst_file_validation::listenerMayCallBackIn() {
    QByteArray bytes;
    for (int i = 0; i < 3; ++i) bytes += kBad25;
    const QString inner = write(QStringLiteral("A1.txt"), QByteArray("C1234567|12345|Jane|Doe\r\n"));
    int nested = 0;
    const auto connection =
        QObject::connect(&Globals::Validator(), &Validator::RecordValidated, [&](qint32&, qint32&, qint32&, bool&) {
            if (nested++ > 0) return;
            QVERIFY(Globals::Validator().ValidateFile(inner, 2)->IsValid());
            Globals::Validator().ValidateRecord(QStringLiteral("x"), QString(), 1, 16);
        });
    const FileValidationResultPtr result = Globals::Validator().ValidateFile(write(QStringLiteral("M5.txt"), bytes), 8);
    QObject::disconnect(connection);
    QCOMPARE(result->RecordCount(), 3);
    QCOMPARE(result->Count(), 3);
}

// Something named like a report that is not a regular file is refused at
// once, never waited on; a link to a regular file is read.
void tst_file_validation::onlyRegularFilesAreRead_data() {
    QTest::addColumn<QString>("target"); // what the link points at; empty: a FIFO itself
    QTest::addColumn<bool>("refused");
    QTest::newRow("fifo") << QString() << true;
    QTest::newRow("link to fifo") << QStringLiteral("fifo") << true;
    QTest::newRow("link to device") << QStringLiteral("/dev/zero") << true;
    QTest::newRow("link to folder") << QStringLiteral("folder") << true;
    QTest::newRow("link to file") << QStringLiteral("file") << false;
}

void tst_file_validation::onlyRegularFilesAreRead() {
    QFETCH(QString, target);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    TestSupport::writeFile(dir.filePath(QStringLiteral("file")), kGood25);
    const QString path = dir.filePath(QStringLiteral("M1.txt"));
    if (target.isEmpty())
        QVERIFY(QFile::rename(fifo, path));
    else
        QVERIFY(QFile::link(target.startsWith(u'/') ? target : dir.filePath(target), path));

    const ErrorInfo e = TestSupport::raisedBy([&] { Globals::Validator().ValidateFile(path, zfotForm25); });
    if (!refused) {
        QCOMPARE(e.Number(), 0);
        return;
    }
    QVERIFY(e.Number() != 0);
    if (target == QLatin1String("folder")) return; // not found, as a folder is
    QCOMPARE(e.Number(), 75);
    QCOMPARE(e.Description(), QStringLiteral("Path/File access error: %1 is not a regular file").arg(path));
}

// A line is checked whole, however long: its far columns, its field count and
// its column-count finding are those of the whole line.
void tst_file_validation::longLinesAreReadWhole_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("form");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QByteArray big(100 * 1024, 'x');
    QTest::newRow("long product name") << "M1.txt" << 8 << "0|R12345|2345-2345-2345|" + big + "|2|GL|24|X||\r\n"
                                       << QString();
    QTest::newRow("long address, then the zip")
        << "S1.txt" << 4 << "0|R34343|2345-2345-2345|Name|2.5|OZ|09/09/2024|01|" + big + "|Albany|12203|\r\n"
        << QString();
    QTest::newRow("long value, eighteen fields")
        << "P1.txt" << 1
        << "0|C1111111|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|" + big + "|b|c|d|e|\r\n"
        << QStringLiteral("1:52:4:1");
    QTest::newRow("seventy thousand fields")
        << "M1.txt" << 8 << "0|R12345|" + QByteArray(70000, '|') + "\r\n"
        << QStringLiteral("1:52:4:2 1:14:2:2 1:21:2:2 1:6:2:2 1:7:2:2 1:8:2:2 1:53:2:3");
}

void tst_file_validation::longLinesAreReadWhole() {
    QFETCH(QString, name);
    QFETCH(int, form);
    QFETCH(QByteArray, bytes);
    const FileValidationResultPtr result = Globals::Validator().ValidateFile(write(name, bytes), form, 0);
    QTEST(findings(result), "expected");
    if (const RecordValidationResultPtr record = result->Item(1)) {
        QCOMPARE(record->RecordContents().size(), qsizetype(bytes.size() - 2));
        if (const ValidationResultPtr count = record->Item(zrfColumnCount))
            QCOMPARE(count->Value(), QString::number(bytes.count('|') - (bytes.endsWith("|\r\n") ? 0 : -1)));
    }
}

// A file run decides most lines on their bytes; a record run checks decoded
// text. Line by line they must find the same, down to values and messages.
void tst_file_validation::fileAndRecordRunsAgree_data() { mixedFixtures(); }

void tst_file_validation::fileAndRecordRunsAgree() {
    QFETCH(QString, fixture);
    QFETCH(int, form);
    const QString path = QStringLiteral(TEST_DATA_DIR "/") + fixture;
    const QByteArray bytes = TestSupport::readFile(path);
    Validator& v = Globals::Validator();
    const FileValidationResultPtr file = v.ValidateFile(path, form, 0);
    const QStringList records = FileRunOracle::recordsOf(bytes);
    QCOMPARE(file->RecordCount(), records.size());
    const QString delimiter = v.GetColumnStructure(records.value(0)).Delimiter;
    int invalid = 0;
    for (qsizetype n = 1; n <= records.size(); ++n) {
        const RecordValidationResultPtr byRecord = v.ValidateRecord(records[n - 1], delimiter, qint32(n), form);
        QCOMPARE(FileRunOracle::described(file->Item(qint32(n))), FileRunOracle::described(byRecord));
        invalid += !byRecord->IsValid();
    }
    // The fixtures hold right and wrong records alike.
    QVERIFY(invalid > 0 && invalid < records.size());
}

// A line's separators are found however many there are and wherever they
// stand in the blocks of bytes the file run takes at once: its findings are
// the record run's.
void tst_file_validation::separatorsAreFoundAtEveryPlace() {
    QByteArray bytes;
    for (int extra = 0; extra <= 70; ++extra)
        for (int shift : {0, 5, 13, 31})
            bytes += QByteArray(shift, 'A') + kGood25.trimmed() + QByteArray(extra, '|') + "X\r\n";
    const QString path = write(QStringLiteral("M10.txt"), bytes);
    Validator& v = Globals::Validator();
    const FileValidationResultPtr file = v.ValidateFile(path, zfotForm25, 0);
    const QStringList records = FileRunOracle::recordsOf(bytes);
    QCOMPARE(file->RecordCount(), records.size());
    for (qsizetype n = 1; n <= records.size(); ++n)
        QCOMPARE(
            FileRunOracle::described(file->Item(qint32(n))),
            FileRunOracle::described(v.ValidateRecord(records[n - 1], QStringLiteral("|"), qint32(n), zfotForm25)));
}

// A record whose one finding is a warning is kept as its place in the file.
// Asked for, it is read back as it was; while held it stays the same object;
// once the file has changed it is refused rather than read wrong.
void tst_file_validation::warningRecordsAreReadBackFromTheFile() {
    const QByteArray line26 = "0|P1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|";
    QByteArray bytes;
    for (int i = 0; i < 40; ++i) bytes += (i % 3 ? line26 : " \"" + line26 + "\" ") + "\r\n";
    // Two warnings: a private applicator's number and trailing empty fields.
    bytes += "0|P1111111|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203||||||\n";
    bytes += kWarn26;
    const QString path = write(QStringLiteral("P7.txt"), bytes);
    const FileValidationResultPtr result = Globals::Validator().ValidateFile(path, zfotForm26);
    QCOMPARE(result->Count(), 42);
    QCOMPARE(result->SeverityCount(kvesWarning), 42);
    QCOMPARE(int(result->Severity()), int(kvesWarning));

    const RecordValidationResultPtr first = result->Item(1);
    QCOMPARE(first->RecordContents(), QString::fromLatin1(line26));
    QCOMPARE(first->ToString(),
             QStringLiteral("Line 1: ") + QString::fromLatin1(line26) +
                 QStringLiteral("\r\nThe following problems should be corrected but do not invalidate the record.\r\n"
                                "Warning: Certification ID = 'P1234567': Certification ID Number 'P1234567' must be a "
                                "RUR assigned number that begins with C, T, or B and is followed by 7 digits.\r\n"));
    QCOMPARE(result->Item(41)->Keys(), (QVector<qint32>{zrfColumnCount, zrfCertificationId}));
    QCOMPARE(result->Item(41)->Item(zrfColumnCount)->Message(),
             QStringLiteral("Record 41 appears to have 18 fields instead of the 13 expected."));
    // Held, it is the caller's own object to change.
    first->Add(modGlobals::New_ValidationResult(zrfCounty, 1, QStringLiteral("63"), valcInvalidValue, kvesSerious));
    QCOMPARE(result->Item(1), first);
    QCOMPARE(result->Item(1)->Count(), 2);
    // Removing and replacing keeps the counts right.
    result->Remove(2);
    result->setItem(3, modGlobals::New_RecordValidationResult(3, QStringLiteral("x")));
    QCOMPARE(result->SeverityCount(kvesWarning), 40);
    QCOMPARE(result->SeverityCount(kvesOK), 1);
    QCOMPARE(result->Keys().mid(0, 3), (QVector<qint32>{1, 3, 4}));

    // Lines once read stay as they were validated; a line read after the
    // file changed would not be.
    const FileValidationResultPtr again = Globals::Validator().ValidateFile(path, zfotForm26);
    TestSupport::writeFile(path, bytes + kWarn26);
    QCOMPARE(result->Item(20)->RecordContents(), QString::fromLatin1(line26));
    for (const qint32 record : {20, 41}) {
        const ErrorInfo e = TestSupport::raisedBy([&] { again->Item(record); });
        QCOMPARE(e.Number(), 75);
        QVERIFY(e.Description().contains(QStringLiteral("changed after it was validated")));
    }
}

// Records with errors are kept as their place in the file too: twenty
// thousand of them take some thirty bytes each, not their result objects,
// and come back whole, with their severities counted as before.
void tst_file_validation::errorRecordsAreReadBackFromTheFile() {
    QByteArray bytes = kGood25;
    // A serious error (a container size of 0) and a critical one (no data in a
    // sales record).
    const QByteArray critical = "0|R12345|||||||\r\n";
    for (int i = 0; i < 20'000; ++i) bytes += i % 4 ? kBad25 : critical;
    const QString path = write(QStringLiteral("M9.txt"), bytes);
    FileValidationResultPtr result;
    const long long peak = peakNewBytes([&] { result = Globals::Validator().ValidateFile(path, zfotForm25, 0); });
    QVERIFY2(peak < 1'500'000, qPrintable(QString::number(peak)));
    QCOMPARE(result->Count(), 20'000);
    QCOMPARE(result->SeverityCount(kvesSerious), 15'000);
    QCOMPARE(result->SeverityCount(kvesCritical), 5'000);
    QCOMPARE(result->ErrorCount(), 20'000);
    QCOMPARE(int(result->Severity()), int(kvesCritical));

    const RecordValidationResultPtr serious = result->Item(3);
    QCOMPARE(serious->RecordContents(), QString::fromLatin1(kBad25.trimmed()));
    QCOMPARE(int(serious->Severity()), int(kvesSerious));
    QCOMPARE(serious->Keys(), QVector<qint32>{zrfContainerSizeQuantity});
    QCOMPARE(int(result->Item(2)->Severity()), int(kvesCritical));
    QCOMPARE(result->Item(6)->Item(zrfDataFields)->Value(), QStringLiteral("6"));
    QCOMPARE(result->Item(6)->Item(zrfDataFields)->Message(),
             QStringLiteral("A record reporting application or sale should have reportable data."));
    // Removing one keeps the counts right.
    result->Remove(2);
    QCOMPARE(result->SeverityCount(kvesCritical), 4'999);
    QCOMPARE(result->ErrorCount(), 19'999);

    // Read from the file after it changed, it is refused, never read wrong.
    TestSupport::writeFile(path, bytes + kBad25);
    const ErrorInfo e = TestSupport::raisedBy([&] { result->Item(20'000); });
    QCOMPARE(e.Number(), 75);
    // One held is the caller's own.
    QCOMPARE(serious->Count(), 1);
}

// However a file changes after its run, a record kept as its place in it is
// never read back wrong: a line that no longer holds what was checked is
// refused with 75, even when the file keeps its size and time of change (as
// "cp -p" and "touch -r" leave it); a line that still holds it is read.
void tst_file_validation::changedFilesAreNeverReadBackWrong_data() {
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("timeRestored");
    QTest::addColumn<int>("record");
    QTest::addColumn<bool>("refused");
    const QByteArray a = "0|P1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n";
    const QByteArray b = "0|P7654321|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n";
    const QByteArray c = "0|P1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12299|\r\n";
    QTest::newRow("a line rewritten, same size and time") << a + c + a << true << 2 << true;
    QTest::newRow("two lines swapped, same size and time") << b + a + a << true << 1 << true;
    QTest::newRow("another line rewritten, same size and time") << a + c + a << true << 3 << false;
    QTest::newRow("a line added") << a + b + a + a << false << 3 << true;
    QTest::newRow("the file emptied") << QByteArray() << false << 1 << true;
}

void tst_file_validation::changedFilesAreNeverReadBackWrong() {
    QFETCH(QByteArray, after);
    QFETCH(bool, timeRestored);
    QFETCH(int, record);
    QFETCH(bool, refused);
    const QByteArray before = "0|P1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n"
                              "0|P7654321|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n"
                              "0|P1234567|54565|2345-2345|Name|2.5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n";
    const QString path = write(QStringLiteral("P8.txt"), before);
    struct stat validated {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &validated), 0);
    const FileValidationResultPtr result = Globals::Validator().ValidateFile(path, zfotForm26);
    QCOMPARE(result->SeverityCount(kvesWarning), 3);
    const QString expected = QString::fromLatin1(before.split('\r').at(record - 1).trimmed());

    TestSupport::writeFile(path, after);
    if (timeRestored) {
        const timeval times[2] = {{validated.st_atim.tv_sec, validated.st_atim.tv_nsec / 1000},
                                  {validated.st_mtim.tv_sec, validated.st_mtim.tv_nsec / 1000}};
        QCOMPARE(::utimes(QFile::encodeName(path).constData(), times), 0);
    }
    if (refused) {
        const ErrorInfo e = TestSupport::raisedBy([&] { result->Item(record); });
        QCOMPARE(e.Number(), 75);
        QCOMPARE(e.Description(), QStringLiteral("Path/File access error: %1 (the file changed after it was "
                                                 "validated; validate it again)")
                                      .arg(path));
    } else {
        QCOMPARE(result->Item(record)->RecordContents(), expected);
    }
}

// A listing of a file result gives each record's text as its ToString does,
// in the code page, whether the record is held whole or read back, and
// whether it is gathered whole or handed on as it comes: then the text left
// gathered stays small, whatever the length of the record's values.
void tst_file_validation::listingGivesEachRecordsText_data() {
    mixedFixtures();
    // Values of 100 KiB, some failing as they stand, some written back by
    // their rule in another form (beyond ASCII too), and a line of bars.
    const QByteArray tail = "|54565|2345-2345|Name|5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n";
    const QByteArray bytes = "0|C1111111|54565|2345-2345|Name|5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n"
                             "0|c-" +
                             QByteArray("1\xe9-").repeated(35000) + tail + "0|C1111111|54565|2345-2345|" +
                             QByteArray(100000, '7') + "|5|OZ|09/09/2024||01|1 Main St|Albany|12203|\r\n" +
                             "0|C1111111|54565|2345-2345|Name|" + QByteArray("1,").repeated(50000) +
                             "x|OZ|09/09/2024||01|a|b|12203|\r\n" + "0|C1111111|54565|12 / 34" +
                             QByteArray(" --").repeated(40000) + "x|Name|5|\xb5g|09/09/2024||01|a|b|12203|\r\n" +
                             "0|C1111111|" + QByteArray(100000, '|') + "\r\n";
    QTest::newRow("Form 26, values of 100 KiB") << write(QStringLiteral("P_long.txt"), bytes) << int(zfotForm26);
}

void tst_file_validation::listingGivesEachRecordsText() {
    QFETCH(QString, fixture);
    QFETCH(int, form);
    const FileValidationResultPtr result =
        Globals::Validator().ValidateFile(QDir(QStringLiteral(TEST_DATA_DIR)).filePath(fixture), form, 0);
    const RecordListing listing(*result);
    QCOMPARE(listing.size(), qsizetype(result->Count()));
    int readBack = 0, records = 0;
    for (qsizetype i = 0; i < listing.size(); ++i) {
        QCOMPARE(listing.Key(i), result->Keys().at(i));
        QByteArray text, gathered, written;
        listing.AppendText(i, text);
        QCOMPARE(text, Cp1252::encodeOrRaise(listing.Item(i)->ToString(), QString()));
        listing.AppendText(i, gathered, [&](QByteArrayView piece) { written += piece; });
        QVERIFY2(gathered.size() < 320 * 1024, qPrintable(QString::number(gathered.size())));
        QCOMPARE(written + gathered, text);
        QCOMPARE(listing.Item(i), result->Item(listing.Key(i)));
        readBack += !listing.IsWhole(i);
        records += listing.Key(i) != -1 && listing.Item(i)->Severity() != kvesTerminal;
    }
    // Every record of the run is read back, with errors or warnings, but
    // the whole-file record and one that ended the run.
    QVERIFY(result->ErrorCount() > 0);
    QCOMPARE(readBack, records);
}

// A line's separators cost no room of their own: a run over a line of four
// million of them keeps the line (its record has errors), and little more.
void tst_file_validation::separatorsCostNoRoomOfTheirOwn() {
    const QString path = write(QStringLiteral("P9.txt"), "0|C1111111|" + QByteArray(4'000'000, '|') + "\r\n");
    FileValidationResultPtr result;
    const long long peak = peakNewBytes([&] { result = Globals::Validator().ValidateFile(path, zfotForm26, 0); });
    QCOMPARE(result->Item(1)->Item(zrfColumnCount)->Value(), QStringLiteral("4000002"));
    QVERIFY2(peak < 6'000'000, qPrintable(QString::number(peak)));
}

// A run takes room in proportion to its longest line wherever the line
// stands, so a run that passes with a long line last passes with it first;
// a line that cannot be held ends the run with "Out of memory" (7), which
// every caller shows, never an abort. Each run is a child that may take 16 MB
// more than it holds at the start.
void tst_file_validation::memoryInProportionToTheLine_data() {
    QTest::addColumn<int>("before");  // MB of short records before the long line
    QTest::addColumn<int>("line");    // MB of the long line's product name
    QTest::addColumn<int>("after");   // MB of short records after it
    QTest::addColumn<int>("outcome"); // 0: every record read; else the error's number
    QTest::newRow("2 MB line, then 48 MB") << 0 << 2 << 48 << 0;
    QTest::newRow("48 MB, then a 2 MB line") << 48 << 2 << 0 << 0;
    QTest::newRow("one line of 64 MB") << 0 << 64 << 0 << int(rtOutOfMemory);
}

void tst_file_validation::memoryInProportionToTheLine() {
    if (!MemoryLimit::available()) QSKIP("a sanitizer reserves more address space than the limit");
    QFETCH(int, before);
    QFETCH(int, line);
    QFETCH(int, after);
    const QString path = folder().filePath(QStringLiteral("M7.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QByteArray records = kGood25.repeated((1 << 20) / kGood25.size());
    qint32 count = 1;
    const auto shortRecords = [&](int mb) {
        for (int i = 0; i < mb; ++i, count += qint32(records.count('\n'))) QVERIFY(file.write(records) > 0);
    };
    shortRecords(before);
    QVERIFY(file.write("0|R12345|2345-2345-2345|") > 0);
    for (int i = 0; i < line; ++i) QVERIFY(file.write(QByteArray(1 << 20, 'p')) > 0);
    QVERIFY(file.write("|2|GL|24|X||\r\n") > 0);
    shortRecords(after);
    file.close();
    const int outcome = MemoryLimit::runLimited(16 << 20, [&] {
        try {
            const FileValidationResultPtr result = Globals::Validator().ValidateFile(path, zfotForm25, 0);
            return result->RecordCount() == count && result->IsValid() ? 0 : 1;
        } catch (const ErrorInfo& e) {
            return e.Number() == rtOutOfMemory && e.Description() == QStringLiteral("Out of memory") &&
                           e.Source() == QStringLiteral("Vezedad:Validator.ValidateFile")
                       ? int(rtOutOfMemory)
                       : 2;
        }
    });
    QTEST(outcome, "outcome");
}

QTEST_GUILESS_MAIN(tst_file_validation)
#include "tst_file_validation.moc"
