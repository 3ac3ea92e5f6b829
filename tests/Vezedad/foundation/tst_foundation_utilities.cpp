#include "TestSupport.h"
#include "Vezedad/foundation/ClientVersion.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/StringCollection.h"
#include "Vezedad/foundation/Text.h"
#include "Vezedad/foundation/Utilities.h"
#include "tst_foundation.h"

#include <QDomDocument>
#include <QTest>

using namespace Vezedad;

void tst_foundation::shifts_data() {
    QTest::addColumn<bool>("left");
    QTest::addColumn<qint32>("value");
    QTest::addColumn<int>("shift");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("L by 0") << true << qint32(12345) << 0 << 12345u;
    QTest::newRow("L by 32") << true << qint32(7) << 32 << 0u;
    QTest::newRow("L 1<<31") << true << qint32(1) << 31 << 0x80000000u;
    QTest::newRow("L 2<<31") << true << qint32(2) << 31 << 0u;
    QTest::newRow("L 3<<30") << true << qint32(3) << 30 << 0xC0000000u;
    QTest::newRow("L bits lost") << true << qint32(0x40000000) << 2 << 0u;
    QTest::newRow("L type 2 by 13") << true << qint32(2) << 13 << 0x4000u;
    QTest::newRow("R by 0") << false << qint32(-5) << 0 << quint32(-5);
    QTest::newRow("R by 255") << false << qint32(-1) << 255 << 0u;
    QTest::newRow("R -1 by 1") << false << qint32(-1) << 1 << 0x7FFFFFFFu;
    QTest::newRow("R sign by 31") << false << qint32(0x80000000u) << 31 << 1u;
    QTest::newRow("R min by 1") << false << qint32(-2147483647 - 1) << 1 << 0x40000000u;
}
void tst_foundation::shifts() {
    QFETCH(bool, left);
    QFETCH(qint32, value);
    QFETCH(int, shift);
    QFETCH(quint32, expected);
    const qint32 r = left ? Utilities::LShift(value, quint8(shift)) : Utilities::RShift(value, quint8(shift));
    QCOMPARE(quint32(r), expected);
}

void tst_foundation::winApiError() {
    QCOMPARE(Utilities::WinAPIError(2), QStringLiteral("The system cannot find the file specified.\r\n"));
    QCOMPARE(Utilities::WinAPIError(987654), QStringLiteral("Unknown API error"));
}

void tst_foundation::names_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("firstLast");
    QTest::addColumn<QString>("lastFirst");
    QTest::addColumn<QStringList>("array");
    QTest::newRow("comma") << QStringLiteral("Doe, Jane") << QStringLiteral("Jane Doe") << QStringLiteral("Doe, Jane")
                           << QStringList{QStringLiteral("Doe"), QStringLiteral("Jane")};
    QTest::newRow("suffix") << QStringLiteral("Doe, Jane, Jr.") << QStringLiteral("Jr. Jane Doe")
                            << QStringLiteral("Doe, Jane, Jr.")
                            << QStringList{QStringLiteral("Doe"), QStringLiteral("Jane, Jr.")};
    QTest::newRow("empty piece") << QStringLiteral("Doe,,Jane") << QStringLiteral("Jane Doe")
                                 << QStringLiteral("Doe,,Jane")
                                 << QStringList{QStringLiteral("Doe"), QStringLiteral(",Jane")};
    QTest::newRow("padded") << QStringLiteral("  Doe ,  Jane  ") << QStringLiteral("Jane Doe")
                            << QStringLiteral("Doe ,  Jane")
                            << QStringList{QStringLiteral("Doe"), QStringLiteral("Jane")};
    QTest::newRow("comma only") << QStringLiteral(",") << QString() << QStringLiteral(",")
                                << QStringList{QString(), QString()};
    QTest::newRow("first last") << QStringLiteral("Jane Q Doe") << QStringLiteral("Jane Q Doe")
                                << QStringLiteral("Doe,Jane Q")
                                << QStringList{QStringLiteral("Doe"), QStringLiteral("Jane Q")};
    QTest::newRow("two spaces") << QStringLiteral("Jane  Doe") << QStringLiteral("Jane  Doe")
                                << QStringLiteral("Doe,Jane ")
                                << QStringList{QStringLiteral("Doe"), QStringLiteral("Jane")};
    QTest::newRow("one word") << QStringLiteral("Cher") << QStringLiteral("Cher") << QStringLiteral("Cher")
                              << QStringList{QStringLiteral("Cher"), QString()};
    QTest::newRow("empty") << QString() << QString() << QString() << QStringList{QString(), QString()};
}
void tst_foundation::names() {
    QFETCH(QString, input);
    QFETCH(QString, firstLast);
    QFETCH(QString, lastFirst);
    QFETCH(QStringList, array);
    QCOMPARE(Utilities::NameFirstLast(input), firstLast);
    QCOMPARE(Utilities::NameLastFirst(input), lastFirst);
    QCOMPARE(Utilities::NameArray(input), array);
}

