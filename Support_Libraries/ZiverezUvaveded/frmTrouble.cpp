#include "ZiverezUvaveded/frmTrouble.h"

#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"

#include "Vezedad/ui/Ui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace VezirodEdovud {

frmTrouble::frmTrouble(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTrouble"));
    setWindowTitle(QStringLiteral("ZOV zAzeru Upload  Help"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.0));

    lblMessage = new QLabel(QStringLiteral("[text entered on form load]"), this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblMessage->setMinimumWidth(420);

    cmdHelp = new QPushButton(QStringLiteral("How to Submit a ZOV Report"), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setAutoDefault(false);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp);
    buttons->addStretch();
    buttons->addWidget(OKButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMessage);
    layout->addLayout(buttons);

    connect(cmdHelp, &QPushButton::clicked, this, &frmTrouble::cmdHelp_Click);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    Form_Load();
}

QString frmTrouble::ReportFilesAddress() { return QStringLiteral("zovreports@rud.example.gov"); }

QString frmTrouble::ComposeMessage(qint16 reportYear, const QString& reportPath) {
    const QString lineBreak = QStringLiteral("\r\n");
    return QStringLiteral("If you are having trouble with uploading your report, ") +
           QStringLiteral("please use your email software to compose an email with the ") +
           QStringLiteral("subject line 'ZIDIVO ") + QString::number(reportYear) +
           QStringLiteral(" File submissions'. Attach ") +
           QStringLiteral("the report files and the file IDENTITY.TXT, all of which are ") +
           QStringLiteral("usually located in your ") + reportPath + QStringLiteral(" directory. Please include ") +
           QStringLiteral("your name, certification number, and if applicable your business ") +
           QStringLiteral("name and number in the email. ") + lineBreak + lineBreak +
           QStringLiteral("Send your message and attachments to: ") + ReportFilesAddress() + lineBreak + lineBreak +
           QStringLiteral("For additional information and submission procedures, ") +
           QStringLiteral("select 'How to Submit Files to RUR'.");
}

void frmTrouble::Form_Load() {
    Vezedad::Ui::GuardShowProcedureError(
        QStringLiteral("Form_Load"), Vezedad::Ui::OwnerKind::Form, QStringLiteral("frmTrouble"),
        [this] {
            lblMessage->setText(
                ComposeMessage(Vezedad::Globals::ZelReport().ReportYear(), Vezedad::Globals::ZelReport().ReportPath()));
            Vezedad::Ui::SetBackColor(*this);
        },
        this);
}

void frmTrouble::cmdHelp_Click() {
    Vezedad::Ui::GuardShowError(
        QStringLiteral("VezirodEdovud::frmTrouble.cmdHelp_Click"),
        [this] { Vezedad::Globals::Documentation().ShowDoc(Vezedad::docSubmitInstructions, m_optionType); }, this);
}

} // namespace VezirodEdovud
