#include "Vezedad/dialogs/GCommonDialog.h"
#include "Vezedad/dialogs/cCommonDialog.h"
#include "Vezedad/dialogs/mDialogHook.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <atomic>

namespace Vezedad {

namespace {

constexpr int kPathBuffer = 260;
constexpr int kMultiSelectBuffer = 8192;
// A face name holds at most this many characters before its closing NUL.
constexpr int kFaceNameLength = 31;
constexpr QChar kNul = QChar(u'\0');
const QString kRuntimeSource = QStringLiteral("Vezedad");

// The runtime's own error when a name does not fit its fixed buffer.
void requireFits(const QString& text, int size) {
    if (text.size() > size)
        throw ErrorInfo(errInvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"), kRuntimeSource);
}

quint16 pageField(qint32 page) {
    if (page < -32768 || page > 32767) raiseOverflow(kRuntimeSource);
    return quint16(qint16(page));
}

qint32 wholeNumber(double value) {
    const auto whole = roundedTo<qint32>(value);
    if (!whole) raiseOverflow(kRuntimeSource);
    return *whole;
}

QList<Ui::FileFilter> filtersOf(const QString& list) {
    const QStringList parts = list.split(kNul);
    QList<Ui::FileFilter> filters;
    // Pairs of description and patterns, up to the first empty part.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'))) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty()) patterns.append(trimmed);
        }
        if (patterns.isEmpty()) break;
        filters.append(Ui::FileFilter{parts[i], patterns});
    }
    return filters;
}

// The multi-select buffer: the folder, NUL, the names separated by NULs and
// a double NUL; a single choice is its full path and a double NUL.
QString multiSelectLayout(const QStringList& files) {
    if (files.isEmpty()) return QString();
    if (files.size() == 1) return QDir::toNativeSeparators(files.first()) + kNul + kNul;
    QString folder = QFileInfo(files.first()).absolutePath();
    // Names are kept relative to the deepest folder that holds every file.
    for (const QString& file : files) {
        while (QDir(folder).relativeFilePath(file).startsWith(QStringLiteral("../"))) {
            const QString parent = QFileInfo(folder).path();
            if (parent == folder) break;
            folder = parent;
        }
    }
    QString layout = QDir::toNativeSeparators(folder);
    for (const QString& file : files) layout += kNul + QDir::toNativeSeparators(QDir(folder).relativeFilePath(file));
    return layout + kNul + kNul;
}

void setPrinterProperties(QObject* target, qint32 copies, qint32 orientation, qint32 paperSize, qint32 quality) {
    if (!target) return;
    // Each is tried on its own: an object that refuses one still gets the
    // others.
    target->setProperty("Copies", copies);
    target->setProperty("Orientation", orientation);
    target->setProperty("PaperSize", paperSize);
    target->setProperty("PrintQuality", quality);
}

Ui::DialogHooks hooksFor(mDialogHook::HookProc proc, bool fileNotifications) {
    // The owner's event handlers run inside the dialog's event loop: an
    // error of theirs is shown there and goes no further.
    const auto guarded = [](const std::function<void()>& body) {
        Ui::GuardShowError(QStringLiteral("Vezedad.GCommonDialog.DialogHook"), body);
    };
    const auto notify = [proc](qint32 hDlg, qint32 code) {
        NotifyHeader header{hDlg, 0, code};
        return proc(hDlg, WM_NOTIFY, 0, reinterpret_cast<qintptr>(&header));
    };
    Ui::DialogHooks hooks;
    hooks.shown = [=](qint32 hDlg) { guarded([&] { proc(hDlg, WM_INITDIALOG, 0, 0); }); };
    hooks.closed = [=](qint32 hDlg) { guarded([&] { proc(hDlg, WM_DESTROY, 0, 0); }); };
    if (!fileNotifications) return hooks;
    hooks.fileChanged = [=](qint32 hDlg) { guarded([&] { notify(hDlg, CDN_SELCHANGE); }); };
    hooks.folderChanged = [=](qint32 hDlg) { guarded([&] { notify(hDlg, CDN_FOLDERCHANGE); }); };
    hooks.typeChanged = [=](qint32 hDlg) { guarded([&] { notify(hDlg, CDN_TYPECHANGE); }); };
    hooks.confirmOk = [=](qint32 hDlg) {
        qint32 refused = 0;
        guarded([&] { refused = notify(hDlg, CDN_FILEOK); });
        return refused == 0;
    };
    return hooks;
}

} // namespace

