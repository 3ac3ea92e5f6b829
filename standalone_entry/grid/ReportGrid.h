#pragma once
#include "grid/GridModel.h"
#include "grid/GridTypes.h"

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

namespace Dazozuvi {

class GridDelegate;
class GridHeader;

// The spreadsheet grid of a report form. Rows and columns are numbered from 1
// in every call and event; row 0 is the column header and column 0 the row
// header.
//
// Events are signals whose reference parameters are answers: connect them
// directly (the default within one thread). The grid raises the editing and
// moving events for what the user does. Calls from the program (setting the
// active cell, texts, colours, rows) raise none of them, with two exceptions:
// startEdit raises editStarting and editMode as F2 does, and an edit that
// ends by any means raises editMode with mode 0.
//
// The grid has no clipboard or delete keys of its own: the form's key table,
// answering keyDown, calls clipboardCopy, clipboardCut, clipboardPaste and
// clearBlock, so no key acts twice. While a cell is being edited, keys go to
// the cell's editor (Ctrl+V pastes text into the cell, Delete deletes a
// character) and keyDown and keyPress are not raised.
//
// The cell editor refuses "|", TAB, CR, LF and characters Windows-1252 cannot
// hold: they are dropped and the reason shows in a tool tip at the cell.
// inputRefused carries the reason too; it is raised while the editor takes
// the typing, so its handlers must not open modal windows.
class ReportGrid : public QTableView {
    Q_OBJECT

public:
    explicit ReportGrid(QWidget* parent = nullptr);
    ~ReportGrid() override;

    GridModel& gridModel() { return *m_model; }
    const GridModel& gridModel() const { return *m_model; }

    // Columns and headers.
    int columnCount() const { return m_model->columnCount(); }
    void setColumnCount(int columns);
    GridColumn column(int col) const;
    void setColumn(int col, const GridColumn& definition);
    void setColumns(const QList<GridColumn>& columns);
    void setUpperHeaders(const QList<UpperHeader>& headers);
    bool rowHeadersVisible() const;
    void setRowHeadersVisible(bool visible);
    bool isReadOnly() const { return m_model->isReadOnly(); }
    void setReadOnly(bool readOnly);
    // The pixel width of a column of so many characters in the grid's font.
    int widthForCharacters(double characters) const;

    // Rows and cells.
    int rowCount() const { return m_model->rows(); }
    void setRowCount(int rows);
    int lastDataRow() const { return m_model->lastDataRow() + 1; }
    int lastDataColumn() const { return m_model->lastDataColumn() + 1; }
    QString text(int col, int row) const;
    void setText(int col, int row, const QString& text);
    // Writes texts into a row from column firstCol on; extra texts are dropped.
    void setRowTexts(int row, int firstCol, const QList<QStringView>& texts);
    // Writes a delimited line's fields into a row from column firstCol on,
    // each trimmed of blanks and upper-cased (see GridModel::setRowFields);
    // returns the line's number of fields.
    int setRowFields(int row, int firstCol, QStringView line, QStringView separator) {
        return m_model->setRowFields(row - 1, firstCol - 1, line, separator);
    }
    int setRowFieldsAscii(int row, int firstCol, char* line, qsizetype size, char separator) {
        return m_model->setRowFieldsAscii(row - 1, firstCol - 1, line, size, separator);
    }
    // Every cell of a row (cells[0] is column 1) as views into buffer, for
    // passes over many rows; the views stay valid until buffer changes.
    void rowCells(int row, QString& buffer, QVarLengthArray<QStringView, 32>& cells) const {
        m_model->rowCells(row - 1, buffer, cells);
    }
    quint32 cellColour(int col, int row) const;
    void setCellColour(int col, int row, quint32 bgr);
    // The rows from row on move down; the grid grows by count.
    void insertRows(int row, int count);
    // The rows below move up and empty rows fill the end: the count stays.
    void deleteRows(int row, int count);
    // Rows toRow .. become copies of fromRow .., colours included; the grid
    // grows to hold them.
    void copyRows(int fromRow, int count, int toRow);
    // Empties the texts of a block; colours stay.
    void clearBlock(const GridBlock& block);
    // Many changes, one signal to the view (see GridModel).
    void beginBulkUpdate() { m_model->beginBulkUpdate(); }
    void endBulkUpdate() { m_model->endBulkUpdate(); }

    // The active cell and the selection.
    int activeCol() const;
    int activeRow() const;
    // Makes a cell the active cell and the whole selection, and scrolls to it.
    void setActiveCell(int col, int row);
    // The first block the user selected; whole columns and the whole grid
    // count as rows 1 to the last data row, whole rows as every column, and
    // no selection as the active cell.
    GridBlock firstSelectedBlock() const;
    bool isCellSelected(int col, int row) const;
    void selectBlock(const GridBlock& block);
    void selectColumns(int firstCol, int lastCol);
    void selectRows(int firstRow, int lastRow);
    void selectAll() override;
    void clearSelectedBlocks();

    // Edit mode of the active cell. The editor opens with the cell's text
    // selected, so that what is typed next replaces it.
    bool startEdit();
    void endEdit(bool commit = true);
    bool isEditing() const { return !m_editor.isNull(); }
    // While editMode reports the start of an edit: true when a typed
    // character started it (the character goes into the cell next).
    bool editStartedByTyping() const { return m_startedByTyping; }
    // The open cell editor (a QLineEdit, or a QComboBox for a list column).
    QWidget* cellEditor() const { return m_editor; }

    // Repaint suspension: while suspended the grid shows what it showed.
    bool isRepaintSuspended() const { return m_repaintSuspended; }
    void setRepaintSuspended(bool suspended);
    void refresh();

