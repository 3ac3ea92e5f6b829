#pragma once
#include "Vezedad/foundation/ErrorInfo.h"
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QString>
#include <functional>

class QDialog;
class QFont;
class QPrinter;
class QWidget;

// The one way every window of the system talks to the user through a box or
// a modal window. Going through here lets the programs run unattended under
// test: a handler installed by the test answers instead of a person.
namespace VezirodEdovud::Ui {

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
VEZIRODEDOVUD_EXPORT qint32 MsgBox(const QString& prompt, qint32 buttons = vbOKOnly, const QString& title = QString(),
                                   QWidget* parent = nullptr);

// The error box of a top-level handler, first layout: "Error n: text",
// "In " + location, "-->" + source.
VEZIRODEDOVUD_EXPORT QString ErrorText(const Vezedad::ErrorInfo& error, const QString& location);
VEZIRODEDOVUD_EXPORT void ShowError(const Vezedad::ErrorInfo& error, const QString& location,
                                    QWidget* parent = nullptr);

// Second layout: "Error n: text", "In procedure P of Form F" (or "of Module
// M"), then the source alone.
enum class OwnerKind { Form, Module };
VEZIRODEDOVUD_EXPORT QString ProcedureErrorText(const Vezedad::ErrorInfo& error, const QString& procedure,
                                                OwnerKind kind, const QString& owner);
VEZIRODEDOVUD_EXPORT void ShowProcedureError(const Vezedad::ErrorInfo& error, const QString& procedure, OwnerKind kind,
                                             const QString& owner, QWidget* parent = nullptr);

// Runs a window modally and returns its result code.
VEZIRODEDOVUD_EXPORT int ExecModal(QDialog& dialog);

// Replace the person. A handler stays until it is replaced; an empty one
// restores the real boxes and windows.
using MessageBoxHandler = std::function<qint32(const MessageBoxCall&)>;
using ModalHandler = std::function<int(QDialog&)>;
VEZIRODEDOVUD_EXPORT void setMessageBoxHandler(MessageBoxHandler handler);
VEZIRODEDOVUD_EXPORT void setModalHandler(ModalHandler handler);

// Printing without a dialog goes to the default printer; a handler may point
// the printer elsewhere (a test sends it to a file) before the job starts.
using PrinterHandler = std::function<void(QPrinter&)>;
VEZIRODEDOVUD_EXPORT void setPrinterHandler(PrinterHandler handler);
VEZIRODEDOVUD_EXPORT void PreparePrinter(QPrinter& printer);

// The window's background from the "BackColor" setting, or the system's
// button face when the setting cannot be read or names a system colour.
VEZIRODEDOVUD_EXPORT void SetBackColor(QWidget& window);

// A font by family and size in points, falling back to the system's family
// when the named one is missing.
VEZIRODEDOVUD_EXPORT QFont NamedFont(const QString& family, double pointSize, bool bold = false);

} // namespace VezirodEdovud::Ui