// Installs the hook of one dialog call and takes it down on every path out.
class GCommonDialog::HookScope {
public:
    HookScope(GCommonDialog& owner, bool hook, cCommonDialog* sink, Ui::DialogRequest& request,
              mDialogHook::HookProc proc, qint32 enableBits)
        : m_owner(owner), m_active(hook) {
        if (!hook) return;
        mDialogHook::SetHookTarget(&owner);
        request.flags |= enableBits;
        request.hooks =
            hooksFor(proc, request.kind == Ui::DialogKind::OpenFile || request.kind == Ui::DialogKind::SaveFile);
        owner.m_eventSink = sink;
    }
    ~HookScope() { release(); }
    HookScope(const HookScope&) = delete;
    HookScope& operator=(const HookScope&) = delete;

    void release() {
        if (!m_active) return;
        m_active = false;
        m_owner.m_eventSink = nullptr;
        mDialogHook::ClearHookTarget();
    }

private:
    GCommonDialog& m_owner;
    bool m_active;
};

namespace {

// The same page set-up arguments with the margins in another type.
template <class To, class From, class Convert> To withMargins(const From& from, Convert convert) {
    To to;
    to.Owner = from.Owner;
    to.DisableMargins = from.DisableMargins;
    to.DisableOrientation = from.DisableOrientation;
    to.DisablePaper = from.DisablePaper;
    to.DisablePrinter = from.DisablePrinter;
    to.LeftMargin = convert(from.LeftMargin);
    to.MinLeftMargin = convert(from.MinLeftMargin);
    to.RightMargin = convert(from.RightMargin);
    to.MinRightMargin = convert(from.MinRightMargin);
    to.TopMargin = convert(from.TopMargin);
    to.MinTopMargin = convert(from.MinTopMargin);
    to.BottomMargin = convert(from.BottomMargin);
    to.MinBottomMargin = convert(from.MinBottomMargin);
    to.PaperSize = from.PaperSize;
    to.Orientation = from.Orientation;
    to.PrintQuality = from.PrintQuality;
    to.Units = from.Units;
    to.Printer = from.Printer;
    to.Flags = from.Flags;
    to.Hook = from.Hook;
    to.EventSink = from.EventSink;
    return to;
}

// The forms without a template clear its bit and name none.
template <class Args, class Run> bool withoutTemplate(Args& args, Run run) {
    args.Flags &= ~OFN_ENABLETEMPLATE;
    WithTemplate<Args> full;
    static_cast<Args&>(full) = args;
    const bool ok = run(full);
    args = full;
    return ok;
}

} // namespace

GCommonDialog::GCommonDialog() = default;
GCommonDialog::~GCommonDialog() = default;

QVariant GCommonDialog::DialogHook(qint32 hDlg, qint32 msg, qint32 wParam, qintptr lParam) {
    cCommonDialog* sink = m_eventSink;
    if (!sink) return QVariant();
    switch (msg) {
    case WM_INITDIALOG: return sink->RaiseInitDialog(hDlg);
    case WM_DESTROY: sink->RaiseDialogClose(); return QVariant();
    case WM_NOTIFY: {
        if (!lParam) return QVariant();
        switch (reinterpret_cast<const NotifyHeader*>(lParam)->code) {
        case CDN_TYPECHANGE: return sink->RaiseTypeChange(hDlg);
        // A refusal keeps the dialog open: the hook answers 1.
        case CDN_FILEOK: return sink->ConfirmOK() ? QVariant() : QVariant(1);
        case CDN_FOLDERCHANGE: return sink->RaiseFolderChange(hDlg);
        case CDN_SELCHANGE: return sink->RaiseFileChange(hDlg);
        default: return QVariant();
        }
    }
    case WM_COMMAND: {
        qint32 w = wParam;
        qint32 l = qint32(lParam);
        sink->RaiseWMCommand(hDlg, w, l);
        return QVariant();
    }
    default: return QVariant();
    }
}

