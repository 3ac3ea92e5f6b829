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
        QStringList fields;
        QString separator = strSep;
        const qsizetype n = Vezedad::Utilities::ParseString(fields, strLine, separator);
        if (!blnFiveColumns) m_appsDone = true;
        const qsizetype expected = blnFiveColumns ? 5 : 4;
        const qsizetype k = qMin(n, expected);
        for (qsizetype i = 0; i < k; ++i) {
            const QString& field = fields.at(i);
            switch (blnFiveColumns ? i : i + 1) {
            case 0: m_appsDone = field == QLatin1String("0"); break;
            case 1: m_certificationId = field; break;
            case 2: m_businessRegNumber = field; break;
            case 3: m_firstName = field; break;
            case 4: m_lastName = field; break;
            default: break;
            }
        }
    });
}

} // namespace Dazozuvi
