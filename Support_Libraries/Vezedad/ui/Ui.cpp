#include "Vezedad/ui/Ui.h"
#include "Vezedad/ui/Dialogs.h"

#include "Vezedad/dialogs/DialogEnums.h"
#include "Vezedad/dialogs/PaperSizes.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/Globals.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtDebug>
#include <algorithm>
#include <cmath>

namespace Vezedad::Ui {

namespace {

// Windows live on the one user-interface thread, so the handlers do too.
MessageBoxHandler& messageBoxHandler() {
    static MessageBoxHandler handler;
    return handler;
}
ModalHandler& modalHandler() {
    static ModalHandler handler;
    return handler;
}

// The window that opens a modal one, and the control in it that has the
// focus, get both back when the modal window has closed.
class FocusReturn {
public:
    FocusReturn() : m_window(QApplication::activeWindow()), m_focus(QApplication::focusWidget()) {}
    ~FocusReturn() {
        if (!m_window || !m_window->isVisible() || QApplication::activeWindow() == m_window) return;
        // Another modal window that came up meanwhile keeps the keys.
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != m_window) return;
        if (m_focus && m_focus->window() == m_window && m_focus->isVisible() && m_focus->isEnabled())
            m_focus->setFocus(Qt::ActiveWindowFocusReason);
        m_window->activateWindow();
    }
    FocusReturn(const FocusReturn&) = delete;
    FocusReturn& operator=(const FocusReturn&) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
};

// A combo box named by SetAccessibleName: that name, with the current text
// as the value. Qt's own answer on Linux reads the current text as the name.
const char* const kNamedCombo = "zidivoNamedCombo";

class NamedComboBox : public QAccessibleWidget {
public:
    explicit NamedComboBox(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        switch (t) {
        case QAccessible::Name: return combo()->accessibleName();
        case QAccessible::Value:
            return combo()->isEditable() && combo()->lineEdit() ? combo()->lineEdit()->text() : combo()->currentText();
        default: return QAccessibleWidget::text(t);
        }
    }
    // The drop-down list, as Qt's own answer gives it.
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == combo()->view() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction(), pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            combo()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* namedComboFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QComboBox")) return nullptr;
    auto* combo = qobject_cast<QComboBox*>(object);
    if (!combo || !combo->property(kNamedCombo).toBool()) return nullptr;
    return new NamedComboBox(combo);
}

QString firstLine(const ErrorInfo& error) {
    return QStringLiteral("Error ") + QString::number(error.Number()) + QStringLiteral(": ") + error.Description();
}

qint32 realMessageBox(const MessageBoxCall& call, QWidget* parent) {
    QMessageBox box(parent);
    box.setWindowTitle(call.title.isEmpty() ? QApplication::applicationName() : call.title);
    box.setText(call.prompt);
    switch (call.buttons & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        MsgBoxResult result;
    };
    QList<Choice> choices;
    switch (call.buttons & 0x7) {
    case vbOKCancel: choices = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
        choices = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
        break;
    case vbYesNoCancel:
        choices = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
        break;
    case vbYesNo: choices = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: choices = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: choices = {{QMessageBox::Ok, vbOK}}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice& c : choices) buttons |= c.button;
    box.setStandardButtons(buttons);
    const qsizetype defaultIndex = (call.buttons >> 8) & 0x3;
    if (defaultIndex < choices.size()) box.setDefaultButton(choices[defaultIndex].button);
    const int pressed = box.exec();
    for (const Choice& c : choices)
        if (pressed == c.button) return c.result;
    // The close box answers like the cancel button, or like the only button.
    return choices.size() == 1 ? choices.first().result : vbCancel;
}

} // namespace

qint32 MsgBox(const QString& prompt, qint32 buttons, const QString& title, QWidget* parent) {
    const MessageBoxCall call{prompt, buttons, title};
    const FocusReturn focusReturn;
    if (messageBoxHandler()) return messageBoxHandler()(call);
    // A program without windows cannot ask; the text goes to its log.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning().noquote() << call.title << call.prompt;
        return (call.buttons & 0x7) == vbOKOnly ? vbOK : vbCancel;
    }
    return realMessageBox(call, parent);
}

QString ErrorText(const ErrorInfo& error, const QString& location) {
    return firstLine(error) + QStringLiteral("\nIn ") + location + QStringLiteral("\n-->") + error.Source();
}

void ShowError(const ErrorInfo& error, const QString& location, QWidget* parent) {
    MsgBox(ErrorText(error, location), vbOKOnly, QString(), parent);
}

QString ProcedureErrorText(const ErrorInfo& error, const QString& procedure, OwnerKind kind, const QString& owner) {
    return firstLine(error) + QStringLiteral("\nIn procedure ") + procedure +
           (kind == OwnerKind::Form ? QStringLiteral(" of Form ") : QStringLiteral(" of Module ")) + owner +
           QStringLiteral("\n") + error.Source();
}

