#include "forms/Form25.h"

#include "forms/FormParts.h"
#include "forms/ReportFileIO.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QLineEdit>

#include <type_traits>

namespace Dazozuvi {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The resale mark's field in a record, counted from 0.
constexpr int kResaleField = 7;

} // namespace

ReportFormSpec Form25::FormSpec() {
    ReportFormSpec form;
    form.formType = Vezedad::zfotForm25;
    form.name = QStringLiteral("Form25");
    form.caption = QStringLiteral("ZOV Form 25: ANNUAL REPORT FOR RESTRICTED PESTICIDE SALES");
    form.minWidthTwips = 5475;
    form.minHeightTwips = 5865;

    form.headerBoxes = {FormParts::permitNumberBox(),
                        FormParts::businessNameBox(QStringLiteral("Business Name (as listed on Commercial Permit)"))};

    NoActivitySpec& sales = form.activity;
    sales.kind = NoActivitySpec::Options;
    sales.control = QStringLiteral("optSalesType");
    sales.frame = QStringLiteral("fraSalesType");
    sales.frameCaption = QStringLiteral("Select \"Resale\" or \"End Use\" to Enter Sales Data");
    sales.captions = {
        QStringLiteral("No Sales Were Made This Year"),
        QStringLiteral("Report for Sales to Commercial Permit Holders for Resale"),
        QStringLiteral("Report for Sales to Commercial Applicators for End Use (Including Purchase Permit Sales)")};
    sales.warningLabel = QStringLiteral("lblNoSalesWarning");
    sales.lossWarning = QStringLiteral("You selected 'No Sales' but there were data entries.") + kCrLf +
                        QStringLiteral("Any data that was previously entered will be lost when you save this form.");
    sales.editRefusal = QStringLiteral("The 'No Sales Made' indicator is checked.") + kCrLf +
                        QStringLiteral("You may not add sales until you deselect it.");
    sales.noActivitySubtitle = QStringLiteral("NO sales were made this year");
    sales.recordName = QStringLiteral("No Sales");
    sales.subtitleFromOption = true;
    sales.startsWithoutActivity = true;

    form.columns = {
        GridColumn{QStringLiteral("EPA Reg Number"), 20, CellType::text()},
        GridColumn{QStringLiteral("Product Name"), 40, CellType::text()},
        GridColumn{QStringLiteral("Container Size Qty"), 15, CellType::number(0, 99999999.99, 4)},
        GridColumn{QStringLiteral("Container Units"), 10, FormParts::unitsList()},
        // Returns are sold containers too: the validator allows a negative
        // count.
        GridColumn{QStringLiteral("Containers Sold"), 10, CellType::number(-99999999.99, 99999999.99, 4)},
    };
    form.fields = {Vezedad::zrfEPANumber, Vezedad::zrfProductName, Vezedad::zrfContainerSizeQuantity,
                   Vezedad::zrfContainerSizeUnits, Vezedad::zrfContainersSold};
    form.validatedColumns = 5;
    form.leadingFields = 2;
    form.emptyGridMessage = QStringLiteral("No data entered; nothing to save.");
    form.emptyGridIcon = Vezedad::Ui::vbExclamation;
    form.fileNameIdBox = QStringLiteral("txtPermitNumber");
    form.help = FormParts::helpPages(QStringLiteral("How to &Submit Files to RUR"), false);
    return form;
}

Form25::Form25(QWidget* parent) : ReportForm(FormSpec(), parent) {}

void Form25::ReadFirstRecord(const QStringList& fields) {
    SetHeaderFromFile(Vezedad::zrfPermitNumber, Field(fields, 1));
    m_resaleRecords = m_endUseRecords = 0;
    // A file without sales records gives its no-sales record here.
    if (Field(fields, 0) == QStringLiteral("3"))
        SetLoadedActivity(NoSales);
    else
        SetLoadedActivity(Field(fields, kResaleField).isEmpty() ? EndUse : Resale);
}

void Form25::RecordLoaded(QAnyStringView line, const QString& delimiter) {
    const bool resale = line.visit([&](auto view) {
        if constexpr (std::is_same_v<decltype(view), QStringView>) {
            return !Vezedad::ReportFile::field(view, delimiter, kResaleField).isEmpty();
        } else {
            // The bytes of an ASCII record, whose delimiter is one byte.
            const QByteArrayView bytes(reinterpret_cast<const char*>(view.data()), view.size());
            return !Vezedad::ReportFile::field(bytes, char(delimiter.front().unicode()), kResaleField).isEmpty();
        }
    });
    ++(resale ? m_resaleRecords : m_endUseRecords);
}

QString Form25::LoadNotes() {
    // The report holds one kind of sales: a file that mixes them is not
    // re-marked without a word.
    if (m_resaleRecords == 0 || m_endUseRecords == 0) return QString();
    const QString kept = LoadedActivity() == Resale ? QStringLiteral("resale") : QStringLiteral("end use");
    return QStringLiteral("The file mixes resale and end-use records: %1 for resale, %2 for end use. A Form 25 "
                          "report is either for resale or for end use, so this one is kept as a report for %3, the "
                          "kind of its first sales record; saving it will mark every record as %3.")
        .arg(m_resaleRecords)
        .arg(m_endUseRecords)
        .arg(kept);
}

void Form25::WriteRecords(Vezedad::ReportFile::RecordWriter& file) {
    const QString permit = HeaderBox(Vezedad::zrfPermitNumber)->text();
    if (SalesType() == NoSales) {
        // "3|" + permit + "|||||||X|": five empty data fields, no resale
        // mark, the end-use field marked.
        file.field(u"3");
        file.field(permit);
        file.emptyFields(6);
        file.field(u"X");
        file.endRecord();
        return;
    }
    const QStringList marks = SalesType() == Resale ? QStringList{QStringLiteral("X"), QString()}
                                                    : QStringList{QString(), QStringLiteral("X")};
    WriteDataRecords(file, {QStringLiteral("0"), permit}, marks, 5);
}

} // namespace Dazozuvi
