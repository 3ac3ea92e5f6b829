#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>

class QThread;

// A small filing service for tests: an HTTP/1.1 server on 127.0.0.1 (a free
// port) that answers the four requests of the upload client, records every
// request it receives and can be told to misbehave.
//
// It runs on a thread of its own, so it answers even while the test's thread
// is blocked inside a request or a modal window.
//
// Normal answers (paths after the base path, "/Report.svc/" by default):
//   GET  ""                              200, a short text
//   GET  "Client/<name>/Version"         200, <ClientVersion><Version>..<Major>..<Minor>..<Build>..<Revision>..
//                                        for a client set by setClientVersion ("OptionA", "OptionB" and
//                                        "OptionC" start at "1.0.0.0"), 404 for any other name
//   POST "Submission"                    201, <SubmitMetadataResponse><Ticket>N</Ticket><Location>..</Location>
//                                        with a new ticket (from setNextTicket, 1000 at first); 400 when the
//                                        body is not a SubmitMetadataRequest document
//   POST "Submission/<year>/<ticket>/<file>"
//                                        200, <UploadFileResponse><Year/><Ticket/><Compliant/><Files>
//                                        <FileDescription><Name/><Length/><Compliant/>..</Files>, one entry per
//                                        file inside the uploaded zip archive (or one for the body itself when
//                                        it is no zip); a file is compliant unless named by setNonCompliant.
//                                        "Expect: 202-Accepted" gets 202 with no body. An unknown ticket gets
//                                        404, a body shorter or longer than Content-Length 400.
// Anything else gets 404. Every reply carries "Connection: close".
//
// Typical use:
//   TestSupport::FilingService service;       // listening at once
//   service.useForThisThread();               // Host and BaseAddress settings of this thread point here
//   ... run the client ...
//   QCOMPARE(service.requests(Route::Submission).size(), 1);
//   service.setBehaviour(Route::Upload, {.status = 500, .body = QByteArray("boom")});
//   service.setFault(Route::Ping, Fault::NoAnswer);
//   service.reset();                          // normal answers again, record emptied
namespace TestSupport {

enum class Route { Ping, Version, Submission, Upload, Other };

enum class Fault {
    None,
    NoAnswer,     // reads the request and never answers (the connection stays open)
    CloseHalfway, // sends the status line, the headers and half the body, then closes
    CloseAtOnce,  // reads the whole request and closes the connection without a byte of answer
};

// How one route misbehaves; every field left unset keeps the normal answer.
struct Behaviour {
    std::optional<int> status;
    QByteArray reason;              // empty: the usual phrase of the status
    std::optional<QByteArray> body; // replaces the normal body (malformed XML, no ticket, ...)
    Fault fault = Fault::None;
    int delayMs = 0;     // waits this long before answering
    QByteArray location; // sent as a "Location" header (with a redirect status)
    int times = 0;       // 0: every request of the route; N: the next N only, then normal answers
};

struct HttpRequest {
    QByteArray method;
    QByteArray target; // the request target exactly as sent, e.g. "/Report.svc/Submission"
    QList<std::pair<QByteArray, QByteArray>> headers; // in the order received
    QByteArray body;
    Route route = Route::Other;

    // The value of a header (name compared ignoring case), empty when absent.
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
    // The target after the base path, percent-decoded.
    QString relativePath;
};

class FilingService {
public:
    explicit FilingService(const QString& basePath = QStringLiteral("/Report.svc/"));
    ~FilingService();
    FilingService(const FilingService&) = delete;
    FilingService& operator=(const FilingService&) = delete;

    quint16 port() const;
    // "127.0.0.1:" + port, the value of the Host setting that reaches it.
    QString host() const;
    QString basePath() const;
    // Sets the Host and BaseAddress settings of the calling thread's settings
    // object (in the test's private hives) so that a client made afterwards
    // talks to this service. A client already made keeps its old address.
    void useForThisThread() const;

    void setBehaviour(Route route, const Behaviour& behaviour);
    void setFault(Route route, Fault fault, int delayMs = 0);
    void setClientVersion(const QString& client, const QString& dottedVersion);
    void setNextTicket(qint32 ticket);
    void setNonCompliant(const QStringList& fileNames);
    // Normal answers, default versions and tickets, and an empty record.
    void reset();

    QList<HttpRequest> requests() const;
    QList<HttpRequest> requests(Route route) const;
    void clearRequests();

    // The names and sizes of the files in a zip archive (empty when the
    // bytes are no zip archive).
    static QList<std::pair<QString, qint64>> zipEntries(const QByteArray& archive);

    class Worker;

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::unique_ptr<QThread> m_thread;
    Worker* m_worker = nullptr;
    quint16 m_port = 0;
};

} // namespace TestSupport
