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

// Lines of a file counted, and the first few of their numbers.
struct CountedLines {
    qint64 count = 0;
    QList<qint64> lines;
    void add(qint64 line);
    // "line 4", "lines 2, 3 and 4", "lines 2, 3, 4, 5 and 6 among them".
    QString named() const;
};

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
    // Whether a record of the file gave the header (see ReportLoader::Form).
    bool headerRead = false;
    // For each id the header gives: the data records that hold another one
    // (not an empty one), and the first few of those other ids.
    struct OtherIds {
        qint64 records = 0;
        QStringList ids;
        bool more = false;
    };
    QList<OtherIds> otherIds;
    // Data records with text in fields beyond those a record of the form
    // holds, which no row keeps.
    CountedLines beyond;
    // The file as it was read (for the check before it is replaced).
    Vezedad::ReportFile::FileStamp stamp;
    // How its text was read: Utf8 for a file in UTF-8.
    Vezedad::ReportFile::Encoding encoding = Vezedad::ReportFile::Encoding::Ascii;

    // One text for the user about the lines left out, "" when none were.
    QString leftOutNotice(const QString& noActivityName) const;
};

// What the user hears of records holding another id than the header's (the
// id's name, the header's value of it), "" when none do.
QString otherIdsNotice(const LoadOutcome::OtherIds& other, const QString& idName, const QString& header);
// What the user hears of a file read as UTF-8, "" for any other.
QString encodingNotice(Vezedad::ReportFile::Encoding encoding);
// What the user hears of records with text beyond the fields of a record of
// the form ("Form 25"), "" when none have any.
QString beyondNotice(const CountedLines& beyond, const QString& formName);

// Reads a report file into the grid through the grid controller, in UTF-8
// when the file is (a file in UTF-16 raises). Blank lines are no records. Line 1 goes to firstLine, which returns the
// delimiter ("" stops the load). A line whose first field (double quotes
// dropped) is "0" and that holds a field after the leading ones is a data
// record: its fields from there on fill the next grid row, and it goes to
// recordLoaded as it stands in the file (a record of ASCII text as its
// Latin-1 bytes, never decoded). Any other line takes no row, and
// is counted; a no-activity record ("3") is counted only when the file
// holds data records. progress hears of every 1000th record and of every
// block of a long line; false from it stops the load.
//
// A report has one header, which a save writes into every record: it comes
// from the first data record, or from the first no-activity record of a file
// without data records; a file of neither gives none. Each data record's ids
// (its leading fields after the indicator) are compared with the header's,
// letter case and blanks at their ends aside, and the records with text in
// fields beyond recordFields are counted.
class ReportLoader {
public:
    struct Form {
        int leadingFields = 0;
        // The fields of a record of the form (0: no record is counted for
        // fields beyond them).
        int recordFields = 0;
        std::function<QString(const QString& line)> firstLine;
        // Gets the header record's fields, split at the delimiter; gives the
        // ids a save writes into every record (leading fields 1 on).
        std::function<QStringList(const QStringList& fields)> header;
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
