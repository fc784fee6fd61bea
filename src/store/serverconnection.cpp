#include "serverconnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <libpq-fe.h>

#include <vector>

const QString ServerConnection::channel = u"ofenring"_qs;

namespace {

int connectionSerial = 0;

QString percent(const QString &s)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(s));
}

// A value for libpq's "key=value" list: quoted, with quote and backslash escaped.
QString conninfoValue(const QString &v)
{
    QString s = v;
    s.replace(u'\\', u"\\\\"_qs);
    s.replace(u'\'', u"\\'"_qs);
    return u'\'' + s + u'\'';
}

// The SQLSTATE classes that mean the connection itself is gone: 08 (connection
// exception), 57P01..57P03 (administrator shutdown, crash shutdown, cannot
// connect now).
bool isLossState(const QString &state)
{
    return state.startsWith(u"08"_qs) || state == u"57P01"_qs || state == u"57P02"_qs || state == u"57P03"_qs;
}

} // namespace

// --- ServerAddress ------------------------------------------------------------------

bool ServerAddress::parse(const QString &uri, ServerAddress *out, QString *error)
{
    const QString text = uri.trimmed();
    if (text.isEmpty()) {
        if (error)
            *error = u"Es ist kein Datenbankserver angegeben."_qs;
        return false;
    }
    char *why = nullptr;
    PQconninfoOption *options = PQconninfoParse(text.toUtf8().constData(), &why);
    if (!options) {
        if (error)
            *error = u"Die Serveradresse \"%1\" ist keine gültige PostgreSQL-Adresse: %2"_qs.arg(
                text, why ? QString::fromUtf8(why).trimmed() : u"unbekannter Fehler"_qs);
        if (why)
            PQfreemem(why);
        return false;
    }
    ServerAddress a;
    for (PQconninfoOption *o = options; o->keyword; ++o) {
        if (!o->val || !*o->val)
            continue;
        const QString key = QString::fromUtf8(o->keyword);
        const QString value = QString::fromUtf8(o->val);
        if (key == u"host"_qs)
            a.host = value;
        else if (key == u"port"_qs)
            a.port = value.toInt();
        else if (key == u"dbname"_qs)
            a.database = value;
        else if (key == u"user"_qs)
            a.user = value;
        else if (key == u"password"_qs)
            a.password = value;
        else
            a.options.append({key, value});
    }
    PQconninfoFree(options);
    if (a.database.isEmpty()) {
        if (error)
            *error = u"In der Serveradresse \"%1\" fehlt der Name der Datenbank."_qs.arg(text);
        return false;
    }
    *out = a;
    return true;
}

QString ServerAddress::toUri() const
{
    // A socket directory (or a list of hosts) cannot stand in the authority
    // part; it goes into the query, and the port with it.
    const bool hostInQuery = host.startsWith(u'/') || host.contains(u',');
    QString uri = u"postgresql://"_qs;
    if (!user.isEmpty())
        uri += percent(user) + u'@';
    if (!host.isEmpty() && !hostInQuery)
        uri += host.contains(u':') ? u'[' + host + u']' : percent(host);
    if (port > 0 && !hostInQuery)
        uri += u':' + QString::number(port);
    uri += u'/' + percent(database);
    QStringList query;
    if (hostInQuery) {
        query << u"host="_qs + percent(host);
        if (port > 0)
            query << u"port="_qs + QString::number(port);
    }
    for (const auto &[key, value] : options)
        query << percent(key) + u'=' + percent(value);
    if (!query.isEmpty())
        uri += u'?' + query.join(u'&');
    return uri;
}

QString ServerAddress::shownName() const
{
    QString s;
    if (!user.isEmpty())
        s += user + u'@';
    s += host.isEmpty() ? u"localhost"_qs : host;
    if (port > 0)
        s += u':' + QString::number(port);
    return s + u'/' + database;
}

QString ServerAddress::option(const QString &key) const
{
    for (const auto &[k, v] : options)
        if (k == key)
            return v;
    return {};
}

