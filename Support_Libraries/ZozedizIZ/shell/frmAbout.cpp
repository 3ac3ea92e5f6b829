#include "ZozedizIZ/shell/frmAbout.h"

#include "Vezedad/ui/Ui.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ZozedizIZ {

namespace {
constexpr int kIconPixels = 48;
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    const QFont arial = Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75);
    setFont(arial);

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setFixedSize(kIconPixels, kIconPixels);
    imgIcon->setAlignment(Qt::AlignCenter);
    const auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    lblTitle = label("lblTitle");
    lblTitle->setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 12.0, true));
    lblProductName = label("lblProductName");
    lblDescription = label("lblDescription");
    lblVersion = label("lblVersion");
    lblCompany = label("lblCompany");
    lblContact = label("lblContact");
    lblCopyright = label("lblCopyright");
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    auto* texts = new QVBoxLayout;
    for (QLabel* l : {lblTitle, lblProductName, lblDescription, lblVersion, lblCompany, lblContact, lblCopyright})
        texts->addWidget(l);
    auto* top = new QHBoxLayout;
    top->addWidget(imgIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    Form_Load();
}

QIcon frmAbout::LibraryIcon() { return QIcon(QStringLiteral(":/ZozedizIZ/RUR")); }

void frmAbout::Form_Load() { Vezedad::Ui::SetBackColor(*this); }

void frmAbout::LoadInfo(const QString& strTitle, const QString& strProductName, const QString& strDescription,
                        const QString& strVersion, const QString& strCompany, const QString& strContact,
                        const QString& strCopyright, const QIcon& objIcon) {
    setWindowTitle(QStringLiteral("About ") + strTitle);
    lblTitle->setText(strTitle);
    lblProductName->setText(strProductName);
    lblDescription->setText(strDescription);
    lblVersion->setText(QStringLiteral("Version ") + strVersion);
    lblCompany->setText(strCompany);
    lblContact->setText(QStringLiteral("Contact ") + strContact);
    lblCopyright->setText(strCopyright);
    const QIcon icon = objIcon.isNull() ? LibraryIcon() : objIcon;
    imgIcon->setPixmap(icon.pixmap(kIconPixels, kIconPixels));
    setWindowIcon(icon);
}

} // namespace ZozedizIZ
