#pragma once
#include <QString>
#include <QtGlobal>

// A small private file system (tmpfs) that a test fills to see how saves
// behave on a full disk. The test program runs itself again in a private
// mount namespace where the tmpfs is mounted: through `unshare -rm` (a user
// namespace; no root needed) or, as root, through `unshare -m`. Nothing
// outside the test process ever sees the mount.
namespace TestSupport::SmallDisk {

// Call first in main: runs the program again on the small disk and returns
// its exit code; -1 in the process that runs on it, and where no private
// mount can be made (then unavailable() says why).
int rerunOnIt(int argc, char** argv);

// The small disk's folder, empty when this process has none.
QString folder();
// Why this process has no small disk (for QSKIP).
QString unavailable();

// Removes everything on the small disk.
void clear();
// Fills the small disk, leaving about room bytes free (whole pages).
void fill(qint64 room = 0);
// Frees what fill took.
void unfill();

// Makes a folder on the small disk refuse new entries, even to root, while
// one file in it can still be written, as on a share that lets a user change
// a file but not the folder: the folder is mounted again read-only, the file
// writable over it. Without a file the whole folder is write-protected, as
// on a locked stick. False (with unavailable()'s kind of reason in why) when
// the mounts are refused. thaw undoes it.
bool freeze(const QString& folder, const QString& writableFile, QString* why = nullptr);
void thaw(const QString& folder, const QString& writableFile);

} // namespace TestSupport::SmallDisk
