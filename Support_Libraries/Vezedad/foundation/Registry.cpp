#include "Vezedad/foundation/Registry.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Utilities.h"
#include "Vezedad/ui/Ui.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QThread>
#include <QtEndian>
#include <cmath>

namespace Vezedad::RegAPI {

namespace {

struct OpenKeyInfo {
    HKEY hive;
    QString path;
    bool writable;
};

QMutex gHandleMutex;
QHash<HKEY, OpenKeyInfo> gHandles;
HKEY gNextHandle = 0x1000;

QString hiveFolder(HKEY hive) {
    if (hive == HKEY_CURRENT_USER) {
        QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
        return base + QStringLiteral("/ZIDIVO");
    }
    if (hive == HKEY_LOCAL_MACHINE) {
        QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
        QString first = dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts).value(0);
        if (first.isEmpty()) first = QStringLiteral("/etc/xdg");
        return first + QStringLiteral("/ZIDIVO");
    }
    return QString();
}

// Key and value names are compared without regard to case, as the registry
// does; the first spelling written is kept.
template <class Obj> QString findName(const Obj& object, const QString& name) {
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.key();
    return QString();
}

QString normalKey(const QString& subKey) {
    QString k = subKey;
    k.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (k.startsWith(QLatin1Char('\\'))) k.remove(0, 1);
    while (k.endsWith(QLatin1Char('\\'))) k.chop(1);
    return k;
}

enum class HiveState { Sound, Unreadable, Damaged };

// bytes, when given, receives what the file holds.
HiveState readHive(HKEY hive, QJsonObject& out, QByteArray* bytesRead = nullptr) {
    out = QJsonObject();
    const QString path = hiveFile(hive);
    if (!QFileInfo::exists(path)) return HiveState::Sound;
    QFile file;
    try {
        // Only a regular file is read: a FIFO of that name would hold every
        // start of the program.
        FileSystemObject().OpenForReading(file, path);
    } catch (const ErrorInfo&) {
        return HiveState::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (bytesRead) *bytesRead = bytes;
    if (bytes.trimmed().isEmpty()) return HiveState::Sound;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (!doc.isObject()) return HiveState::Damaged;
    out = doc.object();
    return HiveState::Sound;
}

// A damaged hive reads as empty rather than stopping the program.
bool loadHive(HKEY hive, QJsonObject& out) { return readHive(hive, out) != HiveState::Unreadable; }

// Before a damaged hive is replaced by a sound one, its bytes are kept beside
// it, so that settings a person may still recover are not destroyed: under
// "registry.json.damaged", or "registry.json.damaged-2" and on when an
// earlier damage is kept there, which a later one must not destroy. A copy
// of the same bytes already there (a save that failed after making it) is
// used again. Returns ERROR_SUCCESS with the copy's name.
qint32 keepDamagedHive(const QString& path, const QByteArray& bytes, QString& copy) {
    for (int n = 1;; ++n) {
        copy = path + QStringLiteral(".damaged") + (n == 1 ? QString() : QStringLiteral("-%1").arg(n));
        const QFileInfo info(copy);
        if (!info.exists() && !info.isSymLink()) break;
        if (!info.isFile() || info.size() != bytes.size()) continue;
        QFile earlier(copy);
        if (earlier.open(QIODevice::ReadOnly) && earlier.readAll() == bytes) return ERROR_SUCCESS;
    }
    try {
        FileWriter file(copy);
        file.writeBytes(bytes);
        file.commit();
    } catch (const ErrorInfo& error) {
        return FileWriter::isDiskFull(error.Number()) ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED;
    }
    return ERROR_SUCCESS;
}

// The user hears of a damaged hive when it is replaced, which happens once
// for each damage since the hive is sound afterwards; on the thread of the
// windows, once the hive's lock is let go: a box held open under the lock
// would hold every other writer of the settings.
void tellOfDamagedHive(const QString& path, const QString& copy) {
    const QString text = QStringLiteral("The settings file ") + path +
                         QStringLiteral(" was damaged and could not be read, so its settings were not used. A new "
                                        "settings file takes its place now; the damaged file is kept as ") +
                         copy + QLatin1Char('.');
    const auto tell = [text] { Ui::MsgBox(text, Ui::vbExclamation | Ui::vbOKOnly, QStringLiteral("Settings")); };
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        tell();
    else
        QMetaObject::invokeMethod(app, tell, Qt::QueuedConnection);
}

bool folderWritable(HKEY hive) {
    const QString folder = hiveFolder(hive);
    if (folder.isEmpty()) return false;
    if (!QDir().mkpath(folder)) return false;
    QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable()) return false;
    QFileInfo fileInfo(hiveFile(hive));
    return !fileInfo.exists() || fileInfo.isWritable();
}

// Reads, changes and replaces the hive file under its lock (the writer's
// own, which every save of the file takes); keptAs receives the name of the
// copy of a damaged hive that was replaced.
template <class Change> qint32 modifyHiveLocked(HKEY hive, Change&& change, QString& keptAs) {
    const QString path = hiveFile(hive);
    FileWriter::Lock lock(path);
    switch (lock.take()) {
    case FileWriter::Lock::Outcome::Taken: break;
    case FileWriter::Lock::Outcome::Refused: return ERROR_ACCESS_DENIED;
    case FileWriter::Lock::Outcome::NoRoom: return ERROR_DISK_FULL;
    case FileWriter::Lock::Outcome::Busy: return ERROR_LOCK_VIOLATION;
    }
    QJsonObject root;
    QByteArray bytes;
    const HiveState state = readHive(hive, root, &bytes);
    if (state == HiveState::Unreadable) return ERROR_ACCESS_DENIED;
    QString copy;
    if (state == HiveState::Damaged) {
        const qint32 kept = keepDamagedHive(path, bytes, copy);
        if (kept != ERROR_SUCCESS) return kept;
    }
    const QJsonObject before = root;
    const qint32 rc = change(root);
    if (rc != ERROR_SUCCESS) return rc;
    // A change that changed nothing (opening a key that is already there,
    // storing the value already stored) leaves the file alone: every saved
    // setting creates its key first, and would otherwise write the hive twice.
    if (state == HiveState::Sound && root == before) return ERROR_SUCCESS;
    // The hive is replaced only once it is written whole: a full disk
    // leaves the settings as they were.
    try {
        FileWriter file(path, lock);
        file.writeBytes(QJsonDocument(root).toJson(QJsonDocument::Indented));
        file.commit();
    } catch (const ErrorInfo& error) {
        return FileWriter::isDiskFull(error.Number()) ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED;
    }
    keptAs = copy;
    return ERROR_SUCCESS;
}

template <class Change> qint32 modifyHive(HKEY hive, Change&& change) {
    if (!folderWritable(hive)) return ERROR_ACCESS_DENIED;
    QString keptAs;
    const qint32 rc = modifyHiveLocked(hive, std::forward<Change>(change), keptAs);
    if (!keptAs.isEmpty()) tellOfDamagedHive(hiveFile(hive), keptAs);
    return rc;
}

bool lookup(HKEY key, OpenKeyInfo& info) {
    QMutexLocker locker(&gHandleMutex);
    auto it = gHandles.constFind(key);
    if (it == gHandles.constEnd()) return false;
    info = *it;
    return true;
}

HKEY newHandle(HKEY hive, const QString& path, bool writable) {
    QMutexLocker locker(&gHandleMutex);
    const HKEY h = gNextHandle++;
    gHandles.insert(h, OpenKeyInfo{hive, path, writable});
    return h;
}

bool isHive(HKEY root) { return root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE; }

} // namespace

