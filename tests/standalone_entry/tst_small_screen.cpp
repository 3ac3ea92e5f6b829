// The windows on a small screen: 1024 x 768 at 1.5 times scale, 683 x 512 in
// the windows' pixels (TestSupport::useSmallScreen; on an X server its
// screen scaled twice). Each window opens as the program opens it, and the
// walk of every window fails when its frame leaves the screen.
#include "ZozedizIZ/shell/IdentityFields.h"
#include "standalone_entry/forms/FormTest.h"

#include "ApplicationA.h"
#include "Startup.h"
#include "forms/Form25.h"
#include "forms/Form26.h"
#include "forms/Form26A.h"
#include "forms/Form27.h"
#include "modGlobals.h"

#include "applicators/frmSelAppl.h"
#include "grid/frmExitOptions.h"

#include "ZiverezUvaveded/frmFileList.h"
#include "ZiverezUvaveded/frmTrouble.h"
#include "ZiverezUvaveded/frmUploadResponse.h"
#include "ZozedizIZ/editors/CountySelector.h"
#include "ZozedizIZ/editors/EpaDataList.h"
#include "ZozedizIZ/shell/Controller.h"
#include "ZozedizIZ/shell/Globals.h"
#include "ZozedizIZ/shell/frmChangeYear.h"
#include "ZozedizIZ/shell/frmController.h"
#include "ZozedizIZ/shell/frmIdentity.h"
#include "ZozedizIZ/shell/frmMoreApplicators.h"
#include "ZozedizIZ/shell/frmValidationResponse.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

using namespace FormTest;
namespace modGlobals = Dazozuvi::modGlobals;

namespace {

const TestSupport::IdentityFields kComplete{"12345", "C1234567", "R12345",        "Al Roe",
                                            "Jo",    "555-0100", "jo@example.com"};

QRect screenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// Where the screen shows part, on the screen: inside the screen and every
// window, scrolling area and frame it sits in.
QRect shownOnScreen(const QWidget& part) {
    QRect shown(part.mapToGlobal(QPoint(0, 0)), part.size());
    for (const QWidget* p = part.parentWidget(); p; p = p->parentWidget())
        shown &= QRect(p->mapToGlobal(QPoint(0, 0)), p->size());
    return shown & screenArea();
}

// part is whole on the screen.
bool wholeOnScreen(const QWidget& part) { return shownOnScreen(part).size() == part.size(); }

// A form's grid, with its scroll bars, and its file label are whole on the
// screen.
void gridAndFileLabelShow(QDialog& form) {
    QVERIFY(TestSupport::outsideScreen(form).isEmpty());
    auto* grid = child<QAbstractScrollArea>(form, QStringLiteral("fpZelForm"));
    QVERIFY2(wholeOnScreen(*grid), qPrintable(QStringLiteral("the grid shows %1 of %2 rows of pixels")
                                                  .arg(shownOnScreen(*grid).height())
                                                  .arg(grid->height())));
    QVERIFY(grid->height() > 0);
    auto* file = child<QLabel>(form, QStringLiteral("lblFileName"));
    QVERIFY(wholeOnScreen(*file));
}

} // namespace

class tst_small_screen : public QObject {
    Q_OBJECT

public:
    static void initMain() { TestSupport::useSmallScreen(); }

private slots:
    void initTestCase() {
        // Smaller than the Control Center's layout, in both directions.
        QVERIFY2(screenArea().width() < 700 && screenArea().height() < 520,
                 qPrintable(QStringLiteral("%1x%2").arg(screenArea().width()).arg(screenArea().height())));
    }

    void cleanup() { modGlobals::End(); }

