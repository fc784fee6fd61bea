#include "roommodel.h"

#include <cmath>

namespace {

// Creditable output in kW for the residual volumes 0, 2, 4 .. 140 m³, one column
// per curve class 1..3 (doors with 3-sided seal unshortened .. shortened doors).
constexpr double kCurve[71][3] = {
    {0.0, 0.0, 0.0},   {0.5, 0.5, 0.5},   {0.9, 0.9, 0.9},   {1.4, 1.4, 1.4},   {1.7, 1.9, 1.9},
    {2.1, 2.4, 2.4},   {2.3, 2.8, 2.9},   {2.6, 3.2, 3.3},   {2.8, 3.7, 3.8},   {3.1, 4.1, 4.3},
    {3.3, 4.6, 4.7},   {3.5, 5.0, 5.2},   {3.6, 5.4, 5.7},   {3.8, 5.8, 6.1},   {3.9, 6.2, 6.6},
    {4.1, 6.6, 7.1},   {4.2, 7.0, 7.5},   {4.3, 7.3, 7.9},   {4.4, 7.7, 8.4},   {4.4, 8.1, 8.8},
    {4.5, 8.5, 9.3},   {4.6, 8.8, 9.7},   {4.7, 9.1, 10.1},  {4.7, 9.4, 10.6},  {4.8, 9.8, 11.0},
    {4.8, 10.1, 11.4}, {4.9, 10.4, 11.8}, {4.9, 10.7, 12.2}, {5.0, 11.0, 12.6}, {5.0, 11.3, 13.0},
    {5.1, 11.6, 13.4}, {5.1, 11.9, 13.8}, {5.1, 12.1, 14.2}, {5.1, 12.4, 14.6}, {5.2, 12.7, 14.9},
    {5.2, 12.9, 15.3}, {5.2, 13.2, 15.7}, {5.3, 13.4, 16.0}, {5.3, 13.6, 16.4}, {5.3, 13.9, 16.7},
    {5.3, 14.1, 17.1}, {5.3, 14.3, 17.4}, {5.4, 14.5, 17.7}, {5.4, 14.7, 18.1}, {5.4, 14.9, 18.4},
    {5.4, 15.1, 18.7}, {5.4, 15.3, 19.0}, {5.4, 15.5, 19.4}, {5.4, 15.7, 19.7}, {5.5, 15.9, 20.0},
    {5.5, 16.1, 20.3}, {5.5, 16.2, 20.6}, {5.5, 16.4, 20.8}, {5.5, 16.6, 21.1}, {5.5, 16.8, 21.4},
    {5.5, 16.9, 21.7}, {5.5, 17.1, 22.0}, {5.5, 17.2, 22.2}, {5.6, 17.4, 22.5}, {5.6, 17.5, 22.7},
    {5.6, 17.7, 23.0}, {5.6, 17.8, 23.2}, {5.6, 17.9, 23.5}, {5.6, 18.1, 23.7}, {5.6, 18.2, 24.0},
    {5.6, 18.3, 24.2}, {5.6, 18.5, 24.4}, {5.6, 18.6, 24.7}, {5.6, 18.7, 24.9}, {5.6, 18.8, 25.1},
    {5.6, 18.9, 25.3},
};
constexpr int kLastRow = 70;

RoomFieldNames makeNames(int i)
{
    auto s = [](const char *a) { return QString::fromLatin1(a); };
    static const char *const names[] = {"RA", "R1", "R2", "R3", "R4", "R5", "R6", "R7"};
    static const char *const vol[] = {"RAV", "R1V", "R2V", "R3V", "R4V", "R5V", "R6V", "R7V"};
    static const char *const out[] = {"RAN", "R1N", "R2N", "R3N", "R4N", "R5N", "R6N", "R7N"};
    static const char *const tof[] = {"RATOF", "R1TOF", "R2tof", "R3tof", "R4tof", "R5tof", "R6tof", "R7tof"};
    static const char *const oeff[] = {"", "R1oeff", "R2oeff", "R3oeff", "R4oeff", "R5oeff", "R6oeff", "R7oeff"};
    static const char *const vmit[] = {"", "R1Vmit", "R2vmit", "R3vmit", "R4vmit", "R5vmit", "R6vmit", "R7vmit"};
    static const char *const rv[] = {"Rarv", "R1Rv", "R2rv", "R3rv", "R4rv", "R5rv", "R6rv", "R7rv"};
    static const char *const ql[] = {"RAQl", "R1Ql", "R2ql", "R3ql", "R4ql", "R5ql", "R6ql", "R7ql"};
    static const char *const mark[] = {"", "R1VR", "R2VR", "", "", "", "", ""};
    static const char *const art[] = {"RAArt", "R1art", "R2art", "R3art", "R4art", "R5art", "R6art", "R7art"};
    return {s(names[i]), s(vol[i]), s(out[i]), s(tof[i]), s(oeff[i]), s(vmit[i]),
            s(rv[i]),    s(ql[i]),  s(mark[i]), s(art[i])};
}

std::int8_t toCode(int stored)
{
    // Stored codes lie in -1..7; the slot keeps them as signed 8-bit values.
    return static_cast<std::int8_t>(stored);
}

} // namespace

