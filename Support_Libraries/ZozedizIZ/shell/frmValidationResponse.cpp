#include "ZozedizIZ/shell/frmValidationResponse.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/DialogButtons.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ZozedizIZ {

frmValidationResponse::frmValidationResponse(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmValidationResponse"));
    setWindowTitle(QStringLiteral("File Validation"));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                   ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowContextHelpButtonHint));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    auto* fields = new QGridLayout;
    const auto field = [&](QLabel*& label, const char* labelName, const QString& caption, QLineEdit*& box,
                           const char* boxName) {
        const int row = fields->rowCount();
        label = new QLabel(caption, this);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(Twips::toPixelsX(1680));
        box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setReadOnly(true);
        box->setMinimumWidth(Twips::toPixelsX(4095));
        label->setBuddy(box);
        fields->addWidget(label, row, 0);
        fields->addWidget(box, row, 1);
    };
    field(lblFolder, "lblFolder", QStringLiteral("In Folder:"), txtFolder, "txtFolder");
    field(lblFile, "lblFile", QStringLiteral("File Validated:"), txtFile, "txtFile");
    field(lblReport, "lblReport", QStringLiteral("Exception Report:"), txtReport, "txtReport");
    field(lblSeverity, "lblSeverity", QStringLiteral("Validation Result:"), txtSeverity, "txtSeverity");

    chkShowReport = new QCheckBox(QStringLiteral("Open Exception Report"), this);
    chkShowReport->setObjectName(QStringLiteral("chkShowReport"));
    chkShowFile = new QCheckBox(QStringLiteral("Open File in Editor"), this);
    chkShowFile->setObjectName(QStringLiteral("chkShowFile"));
    MakeOkCancelButtons(this, cmdOK, cmdCancel);

    auto* choices = new QVBoxLayout;
    choices->addWidget(chkShowReport);
    choices->addWidget(chkShowFile);
    choices->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* bottom = new QHBoxLayout;
    bottom->addSpacing(Twips::toPixelsX(1800));
    bottom->addLayout(choices, 1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectGuarded(chkShowFile, &QCheckBox::toggled, this,
                   QStringLiteral("ZozedizIZ::frmValidationResponse.chkShowFile_Click"),
                   [this] { m_loadFile = chkShowFile->isChecked(); });
    connectGuarded(chkShowReport, &QCheckBox::toggled, this,
                   QStringLiteral("ZozedizIZ::frmValidationResponse.chkShowReport_Click"),
                   [this] { m_loadReport = chkShowReport->isChecked(); });
    connectGuarded(cmdOK, &QPushButton::clicked, this, QStringLiteral("ZozedizIZ::frmValidationResponse.cmdOK_Click"),
                   [this] { cmdOK_Click(); });
    connectGuarded(cmdCancel, &QPushButton::clicked, this,
                   QStringLiteral("ZozedizIZ::frmValidationResponse.cmdCancel_Click"), [this] { cmdCancel_Click(); });
    Form_Load();
}

QString frmValidationResponse::GetSeverityDescription(qint32 eSeverity) {
    switch (eSeverity) {
    case Vezedad::kvesOK: return QStringLiteral("File passed validation");
    case Vezedad::kvesWarning: return QStringLiteral("There were some warnings");
    default: return QStringLiteral("File failed validation");
    }
}

void frmValidationResponse::ShowDialog(const QString& strFolder, const QString& strFile,
                                       const QString& strExceptionFile, qint32 eSeverity) {
    txtFolder->setText(strFolder);
    txtFile->setText(strFile);
    txtReport->setText(strExceptionFile);
    if (strExceptionFile.isEmpty()) chkShowReport->setEnabled(false);
    txtSeverity->setText(GetSeverityDescription(eSeverity));
    cmdOK->setFocus();
    Vezedad::Ui::ExecModal(*this);
}

void frmValidationResponse::Form_Load() {
    m_cancelled = true;
    for (QWidget* w :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(chkShowReport), static_cast<QWidget*>(chkShowFile)})
        Vezedad::Ui::SetBackColor(*w);
}

void frmValidationResponse::CancelLoading() {
    m_cancelled = true;
    chkShowFile->setChecked(false);
    chkShowReport->setChecked(false);
}

void frmValidationResponse::cmdOK_Click() {
    m_cancelled = false;
    accept();
}

void frmValidationResponse::cmdCancel_Click() { reject(); }

void frmValidationResponse::reject() {
    Vezedad::Ui::GuardShowError(
        QStringLiteral("ZozedizIZ::frmValidationResponse.Form_QueryUnload"), [this] { CancelLoading(); }, this);
    QDialog::reject();
}

} // namespace ZozedizIZ
