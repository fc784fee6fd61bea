#pragma once

// Shared by the tests of office mode: a database of its own on the test
// server, which the test command starts for the tests (a throwaway
// PostgreSQL cluster; its URI is in OFENRING_TEST_SERVER).  Without that
// variable the tests are skipped, so that a single test can still be run
// by hand without a server.

#include "serverconnection.h"
#include "serversetup.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace servertest {

inline QString adminUri()
{
    return qEnvironmentVariable("OFENRING_TEST_SERVER");
}

// A URI of the test server with another database (and optionally another user).
inline QString uriOf(const QString &base, const QString &database)
{
    ServerAddress a;
    ServerAddress::parse(base, &a);
    a.database = database;
    return a.toUri();
}

inline ServerAddress addressOf(const QString &uri)
{
    ServerAddress a;
    ServerAddress::parse(uri, &a);
    return a;
}

// Runs statements as the server's superuser on its maintenance database.
inline bool adminExec(const QString &base, const QStringList &statements, QString *error = nullptr)
{
    ServerConnection admin(addressOf(uriOf(base, u"postgres"_qs)), u"Testaufsicht"_qs);
    if (!admin.open()) {
        if (error)
            *error = admin.errorString();
        return false;
    }
    for (const QString &s : statements) {
        QSqlQuery q(admin.database());
        if (!q.exec(s)) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

// A fresh, empty database for one test; dropped again by drop().
struct TestDatabase {
    QString base;
    QString name;

    bool create(const QString &testName, QString *error = nullptr)
    {
        base = adminUri();
        name = u"ofr_%1_%2"_qs.arg(testName).arg(QCoreApplication::applicationPid());
        return adminExec(base, {u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_qs.arg(name), u"CREATE DATABASE %1"_qs.arg(name)},
                         error);
    }
    QString uri() const { return uriOf(base, name); }
    void drop()
    {
        if (!name.isEmpty())
            adminExec(base, {u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_qs.arg(name)});
        name.clear();
    }
};

// One desk: its own connection to the test database.
inline std::unique_ptr<ServerConnection> openDesk(const QString &uri, const QString &desk)
{
    auto c = std::make_unique<ServerConnection>(addressOf(uri), desk);
    if (!c->open())
        qWarning().noquote() << c->errorString();
    return c;
}

// Sets the test database up from a data folder, as "ofenring-cli server-einrichten" does.
inline bool setUpFrom(const QString &uri, const QString &dataDir, QString *error = nullptr)
{
    auto desk = openDesk(uri, u"Einrichtung"_qs);
    ServerSetup setup(desk.get(), dataDir);
    const bool ok = setup.run();
    if (!ok && error)
        *error = setup.errorString();
    return ok;
}

} // namespace servertest

#define SKIP_WITHOUT_SERVER()                                                                             \
    do {                                                                                                  \
        if (servertest::adminUri().isEmpty())                                                             \
            QSKIP("Ohne Testserver (OFENRING_TEST_SERVER ist leer; bash scripts/test.sh startet einen)"); \
    } while (false)
