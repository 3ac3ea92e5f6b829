#include "Vezedad/validation/Validator.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Text.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/validation/FieldRules.h"
#include "Vezedad/validation/ReportLines.h"
#include "Vezedad/validation/ResultStorage.h"
#include "Vezedad/validation/ValidationTables.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMetaMethod>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Vezedad {

namespace {

const QString kPipe = QStringLiteral("|");
const QString kComma = QStringLiteral(",");
const QString kTab = QStringLiteral("\t");

// ---------------------------------------------------------------------------
// Splitting

// A line split the way delimited lines are split everywhere: the pieces
// between separators, then the rest of the line, then an empty piece when
// the line did not end with a separator. So there is always one piece more
// than there are fields, and the last piece is empty. Only the places of the
// first kKept separators are kept, enough for every column of every layout;
// the others are only counted, so a line of millions of separators costs no
// more than any other line of its length.
struct Pieces {
    static constexpr qsizetype kKept = 32;

    qsizetype length = 0;
    qsizetype delimiterSize = 1;
    bool closed = false;

    qsizetype size() const { return m_count + (closed ? 1 : 2); }
    // Piece k, for k below kKept: from past the separator before it (or the
    // line's start) to the separator after it (or the line's end); the
    // empty piece after the last is at the line's end.
    std::pair<qsizetype, qsizetype> operator[](qsizetype k) const {
        Q_ASSERT(k < kKept);
        return {qMin(m_at[size_t(k)] + delimiterSize, length), m_at[size_t(k + 1)]};
    }

    void clear() { m_count = 0; }
    void add(qsizetype at) {
        if (m_count < kKept) m_at[size_t(m_count + 1)] = at;
        ++m_count;
    }
    // Where the separators found in a step of up to kStep bytes go: a step
    // that starts below kKept writes every one it finds, the rest are only
    // counted.
    static constexpr qsizetype kStep = 32;
    qsizetype* separators() { return m_at.data() + 1; }
    void setCount(qsizetype count) { m_count = count; }
    void finish(qsizetype lineLength, qsizetype separatorSize, bool endsWithSeparator) {
        length = lineLength;
        delimiterSize = separatorSize;
        closed = endsWithSeparator;
        m_at[0] = -separatorSize;
        if (m_count < kKept + kStep) {
            m_at[size_t(m_count + 1)] = lineLength;
            m_at[size_t(m_count + 2)] = lineLength;
        }
    }

private:
    // Before the separators, a place one separator before the line; after
    // them, the line's end twice.
    std::array<qsizetype, size_t(kKept + kStep + 3)> m_at{};
    qsizetype m_count = 0;
};

qint32 fieldCount(const Pieces& pieces) {
    return qint32(qMin<qsizetype>(pieces.size() - 1, std::numeric_limits<qint32>::max()));
}

// Finds a line's separators and tells whether the line holds a double quote
// (which a file run drops before it splits a line), thirty-two bytes a step:
// fields are short, so a call per separator would cost more than the search
// itself, and a line of a hundred bytes takes four steps.
bool splitBytes(QByteArrayView line, char delimiter, Pieces& pieces) {
    const char* p = line.data();
    const qsizetype n = line.size();
    qsizetype* at = pieces.separators();
    qsizetype count = 0;
    bool quoted = false;
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i wanted = _mm_set1_epi8(delimiter), quote = _mm_set1_epi8('"');
    // The bytes from from on, of which those below skip were seen already.
    const auto step = [&](qsizetype from, qsizetype skip) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from + 16));
        const quint32 seen = ~0u << skip;
        quint32 mask = (quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(low, wanted))) |
                        quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(high, wanted))) << 16) &
                       seen;
        quoted |= ((quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(low, quote))) |
                    quint32(_mm_movemask_epi8(_mm_cmpeq_epi8(high, quote))) << 16) &
                   seen) != 0;
        if (!mask) return;
        if (count >= Pieces::kKept) {
            count += std::popcount(mask);
            return;
        }
        do {
            at[count++] = from + std::countr_zero(mask);
            mask &= mask - 1;
        } while (mask);
    };
    for (; i + Pieces::kStep <= n; i += Pieces::kStep) step(i, 0);
    // The last bytes as the line's last step, those already seen left out.
    if (i < n && n >= Pieces::kStep) {
        step(n - Pieces::kStep, Pieces::kStep - (n - i));
        i = n;
    }
