#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/validation/Validator.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace Vezedad {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

// ---------------------------------------------------------------------------
// PackedText

namespace {
// A heap block: its length in characters, whether it holds UTF-16, then the text.
struct PackedBlock {
    qint32 size;
    bool wide;
    char text[1];
};

PackedBlock* newBlock(qsizetype size, bool wide, const void* text) {
    const size_t bytes = size_t(size) * (wide ? 2 : 1);
    auto* block = static_cast<PackedBlock*>(::operator new(offsetof(PackedBlock, text) + bytes));
    block->size = qint32(size);
    block->wide = wide;
    std::memcpy(block->text, text, bytes);
    return block;
}
} // namespace

PackedText::PackedText(const PackedText& other) {
    std::memcpy(m_data, other.m_data, sizeof m_data);
    if (m_data[15] == kHeap) {
        const auto* block = static_cast<const PackedBlock*>(other.heap());
        void* copy = newBlock(block->size, block->wide, block->text);
        std::memcpy(m_data, &copy, sizeof copy);
    }
}

PackedText& PackedText::operator=(const PackedText& other) {
    if (this != &other) {
        PackedText copy(other);
        std::swap(m_data, copy.m_data);
    }
    return *this;
}

PackedText::~PackedText() { release(); }

void* PackedText::heap() const {
    void* p;
    std::memcpy(&p, m_data, sizeof p);
    return p;
}

void PackedText::release() {
    if (m_data[15] == kHeap) ::operator delete(heap());
    m_data[15] = char(kNull);
}

void PackedText::setBytes(QByteArrayView bytes) {
    release();
    if (bytes.size() < 16) {
        std::memcpy(m_data, bytes.data(), size_t(bytes.size()));
        m_data[15] = char(bytes.size());
        return;
    }
    void* block = newBlock(bytes.size(), false, bytes.data());
    std::memcpy(m_data, &block, sizeof block);
    m_data[15] = char(kHeap);
}

void PackedText::set(const QString& text) {
    if (text.isNull()) return release();
    // Every character the code page holds comes back from its byte as it was.
    QByteArray bytes;
    if (Cp1252::encode(text, bytes)) return setBytes(bytes);
    release();
    void* block = newBlock(text.size(), true, text.constData());
    std::memcpy(m_data, &block, sizeof block);
    m_data[15] = char(kHeap);
}

QString PackedText::text() const {
    const quint8 form = quint8(m_data[15]);
    if (form == kNull) return QString();
    if (form < 16) return Cp1252::decode(QByteArrayView(m_data, form));
    const auto* block = static_cast<const PackedBlock*>(heap());
    if (block->wide) return QString(reinterpret_cast<const QChar*>(block->text), block->size);
    return Cp1252::decode(QByteArrayView(block->text, block->size));
}

// ---------------------------------------------------------------------------
// ValidationResult

namespace {
// The stored form of a message set empty, told apart from "the table's".
const QString kNoMessage;
} // namespace

ValidationResult::ValidationResult() { modGlobals::requireFactory(QStringLiteral("ValidationResult")); }

ValidationResult::ValidationResult(const ValidationResult& other)
    : m_code(other.m_code), m_field(other.m_field), m_severity(other.m_severity), m_recordNumber(other.m_recordNumber),
      m_value(other.m_value),
      m_message(other.m_message && other.m_message != &kNoMessage ? new QString(*other.m_message) : other.m_message) {}

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
}

QString ValidationResult::Message() const {
    if (m_message) return *m_message;
    return Validator::TableMessage(m_field, m_code, Value());
}

void ValidationResult::SetMessage(const QString& message) {
    if (m_message != &kNoMessage) delete m_message;
    m_message = message.isNull() ? &kNoMessage : new QString(message);
}

void ValidationResult::UseTableMessage() {
    if (m_message != &kNoMessage) delete m_message;
    m_message = nullptr;
}

void ValidationResult::keepMessage() {
    if (!m_message) SetMessage(Validator::TableMessage(m_field, m_code, Value()));
}

void ValidationResult::SetField(qint32 fieldId) {
    if (fieldId == m_field) return;
    keepMessage();
    m_field = ZelReportField(fieldId);
}

void ValidationResult::setValue(const QString& strValue) {
    // A value change alters the table's text only where it shows the value.
    if (!m_message && m_code != valcOK) keepMessage();
    m_value.set(strValue);
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
           Globals::Validator().FieldName(m_field) + QStringLiteral(" = '") + Value() + QStringLiteral("': ") +
           Message();
}

// ---------------------------------------------------------------------------
// RecordValidationResult

RecordValidationResult::RecordValidationResult() {
    modGlobals::requireFactory(QStringLiteral("RecordValidationResult"));
}

qsizetype RecordValidationResult::indexOf(qint32 fieldId) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].first == fieldId) return qsizetype(i);
    return -1;
}

ValidationResultPtr RecordValidationResult::Terminal() const { return m_hasTerminal ? Item(m_terminalField) : nullptr; }

void RecordValidationResult::setRecordContents(const QString& strRecordContents) { m_contents.set(strRecordContents); }

void RecordValidationResult::SetRecordBytes(QByteArrayView bytes) { m_contents.setBytes(bytes); }

void RecordValidationResult::AccumulateSeverity(const ValidationResult& item) {
    const ErrorSeverity s = item.Severity();
    if (s <= m_severity) return;
    m_severity = s;
    if (s == kvesTerminal) {
        m_terminalField = item.Field();
        m_hasTerminal = true;
    }
}

void RecordValidationResult::Recalculate() {
    m_severity = kvesOK;
    m_hasTerminal = false;
    for (const auto& entry : m_items) AccumulateSeverity(*entry.second);
}

