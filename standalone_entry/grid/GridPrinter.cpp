#include "grid/GridPrinter.h"

#include "grid/GridModel.h"
#include "grid/ReportGrid.h"

#include "Vezedad/foundation/ErrorInfo.h"

#include <QDate>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace Dazozuvi {

namespace {

const QColor kHeaderFill(232, 232, 232);

QString runText(const MarkupRun& run, const MarkupFields& fields) {
    QString text;
    switch (run.field) {
    case MarkupRun::Text: text = run.text; break;
    case MarkupRun::PageNumber: text = QString::number(fields.page); break;
    case MarkupRun::PageCount: text = QString::number(fields.pageCount); break;
    case MarkupRun::Date: text = fields.date; break;
    }
    return text.replace(u'\t', QStringLiteral("    "));
}

double lineHeight(const MarkupLine& line, const QPaintDevice& device, double* ascent = nullptr) {
    double height = 0;
    double up = 0;
    for (const auto& part : line.parts) {
        for (const MarkupRun& run : part) {
            const QFontMetricsF fm(run.font.toFont(), &device);
            height = std::max(height, fm.height());
            up = std::max(up, fm.ascent());
        }
    }
    if (height == 0) {
        const QFontMetricsF fm(line.font.toFont(), &device);
        height = fm.height();
        up = fm.ascent();
    }
    if (ascent) *ascent = up;
    return height;
}

} // namespace

GridPrinter::GridPrinter(const ReportGrid& grid)
    : m_model(grid.gridModel()), m_cells(grid.printedCells()), m_header(parseMarkup(grid.printHeader())),
      m_footer(parseMarkup(grid.printFooter())), m_upperHeaders(grid.gridModel().upperHeaders()),
      m_date(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)),
      m_font(QStringLiteral("Arial"), 9) {
    for (int c = m_cells.col1; c <= m_cells.col2; ++c) {
        const GridColumn& column = m_model.column(c - 1);
        m_columns.append(Column{column.header, 0, column.type.kind == CellType::Number});
        m_widthsChars.append(column.widthChars);
    }
}

double GridPrinter::blockHeight(const QList<MarkupLine>& lines, const QPaintDevice& device) const {
    double height = 0;
    for (const MarkupLine& line : lines) height += lineHeight(line, device);
    return height;
}

