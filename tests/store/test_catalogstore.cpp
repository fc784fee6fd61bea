#include "catalogstore.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestCatalogStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void filesAndFields_data();
    void filesAndFields();
    void saveQuestions_data();
    void saveQuestions();
    void ownerOrders();
    void remarkTitleIsCutAt60();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
};

void TestCatalogStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void TestCatalogStore::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TestCatalogStore::filesAndFields_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("owners") << int(CatalogStore::Owners) << u"daten/eigentmr.db"_qs
                            << QStringList{u"Name"_qs, u"Zusatz"_qs, u"Strasse"_qs, u"Plz"_qs, u"Ort"_qs,
                                           u"Lfd"_qs,  u"Anrede"_qs, u"Tel"_qs,     u"Fax"_qs};
    QTest::newRow("places") << int(CatalogStore::Places) << u"daten/orte.db"_qs
                            << QStringList{u"Plz"_qs, u"Ort"_qs, u"Lfd"_qs};
    QTest::newRow("remarks") << int(CatalogStore::Remarks) << u"daten/stdbem.DB"_qs
                             << QStringList{u"Kurzbez"_qs, u"Text"_qs};
}

// Every catalog is created with its own file and fields, and a saved row is
// there when the file is opened again.
void TestCatalogStore::filesAndFields()
{
    QFETCH(int, kind);
    QFETCH(QString, file);
    QFETCH(QStringList, fields);
    {
        CatalogStore s{CatalogStore::Kind(kind)};
        QVERIFY(s.open());
        QCOMPARE(s.filePath(), file);
        QStringList names;
        for (const FieldDef &f : s.schema().fields())
            names << f.name;
        QCOMPARE(names, fields);
        s.setConfirmChanges(false);
        QVERIFY(s.insert());
        QVERIFY(s.setFieldValue(fields.first(), u"Eintrag"_qs));
        QVERIFY(s.post());
    }
    CatalogStore again{CatalogStore::Kind(kind)};
    QVERIFY(again.open());
    QCOMPARE(again.rowCount(), 1);
    QCOMPARE(again.current().text(fields.first()), u"Eintrag"_qs);
}

void TestCatalogStore::saveQuestions_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("question");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<bool>("stillInserting");

    const QString owners = u"Daten in der Eigentümertabelle wurden geändert. Jetzt speichern?"_qs;
    const QString places = u"Daten in der Ortetabelle wurden geändert. Jetzt speichern?"_qs;
    const QString remarks = u"Daten im Anmerkungskatalog wurden geändert. Jetzt speichern?"_qs;
    const int ja = int(PromptButton::Yes), nein = int(PromptButton::No), abbrechen = int(PromptButton::Cancel);
    QTest::newRow("owners Ja") << int(CatalogStore::Owners) << owners << ja << true << 2 << false;
    QTest::newRow("owners Nein") << int(CatalogStore::Owners) << owners << nein << false << 1 << false;
    QTest::newRow("owners Abbrechen") << int(CatalogStore::Owners) << owners << abbrechen << false << 2 << true;
    QTest::newRow("places Ja") << int(CatalogStore::Places) << places << ja << true << 2 << false;
    QTest::newRow("places Nein") << int(CatalogStore::Places) << places << nein << false << 1 << false;
    QTest::newRow("remarks Ja") << int(CatalogStore::Remarks) << remarks << ja << true << 2 << false;
    QTest::newRow("remarks Nein") << int(CatalogStore::Remarks) << remarks << nein << false << 1 << false;
}

// A new catalog row, left for the first row: the catalog's own question.
void TestCatalogStore::saveQuestions()
{
    QFETCH(int, kind);
    QFETCH(QString, question);
    QFETCH(int, answer);
    QFETCH(bool, saved);
    QFETCH(int, rowsAfter);
    QFETCH(bool, stillInserting);

    ScriptedPrompter prompter;
    CatalogStore s{CatalogStore::Kind(kind)};
    s.setPrompter(&prompter);
    QVERIFY(s.open());
    const QString field = s.schema().field(0).name;
    s.setConfirmChanges(false);
    QVERIFY(s.insert());
    QVERIFY(s.setFieldValue(field, u"alt"_qs));
    QVERIFY(s.post());
    s.setConfirmChanges(true);

    QVERIFY(s.insert());
    QVERIFY(s.setFieldValue(field, u"neu"_qs));
    prompter.pushAnswer(PromptButton(answer));
    QCOMPARE(s.first(), saved);
    QCOMPARE(prompter.asked(), QStringList{question});
    // The remark catalog offers no "Abbrechen"; the owner and place tables do.
    const PromptButtons yesNo = PromptButton::Yes | PromptButton::No;
    QCOMPARE(prompter.offered().value(0),
             kind == int(CatalogStore::Remarks) ? yesNo : yesNo | PromptButton::Cancel);
    QCOMPARE(s.rowCount(), rowsAfter);
    QCOMPARE(s.state() == StoreState::Insert, stillInserting);
}

void TestCatalogStore::ownerOrders()
{
    CatalogStore s(CatalogStore::Owners);
    QVERIFY(s.open());
    s.setConfirmChanges(false);
    const QList<QStringList> owners = {{u"Berg"_qs, u"Ulm"_qs, u"Z-Weg"_qs},
                                       {u"Abel"_qs, u"Ulm"_qs, u"A-Weg"_qs},
                                       {u"Crull"_qs, u"Aalen"_qs, u"M-Weg"_qs}};
    for (const QStringList &o : owners) {
        QVERIFY(s.insert());
        s.setFieldValue(u"Name"_qs, o[0]);
        s.setFieldValue(u"Ort"_qs, o[1]);
        s.setFieldValue(u"Strasse"_qs, o[2]);
        QVERIFY(s.post());
    }
    auto names = [&] {
        QStringList l;
        for (int i = 0; i < s.rowCount(); ++i)
            l << s.rowAt(i).text(u"Name"_qs);
        return l;
    };
    QCOMPARE(names(), (QStringList{u"Abel"_qs, u"Berg"_qs, u"Crull"_qs}));
    QVERIFY(s.goToRow(1));  // Berg
    QVERIFY(s.setOrder(CatalogStore::ortOrder));
    QCOMPARE(names(), (QStringList{u"Crull"_qs, u"Abel"_qs, u"Berg"_qs}));
    QCOMPARE(s.current().text(u"Name"_qs), u"Berg"_qs);
    QVERIFY(s.setOrder(QString()));
    QCOMPARE(names(), (QStringList{u"Abel"_qs, u"Berg"_qs, u"Crull"_qs}));
}

void TestCatalogStore::remarkTitleIsCutAt60()
{
    CatalogStore s(CatalogStore::Remarks);
    QVERIFY(s.open());
    s.setConfirmChanges(false);
    QVERIFY(s.insert());
    QVERIFY(s.setFieldText(u"Kurzbez"_qs, QString(70, u'k')));
    QVERIFY(s.setFieldValue(u"Text"_qs, QString(5000, u't')));
    QVERIFY(s.post());
    QCOMPARE(s.current().text(u"Kurzbez"_qs).size(), 60);
    QCOMPARE(s.current().text(u"Text"_qs).size(), 5000);
}

QTEST_GUILESS_MAIN(TestCatalogStore)
#include "test_catalogstore.moc"
