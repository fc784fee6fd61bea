#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

class ServerConnection;

// Sets up the office server from one desk's data folder: creates Ofenring's
// tables on a database that has none yet (the fields with the names, types
// and sizes of the local tables, `Lfd` as identity column, plus the row
// version, the lock table and the text lists), and copies kq.db, eigentmr.db,
// orte.db, stdbem.DB and the two text lists into them value for value, all in
// one transaction: afterwards the server has everything or nothing.  The data
// folder is only read.
class ServerSetup {
public:
    enum class Problem { None, Refused, Failed };

    ServerSetup(ServerConnection *server, QString dataDir);

    bool run();
    // Refused: the database already holds Ofenring tables, or the folder's
    // tables are not ours; Failed: the server could not do it.
    Problem problem() const { return m_problem; }
    QString errorString() const { return m_error; }
    // What was copied: every table with its number of rows, every list with
    // its number of entries (or that the folder had none).
    QJsonObject report() const { return m_report; }

    // The Ofenring tables the database holds already.
    static QStringList existingTables(ServerConnection *server, QString *error = nullptr);

private:
    bool refuse(const QString &text);
    bool fail(const QString &text);

    ServerConnection *m_server;
    QString m_dataDir;
    Problem m_problem = Problem::None;
    QString m_error;
    QJsonObject m_report;
};
