#include "grid/GridModel.h"

#include "grid/TextScan.h"

#include "Vezedad/foundation/Cp1252.h"

#include <QColor>
#include <QVarLengthArray>

#include <algorithm>

namespace Dazozuvi {

QColor colourFromBgr(quint32 bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

quint32 bgrFromColour(const QColor& colour) {
    return quint32(colour.red()) | (quint32(colour.green()) << 8) | (quint32(colour.blue()) << 16);
}

namespace {

QString columnLetters(int col) {
    QString name;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

} // namespace

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_shownRows; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_columns.size()); }

const QBrush& GridModel::brushFor(quint32 bgr) const {
    auto it = m_brushes.find(bgr);
    if (it == m_brushes.end()) it = m_brushes.insert(bgr, QBrush(colourFromBgr(bgr)));
    return *it;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_store.rowCount()) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return m_store.text(index.row(), index.column());
    case Qt::BackgroundRole: return brushFor(m_store.colour(index.row(), index.column()));
    case Qt::TextAlignmentRole:
        return int(m_columns[index.column()].type.kind == CellType::Number ? Qt::AlignRight | Qt::AlignVCenter
                                                                           : Qt::AlignLeft | Qt::AlignVCenter);
    // A screen reader hears a tick box as one, by its column and its state,
    // not by the "1" or "0" it holds. The state is said in words too: the
    // desktop's accessibility bridge passes "checked" on, but not that the
    // cell can be ticked, so a clear box would sound like an empty cell.
    case Qt::CheckStateRole:
        if (m_columns[index.column()].type.kind != CellType::Check) return {};
        return isTicked(m_store.text(index.row(), index.column())) ? Qt::Checked : Qt::Unchecked;
    case Qt::AccessibleTextRole:
    case Qt::AccessibleDescriptionRole: {
        if (m_columns[index.column()].type.kind != CellType::Check) return {};
        const QString state = isTicked(m_store.text(index.row(), index.column())) ? QStringLiteral("Ticked")
                                                                                  : QStringLiteral("Not ticked");
        if (role == Qt::AccessibleDescriptionRole) return state;
        return m_columns[index.column()].header + QStringLiteral(": ") + state;
    }
    default: return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || (role != Qt::EditRole && role != Qt::DisplayRole)) return false;
    setText(index.row(), index.column(), value.toString());
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (!m_readOnly) {
        f |= Qt::ItemIsEditable;
        if (m_columns[index.column()].type.kind == CellType::Check) f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_columns.size()) return {};
        if (role == Qt::DisplayRole) return m_columns[section].header;
        if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
        // A screen reader hears the upper header row with each column.
        if (role == Qt::AccessibleDescriptionRole)
            for (const UpperHeader& upper : m_upperHeaders)
                if (section + 1 >= upper.firstColumn && section + 1 <= upper.lastColumn) return upper.text;
        return {};
    }
    if (role == Qt::DisplayRole) return section + 1;
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

bool GridModel::insertRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || row > rows() || count < 0) return false;
    insertRowsAt(row, count);
    return true;
}

bool GridModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count < 0 || row + count > rows()) return false;
    removeRowsAt(row, count);
    return true;
}

void GridModel::setColumnCount(int columns) {
    columns = std::max(columns, 0);
    const int old = int(m_columns.size());
    if (columns == old) return;
    flushPendingRows();
    if (columns > old) {
        beginInsertColumns({}, old, columns - 1);
        for (int c = old; c < columns; ++c) m_columns.append(GridColumn{columnLetters(c), 10, CellType::text()});
        m_store.setColumnCount(columns);
        endInsertColumns();
    } else {
        beginRemoveColumns({}, columns, old - 1);
        m_columns.resize(columns);
        m_store.setColumnCount(columns);
        endRemoveColumns();
    }
}

void GridModel::setColumn(int col, const GridColumn& definition) {
    if (col < 0 || col >= m_columns.size()) return;
    m_columns[col] = definition;
    emit headerDataChanged(Qt::Horizontal, col, col);
    changed(0, col, rows() - 1, col);
}

