#pragma once

// The protocol of a record in the interconnection mode: letterhead, addressee
// block, site and owner, the tables of protection goal 1 (1 m³ per kW) and 2
// (4 m³ per kW), totals and verdicts, the open fireplace or tiled stove, notes,
// the sketch and the remarks.  It prints what the interconnection check stored
// in the record and computes only its display rules (below).

#include "letterhead.h"
#include "protocolparts.h"
#include "reportengine.h"

#include <QStringList>

#include <memory>

namespace report {

// Display rules of the interconnection protocol, per room slot (0 = RA, 1..7 = R1..R7).
namespace interconnection {

// The openings that serve a room in the column "Lüftungsöffnungen": RA counts
// the openings of the rooms joined with RA, R1 (R2) its own and those of the
// rooms joined with it, R3..R7 their own.  "2x150cm² (a)" for the openings of
// type 1, "1x150cm² (b)" for type 2, joined by a comma; empty without either.
QString openingSummary(const Record &record, int slot);
// "X" under "Aufstellraum": the room's volume + 0.001 exceeds its output.
bool roomAloneSuffices(const Record &record, int slot);
// "X" under "Aufstell- und Nachbarräume": not the first mark, and a positive carry-over.
bool neighboursSuffice(const Record &record, int slot);
// The partner room of a link code: 1 "RA", 2 "R1", 3 "R2", anything else empty.
QString partnerRoom(int code);
// The notes under "Hinweis:", in their order.
QStringList notes(const Record &record);
// "Benötigte …" value: RAN + Okunversorgt, one decimal with a point, six characters.
QString requiredOutputText(const Record &record);
// The duct sentence of the open fireplace block; empty without a duct.
QString ductSentence(const Record &record);

} // namespace interconnection

class TQuickReport {
public:
    // The letterhead from `settings`, the sketch box drawn by `sketch`.
    TQuickReport(SettingsSource settings, SketchPainter sketch);
    ~TQuickReport();

    const Layout &layout() const { return m_layout; }

    // The pages of the protocol of `record` at sketch scale s.
    std::vector<Page> run(const Record &record, int sketchScale, const PageSink &sink = {}) const;

private:
    struct State;
    void build();

    SettingsSource m_settings;
    SketchPainter m_sketch;
    std::shared_ptr<State> m_state;
    Layout m_layout;
};

} // namespace report
