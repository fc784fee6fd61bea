#include "serversetup.h"

#include "catalogstore.h"
#include "recordstore.h"
#include "serverconnection.h"
#include "storedialect.h"
#include "textlists.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <vector>

namespace {

using serverschema::quoted;

// Our SQLite files carry this application id in their header.
constexpr qint64 kApplicationId = 0x4F666E72;
// Rows written by one statement while copying.
constexpr int kRowsPerStatement = 20;

struct SourceTable {
    TableDefinition definition;
    QString path;
    bool present = false;
    std::vector<std::pair<int, Record>> rows;   // key (rowid), values
};

// Reads one local table, opened read-only, into memory; false with a German
// reason.  A file that is not one of our tables is refused.
bool readSourceTable(SourceTable &t, QString *error, bool *refused)
{
    *refused = false;
    const QString conn = u"ofenring-setup-source"_qs;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, conn);
        db.setDatabaseName(t.path);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_qs);
        const QString notOurs = u"Die Datei \"%1\" ist keine Tabelle von Ofenring."_qs.arg(t.path);
        if (!db.open()) {
            *error = u"Die Datei \"%1\" kann nicht gelesen werden: %2"_qs.arg(t.path, TableStore::errorText(db.lastError()));
        } else {
            QSqlQuery q(db);
            if (!q.exec(u"PRAGMA application_id"_qs) || !q.next()) {
                *error = notOurs;
                *refused = true;
            } else if (q.value(0).toLongLong() != kApplicationId) {
                *error = notOurs;
                *refused = true;
            } else {
                q.finish();
                QSet<QString> columns;
                if (q.exec(u"PRAGMA table_info(%1)"_qs.arg(quoted(t.definition.tableName))))
                    while (q.next())
                        columns.insert(q.value(1).toString().toLower());
                QString missing;
                for (const FieldDef &f : t.definition.schema->fields())
                    if (!columns.contains(f.name.toLower()) && missing.isEmpty())
                        missing = f.name;
                if (columns.isEmpty() || !missing.isEmpty()) {
                    *error = columns.isEmpty() ? notOurs
                                               : u"In der Datei \"%1\" fehlt das Feld \"%2\"."_qs.arg(t.path, missing);
                    *refused = true;
                } else {
                    QStringList cols{u"rowid"_qs};
                    for (const FieldDef &f : t.definition.schema->fields())
                        cols << quoted(f.name);
                    QSqlQuery rows(db);
                    rows.setForwardOnly(true);
                    if (!rows.exec(u"SELECT %1 FROM %2 ORDER BY rowid"_qs.arg(cols.join(u", "_qs),
                                                                           quoted(t.definition.tableName)))) {
                        *error = u"Die Datei \"%1\" kann nicht gelesen werden: %2"_qs.arg(
                            t.path, TableStore::errorText(rows.lastError()));
                    } else {
                        const int n = t.definition.schema->count();
                        while (rows.next()) {
                            Record r(*t.definition.schema);
                            for (int i = 0; i < n; ++i)
                                r.setValue(i, rows.value(i + 1));
                            t.rows.emplace_back(rows.value(0).toInt(), std::move(r));
                        }
                        ok = true;
                    }
                }
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(conn);
    return ok;
}

} // namespace

ServerSetup::ServerSetup(ServerConnection *server, QString dataDir) : m_server(server), m_dataDir(std::move(dataDir)) {}

bool ServerSetup::refuse(const QString &text)
{
    m_problem = Problem::Refused;
    m_error = text;
    return false;
}

bool ServerSetup::fail(const QString &text)
{
    m_problem = Problem::Failed;
    m_error = text;
    return false;
}

QStringList ServerSetup::existingTables(ServerConnection *server, QString *error)
{
    const QStringList names = serverschema::allTableNames();
    QSqlQuery q(server->database());
    q.prepare(u"SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema() "
              "AND table_name IN (%1) ORDER BY table_name"_qs.arg(QStringList(names.size(), u"?"_qs).join(u", "_qs)));
    for (const QString &n : names)
        q.addBindValue(n);
    QStringList found;
    if (!q.exec()) {
        if (error)
            *error = ServerConnection::errorText(q.lastError());
        return found;
    }
    while (q.next())
        found << q.value(0).toString();
    return found;
}

