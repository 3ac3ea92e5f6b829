#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/LargeMemory.h"

#include <QFileInfo>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace Vezedad::ReportFile {

namespace {
const QString kSource = QStringLiteral("FileSystemObject");
} // namespace

// ---- encodings --------------------------------------------------------------

bool Utf8Check::add(QByteArrayView bytes) {
    if (!m_ok) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        if (m_need > 0) {
            const unsigned char b = p[i++];
            if (b < m_low || b > m_top) return m_ok = false;
            --m_need;
            m_low = 0x80;
            m_top = 0xBF;
            continue;
        }
        // Most of any file is ASCII: eight bytes a step between sequences.
        for (; i + 8 <= n; i += 8) {
            quint64 word;
            std::memcpy(&word, p + i, sizeof word);
            if (word & 0x8080808080808080ull) break;
        }
        if (i == n) break;
        const unsigned char b = p[i++];
        if (b < 0x80) continue;
        m_high = true;
        // The lead byte tells the length, and the range of the byte after
        // it shuts out the longer forms, the surrogates and what lies beyond
        // U+10FFFF.
        if (b >= 0xC2 && b <= 0xDF) {
            m_need = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            m_need = 2;
            if (b == 0xE0) m_low = 0xA0;
            if (b == 0xED) m_top = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            m_need = 3;
            if (b == 0xF0) m_low = 0x90;
            if (b == 0xF4) m_top = 0x8F;
        } else {
            return m_ok = false;
        }
    }
    return true;
}

Encoding encodingOf(QByteArrayView bytes) {
    Utf8Check check;
    check.add(bytes.sliced(byteOrderMark(bytes)));
    if (!check.sawHigh()) return Encoding::Ascii;
    return check.valid() ? Encoding::Utf8 : Encoding::Windows1252;
}

void refuseUtf16(QByteArrayView start, const QString& path) {
    const QString order = start.startsWith("\xFF\xFE")   ? QStringLiteral("little-endian")
                          : start.startsWith("\xFE\xFF") ? QStringLiteral("big-endian")
                                                         : QString();
    if (order.isEmpty()) return;
    throw ErrorInfo(rtInvalidFileFormat,
                    QStringLiteral("The file %1 is Unicode text (UTF-16, %2), which cannot be read: report, identity "
                                   "and list files are Windows-1252 text. Open it in a text editor, save it with "
                                   "Save As choosing the encoding \"ANSI\" (Windows-1252), and open it again.")
                        .arg(path, order),
                    kSource);
}

namespace {

// Bytes known to be UTF-8 into text (sized to them already). Should the file
// have changed since it was checked, a byte that begins no whole sequence
// reads as Windows-1252, never as nothing.
void decodeUtf8(QByteArrayView bytes, QString& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    text.resize(n); // never more characters than bytes
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    qsizetype o = 0;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out[o++] = b;
            ++i;
            continue;
        }
        const int length = b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        char32_t c = b & (0x7F >> length);
        bool whole = length > 0 && i + length <= n;
        for (int k = 1; whole && k < length; ++k) {
            whole = (p[i + k] & 0xC0) == 0x80;
            c = c << 6 | (p[i + k] & 0x3F);
        }
        whole = whole && !(length == 3 && c < 0x800) && !(length == 4 && (c < 0x10000 || c > 0x10FFFF)) &&
                !(c >= 0xD800 && c <= 0xDFFF);
        if (!whole) {
            out[o++] = Cp1252::decodeByte(b);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out[o++] = QChar::highSurrogate(c);
            out[o++] = QChar::lowSurrogate(c);
        } else {
            out[o++] = char16_t(c);
        }
        i += length;
    }
    text.resize(o);
}

} // namespace

// ---- lines ----------------------------------------------------------------

