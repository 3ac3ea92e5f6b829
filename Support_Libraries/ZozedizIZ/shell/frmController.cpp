#include "ZozedizIZ/shell/frmController.h"

#include "Vezedad/dialogs/GCommonDialog.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/BackColor.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/HookSize.h"
#include "ZozedizIZ/shell/IdentityUI.h"
#include "ZozedizIZ/shell/LeaveCheck.h"
#include "ZozedizIZ/shell/RichText.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cmath>
#include <memory>

namespace ZozedizIZ {

namespace {

const QString kForm = QStringLiteral("frmController");
const QString kLocation = QStringLiteral("ZozedizIZ::frmController.");

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& toolTip,
                        int widthTwips, int heightTwips) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    button->setAutoDefault(false);
    button->setMinimumSize(Twips::toPixels(QSize(widthTwips, heightTwips)));
    return button;
}

QRadioButton* makeFormChoice(QWidget* parent, qint32 formType, const QString& caption, const QString& toolTip) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QStringLiteral("radFormType(%1)").arg(formType));
    button->setToolTip(toolTip);
    button->setMinimumSize(Twips::toPixels(QSize(5415, 285)));
    return button;
}

// The form-use text asks for the room its text needs at its designed width
// (at least its designed height), not a text box's stock size, so that the
// window opens no taller than its layout.
class FormUseText : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QSize sizeHint() const override {
        const QSize design = minimumSize();
        std::unique_ptr<QTextDocument> text(document()->clone());
        text->setTextWidth(design.width() - 2 * frameWidth());
        const int needed = int(std::ceil(text->size().height())) + 2 * frameWidth();
        return design.expandedTo(QSize(0, needed));
    }
};

void enableChoice(QWidget* choice, bool enable) {
    choice->setEnabled(enable);
    QFont font = choice->font();
    font.setBold(enable);
    choice->setFont(font);
}

} // namespace

frmControllerEvents::~frmControllerEvents() = default;

frmController::frmController(QWidget* parent) : QMainWindow(parent) {
    setObjectName(kForm);
    setWindowTitle(kForm);
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    buildMenus();
    scrCanvas = new QScrollArea(this);
    scrCanvas->setObjectName(QStringLiteral("scrCanvas"));
    scrCanvas->setFrameShape(QFrame::NoFrame);
    scrCanvas->setWidgetResizable(true);
    scrCanvas->setFocusPolicy(Qt::NoFocus);
    scrCanvas->verticalScrollBar()->setObjectName(QStringLiteral("ScrollVert"));
    scrCanvas->horizontalScrollBar()->setObjectName(QStringLiteral("ScrollHoriz"));
    fraFiller = new QWidget;
    fraFiller->setObjectName(QStringLiteral("fraFiller"));
    scrCanvas->setCornerWidget(fraFiller);
    scrCanvas->setWidget(buildCanvas());
    setCentralWidget(scrCanvas);

    fitCanvas();
}

// The window's size is its canvas's layout, in the fonts at hand.
void frmController::fitCanvas() {
    const QSize canvas = fraCanvas->minimumSize();
    const QSize wanted(canvas.width(), canvas.height() + Twips::toPixelsY(15) + menuBar()->sizeHint().height());
    if (wanted != size()) resize(wanted);
}

frmController::~frmController() {
    if (m_hooked) modHookSize().Unhook();
}

