#include "TestSupport.h"
#include "Vezedad/foundation/Cp1252.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/foundation/FileSystemObject.h"
#include "Vezedad/foundation/FileWriter.h"
#include "Vezedad/foundation/Globals.h"
#include "Vezedad/foundation/Registry.h"
#include "Vezedad/foundation/Utilities.h"
#include "tst_foundation.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMutex>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::readFile;
using TestSupport::writeFile;

using namespace Vezedad;

namespace {
QString tempPath(const QString& name) {
    const QString dir = TestSupport::root() + QStringLiteral("/files");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}
} // namespace

void tst_foundation::everyByteRoundTrips() {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all.append(char(b));
    const QString text = Cp1252::decode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(text.at(0x80), QChar(0x20AC));
    QCOMPARE(text.at(0x9F), QChar(0x0178));
    QCOMPARE(text.at(0xE9), QChar(0x00E9));
    // Any length and start decode alike, byte by byte.
    QCOMPARE(Cp1252::decode(QByteArrayView(all).sliced(3, 250)), text.mid(3, 250));
    QByteArray back;
    QVERIFY(Cp1252::encode(text, back));
    QCOMPARE(back, all);
}

void tst_foundation::unwritableTextIsRefusedClearly() {
    QByteArray out;
    qsizetype bad = -1;
    QVERIFY(!Cp1252::encode(QStringLiteral("ok \u0416"), out, &bad));
    QCOMPARE(bad, qsizetype(3));
    const ErrorInfo e =
        TestSupport::raisedBy([&] { Cp1252::encodeOrRaise(QStringLiteral("Smith \u2603"), QStringLiteral("Here")); });
    QVERIFY(e.Description().contains(QStringLiteral("U+2603")));
    QCOMPARE(e.Source(), QStringLiteral("Here"));
}

void tst_foundation::anyLineEndIsAccepted() {
    const QString path = tempPath(QStringLiteral("ends.txt"));
    writeFile(path, QByteArray("crlf\r\nlf\ncr\rlast"));
    auto stream = Globals::FSO().OpenTextFile(path);
    QStringList lines;
    while (!stream->AtEndOfStream()) lines << stream->ReadLine();
    QCOMPARE(lines, (QStringList{"crlf", "lf", "cr", "last"}));
}

void tst_foundation::writingEndsLinesWithCrLfAndKeepsBytes() {
    const QString path = tempPath(QStringLiteral("out.txt"));
    auto stream = Globals::FSO().CreateTextFile(path);
    stream->WriteLine(QStringLiteral("Caf\u00e9|\u20ac5"));
    stream->WriteLine(QStringLiteral("x"));
    stream->Close();
    QCOMPARE(readFile(path), QByteArray("Caf\xe9|\x80"
                                        "5\r\nx\r\n"));
}

void tst_foundation::failedWriterLeavesOldFile() {
    const QString path = tempPath(QStringLiteral("keep.txt"));
    writeFile(path, "old contents\r\n");
    {
        auto stream = Globals::FSO().CreateTextFile(path);
        stream->WriteLine(QStringLiteral("new"));
        QVERIFY_THROWS_EXCEPTION(ErrorInfo, stream->WriteLine(QStringLiteral("\u2603")));
        // dropped without Close: the writer gave up
    }
    QCOMPARE(readFile(path), QByteArray("old contents\r\n"));
}

namespace {
int gSyncError = 0;
int gStarts = 0;
} // namespace

// A sync that fails (as a network share or a full quota may, though every
// write went through) keeps the old file and says why; a file system that
// cannot sync at all saves as ever. So does a failing start of the disk's
// writing, which a large file makes while it is written.
void tst_foundation::failedSyncKeepsTheOldFile_data() {
    QTest::addColumn<bool>("start"); // the start fails, not the sync
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("number"); // 0: saved
    QTest::newRow("input/output error") << false << EIO << int(rtPathFileAccessError);
    QTest::newRow("no room") << false << ENOSPC << int(rtDiskFull);
    QTest::newRow("quota") << false << EDQUOT << int(rtDiskFull);
    QTest::newRow("no sync on this file system") << false << EINVAL << 0;
    QTest::newRow("start: input/output error") << true << EIO << int(rtPathFileAccessError);
    QTest::newRow("start: no room") << true << ENOSPC << int(rtDiskFull);
    QTest::newRow("start: quota") << true << EDQUOT << int(rtDiskFull);
    QTest::newRow("start: not on this file system") << true << EINVAL << 0;
}

