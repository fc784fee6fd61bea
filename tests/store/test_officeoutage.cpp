// The office server stopped while a desk edits, and started again: one
// message, nothing lost, the saves go ahead once the server is back, each
// exactly once.  The test runs its own cluster, since it stops it.
#include "catalogstore.h"
#include "recordstore.h"
#include "servertestenv.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The test's own PostgreSQL cluster, in a folder below the one the test
// command removes at its end (so that a crashed test leaves no server).
class Cluster {
public:
    bool start(QString *uri)
    {
        const QString root = qEnvironmentVariable("OFENRING_TEST_PGROOT", QDir::tempPath());
        m_folder = QDir(root).filePath(u"outage-%1"_qs.arg(QCoreApplication::applicationPid()));
        return run(u"start"_qs, uri);
    }
    bool restart() { return run(u"start"_qs, nullptr); }
    bool stop() { return run(u"stop"_qs, nullptr); }
    ~Cluster()
    {
        if (!m_folder.isEmpty()) {
            stop();
            QDir(m_folder).removeRecursively();
        }
    }

private:
    bool run(const QString &action, QString *out)
    {
        QProcess p;
        p.start(u"bash"_qs, {QStringLiteral(PGCLUSTER_SCRIPT), action, m_folder});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            qWarning().noquote() << p.readAllStandardError();
            return false;
        }
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return true;
    }
    QString m_folder;
};

QVariant stored(const QString &uri, const QString &sql)
{
    auto c = servertest::openDesk(uri, u"Prüfung"_qs);
    QSqlQuery q(c->database());
    return q.exec(sql) && q.next() ? q.value(0) : QVariant();
}

} // namespace

class TestOfficeOutage : public QObject {
    Q_OBJECT

private slots:
    void serverRestartDuringAnEdit();
};

void TestOfficeOutage::serverRestartDuringAnEdit()
{
    SKIP_WITHOUT_SERVER();
    Cluster cluster;
    QString uri;
    QVERIFY(cluster.start(&uri));
    QTemporaryDir folder;
    const QString dataDir = folder.filePath(u"daten"_qs);
    {
        RecordStore local;
        QVERIFY(local.open(dataDir));
        local.setConfirmChanges(false);
        QVERIFY(local.insert());
        QVERIFY(local.setFieldValue(u"A_Name"_qs, u"Haus Albrecht"_qs));
        QVERIFY(local.post());
    }
    QString error;
    QVERIFY2(servertest::setUpFrom(uri, dataDir, &error), qPrintable(error));

    ScriptedPrompter prompter;
    auto server = servertest::openDesk(uri, u"Werkstatt"_qs);
    server->setPrompter(&prompter);
    RecordStore records;
    CatalogStore places(CatalogStore::Places);
    for (TableStore *t : {static_cast<TableStore *>(&records), static_cast<TableStore *>(&places)}) {
        t->setPrompter(&prompter);
        QVERIFY(t->open(server.get()));
    }
    records.setConfirmChanges(false);

    // An edit under way, a new place typed in: then the server goes down.
    QVERIFY(records.setFieldValue(u"A_Name"_qs, u"Haus Albrecht-Kunz"_qs));
    QVERIFY(places.insert());
    QVERIFY(places.setFieldValue(u"Plz"_qs, u"72070"_qs));
    QVERIFY(places.setFieldValue(u"Ort"_qs, u"Tübingen"_qs));
    QVERIFY(cluster.stop());

    // Both saves are refused for now; one message says why; nothing is lost.
    QVERIFY(!records.post());
    QTRY_COMPARE_WITH_TIMEOUT(prompter.asked().size(), 1, 5000);
    QVERIFY(prompter.asked().first().startsWith(u"Die Verbindung zum Datenbankserver"_qs));
    QVERIFY(prompter.asked().first().contains(u"Ihre Änderungen bleiben erhalten"_qs));
    prompter.pushAnswer(PromptButton::Yes);   // the places' save question
    QVERIFY(!places.post());
    QCOMPARE(prompter.asked().size(), 2);     // that question, no second message about the connection
    QVERIFY(records.isPostWaiting() && places.isPostWaiting());
    QCOMPARE(records.state(), StoreState::Edit);
    QCOMPARE(records.current().text(u"A_Name"_qs), u"Haus Albrecht-Kunz"_qs);
    QCOMPARE(places.state(), StoreState::Insert);
    QVERIFY(!records.next());   // leaving the record is not possible while its save waits
    QTest::qWait(2 * ServerConnection::kWatchIntervalMs);
    QCOMPARE(prompter.asked().size(), 2);

    // The server comes back: the saves go ahead by themselves, without another question.
    QVERIFY(cluster.restart());
    QTRY_VERIFY_WITH_TIMEOUT(server->isConnected(), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(records.state(), StoreState::Browse, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(places.state(), StoreState::Browse, 5000);
    QVERIFY(!records.isPostWaiting() && !places.isPostWaiting());
    QCOMPARE(prompter.asked().size(), 2);
    QCOMPARE(stored(uri, u"SELECT \"A_Name\" FROM kq WHERE \"Lfd\" = 1"_qs).toString(), u"Haus Albrecht-Kunz"_qs);
    QCOMPARE(stored(uri, u"SELECT count(*) FROM orte WHERE \"Ort\" = 'Tübingen'"_qs).toInt(), 1);
    QVERIFY(places.currentKey() > 0);

    // And the desk goes on working as before.
    QVERIFY(records.setFieldValue(u"A_Ort"_qs, u"Rottenburg"_qs));
    QVERIFY(records.post());
    QCOMPARE(stored(uri, u"SELECT \"A_Ort\" FROM kq WHERE \"Lfd\" = 1"_qs).toString(), u"Rottenburg"_qs);
    records.close();
    places.close();
}

QTEST_GUILESS_MAIN(TestOfficeOutage)
#include "test_officeoutage.moc"
