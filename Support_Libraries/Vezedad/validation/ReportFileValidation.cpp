// Whole-record and whole-file checks of report files.
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/validation/Validator.h"

#include <QFile>
#include <QMetaMethod>
#include <QVarLengthArray>
#include <array>
#include <cstring>
#include <limits>

namespace Vezedad {

namespace {

using Fields = QVarLengthArray<QStringView, 32>;

// Splits a line the way delimited lines are split everywhere: a missing final
// delimiter is added, so the parts always end with one empty element and the
// number of fields is one less than the number of parts.
qint32 splitFields(QStringView line, QStringView delimiter, Fields& parts, QByteArrayView bytes = {}) {
    parts.clear();
    qsizetype from = 0;
    bool closed;
    if (delimiter.size() == 1 && delimiter[0].unicode() < 0x80 && bytes.size() == line.size()) {
        // The line's own bytes are at hand (a file run): every byte became one
        // character and only ASCII bytes became ASCII characters, so memchr
        // on the bytes finds the separators at the same places.
        const char d = char(delimiter[0].unicode());
        closed = !line.isEmpty() && line.back() == delimiter.front();
        const char* data = bytes.data();
        const qsizetype n = bytes.size();
        while (const void* hit = std::memchr(data + from, d, size_t(n - from))) {
            const qsizetype at = static_cast<const char*>(hit) - data;
            parts.append(line.mid(from, at - from));
            from = at + 1;
        }
    } else if (delimiter.size() == 1) {
        closed = !line.isEmpty() && line.back() == delimiter.front();
        // The usual case, by far: a one-character separator.
        const char16_t d = delimiter[0].unicode();
        const QChar* data = line.data();
        const qsizetype n = line.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (data[i].unicode() != d) continue;
            parts.append(QStringView(data + from, i - from));
            from = i + 1;
        }
    } else {
        closed = line.endsWith(delimiter);
        for (;;) {
            const qsizetype at = line.indexOf(delimiter, from);
            if (at < 0) break;
            parts.append(line.mid(from, at - from));
            from = at + delimiter.size();
        }
    }
    parts.append(line.mid(from));
    if (!closed) parts.append(QStringView());
    return qint32(parts.size() - 1);
}

bool holdsCrLf(QStringView s) {
    for (qsizetype i = 0; i + 1 < s.size(); ++i)
        if (s[i] == u'\r' && s[i + 1] == u'\n') return true;
    return false;
}

QStringView trimBlanks(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ') ++b;
    while (e > b && s[e - 1] == u' ') --e;
    return s.mid(b, e - b);
}

const QString kPipe = QStringLiteral("|");
const QString kComma = QStringLiteral(",");
const QString kTab = QStringLiteral("\t");
const QString kIndicatorZero = QStringLiteral("0");

// Reads a report file in large blocks and hands out its lines as views into
// the block, so that a large file costs one buffer, not one string per line.
// A line longer than kMaxLine is cut there: the rest is counted but not kept,
// which keeps memory flat whatever the file holds.
class LineReader {
public:
    static constexpr qsizetype kBlock = 256 * 1024;
    static constexpr qsizetype kMaxLine = 64 * 1024;

    explicit LineReader(QFile& file) : m_file(file), m_block(kBlock, Qt::Uninitialized) {}

