#pragma once
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QString>

// The report year and its folder as the upload windows need them, read from
// the shared settings the same way the report model reads them.
namespace VezirodEdovud::ReportModel {

// The stored report year, or the default year (this year from May on, the
// previous one before) when none or one outside 2000 to this year is stored.
VEZIRODEDOVUD_EXPORT qint16 ReportYear();
// The report root joined with "ZOV" and the four-digit year.
VEZIRODEDOVUD_EXPORT QString ReportPath();

} // namespace VezirodEdovud::ReportModel
