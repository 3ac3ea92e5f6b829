#include "ZozedizIZ/shell/frmMoreApplicators.h"

#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/GuardedSlot.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ZozedizIZ {

frmMoreApplicators::frmMoreApplicators(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMoreApplicators"));
    setWindowTitle(QStringLiteral("Open Form 26A?"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    lblPrompt = new QLabel(QStringLiteral("Do you need to enter more applicators?"), this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    chkStopAsking = new QCheckBox(QStringLiteral("Do not ask again during this session."), this);
    chkStopAsking->setObjectName(QStringLiteral("chkStopAsking"));
    cmdYes = new QPushButton(QStringLiteral("Yes"), this);
    cmdYes->setObjectName(QStringLiteral("cmdYes"));
    cmdNo = new QPushButton(QStringLiteral("No"), this);
    cmdNo->setObjectName(QStringLiteral("cmdNo"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdYes);
    buttons->addWidget(cmdNo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(chkStopAsking);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectGuarded(chkStopAsking, &QCheckBox::toggled, this,
                   QStringLiteral("ZozedizIZ::frmMoreApplicators.chkStopAsking_Click"),
                   [this] { chkStopAsking_Click(); });
    connectGuarded(cmdYes, &QPushButton::clicked, this, QStringLiteral("ZozedizIZ::frmMoreApplicators.cmdYes_Click"),
                   [this] { cmdYes_Click(); });
    connectGuarded(cmdNo, &QPushButton::clicked, this, QStringLiteral("ZozedizIZ::frmMoreApplicators.cmdNo_Click"),
                   [this] { cmdNo_Click(); });
}

void frmMoreApplicators::ShowModal() {
    Form_Load();
    Vezedad::Ui::ExecModal(*this);
}

void frmMoreApplicators::Form_Load() {
    for (QWidget* w :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(lblPrompt), static_cast<QWidget*>(chkStopAsking)})
        Vezedad::Ui::SetBackColor(*w);
    m_needMore = false;
    chkStopAsking->setChecked(!m_keepAsking);
    cmdYes->setFocus();
}

void frmMoreApplicators::chkStopAsking_Click() { m_keepAsking = !chkStopAsking->isChecked(); }

void frmMoreApplicators::cmdYes_Click() {
    m_needMore = true;
    accept();
}

void frmMoreApplicators::cmdNo_Click() {
    m_needMore = false;
    reject();
}

} // namespace ZozedizIZ
