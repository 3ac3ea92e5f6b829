#include "forms/Form27.h"

#include "forms/FormParts.h"
#include "forms/ReportFileIO.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QLineEdit>

namespace Dazozuvi {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The no-sales record after the permit number: nine empty fields, so that
// it has a sales record's shape.
constexpr int kNoSalesFields = 9;

} // namespace

ReportFormSpec Form27::FormSpec() {
    ReportFormSpec form;
    form.formType = Vezedad::zfotForm27;
    form.name = QStringLiteral("Form27");
    form.caption = QStringLiteral("ZOV Form 27: ANNUAL REPORT FOR PESTICIDE SALES TO CERTIFIED PRIVATE APPLICATORS");
    form.minWidthTwips = 4035;
    form.minHeightTwips = 5475;

    form.headerBoxes = {FormParts::permitNumberBox(6),
                        FormParts::businessNameBox(QStringLiteral("Business Name (as listed on Commercial Permit)"))};

    NoActivitySpec& sales = form.activity;
    sales.kind = NoActivitySpec::CheckBox;
    sales.control = QStringLiteral("chkNoSales");
    sales.captions = {QStringLiteral("No Sales to Private Applicators Were Made This Year")};
    sales.warningLabel = QStringLiteral("lblNoSalesWarning");
    sales.lossWarning = QStringLiteral("You selected 'No Sales' but there were data entries in the grid.") + kCrLf +
                        QStringLiteral("Any data that was previously entered will be lost when you save this form.");
    sales.editRefusal = QStringLiteral("The 'No Sales Made' indicator is checked.") + kCrLf +
                        QStringLiteral("You may not add sales until you deselect it.");
    sales.noActivitySubtitle = QStringLiteral("NO Sales Were Made this Year");
    sales.recordName = QStringLiteral("No Sales");

    form.columns = {
        GridColumn{QStringLiteral("EPA Reg Number"), 20, CellType::text(19)},
        GridColumn{QStringLiteral("Product Name"), 40, CellType::text(65)},
        GridColumn{QStringLiteral("Quantity"), 12, CellType::number(0, 99999999.99, 4)},
        GridColumn{QStringLiteral("Units"), 8, FormParts::unitsList()},
        GridColumn{QStringLiteral("Date Sold"), 12, CellType::date()},
    };
    form.columns += FormParts::placeColumns();
    form.upperHeaders = {
        UpperHeader{1, 5, QStringLiteral("ALL Columns are REQUIRED (including \"Location of Intended Application\")")},
        UpperHeader{6, 9, QStringLiteral("Location of Intended Application")}};
    form.fields = {Vezedad::zrfEPANumber, Vezedad::zrfProductName,  Vezedad::zrfQuantitySold,
                   Vezedad::zrfUnits,     Vezedad::zrfDateSold,     Vezedad::zrfCounty,
                   Vezedad::zrfAddress,   Vezedad::zrfMunicipality, Vezedad::zrfZipCode};
    form.validatedColumns = 9;
    form.countyColumn = 6;
    form.leadingFields = 2;
    form.fileNameIdBox = QStringLiteral("txtPermitNumber");
    form.help = FormParts::helpPages(QStringLiteral("How to &Submit Files To RUR"), true);
    return form;
}

Form27::Form27(QWidget* parent) : ReportForm(FormSpec(), parent) {}

void Form27::ReadFirstRecord(const QStringList& fields) {
    // Whatever its indicator says: the rows loaded decide the sales.
    SetHeaderFromFile(Vezedad::zrfPermitNumber, Field(fields, 1));
}

void Form27::WriteRecords(Vezedad::ReportFile::RecordWriter& file) {
    const QString permit = HeaderBox(Vezedad::zrfPermitNumber)->text();
    if (!HasActivity()) {
        writeRecord(file, {QStringLiteral("3"), permit}, kNoSalesFields);
        return;
    }
    WriteDataRecords(file, {QStringLiteral("0"), permit}, {}, int(Params().columns.size()));
}

} // namespace Dazozuvi
