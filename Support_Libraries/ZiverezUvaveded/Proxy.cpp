#include "ZiverezUvaveded/Proxy.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"
#include "ZiverezUvaveded/Globals.h"

#include <QBuffer>
#include <QDomDocument>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace VezirodEdovud {

using Vezedad::ErrorInfo;
using Vezedad::TrailForm;

namespace {

const QString kTrail = QStringLiteral("VezirodEdovud2:Proxy.");
// The most redirects one request follows.
constexpr int kMaxRedirects = 5;

// Failures of the connection itself (network and proxy layers) and replies
// that are not HTTP at all: the request got no whole answer. Qt also reports
// most HTTP statuses as errors; those are answers and are not here.
bool isTransportError(QNetworkReply::NetworkError error) {
    const int code = int(error);
    return (code >= 1 && code <= 199) || error == QNetworkReply::ProtocolFailure;
}

QDomDocument parseReply(const QByteArray& body) {
    QDomDocument document;
    // A reply that is not well-formed reads as an empty document.
    if (!document.setContent(body)) return QDomDocument();
    return document;
}

QString statusLine(const QString& status, const QString& text) {
    return QStringLiteral("Http Status ") + status + QStringLiteral(": ") + text;
}

// The body of a request that creates something on the service. When the
// service closes the connection before it answers, the network library would
// send the request again on its own, and the service would hold the
// submission twice. This body can be read through once and never rewound,
// so that resend fails and the request goes out at most once.
class OneShotBody : public QIODevice {
public:
    explicit OneShotBody(QIODevice& source) : m_source(source) { open(QIODevice::ReadOnly); }

    qint64 size() const override { return m_source.size(); }
    bool seek(qint64 pos) override { return !m_started && pos == 0 && QIODevice::seek(0) && m_source.seek(0); }
    bool reset() override { return seek(0); }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        m_started = true;
        return m_source.read(data, maxSize);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& m_source;
    bool m_started = false;
};

} // namespace

Proxy::Proxy() {
    Vezedad::requireFactory(modGlobals::factoryModule(), Vezedad::errFactoryMethodNotUsed,
                            QStringLiteral("VezirodEdovud::Proxy"),
                            QStringLiteral("Proxy class was not instantiated with factory method"));
    Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
    m_baseAddress = ServiceAddress(settings.Host(), settings.BaseAddress());
    m_network = std::make_unique<QNetworkAccessManager>();
}

Proxy::~Proxy() = default;

QString Proxy::ServiceAddress(const QString& host, const QString& path) {
    // A host given with its own secure scheme is taken as it stands.
    if (host.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)) return host + path;
    return QStringLiteral("http://") + host + path;
}

QString Proxy::address(const QStringList& segments) const {
    QString result = m_baseAddress;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0) result += QLatin1Char('/');
        result += QString::fromLatin1(QUrl::toPercentEncoding(segments[i]));
    }
    return result;
}

Proxy::Answer Proxy::exchange(const QByteArray& method, const QString& address,
                              const QList<std::pair<QByteArray, QByteArray>>& headers, QIODevice* body, Wait wait) {
    QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        throw ErrorInfo(TransportFailure, QStringLiteral("The filing service address is not valid: ") + address,
                        QString());
    // A request with a body follows only the redirects that ask for the same
    // request at another address (307, 308): the service has not taken it,
    // so it goes there once, never to a less secure address.
    for (int hop = 0;; ++hop) {
        Answer answer = sendOnce(method, url, headers, body, wait);
        if (!body || !answer.answered || (answer.status != 307 && answer.status != 308) || hop >= kMaxRedirects)
            return answer;
        const QUrl next = url.resolved(answer.redirect);
        const bool downgrade = url.scheme() == QLatin1String("https") && next.scheme() != QLatin1String("https");
        if (!answer.redirect.isValid() || next.host().isEmpty() || downgrade || !body->seek(0)) return answer;
        url = next;
    }
}