void tst_foundation::failedSyncKeepsTheOldFile() {
    QFETCH(bool, start);
    QFETCH(int, error);
    QFETCH(int, number);
    const QString folder = tempPath(QStringLiteral("sync"));
    QDir(folder).removeRecursively();
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/kept.txt");
    writeFile(path, "old contents\r\n");
    gSyncError = error;
    gStarts = 0;
    struct Restore {
        FileWriter::SyncCall sync;
        FileWriter::StartCall start;
        ~Restore() {
            FileWriter::setSyncCall(sync);
            FileWriter::setStartCall(start);
        }
    } restore{FileWriter::setSyncCall(nullptr), FileWriter::setStartCall(nullptr)};
    if (start)
        FileWriter::setStartCall([](int, qint64, qint64) {
            ++gStarts;
            errno = gSyncError;
            return -1;
        });
    else
        FileWriter::setSyncCall([](int) {
            errno = gSyncError;
            return -1;
        });
    // Enough to start the writing twice, in pieces of every size the writer
    // takes.
    QByteArray contents = "new contents\r\n";
    if (start)
        for (qsizetype i = 0; contents.size() <= 2 * FileWriter::kStartEvery; ++i)
            contents += QByteArray(i % 3 ? 1000 : 300 * 1000, char('a' + i % 26)) + "\r\n";
    const ErrorInfo e = TestSupport::raisedBy([&] {
        FileWriter file(path);
        for (qsizetype at = 0; at < contents.size();) {
            const qsizetype piece = std::min<qsizetype>(contents.size() - at, at % 7 ? 1000 : 300 * 1000);
            file.writeBytes(QByteArrayView(contents).sliced(at, piece));
            at += piece;
        }
        file.commit();
    });
    QCOMPARE(e.Number(), number);
    // The first failing start ends the writing; a file system that has no
    // such start is not asked again.
    if (start) QCOMPARE(gStarts, 1);
    if (number == 0) {
        QCOMPARE(readFile(path), contents);
        return;
    }
    QCOMPARE(readFile(path), QByteArray("old contents\r\n"));
    QVERIFY2(e.Description().contains(path + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(error))),
             qPrintable(e.Description()));
    QVERIFY2(e.Description().endsWith(QStringLiteral("the file on disk is as it was before.")),
             qPrintable(e.Description()));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.txt")});
}

