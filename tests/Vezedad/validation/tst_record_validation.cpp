#include "TestSupport.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/Validator.h"

#include <QDir>
#include <QThread>
#include <QtTest>

using namespace Vezedad;

class tst_record_validation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void columnStructure_data();
    void columnStructure();
    void columnCount_data();
    void columnCount();
    void records_data();
    void records();
    void emptyDelimiterComesBackAsPipe();
    void layoutsAreValidatedColumnByColumn_data();
    void layoutsAreValidatedColumnByColumn();
    void reportYearIsReadOnlyForDates();
};

namespace {
// A record's findings as "field:code:severity" in the order they stand.
QString findings(const RecordValidationResultPtr& record) {
    QStringList parts;
    for (const ValidationResultPtr& r : record->Items())
        parts << QStringLiteral("%1:%2:%3").arg(int(r->Field())).arg(int(r->Code())).arg(int(r->Severity()));
    return parts.join(u' ');
}

const QString kForm26 = QStringLiteral("0|C1111111|54565|2345-2345-2345|Name from label|2.5|OZ|09/09/2024||01|123 "
                                       "Mystreet|Albany|12203|");
const QString kForm27 =
    QStringLiteral("0|R34343|2345-2345-2345|Name from label|2.5|OZ|09/09/2024|01|123 Mystreet|Albany|12203|");
const QString kForm25 = QStringLiteral("0|R12345|2345-2345-2345|Name from label|2|GL|24|X||");
} // namespace

void tst_record_validation::initTestCase() { Globals::ZelReport().ChangeReportYear(2024); }

void tst_record_validation::columnStructure_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("delimiter");
    QTest::newRow("pipe") << QStringLiteral("a|b|c|d") << 4 << QStringLiteral("|");
    QTest::newRow("pipe closed") << QStringLiteral("a|b|c|d|") << 4 << QStringLiteral("|");
    QTest::newRow("pipe wins over more commas") << QStringLiteral("a,b|c,d|e,f|g,h,i,j") << 4 << QStringLiteral("|");
    QTest::newRow("comma") << QStringLiteral("a,b,c,d,e") << 5 << QStringLiteral(",");
    QTest::newRow("tab") << QStringLiteral("a\tb\tc\td") << 4 << QStringLiteral("\t");
    QTest::newRow("three fields") << QStringLiteral("a|b|c") << 0 << QString();
    QTest::newRow("empty") << QString() << 0 << QString();
}

void tst_record_validation::columnStructure() {
    QFETCH(QString, line);
    QFETCH(int, count);
    QFETCH(QString, delimiter);
    const ColumnStructure s = Globals::Validator().GetColumnStructure(line);
    QCOMPARE(int(s.ColumnCount), count);
    QCOMPARE(s.Delimiter, delimiter);
    if (count == 0) {
        QCOMPARE(s.Contents, QStringList{line});
    } else {
        QCOMPARE(s.Contents.size(), count + 1);
        QCOMPARE(s.Contents.last(), QString());
        QCOMPARE(s.Contents.first(), line.section(delimiter, 0, 0));
    }
}

void tst_record_validation::columnCount_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("severity");
    QTest::newRow("26 at 11") << 1 << 11 << 2;
    QTest::newRow("26 at 12") << 1 << 12 << 0;
    QTest::newRow("26 at 17") << 1 << 17 << 0;
    QTest::newRow("26 at 18 warns") << 1 << 18 << 1;
    QTest::newRow("26A at 3") << 2 << 3 << 2;
    QTest::newRow("26A at 6") << 2 << 6 << 2;
    QTest::newRow("27 at 10") << 4 << 10 << 0;
    QTest::newRow("27 at 12") << 4 << 12 << 2;
    QTest::newRow("25 at 7") << 8 << 7 << 2;
    QTest::newRow("identity at 15") << 16 << 15 << 2;
}

void tst_record_validation::columnCount() {
    QFETCH(int, form);
    QFETCH(int, fields);
    QFETCH(int, severity);
    QStringList values;
    for (int i = 0; i < fields; ++i) values << QStringLiteral("v");
    const ValidationResultPtr r = Globals::Validator().CheckColumnCount(values.join(u'|'), QString(), 9, form);
    QCOMPARE(int(r->Severity()), severity);
    QCOMPARE(int(r->Field()), int(zrfColumnCount));
    QCOMPARE(r->Value(), QString::number(fields));
    if (severity) {
        const int layout = Globals::Validator().ExpectedColumnCount(form).Min + 1;
        QCOMPARE(
            r->Message(),
            QStringLiteral("Record 9 appears to have %1 fields instead of the %2 expected.").arg(fields).arg(layout));
    }
}

