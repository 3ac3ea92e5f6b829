#include "ZozedizIZ/shell/FileOperations.h"

#include "Vezedad/dialogs/GCommonDialog.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/ui/Dialogs.h"

#include <QDir>

namespace ZozedizIZ {

namespace {

// The folder picker's flags, as the picker has always taken them.
constexpr qint32 BIF_RETURNONLYFSDIRS = 0x1;
constexpr qint32 BIF_NEWDIALOGSTYLE = 0x40;
constexpr qint32 BIF_UAHINT = 0x100;
constexpr qint32 BIF_NONEWFOLDERBUTTON = 0x200;
constexpr qint32 BIF_SHAREABLE = 0x8000;

// The picker's path buffer holds 260 characters with the closing NUL.
constexpr qsizetype kMaxFolderPath = 259;

} // namespace

FileOperations::Filter FileOperations::PrepareFilter(qint32 formType, qint32 fileType) {
    const QString pre = Vezedad::ZelReport::Prefix(formType);
    const QString label = pre.isEmpty() ? QString() : Vezedad::Globals::GetFormName(formType, true);
    Filter filter{1, QStringLiteral("All Files (*.*)|*.*")};
    if (fileType & Vezedad::zfitText) {
        filter.text += QStringLiteral("|Text Files (*.txt)|*.txt");
        filter.index = 2;
        if (!pre.isEmpty()) {
            filter.text += u'|' + label + QStringLiteral(" Text Files ({pre}*.txt)|{pre}*.txt");
            filter.index = 3;
        }
    }
    if (fileType & Vezedad::zfitExcel) {
        const qint32 before = filter.index;
        filter.text += QStringLiteral("|Excel Files (*.xls, *.xlsm, *.xlsx)|*.xls;*.xlsm;*.xlsx");
        filter.index = before + 1;
        if (!pre.isEmpty()) {
            filter.text += u'|' + label + QStringLiteral(" Excel Files ") +
                           QStringLiteral("({pre}*.xls, {pre}*.xlsm, {pre}*.xlsx)") +
                           QStringLiteral("|{pre}*.xls;{pre}*.xlsm;{pre}*.xlsx");
            filter.index = before + 2;
        }
    }
    filter.text.replace(QStringLiteral("{pre}"), pre, Qt::CaseSensitive);
    return filter;
}

QString FileOperations::PickFileOpen(qint32 formType, qint32 fileType) {
    const QString location = QStringLiteral("ZozedizIZ::FileOperations.PickFileOpen");
    return Vezedad::trapArrow(location, [&] {
        const Filter filter = PrepareFilter(formType, fileType);
        Vezedad::OpenFileArgs args;
        args.FileName = Vezedad::Globals::vbEmptyString();
        args.FileMustExist = true;
        args.MultiSelect = false;
        args.ReadOnly = true;
        args.HideReadOnly = true;
        args.Filter = filter.text;
        args.FilterIndex = filter.index;
        args.InitDir = Vezedad::Globals::ZelReport().ReportPath();
        args.DlgTitle = QStringLiteral("Select File to Open");
        args.Owner = -1;
        args.Flags = 0;
        Vezedad::GCommonDialog& dialogs = Vezedad::Globals::ComDlg();
        if (dialogs.VBGetOpenFileName(args)) return args.FileName;
        if (dialogs.APIReturn() == 0) return QString();
        throw Vezedad::ErrorInfo(dialogs.ExtendedError(),
                                 QStringLiteral("Common dialog error while selecting data file"), location);
    });
}

QString FileOperations::PickFileSave(qint32 formType, qint32 fileType, QString& strPathAndFile) {
    Vezedad::FileSystemObject& fso = Vezedad::Globals::FSO();
    QString folder = Vezedad::Globals::ZelReport().ReportPath();
    QString extension;
    QString proposal = strPathAndFile;
    if (!strPathAndFile.isEmpty()) {
        const QString parent = fso.GetParentFolderName(strPathAndFile);
        // A proposal whose folder was removed or renamed since starts in the
        // year folder under its own name: its old path would name a folder
        // that is no more.
        if (fso.FolderExists(parent))
            folder = parent;
        else
            proposal = fso.GetFileName(strPathAndFile);
        extension = fso.GetExtensionName(strPathAndFile);
    }
    const Filter filter = PrepareFilter(formType, fileType);
    Vezedad::SaveFileArgs args;
    args.FileName = proposal;
    args.OverWritePrompt = true;
    args.Filter = filter.text;
    args.FilterIndex = filter.index;
    args.InitDir = folder;
    args.DefaultExt = extension;
    args.Owner = -1;
    args.Flags = 0;
    Vezedad::GCommonDialog& dialogs = Vezedad::Globals::ComDlg();
    if (dialogs.VBGetSaveFileName(args)) {
        strPathAndFile = args.FileName;
        return strPathAndFile;
    }
    // A cancel leaves the caller's proposal as it was.
    if (dialogs.APIReturn() != 0)
        throw Vezedad::ErrorInfo(dialogs.ExtendedError(),
                                 QStringLiteral("Common dialog error while selecting file to save"),
                                 QStringLiteral("ZozedizIZ::FileOperations.PickFileSave"));
    return QString();
}

QString FileOperations::PickFileSave(qint32 formType, qint32 fileType) {
    QString none;
    return PickFileSave(formType, fileType, none);
}

QString BrowseFolder(qint32 owner, const QString& title, bool allowNewFolder, bool usageHint, bool shareable) {
    try {
        qint32 flags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        if (!allowNewFolder) flags |= BIF_NONEWFOLDERBUTTON;
        if (usageHint) flags |= BIF_UAHINT;
        if (shareable) flags |= BIF_SHAREABLE;
        Vezedad::Ui::DialogRequest request;
        request.kind = Vezedad::Ui::DialogKind::Folder;
        request.owner = Vezedad::Ui::WindowFromHandle(owner);
        request.title = title.isEmpty() ? QStringLiteral("Select A Folder") : title;
        request.flags = flags;
        request.file.allowNewFolder = allowNewFolder;
        const Vezedad::Ui::DialogAnswer answer = Vezedad::Ui::RunDialog(request);
        if (answer.result != 1 || answer.files.isEmpty()) return QString();
        const QString path = QDir::toNativeSeparators(answer.files.first());
        return path.size() > kMaxFolderPath ? QString() : path;
    } catch (...) {
        // The picker reports nothing: any failure is no folder.
        return QString();
    }
}

QString ReportRootPickerTitle() { return QStringLiteral("Report Root contains the ZOVyyyy report folders"); }

QString ReportFolderPickerTitle() { return QStringLiteral("Select the Drive and Directory that contains your files"); }

} // namespace ZozedizIZ
