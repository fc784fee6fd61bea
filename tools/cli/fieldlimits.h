#pragma once

#include <QString>

// The largest amounts a number field of an installation record can hold in
// any real installation.  Far beyond them (1e308 kW, a room 1e200 m long) a
// value is a slip or an attack, not a site, and ofenring-cli refuses it
// instead of computing with it.  The sign is left to the rules: only the
// amount is limited.
//
//   outputs (kW)                         10 000
//   volumes (m³)                      1 000 000
//   lengths and widths (m)                1 000
//   room heights (m)                        100
//   fire-chamber opening Okqs1 (m²)         100
//   cross-sections (cm²)              1 000 000
//   every other number field          1 000 000 000
struct FieldLimit {
    double maximum;
    QString unit;   // "kW", "m³", ...; empty for the general limit
};

// The limit of a number field, by its name (case does not matter).
FieldLimit fieldLimit(const QString &field);

// True when the amount of `value` lies within the field's limit; otherwise
// false and a German message naming the field, the value and the limit.
bool checkFieldLimit(const QString &field, double value, QString &error);

// The help text's paragraph on these limits.
QString fieldLimitsHelp();
