#include "Vezedad/validation/ResultStorage.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/validation/ReportLines.h"
#include "Vezedad/validation/ValidationTables.h"

#include <QDateTime>
#include <QFile>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>

namespace Vezedad::detail {

// ---------------------------------------------------------------------------
// PackedText

namespace {

// bytes[15] tells the form: 0-15 that many bytes in place, kNull a null text,
// kHeap a pointer to a block at the start of the slot.
constexpr unsigned char kNull = 16, kHeap = 17;

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

PackedBlock* heapOf(const TextSlot& slot) {
    PackedBlock* p;
    std::memcpy(&p, slot.bytes, sizeof p);
    return p;
}

void putBlock(TextSlot& slot, PackedBlock* block) {
    std::memcpy(slot.bytes, &block, sizeof block);
    slot.bytes[15] = kHeap;
}

} // namespace

namespace PackedText {

void init(TextSlot& slot) {
    std::memset(slot.bytes, 0, sizeof slot.bytes);
    slot.bytes[15] = kNull;
}

void copy(TextSlot& to, const TextSlot& from) {
    std::memcpy(to.bytes, from.bytes, sizeof to.bytes);
    if (from.bytes[15] == kHeap) {
        const PackedBlock* block = heapOf(from);
        putBlock(to, newBlock(block->size, block->wide, block->text));
    }
}

void release(TextSlot& slot) {
    if (slot.bytes[15] == kHeap) ::operator delete(heapOf(slot));
    slot.bytes[15] = kNull;
}

void setBytes(TextSlot& slot, QByteArrayView bytes) {
    release(slot);
    if (bytes.size() < 16) {
        std::memcpy(slot.bytes, bytes.data(), size_t(bytes.size()));
        slot.bytes[15] = static_cast<unsigned char>(bytes.size());
        return;
    }
    putBlock(slot, newBlock(bytes.size(), false, bytes.data()));
}

void set(TextSlot& slot, const QString& text) {
    if (text.isNull()) return release(slot);
    // Most values are short ASCII: their bytes go straight into the slot.
    if (text.size() < 16) {
        const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
        char16_t all = 0;
        for (qsizetype i = 0; i < text.size(); ++i) all |= p[i];
        if (all < 0x80) {
            release(slot);
            for (qsizetype i = 0; i < text.size(); ++i) slot.bytes[i] = static_cast<unsigned char>(p[i]);
            slot.bytes[15] = static_cast<unsigned char>(text.size());
            return;
        }
    }
    // Every character the code page holds comes back from its byte as it was.
    QByteArray bytes;
    if (Cp1252::encode(text, bytes)) return setBytes(slot, bytes);
    release(slot);
    putBlock(slot, newBlock(text.size(), true, text.constData()));
}

QString text(const TextSlot& slot) {
    const unsigned char form = slot.bytes[15];
    if (form == kNull) return QString();
    if (form < 16) return Cp1252::decode(QByteArrayView(reinterpret_cast<const char*>(slot.bytes), form));
    const PackedBlock* block = heapOf(slot);
    if (block->wide) return QString(reinterpret_cast<const QChar*>(block->text), block->size);
    return Cp1252::decode(QByteArrayView(block->text, block->size));
}

bool bytesOf(const TextSlot& slot, QByteArrayView& bytes) {
    const unsigned char form = slot.bytes[15];
    if (form == kNull) {
        bytes = QByteArrayView();
        return true;
    }
    if (form < 16) {
        bytes = QByteArrayView(reinterpret_cast<const char*>(slot.bytes), form);
        return true;
    }
    const PackedBlock* block = heapOf(slot);
    if (block->wide) return false;
    bytes = QByteArrayView(block->text, block->size);
    return true;
}

} // namespace PackedText

// ---------------------------------------------------------------------------
// ReportSource

ReportSource::ReportSource(QString path, qint32 formType, qint64 size, qint64 modified)
    : m_path(std::move(path)), m_formType(formType), m_size(size), m_modified(modified) {}

quint32 ReportSource::hash(QByteArrayView bytes) {
    // Eight bytes at a time, each mixed in by a multiply: a change anywhere
    // in a line changes the result, at a small share of checking the line.
    constexpr quint64 kMul = 0x9E3779B97F4A7C15ull;
    const char* p = bytes.data();
    qsizetype n = bytes.size();
    quint64 h = quint64(n) * kMul;
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMul;
        h ^= h >> 29;
    }
    quint64 tail = 0;
    std::memcpy(&tail, p, size_t(n));
    h = (h ^ tail) * kMul;
    h ^= h >> 32;
    return quint32(h);
}

void ReportSource::changed() const {
    raiseRuntimeError(rtPathFileAccessError, QStringLiteral("FileSystemObject"),
                      m_path + QStringLiteral(" (the file changed after it was validated; validate it again)"));
}

