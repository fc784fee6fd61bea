// Backups of the data directory: consistent copies while the tables are open
// and written, restoring with today's data kept first, the keeping rule over
// a year of days, and backups that cannot be written.
#include "backup.h"
#include "catalogstore.h"
#include "recordstore.h"
#include "textlists.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sqlite3.h>

#include <atomic>
#include <thread>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Every row of a table, every column as text, in key order.
QList<QStringList> rowsOf(const QString &path, const QString &table)
{
    QList<QStringList> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = "SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY rowid";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                QStringList row;
                for (int c = 0; c < sqlite3_column_count(st); ++c)
                    row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
                rows << row;
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(db);
    return rows;
}

// What the data directory holds, file by file, without the backups.
QMap<QString, QByteArray> dataFiles(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo &f : QDir(dir).entryInfoList(QDir::Files))
        files.insert(f.fileName(), QCryptographicHash::hash(fileBytes(f.filePath()), QCryptographicHash::Sha256));
    return files;
}

void seed(TableStore &store, const QString &dir, const QList<QVariantMap> &rows)
{
    store.setConfirmChanges(false);
    QVERIFY(store.open(dir));
    for (const QVariantMap &row : rows) {
        QVERIFY(store.insert());
        for (auto it = row.begin(); it != row.end(); ++it)
            QVERIFY(store.setFieldValue(it.key(), it.value()));
        QVERIFY(store.post());
    }
    store.close();
}

