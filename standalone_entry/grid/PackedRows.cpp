#include "grid/PackedRows.h"

#include "grid/GridTypes.h"
#include "grid/TextScan.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>

// A record: flags (bit 0: four-byte lengths, bit 1: UTF-16 text), one spare
// byte, the number of cells it holds (16 bits; trailing empty cells are not
// stored), each cell's length in characters (one byte each, or four when a
// cell is longer than 255), then the characters of all cells one after the
// other, as Latin-1 bytes or, padded to an even offset, as UTF-16 units.
// The usual record, Latin-1 cells of at most 255 characters and no more than
// 127 of them, has a head of one byte instead: bit 7 set and the number of
// cells (three bytes a row are three megabytes of a million-row report).

namespace Dazozuvi {

namespace {

constexpr unsigned char kWide = 1;
constexpr unsigned char kUtf16 = 2;
constexpr std::size_t kHead = 4;
constexpr unsigned char kShort = 0x80;
constexpr int kShortCells = 0x7F;

struct Layout {
    int cells = 0;
    bool wide = false;
    bool utf16 = false;
    const unsigned char* lengths = nullptr;
    const unsigned char* text = nullptr;

    explicit Layout(const unsigned char* record) {
        if (record[0] & kShort) {
            cells = record[0] & kShortCells;
            lengths = record + 1;
            text = lengths + cells;
            return;
        }
        quint16 n = 0;
        std::memcpy(&n, record + 2, sizeof n);
        cells = n;
        wide = record[0] & kWide;
        utf16 = record[0] & kUtf16;
        lengths = record + kHead;
        std::size_t head = kHead + std::size_t(cells) * (wide ? 4 : 1);
        if (utf16 && (head & 1)) ++head;
        text = record + head;
    }

    qsizetype length(int cell) const {
        if (!wide) return lengths[cell];
        quint32 n = 0;
        std::memcpy(&n, lengths + std::size_t(cell) * 4, sizeof n);
        return qsizetype(n);
    }

    // The characters of one cell and their number.
    const unsigned char* cell(int index, qsizetype& size) const {
        qsizetype offset = 0;
        for (int i = 0; i < index; ++i) offset += length(i);
        size = length(index);
        return text + offset * (utf16 ? 2 : 1);
    }

    qsizetype totalLength() const {
        qsizetype total = 0;
        for (int i = 0; i < cells; ++i) total += length(i);
        return total;
    }

