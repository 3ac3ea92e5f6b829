#pragma once
#include <QByteArrayView>
#include <QStringView>

namespace Vezedad {

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