void frmController::buildMenus() {
    auto addItem = [this](QMenu* menu, const char* name, const QString& caption) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    auto addMenu = [this](const char* name, const QString& caption) {
        QMenu* menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        return menu;
    };
    mnuFile = addMenu("mnuFile", QStringLiteral("&File"));
    mnuFileSave = addItem(mnuFile, "mnuFileSave", QStringLiteral("&Save Identity"));
    mnuFileExit = addItem(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));
    mnuTools = addMenu("mnuTools", QStringLiteral("&Tools"));
    mnuToolsRoot = addItem(mnuTools, "mnuToolsRoot", QStringLiteral("Change &Report Root"));
    mnuToolsYear = addItem(mnuTools, "mnuToolsYear", QStringLiteral("Change &Year"));
    mnuToolsProduct = addItem(mnuTools, "mnuToolsProduct", QStringLiteral("&Edit Product List"));
    mnuToolsUpload = addItem(mnuTools, "mnuToolsUpload", QStringLiteral("&Upload Report"));
    mnuToolsBackcolor = addItem(mnuTools, "mnuToolsBackcolor", QStringLiteral("&Background Color"));
    mnuToolsPrompts = addItem(mnuTools, "mnuToolsPrompts", QStringLiteral("&Show Input Prompts"));
    mnuToolsPrompts->setCheckable(true);
    mnuValidate = addMenu("mnuValidate", QStringLiteral("&Validate"));
    mnuValidateFile = addItem(mnuValidate, "mnuValidateFile", QStringLiteral("&File"));
    mnuValidateFolder = addItem(mnuValidate, "mnuValidateFolder", QStringLiteral("Fol&der"));
    mnuHelp = addMenu("mnuHelp", QStringLiteral("&Help"));
    mnuHelpSubmit = addItem(mnuHelp, "mnuHelpSubmit", QStringLiteral("How to Submit Files to RUR"));
    mnuHelpGuide = addItem(mnuHelp, "mnuHelpGuide", QStringLiteral("User Guide"));
    mnuHelpMacros = addItem(mnuHelp, "mnuHelpMacros", QStringLiteral("Macro Security Setting"));
    mnuHelpGuidelines = addItem(mnuHelp, "mnuHelpGuidelines", QStringLiteral("File Format Guidelines"));
    mnuAbout = addItem(mnuHelp, "mnuAbout", QStringLiteral("About"));

    const auto procedure = [this](QAction* item, const char* name, std::function<void()> body) {
        connectGuardedProcedure(item, &QAction::triggered, this, QLatin1String(name), kForm, std::move(body));
    };
    const auto guarded = [this](QAction* item, const char* name, std::function<void()> body) {
        connectGuarded(item, &QAction::triggered, this, kLocation + QLatin1String(name), std::move(body));
    };
    procedure(mnuFileSave, "mnuFileSave_Click", [this] { mnuFileSave_Click(); });
    guarded(mnuFileExit, "mnuFileExit_Click", [this] { close(); });
    procedure(mnuToolsRoot, "mnuToolsRoot_Click", [this] { RaiseEvent([](auto& e) { e.ChangeReportRoot(); }); });
    guarded(mnuToolsYear, "mnuToolsYear_Click", [this] { RaiseEvent([](auto& e) { e.ChangeYear(); }); });
    procedure(mnuToolsProduct, "mnuToolsProduct_Click", [this] { mnuToolsProduct_Click(); });
    procedure(mnuToolsUpload, "mnuToolsUpload_Click", [this] { mnuToolsUpload_Click(); });
    guarded(mnuToolsBackcolor, "mnuToolsBackcolor_Click", [this] { mnuToolsBackcolor_Click(); });
    guarded(mnuToolsPrompts, "mnuToolsPrompts_Click",
            [this] { Vezedad::Globals::Configuration().setShowPrompt(mnuToolsPrompts->isChecked()); });
    guarded(mnuValidateFile, "mnuValidateFile_Click", [this] {
        qint32 formType = SelectedForm();
        RaiseEvent([&](auto& e) { e.DoValidation(formType); });
    });
    guarded(mnuValidateFolder, "mnuValidateFolder_Click", [this] {
        qint32 formType = Vezedad::zfotAll;
        RaiseEvent([&](auto& e) { e.DoValidation(formType); });
    });
    procedure(mnuHelpSubmit, "mnuHelpSubmit_Click", [this] { ShowHelp(Vezedad::docUploadReport); });
    procedure(mnuHelpGuide, "mnuHelpGuide_Click", [this] {
        switch (m_optionType) {
        case Vezedad::kvoOptionA: ShowHelp(Vezedad::docUserGuideA); break;
        case Vezedad::kvoOptionB: ShowHelp(Vezedad::docUserGuideB); break;
        case Vezedad::kvoOptionC: ShowHelp(Vezedad::docUserGuideC); break;
        default: ShowHelp(Vezedad::docHome); break;
        }
    });
    procedure(mnuHelpMacros, "ShowMacroInstructions", [this] { ShowHelp(Vezedad::docMacroInstructions); });
    procedure(mnuHelpGuidelines, "mnuHelpGuidelines_Click", [this] { ShowHelp(Vezedad::docAsciiFormat); });
    procedure(mnuAbout, "mnuAbout_Click", [this] { RaiseEvent([](auto& e) { e.ShowAbout(); }); });
}