bool GCommonDialog::finish(const Ui::DialogAnswer& answer) {
    if (answer.result == 1) {
        m_apiReturn = 1;
        m_extendedError = 0;
        return true;
    }
    m_extendedError = answer.extendedError;
    m_apiReturn = answer.result == 0 ? m_extendedError : answer.result;
    return false;
}

QString GCommonDialog::FilterList(const QString& filter) {
    QString list = filter;
    for (QChar& c : list)
        if (c == QLatin1Char('|') || c == QLatin1Char(':')) c = kNul;
    return list + kNul + kNul;
}

QString GCommonDialog::FilterLookup(const QString& list, qint32 n) {
    qsizetype start = 0;
    for (;;) {
        const qsizetype first = list.indexOf(kNul, start);
        if (first < 0) return QString();
        const qsizetype second = list.indexOf(kNul, first + 1);
        if (n == 1) return second < 0 ? list.mid(start) : list.mid(start, second - start);
        if (second < 0) return QString();
        --n;
        start = second + 1;
    }
}

bool GCommonDialog::runFileDialog(FileDialogArgs& a, Ui::DialogRequest& r, qint32 hInstance, bool* readOnly,
                                  qint32 indexAfterFailure) {
    m_apiReturn = 0;
    m_extendedError = 0;
    const int bufferSize = r.file.multiSelect ? kMultiSelectBuffer : kPathBuffer;
    requireFits(a.FileName, bufferSize);
    requireFits(a.FileTitle, bufferSize);
    const QString list = FilterList(a.Filter);
    r.owner = Ui::WindowFromHandle(a.Owner);
    r.title = a.DlgTitle;
    r.file.directory = a.InitDir;
    r.file.fileName = a.FileName;
    r.file.filters = filtersOf(list);
    r.file.filterIndex = a.FilterIndex - 1;
    r.file.defaultSuffix = a.DefaultExt;
    r.file.pathMustExist = true;
    // A template means nothing to these dialogs; its bit is kept as callers
    // expect to see it.
    if ((a.Flags & OFN_ENABLETEMPLATE) && hInstance > 0) r.flags |= OFN_ENABLETEMPLATE;

    HookScope hook(*this, a.Hook, a.EventSink, r, mDialogHook::FileHookProc, OFN_ENABLEHOOK | OFN_EXPLORER);
    Ui::DialogAnswer answer = Ui::RunDialog(r);
    hook.release();

    const bool multi = r.file.multiSelect;
    QString chosen;
    if (answer.result == 1) {
        chosen = multi ? multiSelectLayout(answer.files) : QDir::toNativeSeparators(answer.files.value(0));
        // A single path needs room for its closing NUL.
        if (chosen.size() > bufferSize - (multi ? 0 : 1)) answer = Ui::DialogAnswer::failed(FNERR_BUFFERTOOSMALL);
    }
    if (!finish(answer)) {
        a.FileName.clear();
        a.FileTitle.clear();
        a.Flags = 0;
        a.FilterIndex = indexAfterFailure;
        a.Filter.clear();
        return false;
    }

    qint32 returned = r.flags;
    if (readOnly) returned = answer.readOnly ? (returned | OFN_READONLY) : (returned & ~OFN_READONLY);
    const QString first = answer.files.value(0);
    const QString defaultExt = a.DefaultExt.startsWith(QLatin1Char('.')) ? a.DefaultExt.mid(1) : a.DefaultExt;
    if (!defaultExt.isEmpty() && !first.isEmpty() &&
        QFileInfo(first).suffix().compare(defaultExt, Qt::CaseInsensitive) != 0)
        returned |= OFN_EXTENSIONDIFFERENT;

    if (multi) {
        a.FileName = chosen.leftJustified(bufferSize, kNul);
    } else {
        a.FileName = chosen;
        a.FileTitle = QFileInfo(first).fileName();
    }
    a.Flags = returned;
    a.FilterIndex = answer.filterIndex + 1;
    a.Filter = FilterLookup(list, a.FilterIndex);
    if (readOnly && (returned & OFN_READONLY)) *readOnly = true;
    return true;
}