#endif
    for (; i < n; ++i) {
        quoted |= p[i] == '"';
        if (p[i] != delimiter) continue;
        if (count < Pieces::kKept) at[count] = i;
        ++count;
    }
    pieces.setCount(count);
    pieces.finish(n, 1, n > 0 && p[n - 1] == delimiter);
    return quoted;
}

void splitText(QStringView line, QStringView delimiter, Pieces& pieces) {
    pieces.clear();
    const qsizetype n = line.size();
    if (delimiter.size() == 1) {
        const char16_t d = delimiter[0].unicode();
        const QChar* data = line.data();
        for (qsizetype i = 0; i < n; ++i)
            if (data[i].unicode() == d) pieces.add(i);
    } else {
        for (qsizetype at, from = 0; (at = line.indexOf(delimiter, from)) >= 0; from = at + delimiter.size())
            pieces.add(at);
    }
    pieces.finish(n, delimiter.size(), line.endsWith(delimiter));
}

// ---------------------------------------------------------------------------
// Findings

// One failed check, before it becomes a result object (or a compact record).
struct Finding {
    qint32 field = 0;
    qint32 code = valcOK;
    qint32 severity = kvesOK;
    QString value;
    QString message;    // null: the message table's
    qint32 column = -1; // the layout column of a field's finding
    // A field's value as a line's bytes, where the walk gives values as
    // bytes: the rule's form in the code page, or the field as it stands in
    // the line (valid while the line is).
    bool bytes = false;
    FieldRules::WrittenBytes written;
    QByteArrayView asItStands;
    QByteArrayView valueBytes() const { return written.rewritten ? QByteArrayView(written.bytes) : asItStands; }
};

using Findings = std::vector<Finding>;

// A value as a field check takes it: blanks at both ends removed, then every
// CR LF pair (a lone CR or LF stays).
QString prepared(QStringView raw) {
    QString value = trimBlanks(raw).toString();
    if (value.contains(QLatin1String("\r\n"))) value.remove(QStringLiteral("\r\n"));
    return value;
}

template <class Ch> bool holdsCrLf(const Ch* p, qsizetype n) {
    for (qsizetype i = 0; i + 1 < n; ++i)
        if (p[i] == Ch('\r') && p[i + 1] == Ch('\n')) return true;
    return false;
}

Finding fieldFinding(qint32 fieldId, QStringView raw, FieldRules::YearSource& year) {
    Finding f;
    f.field = fieldId;
    // The value prepared, without a copy unless it holds a CR LF pair.
    QStringView value = trimBlanks(raw);
    QString held;
    if (holdsCrLf(value.utf16(), value.size())) {
        held = prepared(raw);
        value = held;
    }
    const FieldRules::Verdict verdict = FieldRules::check(fieldId, value, year, &f.value);
    f.code = verdict.code;
    f.severity = verdict.severity;
    return f;
}

// What a walk of a record gives each finding beyond its field, code,
// severity and column.
enum class Values {
    None,  // nothing more: a file run keeps the record as its place in the file
    Text,  // its value and message as text, as a record's result holds them
    Bytes, // the same, but a field's value as bytes of the line (in its code
           // page), never widened: a record's text written straight from its
           // line costs no more than the line, however long its values
};

// Without values the finding has its field, code and severity alone.
Finding columnCountFinding(qint32 count, qint32 recordNumber, qint32 formType, bool values = true) {
    const ColumnCountRange range = ValidationTables::layout(formType).Counts;
    Finding f;
    f.field = zrfColumnCount;
    if (values) f.value = QString::number(count);
    if (count < range.Min || count > range.Max) {
        f.code = valcInvalidValue;
        f.severity = formType == zfotForm26 && count > range.Max ? kvesWarning : kvesSerious;
        if (values) f.message = ValidationTables::columnCountMessage(recordNumber, count, formType);
    }
    return f;
}

