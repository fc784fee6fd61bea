#include "interconnectioncheck.h"
#include "recordstore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QString kSave = u"Daten wurden geändert. Jetzt speichern?"_qs;
const QString kDelete = u"Datensatz löschen?"_qs;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs one statement on a table file through a connection of its own.
QVariantList sqlColumn(const QString &path, const QString &sql)
{
    QVariantList out;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"probe"_qs);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(sql))
                while (q.next())
                    out << q.value(0);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"probe"_qs);
    return out;
}

} // namespace

class TestRecordStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createsDirectoryAndEmptyTable();
    void savedRecordIsReadBack();
    void leavingAChangedRecord_data();
    void leavingAChangedRecord();
    void unchangedRecordNeedsNoQuestion();
    void recordMarkedChangedAsksAndSavesAsItWas();
    void newRecordCountsAsChanged();
    void insertAnsweredNeinRemovesIt();
    void rowPickedWhileInsertingIsTheOneReached();
    void editOnEmptyTableInserts();
    void deleteAsksFirst();
    void orderSwitchKeepsCurrentRecord();
    void ordersAreCreatedOnlyWhenMissing();
    void restrictToOneRecord();
    void conversionMessages_data();
    void conversionMessages();
    void textsAreCutSilently();
    void rowsAreReadByPosition();
    void rechnenStoresEditsAndWritesResults();
    void rechnenEndsOnRefusal();
    void gerechnetAndUngerechnet();
    void badTableFileIsLeftUntouched_data();
    void badTableFileIsLeftUntouched();
    void postSurvivesAKilledProcess();

private:
    // A store on the test's own data directory, answers scripted.
    std::unique_ptr<RecordStore> openStore();
    // Adds records with the given owner names (confirmation off), in this order.
    void addRecords(RecordStore &s, const QStringList &names);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
    ScriptedPrompter m_prompter;
};

void TestRecordStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_prompter = ScriptedPrompter();
}

void TestRecordStore::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

std::unique_ptr<RecordStore> TestRecordStore::openStore()
{
    auto s = std::make_unique<RecordStore>();
    s->setPrompter(&m_prompter);
    s->open();
    return s;
}

void TestRecordStore::addRecords(RecordStore &s, const QStringList &names)
{
    const bool confirm = s.confirmChanges();
    s.setConfirmChanges(false);
    for (const QString &n : names) {
        QVERIFY(s.insert());
        QVERIFY(s.setFieldValue(u"E_Name"_qs, n));
        QVERIFY(s.post());
    }
    s.setConfirmChanges(confirm);
}

void TestRecordStore::createsDirectoryAndEmptyTable()
{
    RecordStore s;
    QSignalSpy afterOpen(&s, &RecordStore::afterOpen);
    QVERIFY(s.open());
    QCOMPARE(afterOpen.count(), 1);
    QVERIFY(QFileInfo(u"daten/kq.db"_qs).isFile());
    QCOMPARE(s.filePath(), u"daten/kq.db"_qs);
    QVERIFY(s.isEmpty());
    QCOMPARE(s.currentRow(), -1);
    QCOMPARE(s.state(), StoreState::Browse);
    QVERIFY(!QFileInfo::exists(u"daten/kq.db.neu"_qs));
}

void TestRecordStore::savedRecordIsReadBack()
{
    {
        auto s = openStore();
        addRecords(*s, {u"Huber"_qs});
        QVERIFY(s->setFieldText(u"RAV"_qs, u"30,5"_qs));
        QVERIFY(s->setFieldValue(u"Bemerkung"_qs, u"<b>Text</b>"_qs));
        QVERIFY(s->setFieldValue(u"R2tof"_qs, true));
        m_prompter.pushAnswer(PromptButton::Yes);
        QVERIFY(s->post());
        QCOMPARE(s->fieldNumber(u"Lfd"_qs), 1.0);
    }
    auto s = openStore();
    QCOMPARE(s->rowCount(), 1);
    const Record r = s->current();
    QCOMPARE(r.integer(u"Lfd"_qs), 1);
    QCOMPARE(r.text(u"E_Name"_qs), u"Huber"_qs);
    QCOMPARE(r.number(u"RAV"_qs), 30.5);
    QCOMPARE(r.text(u"Bemerkung"_qs), u"<b>Text</b>"_qs);
    QCOMPARE(r.boolean(u"R2tof"_qs), true);
    // Defaults of a new record were stored; fields never set stay empty.
    QCOMPARE(r.displayText(u"R7V"_qs), u"0,0"_qs);
    QVERIFY(r.isNull(u"Modus"_qs));
    QVERIFY(r.isNull(u"Gerechnet"_qs));
}

