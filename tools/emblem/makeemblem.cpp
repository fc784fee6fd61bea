// Draws the letterhead emblem of the protocols: a round black-and-white seal
// with a chimney sweep on a roof beside a chimney, the words
// "SCHORNSTEINFEGER" and "OFENRING" around it.  Writes the 660 x 660 pixel
// greyscale JPEG at 300 dpi that the program carries as a resource:
//
//   ofenring-makeemblem src/reports/resources/emblem.jpg

#include "jpegimage.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>

namespace {

constexpr int kSize = 660;
const QPointF kCentre(kSize / 2.0, kSize / 2.0);

// Writes `text` along a circle of `radius` around the centre, centred on the
// angle `middle` (degrees, 90 = top); on the lower half the letters read
// from left to right as well.
void textOnCircle(QPainter &p, const QString &text, const QFont &font, double radius, double middle, bool lower)
{
    const QFontMetricsF fm(font, p.device());
    const double spacing = 6.0;
    double total = 0.0;
    for (QChar c : text)
        total += fm.horizontalAdvance(c) + spacing;
    total -= spacing;
    const double span = total / radius;  // radians
    double angle = qDegreesToRadians(middle) + (lower ? -span / 2.0 : span / 2.0);
    p.setFont(font);
    for (QChar c : text) {
        const double w = fm.horizontalAdvance(c);
        const double half = (w / 2.0) / radius;
        angle += lower ? half : -half;
        const QPointF at(kCentre.x() + radius * std::cos(angle), kCentre.y() - radius * std::sin(angle));
        p.save();
        p.translate(at);
        p.rotate(lower ? 90.0 - qRadiansToDegrees(angle) - 180.0 : 90.0 - qRadiansToDegrees(angle));
        const double baseline = lower ? fm.ascent() * 0.72 : fm.ascent() * 0.36;
        p.drawText(QPointF(-w / 2.0, baseline), QString(c));
        p.restore();
        angle += lower ? half + spacing / radius : -(half + spacing / radius);
    }
}

void star(QPainter &p, QPointF centre, double r)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double a = qDegreesToRadians(90.0 + i * 36.0);
        const double rr = (i % 2) ? r * 0.42 : r;
        const QPointF pt(centre.x() + rr * std::cos(a), centre.y() - rr * std::sin(a));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.fillPath(path, Qt::black);
}

void drawScene(QPainter &p)
{
    QPainterPath inner;
    inner.addEllipse(kCentre, 236, 236);
    p.save();
    p.setClipPath(inner);

    // Roof: a gable with rows of tiles.
    QPainterPath roof;
    roof.moveTo(60, 560);
    roof.lineTo(330, 370);
    roof.lineTo(600, 560);
    roof.lineTo(600, 640);
    roof.lineTo(60, 640);
    roof.closeSubpath();
    p.fillPath(roof, Qt::black);
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::FlatCap));
    for (int row = 1; row <= 4; ++row) {
        const double y = 370 + row * 38;
        const double dx = (y - 370) * 270.0 / 190.0;
        p.drawLine(QPointF(330 - dx + 8, y), QPointF(330 + dx - 8, y));
    }
    for (int row = 0; row < 4; ++row) {
        const double y0 = 370 + row * 38;
        const double y1 = y0 + 38;
        for (int col = -8; col <= 8; ++col) {
            const double x = 330 + col * 34 + (row % 2 ? 17 : 0);
            const double limit = (y1 - 370) * 270.0 / 190.0;
            if (std::abs(x - 330) < limit - 20)
                p.drawLine(QPointF(x, y0 + 4), QPointF(x, y1 - 4));
        }
    }

    // Chimney on the right slope, with its cap and a curl of smoke.
    QPainterPath chimney;
    chimney.addRect(QRectF(418, 300, 54, 150));
    p.fillPath(chimney, Qt::black);
    p.fillRect(QRectF(408, 288, 74, 18), Qt::black);
    p.setPen(QPen(Qt::white, 4));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(420, 330 + i * 26), QPointF(470, 330 + i * 26));
    QPainterPath smoke;
    smoke.moveTo(445, 280);
    smoke.cubicTo(470, 245, 420, 225, 450, 190);
    smoke.cubicTo(475, 160, 440, 140, 470, 110);
    p.setPen(QPen(Qt::black, 12, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(smoke);

    // The sweep: top hat, head, coat, legs and the raised arm, standing on the
    // left slope; a white outline parts him from the roof.
    QPainterPath figure;
    figure.addRect(QRectF(226, 150, 56, 60));      // hat
    figure.addRect(QRectF(208, 206, 92, 12));      // brim
    figure.addEllipse(QPointF(254, 246), 28, 30);  // head
    QPainterPath coat;
    coat.moveTo(218, 282);
    coat.lineTo(290, 282);
    coat.lineTo(304, 400);
    coat.lineTo(204, 400);
    coat.closeSubpath();
    figure.addPath(coat);
    figure.addRect(QRectF(216, 396, 28, 50));      // legs, the feet on the slope
    figure.addRect(QRectF(266, 396, 28, 20));
    QPainterPathStroker arm;
    arm.setWidth(26);
    arm.setCapStyle(Qt::RoundCap);
    QPainterPath armLine;
    armLine.moveTo(286, 300);
    armLine.lineTo(338, 250);
    figure.addPath(arm.createStroke(armLine));
    figure.setFillRule(Qt::WindingFill);
    p.strokePath(figure, QPen(Qt::white, 14));
    p.fillPath(figure, Qt::black);
    // Buttons of the coat.
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(254, 310 + i * 28), 6, 6);

    // The rope with ball and round brush in the raised hand.
    p.setPen(QPen(Qt::black, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(342, 246), QPointF(356, 170));
    // Coiled rope over the left shoulder.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 6));
    p.drawEllipse(QPointF(196, 322), 34, 44);
    p.drawEllipse(QPointF(190, 326), 28, 38);
    // Brush: a round head of bristles with the ball below it.
    p.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap));
    const QPointF brush(356, 158);
    for (int i = 0; i < 24; ++i) {
        const double a = qDegreesToRadians(i * 15.0);
        p.drawLine(brush + QPointF(8 * std::cos(a), 8 * std::sin(a)),
                   brush + QPointF(34 * std::cos(a), 34 * std::sin(a)));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(brush, 10, 10);
    p.restore();
}

QImage drawEmblem()
{
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Seal: a heavy outer ring, a thin inner ring, the lettering between them.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 16));
    p.drawEllipse(kCentre, 318, 318);
    p.setPen(QPen(Qt::black, 6));
    p.drawEllipse(kCentre, 300, 300);
    p.drawEllipse(kCentre, 240, 240);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(40);
    p.setPen(Qt::black);
    textOnCircle(p, QStringLiteral("SCHORNSTEINFEGER"), font, 270, 90.0, false);
    textOnCircle(p, QStringLiteral("OFENRING"), font, 270, 270.0, true);
    star(p, QPointF(kCentre.x() - 270, kCentre.y()), 16);
    star(p, QPointF(kCentre.x() + 270, kCentre.y()), 16);

    drawScene(p);
    p.end();
    return image.convertToFormat(QImage::Format_Grayscale8);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: ofenring-makeemblem ZIELDATEI.jpg\n");
        return 2;
    }
    const QByteArray jpg = jpeg::encode(drawEmblem(), 92, 300);
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(jpg) != jpg.size()) {
        std::fprintf(stderr, "%s kann nicht geschrieben werden\n", argv[1]);
        return 1;
    }
    return 0;
}
