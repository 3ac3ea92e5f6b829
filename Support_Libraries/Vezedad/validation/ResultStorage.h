#pragma once
// How the result classes keep their data, and the library's own access to
// them: none of this is part of the exported interface.
#include "Vezedad/foundation/LargeMemory.h"
#include "Vezedad/validation/FieldRules.h"
#include "Vezedad/validation/ValidationResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <charconv>
#include <cstring>
#include <functional>
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
// The text's bytes in the report code page where it is kept so (valid while
// the slot is unchanged); false when it is kept as UTF-16.
bool bytesOf(const TextSlot& slot, QByteArrayView& bytes);
} // namespace PackedText

// The parts of a record's text as ToString lists its findings: the findings
// of each part's severities under its heading, in the report code page.
struct TextPart {
    qint32 lowest, highest;
    const char* heading;
};
inline constexpr TextPart kTextParts[] = {
    {kvesCritical, kvesTerminal, "The following problems cause the entire file to be considered invalid.\r\n"},
    {kvesSerious, kvesSerious, "The following problems cause this record to be considered invalid.\r\n"},
    {kvesWarning, kvesWarning, "The following problems should be corrected but do not invalidate the record.\r\n"}};

// Where the text of a listing goes: gathered in out; given a write, handed
// to it in pieces as it grows, and a long run of bytes (a line or a value of
// megabytes) handed to it straight from where it is kept, so that a
// record's text takes no room of its own, however long its line. A
// record's text is a score of short pieces: they are gathered here first
// and go into out a few kilobytes at a time.
class TextOut {
public:
    using Write = std::function<void(QByteArrayView)>;
    explicit TextOut(QByteArray& out, const Write* write = nullptr) : m_out(out), m_write(write) {}
    TextOut(const TextOut&) = delete;
    TextOut& operator=(const TextOut&) = delete;

    TextOut& operator+=(QByteArrayView bytes) {
        const qsizetype n = bytes.size();
        if (n > qsizetype(sizeof m_near) - m_used) {
            pour();
            if (n > qsizetype(sizeof m_near)) {
                far(bytes);
                return *this;
            }
        }
        if (n > 0) std::memcpy(m_near + m_used, bytes.data(), size_t(n));
        m_used += n;
        return *this;
    }
    TextOut& operator+=(qint64 number) {
        char digits[24];
        const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        return *this += QByteArrayView(digits, end - digits);
    }
    // Everything so far in out, for text made where it goes; full()
    // afterwards.
    QByteArray& bytes() {
        pour();
        return m_out;
    }
    // The text is whole: what is still gathered here goes to out. (Not left
    // to a destructor, which must not meet a failure to get memory.)
    void end() { pour(); }
    void full() {
        if (m_write && m_out.size() >= kPiece) flush();
    }

private:
    static constexpr qsizetype kPiece = 256 * 1024;
    static constexpr qsizetype kStraight = 64 * 1024;
    void pour() {
        if (m_used == 0) return;
        m_out.append(m_near, m_used);
        m_used = 0;
        full();
    }
    void far(QByteArrayView bytes) {
        if (m_write && bytes.size() >= kStraight) {
            flush();
            (*m_write)(bytes);
            return;
        }
        m_out += bytes;
        full();
    }
    void flush() {
        if (m_out.isEmpty()) return;
        (*m_write)(m_out);
        m_out.resize(0); // keeps its room
    }
    QByteArray& m_out;
    const Write* m_write;
    char m_near[4096];
    qsizetype m_used = 0;
};

// The file a run's compact records read their lines back from, and what the
// run knew when it checked them: the form, the separator and the report
// year. A line is read back only when it still holds the bytes the run
// checked (its hash says so), so a file changed in any way since, even at
// the same size and time, is told apart instead of giving wrong lines.
class ReportSource {
public:
    ReportSource(QString path, qint32 formType, qint64 size, qint64 modified);
    qint32 formType() const { return m_formType; }
    char delimiter() const { return m_delimiter; }
    void setDelimiter(char delimiter) { m_delimiter = delimiter; }
    // The run's report year, read once as the run needed it and then kept.
    FieldRules::YearSource& year() { return m_year; }
    // The raw line of length bytes at offset, valid until the next call;
    // raises 75 when the file no longer holds the line of that hash.
    QByteArrayView line(qint64 offset, qint32 length, quint32 hash);

    static quint32 hash(QByteArrayView bytes);

private:
    [[noreturn]] void changed() const;

    QString m_path;
    qint32 m_formType;
    char m_delimiter = '|';
    FieldRules::YearSource m_year;
    qint64 m_size;
    qint64 m_modified;
    // Lines are mostly asked for in file order: one block read serves many.
    QByteArray m_block;
    qint64 m_blockStart = -1;
};

// A record of a file run kept in little room: where its line stands in the
// file, the hash of its bytes and the layout columns that failed. Its
// findings are those of checking that line again; its record number is its
// key, its severity is kept with the key. Sixteen bytes: a file of a million
// such records keeps them in 16 MB.
struct CompactRecord {
    static constexpr int kColumnBits = 16;
    static constexpr qint64 kMaxOffset = (qint64(1) << (64 - kColumnBits)) - 1;
    quint64 offsetAndColumns = 0; // offset << kColumnBits | failed columns
    qint32 length = 0;
    quint32 hash = 0;

