// Two main windows on one office server, as two desks: the second is refused
// while the first edits a record, says so in its status panel, and shows the
// first's save at once.  And the dialog that points a desk at a server.
#include "backupdialog.h"
#include "datenbankdlg.h"
#include "mainwindow.h"
#include "pgpass.h"
#include "programsettings.h"
#include "recordstore.h"
#include "servertestenv.h"
#include "settingsfile.h"
#include "uitestenv.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

class TestOfficeMode : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void secondDeskIsRefusedAndSeesTheFirstDesksSave();
    void databaseDialogKeepsTheAddressButNeverThePassword();
    void officeModeLeavesTheBackupsToTheServer();

private:
    UiTestDir m_dir;
    servertest::TestDatabase m_db;
};

void TestOfficeMode::init()
{
    SKIP_WITHOUT_SERVER();
    m_dir.enter();
    QString error;
    QVERIFY2(m_db.create(QString::fromLatin1(QTest::currentTestFunction()).toLower(), &error), qPrintable(error));
    seedRecords({{{u"A_Name"_qs, u"Haus Albrecht"_qs}, {u"Modus"_qs, 0}}, {{u"A_Name"_qs, u"Haus Berger"_qs}}});
    QVERIFY2(servertest::setUpFrom(m_db.uri(), u"daten"_qs, &error), qPrintable(error));
}

void TestOfficeMode::cleanup()
{
    QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
    m_dir.leave();
    m_db.drop();
}

