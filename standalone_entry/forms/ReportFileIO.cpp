#include "forms/ReportFileIO.h"

#include "grid/CZelFarpoint.h"
#include "grid/ReportGrid.h"

#include "Vezedad/foundation/Text.h"

#include <QVarLengthArray>
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

namespace Dazozuvi {

namespace ReportFile = Vezedad::ReportFile;

namespace {

// Where the fields after the leading ones start in a data record, or -1
// when the line is no data record: its first field must be "0" exactly, and
// a field must follow the leading ones.
qsizetype dataStart(QStringView line, QStringView delimiter, int leadingFields) {
    const qsizetype d = delimiter.size();
    if (d == 0 || line.size() < 1 + d || line[0] != u'0' || line.sliced(1, d) != delimiter) return -1;
    qsizetype pos = 1 + d;
    for (int i = 1; i < leadingFields; ++i) {
        const qsizetype next = line.indexOf(delimiter, pos);
        if (next < 0) return -1;
        pos = next + d;
    }
    return pos < line.size() ? pos : -1;
}

bool isNoActivityRecord(QStringView line, QStringView delimiter) {
    return ReportFile::field(line, delimiter, 0) == u"3";
}

// The line without its double quotes; scratch holds it when it had any.
QByteArrayView withoutQuotes(QByteArrayView line, QByteArray& scratch) {
    if (!std::memchr(line.data(), '"', size_t(line.size()))) return line;
    scratch.resize(line.size());
    qsizetype n = 0;
    for (char c : line)
        if (c != '"') scratch[n++] = c;
    scratch.resize(n);
    return QByteArrayView(scratch);
}

// How long a line may be before the hooks see it cut: record 1's checks
// look at the separators the validator knows and at the first few fields
// (the ids), Form 25 at a mark; a field of millions of characters would only
// be copied by them. So in a longer line each stretch between those
// separators is cut to this many characters: the fields' count and the
// separator found stay as they are.
constexpr qsizetype kLongLine = 64 * 1024;

// Where the next of those separators stands in a line of bytes from on, or
// the line's end: each is looked for by memchr, and again only once passed,
// so a line of millions of characters is searched in one pass each.
class SeparatorScan {
public:
    explicit SeparatorScan(QByteArrayView line) : m_line(line) {}
    qsizetype next(qsizetype from) {
        qsizetype nearest = m_line.size();
        for (int k = 0; k < 3; ++k) {
            if (m_next[k] < from) {
                const void* at = std::memchr(m_line.data() + from, kSeparators[k], size_t(m_line.size() - from));
                m_next[k] = at ? static_cast<const char*>(at) - m_line.data() : m_line.size();
            }
            nearest = qMin(nearest, m_next[k]);
        }
        return nearest;
    }

private:
    static constexpr char kSeparators[3] = {'|', ',', '\t'};
    QByteArrayView m_line;
    qsizetype m_next[3] = {-1, -1, -1};
};

template <class Text, class View> Text shortened(View line) {
    if (line.size() <= kLongLine) return Text(line.data(), line.size());
    Text kept;
    const qsizetype n = line.size();
    qsizetype start = 0;
    const auto cut = [&](qsizetype i) {
        kept.append(line.sliced(start, qMin(i - start, kLongLine)));
        if (i < n) kept.append(line[i]);
        start = i + 1;
    };
    if constexpr (std::is_same_v<View, QByteArrayView>) {
        SeparatorScan scan(line);
        for (qsizetype i = scan.next(0);; i = scan.next(i + 1)) {
            cut(i);
            if (i >= n) break;
        }
    } else {
        for (qsizetype i = 0; i <= n; ++i)
            if (i == n || line[i] == u'|' || line[i] == u',' || line[i] == u'\t') cut(i);
    }
    return kept;
}

// dataStart on the bytes of an ASCII line.
qsizetype dataStartBytes(QByteArrayView line, char delimiter, int leadingFields) {
    if (line.size() < 2 || line[0] != '0' || line[1] != delimiter) return -1;
    qsizetype pos = 2;
    for (int i = 1; i < leadingFields; ++i) {
        const qsizetype next = line.indexOf(delimiter, pos);
        if (next < 0) return -1;
        pos = next + 1;
    }
    return pos < line.size() ? pos : -1;
}

// Whether a data record's fields from the data start on (its last
// separator dropped, as the grid takes them) hold anything but blanks past
// the first `kept` of them.
template <class View, class Char> bool textBeyond(View rest, Char separator, int kept) {
    qsizetype i = 0;
    for (int passed = 0; passed < kept; ++i) {
        if (i >= rest.size()) return false;
        if (rest[i] == separator) ++passed;
    }
    for (; i < rest.size(); ++i)
        if (rest[i] != separator && rest[i] != Char(' ')) return true;
    return false;
}

QString joined(const QStringList& items) {
    if (items.size() < 2) return items.value(0);
    return QStringList(items.mid(0, items.size() - 1)).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           items.last();
}

// The header's ids against the data records': where a record's differ, each
// other id that is not empty is counted once for the record.
class IdCheck {
public:
    void start(const QStringList& ids, const QString& delimiter, LoadOutcome& outcome) {
        m_ids = ids;
        m_delimiter = delimiter;
        m_text = ids.join(delimiter);
        m_bytes = m_text.toLatin1();
        // Bytes of a record are ASCII: they can equal only ASCII ids.
        m_ascii = Vezedad::isAscii(m_bytes) && QString::fromLatin1(m_bytes) == m_text;
        m_on = !ids.isEmpty();
        outcome.otherIds.resize(ids.size());
    }
    bool on() const { return m_on; }
    // The ids of a record as they stand in its bytes, or in its text.
    void check(QByteArrayView ids, LoadOutcome& outcome) {
        if (m_ascii && ids == QByteArrayView(m_bytes)) return;
        QString text;
        Vezedad::ReportFile::decode(ids, text);
        differ(text, outcome);
    }
    void check(QStringView ids, LoadOutcome& outcome) {
        if (ids != m_text) differ(ids, outcome);
    }

private:
    void differ(QStringView ids, LoadOutcome& outcome) {
        qsizetype from = 0;
        for (qsizetype i = 0; i < m_ids.size(); ++i) {
            const qsizetype at = ids.indexOf(m_delimiter, from);
            const QStringView id = Vezedad::trimBlanks(ids.mid(from, (at < 0 ? ids.size() : at) - from));
            from = at < 0 ? ids.size() : at + m_delimiter.size();
            if (id.isEmpty() || id.compare(Vezedad::trimBlanks(m_ids[i]), Qt::CaseInsensitive) == 0) continue;
            LoadOutcome::OtherIds& other = outcome.otherIds[i];
            ++other.records;
            const QString shown = id.toString();
            if (other.ids.contains(shown, Qt::CaseInsensitive)) continue;
            if (other.ids.size() < ReportLoader::LinesNamed)
                other.ids << shown;
            else
                other.more = true;
        }
    }