QByteArrayView ReportSource::line(qint64 offset, qint32 length, quint32 hash) {
    if (m_blockStart < 0 || offset < m_blockStart || offset + length > m_blockStart + m_block.size()) {
        QFile file;
        Globals::FSO().OpenForReading(file, m_path);
        if (file.size() != m_size || file.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch() != m_modified)
            changed();
        const qint64 size = qMax<qint64>(ReportFile::LineReader::kBlock, length);
        // The room of a line of megabytes is not kept for the short ones after it.
        if (m_block.capacity() > 2 * size) m_block = QByteArray();
        m_block.resize(qsizetype(size));
        if (!file.seek(offset)) ReportFile::raiseReadError(file);
        const qint64 read = file.read(m_block.data(), size);
        if (read < 0) ReportFile::raiseReadError(file);
        m_block.resize(qsizetype(read));
        m_blockStart = offset;
        if (read < length) changed();
    }
    const QByteArrayView bytes(m_block.constData() + (offset - m_blockStart), length);
    if (ReportSource::hash(bytes) != hash) changed();
    return bytes;
}

// ---------------------------------------------------------------------------
// FileRecords

qsizetype FileRecords::indexOf(qint32 key) const {
    // A run asks for each new number, beyond every key so far.
    if (m_ascending == size() && (m_entries.empty() || key > m_entries.back().key)) return -1;
    // A listing asks for the keys in their order: the one after the last
    // found is tried first.
    const size_t next = size_t(m_lastFound + 1);
    if (next < size_t(m_ascending) && m_entries[next].key == key) return m_lastFound = qsizetype(next);
    const auto begin = m_entries.begin(), ascendingEnd = begin + m_ascending;
    const auto it =
        std::lower_bound(begin, ascendingEnd, key, [](const Entry& entry, qint32 k) { return entry.key < k; });
    if (it != ascendingEnd && it->key == key) return m_lastFound = it - begin;
    const qsizetype tail = size() - m_ascending;
    if (tail <= kShortTail) {
        for (qsizetype i = m_ascending; i < size(); ++i)
            if (m_entries[size_t(i)].key == key) return i;
        return -1;
    }
    if (m_index.isEmpty())
        for (qsizetype i = m_ascending; i < size(); ++i) m_index.insert(m_entries[size_t(i)].key, i);
    return m_index.value(key, -1);
}

ErrorSeverity FileRecords::severityAt(qsizetype i) const {
    const quint32 slot = m_entries[size_t(i)].slot;
    if (slot & kCompact) return ErrorSeverity((slot >> kSeverityShift) & 3u);
    const RecordValidationResultPtr& record = m_whole[slot];
    return record ? record->Severity() : kvesOK;
}

RecordValidationResultPtr FileRecords::at(qsizetype i) const {
    const Entry& entry = m_entries[size_t(i)];
    if (!(entry.slot & kCompact)) return m_whole[entry.slot];
    return rebuild(entry.key, entry.slot & kIndex);
}

QByteArrayView FileRecords::cleanedLine(quint32 compactIndex, QByteArray& scratch) const {
    const CompactRecord& compact = m_compact[compactIndex];
    return ReportLines::cleanLine(m_source->line(compact.offset(), compact.length, compact.hash), scratch);
}

RecordValidationResultPtr FileRecords::rebuild(qint32 key, quint32 compactIndex) const {
    const auto live = m_live.find(compactIndex);
    if (live != m_live.end())
        if (RecordValidationResultPtr held = live->second.lock()) return held;

    QByteArray scratch;
    const RecordValidationResultPtr record =
        recheckRecord(cleanedLine(compactIndex, scratch), key, m_compact[compactIndex].failedColumns(), *m_source);

    if (m_live.size() >= m_livePruneAt) {
        std::erase_if(m_live, [](const auto& entry) { return entry.second.expired(); });
        m_livePruneAt = qMax<size_t>(64, m_live.size() * 2);
    }
    m_live[compactIndex] = record;
    return record;
}

void FileRecords::appendText(qsizetype i, TextOut& out) const {
    const Entry& entry = m_entries[size_t(i)];
    if (entry.slot & kCompact) {
        QByteArray scratch;
        const quint32 compact = entry.slot & kIndex;
        appendRecheckedText(cleanedLine(compact, scratch), entry.key, m_compact[compact].failedColumns(), *m_source,
                            out);
        return;
    }
    if (const RecordValidationResultPtr& record = m_whole[entry.slot]) ResultAccess::appendText(*record, out);
}

