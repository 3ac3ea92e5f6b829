#pragma once
// Points HOME and the XDG folders of a measuring program at a private folder,
// so a run never reads or writes the user's own settings and report folders.
#include <QDir>
#include <QString>

#include <cstdlib>

namespace Bench {

inline void isolate(const QString& root) {
    const char* vars[][2] = {{"HOME", "/home"},
                             {"XDG_CONFIG_HOME", "/home/.config"},
                             {"XDG_DATA_HOME", "/home/.local/share"},
                             {"XDG_CACHE_HOME", "/home/.cache"},
                             {"XDG_CONFIG_DIRS", "/etc/xdg"},
                             {"XDG_DATA_DIRS", "/usr/share"}};
    for (const auto& v : vars) {
        const QString path = root + QLatin1String(v[1]);
        QDir().mkpath(path);
        ::setenv(v[0], path.toLocal8Bit().constData(), 1);
    }
}

} // namespace Bench
