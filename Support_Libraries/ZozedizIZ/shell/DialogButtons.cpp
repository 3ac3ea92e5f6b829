#include "ZozedizIZ/shell/DialogButtons.h"

#include "ZozedizIZ/shell/Twips.h"

#include <QPushButton>

namespace ZozedizIZ {

void MakeOkCancelButtons(QWidget* dialog, QPushButton*& cmdOK, QPushButton*& cmdCancel) {
    cmdOK = new QPushButton(QStringLiteral("OK"), dialog);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    for (QPushButton* button : {cmdOK, cmdCancel}) button->setMinimumSize(Twips::toPixels(QSize(1215, 375)));
}

} // namespace ZozedizIZ