void TestRecordStore::leavingAChangedRecord_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<QString>("shownName");    // current record's pending name afterwards
    QTest::addColumn<QString>("storedName");   // record 1 as stored
    QTest::addColumn<bool>("stillEditing");
    QTest::addColumn<bool>("asked");

    QTest::newRow("Ja saves and moves") << true << int(PromptButton::Yes) << true << u"B"_qs << u"Neu"_qs << false << true;
    QTest::newRow("Nein restores and stays") << true << int(PromptButton::No) << false << u"A"_qs << u"A"_qs << false << true;
    QTest::newRow("Abbrechen keeps changes pending") << true << int(PromptButton::Cancel) << false << u"Neu"_qs << u"A"_qs
                                                     << true << true;
    QTest::newRow("switch off saves silently") << false << int(PromptButton::None) << true << u"B"_qs << u"Neu"_qs << false
                                               << false;
}

void TestRecordStore::leavingAChangedRecord()
{
    QFETCH(bool, confirm);
    QFETCH(int, answer);
    QFETCH(bool, moved);
    QFETCH(QString, shownName);
    QFETCH(QString, storedName);
    QFETCH(bool, stillEditing);
    QFETCH(bool, asked);

    auto s = openStore();
    addRecords(*s, {u"A"_qs, u"B"_qs});
    QVERIFY(s->first());
    s->setConfirmChanges(confirm);
    m_prompter.clearAsked();
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"Neu"_qs));
    if (answer != int(PromptButton::None))
        m_prompter.pushAnswer(PromptButton(answer));

    QCOMPARE(s->next(), moved);
    QCOMPARE(m_prompter.asked(), asked ? QStringList{kSave} : QStringList{});
    if (asked)
        QCOMPARE(m_prompter.offered().value(0), PromptButton::Yes | PromptButton::No | PromptButton::Cancel);
    QCOMPARE(s->currentRow(), moved ? 1 : 0);
    QCOMPARE(s->current().text(u"E_Name"_qs), shownName);
    QCOMPARE(s->state() == StoreState::Edit, stillEditing);
    QCOMPARE(sqlColumn(u"daten/kq.db"_qs, u"SELECT E_Name FROM kq WHERE Lfd = 1"_qs), QVariantList{storedName});
}

void TestRecordStore::unchangedRecordNeedsNoQuestion()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs, u"B"_qs});
    QVERIFY(s->first());
    m_prompter.clearAsked();
    QVERIFY(s->edit());
    // Writing the value it already has is no change, nor is emptying an empty text.
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"A"_qs));
    QVERIFY(s->setFieldText(u"A_Ort"_qs, QString()));
    QVERIFY(!s->isModified());
    QVERIFY(s->next());
    QVERIFY(m_prompter.asked().isEmpty());
    QCOMPARE(s->currentRow(), 1);
    QCOMPARE(s->state(), StoreState::Browse);
}

