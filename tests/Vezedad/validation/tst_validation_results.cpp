#include "TestSupport.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/validation/Validator.h"

#include <QtTest>

using namespace Vezedad;
using namespace Vezedad::modGlobals;

class tst_validation_results : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void factoryPairsCodeAndSeverity_data();
    void factoryPairsCodeAndSeverity();
    void directCreationIsRefused();
    void codeAndSeveritySetters();
    void recordSeverityAndTerminal();
    void recordToString();
    void fileCountsKeysAndTerminal();
    void fileReplaceAndRemoveAll();
    void packedTextsComeBackUnchanged_data();
    void packedTextsComeBackUnchanged();
    void messageKeepsItsTextWhenTheFindingChanges();
    void fileLookupOutOfOrder();
    void listingFollowsTheKeys_data();
    void listingFollowsTheKeys();
};

namespace {
ValidationResultPtr item(int field, int severity) {
    return New_ValidationResult(field, 1, QStringLiteral("v"), severity == 0 ? 0 : 4, severity);
}
RecordValidationResultPtr record(int number, int severity) {
    RecordValidationResultPtr r = New_RecordValidationResult(number, QStringLiteral("line"));
    r->Add(item(zrfCounty, severity));
    if (severity == kvesTerminal) r->Add(item(zrfDataFields, kvesTerminal));
    return r;
}
} // namespace

void tst_validation_results::factoryPairsCodeAndSeverity_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("severity");
    QTest::addColumn<int>("finalCode");
    QTest::addColumn<int>("finalSeverity");
    QTest::addColumn<QString>("message");
    const QString cert = QStringLiteral("Certification ID Number 'X' must be a RUR assigned number that begins with C, "
                                        "T, or B and is followed by 7 digits.");
    QTest::newRow("warning kept") << 4 << 1 << 4 << 1 << cert;
    QTest::newRow("severity 0 wins") << 4 << 0 << 0 << 0 << cert;
    QTest::newRow("code 0 becomes 1") << 0 << 3 << 1 << 3 << QString();
    QTest::newRow("serious") << 4 << 2 << 4 << 2 << cert;
}

void tst_validation_results::factoryPairsCodeAndSeverity() {
    QFETCH(int, code);
    QFETCH(int, severity);
    const ValidationResultPtr r = New_ValidationResult(zrfCertificationId, 3, QStringLiteral("X"), code, severity);
    QTEST(int(r->Code()), "finalCode");
    QTEST(int(r->Severity()), "finalSeverity");
    QTEST(r->Message(), "message");
    QCOMPARE(r->RecordNumber(), 3);
    QCOMPARE(r->Value(), QStringLiteral("X"));
}

void tst_validation_results::directCreationIsRefused() {
    const struct {
        std::function<void()> make;
        const char* name;
    } cases[] = {
        {[] { ValidationResult r; }, "ValidationResult"},
        {[] { RecordValidationResult r; }, "RecordValidationResult"},
        {[] { FileValidationResult r; }, "FileValidationResult"},
    };
    for (const auto& c : cases) {
        const ErrorInfo e = TestSupport::raisedBy([&] { c.make(); });
        QCOMPARE(quint32(e.Number()), 0x80044BEAu);
        QCOMPARE(e.Source(), QStringLiteral("Vezedad::") + QLatin1String(c.name));
        QCOMPARE(e.Description(),
                 QLatin1String(c.name) + QStringLiteral(" class must be instantiated through its factory method."));
    }
    // The flag does not linger after a refused creation.
    QVERIFY(New_FileValidationResult());
}

void tst_validation_results::codeAndSeveritySetters() {
    ValidationResultPtr r = New_ValidationResult(zrfCounty, 0, QString(), 4, 1);
    r->setCode(7);
    QCOMPARE(int(r->Severity()), 2);
    r->setSeverity(3);
    r->setCode(7);
    QCOMPARE(int(r->Severity()), 3);
    r->setCode(0);
    QCOMPARE(int(r->Severity()), 0);
    QVERIFY(r->IsValid());
    r->setSeverity(1);
    QCOMPARE(int(r->Code()), 1);
    QVERIFY(!r->IsValid());
}