ValidationResultPtr resultOf(const Finding& f, qint32 recordNumber) {
    ValidationResultPtr result = modGlobals::New_ValidationResult(f.field, recordNumber, f.value, f.code, f.severity);
    if (!f.message.isNull()) detail::ResultAccess::setMessage(*result, f.message);
    return result;
}

// ---------------------------------------------------------------------------
// The record walker: the checks of one record, on its decoded text or on a
// file line's own bytes. It adds the record's findings in the order they
// stand in the record: column count, the columns in layout order, the
// no-data rule.

// What the walker needs of a form, worked out once per run.
struct FormPlan {
    struct Column {
        qint32 field;
        bool checked;     // the field has a rule
        bool data;        // a value there is reportable data
        bool identifying; // checked in a no-data record too
        FieldRules::ByteRule rule;
    };
    qint32 formType = 0;
    ColumnCountRange counts;
    QVarLengthArray<Column, 16> columns;
    // The same by column, a bit each: checked, data and identifying columns.
    quint32 checkedColumns = 0, dataColumns = 0, identifyingColumns = 0;
    qsizetype indicator = -1; // the indicator's column, where a no-data record says so

    explicit FormPlan(qint32 form) : formType(form) {
        const RecordLayout& layout = ValidationTables::layout(form);
        counts = layout.Counts;
        for (qint32 field : layout.Fields) {
            const Column c{field, FieldRules::hasRule(field), ValidationTables::isDataField(field),
                           field == zrfApIndicator || field == zrfBusinessRegNum || field == zrfCertificationId ||
                               field == zrfPermitNumber,
                           FieldRules::byteRule(field)};
            const quint32 bit = 1u << columns.size();
            if (c.checked) checkedColumns |= bit;
            if (c.data) dataColumns |= bit;
            if (c.identifying) identifyingColumns |= bit;
            if (field == zrfApIndicator && indicator < 0 && form != zfotForm26A) indicator = columns.size();
            columns.append(c);
        }
    }
};

// A column is checked only when its bit in columnsToCheck is set: a record
// checked again need not check again the columns that passed.
template <class Ch>
void walkRecord(const Ch* line, const Pieces& pieces, const FormPlan& plan, qint32 recordNumber,
                FieldRules::YearSource& year, Findings& out, quint32 columnsToCheck = ~0u,
                Values values = Values::Text) {
    using View = std::conditional_t<std::is_same_v<Ch, char16_t>, QStringView, QByteArrayView>;

    const qint32 count = fieldCount(pieces);
    if (count < plan.counts.Min || count > plan.counts.Max)
        out.push_back(columnCountFinding(count, recordNumber, plan.formType, values != Values::None));

    // A Form 26A record of four fields that begins with a certification id
    // has left out its indicator: it is read as "0" before the fields.
    qsizetype shift = 0;
    if (plan.formType == zfotForm26A && count == 4 && pieces[0].second > pieces[0].first) {
        const char16_t first = char16_t(line[pieces[0].first]) | 0x20;
        if (first == u'a' || first == u'b' || first == u'c' || first == u't') shift = 1;
    }

    const qsizetype columns = qMin(plan.columns.size(), pieces.size() + shift);
    const auto trimmed = [&](qsizetype piece) {
        auto [b, e] = pieces[piece];
        if (b < e && (line[b] == Ch(' ') || line[e - 1] == Ch(' '))) {
            while (b < e && line[b] == Ch(' ')) ++b;
            while (e > b && line[e - 1] == Ch(' ')) --e;
        }
        return std::pair<qsizetype, qsizetype>(b, e);
    };
    // A no-data record ("3" for its indicator) has only its identifying
    // columns after the indicator checked.
    quint32 toCheck = plan.checkedColumns & columnsToCheck;
    bool noData = false;
    if (plan.indicator >= shift && plan.indicator < columns) {
        const auto [b, e] = trimmed(plan.indicator - shift);
        noData = e - b == 1 && line[b] == Ch('3');
        if (noData) toCheck &= plan.identifyingColumns | ((2u << plan.indicator) - 1);
    }
    bool dataSeen = false;
    QString decoded; // a failed field of a line, as text
    const FormPlan::Column* plannedColumn = plan.columns.data();
    for (qsizetype column = shift; column < columns; ++column) {
        const auto [b, e] = trimmed(column - shift);
        dataSeen |= (plan.dataColumns >> column & 1u) && e > b;
        if (!(toCheck >> column & 1u)) continue;
        const FormPlan::Column& c = plannedColumn[column];
        const View value(line + b, e - b);

        QStringView text;
        if constexpr (std::is_same_v<Ch, char16_t>) {
            // A record handed in as text may hold CR LF pairs, which the
            // check removes first.
            if (holdsCrLf(value.data(), value.size())) {
                if (FieldRules::check(c.field, prepared(value), year).ok()) continue;
            } else if (FieldRules::check(c.field, value, year).ok()) {
                continue;
            }
            text = QStringView(line + b, e - b);
        } else {
            // The rules decide on ASCII characters alone, so a line's bytes
            // have the verdict of their text, and the rule writes their
            // value back in the form it writes their text.
            const FieldRules::Verdict verdict = c.rule(value, year);
            if (verdict.ok()) continue;
            if (values != Values::Text) {
                Finding f;
                f.field = c.field;
                f.code = verdict.code;
                f.severity = verdict.severity;
                f.column = qint32(column);
                if (values == Values::Bytes) {
                    f.bytes = true;
                    FieldRules::check(c.field, value, year, &f.written);
                    if (!f.written.rewritten) f.asItStands = QByteArrayView(value);
                }
                out.push_back(std::move(f));
                continue;
            }
            ReportFile::decode(QByteArrayView(line + b, e - b), decoded);
            text = decoded;
        }
        Finding f = fieldFinding(c.field, text, year);
        f.column = qint32(column);
        if (f.code != valcOK) out.push_back(std::move(f));
    }

    if (plan.formType == zfotForm26A) return; // no no-data rule
    if (noData == dataSeen) {
        Finding f;
        f.field = zrfDataFields;
        if (values != Values::None) f.value = QString::number(recordNumber);
        f.code = noData ? valcNotEmpty : valcEmpty;
        f.severity = kvesCritical;
        out.push_back(std::move(f));
    }
}

