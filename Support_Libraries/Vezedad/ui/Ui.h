#pragma once
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QPointer>
#include <QString>
#include <Qt>
#include <functional>

class QDialog;
class QFont;
class QPrinter;
class QWidget;

// The one way every window of the system talks to the user through a box or
// a modal window. Going through here lets the programs run unattended under
// test: a handler installed by the test answers instead of a person.
namespace Vezedad::Ui {

// Buttons and answers of a message box, with the numbers callers compare.
enum MsgBoxStyle : qint32 {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    // Which button Enter presses; the first when none is given.
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

enum MsgBoxResult : qint32 {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

struct MessageBoxCall {
    QString prompt;
    qint32 buttons = vbOKOnly; // button set plus icon, as given
    QString title;
};

// Shows a box and returns the button pressed (an MsgBoxResult).
VEZEDAD_EXPORT qint32 MsgBox(const QString& prompt, qint32 buttons = vbOKOnly, const QString& title = QString(),
                             QWidget* parent = nullptr);

// The error box of a top-level handler, first layout: "Error n: text",
// "In " + location, "-->" + source.
VEZEDAD_EXPORT QString ErrorText(const ErrorInfo& error, const QString& location);
VEZEDAD_EXPORT void ShowError(const ErrorInfo& error, const QString& location, QWidget* parent = nullptr);

// Second layout: "Error n: text", "In procedure P of Form F" (or "of Module
// M"), then the source alone.
enum class OwnerKind { Form, Module };
VEZEDAD_EXPORT QString ProcedureErrorText(const ErrorInfo& error, const QString& procedure, OwnerKind kind,
                                          const QString& owner);
VEZEDAD_EXPORT void ShowProcedureError(const ErrorInfo& error, const QString& procedure, OwnerKind kind,
                                       const QString& owner, QWidget* parent = nullptr);

// Runs a window modally and returns its result code. When it closes, the
// window that was active before it is active again, with the focus on the
// control that had it: nothing else gives the keys back where no window
// manager activates the next window. Message boxes do the same. The window
// opens inside the screen (KeepOnScreen).
VEZEDAD_EXPORT int ExecModal(QDialog& dialog);

// Keeps a window inside the available area of the screen it opens on (that
// of the window that opened it, when there is one), frame included: each time
// it is shown, a window larger than that area is made smaller, never below
// its minimum size, and one placed beyond its edges is moved in. Where it
// falls short of its layout, the window's own scroll areas take over.
VEZEDAD_EXPORT void KeepOnScreen(QWidget& window);
// The same, once and at once: for a window that sizes itself as it is shown.
VEZEDAD_EXPORT void FitToScreen(QWidget& window);

// Replace the person. A handler stays until it is replaced; an empty one
// restores the real boxes and windows.
using MessageBoxHandler = std::function<qint32(const MessageBoxCall&)>;
using ModalHandler = std::function<int(QDialog&)>;
VEZEDAD_EXPORT void setMessageBoxHandler(MessageBoxHandler handler);
VEZEDAD_EXPORT void setModalHandler(ModalHandler handler);

// Asks where a printout goes in the print dialog (RunDialog), which offers
// the system's printers and a PDF file the user names (the only choice where
// no printer is installed), and sets the printer up as chosen; the page the
// printer has (orientation, paper) is the dialog's to start with. False when
// the user cancels and nothing is to be printed; a dialog that fails, or a
// choice with nowhere to print to, raises an error.
VEZEDAD_EXPORT bool PreparePrinter(QPrinter& printer, QWidget* owner = nullptr);

// The window's background from the "BackColor" setting, or the system's
// button face when the setting cannot be read or names a system colour.
VEZEDAD_EXPORT void SetBackColor(QWidget& window);

// What a screen reader calls a control that shows no caption of its own (a
// list, a grid, a page of text), or one that its label names. A combo box is
// then announced by this name with its current text as its value (by itself
// it is announced by its value alone).
VEZEDAD_EXPORT void SetAccessibleName(QWidget& control, const QString& name);

// A font by family and size in points. A family that is not installed gets
// the first installed of its substitutes (QFont::substitutes; Arial's are the
// families with its widths: Liberation Sans, Arimo, Nimbus Sans, set as
// this library loads), else the application font's family.
VEZEDAD_EXPORT QFont NamedFont(const QString& family, double pointSize, bool bold = false);

// Runs the body of a slot or event handler so that no error ever reaches the
// event loop: a failure is handed to onError (normally one of the error boxes
// above). Anything thrown is turned into an ErrorInfo first.
VEZEDAD_EXPORT void Guard(const std::function<void()>& body, const std::function<void(const ErrorInfo&)>& onError);

// The same with the error shown in the first error-box layout.
VEZEDAD_EXPORT void GuardShowError(const QString& location, const std::function<void()>& body,
                                   QWidget* parent = nullptr);

// The same with the error shown in the second layout ("In procedure ...").
VEZEDAD_EXPORT void GuardShowProcedureError(const QString& procedure, OwnerKind kind, const QString& owner,
                                            const std::function<void()>& body, QWidget* parent = nullptr);

// Shows the hourglass while it lives and puts back what was there before, on
// every path out, errors included. With a window the cursor is that window's;
// without one it is the whole application's.
class VEZEDAD_EXPORT Hourglass {
public:
    explicit Hourglass(QWidget* window = nullptr);
    ~Hourglass();
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    QPointer<QWidget> m_window;
    bool m_hadCursor = false;
    Qt::CursorShape m_previous = Qt::ArrowCursor;
};

// Calls handler once, when window is first activated. Where no window manager
// activates windows (the offscreen platform), the first showing stands in for
// it. The handler must not throw: wrap its body in one of the guards above.
VEZEDAD_EXPORT void OnFirstActivation(QWidget& window, std::function<void()> handler);

} // namespace Vezedad::Ui
