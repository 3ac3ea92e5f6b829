#include "forms/Form26.h"

#include "forms/FormParts.h"
#include "forms/ReportFileIO.h"

#include "applicators/Applicator.h"
#include "applicators/ApplicatorList.h"
#include "applicators/Applicators.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/validation/ValidationTypes.h"

#include <QLineEdit>

namespace Dazozuvi {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The fields of the no-applications record after the two ids: ten empty
// ones.
constexpr int kNoApplicationsFields = 10;

HeaderBoxSpec box(const QString& name, const QString& label, const QString& caption, qint32 fieldId, int widthTwips) {
    HeaderBoxSpec s;
    s.box = name;
    s.label = label;
    s.caption = caption;
    s.fieldId = fieldId;
    s.widthTwips = widthTwips;
    return s;
}

} // namespace

ReportFormSpec Form26::FormSpec() {
    ReportFormSpec form;
    form.formType = Vezedad::zfotForm26;
    form.name = QStringLiteral("Form26");
    form.caption = QStringLiteral("ZOV Form 26: APPLICATOR/TECHNICIAN PESTICIDE USE ANNUAL REPORT");
    form.minWidthTwips = 4035;
    form.minHeightTwips = 5475;

    // Certification id, name, registration number: one row, each box filled
    // from the identity for a new report and from record 1 (the name through
    // the applicator registry) for a loaded one.
    HeaderBoxSpec name = box(QStringLiteral("txtName"), QStringLiteral("lblApplicatorName"),
                             QStringLiteral("Applicator Name"), Vezedad::zrfApplName, 3000);
    name.checked = false; // the identity checks a name itself
    name.inFile = false;
    form.headerBoxes = {box(QStringLiteral("txtCertId"), QStringLiteral("lblCertId"),
                            QStringLiteral("Certification ID #"), Vezedad::zrfCertificationId, 1800),
                        name,
                        box(QStringLiteral("txtBusRegNum"), QStringLiteral("lblBusRegNum"),
                            QStringLiteral("Bus./Agency Reg. # "), Vezedad::zrfBusinessRegNum, 1800)};
    form.headerBoxesInRow = true;

    NoActivitySpec& apps = form.activity;
    apps.kind = NoActivitySpec::CheckBox;
    apps.control = QStringLiteral("chkNoApps");
    apps.captions = {QStringLiteral("No Commercial Applications Were Conducted This Year")};
    apps.warningLabel = QStringLiteral("lblNoAppWarning");
    apps.lossWarning = QStringLiteral("You selected 'No Applications' but there were data entries in the grid.") +
                       kCrLf +
                       QStringLiteral("Any data that was previously entered will be lost when you save this form.");
    apps.editRefusal = QStringLiteral("The 'No Applications Made' box is checked.") + kCrLf +
                       QStringLiteral("You may not add applications until you uncheck it.");
    apps.noActivitySubtitle = QStringLiteral("NO Commercial applications were made this year");
    apps.recordName = QStringLiteral("No Applications");

    const CellType notes = CellType::text(32000);
    form.columns = {
        GridColumn{QStringLiteral("EPA Reg Number"), 20, CellType::text(19)},
        GridColumn{QStringLiteral("Product Name"), 40, CellType::text(65)},
        GridColumn{QStringLiteral("Quantity"), 12, CellType::number(0, 99999999.99, 4)},
        GridColumn{QStringLiteral("Units"), 8, FormParts::unitsList()},
        GridColumn{QStringLiteral("Apply Date"), 12, CellType::date()},
        GridColumn{QStringLiteral("End Date"), 12, CellType::date()},
    };
    form.columns += FormParts::placeColumns();
    form.columns += QList<GridColumn>{
        GridColumn{QStringLiteral("Dosage Rate"), 15, notes},
        GridColumn{QStringLiteral("Method of Appl."), 15, notes},
        GridColumn{QStringLiteral("Target Organism(s)"), 20, notes},
        GridColumn{QStringLiteral("Place of Appl."), 20, notes},
    };
    form.upperHeaders = {
        UpperHeader{1, 10,
                    QStringLiteral("All Columns are REQUIRED except \"End Date\" and \"Record Keeping Columns\"")},
        UpperHeader{11, 14, QStringLiteral("Record Keeping Columns")}};
    form.fields = {Vezedad::zrfEPANumber,    Vezedad::zrfProductName, Vezedad::zrfQuantity, Vezedad::zrfUnits,
                   Vezedad::zrfDateStart,    Vezedad::zrfDateEnd,     Vezedad::zrfCounty,   Vezedad::zrfAddress,
                   Vezedad::zrfMunicipality, Vezedad::zrfZipCode,     Vezedad::zrfDosage,   Vezedad::zrfMethod,
                   Vezedad::zrfTarget,       Vezedad::zrfPlace};
    form.validatedColumns = 10;
    form.countyColumn = 7;
    form.leadingFields = 3;
    form.fileNameIdBox = QStringLiteral("txtCertId");
    form.help = FormParts::helpPages(QStringLiteral("How to &Submit Files To RUR"), true);
    return form;
}

Form26::Form26(QWidget* parent) : ReportForm(FormSpec(), parent) {}

void Form26::ReadFirstRecord(const QStringList& fields) {
    // The header, on screen and in print (the clone), names only the person
    // whose id the report holds: the filer's id and name, which the clone
    // starts with, never stand over another applicator's report.
    Vezedad::Identity& clone = Clone();
    const QString certId = Field(fields, 1);
    if (certId.compare(HeaderBox(Vezedad::zrfCertificationId)->text(), Qt::CaseInsensitive) != 0)
        SetHeaderFromFile(Vezedad::zrfCertificationId, certId);
    // An id the identity refuses, or none: the clone holds none either.
    if (clone.CertificationId() != certId) clone.setCertificationId(QString());
    // The file holds no name: the registry knows it by the id. An id it does
    // not know, or none, names nobody.
    const ApplicatorPtr applicator =
        certId.trimmed().isEmpty() ? ApplicatorPtr() : modGlobals::Applicators().Item(certId);
    const QString name = applicator ? applicator->FullName() : QString();
    SetHeaderFromFile(Vezedad::zrfApplName, name);
    if (clone.ApplicatorName() != name) clone.setApplicatorName(QString());
    const QString busRegNum = Field(fields, 2);
    if (!busRegNum.isEmpty()) SetHeaderFromFile(Vezedad::zrfBusinessRegNum, busRegNum);
}

void Form26::WriteRecords(Vezedad::ReportFile::RecordWriter& file) {
    const QString certId = HeaderBox(Vezedad::zrfCertificationId)->text();
    const QString busRegNum = HeaderBox(Vezedad::zrfBusinessRegNum)->text();
    if (!HasActivity()) {
        writeRecord(file, {QStringLiteral("3"), certId, busRegNum}, kNoApplicationsFields);
        return;
    }
    WriteDataRecords(file, {QStringLiteral("0"), certId, busRegNum}, {}, int(Params().columns.size()));
}

} // namespace Dazozuvi
