#include "grid/ReportGrid.h"

#include "grid/GridClipboard.h"
#include "grid/GridDelegate.h"
#include "grid/GridHeader.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace Dazozuvi {

namespace {

int shiftState(Qt::KeyboardModifiers modifiers) {
    int state = 0;
    if (modifiers & Qt::ShiftModifier) state |= 1;
    if (modifiers & Qt::ControlModifier) state |= 2;
    if (modifiers & Qt::AltModifier) state |= 4;
    return state;
}

// Characters that reach keyPress: printable ones, Enter, Backspace and Esc.
bool isKeyPressCharacter(QChar c) { return c.isPrint() || c == u'\r' || c == u'\b' || c == QChar(27); }

} // namespace

ReportGrid::ReportGrid(QWidget* parent) : QTableView(parent) {
    m_model = new GridModel(this);
    setModel(m_model);
    m_header = new GridHeader(this);
    setHorizontalHeader(m_header);
    m_delegate = new GridDelegate(*this);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(true);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);

    // The headers select whole columns and rows the grid's own way.
    for (QHeaderView* header : {static_cast<QHeaderView*>(m_header), verticalHeader()}) {
        disconnect(header, SIGNAL(sectionPressed(int)), this, nullptr);
        disconnect(header, SIGNAL(sectionEntered(int)), this, nullptr);
        const Qt::Orientation orientation = header->orientation();
        connect(header, &QHeaderView::sectionPressed, this,
                [this, orientation](int section) { headerPressed(orientation, section); });
        connect(header, &QHeaderView::sectionEntered, this,
                [this, orientation](int section) { headerEntered(orientation, section); });
        header->viewport()->installEventFilter(this);
    }
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_syncingSelection && !selectionModel()->hasSelection()) m_blocks.clear();
    });
    updateRowHeight();
}

ReportGrid::~ReportGrid() {
    // Children go after this: an open editor losing the focus then must not
    // end an edit on a grid that is half gone.
    m_editor = nullptr;
    blockSignals(true);
}

// ---- columns and headers -------------------------------------------------

int ReportGrid::widthForCharacters(double characters) const {
    return qRound(characters * fontMetrics().horizontalAdvance(QLatin1Char('0'))) + 8;
}

void ReportGrid::applyColumnWidths() {
    for (int c = 0; c < m_model->columnCount(); ++c)
        horizontalHeader()->resizeSection(c, widthForCharacters(m_model->column(c).widthChars));
}

void ReportGrid::updateRowHeight() {
    const int height = fontMetrics().height() + 6;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void ReportGrid::setColumnCount(int columns) {
    if (isEditing()) finishEdit(true);
    m_model->setColumnCount(columns);
    applyColumnWidths();
}

GridColumn ReportGrid::column(int col) const {
    if (col < 1 || col > columnCount()) return {};
    return m_model->column(col - 1);
}

void ReportGrid::setColumn(int col, const GridColumn& definition) {
    if (col < 1 || col > columnCount()) return;
    m_model->setColumn(col - 1, definition);
    horizontalHeader()->resizeSection(col - 1, widthForCharacters(definition.widthChars));
}

void ReportGrid::setColumns(const QList<GridColumn>& columns) {
    setColumnCount(int(columns.size()));
    for (int c = 0; c < columns.size(); ++c) setColumn(c + 1, columns[c]);
}

void ReportGrid::setUpperHeaders(const QList<UpperHeader>& headers) {
    m_model->setUpperHeaders(headers);
    // The upper header row is painted; a screen reader hears it as the
    // grid's description.
    QStringList texts;
    for (const UpperHeader& header : headers) texts << header.text;
    setAccessibleDescription(texts.join(QStringLiteral("; ")));
    updateGeometries();
    m_header->viewport()->update();
}

bool ReportGrid::rowHeadersVisible() const { return !verticalHeader()->isHidden(); }

void ReportGrid::setRowHeadersVisible(bool visible) { verticalHeader()->setVisible(visible); }

void ReportGrid::setReadOnly(bool readOnly) {
    if (readOnly && isEditing()) finishEdit(true);
    m_model->setReadOnly(readOnly);
}

void ReportGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateRowHeight();
        applyColumnWidths();
    }
}

