#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QtCore/qglobal.h>

namespace Vezedad {

// One numbering of report fields, shared with the identity properties, the
// field messages and the column tool tips (message 300 + id).
enum ZelReportField : qint32 {
    zrfWholeFile = -2,
    zrfWholeRecord = -1,
    zrfNone = 0,
    _zrfMin = 0,
    zrfAddress = 1,
    zrfApIndicator = 2,
    zrfBusinessRegNum = 3,
    zrfCertificationId = 4,
    zrfPermitNumber = 5,
    zrfContainerSizeQuantity = 6,
    zrfContainerSizeUnits = 7,
    zrfContainersSold = 8,
    zrfCounty = 9,
    zrfDateSold = 10,
    zrfDateStart = 11,
    zrfDateEnd = 12,
    zrfEndUse = 13,
    zrfEPANumber = 14,
    zrfContactName = 15,
    zrfPhone = 16,
    zrfEmail = 17,
    zrfFirstName = 18,
    zrfLastName = 19,
    zrfMunicipality = 20,
    zrfProductName = 21,
    zrfQuantity = 22,
    zrfQuantitySold = 23,
    zrfResale = 24,
    zrfUnits = 25,
    zrfZipCode = 26,
    zrfDosage = 27,
    zrfMethod = 28,
    zrfTarget = 29,
    zrfPlace = 30,
    zrfBusinessName = 31,
    zrfForm26 = 32,
    zrfForm26A = 33,
    zrfForm27 = 34,
    zrfForm25 = 35,
    zrfUniqueId = 36,
    zrfApplName = 37,
    zrfFilePrefix = 50,
    zrfFileDelimiter = 51,
    zrfColumnCount = 52,
    zrfDataFields = 53,
    zrfErrorCount = 54,
    zrfRecordCount = 55,
    zrfFileName = 56,
    zrfCancel = 57,
};

// What one check found.
enum ValidationCode : qint32 {
    valcOK = 0,
    valcUnspecified = 1,
    valcEmpty = 2,
    valcContentsTooLong = 3,
    valcInvalidValue = 4,
    valcProcessingError = 5,
    valcZero = 6,
    valcNotNumeric = 7,
    valcWrongYear = 8,
    valcNotEmpty = 9,
    valcTooManyErrors = 10,
    valcTerminalError = 11,
    valcNegativeValue = 12,
    valcUserCancelled = 13,
};

// How one report line splits: its separator and its fields.
struct ColumnStructure {
    qint16 ColumnCount = 0;
    QString Delimiter;
    QStringList Contents;
};

// The allowed number of fields of a form's record, both ends included.
struct ColumnCountRange {
    qint16 Min = 0;
    qint16 Max = 0;
};

// The columns of one form's record as the validator reads them: the field of
// each column, column 0 first, and how many fields a record may have. A
// record may be one field short (its last column is then empty), and Form 26
// and the identity line may carry more fields than their layout, which are
// not checked. An unknown form type has no columns and a zero range.
struct RecordLayout {
    qint32 FormType = 0;
    QList<qint32> Fields;
    ColumnCountRange Counts;

    qsizetype Width() const { return Fields.size(); }
    // The column holding the field, or -1 when the form has no such column.
    qsizetype ColumnOf(qint32 fieldId) const { return Fields.indexOf(fieldId); }
};

} // namespace Vezedad
