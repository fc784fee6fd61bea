#include "oldtables.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run cli(const QStringList &args, const QStringList &runAs = {})
{
    QProcess p;
    if (runAs.isEmpty())
        p.start(QStringLiteral(OFENRING_CLI), args);
    else
        p.start(runAs.first(), runAs.mid(1) + QStringList{QStringLiteral(OFENRING_CLI)} + args);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        qFatal("ofenring-cli did not finish");
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestCliTakeOver : public QObject {
    Q_OBJECT

private slots:
    void init();
    void takesOverFromAReadOnlySource();
    void badInput_data();
    void badInput();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_von;
    QString m_nach;
};

void TestCliTakeOver::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_von = m_tmp->filePath(u"alt"_qs);
    m_nach = m_tmp->filePath(u"daten"_qs);
    QVERIFY(oldtables::writeAll(m_von));
}

// The old folder is only read, even where it cannot be written at all.
void TestCliTakeOver::takesOverFromAReadOnlySource()
{
    const auto before = oldtables::snapshot(m_von);
    QStringList runAs;
    if (::geteuid() == 0) {
        // Root may write anywhere: the companion runs as an ordinary user, for
        // whom the old folder and its files are read-only.
        runAs = {u"setpriv"_qs, u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs};
        if (QProcess::execute(runAs.first(), runAs.mid(1) + QStringList{u"true"_qs}) != 0)
            QSKIP("setpriv cannot run a process as an ordinary user here");
        QFile::setPermissions(m_tmp->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                 | QFile::WriteOther | QFile::ExeOther);
    } else {
        QVERIFY(QFile::setPermissions(m_von, QFile::ReadOwner | QFile::ExeOwner));
    }
    const Run r = cli({u"uebernehmen"_qs, u"--von"_qs, m_von, u"--nach="_qs + m_nach}, runAs);
    QFile::setPermissions(m_von, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);

    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    const QString backup = u"alt-"_qs + QDate::currentDate().toString(u"yyyy-MM-dd"_qs);
    QCOMPARE(o.value(u"backupFolder"_qs).toString(), backup);
    QCOMPARE(o.value(u"source"_qs).toString(), m_von);
    QCOMPARE(o.value(u"target"_qs).toString(), m_nach);
    QCOMPARE(o.value(u"originals"_qs).toArray().size(), 6);
    const QJsonArray tables = o.value(u"tables"_qs).toArray();
    QCOMPARE(tables.size(), 4);
    const QJsonObject kq = tables.first().toObject();
    QCOMPARE(kq.value(u"table"_qs).toString(), u"kq.db"_qs);
    QCOMPARE(kq.value(u"records"_qs).toInt(), 4);
    QCOMPARE(kq.value(u"emptyValues"_qs).toObject().value(u"E_Name"_qs).toInt(), 2);
    QCOMPARE(kq.value(u"unreadable"_qs).toArray().size(), 0);

    QCOMPARE(oldtables::mismatch(m_nach), QString());
    QCOMPARE(oldtables::snapshot(m_von), before);
    QCOMPARE(oldtables::snapshot(QDir(m_nach).filePath(backup)), before);
}

void TestCliTakeOver::badInput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString von = u"<von>"_qs, nach = u"<nach>"_qs;

    QTest::newRow("ohne Angaben") << QStringList{} << u"Der alte Ordner und der Datenordner müssen angegeben werden."_qs;
    QTest::newRow("unbekannte Angabe") << QStringList{u"--aus"_qs, von} << u"Unbekannte Angabe \"--aus\"."_qs;
    QTest::newRow("fehlender Ordner") << QStringList{u"--von"_qs, u"<tmp>/fehlt"_qs, u"--nach"_qs, nach}
                                      << u"Den Ordner \"<tmp>/fehlt\" gibt es nicht."_qs;
    QTest::newRow("keine alten Tabellen") << QStringList{u"--von"_qs, u"<tmp>/voll"_qs, u"--nach"_qs, nach}
                                          << u"Im Ordner \"<tmp>/voll\" liegen keine Tabellen im alten Paradox-Format."_qs;
    QTest::newRow("derselbe Ordner") << QStringList{u"--von"_qs, von, u"--nach"_qs, von}
                                     << u"Der alte Ordner und der Datenordner müssen verschieden sein"_qs;
    QTest::newRow("Ziel im alten Ordner") << QStringList{u"--von"_qs, von, u"--nach"_qs, von + u"/neu/daten"_qs}
                                          << u"Der Datenordner darf nicht im alten Ordner liegen"_qs;
    QTest::newRow("Ziel mit Tabellen") << QStringList{u"--von"_qs, von, u"--nach"_qs, u"<tmp>/voll"_qs}
                                       << u"Im Ordner \"<tmp>/voll\" liegen schon Tabellen (kq.db)."_qs;
    QTest::newRow("abgeschnittene Tabelle") << QStringList{u"--von"_qs, von, u"--nach"_qs, nach, u"<kürzen>"_qs}
                                            << u"KQ.DB\" ist unvollständig"_qs;
}

// A German message and status 2; the old folder is untouched and the data
// folder gets no table.
void TestCliTakeOver::badInput()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QDir().mkpath(m_tmp->filePath(u"voll"_qs));
    QFile(m_tmp->filePath(u"voll/kq.db"_qs)).open(QIODevice::WriteOnly);
    if (args.removeAll(u"<kürzen>"_qs) > 0) {
        QFile f(QDir(m_von).filePath(u"KQ.DB"_qs));
        QVERIFY(f.resize(f.size() - 2048));
    }
    for (QString &a : args)
        a.replace(u"<von>"_qs, m_von).replace(u"<nach>"_qs, m_nach).replace(u"<tmp>"_qs, m_tmp->path());
    message.replace(u"<tmp>"_qs, m_tmp->path());
    const auto before = oldtables::snapshot(m_tmp->path());

    const Run r = cli(QStringList{u"uebernehmen"_qs} + args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.startsWith(u"ofenring-cli uebernehmen: "_qs) && r.err.contains(message), qPrintable(r.err));
    QCOMPARE(r.out, QByteArray());
    QCOMPARE(oldtables::snapshot(m_tmp->path()), before);
}

QTEST_GUILESS_MAIN(TestCliTakeOver)
#include "test_cli_takeover.moc"
