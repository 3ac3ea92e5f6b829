#include "TestSupport.h"
#include "support/FilingService.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/Globals.h"
#include "ZiverezUvaveded/Messages.h"
#include "ZiverezUvaveded/Proxy.h"
#include "ZiverezUvaveded/Uploader.h"
#include "ZiverezUvaveded/cZip.h"
#include "ZiverezUvaveded/frmUploadResponse.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

using TestSupport::readFile;
using TestSupport::writeFile;

using namespace VezirodEdovud;
using TestSupport::Fault;
using TestSupport::FilingService;
using TestSupport::Route;
using TestSupport::UiScript;

Q_DECLARE_METATYPE(TestSupport::Behaviour)

namespace {

QPushButton* button(const QWidget& window, const char* name) {
    return window.findChild<QPushButton*>(QString::fromLatin1(name));
}

TestSupport::Behaviour answer(int status, const QByteArray& body = QByteArray()) {
    TestSupport::Behaviour behaviour;
    behaviour.status = status;
    if (!body.isEmpty()) behaviour.body = body;
    return behaviour;
}

TestSupport::Behaviour fault(Fault kind) {
    TestSupport::Behaviour behaviour;
    behaviour.fault = kind;
    return behaviour;
}

QString pageText(const QWidget& window) {
    return window.findChild<QTextBrowser*>(QStringLiteral("WebBrowser1"))->toPlainText();
}

} // namespace

