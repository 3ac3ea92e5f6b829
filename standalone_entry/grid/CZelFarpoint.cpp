#include "grid/CZelFarpoint.h"

#include "grid/GridClipboard.h"
#include "grid/ReportGrid.h"
#include "grid/TextScan.h"
#include "grid/frmExitOptions.h"
#include "grid/frmPrintPreview.h"
#include "modGlobals.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Text.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/FieldRules.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/ProgressForm.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMetaMethod>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace Dazozuvi {

namespace {

const QString kCheckTitle = QStringLiteral("ZOV zAzeru Data Validation");
constexpr char16_t kDitto = u'"';

// The value a cell is checked with: its text upper-cased (as the code page
// has it) and without blanks at its ends. Most cells are already in that
// form: they are then their own value, and nothing is copied.
QStringView checkedValue(QStringView text, QString& out) {
    const char16_t* src = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype n = text.size();
    while (n > 0 && src[n - 1] == u' ') --n;
    while (n > 0 && src[0] == u' ') ++src, --n;
    const QStringView trimmed(src, n);
    bool changes = false;
    for (qsizetype i = 0; i < n; ++i) changes |= char16_t(src[i] - u'a') < 26 || src[i] >= 0x80;
    if (!changes) return trimmed;
    if (out.size() < n) out.resize(n);
    char16_t* p = reinterpret_cast<char16_t*>(out.data());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        p[i] = c < 0x80 ? (char16_t(c - u'a') < 26 ? char16_t(c - 32) : c) : Vezedad::Cp1252::upperChar(c);
    }
    return QStringView(p, n);
}

// While it lives the grid shows what it showed; on every way out it paints
// again.
class RepaintSuspension {
public:
    explicit RepaintSuspension(ReportGrid& grid) : m_grid(grid), m_was(grid.isRepaintSuspended()) {
        m_grid.setRepaintSuspended(true);
    }
    ~RepaintSuspension() { m_grid.setRepaintSuspended(m_was); }
    RepaintSuspension(const RepaintSuspension&) = delete;
    RepaintSuspension& operator=(const RepaintSuspension&) = delete;

private:
    ReportGrid& m_grid;
    bool m_was;
};

// The word of the form's activity in the feedback texts.
QString activityWord(qint32 formType) {
    switch (formType) {
    case Vezedad::zfotForm26: return QStringLiteral("Applications");
    case Vezedad::zfotForm27:
    case Vezedad::zfotForm25: return QStringLiteral("Sales");
    default: return QStringLiteral("Activity");
    }
}

} // namespace

// What the form and the validator said of one cell. A valid value whose
// stored form differs from it has that form in m_normalised.
struct CZelFarpoint::Verdict {
    bool checked = true;     // false: a column that is never checked or coloured
    bool valid = true;       // the cell's verdict
    bool rewritten = false;  // m_normalised holds the stored form
    bool keepsValue = false; // the form's own verdict: the cell's text stays as it is
    qint32 severity = 0;     // of an invalid value
};

// The values of a column checked lately in a pass, and their verdicts: the
// filer's ids or permit number stand in every row of a report, and names,
// products and places come back again and again. The value of the row
// above is tried first, then a small table by the value's hash; a column
// whose values seldom come back (ids, quantities) soon stops looking there.
struct CZelFarpoint::ColumnMemo {
    static constexpr qsizetype Longest = 24;
    static constexpr int Slots = 64;
    // Lookups in the table before it is judged, and the share of them that
    // must have found their value for it to be kept.
    static constexpr quint32 Trial = 1024;
    static constexpr quint32 TrialFound = Trial / 4;

    struct Known {
        char16_t value[Longest];
        qsizetype size = -1; // none
        Verdict verdict;
        QString normalised; // when the verdict rewrote the value

        bool holds(QStringView v) const {
            return size == v.size() && std::equal(value, value + size, reinterpret_cast<const char16_t*>(v.utf16()));
        }
    };
    Known known[Slots];
    int last = 0;      // the slot of the row above's value
    int slot = 0;      // where the value looked for last goes
    quint32 asked = 0; // lookups in the table during its trial
    quint32 found = 0; // of which found their value
    bool useTable = true;

