#pragma once
#include "Vezedad/foundation/ClientVersion.h"
#include "ZiverezUvaveded/Messages.h"
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <memory>
#include <utility>

class QFile;
class QIODevice;
class QNetworkAccessManager;

namespace VezirodEdovud {

// The client of the regulator's filing service: checks that it answers, asks
// for a filing option's current version and sends a submission (the
// submission record, then the archive). One per caller thread, made only by
// modGlobals::Proxy (reached through Globals::Proxy()).
//
// Every request blocks its caller until the answer comes: the thread waits in
// a local event loop that takes no user input, so windows keep painting but
// nothing can be clicked. Every request has a time-out; a request that times
// out counts as one that got no answer.
//
// A request that gets no answer at all (refused, reset, closed before the
// whole reply arrived, timed out) raises TransportFailure with the network
// library's description of the failure. The submission record and the file
// are sent at most once: a connection that closes before the answer is never
// followed by a second copy of the request.
class VEZIRODEDOVUD_EXPORT Proxy {
public:
    // The error number of every failed transport.
    static constexpr qint32 TransportFailure = qint32(0x800C0005u);

    struct Timeouts {
        int quickMs = 5000;      // alive check and version request, whole request
        int silenceMs = 60000;   // submission and file: the longest wait without any data moving
        int retryPauseMs = 1000; // pause between the two alive checks
    };

    Proxy();
    ~Proxy();
    Proxy(const Proxy&) = delete;
    Proxy& operator=(const Proxy&) = delete;

    bool CheckService();
    Vezedad::ClientVersionPtr CurrentVersion(const QString& pClient);
    // Sends the submission record, then the file at rReportFile.
    UploadFileResponsePtr UploadReport(const SubmitMetadataRequest& rSubmissionRequest, const QString& rReportFile);

    // "http://" + Host + BaseAddress, fixed when the client was made.
    QString BaseAddress() const { return m_baseAddress; }
    // The address of path on the service at host: "http://" + host + path,
    // or host + path when host starts with its own secure scheme.
    static QString ServiceAddress(const QString& host, const QString& path);
    Timeouts timeouts() const { return m_timeouts; }
    void setTimeouts(const Timeouts& value) { m_timeouts = value; }

    // Inside the library only.
    bool Ping();
    SubmitMetadataResponsePtr SubmitMetadata(const SubmitMetadataRequest& request);
    // In partial mode the service answers 202 and no reply object is made.
    UploadFileResponsePtr UploadFile(const QString& reportFile, qint32 ticket, bool partial);

    // The "Content-Type" of an uploaded file, by its extension.
    static QString ContentTypeFor(const QString& fileName);

private:
    struct Answer {
        bool answered = false;
        int status = 0;
        QString statusText;
        QByteArray body;
        QString failure; // why there is no answer
        QUrl redirect;   // where a redirect points, as given
    };
    enum class Wait { Whole, Silence };

    // Sends one request and waits for its answer. A body is sent at most
    // once, whatever happens to the connection.
    Answer exchange(const QByteArray& method, const QString& address,
                    const QList<std::pair<QByteArray, QByteArray>>& headers, QIODevice* body, Wait wait);
    Answer sendOnce(const QByteArray& method, const QUrl& url, const QList<std::pair<QByteArray, QByteArray>>& headers,
                    QIODevice* body, Wait wait);
    [[noreturn]] static void raiseTransport(const Answer& answer);
    // Opens the file to be sent; one that cannot be read raises 1006.
    static void openForSending(QFile& file);
    UploadFileResponsePtr UploadFile(QFile& file, qint32 ticket, bool partial);
    QString address(const QStringList& segments) const;

    QString m_baseAddress;
    Timeouts m_timeouts;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace VezirodEdovud
