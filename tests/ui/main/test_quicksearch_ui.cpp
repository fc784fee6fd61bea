// The quick search above the overview as the user works it: Ctrl+F, typing,
// the count in the status line, Enter into the first record found, Escape
// back to every record with the current one kept, and moves, saves and
// printing among the records found.

#include "mainwindow.h"
#include "uitestenv.h"

#include "printcommand.h"
#include "programsettings.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QTableView>
#include <QTest>

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(focused(), k, mods);
}

} // namespace

class TestQuickSearchUi : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        QVERIFY(settings::saveOfficeName(u"Schornsteinfegerei Prüfer"_qs, nullptr));
        // Keys 1 to 4; the site of 3 is an installation room.
        seedRecords({
            {{u"Modus"_qs, 0}, {u"A_Name"_qs, u"Anlage Nord"_qs}, {u"A_Ort"_qs, u"Stuttgart"_qs},
             {u"E_Name"_qs, u"Müller"_qs}},
            {{u"Modus"_qs, 0}, {u"A_Name"_qs, u"Bäckerei"_qs}, {u"A_strasse"_qs, u"Bahnhofstraße 2"_qs},
             {u"A_Ort"_qs, u"Ulm"_qs}, {u"E_Name"_qs, u"Schmidt"_qs}},
            {{u"Modus"_qs, 1}, {u"A_Name"_qs, u"Kirche"_qs}, {u"A_Plz"_qs, u"70174"_qs}, {u"A_Ort"_qs, u"Stuttgart"_qs},
             {u"E_Name"_qs, u"Mueller-Lüdenscheidt"_qs}},
            {{u"Modus"_qs, 0}, {u"A_Name"_qs, u"Café"_qs}, {u"A_Ort"_qs, u"Esslingen"_qs}, {u"E_Name"_qs, u"Weber"_qs}},
        });
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

    void typingFindsEnterOpensEscapeKeeps();
    void movesSavesAndPrintingAmongTheRecordsFound();

private:
    UiTestDir m_dir;
};

void TestQuickSearchUi::typingFindsEnterOpensEscapeKeeps()
{
    TForm1 w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *search = findNamed<QLineEdit>(&w, "suchenedit");
    auto *grid = findNamed<QTableView>(&w, "kqgrid");
    auto *count = findNamed<QLabel>(&w, "status_anzahl");
    RecordStore *store = w.recordStore();
    QVERIFY(store->goToKey(2));
    QCOMPARE(count->text(), QString());

    // Ctrl+F from any page: the overview, the cursor in "Suchen".
    w.setActivePage(TForm1::Allgemein);
    key(Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(w.activePage(), TForm1::Uebersicht);
    QCOMPARE(focused(), static_cast<QWidget *>(search));

    // As one types: case and umlaut spellings do not count.
    QTest::keyClicks(search, u"MUELLER"_qs);
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(count->text(), u"2 von 4 Datensätzen"_qs);
    QCOMPARE(store->currentKey(), 1);   // the record current before was not found
    QCOMPARE(grid->currentIndex().row(), 0);
    QTest::keyClicks(search, u" stuttg"_qs);
    QCOMPARE(grid->model()->rowCount(), 2);
    QTest::keyClicks(search, u"art kirche  "_qs);
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(count->text(), u"1 von 4 Datensätzen"_qs);
    QCOMPARE(store->current().text(u"A_Name"_qs), u"Kirche"_qs);
    QCOMPARE(focused(), static_cast<QWidget *>(search));
    search->selectAll();
    QTest::keyClicks(search, u"baeckerei"_qs);
    QCOMPARE(store->currentKey(), 2);

    // Escape: every record again, the current one kept, the focus in the overview on it.
    key(Qt::Key_Escape);
    QCOMPARE(search->text(), QString());
    QCOMPARE(grid->model()->rowCount(), 4);
    QCOMPARE(store->currentKey(), 2);
    QCOMPARE(focused(), static_cast<QWidget *>(grid));
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(count->text(), QString());

    // Enter opens the first record found on its page, ready for typing.
    key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(search, u"stuttgart"_qs);
    QCOMPARE(store->currentKey(), 1);
    QTest::keyClicks(search, u" kir"_qs);
    QCOMPARE(store->currentKey(), 3);
    search->selectAll();
    QTest::keyClicks(search, u"stuttgart"_qs);
    QCOMPARE(store->currentKey(), 3);
    key(Qt::Key_Return);
    QCOMPARE(store->currentKey(), 1);
    QCOMPARE(w.activePage(), TForm1::Luftverbund);
    QCOMPARE(focused()->objectName(), u"RA"_qs);
    // Nothing found: no record, and Enter does nothing.
    key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(search, u"x"_qs);
    QCOMPARE(grid->model()->rowCount(), 0);
    QCOMPARE(count->text(), u"0 von 4 Datensätzen"_qs);
    key(Qt::Key_Return);
    QCOMPARE(w.activePage(), TForm1::Uebersicht);
    key(Qt::Key_Escape);
    QCOMPARE(store->currentKey(), 1);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

void TestQuickSearchUi::movesSavesAndPrintingAmongTheRecordsFound()
{
    TForm1 w;
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *search = findNamed<QLineEdit>(&w, "suchenedit");
    RecordStore *store = w.recordStore();
    key(Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(search, u"stuttgart"_qs);
    // Down goes from the search into the records found; the moves stay among them.
    key(Qt::Key_Down);
    QCOMPARE(focused()->objectName(), u"kqgrid"_qs);
    key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(store->currentKey(), 3);
    key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(store->currentKey(), 3);
    key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(store->currentKey(), 1);

    // A record changed among them is saved as any other and stays shown.
    w.setActivePage(TForm1::Allgemein);
    auto *town = findNamed<QLineEdit>(&w, "a_ortedit");
    town->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(town, u"Ulm"_qs);
    key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(storedRecord(1).text(u"A_Ort"_qs), u"Ulm"_qs);
    QCOMPARE(store->rowCount(), 2);
    QCOMPARE(store->currentKey(), 1);

    // Printing narrows the table to the record and gives back the records found.
    QVERIFY(store->goToKey(3));
    w.printCommand()->printDialog = [&](QPrinter &printer, int, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.dir->filePath(u"kirche.pdf"_qs));
        return true;
    };
    w.findChild<QAction *>(u"drucken"_qs)->trigger();
    QVERIFY(QFile::exists(m_dir.dir->filePath(u"kirche.pdf"_qs)));
    QVERIFY(!store->isRestricted());
    QCOMPARE(store->rowCount(), 2);
    QCOMPARE(store->currentKey(), 3);
    QCOMPARE(findNamed<QLabel>(&w, "status_anzahl")->text(), u"2 von 4 Datensätzen"_qs);
    QCOMPARE(search->text(), u"stuttgart"_qs);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestQuickSearchUi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_quicksearch_ui.moc"
