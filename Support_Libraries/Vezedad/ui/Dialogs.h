#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QColor>
#include <QFont>
#include <QMarginsF>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class QPrinter;
class QWidget;

// The one way every window of the system asks the user for a file, a folder,
// a colour, a font or printer settings. Like the boxes of Ui.h, every dialog
// goes through one replaceable handler, so a test answers in place of a
// person; without a handler Qt's own dialogs are shown.
//
// The backend speaks Qt's types; the common-dialog classes keep the callers'
// conventions (buffers, flags, numbers) on top of it.
namespace Vezedad::Ui {

enum class DialogKind { OpenFile, SaveFile, Folder, Color, Font, Print, PageSetup };

// What a dialog that failed reports as its extended error when nothing more
// precise is known (no application object, not the user-interface thread).
constexpr qint32 kGeneralDialogFailure = 0xFFFF;

// One entry of a file dialog's type list: "Text Files (*.txt)" with "*.txt".
struct FileFilter {
    QString description;
    QStringList patterns;
};

// Called while the dialog is on screen, with the dialog's window id (0 when
// no real window shows it). Any of them may be empty.
struct DialogHooks {
    std::function<void(qint32 hDlg)> shown;         // before the dialog first shows
    std::function<void(qint32 hDlg)> fileChanged;   // file dialogs: another file is current
    std::function<void(qint32 hDlg)> folderChanged; // file dialogs: another folder is open
    std::function<void(qint32 hDlg)> typeChanged;   // file dialogs: another type is chosen
    std::function<bool(qint32 hDlg)> confirmOk;     // file dialogs: false keeps the dialog open
    std::function<void(qint32 hDlg)> closed;        // after the dialog has closed
};

struct FileDialogRequest {
    QString directory; // start folder; empty: the current one
    QString fileName;  // proposed name or path
    QList<FileFilter> filters;
    int filterIndex = 0;   // into filters, from 0; out of range: the first
    QString defaultSuffix; // added to a typed name without one
    bool multiSelect = false;
    bool fileMustExist = false;
    bool pathMustExist = false;
    bool overwritePrompt = false;
    bool showReadOnly = false; // offer the read-only check box
    bool readOnly = false;     // its starting state
    bool allowNewFolder = true;
};

struct ColorDialogRequest {
    QColor color;
    std::array<QColor, 16> customColors;
};

struct FontDialogRequest {
    QFont font;
    QColor color;
    bool effects = false; // underline, strike-out and colour may be chosen
    bool limitSize = false;
    int minSize = 0;
    int maxSize = 0;
    bool fixedPitchOnly = false;
    bool scalableOnly = false;
};

// Page numbers are 16-bit unsigned, as the callers store them.
struct PrintDialogRequest {
    quint16 fromPage = 1;
    quint16 toPage = 0xFFFF;
    quint16 minPage = 1;
    quint16 maxPage = 0xFFFF;
    int range = 0; // 0 all, 1 page numbers, 2 selection
    bool pageNumbers = true;
    bool selection = true;
    bool showPrintToFile = true;
    bool enablePrintToFile = true;
    bool printToFile = false;
    bool collate = false;
    bool returnDefault = false; // no window: the default printer's settings
    // The page the dialog starts with, as PrinterChoice numbers them; 0: the
    // dialog's own.
    int orientation = 0;
    int paperSize = 0;
};

// Margins in inches, or in millimetres when millimeters is set.
struct PageSetupRequest {
    bool millimeters = false;
    bool haveMargins = false;
    QMarginsF margins;
    bool haveMinMargins = false;
    QMarginsF minMargins;
    bool disableMargins = false;
    bool disableOrientation = false;
    bool disablePaper = false;
    bool disablePrinter = false;
};

struct DialogRequest {
    DialogKind kind = DialogKind::OpenFile;
    QWidget* owner = nullptr;
    QString title;
    qint32 flags = 0; // the flags as the caller's convention hands them to the dialog
    DialogHooks hooks;
    FileDialogRequest file;
    ColorDialogRequest color;
    FontDialogRequest font;
    PrintDialogRequest print;
    PageSetupRequest page;
};

// Printer settings chosen in a print or page set-up dialog.
struct PrinterChoice {
    QString name;
    QString driver;
    QString port;
    int range = 0; // as PrintDialogRequest::range
    quint16 fromPage = 1;
    quint16 toPage = 0xFFFF;
    bool printToFile = false;
    bool collate = false;
    int copies = 1;
    int orientation = 1;  // 1 portrait, 2 landscape
    int paperSize = 1;    // the paper numbers of the common dialogs (1 letter, 9 A4, ...; 256 other)
    int printQuality = 0; // dots per inch
    QMarginsF margins;    // page set-up, in the request's units
    QMarginsF minMargins;
};

struct DialogAnswer {
    // 1: the user pressed OK. 0: cancelled (extendedError 0) or failed
    // (extendedError the reason). Other values count as failures.
    qint32 result = 1;
    qint32 extendedError = 0;

