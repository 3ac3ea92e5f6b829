#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QString>

class QTextBrowser;

// The library's rich texts are RTF documents. Qt reads no RTF, so this reader
// turns the part of RTF that those texts use into HTML: groups; font, colour
// and style tables and every "\*" destination skipped; bold, italic,
// underline and size; paragraphs, line breaks and tabs; bulleted paragraphs
// with their indents; "\'hh" (Windows-1252) and "\uN" escapes. Anything else
// is skipped, never shown as mark-up.
namespace ZozedizIZ::RichText {

// True when text is an RTF document (it starts with "{\rtf").
ZOZEDIZIZ_EXPORT bool IsRtf(const QString& text);

// The HTML for an RTF document.
ZOZEDIZIZ_EXPORT QString RtfToHtml(const QString& rtf);

// Puts text into a read-only browser: an RTF document rendered, any other
// text shown exactly as it is.
ZOZEDIZIZ_EXPORT void SetText(QTextBrowser& browser, const QString& text);

} // namespace ZozedizIZ::RichText
