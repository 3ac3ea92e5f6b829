#include "ZozedizIZ/shell/IdentityUI.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "Vezedad/validation/ValidationResult.h"
#include "Vezedad/validation/Validator.h"
#include "ZozedizIZ/shell/LeaveCheck.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace ZozedizIZ {

namespace {

const QString kLocation = QStringLiteral("ZozedizIZ::IdentityUI.");

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, QLineEdit* buddy, Qt::Alignment align) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

QGroupBox* makeFrame(QWidget* parent, const char* name, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    return frame;
}

QGridLayout* frameGrid(QGroupBox* frame) {
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(Twips::toPixelsX(60), Twips::toPixelsY(120), Twips::toPixelsX(60), Twips::toPixelsY(60));
    grid->setHorizontalSpacing(Twips::toPixelsX(120));
    grid->setVerticalSpacing(Twips::toPixelsY(105));
    return grid;
}

// A key typed into a box that takes only some characters. Returns the
// character to insert instead of the key's own, "" to drop the key, or a
// null string to let the key through unchanged.
QString filteredKey(const QString& typed, bool permit) {
    if (typed.size() != 1 || typed.at(0).unicode() < 32) return QString();
    const QChar c = typed.at(0).toUpper();
    if (c.isDigit() && c.unicode() < 128) return QString();
    if (permit && c == QLatin1Char('R')) return typed == QStringLiteral("R") ? QString() : QStringLiteral("R");
    return QStringLiteral("");
}

} // namespace

