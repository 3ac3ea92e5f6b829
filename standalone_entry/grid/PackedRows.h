#pragma once
#include "grid/RecordStore.h"

#include "Vezedad/foundation/LargeMemory.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <utility>
#include <vector>

namespace Dazozuvi {

// The cells of a grid in little memory, counted from 0. A row that holds text
// is one packed byte record (its cells' lengths, then their characters, one
// byte each unless the row holds a character beyond Latin-1); a row without
// text costs one null pointer. Colours index a small palette: a row whose
// cells all have one colour (a checked row without findings is white
// throughout) keeps that index alone; a row of several colours has one byte
// per cell in a slot of its own. Texts are kept exactly as given. The
// records live in a RecordStore, the tables in large-memory vectors.
class PackedRows {
public:
    explicit PackedRows(int columns = 0);
    ~PackedRows();
    PackedRows(const PackedRows&) = delete;
    PackedRows& operator=(const PackedRows&) = delete;

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return m_columns; }
    // Rows and columns beyond a smaller count are dropped with their data.
    void setRowCount(int rows);
    // Room for this many rows, so that the row tables are not moved as a
    // load adds them: memory that no row reaches stays the system's. Only
    // advice: room the system refuses is not taken.
    void reserveRows(int rows);
    void setColumnCount(int columns);

    // At most maxLength characters of it when maxLength is not negative.
    QString text(int row, int col, qsizetype maxLength = -1) const;
    bool hasText(int row, int col) const;
    bool rowHasText(int row) const { return m_rows[std::size_t(row)] != nullptr; }
    // Every cell of a row at once, as views into buffer (valid until buffer
    // changes): out receives columnCount() views. No allocation once buffer
    // has grown to the longest row.
    void rowCells(int row, QString& buffer, QStringView* out) const;
    // A row's cells as its record holds them when that is one byte a
    // character and a byte a length: the cells' bytes one after the other
    // from text, lengths[i] the length of cell i for i below cells (the
    // cells after the last with text are not held; an empty row has none).
    // False, and nothing set, for any other row.
    bool narrowCells(int row, const uchar*& text, const uchar*& lengths, int& cells) const;
    void setText(int row, int col, QStringView text);
    // Replaces cells firstCol .. firstCol + count - 1 of a row in one step;
    // cells beyond the last column are dropped.
    void setCells(int row, int firstCol, const QStringView* cells, qsizetype count);
    // The same for Latin-1 texts.
    void setCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count);
    // The same for texts of ASCII bytes (each below 0x80), stored with their
    // letters upper-cased; the texts themselves are left as they are.
    void setUpperAsciiCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count);

    // 0x00BBGGRR; white until set.
    quint32 colour(int row, int col) const;
    void setColour(int row, int col, quint32 bgr);
    // The colours of a row's first count cells at once; KeepColour leaves a
    // cell as it is. Returns the first and last column that changed, or -1
    // twice when none did.
    static constexpr quint32 KeepColour = 0xFFFFFFFF;
    std::pair<int, int> setRowColours(int row, const quint32* bgr, int count);

    // New rows are empty and white.
    void insertRows(int row, int count);
    void removeRows(int row, int count);
    // Rows to .. to + count - 1 become copies of rows from .. from + count - 1,
    // texts and colours alike; the ranges may overlap.
    void copyRows(int from, int count, int to);
    // Empties the texts of a block; colours stay.
    void clearBlock(int row1, int col1, int row2, int col2);

    // The last row and column that hold any text; -1 when none does.
    int lastDataRow() const;
    int lastDataColumn() const;

    // Bytes held for the cells: records, row table, colours.
    std::size_t memoryBytes() const;

private:
    using Record = unsigned char*;
    struct Piece;

    Record build(const Piece* pieces, int count);
    // A record of cells one-byte lengths and characters Latin-1 bytes, its
    // head written; the lengths and the text are the caller's to write.
    Record takeNarrow(int cells, qsizetype characters);
    template <class Text> void setPieces(int row, int firstCol, const Text* cells, qsizetype count);
    void replaceRecord(int row, Record record);
    void releaseRecord(Record record);
    void noteRecord(Record record, int sign);
    quint8 paletteIndex(quint32 bgr);
    // Row colours: below Slots a palette index for the whole row, from Slots
    // on the row's own cells at slot (code - Slots) of m_cellColours.
    static constexpr quint32 Slots = 256;
    quint8 cellIndex(int row, int col) const;
    void cellIndices(int row, quint8* out) const;
    void storeRowColours(int row, const quint8* cells);
    quint32 newSlot();
    void freeSlot(quint32 code);
    quint8* slotCells(quint32 code) {
        return m_cellColours.data() + std::size_t(code - Slots) * std::size_t(m_columns);
    }
    const quint8* slotCells(quint32 code) const {
        return m_cellColours.data() + std::size_t(code - Slots) * std::size_t(m_columns);
    }
    static int cellCount(const unsigned char* record);
    static std::size_t recordBytes(const unsigned char* record);

    template <class T> using Table = std::vector<T, Vezedad::LargeMemory::Allocator<T>>;

    RecordStore m_store; // declared first: it goes after the tables that point into it
    Table<Record> m_rows;
    Table<quint32> m_rowColours; // per row: a palette index or a slot
    Table<quint8> m_cellColours; // slots of m_columns indices
    std::vector<quint32> m_freeSlots;
    std::vector<quint32> m_palette;
    std::vector<qint64> m_rowsEndingAt; // per column: rows whose last text is in it
    int m_columns = 0;
    std::size_t m_recordBytes = 0;
    mutable int m_lastRow = -1;      // never below the last row with text
    mutable bool m_lastExact = true; // m_lastRow is that row exactly
};

} // namespace Dazozuvi
