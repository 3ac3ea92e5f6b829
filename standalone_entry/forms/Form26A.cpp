#include "forms/Form26A.h"

#include "forms/FormParts.h"
#include "forms/ReportFileIO.h"

#include "applicators/Applicator.h"
#include "applicators/ApplicatorList.h"
#include "applicators/Applicators.h"
#include "grid/CZelFarpoint.h"
#include "grid/ReportGrid.h"
#include "grid/TextScan.h"

#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Text.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QFileInfo>
#include <QLineEdit>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <type_traits>

namespace Dazozuvi {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

enum Column { colCertId = 1, colBusReg = 2, colFirst = 3, colLast = 4, colNoApps = 5 };

// The rows the writer leaves out: an indicator and nothing else, or an
// indicator and only a five-digit registration number (the one copied in
// from the header).
bool isEmptyRecord(QStringView record) {
    auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (record.size() == 6) return digit(record[0]) && record.sliced(1) == u"|||||";
    if (record.size() == 11) {
        if (!digit(record[0]) || record.sliced(1, 2) != u"||" || record.sliced(8) != u"|||") return false;
        for (QChar c : record.sliced(3, 5))
            if (!digit(c)) return false;
        return true;
    }
    return false;
}

// A proposed file name holds the id as part of its own name: characters that
// would name another folder, or that file systems refuse, are dropped.
QString fileNameSafe(const QString& id) {
    QString safe;
    safe.reserve(id.size());
    for (QChar c : id)
        if (c.unicode() >= 0x20 && !QStringView(u"\\/:*?\"<>|").contains(c)) safe += c;
    return safe.trimmed();
}

// A line's fields written into a grid row (counted from 0) in upper case,
// as the other forms load their records: the check, which writes a valid
// value back in upper case, then finds nothing to write. bytes and text are
// scratch kept between rows.
void putRow(GridModel& model, int row, const ApplicatorFields& fields, QByteArray& bytes, QString& text) {
    static_assert(colCertId == 1 && colBusReg == 2 && colFirst == 3 && colLast == 4 && colNoApps == 5);
    // A field the line does not hold is empty.
    QAnyStringView cells[5];
    std::copy(fields.texts.begin(), fields.texts.end(), cells);
    cells[4] = fields.appsDone ? QLatin1StringView("0") : QLatin1StringView("1");
    // A line of ASCII bytes, cut where it stands: its fields go into the
    // row's record as they are and are upper-cased there.
    if (std::none_of(std::begin(cells), std::end(cells), [](QAnyStringView cell) {
            return cell.visit([](auto view) { return std::is_same_v<decltype(view), QStringView>; });
        })) {
        QLatin1StringView ascii[5];
        for (int c = 0; c < 5; ++c)
            ascii[c] = QLatin1StringView(static_cast<const char*>(cells[c].data()), cells[c].size());
        model.setUpperAsciiCells(row, colCertId - 1, ascii, 5);
        return;
    }
    qsizetype total = 0;
    for (const QAnyStringView cell : cells) total += cell.size();
    bytes.resize(total);
    auto* out = reinterpret_cast<uchar*>(bytes.data());
    qsizetype at = 0;
    char16_t all = 0;
    QLatin1StringView narrow[5];
    for (int c = 0; c < 5; ++c) {
        cells[c].visit([&](auto view) {
            if constexpr (std::is_same_v<decltype(view), QStringView>) {
                all |= TextScan::upperAscii(reinterpret_cast<const char16_t*>(view.utf16()), out + at, view.size());
            } else {
                // Latin-1 views hold the ASCII bytes of a line.
                std::memcpy(out + at, view.data(), size_t(view.size()));
                TextScan::upperAsciiBytes(out + at, view.size());
            }
        });
        narrow[c] = QLatin1StringView(bytes.constData() + at, cells[c].size());
        at += cells[c].size();
    }
    if (all < 0x80) {
        model.setCells(row, colCertId - 1, narrow, 5);
        return;
    }
    text.resize(total);
    char16_t* wideOut = reinterpret_cast<char16_t*>(text.data());
    QStringView wide[5];
    at = 0;
    for (int c = 0; c < 5; ++c) {
        const QString cell = cells[c].toString();
        for (qsizetype i = 0; i < cell.size(); ++i) wideOut[at + i] = Vezedad::Cp1252::upperChar(cell[i].unicode());
        wide[c] = QStringView(wideOut + at, cell.size());
        at += cell.size();
    }
    model.setCells(row, colCertId - 1, wide, 5);
}

// What the user hears of records that start with an indicator in a list
// read in the four columns of its first record, "" when there are none.
QString offByOneNotice(const CountedLines& lines, qint64 firstRecord) {
    if (lines.count == 0) return QString();
    const bool one = lines.count == 1;
    return (one ? QStringLiteral("1 line of the file (%1) starts")
                : QStringLiteral("%1 lines of the file (%2) start").arg(lines.count))
               .arg(lines.named()) +
           QStringLiteral(" with a \"No Applications\" indicator, as a record of five columns does, but the list "
                          "is read in the older layout of four columns of its first record (line ") +
           QString::number(firstRecord) + QStringLiteral("). In ") +
           (one ? QStringLiteral("its row") : QStringLiteral("their rows")) +
           QStringLiteral(" the indicator stands in Cert ID, the certification id in Business Reg Num, the "
                          "registration number in First Name and the first name in Last Name; ") +
           (one ? QStringLiteral("the last name is not loaded, and the row counts")
                : QStringLiteral("the last names are not loaded, and the rows count")) +
           QStringLiteral(" as having made applications.\r\nSaving this list writes ") +
           (one ? QStringLiteral("the row") : QStringLiteral("the rows")) + QStringLiteral(" as shown: ") +
           (one ? QStringLiteral("the last name is") : QStringLiteral("the last names are")) +
           QStringLiteral(" lost, and an indicator of \"3\" (no applications) becomes \"0\".");
}

} // namespace