    // The next line without its end; false at the end of the file.
    bool next(QByteArrayView& line, qint64& rawLength) {
        m_carry.clear();
        rawLength = 0;
        bool started = false;
        for (;;) {
            if (m_pos == m_len && !refill()) {
                if (!started) return false;
                line = QByteArrayView(m_carry);
                return true;
            }
            if (m_pendingCr) {
                m_pendingCr = false;
                if (m_block[m_pos] == '\n' && ++m_pos == m_len) continue;
            }
            started = true;
            const char* data = m_block.constData();
            qsizetype end = lineEnd(data, m_pos, m_len);
            const qsizetype piece = end - m_pos;
            rawLength += piece;
            if (end < m_len) {
                if (m_carry.isEmpty()) {
                    line = QByteArrayView(data + m_pos, qMin(piece, kMaxLine));
                } else {
                    keep(data + m_pos, piece);
                    line = QByteArrayView(m_carry);
                }
                if (data[end] == '\r') {
                    if (end + 1 < m_len) {
                        if (data[end + 1] == '\n') ++end;
                    } else {
                        m_pendingCr = true;
                    }
                }
                m_pos = end + 1;
                return true;
            }
            keep(data + m_pos, piece);
            m_pos = end;
        }
    }

private:
    // The first CR or LF from pos on, or len; memchr scans far faster than a
    // byte loop, and most lines end in CR LF, so the CR search stays short.
    static qsizetype lineEnd(const char* data, qsizetype pos, qsizetype len) {
        const void* lf = std::memchr(data + pos, '\n', size_t(len - pos));
        const qsizetype lfAt = lf ? static_cast<const char*>(lf) - data : len;
        const void* cr = std::memchr(data + pos, '\r', size_t(lfAt - pos));
        return cr ? static_cast<const char*>(cr) - data : lfAt;
    }
    void keep(const char* data, qsizetype size) {
        const qsizetype room = kMaxLine - m_carry.size();
        if (room > 0) m_carry.append(data, qMin(size, room));
    }
    bool refill() {
        const qint64 read = m_file.read(m_block.data(), kBlock);
        if (read < 0)
            throw ErrorInfo(75,
                            QStringLiteral("Path/File access error: ") + m_file.fileName() + QStringLiteral(" (") +
                                m_file.errorString() + QStringLiteral(")"),
                            QStringLiteral("FileSystemObject"));
        m_pos = 0;
        m_len = qsizetype(read);
        return m_len > 0;
    }

    QFile& m_file;
    QByteArray m_block;
    QByteArray m_carry;
    qsizetype m_pos = 0;
    qsizetype m_len = 0;
    bool m_pendingCr = false;
};

// Drops double quotes and the blanks at both ends.
QByteArrayView cleanLine(QByteArrayView raw, QByteArray& scratch) {
    if (std::memchr(raw.data(), '"', size_t(raw.size()))) {
        scratch.resize(raw.size());
        qsizetype n = 0;
        for (char c : raw)
            if (c != '"') scratch[n++] = c;
        scratch.resize(n);
        raw = QByteArrayView(scratch);
    }
    qsizetype b = 0, e = raw.size();
    while (b < e && raw[b] == ' ') ++b;
    while (e > b && raw[e - 1] == ' ') --e;
    return raw.sliced(b, e - b);
}

// Decodes a cleaned line into text, reusing the text's storage from line to
// line.
void decodeLine(QByteArrayView bytes, QString& text) {
    static const auto table = [] {
        std::array<char16_t, 256> t{};
        for (int i = 0; i < 256; ++i) t[size_t(i)] = Cp1252::decodeByte(uchar(i));
        return t;
    }();
    const qsizetype n = bytes.size();
    text.resize(n);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const uchar*>(bytes.data());
    // Widen every byte (a loop the compiler vectorises), then mend the few
    // bytes whose character lies outside Latin-1.
    uchar high = 0;
    for (qsizetype i = 0; i < n; ++i) {
        out[i] = in[i];
        high |= in[i];
    }
    if (high & 0x80)
        for (qsizetype i = 0; i < n; ++i)
            if (in[i] >= 0x80 && in[i] < 0xA0) out[i] = table[in[i]];
}

} // namespace

Vezedad::Validator& Globals::Validator() {
    return perThreadService<Vezedad::Validator>(modGlobals::services(), modGlobals::slotValidator, [] {
        return std::unique_ptr<Vezedad::Validator>(new Vezedad::Validator);
    });
}

ColumnStructure Validator::GetColumnStructure(const QString& strLine) const {
    ColumnStructure structure;
    Fields parts;
    for (const QString* delimiter : {&kPipe, &kComma, &kTab}) {
        const qint32 count = splitFields(strLine, *delimiter, parts);
        if (count < 4) continue;
        structure.ColumnCount = qint16(qMin<qint32>(count, std::numeric_limits<qint16>::max()));
        structure.Delimiter = *delimiter;
        for (QStringView part : parts) structure.Contents.append(part.toString());
        return structure;
    }
    structure.Contents.append(strLine);
    return structure;
}