QWidget* frmController::buildCanvas() {
    fraCanvas = new QWidget;
    fraCanvas->setObjectName(QStringLiteral("fraCanvas"));

    lblReportPathLabel = new QLabel(QStringLiteral("Current Folder for Report Files:"), fraCanvas);
    lblReportPathLabel->setObjectName(QStringLiteral("lblReportPathLabel"));
    lblReportPath = new QLabel(fraCanvas);
    lblReportPath->setObjectName(QStringLiteral("lblReportPath"));
    lblReportPath->setWordWrap(true);
    lblReportPath->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblReportPath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblReportPath->setFixedSize(Twips::toPixels(QSize(5880, 915)));
    lblReportPathLabel->setBuddy(lblReportPath);
    for (QLabel* label : {lblReportPathLabel, lblReportPath}) label->setTextFormat(Qt::PlainText);
    ucIdentityUI = new IdentityUI(fraCanvas);
    ucIdentityUI->setObjectName(QStringLiteral("ucIdentityUI"));
    ucIdentityUI->setMatchFormBackColor(true);

    lblReportYear = new QLabel(fraCanvas);
    lblReportYear->setObjectName(QStringLiteral("lblReportYear"));
    lblReportYear->setTextFormat(Qt::PlainText);
    lblReportYear->setMinimumSize(Twips::toPixels(QSize(3060, 495)));
    QPalette blue = lblReportYear->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblReportYear->setPalette(blue);
    cmdChangeYear = makeButton(fraCanvas, "cmdChangeYear", QStringLiteral("Change &Year"),
                               QStringLiteral("Change the report year"), 2130, 495);

    fraFormSelect = new QGroupBox(QStringLiteral("Report Forms"), fraCanvas);
    fraFormSelect->setObjectName(QStringLiteral("fraFormSelect"));
    radForm26 = makeFormChoice(fraFormSelect, Vezedad::zfotForm26,
                               QStringLiteral("eForm 26:   Applicator/Technician Pesticide Usage"),
                               QStringLiteral("Applicator/Technician Pesticide Annual Report"));
    radForm26A = makeFormChoice(fraFormSelect, Vezedad::zfotForm26A,
                                QStringLiteral("eForm 26A: List of Applicators and Technicians"),
                                QStringLiteral("List of Commercial Applicators and Technicians"));
    radForm27 = makeFormChoice(fraFormSelect, Vezedad::zfotForm27,
                               QStringLiteral("eForm 27:   Pesticide Sales to Private Applicators"),
                               QStringLiteral("Annual Report for Pesticide Sales to Certified Private Applicators"));
    radForm25 =
        makeFormChoice(fraFormSelect, Vezedad::zfotForm25, QStringLiteral("eForm 25:   Restricted Pesticide Sales"),
                       QStringLiteral("Annual Report for Restricted Pesticide Sales"));
    radFormTypeGroup = new QButtonGroup(this);
    radFormTypeGroup->addButton(radForm26, Vezedad::zfotForm26);
    radFormTypeGroup->addButton(radForm26A, Vezedad::zfotForm26A);
    radFormTypeGroup->addButton(radForm27, Vezedad::zfotForm27);
    radFormTypeGroup->addButton(radForm25, Vezedad::zfotForm25);
    radForm26->setChecked(true);
    cmdNew = makeButton(fraFormSelect, "cmdNew", QStringLiteral("&Blank Form"),
                        QStringLiteral("Open a blank form of the selected type"), 2145, 490);
    cmdOpen = makeButton(fraFormSelect, "cmdOpen", QStringLiteral("&Existing Form"),
                         QStringLiteral("Open an existing form file of the selected type"), 2145, 490);
    cmdValidate = makeButton(fraFormSelect, "cmdValidate", QStringLiteral("&Validate File"),
                             QStringLiteral("Validate an existing form file of the selected type"), 2145, 490);
    cmdMacro = makeButton(fraFormSelect, "cmdMacro", QStringLiteral("Help: Enable &Macros"),
                          QStringLiteral("How to set Excel Macro Security"), 2145, 490);
    rtfFormUse = new FormUseText(fraFormSelect);
    rtfFormUse->setObjectName(QStringLiteral("rtfFormUse"));
    rtfFormUse->setOpenLinks(false);
    rtfFormUse->setTabChangesFocus(true);
    rtfFormUse->setMinimumSize(Twips::toPixels(QSize(8055, 1575)));
    // Else it would be heard by its frame's title, as the frame is.
    Vezedad::Ui::SetAccessibleName(*rtfFormUse, QStringLiteral("Reports to Include"));
    ckMultiple = new QCheckBox(
        QStringLiteral("Optional: Submit separate Form 26 file for each Applicator. (Complete Form 26A first.)"),
        fraFormSelect);
    ckMultiple->setObjectName(QStringLiteral("ckMultiple"));
    ckMultiple->setToolTip(QStringLiteral("This feature is provided for your convenience. ZIDIVO does nor require "
                                          "that you provide individual Form 26 files."));

    auto* choices = new QVBoxLayout;
    choices->setSpacing(Twips::toPixelsY(135));
    for (QRadioButton* choice : {radForm26, radForm26A, radForm27, radForm25}) choices->addWidget(choice);
    choices->addStretch();
    auto* formButtons = new QVBoxLayout;
    formButtons->setSpacing(Twips::toPixelsY(80));
    formButtons->addWidget(cmdNew);
    formButtons->addWidget(cmdOpen);
    // The macro help and Validate File share one place: an option shows one,
    // and a hidden one takes no room. (Two buttons in one cell of a grid
    // lose the gap above them.)
    formButtons->addWidget(cmdValidate);
    formButtons->addWidget(cmdMacro);
    formButtons->addStretch();
    auto* formTop = new QHBoxLayout;
    formTop->addLayout(choices);
    formTop->addStretch();
    formTop->addLayout(formButtons);
    auto* formSelect = new QVBoxLayout(fraFormSelect);
    formSelect->setContentsMargins(Twips::toPixelsX(120), Twips::toPixelsY(240), Twips::toPixelsX(120),
                                   Twips::toPixelsY(90));
    formSelect->setSpacing(Twips::toPixelsY(105));
    formSelect->addLayout(formTop);
    formSelect->addWidget(rtfFormUse, 1);
    formSelect->addWidget(ckMultiple);
    Twips::keepDesignSize(fraFormSelect, 8355, 4215);

    cmdInstructions =
        makeButton(fraCanvas, "cmdInstructions", QStringLiteral("Show Instructions"), QString(), 1815, 495);
    cmdValidateFolder =
        makeButton(fraCanvas, "cmdValidateFolder", QStringLiteral("Validate Folder"), QString(), 1815, 490);
    cmdUpload = makeButton(fraCanvas, "cmdUpload", QStringLiteral("&Upload Report"), QString(), 1815, 490);
    cmdExit = makeButton(fraCanvas, "cmdExit", QStringLiteral("E&xit"), QString(), 1815, 490);
    lblInstructions = new QLabel(fraCanvas);
    lblInstructions->setObjectName(QStringLiteral("lblInstructions"));
    lblInstructions->setTextFormat(Qt::PlainText);
    lblInstructions->setWordWrap(true);
    lblInstructions->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblInstructions->setMaximumWidth(Twips::toPixelsX(8295));
    // The window keeps the instructions' room while they are hidden, so that
    // showing them moves nothing and brings no scroll bar.
    QSizePolicy keepRoom = lblInstructions->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    lblInstructions->setSizePolicy(keepRoom);
    Twips::keepDesignSize(lblInstructions, 8295, 2145);
    lblInstructions->setVisible(false);

    auto* left = new QVBoxLayout;
    left->setSpacing(0);
    left->addWidget(lblReportPathLabel);
    left->addWidget(lblReportPath);
    left->addSpacing(Twips::toPixelsY(165));
    left->addWidget(ucIdentityUI);
    left->addStretch();
    lblReportPathLabel->setMinimumHeight(Twips::toPixelsY(360));
    lblReportPathLabel->setContentsMargins(Twips::toPixelsX(120), 0, 0, 0);
    lblReportPath->setContentsMargins(Twips::toPixelsX(120), 0, 0, 0);

    auto* year = new QGridLayout;
    year->addWidget(lblReportYear, 0, 0, 1, 2);
    year->addWidget(cmdChangeYear, 1, 1, Qt::AlignLeft);
    year->setColumnMinimumWidth(0, Twips::toPixelsX(465));
    year->setColumnStretch(2, 1);
    auto* commands = new QHBoxLayout;
    commands->setSpacing(Twips::toPixelsX(325));
    for (QPushButton* b : {cmdInstructions, cmdValidateFolder, cmdUpload, cmdExit}) commands->addWidget(b);
    commands->addStretch();
    auto* right = new QVBoxLayout;
    right->setSpacing(0);
    right->addLayout(year);
    right->addStretch();
    right->addWidget(fraFormSelect);
    right->addSpacing(Twips::toPixelsY(105));
    right->addLayout(commands);
    right->addWidget(lblInstructions);
    right->addStretch();

    auto* canvas = new QHBoxLayout(fraCanvas);
    canvas->setContentsMargins(0, 0, 0, 0);
    canvas->setSpacing(Twips::toPixelsX(300));
    canvas->addLayout(left);
    canvas->addLayout(right);
    canvas->addStretch();
    Twips::keepDesignSize(fraCanvas, 14655, 8415);

    // Tab follows the order the controls were made in: the identity, the
    // year, the form choices and their commands, the commands below.

    auto raiseOpen = [this](bool blnNew) {
        qint32 formType = SelectedForm();
        bool multiple = perApplicator();
        RaiseEvent([&](auto& e) { blnNew ? e.OpenNew(formType, multiple) : e.OpenExisting(formType, multiple); });
    };
    connectGuarded(cmdNew, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdNew_Click"),
                   [raiseOpen] { raiseOpen(true); });
    connectGuarded(cmdOpen, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdOpen_Click"),
                   [raiseOpen] { raiseOpen(false); });
    connectGuarded(cmdValidate, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdValidate_Click"), [this] {
        qint32 formType = SelectedForm();
        RaiseEvent([&](auto& e) { e.DoValidation(formType); });
    });
    connectGuarded(cmdValidateFolder, &QPushButton::clicked, this,
                   kLocation + QStringLiteral("cmdValidateFolder_Click"), [this] {
                       qint32 formType = Vezedad::zfotAll;
                       RaiseEvent([&](auto& e) { e.DoValidation(formType); });
                   });
    connectGuarded(cmdUpload, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdUpload_Click"),
                   [this] { RaiseEvent([](auto& e) { e.Upload(); }); });
    connectGuarded(cmdChangeYear, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdChangeYear_Click"),
                   [this] { RaiseEvent([](auto& e) { e.ChangeYear(); }); });
    connectGuarded(cmdExit, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdExit_Click"),
                   [this] { close(); });
    connectGuarded(cmdInstructions, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdInstructions_Click"),
                   [this] { cmdInstructions_Click(); });
    connectGuardedProcedure(cmdMacro, &QPushButton::clicked, this, QStringLiteral("ShowMacroInstructions"), kForm,
                            [this] { ShowHelp(Vezedad::docMacroInstructions); });
    connect(ucIdentityUI, &IdentityUI::IdStatusChanged, this, [this] {
        Vezedad::Ui::GuardShowError(
            kLocation + QStringLiteral("ucIdentityUI_IdStatusChanged"), [this] { UpdateFormChoices(); }, this);
    });
    return fraCanvas;
}

