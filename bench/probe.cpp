// libbench_probe.so: measures the real program, loaded into it with
// LD_PRELOAD, so that what is timed is the program a user starts, not a copy
// of its start-up. BENCH_PROBE says what to do:
//   start            the Control Center's first paint is marked "shown",
//                    and the program ends there;
//   open:FORM:PATH   then, as a user does, the form type FORM (1, 2, 4, 8)
//                    is chosen in the Control Center and Open pressed; the
//                    file dialog answers PATH; the progress windows run as
//                    they do for a user; the load's boxes (the verdict) are
//                    answered OK, or Yes; the report's window is shown, and
//                    once its grid has been painted the program ends;
//   file:PATH        every file dialog is answered PATH, and nothing else is
//                    done: bench/user_open --dialog-answered drives the rest
//                    as a user, to tell what the real file dialog costs.
// Marks ("at NAME", see Marks.h): application (the program's libraries
// loaded and its application object made), shown, opened (the Open click), loaded
// (the load's progress window closed), window (the report's window about to
// show: the rows loaded and checked, the boxes answered), painted (its grid
// painted). Each comes with NAME_processor, the program's processor time by
// then. The program ends there with _exit(0), as a measuring run has
// nothing to keep. Every box is written to standard error.
#include "Marks.h"

#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// A moment, and the processor time the program has used by then (all its
// threads): beside the time, it tells work from waiting.
void mark(const char* name) {
    Bench::markAt(name);
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    char processor[160];
    std::snprintf(processor, sizeof processor, "%s_processor", name);
    Bench::markTook(processor, double(used.tv_sec) + double(used.tv_nsec) / 1e9);
}

[[noreturn]] void end(int code) {
    std::fflush(stderr);
    ::_exit(code);
}

[[noreturn]] void failed(const QString& text) {
    std::fprintf(stderr, "probe: %s\n", qPrintable(text));
    end(3);
}

class Probe : public QObject {
public:
    Probe(bool openAfterStart, int formType, QString path)
        : m_open(openAfterStart), m_formType(formType), m_path(std::move(path)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!m_shown && widget->window()->objectName() == QStringLiteral("frmController")) {
            m_shown = true;
            // After the paint under way and the rest of its window.
            QTimer::singleShot(0, this, [this] { controlCenterShown(); });
        } else if (m_form && !m_painted && widget->window() == m_form &&
                   qobject_cast<QAbstractItemView*>(widget->parentWidget()) &&
                   static_cast<QAbstractItemView*>(widget->parentWidget())->viewport() == widget) {
            m_painted = true;
            QTimer::singleShot(0, this, [] {
                mark("painted");
                end(0);
            });
        }
        return false;
    }

private:
    void controlCenterShown() {
        mark("shown");
        if (!m_open) end(0);
        answerAsAUser();
        QWidget* center = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("frmController")) center = w;
        auto* choice =
            center ? center->findChild<QAbstractButton*>(QStringLiteral("radFormType(%1)").arg(m_formType)) : nullptr;
        auto* open = center ? center->findChild<QAbstractButton*>(QStringLiteral("cmdOpen")) : nullptr;
        if (!choice || !open) failed(QStringLiteral("the Control Center has no form choice or Open button"));
        choice->click();
        mark("opened");
        open->click();
        failed(QStringLiteral("the report's window never showed"));
    }

    void answerAsAUser() {
        Vezedad::Ui::setDialogHandler([this](Vezedad::Ui::DialogRequest& request) {
            Vezedad::Ui::DialogAnswer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = QStringList{m_path};
            return answer;
        });
        Vezedad::Ui::setMessageBoxHandler([this](const Vezedad::Ui::MessageBoxCall& call) {
            std::fprintf(stderr, "probe: a box: %s\n", qPrintable(QString(call.prompt).replace(u'\r', u' ')));
            const qint32 kind = call.buttons & 7;
            return kind == Vezedad::Ui::vbYesNo || kind == Vezedad::Ui::vbYesNoCancel ? qint32(Vezedad::Ui::vbYes)
                                                                                      : qint32(Vezedad::Ui::vbOK);
        });
        Vezedad::Ui::setModalHandler([this](QDialog& dialog) {
            if (dialog.objectName() == QStringLiteral("frmProgress")) {
                const int result = dialog.exec();
                if (++m_progressWindows == 1) mark("loaded");
                return result;
            }
            // The report's own window: shown, and the program ends once
            // its grid has been painted.
            mark("window");
            m_form = &dialog;
            dialog.show();
            QEventLoop().exec();
            failed(QStringLiteral("the report's window was closed before its grid was painted"));
        });
    }

    bool m_open;
    int m_formType;
    QString m_path;
    bool m_shown = false;
    bool m_painted = false;
    int m_progressWindows = 0;
    QWidget* m_form = nullptr;
};

void install() {
    const QString what = qEnvironmentVariable("BENCH_PROBE");
    if (what.isEmpty()) return;
    // The libraries are loaded and linked, the application object is made.
    mark("application");
    // Not handed on to anything the program starts.
    ::unsetenv("LD_PRELOAD");
    Probe* probe = nullptr;
    if (what == QStringLiteral("start")) {
        probe = new Probe(false, 0, QString());
    } else if (what.startsWith(QStringLiteral("file:"))) {
        const QString path = what.mid(5);
        Vezedad::Ui::setDialogHandler([path](Vezedad::Ui::DialogRequest& request) {
            Vezedad::Ui::DialogAnswer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = QStringList{path};
            return answer;
        });
        return;
    } else if (what.startsWith(QStringLiteral("open:"))) {
        const QStringList parts = what.split(QLatin1Char(':'));
        bool ok = false;
        const int formType = parts.value(1).toInt(&ok);
        if (!ok || parts.size() < 3) failed(QStringLiteral("BENCH_PROBE=open:FORM:PATH"));
        probe = new Probe(true, formType, parts.mid(2).join(QLatin1Char(':')));
    } else {
        failed(QStringLiteral("BENCH_PROBE is start, open:FORM:PATH or file:PATH, not ") + what);
    }
    probe->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(probe);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