Proxy::Answer Proxy::sendOnce(const QByteArray& method, const QUrl& url,
                              const QList<std::pair<QByteArray, QByteArray>>& headers, QIODevice* body, Wait wait) {
    Answer answer;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    for (const auto& header : headers) request.setRawHeader(header.first, header.second);

    std::unique_ptr<OneShotBody> once;
    if (body) {
        once = std::make_unique<OneShotBody>(*body);
        request.setHeader(QNetworkRequest::ContentLengthHeader, once->size());
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    }
    QNetworkReply* reply = m_network->sendCustomRequest(request, method, once.get());
    std::unique_ptr<QNetworkReply> owner(reply);

    const int limit = wait == Wait::Whole ? m_timeouts.quickMs : m_timeouts.silenceMs;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    if (wait == Wait::Silence) {
        // Only silence ends a long transfer: any data moving restarts the clock.
        auto restart = [&timer] { timer.start(); };
        QObject::connect(reply, &QNetworkReply::uploadProgress, &timer, restart);
        QObject::connect(reply, &QNetworkReply::downloadProgress, &timer, restart);
    }
    timer.start(limit);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const QString where = url.toString();
    if (timedOut) {
        answer.failure =
            QStringLiteral("The filing service did not answer within %1 seconds (%2).").arg(limit / 1000.0).arg(where);
        return answer;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    answer.statusText = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    answer.redirect = QUrl::fromEncoded(reply->rawHeader("Location"), QUrl::StrictMode);
    // The network library rewinds the body at once for these two statuses,
    // whatever the redirect policy, and fails when it cannot: still an answer.
    if (reply->error() == QNetworkReply::ContentReSendError && (code == 307 || code == 308)) {
        answer.answered = true;
        answer.status = code;
        return answer;
    }
    if (reply->error() == QNetworkReply::ContentReSendError) {
        answer.failure = QStringLiteral("The connection to the filing service closed before its whole answer "
                                        "arrived (%1); the request was not sent again.")
                             .arg(where);
        return answer;
    }
    if (isTransportError(reply->error()) || !status.isValid()) {
        answer.failure = reply->errorString();
        return answer;
    }
    answer.body = reply->readAll();
    // A connection that closed before the announced length arrived gave no
    // whole answer, whatever the network library made of it.
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (announced.isValid() && !reply->hasRawHeader("Content-Encoding") &&
        answer.body.size() < announced.toLongLong()) {
        answer.failure = QStringLiteral("The connection to the filing service closed before the whole reply arrived.");
        answer.body.clear();
        return answer;
    }
    answer.answered = true;
    answer.status = code;
    return answer;
}

void Proxy::raiseTransport(const Answer& answer) { throw ErrorInfo(TransportFailure, answer.failure, QString()); }

bool Proxy::CheckService() {
    if (Ping()) return true;
    QThread::msleep(ulong(m_timeouts.retryPauseMs));
    return Ping();
}

bool Proxy::Ping() {
    return trap(TrailForm::JoinedArrow, kTrail + QStringLiteral("Ping"), [&] {
        const Answer answer = exchange("GET", m_baseAddress, {}, nullptr, Wait::Whole);
        return answer.answered && answer.status == 200;
    });
}

Vezedad::ClientVersionPtr Proxy::CurrentVersion(const QString& pClient) {
    return trap(TrailForm::JoinedArrow, kTrail + QStringLiteral("CurrentVersion"), [&] {
        const Answer answer = exchange("GET", address({QStringLiteral("Client"), pClient, QStringLiteral("Version")}),
                                       {}, nullptr, Wait::Whole);
        if (!answer.answered) raiseTransport(answer);
        if (answer.status == 200) return Vezedad::Utilities::MakeVersionFromXml(parseReply(answer.body));
        return Vezedad::Utilities::MakeVersionFromString(QStringLiteral("No version information found for ") + pClient +
                                                         QStringLiteral(" at Report Service."));
    });
}

UploadFileResponsePtr Proxy::UploadReport(const SubmitMetadataRequest& rSubmissionRequest, const QString& rReportFile) {
    return trap(TrailForm::Bracket, kTrail + QStringLiteral("UploadReport"), [&] {
        // An archive that cannot be read must fail before the service holds a
        // submission that no file will ever reach.
        QFile archive(rReportFile);
        openForSending(archive);
        const SubmitMetadataResponsePtr submission = SubmitMetadata(rSubmissionRequest);
        return UploadFile(archive, submission->Ticket(), false);
    });
}

SubmitMetadataResponsePtr Proxy::SubmitMetadata(const SubmitMetadataRequest& request) {
    return trap(TrailForm::Bracket, kTrail + QStringLiteral("SubmitMetadata"), [&] {
        QByteArray xml = request.XmlText().toUtf8();
        QBuffer body(&xml);
        body.open(QIODevice::ReadOnly);
        const Answer answer = exchange("POST", address({QStringLiteral("Submission")}), {{"Content-Type", "text/xml"}},
                                       &body, Wait::Silence);
        if (!answer.answered) raiseTransport(answer);
        const QString text = QString::fromUtf8(answer.body);
        if (answer.status == 201) {
            SubmitMetadataResponsePtr response(new SubmitMetadataResponse);
            response->Deserialize(parseReply(answer.body));
            // Uploading under a made-up ticket would file the report nowhere.
            if (!response->HasTicket())
                throw ErrorInfo(Vezedad::errUnexpectedHttpStatus,
                                statusLine(QString::number(answer.status), answer.statusText) +
                                    QStringLiteral("\r\nThe filing service accepted the submission record but its "
                                                   "reply held no ticket number above 0; nothing was uploaded."),
                                QString());
            return response;
        }
        if (text.contains(QLatin1String("Bad Id Values"), Qt::CaseInsensitive))
            throw ErrorInfo(Vezedad::errInvalidPropertyValue, text, QString());
        throw ErrorInfo(Vezedad::errUnexpectedHttpStatus,
                        statusLine(QString::number(answer.status), answer.statusText) + QStringLiteral("\r\n") + text,
                        QString());
    });
}

QString Proxy::ContentTypeFor(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : fileName.mid(dot + 1);
    if (extension == QLatin1String("zip")) return QStringLiteral("application/zip");
    if (extension == QLatin1String("doc") || extension == QLatin1String("docx"))
        return QStringLiteral("application/msword");
    if (extension == QLatin1String("xls")) return QStringLiteral("application/vnd.ms-excel");
    return QStringLiteral("application/octet-stream");
}

void Proxy::openForSending(QFile& file) {
    if (!file.open(QIODevice::ReadOnly))
        throw ErrorInfo(Vezedad::errWrongMdacVersion,
                        QStringLiteral("The archive could not be read for sending: ") + file.fileName() +
                            QStringLiteral(" (") + file.errorString() + QStringLiteral(")."),
                        QString());
}

UploadFileResponsePtr Proxy::UploadFile(const QString& reportFile, qint32 ticket, bool partial) {
    QFile file(reportFile);
    return UploadFile(file, ticket, partial);
}

UploadFileResponsePtr Proxy::UploadFile(QFile& file, qint32 ticket, bool partial) {
    return trap(TrailForm::JoinedArrow, kTrail + QStringLiteral("UploadFile"), [&]() -> UploadFileResponsePtr {
        if (!file.isOpen()) openForSending(file);
        const QString fileName = QFileInfo(file.fileName()).fileName();
        QList<std::pair<QByteArray, QByteArray>> headers{{"Content-Type", ContentTypeFor(fileName).toLatin1()}};
        if (partial) headers.append(std::pair<QByteArray, QByteArray>("Expect", "202-Accepted"));
        const qint16 year = modGlobals::CurrentReportYear();
        const QString target =
            address({QStringLiteral("Submission"), QString::number(year), QString::number(ticket), fileName});
        const Answer answer = exchange("POST", target, headers, &file, Wait::Silence);
        file.close();
        if (!answer.answered) raiseTransport(answer);
        const QString status = statusLine(QString::number(answer.status), answer.statusText);
        if (partial) {
            if (answer.status == 202) return nullptr;
            throw ErrorInfo(Vezedad::errUnexpectedHttpStatus,
                            status + QStringLiteral(" while uploading partial report."),
                            QStringLiteral("Proxy::UploadFile"));
        }
        if (answer.status != 200)
            throw ErrorInfo(Vezedad::errUnexpectedHttpStatus, status + QStringLiteral(" while uploading last file."),
                            QStringLiteral("Proxy::UploadFile(last file)"));
        auto response = std::make_shared<UploadFileResponse>();
        response->Deserialize(parseReply(answer.body));
        // The service took the files; the ticket they went under is still
        // known when its receipt cannot be read.
        if (!response->ReceiptRead()) response->setSentUnder(ticket, year);
        return response;
    });
}

} // namespace VezirodEdovud