void ShowProcedureError(const ErrorInfo& error, const QString& procedure, OwnerKind kind, const QString& owner,
                        QWidget* parent) {
    MsgBox(ProcedureErrorText(error, procedure, kind, owner), vbOKOnly, QString(), parent);
}

int ExecModal(QDialog& dialog) {
    const FocusReturn focusReturn;
    KeepOnScreen(dialog);
    if (modalHandler()) return modalHandler()(dialog);
    return dialog.exec();
}

void setMessageBoxHandler(MessageBoxHandler handler) { messageBoxHandler() = std::move(handler); }
void setModalHandler(ModalHandler handler) { modalHandler() = std::move(handler); }

bool PreparePrinter(QPrinter& printer, QWidget* owner) {
    // Where a printout goes is the user's choice: a printer or a PDF file,
    // on the page the caller laid out.
    DialogRequest request;
    request.kind = DialogKind::Print;
    request.owner = owner;
    request.print.selection = false;
    request.print.collate = printer.collateCopies();
    request.print.orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? eoLandscape : eoPortrait;
    request.print.paperSize = PaperNumber(printer.pageLayout().pageSize().id());
    const DialogAnswer answer = RunDialog(request);
    if (answer.result == 0 && answer.extendedError == 0) return false;
    if (answer.result != 1)
        throw ErrorInfo(answer.extendedError != 0 ? answer.extendedError : kGeneralDialogFailure,
                        QStringLiteral("Common dialog error while choosing a printer"),
                        QStringLiteral("Vezedad::Ui.PreparePrinter"));
    ApplyPrinterChoice(printer, answer.printer);
    // Without any printer Qt makes a PDF printer with no file: nothing would
    // come out.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        raiseRuntimeError(rtPrinterError, QStringLiteral("Vezedad::Ui.PreparePrinter"),
                          QStringLiteral("no printer is installed and no PDF file was named"));
    return true;
}

void SetBackColor(QWidget& window) {
    QColor colour = QApplication::palette().color(QPalette::Button);
    try {
        const quint32 value = quint32(Globals::Configuration().BackColor());
        // The setting holds red in the low byte; the high bit marks one of the
        // system's own colours, which the palette already gives.
        if ((value & 0x80000000u) == 0)
            colour = QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
    } catch (...) {
    }
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, colour);
    window.setPalette(palette);
    // Check boxes and option buttons would fill with the button colour, a
    // grey band across the coloured window; they take the window's colour.
    if (qobject_cast<QCheckBox*>(&window) || qobject_cast<QRadioButton*>(&window))
        window.setBackgroundRole(QPalette::Window);
    window.setAutoFillBackground(true);
}

void SetAccessibleName(QWidget& control, const QString& name) {
    control.setAccessibleName(name);
    auto* combo = qobject_cast<QComboBox*>(&control);
    if (!combo) return;
    static const bool installed = (QAccessible::installFactory(&namedComboFactory), true);
    Q_UNUSED(installed);
    combo->setProperty(kNamedCombo, true);
    // An answer made before reads the value as the name: it goes.
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(combo);
    if (face && !dynamic_cast<NamedComboBox*>(face)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
        QAccessible::queryAccessibleInterface(combo);
    }
}

namespace {

// Where Arial is not installed, the free families drawn to its widths stand
// in for it, so that a window laid out for Arial keeps its size. Qt's
// substitutions carry them, so that text naming Arial anywhere (a printout's
// mark-up, a page of HTML) gets them too. Asked for as the library loads,
// before any window is made.
const bool gArialsMetricTwins =
    (QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                                          QStringLiteral("Nimbus Sans")}),
     true);

} // namespace