void TestRecordStore::recordMarkedChangedAsksAndSavesAsItWas()
{
    // A record whose remarks editor was entered counts as changed: leaving it
    // asks, "&Ja" saves it unchanged, "&Nein" leaves it as it was.
    auto s = openStore();
    addRecords(*s, {u"A"_qs, u"B"_qs});
    for (PromptButton answer : {PromptButton::Yes, PromptButton::No}) {
        QVERIFY(s->first());
        m_prompter.clearAsked();
        s->markModified();   // no effect outside the edit state
        QVERIFY(!s->isModified());
        QVERIFY(s->edit());
        s->markModified();
        QVERIFY(s->isModified());
        m_prompter.pushAnswer(answer);
        QCOMPARE(s->next(), answer == PromptButton::Yes);
        QCOMPARE(m_prompter.asked(), QStringList{u"Daten wurden geändert. Jetzt speichern?"_qs});
        QCOMPARE(s->state(), StoreState::Browse);
        QVERIFY(!s->isModified());
        QVERIFY(s->errorString().isEmpty());
    }
    QVERIFY(s->first());
    QCOMPARE(s->current().text(u"E_Name"_qs), u"A"_qs);
}

void TestRecordStore::newRecordCountsAsChanged()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs});
    QSignalSpy inserted(s.get(), &TableStore::afterInsert);
    QVERIFY(s->insert());
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(s->state(), StoreState::Insert);
    QVERIFY(s->isModified());
    QCOMPARE(s->current().displayText(u"RAN"_qs), u"0,0"_qs);
    QCOMPARE(s->rowCount(), 2);
    m_prompter.clearAsked();
    m_prompter.pushAnswer(PromptButton::Yes);
    QVERIFY(s->first());  // leaving the untouched new record asks
    QCOMPARE(m_prompter.asked(), QStringList{kSave});
    QCOMPARE(s->rowCount(), 2);
    QCOMPARE(sqlColumn(u"daten/kq.db"_qs, u"SELECT count(*) FROM kq"_qs), QVariantList{2});
}

void TestRecordStore::insertAnsweredNeinRemovesIt()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs, u"B"_qs});
    QVERIFY(s->last());
    QVERIFY(s->insert());
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"C"_qs));
    m_prompter.pushAnswer(PromptButton::No);
    QVERIFY(!s->first());
    QCOMPARE(s->rowCount(), 2);
    QCOMPARE(s->state(), StoreState::Browse);
    // Back on the record that was current before the insert.
    QCOMPARE(s->current().text(u"E_Name"_qs), u"B"_qs);
    QCOMPARE(sqlColumn(u"daten/kq.db"_qs, u"SELECT count(*) FROM kq"_qs), QVariantList{2});

    // "Abbrechen" keeps the new record pending.
    QVERIFY(s->insert());
    m_prompter.pushAnswer(PromptButton::Cancel);
    QVERIFY(!s->post());
    QCOMPARE(s->state(), StoreState::Insert);
    QCOMPARE(s->rowCount(), 3);
}

// The new row stands at the position it was inserted at; once saved it moves
// to its place in the order, and the row picked in the overview is still the
// one reached.
void TestRecordStore::rowPickedWhileInsertingIsTheOneReached()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs, u"B"_qs, u"C"_qs});
    QVERIFY(s->goToRow(1));
    QVERIFY(s->insert());
    QCOMPARE(s->keys(), (QVector<int>{1, 0, 2, 3}));
    m_prompter.clearAsked();
    QVERIFY(s->goToRow(1));  // the new row itself: nothing happens
    QVERIFY(m_prompter.asked().isEmpty());
    QCOMPARE(s->state(), StoreState::Insert);

    m_prompter.pushAnswer(PromptButton::Yes);
    QVERIFY(s->goToRow(3));  // "C"
    QCOMPARE(m_prompter.asked(), QStringList{kSave});
    QCOMPARE(s->keys(), (QVector<int>{1, 2, 3, 4}));
    QCOMPARE(s->current().text(u"E_Name"_qs), u"C"_qs);
    QCOMPARE(s->currentRow(), 2);
}

void TestRecordStore::editOnEmptyTableInserts()
{
    auto s = openStore();
    QVERIFY(s->edit());
    QCOMPARE(s->state(), StoreState::Insert);
    QCOMPARE(s->rowCount(), 1);
    s->cancel();
    QVERIFY(s->isEmpty());
    QCOMPARE(s->currentRow(), -1);
}