ReportFormSpec Form26A::FormSpec() {
    ReportFormSpec form;
    form.formType = Vezedad::zfotForm26A;
    form.name = QStringLiteral("Form26A");
    form.caption = QStringLiteral("ZOV Form 26A: LIST of APPLICATORS and TECHNICIANS");
    form.minWidthTwips = 4050;
    form.minHeightTwips = 4500;

    HeaderBoxSpec busReg;
    busReg.box = QStringLiteral("txtBusRegNum");
    busReg.label = QStringLiteral("lblBusRegNum");
    busReg.caption = QStringLiteral("Bus./Agency Reg. # ");
    busReg.fieldId = Vezedad::zrfBusinessRegNum;
    busReg.widthTwips = 1800;
    form.headerBoxes = {busReg, FormParts::businessNameBox(QStringLiteral("Business Name"))};
    form.headerNote = QStringLiteral("lblInclude");
    form.headerNoteText = QStringLiteral("List Certified Commercial Applicators and Technicians only.") + kCrLf +
                          QStringLiteral("Do not include Apprentices (who have no Certification ID of their own).");

    form.productList = false;
    form.duplicateRows = false;
    form.printSelectionNeedsData = false;
    form.feedbackAfterLoad = false;
    form.headerErrorsByProcedure = true;

    form.columns = {
        GridColumn{QStringLiteral("Cert ID"), 12, CellType::text()},
        GridColumn{QStringLiteral("Business Reg Num"), 16, CellType::text()},
        GridColumn{QStringLiteral("First Name"), 20, CellType::text()},
        GridColumn{QStringLiteral("Last Name"), 24, CellType::text()},
        // A tick box, not a text: a filer typing "N" for "not none" would
        // mark the applicator as having made no applications. Not checked.
        GridColumn{QStringLiteral("No Applications"), 15, CellType::check()},
    };
    form.fields = {Vezedad::zrfCertificationId, Vezedad::zrfBusinessRegNum, Vezedad::zrfFirstName, Vezedad::zrfLastName,
                   Vezedad::zrfApIndicator};
    form.validatedColumns = 4;
    form.emptyGridMessage = QStringLiteral("Nothing to save");
    form.emptyGridIcon = Vezedad::Ui::vbInformation;
    form.help = FormParts::helpPages(QStringLiteral("How to &Submit Files to RUR"), false);
    return form;
}

Form26A::Form26A(QWidget* parent) : ReportForm(FormSpec(), parent) {}

