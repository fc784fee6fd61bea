#include "singleinstance.h"

#include <QProcess>
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

private:
    // Runs the helper as a second start against the lock in dir; returns its
    // exit code, or -1 when it did not end in time.
    int runSecondStart(const QString &dir);

    QTemporaryDir m_runtime;
};

void TestSingleInstance::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    // Never touch the lock of a real copy of the program.
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
}

int TestSingleInstance::runSecondStart(const QString &dir)
{
    QProcess second;
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(QStringLiteral(SINGLEINSTANCE_HELPER), {u"second"_qs, dir});
    if (!second.waitForStarted())
        return -1;
    // Keep this process's event loop running: the running copy has to answer.
    if (!finished.wait(20000))
        return -1;
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
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
    crashing.start(QStringLiteral(SINGLEINSTANCE_HELPER), {u"hold"_qs, dir.path()});
    QVERIFY(crashing.waitForStarted());
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += crashing.readAllStandardOutput()).contains("primary")
                                 || crashing.state() == QProcess::NotRunning, 20000);
    QCOMPARE(crashing.state(), QProcess::Running);

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

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
