// Saves that cannot be written: a read-only table or directory, a full disk.
// Root writes files whatever their permission bits say, so the read-only
// medium and the full disk are simulated with SQLite's own pragmas on the
// table's connection (query_only, max_page_count); the permission cases run
// for other accounts only.
#include "recordstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <unistd.h>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestStoreFailures : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readOnlyTableIsViewedNotSaved_data();
    void readOnlyTableIsViewedNotSaved();
    void fullDiskIsReportedAndTheChangeStaysPending();

private:
    // daten/kq.db with one stored record.
    void seedOneRecord();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
};

void TestStoreFailures::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void TestStoreFailures::cleanup()
{
    TableStore::setTestPragmas({});
    QFile::setPermissions(u"daten"_qs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TestStoreFailures::seedOneRecord()
{
    RecordStore store;
    store.setConfirmChanges(false);
    QVERIFY(store.open());
    QVERIFY(!store.isReadOnly());
    QVERIFY(store.insert());
    QVERIFY(store.setFieldValue(u"E_Name"_qs, u"Müller"_qs));
    QVERIFY(store.post());
}

void TestStoreFailures::readOnlyTableIsViewedNotSaved_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("notice");
    QTest::newRow("read-only medium") << u"medium"_qs
                                      << u"Die Tabelle \"daten/kq.db\" ist schreibgeschützt. Sie können die Daten "
                                         "ansehen, aber Änderungen lassen sich nicht speichern."_qs;
    QTest::newRow("file without write permission")
        << u"file"_qs
        << u"Die Tabelle \"daten/kq.db\" ist schreibgeschützt. Sie können die Daten ansehen, aber Änderungen "
           "lassen sich nicht speichern."_qs;
    QTest::newRow("directory without write permission")
        << u"directory"_qs
        << u"Das Datenverzeichnis \"daten\" ist schreibgeschützt. Sie können die Daten ansehen, aber Änderungen "
           "lassen sich nicht speichern."_qs;
}

void TestStoreFailures::readOnlyTableIsViewedNotSaved()
{
    QFETCH(QString, how);
    QFETCH(QString, notice);
    seedOneRecord();
    if (how == u"medium"_qs) {
        TableStore::setTestPragmas(u"PRAGMA query_only = 1"_qs);
    } else {
        if (geteuid() == 0)
            QSKIP("root writes files and directories without write permission; the read-only medium row covers the store");
        if (how == u"file"_qs)
            QVERIFY(QFile::setPermissions(u"daten/kq.db"_qs, QFile::ReadOwner));
        else
            QVERIFY(QFile::setPermissions(u"daten"_qs, QFile::ReadOwner | QFile::ExeOwner));
    }
    const QByteArray before = fileBytes(u"daten/kq.db"_qs);

    ScriptedPrompter prompter;
    RecordStore store;
    store.setPrompter(&prompter);
    QVERIFY(store.open());
    QVERIFY(store.isReadOnly());
    QCOMPARE(TableStore::readOnlyNotice(u"daten"_qs, {&store}), notice);
    QCOMPARE(store.current().text(u"E_Name"_qs), u"Müller"_qs);   // viewing works
    QVERIFY(store.setOrder(RecordStore::nameIndex));

    // Saving does not, and says why in German.
    store.setConfirmChanges(false);
    QVERIFY(store.setFieldValue(u"E_Name"_qs, u"Maier"_qs));
    QVERIFY(!store.post());
    QVERIFY(store.lastSaveFailed());
    QCOMPARE(prompter.asked(), QStringList{u"Der Datensatz kann nicht in der Datei \"daten/kq.db\" gespeichert "
                                           "werden: Die Tabelle ist schreibgeschützt."_qs});
    QCOMPARE(store.state(), StoreState::Edit);
    QCOMPARE(store.current().text(u"E_Name"_qs), u"Maier"_qs);
    store.close();
    QCOMPARE(fileBytes(u"daten/kq.db"_qs), before);
}

void TestStoreFailures::fullDiskIsReportedAndTheChangeStaysPending()
{
    seedOneRecord();
    // The file cannot grow by a single page: a full disk.
    TableStore::setTestPragmas(u"PRAGMA max_page_count = 1"_qs);
    ScriptedPrompter prompter;
    RecordStore store;
    store.setPrompter(&prompter);
    store.setConfirmChanges(false);
    QVERIFY(store.open());
    QVERIFY(!store.isReadOnly());
    QCOMPARE(TableStore::readOnlyNotice(u"daten"_qs, {&store}), QString());

    for (int attempt = 0; attempt < 2; ++attempt) {
        QVERIFY(store.setFieldValue(u"Skizze"_qs, QString(200000, u'x')));
        QVERIFY(!store.post());
        QVERIFY(store.lastSaveFailed());
    }
    QCOMPARE(prompter.asked(), QStringList(2, u"Der Datensatz kann nicht in der Datei \"daten/kq.db\" gespeichert "
                                              "werden: Der Datenträger ist voll."_qs));
    QCOMPARE(store.state(), StoreState::Edit);

    // An answer "&Nein" is no failed save.
    prompter.pushAnswer(PromptButton::No);
    store.setConfirmChanges(true);
    QVERIFY(!store.post());
    QVERIFY(!store.lastSaveFailed());
    store.close();

    TableStore::setTestPragmas({});
    RecordStore again;
    QVERIFY(again.open());
    QCOMPARE(again.rowCount(), 1);
    QCOMPARE(again.current().text(u"E_Name"_qs), u"Müller"_qs);
    QCOMPARE(again.current().text(u"Skizze"_qs), QString());
}

QTEST_GUILESS_MAIN(TestStoreFailures)
#include "test_storefailures.moc"
