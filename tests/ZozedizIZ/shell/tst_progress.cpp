#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/ProgressForm.h"
#include "ZozedizIZ/shell/Twips.h"
#include "ZozedizIZ/shell/frmProgress.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using ZozedizIZ::frmProgress;
using ZozedizIZ::ProgressForm;

namespace {

template <class T = QWidget> T* child(const QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

QDialog* progressWindow(const ProgressForm& form) { return form.Form().window(); }

// A click on the Stop button that is still waiting in the event queue.
void postStopClick(QWidget* window) {
    auto* stop = child<QPushButton>(window, "cmdStop");
    const QPointF centre = QRectF(stop->rect()).center();
    const QPointF global = stop->mapToGlobal(centre);
    QCoreApplication::postEvent(stop, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                      Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(stop, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                                      Qt::NoButton, Qt::NoModifier));
}

bool anyProgressWindowVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("frmProgress") && w->isVisible()) return true;
    return false;
}

// The window runs in the real modal loop of the platform, as for users.
struct RealModalLoop {
    RealModalLoop() { Vezedad::Ui::setModalHandler({}); }
    ~RealModalLoop() { TestSupport::UiScript::installRefusingHandlers(); }
};

} // namespace

class tst_progress : public QObject {
    Q_OBJECT

private slots:
    void timeStringTable_data() {
        QTest::addColumn<float>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0.0f << "0 sec";
        QTest::newRow("59.5 rounds to even") << 59.5f << "60 sec";
        QTest::newRow("60") << 60.0f << "60 sec";
        QTest::newRow("60.5") << 60.5f << "1:00 min";
        QTest::newRow("61") << 61.0f << "1:01 min";
        QTest::newRow("125") << 125.0f << "2:05 min";
        QTest::newRow("3600") << 3600.0f << "60:00 min";
        QTest::newRow("3601") << 3601.0f << "1:00:01 hr";
        QTest::newRow("3725") << 3725.0f << "1:02:05 hr";
        QTest::newRow("36000") << 36000.0f << "10:00:00 hr";
    }

    void timeStringTable() {
        QFETCH(float, seconds);
        QFETCH(QString, text);
        QCOMPARE(frmProgress::TimeString(seconds), text);
    }

    void timeLeftEstimate_data() {
        QTest::addColumn<float>("maximum");
        QTest::addColumn<float>("done");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing done") << 100.0f << 0.0f << qint64(10) << "";
        QTest::newRow("less than nothing") << 100.0f << -5.0f << qint64(10) << "";
        QTest::newRow("first second") << 100.0f << 50.0f << qint64(0) << "0 sec";
        QTest::newRow("a quarter in 10 s") << 100.0f << 25.0f << qint64(10) << "30 sec";
        QTest::newRow("past the maximum") << 100.0f << 150.0f << qint64(10) << "0 sec";
        QTest::newRow("long way to go") << 1000.0f << 1.0f << qint64(1) << "16:39 min";
    }

    void timeLeftEstimate() {
        QFETCH(float, maximum);
        QFETCH(float, done);
        QFETCH(qint64, elapsed);
        QFETCH(QString, text);
        QCOMPARE(frmProgress::TimeLeftText(maximum, done, elapsed), text);
    }