void tst_record_validation::records_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("expected");
    QTest::newRow("26 valid") << 1 << kForm26 << QString();
    QTest::newRow("26 valid unclosed") << 1 << QString(kForm26).chopped(1) << QString();
    QTest::newRow("26 eighteen fields") << 1 << kForm26 + QStringLiteral("a|b|c|d|e|") << QStringLiteral("52:4:1");
    // Twelve fields: the zip column is validated as empty.
    QTest::newRow("26 twelve fields") << 1 << kForm26.section(u'|', 0, 11) << QStringLiteral("26:2:2");
    QTest::newRow("26 eleven fields") << 1 << kForm26.section(u'|', 0, 10) << QStringLiteral("52:4:2 20:2:2");
    QTest::newRow("26 several bad") << 1 << QStringLiteral("1|X1|abc|12|42|0|XX|13/45/2024|3/5/23|63|123|456|0|")
                                    << QStringLiteral("2:4:3 4:4:2 3:4:2 14:4:2 21:4:2 22:6:2 25:4:2 11:4:2 12:8:2 "
                                                      "9:4:2 1:4:2 20:4:2 26:4:2");
    QTest::newRow("26A missing indicator") << 2 << QStringLiteral("C1234567|12345|Jane|Doe") << QString();
    QTest::newRow("26A lower-case id") << 2 << QStringLiteral("t1234567|12345|Jane|Doe") << QString();
    QTest::newRow("26A missing last name") << 2 << QStringLiteral("0|C1234567|12345|Jane") << QStringLiteral("19:2:2");
    QTest::newRow("26A no-data validates all")
        << 2 << QStringLiteral("3|C1234567|12345||") << QStringLiteral("18:2:2 19:2:2");
    QTest::newRow("27 no-data blank") << 4 << QStringLiteral("3|R34343|||||||||") << QString();
    QTest::newRow("27 no-data with product")
        << 4 << QStringLiteral("3|R34343||Name|||||||") << QStringLiteral("53:9:3");
    QTest::newRow("27 no-data bad permit") << 4 << QStringLiteral(" 3 |R00000||||||||X|") << QStringLiteral("5:4:2");
    QTest::newRow("27 data blank") << 4 << QStringLiteral("0|R34343||||||01|a|b|12203")
                                   << QStringLiteral("14:2:2 21:2:2 23:2:2 25:2:2 10:2:2 53:2:3");
    QTest::newRow("27 valid") << 4 << kForm27 << QString();
    QTest::newRow("27 crlf inside values") << 4
                                           << QStringLiteral("0|R34\r\n343|2345-2345-2345|Name from label|2.5|O\r\nZ|"
                                                             "09/09/2024|01|123 Mystreet|Albany|1\r2203|")
                                           << QStringLiteral("26:4:2");
    QTest::newRow("25 valid") << 8 << kForm25 << QString();
    QTest::newRow("25 bad") << 8 << QStringLiteral("0|R12345|2345|Name|0|gallons|0|anything|anything|")
                            << QStringLiteral("14:4:2 6:6:2 7:4:2 8:6:2");
    QTest::newRow("25 short by two") << 8 << QStringLiteral("0|R12345|2345-23|Name|2|GL|24")
                                     << QStringLiteral("52:4:2");
    QTest::newRow("identity no rules for names")
        << 16 << QStringLiteral("|12345|C1234567|R12345|555|Jo|||||||j@x.io|") << QStringLiteral("53:2:3");
}

void tst_record_validation::records() {
    QFETCH(int, form);
    QFETCH(QString, record);
    QString delimiter = QStringLiteral("|");
    const RecordValidationResultPtr r = Globals::Validator().ValidateRecord(record, delimiter, 3, form);
    QCOMPARE(r->RecordNumber(), 3);
    QCOMPARE(r->RecordContents(), record);
    QTEST(findings(r), "expected");
}

void tst_record_validation::emptyDelimiterComesBackAsPipe() {
    QString delimiter;
    const RecordValidationResultPtr r = Globals::Validator().ValidateRecord(kForm25, delimiter, 1, zfotForm25);
    QCOMPARE(delimiter, QStringLiteral("|"));
    QVERIFY(r->IsValid());
    QString d2;
    Globals::Validator().CheckColumnCount(kForm25, d2, 1, zfotForm25);
    QCOMPARE(d2, QStringLiteral("|"));
}