void TestRecordStore::deleteAsksFirst()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs, u"B"_qs, u"C"_qs});
    QVERIFY(s->goToRow(1));
    m_prompter.clearAsked();
    m_prompter.pushAnswer(PromptButton::Cancel);
    QVERIFY(!s->deleteCurrent());
    QCOMPARE(s->rowCount(), 3);
    m_prompter.pushAnswer(PromptButton::Ok);
    QVERIFY(s->deleteCurrent());
    QCOMPARE(m_prompter.asked(), (QStringList{kDelete, kDelete}));
    QCOMPARE(m_prompter.offered().value(0), PromptButton::Ok | PromptButton::Cancel);
    QCOMPARE(s->rowCount(), 2);
    QCOMPARE(s->current().text(u"E_Name"_qs), u"C"_qs);
    QCOMPARE(sqlColumn(u"daten/kq.db"_qs, u"SELECT E_Name FROM kq ORDER BY Lfd"_qs), (QVariantList{u"A"_qs, u"C"_qs}));
}

void TestRecordStore::orderSwitchKeepsCurrentRecord()
{
    auto s = openStore();
    s->setConfirmChanges(false);
    // Lfd 1..4: owner names out of order, sites sorted differently.
    const QList<QStringList> rows = {{u"Zander"_qs, u"80000"_qs}, {u"Adam"_qs, u"90000"_qs},
                                     {u"meier"_qs, u"10000"_qs}, {u"Meier"_qs, u"10000"_qs}};
    for (const QStringList &r : rows) {
        QVERIFY(s->insert());
        s->setFieldValue(u"E_Name"_qs, r[0]);
        s->setFieldValue(u"A_Plz"_qs, r[1]);
        QVERIFY(s->post());
    }
    auto names = [&] {
        QStringList l;
        for (int i = 0; i < s->rowCount(); ++i)
            l << s->rowAt(i).text(u"E_Name"_qs);
        return l;
    };
    QVERIFY(s->goToKey(2));  // Adam
    QVERIFY(s->setOrder(RecordStore::nameIndex));
    // Case-sensitive: upper case sorts before lower case.
    QCOMPARE(names(), (QStringList{u"Adam"_qs, u"Meier"_qs, u"Zander"_qs, u"meier"_qs}));
    QCOMPARE(s->currentKey(), 2);
    QCOMPARE(s->currentRow(), 0);

    QVERIFY(s->setOrder(u"ORTINDEX"_qs));
    QCOMPARE(names(), (QStringList{u"Meier"_qs, u"meier"_qs, u"Zander"_qs, u"Adam"_qs}));
    QCOMPARE(s->currentKey(), 2);
    QCOMPARE(s->currentRow(), 3);

    QVERIFY(s->setOrder(QString()));
    QCOMPARE(names(), (QStringList{u"Zander"_qs, u"Adam"_qs, u"meier"_qs, u"Meier"_qs}));
    QCOMPARE(s->currentKey(), 2);

    // A post that moves the record in the order keeps it current.
    QVERIFY(s->setOrder(RecordStore::nameIndex));
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"Zz"_qs));
    QVERIFY(s->post());
    QCOMPARE(s->currentKey(), 2);
    QCOMPARE(s->currentRow(), 2);  // Meier, Zander, Zz, meier

    QVERIFY(!s->setOrder(u"gibtsnicht"_qs));
    QCOMPARE(s->order(), RecordStore::nameIndex);
}

void TestRecordStore::ordersAreCreatedOnlyWhenMissing()
{
    // A table whose "ortindex" exists under another definition keeps it; the
    // missing "nameindex" is created with the given fields.
    openStore().reset();
    const QString file = u"daten/kq.db"_qs;
    sqlColumn(file, u"DROP INDEX nameindex"_qs);
    sqlColumn(file, u"DROP INDEX ortindex"_qs);
    sqlColumn(file, u"CREATE INDEX OrtIndex ON kq (A_Ort)"_qs);
    auto s = openStore();
    QVERIFY(s->isOpen());
    const QVariantList sql = sqlColumn(file, u"SELECT sql FROM sqlite_master WHERE type = 'index' ORDER BY name"_qs);
    QCOMPARE(sql.size(), 2);
    QCOMPARE(sql[0].toString(), u"CREATE INDEX OrtIndex ON kq (A_Ort)"_qs);
    QCOMPARE(sql[1].toString(), u"CREATE INDEX \"nameindex\" ON \"kq\" (\"e_name\", \"e_ort\", \"e_strasse\")"_qs);
}

