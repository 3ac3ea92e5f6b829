#include "ZiverezUvaveded/Messages.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Numbers.h"
#include "ZiverezUvaveded/Globals.h"

#include <QTextStream>
#include <QVariant>
#include <optional>

namespace VezirodEdovud {

using Vezedad::ErrorInfo;

namespace {

std::optional<double> numberIn(const QString& text) { return Vezedad::numericText(text); }

qint32 toLong(double value) { return Vezedad::roundedOrOverflow<qint32>(value, QString()); }

bool toBoolean(const QString& text) { return Vezedad::toBoolean(text, QString()); }

QString caseKey(const QString& name) { return name.toCaseFolded(); }

// The position of the first character that XML cannot carry (control
// characters other than TAB, LF and CR, unpaired surrogates, U+FFFE and
// U+FFFF), or -1.
qsizetype firstUnsendable(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x20) {
            if (c != u'\t' && c != u'\n' && c != u'\r') return i;
        } else if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate()) return i;
            ++i;
        } else if (QChar::isLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF) {
            return i;
        }
    }
    return -1;
}

// Refuses a record holding a value that XML cannot carry: the service would
// get a malformed record, or a value other than the one given.
void refuseUnsendable(const QDomElement& element) {
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isElement()) {
            refuseUnsendable(child.toElement());
            continue;
        }
        const QString text = child.nodeValue();
        const qsizetype at = firstUnsendable(text);
        if (at < 0) continue;
        throw ErrorInfo(Vezedad::errInvalidProcedureCall,
                        QStringLiteral("The value of %1 holds a character that cannot be sent (U+%2 at position %3); "
                                       "nothing was sent.")
                            .arg(element.tagName())
                            .arg(QString::number(text.at(at).unicode(), 16).toUpper().rightJustified(4, u'0'))
                            .arg(at + 1),
                        QString());
    }
}

} // namespace

// ---- FileDescription ----

void FileDescription::Deserialize(const QDomNode& node) {
    const QDomElement name = node.firstChildElement(QStringLiteral("Name"));
    if (!name.isNull()) m_name = name.text();
    const QDomElement length = node.firstChildElement(QStringLiteral("Length"));
    if (!length.isNull()) {
        try {
            const std::optional<double> number = numberIn(length.text());
            m_length = number ? toLong(*number) : -1;
        } catch (...) {
            m_length = -1;
        }
    }
    const QDomElement compliant = node.firstChildElement(QStringLiteral("Compliant"));
    if (compliant.isNull()) {
        m_compliant = fcUndetermined;
    } else {
        const QString word = compliant.text().toLower();
        m_compliant = word == QLatin1String("true")    ? fcCompliant
                      : word == QLatin1String("false") ? fcNotCompliant
                                                       : fcUndetermined;
    }
}

// ---- FileDescriptions ----

qsizetype FileDescriptions::find(const QString& name) const {
    const QString key = caseKey(name);
    for (size_t i = 0; i < m_items.size(); ++i)
        if (caseKey(m_items[i]->Name()) == key) return qsizetype(i);
    return -1;
}

qint32 FileDescriptions::Add(const FileDescriptionPtr& item) {
    if (!item) return 0;
    const qsizetype existing = find(item->Name());
    if (existing >= 0) return qint32(existing + 1);
    m_items.push_back(item);
    return Count();
}

FileDescriptionPtr FileDescriptions::AddNew(const QString& fileName, qint32 fileLength, qint32 fileCompliant) {
    const qsizetype existing = find(fileName);
    if (existing >= 0) return m_items[size_t(existing)];
    auto item = std::make_shared<FileDescription>(fileName, fileLength, fileCompliant);
    m_items.push_back(item);
    return item;
}

void FileDescriptions::Clear() { m_items.clear(); }

bool FileDescriptions::Exists(qint32 position) const { return position >= 1 && position <= Count(); }
bool FileDescriptions::Exists(const QString& name) const { return find(name) >= 0; }
bool FileDescriptions::Exists(const FileDescriptionPtr& item) const { return item && Exists(item->Name()); }

qint32 FileDescriptions::Index(const QString& fileName) const {
    const qsizetype i = find(fileName);
    return i < 0 ? 0 : qint32(i + 1);
}

FileDescriptionPtr FileDescriptions::Item(qint32 position) const {
    return Exists(position) ? m_items[size_t(position - 1)] : nullptr;
}

FileDescriptionPtr FileDescriptions::Item(const QString& name) const {
    const qsizetype i = find(name);
    return i < 0 ? nullptr : m_items[size_t(i)];
}

FileDescriptionPtr FileDescriptions::Item(const FileDescriptionPtr& item) const {
    return item ? Item(item->Name()) : nullptr;
}

void FileDescriptions::Remove(qint32 position) {
    if (Exists(position)) m_items.erase(m_items.begin() + (position - 1));
}

void FileDescriptions::Remove(const QString& name) {
    const qsizetype i = find(name);
    if (i >= 0) m_items.erase(m_items.begin() + i);
}

void FileDescriptions::Remove(const FileDescriptionPtr& item) {
    if (item) Remove(item->Name());
}

