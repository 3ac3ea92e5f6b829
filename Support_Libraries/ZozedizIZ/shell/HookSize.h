#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace ZozedizIZ {

// Keeps one resizable window from being made smaller than its layout needs:
// the minimum, given in twips, holds for the whole window, border and caption
// included. One object hooks one window at a time; a second Hook before Unhook
// only says so. The library keeps one for its own windows (modHookSize()); a
// program keeps its own for its windows, so each can hold one at the same time.
class ZOZEDIZIZ_EXPORT HookSize {
public:
    HookSize() = default;
    ~HookSize();
    HookSize(const HookSize&) = delete;
    HookSize& operator=(const HookSize&) = delete;

    void Hook(QWidget* hWnd, qint32 minWidth, qint32 minHeight);
    // Puts back the window's own minimum. Without a hook nothing happens.
    void Unhook();

    bool Hooked() const { return m_hooked; }
    // The kept minimum in pixels, frame included.
    QSize MinimumPixels() const { return QSize(m_minWidth, m_minHeight); }

    // Pixels for twips at the screen's twips per pixel (across when
    // horizontal, else down). Rounds down, as windows have always been sized.
    static qint32 TwipsToPixelsCeil(qint32 twips, bool horizontal);
    static qint32 TwipsToPixelsCeil(qint32 twips, double twipsPerPixel);

private:
    class Filter;
    friend class Filter;
    void apply();

    bool m_hooked = false;
    QPointer<QWidget> m_window;
    QPointer<QObject> m_filter;
    QSize m_previousMinimum;
    qint32 m_minWidth = 0;
    qint32 m_minHeight = 0;
};

// The library's own hook, one per thread.
ZOZEDIZIZ_EXPORT HookSize& modHookSize();

} // namespace ZozedizIZ
