#include "TestSupport.h"
#include "TextRecorder.h"
#include "UiScript.h"
#include "grid/CZelFarpoint.h"
#include "grid/GridPreview.h"
#include "grid/GridPrinter.h"
#include "grid/PrintMarkup.h"
#include "grid/ReportGrid.h"
#include "grid/frmPrintPreview.h"
#include "modGlobals.h"

#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QHash>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <memory>

using namespace Dazozuvi;

namespace {

const QString kFonts = QStringLiteral(R"(/fn"Arial"/fz"14"/fb0/fi0/fk0/fu0/fs2)"
                                      R"(/fn"Arial"/fz"16"/fb0/fi0/fk0/fu0/fs3)"
                                      R"(/fn"Arial"/fz"20"/fb0/fi0/fk0/fu0/fs4)");
const QString kFooter = QStringLiteral(R"(/fn"Arial"/fz"12"/fb0/fi0/fk0/fu0/fs1)"
                                       "/f1/lPAGE /p of /pc/cDo Not Submit Printout to RUD RUR/r/date");

// Three columns under one upper header, rows "r<n>" in column 1.
void fill(ReportGrid& grid, int rows) {
    grid.setColumns({{QStringLiteral("EPA Reg Number"), 20, CellType::text()},
                     {QStringLiteral("Quantity"), 10, CellType::number(0, 99999999.99, 4)},
                     {QStringLiteral("Units"), 6, CellType::text()}});
    grid.setUpperHeaders({{1, 3, QStringLiteral("All Columns are REQUIRED")}});
    grid.setRowCount(rows);
    for (int r = 1; r <= rows; ++r) {
        grid.setText(1, r, QStringLiteral("r%1").arg(r));
        grid.setText(2, r, QStringLiteral("%1.5").arg(r));
    }
    grid.setPrintHeader(QStringLiteral("/lTOP LEFT/rPage /p of /pc"));
    grid.setPrintFooter(kFooter);
}

// The rows whose numbers a page shows in column 1 ("r<n>").
QList<int> rowsOn(const QStringList& texts) {
    QList<int> rows;
    static const QRegularExpression pattern(QStringLiteral("^r(\\d+)$"));
    for (const QString& t : texts) {
        const auto m = pattern.match(t);
        if (m.hasMatch()) rows << m.captured(1).toInt();
    }
    return rows;
}

// The filer's numbers a printout shows; "/" in a value prints as typed.
Vezedad::IdentityPtr filer() {
    Vezedad::IdentityPtr identity = Vezedad::Globals::ZelReport().Identity()->Clone();
    identity->setBusinessName(QStringLiteral("A/CO SUPPLY"));
    identity->setApplicatorName(QStringLiteral("JO/ANN"));
    identity->setCertificationId(QStringLiteral("C1234567"));
    identity->setBusRegNumber(QStringLiteral("12345"));
    identity->setSalesPermitNumber(QStringLiteral("R12345"));
    return identity;
}

// The page count a PDF's page tree gives.
int pdfPages(const QString& path) {
    const QByteArray pdf = TestSupport::readFile(path);
    if (!pdf.startsWith("%PDF")) return -1;
    const auto m = QRegularExpression(QStringLiteral("/Type /Pages\\s*/Kids\\s*\\[[^\\]]*\\]\\s*/Count (\\d+)"))
                       .match(QString::fromLatin1(pdf));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A Form 26 grid: fourteen columns under two upper headers.
void fillForm26(ReportGrid& grid, int rows) {
    QList<GridColumn> columns;
    for (const char* name :
         {"EPA Reg Number", "Product Name", "Quantity", "Units", "Apply Date", "End Date", "County", "Address",
          "Municipality", "Zip Code", "Dosage Rate", "Method of Appl.", "Target Organism(s)", "Place of Appl."})
        columns << GridColumn{QString::fromLatin1(name), 20, CellType::text()};
    grid.setColumns(columns);
    grid.setUpperHeaders(
        {{1, 10, QStringLiteral("All Columns are REQUIRED")}, {11, 14, QStringLiteral("Record Keeping Columns")}});
    grid.setRowCount(rows + 5);
    for (int r = 1; r <= rows; ++r) {
        grid.setText(1, r, QStringLiteral("r%1").arg(r));
        grid.setText(2, r, QStringLiteral("PRODUCT %1").arg(r));
    }
}

} // namespace

class tst_grid_print : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        Vezedad::Globals::ZelReport().setAllowPersistence(false);
        Vezedad::Globals::ZelReport().ChangeReportYear(2024);
    }

    void markupReadsAsText_data() {
        QTest::addColumn<QString>("markup");
        QTest::addColumn<QString>("text");
        QTest::newRow("footer") << kFooter << "PAGE 2 of 5|Do Not Submit Printout to RUD RUR|1/2/24";
        QTest::newRow("form 25 header")
            << kFonts + "/f2/lForm 25/f4/cACME SUPPLY/f2/rREPORTING YEAR 2024/n/n" +
                   "/f3/cANNUAL REPORT FOR RESTRICTED PESTICIDE SALES/n" +
                   "/f2/cCommercial Sales Permit Number: R12345/n/n"
            << "Form 25|ACME SUPPLY|REPORTING YEAR 2024\n||\n|ANNUAL REPORT FOR RESTRICTED PESTICIDE SALES|\n"
               "|Commercial Sales Permit Number: R12345|\n||";
        QTest::newRow("form 26 identity line, doubled slashes")
            << "/f3/cAPPLICATOR//TECHNICIAN PESTICIDE ANNUAL REPORT/n"
               "/f2/lCertification ID: C1/cApplicator//Technician: JO//ANN/rBusiness//Agency ID: 12345/n/n"
            << "|APPLICATOR/TECHNICIAN PESTICIDE ANNUAL REPORT|\n"
               "Certification ID: C1|Applicator/Technician: JO/ANN|Business/Agency ID: 12345\n||";
        QTest::newRow("partial report subtitle") << "/f3/cTITLE/n/n/f3/cEnd Use\tPARTIAL REPORT/n"
                                                 << "|TITLE|\n||\n|End Use\tPARTIAL REPORT|";
        QTest::newRow("form 26A: no identity line") << "/f3/cLIST OF APPLICATORS/n"
                                                    << "|LIST OF APPLICATORS|";
        QTest::newRow("text before any part is left") << "plain/cmiddle"
                                                      << "plain|middle|";
        QTest::newRow("unknown codes print as they stand") << "a/xb/qc/"
                                                           << "a/xb/qc/||";
        QTest::newRow("a part named twice gathers") << "/cA/rB/cC"
                                                    << "|AC|B";
        QTest::newRow("nothing") << ""
                                 << "";
    }

    void markupReadsAsText() {
        QFETCH(QString, markup);
        QFETCH(QString, text);
        QCOMPARE(markupText(parseMarkup(markup), MarkupFields{2, 5, QStringLiteral("1/2/24")}), text);
    }

    void markupFonts() {
        const QList<MarkupLine> lines =
            parseMarkup(kFonts + "/f2/lForm 25/f4/cACME/fb1/f4 BOLD?/fn\"Courier\"/fz\"8\"/fb1/fu1/r x/fs5/f2/f5y");
        QCOMPARE(lines.size(), 1);
        const auto& left = lines[0].part(MarkupPart::Left);
        QCOMPARE(left.first().font, (MarkupFont{"Arial", 14}));
        const auto& centre = lines[0].part(MarkupPart::Centre);
        QCOMPARE(centre.size(), 2);
        QCOMPARE(centre[0].font, (MarkupFont{"Arial", 20}));
        // A stored font comes back as stored: plain, though bold was set since.
        QCOMPARE(centre[1].text, QStringLiteral(" BOLD?"));
        QCOMPARE(centre[1].font, (MarkupFont{"Arial", 20}));
        const auto& right = lines[0].part(MarkupPart::Right);
        QCOMPARE(right[0].font, (MarkupFont{"Courier", 8, true, false, false, true}));
        QCOMPARE(right[1].text, QStringLiteral("y"));
        QCOMPARE(right[1].font, right[0].font);
        QCOMPARE(right[0].font.toFont().pointSizeF(), 8.0);
    }

    void headersOnEveryPage() {
        ReportGrid grid;
        fill(grid, 150);
        GridPrinter printer(grid);
        printer.setDate(QStringLiteral("6/1/2024"));
        TextRecorder device;
        QPainter painter(&device);
        const int pages = printer.print(painter, QRectF(100, 100, 2280, 3308), [&device] {
            device.newPage();
            return true;
        });
        painter.end();
        QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
        QCOMPARE(device.pages.size(), pages);
        QList<int> printed;
        for (int p = 0; p < pages; ++p) {
            const QString page = device.page(p);
            QVERIFY2(page.contains(QStringLiteral("TOP LEFT")), qPrintable(page.left(200)));
            QVERIFY(page.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages)));
            QVERIFY(page.contains(QStringLiteral("All Columns are REQUIRED")));
            QVERIFY(page.contains(QStringLiteral("EPA Reg Number")));
            QVERIFY(page.contains(QStringLiteral("Quantity")));
            QVERIFY(page.contains(QStringLiteral("PAGE %1 of %2").arg(p + 1).arg(pages)));
            QVERIFY(page.contains(QStringLiteral("Do Not Submit Printout to RUD RUR")));
            QVERIFY(page.contains(QStringLiteral("6/1/2024")));
            const QList<int> rows = rowsOn(device.pages[p]);
            QVERIFY(!rows.isEmpty());
            QCOMPARE(rows.first(), printer.pageRows(p).first);
            QCOMPARE(rows.last(), printer.pageRows(p).second);
            printed << rows;
        }
        // Every row once, in order.
        QCOMPARE(printed.size(), 150);
        for (int i = 0; i < printed.size(); ++i) QCOMPARE(printed[i], i + 1);
    }

    void printsOnlyTheBlock() {
        ReportGrid grid;
        fill(grid, 40);
        grid.setPrintRange(PrintRange::Block);
        grid.setPrintBlock(GridBlock{2, 10, 3, 12});
        GridPrinter printer(grid);
        TextRecorder device;
        QPainter painter(&device);
        QCOMPARE(printer.print(painter, QRectF(0, 0, 2480, 3508), {}), 1);
        const QString page = device.page(0);
        QVERIFY(!page.contains(QStringLiteral("EPA Reg Number")));
        QVERIFY(page.contains(QStringLiteral("Quantity")));
        // The upper header wraps within the two columns it keeps.
        QVERIFY(page.contains(QStringLiteral("REQUIRED")));
        QVERIFY(page.contains(QStringLiteral("10.5")) && page.contains(QStringLiteral("12.5")));
        QVERIFY(!page.contains(QStringLiteral("9.5")) && !page.contains(QStringLiteral("13.5")));
        QVERIFY(rowsOn(device.pages[0]).isEmpty());
    }

    void wideGridsScaleToThePage() {
        ReportGrid grid;
        QList<GridColumn> columns;
        for (int c = 0; c < 14; ++c)
            columns << GridColumn{QStringLiteral("Column %1").arg(c + 1), 30, CellType::text()};
        grid.setColumns(columns);
        grid.setRowCount(3);
        GridPrinter printer(grid);
        TextRecorder device;
        QCOMPARE(printer.layout(device, QRectF(0, 0, 2480, 3508)), 1);
        QVERIFY(printer.scale() < 1.0);
        QCOMPARE(printer.pageRows(0), qMakePair(1, 3));
    }

    void pdfHasEveryPage() {
        ReportGrid grid;
        fill(grid, 200);
        GridPrinter printer(grid);
        const QString dir = TestSupport::root() + QStringLiteral("/print");
        QDir().mkpath(dir);
        const QString path = dir + QStringLiteral("/grid.pdf");
        QVERIFY(printer.printToPdf(path));
        QVERIFY(printer.pageCount() > 1);
        const QByteArray pdf = TestSupport::readFile(path);
        QVERIFY(pdf.startsWith("%PDF"));
        const auto m = QRegularExpression(QStringLiteral("/Type /Pages\\s*/Kids\\s*\\[[^\\]]*\\]\\s*/Count (\\d+)"))
                           .match(QString::fromLatin1(pdf));
        QVERIFY2(m.hasMatch(), "no page tree");
        QCOMPARE(m.captured(1).toInt(), printer.pageCount());
    }

    void previewPagesAndZoom() {
        ReportGrid grid;
        fill(grid, 200);
        GridPrinter gridPrinter(grid);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        GridPreview preview(gridPrinter, printer);
        preview.resize(800, 600);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        preview.refresh();
        const int pages = gridPrinter.pageCount();
        QVERIFY(pages > 1);
        QCOMPARE(preview.pageCount(), pages);
        auto* label = preview.findChild<QLabel*>(QStringLiteral("lblPage"));
        QCOMPARE(label->text(), QStringLiteral("Page 1 of %1").arg(pages));
        QVERIFY(!preview.findChild<QToolButton*>(QStringLiteral("cmdPreviousPage"))->isEnabled());
        QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("cmdNextPage")), Qt::LeftButton);
        QCOMPARE(preview.currentPage(), 2);
        QCOMPARE(label->text(), QStringLiteral("Page 2 of %1").arg(pages));
        QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("cmdLastPage")), Qt::LeftButton);
        QCOMPARE(preview.currentPage(), pages);
        QVERIFY(!preview.findChild<QToolButton*>(QStringLiteral("cmdNextPage"))->isEnabled());
        QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("cmdFirstPage")), Qt::LeftButton);
        QCOMPARE(preview.currentPage(), 1);
        QPrintPreviewWidget* pagesView = preview.previewWidget();
        const qreal before = pagesView->zoomFactor();
        QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("cmdZoomIn")), Qt::LeftButton);
        QVERIFY(pagesView->zoomFactor() > before);
        QTest::mouseClick(preview.findChild<QToolButton*>(QStringLiteral("cmdFitWidth")), Qt::LeftButton);
        QCOMPARE(pagesView->zoomMode(), QPrintPreviewWidget::FitToWidth);
    }
    // The preview by keyboard: each Alt key presses one button, and Tab goes
    // along the tool bar in the order it is drawn.
    void previewByKeyboard() {
        ReportGrid grid;
        fill(grid, 3);
        std::unique_ptr<CZelFarpoint> controller = modGlobals::New_CZelFarpoint(8, grid);
        TestSupport::UiScript ui;
        ui.expectModal([](QDialog& d) {
            d.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&d));
            QHash<QKeySequence, QString> keys;
            for (QAbstractButton* button : d.findChildren<QAbstractButton*>()) {
                const QKeySequence key = QKeySequence::mnemonic(button->text());
                if (key.isEmpty()) continue;
                QVERIFY2(!keys.contains(key),
                         qPrintable(key.toString() + QStringLiteral(" is the key of ") + keys.value(key) +
                                    QStringLiteral(" and ") + button->objectName()));
                keys.insert(key, button->objectName());
            }
            auto* preview = d.findChild<GridPreview*>(QStringLiteral("fpSpreadPreview1"));
            QPrintPreviewWidget* pages = preview->previewWidget();
            // The pages open fitted to their width.
            QTest::keyClick(&d, Qt::Key_H, Qt::AltModifier);
            QTRY_COMPARE(pages->zoomMode(), QPrintPreviewWidget::FitInView);
            QTest::keyClick(&d, Qt::Key_W, Qt::AltModifier);
            QTRY_COMPARE(pages->zoomMode(), QPrintPreviewWidget::FitToWidth);

            QList<QToolButton*> bar;
            for (QWidget* stop : TestSupport::tabCycle(d, true))
                if (auto* button = qobject_cast<QToolButton*>(stop); button && !bar.contains(button)) bar << button;
            QVERIFY(bar.size() >= 4);
            for (qsizetype i = 1; i < bar.size(); ++i)
                QVERIFY2(bar[i - 1]->x() < bar[i]->x(),
                         qPrintable(bar[i - 1]->objectName() + QStringLiteral(" is reached before ") +
                                    bar[i]->objectName() + QStringLiteral(", drawn to its left")));
            d.close();
        });
        controller->PrintGrid(*filer(), QString());
    }

    // The page header of each form as it reads, with and without a sub-title,
    // and a selection's "PARTIAL REPORT"; the preview shows the data rows
    // only, and the grid gets its empty rows and print range back.
    void previewHeaderPerForm_data() {
        QTest::addColumn<int>("formType");
        QTest::addColumn<QString>("subtitle");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<QString>("header");
        const QString year = QStringLiteral("|A/CO SUPPLY|REPORTING YEAR 2024\n||\n");
        const QString permit = QStringLiteral("|Commercial Sales Permit Number: R12345|\n||");
        QTest::newRow("Form 25") << 8 << "" << false
                                 << "Form 25" + year + "|ANNUAL REPORT FOR RESTRICTED PESTICIDE SALES|\n" + permit;
        QTest::newRow("Form 25, sub-title")
            << 8 << "End Use" << false
            << "Form 25" + year + "|ANNUAL REPORT FOR RESTRICTED PESTICIDE SALES|\n" + permit + "\n||\n|End Use|";
        QTest::newRow("Form 26, selection")
            << 1 << "" << true
            << "Form 26" + year +
                   "|APPLICATOR/TECHNICIAN PESTICIDE ANNUAL REPORT|\n"
                   "Certification ID: C1234567|Applicator/Technician: JO/ANN|Business/Agency ID: 12345\n||\n||\n"
                   "|PARTIAL REPORT|";
        QTest::newRow("Form 27, selection with sub-title")
            << 4 << "A/B" << true
            << "Form 27" + year + "|ANNUAL REPORT FOR PESTICIDE SALES TO CERTIFIED PRIVATE APPLICATORS|\n" + permit +
                   "\n||\n|A/B\tPARTIAL REPORT|";
        QTest::newRow("Form 26A: no identity line")
            << 2 << "" << false << "Form 26A" + year + "|LIST OF COMMERCIAL APPLICATORS AND TECHNICIANS|";
    }

    void previewHeaderPerForm() {
        QFETCH(int, formType);
        QFETCH(QString, subtitle);
        QFETCH(bool, selection);
        QFETCH(QString, header);
        ReportGrid grid;
        fill(grid, 6);
        grid.setRowCount(20);
        grid.selectBlock(GridBlock{2, 2, 3, 4});
        std::unique_ptr<CZelFarpoint> controller = modGlobals::New_CZelFarpoint(formType, grid);
        const Vezedad::IdentityPtr identity = filer();
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& d) {
            QCOMPARE(d.objectName(), QStringLiteral("frmPrintPreview"));
            QCOMPARE(d.windowTitle(), QStringLiteral("ZOV Print Preview"));
            QCOMPARE(d.findChild<QPushButton*>(QStringLiteral("cmdPrint"))->text(), QStringLiteral("Print"));
            auto* preview = d.findChild<GridPreview*>(QStringLiteral("fpSpreadPreview1"));
            QVERIFY(preview);
            QCOMPARE(grid.rowCount(), 6);
            QCOMPARE(grid.printRange(), selection ? PrintRange::Block : PrintRange::Grid);
            if (selection) QCOMPARE(grid.printedCells(), (GridBlock{2, 2, 3, 4}));
            QCOMPARE(preview->pageCount(), 1);
            d.close();
        });
        if (selection)
            controller->PrintGridSelection(*identity, subtitle);
        else
            controller->PrintGrid(*identity, subtitle);
        QCOMPARE(markupText(parseMarkup(grid.printHeader())), header);
        QCOMPARE(markupText(parseMarkup(grid.printFooter()), MarkupFields{2, 5, QStringLiteral("1/2/24")}),
                 QStringLiteral("PAGE 2 of 5|Do Not Submit Printout to RUD RUR|1/2/24"));
        QCOMPARE(grid.rowCount(), 11);
        QCOMPARE(grid.printRange(), PrintRange::Grid);
    }

    // Print in the preview: the notice, then the print dialog, on the
    // preview's page, then every page where the user chose (a PDF file
    // here), each with the page header, both column header rows and the
    // footer.
    void printButtonPrintsEveryPage() {
        ReportGrid grid;
        fillForm26(grid, 120);
        std::unique_ptr<CZelFarpoint> controller = modGlobals::New_CZelFarpoint(1, grid);
        const Vezedad::IdentityPtr identity = filer();
        const QString dir = TestSupport::root() + QStringLiteral("/print");
        QDir().mkpath(dir);
        const QString path = dir + QStringLiteral("/form26.pdf");
        QFile::remove(path);
        int previewPages = 0;
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& d) {
            auto& preview = static_cast<frmPrintPreview&>(d);
            previewPages = preview.preview()->pageCount();
            QVERIFY(previewPages > 1);
            // The same pages, their texts recorded.
            GridPrinter printer(grid);
            TextRecorder device;
            QPainter painter(&device);
            const int pages = printer.print(painter, QRectF(0, 0, 3508, 2480), [&device] {
                device.newPage();
                return true;
            });
            painter.end();
            QVERIFY(pages > 1);
            for (int p = 0; p < pages; ++p) {
                const QString page = device.page(p);
                for (const QString& text :
                     {QStringLiteral("Form 26"), QStringLiteral("A/CO SUPPLY"), QStringLiteral("REPORTING YEAR 2024"),
                      QStringLiteral("APPLICATOR/TECHNICIAN PESTICIDE ANNUAL REPORT"),
                      QStringLiteral("Certification ID: C1234567"), QStringLiteral("All Columns are REQUIRED"),
                      QStringLiteral("Record Keeping Columns"), QStringLiteral("EPA Reg Number"),
                      QStringLiteral("Place of Appl."), QStringLiteral("Do Not Submit Printout to RUD RUR"),
                      QStringLiteral("PAGE %1 of %2").arg(p + 1).arg(pages)})
                    QVERIFY2(page.contains(text), qPrintable(QStringLiteral("page %1 lacks %2").arg(p + 1).arg(text)));
            }
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdPrint")), Qt::LeftButton);
        });
        ui.expectBox();
        ui.expectPrintToPdf(path);
        controller->PrintGrid(*identity, QString());
        QCOMPARE(ui.dialogs().value(0).print.orientation, 2);
        QCOMPARE(ui.boxes().value(0).prompt,
                 QStringLiteral("This printout is intended for your own records.\r\n"
                                "Please do not submit the printed copy as your ZOV report.\r\n"
                                "Send the original data file(s) themselves, either by upload or email.\r\n"
                                "Contact us if you need assistance."));
        QCOMPARE(ui.boxes().value(0).buttons, 0);
        QCOMPARE(pdfPages(path), previewPages);
        QCOMPARE(grid.rowCount(), 125);
    }

    // Cancel in the print dialog prints nothing and leaves the preview open,
    // to print from again.
    void cancelledPrintKeepsThePreviewOpen() {
        ReportGrid grid;
        fill(grid, 3);
        std::unique_ptr<CZelFarpoint> controller = modGlobals::New_CZelFarpoint(8, grid);
        const QString path = TestSupport::root() + QStringLiteral("/again.pdf");
        QFile::remove(path);
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& d) {
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdPrint")), Qt::LeftButton);
            QVERIFY(d.isVisible());
            QCOMPARE(ui.dialogs().size(), 1);
            QVERIFY(!QFile::exists(path));
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdPrint")), Qt::LeftButton);
            QVERIFY(!d.isVisible());
        });
        ui.expectBox(); // the notice
        ui.expectDialogCancel();
        ui.expectBox(); // the notice again
        ui.expectPrintToPdf(path);
        controller->PrintGrid(*filer(), QString());
        QCOMPARE(ui.boxes().size(), 2);
        QVERIFY(QFile::exists(path));
        QCOMPARE(grid.rowCount(), 8);
    }

    // Qt's own print dialog offers a PDF file whether or not a printer is
    // installed: the file named there gets the preview's pages, on the
    // preview's landscape page.
    void printThroughTheRealDialog() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty()) QSKIP("this machine has a printer installed");
        ReportGrid grid;
        fillForm26(grid, 60);
        std::unique_ptr<CZelFarpoint> controller = modGlobals::New_CZelFarpoint(1, grid);
        const QString path = TestSupport::root() + QStringLiteral("/chosen.pdf");
        QFile::remove(path);
        int previewPages = 0;
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog& d) {
            previewPages = static_cast<frmPrintPreview&>(d).preview()->pageCount();
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdPrint")), Qt::LeftButton);
        });
        ui.expectBox();
        ui.expectRealDialog([&](QDialog& dialog) {
            QVERIFY(qobject_cast<QPrintDialog*>(&dialog));
            auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
            QVERIFY(file && file->isEnabled());
            file->setText(path);
            auto* buttons = dialog.findChild<QDialogButtonBox*>();
            QVERIFY(buttons);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        controller->PrintGrid(*filer(), QString());
        QVERIFY(previewPages > 1);
        QCOMPARE(pdfPages(path), previewPages);
    }

    void failedPrintKeepsThePreviewOpen() {
        ReportGrid grid;
        fill(grid, 3);
        std::unique_ptr<CZelFarpoint> controller = modGlobals::New_CZelFarpoint(8, grid);
        TestSupport::UiScript ui;
        ui.expectModal([](QDialog& d) {
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdPrint")), Qt::LeftButton);
            QVERIFY(d.isVisible());
            d.close();
        });
        ui.expectBox(); // the notice
        ui.expectPrintToPdf(TestSupport::root() + QStringLiteral("/no such folder/x.pdf"));
        ui.expectBox(); // the failure
        controller->PrintGrid(*filer(), QString());
        const QStringList lines = ui.boxes().value(1).prompt.split(u'\n');
        QVERIFY2(lines.value(0).startsWith(QStringLiteral("Error 482: ")), qPrintable(lines.value(0)));
        QCOMPARE(lines.value(1), QStringLiteral("In procedure cmdPrint_Click of Form frmPrintPreview"));
        QCOMPARE(grid.rowCount(), 8);
    }
};

QTEST_MAIN(tst_grid_print)
#include "tst_grid_print.moc"
