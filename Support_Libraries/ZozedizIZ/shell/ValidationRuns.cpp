#include "ZozedizIZ/shell/ValidationRuns.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/shell/ExceptionReport.h"
#include "ZozedizIZ/shell/ProgressForm.h"

#include <QFileInfo>

namespace ZozedizIZ {

namespace {

// Files of 10,000 bytes or more are validated under the progress window.
constexpr qint64 kProgressThreshold = 10000;
// The validator's run stops after this many records with errors.
constexpr qint32 kMaxErrors = 1000;

// The form type a report file's name gives, by its first letter; 0 for a
// file that is no report file (only "txt" files count).
qint32 formTypeOfName(const QString& name) {
    if (name.isEmpty() || QFileInfo(name).suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) != 0) return 0;
    switch (name.front().toUpper().unicode()) {
    case u'P': return Vezedad::zfotForm26;
    case u'A': return Vezedad::zfotForm26A;
    case u'M': return Vezedad::zfotForm25;
    case u'S': return Vezedad::zfotForm27;
    default: return 0;
    }
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
    QFileInfoList files;
    Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    if (fso.FolderExists(m_path))
        for (const QFileInfo& file : fso.Files(m_path))
            if (formTypeOfName(file.fileName()) != 0) files.append(file);
    const std::shared_ptr<void> subscription = subscribeToValidator();
    // A folder may hold more files than 16 bits count.
    qint32 validated = 0, passed = 0, warnings = 0, failed = 0;
    const qsizetype n = files.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QFileInfo& file = files.at(i);
        mProgress->setDescription(QStringLiteral("Validating file %1 of %2: ").arg(i + 1).arg(n) + file.fileName());
        mProgress->setMaximumValue(float(file.size()));
        m_bytes = 0;
        m_errors = 0;
        const Vezedad::FileValidationResultPtr result = Vezedad::Globals::Validator().ValidateFile(
            file.absoluteFilePath(), formTypeOfName(file.fileName()), kMaxErrors);
        showHeldFigures();
        ++validated;
        switch (result->Severity()) {
        case Vezedad::kvesOK: ++passed; break;
        case Vezedad::kvesWarning: ++warnings; break;
        default: ++failed; break;
        }
        WriteExceptionReport(file.absoluteFilePath(), *result);
        // A folder of small files moves the bar, repaints and hears Stop
        // between files too.
        mProgress->Update(
            QStringLiteral("Validated %1 lines; found %2 errors so far.").arg(result->RecordCount()).arg(m_errors),
            float(file.size()));
        if (mProgress->StopRequested()) break;
    }
    Vezedad::Ui::MsgBox(QString::number(validated) + QStringLiteral(" files in folder ") + m_path +
                            QStringLiteral(" have been validated.\r\n") + QString::number(passed) +
                            QStringLiteral(" passed validation.\r\n") + QString::number(warnings) +
                            QStringLiteral(" have warnings but are otherwise valid.\r\n") + QString::number(failed) +
                            QStringLiteral(" failed validation.\r\nException reports (if any) are in the folder with "
                                           "the files."),
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
