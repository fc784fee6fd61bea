#pragma once

// What both protocols share besides the letterhead: the sketch box and the
// remarks.

#include "reportlayout.h"

#include <QStringList>

#include <functional>

class QPainter;

namespace report {

// Draws a record's sketch text (the lines of `Skizze`) onto the canvas of a
// monochrome picture, with two pixel offsets and two scales: the sketch
// module's drawing, handed to the protocols.  False when it drew nothing (no
// module that can draw); the sketch box then prints empty, as without one.
using SketchPainter = std::function<bool(QPainter &canvas, const QStringList &sketchLines, int offsetX,
                                         int offsetY, double scaleX, double scaleY)>;

// The sketch scale s of a preview and of the pages laid out for it; a direct
// print lays out at 4.
constexpr int kPreviewSketchScale = 2;
constexpr int kPrintSketchScale = 4;

// The sketch picture of a record at scale s: a monochrome picture of
// (s + 602)·s x (s + 402)·s pixels on which `painter` draws the record's
// sketch with offsets 2·s and scales s.  Null when nothing drew it.
QImage sketchPicture(const Record &record, int scale, const SketchPainter &painter);

// The sketch section: a framed box 184.5 x 127 mm, 1.5 mm below the section
// top, filled with the stretched sketch picture drawn by `painter`; output
// only when `Skizzedrucken` is set.
Section sketchSection(double height, SketchPainter painter);

// The remarks `Bemerkung` as a document for the protocols: formatted text
// as the remarks editor and a word processor show it (plain text as it
// stands), Arial 10 pt where the remark names no font.
std::unique_ptr<QTextDocument> remarksDocument(const QString &storedText);

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
