#include "forms/ReportForm.h"

#include "forms/ReportFileIO.h"
#include "grid/CZelFarpoint.h"
#include "grid/GridModel.h"
#include "grid/ReportGrid.h"
#include "modGlobals.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Text.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/editors/CountySelector.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/FileOperations.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/LeaveCheck.h"
#include "ZozedizIZ/shell/ProgressForm.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace Dazozuvi {

namespace Twips = ZozedizIZ::Twips;

namespace {

const QString kCheckTitle = QStringLiteral("ZOV zAzeru Data Validation");
const QString kCrLf = QStringLiteral("\r\n");
const QString kPipe = QStringLiteral("|");

void setBoxColour(QLineEdit& box, quint32 bgr) {
    QPalette palette = box.palette();
    palette.setColor(QPalette::Base, colourFromBgr(bgr));
    box.setPalette(palette);
}

// A box's length limit is for typing: a value put into it, from a file or
// the validator, is shown whole, and the limit holds again once the user has
// made the text fit it.
void showWhole(QLineEdit& box, const QString& text) {
    if (text.size() > box.maxLength()) box.setMaxLength(int(text.size()));
    box.setText(text);
}

quint32 colourOfCheck(const Vezedad::ValidationResult& result) {
    if (result.IsValid()) return CellColour::White;
    return result.Severity() == Vezedad::kvesWarning ? CellColour::PaleYellow : CellColour::PalePink;
}

// Keeps the header's height to its canvas, and to the scroll bar under it
// while the bar is shown.
class ScrollBarWatch : public QObject {
public:
    ScrollBarWatch(QScrollBar* bar, std::function<void(bool)> changed) : QObject(bar), m_changed(std::move(changed)) {
        bar->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) m_changed(true);
        if (event->type() == QEvent::Hide) m_changed(false);
        return false;
    }

private:
    std::function<void(bool)> m_changed;
};

} // namespace

// ---- modGlobals.ValidateTextBox -----------------------------------------

bool modGlobals::ValidateTextBox(QLineEdit& txt, qint32 fieldId) {
    const Vezedad::ValidationResultPtr result = Vezedad::Globals::Validator().ValidateField(fieldId, txt.text());
    if (result->IsValid()) {
        showWhole(txt, result->Value());
        setBoxColour(txt, CellColour::White);
        return true;
    }
    setBoxColour(txt, colourOfCheck(*result));
    Vezedad::Ui::MsgBox(result->Message(), Vezedad::Ui::vbOKOnly, kCheckTitle, &txt);
    return false;
}

// ---- construction --------------------------------------------------------

ReportForm::ReportForm(ReportFormSpec params, QWidget* parent) : QDialog(parent), m_spec(std::move(params)) {
    setObjectName(m_spec.name);
    setWindowTitle(m_spec.caption);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    mnuBar = new QMenuBar(this);
    mnuBar->setObjectName(QStringLiteral("mnuBar"));
    layout->setMenuBar(mnuBar);
    layout->addWidget(buildHeader());
    lblWarning = new QLabel(this);
    lblWarning->setObjectName(m_spec.activity.warningLabel.isEmpty() ? QStringLiteral("lblNoActivityWarning")
                                                                     : m_spec.activity.warningLabel);
    lblWarning->setTextFormat(Qt::PlainText);
    lblWarning->setWordWrap(true);
    lblWarning->setContentsMargins(Twips::toPixelsX(120), Twips::toPixelsY(60), Twips::toPixelsX(120),
                                   Twips::toPixelsY(60));
    QPalette red = lblWarning->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    lblWarning->setPalette(red);
    lblWarning->hide();
    layout->addWidget(lblWarning);
    layout->addWidget(buildDataEntry(), 1);
    // Without the data entry the warning stays under the header.
    layout->addStretch(0);
    buildMenus(mnuBar);
    connectGrid();

    // Every header box checks itself as the focus leaves it.
    for (int i = 0; i < m_headerBoxes.size(); ++i)
        ZozedizIZ::LeaveCheck::Watch(
            m_headerBoxes[i], [this, i] { return headerBoxLeft(i); },
            Location(m_spec.headerBoxes[i].box + QStringLiteral("_Validate")));

    Vezedad::Ui::OnFirstActivation(
        *this, [this] { Vezedad::Ui::Guard([this] { Form_Activate(); }, [](const Vezedad::ErrorInfo&) {}); });

    // Wide enough for the whole header and every column of the grid; the
    // screen it opens on stops it at its edge (ExecModal keeps it there), and
    // the header and the grid scroll sideways inside.
    resize(std::max(fraCanvas->sizeHint().width(), gridWidth()), Twips::toPixelsY(8400));
}

// Every column, the grid's frame and room for its vertical scroll bar (a
// long report brings it, and it must not hide the last column), within the
// data-entry frame's margins.
int ReportForm::gridWidth() const {
    const QMargins inset = fraDataEntry->layout()->contentsMargins();
    return inset.left() + fpZelForm->horizontalHeader()->length() + 2 * fpZelForm->frameWidth() +
           fpZelForm->verticalScrollBar()->sizeHint().width() + inset.right();
}

ReportForm::~ReportForm() {
    for (QLineEdit* box : m_headerBoxes) ZozedizIZ::LeaveCheck::Unwatch(box);
    // A cell editor that closes with the grid reaches no form.
    fpZelForm->disconnect(this);
    if (fpEpaList) fpEpaList->disconnect(this);
    // The controller goes before the grid it works on.
    mobjZelFarpoint.reset();
}

