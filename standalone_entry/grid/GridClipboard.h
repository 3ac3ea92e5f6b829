#pragma once
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

namespace Dazozuvi {

class GridModel;

// Grid cells as clipboard text: cells separated by TAB, each row ended by
// CR LF. Reading splits rows at LF (a CR just before it is dropped); a last
// row without a line feed still counts, an empty text holds no rows.
namespace GridClipboard {

// Rows row1 .. row2 and columns col1 .. col2 of a model (0-based, inclusive).
QString blockText(const GridModel& model, int row1, int col1, int row2, int col2);

// The number of rows a clipboard text holds: its line feeds, plus one when it
// does not end with a line feed.
int rowCount(QStringView text);

// Reads a clipboard text row by row; the cells are views into the text.
class Rows {
public:
    explicit Rows(QStringView text) : m_text(text) {}
    bool next(QVarLengthArray<QStringView, 32>& cells);

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace GridClipboard

} // namespace Dazozuvi
