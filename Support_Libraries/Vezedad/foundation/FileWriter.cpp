#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"

#include <QFileInfo>
#include <QLockFile>
#include <QStorageInfo>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Vezedad {

namespace {

// What is gathered before it goes to the file in one write.
constexpr qsizetype kBlock = 256 * 1024;

// How often a save that takes long tells other copies that it is alive.
constexpr auto kFreshEvery = std::chrono::seconds(10);
std::atomic<int> gLockWait{10 * 1000};

const QString kUnchanged = QStringLiteral("; nothing was saved, and the file on disk is as it was before");

// The end of every failure's message: nothing was saved, and a file that
// was there is as it was.
QString nothingSaved(const QFileInfo& info) {
    return (info.isFile() ? kUnchanged : QStringLiteral("; nothing was saved")) + QLatin1Char('.');
}

QString notAFile(const QFileInfo& info) {
    return info.isDir() ? QStringLiteral(" is a folder, not a file") : QStringLiteral(" is not a regular file");
}

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The system's own reason for refusing access of mode (W_OK, F_OK) to
// path, as Qt asks it; empty when it grants it. A write-protected disk
// says "Read-only file system" here, where Qt's own text does not.
QString refusal(const QString& path, int mode) {
    if (::access(QFile::encodeName(path).constData(), mode) == 0) return QString();
    return systemText(errno);
}

// Whether a failure was the disk (or the user's quota) without room. Qt
// files a write that found no room as a resource error; an open or a
// rename that found none is told only by its text.
bool noRoom(QFileDevice::FileError error, const QString& why) {
    if (error == QFileDevice::ResourceError) return true;
    for (int code : {ENOSPC, EDQUOT})
        if (why == systemText(code)) return true;
    return false;
}

// Why a file could not be opened or written, told from what is there now,
// with the system's reason. Callers compare the numbers, so each step keeps
// the one it always raised (70 when the file cannot be opened, 75 when
// writing it fails); only the text says what happened. A full disk is the
// runtime's own "Disk full".
[[noreturn]] void raiseFailure(RuntimeError number, const QString& path, const QString& why,
                               QFileDevice::FileError error, const QString& source) {
    const QFileInfo info(path);
    const QString ending = nothingSaved(info);
    auto fail = [&](RuntimeError what, const QString& detail) {
        throw ErrorInfo(what == rtDiskFull ? rtDiskFull : number,
                        runtimeErrorText(what) + QStringLiteral(": ") + detail + ending, source);
    };
    // The system's reason where it has one, else what the failing call said.
    auto reason = [&](const QString& system) {
        return QStringLiteral(" (") + (system.isEmpty() ? why : system) + QLatin1Char(')');
    };
    if (noRoom(error, why))
        fail(rtDiskFull, QStringLiteral("there is no room left on the disk for ") + path + reason(QString()));
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir()) {
        const QString missing = refusal(folder, F_OK);
        fail(rtPathNotFound, folder + reason(missing.isEmpty() ? systemText(ENOTDIR) : missing));
    }
    if (info.exists() && !info.isFile()) fail(rtPathFileAccessError, path + notAFile(info));
    if (info.exists() && !info.isWritable())
        fail(rtPermissionDenied, path + QStringLiteral(" cannot be written to") + reason(refusal(path, W_OK)));
    if (!QFileInfo(folder).isWritable()) {
        const QString because = path + QStringLiteral(" cannot be saved, because its folder ") + folder +
                                QStringLiteral(" cannot be written to") + reason(refusal(folder, W_OK));
        if (!info.exists()) fail(rtPermissionDenied, because);
        // The file itself may be writable, so the user needs to hear that
        // the folder is what refuses, and why a save needs it.
        fail(rtPermissionDenied, because + QStringLiteral(". A save writes the new copy beside the file, in that "
                                                          "folder, and then puts it in the file's place"));
    }
    fail(number, path + reason(QString()));
    Q_UNREACHABLE();
}

