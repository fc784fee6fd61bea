#include "oldtables.h"

#include "catalogstore.h"
#include "paradoxwriter.h"
#include "recordschema.h"
#include "recordstore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace oldtables {

namespace {

QString rtf(const QString &body)
{
    return u"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 "_qs + body + u"\\par }"_qs;
}

} // namespace

QList<QVariantMap> installations()
{
    // A remark longer than a memo block, so that it needs a block of its own.
    QString longRemark;
    for (int i = 0; i < 120; ++i)
        longRemark += u"Zeile %1: Abgasanlage gepr\\'fcft, Zuluft \\'f6ffnung frei.\\par "_qs.arg(i);
    QByteArray picture;
    for (int i = 0; i < 700; ++i)
        picture.append(char(i * 37 % 256));

    QVariantMap full{
        {u"Lfd"_qs, 3},
        {u"A_Name"_qs, u"Bäckerei Müller"_qs},
        {u"A_zusatz"_qs, u"Hinterhaus"_qs},
        {u"A_gebteil"_qs, u"Erdgeschoß"_qs},
        {u"A_strasse"_qs, u"Große Straße 5"_qs},
        {u"A_Plz"_qs, u"70173"_qs},
        {u"A_Ort"_qs, u"Stuttgart"_qs},
        {u"E_anrede"_qs, u"Herrn"_qs},
        {u"E_Name"_qs, u"Jürgen Weiß"_qs},
        {u"E_strasse"_qs, u"Königstraße 1"_qs},
        {u"E_plz"_qs, u"70173"_qs},
        {u"E_tel"_qs, u"0711 / 12 34-5"_qs},
        {u"E_ort"_qs, u"Stuttgart"_qs},
        {u"RA"_qs, u"Küche"_qs},
        {u"R1"_qs, u"Flur"_qs},
        {u"R1VR"_qs, true},
        {u"R2VR"_qs, false},
        {u"RAV"_qs, 45.5},
        {u"R1V"_qs, 1.0 / 3.0},
        {u"RAN"_qs, 0.0},
        {u"R1N"_qs, 11.1},
        {u"RAArt"_qs, u"Therme B11"_qs},
        {u"RATOF"_qs, true},
        {u"R1TOF"_qs, false},
        {u"R1oeff"_qs, 3},
        {u"R1Vmit"_qs, 1},
        {u"R2vmit"_qs, -1},
        {u"RAQl"_qs, 0.0},
        {u"Qlansum"_qs, 12345.678},
        {u"Vortrag"_qs, -12.25},
        {u"Sz1"_qs, true},
        {u"Sz2"_qs, false},
        {u"Bemerkung"_qs, rtf(u"Preis 12 \\'80, \\'c4nderung \\'fcber T\\'fcr "_qs + longRemark)},
        {u"Zeichnung"_qs, picture},
        {u"Skizze"_qs, u"LINIE 0 0 100 0\r\nLINIE 100 0 100 80\r\nTEXT 10 10 Küche\r\n"_qs},
        {u"Skizzedrucken"_qs, true},
        {u"Okraum1"_qs, 2},
        {u"Okqs1"_qs, 0.35},
        {u"Gerechnet"_qs, true},
        {u"Modus"_qs, 0},
        {u"Okllu45"_qs, 32767},
        {u"Okllu90"_qs, -32767},  // -32768 is the empty value of the old format
        {u"Hrnrsz1"_qs, false},
        {u"Hrsz1"_qs, true},
    };
    QVariantMap sparse{{u"Lfd"_qs, 7}, {u"A_Name"_qs, u"Nur ein Name"_qs}};
    QVariantMap shortMemos{
        {u"Lfd"_qs, 12},
        {u"A_Name"_qs, u"ÄÖÜäöüß€ Ž œ „Zitat“ – …"_qs},
        {u"Bemerkung"_qs, u"{\\rtf1 kurz}"_qs},  // just longer than the leader
        {u"Skizze"_qs, u"A"_qs},                 // fits into the leader
        {u"Modus"_qs, 1},
        {u"Hrleistung"_qs, 60.0},
        {u"Hrvolumen"_qs, 0.0},
        {u"Hrllanzahl"_qs, 2},
        {u"Hrllname"_qs, u"Zuluft Süd"_qs},
        {u"Hrnrzuluft"_qs, true},
        {u"Hrsz1insfreie"_qs, false},
    };
    QVariantMap fullWidth{
        {u"Lfd"_qs, 13},
        {u"E_Name"_qs, u"Müller-Lüdenscheidt-Großkopf Ä"_qs},  // exactly 30 characters
        {u"A_Plz"_qs, u"D-12345"_qs},
        {u"Vsum"_qs, 1e15 + 0.5},
        {u"Psum"_qs, 1e-9},
    };
    return {full, sparse, shortMemos, fullWidth};
}

QList<QVariantMap> owners()
{
    return {
        {{u"Lfd"_qs, 1}, {u"Name"_qs, u"Weiß"_qs}, {u"Zusatz"_qs, u"Hausverwaltung"_qs}, {u"Strasse"_qs, u"Schloßstraße 3"_qs},
         {u"Plz"_qs, u"70176"_qs}, {u"Ort"_qs, u"Stuttgart"_qs}, {u"Anrede"_qs, u"Frau"_qs}, {u"Fax"_qs, u"0711 99"_qs}},
        {{u"Lfd"_qs, 2}, {u"Name"_qs, u"Özdemir"_qs}, {u"Ort"_qs, u"Ulm"_qs}},
        {{u"Lfd"_qs, 5}, {u"Name"_qs, u"Ångström & Söhne"_qs}, {u"Tel"_qs, u"07 31 / 55"_qs}},
    };
}

