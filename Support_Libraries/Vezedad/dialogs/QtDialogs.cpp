// Qt's own dialogs behind the dialog backend. Every question these dialogs
// would ask by themselves (file not found, replace the file?) is asked here
// through the message-box seam instead, so that no test meets a box it
// cannot answer.
#include "Vezedad/dialogs/DialogEnums.h"
#include "Vezedad/dialogs/PaperSizes.h"
#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QThread>
#include <QToolButton>

namespace Vezedad::Ui {

namespace {

void call(const std::function<void(qint32)>& hook, qint32 hDlg) {
    if (hook) hook(hDlg);
}

// Runs a prepared dialog: the shown hook first, then the dialog through the
// modal seam, then the closed hook.
bool runModal(QDialog& dialog, const DialogRequest& request) {
    dialog.setModal(true);
    if (!request.title.isEmpty()) dialog.setWindowTitle(request.title);
    const qint32 hDlg = HandleOfWindow(&dialog);
    call(request.hooks.shown, hDlg);
    const int result = ExecModal(dialog);
    call(request.hooks.closed, hDlg);
    return result == QDialog::Accepted;
}

QString qtNameFilter(const FileFilter& filter) {
    return filter.description + QStringLiteral(" (") + filter.patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

class FileDialog : public QFileDialog {
public:
    // Made in its start folder: a dialog first made in the current folder and
    // then moved starts two listings, and Qt's model may then show neither.
    FileDialog(const DialogRequest& request)
        : QFileDialog(request.owner, QString(), request.file.directory), m_request(request) {}

    std::function<bool()> confirm;

    void accept() override {
        const FileDialogRequest& file = m_request.file;
        const QStringList files = selectedFiles();
        // A typed folder is opened, as the dialog itself does.
        if (fileMode() != Directory && files.size() == 1 && QFileInfo(files.first()).isDir()) {
            QFileDialog::accept();
            return;
        }
        for (const QString& path : files) {
            const QFileInfo info(path);
            if (file.pathMustExist && !info.absoluteDir().exists()) {
                MsgBox(info.absolutePath() + QStringLiteral("\nPath does not exist.\nCheck the path and try again."),
                       vbExclamation, windowTitle(), this);
                return;
            }
            if (file.fileMustExist && !info.exists()) {
                MsgBox(info.fileName() + QStringLiteral("\nFile not found.\nCheck the file name and try again."),
                       vbExclamation, windowTitle(), this);
                return;
            }
        }
        if (file.overwritePrompt && files.size() == 1 && QFileInfo::exists(files.first()) &&
            MsgBox(QFileInfo(files.first()).fileName() + QStringLiteral(" already exists.\nDo you want to replace it?"),
                   vbYesNo | vbExclamation, windowTitle(), this) != vbYes)
            return;
        QFileDialog::accept();
    }

    void done(int result) override {
        if (result == Accepted && confirm && !confirm()) return;
        QFileDialog::done(result);
    }

private:
    const DialogRequest& m_request;
};

DialogAnswer runFileDialog(DialogRequest& request) {
    const FileDialogRequest& file = request.file;
    FileDialog dialog(request);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Overwriting is asked through the message-box seam (accept above).
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (request.kind == DialogKind::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        if (!file.allowNewFolder) {
            dialog.setOption(QFileDialog::ReadOnly);
            if (auto* button = dialog.findChild<QToolButton*>(QStringLiteral("newFolderButton"))) button->hide();
        }
    } else if (request.kind == DialogKind::SaveFile) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setFileMode(file.multiSelect     ? QFileDialog::ExistingFiles
                           : file.fileMustExist ? QFileDialog::ExistingFile
                                                : QFileDialog::AnyFile);
    }
    QStringList nameFilters;
    for (const FileFilter& filter : file.filters) nameFilters.append(qtNameFilter(filter));
    if (!nameFilters.isEmpty()) {
        // The descriptions already name their patterns.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilters(nameFilters);
        dialog.selectNameFilter(nameFilters.value(file.filterIndex, nameFilters.first()));
    }
    if (!file.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(file.defaultSuffix);
    if (!file.directory.isEmpty()) dialog.setDirectory(file.directory);
    if (!file.fileName.isEmpty()) dialog.selectFile(file.fileName);

    QCheckBox* readOnly = nullptr;
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (file.showReadOnly && grid) {
        readOnly = new QCheckBox(QStringLiteral("Open as &read-only"), &dialog);
        readOnly->setObjectName(QStringLiteral("chkReadOnly"));
        readOnly->setChecked(file.readOnly);
        grid->addWidget(readOnly, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignLeft);
    }

    const qint32 hDlg = HandleOfWindow(&dialog);
    const DialogHooks& hooks = request.hooks;
    if (hooks.confirmOk) dialog.confirm = [&] { return hooks.confirmOk(hDlg); };
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog, [&] { call(hooks.fileChanged, hDlg); });
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&] { call(hooks.folderChanged, hDlg); });
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&] { call(hooks.typeChanged, hDlg); });

    if (!runModal(dialog, request)) return DialogAnswer::cancelled();
    DialogAnswer answer;
    answer.files = dialog.selectedFiles();
    answer.filterIndex = qMax(0, nameFilters.indexOf(dialog.selectedNameFilter()));
    answer.readOnly = readOnly ? readOnly->isChecked() : file.readOnly;
    return answer;
}

