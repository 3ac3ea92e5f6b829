#include "SmallDisk.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/statfs.h>
#include <unistd.h>
#include <vector>

namespace TestSupport::SmallDisk {

namespace {

const char* const kVariable = "ZIDIVO_SMALL_DISK";
constexpr long kTmpfsMagic = 0x01021994;
constexpr qint64 kPage = 4096;

QString& reason() {
    static QString text = QStringLiteral("the program was not started through SmallDisk::rerunOnIt");
    return text;
}

bool isTmpfs(const QString& path) {
    struct statfs info {};
    return ::statfs(QFile::encodeName(path).constData(), &info) == 0 && long(info.f_type) == kTmpfsMagic;
}

} // namespace

int rerunOnIt(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kVariable)) {
        if (!isTmpfs(folder())) reason() = QStringLiteral("%1 is no tmpfs").arg(qEnvironmentVariable(kVariable));
        return -1;
    }
    const std::string dir = (root() + QStringLiteral("/small-disk")).toStdString();
    QDir().mkpath(QString::fromStdString(dir));
    const std::string mount = "mount -t tmpfs -o size=2m none \"$1\"";
    // Without root a user namespace grants the mount; root (as in CI) may
    // be refused one by its container and mounts in a plain namespace.
    for (const char* flags : {"-rm", "-m"}) {
        if (runAndWait({"unshare", flags, "sh", "-c", mount, "sh", dir}, true) != 0) continue;
        std::vector<std::string> args{"unshare", flags, "sh",         "-c", mount + " && shift && exec \"$@\"",
                                      "sh",      dir,   programPath()};
        for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
        ::setenv(kVariable, dir.c_str(), 1);
        const int code = runAndWait(args);
        ::unsetenv(kVariable);
        return code;
    }
    reason() = QStringLiteral("no private tmpfs can be mounted here: neither `unshare -rm` (user namespaces) nor, "
                              "as root, `unshare -m` is allowed");
    return -1;
}

QString folder() {
    const QString dir = qEnvironmentVariable(kVariable);
    return !dir.isEmpty() && isTmpfs(dir) ? dir : QString();
}

QString unavailable() { return folder().isEmpty() ? reason() : QString(); }

void clear() {
    const QString dir = folder();
    if (dir.isEmpty()) return;
    for (const QFileInfo& entry :
         QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.absoluteFilePath()).removeRecursively();
        else
            QFile::remove(entry.absoluteFilePath());
    }
}

void fill(qint64 room) {
    const QByteArray path = QFile::encodeName(folder() + QStringLiteral("/.filler"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    static const std::string block(64 * 1024, 'x');
    qint64 size = 0;
    for (size_t piece : {block.size(), size_t(kPage), size_t(1)}) {
        for (;;) {
            const ssize_t n = ::write(fd, block.data(), piece);
            if (n <= 0) break;
            size += n;
        }
    }
    if (room > 0) {
        const qint64 pages = (room + kPage - 1) / kPage;
        const int truncated = ::ftruncate(fd, qMax<qint64>(0, size / kPage - pages) * kPage);
        Q_UNUSED(truncated);
    }
    ::close(fd);
}

void unfill() { QFile::remove(folder() + QStringLiteral("/.filler")); }

bool freeze(const QString& dir, const QString& writableFile, QString* why) {
    const QByteArray d = QFile::encodeName(dir), f = QFile::encodeName(writableFile);
    // A bind mount takes its flags from the mount it is made from, so the
    // file is made writable again after it is bound.
    const bool done = ::mount(d.constData(), d.constData(), nullptr, MS_BIND, nullptr) == 0 &&
                      ::mount(nullptr, d.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0 &&
                      (f.isEmpty() || (::mount(f.constData(), f.constData(), nullptr, MS_BIND, nullptr) == 0 &&
                                       ::mount(nullptr, f.constData(), nullptr, MS_REMOUNT | MS_BIND, nullptr) == 0));
    if (!done) {
        if (why) *why = QStringLiteral("no read-only mount: ") + QString::fromLocal8Bit(std::strerror(errno));
        thaw(dir, writableFile);
    }
    return done;
}

void thaw(const QString& dir, const QString& writableFile) {
    if (!writableFile.isEmpty()) ::umount2(QFile::encodeName(writableFile).constData(), MNT_DETACH);
    ::umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
}

} // namespace TestSupport::SmallDisk