int GridPrinter::layout(const QPaintDevice& device, const QRectF& pageArea) {
    m_area = pageArea;
    const QFontMetricsF fm(m_font, &device);
    QFont bold = m_font;
    bold.setBold(true);
    const QFontMetricsF boldMetrics(bold, &device);
    const double charWidth = fm.horizontalAdvance(QLatin1Char('0'));
    m_padding = charWidth * 0.4;
    m_rowHeight = fm.height() * 1.35;
    m_lineWidth = std::max(1.0, device.logicalDpiX() / 144.0);
    m_numberWidth = double(QString::number(std::max(m_cells.row2, 1)).size()) * charWidth + 2 * m_padding;

    // The column names wrap within their columns; the tallest sets the row.
    double natural = m_numberWidth;
    int nameLines = 1;
    for (int i = 0; i < m_columns.size(); ++i) {
        Column& column = m_columns[i];
        column.width = m_widthsChars[i] * charWidth + 2 * m_padding;
        natural += column.width;
        const QRectF box = boldMetrics.boundingRect(QRectF(0, 0, std::max(1.0, column.width - 2 * m_padding), 1e9),
                                                    Qt::TextWordWrap, column.header);
        nameLines = std::max(nameLines, int(std::ceil(box.height() / boldMetrics.lineSpacing() - 0.01)));
    }
    m_headerRowHeight = nameLines * boldMetrics.lineSpacing() + fm.height() * 0.35;
    // Upper headers wrap within the printed part of their span.
    int upperLines = 0;
    for (const UpperHeader& upper : m_upperHeaders) {
        const int first = std::max(upper.firstColumn, m_cells.col1) - m_cells.col1;
        const int last = std::min(upper.lastColumn, m_cells.col2) - m_cells.col1;
        if (first > last) continue;
        double width = -2 * m_padding;
        for (int i = first; i <= last; ++i) width += m_columns[i].width;
        const QRectF box =
            boldMetrics.boundingRect(QRectF(0, 0, std::max(1.0, width), 1e9), Qt::TextWordWrap, upper.text);
        upperLines = std::max(upperLines, int(std::ceil(box.height() / boldMetrics.lineSpacing() - 0.01)));
    }
    m_upperHeight = upperLines > 0 ? upperLines * boldMetrics.lineSpacing() + fm.height() * 0.35 : 0;
    m_scale = natural > pageArea.width() ? pageArea.width() / natural : 1.0;

    m_headerHeight = blockHeight(m_header, device);
    m_footerHeight = blockHeight(m_footer, device);
    m_gap = fm.height() * 0.6;
    double space = pageArea.height() - m_headerHeight - m_footerHeight;
    if (!m_header.isEmpty()) space -= m_gap;
    if (!m_footer.isEmpty()) space -= m_gap;
    const double rowsSpace = space / m_scale - m_upperHeight - m_headerRowHeight;
    const int perPage = std::max(1, int(std::floor(rowsSpace / m_rowHeight)));

    m_pages.clear();
    const int rows = m_cells.rowCount();
    if (rows == 0) m_pages.append({m_cells.row1, m_cells.row1 - 1});
    for (int first = m_cells.row1; first <= m_cells.row2; first += perPage)
        m_pages.append({first, std::min(first + perPage - 1, m_cells.row2)});
    return int(m_pages.size());
}

void GridPrinter::paintLines(QPainter& painter, const QList<MarkupLine>& lines, double top, int page) const {
    const MarkupFields fields{page + 1, pageCount(), m_date};
    const QPaintDevice& device = *painter.device();
    double y = top;
    for (const MarkupLine& line : lines) {
        double ascent = 0;
        const double height = lineHeight(line, device, &ascent);
        for (int p = 0; p < 3; ++p) {
            const QList<MarkupRun>& runs = line.parts[std::size_t(p)];
            if (runs.isEmpty()) continue;
            double width = 0;
            for (const MarkupRun& run : runs)
                width += QFontMetricsF(run.font.toFont(), &device).horizontalAdvance(runText(run, fields));
            double x = p == 0 ? m_area.left() : p == 1 ? m_area.center().x() - width / 2 : m_area.right() - width;
            for (const MarkupRun& run : runs) {
                const QFont font = run.font.toFont();
                const QString text = runText(run, fields);
                painter.setFont(font);
                painter.drawText(QPointF(x, y + ascent), text);
                x += QFontMetricsF(font, &device).horizontalAdvance(text);
            }
        }
        y += height;
    }
}