void ServerAddress::setOption(const QString &key, const QString &value)
{
    for (auto &[k, v] : options)
        if (k == key) {
            v = value;
            return;
        }
    options.append({key, value});
}

QString ServerAddress::sslMode() const
{
    const QString mode = option(u"sslmode"_qs);
    return mode.isEmpty() ? u"prefer"_qs : mode;
}

QList<QPair<QByteArray, QByteArray>> ServerAddress::keywords() const
{
    QList<QPair<QByteArray, QByteArray>> k;
    if (!host.isEmpty())
        k.append({"host", host.toUtf8()});
    if (port > 0)
        k.append({"port", QByteArray::number(port)});
    k.append({"dbname", database.toUtf8()});
    if (!user.isEmpty())
        k.append({"user", user.toUtf8()});
    if (!password.isEmpty())
        k.append({"password", password.toUtf8()});
    for (const auto &[key, value] : options)
        k.append({key.toUtf8(), value.toUtf8()});
    // A desk does not wait minutes for a server that does not answer, and a
    // network that went away is noticed within half a minute.
    const auto setDefault = [&k, this](const char *key, const char *value) {
        if (option(QString::fromLatin1(key)).isEmpty())
            k.append(qMakePair(QByteArray(key), QByteArray(value)));
    };
    setDefault("connect_timeout", "5");
    setDefault("keepalives_idle", "10");
    setDefault("keepalives_interval", "5");
    setDefault("keepalives_count", "3");
    setDefault("application_name", "Ofenring");
    return k;
}

// --- ServerConnection ---------------------------------------------------------------

ServerConnection::ServerConnection(ServerAddress address, QString deskName, QObject *parent)
    : QObject(parent)
    , m_address(std::move(address))
    , m_desk(std::move(deskName))
    , m_connection(u"ofenring-server-%1"_qs.arg(++connectionSerial))
{
    m_watch = new QTimer(this);
    m_watch->setInterval(kWatchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &ServerConnection::watch);
}

ServerConnection::~ServerConnection()
{
    close();
    if (m_ping) {
        m_ping->wait();
        delete m_ping;
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase ServerConnection::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool ServerConnection::isConnected() const
{
    return m_open && !m_lost && database().isOpen();
}

bool ServerConnection::open()
{
    close();
    m_error.clear();
    m_needsPassword = false;
    if (!QSqlDatabase::isDriverAvailable(u"QPSQL"_qs)) {
        m_error = u"Der PostgreSQL-Treiber von Qt fehlt (Paket libqt6sql6-psql)."_qs;
        return false;
    }
    if (!QSqlDatabase::contains(m_connection)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_qs, m_connection);
        connect(db.driver(), &QSqlDriver::notification, this,
                [this](const QString &name, QSqlDriver::NotificationSource source, const QVariant &payload) {
                    handleNotification(name, int(source), payload);
                });
    }
    QString why;
    if (!connectDatabase(&why)) {
        // The driver says only that it failed; libpq tells why, and whether a
        // password is wanted.
        bool password = false;
        const QString reason = probe(m_address, &password);
        m_needsPassword = password;
        m_error = reason.isEmpty() ? why : reason;
        return false;
    }
    m_open = true;
    m_lost = false;
    m_watch->start();
    return true;
}

// The statements prepared on a connection go with it.
void ServerConnection::dropPrepared()
{
    qDeleteAll(m_prepared);
    m_prepared.clear();
}

QSqlQuery *ServerConnection::prepared(const QString &sql, QSqlError *error)
{
    if (QSqlQuery *q = m_prepared.value(sql))
        return q;
    // Statements differ by the fields a save changes; a desk needs few of them.
    if (m_prepared.size() >= 500)
        dropPrepared();
    auto *q = new QSqlQuery(database());
    if (!q->prepare(sql)) {
        if (error)
            *error = q->lastError();
        isConnectionLoss(q->lastError());
        delete q;
        return nullptr;
    }
    m_prepared.insert(sql, q);
    return q;
}

bool ServerConnection::run(QSqlQuery *query, const QVariantList &values, QSqlError *error)
{
    if (!query)
        return false;
    for (int i = 0; i < values.size(); ++i)
        query->bindValue(i, values[i]);
    if (query->exec())
        return true;
    if (error)
        *error = query->lastError();
    return false;
}

bool ServerConnection::connectDatabase(QString *error)
{
    dropPrepared();
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
    db.setHostName(m_address.host);
    db.setPort(m_address.port > 0 ? m_address.port : -1);
    db.setDatabaseName(m_address.database);
    db.setUserName(m_address.user);
    db.setPassword(m_address.password);
    QStringList options;
    for (const auto &[key, value] : m_address.keywords()) {
        if (key == "host" || key == "port" || key == "dbname" || key == "user" || key == "password")
            continue;
        options << QString::fromUtf8(key) + u'=' + conninfoValue(QString::fromUtf8(value));
    }
    db.setConnectOptions(options.join(u';'));
    if (!db.open()) {
        *error = u"Die Verbindung zum Datenbankserver \"%1\" kann nicht hergestellt werden."_qs.arg(m_address.shownName());
        return false;
    }
    QSqlQuery q(db);
    if (!q.exec(u"SELECT pg_backend_pid()"_qs) || !q.next()) {
        *error = errorText(q.lastError());
        db.close();
        return false;
    }
    m_backendPid = q.value(0).toInt();
    q.finish();
    if (!db.driver()->subscribeToNotification(channel)) {
        *error = u"Der Datenbankserver \"%1\" meldet keine Änderungen anderer Arbeitsplätze."_qs.arg(m_address.shownName());
        db.close();
        return false;
    }
    return true;
}

void ServerConnection::close()
{
    dropPrepared();
    m_watch->stop();
    m_open = false;
    m_lost = false;
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase db = database();
        if (db.isOpen()) {
            db.driver()->unsubscribeFromNotification(channel);
            db.close();
        }
    }
}

