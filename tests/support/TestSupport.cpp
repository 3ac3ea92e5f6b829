#include "TestSupport.h"
#include "Isolation.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace TestSupport {

namespace {

std::string& rootPath() {
    static std::string path;
    return path;
}

bool offscreen() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform && std::string_view(platform).substr(0, 9) == "offscreen";
}

// The screen in its own pixels: the offscreen platform's as set below, the
// X server's as scripts/with-xvfb.sh starts it.
QSize& screenPixels() {
    static QSize size(1280, 1024);
    return size;
}

// The offscreen platform's one screen, from a file in the private folder:
// width x height pixels at dpi dots per inch (96 is scale 1). Other
// platforms keep their screens.
void setOffscreenScreen(int width, int height, int dpi) {
    if (!offscreen()) return;
    screenPixels() = QSize(width, height);
    const std::string path = rootPath() + "/screen.json";
    std::ofstream file(path, std::ios::trunc);
    file << "{\"screens\": [{\"name\": \"screen\", \"x\": 0, \"y\": 0, \"width\": " << width
         << ", \"height\": " << height << ", \"logicalDpi\": " << dpi << ", \"logicalBaseDpi\": 96}]}\n";
    file.close();
    if (!file) std::abort();
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).c_str(), 1);
}

// Runs before main, so nothing the test does can see the real folders.
struct PrivateRoot {
    PrivateRoot() {
        std::string templ = (std::filesystem::temp_directory_path() / "zidivo-test-XXXXXX").string();
        if (!::mkdtemp(templ.data())) std::abort();
        rootPath() = templ;
        Isolation::isolate(templ);
        // The screen scripts/with-xvfb.sh gives the X server, so that a
        // window meets the same screen on both platforms.
        setOffscreenScreen(1280, 1024, 96);
    }
    ~PrivateRoot() {
        std::error_code ec;
        std::filesystem::remove_all(rootPath(), ec);
    }
};

PrivateRoot gPrivateRoot;

} // namespace

QString root() { return QString::fromStdString(rootPath()); }

AnotherUser::AnotherUser(const QList<unsigned>& groups) {
    if (::geteuid() != 0) return;
    m_changed = true;
    std::vector<gid_t> own(size_t(std::max(0, ::getgroups(0, nullptr))));
    own.resize(size_t(std::max(0, ::getgroups(int(own.size()), own.data()))));
    m_groups = QList<unsigned>(own.begin(), own.end());
    ::chmod(rootPath().c_str(), 0711);
    const std::vector<gid_t> list(groups.begin(), groups.end());
    m_ok = ::setgroups(list.size(), list.data()) == 0 && ::setresgid(kGid, kGid, 0) == 0 &&
           ::setresuid(kUid, kUid, 0) == 0;
    if (!m_ok) restore();
}

AnotherUser::~AnotherUser() { restore(); }

void AnotherUser::restore() {
    if (!m_changed) return;
    m_changed = false;
    m_ok = false;
    const std::vector<gid_t> own(m_groups.begin(), m_groups.end());
    if (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0 || ::setgroups(own.size(), own.data()) != 0)
        std::abort(); // the tests after would run as the wrong user
    ::chmod(rootPath().c_str(), 0700);
}
QString home() { return root() + QStringLiteral("/home"); }
QString userConfigDir() { return root() + QStringLiteral("/home/.config/ZIDIVO"); }
QString machineConfigDir() { return root() + QStringLiteral("/etc/xdg/ZIDIVO"); }

void clearSettings() {
    unblockMachineSettings();
    QDir(userConfigDir()).removeRecursively();
    QDir(machineConfigDir()).removeRecursively();
}

void blockMachineSettings() {
    const QString base = root() + QStringLiteral("/blocked");
    writeFile(base, QByteArray());
    qputenv("XDG_CONFIG_DIRS", (base + QStringLiteral("/xdg")).toLocal8Bit());
}

void unblockMachineSettings() {
    QFile::remove(root() + QStringLiteral("/blocked"));
    qputenv("XDG_CONFIG_DIRS", (root() + QStringLiteral("/etc/xdg")).toLocal8Bit());
}

namespace {

const char* const kScreenVariable = "ZIDIVO_TEST_SCREEN";

struct SmallScreen {
    const char* name;
    int dpi;            // on the offscreen platform, 1024 x 768 pixels
    const char* xScale; // on the X server's 1280 x 1024
};
constexpr SmallScreen kSmallScreens[] = {{"1024x768", 96, "1.25"}, {"1024x768@1.5", 144, "2"}};

} // namespace

int rerunOnSmallScreens(int argc, char** argv) {
    if (const char* name = std::getenv(kScreenVariable)) {
        for (const SmallScreen& screen : kSmallScreens) {
            if (std::string_view(name) != screen.name) continue;
            if (offscreen())
                setOffscreenScreen(1024, 768, screen.dpi);
            else
                ::setenv("QT_SCALE_FACTOR", screen.xScale, 1);
            return -1;
        }
        std::fprintf(stderr, "%s: no small screen is called %s\n", argv[0], name);
        return 2;
    }
    std::vector<std::string> args{programPath()};
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    int failed = 0;
    for (const SmallScreen& screen : kSmallScreens) {
        std::printf("********* On a screen of %s *********\n", screen.name);
        std::fflush(stdout);
        ::setenv(kScreenVariable, screen.name, 1);
        const int code = runAndWait(args);
        if (code != 0 && failed == 0) failed = code;
    }
    ::unsetenv(kScreenVariable);
    return failed;
}

QString screenName() {
    const char* name = std::getenv(kScreenVariable);
    return name ? QString::fromLatin1(name) : QStringLiteral("1280x1024");
}

QString outsideScreen(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return QStringLiteral("on no screen");
    const QRect area = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    const auto rect = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    if (!area.contains(frame))
        return QStringLiteral("its frame %1 leaves the screen's %2").arg(rect(frame), rect(area));
    // Scaled, a window's pixels become the screen's rounded to the nearest,
    // edge and size each: 683 at 1.5 times scale takes 1025.
    const qreal ratio = screen->devicePixelRatio();
    const QRect pixels(qRound(frame.x() * ratio), qRound(frame.y() * ratio), qRound(frame.width() * ratio),
                       qRound(frame.height() * ratio));
    const QRect screenArea(QPoint(0, 0), screenPixels());
    if (screenArea.contains(pixels)) return QString();
    return QStringLiteral("its frame takes %1 of the screen's own pixels, beyond its %2")
        .arg(rect(pixels), rect(screenArea));
}

int runAndWait(const std::vector<std::string>& args, bool quiet) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return 127;
    if (pid == 0) {
        if (quiet) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return 127;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string programPath() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    return std::string(path, size_t(n));
}

Vezedad::ErrorInfo raisedBy(const std::function<void()>& body) {
    try {
        body();
    } catch (const Vezedad::ErrorInfo& e) {
        return e;
    }
    return Vezedad::ErrorInfo();
}

void makeFifo(const QString& path) {
    QVERIFY2(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0, qPrintable(path));
}

bool endsWithoutWaiting(const std::function<void()>& body, const QString& fifo) {
    std::unique_ptr<QThread> thread(QThread::create([body] {
        try {
            body();
        } catch (...) {
        }
    }));
    thread->start();
    const bool ended = thread->wait(QDeadlineTimer(5000));
    // A reader held in the FIFO gets a writer that closes at once: it reads
    // the end of the file and goes on.
    const QByteArray name = QFile::encodeName(fifo);
    while (!thread->wait(QDeadlineTimer(50))) {
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    }
    return ended;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace TestSupport
