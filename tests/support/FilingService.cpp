#include "FilingService.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Globals.h"

#include <QDomDocument>
#include <QHash>
#include <QHostAddress>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

namespace TestSupport {

QByteArray HttpRequest::header(const QByteArray& name) const {
    for (const auto& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) return h.second;
    return {};
}

bool HttpRequest::hasHeader(const QByteArray& name) const {
    for (const auto& h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

struct FilingService::State {
    mutable QMutex mutex;
    QString basePath;
    QList<HttpRequest> requests;
    QHash<int, Behaviour> behaviours;
    QMap<QString, QString> versions;
    QHash<qint32, int> tickets; // ticket -> report year
    qint32 nextTicket = 1000;
    QStringList nonCompliant;

    void setDefaults() {
        behaviours.clear();
        versions.clear();
        versions.insert(QStringLiteral("OptionA"), QStringLiteral("1.0.0.0"));
        versions.insert(QStringLiteral("OptionB"), QStringLiteral("1.0.0.0"));
        versions.insert(QStringLiteral("OptionC"), QStringLiteral("1.0.0.0"));
        tickets.clear();
        nextTicket = 1000;
        nonCompliant.clear();
        requests.clear();
    }
};

namespace {

QByteArray reasonFor(int status) {
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray xmlText(const QDomDocument& doc) { return doc.toByteArray(-1); }

QDomElement addText(QDomDocument& doc, QDomElement parent, const QString& name, const QString& text) {
    QDomElement e = doc.createElement(name);
    e.appendChild(doc.createTextNode(text));
    parent.appendChild(e);
    return e;
}

struct Answer {
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/xml; charset=utf-8";
};

} // namespace

class FilingService::Worker : public QObject {
public:
    explicit Worker(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    quint16 listen() {
        m_server = new QTcpServer(this);
        if (!m_server->listen(QHostAddress::LocalHost, 0)) return 0;
        QObject::connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                socket->setParent(this);
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadable(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return m_server->serverPort();
    }

    void stop() {
        if (m_server) m_server->close();
        for (QTcpSocket* socket : findChildren<QTcpSocket*>()) socket->abort();
        qDeleteAll(findChildren<QTcpSocket*>());
        qDeleteAll(findChildren<QTimer*>());
    }

private:
    void onReadable(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0) return;
        HttpRequest request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.target = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon > 0) request.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        }
        bool ok = false;
        const qint64 length = request.header("Content-Length").toLongLong(&ok);
        const qint64 expected = ok ? length : 0;
        const QByteArray rest = buffer.mid(headerEnd + 4);
        if (rest.size() < expected) return; // the rest of the body is still on its way
        request.body = rest;
        m_buffers.remove(socket);
        QObject::disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        handle(socket, request);
    }

    void classify(HttpRequest& request, const QString& base) const {
        const QString target = QString::fromLatin1(request.target);
        if (!target.startsWith(base)) return;
        const QString rel = target.mid(base.size());
        QStringList segments = rel.split(QLatin1Char('/'));
        for (QString& s : segments) s = QUrl::fromPercentEncoding(s.toLatin1());
        request.relativePath = segments.join(QLatin1Char('/'));
        if (request.method == "GET" && rel.isEmpty())
            request.route = Route::Ping;
        else if (request.method == "GET" && segments.size() == 3 && segments[0] == QLatin1String("Client") &&
                 segments[2] == QLatin1String("Version"))
            request.route = Route::Version;
        else if (request.method == "POST" && rel == QLatin1String("Submission"))
            request.route = Route::Submission;
        else if (request.method == "POST" && segments.size() == 4 && segments[0] == QLatin1String("Submission"))
            request.route = Route::Upload;
    }

    void handle(QTcpSocket* socket, HttpRequest request) {
        Behaviour behaviour;
        Answer answer;
        {
            QMutexLocker lock(&m_state->mutex);
            classify(request, m_state->basePath);
            m_state->requests.append(request);
            behaviour = m_state->behaviours.value(int(request.route));
            auto counted = m_state->behaviours.find(int(request.route));
            if (counted != m_state->behaviours.end() && counted->times > 0 && --counted->times == 0)
                m_state->behaviours.erase(counted);
            answer = normalAnswer(request, socket);
        }
        if (behaviour.status) answer.status = *behaviour.status;
        if (behaviour.body) answer.body = *behaviour.body;
        const QByteArray reason = behaviour.reason.isEmpty() ? reasonFor(answer.status) : behaviour.reason;
        if (behaviour.fault == Fault::NoAnswer) return;
        if (behaviour.fault == Fault::CloseAtOnce) {
            socket->disconnectFromHost();
            return;
        }
        QPointer<QTcpSocket> guarded(socket);
        auto send = [guarded, answer, reason, fault = behaviour.fault, location = behaviour.location] {
            if (!guarded) return;
            QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reason + "\r\n";
            if (!location.isEmpty()) head += "Location: " + location + "\r\n";
            head += "Content-Type: " + answer.contentType + "\r\n";
            head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
            head += "Connection: close\r\n\r\n";
            if (fault == Fault::CloseHalfway) {
                guarded->write(head + answer.body.left(answer.body.size() / 2));
                guarded->disconnectFromHost();
                return;
            }
            guarded->write(head + answer.body);
            guarded->disconnectFromHost();
        };
        if (behaviour.delayMs > 0) {
            auto* timer = new QTimer(this);
            timer->setSingleShot(true);
            QObject::connect(timer, &QTimer::timeout, this, [timer, send] {
                send();
                timer->deleteLater();
            });
            timer->start(behaviour.delayMs);
        } else {
            send();
        }
    }

    // Called with the state locked.
    Answer normalAnswer(const HttpRequest& request, QTcpSocket* socket) {
        Answer answer;
        QDomDocument doc;
        switch (request.route) {
        case Route::Ping:
            answer.body = "Report service is running.";
            answer.contentType = "text/plain";
            return answer;
        case Route::Version: {
            const QString client = request.relativePath.section(QLatin1Char('/'), 1, 1);
            if (!m_state->versions.contains(client)) return {404, "No such client", "text/plain"};
            const QString dotted = m_state->versions.value(client);
            const QStringList parts = dotted.split(QLatin1Char('.'));
            QDomElement root = doc.createElement(QStringLiteral("ClientVersion"));
            doc.appendChild(root);
            addText(doc, root, QStringLiteral("Version"), dotted);
            const QString names[4] = {QStringLiteral("Major"), QStringLiteral("Minor"), QStringLiteral("Build"),
                                      QStringLiteral("Revision")};
            for (int i = 0; i < 4; ++i) addText(doc, root, names[i], parts.value(i, QStringLiteral("0")));
            answer.body = xmlText(doc);
            return answer;
        }
        case Route::Submission: {
            QDomDocument sent;
            if (!sent.setContent(request.body) ||
                sent.documentElement().tagName() != QLatin1String("SubmitMetadataRequest"))
                return {400, "The submission record could not be read.", "text/plain"};
            const int year = sent.documentElement()
                                 .firstChildElement(QStringLiteral("Metadata"))
                                 .firstChildElement(QStringLiteral("ReportYear"))
                                 .text()
                                 .toInt();
            const qint32 ticket = m_state->nextTicket++;
            m_state->tickets.insert(ticket, year);
            QDomElement root = doc.createElement(QStringLiteral("SubmitMetadataResponse"));
            doc.appendChild(root);
            addText(doc, root, QStringLiteral("Ticket"), QString::number(ticket));
            addText(doc, root, QStringLiteral("Location"),
                    QStringLiteral("http://127.0.0.1:%1%2Submission/%3/%4")
                        .arg(socket->localPort())
                        .arg(m_state->basePath)
                        .arg(year)
                        .arg(ticket));
            answer.status = 201;
            answer.body = xmlText(doc);
            return answer;
        }
        case Route::Upload: {
            const QStringList segments = request.relativePath.split(QLatin1Char('/'));
            bool ok = false;
            const qint32 ticket = segments.value(2).toInt(&ok);
            if (!ok || !m_state->tickets.contains(ticket)) return {404, "Unknown ticket", "text/plain"};
            if (request.header("Content-Length").toLongLong() != request.body.size())
                return {400, "Length mismatch", "text/plain"};
            if (request.header("Expect") == "202-Accepted") return {202, QByteArray(), "text/plain"};
            QList<std::pair<QString, qint64>> files = FilingService::zipEntries(request.body);
            if (files.isEmpty()) files.append({segments.value(3), request.body.size()});
            QDomElement root = doc.createElement(QStringLiteral("UploadFileResponse"));
            doc.appendChild(root);
            addText(doc, root, QStringLiteral("Year"), segments.value(1));
            addText(doc, root, QStringLiteral("Ticket"), QString::number(ticket));
            bool all = true;
            for (const auto& f : files)
                if (m_state->nonCompliant.contains(f.first, Qt::CaseInsensitive)) all = false;
            addText(doc, root, QStringLiteral("Compliant"), all ? QStringLiteral("true") : QStringLiteral("false"));
            QDomElement list = doc.createElement(QStringLiteral("Files"));
            root.appendChild(list);
            for (const auto& f : files) {
                QDomElement entry = doc.createElement(QStringLiteral("FileDescription"));
                list.appendChild(entry);
                addText(doc, entry, QStringLiteral("Name"), f.first);
                addText(doc, entry, QStringLiteral("Length"), QString::number(f.second));
                const bool bad = m_state->nonCompliant.contains(f.first, Qt::CaseInsensitive);
                addText(doc, entry, QStringLiteral("Compliant"),
                        bad ? QStringLiteral("false") : QStringLiteral("true"));
            }
            answer.body = xmlText(doc);
            return answer;
        }
        case Route::Other: break;
        }
        return {404, "Not found", "text/plain"};
    }

    std::shared_ptr<State> m_state;
    QTcpServer* m_server = nullptr;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

FilingService::FilingService(const QString& basePath) : m_state(std::make_shared<State>()) {
    m_state->basePath = basePath;
    m_state->setDefaults();
    m_thread = std::make_unique<QThread>();
    m_worker = new Worker(m_state);
    m_worker->moveToThread(m_thread.get());
    m_thread->start();
    QMetaObject::invokeMethod(
        m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
    if (m_port == 0) qFatal("The test filing service could not listen on 127.0.0.1");
}

FilingService::~FilingService() {
    QMetaObject::invokeMethod(
        m_worker,
        [this] {
            m_worker->stop();
            delete m_worker;
        },
        Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

quint16 FilingService::port() const { return m_port; }

QString FilingService::host() const { return QStringLiteral("127.0.0.1:") + QString::number(m_port); }

QString FilingService::basePath() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->basePath;
}

void FilingService::useForThisThread() const {
    Vezedad::Configuration& settings = Vezedad::Globals::Configuration();
    settings.SetDynamicSetting(QStringLiteral("Host"), host());
    settings.SetDynamicSetting(QStringLiteral("BaseAddress"), basePath());
}

void FilingService::setBehaviour(Route route, const Behaviour& behaviour) {
    QMutexLocker lock(&m_state->mutex);
    m_state->behaviours.insert(int(route), behaviour);
}

void FilingService::setFault(Route route, Fault fault, int delayMs) {
    Behaviour b;
    b.fault = fault;
    b.delayMs = delayMs;
    setBehaviour(route, b);
}

void FilingService::setClientVersion(const QString& client, const QString& dottedVersion) {
    QMutexLocker lock(&m_state->mutex);
    m_state->versions.insert(client, dottedVersion);
}

void FilingService::setNextTicket(qint32 ticket) {
    QMutexLocker lock(&m_state->mutex);
    m_state->nextTicket = ticket;
}

void FilingService::setNonCompliant(const QStringList& fileNames) {
    QMutexLocker lock(&m_state->mutex);
    m_state->nonCompliant = fileNames;
}

void FilingService::reset() {
    QMutexLocker lock(&m_state->mutex);
    m_state->setDefaults();
}

QList<HttpRequest> FilingService::requests() const {
    QMutexLocker lock(&m_state->mutex);
    return m_state->requests;
}

QList<HttpRequest> FilingService::requests(Route route) const {
    QMutexLocker lock(&m_state->mutex);
    QList<HttpRequest> matching;
    for (const HttpRequest& r : m_state->requests)
        if (r.route == route) matching.append(r);
    return matching;
}

void FilingService::clearRequests() {
    QMutexLocker lock(&m_state->mutex);
    m_state->requests.clear();
}

QList<std::pair<QString, qint64>> FilingService::zipEntries(const QByteArray& archive) {
    QList<std::pair<QString, qint64>> entries;
    const auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(archive.constData() + at); };
    const auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(archive.constData() + at); };
    // The end-of-central-directory record is in the last 64 KiB + 22 bytes.
    qsizetype end = -1;
    for (qsizetype at = archive.size() - 22; at >= 0 && at >= archive.size() - 65557; --at)
        if (u32(at) == 0x06054b50u) {
            end = at;
            break;
        }
    if (end < 0) return entries;
    const quint16 count = u16(end + 10);
    qsizetype at = u32(end + 16);
    for (quint16 i = 0; i < count; ++i) {
        if (at + 46 > archive.size() || u32(at) != 0x02014b50u) return {};
        const quint16 nameLength = u16(at + 28);
        const quint16 extraLength = u16(at + 30);
        const quint16 commentLength = u16(at + 32);
        if (at + 46 + nameLength > archive.size()) return {};
        entries.append({QString::fromUtf8(archive.mid(at + 46, nameLength)), qint64(u32(at + 24))});
        at += 46 + nameLength + extraLength + commentLength;
    }
    return entries;
}

} // namespace TestSupport
