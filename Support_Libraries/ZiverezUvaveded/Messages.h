#pragma once
#include "Vezedad/foundation/Identity.h"
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <memory>
#include <vector>

// The XML messages exchanged with the filing service: the request that opens
// a submission, the reply to it (the ticket) and the reply to the upload of
// the archive (the files the service received and whether they comply).
namespace VezirodEdovud {

class Proxy;

// Three-state compliance of one file.
enum FileCompliance : qint32 {
    fcCompliant = -1,
    fcNotCompliant = 0,
    fcUndetermined = -2,
};

class VEZIRODEDOVUD_EXPORT FileDescription {
public:
    FileDescription() = default;
    FileDescription(const QString& name, qint32 length, qint32 compliant)
        : m_name(name), m_length(length), m_compliant(compliant) {}

    QString Name() const { return m_name; }
    void setName(const QString& value) { m_name = value; }
    qint32 Length() const { return m_length; }
    void setLength(qint32 value) { m_length = value; }
    qint32 Compliant() const { return m_compliant; }
    void setCompliant(qint32 value) { m_compliant = value; }

    // Inside the library only.
    void Deserialize(const QDomNode& node);

private:
    QString m_name;
    qint32 m_length = 0;
    qint32 m_compliant = fcNotCompliant;
};

using FileDescriptionPtr = std::shared_ptr<FileDescription>;

// The files of an upload reply, in the order received, keyed by name
// (names compared ignoring case). Positions count from 1. Lookups that fail
// give 0, false or null; nothing here raises.
class VEZIRODEDOVUD_EXPORT FileDescriptions {
public:
    qint32 Add(const FileDescriptionPtr& item);
    FileDescriptionPtr AddNew(const QString& fileName, qint32 fileLength, qint32 fileCompliant);
    void Clear();
    qint32 Count() const { return qint32(m_items.size()); }
    bool Exists(qint32 position) const;
    bool Exists(const QString& name) const;
    bool Exists(const FileDescriptionPtr& item) const;
    qint32 Index(const QString& fileName) const;
    FileDescriptionPtr Item(qint32 position) const;
    FileDescriptionPtr Item(const QString& name) const;
    FileDescriptionPtr Item(const FileDescriptionPtr& item) const;
    void Remove(qint32 position);
    void Remove(const QString& name);
    void Remove(const FileDescriptionPtr& item);

    // Enumeration in position order.
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

    // Inside the library only.
    void Deserialize(const QDomNode& node);

private:
    qsizetype find(const QString& name) const;
    std::vector<FileDescriptionPtr> m_items;
};

using FileDescriptionsPtr = std::shared_ptr<FileDescriptions>;

// The submission record's metadata; reached only through
// SubmitMetadataRequest::Metadata().
class VEZIRODEDOVUD_EXPORT SubmissionMetadata {
public:
    QString Channel() const { return m_channel; }
    void setChannel(const QString& value) { m_channel = value; }
    QString Client() const { return m_client; }
    // Also picks the option whose name matches, spaced or not, ignoring case.
    void setClient(const QString& value);
    qint32 ClientOption() const { return m_clientOption; }
    // Also sets Client to the option's unspaced name.
    void setClientOption(qint32 value);
    QString ClientVersion() const { return m_clientVersion; }
    void setClientVersion(const QString& value) { m_clientVersion = value; }
    QString ClientOS() const { return m_clientOS; }
    void setClientOS(const QString& value) { m_clientOS = value; }
    QString Comment() const { return m_comment; }
    void setComment(const QString& value) { m_comment = value; }
    qint16 ReportYear() const { return m_reportYear; }
    void setReportYear(qint16 value) { m_reportYear = value; }

    // Inside the library only.
    QDomElement Serialize() const;

private:
    friend class SubmitMetadataRequest;
    SubmissionMetadata();

    QString m_channel;
    QString m_client;
    qint32 m_clientOption = 0;
    QString m_clientVersion;
    QString m_clientOS;
    QString m_comment;
    qint16 m_reportYear = 0;
};

// The submission record: the metadata and the filer's identity (the report
// model's own identity unless another is set).
class VEZIRODEDOVUD_EXPORT SubmitMetadataRequest {
public:
    SubmitMetadataRequest();
    ~SubmitMetadataRequest();
    SubmitMetadataRequest(const SubmitMetadataRequest&) = delete;
    SubmitMetadataRequest& operator=(const SubmitMetadataRequest&) = delete;

    Vezedad::IdentityPtr Identity() const { return m_identity; }
    void setIdentity(const Vezedad::IdentityPtr& value) { m_identity = value; }
    SubmissionMetadata& Metadata() { return *m_metadata; }
    const SubmissionMetadata& Metadata() const { return *m_metadata; }

    // Inside the library only: the free-standing "SubmitMetadataRequest"
    // element, and its XML text as sent (no XML declaration).
    QDomElement Serialize() const;
    QString XmlText() const;

private:
    std::unique_ptr<SubmissionMetadata> m_metadata;
    Vezedad::IdentityPtr m_identity;
};

// The service's answer to a submission record; made by the client.
class VEZIRODEDOVUD_EXPORT SubmitMetadataResponse {
public:
    QString Location() const { return m_location; }
    qint32 Ticket() const { return m_ticket; }

    // Inside the library only.
    void Deserialize(const QDomDocument& reply);
    // True when the reply held a "Ticket" with a number above 0.
    bool HasTicket() const { return m_hasTicket; }

private:
    friend class Proxy;
    SubmitMetadataResponse() = default;

    QString m_location;
    qint32 m_ticket = 0;
    bool m_hasTicket = false;
};

using SubmitMetadataResponsePtr = std::shared_ptr<SubmitMetadataResponse>;

// The service's answer to the upload of the archive.
class VEZIRODEDOVUD_EXPORT UploadFileResponse {
public:
    UploadFileResponse();

    bool Compliant() const { return m_compliant; }
    FileDescriptions& Files() { return *m_files; }
    const FileDescriptions& Files() const { return *m_files; }
    qint32 ReportYear() const { return m_reportYear; }
    qint32 Ticket() const { return m_ticket; }

    // Inside the library only. A reply that is no readable receipt leaves
    // everything empty and ReceiptRead false.
    void Deserialize(const QDomDocument& reply);
    bool ReceiptRead() const { return m_receiptRead; }
    // For a receipt that could not be read: the ticket and year the files
    // were sent under.
    void setSentUnder(qint32 ticket, qint32 reportYear);

private:
    bool m_compliant = false;
    FileDescriptionsPtr m_files;
    qint32 m_reportYear = 0;
    qint32 m_ticket = 0;
    bool m_receiptRead = false;
};

using UploadFileResponsePtr = std::shared_ptr<UploadFileResponse>;

} // namespace VezirodEdovud
