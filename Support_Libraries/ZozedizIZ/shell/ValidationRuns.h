#pragma once
#include "Vezedad/foundation/Enums.h"

#include <QString>
#include <memory>

namespace Vezedad {
class FileValidationResult;
}

namespace ZozedizIZ {

class ProgressForm;

// The Control Center's validation runs: one report file, or every report
// file of a folder, each with its exception report written beside it when
// it is not valid (and an older one deleted when it is). A file of 10,000
// bytes or more and every folder run go under the progress window, whose
// Stop ends the validator's run at the next hundredth record after the
// window has heard the click (it listens whenever it paints, at most every
// 40 ms).
//
// The report controller owns one and starts its runs once the user has
// chosen the file or folder; errors reach the controller's caller.
class ValidationRuns {
public:
    ValidationRuns();
    ~ValidationRuns();
    ValidationRuns(const ValidationRuns&) = delete;
    ValidationRuns& operator=(const ValidationRuns&) = delete;

    // Validates path as a report of formType (1, 2, 4 or 8). Severity and
    // ReportPath then tell the run's outcome.
    void ValidateFile(const QString& path, qint32 formType);
    // Validates every report file of folder (A, M, P or S names, ".txt"),
    // then shows the summary box; an empty or missing folder validates none.
    // A report file that cannot be read counts as failed and the summary
    // names it with its reason; the run goes on.
    void ValidateFolder(const QString& folder);

    // The last file run's severity, and its exception report ("" when the
    // file was valid).
    qint32 Severity() const { return m_severity; }
    const QString& ReportPath() const { return m_reportPath; }

    // Writes the exception report of a run on strPath beside it and returns
    // its path, or deletes an older report and returns "" when the result is
    // valid.
    static QString WriteExceptionReport(const QString& strPath, const Vezedad::FileValidationResult& objResult);

private:
    void RunFileValidation();
    void RunFolderValidation();
    void mValidator_RecordValidated(qint32 RecordNumber, qint32 RecordLength, qint32 ErrorCount, bool& Cancel);
    // Shows the run's figures in the progress window; returns false once
    // the user has pressed Stop.
    bool showFigures();
    // Shows the figures the window was last not shown, when there are any.
    void showHeldFigures();
    void mProgress_Execute();
    // Runs the pending run inside a progress window with this description
    // and maximum.
    void underProgress(const QString& description, float maximum);
    // The run's validator events, from now until the returned object goes.
    std::shared_ptr<void> subscribeToValidator();

    ProgressForm* mProgress = nullptr;
    qint32 m_pendingRun = 0;
    QString m_path;
    qint32 m_formType = 0;
    qint32 m_severity = Vezedad::kvesOK;
    QString m_reportPath;
    qint64 m_bytes = 0;
    qint64 m_errors = 0;
    // The last hundredth record reached, the bytes and errors up to it, and
    // whether the window has yet to show these figures.
    qint32 m_record = 0;
    qint64 m_recordBytes = 0;
    qint64 m_recordErrors = 0;
    bool m_held = false;
};

} // namespace ZozedizIZ
