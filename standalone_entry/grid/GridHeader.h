#pragma once
#include <QHeaderView>

namespace Dazozuvi {

class GridModel;

// The column header of the report grid: one row of column names, or two when
// the model has upper headers, each spanning its run of columns.
class GridHeader : public QHeaderView {
    Q_OBJECT

public:
    explicit GridHeader(QWidget* parent = nullptr);

    bool hasUpperRow() const;
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    const GridModel* gridModel() const;
    QRect upperTextRect(int logicalIndex, const QRect& section, const QRect& upper) const;
};

} // namespace Dazozuvi
