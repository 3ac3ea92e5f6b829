#include "support/FilingService.h"
#include "support/TestSupport.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Utilities.h"
#include "ZiverezUvaveded/Globals.h"
#include "ZiverezUvaveded/Proxy.h"

#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using TestSupport::raisedBy;
using TestSupport::writeFile;

using namespace VezirodEdovud;
using TestSupport::Behaviour;
using TestSupport::Fault;
using TestSupport::FilingService;
using TestSupport::Route;
using Vezedad::ErrorInfo;

Q_DECLARE_METATYPE(TestSupport::Behaviour)

namespace {

// A zip archive of stored entries, enough for the service to list them.
QByteArray makeZip(const QList<std::pair<QByteArray, QByteArray>>& files) {
    QByteArray out, central;
    auto u16 = [](QByteArray& b, quint16 v) { b.append(char(v & 0xff)).append(char(v >> 8)); };
    auto u32 = [&](QByteArray& b, quint32 v) {
        u16(b, quint16(v & 0xffff));
        u16(b, quint16(v >> 16));
    };
    for (const auto& [name, data] : files) {
        const quint32 offset = quint32(out.size());
        u32(out, 0x04034b50);
        u16(out, 20);
        u16(out, 0);
        u16(out, 0);
        u16(out, 0);
        u16(out, 0);
        u32(out, 0);
        u32(out, quint32(data.size()));
        u32(out, quint32(data.size()));
        u16(out, quint16(name.size()));
        u16(out, 0);
        out += name + data;
        u32(central, 0x02014b50);
        u16(central, 20);
        u16(central, 20);
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u32(central, 0);
        u32(central, quint32(data.size()));
        u32(central, quint32(data.size()));
        u16(central, quint16(name.size()));
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u16(central, 0);
        u32(central, 0);
        u32(central, offset);
        central += name;
    }
    const quint32 centralOffset = quint32(out.size());
    out += central;
    u32(out, 0x06054b50);
    u16(out, 0);
    u16(out, 0);
    u16(out, quint16(files.size()));
    u16(out, quint16(files.size()));
    u32(out, quint32(central.size()));
    u32(out, centralOffset);
    u16(out, 0);
    return out;
}

// Rows of the faults that leave a request without a whole answer: each is
// the transport error.
void addTransportFaultRows() {
    const std::pair<const char*, Fault> faults[] = {
        {"silent", Fault::NoAnswer}, {"closed halfway", Fault::CloseHalfway}, {"closed at once", Fault::CloseAtOnce}};
    for (const auto& [name, kind] : faults) {
        Behaviour behaviour;
        behaviour.fault = kind;
        QTest::newRow(name) << behaviour << Proxy::TransportFailure << QString();
    }
}

} // namespace

class tst_proxy : public QObject {
    Q_OBJECT

    std::unique_ptr<FilingService> m_service;
    QTemporaryDir m_dir;
    QString m_archive;
    QByteArray m_archiveBytes;

    Proxy& proxy() { return Globals::Proxy(); }

    // A fresh client for this thread that reads the settings again.
    void remakeProxy(const QString& host) {
        Globals::Release();
        Vezedad::Globals::Configuration().SetDynamicSetting(QStringLiteral("Host"), host);
        Proxy::Timeouts t;
        t.quickMs = 1500;
        t.silenceMs = 1500;
        proxy().setTimeouts(t);
    }

    std::unique_ptr<SubmitMetadataRequest> makeRequest() {
        auto request = std::make_unique<SubmitMetadataRequest>();
        request->Metadata().setClientOption(Vezedad::kvoOptionA);
        request->Metadata().setClientVersion(QStringLiteral("1.2.3.4"));
        return request;
    }