IdentityUI::IdentityUI(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("IdentityUI"));
    const QFont controlFont = Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75);
    const QFont captionFont = Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75, true);
    const QFont boxFont = Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 11.25);
    setFont(controlFont);

    txtBusinessName =
        makeBox("txtBusinessName", Vezedad::idBusinessName, 0, QStringLiteral("Name of the business or agency"));
    txtBusRegNum =
        makeBox("txtBusRegNum", Vezedad::idBusRegNumber, 5,
                QStringLiteral("A five-digit number issued by OSTDEC to a registered pesticide business or agency"));
    txtPermitNumber =
        makeBox("txtPermitNumber", Vezedad::idCommercialSalesPermit, 6,
                QStringLiteral("Commercial Sales Permit Number issued by OSTDEC. R followed by five digits."));
    txtCertId = makeBox("txtCertId", Vezedad::idCertificationId, 8,
                        QStringLiteral("Applicator's Certification ID. C, T, or B followed by 7 digits"));
    txtApplName = makeBox("txtApplName", Vezedad::idApplicatorName, 0,
                          QStringLiteral("Name of the applicator whose Cert ID is entered above"));
    txtContact =
        makeBox("txtContact", Vezedad::idContactName, 50, QStringLiteral("Name of contact person for this report"));
    txtPhone = makeBox("txtPhone", Vezedad::idPhone, 50, QStringLiteral("Phone number for contacting submitter"));
    txtEmail = makeBox("txtEmail", Vezedad::idEmail, 0, QStringLiteral("Email address for contacting submitter"));
    txtBusRegNum->installEventFilter(this);
    txtPermitNumber->installEventFilter(this);

    // Business: the name across the frame, the two numbers right of their
    // labels.
    fraBusiness = makeFrame(this, "fraBusiness", QStringLiteral("Business"));
    lblBusinessName =
        makeLabel(fraBusiness, "lblBusinessName", QStringLiteral("Business Name"), txtBusinessName, Qt::AlignHCenter);
    lblBusRegNum = makeLabel(fraBusiness, "lblBusRegNum", QStringLiteral("Business/Agency Registration Number"),
                             txtBusRegNum, Qt::AlignRight);
    lblPermitNum = makeLabel(fraBusiness, "lblPermitNum", QStringLiteral("Commercial Sales Permit Number"),
                             txtPermitNumber, Qt::AlignRight);
    txtBusRegNum->setFixedWidth(Twips::toPixelsX(1215));
    txtPermitNumber->setFixedWidth(Twips::toPixelsX(1215));
    QGridLayout* business = frameGrid(fraBusiness);
    business->addWidget(lblBusinessName, 0, 0, 1, 3);
    business->addWidget(txtBusinessName, 1, 0, 1, 3);
    business->addWidget(lblBusRegNum, 2, 0);
    business->addWidget(txtBusRegNum, 2, 1);
    business->addWidget(lblPermitNum, 3, 0);
    business->addWidget(txtPermitNumber, 3, 1);
    business->setColumnStretch(0, 1);
    business->setColumnMinimumWidth(2, Twips::toPixelsX(765));

    fraApplicator = makeFrame(this, "fraApplicator", QStringLiteral("Primary Applicator"));
    lblCertId = makeLabel(fraApplicator, "lblCertId", QStringLiteral("Certification ID"), txtCertId, Qt::AlignRight);
    lblApplName = makeLabel(fraApplicator, "lblApplName", QStringLiteral("Name"), txtApplName, Qt::AlignRight);
    // Two boxes are labelled "Name": a screen reader tells them apart by
    // their frames.
    Vezedad::Ui::SetAccessibleName(*txtApplName, QStringLiteral("Primary Applicator Name"));
    txtCertId->setFixedWidth(Twips::toPixelsX(1170));
    txtApplName->setMinimumWidth(Twips::toPixelsX(4275));
    QGridLayout* applicator = frameGrid(fraApplicator);
    applicator->addWidget(lblCertId, 0, 0);
    applicator->addWidget(txtCertId, 0, 1, Qt::AlignLeft);
    applicator->addWidget(lblApplName, 1, 0);
    applicator->addWidget(txtApplName, 1, 1);
    applicator->setColumnStretch(0, 1);

    fraContact = makeFrame(this, "fraContact", QStringLiteral("Pesticide Reporting Contact Person"));
    lblContact = makeLabel(fraContact, "lblContact", QStringLiteral("Name"), txtContact, Qt::AlignRight);
    lblPhone = makeLabel(fraContact, "lblPhone", QStringLiteral("Phone Number"), txtPhone, Qt::AlignRight);
    lblEmail = makeLabel(fraContact, "lblEmail", QStringLiteral("Email Address"), txtEmail, Qt::AlignRight);
    Vezedad::Ui::SetAccessibleName(*txtContact, QStringLiteral("Contact Person Name"));
    QGridLayout* contact = frameGrid(fraContact);
    int row = 0;
    using Row = std::pair<QLabel*, QLineEdit*>;
    for (const auto& [label, box] : {Row{lblContact, txtContact}, Row{lblPhone, txtPhone}, Row{lblEmail, txtEmail}}) {
        box->setMinimumWidth(Twips::toPixelsX(4380));
        contact->addWidget(label, row, 0);
        contact->addWidget(box, row++, 1);
    }
    contact->setColumnStretch(0, 1);

    for (QGroupBox* frame : {fraBusiness, fraApplicator, fraContact}) frame->setFont(captionFont);
    for (const auto& [box, fieldId] : m_boxes) box->setFont(box == txtCertId ? controlFont : boxFont);
    Twips::keepDesignSize(fraBusiness, 6000, 2295);
    Twips::keepDesignSize(fraApplicator, 6015, 1455);
    Twips::keepDesignSize(fraContact, 6000, 2115);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(fraBusiness);
    layout->addStretch(1);
    layout->addWidget(fraApplicator);
    layout->addStretch(1);
    layout->addWidget(fraContact);
    layout->addStretch(1);
    // Tab runs down the control.
    for (int i = 1; i < m_boxes.size(); ++i) setTabOrder(m_boxes.at(i - 1).first, m_boxes.at(i).first);

    setAutoFillBackground(true);
    SetBackColor();
    setFixedSize(Twips::toPixels(QSize(6000, 6840)).expandedTo(layout->minimumSize()));
}

IdentityUI::~IdentityUI() = default;

QLineEdit* IdentityUI::makeBox(const char* name, qint32 fieldId, qint32 maxLength, const QString& toolTip) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QLatin1String(name));
    if (maxLength > 0) box->setMaxLength(maxLength);
    box->setToolTip(toolTip);
    m_boxes.append({box, fieldId});
    const QString boxName = QLatin1String(name);
    // The change rules follow every change of the text, typed or set.
    connect(box, &QLineEdit::textChanged, this, [this, fieldId, boxName](const QString& text) {
        Vezedad::Ui::GuardShowError(
            kLocation + boxName + QStringLiteral("_Change"), [&] { boxChanged(fieldId, text); }, this);
    });
    LeaveCheck::Watch(
        box, [this, box, fieldId] { return leaveBox(box, fieldId); },
        kLocation + boxName + QStringLiteral("_Validate"));
    return box;
}

