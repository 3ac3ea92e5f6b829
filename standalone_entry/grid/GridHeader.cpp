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
    // section, so a text centred over several columns shows whole.
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = upper;
    option.section = logicalIndex;
    option.textAlignment = Qt::AlignCenter;
    option.position = QStyleOptionHeader::Middle;
    const int column = logicalIndex + 1;
    for (const UpperHeader& header : gridModel()->upperHeaders()) {
        if (column < header.firstColumn || column > header.lastColumn) continue;
        const int first = header.firstColumn - 1;
        const int last = std::min(header.lastColumn, count()) - 1;
        const int left = rect.left() - (sectionViewportPosition(logicalIndex) - sectionViewportPosition(first));
        const int right =
            rect.left() + (sectionViewportPosition(last) + sectionSize(last)) - sectionViewportPosition(logicalIndex);
        option.rect = QRect(left, upper.top(), right - left, upper.height());
        option.text = header.text;
        break;
    }
    painter->save();
    painter->setClipRect(upper);
    style()->drawControl(QStyle::CE_Header, &option, painter, this);
    painter->restore();
}

} // namespace Dazozuvi
