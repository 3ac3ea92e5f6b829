#include "ZozedizIZ/shell/BackColor.h"

#include "Vezedad/ui/Ui.h"

#include <QPalette>
#include <QWidget>

namespace ZozedizIZ {

void SetTextBoxBackColor(QWidget& box) {
    Vezedad::Ui::SetBackColor(box);
    // A text box paints its text area in the base colour.
    QPalette palette = box.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box.setPalette(palette);
}

} // namespace ZozedizIZ