namespace {
// An empty folder for a test's files.
QString freshFolder(const QString& name) {
    const QString folder = tempPath(name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Puts a shorter wait for a taken lock in place while it lives.
struct ShortLockWait {
    int before = FileWriter::setLockWait(200);
    ~ShortLockWait() { FileWriter::setLockWait(before); }
};

void replace(const QString& path, const QByteArray& bytes) {
    FileWriter file(path);
    file.writeBytes(bytes);
    file.commit();
}
} // namespace

// Every copy of the program saves a file under the lock beside it: a save
// meets a lock that another copy holds and, after a short wait, says so
// and leaves the file; a lock left by a copy that died is taken over. The
// settings take the same lock.
void tst_foundation::savesOfOneFileTakeTurns_data() {
    QTest::addColumn<QString>("holder");
    QTest::newRow("another copy saves") << QStringLiteral("alive");
    QTest::newRow("a copy that died") << QStringLiteral("dead");
    QTest::newRow("the settings wait for it") << QStringLiteral("settings");
}

void tst_foundation::savesOfOneFileTakeTurns() {
    QFETCH(QString, holder);
    const ShortLockWait wait;
    const QString folder = freshFolder(QStringLiteral("turns"));
    QString path = folder + QStringLiteral("/kept.txt");
    QByteArray old = "old\r\n";
    if (holder == QLatin1String("settings")) {
        QDir().mkpath(TestSupport::userConfigDir());
        path = RegAPI::hiveFile(RegAPI::HKEY_CURRENT_USER);
        old = "{}";
    }
    writeFile(path, old);
    const QString lockPath = path + QStringLiteral(".lock");
    QCOMPARE(FileWriter::Lock(path).lockPath(), lockPath);
    if (holder == QLatin1String("dead")) {
        // Takes the lock and ends without letting it go.
        const pid_t child = ::fork();
        if (child == 0) {
            QLockFile lock(lockPath);
            ::_exit(lock.tryLock() ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY(QFileInfo::exists(lockPath));
        replace(path, "new\r\n");
        QCOMPARE(readFile(path), QByteArray("new\r\n"));
        QVERIFY(!QFileInfo::exists(lockPath));
        return;
    }
    FileWriter::Lock other(path);
    QCOMPARE(other.take(), FileWriter::Lock::Outcome::Taken);
    if (holder == QLatin1String("settings")) {
        RegAPI::HKEY key = 0;
        QCOMPARE(RegAPI::RegCreateKeyEx(RegAPI::HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\ZIDIVO"),
                                        RegAPI::KEY_ALL_WRITE, key),
                 RegAPI::ERROR_LOCK_VIOLATION);
        QCOMPARE(readFile(path), old);
        other.release();
        QCOMPARE(RegAPI::RegCreateKeyEx(RegAPI::HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\ZIDIVO"),
                                        RegAPI::KEY_ALL_WRITE, key),
                 RegAPI::ERROR_SUCCESS);
        RegAPI::RegCloseKey(key);
        QVERIFY(!QFileInfo::exists(lockPath));
        return;
    }
    const ErrorInfo e = TestSupport::raisedBy([&] { replace(path, "new\r\n"); });
    QCOMPARE(e.Number(), int(rtPermissionDenied));
    QVERIFY2(e.Description().startsWith(QStringLiteral("Permission denied: ") + path +
                                        QStringLiteral(" is being saved by another copy of this program (process ")),
             qPrintable(e.Description()));
    QVERIFY2(e.Description().endsWith(QStringLiteral(", which holds its lock file ") + lockPath +
                                      QStringLiteral("; nothing was saved, and the file on disk is as it was before. "
                                                     "Please save again in a moment.")),
             qPrintable(e.Description()));
    QCOMPARE(readFile(path), QByteArray("old\r\n"));
    QCOMPARE(entriesOf(folder), (QStringList{QStringLiteral("kept.txt"), QStringLiteral("kept.txt.lock")}));
    other.release();
    replace(path, "new\r\n");
    QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("kept.txt")});
}

// What a caller checks right before the replacement still holds when the
// file is replaced: another save of the file waits meanwhile. A check that
// says no, or fails, leaves the file as it was and lets the lock go.
void tst_foundation::checkBeforeReplacingRunsUnderTheLock() {
    const ShortLockWait wait;
    const QString folder = freshFolder(QStringLiteral("check"));
    const QString path = folder + QStringLiteral("/kept.txt");
    writeFile(path, "old\r\n");
    ErrorInfo other;
    bool replaced = true;
    {
        FileWriter file(path);
        file.writeBytes("new\r\n");
        replaced = file.commit([&] {
            other = TestSupport::raisedBy([&] { replace(path, "other\r\n"); });
            return false;
        });
    }
    QVERIFY(!replaced);
    QCOMPARE(other.Number(), int(rtPermissionDenied));
    QVERIFY2(other.Description().contains(QStringLiteral(" is being saved by another copy of this program")),
             qPrintable(other.Description()));
    QCOMPARE(readFile(path), QByteArray("old\r\n"));
    QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("kept.txt")});

    const ErrorInfo failed = TestSupport::raisedBy([&] {
        FileWriter file(path);
        file.writeBytes("new\r\n");
        file.commit(
            []() -> bool { throw ErrorInfo(errInvalidPropertyValue, QStringLiteral("no"), QStringLiteral("here")); });
    });
    QCOMPARE(failed.Number(), int(errInvalidPropertyValue));
    QCOMPARE(readFile(path), QByteArray("old\r\n"));
    QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("kept.txt")});

    FileWriter file(path);
    file.writeBytes("new\r\n");
    QVERIFY(file.commit([] { return true; }));
    QCOMPARE(readFile(path), QByteArray("new\r\n"));
    QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("kept.txt")});
}

// A save cut off on a file system without unnamed temporary files (a FAT
// stick, a share) leaves its new copy as the file's name + "." + six
// letters. The next save of that file removes those that no copy can still
// be writing; nothing else beside it.
void tst_foundation::leftoversOfCutOffSavesAreRemoved() {
    const QString folder = freshFolder(QStringLiteral("leftovers"));
    const QString path = folder + QStringLiteral("/kept.txt");
    writeFile(path, "old\r\n");
    const auto make = [&](const QString& name, bool old) {
        const QString at = folder + QLatin1Char('/') + name;
        if (name.endsWith(QLatin1String("/")))
            QVERIFY(QDir().mkpath(at));
        else
            writeFile(at, "cut off");
        // Two hours ago: no save is writing it any more.
        const struct timespec then[2] = {{std::time(nullptr) - 7200, 0}, {std::time(nullptr) - 7200, 0}};
        if (old) QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(at).constData(), then, 0), 0);
    };
    make(QStringLiteral("kept.txt.AbCdEf"), true);
    make(QStringLiteral("kept.txt.zzzZZZ"), true);
    const QStringList stay{QStringLiteral("kept.txt"),         QStringLiteral("kept.txt.AB1DEF"),
                           QStringLiteral("kept.txt.ABCDEFG"), QStringLiteral("kept.txt.GhIjKl"),
                           QStringLiteral("kept.txt.QwErTy"),  QStringLiteral("kept.txt.notes"),
                           QStringLiteral("other.txt.AbCdEf")};
    make(QStringLiteral("kept.txt.GhIjKl"), false); // may still be written
    make(QStringLiteral("kept.txt.QwErTy/"), true); // a folder
    for (const QString& name : {QStringLiteral("kept.txt.AB1DEF"), QStringLiteral("kept.txt.ABCDEFG"),
                                QStringLiteral("kept.txt.notes"), QStringLiteral("other.txt.AbCdEf")})
        make(name, true);
    replace(path, "new\r\n");
    QCOMPARE(readFile(path), QByteArray("new\r\n"));
    QCOMPARE(entriesOf(folder), stay);
}

