// The Control Center's validation of one report file or of every report file
// of a folder, with the exception report written beside each file that is
// not valid.
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/ExceptionReport.h"
#include "ZozedizIZ/shell/FileOperations.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/ProgressForm.h"
#include "ZozedizIZ/shell/Utilities.h"
#include "ZozedizIZ/shell/frmController.h"
#include "ZozedizIZ/shell/frmValidationResponse.h"

#include <QFileInfo>
#include <optional>

namespace ZozedizIZ {

namespace {

const QString kLocation = QStringLiteral("ZozedizIZ::Controller.");

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

void Controller::ValidateFile(qint32 formType) {
    Vezedad::trapArrow(kLocation + QStringLiteral("ValidateFile"), [&] {
        if (!IdentityComplete(uaOpenForm, formType,
                              QStringLiteral("Some information is needed for the selected form type.\r\n"
                                             "Please enter it and try again.\r\n"),
                              Vezedad::Ui::vbExclamation))
            return;
        SaveIdentity("mobjForm_DoValidation", "ValidateFile");
        const QString path = Globals::FileOperations().PickFileOpen(formType, Vezedad::zfitText);
        if (path.isEmpty()) return;
        Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
        {
            std::optional<Vezedad::Ui::Hourglass> hourglass;
            if (mobjForm) hourglass.emplace(mobjForm.get());
            const qint64 size = fso.GetFileSize(path);
            m_pendingRun = 1;
            m_path = path;
            m_formType = formType;
            if (size >= kProgressThreshold) {
                ProgressForm progress;
                connect(&progress, &ProgressForm::Execute, this, [this] { mProgress_Execute(); });
                mProgress = &progress;
                try {
                    progress.StartTracking(QStringLiteral("Validating file ") + path, float(size), true);
                } catch (...) {
                    mProgress = nullptr;
                    throw;
                }
                mProgress = nullptr;
            } else {
                RunFileValidation();
            }
        }
        frmValidationResponse verdict(mobjForm.get());
        verdict.ShowDialog(fso.GetParentFolderName(path), fso.GetFileName(path),
                           m_reportPath.isEmpty() ? QString() : fso.GetFileName(m_reportPath), m_severity);
        if (verdict.Cancelled()) return;
        if (verdict.LoadReport()) Vezedad::Globals::Documentation().ShowFile(m_reportPath);
        if (verdict.LoadFile()) {
            if (m_option == Vezedad::kvoOptionA) {
                qint32 eventFormType = formType;
                QString fileName = path;
                emit OpenReportFile(eventFormType, fileName);
            } else {
                Vezedad::Globals::Documentation().ShowFile(path);
            }
        }
    });
}

void Controller::ValidateFolder() {
    Vezedad::trapArrow(kLocation + QStringLiteral("ValidateFolder"), [&] {
        SaveIdentity("mobjForm_DoValidation", "ValidateFolder");
        // The hourglass only once the user has answered.
        const QString folder = GetReportFolder();
        std::optional<Vezedad::Ui::Hourglass> hourglass;
        if (mobjForm) hourglass.emplace(mobjForm.get());
        m_path = folder;
        m_pendingRun = 2;
        m_formType = 0;
        ProgressForm progress;
        connect(&progress, &ProgressForm::Execute, this, [this] { mProgress_Execute(); });
        mProgress = &progress;
        try {
            progress.StartTracking(QStringLiteral("Validating files in folder ") + folder, 100, true);
        } catch (...) {
            mProgress = nullptr;
            throw;
        }
        mProgress = nullptr;
    });
}

void Controller::mProgress_Execute() {
    if (m_pendingRun == 1)
        RunFileValidation();
    else if (m_pendingRun == 2)
        RunFolderValidation();
    if (mProgress) mProgress->Finished();
}

std::shared_ptr<void> Controller::subscribeToValidator() {
    Vezedad::Validator& validator = Vezedad::Globals::Validator();
    const QMetaObject::Connection connection = connect(
        &validator, &Vezedad::Validator::RecordValidated, this,
        [this](qint32& RecordNumber, qint32& RecordLength, qint32& ErrorCount, bool& Cancel) {
            mValidator_RecordValidated(RecordNumber, RecordLength, ErrorCount, Cancel);
        },
        Qt::DirectConnection);
    return std::shared_ptr<void>(nullptr, [connection](void*) { QObject::disconnect(connection); });
}

void Controller::RunFileValidation() {
    const std::shared_ptr<void> subscription = subscribeToValidator();
    const Vezedad::FileValidationResultPtr result =
        Vezedad::Globals::Validator().ValidateFile(m_path, m_formType, kMaxErrors);
    m_severity = result->Severity();
    m_reportPath = WriteExceptionReport(m_path, *result);
}

void Controller::RunFolderValidation() {
    QFileInfoList files;
    Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    if (fso.FolderExists(m_path))
        for (const QFileInfo& file : fso.Files(m_path))
            if (formTypeOfName(file.fileName()) != 0) files.append(file);
    const std::shared_ptr<void> subscription = subscribeToValidator();
    qint16 validated = 0, passed = 0, warnings = 0, failed = 0;
    const qsizetype n = files.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QFileInfo& file = files.at(i);
        mProgress->setDescription(QStringLiteral("Validating file %1 of %2: ").arg(i + 1).arg(n) + file.fileName());
        mProgress->setMaximumValue(float(file.size()));
        m_bytes = 0;
        m_errors = 0;
        const Vezedad::FileValidationResultPtr result = Vezedad::Globals::Validator().ValidateFile(
            file.absoluteFilePath(), formTypeOfName(file.fileName()), kMaxErrors);
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

void Controller::mValidator_RecordValidated(qint32 RecordNumber, qint32 RecordLength, qint32 ErrorCount, bool& Cancel) {
    if (!mProgress) return;
    if (RecordNumber == 1) {
        m_bytes = 0;
        m_errors = 0;
    }
    m_bytes += RecordLength;
    m_errors += ErrorCount;
    if (RecordNumber % 100 != 0) return;
    Cancel = !mProgress->Update(
        QStringLiteral("Validated %1 lines; found %2 errors so far.").arg(RecordNumber).arg(m_errors), float(m_bytes));
}

QString Controller::WriteExceptionReport(const QString& strPath, const Vezedad::FileValidationResult& objResult) {
    const QString location = kLocation + QStringLiteral("WriteExceptionReport");
    return Vezedad::trapArrow(location, [&] {
        Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
        const QString reportPath =
            fso.BuildPath(fso.GetParentFolderName(strPath),
                          QStringLiteral("exception_") + fso.GetBaseName(strPath) + QStringLiteral(".txt"));
        if (objResult.IsValid()) {
            if (fso.FileExists(reportPath)) fso.DeleteFile(reportPath);
            return QString();
        }
        ExceptionReport::Write(reportPath, strPath, objResult, location);
        return reportPath;
    });
}

} // namespace ZozedizIZ