    static int slotOf(QStringView v) {
        // The first and last four characters and the length: enough to part
        // the values of a column, and no loop over each character.
        const auto* p = reinterpret_cast<const char16_t*>(v.utf16());
        const qsizetype n = v.size();
        quint64 head = 0, tail = 0;
        if (n >= 4) {
            std::memcpy(&head, p, sizeof head);
            std::memcpy(&tail, p + n - 4, sizeof tail);
        } else {
            for (qsizetype i = 0; i < n; ++i) head = head << 16 | p[i];
        }
        const quint64 h = head * 0x9E3779B97F4A7C15ull ^ (tail + quint64(n)) * 0xC2B2AE3D27D4EB4Full;
        return int(h >> 58); // 64 slots
    }

    // The verdict known for v, or null; then keep() files v's verdict.
    const Known* find(QStringView v) {
        if (known[last].holds(v)) return &known[last];
        slot = 0;
        if (!useTable || v.size() > Longest) return nullptr;
        slot = slotOf(v);
        const bool hit = known[slot].holds(v);
        if (asked < Trial) {
            ++asked;
            found += hit;
            if (asked == Trial && found < TrialFound) useTable = false;
        }
        if (!hit) return nullptr;
        last = slot;
        return &known[slot];
    }

    void keep(QStringView v, const Verdict& verdict, const QString& normalised) {
        Known& k = known[slot];
        k.size = v.size() <= Longest ? v.size() : -1;
        if (k.size >= 0) std::copy_n(reinterpret_cast<const char16_t*>(v.utf16()), k.size, k.value);
        k.verdict = verdict;
        if (verdict.rewritten) k.normalised = normalised;
        last = slot;
    }
};

CZelFarpoint::CZelFarpoint() {
    if (!modGlobals::InFactory())
        throw Vezedad::ErrorInfo(Vezedad::errFactoryMethodNotUsed,
                                 QStringLiteral("Client code did not call factory method for CZelFarpoint"),
                                 QStringLiteral("Dazozuvi::CZelFarpoint"));
}

CZelFarpoint::~CZelFarpoint() {
    if (m_loading && m_grid) m_grid->endBulkUpdate();
}

void CZelFarpoint::Init(qint32 formType, ReportGrid& grid) {
    m_formType = formType;
    m_grid = &grid;
}

ReportGrid& CZelFarpoint::boundGrid() const {
    if (!m_grid) Vezedad::raiseRuntimeError(Vezedad::rtObjectNotSet, QStringLiteral("Dazozuvi::CZelFarpoint"));
    return *m_grid;
}

void CZelFarpoint::endLoad() {
    if (!m_loading) return;
    m_loading = false;
    if (m_grid) m_grid->endBulkUpdate();
}

void CZelFarpoint::CommitEdit() {
    endLoad();
    if (boundGrid().isEditing()) boundGrid().endEdit(true);
}

void CZelFarpoint::setIsDirty(bool blnIsDirty) {
    // The form clears the flag when a whole file is in: its rows reach the
    // view now.
    endLoad();
    m_dirty = blnIsDirty;
}

// ---- checking ------------------------------------------------------------

// Whether Validating has a listener: asked once per row, so that a signal
// nobody hears is not raised fourteen times a row.
bool CZelFarpoint::heard() const {
    static const QMetaMethod validating = QMetaMethod::fromSignal(&CZelFarpoint::Validating);
    return isSignalConnected(validating);
}

CZelFarpoint::Answer CZelFarpoint::ask(qint32 row, qint32 col, QStringView value, bool heard) {
    Answer answer;
    if (m_answer) m_answer(row, col, value, answer.check, answer.fieldId, answer.result);
    if (heard) emit Validating(row, col, value, answer.check, answer.fieldId, answer.result);
    return answer;
}

CZelFarpoint::Verdict CZelFarpoint::check(qint32 row, qint32 col, QStringView value, bool withMessage,
                                          Vezedad::Validator& validator, bool heard) {
    return judge(ask(row, col, value, heard), value, withMessage, row, validator);
}

