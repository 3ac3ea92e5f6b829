#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/foundation/ClientVersion.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Numbers.h"
#include "Vezedad/foundation/Text.h"

#include <QHash>
#include <cmath>

namespace Vezedad {

namespace {
struct BitMasks {
    qint32 mask[32];
    BitMasks() {
        for (int k = 0; k < 31; ++k) mask[k] = qint32((quint32(1) << (k + 1)) - 1);
        mask[31] = -1;
    }
};
const BitMasks kMasks;
} // namespace

QString Utilities::CreateFolder(const QString& strPath) {
    FileSystemObject& fso = Globals::FSO();
    if (fso.FolderExists(strPath)) return strPath;
    const QString parent = fso.GetParentFolderName(strPath);
    if (parent.isEmpty())
        throw ErrorInfo(CustomErrors::AssembleErrorCode(kvetUsage, kvesSerious, errPathNotFound),
                        QStringLiteral("Could not find or create root folder ") + strPath +
                            QStringLiteral("; either not an absolute path or drive does not exist."),
                        QStringLiteral("Vezedad::Utilities.CreateFolder"));
    CreateFolder(parent);
    try {
        fso.CreateFolder(strPath);
    } catch (const ErrorInfo&) {
        if (!fso.FolderExists(strPath)) throw;
    }
    return strPath;
}

qint32 Utilities::LShift(qint32 value, quint8 shift) {
    if (shift == 0) return value;
    if (shift > 31) return 0;
    const int s = shift;
    const quint32 pow = quint32(1) << s;
    if (value & qint32(quint32(1) << (31 - s))) {
        const quint32 low = s == 31 ? 0u : quint32(value & kMasks.mask[30 - s]);
        return qint32((low * pow) | 0x80000000u);
    }
    return qint32(quint32(value & kMasks.mask[31 - s]) * pow);
}

qint32 Utilities::RShift(qint32 value, quint8 shift) {
    if (shift == 0) return value;
    if (shift > 31) return 0;
    const int s = shift;
    quint32 result = quint32(value & 0x7FFFFFFE) >> s;
    if (value < 0) result |= quint32(1) << (31 - s);
    return qint32(result);
}

QString Utilities::WinAPIError(qint32 code) {
    // The system message texts of the results our registry layer and file
    // services report; the platform has no message table of its own.
    static const QHash<qint32, QString> texts = {
        {sysFileNotFound, QStringLiteral("The system cannot find the file specified.\r\n")},
        {sysPathNotFound, QStringLiteral("The system cannot find the path specified.\r\n")},
        {sysAccessDenied, QStringLiteral("Access is denied.\r\n")},
        {sysInvalidHandle, QStringLiteral("The handle is invalid.\r\n")},
        {8, QStringLiteral("Not enough memory resources are available to process this command.\r\n")},
        {32, QStringLiteral("The process cannot access the file because it is being used by another process.\r\n")},
        {sysLockViolation,
         QStringLiteral("The process cannot access the file because another process has locked a portion of "
                        "the file.\r\n")},
        {sysInvalidParameter, QStringLiteral("The parameter is incorrect.\r\n")},
        {sysDiskFull, QStringLiteral("There is not enough space on the disk.\r\n")},
        {234, QStringLiteral("More data is available.\r\n")},
        {259, QStringLiteral("No more data is available.\r\n")},
        {sysNoAssociation,
         QStringLiteral("No application is associated with the specified file for this operation.\r\n")},
    };
    return texts.value(code, QStringLiteral("Unknown API error"));
}

QString Utilities::NameFirstLast(const QString& strName) {
    const QString name = trimBlanks(strName).toString();
    if (name.isEmpty()) return QString();
    if (!name.contains(QLatin1Char(','))) return name;
    const QStringList pieces = name.split(QLatin1Char(','));
    QString result;
    for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
        const QStringView piece = trimBlanks(pieces[i]);
        if (!piece.isEmpty()) {
            result += QLatin1Char(' ');
            result += piece;
        }
    }
    return trimBlanks(result).toString();
}

QString Utilities::NameLastFirst(const QString& strName) {
    const QString name = trimBlanks(strName).toString();
    if (name.isEmpty()) return QString();
    if (name.contains(QLatin1Char(','))) return name;
    const qsizetype space = name.lastIndexOf(QLatin1Char(' '));
    if (space < 0) return name;
    return name.mid(space + 1) + QLatin1Char(',') + name.left(space);
}

QStringList Utilities::NameArray(const QString& strName) {
    const QString lastFirst = NameLastFirst(strName);
    const qsizetype comma = lastFirst.indexOf(QLatin1Char(','));
    const QStringView whole(lastFirst);
    if (comma < 0) return {trimBlanks(whole).toString(), QString()};
    return {trimBlanks(whole.first(comma)).toString(), trimBlanks(whole.sliced(comma + 1)).toString()};
}

qsizetype Utilities::ParseString(QStringList& substrs, const QString& srcStr, QString& delimiter) {
    if (delimiter.isEmpty()) delimiter = QStringLiteral("|");
    if (srcStr.endsWith(delimiter, Qt::CaseSensitive))
        substrs = srcStr.split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
    else
        substrs = (srcStr + delimiter).split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
    return substrs.size() - 1;
}

qsizetype Utilities::ParseString(QStringList& substrs, const QString& srcStr) {
    QString delimiter;
    return ParseString(substrs, srcStr, delimiter);
}

qint16 Utilities::ToInteger(const QString& text) {
    const std::optional<double> value = numericText(text);
    if (!value) return 0;
    return roundedOrOverflow<qint16>(std::floor(*value), QStringLiteral("Vezedad"));
}

ClientVersionPtr Utilities::MakeVersionFromString(const QString& strVersion) {
    const QStringList pieces = strVersion.split(QLatin1Char('.'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    qint16 major = 0, minor = 0, build = 0, revision = 0;
    const qsizetype n = strVersion.isEmpty() ? 0 : pieces.size();
    if (n >= 1) major = ToInteger(pieces[0]);
    if (n >= 2) minor = ToInteger(pieces[1]);
    if (n == 3) revision = ToInteger(pieces[2]);
    if (n >= 4) {
        build = ToInteger(pieces[2]);
        revision = ToInteger(pieces[3]);
    }
    return MakeVersionFromValues(major, minor, build, revision);
}

ClientVersionPtr Utilities::MakeVersionFromValues(qint16 rMajor, qint16 rMinor, qint16 rBuild, qint16 rRevision) {
    ClientVersionPtr version(new ClientVersion);
    version->m_major = rMajor;
    version->m_minor = rMinor;
    version->m_build = rBuild;
    version->m_revision = rRevision;
    version->m_version = version->ToString();
    return version;
}

ClientVersionPtr Utilities::MakeVersionFromXml(const QDomDocument& xmlContent) {
    ClientVersionPtr version(new ClientVersion);
    version->LoadFromXml(xmlContent);
    return version;
}

} // namespace Vezedad