QWidget* ReportForm::buildHeader() {
    fraHeader = new QScrollArea(this);
    fraHeader->setObjectName(QStringLiteral("fraHeader"));
    fraHeader->setFrameShape(QFrame::NoFrame);
    fraHeader->setWidgetResizable(true);
    fraHeader->setFocusPolicy(Qt::NoFocus);
    fraHeader->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fraHeader->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QScrollBar* hsbHeader = fraHeader->horizontalScrollBar();
    hsbHeader->setObjectName(QStringLiteral("hsbHeader"));
    // One pixel a step, sixteen a page.
    hsbHeader->setSingleStep(1);
    hsbHeader->setPageStep(16);

    fraCanvas = new QWidget;
    fraCanvas->setObjectName(QStringLiteral("fraCanvas"));
    fraCanvas->setAutoFillBackground(true);
    auto* canvas = new QGridLayout(fraCanvas);
    canvas->setContentsMargins(Twips::toPixelsX(120), Twips::toPixelsY(60), Twips::toPixelsX(120),
                               Twips::toPixelsY(60));
    canvas->setHorizontalSpacing(Twips::toPixelsX(240));
    canvas->setVerticalSpacing(Twips::toPixelsY(60));

    // The identity boxes, each under its label.
    auto* boxes = m_spec.headerBoxesInRow ? static_cast<QBoxLayout*>(new QHBoxLayout) : new QVBoxLayout;
    boxes->setSpacing(Twips::toPixelsY(60));
    for (const HeaderBoxSpec& s : m_spec.headerBoxes) {
        auto* label = new QLabel(s.caption, fraCanvas);
        label->setObjectName(s.label);
        auto* box = new QLineEdit(fraCanvas);
        box->setObjectName(s.box);
        box->setToolTip(s.toolTip);
        if (s.maxLength > 0) {
            box->setMaxLength(s.maxLength);
            connect(box, &QLineEdit::textEdited, box, [box, limit = s.maxLength](const QString& text) {
                box->setMaxLength(std::max(limit, int(text.size())));
            });
        }
        box->setFixedWidth(Twips::toPixelsX(s.widthTwips));
        label->setBuddy(box);
        auto* pair = new QVBoxLayout;
        pair->setSpacing(0);
        pair->addWidget(label);
        pair->addWidget(box, 0, Qt::AlignLeft);
        boxes->addLayout(pair);
        m_headerBoxes.append(box);
    }
    auto* left = new QVBoxLayout;
    left->setSpacing(Twips::toPixelsY(90));
    lblReportYear = new QLabel(fraCanvas);
    lblReportYear->setObjectName(QStringLiteral("lblReportYear"));
    lblReportYear->setTextFormat(Qt::PlainText);
    QPalette blue = lblReportYear->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblReportYear->setPalette(blue);
    QFont yearFont = lblReportYear->font();
    yearFont.setBold(true);
    yearFont.setPointSizeF(yearFont.pointSizeF() * 1.2);
    lblReportYear->setFont(yearFont);
    left->addWidget(lblReportYear);
    if (!m_spec.headerNote.isEmpty()) {
        auto* note = new QLabel(m_spec.headerNoteText, fraCanvas);
        note->setObjectName(m_spec.headerNote);
        note->setTextFormat(Qt::PlainText);
        note->setWordWrap(true);
        note->setMinimumWidth(Twips::toPixelsX(4000));
        left->addWidget(note);
    }
    left->addLayout(boxes);

    const NoActivitySpec& activity = m_spec.activity;
    if (activity.kind == NoActivitySpec::Options) {
        fraActivity = new QGroupBox(activity.frameCaption, fraCanvas);
        fraActivity->setObjectName(activity.frame);
        auto* options = new QVBoxLayout(fraActivity);
        m_options = new QButtonGroup(this);
        m_options->setObjectName(activity.control);
        for (int i = 0; i < activity.captions.size(); ++i) {
            auto* option = new QRadioButton(activity.captions[i], fraActivity);
            option->setObjectName(activity.control + QStringLiteral("(%1)").arg(i));
            m_options->addButton(option, i);
            options->addWidget(option);
        }
        left->addWidget(fraActivity);
        connect(m_options, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
            if (!checked || id == m_activity) return;
            guard(m_spec.activity.control + QStringLiteral("_Click"), [this, id] { activityClicked(id); });
        });
    } else if (activity.kind == NoActivitySpec::CheckBox) {
        chkNoActivity = new QCheckBox(activity.captions.value(0), fraCanvas);
        chkNoActivity->setObjectName(activity.control);
        left->addWidget(chkNoActivity);
        connect(chkNoActivity, &QCheckBox::toggled, this, [this](bool checked) {
            if ((checked ? 0 : 1) == m_activity) return;
            guard(m_spec.activity.control + QStringLiteral("_Click"),
                  [this, checked] { activityClicked(checked ? 0 : 1); });
        });
    }
    left->addStretch();
    canvas->addLayout(left, 0, 0);

    if (m_spec.productList) {
        auto* lblEpaList = new QLabel(QStringLiteral("EPA Reg. Number &List"), fraCanvas);
        lblEpaList->setObjectName(QStringLiteral("lblEpaList"));
        fpEpaList = new ReportGrid(fraCanvas);
        fpEpaList->setObjectName(QStringLiteral("fpEpaList"));
        Vezedad::Ui::SetAccessibleName(*fpEpaList, QStringLiteral("EPA Reg. Number List"));
        fpEpaList->setColumns({GridColumn{QStringLiteral("EPA Number"), 17, CellType::text()},
                               GridColumn{QStringLiteral("Product Name"), 30, CellType::text()}});
        fpEpaList->setReadOnly(true);
        fpEpaList->setRowHeadersVisible(false);
        fpEpaList->setMinimumSize(fpEpaList->widthForCharacters(50), Twips::toPixelsY(1200));
        lblEpaList->setBuddy(fpEpaList);
        cmdEPAEditList = new QPushButton(QStringLiteral("Edit"), fraCanvas);
        cmdEPAEditList->setObjectName(QStringLiteral("cmdEPAEditList"));
        cmdEPAEditList->setToolTip(QStringLiteral("Edit/Add to EPA List"));
        // "Edit" alone is what a screen reader already calls the Edit menu.
        Vezedad::Ui::SetAccessibleName(*cmdEPAEditList, QStringLiteral("Edit EPA List"));
        cmdEPAEditList->setAutoDefault(false);
        auto* listTop = new QHBoxLayout;
        listTop->addWidget(lblEpaList);
        listTop->addStretch();
        listTop->addWidget(cmdEPAEditList);
        auto* right = new QVBoxLayout;
        right->setSpacing(Twips::toPixelsY(30));
        right->addLayout(listTop);
        right->addWidget(fpEpaList, 1);
        canvas->addLayout(right, 0, 1);
        canvas->setColumnStretch(1, 1);
    } else {
        canvas->setColumnStretch(0, 1);
    }
    fraHeader->setWidget(fraCanvas);
    fraHeader->setFixedHeight(fraCanvas->sizeHint().height());
    new ScrollBarWatch(hsbHeader, [this](bool shown) { headerScrollBarShown(shown); });
    return fraHeader;
}

void ReportForm::headerScrollBarShown(bool shown) {
    // The canvas keeps its height; the bar takes its own room below it.
    const int bar = shown ? fraHeader->horizontalScrollBar()->sizeHint().height() : 0;
    fraHeader->setFixedHeight(fraCanvas->sizeHint().height() + bar);
    if (!shown) fraHeader->horizontalScrollBar()->setValue(0);
}

QWidget* ReportForm::buildDataEntry() {
    fraDataEntry = new QWidget(this);
    fraDataEntry->setObjectName(QStringLiteral("fraDataEntry"));
    fraDataEntry->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(fraDataEntry);
    const int inset = Twips::toPixelsX(60);
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->setSpacing(Twips::toPixelsY(60));

    chkShowRowNumbers = new QCheckBox(QStringLiteral("Show Row Numbers"), fraDataEntry);
    chkShowRowNumbers->setObjectName(QStringLiteral("chkShowRowNumbers"));
    auto* top = new QHBoxLayout;
    top->addWidget(chkShowRowNumbers);
    if (m_spec.countyColumn > 0) {
        cmdCountyPopup = new QPushButton(fraDataEntry);
        cmdCountyPopup->setObjectName(QStringLiteral("cmdCountyPopup"));
        cmdCountyPopup->setAutoDefault(false);
        cmdCountyPopup->setToolTip(QStringLiteral("This status area indicates the current state of the county code "
                                                  "entry method. Click help for more info."));
        top->addSpacing(Twips::toPixelsX(240));
        top->addWidget(cmdCountyPopup);
    }
    top->addStretch();
    layout->addLayout(top);

    fpZelForm = new ReportGrid(fraDataEntry);
    fpZelForm->setObjectName(QStringLiteral("fpZelForm"));
    Vezedad::Ui::SetAccessibleName(*fpZelForm,
                                   Vezedad::Globals::GetFormName(m_spec.formType, true) + QStringLiteral(" Report"));
    // A column is at least as wide as its name.
    QList<GridColumn> columns = m_spec.columns;
    for (GridColumn& column : columns) column.widthChars = std::max(column.widthChars, column.header.size() + 1.0);
    fpZelForm->setColumns(columns);
    if (!m_spec.upperHeaders.isEmpty()) fpZelForm->setUpperHeaders(m_spec.upperHeaders);
    fpZelForm->setRowHeadersVisible(false);
    layout->addWidget(fpZelForm, 1);

    lblFileName = new QLabel(QStringLiteral("{not saved}"), fraDataEntry);
    lblFileName->setObjectName(QStringLiteral("lblFileName"));
    lblFileName->setTextFormat(Qt::PlainText);
    layout->addWidget(lblFileName);
    return fraDataEntry;
}