    // The bytes of the record this is the layout of.
    std::size_t bytes(const unsigned char* record) const {
        return std::size_t(text - record) + std::size_t(totalLength()) * (utf16 ? 2 : 1);
    }
};

bool beyondLatin1(const char16_t* text, qsizetype size) {
    char16_t seen = 0;
    for (qsizetype i = 0; i < size; ++i) seen |= text[i];
    return seen > 0xFF;
}

} // namespace

// One cell's text while a record is built: Latin-1 bytes or UTF-16 units,
// pointing into an old record or into the caller's text.
struct PackedRows::Piece {
    const void* data = nullptr;
    qsizetype size = 0;
    bool utf16 = false;
};

PackedRows::PackedRows(int columns) : m_palette{CellColour::White} { setColumnCount(columns); }

// The store takes its blocks and the long records on the heap back whole.
PackedRows::~PackedRows() = default;

int PackedRows::cellCount(const unsigned char* record) { return Layout(record).cells; }

std::size_t PackedRows::recordBytes(const unsigned char* record) { return Layout(record).bytes(record); }

std::size_t PackedRows::narrowBytes(int cells, qsizetype characters) {
    return (cells <= kShortCells ? 1 : kHead) + std::size_t(cells) + std::size_t(characters);
}

unsigned char* PackedRows::takeNarrow(int cells, qsizetype characters, Record& handle) {
    const RecordStore::Placed placed = m_store.place(narrowBytes(cells, characters));
    handle = placed.handle;
    unsigned char* record = placed.at;
    if (cells <= kShortCells) {
        record[0] = static_cast<unsigned char>(kShort | cells);
        return record + 1;
    }
    record[0] = 0;
    record[1] = 0;
    const quint16 n = quint16(cells);
    std::memcpy(record + 2, &n, sizeof n);
    return record + kHead;
}

PackedRows::Record PackedRows::build(const Piece* pieces, int count) {
    while (count > 0 && pieces[count - 1].size == 0) --count;
    if (count <= 0) return 0;
    bool wide = false;
    qsizetype total = 0;
    for (int i = 0; i < count; ++i) {
        total += pieces[i].size;
        wide = wide || pieces[i].size > 255;
    }
    if (!wide) {
        // Most rows hold short Latin-1 cells: narrow them in the pass that
        // looks for wider characters, and build the general way only when
        // one turns up.
        Record narrow = 0;
        unsigned char* lengths = takeNarrow(count, total, narrow);
        unsigned char* out = lengths + count;
        char16_t seen = 0;
        for (int i = 0; i < count; ++i) {
            const Piece& p = pieces[i];
            lengths[i] = static_cast<unsigned char>(p.size);
            if (p.utf16) {
                const auto* src = static_cast<const char16_t*>(p.data);
                for (qsizetype k = 0; k < p.size; ++k) {
                    seen |= src[k];
                    out[k] = static_cast<unsigned char>(src[k]);
                }
            } else if (p.size > 0) {
                std::memcpy(out, p.data, std::size_t(p.size));
            }
            out += p.size;
        }
        if (seen <= 0xFF) return narrow;
        m_store.give(narrow, narrowBytes(count, total));
    }
    bool utf16 = false;
    for (int i = 0; i < count && !utf16; ++i)
        utf16 = pieces[i].utf16 && beyondLatin1(static_cast<const char16_t*>(pieces[i].data), pieces[i].size);
    std::size_t head = kHead + std::size_t(count) * (wide ? 4 : 1);
    if (utf16 && (head & 1)) ++head;
    const std::size_t bytes = head + std::size_t(total) * (utf16 ? 2 : 1);
    const RecordStore::Placed placed = m_store.place(bytes);
    const Record handle = placed.handle;
    unsigned char* record = placed.at;
    record[0] = (wide ? kWide : 0) | (utf16 ? kUtf16 : 0);
    record[1] = 0;
    const quint16 n = quint16(count);
    std::memcpy(record + 2, &n, sizeof n);
    unsigned char* lengths = record + kHead;
    unsigned char* out = record + head;
    for (int i = 0; i < count; ++i) {
        const Piece& p = pieces[i];
        if (wide) {
            const quint32 size = quint32(p.size);
            std::memcpy(lengths + std::size_t(i) * 4, &size, sizeof size);
        } else {
            lengths[i] = static_cast<unsigned char>(p.size);
        }
        if (p.size == 0) continue;
        if (utf16) {
            auto* dst = reinterpret_cast<char16_t*>(out);
            if (p.utf16) {
                std::memcpy(dst, p.data, std::size_t(p.size) * 2);
            } else {
                const auto* src = static_cast<const unsigned char*>(p.data);
                for (qsizetype k = 0; k < p.size; ++k) dst[k] = src[k];
            }
            out += p.size * 2;
        } else {
            if (p.utf16) {
                const auto* src = static_cast<const char16_t*>(p.data);
                for (qsizetype k = 0; k < p.size; ++k) out[k] = static_cast<unsigned char>(src[k]);
            } else {
                std::memcpy(out, p.data, std::size_t(p.size));
            }
            out += p.size;
        }
    }
    return handle;
}

std::size_t PackedRows::noteRecord(Record record, int sign) {
    const unsigned char* at = bytes(record);
    const Layout layout(at);
    m_rowsEndingAt[std::size_t(layout.cells - 1)] += sign;
    const std::size_t size = layout.bytes(at);
    m_recordBytes = sign > 0 ? m_recordBytes + size : m_recordBytes - size;
    return size;
}

void PackedRows::releaseRecord(Record record) {
    if (!record) return;
    m_store.give(record, noteRecord(record, -1));
}

void PackedRows::replaceRecord(int row, Record record) {
    Record& slot = m_rows[std::size_t(row)];
    const bool hadText = slot != 0;
    releaseRecord(slot);
    slot = record;
    if (record) {
        noteRecord(record, +1);
        if (row >= m_lastRow) {
            m_lastRow = row;
            m_lastExact = true;
        }
    } else if (hadText && row == m_lastRow) {
        m_lastExact = false;
    }
}

void PackedRows::setColumnCount(int columns) {
    columns = std::max(columns, 0);
    if (columns == m_columns) return;
    if (columns < m_columns) {
        // Cut every record down to the remaining columns.
        for (int r = 0; r < rowCount(); ++r) {
            const Record record = m_rows[std::size_t(r)];
            if (!record || cellCount(bytes(record)) <= columns) continue;
            const Layout layout(bytes(record));
            QVarLengthArray<Piece, 32> pieces(columns, Piece{});
            for (int c = 0; c < columns; ++c) {
                pieces[c].data = layout.cell(c, pieces[c].size);
                pieces[c].utf16 = layout.utf16;
            }
            // The histogram is rebuilt below for the new width.
            const Record cut = build(pieces.data(), columns);
            m_recordBytes -= recordBytes(bytes(record));
            m_store.give(record, recordBytes(bytes(record)));
            m_rows[std::size_t(r)] = cut;
            if (cut) m_recordBytes += recordBytes(bytes(cut));
        }
    }
    // New cells are white; a row of one colour stays one unless it gains
    // white cells beside another colour.
    Table<quint8> rowColours(m_rowColours.size(), 0);
    Table<quint8> cellColours;
    std::vector<int> several;
    QVarLengthArray<quint8, 32> cells(std::max(columns, 1));
    QVarLengthArray<quint8, 32> old(std::max(m_columns, 1));
    for (int r = 0; r < rowCount(); ++r) {
        cellIndices(r, old.data());
        for (int c = 0; c < columns; ++c) cells[c] = c < m_columns ? old[c] : quint8(0);
        bool uniform = true;
        for (int c = 1; c < columns && uniform; ++c) uniform = cells[c] == cells[0];
        if (uniform && (columns == 0 || cells[0] != Several)) {
            rowColours[std::size_t(r)] = columns > 0 ? cells[0] : 0;
        } else {
            rowColours[std::size_t(r)] = Several;
            several.push_back(r);
            cellColours.insert(cellColours.end(), cells.begin(), cells.begin() + columns);
        }
    }
    std::size_t capacity = 16;
    while (several.size() * 4 > capacity * 3) capacity *= 2;
    Table<SlotEntry> slotOf(several.empty() ? 0 : capacity, SlotEntry{Empty, 0});
    m_rowColours.swap(rowColours);
    m_cellColours.swap(cellColours);
    m_slotOf.swap(slotOf);
    m_slotRows = 0;
    // Slots in the order of their rows.
    for (std::size_t i = 0; i < several.size(); ++i) setSlotOf(several[i], quint32(i));
    m_freeSlots.clear();
    m_columns = columns;
    m_rowsEndingAt.assign(std::size_t(columns), 0);
    for (const Record record : m_rows)
        if (record) ++m_rowsEndingAt[std::size_t(cellCount(bytes(record)) - 1)];
    m_lastExact = false;
}

void PackedRows::setRowCount(int rows) {
    rows = std::max(rows, 0);
    if (rows > rowCount())
        insertRows(rowCount(), rows - rowCount());
    else if (rows < rowCount())
        removeRows(rows, rowCount() - rows);
}

void PackedRows::reserveRows(int rows) {
    try {
        m_rows.reserve(std::size_t(std::max(rows, 0)));
        m_rowColours.reserve(std::size_t(std::max(rows, 0)));
    } catch (const std::bad_alloc&) {
        // The tables then grow as rows come.
    }
}

QString PackedRows::text(int row, int col, qsizetype maxLength) const {
    const unsigned char* record = bytes(m_rows[std::size_t(row)]);
    if (!record) return {};
    const Layout layout(record);
    if (col >= layout.cells) return {};
    qsizetype size = 0;
    const unsigned char* data = layout.cell(col, size);
    if (maxLength >= 0 && size > maxLength) size = maxLength;
    if (layout.utf16) return QString(reinterpret_cast<const QChar*>(data), size);
    return QString::fromLatin1(reinterpret_cast<const char*>(data), size);
}

void PackedRows::rowCells(int row, QString& buffer, QStringView* out) const {
    const unsigned char* record = bytes(m_rows[std::size_t(row)]);
    int filled = 0;
    if (record) {
        const Layout layout(record);
        const qsizetype total = layout.totalLength();
        if (buffer.size() < total) {
            buffer.resize(total);
            // The text of a row of millions of characters comes in by huge
            // pages, not by a page fault every two thousand characters.
            if (std::size_t(total) * 2 >= Vezedad::LargeMemory::kThreshold)
                Vezedad::LargeMemory::advise(buffer.data(), std::size_t(total) * 2);
        }
        auto* dst = reinterpret_cast<char16_t*>(buffer.data());
        if (layout.utf16) {
            std::memcpy(dst, layout.text, std::size_t(total) * 2);
        } else {
            TextScan::widenLatin1(layout.text, dst, total);
        }
        qsizetype offset = 0;
        for (; filled < layout.cells && filled < m_columns; ++filled) {
            const qsizetype size = layout.length(filled);
            out[filled] = QStringView(dst + offset, size);
            offset += size;
        }
    }
    for (; filled < m_columns; ++filled) out[filled] = QStringView();
}

bool PackedRows::narrowCells(int row, const uchar*& text, const uchar*& lengths, int& cells) const {
    const unsigned char* record = bytes(m_rows[std::size_t(row)]);
    if (!record) {
        text = lengths = nullptr;
        cells = 0;
        return true;
    }
    const Layout layout(record);
    if (layout.wide || layout.utf16) return false;
    text = layout.text;
    lengths = layout.lengths;
    cells = layout.cells;
    return true;
}

bool PackedRows::hasText(int row, int col) const {
    const unsigned char* record = bytes(m_rows[std::size_t(row)]);
    if (!record) return false;
    const Layout layout(record);
    return col < layout.cells && layout.length(col) > 0;
}

void PackedRows::setText(int row, int col, QStringView text) { setCells(row, col, &text, 1); }

template <class Text> void PackedRows::setPieces(int row, int firstCol, const Text* cells, qsizetype count) {
    if (firstCol < 0 || firstCol >= m_columns) return;
    count = std::min<qsizetype>(count, m_columns - firstCol);
    if (count <= 0) return;
    const Record old = m_rows[std::size_t(row)];
    if (!old) {
        bool any = false;
        for (qsizetype i = 0; i < count && !any; ++i) any = !cells[i].isEmpty();
        if (!any) return;
    }
    const unsigned char* oldBytes = bytes(old);
    const int oldCells = old ? cellCount(oldBytes) : 0;
    const int n = std::max<int>(oldCells, firstCol + int(count));
    QVarLengthArray<Piece, 32> pieces(n, Piece{});
    if (old) {
        const Layout layout(oldBytes);
        for (int c = 0; c < oldCells; ++c) {
            pieces[c].data = layout.cell(c, pieces[c].size);
            pieces[c].utf16 = layout.utf16;
        }
    }
    for (qsizetype i = 0; i < count; ++i) {
        Piece& p = pieces[firstCol + int(i)];
        p.data = cells[i].data();
        p.size = cells[i].size();
        p.utf16 = std::is_same_v<Text, QStringView>;
    }
    replaceRecord(row, build(pieces.data(), n));
}

void PackedRows::setCells(int row, int firstCol, const QStringView* cells, qsizetype count) {
    setPieces(row, firstCol, cells, count);
}

void PackedRows::setCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count) {
    setPieces(row, firstCol, cells, count);
}

