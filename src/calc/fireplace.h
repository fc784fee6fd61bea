#pragma once

#include <QString>

// Fictitious heat output of an open fireplace or a tiled stove in the
// installation room RA, from the cross-section of the fire-chamber opening or
// the surface of the stove.  The fireplace dialog calls fictitiousOutputFromText()
// on every recompute and shows `text`; on OK it stores the code in Okraum1 and
// `stored` in Okqn1.

namespace fireplace {

// Kinds of fireplace (field Okraum1, item index of the dialog's selection).
enum Kind {
    NoFireplace = 0,
    OpenFireplaceAlone = 1,       // the only fireplace of the dwelling: 360 m³/h per m²
    OpenFireplaceWithOthers = 2,  // together with other fireplaces: 540 m³/h per m²
    TiledStove = 3,               // 1 kW per m² of stove surface
};

constexpr int kKindCount = 4;

// Output in kW for a kind and an area in m².  For the open fireplace the air
// flow (area × 360 or × 540) is formed first and then divided by 1.6 m³/h per kW.
// An unknown kind gives 0.
double fictitiousOutput(int kind, double area);

struct FictitiousOutput {
    bool areaIsNumber = false;
    // The area could not be read: the dialog sounds the system beep and shows
    // "0,0"; its pending-change mark stays as it was.
    bool beep = false;
    double output = 0.0;  // unrounded
    QString text;         // one decimal, decimal comma: shown and stored ("112,5")
    double stored = 0.0;  // the value of `text`, what Okqn1 receives
};

// The recompute of the dialog from the typed area (decimal comma; a full stop
// is not a decimal mark).
FictitiousOutput fictitiousOutputFromText(int kind, const QString &areaText);
// The same from an area already held as a number.
FictitiousOutput fictitiousOutputFromArea(int kind, double area);

// Label of the area row: "Feuerraumquerschnitt" for the open fireplace,
// "Oberfläche" otherwise.
QString areaLabel(int kind);

// The output row is shown for every kind but "---".
bool outputRowVisible(int kind);

} // namespace fireplace
