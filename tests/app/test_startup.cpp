#include "mainwindow.h"
#include "singleinstance.h"
#include "startup.h"
#include "uitestenv.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir.enter(); }
    void cleanup() { m_dir.leave(); }

    void secondStartRaisesTheFirstAndEnds();
    void startWithADamagedLockReachesTheWindow();
    void startBlockedByAHangingCopyExplainsWhy();
    void germanNumbersAndCaptions();

private:
    UiTestDir m_dir;
};

void TestStartup::secondStartRaisesTheFirstAndEnds()
{
    // This process plays the running copy, wired as the program wires itself.
    SingleInstance guard;
    QVERIFY(guard.tryBecomePrimary());
    TForm1 w;
    startup::raiseOnSecondStart(guard, w);
    w.showMinimized();
    QVERIFY(w.isMinimized());

    QTemporaryDir secondCwd;
    QProcess second;
    second.setWorkingDirectory(secondCwd.path());
    QSignalSpy finished(&second, &QProcess::finished);
    second.start(QStringLiteral(OFENRING_EXECUTABLE), {});
    QVERIFY(second.waitForStarted());
    // The event loop must run meanwhile, so this copy can answer the knock.
    QVERIFY(finished.wait(20000));

    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardError().trimmed(), QByteArray());
    // It ended before opening any table of its own.
    QVERIFY(!QDir(secondCwd.path()).exists(u"daten"_qs));
    QTRY_VERIFY(!w.isMinimized());
    QVERIFY(w.isVisible());
}

void TestStartup::startWithADamagedLockReachesTheWindow()
{
    // An empty lock file, as a crash at the wrong moment leaves it.
    SingleInstance knock;
    QFile lock(knock.lockFilePath());
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.close();

    QTemporaryDir cwd;
    QProcess program;
    program.setWorkingDirectory(cwd.path());
    program.start(QStringLiteral(OFENRING_EXECUTABLE), {});
    QVERIFY(program.waitForStarted());
    // It takes the lock over and writes its own process number into it.
    const auto holder = [&] {
        QFile f(knock.lockFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readLine().trimmed().toLongLong() : 0;
    };
    QTRY_COMPARE_WITH_TIMEOUT(holder(), program.processId(), 20000);

    // The program answers a second start only from its running event loop,
    // that is with its main window shown.
    QCOMPARE(knock.claim(20000), SingleInstance::Claim::Raised);
    QCOMPARE(program.state(), QProcess::Running);
    QVERIFY(QDir(cwd.path()).exists(u"daten"_qs));
    program.kill();
    QVERIFY(program.waitForFinished());
}

void TestStartup::startBlockedByAHangingCopyExplainsWhy()
{
    SingleInstance running;
    QVERIFY(running.tryBecomePrimary());

    // This process holds the lock but cannot answer while it waits here: a
    // copy that hangs.
    SingleInstance second;
    QCOMPARE(startup::claimSingleInstance(second, 200), 1);
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(u"Ofenring läuft bereits (Prozess %1), antwortet aber nicht."_qs
                                          .arg(QCoreApplication::applicationPid())),
             qPrintable(shown.first()));
    QVERIFY(shown.first().contains(running.lockFilePath()));
}

void TestStartup::germanNumbersAndCaptions()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    QVERIFY(startup::useGerman(*app));
    QCOMPARE(QLocale().toString(2.5), u"2,5"_qs);
    // A standard caption of Qt's own dialogs comes out German.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"Abbrechen"_qs);
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