// A save keeps the file's mode, its group and, as root, its owner: on a
// shared folder the others keep their access. A saver who may not give the
// new file the old one's group, when the group has access that everyone
// else lacks, keeps the old file and hears why.
void tst_foundation::ownerGroupAndModeAreKept_data() {
    QTest::addColumn<bool>("asRoot"); // else as another user, a member of kShared
    QTest::addColumn<unsigned>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("saved");
    constexpr unsigned kShared = 23456, kForeign = 56789;
    QTest::newRow("root keeps owner and group") << true << kShared << 0640 << true;
    QTest::newRow("a member of the group keeps it") << false << kShared << 0660 << true;
    QTest::newRow("a group that gives nobody more") << false << kForeign << 0666 << true;
    QTest::newRow("a group that gives more") << false << kForeign << 0662 << false;
}

void tst_foundation::ownerGroupAndModeAreKept() {
    QFETCH(bool, asRoot);
    QFETCH(unsigned, group);
    QFETCH(int, mode);
    QFETCH(bool, saved);
    constexpr unsigned kOwner = 12345, kShared = 23456;
    uid_t owner = kOwner;
    uid_t saver = asRoot ? 0 : TestSupport::AnotherUser::kUid;
    if (::geteuid() != 0) {
        // Without root only a group of one's own can be tried.
        if (asRoot || group != kShared) QSKIP("giving files to other users and groups needs root");
        std::vector<gid_t> groups(64);
        groups.resize(size_t(std::max(0, ::getgroups(int(groups.size()), groups.data()))));
        const auto other = std::find_if(groups.begin(), groups.end(), [](gid_t g) { return g != ::getegid(); });
        if (other == groups.end()) QSKIP("the user running the test belongs to no second group");
        group = *other;
        owner = saver = ::geteuid();
    }
    const QString folder = freshFolder(QStringLiteral("owners"));
    const QString path = folder + QStringLiteral("/shared.txt");
    writeFile(path, "old\r\n");
    const QByteArray f = QFile::encodeName(folder), p = QFile::encodeName(path);
    if (::geteuid() == 0) QCOMPARE(::chown(f.constData(), kOwner, kShared), 0);
    QCOMPARE(::chmod(f.constData(), 0770), 0);
    QCOMPARE(::chown(p.constData(), owner, group), 0);
    QCOMPARE(::chmod(p.constData(), mode_t(mode)), 0);
    std::optional<TestSupport::AnotherUser> user;
    if (!asRoot && ::geteuid() == 0 && !user.emplace(QList<unsigned>{kShared}).ok())
        QSKIP("root cannot run as another user here");
    const ErrorInfo e = TestSupport::raisedBy([&] { replace(path, "new\r\n"); });
    user.reset();
    struct stat st {};
    QCOMPARE(::stat(p.constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(mode));
    if (!saved) {
        QCOMPARE(e.Number(), int(rtPermissionDenied));
        QCOMPARE(e.Description(), QStringLiteral("Permission denied: ") + path +
                                      QStringLiteral(" cannot be saved without taking it out of its group %1 "
                                                     "(Operation not permitted), and the group's members would lose "
                                                     "their access to it; nothing was saved, and the file on disk is "
                                                     "as it was before.")
                                          .arg(group));
        QCOMPARE(readFile(path), QByteArray("old\r\n"));
        QCOMPARE(st.st_uid, owner);
        QCOMPARE(st.st_gid, gid_t(group));
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("shared.txt")});
        return;
    }
    QCOMPARE(e.Description(), QString());
    QCOMPARE(readFile(path), QByteArray("new\r\n"));
    QCOMPARE(st.st_uid, asRoot ? owner : saver);
    const bool member = group == kShared || ::geteuid() != 0;
    QCOMPARE(st.st_gid, gid_t(asRoot || member ? group : TestSupport::AnotherUser::kGid));
}

