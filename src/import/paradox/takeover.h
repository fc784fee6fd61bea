#pragma once

#include "tablestore.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

// What the take-over did with one table.
struct TakenTable {
    // A value that could not be taken over as it stood.
    struct Note {
        int record = 0;    // position in the old table, from 1
        qint64 key = 0;    // its `Lfd`, 0 where the table has none
        QString field;
        QString reason;    // German
    };

    QString table;                   // our table, e.g. "kq.db"
    QString oldFile;                 // the old table as it was found, e.g. "KQ.DB"
    int records = 0;                 // taken over: every record the data blocks hold
    int headerRecords = 0;           // the number the old table's header gives
    QStringList readerMessages;      // what the table library said while reading, as it said it
    int codePage = 0;                // as the old table's header gives it (0: not recorded)
    QStringList missingFields;       // not in the old table; left empty
    QStringList alwaysEmpty;         // empty in every record of the old table
    QMap<QString, int> emptyValues;  // field -> number of records in which it was empty
    QList<Note> unreadable;          // could not be read; left empty
    QList<Note> shortened;           // longer than the field; cut to its size

    QJsonObject toJson() const;
    static TakenTable fromJson(const QJsonObject &o);
};

struct TakeOverReport {
    QString backupFolder;    // e.g. "alt-2024-05-01", inside the data folder
    QStringList originals;   // the old files kept there, byte for byte
    QList<TakenTable> tables;

    QJsonObject toJson() const;
    static TakeOverReport fromJson(const QJsonObject &o);
    // The German summary shown after the take-over; `dataDir` as the user
    // knows it.  Fields are named as the user knows them, fields empty in
    // every record in groups ("Räume R4 bis R7", "Zuluftleitung").
    QString text(const QString &dataDir) const;
};

// Takes the four tables of the old Paradox format (kq.db, eigentmr.db, orte.db,
// stdbem.DB with their memo files) over into our tables.
//
// The new tables are built beside the old ones under a temporary name and
// their record counts checked; only then are the old files put aside into
// "alt-<date>" and the new tables renamed into place.  A journal file in the
// data folder records how far this got, written before every step that
// changes what the program would find: an interruption at any moment (power
// loss, kill) leaves either the old files in place (the half-built tables are
// removed on the next start) or everything needed to finish, which the next
// start does.
class TakeOver {
public:
    // `sourceDir` holds the old tables, `targetDir` gets the new ones.  When
    // both are the same folder the old files are moved into targetDir/alt-<date>;
    // otherwise they are copied there and the source folder is only read.
    TakeOver(QString sourceDir, QString targetDir);

    // The old tables among the four in a folder, as their files are named there.
    static QStringList oldTables(const QString &dir);
    // True when an interrupted take-over waits in the data folder.
    static bool isPending(const QString &targetDir);
    static QString journalName();

    enum class Problem {
        None,
        Input,    // nothing was written: the old tables or the folders do not allow a take-over
        Writing,  // the data folder could not be written; an unfinished take-over stays pending
    };

    // Looks whether a take-over can start: old tables in the source, a target
    // that can be written (and, when it is another folder, holds no tables).
    // Changes nothing.
    bool check();
    // The whole take-over; false with errorString().  After a failure before
    // the new tables were complete, the old files are where they were.
    bool run();

    enum class Resumed {
        Nothing,    // no interrupted take-over
        Restarted,  // it had not got far: its traces are gone, the old files are untouched
        Completed,  // it was finished now; report() tells what was taken over
        Failed,     // errorString(); it stays pending
    };
    Resumed resume();

    // The folder inside the target that gets the old files, e.g. "alt-2024-05-01" (known after check()).
    QString backupFolder() const { return m_backup; }
    const TakeOverReport &report() const { return m_report; }
    QString errorString() const { return m_error; }
    Problem problem() const { return m_problem; }

    // Called now and then while records are taken over.
    void setProgress(std::function<void(int done, int total)> progress) { m_progress = std::move(progress); }
    // Called after each step that leaves a new state on disk (named "journal",
    // "datensatz:<table>" after the first record, "gebaut:<table>",
    // "einsetzen", "gesichert:<file>", "eingesetzt:<table>"); tests interrupt there.
    void setStepHook(std::function<void(const QString &step)> hook) { m_hook = std::move(hook); }
    // How long the reader of an old table may stall before the table counts as damaged.
    void setReaderTimeout(int milliseconds) { m_readerTimeout = milliseconds; }

private:
    struct Planned {
        TableDefinition definition;
        QString oldFile;   // in the source folder
        QString temp;      // in the target folder
    };

    bool plan();
    bool buildTable(const Planned &t, TakenTable &out, int &done, int total);
    bool secureCopies();
    bool place();
    void removeTraces();
    bool writeJournal(const QString &state);
    bool fail(Problem problem, const QString &text);
    void step(const QString &name);
    bool sameFolder() const;
    QString targetPath(const QString &name) const;

    QString m_source;
    QString m_target;
    QList<Planned> m_tables;
    QStringList m_originals;
    QString m_backup;
    bool m_planned = false;
    TakeOverReport m_report;
    QString m_error;
    Problem m_problem = Problem::None;
    int m_readerTimeout = 30000;
    std::function<void(int, int)> m_progress;
    std::function<void(const QString &)> m_hook;
};
