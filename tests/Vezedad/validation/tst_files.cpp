#include "tst_suites.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/Validator.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Vezedad;

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

} // namespace

void TestFiles::initTestCase() {
    QVERIFY(folder().isValid());
    Globals::ZelReport().ChangeReportYear(2024);
}

void TestFiles::refusedBeforeReading() {
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
        try {
            v.ValidateFile(c.path, c.form);
            QFAIL("no error");
        } catch (const ErrorInfo& e) {
            QCOMPARE(quint32(e.Number()), c.number);
            QCOMPARE(e.Description(), c.description);
            QCOMPARE(e.Source(), QStringLiteral("Vezedad:Validator.ValidateFile"));
        }
    }
    QObject::disconnect(connection);
    QVERIFY(a.events.isEmpty());
}

void TestFiles::runs_data() {
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
    QTest::newRow("no line end, long") << "M1.txt" << 8 << QByteArray(300000, 'x') << 1 << QStringLiteral("-1:51:2:4")
                                       << QStringLiteral(
                                              "Could not identify field separator; file cannot be processed.");
}

void TestFiles::runs() {
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

void TestFiles::eventFigures() {
    // A short last line, a long line of 2 MB cut in memory but counted whole.
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
    QCOMPARE(a.events[2][1], qint32(longProduct.size() + 24 + 12 + 2));
    QCOMPARE(a.events[3], (QList<qint32>{4, 42, 0}));
    QCOMPARE(result->RecordCount(), 4);
    QCOMPARE(result->Keys(), (QVector<qint32>{2, 3}));
}

void TestFiles::errorLimit() {
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

void TestFiles::cancel() {
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

// A listener may pump events and call the validator again while a run is on.
void TestFiles::listenerMayCallBackIn() {
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
