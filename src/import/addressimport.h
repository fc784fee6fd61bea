#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Prompter;
class TableStore;

// Taking the address of a property and of its owner from a district
// management program ("Kehrbezirksverwaltung") into the current installation
// record.  Three programs are known, offered in this order: SchoCom, Abnahme
// and Abnahme II.  Each is asked through its export library (see
// exportlibrary.h for how the libraries are found and called on this system);
// the library writes an export text file, one value per line, which is read
// into the owner and site fields.
//
// Nothing here shows a window: questions and errors go through a Prompter,
// the wait cursor through a callback, so the whole import runs headless.
namespace addressimport {

enum class Source { SchoCom, Abnahme, AbnahmeII };

struct SourceDef {
    Source source;
    QString entry;        // the list entry, e.g. "SchoCom (Schwarz Computer GmbH)"
    QString name;         // "SchoCom", "Abnahme", "Abnahme II"
    QString library;      // file name of the export library in the program directory
    QString exportFile;   // "AbnSch.EXP" or "export.txt"
    bool splitsPlaces;    // lines 7 and 12 hold postcode and town together
};

const SourceDef &sourceDef(Source source);
const QList<Source> &allSources();   // in the order they are offered

// The chosen list entry, recognised by its beginning: "SchoCom", then
// "Abnahme (" (so that "Abnahme II …" is not taken for "Abnahme"), then
// "Abnahme II".  Nothing for any other text.
std::optional<Source> recogniseEntry(const QString &entry);

// --- where the programs are installed ---------------------------------------

// The two settings files that tell where the district programs live:
//   schocom.ini   section [Installation], key SchoCom = SchoCom's directory;
//                 looked for beside KQ2.ini, since the name carries no directory;
//   KQ2.ini       section [App Paths], keys abnahme.exe and abnahmeII.exe =
//                 the directories of Abnahme and Abnahme II.
struct Locations {
    QString schocomIni;
    QString settingsFile;   // KQ2.ini
    static Locations standard();
};

// The program directory as written in the settings; empty when not set.
QString programDirectory(Source source, const Locations &where = Locations::standard());

struct Installed {
    Source source;
    QString directory;   // as written in the settings
};

// The programs whose directory is set and holds their export library, in the
// order they are offered.  `preselected` is the index of SchoCom when it is
// there, else -1: the Abnahme programs are never preselected.
struct SourceList {
    QList<Installed> entries;
    int preselected = -1;
};
SourceList installedSources(const Locations &where = Locations::standard());

// --- status codes of the export function ------------------------------------

// The message for a status the export function returned: empty for 0 (the
// export file is ready) and for 5 from Abnahme / Abnahme II (the user chose no
// property, which needs no message).  Every other code gives
// "Export- Funktion meldet Fehler Nr. <code> <text>"; code 1 has no text, so
// its message ends in the blank.
QString statusMessage(Source source, int status);

// --- the export file ----------------------------------------------------------

// The lines that the line map uses: the first 16 of the file.
constexpr int kMappedLines = 16;

// Reads the first 16 lines of an export file; lines end in CR LF, a lone LF
// is taken as well.  The text is read as UTF-16 when the file starts with a
// UTF-16 byte-order mark, as UTF-8 when it starts with the UTF-8 mark or is
// valid UTF-8 with at least one character beyond ASCII, and as Windows-1252
// otherwise.
//
// False, with the German message for the user in `error` (which also says
// that nothing was taken over), when the file is no export file: it is no
// plain file or cannot be opened (unreadableFileMessage), is empty or larger
// than an export file can be, holds a control character (NUL, ESC, … or a
// CR that ends no line) anywhere, or none of the lines that carry an address
// (1 and 3 to 12) holds any text.  So no control character reaches a field.
bool readExportFile(const QString &path, QStringList *lines, QString *error = nullptr,
                    QString *encoding = nullptr);

struct FieldValue {
    QString field;
    QString value;   // as it stands in the file; the store cuts it to the field's size
    int line;        // 1-based line it came from
};

// The fields the lines set, in the order they are stored.  Line 1 E_anrede,
// 3 E_Name, 4 E_zusatz, 5 E_strasse, 6 E_plz, 7 E_ort, 8 E_tel, 9 E_fax,
// 10 A_strasse, 11 A_Plz, 12 A_Ort; lines 2 and 13 onwards set nothing.  With
// `splitPlaces` a line 7 or 12 whose first blank stands at position 6 or later
// gives its postcode (before the blank) and town (after it); otherwise the
// whole line is the town and the postcode of line 6 or 11 stays.
QList<FieldValue> fieldsFromLines(const QStringList &lines, bool splitPlaces);

// The value as the record would keep it (texts cut to the field's size).
QString storedValue(const QString &field, const QString &value);

// Puts the current record into the edit state (on an empty table a new record
// is made) and stores the values.  False when the store refuses the edit.
bool applyFields(TableStore &store, const QList<FieldValue> &values);

// The message for an export file that cannot be opened; nothing is taken over.
QString unreadableFileMessage(const QString &path);

// --- running an import ----------------------------------------------------------

enum class Outcome {
    Imported,      // the fields were stored; the record stays in the edit state
    NotImported,   // a message told the user why (or code 5 from Abnahme ended it silently)
};

// Switches the wait cursor on (true) or back to normal (false).
using WaitCursor = std::function<void(bool on)>;

// Runs the export of an installed program and takes the export file over into
// the store's current record.  The current directory is the program directory
// while the library runs, and is the one before on return, on every path;
// the wait cursor is shown while the library loads and is normal again before
// the district program may show its own window, and on return.
Outcome runExport(const Installed &program, TableStore &store, Prompter &prompter,
                  const WaitCursor &waitCursor = {});

// Takes an export file over that reached this machine without its program
// (copied from another computer): read with the line map of `source`.
Outcome importExportFile(const QString &path, Source source, TableStore &store, Prompter &prompter);

// The kind of export file its name tells: "AbnSch.EXP" (or any *.EXP) comes
// from SchoCom, "export.txt" (or any *.txt) from Abnahme / Abnahme II.
std::optional<Source> sourceFromFileName(const QString &path);

} // namespace addressimport