void FileDescriptions::Deserialize(const QDomNode& node) {
    for (QDomElement child = node.firstChildElement(QStringLiteral("FileDescription")); !child.isNull();
         child = child.nextSiblingElement(QStringLiteral("FileDescription"))) {
        auto item = std::make_shared<FileDescription>();
        item->Deserialize(child);
        Add(item);
    }
}

// ---- SubmissionMetadata ----

SubmissionMetadata::SubmissionMetadata()
    : m_channel(QStringLiteral("ZelReportService")), m_reportYear(modGlobals::CurrentReportYear()) {}

void SubmissionMetadata::setClient(const QString& value) {
    m_client = value;
    m_clientOption = Vezedad::kvoUnknown;
    for (qint32 option : {Vezedad::kvoOptionA, Vezedad::kvoOptionB, Vezedad::kvoOptionC})
        for (bool spaced : {false, true})
            if (value.compare(Vezedad::Globals::GetOptionName(option, spaced), Qt::CaseInsensitive) == 0) {
                m_clientOption = option;
                return;
            }
}

void SubmissionMetadata::setClientOption(qint32 value) {
    m_clientOption = value;
    m_client = Vezedad::Globals::GetOptionName(value, false);
}

QDomElement SubmissionMetadata::Serialize() const {
    QDomElement metadata = modGlobals::GetDom().createElement(QStringLiteral("Metadata"));
    modGlobals::AppendTextElement(metadata, QStringLiteral("ReportYear"), QString::number(m_reportYear));
    modGlobals::AppendTextElement(metadata, QStringLiteral("Client"), m_client);
    modGlobals::AppendTextElement(metadata, QStringLiteral("ClientVersion"), m_clientVersion);
    modGlobals::AppendTextElement(metadata, QStringLiteral("ClientOS"), m_clientOS);
    modGlobals::AppendTextElement(metadata, QStringLiteral("Channel"), m_channel);
    modGlobals::AppendTextElement(metadata, QStringLiteral("Comment"), m_comment);
    return metadata;
}

// ---- SubmitMetadataRequest ----

SubmitMetadataRequest::SubmitMetadataRequest()
    : m_metadata(new SubmissionMetadata), m_identity(modGlobals::ReportIdentity()) {}

SubmitMetadataRequest::~SubmitMetadataRequest() {
    m_metadata.reset();
    m_identity.reset();
}

QDomElement SubmitMetadataRequest::Serialize() const {
    return Vezedad::trap(
        Vezedad::TrailForm::Bracket, QStringLiteral("VezirodEdovud2:SubmitMetadataRequest.Serialize"), [&] {
            QDomElement request = modGlobals::GetDom().createElement(QStringLiteral("SubmitMetadataRequest"));
            request.appendChild(m_metadata->Serialize());
            if (!m_identity) Vezedad::raiseRuntimeError(Vezedad::rtObjectNotSet, QString());
            request.appendChild(m_identity->Serialize());
            refuseUnsendable(request);
            return request;
        });
}

QString SubmitMetadataRequest::XmlText() const {
    QString text;
    QTextStream stream(&text);
    Serialize().save(stream, -1);
    return text;
}

// ---- SubmitMetadataResponse ----

void SubmitMetadataResponse::Deserialize(const QDomDocument& reply) {
    const QDomNodeList tickets = reply.elementsByTagName(QStringLiteral("Ticket"));
    if (!tickets.isEmpty())
        if (const std::optional<double> number = numberIn(tickets.at(0).toElement().text())) {
            m_ticket = toLong(*number);
            // The service numbers its submissions from 1.
            m_hasTicket = m_ticket > 0;
        }
    const QDomNodeList locations = reply.elementsByTagName(QStringLiteral("Location"));
    if (!locations.isEmpty()) m_location = locations.at(0).toElement().text();
}

// ---- UploadFileResponse ----

UploadFileResponse::UploadFileResponse() : m_files(std::make_shared<FileDescriptions>()) {}

void UploadFileResponse::Deserialize(const QDomDocument& reply) {
    const QDomElement root = reply.documentElement();
    if (root.isNull() || root.tagName() != QLatin1String("UploadFileResponse")) return;
    m_receiptRead = true;
    const QDomElement year = root.firstChildElement(QStringLiteral("Year"));
    if (!year.isNull())
        if (const std::optional<double> number = numberIn(year.text())) m_reportYear = toLong(*number);
    const QDomElement ticket = root.firstChildElement(QStringLiteral("Ticket"));
    if (!ticket.isNull())
        if (const std::optional<double> number = numberIn(ticket.text())) m_ticket = toLong(*number);
    const QDomElement compliant = root.firstChildElement(QStringLiteral("Compliant"));
    if (!compliant.isNull()) m_compliant = compliant.text().isEmpty() ? false : toBoolean(compliant.text());
    const QDomElement files = root.firstChildElement(QStringLiteral("Files"));
    if (!files.isNull()) m_files->Deserialize(files);
}

void UploadFileResponse::setSentUnder(qint32 ticket, qint32 reportYear) {
    m_ticket = ticket;
    m_reportYear = reportYear;
}

} // namespace VezirodEdovud