const RoomFieldNames &roomFields(int index)
{
    static const std::array<RoomFieldNames, 8> all = [] {
        std::array<RoomFieldNames, 8> a;
        for (int i = 0; i < 8; ++i)
            a[size_t(i)] = makeNames(i);
        return a;
    }();
    return all[size_t(index)];
}

RoomSlots loadRoomSlots(const Record &record)
{
    RoomSlots rooms{};
    for (int i = 0; i < 8; ++i) {
        const RoomFieldNames &f = roomFields(i);
        RoomSlot &s = rooms[size_t(i)];
        s.name = record.text(f.name);
        s.volume = record.number(f.volume);
        s.output = record.number(f.output);
        s.outsideOpening = record.boolean(f.outsideOpening);
        if (!f.mark.isEmpty())
            s.interconnectionMark = record.boolean(f.mark);
        if (i > 0) {
            s.openingType = toCode(record.integer(f.openingType));
            s.connectedWith = toCode(record.integer(f.connectedWith));
        }
    }
    return rooms;
}

QString slotLabel(int index)
{
    return index == 0 ? u"RA"_qs : u"R"_qs + QString::number(index);
}

QString openingTypeLabel(int code)
{
    switch (code) {
    case 0: return u"nicht für KQ benutzt"_qs;
    case 1: return u"Öffnung 2x150 cm²"_qs;
    case 2: return u"Öffnung 1x150 cm²"_qs;
    case 3: return u"Türe ohne Dicht., ungekürzt"_qs;
    case 4: return u"Türe ohne Dicht, 1 cm gekürzt"_qs;
    case 5: return u"Türe mit 3-seit. Dichtung, ungekürzt"_qs;
    case 6: return u"Türe mit 3-seit. Dichtung, 1 cm gekürzt"_qs;
    case 7: return u"Türe mit 3-seit. Dichtung, 1,5 cm gekürzt"_qs;
    default: return {};
    }
}

std::optional<std::uint8_t> curveClassOf(int openingType)
{
    switch (openingType) {
    case 1:
    case 2: return 4;
    case 3: return 2;
    case 4: return 3;
    case 5: return 1;
    case 6: return 2;
    case 7: return 3;
    default: return std::nullopt;
    }
}

double rechne_kurve(std::uint8_t curveClass, double volume, MessageList &messages)
{
    if (curveClass == 4)
        return volume / 4.0;
    if (curveClass < 1 || curveClass > 3)
        return 0.0;
    const int k = curveClass - 1;
    // Row index as a full integer, so that a large volume can never wrap round
    // to a small row.
    const double rowExact = std::trunc(volume / 2.0);
    if (rowExact > kLastRow) {
        messages.addProblem(u"Fehler"_qs, u"Tabellenindex zu groß."_qs);
        return -1.0;
    }
    // Only volumes just below zero reach here from the check; they use row 0.
    const int c = rowExact < 0 ? 0 : int(rowExact);
    // The table ends at 140 m³: from there up to 142 m³ the last row holds.
    if (c == kLastRow)
        return kCurve[kLastRow][k];
    return kCurve[c][k] + (volume - 2.0 * c) * (kCurve[c + 1][k] - kCurve[c][k]) / 2.0;
}
