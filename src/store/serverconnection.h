#pragma once

#include "prompter.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSqlDatabase>
#include <QString>

class QSqlError;
class QSqlQuery;
class QThread;
class QTimer;

// Where the office's PostgreSQL server is, as a connection URI gives it:
//   postgresql://buero1@server.local:5432/ofenring?sslmode=require
//   postgresql:///ofenring?host=/run/postgresql&port=5433&user=buero1
// Everything besides host, port, database, user and password (sslmode,
// connect_timeout, ...) is kept as it stands and handed to libpq.
struct ServerAddress {
    QString host;       // name, address or socket directory; empty: libpq's default
    int port = 0;       // 0: libpq's default (5432)
    QString database;
    QString user;
    QString password;   // only in memory; never part of toUri()
    QList<QPair<QString, QString>> options;

    // Reads a URI (or a libpq "key=value" string); false with a German reason.
    static bool parse(const QString &uri, ServerAddress *out, QString *error = nullptr);
    // The URI without the password, as it is kept in the settings file.
    QString toUri() const;
    // "buero1@server.local:5432/ofenring", for messages.
    QString shownName() const;
    // libpq's sslmode as the URI gives it; "prefer" when it gives none.
    QString sslMode() const;
    QString option(const QString &key) const;
    void setOption(const QString &key, const QString &value);
    // libpq keywords and values of the whole address (password included).
    QList<QPair<QByteArray, QByteArray>> keywords() const;
};

// One desk's connection to the office server, shared by all its tables.
//
// It delivers the server's notifications of other desks' saves, inserts,
// deletes and locks (LISTEN/NOTIFY on one channel), notices when the
// connection is lost (a server restart, the network gone), tells the user
// once, and connects again in the background; the tables then take their
// locks again and save what is pending.
class ServerConnection : public QObject {
    Q_OBJECT
public:
    // The channel of every notification.
    static const QString channel;   // "ofenring"

    ServerConnection(ServerAddress address, QString deskName, QObject *parent = nullptr);
    ~ServerConnection() override;

    const ServerAddress &address() const { return m_address; }
    void setPassword(const QString &password) { m_address.password = password; }
    // The name of this desk, shown to the others while it edits a record.
    QString deskName() const { return m_desk; }

    // Where the message of a lost connection goes.
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }

    // Connects; false with a German reason in errorString() (and
    // needsPassword() when the server asked for a password it was not given).
    bool open();
    void close();
    bool isOpen() const { return m_open; }
    // Open and the connection is up at the moment.
    bool isConnected() const;
    bool needsPassword() const { return m_needsPassword; }
    QString errorString() const { return m_error; }

    QString connectionName() const { return m_connection; }
    QSqlDatabase database() const;
    // A statement prepared once on this connection and kept for the next
    // call (the server plans it once); its values are bound with run().
    // Null when it cannot be prepared (`error` then says why).
    QSqlQuery *prepared(const QString &sql, QSqlError *error = nullptr);
    // Binds `values` to a prepared statement and runs it.
    static bool run(QSqlQuery *query, const QVariantList &values, QSqlError *error = nullptr);

    // The server process of this connection (its locks carry this number).
    int backendPid() const { return m_backendPid; }

    // Called with the error of a statement that failed: true when the
    // connection is gone (then the loss is handled: one message, the
    // reconnecting in the background).  False for an ordinary error.
    bool isConnectionLoss(const QSqlError &error);
    // The loss was noticed and the connection is not back yet.
    bool isLost() const { return m_lost; }

    // Sends a notification to every other desk (inside the caller's
    // transaction, delivered when it commits).  `extra` carries what the
    // operation needs (a lock's desk name and time).
    bool notify(const QString &table, QChar operation, int key, const QString &extra = QString());

    // A server error in the user's words.
    static QString errorText(const QSqlError &error);

    // Tries the address without keeping a connection ("Verbindung prüfen"):
    // empty on success, else a German reason; `needsPassword` tells that the
    // server wants a password that was not given or was wrong.
    static QString probe(const ServerAddress &address, bool *needsPassword = nullptr);

    // How often the connection is checked, and how often a lost one is tried
    // again, in milliseconds.
    static constexpr int kWatchIntervalMs = 1000;

signals:
    // Another desk saved (u), inserted (i) or deleted (d) row `key` of
    // `table`, or took (l) or released (r) the lock on it.
    void changed(const QString &table, QChar operation, int key, const QString &extra);
    void connectionLost();
    void reconnected();
    // Once per check while the connection is up (the tables look again at
    // locks whose desk may have gone without releasing them).
    void tick();

private:
    bool connectDatabase(QString *error);
    void markLost();
    void watch();
    void tryReconnect();
    void handleNotification(const QString &name, int source, const QVariant &payload);
    void dropPrepared();

    ServerAddress m_address;
    QString m_desk;
    Prompter *m_prompter = nullptr;
    QString m_connection;
    QString m_error;
    bool m_open = false;
    bool m_lost = false;
    bool m_needsPassword = false;
    int m_backendPid = 0;
    QTimer *m_watch = nullptr;
    QThread *m_ping = nullptr;
    bool m_pingAnswered = false;
    QHash<QString, QSqlQuery *> m_prepared;
};