qsizetype lineEnd(const char* data, qsizetype pos, qsizetype len) {
#ifdef __SSE2__
    // Most lines are short: sixteen bytes a step, looking for both ends at
    // once, find their end sooner than two calls to the library.
    const __m128i crs = _mm_set1_epi8('\r'), lfs = _mm_set1_epi8('\n');
    const qsizetype shortEnd = qMin(len, pos + 256);
    for (; pos + 16 <= shortEnd; pos += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        const unsigned mask =
            unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, crs), _mm_cmpeq_epi8(chunk, lfs))));
        if (mask) return pos + std::countr_zero(mask);
    }
    if (len - pos < 16) {
        for (; pos < len; ++pos)
            if (data[pos] == '\r' || data[pos] == '\n') return pos;
        return len;
    }
#endif
    // A long line: memchr scans far faster than a byte loop, and most lines
    // end in CR LF, so the CR search before the LF stays short.
    const void* lf = std::memchr(data + pos, '\n', size_t(len - pos));
    const qsizetype lfAt = lf ? static_cast<const char*>(lf) - data : len;
    const void* cr = std::memchr(data + pos, '\r', size_t(lfAt - pos));
    return cr ? static_cast<const char*>(cr) - data : lfAt;
}

qsizetype byteOrderMark(QByteArrayView data) {
    // A file saved "as UTF-8" by more than one tool in turn carries a mark
    // for each of them.
    qsizetype marks = 0;
    while (data.sliced(marks).startsWith("\xEF\xBB\xBF")) marks += 3;
    return marks;
}

bool LineSplitter::next(QByteArrayView& line) {
    const qsizetype size = m_data.size();
    if (m_pos >= size) return false;
    const char* d = m_data.data();
    qsizetype end = lineEnd(d, m_pos, size);
    line = QByteArrayView(d + m_pos, end - m_pos);
    if (end < size) {
        if (d[end] == '\r' && end + 1 < size && d[end + 1] == '\n') ++end;
        ++end;
    }
    m_pos = end;
    return true;
}

void raiseReadError(const QFile& file) {
    raiseRuntimeError(rtPathFileAccessError, kSource,
                      file.fileName() + QStringLiteral(" (") + file.errorString() + QStringLiteral(")"));
}

namespace {

// Brings a long line's room in by huge pages as it is written, not by a page
// fault every four kilobytes. The advice covers the whole run of pages the
// heap mapped for the room, never a part of it: the run then stays one
// piece that the heap can grow where it stands (the system moves its pages)
// instead of copying the line into a larger one at every doubling.
void adviseHugePages(QByteArray& room) {
#if defined(__GLIBC__)
    // The heap maps a large block as a run of pages of its own, two words
    // before the block itself; what it tells of the block's size then
    // reaches to the run's end. Room from anywhere else goes unadvised.
    char* const block = reinterpret_cast<char*>(room.data_ptr().d_ptr());
    if (!block) return;
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(block) - 2 * sizeof(size_t);
    const size_t length = malloc_usable_size(block) + 2 * sizeof(size_t);
    if (start % page == 0 && length % page == 0 && length >= LargeMemory::kThreshold)
        ::madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
#else
    LargeMemory::advise(room.data() + room.size(), size_t(room.capacity() - room.size()));
#endif
}

} // namespace

LineReader::LineReader(QFile& file, Reading reading)
    : m_file(file), m_name(file.fileName()), m_block(kBlock, Qt::Uninitialized), m_atStart(file.pos() == 0),
      m_text(reading == Reading::Text) {
    refuseAtStart();
}

LineReader::LineReader(const QString& path, Reading reading)
    : m_own(std::make_unique<QFile>()), m_file(*m_own), m_name(path), m_block(kBlock, Qt::Uninitialized),
      m_atStart(true), m_text(reading == Reading::Text) {
    Globals::FSO().OpenForReading(*m_own, path, QIODevice::Unbuffered);
    refuseAtStart();
}

void LineReader::refuseAtStart() {
    // Told before any line is read, so that a caller shows the refusal as it
    // shows a file that cannot be opened.
    if (!m_text || !m_atStart) return;
    char start[2];
    const qint64 read = m_file.read(start, sizeof start);
    if (read < 0 || !m_file.seek(0)) failedRead();
    refuseUtf16(QByteArrayView(start, read), m_name);
}

LineReader::~LineReader() = default;

