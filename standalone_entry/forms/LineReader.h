#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>

namespace Dazozuvi {

// Reads a single-byte (Windows-1252) text file line by line in blocks, so a
// large report file never sits whole in memory beside the grid that takes it.
// CR LF, LF and a lone CR all end a line; the last line needs no line end.
// Opening and reading failures raise the file-system object's errors.
class LineReader {
public:
    explicit LineReader(const QString& path);

    // The next line without its line end; false at the end of the file.
    bool ReadLine(QString& line);

private:
    bool fill();

    QFile m_file;
    QString m_path;
    QByteArray m_block;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    bool m_skipLf = false; // the last line ended in CR: an LF right after it belongs to it
};

} // namespace Dazozuvi