void tst_validation_results::recordSeverityAndTerminal() {
    RecordValidationResultPtr rec = New_RecordValidationResult(4, QStringLiteral("x"));
    rec->Add(item(3, 1));
    rec->Add(item(5, 4));
    rec->Add(item(9, 2));
    rec->Add(item(14, 4));
    QCOMPARE(int(rec->Severity()), 4);
    QCOMPARE(int(rec->Terminal()->Field()), 5);
    QCOMPARE(rec->Keys(), (QVector<qint32>{3, 5, 9, 14}));

    rec->setItem(5, item(5, 1));
    QCOMPARE(rec->Keys(), (QVector<qint32>{3, 5, 9, 14}));
    QCOMPARE(int(rec->Severity()), 4);
    QCOMPARE(int(rec->Terminal()->Field()), 14);
    rec->Remove(14);
    QCOMPARE(int(rec->Severity()), 2);
    QVERIFY(!rec->Terminal());
    rec->Remove(99);
    QCOMPARE(rec->Count(), 3);
    QVERIFY(!rec->Item(99));
    rec->setItem(9, nullptr);
    QVERIFY(!rec->Exists(9));
    QCOMPARE(int(rec->Severity()), 1);
    rec->RemoveAll();
    QVERIFY(rec->IsValid());
    QVERIFY(rec->Items().isEmpty());
    QVERIFY(rec->Keys().isEmpty());

    // Field 0 is a field like any other: a terminal item there is the
    // record's terminal item, and a milder one there is not.
    rec->Add(item(0, 1));
    QVERIFY(!rec->Terminal());
    rec->Add(item(0, 4));
    QVERIFY(rec->Terminal());
    QCOMPARE(int(rec->Terminal()->Field()), 0);
}

void tst_validation_results::recordToString() {
    RecordValidationResultPtr rec = New_RecordValidationResult(12, QStringLiteral("0|x"));
    QCOMPARE(rec->ToString(), QString());
    rec->Add(New_ValidationResult(zrfCounty, 12, QStringLiteral("63"), valcInvalidValue, kvesWarning));
    QVERIFY(!rec->IsValid());
    QVERIFY(!rec->Terminal());
    const QString county = QStringLiteral("County must be a two digit county code (between 01 and 62).");
    QCOMPARE(rec->ToString(),
             QStringLiteral("Line 12: 0|x\r\nThe following problems should be corrected but do not invalidate the "
                            "record.\r\nWarning: County Code = '63': ") +
                 county + QStringLiteral("\r\n"));
    rec->Add(New_ValidationResult(zrfApIndicator, 12, QStringLiteral("1"), valcInvalidValue, kvesCritical));
    rec->Add(New_ValidationResult(zrfUnits, 12, QStringLiteral("XX"), valcInvalidValue, kvesSerious));
    const QString text = rec->ToString();
    const qsizetype file = text.indexOf(QStringLiteral("entire file")),
                    record = text.indexOf(QStringLiteral("this record")),
                    warn = text.indexOf(QStringLiteral("do not invalidate"));
    QVERIFY(file > 0 && file < record && record < warn);
    QVERIFY(text.contains(QStringLiteral("Error:   ApIndicator = '1': Indicator must be 0, 3, or 4.\r\n")));

    RecordValidationResultPtr whole = New_RecordValidationResult(-1, QString());
    whole->Add(New_ValidationResult(zrfFileDelimiter, -1, QString(), valcEmpty, kvesTerminal));
    QCOMPARE(whole->ToString(),
             QStringLiteral("The following problems cause the entire file to be considered invalid.\r\nError:   Field "
                            "Separator = '': Could not identify field separator; file cannot be processed.\r\n"));
}