void PackedRows::setUpperAsciiCells(int row, int firstCol, const QLatin1StringView* cells, qsizetype count) {
    if (firstCol < 0 || firstCol >= m_columns) return;
    count = std::min<qsizetype>(count, m_columns - firstCol);
    if (count <= 0) return;
    qsizetype stored = count; // trailing empty cells are not stored
    while (stored > 0 && cells[stored - 1].isEmpty()) --stored;
    qsizetype total = 0;
    bool shortCells = true;
    for (qsizetype i = 0; i < stored; ++i) {
        total += cells[i].size();
        shortCells = shortCells && cells[i].size() <= 255;
    }
    if (m_rows[std::size_t(row)] || firstCol != 0 || !shortCells || stored == 0) {
        // A row that holds text already, or a rare shape, is written the
        // general way from an upper-cased copy.
        QByteArray upper;
        upper.reserve(total);
        QVarLengthArray<QLatin1StringView, 32> copies(count);
        for (qsizetype i = 0; i < count; ++i) {
            const qsizetype at = upper.size();
            upper.append(cells[i].data(), cells[i].size());
            TextScan::upperAsciiBytes(reinterpret_cast<uchar*>(upper.data()) + at, cells[i].size());
            copies[i] = QLatin1StringView(upper.constData() + at, cells[i].size());
        }
        setPieces(row, firstCol, copies.constData(), count);
        return;
    }
    // Every loaded row: its record is written straight from the texts,
    // upper-cased where it lands, without a copy of the row on the way.
    Record handle = 0;
    unsigned char* lengths = takeNarrow(int(stored), total, handle);
    unsigned char* text = lengths + stored;
    unsigned char* out = text;
    for (qsizetype i = 0; i < stored; ++i) {
        lengths[i] = static_cast<unsigned char>(cells[i].size());
        if (!cells[i].isEmpty()) std::memcpy(out, cells[i].data(), std::size_t(cells[i].size()));
        out += cells[i].size();
    }
    TextScan::upperAsciiBytes(text, total);
    replaceRecord(row, handle);
}