void TestOfficeMode::secondDeskIsRefusedAndSeesTheFirstDesksSave()
{
    auto serverA = servertest::openDesk(m_db.uri(), u"Werkstatt"_qs);
    auto serverB = servertest::openDesk(m_db.uri(), u"Büro"_qs);
    TForm1 a(serverA.get());
    TForm1 b(serverB.get());
    a.show();
    b.show();
    QVERIFY(a.tablesOpen() && b.tablesOpen());
    a.findChild<QCheckBox *>(u"aenderungsabfrage"_qs)->setChecked(false);
    for (TForm1 *w : {&a, &b})
        w->setActivePage(TForm1::Allgemein);

    // The first desk starts typing into the site's name.
    auto *nameA = findNamed<QLineEdit>(&a, "a_nameedit");
    nameA->setFocus();
    QTest::keyClicks(nameA, u"-Kunz"_qs);
    QCOMPARE(a.recordStore()->state(), StoreState::Edit);

    // At the second desk the first key is refused and the field shows the stored name again.
    auto *nameB = findNamed<QLineEdit>(&b, "a_nameedit");
    auto *notice = findNamed<QLabel>(&b, "status_hinweis");
    nameB->setFocus();
    nameB->end(false);
    QTest::keyClick(nameB, Qt::Key_X);
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    const QString message = MessageBox::shownTexts().first();
    QVERIFY2(message.startsWith(u"Dieser Datensatz wird gerade am Arbeitsplatz „Werkstatt“ bearbeitet (seit "_qs),
             qPrintable(message));
    QTRY_COMPARE(nameB->text(), u"Haus Albrecht"_qs);
    QCOMPARE(b.recordStore()->state(), StoreState::Browse);
    QCOMPARE(notice->text(), message);
    QVERIFY(notice->isVisibleTo(&b));

    // The first desk saves: the second shows it within a second, in its
    // fields, its status panel and its overview, and may edit again.
    a.findChild<QAction *>(u"speichern"_qs)->trigger();
    QCOMPARE(a.recordStore()->state(), StoreState::Browse);
    QTRY_COMPARE_WITH_TIMEOUT(findNamed<QLabel>(&b, "status_a_name")->text(), u"Haus Albrecht-Kunz"_qs, 1000);
    QCOMPARE(nameB->text(), u"Haus Albrecht-Kunz"_qs);
    auto *grid = findNamed<QTableView>(&b, "kqgrid");
    QCOMPARE(grid->model()->index(0, 1).data().toString(), u"Haus Albrecht-Kunz"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(notice->text().isEmpty(), 1000);
    QVERIFY(!notice->isVisibleTo(&b));
    QTest::keyClick(nameB, Qt::Key_X);
    QCOMPARE(b.recordStore()->state(), StoreState::Edit);
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    b.recordStore()->cancel();
}

void TestOfficeMode::databaseDialogKeepsTheAddressButNeverThePassword()
{
    const ServerAddress test = servertest::addressOf(m_db.uri());
    Tdatenbankdlg dlg;
    dlg.showSettings();
    QVERIFY(findNamed<QRadioButton>(&dlg, "lokalradio")->isChecked());
    QVERIFY(!findNamed<QLineEdit>(&dlg, "serveredit")->isEnabled());

    findNamed<QRadioButton>(&dlg, "serverradio")->click();
    QVERIFY(findNamed<QLineEdit>(&dlg, "serveredit")->isEnabled());
    findNamed<QLineEdit>(&dlg, "serveredit")->setText(test.host);
    findNamed<QSpinBox>(&dlg, "portedit")->setValue(test.port);
    findNamed<QLineEdit>(&dlg, "datenbankedit")->setText(test.database);
    findNamed<QLineEdit>(&dlg, "benutzeredit")->setText(test.user);
    findNamed<QLineEdit>(&dlg, "passwortedit")->setText(u"geheim:1"_qs);
    findNamed<QCheckBox>(&dlg, "passwortmerken")->setChecked(true);
    auto *ssl = findNamed<QComboBox>(&dlg, "sslmodecombo");
    QCOMPARE(ssl->currentData().toString(), u"prefer"_qs);
    ssl->setCurrentIndex(ssl->findData(u"disable"_qs));
    findNamed<QLineEdit>(&dlg, "arbeitsplatzedit")->setText(u"Meisterbüro"_qs);

    findNamed<QPushButton>(&dlg, "pruefenbtn")->click();
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    QVERIFY2(MessageBox::shownTexts().first().contains(u"steht. Die Tabellen von Ofenring sind eingerichtet."_qs),
             qPrintable(MessageBox::shownTexts().first()));

    findNamed<QPushButton>(&dlg, "okbtn")->click();
    QVERIFY(!dlg.isVisible());
    QVERIFY(MessageBox::shownTexts().last().startsWith(u"Ab dem nächsten Start arbeitet das Programm mit den Tabellen auf dem"_qs));
    const QString uri = settings::databaseServer();
    ServerAddress kept;
    QVERIFY(ServerAddress::parse(uri, &kept));
    QCOMPARE(kept.host, test.host);
    QCOMPARE(kept.port, test.port);
    QCOMPARE(kept.database, test.database);
    QCOMPARE(kept.user, test.user);
    QCOMPARE(kept.sslMode(), u"disable"_qs);
    QVERIFY(kept.password.isEmpty());
    QCOMPARE(settings::deskName(), u"Meisterbüro"_qs);
    QFile ini(settings::programSettingsFilePath());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(!ini.readAll().contains("geheim"));
    // The password is in the password file, for its owner only.
    QCOMPARE(pgpass::lookup(kept), u"geheim:1"_qs);
    QCOMPARE(QFileInfo(pgpass::filePath()).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    // The connection is made with it, without being asked.
    ServerConnection desk(kept, settings::deskName());
    QVERIFY2(desk.open(), qPrintable(desk.errorString()));

    // Shown again as kept; back to the local tables.
    dlg.showSettings();
    QVERIFY(findNamed<QRadioButton>(&dlg, "serverradio")->isChecked());
    QCOMPARE(findNamed<QLineEdit>(&dlg, "datenbankedit")->text(), test.database);
    QVERIFY(findNamed<QLineEdit>(&dlg, "passwortedit")->text().isEmpty());
    QVERIFY(findNamed<QCheckBox>(&dlg, "passwortmerken")->isChecked());
    QCOMPARE(findNamed<QComboBox>(&dlg, "sslmodecombo")->currentData().toString(), u"disable"_qs);
    findNamed<QRadioButton>(&dlg, "lokalradio")->click();
    findNamed<QPushButton>(&dlg, "okbtn")->click();
    QVERIFY(settings::databaseServer().isEmpty());
}

// The tables are on the server: the program makes no copies of its own, and
// the backup commands say where the database is backed up instead.
void TestOfficeMode::officeModeLeavesTheBackupsToTheServer()
{
    auto server = servertest::openDesk(m_db.uri(), u"Werkstatt"_qs);
    TForm1 w(server.get());
    w.show();
    QVERIFY(w.tablesOpen());
    w.dailyBackup();
    findNamed<QAction>(&w, "sicherunganlegen")->trigger();
    QCOMPARE(MessageBox::shownTexts(), QStringList{RestoreBackupDialog::officeNote()});
    QVERIFY(RestoreBackupDialog::officeNote().contains(u"pg_dump"_qs));

    findNamed<QAction>(&w, "sicherungwiederherstellen")->trigger();
    auto *dialog = findNamed<RestoreBackupDialog>(&w, "sicherungdlg");
    QCOMPARE(findNamed<QLabel>(dialog, "hinweis")->text(), RestoreBackupDialog::officeNote());
    QVERIFY(!findNamed<QTreeWidget>(dialog, "sicherungsliste")->isVisible());
    QVERIFY(!findNamed<QPushButton>(dialog, "wiederherstellenbtn")->isEnabled());
    dialog->reject();
    QVERIFY(!QFileInfo::exists(u"daten/sicherung"_qs));
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestOfficeMode test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_officemode.moc"
