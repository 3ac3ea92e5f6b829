#include "ZozedizIZ/editors/frmEpaItemEditor.h"

#include "Vezedad/foundation/Globals.h"
#include "Vezedad/reportfile/ReportFile.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationTypes.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/shell/DialogButtons.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/LeaveCheck.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ZozedizIZ {

namespace {

const QString kLocation = QStringLiteral("ZozedizIZ::frmEpaItemEditor.");
constexpr int kNumberMaxLength = 20;
constexpr int kNameMaxLength = 66;

// Why the list file could not hold a name, or empty when it can.
QString nameRefusal(const QString& name) {
    const QString why = Vezedad::ReportFile::refusal(name, QStringLiteral("The product name"));
    return why.isEmpty() ? why : why + QLatin1Char('.');
}

// A limit on typing that never cuts a longer value that is already stored.
void setTextKeepingIt(QLineEdit& box, const QString& text, int maxLength) {
    box.setMaxLength(qMax(maxLength, int(text.size())));
    box.setText(text);
}

} // namespace

frmEpaItemEditor::frmEpaItemEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmEpaItemEditor"));
    setWindowTitle(QStringLiteral("Product Info"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    txtEpaNumber = new QLineEdit(this);
    txtEpaNumber->setObjectName(QStringLiteral("txtEpaNumber"));
    txtEpaNumber->setMaxLength(kNumberMaxLength);
    txtEpaNumber->setToolTip(
        QStringLiteral("Enter the EPA Registration Number (2 or 3 groups of up to 6 digits separated by hyphen)"));
    txtEpaNumber->setMinimumWidth(Twips::toPixelsX(2115));

    txtProductName = new QLineEdit(this);
    txtProductName->setObjectName(QStringLiteral("txtProductName"));
    txtProductName->setMaxLength(kNameMaxLength);
    txtProductName->setToolTip(QStringLiteral("Product name from the pesticide label; maximum 65 characters."));
    txtProductName->setMinimumWidth(Twips::toPixelsX(4575));

    MakeOkCancelButtons(this, cmdOK, cmdCancel);

    lblName = new QLabel(QStringLiteral("Product Name:"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    lblName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblName->setBuddy(txtProductName);
    lblNumber = new QLabel(QStringLiteral("EPA Registration Number:"), this);
    lblNumber->setObjectName(QStringLiteral("lblNumber"));
    lblNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblNumber->setBuddy(txtEpaNumber);
    // Never narrower than its text, whatever font stands in for Arial.
    Twips::keepDesignSize(lblNumber, 2295, 300);
    lblValMessage = new QLabel(this);
    lblValMessage->setObjectName(QStringLiteral("lblValMessage"));
    lblValMessage->setWordWrap(true);
    lblValMessage->setTextFormat(Qt::PlainText);
    lblValMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblValMessage->setMinimumSize(Twips::toPixels(QSize(4215, 720)));

    auto* grid = new QGridLayout;
    grid->addWidget(lblNumber, 0, 0);
    grid->addWidget(txtEpaNumber, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblName, 1, 0);
    grid->addWidget(txtProductName, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblValMessage, 1);
    bottom->addWidget(cmdOK, 0, Qt::AlignBottom);
    bottom->addWidget(cmdCancel, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);
    resize(Twips::toPixels(QSize(7110, 2040)));

    setTabOrder(txtEpaNumber, txtProductName);
    setTabOrder(txtProductName, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(txtEpaNumber, &QLineEdit::textChanged, this, [this] { EnableOK(); });
    connect(txtProductName, &QLineEdit::textChanged, this, [this] { EnableOK(); });
    connectGuarded(cmdOK, &QPushButton::clicked, this, kLocation + QStringLiteral("cmdOK_Click"),
                   [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &frmEpaItemEditor::reject);

    // Each box is checked as the focus leaves it; Cancel leaves without.
    LeaveCheck::Watch(
        txtEpaNumber, [this] { return txtEpaNumber_Validate(); }, kLocation + QStringLiteral("txtEpaNumber_Validate"));
    LeaveCheck::Watch(
        txtProductName, [this] { return txtProductName_Validate(); },
        kLocation + QStringLiteral("txtProductName_Validate"));
    LeaveCheck::SetCausesValidation(cmdCancel, false);
}

EpaDataItemPtr frmEpaItemEditor::NewItem() {
    m_number.clear();
    m_name.clear();
    Vezedad::Ui::ExecModal(*this);
    if (m_cancelled) return nullptr;
    auto item = std::make_shared<EpaDataItem>();
    item->setEpaRegNumber(m_number);
    item->setProductName(m_name);
    return item;
}

EpaDataItemPtr frmEpaItemEditor::EditItem(const EpaDataItemPtr& item) {
    if (!item) return NewItem();
    m_number = item->EpaRegNumber();
    m_name = item->ProductName();
    Vezedad::Ui::ExecModal(*this);
    if (m_cancelled) return item;
    if (m_name != item->ProductName() || m_number != item->EpaRegNumber()) {
        auto changed = std::make_shared<EpaDataItem>();
        changed->setEpaRegNumber(m_number);
        changed->setProductName(m_name);
        return changed;
    }
    return item;
}

EpaDataItemPtr frmEpaItemEditor::Edit(const QString& number, const QString& name) {
    auto item = std::make_shared<EpaDataItem>();
    item->setEpaRegNumber(number);
    item->setProductName(name);
    return EditItem(item);
}

void frmEpaItemEditor::showEvent(QShowEvent* event) {
    Form_Load();
    QDialog::showEvent(event);
}

void frmEpaItemEditor::Form_Load() {
    SetBackColor();
    setTextKeepingIt(*txtEpaNumber, m_number, kNumberMaxLength);
    setTextKeepingIt(*txtProductName, m_name, kNameMaxLength);
    lblValMessage->clear();
    m_cancelled = false;
    EnableOK();
    txtEpaNumber->setFocus();
}

void frmEpaItemEditor::SetBackColor() {
    Vezedad::Ui::SetBackColor(*this);
    Vezedad::Ui::SetBackColor(*lblName);
    Vezedad::Ui::SetBackColor(*lblNumber);
}

void frmEpaItemEditor::EnableOK() {
    cmdOK->setEnabled(!txtEpaNumber->text().isEmpty() && !txtProductName->text().isEmpty());
}

bool frmEpaItemEditor::checkBox(qint32 fieldId, QLineEdit& box, QString& held) {
    const Vezedad::ValidationResultPtr result = Vezedad::Globals::Validator().ValidateField(fieldId, box.text(), -1);
    QString refusal = result->IsValid() ? QString() : result->Message();
    // The list file holds one product a line, its fields split at "|", in the
    // Western European code page.
    if (refusal.isEmpty() && fieldId == Vezedad::zrfProductName) refusal = nameRefusal(result->Value());
    if (!refusal.isEmpty()) {
        lblValMessage->setText(refusal);
        return false;
    }
    box.setText(result->Value());
    held = result->Value();
    lblValMessage->clear();
    return true;
}

bool frmEpaItemEditor::txtEpaNumber_Validate() { return checkBox(Vezedad::zrfEPANumber, *txtEpaNumber, m_number); }

bool frmEpaItemEditor::txtProductName_Validate() { return checkBox(Vezedad::zrfProductName, *txtProductName, m_name); }

void frmEpaItemEditor::cmdOK_Click() {
    // Enter does not leave the box: its check runs here. A refusal keeps the
    // focus there and shows why in the label; no second box repeats it.
    if (!LeaveCheck::ValidateFocused(this)) return;
    m_cancelled = false;
    accept();
}

void frmEpaItemEditor::reject() {
    // Cancel, Escape and the close box alike: the values in the boxes were
    // never confirmed.
    m_cancelled = true;
    QDialog::reject();
}

} // namespace ZozedizIZ