ErrorSeverity severityOf(const Findings& findings) {
    qint32 severity = kvesOK;
    for (const Finding& f : findings) severity = qMax(severity, f.severity);
    return ErrorSeverity(severity);
}

// ---------------------------------------------------------------------------
// Whole-file checks

// The separator of a file's first record, decided as GetColumnStructure
// decides it (the first of "|", "," and tab that gives four fields) but on
// the line's bytes, so that a long first line is not copied to find it.
ValidationResultPtr checkFieldSeparator(QByteArrayView line, Pieces& pieces) {
    QString delimiter;
    for (const QString* candidate : {&kPipe, &kComma, &kTab}) {
        splitBytes(line, char(candidate->front().unicode()), pieces);
        if (fieldCount(pieces) < 4) continue;
        delimiter = *candidate;
        break;
    }
    qint32 code = valcOK, severity = kvesOK;
    if (delimiter.isEmpty()) {
        code = valcEmpty;
        severity = kvesTerminal;
    } else if (delimiter != kPipe) {
        code = valcInvalidValue;
        severity = kvesWarning;
    }
    ValidationResultPtr finding = modGlobals::New_ValidationResult(zrfFileDelimiter, -1, delimiter, code, severity);
    if (delimiter == kTab)
        detail::ResultAccess::setMessage(*finding,
                                         ValidationTables::message(zrfFileDelimiter, code, QStringLiteral("[tab]")));
    return finding;
}

ValidationResultPtr checkFileName(const QString& path, qint32 formType) {
    const QString prefix = ZelReport::Prefix(formType);
    const QString name = Globals::FSO().GetFileName(path);
    const bool wrong = name.left(1).compare(prefix, Qt::CaseInsensitive) != 0;
    ValidationResultPtr finding = modGlobals::New_ValidationResult(
        zrfFilePrefix, -1, name, wrong ? valcInvalidValue : valcOK, wrong ? kvesCritical : kvesOK);
    if (wrong)
        detail::ResultAccess::setMessage(
            *finding, QStringLiteral("File name '") + name + QStringLiteral("' should begin with '") + prefix +
                          QStringLiteral("' for ") + Globals::GetFormName(formType, true) + QStringLiteral("."));
    return finding;
}

