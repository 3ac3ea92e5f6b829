#include "ZozedizIZ/shell/ExceptionReport.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace ZozedizIZ::ExceptionReport {

namespace {

const QString kSource = QStringLiteral("ZozedizIZ::ExceptionReport.Write");

// The records' texts go to the file in pieces of about this size.
constexpr qsizetype kPiece = 1 << 18;

// The report file, written as it grows and put in place by commit.
using Writer = Vezedad::FileWriter;

// Text that names the validated file, its folder or its name, in Windows-
// 1252 with "?" for each character the code page lacks: a name the system
// takes as it stands cannot be refused here, and the report must still be
// written. Everything else of a report comes from the file's own bytes.
QByteArray namingText(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QByteArray one;
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (Vezedad::Cp1252::encode(text.mid(i, 1), one))
            out += one;
        else
            out += '?';
        i += pair;
    }
    return out;
}

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};

// The file a path leads to, links followed; none when there is none.
std::optional<FileId> fileAt(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

// What stands at the report's name itself, a link not followed.
enum class Target { Nothing, File, Link, Other };
Target targetAt(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return Target::Nothing;
    if (S_ISLNK(st.st_mode)) return Target::Link;
    return S_ISREG(st.st_mode) ? Target::File : Target::Other;
}

// A record that holds the user's Stop as the per-record part shows it:
// without it, since the terminal section names it; a record left with
// nothing is not shown.
Vezedad::RecordValidationResultPtr shown(const Vezedad::RecordValidationResultPtr& record) {
    auto rest = std::make_shared<Vezedad::RecordValidationResult>(*record);
    rest->Remove(Vezedad::zrfCancel);
    return rest->Count() ? rest : nullptr;
}

} // namespace

QString DateLine(const QDateTime& when, const QLocale& locale) {
    const QString shortForm = locale.toString(when, QLocale::ShortFormat);
    if (Vezedad::Cp1252::canEncode(shortForm)) return QStringLiteral("Date: ") + shortForm;
    return QStringLiteral("Date: ") + when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

void Delete(const QString& reportPath, const QString& validatedPath) {
    // Only an older report goes: a regular file of that name, never a link
    // (or what it leads to) and never the validated file itself.
    if (targetAt(reportPath) != Target::File || fileAt(reportPath) == fileAt(validatedPath)) return;
    Vezedad::Globals::FSO().DeleteFile(reportPath);
}

void Write(const QString& reportPath, const QString& validatedPath, const Vezedad::FileValidationResult& result) {
    // A report replaces only a file of its own: never what a link at its
    // name leads to, which may be the validated file, nor the validated file
    // reached under another name.
    switch (targetAt(reportPath)) {
    case Target::Link:
        Vezedad::raiseRuntimeError(Vezedad::rtPathFileAccessError, kSource,
                                   reportPath + QStringLiteral(" is a link, not a report of its own; nothing was "
                                                               "written"));
    case Target::File:
        if (fileAt(reportPath) == fileAt(validatedPath))
            Vezedad::raiseRuntimeError(Vezedad::rtPathFileAccessError, kSource,
                                       reportPath + QStringLiteral(" is the validated file itself; nothing was "
                                                                   "written"));
        break;
    default: break; // the writer refuses a folder or anything else
    }
    Writer report(reportPath);
    const auto line = [&report](QStringView text) {
        report.writeBytes(namingText(text));
        report.writeBytes("\r\n");
    };
    line(QStringLiteral("File Validation Report for ") + validatedPath);
    line(DateLine(QDateTime::currentDateTime(), QLocale::system()));
    line({});
    if (result.Severity() == Vezedad::kvesTerminal) {
        report.writeBytes("File validation terminated");
        if (const Vezedad::ValidationResultPtr terminal = result.Terminal()) {
            bool numeric = false;
            const qint32 record = terminal->Value().toInt(&numeric);
            if (terminal->Code() == Vezedad::valcTerminalError && numeric) {
                line(QStringLiteral(" at record ") + terminal->Value());
                if (result.Exists(record))
                    if (const Vezedad::ValidationResultPtr own = result.Item(record)->Terminal()) line(own->ToString());
            } else {
                line({});
                line(terminal->ToString());
            }
        }
        line({});
    }
    line(QString::number(result.RecordCount()) + QStringLiteral(" records have been checked."));
    line(QString::number(result.ErrorCount()) + QStringLiteral(" records have validation errors."));
    line({});
    // A file of a million records with findings spends most of its report
    // on the records' texts: a record kept compactly is turned into text
    // straight from its line, without making it whole, and the texts go to
    // the file in large pieces, a line of megabytes straight from where it
    // is read.
    const Vezedad::RecordListing records(result);
    QByteArray texts;
    texts.reserve(2 * kPiece);
    const std::function<void(QByteArrayView)> write = [&report](QByteArrayView bytes) { report.writeBytes(bytes); };
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records.Key(i) == Vezedad::Validator::WholeFileKey()) {
            // The whole-file record names the file.
            const Vezedad::RecordValidationResultPtr record = shown(records.Item(i));
            if (!record) continue;
            texts += namingText(record->ToString());
        } else {
            records.AppendText(i, texts, write);
        }
        texts += "\r\n";
        if (texts.size() >= kPiece) {
            report.writeBytes(texts);
            texts.resize(0); // keeps its room
        }
    }
    report.writeBytes(texts);
    report.commit();
}

} // namespace ZozedizIZ::ExceptionReport