// The file a save replaces: a link's target, as QSaveFile writes it, in its
// folder's one true name, so that every copy of the program finds the same
// lock whichever way it reaches the folder.
QString replacedFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        return target.isEmpty() ? info.absoluteFilePath() : target;
    }
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// Removes what saves of target that were cut off left beside it: QSaveFile
// writes its new copy as target + "." + six letters where a file system has
// no unnamed temporary files. Called under target's lock, so no copy of the
// program can be writing one; a file changed within a lock's stale time is
// left all the same, in case a copy still holds a lock that was taken over.
void removeLeftovers(const QString& target) {
    const QFileInfo info(target);
    const QByteArray prefix = QFile::encodeName(info.fileName()) + '.';
    DIR* dir = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!dir) return;
    const int fd = ::dirfd(dir);
    const std::time_t old = std::time(nullptr) - FileWriter::kStaleAfter / 1000;
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    std::vector<QByteArray> found;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name.size() != prefix.size() + 6 || !name.startsWith(prefix)) continue;
        const QByteArrayView tail = name.sliced(prefix.size());
        if (!std::all_of(tail.begin(), tail.end(), letter)) continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) && st.st_mtime < old)
            found.emplace_back(name.toByteArray());
    }
    for (const QByteArray& name : found) ::unlinkat(fd, name.constData(), 0);
    ::closedir(dir);
}

QString groupName(gid_t gid) {
    struct group entry {};
    struct group* found = nullptr;
    std::vector<char> buffer(4096);
    while (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE && buffer.size() < (1 << 20))
        buffer.resize(buffer.size() * 2);
    const QString number = QString::number(gid);
    return found ? QString::fromLocal8Bit(found->gr_name) + QStringLiteral(" (") + number + QLatin1Char(')') : number;
}

int dataSync(int fd) { return ::fdatasync(fd); }
std::atomic<FileWriter::SyncCall> gSync{dataSync};
int startWrite(int fd, qint64 offset, qint64 length) {
    return ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
}
std::atomic<FileWriter::StartCall> gStart{startWrite};

// A file system that cannot sync (it says so) has nothing more to put on the
// disk than what its writes put there.
bool cannotSync(int error) { return error == EINVAL || error == ENOTSUP || error == ENOSYS; }

} // namespace

FileWriter::SyncCall FileWriter::setSyncCall(SyncCall call) { return gSync.exchange(call ? call : dataSync); }
FileWriter::StartCall FileWriter::setStartCall(StartCall call) { return gStart.exchange(call ? call : startWrite); }

// ---- the lock ----------------------------------------------------------------

int FileWriter::setLockWait(int milliseconds) { return gLockWait.exchange(milliseconds); }

FileWriter::Lock::Lock(const QString& path) : m_path(path) {}

FileWriter::Lock::~Lock() = default;

QString FileWriter::Lock::lockPath() const { return replacedFile(m_path) + QStringLiteral(".lock"); }

FileWriter::Lock::Outcome FileWriter::Lock::take() {
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(lockPath());
        m_lock->setStaleLockTime(kStaleAfter);
    }
    errno = 0;
    if (m_lock->tryLock(gLockWait.load())) {
        m_fresh = std::chrono::steady_clock::now();
        return m_outcome = Outcome::Taken;
    }
    m_error = errno;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError: return m_outcome = Outcome::Busy;
    case QLockFile::PermissionError: return m_outcome = Outcome::Refused;
    default: break;
    }
    // The lock's own few bytes found no room: that is the disk's fault, not
    // another copy's. Its error is not always left for us to read.
    const QStorageInfo disk(QFileInfo(lockPath()).absolutePath());
    const bool full = m_error == ENOSPC || m_error == EDQUOT || (disk.isValid() && disk.bytesAvailable() == 0);
    return m_outcome = full ? Outcome::NoRoom : Outcome::Refused;
}

void FileWriter::Lock::raise(const QString& source) const {
    switch (m_outcome) {
    case Outcome::Busy: {
        qint64 pid = 0;
        QString host;
        QString holder;
        if (m_lock && m_lock->getLockInfo(&pid, &host, nullptr))
            holder = QStringLiteral(" (process %1 on %2)").arg(pid).arg(host);
        throw ErrorInfo(rtPermissionDenied,
                        runtimeErrorText(rtPermissionDenied) + QStringLiteral(": ") + m_path +
                            QStringLiteral(" is being saved by another copy of this program") + holder +
                            QStringLiteral(", which holds its lock file ") + lockPath() +
                            nothingSaved(QFileInfo(m_path)) + QStringLiteral(" Please save again in a moment."),
                        source);
    }
    case Outcome::NoRoom:
        raiseFailure(rtPermissionDenied, m_path, systemText(ENOSPC), QFileDevice::ResourceError, source);
    case Outcome::Taken:
    case Outcome::Refused: break;
    }
    raiseFailure(rtPermissionDenied, m_path, m_error != 0 ? systemText(m_error) : QString(), QFileDevice::OpenError,
                 source);
}

