#include "ZiverezUvaveded/frmUploadResponse.h"

#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/Globals.h"
#include "ZiverezUvaveded/Proxy.h"

#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace VezirodEdovud {

namespace {

constexpr qint32 kNoXmlParser = Vezedad::errWrongXmlVersion;
constexpr qint32 kStreamSendFailed = Vezedad::errWrongMdacVersion;
constexpr qint32 kBadIdValues = Vezedad::errInvalidPropertyValue;

QString escaped(const QString& text) { return text.toHtmlEscaped(); }

QString link(const QString& address) {
    return QStringLiteral("<a href=\"") + escaped(address) + QStringLiteral("\">") + escaped(address) +
           QStringLiteral("</a> ");
}

// The non-visual library assembles its numbers around the bare code.
bool isCode(qint32 number, qint32 code) {
    const quint32 n = quint32(number);
    return number == code || ((n & 0xFFFF0000u) == 0x80040000u && qint32(n & 0x3FFu) == code);
}

QString webUploadAddress() {
    return Proxy::ServiceAddress(Vezedad::Globals::Configuration().Host(), QStringLiteral("/WebUpload.aspx"));
}

// Any non-zero answer other than "undetermined" counts as compliant.
QString complianceText(qint32 compliant) {
    switch (compliant) {
    case fcNotCompliant: return QStringLiteral("No");
    case fcUndetermined: return QStringLiteral("Unknown");
    default: return QStringLiteral("Yes");
    }
}

} // namespace

frmUploadResponse::frmUploadResponse(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmUploadResponse"));
    setWindowTitle(QStringLiteral("ZIDIVO Client Upload Response "));

    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    Vezedad::Ui::SetAccessibleName(*WebBrowser1, QStringLiteral("Upload Response"));
    WebBrowser1->setReadOnly(true);
    // Only the page's own fixed links exist (everything the service sends is
    // escaped); they open in the desktop's browser.
    WebBrowser1->setOpenExternalLinks(true);
    cmdPrint = new QPushButton(QStringLiteral("Print this Form"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdDone = new QPushButton(QStringLiteral("Done"), this);
    cmdDone->setObjectName(QStringLiteral("cmdDone"));
    for (QPushButton* button : {cmdPrint, cmdDone}) button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdDone);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WebBrowser1, 1);
    layout->addLayout(buttons);
    // 14100 by 9780 twips at 15 twips a pixel.
    resize(940, 652);

    connect(cmdPrint, &QPushButton::clicked, this, &frmUploadResponse::cmdPrint_Click);
    connect(cmdDone, &QPushButton::clicked, this, &frmUploadResponse::cmdDone_Click);
    Vezedad::Ui::OnFirstActivation(*this, [this] { Form_Activate(); });
    Form_Load();
}

frmUploadResponse::~frmUploadResponse() = default;

void frmUploadResponse::Initialize(const SubmitMetadataRequest* request, const QString& archiveFile) {
    m_request = request;
    m_archiveFile = archiveFile;
}

void frmUploadResponse::Form_Load() {
    Vezedad::Ui::GuardShowError(
        QStringLiteral("VezirodEdovud::frmUploadResponse.Form_Load"),
        [this] {
            Vezedad::Ui::SetBackColor(*this);
            WebBrowser1->setHtml(QStringLiteral("<h3>Your files are being uploaded. Please be patient.</h3>"));
        },
        this);
}

void frmUploadResponse::Form_Activate() {
    Vezedad::Ui::GuardShowProcedureError(
        QStringLiteral("Form_Activate"), Vezedad::Ui::OwnerKind::Form, QStringLiteral("frmUploadResponse"),
        [this] { UploadToService(); }, this);
}

void frmUploadResponse::UploadToService() {
    const auto upload = [this] {
        repaint();
        if (!m_request) {
            if (!m_emptyRequest) m_emptyRequest = std::make_unique<SubmitMetadataRequest>();
            m_request = m_emptyRequest.get();
        }
        const UploadFileResponsePtr reply = Globals::Proxy().UploadReport(*m_request, m_archiveFile);
        if (!reply)
            throw Vezedad::ErrorInfo(Vezedad::errUnexpectedHttpStatus, QStringLiteral("The service sent no receipt."),
                                     QString());
        if (!reply->ReceiptRead()) {
            WebBrowser1->setHtml(UnreadReceiptPage(*reply));
            return;
        }
        DisplayResponse(*reply);
        m_succeeded = true;
    };
    // A failed upload is explained on the page itself.
    Vezedad::Ui::Guard(upload, [this](const Vezedad::ErrorInfo& error) {
        const QString trail =
            QStringLiteral("In VezirodEdovud::frmUploadResponse.UploadToService\r\n-->") + error.Source();
        WebBrowser1->setHtml(FailurePage(error, trail));
    });
}