bool LineReader::next(Line& line) {
    if (m_stopped) return false;
    if (!m_carry.isEmpty()) m_carry.clear();
    bool started = false;
    for (;;) {
        if (m_pos == m_len) {
            if (started && m_onBlock && !m_onBlock(position())) {
                m_stopped = true;
                return false;
            }
            if (!refill()) {
                if (!started) return false;
                line.bytes = QByteArrayView(m_carry);
                line.number = ++m_number;
                return true;
            }
        }
        if (m_pendingCr) {
            m_pendingCr = false;
            if (m_block[m_pos] == '\n' && ++m_pos == m_len) continue;
        }
        if (!started) line.offset = m_blockStart + m_pos;
        started = true;
        const char* data = m_block.constData();
        qsizetype end = lineEnd(data, m_pos, m_len);
        if (end < m_len) {
            if (m_carry.isEmpty()) {
                line.bytes = QByteArrayView(data + m_pos, end - m_pos);
            } else {
                m_carry.append(data + m_pos, end - m_pos);
                line.bytes = QByteArrayView(m_carry);
            }
            if (data[end] == '\r') {
                if (end + 1 < m_len) {
                    if (data[end + 1] == '\n') ++end;
                } else {
                    m_pendingCr = true;
                }
            }
            m_pos = end + 1;
            line.number = ++m_number;
            return true;
        }
        if (!m_carry.isEmpty() && m_carry.capacity() - m_carry.size() < end - m_pos) {
            // A line longer than a block: its room doubles as it grows, so it
            // is moved a few times at most and takes room in proportion to
            // itself, never to the rest of the file.
            constexpr qsizetype kMost = std::numeric_limits<qsizetype>::max() / 2;
            const qsizetype needed = m_carry.size() + (end - m_pos);
            m_carry.reserve(qMax(needed, m_carry.capacity() < kMost / 2 ? 2 * m_carry.capacity() : kMost));
            adviseHugePages(m_carry);
        }
        m_carry.append(data + m_pos, end - m_pos);
        m_pos = end;
    }
}

void LineReader::decode(const Line& line, QByteArrayView bytes, QString& text) {
    if (!Cp1252::decodeInto(bytes, text)) return;
    if (m_encoding == Encoding::Ascii) decide(line);
    if (m_encoding == Encoding::Utf8) decodeUtf8(bytes, text);
}

void LineReader::decide(const Line& line) {
    // The lines before this one are ASCII: the file's bytes from this line
    // on decide, checked once, the file read on from where the reader
    // stands and put back there. A file in Windows-1252 is told at its first
    // such byte, nearly always; only a file in UTF-8 is read to its end.
    Utf8Check check;
    if (check.add(line.bytes) && check.valid() &&
        check.add(QByteArrayView(m_block.constData() + m_pos, m_len - m_pos))) {
        const qint64 back = m_file.pos();
        QByteArray piece(kBlock, Qt::Uninitialized);
        qint64 read = 0;
        for (;;) {
            read = m_file.read(piece.data(), piece.size());
            if (read <= 0 || !check.add(QByteArrayView(piece.constData(), read))) break;
        }
        // Put back also after a failed read, so that a retry reads on from
        // the same place.
        const QString why = m_file.errorString();
        if (!m_file.seek(back) || read < 0) failedRead(read < 0 ? why : m_file.errorString());
    }
    m_encoding = check.valid() ? Encoding::Utf8 : Encoding::Windows1252;
}

void LineReader::failedRead(const QString& why) {
    raiseRuntimeError(rtPathFileAccessError, kSource,
                      m_name + QStringLiteral(" (") + (why.isNull() ? m_file.errorString() : why) +
                          QStringLiteral(")"));
}

void LineReader::release() {
    if (m_carry.capacity() > kBlock) m_carry = QByteArray();
}

QByteArray LineReader::takeLine(const Line& line) {
    if (!m_carry.isEmpty() && line.bytes.data() == m_carry.constData()) return std::exchange(m_carry, QByteArray());
    return line.bytes.toByteArray();
}

