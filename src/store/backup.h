#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Backups of the data directory: the four tables (kq.db, eigentmr.db,
// orte.db, stdbem.DB) and the two text lists (raeume.txt, feuerst.txt),
// copied into <data>/sicherung/JJJJ-MM-TT/.
//
// The tables are copied page by page through SQLite's online backup, in one
// read transaction each, so a copy is consistent even while the program has
// the table open or another connection writes to it; the tables themselves
// are only read.  Every copy passes SQLite's integrity check before the
// backup counts.  A backup is written into "<name>.neu" and renamed to its
// date only when it is whole, so a folder under a date is always a complete
// backup; a note "inhalt.json" in it says when it was made, why, and how many
// records each table held.
//
// The first backup of a day is named by the date alone; a later one on the
// same day (on demand, or before a restore) gets the time of day as well
// ("2024-05-03-143012").  After each backup the old ones are thinned out:
// every backup of the last 14 days is kept, and the first backup of each of
// the last 12 months; a backup dated after today (a clock set wrong) and any
// folder that is not a backup are never removed.
//
// Errors are German sentences for the user (errorString()); nothing here asks
// questions, so the program and the companion word the outcome themselves.
class Backup {
public:
    enum class Reason { Daily, OnDemand, BeforeRestore };
    // What stopped the last operation: the data folder or the backup is not
    // what it must be, or something could not be written.
    enum class Problem { None, Input, Writing };

    // One complete backup folder.
    struct Info {
        QString name;                  // folder name, e.g. "2024-05-03" or "2024-05-03-143012"
        QString path;                  // the folder
        QDate date;                    // the day of the folder name
        QDateTime made;                // when it was made (local time)
        Reason reason = Reason::OnDemand;
        QMap<QString, int> records;    // rows per table file, e.g. "kq.db" -> 120
        QStringList files;             // the files it holds
        int installationRecords() const { return records.value(u"kq.db"_qs, 0); }
    };

    explicit Backup(const QString &dataDir = QStringLiteral("daten"));

    // The table files and the text list files a backup holds, in that order.
    static QStringList tableFiles();
    static QStringList listFiles();
    static QString folderName() { return u"sicherung"_qs; }
    static QString manifestName() { return u"inhalt.json"_qs; }
    // "Tägliche Sicherung", "Sicherung auf Wunsch", "Vor einer Wiederherstellung".
    static QString reasonText(Reason reason);
    // When a backup was made, as the user reads it: "03.05.2024, 14:30 Uhr".
    static QString madeText(const Info &backup);

    QString dataDir() const { return m_dataDir; }
    QString root() const;   // <data>/sicherung

    // The clock (tests set their own days).
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    QDateTime now() const { return m_now ? m_now() : QDateTime::currentDateTime(); }

    // The complete backups, newest first.
    QList<Info> list() const;
    // No backup has been made today yet.
    bool isDue() const;

    // Makes a backup now and thins out the old ones (never `keep`).  Nothing
    // but the backup folder is written; on failure nothing of the new backup
    // remains, no old one is removed and errorString() says why.
    std::optional<Info> make(Reason reason, const QStringList &keep = {});

    // Checks that a backup is complete and every table in it sound, without
    // changing anything.
    bool verify(const Info &backup);

    // Puts the data of `backup` in place of today's: first makes a backup of
    // today's data (`savedFirst`), then prepares every file of the backup
    // beside its table and only when all are ready puts them in place; a
    // file the backup does not hold is removed (it is in the new backup).  The
    // tables must not be open in this process.  On failure before the files
    // are put in place nothing has changed.
    bool restore(const Info &backup, Info *savedFirst = nullptr);

    // Removes what the keeping rule does not keep; returns the names removed.
    QStringList prune(const QStringList &keep = {});

    QString errorString() const { return m_error; }
    Problem problem() const { return m_problem; }

private:
    bool fail(const QString &text, Problem problem = Problem::Writing);
    QString newFolderName(const QDateTime &at) const;
    void removeLeftovers() const;

    QString m_dataDir;
    QString m_error;
    Problem m_problem = Problem::None;
    std::function<QDateTime()> m_now;
};