// ---- rows and cells ------------------------------------------------------

QModelIndex ReportGrid::cell(int col, int row) const {
    if (col < 1 || row < 1 || col > m_model->columnCount() || row > m_model->rowCount()) return {};
    return m_model->index(row - 1, col - 1);
}

void ReportGrid::setRowCount(int rows) { m_model->setRows(rows); }

QString ReportGrid::text(int col, int row) const {
    if (col < 1 || row < 1 || col > columnCount() || row > rowCount()) return {};
    return m_model->text(row - 1, col - 1);
}

void ReportGrid::setText(int col, int row, const QString& text) { m_model->setText(row - 1, col - 1, text); }

void ReportGrid::setRowTexts(int row, int firstCol, const QList<QStringView>& texts) {
    m_model->setCells(row - 1, firstCol - 1, texts.constData(), texts.size());
}

quint32 ReportGrid::cellColour(int col, int row) const {
    if (col < 1 || row < 1 || col > columnCount() || row > rowCount()) return CellColour::White;
    return m_model->colour(row - 1, col - 1);
}

void ReportGrid::setCellColour(int col, int row, quint32 bgr) { m_model->setColour(row - 1, col - 1, bgr); }

void ReportGrid::insertRows(int row, int count) { m_model->insertRowsAt(row - 1, count); }

void ReportGrid::deleteRows(int row, int count) { m_model->deleteRowsKeepingCount(row - 1, count); }

void ReportGrid::copyRows(int fromRow, int count, int toRow) { m_model->copyRows(fromRow - 1, count, toRow - 1); }

void ReportGrid::clearBlock(const GridBlock& block) {
    m_model->clearBlock(block.row1 - 1, block.col1 - 1, block.row2 - 1, block.col2 - 1);
}

// ---- active cell and selection -------------------------------------------

int ReportGrid::activeCol() const { return currentIndex().isValid() ? currentIndex().column() + 1 : 0; }

int ReportGrid::activeRow() const { return currentIndex().isValid() ? currentIndex().row() + 1 : 0; }

void ReportGrid::setActiveCell(int col, int row) {
    const QModelIndex target = cell(col, row);
    if (!target.isValid()) return;
    ++m_cursorGeneration;
    if (isEditing() && target != m_editIndex) finishEdit(true);
    placeCursor(target);
}

void ReportGrid::placeCursor(const QModelIndex& target) {
    m_blocks.clear();
    syncSelectionModel();
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
    scrollTo(target);
    viewport()->update();
}

GridBlock ReportGrid::mapped(const Block& block) const {
    const int columns = columnCount();
    const int lastData = lastDataRow();
    switch (block.kind) {
    case BlockKind::All: return GridBlock{1, 1, columns, lastData};
    case BlockKind::Columns: return GridBlock{block.firstColumn + 1, 1, block.lastColumn + 1, lastData};
    case BlockKind::Rows:
        if (!block.first.isValid() || !block.last.isValid()) return GridBlock{1, 1, 0, 0};
        return GridBlock{1, block.first.row() + 1, columns, block.last.row() + 1};
    case BlockKind::Cells:
        if (!block.first.isValid() || !block.last.isValid()) return GridBlock{1, 1, 0, 0};
        return GridBlock{block.first.column() + 1, block.first.row() + 1, block.last.column() + 1,
                         block.last.row() + 1};
    }
    return GridBlock{1, 1, 0, 0};
}

GridBlock ReportGrid::firstSelectedBlock() const {
    if (!m_blocks.isEmpty()) return mapped(m_blocks.first());
    const QModelIndex active = currentIndex();
    if (!active.isValid()) return GridBlock{1, 1, 0, 0};
    return GridBlock{active.column() + 1, active.row() + 1, active.column() + 1, active.row() + 1};
}

bool ReportGrid::isCellSelected(int col, int row) const {
    for (const Block& block : m_blocks)
        if (mapped(block).contains(col, row)) return true;
    return false;
}