void TestRecordStore::restrictToOneRecord()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs, u"B"_qs, u"C"_qs});
    QVERIFY(s->goToKey(3));
    QVERIFY(s->restrictToKey(2));
    QVERIFY(s->isRestricted());
    QCOMPARE(s->rowCount(), 1);
    QCOMPARE(s->current().text(u"E_Name"_qs), u"B"_qs);
    QVERIFY(s->liftRestriction());
    QCOMPARE(s->rowCount(), 3);
    QCOMPARE(s->currentKey(), 2);
    // A key that does not exist leaves an empty view.
    QVERIFY(s->restrictToKey(99));
    QVERIFY(s->isEmpty());
    QVERIFY(s->liftRestriction());
    QCOMPARE(s->rowCount(), 3);

    // A record inserted while the view shows one record is saved as a record
    // of its own; the restricted record it leaves the view to is shown with
    // its own values, and a later edit goes to that record only.
    QVERIFY(s->restrictToKey(2));
    s->setConfirmChanges(false);
    QVERIFY(s->insert());
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"D"_qs));
    QVERIFY(s->post());
    QCOMPARE(s->rowCount(), 1);
    QCOMPARE(s->currentKey(), 2);
    QCOMPARE(s->current().text(u"E_Name"_qs), u"B"_qs);
    QCOMPARE(s->current().integer(u"Lfd"_qs), 2);
    QVERIFY(s->setFieldValue(u"A_Ort"_qs, u"Ulm"_qs));
    QVERIFY(s->post());
    QCOMPARE(sqlColumn(u"daten/kq.db"_qs, u"SELECT E_Name || '|' || ifnull(A_Ort, '') FROM kq ORDER BY Lfd"_qs),
             (QVariantList{u"A|"_qs, u"B|Ulm"_qs, u"C|"_qs, u"D|"_qs}));
}

void TestRecordStore::conversionMessages_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("float") << u"RAV"_qs << u"12a"_qs << u"'12a' ist kein gültiger Fließkommawert für Feld 'RAV'"_qs;
    QTest::newRow("float with full stop") << u"Okqs1"_qs << u"1.5"_qs
                                          << u"'1.5' ist kein gültiger Fließkommawert für Feld 'Okqs1'"_qs;
    QTest::newRow("smallint") << u"r1oeff"_qs << u"2,5"_qs << u"'2,5' ist kein gültiger Integerwert für Feld 'R1oeff'"_qs;
    QTest::newRow("smallint too large") << u"Okllu45"_qs << u"40000"_qs
                                        << u"40000 ist kein gültiger Wert für das Feld 'Okllu45'. Der zulässige Bereich ist  -32768 bis 32767"_qs;
    QTest::newRow("smallint too small") << u"Modus"_qs << u"-32769"_qs
                                        << u"-32769 ist kein gültiger Wert für das Feld 'Modus'. Der zulässige Bereich ist  -32768 bis 32767"_qs;
    QTest::newRow("beyond 32 bits") << u"Modus"_qs << u"99999999999"_qs
                                    << u"'99999999999' ist kein gültiger Integerwert für Feld 'Modus'"_qs;
}

void TestRecordStore::conversionMessages()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    auto s = openStore();
    addRecords(*s, {u"A"_qs});
    QVERIFY(s->setFieldText(field, u"1"_qs));
    m_prompter.clearAsked();
    QVERIFY(!s->setFieldText(field, typed));
    QCOMPARE(m_prompter.asked(), QStringList{message});
    QCOMPARE(s->current().number(field), 1.0);  // keeps its value
    QCOMPARE(s->state(), StoreState::Edit);
    // An empty input empties the field.
    QVERIFY(s->setFieldText(field, u" "_qs));
    QVERIFY(s->current().isNull(field));
}

