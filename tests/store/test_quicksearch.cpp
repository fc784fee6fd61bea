#include "recordstore.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The quick search of the overview as a filter of the record store: what it
// finds, and how moves, saves, new records and the restriction to one record
// behave while it is on.
class TestQuickSearch : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void findsBySiteAndOwner_data();
    void findsBySiteAndOwner();
    void currentRecordAndOrder();
    void movesSavesAndRestrictionWithinTheSearch();
    void unsavedChangesAreNeverAskedAboutWhileTyping();
    void newAndDeletedRecords();
    void eachSearchReadsTheTableAfresh();

private:
    std::unique_ptr<RecordStore> openStore();
    QList<int> keys(const RecordStore &s) const { return QList<int>(s.keys().begin(), s.keys().end()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
    ScriptedPrompter m_prompter;
};

void TestQuickSearch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_prompter = ScriptedPrompter();

    // Keys 1 to 4.
    const QList<QVariantMap> rows{
        {{u"A_Name"_qs, u"Anlage Nord"_qs}, {u"A_strasse"_qs, u"Hauptstraße 5"_qs}, {u"A_Plz"_qs, u"70173"_qs},
         {u"A_Ort"_qs, u"Stuttgart"_qs}, {u"E_Name"_qs, u"Müller"_qs}},
        {{u"A_Name"_qs, u"Bäckerei"_qs}, {u"A_strasse"_qs, u"Bahnhofstrasse 2"_qs}, {u"A_Plz"_qs, u"89073"_qs},
         {u"A_Ort"_qs, u"Ulm"_qs}, {u"E_Name"_qs, u"Schmidt"_qs}},
        {{u"A_Name"_qs, u"Kirche"_qs}, {u"A_strasse"_qs, u"Kirchweg 1"_qs}, {u"A_Plz"_qs, u"70174"_qs},
         {u"A_Ort"_qs, u"Stuttgart"_qs}, {u"E_Name"_qs, u"Mueller-Lüdenscheidt"_qs}},
        {{u"A_Name"_qs, u"Café José"_qs}, {u"A_strasse"_qs, u"Marktplatz 3"_qs}, {u"A_Plz"_qs, u"73728"_qs},
         {u"A_Ort"_qs, u"Esslingen"_qs}, {u"E_Name"_qs, u"Weber"_qs}, {u"E_ort"_qs, u"Müllheim"_qs},
         {u"A_zusatz"_qs, u"Schmidt"_qs}},
    };
    RecordStore s;
    s.setConfirmChanges(false);
    QVERIFY(s.open());
    for (const QVariantMap &row : rows) {
        QVERIFY(s.insert());
        for (auto it = row.begin(); it != row.end(); ++it)
            QVERIFY(s.setFieldValue(it.key(), it.value()));
        QVERIFY(s.post());
    }
}

void TestQuickSearch::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

std::unique_ptr<RecordStore> TestQuickSearch::openStore()
{
    auto s = std::make_unique<RecordStore>();
    s->setPrompter(&m_prompter);
    s->open();
    return s;
}

void TestQuickSearch::findsBySiteAndOwner_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("found");
    QTest::newRow("owner, umlaut spelt out") << u"mueller"_qs << QList<int>{1, 3};
    QTest::newRow("owner, with umlaut") << u"Müller"_qs << QList<int>{1, 3};
    QTest::newRow("capitals and blanks around") << u"  MÜLLER  "_qs << QList<int>{1, 3};
    QTest::newRow("street, ß and ss alike") << u"Straße"_qs << QList<int>{1, 2};
    QTest::newRow("street, ss") << u"strasse"_qs << QList<int>{1, 2};
    QTest::newRow("town and owner, both words") << u"stuttgart  mueller"_qs << QList<int>{1, 3};
    QTest::newRow("words in different records") << u"stuttgart schmidt"_qs << QList<int>{};
    QTest::newRow("postcode, begun") << u"7017"_qs << QList<int>{1, 3};
    QTest::newRow("site name without accent") << u"jose"_qs << QList<int>{4};
    QTest::newRow("site name, ae for ä") << u"baeckerei"_qs << QList<int>{2};
    QTest::newRow("owner's town is not searched") << u"müllheim"_qs << QList<int>{};
    QTest::newRow("nor the site's addition") << u"schmidt"_qs << QList<int>{2};
    QTest::newRow("a word does not run across fields") << u"nordhaupt"_qs << QList<int>{};
    QTest::newRow("blanks only: everything") << u"   "_qs << QList<int>{1, 2, 3, 4};
}

