#include "sketchrender.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace sketch {
namespace {

constexpr double kWall = 4;        // wall thickness (10 cm)
constexpr double kThin = 1;        // symbols, dimension lines
constexpr double kTextHeight = 12; // 30 cm

// Device pixels per unit of the painter's current transformation.
double deviceScale(const QPainter &p)
{
    const QTransform t = p.worldTransform();
    return std::sqrt(std::abs(t.determinant()));
}

QPen pen(const QPainter &p, double widthUnits, const QColor &color = Qt::black)
{
    QPen pen(color);
    if (widthUnits * deviceScale(p) < 1.0) {
        pen.setWidth(0);   // one device pixel at any scale
        pen.setCosmetic(true);
    } else {
        pen.setWidthF(widthUnits);
    }
    pen.setCapStyle(Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// Text is 30 cm high in the sketch, but never smaller than 8 device pixels,
// so that a thumbnail stays legible.
constexpr double kMinTextPixels = 8;

QFont textFont(const QPainter &p)
{
    QFont f(u"DejaVu Sans"_qs);
    f.setStyleHint(QFont::SansSerif);
    const double s = deviceScale(p);
    const double units = s > 0 && kTextHeight * s < kMinTextPixels ? kMinTextPixels / s : kTextHeight;
    f.setPixelSize(std::max(1, int(std::lround(units))));
    return f;
}

// The unit vector along a→b and the one to its left (in screen orientation).
std::pair<QPointF, QPointF> axes(QPointF a, QPointF b)
{
    const QLineF l(a, b);
    const double len = l.length();
    if (len <= 0)
        return {QPointF(1, 0), QPointF(0, -1)};
    const QPointF along = (b - a) / len;
    return {along, QPointF(along.y(), -along.x())};
}

// Clears the wall between a and b (the gap of a door, window or opening).
void clearWall(QPainter &p, QPointF a, QPointF b)
{
    QPen clear = pen(p, kWall + 2, Qt::white);
    clear.setCapStyle(Qt::FlatCap);
    p.setPen(clear);
    p.drawLine(a, b);
}

void text(QPainter &p, QPointF centre, const QString &s, double angleDegrees = 0)
{
    if (s.isEmpty())
        return;
    p.save();
    p.setFont(textFont(p));
    p.setPen(Qt::black);
    p.translate(centre);
    p.rotate(angleDegrees);
    const QFontMetricsF fm(p.font());
    p.drawText(QPointF(-fm.horizontalAdvance(s) / 2, fm.ascent() / 2 - fm.descent() / 2), s);
    p.restore();
}

void drawDoor(QPainter &p, QPointF a, QPointF b)
{
    clearWall(p, a, b);
    const auto [along, left] = axes(a, b);
    const double w = QLineF(a, b).length();
    p.setPen(pen(p, kThin));
    p.setBrush(Qt::NoBrush);
    // The door leaf stands open at a right angle, hinged at a; its swing is a quarter circle.
    const QPointF leafEnd = a + left * w;
    p.drawLine(a, leafEnd);
    const double start = std::atan2(-(b - a).y(), (b - a).x()) * 180 / M_PI;
    QPainterPath arc;
    arc.moveTo(b);
    arc.arcTo(QRectF(a - QPointF(w, w), QSizeF(2 * w, 2 * w)), start, 90);
    p.drawPath(arc);
    // The frame at both sides of the opening.
    p.setPen(pen(p, kThin));
    p.drawLine(a - left * (kWall / 2), a + left * (kWall / 2));
    p.drawLine(b - left * (kWall / 2), b + left * (kWall / 2));
}

void drawWindow(QPainter &p, QPointF a, QPointF b)
{
    clearWall(p, a, b);
    const auto [along, left] = axes(a, b);
    Q_UNUSED(along);
    p.setPen(pen(p, kThin));
    const double h = kWall / 2;
    p.drawLine(a + left * h, b + left * h);
    p.drawLine(a, b);
    p.drawLine(a - left * h, b - left * h);
    p.drawLine(a - left * h, a + left * h);
    p.drawLine(b - left * h, b + left * h);
}

void drawOpening(QPainter &p, QPointF a, QPointF b)
{
    clearWall(p, a, b);
    const auto [along, left] = axes(a, b);
    Q_UNUSED(along);
    const double h = kWall / 2 + 1;
    const QPointF c1 = a + left * h, c2 = b + left * h, c3 = b - left * h, c4 = a - left * h;
    p.setPen(pen(p, kThin));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF({c1, c2, c3, c4}));
    p.drawLine(c1, c3);
    p.drawLine(c2, c4);
}

void drawDimension(QPainter &p, const Element &e)
{
    const QPointF a = e.a, b = e.b;
    const auto [along, left] = axes(a, b);
    p.setPen(pen(p, kThin));
    p.drawLine(a, b);
    for (QPointF end : {a, b}) {
        p.drawLine(end - left * 5, end + left * 5);          // extension
        p.drawLine(end - (along + left) * 3, end + (along + left) * 3);  // tick
    }
    double angle = std::atan2(b.y() - a.y(), b.x() - a.x()) * 180 / M_PI;
    QPointF up = left;
    if (angle > 90.5 || angle < -89.5) {   // keep the text readable from below or the right
        angle += 180;
        up = -left;
    }
    text(p, (a + b) / 2 + up * (kTextHeight / 2 + 2), dimensionText(e), angle);
}

} // namespace

void renderElement(QPainter &p, const Element &e)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    switch (e.kind) {
    case Kind::Wall:
        p.setPen(pen(p, kWall));
        p.drawLine(e.a, e.b);
        break;
    case Kind::Room: {
        p.setPen(pen(p, kWall));
        const QRectF r = QRectF(e.a, e.b).normalized();
        p.drawRect(r);
        text(p, r.center(), e.text);
        break;
    }
    case Kind::Door: drawDoor(p, e.a, e.b); break;
    case Kind::Window: drawWindow(p, e.a, e.b); break;
    case Kind::Opening: drawOpening(p, e.a, e.b); break;
    case Kind::Appliance: {
        p.setPen(pen(p, 1.5));
        const QRectF box(QPointF(e.a) - QPointF(12, 12), QSizeF(24, 24));
        p.drawRect(box);
        p.drawEllipse(QPointF(e.a), 7, 7);
        text(p, QPointF(e.a) + QPointF(0, 12 + kTextHeight / 2 + 2), e.text);
        break;
    }
    case Kind::Chimney: {
        p.setPen(pen(p, 1.5));
        const QRectF box(QPointF(e.a) - QPointF(8, 8), QSizeF(16, 16));
        p.drawRect(box);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF({box.topRight(), box.bottomRight(), box.bottomLeft()}));
        break;
    }
    case Kind::Label: {
        p.setFont(textFont(p));
        p.setPen(Qt::black);
        p.drawText(QPointF(e.a), e.text);
        break;
    }
    case Kind::Dimension: drawDimension(p, e); break;
    case Kind::Unknown: break;
    }
    p.restore();
}

void render(QPainter &painter, const Document &doc)
{
    // Walls first, so that what sits in a wall clears its part of it.
    static const QList<QList<Kind>> layers = {
        {Kind::Room, Kind::Wall},
        {Kind::Door, Kind::Window, Kind::Opening},
        {Kind::Appliance, Kind::Chimney, Kind::Label, Kind::Dimension},
    };
    for (const QList<Kind> &layer : layers)
        for (const Element &e : doc.elements)
            if (layer.contains(e.kind))
                renderElement(painter, e);
}

} // namespace sketch