void TestRecordStore::textsAreCutSilently()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs});
    m_prompter.clearAsked();
    QVERIFY(s->setFieldText(u"E_Name"_qs, QString(35, u'x')));
    QVERIFY(s->setFieldText(u"R3art"_qs, u"Gas-Brennwertkessel"_qs));
    s->setConfirmChanges(false);
    QVERIFY(s->post());
    QVERIFY(m_prompter.asked().isEmpty());
    QCOMPARE(sqlColumn(u"daten/kq.db"_qs, u"SELECT E_Name || '|' || R3art FROM kq"_qs),
             QVariantList{QString(30, u'x') + u"|Gas-Brennwertke"_qs});
}

void TestRecordStore::rowsAreReadByPosition()
{
    openStore().reset();
    sqlColumn(u"daten/kq.db"_qs, u"WITH RECURSIVE c(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM c WHERE i < 449) "
                                 "INSERT INTO kq (E_Name) SELECT printf('N%03d', i) FROM c"_qs);
    auto s = openStore();
    QCOMPARE(s->rowCount(), 450);
    QVERIFY(s->goToRow(10));
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"pending"_qs));
    // Windows across the cache limits; the current row shows its pending values.
    const QVector<Record> window = s->rows(5, 10);
    QCOMPARE(window.size(), 10);
    QCOMPARE(window[0].text(u"E_Name"_qs), u"N005"_qs);
    QCOMPARE(window[5].text(u"E_Name"_qs), u"pending"_qs);
    QCOMPARE(s->rowAt(449).text(u"E_Name"_qs), u"N449"_qs);
    QCOMPARE(s->rowAt(200).integer(u"Lfd"_qs), 201);
    QCOMPARE(s->rows(440, 50).size(), 10);
    QVERIFY(s->rowAt(450).isNull(u"Lfd"_qs));
}

void TestRecordStore::rechnenStoresEditsAndWritesResults()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs});
    QVERIFY(s->setFieldText(u"RAV"_qs, u"30"_qs));
    QVERIFY(s->setFieldText(u"RAN"_qs, u"10"_qs));
    QVERIFY(s->setFieldValue(u"RATOF"_qs, true));
    m_prompter.clearAsked();
    m_prompter.pushAnswer(PromptButton::Yes);
    const std::optional<MessageList> messages = s->rechnen();
    QVERIFY(messages.has_value());
    QVERIFY(!messages->lines().isEmpty());
    QCOMPARE(m_prompter.asked(), QStringList{kSave});
    // The inputs were stored before the check ran ...
    QCOMPARE(sqlColumn(u"daten/kq.db"_qs, u"SELECT RAV FROM kq"_qs), QVariantList{30.0});
    // ... and the results are pending in the edit state, as the check computed them.
    const InterconnectionResult expected = runInterconnectionCheck(s->current());
    QCOMPARE(s->state(), StoreState::Edit);
    QVERIFY(s->current().boolean(u"Gerechnet"_qs));
    for (const QString &f : interconnectionResultFields())
        QCOMPARE(s->current().value(f), expected.record.value(f));
    QCOMPARE(messages->lines(), expected.messages.lines());
    QVERIFY(sqlColumn(u"daten/kq.db"_qs, u"SELECT Gerechnet FROM kq"_qs).value(0).isNull());
}

void TestRecordStore::rechnenEndsOnRefusal()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs});
    QVERIFY(s->setFieldText(u"RAV"_qs, u"30"_qs));
    m_prompter.pushAnswer(PromptButton::Cancel);
    QVERIFY(!s->rechnen().has_value());
    QVERIFY(s->current().isNull(u"Gerechnet"_qs));
    QCOMPARE(s->current().number(u"RAV"_qs), 30.0);  // still pending
    m_prompter.pushAnswer(PromptButton::No);
    QVERIFY(!s->rechnen().has_value());
    QCOMPARE(s->state(), StoreState::Browse);
    QCOMPARE(s->current().number(u"RAV"_qs), 0.0);  // dropped
}

