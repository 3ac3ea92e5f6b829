// Each form's file read and saved again: what comes out, byte for byte, and
// what the user was told. A canonical file comes back as it was; a file that
// holds lines the form does not load, or records it changes, comes back
// without them or changed only after the user heard of it.
#include "FormTest.h"

#include "forms/Form25.h"
#include "forms/Form26.h"
#include "forms/Form26A.h"
#include "forms/Form27.h"

using namespace FormTest;

namespace {

QByteArray lines(const QList<QByteArray>& records) {
    QByteArray out;
    for (const QByteArray& r : records) out += r + "\r\n";
    return out;
}

// What editors that save "UTF-8" put before line 1.
const QByteArray kMark = "\xEF\xBB\xBF";

const QByteArray kResale1 = "0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24|X||";
const QByteArray kResaleBlank = "0|R12345||||||X||";
const QByteArray kResale3 = "0|R12345|100-200|ROUNDUP|1.5|OZ|3|X||";
const QByteArray kEndUse1 = "0|R12345|2345-2345-2345|NAME FROM LABEL|2|GL|24||X|";
const QByteArray kEndUse3 = "0|R12345|100-200|ROUNDUP|1.5|OZ|3||X|";
const QByteArray kNoSales25 = "3|R12345|||||||X|";

const QByteArray kSale1 = "0|R12345|100-200|ROUNDUP|2|GL|01/15/2024|59|12 MAIN ST|SPRINGFIELD|12345|";
const QByteArray kSale2 = "0|R12345|2345-2345-2345|NAME FROM LABEL|1.5|OZ|02/01/2024|01|1 ELM RD|TOWN|54321|";
const QByteArray kNoSales27 = "3|R12345||||||||||";

const QByteArray kApp1 = "0|T3456789|34567|100-200|ROUNDUP|2|GL|01/15/2024|01/16/2024|59|12 MAIN ST|SPRINGFIELD|"
                         "12345|1 OZ/GAL|SPRAY|WEEDS|LAWN|";
const QByteArray kApp2 = "0|T3456789|34567|2345-2345-2345|NAME FROM LABEL|1.5|OZ|02/01/2024||01|1 ELM RD|TOWN|"
                         "54321|||||";
const QByteArray kNoApps = "3|T3456789|34567|||||||||||";

// Opens in with a form of type F, saves it over itself and hands back the
// file and what the load told the user before the verdict.
template <class F> void roundTrip(const QString& name, bool verdict) {
    QFETCH(QByteArray, in);
    QFETCH(QByteArray, out);
    QFETCH(QString, told);
    Folder folder;
    const QString path = folder.write(name, in);
    UiScript ui;
    if (!told.isEmpty()) ui.expectBox(); // what the load tells
    if (verdict) ui.expectBox();
    QVERIFY(!showForm<F>(ui, path, [&](F& form) {
        // Saving asks whether to check first when the report has rows.
        save(ui, form, QString(), form.Grid().lastDataRow() > 0 && (form.HasActivity()));
        QVERIFY(!form.IsDirty());
    }));
    QCOMPARE(TestSupport::readFile(path), out);
    if (told.isEmpty()) {
        for (const auto& box : ui.boxes())
            QVERIFY2(box.title != QStringLiteral("Opening Data File"), qPrintable(box.prompt));
    } else {
        const QString notice = ui.boxes().value(0).prompt;
        QCOMPARE(ui.boxes().value(0).title, QStringLiteral("Opening Data File"));
        QVERIFY2(notice.contains(told), qPrintable(notice));
        // and what a save does about it
        QVERIFY2(notice.contains(QStringLiteral("saving"), Qt::CaseInsensitive), qPrintable(notice));
    }
}

void columns() {
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QString>("told"); // part of the notice before the verdict, "" for none
}

} // namespace