void tst_foundation::parseString_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<int>("count");
    const QString e;
    QTest::newRow("no final") << QStringLiteral("a|b|c") << e << QStringList{"a", "b", "c", e} << 3;
    QTest::newRow("final") << QStringLiteral("a|b|c|") << e << QStringList{"a", "b", "c", e} << 3;
    QTest::newRow("empty line") << e << e << QStringList{e, e} << 1;
    QTest::newRow("trailing empties") << QStringLiteral("a||") << e << QStringList{"a", e, e} << 2;
    QTest::newRow("comma") << QStringLiteral("a,b") << QStringLiteral(",") << QStringList{"a", "b", e} << 2;
    QTest::newRow("long delimiter") << QStringLiteral("a::b") << QStringLiteral("::") << QStringList{"a", "b", e} << 2;
}
void tst_foundation::parseString() {
    QFETCH(QString, line);
    QFETCH(QString, delimiter);
    QFETCH(QStringList, fields);
    QFETCH(int, count);
    QStringList out;
    QCOMPARE(Utilities::ParseString(out, line, delimiter), qsizetype(count));
    QCOMPARE(out, fields);
    QVERIFY(!delimiter.isEmpty()); // an empty delimiter comes back as "|"
}

void tst_foundation::parseStringCountsPastSixteenBits() {
    QStringList fields;
    QCOMPARE(Utilities::ParseString(fields, QString(40000, u'|')), qsizetype(40000));
    QCOMPARE(fields.size(), 40001);
}

void tst_foundation::numbersInText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("converted"); // textToNumber: a double, or nothing
    QTest::addColumn<bool>("numeric");       // numericText gives the same number
    const QVariant none;
    QTest::newRow("blanks around") << QStringLiteral(" 12.5 ") << QVariant(12.5) << true;
    QTest::newRow("sign and exponent") << QStringLiteral("-1.5e2") << QVariant(-150.0) << true;
    QTest::newRow("beyond any double") << QStringLiteral("1e999") << QVariant(qInf()) << false;
    QTest::newRow("infinity is no number") << QStringLiteral("inf") << none << false;
    QTest::newRow("word") << QStringLiteral("twelve") << none << false;
    QTest::newRow("empty") << QString() << none << false;
}

void tst_foundation::numbersInText() {
    QFETCH(QString, text);
    QFETCH(QVariant, converted);
    QFETCH(bool, numeric);
    const std::optional<double> number = textToNumber(text);
    QCOMPARE(number.has_value(), converted.isValid());
    if (number) QCOMPARE(*number, converted.toDouble());
    QCOMPARE(numericText(text).has_value(), numeric);
}

