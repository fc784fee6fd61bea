#pragma once

#include <QString>

struct ServerAddress;

// The password file of PostgreSQL's client library, where a desk keeps the
// server password when the user ticks "Passwort merken": ~/.pgpass (or the
// file PGPASSFILE names), one line "host:port:database:user:password" per
// server, with ':' and '\' escaped, readable by its owner only (mode 0600;
// the library ignores the file otherwise).  Our own settings files never hold
// a password.
namespace pgpass {

QString filePath();
// The line's first four fields for an address (host "localhost" for the
// default socket, port 5432 when none is given).
QString entryKey(const ServerAddress &address);
// Keeps `password` for the address, replacing an older line for it and
// leaving every other line as it was.  False with a German reason.
bool store(const ServerAddress &address, const QString &password, QString *error = nullptr);
// Forgets the address's password (nothing when there is none).
bool remove(const ServerAddress &address, QString *error = nullptr);
// The kept password, empty when there is none.
QString lookup(const ServerAddress &address);

} // namespace pgpass