QAction* ReportForm::addItem(QMenu* menu, const QString& name, const QString& caption, const char* handler,
                             std::function<void()> body) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    const QString location = QLatin1String(handler);
    connect(item, &QAction::triggered, this, [this, location, body] { guard(location, body); });
    return item;
}

void ReportForm::buildMenus(QMenuBar* bar) {
    auto addMenu = [bar](const QString& name, const QString& caption) {
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };
    mnuFile = addMenu(QStringLiteral("mnuFile"), QStringLiteral("&File"));
    addItem(mnuFile, QStringLiteral("mnuFileSave"), QStringLiteral("&Save"), "mnuFileSave_Click", [this] {
        if (HeaderKept() && AskToSave(false) == CZelFarpoint::Save) SaveFile(m_path);
    });
    addItem(mnuFile, QStringLiteral("mnuFileSaveas"), QStringLiteral("Save &As..."), "mnuFileSaveas_Click", [this] {
        if (HeaderKept() && AskToSave(false) == CZelFarpoint::Save) SaveFileAs();
    });
    addItem(mnuFile, QStringLiteral("mnuFilePrint"), QStringLiteral("&Print"), "mnuFilePrint_Click",
            [this] { mnuFilePrint_Click(); });
    mnuFilePrintSelection = addItem(mnuFile, QStringLiteral("mnuFilePrintSelection"), QStringLiteral("Print Selection"),
                                    "mnuFilePrintSelection_Click", [this] { mnuFilePrintSelection_Click(); });
    addItem(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("&Close"), "mnuExit_Click", [this] { close(); });
    connect(mnuFile, &QMenu::aboutToShow, this,
            [this] { guard(QStringLiteral("mnuFile_Click"), [this] { mnuFile_Click(); }); });

    mnuGrid = addMenu(QStringLiteral("mnuGrid"), QStringLiteral("&Edit"));
    addItem(mnuGrid, QStringLiteral("mnuGridCut"), QStringLiteral("Cu&t"), "mnuGridCut_Click",
            [this] { mnuGridCut_Click(); });
    addItem(mnuGrid, QStringLiteral("mnuGridCopy"), QStringLiteral("&Copy"), "mnuGridCopy_Click",
            [this] { mnuGridCopy_Click(); });
    addItem(mnuGrid, QStringLiteral("mnuGridPasteOverwrite"), QStringLiteral("&Paste"), "mnuGridPasteOverwrite_Click",
            [this] { mobjZelFarpoint->PasteOverwrite(); });
    addItem(mnuGrid, QStringLiteral("mnuGridPasteInsert"), QStringLiteral("&Insert"), "mnuGridPasteInsert_Click",
            [this] { mobjZelFarpoint->PasteInsert(); });
    addItem(mnuGrid, QStringLiteral("mnuGridInsert"), QStringLiteral("Insert &Rows"), "mnuGridInsert_Click",
            [this] { mobjZelFarpoint->InsertRows(); });
    addItem(mnuGrid, QStringLiteral("mnuGridDelete"), QStringLiteral("&Delete Rows"), "mnuGridDelete_Click",
            [this] { mnuGridDelete_Click(); });
    if (m_spec.duplicateRows)
        addItem(mnuGrid, QStringLiteral("mnuGridDuplicate"), QStringLiteral("Duplicate Rows"), "mnuGridDuplicate_Click",
                [this] { mnuGridDuplicate_Click(); });

    if (m_spec.productList) {
        mnuProducts = addMenu(QStringLiteral("mnuProducts"), QStringLiteral("&Product List"));
        addItem(mnuProducts, QStringLiteral("mnuProductsEdit"), QStringLiteral("&Edit List"), "mnuProductsEdit_Click",
                [this] { EditProductList(); });
        mnuProductsPick = addItem(mnuProducts, QStringLiteral("mnuProductsPick"), QStringLiteral("Pick from &List"),
                                  "mnuProductsPick_Click", [this] { fpEpaList->setFocus(Qt::ShortcutFocusReason); });
        connect(mnuProducts, &QMenu::aboutToShow, this, [this] {
            guard(QStringLiteral("mnuProducts_Click"), [this] { mnuProductsPick->setEnabled(fpEpaList->isEnabled()); });
        });
    }

    mnuValidate = bar->addAction(QStringLiteral("&Validate"));
    mnuValidate->setObjectName(QStringLiteral("mnuValidate"));
    connect(mnuValidate, &QAction::triggered, this, [this] {
        guard(QStringLiteral("mnuValidate_Click"), [this] { mobjZelFarpoint->ValidationFeedback(ValidateForm()); });
    });

    if (!m_spec.help.isEmpty()) {
        QMenu* mnuHelp = addMenu(QStringLiteral("mnuHelp"), QStringLiteral("&Help"));
        for (const HelpPageSpec& page : m_spec.help) {
            const qint32 doc = page.docId;
            QAction* item = mnuHelp->addAction(page.caption);
            item->setObjectName(page.item);
            const QString location = page.item + QStringLiteral("_Click");
            connect(item, &QAction::triggered, this, [this, location, doc] {
                guard(location, [doc] { Vezedad::Globals::Documentation().ShowDoc(doc, Vezedad::kvoOptionA); });
            });
        }
    }
}

void ReportForm::connectGrid() {
    ReportGrid* grid = fpZelForm;
    connect(grid, &ReportGrid::editStarting, this, [this](int col, int row, bool& cancel) {
        guard(QStringLiteral("fpZelForm_EditModeStarting"), [&] { fpZelForm_BeforeEdit(col, row, cancel); });
    });
    connect(grid, &ReportGrid::editMode, this, [this](int col, int row, int mode, bool changed) {
        guard(QStringLiteral("fpZelForm_EditMode"), [&] { fpZelForm_EditMode(col, row, mode, changed); });
    });
    connect(grid, &ReportGrid::leaveCell, this, [this](int col, int row, int newCol, int newRow, bool& cancel) {
        guard(QStringLiteral("fpZelForm_LeaveCell"), [&] { fpZelForm_LeaveCell(col, row, newCol, newRow, cancel); });
    });
    connect(grid, &ReportGrid::advance, this,
            [this](bool forward) { guard(QStringLiteral("fpZelForm_Advance"), [&] { fpZelForm_Advance(forward); }); });
    connect(grid, &ReportGrid::keyDown, this, [this](int& keyCode, int shift) {
        guard(QStringLiteral("fpZelForm_KeyDown"), [&] { fpZelForm_KeyDown(keyCode, shift); });
    });
    connect(grid, &ReportGrid::rightClick, this, [this](int clickType, int col, int row, const QPoint& at) {
        guard(QStringLiteral("fpZelForm_RightClick"), [&] { fpZelForm_RightClick(clickType, col, row, at); });
    });
    connect(grid, &ReportGrid::textTipFetch, this,
            [this](int col, int row, int& multiLine, int& tipWidth, QString& tipText, bool& showTip) {
                guard(QStringLiteral("fpZelForm_TextTipFetch"),
                      [&] { fpZelForm_TextTipFetch(col, row, multiLine, tipWidth, tipText, showTip); });
            });
    connect(chkShowRowNumbers, &QCheckBox::toggled, this, [this](bool checked) {
        guard(QStringLiteral("chkShowRowNumbers_Click"), [&] { fpZelForm->setRowHeadersVisible(checked); });
    });
    if (fpEpaList) {
        connect(fpEpaList, &ReportGrid::click, this, [this](int, int row) {
            guard(QStringLiteral("fpEpaList_Click"), [&] {
                if (row > 0) ApplySelectedProduct(row);
            });
        });
        connect(fpEpaList, &ReportGrid::keyPress, this, [this](int& keyAscii) {
            guard(QStringLiteral("fpEpaList_KeyPress"), [&] {
                if (keyAscii != 13) return;
                keyAscii = 0;
                if (fpEpaList->activeRow() > 0) ApplySelectedProduct(fpEpaList->activeRow());
            });
        });
        connect(cmdEPAEditList, &QPushButton::clicked, this,
                [this] { guard(QStringLiteral("cmdEPAEditList_Click"), [this] { EditProductList(); }); });
    }
    if (cmdCountyPopup)
        connect(cmdCountyPopup, &QPushButton::clicked, this, [this] {
            guard(QStringLiteral("cmdCountyPopup_Click"), [this] {
                if (mobjCountySelect) mobjCountySelect->Setup();
            });
        });
}

