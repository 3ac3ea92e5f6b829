#include "support/MemoryLimit.h"
#include "support/TestSupport.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/reportfile/ReportFile.h"

#include <QTemporaryDir>
#include <QTest>

namespace ReportFile = Vezedad::ReportFile;
using namespace Qt::StringLiterals;

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

    // A file whose bytes above 0x7F are all UTF-8 (and one is) reads as
    // UTF-8, whatever block the first of them or a later one falls in; any
    // byte that breaks a sequence, anywhere, makes it Windows-1252; ASCII
    // reads the same either way, marks or not. The lines, the encoding and
    // the digest of the bytes read agree with the file held in memory.
    void encodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QStringList>("lines");
        using E = ReportFile::Encoding;
        const qsizetype block = ReportFile::LineReader::kBlock;
        const QByteArray mark("\xEF\xBB\xBF"), far(block + 5, 'a');
        const QString farText(block + 5, u'a');
        QTest::newRow("ASCII") << QByteArray("0|CAFE\r\n1") << int(E::Ascii) << QStringList{"0|CAFE", "1"};
        QTest::newRow("ASCII after a mark") << mark + "0|CAFE" << int(E::Ascii) << QStringList{"0|CAFE"};
        QTest::newRow("UTF-8") << QByteArray("0|CAF\xC3\x89 \xC3\x9ANO \xC3\x9C"
                                             "BER|\xE2\x82\xAC\r\n1")
                               << int(E::Utf8) << QStringList{u"0|CAF\u00C9 \u00DANO \u00DCBER|\u20AC"_s, "1"};
        QTest::newRow("UTF-8 after a mark") << mark + "\xC5\x81\xC3\x93"
                                                      "D\xC5\xB9 \xE2\x86\x92"
                                            << int(E::Utf8) << QStringList{u"\u0141\u00D3D\u0179 \u2192"_s};
        QTest::newRow("beyond the first plane")
            << QByteArray("\xF0\x9F\x98\x80x") << int(E::Utf8) << QStringList{u"\U0001F600x"_s};
        QTest::newRow("UTF-8 from a later block")
            << far + "\r\n\xC3\xA9\r\n\xC3\xA8" << int(E::Utf8) << QStringList{farText, u"\u00E9"_s, u"\u00E8"_s};
        QTest::newRow("Windows-1252") << QByteArray("CAF\xC9|\x80") << int(E::Windows1252)
                                      << QStringList{u"CAF\u00C9|\u20AC"_s};
        QTest::newRow("a broken sequence a block later") << "\xC3\xA9\r\n" + far + "\xE9" << int(E::Windows1252)
                                                         << QStringList{u"\u00C3\u00A9"_s, farText + u"\u00E9"_s};
        QTest::newRow("a sequence cut by a line end")
            << QByteArray("\xC3\r\n\xA9") << int(E::Windows1252) << QStringList{u"\u00C3"_s, u"\u00A9"_s};
        QTest::newRow("cut at the end") << QByteArray("\xC3\xA9\xE2\x82") << int(E::Windows1252)
                                        << QStringList{u"\u00C3\u00A9\u00E2\u201A"_s};
        QTest::newRow("a longer form than needed")
            << QByteArray("\xC0\xAF") << int(E::Windows1252) << QStringList{u"\u00C0\u00AF"_s};
        QTest::newRow("a surrogate") << QByteArray("\xED\xA0\x80") << int(E::Windows1252)
                                     << QStringList{u"\u00ED\u00A0\u20AC"_s};
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << int(E::Windows1252)
                                         << QStringList{u"\u00F4\u0090\u20AC\u20AC"_s};
    }
    void encodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(QStringList, lines);
        const QString path = file(bytes);
        ReportFile::LineReader reader(path, ReportFile::LineReader::Reading::Text);
        ReportFile::Digest digest;
        reader.addTo(&digest);
        ReportFile::LineReader::Line line;
        QStringList read;
        QString text;
        while (reader.next(line)) {
            reader.decode(line, text);
            read << text;
        }
        QCOMPARE(read, lines);
        QCOMPARE(int(reader.encoding()), encoding);
        QCOMPARE(int(ReportFile::encodingOf(bytes)), encoding);
        QCOMPARE(digest.value(), ReportFile::FileStamp::of(path).digest);
        QCOMPARE(Vezedad::Globals::FSO().ReadAllText(path), lines.join(u"\r\n"_s));
    }

    // A file in UTF-16 is refused at once, naming its encoding and what to
    // do; the bytes alone are read as they stand.
    void utf16IsRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("order");
        QTest::newRow("little-endian") << QByteArray("\xFF\xFE"
                                                     "0\0|\0",
                                                     6)
                                       << u"little-endian"_s;
        QTest::newRow("big-endian") << QByteArray("\xFE\xFF\0"
                                                  "0\0|",
                                                  6)
                                    << u"big-endian"_s;
    }
    void utf16IsRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, order);
        const QString path = file(bytes);
        const Vezedad::ErrorInfo error =
            TestSupport::raisedBy([&] { ReportFile::LineReader(path, ReportFile::LineReader::Reading::Text); });
        QCOMPARE(error.Number(), qint32(Vezedad::rtInvalidFileFormat));
        QCOMPARE(error.Description(),
                 u"The file "_s + path + u" is Unicode text (UTF-16, "_s + order +
                     u"), which cannot be read: report, identity and list files are Windows-1252 text. Open it in a "
                     u"text editor, save it with Save As choosing the encoding \"ANSI\" (Windows-1252), and open it "
                     u"again."_s);
        QCOMPARE(TestSupport::raisedBy([&] { Vezedad::Globals::FSO().ReadAllText(path); }).Description(),
                 error.Description());
        ReportFile::LineReader bytesAlone(path);
        ReportFile::LineReader::Line line;
        QVERIFY(bytesAlone.next(line));
        QCOMPARE(line.bytes.toByteArray(), bytes);
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