void tst_foundation::appendingKeepsWhatWasThere() {
    const QString path = tempPath(QStringLiteral("append.txt"));
    writeFile(path, "one\r\n");
    auto stream = Globals::FSO().OpenTextFile(path, ForAppending);
    stream->WriteLine(QStringLiteral("two"));
    stream->Close();
    QCOMPARE(readFile(path), QByteArray("one\r\ntwo\r\n"));
}

void tst_foundation::pathPieces_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("extension");
    QTest::newRow("file") << QStringLiteral("/a/b/P1234500.txt") << QStringLiteral("/a/b") << QStringLiteral("P1234500")
                          << QStringLiteral("txt");
    QTest::newRow("two dots") << QStringLiteral("/a/x.tar.gz") << QStringLiteral("/a") << QStringLiteral("x.tar")
                              << QStringLiteral("gz");
    QTest::newRow("bare name") << QStringLiteral("abc") << QString() << QStringLiteral("abc") << QString();
    QTest::newRow("top folder") << QStringLiteral("/abc") << QStringLiteral("/") << QStringLiteral("abc") << QString();
    QTest::newRow("root") << QStringLiteral("/") << QString() << QString() << QString();
    QTest::newRow("trailing slash") << QStringLiteral("/a/b/") << QStringLiteral("/a") << QStringLiteral("b")
                                    << QString();
}
void tst_foundation::pathPieces() {
    QFETCH(QString, path);
    QFETCH(QString, parent);
    QFETCH(QString, base);
    QFETCH(QString, extension);
    const FileSystemObject& fso = Globals::FSO();
    QCOMPARE(fso.GetParentFolderName(path), parent);
    QCOMPARE(fso.GetBaseName(path), base);
    QCOMPARE(fso.GetExtensionName(path), extension);
}

void tst_foundation::buildPath() {
    const FileSystemObject& fso = Globals::FSO();
    QCOMPARE(fso.BuildPath(QStringLiteral("/a"), QStringLiteral("b")), QStringLiteral("/a/b"));
    QCOMPARE(fso.BuildPath(QStringLiteral("/a/"), QStringLiteral("/b")), QStringLiteral("/a/b"));
    QCOMPARE(fso.BuildPath(QString(), QStringLiteral("b")), QStringLiteral("b"));
}

void tst_foundation::filesAreListedIgnoringCase() {
    const QString dir = tempPath(QStringLiteral("list"));
    QDir().mkpath(dir + QStringLiteral("/sub"));
    for (const char* name : {"b.txt", "A.txt", "C.txt", "a2.txt"}) writeFile(dir + "/" + name, "x");
    QStringList names;
    for (const QFileInfo& info : Globals::FSO().Files(dir)) names << info.fileName();
    QCOMPARE(names, (QStringList{"A.txt", "a2.txt", "b.txt", "C.txt"}));
}

void tst_foundation::firstLineIsReadOnItsOwn_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("none");       // no line holds text
    QTest::addColumn<QString>("refusal"); // why the reading gave up, "" when it did not
    const QString tooLong = QStringLiteral(" (its first line is longer than 10000 characters)");
    QTest::newRow("cr lf") << QByteArray("abc\r\ndef") << QStringLiteral("abc") << false << QString();
    QTest::newRow("lone cr") << QByteArray("abc\rdef") << QStringLiteral("abc") << false << QString();
    QTest::newRow("no line end") << QByteArray("caf\xe9") << QStringLiteral("caf\u00e9") << false << QString();
    // The first line that holds text is the one read, after empty lines and
    // lines of blanks.
    QTest::newRow("empty first line") << QByteArray("\r\nabc") << QStringLiteral("abc") << false << QString();
    QTest::newRow("blank lines first") << QByteArray("  \r\n\n\r  abc \r\ndef") << QStringLiteral("  abc ") << false
                                       << QString();
    QTest::newRow("mark, then an empty line")
        << QByteArray("\xEF\xBB\xBF\r\nabc\r\n") << QStringLiteral("abc") << false << QString();
    QTest::newRow("empty file") << QByteArray() << QString() << true << QString();
    QTest::newRow("empty lines alone") << QByteArray("\r\n  \r\n") << QString() << true << QString();
    QTest::newRow("at the bound") << QByteArray(10000, 'x') + "\r\n" + QByteArray(20000, 'y') << QString(10000, u'x')
                                  << false << QString();
    QTest::newRow("past the bound") << QByteArray(10001, 'x') + "\r\n" << QString() << false << tooLong;
    QTest::newRow("far past the bound") << QByteArray(1 << 20, 'x') << QString() << false << tooLong;
    QTest::newRow("no text within the bound")
        << QByteArray(5001, '\n') + QByteArray(5001, '\n') + "abc" << QString() << false
        << QStringLiteral(" (no line of its first 10000 characters holds text)");
    // A byte-order mark is no part of the line, nor of its length.
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF\xEF\xBB|x\r\n") << QStringLiteral("\u00EF\u00BB|x")
                                     << false << QString();
    QTest::newRow("byte-order mark alone") << QByteArray("\xEF\xBB\xBF") << QString() << true << QString();
    QTest::newRow("two byte-order marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF"
                                                        "abc\r\n")
                                          << QStringLiteral("abc") << false << QString();
    QTest::newRow("byte-order mark, at the bound")
        << QByteArray("\xEF\xBB\xBF") + QByteArray(10000, 'x') << QString(10000, u'x') << false << QString();
    // The file's encoding decides: UTF-8 when every byte above 0x7F in it is.
    QTest::newRow("UTF-8") << QByteArray("CAF\xC3\x89|\r\nx\xE2\x82\xAC") << QStringLiteral("CAF\u00C9|") << false
                           << QString();
    QTest::newRow("UTF-8 in the line, Windows-1252 after it")
        << QByteArray("CAF\xC3\x89|\r\nx\x80") << QStringLiteral("CAF\u00C3\u2030|") << false << QString();
}