void ReportForm::guard(const QString& handler, const std::function<void()>& body) {
    // Before the window loads and once it has unloaded there is no report to
    // work on.
    if (!mobjZelFarpoint) return;
    Vezedad::Ui::GuardShowError(Location(handler), body, this);
}

QString ReportForm::Location(const QString& procedure) const {
    return QStringLiteral("Dazozuvi::") + m_spec.name + QLatin1Char('.') + procedure;
}

// ---- window load, activation, colours ------------------------------------

void ReportForm::Load() {
    if (m_loaded) return;
    m_loaded = true;
    Vezedad::trapArrow(Location(QStringLiteral("Form_Load")), [this] {
        SetBackColor();
        mobjZelFarpoint = modGlobals::New_CZelFarpoint(m_spec.formType, *fpZelForm);
        mobjZelFarpoint->setValidatingAnswer(
            [this](qint32 row, qint32 col, QStringView value, bool& check, qint32& field, bool& result) {
                // A column the form cannot answer for is left as it came.
                try {
                    AnswerValidating(row, col, value, check, field, result);
                } catch (...) {
                }
            },
            AnswersByColumn());
        if (m_spec.countyColumn > 0) {
            mobjCountySelect = std::make_unique<ZozedizIZ::CountySelector>();
            connect(mobjCountySelect.get(), &ZozedizIZ::CountySelector::BehaviorChanged, this, [this] {
                guard(QStringLiteral("mobjCountySelect_BehaviorChanged"), [this] { showCountyBehaviour(); });
            });
            showCountyBehaviour();
        }
        lblReportYear->setText(QStringLiteral("Report Year ") +
                               QString::number(Vezedad::Globals::ZelReport().ReportYear()));
        if (m_spec.activity.kind == NoActivitySpec::Options) {
            if (m_spec.activity.startsWithoutActivity) {
                setActivity(0);
            } else {
                const QSignalBlocker quiet(m_options);
                m_options->button(m_activity)->setChecked(true);
            }
        } else if (m_spec.activity.kind == NoActivitySpec::CheckBox && m_spec.activity.startsWithoutActivity) {
            setActivity(0);
        }
        if (fpEpaList) mobjZelFarpoint->FillEPAListBox(*fpEpaList);
        m_hook.Hook(this, m_spec.minWidthTwips, m_spec.minHeightTwips);
    });
}

void ReportForm::SetBackColor() {
    // The setting, or the system's button face when it cannot be read. The
    // option buttons and check boxes draw no background of their own: they
    // show their frame's.
    QList<QWidget*> widgets{this, fraCanvas, fraDataEntry, fraHeader->viewport()};
    if (fraActivity) widgets << fraActivity;
    for (QWidget* w : widgets) Vezedad::Ui::SetBackColor(*w);
}

void ReportForm::Form_Activate() {
    if (HasActivity() || m_spec.activity.kind == NoActivitySpec::None) {
        fpZelForm->setFocus(Qt::ActiveWindowFocusReason);
    } else if (m_options) {
        m_options->button(0)->setFocus(Qt::ActiveWindowFocusReason);
    } else if (chkNoActivity) {
        chkNoActivity->setFocus(Qt::ActiveWindowFocusReason);
    }
}

// ---- Edit ----------------------------------------------------------------

void ReportForm::Edit(bool& Cancel, const Vezedad::IdentityPtr& objIdentity, const QString& strFile) {
    Load();
    m_identity = (objIdentity ? objIdentity : Vezedad::Globals::ZelReport().Identity())->Clone();
    bool enableHeader = false;
    bool loaded = false;
    if (Vezedad::Globals::FSO().FileExists(strFile)) {
        Cancel = !GetFile(strFile);
        loaded = true;
    } else {
        StartNewReport();
        HeaderFromClone();
        enableHeader = !objIdentity;
    }
    if (Cancel) {
        m_hook.Unhook();
        return;
    }
    m_path = strFile;
    ShowFileName();
    for (int i = 0; i < m_headerBoxes.size(); ++i) {
        if (!m_spec.headerBoxes[i].fromFile)
            showWhole(*m_headerBoxes[i], m_identity->GetPropertyValue(m_spec.headerBoxes[i].fieldId));
        m_headerBoxes[i]->setEnabled(enableHeader);
    }
    // The verdict on a loaded file comes before its window.
    if (loaded && m_spec.feedbackAfterLoad) mobjZelFarpoint->ValidationFeedback(ValidateForm());
    Vezedad::Ui::ExecModal(*this);
}

void ReportForm::StartNewReport() { fpZelForm->setRowCount(SpareRows); }

qint32 ReportForm::ValidateForm() {
    return Vezedad::trapArrow(Location(QStringLiteral("ValidateForm")), [this] {
        Vezedad::Ui::Hourglass hourglass(this);
        return mobjZelFarpoint->ValidateForm(!HasActivity() && m_spec.activity.kind != NoActivitySpec::None);
    });
}

bool ReportForm::IsDirty() const { return mobjZelFarpoint && mobjZelFarpoint->IsDirty(); }

QLineEdit* ReportForm::HeaderBox(qint32 fieldId) const {
    for (int i = 0; i < m_headerBoxes.size(); ++i)
        if (m_spec.headerBoxes[i].fieldId == fieldId) return m_headerBoxes[i];
    return nullptr;
}

Vezedad::Identity& ReportForm::Clone() const {
    if (!m_identity) Vezedad::raiseRuntimeError(Vezedad::rtObjectNotSet, Location(QStringLiteral("Identity")));
    return *m_identity;
}

// ---- the no-activity switch -----------------------------------------------

void ReportForm::setHasActivity(bool value) { setActivity(value ? 1 : 0); }

void ReportForm::setActivity(int state) {
    // The switch belongs to a loaded window.
    Load();
    if (m_options) {
        if (QAbstractButton* option = m_options->button(state)) option->setChecked(true);
    } else if (chkNoActivity) {
        chkNoActivity->setChecked(state == 0);
    }
}