bool GCommonDialog::VBGetOpenFileName2(OpenFileArgs2& a) {
    Ui::DialogRequest r;
    r.kind = Ui::DialogKind::OpenFile;
    r.file.multiSelect = a.MultiSelect;
    r.file.fileMustExist = a.FileMustExist;
    r.file.showReadOnly = !a.HideReadOnly;
    r.file.readOnly = a.ReadOnly;
    if (a.ReadOnly) r.flags |= OFN_READONLY;
    if (a.HideReadOnly) r.flags |= OFN_HIDEREADONLY;
    if (a.FileMustExist) r.flags |= OFN_FILEMUSTEXIST;
    if (a.MultiSelect) r.flags |= OFN_ALLOWMULTISELECT | OFN_EXPLORER;
    return runFileDialog(a, r, a.hInstance, &a.ReadOnly, -1);
}

bool GCommonDialog::VBGetOpenFileName(OpenFileArgs& args) {
    return withoutTemplate(args, [this](OpenFileArgs2& full) { return VBGetOpenFileName2(full); });
}

bool GCommonDialog::VBGetSaveFileName2(SaveFileArgs2& a) {
    Ui::DialogRequest r;
    r.kind = Ui::DialogKind::SaveFile;
    r.file.overwritePrompt = a.OverWritePrompt;
    r.flags = OFN_HIDEREADONLY;
    if (a.OverWritePrompt) r.flags |= OFN_OVERWRITEPROMPT;
    return runFileDialog(a, r, a.hInstance, nullptr, 0);
}

bool GCommonDialog::VBGetSaveFileName(SaveFileArgs& args) {
    return withoutTemplate(args, [this](SaveFileArgs2& full) { return VBGetSaveFileName2(full); });
}

QString GCommonDialog::VBGetFileTitle(const QString& sFIle) {
    // A colon ends a drive only at the start ("C:x.txt"); elsewhere it is
    // part of a name, as a Linux file name may hold one.
    const char16_t letter = sFIle.isEmpty() ? 0 : (sFIle.at(0).unicode() | 0x20);
    const bool drive = sFIle.size() >= 2 && sFIle.at(1) == QLatin1Char(':') && letter >= u'a' && letter <= u'z';
    const qsizetype cut =
        qMax(qMax(sFIle.lastIndexOf(QLatin1Char('\\')), sFIle.lastIndexOf(QLatin1Char('/'))), drive ? 1 : -1);
    const QString title = sFIle.mid(cut + 1);
    static const QString kNotInNames = QStringLiteral("*?\"<>|");
    if (title.isEmpty() || title.size() >= kPathBuffer) return QString();
    for (const QChar c : title)
        if (kNotInNames.contains(c) || c == kNul) return QString();
    return title;
}

void GCommonDialog::fillCustomColors() {
    if (m_customFilled) return;
    for (int i = 0; i < int(m_customColors.size()); ++i) m_customColors[size_t(i)] = Ui::SystemColor(i);
    m_customFilled = true;
}

qint32 GCommonDialog::CustomColor(qint16 i) {
    fillCustomColors();
    return i >= 0 && i < 16 ? m_customColors[size_t(i)] : -1;
}

void GCommonDialog::setCustomColor(qint16 i, qint32 value) {
    fillCustomColors();
    if (i >= 0 && i < 16) m_customColors[size_t(i)] = value;
}

bool GCommonDialog::VBChooseColor(ChooseColorArgs& a) {
    m_apiReturn = 0;
    m_extendedError = 0;
    fillCustomColors();
    Ui::DialogRequest r;
    r.kind = Ui::DialogKind::Color;
    r.owner = Ui::WindowFromHandle(a.Owner);
    qint32 flags = (a.AnyColor ? CC_AnyColor : CC_SolidColor) | CC_RGBInit;
    if (a.FullOpen) flags |= CC_FullOpen;
    if (a.DisableFullOpen) flags |= CC_PreventFullOpen;
    r.flags = flags & ~(CC_ENABLEHOOK | CC_ENABLETEMPLATE);
    r.color.color = Ui::ColorFromOle(a.Color);
    for (size_t i = 0; i < m_customColors.size(); ++i) r.color.customColors[i] = Ui::ColorFromOle(m_customColors[i]);

    HookScope hook(*this, a.Hook, a.EventSink, r, mDialogHook::ColorHookProc, CC_ENABLEHOOK);
    const Ui::DialogAnswer answer = Ui::RunDialog(r);
    hook.release();
    if (!finish(answer)) {
        a.Color = -1;
        return false;
    }
    a.Color = Ui::OleFromColor(answer.color);
    for (size_t i = 0; i < m_customColors.size(); ++i)
        if (answer.customColors[i].isValid()) m_customColors[i] = Ui::OleFromColor(answer.customColors[i]);
    return true;
}