template <class Raise> void frmController::RaiseEvent(Raise raise) {
    if (m_events) raise(*m_events);
}

void frmController::Initialize(Vezedad::ZelReport* robjReport, qint32 vOptionType) {
    m_optionType = vOptionType;
    if (mobjReport) disconnect(mobjReport, nullptr, this, nullptr);
    mobjReport = robjReport ? robjReport : &Vezedad::Globals::ZelReport();
    connect(mobjReport, &Vezedad::ZelReport::PropertyChanged, this, [this](const QString& strName, const QString&) {
        Vezedad::Ui::GuardShowError(
            kLocation + QStringLiteral("mobjReport_PropertyChanged"), [&] { mobjReport_PropertyChanged(strName); },
            this);
    });
    const Vezedad::IdentityPtr identity = mobjReport->Identity();
    if (!m_loaded) Form_Load();
    ucIdentityUI->Initialize(identity);
    SetBehavior();
}

void frmController::Form_Load() {
    m_loaded = true;
    Vezedad::Ui::GuardShowError(
        kLocation + QStringLiteral("Form_Load"),
        [this] {
            setWindowTitle(QStringLiteral("OSTDEC Pesticide Reporting - ") +
                           Vezedad::Globals::GetOptionName(m_optionType, true) + QStringLiteral(" Control Center"));
            UpdateUIYear();
            RichText::SetText(*rtfFormUse, modGlobals::GetMessage(kvmFormUse));
            SetBackColor();
            UpdateFormChoices();
            mnuToolsPrompts->setChecked(Vezedad::Globals::Configuration().ShowPrompt());
            HookMinimumSize();
        },
        this);
}

