#include "singleinstance.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QSysInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void lockIsHeldInTheRuntimeDirectoryUntilReleased();
    void secondStartEndsAndRaisesTheFirst();
    void lockLeftByACrashedCopyDoesNotBlock();
    void damagedLockIsTakenOverAtOnce_data();
    void damagedLockIsTakenOverAtOnce();
    void hangingCopyBlocksWithAGermanMessage();
    void lockFileThatCannotBeOpenedIsExplained_data();
    void lockFileThatCannotBeOpenedIsExplained();

private:
    // Runs the helper as a second start against the lock in dir; returns its
    // exit code, or -1 when it did not end in time.
    int runSecondStart(const QString &dir, QByteArray *standardError = nullptr);
    // Starts the helper holding the lock in dir ("hold" or "hang").
    bool startHolder(QProcess &holder, const QString &mode, const QString &dir);

    QTemporaryDir m_runtime;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    // Never touch the lock of a real copy of the program.
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
}

int TestSingleInstance::runSecondStart(const QString &dir, QByteArray *standardError)
{
    QProcess second;
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(QStringLiteral(SINGLEINSTANCE_HELPER), {u"second"_qs, dir});
    if (!second.waitForStarted())
        return -1;
    // Keep this process's event loop running: the running copy has to answer.
    if (!finished.wait(20000))
        return -1;
    if (standardError)
        *standardError = second.readAllStandardError();
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

bool TestSingleInstance::startHolder(QProcess &holder, const QString &mode, const QString &dir)
{
    holder.start(QStringLiteral(SINGLEINSTANCE_HELPER), {mode, dir});
    if (!holder.waitForStarted())
        return false;
    QByteArray output;
    QDeadlineTimer deadline(20000);
    while (!(output += holder.readAllStandardOutput()).contains("primary")) {
        if (holder.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        holder.waitForReadyRead(100);
    }
    return true;
}

void TestSingleInstance::lockIsHeldInTheRuntimeDirectoryUntilReleased()
{
    auto first = std::make_unique<SingleInstance>();
    QCOMPARE(first->lockFilePath(), QDir(m_runtime.path()).filePath(u"KQmutex"_qs));
    QVERIFY(first->tryBecomePrimary());
    QVERIFY(QFile::exists(first->lockFilePath()));

    SingleInstance second;
    QVERIFY(!second.tryBecomePrimary());
    QVERIFY(!second.isPrimary());

    first.reset();
    QVERIFY(!QFile::exists(second.lockFilePath()));
    QVERIFY(second.tryBecomePrimary());
}

void TestSingleInstance::secondStartEndsAndRaisesTheFirst()
{
    QTemporaryDir dir;
    SingleInstance running(u"KQmutex"_qs, dir.path());
    QVERIFY(running.tryBecomePrimary());
    QSignalSpy activated(&running, &SingleInstance::activationRequested);

    QCOMPARE(runSecondStart(dir.path()), 0);
    QCOMPARE(activated.count(), 1);

    // The running copy keeps serving later starts.
    QCOMPARE(runSecondStart(dir.path()), 0);
    QCOMPARE(activated.count(), 2);
}

void TestSingleInstance::lockLeftByACrashedCopyDoesNotBlock()
{
    QTemporaryDir dir;
    QProcess crashing;
    QVERIFY(startHolder(crashing, u"hold"_qs, dir.path()));

    SingleInstance next(u"KQmutex"_qs, dir.path());
    QVERIFY2(!next.tryBecomePrimary(), "a live copy must keep its lock");

    crashing.kill();
    QVERIFY(crashing.waitForFinished());
    // The dead copy left its lock file and its socket behind.
    QVERIFY(QFile::exists(next.lockFilePath()));
    QVERIFY(QFile::exists(next.serverName()));

    QVERIFY(next.tryBecomePrimary());
    QSignalSpy activated(&next, &SingleInstance::activationRequested);
    QCOMPARE(runSecondStart(dir.path()), 0);
    QCOMPARE(activated.count(), 1);
}

void TestSingleInstance::damagedLockIsTakenOverAtOnce_data()
{
    QTest::addColumn<QByteArray>("contents");
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    QTest::newRow("empty, the last write lost") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x00\xff\xfe\n\x01", 5);
    QTest::newRow("another machine") << QByteArray("4242\nofenring\nanderer-rechner\n");
    QTest::newRow("no such process") << "2147483000\nofenring\n" + host + '\n';
    // This test's own process: alive, but not a copy of the program.
    QTest::newRow("a process that is not ours")
        << QByteArray::number(QCoreApplication::applicationPid()) + "\nofenring\n" + host + '\n';
}

void TestSingleInstance::damagedLockIsTakenOverAtOnce()
{
    QFETCH(QByteArray, contents);
    QTemporaryDir dir;
    QFile lock(dir.filePath(u"KQmutex"_qs));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(contents);
    lock.close();

    // Nobody holds such a lock: the start takes it over without asking any
    // running copy (3), so it never waits for an answer.
    QCOMPARE(runSecondStart(dir.path()), 3);

    // And a copy that took it over holds it like any other.
    SingleInstance next(u"KQmutex"_qs, dir.path());
    QVERIFY(next.tryBecomePrimary());
    QFile written(next.lockFilePath());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readLine().trimmed().toLongLong(), QCoreApplication::applicationPid());
}

void TestSingleInstance::hangingCopyBlocksWithAGermanMessage()
{
    QTemporaryDir dir;
    QProcess hanging;
    QVERIFY(startHolder(hanging, u"hang"_qs, dir.path()));

    QByteArray error;
    QCOMPARE(runSecondStart(dir.path(), &error), 4);
    const QString message = QString::fromUtf8(error);
    QVERIFY2(message.contains(u"Ofenring läuft bereits (Prozess %1), antwortet aber nicht."_qs
                                  .arg(hanging.processId())),
             qPrintable(message));
    QVERIFY(message.contains(u"kill %1"_qs.arg(hanging.processId())));
    QVERIFY(message.contains(dir.filePath(u"KQmutex"_qs)));

    hanging.kill();
    QVERIFY(hanging.waitForFinished());
    QCOMPARE(runSecondStart(dir.path()), 3);
}

void TestSingleInstance::lockFileThatCannotBeOpenedIsExplained_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a directory") << u"directory"_qs;
    QTest::newRow("a symbolic link") << u"link"_qs;
}

void TestSingleInstance::lockFileThatCannotBeOpenedIsExplained()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"KQmutex"_qs);
    if (kind == u"directory"_qs)
        QVERIFY(QDir().mkdir(path));
    else
        QVERIFY(QFile::link(dir.filePath(u"elsewhere"_qs), path));

    SingleInstance guard(u"KQmutex"_qs, dir.path());
    QCOMPARE(guard.claim(), SingleInstance::Claim::Blocked);
    QVERIFY(!guard.isPrimary());
    const QString message = guard.blockedMessage();
    QVERIFY2(message.startsWith(u"Die Sperrdatei %1 kann nicht geöffnet werden"_qs.arg(path)), qPrintable(message));
    QVERIFY(message.contains(u"löschen Sie die Datei"_qs));
    // Left as it was: whoever made it may still need it.
    QVERIFY(QFileInfo(path).isSymLink() || QFileInfo(path).isDir());
    QVERIFY(!QFile::exists(dir.filePath(u"elsewhere"_qs)));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
