#include "forms/LineReader.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"

#include <cstring>

namespace Dazozuvi {

namespace {

constexpr qsizetype kBlock = 256 * 1024;

// Decodes into line, reusing its memory: a file's lines are read one after
// another into the same text.
void decodeInto(QString& line, const char* p, qsizetype n) {
    line.resize(0);
    line.append(QLatin1StringView(p, n));
    // The code page differs from Latin-1 only in 0x80 .. 0x9F.
    bool differs = false;
    for (qsizetype i = 0; i < n; ++i) differs |= static_cast<unsigned char>(p[i]) - 0x80u < 0x20u;
    if (!differs) return;
    char16_t* out = reinterpret_cast<char16_t*>(line.data());
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) - 0x80u < 0x20u)
            out[i] = Vezedad::Cp1252::decodeByte(static_cast<unsigned char>(p[i]));
}

const char* lineEnd(const char* p, const char* end) {
    // Most bytes are neither CR nor LF: memchr finds the LF quickly, and the
    // stretch before it is searched for a CR.
    const void* lf = std::memchr(p, '\n', size_t(end - p));
    const char* limit = lf ? static_cast<const char*>(lf) : end;
    const void* cr = std::memchr(p, '\r', size_t(limit - p));
    return cr ? static_cast<const char*>(cr) : limit;
}

} // namespace

LineReader::LineReader(const QString& path) : m_path(path) { Vezedad::Globals::FSO().OpenForReading(m_file, path); }

bool LineReader::fill() {
    if (m_atEnd) return false;
    // Keep the unread rest and append the next block to it.
    m_block.remove(0, m_pos);
    m_pos = 0;
    const qsizetype kept = m_block.size();
    m_block.resize(kept + kBlock);
    const qint64 got = m_file.read(m_block.data() + kept, kBlock);
    if (got < 0)
        Vezedad::raiseRuntimeError(Vezedad::rtPathFileAccessError, QStringLiteral("Dazozuvi::LineReader"),
                                   m_path + QStringLiteral(" (") + m_file.errorString() + QLatin1Char(')'));
    m_block.resize(kept + got);
    if (got == 0) m_atEnd = true;
    return got > 0;
}

bool LineReader::ReadLine(QString& line) {
    for (;;) {
        const char* begin = m_block.constData() + m_pos;
        const char* end = m_block.constData() + m_block.size();
        if (m_skipLf && begin < end) {
            m_skipLf = false;
            if (*begin == '\n') {
                ++m_pos;
                continue;
            }
        }
        const char* stop = lineEnd(begin, end);
        if (stop < end) {
            decodeInto(line, begin, stop - begin);
            m_pos += (stop - begin) + 1;
            m_skipLf = *stop == '\r';
            return true;
        }
        if (!fill()) {
            // The last line, without a line end.
            if (m_pos >= m_block.size()) return false;
            decodeInto(line, m_block.constData() + m_pos, m_block.size() - m_pos);
            m_pos = m_block.size();
            return true;
        }
    }
}

} // namespace Dazozuvi
