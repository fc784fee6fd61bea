#include "protocolfixtures.h"

#include "installationroom.h"
#include "interconnectioncheck.h"

namespace fixtures {

Record record(const QVariantMap &values)
{
    Record r = Record::newInstallation();
    for (auto it = values.begin(); it != values.end(); ++it)
        r.setValue(it.key(), it.value());
    return r;
}

QVariantMap addresses()
{
    return {
        {u"A_Name"_qs, u"Wohnhaus Brenner"_qs},
        {u"A_zusatz"_qs, u"Erdgeschoss links"_qs},
        {u"A_strasse"_qs, u"Lindenstraße 12"_qs},
        {u"A_gebteil"_qs, u"Vorderhaus"_qs},
        {u"A_Plz"_qs, u"73728"_qs},
        {u"A_Ort"_qs, u"Esslingen"_qs},
        {u"E_anrede"_qs, u"Herrn"_qs},
        {u"E_Name"_qs, u"Karl Brenner"_qs},
        {u"E_zusatz"_qs, u"c/o Hausverwaltung Ost"_qs},
        {u"E_strasse"_qs, u"Am Kelterplatz 3"_qs},
        {u"E_plz"_qs, u"73734"_qs},
        {u"E_ort"_qs, u"Esslingen-Berkheim"_qs},
    };
}

Record interconnection()
{
    QVariantMap v = addresses();
    v.insert({
        {u"Modus"_qs, 0}, {u"Gerechnet"_qs, true},
        {u"RA"_qs, u"Küche"_qs}, {u"RAV"_qs, 30.0}, {u"RAN"_qs, 18.0}, {u"RAArt"_qs, u"Gastherme"_qs}, {u"RATOF"_qs, true},
        {u"R1"_qs, u"Wohnzimmer"_qs}, {u"R1V"_qs, 55.0}, {u"R1N"_qs, 8.0}, {u"R1art"_qs, u"Gasofen"_qs},
        {u"R1TOF"_qs, true}, {u"R1oeff"_qs, 1}, {u"R1Vmit"_qs, 1},
        {u"R2"_qs, u"Esszimmer"_qs}, {u"R2V"_qs, 28.5}, {u"R2N"_qs, 0.0}, {u"R2tof"_qs, true}, {u"R2oeff"_qs, 1}, {u"R2vmit"_qs, 1},
        {u"R3"_qs, u"Flur"_qs}, {u"R3V"_qs, 12.0}, {u"R3N"_qs, 0.0}, {u"R3tof"_qs, false}, {u"R3oeff"_qs, 2}, {u"R3vmit"_qs, 1},
        {u"R4"_qs, u"Bad"_qs}, {u"R4V"_qs, 14.0}, {u"R4N"_qs, 11.0}, {u"R4art"_qs, u"Durchlauferh."_qs},
        {u"R4tof"_qs, true}, {u"R4oeff"_qs, 5}, {u"R4vmit"_qs, 2},
        {u"R1Rv"_qs, 47.0}, {u"R2rv"_qs, 28.5}, {u"R3rv"_qs, 12.0}, {u"R4rv"_qs, 3.0},
        {u"RAQl"_qs, 3.0}, {u"R1Ql"_qs, 11.8}, {u"R2ql"_qs, 7.1}, {u"R3ql"_qs, 3.0}, {u"R4ql"_qs, 0.8},
        {u"Qlansum"_qs, 25.7}, {u"Pzusatz"_qs, 19.0}, {u"Okunversorgt"_qs, 2.5}, {u"Vortrag"_qs, 4.0},
        {u"Psum"_qs, 37.0}, {u"Bschutz"_qs, true}, {u"Sz1"_qs, true}, {u"Sz2"_qs, false},
        {u"Okraum1"_qs, 2}, {u"Okqn1"_qs, 7.5}, {u"Okll"_qs, true}, {u"OkllP"_qs, 5.0}, {u"Okllstats"_qs, 7.5},
        {u"OkllLaenge"_qs, 150.0}, {u"Okllu45"_qs, 2}, {u"Okllu90"_qs, 1},
        {u"Skizzedrucken"_qs, true},
        {u"Bemerkung"_qs, u"Die Küchentür wurde um 1 cm gekürzt.\nNachprüfung im Herbst vereinbart."_qs},
    });
    return record(v);
}

Record installationRoom()
{
    QVariantMap v = addresses();
    v.insert({
        {u"Modus"_qs, 1},
        {u"Hrleistung"_qs, 45.0}, {u"Hrvolumen"_qs, 30.0}, {u"Hrsz1"_qs, false},
        {u"Hrnrvorhanden"_qs, true}, {u"Hrnrvolumen"_qs, 60.0}, {u"Hrnrloeff"_qs, 2}, {u"Hrnrsz1"_qs, false},
        {u"Hrnrzuluft"_qs, true},
        {u"Hrll"_qs, 1}, {u"Hrllanzahl"_qs, 2}, {u"HrloeffS"_qs, 150.0}, {u"Hrloeffs2"_qs, 75.0},
        {u"Hrsz1insfreie"_qs, true},
        {u"Hrllname"_qs, u"Zuluft Nord"_qs}, {u"Hrlllaenge"_qs, 4.5}, {u"Hrllu90"_qs, 2}, {u"Hrllu45"_qs, 1},
        {u"Hrllgitter"_qs, 2}, {u"HrllS"_qs, 311.4},
        {u"Hrllname2"_qs, u"Zuluft Süd"_qs}, {u"Hrlllaenge2"_qs, 2.0}, {u"Hrllu902"_qs, 1}, {u"Hrllu452"_qs, 0},
        {u"Hrllgitter2"_qs, 1}, {u"Hrlls2"_qs, 236.8},
        {u"Skizzedrucken"_qs, true},
        {u"Bemerkung"_qs, u"Zuluftgitter im Keller frei halten."_qs},
    });
    return record(v);
}

Record calculatedInterconnection()
{
    // The bathroom's water heater draws its air from the kitchen.
    Record r = interconnection();
    r.setInteger(u"R4vmit"_qs, 1);
    r.setNumber(u"R4V"_qs, 24.0);
    r.setNumber(u"R4N"_qs, 6.0);
    r.setNumber(u"Okllstats"_qs, 150.0);
    r.setNumber(u"OkllLaenge"_qs, 4.5);
    return runInterconnectionCheck(r).record;
}

Record calculatedInstallationRoom()
{
    Record r = installationRoom();
    const installationroom::PageState s = installationroom::evaluate(installationroom::PageInput::fromRecord(r));
    return s.record;
}

PrintSettings printSettings()
{
    PrintSettings s;
    s.headerLine1 = u"Martin Russ"_qs;
    s.headerLine2 = u", Bezirksschornsteinfegermeister, Hauptstraße 7, 73728 Esslingen"_qs;
    s.headerLine3 = u"Bezirksschornsteinfegermeister · Tel. 0711 123456 · Fax 0711 123457"_qs;
    return s;
}

QString longRemarks()
{
    QStringList paragraphs;
    for (int i = 1; i <= 40; ++i)
        paragraphs << u"%1. Befund: Die Verbrennungsluftöffnung im Heizraum war teilweise mit Kartons "
                      "verstellt; der Eigentümer wurde auf die Freihaltung hingewiesen."_qs.arg(i);
    return paragraphs.join(u'\n');
}

} // namespace fixtures