void ReportForm::activityClicked(int state) {
    m_activity = state;
    const bool active = state != 0;
    fraDataEntry->setVisible(active);
    mnuGrid->menuAction()->setEnabled(active);
    mnuValidate->setEnabled(active);
    if (fpEpaList) fpEpaList->setEnabled(active);
    if (active) {
        lblWarning->hide();
    } else if (fpZelForm->lastDataRow() >= 1) {
        lblWarning->setText(m_spec.activity.lossWarning);
        lblWarning->show();
    }
    if (mobjZelFarpoint) mobjZelFarpoint->setIsDirty(true);
}

void ReportForm::WarnNoActivityChecked() {
    Vezedad::Ui::MsgBox(m_spec.activity.editRefusal, Vezedad::Ui::vbOKOnly, ZozedizIZ::Globals::StdErrHeader(), this);
}

bool ReportForm::subtitleFor(QString& subtitle) const {
    if (!HasActivity() && m_spec.activity.kind != NoActivitySpec::None) {
        subtitle = m_spec.activity.noActivitySubtitle;
        return false;
    }
    subtitle.clear();
    if (m_spec.activity.subtitleFromOption && m_options)
        if (QAbstractButton* option = m_options->button(m_activity)) subtitle = option->text();
    return true;
}

// ---- header boxes ---------------------------------------------------------

bool ReportForm::headerBoxLeft(int index) {
    if (!m_identity) return true;
    const HeaderBoxSpec& s = m_spec.headerBoxes[index];
    QLineEdit* box = m_headerBoxes[index];
    bool kept = true;
    auto body = [&] {
        if (box->text() == m_identity->GetPropertyValue(s.fieldId)) return;
        if (s.checked) {
            // An unchanged id is not checked again.
            if (!modGlobals::ValidateTextBox(*box, s.fieldId)) {
                kept = false;
                return;
            }
            m_identity->SetPropertyValue(s.fieldId, box->text());
            mobjZelFarpoint->setIsDirty(true);
        } else {
            // The identity checks a name itself; a refused one is shown and
            // the focus moves on.
            m_identity->SetPropertyValue(s.fieldId, box->text());
        }
    };
    const QString procedure = s.box + QStringLiteral("_Validate");
    Vezedad::Ui::Guard(body, [&](const Vezedad::ErrorInfo& error) {
        if (m_spec.headerErrorsByProcedure)
            Vezedad::Ui::ShowProcedureError(error, procedure, Vezedad::Ui::OwnerKind::Form, m_spec.name, this);
        else
            Vezedad::Ui::ShowError(error, Location(procedure), this);
        kept = !s.checked;
    });
    return kept;
}

bool ReportForm::HeaderKept() { return ZozedizIZ::LeaveCheck::ValidateFocused(this); }

void ReportForm::HeaderFromClone() {
    for (int i = 0; i < m_headerBoxes.size(); ++i)
        if (m_spec.headerBoxes[i].fromFile)
            showWhole(*m_headerBoxes[i], Clone().GetPropertyValue(m_spec.headerBoxes[i].fieldId));
}

QList<int> ReportForm::IdBoxes() const {
    QList<int> ids;
    for (int i = 0; i < m_spec.headerBoxes.size(); ++i)
        if (m_spec.headerBoxes[i].inFile) ids << i;
    return ids;
}

QStringList ReportForm::IdsWritten() const {
    QStringList ids;
    for (int i : IdBoxes()) ids << m_headerBoxes[i]->text();
    return ids;
}

QString ReportForm::BoxCaption(int index) const {
    QString caption = m_spec.headerBoxes[index].caption;
    caption.remove(QLatin1Char('&'));
    return caption;
}

void ReportForm::SetHeaderFromFile(qint32 fieldId, const QString& value) {
    QLineEdit* box = HeaderBox(fieldId);
    if (box) showWhole(*box, value);
    try {
        Clone().SetPropertyValue(fieldId, value);
    } catch (const Vezedad::ErrorInfo&) {
        // The clone keeps the value it had.
    }
    for (const HeaderBoxSpec& s : m_spec.headerBoxes)
        if (s.fieldId == fieldId && s.checked && box)
            setBoxColour(*box, colourOfCheck(*Vezedad::Globals::Validator().ValidateField(fieldId, value)));
}

QString ReportForm::Field(const QStringList& fields, int i) { return i < fields.size() ? fields[i] : QString(); }

// ---- loading --------------------------------------------------------------

bool ReportForm::GetFile(const QString& path) {
    return Vezedad::trapArrow(Location(QStringLiteral("GetFile")), [&] {
        Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
        if (!fso.FileExists(path)) return false;
        m_loadingPath = path;
        m_loadingSize = fso.GetFileSize(path);
        if (m_loadingSize <= DirectLoadBytes) return LoadData();
        mProgress = std::make_unique<ZozedizIZ::ProgressForm>();
        connect(mProgress.get(), &ZozedizIZ::ProgressForm::Execute, this, [this] { mProgress_Execute(); });
        struct Release {
            std::unique_ptr<ZozedizIZ::ProgressForm>& progress;
            ~Release() { progress.reset(); }
        } release{mProgress};
        m_loadResult = false;
        mProgress->StartTracking(QStringLiteral("Loading data from ") + path, float(m_loadingSize), true);
        return m_loadResult;
    });
}

void ReportForm::mProgress_Execute() { m_loadResult = LoadData(); }

bool ReportForm::LoadData() {
    bool result = false;
    // The progress window closes on every way out of the load.
    auto finished = [this] {
        if (mProgress) mProgress->Finished();
    };
    Vezedad::Ui::Guard(
        [&] {
            ReportLoader::Form form;
            form.leadingFields = m_spec.leadingFields;
            form.recordFields = Vezedad::Globals::Validator().ExpectedColumnCount(m_spec.formType).Max;
            form.firstLine = [this](const QString& line) { return LoadFirstLine(line); };
            form.header = [this](const QStringList& fields) {
                return Vezedad::trapArrow(Location(QStringLiteral("LoadFirstLine")), [&] {
                    ReadFirstRecord(fields);
                    return IdsWritten();
                });
            };
            if (HearsLoadedRecords())
                form.recordLoaded = [this](QAnyStringView line, const QString& delimiter) {
                    RecordLoaded(line, delimiter);
                };
            // The window hears of the load at most every ReportIntervalMs, as
            // it hears of a check (it shows no more often, and a status line
            // set a thousand times costs more than the rows); the last
            // figures reach it before it closes.
            QElapsedTimer sinceReport;
            qint64 pendingRecords = -1, pendingBytes = 0;
            const auto report = [this](qint64 records, qint64 bytes) {
                return mProgress->Update(
                    QStringLiteral("Loaded ") + QString::number(records) + QStringLiteral(" rows."), float(bytes));
            };
            if (mProgress)
                form.progress = [&](qint64 records, qint64 bytes) {
                    if (sinceReport.isValid() && sinceReport.elapsed() < CZelFarpoint::ReportIntervalMs) {
                        pendingRecords = records;
                        pendingBytes = bytes;
                        return true;
                    }
                    sinceReport.start();
                    pendingRecords = -1;
                    return report(records, bytes);
                };
            const LoadOutcome outcome = ReportLoader::load(m_loadingPath, *mobjZelFarpoint, form);
            if (mProgress && pendingRecords >= 0 && outcome.complete) report(pendingRecords, pendingBytes);
            finished();
            if (outcome.complete) {
                // A file without a record the form loads gives no header: it
                // is the filer's, as a new report's is.
                if (!outcome.headerRead) HeaderFromClone();
                finishLoad();
                RememberFile(m_loadingPath, outcome.stamp);
                QStringList notes{encodingNotice(outcome.encoding), outcome.leftOutNotice(m_spec.activity.recordName)};
                const QList<int> ids = IdBoxes();
                for (int i = 0; i < outcome.otherIds.size() && i < ids.size(); ++i)
                    notes << otherIdsNotice(outcome.otherIds[i], BoxCaption(ids[i]).trimmed(),
                                            m_headerBoxes[ids[i]]->text());
                notes << beyondNotice(outcome.beyond, Vezedad::Globals::GetFormName(m_spec.formType, true));
                TellAboutLoad(m_loadingPath, notes);
                result = true;
            }
        },
        [&](const Vezedad::ErrorInfo& error) {
            finished();
            Vezedad::Ui::ShowError(error, Location(QStringLiteral("LoadData")), this);
        });
    return result;
}

