#pragma once
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <QStringView>
#include <cmath>
#include <limits>
#include <optional>

class QVariant;

// The number conversions of the system, as the runtime it was written for
// makes them: every text, setting and reply value that becomes a number goes
// through here.
namespace Vezedad {

// What a conversion to a number makes of a text: blanks around it, a sign,
// digits with a decimal point, an exponent. A well-formed number beyond any
// double reads as infinity (its conversion overflows); a text that is no
// number reads as nothing (a type mismatch).
VEZEDAD_EXPORT std::optional<double> textToNumber(QStringView text);

// Whether a text holds a number, and which: as textToNumber, but a number
// beyond any double counts as none.
VEZEDAD_EXPORT std::optional<double> numericText(QStringView text);

// The number a variant holds: its integer or floating value, or textToNumber
// of its text; nothing for any other content (a Boolean included).
VEZEDAD_EXPORT std::optional<double> variantToNumber(const QVariant& value);

// A number made whole the way the runtime converts it to an integer type:
// halves go to the even neighbour. Nothing when the result lies beyond T (or
// the number is not finite); callers decide whether that is an overflow.
template <class T> std::optional<T> roundedTo(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= double(std::numeric_limits<T>::min()) && r <= double(std::numeric_limits<T>::max())))
        return std::nullopt;
    return T(r);
}

// As roundedTo, raising Overflow (6) with source beyond T.
template <class T> T roundedOrOverflow(double value, const QString& source) {
    const std::optional<T> whole = roundedTo<T>(value);
    if (!whole) raiseOverflow(source);
    return *whole;
}

// A value as a 32-bit whole number: Type mismatch (13) for what holds no
// number, Overflow (6) beyond the range.
VEZEDAD_EXPORT qint32 toLong(const QVariant& value, const QString& source);

// A value as a Boolean: a Boolean as it is, "True" or "False" in any letter
// case, or a number (True unless 0); Type mismatch (13) for anything else.
VEZEDAD_EXPORT bool toBoolean(const QVariant& value, const QString& source);

} // namespace Vezedad
