#include "TestSupport.h"
#include "TextRecorder.h"
#include "grid/GridPreview.h"
#include "grid/GridPrinter.h"
#include "grid/PrintMarkup.h"
#include "grid/ReportGrid.h"

#include <QDir>
#include <QLabel>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
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

} // namespace

class tst_grid_print : public QObject {
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(tst_grid_print)
#include "tst_grid_print.moc"