CZelFarpoint::Verdict CZelFarpoint::judge(const Answer& answer, QStringView value, bool withMessage, qint32 row,
                                          Vezedad::Validator& validator) {
    const bool blnCheck = answer.check;
    const qint32 lngFieldId = answer.fieldId;
    const bool blnResult = answer.result;
    Verdict verdict;
    if (lngFieldId < 0) {
        verdict.checked = false;
        return verdict;
    }
    if (!blnCheck) {
        verdict.valid = blnResult;
        verdict.severity = blnResult ? 0 : Vezedad::kvesSerious;
        verdict.keepsValue = true;
        return verdict;
    }
    if (value.size() == 1 && value.front() == kDitto) {
        verdict.valid = false;
        verdict.severity = Vezedad::kvesSerious;
        if (withMessage)
            Vezedad::Ui::MsgBox(QStringLiteral("Must enter data in cell, not just a 'ditto' mark."),
                                Vezedad::Ui::vbOKOnly, kCheckTitle, m_grid);
        return verdict;
    }
    if (withMessage) {
        const Vezedad::ValidationResultPtr result = validator.ValidateField(lngFieldId, value.toString(), row);
        verdict.valid = result->IsValid();
        verdict.severity = result->Severity();
        if (verdict.valid) {
            m_normalised = result->Value();
            verdict.rewritten = m_normalised != value;
        } else {
            Vezedad::Ui::MsgBox(result->Message(), Vezedad::Ui::vbOKOnly, kCheckTitle, m_grid);
        }
        return verdict;
    }
    verdict.valid = validator.CheckField(lngFieldId, value, verdict.severity, &m_normalised) == Vezedad::valcOK;
    verdict.rewritten = !m_normalised.isNull();
    return verdict;
}

// The colour a checked cell takes; PackedRows::KeepColour for a column that
// is never checked.
quint32 CZelFarpoint::colourOf(const Verdict& verdict) {
    if (!verdict.checked) return PackedRows::KeepColour;
    if (verdict.valid) return ColourValid;
    return verdict.severity == Vezedad::kvesWarning ? ColourWarning : ColourInvalid;
}

// Whether a valid value is to be written back in its stored form, that is
// when that differs from the cell's text: the value itself unless the rule
// wrote another; stored receives it.
bool CZelFarpoint::storesOther(const Verdict& verdict, QStringView value, QStringView cellText,
                               QStringView& stored) const {
    if (!verdict.checked || !verdict.valid || verdict.keepsValue) return false;
    stored = verdict.rewritten ? QStringView(m_normalised) : value;
    // Most values are the cell's text itself, not a copy of it.
    const bool same = stored.data() == cellText.data() && stored.size() == cellText.size();
    return !same && stored != cellText;
}

void CZelFarpoint::writeBack(GridModel& model, qint32 row, qint32 col, const Verdict& verdict, QStringView value,
                             QStringView cellText) {
    QStringView stored;
    if (!storesOther(verdict, value, cellText, stored)) return;
    model.setText(row - 1, col - 1, stored);
    m_dirty = true;
}

bool CZelFarpoint::ValidateCell(qint32 lngRow, qint32 lngCol, bool blnShowMsg) {
    endLoad();
    ReportGrid& g = boundGrid();
    // The cell is addressed, not made the active cell: the cursor stays.
    const QString text = g.text(lngCol, lngRow);
    const QStringView value = checkedValue(text, m_value);
    const Verdict verdict = check(lngRow, lngCol, value, blnShowMsg, Vezedad::Globals::Validator(), heard());
    if (verdict.checked && lngRow >= 1 && lngCol >= 1 && lngRow <= g.rowCount() && lngCol <= g.columnCount()) {
        g.gridModel().setColour(lngRow - 1, lngCol - 1, colourOf(verdict));
        writeBack(g.gridModel(), lngRow, lngCol, verdict, value, text);
    }
    return !verdict.checked || verdict.valid;
}

// Checks every column of a row without messages and returns the number of
// invalid cells. The row is read once, its cells addressed directly.
namespace {
void releaseLarge(QString& scratch) {
    if (scratch.capacity() > (1 << 20)) scratch = QString();
}
} // namespace

