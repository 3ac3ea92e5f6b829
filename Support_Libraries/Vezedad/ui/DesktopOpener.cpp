#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

// The documentation links open through the desktop as soon as this library
// is loaded, so any program linked to it opens them, whatever else it links.
namespace {

qint32 openWithDesktop(const QString& target, bool isLocalFile) {
    // The desktop services need the application object of a windowed program.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return Vezedad::sysNoAssociation;
    const QUrl url = isLocalFile ? QUrl::fromLocalFile(target) : QUrl(target, QUrl::StrictMode);
    if (!url.isValid()) return Vezedad::sysNoAssociation;
    return QDesktopServices::openUrl(url) ? 0 : Vezedad::sysNoAssociation;
}

struct InstallOpener {
    InstallOpener() { Vezedad::Documentation::setShellOpener(&openWithDesktop); }
};

const InstallOpener gInstallOpener;

} // namespace
