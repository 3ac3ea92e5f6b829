#pragma once
// Header-only: the tests of windows include it; its handlers are installed
// before main, so such a test fails on any box or window it did not expect.
#include "Vezedad/ui/Ui.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QTest>
#include <deque>
#include <functional>

namespace TestSupport {

// Stands in for the person in front of the windows. A test says which boxes
// and modal windows it expects and how each is answered, in the order they
// come. A box or modal window that nothing expects fails the test and is
// answered with Cancel, so a test can never hang on a window.
//
//   TestSupport::UiScript ui;
//   ui.expectBox(Vezedad::Ui::vbOK);
//   ui.expectModal([](QDialog& d) { d.findChild<QPushButton*>("cmdUpload")->click(); });
//   ... run the code ...
//   QCOMPARE(ui.boxes().at(0).title, "Uploading Report");
class UiScript {
public:
    using Action = std::function<void(QDialog&)>;

    UiScript() {
        Vezedad::Ui::setMessageBoxHandler([this](const Vezedad::Ui::MessageBoxCall& call) {
            m_boxes.append(call);
            if (m_answers.empty()) {
                QTest::qFail(qPrintable(QStringLiteral("Unexpected message box: ") + call.title +
                                        QStringLiteral(" / ") + call.prompt),
                             __FILE__, __LINE__);
                return qint32(Vezedad::Ui::vbCancel);
            }
            const qint32 answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
        Vezedad::Ui::setModalHandler([this](QDialog& dialog) { return runModal(dialog); });
    }

    ~UiScript() {
        installRefusingHandlers();
        if (!m_answers.empty() || !m_actions.empty())
            QTest::qFail("A message box or modal window the test expected was never shown", __FILE__, __LINE__);
    }

    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    // The next message box is answered with answer.
    void expectBox(qint32 answer = Vezedad::Ui::vbOK) { m_answers.push_back(answer); }
    // The next modal window is shown and handed to action, which must close
    // it (press a button, reject, ...). The window has been shown and its
    // pending events processed when action starts.
    void expectModal(Action action) { m_actions.push_back(std::move(action)); }

    const QList<Vezedad::Ui::MessageBoxCall>& boxes() const { return m_boxes; }
    const QStringList& modalNames() const { return m_modalNames; }

    // What a test that expects no window meets: every box or modal window
    // fails. Installed before main by every test that includes this header.
    static void installRefusingHandlers() {
        Vezedad::Ui::setMessageBoxHandler([](const Vezedad::Ui::MessageBoxCall& call) {
            QTest::qFail(qPrintable(QStringLiteral("Unexpected message box: ") + call.title + QStringLiteral(" / ") +
                                    call.prompt),
                         __FILE__, __LINE__);
            return qint32(Vezedad::Ui::vbCancel);
        });
        Vezedad::Ui::setModalHandler([](QDialog& dialog) {
            QTest::qFail(qPrintable(QStringLiteral("Unexpected modal window: ") + dialog.objectName()), __FILE__,
                         __LINE__);
            return int(QDialog::Rejected);
        });
    }

private:
    int runModal(QDialog& dialog) {
        m_modalNames.append(dialog.objectName());
        if (m_actions.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("Unexpected modal window: ") + dialog.objectName()), __FILE__,
                         __LINE__);
            return int(QDialog::Rejected);
        }
        Action action = std::move(m_actions.front());
        m_actions.pop_front();
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        QApplication::processEvents();
        action(dialog);
        if (dialog.isVisible()) {
            QTest::qFail(qPrintable(QStringLiteral("The modal window was left open: ") + dialog.objectName()), __FILE__,
                         __LINE__);
            dialog.reject();
        }
        return dialog.result();
    }

    std::deque<qint32> m_answers;
    std::deque<Action> m_actions;
    QList<Vezedad::Ui::MessageBoxCall> m_boxes;
    QStringList m_modalNames;
};

namespace detail {
inline const bool gRefuseUnexpectedWindows = (UiScript::installRefusingHandlers(), true);
} // namespace detail

} // namespace TestSupport