int CZelFarpoint::ValidateRow(qint32 row) { return ValidateRow(row, Vezedad::Globals::Validator(), heard()); }

int CZelFarpoint::ValidateRow(qint32 row, Vezedad::Validator& validator, bool listened, bool pass) {
    GridModel& model = boundGrid().gridModel();
    const int columns = model.store().columnCount();
    // An answer that depends on the column (and on an empty value) alone is
    // asked once for each.
    const bool byColumn = m_answerByColumn && !listened;
    if (byColumn && m_columnAnswers.size() != 2 * columns) {
        m_columnAnswers.resize(2 * columns);
        for (int c = 0; c < columns; ++c) {
            m_columnAnswers[2 * c] = ask(row, c + 1, QStringView(), false);
            m_columnAnswers[2 * c + 1] = ask(row, c + 1, u"0", false);
        }
        for (Answer& answer : m_columnAnswers) {
            answer.rule = Vezedad::FieldRules::byteRule(answer.fieldId);
            answer.rewrite = Vezedad::FieldRules::byteRewrite(answer.fieldId);
        }
    }
    // In a pass, a value checked lately in its column has the verdict it had
    // then (the answer is the column's, the report year the pass's).
    const bool memo = pass && byColumn;
    if (memo) {
        int errors = 0;
        if (ValidateRowBytes(row, columns, errors)) return errors;
    }
    model.rowCells(row - 1, m_rowBuffer, m_rowCells);
    // The cells lie one after the other in the row's buffer: an ASCII row is
    // upper-cased in one pass and each value is a view into that.
    qsizetype length = 0;
    for (const QStringView cell : m_rowCells) length += cell.size();
    const char16_t* rowText = reinterpret_cast<const char16_t*>(m_rowBuffer.constData());
    // A loaded row is upper case already: its values are then views into the
    // cells themselves, which a value that stays as it is need not be
    // compared with, and no upper-case copy of the row is made.
    const bool upperAlready = TextScan::isUpperAscii(rowText, length);
    bool ascii = true;
    const char16_t* values = rowText;
    if (!upperAlready) {
        if (m_rowUpper.size() < length) m_rowUpper.resize(length);
        char16_t* rowUpper = reinterpret_cast<char16_t*>(m_rowUpper.data());
        ascii = length == 0 || TextScan::upperAscii(rowText, rowUpper, length) < 0x80;
        values = rowUpper;
    }
    if (memo && m_memo.size() != size_t(columns)) m_memo.assign(size_t(columns), ColumnMemo());
    QVarLengthArray<quint32, 32> colours(columns);
    // The values written back go into the row in one step at its end: a row
    // whose names are upper-cased is built once, not once a cell. Each is
    // kept in m_rowWritten at its offset (-1: the cell stays).
    struct Written {
        qsizetype at = -1, size = 0;
    };
    QVarLengthArray<Written, 32> written(columns);
    if (!m_rowWritten.isEmpty()) m_rowWritten.resize(0);
    bool anyWritten = false;
    int errors = 0;
    for (int c = 0; c < columns; ++c) {
        const QStringView cellText = m_rowCells[c];
        QStringView value;
        if (!ascii) {
            value = checkedValue(cellText, m_value);
        } else if (!cellText.isEmpty()) {
            const char16_t* p = values + (reinterpret_cast<const char16_t*>(cellText.utf16()) - rowText);
            value = Vezedad::trimBlanks(QStringView(p, cellText.size()));
        }
        Verdict verdict;
        ColumnMemo* known = memo ? &m_memo[size_t(c)] : nullptr;
        if (const ColumnMemo::Known* seen = known ? known->find(value) : nullptr) {
            verdict = seen->verdict;
            if (verdict.rewritten) m_normalised = seen->normalised;
        } else {
            verdict = judge(byColumn ? m_columnAnswers[2 * c + !value.isEmpty()] : ask(row, c + 1, value, listened),
                            value, false, row, validator);
            if (known) known->keep(value, verdict, m_normalised);
        }
        colours[c] = colourOf(verdict);
        QStringView stored;
        written[c] = Written();
        if (storesOther(verdict, value, cellText, stored)) {
            written[c] = {m_rowWritten.size(), stored.size()};
            m_rowWritten.append(stored);
            anyWritten = true;
        }
        if (verdict.checked && !verdict.valid) ++errors;
    }
    if (anyWritten) {
        QVarLengthArray<QStringView, 32> cells(columns);
        for (int c = 0; c < columns; ++c)
            cells[c] =
                written[c].at < 0 ? m_rowCells[c] : QStringView(m_rowWritten).sliced(written[c].at, written[c].size);
        model.setCells(row - 1, 0, cells.constData(), columns);
        m_dirty = true;
    }
    model.setRowColours(row - 1, colours.constData(), columns);
    return errors;
}