// The whole-number and Boolean conversions: halves to the even neighbour,
// Type mismatch (13) for what is no number, Overflow (6) beyond the range.
void tst_foundation::wholeNumbers_data() {
    QTest::addColumn<QString>("to");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected"); // the result, or the error number as text
    QTest::newRow("long: half down to even") << "long" << QVariant(2.5) << QVariant(2);
    QTest::newRow("long: half up to even") << "long" << QVariant(3.5) << QVariant(4);
    QTest::newRow("long: text") << "long" << QVariant(QStringLiteral(" 7 ")) << QVariant(7);
    QTest::newRow("long: largest") << "long" << QVariant(QStringLiteral("2147483647")) << QVariant(2147483647);
    QTest::newRow("long: beyond") << "long" << QVariant(QStringLiteral("2147483648")) << QVariant("6");
    QTest::newRow("long: beyond any double") << "long" << QVariant(QStringLiteral("1e999")) << QVariant("6");
    QTest::newRow("long: word") << "long" << QVariant(QStringLiteral("blue")) << QVariant("13");
    QTest::newRow("long: empty") << "long" << QVariant() << QVariant("13");
    QTest::newRow("boolean: word") << "boolean" << QVariant(QStringLiteral(" false ")) << QVariant(false);
    QTest::newRow("boolean: number") << "boolean" << QVariant(QStringLiteral("-1")) << QVariant(true);
    QTest::newRow("boolean: zero") << "boolean" << QVariant(0) << QVariant(false);
    QTest::newRow("boolean: other word") << "boolean" << QVariant(QStringLiteral("maybe")) << QVariant("13");
    QTest::newRow("boolean: beyond") << "boolean" << QVariant(QStringLiteral("1e999")) << QVariant("6");
    QTest::newRow("integer: floor") << "integer" << QVariant(QStringLiteral(" -1.5 ")) << QVariant(-2);
    QTest::newRow("integer: floor up") << "integer" << QVariant(QStringLiteral("7.9")) << QVariant(7);
    QTest::newRow("integer: word") << "integer" << QVariant(QStringLiteral("seven")) << QVariant(0);
    QTest::newRow("integer: beyond") << "integer" << QVariant(QStringLiteral("32768")) << QVariant("6");
}

void tst_foundation::wholeNumbers() {
    QFETCH(QString, to);
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    QVariant result;
    const ErrorInfo e = TestSupport::raisedBy([&] {
        if (to == QLatin1String("long"))
            result = toLong(value, QStringLiteral("Here"));
        else if (to == QLatin1String("boolean"))
            result = toBoolean(value, QStringLiteral("Here"));
        else
            result = int(Utilities::ToInteger(value.toString()));
    });
    if (expected.typeId() == QMetaType::QString) {
        QCOMPARE(QString::number(e.Number()), expected.toString());
        return;
    }
    QCOMPARE(e.Number(), 0);
    QCOMPARE(result, expected);
}

void tst_foundation::blanksAreTrimmed_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("blanks") << QStringLiteral("  a b  ") << QStringLiteral("a b");
    QTest::newRow("only blanks") << QStringLiteral("   ") << QString();
    QTest::newRow("tabs stay") << QStringLiteral("\ta \t") << QStringLiteral("\ta \t");
}

void tst_foundation::blanksAreTrimmed() {
    QFETCH(QString, text);
    QFETCH(QString, trimmed);
    QCOMPARE(trimBlanks(QStringView(text)).toString(), trimmed);
    const QByteArray bytes = text.toLatin1();
    QCOMPARE(trimBlanks(QByteArrayView(bytes)).toByteArray(), trimmed.toLatin1());
}

// A byte of 0x80 or more is seen wherever it stands in the eight-byte words
// the test reads.
void tst_foundation::asciiIsTold() {
    QVERIFY(isAscii(QByteArrayView()));
    QByteArray bytes(21, 'a');
    QVERIFY(isAscii(bytes));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        for (const char high : {'\x80', '\xE9', '\xFF'}) {
            QByteArray one = bytes;
            one[i] = high;
            QVERIFY2(!isAscii(one), qPrintable(QString::number(i)));
            QVERIFY(isAscii(QByteArrayView(one).first(i)));
        }
    }
}

