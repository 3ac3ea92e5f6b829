#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Vezedad::Cp1252 {

namespace {
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int encodeChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}
} // namespace

char16_t decodeByte(unsigned char byte) { return (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : byte; }

namespace {
// Every byte widened as it stands (sixteen at a time where the processor
// can), then the few whose character lies outside Latin-1 mended. Whether
// any byte was above 0x7F comes for free.
bool widen(const unsigned char* src, char16_t* dst, qsizetype n) {
    qsizetype i = 0;
    unsigned char high = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    __m128i all = zero;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        all = _mm_or_si128(all, v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 8), _mm_unpackhi_epi8(v, zero));
    }
    high = _mm_movemask_epi8(all) ? 0x80 : 0;
#endif
    for (; i < n; ++i) {
        dst[i] = src[i];
        high |= src[i];
    }
    if (!(high & 0x80)) return false;
    for (i = 0; i < n; ++i)
        if ((src[i] & 0xE0) == 0x80) dst[i] = kHigh[src[i] - 0x80];
    return true;
}
} // namespace

QString decode(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    widen(reinterpret_cast<const unsigned char*>(bytes.data()), reinterpret_cast<char16_t*>(out.data()), bytes.size());
    return out;
}

bool decodeInto(QByteArrayView bytes, QString& text) {
    text.resize(bytes.size());
    return widen(reinterpret_cast<const unsigned char*>(bytes.data()), reinterpret_cast<char16_t*>(text.data()),
                 bytes.size());
}

bool encode(QStringView text, QByteArray& out, qsizetype* badIndex) {
    out.resize(text.size());
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = encodeChar(text[i].unicode());
        if (b < 0) {
            if (badIndex) *badIndex = i;
            out.clear();
            return false;
        }
        dst[i] = char(b);
    }
    return true;
}

bool append(QStringView text, QByteArray& out, qsizetype* badIndex) {
    const qsizetype at = out.size(), n = text.size();
    out.resize(at + n);
    const char16_t* src = reinterpret_cast<const char16_t*>(text.data());
    char* dst = out.data() + at;
    char16_t all = 0;
    for (qsizetype i = 0; i < n; ++i) {
        all |= src[i];
        dst[i] = char(src[i]);
    }
    if (all < 0x80) return true;
    for (qsizetype i = 0; i < n; ++i) {
        const int b = encodeChar(src[i]);
        if (b < 0) {
            if (badIndex) *badIndex = i;
            out.resize(at);
            return false;
        }
        dst[i] = char(b);
    }
    return true;
}

bool canEncode(QStringView text, qsizetype* badIndex) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (encodeChar(text[i].unicode()) < 0) {
            if (badIndex) *badIndex = i;
            return false;
        }
    }
    return true;
}

char16_t upperChar(char16_t c) {
    if (c < 0x80) return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
    if (encodeChar(c) < 0) return c;
    const char16_t up = char16_t(QChar::toUpper(char32_t(c)));
    return up != c && encodeChar(up) >= 0 ? up : c;
}

QString upper(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) out[i] = QChar(upperChar(text[i].unicode()));
    return out;
}

QString unencodableMessage(QStringView text, qsizetype badIndex) {
    const QChar c = text[badIndex];
    QString shown = c.isSurrogate() && badIndex + 1 < text.size() ? text.mid(badIndex, 2).toString() : QString(c);
    uint code = c.unicode();
    if (c.isHighSurrogate() && badIndex + 1 < text.size()) code = QChar::surrogateToUcs4(c, text[badIndex + 1]);
    return QStringLiteral("The character '%1' (U+%2) cannot be saved: these files hold only Western European "
                          "(Windows-1252) characters. Please replace it.")
        .arg(shown, QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

void appendOrRaise(QStringView text, QByteArray& out, const QString& source) {
    qsizetype bad = 0;
    if (!append(text, out, &bad))
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errInvalidPropertyValue),
                        unencodableMessage(text, bad), source);
}

QByteArray encodeOrRaise(QStringView text, const QString& source) {
    QByteArray out;
    qsizetype bad = 0;
    if (!encode(text, out, &bad))
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errInvalidPropertyValue),
                        unencodableMessage(text, bad), source);
    return out;
}

} // namespace Vezedad::Cp1252