    void expectError(const std::function<void()>& body, qint32 number, const QString& description,
                     const QString& source) {
        const ErrorInfo e = raisedBy(body);
        QCOMPARE(QString::number(e.Number(), 16), QString::number(number, 16));
        if (!description.isNull()) QCOMPARE(e.Description(), description);
        if (!source.isNull()) QCOMPARE(e.Source(), source);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        Vezedad::Globals::Configuration().setReportYear(2024);
        m_service = std::make_unique<FilingService>();
        m_service->useForThisThread();
        remakeProxy(m_service->host());
        m_archive = m_dir.filePath(QStringLiteral("ZelFiles2024.zip"));
        m_archiveBytes = makeZip({{"M1234560 0.txt", QByteArray(120, 'x')}, {"P1234567800.txt", QByteArray(45, 'y')}});
        writeFile(m_archive, m_archiveBytes);
    }
    void init() { m_service->reset(); }
    void cleanupTestCase() {
        Globals::Release();
        m_service.reset();
    }

    void factoryGuardsTheClient() {
        QCOMPARE(&Globals::Proxy(), &Globals::Proxy());
        expectError([] { Proxy direct; }, 1002, QStringLiteral("Proxy class was not instantiated with factory method"),
                    QStringLiteral("VezirodEdovud::Proxy"));
        QCOMPARE(proxy().BaseAddress(), QStringLiteral("http://") + m_service->host() + QStringLiteral("/Report.svc/"));
    }

    void secureHostIsKeptAsGiven() {
        remakeProxy(QStringLiteral("https://127.0.0.1:1"));
        QCOMPARE(proxy().BaseAddress(), QStringLiteral("https://127.0.0.1:1/Report.svc/"));
        remakeProxy(m_service->host());
    }

    void checkServiceAnswersAtOnce() {
        QVERIFY(proxy().CheckService());
        const auto pings = m_service->requests();
        QCOMPARE(pings.size(), 1);
        QCOMPARE(pings[0].method, QByteArray("GET"));
        QCOMPARE(pings[0].target, QByteArray("/Report.svc/"));
        QCOMPARE(pings[0].route, Route::Ping);
    }

