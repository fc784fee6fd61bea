// The password a desk keeps for the office server: in libpq's password file,
// for its owner only, and used by the next connection without asking.
#include "pgpass.h"
#include "servertestenv.h"

#include <QTemporaryDir>
#include <QtTest>

class TestPgpass : public QObject {
    Q_OBJECT

private slots:
    void init();
    void keepsOtherLinesAndReplacesItsOwn();
    void serverAsksForThePasswordUntilItIsKept();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void TestPgpass::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_file = m_dir->filePath(u"pgpass"_qs);
    qputenv("PGPASSFILE", QFile::encodeName(m_file));
}

void TestPgpass::keepsOtherLinesAndReplacesItsOwn()
{
    QFile f(m_file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("# Zugänge\nandere:5432:db:ich:geheim\nserver.local:5432:ofenring:buero:alt\n");
    f.close();

    ServerAddress a;
    QVERIFY(ServerAddress::parse(u"postgresql://buero@server.local/ofenring?sslmode=require"_qs, &a));
    QCOMPARE(pgpass::entryKey(a), u"server.local:5432:ofenring:buero"_qs);
    const QString password = u"a:b\\c ä"_qs;
    QVERIFY(pgpass::store(a, password));
    QVERIFY(pgpass::store(a, password));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()),
             u"# Zugänge\nandere:5432:db:ich:geheim\nserver.local:5432:ofenring:buero:a\\:b\\\\c ä\n"_qs);
    f.close();
    QCOMPARE(QFileInfo(m_file).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther
                                                | QFile::ExeOwner),
             QFile::Permissions());
    QCOMPARE(pgpass::lookup(a), password);

    // A socket directory and no port: the fields libpq compares.
    ServerAddress local;
    QVERIFY(ServerAddress::parse(u"postgresql:///ofenring?host=/run/postgresql&user=buero"_qs, &local));
    QCOMPARE(pgpass::entryKey(local), u"/run/postgresql:5432:ofenring:buero"_qs);
    QVERIFY(pgpass::lookup(local).isEmpty());

    QVERIFY(pgpass::remove(a));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(f.readAll()), u"# Zugänge\nandere:5432:db:ich:geheim\n"_qs);
}

void TestPgpass::serverAsksForThePasswordUntilItIsKept()
{
    SKIP_WITHOUT_SERVER();
    // A role of the test server that must give a password.
    const QString role = u"ofr_pw_%1"_qs.arg(QCoreApplication::applicationPid());
    QString error;
    QVERIFY2(servertest::adminExec(servertest::adminUri(),
                                   {u"DROP ROLE IF EXISTS %1"_qs.arg(role),
                                    u"CREATE ROLE %1 LOGIN PASSWORD 'Sch:ornstein\\1' IN ROLE passwortpflicht"_qs.arg(role)},
                                   &error),
             qPrintable(error));
    ServerAddress a = servertest::addressOf(servertest::uriOf(servertest::adminUri(), u"postgres"_qs));
    a.user = role;

    ServerConnection without(a, u"Büro"_qs);
    QVERIFY(!without.open());
    QVERIFY(without.needsPassword());
    QVERIFY2(without.errorString().contains(u"verlangt ein Passwort für den Benutzer \"%1\""_qs.arg(role)),
             qPrintable(without.errorString()));

    ServerAddress wrong = a;
    wrong.password = u"falsch"_qs;
    ServerConnection refused(wrong, u"Büro"_qs);
    QVERIFY(!refused.open());
    QVERIFY(refused.needsPassword());
    QVERIFY2(refused.errorString().contains(u"nimmt das Passwort"_qs), qPrintable(refused.errorString()));

    ServerAddress right = a;
    right.password = u"Sch:ornstein\\1"_qs;
    QVERIFY(ServerConnection::probe(right).isEmpty());
    // Kept in the password file, the next connection needs no password of its own.
    QVERIFY(pgpass::store(a, right.password));
    ServerConnection kept(a, u"Büro"_qs);
    QVERIFY2(kept.open(), qPrintable(kept.errorString()));
    kept.close();
    servertest::adminExec(servertest::adminUri(), {u"DROP ROLE IF EXISTS %1"_qs.arg(role)});
}

QTEST_GUILESS_MAIN(TestPgpass)
#include "test_pgpass.moc"
