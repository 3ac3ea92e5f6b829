#pragma once
#include "Vezedad/foundation/ErrorInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Every test process runs with HOME and the XDG folders in a private
// temporary folder (set up before main by TestSupport.cpp).
namespace TestSupport {

// The private folder that stands in for the machine.
QString root();
// The stand-in for the user's home folder.
QString home();
// The folders of the per-user and machine settings hives.
QString userConfigDir();
QString machineConfigDir();
// Removes both settings hives, so a test starts from built-in defaults, and
// undoes blockMachineSettings.
void clearSettings();
// Makes the machine hive impossible to write, even for root: its folder
// would have to be made below a plain file.
void blockMachineSettings();
void unblockMachineSettings();

// The screen. The offscreen platform gets the X server's (1280 x 1024 at
// scale 1, as scripts/with-xvfb.sh starts it), so that windows meet the same
// screen on both platforms.
//
// rerunOnSmallScreens, called first in a test's main, runs the test program
// again once on each small screen a user may have, each run a process of its
// own (a platform's screens are set before the application object exists):
// 1024 x 768, and 1024 x 768 at 1.5 times scale (683 x 512 in the windows'
// pixels). An X server's screen cannot change: there the windows are scaled
// instead, 1.25 times (1024 x 819) and twice (640 x 512). It returns 0 when
// every run passed, else the exit code of the first that failed; -1 in a run
// on one of the screens.
int rerunOnSmallScreens(int argc, char** argv);
// The run's screen: "1280x1024" outside those runs, "1024x768" or
// "1024x768@1.5" in them.
QString screenName();

// Where window's frame leaves the available area of its screen, or "" when
// it lies inside, in the windows' pixels and, on a scaled screen, in the
// screen's own.
QString outsideScreen(const QWidget& window);

// The error a body raises; an empty one (number 0) when it raises none.
Vezedad::ErrorInfo raisedBy(const std::function<void()>& body);

// Makes a FIFO (named pipe) at path; a failure fails the running test.
void makeFifo(const QString& path);

// Runs body on a thread of its own and tells whether it ends within a few
// seconds. A body that waits on the FIFO at fifo (a reader waiting for a
// writer) is then let go, so that the test fails instead of hanging.
bool endsWithoutWaiting(const std::function<void()>& body, const QString& fifo);

// Runs a program (args[0], looked up on the PATH) and waits for it: its exit
// code, 127 when it cannot run, 128 + the signal that ended it. quiet sends
// its output nowhere.
int runAndWait(const std::vector<std::string>& args, bool quiet = false);
// The path of the running test program.
std::string programPath();

// Whole-file helpers for fixtures; a failed write fails the running test.
void writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// While it lives, the test process runs as another user (kUid, kGid), a
// member of groups only, as a user saving into a shared folder would; the
// private folder lets that user pass meanwhile. Only a test running as root
// can: ok() is false otherwise, and nothing changed.
class AnotherUser {
public:
    static constexpr unsigned kUid = 45678;
    static constexpr unsigned kGid = 34567;
    explicit AnotherUser(const QList<unsigned>& groups = {});
    ~AnotherUser();
    AnotherUser(const AnotherUser&) = delete;
    AnotherUser& operator=(const AnotherUser&) = delete;
    bool ok() const { return m_ok; }

private:
    void restore();
    bool m_ok = false;
    bool m_changed = false;
    QList<unsigned> m_groups;
};

} // namespace TestSupport
