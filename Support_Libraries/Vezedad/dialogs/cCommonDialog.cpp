#include "Vezedad/dialogs/cCommonDialog.h"
#include "Vezedad/dialogs/GCommonDialog.h"
#include "Vezedad/dialogs/cMemory.h"
#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/ui/Dialogs.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLibrary>
#include <QMutex>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <cstring>
#include <map>

namespace Vezedad {

namespace {

const QString kSource = QStringLiteral("Vezedad.cCommonDialog");
constexpr qint32 kUserCancelled = 20001;
constexpr qint32 kBadHelpCommand = 13705;

// Libraries loaded for dialog templates, by the number handed out for them.
struct LoadedLibraries {
    QMutex mutex;
    std::map<qint32, std::unique_ptr<QLibrary>> byHandle;
    qint32 next = 1;
};

LoadedLibraries& loadedLibraries() {
    static LoadedLibraries libraries;
    return libraries;
}

// The record the help engine takes to place its window: size, x, y, dx, dy,
// show state (each 32 bits) and a member name of two characters.
constexpr qint32 kHelpWinInfoSize = 26;

} // namespace

cCommonDialog::cCommonDialog(QObject* parent) : QObject(parent) {}

cCommonDialog::~cCommonDialog() = default;

GCommonDialog& cCommonDialog::dialogs() {
    if (!m_dialogs) m_dialogs = std::make_unique<GCommonDialog>();
    return *m_dialogs;
}

void cCommonDialog::RaiseWMCommand(qint32 hDlg, qint32& wParam, qint32& lParam) {
    emit WMCommand(hDlg, wParam, lParam);
}

void cCommonDialog::RaiseDialogClose() { emit DialogClose(); }

qint32 cCommonDialog::RaiseTypeChange(qint32 hDlg) {
    emit TypeChange(hDlg);
    return 0;
}

qint32 cCommonDialog::RaiseInitDialog(qint32 hDlg) {
    emit InitDialog(hDlg);
    return 0;
}

qint32 cCommonDialog::RaiseFileChange(qint32 hDlg) {
    emit FileChange(hDlg);
    return 0;
}

qint32 cCommonDialog::RaiseFolderChange(qint32 hDlg) {
    emit FolderChange(hDlg);
    return 0;
}

bool cCommonDialog::ConfirmOK() {
    bool bCancel = false;
    emit DialogOK(bCancel);
    return !bCancel;
}

void cCommonDialog::ParseMultiFileName(QString& sDir, QStringList& sFiles, qint32& iFileCount) const {
    const QChar nul(u'\0');
    const qsizetype end = m_fileName.indexOf(QString(2, nul));
    if (end >= 0) {
        const QStringList parts = m_fileName.left(end).split(nul);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            // The last part is always a file, even while no folder is known.
            if (sDir.isEmpty() && i + 1 < parts.size()) {
                sDir = parts[i];
                continue;
            }
            ++iFileCount;
            sFiles.resize(iFileCount);
            sFiles[iFileCount - 1] = parts[i];
        }
        return;
    }
    iFileCount = 1;
    const qsizetype slash = qMax(m_fileName.lastIndexOf(QLatin1Char('\\')), m_fileName.lastIndexOf(QLatin1Char('/')));
    if (slash >= 1) {
        sDir = m_fileName.left(slash);
        sFiles = QStringList{m_fileName.mid(slash + 1)};
    } else {
        sDir.clear();
        sFiles = QStringList{m_fileName};
    }
}

QWidget* cCommonDialog::dialogWindow(qint32 hDlg) const {
    QWidget* window = Ui::WindowFromHandle(hDlg);
    // A file dialog may hand over one of its inner windows.
    if (window && m_fileDialog && !window->isWindow()) window = window->parentWidget();
    return window;
}

void cCommonDialog::CentreDialog(qint32 hDlg, QObject* oCentreTo) {
    QWidget* window = dialogWindow(hDlg);
    if (!window) return;
    QRect target;
    const QVariant ownerHandle = oCentreTo ? oCentreTo->property("hWnd") : QVariant();
    bool readable = false;
    const qint32 owner = ownerHandle.toInt(&readable);
    if (readable) {
        if (QWidget* over = Ui::WindowFromHandle(owner)) target = over->frameGeometry();
    } else if (auto* widget = qobject_cast<QWidget*>(oCentreTo)) {
        target = widget->window()->frameGeometry();
    } else if (QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        target = screen->availableGeometry();
        if (target.isEmpty()) target = screen->geometry();
    }
    const int right = target.x() + target.width();
    const int bottom = target.y() + target.height();
    if (right < 1 || bottom < 1) return;
    const QRect own = window->frameGeometry();
    window->move(target.x() + (target.width() - own.width()) / 2, target.y() + (target.height() - own.height()) / 2);
}

