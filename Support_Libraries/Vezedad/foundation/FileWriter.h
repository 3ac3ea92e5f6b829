#pragma once
#include "Vezedad/foundation/VezedadExport.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>
#include <QStringView>

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
// Errors: 70 when the file cannot be opened (75 for a folder, FIFO or device
// of that name, 76 for a missing folder; a folder that cannot be written is
// named, since the new copy is written beside the file), 61 "Disk full" when
// the disk or the user's quota has no room left, 75 for any other failed
// write, sync, close or replacement; each names the path and says that the
// old file is unchanged. Text that Windows-1252 cannot hold raises the code
// page's message.
class VEZEDAD_EXPORT FileWriter {
public:
    explicit FileWriter(const QString& path, const QString& source = QStringLiteral("FileSystemObject"));
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Text in Windows-1252; writeLine ends it with CR LF.
    void write(QStringView text);
    void writeLine(QStringView text = {});
    // Bytes as they stand. A large piece goes to the file without a copy.
    void writeBytes(QByteArrayView bytes);
    // Puts the file in place of the old one; raises when it cannot.
    void commit();
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
    void flush();
    void writeAll(const char* data, qint64 size);
    void startWriting();
    void settle();
    // Discards the file after its sync (or a start of it) said error.
    [[noreturn]] void syncFailed(int error);
    [[noreturn]] void failed();

    QString m_path;
    QString m_source;
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