bool GCommonDialog::VBChooseFont(ChooseFontArgs& a) {
    m_apiReturn = 0;
    m_extendedError = 0;
    if (!a.CurFont) raiseRuntimeError(rtObjectNotSet, kRuntimeSource);
    StdFont& font = *a.CurFont;

    const bool dcGiven = a.PrinterDC != -1;
    if (!dcGiven) a.PrinterDC = 0;
    if (a.Flags & CF_PrinterFonts) {
        printer();
        a.PrinterDC = m_printerDC;
    }
    if (dcGiven) a.Flags |= CF_PrinterFonts;
    if (!(a.Flags & CF_PrinterFonts)) a.Flags |= CF_ScreenFonts;
    // Black asks for no effects.
    if (a.Color != 0) a.Flags |= CF_EFFECTS;
    if (a.MinSize != 0 || a.MaxSize != 0) a.Flags |= CF_LimitSize;
    a.Flags = (a.Flags & ~(CF_Apply | CF_EnableTemplate | CF_EnableHook)) | CF_InitToLogFontStruct;

    const qint32 pointTenths = wholeNumber(font.Size() * 10.0);
    const QString face = font.Name().left(kFaceNameLength);
    Ui::DialogRequest r;
    r.kind = Ui::DialogKind::Font;
    r.owner = Ui::WindowFromHandle(a.Owner);
    r.flags = a.Flags;
    QFont shown = Ui::NamedFont(face, qMax(1, pointTenths) / 10.0);
    shown.setWeight(QFont::Weight(qBound(1, int(font.Weight()), 1000)));
    shown.setItalic(font.Italic());
    shown.setUnderline(font.Underline());
    shown.setStrikeOut(font.Strikethrough());
    r.font.font = shown;
    r.font.color = Ui::ColorFromOle(a.Color);
    r.font.effects = a.Flags & CF_EFFECTS;
    r.font.limitSize = a.Flags & CF_LimitSize;
    r.font.minSize = a.MinSize;
    r.font.maxSize = a.MaxSize;
    r.font.fixedPitchOnly = a.Flags & CF_FixedPitchOnly;
    r.font.scalableOnly = a.Flags & (CF_ScalableOnly | CF_TTOnly);

    HookScope hook(*this, a.Hook, a.EventSink, r, mDialogHook::FontHookProc, CF_EnableHook);
    const Ui::DialogAnswer answer = Ui::RunDialog(r);
    hook.release();
    if (!finish(answer)) return false;

    const QFont& chosen = answer.font;
    const qint32 weight = chosen.weight();
    const qint32 fontType = (weight >= QFont::Bold ? Bold_FontType : 0) | (chosen.italic() ? Italic_FontType : 0) |
                            (weight < QFont::Bold && !chosen.italic() ? Regular_FontType : 0) | Screen_FontType;
    // Without effects the dialog offers no underline, strike-out or colour:
    // they stay as they came.
    const bool effects = r.font.effects;
    a.Flags = r.flags;
    if (effects) a.Color = Ui::OleFromColor(answer.fontColor);
    font.setBold(fontType & Bold_FontType);
    font.setItalic(chosen.italic());
    font.setStrikethrough(effects ? chosen.strikeOut() : font.Strikethrough());
    font.setUnderline(effects ? chosen.underline() : font.Underline());
    font.setWeight(qint16(weight));
    const double points = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : pointTenths / 10.0;
    font.setSize(wholeNumber(points * 10.0) / 10.0);
    QString name = chosen.family();
    const qsizetype nul = name.indexOf(kNul);
    if (nul >= 0) name.truncate(nul);
    font.setName(name.left(kFaceNameLength));
    return true;
}

QPrinter& GCommonDialog::printer() {
    static std::atomic<qint32> nextDC{1};
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printerDC = nextDC++;
    }
    return *m_printer;
}

QPrinter* GCommonDialog::PrinterForDC(qint32 hdc) const {
    return hdc != 0 && hdc == m_printerDC ? m_printer.get() : nullptr;
}