bool CZelFarpoint::ValidateRowBytes(qint32 row, int columns, int& errors) {
    const uchar* text = nullptr;
    const uchar* lengths = nullptr;
    int held = 0;
    GridModel& model = boundGrid().gridModel();
    if (!model.store().narrowCells(row - 1, text, lengths, held)) return false;
    held = std::min(held, columns);
    qsizetype length = 0;
    for (int c = 0; c < held; ++c) length += lengths[c];
    // A value with a small letter, a byte beyond ASCII or a line break is
    // checked as text, which knows what the code page and the user meant.
    if (!TextScan::isPlainUpperAscii(text, length)) return false;
    QVarLengthArray<quint32, 32> colours(columns);
    // Nearly every row ends as it began, all of one colour: nothing to set.
    quint32 oneColour = PackedRows::KeepColour;
    bool severalColours = false;
    int found = 0;
    const uchar* cell = text;
    for (int c = 0; c < columns; ++c) {
        const qsizetype size = c < held ? lengths[c] : 0;
        const uchar* value = cell;
        cell += size;
        // Blanks around a valid value are written back without them.
        if (size > 0 && (value[0] == ' ' || value[size - 1] == ' ')) return false;
        // As judge() decides without a message. A rule of bytes costs less
        // than looking the value up among the column's recent ones.
        Verdict verdict;
        const Answer& answer = m_columnAnswers[2 * c + (size > 0)];
        if (answer.fieldId < 0) {
            verdict.checked = false;
        } else if (!answer.check) {
            verdict.valid = answer.result;
            verdict.severity = answer.result ? 0 : Vezedad::kvesSerious;
            verdict.keepsValue = true;
        } else if (size == 1 && value[0] == kDitto) {
            verdict.valid = false;
            verdict.severity = Vezedad::kvesSerious;
        } else {
            const QByteArrayView bytes(value, size);
            const Vezedad::FieldRules::Verdict rule = answer.rule(bytes, m_year);
            // A value its rule writes in another form goes back into the
            // row: the text's check does that.
            if (rule.ok() && answer.rewrite && answer.rewrite(bytes)) return false;
            verdict.valid = rule.ok();
            verdict.severity = rule.severity;
        }
        colours[c] = colourOf(verdict);
        if (colours[c] != PackedRows::KeepColour) {
            severalColours |= oneColour != PackedRows::KeepColour && colours[c] != oneColour;
            oneColour = colours[c];
        }
        if (verdict.checked && !verdict.valid) ++found;
    }
    if (severalColours || (oneColour != PackedRows::KeepColour && !model.store().allOfColour(row - 1, oneColour)))
        model.setRowColours(row - 1, colours.constData(), columns);
    errors = found;
    return true;
}