void ReportGrid::syncSelectionModel() {
    QItemSelection selection;
    const int rows = m_model->rowCount();
    const int columns = m_model->columnCount();
    for (const Block& block : m_blocks) {
        if (rows == 0 || columns == 0) break;
        switch (block.kind) {
        case BlockKind::All: selection.select(m_model->index(0, 0), m_model->index(rows - 1, columns - 1)); break;
        case BlockKind::Columns:
            selection.select(m_model->index(0, block.firstColumn), m_model->index(rows - 1, block.lastColumn));
            break;
        case BlockKind::Rows:
            if (block.first.isValid() && block.last.isValid())
                selection.select(m_model->index(block.first.row(), 0), m_model->index(block.last.row(), columns - 1));
            break;
        case BlockKind::Cells:
            if (block.first.isValid() && block.last.isValid()) selection.select(block.first, block.last);
            break;
        }
    }
    m_syncingSelection = true;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_syncingSelection = false;
}

void ReportGrid::setBlocks(const QList<Block>& blocks) {
    m_blocks = blocks;
    syncSelectionModel();
    viewport()->update();
}

void ReportGrid::selectBlock(const GridBlock& block) {
    const QModelIndex first = cell(block.col1, block.row1);
    const QModelIndex last = cell(block.col2, block.row2);
    if (!first.isValid() || !last.isValid()) return;
    setBlocks({Block{BlockKind::Cells, first, last, 0, 0}});
}

void ReportGrid::selectColumns(int firstCol, int lastCol) {
    if (firstCol > lastCol) std::swap(firstCol, lastCol);
    firstCol = std::max(firstCol, 1);
    lastCol = std::min(lastCol, columnCount());
    if (firstCol > lastCol) return;
    setBlocks({Block{BlockKind::Columns, {}, {}, firstCol - 1, lastCol - 1}});
}

void ReportGrid::selectRows(int firstRow, int lastRow) {
    if (firstRow > lastRow) std::swap(firstRow, lastRow);
    const QModelIndex first = cell(1, std::max(firstRow, 1));
    const QModelIndex last = cell(1, std::min(lastRow, rowCount()));
    if (!first.isValid() || !last.isValid()) return;
    setBlocks({Block{BlockKind::Rows, first, last, 0, 0}});
}

void ReportGrid::selectAll() {
    if (isEditing()) finishEdit(true);
    setBlocks({Block{BlockKind::All, {}, {}, 0, 0}});
}

void ReportGrid::clearSelectedBlocks() { setBlocks({}); }

void ReportGrid::extendSelection(const QModelIndex& from, const QModelIndex& to) {
    if (!from.isValid() || !to.isValid()) return;
    const QModelIndex first = m_model->index(std::min(from.row(), to.row()), std::min(from.column(), to.column()));
    const QModelIndex last = m_model->index(std::max(from.row(), to.row()), std::max(from.column(), to.column()));
    QList<Block> blocks = m_blocks;
    const Block block{BlockKind::Cells, first, last, 0, 0};
    if (m_extendLastBlock && !blocks.isEmpty())
        blocks.last() = block;
    else
        blocks = {block};
    m_selectionEnd = to;
    setBlocks(blocks);
}

// ---- moving the active cell ---------------------------------------------

bool ReportGrid::userMoveTo(const QModelIndex& requested) {
    const QPersistentModelIndex target(requested);
    if (!target.isValid()) return false;
    if (isEditing()) {
        const quint64 generation = m_cursorGeneration;
        finishEdit(true);
        if (generation != m_cursorGeneration || !target.isValid()) return false;
    }
    const QModelIndex from = currentIndex();
    if (from.isValid() && from != target) {
        bool cancel = false;
        const quint64 generation = m_cursorGeneration;
        emit leaveCell(from.column() + 1, from.row() + 1, target.column() + 1, target.row() + 1, cancel);
        if (cancel || generation != m_cursorGeneration || !target.isValid()) return false;
    }
    placeCursor(target);
    return true;
}