    QStringList files; // full paths; the folder of a folder dialog
    int filterIndex = 0;
    bool readOnly = false;
    QColor color;
    std::array<QColor, 16> customColors;
    QFont font;
    QColor fontColor;
    PrinterChoice printer;

    static DialogAnswer cancelled() { return failed(0); }
    static DialogAnswer failed(qint32 extendedError) {
        DialogAnswer answer;
        answer.result = 0;
        answer.extendedError = extendedError;
        return answer;
    }
};

// An OK answer that keeps everything as the request started it; a scripted
// answer changes what the user would have changed.
VEZEDAD_EXPORT DialogAnswer AcceptAsShown(const DialogRequest& request);

// Sets a printer up as a print dialog's answer chose: a PDF file (the port)
// or a printer of the system (one it does not have leaves the printer's),
// copies, collation, page, paper and range.
VEZEDAD_EXPORT void ApplyPrinterChoice(QPrinter& printer, const PrinterChoice& choice);

// Shows the dialog the request describes through the installed handler, or
// Qt's own dialogs when none is installed.
VEZEDAD_EXPORT DialogAnswer RunDialog(DialogRequest& request);

// Qt's own (non-native) dialogs, whatever handler is installed. They run
// through ExecModal, so a test may answer them as modal windows.
VEZEDAD_EXPORT DialogAnswer RunQtDialog(DialogRequest& request);

// Replace the person. A handler stays until it is replaced; an empty one
// restores Qt's dialogs.
using DialogHandler = std::function<DialogAnswer(DialogRequest&)>;
VEZEDAD_EXPORT void setDialogHandler(DialogHandler handler);

// The folder picker: a folder dialog owned by the window with id owner (0 or
// -1: none), titled title, opened on startFolder. Returns the chosen folder,
// or "" when the user cancels or the dialog fails.
VEZEDAD_EXPORT QString BrowseForFolder(qint32 owner, const QString& title, const QString& startFolder = QString(),
                                       bool allowNewFolder = true);

// Window handles as the callers keep them: the window id, 32 bits wide.
// 0 and -1 name no window; so does an id no window of this program has.
VEZEDAD_EXPORT QWidget* WindowFromHandle(qint32 hWnd);
VEZEDAD_EXPORT qint32 HandleOfWindow(QWidget* window);

// Colours as the callers keep them: 0x00BBGGRR, or 0x800000nn for the
// system's colour number nn, taken from the application's palette. An
// invalid value gives an invalid QColor.
VEZEDAD_EXPORT QColor ColorFromOle(qint32 value);
VEZEDAD_EXPORT qint32 OleFromColor(const QColor& color);
// The system's colour number index (0 to 30) as 0x00BBGGRR; 0 for others.
VEZEDAD_EXPORT qint32 SystemColor(qint32 index);

} // namespace Vezedad::Ui
