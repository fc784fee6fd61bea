#include "mainwindow.h"
#include "uitestenv.h"

#include "eigentuemerdlg.h"
#include "helpwindow.h"
#include "ortslistdlg.h"
#include "raumbezdlg.h"
#include "settingsfile.h"
#include "printsettings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(PromptButton)

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir.enter(); }
    void cleanup()
    {
        TableStore::setTestPragmas({});
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

    void startsOnOverviewWithFirstRecord();
    void foreignTableStopsTheStartUntouched();
    void moveWithChangedRecord_data();
    void moveWithChangedRecord();
    void closeAndShutdown_data();
    void closeAndShutdown();
    void readOnlyDataIsAnnouncedAndClosingIsNoTrap_data();
    void readOnlyDataIsAnnouncedAndClosingIsNoTrap();
    void closeAsksForAnOwnerPutOff_data();
    void closeAsksForAnOwnerPutOff();
    void sortTogglesFormOneGroup();
    void overviewDoubleClickOpensModePage_data();
    void overviewDoubleClickOpensModePage();
    void moveKeepsTheUserOnTheModePage_data();
    void moveKeepsTheUserOnTheModePage();
    void ownerListTakeOver_data();
    void ownerListTakeOver();
    void placeListFillsSiteOrOwner_data();
    void placeListFillsSiteOrOwner();
    void roomNameDialogCreatesFile();
    void roomNameDialogStaysOpenWhenFileCannotBeWritten();
    void listDialogOkWithoutAnEditKeepsTheFile_data();
    void listDialogOkWithoutAnEditKeepsTheFile();
    void listFileThatIsNoListIsRefused();
    void helpKeyAndButtonsOpenTheirTopics();

private:
    template <typename T>
    static T *find(QObject *root, const char *name)
    {
        return findNamed<T>(root, name);
    }
    static void typeInto(TForm1 &w, const char *field, const QString &text)
    {
        auto *edit = find<QLineEdit>(&w, field);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    UiTestDir m_dir;
};

void TestMainWindow::foreignTableStopsTheStartUntouched()
{
    // Another program's file under our name: the user is told which file, the
    // window does not open on it, and not a byte of it changes.
    QDir().mkpath(u"daten"_qs);
    QByteArray foreign("Kein Datenbestand von Ofenring\r\n");
    foreign += QByteArray(5000, '\x7f');
    {
        QFile f(u"daten/kq.db"_qs);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(foreign);
    }
    {
        TForm1 w;
        QVERIFY(!w.tablesOpen());
        const QStringList shown = MessageBox::shownTexts();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(u"kq.db"_qs), qPrintable(shown.first()));
    }
    QFile f(u"daten/kq.db"_qs);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), foreign);
}

