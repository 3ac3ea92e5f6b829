// startup_time [--runs N]
// Times the program's start until the Control Center is on the screen, as
// the program starts: a fresh process each run (this program again, with the
// same libraries as Dazozuvi), which runs what main() runs - the application
// object, then modGlobals::Main with its update check (no filing service:
// nothing listens on the default host) - and reports when the Control Center
// window is shown. Offscreen unless QT_QPA_PLATFORM says otherwise; no
// settings (a private temporary home folder).
#include "BenchSupport.h"
#include "Sandbox.h"

#include "Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Says "shown" once the Control Center is shown, and ends the program.
class ShownWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QStringLiteral("frmController") && !m_seen) {
            m_seen = true;
            std::printf("shown\n");
            std::fflush(stdout);
            // exit, not quit: quit would ask the Control Center to close first.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }

private:
    bool m_seen = false;
};

int child(int argc, char** argv) {
    QApplication app(argc, argv);
    ShownWatch watch;
    app.installEventFilter(&watch);
    int rc = 1;
    if (Dazozuvi::modGlobals::Main()) rc = app.exec();
    Dazozuvi::modGlobals::End();
    return rc;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return child(argc, argv);
    int runs = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 1;
    Bench::isolate(sandbox.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QProcess program;
        program.setProcessChannelMode(QProcess::SeparateChannels);
        QElapsedTimer timer;
        timer.start();
        program.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--child")});
        bool shown = false;
        while (!shown && program.waitForReadyRead(10000)) shown = program.readAllStandardOutput().contains("shown");
        const double seconds = Bench::seconds(timer);
        program.waitForFinished(10000);
        if (!shown) {
            std::fprintf(stderr, "the Control Center was not shown:\n%s\n", program.readAllStandardError().constData());
            return 2;
        }
        times.push_back(seconds);
    }
    std::sort(times.begin(), times.end());
    std::printf("start to the Control Center shown: best %.3f s, median %.3f s, worst %.3f s (%d runs)\n",
                times.front(), times[times.size() / 2], times.back(), runs);
    return times[times.size() / 2] < 0.5 ? 0 : 1;
}
