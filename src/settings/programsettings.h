#pragma once

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

} // namespace settings