void Form26A::StartNewReport() {
    Vezedad::trapArrow(Location(QStringLiteral("LoadFirstRecord")), [this] {
        // Row 1 is the filer, who made applications; nothing here is checked.
        const Vezedad::Identity& filer = Clone();
        const QStringList names = Vezedad::Utilities::NameArray(filer.ApplicatorName());
        ReportGrid& grid = Grid();
        grid.setRowCount(2);
        grid.setText(colBusReg, 1, filer.BusRegNumber());
        grid.setText(colCertId, 1, filer.CertificationId());
        grid.setText(colFirst, 1, names.value(1));
        grid.setText(colLast, 1, names.value(0));
        GridController()->setIsDirty(true);
        grid.setRowCount(grid.lastDataRow() + 1);
    });
}

bool Form26A::GetFile(const QString& path) {
    return Vezedad::trapArrow(Location(QStringLiteral("GetFile")), [&] {
        if (!Vezedad::Globals::FSO().FileExists(path)) return false;
        // However large, the list is read directly.
        return LoadData(path);
    });
}

bool Form26A::LoadData(const QString& path) {
    bool loaded = false;
    Vezedad::Ui::GuardShowError(
        Location(QStringLiteral("LoadData")),
        [&] {
            ReportGrid& grid = Grid();
            QString firstBusReg;
            int row = 0;
            CountedLines beyond;
            // Records that start with an indicator in a list read in the
            // four columns of its first record: each is one column off.
            CountedLines offByOne;
            qint64 firstRecord = 0;
            Vezedad::ReportFile::FileStamp stamp;
            Vezedad::ReportFile::Encoding encoding = Vezedad::ReportFile::Encoding::Ascii;
            {
                // Every row reaches the view at once; each row is written whole.
                GridModel::BulkUpdate bulk(grid.gridModel());
                // A line holds some sixteen bytes at the least: room for
                // that many rows is set aside once, instead of the row
                // tables being copied each time they double.
                grid.gridModel().reserveRows(
                    int(std::min<qint64>(QFileInfo(path).size() / 16 + 2, std::numeric_limits<int>::max())));
                QByteArray bytes;
                QString text;
                m_otherMarks = 0;
                m_otherMarkRows.clear();
                stamp = ApplicatorList::ReadLines(
                    path,
                    [&](const ApplicatorFields& fields, qint64 line) {
                        if (++row == 1) {
                            firstBusReg = fields.texts[1].toString();
                            firstRecord = line;
                        }
                        // Any indicator but "0" reads as no applications, and is
                        // saved as "3": the user hears of it.
                        if (fields.hasIndicator &&
                            !(fields.indicator.size() == 1 &&
                              (fields.indicator.front() == u'0' || fields.indicator.front() == u'3'))) {
                            if (++m_otherMarks <= ReportLoader::LinesNamed) m_otherMarkRows << row;
                        }
                        if (grid.gridModel().rows() < row + 1) grid.setRowCount(std::max(row + 1, row * 2));
                        putRow(grid.gridModel(), row - 1, fields, bytes, text);
                        // Such a record's fifth field is its last name, which its
                        // own notice names.
                        if (fields.indicatorFirst)
                            offByOne.add(line);
                        else if (fields.beyond)
                            beyond.add(line);
                    },
                    &encoding);
                grid.setRowCount(row + 1);
            }
            // The header's number comes from the first row alone. One the
            // identity refuses still opens the list, shown as it stands.
            if (!firstBusReg.isEmpty()) SetHeaderFromFile(Vezedad::zrfBusinessRegNum, firstBusReg);
            // The file as it was read. A list that does not hold all of it
            // (a first line refused, a read given up) does not replace it
            // without a word.
            if (stamp.isNull())
                RememberFileReadInPart(path);
            else
                RememberFile(path, stamp);
            // Every cell checked and coloured, without a word. Cells the check
            // writes in their stored form (an id in small letters) do not make
            // the list count as changed: it opens clean.
            ValidateForm();
            GridController()->setIsDirty(false);
            TellAboutLoad(path, {encodingNotice(encoding), offByOneNotice(offByOne, firstRecord),
                                 beyondNotice(beyond, Vezedad::Globals::GetFormName(Params().formType, true))});
            loaded = true;
        },
        this);
    return loaded;
}

