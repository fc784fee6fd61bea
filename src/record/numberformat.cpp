#include "numberformat.h"

#include <algorithm>
#include <cfenv>
#include <cstdio>
#include <string>
#include <cmath>

namespace numfmt {

const QLocale &german()
{
    static const QLocale loc = [] {
        QLocale l(QLocale::German, QLocale::Germany);
        l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return l;
    }();
    return loc;
}

QString fixed(double value, int decimals)
{
    if (!std::isfinite(value))
        return german().toString(value);
    decimals = std::clamp(decimals, 0, 15);
    // Fifteen significant digits first: what lies beyond is the noise of binary
    // arithmetic (0,03 × 360 / 1,6 is 6,7499999… in doubles but 6,75 on paper).
    const double magnitude = std::fabs(value);
    const int exponent = magnitude > 0.0 ? int(std::floor(std::log10(magnitude))) : 0;
    const int places = std::clamp(14 - exponent, decimals + 1, 40);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", places, magnitude);
    std::string digits(buf);

    // Then the decimal rounding a person does: from five upwards away from zero.
    const size_t point = digits.find('.');
    std::string intPart = digits.substr(0, point);
    std::string frac = digits.substr(point + 1);
    const bool roundUp = frac[size_t(decimals)] >= '5';
    std::string kept = intPart + frac.substr(0, size_t(decimals));
    if (roundUp) {
        int i = int(kept.size()) - 1;
        while (i >= 0 && kept[size_t(i)] == '9')
            kept[size_t(i--)] = '0';
        if (i < 0)
            kept.insert(kept.begin(), '1');
        else
            ++kept[size_t(i)];
    }
    const size_t intLen = kept.size() - size_t(decimals);
    QString s = QString::fromLatin1(kept.substr(0, intLen));
    if (decimals > 0)
        s += QLatin1Char(',') + QString::fromLatin1(kept.substr(intLen));
    // "-0,0" is not a value a user expects to see.
    const bool isZero = kept.find_first_not_of('0') == std::string::npos;
    if (value < 0.0 && !isZero)
        s.prepend(u'-');
    return s;
}

QString general(double value)
{
    if (value == 0.0)
        return u"0"_qs;
    QString s = QString::number(value, 'g', 15);
    s.replace(u'.', u',');
    return s;
}

bool parse(const QString &text, double *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(u'.'))
        return false;
    bool ok = false;
    const double v = german().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

double roundOneDecimalEven(double value)
{
    // nearbyint honours the current rounding mode, which is round-to-nearest-even
    // unless somebody changed it; make sure of it for this one call.
    double tenfold = value * 10.0;
    // A half that is exact on paper may lie a hair off in doubles (1,4 / 4 gives
    // 3,4999999… tenths); take it at nine decimals before deciding.
    if (std::fabs(tenfold) < 1e6)
        tenfold = std::round(tenfold * 1e9) / 1e9;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(tenfold) / 10.0;
    std::fesetround(saved);
    return r;
}

} // namespace numfmt
