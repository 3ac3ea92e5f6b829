#include "support/TestSupport.h"
#include "support/UiScript.h"

#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/LeaveCheck.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using TestSupport::UiScript;
using ZozedizIZ::LeaveCheck;

namespace {

// A window with two checked boxes between other controls, in Tab order:
// chkFirst, txtA, txtB, txtC (unchecked), cmdOK, cmdCancel (causes no
// validation). A box refuses "bad" and says so in a box.
struct Window {
    QDialog window;
    QCheckBox* chkFirst = new QCheckBox(QStringLiteral("&First"), &window);
    QLabel* lblA = new QLabel(QStringLiteral("&Alpha"), &window);
    QLineEdit* txtA = new QLineEdit(&window);
    QLabel* lblB = new QLabel(QStringLiteral("&Beta"), &window);
    QLineEdit* txtB = new QLineEdit(&window);
    QLineEdit* txtC = new QLineEdit(&window);
    QPushButton* cmdOK = new QPushButton(QStringLiteral("&OK"), &window);
    QPushButton* cmdCancel = new QPushButton(QStringLiteral("Cancel"), &window);
    int checksA = 0;
    int checksB = 0;
    int okClicks = 0;
    int cancelClicks = 0;
    std::function<void()> duringCheckA; // what the check does besides judging

    Window() {
        window.setObjectName(QStringLiteral("frmLeave"));
        chkFirst->setObjectName(QStringLiteral("chkFirst"));
        txtA->setObjectName(QStringLiteral("txtA"));
        txtB->setObjectName(QStringLiteral("txtB"));
        txtC->setObjectName(QStringLiteral("txtC"));
        cmdOK->setObjectName(QStringLiteral("cmdOK"));
        lblA->setBuddy(txtA);
        lblB->setBuddy(txtB);
        cmdOK->setAutoDefault(false);
        cmdCancel->setAutoDefault(false);
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{chkFirst, lblA, txtA, lblB, txtB, txtC, cmdOK, cmdCancel})
            layout->addWidget(w);
        QObject::connect(cmdOK, &QPushButton::clicked, [this] { ++okClicks; });
        QObject::connect(cmdCancel, &QPushButton::clicked, [this] { ++cancelClicks; });
        LeaveCheck::Watch(
            txtA,
            [this] {
                ++checksA;
                if (duringCheckA) duringCheckA();
                if (txtA->text() != QStringLiteral("bad")) return true;
                Vezedad::Ui::MsgBox(QStringLiteral("Alpha cannot be bad."));
                return false;
            },
            QStringLiteral("frmLeave.txtA_Validate"));
        LeaveCheck::Watch(
            txtB,
            [this] {
                ++checksB;
                if (txtB->text() != QStringLiteral("bad")) return true;
                Vezedad::Ui::MsgBox(QStringLiteral("Beta cannot be bad."));
                return false;
            },
            QStringLiteral("frmLeave.txtB_Validate"));
        LeaveCheck::SetCausesValidation(cmdCancel, false);
    }

    bool showAndFocus(QWidget* start) {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) return false;
        start->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        return start->hasFocus();
    }
};

// Lets queued checks run, and a little more, so a loop would show.
void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(5);
    }
}

void leave(Window& w, const QString& how) {
    if (how == u"tab") QTest::keyClick(w.txtA, Qt::Key_Tab);
    if (how == u"backtab") QTest::keyClick(w.txtA, Qt::Key_Backtab, Qt::ShiftModifier);
    if (how == u"click box") QTest::mouseClick(w.txtC, Qt::LeftButton);
    if (how == u"click OK") QTest::mouseClick(w.cmdOK, Qt::LeftButton);
    if (how == u"label mnemonic") QTest::keyClick(w.txtA, Qt::Key_B, Qt::AltModifier);
    if (how == u"button mnemonic") QTest::keyClick(w.txtA, Qt::Key_O, Qt::AltModifier);
    settle();
}

} // namespace

