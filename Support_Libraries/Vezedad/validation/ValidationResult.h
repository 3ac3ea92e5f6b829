#pragma once
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/VezedadExport.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVarLengthArray>
#include <QVector>
#include <functional>
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

namespace detail {
// Room for one text, kept packed by the library.
struct alignas(void*) TextSlot {
    unsigned char bytes[16];
};
struct ResultAccess;
class FileRecords;
class KeyOrder;
} // namespace detail

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
    QString Value() const;
    void setValue(const QString& strValue);
    QString ToString() const;

private:
    friend struct detail::ResultAccess;
    // Keeps the table's text before field, code or value change under it.
    void keepMessage();
    void setMessage(const QString& message);

    ValidationCode m_code = valcOK;
    ZelReportField m_field = zrfNone;
    ErrorSeverity m_severity = kvesOK;
    qint32 m_recordNumber = 0;
    detail::TextSlot m_value;
    // Null while the message is the table's (most findings); otherwise the
    // text set, or an empty text kept once for the library.
    const QString* m_message = nullptr;
};

// The failed checks of one record, keyed by field id in the order added.
// Made only by modGlobals::New_RecordValidationResult.
class VEZEDAD_EXPORT RecordValidationResult {
public:
    RecordValidationResult();
    RecordValidationResult(const RecordValidationResult& other);
    RecordValidationResult& operator=(const RecordValidationResult& other);
    ~RecordValidationResult();

    bool IsValid() const { return m_severity == kvesOK; }
    QString RecordContents() const;
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

private:
    friend struct detail::ResultAccess;
    // A record holds a handful of findings at most: a plain array searched
    // from the front is faster and smaller than a hash for that, and the
    // first two need no memory of their own.
    qsizetype indexOf(qint32 fieldId) const;
    void accumulateSeverity(const ValidationResult& item);
    void recalculate();

    QVarLengthArray<std::pair<qint32, ValidationResultPtr>, 2> m_items;
    ErrorSeverity m_severity = kvesOK;
    qint32 m_recordNumber = 0;
    // Meaningful only with m_hasTerminal: field 0 is a real field id, so it
    // cannot stand for "none".
    qint32 m_terminalField = 0;
    bool m_hasTerminal = false;
    detail::TextSlot m_contents;
};

// The invalid records of one file, keyed by record number; the whole-file
// record is kept under -1. Made only by modGlobals::New_FileValidationResult.
// A record of a file run (one whose finding ended the run aside) is kept in
// little room and read back from the file when asked for: the file must then
// still be as it was validated. While a caller holds such a record it is the
// same object; once let go, the next request makes it afresh.
class VEZEDAD_EXPORT FileValidationResult {
public:
    FileValidationResult();
    FileValidationResult(const FileValidationResult&) = delete;
    FileValidationResult& operator=(const FileValidationResult&) = delete;
    ~FileValidationResult();

    bool IsValid() const { return Severity() == kvesOK; }
    qint32 ErrorCount() const { return m_counts[kvesSerious] + m_counts[kvesCritical]; }
    qint32 RecordCount() const { return m_recordCount; }
    ErrorSeverity Severity() const;
    qint32 SeverityCount(qint32 lngSeverity) const;
    ValidationResultPtr Terminal() const;

    void Add(const RecordValidationResultPtr& objItem);
    qint32 Count() const;
    bool Exists(qint32 lngRecordNumber) const;
    RecordValidationResultPtr Item(qint32 lngRecordNumber) const;
    void setItem(qint32 lngRecordNumber, const RecordValidationResultPtr& objItem);
    QVector<RecordValidationResultPtr> Items() const;
    QVector<qint32> Keys() const;
    void Remove(qint32 lngRecordNumber);
    void RemoveAll();

private:
    friend struct detail::ResultAccess;
    void updateSeverityCounts(qint32 oldSeverity, qint32 newSeverity);

    std::unique_ptr<detail::FileRecords> m_records;
    qint32 m_counts[5] = {0, 0, 0, 0, 0};
    std::optional<qint32> m_terminalRecord;
    qint32 m_recordCount = 0;
};

// The records of a file result in the order of their keys, for a caller
// that writes out a great many of them: the text of a record kept compactly
// is made from its line without making the record whole. The result must
// outlive the listing and stay unchanged while it is used.
class VEZEDAD_EXPORT RecordListing {
public:
    explicit RecordListing(const FileValidationResult& result);
    ~RecordListing();
    RecordListing(const RecordListing&) = delete;
    RecordListing& operator=(const RecordListing&) = delete;

    qsizetype size() const { return m_size; }
    qint32 Key(qsizetype i) const;
    // Whether the record is held whole (rather than read back from the file).
    bool IsWhole(qsizetype i) const;
    RecordValidationResultPtr Item(qsizetype i) const;
    // Appends the record's ToString in Windows-1252. A compact record whose
    // file no longer holds its line raises 75.
    void AppendText(qsizetype i, QByteArray& out) const;
    // The same for a caller that writes the text as it comes, so that a
    // record of a line of a hundred megabytes costs no more room than its
    // line: whenever out holds 256 KiB or more, and before a long run of
    // bytes (a long line or value), which goes to write straight from where
    // it is kept, out is handed to write and emptied. What is left of the
    // text stays in out.
    void AppendText(qsizetype i, QByteArray& out, const std::function<void(QByteArrayView)>& write) const;

private:
    const detail::FileRecords& m_records;
    std::unique_ptr<detail::KeyOrder> m_order;
    qsizetype m_size = 0;
};

namespace modGlobals {

VEZEDAD_EXPORT ValidationResultPtr New_ValidationResult(qint32 fieldId, qint32 recordNumber, const QString& value,
                                                        qint32 code, qint32 severity);
VEZEDAD_EXPORT RecordValidationResultPtr New_RecordValidationResult(qint32 recordNumber, const QString& contents);
VEZEDAD_EXPORT FileValidationResultPtr New_FileValidationResult();

} // namespace modGlobals

} // namespace Vezedad