QDateTime at(const QDate &day, int hour = 8)
{
    return QDateTime(day, QTime(hour, 0));
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void backupWhileEditedAndWrittenRestoresEveryRecord();
    void restoreKeepsTodaysDataAsABackupFirst();
    void damagedBackupIsRefusedAndNothingChanges();
    void keepingRuleOverASimulatedYear();
    void backupThatCannotBeWritten_data();
    void backupThatCannotBeWritten();

private:
    // daten/ with records, the three catalogs and the room-name list.
    void seedData(int records, int remarkLength = 40);
    QString data() const { return m_dir->filePath(u"daten"_qs); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_mounted;
};

void TestBackup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestBackup::cleanup()
{
    if (!m_mounted.isEmpty()) {
        QProcess::execute(u"umount"_qs, {m_mounted});
        m_mounted.clear();
    }
    m_dir.reset();
}

void TestBackup::seedData(int records, int remarkLength)
{
    QList<QVariantMap> rows;
    for (int i = 1; i <= records; ++i)
        rows << QVariantMap{{u"A_Name"_qs, u"Anlage %1"_qs.arg(i)},
                            {u"A_Ort"_qs, u"Würzburg"_qs},
                            {u"RAV"_qs, 10.0 * i},
                            {u"Bemerkung"_qs, QString(remarkLength, QChar(u'a' + i % 26))}};
    RecordStore kq;
    seed(kq, data(), rows);
    CatalogStore owners(CatalogStore::Owners);
    seed(owners, data(), {{{u"Name"_qs, u"Müller"_qs}, {u"Ort"_qs, u"Kitzingen"_qs}}});
    CatalogStore places(CatalogStore::Places);
    seed(places, data(), {{{u"Plz"_qs, u"97070"_qs}, {u"Ort"_qs, u"Würzburg"_qs}}});
    CatalogStore remarks(CatalogStore::Remarks);
    seed(remarks, data(), {{{u"Kurzbez"_qs, u"Lüftung"_qs}, {u"Text"_qs, u"{\\rtf1 Zuluft frei halten.}"_qs}}});
    QVERIFY(TextLists::writeFile(QDir(data()).filePath(u"raeume.txt"_qs), {u"Küche"_qs, u"Bad"_qs}));
}

void TestBackup::backupWhileEditedAndWrittenRestoresEveryRecord()
{
    seedData(400, 2000);
    const QString kqFile = QDir(data()).filePath(u"kq.db"_qs);

    // The program holds an unsaved edit of the first record ...
    RecordStore store;
    QVERIFY(store.open(data()));
    QVERIFY(store.setFieldValue(u"A_Name"_qs, u"Noch nicht gespeichert"_qs));

    // ... while another connection writes: first a large change of every
    // record that spills into the file before it is rolled back, then
    // transactions that move volume between records 2 and 400, at either end
    // of the file; their sum stays 4020 in every committed state.
    std::atomic<bool> spilled{false};
    std::atomic<bool> stop{false};
    std::atomic<int> commits{0};
    std::thread writer([&] {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(kqFile).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 10000);
        sqlite3_exec(db, "PRAGMA cache_size = 2; BEGIN IMMEDIATE; UPDATE kq SET A_Name = 'Nie gespeichert'",
                     nullptr, nullptr, nullptr);
        spilled = true;
        QThread::msleep(300);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        while (!stop) {
            if (sqlite3_exec(db,
                             "BEGIN IMMEDIATE; UPDATE kq SET RAV = RAV + 1 WHERE Lfd = 2; "
                             "UPDATE kq SET RAV = RAV - 1 WHERE Lfd = 400; COMMIT",
                             nullptr, nullptr, nullptr)
                == SQLITE_OK)
                ++commits;
            else
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            QThread::msleep(2);
        }
        sqlite3_close_v2(db);
    });
    QTRY_VERIFY(spilled);
    Backup backup(data());
    const std::optional<Backup::Info> made = backup.make(Backup::Reason::OnDemand);
    QTRY_VERIFY(commits > 0);
    const std::optional<Backup::Info> again = backup.make(Backup::Reason::OnDemand);
    const int commitsAtBackup = commits;
    QTRY_VERIFY(commits > commitsAtBackup + 5);
    stop = true;
    writer.join();
    QVERIFY2(made, qPrintable(backup.errorString()));
    QVERIFY2(again, qPrintable(backup.errorString()));
    for (const Backup::Info &b : {*made, *again}) {
        RecordStore copy;
        QVERIFY(copy.open(b.path));
        QCOMPARE(copy.rowCount(), 400);
        QCOMPARE(copy.fieldText(u"A_Name"_qs), u"Anlage 1"_qs);
        QVERIFY(copy.goToKey(2));
        const double r2 = copy.fieldNumber(u"RAV"_qs);
        QCOMPARE(copy.fieldText(u"A_Name"_qs), u"Anlage 2"_qs);
        QVERIFY(copy.goToKey(400));
        QCOMPARE(r2 + copy.fieldNumber(u"RAV"_qs), 4020.0);
    }

    // The edit is still pending in the store and in no file.
    QCOMPARE(store.state(), StoreState::Edit);
    QCOMPARE(store.fieldText(u"A_Name"_qs), u"Noch nicht gespeichert"_qs);
    store.cancel();
    store.close();

    const QList<QStringList> saved = rowsOf(QDir(made->path).filePath(u"kq.db"_qs), u"kq"_qs);
    QCOMPARE(made->installationRecords(), 400);

    // Restored, every record and every catalog entry is the backup's, and the
    // text list is the one saved.
    QVERIFY2(backup.restore(*made), qPrintable(backup.errorString()));
    QCOMPARE(rowsOf(kqFile, u"kq"_qs), saved);
    for (CatalogStore::Kind kind : {CatalogStore::Owners, CatalogStore::Places, CatalogStore::Remarks}) {
        const TableDefinition d = CatalogStore::tableDefinition(kind);
        const QList<QStringList> restored = rowsOf(QDir(data()).filePath(d.fileName), d.tableName);
        QCOMPARE(restored.size(), 1);
        QCOMPARE(restored, rowsOf(QDir(made->path).filePath(d.fileName), d.tableName));
    }
    QCOMPARE(fileBytes(QDir(data()).filePath(u"raeume.txt"_qs)), QByteArray("K\xfc" "che\r\nBad\r\n"));
    RecordStore after;
    QVERIFY(after.open(data()));
    QCOMPARE(after.rowCount(), 400);
}

