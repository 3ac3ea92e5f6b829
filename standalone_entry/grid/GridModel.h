#pragma once
#include "grid/GridTypes.h"
#include "grid/PackedRows.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QHash>
#include <QRect>
#include <QVarLengthArray>

namespace Dazozuvi {

// The report grid's cells as a Qt table model, counted from 0 like every Qt
// model. It keeps each text exactly as it was loaded, pasted or typed and one
// check colour per cell, and it holds the column definitions (names, widths,
// types, upper headers) that the view, the editors and the printer share.
//
// Changes made between beginBulkUpdate and endBulkUpdate reach the view as
// one dataChanged over the changed cells, and rows added at the end as one
// rowsInserted, however many cells were written: loads, pastes and whole-grid
// checks stay fast.
class GridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit GridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

    // Columns. New columns are text columns 10 characters wide, named by
    // letter (A, B, ...).
    void setColumnCount(int columns);
    const GridColumn& column(int col) const { return m_columns[col]; }
    void setColumn(int col, const GridColumn& definition);
    const QList<UpperHeader>& upperHeaders() const { return m_upperHeaders; }
    // Spans are 1-based, as the forms give them.
    void setUpperHeaders(const QList<UpperHeader>& headers);
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // The grid's rows, including rows added during a bulk update that the
    // view has not been told of yet.
    int rows() const { return m_store.rowCount(); }
    void setRows(int rows);
    void insertRowsAt(int row, int count);
    void removeRowsAt(int row, int count);

    QString text(int row, int col, qsizetype maxLength = -1) const { return m_store.text(row, col, maxLength); }
    bool hasText(int row, int col) const { return m_store.hasText(row, col); }
    // Every cell of a row as views into buffer, for passes over many rows
    // (checks, writing files); see PackedRows::rowCells.
    void rowCells(int row, QString& buffer, QVarLengthArray<QStringView, 32>& cells) const {
        cells.resize(m_store.columnCount());
        m_store.rowCells(row, buffer, cells.data());
    }
    void setText(int row, int col, QStringView text);
    // Writes cells firstCol .. firstCol + count - 1 of a row in one step.
    void setCells(int row, int firstCol, const QStringView* cells, qsizetype count);
    void setCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count);
    // The same for texts of ASCII bytes, which go in upper-cased.
    void setUpperAsciiCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count);
    // Room for this many rows without moving the row tables (see
    // PackedRows::reserveRows); the row count stays.
    void reserveRows(int rows) { m_store.reserveRows(rows); }
    // Writes the fields of a delimited line into a row from firstCol on, each
    // with the blanks at its ends removed and upper-cased, as records are
    // loaded from a report file; fields beyond the last column are dropped.
    // Returns the number of fields in the line. No string is made per field.
    int setRowFields(int row, int firstCol, QStringView line, QStringView separator);
    // The same for a line of ASCII bytes (below 0x80) and a separator that is
    // no letter; the line is upper-cased in place.
    int setRowFieldsAscii(int row, int firstCol, char* line, qsizetype size, char separator);
    quint32 colour(int row, int col) const { return m_store.colour(row, col); }
    void setColour(int row, int col, quint32 bgr);
    // The colours of a row's first count cells in one step; a cell given
    // PackedRows::KeepColour keeps its colour.
    void setRowColours(int row, const quint32* bgr, int count);

    // Rows to .. to + count - 1 become copies of rows from ..; the grid grows
    // to hold them.
    void copyRows(int from, int count, int to);
    // Removes the texts and colours of rows row .. row + count - 1; the rows
    // below move up and empty rows fill the end, so the row count stays.
    void deleteRowsKeepingCount(int row, int count);
    // Empties the texts of a block; colours stay.
    void clearBlock(int row1, int col1, int row2, int col2);

    int lastDataRow() const { return m_store.lastDataRow(); }
    int lastDataColumn() const { return m_store.lastDataColumn(); }
    const PackedRows& store() const { return m_store; }

    // Runs change, a command that may add rows at the end and then changes
    // the grid in one step, inside a bulk update; when that step fails, the
    // rows added go again. Every step of the row store either is made whole
    // or leaves the rows as they were, so the grid is then as it was: a
    // command that fails when memory runs out changes nothing.
    template <class Change> void growing(Change&& change) {
        BulkUpdate bulk(*this);
        const int before = rows();
        try {
            change();
        } catch (...) {
            dropRowsFrom(before);
            throw;
        }
    }

    // Nesting is allowed; the signals go out when the outermost one ends.
    void beginBulkUpdate();
    void endBulkUpdate();
    bool inBulkUpdate() const { return m_bulkDepth > 0; }

    class BulkUpdate {
    public:
        explicit BulkUpdate(GridModel& model) : m_model(model) { m_model.beginBulkUpdate(); }
        ~BulkUpdate() { m_model.endBulkUpdate(); }
        BulkUpdate(const BulkUpdate&) = delete;
        BulkUpdate& operator=(const BulkUpdate&) = delete;

    private:
        GridModel& m_model;
    };

private:
    void changed(int row1, int col1, int row2, int col2);
    // Takes away the rows from row on when they were added during a bulk
    // update and not shown yet (see growing).
    void dropRowsFrom(int row);
    void flushPendingRows();
    const QBrush& brushFor(quint32 bgr) const;

    PackedRows m_store;
    QList<GridColumn> m_columns;
    QList<UpperHeader> m_upperHeaders;
    bool m_readOnly = false;
    int m_shownRows = 0; // the rows the view knows of
    int m_bulkDepth = 0;
    QRect m_dirty; // columns as x, rows as y
    bool m_bulkStructureChanged = false;
    mutable QHash<quint32, QBrush> m_brushes;
    void releaseLargeScratch();
    int setUpperAsciiFields(int row, int firstCol, const uchar* bytes, qsizetype size, uchar bar);
    QString m_fieldScratch;
    QByteArray m_byteScratch;
};

// 0x00BBGGRR to a colour and back.
QColor colourFromBgr(quint32 bgr);
quint32 bgrFromColour(const QColor& colour);

} // namespace Dazozuvi
