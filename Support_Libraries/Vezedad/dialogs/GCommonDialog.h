#pragma once
#include "Vezedad/dialogs/DialogEnums.h"
#include "Vezedad/dialogs/StdFont.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QPointer>
#include <QString>
#include <QVariant>
#include <array>
#include <memory>

class QObject;
class QPrinter;

namespace Vezedad {

class cCommonDialog;

namespace Ui {
struct DialogAnswer;
struct DialogRequest;
} // namespace Ui

// The arguments of the dialog functions. Each function reads the fields as
// its inputs and writes its outputs back into the same fields, so a caller
// sets what it needs, calls, and reads the results from the same object.
// Owner is a window id; -1 (and 0) is no owner.
// What the open and save functions share.
struct FileDialogArgs {
    QString FileName;
    QString FileTitle;
    QString Filter = QStringLiteral("All (*.*)| *.*");
    qint32 FilterIndex = 1;
    QString InitDir;
    QString DlgTitle;
    QString DefaultExt;
    qint32 Owner = -1;
    qint32 Flags = 0;
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
};

struct OpenFileArgs : FileDialogArgs {
    bool FileMustExist = true;
    bool MultiSelect = false;
    bool ReadOnly = false;
    bool HideReadOnly = false;
};

struct SaveFileArgs : FileDialogArgs {
    bool OverWritePrompt = true;
};

// The forms that also name a dialog template (kept, though no template is
// used).
template <class Args> struct WithTemplate : Args {
    qint32 hInstance = 0;
    qint32 TemplateName = 0;
};
using OpenFileArgs2 = WithTemplate<OpenFileArgs>;
using SaveFileArgs2 = WithTemplate<SaveFileArgs>;

// Color is 0x00BBGGRR; a system colour (0x800000nn) starts the dialog on its
// current value.
struct ChooseColorArgs {
    qint32 Color = 0;
    bool AnyColor = true;
    bool FullOpen = false;
    bool DisableFullOpen = false;
    qint32 Owner = -1;
    qint32 Flags = 0;
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
};

struct ChooseFontArgs {
    StdFontPtr CurFont;
    qint32 PrinterDC = -1;
    qint32 Owner = -1;
    qint32 Color = 0;
    qint32 MinSize = 0;
    qint32 MaxSize = 0;
    qint32 Flags = 0;
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
};

// Printer, when set, receives Copies, Orientation, PaperSize and
// PrintQuality as properties by those names.
struct PrintDlgArgs {
    qint32 hdc = 0;
    qint32 PrintRange = eprAll;
    bool DisablePageNumbers = false;
    qint32 FromPage = 1;
    qint32 ToPage = -1;
    bool DisableSelection = false;
    qint16 Copies = 0;
    bool ShowPrintToFile = false;
    bool DisablePrintToFile = true;
    bool PrintToFile = false;
    bool Collate = false;
    bool PreventWarning = false;
    qint32 Owner = 0;
    QObject* Printer = nullptr;
    qint32 Flags = 0;
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
};

template <class Margin> struct PageSetupArgsOf {
    qint32 Owner = 0;
    bool DisableMargins = false;
    bool DisableOrientation = false;
    bool DisablePaper = false;
    bool DisablePrinter = false;
    Margin LeftMargin = 0;
    Margin MinLeftMargin = 0;
    Margin RightMargin = 0;
    Margin MinRightMargin = 0;
    Margin TopMargin = 0;
    Margin MinTopMargin = 0;
    Margin BottomMargin = 0;
    Margin MinBottomMargin = 0;
    qint32 PaperSize = epsLetter;
    qint32 Orientation = eoPortrait;
    qint32 PrintQuality = epqDraft;
    qint32 Units = epsuInches;
    QObject* Printer = nullptr;
    qint32 Flags = 0;
    bool Hook = false;
    cCommonDialog* EventSink = nullptr;
};
using PageSetupArgs = PageSetupArgsOf<float>;
using PageSetupLongArgs = PageSetupArgsOf<qint32>;

// What a WM_NOTIFY message's lParam points to.
struct NotifyHeader {
    qint32 hwndFrom = 0;
    quintptr idFrom = 0;
    qint32 code = 0;
};

// The function-style common dialogs: open and save file, file title, colour,
// font, print and page set-up. Each function shows its dialog modally,
// writes what the user chose back into its arguments and returns true when
// the user pressed OK. After every call APIReturn and ExtendedError tell a
// cancel (APIReturn 0) from a failure (ExtendedError the reason).
//
// The file buffers keep their fixed sizes: 260 characters, 8192 for a
// multi-select open. A name that does not fit raises error 5 before any
// dialog shows; a chosen path that does not fit fails the dialog with
// FNERR_BUFFERTOOSMALL.
//
// Globals::ComDlg() hands out one per thread; cCommonDialog keeps its own.
class VEZEDAD_EXPORT GCommonDialog {
public:
    GCommonDialog();
    ~GCommonDialog();
    GCommonDialog(const GCommonDialog&) = delete;
    GCommonDialog& operator=(const GCommonDialog&) = delete;

