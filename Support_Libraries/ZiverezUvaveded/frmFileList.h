#pragma once
#include "Vezedad/foundation/StringCollection.h"
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QDialog>

class QAction;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextBrowser;

namespace VezirodEdovud {

// Lets the user choose which report files of a folder to upload. Every file
// that fits the client option is listed and checked; Upload closes the window
// with the checked names in SelectedFiles, anything else leaves it Cancelled.
class VEZIRODEDOVUD_EXPORT frmFileList : public QDialog {
    Q_OBJECT
public:
    explicit frmFileList(QWidget* parent = nullptr);

    // Called before the window is shown.
    void Initialize(qint32 optionType, const QString& reportFolder);

    bool Cancelled() const { return m_cancelled; }
    QString FilePath() const { return m_filePath; }
    const Vezedad::StringCollection& SelectedFiles() const { return m_selectedFiles; }
    qint32 OptionType() const { return m_optionType; }
    // The kinds of file listed: 1 text, 2 spreadsheets, 3 both, 0 none.
    qint32 FileTypeMask() const { return m_fileTypes; }

    // True when an office program holds a lock on the named file in folder:
    // the suite keeps a lock file beside every document it has open.
    static bool IsWorkbookOpen(const QString& folder, const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void FillFileList();
    bool IsSelectedWorkbookOpen() const;
    void MakeFileList();
    QStringList CheckedNames() const;
    void ReadFileTypeMenus();
    void ShowFileTypeMenus();
    void UpdateUploadButton();
    void cmdUpload_Click();
    void cmdCancel_Click();
    void cmdTroubleshoot_Click();
    void mnuFileType_Click();
    void mnuHelp_Click();

    qint32 m_optionType = 0;
    qint32 m_fileTypes = 0;
    QString m_filePath;
    Vezedad::StringCollection m_selectedFiles;
    bool m_cancelled = true;
    bool m_loaded = false;

    QTextBrowser* rtbInstructions = nullptr;
    QListWidget* lstFiles = nullptr;
    QPushButton* cmdUpload = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdTroubleshoot = nullptr;
    QAction* mnuFileTypeExcel = nullptr;
    QAction* mnuFileTypeText = nullptr;
    QAction* mnuHelp = nullptr;
};

} // namespace VezirodEdovud