void TestMainWindow::startsOnOverviewWithFirstRecord()
{
    seedRecords({{{u"A_Name"_qs, u"Erster"_qs}, {u"Modus"_qs, 0}}, {{u"A_Name"_qs, u"Zweiter"_qs}}});
    TForm1 w;
    w.show();
    QVERIFY(w.tablesOpen());
    QCOMPARE(w.windowTitle(), u"Ofenring"_qs);
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.activePage(), TForm1::Uebersicht);
    QCOMPARE(find<QLineEdit>(&w, "a_nameedit")->text(), u"Erster"_qs);
    QVERIFY(find<QCheckBox>(&w, "aenderungsabfrage")->isChecked());
    QVERIFY(!find<QToolButton>(&w, "sorteigentuemerbtn")->isChecked());
    QVERIFY(!find<QToolButton>(&w, "sortortbtn")->isChecked());
    // The commands of the menus and the general page are there and enabled.
    QVERIFY(find<QAction>(&w, "druckvorschau")->isEnabled());
    QVERIFY(find<QAction>(&w, "drucken")->isEnabled());
    QVERIFY(find<QAction>(&w, "kopfzeilen")->isEnabled());
    QVERIFY(find<QAction>(&w, "eigentuemerliste")->isEnabled());
    QVERIFY(find<QPushButton>(&w, "importbtn")->isEnabled());
    // Every dialog exists once, hidden.
    QVERIFY(!find<Teigentuemerdlg>(&w, "Teigentuemerdlg")->isVisible());
    QVERIFY(!find<Tortslistdlg>(&w, "Tortslistdlg")->isVisible());
    QVERIFY(!find<Traumbezdlg>(&w, "Traumbezdlg")->isVisible());
    QVERIFY(!find<QDialog>(&w, "Tkopfzeilendlg")->isVisible());
    auto *grid = find<QTableView>(&w, "kqgrid");
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->model()->headerData(10, Qt::Horizontal).toString(), u"Eigent.  PLZ"_qs);
    QVERIFY(grid->isColumnHidden(0));
    QCOMPARE(grid->columnWidth(1), 149);
    // Columns without a given width still show their whole title.
    for (int column : {4, 10}) {
        const QString title = grid->model()->headerData(column, Qt::Horizontal).toString();
        QVERIFY2(grid->columnWidth(column) > grid->horizontalHeader()->fontMetrics().horizontalAdvance(title), qPrintable(title));
    }

    // Tab walks the general data page in reading order, each button after its fields.
    const QStringList readingOrder{
        u"modus0"_qs, u"modus1"_qs, u"a_nameedit"_qs, u"a_zusatzedit"_qs, u"a_strasseedit"_qs,
        u"a_gebteiledit"_qs, u"a_plzedit"_qs, u"a_ortedit"_qs, u"ortslistbtn"_qs, u"eigentlistbtn"_qs,
        u"e_anredeedit"_qs, u"e_nameedit"_qs, u"e_zusatzedit"_qs, u"e_strasseedit"_qs, u"e_plzedit"_qs,
        u"e_ortedit"_qs, u"ortslistbtn2"_qs, u"e_teledit"_qs, u"e_faxedit"_qs, u"importbtn"_qs, u"allghilfebtn"_qs};
    QStringList walked;
    for (QWidget *f = find<QWidget>(&w, "modus0"); walked.size() < readingOrder.size(); f = f->nextInFocusChain()) {
        if (readingOrder.contains(f->objectName()) && !walked.contains(f->objectName()))
            walked << f->objectName();
        if (f->nextInFocusChain() == find<QWidget>(&w, "modus0"))
            break;
    }
    QCOMPARE(walked, readingOrder);

    // Selecting a row in the overview makes that record current.
    grid->selectRow(1);
    QCOMPARE(w.recordStore()->currentRow(), 1);
    QCOMPARE(find<QLineEdit>(&w, "a_nameedit")->text(), u"Zweiter"_qs);
}

void TestMainWindow::moveWithChangedRecord_data()
{
    QTest::addColumn<PromptButton>("answer");
    QTest::addColumn<int>("rowAfter");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("shownName");
    QTest::addColumn<bool>("stillPending");
    QTest::newRow("Ja saves and moves") << PromptButton::Yes << 1 << u"Neu"_qs << u"Zweiter"_qs << false;
    QTest::newRow("Nein drops and stays") << PromptButton::No << 0 << u"Erster"_qs << u"Erster"_qs << false;
    QTest::newRow("Abbrechen keeps the change") << PromptButton::Cancel << 0 << u"Erster"_qs << u"Neu"_qs << true;
}

void TestMainWindow::moveWithChangedRecord()
{
    QFETCH(PromptButton, answer);
    QFETCH(int, rowAfter);
    QFETCH(QString, storedName);
    QFETCH(QString, shownName);
    QFETCH(bool, stillPending);

    seedRecords({{{u"A_Name"_qs, u"Erster"_qs}}, {{u"A_Name"_qs, u"Zweiter"_qs}}});
    TForm1 w;
    w.show();
    const int firstKey = w.recordStore()->currentKey();
    w.setActivePage(TForm1::Allgemein);
    typeInto(w, "a_nameedit", u"Neu"_qs);
    QCOMPARE(w.recordStore()->state(), StoreState::Edit);

    MessageBox::pushNextAnswer(answer);
    QTest::mouseClick(find<QToolButton>(&w, "navnext"), Qt::LeftButton);

    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Daten wurden geändert. Jetzt speichern?"_qs});
    QCOMPARE(w.recordStore()->currentRow(), rowAfter);
    QCOMPARE(find<QLineEdit>(&w, "a_nameedit")->text(), shownName);
    QCOMPARE(w.recordStore()->isModified(), stillPending);
    QCOMPARE(storedRecord(firstKey).text(u"A_Name"_qs), storedName);
    // The overview shows what the record holds now.
    QCOMPARE(find<QTableView>(&w, "kqgrid")->model()->index(0, 1).data().toString(),
             stillPending ? u"Neu"_qs : storedName);
}

