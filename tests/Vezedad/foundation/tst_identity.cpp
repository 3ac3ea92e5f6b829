#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/Validator.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using TestSupport::raisedBy;
using TestSupport::readFile;
using TestSupport::writeFile;

using namespace Vezedad;

namespace {

const QString kExampleLine = QStringLiteral("B|R|C|S|P|N|||||RSC|A|E|ENDOFIDENTITY|");

} // namespace

class tst_identity : public QObject {
    Q_OBJECT

    IdentityPtr working() { return Globals::ZelReport().Identity(); }

    // A working identity holding the example's letters, set without checks.
    void fillExample(Identity& identity) { identity.SetPropertyValue(idAll, kExampleLine); }

    void fillValid(Identity& identity) {
        identity.setBusinessName(QStringLiteral("Green & Sons <Lawn>"));
        identity.setBusRegNumber(QStringLiteral("12345"));
        identity.setCertificationId(QStringLiteral("A1234567"));
        identity.setSalesPermitNumber(QStringLiteral("R12345"));
        identity.setPhone(QStringLiteral("609-555-1234"));
        identity.setContactName(QStringLiteral("Jane Doe"));
        identity.setApplicatorName(QStringLiteral("John Roe"));
        identity.setEmail(QStringLiteral("jane@example.com"));
    }

private Q_SLOTS:
    void initTestCase() { Globals::ZelReport().ChangeReportYear(2024); }

    void factoryMakesTheOnlyIdentities() {
        const ErrorInfo e = raisedBy([] { Identity direct; });
        QCOMPARE(e.Number(), qint32(0x80044BEA));
        QCOMPARE(e.Source(), QStringLiteral("Vezedad::Identity"));
        QCOMPARE(e.Description(), QStringLiteral("Identity class must be instantiated through its factory method."));
        QCOMPARE(working(), Globals::ZelReport().Identity());
        QVERIFY(working()->CanSave());
        QVERIFY(!working()->Clone()->CanSave());
    }

    void changesAreCheckedAndAnnounced() {
        IdentityPtr identity = working();
        fillValid(*identity);
        QSignalSpy own(identity.get(), &Identity::PropertyChanged);
        QSignalSpy report(&Globals::ZelReport(), &ZelReport::PropertyChanged);

        identity->setBusinessName(identity->BusinessName()); // same text: nothing happens
        QCOMPARE(own.count(), 0);

        identity->setBusRegNumber(QString()); // empty number: taken without a check
        QCOMPARE(own.count(), 1);
        QCOMPARE(own[0][0].toInt(), 3);
        QCOMPARE(own[0][1].toString(), QString());
        QCOMPARE(report.count(), 1);
        QCOMPARE(report[0][0].toString(), Globals::Validator().FieldName(3));

        IdentityPtr clone = identity->Clone();
        QCOMPARE(clone->Email(), identity->Email());
        QSignalSpy cloneSpy(clone.get(), &Identity::PropertyChanged);
        clone->setPhone(QStringLiteral("555-0000"));
        QCOMPARE(cloneSpy.count(), 1);
        QCOMPARE(report.count(), 1); // a clone never reaches the report model
        QCOMPARE(identity->Phone(), QStringLiteral("609-555-1234"));
    }