void tst_validation_results::fileCountsKeysAndTerminal() {
    FileValidationResultPtr file = New_FileValidationResult();
    QVERIFY(file->IsValid());
    QVERIFY(file->Keys().isEmpty());
    file->Add(record(10, 1));
    file->Add(record(2, 2));
    file->Add(record(-1, 3));
    file->Add(record(1, 4));
    QCOMPARE(file->Keys(), (QVector<qint32>{-1, 1, 2, 10}));
    QCOMPARE(file->Items().first()->RecordNumber(), 10);
    QCOMPARE(file->ErrorCount(), 2);
    QCOMPARE(int(file->Severity()), 4);
    QCOMPARE(file->SeverityCount(4), 1);
    QCOMPARE(file->SeverityCount(5), 0);
    QCOMPARE(file->SeverityCount(-1), 0);
    QCOMPARE(int(file->Terminal()->Field()), int(zrfCounty));
    file->Remove(1);
    QVERIFY(!file->Terminal());
    QCOMPARE(int(file->Severity()), 3);
    file->Remove(77);
    QCOMPARE(file->Count(), 3);
    QVERIFY(!file->Item(77));
}

void tst_validation_results::fileReplaceAndRemoveAll() {
    FileValidationResultPtr file = New_FileValidationResult();
    file->Add(record(5, 2));
    QCOMPARE(file->SeverityCount(2), 1);
    file->setItem(5, record(5, 1));
    QCOMPARE(file->SeverityCount(2), 0);
    QCOMPARE(file->SeverityCount(1), 1);
    QCOMPARE(file->Count(), 1);
    // Severities are read when a record is stored, not later.
    RecordValidationResultPtr late = record(6, 1);
    file->Add(late);
    late->Add(item(zrfUnits, 4));
    QCOMPARE(int(file->Severity()), 1);
    file->RemoveAll();
    QCOMPARE(file->Count(), 0);
    QCOMPARE(file->ErrorCount(), 0);
}

void tst_validation_results::packedTextsComeBackUnchanged_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("value");
    QTest::newRow("null") << int(zrfCounty) << int(valcEmpty) << QString();
    QTest::newRow("empty") << int(zrfCounty) << int(valcEmpty) << QStringLiteral("");
    QTest::newRow("short") << int(zrfUnits) << int(valcInvalidValue) << QStringLiteral("XX");
    QTest::newRow("fifteen") << int(zrfDateSold) << int(valcInvalidValue) << QStringLiteral("123456789012345");
    QTest::newRow("sixteen") << int(zrfDateSold) << int(valcWrongYear) << QStringLiteral("1234567890123456");
    QTest::newRow("code page") << int(zrfCertificationId) << int(valcInvalidValue)
                               << QStringLiteral("\u20ACuro caf\u00E9");
    QTest::newRow("beyond code page") << int(zrfCertificationId) << int(valcInvalidValue)
                                      << QStringLiteral("\u03A9 \u4E2D and more than fifteen");
    QTest::newRow("control and high") << int(zrfAddress) << int(valcEmpty) << QStringLiteral("a\tb\u0081\u00FF");
    QTest::newRow("unknown pair") << int(zrfCounty) << int(valcProcessingError) << QStringLiteral("40000");
}

// Findings and records keep their texts packed; what comes back must be
// exactly what went in, message included.
void tst_validation_results::packedTextsComeBackUnchanged() {
    QFETCH(int, field);
    QFETCH(int, code);
    QFETCH(QString, value);
    const ValidationResultPtr r = New_ValidationResult(field, 7, value, code, kvesSerious);
    QCOMPARE(r->Value(), value);
    QCOMPARE(r->Value().isNull(), value.isNull());
    QCOMPARE(r->Message(), Globals::Validator().ValidationMessage(field, code, value));
    const ValidationResult copy = *r;
    QCOMPARE(copy.Value(), value);
    QCOMPARE(copy.Message(), r->Message());

    const QString line = value + QStringLiteral("|") + value;
    RecordValidationResultPtr rec = New_RecordValidationResult(7, line);
    QCOMPARE(rec->RecordContents(), line);
    const RecordValidationResult recordCopy = *rec;
    rec->setRecordContents(value);
    QCOMPARE(rec->RecordContents(), value);
    QCOMPARE(rec->RecordContents().isNull(), value.isNull());
    QCOMPARE(recordCopy.RecordContents(), line);
}

