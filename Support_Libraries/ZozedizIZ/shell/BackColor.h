#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

class QWidget;

namespace ZozedizIZ {

// A text box (or any scroll area) in the windows' background colour: the
// "BackColor" setting, or the system's button face when it cannot be read.
ZOZEDIZIZ_EXPORT void SetTextBoxBackColor(QWidget& box);

} // namespace ZozedizIZ
