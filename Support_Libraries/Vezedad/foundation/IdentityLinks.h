#pragma once
#include <QString>

// What the identity takes from the validator and the report model, in one
// place inside the library.
namespace Vezedad::IdentityLinks {

constexpr qint32 kEmpty = 2;        // the validator's "empty" finding
constexpr qint32 kInvalidValue = 4; // the validator's "invalid value" finding

struct Check {
    bool isValid = true;
    qint32 code = 0;
    qint32 severity = 0;
    QString message;
};

Check ValidateField(qint32 fieldId, const QString& value);
QString FieldName(qint32 fieldId);
void RaiseReportPropertyChanged(const QString& name, const QString& value);
QString ReportPath();

} // namespace Vezedad::IdentityLinks
