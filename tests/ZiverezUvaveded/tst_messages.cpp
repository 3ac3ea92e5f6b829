#include "support/TestSupport.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "ZiverezUvaveded/Messages.h"

#include <QDomDocument>
#include <QtTest>

using namespace VezirodEdovud;
using Vezedad::ErrorInfo;

namespace {

QDomDocument parsed(const QString& xml) {
    QDomDocument doc;
    doc.setContent(xml);
    return doc;
}

// Name, length and compliance of every entry, one line each.
QString describe(const FileDescriptions& files) {
    QStringList lines;
    for (const FileDescriptionPtr& f : files)
        lines << f->Name() + QLatin1Char(',') + QString::number(f->Length()) + QLatin1Char(',') +
                     QString::number(f->Compliant());
    return lines.join(QLatin1Char(';'));
}

} // namespace

class tst_messages : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        Vezedad::Globals::ZelReport().ChangeReportYear(2024);
        Vezedad::Globals::ZelReport().Identity()->SetPropertyValue(
            Vezedad::idAll,
            QStringLiteral("Green & Sons|12345|A1234567|R12345|609-555-1234|Jane Doe|||||x|John Roe|j@x.com|"));
    }

    void requestSerialisesInOrder() {
        SubmitMetadataRequest request;
        QCOMPARE(request.Identity(), Vezedad::Globals::ZelReport().Identity());
        QCOMPARE(request.Metadata().ReportYear(), qint16(2024));
        QCOMPARE(request.Metadata().Channel(), QStringLiteral("ZelReportService"));
        request.Metadata().setClientOption(Vezedad::kvoOptionA);
        request.Metadata().setClientVersion(QStringLiteral("1.2.3.4"));
        QCOMPARE(request.XmlText(),
                 QStringLiteral("<SubmitMetadataRequest><Metadata><ReportYear>2024</ReportYear><Client>OptionA</Client>"
                                "<ClientVersion>1.2.3.4</ClientVersion><ClientOS/><Channel>ZelReportService</Channel>"
                                "<Comment/></Metadata><Identity><BusinessName>Green &amp; Sons</BusinessName>"
                                "<BusRegNumber>12345</BusRegNumber><SalesPermitNumber>R12345</SalesPermitNumber>"
                                "<CertificationId>A1234567</CertificationId><ApplicatorName>John Roe</ApplicatorName>"
                                "<ContactName>Jane Doe</ContactName><Email>j@x.com</Email>"
                                "<Phone>609-555-1234</Phone></Identity></SubmitMetadataRequest>"));
        QVERIFY(request.Serialize().parentNode().isNull());

        // Typed text is escaped by the XML library, never pasted in.
        request.Metadata().setComment(QStringLiteral("</Comment><Ticket>1</Ticket>"));
        const QDomDocument back = parsed(request.XmlText());
        QCOMPARE(back.elementsByTagName(QStringLiteral("Ticket")).size(), 0);
        QCOMPARE(back.elementsByTagName(QStringLiteral("Comment")).at(0).toElement().text(),
                 QStringLiteral("</Comment><Ticket>1</Ticket>"));
    }

    void requestWithoutIdentityFails() {
        SubmitMetadataRequest request;
        request.setIdentity(nullptr);
        const ErrorInfo e = TestSupport::raisedBy([&] { request.Serialize(); });
        QCOMPARE(e.Number(), 91);
        QCOMPARE(e.Source(), QStringLiteral("VezirodEdovud2:SubmitMetadataRequest.Serialize\r\n"));
    }

    void clientAndOption_data() {
        QTest::addColumn<QString>("client");
        QTest::addColumn<int>("option");
        QTest::newRow("unspaced") << "OptionA" << 1;
        QTest::newRow("spaced lower") << "option b" << 2;
        QTest::newRow("upper") << "OPTIONC" << 3;
        QTest::newRow("other") << "Spreadsheet" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void clientAndOption() {
        QFETCH(QString, client);
        QFETCH(int, option);
        SubmitMetadataRequest request;
        request.Metadata().setClient(client);
        QCOMPARE(request.Metadata().Client(), client);
        QCOMPARE(request.Metadata().ClientOption(), option);
    }

    void optionSetsClientName() {
        SubmitMetadataRequest request;
        request.Metadata().setClientOption(Vezedad::kvoOptionC);
        QCOMPARE(request.Metadata().Client(), QStringLiteral("OptionC"));
        request.Metadata().setClientOption(Vezedad::kvoUnknown);
        QCOMPARE(request.Metadata().Client(), QStringLiteral("OptionUnknown"));
    }

    void uploadReplyIsRead_data() {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("ticket");
        QTest::addColumn<bool>("compliant");
        QTest::addColumn<QString>("files");
        QTest::newRow("full")
            << "<UploadFileResponse><Year>2024</Year><Ticket>77</Ticket><Compliant>true</Compliant><Files>"
               "<FileDescription><Name>a.txt</Name><Length>10</Length><Compliant>true</Compliant></FileDescription>"
               "<FileDescription><Name>b.txt</Name><Length>2x</Length><Compliant>TRUE</Compliant></FileDescription>"
               "<FileDescription><Name>c.txt</Name><Compliant>maybe</Compliant></FileDescription>"
               "<FileDescription><Name>A.TXT</Name><Length>99</Length></FileDescription>"
               "<FileDescription><Name>d.txt</Name><Length>99999999999</Length><Compliant>false</Compliant></"
               "FileDescription>"
               "<FileDescription><Name>e.txt</Name><Length>7</Length></FileDescription>"
               "</Files></UploadFileResponse>"
            << 2024 << 77 << true << "a.txt,10,-1;b.txt,-1,-1;c.txt,0,-2;d.txt,-1,0;e.txt,7,-2";
        QTest::newRow("empty files") << "<UploadFileResponse><Files/><Compliant></Compliant></UploadFileResponse>" << 0
                                     << 0 << false << "";
        QTest::newRow("no files") << "<UploadFileResponse><Ticket>x1</Ticket><Year>soon</Year><Compliant>1</Compliant>"
                                     "</UploadFileResponse>"
                                  << 0 << 0 << true << "";
        QTest::newRow("other root") << "<Reply><UploadFileResponse><Ticket>5</Ticket></UploadFileResponse></Reply>" << 0
                                    << 0 << false << "";
    }
    void uploadReplyIsRead() {
        QFETCH(QString, xml);
        QFETCH(int, year);
        QFETCH(int, ticket);
        QFETCH(bool, compliant);
        QFETCH(QString, files);
        UploadFileResponse reply;
        reply.Deserialize(parsed(xml));
        // Only a document that is an upload reply counts as a receipt.
        QCOMPARE(reply.ReceiptRead(), xml.startsWith(QLatin1String("<UploadFileResponse>")));
        QCOMPARE(reply.ReportYear(), year);
        QCOMPARE(reply.Ticket(), ticket);
        QCOMPARE(reply.Compliant(), compliant);
        QCOMPARE(describe(reply.Files()), files);
    }

    void unreadableComplianceIsATypeMismatch() {
        UploadFileResponse reply;
        const ErrorInfo e = TestSupport::raisedBy([&] {
            reply.Deserialize(
                parsed(QStringLiteral("<UploadFileResponse><Compliant>yes</Compliant></UploadFileResponse>")));
        });
        QCOMPARE(e.Number(), 13);
    }

    void fileCollection() {
        FileDescriptions files;
        QCOMPARE(files.Add(nullptr), 0);
        QCOMPARE(files.Add(std::make_shared<FileDescription>(QStringLiteral("a.txt"), 1, fcCompliant)), 1);
        QCOMPARE(files.Add(std::make_shared<FileDescription>(QStringLiteral("b.txt"), 2, fcNotCompliant)), 2);
        QCOMPARE(files.Add(std::make_shared<FileDescription>(QStringLiteral("A.TXT"), 3, fcNotCompliant)), 1);
        const FileDescriptionPtr kept = files.AddNew(QStringLiteral("B.txt"), 50, fcUndetermined);
        QCOMPARE(kept->Length(), 2);
        QCOMPARE(files.Count(), 2);
        QVERIFY(!files.Exists(0));
        QVERIFY(files.Exists(2));
        QVERIFY(!files.Exists(3));
        QVERIFY(files.Exists(QStringLiteral("B.TXT")));
        QVERIFY(files.Exists(kept));
        QCOMPARE(files.Index(QStringLiteral("b.TXT")), 2);
        QCOMPARE(files.Index(QStringLiteral("z.txt")), 0);
        QVERIFY(!files.Item(QStringLiteral("z.txt")));
        QVERIFY(!files.Item(0));
        QCOMPARE(files.Item(1)->Name(), QStringLiteral("a.txt"));
        files.Remove(QStringLiteral("z.txt"));
        files.Remove(7);
        QCOMPARE(files.Count(), 2);
        files.Remove(kept);
        QCOMPARE(describe(files), QStringLiteral("a.txt,1,-1"));
        files.Clear();
        QCOMPARE(files.Count(), 0);

        const FileDescription fresh;
        QCOMPARE(fresh.Name(), QString());
        QCOMPARE(fresh.Length(), 0);
        QCOMPARE(fresh.Compliant(), qint32(fcNotCompliant));
    }
};

QTEST_GUILESS_MAIN(tst_messages)
#include "tst_messages.moc"
