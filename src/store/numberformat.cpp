#include "numberformat.h"

#include <cfenv>
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
    QString s = german().toString(value, 'f', decimals);
    // "-0,0" is not a value a user expects to see.
    if (s.startsWith(u'-')) {
        bool allZero = true;
        for (QChar c : s.mid(1))
            if (c.isDigit() && c != u'0')
                allZero = false;
        if (allZero)
            s.remove(0, 1);
    }
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
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value * 10.0) / 10.0;
    std::fesetround(saved);
    return r;
}

} // namespace numfmt
