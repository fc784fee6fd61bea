#pragma once

#include "prompter.h"

#include <QString>

// The print settings of the letterhead and addressee block, and the default
// room height of the room volume calculator, as kept in the settings file
// KQ2.ini:
//   [BKM]  kz2, kz3 (header lines 2 and 3, text as typed),
//          adressedrucken, logodrucken (1 or 0; anything but 0 is on;
//          a value that is not a whole number gives the default, on)
//   [VKQ]  Hoehe (decimal comma, up to 15 significant digits; default 2,7,
//          also for a value that is no room height: 0 or less, above 100 m)
// Section and key names are matched without regard to case.
struct PrintSettings {
    QString headerLine1;     // the office's name; not kept in this file
    QString headerLine2;     // sender details, appended to the name in the sender line
    QString headerLine3;     // letterhead details beside the name
    bool printAddress = true;
    bool printLogo = true;

    // The sender line above the addressee block: name and details, joined as they stand.
    QString senderLine() const { return headerLine1 + headerLine2; }
};

namespace settings {

constexpr double kDefaultRoomHeight = 2.7;

// ~/.config/Ofenring/KQ2.ini (the user's configuration directory).
QString settingsFilePath();

// The full name of the operating-system account (the name field of its passwd
// entry, up to the first comma), or the login name when that is empty.
QString accountFullName();

// Reads header lines 2 and 3 and both switches; header line 1 is the office's
// name from the program's own settings file beside `path` (officeName), or the
// account's full name while none is kept.  A missing file or key gives the
// defaults, without a message.
PrintSettings loadPrintSettings(const QString &path = settingsFilePath());

// Reads "hoehe" of section "VKQ"; 2.7 when missing, not a number or not a
// plausible room height (above 0 and at most 100 m).
double loadDefaultRoomHeight(const QString &path = settingsFilePath());

// Writes kz2, kz3, adressedrucken and logodrucken to section "BKM".  When the
// file cannot be written, "nach <file> kann nicht geschrieben werden." and the
// reason in German ("Der Datenträger ist voll.") are shown through the
// prompter and false is returned.
bool savePrintSettings(const PrintSettings &s, Prompter *prompter, const QString &path = settingsFilePath());

// Writes "Hoehe" to section "VKQ" at the end of the program, unless the file
// already holds that height; errors are ignored.
void saveDefaultRoomHeight(double height, const QString &path = settingsFilePath());

} // namespace settings
