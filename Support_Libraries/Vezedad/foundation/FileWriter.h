#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>
#include <QStringView>

#include <chrono>
#include <functional>
#include <memory>

class QLockFile;

namespace Vezedad {

// Writes a file that replaces another in one step: everything goes to a
// temporary file beside it, which takes the file's place only when commit
// succeeds. Every write reaches the disk as it is made and is checked, so a
// full disk is seen at the write that meets it, never after the old file is
// gone. Any failure discards the temporary file and raises; the old file
// stays byte for byte as it was. A writer destroyed before commit discards
// what it wrote.
//
// Before the new file takes the old one's place its data is synced to the
// disk and the sync and the close are checked: on a network share or a full
// quota a failure often shows only there.
//
// Every copy of the program saves a file under one lock beside it (Lock),
// taken before the new copy is begun and let go once it is in place or
// thrown away: two saves of one file follow each other, and what a caller
// checks right before the replacement (commit's check) still holds when
// the file is replaced.
//
// The new file keeps the old one's mode, its group and, where the system
// allows (as root), its owner: on a shared folder the others keep their
// access. Where the group cannot be kept and its members would lose access
// the writer does not write, and says why.
//
// A save cut off where a file system has no unnamed temporary files (a FAT
// stick, a network share) leaves its new copy beside the file, named as
// the file + "." + six letters. The next save of that file removes such
// leftovers that no copy can still be writing: under the lock, those older
// than a lock's stale time.
//
// Errors: 70 when the file cannot be opened or its lock taken (75 for a
// folder, FIFO or device of that name, 76 for a missing folder; a folder
// that cannot be written is named, since the new copy is written beside the
// file), 61 "Disk full" when the disk or the user's quota has no room left,
// 75 for any other failed write, sync, close or replacement; each names the
// path, the system's reason and says that nothing was saved (and that the
// old file is unchanged). Text that Windows-1252 cannot hold raises the code
// page's message.
class VEZEDAD_EXPORT FileWriter {
public:
    // The lock beside a file: its name + ".lock" (no report extension, so
    // no listing of reports takes it for one). A copy that died leaves one
    // behind, which the next save takes over: at once on the same machine,
    // after kStaleAfter from another one (a save keeps its own fresh while
    // it writes, and the system's lock on it keeps a live holder's from
    // being taken over). A lock that stays taken is waited for at most the
    // lock wait, then refused with a message; nothing waits for ever.
    class VEZEDAD_EXPORT Lock {
    public:
        explicit Lock(const QString& path);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

        enum class Outcome { Taken, Busy, NoRoom, Refused };
        Outcome take();
        // The error of the last take that failed (70, or 61 for no room),
        // naming the file.
        [[noreturn]] void raise(const QString& source) const;
        void release();
        bool isTaken() const;
        // Tells other copies that the holder is alive and at work.
        void keepFresh();

        QString lockPath() const;

    private:
        QString m_path;
        std::unique_ptr<QLockFile> m_lock;
        Outcome m_outcome = Outcome::Refused;
        int m_error = 0;
        std::chrono::steady_clock::time_point m_fresh;
    };
    static constexpr int kStaleAfter = 60 * 1000; // milliseconds
    // How long a save waits for a lock that another copy holds; a test puts
    // in a shorter wait, and gets the one it replaced back.
    static int setLockWait(int milliseconds);

    explicit FileWriter(const QString& path, const QString& source = QStringLiteral("FileSystemObject"));
    // Writes under a lock the caller already holds (one that reads the file
    // before it replaces it, as the settings do).
    FileWriter(const QString& path, Lock& held, const QString& source = QStringLiteral("FileSystemObject"));
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Text in Windows-1252; writeLine ends it with CR LF.
    void write(QStringView text);
    void writeLine(QStringView text = {});
    // Bytes as they stand. A large piece goes to the file without a copy.
    void writeBytes(QByteArrayView bytes);
    // Puts the file in place of the old one; raises when it cannot. Check,
    // when given, runs under the lock right before the replacement, once
    // the new copy is whole and on the disk: false (or an error) throws the
    // new copy away and leaves the file as it is, and commit returns false.
    using Check = std::function<bool()>;
    bool commit(const Check& beforeReplacing = {});
    // Throws away what was written; the old file stays.
    void cancel();

    const QString& path() const { return m_path; }
    // Bytes handed to the writer so far.
    qint64 size() const { return m_size; }

    // Whether an error is the writer's full-disk error.
    static bool isDiskFull(qint32 number);

    // The calls that put a file's data on the disk, each 0, or -1 with
    // errno: the sync before the file takes its place (fdatasync), and the
    // start of the disk's writing of a range written so far, not waited for
    // (sync_file_range's SYNC_FILE_RANGE_WRITE), made every kStartEvery bytes
    // so that a large file's sync has little left to do. A failing start is
    // a failing sync. A test puts in one that fails as a network share can;
    // the one it replaces comes back, and a null call puts the system's back.
    using SyncCall = int (*)(int fd);
    static SyncCall setSyncCall(SyncCall call);
    using StartCall = int (*)(int fd, qint64 offset, qint64 length);
    static StartCall setStartCall(StartCall call);
    static constexpr qint64 kStartEvery = 16 << 20;

private:
    void open(Lock& lock);
    void keepOwnerAndGroup();
    void flush();
    void writeAll(const char* data, qint64 size);
    void startWriting();
    void settle();
    // Discards the file after its sync (or a start of it) said error.
    [[noreturn]] void syncFailed(int error);
    [[noreturn]] void failed();
    // Throws the new copy away and lets the lock go.
    void discard();

    QString m_path;
    QString m_source;
    // The file that is replaced: a link's target.
    QString m_target;
    std::unique_ptr<Lock> m_ownLock;
    Lock* m_lock = nullptr;
    QSaveFile m_file;
    QByteArray m_buffer;
    qint64 m_size = 0;
    // Bytes in the file, and how many of them the disk was asked to write.
    qint64 m_written = 0;
    qint64 m_started = 0;
    bool m_canStart = true;
    bool m_done = false;
};

} // namespace Vezedad
