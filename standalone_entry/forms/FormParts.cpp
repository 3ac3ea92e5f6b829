#include "forms/FormParts.h"

#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/validation/ValidationTypes.h"

namespace Dazozuvi::FormParts {

HeaderBoxSpec permitNumberBox(int maxLength) {
    HeaderBoxSpec permit;
    permit.box = QStringLiteral("txtPermitNumber");
    permit.label = QStringLiteral("lblPermitNumber");
    permit.caption = QStringLiteral("Commercial Permit #");
    permit.fieldId = Vezedad::zrfPermitNumber;
    permit.toolTip =
        QStringLiteral("A code issued by RUR beginning with \"R\" and followed by 5 numeric digits. No dashes please.");
    permit.maxLength = maxLength;
    permit.widthTwips = 1800;
    return permit;
}

HeaderBoxSpec businessNameBox(const QString& caption) {
    HeaderBoxSpec name;
    name.box = QStringLiteral("txtBusinessName");
    name.label = QStringLiteral("lblBusinessName");
    name.caption = caption;
    name.fieldId = Vezedad::zrfBusinessName;
    name.checked = false;
    name.fromFile = false;
    name.inFile = false;
    name.widthTwips = 4200;
    return name;
}

CellType unitsList() { return CellType::listFromTabs(QStringLiteral("FL\tGL\tGM\tKG\tL\tLB\tMG\tML\tOZ\tQT")); }

QList<GridColumn> placeColumns() {
    return {GridColumn{QStringLiteral("County"), 8, CellType::digits(2)},
            GridColumn{QStringLiteral("Address"), 30, CellType::text(50)},
            GridColumn{QStringLiteral("Municipality"), 20, CellType::text(30)},
            GridColumn{QStringLiteral("Zip Code"), 10, CellType::digits(5)}};
}

QList<HelpPageSpec> helpPages(const QString& submitCaption, bool countyPage) {
    QList<HelpPageSpec> pages{{QStringLiteral("mnuHelpGuide"), QStringLiteral("&User Guide"), Vezedad::docUserGuideA},
                              {QStringLiteral("mnuHelpSubmit"), submitCaption, Vezedad::docUploadReport}};
    if (countyPage)
        pages.append({QStringLiteral("mnuHelpCountyPopup"), QStringLiteral("County Code &Popup Options Help"),
                      Vezedad::docCountyPop});
    return pages;
}

} // namespace Dazozuvi::FormParts
