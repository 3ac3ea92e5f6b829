#pragma once
// The rules of the report fields, in one table from field id to rule.
//
// Each rule is written once for any text whose ASCII characters are its ASCII
// code units: decoded text, or a report line's own bytes (the code page maps
// ASCII bytes, and only those, onto ASCII characters). The rules decide on
// ASCII characters only, so a file run deciding on a line's bytes and a check
// of the decoded value give the same verdict. Every rule takes time in
// proportion to the value's length, whatever the value holds.
#include "Vezedad/foundation/VezedadExport.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Vezedad::FieldRules {

// What a rule found, as the finding carries it: a pass has both zero.
struct Verdict {
    qint32 code = valcOK;
    qint32 severity = 0;
    bool ok() const { return code == valcOK; }
};

// The report year, read when a date rule first needs it and then kept, so a
// run reads it at most once. A failure to read it is kept as its error number,
// which the date rule gives as its code.
class YearSource {
public:
    // valcOK with the year, or the error's number.
    qint32 get(qint32& year) {
        if (!m_read) read();
        year = m_year;
        return m_error;
    }

private:
    void read();
    bool m_read = false;
    qint32 m_year = 0;
    qint32 m_error = 0;
};

// Whether the field id has a rule; a field without one always passes.
bool hasRule(qint32 fieldId);

// The verdict on a prepared value (blanks at both ends removed, no CR LF
// pair left) in the report code page.
Verdict check(qint32 fieldId, QByteArrayView value, YearSource& year);
// The same check of one field, chosen once for a run that checks a great
// many of its values.
using ByteRule = Verdict (*)(QByteArrayView value, YearSource& year);
VEZEDAD_EXPORT ByteRule byteRule(qint32 fieldId);

// The same on text; written, when given, receives the value as the rule
// writes it back (the prepared value itself where the rule changes nothing).
Verdict check(qint32 fieldId, QStringView value, YearSource& year, QString* written = nullptr);

// A value of a line's bytes as a rule writes it back, in the code page:
// the same form that the value's text is written back in.
struct WrittenBytes {
    QByteArray bytes;
    bool rewritten = false; // false: the value as it stands, not copied
};
Verdict check(qint32 fieldId, QByteArrayView value, YearSource& year, WrittenBytes* written);

// False when the rule, passing a prepared value, writes it back exactly as it
// is, so a caller that only wants the written form when it differs need not
// ask for it. True when it may write another form (a check with written then
// tells which).
bool mayRewrite(qint32 fieldId, QStringView value);
// The same for a value of bytes in the code page.
VEZEDAD_EXPORT bool mayRewrite(qint32 fieldId, QByteArrayView value);
// The same, chosen once for a run of a field's values; null for a field whose
// rule never writes a value in another form.
using ByteRewrite = bool (*)(QByteArrayView value);
VEZEDAD_EXPORT ByteRewrite byteRewrite(qint32 fieldId);

// Upper case as a single-byte upper-casing of the report code page gives it:
// a character changes only where its upper case is one character that the
// code page holds, so "µg" becomes "µG" and "ß" stays.
QString upperInCodePage(QStringView text);

} // namespace Vezedad::FieldRules
