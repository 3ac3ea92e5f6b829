#pragma once
#include "ZozedizIZ/ZozedizIZExport.h"

#include <QSize>

class QWidget;

// Window layouts are given in twips (1440 to the inch); the screen's logical
// resolution turns them into pixels.
namespace ZozedizIZ::Twips {

// Twips per pixel of the primary screen, across and down (15 at 96 dots per
// inch; 15 when there is no screen).
ZOZEDIZIZ_EXPORT double perPixelX();
ZOZEDIZIZ_EXPORT double perPixelY();

// Sizes for layouts, rounded to the nearest pixel.
ZOZEDIZIZ_EXPORT int toPixelsX(int twips);
ZOZEDIZIZ_EXPORT int toPixelsY(int twips);
ZOZEDIZIZ_EXPORT QSize toPixels(const QSize& twips);

// Gives a widget its designed minimum size, or more where its contents (in
// the fonts at hand) need it, and keeps it so as fonts, style and contents
// change; a label that wraps gets the height of all its lines at that width.
// Calling it again replaces the design size (and measures again).
ZOZEDIZIZ_EXPORT void keepDesignSize(QWidget* widget, int widthTwips, int heightTwips);

} // namespace ZozedizIZ::Twips
