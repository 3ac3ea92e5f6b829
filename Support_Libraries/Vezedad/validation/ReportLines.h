#pragma once
// Reading report files line by line, as the validator and the results that
// read their lines back both do.
#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace Vezedad::ReportLines {

// The error of a failed read of an open file.
[[noreturn]] void raiseReadError(const QFile& file);

// Reads a file in large blocks and hands out its lines as views into the
// block, so that a large file costs one buffer, not one string per line. A
// line is handed out whole whatever its length: only a line longer than a
// block is gathered in memory of its own.
class LineReader {
public:
    static constexpr qsizetype kBlock = 256 * 1024;

    explicit LineReader(QFile& file) : m_file(file), m_block(kBlock, Qt::Uninitialized) {}

    struct Line {
        QByteArrayView bytes; // without its end
        qint64 offset = 0;    // of its first byte in the file
    };
    // The next line; false at the end of the file.
    bool next(Line& line);

private:
    bool refill();

    QFile& m_file;
    QByteArray m_block;
    QByteArray m_carry;
    qint64 m_blockStart = 0;
    qsizetype m_pos = 0;
    qsizetype m_len = 0;
    bool m_pendingCr = false;
};

// A line as the validator sees it: double quotes dropped, then the blanks at
// both ends. Uses scratch only when the line holds a quote.
QByteArrayView cleanLine(QByteArrayView raw, QByteArray& scratch);

// Decodes report bytes into text, reusing the text's storage.
void decode(QByteArrayView bytes, QString& text);

} // namespace Vezedad::ReportLines
