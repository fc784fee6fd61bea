// Two desks on one office server: a record edited at one desk at a time,
// every desk seeing the others' saves, inserts and deletes, and a save over a
// change made meanwhile only with the user's answer.
#include "catalogstore.h"
#include "recordstore.h"
#include "servertestenv.h"
#include "textlists.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QRegularExpression kLockedAtWerkstatt(
    u"^Dieser Datensatz wird gerade am Arbeitsplatz „Werkstatt“ bearbeitet \\(seit \\d\\d:\\d\\d\\)\\.$"_qs);

// One desk: its connection, its tables and its answers.
struct Desk {
    std::unique_ptr<ServerConnection> server;
    ScriptedPrompter prompter;
    RecordStore records;
    CatalogStore owners{CatalogStore::Owners};

    bool open(const QString &uri, const QString &name)
    {
        server = servertest::openDesk(uri, name);
        server->setPrompter(&prompter);
        for (TableStore *t : {static_cast<TableStore *>(&records), static_cast<TableStore *>(&owners)}) {
            t->setPrompter(&prompter);
            t->setConfirmChanges(false);
            if (!t->open(server.get()))
                return false;
        }
        return true;
    }
};

// The value of one field of one record as stored on the server.
QVariant storedValue(const QString &uri, int key, const QString &field)
{
    auto c = servertest::openDesk(uri, u"Prüfung"_qs);
    QSqlQuery q(c->database());
    q.prepare(u"SELECT \"%1\" FROM kq WHERE \"Lfd\" = ?"_qs.arg(field));
    q.addBindValue(key);
    return q.exec() && q.next() ? q.value(0) : QVariant();
}

} // namespace

class TestOfficeStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void editedRecordIsLockedForTheOtherDesk_data();
    void editedRecordIsLockedForTheOtherDesk();
    void lockEndsWithTheDesksProcess();
    void savesInsertsAndDeletesAreSeenAtTheOtherDesk();
    void catalogEntryAndDeleteTakeTheSameCare();
    void saveAfterALostLock_data();
    void saveAfterALostLock();
    void textListsAreShared();
    void quickSearchIsTheDesksOwn();

private:
    servertest::TestDatabase m_db;
    std::unique_ptr<QTemporaryDir> m_folder;
    Desk m_a;   // "Werkstatt"
    Desk m_b;   // "Büro"
};

void TestOfficeStore::init()
{
    SKIP_WITHOUT_SERVER();
    QString error;
    QVERIFY2(m_db.create(QString::fromLatin1(QTest::currentTestFunction()).toLower(), &error), qPrintable(error));
    // Three records and one owner in a local data folder, taken to the server.
    m_folder = std::make_unique<QTemporaryDir>();
    const QString dataDir = m_folder->filePath(u"daten"_qs);
    {
        RecordStore local;
        QVERIFY(local.open(dataDir));
        local.setConfirmChanges(false);
        for (const QString &name : {u"Haus Albrecht"_qs, u"Haus Berger"_qs, u"Haus Conrad"_qs}) {
            QVERIFY(local.insert());
            QVERIFY(local.setFieldValue(u"A_Name"_qs, name));
            QVERIFY(local.setFieldValue(u"A_Plz"_qs, u"7900%1"_qs.arg(name.size())));
            QVERIFY(local.post());
        }
        CatalogStore owners(CatalogStore::Owners);
        QVERIFY(owners.open(dataDir));
        owners.setConfirmChanges(false);
        QVERIFY(owners.insert());
        QVERIFY(owners.setFieldValue(u"Name"_qs, u"Maier"_qs));
        QVERIFY(owners.post());
    }
    QVERIFY2(servertest::setUpFrom(m_db.uri(), dataDir, &error), qPrintable(error));
    QVERIFY(m_a.open(m_db.uri(), u"Werkstatt"_qs));
    QVERIFY(m_b.open(m_db.uri(), u"Büro"_qs));
}

void TestOfficeStore::cleanup()
{
    for (Desk *d : {&m_a, &m_b}) {
        d->records.close();
        d->owners.close();
        d->server.reset();
        d->prompter = ScriptedPrompter();
    }
    m_db.drop();
}

void TestOfficeStore::editedRecordIsLockedForTheOtherDesk_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("released by saving") << true;
    QTest::newRow("released by cancelling") << false;
}