void ReportForm::TellAboutLoad(const QString& path, QStringList notes) {
    notes.removeAll(QString());
    const QString own = LoadNotes();
    if (!own.isEmpty()) notes << own;
    if (notes.isEmpty()) return;
    Vezedad::Ui::MsgBox(QStringLiteral("File '") + Vezedad::Globals::FSO().GetFileName(path) + QStringLiteral("':") +
                            kCrLf + notes.join(kCrLf + kCrLf),
                        Vezedad::Ui::vbOKOnly | Vezedad::Ui::vbExclamation, QStringLiteral("Opening Data File"), this);
}

QString ReportForm::LoadNotes() { return QString(); }

void ReportForm::RememberFile(const QString& path, const Vezedad::ReportFile::FileStamp& stamp) {
    m_stampPath = path;
    m_stamp = stamp;
    m_readInPart = false;
}

void ReportForm::RememberFileReadInPart(const QString& path) {
    m_stampPath = path;
    m_stamp = Vezedad::ReportFile::FileStamp();
    m_readInPart = true;
}

void ReportForm::finishLoad() {
    // A file without data rows reports no activity.
    const int last = fpZelForm->lastDataRow();
    if (m_spec.activity.kind != NoActivitySpec::None) setActivity(last == 0 ? 0 : m_loadedActivity);
    fpZelForm->setRowCount(last + SpareRows);
    mobjZelFarpoint->setIsDirty(false);
}

QString ReportForm::LoadFirstLine(const QString& line) {
    return Vezedad::trapArrow(Location(QStringLiteral("LoadFirstLine")), [&] {
        Vezedad::Validator& validator = Vezedad::Globals::Validator();
        const Vezedad::ColumnStructure structure = validator.GetColumnStructure(line);
        const Vezedad::ValidationResultPtr check =
            validator.CheckColumnCount(line, structure.Delimiter, 1, m_spec.formType);
        if (!check->IsValid()) {
            const QString text = QStringLiteral("File '") + Vezedad::Globals::FSO().GetFileName(m_loadingPath) +
                                 QStringLiteral("':") + kCrLf + check->Message() + kCrLf +
                                 QStringLiteral("Try to load it anyway?");
            if (Vezedad::Ui::MsgBox(text, Vezedad::Ui::vbYesNo | Vezedad::Ui::vbDefaultButton2,
                                    QStringLiteral("Opening Data File"), this) != Vezedad::Ui::vbYes)
                return QString();
        }
        // The header comes from the first record the form loads, which need
        // not be this line (ReportLoader).
        m_loadedActivity = 1;
        return structure.Delimiter.isEmpty() ? kPipe : structure.Delimiter;
    });
}

void ReportForm::ReadFirstRecord(const QStringList&) {}

void ReportForm::RecordLoaded(QAnyStringView, const QString&) {}

// ---- saving ---------------------------------------------------------------

qint32 ReportForm::AskToSave(bool exiting) {
    return mobjZelFarpoint->PresaveForm(exiting, HasActivity() || m_spec.activity.kind == NoActivitySpec::None);
}

bool ReportForm::SaveFile(const QString& path) {
    if (Vezedad::Globals::FSO().FileExists(path)) return WriteToFile(path);
    return SaveFileAs();
}

bool ReportForm::SaveFileAs() {
    QString proposed = m_path;
    if (proposed.isEmpty())
        proposed = Vezedad::Globals::ZelReport().ProposeNewName(m_spec.formType, Vezedad::zfitText, ProposedNameId());
    const QString path =
        ZozedizIZ::Globals::FileOperations().PickFileSave(m_spec.formType, Vezedad::zfitText, proposed);
    if (path.isEmpty()) return false;
    return WriteToFile(path);
}

QString ReportForm::ProposedNameId() const {
    for (int i = 0; i < m_headerBoxes.size(); ++i)
        if (m_spec.headerBoxes[i].box == m_spec.fileNameIdBox) return m_headerBoxes[i]->text();
    return QString();
}

bool ReportForm::RefusedCharacters(const QString& where, const QString& why) {
    Vezedad::Ui::MsgBox(QStringLiteral("Nothing was saved. ") + where + why + QLatin1Char('.') + kCrLf +
                            QStringLiteral("Please change it and save again."),
                        Vezedad::Ui::vbOKOnly | Vezedad::Ui::vbExclamation, ZozedizIZ::Globals::StdErrHeader(), this);
    return true;
}

bool ReportForm::RefusedHeader() {
    for (int i = 0; i < m_headerBoxes.size(); ++i) {
        if (!m_spec.headerBoxes[i].inFile) continue;
        const QString subject = QStringLiteral("The header box \"") + BoxCaption(i) + QLatin1Char('"');
        const QString why = Vezedad::ReportFile::refusal(m_headerBoxes[i]->text(), subject);
        if (!why.isEmpty()) return RefusedCharacters(subject, why.mid(subject.size()));
    }
    return false;
}

QString ReportForm::RefusedPlace(qint64 record, int field) const {
    const int column = field - m_spec.leadingFields;
    if (column >= 1 && column <= m_spec.columns.size())
        return QStringLiteral("Row ") + QString::number(record) + QStringLiteral(", column ") +
               QString::number(column) + QStringLiteral(" (") + m_spec.columns.value(column - 1).header +
               QLatin1Char(')');
    return QStringLiteral("Record ") + QString::number(record) + QStringLiteral(", field ") + QString::number(field);
}

bool ReportForm::IsFileRead(const QString& path) const {
    // Another copy of the program or an editor may have changed it since.
    return !m_stampPath.isEmpty() && QFileInfo(path).absoluteFilePath() == QFileInfo(m_stampPath).absoluteFilePath() &&
           QFileInfo::exists(path);
}

bool ReportForm::ReplaceAsked(const QString& question) {
    return Vezedad::Ui::MsgBox(question,
                               Vezedad::Ui::vbYesNo | Vezedad::Ui::vbExclamation | Vezedad::Ui::vbDefaultButton2,
                               ZozedizIZ::Globals::StdErrHeader(), this) == Vezedad::Ui::vbYes;
}

bool ReportForm::PartReplaceConfirmed(const QString& path) {
    // What the form did not read it cannot write back: only a list opens
    // from a file it did not read to its end.
    if (!m_readInPart || !IsFileRead(path)) return true;
    return ReplaceAsked(QStringLiteral("The file '") + Vezedad::Globals::FSO().GetFileName(path) +
                        QStringLiteral("' was not loaded in full; replace it with this list?") + kCrLf +
                        QStringLiteral("What this list does not show of it will be lost."));
}