void GridModel::setUpperHeaders(const QList<UpperHeader>& headers) {
    m_upperHeaders = headers;
    if (!m_columns.isEmpty()) emit headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

void GridModel::setRows(int count) {
    count = std::max(count, 0);
    if (count > rows())
        insertRowsAt(rows(), count - rows());
    else if (count < rows())
        removeRowsAt(count, rows() - count);
}

void GridModel::insertRowsAt(int row, int count) {
    row = std::clamp(row, 0, rows());
    if (count <= 0) return;
    // The memory first: views told of rows that then fail to come would no
    // longer match the grid.
    PackedRows::RowChange change = m_store.prepareInsert(row, count);
    if (row < m_shownRows || m_bulkDepth == 0) {
        beginInsertRows({}, row, row + count - 1);
        m_store.apply(change);
        m_shownRows += count;
        endInsertRows();
        if (m_bulkDepth > 0) m_bulkStructureChanged = true;
    } else {
        // Beyond what the view knows: announced when the bulk update ends.
        m_store.apply(change);
    }
}

void GridModel::removeRowsAt(int row, int count) {
    if (row < 0) return;
    count = std::min(count, rows() - row);
    if (count <= 0) return;
    const int shownEnd = std::min(row + count, m_shownRows);
    PackedRows::RowChange change = m_store.prepareRemove(row, count);
    if (row < shownEnd) {
        beginRemoveRows({}, row, shownEnd - 1);
        m_store.apply(change);
        m_shownRows -= shownEnd - row;
        endRemoveRows();
        if (m_bulkDepth > 0) m_bulkStructureChanged = true;
    } else {
        m_store.apply(change);
    }
}

void GridModel::setText(int row, int col, QStringView text) {
    if (row < 0 || row >= rows() || col < 0 || col >= m_store.columnCount()) return;
    m_store.setText(row, col, text);
    changed(row, col, row, col);
}

void GridModel::setCells(int row, int firstCol, const QStringView* cells, qsizetype count) {
    if (row < 0 || row >= rows() || firstCol < 0 || firstCol >= m_store.columnCount() || count <= 0) return;
    m_store.setCells(row, firstCol, cells, count);
    changed(row, firstCol, row, std::min<int>(firstCol + int(count), m_store.columnCount()) - 1);
}

void GridModel::setCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count) {
    if (row < 0 || row >= rows() || firstCol < 0 || firstCol >= m_store.columnCount() || count <= 0) return;
    m_store.setCells(row, firstCol, cells, count);
    changed(row, firstCol, row, std::min<int>(firstCol + int(count), m_store.columnCount()) - 1);
}

void GridModel::setUpperAsciiCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count) {
    if (row < 0 || row >= rows() || firstCol < 0 || firstCol >= m_store.columnCount() || count <= 0) return;
    m_store.setUpperAsciiCells(row, firstCol, cells, count);
    changed(row, firstCol, row, std::min<int>(firstCol + int(count), m_store.columnCount()) - 1);
}

int GridModel::setUpperAsciiFields(int row, int firstCol, const uchar* bytes, qsizetype size, uchar bar) {
    // The line is upper-cased: its separators are found, and its fields go
    // into the store as they are.
    const int wanted = m_store.columnCount() - firstCol;
    int fields = 0;
    QVarLengthArray<QLatin1StringView, 32> cells;
    qsizetype start = 0;
    const auto field = [&](qsizetype end) {
        ++fields;
        if (cells.size() >= wanted) return;
        qsizetype a = start;
        qsizetype b = end;
        while (a < b && bytes[a] == ' ') ++a;
        while (b > a && bytes[b - 1] == ' ') --b;
        cells.append(QLatin1StringView(reinterpret_cast<const char*>(bytes) + a, b - a));
    };
    TextScan::findEach(bytes, size, bar, [&](qsizetype stop) {
        field(stop);
        start = stop + 1;
    });
    field(size);
    setCells(row, firstCol, cells.constData(), cells.size());
    releaseLargeScratch();
    return fields;
}

int GridModel::setRowFieldsAscii(int row, int firstCol, char* line, qsizetype size, char separator) {
    // A line of plain ASCII bytes never needs to become text first, nor a
    // copy of itself: it is upper-cased where it stands.
    auto* bytes = reinterpret_cast<uchar*>(line);
    TextScan::upperAsciiBytes(bytes, size);
    return setUpperAsciiFields(row, firstCol, bytes, size, uchar(separator));
}

int GridModel::setRowFields(int row, int firstCol, QStringView line, QStringView separator) {
    const qsizetype size = line.size();
    const char16_t* text = reinterpret_cast<const char16_t*>(line.utf16());
    const int wanted = m_store.columnCount() - firstCol;
    int fields = 0;
    const char16_t bar = separator.size() == 1 ? separator[0].unicode() : 0;
    // (A letter as separator would change with the case: such lines take
    // the general way.)
    if (bar > 0 && bar < 0x80 && char16_t(bar - u'a') >= 26) {
        // Report files are ASCII but for a rare name: such a line is
        // upper-cased into bytes in one pass, its separators are found in
        // another, and its fields go into the store as they are.
        m_byteScratch.resize(size);
        auto* bytes = reinterpret_cast<uchar*>(m_byteScratch.data());
        if (TextScan::upperAscii(text, bytes, size) < 0x80)
            return setUpperAsciiFields(row, firstCol, bytes, size, uchar(bar));
    }
    // Any other line is upper-cased into one scratch text: the code page's
    // upper case keeps lengths, so the fields are views into it.
    m_fieldScratch.resize(size);
    char16_t* scratch = reinterpret_cast<char16_t*>(m_fieldScratch.data());
    for (qsizetype i = 0; i < size; ++i) scratch[i] = Vezedad::Cp1252::upperChar(text[i]);
    QVarLengthArray<QStringView, 32> cells;
    qsizetype start = 0;
    for (;;) {
        const qsizetype stop = separator.isEmpty() ? -1 : line.indexOf(separator, start);
        const qsizetype end = stop < 0 ? size : stop;
        ++fields;
        if (cells.size() < wanted) {
            qsizetype a = start;
            qsizetype b = end;
            while (a < b && text[a] == u' ') ++a;
            while (b > a && text[b - 1] == u' ') --b;
            cells.append(QStringView(scratch + a, b - a));
        }
        if (stop < 0) break;
        start = stop + separator.size();
    }
    setCells(row, firstCol, cells.constData(), cells.size());
    releaseLargeScratch();
    return fields;
}

