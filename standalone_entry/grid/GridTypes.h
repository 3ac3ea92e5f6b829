#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// Plain values shared by the report grid, its model, editors and printer.
// Rows and columns the forms see are numbered from 1; the model underneath
// counts from 0, as Qt models do.
namespace Dazozuvi {

// Cell check colours as 0x00BBGGRR values.
namespace CellColour {
constexpr quint32 White = 0xFFFFFF;
constexpr quint32 PaleYellow = 0x96FFFF;
constexpr quint32 PalePink = 0xC8C8FF;
} // namespace CellColour

// What may be typed into a column's cells. The type never changes a cell's
// text that was loaded, pasted or set by the program: it only restricts what
// the user types.
struct CellType {
    enum Kind { Text, Number, Digits, Date, List, Check };

    Kind kind = Text;
    int maxLength = 32000; // Text and Digits: the typing limit
    double minimum = 0;    // Number
    double maximum = 0;    // Number
    int decimals = 0;      // Number: most digits after the point
    QStringList items;     // List

    static CellType text(int maxLength = 32000);
    static CellType number(double minimum, double maximum, int decimals);
    static CellType digits(int maxLength);
    static CellType date();
    static CellType list(const QStringList& items);
    // A drop-down list given as one tab-separated text ("FL\tGL\t...").
    static CellType listFromTabs(const QString& items);
    // A tick box: its text is "1" when ticked and "0" when not; any text but
    // "" and "0" shows as ticked.
    static CellType check();

    bool operator==(const CellType&) const = default;
};

// Whether a tick box's text shows it ticked: any text but "" and "0".
inline bool isTicked(QStringView text) { return !text.isEmpty() && text != u"0"; }

struct GridColumn {
    QString header;
    double widthChars = 10; // in characters of the grid's font
    CellType type;
};

// A header text over a run of columns, shown in a second header row above the
// column names.
struct UpperHeader {
    int firstColumn = 1;
    int lastColumn = 1;
    QString text;
};

// A block of cells, 1-based and inclusive. A block with no rows (row2 below
// row1) arises from a whole-column selection on a grid without data.
struct GridBlock {
    int col1 = 1;
    int row1 = 1;
    int col2 = 0;
    int row2 = 0;

    int rowCount() const { return row2 >= row1 ? row2 - row1 + 1 : 0; }
    int columnCount() const { return col2 >= col1 ? col2 - col1 + 1 : 0; }
    bool isEmpty() const { return rowCount() == 0 || columnCount() == 0; }
    bool contains(int col, int row) const { return col >= col1 && col <= col2 && row >= row1 && row <= row2; }
    bool operator==(const GridBlock&) const = default;
};

// What a printout holds: the whole grid, or one block of cells.
enum class PrintRange { Grid = 0, Block = 1 };

} // namespace Dazozuvi
