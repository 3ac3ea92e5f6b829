#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/Text.h"

#include <QVariant>

namespace Vezedad {

std::optional<double> textToNumber(QStringView text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (ok && std::isfinite(value)) return value;
    // A well-formed number too large for any numeric type: an overflow, not
    // a type mismatch ("inf" itself is no number).
    if (!ok && std::isinf(value)) return value;
    return std::nullopt;
}

std::optional<double> numericText(QStringView text) {
    const std::optional<double> value = textToNumber(text);
    if (value && !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<double> variantToNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float: return value.toDouble();
    case QMetaType::QString: return textToNumber(value.toString());
    default: return std::nullopt;
    }
}

qint32 toLong(const QVariant& value, const QString& source) {
    const std::optional<double> number = variantToNumber(value);
    if (!number) raiseTypeMismatch(source);
    return roundedOrOverflow<qint32>(*number, source);
}

bool toBoolean(const QVariant& value, const QString& source) {
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        const QStringView word = trimBlanks(QStringView(text));
        if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
        if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    }
    const std::optional<double> number = variantToNumber(value);
    if (!number) raiseTypeMismatch(source);
    if (std::isinf(*number)) raiseOverflow(source);
    return *number != 0.0;
}

} // namespace Vezedad
