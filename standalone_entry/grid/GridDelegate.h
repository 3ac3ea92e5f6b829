#pragma once
#include <QStyledItemDelegate>

class QLineEdit;

namespace Dazozuvi {

class ReportGrid;

// Paints the report grid's cells (check colour, selection, tick boxes, the
// active cell's frame) and makes the cell editors for the column types. The
// editors' navigation keys and focus loss go to the grid, which decides what
// ending an edit means; the delegate never writes to the model itself.
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit GridDelegate(ReportGrid& grid);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // The text an editor holds now.
    static QString editorText(const QWidget* editor);
    // Where an editor's text is typed: the editor, or a list's line edit.
    static QLineEdit* lineEdit(QWidget* editor);

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    ReportGrid& m_grid;
};

} // namespace Dazozuvi
