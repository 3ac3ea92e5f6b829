#pragma once
#include "grid/GridTypes.h"

#include "Vezedad/foundation/Identity.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "ZozedizIZ/shell/HookSize.h"
#include "ZozedizIZ/shell/IZelForm.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <memory>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QWidget;

namespace ZozedizIZ {
class CountySelector;
class ProgressForm;
} // namespace ZozedizIZ

namespace Dazozuvi {

class CZelFarpoint;
class ReportGrid;

namespace modGlobals {

// The check of a report form's header box: the validator's verdict on its
// text under fieldId. Valid: the box takes the value in its stored form and
// turns white, and the result is true. Otherwise the box turns pale yellow (a
// warning) or pale pink, the validator's message shows in a box titled "ZOV
// zAzeru Data Validation", and the result is false.
bool ValidateTextBox(QLineEdit& txt, qint32 fieldId);

} // namespace modGlobals

// ---------------------------------------------------------------------------
// How a report form plugs into the template
//
// The four report forms are one window: ReportForm. A form is a subclass that
//   1. passes its parameters, a ReportFormSpec, to the ReportForm constructor
//      (caption, form type, header boxes, no-activity switch, grid columns and
//      column map, county column, menus, help pages, record reader values);
//   2. writes its records into the report file's RecordWriter:
//      WriteRecords (the only hook every form must give; WriteDataRecords
//      writes a record per grid row);
//   3. reads the header and the activity from a file's first record:
//      ReadFirstRecord;
//   and overrides the other hooks below only where it differs.
//
// The file itself is the report-file layer's: Vezedad/reportfile/ReportFile.h
// reads lines, decodes, splits, refuses what a file cannot hold and writes
// records; forms/ReportFileIO.h reads a file into the grid (ReportLoader:
// which lines become rows, which are left out and told) and writes rows.
// tst_reportform ties each form's column map to the validator's layout.
//
// The template does everything else: the layout (a header canvas that scrolls
// sideways, the warning label, the data-entry frame with the grid and the
// file-name label), the menus and their commands, the key table, the context
// menu, the column tool tips, the product pick list, the cell checks through
// the grid controller, loading (the first-line check, the progress window over
// DirectLoadBytes, Stop, the activity after a load, one notice of what was
// not loaded and of what a save would change), saving (Save, Save As, the
// proposed name, refused characters, the question before a file changed
// since it was read, or not read in full, is replaced), closing
// with the questions before it, printing, the header boxes' checks, the
// county-code column and the error boxes ("Dazozuvi::" + params.name + "." +
// the handler).
//
// A form is made by NewReportForm (forms/Forms.cpp): add the form there.
//
// What each form gives:
//   Form 25: five columns, option buttons optSalesType (0 no sales), permit
//     and business name boxes, two leading record fields; see Form25.
//   Form 26: header boxes txtCertId (4), txtName (37, a name box: checked =
//     false), txtBusRegNum (3) in one row (headerBoxesInRow), check box
//     chkNoApps, 14 columns with two header rows (upperHeaders), 10 checked
//     (validatedColumns), countyColumn 7, three leading record fields, the
//     help page docCountyPop; ReadFirstRecord looks the certification id up
//     in the applicator registry. ApplicationA sets setHasActivity before
//     Edit.
//   Form 27: like Form 25's header with the check box chkNoSales, 9 columns,
//     countyColumn 6, two leading fields; the activity after a load follows
//     from the rows alone (leave loadedActivity at 1).
//   Form 26A: no switch (NoActivity::None), no product list (productList
//     false), no Duplicate Rows, Print Selection always on
//     (printSelectionNeedsData false), no feedback after a load
//     (feedbackAfterLoad false), the header note lblInclude (headerNote),
//     second error-box layout for the header boxes (headerErrorsByProcedure);
//     it overrides GetFile (ApplicatorList::ReadLines, a row per line),
//     StartNewReport (the filer in row 1), AnswerValidating (column 2 only
//     when not empty),
//     AfterValidEdit (the business registration number into column 2),
//     ProposedNameId, AfterWrite (RefreshApplicators) and LoadNotes
//     (indicators other than "0" and "3", read and saved as "3").
// ---------------------------------------------------------------------------

// One identity box of the header, with its label above it.
struct HeaderBoxSpec {
    QString box;         // object name, "txtPermitNumber"
    QString label;       // object name of its label, "lblPermitNumber"
    QString caption;     // the label's text; an "&" marks the mnemonic
    qint32 fieldId{};    // report field and identity property of the value
    bool checked = true; // true: ValidateTextBox on leaving when changed; false: a name box the identity checks
    // Where a loaded report takes the box's text: true from the file's first
    // record (the form's ReadFirstRecord), false from the identity clone.
    bool fromFile = true;
    // Its text is written into every record (checked before a save): the
    // records' ids after the indicator are these boxes' texts, in their
    // order here.
    bool inFile = true;
    QString toolTip;
    int maxLength = 0; // the typing limit, 0 for none of its own; a value from a file is shown whole
    int widthTwips = 2400;
};

// The form-wide no-activity switch.
struct NoActivitySpec {
    enum Kind { None, Options, CheckBox };
    Kind kind = None;
    // Options: the array's name ("optSalesType": buttons "optSalesType(0)" ...)
    // in the frame `frame` with `frameCaption`; option 0 is no activity.
    // CheckBox: the box's name; checked is no activity.
    QString control;
    QString frame;
    QString frameCaption;
    QStringList captions;               // one per option, or the check box's caption
    QString warningLabel;               // stays visible while the data-entry frame is hidden
    QString lossWarning;                // shown in it when switched off with data in the grid
    QString editRefusal;                // the box text when an edit is tried without activity
    QString noActivitySubtitle;         // print subtitle without activity
    QString recordName;                 // what the user calls the no-activity record ("No Sales")
    bool subtitleFromOption = false;    // with activity the subtitle is the option's caption (else "")
    bool startsWithoutActivity = false; // window load turns the switch on (the report counts as changed)
};

struct HelpPageSpec {
    QString item;    // "mnuHelpGuide"
    QString caption; // "&User Guide"
    qint32 docId{};  // Vezedad::UserDoc
};

struct ReportFormSpec {
    qint32 formType{}; // Vezedad::ZelFormType
    QString name;      // "Form25": the object name and the error locations
    QString caption;   // window caption
    int minWidthTwips = 0;
    int minHeightTwips = 0;