void frmController::SetBehavior() {
    QString second;
    bool optionA = true;
    switch (m_optionType) {
    case Vezedad::kvoOptionA: second = modGlobals::GetMessage(kvmControllerInfoNewOpenVal); break;
    case Vezedad::kvoOptionB:
        optionA = false;
        second = modGlobals::GetMessage(kvmControllerInfoNewOpen);
        break;
    default:
        throw Vezedad::ErrorInfo(Vezedad::errInvalidPropertyValue,
                                 QStringLiteral("Option Type (") + QString::number(m_optionType) +
                                     QStringLiteral(") is not a recognized value."),
                                 kLocation + QStringLiteral("SetBehavior"));
    }
    cmdMacro->setVisible(!optionA);
    cmdValidate->setVisible(optionA);
    cmdValidateFolder->setVisible(optionA);
    ckMultiple->setVisible(optionA);
    if (!optionA) ckMultiple->setCheckState(Qt::Unchecked);
    mnuHelpGuidelines->setVisible(optionA);
    mnuHelpMacros->setVisible(!optionA);
    mnuToolsPrompts->setVisible(false);
    mnuToolsProduct->setVisible(true);
    mnuValidate->menuAction()->setVisible(optionA);
    QString instructions = modGlobals::GetMessage(kvmControllerInfo) + second;
    instructions.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    lblInstructions->setText(instructions);
    // Room for every line of the new text.
    Twips::keepDesignSize(lblInstructions, 8295, 2145);
}

