#pragma once
// A report line as the validator sees it. Reading the lines, decoding them
// and the line-end rule belong to the report-file layer (reportfile/).
#include <QByteArray>
#include <QByteArrayView>

namespace Vezedad::ReportLines {

// A line as the validator sees it: double quotes dropped, then the blanks at
// both ends. Uses scratch only when the line holds a quote.
QByteArrayView cleanLine(QByteArrayView raw, QByteArray& scratch);

} // namespace Vezedad::ReportLines