ReportGrid::Step ReportGrid::navigate(Move move, bool edges) {
    if (isEditing()) {
        const quint64 generation = m_cursorGeneration;
        finishEdit(true);
        if (generation != m_cursorGeneration) return Step::Kept;
    }
    const QModelIndex current = currentIndex();
    const int rows = m_model->rowCount();
    const int columns = m_model->columnCount();
    if (rows == 0 || columns == 0) return Step::Kept;
    if (!current.isValid()) return userMoveTo(m_model->index(0, 0)) ? Step::Moved : Step::Kept;
    int r = current.row();
    int c = current.column();
    const bool first = r == 0 && c == 0;
    const bool last = r == rows - 1 && c == columns - 1;
    Step edge = Step::Kept;
    switch (move) {
    case Move::Left:
        if (c > 0)
            --c;
        else if (first)
            edge = Step::PastStart;
        break;
    case Move::Right:
        if (c < columns - 1)
            ++c;
        else if (last)
            edge = Step::PastEnd;
        break;
    case Move::Up:
        if (r > 0)
            --r;
        else if (first)
            edge = Step::PastStart;
        break;
    case Move::Down:
        if (r < rows - 1)
            ++r;
        else if (last)
            edge = Step::PastEnd;
        break;
    case Move::Next:
        if (c < columns - 1) {
            ++c;
        } else if (r < rows - 1) {
            ++r;
            c = 0;
        } else {
            edge = Step::PastEnd;
        }
        break;
    case Move::Previous:
        if (c > 0) {
            --c;
        } else if (r > 0) {
            --r;
            c = columns - 1;
        } else {
            edge = Step::PastStart;
        }
        break;
    }
    if (r == current.row() && c == current.column()) return edges ? edge : Step::Kept;
    return userMoveTo(m_model->index(r, c)) ? Step::Moved : Step::Kept;
}

// Moves for Tab, Shift+Tab and arrows; past the grid's ends it raises
// advance. Returns false when the focus should move on to the next control.
bool ReportGrid::moveOrAdvance(Move move) {
    const bool tab = move == Move::Next || move == Move::Previous;
    // A list (read-only) is one stop of the Tab order, and a grid without
    // rows or columns has no cell to move to: Tab goes on at once.
    if (tab && (isReadOnly() || m_model->rowCount() == 0 || m_model->columnCount() == 0)) return !hasFocus();
    const Step step = navigate(move, true);
    if (step != Step::PastStart && step != Step::PastEnd) return true;
    emit advance(step == Step::PastEnd);
    return !(tab && hasFocus());
}

// ---- editing -------------------------------------------------------------

bool ReportGrid::startEdit() { return openEditor(currentIndex(), EditStart::Program); }

void ReportGrid::endEdit(bool commit) { finishEdit(commit); }

bool ReportGrid::openEditor(const QModelIndex& requested, EditStart start, QKeyEvent* firstKey) {
    if (isEditing()) return requested == m_editIndex;
    const QPersistentModelIndex index(requested);
    if (!index.isValid() || isReadOnly()) return false;
    if (m_model->column(index.column()).type.kind == CellType::Check) return false;
    const int col = index.column() + 1;
    const int row = index.row() + 1;
    bool cancel = false;
    emit editStarting(col, row, cancel);
    if (cancel || !index.isValid() || index != currentIndex()) return false;
    m_editStartText = m_model->text(index.row(), index.column());
    m_editIndex = index;
    if (!QTableView::edit(index, QAbstractItemView::AllEditTriggers, nullptr) || !m_editor) {
        m_editIndex = QPersistentModelIndex();
        m_editor = nullptr;
        return false;
    }
    m_startedByTyping = start == EditStart::Typing;
    emit editMode(col, row, 1, false);
    m_startedByTyping = false;
    if (!m_editor) return false;
    // Every kind of cell alike, the drop-down lists included: a list's line
    // edit is not where Qt's own item views select the text.
    if (QLineEdit* line = GridDelegate::lineEdit(m_editor)) {
        if (start == EditStart::InPlace) {
            line->deselect();
            line->end(false);
        } else {
            line->selectAll();
        }
    }
    if (firstKey) {
        QWidget* target = m_editor->focusProxy() ? m_editor->focusProxy() : m_editor.data();
        QCoreApplication::sendEvent(target, firstKey);
    }
    return isEditing();
}