    // However long the description, the window keeps its design width (with
    // a 190-character path it used to grow past the screen, its Stop button
    // off it): the description is cut in the middle with "..." and shown
    // whole in the tool tip; a short one shows as it is.
    void longDescriptionKeepsTheWindowsWidth() {
        const QString folder = QStringLiteral("/home/filer/Documents/Pesticide Reports/") + QString(130, u'x');
        const QString path = folder + QStringLiteral("/ZOV2025/P1234567800.txt");
        const QString longDescription = QStringLiteral("Validating file ") + path;
        QVERIFY(path.size() >= 190);
        int shortWidth = 0;
        for (const QString& description : {QStringLiteral("Validating P2024.txt"), longDescription}) {
            TestSupport::UiScript ui;
            ProgressForm form;
            ui.expectModal([&](QDialog& window) { QTRY_VERIFY(!window.isVisible()); });
            QObject::connect(&form, &ProgressForm::Execute, [&] {
                QDialog* window = progressWindow(form);
                auto* label = child<QLabel>(window, "lblOperation");
                auto* stop = child<QPushButton>(window, "cmdStop");
                QCOMPARE(label->toolTip(), description);
                QCOMPARE(TestSupport::accessibleName(label), description);
                if (description == longDescription) {
                    QCOMPARE(window->width(), shortWidth);
                    QVERIFY(label->text().contains(QStringLiteral("...")));
                    QVERIFY(label->text().startsWith(QStringLiteral("Validating file /home/")));
                    QVERIFY(label->text().endsWith(QStringLiteral("P1234567800.txt")));
                    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
                } else {
                    shortWidth = window->width();
                    QCOMPARE(label->text(), description);
                }
                QVERIFY(window->rect().contains(stop->geometry()));
                QVERIFY(window->width() <= ZozedizIZ::Twips::toPixelsX(5100) + 40);
                form.Finished();
            });
            form.StartTracking(description, 100);
        }
    }

    // A screen reader hears the bar by the operation it measures, also when
    // that changes (each file of a folder run), and by the window's title
    // when there is no description.
    void theBarIsHeardByItsOperation() {
        for (const QString& description : {QStringLiteral("Validating files in folder /data/ZOV2025"), QString()}) {
            TestSupport::UiScript ui;
            ProgressForm form;
            ui.expectModal([](QDialog& window) { QTRY_VERIFY(!window.isVisible()); });
            QObject::connect(&form, &ProgressForm::Execute, [&] {
                auto* bar = child<QProgressBar>(progressWindow(form), "pbProgress");
                QCOMPARE(TestSupport::accessibleName(bar),
                         description.isEmpty() ? QStringLiteral("Progress") : description);
                form.setDescription(QStringLiteral("Validating file 2 of 3: M1234500.txt"));
                QCOMPARE(TestSupport::accessibleName(bar), QStringLiteral("Validating file 2 of 3: M1234500.txt"));
                form.Finished();
            });
            form.StartTracking(description, 100);
        }
    }

    // Cut to any length, the description fits its line to the last pixel
    // (the walk of each window shown checks it).
    void everyCutDescriptionFits() {
        for (int length = 40; length <= 140; length += 3) {
            TestSupport::UiScript ui;
            ProgressForm form;
            ui.expectModal([](QDialog& window) { QTRY_VERIFY(!window.isVisible()); });
            QObject::connect(&form, &ProgressForm::Execute, [&] { form.Finished(); });
            form.StartTracking(QStringLiteral("Loading data from /home/") + QString(length, u'w') +
                                   QStringLiteral("/ZOV2025/M1234500.txt"),
                               100);
        }
        // A folder's name of many kinds of letters: laid out, a line can need a
        // fraction of a pixel more than its characters' advances add up to.
        for (const char* tail : {"qNGJbr", "XrZBgL", "XdxR-r", "MV4.ir"}) {
            for (const QChar c : {u'N', u'J', u'h', u'/'}) {
                for (int length = 0; length < 40; length += 3) {
                    TestSupport::UiScript ui;
                    ProgressForm form;
                    ui.expectModal([](QDialog& window) { QTRY_VERIFY(!window.isVisible()); });
                    QObject::connect(&form, &ProgressForm::Execute, [&] { form.Finished(); });
                    form.StartTracking(QStringLiteral("Validating files in folder /work/build/Testing/") +
                                           QString(length, c) + QStringLiteral("/tmp/tst_controller-") +
                                           QLatin1String(tail),
                                       100);
                }
            }
        }
    }

