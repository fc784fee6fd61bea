#pragma once

// Draws laid-out pages on any paint device (screen, printer, PDF) and writes
// them as a PDF file with real, searchable text.

#include "reportengine.h"

#include <QString>

#include <vector>

class QPainter;

namespace report {

// Draws a page with its sheet's top left corner at `origin` (device pixels),
// `pxPerMm` device pixels to the millimetre.  The painter must not be
// transformed; fonts are sized for the device so that a point is a point.
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
