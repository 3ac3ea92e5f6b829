#include "grid/CellInput.h"

#include "Vezedad/reportfile/ReportFile.h"

#include <cmath>

namespace Dazozuvi {

QString refusedCharacterMessage(QStringView text, qsizetype index) {
    if (text[index] == u'\t')
        return QStringLiteral("A cell holds one line of text: tabs and line breaks cannot be typed in it.");
    const qsizetype length = text[index].isHighSurrogate() && index + 1 < text.size() ? 2 : 1;
    const QString why = Vezedad::ReportFile::refusal(text.sliced(index, length), QStringLiteral("What was typed"));
    return why.isEmpty() ? why : why + QLatin1Char('.');
}

CellInputFilter::CellInputFilter(const CellType& type, std::function<void(const QString&)> onRefused, QObject* parent)
    : QValidator(parent), m_type(type), m_onRefused(std::move(onRefused)) {}

QValidator::State CellInputFilter::checkType(const CellType& type, QStringView input) {
    switch (type.kind) {
    case CellType::Text:
    case CellType::List:
    case CellType::Check: return Acceptable;
    case CellType::Digits:
        for (QChar c : input)
            if (c < u'0' || c > u'9') return Invalid;
        return Acceptable;
    case CellType::Date:
        for (QChar c : input)
            if (!((c >= u'0' && c <= u'9') || c == u'/' || c == u'-' || c == u'.' || c == u' ')) return Invalid;
        return Acceptable;
    case CellType::Number: {
        qsizetype i = 0;
        if (i < input.size() && input[i] == u'-') {
            if (type.minimum >= 0) return Invalid;
            ++i;
        }
        int before = 0;
        int after = 0;
        bool point = false;
        for (; i < input.size(); ++i) {
            const QChar c = input[i];
            if (c == u'.') {
                if (point || type.decimals <= 0) return Invalid;
                point = true;
            } else if (c >= u'0' && c <= u'9') {
                (point ? after : before) += 1;
            } else {
                return Invalid;
            }
        }
        if (after > type.decimals) return Invalid;
        if (before + after == 0) return input.isEmpty() ? Acceptable : Intermediate;
        bool ok = false;
        const double value = input.toDouble(&ok);
        if (!ok) return Intermediate;
        // A value beyond the range cannot grow back into it by typing more.
        if (value > type.maximum && value >= 0) return Invalid;
        if (value < type.minimum && value < 0) return Invalid;
        return value < type.minimum ? Intermediate : Acceptable;
    }
    }
    return Acceptable;
}

QValidator::State CellInputFilter::validate(QString& input, int& pos) const {
    QString message;
    qsizetype firstRefused = -1;
    for (qsizetype i = 0; i < input.size(); ++i) {
        message = refusedCharacterMessage(input, i);
        if (!message.isEmpty()) {
            firstRefused = i;
            break;
        }
    }
    if (firstRefused >= 0) {
        QString kept;
        kept.reserve(input.size());
        int newPos = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (refusedCharacterMessage(input, i).isEmpty()) {
                kept.append(input[i]);
            } else if (i < pos) {
                --newPos;
            }
        }
        input = kept;
        pos = newPos;
        if (m_onRefused) m_onRefused(message);
    }
    return checkType(m_type, input);
}

} // namespace Dazozuvi