void TestBackup::restoreKeepsTodaysDataAsABackupFirst()
{
    seedData(3);
    Backup backup(data());
    backup.setClock([] { return at(QDate(2024, 5, 2)); });
    const std::optional<Backup::Info> yesterday = backup.make(Backup::Reason::Daily);
    QVERIFY2(yesterday, qPrintable(backup.errorString()));
    QCOMPARE(yesterday->name, u"2024-05-02"_qs);

    // Today a record is changed, one is added, and the appliance list is new.
    {
        RecordStore store;
        store.setConfirmChanges(false);
        QVERIFY(store.open(data()));
        QVERIFY(store.goToKey(2));
        QVERIFY(store.setFieldValue(u"A_Name"_qs, u"Versehentlich überschrieben"_qs));
        QVERIFY(store.post());
        QVERIFY(store.insert());
        QVERIFY(store.setFieldValue(u"A_Name"_qs, u"Neu von heute"_qs));
        QVERIFY(store.post());
    }
    QVERIFY(TextLists::writeFile(QDir(data()).filePath(u"feuerst.txt"_qs), {u"Gastherme"_qs}));
    const QMap<QString, QByteArray> today = dataFiles(data());

    backup.setClock([] { return at(QDate(2024, 5, 3), 14); });
    Backup::Info savedFirst;
    QVERIFY2(backup.restore(*yesterday, &savedFirst), qPrintable(backup.errorString()));

    // The restored data are yesterday's: record 2 as it was, no record 4, no appliance list.
    RecordStore restored;
    QVERIFY(restored.open(data()));
    QCOMPARE(restored.rowCount(), 3);
    QVERIFY(restored.goToKey(2));
    QCOMPARE(restored.fieldText(u"A_Name"_qs), u"Anlage 2"_qs);
    restored.close();
    QVERIFY(!QFile::exists(QDir(data()).filePath(u"feuerst.txt"_qs)));

    // Today's data were saved first, are listed, and bring today back.
    QCOMPARE(savedFirst.name, u"2024-05-03"_qs);
    QCOMPARE(savedFirst.reason, Backup::Reason::BeforeRestore);
    QCOMPARE(savedFirst.installationRecords(), 4);
    const QList<Backup::Info> listed = backup.list();
    QCOMPARE(listed.size(), 2);
    QCOMPARE(listed.first().name, savedFirst.name);
    QCOMPARE(listed.first().made, at(QDate(2024, 5, 3), 14));
    QVERIFY(backup.restore(listed.first()));
    QCOMPARE(dataFiles(data()).value(u"feuerst.txt"_qs), today.value(u"feuerst.txt"_qs));
    RecordStore again;
    QVERIFY(again.open(data()));
    QCOMPARE(again.rowCount(), 4);
    QVERIFY(again.goToKey(2));
    QCOMPARE(again.fieldText(u"A_Name"_qs), u"Versehentlich überschrieben"_qs);
    // The second restore kept the restored state too, under a timed name.
    QCOMPARE(backup.list().first().name, u"2024-05-03-140000"_qs);
}

void TestBackup::damagedBackupIsRefusedAndNothingChanges()
{
    seedData(5);
    Backup backup(data());
    backup.setClock([] { return at(QDate(2024, 5, 2)); });
    const std::optional<Backup::Info> made = backup.make(Backup::Reason::Daily);
    QVERIFY(made);
    // A disk fault spoils a page in the middle of the copy.
    const QString copy = QDir(made->path).filePath(u"kq.db"_qs);
    QByteArray bytes = fileBytes(copy);
    for (qsizetype i = 4096; i < 4096 + 200; ++i)
        bytes[i] = char(0xa5);
    QVERIFY(writeBytes(copy, bytes));

    const QMap<QString, QByteArray> before = dataFiles(data());
    backup.setClock([] { return at(QDate(2024, 5, 3)); });
    QVERIFY(!backup.restore(*made));
    QVERIFY2(backup.errorString().startsWith(u"Die Sicherung vom 02.05.2024, 08:00 Uhr ist nicht zu gebrauchen"_qs),
             qPrintable(backup.errorString()));
    QCOMPARE(dataFiles(data()), before);
    QCOMPARE(backup.list().size(), 1);   // and no backup of today was made for nothing
}

