#pragma once

// A paint device that keeps what is painted on it instead of pixels: every
// text with its font and where it lands, every line, rectangle and picture.
// Tests draw laid-out pages on it exactly as on a printer and read back what
// reached the paper.

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <vector>

struct DrawnText {
    QString text;
    QFont font;
    double x = 0.0;         // mm from the sheet's left edge, start of the text
    double baseline = 0.0;  // mm from the sheet's top edge
    double top = 0.0;       // baseline minus the font's ascent
    double width = 0.0;     // mm
    QColor colour;
    double right() const { return x + width; }
    double centre() const { return x + width / 2.0; }
};

struct DrawnLine {
    QLineF line;  // mm on the sheet
};

class PaintRecorder : public QPaintDevice {
public:
    static constexpr double kDpi = 1200.0;
    static constexpr double kPxPerMm = kDpi / 25.4;

    PaintRecorder() : m_engine(this) {}

    QPaintEngine *paintEngine() const override { return const_cast<Engine *>(&m_engine); }

    std::vector<DrawnText> texts;
    std::vector<DrawnLine> lines;
    std::vector<QRectF> rects;   // outlined, mm
    std::vector<QRectF> fills;   // filled without an outline (underlines), mm
    std::vector<QRectF> images;  // target rectangles, mm

    // The underline drawn under a text: a filled bar below its baseline that
    // starts where the text starts; null when there is none.
    const QRectF *underlineOf(const DrawnText &t) const
    {
        for (const QRectF &f : fills)
            if (qAbs(f.left() - t.x) < 0.05 && f.right() <= t.right() + 0.05 && f.top() > t.baseline - 0.5
                && f.top() < t.baseline + 2.0)
                return &f;
        return nullptr;
    }

    // The texts exactly equal to `text`.
    std::vector<const DrawnText *> find(const QString &text) const
    {
        std::vector<const DrawnText *> out;
        for (const DrawnText &t : texts)
            if (t.text == text)
                out.push_back(&t);
        return out;
    }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return int(210.0 * kPxPerMm);
        case PdmHeight: return int(297.0 * kPxPerMm);
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return int(kDpi);
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(PaintRecorder *device) : QPaintEngine(QPaintEngine::AllFeatures), m_device(device) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        Type type() const override { return QPaintEngine::User; }
        void updateState(const QPaintEngineState &) override {}

        void drawTextItem(const QPointF &p, const QTextItem &ti) override
        {
            const QTransform t = painter()->transform();
            const QPointF at = t.map(p);
            DrawnText d;
            d.text = ti.text();
            d.font = ti.font();
            // The size on paper: the font's size scaled by the painter.
            const double scale = std::sqrt(std::abs(t.determinant()));
            d.font.setPointSizeF(d.font.pointSizeF() * scale);
            d.x = at.x() / kPxPerMm;
            d.baseline = at.y() / kPxPerMm;
            d.top = d.baseline - QFontMetricsF(ti.font(), m_device).ascent() * scale / kPxPerMm;
            d.width = ti.width() * scale / kPxPerMm;
            d.colour = painter()->pen().color();
            m_device->texts.push_back(d);
        }
        void drawLines(const QLineF *l, int count) override
        {
            const QTransform t = painter()->transform();
            for (int i = 0; i < count; ++i) {
                const QLineF m = t.map(l[i]);
                m_device->lines.push_back({QLineF(m.p1() / kPxPerMm, m.p2() / kPxPerMm)});
            }
        }
        void drawRects(const QRectF *r, int count) override
        {
            const QTransform t = painter()->transform();
            const bool filled = painter()->pen().style() == Qt::NoPen && painter()->brush().style() != Qt::NoBrush;
            for (int i = 0; i < count; ++i) {
                const QRectF m = t.mapRect(r[i]);
                (filled ? m_device->fills : m_device->rects).push_back(QRectF(m.topLeft() / kPxPerMm, m.size() / kPxPerMm));
            }
        }
        void drawImage(const QRectF &r, const QImage &, const QRectF &, Qt::ImageConversionFlags) override
        {
            const QRectF m = painter()->transform().mapRect(r);
            m_device->images.push_back(QRectF(m.topLeft() / kPxPerMm, m.size() / kPxPerMm));
        }
        void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override
        {
            const QRectF m = painter()->transform().mapRect(r);
            m_device->images.push_back(QRectF(m.topLeft() / kPxPerMm, m.size() / kPxPerMm));
        }
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath &) override {}

    private:
        PaintRecorder *m_device;
    };

    Engine m_engine;
};
