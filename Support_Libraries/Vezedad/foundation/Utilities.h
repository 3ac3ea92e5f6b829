#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <QStringList>
#include <memory>

class QDomDocument;

namespace Vezedad {

class ClientVersion;
using ClientVersionPtr = std::shared_ptr<ClientVersion>;

// Small shared services: folders, shifts, system error texts, person names,
// the splitter of delimited lines and the version factories.
class VEZEDAD_EXPORT Utilities {
public:
    // Creates the folder and every missing ancestor; returns the path. A
    // folder that exists by the time it is made (another thread or process
    // was quicker) is success.
    static QString CreateFolder(const QString& strPath);
    static qint32 LShift(qint32 value, quint8 shift);
    static qint32 RShift(qint32 value, quint8 shift);
    static QString WinAPIError(qint32 lLastDLLError);
    static QString NameFirstLast(const QString& strName);
    static QString NameLastFirst(const QString& strName);
    static QStringList NameArray(const QString& strName);
    // Splits a delimited line; substrs always ends with one empty element and
    // the result is the number of fields, however many. An empty delimiter
    // becomes "|".
    static qsizetype ParseString(QStringList& substrs, const QString& srcStr, QString& delimiter);
    static qsizetype ParseString(QStringList& substrs, const QString& srcStr);
    static ClientVersionPtr MakeVersionFromString(const QString& strVersion);
    static ClientVersionPtr MakeVersionFromValues(qint16 rMajor, qint16 rMinor, qint16 rBuild, qint16 rRevision);
    static ClientVersionPtr MakeVersionFromXml(const QDomDocument& xmlContent);

    // Text to a 16-bit integer the way version pieces are read: the floor of
    // a number, 0 for anything else; raises overflow (6) beyond the range.
    static qint16 ToInteger(const QString& text);
};

} // namespace Vezedad
