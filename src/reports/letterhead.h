#pragma once

// The letterhead at the top of every protocol page and the addressee block for
// a window envelope, shared by both protocols.  Both read the print settings
// when they are output, so a change in the header-lines dialog takes effect
// with the next run.

#include "printsettings.h"
#include "reportlayout.h"

#include <functional>

namespace report {

using SettingsSource = std::function<const PrintSettings &()>;

// The emblem of the letterhead: a 660 x 660 greyscale picture at 300 dpi,
// decoded from the program's resources with libjpeg on first use.
const QImage &emblem();

// Width of the letterhead in report units; the two header lines are centred on it.
constexpr double kLetterheadUnits = 700.0;

// Page header: the emblem (when the logo switch is on) 322 units from the
// left margin, 74 x 70 units; header line 1 (bold) and header line 3 side by
// side, centred as a pair with a gap of 10 units, 81 units below the top with
// the logo and 2 units without.  `heightUnits` is the section height.
Section letterheadSection(double heightUnits, SettingsSource settings);

// The two placements of the addressee block (the line tops, mm below the block top).
struct AddresseePlacement {
    double sender;
    double rule;
    // The owner's fields in the order printed, with their tops.
    std::vector<std::pair<QString, double>> lines;
    double postcode;  // E_plz and, 13 mm to its right, E_ort
};
const AddresseePlacement &interconnectionAddressee();
const AddresseePlacement &installationRoomAddressee();

// The addressee block, 67.5 mm high, output only when the address switch is
// on: the sender line (header line 1 followed directly by header line 2,
// 8 pt italic), a rule 321 units long and the owner's address.
Section addresseeSection(const AddresseePlacement &placement, SettingsSource settings);

} // namespace report
