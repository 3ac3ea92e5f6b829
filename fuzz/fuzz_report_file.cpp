// Arbitrary bytes as a whole report file of each form. A file run decides
// most lines on their bytes: line by line it must find what a record run
// finds in the decoded line, down to values and messages.
#include "fuzz_common.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/validation/Validator.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Vezedad;

namespace {

// The records as a file run numbers them: double quotes dropped, blanks at
// both ends removed, empty lines skipped.
QStringList recordsOf(QByteArrayView bytes) {
    QStringList records;
    QByteArray all = bytes.toByteArray();
    all.replace("\r\n", "\n").replace('\r', '\n');
    for (QByteArray line : all.split('\n')) {
        line.replace('"', "");
        qsizetype b = 0, e = line.size();
        while (b < e && line[b] == ' ') ++b;
        while (e > b && line[e - 1] == ' ') --e;
        if (e > b) records << Cp1252::decode(QByteArrayView(line).sliced(b, e - b));
    }
    return records;
}

QString described(const RecordValidationResultPtr& record) {
    if (!record || record->IsValid()) return QString();
    QString text = QString::number(record->RecordNumber()) + u'[' + record->RecordContents() + u']';
    for (const ValidationResultPtr& f : record->Items())
        text += QStringLiteral(" %1:%2:%3:%4:[%5]:%6")
                    .arg(f->RecordNumber())
                    .arg(int(f->Field()))
                    .arg(int(f->Code()))
                    .arg(int(f->Severity()))
                    .arg(f->Value(), f->Message());
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("P1.txt"));
    const QByteArrayView bytes(data, qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(bytes.data(), bytes.size());
    }
    Validator& v = Globals::Validator();
    const QStringList records = recordsOf(bytes);
    for (qint32 form : {1, 2, 4, 8}) {
        // A limit stops a run early; without one every record is checked.
        if (form == 1) {
            const FileValidationResultPtr limited = v.ValidateFile(path, form, 3);
            for (const RecordValidationResultPtr& record : limited->Items()) (void)record->ToString();
        }
        const FileValidationResultPtr file = v.ValidateFile(path, form, 0);
        const QString delimiter = v.GetColumnStructure(records.value(0)).Delimiter;
        // Without a separator the run stops at the first record, unchecked.
        if (file->RecordCount() != (delimiter.isEmpty() ? qMin<qsizetype>(records.size(), 1) : records.size()))
            std::abort();
        if (delimiter.isEmpty()) continue;
        for (qsizetype n = 1; n <= records.size(); ++n) {
            const QString fromFile = described(file->Item(qint32(n)));
            const QString fromRecord = described(v.ValidateRecord(records[n - 1], delimiter, qint32(n), form));
            if (fromFile != fromRecord) {
                std::fprintf(stderr, "form %d record %lld\nfile:   %s\nrecord: %s\n", form, (long long)n,
                             qPrintable(fromFile), qPrintable(fromRecord));
                std::abort();
            }
        }
    }
    return 0;
}
