#include "Vezedad/foundation/IdentityLinks.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Globals.h"

// Stand-ins until the validator and the report model are part of the library.
namespace Vezedad::IdentityLinks {

Check ValidateField(qint32, const QString&) { return Check{}; }

QString FieldName(qint32 fieldId) { return QStringLiteral("Unknown (") + QString::number(fieldId) + QStringLiteral(")"); }

void RaiseReportPropertyChanged(const QString&, const QString&) {}

QString ReportPath() {
    Configuration& settings = Globals::Configuration();
    return settings.ReportRoot() + QStringLiteral("/ZOV") + QString::number(settings.ReportYear());
}

} // namespace Vezedad::IdentityLinks
