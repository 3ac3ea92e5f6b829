#pragma once
// The one isolation of every test, benchmark and fuzz target: HOME, the XDG
// folders and TMPDIR point below a private folder, laid out as on a real
// system, so that a run never reads or writes the user's settings, documents
// or /etc; anything that would reach the network through a proxy goes
// nowhere. The tests isolate before main runs, with the standard library's
// path; the benchmarks and fuzz targets pass a folder of Qt's.
#include <QFile>
#include <QString>

#include <cstdlib>
#include <filesystem>

namespace Isolation {

// Where each variable points below root.
struct Folder {
    const char* variable;
    const char* path;
};
inline constexpr Folder kFolders[] = {
    {"HOME", "home"},
    {"XDG_CONFIG_HOME", "home/.config"},
    {"XDG_DATA_HOME", "home/.local/share"},
    {"XDG_CACHE_HOME", "home/.cache"},
    {"XDG_STATE_HOME", "home/.local/state"},
    {"XDG_CONFIG_DIRS", "etc/xdg"},
    {"XDG_DATA_DIRS", "usr/share"},
    {"XDG_RUNTIME_DIR", "run"},
    {"TMPDIR", "tmp"},
};

// Makes the folders below root (an existing private folder) and points the
// variables at them. A folder that cannot be made throws.
inline void isolate(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    for (const Folder& folder : kFolders) {
        const fs::path path = root / folder.path;
        fs::create_directories(path);
        ::setenv(folder.variable, path.c_str(), 1);
    }
    // The runtime folder must be the user's alone, or Qt refuses it.
    fs::permissions(root / "run", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("http_proxy", "", 1);
    ::setenv("no_proxy", "*", 1);
}

inline void isolate(const QString& root) { isolate(std::filesystem::path(QFile::encodeName(root).toStdString())); }

} // namespace Isolation