void FileWriter::Lock::release() {
    if (m_lock) m_lock->unlock();
}

bool FileWriter::Lock::isTaken() const { return m_lock && m_lock->isLocked(); }

void FileWriter::Lock::keepFresh() {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_fresh < kFreshEvery || !isTaken()) return;
    m_fresh = now;
    ::utimensat(AT_FDCWD, QFile::encodeName(lockPath()).constData(), nullptr, 0);
}

// ---- the writer --------------------------------------------------------------

namespace {
// Only a regular file is replaced: a FIFO or device of that name would hold
// the writer, a folder cannot be written.
void refuseAnythingButAFile(const QString& path, const QString& source) {
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        raiseRuntimeError(rtPathFileAccessError, source, path + notAFile(target) + nothingSaved(target));
}
} // namespace

FileWriter::FileWriter(const QString& path, const QString& source) : m_path(path), m_source(source), m_file(path) {
    refuseAnythingButAFile(path, source);
    m_ownLock = std::make_unique<Lock>(path);
    if (m_ownLock->take() != Lock::Outcome::Taken) m_ownLock->raise(m_source);
    open(*m_ownLock);
}

FileWriter::FileWriter(const QString& path, Lock& held, const QString& source)
    : m_path(path), m_source(source), m_file(path) {
    Q_ASSERT(held.isTaken() && held.lockPath() == Lock(path).lockPath());
    refuseAnythingButAFile(path, source);
    open(held);
}

void FileWriter::open(Lock& lock) {
    m_lock = &lock;
    m_target = replacedFile(m_path);
    removeLeftovers(m_target);
    // Unbuffered: each write reaches the file at once and its result is
    // known there. Buffered, data that first reaches the disk inside commit
    // can fail unseen, and the empty file then replaces the old one.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        const QString why = m_file.errorString();
        const QFileDevice::FileError error = m_file.error();
        discard();
        raiseFailure(rtPermissionDenied, m_path, why, error, m_source);
    }
    keepOwnerAndGroup();
    m_buffer.reserve(kBlock);
}

void FileWriter::keepOwnerAndGroup() {
    struct stat old {};
    struct stat made {};
    const int fd = m_file.handle();
    if (fd < 0 || ::stat(QFile::encodeName(m_target).constData(), &old) != 0 || !S_ISREG(old.st_mode) ||
        ::fstat(fd, &made) != 0)
        return;
    const mode_t mode = old.st_mode & 07777;
    bool changed = (made.st_mode & 07777) != mode;
    if (made.st_uid != old.st_uid || made.st_gid != old.st_gid) {
        changed = true;
        // Only root may give a file away; anyone may give it a group of
        // their own. The owner stays the saver's where the first fails.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0 && made.st_gid != old.st_gid &&
            ::fchown(fd, uid_t(-1), old.st_gid) != 0) {
            const int error = errno;
            // A group that is given no more than everyone else takes
            // nothing from anybody when it changes.
            const mode_t group = (old.st_mode >> 3) & 7;
            const mode_t others = old.st_mode & 7;
            if ((group & ~others) != 0) {
                discard();
                throw ErrorInfo(rtPermissionDenied,
                                runtimeErrorText(rtPermissionDenied) + QStringLiteral(": ") + m_path +
                                    QStringLiteral(" cannot be saved without taking it out of its group ") +
                                    groupName(old.st_gid) + QStringLiteral(" (") + systemText(error) +
                                    QStringLiteral("), and the group's members would lose their access to it") +
                                    kUnchanged + QLatin1Char('.'),
                                m_source);
            }
        }
    }
    // A change of owner takes the set-id bits away; a file system without
    // modes (FAT) refuses nothing that matters here.
    if (changed) (void)::fchmod(fd, mode);
}