    // The Control Center opens inside the screen and scrolls its canvas; Tab
    // brings each command into view as it reaches it.
    void controlCenterScrolls() {
        Folder folder;
        TestSupport::setIdentity(kComplete);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Dazozuvi: the update check failed")));
        QVERIFY(modGlobals::Main());
        ZozedizIZ::frmController& center = *ZozedizIZ::Globals::Controller(1)->Form();
        QVERIFY(QTest::qWaitForWindowExposed(&center));
        TestSupport::walkWindow(center);
        auto* area = child<QScrollArea>(center, QStringLiteral("scrCanvas"));
        QVERIFY(area->horizontalScrollBar()->isVisible() && area->verticalScrollBar()->isVisible());

        center.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&center));
        child<QWidget>(center, QStringLiteral("txtBusinessName"))->setFocus(Qt::TabFocusReason);
        QStringList reached;
        for (int i = 0; i < 40 && !reached.contains(QStringLiteral("cmdExit")); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            if (!qobject_cast<QPushButton*>(focus)) continue;
            QVERIFY2(wholeOnScreen(*focus), qPrintable(focus->objectName()));
            reached << focus->objectName();
        }
        for (const char* name : {"cmdNew", "cmdOpen", "cmdValidate", "cmdUpload"})
            QVERIFY2(reached.contains(QLatin1String(name)), qPrintable(reached.join(QLatin1Char(' '))));
        UiScript ui;
        center.close();
    }

    // Each report form fits the screen, its grid and file label in view.
    void reportFormFits_data() {
        QTest::addColumn<qint32>("formType");
        QTest::newRow("Form 25") << qint32(Vezedad::zfotForm25);
        QTest::newRow("Form 26") << qint32(Vezedad::zfotForm26);
        QTest::newRow("Form 26A") << qint32(Vezedad::zfotForm26A);
        QTest::newRow("Form 27") << qint32(Vezedad::zfotForm27);
    }
    void reportFormFits() {
        QFETCH(qint32, formType);
        Folder folder;
        TestSupport::setIdentity(kComplete);
        UiScript ui;
        const auto fits = [](Dazozuvi::ReportForm& form) { gridAndFileLabelShow(form); };
        const QString none = folder.file(QStringLiteral("none.txt"));
        switch (formType) {
        case Vezedad::zfotForm25: showForm<Dazozuvi::Form25>(ui, none, fits); break;
        case Vezedad::zfotForm26: showForm<Dazozuvi::Form26>(ui, none, fits); break;
        case Vezedad::zfotForm26A: showForm<Dazozuvi::Form26A>(ui, none, fits); break;
        default: showForm<Dazozuvi::Form27>(ui, none, fits); break;
        }
        QVERIFY(!ui.modalNames().isEmpty());
    }

    // The upload's response window shows its page and buttons on the screen.
    void uploadResponseFits() {
        Folder folder;
        VezirodEdovud::frmUploadResponse response;
        response.Initialize(nullptr, folder.file(QStringLiteral("none.zip")));
        UiScript ui;
        ui.expectModal([](QDialog& d) {
            QVERIFY(TestSupport::outsideScreen(d).isEmpty());
            for (const char* name : {"cmdPrint", "cmdDone"})
                QVERIFY2(wholeOnScreen(*child<QWidget>(d, QLatin1String(name))), name);
            QTest::mouseClick(child<QPushButton>(d, QStringLiteral("cmdDone")), Qt::LeftButton);
        });
        Vezedad::Ui::ExecModal(response);
    }

    // The other windows, each opened as the program opens it: the walk of
    // each checks that it lies inside the screen and shows its texts whole.
    void otherWindowsFit() {
        Folder folder;
        TestSupport::setIdentity(kComplete);
        UiScript ui;
        const auto close = [](QDialog& d) {
            if (auto* add = d.findChild<QPushButton*>(QStringLiteral("cmdAdd"))) QTest::mouseClick(add, Qt::LeftButton);
            d.reject();
        };
        const QList<std::function<void()>> opens{
            [] {
                ZozedizIZ::Globals::ShowAbout(QStringLiteral("Dazozuvi"), QStringLiteral("Product"),
                                              QStringLiteral("Description"), QStringLiteral("1.0.0"),
                                              QStringLiteral("Company"), QStringLiteral("the help desk"),
                                              QStringLiteral("Copyright"));
            },
            [&ui, close] {
                // Its Add opens the product editor above it.
                ui.expectModal(close);
                ZozedizIZ::modGlobals::EpaList().EditList();
            },
            [] { ZozedizIZ::modGlobals::ShowNoConnection(); },
            [] { ZozedizIZ::frmChangeYear().ShowDialog(); },
            [] {
                ZozedizIZ::frmIdentity form;
                form.Initialize(Vezedad::zfotForm26, QStringLiteral("Complete the identity."));
                form.ShowModal();
            },
            [] { ZozedizIZ::frmMoreApplicators().ShowModal(); },
            [&folder] {
                ZozedizIZ::frmValidationResponse().ShowDialog(folder.file(QString()), QStringLiteral("M1234500.txt"),
                                                              QStringLiteral("exception_M1234500.txt"),
                                                              Vezedad::kvesSerious);
            },
            [] { ZozedizIZ::CountySelector().Setup(); },
            [&folder] {
                VezirodEdovud::frmFileList list;
                list.Initialize(Vezedad::kvoOptionA, folder.file(QString()));
                Vezedad::Ui::ExecModal(list);
            },
            [] {
                VezirodEdovud::frmTrouble trouble;
                Vezedad::Ui::ExecModal(trouble);
            },
            [] {
                Dazozuvi::frmSelAppl select;
                Vezedad::Ui::ExecModal(select);
            },
            [] {
                Dazozuvi::frmExitOptions options;
                Vezedad::Ui::ExecModal(options);
            },
        };
        for (const auto& open : opens) {
            ui.expectModal(close);
            open();
        }
        QCOMPARE(ui.modalNames(),
                 (QStringList{"frmAbout", "frmEPAEditor", "frmEpaItemEditor", "frmInfo", "frmChangeYear", "frmIdentity",
                              "frmMoreApplicators", "frmValidationResponse", "frmCountyCodes", "frmFileList",
                              "frmTrouble", "frmSelAppl", "frmExitOptions"}));
    }
};

QTEST_MAIN(tst_small_screen)
#include "tst_small_screen.moc"