void ReportGrid::finishEdit(bool commit) {
    if (!m_editor) {
        m_editIndex = QPersistentModelIndex();
        return;
    }
    QWidget* editor = m_editor;
    const QPersistentModelIndex index = m_editIndex;
    const QString text = commit ? GridDelegate::editorText(editor) : m_editStartText;
    m_editor = nullptr;
    m_editIndex = QPersistentModelIndex();
    m_closingEditor = true;
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    m_closingEditor = false;
    if (!index.isValid()) return;
    const bool changed = commit && text != m_editStartText;
    if (changed) m_model->setText(index.row(), index.column(), text);
    emit editMode(index.column() + 1, index.row() + 1, 0, changed);
}

void ReportGrid::commitData(QWidget* editor) {
    // The text is written when the edit ends (finishEdit).
    Q_UNUSED(editor);
}

void ReportGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (m_closingEditor || editor != m_editor) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        return;
    }
    // Qt closes the editor on its own (the current cell moved): the edit ends.
    finishEdit(hint != QAbstractItemDelegate::RevertModelCache);
}

void ReportGrid::toggleCheck(const QModelIndex& index) {
    if (!index.isValid() || isReadOnly()) return;
    const QPersistentModelIndex cellIndex(index);
    const int col = index.column() + 1;
    const int row = index.row() + 1;
    bool cancel = false;
    emit editStarting(col, row, cancel);
    if (cancel || !cellIndex.isValid()) return;
    const QString before = m_model->text(cellIndex.row(), cellIndex.column());
    emit editMode(col, row, 1, false);
    if (!cellIndex.isValid()) return;
    const QString after =
        isTicked(m_model->text(cellIndex.row(), cellIndex.column())) ? QStringLiteral("0") : QStringLiteral("1");
    m_model->setText(cellIndex.row(), cellIndex.column(), after);
    emit editMode(col, row, 0, after != before);
    if (cellIndex.isValid() && isTicked(m_model->text(cellIndex.row(), cellIndex.column())) != isTicked(before))
        announceCheckState(cellIndex);
}

void ReportGrid::announceCheckState(const QModelIndex& index) {
    // Qt tells a screen reader that the cell's data changed, not that a tick
    // box turned on or off: that is what the user must hear.
    if (!QAccessible::isActive()) return;
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    QAccessibleInterface* cell = cells ? cells->cellAt(index.row(), index.column()) : nullptr;
    if (!cell) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(cell, changed);
    QAccessible::updateAccessibility(&event);
}

void ReportGrid::editorKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape: finishEdit(false); break;
    case Qt::Key_Return:
    case Qt::Key_Enter: navigate(Move::Down, false); break;
    case Qt::Key_Up: navigate(Move::Up, false); break;
    case Qt::Key_Down: navigate(Move::Down, false); break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const bool next = event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
        if (!moveOrAdvance(next ? Move::Next : Move::Previous)) QWidget::focusNextPrevChild(next);
        break;
    }
    default: break;
    }
}

void ReportGrid::editorRefused(const QString& message) {
    if (!m_editor || !m_editIndex.isValid()) return;
    QToolTip::showText(m_editor->mapToGlobal(QPoint(0, m_editor->height())), message, m_editor);
    emit inputRefused(m_editIndex.column() + 1, m_editIndex.row() + 1, message);
}

// ---- keyboard ------------------------------------------------------------

