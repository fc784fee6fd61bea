// Small sketch modules for the tests of the link, built in three kinds by
// switching entries off: a complete one, one without "skizze" and one without
// "zeichne".
//
// "skizze" leaves a list that holds the line "unverändert" as it is and
// otherwise appends "Linie <n>"; "zeichnecanvas" draws one black bar of
// 100 x 10 units per line, 20 units apart, starting at (10, 10), so a test
// can count the lines it was given and see where and how large they landed.

#include <QPainter>
#include <QStringList>

#define FIXTURE_EXPORT extern "C" __attribute__((visibility("default")))

#ifndef WITHOUT_SKIZZE
FIXTURE_EXPORT void skizze(QStringList *lines)
{
    if (!lines->contains(QStringLiteral("unverändert")))
        lines->append(QStringLiteral("Linie %1").arg(lines->size() + 1));
}
#endif

#ifndef WITHOUT_ZEICHNE
FIXTURE_EXPORT void zeichne(const QStringList *, QPainter *)
{
}
#endif

FIXTURE_EXPORT void zeichnecanvas(const QStringList *lines, QPainter *canvas, int x, int y, double scaleX, double scaleY)
{
    canvas->save();
    canvas->translate(x, y);
    canvas->scale(scaleX, scaleY);
    for (int i = 0; i < lines->size(); ++i)
        canvas->fillRect(QRectF(10, 10 + 20 * i, 100, 10), Qt::black);
    canvas->restore();
}