QFont NamedFont(const QString& family, double pointSize, bool bold) {
    QFont font = QApplication::font();
    const QStringList substitutes = QFont::substitutes(family);
    const auto installed = [](const QString& f) { return QFontDatabase::hasFamily(f); };
    if (installed(family))
        font.setFamily(family);
    else if (const auto twin = std::find_if(substitutes.begin(), substitutes.end(), installed);
             twin != substitutes.end())
        font.setFamily(*twin);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void Guard(const std::function<void()>& body, const std::function<void(const ErrorInfo&)>& onError) {
    try {
        body();
    } catch (...) {
        const ErrorInfo error = ErrorInfo::fromCurrentException();
        try {
            onError(error);
        } catch (...) {
            // Showing the error failed too: the log is all that is left.
            qWarning().noquote() << error.Number() << error.Description() << error.Source();
        }
    }
}

void GuardShowError(const QString& location, const std::function<void()>& body, QWidget* parent) {
    Guard(body, [&](const ErrorInfo& error) { ShowError(error, location, parent); });
}

void GuardShowProcedureError(const QString& procedure, OwnerKind kind, const QString& owner,
                             const std::function<void()>& body, QWidget* parent) {
    Guard(body, [&](const ErrorInfo& error) { ShowProcedureError(error, procedure, kind, owner, parent); });
}

Hourglass::Hourglass(QWidget* window) : m_window(window) {
    if (m_window) {
        m_hadCursor = m_window->testAttribute(Qt::WA_SetCursor);
        m_previous = m_window->cursor().shape();
        m_window->setCursor(Qt::WaitCursor);
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
}

Hourglass::~Hourglass() {
    if (m_window) {
        if (m_hadCursor)
            m_window->setCursor(m_previous);
        else
            m_window->unsetCursor();
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::restoreOverrideCursor();
    }
}

namespace {

class FirstActivationFilter : public QObject {
public:
    FirstActivationFilter(QWidget& window, std::function<void()> handler)
        : QObject(&window), m_handler(std::move(handler)) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowActivate) {
            fire();
        } else if (event->type() == QEvent::Show && !m_done) {
            // Offscreen nothing activates windows: the first showing stands in,
            // once the window has painted and its event loop runs.
            QTimer::singleShot(0, this, [this] { fire(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void fire() {
        if (m_done) return;
        m_done = true;
        m_handler();
    }

    std::function<void()> m_handler;
    bool m_done = false;
};

} // namespace

void OnFirstActivation(QWidget& window, std::function<void()> handler) {
    new FirstActivationFilter(window, std::move(handler));
}

namespace {

// The screen a window opens on: that of the window that opened it (a dialog
// without a parent stands over the active window), else the one its place
// gives.
QScreen* openingScreen(const QWidget& window) {
    if (const QWidget* parent = window.parentWidget(); parent && parent->window()->isVisible())
        return parent->window()->screen();
    if (const QWindow* handle = window.windowHandle(); handle && handle->transientParent())
        return handle->transientParent()->screen();
    return window.screen();
}

// The frame the window system puts around the window. It is known once the
// window has been framed; before that, another framed window of the program
// tells (first the one that opened it), as a program's windows get alike
// frames.
QMargins frameOf(const QWidget& window) {
    if (const QWindow* handle = window.windowHandle(); handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    QList<const QWidget*> others;
    if (const QWidget* parent = window.parentWidget()) others << parent->window();
    for (const QWidget* w : QApplication::topLevelWidgets()) others << w;
    for (const QWidget* other : others) {
        if (other == &window || !other->isVisible()) continue;
        if (const QWindow* handle = other->windowHandle(); handle && !handle->frameMargins().isNull())
            return handle->frameMargins();
    }
    return {};
}

class KeepOnScreenFilter : public QObject {
public:
    explicit KeepOnScreenFilter(QWidget& window) : QObject(&window), m_window(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // Before the window's own showing, so that a dialog centres itself
        // at the size it gets here.
        if (watched == &m_window && event->type() == QEvent::Show) FitToScreen(m_window);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_window;
};

} // namespace

void KeepOnScreen(QWidget& window) {
    for (QObject* child : window.children())
        if (dynamic_cast<KeepOnScreenFilter*>(child)) return;
    new KeepOnScreenFilter(window);
}

namespace {

// A scaled screen's available area in the windows' pixels, rounded down. Qt
// rounds the screen's own pixels to the nearest, so 1024 at 1.5 times scale
// gives 683, and a window that wide would take 1025 of the screen's pixels.
// Of the widths that round to the one Qt gives, the smallest is taken: a
// window within it never leaves the screen.
int logicalRoom(int logical, qreal ratio) {
    if (ratio <= 1.0) return logical;
    const qint64 fewestPixels = qint64(std::ceil((logical - 0.5) * ratio));
    return int(std::floor(double(fewestPixels) / ratio));
}

QRect availableArea(const QScreen& screen) {
    const QRect area = screen.availableGeometry();
    const qreal ratio = screen.devicePixelRatio();
    return QRect(area.topLeft(), QSize(logicalRoom(area.width(), ratio), logicalRoom(area.height(), ratio)));
}

} // namespace

void FitToScreen(QWidget& window) {
    const QScreen* screen = openingScreen(window);
    if (!screen || !window.isWindow()) return;
    const QRect area = availableArea(*screen);
    const QMargins frame = frameOf(window);
    const QSize room(area.width() - frame.left() - frame.right(), area.height() - frame.top() - frame.bottom());
    if (window.width() > room.width() || window.height() > room.height())
        window.resize(window.size().boundedTo(room).expandedTo(window.minimumSize()));
    // A window not placed yet is placed by the window system, a dialog over
    // the window that opened it: both keep it on the screen.
    const QWindow* handle = window.windowHandle();
    if (!window.testAttribute(Qt::WA_Moved) && !(handle && handle->isVisible())) return;
    const QRect outer = window.geometry().marginsAdded(frame);
    QPoint to = outer.topLeft();
    to.setX(std::max(area.left(), std::min(to.x(), area.right() + 1 - outer.width())));
    to.setY(std::max(area.top(), std::min(to.y(), area.bottom() + 1 - outer.height())));
    if (to != outer.topLeft()) window.move(to);
}

} // namespace Vezedad::Ui
