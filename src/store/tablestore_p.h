#pragma once

// The SQL side of a table store, shared by its local and its server half.

#include "storedialect.h"
#include "tablestore.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <memory>
#include <optional>

struct TableStore::Sql {
    QString connection;
    QString key = u"rowid"_qs;   // the column that identifies a row
    QString columns;             // the key, then every field of the schema (then the row version)
    std::optional<QSqlQuery> selectRow;
    std::unique_ptr<StoreDialect> dialect;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }
};