FileWriter::~FileWriter() {
    if (!m_done) m_file.cancelWriting();
}

bool FileWriter::isDiskFull(qint32 number) { return number == rtDiskFull; }

void FileWriter::write(QStringView text) {
    try {
        Cp1252::appendOrRaise(text, m_buffer, m_source);
    } catch (...) {
        cancel();
        throw;
    }
    m_size += text.size();
    if (m_buffer.size() >= kBlock) flush();
}

void FileWriter::writeLine(QStringView text) {
    write(text);
    m_buffer += "\r\n";
    m_size += 2;
    if (m_buffer.size() >= kBlock) flush();
}

void FileWriter::writeBytes(QByteArrayView bytes) {
    if (bytes.size() >= kBlock) {
        flush();
        writeAll(bytes.data(), bytes.size());
    } else {
        m_buffer.append(bytes);
        if (m_buffer.size() >= kBlock) flush();
    }
    m_size += bytes.size();
}

void FileWriter::flush() {
    if (m_done) raiseRuntimeError(rtPathFileAccessError, m_source, m_path + QStringLiteral(" (already closed)"));
    if (m_buffer.isEmpty()) return;
    writeAll(m_buffer.constData(), m_buffer.size());
    m_buffer.resize(0);
}

void FileWriter::writeAll(const char* data, qint64 size) {
    // A write that meets a full disk part way writes what fits and reports
    // no error; the next one, for the rest, finds none left and says so.
    while (size > 0) {
        const qint64 written = m_file.write(data, size);
        if (written <= 0) failed();
        data += written;
        size -= written;
        m_written += written;
    }
    if (m_written - m_started >= kStartEvery && m_canStart) startWriting();
    if (m_lock) m_lock->keepFresh();
}

void FileWriter::startWriting() {
    const int fd = m_file.handle();
    if (fd < 0) return;
    int rc;
    do rc = gStart.load()(fd, m_started, m_written - m_started);
    while (rc != 0 && errno == EINTR);
    m_started = m_written;
    if (rc == 0) return;
    // A file system that cannot start the writing leaves it all to the sync.
    if (cannotSync(errno) || errno == ESPIPE) {
        m_canStart = false;
        return;
    }
    syncFailed(errno);
}

bool FileWriter::commit(const Check& beforeReplacing) {
    flush();
    settle();
    if (beforeReplacing) {
        bool replace = false;
        try {
            replace = beforeReplacing();
        } catch (...) {
            discard();
            throw;
        }
        if (!replace) {
            discard();
            return false;
        }
    }
    m_done = true;
    // A write that failed unseen makes commit refuse.
    if (!m_file.commit()) failed();
    // Let go only now: the next copy's check sees the file in place.
    discard();
    return true;
}

void FileWriter::settle() {
    // QSaveFile's commit ignores a failing sync and closes the file only
    // after the rename, unchecked: an error that a network share or a full
    // quota tells only there would come after the old file was gone. So the
    // data is synced here, before the rename, and checked.
    const int fd = m_file.handle();
    if (fd < 0) return;
    int error = 0;
    int rc;
    do rc = gSync.load()(fd);
    while (rc != 0 && errno == EINTR);
    if (rc != 0 && !cannotSync(errno)) error = errno;
    if (error == 0) {
        // Closing a second handle of the file runs the file system's flush,
        // as the last close will, and hears what it says.
        const int copy = ::dup(fd);
        if (copy < 0 || (::close(copy) != 0 && errno != EINTR)) error = errno;
    }
    if (error == 0) return;
    syncFailed(error);
}

void FileWriter::syncFailed(int error) {
    discard();
    raiseFailure(rtPathFileAccessError, m_path, QString::fromLocal8Bit(std::strerror(error)), QFileDevice::WriteError,
                 m_source);
}

void FileWriter::cancel() { discard(); }

void FileWriter::discard() {
    if (!m_done) {
        m_done = true;
        m_file.cancelWriting();
    }
    m_buffer.clear();
    m_lock = nullptr;
    m_ownLock.reset();
}

void FileWriter::failed() {
    const QString why = m_file.errorString();
    const QFileDevice::FileError error = m_file.error();
    discard();
    raiseFailure(rtPathFileAccessError, m_path, why, error, m_source);
}

} // namespace Vezedad
