#include "ZiverezUvaveded/Uploader.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/Globals.h"
#include "ZiverezUvaveded/Messages.h"
#include "ZiverezUvaveded/Proxy.h"
#include "ZiverezUvaveded/cZip.h"
#include "ZiverezUvaveded/frmFileList.h"
#include "ZiverezUvaveded/frmUploadResponse.h"

namespace VezirodEdovud {

namespace {

const QString kSendReport = QStringLiteral("VezirodEdovud::Uploader.SendReport");

// The archive holds files of the report folder itself, under their own names.
bool isBareFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           name != QStringLiteral(".") && name != QStringLiteral("..");
}

} // namespace

QString Uploader::ArchivePath(const QString& reportFolder) {
    Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    return fso.BuildPath(fso.BuildPath(reportFolder, QStringLiteral("ZelZipUpload")),
                         QStringLiteral("ZelFiles") + QString::number(Vezedad::Globals::ZelReport().ReportYear()) +
                             QStringLiteral(".zip"));
}

UploadResult Uploader::SendReport(const SubmitMetadataRequest* objRequest, const QString& strReportPath) {
    const auto send = [&]() -> UploadResult {
        if (!objRequest) return uprNoMetadata;
        if (!Vezedad::Globals::FSO().FolderExists(strReportPath)) return uprNoReportFolder;
        if (!Globals::Proxy().CheckService()) return uprNoConnection;

        frmFileList fileList;
        fileList.Initialize(objRequest->Metadata().ClientOption(), strReportPath);
        Vezedad::Ui::ExecModal(fileList);
        if (fileList.Cancelled()) return uprCancelled;

        QString archive, failure;
        bool zipped = false;
        Vezedad::Ui::GuardShowError(kSendReport, [&] {
            archive = CreateZip(strReportPath, fileList.SelectedFiles(), failure);
            zipped = true;
        });
        if (!zipped) return uprZipFailure;
        if (archive.isEmpty()) {
            Vezedad::Ui::MsgBox(QStringLiteral("Unable to create zip file") + failure +
                                    QStringLiteral("\r\n\r\nNothing was sent."),
                                Vezedad::Ui::vbOKOnly, QStringLiteral("Uploading Report"));
            return uprZipFailure;
        }

        frmUploadResponse response;
        response.Initialize(objRequest, archive);
        Vezedad::Ui::ExecModal(response);
        // A failed upload has been explained on the response page.
        return response.Succeeded() ? uprSuccess : uprError;
    };
    UploadResult result = uprError;
    Vezedad::Ui::GuardShowError(kSendReport, [&] { result = send(); });
    return result;
}

QString Uploader::CreateZip(const QString& reportFolder, const Vezedad::StringCollection& files, QString& failure) {
    return Vezedad::trapArrow(QStringLiteral("VezirodEdovud::Uploader.CreateZip"), [&] {
        Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
        const QString archivePath = ArchivePath(reportFolder);
        Vezedad::Utilities::CreateFolder(fso.GetParentFolderName(archivePath));
        // The earlier archive stays until the new one is complete: the zip
        // step writes under a temporary name and replaces it only then.

        cZip zip;
        zip.setZipFile(archivePath);
        zip.setStoreFolderNames(false);
        zip.setRecurseSubDirs(false);
        zip.ClearFileSpecs();
        for (const QString& name : files.Items()) {
            if (!isBareFileName(name))
                throw Vezedad::ErrorInfo(Vezedad::errInvalidPropertyValue,
                                         QStringLiteral("'") + name +
                                             QStringLiteral("' is not the name of a file in the report folder."),
                                         QStringLiteral("VezirodEdovud::Uploader"));
            zip.AddFileSpec(fso.BuildPath(reportFolder, name));
        }
        zip.Zip();
        if (zip.Success() && fso.FileExists(archivePath)) return archivePath;
        // The user is told what to mend: the file that could not be packed,
        // or the archive that could not be written, and why.
        const QString what = zip.FailedFile().isEmpty() ? archivePath + QStringLiteral(" could not be written.")
                                                        : QStringLiteral("\"") + fso.GetFileName(zip.FailedFile()) +
                                                              QStringLiteral("\" could not be packed.");
        failure = QStringLiteral(": ") + what + QStringLiteral("\r\n") +
                  (zip.Success() ? QStringLiteral("The archive is not there.") : zip.FailureReason());
        return QString();
    });
}

} // namespace VezirodEdovud
