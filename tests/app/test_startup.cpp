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
