#include "TestSupport.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/validation/Validator.h"

#include <QtTest>

using namespace Vezedad;

class tst_validator_tables : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldNames_data();
    void fieldNames();
    void messages_data();
    void messages();
    void unsupportedFormTypes();
    void layouts_data();
    void layouts();
    void expectedColumns();
};

void tst_validator_tables::fieldNames_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("name");
    QTest::newRow("2") << 2 << QStringLiteral("ApIndicator");
    QTest::newRow("5") << 5 << QStringLiteral("Commercial Sales Permit Number");
    QTest::newRow("37") << 37 << QStringLiteral("Applicator Name");
    QTest::newRow("50") << 50 << QStringLiteral("Filename First Letter");
    QTest::newRow("56") << 56 << QStringLiteral("FileName");
    QTest::newRow("57") << 57 << QStringLiteral("Cancelled By User");
    QTest::newRow("0") << 0 << QStringLiteral("Unknown (0)");
    QTest::newRow("38") << 38 << QStringLiteral("Unknown (38)");
    QTest::newRow("-1") << -1 << QStringLiteral("Unknown (-1)");
    QTest::newRow("-2") << -2 << QStringLiteral("Unknown (-2)");
}

void tst_validator_tables::fieldNames() {
    QFETCH(int, field);
    QTEST(Globals::Validator().FieldName(field), "name");
}

void tst_validator_tables::messages_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message");
    QTest::newRow("cert") << 4 << 4 << QStringLiteral("X1")
                          << QStringLiteral("Certification ID Number 'X1' must be a RUR assigned number that begins "
                                            "with C, T, or B and is followed by 7 digits.");
    QTest::newRow("separator tab") << 51 << 4 << QStringLiteral("[tab]")
                                   << QStringLiteral("Field separator '[tab]' is acceptable but '|' is preferred.");
    QTest::newRow("code 0") << 4 << 0 << QStringLiteral("x") << QString();
    QTest::newRow("no entry for 5") << 22 << 5 << QStringLiteral("abc")
                                    << QStringLiteral("Unknown validation error for Quantity, 5, abc");
    QTest::newRow("unknown field") << 40 << 2 << QString()
                                   << QStringLiteral("Unknown validation error for Unknown (40), 2, ");
    QTest::newRow("no placeholder") << 21 << 2 << QStringLiteral("ignored")
                                    << QStringLiteral("Product name may not be empty.");
    QTest::newRow("placeholder in value")
        << 57 << 13 << QStringLiteral("{Value}") << QStringLiteral("User cancelled validation after record {Value}.");
    QTest::newRow("permit two blanks") << 5 << 4 << QString()
                                       << QStringLiteral("Commercial Permit Number must be a RUR assigned code  "
                                                         "beginning with R, followed by 5 digits.");
    QTest::newRow("zip no stop") << 26 << 4 << QString()
                                 << QStringLiteral("ZipCode must be a five digit Zip Code (between 00001 and 99999)");
    QTest::newRow("too many") << 54 << 10 << QStringLiteral("2")
                              << QStringLiteral(
                                     "Too many invalid records. Validation stopped after 2 invalid records.");
    QTest::newRow("zrfNone") << 0 << 4 << QString() << QStringLiteral("Enter data only in defined areas");
    // 16777220 x 256 + 4 does not fit in 32 bits; wrapped, it would be field 4's key.
    QTest::newRow("key beyond 32 bits") << 16777220 << 4 << QStringLiteral("v")
                                        << QStringLiteral("Unknown validation error for Unknown (16777220), 4, v");
    QTest::newRow("negative key beyond 32 bits")
        << -16777212 << 4 << QStringLiteral("v")
        << QStringLiteral("Unknown validation error for Unknown (-16777212), 4, v");
    QTest::newRow("end use none") << 13 << 4 << QStringLiteral("v")
                                  << QStringLiteral("Unknown validation error for End Use, 4, v");
}

void tst_validator_tables::messages() {
    QFETCH(int, field);
    QFETCH(int, code);
    QFETCH(QString, value);
    QTEST(Globals::Validator().ValidationMessage(field, code, value), "message");
}

