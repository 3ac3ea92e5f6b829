#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTextBrowser;

namespace Vezedad {
class ZelReport;
}

namespace ZozedizIZ {

class IdentityUI;

// What closing a window was asked by: its close box, or the program.
enum QueryUnloadMode : qint16 {
    vbFormControlMenu = 0,
    vbFormCode = 1,
};

// The Control Center's events, all raised to one subscriber (the report
// controller), which handles each at once. Arguments are the window's and
// may be changed by the handler.
class ZOZEDIZIZ_EXPORT frmControllerEvents {
public:
    virtual ~frmControllerEvents();
    // "Change Report Root" in the Tools menu.
    virtual void ChangeReportRoot() = 0;
    // "Change Year", button or menu.
    virtual void ChangeYear() = 0;
    // Validate one file of the selected form (0 when none is selected), or
    // 15 for a whole folder.
    virtual void DoValidation(qint32& formType) = 0;
    // Open an existing report, or a blank one, of the selected form (0 when
    // none is selected); perApplicator is the per-applicator check box.
    virtual void OpenExisting(qint32& eFormType, bool& perApplicator) = 0;
    virtual void OpenNew(qint32& eFormType, bool& perApplicator) = 0;
    // The window is about to close and its inputs passed their check; a
    // Cancel set to non-zero keeps it open. UnloadMode is a QueryUnloadMode.
    virtual void QueryUnload(qint16& Cancel, qint16& UnloadMode) = 0;
    // "About" in the Help menu.
    virtual void ShowAbout() = 0;
    // "Upload Report", button or menu.
    virtual void Upload() = 0;
    // The window closes.
    virtual void Unloading() = 0;
};

// The Control Center, the main window of every front end: the filer
// identity, the report folder and year, the report forms to open or
// validate, the upload. It does no report work itself: each such command is
// one of the events above. Only the report controller makes, shows and hides
// it.
class ZOZEDIZIZ_EXPORT frmController : public QMainWindow {
    Q_OBJECT
public:
    explicit frmController(QWidget* parent = nullptr);
    ~frmController() override;

    // The one subscriber of the events; null ends the subscription.
    void Subscribe(frmControllerEvents* events) { m_events = events; }

    // Loads the window for a front end: the report model (the shared one when
    // null) and its option (1 or 2; any other raises 380 once the window has
    // loaded).
    void Initialize(Vezedad::ZelReport* robjReport, qint32 vOptionType);
    // The folder and year labels from the report model.
    void UpdateUIReportPath();
    void UpdateUIYear();

    qint32 OptionType() const { return m_optionType; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    QWidget* buildCanvas();
    void Form_Load();
    void HookMinimumSize();
    void fitCanvas();
    void SetBehavior();
    void SetBackColor();
    void UpdateFormChoices();
    void EnableApplicationForms(bool blnEnable);
    void EnableForm26A(bool blnEnable);
    void EnableSalesForms(bool blnEnable);
    qint32 SelectedForm() const;
    bool perApplicator() const;
    void Validate();
    bool Form_QueryUnload(qint16 unloadMode);
    void Form_Unload();
    void mobjReport_PropertyChanged(const QString& strName);
    void ShowHelp(qint32 docID);
    void mnuFileSave_Click();
    void mnuToolsUpload_Click();
    void mnuToolsBackcolor_Click();
    void mnuToolsProduct_Click();
    void cmdInstructions_Click();
    template <class Raise> void RaiseEvent(Raise raise);

    frmControllerEvents* m_events = nullptr;
    QPointer<Vezedad::ZelReport> mobjReport;
    qint32 m_optionType = 0;
    bool m_loaded = false;
    bool m_hooked = false;
    bool m_rehook = false;
    bool m_sizedToCanvas = false;

    QScrollArea* scrCanvas = nullptr;
    QWidget* fraCanvas = nullptr;
    QWidget* fraFiller = nullptr;
    IdentityUI* ucIdentityUI = nullptr;
    QLabel* lblReportPathLabel = nullptr;
    QLabel* lblReportPath = nullptr;
    QLabel* lblReportYear = nullptr;
    QGroupBox* fraFormSelect = nullptr;
    QButtonGroup* radFormTypeGroup = nullptr;
    QRadioButton* radForm26 = nullptr;
    QRadioButton* radForm26A = nullptr;
    QRadioButton* radForm27 = nullptr;
    QRadioButton* radForm25 = nullptr;
    QCheckBox* ckMultiple = nullptr;
    QPushButton* cmdNew = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdValidate = nullptr;
    QPushButton* cmdValidateFolder = nullptr;
    QPushButton* cmdMacro = nullptr;
    QPushButton* cmdUpload = nullptr;
    QPushButton* cmdChangeYear = nullptr;
    QPushButton* cmdExit = nullptr;
    QPushButton* cmdInstructions = nullptr;
    QLabel* lblInstructions = nullptr;
    QTextBrowser* rtfFormUse = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuTools = nullptr;
    QAction* mnuToolsRoot = nullptr;
    QAction* mnuToolsYear = nullptr;
    QAction* mnuToolsProduct = nullptr;
    QAction* mnuToolsUpload = nullptr;
    QAction* mnuToolsBackcolor = nullptr;
    QAction* mnuToolsPrompts = nullptr;
    QMenu* mnuValidate = nullptr;
    QAction* mnuValidateFile = nullptr;
    QAction* mnuValidateFolder = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpSubmit = nullptr;
    QAction* mnuHelpGuide = nullptr;
    QAction* mnuHelpMacros = nullptr;
    QAction* mnuHelpGuidelines = nullptr;
    QAction* mnuAbout = nullptr;
};

} // namespace ZozedizIZ
