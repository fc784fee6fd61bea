#pragma once

// What both protocols share besides the letterhead: the sketch box, the
// remarks, the sketch scale, and the two hooks through which the program
// supplies the sketch drawing and the formatted remarks.

#include "reportlayout.h"

#include <QStringList>

#include <functional>

class QPainter;

namespace report {

// Draws a record's sketch text (the lines of `Skizze`) onto the canvas of a
// monochrome picture, with two pixel offsets and two scales.  Set by the
// program when a sketch module is present; empty until then, and the sketch
// box then prints empty.
using SketchPainter = std::function<void(QPainter &canvas, const QStringList &sketchLines, int offsetX,
                                         int offsetY, double scaleX, double scaleY)>;
void setSketchPainter(SketchPainter painter);
const SketchPainter &sketchPainter();

// Makes the document the remarks `Bemerkung` print as.  Until a reader of
// formatted remarks is set, the stored text prints as plain text.
void setRemarksDocumentFactory(DocumentFactory factory);
std::unique_ptr<QTextDocument> remarksDocument(const QString &storedText);

// The sketch scale s shared by the protocols and the print command: 2 from
// program start; the print command makes it 4 while it lays out a direct print.
int sketchScale();
void setSketchScale(int scale);

// The sketch picture of a record at scale s: a monochrome picture of
// (s + 602)·s x (s + 402)·s pixels on which the sketch painter draws the
// record's sketch with offsets 2·s and scales s.  Null without a sketch painter.
QImage sketchPicture(const Record &record, int scale);

// The sketch section: a framed box 184.5 x 127 mm, 1.5 mm below the section
// top, filled with the stretched sketch picture; output only when
// `Skizzedrucken` is set.
Section sketchSection(double height);

// The remarks as formatted text over the full width, growing with the text;
// output only when the remarks have at least one line.
Section remarksSection(const QString &name, SectionKind kind, double height);

// Where the two address columns under a protocol's title go.
struct SiteAndOwnerPlacement {
    double top;          // the column headings
    double step;         // from line to line
    double ownerX;       // the owner column; the site column is at 0
    double siteTownX;    // the site's town, right of its postcode
    QString ownerLabel;  // "Eigentümer" or "Eigentümer:"
};
// "Aufstellort:" with `A_Name`, `A_zusatz`, `A_strasse`, `A_gebteil`, postcode
// and town, and beside it the owner with `E_anrede`, `E_Name`, `E_zusatz`,
// `E_strasse`, postcode and town (13 mm right of the postcode).
void addSiteAndOwner(Section &section, const SiteAndOwnerPlacement &placement);

// Shortest decimal text of a number with a decimal comma (7,5 or 150).
QString shortestNumber(double value);

} // namespace report