void IdentityUI::boxChanged(qint32 fieldId, const QString& text) {
    auto validated = [&text](qint32 id, qsizetype length) {
        return text.size() == length && Vezedad::Globals::Validator().ValidateField(id, text, 0)->IsValid();
    };
    switch (fieldId) {
    case Vezedad::idApplicatorName: setStatusApplName(!text.trimmed().isEmpty()); break;
    case Vezedad::idBusRegNumber: setStatusBusReg(text.size() == 5); break;
    case Vezedad::idCertificationId: setStatusCertId(validated(fieldId, 8)); break;
    case Vezedad::idCommercialSalesPermit: setStatusPermit(validated(fieldId, 6)); break;
    default: break;
    }
}

void IdentityUI::setStatus(bool& status, qint32 fieldId, bool value) {
    if (status == value) return;
    status = value;
    emit IdStatusChanged(fieldId, value);
}

void IdentityUI::setStatusApplName(bool value) { setStatus(m_statusApplName, Vezedad::idApplicatorName, value); }
void IdentityUI::setStatusBusReg(bool value) { setStatus(m_statusBusReg, Vezedad::idBusRegNumber, value); }
void IdentityUI::setStatusCertId(bool value) { setStatus(m_statusCertId, Vezedad::idCertificationId, value); }
void IdentityUI::setStatusPermit(bool value) { setStatus(m_statusPermit, Vezedad::idCommercialSalesPermit, value); }

void IdentityUI::Initialize(const Vezedad::IdentityPtr& robjIdentity) {
    if (mobjIdentity) disconnect(mobjIdentity.get(), nullptr, this, nullptr);
    mobjIdentity = robjIdentity ? robjIdentity : Vezedad::Globals::ZelReport().Identity();
    connect(mobjIdentity.get(), &Vezedad::Identity::PropertyChanged, this,
            [this](qint32 eProperty, const QString&) { mobjIdentity_PropertyChanged(eProperty); });
    LoadProperties();
}

void IdentityUI::LoadProperties() {
    const Vezedad::Identity& identity = *mobjIdentity;
    txtApplName->setText(identity.ApplicatorName());
    txtBusinessName->setText(identity.BusinessName());
    txtBusRegNum->setText(identity.BusRegNumber());
    txtCertId->setText(identity.CertificationId());
    txtContact->setText(identity.ContactName());
    txtEmail->setText(identity.Email());
    txtPermitNumber->setText(identity.SalesPermitNumber());
    txtPhone->setText(identity.Phone());
}

QLineEdit* IdentityUI::boxOf(qint32 fieldId) const {
    for (const auto& [box, id] : m_boxes)
        if (id == fieldId) return box;
    return nullptr;
}

void IdentityUI::mobjIdentity_PropertyChanged(qint32 eProperty) {
    if (eProperty == Vezedad::idAll) {
        LoadProperties();
        return;
    }
    if (QLineEdit* box = boxOf(eProperty)) {
        const QString value = mobjIdentity->GetPropertyValue(eProperty);
        // The box the user just left already holds it: keep its cursor.
        if (box->text() != value) box->setText(value);
    }
}

bool IdentityUI::leaveBox(QLineEdit* box, qint32 fieldId) {
    if (!mobjIdentity) return true;
    bool kept = true;
    Vezedad::Ui::Guard([&] { mobjIdentity->SetPropertyValue(fieldId, box->text()); },
                       [&](const Vezedad::ErrorInfo& error) {
                           kept = false;
                           Vezedad::Ui::MsgBox(error.Description(), Vezedad::Ui::vbOKOnly, QString(), window());
                       });
    return kept;
}

void IdentityUI::Validate() { LeaveCheck::ValidateControls(this); }

bool IdentityUI::eventFilter(QObject* watched, QEvent* event) {
    // Typed keys only: a paste or a value set by the program is not filtered.
    if (event->type() == QEvent::KeyPress && (watched == txtBusRegNum || watched == txtPermitNumber)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            const QString replacement = filteredKey(key->text(), watched == txtPermitNumber);
            if (!replacement.isNull()) {
                if (!replacement.isEmpty()) static_cast<QLineEdit*>(watched)->insert(replacement);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void IdentityUI::setMatchFormBackColor(bool value) {
    if (value == m_matchFormBackColor) return;
    m_matchFormBackColor = value;
    SetBackColor();
    emit MatchFormBackColorChanged(value);
}

void IdentityUI::SetBackColor() {
    if (m_matchFormBackColor) {
        // Nothing of its own: the control, its frames and labels take the
        // host's colour, now and whenever the host changes it.
        setPalette(QPalette());
        return;
    }
    QPalette own = palette();
    own.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(own);
}

} // namespace ZozedizIZ