    QStringList m_ids;
    QString m_delimiter;
    QString m_text;
    QByteArray m_bytes;
    bool m_ascii = false;
    bool m_on = false;
};

} // namespace

QString lineList(const QList<qint64>& lines) {
    QStringList numbers;
    for (qint64 n : lines) numbers << QString::number(n);
    return joined(numbers);
}

void CountedLines::add(qint64 line) {
    ++count;
    if (lines.size() < ReportLoader::LinesNamed) lines.append(line);
}

QString CountedLines::named() const {
    return (lines.size() > 1 ? QStringLiteral("lines ") : QStringLiteral("line ")) + lineList(lines) +
           (count > lines.size() ? QStringLiteral(" among them") : QString());
}

QString LoadOutcome::leftOutNotice(const QString& noActivityName) const {
    if (leftOut == 0) return QString();
    const CountedLines counted{leftOut, leftOutLines};
    QString text = leftOut == 1
                       ? QStringLiteral("1 line of the file was not loaded (%1)").arg(counted.named())
                       : QStringLiteral("%1 lines of the file were not loaded (%2)").arg(leftOut).arg(counted.named());
    text += QStringLiteral(": a row holds a data record only, that is a line whose first field is \"0\" followed by "
                           "the record's fields.");
    if (noActivityLeftOut > 0)
        text += QStringLiteral(" ") +
                (noActivityLeftOut == 1 ? QStringLiteral("One of them is a")
                                        : QString::number(noActivityLeftOut) + QStringLiteral(" of them are")) +
                QStringLiteral(" \"") + noActivityName +
                (noActivityLeftOut == 1 ? QStringLiteral("\" record (\"3\"), which a report with data records cannot "
                                                         "hold.")
                                        : QStringLiteral("\" records (\"3\"), which a report with data records cannot "
                                                         "hold."));
    text += QStringLiteral("\r\nSaving this report will leave ") +
            (leftOut == 1 ? QStringLiteral("this line") : QStringLiteral("these lines")) +
            QStringLiteral(" out of the file.");
    return text;
}

QString otherIdsNotice(const LoadOutcome::OtherIds& other, const QString& idName, const QString& header) {
    if (other.records == 0) return QString();
    const QString ids = QStringLiteral("(") + joined(other.ids) +
                        (other.more ? QStringLiteral(" among others") : QString()) + QStringLiteral(")");
    QString text = other.records == 1 ? QStringLiteral("1 record holds")
                                      : QString::number(other.records) + QStringLiteral(" records hold");
    if (header.isEmpty())
        return text + QStringLiteral(" a ") + idName + QStringLiteral(" though the header holds none ") + ids +
               QStringLiteral(": a report has one ") + idName + QStringLiteral(", so saving it will leave the ") +
               idName + QStringLiteral(" of every record empty.");
    return text + QStringLiteral(" another ") + idName + QStringLiteral(" than the header's ") + header +
           QStringLiteral(" ") + ids + QStringLiteral(": a report has one ") + idName +
           QStringLiteral(", so saving it will write ") + header + QStringLiteral(" into every record.");
}

QString encodingNotice(ReportFile::Encoding encoding) {
    if (encoding != ReportFile::Encoding::Utf8) return QString();
    return QStringLiteral("It is UTF-8 (Unicode) text and was read as such. Report files are Windows-1252 (\"ANSI\") "
                          "text: saving this report writes it so, and a character that Windows-1252 cannot hold is "
                          "named before anything is saved.");
}

QString beyondNotice(const CountedLines& beyond, const QString& formName) {
    if (beyond.count == 0) return QString();
    return (beyond.count == 1 ? QStringLiteral("1 record holds")
                              : QString::number(beyond.count) + QStringLiteral(" records hold")) +
           QStringLiteral(" more fields than a ") + formName + QStringLiteral(" record has (") + beyond.named() +
           QStringLiteral("): saving this report will leave the extra fields out of the file.");
}

LoadOutcome ReportLoader::load(const QString& path, CZelFarpoint& controller, const Form& form) {
    LoadOutcome outcome;
    ReportFile::LineReader reader(path, ReportFile::LineReader::Reading::Text);
    ReportFile::Digest digest;
    reader.addTo(&digest);
    qint64 records = 0;
    if (form.progress) reader.whileGathering([&](qint64 bytes) { return form.progress(records, bytes); });

    CountedLines other, noActivity;
    IdCheck ids;
    // The fields after the leading ones that a record of the form holds.
    const int kept = form.recordFields > 0 ? form.recordFields - form.leadingFields : -1;
    QString noActivityRecord; // the first, for a file without data records
    QByteArray scratch;
    QByteArray fields; // a short ASCII record's fields, upper-cased in place
    QString line;      // one text for every line, its memory kept between them
    QString delimiter;
    char16_t bar = 0; // the delimiter, when it is one byte that is no letter
    ReportFile::LineReader::Line raw;
    while (reader.next(raw)) {
        const QByteArrayView bytes = withoutQuotes(raw.bytes, scratch);
        if (ReportFile::isBlank(bytes)) continue;
        ++records;
        // A line of plain ASCII (the usual report text) goes into the grid
        // from its bytes. A long one is decoded for the hooks shortened; a
        // short one after the first is never decoded. Any other line is
        // decoded whole.
        const bool longAscii = bytes.size() > kLongLine && Vezedad::isAscii(bytes);
        const bool bytesOnly = records > 1 && bar && !longAscii && Vezedad::isAscii(bytes);
        if (!bytesOnly) reader.decode(raw, longAscii ? QByteArrayView(shortened<QByteArray>(bytes)) : bytes, line);
        if (records == 1) {
            delimiter = form.firstLine(longAscii ? line : shortened<QString>(QStringView(line)));
            if (delimiter.isEmpty()) return outcome;
            const char16_t d = delimiter.size() == 1 ? delimiter[0].unicode() : 0;
            bar = d > 0 && d < 0x80 && char16_t(d - u'a') >= 26 ? d : 0;
        }
        const bool fromBytes = (longAscii && bar) || bytesOnly;
        const qsizetype start = fromBytes ? dataStartBytes(bytes, char(bar), form.leadingFields)
                                          : dataStart(line, delimiter, form.leadingFields);
        if (start >= 0) {
            ++outcome.rows;
            if (!outcome.headerRead) {
                outcome.headerRead = true;
                if (bytesOnly) reader.decode(raw, bytes, line);
                const QStringList header =
                    form.header ? form.header(shortened<QString>(QStringView(line)).split(delimiter)) : QStringList();
                if (form.leadingFields > 1) ids.start(header.mid(0, form.leadingFields - 1), delimiter, outcome);
            }
            // The ids stand between the indicator and the data, compared
            // where they stand.
            if (ids.on()) {
                if (fromBytes)
                    ids.check(bytes.sliced(2, start - 3), outcome);
                else
                    ids.check(QStringView(line).sliced(1 + delimiter.size(), start - 1 - 2 * delimiter.size()),
                              outcome);
            }
            int given = 0;
            bool beyond = false;
            if (bytesOnly) {
                const QByteArrayView rest = bytes.sliced(start);
                fields.resize(rest.size());
                std::memcpy(fields.data(), rest.data(), size_t(rest.size()));
                given = controller.LoadFieldsAscii(fields.data(), fields.size(), char(bar), outcome.rows);
                beyond = given > kept && kept >= 0 && textBeyond(QByteArrayView(fields), char(bar), kept);
            } else if (fromBytes) {
                // The line's bytes become the caller's, to be upper-cased in
                // place rather than copied once more.
                QByteArray own =
                    bytes.data() == scratch.constData() ? std::exchange(scratch, QByteArray()) : reader.takeLine(raw);
                given = controller.LoadFieldsAscii(own.data() + start, own.size() - start, char(bar), outcome.rows);
                beyond = given > kept && kept >= 0 && textBeyond(QByteArrayView(own).sliced(start), char(bar), kept);
            } else {
                const QStringView rest = QStringView(line).sliced(start);
                given = controller.LoadFields(rest, delimiter, outcome.rows);
                beyond = given > kept && kept >= 0 && textBeyond(rest, delimiter.front(), kept);
            }
            if (beyond) outcome.beyond.add(raw.number);
            if (form.recordLoaded)
                form.recordLoaded(bytesOnly ? QAnyStringView(QLatin1StringView(bytes.data(), bytes.size()))
                                            : QAnyStringView(line),
                                  delimiter);
        } else if (bytesOnly ? bytes.front() == '3' && (bytes.size() == 1 || bytes[1] == char(bar))
                             : isNoActivityRecord(line, delimiter)) {
            if (noActivity.count == 0) {
                if (bytesOnly) reader.decode(raw, bytes, line);
                noActivityRecord = shortened<QString>(QStringView(line));
            }
            noActivity.add(raw.number);
        } else {
            other.add(raw.number);
        }
        reader.release();
        if (scratch.capacity() > ReportFile::LineReader::kBlock) scratch = QByteArray();
        if (line.capacity() > kLongLine * 16) line = QString();
        if (form.progress && records % ProgressRecords == 0 && !form.progress(records, reader.position()))
            return outcome;
    }
    if (reader.stopped()) return outcome;
    outcome.complete = true;
    outcome.encoding = reader.encoding();
    // A no-activity record is what a file without data records holds: it
    // gives the header.
    if (outcome.rows == 0) {
        if (noActivity.count > 0) {
            outcome.headerRead = true;
            if (form.header) form.header(noActivityRecord.split(delimiter));
        }
        noActivity = CountedLines();
    }
    outcome.leftOut = other.count + noActivity.count;
    outcome.noActivityLeftOut = noActivity.count;
    outcome.leftOutLines = other.lines + noActivity.lines;
    std::sort(outcome.leftOutLines.begin(), outcome.leftOutLines.end());
    outcome.leftOutLines = outcome.leftOutLines.mid(0, LinesNamed);
    outcome.stamp = ReportFile::FileStamp::withDigest(path, digest.value());
    return outcome;
}

void writeDataRecords(ReportFile::RecordWriter& file, const ReportGrid& grid, const QStringList& leading,
                      int lastColumn, const QStringList& trailing) {
    const int rows = grid.lastDataRow();
    QString buffer;
    QVarLengthArray<QStringView, 32> cells;
    for (int r = 1; r <= rows; ++r) {
        grid.rowCells(r, buffer, cells);
        for (const QString& f : leading) file.field(f);
        for (int c = 0; c < lastColumn; ++c)
            file.field(c < cells.size() ? Vezedad::trimBlanks(cells[c]) : QStringView());
        for (const QString& f : trailing) file.field(f);
        file.endRecord();
    }
}

void writeRecord(ReportFile::RecordWriter& file, const QStringList& fields, int emptyFieldsAfter) {
    for (const QString& f : fields) file.field(f);
    file.emptyFields(emptyFieldsAfter);
    file.endRecord();
}

} // namespace Dazozuvi