ValidationResultPtr Validator::CheckFieldSeparator(const QString& line, qint32 recordNumber) {
    const ColumnStructure structure = GetColumnStructure(line);
    qint32 code = valcOK, severity = kvesOK;
    if (structure.Delimiter.isEmpty()) {
        code = valcEmpty;
        severity = kvesTerminal;
    } else if (structure.Delimiter != kPipe) {
        code = valcInvalidValue;
        severity = kvesWarning;
    }
    ValidationResultPtr finding =
        modGlobals::New_ValidationResult(zrfFileDelimiter, recordNumber, structure.Delimiter, code, severity);
    if (structure.Delimiter == kTab)
        finding->SetMessage(ValidationMessage(zrfFileDelimiter, code, QStringLiteral("[tab]")));
    return finding;
}

ValidationResultPtr Validator::CheckFileName(const QString& path, qint32 formType) {
    const QString prefix = ZelReport::Prefix(formType);
    const QString name = Globals::FSO().GetFileName(path);
    const bool wrong = name.left(1).compare(prefix, Qt::CaseInsensitive) != 0;
    ValidationResultPtr finding = modGlobals::New_ValidationResult(
        zrfFilePrefix, -1, name, wrong ? valcInvalidValue : valcOK, wrong ? kvesCritical : kvesOK);
    if (wrong)
        finding->SetMessage(QStringLiteral("File name '") + name + QStringLiteral("' should begin with '") + prefix +
                            QStringLiteral("' for ") + Globals::GetFormName(formType, true) + QStringLiteral("."));
    return finding;
}

ValidationResultPtr Validator::checkColumnCount(QStringView record, QStringView delimiter, qint32 recordNumber,
                                                qint32 formType) {
    Fields parts;
    return columnCountFinding(splitFields(record, delimiter, parts), recordNumber, formType);
}

ValidationResultPtr Validator::columnCountFinding(qint32 count, qint32 recordNumber, qint32 formType) {
    const ColumnCountRange range = ExpectedColumnCount(formType);
    const bool wrong = count < range.Min || count > range.Max;
    const qint32 severity = !wrong ? kvesOK : (formType == zfotForm26 && count > range.Max) ? kvesWarning : kvesSerious;
    ValidationResultPtr finding = modGlobals::New_ValidationResult(zrfColumnCount, recordNumber, QString::number(count),
                                                                   wrong ? valcInvalidValue : valcOK, severity);
    if (wrong)
        finding->SetMessage(QStringLiteral("Record ") + QString::number(recordNumber) +
                            QStringLiteral(" appears to have ") + QString::number(count) +
                            QStringLiteral(" fields instead of the ") + QString::number(range.Min + 1) +
                            QStringLiteral(" expected."));
    return finding;
}

ValidationResultPtr Validator::CheckColumnCount(const QString& strRecord, QString& strDelimiter, qint32 lngRecordNumber,
                                                qint32 lngFormType) {
    if (strDelimiter.isEmpty()) strDelimiter = kPipe;
    return checkColumnCount(strRecord, strDelimiter, lngRecordNumber, lngFormType);
}

ValidationResultPtr Validator::CheckColumnCount(const QString& strRecord, const QString& strDelimiter,
                                                qint32 lngRecordNumber, qint32 lngFormType) {
    QString delimiter = strDelimiter;
    return CheckColumnCount(strRecord, delimiter, lngRecordNumber, lngFormType);
}

RecordValidationResultPtr Validator::ValidateRecord(const QString& strRecord, QString& strDelimiter,
                                                    qint32 lngRecordNumber, qint32 lngFormType) {
    if (strDelimiter.isEmpty()) strDelimiter = kPipe;
    return validateRecord(strRecord, strDelimiter, lngRecordNumber, lngFormType, true);
}