QList<QVariantMap> places()
{
    return {
        {{u"Lfd"_qs, 1}, {u"Plz"_qs, u"89073"_qs}, {u"Ort"_qs, u"Ulm"_qs}},
        {{u"Lfd"_qs, 2}, {u"Plz"_qs, u"72070"_qs}, {u"Ort"_qs, u"Tübingen"_qs}},
        {{u"Lfd"_qs, 4}, {u"Plz"_qs, u"70173"_qs}, {u"Ort"_qs, u"Stuttgart"_qs}},
    };
}

QList<QVariantMap> remarks()
{
    QString many;
    for (int i = 0; i < 300; ++i)
        many += u"Die Verbrennungsluftversorgung ist ausreichend. "_qs;
    return {
        {{u"Kurzbez"_qs, u"Zuluft prüfen"_qs}, {u"Text"_qs, rtf(u"Zuluft\\'f6ffnung regelm\\'e4\\'dfig pr\\'fcfen."_qs)}},
        {{u"Kurzbez"_qs, u"Ohne Text"_qs}},
        {{u"Kurzbez"_qs, u"Langer Text"_qs}, {u"Text"_qs, rtf(many)}},
    };
}

bool write(const QString &path, const RecordSchema &schema, const QList<QVariantMap> &records, int nextCounter)
{
    ParadoxWriter w(path, ParadoxWriter::columnsFor(schema));
    if (!w.open())
        return false;
    for (const QVariantMap &r : records) {
        QVariantList values;
        for (const FieldDef &f : schema.fields())
            values << r.value(f.name);
        if (!w.add(values))
            return false;
    }
    if (nextCounter >= 0)
        w.setNextCounter(nextCounter);
    return w.close();
}

bool writeAll(const QString &dir)
{
    QDir().mkpath(dir);
    const QDir d(dir);
    return write(d.filePath(u"KQ.DB"_qs), RecordSchema::installation(), installations(), kNextInstallationNumber)
        && write(d.filePath(u"eigentmr.db"_qs), CatalogStore::ownerSchema(), owners())
        && write(d.filePath(u"Orte.DB"_qs), CatalogStore::placeSchema(), places())
        && write(d.filePath(u"stdbem.DB"_qs), CatalogStore::remarkSchema(), remarks());
}

QVariant expected(const QVariantMap &record, const QString &field)
{
    QVariant v = record.value(field);
    if (field == u"Skizze"_qs && v.isValid())
        v = v.toString().replace(u"\r\n"_qs, u"\n"_qs);
    return v;
}

namespace {

bool sameValue(const FieldDef &f, const QVariant &stored, const QVariant &want)
{
    if (!want.isValid() || !stored.isValid())
        return want.isValid() == stored.isValid();
    switch (f.type) {
    case FieldType::Float: return stored.toDouble() == want.toDouble();  // exactly, not nearly
    case FieldType::Boolean: return stored.typeId() == QMetaType::Bool && stored.toBool() == want.toBool();
    case FieldType::SmallInt:
    case FieldType::AutoInc: return stored.toInt() == want.toInt();
    case FieldType::Graphic: return stored.toByteArray() == want.toByteArray();
    default: return stored.typeId() == QMetaType::QString && stored.toString() == want.toString();
    }
}

QString compareTable(TableStore &store, const QString &dir, const QList<QVariantMap> &records)
{
    if (!store.open(dir))
        return store.errorString();
    const RecordSchema &schema = store.schema();
    if (store.rowCount() != records.size())
        return u"%1: %2 statt %3 Datensätze"_qs.arg(store.definition().fileName).arg(store.rowCount()).arg(records.size());
    for (const QVariantMap &want : records) {
        int row = -1;
        for (int r = 0; r < store.rowCount() && row < 0; ++r) {
            const Record rec = store.rowAt(r);
            const bool keyed = schema.contains(u"Lfd"_qs);
            if (keyed ? rec.value(u"Lfd"_qs).toInt() == want.value(u"Lfd"_qs).toInt()
                      : rec.value(u"Kurzbez"_qs) == want.value(u"Kurzbez"_qs))
                row = r;
        }
        if (row < 0)
            return u"%1: Datensatz fehlt"_qs.arg(store.definition().fileName);
        const Record got = store.rowAt(row);
        for (const FieldDef &f : schema.fields()) {
            const QVariant w = expected(want, f.name);
            if (!sameValue(f, got.value(f.name), w))
                return u"%1, Zeile %2, %3: %4 statt %5"_qs.arg(store.definition().fileName)
                    .arg(row)
                    .arg(f.name, got.value(f.name).toString().left(60), w.toString().left(60));
        }
    }
    store.close();
    return {};
}

} // namespace

QString mismatch(const QString &dir)
{
    RecordStore kq;
    CatalogStore owners(CatalogStore::Owners), placesStore(CatalogStore::Places), remarkStore(CatalogStore::Remarks);
    for (const QString &m : {compareTable(kq, dir, installations()), compareTable(owners, dir, oldtables::owners()),
                             compareTable(placesStore, dir, places()), compareTable(remarkStore, dir, remarks())})
        if (!m.isEmpty())
            return m;
    return {};
}

QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        files.insert(QDir(dir).relativeFilePath(path), f.readAll());
    }
    return files;
}

} // namespace oldtables
