#include "supplyairduct.h"

#include "numberformat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace supplyairduct {

namespace {

// The DIN 18895 lines: for each duct length two points (air flow in m³/h,
// cross-section in cm²), kept as the integers they are tabled as.
struct DuctLine {
    int length;
    int flow1, area1, flow2, area2;
};

constexpr std::array<DuctLine, 10> kLines = {{
    {0, 1600, 2250, 0, 0},
    {2, 1600, 2500, 0, 90},
    {4, 1600, 2700, 0, 145},
    {6, 1600, 2880, 0, 180},
    {8, 1575, 3000, 0, 220},
    {10, 1500, 3000, 200, 600},
    {15, 1340, 3000, 100, 495},
    {20, 1230, 3000, 100, 540},
    {25, 1130, 3000, 100, 577},
    {30, 1055, 3000, 100, 600},
}};

} // namespace

double equivalentLength(double length, int bends45, int bends90)
{
    return length + 1.5 * bends45 + 3.0 * bends90;
}

double airFlow(double output)
{
    return 1.6 * output;
}

int lineCount()
{
    return int(kLines.size());
}

int lineLength(int line)
{
    return kLines[size_t(line)].length;
}

double lineValue(int line, double flow)
{
    const DuctLine &l = kLines[size_t(line)];
    const double slope = double(l.area2 - l.area1) / double(l.flow2 - l.flow1);
    return slope * flow + (l.area1 - l.flow1 * slope);
}

BaseCrossSection llquerschnitt(double output, double leq)
{
    if (leq > kMaxLength + kTolerance)
        return {0.0, true};
    const double flow = airFlow(output);
    if (leq <= 0.0)
        return {lineValue(0, flow), false};

    // First line at least as long as the duct; a duct just over 30 m (within
    // the tolerance) has none and extends the last segment.
    int upper = lineCount() - 1;
    for (int i = 0; i < lineCount(); ++i) {
        if (lineLength(i) >= leq) {
            upper = i;
            break;
        }
    }
    if (upper == 0)
        return {lineValue(0, flow), false};
    const int lower = upper - 1;
    const double a = lineValue(lower, flow);
    const double b = lineValue(upper, flow);
    const double la = lineLength(lower);
    const double lb = lineLength(upper);
    return {a + (leq - la) * (b - a) / (lb - la), false};
}

double sideRatioFactor(int sideRatio)
{
    switch (sideRatio) {
    case From1To1_5To1To5: return 1.1;
    case From1To5To1To10: return 1.25;
    default: return 1.0;
    }
}

SupplyAirDuctResult sizeSupplyAirDuct(const SupplyAirDuctInput &input)
{
    SupplyAirDuctResult r;
    if (!numfmt::parse(input.outputText, &r.output) || !numfmt::parse(input.lengthText, &r.length))
        return r;  // empty texts, OK not allowed

    r.inputValid = true;
    r.okAllowed = true;
    r.equivalentLength = equivalentLength(r.length, input.bends45, input.bends90);
    r.flow = airFlow(r.output);
    const BaseCrossSection base = llquerschnitt(r.output, r.equivalentLength);
    if (base.lengthExceeded)
        r.message = kLengthExceededMessage;
    r.baseArea = base.area;
    r.actualArea = base.area * sideRatioFactor(input.sideRatio);
    // An output or length beyond any real duct overflows the line arithmetic;
    // it is treated like a text that is not a number rather than stored as 0.
    if (!std::isfinite(r.baseArea) || !std::isfinite(r.actualArea)) {
        SupplyAirDuctResult invalid;
        invalid.output = r.output;
        invalid.length = r.length;
        return invalid;
    }
    r.baseText = numfmt::fixed(r.baseArea, 1);
    r.actualText = numfmt::fixed(r.actualArea, 1);
    return r;
}

double unsuppliedOutput(double fireplaceOutput, double suppliedOutput)
{
    return std::max(0.0, fireplaceOutput - suppliedOutput);
}

} // namespace supplyairduct
