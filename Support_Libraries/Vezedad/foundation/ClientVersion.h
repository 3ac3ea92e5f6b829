#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QString>
#include <memory>

class QDomDocument;

namespace Vezedad {

// A four-part client version. Only the factories of Utilities make and fill
// one; afterwards it is read-only.
class VEZEDAD_EXPORT ClientVersion {
public:
    QString Version() const { return m_version; }
    qint16 Major() const { return m_major; }
    qint16 Minor() const { return m_minor; }
    qint16 Build() const { return m_build; }
    qint16 Revision() const { return m_revision; }

    // Sign tells the order (positive: this one is newer); magnitude 4..1 the
    // most significant part that differs.
    qint32 CompareTo(const ClientVersion& other) const;
    QString ToString() const;

private:
    friend class Utilities;
    ClientVersion() = default;
    void LoadFromXml(const QDomDocument& document);

    QString m_version;
    qint16 m_major = 0;
    qint16 m_minor = 0;
    qint16 m_build = 0;
    qint16 m_revision = 0;
};

using ClientVersionPtr = std::shared_ptr<ClientVersion>;

} // namespace Vezedad
