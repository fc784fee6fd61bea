#pragma once

#include "prompter.h"

#include <QString>
#include <QStringList>

// The two choice lists of the interconnection page: room names (raeume.txt)
// and appliance types (feuerst.txt) in the data directory.  The files are
// Windows-1252 text, one entry per line; lines are written with CR LF, and a
// lone CR or LF is accepted when reading.  Entries are taken as they stand: no
// trimming, sorting or removal of duplicates; an empty line is an empty entry.
class TextLists {
public:
    enum Kind { RoomNames, ApplianceTypes };

    explicit TextLists(const QString &dataDir = QStringLiteral("daten"));

    // The 18 room names a fresh installation offers.
    static QStringList builtinRoomNames();
    static QString fileName(Kind kind);   // "raeume.txt" or "feuerst.txt"
    QString filePath(Kind kind) const;    // <dataDir>/<fileName>

    // The current choices (at first: the built-in room names, no appliance types).
    QStringList choices(Kind kind) const;

    // Reads the list's file into the choices.  A file that cannot be read leaves
    // the choices as they are, without a message; returns false then.
    bool load(Kind kind);

    // What the list dialog starts with: the file's lines, or the current choices
    // when the file cannot be read.
    QStringList editorLines(Kind kind) const;

    // Writes the lines to the list's file, replacing it (each line followed by
    // CR LF), then loads the list again.  A write failure is reported as
    // "Datei <name> kann nicht erstellt werden" and leaves the choices unchanged.
    bool save(Kind kind, const QStringList &lines, Prompter *prompter);

    // --- file format helpers -------------------------------------------------
    // Splits text into entries at CR LF, CR or LF; a final line break does not
    // start another entry.
    static QStringList splitLines(const QString &text);
    static bool readFile(const QString &path, QStringList *lines);
    static bool writeFile(const QString &path, const QStringList &lines);
    static QString decodeWindows1252(const QByteArray &bytes);
    static QByteArray encodeWindows1252(const QString &text);  // unmappable characters become '?'

private:
    QString m_dataDir;
    QStringList m_rooms;
    QStringList m_appliances;
};