    // The whole protocol in the platform's own modal loop: Execute once per
    // run, after the window is up; Update shows status, bar and estimate;
    // Finished ends StartTracking; a second run raises Execute again.
    void runsTheJobOnFirstActivation() {
        RealModalLoop real;
        ProgressForm form;
        qint64 now = 1000;
        form.Form().setClock([&] { return now; });
        int runs = 0;
        QObject::connect(&form, &ProgressForm::Execute, [&] {
            ++runs;
            QDialog* window = progressWindow(form);
            QVERIFY(window && window->isVisible());
            QCOMPARE(window->windowTitle(), QStringLiteral("Progress"));
            QVERIFY(window->isModal());
            QCOMPARE(child<QLabel>(window, "lblOperation")->text(), QStringLiteral("Validating P2024.txt"));
            QCOMPARE(child<QLabel>(window, "lblTimeLeft")->text(), QStringLiteral("Estimated Time Left:"));
            QCOMPARE(child<QPushButton>(window, "cmdStop")->text(), QStringLiteral("&Stop"));
            auto* bar = child<QProgressBar>(window, "pbProgress");
            QVERIFY(bar->isVisible());
            QCOMPARE(bar->maximum(), 400);
            QCOMPARE(bar->value(), 0);

            now += 10;
            QVERIFY(form.Update(QStringLiteral("Record 100"), 100));
            QCOMPARE(child<QLabel>(window, "lblStatus")->text(), QStringLiteral("Record 100"));
            QCOMPARE(bar->value(), 100);
            QCOMPARE(child<QLineEdit>(window, "txtTimeLeft")->text(), QStringLiteral("30 sec"));
            QVERIFY(form.Update(QStringLiteral("Record 900"), 900));
            QCOMPARE(bar->value(), 400);
            QCOMPARE(child<QLineEdit>(window, "txtTimeLeft")->text(), QStringLiteral("0 sec"));

            // Activated again while the job runs: no second Execute.
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(window, &activate);
            QApplication::processEvents();

            form.setDescription(QStringLiteral("Validating M2024.txt"));
            QCOMPARE(child<QLabel>(window, "lblOperation")->text(), QStringLiteral("Validating M2024.txt"));
            form.Finished();
        });
        form.StartTracking(QStringLiteral("Validating P2024.txt"), 400);
        QCOMPARE(runs, 1);
        QVERIFY(!form.Form().Loaded());
        QVERIFY(!anyProgressWindowVisible());

        form.StartTracking(QStringLiteral("Validating P2024.txt"), 400);
        QCOMPARE(runs, 2);
        QVERIFY(!anyProgressWindowVisible());
    }

    // A click that waits in the queue reaches Stop in the next Update; every
    // later Update says stop; the window stays until Finished; the next run
    // starts afresh.
    void stopTakesEffectInUpdate() {
        RealModalLoop real;
        ProgressForm form;
        QSignalSpy stops(&form, &ProgressForm::StopExecution);
        QList<bool> answers;
        bool stillUp = false;
        bool stopRequestedBefore = true;
        QObject::connect(&form, &ProgressForm::Execute, [&] {
            stopRequestedBefore = form.StopRequested();
            answers << form.Update(QStringLiteral("one"), 1);
            postStopClick(progressWindow(form));
            answers << form.Update(QStringLiteral("two"), 2);
            answers << form.Update(QStringLiteral("three"), 3);
            stillUp = progressWindow(form) && progressWindow(form)->isVisible();
            form.Finished();
        });
        form.StartTracking(QStringLiteral("Folder"), 10);
        QVERIFY(!stopRequestedBefore);
        QCOMPARE(answers, (QList<bool>{true, false, false}));
        QVERIFY(form.StopRequested());
        QCOMPARE(stops.size(), 1);
        QVERIFY(stillUp);

        answers.clear();
        form.StartTracking(QStringLiteral("Folder"), 10);
        QCOMPARE(answers.first(), true);
        QVERIFY(form.StopRequested()); // pressed again in this run
    }

    // Esc and the window manager's close do nothing while the job runs.
    void escAndCloseAreRefusedWhileTheJobRuns() {
        RealModalLoop real;
        ProgressForm form;
        bool visibleAfter = false;
        QObject::connect(&form, &ProgressForm::Execute, [&] {
            QDialog* window = progressWindow(form);
            QTest::keyClick(window, Qt::Key_Escape);
            window->close();
            form.Update(QStringLiteral("still here"), 1);
            visibleAfter = window->isVisible();
            form.Finished();
        });
        form.StartTracking(QStringLiteral("Loading"), 0);
        QVERIFY(visibleAfter);
        QVERIFY(!form.StopRequested());
    }

