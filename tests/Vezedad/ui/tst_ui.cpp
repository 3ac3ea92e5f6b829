#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <stdexcept>

using Vezedad::ErrorInfo;
namespace Ui = Vezedad::Ui;

class tst_ui : public QObject {
    Q_OBJECT

private slots:
    // A failing slot body reaches the user in the layout its caller names,
    // whatever was thrown, and never escapes the guard.
    void guardShowsEveryFailureInItsLayout() {
        TestSupport::UiScript ui;
        ui.expectBox();
        ui.expectBox();
        ui.expectBox();
        Ui::GuardShowError(QStringLiteral("ZozedizIZ::frmController.cmdOpen_Click"), [] {
            throw ErrorInfo(380, QStringLiteral("Invalid property value"), QStringLiteral("X.Y"));
        });
        Ui::GuardShowProcedureError(QStringLiteral("Form_Load"), Ui::OwnerKind::Form, QStringLiteral("frmInfo"),
                                    [] { throw std::runtime_error("bad"); });
        Ui::GuardShowError(QStringLiteral("Here"), [] { throw 42; });
        bool ran = false;
        Ui::GuardShowError(QStringLiteral("Quiet"), [&] { ran = true; });
        QVERIFY(ran);
        QCOMPARE(ui.boxes().size(), 3);
        QCOMPARE(
            ui.boxes().at(0).prompt,
            QStringLiteral("Error 380: Invalid property value\nIn ZozedizIZ::frmController.cmdOpen_Click\n-->X.Y"));
        QVERIFY(ui.boxes().at(1).prompt.contains(QStringLiteral("\nIn procedure Form_Load of Form frmInfo\n")));
        QVERIFY(ui.boxes().at(1).prompt.contains(QStringLiteral("bad")));
        QVERIFY(ui.boxes().at(2).prompt.startsWith(QStringLiteral("Error ")));
    }

    // The cursor comes back on every path out, an error included, and nested
    // hourglasses restore in order.
    void hourglassRestoresOnEveryPath() {
        QWidget window;
        window.setCursor(Qt::IBeamCursor);
        try {
            Ui::Hourglass outer(&window);
            QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
            {
                Ui::Hourglass inner(&window);
                QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
            }
            QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
            throw ErrorInfo(5, QStringLiteral("x"), QStringLiteral("y"));
        } catch (const ErrorInfo&) {
        }
        QCOMPARE(window.cursor().shape(), Qt::IBeamCursor);

        QWidget plain;
        { Ui::Hourglass busy(&plain); }
        QCOMPARE(plain.cursor().shape(), Qt::ArrowCursor);

        QVERIFY(!QApplication::overrideCursor());
        try {
            Ui::Hourglass busy;
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            throw 1;
        } catch (int) {
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    // The handler runs once, after the window is up, however often the
    // window is shown or activated again.
    void firstActivationRunsOnce() {
        QWidget window;
        int calls = 0;
        bool visibleWhenCalled = false;
        Ui::OnFirstActivation(window, [&] {
            ++calls;
            visibleWhenCalled = window.isVisible();
        });
        QCOMPARE(calls, 0);
        window.show();
        QTRY_COMPARE(calls, 1);
        QVERIFY(visibleWhenCalled);
        window.activateWindow();
        window.hide();
        window.show();
        QTest::qWait(20);
        QCOMPARE(calls, 1);
    }

    // With no printer installed a printout still has somewhere to go: a PDF
    // file the user names, or nothing when the user cancels.
    void noPrinterPrintsToAChosenPdf() {
        if (!QPrinterInfo::availablePrinterNames().isEmpty()) QSKIP("this machine has a printer installed");
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("Out.pdf"));
        TestSupport::UiScript ui;
        ui.expectFile(pdf);
        QPrinter printer;
        QVERIFY(Ui::PreparePrinter(printer));
        QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(printer.outputFileName(), pdf);
        QCOMPARE(ui.dialogs().size(), 1);

        ui.expectDialogCancel();
        QPrinter other;
        QVERIFY(!Ui::PreparePrinter(other));
        QVERIFY(other.outputFileName().isEmpty());
    }

    // A box that the test did not expect fails it and is answered with
    // Cancel; one that it expects gets the scripted answer.
    void scriptedBoxesAnswer() {
        TestSupport::UiScript ui;
        ui.expectBox(Ui::vbNo);
        QCOMPARE(Ui::MsgBox(QStringLiteral("Save?"), Ui::vbYesNoCancel, QStringLiteral("Warning")), qint32(Ui::vbNo));
        QCOMPARE(ui.boxes().at(0).title, QStringLiteral("Warning"));
    }

    // Enter presses the button the caller made the default, the first one
    // unless told otherwise.
    void realBoxDefaultButton_data() {
        QTest::addColumn<qint32>("buttons");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("first unless told") << qint32(Ui::vbYesNo) << qint32(Ui::vbYes);
        QTest::newRow("second") << qint32(Ui::vbYesNo | Ui::vbDefaultButton2) << qint32(Ui::vbNo);
        QTest::newRow("third") << qint32(Ui::vbAbortRetryIgnore | Ui::vbDefaultButton3) << qint32(Ui::vbIgnore);
        QTest::newRow("beyond the buttons") << qint32(Ui::vbOKOnly | Ui::vbDefaultButton3) << qint32(Ui::vbOK);
    }

    void realBoxDefaultButton() {
        QFETCH(qint32, buttons);
        QFETCH(qint32, expected);
        Ui::setMessageBoxHandler({});
        QTimer pressEnter;
        int tries = 0;
        QObject::connect(&pressEnter, &QTimer::timeout, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (box && box->isVisible()) {
                QTest::keyClick(box, Qt::Key_Return);
            } else if (++tries > 500) {
                // Never hang: the box did not come.
                pressEnter.stop();
            }
        });
        pressEnter.start(10);
        const qint32 answer = Ui::MsgBox(QStringLiteral("Go on?"), buttons, QStringLiteral("Question"));
        pressEnter.stop();
        TestSupport::UiScript::installRefusingHandlers();
        QCOMPARE(answer, expected);
    }

    // A coloured check box or option button shows the window's colour across
    // its whole width, not a band of the button colour.
    void backColorFillsCheckBoxesAndOptions_data() {
        QTest::addColumn<bool>("option");
        QTest::newRow("check box") << false;
        QTest::newRow("option button") << true;
    }

    void backColorFillsCheckBoxesAndOptions() {
        QFETCH(bool, option);
        std::unique_ptr<QAbstractButton> button;
        if (option)
            button = std::make_unique<QRadioButton>(QStringLiteral("Yes"));
        else
            button = std::make_unique<QCheckBox>(QStringLiteral("Yes"));
        QPalette grey = button->palette();
        grey.setColor(QPalette::Button, QColor(128, 128, 128));
        button->setPalette(grey);
        button->resize(200, 30);
        Ui::SetBackColor(*button);
        const QColor expected = button->palette().color(QPalette::Window);
        QVERIFY(expected != QColor(128, 128, 128));
        const QImage image = button->grab().toImage();
        QCOMPARE(image.pixelColor(image.width() - 2, image.height() / 2).rgb(), expected.rgb());
    }
};

QTEST_MAIN(tst_ui)
#include "tst_ui.moc"
