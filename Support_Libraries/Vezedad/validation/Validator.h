#pragma once
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/VezedadExport.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QByteArrayView>
#include <QHash>
#include <QObject>
#include <QRegularExpression>
#include <QString>
#include <QStringView>
#include <QVector>
#include <array>
#include <limits>
#include <memory>
#include <optional>

namespace Vezedad {

class Globals;
class ReportReader;

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
    FileValidationResultPtr ValidateFile(const QString& strFilePath, qint32 lngFormType, qint32 lngMaxErrors = 1000);
    // An empty strDelimiter comes back holding "|".
    RecordValidationResultPtr ValidateRecord(const QString& strRecord, QString& strDelimiter, qint32 lngRecordNumber,
                                             qint32 lngFormType);
    RecordValidationResultPtr ValidateRecord(const QString& strRecord, const QString& strDelimiter,
                                             qint32 lngRecordNumber, qint32 lngFormType);
    QString ValidationMessage(qint32 fieldId, qint32 lngCode, const QString& strValue) const;
    // Inside the library only: ValidationMessage without a validator, for
    // results that build their message when asked.
    static QString TableMessage(qint32 fieldId, qint32 code, const QString& value);
    static QString TableFieldName(qint32 fieldId);
    ValidationResultPtr CheckColumnCount(const QString& strRecord, QString& strDelimiter, qint32 lngRecordNumber,
                                         qint32 lngFormType);
    ValidationResultPtr CheckColumnCount(const QString& strRecord, const QString& strDelimiter, qint32 lngRecordNumber,
                                         qint32 lngFormType);

    // True only for a value that ValidateField would pass; a cheap test on
    // the prepared value that lets whole-file runs skip building results for
    // the many values that are plainly right. False means "ask ValidateField".
    bool QuickAccept(qint32 fieldId, QStringView preparedValue) const;

Q_SIGNALS:
    void RecordValidated(qint32& RecordNumber, qint32& RecordLength, qint32& ErrorCount, bool& Cancel);

private:
    friend class Globals;
    Validator();

    struct RecordRun;
    using Check = void (Validator::*)(ValidationResult&);

    // None when the key does not fit in 32 bits: such a pair has no message,
    // rather than wrapping round onto another field's entry.
    static std::optional<qint32> MessageKey(qint32 fieldId, qint32 code) {
        const qint64 key = qint64(fieldId) * 256 + qint64(code);
        if (key < std::numeric_limits<qint32>::min() || key > std::numeric_limits<qint32>::max()) return std::nullopt;
        return qint32(key);
    }
    // The layouts live in fixed slots, so a reference stays good while a
    // nested call (from an event handler) builds another layout.
    const QVector<qint32>& ColumnFields(qint32 formType) const;
    static QVector<qint32> BuildColumnFields(qint32 formType);
    // The fields whose values count as reportable data in the no-data rule.
    static bool IsDataField(qint32 fieldId) {
        constexpr quint64 kDataFields = (1ull << 6) | (1ull << 7) | (1ull << 8) | (1ull << 12) | (1ull << 10) |
                                        (1ull << 11) | (1ull << 14) | (1ull << 21) | (1ull << 22) | (1ull << 23) |
                                        (1ull << 25);
        return fieldId >= 0 && fieldId < 64 && (kDataFields >> fieldId) & 1u;
    }

    ValidationResultPtr CheckFieldSeparator(const QString& line, qint32 recordNumber);
    ValidationResultPtr CheckFileName(const QString& path, qint32 formType);
    ValidationResultPtr columnCountFinding(qint32 count, qint32 recordNumber, qint32 formType);
    ValidationResultPtr checkColumnCount(QStringView record, QStringView delimiter, qint32 recordNumber,
                                         qint32 formType);
    RecordValidationResultPtr validateRecord(QStringView record, QStringView delimiter, qint32 recordNumber,
                                             qint32 formType, bool keepValid, QByteArrayView bytes = {});

    ValidationResultPtr validateField(qint32 fieldId, QStringView strValue, qint32 lngRecordNumber);
    bool quickAccept(qint32 fieldId, QStringView preparedValue, qint32 year) const;
    bool quickRecord(QByteArrayView line, char delimiter, qint32 formType) const;
    Check checkFor(qint32 fieldId) const;
    void ValidateIndicator(ValidationResult& r);
    void ValidateBusinessID(ValidationResult& r);
    void ValidateCertID(ValidationResult& r);
    void ValidateCounty(ValidationResult& r);
    void ValidateDate(ValidationResult& r);
    void ValidateEmail(ValidationResult& r);
    void ValidateEpa(ValidationResult& r);
    void ValidateName(ValidationResult& r);
    void ValidatePermitID(ValidationResult& r);
    void ValidatePhone(ValidationResult& r);
    void ValidateQuantity(ValidationResult& r);
    void ValidateUnit(ValidationResult& r);
    void ValidateZip(ValidationResult& r);
    QString NormalizeDate(const QString& strDate) const;
    // NormalizeDate's answer as a code: valcOK with the date in normalized,
    // or what NormalizeDate raises as its number.
    qint32 normalizeDate(const QString& strDate, QString& normalized) const;
    qint32 reportYear() const;

    mutable std::array<QVector<qint32>, 17> m_layouts;
    mutable std::array<bool, 17> m_layoutBuilt{};

    // Compiled once for the validator's life.
    QRegularExpression m_reBusinessId;
    QRegularExpression m_reCertId;
    QRegularExpression m_reCertPrivate;
    QRegularExpression m_rePermit;
    QRegularExpression m_reDate;
    QRegularExpression m_reDateYearFirst;
    QRegularExpression m_reDateNamedMonth;
    QRegularExpression m_reDateDayMonthName;
    QRegularExpression m_reEmail;
    QRegularExpression m_reEpaSeparators;
    QRegularExpression m_reEpa;
    QRegularExpression m_reZip;
};

} // namespace Vezedad
