#pragma once
#include "grid/GridTypes.h"
#include "grid/ReportGrid.h"

#include "Vezedad/validation/FieldRules.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

#include <functional>
#include <memory>
#include <vector>

namespace Vezedad {
class Identity;
class Validator;
} // namespace Vezedad

namespace ZozedizIZ {
class ProgressForm;
}

namespace Dazozuvi {

class ReportGrid;
class CZelFarpoint;

namespace modGlobals {
std::unique_ptr<CZelFarpoint> New_CZelFarpoint(qint32 formType, ReportGrid& grid);
}

// The grid controller of a report form: everything the four forms do alike
// with their grid. It checks cells against the validator and colours them,
// pastes, clears and inserts rows, writes the records of a file into rows,
// tells whether the grid holds data or was changed, fills the product pick
// list, asks the questions before a save or a close, and prints through the
// print preview.
//
// Made only by modGlobals::New_CZelFarpoint(formType, grid); the grid must
// outlive the controller. Rows and columns count from 1.
//
// The form answers Validating for every cell that is checked: which field the
// column holds (negative: the column is never checked or coloured), whether
// the validator checks the value, and otherwise its own verdict. The form
// that owns the controller gives its answer through setValidatingAnswer,
// which is called directly: a whole-grid check asks it for every cell,
// fourteen million times on a large report, where delivering a signal costs
// more than the answer. The signal is raised after it for anyone else who
// listens (connect it directly).
//
// A cell being edited is committed, with the form's check of it, before any
// member here reads the grid. Commands of the form that read the grid
// themselves (cut, copy, delete and duplicate rows, save) call CommitEdit
// first. Whole-grid and pasted-row checks address cells directly: the active
// cell stays where the user left it.
//
// Errors reach the caller (the form's handler shows them); ValidateForm adds
// its location to an error's trail.
class CZelFarpoint : public QObject {
    Q_OBJECT

public:
    // What PresaveForm answers; the form saves on Save, closes on
    // CloseWithoutSaving and otherwise stays.
    enum PresaveAction : qint32 { Stay = 0, Save = 1, ValidateAndSave = 2, CloseWithoutSaving = 3 };

    // Cell check colours, 0x00BBGGRR.
    static constexpr quint32 ColourValid = CellColour::White;
    static constexpr quint32 ColourWarning = CellColour::PaleYellow;
    static constexpr quint32 ColourInvalid = CellColour::PalePink;
    // Above this many data rows a whole-grid check runs under the progress
    // window, reporting at every ProgressStep-th row once ReportIntervalMs
    // have passed since the last report (the first at row ProgressStep).
    static constexpr int DirectCheckRows = 500;
    static constexpr int ProgressStep = 100;
    static constexpr int ReportIntervalMs = 40;

    // Fails with 1002, "Client code did not call factory method for
    // CZelFarpoint", source "Dazozuvi::CZelFarpoint", unless made by
    // New_CZelFarpoint.
    CZelFarpoint();
    ~CZelFarpoint() override;

    qint32 FormType() const { return m_formType; }
    ReportGrid* Grid() const { return m_grid; }

    // Clears the first selected block (texts only, colours stay), sets the
    // dirty flag and checks each row of the block again without messages.
    void ClearRange();
    // Fills the form's pick list, a grid of two columns, with the shared
    // product list (ZozedizIZ::Globals::EpaList()): one row per product, its
    // number in column 1 and its name in column 2, in list order.
    void FillEPAListBox(ReportGrid& lstEpaItems);
    // True when a cell up to the last data row and column holds more than
    // blanks.
    bool HasData() const;
    bool IsDirty() const { return m_dirty; }
    void setIsDirty(bool blnIsDirty);
    // Inserts as many empty rows as the first selected block spans, directly
    // below it; sets the dirty flag.
    void InsertRows();
    // Writes one record into a row: strLine loses its double quotes and the
    // blanks at its ends (the caller's text is cleaned too), its fields, split
    // at strSep ("|" when empty), go trimmed and upper-cased into columns 1
    // on; fields beyond the last column are dropped. The grid grows to
    // lngRow + 5 rows when it has not more than lngRow. Nothing is checked and
    // the dirty flag stays. A run of calls reaches the view as one change.
    void LoadLine(QString& strLine, const QString& strSep, qint32 lngRow);
    // The same for fields already without double quotes, taken as they
    // stand, without a copy; gives their number, those beyond the last
    // column included.
    int LoadFields(QStringView fields, const QString& strSep, qint32 lngRow);
    // The same for fields of ASCII bytes and a separator that is no letter;
    // the bytes are upper-cased where they stand.
    int LoadFieldsAscii(char* fields, qsizetype size, char separator, qint32 lngRow);
    // The clipboard's rows inserted above the active row, or pasted over the
    // grid from the active cell on; the pasted rows are checked without
    // messages, the grid keeps 5 empty rows below its data and the dirty flag
    // is set. No pasted row is ever lost. An empty clipboard does nothing.
    void PasteInsert();
    void PasteOverwrite();
    // The questions before a save (blnUnloading false) or a close (true);
    // blnShouldHaveData is true when the form reports activity. Returns Stay,
    // Save or CloseWithoutSaving.
    qint32 PresaveForm(bool blnUnloading, bool blnShouldHaveData);
    // The whole grid, or the first selected block marked "PARTIAL REPORT",
    // in the print preview (modal); the printout holds no empty rows below
    // the data and the grid keeps 5 afterwards.
    void PrintGrid(const Vezedad::Identity& objIdentity, const QString& strExtraText);
    void PrintGridSelection(const Vezedad::Identity& objIdentity, const QString& strExtraText);
    // Checks one cell: its text upper-cased and trimmed goes to the form
    // (Validating) and to the validator. A valid value is written back in its
    // normalised form when that differs from the cell's text (setting the
    // dirty flag) and coloured white; an invalid one keeps its text, turns
    // pale yellow (a warning) or pale pink, and with blnShowMsg shows the
    // validator's message. Returns whether the cell is valid.
    bool ValidateCell(qint32 lngRow, qint32 lngCol, bool blnShowMsg);
    // Checks every row up to the last data row, colouring the cells: 0 with
    // blnNoActivity (the grid is not looked at), -1 for an empty grid,
    // otherwise the number of invalid cells. More than DirectCheckRows rows
    // are checked under the progress window, which can stop the check: the
    // count then covers the rows checked.
    qint32 ValidateForm(bool blnNoActivity);
    // Tells the user what ValidateForm returned, in a message box.
    void ValidationFeedback(qint32 errorCount);

