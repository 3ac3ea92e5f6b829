#include "grid/GridClipboard.h"

#include "grid/GridModel.h"

namespace Dazozuvi::GridClipboard {

QString blockText(const GridModel& model, int row1, int col1, int row2, int col2) {
    QString out;
    for (int r = row1; r <= row2; ++r) {
        for (int c = col1; c <= col2; ++c) {
            if (c > col1) out += QLatin1Char('\t');
            out += model.text(r, c);
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

int rowCount(QStringView text) {
    if (text.isEmpty()) return 0;
    const qsizetype feeds = text.count(QLatin1Char('\n'));
    return int(feeds + (text.endsWith(QLatin1Char('\n')) ? 0 : 1));
}

bool Rows::next(QVarLengthArray<QStringView, 32>& cells) {
    cells.clear();
    if (m_pos >= m_text.size()) return false;
    qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_pos);
    const qsizetype next = end < 0 ? m_text.size() : end + 1;
    if (end < 0)
        end = m_text.size();
    else if (end > m_pos && m_text[end - 1] == QLatin1Char('\r'))
        --end;
    QStringView line = m_text.sliced(m_pos, end - m_pos);
    m_pos = next;
    for (;;) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) break;
        cells.append(line.first(tab));
        line = line.sliced(tab + 1);
    }
    cells.append(line);
    return true;
}

} // namespace Dazozuvi::GridClipboard
