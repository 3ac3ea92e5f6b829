#pragma once
#include "Vezedad/foundation/Enums.h"
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QString>

namespace ZozedizIZ {

// The file pickers every front end uses: the open dialog in the report year
// folder and the save dialog in the folder of a proposed file, both filtered
// to one form's files. Front ends take the thread's shared one from
// Globals::FileOperations(); the class is also creatable and keeps no state.
class ZOZEDIZIZ_EXPORT FileOperations {
public:
    // The open dialog "Select File to Open" in the year folder. The chosen
    // path, or "" when the user cancels. A failed dialog raises its extended
    // error code, "Common dialog error while selecting data file".
    QString PickFileOpen(qint32 formType, qint32 fileType = Vezedad::zfitBoth);

    // The save dialog, proposing strPathAndFile (which receives the chosen
    // path) in its folder, or in the year folder when it has none or that
    // folder is gone; its extension is the default. The chosen path, or ""
    // when the user cancels. A failed dialog raises its extended error code,
    // "Common dialog error while selecting file to save".
    QString PickFileSave(qint32 formType, qint32 fileType, QString& strPathAndFile);
    QString PickFileSave(qint32 formType, qint32 fileType);

    // The dialogs' filter list for a form and file type ("description|
    // patterns|..."), and the filter shown first (from 1): the last one added.
    struct Filter {
        qint32 index = 1;
        QString text;
    };
    static Filter PrepareFilter(qint32 formType, qint32 fileType);
};

// The folder picker, owned by window owner (0: none), titled title ("Select
// A Folder" when empty). allowNewFolder offers a button for a new folder;
// usageHint and shareable pass on their requests to the picker. The chosen
// folder, or "" when the user cancels, the dialog fails or the folder's path
// is longer than 259 characters.
ZOZEDIZIZ_EXPORT QString BrowseFolder(qint32 owner, const QString& title, bool allowNewFolder, bool usageHint,
                                      bool shareable);

// The titles the report controller gives the folder picker: for the report
// root (whose year folders are "ZOV" + the year) and for a folder of report
// files.
ZOZEDIZIZ_EXPORT QString ReportRootPickerTitle();
ZOZEDIZIZ_EXPORT QString ReportFolderPickerTitle();

} // namespace ZozedizIZ
