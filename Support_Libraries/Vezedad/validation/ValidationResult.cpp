#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/validation/ResultStorage.h"
#include "Vezedad/validation/ValidationTables.h"

#include <algorithm>

namespace Vezedad {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

// ---------------------------------------------------------------------------
// ValidationResult

namespace {
// The stored form of a message set empty, told apart from "the table's".
const QString kNoMessage;
} // namespace

ValidationResult::ValidationResult() {
    detail::PackedText::init(m_value);
    modGlobals::requireFactory(QStringLiteral("ValidationResult"));
}

ValidationResult::ValidationResult(const ValidationResult& other)
    : m_code(other.m_code), m_field(other.m_field), m_severity(other.m_severity), m_recordNumber(other.m_recordNumber),
      m_message(other.m_message && other.m_message != &kNoMessage ? new QString(*other.m_message) : other.m_message) {
    detail::PackedText::copy(m_value, other.m_value);
}

ValidationResult& ValidationResult::operator=(const ValidationResult& other) {
    if (this != &other) {
        ValidationResult copy(other);
        std::swap(m_code, copy.m_code);
        std::swap(m_field, copy.m_field);
        std::swap(m_severity, copy.m_severity);
        std::swap(m_recordNumber, copy.m_recordNumber);
        std::swap(m_value, copy.m_value);
        std::swap(m_message, copy.m_message);
    }
    return *this;
}

ValidationResult::~ValidationResult() {
    if (m_message != &kNoMessage) delete m_message;
    detail::PackedText::release(m_value);
}

QString ValidationResult::Message() const {
    if (m_message) return *m_message;
    return ValidationTables::message(m_field, m_code, Value());
}

QString ValidationResult::Value() const { return detail::PackedText::text(m_value); }

void ValidationResult::setMessage(const QString& message) {
    if (m_message != &kNoMessage) delete m_message;
    m_message = message.isNull() ? &kNoMessage : new QString(message);
}

void detail::ResultAccess::useTableMessage(ValidationResult& r) {
    if (r.m_message != &kNoMessage) delete r.m_message;
    r.m_message = nullptr;
}

void ValidationResult::keepMessage() {
    if (!m_message) setMessage(ValidationTables::message(m_field, m_code, Value()));
}

void ValidationResult::setValue(const QString& strValue) {
    // A value change alters the table's text only where it shows the value.
    if (!m_message && m_code != valcOK) keepMessage();
    detail::PackedText::set(m_value, strValue);
}

void ValidationResult::setCode(qint32 eCode) {
    if (eCode != m_code) keepMessage();
    m_code = ValidationCode(eCode);
    if (eCode == valcOK)
        m_severity = kvesOK;
    else if (m_severity < kvesSerious)
        m_severity = kvesSerious;
}

void ValidationResult::setSeverity(qint32 eSeverity) {
    const ValidationCode code = eSeverity == kvesOK ? valcOK : m_code == valcOK ? valcUnspecified : m_code;
    if (code != m_code) keepMessage();
    m_severity = ErrorSeverity(eSeverity);
    m_code = code;
}

QString ValidationResult::ToString() const {
    if (m_severity == kvesOK) return QString();
    return (m_severity == kvesWarning ? QStringLiteral("Warning: ") : QStringLiteral("Error:   ")) +
           ValidationTables::fieldName(m_field) + QStringLiteral(" = '") + Value() + QStringLiteral("': ") + Message();
}

// ---------------------------------------------------------------------------
// RecordValidationResult

RecordValidationResult::RecordValidationResult() {
    detail::PackedText::init(m_contents);
    modGlobals::requireFactory(QStringLiteral("RecordValidationResult"));
}

RecordValidationResult::RecordValidationResult(const RecordValidationResult& other)
    : m_items(other.m_items), m_severity(other.m_severity), m_recordNumber(other.m_recordNumber),
      m_terminalField(other.m_terminalField), m_hasTerminal(other.m_hasTerminal) {
    detail::PackedText::copy(m_contents, other.m_contents);
}

RecordValidationResult& RecordValidationResult::operator=(const RecordValidationResult& other) {
    if (this != &other) {
        m_items = other.m_items;
        m_severity = other.m_severity;
        m_recordNumber = other.m_recordNumber;
        m_terminalField = other.m_terminalField;
        m_hasTerminal = other.m_hasTerminal;
        detail::PackedText::release(m_contents);
        detail::PackedText::copy(m_contents, other.m_contents);
    }
    return *this;
}

RecordValidationResult::~RecordValidationResult() { detail::PackedText::release(m_contents); }

QString RecordValidationResult::RecordContents() const { return detail::PackedText::text(m_contents); }

qsizetype RecordValidationResult::indexOf(qint32 fieldId) const {
    for (qsizetype i = 0; i < m_items.size(); ++i)
        if (m_items[i].first == fieldId) return i;
    return -1;
}

ValidationResultPtr RecordValidationResult::Terminal() const { return m_hasTerminal ? Item(m_terminalField) : nullptr; }

void RecordValidationResult::setRecordContents(const QString& strRecordContents) {
    detail::PackedText::set(m_contents, strRecordContents);
}

void RecordValidationResult::accumulateSeverity(const ValidationResult& item) {
    const ErrorSeverity s = item.Severity();
    if (s <= m_severity) return;
    m_severity = s;
    if (s == kvesTerminal) {
        m_terminalField = item.Field();
        m_hasTerminal = true;
    }
}

void RecordValidationResult::recalculate() {
    m_severity = kvesOK;
    m_hasTerminal = false;
    for (const auto& entry : m_items) accumulateSeverity(*entry.second);
}

void RecordValidationResult::Add(const ValidationResultPtr& objItem) {
    if (objItem) setItem(objItem->Field(), objItem);
}

ValidationResultPtr RecordValidationResult::Item(qint32 fieldId) const {
    const qsizetype i = indexOf(fieldId);
    return i < 0 ? nullptr : m_items[i].second;
}

void RecordValidationResult::setItem(qint32 fieldId, const ValidationResultPtr& objItem) {
    const qsizetype i = indexOf(fieldId);
    if (objItem) {
        if (i >= 0) {
            m_items[i].second = objItem;
            recalculate();
        } else {
            m_items.emplace_back(fieldId, objItem);
            accumulateSeverity(*objItem);
        }
    } else if (i >= 0) {
        Remove(fieldId);
    }
}

QVector<ValidationResultPtr> RecordValidationResult::Items() const {
    QVector<ValidationResultPtr> items;
    items.reserve(qsizetype(m_items.size()));
    for (const auto& entry : m_items) items.append(entry.second);
    return items;
}

QVector<qint32> RecordValidationResult::Keys() const {
    QVector<qint32> keys;
    keys.reserve(qsizetype(m_items.size()));
    for (const auto& entry : m_items) keys.append(entry.first);
    return keys;
}

void RecordValidationResult::Remove(qint32 fieldId) {
    const qsizetype i = indexOf(fieldId);
    if (i < 0) return;
    m_items.erase(m_items.begin() + i);
    recalculate();
}

void RecordValidationResult::RemoveAll() {
    m_items.clear();
    m_severity = kvesOK;
    m_hasTerminal = false;
}

QString RecordValidationResult::ToString() const {
    if (m_severity == kvesOK) return QString();
    QString text;
    if (m_recordNumber > 0)
        text =
            QStringLiteral("Line ") + QString::number(m_recordNumber) + QStringLiteral(": ") + RecordContents() + kCrLf;
    QString fileList, recordList, warningList;
    for (const auto& entry : m_items) {
        const ValidationResult& item = *entry.second;
        switch (item.Severity()) {
        case kvesCritical:
        case kvesTerminal: fileList += item.ToString() + kCrLf; break;
        case kvesSerious: recordList += item.ToString() + kCrLf; break;
        case kvesWarning: warningList += item.ToString() + kCrLf; break;
        default: break;
        }
    }
    if (!fileList.isEmpty())
        text +=
            QStringLiteral("The following problems cause the entire file to be considered invalid.") + kCrLf + fileList;
    if (!recordList.isEmpty())
        text +=
            QStringLiteral("The following problems cause this record to be considered invalid.") + kCrLf + recordList;
    if (!warningList.isEmpty())
        text += QStringLiteral("The following problems should be corrected but do not invalidate the record.") + kCrLf +
                warningList;
    return text;
}

void detail::ResultAccess::appendText(const RecordValidationResult& r, TextOut& out) {
    // RecordValidationResult::ToString, with the record's text copied as the
    // bytes it is kept in: a line of a hundred megabytes is never widened.
    if (r.m_severity == kvesOK) return;
    const QString source = QStringLiteral("Vezedad:RecordValidationResult.ToString");
    if (r.m_recordNumber > 0) {
        out += "Line ";
        out += qint64(r.m_recordNumber);
        out += ": ";
        QByteArrayView kept;
        if (PackedText::bytesOf(r.m_contents, kept))
            out += kept;
        else
            out += Cp1252::encodeOrRaise(r.RecordContents(), source);
        out += "\r\n";
    }
    for (const TextPart& group : kTextParts) {
        bool headed = false;
        for (const auto& entry : r.m_items) {
            const ValidationResult& item = *entry.second;
            if (item.Severity() < group.lowest || item.Severity() > group.highest) continue;
            if (!headed) out += group.heading;
            headed = true;
            out += Cp1252::encodeOrRaise(item.ToString(), source);
            out += "\r\n";
        }
    }
}

// ---------------------------------------------------------------------------
// FileValidationResult

FileValidationResult::FileValidationResult() : m_records(std::make_unique<detail::FileRecords>()) {
    modGlobals::requireFactory(QStringLiteral("FileValidationResult"));
}

FileValidationResult::~FileValidationResult() = default;

qint32 FileValidationResult::Count() const { return qint32(m_records->size()); }

bool FileValidationResult::Exists(qint32 lngRecordNumber) const { return m_records->indexOf(lngRecordNumber) >= 0; }

ErrorSeverity FileValidationResult::Severity() const {
    for (int s = kvesTerminal; s > kvesOK; --s)
        if (m_counts[s] != 0) return ErrorSeverity(s);
    return kvesOK;
}

qint32 FileValidationResult::SeverityCount(qint32 lngSeverity) const {
    return (lngSeverity < 0 || lngSeverity > 4) ? 0 : m_counts[lngSeverity];
}

ValidationResultPtr FileValidationResult::Terminal() const {
    if (!m_terminalRecord) return nullptr;
    const qsizetype i = m_records->indexOf(*m_terminalRecord);
    const RecordValidationResultPtr record = i >= 0 ? m_records->at(i) : nullptr;
    return record ? record->Terminal() : nullptr;
}

void FileValidationResult::Add(const RecordValidationResultPtr& objItem) {
    if (objItem) setItem(objItem->RecordNumber(), objItem);
}

RecordValidationResultPtr FileValidationResult::Item(qint32 lngRecordNumber) const {
    const qsizetype i = m_records->indexOf(lngRecordNumber);
    return i >= 0 ? m_records->at(i) : nullptr;
}

void FileValidationResult::setItem(qint32 lngRecordNumber, const RecordValidationResultPtr& objItem) {
    if (Exists(lngRecordNumber)) Remove(lngRecordNumber);
    if (!objItem) return;
    m_records->append(lngRecordNumber, objItem);
    const ErrorSeverity s = objItem->Severity();
    if (s == kvesTerminal) m_terminalRecord = lngRecordNumber;
    updateSeverityCounts(-1, s);
}

QVector<RecordValidationResultPtr> FileValidationResult::Items() const {
    QVector<RecordValidationResultPtr> items;
    items.reserve(m_records->size());
    for (qsizetype i = 0; i < m_records->size(); ++i) items.append(m_records->at(i));
    return items;
}

QVector<qint32> FileValidationResult::Keys() const {
    QVector<qint32> keys;
    keys.reserve(m_records->size());
    const detail::KeyOrder order(*m_records);
    for (qsizetype i = 0; i < m_records->size(); ++i) keys.append(m_records->keyAt(order[i]));
    return keys;
}

void FileValidationResult::Remove(qint32 lngRecordNumber) {
    const qsizetype i = m_records->indexOf(lngRecordNumber);
    if (i < 0) return;
    updateSeverityCounts(m_records->severityAt(i), -1);
    // A compact record's number is its key.
    const RecordValidationResultPtr record = m_records->isCompact(i) ? nullptr : m_records->at(i);
    const qint32 number = record ? record->RecordNumber() : lngRecordNumber;
    if (m_terminalRecord && *m_terminalRecord == number) m_terminalRecord.reset();
    m_records->removeAt(i);
}

void FileValidationResult::RemoveAll() {
    m_records->clear();
    std::fill(std::begin(m_counts), std::end(m_counts), 0);
    m_terminalRecord.reset();
}

void FileValidationResult::updateSeverityCounts(qint32 oldSeverity, qint32 newSeverity) {
    if (oldSeverity >= 0 && oldSeverity <= 4) --m_counts[oldSeverity];
    if (newSeverity >= 0 && newSeverity <= 4) ++m_counts[newSeverity];
}

// ---------------------------------------------------------------------------
// RecordListing

RecordListing::RecordListing(const FileValidationResult& result)
    : m_records(detail::ResultAccess::records(result)), m_order(std::make_unique<detail::KeyOrder>(m_records)),
      m_size(m_records.size()) {}

RecordListing::~RecordListing() = default;

qint32 RecordListing::Key(qsizetype i) const { return m_records.keyAt((*m_order)[i]); }

bool RecordListing::IsWhole(qsizetype i) const { return !m_records.isCompact((*m_order)[i]); }

RecordValidationResultPtr RecordListing::Item(qsizetype i) const { return m_records.at((*m_order)[i]); }

void RecordListing::AppendText(qsizetype i, QByteArray& out) const {
    detail::TextOut text(out);
    m_records.appendText((*m_order)[i], text);
    text.end();
}

void RecordListing::AppendText(qsizetype i, QByteArray& out, const std::function<void(QByteArrayView)>& write) const {
    detail::TextOut text(out, &write);
    m_records.appendText((*m_order)[i], text);
    text.end();
}

// ---------------------------------------------------------------------------
// Factories

namespace modGlobals {

ValidationResultPtr New_ValidationResult(qint32 fieldId, qint32 recordNumber, const QString& value, qint32 code,
                                         qint32 severity) {
    static const FactoryFailure failure =
        factoryFailure(QStringLiteral("New_ValidationResult"), QStringLiteral("ValidationResult"));
    ValidationResultPtr result = createSharedThroughFactory<ValidationResult>(factoryModule(), failure);
    detail::ResultAccess::setField(*result, fieldId);
    detail::ResultAccess::setRecordNumber(*result, recordNumber);
    result->setValue(value);
    result->setCode(code);
    result->setSeverity(severity);
    // The message is the table's for the code asked for, which the
    // severity may have overruled.
    if (result->Code() == code)
        detail::ResultAccess::useTableMessage(*result);
    else
        detail::ResultAccess::setMessage(*result, ValidationTables::message(fieldId, code, value));
    return result;
}

RecordValidationResultPtr New_RecordValidationResult(qint32 recordNumber, const QString& contents) {
    static const FactoryFailure failure =
        factoryFailure(QStringLiteral("New_RecordValidationResult"), QStringLiteral("RecordValidationResult"));
    RecordValidationResultPtr result = createSharedThroughFactory<RecordValidationResult>(factoryModule(), failure);
    result->setRecordNumber(recordNumber);
    result->setRecordContents(contents);
    return result;
}

FileValidationResultPtr New_FileValidationResult() {
    return createSharedThroughFactory<FileValidationResult>(
        factoryModule(),
        factoryFailure(QStringLiteral("New_FileValidationResult"), QStringLiteral("FileValidationResult")));
}

} // namespace modGlobals

} // namespace Vezedad
