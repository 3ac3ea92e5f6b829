#include "grid/frmPrintPreview.h"

#include "grid/GridPreview.h"
#include "grid/GridPrinter.h"
#include "grid/ReportGrid.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QHBoxLayout>
#include <QPageLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Dazozuvi {

namespace {

const QString kOwner = QStringLiteral("frmPrintPreview");

// A value as the mark-up prints it: a single "/" would start a code.
QString literal(const QString& value) {
    QString text = value;
    return text.replace(QLatin1Char('/'), QStringLiteral("//"));
}

} // namespace

frmPrintPreview::frmPrintPreview(QWidget* parent) : QDialog(parent) {
    setObjectName(kOwner);
    setWindowTitle(QStringLiteral("ZOV Print Preview"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));
    cmdPrint = new QPushButton(QStringLiteral("Print"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setMinimumSize(ZozedizIZ::Twips::toPixels(QSize(1215, 375)));
    connect(cmdPrint, &QPushButton::clicked, this, [this] {
        Vezedad::Ui::GuardShowProcedureError(
            QStringLiteral("cmdPrint_Click"), Vezedad::Ui::OwnerKind::Form, kOwner, [this] { cmdPrint_Click(); }, this);
    });

    auto* top = new QHBoxLayout;
    top->addWidget(cmdPrint);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    // The pages stand 60 twips in from the window's edges.
    const int x = ZozedizIZ::Twips::toPixelsX(60);
    const int y = ZozedizIZ::Twips::toPixelsY(60);
    layout->setContentsMargins(x, y, x, y);
    layout->addLayout(top);
    Vezedad::Ui::GuardShowProcedureError(
        QStringLiteral("Form_Load"), Vezedad::Ui::OwnerKind::Form, kOwner, [this] { Form_Load(); }, this);
}

frmPrintPreview::~frmPrintPreview() {
    // The preview paints through the grid printer: it goes first.
    delete m_preview;
}

void frmPrintPreview::Form_Load() {
    SetBackColor();
    // The window as designed is the smallest layout size: smaller, the pages
    // would no longer show.
    resize(ZozedizIZ::Twips::toPixels(QSize(12000, 9000)));
    setMinimumSize(ZozedizIZ::Twips::toPixels(QSize(6000, 4500)));
}

void frmPrintPreview::SetBackColor() { Vezedad::Ui::SetBackColor(*this); }

void frmPrintPreview::PrepareToPrint(qint32 formType, const Vezedad::Identity& objIdentity, const QString& strExtraLine,
                                     ReportGrid& sheet) {
    sheet.setPrintHeader(PageHeader(formType, objIdentity, strExtraLine));
    sheet.setPrintFooter(PageFooter());
    SetPrintOptions(sheet);
    m_sheet = &sheet;
    delete m_preview;
    m_preview = nullptr;
    m_gridPrinter = std::make_unique<GridPrinter>(sheet);
    m_preview = new GridPreview(*m_gridPrinter, m_printer, this);
    static_cast<QVBoxLayout*>(layout())->addWidget(m_preview, 1);
    m_preview->refresh();
}

QString frmPrintPreview::PageFooter() {
    return QStringLiteral(R"(/fn"Arial"/fz"12"/fb0/fi0/fk0/fu0/fs1)") +
           QStringLiteral("/f1/lPAGE /p of /pc/cDo Not Submit Printout to RUD RUR/r/date");
}

QString frmPrintPreview::PageHeader(qint32 formType, const Vezedad::Identity& objIdentity,
                                    const QString& strExtraLine) {
    QString header = QStringLiteral(R"(/fn"Arial"/fz"14"/fb0/fi0/fk0/fu0/fs2)") +
                     QStringLiteral(R"(/fn"Arial"/fz"16"/fb0/fi0/fk0/fu0/fs3)") +
                     QStringLiteral(R"(/fn"Arial"/fz"20"/fb0/fi0/fk0/fu0/fs4)");
    header += QStringLiteral("/f2/l") + literal(Vezedad::Globals::GetFormName(formType, true));
    header += QStringLiteral("/f4/c") + literal(objIdentity.BusinessName());
    header += QStringLiteral("/f2/rREPORTING YEAR ") + QString::number(Vezedad::Globals::ZelReport().ReportYear()) +
              QStringLiteral("/n/n");
    header += QStringLiteral("/f3/c") + FormTitle(formType) + QStringLiteral("/n");
    header += IdentityLine(formType, objIdentity);
    if (!strExtraLine.isEmpty()) header += QStringLiteral("/n/f3/c") + literal(strExtraLine) + QStringLiteral("/n");
    return header;
}

QString frmPrintPreview::FormTitle(qint32 formType) {
    switch (formType) {
    case Vezedad::zfotForm26: return QStringLiteral("APPLICATOR//TECHNICIAN PESTICIDE ANNUAL REPORT");
    case Vezedad::zfotForm26A: return QStringLiteral("LIST OF COMMERCIAL APPLICATORS AND TECHNICIANS");
    case Vezedad::zfotForm27:
        return QStringLiteral("ANNUAL REPORT FOR PESTICIDE SALES TO CERTIFIED PRIVATE APPLICATORS");
    case Vezedad::zfotForm25: return QStringLiteral("ANNUAL REPORT FOR RESTRICTED PESTICIDE SALES");
    default: return QString();
    }
}

QString frmPrintPreview::IdentityLine(qint32 formType, const Vezedad::Identity& objIdentity) {
    switch (formType) {
    case Vezedad::zfotForm26:
        return QStringLiteral("/f2/lCertification ID: ") + literal(objIdentity.CertificationId()) +
               QStringLiteral("/cApplicator//Technician: ") + literal(objIdentity.ApplicatorName()) +
               QStringLiteral("/rBusiness//Agency ID: ") + literal(objIdentity.BusRegNumber()) + QStringLiteral("/n/n");
    case Vezedad::zfotForm27:
    case Vezedad::zfotForm25:
        return QStringLiteral("/f2/cCommercial Sales Permit Number: ") + literal(objIdentity.SalesPermitNumber()) +
               QStringLiteral("/n/n");
    default: return QString();
    }
}

void frmPrintPreview::SetPrintOptions(ReportGrid& sheet) {
    // Report grids are wide: their pages lie across. The grid printer prints
    // texts without the check colours and shrinks columns to the page's width.
    m_printer.setPageOrientation(QPageLayout::Landscape);
    sheet.refresh();
}

void frmPrintPreview::cmdPrint_Click() {
    Vezedad::Ui::MsgBox(QStringLiteral("This printout is intended for your own records.\r\n"
                                       "Please do not submit the printed copy as your ZOV report.\r\n"
                                       "Send the original data file(s) themselves, either by upload or email.\r\n"
                                       "Contact us if you need assistance."),
                        Vezedad::Ui::vbOKOnly, QString(), this);
    if (!m_gridPrinter)
        Vezedad::raiseRuntimeError(Vezedad::rtObjectNotSet, QStringLiteral("Dazozuvi::frmPrintPreview"));
    if (!Vezedad::Ui::PreparePrinter(m_printer, this)) return;
    m_gridPrinter->print(m_printer);
    accept();
}

} // namespace Dazozuvi