    // The clipboard, as TAB-separated cells and CR LF-ended rows. Copy and cut
    // take the first selected block; paste writes at the active cell and
    // grows the grid so that no pasted row is lost. Paste returns the number
    // of rows written.
    void clipboardCopy();
    void clipboardCut();
    int clipboardPaste();

    // What a printout holds and its page header and footer mark-up.
    QString printHeader() const { return m_printHeader; }
    void setPrintHeader(const QString& markup) { m_printHeader = markup; }
    QString printFooter() const { return m_printFooter; }
    void setPrintFooter(const QString& markup) { m_printFooter = markup; }
    PrintRange printRange() const { return m_printRange; }
    void setPrintRange(PrintRange range) { m_printRange = range; }
    GridBlock printBlock() const { return m_printBlock; }
    void setPrintBlock(const GridBlock& block) { m_printBlock = block; }
    // The cells a printout holds: the print block, or every column and row.
    GridBlock printedCells() const;

signals:
    // The user is about to edit a cell; cancel refuses it.
    void editStarting(int col, int row, bool& cancel);
    // Mode 1: editing started; mode 0: editing ended, changeMade telling
    // whether the cell's text now differs from the text it had before.
    void editMode(int col, int row, int mode, bool changeMade);
    // The user moves from one cell to another; cancel keeps the active cell.
    // A handler that sets the active cell itself decides where it goes.
    void leaveCell(int col, int row, int newCol, int newRow, bool& cancel);
    // The user moved past the first cell (forward false) or the last cell
    // (forward true) with Tab, Shift+Tab or an arrow key. When the handler
    // leaves the focus on the grid, Tab and Shift+Tab move it on as usual.
    // A read-only grid is a list, one stop of the Tab order: Tab and
    // Shift+Tab leave it at once (the arrow keys move in it), as they leave
    // a grid without rows.
    void advance(bool forward);
    // A key went down on the grid; keyCode is a Qt::Key, shift holds 1 for
    // Shift, 2 for Ctrl and 4 for Alt. Setting keyCode to 0 swallows the key.
    void keyDown(int& keyCode, int shift);
    // A character was typed (13 for Enter); setting it to 0 swallows it.
    void keyPress(int& keyAscii);
    // clickType 1 for a single right click; globalPos is where the mouse is.
    // The context-menu key and Shift+F10 raise it too, for the active cell,
    // with globalPos at its centre.
    void rightClick(int clickType, int col, int row, const QPoint& globalPos);
    // The mouse rests on a cell or header: set showTip and tipText to show a
    // tip; multiLine 1 wraps it, tipWidth (pixels) limits its width.
    void textTipFetch(int col, int row, int& multiLine, int& tipWidth, QString& tipText, bool& showTip);
    // A left click on a cell or header (row or column 0).
    void click(int col, int row);
    // The cell editor dropped characters that a cell cannot hold.
    void inputRefused(int col, int row, const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void commitData(QWidget* editor) override;
    void scrollContentsBy(int dx, int dy) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class GridDelegate;
    enum class Move { Left, Right, Up, Down, Next, Previous };
    enum class Step { Moved, Kept, PastStart, PastEnd };
    enum class BlockKind { Cells, Rows, Columns, All };
    // How an edit starts: a typed key replaces the cell's text, F2 and a
    // double click keep it with the cursor at its end, and the program's
    // startEdit selects it.
    enum class EditStart { Program, InPlace, Typing };
    struct Block {
        BlockKind kind = BlockKind::Cells;
        QPersistentModelIndex first;
        QPersistentModelIndex last;
        int firstColumn = 0; // whole columns, 0-based
        int lastColumn = 0;
    };

    QModelIndex cell(int col, int row) const;
    bool userMoveTo(const QModelIndex& target);
    void placeCursor(const QModelIndex& target);
    Step navigate(Move move, bool edges);
    bool moveOrAdvance(Move move);
    void extendSelection(const QModelIndex& from, const QModelIndex& to);
    void setBlocks(const QList<Block>& blocks);
    void syncSelectionModel();
    GridBlock mapped(const Block& block) const;
    bool openEditor(const QModelIndex& index, EditStart start, QKeyEvent* firstKey = nullptr);
    void keyboardContextMenu();
    void finishEdit(bool commit);
    void toggleCheck(const QModelIndex& index);
    void announceCheckState(const QModelIndex& index);
    void editorKey(QKeyEvent* event);
    void editorRefused(const QString& message);
    void applyColumnWidths();
    void updateRowHeight();
    void headerPressed(Qt::Orientation orientation, int section);
    void headerEntered(Qt::Orientation orientation, int section);
    bool fetchTip(int col, int row, const QPoint& globalPos);

    GridModel* m_model = nullptr;
    GridDelegate* m_delegate = nullptr;
    GridHeader* m_header = nullptr;
    QList<Block> m_blocks;
    bool m_syncingSelection = false;
    QPointer<QWidget> m_editor;
    QPersistentModelIndex m_editIndex;
    QString m_editStartText;
    bool m_closingEditor = false;
    bool m_forwardingKey = false;
    bool m_startedByTyping = false;
    quint64 m_cursorGeneration = 0;       // counts program moves of the active cell
    QPersistentModelIndex m_anchor;       // where a mouse drag started
    QPersistentModelIndex m_selectionEnd; // the moving corner of Shift+arrow selection
    bool m_extendLastBlock = false;
    bool m_dragging = false;
    QPersistentModelIndex m_pressedIndex;
    int m_headerAnchor = -1;
    Qt::Orientation m_headerAnchorOrientation = Qt::Horizontal;
    bool m_repaintSuspended = false;
    QString m_printHeader;
    QString m_printFooter;
    PrintRange m_printRange = PrintRange::Grid;
    GridBlock m_printBlock;
};

} // namespace Dazozuvi
