#pragma once
// Header-only: the tests of windows include it; its handlers are installed
// before main, so such a test fails on any box or window it did not expect.
#include "Vezedad/ui/Dialogs.h"
#include "Vezedad/ui/Ui.h"
#include "WindowWalk.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QTest>
#include <deque>
#include <functional>
#include <initializer_list>

namespace TestSupport {

// Stands in for the person in front of the windows. A test says which boxes,
// modal windows and common dialogs it expects and how each is answered, in
// the order they come (boxes, modal windows and dialogs each keep their own
// order). Anything that nothing expects fails the test and is answered with
// Cancel, so a test can never hang on a window.
//
//   TestSupport::UiScript ui;
//   ui.expectBox(Vezedad::Ui::vbOK);
//   ui.expectModal([](QDialog& d) { d.findChild<QPushButton*>("cmdUpload")->click(); });
//   ui.expectFile(folder + "/P1.txt");
//   ... run the code ...
//   QCOMPARE(ui.boxes().at(0).title, "Uploading Report");
//   QCOMPARE(ui.dialogs().at(0).title, "Select File to Open");
//
// Each modal window of the system that it shows is walked first (see
// WindowWalk.h): a control without an accessible name or a text that does
// not fit fails the test. Qt's own dialogs (expectRealDialog) are not.
//
// A scripted common dialog calls the request's hooks as a real one would:
// shown, the folder and file changes, the OK check, closed. When the OK
// check refuses, the dialog stays open and the next expected dialog answer
// answers it again.
class UiScript {
public:
    using Action = std::function<void(QDialog&)>;
    using Kind = Vezedad::Ui::DialogKind;
    using Request = Vezedad::Ui::DialogRequest;
    using Answer = Vezedad::Ui::DialogAnswer;
    using DialogAction = std::function<Answer(Request&)>;

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
        Vezedad::Ui::setDialogHandler([this](Vezedad::Ui::DialogRequest& request) { return runDialog(request); });
    }

    ~UiScript() {
        installRefusingHandlers();
        if (!m_answers.empty() || !m_actions.empty())
            QTest::qFail("A message box or modal window the test expected was never shown", __FILE__, __LINE__);
        if (!m_dialogAnswers.empty())
            QTest::qFail("A common dialog the test expected was never shown", __FILE__, __LINE__);
    }

    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    // The next message box is answered with answer.
    void expectBox(qint32 answer = Vezedad::Ui::vbOK) { m_answers.push_back(answer); }
    // The next modal window is shown and handed to action, which must close
    // it (press a button, reject, ...). The window has been shown and its
    // pending events processed when action starts.
    void expectModal(Action action) { m_actions.push_back(ModalEntry{std::move(action), true}); }

    // The next common dialog: an open or save dialog answered with OK on
    // path (filterIndex from 0; -1 keeps the type the dialog started with).
    void expectFile(const QString& path, int filterIndex = -1) {
        expectAnswer({Kind::OpenFile, Kind::SaveFile}, [path, filterIndex](Request& request) {
            Answer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = QStringList{path};
            if (filterIndex >= 0) answer.filterIndex = filterIndex;
            return answer;
        });
    }
    // A multi-select open dialog answered with OK on these paths.
    void expectFiles(const QStringList& paths) {
        expectAnswer({Kind::OpenFile}, [paths](Request& request) {
            if (!request.file.multiSelect)
                QTest::qFail("Several files chosen in a single-file dialog", __FILE__, __LINE__);
            Answer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = paths;
            return answer;
        });
    }
    void expectFolder(const QString& path) {
        expectAnswer({Kind::Folder}, [path](Request& request) {
            Answer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.files = QStringList{path};
            return answer;
        });
    }
    // A colour dialog answered with OK on color (0x00BBGGRR).
    void expectColor(qint32 color) {
        expectAnswer({Kind::Color}, [color](Request& request) {
            Answer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.color = Vezedad::Ui::ColorFromOle(color);
            return answer;
        });
    }
    // A font dialog answered with OK on font, and on color when it is valid.
    void expectFont(const QFont& font, const QColor& color = QColor()) {
        expectAnswer({Kind::Font}, [font, color](Request& request) {
            Answer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.font = font;
            if (color.isValid()) answer.fontColor = color;
            return answer;
        });
    }
    // A print or page set-up dialog answered with OK on these settings.
    void expectPrint(const Vezedad::Ui::PrinterChoice& choice) { expectPrinter(Kind::Print, choice); }
    // A print dialog answered with OK on its "Print to File (PDF)" choice and
    // path, everything else as the dialog showed it.
    void expectPrintToPdf(const QString& path) {
        expectAnswer({Kind::Print}, [path](Request& request) {
            Answer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.printer.name = QStringLiteral("Print to File (PDF)");
            answer.printer.driver = QStringLiteral("PDF");
            answer.printer.printToFile = true;
            answer.printer.port = path;
            return answer;
        });
    }
    void expectPageSetup(const Vezedad::Ui::PrinterChoice& choice) { expectPrinter(Kind::PageSetup, choice); }
    // Any common dialog, cancelled by the user.
    void expectDialogCancel() {
        expectAnswer({}, [](Request&) { return Answer::cancelled(); });
    }
    // Any common dialog, failing with this extended error code.
    void expectDialogFailure(qint32 extendedError) {
        expectAnswer({}, [extendedError](Request&) { return Answer::failed(extendedError); });
    }
    // A dialog of this kind answered by action, which sees the request.
    void expectDialog(Kind kind, DialogAction action) { expectAnswer({kind}, std::move(action)); }
    // Any common dialog, shown as Qt's own dialog and handed to action as a
    // modal window (see expectModal).
    void expectRealDialog(Action action) {
        m_dialogAnswers.push_back(DialogEntry{{}, nullptr, true});
        m_actions.push_back(ModalEntry{std::move(action), false});
    }