quint8 PackedRows::paletteIndex(quint32 bgr) {
    bgr &= 0xFFFFFF;
    for (std::size_t i = 0; i < m_palette.size(); ++i)
        if (m_palette[i] == bgr) return quint8(i);
    if (m_palette.size() >= 256) throw std::length_error("A grid can show at most 256 different cell colours.");
    m_palette.push_back(bgr);
    return quint8(m_palette.size() - 1);
}

namespace {

std::size_t slotHome(qint32 row, std::size_t mask) {
    quint32 h = quint32(row) * 0x9E3779B1u;
    h ^= h >> 15;
    return std::size_t(h) & mask;
}

} // namespace

quint32 PackedRows::slotOf(int row) const {
    const std::size_t mask = m_slotOf.size() - 1;
    for (std::size_t i = slotHome(row, mask);; i = (i + 1) & mask) {
        if (m_slotOf[i].row == row) return m_slotOf[i].slot;
        // Every row marked Several is in the table.
        Q_ASSERT(m_slotOf[i].row != Empty);
        if (m_slotOf[i].row == Empty) return 0;
    }
}

void PackedRows::setSlotOf(int row, quint32 slot) {
    // Room is made before: this never throws.
    const std::size_t mask = m_slotOf.size() - 1;
    std::size_t i = slotHome(row, mask);
    while (m_slotOf[i].row != Empty && m_slotOf[i].row != row) i = (i + 1) & mask;
    if (m_slotOf[i].row == Empty) ++m_slotRows;
    m_slotOf[i] = {row, slot};
}