void tst_foundation::firstLineIsReadOnItsOwn() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QFETCH(bool, none);
    QFETCH(QString, refusal);
    const QString path = tempPath(QStringLiteral("first.txt"));
    writeFile(path, bytes);
    std::optional<QString> read;
    const ErrorInfo e = TestSupport::raisedBy([&] { read = Globals::FSO().ReadFirstTextLine(path, 10000); });
    if (!refusal.isEmpty()) {
        QCOMPARE(e.Number(), int(rtPathFileAccessError));
        QCOMPARE(e.Description(), QStringLiteral("Path/File access error: ") + path + refusal);
        return;
    }
    QCOMPARE(e.Number(), 0);
    QCOMPARE(read.has_value(), !none);
    if (read) QCOMPARE(*read, line);
}

// Text streams read a file in UTF-8 as such; what is appended to one is
// Windows-1252, the file with it; a file in UTF-16 is refused.
void tst_foundation::textStreamsReadUtf8() {
    const QString path = tempPath(QStringLiteral("utf8.txt"));
    writeFile(path, "\xEF\xBB\xBF"
                    "CAF\xC3\x89\r\n\xE2\x82\xAC"
                    "5");
    auto stream = Globals::FSO().OpenTextFile(path);
    QCOMPARE(stream->ReadLine(), QStringLiteral("CAF\u00C9"));
    QCOMPARE(stream->ReadAll(), QStringLiteral("\u20AC5"));
    auto appending = Globals::FSO().OpenTextFile(path, ForAppending);
    appending->WriteLine();
    appending->WriteLine(QStringLiteral("\u00FC"));
    appending->Close();
    QCOMPARE(readFile(path), QByteArray("CAF\xC9\r\n\x80"
                                        "5\r\n\xFC\r\n"));
    const QByteArray utf16("\xFF\xFEx\0", 4);
    writeFile(path, utf16);
    for (const auto& open : std::initializer_list<std::function<void()>>{
             [&] { Globals::FSO().OpenTextFile(path); }, [&] { Globals::FSO().OpenTextFile(path, ForAppending); }}) {
        const ErrorInfo e = TestSupport::raisedBy(open);
        QCOMPARE(e.Number(), int(rtInvalidFileFormat));
        QVERIFY2(e.Description().contains(QStringLiteral("(UTF-16, little-endian)")), qPrintable(e.Description()));
    }
    QCOMPARE(readFile(path), utf16);
}

// A FIFO, a device or a folder named like a text file is refused at once by
// every way of reading, never waited on.
void tst_foundation::onlyRegularFilesAreRead_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("what");
    QTest::newRow("fifo") << QStringLiteral("fifo") << QStringLiteral(" is not a regular file");
    QTest::newRow("link to a fifo") << QStringLiteral("link to fifo") << QStringLiteral(" is not a regular file");
    QTest::newRow("link to a device") << QStringLiteral("device") << QStringLiteral(" is not a regular file");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral(" is a folder, not a file");
}

