#include "applicators/Applicator.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/Validator.h"

#include <QStringList>

namespace Dazozuvi {

namespace {

// Stores the validator's form of the value when it passes; keeps the old
// value otherwise.
void setChecked(QString& field, qint32 fieldId, const QString& value) {
    const Vezedad::ValidationResultPtr result = Vezedad::Globals::Validator().ValidateField(fieldId, value, 0);
    if (result->IsValid()) field = result->Value();
}

} // namespace

void Applicator::setBusinessRegNumber(const QString& strValue) {
    setChecked(m_businessRegNumber, Vezedad::zrfBusinessRegNum, strValue);
}

void Applicator::setCertificationID(const QString& strValue) {
    setChecked(m_certificationId, Vezedad::zrfCertificationId, strValue);
}

void Applicator::setFirstName(const QString& strValue) { setChecked(m_firstName, Vezedad::zrfFirstName, strValue); }

void Applicator::setLastName(const QString& strValue) { setChecked(m_lastName, Vezedad::zrfLastName, strValue); }

QString Applicator::FullName() const {
    const QString first = m_firstName.trimmed();
    const QString last = m_lastName.trimmed();
    if (first.isEmpty()) return last;
    if (last.isEmpty()) return first;
    return first + QLatin1Char(' ') + last;
}

void Applicator::LoadFromIdentity() {
    const Vezedad::IdentityPtr identity = Vezedad::Globals::ZelReport().Identity();
    m_certificationId = identity->CertificationId();
    const QStringList names = Vezedad::Utilities::NameArray(identity->ApplicatorName());
    m_lastName = names.first().trimmed();
    m_firstName = names.last().trimmed();
    m_businessRegNumber = identity->BusRegNumber();
    m_appsDone = true;
}

namespace {

// The fields as Utilities::ParseString cuts them: a line that ends in the
// separator has no empty field after it. next(from) finds the separator.
template <class View, class Next>
ApplicatorFields cut(View line, qsizetype separatorSize, bool closed, bool fiveColumns, Next&& next) {
    ApplicatorFields fields;
    const qsizetype expected = fiveColumns ? 5 : 4;
    qsizetype from = 0;
    for (qsizetype i = 0; i < expected; ++i) {
        const qsizetype at = next(from);
        // Past the last separator only a line that does not end in one has a
        // field.
        if (at < 0 && closed) break;
        const View field = line.mid(from, (at < 0 ? line.size() : at) - from);
        if (fiveColumns && i == 0) {
            fields.appsDone = field.size() == 1 && field.front() == u'0';
            fields.hasIndicator = true;
            fields.indicator = field;
        } else {
            fields.texts[size_t(fields.given++)] = field;
        }
        if (at < 0) return fields;
        from = at + separatorSize;
    }
    // Whatever follows the layout's last field: more fields, dropped unless
    // they hold nothing but blanks.
    for (qsizetype i = from; i < line.size();) {
        if (line[i] == u' ') {
            ++i;
        } else if (next(i) == i) {
            i += separatorSize;
        } else {
            fields.beyond = true;
            break;
        }
    }
    return fields;
}

} // namespace

ApplicatorFields Applicator::CutLine(QStringView line, QStringView separator, bool fiveColumns) {
    // An empty separator is "|".
    if (separator.isEmpty()) separator = u"|";
    // Fields are short: a one-character separator is looked for in place.
    const char16_t bar = separator.size() == 1 ? separator.front().unicode() : 0;
    const char16_t* const text = reinterpret_cast<const char16_t*>(line.utf16());
    ApplicatorFields fields =
        cut(line, separator.size(), line.endsWith(separator), fiveColumns, [&](qsizetype from) -> qsizetype {
            if (!bar) return line.indexOf(separator, from);
            for (qsizetype i = from; i < line.size(); ++i)
                if (text[i] == bar) return i;
            return -1;
        });
    fields.indicatorFirst = !fiveColumns && StartsWithIndicator(line, separator);
    return fields;
}

ApplicatorFields Applicator::CutLine(QLatin1StringView line, char separator, bool fiveColumns) {
    const char* const text = line.data();
    const bool closed = !line.isEmpty() && text[line.size() - 1] == separator;
    ApplicatorFields fields = cut(line, 1, closed, fiveColumns, [&](qsizetype from) -> qsizetype {
        for (qsizetype i = from; i < line.size(); ++i)
            if (text[i] == separator) return i;
        return -1;
    });
    fields.indicatorFirst = !fiveColumns && StartsWithIndicator(line, separator);
    return fields;
}

QStringView Applicator::RecordOf(QStringView line) {
    // U+FEFF, or the three characters Windows-1252 makes of its UTF-8 bytes.
    static constexpr char16_t kMarkAsRead[] = {0x00EF, 0x00BB, 0x00BF};
    const QStringView markAsRead(kMarkAsRead, 3);
    for (;;) {
        if (line.startsWith(u' ') || line.startsWith(QChar(0xFEFF)))
            line = line.sliced(1);
        else if (line.startsWith(markAsRead))
            line = line.sliced(3);
        else
            return line;
    }
}

QLatin1StringView Applicator::RecordOf(QLatin1StringView line) {
    while (line.startsWith(u' ')) line = line.sliced(1);
    return line;
}

bool Applicator::StartsWithIndicator(QStringView record, QStringView separator) {
    return !record.isEmpty() && record.front() >= u'0' && record.front() <= u'9' &&
           record.sliced(1).startsWith(separator);
}

bool Applicator::StartsWithIndicator(QLatin1StringView record, char separator) {
    const char* const text = record.data();
    return record.size() >= 2 && text[0] >= '0' && text[0] <= '9' && text[1] == separator;
}

void Applicator::LoadFields(const ApplicatorFields& fields) {
    m_appsDone = fields.appsDone;
    QString* const properties[] = {&m_certificationId, &m_businessRegNumber, &m_firstName, &m_lastName};
    for (int i = 0; i < fields.given; ++i) *properties[i] = fields.texts[size_t(i)].toString();
}

void Applicator::LoadLine(const QString& strLine, const QString& strSep, bool blnFiveColumns) {
    Vezedad::trapArrow(QStringLiteral("Dazozuvi::Applicator.LoadLine"),
                       [&] { LoadFields(CutLine(strLine, strSep, blnFiveColumns)); });
}

} // namespace Dazozuvi
