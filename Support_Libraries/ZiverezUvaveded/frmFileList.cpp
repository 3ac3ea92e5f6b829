#include "ZiverezUvaveded/frmFileList.h"

#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Ui.h"
#include "ZiverezUvaveded/frmTrouble.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace VezirodEdovud {

namespace {

// The instructions above the list.
QString instructionsText() {
    const QString step =
        QStringLiteral("<span style=\"color:#c0504d; text-decoration:underline; font-variant:small-caps;\">");
    return QStringLiteral("<html><body style=\"font-family:Arial; font-size:10pt;\">"
                          "<p style=\"margin-bottom:13px;\"><b><span style=\"color:#0000ff;\">Please</span></b> "
                          "save and close all report files before uploading. <b>NOTE:</b> "
                          "This version of the software automatically sends your identity information. "
                          "You do not need to specify the identity.txt file here. If you <b><i>email</i></b> "
                          "your report instead, remember to attach identity.txt to the email in addition to the report "
                          "files.</p>"
                          "<p style=\"margin-bottom:13px;\">") +
           step +
           QStringLiteral("Step &nbsp;1.</span> Uncheck any files from the list below that you "
                          "<b><span style=\"color:#c0504d; font-variant:small-caps; letter-spacing:1px;\">DO "
                          "NOT</span></b> want to upload.</p>"
                          "<p style=\"margin-bottom:13px;\">") +
           step +
           QStringLiteral("Step 2.</span> Click the &#8220;Upload Report to RUR&#8221; button.</p>"
                          "</body></html>");
}

// Lock files and hidden files are never report files.
bool isHiddenOrLockFile(const QString& name) {
    return name.startsWith(QLatin1Char('.')) || name.startsWith(QStringLiteral("~$"));
}

// The first set of chosen names that differ only in letter case (empty when
// there is none): the filing service keeps names without regard to case, so
// one such file would silently replace the other.
QStringList namesDifferingInCase(const QStringList& names) {
    QHash<QString, QStringList> byFolded;
    for (const QString& name : names) {
        QStringList& same = byFolded[name.toCaseFolded()];
        same.append(name);
    }
    for (const QString& name : names) {
        const QStringList& same = byFolded.value(name.toCaseFolded());
        if (same.size() > 1) return same;
    }
    return {};
}

QString quotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names) quoted.append(QLatin1Char('"') + name + QLatin1Char('"'));
    const QString last = quoted.takeLast();
    return quoted.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace

frmFileList::frmFileList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileList"));
    setWindowTitle(QStringLiteral("ZOV zAzeru File Upload Utility"));
    setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 8.25));

    auto* menuBar = new QMenuBar(this);
    QMenu* fileTypes = menuBar->addMenu(QStringLiteral("File &Types"));
    fileTypes->setObjectName(QStringLiteral("mnuFileTypes"));
    mnuFileTypeExcel = fileTypes->addAction(QStringLiteral("Excel"));
    mnuFileTypeExcel->setObjectName(QStringLiteral("mnuFileTypeExcel"));
    mnuFileTypeExcel->setCheckable(true);
    mnuFileTypeText = fileTypes->addAction(QStringLiteral("Text"));
    mnuFileTypeText->setObjectName(QStringLiteral("mnuFileTypeText"));
    mnuFileTypeText->setCheckable(true);
    mnuHelp = menuBar->addAction(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));

    rtbInstructions = new QTextBrowser(this);
    rtbInstructions->setObjectName(QStringLiteral("rtbInstructions"));
    rtbInstructions->setReadOnly(true);
    rtbInstructions->setOpenLinks(false);
    rtbInstructions->setMinimumHeight(150);
    Vezedad::Ui::SetAccessibleName(*rtbInstructions, QStringLiteral("Instructions"));

    lstFiles = new QListWidget(this);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setFont(Vezedad::Ui::NamedFont(QStringLiteral("Arial"), 9.75));
    Vezedad::Ui::SetAccessibleName(*lstFiles, QStringLiteral("Report Files to Upload"));

    const QFont buttonFont = Vezedad::Ui::NamedFont(QStringLiteral("Times New Roman"), 12.0, true);
    cmdUpload = new QPushButton(QStringLiteral("Step 2. Upload Report to RUR"), this);
    cmdUpload->setObjectName(QStringLiteral("cmdUpload"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdTroubleshoot = new QPushButton(QStringLiteral("Trouble Sending Report?"), this);
    cmdTroubleshoot->setObjectName(QStringLiteral("cmdTroubleshoot"));
    for (QPushButton* button : {cmdUpload, cmdCancel, cmdTroubleshoot}) {
        button->setFont(buttonFont);
        button->setAutoDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdUpload);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdTroubleshoot);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(rtbInstructions);
    layout->addWidget(lstFiles, 1);
    layout->addLayout(buttons);
    resize(560, 480);

    connect(lstFiles, &QListWidget::itemChanged, this, [this] { UpdateUploadButton(); });
    connect(cmdUpload, &QPushButton::clicked, this, &frmFileList::cmdUpload_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFileList::cmdCancel_Click);
    connect(cmdTroubleshoot, &QPushButton::clicked, this, &frmFileList::cmdTroubleshoot_Click);
    connect(mnuFileTypeExcel, &QAction::triggered, this, &frmFileList::mnuFileType_Click);
    connect(mnuFileTypeText, &QAction::triggered, this, &frmFileList::mnuFileType_Click);
    connect(mnuHelp, &QAction::triggered, this, &frmFileList::mnuHelp_Click);
}

