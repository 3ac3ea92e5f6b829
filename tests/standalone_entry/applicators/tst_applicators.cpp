#include "YearFolder.h"
#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Utilities.h"
#include "applicators/Applicator.h"
#include "applicators/ApplicatorList.h"
#include "applicators/Applicators.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using Dazozuvi::Applicator;
using Dazozuvi::ApplicatorList;
using Dazozuvi::ApplicatorPtr;
namespace Ui = Vezedad::Ui;

namespace {

// One entry as "key=" + made applications (Y/N) + "|" + the four texts.
QString describe(const QString& key, const Applicator& a) {
    return key + QStringLiteral("=") + (a.AppsDone() ? QStringLiteral("Y") : QStringLiteral("N")) +
           QStringLiteral("|") + a.CertificationID() + QStringLiteral("|") + a.BusinessRegNumber() +
           QStringLiteral("|") + a.FirstName() + QStringLiteral("|") + a.LastName();
}

QStringList describe(const ApplicatorList& list) {
    QStringList out;
    const QStringList keys = list.Keys();
    const QVector<ApplicatorPtr> items = list.Items();
    if (keys.size() != items.size()) return {QStringLiteral("keys and items differ")};
    for (qsizetype i = 0; i < keys.size(); ++i) out << describe(keys[i], *items[i]);
    return out;
}

ApplicatorPtr fromLine(const QString& line) {
    auto applicator = std::make_shared<Applicator>();
    applicator->LoadLine(line, QStringLiteral("|"), true);
    return applicator;
}

Vezedad::ZelReport& report() { return Vezedad::Globals::ZelReport(); }

const QString kFiler = QStringLiteral("C7654321=Y|C7654321|42|Fred|Filer");

} // namespace

class tst_applicators : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<YearFolder::Root> m_root;

