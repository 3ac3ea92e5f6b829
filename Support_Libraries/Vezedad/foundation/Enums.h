#pragma once
#include <QtCore/qglobal.h>

// Enumerations shared by every deliverable. The values are stored in files and
// sent to the filing service, so they never change.
namespace Vezedad {

enum ZelFormType : qint32 {
    zfotNone = 0,
    zfotForm26 = 1,
    zfotForm26A = 2,
    zfotApplication = 3,
    zfotForm27 = 4,
    zfotForm25 = 8,
    zfotSales = 14,
    zfotAll = 15,
    zfotIdentity = 16,
};

enum ZelFileType : qint32 {
    zfitText = 1,
    zfitExcel = 2,
    zfitBoth = 3,
};

enum enumKVClientOption : qint32 {
    kvoUnknown = 0,
    kvoOptionA = 1,
    kvoOptionB = 2,
    kvoOptionC = 3,
};

enum ErrorType : qint32 {
    kvetSystem = 0,
    kvetValidation = 1,
    kvetArchitecture = 2,
    kvetUsage = 3,
};

enum ErrorSeverity : qint32 {
    kvesOK = 0,
    kvesWarning = 1,
    kvesSerious = 2,
    kvesCritical = 3,
    kvesTerminal = 4,
    _kvesMin = 0,
    _kvesMax = 4,
};

enum ErrorCode : qint32 {
    errInvalidProcedureCall = 5,
    errFileNotFound = 53,
    errPathNotFound = 76,
    errInvalidPropertyValue = 380,
    errCannotCreateObject = 429,
    errMissingCode = 1001,
    errFactoryMethodNotUsed = 1002,
    errSettingNotFound = 1003,
    errUnexpectedHttpStatus = 1004,
    errWrongXmlVersion = 1005,
    errWrongMdacVersion = 1006,
};

// Numbers of the runtime's own errors that the system raises or passes on;
// runtimeErrorText (ErrorInfo.h) gives each its standard text.
enum RuntimeError : qint32 {
    rtOverflow = 6,
    rtOutOfMemory = 7,
    rtSubscriptOutOfRange = 9,
    rtTypeMismatch = 13,
    rtInternalError = 51,
    rtFileNotFound = 53,
    rtFileAlreadyExists = 58,
    rtDiskFull = 61,
    rtInputPastEndOfFile = 62,
    rtPermissionDenied = 70,
    rtPathFileAccessError = 75,
    rtPathNotFound = 76,
    rtObjectNotSet = 91,
    rtInvalidFileFormat = 321,
    rtKeyAlreadyAssociated = 457,
    rtPrinterError = 482,
};

// Results of the operating system's own calls that the system reports
// (the registry layer's results, the desktop's opening of a document).
enum SystemError : qint32 {
    sysFileNotFound = 2,
    sysPathNotFound = 3,
    sysAccessDenied = 5,
    sysInvalidHandle = 6,
    sysLockViolation = 33,
    sysInvalidParameter = 87,
    sysDiskFull = 112,
    sysNoAssociation = 1155,
};

} // namespace Vezedad
