#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

class QPushButton;
class QWidget;

namespace ZozedizIZ {

// The "OK" (default, Enter) and "Cancel" buttons of a dialog, named cmdOK and
// cmdCancel, each at least 1215 × 375 twips.
ZOZEDIZIZ_EXPORT void MakeOkCancelButtons(QWidget* dialog, QPushButton*& cmdOK, QPushButton*& cmdCancel);

} // namespace ZozedizIZ
