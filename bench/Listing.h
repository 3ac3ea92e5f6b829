#pragma once
// What validate_report writes of a file result: each finding in the result's
// order as
//   record, field id, code, severity, value, message   (TAB-separated)
// Shared with controller_run, which does validate_report's work inside its
// own process to time it the same way as the Control Center's run.
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"

#include <QString>

#include <charconv>
#include <cstdio>
#include <string>

namespace Bench {

// Appends text as UTF-8, with backslashes, tabs and line ends escaped so that
// each finding stays on one line. Most texts are plain ASCII: those are
// copied as they are.
inline void appendField(std::string& out, const QString& text) {
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const size_t n = size_t(text.size()), at = out.size();
    // Narrow and test in one pass without branches (the compiler vectorises
    // it); the rare text that is not plain is redone below.
    out.resize(at + n);
    char* dst = out.data() + at;
    bool plain = true;
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = p[i];
        plain &= c >= 0x20 && c < 0x7F && c != u'\\';
        dst[i] = char(c);
    }
    if (plain) return;
    out.resize(at);
    QString s = text;
    s.replace(u'\\', QStringLiteral("\\\\")).replace(u'\t', QStringLiteral("\\t"));
    s.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    out += s.toUtf8().toStdString();
}

inline void appendNumber(std::string& out, long long value) {
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, size_t(end - buf));
}

struct ListingCounts {
    int invalid = 0, serious = 0, warnings = 0;
};

// Writes every finding of the result to file, in the result's order: the
// whole-file record (-1) first, then the records by number, which is the
// order in which the run added them. Records are taken one at a time, as an
// exception report is written: a record kept as its place in the file is
// read back only while it is printed. What is still gathered stays in out.
inline ListingCounts writeListing(const Vezedad::FileValidationResult& result, std::string& out, std::FILE* file) {
    ListingCounts counts;
    for (const qint32 key : result.Keys()) {
        const Vezedad::RecordValidationResultPtr record = result.Item(key);
        if (record->RecordNumber() != Vezedad::Validator::WholeFileKey()) {
            ++counts.invalid;
            if (record->Severity() >= Vezedad::kvesSerious)
                ++counts.serious;
            else if (record->Severity() == Vezedad::kvesWarning)
                ++counts.warnings;
        }
        for (const Vezedad::ValidationResultPtr& f : record->Items()) {
            appendNumber(out, f->RecordNumber());
            out += '\t';
            appendNumber(out, int(f->Field()));
            out += '\t';
            appendNumber(out, int(f->Code()));
            out += '\t';
            appendNumber(out, int(f->Severity()));
            out += '\t';
            appendField(out, f->Value());
            out += '\t';
            appendField(out, f->Message());
            out += '\n';
            if (out.size() > (1 << 20)) {
                std::fwrite(out.data(), 1, out.size(), file);
                out.clear();
            }
        }
    }
    return counts;
}

} // namespace Bench