    void checkServiceTriesTwice_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("fault");
        QTest::newRow("204") << 204 << int(Fault::None);
        QTest::newRow("500") << 500 << int(Fault::None);
        QTest::newRow("silent") << 200 << int(Fault::NoAnswer);
        QTest::newRow("closed halfway") << 200 << int(Fault::CloseHalfway);
    }
    void checkServiceTriesTwice() {
        QFETCH(int, status);
        QFETCH(int, fault);
        Behaviour b;
        b.status = status;
        b.fault = Fault(fault);
        m_service->setBehaviour(Route::Ping, b);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!proxy().CheckService());
        QVERIFY(clock.elapsed() >= 1000);
        QCOMPARE(m_service->requests(Route::Ping).size(), 2);
    }

    void unreachableServiceIsNoAnswer() {
        // Nothing listens on the discard port.
        remakeProxy(QStringLiteral("127.0.0.1:9"));
        QVERIFY(!proxy().Ping());
        const ErrorInfo e = raisedBy([&] { proxy().CurrentVersion(QStringLiteral("OptionA")); });
        QCOMPARE(e.Number(), Proxy::TransportFailure);
        QVERIFY(!e.Description().isEmpty());
        QCOMPARE(e.Source(), QStringLiteral("VezirodEdovud2:Proxy.CurrentVersion-->"));
        remakeProxy(m_service->host());
    }

    void currentVersionIsRead() {
        m_service->setClientVersion(QStringLiteral("OptionB"), QStringLiteral("2.3.4.5"));
        const Vezedad::ClientVersionPtr version = proxy().CurrentVersion(QStringLiteral("OptionB"));
        QCOMPARE(version->Version(), QStringLiteral("2.3.4.5"));
        QCOMPARE(version->Major(), qint16(2));
        QCOMPARE(version->Revision(), qint16(5));
        QCOMPARE(m_service->requests()[0].target, QByteArray("/Report.svc/Client/OptionB/Version"));
    }

    void unknownClientGetsNoVersionText() {
        const QString client = QStringLiteral("Option A");
        const Vezedad::ClientVersionPtr version = proxy().CurrentVersion(client);
        const Vezedad::ClientVersionPtr expected = Vezedad::Utilities::MakeVersionFromString(
            QStringLiteral("No version information found for Option A at Report Service."));
        QCOMPARE(version->Version(), expected->Version());
        // The blank travels escaped; an ordinary name stays as it is.
        QCOMPARE(m_service->requests()[0].target, QByteArray("/Report.svc/Client/Option%20A/Version"));
    }

    void silentVersionRequestTimesOut() {
        m_service->setFault(Route::Version, Fault::NoAnswer);
        QElapsedTimer clock;
        clock.start();
        const ErrorInfo e = raisedBy([&] { proxy().CurrentVersion(QStringLiteral("OptionA")); });
        QCOMPARE(e.Number(), Proxy::TransportFailure);
        QVERIFY2(e.Description().contains(QLatin1String("did not answer")), qPrintable(e.Description()));
        QVERIFY(clock.elapsed() < 5000);
    }

    void slowAnswerWithinTheLimitIsTaken() {
        m_service->setFault(Route::Version, Fault::None, 500);
        QCOMPARE(proxy().CurrentVersion(QStringLiteral("OptionC"))->Version(), QStringLiteral("1.0.0.0"));
    }

    void uploadSendsRecordThenArchive() {
        m_service->setNextTicket(4711);
        m_service->setNonCompliant({QStringLiteral("P1234567800.txt")});
        const auto request = makeRequest();
        const UploadFileResponsePtr reply = proxy().UploadReport(*request, m_archive);

        const auto all = m_service->requests();
        QCOMPARE(all.size(), 2);
        const auto& submission = all[0];
        QCOMPARE(submission.method, QByteArray("POST"));
        QCOMPARE(submission.target, QByteArray("/Report.svc/Submission"));
        QCOMPARE(submission.header("Content-Type"), QByteArray("text/xml"));
        QCOMPARE(QString::fromUtf8(submission.body), request->XmlText());
        QDomDocument sent;
        QVERIFY(sent.setContent(submission.body));
        QCOMPARE(sent.documentElement().tagName(), QStringLiteral("SubmitMetadataRequest"));

        const auto& upload = all[1];
        QCOMPARE(upload.method, QByteArray("POST"));
        QCOMPARE(upload.target, QByteArray("/Report.svc/Submission/2024/4711/ZelFiles2024.zip"));
        QCOMPARE(upload.header("Content-Type"), QByteArray("application/zip"));
        QCOMPARE(upload.header("Content-Length"), QByteArray::number(m_archiveBytes.size()));
        QVERIFY(!upload.hasHeader("Expect"));
        QCOMPARE(upload.body, m_archiveBytes);

        QVERIFY(reply);
        QVERIFY(reply->ReceiptRead());
        QCOMPARE(reply->Ticket(), 4711);
        QCOMPARE(reply->ReportYear(), 2024);
        QCOMPARE(reply->Compliant(), false);
        QCOMPARE(reply->Files().Count(), 2);
        QCOMPARE(reply->Files().Item(1)->Name(), QStringLiteral("M1234560 0.txt"));
        QCOMPARE(reply->Files().Item(1)->Length(), 120);
        QCOMPARE(reply->Files().Item(1)->Compliant(), qint32(fcCompliant));
        QCOMPARE(reply->Files().Item(2)->Compliant(), qint32(fcNotCompliant));
    }

    void partialUploadExpectsAccepted() {
        const auto request = makeRequest();
        const SubmitMetadataResponsePtr submission = proxy().SubmitMetadata(*request);
        QCOMPARE(submission->Ticket(), 1000);
        QVERIFY(submission->Location().endsWith(QLatin1String("/Submission/2024/1000")));
        QVERIFY(!proxy().UploadFile(m_archive, submission->Ticket(), true));
        QCOMPARE(m_service->requests(Route::Upload)[0].header("Expect"), QByteArray("202-Accepted"));

        Behaviour b;
        b.status = 200;
        m_service->setBehaviour(Route::Upload, b);
        expectError([&] { proxy().UploadFile(m_archive, submission->Ticket(), true); }, 1004,
                    QStringLiteral("Http Status 200: OK while uploading partial report."),
                    QStringLiteral("VezirodEdovud2:Proxy.UploadFile-->Proxy::UploadFile"));
    }

    void addressPartsAreEscaped() {
        const QString odd = m_dir.filePath(QStringLiteral("Zel Files#1.zip"));
        writeFile(odd, "plain bytes");
        const auto request = makeRequest();
        const UploadFileResponsePtr reply = proxy().UploadReport(*request, odd);
        QCOMPARE(m_service->requests(Route::Upload)[0].target,
                 QByteArray("/Report.svc/Submission/2024/1000/Zel%20Files%231.zip"));
        QCOMPARE(reply->Files().Item(1)->Name(), QStringLiteral("Zel Files#1.zip"));
        QCOMPARE(reply->Files().Item(1)->Length(), 11);
    }

    void submissionFaults_data() {
        QTest::addColumn<Behaviour>("behaviour");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("description"); // null: not compared
        Behaviour badIds;
        badIds.status = 400;
        badIds.body = QByteArray("Rejected: bad id values for permit");
        QTest::newRow("bad id values") << badIds << qint32(380) << QStringLiteral("Rejected: bad id values for permit");
        Behaviour server;
        server.status = 500;
        server.body = QByteArray("boom");
        QTest::newRow("500") << server << qint32(1004)
                             << QStringLiteral("Http Status 500: Internal Server Error\r\nboom");
        Behaviour teapot;
        teapot.status = 418;
        teapot.reason = "I'm a teapot";
        teapot.body = QByteArray();
        QTest::newRow("odd status") << teapot << qint32(1004) << QStringLiteral("Http Status 418: I'm a teapot\r\n");
        Behaviour noTicket;
        noTicket.body = QByteArray("<SubmitMetadataResponse><Location>x</Location></SubmitMetadataResponse>");
        QTest::newRow("no ticket") << noTicket << qint32(1004) << QString();
        Behaviour wordTicket;
        wordTicket.body = QByteArray("<R><Ticket>abc</Ticket></R>");
        QTest::newRow("ticket not a number") << wordTicket << qint32(1004) << QString();
        Behaviour zeroTicket;
        zeroTicket.body = QByteArray("<SubmitMetadataResponse><Ticket>0</Ticket></SubmitMetadataResponse>");
        QTest::newRow("ticket 0") << zeroTicket << qint32(1004) << QString();
        Behaviour negativeTicket;
        negativeTicket.body = QByteArray("<SubmitMetadataResponse><Ticket> -12 </Ticket></SubmitMetadataResponse>");
        QTest::newRow("negative ticket") << negativeTicket << qint32(1004) << QString();
        Behaviour malformed;
        malformed.body = QByteArray("<SubmitMetadataResponse><Ticket>12</Tick");
        QTest::newRow("malformed") << malformed << qint32(1004) << QString();
        Behaviour moved;
        moved.status = 301;
        moved.body = QByteArray();
        moved.location = "/Report.svc/Elsewhere";
        // Following it would turn the submission into a request without its record.
        QTest::newRow("moved permanently")
            << moved << qint32(1004) << QStringLiteral("Http Status 301: Moved Permanently\r\n");
        addTransportFaultRows();
    }
    void submissionFaults() {
        QFETCH(Behaviour, behaviour);
        QFETCH(qint32, number);
        QFETCH(QString, description);
        m_service->setBehaviour(Route::Submission, behaviour);
        const auto request = makeRequest();
        const ErrorInfo e = raisedBy([&] { proxy().UploadReport(*request, m_archive); });
        QCOMPARE(e.Number(), number);
        if (!description.isNull()) QCOMPARE(e.Description(), description);
        if (number == 1004 && description.isNull())
            QVERIFY2(e.Description().startsWith(QLatin1String("Http Status 201: Created\r\n")) &&
                         e.Description().contains(QLatin1String("no ticket")),
                     qPrintable(e.Description()));
        QCOMPARE(e.Source(),
                 QStringLiteral("VezirodEdovud2:Proxy.UploadReport\r\nVezirodEdovud2:Proxy.SubmitMetadata\r\n"));
        QCOMPARE(m_service->requests(Route::Submission).size(), 1);
        QCOMPARE(m_service->requests(Route::Upload).size(), 0);
    }

    void unsendableCharactersAreRefused_data() {
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("clientOS");
        QTest::addColumn<QString>("refusal"); // empty: the record is sent
        QTest::newRow("control in comment") << QStringLiteral("late\x01 report") << QString()
                                            << QStringLiteral("The value of Comment holds a character that cannot be "
                                                              "sent (U+0001 at position 5); nothing was sent.");
        QTest::newRow("escape in OS") << QString() << QStringLiteral("Linux\x1b[0m")
                                      << QStringLiteral("ClientOS holds a character that cannot be sent (U+001B at "
                                                        "position 6)");
        QTest::newRow("not a character") << QString() << QString(QChar(0xFFFF))
                                         << QStringLiteral("(U+FFFF at position 1)");
        QTest::newRow("lone surrogate") << QStringLiteral("a") + QChar(0xD800) << QString()
                                        << QStringLiteral("(U+D800 at position 2)");
        QTest::newRow("tab and line ends")
            << QStringLiteral("one\ttwo\r\nthree\n") << QStringLiteral("Linux \U0001F427") << QString();
    }
    // A value XML cannot carry never reaches the service as a malformed record.
    void unsendableCharactersAreRefused() {
        QFETCH(QString, comment);
        QFETCH(QString, clientOS);
        QFETCH(QString, refusal);
        const auto request = makeRequest();
        request->Metadata().setComment(comment);
        request->Metadata().setClientOS(clientOS);
        const ErrorInfo e = raisedBy([&] { proxy().UploadReport(*request, m_archive); });
        if (refusal.isEmpty()) {
            QCOMPARE(e.Number(), 0);
            QCOMPARE(m_service->requests(Route::Submission).size(), 1);
            return;
        }
        QCOMPARE(e.Number(), qint32(Vezedad::errInvalidProcedureCall));
        QVERIFY2(e.Description().contains(refusal), qPrintable(e.Description()));
        QVERIFY2(e.Source().startsWith(QStringLiteral("VezirodEdovud2:Proxy.UploadReport\r\n")),
                 qPrintable(e.Source()));
        QVERIFY(m_service->requests().isEmpty());
    }

    void redirectToTheSameRequestIsFollowed_data() {
        QTest::addColumn<int>("route");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("expectedSends"); // of the redirected route
        QTest::newRow("submission 307") << int(Route::Submission) << 307 << 1 << 2;
        QTest::newRow("file 308") << int(Route::Upload) << 308 << 2 << 3;
        QTest::newRow("endless") << int(Route::Submission) << 307 << 0 << 6;
    }
    // The service has not taken a request it redirects with 307 or 308: the
    // same request goes to the new address, a bounded number of times.
    void redirectToTheSameRequestIsFollowed() {
        QFETCH(int, route);
        QFETCH(int, status);
        QFETCH(int, times);
        QFETCH(int, expectedSends);
        const auto request = makeRequest();
        const QByteArray target = route == int(Route::Submission)
                                      ? QByteArray("/Report.svc/Submission")
                                      : QByteArray("/Report.svc/Submission/2024/1000/x.zip");
        Behaviour redirect;
        redirect.status = status;
        redirect.body = QByteArray();
        redirect.location = target;
        redirect.times = times;
        m_service->setBehaviour(Route(route), redirect);
        const ErrorInfo e = raisedBy([&] { proxy().UploadReport(*request, m_archive); });
        const auto sends = m_service->requests(Route(route));
        QCOMPARE(sends.size(), expectedSends);
        for (const auto& send : sends) QCOMPARE(send.body, sends.first().body);
        if (times == 0) {
            QCOMPARE(e.Number(), qint32(1004));
            QVERIFY(m_service->requests(Route::Upload).isEmpty());
            return;
        }
        QCOMPARE(e.Number(), 0);
        QCOMPARE(sends.last().target, target);
        QCOMPARE(m_service->requests(Route::Upload).last().body, m_archiveBytes);
    }

    void ticketIsFoundAtAnyDepth() {
        Behaviour nested;
        nested.body =
            QByteArray("<Reply><Outer><Inner><Ticket> 1000 </Ticket></Inner></Outer><Ticket>5</Ticket></Reply>");
        m_service->setBehaviour(Route::Submission, nested);
        const auto request = makeRequest();
        proxy().UploadReport(*request, m_archive);
        QCOMPARE(m_service->requests(Route::Upload)[0].target,
                 QByteArray("/Report.svc/Submission/2024/1000/ZelFiles2024.zip"));
    }

    void uploadFaults_data() {
        QTest::addColumn<Behaviour>("behaviour");
        QTest::addColumn<qint32>("number");
        QTest::addColumn<QString>("description");
        Behaviour created;
        created.status = 201;
        QTest::newRow("201") << created << qint32(1004)
                             << QStringLiteral("Http Status 201: Created while uploading last file.");
        Behaviour server;
        server.status = 503;
        QTest::newRow("503") << server << qint32(1004)
                             << QStringLiteral("Http Status 503: Service Unavailable while uploading last file.");
        addTransportFaultRows();
    }
    void uploadFaults() {
        QFETCH(Behaviour, behaviour);
        QFETCH(qint32, number);
        QFETCH(QString, description);
        m_service->setBehaviour(Route::Upload, behaviour);
        const auto request = makeRequest();
        const ErrorInfo e = raisedBy([&] { proxy().UploadReport(*request, m_archive); });
        QCOMPARE(e.Number(), number);
        if (!description.isNull()) QCOMPARE(e.Description(), description);
        const QString trail = QStringLiteral("VezirodEdovud2:Proxy.UploadReport\r\nVezirodEdovud2:Proxy.UploadFile-->");
        QVERIFY2(e.Source().startsWith(trail), qPrintable(e.Source()));
        if (number == 1004) QCOMPARE(e.Source(), trail + QStringLiteral("Proxy::UploadFile(last file)"));
        QCOMPARE(m_service->requests(Route::Upload).size(), 1);
    }

    // The files went under the submission's ticket, whatever the receipt.
    void unreadableReceiptKeepsTheTicketSentUnder() {
        m_service->setNextTicket(4711);
        Behaviour malformed;
        malformed.body = QByteArray("<UploadFileResponse><Ticket>4711</Ticket><Files>");
        m_service->setBehaviour(Route::Upload, malformed);
        const auto request = makeRequest();
        const UploadFileResponsePtr reply = proxy().UploadReport(*request, m_archive);
        QVERIFY(!reply->ReceiptRead());
        QCOMPARE(reply->Ticket(), 4711);
        QCOMPARE(reply->ReportYear(), 2024);
        QCOMPARE(reply->Files().Count(), 0);
        QCOMPARE(reply->Compliant(), false);
    }

    // Checked before the submission record goes, so the service is left
    // with no submission that no file will reach.
    void unreadableArchiveIsNotSent() {
        const auto request = makeRequest();
        const QString missing = m_dir.filePath(QStringLiteral("gone.zip"));
        const ErrorInfo e = raisedBy([&] { proxy().UploadReport(*request, missing); });
        QCOMPARE(e.Number(), 1006);
        QVERIFY2(e.Description().startsWith(QLatin1String("The archive could not be read for sending: ")),
                 qPrintable(e.Description()));
        QCOMPARE(m_service->requests().size(), 0);
    }

    void contentTypeByExtension_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("type");
        QTest::newRow("zip") << "ZelFiles2024.zip"
                             << "application/zip";
        QTest::newRow("ZIP") << "ZELFILES.ZIP"
                             << "application/octet-stream";
        QTest::newRow("doc") << "a.doc"
                             << "application/msword";
        QTest::newRow("docx") << "a.docx"
                              << "application/msword";
        QTest::newRow("xls") << "a.xls"
                             << "application/vnd.ms-excel";
        QTest::newRow("xlsx") << "a.xlsx"
                              << "application/octet-stream";
        QTest::newRow("none") << "README"
                              << "application/octet-stream";
        QTest::newRow("two dots") << "a.zip.txt"
                                  << "application/octet-stream";
    }
    void contentTypeByExtension() {
        QFETCH(QString, file);
        QFETCH(QString, type);
        QCOMPARE(Proxy::ContentTypeFor(file), type);
    }
};

QTEST_GUILESS_MAIN(tst_proxy)
#include "tst_proxy.moc"
