#include "Vezedad/foundation/ZelReport.h"
#include "Vezedad/foundation/Configuration.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Identity.h"
#include "Vezedad/foundation/Utilities.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <filesystem>
#include <optional>
#include <system_error>

namespace Vezedad {

ZelReport::ZelReport() {
    const QDate today = QDate::currentDate();
    m_maxYear = qint16(today.year());
    m_defaultYear = DefaultYearFor(today);
    ConfirmReportFolder();
    m_identity = modGlobals::Identity(*this);
}

ZelReport::~ZelReport() = default;

qint16 ZelReport::DefaultYearFor(const QDate& today) {
    return qint16(today.month() > 4 ? today.year() : today.year() - 1);
}

qint16 ZelReport::ReportYear() {
    if (m_year == 0) {
        qint16 stored = Globals::Configuration().ReportYear();
        if (!ValidateReportYear(stored)) stored = m_defaultYear;
        SetReportYear(stored);
    }
    return m_year;
}

void ZelReport::SetReportYear(qint16 year) {
    confirmFolder(YearFolderPath(ReportRootPath(), year), true);
    m_year = year;
    if (m_allowPersistence) Globals::Configuration().setReportYear(year);
    Q_EMIT PropertyChanged(QStringLiteral("ReportYear"), QString::number(year));
}

void ZelReport::ChangeReportYear(qint32 intNewYear) {
    // The current folder may be gone, offline or read-only: the identity in
    // memory then goes with the year into the new folder. Only when there is
    // no other folder to take it is the failed save the caller's to hear.
    std::optional<ErrorInfo> unsaved;
    try {
        m_identity->Save();
    } catch (...) {
        unsaved = ErrorInfo::fromCurrentException();
    }
    if (intNewYear == ReportYear()) {
        if (unsaved) throw *unsaved;
        return;
    }
    if (!ValidateReportYear(intNewYear))
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetValidation, kvesSerious, errInvalidPropertyValue),
                        QStringLiteral("Report Year must be between ") + QString::number(m_minYear) +
                            QStringLiteral(" and ") + QString::number(m_maxYear) + QStringLiteral(", inclusive."),
                        QStringLiteral("Vezedad::ZelReport.ReportYear"));
    SetReportYear(qint16(intNewYear));
}

QString ZelReport::ReportRootPath() {
    return m_unsavedRoot.isEmpty() ? Globals::Configuration().ReportRoot() : m_unsavedRoot;
}

namespace {

// The root named again in other letter case is no change. Where the file
// system tells letter case apart such a name is another folder, unless it
// leads to the very same one.
bool sameRoot(const QString& a, const QString& b) {
    if (a == b) return true;
    if (a.compare(b, Qt::CaseInsensitive) != 0) return false;
    std::error_code ec;
    const bool same = std::filesystem::equivalent(std::filesystem::path(QFile::encodeName(a).toStdString()),
                                                  std::filesystem::path(QFile::encodeName(b).toStdString()), ec);
    return same && !ec;
}

} // namespace

void ZelReport::setReportRootPath(const QString& value) {
    if (sameRoot(value, ReportRootPath())) return;
    Utilities::CreateFolder(value);
    confirmFolder(YearFolderPath(value, ReportYear()), true);
    if (m_allowPersistence) {
        Globals::Configuration().setReportRoot(value);
        m_unsavedRoot.clear();
    } else {
        m_unsavedRoot = value;
    }
    Q_EMIT PropertyChanged(QStringLiteral("ReportRootPath"), value);
}

QString ZelReport::YearFolderPath(const QString& root, qint16 year) const {
    return Globals::FSO().BuildPath(root, QStringLiteral("ZOV") + QString::number(year).rightJustified(4, u'0'));
}

QString ZelReport::ReportPath() { return YearFolderPath(ReportRootPath(), ReportYear()); }

void ZelReport::ConfirmReportFolder() { confirmFolder(ReportPath(), false); }

void ZelReport::confirmFolder(const QString& folder, bool identityMustFit) {
    Utilities::CreateFolder(folder);
    if (!m_identity || m_identity->Read(folder)) return;
    try {
        m_identity->Save(folder);
    } catch (...) {
        // The current folder keeps no copy then; the identity itself is
        // unchanged and is saved again before any report is opened or sent.
        if (identityMustFit) throw;
    }
}

