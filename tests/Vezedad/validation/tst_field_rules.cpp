#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/FieldRules.h"
#include "Vezedad/validation/Validator.h"

#include <QtTest>

using namespace Vezedad;

class tst_field_rules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void rules_data();
    void rules();
    void rewriteOfColumnAgreesWithField_data() { rules_data(); }
    void rewriteOfColumnAgreesWithField();
    void messageFollowsWrittenBackValue();
    void hostileValuesTakeLinearTime_data();
    void hostileValuesTakeLinearTime();
};

void tst_field_rules::initTestCase() { Globals::ZelReport().ChangeReportYear(2024); }

void tst_field_rules::rules_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("severity");
    QTest::addColumn<QString>("value");

    auto row = [](const char* name, int field, const QString& input, int code, int severity, const QString& value) {
        QTest::newRow(name) << field << input << code << severity << value;
    };
    // Preparation: outer blanks go, CR LF pairs go, lone CR or LF stay.
    row("address crlf removed", 1, QStringLiteral("Main\r\nStreet"), 0, 0, QStringLiteral("MainStreet"));
    row("address lone lf kept", 1, QStringLiteral(" Main\nSt "), 0, 0, QStringLiteral("Main\nSt"));
    row("address empty", 1, QStringLiteral("   "), 2, 2, QString());
    row("address numeric", 1, QStringLiteral("123"), 4, 2, QStringLiteral("123"));
    row("address numeric exponent", 1, QStringLiteral("-1.5e3"), 4, 2, QStringLiteral("-1.5e3"));
    row("address with number", 1, QStringLiteral("123 Main St"), 0, 0, QStringLiteral("123 Main St"));
    // Indicator
    row("indicator 3", 2, QStringLiteral("3"), 0, 0, QStringLiteral("3"));
    row("indicator 1", 2, QStringLiteral("1"), 4, 3, QStringLiteral("1"));
    row("indicator empty", 2, QString(), 4, 3, QString());
    // Business registration number
    row("business empty", 3, QString(), 0, 0, QString());
    row("business padded", 3, QStringLiteral("42"), 0, 0, QStringLiteral("00042"));
    row("business six digits", 3, QStringLiteral("123456"), 4, 2, QStringLiteral("123456"));
    row("business letters", 3, QStringLiteral("12a"), 4, 2, QStringLiteral("12a"));
    row("business arabic digits", 3, QStringLiteral("\u0661\u0662"), 4, 2, QStringLiteral("\u0661\u0662"));
    // Certification id
    row("cert trimmed", 4, QStringLiteral("  C1234567 "), 0, 0, QStringLiteral("C1234567"));
    row("cert blanks dashes case", 4, QStringLiteral("c-123 4567"), 0, 0, QStringLiteral("C1234567"));
    row("cert zeros", 4, QStringLiteral("C0000000"), 4, 2, QStringLiteral("C0000000"));
    row("cert private", 4, QStringLiteral("P1234567"), 4, 1, QStringLiteral("P1234567"));
    row("cert private zeros", 4, QStringLiteral("p0000000"), 4, 1, QStringLiteral("P0000000"));
    row("cert other letter", 4, QStringLiteral("X1234567"), 4, 2, QStringLiteral("X1234567"));
    row("cert y diaeresis", 4, QStringLiteral("\u00FF1234567"), 4, 2, QStringLiteral("\u01781234567"));
    row("cert s caron", 4, QStringLiteral("\u0161-1234567"), 4, 2, QStringLiteral("\u01601234567"));
    row("cert trailing newline", 4, QStringLiteral("C1234567\n"), 4, 2, QStringLiteral("C1234567\n"));
    row("cert lower letter", 4, QStringLiteral("t7654321"), 0, 0, QStringLiteral("T7654321"));
    row("cert a", 4, QStringLiteral("A0000001"), 0, 0, QStringLiteral("A0000001"));
    row("cert lower zeros", 4, QStringLiteral("b0000000"), 4, 2, QStringLiteral("B0000000"));
    row("cert eight digits", 4, QStringLiteral("C12345678"), 4, 2, QStringLiteral("C12345678"));
    row("cert letter among digits", 4, QStringLiteral("C123456x"), 4, 2, QStringLiteral("C123456X"));
    // Permit
    row("permit lower", 5, QStringLiteral("r12345"), 0, 0, QStringLiteral("R12345"));
    row("permit zeros", 5, QStringLiteral("R00000"), 4, 2, QStringLiteral("R00000"));
    row("permit empty", 5, QString(), 4, 2, QString());
    // Upper case stays in the report code page and keeps the length.
    row("permit sharp s", 5, QStringLiteral("r\u00DF1234"), 4, 2, QStringLiteral("R\u00DF1234"));
    row("permit accented", 5, QStringLiteral("\u00E912345"), 4, 2, QStringLiteral("\u00C912345"));
    row("permit outside code page", 5, QStringLiteral("\u0142r1234"), 4, 2, QStringLiteral("\u0142R1234"));
    // Quantities
    row("size commas", 6, QStringLiteral("1,000"), 0, 0, QStringLiteral("1000"));
    row("size zero", 6, QStringLiteral("0"), 6, 2, QStringLiteral("0"));
    row("size negative", 6, QStringLiteral("-5"), 12, 2, QStringLiteral("-5"));
    row("size empty", 6, QString(), 2, 2, QString());
    row("size text", 6, QStringLiteral("five"), 7, 2, QStringLiteral("five"));
    row("size overflow", 6, QStringLiteral("1e39"), 5, 2, QStringLiteral("1e39"));
    row("size underflow", 6, QStringLiteral("1e-50"), 6, 2, QStringLiteral("1e-50"));
    row("size below double range", 6, QStringLiteral("1e-400"), 6, 2, QStringLiteral("1e-400"));
    row("sold below double range", 8, QStringLiteral("-1e-400"), 6, 2, QStringLiteral("-1e-400"));
    row("size point forms", 6, QStringLiteral(".5"), 0, 0, QStringLiteral(".5"));
    row("size trailing point", 6, QStringLiteral("5."), 0, 0, QStringLiteral("5."));
    row("size point and exponent", 6, QStringLiteral("1.e2"), 0, 0, QStringLiteral("1.e2"));
    row("size tiny but single", 6, QStringLiteral("0.0000000000000001"), 0, 0, QStringLiteral("0.0000000000000001"));
    row("size below single range", 22, QStringLiteral("0.") + QString(50, u'0') + QStringLiteral("1"), 6, 2,
        QStringLiteral("0.") + QString(50, u'0') + QStringLiteral("1"));
    row("size blanks and sign", 22, QStringLiteral("\t+2 "), 0, 0, QStringLiteral("\t+2"));
    row("sold negative", 8, QStringLiteral("-5"), 0, 0, QStringLiteral("-5"));
    row("sold zero", 8, QStringLiteral("0.0"), 6, 2, QStringLiteral("0.0"));
    row("quantity negative", 22, QStringLiteral("-5"), 12, 2, QStringLiteral("-5"));
    row("quantity sold negative", 23, QStringLiteral("-5"), 0, 0, QStringLiteral("-5"));
    row("quantity sold zero", 23, QStringLiteral("0.0"), 6, 2, QStringLiteral("0.0"));
    // Units
    row("unit gallons", 7, QStringLiteral("gallons"), 4, 2, QStringLiteral("GA"));
    row("unit oz", 7, QStringLiteral("oz"), 0, 0, QStringLiteral("OZ"));
    row("unit lbs", 25, QStringLiteral("lbs"), 0, 0, QStringLiteral("LB"));
    row("unit liter", 25, QStringLiteral("Liter"), 4, 2, QStringLiteral("LI"));
    row("unit l", 25, QStringLiteral("l"), 0, 0, QStringLiteral("L"));
    row("unit empty", 25, QString(), 2, 2, QString());
    row("unit pipe", 25, QStringLiteral("|"), 4, 2, QStringLiteral("|"));
    row("unit micro sign", 25, QStringLiteral("\u00B5g"), 4, 2, QStringLiteral("\u00B5G"));
    row("unit sharp s", 7, QStringLiteral("\u00DFl"), 4, 2, QStringLiteral("\u00DFL"));
    // County
    row("county padded", 9, QStringLiteral("5"), 0, 0, QStringLiteral("05"));
    row("county two digits", 9, QStringLiteral("05"), 0, 0, QStringLiteral("05"));
    row("county 99", 9, QStringLiteral("99"), 0, 0, QStringLiteral("99"));
    row("county 0", 9, QStringLiteral("0"), 4, 2, QStringLiteral("00"));
    row("county 63", 9, QStringLiteral("63"), 4, 2, QStringLiteral("63"));
    row("county 98", 9, QStringLiteral("98"), 4, 2, QStringLiteral("98"));
    row("county negative", 9, QStringLiteral("-3"), 4, 2, QStringLiteral("-03"));
    row("county half to even down", 9, QStringLiteral("2.5"), 0, 0, QStringLiteral("02"));
    row("county half to even up", 9, QStringLiteral("3.5"), 0, 0, QStringLiteral("04"));
    row("county below double range", 9, QStringLiteral("1e-400"), 4, 2, QStringLiteral("00"));
    row("county text", 9, QStringLiteral("x"), 7, 2, QStringLiteral("x"));
    row("county empty", 9, QString(), 2, 2, QString());
    row("county overflow", 9, QStringLiteral("40000"), 5, 2, QStringLiteral("40000"));
    // Dates, report year 2024
    row("date m/d", 11, QStringLiteral("3/5"), 0, 0, QStringLiteral("03/05/2024"));
    row("date dashes two-digit year", 11, QStringLiteral("3-5-24"), 0, 0, QStringLiteral("03/05/2024"));
    row("date mmdd", 11, QStringLiteral("0305"), 0, 0, QStringLiteral("03/05/2024"));
    row("date mmddyy", 11, QStringLiteral("030524"), 0, 0, QStringLiteral("03/05/2024"));
    row("date mmddyyyy", 11, QStringLiteral("03052024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date yyyymmdd", 11, QStringLiteral("20240305"), 0, 0, QStringLiteral("03/05/2024"));
    row("date iso", 10, QStringLiteral("2024-03-05"), 0, 0, QStringLiteral("03/05/2024"));
    row("date month name", 10, QStringLiteral("March 5, 2024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date day month name", 10, QStringLiteral("5-Mar-2024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date month name no year", 10, QStringLiteral("Mar 5"), 0, 0, QStringLiteral("03/05/2024"));
    row("date spaced", 10, QStringLiteral("3 . 5 . 2024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date three-digit year", 10, QStringLiteral("3/5/024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date day first swapped", 10, QStringLiteral("25/03/2024"), 0, 0, QStringLiteral("03/25/2024"));
    row("date as written", 10, QStringLiteral("03/25/2024"), 0, 0, QStringLiteral("03/25/2024"));
    row("date as written, day first", 10, QStringLiteral("13/02/2024"), 0, 0, QStringLiteral("02/13/2024"));
    row("end date empty", 12, QStringLiteral(" "), 0, 0, QString());
    row("date blank separator", 10, QStringLiteral("3\t 5 \t2024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date two separators", 10, QStringLiteral("3/-5/2024"), 4, 2, QStringLiteral("3/-5/2024"));
    row("date tab only between", 10, QStringLiteral("3\t5"), 4, 2, QStringLiteral("3\t5"));
    row("date trailing separator", 10, QStringLiteral("3/5/"), 4, 2, QStringLiteral("3/5/"));
    row("date five-digit year", 10, QStringLiteral("3/5/02024"), 4, 2, QStringLiteral("3/5/02024"));
    row("date year first blanks", 10, QStringLiteral(" 2024 - 3 . 5 "), 0, 0, QStringLiteral("03/05/2024"));
    row("date year first blank separator", 10, QStringLiteral("2024 3 5"), 4, 2, QStringLiteral("2024 3 5"));
    row("date month name dot", 10, QStringLiteral("sept.5,2024"), 0, 0, QStringLiteral("09/05/2024"));
    row("date month name day runs into year", 10, QStringLiteral("Mar 52024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date month name two commas", 10, QStringLiteral("Mar 5,,2024"), 4, 2, QStringLiteral("Mar 5,,2024"));
    row("date month name unknown", 10, QStringLiteral("Foo 5"), 4, 2, QStringLiteral("Foo 5"));
    row("date month name ten letters", 10, QStringLiteral("Septembers 5"), 4, 2, QStringLiteral("Septembers 5"));
    row("date day month name blank year", 10, QStringLiteral("5 march 2024"), 0, 0, QStringLiteral("03/05/2024"));
    row("date day month name no gap", 10, QStringLiteral("5Mar."), 0, 0, QStringLiteral("03/05/2024"));
    row("date day month name two dashes", 10, QStringLiteral("5--Mar"), 4, 2, QStringLiteral("5--Mar"));
    row("date wrong year", 11, QStringLiteral("3/5/23"), 8, 2, QStringLiteral("3/5/23"));
    row("date nineties", 11, QStringLiteral("3/5/95"), 8, 2, QStringLiteral("3/5/95"));
    row("date not a date", 11, QStringLiteral("13/45/2024"), 4, 2, QStringLiteral("13/45/2024"));
    row("date feb 30", 11, QStringLiteral("2/30/2024"), 4, 2, QStringLiteral("2/30/2024"));
    row("date text", 11, QStringLiteral("soon"), 4, 2, QStringLiteral("soon"));
    row("date negative", 11, QStringLiteral("-305"), 4, 2, QStringLiteral("-305"));
    row("date beyond double range", 11, QStringLiteral("1e400"), 4, 2, QStringLiteral("1e400"));
    row("date eight beyond double range", 11, QStringLiteral("9e999999"), 4, 2, QStringLiteral("9e999999"));
    row("date below double range", 11, QStringLiteral("1e-400"), 4, 2, QStringLiteral("1e-400"));
    row("date start empty", 11, QString(), 2, 2, QString());
    row("date sold empty", 10, QString(), 2, 2, QString());
    row("date end empty", 12, QString(), 0, 0, QString());
    row("date end wrong year", 12, QStringLiteral("01/01/2023"), 8, 2, QStringLiteral("01/01/2023"));
    // End use and resale take anything
    row("end use", 13, QStringLiteral("anything 123"), 0, 0, QStringLiteral("anything 123"));
    row("resale empty", 24, QString(), 0, 0, QString());
    // EPA numbers
    row("epa slash", 14, QStringLiteral("100 / 20"), 0, 0, QStringLiteral("100-20"));
    row("epa three groups", 14, QStringLiteral("2345-2345-2345"), 0, 0, QStringLiteral("2345-2345-2345"));
    row("epa sln", 14, QStringLiteral("SLN NY 123"), 0, 0, QStringLiteral("SLN-NY-123"));
    row("epa sln lower", 14, QStringLiteral("sln ny 123"), 0, 0, QStringLiteral("sln-ny-123"));
    row("epa eup", 14, QStringLiteral("123EUP45"), 0, 0, QStringLiteral("123EUP45"));
    row("epa ten digits", 14, QStringLiteral("1234567890"), 0, 0, QStringLiteral("1234567890"));
    row("epa seventeen digits", 14, QStringLiteral("12345678901234567"), 0, 0, QStringLiteral("12345678901234567"));
    row("epa twelve digits", 14, QStringLiteral("123456789012"), 4, 2, QStringLiteral("123456789012"));
    row("epa short", 14, QStringLiteral("12"), 4, 2, QStringLiteral("12"));
    row("epa empty", 14, QString(), 2, 2, QString());
    row("epa second group long", 14, QStringLiteral("1-123456"), 4, 2, QStringLiteral("1-123456"));
    row("epa longest groups", 14, QStringLiteral("123456-12345-123456"), 0, 0, QStringLiteral("123456-12345-123456"));
    row("epa first group long", 14, QStringLiteral("1234567-1"), 4, 2, QStringLiteral("1234567-1"));
    row("epa third group long", 14, QStringLiteral("1-1-1234567"), 4, 2, QStringLiteral("1-1-1234567"));
    row("epa four groups", 14, QStringLiteral("1-2-3-4"), 4, 2, QStringLiteral("1-2-3-4"));
    row("epa leading dash", 14, QStringLiteral("-12-3"), 4, 2, QStringLiteral("-12-3"));
    row("epa trailing dash", 14, QStringLiteral("12-3-"), 4, 2, QStringLiteral("12-3-"));
    row("epa double dash", 14, QStringLiteral("12--3"), 0, 0, QStringLiteral("12-3"));
    row("epa eleven digits", 14, QStringLiteral("12345678901"), 0, 0, QStringLiteral("12345678901"));
    row("epa sixteen digits", 14, QStringLiteral("1234567890123456"), 0, 0, QStringLiteral("1234567890123456"));
    row("epa eighteen digits", 14, QStringLiteral("123456789012345678"), 4, 2, QStringLiteral("123456789012345678"));
    row("epa nine digits", 14, QStringLiteral("123456789"), 4, 2, QStringLiteral("123456789"));
    // Names, phone
    row("contact numeric", 15, QStringLiteral("42"), 4, 2, QStringLiteral("42"));
    row("phone any", 16, QStringLiteral("x"), 0, 0, QStringLiteral("x"));
    row("phone empty", 16, QString(), 2, 2, QString());
    row("first name empty", 18, QString(), 2, 2, QString());
    row("last name", 19, QStringLiteral("Doe"), 0, 0, QStringLiteral("Doe"));
    row("municipality empty", 20, QString(), 2, 2, QString());
    row("product numeric", 21, QStringLiteral("12.5"), 4, 2, QStringLiteral("12.5"));
    row("product long", 21, QString(200, u'x'), 0, 0, QString(200, u'x'));
    row("product letter then number", 21, QStringLiteral("e5"), 0, 0, QStringLiteral("e5"));
    row("product point first", 21, QStringLiteral(".5"), 4, 2, QStringLiteral(".5"));
    row("product sign first", 21, QStringLiteral("+7"), 4, 2, QStringLiteral("+7"));
    // E-mail
    row("email ok", 17, QStringLiteral("Jane.Doe+x@Example.co.uk"), 0, 0, QStringLiteral("Jane.Doe+x@Example.co.uk"));
    row("email no tld", 17, QStringLiteral("jane@localhost"), 4, 2, QStringLiteral("jane@localhost"));
    row("email digit tld", 17, QStringLiteral("jane@example.c0m"), 0, 0, QStringLiteral("jane@example.c0m"));
    row("email trailing newline", 17, QStringLiteral("jane@example.com\n"), 4, 2, QStringLiteral("jane@example.com\n"));
    row("email kelvin sign", 17, QStringLiteral("jane@example.\u212Aom"), 4, 2,
        QStringLiteral("jane@example.\u212Aom"));
    row("email empty", 17, QString(), 2, 2, QString());
    // Zip
    row("zip padded", 26, QStringLiteral("123"), 0, 0, QStringLiteral("00123"));
    row("zip plus four", 26, QStringLiteral("12203-1234"), 0, 0, QStringLiteral("12203-1234"));
    row("zip plus three", 26, QStringLiteral("12203-123"), 4, 2, QStringLiteral("12203-123"));
    row("zip zeros", 26, QStringLiteral("00000"), 4, 2, QStringLiteral("00000"));
    row("zip zero", 26, QStringLiteral("0"), 4, 2, QStringLiteral("00000"));
    row("zip huge number", 26, QStringLiteral("1e20"), 4, 2, QStringLiteral("100000000000000000000"));
    row("zip exponent", 26, QStringLiteral("1e3"), 0, 0, QStringLiteral("01000"));
    row("zip text", 26, QStringLiteral("abc"), 4, 2, QStringLiteral("abc"));
    row("zip empty", 26, QString(), 2, 2, QString());
    // Ids without a rule
    row("business name", 31, QString(), 0, 0, QString());
    row("applicator name numeric", 37, QStringLiteral("123"), 0, 0, QStringLiteral("123"));
    row("no field", 0, QStringLiteral("x"), 0, 0, QStringLiteral("x"));
    row("negative id", -1, QStringLiteral(" x "), 0, 0, QStringLiteral("x"));
}

void tst_field_rules::rules() {
    QFETCH(int, field);
    QFETCH(QString, input);
    QFETCH(int, code);
    QFETCH(int, severity);
    QFETCH(QString, value);
    Validator& v = Globals::Validator();
    const ValidationResultPtr r = v.ValidateField(field, input, 7);
    QCOMPARE(int(r->Code()), code);
    QCOMPARE(int(r->Severity()), severity);
    QCOMPARE(r->Value(), value);
    QCOMPARE(int(r->Field()), field);
    QCOMPARE(r->RecordNumber(), 7);
    QCOMPARE(r->IsValid(), code == 0);
    QCOMPARE(r->Message(), code == 0 ? QString() : v.ValidationMessage(field, code, value));

    // The check without a result agrees, and hands out the value only when
    // it was written in another form.
    qint32 quickSeverity = -1;
    QString normalised = QStringLiteral("stale");
    QCOMPARE(v.CheckField(field, input, quickSeverity, &normalised), code);
    QCOMPARE(quickSeverity, severity);
    QCOMPARE(normalised, code == 0 && value != input ? value : QString());
    QCOMPARE(normalised.isNull(), code != 0 || value == input);
}

// A run of a column's values asks the rewrite test found once for the field
// (none for a rule that never rewrites): its answer is the field's, and a
// passing value written in another form is never taken as staying.
void tst_field_rules::rewriteOfColumnAgreesWithField() {
    QFETCH(int, field);
    QFETCH(QString, input);
    QFETCH(int, code);
    QFETCH(QString, value);
    const bool prepared = input == input.trimmed() && !input.contains(QStringLiteral("\r\n"));
    const bool ascii = std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!prepared || !ascii) QSKIP("not a prepared ASCII value");
    const QByteArray bytes = input.toLatin1();
    const FieldRules::ByteRewrite rewrite = FieldRules::byteRewrite(field);
    const bool may = rewrite && rewrite(bytes);
    QCOMPARE(may, FieldRules::mayRewrite(field, QByteArrayView(bytes)));
    if (code == 0 && value != input) QVERIFY(may);
}

void tst_field_rules::messageFollowsWrittenBackValue() {
    Validator& v = Globals::Validator();
    ValidationResultPtr r = v.ValidateField(zrfCertificationId, QStringLiteral("x-1"));
    QCOMPARE(r->Message(), QStringLiteral("Certification ID Number 'X1' must be a RUR assigned number that begins "
                                          "with C, T, or B and is followed by 7 digits."));
    r = v.ValidateField(zrfDateStart, QStringLiteral("3/5/23"));
    QCOMPARE(r->Message(), QStringLiteral("Date string '3/5/23' appears to have the wrong year."));
    r = v.ValidateField(zrfCounty, QStringLiteral("40000"));
    QCOMPARE(r->Message(), QStringLiteral("Unknown validation error for County Code, 5, 40000"));
}

// Values built to make a backtracking pattern take time in the square (or
// worse) of their length: each must be decided in one pass. At this length a
// quadratic rule would run for many minutes.
void tst_field_rules::hostileValuesTakeLinearTime_data() {
    QTest::addColumn<QString>("value");
    const qsizetype n = 400'000;
    const QString blanks(n, u' '), tabs(n, u'\t'), digits(n, u'7'), letters(n, u'a');
    QTest::newRow("digit, blanks, letter") << QStringLiteral("1") + blanks + QStringLiteral("x");
    QTest::newRow("digit, tabs, digit, tabs, letter")
        << QStringLiteral("1") + tabs + QStringLiteral("/2") + tabs + QStringLiteral("x");
    QTest::newRow("month, blanks, digit, blanks, comma") << QStringLiteral("Mar") + blanks + QStringLiteral("5") +
                                                                blanks + QStringLiteral(",") + blanks +
                                                                QStringLiteral("x");
    QTest::newRow("digits then letter") << digits + QStringLiteral("x");
    QTest::newRow("long number") << QStringLiteral("0.") + digits + QStringLiteral("e-99999999999999999999");
    QTest::newRow("separators") << QString(n, u'-') + QStringLiteral("1") + QString(n, u'/');
    QTest::newRow("e-mail labels") << QStringLiteral("a@") + QStringLiteral("a.").repeated(n / 2) + QStringLiteral("!");
    QTest::newRow("e-mail dashes") << QStringLiteral("a@a") + QString(n, u'-') + QStringLiteral(".");
    QTest::newRow("letters and dots") << letters + QStringLiteral(".") + QString(n, u'.');
    QTest::newRow("sln groups") << QStringLiteral("SLN") + QStringLiteral(" NY").repeated(n / 3) + QStringLiteral("x");
}

void tst_field_rules::hostileValuesTakeLinearTime() {
    QFETCH(QString, value);
    Validator& v = Globals::Validator();
    for (int field = 0; field <= 58; ++field) {
        const ValidationResultPtr r = v.ValidateField(field, value, 1);
        QCOMPARE(int(r->Field()), field);
    }
    // A whole record of such values.
    QStringList record(13, value);
    record[0] = QStringLiteral("0");
    QVERIFY(!v.ValidateRecord(record.join(u'|'), QStringLiteral("|"), 1, zfotForm26)->IsValid());
}

QTEST_GUILESS_MAIN(tst_field_rules)
#include "tst_field_rules.moc"