int CZelFarpoint::ValidateAllRows() {
    const int n = boundGrid().lastDataRow();
    if (n < 1) return 0;
    int errors = 0;
    // Every 100th row may report, and the first report comes at row 100;
    // later ones wait until the window has shown the last for a while: a
    // status line repainted thousands of times a second would cost more
    // than the check, and nobody could read it.
    QElapsedTimer sinceReport;
    sinceReport.start();
    Vezedad::Validator& validator = Vezedad::Globals::Validator();
    // Whether anyone else listens changes only while the window lets events
    // through: it is asked again after each report.
    bool listened = heard();
    m_memo.clear();
    m_year = Vezedad::FieldRules::YearSource();
    {
        GridModel::BulkUpdate bulk(boundGrid().gridModel());
        for (int r = 1; r <= n; ++r) {
            errors += ValidateRow(r, validator, listened, true);
            if (mProgress && r % ProgressStep == 0 &&
                (r == ProgressStep || sinceReport.elapsed() >= ReportIntervalMs)) {
                sinceReport.restart();
                const QString message = QStringLiteral("Checked ") + QString::number(r) +
                                        QStringLiteral(" rows. Found ") + QString::number(errors) +
                                        QStringLiteral(" error") + (errors == 1 ? QString() : QStringLiteral("s")) +
                                        QStringLiteral(" so far.");
                if (!mProgress->Update(message, float(r))) break;
                listened = heard();
                // Whatever ran meanwhile may have changed what a verdict
                // rests on.
                m_memo.clear();
                m_year = Vezedad::FieldRules::YearSource();
            }
        }
    }
    if (mProgress) mProgress->Finished();
    // A row of millions of characters leaves no copies of itself behind.
    releaseLarge(m_rowBuffer);
    releaseLarge(m_rowUpper);
    releaseLarge(m_rowWritten);
    m_memo.clear();
    m_year = Vezedad::FieldRules::YearSource();
    return errors;
}

void CZelFarpoint::mProgress_Execute() { m_errorCount = ValidateAllRows(); }

qint32 CZelFarpoint::ValidateForm(bool blnNoActivity) {
    return Vezedad::trapArrow(QStringLiteral("Dazozuvi::CZelFarpoint.ValidateForm"), [&]() -> qint32 {
        if (blnNoActivity) return 0;
        CommitEdit();
        const int n = boundGrid().lastDataRow();
        if (n == 0) return -1;
        if (n <= DirectCheckRows) return ValidateAllRows();
        mProgress = std::make_unique<ZozedizIZ::ProgressForm>();
        connect(mProgress.get(), &ZozedizIZ::ProgressForm::Execute, this, &CZelFarpoint::mProgress_Execute);
        m_errorCount = 0;
        struct Release {
            std::unique_ptr<ZozedizIZ::ProgressForm>& progress;
            ~Release() { progress.reset(); }
        } release{mProgress};
        mProgress->StartTracking(QStringLiteral("Validating data entry for ") + QString::number(n) +
                                     QStringLiteral(" rows"),
                                 float(n), true);
        return m_errorCount;
    });
}

void CZelFarpoint::ValidationFeedback(qint32 errorCount) {
    endLoad();
    QString text;
    qint32 icon = Vezedad::Ui::vbCritical;
    if (errorCount == 0 || (errorCount == -1 && m_formType == Vezedad::zfotForm26A)) {
        text = QStringLiteral("There were no errors.");
        icon = 0;
    } else if (errorCount == -1) {
        const QString w = activityWord(m_formType);
        text = QStringLiteral("No data has been entered and the 'No ") + w +
               QStringLiteral("' indicator is not selected.\r\nIf you wish to report no ") + w +
               QStringLiteral(", then select the 'No ") + w + QStringLiteral("' indicator.");
    } else if (errorCount == 1) {
        text = QStringLiteral("There was one error.");
    } else {
        text = QStringLiteral("There were ") + QString::number(errorCount) + QStringLiteral(" errors.");
    }
    Vezedad::Ui::MsgBox(text, Vezedad::Ui::vbOKOnly | icon, kCheckTitle, m_grid);
}

bool CZelFarpoint::HasData() const {
    const ReportGrid& g = boundGrid();
    const int rows = g.lastDataRow();
    const int columns = g.lastDataColumn();
    QString buffer;
    QVarLengthArray<QStringView, 32> cells;
    for (int r = 1; r <= rows; ++r) {
        g.rowCells(r, buffer, cells);
        for (int c = 0; c < columns && c < cells.size(); ++c)
            if (!Vezedad::trimBlanks(cells[c]).isEmpty()) return true;
    }
    return false;
}

// ---- loading -------------------------------------------------------------

void CZelFarpoint::LoadLine(QString& strLine, const QString& strSep, qint32 lngRow) {
    if (strLine.contains(u'"')) strLine.remove(u'"');
    if (strLine.startsWith(u' ') || strLine.endsWith(u' ')) strLine = Vezedad::trimBlanks(strLine).toString();
    LoadFields(strLine, strSep, lngRow);
}

