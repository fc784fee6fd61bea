#include "fieldlimits.h"

#include "roomvolume.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace {

constexpr double kGeneralLimit = 1e9;

struct Group {
    QStringList fields;
    FieldLimit limit;
};

const QList<Group> &groups()
{
    static const QList<Group> g = {
        {{u"RAN"_qs, u"R1N"_qs, u"R2N"_qs, u"R3N"_qs, u"R4N"_qs, u"R5N"_qs, u"R6N"_qs, u"R7N"_qs, u"RAQl"_qs,
          u"R1Ql"_qs, u"R2ql"_qs, u"R3ql"_qs, u"R4ql"_qs, u"R5ql"_qs, u"R6ql"_qs, u"R7ql"_qs, u"Qlansum"_qs,
          u"Okqn1"_qs, u"OkllP"_qs, u"Hrleistung"_qs, u"Psum"_qs, u"Pzusatz"_qs, u"Okunversorgt"_qs},
         {10000.0, u"kW"_qs}},
        {{u"RAV"_qs, u"R1V"_qs, u"R2V"_qs, u"R3V"_qs, u"R4V"_qs, u"R5V"_qs, u"R6V"_qs, u"R7V"_qs, u"Rarv"_qs,
          u"R1Rv"_qs, u"R2rv"_qs, u"R3rv"_qs, u"R4rv"_qs, u"R5rv"_qs, u"R6rv"_qs, u"R7rv"_qs, u"Vortrag"_qs,
          u"Vsum"_qs, u"Hrvolumen"_qs, u"Hrnrvolumen"_qs},
         {1000000.0, u"m³"_qs}},
        {{u"Ral"_qs, u"R1l"_qs, u"R2l"_qs, u"R3l"_qs, u"R4l"_qs, u"R5l"_qs, u"R6l"_qs, u"R7l"_qs, u"Rab"_qs,
          u"R1b"_qs, u"R2b"_qs, u"R3b"_qs, u"R4b"_qs, u"R5b"_qs, u"R6b"_qs, u"R7b"_qs, u"Hrlaenge"_qs, u"Hrbreite"_qs,
          u"OkllLaenge"_qs, u"Hrlllaenge"_qs, u"Hrlllaenge2"_qs},
         {1000.0, u"m"_qs}},
        {{u"Rah"_qs, u"R1h"_qs, u"R2h"_qs, u"R3h"_qs, u"R4h"_qs, u"R5h"_qs, u"R6h"_qs, u"R7h"_qs, u"Hrhoehe"_qs},
         {roomvolume::kMaxRoomHeight, u"m"_qs}},
        {{u"Okqs1"_qs}, {100.0, u"m²"_qs}},
        {{u"OkllS"_qs, u"Okllstats"_qs, u"HrloeffS"_qs, u"Hrloeffs2"_qs, u"HrllS"_qs, u"Hrlls2"_qs},
         {1000000.0, u"cm²"_qs}},
    };
    return g;
}

QString amount(double v)
{
    return QLocale(QLocale::German).toString(v, 'f', 0);
}

} // namespace

FieldLimit fieldLimit(const QString &field)
{
    for (const Group &g : groups())
        if (g.fields.contains(field, Qt::CaseInsensitive))
            return g.limit;
    return {kGeneralLimit, {}};
}

bool checkFieldLimit(const QString &field, double value, QString &error)
{
    const FieldLimit limit = fieldLimit(field);
    if (std::isfinite(value) && std::fabs(value) <= limit.maximum)
        return true;
    const QString unit = limit.unit.isEmpty() ? QString() : u' ' + limit.unit;
    error = u"Der Wert %1 für Feld \"%2\" liegt außerhalb jeder Anlage (erlaubt sind Beträge bis %3%4)."_qs.arg(
        QLocale(QLocale::German).toString(value, 'g', 6), field, amount(limit.maximum), unit);
    return false;
}

QString fieldLimitsHelp()
{
    QString text = u"Grenzen: Zahlen außerhalb jeder Anlage werden mit Status 2 abgelehnt. Erlaubt sind Beträge bis\n"_qs;
    const QStringList what = {u"Leistungen"_qs, u"Volumen"_qs, u"Längen und Breiten"_qs, u"Raumhöhen"_qs,
                              u"Fläche Okqs1"_qs, u"Querschnitte"_qs};
    for (qsizetype i = 0; i < groups().size(); ++i)
        text += u"  %1: %2 %3\n"_qs.arg(what[i], amount(groups()[i].limit.maximum), groups()[i].limit.unit);
    text += u"  alle anderen Zahlenfelder: %1\n"_qs.arg(amount(kGeneralLimit));
    return text;
}
