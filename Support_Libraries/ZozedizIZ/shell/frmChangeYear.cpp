#include "ZozedizIZ/shell/frmChangeYear.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/DialogButtons.h"
#include "ZozedizIZ/shell/GuardedSlot.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace ZozedizIZ {

frmChangeYear::frmChangeYear(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmChangeYear"));
    setWindowTitle(QStringLiteral("Change Reporting Year"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));

    lblInfo0 = new QLabel(QStringLiteral("Select the new Report Year and click \"OK\"."), this);
    lblInfo0->setObjectName(QStringLiteral("lblInfo(0)"));
    lblInfo1 = new QLabel(
        QStringLiteral("Note: Changing the Report Year will not change the year in existing reports."), this);
    lblInfo1->setObjectName(QStringLiteral("lblInfo(1)"));
    lblInfo1->setWordWrap(true);
    for (QLabel* l : {lblInfo0, lblInfo1}) l->setTextFormat(Qt::PlainText);
    // The designed width, or the sentence's own where a wider font stands in
    // for Arial; the note wraps below it.
    Twips::keepDesignSize(lblInfo0, 4020, 360);
    lblInfo1->setMinimumWidth(Twips::toPixelsX(4020));
    cboYear = new QComboBox(this);
    cboYear->setObjectName(QStringLiteral("cboYear"));
    cboYear->setMinimumWidth(Twips::toPixelsX(1215));
    lblInfo0->setBuddy(cboYear);
    Vezedad::Ui::SetAccessibleName(*cboYear, lblInfo0->text());
    MakeOkCancelButtons(this, cmdOK, cmdCancel);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblInfo0, 0, 0, Qt::AlignTop);
    layout->addWidget(cboYear, 0, 1, Qt::AlignTop);
    layout->addWidget(cmdOK, 0, 2, Qt::AlignTop);
    layout->addWidget(lblInfo1, 1, 0, Qt::AlignTop);
    layout->addWidget(cmdCancel, 1, 2, Qt::AlignTop);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connectGuarded(cmdOK, &QPushButton::clicked, this, QStringLiteral("ZozedizIZ::frmChangeYear.cmdOK_Click"),
                   [this] { cmdOK_Click(); });
    // Esc and the close box reach reject() alone, which leaves the result at 2.
    connectGuarded(cmdCancel, &QPushButton::clicked, this, QStringLiteral("ZozedizIZ::frmChangeYear.cmdCancel_Click"),
                   [this] { cmdCancel_Click(); });
}

qint32 frmChangeYear::ShowDialog() {
    m_result = 2;
    Form_Load();
    Vezedad::Ui::ExecModal(*this);
    return m_result;
}

void frmChangeYear::Form_Load() {
    FillYearList();
    Vezedad::Ui::SetBackColor(*this);
}

void frmChangeYear::FillYearList() {
    Vezedad::trapArrow(QStringLiteral("ZozedizIZ::frmChangeYear.FillYearList"), [this] {
        Vezedad::ZelReport& report = Vezedad::Globals::ZelReport();
        const qint16 minimum = report.ReportYearMin();
        const qint16 maximum = report.ReportYearMax();
        m_year = report.ReportYear();
        cboYear->clear();
        for (qint32 year = maximum; year >= minimum; --year) cboYear->addItem(QString::number(year));
        cboYear->setCurrentIndex(cboYear->findText(QString::number(m_year)));
    });
}

void frmChangeYear::cmdOK_Click() {
    bool ok = false;
    const qint32 chosen = cboYear->currentText().toInt(&ok);
    // Without a year in the list there is nothing to take: OK then acts as
    // Cancel.
    if (cboYear->currentIndex() < 0 || !ok) {
        cmdCancel_Click();
        return;
    }
    m_year = qint16(chosen);
    m_result = 1;
    if (m_updatesReport) UpdateReport();
    accept();
}

void frmChangeYear::cmdCancel_Click() {
    m_result = 2;
    reject();
}

void frmChangeYear::UpdateReport() {
    Vezedad::Ui::GuardShowError(
        QStringLiteral("ZozedizIZ::frmChangeYear.UpdateReport"),
        [this] { Vezedad::Globals::ZelReport().ChangeReportYear(m_year); }, this);
}

} // namespace ZozedizIZ
