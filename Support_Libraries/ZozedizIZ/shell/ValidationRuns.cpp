#include "ZozedizIZ/shell/ValidationRuns.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/shell/ExceptionReport.h"
#include "ZozedizIZ/shell/ProgressForm.h"

#include <QDir>
#include <QFileInfo>

namespace ZozedizIZ {

namespace {

// Files of 10,000 bytes or more are validated under the progress window.
constexpr qint64 kProgressThreshold = 10000;
// The validator's run stops after this many records with errors.
constexpr qint32 kMaxErrors = 1000;

// The form type a report file's name gives, by its first letter; 0 for a
// file that is no report file (only text files count).
qint32 formTypeOfName(const QString& name) {
    if (!Vezedad::ZelReport::IsReportFileName(name, Vezedad::zfotAll, Vezedad::zfitText)) return 0;
    switch (name.front().toUpper().unicode()) {
    case u'P': return Vezedad::zfotForm26;
    case u'A': return Vezedad::zfotForm26A;
    case u'M': return Vezedad::zfotForm25;
    case u'S': return Vezedad::zfotForm27;
    default: return 0;
    }
}

// Why a report file of a folder cannot be read; empty when it can.
QString whyUnreadable(const Vezedad::FolderEntry& entry) {
    // Qt takes paths as text: a name that is not UTF-8 is no path to it.
    if (!entry.decodes) return QStringLiteral("its name is not UTF-8 text, so it cannot be opened; rename it");
    switch (entry.kind) {
    case Vezedad::FolderEntry::File: return {};
    case Vezedad::FolderEntry::Missing: return QStringLiteral("a link to a file that is not there");
    case Vezedad::FolderEntry::Unreachable:
        return QStringLiteral("it cannot be reached (") + entry.error + QStringLiteral(")");
    default: return QStringLiteral("not a regular file (a pipe, socket or device)");
    }
}

// The summary's part for files that could not be read: each named with its
// reason, so many at most that the box still fits the screen.
QString unreadList(const QStringList& unread) {
    constexpr qsizetype kMaxNamed = 10;
    if (unread.isEmpty()) return {};
    QString text =
        unread.size() == 1
            ? QStringLiteral("\r\n\r\n1 file could not be read and is counted as failed:")
            : QStringLiteral("\r\n\r\n%1 files could not be read and are counted as failed:").arg(unread.size());
    for (qsizetype i = 0; i < qMin(unread.size(), kMaxNamed); ++i) text += QStringLiteral("\r\n") + unread.at(i);
    if (unread.size() > kMaxNamed) text += QStringLiteral("\r\n... and %1 more.").arg(unread.size() - kMaxNamed);
    return text;
}

} // namespace

ValidationRuns::ValidationRuns() = default;

ValidationRuns::~ValidationRuns() = default;

void ValidationRuns::ValidateFile(const QString& path, qint32 formType) {
    const qint64 size = Vezedad::Globals::FSO().GetFileSize(path);
    m_pendingRun = 1;
    m_path = path;
    m_formType = formType;
    if (size >= kProgressThreshold)
        underProgress(QStringLiteral("Validating file ") + path, float(size));
    else
        RunFileValidation();
}

void ValidationRuns::ValidateFolder(const QString& folder) {
    m_path = folder;
    m_pendingRun = 2;
    m_formType = 0;
    underProgress(QStringLiteral("Validating files in folder ") + folder, 100);
}

void ValidationRuns::underProgress(const QString& description, float maximum) {
    ProgressForm progress;
    QObject::connect(&progress, &ProgressForm::Execute, [this] { mProgress_Execute(); });
    mProgress = &progress;
    try {
        progress.StartTracking(description, maximum, true);
    } catch (...) {
        mProgress = nullptr;
        throw;
    }
    mProgress = nullptr;
}

void ValidationRuns::mProgress_Execute() {
    if (m_pendingRun == 1)
        RunFileValidation();
    else if (m_pendingRun == 2)
        RunFolderValidation();
    if (mProgress) mProgress->Finished();
}

std::shared_ptr<void> ValidationRuns::subscribeToValidator() {
    // The run hears of every record by a plain call, after whoever else
    // listens to the validator's event.
    Vezedad::Validator& validator = Vezedad::Globals::Validator();
    m_held = false;
    auto before = std::make_shared<Vezedad::Validator::RecordListener>(
        validator.setRecordListener([this](qint32 RecordNumber, qint32 RecordLength, qint32 ErrorCount, bool& Cancel) {
            mValidator_RecordValidated(RecordNumber, RecordLength, ErrorCount, Cancel);
        }));
    return std::shared_ptr<void>(nullptr, [&validator, before](void*) { validator.setRecordListener(*before); });
}

void ValidationRuns::RunFileValidation() {
    const std::shared_ptr<void> subscription = subscribeToValidator();
    const Vezedad::FileValidationResultPtr result =
        Vezedad::Globals::Validator().ValidateFile(m_path, m_formType, kMaxErrors);
    showHeldFigures();
    m_severity = result->Severity();
    m_reportPath = WriteExceptionReport(m_path, *result);
}

void ValidationRuns::RunFolderValidation() {
    // Every report file of the folder is either checked or named in the
    // summary: what cannot be read (a link to nothing, a pipe, a name that is
    // not UTF-8, a file that went or refused its reading on its turn) counts
    // as failed, with its reason, and the run goes on.
    struct Item {
        QString name;
        qint64 size = 0;
        QString unreadable; // why it cannot be read; empty for a file to check
    };
    QList<Item> items;
    qsizetype n = 0;
    Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    if (fso.FolderExists(m_path))
        for (const Vezedad::FolderEntry& entry : fso.Entries(m_path)) {
            if (entry.kind == Vezedad::FolderEntry::Folder || formTypeOfName(entry.name) == 0) continue;
            const QString why = whyUnreadable(entry);
            n += why.isEmpty();
            items.append({entry.name, entry.size, why});
        }
    const std::shared_ptr<void> subscription = subscribeToValidator();
    // A folder may hold more files than 16 bits count.
    qint32 validated = 0, passed = 0, warnings = 0, failed = 0;
    QStringList unread;
    qsizetype i = 0;
    for (const Item& item : std::as_const(items)) {
        ++validated;
        if (!item.unreadable.isEmpty()) {
            ++failed;
            unread.append(item.name + QStringLiteral(": ") + item.unreadable);
            continue;
        }
        const QString path = QDir(m_path).absoluteFilePath(item.name);
        mProgress->setDescription(QStringLiteral("Validating file %1 of %2: ").arg(++i).arg(n) + item.name);
        mProgress->setMaximumValue(float(item.size));
        m_bytes = 0;
        m_errors = 0;
        Vezedad::FileValidationResultPtr result;
        try {
            result = Vezedad::Globals::Validator().ValidateFile(path, formTypeOfName(item.name), kMaxErrors);
        } catch (const Vezedad::ErrorInfo& e) {
            ++failed;
            unread.append(item.name + QStringLiteral(": ") + e.Description());
        }
        showHeldFigures();
        if (result) {
            switch (result->Severity()) {
            case Vezedad::kvesOK: ++passed; break;
            case Vezedad::kvesWarning: ++warnings; break;
            default: ++failed; break;
            }
            WriteExceptionReport(path, *result);
        }
        // A folder of small files moves the bar, repaints and hears Stop
        // between files too.
        mProgress->Update(QStringLiteral("Validated %1 lines; found %2 errors so far.")
                              .arg(result ? result->RecordCount() : 0)
                              .arg(m_errors),
                          float(item.size));
        if (mProgress->StopRequested()) break;
    }
    Vezedad::Ui::MsgBox(QString::number(validated) + QStringLiteral(" files in folder ") + m_path +
                            QStringLiteral(" have been validated.\r\n") + QString::number(passed) +
                            QStringLiteral(" passed validation.\r\n") + QString::number(warnings) +
                            QStringLiteral(" have warnings but are otherwise valid.\r\n") + QString::number(failed) +
                            QStringLiteral(" failed validation.\r\nException reports (if any) are in the folder with "
                                           "the files.") +
                            unreadList(unread),
                        Vezedad::Ui::vbInformation | Vezedad::Ui::vbOKOnly, QStringLiteral("Folder Validation"));
}

void ValidationRuns::mValidator_RecordValidated(qint32 RecordNumber, qint32 RecordLength, qint32 ErrorCount,
                                                bool& Cancel) {
    if (!mProgress) return;
    if (RecordNumber == 1) {
        m_bytes = 0;
        m_errors = 0;
    }
    m_bytes += RecordLength;
    m_errors += ErrorCount;
    if (RecordNumber % 100 != 0) return;
    m_record = RecordNumber;
    m_recordBytes = m_bytes;
    m_recordErrors = m_errors;
    // The window would not paint figures made between its paints: they wait,
    // as do the user's clicks, for the next paint or the run's end.
    m_held = !mProgress->PaintDue();
    Cancel = m_held ? mProgress->StopRequested() : !showFigures();
}

bool ValidationRuns::showFigures() {
    m_held = false;
    return mProgress->Update(
        QStringLiteral("Validated %1 lines; found %2 errors so far.").arg(m_record).arg(m_recordErrors),
        float(m_recordBytes));
}

void ValidationRuns::showHeldFigures() {
    if (m_held && mProgress) showFigures();
}

QString ValidationRuns::WriteExceptionReport(const QString& strPath, const Vezedad::FileValidationResult& objResult) {
    // The name its errors carry is the report controller's, whose part of
    // the work this is.
    return Vezedad::trapArrow(QStringLiteral("ZozedizIZ::Controller.WriteExceptionReport"), [&] {
        Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
        const QString reportPath =
            fso.BuildPath(fso.GetParentFolderName(strPath),
                          QStringLiteral("exception_") + fso.GetBaseName(strPath) + QStringLiteral(".txt"));
        if (objResult.IsValid()) {
            ExceptionReport::Delete(reportPath, strPath);
            return QString();
        }
        ExceptionReport::Write(reportPath, strPath, objResult);
        return reportPath;
    });
}

} // namespace ZozedizIZ
