#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QString>

namespace Vezedad {
class FileValidationResult;
}

namespace ZozedizIZ::ExceptionReport {

// Writes the exception report of a file run on validatedPath to reportPath:
// the heading, the terminal section when the run was cut short, the counts,
// then every record with findings, the whole-file record first. The file is
// Windows-1252 with CR LF line ends, written a piece at a time and put in
// place only when complete, so a failure leaves an older report as it was.
// Errors carry the source of what failed; the caller adds its location.
ZOZEDIZIZ_EXPORT void Write(const QString& reportPath, const QString& validatedPath,
                            const Vezedad::FileValidationResult& result);

} // namespace ZozedizIZ::ExceptionReport