    void rejectedValuesKeepTheOldOne_data() {
        QTest::addColumn<int>("property");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("code");
        QTest::newRow("e-mail") << int(idEmail) << "not an address"
                                << ".Email" << 4;
        QTest::newRow("empty phone") << int(idPhone) << ""
                                     << ".Phone" << 2;
        QTest::newRow("empty contact") << int(idContactName) << ""
                                       << ".ContactName" << 2;
        QTest::newRow("empty e-mail") << int(idEmail) << ""
                                      << ".Email" << 2;
        QTest::newRow("registration letters") << int(idBusRegNumber) << "12a"
                                              << ".BusRegNum" << 4;
        QTest::newRow("permit") << int(idCommercialSalesPermit) << "R00000"
                                << ".SalesPermitNumber" << 4;
        QTest::newRow("separator") << int(idBusinessName) << "Green|Sons"
                                   << ".BusinessName" << 4;
        QTest::newRow("line break") << int(idApplicatorName) << "John\r\nRoe"
                                    << ".ApplicatorName" << 4;
        QTest::newRow("not in code page")
            << int(idContactName) << QStringLiteral("Łukasz Nowak") << ".ContactName" << 4;
        // A double quote would be dropped by the next read, a control
        // character would break the submission's XML.
        QTest::newRow("double quote") << int(idBusinessName) << "The \"Green\" Co"
                                      << ".BusinessName" << 4;
        QTest::newRow("vertical tab") << int(idApplicatorName) << "John\vRoe"
                                      << ".ApplicatorName" << 4;
        QTest::newRow("tab") << int(idBusinessName) << "Green\tSons"
                             << ".BusinessName" << 4;
    }
    void rejectedValuesKeepTheOldOne() {
        QFETCH(int, property);
        QFETCH(QString, value);
        QFETCH(QString, source);
        QFETCH(int, code);
        IdentityPtr identity = working();
        fillValid(*identity);
        const QString before = identity->GetPropertyValue(property);
        QSignalSpy own(identity.get(), &Identity::PropertyChanged);
        const ErrorInfo e = raisedBy([&] { identity->SetPropertyValue(property, value); });
        QCOMPARE(e.Number() & 0x3FF, code);
        QCOMPARE((e.Number() >> 13) & 7, int(kvetValidation));
        QVERIFY(((e.Number() >> 10) & 7) >= kvesWarning);
        QCOMPARE(e.Source(), QStringLiteral("Vezedad::Identity") + source);
        QVERIFY(!e.Description().isEmpty());
        QCOMPARE(identity->GetPropertyValue(property), before);
        QCOMPARE(own.count(), 0);
    }

    void emptyNamesAreTaken() {
        IdentityPtr identity = working();
        fillValid(*identity);
        identity->setBusinessName(QString());
        identity->setApplicatorName(QString());
        QCOMPARE(identity->BusinessName(), QString());
        QCOMPARE(identity->ApplicatorName(), QString());
    }

