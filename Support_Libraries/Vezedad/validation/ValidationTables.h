#pragma once
// The fixed vocabulary of report validation: field names, the message table,
// the forms' record layouts and their help text. It sits below the result
// classes and the validator, which both read it; it reads neither.
#include "Vezedad/validation/ValidationTypes.h"

#include <QString>

namespace Vezedad::ValidationTables {

// The display name of a field id, or "Unknown (id)".
QString fieldName(qint32 fieldId);

// The message-table text for a field and code with "{Value}" replaced by
// value; empty for code 0; the "Unknown validation error" text for a pair
// without an entry.
QString message(qint32 fieldId, qint32 code, const QString& value);

// The column-count finding's own text.
QString columnCountMessage(qint32 recordNumber, qint32 count, qint32 formType);

// The fields whose values count as reportable data in the no-data rule.
bool isDataField(qint32 fieldId);

// A form's record layout; the empty layout for a form type without one.
const RecordLayout& layout(qint32 formType);

// The help text of a form's columns, with its example record.
QString expectedColumns(qint32 formType);

} // namespace Vezedad::ValidationTables
