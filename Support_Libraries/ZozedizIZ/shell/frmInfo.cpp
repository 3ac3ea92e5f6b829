#include "ZozedizIZ/shell/frmInfo.h"

#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/RichText.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace ZozedizIZ {

frmInfo::frmInfo(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Form1"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 8.25));
    setSizeGripEnabled(true);

    rtfInfo = new QTextBrowser(this);
    rtfInfo->setObjectName(QStringLiteral("rtfInfo"));
    rtfInfo->setReadOnly(true);
    rtfInfo->setOpenLinks(false);
    // The page is heard by the notice's caption.
    connect(this, &QWidget::windowTitleChanged, rtfInfo,
            [this](const QString& caption) { Vezedad::Ui::SetAccessibleName(*rtfInfo, caption); });
    cmdExit = new QPushButton(QStringLiteral("OK"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));
    cmdExit->setDefault(true);
    cmdExit->setMinimumSize(Twips::toPixels(QSize(1215, 495)));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdExit);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, Twips::toPixelsY(90));
    layout->addWidget(rtfInfo, 1);
    layout->addLayout(buttons);
    resize(Twips::toPixels(QSize(8595, 5445)));

    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);
    Form_Load();
}

void frmInfo::Form_Load() { Vezedad::Ui::SetBackColor(*this); }

void frmInfo::SetMessage(const QString& message) { RichText::SetText(*rtfInfo, message); }

} // namespace ZozedizIZ