void PackedRows::dropSlotOf(int row) {
    const std::size_t mask = m_slotOf.size() - 1;
    std::size_t hole = slotHome(row, mask);
    while (m_slotOf[hole].row != row) {
        if (m_slotOf[hole].row == Empty) return;
        hole = (hole + 1) & mask;
    }
    // Later entries of the run move back into the hole unless that would
    // put them before their home.
    for (std::size_t i = (hole + 1) & mask; m_slotOf[i].row != Empty; i = (i + 1) & mask) {
        const std::size_t home = slotHome(m_slotOf[i].row, mask);
        const bool stays = hole <= i ? hole < home && home <= i : hole < home || home <= i;
        if (stays) continue;
        m_slotOf[hole] = m_slotOf[i];
        hole = i;
    }
    m_slotOf[hole].row = Empty;
    --m_slotRows;
}

void PackedRows::rehashSlots(std::size_t capacity) {
    Table<SlotEntry> old(capacity, SlotEntry{Empty, 0});
    old.swap(m_slotOf);
    m_slotRows = 0;
    for (const SlotEntry& entry : old)
        if (entry.row != Empty) setSlotOf(entry.row, entry.slot);
}

template <class NewRow> void PackedRows::renumberSlots(NewRow newRow, RowChange& change) const {
    if (m_slotRows == 0) return;
    // Rows added or taken away after the last such row move none of them.
    if (std::none_of(m_slotOf.begin(), m_slotOf.end(),
                     [&](const SlotEntry& entry) { return entry.row != Empty && newRow(entry.row) != entry.row; }))
        return;
    change.renumber = true;
    change.moved.reserve(m_slotRows);
    for (const SlotEntry& entry : m_slotOf) {
        if (entry.row == Empty) continue;
        const int row = newRow(entry.row);
        if (row >= 0)
            change.moved.push_back({row, entry.slot});
        else
            change.freed.push_back(entry.slot);
    }
}