void TestQuickSearch::findsBySiteAndOwner()
{
    QFETCH(QString, typed);
    QFETCH(QList<int>, found);
    auto s = openStore();
    QVERIFY(s->setSearch(typed));
    QCOMPARE(keys(*s), found);
    QCOMPARE(s->totalRowCount(), 4);
    QCOMPARE(s->isSearching(), !typed.trimmed().isEmpty());
    QCOMPARE(m_prompter.asked(), QStringList());
}

void TestQuickSearch::currentRecordAndOrder()
{
    auto s = openStore();
    QVERIFY(s->goToKey(3));
    QSignalSpy moved(s.get(), &TableStore::afterScroll);

    // The current record matches: it stays current, and the rows keep the order.
    QVERIFY(s->setSearch(u"mueller"_qs));
    QCOMPARE(keys(*s), (QList<int>{1, 3}));
    QCOMPARE(s->currentKey(), 3);
    QCOMPARE(moved.count(), 0);
    QVERIFY(s->setOrder(RecordStore::nameIndex));
    QCOMPARE(keys(*s), (QList<int>{3, 1}));   // "Mueller-…" before "Müller"
    QCOMPARE(s->currentKey(), 3);
    QVERIFY(s->setOrder(QString()));

    // It does not: the first match becomes current.
    QVERIFY(s->setSearch(u"stuttgart kirch"_qs));
    QCOMPARE(s->currentKey(), 3);
    QVERIFY(s->setSearch(u"anlage"_qs));
    QCOMPARE(keys(*s), QList<int>{1});
    QCOMPARE(s->currentKey(), 1);
    QCOMPARE(moved.count(), 1);

    // Nothing matches: no current record; the next search that finds it
    // again brings back the record that was current, and so does clearing.
    QVERIFY(s->setSearch(u"anlagex"_qs));
    QCOMPARE(s->rowCount(), 0);
    QCOMPARE(s->currentRow(), -1);
    QVERIFY(s->setSearch(u"stuttgart"_qs));
    QCOMPARE(s->currentKey(), 1);
    QVERIFY(s->setSearch(u"anlagex"_qs));
    QVERIFY(s->setSearch(QString()));
    QVERIFY(!s->isSearching());
    QCOMPARE(keys(*s), (QList<int>{1, 2, 3, 4}));
    QCOMPARE(s->currentKey(), 1);
    QCOMPARE(s->current().text(u"A_Name"_qs), u"Anlage Nord"_qs);
}

void TestQuickSearch::movesSavesAndRestrictionWithinTheSearch()
{
    auto s = openStore();
    s->setConfirmChanges(false);
    QVERIFY(s->setSearch(u"stuttgart"_qs));
    QVERIFY(s->last());
    QCOMPARE(s->currentKey(), 3);
    QVERIFY(s->isLast());
    QVERIFY(s->prior());
    QCOMPARE(s->currentKey(), 1);
    QVERIFY(s->isFirst());

    // The printed record: one record, then the search again.
    QVERIFY(s->restrictToKey(1));
    QCOMPARE(s->rowCount(), 1);
    QVERIFY(s->liftRestriction());
    QCOMPARE(keys(*s), (QList<int>{1, 3}));
    QCOMPARE(s->currentKey(), 1);

    // A record saved so that it no longer matches stays in the rows until
    // the search changes; it is saved as any other.
    QVERIFY(s->setFieldValue(u"A_Ort"_qs, u"Ulm"_qs));
    QVERIFY(s->post());
    QCOMPARE(keys(*s), (QList<int>{1, 3}));
    QVERIFY(s->setOrder(RecordStore::ortIndex));
    QCOMPARE(s->currentKey(), 1);
    QVERIFY(s->goToKey(3));
    QVERIFY(s->restrictToKey(3));
    QVERIFY(s->liftRestriction());
    QCOMPARE(keys(*s), (QList<int>{1, 3}));
    QVERIFY(s->setSearch(u"stuttgar"_qs));
    QCOMPARE(keys(*s), QList<int>{3});
    QVERIFY(s->setSearch(u"ulm"_qs));
    QCOMPARE(keys(*s), (QList<int>{1, 2}));   // by postcode
    QCOMPARE(m_prompter.asked(), QStringList());
}