    // An error inside the job closes the window and comes out of
    // StartTracking unchanged; the form can run again.
    void errorInTheJobClosesTheWindow() {
        RealModalLoop real;
        ProgressForm form;
        bool fail = true;
        QObject::connect(&form, &ProgressForm::Execute, [&] {
            form.Update(QStringLiteral("working"), 1);
            if (fail)
                throw Vezedad::ErrorInfo(53, QStringLiteral("File not found"), QStringLiteral("Job.Load"),
                                         QStringLiteral("help.chm"), 7);
            form.Finished();
        });
        const Vezedad::ErrorInfo error =
            TestSupport::raisedBy([&] { form.StartTracking(QStringLiteral("Loading"), 10); });
        QCOMPARE(error.Number(), 53);
        QCOMPARE(error.Description(), QStringLiteral("File not found"));
        QCOMPARE(error.Source(), QStringLiteral("Job.Load"));
        QCOMPARE(error.HelpContext(), 7);
        QVERIFY(!anyProgressWindowVisible());
        QVERIFY(!form.Form().Loaded());

        fail = false;
        QVERIFY(TestSupport::raisedBy([&] { form.StartTracking(QStringLiteral("Loading"), 10); }).Number() == 0);
    }

    void maximumValueRules() {
        ProgressForm form;
        qint64 now = 0;
        form.Form().setClock([&] { return now; });
        form.setMaximumValue(0);
        QCOMPARE(form.MaximumValue(), 100.0f);
        form.setMaximumValue(-5);
        QCOMPARE(form.MaximumValue(), 100.0f);

        TestSupport::UiScript ui;
        ui.expectModal([](QDialog&) {}); // the job runs as the window comes up
        QObject::connect(&form, &ProgressForm::Execute, [&] {
            QDialog* window = progressWindow(form);
            auto* bar = child<QProgressBar>(window, "pbProgress");
            auto* left = child<QLineEdit>(window, "txtTimeLeft");
            // 0: no bar and no estimate.
            QVERIFY(!bar->isVisible());
            QVERIFY(!left->isVisible());
            QVERIFY(!child<QLabel>(window, "lblTimeLeft")->isVisible());
            // Negative: the bar shows, counting to 100.
            form.setMaximumValue(-5);
            QVERIFY(bar->isVisible() && left->isVisible());
            QCOMPARE(bar->maximum(), 100);
            // A new maximum empties the bar and restarts the estimate's clock.
            now = 10;
            form.Update(QString(), 50);
            QCOMPARE(left->text(), QStringLiteral("10 sec"));
            now = 100;
            form.setMaximumValue(200);
            QCOMPARE(bar->value(), 0);
            QCOMPARE(bar->maximum(), 200);
            QCOMPARE(left->text(), QString());
            now = 110;
            form.Update(QString(), 100);
            QCOMPARE(left->text(), QStringLiteral("10 sec"));
            form.Update(QString(), -3); // below nothing: an empty bar
            QCOMPARE(bar->value(), 0);
            QCOMPARE(left->text(), QString());
            form.Finished();
        });
        form.StartTracking(QStringLiteral("Loading"), 0);
        QCOMPARE(ui.modalNames(), QStringList{QStringLiteral("frmProgress")});
    }

    // Finished before any run, or twice, does nothing; Update outside a run
    // only answers.
    void finishedOutsideARunDoesNothing() {
        ProgressForm form;
        form.Finished();
        QVERIFY(form.Update(QStringLiteral("idle"), 5));
        TestSupport::UiScript ui;
        ui.expectModal([](QDialog&) {});
        QObject::connect(&form, &ProgressForm::Execute, [&] {
            form.Finished();
            form.Finished();
        });
        form.StartTracking(QStringLiteral("x"), 1);
        form.Finished();
        QVERIFY(!form.Form().Loaded());
    }
};

QTEST_MAIN(tst_progress)
#include "tst_progress.moc"
