#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"

#include <QFileInfo>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace Vezedad {

namespace {

// What is gathered before it goes to the file in one write.
constexpr qsizetype kBlock = 256 * 1024;

const QString kUnchanged = QStringLiteral("; nothing was saved, and the file on disk is as it was before");

QString notAFile(const QFileInfo& info) {
    return info.isDir() ? QStringLiteral(" is a folder, not a file") : QStringLiteral(" is not a regular file");
}

// Whether a failure was the disk (or the user's quota) without room. Qt
// files a write that found no room as a resource error; an open or a
// rename that found none is told only by its text.
bool noRoom(QFileDevice::FileError error, const QString& why) {
    if (error == QFileDevice::ResourceError) return true;
    for (int code : {ENOSPC, EDQUOT})
        if (why == QString::fromLocal8Bit(std::strerror(code))) return true;
    return false;
}

// Why a file could not be opened or written, told from what is there now.
// Callers compare the numbers, so each step keeps the one it always raised
// (70 when the file cannot be opened, 75 when writing it fails); only the
// text says what happened. A full disk is the runtime's own "Disk full".
[[noreturn]] void raiseFailure(RuntimeError number, const QString& path, const QString& why,
                               QFileDevice::FileError error, const QString& source) {
    auto fail = [&](RuntimeError what, const QString& detail) {
        throw ErrorInfo(what == rtDiskFull ? rtDiskFull : number,
                        runtimeErrorText(what) + QStringLiteral(": ") + detail, source);
    };
    if (noRoom(error, why))
        fail(rtDiskFull, QStringLiteral("there is no room left on the disk for ") + path + QStringLiteral(" (") + why +
                             QLatin1Char(')') + kUnchanged + QLatin1Char('.'));
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir()) fail(rtPathNotFound, folder);
    if (info.exists() && !info.isFile()) fail(rtPathFileAccessError, path + notAFile(info));
    if (info.exists() && !info.isWritable()) fail(rtPermissionDenied, path);
    if (!QFileInfo(folder).isWritable()) {
        if (!info.exists()) fail(rtPermissionDenied, path);
        // The file itself may be writable, so the user needs to hear that
        // the folder is what refuses, and why a save needs it.
        fail(rtPermissionDenied, path + QStringLiteral(" cannot be saved, because its folder ") + folder +
                                     QStringLiteral(" cannot be written to (") + why +
                                     QStringLiteral("). A save writes the new copy beside the file, in that folder, "
                                                    "and then puts it in the file's place") +
                                     kUnchanged + QLatin1Char('.'));
    }
    fail(number, path + QStringLiteral(" (") + why + QLatin1Char(')') + kUnchanged + QLatin1Char('.'));
    Q_UNREACHABLE();
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

FileWriter::FileWriter(const QString& path, const QString& source) : m_path(path), m_source(source), m_file(path) {
    // Only a regular file is replaced: a FIFO or device of that name would
    // hold the writer, a folder cannot be written.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        raiseRuntimeError(rtPathFileAccessError, m_source, path + notAFile(target));
    // Unbuffered: each write reaches the file at once and its result is
    // known there. Buffered, data that first reaches the disk inside commit
    // can fail unseen, and the empty file then replaces the old one.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        raiseFailure(rtPermissionDenied, path, m_file.errorString(), m_file.error(), m_source);
    m_buffer.reserve(kBlock);
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

void FileWriter::commit() {
    flush();
    settle();
    m_done = true;
    // A write that failed unseen makes commit refuse.
    if (!m_file.commit()) failed();
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
    m_done = true;
    m_file.cancelWriting();
    raiseFailure(rtPathFileAccessError, m_path, QString::fromLocal8Bit(std::strerror(error)), QFileDevice::WriteError,
                 m_source);
}

void FileWriter::cancel() {
    if (m_done) return;
    m_done = true;
    m_file.cancelWriting();
    m_buffer.clear();
}

void FileWriter::failed() {
    const QString why = m_file.errorString();
    const QFileDevice::FileError error = m_file.error();
    if (!m_done) {
        m_done = true;
        m_file.cancelWriting();
    }
    raiseFailure(rtPathFileAccessError, m_path, why, error, m_source);
}

} // namespace Vezedad