void TestOfficeStore::editedRecordIsLockedForTheOtherDesk()
{
    QFETCH(bool, save);
    QVERIFY(m_a.records.goToKey(2));
    QVERIFY(m_a.records.setFieldValue(u"A_Name"_qs, u"Haus Berger-Schmid"_qs));
    QCOMPARE(m_a.records.state(), StoreState::Edit);

    // The other desk can look at it, but its first change is refused and says who edits it.
    QVERIFY(m_b.records.goToKey(2));
    QCOMPARE(m_b.records.current().text(u"A_Name"_qs), u"Haus Berger"_qs);
    QVERIFY(!m_b.records.setFieldText(u"A_Ort"_qs, u"Tübingen"_qs));
    QCOMPARE(m_b.records.state(), StoreState::Browse);
    QCOMPARE(m_b.prompter.asked().size(), 1);
    QVERIFY2(kLockedAtWerkstatt.match(m_b.prompter.asked().first()).hasMatch(), qPrintable(m_b.prompter.asked().first()));
    QCOMPARE(m_b.records.lockNotice(), m_b.prompter.asked().first());
    QVERIFY(!m_b.records.edit());
    QVERIFY(m_b.records.current().text(u"A_Ort"_qs).isEmpty());
    // Another record is free.
    QVERIFY(m_b.records.goToKey(3));
    QVERIFY(m_b.records.lockNotice().isEmpty());
    QVERIFY(m_b.records.edit());
    m_b.records.cancel();
    QVERIFY(m_b.records.goToKey(2));
    QVERIFY(!m_b.records.lockNotice().isEmpty());

    if (save)
        QVERIFY(m_a.records.post());
    else
        m_a.records.cancel();
    QCOMPARE(m_a.records.state(), StoreState::Browse);
    QTRY_VERIFY_WITH_TIMEOUT(m_b.records.lockNotice().isEmpty(), 1000);
    QVERIFY(m_b.records.setFieldText(u"A_Ort"_qs, u"Tübingen"_qs));
    QCOMPARE(m_b.records.current().text(u"A_Name"_qs), save ? u"Haus Berger-Schmid"_qs : u"Haus Berger"_qs);
    QVERIFY(m_b.records.post());
    QCOMPARE(storedValue(m_db.uri(), 2, u"A_Ort"_qs).toString(), u"Tübingen"_qs);
    QCOMPARE(storedValue(m_db.uri(), 2, u"A_Name"_qs).toString(), save ? u"Haus Berger-Schmid"_qs : u"Haus Berger"_qs);
}

void TestOfficeStore::lockEndsWithTheDesksProcess()
{
    QProcess desk;
    desk.start(QStringLiteral(DESK_HELPER), {m_db.uri(), u"1"_qs});
    QVERIFY(desk.waitForStarted());
    QVERIFY(desk.waitForReadyRead(20000));
    QCOMPARE(desk.readLine().trimmed(), QByteArray("gesperrt"));

    QVERIFY(m_b.records.goToKey(1));
    QVERIFY(!m_b.records.edit());
    QVERIFY(m_b.prompter.asked().value(0).contains(u"am Arbeitsplatz „Meisterbüro“ bearbeitet"_qs));

    desk.kill();
    QVERIFY(desk.waitForFinished());
    // The lock went with the desk's connection: the notice goes, the record can be edited.
    QTRY_VERIFY_WITH_TIMEOUT(m_b.records.lockNotice().isEmpty(), 5000);
    QVERIFY(m_b.records.edit());
    QVERIFY(m_b.records.setFieldValue(u"A_Name"_qs, u"Haus Albrecht II"_qs));
    QVERIFY(m_b.records.post());
    QCOMPARE(storedValue(m_db.uri(), 1, u"A_Name"_qs).toString(), u"Haus Albrecht II"_qs);
}