bool ServerConnection::isConnectionLoss(const QSqlError &error)
{
    if (!m_open)
        return false;
    if (m_lost)
        return true;
    if (database().isOpen() && !isLossState(error.nativeErrorCode()) && error.type() != QSqlError::ConnectionError)
        return false;
    markLost();
    return true;
}

void ServerConnection::markLost()
{
    if (m_lost)
        return;
    m_lost = true;
    emit connectionLost();
    // Said once per loss, after the operation that noticed it has ended.
    QTimer::singleShot(0, this, [this] {
        if (m_prompter && m_lost)
            m_prompter->tell(PromptKind::Warning,
                             u"Die Verbindung zum Datenbankserver \"%1\" ist unterbrochen.\n\n"
                             "Ihre Änderungen bleiben erhalten. Das Programm verbindet sich im Hintergrund neu "
                             "und speichert sie, sobald der Server wieder erreichbar ist."_qs
                                 .arg(m_address.shownName()));
    });
}

void ServerConnection::watch()
{
    if (!m_open)
        return;
    if (!m_lost) {
        if (!database().isOpen())
            markLost();
        else
            emit tick();
        return;
    }
    tryReconnect();
}

// Whether the server answers is asked in a thread of its own, so that a
// server that does not answer at all never holds up the window; only once it
// answers is the connection opened again, here.
void ServerConnection::tryReconnect()
{
    if (m_ping) {
        if (!m_ping->isFinished())
            return;
        m_ping->wait();
        delete m_ping;
        m_ping = nullptr;
        if (!m_pingAnswered)
            return;   // asked again at the next tick
        QString why;
        if (!connectDatabase(&why))
            return;
        m_lost = false;
        emit reconnected();
        return;
    }
    const auto keywords = m_address.keywords();
    m_pingAnswered = false;
    m_ping = QThread::create([this, keywords] {
        std::vector<const char *> keys, values;
        for (const auto &[k, v] : keywords) {
            keys.push_back(k.constData());
            values.push_back(v.constData());
        }
        keys.push_back(nullptr);
        values.push_back(nullptr);
        m_pingAnswered = PQpingParams(keys.data(), values.data(), 0) == PQPING_OK;
    });
    m_ping->start();
}

