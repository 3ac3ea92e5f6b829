// The windows on the small screens a user may have: 1024 x 768, and the same
// at 1.5 times scale, 683 x 512 in the windows' pixels (each a run of its own:
// TestSupport::rerunOnSmallScreens; on an X server its screen scaled). Each
// window opens as the program opens it, and the walk of every window fails
// when its frame leaves the screen.
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

#include <QFontInfo>
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

// The run on 1024 x 768 at 1.5 times scale (on an X server, scaled twice).
bool scaledScreen() { return QGuiApplication::primaryScreen()->devicePixelRatio() > 1.25; }

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

private slots:
    void initTestCase() {
        qInfo("On a screen of %s: %dx%d in the windows' pixels", qPrintable(TestSupport::screenName()),
              screenArea().width(), screenArea().height());
        // The scaled screen is smaller than the Control Center's layout in
        // both directions, the other only in height where fonts are wide.
        QVERIFY(scaledScreen() ? screenArea().width() < 700 && screenArea().height() < 520
                               : screenArea().width() == 1024);
    }

    void cleanup() { modGlobals::End(); }

    // The Control Center opens inside the screen. In Arial's metric twin, as
    // users get it, its layout fits 1024 x 768 whole; where the screen is
    // smaller than its layout, its canvas scrolls, and Tab brings each command
    // into view as it reaches it.
    void controlCenterFits_data() { TestSupport::addArialFontRows(); }
    void controlCenterFits() {
        QFETCH(bool, twins);
        const TestSupport::ArialFont font(twins);
        Folder folder;
        TestSupport::setIdentity(kComplete);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Dazozuvi: the update check failed")));
        QVERIFY(modGlobals::Main());
        ZozedizIZ::frmController& center = *ZozedizIZ::Globals::Controller(1)->Form();
        QVERIFY(QTest::qWaitForWindowExposed(&center));
        QCOMPARE(QFontInfo(center.font()).family(), font.family());
        TestSupport::walkWindow(center);
        auto* area = child<QScrollArea>(center, QStringLiteral("scrCanvas"));
        const bool across = area->horizontalScrollBar()->isVisible();
        const bool down = area->verticalScrollBar()->isVisible();
        const QString size = QStringLiteral("%1x%2, its canvas %3x%4")
                                 .arg(center.width())
                                 .arg(center.height())
                                 .arg(area->widget()->minimumWidth())
                                 .arg(area->widget()->minimumHeight());
        if (scaledScreen())
            QVERIFY2(across && down, qPrintable(size));
        else if (twins)
            QVERIFY2(!across && !down, qPrintable(size));

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

    // Each report form fits the screen, its grid and file label in view, and
    // opens as wide as its header and its grid's columns need where the
    // screen has room; so does the print preview it opens.
    void reportFormFits_data() {
        QTest::addColumn<qint32>("formType");
        QTest::addColumn<bool>("twins");
        const QList<std::pair<const char*, qint32>> forms{{"Form 25", Vezedad::zfotForm25},
                                                          {"Form 26", Vezedad::zfotForm26},
                                                          {"Form 26A", Vezedad::zfotForm26A},
                                                          {"Form 27", Vezedad::zfotForm27}};
        for (const auto& [name, type] : forms) {
            QTest::addRow("%s, Arial's metric twin", name) << type << true;
            QTest::addRow("%s, wider stand-in", name) << type << false;
        }
    }
    void reportFormFits() {
        QFETCH(qint32, formType);
        QFETCH(bool, twins);
        const TestSupport::ArialFont font(twins);
        Folder folder;
        TestSupport::setIdentity(kComplete);
        UiScript ui;
        const auto fits = [&ui, formType, twins](Dazozuvi::ReportForm& form) {
            gridAndFileLabelShow(form);
            opensAsWideAsItNeeds(form);
            // In Arial's widths the list's columns fit 683 pixels whole: a
            // tick in "No Applications" is seen beside the Cert ID it is for.
            if (formType == Vezedad::zfotForm26A && twins && screenArea().width() >= 683)
                QVERIFY2(notShownWhole(form).isEmpty(), qPrintable(notShownWhole(form).join(QStringLiteral(", "))));
            ui.expectModal([](QDialog& preview) {
                QCOMPARE(preview.objectName(), QStringLiteral("frmPrintPreview"));
                preview.reject();
            });
            trigger(form, QStringLiteral("mnuFilePrint"));
        };
        const QString none = folder.file(QStringLiteral("none.txt"));
        switch (formType) {
        case Vezedad::zfotForm25: showForm<Dazozuvi::Form25>(ui, none, fits); break;
        case Vezedad::zfotForm26: showForm<Dazozuvi::Form26>(ui, none, fits); break;
        case Vezedad::zfotForm26A: showForm<Dazozuvi::Form26A>(ui, none, fits); break;
        default: showForm<Dazozuvi::Form27>(ui, none, fits); break;
        }
        QVERIFY(ui.modalNames().contains(QStringLiteral("frmPrintPreview")));
    }

    // The upload's response window shows its page and buttons on the screen.
    void uploadResponseFits() {
        Folder folder;
        VezirodEdovud::frmUploadResponse response;
        response.Initialize(nullptr, folder.file(QStringLiteral("none.zip")));
        UiScript ui;
        ui.expectModal([](QDialog& d) {
            QVERIFY2(TestSupport::outsideScreen(d).isEmpty(), qPrintable(TestSupport::outsideScreen(d)));
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

int main(int argc, char** argv) {
    const int rerun = TestSupport::rerunOnSmallScreens(argc, argv);
    if (rerun >= 0) return rerun;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_small_screen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_small_screen.moc"