void TestOfficeStore::savesInsertsAndDeletesAreSeenAtTheOtherDesk()
{
    QVERIFY(m_b.records.goToKey(2));
    QSignalSpy shown(&m_b.records, &TableStore::currentReloaded);

    // A save of the record the other desk shows: its values within a second,
    // in the overview too.
    QVERIFY(m_a.records.goToKey(2));
    QVERIFY(m_a.records.setFieldValue(u"A_Name"_qs, u"Haus Berger-Schmid"_qs));
    QVERIFY(m_a.records.post());
    QTRY_COMPARE_WITH_TIMEOUT(m_b.records.current().text(u"A_Name"_qs), u"Haus Berger-Schmid"_qs, 1000);
    QCOMPARE(m_b.records.rowAt(m_b.records.rowOfKey(2)).text(u"A_Name"_qs), u"Haus Berger-Schmid"_qs);
    QVERIFY(!shown.isEmpty());

    // A record being edited here is not touched by another desk's save of another record.
    QVERIFY(m_b.records.setFieldValue(u"A_Ort"_qs, u"Reutlingen"_qs));
    QVERIFY(m_a.records.goToKey(3));
    QVERIFY(m_a.records.setFieldValue(u"A_Name"_qs, u"Haus Conrad-Weiß"_qs));
    QVERIFY(m_a.records.post());
    QTRY_COMPARE_WITH_TIMEOUT(m_b.records.rowAt(m_b.records.rowOfKey(3)).text(u"A_Name"_qs), u"Haus Conrad-Weiß"_qs, 1000);
    QCOMPARE(m_b.records.state(), StoreState::Edit);
    QCOMPARE(m_b.records.current().text(u"A_Ort"_qs), u"Reutlingen"_qs);
    QVERIFY(m_b.records.post());

    // An insert shows as a new row, in the other desk's order too.
    QVERIFY(m_b.records.setOrder(RecordStore::ortIndex));
    QVERIFY(m_a.records.insert());
    QVERIFY(m_a.records.setFieldValue(u"A_Name"_qs, u"Haus Dorn"_qs));
    QVERIFY(m_a.records.setFieldValue(u"A_Plz"_qs, u"10115"_qs));
    QVERIFY(m_a.records.post());
    const int added = m_a.records.currentKey();
    QVERIFY(added > 3);
    QTRY_COMPARE_WITH_TIMEOUT(m_b.records.rowCount(), 4, 1000);
    QCOMPARE(m_b.records.keys().first(), added);   // 10115 sorts first
    QCOMPARE(m_b.records.currentKey(), 2);

    // The narrowing to one record for printing is this desk's own.
    QVERIFY(m_a.records.restrictToKey(3));
    QCOMPARE(m_a.records.rowCount(), 1);
    QCOMPARE(m_b.records.rowCount(), 4);
    QVERIFY(m_b.records.insert());
    QVERIFY(m_b.records.setFieldValue(u"A_Name"_qs, u"Haus Eck"_qs));
    QVERIFY(m_b.records.post());
    QTest::qWait(200);
    QCOMPARE(m_a.records.rowCount(), 1);
    QVERIFY(m_a.records.liftRestriction());
    QCOMPARE(m_a.records.rowCount(), 5);
    QVERIFY(m_b.records.goToKey(2));

    // The record shown at the other desk is deleted: its neighbour is shown.
    QVERIFY(m_a.records.goToKey(2));
    QVERIFY(m_a.records.deleteCurrent());
    QTRY_COMPARE_WITH_TIMEOUT(m_b.records.rowCount(), 4, 1000);
    QVERIFY(m_b.records.rowOfKey(2) < 0);
    QVERIFY(m_b.records.currentKey() != 2 && m_b.records.currentKey() != 0);
    QCOMPARE(m_b.records.current().integer(u"Lfd"_qs), m_b.records.currentKey());
}