    // Where the dialogs' hook messages arrive while a hooked dialog is on
    // screen; they reach the event sink's members. For WM_NOTIFY, lParam is
    // the address of a NotifyHeader.
    QVariant DialogHook(qint32 hDlg, qint32 msg, qint32 wParam, qintptr lParam);

    qint32 APIReturn() const { return m_apiReturn; }
    qint32 ExtendedError() const { return m_extendedError; }

    bool VBGetOpenFileName2(OpenFileArgs2& args);
    bool VBGetOpenFileName(OpenFileArgs& args);
    bool VBGetSaveFileName2(SaveFileArgs2& args);
    bool VBGetSaveFileName(SaveFileArgs& args);
    // The name of a file as a dialog shows it; "" for a name that is not
    // one.
    QString VBGetFileTitle(const QString& sFIle);
    bool VBChooseColor(ChooseColorArgs& args);
    // The custom colours every colour dialog of this instance shares; they
    // start as the system colours 0 to 15. Other indexes give -1 and take
    // nothing.
    qint32 CustomColor(qint16 i);
    void setCustomColor(qint16 i, qint32 value);
    bool VBChooseFont(ChooseFontArgs& args);
    bool VBPrintDlg(PrintDlgArgs& args);
    bool VBPageSetupDlg2(PageSetupArgs& args);
    bool VBPageSetupDlg(PageSetupLongArgs& args);

    // The printer of the last print dialog: driver, device and output port.
    QString PrinterDriver() const { return m_printerDriver; }
    QString PrinterName() const { return m_printerName; }
    QString PrinterOutputPort() const { return m_printerPort; }
    // The printer the last print dialog set up, which its hdc names;
    // nullptr for any other value.
    QPrinter* PrinterForDC(qint32 hdc) const;

    // The converted filter list: every "|" and ":" a NUL, two NULs added.
    static QString FilterList(const QString& filter);
    // The entry n (from 1) of a converted list: description, NUL, pattern.
    static QString FilterLookup(const QString& list, qint32 n);

private:
    struct DeviceMode {
        qint16 orientation = eoPortrait;
        qint16 paperSize = epsLetter;
        qint16 copies = 1;
        qint16 printQuality = 0;
        qint16 collate = 0;
    };
    class HookScope;
    bool runFileDialog(FileDialogArgs& args, Ui::DialogRequest& request, qint32 hInstance, bool* readOnly,
                       qint32 indexAfterFailure);
    bool finish(const Ui::DialogAnswer& answer);
    void fillCustomColors();
    DeviceMode deviceModeOf(const Ui::DialogAnswer& answer) const;
    void applyToPrinter(const Ui::DialogAnswer& answer);
    QPrinter& printer();

    bool m_customFilled = false;
    std::array<qint32, 16> m_customColors{};
    qint32 m_apiReturn = 0;
    qint32 m_extendedError = 0;
    DeviceMode m_deviceMode;
    QString m_printerDriver;
    QString m_printerName;
    QString m_printerPort;
    QPointer<cCommonDialog> m_eventSink;
    std::unique_ptr<QPrinter> m_printer;
    qint32 m_printerDC = 0;
};

} // namespace Vezedad