void TestMainWindow::closeAndShutdown_data()
{
    QTest::addColumn<PromptButton>("closeAnswer");
    QTest::addColumn<PromptButton>("saveAnswer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<bool>("stillPending");
    QTest::newRow("Abbrechen to closing") << PromptButton::Cancel << PromptButton::None << false << u"Alt"_qs << true;
    QTest::newRow("OK, Ja") << PromptButton::Ok << PromptButton::Yes << true << u"Neu"_qs << false;
    QTest::newRow("OK, Nein") << PromptButton::Ok << PromptButton::No << true << u"Alt"_qs << false;
    // Abbrechen to the save question keeps the program open with the change.
    QTest::newRow("OK, Abbrechen") << PromptButton::Ok << PromptButton::Cancel << false << u"Alt"_qs << true;
}

void TestMainWindow::closeAndShutdown()
{
    QFETCH(PromptButton, closeAnswer);
    QFETCH(PromptButton, saveAnswer);
    QFETCH(bool, closed);
    QFETCH(QString, storedName);
    QFETCH(bool, stillPending);

    seedRecords({{{u"E_Name"_qs, u"Alt"_qs}}});
    TForm1 w;
    w.show();
    const int key = w.recordStore()->currentKey();
    typeInto(w, "e_nameedit", u"Neu"_qs);

    QStringList expected{u"Programm wirklich schließen?"_qs};
    MessageBox::pushNextAnswer(closeAnswer);
    if (saveAnswer != PromptButton::None) {
        MessageBox::pushNextAnswer(saveAnswer);
        expected << u"Daten wurden geändert. Jetzt speichern?"_qs;
    }
    QSignalSpy finished(&w, &TForm1::shutdownFinished);
    find<QAction>(&w, "schliessen")->trigger();

    QCOMPARE(MessageBox::shownTexts(), expected);
    QCOMPARE(w.isVisible(), !closed);
    QCOMPARE(finished.count(), closed ? 1 : 0);
    QCOMPARE(w.recordStore()->isModified(), stillPending);
    if (stillPending)
        QCOMPARE(find<QLineEdit>(&w, "e_nameedit")->text(), u"Neu"_qs);
    QCOMPARE(storedRecord(key).text(u"E_Name"_qs), storedName);
    // The default room height goes back to the settings file only on the way out.
    SettingsFile ini(settings::settingsFilePath());
    QCOMPARE(ini.load() && ini.contains(u"VKQ"_qs, u"Hoehe"_qs), closed);
    if (closed)
        QCOMPARE(ini.value(u"vkq"_qs, u"hoehe"_qs), u"2,7"_qs);
    QFile::remove(settings::settingsFilePath());
}

void TestMainWindow::readOnlyDataIsAnnouncedAndClosingIsNoTrap_data()
{
    QTest::addColumn<PromptButton>("closeWithoutSaving");
    QTest::newRow("Nein keeps the window and the change") << PromptButton::No;
    QTest::newRow("Ja closes, the change is lost") << PromptButton::Yes;
}

void TestMainWindow::readOnlyDataIsAnnouncedAndClosingIsNoTrap()
{
    QFETCH(PromptButton, closeWithoutSaving);
    seedRecords({{{u"E_Name"_qs, u"Alt"_qs}}});
    // Every table on a read-only medium.
    TableStore::setTestPragmas(u"PRAGMA query_only = 1"_qs);
    TForm1 w;
    TableStore::setTestPragmas({});
    QVERIFY(w.tablesOpen());
    QCOMPARE(MessageBox::shownTexts(),
             QStringList{u"Das Datenverzeichnis \"daten\" ist schreibgeschützt. Sie können die Daten ansehen, "
                         "aber Änderungen lassen sich nicht speichern."_qs});
    w.show();
    const int key = w.recordStore()->currentKey();
    typeInto(w, "e_nameedit", u"Neu"_qs);

    MessageBox::resetScript();
    MessageBox::pushNextAnswer(PromptButton::Ok);    // Programm wirklich schließen?
    MessageBox::pushNextAnswer(PromptButton::Yes);   // Jetzt speichern?
    MessageBox::pushNextAnswer(PromptButton::Ok);    // why the save failed
    MessageBox::pushNextAnswer(closeWithoutSaving);
    QSignalSpy finished(&w, &TForm1::shutdownFinished);
    find<QAction>(&w, "schliessen")->trigger();
    QCOMPARE(MessageBox::shownTexts(),
             (QStringList{u"Programm wirklich schließen?"_qs, u"Daten wurden geändert. Jetzt speichern?"_qs,
                          u"Der Datensatz kann nicht in der Datei \"daten/kq.db\" gespeichert werden: "
                          "Die Tabelle ist schreibgeschützt."_qs,
                          u"Die Änderungen lassen sich nicht speichern. Programm ohne Speichern beenden? "
                          "Die Änderungen am Datensatz %1 gehen dann verloren."_qs.arg(key)}));
    const bool closed = closeWithoutSaving == PromptButton::Yes;
    QCOMPARE(finished.count(), closed ? 1 : 0);
    QCOMPARE(w.isVisible(), !closed);
    QCOMPARE(w.recordStore()->isModified(), !closed);
    QCOMPARE(storedRecord(key).text(u"E_Name"_qs), u"Alt"_qs);
    QFile::remove(settings::settingsFilePath());
}

void TestMainWindow::closeAsksForAnOwnerPutOff_data()
{
    QTest::addColumn<PromptButton>("saveAnswer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QString>("storedStreet");
    QTest::newRow("Ja saves and closes") << PromptButton::Yes << true << u"Neue Str. 2"_qs;
    QTest::newRow("Nein drops and closes") << PromptButton::No << true << u"Alte Str. 1"_qs;
    QTest::newRow("Abbrechen stays open") << PromptButton::Cancel << false << u"Alte Str. 1"_qs;
}

void TestMainWindow::closeAsksForAnOwnerPutOff()
{
    QFETCH(PromptButton, saveAnswer);
    QFETCH(bool, closed);
    QFETCH(QString, storedStreet);
    const QString question = u"Daten in der Eigentümertabelle wurden geändert. Jetzt speichern?"_qs;

    seedCatalog(CatalogStore::Owners, {{{u"Name"_qs, u"Müller"_qs}, {u"Strasse"_qs, u"Alte Str. 1"_qs}}});
    TForm1 w;
    w.show();
    // The owner's new street is put off with "Abbrechen" when the list closes.
    find<QAction>(&w, "eigentuemerliste")->trigger();
    auto *dlg = find<Teigentuemerdlg>(&w, "Teigentuemerdlg");
    auto *street = find<QLineEdit>(dlg, "strasseedit");
    street->selectAll();
    QTest::keyClicks(street, u"Neue Str. 2"_qs);
    MessageBox::pushNextAnswer(PromptButton::Cancel);
    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(w.ownerStore()->state(), StoreState::Edit);

    MessageBox::pushNextAnswer(PromptButton::Ok);
    MessageBox::pushNextAnswer(saveAnswer);
    w.close();
    QCOMPARE(MessageBox::shownTexts(), (QStringList{question, u"Programm wirklich schließen?"_qs, question}));
    QCOMPARE(w.isVisible(), !closed);
    QCOMPARE(w.ownerStore()->isModified(), !closed);
    CatalogStore stored(CatalogStore::Owners);
    QVERIFY(stored.open());
    QCOMPARE(stored.current().text(u"Strasse"_qs), storedStreet);
}

void TestMainWindow::sortTogglesFormOneGroup()
{
    // Created in this order: keys 1, 2, 3.
    seedRecords({
        {{u"A_Plz"_qs, u"20000"_qs}, {u"E_Name"_qs, u"Bauer"_qs}},
        {{u"A_Plz"_qs, u"30000"_qs}, {u"E_Name"_qs, u"Adler"_qs}},
        {{u"A_Plz"_qs, u"10000"_qs}, {u"E_Name"_qs, u"Christ"_qs}},
    });
    TForm1 w;
    w.show();
    auto *grid = find<QTableView>(&w, "kqgrid");
    auto *byOwner = find<QToolButton>(&w, "sorteigentuemerbtn");
    auto *bySite = find<QToolButton>(&w, "sortortbtn");
    auto column = [grid](int col) {
        QStringList values;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            values << grid->model()->index(r, col).data().toString();
        return values;
    };
    grid->selectRow(1);   // "Adler" stays current through every switch
    const int adler = w.recordStore()->currentKey();

    QTest::mouseClick(bySite, Qt::LeftButton);
    QVERIFY(bySite->isChecked());
    QCOMPARE(column(5), (QStringList{u"10000"_qs, u"20000"_qs, u"30000"_qs}));

    QTest::mouseClick(byOwner, Qt::LeftButton);
    QVERIFY(byOwner->isChecked());
    QVERIFY(!bySite->isChecked());
    QCOMPARE(w.recordStore()->order(), RecordStore::nameIndex);
    QCOMPARE(column(7), (QStringList{u"Adler"_qs, u"Bauer"_qs, u"Christ"_qs}));
    QCOMPARE(w.recordStore()->currentKey(), adler);
    QCOMPARE(grid->currentIndex().row(), 0);

    QTest::mouseClick(byOwner, Qt::LeftButton);
    QVERIFY(!byOwner->isChecked());
    QVERIFY(!bySite->isChecked());
    QCOMPARE(w.recordStore()->order(), QString());
    QCOMPARE(column(7), (QStringList{u"Bauer"_qs, u"Adler"_qs, u"Christ"_qs}));
    QCOMPARE(w.recordStore()->currentKey(), adler);
    QCOMPARE(grid->currentIndex().row(), 1);
}

void TestMainWindow::overviewDoubleClickOpensModePage_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("page");
    QTest::newRow("Luftverbund") << 0 << int(TForm1::Luftverbund);
    QTest::newRow("Aufstellungsraum") << 1 << int(TForm1::Aufstellungsraum);
}

void TestMainWindow::overviewDoubleClickOpensModePage()
{
    QFETCH(int, mode);
    QFETCH(int, page);
    seedRecords({{{u"Modus"_qs, 1 - mode}}, {{u"Modus"_qs, mode}}});
    TForm1 w;
    w.show();
    auto *grid = find<QTableView>(&w, "kqgrid");
    QCOMPARE(w.isTabShown(TForm1::Luftverbund), mode == 1);   // first record has the other mode

    grid->selectRow(1);
    QCOMPARE(w.activePage(), TForm1::Uebersicht);
    QCOMPARE(w.isTabShown(TForm1::Luftverbund), mode == 0);
    QCOMPARE(w.isTabShown(TForm1::Aufstellungsraum), mode == 1);
    const QRect cell = grid->visualRect(grid->model()->index(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(int(w.activePage()), page);
}

void TestMainWindow::moveKeepsTheUserOnTheModePage_data()
{
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("pageAfterMove");
    QTest::newRow("from a mode page to the new mode's page") << int(TForm1::Luftverbund) << int(TForm1::Aufstellungsraum);
    QTest::newRow("other pages stay") << int(TForm1::Allgemein) << int(TForm1::Allgemein);
}

void TestMainWindow::moveKeepsTheUserOnTheModePage()
{
    QFETCH(int, startPage);
    QFETCH(int, pageAfterMove);
    seedRecords({{{u"Modus"_qs, 0}}, {{u"Modus"_qs, 1}}, {}});
    TForm1 w;
    w.show();
    w.setActivePage(TForm1::Page(startPage));
    QTest::mouseClick(find<QToolButton>(&w, "navnext"), Qt::LeftButton);
    QCOMPARE(int(w.activePage()), pageAfterMove);
    QVERIFY(!w.isTabShown(TForm1::Luftverbund));

    // A record without a mode shows neither mode page.
    QTest::mouseClick(find<QToolButton>(&w, "navnext"), Qt::LeftButton);
    QVERIFY(!w.isTabShown(TForm1::Luftverbund));
    QVERIFY(!w.isTabShown(TForm1::Aufstellungsraum));
}

void TestMainWindow::ownerListTakeOver_data()
{
    QTest::addColumn<QString>("closeBy");
    QTest::addColumn<bool>("ownerSaved");
    QTest::addColumn<bool>("takenOver");
    QTest::newRow("OK saves and takes over") << u"okbtn"_qs << true << true;
    QTest::newRow("Abbrechen saves, takes nothing") << u"abbrechenbtn"_qs << true << false;
    // The close box no longer drops what was typed: it is saved after the question.
    QTest::newRow("close box saves, takes nothing") << u"closebox"_qs << true << false;
}

void TestMainWindow::ownerListTakeOver()
{
    QFETCH(QString, closeBy);
    QFETCH(bool, ownerSaved);
    QFETCH(bool, takenOver);

    seedRecords({{{u"E_Name"_qs, u"Vorher"_qs}, {u"E_tel"_qs, u"0711 123"_qs}, {u"E_fax"_qs, u"0711 124"_qs}}});
    // An owner without telephone number.
    seedCatalog(CatalogStore::Owners, {{{u"Name"_qs, u"Müller"_qs}, {u"Anrede"_qs, u"Herrn"_qs},
                                        {u"Strasse"_qs, u"Alte Str. 1"_qs}, {u"Plz"_qs, u"70173"_qs},
                                        {u"Ort"_qs, u"Stuttgart"_qs}}});
    TForm1 w;
    w.show();
    w.setActivePage(TForm1::Allgemein);
    QTest::mouseClick(find<QPushButton>(&w, "eigentlistbtn"), Qt::LeftButton);
    auto *dlg = find<Teigentuemerdlg>(&w, "Teigentuemerdlg");
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), u"Eigentümer"_qs);

    // Change the owner's street on the page "Details".
    auto *street = find<QLineEdit>(dlg, "strasseedit");
    QCOMPARE(street->text(), u"Alte Str. 1"_qs);
    street->selectAll();
    QTest::keyClicks(street, u"Neue Str. 2"_qs);

    MessageBox::pushNextAnswer(PromptButton::Yes);
    if (closeBy == u"closebox"_qs)
        dlg->close();
    else
        QTest::mouseClick(find<QPushButton>(dlg, closeBy.toLatin1().constData()), Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Daten in der Eigentümertabelle wurden geändert. Jetzt speichern?"_qs});
    QVERIFY(!dlg->isVisible());

    QCOMPARE(w.ownerStore()->current().text(u"Strasse"_qs), ownerSaved ? u"Neue Str. 2"_qs : u"Alte Str. 1"_qs);
    QCOMPARE(w.ownerStore()->isModified(), false);
    const Record &r = w.recordStore()->current();
    if (takenOver) {
        QCOMPARE(w.recordStore()->state(), StoreState::Edit);
        QCOMPARE(r.text(u"E_Name"_qs), u"Müller"_qs);
        QCOMPARE(r.text(u"E_anrede"_qs), u"Herrn"_qs);
        QCOMPARE(r.text(u"E_strasse"_qs), u"Neue Str. 2"_qs);
        QCOMPARE(r.text(u"E_ort"_qs), u"Stuttgart"_qs);
        // Empty values are taken over too.
        QVERIFY(r.isNull(u"E_tel"_qs));
        QVERIFY(r.isNull(u"E_fax"_qs));
        QCOMPARE(find<QLineEdit>(&w, "e_teledit")->text(), QString());
        QCOMPARE(find<QLineEdit>(&w, "e_nameedit")->text(), u"Müller"_qs);
    } else {
        QCOMPARE(w.recordStore()->state(), StoreState::Browse);
        QCOMPARE(r.text(u"E_Name"_qs), u"Vorher"_qs);
        QCOMPARE(r.text(u"E_tel"_qs), u"0711 123"_qs);
    }
}

void TestMainWindow::placeListFillsSiteOrOwner_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("plzField");
    QTest::addColumn<QString>("ortField");
    QTest::newRow("site") << u"ortslistbtn"_qs << u"A_Plz"_qs << u"A_Ort"_qs;
    QTest::newRow("owner") << u"ortslistbtn2"_qs << u"E_plz"_qs << u"E_ort"_qs;
}

void TestMainWindow::placeListFillsSiteOrOwner()
{
    QFETCH(QString, button);
    QFETCH(QString, plzField);
    QFETCH(QString, ortField);
    seedRecords({{{u"A_Ort"_qs, u"Alt"_qs}, {u"E_ort"_qs, u"Alt"_qs}}});
    seedCatalog(CatalogStore::Places, {{{u"Plz"_qs, u"70173"_qs}, {u"Ort"_qs, u"Stuttgart"_qs}},
                                       {{u"Plz"_qs, u"80331"_qs}, {u"Ort"_qs, u"München"_qs}}});
    TForm1 w;
    w.show();
    w.setActivePage(TForm1::Allgemein);
    QTest::mouseClick(find<QPushButton>(&w, button.toLatin1().constData()), Qt::LeftButton);
    auto *dlg = find<Tortslistdlg>(&w, "Tortslistdlg");
    QVERIFY(dlg->isVisible());
    auto *grid = find<QTableView>(dlg, "ortsgrid");
    QCOMPARE(grid->model()->rowCount(), 2);
    // A double click on a row takes it.
    const QRect cell = grid->visualRect(grid->model()->index(1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(!dlg->isVisible());

    const Record &r = w.recordStore()->current();
    QCOMPARE(r.text(plzField), u"80331"_qs);
    QCOMPARE(r.text(ortField), u"München"_qs);
    const QString other = ortField.startsWith(u'A') ? u"E_ort"_qs : u"A_Ort"_qs;
    QCOMPARE(r.text(other), u"Alt"_qs);

    // Opened from the menu, the list is for upkeep only.
    w.recordStore()->cancel();
    find<QAction>(&w, "ortsliste")->trigger();
    QVERIFY(dlg->isVisible());
    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(w.recordStore()->current().text(ortField), u"Alt"_qs);
}

void TestMainWindow::roomNameDialogCreatesFile()
{
    TForm1 w;
    w.show();
    find<QAction>(&w, "raumbezeichnungen")->trigger();
    auto *dlg = find<Traumbezdlg>(&w, "Traumbezdlg");
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), u"Raumbezeichnungen"_qs);
    QCOMPARE(dlg->lines(), TextLists::builtinRoomNames());
    QVERIFY(!QFile::exists(u"daten/raeume.txt"_qs));

    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QVERIFY(!dlg->isVisible());
    QFile file(u"daten/raeume.txt"_qs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.count("\r\n"), 18);
    QVERIFY(bytes.startsWith("Abstellkammer\r\nArbeitszimmer\r\n"));
    QVERIFY(bytes.contains("B\xfc" "ro\r\n"));   // Windows-1252
    QVERIFY(bytes.endsWith("Wohnzimmer\r\n"));

    // A name added in the dialog becomes a choice; the appliance list starts empty.
    find<QAction>(&w, "raumbezeichnungen")->trigger();
    dlg->editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(dlg->editor(), Qt::Key_Return);
    QTest::keyClicks(dlg->editor(), u"Wintergarten"_qs);
    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QCOMPARE(w.textLists().choices(TextLists::RoomNames).size(), 19);
    QCOMPARE(w.textLists().choices(TextLists::RoomNames).last(), u"Wintergarten"_qs);

    find<QAction>(&w, "feuerstaettenliste")->trigger();
    QCOMPARE(dlg->windowTitle(), u"Feuerstätten"_qs);
    QCOMPARE(dlg->editor()->toPlainText(), QString());
    dlg->reject();
    QVERIFY(!QFile::exists(u"daten/feuerst.txt"_qs));
}

void TestMainWindow::roomNameDialogStaysOpenWhenFileCannotBeWritten()
{
    TForm1 w;
    w.show();
    // A directory where the list file belongs: the file cannot be created.
    QVERIFY(QDir().mkpath(u"daten/raeume.txt"_qs));
    find<QAction>(&w, "raumbezeichnungen")->trigger();
    auto *dlg = find<Traumbezdlg>(&w, "Traumbezdlg");
    dlg->editor()->moveCursor(QTextCursor::End);
    QTest::keyClick(dlg->editor(), Qt::Key_Return);
    QTest::keyClicks(dlg->editor(), u"Wintergarten"_qs);

    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Datei daten/raeume.txt kann nicht erstellt werden"_qs});
    // The typed list is still there to try again; the choices are unchanged.
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->lines().last(), u"Wintergarten"_qs);
    QCOMPARE(w.textLists().choices(TextLists::RoomNames), TextLists::builtinRoomNames());

    QVERIFY(QDir().rmdir(u"daten/raeume.txt"_qs));
    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(w.textLists().choices(TextLists::RoomNames).last(), u"Wintergarten"_qs);
}