void ZelReport::RaisePropertyChanged(const QString& strName, const QString& strValue) {
    Q_EMIT PropertyChanged(strName, strValue);
}

QString ZelReport::Prefix(qint32 formType) {
    switch (formType) {
    case zfotForm26: return QStringLiteral("P");
    case zfotForm26A: return QStringLiteral("A");
    case zfotForm27: return QStringLiteral("S");
    case zfotForm25: return QStringLiteral("M");
    case zfotIdentity: return QStringLiteral("I");
    default: return QString();
    }
}

QString ZelReport::FilePattern(qint32 formType, qint32 fileType) {
    QString letters;
    for (qint32 t : {zfotForm26A, zfotForm26, zfotForm25, zfotForm27, zfotIdentity})
        if (formType & t) letters += Prefix(t);
    if (!letters.isEmpty()) letters = QLatin1Char('[') + letters + QLatin1Char(']');
    QString extension;
    switch (fileType) {
    case zfitText: extension = QStringLiteral("[.]txt"); break;
    case zfitExcel: extension = QStringLiteral("[.]xls[mx]?"); break;
    case zfitBoth: extension = QStringLiteral("[.]((txt)|(xls[mx]?))"); break;
    default: break;
    }
    // The name ends in the extension: \z, since $ would also let a name end
    // in a line feed after it.
    return QLatin1Char('^') + letters + QStringLiteral(".*") + extension + QStringLiteral("\\z");
}

namespace {

QRegularExpression fileNameRule(const QString& pattern) {
    // A name is a name whatever it holds, a line feed too.
    return QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

bool ZelReport::IsReportFileName(const QString& name, qint32 formType, qint32 fileType) {
    return fileNameRule(FilePattern(formType, fileType)).match(name).hasMatch();
}

OrderedMap<QString, QFileInfo> ZelReport::FileList(qint32 lngFormType, qint32 lngFileType) {
    const QRegularExpression rule = fileNameRule(FilePattern(lngFormType, lngFileType));
    OrderedMap<QString, QFileInfo> files;
    for (const QFileInfo& file : Globals::FSO().Files(ReportPath()))
        if (rule.match(file.fileName()).hasMatch()) files.insert(file.fileName(), file);
    return files;
}

qint32 ZelReport::FileCount(qint32 lngFormType, qint32 lngFileType) {
    return qint32(FileList(lngFormType, lngFileType).size());
}

QString ZelReport::ProposeNewName(qint32 lngFormType, qint32 lngFileType, const QString& strId, QString& folderPath) {
    FileSystemObject& fso = Globals::FSO();
    if (!fso.FolderExists(folderPath)) folderPath = ReportPath();
    if (lngFormType == zfotIdentity) return Globals::IdentityFileName();
    const QString prefix = Prefix(lngFormType);
    const QString extension = lngFileType == zfitText    ? QStringLiteral(".txt")
                              : lngFileType == zfitExcel ? QStringLiteral(".xlsm")
                                                         : QString();
    // The upload and the filing service tell names apart without regard to
    // letter case: a name is free only when nothing in the folder has it in
    // any case.
    QSet<QString> taken;
    for (const QString& name :
         QDir(folderPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        taken.insert(name.toCaseFolded());
    for (qint64 n = 0;; ++n) {
        const QString name = prefix + strId + QString::number(n).rightJustified(2, u'0') + extension;
        if (!taken.contains(name.toCaseFolded())) return fso.BuildPath(folderPath, name);
    }
}

QString ZelReport::ProposeNewName(qint32 lngFormType, qint32 lngFileType, const QString& strId) {
    QString folderPath;
    return ProposeNewName(lngFormType, lngFileType, strId, folderPath);
}

Vezedad::ZelReport& Globals::ZelReport() {
    return perThreadService<Vezedad::ZelReport>(modGlobals::factoryModule(), modGlobals::slotZelReport, [] {
        return std::unique_ptr<Vezedad::ZelReport>(new Vezedad::ZelReport);
    });
}

} // namespace Vezedad