template <class Vector> void PackedRows::roomFor(Vector& table, std::size_t more) {
    const std::size_t size = table.size();
    if (table.capacity() - size >= more) return;
    // As a vector grows by itself: rows added one at a time, as a load adds
    // them, move the table a few times, not once a row.
    table.reserve(size + std::max(size, more));
}

void PackedRows::roomForSlotRows(std::size_t more) {
    if (more == 0) return;
    std::size_t capacity = std::max<std::size_t>(16, m_slotOf.size());
    while ((m_slotRows + more) * 4 > capacity * 3) capacity *= 2;
    if (capacity != m_slotOf.size()) rehashSlots(capacity);
    roomFor(m_cellColours, more * std::size_t(m_columns));
}

quint8 PackedRows::cellIndex(int row, int col) const {
    const quint8 code = m_rowColours[std::size_t(row)];
    return code != Several ? code : slotCells(slotOf(row))[col];
}

void PackedRows::cellIndices(int row, quint8* out) const {
    const quint8 code = m_rowColours[std::size_t(row)];
    if (code != Several)
        std::memset(out, int(code), std::size_t(m_columns));
    else
        std::memcpy(out, slotCells(slotOf(row)), std::size_t(m_columns));
}

quint32 PackedRows::newSlot() {
    if (!m_freeSlots.empty()) {
        const quint32 slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        return slot;
    }
    const quint32 slot = quint32(m_cellColours.size() / std::size_t(m_columns));
    m_cellColours.resize(m_cellColours.size() + std::size_t(m_columns));
    return slot;
}

void PackedRows::storeRowColours(int row, const quint8* cells) {
    quint8& code = m_rowColours[std::size_t(row)];
    bool uniform = true;
    for (int c = 1; c < m_columns && uniform; ++c) uniform = cells[c] == cells[0];
    if (uniform && (m_columns == 0 || cells[0] != Several)) {
        if (code == Several) {
            m_freeSlots.push_back(slotOf(row));
            dropSlotOf(row);
        }
        code = m_columns > 0 ? cells[0] : 0;
        return;
    }
    if (code != Several) {
        if ((m_slotRows + 1) * 4 > m_slotOf.size() * 3) rehashSlots(std::max<std::size_t>(16, m_slotOf.size() * 2));
        setSlotOf(row, newSlot()); // newSlot may move the slots
        code = Several;
    }
    std::memcpy(slotCells(slotOf(row)), cells, std::size_t(m_columns));
}

quint32 PackedRows::colour(int row, int col) const { return m_palette[cellIndex(row, col)]; }

void PackedRows::setColour(int row, int col, quint32 bgr) {
    const quint8 index = paletteIndex(bgr);
    if (cellIndex(row, col) == index) return;
    QVarLengthArray<quint8, 32> cells(m_columns);
    cellIndices(row, cells.data());
    cells[col] = index;
    storeRowColours(row, cells.data());
}