void frmController::UpdateUIReportPath() {
    const QString path = mobjReport->ReportPath();
    lblReportPath->setText(path);
    lblReportPath->setToolTip(path);
}

void frmController::UpdateUIYear() {
    lblReportYear->setText(QStringLiteral("Report Year ") + QString::number(mobjReport->ReportYear()));
    UpdateUIReportPath();
}

void frmController::mobjReport_PropertyChanged(const QString& strName) {
    if (strName == QStringLiteral("ReportRootPath"))
        UpdateUIReportPath();
    else if (strName == QStringLiteral("ReportYear"))
        UpdateUIYear();
}

void frmController::SetBackColor() {
    // The form choices and the check box take the colour of their frame.
    for (QWidget* w : {static_cast<QWidget*>(this), fraCanvas, fraFiller, static_cast<QWidget*>(fraFormSelect)})
        Vezedad::Ui::SetBackColor(*w);
    SetTextBoxBackColor(*rtfFormUse);
}

// Form 26 and the per-applicator box need a complete certification id and
// an applicator name, the sales forms a complete permit number. Form 26A is
// open to a business with only its registration number too, as its rules
// and the form-use text say.
void frmController::UpdateFormChoices() {
    const bool application = ucIdentityUI->StatusApplName() && ucIdentityUI->StatusCertId();
    EnableApplicationForms(application);
    EnableForm26A(application || ucIdentityUI->StatusBusReg());
    EnableSalesForms(ucIdentityUI->StatusPermit());
}

