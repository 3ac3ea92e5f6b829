#include "Vezedad/ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QWidget>

namespace Vezedad::Ui {

namespace {

// Dialogs live on the one user-interface thread, so the handler does too.
DialogHandler& dialogHandler() {
    static DialogHandler handler;
    return handler;
}

struct SystemColorRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system's colour numbers 0 to 30, in the palette's terms. Number 25 is
// not used by the system and reads as black.
constexpr SystemColorRole kSystemColors[] = {
    {QPalette::Active, QPalette::Button},            // 0 scroll bar
    {QPalette::Active, QPalette::Dark},              // 1 desktop
    {QPalette::Active, QPalette::Highlight},         // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},       // 3 inactive caption
    {QPalette::Active, QPalette::Window},            // 4 menu
    {QPalette::Active, QPalette::Base},              // 5 window
    {QPalette::Active, QPalette::Shadow},            // 6 window frame
    {QPalette::Active, QPalette::WindowText},        // 7 menu text
    {QPalette::Active, QPalette::Text},              // 8 window text
    {QPalette::Active, QPalette::HighlightedText},   // 9 caption text
    {QPalette::Active, QPalette::Button},            // 10 active border
    {QPalette::Inactive, QPalette::Button},          // 11 inactive border
    {QPalette::Active, QPalette::Dark},              // 12 application workspace
    {QPalette::Active, QPalette::Highlight},         // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},   // 14 highlighted text
    {QPalette::Active, QPalette::Button},            // 15 button face
    {QPalette::Active, QPalette::Dark},              // 16 button shadow
    {QPalette::Disabled, QPalette::Text},            // 17 grey text
    {QPalette::Active, QPalette::ButtonText},        // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText}, // 19 inactive caption text
    {QPalette::Active, QPalette::Light},             // 20 button highlight
    {QPalette::Active, QPalette::Shadow},            // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},          // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},       // 23 tool tip text
    {QPalette::Active, QPalette::ToolTipBase},       // 24 tool tip background
    {QPalette::Active, QPalette::NoRole},            // 25 not used
    {QPalette::Active, QPalette::Link},              // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},         // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight},       // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},         // 29 menu highlight
    {QPalette::Active, QPalette::Window},            // 30 menu bar
};
constexpr qint32 kSystemColorCount = qint32(sizeof kSystemColors / sizeof kSystemColors[0]);

QPalette applicationPalette() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::palette() : QPalette();
}

bool hasWindows() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

} // namespace

DialogAnswer AcceptAsShown(const DialogRequest& request) {
    DialogAnswer answer;
    switch (request.kind) {
    case DialogKind::OpenFile:
    case DialogKind::SaveFile:
        if (!request.file.fileName.isEmpty())
            answer.files.append(QDir(request.file.directory).absoluteFilePath(request.file.fileName));
        answer.filterIndex = request.file.filterIndex >= 0 && request.file.filterIndex < request.file.filters.size()
                                 ? request.file.filterIndex
                                 : 0;
        answer.readOnly = request.file.readOnly;
        break;
    case DialogKind::Folder: answer.files.append(QDir(request.file.directory).absolutePath()); break;
    case DialogKind::Color: break;
    case DialogKind::Font: break;
    case DialogKind::Print:
        answer.printer.range = request.print.range;
        answer.printer.fromPage = request.print.fromPage;
        answer.printer.toPage = request.print.toPage;
        answer.printer.printToFile = request.print.printToFile;
        answer.printer.collate = request.print.collate;
        if (request.print.orientation != 0) answer.printer.orientation = request.print.orientation;
        if (request.print.paperSize != 0) answer.printer.paperSize = request.print.paperSize;
        break;
    case DialogKind::PageSetup:
        answer.printer.margins = request.page.margins;
        answer.printer.minMargins = request.page.minMargins;
        break;
    }
    answer.color = request.color.color;
    answer.customColors = request.color.customColors;
    answer.font = request.font.font;
    answer.fontColor = request.font.color;
    return answer;
}

DialogAnswer RunDialog(DialogRequest& request) {
    if (dialogHandler()) return dialogHandler()(request);
    return RunQtDialog(request);
}

void setDialogHandler(DialogHandler handler) { dialogHandler() = std::move(handler); }

QString BrowseForFolder(qint32 owner, const QString& title, const QString& startFolder, bool allowNewFolder) {
    DialogRequest request;
    request.kind = DialogKind::Folder;
    request.owner = WindowFromHandle(owner);
    request.title = title;
    request.file.directory = startFolder;
    request.file.allowNewFolder = allowNewFolder;
    const DialogAnswer answer = RunDialog(request);
    if (answer.result != 1 || answer.files.isEmpty()) return QString();
    return QDir::toNativeSeparators(answer.files.first());
}

QWidget* WindowFromHandle(qint32 hWnd) {
    if (hWnd == 0 || hWnd == -1 || !hasWindows()) return nullptr;
    if (QWidget* window = QWidget::find(WId(quint32(hWnd)))) return window;
    // Where window ids are wider than 32 bits, the handle is their low half.
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* widget : widgets)
        if (widget->internalWinId() && qint32(widget->internalWinId()) == hWnd) return widget;
    return nullptr;
}

qint32 HandleOfWindow(QWidget* window) { return window ? qint32(window->winId()) : 0; }

QColor ColorFromOle(qint32 value) {
    const quint32 bits = quint32(value);
    switch (bits >> 24) {
    case 0x00:
    case 0x02: // a colour relative to a palette: with none, its own value
        return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
    case 0x80: {
        const quint32 index = bits & 0xFFFFFF;
        if (index >= quint32(kSystemColorCount)) return QColor();
        return ColorFromOle(SystemColor(qint32(index)));
    }
    default: return QColor();
    }
}

qint32 OleFromColor(const QColor& color) {
    if (!color.isValid()) return -1;
    const QColor rgb = color.toRgb();
    return qint32(quint32(rgb.red()) | (quint32(rgb.green()) << 8) | (quint32(rgb.blue()) << 16));
}

qint32 SystemColor(qint32 index) {
    if (index < 0 || index >= kSystemColorCount) return 0;
    const SystemColorRole& entry = kSystemColors[index];
    if (entry.role == QPalette::NoRole) return 0;
    return OleFromColor(applicationPalette().color(entry.group, entry.role));
}

} // namespace Vezedad::Ui
