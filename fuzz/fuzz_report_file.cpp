// Arbitrary bytes as a whole report file of each form. A file run decides
// most lines on their bytes: line by line it must find what a record run
// finds in the decoded line, down to values and messages. Read as text, the
// lines are what Qt's own decoder makes of well-made UTF-8, or Windows-1252.
#include "FileRunOracle.h"
#include "fuzz_common.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Vezedad;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzSetUp();
    return 0;
}

namespace {

void checkText(const QString& path, QByteArrayView bytes) {
    const bool utf16 = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    std::unique_ptr<ReportFile::LineReader> reader;
    try {
        reader = std::make_unique<ReportFile::LineReader>(path, ReportFile::LineReader::Reading::Text);
    } catch (const ErrorInfo&) {
        if (!utf16) std::abort();
        return;
    }
    if (utf16) std::abort();
    const QByteArrayView body = bytes.sliced(ReportFile::byteOrderMark(bytes));
    const ReportFile::Encoding encoding = ReportFile::encodingOf(body);
    QStringDecoder whole(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = whole.decode(body);
    if (whole.hasError() != (encoding == ReportFile::Encoding::Windows1252)) {
        std::fprintf(stderr, "the file's encoding is not what Qt's decoder finds\n");
        std::abort();
    }
    ReportFile::LineReader::Line line;
    QString text;
    while (reader->next(line)) {
        reader->decode(line, text);
        QStringDecoder one(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        const QString expected =
            encoding == ReportFile::Encoding::Utf8 ? QString(one.decode(line.bytes)) : Cp1252::decode(line.bytes);
        if (text != expected) {
            std::fprintf(stderr, "line %lld read as text differs\n", (long long)line.number);
            std::abort();
        }
    }
    if (reader->encoding() != encoding) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("P1.txt"));
    const QByteArrayView bytes(data, qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(bytes.data(), bytes.size());
    }
    checkText(path, bytes);
    Validator& v = Globals::Validator();
    const QStringList records = FileRunOracle::recordsOf(bytes);
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
        // A listing gives each record's text as the record's ToString does,
        // whether the record is held whole or read back from the file.
        const RecordListing listing(*file);
        for (qsizetype i = 0; i < listing.size(); ++i) {
            QByteArray text, expected;
            listing.AppendText(i, text);
            if (!Cp1252::encode(listing.Item(i)->ToString(), expected) || text != expected) {
                std::fprintf(stderr, "form %d record %d: the listing's text differs\n", form, listing.Key(i));
                std::abort();
            }
        }
        if (delimiter.isEmpty()) continue;
        for (qsizetype n = 1; n <= records.size(); ++n) {
            const QString fromFile = FileRunOracle::described(file->Item(qint32(n)));
            const QString fromRecord =
                FileRunOracle::described(v.ValidateRecord(records[n - 1], delimiter, qint32(n), form));
            if (fromFile != fromRecord) {
                std::fprintf(stderr, "form %d record %lld\nfile:   %s\nrecord: %s\n", form, (long long)n,
                             qPrintable(fromFile), qPrintable(fromRecord));
                std::abort();
            }
        }
    }
    return 0;
}
