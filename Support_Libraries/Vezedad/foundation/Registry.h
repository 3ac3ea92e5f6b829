#pragma once
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/VezedadExport.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// A small registry of our own with the semantics of the Windows registry
// functions the settings were written against: two hives of keys holding
// typed named values, result codes instead of exceptions. On this platform
// each hive is one file (see hiveFile), replaced atomically on every write and
// guarded by a lock file against a second process.
namespace Vezedad::RegAPI {

using HKEY = quintptr;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

constexpr qint32 ERROR_SUCCESS = 0;
constexpr qint32 ERROR_FILE_NOT_FOUND = sysFileNotFound;
constexpr qint32 ERROR_ACCESS_DENIED = sysAccessDenied;
constexpr qint32 ERROR_INVALID_HANDLE = sysInvalidHandle;
constexpr qint32 ERROR_LOCK_VIOLATION = sysLockViolation;
constexpr qint32 ERROR_INVALID_PARAMETER = sysInvalidParameter;
constexpr qint32 ERROR_DISK_FULL = sysDiskFull;

constexpr quint32 REG_NONE = 0;
constexpr quint32 REG_SZ = 1;
constexpr quint32 REG_BINARY = 3;
constexpr quint32 REG_DWORD = 4;

constexpr quint32 KEY_QUERY_VALUE = 0x1;
constexpr quint32 KEY_ALL_WRITE = 0x3F;

// The file that holds a hive: the per-user hive under $XDG_CONFIG_HOME, the
// machine hive under the first folder of $XDG_CONFIG_DIRS (/etc/xdg).
VEZEDAD_EXPORT QString hiveFile(HKEY hive);

VEZEDAD_EXPORT qint32 RegOpenKeyEx(HKEY root, const QString& subKey, quint32 access, HKEY& result);
VEZEDAD_EXPORT qint32 RegCreateKeyEx(HKEY root, const QString& subKey, quint32 access, HKEY& result);
// type receives the value's type; data its bytes (text without terminator
// for REG_SZ, in UTF-8, so that a setting holds any text; four little-endian
// bytes for REG_DWORD).
VEZEDAD_EXPORT qint32 RegQueryValueEx(HKEY key, const QString& valueName, quint32& type, QByteArray& data);
VEZEDAD_EXPORT qint32 RegSetValueEx(HKEY key, const QString& valueName, quint32 type, const QByteArray& data);
VEZEDAD_EXPORT qint32 RegDeleteValue(HKEY key, const QString& valueName);
VEZEDAD_EXPORT qint32 RegCloseKey(HKEY key);

} // namespace Vezedad::RegAPI

namespace Vezedad::modRegistry {

// Thin wrappers that close what they open and, with raise set, raise a
// failing result as the error number (source "RegAPI::" + wrapper).
VEZEDAD_EXPORT RegAPI::HKEY OpenKey(RegAPI::HKEY root, const QString& subKey, bool raise, bool forWriting);
VEZEDAD_EXPORT RegAPI::HKEY CreateKey(RegAPI::HKEY root, const QString& subKey, bool raise);
VEZEDAD_EXPORT void CloseKey(RegAPI::HKEY key, bool raise);
VEZEDAD_EXPORT void RemoveValue(RegAPI::HKEY root, const QString& subKey, const QString& valueName, bool raise);
// Text, 32-bit integer, or an invalid QVariant for Empty.
VEZEDAD_EXPORT QVariant QueryValueEx(RegAPI::HKEY root, const QString& subKey, const QString& valueName, bool raise);
VEZEDAD_EXPORT void SetValueEx(RegAPI::HKEY root, const QString& subKey, const QString& valueName, quint32 type,
                               const QVariant& value, bool raise);

} // namespace Vezedad::modRegistry