void ReportGrid::keyPressEvent(QKeyEvent* event) {
    if (isEditing()) {
        // A key the editor did not take goes on to the window; the editor
        // gets back a key that reached the grid while it lacked the focus.
        QWidget* focus = QApplication::focusWidget();
        if (m_forwardingKey || (focus && m_editor->isAncestorOf(focus)) || focus == m_editor) {
            event->ignore();
            return;
        }
        m_forwardingKey = true;
        m_editor->setFocus();
        QWidget* target = m_editor->focusProxy() ? m_editor->focusProxy() : m_editor.data();
        QCoreApplication::sendEvent(target, event);
        m_forwardingKey = false;
        return;
    }
    int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    emit keyDown(key, shiftState(modifiers));
    if (key == 0) {
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool chord = modifiers & (Qt::ControlModifier | Qt::AltModifier);
    if (!typed.isEmpty() && !chord && isKeyPressCharacter(typed[0])) {
        int ascii = typed[0].unicode();
        emit keyPress(ascii);
        if (ascii == 0) {
            event->accept();
            return;
        }
    }
    const QModelIndex current = currentIndex();
    const bool shift = modifiers & Qt::ShiftModifier;
    event->accept();
    switch (event->key()) {
    case Qt::Key_Tab:
        if (!moveOrAdvance(shift ? Move::Previous : Move::Next)) event->ignore();
        return;
    case Qt::Key_Backtab:
        if (!moveOrAdvance(Move::Previous)) event->ignore();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const Move move = event->key() == Qt::Key_Left    ? Move::Left
                          : event->key() == Qt::Key_Right ? Move::Right
                          : event->key() == Qt::Key_Up    ? Move::Up
                                                          : Move::Down;
        if (shift && current.isValid()) {
            QModelIndex end = m_selectionEnd.isValid() && !m_blocks.isEmpty() ? QModelIndex(m_selectionEnd) : current;
            const int r = std::clamp(end.row() + (move == Move::Down) - (move == Move::Up), 0, m_model->rowCount() - 1);
            const int c =
                std::clamp(end.column() + (move == Move::Right) - (move == Move::Left), 0, m_model->columnCount() - 1);
            m_extendLastBlock = false;
            extendSelection(current, m_model->index(r, c));
            scrollTo(m_model->index(r, c));
        } else if (!chord) {
            moveOrAdvance(move);
        }
        return;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: {
        const CursorAction action = event->key() == Qt::Key_PageUp     ? MovePageUp
                                    : event->key() == Qt::Key_PageDown ? MovePageDown
                                    : event->key() == Qt::Key_Home     ? MoveHome
                                                                       : MoveEnd;
        userMoveTo(moveCursor(action, modifiers));
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter: navigate(Move::Down, false); return;
    case Qt::Key_F2: openEditor(current, EditStart::InPlace); return;
    case Qt::Key_Menu: keyboardContextMenu(); return;
    case Qt::Key_F10:
        if (modifiers == Qt::ShiftModifier) {
            keyboardContextMenu();
            return;
        }
        break;
    case Qt::Key_A:
        if (modifiers == Qt::ControlModifier) {
            selectAll();
            return;
        }
        break;
    case Qt::Key_Space:
        if (current.isValid() && m_model->column(current.column()).type.kind == CellType::Check && !chord) {
            toggleCheck(current);
            return;
        }
        break;
    default: break;
    }
    if (!typed.isEmpty() && !chord && (typed[0].isPrint() || typed[0] == u'\b') && current.isValid()) {
        openEditor(current, EditStart::Typing, event);
        return;
    }
    event->ignore();
}

void ReportGrid::focusInEvent(QFocusEvent* event) {
    if (isEditing() && event->reason() != Qt::MouseFocusReason) {
        m_editor->setFocus(event->reason());
        return;
    }
    QTableView::focusInEvent(event);
}

// ---- mouse ---------------------------------------------------------------

void ReportGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        emit rightClick(1, index.isValid() ? index.column() + 1 : -1, index.isValid() ? index.row() + 1 : -1,
                        event->globalPosition().toPoint());
        event->accept();
        return;
    }
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    m_pressedIndex = index;
    m_dragging = false;
    if (!index.isValid()) {
        if (isEditing()) finishEdit(true);
        return;
    }
    const QModelIndex current = currentIndex();
    if ((event->modifiers() & Qt::ShiftModifier) && current.isValid()) {
        if (isEditing()) finishEdit(true);
        m_anchor = current;
        m_extendLastBlock = false;
        extendSelection(current, index);
        m_dragging = true;
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        if (isEditing()) finishEdit(true);
        m_anchor = index;
        m_extendLastBlock = false;
        QList<Block> blocks = m_blocks;
        blocks.append(Block{BlockKind::Cells, index, index, 0, 0});
        setBlocks(blocks);
        m_extendLastBlock = true;
        m_dragging = true;
        return;
    }
    if (index != current && !userMoveTo(index)) return;
    if (index == current) clearSelectedBlocks();
    m_anchor = index;
    m_extendLastBlock = false;
    m_dragging = true;
    if (currentIndex() == index && m_model->column(index.column()).type.kind == CellType::Check) toggleCheck(index);
}

void ReportGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !(event->buttons() & Qt::LeftButton) || !m_anchor.isValid()) return;
    const QPoint pos = event->position().toPoint();
    // Dragging past the edge scrolls, one row or column per move.
    if (pos.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (pos.y() > viewport()->height()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    if (pos.x() < 0) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    if (pos.x() > viewport()->width()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    const QPoint inside(std::clamp(pos.x(), 0, viewport()->width() - 1),
                        std::clamp(pos.y(), 0, viewport()->height() - 1));
    const QModelIndex index = indexAt(inside);
    if (!index.isValid()) return;
    if (index == m_anchor && m_blocks.isEmpty()) return;
    extendSelection(m_anchor, index);
    m_extendLastBlock = true;
}

void ReportGrid::mouseReleaseEvent(QMouseEvent* event) {
    m_dragging = false;
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index == m_pressedIndex) emit click(index.column() + 1, index.row() + 1);
}

void ReportGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || (index != currentIndex() && !userMoveTo(index))) return;
    if (m_model->column(index.column()).type.kind == CellType::Check) return;
    openEditor(index, EditStart::InPlace);
}

void ReportGrid::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // A mouse right click was reported when the button went down.
    if (event->reason() == QContextMenuEvent::Keyboard) keyboardContextMenu();
}

void ReportGrid::keyboardContextMenu() {
    // The window system may send the context-menu key both as a key and as
    // a context-menu event: the menu the first opened is still up.
    if (QApplication::activePopupWidget()) return;
    const QModelIndex current = currentIndex();
    QPoint at(0, 0);
    if (current.isValid()) {
        scrollTo(current);
        at = visualRect(current).center();
    }
    emit rightClick(1, activeCol(), activeRow(), viewport()->mapToGlobal(at));
}

// ---- headers -------------------------------------------------------------

void ReportGrid::headerPressed(Qt::Orientation orientation, int section) {
    if (isEditing()) finishEdit(true);
    const bool extend = (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier) && m_headerAnchor >= 0 &&
                        m_headerAnchorOrientation == orientation;
    if (!extend) {
        m_headerAnchor = section;
        m_headerAnchorOrientation = orientation;
    }
    headerEntered(orientation, section);
}

void ReportGrid::headerEntered(Qt::Orientation orientation, int section) {
    if (m_headerAnchor < 0 || m_headerAnchorOrientation != orientation) return;
    if (orientation == Qt::Horizontal)
        selectColumns(m_headerAnchor + 1, section + 1);
    else
        selectRows(m_headerAnchor + 1, section + 1);
}

bool ReportGrid::fetchTip(int col, int row, const QPoint& globalPos) {
    int multiLine = 0;
    int tipWidth = 0;
    QString tipText;
    bool showTip = false;
    emit textTipFetch(col, row, multiLine, tipWidth, tipText, showTip);
    if (!showTip || tipText.isEmpty()) return false;
    QString shown = tipText;
    if (multiLine) {
        // Rich text wraps at word boundaries.
        const QString width = tipWidth > 0 ? QStringLiteral(" width='%1'").arg(tipWidth) : QString();
        shown = QStringLiteral("<table%1><tr><td>").arg(width) + tipText.toHtmlEscaped().replace(u'\n', "<br>") +
                QStringLiteral("</td></tr></table>");
    }
    QToolTip::showText(globalPos, shown, this);
    return true;
}