class tst_roundtrip : public QObject {
    Q_OBJECT

private slots:
    void form25_data() {
        columns();
        const QByteArray resale = lines({kResale1, kResaleBlank, kResale3});
        QTest::newRow("resale, blank middle row") << resale << resale << QString();
        QTest::newRow("byte-order mark before line 1") << kMark + resale << resale << QString();
        QTest::newRow("two byte-order marks before line 1") << kMark + kMark + resale << resale << QString();
        QTest::newRow("end use") << lines({kEndUse1, kEndUse3}) << lines({kEndUse1, kEndUse3}) << QString();
        QTest::newRow("no sales") << lines({kNoSales25}) << lines({kNoSales25}) << QString();
        QTest::newRow("lines that are no sales records")
            << lines({kResale1, " " + kResale3, "0" + kResale3, "0|R12345|", kResale3}) << lines({kResale1, kResale3})
            << QStringLiteral("3 lines of the file were not loaded (lines 2, 3 and 4)");
        QTest::newRow("a no-sales record among sales")
            << lines({kResale1, kNoSales25, kResale3}) << lines({kResale1, kResale3})
            << QStringLiteral("1 line of the file was not loaded (line 2): ");
        QTest::newRow("a no-sales record first") << lines({kNoSales25, kEndUse1}) << lines({kEndUse1})
                                                 << QStringLiteral("One of them is a \"No Sales\" record");
        QTest::newRow("a line of blanks is no record")
            << lines({kResale1, "      ", kResale3}) << lines({kResale1, kResale3}) << QString();
        QTest::newRow("resale and end use mixed")
            << lines({kResale1, kEndUse3}) << lines({kResale1, kResale3})
            << QStringLiteral("The file mixes resale and end-use records: 1 for resale, 1 for end use");
        // A report has one permit number, which a save writes into every
        // record: it comes from the first record loaded, and records holding
        // another are named.
        QTest::newRow("a first line that is no record gives no permit number")
            << lines({"1|R99999|100-200|ROUNDUP|1.5|OZ|3|X||", kResale1, kResale3}) << lines({kResale1, kResale3})
            << QStringLiteral("1 line of the file was not loaded (line 1)");
        QTest::newRow("records of other permit numbers")
            << lines({kResale1, "0|R55555|100-200|ROUNDUP|1.5|OZ|3|X||", "0|r12345|100-200|ROUNDUP|1.5|OZ|3|X||",
                      "0|R66666|100-200|ROUNDUP|1.5|OZ|3|X||", "0| R55555 |100-200|ROUNDUP|1.5|OZ|3|X||"})
            << lines({kResale1, kResale3, kResale3, kResale3, kResale3})
            << QStringLiteral("3 records hold another Commercial Permit # than the header's R12345 (R55555 and "
                              "R66666): a report has one Commercial Permit #, so saving it will write R12345 into "
                              "every record.");
        QTest::newRow("fields beyond the record, in any record")
            << lines({kResale1, kResale3 + "EXTRA|", kResale3 + "|", kResale3 + "| |"})
            << lines({kResale1, kResale3, kResale3, kResale3})
            << QStringLiteral("1 record holds more fields than a Form 25 record has (line 2): saving this report will "
                              "leave the extra fields out of the file.");
        QTest::newRow("commas, quotes, other line ends")
            << QByteArray("\"0\",\"R12345\",\"2345-2345-2345\",\"NAME FROM LABEL\",\"2\",\"GL\",\"24\",\"X\",\"\",\n"
                          "0,R12345,100-200,ROUNDUP,1.5,OZ,3,X,,\r")
            << lines({kResale1, kResale3}) << QString();
    }
    // Lines longer than 64 Ki characters: plain ASCII goes into the grid
    // from its bytes, other text decoded; both upper-cased.
    void longLines_data() {
        columns();
        const QByteArray name(100000, 'n'), accented(70000, '\xe9');
        QTest::newRow("ASCII") << lines({"0|R12345|100-200|" + name + "|1.5|OZ|3|X||", kResale3})
                               << lines({"0|R12345|100-200|" + name.toUpper() + "|1.5|OZ|3|X||", kResale3})
                               << QString();
        QTest::newRow("Western European")
            << lines({"0|R12345|100-200|" + accented + "|1.5|OZ|3|X||"})
            << lines({"0|R12345|100-200|" + QByteArray(70000, '\xc9') + "|1.5|OZ|3|X||"}) << QString();
    }
    void longLines() { roundTrip<Dazozuvi::Form25>(QStringLiteral("MR1234500.txt"), true); }

    void form25() { roundTrip<Dazozuvi::Form25>(QStringLiteral("MR1234500.txt"), true); }

    void form26_data() {
        columns();
        QTest::newRow("applications") << lines({kApp1, kApp2}) << lines({kApp1, kApp2}) << QString();
        QTest::newRow("byte-order mark before line 1")
            << kMark + lines({kApp1, kApp2}) << lines({kApp1, kApp2}) << QString();
        QTest::newRow("two byte-order marks before line 1")
            << kMark + kMark + lines({kApp1, kApp2}) << lines({kApp1, kApp2}) << QString();
        QTest::newRow("no applications") << lines({kNoApps}) << lines({kNoApps}) << QString();
        QTest::newRow("a no-applications record among applications")
            << lines({kApp1, kNoApps, kApp2}) << lines({kApp1, kApp2})
            << QStringLiteral("One of them is a \"No Applications\" record");
        QTest::newRow("a record of the ids alone") << lines({kApp1, "0|T3456789|34567", kApp2}) << lines({kApp1, kApp2})
                                                   << QStringLiteral("1 line of the file was not loaded (line 2)");
        QTest::newRow("a first line that is no record gives no ids")
            << lines({"1|T9999999|99999|" + kApp1.mid(17), kApp1, kApp2}) << lines({kApp1, kApp2})
            << QStringLiteral("1 line of the file was not loaded (line 1)");
        QByteArray otherApplicator = kApp2, otherBusiness = kApp2;
        otherApplicator.replace("T3456789", "B2345678");
        otherBusiness.replace("|34567|", "|99999|");
        QTest::newRow("records of other ids, and one without")
            << lines({kApp1, otherApplicator, otherBusiness, "0|T3456789||" + kApp2.mid(17)})
            << lines({kApp1, kApp2, kApp2, kApp2})
            << QStringLiteral("1 record holds another Certification ID # than the header's T3456789 (B2345678): a "
                              "report has one Certification ID #, so saving it will write T3456789 into every "
                              "record.\r\n\r\n1 record holds another Bus./Agency Reg. # than the header's 34567 "
                              "(99999)");
    }
    void form26() { roundTrip<Dazozuvi::Form26>(QStringLiteral("PT345678900.txt"), true); }