class tst_leavecheck : public QObject {
    Q_OBJECT

private slots:
    void leavingRunsTheCheck_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("target"); // where the focus goes when the value is kept
        QTest::addColumn<bool>("pressesOK");
        QTest::newRow("Tab") << "tab"
                             << "txtB" << false;
        QTest::newRow("Shift+Tab") << "backtab"
                                   << "chkFirst" << false;
        QTest::newRow("mouse on a box") << "click box"
                                        << "txtC" << false;
        QTest::newRow("mouse on a button") << "click OK"
                                           << "cmdOK" << true;
        QTest::newRow("label mnemonic") << "label mnemonic"
                                        << "txtB" << false;
        // A button's mnemonic presses it without moving the focus.
        QTest::newRow("button mnemonic") << "button mnemonic"
                                         << "txtA" << true;
    }

    // A refused value keeps the focus and stops the click or shortcut; a
    // kept one lets both go ahead. Either way the check runs once.
    void leavingRunsTheCheck() {
        QFETCH(QString, how);
        QFETCH(QString, target);
        QFETCH(bool, pressesOK);
        {
            Window w;
            QVERIFY(w.showAndFocus(w.txtA));
            w.txtA->setText(QStringLiteral("bad"));
            UiScript ui;
            ui.expectBox();
            leave(w, how);
            QCOMPARE(w.checksA, 1);
            QCOMPARE(w.checksB, 0);
            QTRY_VERIFY(w.txtA->hasFocus());
            QTest::qWait(150); // longer than a mnemonic's animated click
            QCOMPARE(w.okClicks, 0);
            QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("Alpha cannot be bad."));
        }
        {
            Window w;
            QVERIFY(w.showAndFocus(w.txtA));
            w.txtA->setText(QStringLiteral("good"));
            leave(w, how);
            QCOMPARE(w.checksA, 1);
            QTRY_COMPARE(QApplication::focusWidget()->objectName(), target);
            QTRY_COMPARE(w.okClicks, pressesOK ? 1 : 0);
            QCOMPARE(w.checksB, 0);
        }
    }

    // Two boxes that both refuse: leaving the first brings the focus back to
    // it without the second ever checking, so the boxes never take turns.
    void refusalsNeverChaseEachOther() {
        Window w;
        QVERIFY(w.showAndFocus(w.txtA));
        w.txtA->setText(QStringLiteral("bad"));
        w.txtB->setText(QStringLiteral("bad"));
        UiScript ui;
        ui.expectBox();
        QTest::keyClick(w.txtA, Qt::Key_Tab);
        settle();
        QTest::qWait(50);
        QCOMPARE(w.checksA, 1);
        QCOMPARE(w.checksB, 0);
        QVERIFY(w.txtA->hasFocus());

        // Once A is right, leaving it lands in B, whose own refusal keeps it.
        w.txtA->setText(QStringLiteral("good"));
        QTest::keyClick(w.txtA, Qt::Key_Tab);
        settle();
        QVERIFY(w.txtB->hasFocus());
        ui.expectBox();
        QTest::keyClick(w.txtB, Qt::Key_Tab);
        settle();
        QTRY_VERIFY(w.txtB->hasFocus());
        QCOMPARE(w.checksA, 2);
        QCOMPARE(w.checksB, 1);
    }

    // A window that the check itself shows takes the focus and gives it back;
    // neither starts a second check.
    void aWindowShownByTheCheckStartsNoOther() {
        Window w;
        QVERIFY(w.showAndFocus(w.txtA));
        w.txtA->setText(QStringLiteral("bad"));
        w.duringCheckA = [&w] {
            QDialog question(&w.window);
            question.setObjectName(QStringLiteral("frmQuestion"));
            question.setWindowTitle(QStringLiteral("Question"));
            auto* answer = new QLineEdit(&question);
            answer->setAccessibleName(QStringLiteral("Answer"));
            answer->setFocus();
            Vezedad::Ui::ExecModal(question);
        };
        UiScript ui;
        ui.expectModal([](QDialog& question) {
            // The window the check shows takes the focus (without a window
            // manager to hand it over, it asks for it).
            question.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&question));
            QTRY_VERIFY(question.isAncestorOf(QApplication::focusWidget()));
            question.accept();
        });
        ui.expectBox();
        QTest::keyClick(w.txtA, Qt::Key_Tab);
        settle();
        // The window comes back to the front, as a window manager brings it.
        w.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        settle();
        QVERIFY(w.txtA->hasFocus());
        QTest::qWait(50);
        QCOMPARE(w.checksA, 1);
    }

    // A menu taking the focus is no leaving.
    void aMenuStartsNoCheck() {
        Window w;
        QVERIFY(w.showAndFocus(w.txtA));
        w.txtA->setText(QStringLiteral("bad"));
        QMenu menu(&w.window);
        menu.addAction(QStringLiteral("Item"));
        menu.popup(w.txtA->mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        settle();
        menu.close();
        settle();
        QCOMPARE(w.checksA, 0);
    }

    // Cancel takes the focus without the check; the check stays due and runs
    // when the focus moves on to a control that causes validation.
    void cancelSkipsTheCheck() {
        Window w;
        QVERIFY(w.showAndFocus(w.txtA));
        w.txtA->setText(QStringLiteral("bad"));
        QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
        settle();
        QCOMPARE(w.cancelClicks, 1);
        QCOMPARE(w.checksA, 0);
        QVERIFY(!LeaveCheck::CausesValidation(w.cmdCancel));

        UiScript ui;
        ui.expectBox();
        QTest::keyClick(w.cmdCancel, Qt::Key_Tab); // on to chkFirst
        settle();
        QCOMPARE(w.checksA, 1);
        QTRY_VERIFY(w.txtA->hasFocus());
    }

    // The check on demand, as an OK button's handler runs it.
    void checkOnDemand() {
        Window w;
        QVERIFY(w.showAndFocus(w.txtA));
        w.txtA->setText(QStringLiteral("good"));
        LeaveCheck::ValidateControls(&w.window);
        QCOMPARE(w.checksA, 1);

        w.txtA->setText(QStringLiteral("bad"));
        UiScript ui;
        ui.expectBox();
        const Vezedad::ErrorInfo refused = TestSupport::raisedBy([&] { LeaveCheck::ValidateControls(&w.window); });
        QCOMPARE(refused.Number(), 380);
        QCOMPARE(refused.Description(), QStringLiteral("Invalid property value"));
        QVERIFY(w.txtA->hasFocus());

        // The box left for Cancel is still due.
        QTest::mouseClick(w.cmdCancel, Qt::LeftButton);
        ui.expectBox();
        QVERIFY(!LeaveCheck::ValidateFocused(&w.window));
        QTRY_VERIFY(w.txtA->hasFocus());
        QCOMPARE(w.checksA, 3);

        // A focused control without a check has nothing due.
        w.txtA->setText(QStringLiteral("good"));
        w.txtC->setFocus();
        settle();
        QVERIFY(LeaveCheck::ValidateFocused(&w.window));
    }

    // An error inside a check is shown with the check's location and keeps
    // the focus in the box.
    void anErrorInTheCheckRefuses() {
        Window w;
        QVERIFY(w.showAndFocus(w.txtA));
        w.duringCheckA = [] { throw Vezedad::ErrorInfo(13, QStringLiteral("Type mismatch"), QStringLiteral("X")); };
        UiScript ui;
        ui.expectBox();
        QTest::keyClick(w.txtA, Qt::Key_Tab);
        settle();
        QTRY_VERIFY(w.txtA->hasFocus());
        QCOMPARE(ui.boxes().at(0).prompt, QStringLiteral("Error 13: Type mismatch\nIn frmLeave.txtA_Validate\n-->X"));
    }
};

QTEST_MAIN(tst_leavecheck)
#include "tst_leavecheck.moc"
