#pragma once

// The protocol of a record in the installation-room mode: letterhead,
// addressee block, site and owner, the installation room, the neighbour room,
// the combustion-air supply with its verdicts, the ventilation ducts, the
// sketch and the remarks.  Its title "Protokoll Aufstellungsraum" is the
// caption of the preview window.

#include "letterhead.h"
#include "protocolparts.h"
#include "reportengine.h"

namespace report {

namespace installationroom {

// The neighbour room is in use: included, and the installation room's output
// is at most 50 kW (+0.001), up to which the page offers it.
bool neighbourRoomInUse(const Record &record);
// The choice between one and two openings is offered: output at most 50 kW
// (+0.001), or a room volume (+0.001) at least as large as the output.
bool openingChoiceOffered(const Record &record);
// The openings to the neighbour room: "2x150", "1x150", "2x75", else the code.
QString neighbourOpeningText(int code);
// "150 cm²": the cross-section of the chosen number of openings.
QString chosenOpeningText(const Record &record);
// "1x150 cm² oder 2x112,5 cm²)" or "2x112,5 cm²)".
QString admissibleOpeningsText(const Record &record);
// "Öffnungen ins Freie", "Öffnungen mit nachgeschalteten Lüftungsleitungen ins Freie", else the code.
QString supplyKindText(int hrll);

} // namespace installationroom

class Tarrepform {
public:
    // The letterhead from `settings`, the sketch box drawn by `sketch`.
    Tarrepform(SettingsSource settings, SketchPainter sketch);

    static QString reportTitle();  // "Protokoll Aufstellungsraum"
    const Layout &layout() const { return m_layout; }

    std::vector<Page> run(const Record &record, int sketchScale, const PageSink &sink = {}) const;

private:
    void build();

    SettingsSource m_settings;
    SketchPainter m_sketch;
    Layout m_layout;
};

} // namespace report