    void form27_data() {
        columns();
        QTest::newRow("sales") << lines({kSale1, kSale2}) << lines({kSale1, kSale2}) << QString();
        QTest::newRow("byte-order mark before line 1")
            << kMark + lines({kSale1, kSale2}) << lines({kSale1, kSale2}) << QString();
        QTest::newRow("two byte-order marks before line 1")
            << kMark + kMark + lines({kSale1, kSale2}) << lines({kSale1, kSale2}) << QString();
        QTest::newRow("no sales") << lines({kNoSales27}) << lines({kNoSales27}) << QString();
        QTest::newRow("a no-sales record among sales") << lines({kNoSales27, kSale1, kSale2}) << lines({kSale1, kSale2})
                                                       << QStringLiteral("1 line of the file was not loaded (line 1)");
        QTest::newRow("lines that are no sales records, and blanks")
            << lines({kSale1, "00" + kSale2.mid(1), "   ", "X|R12345|", kSale2}) << lines({kSale1, kSale2})
            << QStringLiteral("2 lines of the file were not loaded (lines 2 and 4)");
        // A permit number longer than the box lets one type comes back
        // whole, never cut to another's.
        const QByteArray longPermit = "0|R123456" + kSale1.mid(8);
        QTest::newRow("a permit number longer than typing allows")
            << lines({longPermit}) << lines({longPermit}) << QString();
        QTest::newRow("no record at all: the filer's permit number")
            << lines({"1|R99999||||||||||"}) << lines({kNoSales27})
            << QStringLiteral("1 line of the file was not loaded (line 1)");
        QTest::newRow("fields beyond the record")
            << lines({kSale1, kSale2 + "EXTRA|MORE|"}) << lines({kSale1, kSale2})
            << QStringLiteral("1 record holds more fields than a Form 27 record has (line 2)");
    }
    void form27() { roundTrip<Dazozuvi::Form27>(QStringLiteral("SR1234500.txt"), true); }

    void form26a_data() {
        columns();
        const QByteArray list = lines({"0|C1234567|12345|JOHN|DOE|", "3|T2345678|12345|ANN|LEE|"});
        QTest::newRow("applicators") << list << list << QString();
        QTest::newRow("byte-order mark before line 1") << kMark + list << list << QString();
        QTest::newRow("two byte-order marks before line 1") << kMark + kMark + list << list << QString();
        // The layout is the first record's, its marks and blanks aside.
        QTest::newRow("a blank before the first record") << " " + list << list << QString();
        QTest::newRow("a line of blanks before the records") << "    \r\n" + list << list << QString();
        // A mark anywhere but before line 1 is a character of UTF-8 text.
        QTest::newRow("a mark after a line of blanks")
            << "  \r\n" + kMark + " " + list << list
            << QStringLiteral("It is UTF-8 (Unicode) text and was read as such.");
        QTest::newRow("the older layout of four columns")
            << lines({"C1234567|12345|JOHN|DOE|", "T2345678|12345|ANN|LEE|"})
            << lines({"0|C1234567|12345|JOHN|DOE|", "0|T2345678|12345|ANN|LEE|"}) << QString();
        QTest::newRow("fields beyond the record")
            << lines({"0|C1234567|12345|JOHN|DOE|", "3|T2345678|12345|ANN|LEE|EXTRA|", "0|B2345678|12345|BO|RAY|||"})
            << lines({"0|C1234567|12345|JOHN|DOE|", "3|T2345678|12345|ANN|LEE|", "0|B2345678|12345|BO|RAY|"})
            << QStringLiteral("1 record holds more fields than a Form 26A record has (line 2): saving this report "
                              "will leave the extra fields out of the file.");
    }
    void form26a() { roundTrip<Dazozuvi::Form26A>(QStringLiteral("AB1234500.txt"), false); }
};

QTEST_MAIN(tst_roundtrip)
#include "tst_roundtrip.moc"