void Form26A::AnswerValidating(qint32, qint32 lngCol, QStringView strValue, bool& blnCheck, qint32& lngFieldId,
                               bool& blnResult) {
    try {
        if (lngCol < colCertId || lngCol > colNoApps) return;
        lngFieldId = Params().fields[lngCol - 1];
        blnCheck = lngCol <= colLast && !(lngCol == colBusReg && strValue.isEmpty());
        if (!blnCheck) blnResult = true;
    } catch (...) {
        // A check that cannot be answered leaves the controller's values.
    }
}

void Form26A::AfterValidEdit(int, int row) {
    // A row without its own registration number takes the header's.
    const QString busReg = HeaderBox(Vezedad::zrfBusinessRegNum)->text();
    if (!busReg.isEmpty() && Grid().text(colBusReg, row).isEmpty()) Grid().setText(colBusReg, row, busReg);
}

QString Form26A::ProposedNameId() const {
    const Vezedad::IdentityPtr& clone = IdentityClone();
    QStringList candidates{HeaderBox(Vezedad::zrfBusinessRegNum)->text(),
                           clone ? clone->SalesPermitNumber() : QString(),
                           HeaderBox(Vezedad::zrfBusinessName)->text().left(10)};
    if (Grid().lastDataRow() >= 1) candidates << Grid().text(colCertId, 1);
    candidates << QString::number(Vezedad::Globals::ZelReport().ReportYear());
    for (const QString& candidate : candidates) {
        const QString id = fileNameSafe(candidate);
        if (!id.isEmpty()) return id;
    }
    return QString();
}

void Form26A::WriteRecords(Vezedad::ReportFile::RecordWriter& file) {
    ReportGrid& grid = Grid();
    const int rows = grid.lastDataRow();
    m_recordRows.clear();
    QString record;
    QStringList fields;
    for (int r = 1; r <= rows; ++r) {
        const QString mark = grid.text(colNoApps, r);
        fields = {mark.isEmpty() || mark == QLatin1String("0") ? QStringLiteral("0") : QStringLiteral("3")};
        for (int c = colCertId; c <= colLast; ++c) fields << Vezedad::trimBlanks(grid.text(c, r)).toString();
        record = fields.join(QLatin1Char('|')) + QLatin1Char('|');
        if (isEmptyRecord(record)) continue;
        m_recordRows.append(r);
        writeRecord(file, fields);
    }
}

QString Form26A::RefusedPlace(qint64 record, int field) const {
    // The record being written when its value was refused is the next row
    // taken; its field 1 is the column "No Applications", then the others
    // in their order.
    const int row = record <= m_recordRows.size() ? m_recordRows.value(int(record) - 1)
                    : m_recordRows.isEmpty()      ? 1
                                                  : m_recordRows.last() + 1;
    const int column = field == 1 ? colNoApps : field - 1;
    return QStringLiteral("Row ") + QString::number(row) + QStringLiteral(", column ") + QString::number(column) +
           QStringLiteral(" (") + Params().columns.value(column - 1).header + QLatin1Char(')');
}

QString Form26A::LoadNotes() {
    if (m_otherMarks == 0) return QString();
    const bool one = m_otherMarks == 1;
    const QString rows = lineList(m_otherMarkRows);
    const QString which =
        one ? QStringLiteral("Row ") + rows + QStringLiteral(" holds")
            : QStringLiteral("%1 rows (%2%3) hold")
                  .arg(QString::number(m_otherMarks), rows,
                       m_otherMarks > m_otherMarkRows.size() ? QStringLiteral(" among them") : QString());
    const QString them = one ? QStringLiteral("it") : QStringLiteral("them");
    return which + QStringLiteral(" a \"No Applications\" indicator other than \"0\" or \"3\" in the file. ") +
           (one ? QStringLiteral("It is") : QStringLiteral("They are")) +
           QStringLiteral(
               " shown ticked, as having made no applications, which is how the list of applicators reads ") +
           them + QStringLiteral("; saving this list writes \"3\" for ") + them + QLatin1Char('.');
}

void Form26A::AfterWrite(bool) {
    // A per-applicator Form 26 opened next sees the list as it is on disk,
    // whether this save wrote it or not.
    modGlobals::RefreshApplicators();
}

} // namespace Dazozuvi