void tst_foundation::onlyRegularFilesAreRead() {
    QFETCH(QString, kind);
    QFETCH(QString, what);
    const QString dir = tempPath(QString::fromLatin1(QTest::currentDataTag()));
    QDir(dir).removeRecursively();
    QVERIFY(QDir().mkpath(dir));
    const QString fifo = dir + QStringLiteral("/pipe");
    TestSupport::makeFifo(fifo);
    const QString path = dir + QStringLiteral("/P1234500.txt");
    if (kind == QLatin1String("fifo")) QVERIFY(QFile::rename(fifo, path));
    if (kind == QLatin1String("link to fifo")) QVERIFY(QFile::link(fifo, path));
    if (kind == QLatin1String("device")) QVERIFY(QFile::link(QStringLiteral("/dev/null"), path));
    if (kind == QLatin1String("folder")) QVERIFY(QDir().mkdir(path));
    const QString waitedOn = kind == QLatin1String("fifo") ? path : fifo;

    const FileSystemObject& fso = Globals::FSO();
    const std::function<void()> reads[] = {
        [&] { fso.OpenTextFile(path); },
        [&] { fso.OpenTextFile(path, ForAppending); },
        [&] { fso.ReadAllText(path); },
        [&] { fso.ReadFirstTextLine(path, 100); },
        [&] {
            QFile file;
            fso.OpenForReading(file, path);
        },
    };
    for (const auto& read : reads) {
        ErrorInfo e;
        QVERIFY(TestSupport::endsWithoutWaiting([&] { e = TestSupport::raisedBy(read); }, waitedOn));
        QCOMPARE(e.Number(), int(rtPathFileAccessError));
        QCOMPARE(e.Description(), QStringLiteral("Path/File access error: ") + path + what);
    }
    // Nor is such a name replaced by a writer.
    ErrorInfo e;
    QVERIFY(TestSupport::endsWithoutWaiting(
        [&] {
            e = TestSupport::raisedBy([&] {
                auto stream = fso.CreateTextFile(path);
                stream->WriteLine(QStringLiteral("x"));
                stream->Close();
            });
        },
        waitedOn));
    QCOMPARE(e.Number(), int(rtPathFileAccessError));
    QVERIFY(QFileInfo(path).exists());
}

// Each failure keeps the number its step always raised and says what went
// wrong, naming the path concerned.
void tst_foundation::failuresSayWhatHappened_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("target"); // below the row's folder
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description"); // %1: the row's folder
    QTest::newRow("write into a missing folder")
        << QStringLiteral("write") << QStringLiteral("missing/x.txt") << 70
        << QStringLiteral("Path not found: %1/missing (No such file or directory); nothing was saved.");
    QTest::newRow("write onto a folder") << QStringLiteral("write") << QStringLiteral("folder") << 75
                                         << QStringLiteral("Path/File access error: %1/folder is a folder, not a file");
    QTest::newRow("write into a refused folder")
        << QStringLiteral("write") << QStringLiteral("locked/x.txt") << 70
        << QStringLiteral("Permission denied: %1/locked/x.txt cannot be saved, because its folder %1/locked cannot "
                          "be written to (Permission denied); nothing was saved.");
    QTest::newRow("write over a write-protected file")
        << QStringLiteral("write") << QStringLiteral("protected.txt") << 70
        << QStringLiteral("Permission denied: %1/protected.txt cannot be written to (Permission denied); nothing was "
                          "saved, and the file on disk is as it was before.");
    QTest::newRow("write over a file in a refused folder")
        << QStringLiteral("write") << QStringLiteral("locked/kept.txt") << 70
        << QStringLiteral("Permission denied: %1/locked/kept.txt cannot be saved, because its folder %1/locked cannot "
                          "be written to (Permission denied). A save writes the new copy beside the file, in that "
                          "folder, and then puts it in the file's place; nothing was saved, and the file on disk is as "
                          "it was before.");
    QTest::newRow("folder over a file") << QStringLiteral("folder") << QStringLiteral("file.txt") << 58
                                        << QStringLiteral("File already exists: %1/file.txt");
    QTest::newRow("folder in a missing folder") << QStringLiteral("folder") << QStringLiteral("missing/sub") << 76
                                                << QStringLiteral("Path not found: %1/missing");
    QTest::newRow("folder in a refused folder") << QStringLiteral("folder") << QStringLiteral("locked/sub") << 70
                                                << QStringLiteral("Permission denied: %1/locked/sub");
    QTest::newRow("read a missing file") << QStringLiteral("read") << QStringLiteral("none.txt") << 53
                                         << QStringLiteral("File not found: %1/none.txt");
}

