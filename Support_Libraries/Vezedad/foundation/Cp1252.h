#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Report, identity and list files are single-byte Windows-1252 text. Every
// byte decodes to one character and back again, so a file that is read and
// written unchanged keeps its bytes (the five bytes the code page leaves
// undefined map to the control characters of the same number).
namespace Vezedad::Cp1252 {

VEZEDAD_EXPORT char16_t decodeByte(unsigned char byte);
VEZEDAD_EXPORT QString decode(QByteArrayView bytes);
// The same into text, reusing its memory: a file's lines decoded one after
// another into one text cost no allocation each. True when a byte was above
// 0x7F (false: the bytes were ASCII).
VEZEDAD_EXPORT bool decodeInto(QByteArrayView bytes, QString& text);

// Encodes text; returns false, with the position of the first character that
// has no byte in the code page, when the text cannot be written.
VEZEDAD_EXPORT bool encode(QStringView text, QByteArray& out, qsizetype* badIndex = nullptr);

// Encodes text or raises a clear error naming the character that cannot be
// written; never writes a silent "?".
VEZEDAD_EXPORT QByteArray encodeOrRaise(QStringView text, const QString& source);

// Appends the encoding of text to out; returns false, with out as it was and
// the position of the first character the code page cannot hold, when the
// text cannot be written. Plain ASCII, nearly every report's text, is
// narrowed in one pass the compiler vectorises.
VEZEDAD_EXPORT bool append(QStringView text, QByteArray& out, qsizetype* badIndex = nullptr);
// The same, raising the error of encodeOrRaise when text cannot be written.
VEZEDAD_EXPORT void appendOrRaise(QStringView text, QByteArray& out, const QString& source);

// True when every character of text can be written in the code page.
VEZEDAD_EXPORT bool canEncode(QStringView text, qsizetype* badIndex = nullptr);

// Upper case as a single-byte upper-casing of the code page gives it: a
// character changes only where its upper case is one character that the code
// page holds, so "µg" becomes "µG" and "ß" stays. Lengths never change.
VEZEDAD_EXPORT char16_t upperChar(char16_t c);
VEZEDAD_EXPORT QString upper(QStringView text);

// The error text for a character that cannot be written.
VEZEDAD_EXPORT QString unencodableMessage(QStringView text, qsizetype badIndex);

} // namespace Vezedad::Cp1252
