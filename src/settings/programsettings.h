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

// The database server of office mode: [Datenbank] Server of the program's
// settings file (a PostgreSQL URI).  Empty: the tables are the local files of
// the data directory.
QString databaseServer(const QString &path = programSettingsFilePath());

// The office's name, header line 1 of the letterhead and the start of the
// sender line: [Betrieb] Name of the program's own settings file, trimmed;
// empty while none has been given.
QString officeName(const QString &path = programSettingsFilePath());

// Keeps the office's name.  When the file cannot be written, "nach <file>
// kann nicht geschrieben werden." with the German reason is shown through the
// prompter and false is returned.
bool saveOfficeName(const QString &name, Prompter *prompter, const QString &path = programSettingsFilePath());

} // namespace settings
