#pragma once

// Old tables for the take-over tests, written by the tests themselves with
// pxlib's writer: the installation records with every field type, empty
// values, umlauts and memos, and the three catalogs.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariantMap>

class RecordSchema;

namespace oldtables {

// The records of each old table, one map of field values per record (absent: empty).
QList<QVariantMap> installations();
QList<QVariantMap> owners();
QList<QVariantMap> places();
QList<QVariantMap> remarks();

// The counter the old installation table keeps for its next record number.
constexpr int kNextInstallationNumber = 40;

// Writes one old table with these records; true on success.
bool write(const QString &path, const RecordSchema &schema, const QList<QVariantMap> &records, int nextCounter = -1);
// Writes all four old tables into `dir` under the names Windows left them
// with: KQ.DB and KQ.MB, eigentmr.db, Orte.DB, stdbem.DB and stdbem.MB.
bool writeAll(const QString &dir);

// The value a field is expected to have after the take-over.
QVariant expected(const QVariantMap &record, const QString &field);

// The first difference between the tables of `dir` and the records of the
// old tables, read through the program's stores ("" when they all match).
QString mismatch(const QString &dir);

// Every file below `dir` (relative name -> contents), to show that nothing changed.
QMap<QString, QByteArray> snapshot(const QString &dir);

} // namespace oldtables