bool ReportForm::UnchangedOrConfirmed(const QString& path) {
    if (m_readInPart || m_stamp.isNull() || !IsFileRead(path) || Vezedad::ReportFile::FileStamp::of(path) == m_stamp)
        return true;
    return ReplaceAsked(QStringLiteral("The file '") + Vezedad::Globals::FSO().GetFileName(path) +
                        QStringLiteral("' has changed since this report was opened or last saved, perhaps in another "
                                       "copy of this program.") +
                        kCrLf + QStringLiteral("Replace it with this report? What was saved there will be lost."));
}

bool ReportForm::WriteToFile(const QString& path) {
    mobjZelFarpoint->CommitEdit();
    fpZelForm->refresh();
    const bool rowsWritten = HasActivity() || m_spec.activity.kind == NoActivitySpec::None;
    auto nothingToSave = [this] {
        Vezedad::Ui::MsgBox(m_spec.emptyGridMessage, Vezedad::Ui::vbOKOnly | m_spec.emptyGridIcon,
                            ZozedizIZ::Globals::StdErrHeader(), this);
        return false;
    };
    if (rowsWritten && fpZelForm->lastDataRow() == 0 && !m_spec.emptyGridMessage.isEmpty()) return nothingToSave();
    if (RefusedHeader()) return false;
    if (!PartReplaceConfirmed(path)) return false;
    bool written = false;
    std::unique_ptr<Vezedad::ReportFile::RecordWriter> file;
    try {
        // The records go to the file as they are made; it takes the old
        // file's place only once it is whole, so a failure, a refused value
        // or a full disk leaves the file on disk as it was.
        file = std::make_unique<Vezedad::ReportFile::RecordWriter>(path, QStringLiteral("FileSystemObject"));
        WriteRecords(*file);
        // Rows that a form leaves out can leave nothing at all: an empty
        // file would only replace a report with nothing.
        if (file->records() == 0 && !m_spec.emptyGridMessage.isEmpty()) {
            file->cancel();
            return nothingToSave();
        }
        // The check before the replacement runs under the file's lock, so
        // another copy's save is either seen there or waits for this one.
        const std::optional<Vezedad::ReportFile::FileStamp> stamp =
            file->commit([&] { return UnchangedOrConfirmed(path); });
        if (stamp) {
            RememberFile(path, *stamp);
            written = true;
        }
    } catch (...) {
        const Vezedad::ErrorInfo error = Vezedad::ErrorInfo::fromCurrentException();
        if (file && file->refusedRecord() > 0) {
            const QString subject =
                QStringLiteral("Record %1, field %2").arg(file->refusedRecord()).arg(file->refusedField());
            RefusedCharacters(RefusedPlace(file->refusedRecord(), file->refusedField()),
                              error.Description().mid(subject.size()));
        } else {
            Vezedad::Ui::ShowError(error, Location(QStringLiteral("WriteToFile")), this);
        }
    }
    if (written) {
        m_path = path;
        ShowFileName();
        mobjZelFarpoint->setIsDirty(false);
    }
    AfterWrite(written);
    return written;
}

void ReportForm::AfterWrite(bool) {}

void ReportForm::WriteDataRecords(Vezedad::ReportFile::RecordWriter& file, const QStringList& leading,
                                  const QStringList& trailing, int lastColumn) const {
    writeDataRecords(file, *fpZelForm, leading, lastColumn, trailing);
}

void ReportForm::ShowFileName() {
    if (m_path.isEmpty()) {
        lblFileName->setText(QStringLiteral("{not saved}"));
        return;
    }
    const Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    QString base = fso.GetBaseName(m_path);
    if (base.size() > 40) base = base.left(40) + QStringLiteral("...");
    const QString extension = fso.GetExtensionName(m_path);
    lblFileName->setText(QStringLiteral("File: ") + base +
                         (extension.isEmpty() ? QString() : QLatin1Char('.') + extension));
}

// ---- closing --------------------------------------------------------------

void ReportForm::reject() {
    // Esc closes the window the way its close box does.
    close();
}

void ReportForm::closeEvent(QCloseEvent* event) {
    bool closing = true;
    Vezedad::Ui::Guard([&] { closing = Form_QueryUnload(); },
                       [&](const Vezedad::ErrorInfo& error) {
                           // The data stays: the window stays open.
                           Vezedad::Ui::ShowError(error, Location(QStringLiteral("Form_QueryUnload")), this);
                           closing = false;
                       });
    if (!closing) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    QDialog::done(QDialog::Rejected);
}

bool ReportForm::Form_QueryUnload() {
    // A cell being edited counts as left: its check may change the report.
    if (mobjZelFarpoint) mobjZelFarpoint->CommitEdit();
    if (!IsDirty()) return true;
    switch (AskToSave(true)) {
    case CZelFarpoint::Stay: return false;
    case CZelFarpoint::Save:
        // The window closes only once the file is written.
        return HeaderKept() && SaveFile(m_path);
    default: return true;
    }
}

void ReportForm::Form_Unload() {
    m_hook.Unhook();
    // The county selector saves its options as it ends.
    mobjCountySelect.reset();
    mobjZelFarpoint.reset();
    m_identity.reset();
}

// ---- grid events ----------------------------------------------------------

void ReportForm::AnswerValidating(qint32, qint32 lngCol, QStringView, bool& blnCheck, qint32& lngFieldId,
                                  bool& blnResult) {
    if (lngCol < 1 || lngCol > m_spec.fields.size()) return;
    lngFieldId = m_spec.fields[lngCol - 1];
    blnCheck = lngCol <= m_spec.validatedColumns;
    if (!blnCheck) blnResult = true;
}

void ReportForm::AfterValidEdit(int, int) {}

void ReportForm::fpZelForm_BeforeEdit(int, int, bool& cancel) {
    if (HasActivity() || m_spec.activity.kind == NoActivitySpec::None) return;
    WarnNoActivityChecked();
    cancel = true;
}

void ReportForm::fpZelForm_EditMode(int col, int row, int mode, bool changeMade) {
    if (mode == 1 && m_spec.countyColumn > 0 && col == m_spec.countyColumn) countyEditStarted(col, row);
    if (mode == 0 && changeMade) {
        if (mobjZelFarpoint->ValidateCell(row, col, true)) {
            mobjZelFarpoint->setIsDirty(true);
            AfterValidEdit(col, row);
        } else {
            // The cursor stays on the bad cell.
            fpZelForm->setActiveCell(col, row);
        }
    }
    // Text written into the last row brings a new empty row. An edit that
    // only opens and closes adds none: the county column opens its cell as
    // Tab passes, and a row for every pass would never let Tab leave the
    // grid.
    if (mode == 0 && changeMade && row == fpZelForm->rowCount()) fpZelForm->setRowCount(fpZelForm->rowCount() + 1);
}

void ReportForm::fpZelForm_LeaveCell(int col, int, int newCol, int newRow, bool&) {
    if (m_spec.countyColumn > 0 && newCol == m_spec.countyColumn) countyColumnEntered(col, newRow);
}

void ReportForm::fpZelForm_Advance(bool forward) {
    if (forward) return;
    // Backwards out of the first cell: to the control before the grid.
    if (cmdCountyPopup)
        cmdCountyPopup->setFocus(Qt::BacktabFocusReason);
    else
        chkShowRowNumbers->setFocus(Qt::BacktabFocusReason);
}

