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

void Applicator::LoadLine(const QString& strLine, const QString& strSep, bool blnFiveColumns) {
    Vezedad::trapArrow(QStringLiteral("Dazozuvi::Applicator.LoadLine"), [&] {
        // The fields as Utilities::ParseString cuts them (an empty separator
        // is "|"; a line that ends in one has no empty field after it), read
        // in place: a list of a million lines makes no list of its fields.
        const QString separator = strSep.isEmpty() ? QStringLiteral("|") : strSep;
        const QStringView line(strLine);
        const bool closed = line.endsWith(separator);
        if (!blnFiveColumns) m_appsDone = true;
        const qsizetype expected = blnFiveColumns ? 5 : 4;
        qsizetype from = 0;
        for (qsizetype i = 0; i < expected; ++i) {
            const qsizetype at = line.indexOf(separator, from);
            // Past the last separator only a line that does not end in one
            // has a field.
            if (at < 0 && closed) break;
            const QStringView field = line.mid(from, (at < 0 ? line.size() : at) - from);
            switch (blnFiveColumns ? i : i + 1) {
            case 0: m_appsDone = field == QLatin1String("0"); break;
            case 1: m_certificationId = field.toString(); break;
            case 2: m_businessRegNumber = field.toString(); break;
            case 3: m_firstName = field.toString(); break;
            case 4: m_lastName = field.toString(); break;
            default: break;
            }
            if (at < 0) break;
            from = at + separator.size();
        }
    });
}

} // namespace Dazozuvi
