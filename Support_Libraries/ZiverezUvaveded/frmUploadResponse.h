#pragma once
#include "Vezedad/foundation/ErrorInfo.h"
#include "ZiverezUvaveded/Messages.h"
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QDialog>
#include <memory>

class QPushButton;
class QTextBrowser;

namespace VezirodEdovud {

// The window in which the upload happens: it shows a waiting line, sends the
// submission record and the archive when it is first activated, and then
// shows the service's receipt, or what went wrong, as a page that can be
// printed.
class VEZIRODEDOVUD_EXPORT frmUploadResponse : public QDialog {
    Q_OBJECT
public:
    explicit frmUploadResponse(QWidget* parent = nullptr);
    ~frmUploadResponse() override;

    // Called before the window is shown. Without a request an empty one is
    // sent.
    void Initialize(const SubmitMetadataRequest* request, const QString& archiveFile);

    // True once the service has taken the upload and its receipt is shown.
    bool Succeeded() const { return m_succeeded; }

    // The receipt page for a reply of the service.
    static QString ReceiptPage(const UploadFileResponse& reply);
    // The page for files the service took without a receipt that could be
    // read: the ticket and year they were sent under, compliance unknown.
    static QString UnreadReceiptPage(const UploadFileResponse& reply);
    // The page that explains a failed upload.
    static QString FailurePage(const Vezedad::ErrorInfo& error, const QString& trail);

private:
    void Form_Load();
    void Form_Activate();
    void UploadToService();
    void DisplayResponse(const UploadFileResponse& reply);
    void cmdPrint_Click();
    void cmdDone_Click();

    const SubmitMetadataRequest* m_request = nullptr;
    std::unique_ptr<SubmitMetadataRequest> m_emptyRequest;
    QString m_archiveFile;
    bool m_succeeded = false;

    QTextBrowser* WebBrowser1 = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdDone = nullptr;
};

} // namespace VezirodEdovud
