#include "fireplace.h"

#include "numberformat.h"

#include <cmath>

namespace fireplace {

namespace {

constexpr double kFlowAlone = 360.0;       // m³/h per m² of fire-chamber opening
constexpr double kFlowWithOthers = 540.0;  // m³/h per m², with other fireplaces
constexpr double kFlowPerKw = 1.6;         // m³/h per kW

} // namespace

double fictitiousOutput(int kind, double area)
{
    switch (kind) {
    case OpenFireplaceAlone: return area * kFlowAlone / kFlowPerKw;
    case OpenFireplaceWithOthers: return area * kFlowWithOthers / kFlowPerKw;
    case TiledStove: return area;
    default: return 0.0;
    }
}

FictitiousOutput fictitiousOutputFromArea(int kind, double area)
{
    FictitiousOutput r;
    r.areaIsNumber = true;
    r.output = fictitiousOutput(kind, area);
    r.text = numfmt::fixed(r.output, 1);
    numfmt::parse(r.text, &r.stored);
    return r;
}

FictitiousOutput fictitiousOutputFromText(int kind, const QString &areaText)
{
    double area = 0.0;
    // An area so large that the output overflows is no usable number either.
    if (numfmt::parse(areaText, &area) && std::isfinite(fictitiousOutput(kind, area)))
        return fictitiousOutputFromArea(kind, area);
    FictitiousOutput r;
    r.beep = true;
    r.text = numfmt::fixed(0.0, 1);
    return r;
}

QString areaLabel(int kind)
{
    return kind == OpenFireplaceAlone || kind == OpenFireplaceWithOthers ? u"Feuerraumquerschnitt"_qs
                                                                         : u"Oberfläche"_qs;
}

bool outputRowVisible(int kind)
{
    return kind != NoFireplace;
}

} // namespace fireplace