GCommonDialog::DeviceMode GCommonDialog::deviceModeOf(const Ui::DialogAnswer& answer) const {
    const Ui::PrinterChoice& p = answer.printer;
    DeviceMode mode;
    mode.orientation = qint16(p.orientation);
    mode.paperSize = qint16(p.paperSize);
    mode.copies = qint16(qBound(1, p.copies, 32767));
    mode.printQuality = qint16(qBound(-32768, p.printQuality, 32767));
    mode.collate = p.collate ? 1 : 0;
    return mode;
}

void GCommonDialog::applyToPrinter(const Ui::DialogAnswer& answer) {
    Ui::ApplyPrinterChoice(printer(), answer.printer);
}

bool GCommonDialog::VBPrintDlg(PrintDlgArgs& a) {
    m_apiReturn = 0;
    m_extendedError = 0;
    qint32 flags = a.Flags;
    if (a.DisablePageNumbers) flags |= PD_NOPAGENUMS;
    if (a.DisablePrintToFile) flags |= PD_DISABLEPRINTTOFILE;
    if (a.DisableSelection) flags |= PD_NOSELECTION;
    if (a.PrintToFile) flags |= PD_PRINTTOFILE;
    if (!a.ShowPrintToFile) flags |= PD_HIDEPRINTTOFILE;
    if (a.PreventWarning) flags |= PD_NOWARNING;
    if (a.Collate) flags |= PD_COLLATE;
    flags |= PD_USEDEVMODECOPIES | PD_RETURNDC;
    if (a.PrintRange == eprPageNumbers) flags |= PD_PAGENUMS;
    if (a.PrintRange == eprSelection) flags |= PD_SELECTION;
    flags &= ~(PD_ENABLEPRINTHOOK | PD_ENABLEPRINTTEMPLATE | PD_ENABLESETUPHOOK | PD_ENABLESETUPTEMPLATE_C);

    Ui::DialogRequest r;
    r.kind = Ui::DialogKind::Print;
    r.owner = Ui::WindowFromHandle(a.Owner);
    r.flags = flags;
    r.print.fromPage = pageField(a.FromPage);
    r.print.toPage = pageField(a.ToPage);
    r.print.range = (flags & PD_PAGENUMS) ? eprPageNumbers : (flags & PD_SELECTION) ? eprSelection : eprAll;
    r.print.pageNumbers = !(flags & PD_NOPAGENUMS);
    r.print.selection = !(flags & PD_NOSELECTION);
    r.print.showPrintToFile = !(flags & PD_HIDEPRINTTOFILE);
    r.print.enablePrintToFile = !(flags & PD_DISABLEPRINTTOFILE);
    r.print.printToFile = flags & PD_PRINTTOFILE;
    r.print.collate = flags & PD_COLLATE;
    r.print.returnDefault = flags & PD_RETURNDEFAULT;

    const bool setup = flags & PD_PRINTSETUP;
    HookScope hook(*this, a.Hook, a.EventSink, r, setup ? mDialogHook::SetupHookProc : mDialogHook::PrintHookProc,
                   setup ? PD_ENABLESETUPHOOK : PD_ENABLEPRINTHOOK);
    const Ui::DialogAnswer answer = Ui::RunDialog(r);
    hook.release();
    if (!finish(answer)) return false;

    const Ui::PrinterChoice& p = answer.printer;
    // The collate choice and the copies travel in the device mode; the
    // record's own copies field stays 1.
    qint32 returned = r.flags & ~(PD_PAGENUMS | PD_SELECTION | PD_PRINTTOFILE | PD_COLLATE);
    if (p.range == eprPageNumbers) returned |= PD_PAGENUMS;
    if (p.range == eprSelection) returned |= PD_SELECTION;
    if (p.printToFile) returned |= PD_PRINTTOFILE;
    const qint16 recordCopies = 1;

    applyToPrinter(answer);
    a.hdc = m_printerDC;
    a.Flags = returned;
    a.PrintRange = (returned & PD_PAGENUMS) ? eprPageNumbers : (returned & PD_SELECTION) ? eprSelection : eprAll;
    a.FromPage = qint16(p.fromPage);
    a.ToPage = qint16(p.toPage);
    a.PrintToFile = returned & PD_PRINTTOFILE;
    m_deviceMode = deviceModeOf(answer);
    if (returned & PD_COLLATE) {
        a.Collate = true;
        a.Copies = recordCopies;
    } else {
        a.Collate = m_deviceMode.collate == 1;
        a.Copies = m_deviceMode.copies;
    }
    m_printerDriver = p.driver;
    m_printerName = p.name;
    m_printerPort = p.port;
    setPrinterProperties(a.Printer, a.Copies, m_deviceMode.orientation, m_deviceMode.paperSize,
                         m_deviceMode.printQuality);
    return true;
}