void TestBackup::keepingRuleOverASimulatedYear()
{
    QDir().mkpath(data());
    RecordStore kq;
    QVERIFY(kq.open(data()));
    kq.close();
    Backup backup(data());
    QDate day;
    backup.setClock([&day] { return at(day); });
    // Something that is no backup lives beside them and stays.
    QVERIFY(QDir().mkpath(QDir(backup.root()).filePath(u"notizen"_qs)));

    // A working year with three weeks of holiday in August, and one day with
    // a second backup on demand.
    QSet<QString> made;
    for (day = QDate(2023, 1, 1); day <= QDate(2023, 12, 31); day = day.addDays(1)) {
        if (day >= QDate(2023, 8, 1) && day <= QDate(2023, 8, 20))
            continue;
        QVERIFY(backup.isDue());
        const std::optional<Backup::Info> b = backup.make(Backup::Reason::Daily);
        QVERIFY2(b, qPrintable(backup.errorString()));
        QVERIFY(!backup.isDue());
        made.insert(b->name);
        // Every backup of the last 14 days is still there.
        QSet<QString> listed;
        for (const Backup::Info &i : backup.list())
            listed.insert(i.name);
        for (int back = 0; back < 14; ++back) {
            const QString name = day.addDays(-back).toString(u"yyyy-MM-dd"_qs);
            QVERIFY2(!made.contains(name) || listed.contains(name), qPrintable(day.toString() + u' ' + name));
        }
        if (day == QDate(2023, 9, 1)) {
            const std::optional<Backup::Info> second = backup.make(Backup::Reason::OnDemand);
            QVERIFY(second);
            QCOMPARE(second->name, u"2023-09-01-080000"_qs);
        }
    }

    auto names = [&backup] {
        QStringList n;
        for (const Backup::Info &i : backup.list())
            n.prepend(i.name);
        return n;
    };
    QStringList expected{u"2023-01-01"_qs, u"2023-02-01"_qs, u"2023-03-01"_qs, u"2023-04-01"_qs, u"2023-05-01"_qs,
                         u"2023-06-01"_qs, u"2023-07-01"_qs, u"2023-08-21"_qs, u"2023-09-01"_qs, u"2023-10-01"_qs,
                         u"2023-11-01"_qs, u"2023-12-01"_qs};
    for (int d = 18; d <= 31; ++d)
        expected << QDate(2023, 12, d).toString(u"yyyy-MM-dd"_qs);
    QCOMPARE(names(), expected);

    // On New Year's Day last January falls out of the twelve months.
    day = QDate(2024, 1, 1);
    QVERIFY(backup.make(Backup::Reason::Daily));
    expected.removeFirst();
    expected.removeOne(u"2023-12-18"_qs);
    expected << u"2024-01-01"_qs;
    QCOMPARE(names(), expected);
    QVERIFY(QFileInfo(QDir(backup.root()).filePath(u"notizen"_qs)).isDir());

    // A clock set back a year removes nothing that is dated after it.
    day = QDate(2023, 1, 5);
    QVERIFY(backup.make(Backup::Reason::Daily));
    QVERIFY(names().contains(u"2024-01-01"_qs));
}

void TestBackup::backupThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk") << u"full"_qs << u"Der Datenträger ist voll."_qs;
    QTest::newRow("read-only medium") << u"readonly"_qs << u"Der Datenträger ist schreibgeschützt."_qs;
    QTest::newRow("a file in the folder's place") << u"file"_qs << u"An seiner Stelle liegt eine Datei."_qs;
}

void TestBackup::backupThatCannotBeWritten()
{
    QFETCH(QString, how);
    QFETCH(QString, reason);
    seedData(60, 3000);
    Backup backup(data());
    const QString root = backup.root();
    if (how == u"file"_qs) {
        QVERIFY(writeBytes(root, "keine Sicherung"));
    } else {
        // A small file system of its own in the backup folder's place.
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        QVERIFY(QDir().mkpath(root));
        if (QProcess::execute(u"mount"_qs, {u"-t"_qs, u"tmpfs"_qs, u"-o"_qs, u"size=64k"_qs, u"tmpfs"_qs, root}) != 0)
            QSKIP("tmpfs cannot be mounted here");
        m_mounted = root;
    }
    // An older backup is there already (a small one that fits).
    if (how != u"file"_qs) {
        const QString old = QDir(root).filePath(u"2024-04-30"_qs);
        QVERIFY(QDir().mkpath(old));
        QVERIFY(writeBytes(QDir(old).filePath(Backup::manifestName()),
                           R"({"zeit": "2024-04-30T08:00:00", "anlass": "taeglich", "dateien": []})"));
        if (how == u"readonly"_qs)
            QCOMPARE(QProcess::execute(u"mount"_qs, {u"-o"_qs, u"remount,ro"_qs, root}), 0);
    }

    const QMap<QString, QByteArray> before = dataFiles(data());
    const QList<Backup::Info> listedBefore = backup.list();
    backup.setClock([] { return at(QDate(2024, 5, 3)); });
    QVERIFY(!backup.make(Backup::Reason::Daily));
    const QString error = backup.errorString();
    QVERIFY2(error.startsWith(u"Die Daten lassen sich nicht sichern."_qs), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QVERIFY2(error.endsWith(u"Die Tabellen selbst sind unverändert."_qs), qPrintable(error));

    // Not a byte of the tables changed, nothing half-made is left, the old backup stays.
    QCOMPARE(dataFiles(data()), before);
    QCOMPARE(backup.list().size(), listedBefore.size());
    QVERIFY(backup.isDue());
    if (how != u"file"_qs)
        QCOMPARE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"2024-04-30"_qs});
}

QTEST_GUILESS_MAIN(TestBackup)
#include "test_backup.moc"