std::vector<quint32> FileRecords::keyOrder() const {
    std::vector<quint32> order(m_entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = quint32(i);
    // A file run's keys rise but for the whole-file record at the end: only
    // the few out of order are sorted and merged in.
    const auto byKey = [this](quint32 a, quint32 b) { return m_entries[a].key < m_entries[b].key; };
    const auto rest = order.begin() + m_ascending;
    std::sort(rest, order.end(), byKey);
    std::inplace_merge(order.begin(), rest, order.end(), byKey);
    return order;
}

void FileRecords::appendEntry(qint32 key, quint32 slot) {
    const bool rising = m_ascending == size() && (m_entries.empty() || key > m_entries.back().key);
    m_entries.push_back({key, slot});
    if (rising)
        ++m_ascending;
    else if (!m_index.isEmpty())
        m_index.insert(key, size() - 1);
}

void FileRecords::append(qint32 key, const RecordValidationResultPtr& record) {
    m_whole.push_back(record);
    appendEntry(key, quint32(m_whole.size() - 1));
}

void FileRecords::appendCompact(qint32 key, CompactRecord&& record, ErrorSeverity severity) {
    Q_ASSERT(severity >= kvesWarning && severity <= kvesCritical && compactRoom());
    m_compact.push_back(std::move(record));
    appendEntry(key, quint32(m_compact.size() - 1) | kCompact | quint32(severity) << kSeverityShift);
}

void FileRecords::removeAt(qsizetype i) {
    const quint32 slot = m_entries[size_t(i)].slot;
    if (slot & kCompact) {
        m_live.erase(slot & kIndex);
    } else {
        m_whole[slot].reset();
    }
    m_entries.erase(m_entries.begin() + i);
    if (i < m_ascending) --m_ascending;
    m_index.clear();
    m_lastFound = -1;
}

void FileRecords::clear() {
    m_entries.clear();
    m_whole.clear();
    m_compact.clear();
    m_live.clear();
    m_ascending = 0;
    m_index.clear();
    m_lastFound = -1;
}

// ---------------------------------------------------------------------------
// KeyOrder

KeyOrder::KeyOrder(const FileRecords& records) {
    const qsizetype ascending = records.ascendingCount(), size = records.size();
    if (size_t(size - ascending) > kFewOutOfOrder) {
        m_all = records.keyOrder();
        return;
    }
    for (qsizetype i = ascending; i < size; ++i) m_rest.push_back(quint32(i));
    std::sort(m_rest.begin(), m_rest.end(),
              [&records](quint32 a, quint32 b) { return records.keyAt(a) < records.keyAt(b); });
    for (size_t j = 0; j < m_rest.size(); ++j) {
        // The ascending records before it, then those out of order before it.
        qsizetype low = 0, high = ascending;
        const qint32 key = records.keyAt(m_rest[j]);
        while (low < high) {
            const qsizetype mid = (low + high) / 2;
            if (records.keyAt(mid) < key)
                low = mid + 1;
            else
                high = mid;
        }
        m_at.push_back(low + qsizetype(j));
    }
}

quint32 KeyOrder::operator[](qsizetype i) const {
    if (!m_all.empty()) return m_all[size_t(i)];
    qsizetype before = 0;
    for (size_t j = 0; j < m_rest.size(); ++j) {
        if (m_at[j] == i) return m_rest[j];
        before += m_at[j] < i;
    }
    return quint32(i - before);
}

// ---------------------------------------------------------------------------
// ResultAccess

void ResultAccess::setField(ValidationResult& r, qint32 fieldId) {
    if (fieldId == r.m_field) return;
    r.keepMessage();
    r.m_field = ZelReportField(fieldId);
}

void ResultAccess::setRecordBytes(RecordValidationResult& r, QByteArrayView bytes) {
    PackedText::setBytes(r.m_contents, bytes);
}

void ResultAccess::setSource(FileValidationResult& f, std::shared_ptr<ReportSource> source) {
    f.m_records->setSource(std::move(source));
}

bool ResultAccess::keepCompact(FileValidationResult& f, qint32 recordNumber, qint64 offset, QByteArrayView line,
                               quint32 failedColumns, ErrorSeverity severity) {
    if (!f.m_records->hasSource() || line.size() > std::numeric_limits<qint32>::max() || offset < 0 ||
        offset > CompactRecord::kMaxOffset || failedColumns >> CompactRecord::kColumnBits || severity < kvesWarning ||
        severity > kvesCritical || !f.m_records->compactRoom())
        return false;
    if (f.m_records->indexOf(recordNumber) >= 0) f.Remove(recordNumber);
    CompactRecord record;
    record.offsetAndColumns = quint64(offset) << CompactRecord::kColumnBits | failedColumns;
    record.length = qint32(line.size());
    record.hash = ReportSource::hash(line);
    f.m_records->appendCompact(recordNumber, std::move(record), severity);
    f.updateSeverityCounts(-1, severity);
    return true;
}

ReportSource* ResultAccess::source(const FileValidationResult& f) { return f.m_records->source(); }

} // namespace Vezedad::detail