QString frmUploadResponse::FailurePage(const Vezedad::ErrorInfo& error, const QString& trail) {
    const QString webUpload = QStringLiteral("before uploading, or upload your files through the RUD ZOV web site ") +
                              link(webUploadAddress()).trimmed() + QStringLiteral(".</p>");
    // The old advice to download a Windows component would mislead here: the
    // XML component ships with the program, and 1006 means the archive could
    // not be read.
    if (isCode(error.Number(), kNoXmlParser))
        return QStringLiteral("<p>") + escaped(error.Description()) +
               QStringLiteral(" Please reinstall this program ") + webUpload;
    if (isCode(error.Number(), kStreamSendFailed))
        return QStringLiteral("<p>") + escaped(error.Description()) +
               QStringLiteral(" Please check that the archive can be read ") + webUpload;
    // The service's own words on identity numbers it refused.
    if (error.Number() == kBadIdValues) return escaped(error.Description());
    return QStringLiteral("<p>Error ") + QString::number(error.Number()) + QStringLiteral(": ") +
           escaped(error.Description()) + QStringLiteral("<br />") +
           escaped(trail).replace(QStringLiteral("\r\n"), QStringLiteral("<br />&nbsp;&nbsp;&nbsp;&nbsp;"));
}

QString frmUploadResponse::ReceiptPage(const UploadFileResponse& reply) {
    const QString crlf = QStringLiteral("\r\n");
    QString page = QStringLiteral("<html><body><h1>ZOV Report for ") + QString::number(reply.ReportYear()) +
                   QStringLiteral("</h1>") + crlf;
    page += QStringLiteral("<h2>Upload Succeeded!</h2>") +
            QStringLiteral("<p>Your files were uploaded to ZOV Support <b>successfully.</b> ") +
            QStringLiteral("Your report has been assigned a submission number of <b>") +
            QString::number(reply.Ticket()) + QStringLiteral("</b>.</p>") + crlf;
    page += QStringLiteral("<p>Please include this number in all inquires about your report.</p>") + crlf;
    page += QStringLiteral("<h3>We received the following files:</h3>") + crlf;
    page += QStringLiteral("<table><thead><tr><th width='30%'>File Name</th>") +
            QStringLiteral("<th width='20%'>Length</th>") +
            QStringLiteral("<th width='20%'>Compliant</th></tr></thead>") + crlf + QStringLiteral("<tbody>") + crlf;
    for (const FileDescriptionPtr& file : reply.Files()) {
        page += QStringLiteral("<tr><td align='right'>") + escaped(file->Name()) + QStringLiteral("</td>") +
                QStringLiteral("<td align='right'>") + QString::number(file->Length()) + QStringLiteral("</td>") +
                QStringLiteral("<td align='center'>") + complianceText(file->Compliant()) +
                QStringLiteral("</td></tr>");
    }
    page += QStringLiteral("</tbody></table>") + QStringLiteral("</body></html>");
    return page;
}

QString frmUploadResponse::UnreadReceiptPage(const UploadFileResponse& reply) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("<html><body><h1>ZOV Report for ") + QString::number(reply.ReportYear()) +
           QStringLiteral("</h1>") + crlf + QStringLiteral("<h2>Receipt Could Not Be Read</h2>") +
           QStringLiteral("<p>Your files were sent to ZOV Support under the submission number <b>") +
           QString::number(reply.Ticket()) + QStringLiteral("</b>, but the service's receipt could not be read.</p>") +
           crlf +
           QStringLiteral("<p>Whether your files are compliant is unknown. Please include this number in all "
                          "inquiries about your report.</p>") +
           crlf + QStringLiteral("</body></html>");
}

void frmUploadResponse::DisplayResponse(const UploadFileResponse& reply) {
    Vezedad::trapArrow(QStringLiteral("VezirodEdovud::frmUploadResponse.DisplayResponse"),
                       [&] { WebBrowser1->setHtml(ReceiptPage(reply)); });
}

void frmUploadResponse::cmdPrint_Click() {
    Vezedad::Ui::GuardShowProcedureError(
        QStringLiteral("cmdPrint_Click"), Vezedad::Ui::OwnerKind::Form, QStringLiteral("frmUploadResponse"),
        [this] {
            QPrinter printer;
            if (!Vezedad::Ui::PreparePrinter(printer, this)) return;
            if (!printer.isValid())
                throw Vezedad::ErrorInfo(Vezedad::errInvalidProcedureCall, QStringLiteral("No printer is available."),
                                         QStringLiteral("VezirodEdovud::frmUploadResponse"));
            WebBrowser1->document()->print(&printer);
        },
        this);
}

void frmUploadResponse::cmdDone_Click() { accept(); }

} // namespace VezirodEdovud