private Q_SLOTS:
    void init() { m_root = std::make_unique<YearFolder::Root>(); }
    void cleanup() { m_root.reset(); }

    // A line's fields are cut as the utilities' ParseString cuts them, with
    // or without the indicator column.
    void loadLineCutsFieldsAsParseString_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("separator");
        for (const char* line :
             {"0|C1234567|11|Ann|Lee|", "3|C1234567|11|Ann|Lee", "C1234567|11|Ann|Lee|",
              "0|C1234567|11|Ann|Lee|extra|more", "0|C1", "0|C1|", "", "|", "||||||", " 0 | C1 |  |"})
            QTest::newRow(line) << QString::fromLatin1(line) << QStringLiteral("|");
        QTest::newRow("comma") << QStringLiteral("0,C1,22,Bo,Ray,") << QStringLiteral(",");
        QTest::newRow("no separator given") << QStringLiteral("0|C1|22|Bo|Ray") << QString();
        QTest::newRow("two-character separator") << QStringLiteral("0::C1::22::Bo::Ray::") << QStringLiteral("::");
        QTest::newRow("separator inside a field of another") << QStringLiteral("0|C1,x|22") << QStringLiteral("|");
    }

    void loadLineCutsFieldsAsParseString() {
        QFETCH(QString, line);
        QFETCH(QString, separator);
        for (const bool five : {true, false}) {
            QStringList fields;
            QString used = separator;
            const qsizetype n = Vezedad::Utilities::ParseString(fields, line, used);
            QStringList expected{QString(), QString(), QString(), QString()};
            bool appsDone = !five;
            for (qsizetype i = 0; i < qMin<qsizetype>(n, five ? 5 : 4); ++i) {
                const qsizetype column = five ? i : i + 1;
                if (column == 0)
                    appsDone = fields[i] == QStringLiteral("0");
                else
                    expected[column - 1] = fields[i];
            }
            Applicator applicator;
            applicator.LoadLine(line, separator, five);
            QCOMPARE(applicator.AppsDone(), appsDone);
            QCOMPARE((QStringList{applicator.CertificationID(), applicator.BusinessRegNumber(), applicator.FirstName(),
                                  applicator.LastName()}),
                     expected);
        }
    }

    // Each line of a file is one entry keyed by its certification id; the
    // first line decides the separator and whether the indicator column is
    // there.
    void readFile_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("same id in other letter case: second line's data, first line's place and key")
            << QByteArray("0|c1234567|11|Ann|Lee\r\n0|B2345678|22|Bo|Ray\r\n3|C1234567|33|Cy|Day\r\n")
            << QStringList{"c1234567=N|C1234567|33|Cy|Day", "B2345678=Y|B2345678|22|Bo|Ray"};
        QTest::newRow("four fields, no indicator column")
            << QByteArray("C1234567|11|Ann|Lee\r\nB2345678|22|Bo|Ray")
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "B2345678=Y|B2345678|22|Bo|Ray"};
        QTest::newRow("byte-order mark before line 1")
            << QByteArray("\xEF\xBB\xBF"
                          "0|C1234567|11|Ann|Lee\r\n3|B2345678|22|Bo|Ray\r\n")
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "B2345678=N|B2345678|22|Bo|Ray"};
        QTest::newRow("indicator 3 and 0")
            << QByteArray("3|C1234567|11|Ann|Lee\r\n0|B2345678|22|Bo|Ray\r\n")
            << QStringList{"C1234567=N|C1234567|11|Ann|Lee", "B2345678=Y|B2345678|22|Bo|Ray"};
        QTest::newRow("empty line with the indicator column")
            << QByteArray("0|C1234567|11|Ann|Lee\r\n\r\n0|B2345678|22|Bo|Ray\r\n")
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "=N||||", "B2345678=Y|B2345678|22|Bo|Ray"};
        // The layout comes from the first line that holds anything.
        QTest::newRow("empty first line")
            << QByteArray("\r\n3|C1234567|11|Ann|Lee\r\n") << QStringList{"=Y||||", "C1234567=N|C1234567|11|Ann|Lee"};
        // The first record decides, without the marks and blanks before it;
        // a line of them is an empty line.
        QTest::newRow("a blank before the first record")
            << QByteArray(" 0|C1234567|11|Ann|Lee\r\n3|B2345678|22|Bo|Ray\r\n")
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "B2345678=N|B2345678|22|Bo|Ray"};
        QTest::newRow("a line of blanks, then a mark")
            << QByteArray("   \r\n\xEF\xBB\xBF"
                          "3|C1234567|11|Ann|Lee\r\n  0|B2345678|22|Bo|Ray\r\n")
            << QStringList{"=Y||||", "C1234567=N|C1234567|11|Ann|Lee", "B2345678=Y|B2345678|22|Bo|Ray"};
        QTest::newRow("empty ids share one entry") << QByteArray("0|C1234567|11|Ann|Lee\r\n\r\n3||22|Bo|Ray\r\n")
                                                   << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "=N||22|Bo|Ray"};
        QTest::newRow("missing fields stay empty, extra fields are ignored")
            << QByteArray("0|C1234567|11|Ann|Lee\r\n0|B2345678|22\r\n0|T3456789|33|Cy|Day|extra|more|\r\n")
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "B2345678=Y|B2345678|22||",
                           "T3456789=Y|T3456789|33|Cy|Day"};
        QTest::newRow("quotes removed, comma separator")
            << QByteArray("\"0\",\"C1234567\",\"11\",\"Ann \"\"Jo\"\"\",\"Lee\"\r\n")
            << QStringList{"C1234567=Y|C1234567|11|Ann Jo|Lee"};
        QTest::newRow("tab separator, lone CR line ends")
            << QByteArray("0\tC1234567\t11\tAnn\tLee\r3\tB2345678\t22\tBo\tRay")
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "B2345678=N|B2345678|22|Bo|Ray"};
        QTest::newRow("single-byte names")
            << QByteArray("0|C1234567|11|Zo\xEB|M\xFCller\r\n")
            << QStringList{QStringLiteral("C1234567=Y|C1234567|11|Zo\u00EB|M\u00FCller")};
        // UTF-8 is read as such, also when the lines before it are ASCII.
        QTest::newRow("UTF-8 names") << QByteArray(
                                            "0|B2345678|22|Bo|Ray\r\n0|C1234567|11|\"Zo\xC3\xAB\"|M\xC3\xBCller\r\n")
                                     << QStringList{"B2345678=Y|B2345678|22|Bo|Ray",
                                                    QStringLiteral("C1234567=Y|C1234567|11|Zo\u00EB|M\u00FCller")};
        QTest::newRow("texts kept as written")
            << QByteArray("0| c1234567 |11 | Ann|Lee \r\n") << QStringList{" c1234567 =Y| c1234567 |11 | Ann|Lee "};
    }

    void readFile() {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, expected);
        YearFolder::write(QStringLiteral("A00.txt"), contents);
        ApplicatorList list;
        list.ReadFile(YearFolder::file(QStringLiteral("A00.txt")));
        QCOMPARE(describe(list), expected);
        // A file that is not there adds nothing and asks nothing.
        list.ReadFile(YearFolder::file(QStringLiteral("A99.txt")));
        QCOMPARE(list.Count(), expected.size());
    }

    // The first record asks before the file is read when it has the wrong
    // number of fields, or no indicator column while a later record has one;
    // No skips that file only, the year's other files are still read.
    void questionsBeforeReading_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("asked"); // the question, after "File '<path>':\r\n"
        const QString b = QStringLiteral("B2345678=Y|B2345678|22|Bo|Ray");
        const QByteArray sevenFields = "0|C1234567|11|Ann|Lee|x|y\r\n3|T3456789|33|Cy|Day\r\n";
        const QString count = QStringLiteral("Record 1 appears to have 7 fields instead of the 5 expected.\r\nTry to "
                                             "load it anyway?");
        QTest::newRow("field count, No") << sevenFields << int(Ui::vbNo) << QStringList{b, kFiler}
                                         << int(Ui::vbYesNo | Ui::vbDefaultButton2) << count;
        QTest::newRow("field count, Yes")
            << sevenFields << int(Ui::vbYes)
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "T3456789=N|T3456789|33|Cy|Day", b, kFiler}
            << int(Ui::vbYesNo | Ui::vbDefaultButton2) << count;
        // Read in four columns, the later record is one column off.
        const QByteArray fourThenFive = "C1234567|11|Ann|Lee|\r\n\r\n3|T3456789|33|Cy|Day|\r\n";
        const QString layout = QStringLiteral("Its first record (line 1) has no \"No Applications\" indicator, so "
                                              "the list is read in the older layout of four columns: Cert ID, "
                                              "Business Reg Num, First Name, Last Name. But line 3 starts with an "
                                              "indicator, as a record of five columns does.");
        QTest::newRow("no indicator column, No")
            << fourThenFive << int(Ui::vbNo) << QStringList{b, kFiler}
            << int(Ui::vbYesNo | Ui::vbExclamation | Ui::vbDefaultButton2) << layout;
        QTest::newRow("no indicator column, Yes")
            << fourThenFive << int(Ui::vbYes)
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "=Y||||", "3=Y|3|T3456789|33|Cy", b, kFiler}
            << int(Ui::vbYesNo | Ui::vbExclamation | Ui::vbDefaultButton2) << layout;
    }

    void questionsBeforeReading() {
        QFETCH(QByteArray, file);
        QFETCH(int, answer);
        QFETCH(QStringList, expected);
        QFETCH(int, buttons);
        QFETCH(QString, asked);
        YearFolder::setFiler(QStringLiteral("C7654321"), QStringLiteral("Fred Filer"), QStringLiteral("42"));
        YearFolder::write(QStringLiteral("A00.txt"), file);
        YearFolder::write(QStringLiteral("A01.txt"), "0|B2345678|22|Bo|Ray\r\n");
        TestSupport::UiScript ui;
        ui.expectBox(answer);
        ApplicatorList list;
        list.ReadAll();
        QCOMPARE(describe(list), expected);
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Opening Data File"));
        QCOMPARE(ui.boxes().at(0).buttons, qint32(buttons));
        const QString prompt = ui.boxes().at(0).prompt;
        QVERIFY2(prompt.startsWith(QStringLiteral("File '") + YearFolder::file(QStringLiteral("A00.txt")) +
                                   QStringLiteral("':\r\n") + asked),
                 qPrintable(prompt));
    }

    // A file that cannot be opened: Abort and Ignore give up on it, Retry
    // tries once more per answer, and the reader never raises.
    void unreadableFile_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("putRight");
        QTest::addColumn<QStringList>("expected");
        const QStringList without{"B2345678=Y|B2345678|22|Bo|Ray", kFiler};
        QTest::newRow("Abort") << QList<int>{Ui::vbAbort} << false << without;
        QTest::newRow("Ignore") << QList<int>{Ui::vbIgnore} << false << without;
        QTest::newRow("closed box") << QList<int>{Ui::vbCancel} << false << without;
        QTest::newRow("Retry fails again, then Abort") << QList<int>{Ui::vbRetry, Ui::vbAbort} << false << without;
        QTest::newRow("Retry after the file is put right")
            << QList<int>{Ui::vbRetry} << true
            << QStringList{"C1234567=Y|C1234567|11|Ann|Lee", "B2345678=Y|B2345678|22|Bo|Ray", kFiler};
    }

    void unreadableFile() {
        QFETCH(QList<int>, answers);
        QFETCH(bool, putRight);
        QFETCH(QStringList, expected);
        YearFolder::setFiler(QStringLiteral("C7654321"), QStringLiteral("Fred Filer"), QStringLiteral("42"));
        const QString broken = YearFolder::file(QStringLiteral("A00.txt"));
        TestSupport::makeFifo(broken);
        YearFolder::write(QStringLiteral("A01.txt"), "0|B2345678|22|Bo|Ray\r\n");

        QList<Ui::MessageBoxCall> boxes;
        Ui::setMessageBoxHandler([&](const Ui::MessageBoxCall& call) {
            boxes.append(call);
            if (boxes.size() > answers.size()) return qint32(Ui::vbAbort);
            if (putRight) {
                QFile::remove(broken);
                TestSupport::writeFile(broken, "0|C1234567|11|Ann|Lee\r\n");
            }
            return qint32(answers.at(boxes.size() - 1));
        });
        ApplicatorList list;
        const Vezedad::ErrorInfo raised = TestSupport::raisedBy([&] { list.ReadAll(); });
        TestSupport::UiScript::installRefusingHandlers();

        QCOMPARE(raised.Number(), 0);
        QCOMPARE(describe(list), expected);
        QCOMPARE(boxes.size(), answers.size());
        QCOMPARE(boxes.at(0).title, QStringLiteral("Error Reading 26A File"));
        QCOMPARE(boxes.at(0).buttons, qint32(Ui::vbAbortRetryIgnore));
        QVERIFY2(boxes.at(0).prompt.startsWith(QStringLiteral("Error 75: ")), qPrintable(boxes.at(0).prompt));
        QVERIFY2(boxes.at(0).prompt.contains(QStringLiteral("\nIn Dazozuvi::ApplicatorList.ReadFile\n-->")),
                 qPrintable(boxes.at(0).prompt));
    }

    // A file in UTF-16 is refused as one that cannot be opened, naming its
    // encoding; the year's other files are still read.
    void utf16FileIsRefused() {
        YearFolder::setFiler(QStringLiteral("C7654321"), QStringLiteral("Fred Filer"), QStringLiteral("42"));
        YearFolder::write(QStringLiteral("A00.txt"), QByteArray("\xFE\xFF\0"
                                                                "0\0|",
                                                                6));
        YearFolder::write(QStringLiteral("A01.txt"), "0|B2345678|22|Bo|Ray\r\n");
        TestSupport::UiScript ui;
        ui.expectBox(Ui::vbIgnore);
        ApplicatorList list;
        list.ReadAll();
        QCOMPARE(describe(list), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray", kFiler}));
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Error Reading 26A File"));
        const QString prompt = ui.boxes().at(0).prompt;
        QVERIFY2(prompt.startsWith(QStringLiteral("Error 321: The file ") +
                                   YearFolder::file(QStringLiteral("A00.txt")) +
                                   QStringLiteral(" is Unicode text (UTF-16, big-endian)")),
                 qPrintable(prompt));
    }

    // The year's Form 26A text files in name order, then the filer when no
    // file lists its certification id (letter case aside).
    void readAll_data() {
        QTest::addColumn<QString>("filerId");
        QTest::addColumn<QStringList>("expected");
        const QString b = QStringLiteral("B2345678=Y|B2345678|22|Bo|Ray");
        const QString t = QStringLiteral("t3456789=N|t3456789|33|Cy|Day");
        QTest::newRow("filer not listed: added last") << "C7654321" << QStringList{b, t, kFiler};
        QTest::newRow("filer listed in other letter case: not added") << "T3456789" << QStringList{b, t};
        QTest::newRow("filer without certification id: added under the empty key")
            << "" << QStringList{b, t, "=Y||42|Fred|Filer"};
    }

    void readAll() {
        QFETCH(QString, filerId);
        QFETCH(QStringList, expected);
        YearFolder::setFiler(filerId, QStringLiteral("Filer, Fred"), QStringLiteral("42"));
        YearFolder::write(QStringLiteral("a01.txt"), "3|t3456789|33|Cy|Day\r\n");
        YearFolder::write(QStringLiteral("A00.txt"), "0|B2345678|22|Bo|Ray\r\n");
        // Other forms and workbooks are not read.
        YearFolder::write(QStringLiteral("P00.txt"), "0|C1111111|11|No|One\r\n");
        YearFolder::write(QStringLiteral("A02.xlsm"), "0|C2222222|22|No|Two\r\n");
        // Nor what a save cut short leaves beside a list, or an editor's backup.
        YearFolder::write(QStringLiteral("A00.txt.k3J9xQ"), "0|C2222");
        YearFolder::write(QStringLiteral("a01.txt~"), "0|C3333333|33|Old|Edit\r\n");
        ApplicatorList list;
        QCOMPARE(list.Count(), 0); // made empty, reads nothing
        list.ReadAll();
        QCOMPARE(describe(list), expected);
        // Reading again starts afresh.
        QFile::remove(YearFolder::file(QStringLiteral("A00.txt")));
        list.ReadAll();
        expected.removeFirst();
        QCOMPARE(describe(list), expected);
    }

    // The filer's entry follows the identity; a new year or root reads all
    // files again. The filer listed in a file is the file's.
    void followsTheReportModel() {
        YearFolder::setFiler(QStringLiteral("C7654321"), QStringLiteral("Fred Filer"), QStringLiteral("42"));
        YearFolder::write(QStringLiteral("A00.txt"), "0|B2345678|22|Bo|Ray\r\n");
        ApplicatorList list;
        list.ReadAll();
        QCOMPARE(describe(list), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray", kFiler}));

        const Vezedad::IdentityPtr identity = report().Identity();
        identity->setApplicatorName(QStringLiteral("Fay Filer"));
        identity->setBusRegNumber(QStringLiteral("7"));
        QCOMPARE(describe(list), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray", "C7654321=Y|C7654321|7|Fay|Filer"}));
        identity->setCertificationId(QStringLiteral("A1111111"));
        QCOMPARE(describe(list), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray", "A1111111=Y|A1111111|7|Fay|Filer"}));
        // To an id a file lists: the filer's own entry goes.
        identity->setCertificationId(QStringLiteral("b2345678"));
        QCOMPARE(describe(list), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray"}));
        identity->setApplicatorName(QStringLiteral("Other Name"));
        QCOMPARE(describe(list), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray"}));
        // Away from it again: a filer entry under the new id, the file's stays.
        identity->setCertificationId(QStringLiteral("T3456789"));
        QCOMPARE(describe(list), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray", "T3456789=Y|T3456789|7|Other|Name"}));

        // Another year and another root: their files.
        const qint16 year = report().ReportYear();
        const QString otherYear = m_root->path() + QStringLiteral("/ZOV%1").arg(year - 1);
        QDir().mkpath(otherYear);
        TestSupport::writeFile(otherYear + QStringLiteral("/A00.txt"), "3|C1234567|11|Ann|Lee\r\n");
        report().ChangeReportYear(year - 1);
        QCOMPARE(describe(list), (QStringList{"C1234567=N|C1234567|11|Ann|Lee", "T3456789=Y|T3456789|7|Other|Name"}));
        QTemporaryDir otherRoot;
        report().setReportRootPath(otherRoot.path());
        QCOMPARE(describe(list), (QStringList{"T3456789=Y|T3456789|7|Other|Name"}));
    }

    void dictionaryMembers() {
        ApplicatorList list;
        QVERIFY(list.Items().isEmpty());
        QVERIFY(list.Keys().isEmpty());
        list.Add(nullptr);
        QCOMPARE(list.Count(), 0);

        list.Add(fromLine(QStringLiteral("0|C1234567|11|Ann|Lee")));
        list.Add(fromLine(QStringLiteral("0|B2345678|22|Bo|Ray")));
        list.Add(fromLine(QStringLiteral("3|c1234567|33|Cy|Day"))); // replaces, in place
        QCOMPARE(describe(list), (QStringList{"C1234567=N|c1234567|33|Cy|Day", "B2345678=Y|B2345678|22|Bo|Ray"}));
        QVERIFY(list.Exists(QStringLiteral("b2345678")));
        QVERIFY(!list.Exists(QStringLiteral("T3456789")));
        QCOMPARE(list.Item(QStringLiteral("b2345678"))->FirstName(), QStringLiteral("Bo"));
        QVERIFY(!list.Item(QStringLiteral("T3456789")));
        QCOMPARE(list.Key(QStringLiteral("b2345678")), QStringLiteral("b2345678"));
        QCOMPARE(list.Key(QStringLiteral("T3456789")), QString());

        // Item Set: the applicator's id must be the key, letter case aside.
        list.setItem(QStringLiteral("b2345678"), fromLine(QStringLiteral("3|B2345678|44|Di|Fox")));
        list.setItem(QStringLiteral("T3456789"), fromLine(QStringLiteral("0|t3456789|55|Ed|Gil")));
        QCOMPARE(describe(list), (QStringList{"C1234567=N|c1234567|33|Cy|Day", "B2345678=N|B2345678|44|Di|Fox",
                                              "T3456789=Y|t3456789|55|Ed|Gil"}));
        const Vezedad::ErrorInfo mismatch = TestSupport::raisedBy(
            [&] { list.setItem(QStringLiteral("A1111111"), fromLine(QStringLiteral("0|B2345678|1|X|Y"))); });
        QCOMPARE(mismatch.Number(), 380);
        QCOMPARE(mismatch.Description(),
                 QStringLiteral("Certification Id parameter 'A1111111' does not match Applicator's (B2345678)"));
        QCOMPARE(mismatch.Source(), QStringLiteral("Dazozuvi::ApplicatorList.Item(Set)"));
        list.setItem(QStringLiteral("t3456789"), nullptr);
        list.setItem(QStringLiteral("A1111111"), nullptr); // absent: no error
        list.Remove(QStringLiteral("A1111111"));
        QCOMPARE(list.Keys(), (QStringList{"C1234567", "B2345678"}));

        // Key Let: the entry keeps its place; the applicator takes the new id
        // only when the validator accepts it.
        list.setKey(QStringLiteral("c1234567"), QStringLiteral("a-111 1111"));
        list.setKey(QStringLiteral("B2345678"), QStringLiteral("not an id"));
        list.setKey(QStringLiteral("T3456789"), QStringLiteral("A2222222")); // absent: nothing
        QCOMPARE(describe(list), (QStringList{"a-111 1111=N|A1111111|33|Cy|Day", "not an id=N|B2345678|44|Di|Fox"}));
        QVERIFY(list.Exists(QStringLiteral("A-111 1111")));
        // A key another entry holds is refused, and nothing changes.
        const Vezedad::ErrorInfo taken =
            TestSupport::raisedBy([&] { list.setKey(QStringLiteral("not an id"), QStringLiteral("A-111 1111")); });
        QCOMPARE(taken.Number(), 457);
        QVERIFY2(taken.Source().startsWith(QStringLiteral("Dazozuvi::ApplicatorList.Key")), qPrintable(taken.Source()));
        QCOMPARE(describe(list), (QStringList{"a-111 1111=N|A1111111|33|Cy|Day", "not an id=N|B2345678|44|Di|Fox"}));
        // Its own key in other letter case is no clash.
        list.setKey(QStringLiteral("NOT AN ID"), QStringLiteral("Not An Id"));
        QCOMPARE(list.Keys(), (QStringList{"a-111 1111", "Not An Id"}));

        list.RemoveAll();
        QCOMPARE(list.Count(), 0);
        QVERIFY(list.Keys().isEmpty());
    }

    void validatingSetters_data() {
        QTest::addColumn<int>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        // 0 certification id, 1 business registration number, 2 first name, 3 last name
        QTest::newRow("id stored in its checked form") << 0 << "b-234 5678"
                                                       << "B2345678";
        QTest::newRow("refused id kept out") << 0 << "X1"
                                             << "C1234567";
        QTest::newRow("empty id kept out") << 0 << ""
                                           << "C1234567";
        QTest::newRow("registration number padded") << 1 << "42"
                                                    << "00042";
        QTest::newRow("refused registration number") << 1 << "4x"
                                                     << "11";
        QTest::newRow("first name") << 2 << "Bea"
                                    << "Bea";
        QTest::newRow("number as first name") << 2 << "123"
                                              << "Ann";
        QTest::newRow("empty last name") << 3 << ""
                                         << "Lee";
    }

    void validatingSetters() {
        QFETCH(int, property);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        ApplicatorPtr a = fromLine(QStringLiteral("0|C1234567|11|Ann|Lee"));
        const QString* const fields[] = {&a->CertificationID(), &a->BusinessRegNumber(), &a->FirstName(),
                                         &a->LastName()};
        switch (property) {
        case 0: a->setCertificationID(value); break;
        case 1: a->setBusinessRegNumber(value); break;
        case 2: a->setFirstName(value); break;
        default: a->setLastName(value); break;
        }
        QCOMPARE(*fields[property], expected);
        a->setAppsDone(false);
        QVERIFY(!a->AppsDone());
    }

    // The program's registry: filled on first use, the same afterwards,
    // read again on request, and made anew for a new report model.
    void programRegistry() {
        YearFolder::setFiler(QStringLiteral("C7654321"), QStringLiteral("Fred Filer"), QStringLiteral("42"));
        YearFolder::write(QStringLiteral("A00.txt"), "0|B2345678|22|Bo|Ray|x|y\r\n");
        TestSupport::UiScript ui;
        // Refresh before any use makes the registry and reads once: one question.
        ui.expectBox(Ui::vbYes);
        Dazozuvi::modGlobals::RefreshApplicators();
        ApplicatorList& registry = Dazozuvi::modGlobals::Applicators();
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(describe(registry), (QStringList{"B2345678=Y|B2345678|22|Bo|Ray", kFiler}));

        YearFolder::write(QStringLiteral("A01.txt"), "0|T3456789|33|Cy|Day\r\n");
        QCOMPARE(&Dazozuvi::modGlobals::Applicators(), &registry);
        QCOMPARE(registry.Count(), 2);
        ui.expectBox(Ui::vbNo);
        Dazozuvi::modGlobals::RefreshApplicators();
        QCOMPARE(describe(registry), (QStringList{"T3456789=Y|T3456789|33|Cy|Day", kFiler}));

        // A new report model (after the foundation's release) gets its own.
        report().Identity()->Save();
        Vezedad::Globals::Release();
        QFile::remove(YearFolder::file(QStringLiteral("A00.txt")));
        QCOMPARE(describe(Dazozuvi::modGlobals::Applicators()), (QStringList{"T3456789=Y|T3456789|33|Cy|Day", kFiler}));

        // A failed first filling leaves no registry: the next call reads.
        Vezedad::Globals::Release();
        const QString folder = report().ReportPath();
        QVERIFY(QDir(folder).removeRecursively());
        const Vezedad::ErrorInfo failed = TestSupport::raisedBy([] { Dazozuvi::modGlobals::Applicators(); });
        QCOMPARE(failed.Number(), 76);
        QVERIFY2(failed.Source().startsWith(QStringLiteral("Dazozuvi::ApplicatorList.ReadAll")),
                 qPrintable(failed.Source()));
        YearFolder::write(QStringLiteral("A00.txt"), "3|C1234567|11|Ann|Lee\r\n");
        QCOMPARE(describe(Dazozuvi::modGlobals::Applicators()).first(),
                 QStringLiteral("C1234567=N|C1234567|11|Ann|Lee"));
    }
};

QTEST_MAIN(tst_applicators)
#include "tst_applicators.moc"
