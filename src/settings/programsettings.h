#pragma once

#include "prompter.h"

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

// The office's name, header line 1 of the letterhead and the start of the
// sender line: [Betrieb] Name of the program's own settings file, trimmed;
// empty while none has been given.
QString officeName(const QString &path = programSettingsFilePath());

// Keeps the office's name.  When the file cannot be written, "nach <file>
// kann nicht geschrieben werden." with the German reason is shown through the
// prompter and false is returned.
bool saveOfficeName(const QString &name, Prompter *prompter, const QString &path = programSettingsFilePath());

} // namespace settings
