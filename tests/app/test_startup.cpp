#include "mainwindow.h"
#include "oldtables.h"
#include "singleinstance.h"
#include "printsettings.h"
#include "settingsfile.h"
#include "startup.h"
#include "takeover.h"
#include "uitestenv.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir.enter(); }
    void cleanup() { m_dir.leave(); }

    void secondStartRaisesTheFirstAndEnds();
    void startWithADamagedLockReachesTheWindow();
    void startBlockedByAHangingCopyExplainsWhy();
    void germanNumbersAndCaptions();
    void oldTablesAreTakenOverAfterOneQuestion();
    void refusedTakeOverStartsNothing();
    void interruptedTakeOverIsFinishedAtStart();
    void settingsFileThatIsAPipeIsNamedOnceAndPassedOver();

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

void TestStartup::oldTablesAreTakenOverAfterOneQuestion()
{
    QVERIFY(oldtables::writeAll(u"daten"_qs));
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QVERIFY(startup::takeOverOldTables());

    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 2);
    const QString backup = u"daten/alt-"_qs + QDate::currentDate().toString(u"yyyy-MM-dd"_qs);
    QCOMPARE(shown[0], u"Im Datenordner \"daten\" liegen Tabellen im alten Paradox-Format: KQ.DB, eigentmr.db, Orte.DB, stdbem.DB.\n\n"
                       "Sollen sie jetzt übernommen werden? Die alten Dateien werden dabei unverändert in den Ordner \"%1\" gelegt.\n\n"
                       "Ohne Übernahme startet das Programm nicht; die Dateien bleiben dann, wie sie sind."_qs.arg(backup));
    QVERIFY2(shown[1].startsWith(u"Die alten Tabellen wurden übernommen:\n  kq.db (Anlagen): 4 Datensätze\n"_qs), qPrintable(shown[1]));
    QVERIFY(MessageBox::unexpectedTexts().isEmpty());

    // The main window opens the taken-over tables; the first record is current.
    TForm1 w;
    QVERIFY(w.tablesOpen());
    QCOMPARE(storedRecord(3).text(u"A_Name"_qs), u"Bäckerei Müller"_qs);
    QCOMPARE(oldtables::mismatch(u"daten"_qs), QString());
    // A second start has nothing left to ask.
    MessageBox::resetScript();
    MessageBox::setScripted(true);
    QVERIFY(startup::takeOverOldTables());
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestStartup::refusedTakeOverStartsNothing()
{
    QVERIFY(oldtables::writeAll(u"daten"_qs));
    const auto before = oldtables::snapshot(u"daten"_qs);
    MessageBox::pushNextAnswer(PromptButton::No);
    QVERIFY(!startup::takeOverOldTables());
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    QCOMPARE(oldtables::snapshot(u"daten"_qs), before);
}

void TestStartup::interruptedTakeOverIsFinishedAtStart()
{
    QVERIFY(oldtables::writeAll(u"daten"_qs));
    {
        // The power fails once the first new table is in place.
        struct PowerLoss {};
        TakeOver t(u"daten"_qs, u"daten"_qs);
        t.setStepHook([](const QString &step) {
            if (step == u"eingesetzt:kq.db"_qs)
                throw PowerLoss();
        });
        QVERIFY_THROWS_EXCEPTION(PowerLoss, t.run());
    }
    QVERIFY(TakeOver::isPending(u"daten"_qs));

    QVERIFY(startup::takeOverOldTables());
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(u"Eine unterbrochene Übernahme der alten Tabellen wurde abgeschlossen.\n\n"
                                 "Die alten Tabellen wurden übernommen:\n"_qs),
             qPrintable(shown[0]));
    QVERIFY(!TakeOver::isPending(u"daten"_qs));
    QCOMPARE(oldtables::mismatch(u"daten"_qs), QString());
}

// A pipe in place of KQ2.ini would stall every start that opened it: the
// window comes up with the defaults, and the user is told once.
void TestStartup::settingsFileThatIsAPipeIsNamedOnceAndPassedOver()
{
    const QString ini = settings::settingsFilePath();
    QVERIFY(QDir().mkpath(QFileInfo(ini).absolutePath()));
    QFile::remove(ini);
    QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    MessageBox::setScripted(true);
    startup::warnAboutUnreadableSettings();
    {
        TForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        QCOMPARE(w.printSettings().headerLine3, QString());
    }
    SettingsFile::setWarningHandler({});
    QFile::remove(ini);
    const QStringList warnings = MessageBox::shownTexts().filter(u"Einstellungsdatei"_qs);
    QCOMPARE(warnings, QStringList{u"Die Einstellungsdatei \"%1\" wird nicht gelesen: Sie ist keine gewöhnliche Datei "
                                   "(sondern etwa eine Pipe oder ein Gerät). Es gelten die Voreinstellungen; "
                                   "die Datei wird nicht überschrieben."_qs.arg(ini)});
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_startup.moc"