void cCommonDialog::GetDialogSize(qint32 hDlg, qint32& lL, qint32& lT, qint32& lW, qint32& lH) const {
    QRect frame;
    if (QWidget* window = dialogWindow(hDlg)) frame = window->frameGeometry();
    lL = frame.x();
    lT = frame.y();
    lW = frame.width();
    lH = frame.height();
}

void cCommonDialog::SetHelpPosition(qint32 x, qint32 y, qint32 dx, qint32 dy, qint32 eWindowType) {
    cMemory block;
    if (!block.AllocateMemory(kHelpWinInfoSize)) return;
    const qint32 fields[] = {kHelpWinInfoSize, x, y, dx, dy, eWindowType};
    std::memcpy(block.Pointer(), fields, sizeof fields);
    // The record would go to the help engine with HELP_SETWINPOS; the
    // desktop's viewer takes no position, so the block is freed unused.
    block.FreeMemory();
}

qint32 cCommonDialog::FontSize() {
    const auto size = roundedTo<qint32>(Font()->Size());
    return size ? *size : 0;
}

StdFontPtr cCommonDialog::Font() {
    if (!m_font) m_font = std::make_shared<StdFont>();
    return m_font;
}

QString cCommonDialog::PrinterName() const { return m_dialogs ? m_dialogs->PrinterName() : QString(); }
QString cCommonDialog::PrinterDriver() const { return m_dialogs ? m_dialogs->PrinterDriver() : QString(); }
QString cCommonDialog::PrinterOutputPort() const { return m_dialogs ? m_dialogs->PrinterOutputPort() : QString(); }

qint32 cCommonDialog::CustomColor(qint16 i) { return dialogs().CustomColor(i); }
void cCommonDialog::setCustomColor(qint16 i, qint32 value) { dialogs().setCustomColor(i, value); }

void cCommonDialog::CheckResult() {
    GCommonDialog& d = dialogs();
    if (d.APIReturn() != 0) {
        // The number has no text of its own: the runtime's default one.
        const qint32 number = eeBaseCommonDialog | d.ExtendedError();
        throw ErrorInfo(number, runtimeErrorText(RuntimeError(number)), kSource);
    }
    if (m_cancelError) throw ErrorInfo(kUserCancelled, QStringLiteral("User selected cancel."), kSource);
}

void cCommonDialog::runFileDialog(bool save) {
    m_fileDialog = true;
    // A template bit without a library to hold the template is dropped.
    if (flagSet(OFN_ENABLETEMPLATE) && m_hInstance < 1) m_flags &= ~OFN_ENABLETEMPLATE;
    OpenFileArgs2 open;
    SaveFileArgs2 saveArgs;
    FileDialogArgs& a = save ? static_cast<FileDialogArgs&>(saveArgs) : static_cast<FileDialogArgs&>(open);
    if (save) {
        saveArgs.OverWritePrompt = flagSet(OFN_OVERWRITEPROMPT);
        saveArgs.hInstance = m_hInstance;
        saveArgs.TemplateName = m_templateName;
    } else {
        open.FileMustExist = flagSet(OFN_FILEMUSTEXIST);
        open.MultiSelect = flagSet(OFN_ALLOWMULTISELECT);
        open.ReadOnly = flagSet(OFN_READONLY);
        open.HideReadOnly = flagSet(OFN_HIDEREADONLY);
        open.hInstance = m_hInstance;
        open.TemplateName = m_templateName;
        if (m_filterIndex == 0) m_filterIndex = 1;
    }
    a.FileName = m_fileName;
    a.FileTitle = m_fileTitle;
    a.Filter = m_filter;
    a.FilterIndex = m_filterIndex;
    a.InitDir = m_initDir;
    a.DlgTitle = m_dialogTitle;
    a.DefaultExt = m_defaultExt;
    a.Owner = m_hWnd;
    a.Flags = m_flags;
    a.Hook = m_hookDialog;
    a.EventSink = this;
    const bool ok = save ? dialogs().VBGetSaveFileName2(saveArgs) : dialogs().VBGetOpenFileName2(open);
    m_fileName = a.FileName;
    m_fileTitle = a.FileTitle;
    m_filter = a.Filter;
    m_filterIndex = a.FilterIndex;
    m_flags = a.Flags;
    if (!ok) CheckResult();
}

void cCommonDialog::ShowOpen() { runFileDialog(false); }

void cCommonDialog::ShowSave() { runFileDialog(true); }

