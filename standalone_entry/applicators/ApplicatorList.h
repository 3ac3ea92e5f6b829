#pragma once
#include "applicators/Applicator.h"

#include "Vezedad/reportfile/ReportFile.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <utility>
#include <vector>

namespace Vezedad {
class ZelReport;
}

namespace Dazozuvi {

// The applicators of the report year, keyed by certification id without
// regard to letter case, in the order they were added: an item that replaces
// another under the same key keeps the old one's place and key.
//
// Every list follows the shared report model while it lives: a new report
// year or root reads all files again (ReadAll), and a change of the filer's
// name, registration number or certification id updates the filer's own
// entry. Creating a list reads nothing.
class ApplicatorList : public QObject {
    Q_OBJECT
public:
    explicit ApplicatorList(QObject* parent = nullptr);
    ~ApplicatorList() override;

    // Sets the item under the applicator's certification id; an empty pointer
    // is ignored.
    void Add(const ApplicatorPtr& objApplicator);
    qint32 Count() const { return qint32(m_entries.size()); }
    bool Exists(const QString& strCertId) const { return indexOf(strCertId) >= 0; }
    // The applicator under the key, or an empty pointer.
    ApplicatorPtr Item(const QString& strCertId) const;
    // An empty pointer removes the entry. Otherwise the applicator's
    // certification id must be strCertId, letter case aside (error 380).
    void setItem(const QString& strCertId, const ApplicatorPtr& objApplicator);
    QVector<ApplicatorPtr> Items() const;
    // strCertId itself when the key is present, else "".
    QString Key(const QString& strCertId) const { return Exists(strCertId) ? strCertId : QString(); }
    // Gives the entry the new key, in its place; the applicator's id follows
    // when the validator accepts it. A new key that another entry holds is
    // refused.
    void setKey(const QString& strCertId, const QString& strNewCertId);
    QStringList Keys() const;
    void Remove(const QString& strCertId);
    void RemoveAll();

    // The report year's Form 26A files in order, then the filer when no file
    // lists it.
    void ReadAll();
    // One Form 26A file, each line an entry. The file's first record (its
    // byte-order marks and blanks aside) decides whether the file has the
    // indicator column. Asks whether to go on when that record has the wrong
    // number of fields, or has no indicator column while a later record has
    // one, and shows its own errors with the choice to abort, retry or skip:
    // it never raises.
    void ReadFile(const QString& strFileName);
    // The same reading, with the same questions and error boxes, for a form
    // that shows the file as it is: each gets the fields of every line that
    // holds a record (more than blanks and marks) and its line number, in the
    // file's order, repeated ids included, as it is read (a list of a million
    // lines is never held whole, nor made into applicators). The list itself
    // is not touched. Gives the file's stamp as it was read when every line
    // of it was read, else (a first record refused, a read given up or a
    // step skipped after an error) a null stamp; encoding (may be null) gets
    // how its text was read.
    static Vezedad::ReportFile::FileStamp
    ReadLines(const QString& strFileName, const std::function<void(const ApplicatorFields&, qint64 line)>& each,
              Vezedad::ReportFile::Encoding* encoding = nullptr);

private:
    // Reads the file line by line; take gets whether each line (double
    // quotes removed) holds no record, its fields and its number. Every byte
    // read goes into digest (may be null); true when every line was read and
    // taken. Lines are read as text in UTF-8 when the file is (encoding, may
    // be null, gets which); a file in UTF-16 is refused as one that cannot
    // be opened.
    static bool readEachLine(const QString& strFileName,
                             const std::function<void(bool empty, const ApplicatorFields&, qint64 line)>& take,
                             Vezedad::ReportFile::Digest* digest = nullptr,
                             Vezedad::ReportFile::Encoding* encoding = nullptr);
    void mobjReport_PropertyChanged(const QString& strName, const QString& strValue);
    qsizetype indexOf(const QString& key) const;
    void reindex();
    static QString folded(const QString& key) { return key.toCaseFolded(); }

    // The key as first given, and its applicator.
    std::vector<std::pair<QString, ApplicatorPtr>> m_entries;
    QHash<QString, qsizetype> m_index;
    ApplicatorPtr mobjFiler;
    QPointer<Vezedad::ZelReport> mobjReport;
};

} // namespace Dazozuvi