bool ServerSetup::run()
{
    m_problem = Problem::None;
    m_error.clear();
    m_report = QJsonObject();
    if (!m_server || !m_server->isConnected())
        return fail(u"Es besteht keine Verbindung zum Datenbankserver."_qs);
    const QDir dir(m_dataDir);
    if (!QFileInfo(m_dataDir).isDir())
        return refuse(u"Den Datenordner \"%1\" gibt es nicht."_qs.arg(m_dataDir));

    // A database that holds Ofenring's tables is never touched.
    QString why;
    const QStringList existing = existingTables(m_server, &why);
    if (!why.isEmpty())
        return fail(u"Die Datenbank auf dem Server \"%1\" kann nicht gelesen werden: %2"_qs.arg(
            m_server->address().shownName(), why));
    if (!existing.isEmpty())
        return refuse(u"Die Datenbank auf dem Server \"%1\" enthält schon Tabellen von Ofenring (%2). "
                      "Sie wird nicht verändert."_qs.arg(m_server->address().shownName(), existing.join(u", "_qs)));

    // Everything is read first; the server is written only when all of it could be.
    std::vector<SourceTable> tables(4);
    tables[0].definition = RecordStore::tableDefinition();
    tables[1].definition = CatalogStore::tableDefinition(CatalogStore::Owners);
    tables[2].definition = CatalogStore::tableDefinition(CatalogStore::Places);
    tables[3].definition = CatalogStore::tableDefinition(CatalogStore::Remarks);
    for (SourceTable &t : tables) {
        t.path = dir.filePath(t.definition.fileName);
        t.present = QFileInfo::exists(t.path);
        if (!t.present)
            continue;
        bool refused = false;
        if (!readSourceTable(t, &why, &refused))
            return refused ? refuse(why) : fail(why);
    }
    if (!tables[0].present)
        return refuse(u"Im Datenordner \"%1\" gibt es keine Tabelle kq.db."_qs.arg(m_dataDir));
    struct SourceList {
        TextLists::Kind kind;
        TextLists::ListFile file;
    };
    std::vector<SourceList> lists;
    for (const TextLists::Kind kind : {TextLists::RoomNames, TextLists::ApplianceTypes}) {
        TextLists::ListFile file = TextLists::readFile(dir.filePath(TextLists::fileName(kind)));
        if (file.status == TextLists::ListFile::Refused)
            return refuse(file.refusal);
        lists.push_back({kind, std::move(file)});
    }

    QSqlDatabase db = m_server->database();
    const auto serverFailed = [this](const QSqlError &e) {
        m_server->database().rollback();
        return fail(u"Die Tabellen können auf dem Datenbankserver \"%1\" nicht angelegt werden: %2"_qs.arg(
            m_server->address().shownName(), ServerConnection::errorText(e)));
    };
    if (!db.transaction())
        return fail(u"Der Datenbankserver \"%1\" beginnt keine Übertragung: %2"_qs.arg(
            m_server->address().shownName(), ServerConnection::errorText(db.lastError())));
    QStringList statements = serverschema::ownTableStatements();
    for (const SourceTable &t : tables)
        statements << serverschema::tableStatements(t.definition);
    for (const QString &sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            return serverFailed(q.lastError());
    }
    {
        QSqlQuery q(db);
        q.prepare(u"INSERT INTO %1 (schluessel, wert) VALUES (?, ?)"_qs.arg(serverschema::infoTable));
        q.addBindValue(u"schemaversion"_qs);
        q.addBindValue(QString::number(serverschema::kSchemaVersion));
        if (!q.exec())
            return serverFailed(q.lastError());
    }

    const std::unique_ptr<StoreDialect> dialect = makeServerDialect(m_server);
    QJsonArray tableReport;
    for (const SourceTable &t : tables) {
        const RecordSchema &schema = *t.definition.schema;
        const QString key = serverschema::keyColumn(t.definition);
        const bool hiddenKey = !key.startsWith(u'"');
        QStringList cols;
        for (const FieldDef &f : schema.fields())
            cols << quoted(f.name);
        if (hiddenKey)
            cols << key;
        const QString rowPlaces = u'(' + QStringList(cols.size(), u"?"_qs).join(u", "_qs) + u')';
        // A few rows per statement, the statement prepared once for all of them.
        size_t at = 0;
        while (at < t.rows.size()) {
            const size_t n = std::min<size_t>(kRowsPerStatement, t.rows.size() - at);
            QSqlError error;
            QSqlQuery *q = m_server->prepared(u"INSERT INTO %1 (%2) VALUES %3"_qs.arg(
                                                  quoted(t.definition.tableName), cols.join(u", "_qs),
                                                  QStringList(int(n), rowPlaces).join(u", "_qs)),
                                              &error);
            QVariantList values;
            for (size_t r = at; r < at + n; ++r) {
                const Record &rec = t.rows[r].second;
                for (int i = 0; i < schema.count(); ++i)
                    values << dialect->bindable(schema.field(i).type, rec.value(i));
                if (hiddenKey)
                    values << t.rows[r].first;
            }
            if (!ServerConnection::run(q, values, &error))
                return serverFailed(error);
            at += n;
        }
        // New rows continue after the highest key taken over.
        QSqlQuery seq(db);
        seq.prepare(u"SELECT setval(pg_get_serial_sequence(?, ?), coalesce(max(%1), 0) + 1, false) FROM %2"_qs.arg(
            key, quoted(t.definition.tableName)));
        seq.addBindValue(quoted(t.definition.tableName));
        seq.addBindValue(hiddenKey ? key : key.mid(1, key.size() - 2));
        if (!seq.exec())
            return serverFailed(seq.lastError());
        QJsonObject o;
        o.insert(u"file"_qs, t.definition.fileName);
        o.insert(u"table"_qs, t.definition.tableName);
        o.insert(u"present"_qs, t.present);
        o.insert(u"records"_qs, qint64(t.rows.size()));
        tableReport.append(o);
    }

    QJsonArray listReport;
    for (const SourceList &l : lists) {
        const bool present = l.file.status == TextLists::ListFile::Read;
        if (present) {
            QSqlQuery q(db);
            q.prepare(u"INSERT INTO %1 (liste, anzahl, eintraege) VALUES (?, ?, ?)"_qs.arg(serverschema::listsTable));
            q.addBindValue(TextLists::serverListName(l.kind));
            q.addBindValue(int(l.file.lines.size()));
            // An empty list is an empty text, never NULL.
            const QString joined = l.file.lines.join(u'\n');
            q.addBindValue(joined.isNull() ? QStringLiteral("") : joined);
            if (!q.exec())
                return serverFailed(q.lastError());
        }
        QJsonObject o;
        o.insert(u"file"_qs, TextLists::fileName(l.kind));
        o.insert(u"present"_qs, present);
        o.insert(u"entries"_qs, present ? int(l.file.lines.size()) : 0);
        listReport.append(o);
    }
    if (!db.commit())
        return serverFailed(db.lastError());

    m_report.insert(u"server"_qs, m_server->address().toUri());
    m_report.insert(u"source"_qs, QDir(m_dataDir).absolutePath());
    m_report.insert(u"tables"_qs, tableReport);
    m_report.insert(u"lists"_qs, listReport);
    return true;
}