void TestRecordStore::gerechnetAndUngerechnet()
{
    auto s = openStore();
    addRecords(*s, {u"A"_qs});
    QSignalSpy changed(s.get(), &TableStore::fieldChanged);
    QVERIFY(s->gerechnet());
    QCOMPARE(s->state(), StoreState::Edit);
    QVERIFY(s->current().boolean(u"Gerechnet"_qs));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), u"Gerechnet"_qs);
    s->setConfirmChanges(false);
    QVERIFY(s->post());
    QVERIFY(s->ungerechnet());
    QCOMPARE(s->state(), StoreState::Edit);
    QVERIFY(!s->current().boolean(u"Gerechnet"_qs));
    QVERIFY(s->isModified());
}

void TestRecordStore::badTableFileIsLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    const QString notOurs =
        u"Die Datei \"daten/kq.db\" ist keine Tabelle dieses Programms. Sie wird nicht geöffnet und bleibt unverändert."_qs;
    const QString damaged =
        u"Die Datei \"daten/kq.db\" ist unvollständig oder beschädigt. Sie wird nicht geöffnet und bleibt unverändert."_qs;

    // A table of ours with a few records, to be cut short.
    QByteArray ours;
    {
        QTemporaryDir d;
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(d.path());
        {
            RecordStore s;
            s.open();
            s.setConfirmChanges(false);
            for (int i = 0; i < 50; ++i) {
                s.insert();
                s.setFieldValue(u"Bemerkung"_qs, QString(400, u'x'));
                s.post();
            }
        }
        ours = fileBytes(u"daten/kq.db"_qs);
        QDir::setCurrent(cwd);
    }
    QVERIFY(ours.size() > 8192);

    // Another program's SQLite file, which even has a table "kq".
    QByteArray foreign;
    {
        QTemporaryDir d;
        sqlColumn(d.filePath(u"x.db"_qs), u"CREATE TABLE kq (Lfd INTEGER, A_Name TEXT)"_qs);
        foreign = fileBytes(d.filePath(u"x.db"_qs));
    }
    QVERIFY(foreign.startsWith("SQLite format 3"));

    QTest::newRow("text file") << QByteArray("Lfd;A_Name\r\n1;Meier\r\n") << notOurs;
    QTest::newRow("other program's database") << foreign << notOurs;
    QTest::newRow("truncated") << ours.left(ours.size() / 2) << damaged;
    QTest::newRow("cut inside a page") << ours.left(ours.size() - 100) << damaged;
    QTest::newRow("header only") << ours.left(60) << damaged;
    QTest::newRow("empty file") << QByteArray() << damaged;
}

void TestRecordStore::badTableFileIsLeftUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QDir().mkpath(u"daten"_qs);
    {
        QFile f(u"daten/kq.db"_qs);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    auto s = openStore();
    QVERIFY(!s->isOpen());
    QCOMPARE(m_prompter.asked(), QStringList{message});
    QCOMPARE(s->errorString(), message);
    QVERIFY(!s->insert());
    s.reset();
    QCOMPARE(fileBytes(u"daten/kq.db"_qs), content);
    QCOMPARE(QDir(u"daten"_qs).entryList(QDir::Files), QStringList{u"kq.db"_qs});
}

void TestRecordStore::postSurvivesAKilledProcess()
{
    QProcess child;
    child.setWorkingDirectory(m_dir->path());
    child.start(QStringLiteral(POST_HELPER), {u"Schornstein"_qs});
    QVERIFY(child.waitForStarted());
    // The helper prints its line only after post() has returned, then waits.
    QVERIFY(child.waitForReadyRead(30000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("gespeichert"));
    child.kill();  // SIGKILL: no destructor, no close
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    auto s = openStore();
    QVERIFY(s->isOpen());
    QCOMPARE(s->rowCount(), 1);
    QCOMPARE(s->current().text(u"A_Name"_qs), u"Schornstein"_qs);
    QCOMPARE(s->current().number(u"RAV"_qs), 42.5);
}

QTEST_GUILESS_MAIN(TestRecordStore)
#include "test_recordstore.moc"