DialogAnswer runColorDialog(DialogRequest& request) {
    QColorDialog dialog(request.owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    for (int i = 0; i < int(request.color.customColors.size()); ++i)
        if (request.color.customColors[size_t(i)].isValid())
            QColorDialog::setCustomColor(i, request.color.customColors[size_t(i)]);
    dialog.setCurrentColor(request.color.color.isValid() ? request.color.color : QColor(Qt::white));
    if (!runModal(dialog, request)) return DialogAnswer::cancelled();
    DialogAnswer answer = AcceptAsShown(request);
    answer.color = dialog.currentColor();
    for (int i = 0; i < int(answer.customColors.size()); ++i)
        answer.customColors[size_t(i)] = QColorDialog::customColor(i);
    return answer;
}

class FontDialog : public QFontDialog {
public:
    FontDialog(const DialogRequest& request) : QFontDialog(request.font.font, request.owner), m_font(request.font) {}

    void done(int result) override {
        const double size = currentFont().pointSizeF();
        if (result == Accepted && m_font.limitSize && (size < m_font.minSize || size > m_font.maxSize)) {
            MsgBox(QStringLiteral("Size must be between %1 and %2 points.").arg(m_font.minSize).arg(m_font.maxSize),
                   vbExclamation, windowTitle(), this);
            return;
        }
        QFontDialog::done(result);
    }

private:
    const FontDialogRequest& m_font;
};

DialogAnswer runFontDialog(DialogRequest& request) {
    const FontDialogRequest& font = request.font;
    if (font.limitSize && font.maxSize < font.minSize) return DialogAnswer::failed(CFERR_MAXLESSTHANMIN);
    if (QFontDatabase::families().isEmpty()) return DialogAnswer::failed(CFERR_NOFONTS);
    FontDialog dialog(request);
    QFontDialog::FontDialogOptions options = QFontDialog::DontUseNativeDialog;
    if (font.fixedPitchOnly) options |= QFontDialog::MonospacedFonts;
    if (font.scalableOnly) options |= QFontDialog::ScalableFonts;
    dialog.setOptions(options);
    if (!font.effects) {
        // Underline and strike-out sit in the only group with check boxes.
        const auto groups = dialog.findChildren<QGroupBox*>();
        for (QGroupBox* group : groups)
            if (!group->findChildren<QCheckBox*>().isEmpty()) group->hide();
    }
    if (!runModal(dialog, request)) return DialogAnswer::cancelled();
    DialogAnswer answer = AcceptAsShown(request);
    answer.font = dialog.currentFont();
    return answer;
}

PrinterChoice choiceOf(const QPrinter& printer, const PrintDialogRequest& print) {
    PrinterChoice choice;
    choice.printToFile = !printer.outputFileName().isEmpty();
    choice.name = printer.printerName();
    if (choice.name.isEmpty() && printer.outputFormat() == QPrinter::PdfFormat)
        choice.name = QStringLiteral("Print to File (PDF)");
    choice.driver =
        printer.outputFormat() == QPrinter::PdfFormat ? QStringLiteral("PDF") : QPrinterInfo(printer).makeAndModel();
    choice.port = choice.printToFile ? printer.outputFileName() : choice.name;
    switch (printer.printRange()) {
    case QPrinter::PageRange: choice.range = 1; break;
    case QPrinter::Selection: choice.range = 2; break;
    default: choice.range = 0; break;
    }
    choice.fromPage = printer.fromPage() > 0 ? quint16(printer.fromPage()) : print.fromPage;
    choice.toPage = printer.toPage() > 0 ? quint16(printer.toPage()) : print.toPage;
    choice.collate = printer.collateCopies();
    choice.copies = printer.copyCount();
    choice.orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? eoLandscape : eoPortrait;
    choice.paperSize = PaperNumber(printer.pageLayout().pageSize().id());
    choice.printQuality = printer.resolution();
    return choice;
}

DialogAnswer runPrintDialog(DialogRequest& request) {
    const PrintDialogRequest& print = request.print;
    QPrinter printer(QPrinter::HighResolution);
    DialogAnswer answer = AcceptAsShown(request);
    if (print.returnDefault) {
        const QPrinterInfo standard = QPrinterInfo::defaultPrinter();
        if (standard.isNull()) return DialogAnswer::failed(PDERR_NODEFAULTPRN);
        printer.setPrinterName(standard.printerName());
        answer.printer = choiceOf(printer, print);
        return answer;
    }
    if (print.orientation != 0)
        printer.setPageOrientation(print.orientation == eoLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (PageSizeOfPaper(print.paperSize) != QPageSize::Custom)
        printer.setPageSize(QPageSize(PageSizeOfPaper(print.paperSize)));
    QPrintDialog dialog(&printer, request.owner);
    QAbstractPrintDialog::PrintDialogOptions options =
        QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintCollateCopies;
    if (print.showPrintToFile && print.enablePrintToFile) options |= QAbstractPrintDialog::PrintToFile;
    if (print.selection) options |= QAbstractPrintDialog::PrintSelection;
    if (print.pageNumbers) options |= QAbstractPrintDialog::PrintPageRange;
    dialog.setOptions(options);
    dialog.setMinMax(print.minPage, print.maxPage);
    printer.setCollateCopies(print.collate);
    if (print.range == 1 && print.pageNumbers) {
        printer.setPrintRange(QPrinter::PageRange);
        if (print.fromPage >= print.minPage && print.fromPage <= print.toPage)
            printer.setFromTo(print.fromPage, print.toPage);
    } else if (print.range == 2 && print.selection) {
        printer.setPrintRange(QPrinter::Selection);
    }
    if (!runModal(dialog, request)) return DialogAnswer::cancelled();
    answer.printer = choiceOf(printer, print);
    return answer;
}

double pointsPer(QPageLayout::Unit unit) {
    switch (unit) {
    case QPageLayout::Millimeter: return 72.0 / 25.4;
    case QPageLayout::Inch: return 72.0;
    case QPageLayout::Pica: return 12.0;
    case QPageLayout::Didot: return 0.375 * 72.0 / 25.4;
    case QPageLayout::Cicero: return 4.5 * 72.0 / 25.4;
    case QPageLayout::Point: break;
    }
    return 1.0;
}

DialogAnswer runPageSetupDialog(DialogRequest& request) {
    const PageSetupRequest& page = request.page;
    const QPageLayout::Unit unit = page.millimeters ? QPageLayout::Millimeter : QPageLayout::Inch;
    QPrinter printer(QPrinter::HighResolution);
    if (page.haveMargins) printer.setPageMargins(page.margins, unit);
    QPageSetupDialog dialog(&printer, request.owner);
    // The dialog's own controls, by the names Qt gives them: it applies
    // them to printers of the system only, so they are read back here.
    auto* units = dialog.findChild<QComboBox*>(QStringLiteral("unitCombo"));
    if (units) {
        const int index = units->findData(QVariant::fromValue(unit));
        if (index >= 0) units->setCurrentIndex(index);
    }
    const auto disable = [&](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (auto* widget = dialog.findChild<QWidget*>(QLatin1String(name))) widget->setEnabled(false);
    };
    if (page.disableMargins) disable({"topMargin", "leftMargin", "rightMargin", "bottomMargin"});
    if (page.disableOrientation) disable({"portrait", "landscape", "reverseLandscape", "reversePortrait"});
    if (page.disablePaper) disable({"pageSizeCombo", "pageWidth", "pageHeight", "paperSource"});
    if (!runModal(dialog, request)) return DialogAnswer::cancelled();

    DialogAnswer answer = AcceptAsShown(request);
    PrinterChoice& choice = answer.printer;
    const QPageLayout layout = printer.pageLayout();
    QMarginsF margins = layout.margins(unit);
    auto* top = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("topMargin"));
    auto* left = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("leftMargin"));
    auto* right = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("rightMargin"));
    auto* bottom = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("bottomMargin"));
    if (units && top && left && right && bottom) {
        const double scale = pointsPer(units->currentData().value<QPageLayout::Unit>()) / pointsPer(unit);
        margins = QMarginsF(left->value(), top->value(), right->value(), bottom->value()) * scale;
    }
    choice.margins = margins;
    choice.orientation = layout.orientation() == QPageLayout::Landscape ? eoLandscape : eoPortrait;
    if (auto* landscape = dialog.findChild<QRadioButton*>(QStringLiteral("landscape")))
        if (auto* reversed = dialog.findChild<QRadioButton*>(QStringLiteral("reverseLandscape")))
            choice.orientation = landscape->isChecked() || reversed->isChecked() ? eoLandscape : eoPortrait;
    QPageSize size = layout.pageSize();
    if (auto* sizes = dialog.findChild<QComboBox*>(QStringLiteral("pageSizeCombo")))
        if (sizes->currentData().canConvert<QPageSize>()) size = sizes->currentData().value<QPageSize>();
    choice.paperSize = PaperNumber(size.id());
    choice.copies = printer.copyCount();
    choice.printQuality = printer.resolution();
    return answer;
}

} // namespace