void TestOfficeStore::catalogEntryAndDeleteTakeTheSameCare()
{
    // An owner edited at one desk is refused at the other.
    QVERIFY(m_a.owners.setFieldValue(u"Strasse"_qs, u"Lindenweg 3"_qs));
    QVERIFY(!m_b.owners.setFieldValue(u"Tel"_qs, u"07071 1234"_qs));
    QVERIFY(kLockedAtWerkstatt.match(m_b.prompter.asked().value(0)).hasMatch());
    m_b.prompter.clearAsked();
    QVERIFY(m_a.owners.post());
    QTRY_COMPARE_WITH_TIMEOUT(m_b.owners.current().text(u"Strasse"_qs), u"Lindenweg 3"_qs, 1000);

    // A record edited at one desk cannot be deleted at the other.
    QVERIFY(m_a.records.goToKey(3));
    QVERIFY(m_a.records.edit());
    QVERIFY(m_b.records.goToKey(3));
    QVERIFY(!m_b.records.deleteCurrent());
    QCOMPARE(m_b.prompter.asked().size(), 2);   // "Datensatz löschen?", then who edits it
    QVERIFY(kLockedAtWerkstatt.match(m_b.prompter.asked().at(1)).hasMatch());
    QCOMPARE(m_b.records.rowCount(), 3);
    m_a.records.cancel();

    // Two desks inserting at the same time get keys of their own.
    QVERIFY(m_a.records.insert());
    QVERIFY(m_b.records.insert());
    QVERIFY(m_a.records.setFieldValue(u"A_Name"_qs, u"Neu A"_qs));
    QVERIFY(m_b.records.setFieldValue(u"A_Name"_qs, u"Neu B"_qs));
    QVERIFY(m_a.records.post());
    QVERIFY(m_b.records.post());
    QVERIFY(m_a.records.currentKey() != m_b.records.currentKey());
    QTRY_COMPARE_WITH_TIMEOUT(m_a.records.rowCount(), 5, 1000);
    QTRY_COMPARE_WITH_TIMEOUT(m_b.records.rowCount(), 5, 1000);
    QCOMPARE(storedValue(m_db.uri(), m_a.records.currentKey(), u"A_Name"_qs).toString(), u"Neu A"_qs);
    QCOMPARE(storedValue(m_db.uri(), m_b.records.currentKey(), u"A_Name"_qs).toString(), u"Neu B"_qs);
}

void TestOfficeStore::saveAfterALostLock_data()
{
    QTest::addColumn<PromptButton>("answer");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<StoreState>("state");
    QTest::newRow("Ja: own values overwrite") << PromptButton::Yes << u"Werkstatt-Wert"_qs << u"Werkstatt-Wert"_qs
                                              << StoreState::Browse;
    QTest::newRow("Nein: the newer values are taken") << PromptButton::No << u"Büro-Wert"_qs << u"Büro-Wert"_qs
                                                      << StoreState::Browse;
    QTest::newRow("Abbrechen: own values stay pending") << PromptButton::Cancel << u"Büro-Wert"_qs
                                                        << u"Werkstatt-Wert"_qs << StoreState::Edit;
}

