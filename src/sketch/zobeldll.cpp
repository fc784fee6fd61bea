// Our own sketch module: the shared library "zobeldll.so" with the entries the
// program calls (see sketchmoduleapi.h).

#include "sketchmoduleapi.h"

#include "sketchdocument.h"
#include "sketcheditor.h"
#include "sketchrender.h"

#include <QApplication>
#include <QPainter>

#define SKETCH_EXPORT extern "C" __attribute__((visibility("default")))

SKETCH_EXPORT void zeichnecanvas(const QStringList *lines, QPainter *canvas, int x, int y, double scaleX, double scaleY)
{
    if (!lines || !canvas)
        return;
    canvas->save();
    canvas->translate(x, y);
    canvas->scale(scaleX, scaleY);
    sketch::render(*canvas, sketch::parse(*lines));
    canvas->restore();
}

SKETCH_EXPORT void zeichne(const QStringList *lines, QPainter *canvas)
{
    zeichnecanvas(lines, canvas, 0, 0, 1.0, 1.0);
}

SKETCH_EXPORT void skizze(QStringList *lines)
{
    if (!lines || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    SketchEditor editor(QApplication::activeWindow());
    editor.setLines(*lines);
    editor.resize(editor.sizeHint().expandedTo(QSize(1100, 720)));
    if (editor.exec() == QDialog::Accepted)
        *lines = editor.lines();
}