void RecordValidationResult::Add(const ValidationResultPtr& objItem) {
    if (objItem) setItem(objItem->Field(), objItem);
}

ValidationResultPtr RecordValidationResult::Item(qint32 fieldId) const {
    const qsizetype i = indexOf(fieldId);
    return i < 0 ? nullptr : m_items[size_t(i)].second;
}

void RecordValidationResult::setItem(qint32 fieldId, const ValidationResultPtr& objItem) {
    const qsizetype i = indexOf(fieldId);
    if (objItem) {
        if (i >= 0) {
            m_items[size_t(i)].second = objItem;
            Recalculate();
        } else {
            m_items.emplace_back(fieldId, objItem);
            AccumulateSeverity(*objItem);
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
    Recalculate();
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

// ---------------------------------------------------------------------------
// RecordTable

qsizetype RecordTable::indexOf(qint32 key) const {
    const auto begin = m_keys.begin(), ascendingEnd = begin + m_ascending;
    const auto it = std::lower_bound(begin, ascendingEnd, key);
    if (it != ascendingEnd && *it == key) return it - begin;
    const qsizetype tail = size() - m_ascending;
    if (tail <= kShortTail) {
        for (qsizetype i = m_ascending; i < size(); ++i)
            if (m_keys[size_t(i)] == key) return i;
        return -1;
    }
    if (m_index.isEmpty())
        for (qsizetype i = m_ascending; i < size(); ++i) m_index.insert(m_keys[size_t(i)], i);
    return m_index.value(key, -1);
}

void RecordTable::append(qint32 key, const RecordValidationResultPtr& record) {
    const bool rising = m_ascending == size() && (m_keys.empty() || key > m_keys.back());
    m_keys.push_back(key);
    m_records.push_back(record);
    if (rising)
        ++m_ascending;
    else if (!m_index.isEmpty())
        m_index.insert(key, size() - 1);
}

void RecordTable::removeAt(qsizetype i) {
    m_keys.erase(m_keys.begin() + i);
    m_records.erase(m_records.begin() + i);
    if (i < m_ascending) --m_ascending;
    m_index.clear();
}

void RecordTable::clear() {
    m_keys.clear();
    m_records.clear();
    m_ascending = 0;
    m_index.clear();
}

// ---------------------------------------------------------------------------
// FileValidationResult

FileValidationResult::FileValidationResult() { modGlobals::requireFactory(QStringLiteral("FileValidationResult")); }

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
    const qsizetype i = m_records.indexOf(*m_terminalRecord);
    return i >= 0 && m_records.at(i) ? m_records.at(i)->Terminal() : nullptr;
}

void FileValidationResult::Add(const RecordValidationResultPtr& objItem) {
    if (objItem) setItem(objItem->RecordNumber(), objItem);
}

RecordValidationResultPtr FileValidationResult::Item(qint32 lngRecordNumber) const {
    const qsizetype i = m_records.indexOf(lngRecordNumber);
    return i >= 0 ? m_records.at(i) : nullptr;
}

void FileValidationResult::setItem(qint32 lngRecordNumber, const RecordValidationResultPtr& objItem) {
    if (Exists(lngRecordNumber)) Remove(lngRecordNumber);
    if (!objItem) return;
    m_records.append(lngRecordNumber, objItem);
    const ErrorSeverity s = objItem->Severity();
    if (s == kvesTerminal) m_terminalRecord = lngRecordNumber;
    UpdateSeverityCounts(-1, s);
}

QVector<RecordValidationResultPtr> FileValidationResult::Items() const {
    QVector<RecordValidationResultPtr> items;
    items.reserve(m_records.size());
    for (qsizetype i = 0; i < m_records.size(); ++i) items.append(m_records.at(i));
    return items;
}

QVector<qint32> FileValidationResult::Keys() const {
    QVector<qint32> keys;
    keys.reserve(m_records.size());
    for (qsizetype i = 0; i < m_records.size(); ++i) keys.append(m_records.keyAt(i));
    std::sort(keys.begin(), keys.end());
    return keys;
}

void FileValidationResult::Remove(qint32 lngRecordNumber) {
    const qsizetype i = m_records.indexOf(lngRecordNumber);
    if (i < 0) return;
    const RecordValidationResultPtr record = m_records.at(i);
    UpdateSeverityCounts(record->Severity(), -1);
    if (m_terminalRecord && *m_terminalRecord == record->RecordNumber()) m_terminalRecord.reset();
    m_records.removeAt(i);
}

void FileValidationResult::RemoveAll() {
    m_records.clear();
    std::fill(std::begin(m_counts), std::end(m_counts), 0);
    m_terminalRecord.reset();
}

void FileValidationResult::UpdateSeverityCounts(qint32 oldSeverity, qint32 newSeverity) {
    if (oldSeverity >= 0 && oldSeverity <= 4) --m_counts[oldSeverity];
    if (newSeverity >= 0 && newSeverity <= 4) ++m_counts[newSeverity];
}

// ---------------------------------------------------------------------------
// Factories

namespace modGlobals {

ValidationResultPtr New_ValidationResult(qint32 fieldId, qint32 recordNumber, const QString& value, qint32 code,
                                         qint32 severity) {
    static const FactoryFailure failure =
        factoryFailure(QStringLiteral("New_ValidationResult"), QStringLiteral("ValidationResult"));
    ValidationResultPtr result = createSharedThroughFactory<ValidationResult>(factoryModule(), failure);
    result->SetField(fieldId);
    result->SetRecordNumber(recordNumber);
    result->setValue(value);
    result->setCode(code);
    result->setSeverity(severity);
    // The message is the table's for the code asked for, which the
    // severity may have overruled.
    if (result->Code() == code)
        result->UseTableMessage();
    else
        result->SetMessage(Validator::TableMessage(fieldId, code, value));
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
