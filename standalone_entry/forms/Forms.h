#pragma once
#include <QtGlobal>
#include <memory>

namespace Dazozuvi {

class ReportForm;

// The report form for a form type (1 Form 26, 2 Form 26A, 4 Form 27, 8 Form
// 25), a new instance for every call; null for a type that has no form.
std::unique_ptr<ReportForm> NewReportForm(qint32 formType);

} // namespace Dazozuvi
