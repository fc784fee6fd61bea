#pragma once

#include "recordschema.h"

#include <QDateTime>
#include <QHash>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class ServerConnection;
struct TableDefinition;
struct TableOrder;

// Who edits a row at another desk, and since when.
struct LockHolder {
    QString desk;
    QDateTime since;
};

// What one kind of data source does its own way, for the table store: the
// column that identifies a row, how values are bound and rows ordered, how a
// new row reports its key, and the care several desks need (row locks, row
// versions, notifications to the other desks).
//
// The local tables (SQLite files in ./daten) are one desk's alone, so their
// locks are always granted and nobody is notified.  On the office server
// (PostgreSQL) a row being edited holds a session-level advisory lock, with the
// desk's name and the time kept in the table ofenring_sperren where the other
// desks read them; every row has a version that each save raises; every save,
// insert, delete, lock and release is announced with NOTIFY.
class StoreDialect {
public:
    enum class Lock { Granted, Held, Failed };

    virtual ~StoreDialect() = default;

    virtual bool isServer() const = 0;
    // The column that identifies a row (quoted where it needs to be).
    virtual QString keyColumn(const TableDefinition &definition) const = 0;
    // One term of an ORDER BY or an index on a column: ascending, empty values first.
    virtual QString orderTerm(const QString &quotedColumn) const = 0;
    // A field value as it is bound to a statement (empty as NULL).
    virtual QVariant bindable(FieldType type, const QVariant &value) const = 0;
    // The column of the row's version; empty where rows have none.
    virtual QString versionColumn() const = 0;
    // The column of the last save's identity, by which a save whose answer was
    // lost with the connection is recognised as done; empty where there is none.
    virtual QString postIdColumn() const = 0;
    // A statement that tells whether the table has an index of a given name (bound).
    virtual QString indexExistsQuery(const TableDefinition &definition) const = 0;

    // Locks row `key` of the table for this desk.  Held: another desk has it,
    // `holder` says who; Failed: the statement failed (`error`).  With a
    // `versionQuery` (a subquery with one placeholder for the key) the row's
    // version is read in the same step into `version` (-1: no such row).
    virtual Lock lockRow(const QString &table, int key, LockHolder *holder, QSqlError *error,
                         const QString &versionQuery = QString(), int *version = nullptr) = 0;
    virtual void unlockRow(const QString &table, int key) = 0;
    // The desk that edits the row now, when it is another one.
    virtual bool holderOf(const QString &table, int key, LockHolder *holder) = 0;
    // Every row of the table that other desks edit now.
    virtual QHash<int, LockHolder> heldByOthers(const QString &table) = 0;
    // An expression for the RETURNING list of a save, insert or delete that
    // tells the other desks about the operation (u, i, d) on the row whose key
    // `keyColumn` gives; its bound values are appended to `values`.  Only on
    // the server, where such a statement is a transaction of its own.
    virtual QString noticeTerm(const QString &table, QChar operation, const QString &keyColumn,
                               QVariantList *values) const = 0;
    // Wraps a statement with a RETURNING list (whose bound values are
    // `values` so far) so that, when it returns its row, this desk's lock of
    // row `key` is released in the same step and the other desks are told; the
    // row keeps the statement's columns first.  Locally the statement as it is.
    virtual QString releasingLock(const QString &statement, const QString &table, int key,
                                  QVariantList *values) const = 0;
};

// The office server's tables: the schema table turned into PostgreSQL.
namespace serverschema {

// Ofenring's tables besides the four of the data folder.
extern const QString infoTable;    // "ofenring_info": the schema's version
extern const QString locksTable;   // "ofenring_sperren": who edits which row since when
extern const QString listsTable;   // "ofenring_textlisten": the two text lists
constexpr int kSchemaVersion = 1;

QString quoted(const QString &identifier);
// The column that identifies a row: the AutoInc field, else a hidden identity column.
QString keyColumn(const TableDefinition &definition);
// CREATE TABLE (field names, types and sizes of the schema table, the key as
// identity column, the row version and the save identity) and its indexes.
QStringList tableStatements(const TableDefinition &definition);
QString indexStatement(const TableDefinition &definition, const TableOrder &order);
// The statements of Ofenring's own tables (info, locks, text lists).
QStringList ownTableStatements();
// Every table name Ofenring uses on a server.
QStringList allTableNames();
// The number of a table in the advisory locks.
int lockClass(const QString &table);

} // namespace serverschema

std::unique_ptr<StoreDialect> makeSqliteDialect();
std::unique_ptr<StoreDialect> makeServerDialect(ServerConnection *server);
