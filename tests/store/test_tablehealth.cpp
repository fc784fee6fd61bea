// Tables whose file fails SQLite's quick check at open: damaged orders are
// built anew after a copy of the file is kept beside it; damaged rows leave
// the file as it was, to be viewed read-only or not at all.
#include "recordstore.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {

const QString kTable = u"daten/kq.db"_qs;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The first rows of a statement on the file, through a connection of its own.
QStringList query(const QString &path, const QString &sql)
{
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"health-test"_qs);
        db.setDatabaseName(path);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_qs);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql))
                while (q.next())
                    rows << q.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"health-test"_qs);
    return rows;
}

// Overwrites the cell pointers of the first page of an index or table, so
// that SQLite's check finds it damaged.
void damageRootPage(const QString &path, const QString &name)
{
    const QStringList root = query(path, u"SELECT rootpage FROM sqlite_master WHERE name = '%1'"_qs.arg(name));
    QCOMPARE(root.size(), 1);
    const QByteArray header = fileBytes(path).left(100);
    const qint64 pageSize = qFromBigEndian<quint16>(header.constData() + 16);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek((root.first().toLongLong() - 1) * pageSize + 12));
    f.write(QByteArray(200, '\xff'));
}

} // namespace

class TestTableHealth : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void damagedOrderIsBuiltAnewAfterACopyIsKept();
    void damagedRowsLeaveTheFileAsItWas_data();
    void damagedRowsLeaveTheFileAsItWas();

private:
    // daten/kq.db with 300 records, owners named in reverse order of their keys.
    void seed();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
};

void TestTableHealth::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    seed();
}

void TestTableHealth::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TestTableHealth::seed()
{
    {
        RecordStore store;
        QVERIFY(store.open());   // the table with its orders
    }
    // The records in one transaction: several pages of rows and of each order.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"health-seed"_qs);
        db.setDatabaseName(kTable);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(u"BEGIN"_qs));
        QVERIFY(q.prepare(u"INSERT INTO kq (E_Name, A_Ort) VALUES (?, ?)"_qs));
        for (int i = 1; i <= 300; ++i) {
            q.addBindValue(u"Eigentümer %1"_qs.arg(1000 - i));
            q.addBindValue(u"Ort %1 mit einem längeren Namen"_qs.arg(i % 17));
            QVERIFY(q.exec());
        }
        QVERIFY(q.exec(u"COMMIT"_qs));
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"health-seed"_qs);
    QCOMPARE(query(kTable, u"PRAGMA quick_check"_qs), QStringList{u"ok"_qs});
}

void TestTableHealth::damagedOrderIsBuiltAnewAfterACopyIsKept()
{
    damageRootPage(kTable, u"nameindex"_qs);
    QVERIFY(query(kTable, u"PRAGMA quick_check"_qs) != QStringList{u"ok"_qs});
    const QByteArray damaged = fileBytes(kTable);

    ScriptedPrompter prompter;
    RecordStore store;
    store.setPrompter(&prompter);
    QVERIFY2(store.open(), qPrintable(store.errorString()));
    const QString copy = u"kq.db.beschaedigt-"_qs + QDate::currentDate().toString(u"yyyy-MM-dd"_qs);
    QCOMPARE(prompter.asked(),
             QStringList{u"Die Sortierungen der Tabelle \"daten/kq.db\" waren beschädigt und wurden aus den Datensätzen neu "
                         "aufgebaut; die Datensätze selbst sind unversehrt. Die Datei, wie sie vorher war, liegt als \"%1\" "
                         "daneben."_qs.arg(copy)});
    QCOMPARE(fileBytes(u"daten/"_qs + copy), damaged);
    QCOMPARE(QDir(u"daten"_qs).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{u"kq.db"_qs, copy}));

    // Every record is there, and the order by owner works again.
    QVERIFY(!store.isReadOnly());
    QCOMPARE(store.rowCount(), 300);
    QVERIFY(store.setOrder(RecordStore::nameIndex));
    QVERIFY(store.first());
    QCOMPARE(store.current().text(u"E_Name"_qs), u"Eigentümer 700"_qs);
    QVERIFY(store.last());
    QCOMPARE(store.current().text(u"E_Name"_qs), u"Eigentümer 999"_qs);
    store.close();
    QCOMPARE(query(kTable, u"PRAGMA integrity_check"_qs), QStringList{u"ok"_qs});
    QCOMPARE(query(kTable, u"SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name"_qs),
             (QStringList{u"nameindex"_qs, u"ortindex"_qs}));

    // The next start finds nothing to mend.
    prompter.clearAsked();
    QVERIFY(store.open());
    QCOMPARE(prompter.asked(), QStringList());
}