    qint64 offset() const { return qint64(offsetAndColumns >> kColumnBits); }
    quint32 failedColumns() const { return quint32(offsetAndColumns & ((1u << kColumnBits) - 1)); }
};

// Defined beside the validator's record checks: a compact record's line,
// cleaned as the run cleaned it, checked again as its record number, made
// into the record whole, or into the text its ToString gives, in the report
// code page, appended to out. Only the columns that failed are checked again.
RecordValidationResultPtr recheckRecord(QByteArrayView cleaned, qint32 recordNumber, quint32 failedColumns,
                                        ReportSource& source);
void appendRecheckedText(QByteArrayView cleaned, qint32 recordNumber, quint32 failedColumns, ReportSource& source,
                         TextOut& out);

// Memory for the records of a file run: a few kilobytes from the heap,
// anything from 64 KiB on in runs of huge pages of its own, so that a run of
// a hundred thousand records with findings keeps them after a handful of
// page faults instead of one every four kilobytes, which on a virtual
// machine cost more than checking the records.
template <class T> using RecordAllocator = LargeMemory::Allocator<T, 64 * 1024>;

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
    // Whether another compact record can be kept.
    bool compactRoom() const { return m_compact.size() <= kIndex; }
    RecordValidationResultPtr at(qsizetype i) const;
    // The record's ToString in the report code page, appended to out; a
    // compact record is checked again without being made whole.
    void appendText(qsizetype i, TextOut& out) const;
    // Every index, in the order of rising keys.
    std::vector<quint32> keyOrder() const;
    // The first ascendingCount() keys rise strictly.
    qsizetype ascendingCount() const { return m_ascending; }
    void append(qint32 key, const RecordValidationResultPtr& record);
    // severity: a warning, a serious or a critical error.
    void appendCompact(qint32 key, CompactRecord&& record, ErrorSeverity severity);
    void removeAt(qsizetype i);
    void clear();
    void setSource(std::shared_ptr<ReportSource> source) { m_source = std::move(source); }
    bool hasSource() const { return m_source != nullptr; }
    ReportSource* source() const { return m_source.get(); }

private:
    static constexpr qsizetype kShortTail = 16;
    // A slot is the index of a whole record, or kCompact, the compact
    // record's severity (warning, serious or critical) in the two bits below
    // it, and its index.
    static constexpr quint32 kCompact = 0x80000000u;
    static constexpr int kSeverityShift = 29;
    static constexpr quint32 kIndex = (1u << kSeverityShift) - 1;
    struct Entry {
        qint32 key;
        quint32 slot;
    };
    void appendEntry(qint32 key, quint32 slot);
    RecordValidationResultPtr rebuild(qint32 key, quint32 compactIndex) const;
    QByteArrayView cleanedLine(quint32 compactIndex, QByteArray& scratch) const;

    std::vector<Entry, RecordAllocator<Entry>> m_entries;
    std::vector<RecordValidationResultPtr> m_whole;
    std::vector<CompactRecord, RecordAllocator<CompactRecord>> m_compact;
    std::shared_ptr<ReportSource> m_source;
    // The first m_ascending keys rise strictly.
    qsizetype m_ascending = 0;
    mutable QHash<qint32, qsizetype> m_index;
    mutable qsizetype m_lastFound = -1; // among the first m_ascending
    mutable std::unordered_map<quint32, std::weak_ptr<RecordValidationResult>> m_live;
    mutable size_t m_livePruneAt = 64;
};

// The indexes of a file result's records in the order of rising keys. A file
// run adds its records in that order but for the whole-file record at the
// end, so only the few out of order are kept, each with its place, rather
// than a table as long as the records.
class KeyOrder {
public:
    explicit KeyOrder(const FileRecords& records);
    quint32 operator[](qsizetype i) const;

private:
    static constexpr size_t kFewOutOfOrder = 16;
    std::vector<quint32> m_all;  // when more are out of order
    std::vector<quint32> m_rest; // those out of order, by key
    std::vector<qsizetype> m_at; // where each of them comes
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
    // The record's ToString in the report code page, appended to out,
    // without the record's text ever held as wide characters.
    static void appendText(const RecordValidationResult& r, TextOut& out);
    static void setRecordCount(FileValidationResult& f, qint32 count) { f.m_recordCount = count; }
    static void setSource(FileValidationResult& f, std::shared_ptr<ReportSource> source);
    // Keeps a record of the file's run compactly: its raw line at offset, of
    // these bytes, the layout columns that failed and its severity (a
    // warning, a serious or a critical error); false when that cannot be
    // done (the record is then to be added whole).
    static bool keepCompact(FileValidationResult& f, qint32 recordNumber, qint64 offset, QByteArrayView line,
                            quint32 failedColumns, ErrorSeverity severity);
    static ReportSource* source(const FileValidationResult& f);
    static const FileRecords& records(const FileValidationResult& f) { return *f.m_records; }
};

} // namespace Vezedad::detail