void TestMainWindow::listDialogOkWithoutAnEditKeepsTheFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("afterAnEdit");   // with "Sauna" added at the end
    QTest::newRow("non-breaking space")
        << QByteArray("G\xe4ste\xa0WC\r\nBad\r\n") << QByteArray("G\xe4ste\xa0WC\r\nBad\r\nSauna\r\n");
    QTest::newRow("UTF-16") << QByteArray("\xff\xfe" "B\0a\0d\0\r\0\n\0", 12)
                            << QByteArray("\xff\xfe" "B\0a\0d\0\r\0\n\0S\0a\0u\0n\0a\0\r\0\n\0", 26);
    QTest::newRow("empty last entry, LF") << QByteArray("Bad\n\n") << QByteArray("Bad\r\nSauna\r\n");
}

void TestMainWindow::listDialogOkWithoutAnEditKeepsTheFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, afterAnEdit);
    QDir().mkpath(u"daten"_qs);
    const auto writeList = [&](const QByteArray &b) {
        QFile f(u"daten/raeume.txt"_qs);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(b);
    };
    const auto readList = [] {
        QFile f(u"daten/raeume.txt"_qs);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    writeList(bytes);
    TForm1 w;
    w.show();
    auto *dlg = find<Traumbezdlg>(&w, "Traumbezdlg");
    find<QAction>(&w, "raumbezeichnungen")->trigger();
    QVERIFY(dlg->isVisible());
    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(readList(), bytes);

    // An edit writes the list, in the file's encoding, with what the editor showed.
    find<QAction>(&w, "raumbezeichnungen")->trigger();
    dlg->editor()->moveCursor(QTextCursor::End);
    if (!dlg->editor()->toPlainText().endsWith(u'\n'))
        QTest::keyClick(dlg->editor(), Qt::Key_Return);
    QTest::keyClicks(dlg->editor(), u"Sauna"_qs);
    QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    QCOMPARE(readList(), afterAnEdit);
}