void TestTableHealth::damagedRowsLeaveTheFileAsItWas_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("view");
    QTest::addColumn<bool>("opens");
    // The file's list of free pages is wrong: every row can still be read.
    QTest::newRow("Freiliste, nur zum Lesen") << u"freelist"_qs << true << true;
    // The first page of the rows is broken: nothing can be read.
    QTest::newRow("Datensätze, nur zum Lesen") << u"rows"_qs << true << false;
    QTest::newRow("Datensätze, nicht öffnen") << u"rows"_qs << false << false;
}

void TestTableHealth::damagedRowsLeaveTheFileAsItWas()
{
    QFETCH(QString, damage);
    QFETCH(bool, view);
    QFETCH(bool, opens);
    if (damage == u"freelist"_qs) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"health-delete"_qs);
            db.setDatabaseName(kTable);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(u"DELETE FROM kq WHERE Lfd <= 100"_qs));
            db.close();
        }
        QSqlDatabase::removeDatabase(u"health-delete"_qs);
        QVERIFY(query(kTable, u"PRAGMA freelist_count"_qs).value(0).toInt() > 0);
        QFile f(kTable);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(36));
        const quint32 count = qFromBigEndian<quint32>(f.read(4).constData());
        char be[4];
        qToBigEndian(count + 3, be);
        QVERIFY(f.seek(36));
        f.write(be, 4);
    } else {
        damageRootPage(kTable, u"kq"_qs);
    }
    const QByteArray before = fileBytes(kTable);

    ScriptedPrompter prompter;
    prompter.pushAnswer(view ? PromptButton::Yes : PromptButton::No);
    RecordStore store;
    store.setPrompter(&prompter);
    QCOMPARE(store.open(), opens);
    const QString problem = u"Die Tabelle \"daten/kq.db\" ist beschädigt: die Prüfung der Datenbank findet Fehler in den "
                            "Datensätzen selbst. Die Datei bleibt unverändert; an ihr wird nichts repariert. Bitte spielen "
                            "Sie eine Sicherung ein oder lassen Sie die Datei prüfen."_qs;
    QVERIFY(!prompter.asked().isEmpty());
    QCOMPARE(prompter.asked().first(), problem + u"\n\nSoll die Tabelle nur zum Lesen geöffnet werden? Die Daten lassen sich "
                                                 "dann ansehen und drucken, aber keine Änderung wird gespeichert."_qs);
    QCOMPARE(prompter.offered().first(), PromptButton::Yes | PromptButton::No);
    if (opens) {
        // The rows are shown; nothing is written.
        QVERIFY(store.isReadOnly());
        QCOMPARE(store.rowCount(), 200);
        store.setConfirmChanges(false);
        QVERIFY(store.setFieldValue(u"E_Name"_qs, u"Neu"_qs));
        QVERIFY(!store.post());
        QCOMPARE(prompter.asked().last(), u"Der Datensatz kann nicht in der Datei \"daten/kq.db\" gespeichert werden: "
                                          "Die Tabelle ist schreibgeschützt."_qs);
        store.close();
    } else if (view) {
        QCOMPARE(prompter.asked().mid(1), QStringList{u"Die Datei \"daten/kq.db\" kann nicht gelesen werden: Die Datei ist beschädigt."_qs});
    } else {
        // "Nein" is the user's answer: nothing further is said.
        QCOMPARE(prompter.asked().size(), 1);
        QCOMPARE(store.errorString(), problem + u" Sie wird nicht geöffnet."_qs);
    }
    QCOMPARE(fileBytes(kTable), before);
    QCOMPARE(QDir(u"daten"_qs).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{u"kq.db"_qs});
}

QTEST_GUILESS_MAIN(TestTableHealth)
#include "test_tablehealth.moc"
