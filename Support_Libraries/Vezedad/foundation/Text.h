#pragma once
#include <QByteArrayView>
#include <QStringView>

#include <cstring>

namespace Vezedad {

// Whether every byte is below 0x80, eight at a time: a line of tens of
// megabytes is told in a few milliseconds.
inline bool isAscii(QByteArrayView bytes) {
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    quint64 all = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, sizeof word);
        all |= word;
    }
    for (; i < n; ++i) all |= static_cast<unsigned char>(p[i]);
    return (all & 0x8080808080808080ull) == 0;
}

// The text without the blanks (spaces, nothing else) at either end, as the
// runtime's Trim leaves it. The byte form serves the single-byte file path.
inline QStringView trimBlanks(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    return text.sliced(begin, end - begin);
}

inline QByteArrayView trimBlanks(QByteArrayView bytes) {
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && bytes[begin] == ' ') ++begin;
    while (end > begin && bytes[end - 1] == ' ') --end;
    return bytes.sliced(begin, end - begin);
}

} // namespace Vezedad
