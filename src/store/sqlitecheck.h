#pragma once

#include <QString>

// The health of a table file (SQLite), looked at when the table is opened:
// SQLite's quick integrity check, and what to make of its findings.
//
// Damage that lies in the indexes alone (the orders "ortindex", "nameindex",
// …) loses nothing: an index holds only what the rows hold.  Such a file can
// be mended by building its indexes anew, after a copy of it as it was has
// been kept beside it.  Damage in the rows themselves is only reported: the
// file is left byte for byte as it was, and nothing is written into it.
namespace sqlitecheck {

enum class Health {
    Sound,
    IndexesDamaged,   // the rows are whole; only indexes are damaged
    DataDamaged,      // the rows themselves (or the file's structure) are damaged
    Unknown,          // the check itself could not run; `why` says why
};

struct Finding {
    Health health = Health::Sound;
    QString why;      // German, for Unknown
};

// Runs the quick check on the file and, when it finds damage, decides on a
// scratch copy in `scratchDir` whether the rows are whole.  The file itself is
// only read (SQLite may roll back a write that was interrupted, as on every
// open).
Finding examine(const QString &path, const QString &scratchDir);

// Keeps a copy of the file beside it ("kq.db.beschaedigt-2024-05-01"; the
// copy's name in `copy`) and replaces the file by one whose indexes are built
// anew from its rows; the new file is checked whole before it takes the
// file's place.  False with the German reason in `why`; the file is then as
// it was.
bool rebuildIndexes(const QString &path, QString *copy, QString *why);

} // namespace sqlitecheck