class tst_uploader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_service = std::make_unique<FilingService>();
        Vezedad::Globals::ZelReport().ChangeReportYear(2023);
    }

    void init() {
        m_service->reset();
        m_service->useForThisThread();
        // A new client for every test, so that it takes the service's address.
        VezirodEdovud::Globals::Release();
        Proxy::Timeouts quick;
        quick.silenceMs = 1000;
        quick.retryPauseMs = 50;
        VezirodEdovud::Globals::Proxy().setTimeouts(quick);

        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        writeFile(file("M2023.txt"), "0|sale|\r\n");
        writeFile(file("P2023.txt"), QByteArray(3000, 'p'));
        writeFile(file("identity.txt"), "id|");
        writeFile(file("notes.doc"), "not a report");
        m_request = std::make_unique<SubmitMetadataRequest>();
        m_request->Metadata().setClientOption(Vezedad::kvoOptionA);
        m_request->Metadata().setClientVersion(QStringLiteral("1.2.3.4"));
    }

    // The chosen files travel in one archive under their bare names; the
    // receipt names the ticket and each file's compliance.
    void uploadsTheChosenFiles() {
        m_service->setNextTicket(4711);
        m_service->setNonCompliant({QStringLiteral("P2023.txt")});
        UiScript ui;
        QString receipt;
        QCOMPARE(uploadEveryFile(ui, receipt), uprSuccess);
        QCOMPARE(ui.modalNames(), (QStringList{"frmFileList", "frmUploadResponse"}));

        const QString archive = m_dir->filePath(QStringLiteral("ZelZipUpload/ZelFiles2023.zip"));
        const auto entries = FilingService::zipEntries(readFile(archive));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0), (std::pair<QString, qint64>(QStringLiteral("M2023.txt"), 9)));
        QCOMPARE(entries.at(1), (std::pair<QString, qint64>(QStringLiteral("P2023.txt"), 3000)));

        const auto submissions = m_service->requests(Route::Submission);
        QCOMPARE(submissions.size(), 1);
        QVERIFY(submissions.at(0).body.contains("<ClientVersion>1.2.3.4</ClientVersion>"));
        const auto uploads = m_service->requests(Route::Upload);
        QCOMPARE(uploads.size(), 1);
        QCOMPARE(uploads.at(0).relativePath, QStringLiteral("Submission/2023/4711/ZelFiles2023.zip"));
        QCOMPARE(uploads.at(0).body, readFile(archive));

        QVERIFY(receipt.contains(QStringLiteral("Upload Succeeded!")));
        QVERIFY(receipt.contains(QStringLiteral("submission number of 4711.")));
        QVERIFY(receipt.contains(QStringLiteral("M2023.txt\n9\nYes")));
        QVERIFY(receipt.contains(QStringLiteral("P2023.txt\n3000\nNo")));
    }

    // Only the checked rows go into the archive, and an older archive of the
    // year is replaced even when it is read-only.
    void replacesTheArchiveWithTheCheckedFiles() {
        const QString archive = m_dir->filePath(QStringLiteral("ZelZipUpload/ZelFiles2023.zip"));
        QDir(m_dir->path()).mkpath(QStringLiteral("ZelZipUpload"));
        writeFile(archive, "stale");
        QFile::setPermissions(archive, QFile::ReadOwner);
        UiScript ui;
        ui.expectModal([](QDialog& list) {
            list.findChild<QListWidget*>(QStringLiteral("lstFiles"))->item(0)->setCheckState(Qt::Unchecked);
            button(list, "cmdUpload")->click();
        });
        ui.expectModal([](QDialog& response) { button(response, "cmdDone")->click(); });
        QCOMPARE(Uploader().SendReport(m_request.get(), m_dir->path()), uprSuccess);
        const auto entries = FilingService::zipEntries(readFile(archive));
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.at(0).first, QStringLiteral("P2023.txt"));
    }

    // The service keeps names without regard to case: a choice of two such
    // files is refused, naming both, and the window stays for another choice.
    void namesDifferingOnlyInCaseAreRefused() {
        writeFile(file("m2023.txt"), "0|other|\r\n");
        UiScript ui;
        ui.expectModal([&ui](QDialog& list) {
            ui.expectBox(Vezedad::Ui::vbOK);
            button(list, "cmdUpload")->click();
            QVERIFY(list.isVisible());
            auto* rows = list.findChild<QListWidget*>(QStringLiteral("lstFiles"));
            for (QListWidgetItem* row : rows->findItems(QStringLiteral("m2023.txt"), Qt::MatchExactly))
                row->setCheckState(Qt::Unchecked);
            button(list, "cmdUpload")->click();
        });
        ui.expectModal([](QDialog& response) { button(response, "cmdDone")->click(); });
        QCOMPARE(Uploader().SendReport(m_request.get(), m_dir->path()), uprSuccess);

        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("File Names Differ Only in Case"));
        QVERIFY2(ui.boxes().at(0).prompt.startsWith(
                     QStringLiteral("The files \"M2023.txt\" and \"m2023.txt\" have names that differ only in")),
                 qPrintable(ui.boxes().at(0).prompt));
        const auto entries =
            FilingService::zipEntries(readFile(m_dir->filePath(QStringLiteral("ZelZipUpload/ZelFiles2023.zip"))));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0).first, QStringLiteral("M2023.txt"));
        QCOMPARE(m_service->requests(Route::Submission).size(), 1);
    }

    void stopsBeforeTheService_data() {
        QTest::addColumn<bool>("withRequest");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("no request") << false << QString() << qint32(uprNoMetadata);
        QTest::newRow("no folder") << true << QStringLiteral("missing") << qint32(uprNoReportFolder);
    }

    void stopsBeforeTheService() {
        QFETCH(bool, withRequest);
        QFETCH(QString, folder);
        QFETCH(qint32, expected);
        UiScript ui;
        const QString path = folder.isEmpty() ? m_dir->path() : m_dir->filePath(folder);
        QCOMPARE(qint32(Uploader().SendReport(withRequest ? m_request.get() : nullptr, path)), expected);
        QVERIFY(m_service->requests().isEmpty());
    }

    // Two alive checks, then no window at all.
    void serviceDownGivesNoConnection() {
        m_service->setBehaviour(Route::Ping, answer(500));
        UiScript ui;
        QCOMPARE(Uploader().SendReport(m_request.get(), m_dir->path()), uprNoConnection);
        QCOMPARE(m_service->requests(Route::Ping).size(), 2);
        QVERIFY(ui.modalNames().isEmpty());
    }

    void cancelledChoiceBuildsNoArchive() {
        UiScript ui;
        ui.expectModal([](QDialog& list) { button(list, "cmdCancel")->click(); });
        QCOMPARE(Uploader().SendReport(m_request.get(), m_dir->path()), uprCancelled);
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("ZelZipUpload/ZelFiles2023.zip"))));
        QVERIFY(m_service->requests(Route::Submission).isEmpty());
    }

    void aFileThatCannotBePackedStopsTheUpload_data() {
        QTest::addColumn<bool>("removedBeforePacking");
        QTest::addColumn<QString>("reason");
        QTest::newRow("removed after it was chosen") << true << QStringLiteral("File not found: %1");
        QTest::newRow("rewritten shorter while packed")
            << false
            << QStringLiteral("It changed while it was being packed: another program may be writing it. Try again "
                              "once that program has finished with it.");
    }

    // A chosen file that vanished before it was packed, or that another
    // program rewrote while the archive was packed, fails the whole archive:
    // the user is told which file and why, nothing is sent, and the earlier
    // archive is kept as it was.
    void aFileThatCannotBePackedStopsTheUpload() {
        QFETCH(bool, removedBeforePacking);
        QFETCH(QString, reason);
        const QString archive = m_dir->filePath(QStringLiteral("ZelZipUpload/ZelFiles2023.zip"));
        QDir(m_dir->path()).mkpath(QStringLiteral("ZelZipUpload"));
        writeFile(archive, "earlier archive");
        const auto restore = qScopeGuard([] { cZip::setPackingHook({}); });
        cZip::setPackingHook([this, removedBeforePacking](const QString& path) {
            if (removedBeforePacking || path != file("P2023.txt")) return;
            QFile report(path);
            QVERIFY(report.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(report.write("short"), qint64(5));
        });
        UiScript ui;
        ui.expectModal([this, removedBeforePacking](QDialog& list) {
            if (removedBeforePacking) QVERIFY(QFile::remove(file("P2023.txt")));
            button(list, "cmdUpload")->click();
        });
        ui.expectBox(Vezedad::Ui::vbOK);
        QCOMPARE(Uploader().SendReport(m_request.get(), m_dir->path()), uprZipFailure);
        QCOMPARE(ui.boxes().size(), 1);
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Uploading Report"));
        QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("Unable to create zip file: \"P2023.txt\" could not be "
                                                         "packed.\r\n") +
                                              reason.arg(file("P2023.txt")) +
                                              QStringLiteral("\r\n\r\nNothing was sent."));
        QCOMPARE(readFile(archive), QByteArray("earlier archive"));
        QCOMPARE(QDir(m_dir->filePath(QStringLiteral("ZelZipUpload"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"ZelFiles2023.zip"});
        QVERIFY(m_service->requests(Route::Submission).isEmpty());
        QVERIFY(m_service->requests(Route::Upload).isEmpty());
    }

    void failedUploadIsExplainedAndReported_data() {
        QTest::addColumn<int>("route");
        QTest::addColumn<TestSupport::Behaviour>("behaviour");
        QTest::addColumn<QString>("expectedText");
        const QString transport = QStringLiteral("Error ") + QString::number(Proxy::TransportFailure);
        const auto submission = int(Route::Submission);
        const auto upload = int(Route::Upload);
        QTest::newRow("submission 500") << submission << answer(500, "<b>boom</b>")
                                        << QStringLiteral("Error 1004: Http Status 500");
        QTest::newRow("bad id values") << submission << answer(400, "Bad Id Values: <script>x</script>")
                                       << QStringLiteral("Bad Id Values: <script>x</script>");
        QTest::newRow("ticket 0") << submission << answer(201, "<R><Ticket>0</Ticket></R>")
                                  << QStringLiteral("Error 1004: Http Status 201");
        QTest::newRow("submission closed at once") << submission << fault(Fault::CloseAtOnce) << transport;
        QTest::newRow("submission closed halfway") << submission << fault(Fault::CloseHalfway) << transport;
        QTest::newRow("submission silent") << submission << fault(Fault::NoAnswer) << transport;
        QTest::newRow("file 201") << upload << answer(201) << QStringLiteral("Error 1004: Http Status 201");
        QTest::newRow("file closed at once") << upload << fault(Fault::CloseAtOnce) << transport;
        QTest::newRow("file closed halfway") << upload << fault(Fault::CloseHalfway) << transport;
        QTest::newRow("file silent") << upload << fault(Fault::NoAnswer) << transport;
    }

    // Whatever the service does wrong, each request goes out at most once,
    // nothing follows a failed step, the page tells what went wrong (the
    // service's words escaped) and the caller learns that the upload failed.
    void failedUploadIsExplainedAndReported() {
        QFETCH(int, route);
        QFETCH(TestSupport::Behaviour, behaviour);
        QFETCH(QString, expectedText);
        m_service->setBehaviour(Route(route), behaviour);
        UiScript ui;
        QString text;
        QCOMPARE(uploadEveryFile(ui, text), uprError);
        // Markup the service sent shows as text; the refusal of identity
        // numbers is the service's text alone.
        if (behaviour.status == 400)
            QCOMPARE(text.trimmed(), expectedText);
        else
            QVERIFY2(text.startsWith(expectedText), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("Upload Succeeded!")));
        QCOMPARE(m_service->requests(Route::Submission).size(), 1);
        QCOMPARE(m_service->requests(Route::Upload).size(), route == int(Route::Upload) ? 1 : 0);
    }

    // The service took the files but its receipt makes no sense: the page
    // names the ticket they went under, and the caller learns it is no success.
    void unreadableReceiptIsNoSuccess() {
        m_service->setNextTicket(4711);
        m_service->setBehaviour(Route::Upload, answer(200, "<UploadFileResponse><Year>2023</Yea"));
        UiScript ui;
        QString text;
        QCOMPARE(uploadEveryFile(ui, text), uprError);
        QVERIFY2(text.contains(QStringLiteral("ZOV Report for 2023")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("submission number 4711,")), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("receipt could not be read")));
        QVERIFY(text.contains(QStringLiteral("compliant is unknown")));
        QVERIFY(!text.contains(QStringLiteral("Succeeded")));
        QCOMPARE(m_service->requests(Route::Upload).size(), 1);
    }

    // The help link of the unreadable-archive page is built like every other
    // address of the service, a secure host included.
    void failurePageLinkKeepsASecureHost() {
        Vezedad::Globals::Configuration().SetDynamicSetting(QStringLiteral("Host"),
                                                            QStringLiteral("https://127.0.0.1:1"));
        VezirodEdovud::Globals::Release();
        frmUploadResponse response;
        response.Initialize(m_request.get(), m_dir->filePath(QStringLiteral("gone.zip")));
        response.show();
        auto* page = response.findChild<QTextBrowser*>(QStringLiteral("WebBrowser1"));
        QTRY_VERIFY(page->toPlainText().contains(QStringLiteral("could not be read for sending")));
        const QString html = page->toHtml();
        QVERIFY2(html.contains(QStringLiteral("href=\"https://127.0.0.1:1/WebUpload.aspx\"")), qPrintable(html));
        QVERIFY(!html.contains(QStringLiteral("http://https")));
        QVERIFY(!response.Succeeded());
        QVERIFY(m_service->requests().isEmpty());
    }

    // Names and texts from the service are shown as text, never as markup.
    void receiptEscapesWhatTheServiceSent() {
        writeFile(file("R&D <x>.txt"), "x");
        UiScript ui;
        QString text;
        QCOMPARE(uploadEveryFile(ui, text), uprSuccess);
        QVERIFY2(text.contains(QStringLiteral("R&D <x>.txt")), qPrintable(text));
    }

    // Later activations never upload again; Print asks where the receipt
    // goes in the print dialog: Cancel prints nothing, OK prints there.
    void responseWindowUploadsOnceAndPrints() {
        const QString archive = m_dir->filePath(QStringLiteral("M2023.txt"));
        frmUploadResponse response;
        response.Initialize(m_request.get(), archive);
        response.show();
        QTRY_VERIFY(response.Succeeded());
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&response, &activate);
        QCOMPARE(m_service->requests(Route::Submission).size(), 1);

        const QString pdf = m_dir->filePath(QStringLiteral("receipt.pdf"));
        UiScript ui; // no box may appear
        ui.expectDialogCancel();
        button(response, "cmdPrint")->click();
        QVERIFY(!QFile::exists(pdf));
        ui.expectPrintToPdf(pdf);
        button(response, "cmdPrint")->click();
        QCOMPARE(ui.dialogs().size(), 2);
        QCOMPARE(ui.dialogs().at(1).kind, Vezedad::Ui::DialogKind::Print);
        QVERIFY(readFile(pdf).startsWith("%PDF"));
    }

private:
    QString file(const char* name) const { return m_dir->filePath(QString::fromUtf8(name)); }

    // The user keeps every listed file, reads the response page and closes it.
    UploadResult uploadEveryFile(UiScript& ui, QString& responsePage) {
        ui.expectModal([](QDialog& list) { button(list, "cmdUpload")->click(); });
        ui.expectModal([&](QDialog& response) {
            responsePage = pageText(response);
            button(response, "cmdDone")->click();
        });
        return Uploader().SendReport(m_request.get(), m_dir->path());
    }

    std::unique_ptr<FilingService> m_service;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SubmitMetadataRequest> m_request;
};

QTEST_MAIN(tst_uploader)
#include "tst_uploader.moc"
