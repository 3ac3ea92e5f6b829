#pragma once
// What validate_report writes of a file result: the text of each of its
// records as the exception report holds it (the whole-file record first,
// then the records by number), in Windows-1252 with CR LF line ends, each
// record followed by an empty line. A record kept as its place in the file
// is read back and turned into text straight from its line, and the text
// goes to the file as it comes, so a record of a line of a hundred megabytes
// takes no room of its own. Shared with controller_run, which does
// validate_report's work inside its own process to time it the same way as
// the Control Center's run.
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdio>
#include <functional>

namespace Bench {

struct ListingCounts {
    int invalid = 0, serious = 0, warnings = 0;
    bool written = true;
};

inline ListingCounts writeListing(const Vezedad::FileValidationResult& result, std::FILE* file) {
    ListingCounts counts;
    const std::function<void(QByteArrayView)> write = [&](QByteArrayView bytes) {
        counts.written &= std::fwrite(bytes.data(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
    };
    constexpr qsizetype kPiece = 1 << 18;
    QByteArray text;
    text.reserve(2 * kPiece);
    const Vezedad::RecordListing records(result);
    for (qsizetype i = 0; i < records.size(); ++i) {
        records.AppendText(i, text, write);
        text += "\r\n";
        if (text.size() >= kPiece) {
            write(text);
            text.resize(0);
        }
    }
    write(text);
    // The records by their severity, the whole-file record left out.
    qint32 bySeverity[5];
    for (int s = 0; s < 5; ++s) bySeverity[s] = result.SeverityCount(s);
    if (result.Exists(Vezedad::Validator::WholeFileKey()))
        --bySeverity[result.Item(Vezedad::Validator::WholeFileKey())->Severity()];
    counts.warnings = bySeverity[Vezedad::kvesWarning];
    counts.serious =
        bySeverity[Vezedad::kvesSerious] + bySeverity[Vezedad::kvesCritical] + bySeverity[Vezedad::kvesTerminal];
    counts.invalid = counts.warnings + counts.serious;
    return counts;
}

} // namespace Bench