// Each layout column reaches its own rule: a bad value in column c is
// reported under the field that the layout puts there.
void tst_record_validation::layoutsAreValidatedColumnByColumn_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("record");
    QTest::newRow("26") << int(zfotForm26) << kForm26;
    QTest::newRow("26A") << int(zfotForm26A) << QStringLiteral("0|C1111111|54565|Jane|Doe|");
    QTest::newRow("27") << int(zfotForm27) << kForm27;
    QTest::newRow("25") << int(zfotForm25) << kForm25;
}

void tst_record_validation::layoutsAreValidatedColumnByColumn() {
    QFETCH(int, form);
    QFETCH(QString, record);
    Validator& v = Globals::Validator();
    const QList<qint32> fields = Validator::Layout(form).Fields;
    for (int column = 0; column < fields.size(); ++column) {
        const int field = fields[column];
        if (field == zrfEndUse || field == zrfResale || field == zrfBusinessRegNum) continue;
        QStringList values = record.split(u'|');
        // A value that every rule with a check rejects, the indicator's included.
        values[column] = field == zrfDateEnd ? QStringLiteral("x") : QStringLiteral("12.5.5.5");
        if (field == zrfProductName || field == zrfAddress || field == zrfMunicipality || field == zrfFirstName ||
            field == zrfLastName)
            values[column] = QStringLiteral("42");
        const RecordValidationResultPtr r = v.ValidateRecord(values.join(u'|'), QStringLiteral("|"), 1, form);
        QVERIFY2(r->Exists(field), qPrintable(QStringLiteral("column %1").arg(column)));
        QCOMPARE(r->Count(), 1);
    }
}

// The report year comes from the report model, which may fail to be made (a
// report root that cannot hold the year folder). Only a date that needs the
// year depends on it: other forms pass, and a date column gets the failure's
// number as its code, as an unreadable date does.
void tst_record_validation::reportYearIsReadOnlyForDates() {
    const QString blocker = TestSupport::root() + QStringLiteral("/not-a-folder");
    TestSupport::writeFile(blocker, "a file where the report root should be");
    QDir().mkpath(TestSupport::userConfigDir());
    TestSupport::writeFile(TestSupport::userConfigDir() + QStringLiteral("/registry.json"),
                           QStringLiteral("{\"SOFTWARE\\\\ZIDIVO\": {\"ReportRoot\": {\"type\": 1, \"data\": \"%1\"}}}")
                               .arg(blocker)
                               .toUtf8());
    // Two records of Form 26, each with a date; and a Form 25 file.
    const QString file26 = TestSupport::root() + QStringLiteral("/P1.txt");
    const QString file25 = TestSupport::root() + QStringLiteral("/M1.txt");
    TestSupport::writeFile(file26, (kForm26 + QStringLiteral("\r\n") + kForm26).toLatin1());
    TestSupport::writeFile(file25, kForm25.toLatin1());
    qint32 modelError = 0;
    QString form25, form26A, form26, field, fileRun26;
    bool fileRun25Valid = false;
    // Services are made per thread: a new thread makes its report model from
    // the settings above.
    QThread* thread = QThread::create([&] {
        modelError = TestSupport::raisedBy([] { Globals::ZelReport(); }).Number();
        Validator& v = Globals::Validator();
        form25 = findings(v.ValidateRecord(kForm25, QStringLiteral("|"), 1, zfotForm25));
        form26A = findings(v.ValidateRecord(QStringLiteral("C1234567|12345|Jane|Doe"), QStringLiteral("|"), 1, 2));
        // The start date needs the year; an empty end date does not.
        form26 = findings(v.ValidateRecord(kForm26, QStringLiteral("|"), 1, zfotForm26));
        const ValidationResultPtr date = v.ValidateField(zrfDateSold, QStringLiteral("3/5"));
        field = QStringLiteral("%1 %2").arg(int(date->Code())).arg(date->Value());
        fileRun25Valid = v.ValidateFile(file25, zfotForm25)->IsValid();
        const FileValidationResultPtr run = v.ValidateFile(file26, zfotForm26);
        fileRun26 = findings(run->Item(1)) + u' ' + findings(run->Item(2));
        Globals::Release();
    });
    thread->start();
    thread->wait();
    delete thread;
    TestSupport::clearSettings();
    QVERIFY(modelError != 0);
    QCOMPARE(form25, QString());
    QCOMPARE(form26A, QString());
    QCOMPARE(form26, QStringLiteral("11:%1:2").arg(modelError));
    QCOMPARE(field, QStringLiteral("%1 3/5").arg(modelError));
    QVERIFY(fileRun25Valid);
    QCOMPARE(fileRun26, QStringLiteral("11:%1:2 11:%1:2").arg(modelError));
}

QTEST_GUILESS_MAIN(tst_record_validation)
#include "tst_record_validation.moc"