// The plan of each form with a layout, made once.
const FormPlan& planOf(qint32 formType) {
    static const std::array<FormPlan, 4> plans = {FormPlan(zfotForm26), FormPlan(zfotForm26A), FormPlan(zfotForm27),
                                                  FormPlan(zfotForm25)};
    for (const FormPlan& plan : plans)
        if (plan.formType == formType) return plan;
    static const FormPlan none(zfotNone);
    return none;
}

// Appends text in the report code page; text of a file run's record always
// fits it, and only a character that does not is reported.
void appendEncoded(QByteArray& out, const QString& text) {
    const qsizetype at = out.size(), n = text.size();
    out.resize(at + n);
    const char16_t* src = reinterpret_cast<const char16_t*>(text.constData());
    char* dst = out.data() + at;
    char16_t all = 0;
    for (qsizetype i = 0; i < n; ++i) {
        all |= src[i];
        dst[i] = char(src[i]);
    }
    if (all < 0x80) return;
    out.resize(at);
    out += Cp1252::encodeOrRaise(text, QStringLiteral("Vezedad:RecordValidationResult.ToString"));
}

// A field's display name in the report code page, made once per field.
const QByteArray& fieldNameBytes(qint32 fieldId) {
    static const std::array<QByteArray, 64> names = [] {
        std::array<QByteArray, 64> all;
        for (size_t id = 0; id < all.size(); ++id)
            all[id] = Cp1252::encodeOrRaise(ValidationTables::fieldName(qint32(id)), QString());
        return all;
    }();
    static thread_local QByteArray other;
    if (fieldId >= 0 && size_t(fieldId) < names.size()) return names[size_t(fieldId)];
    other = Cp1252::encodeOrRaise(ValidationTables::fieldName(fieldId), QString());
    return other;
}

// The message table's text for a field and code in the report code page, cut
// where the value goes, made once per pair on each thread that asks.
const QList<QByteArray>& messagePieces(qint32 fieldId, qint32 code) {
    static thread_local QHash<quint64, QList<QByteArray>> pieces;
    const quint64 key = quint64(quint32(fieldId)) << 32 | quint32(code);
    auto it = pieces.constFind(key);
    if (it == pieces.constEnd()) {
        static const QString placeholder = QStringLiteral("{Value}");
        const QByteArray text = Cp1252::encodeOrRaise(ValidationTables::message(fieldId, code, placeholder), QString());
        qsizetype from = 0;
        QList<QByteArray> cut;
        for (qsizetype at; (at = text.indexOf("{Value}", from)) >= 0; from = at + 7)
            cut.append(text.mid(from, at - from));
        cut.append(text.mid(from));
        it = pieces.insert(key, cut);
    }
    return *it;
}

} // namespace

// ---------------------------------------------------------------------------
// Compact records read back