void tst_validation_results::messageKeepsItsTextWhenTheFindingChanges() {
    const ValidationResultPtr r =
        New_ValidationResult(zrfCertificationId, 1, QStringLiteral("X1"), valcInvalidValue, kvesSerious);
    const QString before = r->Message();
    r->setValue(QStringLiteral("Y2"));
    QCOMPARE(r->Message(), before);
    r->setCode(valcEmpty);
    QCOMPARE(r->Message(), before);
    r->setSeverity(kvesOK);
    QCOMPARE(r->Message(), before);
    QCOMPARE(r->ToString(), QString());

    // Made with a pass, the message stays empty whatever is set later.
    const ValidationResultPtr pass = New_ValidationResult(zrfCounty, 1, QStringLiteral("01"), valcOK, kvesOK);
    pass->setCode(valcInvalidValue);
    QVERIFY(pass->Message().isNull());
}

void tst_validation_results::fileLookupOutOfOrder() {
    FileValidationResultPtr file = New_FileValidationResult();
    QList<int> numbers;
    for (int n = 1; n <= 40; ++n) numbers << n * 3;
    for (int n = 40; n >= 1; --n) numbers << n * 3 + 1;
    numbers << -1 << 2;
    for (int n : numbers) file->Add(record(n, kvesSerious));
    for (int n : numbers) {
        QVERIFY(file->Exists(n));
        QCOMPARE(file->Item(n)->RecordNumber(), n);
    }
    QVERIFY(!file->Exists(5));
    file->Remove(60);
    file->Remove(61);
    QVERIFY(!file->Exists(60) && !file->Exists(61));
    QCOMPARE(file->Item(121)->RecordNumber(), 121);
    file->Add(record(60, kvesWarning));
    QCOMPARE(file->Items().constLast()->RecordNumber(), 60);
    QCOMPARE(file->Count(), int(numbers.size()) - 1);
    QCOMPARE(file->SeverityCount(kvesWarning), 1);
}

// A listing walks the records by rising key, however they were added, and
// gives each one's text as its ToString does.
void tst_validation_results::listingFollowsTheKeys_data() {
    QTest::addColumn<QList<int>>("numbers");
    QList<int> ascending, many;
    for (int n = 1; n <= 30; ++n) ascending << n;
    for (int n = 1; n <= 30; ++n) many << (n * 17) % 31;
    QTest::newRow("none") << QList<int>();
    QTest::newRow("in order") << ascending;
    QTest::newRow("the whole-file record last") << ascending + QList<int>{-1};
    QTest::newRow("a few out of order") << ascending + QList<int>{-1, 0, 40, 35, 31};
    QTest::newRow("many out of order") << many + QList<int>{-1};
}

void tst_validation_results::listingFollowsTheKeys() {
    QFETCH(QList<int>, numbers);
    FileValidationResultPtr file = New_FileValidationResult();
    for (int n : numbers) file->Add(record(n, n % 2 ? kvesSerious : kvesWarning));
    const RecordListing listing(*file);
    QCOMPARE(listing.size(), qsizetype(numbers.size()));
    QVector<qint32> keys;
    for (qsizetype i = 0; i < listing.size(); ++i) {
        keys << listing.Key(i);
        QVERIFY(listing.IsWhole(i));
        QCOMPARE(listing.Item(i), file->Item(listing.Key(i)));
        QByteArray text;
        listing.AppendText(i, text);
        QCOMPARE(text, Cp1252::encodeOrRaise(listing.Item(i)->ToString(), QString()));
    }
    QList<int> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(keys, QVector<qint32>(sorted.begin(), sorted.end()));
    QCOMPARE(file->Keys(), keys);
}

QTEST_GUILESS_MAIN(tst_validation_results)
#include "tst_validation_results.moc"