bool LineReader::refill() {
    m_blockStart += m_len;
    const qint64 read = m_file.read(m_block.data(), kBlock);
    if (read < 0) failedRead();
    m_pos = 0;
    m_len = qsizetype(read);
    if (m_digest) m_digest->add(QByteArrayView(m_block.constData(), m_len));
    // A block holds far more than the marks any file carries, so the first
    // one holds them whole.
    if (m_atStart) {
        m_atStart = false;
        m_pos = byteOrderMark(QByteArrayView(m_block.constData(), m_len));
        if (m_pos == m_len) return refill();
    }
    return m_len > 0;
}

// ---- digest and stamp -------------------------------------------------------

void Digest::mix(quint64 word) {
    // A multiply and a rotation per eight bytes: fast enough to run beside
    // every read and write of a report file.
    m_state ^= word * 0x87C37B91114253D5ull;
    m_state = (m_state << 31 | m_state >> 33) * 0x4CF5AD432745937Full;
}

void Digest::add(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    qsizetype n = bytes.size();
    m_length += quint64(n);
    while (m_pendingSize > 0 && m_pendingSize < 8 && n > 0) {
        m_pending[m_pendingSize++] = *p++;
        --n;
    }
    if (m_pendingSize == 8) {
        quint64 word;
        std::memcpy(&word, m_pending, 8);
        mix(word);
        m_pendingSize = 0;
    }
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        mix(word);
    }
    for (; n > 0; --n) m_pending[m_pendingSize++] = *p++;
}

quint64 Digest::value() const {
    Digest last = *this;
    quint64 word = 0;
    std::memcpy(&word, m_pending, size_t(m_pendingSize));
    last.mix(word ^ (m_length << 3));
    quint64 h = last.m_state;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return h;
}

FileStamp FileStamp::withDigest(const QString& path, quint64 digest) {
    const QFileInfo info(path);
    FileStamp stamp;
    if (!info.isFile()) return stamp;
    stamp.size = info.size();
    stamp.digest = digest;
    return stamp;
}

FileStamp FileStamp::of(const QString& path) {
    try {
        QFile file;
        Globals::FSO().OpenForReading(file, path, QIODevice::Unbuffered);
        QByteArray block(LineReader::kBlock, Qt::Uninitialized);
        Digest digest;
        for (;;) {
            const qint64 read = file.read(block.data(), block.size());
            if (read < 0) return FileStamp();
            if (read == 0) break;
            digest.add(QByteArrayView(block.constData(), read));
        }
        return withDigest(path, digest.value());
    } catch (const ErrorInfo&) {
        return FileStamp();
    }
}

// ---- text and fields --------------------------------------------------------

void decode(QByteArrayView bytes, QString& text) { Cp1252::decodeInto(bytes, text); }

void decode(QByteArrayView bytes, QString& text, Encoding encoding) {
    if (Cp1252::decodeInto(bytes, text) && encoding == Encoding::Utf8) decodeUtf8(bytes, text);
}

void splitFields(QStringView line, QStringView separator, FieldViews& fields) {
    fields.clear();
    if (separator.isEmpty()) separator = u"|";
    if (line.endsWith(separator)) line.chop(separator.size());
    if (line.isEmpty()) return;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = line.indexOf(separator, start);
        if (at < 0) {
            fields.append(line.sliced(start));
            return;
        }
        fields.append(line.sliced(start, at - start));
        start = at + separator.size();
    }
}

QStringView field(QStringView line, QStringView separator, int i) {
    if (separator.isEmpty()) separator = u"|";
    qsizetype start = 0;
    for (int k = 0; k < i; ++k) {
        const qsizetype at = line.indexOf(separator, start);
        if (at < 0) return {};
        start = at + separator.size();
    }
    if (start > line.size()) return {};
    const qsizetype end = line.indexOf(separator, start);
    return end < 0 ? line.sliced(start) : line.sliced(start, end - start);
}

