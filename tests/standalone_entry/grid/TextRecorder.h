#pragma once
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QStringList>

#include <climits>
#include <memory>

// A paint device that keeps, page by page, the texts painted on it.
class TextRecorder : public QPaintDevice {
public:
    TextRecorder() : m_engine(std::make_unique<Engine>(*this)) {}
    QPaintEngine* paintEngine() const override { return m_engine.get(); }
    void newPage() { pages.append(QStringList()); }
    QString page(int i) const { return pages.value(i).join(QString()); }

    QList<QStringList> pages{QStringList()};

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth: return 2480; // A4 at 300 dots per inch
        case PdmHeight: return 3508;
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 300;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder& recorder) : QPaintEngine(AllFeatures), m_recorder(recorder) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawRects(const QRectF*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { m_recorder.pages.last() << item.text(); }
        Type type() const override { return User; }

    private:
        TextRecorder& m_recorder;
    };
    std::unique_ptr<Engine> m_engine;
};
