#include "forms/Form25.h"

#include "forms/FormParts.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QLineEdit>

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
    m_typeFromSalesRecord = false;
    if (Field(fields, 0) == QStringLiteral("3")) {
        SetLoadedActivity(NoSales);
        m_typeFromSalesRecord = true;
    } else {
        SetLoadedActivity(Field(fields, kResaleField).isEmpty() ? EndUse : Resale);
    }
}

void Form25::RecordLoaded(QStringView line, const QString& delimiter) {
    if (!m_typeFromSalesRecord) return;
    m_typeFromSalesRecord = false;
    qsizetype pos = 0;
    for (int i = 0; i < kResaleField && pos >= 0; ++i) {
        pos = line.indexOf(delimiter, pos);
        if (pos >= 0) pos += delimiter.size();
    }
    QStringView mark;
    if (pos >= 0) {
        const qsizetype end = line.indexOf(delimiter, pos);
        mark = line.mid(pos, end < 0 ? -1 : end - pos);
    }
    SetLoadedActivity(mark.isEmpty() ? EndUse : Resale);
}

void Form25::WriteRecords(QString& content) {
    const QString permit = HeaderBox(Vezedad::zrfPermitNumber)->text();
    if (SalesType() == NoSales) {
        content += QStringLiteral("3|") + permit + QStringLiteral("|||||||X|") + kCrLf;
        return;
    }
    const QString marks = SalesType() == Resale ? QStringLiteral("X||") : QStringLiteral("|X|");
    AppendDataRecords(content, QStringLiteral("0|") + permit + QLatin1Char('|'), marks, 5);
}

} // namespace Dazozuvi
