// The backup commands of the main window: "Sicherung anlegen", "Sicherung
// wiederherstellen …" with its question, the daily backup at start, and
// office mode, where the server keeps the backups.
#include "mainwindow.h"
#include "uitestenv.h"

#include "backup.h"
#include "backupdialog.h"
#include "programsettings.h"
#include "settingsfile.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

class TestBackupUi : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        QFile::remove(settings::programSettingsFilePath());
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        QFile::remove(settings::programSettingsFilePath());
        m_dir.leave();
    }

    void restoreThroughTheMenuKeepsTodaysDataFirst();
    void dailyBackupOnceADayAndItsFailureSaidOnce();

private:
    UiTestDir m_dir;
};

void TestBackupUi::restoreThroughTheMenuKeepsTodaysDataFirst()
{
    seedRecords({{{u"A_Name"_qs, u"Anlage 1"_qs}}, {{u"A_Name"_qs, u"Anlage 2"_qs}}});
    TForm1 w;
    w.show();
    findNamed<QAction>(&w, "sicherunganlegen")->trigger();
    const QList<Backup::Info> first = Backup().list();
    QCOMPARE(first.size(), 1);
    QVERIFY2(MessageBox::shownTexts().last().startsWith(u"Die Daten sind gesichert (2 Datensätze)"_qs),
             qPrintable(MessageBox::shownTexts().last()));

    // A name overwritten by mistake, still being typed.
    auto *name = findNamed<QLineEdit>(&w, "a_nameedit");
    name->selectAll();
    QTest::keyClicks(name, u"Versehen"_qs);

    auto *restore = findNamed<QAction>(&w, "sicherungwiederherstellen");
    auto open = [&] {
        restore->trigger();
        auto *dialog = findNamed<RestoreBackupDialog>(&w, "sicherungdlg");
        auto *list = findNamed<QTreeWidget>(dialog, "sicherungsliste");
        return std::make_pair(dialog, list);
    };
    const QString question = u"Die Daten vom %1 ersetzen die heutigen. Die heutigen werden vorher gesichert."_qs.arg(
        Backup::madeText(first.first()));

    // "Abbrechen" leaves everything as it was.
    {
        auto [dialog, list] = open();
        QVERIFY(dialog->isVisible());
        QCOMPARE(list->topLevelItemCount(), 1);
        QCOMPARE(list->topLevelItem(0)->text(0), first.first().made.toString(u"dd.MM.yyyy"_qs));
        QCOMPARE(list->topLevelItem(0)->text(1), first.first().made.toString(u"HH:mm"_qs));
        QCOMPARE(list->topLevelItem(0)->text(2), u"2"_qs);
        MessageBox::pushNextAnswer(PromptButton::Cancel);
        QTest::mouseClick(findNamed<QPushButton>(dialog, "wiederherstellenbtn"), Qt::LeftButton);
        QCOMPARE(MessageBox::shownTexts().last(), question);
        QCOMPARE(name->text(), u"Versehen"_qs);
        QCOMPARE(Backup().list().size(), 1);
    }

    // "OK", and "&Ja" to saving the typed name: it goes into the backup of today's data.
    auto [dialog, list] = open();
    MessageBox::pushNextAnswer(PromptButton::Ok);
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::keyClick(list, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(MessageBox::shownTexts().mid(MessageBox::shownTexts().size() - 3, 2),
             (QStringList{question, u"Daten wurden geändert. Jetzt speichern?"_qs}));
    QVERIFY2(MessageBox::shownTexts().last().startsWith(u"Die Daten vom %1 sind wiederhergestellt."_qs.arg(
                 Backup::madeText(first.first()))),
             qPrintable(MessageBox::shownTexts().last()));

    // The window shows the restored tables.
    QVERIFY(w.tablesOpen());
    QCOMPARE(w.recordStore()->rowCount(), 2);
    QCOMPARE(name->text(), u"Anlage 1"_qs);
    QCOMPARE(storedRecord(1).text(u"A_Name"_qs), u"Anlage 1"_qs);

    const QList<Backup::Info> now = Backup().list();
    QCOMPARE(now.size(), 2);
    QCOMPARE(now.first().reason, Backup::Reason::BeforeRestore);
    RecordStore saved;
    QVERIFY(saved.open(now.first().path));
    QCOMPARE(saved.fieldText(u"A_Name"_qs), u"Versehen"_qs);
}

void TestBackupUi::dailyBackupOnceADayAndItsFailureSaidOnce()
{
    seedRecords({{{u"A_Name"_qs, u"Anlage 1"_qs}}});
    {
        TForm1 w;
        w.show();
        w.dailyBackup();
        QCOMPARE(Backup().list().size(), 1);
        QCOMPARE(Backup().list().first().reason, Backup::Reason::Daily);
        w.dailyBackup();
        QCOMPARE(Backup().list().size(), 1);
        QCOMPARE(MessageBox::shownTexts(), QStringList());
    }

    // A file in the backup folder's place: said once, and the next start of
    // the day tries again without saying it again.
    QVERIFY(QDir(u"daten/sicherung"_qs).removeRecursively());
    QFile blocker(u"daten/sicherung"_qs);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (int start = 0; start < 2; ++start) {
        TForm1 w;
        w.show();
        w.dailyBackup();
    }
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(u"Die tägliche Sicherung ist fehlgeschlagen. Die Daten lassen sich nicht sichern."_qs),
             qPrintable(shown.first()));
    QVERIFY(QFileInfo(u"daten/sicherung"_qs).isFile());
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestBackupUi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_backup_ui.moc"