std::pair<int, int> PackedRows::setRowColours(int row, const quint32* bgr, int count) {
    // Most checked rows keep the one colour they had (a valid row stays
    // white): nothing to find in the palette or to store.
    const quint8 code = m_rowColours[std::size_t(row)];
    if (code != Several) {
        const quint32 current = m_palette[code];
        bool same = true;
        for (int c = 0; c < count && c < m_columns; ++c) same &= bgr[c] == KeepColour || (bgr[c] & 0xFFFFFF) == current;
        if (same) return {-1, -1};
    }
    QVarLengthArray<quint8, 32> cells(std::max(m_columns, 1));
    cellIndices(row, cells.data());
    int first = -1;
    int last = -1;
    quint32 known = KeepColour;
    quint8 knownIndex = 0;
    for (int c = 0; c < count && c < m_columns; ++c) {
        if (bgr[c] == KeepColour) continue;
        if (bgr[c] != known) {
            known = bgr[c];
            knownIndex = paletteIndex(known);
        }
        if (cells[c] == knownIndex) continue;
        cells[c] = knownIndex;
        if (first < 0) first = c;
        last = c;
    }
    if (first >= 0) storeRowColours(row, cells.data());
    return {first, last};
}

// Memory runs out only while a change is prepared: the rows, their colours,
// their records and the table of rows of several colours then stay as they
// were. Applied, the change takes nothing more (the tables have their room,
// records go back to the store without memory of their own).
PackedRows::RowChange PackedRows::prepareInsert(int row, int count) {
    RowChange change;
    if (count <= 0) return change;
    roomFor(m_rows, std::size_t(count));
    roomFor(m_rowColours, std::size_t(count));
    renumberSlots([row, count](int r) { return r >= row ? r + count : r; }, change);
    change.insert = true;
    change.row = row;
    change.count = count;
    return change;
}

PackedRows::RowChange PackedRows::prepareRemove(int row, int count) {
    RowChange change;
    if (count <= 0) return change;
    renumberSlots([row, count](int r) { return r < row ? r : r < row + count ? -1 : r - count; }, change);
    roomFor(m_freeSlots, change.freed.size());
    change.insert = false;
    change.row = row;
    change.count = count;
    return change;
}

void PackedRows::apply(RowChange& change) {
    const int row = change.row;
    const int count = change.count;
    if (count <= 0) return;
    change.count = 0;
    if (change.insert) {
        Q_ASSERT(m_rows.capacity() - m_rows.size() >= std::size_t(count));
        Q_ASSERT(m_rowColours.capacity() - m_rowColours.size() >= std::size_t(count));
        m_rows.insert(m_rows.begin() + row, std::size_t(count), 0);
        m_rowColours.insert(m_rowColours.begin() + row, std::size_t(count), 0);
        if (m_lastRow >= row) m_lastRow += count;
    } else {
        for (int r = row; r < row + count; ++r) releaseRecord(m_rows[std::size_t(r)]);
        m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
        m_rowColours.erase(m_rowColours.begin() + row, m_rowColours.begin() + row + count);
        if (m_lastRow >= row + count) {
            m_lastRow -= count;
        } else if (m_lastRow >= row) {
            m_lastRow = row - 1;
            m_lastExact = false;
        }
    }
    if (!change.renumber) return;
    // The table keeps its size and holds no more rows than before.
    std::fill(m_slotOf.begin(), m_slotOf.end(), SlotEntry{Empty, 0});
    m_slotRows = 0;
    for (const SlotEntry& entry : change.moved) setSlotOf(entry.row, entry.slot);
    Q_ASSERT(m_freeSlots.capacity() - m_freeSlots.size() >= change.freed.size());
    m_freeSlots.insert(m_freeSlots.end(), change.freed.begin(), change.freed.end());
}

void PackedRows::insertRows(int row, int count) {
    RowChange change = prepareInsert(row, count);
    apply(change);
}

