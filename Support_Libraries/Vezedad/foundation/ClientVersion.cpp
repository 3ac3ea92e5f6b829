#include "Vezedad/foundation/ClientVersion.h"
#include "Vezedad/foundation/Numbers.h"

#include <QDomDocument>
#include <QDomNodeList>
#include <optional>

namespace Vezedad {

qint32 ClientVersion::CompareTo(const ClientVersion& other) const {
    const qint16 mine[4] = {m_major, m_minor, m_build, m_revision};
    const qint16 theirs[4] = {other.m_major, other.m_minor, other.m_build, other.m_revision};
    for (int i = 0; i < 4; ++i) {
        if (mine[i] > theirs[i]) return 4 - i;
        if (mine[i] < theirs[i]) return -(4 - i);
    }
    return 0;
}

QString ClientVersion::ToString() const {
    return QStringLiteral("%1.%2.%3.%4").arg(m_major).arg(m_minor).arg(m_build).arg(m_revision);
}

namespace {
// The first element of that name in document order; its number rounded half
// to even, 0 when missing or not numeric, nullopt when out of 16-bit range.
std::optional<qint16> firstNodeInteger(const QDomDocument& document, const QString& name) {
    const QDomNodeList nodes = document.elementsByTagName(name);
    if (nodes.isEmpty()) return qint16(0);
    const std::optional<double> value = numericText(nodes.at(0).toElement().text());
    if (!value) return qint16(0);
    return roundedTo<qint16>(*value);
}
} // namespace

void ClientVersion::LoadFromXml(const QDomDocument& document) {
    const QDomNodeList versions = document.elementsByTagName(QStringLiteral("Version"));
    if (!versions.isEmpty()) m_version = versions.at(0).toElement().text();
    qint16* fields[4] = {&m_major, &m_minor, &m_build, &m_revision};
    const QString names[4] = {QStringLiteral("Major"), QStringLiteral("Minor"), QStringLiteral("Build"),
                              QStringLiteral("Revision")};
    for (int i = 0; i < 4; ++i) {
        const std::optional<qint16> value = firstNodeInteger(document, names[i]);
        if (!value) return; // a failed read ends the load quietly
        *fields[i] = *value;
    }
}

} // namespace Vezedad