void tst_validator_tables::unsupportedFormTypes() {
    Validator& v = Globals::Validator();
    for (int formType : {0, 3, 14, 15, 32}) {
        const ErrorInfo e = TestSupport::raisedBy([&] { v.ExpectedColumnCount(formType); });
        QCOMPARE(e.Number(), qint32(-2147194875));
        QCOMPARE(e.Source(), QStringLiteral("Vezedad:Validator.ExpectedColumnCount"));
        QCOMPARE(e.Description(), QStringLiteral("Form Type %1 is not supported for this operation.").arg(formType));
        QVERIFY(Validator::Layout(formType).Fields.isEmpty());
        QCOMPARE(Validator::Layout(formType).ColumnOf(zrfApIndicator), qsizetype(-1));
    }
}

// The layout the report forms map their columns with is the one records are
// checked by: its range is the column count's, and it is one field wider
// than the fewest fields a record may have.
void tst_validator_tables::layouts_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<int>("firstGridField");
    QTest::addColumn<int>("firstGridColumn");
    QTest::newRow("26") << int(zfotForm26) << int(zrfEPANumber) << 3;
    QTest::newRow("26A") << int(zfotForm26A) << int(zrfFirstName) << 3;
    QTest::newRow("27") << int(zfotForm27) << int(zrfEPANumber) << 2;
    QTest::newRow("25") << int(zfotForm25) << int(zrfEPANumber) << 2;
    QTest::newRow("identity") << int(zfotIdentity) << int(zrfPhone) << 4;
}

void tst_validator_tables::layouts() {
    QFETCH(int, form);
    const RecordLayout& layout = Validator::Layout(form);
    QCOMPARE(int(layout.FormType), form);
    const ColumnCountRange range = Globals::Validator().ExpectedColumnCount(form);
    QCOMPARE(layout.Counts.Min, range.Min);
    QCOMPARE(layout.Counts.Max, range.Max);
    QCOMPARE(layout.Width(), qsizetype(range.Min) + 1);
    QCOMPARE(layout.Fields.first(), form == zfotIdentity ? int(zrfBusinessName) : int(zrfApIndicator));
    QFETCH(int, firstGridField);
    QTEST(int(layout.ColumnOf(firstGridField)), "firstGridColumn");
    // Each field stands in one column only.
    for (qint32 field : layout.Fields) QCOMPARE(layout.Fields.count(field), qsizetype(1));
}

void tst_validator_tables::expectedColumns() {
    Validator& v = Globals::Validator();
    const QString head = QStringLiteral("Columns                      Possible Values\r\n______________               "
                                        "____________________               \r\n");
    const QString tail =
        QStringLiteral("\r\nPlease reference the text file submission guidelines for complete instructions.");
    QCOMPARE(Validator::WholeFileKey(), -1);
    QCOMPARE(v.ExpectedColumns(zfotIdentity),
             QStringLiteral("Expected columns and order (with example) for Identity\r\n\r\n") + head + tail);
    const QString form27 = v.ExpectedColumns(zfotForm27);
    QVERIFY(form27.startsWith(QStringLiteral("Expected columns and order (with example) for Form 27\r\n\r\n") + head));
    QVERIFY(form27.endsWith(tail));
    QVERIFY(
        form27.contains(QStringLiteral("\r\n 1 No Sale Indicator         0 (if data to report) or 3 (no data)\r\n")));
    QVERIFY(
        form27.contains(QStringLiteral("\r\n11 ZipCode                   5 digit zipcode only\r\n\r\nExample:\r\n\r\n"
                                       "0|R34343|2345-2345-2345|Name from label|2.5|OZ|09/09/2003|01|123 "
                                       "Mystreet|Albany|12203|\r\n")));
    QCOMPARE(form27.count(QRegularExpression(QStringLiteral("\r\n[ 1][0-9] "))), 11);
    QVERIFY(v.ExpectedColumns(zfotForm26A).contains(QStringLiteral("\r\n 4 First Name\r\n 5 Last Name\r\n")));
}

QTEST_GUILESS_MAIN(tst_validator_tables)
#include "tst_validator_tables.moc"
