#pragma once

#include <QString>

#include <memory>

class QApplication;
class ServerConnection;
class SingleInstance;
class TForm1;

namespace startup {

// The program's name, its icon for every window, and the name of its desktop
// entry (so that a desktop's task bar shows the entry's icon and name).  No
// display name is set: Qt would append " — Ofenring" to every caption, and
// the dialogs' captions are meant to stand alone ("Ortsliste", "Info").
void setDesktopIdentity();

// German numbers everywhere and German captions in Qt's own dialogs and
// context menus (qtbase_de from the Qt translations).  True when the
// translations were found.
bool useGerman(QApplication &app);

// A settings file that exists but is not read (a pipe, a device, a file too
// large) is named once per file and run in a warning; the program goes on
// with the defaults.
void warnAboutUnreadableSettings();

// Settles which copy of the program runs, before any window exists.  Returns
// -1 when this copy goes on starting; otherwise the exit status: 0 when the
// running copy answered and shows its window, 1 when the start is blocked (a
// German message has said what blocks it and what to do).
int claimSingleInstance(SingleInstance &guard, int answerTimeoutMs = 3000);

// A second start of the program asks the running copy to show its main
// window: restored when it was minimised, and in front.
void raiseOnSecondStart(SingleInstance &guard, TForm1 &window);

// Tables of the old Paradox format in the data folder: first finishes a
// take-over that was interrupted, then asks once whether to take the old
// tables over, does it and reports what was taken over.  False when the
// program must not start: the user said no (the files stay as they are), or
// the take-over failed (its message has been shown, the old files are kept).
bool takeOverOldTables(const QString &dataDir = QStringLiteral("daten"));

// Office mode (the settings file names a database server): connects to it
// before the main window opens.  A server that wants a password asks for it
// ("Passwort merken" keeps it in ~/.pgpass once it was right); a server that
// cannot be reached is said in German, with the choice to try again, to change
// the database settings, or to end.  False when the program is not to start;
// `server` stays empty when the settings now name the local tables.
bool connectToOfficeServer(std::unique_ptr<ServerConnection> &server);

} // namespace startup
