#pragma once
// A report form's file, read into its grid and written from it: the form's
// side of the report-file layer (Vezedad/reportfile). Nothing here shows a
// window; what the user must hear of comes back to the form.
#include "Vezedad/reportfile/ReportFile.h"

#include <QAnyStringView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace Dazozuvi {

class CZelFarpoint;
class ReportGrid;

// What a load found, besides the records it put into the grid.
struct LoadOutcome {
    // False when the load stopped: the first line was refused, or Stop.
    bool complete = false;
    // Data records loaded into grid rows 1 .. rows.
    int rows = 0;
    // Lines with content that no row holds: records that are no data
    // record of the form, and no-activity records among data records.
    qint64 leftOut = 0;
    // The first few of their line numbers in the file.
    QList<qint64> leftOutLines;
    // No-activity records among them.
    qint64 noActivityLeftOut = 0;
    // The file as it was read (for the check before it is replaced).
    Vezedad::ReportFile::FileStamp stamp;

    // One text for the user about the lines left out, "" when none were.
    QString leftOutNotice(const QString& noActivityName) const;
};

// Reads a report file into the grid through the grid controller. Blank
// lines are no records. Record 1 goes to firstLine, which returns the
// delimiter ("" stops the load). A line whose first field (double quotes
// dropped) is "0" and that holds a field after the leading ones is a data
// record: its fields from there on fill the next grid row, and it goes to
// recordLoaded as it stands in the file (a record of ASCII text as its
// Latin-1 bytes, never decoded). Any other line takes no row, and
// is counted; a no-activity record ("3") is counted only when the file
// holds data records. progress hears of every 1000th record and of every
// block of a long line; false from it stops the load.
class ReportLoader {
public:
    struct Form {
        int leadingFields = 0;
        std::function<QString(const QString& line)> firstLine;
        std::function<void(QAnyStringView line, const QString& delimiter)> recordLoaded;
        std::function<bool(qint64 records, qint64 bytes)> progress;
    };
    static constexpr int ProgressRecords = 1000;
    static constexpr int LinesNamed = 5;

    static LoadOutcome load(const QString& path, CZelFarpoint& controller, const Form& form);
};

// One data record per grid row 1 .. last data row (blank rows between
// included): the leading fields, then each cell of columns 1 .. lastColumn
// trimmed, then the trailing fields.
void writeDataRecords(Vezedad::ReportFile::RecordWriter& file, const ReportGrid& grid, const QStringList& leading,
                      int lastColumn, const QStringList& trailing = {});

// Line or row numbers as a sentence names them: "3", "3 and 7", "3, 5 and 7".
QString lineList(const QList<qint64>& lines);

// A whole record of the given fields.
void writeRecord(Vezedad::ReportFile::RecordWriter& file, const QStringList& fields, int emptyFieldsAfter = 0);

} // namespace Dazozuvi