QString hiveFile(HKEY hive) {
    const QString folder = hiveFolder(hive);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/registry.json");
}

qint32 RegOpenKeyEx(HKEY root, const QString& subKey, quint32 access, HKEY& result) {
    result = 0;
    if (!isHive(root)) return ERROR_INVALID_HANDLE;
    QJsonObject hive;
    if (!loadHive(root, hive)) return ERROR_ACCESS_DENIED;
    const QString path = normalKey(subKey);
    const QString found = findName(hive, path);
    if (found.isEmpty()) return ERROR_FILE_NOT_FOUND;
    const bool writable = (access & ~KEY_QUERY_VALUE) != 0;
    if (writable && !folderWritable(root)) return ERROR_ACCESS_DENIED;
    result = newHandle(root, found, writable);
    return ERROR_SUCCESS;
}

qint32 RegCreateKeyEx(HKEY root, const QString& subKey, quint32 access, HKEY& result) {
    result = 0;
    if (!isHive(root)) return ERROR_INVALID_HANDLE;
    const QString path = normalKey(subKey);
    QString stored;
    const qint32 rc = modifyHive(root, [&](QJsonObject& hive) {
        stored = findName(hive, path);
        if (stored.isEmpty()) {
            stored = path;
            hive.insert(path, QJsonObject());
        }
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    result = newHandle(root, stored, (access & ~KEY_QUERY_VALUE) != 0);
    return ERROR_SUCCESS;
}

qint32 RegQueryValueEx(HKEY key, const QString& valueName, quint32& type, QByteArray& data) {
    OpenKeyInfo info;
    if (!lookup(key, info)) return ERROR_INVALID_HANDLE;
    QJsonObject hive;
    if (!loadHive(info.hive, hive)) return ERROR_ACCESS_DENIED;
    const QJsonObject values = hive.value(info.path).toObject();
    const QString name = findName(values, valueName);
    if (name.isEmpty()) return ERROR_FILE_NOT_FOUND;
    const QJsonObject value = values.value(name).toObject();
    type = quint32(value.value(QStringLiteral("type")).toInt());
    const QJsonValue raw = value.value(QStringLiteral("data"));
    // A value whose data does not fit its type (the file was edited by hand
    // or by another program) has no usable data: it counts as a value of no
    // known type.
    const auto unusable = [&] {
        type = REG_NONE;
        data.clear();
        return ERROR_SUCCESS;
    };
    if (type == REG_SZ) {
        if (!raw.isString()) return unusable();
        data = raw.toString().toUtf8();
    } else if (type == REG_DWORD) {
        const double number = raw.toDouble(-1.0);
        if (!raw.isDouble() || number != std::floor(number) || number < -2147483648.0 || number > 4294967295.0)
            return unusable();
        data.resize(4);
        qToLittleEndian<quint32>(quint32(qint64(number)), data.data());
    } else {
        data = QByteArray::fromBase64(raw.toString().toLatin1());
    }
    return ERROR_SUCCESS;
}

qint32 RegSetValueEx(HKEY key, const QString& valueName, quint32 type, const QByteArray& data) {
    OpenKeyInfo info;
    if (!lookup(key, info)) return ERROR_INVALID_HANDLE;
    if (!info.writable) return ERROR_ACCESS_DENIED;
    QJsonObject value;
    value.insert(QStringLiteral("type"), qint64(type));
    if (type == REG_SZ) {
        QByteArray bytes = data;
        while (bytes.endsWith('\0')) bytes.chop(1);
        value.insert(QStringLiteral("data"), QString::fromUtf8(bytes));
    } else if (type == REG_DWORD) {
        if (data.size() != 4) return ERROR_INVALID_PARAMETER;
        value.insert(QStringLiteral("data"), qint64(qFromLittleEndian<quint32>(data.constData())));
    } else {
        value.insert(QStringLiteral("data"), QString::fromLatin1(data.toBase64()));
    }
    return modifyHive(info.hive, [&](QJsonObject& hive) {
        const QString path = findName(hive, info.path);
        if (path.isEmpty()) return ERROR_FILE_NOT_FOUND; // deleted by another process meanwhile
        QJsonObject values = hive.value(path).toObject();
        QString name = findName(values, valueName);
        if (name.isEmpty()) name = valueName;
        values.insert(name, value);
        hive.insert(path, values);
        return ERROR_SUCCESS;
    });
}

qint32 RegDeleteValue(HKEY key, const QString& valueName) {
    OpenKeyInfo info;
    if (!lookup(key, info)) return ERROR_INVALID_HANDLE;
    if (!info.writable) return ERROR_ACCESS_DENIED;
    QJsonObject current;
    if (!loadHive(info.hive, current)) return ERROR_ACCESS_DENIED;
    if (findName(current.value(findName(current, info.path)).toObject(), valueName).isEmpty())
        return ERROR_FILE_NOT_FOUND;
    return modifyHive(info.hive, [&](QJsonObject& hive) {
        const QString path = findName(hive, info.path);
        QJsonObject values = hive.value(path).toObject();
        const QString name = findName(values, valueName);
        if (path.isEmpty() || name.isEmpty()) return ERROR_FILE_NOT_FOUND;
        values.remove(name);
        hive.insert(path, values);
        return ERROR_SUCCESS;
    });
}

qint32 RegCloseKey(HKEY key) {
    QMutexLocker locker(&gHandleMutex);
    return gHandles.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace Vezedad::RegAPI

namespace Vezedad::modRegistry {

using namespace RegAPI;

namespace {
[[noreturn]] void raiseResult(qint32 rc, const QString& wrapper, const QString& suffix = QString()) {
    throw ErrorInfo(rc, Utilities::WinAPIError(rc) + suffix, QStringLiteral("RegAPI::") + wrapper);
}

// Closes a key on every way out of a wrapper.
struct KeyCloser {
    HKEY key = 0;
    ~KeyCloser() {
        if (key) RegCloseKey(key);
    }
};
} // namespace

HKEY OpenKey(HKEY root, const QString& subKey, bool raise, bool forWriting) {
    HKEY key = 0;
    const qint32 rc = RegOpenKeyEx(root, subKey, forWriting ? KEY_ALL_WRITE : KEY_QUERY_VALUE, key);
    if (rc != ERROR_SUCCESS) {
        if (raise) raiseResult(rc, QStringLiteral("OpenKey"));
        return 0;
    }
    return key;
}

HKEY CreateKey(HKEY root, const QString& subKey, bool raise) {
    HKEY key = 0;
    const qint32 rc = RegCreateKeyEx(root, subKey, KEY_ALL_WRITE, key);
    if (rc != ERROR_SUCCESS) {
        if (raise) raiseResult(rc, QStringLiteral("CreateKey"));
        return 0;
    }
    return key;
}

void CloseKey(HKEY key, bool raise) {
    const qint32 rc = RegCloseKey(key);
    if (rc != ERROR_SUCCESS && raise) raiseResult(rc, QStringLiteral("CloseKey"));
}

void RemoveValue(HKEY root, const QString& subKey, const QString& valueName, bool raise) {
    KeyCloser closer{OpenKey(root, subKey, raise, true)};
    if (!closer.key) return;
    const qint32 rc = RegDeleteValue(closer.key, valueName);
    if (rc != ERROR_SUCCESS && raise)
        raiseResult(rc, QStringLiteral("RemoveValue"), QStringLiteral(" when removing ") + valueName);
}

QVariant QueryValueEx(HKEY root, const QString& subKey, const QString& valueName, bool raise) {
    KeyCloser closer{OpenKey(root, subKey, raise, false)};
    if (!closer.key) return QVariant();
    quint32 type = 0;
    QByteArray data;
    const qint32 rc = RegQueryValueEx(closer.key, valueName, type, data);
    if (rc != ERROR_SUCCESS) {
        if (raise) raiseResult(rc, QStringLiteral("QueryValueEx (Get Type)"));
        return QVariant();
    }
    if (type == REG_SZ) return QVariant(QString::fromUtf8(data));
    if (type == REG_DWORD && data.size() == 4) return QVariant(qFromLittleEndian<qint32>(data.constData()));
    if (type == REG_DWORD) {
        if (raise) raiseResult(ERROR_INVALID_PARAMETER, QStringLiteral("QueryValueEx (Get Long)"));
        return QVariant();
    }
    if (raise)
        throw ErrorInfo(errInvalidPropertyValue, QStringLiteral("Unsupported data type"),
                        QStringLiteral("RegAPI::QueryValueEx"));
    return QVariant();
}

void SetValueEx(HKEY root, const QString& subKey, const QString& valueName, quint32 type, const QVariant& value,
                bool raise) {
    KeyCloser closer{CreateKey(root, subKey, raise)};
    if (!closer.key) return;
    qint32 rc = ERROR_SUCCESS;
    if (type == REG_NONE) {
        rc = RegDeleteValue(closer.key, valueName);
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS; // nothing to delete is what was wanted
    } else if (type == REG_SZ) {
        rc = RegSetValueEx(closer.key, valueName, REG_SZ, value.toString().toUtf8() + '\0');
    } else if (type == REG_DWORD) {
        QByteArray bytes(4, '\0');
        qToLittleEndian<qint32>(qint32(value.toLongLong()), bytes.data());
        rc = RegSetValueEx(closer.key, valueName, REG_DWORD, bytes);
    } else {
        rc = errInvalidPropertyValue;
    }
    if (rc != ERROR_SUCCESS && raise) raiseResult(rc, QStringLiteral("SetValueEx"));
}

} // namespace Vezedad::modRegistry