void tst_foundation::failuresSayWhatHappened() {
    QFETCH(QString, action);
    QFETCH(QString, target);
    QFETCH(int, number);
    QFETCH(QString, description);
    const QString dir = tempPath(QStringLiteral("failures"));
    QDir(dir).removeRecursively();
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/folder")));
    QVERIFY(QDir().mkpath(dir + QStringLiteral("/locked")));
    writeFile(dir + QStringLiteral("/locked/kept.txt"), "x");
    writeFile(dir + QStringLiteral("/file.txt"), "x");
    writeFile(dir + QStringLiteral("/protected.txt"), "x");
    // Root may write anything: it does what a user does, as that user.
    QStringList owned = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    owned << QStringLiteral(".") << QStringLiteral("locked/kept.txt");
    if (::geteuid() == 0)
        for (const QString& name : owned)
            QCOMPARE(::chown(QFile::encodeName(dir + QLatin1Char('/') + name).constData(),
                             TestSupport::AnotherUser::kUid, TestSupport::AnotherUser::kGid),
                     0);
    QVERIFY(QFile::setPermissions(dir + QStringLiteral("/locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(QFile::setPermissions(dir + QStringLiteral("/protected.txt"), QFileDevice::ReadOwner));
    const QString path = dir + QLatin1Char('/') + target;
    const FileSystemObject& fso = Globals::FSO();
    std::optional<TestSupport::AnotherUser> user;
    if (::geteuid() == 0 && !user.emplace().ok()) QSKIP("root cannot run as another user here");
    const ErrorInfo e = TestSupport::raisedBy([&] {
        if (action == QLatin1String("write")) {
            auto stream = fso.CreateTextFile(path);
            stream->WriteLine(QStringLiteral("x"));
            stream->Close();
        } else if (action == QLatin1String("folder")) {
            fso.CreateFolder(path);
        } else {
            fso.OpenTextFile(path);
        }
    });
    user.reset();
    QFile::setPermissions(dir + QStringLiteral("/locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(e.Number(), number);
    QCOMPARE(e.Description(), description.arg(dir));
    QCOMPARE(e.Source(), QStringLiteral("FileSystemObject"));
}

void tst_foundation::createFolder() {
    const QString base = TestSupport::root() + QStringLiteral("/cf");
    const QString deep = base + QStringLiteral("/a/b/c");
    QCOMPARE(Utilities::CreateFolder(deep), deep);
    QVERIFY(QDir(deep).exists());
    QCOMPARE(Utilities::CreateFolder(deep), deep); // existing: nothing to do
    const ErrorInfo e = TestSupport::raisedBy([] { Utilities::CreateFolder(QStringLiteral("abc")); });
    QCOMPARE(quint32(e.Number()), 0x8004684Cu);
    QCOMPARE(e.Source(), QStringLiteral("Vezedad::Utilities.CreateFolder"));
    QCOMPARE(e.Description(), QStringLiteral("Could not find or create root folder abc; either not an "
                                             "absolute path or drive does not exist."));
    // A file where a folder belongs is still an error.
    writeFile(base + QStringLiteral("/plain"), "x");
    const ErrorInfo blocked =
        TestSupport::raisedBy([&] { Utilities::CreateFolder(base + QStringLiteral("/plain/sub")); });
    QCOMPARE(blocked.Number(), 58);
    QCOMPARE(blocked.Description(), QStringLiteral("File already exists: ") + base + QStringLiteral("/plain"));
}

// Threads (or programs) that make the same folders at once all succeed:
// a folder that another made first is what each of them wanted.
void tst_foundation::foldersMadeAtOnceByManyThreads() {
    const QString base = TestSupport::root() + QStringLiteral("/race");
    constexpr int kThreads = 8, kRounds = 200;
    std::atomic<int> failures{0};
    QString firstFailure;
    QMutex lock;
    QList<QThread*> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads << QThread::create([&] {
            for (int round = 0; round < kRounds; ++round) {
                const ErrorInfo e = TestSupport::raisedBy(
                    [&] { Utilities::CreateFolder(base + QStringLiteral("/%1/ZOV2024/a").arg(round)); });
                if (e.Number() != 0 && failures.fetch_add(1) == 0) {
                    QMutexLocker locked(&lock);
                    firstFailure = QString::number(e.Number()) + QLatin1Char(' ') + e.Description();
                }
            }
        });
    }
    for (QThread* thread : threads) thread->start();
    for (QThread* thread : threads) {
        QVERIFY(thread->wait(60000));
        delete thread;
    }
    QVERIFY2(failures == 0, qPrintable(firstFailure));
    QVERIFY(QDir(base + QStringLiteral("/%1/ZOV2024/a").arg(kRounds - 1)).exists());
}
