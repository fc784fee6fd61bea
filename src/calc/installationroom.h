#pragma once

#include "record.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <span>
#include <utility>
#include <vector>

// Installation-room check (installation-room mode, from 35 kW): protection goal 1
// by the room alone, together with a neighbour room, or by openings to outside;
// the required opening sizes; the cross-sections of up to two ventilation ducts;
// and which controls of the page "Aufstellungsraum" are available.
//
// How the page uses it: after every edit it gathers a PageInput (the current
// record, the texts in its edits, the enabled state of the two duct displays),
// calls evaluate() and applies the PageState: it writes `writtenFields` from
// `record` into the store, selects the values in `forcedSelections` without
// treating them as new clicks (evaluate() has already run again with them),
// sets each control of `controls`, shows `notebookPage` and keeps
// `ductDisplayEnabled` for the next call.  When another record becomes current
// or the window is first shown it calls enablenr() instead.

namespace installationroom {

constexpr double kTolerance = 0.001;
constexpr double kSmallOutputLimit = 50.0;  // kW; up to here a neighbour room may help

// Typed texts of one ventilation duct: length in m and the counts of 90° bends,
// 45° bends and grilles.
struct DuctTexts {
    QString length;
    QString bends90;
    QString bends45;
    QString grilles;
};

struct PageInput {
    // The current record.  The check boxes and selections of the page are bound
    // to its fields and read from there: NRaktiv = Hrnrvorhanden, hrnrzuluft =
    // Hrnrzuluft, radiogroupNRloeff = Hrnrloeff, hrllanzahl = Hrllanzahl, hrll =
    // Hrll.  An empty selection field means no item is selected.
    Record record;

    QString outputText;           // HRleistung, kW
    QString volumeText;           // ARV, m³
    QString neighbourVolumeText;  // NRV, m³
    DuctTexts duct1;              // hrlllaenge, hrllu90, hrllu45, hrllgitter
    DuctTexts duct2;              // hrlllaenge2, hrllu902, hrllu452, hrllgitter2

    // The duct cross-section displays hrllS and hrlls2 start disabled and, once
    // enabled by a duct that settled, stay enabled while the program runs.
    bool duct1DisplayEnabled = false;
    bool duct2DisplayEnabled = false;

    // The texts the bound edits show for the record's stored values (the page's
    // state right after a move to this record).
    static PageInput fromRecord(const Record &record);
};

struct ControlState {
    bool enabled = true;
    bool visible = true;
};

// The controls of the page whose state the rules decide, each under the name
// the page gives it.
struct PageControls {
    ControlState NRaktiv;
    ControlState hrnrpanel;
    ControlState hrnrzuluft;
    ControlState arnrsz1checkbox;
    ControlState arsz1freibox;
    ControlState hrllanzahl;
    ControlState hrloeffs;   // with its labels "1 x" and "cm²   oder"
    ControlState hrll;
    ControlState hrllname2;  // standing for the whole second-duct column
    ControlState hrllS;
    ControlState hrlls2;
};

// A control of PageControls with its name, for listing them by name.
struct NamedControl {
    const char16_t *name;
    ControlState PageControls::*member;
};

// One ventilation duct as the iteration left it.
struct DuctSizing {
    bool computed = false;  // false: skipped (no opening size, or inputs unreadable)
    double equivalentLength = 0.0;
    double area = 0.0;      // cm², unrounded
    QString text;           // one decimal, written into HrllS / Hrlls2
    int steps = 0;
    bool settled = false;   // the change fell below 0.0001 within 20 steps
};

struct PageState {
    Record record;             // the input record with every write applied
    QStringList writtenFields; // fields the evaluation wrote, in order of first write

    PageControls controls;

    // Selections the rules forced (field name, value), already written and
    // already evaluated once more as a click would.
    std::vector<std::pair<QString, int>> forcedSelections;

    int notebookPage = 0;  // Notebook1: the page of the selected supply variant

    // Texts of hrloeffs and hrloeffs2 (general number format; empty while the
    // room volume is not a number).  Only set by evaluate().
    QString singleOpeningText;
    QString twoOpeningsText;

    DuctSizing duct1, duct2;
    bool duct1DisplayEnabled = false;
    bool duct2DisplayEnabled = false;

    // The room volume is not (yet) a number: protection goal 1 by the room is
    // left as it was, the opening sizes are empty and no duct is computed.
    bool volumeMissing = false;

    int passes = 0;  // 1, or more when a forced selection ran the evaluation again
};

// The evaluation run after every edit on the page: results, opening sizes,
// enabling rules and both ducts.  Never shows a message.
PageState evaluate(const PageInput &input);

// The enabling rules alone, as run when another record becomes current and
// when the main window is first shown.  Writes nothing unless a selection is
// forced; a forced selection counts as a click, so the full evaluation runs.
PageState enablenr(const PageInput &input);

// Required free cross-section in cm² of a single opening and of each of two
// openings for a total output in kW: 150 / 75 up to 50 kW (with tolerance),
// otherwise 150 + 2 × (P − 50) and half of it.
std::pair<double, double> openingSizes(double output);

// Equivalent length of a ventilation duct in m: length + 3 m per 90° bend +
// 1.5 m per 45° bend + 0.5 m per grille.
double ductEquivalentLength(double length, int bends90, int bends45, int grilles);

// The duct iteration for an opening size A0 > 0 (cm²) and an equivalent length:
// A := 1 cm² at the first step (or, when `previous` holds a value, the formula
// applied to it), then A := A0 × √(1 + 15.8 × Leq / A^0.7), until a step changes
// A by less than 0.0001 or 21 steps are done.
DuctSizing sizeVentilationDuct(double openingSize, double equivalentLength,
                               std::optional<double> previous = std::nullopt);

// Every control of PageControls with its name, in page order.
std::span<const NamedControl> namedControls();

} // namespace installationroom