    QList<HeaderBoxSpec> headerBoxes;
    bool headerBoxesInRow = false;
    QString headerNote;     // an optional label in the header: object name
    QString headerNoteText; // and text
    NoActivitySpec activity;
    bool productList = true; // the pick list, its Edit button, the Product List menu
    bool duplicateRows = true;
    bool printSelectionNeedsData = true; // else "Print Selection" is always enabled

    QList<GridColumn> columns;
    QList<UpperHeader> upperHeaders;
    QList<qint32> fields;     // the column map: fields[0] is column 1's field
    int validatedColumns = 0; // columns 1 .. this are checked by the validator
    int countyColumn = 0;     // the county-code column (filled through a CountySelector), 0 for none

    int leadingFields = 0;    // header fields before the grid's in a data record
    QString emptyGridMessage; // shown when saving with activity and no data ("" for none)
    qint32 emptyGridIcon = 0; // its icon (Vezedad::Ui::MsgBoxStyle)
    QString fileNameIdBox;    // the header box whose text names a new file
    QList<HelpPageSpec> help;
    bool feedbackAfterLoad = true;
    bool headerErrorsByProcedure = false; // header boxes use the second error-box layout
};

// A report form: one report file of the current year, with a header, a grid
// and menus. Shown modally by Edit, which returns when the window has closed;
// made anew for every report that opens.
class ReportForm : public QDialog, public ZozedizIZ::IZelForm {
    Q_OBJECT

public:
    // Files larger than this load under the progress window, which hears of
    // the load every ProgressLines lines.
    static constexpr qint64 DirectLoadBytes = 1000000;
    static constexpr int ProgressLines = 1000;
    // Rows a new report starts with, and empty rows kept below loaded data.
    static constexpr int SpareRows = 5;

    explicit ReportForm(ReportFormSpec params, QWidget* parent = nullptr);
    ~ReportForm() override;

    // IZelForm: loads the window, clones the identity, loads strFile when it
    // exists (Cancel true when that fails: the window is not shown) or starts
    // a new report, and shows the window modally.
    void Edit(bool& Cancel, const Vezedad::IdentityPtr& objIdentity, const QString& strFile = QString()) override;
    // The check of the whole grid with the hourglass: 0 without activity, -1
    // for an empty grid, else the number of invalid cells.
    qint32 ValidateForm() override;

    // The window load; runs once, and Edit runs it first. The widgets exist
    // from construction on.
    void Load();

    const ReportFormSpec& Params() const { return m_spec; }

    // The activity state: 0 no activity; with option buttons the selected
    // option, with a check box 1 for activity.
    int Activity() const { return m_activity; }
    bool HasActivity() const { return m_activity != 0; }
    // Switches the no-activity control as a click does (its handling runs
    // when the value changes): for a check box, true unchecks it. Loads the
    // window first, so a host may set it before Edit.
    void setHasActivity(bool value);
    void setActivity(int state);

