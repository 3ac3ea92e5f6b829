#pragma once
#include <QFont>
#include <QList>
#include <QString>
#include <QStringView>

#include <array>

namespace Dazozuvi {

// The page header and footer mark-up of a grid printout:
//   /fn"Arial" /fz"14"        font name and size of the text that follows
//   /fb0 /fi0 /fk0 /fu0       bold, italic, strike-out, underline off (1: on)
//   /fs2 and /f2              store the current font as font 2, switch to it
//   /l /c /r                  text goes to the left, centred or right part
//   /n                        a new line (which starts at the left part)
//   /p /pc /date              page number, page count, today's date
//   //                        one slash
// Any other slash is printed as it stands.

struct MarkupFont {
    QString family = QStringLiteral("Arial");
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
    bool strikeOut = false;
    bool underline = false;

    QFont toFont() const;
    bool operator==(const MarkupFont&) const = default;
};

struct MarkupRun {
    enum Field { Text, PageNumber, PageCount, Date };
    Field field = Text;
    QString text;
    MarkupFont font;
};

enum class MarkupPart { Left = 0, Centre = 1, Right = 2 };

// What a page's fields expand to.
struct MarkupFields {
    int page = 1;
    int pageCount = 1;
    QString date;
};

struct MarkupLine {
    std::array<QList<MarkupRun>, 3> parts;
    MarkupFont font; // in effect where the line ends: an empty line's height

    bool isEmpty() const { return parts[0].isEmpty() && parts[1].isEmpty() && parts[2].isEmpty(); }
    const QList<MarkupRun>& part(MarkupPart which) const { return parts[std::size_t(which)]; }
    QString text(MarkupPart which, const MarkupFields& fields = {}) const;
};

// A text that ends with a new line has no empty line after it.
QList<MarkupLine> parseMarkup(QStringView markup);

// Every line as "left|centre|right", one per line, fields filled in.
QString markupText(const QList<MarkupLine>& lines, const MarkupFields& fields = {});

} // namespace Dazozuvi
