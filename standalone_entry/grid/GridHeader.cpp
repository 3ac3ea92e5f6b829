#include "grid/GridHeader.h"

#include "grid/GridModel.h"

#include <QPainter>
#include <QStyleOptionHeader>

namespace Dazozuvi {

GridHeader::GridHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(true);
    setDefaultAlignment(Qt::AlignCenter);
}

QRect GridHeader::upperTextRect(int logicalIndex, const QRect& section, const QRect& upper) const {
    const int column = logicalIndex + 1;
    for (const UpperHeader& header : gridModel()->upperHeaders()) {
        if (column < header.firstColumn || column > header.lastColumn) continue;
        const int first = header.firstColumn - 1;
        const int last = std::min(header.lastColumn, count()) - 1;
        // The span in the viewport's coordinates, cut to the part in view,
        // then moved into the section's.
        const int spanLeft = sectionViewportPosition(first);
        const int spanRight = sectionViewportPosition(last) + sectionSize(last);
        const int inViewLeft = std::max(spanLeft, 0);
        const int inViewRight = std::min(spanRight, viewport()->width());
        const int shift = section.left() - sectionViewportPosition(logicalIndex);
        return QRect(inViewLeft + shift, upper.top(), std::max(inViewRight - inViewLeft, 0), upper.height());
    }
    return upper;
}

const GridModel* GridHeader::gridModel() const { return qobject_cast<const GridModel*>(model()); }

bool GridHeader::hasUpperRow() const {
    const GridModel* m = gridModel();
    return m && !m->upperHeaders().isEmpty();
}

QSize GridHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (hasUpperRow()) size.setHeight(size.height() * 2);
    return size;
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!hasUpperRow()) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    const int half = rect.height() / 2;
    const QRect upper(rect.left(), rect.top(), rect.width(), half);
    const QRect lower(rect.left(), rect.top() + half, rect.width(), rect.height() - half);
    QHeaderView::paintSection(painter, lower, logicalIndex);

    // The upper cell is painted over its whole span and clipped to this
    // section. Its text is centred on the part of the span in view, so it
    // shows whole however far the grid is scrolled and however wide the
    // window is, as long as that part holds it.
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = upper;
    option.section = logicalIndex;
    option.position = QStyleOptionHeader::Middle;
    QRect label = upper;
    QString text;
    const int column = logicalIndex + 1;
    for (const UpperHeader& header : gridModel()->upperHeaders()) {
        if (column < header.firstColumn || column > header.lastColumn) continue;
        const int first = header.firstColumn - 1;
        const int last = std::min(header.lastColumn, count()) - 1;
        const int left = rect.left() - (sectionViewportPosition(logicalIndex) - sectionViewportPosition(first));
        const int right =
            rect.left() + (sectionViewportPosition(last) + sectionSize(last)) - sectionViewportPosition(logicalIndex);
        option.rect = QRect(left, upper.top(), right - left, upper.height());
        label = upperTextRect(logicalIndex, rect, upper);
        text = header.text;
        break;
    }
    painter->save();
    painter->setClipRect(upper);
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    if (!text.isEmpty()) {
        QStyleOptionHeader caption = option;
        caption.rect = label;
        caption.text = text;
        caption.textAlignment = fontMetrics().horizontalAdvance(text) <= label.width() - 8
                                    ? Qt::AlignCenter
                                    : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
        style()->drawControl(QStyle::CE_HeaderLabel, &caption, painter, this);
    }
    painter->restore();
}

} // namespace Dazozuvi
