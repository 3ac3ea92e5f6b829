#include "Vezedad/validation/ReportLines.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Text.h"

#include <array>
#include <cstring>

namespace Vezedad::ReportLines {

namespace {

// The first CR or LF from pos on, or len; memchr scans far faster than a
// byte loop, and most lines end in CR LF, so the CR search stays short.
qsizetype lineEnd(const char* data, qsizetype pos, qsizetype len) {
    const void* lf = std::memchr(data + pos, '\n', size_t(len - pos));
    const qsizetype lfAt = lf ? static_cast<const char*>(lf) - data : len;
    const void* cr = std::memchr(data + pos, '\r', size_t(lfAt - pos));
    return cr ? static_cast<const char*>(cr) - data : lfAt;
}

} // namespace

void raiseReadError(const QFile& file) {
    raiseRuntimeError(rtPathFileAccessError, QStringLiteral("FileSystemObject"),
                      file.fileName() + QStringLiteral(" (") + file.errorString() + QStringLiteral(")"));
}

bool LineReader::next(Line& line) {
    m_carry.clear();
    bool started = false;
    for (;;) {
        if (m_pos == m_len && !refill()) {
            if (!started) return false;
            line.bytes = QByteArrayView(m_carry);
            return true;
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
            return true;
        }
        m_carry.append(data + m_pos, end - m_pos);
        m_pos = end;
    }
}

bool LineReader::refill() {
    m_blockStart += m_len;
    const qint64 read = m_file.read(m_block.data(), kBlock);
    if (read < 0) raiseReadError(m_file);
    m_pos = 0;
    m_len = qsizetype(read);
    return m_len > 0;
}

QByteArrayView cleanLine(QByteArrayView raw, QByteArray& scratch) {
    if (std::memchr(raw.data(), '"', size_t(raw.size()))) {
        scratch.resize(raw.size());
        qsizetype n = 0;
        for (char c : raw)
            if (c != '"') scratch[n++] = c;
        scratch.resize(n);
        raw = QByteArrayView(scratch);
    }
    return trimBlanks(raw);
}

void decode(QByteArrayView bytes, QString& text) {
    static const auto table = [] {
        std::array<char16_t, 256> t{};
        for (int i = 0; i < 256; ++i) t[size_t(i)] = Cp1252::decodeByte(uchar(i));
        return t;
    }();
    const qsizetype n = bytes.size();
    text.resize(n);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    // Widen every byte (a loop the compiler vectorises), then mend the few
    // bytes whose character lies outside Latin-1.
    uchar high = 0;
    for (qsizetype i = 0; i < n; ++i) {
        out[i] = in[i];
        high |= in[i];
    }
    if (high & 0x80)
        for (qsizetype i = 0; i < n; ++i)
            if (in[i] >= 0x80 && in[i] < 0xA0) out[i] = table[in[i]];
}

} // namespace Vezedad::ReportLines
