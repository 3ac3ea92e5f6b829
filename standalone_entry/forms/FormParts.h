#pragma once
// Pieces that several report forms share: the sales forms' permit box, the
// business name box, the columns of a place of use, the units list and the
// Help menu pages.
#include "forms/ReportForm.h"

namespace Dazozuvi::FormParts {

// "Commercial Permit #": checked, read from the file's first record.
HeaderBoxSpec permitNumberBox(int maxLength = 0);
// The business name under caption: the identity checks it itself, and no
// file holds it.
HeaderBoxSpec businessNameBox(const QString& caption);
// The drop-down list of the units columns.
CellType unitsList();
// County code, address, municipality and zip code of a place of use.
QList<GridColumn> placeColumns();
// The Help menu: the user guide, how to submit files (with its caption), and
// the county-code popup page when the form has a county column.
QList<HelpPageSpec> helpPages(const QString& submitCaption, bool countyPage);

} // namespace Dazozuvi::FormParts
