#pragma once
// What a file run must agree with, worked out without it: the file's records
// as a file run numbers them, to be checked one by one as records, and a
// record result told in full. Shared by the tests and the fuzz target.
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/validation/ValidationResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace FileRunOracle {

// The byte-order marks before line 1 are no data; lines end in CR LF, CR or
// LF; double quotes are dropped, then the blanks at both ends; empty lines
// are no records.
inline QStringList recordsOf(QByteArrayView bytes) {
    QByteArray all = bytes.sliced(Vezedad::ReportFile::byteOrderMark(bytes)).toByteArray();
    all.replace("\r\n", "\n").replace('\r', '\n');
    QStringList records;
    for (QByteArray line : all.split('\n')) {
        line.replace('"', "");
        qsizetype b = 0, e = line.size();
        while (b < e && line[b] == ' ') ++b;
        while (e > b && line[e - 1] == ' ') --e;
        if (e > b) records << Vezedad::Cp1252::decode(QByteArrayView(line).sliced(b, e - b));
    }
    return records;
}

// Everything a record result tells, finding by finding; empty for no record
// or a valid one.
inline QString described(const Vezedad::RecordValidationResultPtr& record) {
    if (!record || record->IsValid()) return QString();
    QString text = QString::number(record->RecordNumber()) + u'[' + record->RecordContents() + u']' +
                   QString::number(int(record->Severity())) + u'\n';
    for (const Vezedad::ValidationResultPtr& f : record->Items())
        text += QStringLiteral("  %1 %2 %3 %4 ")
                    .arg(f->RecordNumber())
                    .arg(int(f->Field()))
                    .arg(int(f->Code()))
                    .arg(int(f->Severity())) +
                u'[' + f->Value() + u']' + f->Message() + u'\n';
    return text;
}

} // namespace FileRunOracle