void TestQuickSearch::unsavedChangesAreNeverAskedAboutWhileTyping()
{
    auto s = openStore();
    QVERIFY(s->goToKey(4));
    QVERIFY(s->setFieldValue(u"A_Name"_qs, u"Café Josef"_qs));
    QVERIFY(s->setSearch(u"mueller"_qs));
    QCOMPARE(m_prompter.asked(), QStringList());
    QCOMPARE(keys(*s), (QList<int>{1, 3, 4}));
    QCOMPARE(s->currentKey(), 4);
    QCOMPARE(s->state(), StoreState::Edit);
    QCOMPARE(s->current().text(u"A_Name"_qs), u"Café Josef"_qs);

    // Leaving it is a move as any other, with its question.
    m_prompter.pushAnswer(PromptButton::Yes);
    QVERIFY(s->first());
    QCOMPARE(m_prompter.asked(), QStringList{u"Daten wurden geändert. Jetzt speichern?"_qs});
    QCOMPARE(s->currentKey(), 1);
    // A record only put into the edit state is no unsaved change.
    QVERIFY(s->edit());
    QVERIFY(s->setSearch(u"josef"_qs));
    QCOMPARE(keys(*s), QList<int>{4});
    QCOMPARE(s->currentKey(), 4);
    QCOMPARE(s->state(), StoreState::Browse);
    QCOMPARE(m_prompter.asked().size(), 1);
}

void TestQuickSearch::newAndDeletedRecords()
{
    auto s = openStore();
    s->setConfirmChanges(false);
    QVERIFY(s->setSearch(u"mueller"_qs));
    QVERIFY(s->insert());
    QCOMPARE(s->rowCount(), 3);
    QCOMPARE(s->totalRowCount(), 5);
    // Typing on in the search keeps the new record where it is shown.
    QVERIFY(s->setSearch(u"muell"_qs));
    QCOMPARE(s->rowCount(), 3);
    QCOMPARE(s->state(), StoreState::Insert);
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"Meier"_qs));
    QVERIFY(s->post());
    const int added = s->currentKey();
    QCOMPARE(added, 5);
    QCOMPARE(keys(*s), (QList<int>{1, 3, 5}));
    QVERIFY(s->setSearch(u"muel"_qs));
    QCOMPARE(keys(*s), (QList<int>{1, 3}));
    QVERIFY(s->setSearch(u"meier"_qs));
    QCOMPARE(keys(*s), QList<int>{5});

    m_prompter.pushAnswer(PromptButton::Ok);
    QVERIFY(s->deleteCurrent());
    QCOMPARE(s->rowCount(), 0);
    QCOMPARE(s->totalRowCount(), 4);
    QVERIFY(s->setSearch(QString()));
    QCOMPARE(keys(*s), (QList<int>{1, 2, 3, 4}));
}

void TestQuickSearch::eachSearchReadsTheTableAfresh()
{
    auto s = openStore();
    QVERIFY(s->setSearch(u"weber"_qs));
    QCOMPARE(keys(*s), QList<int>{4});
    QVERIFY(s->setSearch(QString()));
    {
        // Another program (or another desk) changes a record on the medium.
        RecordStore other;
        other.setConfirmChanges(false);
        QVERIFY(other.open());
        QVERIFY(other.goToKey(2));
        QVERIFY(other.setFieldValue(u"E_Name"_qs, u"Weber-Schmidt"_qs));
        QVERIFY(other.post());
    }
    QVERIFY(s->setSearch(u"weber"_qs));
    QCOMPARE(keys(*s), (QList<int>{2, 4}));

    // Read ahead when the search field is entered, and kept up to date by the
    // saves that follow; typing on narrows what was found.
    QVERIFY(s->setSearch(QString()));
    QVERIFY(s->prepareSearch());
    s->setConfirmChanges(false);
    QVERIFY(s->goToKey(1));
    QVERIFY(s->setFieldValue(u"E_Name"_qs, u"Webermeister"_qs));
    QVERIFY(s->post());
    QVERIFY(s->setSearch(u"web"_qs));
    QCOMPARE(keys(*s), (QList<int>{1, 2, 4}));
    QVERIFY(s->setSearch(u"webermei"_qs));
    QCOMPARE(keys(*s), QList<int>{1});
    QVERIFY(s->setSearch(u"weber"_qs));
    QCOMPARE(keys(*s), (QList<int>{1, 2, 4}));
}

QTEST_GUILESS_MAIN(TestQuickSearch)

#include "test_quicksearch.moc"
