#include "TestSupport.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using TestSupport::readFile;
using TestSupport::writeFile;

using namespace Vezedad;

namespace {
QString tempPath(const QString& name) {
    const QString dir = TestSupport::root() + QStringLiteral("/files");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}
} // namespace

class TestTextFiles : public QObject {
    Q_OBJECT
private slots:
    void everyByteRoundTrips() {
        QByteArray all;
        for (int b = 0; b < 256; ++b) all.append(char(b));
        const QString text = Cp1252::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(text.at(0x80), QChar(0x20AC));
        QCOMPARE(text.at(0x9F), QChar(0x0178));
        QCOMPARE(text.at(0xE9), QChar(0x00E9));
        QByteArray back;
        QVERIFY(Cp1252::encode(text, back));
        QCOMPARE(back, all);
    }

    void unwritableTextIsRefusedClearly() {
        QByteArray out;
        qsizetype bad = -1;
        QVERIFY(!Cp1252::encode(QStringLiteral("ok \u0416"), out, &bad));
        QCOMPARE(bad, qsizetype(3));
        try {
            Cp1252::encodeOrRaise(QStringLiteral("Smith \u2603"), QStringLiteral("Here"));
            QFAIL("no error");
        } catch (const ErrorInfo& e) {
            QVERIFY(e.Description().contains(QStringLiteral("U+2603")));
            QCOMPARE(e.Source(), QStringLiteral("Here"));
        }
    }

    void anyLineEndIsAccepted() {
        const QString path = tempPath(QStringLiteral("ends.txt"));
        writeFile(path, QByteArray("crlf\r\nlf\ncr\rlast"));
        auto stream = Globals::FSO().OpenTextFile(path);
        QStringList lines;
        while (!stream->AtEndOfStream()) lines << stream->ReadLine();
        QCOMPARE(lines, (QStringList{"crlf", "lf", "cr", "last"}));
    }

    void writingEndsLinesWithCrLfAndKeepsBytes() {
        const QString path = tempPath(QStringLiteral("out.txt"));
        auto stream = Globals::FSO().CreateTextFile(path);
        stream->WriteLine(QStringLiteral("Caf\u00e9|\u20ac5"));
        stream->WriteLine(QStringLiteral("x"));
        stream->Close();
        QCOMPARE(readFile(path), QByteArray("Caf\xe9|\x80"
                                            "5\r\nx\r\n"));
    }

    void failedWriterLeavesOldFile() {
        const QString path = tempPath(QStringLiteral("keep.txt"));
        writeFile(path, "old contents\r\n");
        {
            auto stream = Globals::FSO().CreateTextFile(path);
            stream->WriteLine(QStringLiteral("new"));
            QVERIFY_THROWS_EXCEPTION(ErrorInfo, stream->WriteLine(QStringLiteral("\u2603")));
            // dropped without Close: the writer gave up
        }
        QCOMPARE(readFile(path), QByteArray("old contents\r\n"));
    }

    void appendingKeepsWhatWasThere() {
        const QString path = tempPath(QStringLiteral("append.txt"));
        writeFile(path, "one\r\n");
        auto stream = Globals::FSO().OpenTextFile(path, ForAppending);
        stream->WriteLine(QStringLiteral("two"));
        stream->Close();
        QCOMPARE(readFile(path), QByteArray("one\r\ntwo\r\n"));
    }

    void missingFileRaises() {
        try {
            Globals::FSO().OpenTextFile(tempPath(QStringLiteral("nope.txt")));
            QFAIL("no error");
        } catch (const ErrorInfo& e) {
            QCOMPARE(e.Number(), int(errFileNotFound));
        }
    }

    void pathPieces_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("extension");
        QTest::newRow("file") << QStringLiteral("/a/b/P1234500.txt") << QStringLiteral("/a/b")
                              << QStringLiteral("P1234500") << QStringLiteral("txt");
        QTest::newRow("two dots") << QStringLiteral("/a/x.tar.gz") << QStringLiteral("/a") << QStringLiteral("x.tar")
                                  << QStringLiteral("gz");
        QTest::newRow("bare name") << QStringLiteral("abc") << QString() << QStringLiteral("abc") << QString();
        QTest::newRow("top folder") << QStringLiteral("/abc") << QStringLiteral("/") << QStringLiteral("abc")
                                    << QString();
        QTest::newRow("root") << QStringLiteral("/") << QString() << QString() << QString();
        QTest::newRow("trailing slash") << QStringLiteral("/a/b/") << QStringLiteral("/a") << QStringLiteral("b")
                                        << QString();
    }
    void pathPieces() {
        QFETCH(QString, path);
        QFETCH(QString, parent);
        QFETCH(QString, base);
        QFETCH(QString, extension);
        const FileSystemObject& fso = Globals::FSO();
        QCOMPARE(fso.GetParentFolderName(path), parent);
        QCOMPARE(fso.GetBaseName(path), base);
        QCOMPARE(fso.GetExtensionName(path), extension);
    }

    void buildPath() {
        const FileSystemObject& fso = Globals::FSO();
        QCOMPARE(fso.BuildPath(QStringLiteral("/a"), QStringLiteral("b")), QStringLiteral("/a/b"));
        QCOMPARE(fso.BuildPath(QStringLiteral("/a/"), QStringLiteral("/b")), QStringLiteral("/a/b"));
        QCOMPARE(fso.BuildPath(QString(), QStringLiteral("b")), QStringLiteral("b"));
    }

    void filesAreListedIgnoringCase() {
        const QString dir = tempPath(QStringLiteral("list"));
        QDir().mkpath(dir + QStringLiteral("/sub"));
        for (const char* name : {"b.txt", "A.txt", "C.txt", "a2.txt"}) writeFile(dir + "/" + name, "x");
        QStringList names;
        for (const QFileInfo& info : Globals::FSO().Files(dir)) names << info.fileName();
        QCOMPARE(names, (QStringList{"A.txt", "a2.txt", "b.txt", "C.txt"}));
    }
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_text_files.moc"