void TestOfficeStore::saveAfterALostLock()
{
    QFETCH(PromptButton, answer);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(StoreState, state);

    QVERIFY(m_a.records.goToKey(1));
    QVERIFY(m_a.records.setFieldValue(u"A_Name"_qs, u"Werkstatt-Wert"_qs));
    QVERIFY(m_a.records.setFieldValue(u"A_Ort"_qs, u"Rottenburg"_qs));

    // The desk's connection is cut: its lock is gone and the other desk saves the record.
    QString error;
    QVERIFY2(servertest::adminExec(m_db.base, {u"SELECT pg_terminate_backend(%1)"_qs.arg(m_a.server->backendPid())}, &error),
             qPrintable(error));
    const auto backendGone = [this, pid = m_a.server->backendPid()] {
        QSqlQuery q(m_b.server->database());
        q.prepare(u"SELECT count(*) FROM pg_stat_activity WHERE pid = ?"_qs);
        q.addBindValue(pid);
        return q.exec() && q.next() && q.value(0).toInt() == 0;
    };
    QTRY_VERIFY_WITH_TIMEOUT(backendGone(), 5000);
    QVERIFY(m_b.records.goToKey(1));
    QTRY_VERIFY_WITH_TIMEOUT(m_b.records.lockNotice().isEmpty(), 5000);
    QVERIFY(m_b.records.setFieldValue(u"A_Name"_qs, u"Büro-Wert"_qs));
    QVERIFY(m_b.records.post());

    // The first desk notices, says so once, and is connected again in the background.
    QTRY_VERIFY_WITH_TIMEOUT(m_a.server->isLost(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_a.server->isConnected(), 10000);
    QCOMPARE(m_a.prompter.asked().size(), 1);
    QVERIFY(m_a.prompter.asked().first().contains(u"Verbindung zum Datenbankserver"_qs));
    QCOMPARE(m_a.records.state(), StoreState::Edit);
    QCOMPARE(m_a.records.current().text(u"A_Name"_qs), u"Werkstatt-Wert"_qs);

    // Its save finds the newer version and asks.
    m_a.prompter.clearAsked();
    m_a.prompter.pushAnswer(answer);
    QCOMPARE(m_a.records.post(), answer == PromptButton::Yes);
    QCOMPARE(m_a.prompter.asked().size(), 1);
    QVERIFY(m_a.prompter.asked().first().startsWith(
        u"Der Datensatz wurde inzwischen an einem anderen Arbeitsplatz geändert und gespeichert."_qs));
    QCOMPARE(m_a.prompter.offered().first(), PromptButton::Yes | PromptButton::No | PromptButton::Cancel);
    QCOMPARE(storedValue(m_db.uri(), 1, u"A_Name"_qs).toString(), stored);
    QCOMPARE(m_a.records.current().text(u"A_Name"_qs), shown);
    QCOMPARE(m_a.records.state(), state);
    // "Ja" writes the whole record as this desk has it.
    if (answer == PromptButton::Yes)
        QCOMPARE(storedValue(m_db.uri(), 1, u"A_Ort"_qs).toString(), u"Rottenburg"_qs);
    else
        QVERIFY(storedValue(m_db.uri(), 1, u"A_Ort"_qs).isNull());
}

void TestOfficeStore::textListsAreShared()
{
    TextLists a, b;
    a.setServer(m_a.server.get());
    b.setServer(m_b.server.get());
    // The folder had no list files: the server has none either, the built-in names stay.
    QVERIFY(!b.load(TextLists::RoomNames));
    QCOMPARE(b.choices(TextLists::RoomNames), TextLists::builtinRoomNames());

    QVERIFY(a.beginEdit(TextLists::RoomNames, &m_a.prompter));
    QVERIFY(!b.beginEdit(TextLists::RoomNames, &m_b.prompter));
    QVERIFY(m_b.prompter.asked().value(0).startsWith(u"Diese Liste wird gerade am Arbeitsplatz „Werkstatt“ bearbeitet"_qs));
    QVERIFY(b.beginEdit(TextLists::ApplianceTypes, &m_b.prompter));
    b.endEdit(TextLists::ApplianceTypes);

    const QStringList rooms{u"Küche"_qs, QString(), u"Heizraum"_qs};
    QVERIFY(a.save(TextLists::RoomNames, rooms, &m_a.prompter));
    a.endEdit(TextLists::RoomNames);
    QVERIFY(b.load(TextLists::RoomNames));
    QCOMPARE(b.choices(TextLists::RoomNames), rooms);
    QVERIFY(b.beginEdit(TextLists::RoomNames, &m_b.prompter));
    QVERIFY(b.save(TextLists::RoomNames, {}, &m_b.prompter));
    b.endEdit(TextLists::RoomNames);
    QVERIFY(a.load(TextLists::RoomNames));
    QVERIFY(a.choices(TextLists::RoomNames).isEmpty());
}

void TestOfficeStore::quickSearchIsTheDesksOwn()
{
    QVERIFY(m_a.records.setSearch(u"berger"_qs));
    QCOMPARE(m_a.records.keys(), QVector<int>{2});
    QCOMPARE(m_b.records.rowCount(), 3);

    // The other desk's saves are searched with their new values: a new row
    // that matches comes up, a changed one that now matches too, and one that
    // does not match stays out.
    QVERIFY(m_b.records.insert());
    QVERIFY(m_b.records.setFieldValue(u"A_Name"_qs, u"Bergerhof"_qs));
    QVERIFY(m_b.records.post());
    const int added = m_b.records.currentKey();
    QTRY_COMPARE_WITH_TIMEOUT(m_a.records.rowCount(), 2, 1000);
    QVERIFY(m_a.records.rowOfKey(added) >= 0);
    QVERIFY(m_b.records.goToKey(1));
    QVERIFY(m_b.records.setFieldValue(u"E_Name"_qs, u"Müller-Berger"_qs));
    QVERIFY(m_b.records.post());
    QTRY_COMPARE_WITH_TIMEOUT(m_a.records.rowCount(), 3, 1000);
    QVERIFY(m_b.records.insert());
    QVERIFY(m_b.records.setFieldValue(u"A_Name"_qs, u"Haus Eck"_qs));
    QVERIFY(m_b.records.post());
    QTRY_COMPARE_WITH_TIMEOUT(m_a.records.totalRowCount(), 5, 1000);
    QCOMPARE(m_a.records.rowCount(), 3);
    QCOMPARE(m_b.records.rowCount(), 5);

    // Cleared, the whole table is shown again.
    QVERIFY(m_a.records.setSearch(QString()));
    QCOMPARE(m_a.records.rowCount(), 5);
}

QTEST_GUILESS_MAIN(TestOfficeStore)
#include "test_officestore.moc"
