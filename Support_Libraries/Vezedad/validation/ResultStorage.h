#pragma once
// How the result classes keep their data, and the library's own access to
// them: none of this is part of the exported interface.
#include "Vezedad/validation/ValidationResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace Vezedad::detail {

// Text kept in a TextSlot: up to 15 characters of the report code page in
// place, anything longer on the heap one byte a character, and text outside
// the code page as UTF-16. Gives back exactly the text it was given. A slot
// starts null (init) and must be released before it is dropped.
namespace PackedText {
void init(TextSlot& slot);
void copy(TextSlot& to, const TextSlot& from);
void release(TextSlot& slot);
void set(TextSlot& slot, const QString& text);
// Bytes in the report code page.
void setBytes(TextSlot& slot, QByteArrayView bytes);
QString text(const TextSlot& slot);
} // namespace PackedText

// The file a run's compact records read their lines back from, with its size
// and time of change when it was validated, so that a changed file is told
// apart instead of giving wrong lines.
class ReportSource {
public:
    ReportSource(QString path, qint32 formType, qint64 size, qint64 modified);
    qint32 formType() const { return m_formType; }
    // The raw line of length bytes at offset.
    QByteArray line(qint64 offset, qint32 length);

private:
    QString m_path;
    qint32 m_formType;
    qint64 m_size;
    qint64 m_modified;
    // Lines are mostly asked for in file order: one block read serves many.
    QByteArray m_block;
    qint64 m_blockStart = -1;
};

// A record of a file run whose one finding is a warning: where its line
// stands in the file, and the finding's field, code and value (a short text
// of the report code page, such as a private applicator's number). Its record
// number is its key, its severity a warning.
struct CompactRecord {
    static constexpr qsizetype kValueRoom = 8;
    qint64 offset = 0;
    qint32 length = 0;
    quint8 field = 0;
    quint8 code = 0;
    quint8 valueSize = 0;
    char value[kValueRoom] = {};
};

// The records of a file result keyed by number in the order added. A file
// run adds them by rising number (the whole-file record last), so the keys
// are searched by halves, and an index is only built for keys added out of
// order. Records are kept whole, or compact and rebuilt when asked for; a
// rebuilt record stays the same object while anyone holds it.
class FileRecords {
public:
    qsizetype size() const { return qsizetype(m_entries.size()); }
    qsizetype indexOf(qint32 key) const;
    qint32 keyAt(qsizetype i) const { return m_entries[size_t(i)].key; }
    ErrorSeverity severityAt(qsizetype i) const;
    bool isCompact(qsizetype i) const { return m_entries[size_t(i)].slot & kCompact; }
    RecordValidationResultPtr at(qsizetype i) const;
    void append(qint32 key, const RecordValidationResultPtr& record);
    void appendCompact(qint32 key, CompactRecord&& record);
    void removeAt(qsizetype i);
    void clear();
    void setSource(std::shared_ptr<ReportSource> source) { m_source = std::move(source); }
    bool hasSource() const { return m_source != nullptr; }

private:
    static constexpr qsizetype kShortTail = 16;
    static constexpr quint32 kCompact = 0x80000000u;
    struct Entry {
        qint32 key;
        quint32 slot;
    };
    void appendEntry(qint32 key, quint32 slot);
    RecordValidationResultPtr rebuild(qint32 key, quint32 compactIndex) const;

    std::deque<Entry> m_entries;
    std::vector<RecordValidationResultPtr> m_whole;
    std::deque<CompactRecord> m_compact;
    std::shared_ptr<ReportSource> m_source;
    // The first m_ascending keys rise strictly.
    qsizetype m_ascending = 0;
    mutable QHash<qint32, qsizetype> m_index;
    mutable std::unordered_map<quint32, std::weak_ptr<RecordValidationResult>> m_live;
    mutable size_t m_livePruneAt = 64;
};

// What the validator sets on results beyond their public members.
struct ResultAccess {
    static void setField(ValidationResult& r, qint32 fieldId);
    static void setRecordNumber(ValidationResult& r, qint32 recordNumber) { r.m_recordNumber = recordNumber; }
    static void setMessage(ValidationResult& r, const QString& message) { r.setMessage(message); }
    // The message becomes the table's for the present field, code and value,
    // built when asked for rather than kept.
    static void useTableMessage(ValidationResult& r);
    static bool hasTableMessage(const ValidationResult& r) { return r.m_message == nullptr; }
    static void setRecordBytes(RecordValidationResult& r, QByteArrayView bytes);
    static void setRecordCount(FileValidationResult& f, qint32 count) { f.m_recordCount = count; }
    static void setSource(FileValidationResult& f, std::shared_ptr<ReportSource> source);
    // Keeps a record of the file's run compactly: its line at offset, of
    // length bytes, and its one warning; false when that cannot be done (the
    // record is then to be added whole).
    static bool keepCompact(FileValidationResult& f, qint32 recordNumber, qint64 offset, qint64 length, qint32 fieldId,
                            qint32 code, const QString& value);
};

} // namespace Vezedad::detail
