#include "Vezedad/foundation/StringCollection.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/Text.h"

#include <QDateTime>
#include <optional>

namespace Vezedad {

qint32 StringCollection::Add(const QString& item) {
    if (item.isEmpty()) return 0;
    const qint32 existing = Index(item);
    if (existing > 0) return existing;
    m_items.insert(key(item), item);
    return Count();
}

void StringCollection::Clear() { m_items.clear(); }

qint32 StringCollection::Count() const { return qint32(m_items.size()); }

qsizetype StringCollection::position(const QVariant& index) const {
    qlonglong n = 0;
    switch (index.typeId()) {
    case QMetaType::QString: return m_items.indexOf(key(index.toString()));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar: n = index.toLongLong(); break;
    case QMetaType::Double:
    case QMetaType::Float: {
        // A fractional position goes to the even neighbour at a half, as
        // the runtime turns a number into a position.
        const std::optional<qint64> whole = roundedTo<qint64>(index.toDouble());
        if (!whole) return -1;
        n = *whole;
        break;
    }
    default:
        // Neither a number nor a text (a Boolean, a date, nothing at all)
        // addresses no element.
        return -1;
    }
    if (n < 1 || n > m_items.size()) return -1;
    return qsizetype(n - 1);
}

bool StringCollection::Exists(const QVariant& index) const { return position(index) >= 0; }

qint32 StringCollection::Index(const QString& item) const {
    const qsizetype i = m_items.indexOf(key(item));
    return i < 0 ? 0 : qint32(i + 1);
}

QString StringCollection::Item(const QVariant& index) const {
    const qsizetype i = position(index);
    return i < 0 ? QString() : m_items.at(i).second;
}

void StringCollection::Remove(const QVariant& index) {
    const qsizetype i = position(index);
    if (i >= 0) m_items.removeAt(i);
}

QStringList StringCollection::Items() const {
    QStringList out;
    out.reserve(m_items.size());
    for (const auto& item : m_items) out << item.second;
    return out;
}

namespace {

std::optional<QDateTime> asDate(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate: return QDateTime(v.toDate(), QTime(0, 0));
    case QMetaType::QDateTime: return v.toDateTime();
    case QMetaType::QString: {
        const QString text = trimBlanks(v.toString()).toString();
        if (text.isEmpty() || (!text.contains(QLatin1Char('/')) && !text.contains(QLatin1Char('-'))))
            return std::nullopt;
        static const char* const formats[] = {
            "M/d/yyyy", "M/d/yy", "yyyy-MM-dd", "M/d/yyyy h:mm:ss AP", "M/d/yyyy H:mm:ss", "yyyy-MM-ddTHH:mm:ss",
            "M-d-yyyy"};
        for (const char* format : formats) {
            const QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
            if (dt.isValid()) return dt;
            const QDate d = QDate::fromString(text, QLatin1String(format));
            if (d.isValid()) return QDateTime(d, QTime(0, 0));
        }
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

std::optional<double> asNumber(const QVariant& v) {
    if (!v.isValid()) return 0.0; // an empty element counts as the number 0
    if (v.typeId() == QMetaType::Bool) return v.toDouble();
    return variantToNumber(v);
}

} // namespace

bool Sorter::IsGreater(const QVariant& a, const QVariant& b, bool descending) {
    bool greater;
    const auto da = asDate(a);
    const auto db = da ? asDate(b) : std::nullopt;
    const auto na = asNumber(a);
    const auto nb = na ? asNumber(b) : std::nullopt;
    if (da && db) {
        greater = *da > *db;
    } else if (na && nb) {
        if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
            greater = a.toString().compare(b.toString(), Qt::CaseSensitive) > 0;
        else
            greater = *na > *nb;
    } else {
        greater = a.toString().compare(b.toString(), Qt::CaseInsensitive) > 0;
    }
    return greater != descending;
}

void Sorter::ShellSort(QVariantList& vArray, bool descending) const {
    const qsizetype n = vArray.size();
    if (n == 0) return;
    qsizetype h = 1;
    while (h <= n) h = 3 * h + 1;
    do {
        h /= 3;
        for (qsizetype i = h; i < n; ++i) {
            QVariant temp = vArray[i];
            qsizetype j = i;
            while (j - h >= 0 && IsGreater(vArray[j - h], temp, descending)) {
                vArray[j] = vArray[j - h];
                j -= h;
            }
            vArray[j] = temp;
        }
    } while (h > 1);
}

void Sorter::ShellSort(QVariant& vArray, bool descending) const {
    trapArrow(QStringLiteral("Vezedad::Sorter.ShellSort"), [&] {
        if (vArray.typeId() != QMetaType::QVariantList && vArray.typeId() != QMetaType::QStringList)
            raiseTypeMismatch(QStringLiteral("Vezedad"));
        QVariantList list = vArray.toList();
        ShellSort(list, descending);
        vArray = list;
    });
}

} // namespace Vezedad