    QString FilePath() const { return m_path; }
    bool IsDirty() const;
    // The form's identity clone (null before Edit and after the window has
    // unloaded).
    const Vezedad::IdentityPtr& IdentityClone() const { return m_identity; }
    // The grid controller (null before the window loads and after it
    // unloads).
    CZelFarpoint* GridController() const { return mobjZelFarpoint.get(); }
    ReportGrid& Grid() const { return *fpZelForm; }
    QLineEdit* HeaderBox(qint32 fieldId) const;

    // Esc closes the window as its close box does, with the questions first.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

    // ---- what a form gives ----

    // The file's records: the no-activity record without activity, else one
    // record per grid row from 1 to the last data row (WriteDataRecords).
    // Called only when there is something to write.
    virtual void WriteRecords(Vezedad::ReportFile::RecordWriter& file) = 0;
    // Where a refused value of the records stood, for the message: record
    // and field count from 1. The template's: "Row r, column c (header)"
    // for a grid column, each data record being its row.
    virtual QString RefusedPlace(qint64 record, int field) const;
    // The fields of the record the header comes from (missing ones read as
    // ""): the first data record the form loads, or the no-activity record
    // of a file without data records (see ReportLoader). It sets the header
    // boxes that come from the file (SetHeaderFromFile) and the activity a
    // loaded report has when it holds data rows (SetLoadedActivity; 1 unless
    // set). A file with neither keeps the clone's values in the header.
    virtual void ReadFirstRecord(const QStringList& fields);
    // Every record the grid took, the first included, as it stands in the
    // file (a record of ASCII text as its Latin-1 bytes); only when
    // HearsLoadedRecords (a form that overrides it says true).
    virtual void RecordLoaded(QAnyStringView line, const QString& delimiter);
    virtual bool HearsLoadedRecords() const { return false; }
    // What else the user must hear of a load just made ("" for nothing); it
    // is told with the lines left out, in one box before the verdict.
    virtual QString LoadNotes();
    // That box: after the file's name, each of notes that is not empty (what
    // the load left out, what a save would change), then LoadNotes; nothing
    // when all are empty.
    void TellAboutLoad(const QString& path, QStringList notes);
    // A new report: the grid gets SpareRows rows.
    virtual void StartNewReport();
    // The id that names a new file: the text of params.fileNameIdBox.
    virtual QString ProposedNameId() const;
    // Loading a file: as the template (LoadData directly, or under the
    // progress window above DirectLoadBytes). True when the form may show.
    virtual bool GetFile(const QString& path);
    virtual bool LoadData();
    // The answer to the grid controller's Validating: the column map's field,
    // checked for columns 1 .. validatedColumns, accepted otherwise; a column
    // outside the map keeps the field it came with.
    virtual void AnswerValidating(qint32 lngRow, qint32 lngCol, QStringView strValue, bool& blnCheck,
                                  qint32& lngFieldId, bool& blnResult);
    // Whether that answer depends on the column, and on whether the value is
    // empty, alone: a check of many rows then asks twice a column. A form
    // whose answer looks at the value's text or the row says false.
    virtual bool AnswersByColumn() const { return true; }
    // After a cell left with a change was accepted (and the form marked
    // changed).
    virtual void AfterValidEdit(int col, int row);
    // After WriteToFile, whether or not a file was written.
    virtual void AfterWrite(bool written);

    // ---- what the template lends a form ----

    // "Dazozuvi::" + params.name + "." + procedure.
    QString Location(const QString& procedure) const;
    Vezedad::Identity& Clone() const;
    // A loaded file's header value: the box shows the raw text, coloured by
    // its check when the box is checked; the clone takes it when the identity
    // accepts it and keeps its old value otherwise (the load's verdict tells
    // the user).
    void SetHeaderFromFile(qint32 fieldId, const QString& value);
    void SetLoadedActivity(int state) { m_loadedActivity = state; }
    int LoadedActivity() const { return m_loadedActivity; }
    // Field i of a record, "" when the record is shorter.
    static QString Field(const QStringList& fields, int i);
    // One record per grid row 1 .. last data row (blank rows between
    // included): the leading fields, each cell of columns 1 .. lastColumn
    // trimmed, then the trailing fields.
    void WriteDataRecords(Vezedad::ReportFile::RecordWriter& file, const QStringList& leading,
                          const QStringList& trailing, int lastColumn) const;
    // The file as this form read or last wrote it: before it is replaced,
    // a file changed since then is replaced only when the user says so.
    void RememberFile(const QString& path, const Vezedad::ReportFile::FileStamp& stamp);
    // The form opened path without reading all of it: it is replaced only
    // when the user says so, until the form has written it.
    void RememberFileReadInPart(const QString& path);

private:
    // Construction.
    void buildMenus(QMenuBar* bar);
    QWidget* buildHeader();
    QWidget* buildDataEntry();
    void connectGrid();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption, const char* handler,
                     std::function<void()> body);
    void guard(const QString& handler, const std::function<void()>& body);

