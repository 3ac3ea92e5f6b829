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
// byte each unless the row holds a character beyond Latin-1), known by a
// four-byte handle of its RecordStore; a row without text costs handle 0.
// Colours index a small palette: a row whose cells all have one colour (a
// checked row without findings is white throughout) keeps that index alone,
// one byte; a row of several colours has one byte per cell in a slot of its
// own, found through a table of such rows alone. Texts are kept exactly as
// given. The tables live in large-memory vectors.
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
    bool rowHasText(int row) const { return m_rows[std::size_t(row)] != 0; }
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
    // Whether every cell of the row has the colour bgr.
    bool allOfColour(int row, quint32 bgr) const {
        const quint8 code = m_rowColours[std::size_t(row)];
        return code != Several && m_palette[code] == (bgr & 0xFFFFFF);
    }

    // A change of rows in two steps: prepare takes all the memory the change
    // needs and changes nothing (it raises std::bad_alloc when memory runs
    // out), apply makes the change and cannot fail. A grid that tells its
    // views of a change in between stays whole when memory runs out.
    class RowChange;
    // New rows are empty and white.
    RowChange prepareInsert(int row, int count);
    RowChange prepareRemove(int row, int count);
    void apply(RowChange& change);
    // Both steps at once: a failure leaves every row as it was.
    void insertRows(int row, int count);
    void removeRows(int row, int count);
    // Rows to .. to + count - 1 become copies of rows from .. from + count - 1,
    // texts and colours alike; the ranges may overlap. A failure leaves every
    // row as it was.
    void copyRows(int from, int count, int to);
    // Empties the texts of a block; colours stay.
    void clearBlock(int row1, int col1, int row2, int col2);

    // The last row and column that hold any text; -1 when none does.
    int lastDataRow() const;
    int lastDataColumn() const;

    // Bytes held for the cells: records, row table, colours.
    std::size_t memoryBytes() const;

private:
    using Record = RecordStore::Handle;
    struct Piece;

    Record build(const Piece* pieces, int count);
    // A record of cells one-byte lengths and characters Latin-1 bytes, its
    // head written: returns where its lengths go, the text after them, both
    // the caller's to write.
    unsigned char* takeNarrow(int cells, qsizetype characters, Record& handle);
    static std::size_t narrowBytes(int cells, qsizetype characters);
    template <class Text> void setPieces(int row, int firstCol, const Text* cells, qsizetype count);
    void replaceRecord(int row, Record record);
    void releaseRecord(Record record);
    // Counts the record in or out of the histogram and the bytes; returns
    // its size.
    std::size_t noteRecord(Record record, int sign);
    const unsigned char* bytes(Record record) const { return m_store.at(record); }
    quint8 paletteIndex(quint32 bgr);

    // A row's colour byte: a palette index for the whole row, or Several:
    // the row's cells are in a slot of m_cellColours, m_columns indices from
    // slot * m_columns, and m_slotOf has the row's slot. A row all of the
    // palette's last colour is such a row too.
    static constexpr quint8 Several = 255;
    struct SlotEntry {
        qint32 row; // Empty for none
        quint32 slot;
    };
    static constexpr qint32 Empty = -1;
    // An open-addressing table from row to slot, linear probing; its size a
    // power of two, at most three quarters full.
    quint32 slotOf(int row) const;
    void setSlotOf(int row, quint32 slot);
    void dropSlotOf(int row);
    // The table's entries with every row moved by its new number (negative:
    // the row goes, its slot is freed); nothing when no row moves.
    template <class NewRow> void renumberSlots(NewRow newRow, RowChange& change) const;
    void rehashSlots(std::size_t capacity);
    // Room for more rows of several colours than there are: the table and
    // their cells, so that storing their colours cannot fail.
    void roomForSlotRows(std::size_t more);
    // Room in a table for more entries, growing it as a vector grows.
    template <class Vector> static void roomFor(Vector& table, std::size_t more);
    quint8 cellIndex(int row, int col) const;
    void cellIndices(int row, quint8* out) const;
    void storeRowColours(int row, const quint8* cells);
    quint32 newSlot();
    quint8* slotCells(quint32 slot) { return m_cellColours.data() + std::size_t(slot) * std::size_t(m_columns); }
    const quint8* slotCells(quint32 slot) const {
        return m_cellColours.data() + std::size_t(slot) * std::size_t(m_columns);
    }
    static int cellCount(const unsigned char* record);
    static std::size_t recordBytes(const unsigned char* record);

    template <class T> using Table = std::vector<T, Vezedad::LargeMemory::Allocator<T>>;

    RecordStore m_store;
    Table<Record> m_rows;
    Table<quint8> m_rowColours;  // per row: a palette index or Several
    Table<quint8> m_cellColours; // slots of m_columns indices
    Table<SlotEntry> m_slotOf;   // rows of several colours to their slots
    std::size_t m_slotRows = 0;  // rows in m_slotOf
    std::vector<quint32> m_freeSlots;
    std::vector<quint32> m_palette;
    std::vector<qint64> m_rowsEndingAt; // per column: rows whose last text is in it
    int m_columns = 0;
    std::size_t m_recordBytes = 0;
    mutable int m_lastRow = -1;      // never below the last row with text
    mutable bool m_lastExact = true; // m_lastRow is that row exactly
};

class PackedRows::RowChange {
public:
    RowChange() = default;
    RowChange(RowChange&&) noexcept = default;
    RowChange& operator=(RowChange&&) noexcept = default;

private:
    friend class PackedRows;
    bool insert = true;
    int row = 0;
    int count = 0; // 0: nothing to change
    // The rows of several colours as they stand after the change, and the
    // slots the rows that go free; renumber false when no such row moves.
    bool renumber = false;
    std::vector<SlotEntry> moved;
    std::vector<quint32> freed;
};

} // namespace Dazozuvi
