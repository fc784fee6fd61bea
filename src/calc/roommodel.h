#pragma once

#include "messagelist.h"
#include "record.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// One room of the dwelling in working form.
struct RoomSlot {
    QString name;
    bool interconnectionMark = false;  // only R1 and R2 can carry it
    double volume = 0.0;               // m³
    double output = 0.0;               // kW
    bool outsideOpening = false;       // door or window to the outside
    std::int8_t openingType = 0;       // 0..7, see openingTypeLabel
    std::int8_t connectedWith = 0;     // 0/-1 none, 1 RA, 2 R1, 3 R2
    double restVolume = 0.0;           // result, m³
    double creditableOutput = 0.0;     // result, kW, one decimal
    double surplusVolume = 0.0;        // working value for RA, R1, R2
};

// Index 0 = RA, index n = Rn.
using RoomSlots = std::array<RoomSlot, 8>;

constexpr int kOpeningTypeCount = 8;

// Fills the eight room slots from an installation record.
RoomSlots loadRoomSlots(const Record &record);

// "RA" for 0, "R1".."R7" for 1..7.
QString slotLabel(int index);

// The label of an opening-type code as the input page lists it.
QString openingTypeLabel(int code);

// Curve class 1..4 of an opening type; none for code 0 (or an unknown code).
std::optional<std::uint8_t> curveClassOf(int openingType);

// Creditable output in kW for a residual volume in m³ through an opening of the
// given curve class.  Class 4: one kW per 4 m³; classes 1..3 interpolate the
// 2 m³ table.  A volume beyond the table adds ("Fehler", "Tabellenindex zu groß.")
// to `messages` and gives -1.0.
double rechne_kurve(std::uint8_t curveClass, double volume, MessageList &messages);

// The record field names of one room, by slot index.
struct RoomFieldNames {
    QString name, volume, output, outsideOpening, openingType, connectedWith, restVolume,
        creditableOutput, mark, appliance;
};
const RoomFieldNames &roomFields(int index);
