#include "fieldcaptions.h"

#include "recordschema.h"

#include <QList>
#include <QPair>
#include <QSet>

namespace fieldcaptions {

namespace {

using Field = QPair<QString, QString>;  // field name as declared, caption

struct Group {
    QString name;     // "Aufstellort", "Raum R3", "Bemerkung"
    QString family;   // groups of one family all empty are named by the family alone
    QList<Field> fields;
    int room = -1;    // 0 for RA, 1 to 7 for R1 to R7; -1: no room
};

const QString kRoomLabels[8] = {u"RA"_qs, u"R1"_qs, u"R2"_qs, u"R3"_qs, u"R4"_qs, u"R5"_qs, u"R6"_qs, u"R7"_qs};

// The installation record's fields in groups, in the record's order.
QList<Group> buildInstallationGroups()
{
    const RecordSchema &schema = RecordSchema::installation();
    // Names are looked up without regard to case and kept as declared (R1TOF, R2tof).
    auto declared = [&schema](const QString &name) {
        const int i = schema.indexOf(name);
        return i < 0 ? QString() : schema.field(i).name;
    };
    auto group = [&](const QString &name, const QString &family, std::initializer_list<Field> fields) {
        Group g{name, family, {}, -1};
        for (const Field &f : fields)
            if (!declared(f.first).isEmpty())
                g.fields.append({declared(f.first), f.second});
        return g;
    };

    QList<Group> groups;
    groups << group(u"Aufstellort"_qs, {}, {{u"A_Name"_qs, u"Name"_qs}, {u"A_zusatz"_qs, u"Zusatz"_qs},
                                            {u"A_gebteil"_qs, u"Gebäudeteil"_qs}, {u"A_strasse"_qs, u"Straße"_qs},
                                            {u"A_Plz"_qs, u"PLZ"_qs}, {u"A_Ort"_qs, u"Ort"_qs}});
    groups << group(u"Eigentümer"_qs, {}, {{u"E_anrede"_qs, u"Anrede"_qs}, {u"E_Name"_qs, u"Name"_qs},
                                           {u"E_zusatz"_qs, u"Zusatz"_qs}, {u"E_strasse"_qs, u"Straße"_qs},
                                           {u"E_plz"_qs, u"PLZ"_qs}, {u"E_ort"_qs, u"Ort"_qs},
                                           {u"E_tel"_qs, u"Telefon"_qs}, {u"E_fax"_qs, u"Fax"_qs}});
    for (int n = 0; n < 8; ++n) {
        const QString r = kRoomLabels[n];
        const QString p = n == 0 ? u"RA"_qs : r;   // prefix of the room's fields
        Group g = group(u"Raum "_qs + r, u"Räume"_qs,
                        {{r, u"Bezeichnung"_qs},
                         {r + u"VR"_qs, u"Verbundraum"_qs},
                         {p + u"V"_qs, u"Volumen"_qs},
                         {p + u"N"_qs, u"Nennleistung"_qs},
                         {p + u"Art"_qs, u"Art der Feuerstätte"_qs},
                         {p + u"TOF"_qs, u"Tür oder Fenster ins Freie"_qs},
                         {p + u"oeff"_qs, u"Öffnung"_qs},
                         {p + u"Vmit"_qs, u"verbunden mit"_qs},
                         {p + u"Ql"_qs, u"anrechenbare Leistung"_qs},
                         {n == 0 ? u"Rarv"_qs : p + u"Rv"_qs, u"Restvolumen"_qs},
                         {n == 0 ? u"Ral"_qs : p + u"l"_qs, u"Länge"_qs},
                         {n == 0 ? u"Rab"_qs : p + u"b"_qs, u"Breite"_qs},
                         {n == 0 ? u"Rah"_qs : p + u"h"_qs, u"Höhe"_qs}});
        g.room = n;
        groups << g;
    }
    groups << group(u"Luftverbund"_qs, {}, {{u"Bschutz"_qs, u"Bestandsschutz"_qs},
                                            {u"Qlansum"_qs, u"Summe der anrechenbaren Leistungen"_qs},
                                            {u"Vortrag"_qs, u"Vortrag"_qs}, {u"Sz1"_qs, u"Schutzziel 1"_qs},
                                            {u"Sz2"_qs, u"Schutzziel 2"_qs}, {u"Gerechnet"_qs, u"berechnet"_qs},
                                            {u"Vsum"_qs, u"Gesamtvolumen"_qs},
                                            {u"Psum"_qs, u"zu versorgende Leistung"_qs},
                                            {u"Pzusatz"_qs, u"Leistung außerhalb von RA"_qs}});
    groups << group(u"Bemerkung"_qs, {}, {{u"Bemerkung"_qs, u"Bemerkung"_qs}});
    groups << group(u"Zeichnung"_qs, {}, {{u"Zeichnung"_qs, u"Zeichnung"_qs}});
    groups << group(u"Skizze"_qs, {}, {{u"Skizze"_qs, u"Skizze"_qs}, {u"Skizzedrucken"_qs, u"Skizze drucken"_qs}});
    groups << group(u"Offener Kamin oder Kachelofen"_qs, {},
                    {{u"Okraum1"_qs, u"Art"_qs}, {u"Okqs1"_qs, u"Feuerraumöffnung"_qs}, {u"Okqn1"_qs, u"fiktive Leistung"_qs}});
    groups << group(u"Zuluftleitung"_qs, {},
                    {{u"Okll"_qs, u"vorhanden"_qs}, {u"OkllP"_qs, u"versorgte Leistung"_qs},
                     {u"OkllLaenge"_qs, u"Länge"_qs}, {u"Okllform"_qs, u"Seitenverhältnis"_qs},
                     {u"OkllS"_qs, u"Grundquerschnitt"_qs}, {u"Okllu45"_qs, u"45°-Umlenkungen"_qs},
                     {u"Okllu90"_qs, u"90°-Umlenkungen"_qs}, {u"Okllstats"_qs, u"tatsächlicher Querschnitt"_qs},
                     {u"Okunversorgt"_qs, u"unversorgte Leistung"_qs}});
    groups << group(u"Berechnungsart"_qs, {}, {{u"Modus"_qs, u"Berechnungsart"_qs}});
    groups << group(u"Merker ohne Verwendung"_qs, {}, {{u"VKQmode"_qs, u"VKQmode"_qs}, {u"Hrloeff"_qs, u"Hrloeff"_qs}});
    const QString room = u"Aufstellungsraum"_qs;
    groups << group(room, room,
                    {{u"Hrleistung"_qs, u"Gesamtleistung"_qs}, {u"Hrvolumen"_qs, u"Volumen"_qs},
                     {u"Hrbreite"_qs, u"Breite"_qs}, {u"Hrlaenge"_qs, u"Länge"_qs}, {u"Hrhoehe"_qs, u"Höhe"_qs},
                     {u"Hrll"_qs, u"Luftzufuhr"_qs}, {u"Hrllanzahl"_qs, u"Zahl der Öffnungen"_qs},
                     {u"HrloeffS"_qs, u"Querschnitt einer Öffnung"_qs},
                     {u"Hrloeffs2"_qs, u"Querschnitt je Öffnung bei zwei Öffnungen"_qs},
                     {u"Hrsz1"_qs, u"Schutzziel 1"_qs}, {u"Hrsz1insfreie"_qs, u"Schutzziel 1 mit Öffnungen ins Freie"_qs}});
    for (const QString &n : {u""_qs, u"2"_qs}) {
        const QString duct = n.isEmpty() ? u"Leitung 1"_qs : u"Leitung 2"_qs;
        groups << group(duct + u" des Aufstellungsraums"_qs, room,
                        {{u"Hrllname"_qs + n, u"Bezeichnung"_qs}, {u"Hrlllaenge"_qs + n, u"Länge"_qs},
                         {(n.isEmpty() ? u"HrllS"_qs : u"Hrlls2"_qs), u"Querschnitt"_qs},
                         {u"Hrllu45"_qs + n, u"45°-Umlenkungen"_qs}, {u"Hrllu90"_qs + n, u"90°-Umlenkungen"_qs},
                         {u"Hrllgitter"_qs + n, u"Gitter"_qs}});
    }
    groups << group(u"Nachbarraum des Aufstellungsraums"_qs, room,
                    {{u"Hrnrvorhanden"_qs, u"einbezogen"_qs}, {u"Hrnrvolumen"_qs, u"Volumen"_qs},
                     {u"Hrnrloeff"_qs, u"Öffnungen"_qs}, {u"Hrnrsz1"_qs, u"Schutzziel 1"_qs},
                     {u"Hrnrzuluft"_qs, u"Zuluft über den Nachbarraum"_qs}});
    groups << group(u"laufende Nummer"_qs, {}, {{u"Lfd"_qs, u"laufende Nummer"_qs}});
    return groups;
}

// The catalogs: one group per field.
QList<Group> catalogGroups(std::initializer_list<Field> fields)
{
    QList<Group> groups;
    for (const Field &f : fields)
        groups.append({f.second, {}, {f}, -1});
    return groups;
}

const QList<Group> &groupsOf(const QString &table)
{
    static const QList<Group> installation = buildInstallationGroups();
    static const QList<Group> owners = catalogGroups({{u"Name"_qs, u"Name"_qs}, {u"Zusatz"_qs, u"Zusatz"_qs},
                                                      {u"Strasse"_qs, u"Straße"_qs}, {u"Plz"_qs, u"PLZ"_qs},
                                                      {u"Ort"_qs, u"Ort"_qs}, {u"Lfd"_qs, u"laufende Nummer"_qs},
                                                      {u"Anrede"_qs, u"Anrede"_qs}, {u"Tel"_qs, u"Telefon"_qs},
                                                      {u"Fax"_qs, u"Fax"_qs}});
    static const QList<Group> places = catalogGroups(
        {{u"Plz"_qs, u"PLZ"_qs}, {u"Ort"_qs, u"Ort"_qs}, {u"Lfd"_qs, u"laufende Nummer"_qs}});
    static const QList<Group> remarks = catalogGroups({{u"Kurzbez"_qs, u"Kurzbezeichnung"_qs}, {u"Text"_qs, u"Text"_qs}});
    static const QList<Group> none;
    if (table.compare(u"kq.db"_qs, Qt::CaseInsensitive) == 0)
        return installation;
    if (table.compare(u"eigentmr.db"_qs, Qt::CaseInsensitive) == 0)
        return owners;
    if (table.compare(u"orte.db"_qs, Qt::CaseInsensitive) == 0)
        return places;
    if (table.compare(u"stdbem.db"_qs, Qt::CaseInsensitive) == 0)
        return remarks;
    return none;
}

// "Raum R4", "Räume R6 und R7", "Räume R4 bis R7".
QString roomRange(int first, int last)
{
    if (first == last)
        return u"Raum "_qs + kRoomLabels[first];
    return u"Räume %1 %2 %3"_qs.arg(kRoomLabels[first], last == first + 1 ? u"und"_qs : u"bis"_qs, kRoomLabels[last]);
}

} // namespace

QString tableCaption(const QString &table)
{
    if (table.compare(u"kq.db"_qs, Qt::CaseInsensitive) == 0)
        return u"Anlagen"_qs;
    if (table.compare(u"eigentmr.db"_qs, Qt::CaseInsensitive) == 0)
        return u"Eigentümerliste"_qs;
    if (table.compare(u"orte.db"_qs, Qt::CaseInsensitive) == 0)
        return u"Ortsliste"_qs;
    if (table.compare(u"stdbem.db"_qs, Qt::CaseInsensitive) == 0)
        return u"Anmerkungskatalog"_qs;
    return {};
}

QString fieldCaption(const QString &table, const QString &field)
{
    for (const Group &g : groupsOf(table))
        for (const Field &f : g.fields)
            if (f.first.compare(field, Qt::CaseInsensitive) == 0)
                return g.fields.size() == 1 && f.second == g.name ? g.name : g.name + u", "_qs + f.second;
    return field;
}

Described describeFields(const QString &table, const QStringList &empty, const QStringList &missing)
{
    QSet<QString> emptySet, missingSet;
    for (const QString &f : empty)
        emptySet.insert(f.toLower());
    for (const QString &f : missing)
        missingSet.insert(f.toLower());

    struct State {
        const Group *group;
        bool whole;               // every field empty or not in the old table, at least one empty
        QStringList emptyFields;  // captions of the empty ones
    };
    QList<State> states;
    QSet<QString> known;
    for (const Group &g : groupsOf(table)) {
        State s{&g, true, {}};
        for (const Field &f : g.fields) {
            known.insert(f.first.toLower());
            if (emptySet.contains(f.first.toLower()))
                s.emptyFields << f.second;
            else if (!missingSet.contains(f.first.toLower()))
                s.whole = false;
        }
        s.whole = s.whole && !s.emptyFields.isEmpty();
        if (!s.emptyFields.isEmpty())
            states << s;
    }

    auto partly = [](const State &s) { return s.group->name + u": "_qs + s.emptyFields.join(u", "_qs); };
    Described d;
    QStringList &out = d.wholeGroups;
    for (qsizetype i = 0; i < states.size(); ++i) {
        const State &s = states[i];
        // Neighbouring rooms left empty as a whole: one range.
        if (s.group->room >= 0 && s.whole) {
            qsizetype j = i;
            while (j + 1 < states.size() && states[j + 1].whole && states[j + 1].group->room == states[j].group->room + 1)
                ++j;
            out << roomRange(s.group->room, states[j].group->room);
            i = j;
            continue;
        }
        // A family whose groups are all empty: its name alone.
        if (!s.group->family.isEmpty() && s.group->room < 0) {
            const QString family = s.group->family;
            qsizetype inFamily = 0, wholeInFamily = 0;
            for (const Group &g : groupsOf(table))
                inFamily += g.family == family ? 1 : 0;
            qsizetype j = i;
            while (j < states.size() && states[j].group->family == family) {
                wholeInFamily += states[j].whole ? 1 : 0;
                ++j;
            }
            if (wholeInFamily == inFamily) {
                out << family;
                i = j - 1;
                continue;
            }
        }
        // A field of a catalog is a group of its own, and so always whole.
        if (s.whole)
            out << s.group->name;
        else
            d.fields << partly(s);
    }
    // Fields no group knows keep their own names.
    for (const QString &f : empty)
        if (!known.contains(f.toLower()))
            d.fields << f;
    return d;
}

} // namespace fieldcaptions
