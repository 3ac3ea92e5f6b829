#pragma once
#include "grid/GridTypes.h"
#include "grid/PrintMarkup.h"

#include <QFont>
#include <QList>
#include <QRectF>

#include <functional>

class QPainter;
class QPaintDevice;
class QPrinter;

namespace Dazozuvi {

class GridModel;
class ReportGrid;

// Lays a report grid out on pages and paints them: the page header mark-up at
// the top, the footer at the bottom, and between them the printed cells with
// their column headers (both header rows, when the grid has two) repeated on
// every page. Columns too wide for the page are scaled down to fit its width;
// each page then holds as many whole rows as fit.
//
// The printer takes the grid's print settings (range, block, header, footer)
// when it is made and reads the cells when it paints, so the grid must
// outlive it.
class GridPrinter {
public:
    explicit GridPrinter(const ReportGrid& grid);

    // Today's date in the system's short form, unless set.
    void setDate(const QString& date) { m_date = date; }
    QString date() const { return m_date; }
    const QList<MarkupLine>& header() const { return m_header; }
    const QList<MarkupLine>& footer() const { return m_footer; }
    GridBlock cells() const { return m_cells; }

    // Lays the pages out for a page area (in the device's pixels) and returns
    // how many pages there are; a printout without rows has one page.
    int layout(const QPaintDevice& device, const QRectF& pageArea);
    int pageCount() const { return int(m_pages.size()); }
    // The first and last grid row of a page (0-based page index); a page
    // without rows has last below first.
    QPair<int, int> pageRows(int page) const { return m_pages.value(page); }
    double scale() const { return m_scale; }

    // Paints one page (0-based) of the last layout.
    void paintPage(QPainter& painter, int page) const;

    // Prints the printer's page range (every page when it has none); returns
    // the number of pages printed. A printer that cannot start raises an
    // error.
    int print(QPrinter& printer);
    // Prints every page through a painter that is already active on a device;
    // newPage is asked for before each page but the first.
    int print(QPainter& painter, const QRectF& pageArea, const std::function<bool()>& newPage);
    // Prints to a PDF file; false when the file could not be written.
    bool printToPdf(const QString& path);

private:
    struct Column {
        QString header;
        double width = 0; // in unscaled device pixels
        bool alignRight = false;
    };

    double blockHeight(const QList<MarkupLine>& lines, const QPaintDevice& device) const;
    void paintLines(QPainter& painter, const QList<MarkupLine>& lines, double top, int page) const;
    void paintGrid(QPainter& painter, int page) const;

    const GridModel& m_model;
    GridBlock m_cells;
    QList<MarkupLine> m_header;
    QList<MarkupLine> m_footer;
    QList<UpperHeader> m_upperHeaders;
    QList<Column> m_columns; // the printed columns
    QList<double> m_widthsChars;
    QString m_date;
    QFont m_font;

    // Layout
    QRectF m_area;
    QList<QPair<int, int>> m_pages;
    double m_scale = 1;
    double m_rowHeight = 0;
    double m_upperHeight = 0;
    double m_headerRowHeight = 0;
    double m_numberWidth = 0;
    double m_padding = 0;
    double m_headerHeight = 0;
    double m_footerHeight = 0;
    double m_gap = 0;
    double m_lineWidth = 1;
};

} // namespace Dazozuvi
