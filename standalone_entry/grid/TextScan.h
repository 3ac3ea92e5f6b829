#pragma once
#include <QtGlobal>

#include <cstring>
#include <type_traits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Passes over the characters of large loads and checks, written so that
// they take eight characters at a time where the processor can.
namespace Dazozuvi::TextScan {

// Writes text with its ASCII letters upper-cased into out, one character per
// element (uchar: one byte, char16_t: as it is), and returns every character
// ORed together: below 0x80 the text was ASCII and out holds its upper case;
// otherwise a byte out is of no use.
template <class Out> inline char16_t upperAscii(const char16_t* text, Out* out, qsizetype n) {
    static_assert(std::is_same_v<Out, uchar> || std::is_same_v<Out, char16_t>);
    qsizetype i = 0;
    char16_t seen = 0;
#ifdef __SSE2__
    const __m128i beforeA = _mm_set1_epi16(short(u'a' - 1));
    const __m128i afterZ = _mm_set1_epi16(short(u'z' + 1));
    const __m128i caseBit = _mm_set1_epi16(0x20);
    __m128i all = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        all = _mm_or_si128(all, v);
        // Characters from 0x8000 compare as negative: never a letter here.
        const __m128i lower = _mm_and_si128(_mm_cmpgt_epi16(v, beforeA), _mm_cmplt_epi16(v, afterZ));
        v = _mm_sub_epi16(v, _mm_and_si128(lower, caseBit));
        if constexpr (std::is_same_v<Out, uchar>)
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(v, v));
        else
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    }
    all = _mm_or_si128(all, _mm_srli_si128(all, 8));
    all = _mm_or_si128(all, _mm_srli_si128(all, 4));
    all = _mm_or_si128(all, _mm_srli_si128(all, 2));
    seen = char16_t(_mm_cvtsi128_si32(all) & 0xFFFF);
#endif
    for (; i < n; ++i) {
        const char16_t c = text[i];
        seen |= c;
        out[i] = Out(c - (char16_t(char16_t(c - u'a') < 26) << 5));
    }
    return seen;
}

// Upper-cases ASCII bytes (every one below 0x80) where they stand, eight at a
// time: a byte plus 0x80 - c has its top bit set from c on, and no byte
// carries into the next.
inline void upperAsciiBytes(uchar* bytes, qsizetype n) {
    constexpr quint64 ones = 0x0101010101010101ull, tops = ones * 0x80;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, sizeof word);
        const quint64 fromA = (word + ones * (0x80 - 'a')) & tops;
        const quint64 pastZ = (word + ones * (0x80 - 'z' - 1)) & tops;
        word ^= (fromA & ~pastZ) >> 2;
        std::memcpy(bytes + i, &word, sizeof word);
    }
    for (; i < n; ++i) bytes[i] = uchar(bytes[i] - (uchar(uchar(bytes[i] - 'a') < 26) << 5));
}

// Whether text is ASCII without a small letter: its upper case is itself.
inline bool isUpperAscii(const char16_t* text, qsizetype n) {
    // One pass that only reads: a row that is upper case already (every
    // loaded row) needs no second copy of itself to be compared with.
    qsizetype i = 0;
    char16_t bad = 0;
#ifdef __SSE2__
    const __m128i beforeA = _mm_set1_epi16(short(u'a' - 1));
    const __m128i afterZ = _mm_set1_epi16(short(u'z' + 1));
    const __m128i highBits = _mm_set1_epi16(short(0xFF80));
    __m128i seen = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i lower = _mm_and_si128(_mm_cmpgt_epi16(v, beforeA), _mm_cmplt_epi16(v, afterZ));
        seen = _mm_or_si128(seen, _mm_or_si128(lower, _mm_and_si128(v, highBits)));
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(seen, _mm_setzero_si128())) != 0xFFFF) return false;
#endif
    for (; i < n; ++i) {
        const char16_t c = text[i];
        bad |= char16_t(c >= 0x80) | char16_t(char16_t(c - u'a') < 26);
    }
    return bad == 0;
}

// Whether bytes are printable ASCII without a small letter (no control
// byte, none from 0x80): every loaded row is, and its values' checks on
// bytes and on text then agree. Eight at a time: a byte below 0x20 borrows
// from its top bit, which a byte's own top bit then answers for; the letters
// are found as upperAsciiBytes finds them, which holds where no top bit is
// set, and a top bit set is an answer already.
inline bool isPlainUpperAscii(const uchar* bytes, qsizetype n) {
    constexpr quint64 ones = 0x0101010101010101ull, tops = ones * 0x80;
    quint64 bad = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, sizeof word);
        const quint64 control = (word - ones * 0x20) & ~word;
        const quint64 fromA = word + ones * (0x80 - 'a');
        const quint64 pastZ = word + ones * (0x80 - 'z' - 1);
        bad |= (word | control | (fromA & ~pastZ)) & tops;
    }
    for (; i < n; ++i) bad |= quint64(bytes[i] < 0x20 || bytes[i] >= 0x80 || uchar(bytes[i] - 'a') < 26);
    return bad == 0;
}

// Calls found(i) for every i, in order, where bytes[i] is c.
template <class Found> inline void findEach(const uchar* bytes, qsizetype n, uchar c, Found&& found) {
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i wanted = _mm_set1_epi8(char(c));
    for (; i + 16 <= n; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        for (unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted))); mask; mask &= mask - 1)
            found(i + qsizetype(__builtin_ctz(mask)));
    }
#endif
    for (; i < n; ++i)
        if (bytes[i] == c) found(i);
}

// Widens Latin-1 bytes into UTF-16.
inline void widenLatin1(const uchar* in, char16_t* out, qsizetype n) {
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; i < n; ++i) out[i] = in[i];
}

} // namespace Dazozuvi::TextScan
