#pragma once

#include <QString>

// Supply-air duct of an open fireplace or tiled stove after DIN 18895: from the
// output whose combustion air the duct delivers, its length and its bends, the
// required free cross-section; and the part of the fireplace's output that the
// room-air interconnection still has to supply.
//
// The duct dialog collects its inputs, calls sizeSupplyAirDuct() on every change
// and shows what comes back; on OK it writes the fields listed with
// SupplyAirDuctResult and unsuppliedOutput().

namespace supplyairduct {

// The message shown when the equivalent length exceeds the 30 m of the lines.
inline const QString kLengthExceededMessage = u"Länge von 30 m überschritten!"_qs;

constexpr double kMaxLength = 30.0;
constexpr double kTolerance = 0.001;

// Side-ratio classes of the duct section (field Okllform).
enum SideRatio { RoundOrUpTo1To1_5 = 0, From1To1_5To1To5 = 1, From1To5To1To10 = 2 };

// Leq = L + 1.5 m per 45° bend + 3.0 m per 90° bend.
double equivalentLength(double length, int bends45, int bends90);

// Combustion-air flow in m³/h for an output in kW (1.6 m³/h per kW).
double airFlow(double output);

// Number of duct lines and the length (m) of line i, 0 m .. 30 m.
int lineCount();
int lineLength(int line);

// Value in cm² of line i at the air flow (m³/h): the straight line through its
// two tabled points, neither clipped to the span between them nor capped.
double lineValue(int line, double flow);

// Base cross-section in cm² for an output P (kW) and an equivalent length (m),
// interpolated linearly in length between the two neighbouring lines.  Above
// 30.001 m `lengthExceeded` is set and the cross-section is 0; between 30 m and
// 30.001 m the 25 m..30 m segment is extended.  A length of 0 or below gives the
// 0 m line.
struct BaseCrossSection {
    double area = 0.0;
    bool lengthExceeded = false;
};
BaseCrossSection llquerschnitt(double output, double equivalentLength);

// Surcharge factor of a side-ratio class: 1.0, 1.1, 1.25 (an unknown class
// counts as class 0).
double sideRatioFactor(int sideRatio);

// What the dialog holds: the two typed texts (decimal comma) and the choices
// made with the arrows and the radio group.
struct SupplyAirDuctInput {
    QString outputText;  // leistungedit: supplied output P, kW
    QString lengthText;  // laengeedit: length L, m
    int bends45 = 0;     // okllu45, 0..10
    int bends90 = 0;     // okllu90, 0..10
    int sideRatio = 0;   // llseitenverhaeltnis item index (Okllform)
};

struct SupplyAirDuctResult {
    // False when the output or the length is not a number (or so large that
    // the cross-section overflows): both cross-section texts are empty and the
    // dialog must not be confirmed.
    bool inputValid = false;
    bool okAllowed = false;
    // kLengthExceededMessage (an error with button OK) when the length is over
    // the limit; empty otherwise.
    QString message;

    double output = 0.0;            // P as read
    double length = 0.0;            // L as read
    double equivalentLength = 0.0;  // Leq
    double flow = 0.0;              // V
    double baseArea = 0.0;          // unrounded
    double actualArea = 0.0;        // unrounded

    // One-decimal texts shown in querschnittgrundwertedit and querschnittedit
    // and stored in OkllS and Okllstats ("" when the input is not valid).
    QString baseText;
    QString actualText;
};

SupplyAirDuctResult sizeSupplyAirDuct(const SupplyAirDuctInput &input);

// Output of the fireplace left to the interconnection: max(0, Okqn1 - OkllP).
double unsuppliedOutput(double fireplaceOutput, double suppliedOutput);

} // namespace supplyairduct