void GridPrinter::paintGrid(QPainter& painter, int page) const {
    const auto [firstRow, lastRow] = m_pages.value(page);
    const double top = m_area.top() + m_headerHeight + (m_header.isEmpty() ? 0 : m_gap);
    painter.save();
    painter.translate(m_area.left(), top);
    painter.scale(m_scale, m_scale);
    painter.setPen(QPen(Qt::black, m_lineWidth / m_scale));
    QFont bold = m_font;
    bold.setBold(true);

    QList<double> left; // each printed column's left edge
    double x = m_numberWidth;
    for (const Column& column : m_columns) {
        left.append(x);
        x += column.width;
    }
    const double right = x;
    const double bandsHeight = m_upperHeight + m_headerRowHeight;

    // Header bands: the corner, the upper headers, the column names.
    painter.fillRect(QRectF(0, 0, right, bandsHeight), kHeaderFill);
    painter.drawRect(QRectF(0, 0, m_numberWidth, bandsHeight));
    painter.setFont(bold);
    if (m_upperHeight > 0) {
        for (int i = 0; i < m_columns.size(); ++i)
            painter.drawRect(QRectF(left[i], 0, m_columns[i].width, m_upperHeight));
        for (const UpperHeader& upper : m_upperHeaders) {
            const int first = std::max(upper.firstColumn, m_cells.col1) - m_cells.col1;
            const int last = std::min(upper.lastColumn, m_cells.col2) - m_cells.col1;
            if (first > last) continue;
            const QRectF span(left[first], 0, left[last] + m_columns[last].width - left[first], m_upperHeight);
            painter.fillRect(span, kHeaderFill);
            painter.drawRect(span);
            painter.drawText(span.adjusted(m_padding, 0, -m_padding, 0), Qt::AlignCenter | Qt::TextWordWrap,
                             upper.text);
        }
    }
    for (int i = 0; i < m_columns.size(); ++i) {
        const QRectF cell(left[i], m_upperHeight, m_columns[i].width, m_headerRowHeight);
        painter.drawRect(cell);
        painter.drawText(cell.adjusted(m_padding, 0, -m_padding, 0), Qt::AlignCenter | Qt::TextWordWrap,
                         m_columns[i].header);
    }

    // The rows.
    painter.setFont(m_font);
    const QFontMetricsF fm(m_font, painter.device());
    double y = bandsHeight;
    for (int row = firstRow; row <= lastRow; ++row) {
        const QRectF number(0, y, m_numberWidth, m_rowHeight);
        painter.drawRect(number);
        painter.drawText(number.adjusted(m_padding, 0, -m_padding, 0), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(row));
        for (int i = 0; i < m_columns.size(); ++i) {
            const QRectF cell(left[i], y, m_columns[i].width, m_rowHeight);
            painter.drawRect(cell);
            const QString text = m_model.text(row - 1, m_cells.col1 - 1 + i);
            if (text.isEmpty()) continue;
            const Qt::Alignment align = (m_columns[i].alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
            painter.drawText(cell.adjusted(m_padding, 0, -m_padding, 0), int(align) | Qt::TextSingleLine,
                             fm.elidedText(text, Qt::ElideRight, cell.width() - 2 * m_padding));
        }
        y += m_rowHeight;
    }
    painter.restore();
}

void GridPrinter::paintPage(QPainter& painter, int page) const {
    if (page < 0 || page >= pageCount()) return;
    painter.save();
    painter.setPen(Qt::black);
    paintLines(painter, m_header, m_area.top(), page);
    paintGrid(painter, page);
    painter.setPen(Qt::black);
    paintLines(painter, m_footer, m_area.bottom() - m_footerHeight, page);
    painter.restore();
}

int GridPrinter::print(QPainter& painter, const QRectF& pageArea, const std::function<bool()>& newPage) {
    layout(*painter.device(), pageArea);
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && newPage && !newPage()) return page;
        paintPage(painter, page);
    }
    return pageCount();
}

int GridPrinter::print(QPrinter& printer) {
    QPainter painter;
    if (!painter.begin(&printer))
        Vezedad::raiseRuntimeError(Vezedad::rtPrinterError, QStringLiteral("Dazozuvi::GridPrinter.print"),
                                   QStringLiteral("the printer could not be started."));
    layout(printer, QRectF(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size()));
    int first = 0;
    int last = pageCount() - 1;
    if (printer.fromPage() > 0) first = std::clamp(printer.fromPage() - 1, 0, last);
    if (printer.toPage() > 0) last = std::clamp(printer.toPage() - 1, first, last);
    for (int page = first; page <= last; ++page) {
        if (page > first) printer.newPage();
        paintPage(painter, page);
    }
    painter.end();
    return last - first + 1;
}

bool GridPrinter::printToPdf(const QString& path) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    print(printer);
    return QFileInfo(path).size() > 0;
}

} // namespace Dazozuvi
