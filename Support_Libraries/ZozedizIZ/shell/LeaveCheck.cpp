#include "ZozedizIZ/shell/LeaveCheck.h"

#include "Vezedad/foundation/Enums.h"
#include "Vezedad/foundation/ErrorInfo.h"
#include "Vezedad/ui/Ui.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace ZozedizIZ {

namespace {

const char* const kCausesValidation = "zozedizizCausesValidation";

// Watches the focus of the whole application on the user-interface thread.
//
// A check becomes due when the focus leaves the box it belongs to (the
// pending box) for a widget of the same window that causes validation. It
// runs
//  - at once for a shortcut, before the shortcut acts;
//  - when the mouse press that moved the focus reaches its widget, before the
//    widget acts on it;
//  - otherwise (Tab, Shift+Tab, focus set by code) as soon as the event that
//    moved the focus is over, never inside the focus change itself.
// The pending box changes only once its check has kept the value, so two
// boxes that refuse never send the focus back and forth.
class Engine : public QObject {
public:
    static Engine& instance() {
        static QPointer<Engine> engine;
        if (!engine) {
            engine = new Engine;
            if (QCoreApplication::instance()) {
                engine->setParent(QCoreApplication::instance());
                QCoreApplication::instance()->installEventFilter(engine);
            }
        }
        return *engine;
    }

    void watch(QWidget* box, LeaveCheck::Check check, const QString& location) {
        if (!m_entries.contains(box)) connect(box, &QObject::destroyed, this, [this, box] { m_entries.remove(box); });
        m_entries.insert(box, Entry{std::move(check), location});
        if (box->hasFocus() && !m_pending) m_pending = box;
    }

    void unwatch(QWidget* box) {
        m_entries.remove(box);
        disconnect(box, &QObject::destroyed, this, nullptr);
        if (m_pending == box) m_pending = nullptr;
    }

    bool isWatched(const QWidget* box) const { return m_entries.contains(const_cast<QWidget*>(box)); }

    bool validateFocused(QWidget* window) {
        if (m_running) return true;
        QWidget* top = window ? window->window() : QApplication::activeWindow();
        if (!top) return true;
        dropHiddenPending();
        if (!(m_pending && m_pending->window() == top)) {
            QWidget* box = boxOf(top->focusWidget());
            if (!box) return true;
            m_pending = box;
        }
        return runPending();
    }

    static bool causesValidation(const QWidget* widget) {
        for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
            const QVariant value = w->property(kCausesValidation);
            if (value.isValid()) return value.toBool();
        }
        return true;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (watched->isWidgetType())
                focusIn(static_cast<QWidget*>(watched), static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The press that moved the focus out of the box: its widget must
            // not act on it when the check refuses.
            if (m_checkAtPress && watched->isWidgetType()) {
                m_checkAtPress = false;
                if (!runPending()) return true;
            }
            break;
        case QEvent::Shortcut:
            if (watched->isWidgetType() && !shortcut(static_cast<QWidget*>(watched))) return true;
            break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    struct Entry {
        LeaveCheck::Check check;
        QString location;
    };

    QWidget* boxOf(QWidget* widget) const {
        for (QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
            if (m_entries.contains(w)) return w;
        return nullptr;
    }

    static bool inside(const QWidget* widget, const QWidget* box) {
        return widget && box && (widget == box || box->isAncestorOf(widget));
    }

    void dropHiddenPending() {
        if (m_pending && !m_pending->isVisible()) m_pending = nullptr;
    }

    // Would moving the focus to target make the pending check due?
    bool leavesPending(QWidget* target) const {
        return m_pending && target && !inside(target, m_pending) && target->window() == m_pending->window() &&
               causesValidation(target);
    }

    void focusIn(QWidget* widget, Qt::FocusReason reason) {
        if (m_running) return;
        dropHiddenPending();
        if (m_checked && inside(widget, m_checked)) {
            // The check already ran for this move (a shortcut's).
            m_checked = nullptr;
            m_pending = boxOf(widget);
            return;
        }
        // Going to another window checks nothing; its own box is due next.
        if (!m_pending || widget->window() != m_pending->window()) {
            m_pending = boxOf(widget);
            return;
        }
        if (inside(widget, m_pending)) return;
        // A menu or the window's own return to the front is no leaving.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
            reason == Qt::MenuBarFocusReason || !causesValidation(widget))
            return;
        if (reason == Qt::MouseFocusReason) m_checkAtPress = true;
        if (!m_queued) {
            m_queued = true;
            QMetaObject::invokeMethod(
                this, [this] { runQueued(); }, Qt::QueuedConnection);
        }
    }

    void runQueued() {
        if (!m_queued) return;
        m_queued = false;
        m_checkAtPress = false;
        // The user came back into the box before the check could run.
        if (inside(QApplication::focusWidget(), m_pending)) return;
        runPending();
    }

    // False when the shortcut must not act.
    bool shortcut(QWidget* receiver) {
        if (m_running) return true;
        dropHiddenPending();
        QWidget* target = receiver;
        if (auto* label = qobject_cast<QLabel*>(receiver)) target = label->buddy();
        if (!target || target->focusPolicy() == Qt::NoFocus || !leavesPending(target)) return true;
        if (!runPending()) return false;
        // The shortcut moves the focus next; that move needs no second check.
        m_checked = target;
        QMetaObject::invokeMethod(
            this, [this] { m_checked = nullptr; }, Qt::QueuedConnection);
        return true;
    }

    bool runPending() {
        m_queued = false;
        m_checkAtPress = false;
        QPointer<QWidget> box = m_pending;
        if (!box || m_running) return true;
        const auto it = m_entries.constFind(box.data());
        if (it == m_entries.constEnd()) {
            m_pending = nullptr;
            return true;
        }
        const Entry entry = it.value();
        bool kept = false;
        m_running = true;
        Vezedad::Ui::GuardShowError(
            entry.location, [&] { kept = entry.check(); }, box->window());
        m_running = false;
        if (!box) {
            m_pending = boxOf(QApplication::focusWidget());
            return true;
        }
        if (!kept) {
            m_pending = box;
            box->setFocus(Qt::OtherFocusReason);
            return false;
        }
        m_pending = boxOf(QApplication::focusWidget());
        return true;
    }

    QHash<QWidget*, Entry> m_entries;
    QPointer<QWidget> m_pending;
    QPointer<QWidget> m_checked;
    bool m_running = false;
    bool m_queued = false;
    bool m_checkAtPress = false;
};

} // namespace

void LeaveCheck::Watch(QWidget* box, Check check, const QString& location) {
    if (box) Engine::instance().watch(box, std::move(check), location);
}

void LeaveCheck::Unwatch(QWidget* box) {
    if (box) Engine::instance().unwatch(box);
}

bool LeaveCheck::IsWatched(const QWidget* box) { return box && Engine::instance().isWatched(box); }

void LeaveCheck::SetCausesValidation(QWidget* widget, bool value) {
    if (widget) widget->setProperty(kCausesValidation, value);
}

bool LeaveCheck::CausesValidation(const QWidget* widget) { return Engine::causesValidation(widget); }

bool LeaveCheck::ValidateFocused(QWidget* window) { return Engine::instance().validateFocused(window); }

void LeaveCheck::ValidateControls(QWidget* window) {
    if (!ValidateFocused(window))
        throw Vezedad::ErrorInfo(Vezedad::errInvalidPropertyValue, QStringLiteral("Invalid property value"),
                                 QStringLiteral("ZozedizIZ::LeaveCheck.ValidateControls"));
}

} // namespace ZozedizIZ
