#pragma once
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/OrderedMap.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QFileInfo>
#include <QObject>
#include <QString>
#include <memory>

class QDate;

namespace Vezedad {

class Globals;
class Identity;
using IdentityPtr = std::shared_ptr<Identity>;

// The place of a report: the report root, the report year and the year
// folder under the root, the file-name prefix of each form, the listing of a
// form's files and the proposal of a free file name. One per caller thread,
// handed out by Globals::ZelReport().
class VEZEDAD_EXPORT ZelReport : public QObject {
    Q_OBJECT
public:
    ~ZelReport() override;

    bool AllowPersistence() const { return m_allowPersistence; }
    void setAllowPersistence(bool value) { m_allowPersistence = value; }
    // Saves the identity into the current year folder, then moves to the year.
    // A current folder that cannot take the identity (gone, offline,
    // read-only) does not stop the change: the identity goes into the new
    // folder. A new folder that cannot take it either stops the change and
    // leaves everything as it was.
    void ChangeReportYear(qint32 intNewYear);
    qint16 DefaultYear() const { return m_defaultYear; }
    // The year folder's report files of the form types and the file type,
    // by IsReportFileName, in the folder's name order.
    qint32 FileCount(qint32 lngFormType, qint32 lngFileType = zfitBoth);
    OrderedMap<QString, QFileInfo> FileList(qint32 lngFormType, qint32 lngFileType = zfitBoth);
    // The one rule for a report file's name, wherever a folder's report files
    // are listed: it starts with one of the form types' prefix letters (any
    // name for form type 0) and ends in the file type's extension, letter
    // case aside. A name that only holds the extension before another ending
    // is none: what a save cut short on a stick or share leaves
    // ("A00.txt.k3J9xQ"), an editor's backup ("A00.txt~", "M2013.txt.bak").
    static bool IsReportFileName(const QString& name, qint32 formType, qint32 fileType);
    QString ReportPath();
    QString ReportRootPath();
    // Like a year change: the new root's year folder must take the identity.
    void setReportRootPath(const QString& value);
    qint16 ReportYearMax() const { return m_maxYear; }
    qint16 ReportYearMin() const { return m_minYear; }
    qint16 ReportYear();
    bool ValidateReportYear(qint32 intYear) const { return m_minYear <= intYear && intYear <= m_maxYear; }
    static QString Prefix(qint32 formType);
    void ConfirmReportFolder();
    // The form's prefix, strId, the lowest number (at least two digits) and
    // the file type's extension that no entry of the folder holds in any
    // letter case; a folder that does not exist becomes the report path.
    QString ProposeNewName(qint32 lngFormType, qint32 lngFileType, const QString& strId, QString& folderPath);
    QString ProposeNewName(qint32 lngFormType, qint32 lngFileType, const QString& strId);
    // The filer's one working identity; every read returns the same object.
    IdentityPtr Identity() const { return m_identity; }

    // The report year proposed on a given day: the year itself from May on,
    // the year before until the end of April, when last year's reports are due.
    static qint16 DefaultYearFor(const QDate& today);

Q_SIGNALS:
    void PropertyChanged(const QString& strName, const QString& strValue);

private:
    friend class Globals;
    friend class Vezedad::Identity;
    ZelReport();

    // The identity's own changes, announced as the model's.
    void RaisePropertyChanged(const QString& strName, const QString& strValue);
    // Moves to the year, once its folder holds the identity.
    void SetReportYear(qint16 year);
    static QString FilePattern(qint32 formType, qint32 fileType);
    QString YearFolderPath(const QString& root, qint16 year) const;
    // Creates the folder; the identity then reads itself from it, or saves
    // itself there when the folder has no readable file. A folder that cannot
    // take the identity raises when identityMustFit is set.
    void confirmFolder(const QString& folder, bool identityMustFit);

    bool m_allowPersistence = true;
    qint16 m_minYear = 2000;
    qint16 m_maxYear = 0;
    qint16 m_defaultYear = 0;
    qint16 m_year = 0;
    // The root chosen while persistence is off, which the settings then do
    // not keep; empty when the settings hold the root.
    QString m_unsavedRoot;
    IdentityPtr m_identity;
};

} // namespace Vezedad