void tst_foundation::versionsFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("version");
    QTest::newRow("three pieces") << QStringLiteral("1.2.3") << QStringLiteral("1.2.0.3");
    QTest::newRow("four pieces") << QStringLiteral("1.2.3.4.5") << QStringLiteral("1.2.3.4");
    QTest::newRow("not a number") << QStringLiteral("x.5") << QStringLiteral("0.5.0.0");
    QTest::newRow("empty") << QString() << QStringLiteral("0.0.0.0");
    QTest::newRow("blanks and empty piece") << QStringLiteral(" 2 . 5 .") << QStringLiteral("2.5.0.0");
}
void tst_foundation::versionsFromText() {
    QFETCH(QString, text);
    QFETCH(QString, version);
    QCOMPARE(Utilities::MakeVersionFromString(text)->Version(), version);
}

void tst_foundation::versionOverflow() {
    const ErrorInfo e = TestSupport::raisedBy([&] { Utilities::MakeVersionFromString(QStringLiteral("1.99999")); });
    QCOMPARE(e.Number(), int(rtOverflow));
}

void tst_foundation::compare_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");
    QTest::newRow("minor 10 > 9") << QStringLiteral("1.10.0.0") << QStringLiteral("1.9.0.0") << 3;
    QTest::newRow("minor 9 < 10") << QStringLiteral("1.9.0.0") << QStringLiteral("1.10.0.0") << -3;
    QTest::newRow("major") << QStringLiteral("2.0.0.0") << QStringLiteral("1.99.0.0") << 4;
    QTest::newRow("build") << QStringLiteral("1.0.1.0") << QStringLiteral("1.0.0.9") << 2;
    QTest::newRow("revision") << QStringLiteral("1.0.0.5") << QStringLiteral("1.0.0.4") << 1;
    QTest::newRow("negative sorts below 0") << QStringLiteral("1.0.0.-1") << QStringLiteral("1.0.0.0") << -1;
    QTest::newRow("equal") << QStringLiteral("1.2.3.4") << QStringLiteral("1.2.3.4") << 0;
}
void tst_foundation::compare() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    QCOMPARE(Utilities::MakeVersionFromString(a)->CompareTo(*Utilities::MakeVersionFromString(b)), expected);
}

void tst_foundation::versionFromXml_data() {
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("versionText");
    QTest::addColumn<QString>("numbers");
    QTest::newRow("ordinary") << QStringLiteral("<V><Version>2.5</Version><Major>2</Major><Minor>5</Minor>"
                                                "<Build>0</Build><Revision>0</Revision></V>")
                              << QStringLiteral("2.5") << QStringLiteral("2.5.0.0");
    QTest::newRow("minor not numeric") << QStringLiteral("<V><Major>1</Major><Minor>abc</Minor><Build>3</Build>"
                                                         "<Revision>4</Revision></V>")
                                       << QString() << QStringLiteral("1.0.3.4");
    QTest::newRow("major overflows") << QStringLiteral("<V><Version>9</Version><Major>99999</Major><Minor>1</Minor>"
                                                       "</V>")
                                     << QStringLiteral("9") << QStringLiteral("0.0.0.0");
    QTest::newRow("first in document order")
        << QStringLiteral("<V><a><Major>7</Major></a><Major>8</Major></V>") << QString() << QStringLiteral("7.0.0.0");
    QTest::newRow("half to even") << QStringLiteral("<V><Major>2.5</Major><Minor>3.5</Minor></V>") << QString()
                                  << QStringLiteral("2.4.0.0");
}
void tst_foundation::versionFromXml() {
    QFETCH(QString, xml);
    QFETCH(QString, versionText);
    QFETCH(QString, numbers);
    QDomDocument doc;
    QVERIFY(doc.setContent(xml));
    const ClientVersionPtr v = Utilities::MakeVersionFromXml(doc);
    QCOMPARE(v->Version(), versionText);
    QCOMPARE(v->ToString(), numbers);
}

