#pragma once
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/VezedadExport.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace Vezedad {

class ValidationResult;
class RecordValidationResult;
class FileValidationResult;
using ValidationResultPtr = std::shared_ptr<ValidationResult>;
using RecordValidationResultPtr = std::shared_ptr<RecordValidationResult>;
using FileValidationResultPtr = std::shared_ptr<FileValidationResult>;

// Text kept in little room: up to 15 characters of the report code page in
// place, anything longer on the heap one byte a character, and text outside
// the code page as UTF-16. Gives back exactly the text it was given.
class VEZEDAD_EXPORT PackedText {
public:
    PackedText() = default;
    PackedText(const PackedText& other);
    PackedText& operator=(const PackedText& other);
    ~PackedText();

    void set(const QString& text);
    // Bytes in the report code page.
    void setBytes(QByteArrayView bytes);
    QString text() const;

private:
    static constexpr quint8 kNull = 16, kHeap = 17;
    void release();
    void* heap() const;

    // m_data[15] tells the form: 0-15 that many bytes in place, kNull a null
    // text, kHeap a pointer to a block at the start of m_data.
    alignas(void*) char m_data[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kNull};
};

// The outcome of one check of one value. Code and Severity keep each other
// consistent: a finding always has both non-zero, a pass has both zero.
// Made only by modGlobals::New_ValidationResult.
class VEZEDAD_EXPORT ValidationResult {
public:
    ValidationResult();
    ValidationResult(const ValidationResult& other);
    ValidationResult& operator=(const ValidationResult& other);
    ~ValidationResult();

    ValidationCode Code() const { return m_code; }
    void setCode(qint32 eCode);
    ZelReportField Field() const { return m_field; }
    bool IsValid() const { return m_code == valcOK; }
    QString Message() const;
    qint32 RecordNumber() const { return m_recordNumber; }
    ErrorSeverity Severity() const { return m_severity; }
    void setSeverity(qint32 eSeverity);
    QString Value() const { return m_value.text(); }
    void setValue(const QString& strValue);
    QString ToString() const;

    // Inside the library only.
    void SetField(qint32 fieldId);
    void SetRecordNumber(qint32 recordNumber) { m_recordNumber = recordNumber; }
    void SetMessage(const QString& message);
    // The message becomes the one the message table gives for the present
    // field, code and value, built when asked for rather than kept.
    void UseTableMessage();

private:
    // Keeps the table's text before field, code or value change under it.
    void keepMessage();

    ValidationCode m_code = valcOK;
    ZelReportField m_field = zrfNone;
    ErrorSeverity m_severity = kvesOK;
    qint32 m_recordNumber = 0;
    PackedText m_value;
    // Null while the message is the table's (most findings); otherwise the
    // text set, or kNoMessage for an empty one.
    const QString* m_message = nullptr;
};

// The failed checks of one record, keyed by field id in the order added.
// Made only by modGlobals::New_RecordValidationResult.
class VEZEDAD_EXPORT RecordValidationResult {
public:
    RecordValidationResult();

    bool IsValid() const { return m_severity == kvesOK; }
    QString RecordContents() const { return m_contents.text(); }
    void setRecordContents(const QString& strRecordContents);
    qint32 RecordNumber() const { return m_recordNumber; }
    void setRecordNumber(qint32 lngRecordNumber) { m_recordNumber = lngRecordNumber; }
    ErrorSeverity Severity() const { return m_severity; }
    ValidationResultPtr Terminal() const;
    QString ToString() const;

    void Add(const ValidationResultPtr& objItem);
    qint32 Count() const { return qint32(m_items.size()); }
    bool Exists(qint32 fieldId) const { return indexOf(fieldId) >= 0; }
    ValidationResultPtr Item(qint32 fieldId) const;
    void setItem(qint32 fieldId, const ValidationResultPtr& objItem);
    QVector<ValidationResultPtr> Items() const;
    QVector<qint32> Keys() const;
    void Remove(qint32 fieldId);
    void RemoveAll();

    // Inside the library only: the contents as the report's own bytes.
    void SetRecordBytes(QByteArrayView bytes);

private:
    // A record holds a handful of findings at most: a plain vector searched
    // from the front is faster and smaller than a hash for that.
    qsizetype indexOf(qint32 fieldId) const;
    void AccumulateSeverity(const ValidationResult& item);
    void Recalculate();

    std::vector<std::pair<qint32, ValidationResultPtr>> m_items;
    ErrorSeverity m_severity = kvesOK;
    qint32 m_recordNumber = 0;
    // Meaningful only with m_hasTerminal: field 0 is a real field id, so it
    // cannot stand for "none".
    qint32 m_terminalField = 0;
    bool m_hasTerminal = false;
    PackedText m_contents;
};

// Records keyed by number in the order added. A file run adds them by
// rising number (the whole-file record last), so the keys are searched by
// halves, and an index is only built for keys added out of order.
class VEZEDAD_EXPORT RecordTable {
public:
    qsizetype size() const { return qsizetype(m_keys.size()); }
    qsizetype indexOf(qint32 key) const;
    void append(qint32 key, const RecordValidationResultPtr& record);
    void removeAt(qsizetype i);
    void clear();
    qint32 keyAt(qsizetype i) const { return m_keys[size_t(i)]; }
    const RecordValidationResultPtr& at(qsizetype i) const { return m_records[size_t(i)]; }

private:
    static constexpr qsizetype kShortTail = 16;
    std::vector<qint32> m_keys;
    std::vector<RecordValidationResultPtr> m_records;
    // The first m_ascending keys rise strictly.
    qsizetype m_ascending = 0;
    mutable QHash<qint32, qsizetype> m_index;
};

// The invalid records of one file, keyed by record number; the whole-file
// record is kept under -1. Made only by modGlobals::New_FileValidationResult.
class VEZEDAD_EXPORT FileValidationResult {
public:
    FileValidationResult();

    bool IsValid() const { return Severity() == kvesOK; }
    qint32 ErrorCount() const { return m_counts[kvesSerious] + m_counts[kvesCritical]; }
    qint32 RecordCount() const { return m_recordCount; }
    ErrorSeverity Severity() const;
    qint32 SeverityCount(qint32 lngSeverity) const;
    ValidationResultPtr Terminal() const;

    void Add(const RecordValidationResultPtr& objItem);
    qint32 Count() const { return qint32(m_records.size()); }
    bool Exists(qint32 lngRecordNumber) const { return m_records.indexOf(lngRecordNumber) >= 0; }
    RecordValidationResultPtr Item(qint32 lngRecordNumber) const;
    void setItem(qint32 lngRecordNumber, const RecordValidationResultPtr& objItem);
    QVector<RecordValidationResultPtr> Items() const;
    QVector<qint32> Keys() const;
    void Remove(qint32 lngRecordNumber);
    void RemoveAll();

    // Inside the library only.
    void SetRecordCount(qint32 count) { m_recordCount = count; }

private:
    void UpdateSeverityCounts(qint32 oldSeverity, qint32 newSeverity);

    RecordTable m_records;
    qint32 m_counts[5] = {0, 0, 0, 0, 0};
    std::optional<qint32> m_terminalRecord;
    qint32 m_recordCount = 0;
};

namespace modGlobals {

VEZEDAD_EXPORT ValidationResultPtr New_ValidationResult(qint32 fieldId, qint32 recordNumber, const QString& value,
                                                        qint32 code, qint32 severity);
VEZEDAD_EXPORT RecordValidationResultPtr New_RecordValidationResult(qint32 recordNumber, const QString& contents);
VEZEDAD_EXPORT FileValidationResultPtr New_FileValidationResult();

} // namespace modGlobals

} // namespace Vezedad
