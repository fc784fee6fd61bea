#pragma once

#include <QString>
#include <QStringList>

// The fields of our tables under the names a sweep knows them by, for the
// take-over report: "Raum R3, Volumen" instead of R3V, and the fields of
// the installation records in groups ("Aufstellort", "Räume R4 bis R7",
// "Zuluftleitung", "Aufstellungsraum"), so that a report can name a whole
// group that was never filled in instead of listing its fields one by one.
namespace fieldcaptions {

// What the table holds, e.g. "Anlagen" for kq.db, "Ortsliste" for orte.db.
QString tableCaption(const QString &table);

// One field of a table, e.g. "Raum R3, Volumen", "Aufstellort, Straße",
// "Bemerkung"; a field this list does not know keeps its own name.
QString fieldCaption(const QString &table, const QString &field);

// The fields of `empty` in words, in the order of the record.
struct Described {
    // Groups all of whose fields are in `empty` (or, in `missing`, not in the
    // old table at all), named as a whole: "Zuluftleitung", neighbouring rooms
    // together: "Räume R4 bis R7".
    QStringList wholeGroups;
    // Of every other group its empty fields, after the group's name:
    // "Aufstellort: Zusatz, Gebäudeteil"; for the catalogs the fields alone.
    QStringList fields;
};
Described describeFields(const QString &table, const QStringList &empty, const QStringList &missing = {});

} // namespace fieldcaptions
