#pragma once
// Report files, and the identity and product list files that follow their
// conventions: single-byte Windows-1252 text, one record per line, every
// field followed by a separator ("|" when the system writes it). This is the
// one place that reads their lines, decodes and encodes their text, splits
// their fields, refuses text that they cannot hold and writes their records;
// the validator, the report forms, the applicator registry and the product
// list all go through it.
#include "Vezedad/foundation/VezedadExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <functional>
#include <memory>
#include <optional>

namespace Vezedad {
class FileWriter;
}

namespace Vezedad::ReportFile {

// ---- encodings --------------------------------------------------------------
//
// These files are Windows-1252 text, yet tools of today write UTF-8, with or
// without marks, and some write UTF-16. A file whose bytes above 0x7F all
// form well-made UTF-8 sequences (and at least one does) is UTF-8: text in
// Windows-1252 hardly ever reads as such. A file of ASCII alone reads the same
// either way and is neither; the marks before line 1 do not count. UTF-16
// is refused: its lines would be mistaken. The validator checks the bytes
// as they stand.

enum class Encoding {
    Ascii,       // no byte above 0x7F (yet)
    Windows1252, // the files' own
    Utf8,
};

// Whether bytes, given in pieces as they are read, are UTF-8: every byte
// above 0x7F part of a whole sequence in its shortest form, and nothing
// beyond U+10FFFF or among the surrogates. A sequence may run from one
// piece into the next.
class VEZEDAD_EXPORT Utf8Check {
public:
    // False from the first byte that breaks a sequence on (what follows is
    // not looked at).
    bool add(QByteArrayView bytes);
    // No byte broke a sequence, and none is left open.
    bool valid() const { return m_ok && m_need == 0; }
    // A byte above 0x7F was met.
    bool sawHigh() const { return m_high; }

private:
    bool m_ok = true;
    bool m_high = false;
    int m_need = 0;                           // continuation bytes still to come
    unsigned char m_low = 0x80, m_top = 0xBF; // the range of the next one
};

// The encoding of a whole text's bytes (its marks before line 1 dropped).
VEZEDAD_EXPORT Encoding encodingOf(QByteArrayView bytes);

// Raises "Invalid file format" (321), naming the encoding and how to save the
// file as Windows-1252 ("ANSI"), when a file's first bytes are a UTF-16 mark.
VEZEDAD_EXPORT void refuseUtf16(QByteArrayView start, const QString& path);

// ---- lines ----------------------------------------------------------------
//
// The one line-end rule: CR LF, LF and a lone CR each end a line, and the
// last line needs no end. A line is handed out whole, whatever its length.
//
// Editors that save "UTF-8" put a byte-order mark (EF BB BF) before line 1,
// one more each time the file passes through such a tool. They are never
// data: every reader drops all the marks at the start of a file.

// The length of the marks that data starts with: 3 a mark, 0 for none.
VEZEDAD_EXPORT qsizetype byteOrderMark(QByteArrayView data);

// Where the line that starts at pos ends: its first CR or LF, or len.
VEZEDAD_EXPORT qsizetype lineEnd(const char* data, qsizetype pos, qsizetype len);

// The lines of a file's bytes held in memory, from byte from on; from the
// start, the byte-order marks before line 1 are dropped.
class VEZEDAD_EXPORT LineSplitter {
public:
    explicit LineSplitter(QByteArrayView data = {}, qsizetype from = 0)
        : m_data(data), m_pos(from == 0 ? byteOrderMark(data) : from) {}
    // The next line without its end; false after the last.
    bool next(QByteArrayView& line);
    bool atEnd() const { return m_pos >= m_data.size(); }
    // Bytes of data taken so far, line ends included.
    qsizetype position() const { return m_pos; }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

// Sums up bytes, whatever pieces they come in, into a 64-bit value that
// tells one file's bytes from another's.
class VEZEDAD_EXPORT Digest {
public:
    void add(QByteArrayView bytes);
    quint64 value() const;

private:
    void mix(quint64 word);
    quint64 m_state = 0x9E3779B97F4A7C15ull;
    quint64 m_length = 0;
    unsigned char m_pending[8] = {};
    int m_pendingSize = 0;
};

// The lines of a file, read in large blocks: a large file costs one block of
// memory, not a string per line; only a line longer than a block is
// gathered in memory of its own.
class VEZEDAD_EXPORT LineReader {
public:
    static constexpr qsizetype kBlock = 256 * 1024;

