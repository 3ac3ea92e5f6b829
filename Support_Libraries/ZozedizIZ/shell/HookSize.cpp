#include "ZozedizIZ/shell/HookSize.h"

#include "Vezedad/ui/Ui.h"
#include "ZozedizIZ/shell/Twips.h"

#include <QEvent>
#include <cmath>

namespace ZozedizIZ {

// Follows the window's frame: it is known only once a window manager has
// decorated the window, and the minimum covers it.
class HookSize::Filter : public QObject {
public:
    Filter(HookSize& owner, QWidget& window) : QObject(&window), m_owner(owner) { window.installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::WindowStateChange:
        case QEvent::Resize: m_owner.apply(); break;
        default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    HookSize& m_owner;
};

HookSize::~HookSize() { delete m_filter.data(); }

void HookSize::Hook(QWidget* hWnd, qint32 minWidth, qint32 minHeight) {
    if (m_hooked) {
        Vezedad::Ui::MsgBox(QStringLiteral("Don't hook it twice without unhooking,") +
                            QStringLiteral(" or you will be unable to unhook it."));
        return;
    }
    m_window = hWnd;
    m_minWidth = TwipsToPixelsCeil(minWidth, true);
    m_minHeight = TwipsToPixelsCeil(minHeight, false);
    if (hWnd) {
        m_previousMinimum = hWnd->minimumSize();
        m_filter = new Filter(*this, *hWnd);
        apply();
    }
    m_hooked = true;
}

void HookSize::Unhook() {
    delete m_filter.data();
    if (m_window && m_hooked) m_window->setMinimumSize(m_previousMinimum);
    m_window = nullptr;
    m_hooked = false;
}

void HookSize::apply() {
    if (!m_window) return;
    const QSize frame = m_window->frameGeometry().size() - m_window->geometry().size();
    const QSize minimum(qMax(0, m_minWidth - frame.width()), qMax(0, m_minHeight - frame.height()));
    if (m_window->minimumSize() != minimum) m_window->setMinimumSize(minimum);
}

qint32 HookSize::TwipsToPixelsCeil(qint32 twips, bool horizontal) {
    return TwipsToPixelsCeil(twips, horizontal ? Twips::perPixelX() : Twips::perPixelY());
}

qint32 HookSize::TwipsToPixelsCeil(qint32 twips, double twipsPerPixel) {
    const double q = double(twips) / twipsPerPixel;
    return qint32(std::floor(q - 1.0) + 1.0);
}

HookSize& modHookSize() {
    thread_local HookSize hook;
    return hook;
}

} // namespace ZozedizIZ