    const QList<Vezedad::Ui::MessageBoxCall>& boxes() const { return m_boxes; }
    const QStringList& modalNames() const { return m_modalNames; }
    // Every common dialog asked for, as it was asked.
    const QList<Vezedad::Ui::DialogRequest>& dialogs() const { return m_dialogs; }

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
        Vezedad::Ui::setDialogHandler([](Vezedad::Ui::DialogRequest& request) {
            QTest::qFail(qPrintable(QStringLiteral("Unexpected common dialog: ") + describe(request)), __FILE__,
                         __LINE__);
            return Vezedad::Ui::DialogAnswer::cancelled();
        });
    }

private:
    struct ModalEntry {
        Action action;
        bool walk = true; // a window of the system, not one of Qt's dialogs
    };
    struct DialogEntry {
        QList<Kind> kinds; // empty: any kind
        DialogAction answer;
        bool real = false;
    };

    static QString describe(const Request& request) {
        static const char* const names[] = {"open file", "save file", "folder",    "colour",
                                            "font",      "print",     "page setup"};
        return QString::fromLatin1(names[int(request.kind)]) + QStringLiteral(" / ") + request.title;
    }

    void expectAnswer(std::initializer_list<Kind> kinds, DialogAction action) {
        m_dialogAnswers.push_back(DialogEntry{QList<Kind>(kinds), std::move(action), false});
    }

    void expectPrinter(Kind kind, const Vezedad::Ui::PrinterChoice& choice) {
        expectAnswer({kind}, [choice](Request& request) {
            Answer answer = Vezedad::Ui::AcceptAsShown(request);
            answer.printer = choice;
            return answer;
        });
    }

    static void hook(const std::function<void(qint32)>& f) {
        if (f) f(0);
    }

    Answer runDialog(Request& request) {
        m_dialogs.append(request);
        const bool fileKind = request.kind == Kind::OpenFile || request.kind == Kind::SaveFile;
        bool shown = false;
        for (;;) {
            if (m_dialogAnswers.empty() ||
                (!m_dialogAnswers.front().kinds.isEmpty() && !m_dialogAnswers.front().kinds.contains(request.kind))) {
                QTest::qFail(qPrintable(QStringLiteral("Unexpected common dialog: ") + describe(request)), __FILE__,
                             __LINE__);
                if (shown) hook(request.hooks.closed);
                return Answer::cancelled();
            }
            DialogEntry entry = std::move(m_dialogAnswers.front());
            m_dialogAnswers.pop_front();
            if (entry.real) return Vezedad::Ui::RunQtDialog(request);
            if (!shown) hook(request.hooks.shown);
            shown = true;
            const Answer answer = entry.answer(request);
            if (fileKind && answer.result == 1) {
                hook(request.hooks.folderChanged);
                if (answer.filterIndex != request.file.filterIndex) hook(request.hooks.typeChanged);
                hook(request.hooks.fileChanged);
                // A refused OK leaves the dialog open for the next answer.
                if (request.hooks.confirmOk && !request.hooks.confirmOk(0)) continue;
            }
            hook(request.hooks.closed);
            return answer;
        }
    }

    int runModal(QDialog& dialog) {
        m_modalNames.append(dialog.objectName());
        if (m_actions.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("Unexpected modal window: ") + dialog.objectName()), __FILE__,
                         __LINE__);
            return int(QDialog::Rejected);
        }
        ModalEntry entry = std::move(m_actions.front());
        m_actions.pop_front();
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        // At its first size, laid out, before its first activation runs.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (entry.walk) walkWindow(dialog);
        QApplication::processEvents();
        entry.action(dialog);
        if (dialog.isVisible()) {
            QTest::qFail(qPrintable(QStringLiteral("The modal window was left open: ") + dialog.objectName()), __FILE__,
                         __LINE__);
            dialog.reject();
        }
        return dialog.result();
    }

    std::deque<qint32> m_answers;
    std::deque<ModalEntry> m_actions;
    std::deque<DialogEntry> m_dialogAnswers;
    QList<Vezedad::Ui::MessageBoxCall> m_boxes;
    QStringList m_modalNames;
    QList<Vezedad::Ui::DialogRequest> m_dialogs;
};

namespace detail {
inline const bool gRefuseUnexpectedWindows = (UiScript::installRefusingHandlers(), true);
} // namespace detail

} // namespace TestSupport