RecordValidationResultPtr Validator::ValidateRecord(const QString& strRecord, const QString& strDelimiter,
                                                    qint32 lngRecordNumber, qint32 lngFormType) {
    QString delimiter = strDelimiter;
    return ValidateRecord(strRecord, delimiter, lngRecordNumber, lngFormType);
}

// The checks of one record. Without keepValid, a record that passes every
// check gives no result object at all: a file run only counts such records.
RecordValidationResultPtr Validator::validateRecord(QStringView record, QStringView delimiter, qint32 recordNumber,
                                                    qint32 formType, bool keepValid, QByteArrayView bytes) {
    RecordValidationResultPtr result;
    auto make = [&] {
        // A line from a file keeps its own bytes: the same text in half the room.
        if (bytes.isEmpty()) return modGlobals::New_RecordValidationResult(recordNumber, record.toString());
        RecordValidationResultPtr made = modGlobals::New_RecordValidationResult(recordNumber, QString());
        made->SetRecordBytes(bytes);
        return made;
    };
    auto add = [&](const ValidationResultPtr& finding) {
        if (!result) result = make();
        result->Add(finding);
    };
    if (keepValid) result = make();

    Fields parts;
    const qint32 fieldCount = splitFields(record, delimiter, parts, bytes);
    const ColumnCountRange range = ExpectedColumnCount(formType);
    // A count within the range passes, and its finding is only built for the
    // caller who keeps valid results.
    if (keepValid || fieldCount < range.Min || fieldCount > range.Max) {
        const ValidationResultPtr count = columnCountFinding(fieldCount, recordNumber, formType);
        if (!count->IsValid()) add(count);
    }
    if (formType == zfotForm26A && fieldCount == 4 && !parts[0].isEmpty()) {
        const char16_t first = parts[0][0].toUpper().unicode();
        if (first == u'A' || first == u'B' || first == u'C' || first == u'T')
            parts.insert(parts.cbegin(), QStringView(kIndicatorZero));
    }

    const QVector<qint32>& layout = ColumnFields(formType);
    const qint32 year = reportYear();
    const bool fromFile = !bytes.isEmpty();
    bool dataSeen = false, noData = false;
    for (qsizetype column = 0; column < layout.size(); ++column) {
        if (column >= parts.size()) continue;
        const qint32 fieldId = layout[column];
        const QStringView field = parts[column];
        const QStringView trimmed = trimBlanks(field);
        if (fieldId == zrfApIndicator) {
            if (formType != zfotForm26A && trimmed.size() == 1 && trimmed[0] == u'3') noData = true;
        } else if (IsDataField(fieldId) && !trimmed.isEmpty()) {
            dataSeen = true;
        }
        if (noData && fieldId != zrfApIndicator && fieldId != zrfBusinessRegNum && fieldId != zrfCertificationId &&
            fieldId != zrfPermitNumber)
            continue;
        // A line read from a file has no line ends left inside it.
        if (quickAccept(fieldId, trimmed, year) && (fromFile || !holdsCrLf(trimmed))) continue;
        const ValidationResultPtr finding = validateField(fieldId, field, recordNumber);
        if (!finding->IsValid()) add(finding);
    }

    if (formType != zfotForm26A) {
        if (noData && dataSeen)
            add(modGlobals::New_ValidationResult(zrfDataFields, recordNumber, QString::number(recordNumber),
                                                 valcNotEmpty, kvesCritical));
        else if (!noData && !dataSeen)
            add(modGlobals::New_ValidationResult(zrfDataFields, recordNumber, QString::number(recordNumber), valcEmpty,
                                                 kvesCritical));
    }
    return result;
}