bool GCommonDialog::VBPageSetupDlg2(PageSetupArgs& a) {
    m_apiReturn = 0;
    m_extendedError = 0;
    qint32 flags = 0;
    if (a.DisableMargins) flags |= PSD_DISABLEMARGINS;
    if (a.DisableOrientation) flags |= PSD_DISABLEORIENTATION;
    if (a.DisablePaper) flags |= PSD_DISABLEPAPER;
    if (a.DisablePrinter) flags |= PSD_DISABLEPRINTER;
    const bool inches = a.Units == epsuInches;
    flags |= inches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS;
    const double factor = inches ? 1000.0 : 100.0;
    // The record keeps whole thousandths of an inch or hundredths of a mm.
    const auto inRecord = [&](float margin) { return wholeNumber(double(margin) * factor) / factor; };
    const QMarginsF margins(inRecord(a.LeftMargin), inRecord(a.TopMargin), inRecord(a.RightMargin),
                            inRecord(a.BottomMargin));
    const QMarginsF minMargins(inRecord(a.MinLeftMargin), inRecord(a.MinTopMargin), inRecord(a.MinRightMargin),
                               inRecord(a.MinBottomMargin));

    Ui::DialogRequest r;
    r.kind = Ui::DialogKind::PageSetup;
    r.owner = Ui::WindowFromHandle(a.Owner);
    r.page.millimeters = !inches;
    r.page.haveMargins = !margins.isNull();
    r.page.margins = margins;
    r.page.haveMinMargins = !minMargins.isNull();
    r.page.minMargins = minMargins;
    r.page.disableMargins = a.DisableMargins;
    r.page.disableOrientation = a.DisableOrientation;
    r.page.disablePaper = a.DisablePaper;
    r.page.disablePrinter = a.DisablePrinter;
    if (r.page.haveMargins) flags |= PSD_MARGINS;
    if (r.page.haveMinMargins) flags |= PSD_MINMARGINS;
    r.flags = flags;

    HookScope hook(*this, a.Hook, a.EventSink, r, mDialogHook::PageSetupHookProc, PSD_EnablePageSetupHook);
    const Ui::DialogAnswer answer = Ui::RunDialog(r);
    if (answer.result == 0) {
        hook.release();
        return finish(answer);
    }
    m_apiReturn = answer.result;
    m_extendedError = 0;
    const Ui::PrinterChoice& p = answer.printer;
    const auto out = [&](double margin) { return float(wholeNumber(margin * factor) / factor); };
    a.LeftMargin = out(p.margins.left());
    a.TopMargin = out(p.margins.top());
    a.RightMargin = out(p.margins.right());
    a.BottomMargin = out(p.margins.bottom());
    a.MinLeftMargin = out(p.minMargins.left());
    a.MinTopMargin = out(p.minMargins.top());
    a.MinRightMargin = out(p.minMargins.right());
    a.MinBottomMargin = out(p.minMargins.bottom());
    const DeviceMode mode = deviceModeOf(answer);
    a.PaperSize = mode.paperSize;
    a.Orientation = mode.orientation;
    a.PrintQuality = mode.printQuality;
    setPrinterProperties(a.Printer, mode.copies, mode.orientation, mode.paperSize, mode.printQuality);
    hook.release();
    return true;
}

bool GCommonDialog::VBPageSetupDlg(PageSetupLongArgs& a) {
    PageSetupArgs full = withMargins<PageSetupArgs>(a, [](qint32 margin) { return float(margin); });
    if (!VBPageSetupDlg2(full)) return false;
    a = withMargins<PageSetupLongArgs>(full, [](float margin) { return wholeNumber(margin); });
    return true;
}

} // namespace Vezedad