void cCommonDialog::ShowColor() {
    m_fileDialog = false;
    ChooseColorArgs a;
    // A system colour starts the dialog on its current value; a colour that
    // names nothing starts it on -1.
    a.Color = Ui::ColorFromOle(m_color).isValid() ? Ui::OleFromColor(Ui::ColorFromOle(m_color)) : -1;
    a.AnyColor = flagSet(CC_AnyColor);
    a.FullOpen = flagSet(CC_FullOpen);
    a.DisableFullOpen = flagSet(CC_PreventFullOpen);
    a.Owner = m_hWnd;
    a.Flags = m_flags;
    a.Hook = m_hookDialog;
    a.EventSink = this;
    if (dialogs().VBChooseColor(a))
        m_color = a.Color;
    else
        CheckResult();
}

void cCommonDialog::ShowFont() {
    m_fileDialog = false;
    ChooseFontArgs a;
    a.CurFont = Font();
    a.PrinterDC = -1;
    a.Owner = m_hWnd;
    a.Color = m_fontColor;
    a.MinSize = m_min;
    a.MaxSize = m_max;
    a.Flags = m_flags;
    a.Hook = m_hookDialog;
    a.EventSink = this;
    const bool ok = dialogs().VBChooseFont(a);
    m_fontColor = a.Color;
    m_flags = a.Flags;
    if (!ok) CheckResult();
}

void cCommonDialog::ShowPrinter() {
    m_fileDialog = false;
    PrintDlgArgs a;
    a.hdc = m_hdc;
    a.PrintRange = eprAll;
    a.DisablePageNumbers = !flagSet(PD_PAGENUMS);
    a.DisableSelection = flagSet(PD_NOSELECTION);
    a.ShowPrintToFile = !flagSet(PD_HIDEPRINTTOFILE);
    a.DisablePrintToFile = flagSet(PD_DISABLEPRINTTOFILE);
    a.PrintToFile = flagSet(PD_PRINTTOFILE);
    a.Collate = flagSet(PD_COLLATE);
    a.PreventWarning = flagSet(PD_NOWARNING);
    if (m_copies < -32768 || m_copies > 32767) raiseOverflow(QStringLiteral("Vezedad"));
    a.Copies = qint16(m_copies);
    a.FromPage = m_fromPage;
    a.ToPage = m_toPage;
    a.Owner = m_hWnd;
    a.Printer = m_object;
    a.Flags = m_flags;
    a.Hook = m_hookDialog;
    a.EventSink = this;
    const bool ok = dialogs().VBPrintDlg(a);
    m_fromPage = a.FromPage;
    m_toPage = a.ToPage;
    m_flags = a.Flags;
    m_hdc = a.hdc;
    // A cancelled or failed print dialog is reported like every other, so a
    // caller never prints after the user said no.
    if (ok)
        m_copies = a.Copies;
    else
        CheckResult();
}

void cCommonDialog::ShowHelp() {
    m_fileDialog = false;
    try {
        if (m_helpCommand == HELP_MULTIKEY || m_helpCommand == HELP_SETWINPOS)
            throw ErrorInfo(kBadHelpCommand, QStringLiteral("Invalid WinHelp Command Passed to ShowHelp function."),
                            kSource);
        if (m_helpCommand == HELP_QUIT) return;
        qint32 code = sysFileNotFound;
        if (!m_helpFile.isEmpty() && QFileInfo(m_helpFile).isFile()) {
            const Documentation::ShellOpener opener = Documentation::shellOpener();
            code = opener ? opener(m_helpFile, true) : sysNoAssociation;
        }
        if (code != 0) throw ErrorInfo(code, Globals::Utilities().WinAPIError(code), kSource);
    } catch (...) {
        const ErrorInfo error = ErrorInfo::fromCurrentException();
        throw ErrorInfo(error.Number(), error.Description(), kSource);
    }
}

void cCommonDialog::cdLoadLibrary(const QString& DllName) {
    auto library = std::make_unique<QLibrary>(DllName);
    if (!library->load()) {
        m_hInstance = 0;
        return;
    }
    LoadedLibraries& loaded = loadedLibraries();
    const QMutexLocker lock(&loaded.mutex);
    m_hInstance = loaded.next++;
    loaded.byHandle[m_hInstance] = std::move(library);
}

void cCommonDialog::cdFreeLibrary() {
    if (m_hInstance > 0) {
        LoadedLibraries& loaded = loadedLibraries();
        const QMutexLocker lock(&loaded.mutex);
        const auto it = loaded.byHandle.find(m_hInstance);
        if (it != loaded.byHandle.end()) {
            it->second->unload();
            loaded.byHandle.erase(it);
        }
    }
    // Forgetting the handle keeps a second call from freeing it again.
    m_hInstance = 0;
}

} // namespace Vezedad
