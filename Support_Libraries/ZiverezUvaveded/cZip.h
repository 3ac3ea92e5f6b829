#pragma once
#include "ZiverezUvaveded/VezirodEdovudExport.h"

#include <QDir>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace VezirodEdovud {

// Packs a list of files into one zip archive. The caller sets the archive
// path and the options, adds the files and calls Zip; Success tells whether
// a complete archive was written. The archive is replaced only when the run
// succeeds: a failed or cancelled run leaves no half-written file behind.
// Each entry holds its file whole, as it was when the run began: a file whose
// size or modification time is not the same once it has been packed (another
// program wrote it meanwhile) fails the run.
class VEZIRODEDOVUD_EXPORT cZip : public QObject {
    Q_OBJECT
public:
    // The most file names one run takes.
    static constexpr qint32 MaxFileSpecs = 1022;

    explicit cZip(QObject* parent = nullptr);

    QString ZipFile() const { return m_zipFile; }
    void setZipFile(const QString& sFileName) { m_zipFile = sFileName; }
    QString BasePath() const { return m_basePath; }
    void setBasePath(const QString& sBasePath) { m_basePath = sBasePath; }
    bool Encrypt() const { return m_encrypt; }
    void setEncrypt(bool bState) { m_encrypt = bState; }
    bool AddComment() const { return m_addComment; }
    void setAddComment(bool bState) { m_addComment = bState; }
    bool IncludeSystemAndHiddenFiles() const { return m_includeHidden; }
    void setIncludeSystemAndHiddenFiles(bool bState) { m_includeHidden = bState; }
    bool StoreVolumeLabel() const { return m_storeVolumeLabel; }
    void setStoreVolumeLabel(bool bState) { m_storeVolumeLabel = bState; }
    bool StoreDirectories() const { return m_storeDirectories; }
    void setStoreDirectories(bool bState) { m_storeDirectories = bState; }
    bool StoreFolderNames() const { return m_storeFolderNames; }
    void setStoreFolderNames(bool bState) { m_storeFolderNames = bState; }
    bool RecurseSubDirs() const { return m_recurseSubDirs; }
    void setRecurseSubDirs(bool bState) { m_recurseSubDirs = bState; }
    bool UpdateOnlyIfNewer() const { return m_updateOnlyIfNewer; }
    void setUpdateOnlyIfNewer(bool bState) { m_updateOnlyIfNewer = bState; }
    bool FreshenFiles() const { return m_freshenFiles; }
    void setFreshenFiles(bool bState) { m_freshenFiles = bState; }
    // 0, 1 or 2; any other value leaves the level as it was.
    qint32 MessageLevel() const { return m_messageLevel; }
    void setMessageLevel(qint32 eLevel);
    bool ConvertCRLFToLF() const { return m_crlfToLf; }
    void setConvertCRLFToLF(bool bState) { m_crlfToLf = bState; }
    bool ConvertLFToCRLF() const { return m_lfToCrlf; }
    void setConvertLFToCRLF(bool bState) { m_lfToCrlf = bState; }
    bool AllowAppend() const { return m_allowAppend; }
    void setAllowAppend(bool bState) { m_allowAppend = bState; }

    void ClearFileSpecs() { m_specs.clear(); }
    void AddFileSpec(const QString& sSpec) { m_specs.append(sSpec); }
    qint32 FileSpecCount() const { return qint32(m_specs.size()); }
    // Position 1 to FileSpecCount; any other raises the subscript error (9).
    QVariant FileSpec(qint32 nIndex) const;

    // Builds the archive from the list. More than MaxFileSpecs raises the
    // subscript error (9) and writes nothing; any other failure is reported
    // through Success, FailureReason and FailedFile.
    void Zip();
    bool Success() const { return m_lastResult == 0; }
    // Why the last run failed, in words ("" after a success), and the path of
    // the file it failed on ("" when the fault was not one file's, as when the
    // archive itself could not be written).
    const QString& FailureReason() const { return m_failureReason; }
    const QString& FailedFile() const { return m_failedFile; }
    // Removes the listed names from the archive; Success does not change.
    void Delete();

    // Called with a file's path as its packing begins, in every run; a test
    // changes or removes the file there. The hook it replaces comes back; an
    // empty one puts none.
    using PackingHook = std::function<void(const QString& path)>;
    static PackingHook setPackingHook(PackingHook hook);

Q_SIGNALS:
    // Before each file is added; a listener that sets bCancel stops the run.
    void Cancel(const QString& sMsg, bool& bCancel);
    void PasswordRequest(QString& sPassword, qint32 lMaxPasswordLength, bool bConfirm, bool& bCancel);
    void CommentRequest(QString& sComment, bool& bCancel);
    void Progress(qint32 lCount, const QString& sMsg);

private:
    qint32 runZip();
    qint32 failed(qint32 result, const QString& file, const QString& reason);
    qint32 runDelete();
    QDir baseFolder() const;
    QString entryName(const QString& path) const;

    QString m_zipFile;
    QString m_basePath;
    bool m_encrypt = false;
    bool m_addComment = false;
    bool m_includeHidden = false;
    bool m_storeVolumeLabel = false;
    bool m_storeDirectories = false;
    bool m_storeFolderNames = false;
    bool m_recurseSubDirs = false;
    bool m_updateOnlyIfNewer = false;
    bool m_freshenFiles = false;
    qint32 m_messageLevel = 2;
    bool m_crlfToLf = false;
    bool m_lfToCrlf = false;
    bool m_allowAppend = false;
    QStringList m_specs;
    qint32 m_lastResult = -1;
    QString m_failureReason;
    QString m_failedFile;
};

} // namespace VezirodEdovud