void ApplyPrinterChoice(QPrinter& printer, const PrinterChoice& choice) {
    if (choice.printToFile) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(choice.port);
    } else if (QPrinterInfo::availablePrinterNames().contains(choice.name)) {
        printer.setOutputFileName(QString());
        printer.setPrinterName(choice.name);
    }
    printer.setCopyCount(qMax(1, choice.copies));
    printer.setCollateCopies(choice.collate);
    printer.setPageOrientation(choice.orientation == eoLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const QPageSize::PageSizeId size = PageSizeOfPaper(choice.paperSize);
    if (size != QPageSize::Custom) printer.setPageSize(QPageSize(size));
    printer.setPrintRange(choice.range == eprPageNumbers ? QPrinter::PageRange
                          : choice.range == eprSelection ? QPrinter::Selection
                                                         : QPrinter::AllPages);
    if (choice.range == eprPageNumbers && choice.fromPage >= 1 && choice.fromPage <= choice.toPage)
        printer.setFromTo(choice.fromPage, choice.toPage);
}

DialogAnswer RunQtDialog(DialogRequest& request) {
    // Windows can only be shown by a windowed program, on its own thread.
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return DialogAnswer::failed(kGeneralDialogFailure);
    switch (request.kind) {
    case DialogKind::OpenFile:
    case DialogKind::SaveFile:
    case DialogKind::Folder: return runFileDialog(request);
    case DialogKind::Color: return runColorDialog(request);
    case DialogKind::Font: return runFontDialog(request);
    case DialogKind::Print: return runPrintDialog(request);
    case DialogKind::PageSetup: return runPageSetupDialog(request);
    }
    return DialogAnswer::failed(kGeneralDialogFailure);
}

} // namespace Vezedad::Ui