bool ServerConnection::notify(const QString &table, QChar operation, int key, const QString &extra)
{
    QString payload = table + u'\t' + operation + u'\t' + QString::number(key);
    if (!extra.isEmpty())
        payload += u'\t' + extra;
    QSqlQuery q(database());
    q.prepare(u"SELECT pg_notify(?, ?)"_qs);
    q.addBindValue(channel);
    q.addBindValue(payload);
    return q.exec();
}

void ServerConnection::handleNotification(const QString &name, int source, const QVariant &payload)
{
    // What this desk did itself it already knows.
    if (name != channel || source == int(QSqlDriver::SelfSource))
        return;
    const QStringList parts = payload.toString().split(u'\t');
    if (parts.size() < 3 || parts[1].size() != 1)
        return;
    bool ok = false;
    const int key = parts[2].toInt(&ok);
    if (!ok)
        return;
    emit changed(parts[0], parts[1].at(0), key, parts.mid(3).join(u'\t'));
}

QString ServerConnection::errorText(const QSqlError &error)
{
    const QString state = error.nativeErrorCode();
    if (isLossState(state) || error.type() == QSqlError::ConnectionError)
        return u"Die Verbindung zum Datenbankserver ist unterbrochen."_qs;
    if (state == u"42501"_qs)
        return u"Der Benutzer hat auf dem Datenbankserver keine Berechtigung dafür."_qs;
    if (state == u"53100"_qs)
        return u"Der Datenträger des Datenbankservers ist voll."_qs;
    if (state == u"25006"_qs)
        return u"Die Datenbank auf dem Server ist schreibgeschützt."_qs;
    if (state == u"40001"_qs || state == u"40P01"_qs)
        return u"Der Datenbankserver hat den Vorgang wegen eines gleichzeitigen Zugriffs abgebrochen; bitte wiederholen."_qs;
    const QString detail = error.databaseText().section(u'\n', 0, 0).trimmed();
    if (state.isEmpty())
        return u"Der Datenbankserver meldet einen Fehler."_qs
            + (detail.isEmpty() ? QString() : u" (%1)"_qs.arg(detail));
    return u"Der Datenbankserver meldet den Fehler %1"_qs.arg(state)
        + (detail.isEmpty() ? u"."_qs : u": %1"_qs.arg(detail));
}

QString ServerConnection::probe(const ServerAddress &address, bool *needsPassword)
{
    const auto keywords = address.keywords();
    std::vector<const char *> keys, values;
    for (const auto &[k, v] : keywords) {
        keys.push_back(k.constData());
        values.push_back(v.constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn *conn = PQconnectdbParams(keys.data(), values.data(), 0);
    const bool ok = conn && PQstatus(conn) == CONNECTION_OK;
    const bool wanted = conn && !ok && PQconnectionNeedsPassword(conn);
    const QString detail = conn ? QString::fromUtf8(PQerrorMessage(conn)).trimmed() : QString();
    // A password was sent and the server turned it down (its message names
    // the password in its own language; a later failure, such as a missing
    // database, does not).
    const bool refused = conn && !ok && !wanted && PQconnectionUsedPassword(conn)
        && (detail.contains(u"password"_qs, Qt::CaseInsensitive) || detail.contains(u"passwort"_qs, Qt::CaseInsensitive));
    if (conn)
        PQfinish(conn);
    if (needsPassword)
        *needsPassword = wanted || refused;
    if (ok)
        return {};
    if (wanted)
        return u"Der Datenbankserver \"%1\" verlangt ein Passwort für den Benutzer \"%2\"."_qs.arg(address.shownName(),
                                                                                                  address.user);
    if (refused)
        return u"Der Datenbankserver \"%1\" nimmt das Passwort für den Benutzer \"%2\" nicht an."_qs.arg(
            address.shownName(), address.user);
    return u"Die Verbindung zum Datenbankserver \"%1\" kann nicht hergestellt werden.\n\nMeldung des Servers: %2"_qs.arg(
        address.shownName(), detail.isEmpty() ? u"keine"_qs : detail);
}
