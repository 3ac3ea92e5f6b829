#pragma once
#include <QWidget>
#include <QtMath>

namespace ZozedizIZ {

// Sizes of the library's windows are given in twips (1440 to the inch).
inline int twipsToPixels(const QWidget& widget, int twips) { return qRound(twips * widget.logicalDpiX() / 1440.0); }

inline QSize twipsToPixels(const QWidget& widget, int width, int height) {
    return QSize(twipsToPixels(widget, width), qRound(height * widget.logicalDpiY() / 1440.0));
}

} // namespace ZozedizIZ