    // Bytes: lines as the file holds them (the validator's). Text: the
    // lines are also read as text (decode), and a UTF-16 file is refused at
    // once (refuseUtf16).
    enum class Reading { Bytes, Text };

    // Reads an open file from where it stands (from its start: past the
    // byte-order marks).
    explicit LineReader(QFile& file, Reading reading = Reading::Bytes);
    // Opens path for reading: a regular file only, with the file-system
    // object's errors (53 missing, 75 no regular file, 70 refused).
    explicit LineReader(const QString& path, Reading reading = Reading::Bytes);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    struct Line {
        QByteArrayView bytes; // without its end; valid until the next call
        qint64 offset = 0;    // of its first byte in the file
        qint64 number = 0;    // its line number in the file, from 1, empty lines counted
    };
    // The next line; false at the end of the file, or when the gathering of
    // a long line was stopped (see whileGathering). A failed read raises 75.
    bool next(Line& line);

    // The caller is done with the line handed out last: a long line's memory
    // is given back at once rather than at the next line.
    void release();
    // The line handed out last as bytes of the caller's own: a long line's
    // memory is handed over, a short one copied.
    QByteArray takeLine(const Line& line);

    // The text of the line handed out last, in the file's encoding: bytes
    // are its bytes, or a copy of them with some ASCII characters dropped
    // (its double quotes). Reading Text only.
    //
    // The first line decoded that holds a byte above 0x7F decides the
    // encoding of the whole file, by one check of the file's bytes from that
    // line to its end; every line before it is ASCII, which reads the same
    // either way. So a caller decodes every line that holds such a byte (a
    // line it takes as bytes is ASCII), and a file of ASCII costs nothing.
    void decode(const Line& line, QByteArrayView bytes, QString& text);
    void decode(const Line& line, QString& text) { decode(line, line.bytes, text); }
    // The file's encoding as decided so far: Ascii until a line decoded held
    // a byte above 0x7F (at the end, the file is ASCII).
    Encoding encoding() const { return m_encoding; }

    // Bytes read from the file so far.
    qint64 position() const { return m_blockStart + m_len; }
    // Bytes gathered so far of a line longer than a block, while it is
    // gathered (see whileGathering).
    qsizetype gathered() const { return m_carry.size(); }
    // Called with position() after each block that a line longer than a
    // block takes in, so that one very long line can be followed and
    // stopped; false stops the reading.
    void whileGathering(std::function<bool(qint64)> onBlock) { m_onBlock = std::move(onBlock); }
    bool stopped() const { return m_stopped; }
    // Every block read is added to digest, which must outlive the reader.
    void addTo(Digest* digest) { m_digest = digest; }

private:
    bool refill();
    void refuseAtStart();
    void decide(const Line& line);
    // Raises the failed read's error (75), naming the file.
    [[noreturn]] void failedRead(const QString& why = QString());

    std::unique_ptr<QFile> m_own;
    QFile& m_file;
    // For messages: a file the file-system object opened by its descriptor
    // no longer tells its name.
    QString m_name;
    QByteArray m_block;
    QByteArray m_carry;
    qint64 m_blockStart = 0;
    qsizetype m_pos = 0;
    qsizetype m_len = 0;
    qint64 m_number = 0;
    bool m_pendingCr = false;
    bool m_atStart = false; // the next block read is the file's first
    bool m_stopped = false;
    bool m_text = false;
    Encoding m_encoding = Encoding::Ascii;
    std::function<bool(qint64)> m_onBlock;
    Digest* m_digest = nullptr;
};

// The error of a failed read of an open file (75, naming the file).
[[noreturn]] VEZEDAD_EXPORT void raiseReadError(const QFile& file);

// A file as it stands on disk: its size and a digest of its bytes. Two
// stamps differ when the file's bytes were changed in between; a new time
// alone (a touch, a backup or sync tool) is no change.
struct VEZEDAD_EXPORT FileStamp {
    qint64 size = -1; // -1: no file
    quint64 digest = 0;

