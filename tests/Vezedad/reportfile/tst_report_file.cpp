#include "support/MemoryLimit.h"
#include "support/TestSupport.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/reportfile/ReportFile.h"

#include <QTemporaryDir>
#include <QTest>

namespace ReportFile = Vezedad::ReportFile;

class tst_report_file : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("report.txt"));
        TestSupport::writeFile(path, bytes);
        return path;
    }

private slots:
    // CR LF, LF and a lone CR each end a line, wherever a block of the
    // reader ends; the last line needs no end; a line is handed out whole.
    void oneLineEndRule_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("lines");
        const qsizetype block = ReportFile::LineReader::kBlock;
        const QByteArray a(block - 1, 'a'), b(3 * block + 7, 'b');
        QTest::newRow("all three ends") << QByteArray("1\r\n2\n3\r4") << QList<QByteArray>{"1", "2", "3", "4"};
        QTest::newRow("empty lines kept as lines") << QByteArray("\r\n\n\r") << QList<QByteArray>{"", "", ""};
        QTest::newRow("CR LF split by a block") << a + "\r\n2" << QList<QByteArray>{a, "2"};
        QTest::newRow("CR at a block's end, then CR") << a + "\r\r2" << QList<QByteArray>{a, "", "2"};
        QTest::newRow("a line over several blocks") << "1\r\n" + b + "\r\n3" << QList<QByteArray>{"1", b, "3"};
        QTest::newRow("no bytes") << QByteArray() << QList<QByteArray>{};
        // Byte-order marks before line 1 are no data; anywhere else they are.
        const QByteArray mark("\xEF\xBB\xBF");
        QTest::newRow("mark before line 1") << mark + "0|R1\r\n2" << QList<QByteArray>{"0|R1", "2"};
        QTest::newRow("mark alone") << mark << QList<QByteArray>{};
        QTest::newRow("mark, then an empty line") << mark + "\r\n2" << QList<QByteArray>{"", "2"};
        QTest::newRow("every leading mark dropped") << mark + mark + mark + "1" << QList<QByteArray>{"1"};
        QTest::newRow("marks, then a part of one")
            << mark + mark + mark.left(2) + "1" << QList<QByteArray>{mark.left(2) + "1"};
        QTest::newRow("mark before line 2") << "1\n" + mark + "2" << QList<QByteArray>{"1", mark + "2"};
        QTest::newRow("part of a mark") << mark.left(2) + "1" << QList<QByteArray>{mark.left(2) + "1"};
        QTest::newRow("mark before a line over several blocks") << mark + b << QList<QByteArray>{b};
    }
    void oneLineEndRule() {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, lines);
        // The file reader and the splitter of bytes in memory agree.
        ReportFile::LineReader reader(file(bytes));
        ReportFile::LineReader::Line line;
        QList<QByteArray> read;
        QList<qint64> numbers;
        while (reader.next(line)) {
            read << line.bytes.toByteArray();
            numbers << line.number;
            QCOMPARE(bytes.mid(line.offset, line.bytes.size()), line.bytes.toByteArray());
        }
        QCOMPARE(read, lines);
        for (int i = 0; i < numbers.size(); ++i) QCOMPARE(numbers[i], qint64(i + 1));
        ReportFile::LineSplitter splitter(bytes);
        QByteArrayView piece;
        read.clear();
        while (splitter.next(piece)) read << piece.toByteArray();
        QCOMPARE(read, lines);
    }

    // A long line can be followed, and stopped, while it is gathered.
    void longLineIsHeardWhileGathered() {
        ReportFile::LineReader reader(file(QByteArray(5 * ReportFile::LineReader::kBlock, 'x') + "\r\nnext"));
        int blocks = 0;
        reader.whileGathering([&](qint64) { return ++blocks < 3; });
        ReportFile::LineReader::Line line;
        QVERIFY(!reader.next(line));
        QVERIFY(reader.stopped());
        QCOMPARE(blocks, 3);
    }

    // A long line takes room in proportion to itself, not to what follows
    // it: a line of 2 MB at the head of a file of 1 GB (a hole on the disk)
    // is read by a process that may take 64 MB more.
    void longLineTakesRoomOfItsOwnSize() {
        if (!MemoryLimit::available()) QSKIP("a sanitizer reserves more address space than the limit");
        const QByteArray first(2 << 20, 'x');
        const QString path = file(first + "\r\nnext\r\n");
        {
            QFile grown(path);
            QVERIFY(grown.open(QIODevice::ReadWrite) && grown.resize(qint64(1) << 30));
        }
        const int outcome = MemoryLimit::runLimited(64 << 20, [&] {
            ReportFile::LineReader reader(path);
            ReportFile::LineReader::Line line;
            if (!reader.next(line) || line.bytes != QByteArrayView(first)) return 1;
            return reader.next(line) && line.bytes == "next" ? 0 : 2;
        });
        QCOMPARE(outcome, 0);
    }

    // The digest depends on the bytes alone, not on the pieces they come in.
    void digestOfBytesNotPieces() {
        QByteArray bytes;
        for (int i = 0; i < 1000; ++i) bytes += char(i * 7);
        ReportFile::Digest whole, pieces, other;
        whole.add(bytes);
        for (qsizetype at = 0, n = 1; at < bytes.size(); at += n, n = n % 13 + 1) pieces.add(bytes.mid(at, n));
        QCOMPARE(pieces.value(), whole.value());
        bytes[500] = 'x';
        other.add(bytes);
        QVERIFY(other.value() != whole.value());
        ReportFile::Digest shorter;
        shorter.add(bytes.left(999));
        QVERIFY(shorter.value() != other.value());
    }

    // Field i of a line of bytes is the field of its text, wherever the
    // separators stand in the sixteen bytes taken at once.
    void fieldOfBytes() {
        QList<QByteArray> lines{"", "|", "a", "a|", "|b", "0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||"};
        QByteArray many;
        for (int k = 0; k < 40; ++k) many += QByteArray(k % 5, 'x') + '|';
        lines << many << many.mid(7) << QByteArray(37, '|');
        for (const QByteArray& line : lines) {
            const QString text = QString::fromLatin1(line);
            for (int i = 0; i <= line.count('|') + 1; ++i)
                QCOMPARE(ReportFile::field(QByteArrayView(line), '|', i).toByteArray(),
                         ReportFile::field(QStringView(text), u"|", i).toLatin1());
        }
    }

    // One check and one message for what a field cannot hold.
    void refusals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("fine") << QStringLiteral("CAF\u00c9 \u20ac5") << QString();
        QTest::newRow("bar") << QStringLiteral("A|B")
                             << QStringLiteral("It holds \"|\", which separates the fields of the file");
        QTest::newRow("line break") << QStringLiteral("A\nB")
                                    << QStringLiteral("It holds a line break, which would end its record");
        QTest::newRow("outside the code page")
            << QStringLiteral("\u2713")
            << QStringLiteral(
                   "It holds the character \"\u2713\" (U+2713), which the file cannot hold (only Western European "
                   "characters can be saved)");
        QTest::newRow("the first of two")
            << QStringLiteral("\u2713|")
            << QStringLiteral("It holds the character \"\u2713\" (U+2713), which the file cannot hold (only Western "
                              "European characters can be saved)");
    }
    void refusals() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        QCOMPARE(ReportFile::refusal(text, QStringLiteral("It")), message);
        QCOMPARE(ReportFile::refusedAt(text) >= 0, !message.isEmpty());
    }

    // Records go to the file whole or not at all; a refused value names its
    // place and leaves the old file.
    void recordWriter() {
        const QString path = file("old\r\n");
        {
            ReportFile::RecordWriter writer(path, QStringLiteral("here"));
            writer.field(u"0");
            writer.field(u"CAF\u00c9");
            writer.endRecord();
            writer.field(u"0");
            const Vezedad::ErrorInfo error = TestSupport::raisedBy([&] { writer.field(u"A|B"); });
            QCOMPARE(error.Number(), qint32(Vezedad::errInvalidPropertyValue));
            QCOMPARE(writer.refusedRecord(), qint64(2));
            QCOMPARE(writer.refusedField(), 2);
        }
        QCOMPARE(TestSupport::readFile(path), QByteArray("old\r\n"));
        ReportFile::RecordWriter writer(path, QStringLiteral("here"));
        writer.field(u"0");
        writer.emptyFields(2);
        writer.endRecord();
        const ReportFile::FileStamp stamp = writer.commit().value();
        QCOMPARE(TestSupport::readFile(path), QByteArray("0|||\r\n"));
        QCOMPARE(stamp, ReportFile::FileStamp::of(path));
        TestSupport::writeFile(path, "0|||\r\r");
        QVERIFY(!(stamp == ReportFile::FileStamp::of(path)));
    }
};

QTEST_GUILESS_MAIN(tst_report_file)
#include "tst_report_file.moc"