    // Ends an edit in progress, keeping the typed text; the grid reports the
    // edit's end (editMode 0), so the form checks the cell as when the user
    // leaves it.
    void CommitEdit();

    using ValidatingAnswer = std::function<void(qint32 lngRow, qint32 lngCol, QStringView strValue, bool& blnCheck,
                                                qint32& lngFieldId, bool& blnResult)>;
    // byColumn: the answer depends on the column and on whether the value is
    // empty, on nothing else (not the row, not the value's text); checks of
    // many rows then ask it twice a column (unless someone else listens to
    // Validating, who may answer otherwise).
    void setValidatingAnswer(ValidatingAnswer answer, bool byColumn = false) {
        m_answer = std::move(answer);
        m_answerByColumn = byColumn;
        m_columnAnswers.clear();
    }

signals:
    // Raised for every cell that is checked, with the value as checked
    // (upper-cased, trimmed; valid only during the call). The answers enter
    // as false, 0 and false.
    void Validating(qint32 lngRow, qint32 lngCol, QStringView strValue, bool& blnCheck, qint32& lngFieldId,
                    bool& blnResult);

private:
    friend std::unique_ptr<CZelFarpoint> modGlobals::New_CZelFarpoint(qint32 formType, ReportGrid& grid);

    struct Verdict;
    struct ColumnMemo;
    // The answers to Validating for one cell.
    struct Answer {
        bool check = false;
        qint32 fieldId = 0;
        bool result = false;
        // The field's rule of bytes and its test for another written form,
        // found once with the column's answer (see ValidateRowBytes).
        Vezedad::FieldRules::ByteRule rule = nullptr;
        Vezedad::FieldRules::ByteRewrite rewrite = nullptr;
    };

    void Init(qint32 formType, ReportGrid& grid);
    ReportGrid& boundGrid() const;
    // heard: someone besides the owner listens to Validating (see heard()).
    Verdict check(qint32 row, qint32 col, QStringView value, bool withMessage, Vezedad::Validator& validator,
                  bool heard);
    Answer ask(qint32 row, qint32 col, QStringView value, bool heard);
    Verdict judge(const Answer& answer, QStringView value, bool withMessage, qint32 row, Vezedad::Validator& validator);
    bool heard() const;
    static quint32 colourOf(const Verdict& verdict);
    bool storesOther(const Verdict& verdict, QStringView value, QStringView cellText, QStringView& stored) const;
    void writeBack(GridModel& model, qint32 row, qint32 col, const Verdict& verdict, QStringView value,
                   QStringView cellText);
    int ValidateRow(qint32 row);
    // listened: heard(), asked once for many rows. pass: one of many rows
    // checked one after the other (ValidateAllRows), which may take a
    // column's verdict from the row before when the value is the same.
    int ValidateRow(qint32 row, Vezedad::Validator& validator, bool listened, bool pass = false);
    // The row's check in a pass on the bytes of its record, for a row of
    // upper-case ASCII whose values all stay as they are; false, with nothing
    // changed, for any other row.
    bool ValidateRowBytes(qint32 row, int columns, int& errors);
    int ValidateAllRows();
    void mProgress_Execute();
    qint32 ShowExitOptions(bool blnShouldHaveData);
    int ClipboardRowCount() const;
    void paste(bool insert);
    void endLoad();
    void beginLoadRow(qint32 lngRow);

    qint32 m_formType = 0;
    qint32 m_errorCount = 0;
    QPointer<ReportGrid> m_grid;
    bool m_dirty = false;
    std::unique_ptr<ZozedizIZ::ProgressForm> mProgress;
    bool m_loading = false; // a run of LoadLine calls is gathered into one change
    // Scratch of the row checks, kept between rows.
    QString m_rowBuffer;
    QString m_rowUpper;
    QString m_rowWritten;
    QVarLengthArray<QStringView, 32> m_rowCells;
    QString m_value;
    QString m_normalised;
    ValidatingAnswer m_answer;
    bool m_answerByColumn = false;
    // Asked once, when m_answerByColumn: for column c, the answer to an
    // empty value at 2c, to any other at 2c + 1.
    QVarLengthArray<Answer, 64> m_columnAnswers;
    std::vector<ColumnMemo> m_memo; // per column, during a pass of many rows
    // The report year as the rows checked on their bytes read it, once a
    // pass and again after each report to the progress window.
    Vezedad::FieldRules::YearSource m_year;
};

} // namespace Dazozuvi