    bool isNull() const { return size < 0; }
    bool operator==(const FileStamp&) const = default;
    // Reads the file whole; a file that is not there (or cannot be read)
    // gives the null stamp.
    static FileStamp of(const QString& path);
    // Size of path, with a digest already made of its bytes.
    static FileStamp withDigest(const QString& path, quint64 digest);
};

// ---- text and fields --------------------------------------------------------

// Decodes a line into text, reusing the text's memory (see Cp1252).
VEZEDAD_EXPORT void decode(QByteArrayView bytes, QString& text);
// The same in an encoding (Ascii and Windows1252 alike as Windows-1252); a
// line of ASCII costs no more than in Windows-1252.
VEZEDAD_EXPORT void decode(QByteArrayView bytes, QString& text, Encoding encoding);

using FieldViews = QVarLengthArray<QStringView, 32>;

// The fields of a line at separator: a separator ends a field, and one at
// the end of the line starts none, so "0|R1|" holds two fields and "" none.
VEZEDAD_EXPORT void splitFields(QStringView line, QStringView separator, FieldViews& fields);
// Field i of a line (from 0), empty when the line has fewer.
VEZEDAD_EXPORT QStringView field(QStringView line, QStringView separator, int i);
// The same in a line of bytes with a one-byte separator, its separators
// found sixteen bytes at a time.
VEZEDAD_EXPORT QByteArrayView field(QByteArrayView line, char separator, int i);

// Whether a line holds nothing but blanks (an empty line included): such a
// line is no record.
VEZEDAD_EXPORT bool isBlank(QByteArrayView line);
VEZEDAD_EXPORT bool isBlank(QStringView line);

// ---- text these files cannot hold -------------------------------------------

// Where text holds the first character that a field of these files cannot
// hold ("|", which separates fields; CR or LF, which end records; anything
// outside Windows-1252), or -1 when it can be written.
VEZEDAD_EXPORT qsizetype refusedAt(QStringView text);
// Why: subject + " holds ..." naming that character and why the file cannot
// hold it, without a full stop; empty when text can be written.
VEZEDAD_EXPORT QString refusal(QStringView text, const QString& subject);

// ---- writing ----------------------------------------------------------------

// Writes records, each field followed by "|" and each record by CR LF, in
// Windows-1252, in batches straight to a file that replaces the old one on
// commit (FileWriter: a failure anywhere leaves the old file as it was).
// A field holding text the file cannot hold raises 380 with refusal's
// message and leaves the old file; refusedRecord and refusedField then say
// where it was.
class VEZEDAD_EXPORT RecordWriter {
public:
    // Report files end every field with "|"; the product list only
    // separates them.
    enum class Bars { AfterEveryField, BetweenFields };
    RecordWriter(const QString& path, const QString& source, Bars bars = Bars::AfterEveryField);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    void field(QStringView text);
    void emptyFields(int count);
    void endRecord();

    // Puts the file in place; its stamp afterwards. beforeReplacing, when
    // given, runs under the file's lock right before it is replaced (see
    // FileWriter::commit); when it says no, nothing is replaced and there is
    // no stamp.
    std::optional<FileStamp> commit(const std::function<bool()>& beforeReplacing = {});
    void cancel();

    // Records ended so far.
    qint64 records() const { return m_records; }
    // The record (from 1) and its field (from 1) that held refused text; 0
    // when none did.
    qint64 refusedRecord() const { return m_refusedRecord; }
    int refusedField() const { return m_refusedField; }

private:
    QString m_path;
    QString m_source;
    Bars m_bars;
    std::unique_ptr<FileWriter> m_file;
    Digest m_digest;
    QByteArray m_record;
    qint64 m_records = 0;
    int m_fields = 0;
    qint64 m_refusedRecord = 0;
    int m_refusedField = 0;
};

} // namespace Vezedad::ReportFile
