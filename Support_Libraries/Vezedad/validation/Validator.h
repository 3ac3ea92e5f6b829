#pragma once
#include "Vezedad/foundation/VezedadExport.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QObject>
#include <QString>
#include <functional>

namespace Vezedad {

class Globals;

// Checks report data: single values, records (lines) and whole report files.
// One per caller thread, handed out by Globals::Validator().
class VEZEDAD_EXPORT Validator : public QObject {
    Q_OBJECT
public:
    ~Validator() override;

    static qint32 WholeFileKey() { return -1; }
    ColumnCountRange ExpectedColumnCount(qint32 formType) const;
    QString ExpectedColumns(qint32 formType) const;
    QString FieldName(qint32 fieldId) const;
    ColumnStructure GetColumnStructure(const QString& strLine) const;
    ValidationResultPtr ValidateField(qint32 fieldId, const QString& strValue, qint32 lngRecordNumber = 0);
    // The check of ValidateField without a result object, for callers that
    // check a great many values one by one (a report grid checks every cell of
    // a whole report). Returns the result's code and sets severity to its
    // severity. normalised, when given, receives the result's Value when the
    // value passes and that Value differs from strValue, and a null text
    // otherwise: most values pass as they stand and cost no copy.
    qint32 CheckField(qint32 fieldId, QStringView strValue, qint32& severity, QString* normalised = nullptr);
    FileValidationResultPtr ValidateFile(const QString& strFilePath, qint32 lngFormType, qint32 lngMaxErrors = 1000);
    // An empty strDelimiter comes back holding "|".
    RecordValidationResultPtr ValidateRecord(const QString& strRecord, QString& strDelimiter, qint32 lngRecordNumber,
                                             qint32 lngFormType);
    RecordValidationResultPtr ValidateRecord(const QString& strRecord, const QString& strDelimiter,
                                             qint32 lngRecordNumber, qint32 lngFormType);
    QString ValidationMessage(qint32 fieldId, qint32 lngCode, const QString& strValue) const;
    ValidationResultPtr CheckColumnCount(const QString& strRecord, QString& strDelimiter, qint32 lngRecordNumber,
                                         qint32 lngFormType);
    ValidationResultPtr CheckColumnCount(const QString& strRecord, const QString& strDelimiter, qint32 lngRecordNumber,
                                         qint32 lngFormType);

    // The record layout of a form (Form 26, 26A, 27, 25 or the identity
    // line): the field of each column and the allowed numbers of fields; an
    // empty layout for any other form type. The report forms map their grid
    // columns to record columns with it. Needs no validator.
    static const RecordLayout& Layout(qint32 formType);

    // The one listener a file run tells of every record by a plain call,
    // after RecordValidated's connections have heard of it, with the figures
    // they leave. The Control Center's run hears of each of a million
    // records, where a signal's delivery costs more than what it does with
    // most of them. Returns the listener it replaces; an empty one is none.
    using RecordListener =
        std::function<void(qint32 RecordNumber, qint32 RecordLength, qint32 ErrorCount, bool& Cancel)>;
    RecordListener setRecordListener(RecordListener listener);

Q_SIGNALS:
    void RecordValidated(qint32& RecordNumber, qint32& RecordLength, qint32& ErrorCount, bool& Cancel);

private:
    friend class Globals;
    Validator();

    RecordListener m_recordListener;
};

} // namespace Vezedad