    // Window events.
    void Form_Activate();
    void SetBackColor();
    bool Form_QueryUnload();
    void Form_Unload();
    void headerScrollBarShown(bool shown);
    int gridWidth() const;

    // The no-activity switch.
    void activityClicked(int state);
    void WarnNoActivityChecked();
    bool subtitleFor(QString& subtitle) const;

    // Loading.
    QString LoadFirstLine(const QString& line);
    void mProgress_Execute();
    void finishLoad();
    // The header boxes that come from a file take the clone's values.
    void HeaderFromClone();
    // The header boxes whose texts the records hold, in their order.
    QList<int> IdBoxes() const;
    QStringList IdsWritten() const;
    QString BoxCaption(int index) const;

    // Saving.
    qint32 AskToSave(bool exiting);
    bool SaveFile(const QString& path);
    bool SaveFileAs();
    bool WriteToFile(const QString& path);
    bool RefusedHeader();
    bool RefusedCharacters(const QString& where, const QString& why);
    // Whether path is the file this form read or wrote last: only that one
    // can have been changed behind its back.
    bool IsFileRead(const QString& path) const;
    bool ReplaceAsked(const QString& question);
    // A list read in part replaces its file only with the user's word,
    // asked before anything is written.
    bool PartReplaceConfirmed(const QString& path);
    // Whether the file is still as this form read or last wrote it, or the
    // user lets it be replaced all the same. Runs under the file's lock
    // right before it is replaced, so another copy's save cannot come in
    // between.
    bool UnchangedOrConfirmed(const QString& path);
    void ShowFileName();

    // Grid and menu commands.
    void fpZelForm_EditMode(int col, int row, int mode, bool changeMade);
    void fpZelForm_BeforeEdit(int col, int row, bool& cancel);
    void fpZelForm_LeaveCell(int col, int row, int newCol, int newRow, bool& cancel);
    void fpZelForm_Advance(bool forward);
    void fpZelForm_KeyDown(int& keyCode, int shift);
    void fpZelForm_RightClick(int clickType, int col, int row, const QPoint& globalPos);
    void fpZelForm_TextTipFetch(int col, int row, int& multiLine, int& tipWidth, QString& tipText, bool& showTip);
    void mnuGridCopy_Click();
    void mnuGridCut_Click();
    void mnuGridDelete_Click();
    void mnuGridDuplicate_Click();
    void mnuFile_Click();
    void mnuFilePrint_Click();
    void mnuFilePrintSelection_Click();
    void ApplySelectedProduct(int row);
    void EditProductList();
    bool HeaderKept();
    bool headerBoxLeft(int index);
    void countyColumnEntered(int col, int newRow);
    void countyEditStarted(int col, int row);
    void showCountyBehaviour();

    ReportFormSpec m_spec;
    bool m_loaded = false;
    std::unique_ptr<CZelFarpoint> mobjZelFarpoint;
    Vezedad::IdentityPtr m_identity;
    QString m_path;
    QString m_loadingPath;
    QString m_stampPath;
    Vezedad::ReportFile::FileStamp m_stamp;
    bool m_readInPart = false;
    qint64 m_loadingSize = 0;
    std::unique_ptr<ZozedizIZ::ProgressForm> mProgress;
    bool m_loadResult = false;
    int m_activity = 1;
    int m_loadedActivity = 1;
    bool m_popupSuppressed = false;
    ZozedizIZ::HookSize m_hook;
    std::unique_ptr<ZozedizIZ::CountySelector> mobjCountySelect;

    QMenuBar* mnuBar = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuFilePrintSelection = nullptr;
    QMenu* mnuGrid = nullptr;
    QMenu* mnuProducts = nullptr;
    QAction* mnuProductsPick = nullptr;
    QAction* mnuValidate = nullptr;

    QScrollArea* fraHeader = nullptr;
    QWidget* fraCanvas = nullptr;
    QList<QLineEdit*> m_headerBoxes;
    QLabel* lblReportYear = nullptr;
    QGroupBox* fraActivity = nullptr;
    QButtonGroup* m_options = nullptr;
    QCheckBox* chkNoActivity = nullptr;
    ReportGrid* fpEpaList = nullptr;
    QPushButton* cmdEPAEditList = nullptr;
    QLabel* lblWarning = nullptr;
    QWidget* fraDataEntry = nullptr;
    QCheckBox* chkShowRowNumbers = nullptr;
    QPushButton* cmdCountyPopup = nullptr;
    ReportGrid* fpZelForm = nullptr;
    QLabel* lblFileName = nullptr;
};

} // namespace Dazozuvi
