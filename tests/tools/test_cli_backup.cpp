// ofenring-cli sichern and wiederherstellen: what a script sees.
#include "recordstore.h"
#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QJsonObject out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(OFENRING_CLI), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        qFatal("ofenring-cli did not finish");
    return {p.exitCode(), QJsonDocument::fromJson(p.readAllStandardOutput()).object(),
            QString::fromUtf8(p.readAllStandardError())};
}

QString storedName(const QString &dataDir, int key)
{
    RecordStore store;
    if (!store.open(dataDir) || !store.goToKey(key))
        return {};
    return store.fieldText(u"A_Name"_qs);
}

void setName(const QString &dataDir, int key, const QString &name)
{
    RecordStore store;
    store.setConfirmChanges(false);
    QVERIFY(store.open(dataDir));
    if (key == 0) {
        QVERIFY(store.insert());
    } else {
        QVERIFY(store.goToKey(key));
    }
    QVERIFY(store.setFieldValue(u"A_Name"_qs, name));
    QVERIFY(store.post());
}

} // namespace

class TestCliBackup : public QObject {
    Q_OBJECT

private slots:
    void init();
    void backupAndRestore();
    void refusals_data();
    void refusals();
    void noRestoreWhileTheProgramRuns();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_data;
};

void TestCliBackup::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_data = m_tmp->filePath(u"daten"_qs);
    // A lock of the program's own, apart from any running copy.
    const QString runtime = m_tmp->filePath(u"runtime"_qs);
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    setName(m_data, 0, u"Anlage 1"_qs);
    setName(m_data, 0, u"Anlage 2"_qs);
}

void TestCliBackup::backupAndRestore()
{
    const Run made = cli({u"sichern"_qs, u"--daten"_qs, m_data});
    QCOMPARE(made.err, QString());
    QCOMPARE(made.exitCode, 0);
    const QString folder = made.out.value(u"folder"_qs).toString();
    QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
    QCOMPARE(made.out.value(u"records"_qs).toObject().value(u"kq.db"_qs).toInt(), 2);

    setName(m_data, 2, u"Überschrieben"_qs);
    const Run back = cli({u"wiederherstellen"_qs, u"--daten="_qs + m_data, u"--von"_qs, QFileInfo(folder).fileName()});
    QCOMPARE(back.err, QString());
    QCOMPARE(back.exitCode, 0);
    QCOMPARE(storedName(m_data, 2), u"Anlage 2"_qs);
    const QString savedFirst = back.out.value(u"savedFirst"_qs).toObject().value(u"folder"_qs).toString();
    QCOMPARE(storedName(savedFirst, 2), u"Überschrieben"_qs);
    QCOMPARE(back.out.value(u"restored"_qs).toObject().value(u"folder"_qs).toString(), folder);

    // The backup made before the restore is itself a backup to go back to, named by its path.
    const Run again = cli({u"wiederherstellen"_qs, u"--daten"_qs, m_data, u"--von"_qs, savedFirst});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(storedName(m_data, 2), u"Überschrieben"_qs);
}

void TestCliBackup::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{u"sichern"_qs, u"--nach"_qs, u"x"_qs} << 2
                                    << u"Unbekannte Angabe \"--nach\""_qs;
    QTest::newRow("no data folder") << QStringList{u"sichern"_qs, u"--daten"_qs, u"@/fehlt"_qs} << 2
                                    << u"gibt es nicht"_qs;
    QTest::newRow("backup folder is a file") << QStringList{u"sichern"_qs, u"--daten"_qs, u"@"_qs} << 3
                                             << u"An seiner Stelle liegt eine Datei."_qs;
    QTest::newRow("no backup named") << QStringList{u"wiederherstellen"_qs, u"--daten"_qs, u"@"_qs} << 2
                                     << u"Die Sicherung muss angegeben werden."_qs;
    QTest::newRow("not a backup") << QStringList{u"wiederherstellen"_qs, u"--daten"_qs, u"@"_qs, u"--von"_qs,
                                                 u"2024-01-01"_qs}
                                  << 2 << u"ist keine vollständige Sicherung"_qs;
}

void TestCliBackup::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    if (QTest::currentDataTag() == QLatin1String("backup folder is a file")) {
        QFile f(QDir(m_data).filePath(u"sicherung"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    for (QString &a : args)
        a.replace(u"@"_qs, m_data);
    const QByteArray before = [this] {
        QFile f(QDir(m_data).filePath(u"kq.db"_qs));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    const Run r = cli(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QFile f(QDir(m_data).filePath(u"kq.db"_qs));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestCliBackup::noRestoreWhileTheProgramRuns()
{
    const Run made = cli({u"sichern"_qs, u"--daten"_qs, m_data});
    QCOMPARE(made.exitCode, 0);
    setName(m_data, 1, u"Heute"_qs);
    SingleInstance program;
    QVERIFY(program.tryBecomePrimary());
    const Run r = cli({u"wiederherstellen"_qs, u"--daten"_qs, m_data, u"--von"_qs,
                       made.out.value(u"folder"_qs).toString()});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"Ofenring läuft gerade"_qs), qPrintable(r.err));
    QCOMPARE(storedName(m_data, 1), u"Heute"_qs);
}

QTEST_GUILESS_MAIN(TestCliBackup)
#include "test_cli_backup.moc"