void GridModel::releaseLargeScratch() {
    // Kept between rows for speed, but not the copy of a line of millions
    // of characters.
    constexpr qsizetype kKeep = 1 << 20;
    if (m_byteScratch.capacity() > kKeep) m_byteScratch = QByteArray();
    if (m_fieldScratch.capacity() > kKeep) m_fieldScratch = QString();
}

void GridModel::setColour(int row, int col, quint32 bgr) {
    if (row < 0 || row >= rows() || col < 0 || col >= m_store.columnCount()) return;
    if (m_store.colour(row, col) == (bgr & 0xFFFFFF)) return;
    m_store.setColour(row, col, bgr);
    changed(row, col, row, col);
}

void GridModel::setRowColours(int row, const quint32* bgr, int count) {
    if (row < 0 || row >= rows()) return;
    const auto [first, last] = m_store.setRowColours(row, bgr, count);
    if (first >= 0) changed(row, first, row, last);
}

void GridModel::copyRows(int from, int count, int to) {
    if (from < 0 || to < 0 || count <= 0) return;
    count = std::min(count, rows() - from);
    if (count <= 0) return;
    growing([&] {
        if (rows() < to + count) setRows(to + count);
        m_store.copyRows(from, count, to);
        changed(to, 0, to + count - 1, m_store.columnCount() - 1);
    });
}

void GridModel::dropRowsFrom(int row) {
    // Rows added at the end during a bulk update that the view has not been
    // told of, all empty and white: the row tables keep their room and no
    // row of several colours moves, so taking them away takes no memory.
    if (row < m_shownRows || row >= rows()) return;
    m_store.removeRows(row, rows() - row);
}

void GridModel::deleteRowsKeepingCount(int row, int count) {
    if (row < 0) return;
    count = std::min(count, rows() - row);
    if (count <= 0) return;
    const int total = rows();
    PackedRows::RowChange removal = m_store.prepareRemove(row, count);
    m_store.apply(removal);
    // Empty rows at the end make the count up again: the row tables kept the
    // room of the rows removed, and no row lies beyond them that would move,
    // so this takes no memory and cannot fail.
    m_store.insertRows(total - count, count);
    changed(row, 0, total - 1, m_store.columnCount() - 1);
}

void GridModel::clearBlock(int row1, int col1, int row2, int col2) {
    row1 = std::max(row1, 0);
    col1 = std::max(col1, 0);
    row2 = std::min(row2, rows() - 1);
    col2 = std::min(col2, m_store.columnCount() - 1);
    if (row1 > row2 || col1 > col2) return;
    m_store.clearBlock(row1, col1, row2, col2);
    changed(row1, col1, row2, col2);
}

void GridModel::changed(int row1, int col1, int row2, int col2) {
    if (row1 > row2 || col1 > col2) return;
    if (m_bulkDepth > 0) {
        // A load writes a million rows: their union is kept in four numbers.
        if (m_dirty.isNull()) {
            m_dirty = QRect(QPoint(col1, row1), QPoint(col2, row2));
        } else {
            if (col1 < m_dirty.left()) m_dirty.setLeft(col1);
            if (row1 < m_dirty.top()) m_dirty.setTop(row1);
            if (col2 > m_dirty.right()) m_dirty.setRight(col2);
            if (row2 > m_dirty.bottom()) m_dirty.setBottom(row2);
        }
        return;
    }
    row2 = std::min(row2, m_shownRows - 1);
    if (row1 > row2) return;
    emit dataChanged(index(row1, col1), index(row2, col2));
}

void GridModel::beginBulkUpdate() { ++m_bulkDepth; }

void GridModel::flushPendingRows() {
    if (rows() <= m_shownRows) return;
    beginInsertRows({}, m_shownRows, rows() - 1);
    m_shownRows = rows();
    endInsertRows();
}

void GridModel::endBulkUpdate() {
    if (m_bulkDepth == 0 || --m_bulkDepth > 0) return;
    const int knownRows = m_shownRows;
    flushPendingRows();
    QRect dirty = m_dirty;
    m_dirty = QRect();
    if (m_bulkStructureChanged && !dirty.isNull()) dirty = QRect(0, 0, int(m_columns.size()), m_shownRows);
    m_bulkStructureChanged = false;
    // Rows the view has just been told of are read afresh anyway.
    const int lastRow = std::min(dirty.bottom(), knownRows - 1);
    const int lastCol = std::min(dirty.right(), int(m_columns.size()) - 1);
    if (dirty.isNull() || dirty.top() > lastRow || dirty.left() > lastCol) return;
    emit dataChanged(index(dirty.top(), dirty.left()), index(lastRow, lastCol));
}

} // namespace Dazozuvi