FileValidationResultPtr Validator::ValidateFile(const QString& strFilePath, qint32 lngFormType, qint32 lngMaxErrors) {
    const QString source = QStringLiteral("Vezedad:Validator.ValidateFile");
    FileSystemObject& fso = Globals::FSO();
    if (!fso.FileExists(strFilePath))
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errFileNotFound),
                        QStringLiteral("File '") + strFilePath + QStringLiteral("' not found."), source);
    if (fso.GetExtensionName(strFilePath).compare(QLatin1String("txt"), Qt::CaseInsensitive) != 0)
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errInvalidPropertyValue),
                        QStringLiteral("File must be text; file '") + strFilePath +
                            QStringLiteral("' does not have a .txt extension."),
                        source);
    if (lngFormType != zfotForm26 && lngFormType != zfotForm26A && lngFormType != zfotForm27 &&
        lngFormType != zfotForm25)
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errInvalidPropertyValue),
                        QStringLiteral("Form type (") + QString::number(lngFormType) +
                            QStringLiteral(") not one of the known values."),
                        source);

    const FileValidationResultPtr fileResult = modGlobals::New_FileValidationResult();
    const RecordValidationResultPtr wholeFile = modGlobals::New_RecordValidationResult(WholeFileKey(), QString());
    const ValidationResultPtr name = CheckFileName(strFilePath, lngFormType);
    if (!name->IsValid()) wholeFile->Add(name);

    QFile file(strFilePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw ErrorInfo(70, QStringLiteral("Permission denied: ") + strFilePath, QStringLiteral("FileSystemObject"));
    LineReader reader(file);

    // A listener that does nothing should cost nothing: without one the
    // event is not raised at all.
    const bool announce = isSignalConnected(QMetaMethod::fromSignal(&Validator::RecordValidated));
    qint32 recordNumber = 0;
    bool cancel = false;
    QString delimiter;
    char delimiterByte = 0;
    QString line;
    QByteArray scratch;
    QByteArrayView raw;
    qint64 rawLength = 0;
    while (reader.next(raw, rawLength)) {
        const qint32 recordLength = qint32(qMin<qint64>(rawLength + 2, std::numeric_limits<qint32>::max()));
        const QByteArrayView cleaned = cleanLine(raw, scratch);
        if (cleaned.isEmpty()) continue;
        ++recordNumber;

        if (recordNumber == 1) {
            decodeLine(cleaned, line);
            const ValidationResultPtr separator = CheckFieldSeparator(line, -1);
            delimiter = separator->Value();
            if (!separator->IsValid()) wholeFile->Add(separator);
            if (separator->Severity() == kvesTerminal) break;
            if (delimiter.size() == 1 && delimiter[0].unicode() < 0x80) delimiterByte = char(delimiter[0].unicode());
        }

        RecordValidationResultPtr record;
        if (!delimiterByte || !quickRecord(cleaned, delimiterByte, lngFormType)) {
            decodeLine(cleaned, line);
            record = validateRecord(line, delimiter, recordNumber, lngFormType, false, cleaned);
        }
        if (announce) {
            // The handler gets copies of the figures: only Cancel is its to set.
            qint32 number = recordNumber, length = recordLength, errors = record ? record->Count() : 0;
            Q_EMIT RecordValidated(number, length, errors, cancel);
        }

        if (record && !record->IsValid()) {
            fileResult->Add(record);
            ValidationResultPtr stop;
            if (record->Severity() == kvesTerminal) {
                stop = modGlobals::New_ValidationResult(zrfErrorCount, -1, QString::number(recordNumber),
                                                        valcTerminalError, kvesTerminal);
            } else if ((record->Severity() == kvesSerious || record->Severity() == kvesCritical) && lngMaxErrors > 0 &&
                       fileResult->ErrorCount() >= lngMaxErrors) {
                stop = modGlobals::New_ValidationResult(zrfErrorCount, -1, QString::number(fileResult->ErrorCount()),
                                                        valcTooManyErrors, kvesTerminal);
            }
            if (stop) {
                wholeFile->Add(stop);
                break;
            }
        }
        if (cancel) {
            wholeFile->Add(modGlobals::New_ValidationResult(zrfCancel, recordNumber, QString::number(recordNumber),
                                                            valcUserCancelled, kvesTerminal));
            break;
        }
    }

    fileResult->SetRecordCount(recordNumber);
    if (!wholeFile->IsValid()) fileResult->Add(wholeFile);
    return fileResult;
}

} // namespace Vezedad