namespace detail {

namespace {
// The findings of a line a file run kept compactly, checked again as the run
// checked it: the same bytes, separator, form and report year give the same
// findings. Only the columns that failed are checked again.
void recheck(QByteArrayView cleaned, qint32 recordNumber, quint32 failedColumns, ReportSource& source,
             Findings& findings, Values values) {
    Pieces pieces;
    findings.clear();
    splitBytes(cleaned, source.delimiter(), pieces);
    walkRecord(reinterpret_cast<const uchar*>(cleaned.data()), pieces, planOf(source.formType()), recordNumber,
               source.year(), findings, failedColumns, values);
}
} // namespace

RecordValidationResultPtr recheckRecord(QByteArrayView cleaned, qint32 recordNumber, quint32 failedColumns,
                                        ReportSource& source) {
    static thread_local Findings findings;
    recheck(cleaned, recordNumber, failedColumns, source, findings, Values::Text);
    const RecordValidationResultPtr record = modGlobals::New_RecordValidationResult(recordNumber, QString());
    ResultAccess::setRecordBytes(*record, cleaned);
    for (const Finding& f : findings) record->Add(resultOf(f, recordNumber));
    return record;
}

void appendRecheckedText(QByteArrayView cleaned, qint32 recordNumber, quint32 failedColumns, ReportSource& source,
                         TextOut& out) {
    // Reused from record to record: a report of a million records makes
    // their texts without a fresh allocation for each.
    static thread_local Findings findings;
    static thread_local QByteArray value;
    recheck(cleaned, recordNumber, failedColumns, source, findings, Values::Bytes);
    if (severityOf(findings) == kvesOK) return;
    // RecordValidationResult::ToString, written straight into bytes.
    if (recordNumber > 0) {
        out += "Line ";
        out += qint64(recordNumber);
        out += ": ";
        out += cleaned;
        out += "\r\n";
    }
    for (const TextPart& group : kTextParts) {
        bool headed = false;
        for (const Finding& f : findings) {
            if (f.severity < group.lowest || f.severity > group.highest) continue;
            if (!headed) out += group.heading;
            headed = true;
            out += f.severity == kvesWarning ? "Warning: " : "Error:   ";
            out += fieldNameBytes(f.field);
            out += " = '";
            QByteArrayView shown;
            if (f.bytes) {
                shown = f.valueBytes();
            } else {
                value.resize(0);
                appendEncoded(value, f.value);
                shown = value;
            }
            out += shown;
            out += "': ";
            if (f.message.isNull()) {
                const QList<QByteArray>& pieces = messagePieces(f.field, f.code);
                for (qsizetype k = 0; k < pieces.size(); ++k) {
                    if (k) out += shown;
                    out += pieces[k];
                }
            } else {
                appendEncoded(out.bytes(), f.message);
                out.full();
            }
            out += "\r\n";
        }
    }
    // A value written back from a line of megabytes is not kept past its
    // record.
    findings.clear();
}

} // namespace detail

namespace {} // namespace

// ---------------------------------------------------------------------------
// Validator

Vezedad::Validator& Globals::Validator() {
    return perThreadService<Vezedad::Validator>(modGlobals::services(), modGlobals::slotValidator, [] {
        return std::unique_ptr<Vezedad::Validator>(new Vezedad::Validator);
    });
}

Validator::Validator() = default;

Validator::~Validator() = default;

Validator::RecordListener Validator::setRecordListener(RecordListener listener) {
    return std::exchange(m_recordListener, std::move(listener));
}

const RecordLayout& Validator::Layout(qint32 formType) { return ValidationTables::layout(formType); }

ColumnCountRange Validator::ExpectedColumnCount(qint32 formType) const {
    const RecordLayout& layout = ValidationTables::layout(formType);
    if (layout.FormType == zfotNone)
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errInvalidProcedureCall),
                        QStringLiteral("Form Type ") + QString::number(formType) +
                            QStringLiteral(" is not supported for this operation."),
                        QStringLiteral("Vezedad:Validator.ExpectedColumnCount"));
    return layout.Counts;
}

QString Validator::ExpectedColumns(qint32 formType) const { return ValidationTables::expectedColumns(formType); }

QString Validator::FieldName(qint32 fieldId) const { return ValidationTables::fieldName(fieldId); }

QString Validator::ValidationMessage(qint32 fieldId, qint32 lngCode, const QString& strValue) const {
    return ValidationTables::message(fieldId, lngCode, strValue);
}

ColumnStructure Validator::GetColumnStructure(const QString& strLine) const {
    ColumnStructure structure;
    for (const QString* delimiter : {&kPipe, &kComma, &kTab}) {
        const bool closed = strLine.endsWith(*delimiter);
        const qsizetype count = strLine.count(*delimiter) + (closed ? 0 : 1);
        if (count < 4) continue;
        structure.ColumnCount = qint16(qMin<qsizetype>(count, std::numeric_limits<qint16>::max()));
        structure.Delimiter = *delimiter;
        // Every field, then the empty element that always ends the array.
        structure.Contents = strLine.split(*delimiter);
        if (!closed) structure.Contents.append(QString());
        return structure;
    }
    structure.Contents.append(strLine);
    return structure;
}

ValidationResultPtr Validator::ValidateField(qint32 fieldId, const QString& strValue, qint32 lngRecordNumber) {
    FieldRules::YearSource year;
    return resultOf(fieldFinding(fieldId, strValue, year), lngRecordNumber);
}