QByteArrayView field(QByteArrayView line, char separator, int i) {
    const char* p = line.data();
    const qsizetype n = line.size();
    // Where field i starts: past the i-th separator.
    qsizetype start = 0, at = 0;
    int passed = 0;
#ifdef __SSE2__
    const __m128i wanted = _mm_set1_epi8(separator);
    for (; passed < i && at + 16 <= n; at += 16) {
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)), wanted)));
        for (; mask && passed < i; mask &= mask - 1, ++passed) start = at + std::countr_zero(mask) + 1;
        if (passed == i) break;
    }
#endif
    for (; passed < i && at < n; ++at)
        if (p[at] == separator) {
            ++passed;
            start = at + 1;
        }
    if (passed < i) return {};
    const void* end = std::memchr(p + start, separator, size_t(n - start));
    return QByteArrayView(p + start, (end ? static_cast<const char*>(end) - p : n) - start);
}

bool isBlank(QByteArrayView line) {
    for (char c : line)
        if (c != ' ') return false;
    return true;
}

bool isBlank(QStringView line) {
    for (QChar c : line)
        if (c != u' ') return false;
    return true;
}

// ---- text these files cannot hold -------------------------------------------

qsizetype refusedAt(QStringView text) {
    qsizetype bad = -1;
    const bool encodable = Cp1252::canEncode(text, &bad);
    const qsizetype limit = encodable ? text.size() : bad;
    for (qsizetype i = 0; i < limit; ++i) {
        const QChar c = text[i];
        if (c == u'|' || c == u'\r' || c == u'\n') return i;
    }
    return encodable ? -1 : bad;
}

QString refusal(QStringView text, const QString& subject) {
    const qsizetype at = refusedAt(text);
    if (at < 0) return QString();
    const QChar c = text[at];
    if (c == u'|') return subject + QStringLiteral(" holds \"|\", which separates the fields of the file");
    if (c == u'\r' || c == u'\n') return subject + QStringLiteral(" holds a line break, which would end its record");
    const bool pair = c.isHighSurrogate() && at + 1 < text.size();
    const uint code = pair ? QChar::surrogateToUcs4(c, text[at + 1]) : c.unicode();
    return subject +
           QStringLiteral(" holds the character \"%1\" (U+%2), which the file cannot hold (only Western European "
                          "characters can be saved)")
               .arg(pair ? text.sliced(at, 2).toString() : QString(c),
                    QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

// ---- writing ----------------------------------------------------------------

RecordWriter::RecordWriter(const QString& path, const QString& source, Bars bars)
    : m_path(path), m_source(source), m_bars(bars), m_file(std::make_unique<FileWriter>(path, source)) {}

RecordWriter::~RecordWriter() = default;

void RecordWriter::field(QStringView text) {
    if (m_bars == Bars::BetweenFields && m_fields > 0) m_record += '|';
    ++m_fields;
    const qsizetype at = m_record.size();
    // Plain text, nearly every field, is checked for the three bytes that
    // would break a record as it is encoded.
    if (Cp1252::append(text, m_record)) {
        const char* p = m_record.constData() + at;
        const size_t n = size_t(m_record.size() - at);
        if (!std::memchr(p, '|', n) && !std::memchr(p, '\r', n) && !std::memchr(p, '\n', n)) {
            if (m_bars == Bars::AfterEveryField) m_record += '|';
            return;
        }
    }
    m_refusedRecord = m_records + 1;
    m_refusedField = m_fields;
    cancel();
    throw ErrorInfo(errInvalidPropertyValue,
                    refusal(text, QStringLiteral("Record %1, field %2").arg(m_refusedRecord).arg(m_refusedField)),
                    m_source);
}

void RecordWriter::emptyFields(int count) {
    for (int i = 0; i < count; ++i) field(QStringView());
}

void RecordWriter::endRecord() {
    m_record += "\r\n";
    m_digest.add(m_record);
    m_file->writeBytes(m_record);
    m_record.resize(0);
    m_fields = 0;
    ++m_records;
}

std::optional<FileStamp> RecordWriter::commit(const std::function<bool()>& beforeReplacing) {
    if (!m_file->commit(beforeReplacing)) return std::nullopt;
    return FileStamp::withDigest(m_path, m_digest.value());
}

void RecordWriter::cancel() { m_file->cancel(); }

} // namespace Vezedad::ReportFile