bool ReportGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (!index.isValid() || !fetchTip(index.column() + 1, index.row() + 1, help->globalPos())) QToolTip::hideText();
        return true;
    }
    return QTableView::viewportEvent(event);
}

bool ReportGrid::eventFilter(QObject* watched, QEvent* event) {
    const bool columnHeader = watched == horizontalHeader()->viewport();
    const bool rowHeader = watched == verticalHeader()->viewport();
    if (!columnHeader && !rowHeader) return QTableView::eventFilter(watched, event);
    QHeaderView* header = columnHeader ? horizontalHeader() : verticalHeader();
    auto place = [&](const QPoint& pos, int& col, int& row) {
        const int section = header->logicalIndexAt(pos);
        col = columnHeader ? section + 1 : 0;
        row = columnHeader ? 0 : section + 1;
        return section >= 0;
    };
    int col = 0;
    int row = 0;
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        if (!place(help->pos(), col, row) || !fetchTip(col, row, help->globalPos())) QToolTip::hideText();
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::RightButton) return false;
        if (!place(mouse->position().toPoint(), col, row)) col = row = -1;
        emit rightClick(1, columnHeader ? col : 0, columnHeader ? 0 : row, mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && place(mouse->position().toPoint(), col, row)) emit click(col, row);
        return false;
    }
    case QEvent::ContextMenu: event->accept(); return true;
    default: return false;
    }
}

// ---- repaint, clipboard, printing ---------------------------------------

void ReportGrid::setRepaintSuspended(bool suspended) {
    if (suspended == m_repaintSuspended) return;
    m_repaintSuspended = suspended;
    viewport()->setUpdatesEnabled(!suspended);
    horizontalHeader()->viewport()->setUpdatesEnabled(!suspended);
    verticalHeader()->viewport()->setUpdatesEnabled(!suspended);
    if (!suspended) refresh();
}

void ReportGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    // The upper header's texts follow the part of their span in view.
    if (dx != 0 && m_header->hasUpperRow()) m_header->viewport()->update();
}

void ReportGrid::refresh() {
    viewport()->update();
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
}

void ReportGrid::clipboardCopy() {
    if (isEditing()) finishEdit(true);
    const GridBlock block = firstSelectedBlock();
    if (block.isEmpty()) return;
    QGuiApplication::clipboard()->setText(
        GridClipboard::blockText(*m_model, block.row1 - 1, block.col1 - 1, block.row2 - 1, block.col2 - 1));
}

void ReportGrid::clipboardCut() {
    if (isEditing()) finishEdit(true);
    const GridBlock block = firstSelectedBlock();
    if (block.isEmpty()) return;
    clipboardCopy();
    clearBlock(block);
}

int ReportGrid::clipboardPaste() {
    const QString text = QGuiApplication::clipboard()->text();
    const int rows = GridClipboard::rowCount(text);
    if (rows == 0) return 0;
    if (isEditing()) finishEdit(true);
    const QModelIndex current = currentIndex();
    const int firstRow = current.isValid() ? current.row() : 0;
    const int firstCol = current.isValid() ? current.column() : 0;
    GridModel::BulkUpdate bulk(*m_model);
    if (m_model->rows() < firstRow + rows) m_model->setRows(firstRow + rows);
    GridClipboard::Rows reader(text);
    QVarLengthArray<QStringView, 32> cells;
    for (int r = firstRow; reader.next(cells); ++r) m_model->setCells(r, firstCol, cells.data(), cells.size());
    return rows;
}

GridBlock ReportGrid::printedCells() const {
    if (m_printRange == PrintRange::Block) {
        GridBlock block = m_printBlock;
        block.col1 = std::max(block.col1, 1);
        block.row1 = std::max(block.row1, 1);
        block.col2 = std::min(block.col2, columnCount());
        block.row2 = std::min(block.row2, rowCount());
        return block;
    }
    return GridBlock{1, 1, columnCount(), rowCount()};
}

} // namespace Dazozuvi
