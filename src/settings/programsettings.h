#pragma once

#include <QString>

// The program's own settings file, "fenster.ini" in the directory of KQ2.ini.
// KQ2.ini keeps what the user's older installation shares with us (letterhead
// lines, switches, application paths); what only this program knows — the
// places of its windows and other desk settings — is kept apart in this file,
// so that KQ2.ini keeps its known keys.
namespace settings {

QString programSettingsFilePath();

// Where the tables are: the connection URI of the office's PostgreSQL server
// (section [Datenbank], key Server), or empty for the local tables in ./daten.
// Office mode is on exactly when this is not empty.
QString databaseServer(const QString &path = programSettingsFilePath());
// The name other desks are shown for this one while it edits a record
// ([Datenbank] Arbeitsplatz); without one, the computer's name.
QString deskName(const QString &path = programSettingsFilePath());
// Writes both; false with a German reason in `error` when the file cannot be
// written.  A password is never part of `server` (the caller leaves it out).
bool saveDatabaseSettings(const QString &server, const QString &desk, QString *error = nullptr,
                          const QString &path = programSettingsFilePath());

} // namespace settings