qint32 Validator::CheckField(qint32 fieldId, QStringView strValue, qint32& severity, QString* normalised) {
    if (normalised) *normalised = QString();
    QStringView value = strValue;
    if (!value.isEmpty() && (value.front() == u' ' || value.back() == u' ')) value = trimBlanks(value);
    QString held;
    // Most values are short; a long one is searched by the library.
    bool carriageReturn = false;
    if (value.size() > 64)
        carriageReturn = value.contains(u'\r');
    else
        for (const QChar c : value) carriageReturn |= c == u'\r';
    if (carriageReturn && value.contains(QLatin1String("\r\n"))) {
        held = prepared(strValue);
        value = held;
    }
    FieldRules::YearSource year;
    const FieldRules::Verdict verdict = FieldRules::check(fieldId, value, year);
    severity = verdict.severity;
    if (normalised && verdict.ok()) {
        if (FieldRules::mayRewrite(fieldId, value)) {
            QString written;
            FieldRules::check(fieldId, value, year, &written);
            if (written != strValue) *normalised = written;
        } else if (value.size() != strValue.size()) {
            *normalised = value.toString();
        }
    }
    return verdict.code;
}

ValidationResultPtr Validator::CheckColumnCount(const QString& strRecord, QString& strDelimiter, qint32 lngRecordNumber,
                                                qint32 lngFormType) {
    if (strDelimiter.isEmpty()) strDelimiter = kPipe;
    ExpectedColumnCount(lngFormType);
    Pieces pieces;
    splitText(strRecord, strDelimiter, pieces);
    return resultOf(columnCountFinding(fieldCount(pieces), lngRecordNumber, lngFormType), lngRecordNumber);
}

ValidationResultPtr Validator::CheckColumnCount(const QString& strRecord, const QString& strDelimiter,
                                                qint32 lngRecordNumber, qint32 lngFormType) {
    QString delimiter = strDelimiter;
    return CheckColumnCount(strRecord, delimiter, lngRecordNumber, lngFormType);
}

RecordValidationResultPtr Validator::ValidateRecord(const QString& strRecord, QString& strDelimiter,
                                                    qint32 lngRecordNumber, qint32 lngFormType) {
    if (strDelimiter.isEmpty()) strDelimiter = kPipe;
    ExpectedColumnCount(lngFormType);
    const RecordValidationResultPtr record = modGlobals::New_RecordValidationResult(lngRecordNumber, strRecord);
    Pieces pieces;
    splitText(strRecord, strDelimiter, pieces);
    FieldRules::YearSource year;
    Findings findings;
    walkRecord(reinterpret_cast<const char16_t*>(strRecord.constData()), pieces, FormPlan(lngFormType), lngRecordNumber,
               year, findings);
    for (const Finding& f : findings) record->Add(resultOf(f, lngRecordNumber));
    return record;
}