void ReportForm::fpZelForm_KeyDown(int& keyCode, int shift) {
    // Only these exact modifier states act.
    enum { None = 0, Shift = 1, Ctrl = 2 };
    const int modifiers = shift & 7;
    std::function<void()> action;
    if (modifiers == None && keyCode == Qt::Key_Delete)
        action = [this] { mobjZelFarpoint->ClearRange(); };
    else if ((modifiers == Shift && keyCode == Qt::Key_Delete) || (modifiers == Ctrl && keyCode == Qt::Key_X))
        action = [this] { mnuGridCut_Click(); };
    else if ((modifiers == Shift && keyCode == Qt::Key_Insert) || (modifiers == Ctrl && keyCode == Qt::Key_V))
        action = [this] { mobjZelFarpoint->PasteOverwrite(); };
    else if (modifiers == Ctrl && (keyCode == Qt::Key_C || keyCode == Qt::Key_Insert))
        action = [this] { mnuGridCopy_Click(); };
    if (!action) return;
    keyCode = 0;
    action();
}

void ReportForm::fpZelForm_RightClick(int clickType, int col, int row, const QPoint& globalPos) {
    if (clickType != 1) return;
    ReportGrid& grid = *fpZelForm;
    const bool active = col == grid.activeCol() && row == grid.activeRow();
    if (!active && row >= 1 && col >= 1 && !grid.isCellSelected(col, row)) grid.setActiveCell(col, row);
    mnuGrid->popup(globalPos);
}

void ReportForm::fpZelForm_TextTipFetch(int col, int, int& multiLine, int&, QString& tipText, bool& showTip) {
    if (col < 1 || col > m_spec.fields.size()) return;
    showTip = true;
    multiLine = 1;
    tipText = ZozedizIZ::Globals::GetMessage(ZozedizIZ::kvmTextTipOffset + m_spec.fields[col - 1]);
}

// ---- Edit menu ------------------------------------------------------------

void ReportForm::mnuGridCopy_Click() {
    mobjZelFarpoint->CommitEdit();
    fpZelForm->clipboardCopy();
    fpZelForm->clearSelectedBlocks();
}

void ReportForm::mnuGridCut_Click() {
    mobjZelFarpoint->CommitEdit();
    fpZelForm->clipboardCut();
    fpZelForm->clearSelectedBlocks();
    mobjZelFarpoint->setIsDirty(true);
}

void ReportForm::mnuGridDelete_Click() {
    mobjZelFarpoint->CommitEdit();
    const GridBlock block = fpZelForm->firstSelectedBlock();
    if (block.rowCount() > 0) fpZelForm->deleteRows(block.row1, block.rowCount());
    mobjZelFarpoint->setIsDirty(true);
}

void ReportForm::mnuGridDuplicate_Click() {
    mobjZelFarpoint->CommitEdit();
    ReportGrid& grid = *fpZelForm;
    const GridBlock block = grid.firstSelectedBlock();
    const int m = block.rowCount();
    if (m == 0) return;
    const int d = grid.lastDataRow();
    grid.gridModel().growing([&] {
        if (grid.rowCount() < d + m)
            grid.setRowCount(d + m + 1);
        else
            grid.setRowCount(grid.rowCount() + m);
        grid.copyRows(block.row1, m, d + 1);
    });
    mobjZelFarpoint->setIsDirty(true);
}

// ---- File menu: printing ---------------------------------------------------

void ReportForm::mnuFile_Click() {
    mnuFilePrintSelection->setEnabled(
        !m_spec.printSelectionNeedsData ||
        ((HasActivity() || m_spec.activity.kind == NoActivitySpec::None) && fpZelForm->lastDataRow() >= 1));
}

void ReportForm::mnuFilePrint_Click() {
    QString subtitle;
    if (subtitleFor(subtitle)) {
        mobjZelFarpoint->PrintGrid(*m_identity, subtitle);
        return;
    }
    // A report without activity prints its header and no rows, whatever the
    // grid still holds.
    ReportGrid& grid = *fpZelForm;
    struct Restore {
        ReportGrid& grid;
        PrintRange range;
        GridBlock block;
        ~Restore() {
            grid.setPrintRange(range);
            grid.setPrintBlock(block);
        }
    } restore{grid, grid.printRange(), grid.printBlock()};
    grid.setPrintBlock(GridBlock{1, 1, grid.columnCount(), 0});
    grid.setPrintRange(PrintRange::Block);
    mobjZelFarpoint->PrintGrid(*m_identity, subtitle);
}

void ReportForm::mnuFilePrintSelection_Click() { mobjZelFarpoint->PrintGridSelection(*m_identity, QString()); }

// ---- product pick list ----------------------------------------------------

void ReportForm::ApplySelectedProduct(int row) {
    Vezedad::trapArrow(Location(QStringLiteral("ApplySelectedProduct")), [&] {
        mobjZelFarpoint->CommitEdit();
        ReportGrid& grid = *fpZelForm;
        const int target = std::max(grid.activeRow(), 1);
        const QString number = fpEpaList->text(1, row);
        const QString name = fpEpaList->text(2, row);
        if (!number.isEmpty()) grid.setText(1, target, number);
        if (!name.isEmpty()) grid.setText(2, target, name);
        mobjZelFarpoint->setIsDirty(true);
        grid.setActiveCell(3, target);
        grid.setFocus(Qt::OtherFocusReason);
    });
}

void ReportForm::EditProductList() {
    Vezedad::trapArrow(Location(QStringLiteral("EditProductList")), [this] {
        ZozedizIZ::Globals::EpaList().EditList();
        mobjZelFarpoint->FillEPAListBox(*fpEpaList);
    });
}

// ---- county-code column ---------------------------------------------------

void ReportForm::showCountyBehaviour() {
    cmdCountyPopup->setText(mobjCountySelect->BehaviorDescription() + QStringLiteral(" Click to change."));
}

void ReportForm::countyColumnEntered(int col, int newRow) {
    if (!HasActivity() && m_spec.activity.kind != NoActivitySpec::None) {
        WarnNoActivityChecked();
        return;
    }
    ReportGrid& grid = *fpZelForm;
    const int county = m_spec.countyColumn;
    grid.setActiveCell(county, newRow);
    const QString code = mobjCountySelect->GetCountyCode(grid.text(county, newRow));
    if (code.isEmpty()) {
        // Typed by hand: no second pop-up when the editing starts.
        m_popupSuppressed = true;
        grid.startEdit();
    } else {
        grid.setText(county, newRow, code);
        if (mobjZelFarpoint->ValidateCell(newRow, county, true)) {
            mobjZelFarpoint->setIsDirty(true);
            grid.setActiveCell(col == county + 1 ? county - 1 : county + 1, newRow);
        }
    }
    grid.refresh();
}

void ReportForm::countyEditStarted(int col, int row) {
    ReportGrid& grid = *fpZelForm;
    // A code the user starts typing goes into the cell: a pick list opened
    // by its first key would take the keys that follow.
    if (m_popupSuppressed || grid.editStartedByTyping()) {
        m_popupSuppressed = false;
        return;
    }
    const QString code = mobjCountySelect->GetCountyCode(grid.text(col, row));
    if (code.isEmpty()) return;
    grid.endEdit(false);
    grid.setText(col, row, code);
    if (mobjZelFarpoint->ValidateCell(row, col, true)) mobjZelFarpoint->setIsDirty(true);
}

} // namespace Dazozuvi
