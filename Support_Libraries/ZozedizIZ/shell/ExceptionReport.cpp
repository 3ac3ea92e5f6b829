#include "ZozedizIZ/shell/ExceptionReport.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <memory>

namespace ZozedizIZ::ExceptionReport {

namespace {

// The records' texts go to the file in pieces of about this size.
constexpr qsizetype kPiece = 1 << 18;

// Appends text in Windows-1252, raising the foundation's error naming a
// character the code page cannot hold.
void appendEncoded(QByteArray& out, const QString& text, const QString& source) {
    Vezedad::Cp1252::appendOrRaise(text, out, source);
}

// The report file, written as it grows and put in place by commit.
using Writer = Vezedad::FileWriter;

// A record that holds the user's Stop as the per-record part shows it:
// without it, since the terminal section names it; a record left with
// nothing is not shown.
Vezedad::RecordValidationResultPtr shown(const Vezedad::RecordValidationResultPtr& record) {
    auto rest = std::make_shared<Vezedad::RecordValidationResult>(*record);
    rest->Remove(Vezedad::zrfCancel);
    return rest->Count() ? rest : nullptr;
}

} // namespace

void Write(const QString& reportPath, const QString& validatedPath, const Vezedad::FileValidationResult& result) {
    const QString source = QStringLiteral("ZozedizIZ::ExceptionReport.Write");
    Writer report(reportPath);
    report.writeLine(QStringLiteral("File Validation Report for ") + validatedPath);
    report.writeLine(QStringLiteral("Date: ") +
                     QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    report.writeLine();
    if (result.Severity() == Vezedad::kvesTerminal) {
        report.write(QStringLiteral("File validation terminated"));
        if (const Vezedad::ValidationResultPtr terminal = result.Terminal()) {
            bool numeric = false;
            const qint32 record = terminal->Value().toInt(&numeric);
            if (terminal->Code() == Vezedad::valcTerminalError && numeric) {
                report.writeLine(QStringLiteral(" at record ") + terminal->Value());
                if (result.Exists(record))
                    if (const Vezedad::ValidationResultPtr own = result.Item(record)->Terminal())
                        report.writeLine(own->ToString());
            } else {
                report.writeLine();
                report.writeLine(terminal->ToString());
            }
        }
        report.writeLine();
    }
    report.writeLine(QString::number(result.RecordCount()) + QStringLiteral(" records have been checked."));
    report.writeLine(QString::number(result.ErrorCount()) + QStringLiteral(" records have validation errors."));
    report.writeLine();
    // A file of a million records with findings spends most of its report
    // on the records' texts: a record kept compactly is turned into text
    // straight from its line, without making it whole, and the texts go to
    // the file in large pieces.
    const Vezedad::RecordListing records(result);
    QByteArray texts;
    texts.reserve(2 * kPiece);
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (records.IsWhole(i) && records.Item(i)->Exists(Vezedad::zrfCancel)) {
            const Vezedad::RecordValidationResultPtr record = shown(records.Item(i));
            if (!record) continue;
            appendEncoded(texts, record->ToString(), source);
        } else {
            records.AppendText(i, texts);
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