void PackedRows::removeRows(int row, int count) {
    RowChange change = prepareRemove(row, count);
    apply(change);
}

void PackedRows::copyRows(int from, int count, int to) {
    if (count <= 0 || from == to) return;
    // Everything the copy needs is taken first: the records' copies, the
    // colours of the source rows as they were (before any target row, which
    // may be one of them, takes its new ones), and room for the targets that
    // become rows of several colours and for the slots of those that stop
    // being such rows.
    std::vector<Record> copies(std::size_t(count), 0);
    std::vector<quint8> codes(static_cast<std::size_t>(count));
    std::vector<quint8> cells;
    try {
        for (int i = 0; i < count; ++i) {
            const Record source = m_rows[std::size_t(from + i)];
            if (!source) continue;
            const std::size_t size = recordBytes(bytes(source));
            const RecordStore::Placed copy = m_store.place(size);
            copies[std::size_t(i)] = copy.handle;
            std::memcpy(copy.at, bytes(source), size);
        }
        std::size_t several = 0;
        std::size_t targetsOfSeveral = 0;
        for (int i = 0; i < count; ++i) {
            codes[std::size_t(i)] = m_rowColours[std::size_t(from + i)];
            if (codes[std::size_t(i)] == Several) ++several;
            if (m_rowColours[std::size_t(to + i)] == Several) ++targetsOfSeveral;
        }
        cells.reserve(several * std::size_t(m_columns));
        for (int i = 0; i < count; ++i) {
            if (codes[std::size_t(i)] != Several) continue;
            const quint8* source = slotCells(slotOf(from + i));
            cells.insert(cells.end(), source, source + m_columns);
        }
        roomForSlotRows(several);
        roomFor(m_freeSlots, targetsOfSeveral);
    } catch (...) {
        for (const Record copy : copies)
            if (copy) m_store.give(copy, recordBytes(bytes(copy)));
        throw;
    }
    for (int i = 0; i < count; ++i) replaceRecord(to + i, copies[std::size_t(i)]);
    const quint8* next = cells.data();
    for (int i = 0; i < count; ++i) {
        if (codes[std::size_t(i)] == Several) {
            storeRowColours(to + i, next);
            next += m_columns;
            continue;
        }
        quint8& code = m_rowColours[std::size_t(to + i)];
        if (code == Several) {
            m_freeSlots.push_back(slotOf(to + i));
            dropSlotOf(to + i);
        }
        code = codes[std::size_t(i)];
    }
}

void PackedRows::clearBlock(int row1, int col1, int row2, int col2) {
    row1 = std::max(row1, 0);
    col1 = std::max(col1, 0);
    row2 = std::min(row2, rowCount() - 1);
    col2 = std::min(col2, m_columns - 1);
    for (int r = row1; r <= row2 && col1 <= col2; ++r) {
        const Record record = m_rows[std::size_t(r)];
        if (!record) continue;
        const int cells = cellCount(bytes(record));
        if (col1 >= cells) continue;
        if (col1 == 0 && col2 >= cells - 1) {
            replaceRecord(r, 0);
            continue;
        }
        const int last = std::min(col2, cells - 1);
        const std::vector<QStringView> blanks(std::size_t(last - col1 + 1));
        setCells(r, col1, blanks.data(), qsizetype(blanks.size()));
    }
}

int PackedRows::lastDataRow() const {
    if (!m_lastExact) {
        while (m_lastRow >= 0 && !m_rows[std::size_t(m_lastRow)]) --m_lastRow;
        m_lastExact = true;
    }
    return m_lastRow;
}

int PackedRows::lastDataColumn() const {
    for (int c = m_columns - 1; c >= 0; --c)
        if (m_rowsEndingAt[std::size_t(c)] > 0) return c;
    return -1;
}

std::size_t PackedRows::memoryBytes() const {
    return m_recordBytes + m_rows.capacity() * sizeof(Record) + m_rowColours.capacity() + m_cellColours.capacity() +
           m_slotOf.capacity() * sizeof(SlotEntry);
}

} // namespace Dazozuvi