void frmController::EnableApplicationForms(bool blnEnable) {
    enableChoice(radForm26, blnEnable);
    enableChoice(radForm26A, blnEnable);
    ckMultiple->setEnabled(blnEnable);
}

void frmController::EnableForm26A(bool blnEnable) { enableChoice(radForm26A, blnEnable); }

void frmController::EnableSalesForms(bool blnEnable) {
    enableChoice(radForm25, blnEnable);
    enableChoice(radForm27, blnEnable);
}

qint32 frmController::SelectedForm() const { return qMax(0, radFormTypeGroup->checkedId()); }

bool frmController::perApplicator() const { return ckMultiple->checkState() == Qt::Checked; }

void frmController::Validate() {
    LeaveCheck::ValidateControls(this);
    ucIdentityUI->Validate();
}

void frmController::ShowHelp(qint32 docID) { Vezedad::Globals::Documentation().ShowDoc(docID, m_optionType); }

void frmController::mnuFileSave_Click() {
    if (LeaveCheck::InputsKept([this] { ucIdentityUI->Validate(); })) mobjReport->Identity()->Save();
}

void frmController::mnuToolsUpload_Click() {
    if (LeaveCheck::InputsKept([this] { Validate(); })) RaiseEvent([](auto& e) { e.Upload(); });
}

void frmController::mnuToolsProduct_Click() { modGlobals::EpaList().EditList(); }

void frmController::mnuToolsBackcolor_Click() {
    Vezedad::ChooseColorArgs args;
    args.Color = Vezedad::Ui::OleFromColor(palette().color(QPalette::Window));
    args.AnyColor = true;
    args.FullOpen = true;
    args.DisableFullOpen = false;
    args.Owner = -1;
    args.Flags = 0;
    if (!Vezedad::Globals::ComDlg().VBChooseColor(args)) return;
    Vezedad::Globals::Configuration().setBackColor(args.Color);
    SetBackColor();
}

void frmController::cmdInstructions_Click() {
    lblInstructions->setVisible(!lblInstructions->isVisible());
    cmdInstructions->setText((lblInstructions->isVisible() ? QStringLiteral("Hide") : QStringLiteral("Show")) +
                             QStringLiteral(" Instructions"));
}

void frmController::HookMinimumSize() {
    if (m_hooked) return;
    modHookSize().Hook(this, 6225, 4860);
    m_hooked = true;
}

void frmController::showEvent(QShowEvent* event) {
    // The canvas needs more room once style and fonts are applied than the
    // guess made before: the first showing opens the window big enough for it
    // rather than with scroll bars. Its parts measure themselves again as
    // their layouts' requests are handled: those still waiting go first, so
    // that none is measured from a size it had before the fonts came.
    if (!m_sizedToCanvas) {
        m_sizedToCanvas = true;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        Twips::keepDesignSize(fraCanvas, 14655, 8415);
        fitCanvas();
    }
    // Never larger than the screen it opens on: the canvas scrolls instead.
    Vezedad::Ui::FitToScreen(*this);
    // Shown again after it was closed: the minimum size holds again.
    if (m_rehook) {
        m_rehook = false;
        HookMinimumSize();
    }
    QMainWindow::showEvent(event);
}

void frmController::closeEvent(QCloseEvent* event) {
    if (!Form_QueryUnload(event->spontaneous() ? vbFormControlMenu : vbFormCode)) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

// Runs with every error ignored: a window that cannot check its inputs stays
// open, and the subscriber's failures never keep it.
bool frmController::Form_QueryUnload(qint16 unloadMode) {
    try {
        Validate();
    } catch (...) {
        return false;
    }
    qint16 Cancel = 0;
    qint16 UnloadMode = unloadMode;
    Vezedad::Ui::Guard([&] { RaiseEvent([&](auto& e) { e.QueryUnload(Cancel, UnloadMode); }); },
                       [](const Vezedad::ErrorInfo&) {});
    return Cancel == 0;
}

void frmController::Form_Unload() {
    if (m_hooked) {
        modHookSize().Unhook();
        m_hooked = false;
        m_rehook = true;
    }
    Vezedad::Ui::Guard([this] { RaiseEvent([](auto& e) { e.Unloading(); }); }, [](const Vezedad::ErrorInfo&) {});
}

} // namespace ZozedizIZ