RecordValidationResultPtr Validator::ValidateRecord(const QString& strRecord, const QString& strDelimiter,
                                                    qint32 lngRecordNumber, qint32 lngFormType) {
    QString delimiter = strDelimiter;
    return ValidateRecord(strRecord, delimiter, lngRecordNumber, lngFormType);
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

    // A line that cannot be held ends the run with "Out of memory", which
    // every caller shows; the run's memory is given back first.
    const auto run = [&]() -> FileValidationResultPtr {
        const FileValidationResultPtr fileResult = modGlobals::New_FileValidationResult();
        const RecordValidationResultPtr wholeFile = modGlobals::New_RecordValidationResult(WholeFileKey(), QString());
        const ValidationResultPtr name = checkFileName(strFilePath, lngFormType);
        if (!name->IsValid()) wholeFile->Add(name);

        QFile file;
        fso.OpenForReading(file, strFilePath, QIODevice::Unbuffered);
        // Records whose findings are all warnings are kept as their place in the
        // file and checked again when asked for, with what the run knew: the
        // source keeps the run's separator and report year.
        const auto reportSource = std::make_shared<detail::ReportSource>(
            QFileInfo(strFilePath).absoluteFilePath(), lngFormType, file.size(),
            file.fileTime(QFileDevice::FileModificationTime).toMSecsSinceEpoch());
        detail::ResultAccess::setSource(*fileResult, reportSource);
        FieldRules::YearSource& year = reportSource->year();
        ReportFile::LineReader reader(file);

        // A listener that does nothing should cost nothing: without one the
        // event is not raised at all.
        const bool announce = isSignalConnected(QMetaMethod::fromSignal(&Validator::RecordValidated));
        const RecordListener listener = m_recordListener;
        const FormPlan& plan = planOf(lngFormType);
        qint32 recordNumber = 0;
        bool cancel = false;
        char delimiter = 0;
        QByteArray scratch;
        Pieces pieces;
        Findings findings;
        ReportFile::LineReader::Line line;
        while (reader.next(line)) {
            const qint32 recordLength = qint32(qMin<qint64>(line.bytes.size() + 2, std::numeric_limits<qint32>::max()));
            // A line is split as it stands, its blanks at both ends left out,
            // unless it holds a double quote (or comes before the separator
            // is known): its quotes are dropped first, then the blanks.
            QByteArrayView cleaned = trimBlanks(line.bytes);
            const bool split = delimiter != 0 && !splitBytes(cleaned, delimiter, pieces);
            if (!split) cleaned = ReportLines::cleanLine(line.bytes, scratch);
            if (cleaned.isEmpty()) continue;
            ++recordNumber;

            if (recordNumber == 1) {
                // The separator of the whole run; every one it can be is one byte.
                const ValidationResultPtr separator = checkFieldSeparator(cleaned, pieces);
                if (!separator->IsValid()) wholeFile->Add(separator);
                if (separator->Severity() == kvesTerminal) break;
                delimiter = char(separator->Value().front().unicode());
                reportSource->setDelimiter(delimiter);
            }

            findings.clear();
            if (!split) splitBytes(cleaned, delimiter, pieces);
            walkRecord(reinterpret_cast<const uchar*>(cleaned.data()), pieces, plan, recordNumber, year, findings, ~0u,
                       Values::None);
            if (announce || listener) {
                // The handler gets copies of the figures: only Cancel is its to set.
                qint32 number = recordNumber, length = recordLength, errors = qint32(findings.size());
                if (announce) Q_EMIT RecordValidated(number, length, errors, cancel);
                if (listener) listener(number, length, errors, cancel);
            }

            if (!findings.empty()) {
                const ErrorSeverity severity = severityOf(findings);
                quint32 failedColumns = 0;
                for (const Finding& f : findings)
                    if (f.column >= 0) failedColumns |= 1u << f.column;
                // A record is made into objects only when asked for: a run of a
                // hundred thousand invalid records keeps 24 bytes each, where
                // their objects took some four hundred.
                if (!detail::ResultAccess::keepCompact(*fileResult, recordNumber, line.offset, line.bytes,
                                                       failedColumns, severity)) {
                    const RecordValidationResultPtr record =
                        modGlobals::New_RecordValidationResult(recordNumber, QString());
                    // The line's own bytes: the same text in half the room.
                    detail::ResultAccess::setRecordBytes(*record, cleaned);
                    Findings whole;
                    walkRecord(reinterpret_cast<const uchar*>(cleaned.data()), pieces, plan, recordNumber, year, whole);
                    for (const Finding& f : whole) record->Add(resultOf(f, recordNumber));
                    fileResult->Add(record);
                }
                ValidationResultPtr stop;
                if (severity == kvesTerminal) {
                    stop = modGlobals::New_ValidationResult(zrfErrorCount, -1, QString::number(recordNumber),
                                                            valcTerminalError, kvesTerminal);
                } else if ((severity == kvesSerious || severity == kvesCritical) && lngMaxErrors > 0 &&
                           fileResult->ErrorCount() >= lngMaxErrors) {
                    stop = modGlobals::New_ValidationResult(
                        zrfErrorCount, -1, QString::number(fileResult->ErrorCount()), valcTooManyErrors, kvesTerminal);
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

        detail::ResultAccess::setRecordCount(*fileResult, recordNumber);
        if (!wholeFile->IsValid()) fileResult->Add(wholeFile);
        return fileResult;
    };
    try {
        return run();
    } catch (const std::bad_alloc&) {
        raiseRuntimeError(rtOutOfMemory, source);
    }
}

} // namespace Vezedad