void tst_foundation::stringCollection() {
    StringCollection c;
    QCOMPARE(c.Add(QStringLiteral("ABC")), 1);
    QCOMPARE(c.Add(QStringLiteral("def")), 2);
    QCOMPARE(c.Add(QStringLiteral("abc")), 1);
    QCOMPARE(c.Count(), 2);
    QCOMPARE(c.Item(QStringLiteral("abc")), QStringLiteral("ABC"));
    QCOMPARE(c.Add(QString()), 0);
    QCOMPARE(c.Count(), 2);
    QCOMPARE(c.Index(QStringLiteral("DEF")), 2);
    QCOMPARE(c.Index(QStringLiteral("xyz")), 0);
    // Positions are numbers: a fraction goes to the even neighbour at a
    // half; anything that is neither a number nor a text addresses nothing.
    QCOMPARE(c.Item(1.5), QStringLiteral("def"));
    QCOMPARE(c.Item(2.5), QStringLiteral("def"));
    QCOMPARE(c.Item(0.6), QStringLiteral("ABC"));
    for (const QVariant& bad : {QVariant(0), QVariant(3), QVariant(QStringLiteral("xyz")), QVariant(), QVariant(true),
                                QVariant(0.4), QVariant(QDate(2024, 1, 1))}) {
        QVERIFY(!c.Exists(bad));
        QCOMPARE(c.Item(bad), QString());
        c.Remove(bad);
        QCOMPARE(c.Count(), 2);
    }
    c.Remove(1);
    QCOMPARE(c.Item(1), QStringLiteral("def"));
    QCOMPARE(c.Items(), QStringList{QStringLiteral("def")});
    c.Clear();
    QCOMPARE(c.Count(), 0);
}

void tst_foundation::shellSort_data() {
    QTest::addColumn<QVariantList>("input");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QVariantList>("expected");
    QTest::newRow("numbers") << QVariantList{10, 9, 100} << false << QVariantList{9, 10, 100};
    QTest::newRow("texts ignore case") << QVariantList{"b", "A", "c"} << false << QVariantList{"A", "b", "c"};
    QTest::newRow("descending") << QVariantList{"b", "A", "c"} << true << QVariantList{"c", "b", "A"};
    QTest::newRow("dates") << QVariantList{"12/1/2023", "2/1/2024", "1/15/2023"} << false
                           << QVariantList{"1/15/2023", "12/1/2023", "2/1/2024"};
    QTest::newRow("number and numeric text")
        << QVariantList{QStringLiteral("20"), 3} << false << QVariantList{3, QStringLiteral("20")};
    QTest::newRow("empty element counts as 0")
        << QVariantList{5, QVariant(), -1} << false << QVariantList{-1, QVariant(), 5};
    QTest::newRow("one") << QVariantList{1} << false << QVariantList{1};
    QTest::newRow("none") << QVariantList{} << false << QVariantList{};
    QTest::newRow("many") << QVariantList{5, -1, 3, 3, 0, 42, 17, 8, 2, 11, 6, 9, 4, 13, 1} << false
                          << QVariantList{-1, 0, 1, 2, 3, 3, 4, 5, 6, 8, 9, 11, 13, 17, 42};
}
void tst_foundation::shellSort() {
    QFETCH(QVariantList, input);
    QFETCH(bool, descending);
    QFETCH(QVariantList, expected);
    Globals::Sort().ShellSort(input, descending);
    QCOMPARE(input, expected);
}

void tst_foundation::shellSortOfNonArrayRaises() {
    QVariant notArray(5);
    const ErrorInfo e = TestSupport::raisedBy([&] { Globals::Sort().ShellSort(notArray); });
    QCOMPARE(e.Number(), int(rtTypeMismatch));
    QVERIFY(e.Source().startsWith(QStringLiteral("Vezedad::Sorter.ShellSort\r\n-->")));
}
