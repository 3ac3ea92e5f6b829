#include "grid/frmExitOptions.h"

#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Dazozuvi {

frmExitOptions::frmExitOptions(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmExitOptions"));
    setWindowTitle(QStringLiteral("ZOV zAzeru: Save Data On Exit?"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    txtCaption = new QPlainTextEdit(this);
    txtCaption->setObjectName(QStringLiteral("txtCaption"));
    txtCaption->setReadOnly(true);
    txtCaption->setFrameShape(QFrame::NoFrame);
    txtCaption->setFocusPolicy(Qt::NoFocus);
    txtCaption->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtCaption->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtCaption->setPlainText(QStringLiteral("Data has changed.\nWhat would you like to do?\n"));
    // The question is what a screen reader says of the window and its text.
    Vezedad::Ui::SetAccessibleName(*txtCaption, QStringLiteral("Data has changed. What would you like to do?"));
    setAccessibleDescription(txtCaption->accessibleName());
    txtCaption->setFixedHeight(QFontMetrics(font()).lineSpacing() * 3 + ZozedizIZ::Twips::toPixelsY(120));

    static const char* const captions[] = {"Keep Form &Open", "&Save and Close", "&Validate, Save, Close",
                                           "&Close Without Saving"};
    auto* buttons = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        cmdExitOption[i] = new QPushButton(QString::fromLatin1(captions[i]), this);
        cmdExitOption[i]->setObjectName(QStringLiteral("cmdExitOption(%1)").arg(i));
        cmdExitOption[i]->setMinimumSize(ZozedizIZ::Twips::toPixels(QSize(1935, 495)));
        buttons->addWidget(cmdExitOption[i]);
        ZozedizIZ::connectGuarded(cmdExitOption[i], &QPushButton::clicked, this,
                                  QStringLiteral("Dazozuvi::frmExitOptions.cmdExitOption_Click"),
                                  [this, i] { cmdExitOption_Click(i); });
    }
    // Enter keeps the form open, as Esc and the close box do: nothing is
    // saved or dropped without a deliberate choice.
    cmdExitOption[KeepOpen]->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtCaption);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool frmExitOptions::AllowSave() const { return cmdExitOption[SaveAndClose]->isEnabled(); }
void frmExitOptions::setAllowSave(bool value) { cmdExitOption[SaveAndClose]->setEnabled(value); }
bool frmExitOptions::AllowValidate() const { return cmdExitOption[ValidateSaveClose]->isEnabled(); }
void frmExitOptions::setAllowValidate(bool value) { cmdExitOption[ValidateSaveClose]->setEnabled(value); }

qint32 frmExitOptions::ShowDialog() {
    m_selected = KeepOpen;
    Form_Load();
    cmdExitOption[KeepOpen]->setFocus();
    Vezedad::Ui::ExecModal(*this);
    return m_selected;
}

void frmExitOptions::Form_Load() { SetBackColor(); }

void frmExitOptions::SetBackColor() {
    // The setting's colour, or the button face when it cannot be read, for
    // the window and its prompt alike.
    Vezedad::Ui::SetBackColor(*this);
    QPalette palette = txtCaption->palette();
    palette.setColor(QPalette::Base, this->palette().color(QPalette::Window));
    txtCaption->setPalette(palette);
}

void frmExitOptions::cmdExitOption_Click(int index) {
    m_selected = index;
    accept();
}

} // namespace Dazozuvi
