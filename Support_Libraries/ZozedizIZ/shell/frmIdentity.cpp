#include "ZozedizIZ/shell/frmIdentity.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/BackColor.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/IdentityUI.h"
#include "ZozedizIZ/shell/LeaveCheck.h"
#include "ZozedizIZ/shell/Twips.h"
#include "ZozedizIZ/shell/Utilities.h"

#include <QGridLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace ZozedizIZ {

frmIdentity::frmIdentity(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmIdentity"));
    setWindowTitle(QStringLiteral("Identity Information"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));
    setSizeGripEnabled(true);

    txtMessage = new QPlainTextEdit(this);
    txtMessage->setObjectName(QStringLiteral("txtMessage"));
    Vezedad::Ui::SetAccessibleName(*txtMessage, QStringLiteral("Information Needed"));
    txtMessage->setReadOnly(true);
    txtMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMessage->setTabChangesFocus(true);
    txtMessage->setMinimumSize(Twips::toPixels(QSize(6000, 900)));
    ucIdentityUI = new IdentityUI(this);
    ucIdentityUI->setObjectName(QStringLiteral("ucIdentityUI"));
    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setAutoDefault(false);
    cmdExit = new QPushButton(QStringLiteral("OK"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setToolTip(QStringLiteral("Save and Exit"));
    cmdExit->setDefault(true);
    for (QPushButton* b : {cmdSave, cmdExit}) b->setMinimumSize(Twips::toPixels(QSize(1215, 495)));

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(Twips::toPixelsY(105));
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdExit);
    buttons->addStretch();
    // On a screen too low for the whole editor, the editor scrolls (to the
    // box that has the focus) rather than running off the screen.
    auto* scrIdentity = new QScrollArea(this);
    scrIdentity->setObjectName(QStringLiteral("scrIdentity"));
    scrIdentity->setFrameShape(QFrame::NoFrame);
    scrIdentity->setFocusPolicy(Qt::NoFocus);
    scrIdentity->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrIdentity->setWidget(ucIdentityUI);
    scrIdentity->setMinimumWidth(ucIdentityUI->width() +
                                 scrIdentity->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scrIdentity));
    scrIdentity->setMaximumHeight(ucIdentityUI->height());
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, Twips::toPixelsX(45), 0);
    layout->setHorizontalSpacing(Twips::toPixelsX(120));
    layout->setVerticalSpacing(Twips::toPixelsY(60));
    layout->addWidget(txtMessage, 0, 0);
    layout->addWidget(scrIdentity, 1, 0);
    layout->addLayout(buttons, 0, 1, 2, 1);
    // The editor takes its whole height first; the message the rest.
    layout->setRowStretch(0, 1);
    layout->setRowStretch(1, 1000);
    resize(Twips::toPixels(QSize(7380, 7800)).expandedTo(layout->minimumSize()));
    // Down the editor's boxes, then the buttons; the message last.
    setTabOrder(ucIdentityUI, cmdSave);
    setTabOrder(cmdSave, cmdExit);
    setTabOrder(cmdExit, txtMessage);

    connectGuarded(cmdSave, &QPushButton::clicked, this, QStringLiteral("ZozedizIZ::frmIdentity.cmdSave_Click"),
                   [this] { cmdSave_Click(); });
    connectGuarded(cmdExit, &QPushButton::clicked, this, QStringLiteral("ZozedizIZ::frmIdentity.cmdExit_Click"),
                   [this] { accept(); });
}

void frmIdentity::Initialize(qint32 eFormType, const QString& strMessage) {
    m_formType = eFormType;
    m_message = strMessage;
}

void frmIdentity::ShowModal() {
    Form_Load();
    Vezedad::Ui::ExecModal(*this);
}

void frmIdentity::Form_Load() {
    Vezedad::Ui::GuardShowError(
        QStringLiteral("ZozedizIZ::frmIdentity.Form_Load"),
        [this] {
            ucIdentityUI->Initialize(Vezedad::Globals::ZelReport().Identity());
            SetBackColor();
            UpdateMessage();
        },
        this);
}

void frmIdentity::SetBackColor() {
    Vezedad::Ui::SetBackColor(*this);
    SetTextBoxBackColor(*txtMessage);
}

void frmIdentity::UpdateMessage() {
    txtMessage->setPlainText(m_message + QStringLiteral("\r\n") +
                             Globals::Utilities().MissingInfoDisplay(uaOpenForm, m_formType) +
                             QStringLiteral("\r\nInclude contact information if missing."));
}

void frmIdentity::ValidateEntries() {
    LeaveCheck::ValidateControls(this);
    ucIdentityUI->Validate();
}

void frmIdentity::cmdSave_Click() {
    if (LeaveCheck::InputsKept([this] { ValidateEntries(); })) Vezedad::Globals::ZelReport().Identity()->Save();
}

bool frmIdentity::Form_QueryUnload() {
    if (!LeaveCheck::InputsKept([this] { ValidateEntries(); })) return false;
    if (!Globals::Utilities().NeedsIdentity(m_formType)) return true;
    UpdateMessage();
    return false;
}

void frmIdentity::done(int result) {
    bool mayClose = false;
    Vezedad::Ui::GuardShowError(
        QStringLiteral("ZozedizIZ::frmIdentity.Form_QueryUnload"), [&] { mayClose = Form_QueryUnload(); }, this);
    if (mayClose) QDialog::done(result);
}

} // namespace ZozedizIZ
