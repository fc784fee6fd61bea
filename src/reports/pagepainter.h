#pragma once

// Draws laid-out pages on any paint device (screen, printer, PDF) and writes
// them as a PDF file with real, searchable text.

#include "reportengine.h"

#include <QString>

#include <vector>

class QFont;
class QPaintDevice;
class QPainter;

namespace report {

// Where a font's underline goes on a device: the middle of the line, in
// device pixels below the baseline, and its thickness, as the font gives
// them, but never higher than Arial's, clear of the letters (the text engine
// would draw it on the baseline, touching them).
struct UnderlineMetrics {
    double offset;
    double thickness;
};
UnderlineMetrics underlineMetrics(const QFont &font, const QPaintDevice *device);

// Draws a page with its sheet's top left corner at `origin` (device pixels),
// `pxPerMm` device pixels to the millimetre.  The painter must not be
// transformed; fonts are sized for the device so that a point is a point.
// Underlines are drawn at the font's own underline position.
void paintPage(QPainter &painter, const Page &page, double pxPerMm, QPointF origin = {});

struct PdfInfo {
    QString title;
    QString author;
    QString creator = QStringLiteral("Ofenring");
};

// The pages as a PDF document (A4 portrait), with title and author in the
// document information.
QByteArray pdfDocument(const std::vector<Page> &pages, const PdfInfo &info, const PageFormat &format = {});

// Writes the PDF to `path` through a temporary file that replaces the old one
// only when complete.  False with a German message in `error` on failure.
bool writePdf(const std::vector<Page> &pages, const QString &path, const PdfInfo &info, QString *error,
              const PageFormat &format = {});

} // namespace report