void TestMainWindow::listFileThatIsNoListIsRefused()
{
    QDir().mkpath(u"daten"_qs);
    const QByteArray picture("\xff\xd8\xff\xe0\0\x10JFIF\0", 11);
    {
        QFile f(u"daten/feuerst.txt"_qs);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(picture);
    }
    const QString refusal = u"Die Datei daten/feuerst.txt ist keine Textdatei. Sie wird nicht als Liste verwendet "
                            "und bleibt unverändert."_qs;
    TForm1 w;
    w.show();
    QTRY_COMPARE(MessageBox::shownTexts(), QStringList{refusal});
    QVERIFY(w.textLists().choices(TextLists::ApplianceTypes).isEmpty());

    find<QAction>(&w, "feuerstaettenliste")->trigger();
    QVERIFY(!find<Traumbezdlg>(&w, "Traumbezdlg")->isVisible());
    QCOMPARE(MessageBox::shownTexts().last(),
             refusal + u"\n\nUm die Liste hier zu bearbeiten, ersetzen oder löschen Sie die Datei."_qs);
    QFile f(u"daten/feuerst.txt"_qs);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), picture);
}

void TestMainWindow::helpKeyAndButtonsOpenTheirTopics()
{
    TForm1 w;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.setActivePage(TForm1::Allgemein);

    QTest::mouseClick(find<QPushButton>(&w, "allghilfebtn"), Qt::LeftButton);
    QVERIFY(helpWindow()->isVisible());
    QCOMPARE(helpWindow()->currentTopic(), u"allgemeine angaben.htm"_qs);

    // F1 anywhere in the main window opens the start topic.
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(find<QLineEdit>(&w, "a_nameedit"), Qt::Key_F1);
    QCOMPARE(helpWindow()->currentTopic(), QString());

    find<QAction>(&w, "raumbezeichnungen")->trigger();
    auto *dlg = find<Traumbezdlg>(&w, "Traumbezdlg");
    QTest::mouseClick(find<QPushButton>(dlg, "hilfebtn"), Qt::LeftButton);
    QCOMPARE(helpWindow()->currentTopic(), u"raumbezeichnungen.htm"_qs);
    dlg->reject();
    // F1 in the list dialog opens the topic of the list being edited.
    helpWindow()->close();
    find<QAction>(&w, "feuerstaettenliste")->trigger();
    QApplication::setActiveWindow(dlg);
    QCOMPARE(QApplication::activeWindow(), dlg);
    QTest::keyClick(dlg->editor(), Qt::Key_F1);
    QCOMPARE(helpWindow()->currentTopic(), u"feuerstaettenliste.htm"_qs);
    dlg->reject();

    w.showEigentuemerliste(false);
    auto *owners = find<Teigentuemerdlg>(&w, "Teigentuemerdlg");
    QTest::mouseClick(find<QPushButton>(owners, "hilfebtn"), Qt::LeftButton);
    QCOMPARE(helpWindow()->currentTopic(), u"eigentuemerliste.htm"_qs);
    owners->close();
    helpWindow()->close();
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
