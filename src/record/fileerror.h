#pragma once

#include <QByteArray>
#include <QString>

// Why a file could not be written, in the user's words, from the system's
// error number (never from the system's or Qt's English text), and a write
// that says so.
namespace fileerror {

// A short German phrase for an error number, e.g. "der Datenträger ist voll",
// "keine Schreibberechtigung", "der Ordner fehlt", "an dieser Stelle steht ein
// Ordner"; fits into parentheses or after a colon.
QString phrase(int error);
// The same as a sentence: "Der Datenträger ist voll."
QString sentence(int error);

// Writes `bytes` to `path` through a temporary file in the same folder that
// is synced and then renamed over the old file, so that the old file stays
// whole until the new one is complete.  A link is followed: its target is
// replaced.  False with the German sentence in `why` when any step fails; the
// temporary file is removed again.
bool writeReplacing(const QString &path, const QByteArray &bytes, QString *why);

// Makes the folder `path` and the folders above it that are missing.  False
// with the German sentence in `why` when one cannot be made, or when a file
// stands where a folder must be.
bool makeFolders(const QString &path, QString *why);

} // namespace fileerror