int CZelFarpoint::LoadFields(QStringView fields, const QString& strSep, qint32 lngRow) {
    ReportGrid& g = boundGrid();
    const QString separator = strSep.isEmpty() ? QStringLiteral("|") : strSep;
    // A line's fields as the foundation's ParseString counts them: a
    // separator at the end closes the last field and starts none.
    if (fields.endsWith(separator)) fields.chop(separator.size());
    beginLoadRow(lngRow);
    return g.setRowFields(lngRow, 1, fields, separator);
}

int CZelFarpoint::LoadFieldsAscii(char* fields, qsizetype size, char separator, qint32 lngRow) {
    if (size > 0 && fields[size - 1] == separator) --size;
    beginLoadRow(lngRow);
    return boundGrid().setRowFieldsAscii(lngRow, 1, fields, size, separator);
}

void CZelFarpoint::beginLoadRow(qint32 lngRow) {
    ReportGrid& g = boundGrid();
    if (!m_loading) {
        // A file's records go in one after another: the view hears of them
        // as one change when control returns to the event loop, or before
        // any other member reads the grid.
        g.beginBulkUpdate();
        m_loading = true;
        QTimer::singleShot(0, this, [this] { endLoad(); });
    }
    if (g.rowCount() <= lngRow) g.setRowCount(lngRow + 5);
}

// ---- product pick list ---------------------------------------------------

void CZelFarpoint::FillEPAListBox(ReportGrid& lstEpaItems) {
    endLoad();
    const ZozedizIZ::EpaDataList& products = ZozedizIZ::Globals::EpaList();
    GridModel::BulkUpdate bulk(lstEpaItems.gridModel());
    lstEpaItems.setRowCount(products.Count());
    int row = 0;
    for (const ZozedizIZ::EpaDataItemPtr& item : products) {
        ++row;
        lstEpaItems.setText(1, row, item->EpaRegNumber());
        lstEpaItems.setText(2, row, item->ProductName());
    }
}

// ---- clipboard, clearing, inserting --------------------------------------

int CZelFarpoint::ClipboardRowCount() const { return GridClipboard::rowCount(QGuiApplication::clipboard()->text()); }

void CZelFarpoint::paste(bool insert) {
    CommitEdit();
    ReportGrid& g = boundGrid();
    const int n = ClipboardRowCount();
    if (n == 0) return;
    if (g.activeRow() < 1) g.setActiveCell(1, 1);
    const int a = std::max(g.activeRow(), 1);
    RepaintSuspension suspended(g);
    GridModel::BulkUpdate bulk(g.gridModel());
    if (g.rowCount() < g.lastDataRow() + n + 5) g.setRowCount(g.lastDataRow() + n + 5);
    if (insert) {
        // The active cell stays on row a, where the rows go.
        const int col = std::max(g.activeCol(), 1);
        g.insertRows(a, n);
        g.setActiveCell(col, a);
    }
    // The grid grows to hold every pasted row, wherever the active cell is.
    const int pasted = g.clipboardPaste();
    Vezedad::Validator& validator = Vezedad::Globals::Validator();
    const bool listened = heard();
    for (int r = a; r < a + pasted; ++r) ValidateRow(r, validator, listened);
    g.setRowCount(g.lastDataRow() + 5);
    m_dirty = true;
}

void CZelFarpoint::PasteInsert() { paste(true); }

void CZelFarpoint::PasteOverwrite() { paste(false); }

void CZelFarpoint::ClearRange() {
    CommitEdit();
    ReportGrid& g = boundGrid();
    const GridBlock block = g.firstSelectedBlock();
    GridModel::BulkUpdate bulk(g.gridModel());
    if (!block.isEmpty()) g.clearBlock(block);
    m_dirty = true;
    for (int r = block.row1; r <= block.row2; ++r) ValidateRow(r);
}