void frmFileList::Initialize(qint32 optionType, const QString& reportFolder) {
    m_filePath = reportFolder;
    m_optionType = optionType;
    switch (optionType) {
    case Vezedad::kvoOptionA:
    case Vezedad::kvoOptionC: m_fileTypes = Vezedad::zfitText; break;
    case Vezedad::kvoOptionB: m_fileTypes = Vezedad::zfitExcel; break;
    default: m_fileTypes = 0; break;
    }
}

void frmFileList::showEvent(QShowEvent* event) {
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void frmFileList::Form_Load() {
    Vezedad::Ui::GuardShowProcedureError(
        QStringLiteral("Form_Load"), Vezedad::Ui::OwnerKind::Form, QStringLiteral("frmFileList"),
        [this] {
            if (m_filePath.isEmpty()) m_filePath = Vezedad::Globals::ZelReport().ReportPath();
            rtbInstructions->setHtml(instructionsText());
            m_cancelled = true;
            m_selectedFiles.Clear();
            FillFileList();
            ShowFileTypeMenus();
            Vezedad::Ui::SetBackColor(*this);
        },
        this);
}

void frmFileList::FillFileList() {
    const QSignalBlocker quiet(lstFiles);
    lstFiles->clear();
    Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    if (m_fileTypes != 0 && fso.FolderExists(m_filePath)) {
        for (const QFileInfo& file : fso.Files(m_filePath)) {
            const QString name = file.fileName();
            // Only what can be packed is offered: no broken links, pipes or devices.
            if (!file.isFile() || isHiddenOrLockFile(name)) continue;
            if (name.left(9).compare(QStringLiteral("exception"), Qt::CaseInsensitive) == 0) continue;
            if (name.compare(Vezedad::Globals::IdentityFileName(), Qt::CaseInsensitive) == 0) continue;
            // Any name with a report's extension: the user chooses what goes.
            if (!Vezedad::ZelReport::IsReportFileName(name, 0, m_fileTypes & Vezedad::zfitBoth)) continue;
            auto* item = new QListWidgetItem(name, lstFiles);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
    }
    UpdateUploadButton();
}

void frmFileList::UpdateUploadButton() {
    bool anyChecked = false;
    for (int row = 0; row < lstFiles->count() && !anyChecked; ++row)
        anyChecked = lstFiles->item(row)->checkState() == Qt::Checked;
    cmdUpload->setEnabled(anyChecked);
}

void frmFileList::ShowFileTypeMenus() {
    mnuFileTypeExcel->setChecked(m_fileTypes & Vezedad::zfitExcel);
    mnuFileTypeText->setChecked(m_fileTypes & Vezedad::zfitText);
}

void frmFileList::ReadFileTypeMenus() {
    m_fileTypes = (mnuFileTypeExcel->isChecked() ? Vezedad::zfitExcel : 0) |
                  (mnuFileTypeText->isChecked() ? Vezedad::zfitText : 0);
}

void frmFileList::mnuFileType_Click() {
    // The action has toggled its own check mark already.
    ReadFileTypeMenus();
    FillFileList();
}

void frmFileList::MakeFileList() {
    Vezedad::trapArrow(QStringLiteral("VezirodEdovud::frmFileList.MakeFileList"), [&] {
        m_selectedFiles.Clear();
        for (const QString& name : CheckedNames()) m_selectedFiles.Add(name);
    });
}

QStringList frmFileList::CheckedNames() const {
    QStringList names;
    for (int row = 0; row < lstFiles->count(); ++row) {
        const QListWidgetItem* item = lstFiles->item(row);
        if (item->checkState() == Qt::Checked) names.append(item->text());
    }
    return names;
}

bool frmFileList::IsWorkbookOpen(const QString& folder, const QString& fileName) {
    Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    return fso.FileExists(fso.BuildPath(folder, QStringLiteral(".~lock.") + fileName + QStringLiteral("#"))) ||
           fso.FileExists(fso.BuildPath(folder, QStringLiteral("~$") + fileName));
}

bool frmFileList::IsSelectedWorkbookOpen() const {
    try {
        for (const QString& name : m_selectedFiles.Items())
            if (IsWorkbookOpen(m_filePath, name)) return true;
    } catch (...) {
        // A check that cannot be made lets the upload go on.
    }
    return false;
}

void frmFileList::cmdUpload_Click() {
    Vezedad::Ui::GuardShowError(
        QStringLiteral("VezirodEdovud::frmFileList.cmdUpload_Click"),
        [this] {
            // Checked before the names go into the chosen-files collection, which
            // would keep only one of them without a word.
            const QStringList clash = namesDifferingInCase(CheckedNames());
            if (!clash.isEmpty()) {
                Vezedad::Ui::MsgBox(
                    QStringLiteral("The files ") + quotedList(clash) +
                        QStringLiteral(" have names that differ only in letter case. The filing service does not "
                                       "tell such names apart, so one would replace the other. Please uncheck "
                                       "all but one of them, and then try uploading again."),
                    Vezedad::Ui::vbOKOnly, QStringLiteral("File Names Differ Only in Case"), this);
                return;
            }
            MakeFileList();
            if ((m_fileTypes & Vezedad::zfitExcel) && IsSelectedWorkbookOpen()) {
                Vezedad::Ui::MsgBox(
                    QStringLiteral("Please close (saving if needed) any open Option B Excel workbooks,") +
                        QStringLiteral(" and then try uploading again."),
                    Vezedad::Ui::vbOKOnly, QStringLiteral("Excel Workbook Open"), this);
                return;
            }
            m_cancelled = false;
            accept();
        },
        this);
}

void frmFileList::cmdCancel_Click() {
    m_cancelled = true;
    reject();
}

void frmFileList::cmdTroubleshoot_Click() {
    frmTrouble trouble(this);
    trouble.setOptionType(m_optionType);
    Vezedad::Ui::ExecModal(trouble);
}

void frmFileList::mnuHelp_Click() {
    Vezedad::Ui::Guard([this] { Vezedad::Globals::Documentation().ShowDoc(Vezedad::docUploadReport, m_optionType); },
                       [this](const Vezedad::ErrorInfo& error) {
                           Vezedad::Ui::MsgBox(QStringLiteral("Error ") + QString::number(error.Number()) +
                                                   QStringLiteral(": ") + error.Description() +
                                                   QStringLiteral("\nProcedure mnuHelp_Click of Form frmFileList\n") +
                                                   error.Source(),
                                               Vezedad::Ui::vbOKOnly, QString(), this);
                       });
}

} // namespace VezirodEdovud
