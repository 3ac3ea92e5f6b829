#pragma once
#include "Vezedad/foundation/StringCollection.h"
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QString>

namespace VezirodEdovud {

class SubmitMetadataRequest;

// Which step stopped an upload.
enum UploadResult : qint32 {
    uprSuccess = 0,        // the service took the upload and its receipt was shown
    uprNoMetadata = 1,     // no submission record was given
    uprNoReportFolder = 2, // the report folder does not exist
    uprNoConnection = 3,   // the filing service does not answer
    uprZipFailure = 4,     // the archive could not be built (the user has been told)
    uprCancelled = 5,      // the user closed the file choice without uploading
    uprError = 6,          // any other failure; the user has been shown the error
};

// The entry point of an upload: the user chooses a folder's report files,
// they are packed into one archive, and the submission record and the archive
// go to the filing service, whose answer is shown.
class VEZIRODEDOVUD_EXPORT Uploader {
public:
    UploadResult SendReport(const SubmitMetadataRequest* objRequest, const QString& strReportPath);

    // Where the archive of a folder's upload is written.
    static QString ArchivePath(const QString& reportFolder);

private:
    // The archive's path, or the empty text when no archive could be made;
    // failure then says why, naming the file that could not be packed.
    QString CreateZip(const QString& reportFolder, const Vezedad::StringCollection& files, QString& failure);
};

} // namespace VezirodEdovud
