#include "ZozedizIZ/shell/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace ZozedizIZ::Twips {

namespace {
constexpr double kTwipsPerInch = 1440.0;

double perPixel(bool horizontal) {
    const QScreen* screen =
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen) return 15.0;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? kTwipsPerInch / dpi : 15.0;
}
} // namespace

double perPixelX() { return perPixel(true); }
double perPixelY() { return perPixel(false); }

int toPixelsX(int twips) { return int(std::lround(twips / perPixelX())); }
int toPixelsY(int twips) { return int(std::lround(twips / perPixelY())); }
QSize toPixels(const QSize& twips) { return QSize(toPixelsX(twips.width()), toPixelsY(twips.height())); }

} // namespace ZozedizIZ::Twips