    void propertyAccessByNumber() {
        IdentityPtr identity = working();
        fillExample(*identity);
        QCOMPARE(identity->GetPropertyValue(idAll), kExampleLine);
        QCOMPARE(identity->GetPropertyValue(99), QString());
        QCOMPARE(identity->GetPropertyName(idAll), QStringLiteral("All"));
        QCOMPARE(identity->GetPropertyName(idEmail), Globals::Validator().FieldName(idEmail));
        const ErrorInfo e = raisedBy([&] { identity->SetPropertyValue(99, QStringLiteral("x")); });
        QCOMPARE(e.Number(), CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, 5));
        QCOMPARE(e.Description(), QStringLiteral("Unrecognized value (99) for Property parameter"));
        QCOMPARE(e.Source(), QStringLiteral("Vezedad::Identity.SetPropertyValue"));
    }

    void linesAreParsed_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected"); // the line afterwards
        QTest::addColumn<bool>("announced");
        QTest::newRow("plain") << kExampleLine << kExampleLine << true;
        QTest::newRow("quoted") << "\"B\"|\"R\"|\"C\"|\"S\"|\"P\"|\"N\"|||||\"RSC\"|\"A\"|\"E\"|\"ENDOFIDENTITY\"|"
                                << kExampleLine << true;
        QTest::newRow("last first") << "B|R|C|S|P|N|||||RSC|Roe, John|E|"
                                    << "B|R|C|S|P|N|||||RSC|John Roe|E|ENDOFIDENTITY|" << true;
        // Six fields: those six change, the names after them stay, no event.
        QTest::newRow("short") << "b|r|c|s|p|n|"
                               << "b|r|c|s|p|n|||||rsc|old|old@x|ENDOFIDENTITY|" << false;
        // A damaged or hand-edited file may hold control characters: they go.
        QTest::newRow("control characters") << "B\v|R|C\x01|S|P|N|||||RSC|A\t|E\x7f|" << kExampleLine << true;
    }
    void linesAreParsed() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QFETCH(bool, announced);
        IdentityPtr identity = working()->Clone();
        identity->SetPropertyValue(idAll, QStringLiteral("x|x|x|x|x|x|||||xxx|old|old@x|"));
        QSignalSpy own(identity.get(), &Identity::PropertyChanged);
        identity->SetPropertyValue(idAll, line);
        // The run-together field is always rebuilt from the three numbers.
        QCOMPARE(identity->GetPropertyValue(idAll), expected);
        QCOMPARE(own.count(), announced ? 1 : 0);
        if (announced) QCOMPARE(own[0][0].toInt(), int(idAll));
    }

    void saveAndReadTheFile() {
        QTemporaryDir dir;
        IdentityPtr identity = working();
        fillExample(*identity);
        QString path = dir.path();
        QString file;
        identity->Save(path, file);
        QCOMPARE(file, QStringLiteral("identity.txt"));
        QCOMPARE(readFile(dir.filePath(file)), (kExampleLine + QStringLiteral("\r\n")).toLatin1());

        IdentityPtr other = identity->Clone();
        other->SetPropertyValue(idAll, QStringLiteral("z|z|z|z|z|z|||||zzz|z|z|"));
        QVERIFY(other->Read(dir.path()));
        QCOMPARE(other->GetPropertyValue(idAll), kExampleLine);

        // An empty path means the report's year folder.
        QString empty;
        QString name;
        QVERIFY(identity->Read(empty, name));
        QCOMPARE(empty, Globals::ZelReport().ReportPath());

        QTemporaryDir none;
        QVERIFY(!other->Read(none.path()));
        QCOMPARE(other->GetPropertyValue(idAll), kExampleLine);
        writeFile(none.filePath(QStringLiteral("identity.txt")), QByteArray());
        QVERIFY(!other->Read(none.path()));
    }

    // Only a regular file is read: a FIFO named like the identity file would
    // otherwise hold the program at its start.
    void onlyARegularFileIsRead() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("identity.txt"));
        TestSupport::makeFifo(path);
        IdentityPtr identity = working()->Clone();
        identity->SetPropertyValue(idAll, kExampleLine);
        bool read = true;
        QVERIFY(TestSupport::endsWithoutWaiting([&] { read = identity->Read(dir.path()); }, path));
        QVERIFY(!read);
        QCOMPARE(identity->GetPropertyValue(idAll), kExampleLine);
    }

    // The identity is one line and only that line is read; a first line
    // longer than any real identity is a damaged file, which changes nothing.
    void onlyTheFirstLineIsRead() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("identity.txt"));
        IdentityPtr identity = working()->Clone();
        writeFile(path, kExampleLine.toLatin1() + "\r\n" + QByteArray(4 << 20, 'x'));
        QVERIFY(identity->Read(dir.path()));
        QCOMPARE(identity->GetPropertyValue(idAll), kExampleLine);

        const QString before = QStringLiteral("z|z|z|z|z|z|||||zzz|z|z|ENDOFIDENTITY|");
        identity->SetPropertyValue(idAll, before);
        writeFile(path, kExampleLine.toLatin1() + QByteArray(Identity::MaxLineLength, 'x'));
        QVERIFY(!identity->Read(dir.path()));
        QCOMPARE(identity->GetPropertyValue(idAll), before);
    }

    // Byte-order marks that editors put before the line are no part of the
    // business name.
    void markBeforeTheLineIsNoData_data() {
        QTest::addColumn<int>("marks");
        QTest::newRow("one mark") << 1;
        QTest::newRow("two marks") << 2;
    }
    void markBeforeTheLineIsNoData() {
        QFETCH(int, marks);
        QTemporaryDir dir;
        writeFile(dir.filePath(QStringLiteral("identity.txt")),
                  QByteArray("\xEF\xBB\xBF").repeated(marks) + kExampleLine.toLatin1() + "\r\n");
        IdentityPtr identity = working()->Clone();
        QVERIFY(identity->Read(dir.path()));
        QCOMPARE(identity->GetPropertyValue(idAll), kExampleLine);
    }

    // A year folder whose identity file cannot be read (its first line is
    // longer than the reader takes, or it is UTF-16) leaves the identity as
    // it was; the file is replaced only when the user says so. After a No
    // every later save into it asks again: none goes by as if it saved.
    void unreadableFileIsReplacedOnlyWhenTheUserSaysSo_data() {
        QTest::addColumn<QByteArray>("unreadable");
        QTest::addColumn<QString>("why");
        QTest::addColumn<QList<int>>("answers"); // the year change's, a save's, the next year change's
        const QByteArray tooLong = "Kept|" + QByteArray(Identity::MaxLineLength, 'x') + "\r\n";
        const QString longWhy = QStringLiteral(" (its first line is longer than 65536 characters)");
        QTest::newRow("Yes") << tooLong << longWhy << QList<int>{Ui::vbYes};
        QTest::newRow("No, then No") << tooLong << longWhy << QList<int>{Ui::vbNo, Ui::vbNo, Ui::vbNo};
        QTest::newRow("No, then Yes") << tooLong << longWhy << QList<int>{Ui::vbNo, Ui::vbYes};
        QTest::newRow("UTF-16, No") << QByteArray("\xFF\xFEK\0e\0p\0t\0|\0\r\0\n\0", 16)
                                    << QStringLiteral(" is Unicode text (UTF-16, little-endian)")
                                    << QList<int>{Ui::vbNo, Ui::vbNo, Ui::vbNo};
    }
    void unreadableFileIsReplacedOnlyWhenTheUserSaysSo() {
        QFETCH(QByteArray, unreadable);
        QFETCH(QString, why);
        QFETCH(QList<int>, answers);
        ZelReport& report = Globals::ZelReport();
        IdentityPtr identity = working();
        fillExample(*identity);
        const QString folder = QFileInfo(report.ReportPath()).dir().filePath(QStringLiteral("ZOV2021"));
        const QString path = QDir(folder).filePath(QStringLiteral("identity.txt"));
        QDir().mkpath(folder);
        writeFile(path, unreadable);
        const QByteArray example = (kExampleLine + QStringLiteral("\r\n")).toLatin1();
        const bool replaced = answers.contains(Ui::vbYes);
        {
            TestSupport::UiScript ui;
            for (int answer : answers) ui.expectBox(answer);
            report.ChangeReportYear(2021); // its folder cannot take the identity without a word
            QCOMPARE(report.ReportYear(), qint16(2021));
            QCOMPARE(identity->GetPropertyValue(idAll), kExampleLine);
            QCOMPARE(readFile(path), answers.first() == Ui::vbYes ? example : unreadable);
            QCOMPARE(ui.boxes().size(), 1);
            QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Identity Information"));
            const QString prompt = ui.boxes().at(0).prompt;
            QVERIFY2(prompt.contains(path + why), qPrintable(prompt));
            QCOMPARE(ui.boxes().at(0).buttons, Ui::vbYesNo | Ui::vbExclamation | Ui::vbDefaultButton2);
            identity->Save();
            report.ChangeReportYear(2024);
            QCOMPARE(ui.boxes().size(), answers.size());
            for (const auto& box : ui.boxes()) QCOMPARE(box.prompt, prompt);
        }
        QCOMPARE(readFile(path), replaced ? example : unreadable);
        QDir(folder).removeRecursively();
    }

    // The identity is the first line that holds text: empty lines and lines
    // of blanks before it (a mark among them) are passed over, never read as
    // an empty identity that the next save would write over the file. A file
    // in UTF-8 is read as such; the save writes Windows-1252.
    void identityIsTheFirstLineWithText_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("business");
        const QByteArray line = kExampleLine.toLatin1() + "\r\n";
        QTest::newRow("empty line first") << "\r\n" + line << QStringLiteral("B");
        QTest::newRow("mark, then an empty line") << "\xEF\xBB\xBF\r\n" + line << QStringLiteral("B");
        QTest::newRow("blank lines first") << "  \n\n" + line << QStringLiteral("B");
        QTest::newRow("UTF-8") << "CAF\xC3\x89 \xC3\x9ANO" + line.mid(1) << QStringLiteral("CAF\u00C9 \u00DANO");
    }
    void identityIsTheFirstLineWithText() {
        QFETCH(QByteArray, file);
        QFETCH(QString, business);
        ZelReport& report = Globals::ZelReport();
        IdentityPtr identity = working();
        identity->SetPropertyValue(idAll, QStringLiteral("z|z|z|z|z|z|||||zzz|z|z|ENDOFIDENTITY|"));
        const QString folder = QFileInfo(report.ReportPath()).dir().filePath(QStringLiteral("ZOV2021"));
        const QString path = QDir(folder).filePath(QStringLiteral("identity.txt"));
        QDir().mkpath(folder);
        writeFile(path, file);
        report.ChangeReportYear(2021);
        QCOMPARE(identity->BusinessName(), business);
        QCOMPARE(identity->Email(), QStringLiteral("E"));
        report.ChangeReportYear(2024);
        QCOMPARE(readFile(path),
                 Cp1252::encodeOrRaise(QString(kExampleLine).replace(0, 1, business), QString()) + "\r\n");
        QDir(folder).removeRecursively();
    }

    void cloneNeverWrites() {
        QTemporaryDir dir;
        working()->Clone()->Save(dir.path());
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    void failedSaveKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("identity.txt"));
        writeFile(path, "old|line|\r\n");
        IdentityPtr identity = working();
        // A line read from elsewhere may hold text the file's code page lacks.
        identity->SetPropertyValue(idAll, QStringLiteral("Ω 中|1|2|3|4|5|"));
        const ErrorInfo e = raisedBy([&] { identity->Save(dir.path()); });
        QVERIFY(e.Number() != 0);
        QVERIFY2(e.Source().startsWith(QLatin1String("Vezedad::Identity.Save\r\n-->")), qPrintable(e.Source()));
        QCOMPARE(readFile(path), QByteArray("old|line|\r\n"));

        fillExample(*identity);
        const ErrorInfo missing = raisedBy([&] { identity->Save(dir.filePath(QStringLiteral("no/such"))); });
        QCOMPARE(missing.Number(), 70);
        QCOMPARE(missing.Description(), QStringLiteral("Path not found: ") + dir.filePath(QStringLiteral("no/such")) +
                                            QStringLiteral(" (No such file or directory); nothing was saved."));
    }

    void serializedElement() {
        IdentityPtr identity = working();
        fillValid(*identity);
        identity->SetPropertyValue(
            idAll,
            QStringLiteral("Green & Sons <Lawn>|12345|A1234567|R12345||Jane Doe|||||x|John Roe|jane@example.com|"));
        const QDomElement element = identity->Serialize();
        QVERIFY(element.parentNode().isNull());
        QString text;
        QTextStream stream(&text);
        element.save(stream, -1);
        QCOMPARE(text, QStringLiteral(
                           "<Identity><BusinessName>Green &amp; Sons &lt;Lawn></BusinessName>"
                           "<BusRegNumber>12345</BusRegNumber><SalesPermitNumber>R12345</SalesPermitNumber>"
                           "<CertificationId>A1234567</CertificationId><ApplicatorName>John Roe</ApplicatorName>"
                           "<ContactName>Jane Doe</ContactName><Email>jane@example.com</Email><Phone/></Identity>"));
    }

    void yearFoldersKeepTheIdentity() {
        ZelReport& report = Globals::ZelReport();
        IdentityPtr identity = working();
        fillExample(*identity);
        report.ChangeReportYear(2023); // saves into 2024's folder, copies into 2023's
        const QString folder2024 = QFileInfo(report.ReportPath()).dir().filePath(QStringLiteral("ZOV2024"));
        QCOMPARE(readFile(QDir(folder2024).filePath(QStringLiteral("identity.txt"))),
                 (kExampleLine + QStringLiteral("\r\n")).toLatin1());
        QCOMPARE(readFile(QDir(report.ReportPath()).filePath(QStringLiteral("identity.txt"))),
                 (kExampleLine + QStringLiteral("\r\n")).toLatin1());

        // A year folder with its own file loads that identity.
        const QString folder2022 = QFileInfo(report.ReportPath()).dir().filePath(QStringLiteral("ZOV2022"));
        QDir().mkpath(folder2022);
        writeFile(QDir(folder2022).filePath(QStringLiteral("identity.txt")), "Other|||||||||||||ENDOFIDENTITY|\r\n");
        report.ChangeReportYear(2022);
        QCOMPARE(identity->BusinessName(), QStringLiteral("Other"));
        QCOMPARE(report.Identity(), identity);
        report.ChangeReportYear(2024);
    }
};

QTEST_GUILESS_MAIN(tst_identity)
#include "tst_identity.moc"
