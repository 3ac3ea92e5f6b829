#include "ZozedizIZ/shell/Twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>
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

namespace {

// What a widget's contents need changes after it is made: the style and the
// application font come with polishing and showing, texts and children are
// set later. A minimum measured once would hold the contents to the first
// guess and clip them; this watcher measures again whenever the contents may
// have grown.
class DesignSizeKeeper : public QObject {
public:
    DesignSizeKeeper(QWidget* widget, QSize twips) : QObject(widget), widget_(widget), twips_(twips) {
        widget->installEventFilter(this);
        apply();
    }

    void setDesign(QSize twips) {
        twips_ = twips;
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_) {
            switch (event->type()) {
            case QEvent::LayoutRequest:
            case QEvent::FontChange:
            case QEvent::StyleChange:
            case QEvent::Polish:
            case QEvent::Show: apply(); break;
            default: break;
            }
        }
        return false;
    }

private:
    void apply() {
        if (!widget_) return;
        QSize needed = toPixels(twips_);
        // Text that wraps gets the height all its lines need at that width.
        if (QLayout* layout = widget_->layout()) {
            needed = needed.expandedTo(layout->totalMinimumSize());
            if (layout->hasHeightForWidth())
                needed.setHeight(std::max(needed.height(), layout->totalHeightForWidth(needed.width())));
        } else {
            needed = needed.expandedTo(widget_->minimumSizeHint());
            if (widget_->hasHeightForWidth())
                needed.setHeight(std::max(needed.height(), widget_->heightForWidth(needed.width())));
        }
        if (widget_->minimumSize() != needed) widget_->setMinimumSize(needed);
    }

    QPointer<QWidget> widget_;
    QSize twips_;
};

} // namespace

void keepDesignSize(QWidget* widget, int widthTwips, int heightTwips) {
    const QSize twips(widthTwips, heightTwips);
    for (QObject* child : widget->children()) {
        if (auto* keeper = dynamic_cast<DesignSizeKeeper*>(child)) {
            keeper->setDesign(twips);
            return;
        }
    }
    new DesignSizeKeeper(widget, twips);
}

} // namespace ZozedizIZ::Twips