void CZelFarpoint::InsertRows() {
    CommitEdit();
    ReportGrid& g = boundGrid();
    const GridBlock block = g.firstSelectedBlock();
    const int n = block.rowCount();
    if (n > 0) {
        g.gridModel().growing([&] {
            if (g.rowCount() < g.lastDataRow() + n + 5) g.setRowCount(g.lastDataRow() + n + 5);
            g.insertRows(block.row2 + 1, n);
        });
    }
    m_dirty = true;
}

// ---- before a save or a close --------------------------------------------

qint32 CZelFarpoint::ShowExitOptions(bool blnShouldHaveData) {
    frmExitOptions dialog(m_grid ? m_grid->window() : nullptr);
    const bool hasData = HasData();
    dialog.setAllowSave(!blnShouldHaveData || hasData);
    dialog.setAllowValidate(blnShouldHaveData && hasData);
    return dialog.ShowDialog();
}

qint32 CZelFarpoint::PresaveForm(bool blnUnloading, bool blnShouldHaveData) {
    CommitEdit();
    qint32 action = Stay;
    if (blnUnloading) {
        action = ShowExitOptions(blnShouldHaveData);
    } else if (blnShouldHaveData) {
        if (HasData()) {
            switch (Vezedad::Ui::MsgBox(QStringLiteral("Would you like to validate your data before saving it?"),
                                        Vezedad::Ui::vbYesNoCancel | Vezedad::Ui::vbQuestion,
                                        QStringLiteral("Validate Date?"), m_grid)) {
            case Vezedad::Ui::vbYes: action = ValidateAndSave; break;
            case Vezedad::Ui::vbNo: action = Save; break;
            default: action = Stay; break;
            }
        } else {
            Vezedad::Ui::MsgBox(QStringLiteral("The data form is empty, so there is nothing to save."),
                                Vezedad::Ui::vbOKOnly, QString(), m_grid);
            action = Stay;
        }
    } else {
        action = Save;
    }
    if (action == ValidateAndSave) {
        const qint32 errors = ValidateForm(!blnShouldHaveData);
        if (errors >= 1) {
            const QString text =
                (errors == 1 ? QStringLiteral("There was one error")
                             : QStringLiteral("There were ") + QString::number(errors) + QStringLiteral(" errors")) +
                QStringLiteral(", indicated by the highlighted cells.\r\n") +
                QStringLiteral("To make corrections without saving, click Cancel.\r\n") +
                QStringLiteral("To save the data") + (blnUnloading ? QStringLiteral(" and exit the form") : QString()) +
                QStringLiteral(" without making corrections, click OK.");
            action = Vezedad::Ui::MsgBox(text, Vezedad::Ui::vbOKCancel, QStringLiteral("ZOV Data Contains Errors"),
                                         m_grid) == Vezedad::Ui::vbOK
                         ? Save
                         : Stay;
        } else {
            action = Save;
        }
    }
    return action;
}

// ---- printing ------------------------------------------------------------

void CZelFarpoint::PrintGrid(const Vezedad::Identity& objIdentity, const QString& strExtraText) {
    CommitEdit();
    ReportGrid& g = boundGrid();
    // The printout holds no empty rows; afterwards 5 are there to type on,
    // whatever happened in between.
    g.setRowCount(g.lastDataRow());
    struct Restore {
        ReportGrid& g;
        ~Restore() { g.setRowCount(g.lastDataRow() + 5); }
    } restore{g};
    frmPrintPreview preview(g.window());
    preview.PrepareToPrint(m_formType, objIdentity, strExtraText, g);
    Vezedad::Ui::ExecModal(preview);
}

void CZelFarpoint::PrintGridSelection(const Vezedad::Identity& objIdentity, const QString& strExtraText) {
    CommitEdit();
    ReportGrid& g = boundGrid();
    const QString subtitle =
        strExtraText.isEmpty() ? QStringLiteral("PARTIAL REPORT") : strExtraText + QStringLiteral("\tPARTIAL REPORT");
    struct Restore {
        ReportGrid& g;
        PrintRange range;
        ~Restore() { g.setPrintRange(range); }
    } restore{g, g.printRange()};
    g.setPrintBlock(g.firstSelectedBlock());
    g.setPrintRange(PrintRange::Block);
    PrintGrid(objIdentity, subtitle);
}

} // namespace Dazozuvi
