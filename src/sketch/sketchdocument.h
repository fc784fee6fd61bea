#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// The site sketch of our own sketch module: walls and rooms, doors, windows
// and ventilation openings in the walls, appliance and chimney symbols, text
// labels and dimension lines on a drawing area of 600 x 400 units (one unit
// is 2.5 cm, so the area is 15 m x 10 m).
//
// Stored as text lines, one element per line, after a header line that
// names the format and its version:
//
//     OFENRING-SKIZZE 1
//     WAND 40 40 400 40
//     RAUM 40 40 240 200 "Bad"
//     TUER 200 200 232 200
//     FENSTER 100 40 160 40
//     OEFFNUNG 60 200 72 200
//     GERAET 80 80 "Gastherme"
//     SCHORNSTEIN 230 50
//     TEXT 300 300 "Keller"
//     MASS 40 20 400 20 "9,00 m"
//
// Coordinates are whole units; texts stand in double quotes, a quote or a
// backslash inside them preceded by a backslash.  A dimension line without
// text shows its length in metres.  Lines this version does not know (from a
// later version, or written by hand) are kept as they are and in their place,
// so that nothing is lost by editing.
namespace sketch {

constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr double kMetresPerUnit = 0.025;

enum class Kind { Wall, Room, Door, Window, Opening, Appliance, Chimney, Label, Dimension, Unknown };

struct Element {
    Kind kind = Kind::Unknown;
    QPoint a;          // start, corner or position
    QPoint b;          // end or opposite corner (unused by symbols and labels)
    QString text;      // room name, caption, label, dimension text
    QString raw;       // the line as read, for an element of a kind not known here

    bool operator==(const Element &) const = default;

    bool hasTwoPoints() const;
    bool hasText() const;
    bool isKnown() const { return kind != Kind::Unknown; }
    // The element moved by `delta` units.
    Element moved(QPoint delta) const;
    // The area the element covers, for hit tests and redrawing.
    QRect bounds() const;
};

struct Document {
    QList<Element> elements;

    bool operator==(const Document &) const = default;
    bool isEmpty() const { return elements.isEmpty(); }
};

constexpr int kVersion = 1;
extern const char *const kHeader;   // "OFENRING-SKIZZE"

// Reads stored lines.  Lines before a header, or all lines when there is
// none, are kept as unknown elements.
Document parse(const QStringList &lines);
// The lines to store; an empty sketch is no lines at all.
QStringList serialize(const Document &doc);

// The keyword of a kind in the stored lines ("WAND" …) and its German name.
QString keyword(Kind kind);
QString displayName(Kind kind);

// The text a dimension line shows: its own, or its length in metres ("9,00 m").
QString dimensionText(const Element &e);

// Distance in units from `p` to what the element draws.
double distanceTo(const Element &e, QPointF p);

} // namespace sketch
