#pragma once

#include "prompter.h"

#include <QString>
#include <QStringList>

#include <memory>

class ServerConnection;
class StoreDialect;

// The two choice lists of the interconnection page: room names (raeume.txt)
// and appliance types (feuerst.txt) in the data directory.  The files are
// Windows-1252 text, one entry per line; lines are written with CR LF, and a
// lone CR or LF is accepted when reading.  Entries are taken as they stand: no
// trimming, sorting or removal of duplicates; an empty line is an empty entry.
//
// A list someone saved as UTF-8 or UTF-16 (recognised by its byte order mark,
// or as UTF-8 by its valid multi-byte characters) is read as such and written
// back in its own encoding.  A file that is no text (control characters), or
// is far too big for a list, is refused with a German message and left as it
// is: it is neither used nor overwritten.
class TextLists {
public:
    enum Kind { RoomNames, ApplianceTypes };
    enum class Encoding { Windows1252, Utf8, Utf8WithBom, Utf16LE, Utf16BE };

    // Limits beyond which a file is no list: a list of room names or appliance
    // types has dozens of entries of a few words.
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;
    static constexpr int kMaxEntries = 10000;
    static constexpr int kMaxEntryLength = 1000;

    // A list file as read.
    struct ListFile {
        enum Status { Read, Unreadable, Refused };
        Status status = Unreadable;   // Unreadable: missing or locked, said to nobody
        QStringList lines;
        Encoding encoding = Encoding::Windows1252;
        QString refusal;              // Refused: why, in German, naming the file
    };

    explicit TextLists(const QString &dataDir = QStringLiteral("daten"));

    // The 18 room names a fresh installation offers.
    static QStringList builtinRoomNames();
    static QString fileName(Kind kind);   // "raeume.txt" or "feuerst.txt"
    QString filePath(Kind kind) const;    // <dataDir>/<fileName>

    // The current choices (at first: the built-in room names, no appliance types).
    QStringList choices(Kind kind) const;

    // Reads the list's file into the choices.  A file that cannot be read leaves
    // the choices as they are, without a message; returns false then.  So does
    // a refused file, whose reason refusal() then tells.
    bool load(Kind kind);
    QString refusal(Kind kind) const { return m_refusal[kind]; }

    // What the list dialog starts with: the file as read; when it cannot be
    // read, the current choices (status Unreadable).
    ListFile editorFile(Kind kind) const;
    QStringList editorLines(Kind kind) const { return editorFile(kind).lines; }

    // Writes the lines to the list's file, replacing it (each line followed by
    // CR LF, in the encoding the file had, Windows-1252 for a new one), then
    // loads the list again.  A write failure is reported as
    // "Datei <name> kann nicht erstellt werden" and leaves the choices unchanged.
    bool save(Kind kind, const QStringList &lines, Prompter *prompter);

    // --- office mode -----------------------------------------------------------
    // The lists are kept on the office server (table ofenring_textlisten, one
    // row per list) instead of the data folder; a list the server does not
    // have counts as a missing file.
    void setServer(ServerConnection *server);
    ServerConnection *server() const { return m_server; }
    static QString serverListName(Kind kind);   // "raeume", "feuerst"
    // While one desk edits a list in its dialog, another desk's dialog is
    // refused ("Diese Liste wird gerade am Arbeitsplatz „NAME“ bearbeitet
    // (seit HH:MM).").  Locally always true.
    bool beginEdit(Kind kind, Prompter *prompter);
    void endEdit(Kind kind);

    // --- file format helpers -------------------------------------------------
    // Splits text into entries at CR LF, CR or LF; a final line break does not
    // start another entry.
    static QStringList splitLines(const QString &text);
    static ListFile readFile(const QString &path);
    static bool writeFile(const QString &path, const QStringList &lines, Encoding encoding = Encoding::Windows1252);
    static QString decodeWindows1252(const QByteArray &bytes);
    static QByteArray encodeWindows1252(const QString &text);  // unmappable characters become '?'

private:
    ListFile readServer(Kind kind) const;
    bool saveServer(Kind kind, const QStringList &lines, Prompter *prompter);

    QString m_dataDir;
    ServerConnection *m_server = nullptr;
    std::shared_ptr<StoreDialect> m_dialect;
    bool m_editLocked[2] = {false, false};
    QStringList m_rooms;
    QStringList m_appliances;
    QString m_refusal[2];
};
