#pragma once

#include <QLocale>
#include <QString>

// German number texts, whatever the system locale says: decimal comma, no
// thousands separator (the program never groups digits).
namespace numfmt {

const QLocale &german();

// Fixed-point text with the given number of decimals ("0.0" -> 1, "0.00" -> 2),
// rounded as on paper: the value is taken at fifteen significant digits and a
// five rounds away from zero (0,15 -> "0,2", 168,75 -> "168,8").
QString fixed(double value, int decimals);

// General format: the shortest text that reads back as the same value, up to 15
// significant digits, decimal comma ("2,7", "35", "0,125").
QString general(double value);

// Reads a number typed with a decimal comma.  A full stop is not a decimal mark;
// leading and trailing blanks are allowed.  Returns false for anything else.
bool parse(const QString &text, double *value);

// Round to one decimal, an exact half going to the even neighbour
// (0.25 -> 0.2, 0.75 -> 0.8, 0.35 -> 0.4).
double roundOneDecimalEven(double value);

} // namespace numfmt
