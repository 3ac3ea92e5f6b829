#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/Documentation.h"
#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>
#include <stdexcept>

using Vezedad::ErrorInfo;
namespace Ui = Vezedad::Ui;

class tst_ui : public QObject {
    Q_OBJECT

private slots:
    // A program linked to this library alone opens the documentation links:
    // the desktop's opener is in place before anyone sets one.
    void documentationOpensThroughTheDesktop() {
        const Vezedad::Documentation::ShellOpener opener = Vezedad::Documentation::shellOpener();
        QVERIFY(opener);
        // What is no address is refused without asking the desktop.
        QCOMPARE(opener(QStringLiteral("http://[no address"), false), qint32(Vezedad::sysNoAssociation));
    }

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

    // A printout goes where the user chooses in the print dialog, which is
    // asked every time, printer or none: a PDF file named there, nowhere on
    // Cancel (the printer as it was), an error when the dialog fails or when
    // nothing was chosen that can print. The dialog starts on the printer's
    // page (landscape here) and the answer keeps it.
    void printingAsksWhereTheOutputGoes_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("prints");
        QTest::addColumn<qint32>("error");
        QTest::newRow("a PDF file") << "pdf" << true << 0;
        QTest::newRow("cancelled") << "cancel" << false << 0;
        QTest::newRow("the dialog fails") << "fail" << false << qint32(4108);
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            QTest::newRow("OK on no printer at all") << "shown" << false << qint32(Vezedad::rtPrinterError);
    }

    void printingAsksWhereTheOutputGoes() {
        QFETCH(QString, answer);
        QFETCH(bool, prints);
        QFETCH(qint32, error);
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("Out.pdf"));
        const QString earlier = folder.filePath(QStringLiteral("Earlier.pdf"));
        TestSupport::UiScript ui;
        if (answer == u"pdf") ui.expectPrintToPdf(pdf);
        if (answer == u"cancel") ui.expectDialogCancel();
        if (answer == u"fail") ui.expectDialogFailure(error);
        if (answer == u"shown")
            ui.expectDialog(Ui::DialogKind::Print, [](Ui::DialogRequest& r) { return Ui::AcceptAsShown(r); });
        QPrinter printer;
        printer.setPageOrientation(QPageLayout::Landscape);
        if (answer == u"cancel") {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(earlier);
        }
        bool prepared = false;
        if (error != 0) {
            const ErrorInfo raised = TestSupport::raisedBy([&] { prepared = Ui::PreparePrinter(printer); });
            QCOMPARE(raised.Number(), error);
        } else {
            prepared = Ui::PreparePrinter(printer);
        }
        QCOMPARE(prepared, prints);
        QCOMPARE(ui.dialogs().size(), 1);
        QCOMPARE(ui.dialogs().at(0).kind, Ui::DialogKind::Print);
        QCOMPARE(ui.dialogs().at(0).print.orientation, 2);
        QVERIFY(ui.dialogs().at(0).print.showPrintToFile && ui.dialogs().at(0).print.enablePrintToFile);
        if (answer == u"pdf") {
            QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
            QCOMPARE(printer.outputFileName(), pdf);
            QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
        }
        if (answer == u"cancel") QCOMPARE(printer.outputFileName(), earlier);
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

    // Windows are tested in the font that stands in for a missing Arial,
    // wider than Arial itself, so that a text cut by a narrow layout shows.
    void windowsAreTestedInTheWideStandInFont() {
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(QFontInfo(Ui::NamedFont(QStringLiteral("Arial"), 9.75)).family(),
                 QFontDatabase::hasFamily(QStringLiteral("Arial")) ? QStringLiteral("Arial")
                                                                   : QStringLiteral("DejaVu Sans"));
    }

    // Where Arial is missing, a window asking for it gets the first installed
    // family drawn to its widths, not the application's wider font; text
    // naming Arial (a printout's mark-up) gets it too. A family without
    // substitutes falls back to the application's.
    void arialGetsItsMetricTwin() {
        if (QFontDatabase::hasFamily(QStringLiteral("Arial"))) QSKIP("Arial itself is installed");
        const TestSupport::ArialFont twins(true);
        const QStringList expected{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                   QStringLiteral("Nimbus Sans")};
        // Qt keeps them in lower case.
        QCOMPARE(QFont::substitutes(QStringLiteral("Arial")).join(u',').toLower(), expected.join(u',').toLower());
        const QFont font = Ui::NamedFont(QStringLiteral("Arial"), 9.75, true);
        QVERIFY2(expected.contains(QFontInfo(font).family()), qPrintable(QFontInfo(font).family()));
        QCOMPARE(font.pointSizeF(), 9.75);
        QVERIFY(font.bold());
        QCOMPARE(QFontInfo(QFont(QStringLiteral("Arial"), 9)).family(), QFontInfo(font).family());
        QCOMPARE(QFontInfo(Ui::NamedFont(QStringLiteral("No Such Family"), 9)).family(), QStringLiteral("DejaVu Sans"));
    }

    // A named list is announced by its name, its current text being its
    // value, also when a screen reader asked it before it was named.
    void namedComboBoxIsHeardByItsName() {
        QComboBox year;
        year.addItems({QStringLiteral("2025"), QStringLiteral("2024")});
        QAccessibleInterface* before = QAccessible::queryAccessibleInterface(&year);
        QCOMPARE(before->text(QAccessible::Name), QStringLiteral("2025"));
        Ui::SetAccessibleName(year, QStringLiteral("Report Year"));
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&year);
        QCOMPARE(face->role(), QAccessible::ComboBox);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Report Year"));
        QCOMPARE(face->text(QAccessible::Value), QStringLiteral("2025"));
        year.setCurrentIndex(1);
        QCOMPARE(face->text(QAccessible::Value), QStringLiteral("2024"));
        QCOMPARE(face->childCount(), 1);
        QVERIFY(face->actionInterface()->actionNames().contains(QAccessibleActionInterface::showMenuAction()));
        QLineEdit box;
        Ui::SetAccessibleName(box, QStringLiteral("Contact Person Name"));
        QCOMPARE(QAccessible::queryAccessibleInterface(&box)->text(QAccessible::Name),
                 QStringLiteral("Contact Person Name"));
    }

    // A dialog opened from another dialog: when it closes, the one that
    // opened it is the active window again and its control has the keys,
    // whether the inner window ran its own loop or the test's script, and
    // for a message box too.
    void closingGivesTheKeysBack_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("modal window, own loop") << 0;
        QTest::newRow("modal window, scripted") << 1;
        QTest::newRow("message box") << 2;
    }

    void closingGivesTheKeysBack() {
        QFETCH(int, kind);
        QDialog outer;
        outer.setObjectName(QStringLiteral("outer"));
        outer.setWindowTitle(QStringLiteral("Outer"));
        auto* first = new QLineEdit(&outer);
        auto* second = new QLineEdit(&outer);
        first->setAccessibleName(QStringLiteral("First"));
        second->setAccessibleName(QStringLiteral("Second"));
        auto* layout = new QVBoxLayout(&outer);
        layout->addWidget(first);
        layout->addWidget(second);
        QWidget* activeAfter = nullptr;
        QWidget* focusAfter = nullptr;
        TestSupport::UiScript ui;
        ui.expectModal([&](QDialog&) {
            outer.activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &outer);
            second->setFocus();
            QDialog inner(&outer);
            inner.setWindowTitle(QStringLiteral("Inner"));
            auto* ok = new QPushButton(QStringLiteral("OK"), &inner);
            (new QVBoxLayout(&inner))->addWidget(ok);
            connect(ok, &QPushButton::clicked, &inner, &QDialog::accept);
            if (kind == 0) {
                Ui::setModalHandler({});
                QTimer::singleShot(0, &inner, [&] {
                    inner.activateWindow();
                    QTRY_COMPARE(QApplication::activeWindow(), &inner);
                    QTest::keyClick(ok, Qt::Key_Space);
                });
                Ui::ExecModal(inner);
            } else if (kind == 1) {
                TestSupport::UiScript innerScript;
                innerScript.expectModal([&](QDialog& d) {
                    d.activateWindow();
                    QTRY_COMPARE(QApplication::activeWindow(), &d);
                    QTest::keyClick(ok, Qt::Key_Space);
                });
                Ui::ExecModal(inner);
            } else {
                Ui::setMessageBoxHandler([&](const Ui::MessageBoxCall&) {
                    inner.show();
                    inner.activateWindow();
                    const bool active = QTest::qWaitFor([&] { return QApplication::activeWindow() == &inner; });
                    if (!active) QTest::qFail("the inner window never became active", __FILE__, __LINE__);
                    inner.hide();
                    return qint32(Ui::vbOK);
                });
                Ui::MsgBox(QStringLiteral("Saved."));
            }
            QTRY_COMPARE(QApplication::activeWindow(), &outer);
            activeAfter = QApplication::activeWindow();
            focusAfter = QApplication::focusWidget();
            if (focusAfter) QTest::keyClicks(focusAfter, QStringLiteral("typed"));
            outer.accept();
        });
        Ui::ExecModal(outer);
        QCOMPARE(activeAfter, &outer);
        QCOMPARE(focusAfter, second);
        QCOMPARE(second->text(), QStringLiteral("typed"));
    }
};

QTEST_MAIN(tst_ui)
#include "tst_ui.moc"
