#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QDateTime>
#include <QLocale>
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
// It replaces only a regular file of its own: a link at reportPath, anything
// else that is no regular file, or the validated file reached under that
// name is an error naming reportPath, and nothing is written. A character of
// the path that the code page lacks is shown as "?", so the report is always
// written. Errors carry the source of what failed; the caller adds its
// location.
ZOZEDIZIZ_EXPORT void Write(const QString& reportPath, const QString& validatedPath,
                            const Vezedad::FileValidationResult& result);

// Deletes an older report at reportPath, when it is a regular file of its
// own; a link, anything else or the validated file itself stays as it is.
ZOZEDIZIZ_EXPORT void Delete(const QString& reportPath, const QString& validatedPath);

// The report's date line: "Date: " and the date and time in the locale's
// short form, or as yyyy-MM-dd HH:mm when that form holds a character
// Windows-1252 lacks (Greek, Korean or Arabic locales, for instance).
ZOZEDIZIZ_EXPORT QString DateLine(const QDateTime& when, const QLocale& locale);

} // namespace ZozedizIZ::ExceptionReport
