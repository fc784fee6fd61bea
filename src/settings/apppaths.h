#pragma once

#include <QString>

// Where another program of the desk is installed.  On Windows such programs
// register their directory as an application path ("App Paths\<program>.exe",
// value "Path"); on this system the same facts are kept in the settings file
// KQ2.ini, one key per program in the section [App Paths]:
//
//     [App Paths]
//     Grundbild.exe=/opt/grundbild
//     abnahme.exe=/opt/abnahme
//
// Section and key names are matched without regard to case, like the
// registry's.  The lookup is read-only.
namespace settings {

// The directory registered for `programFile` (e.g. "Grundbild.exe"), as
// written; empty when the file, the section or the key is missing.
QString applicationPath(const QString &programFile, const QString &settingsPath);

// The same, looked up in the user's KQ2.ini.
QString applicationPath(const QString &programFile);

} // namespace settings
