#include "mainwindow.h"
#include "uitestenv.h"

#include "aboutbox.h"
#include "eigentuemerdlg.h"
#include "helpwindow.h"
#include "keyboardcheck.h"
#include "ortslistdlg.h"
#include "programicon.h"
#include "raumbezdlg.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

// The main window as a keyboard user and a desktop expect it: keys in the
// overview, page switching, the save command and its mark in the caption,
// Alt letters, the dialogs' title bars, the icon and the help window.
class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir.enter(); }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

    void overviewKeysMoveThroughTheRecords();
    void enterAndDoubleClickOpenTheRecordsPage_data();
    void enterAndDoubleClickOpenTheRecordsPage();
    void ctrlTabSwitchesShownPages();
    void saveCommandSavesWithoutMoving();
    void altLettersDoNotClash();
    void dialogsHaveACloseBoxOnlyAndTheIcon();
    void helpOpensOverTheMainWindow();

private:
    template <typename T>
    static T *find(QObject *root, const char *name)
    {
        return findNamed<T>(root, name);
    }
    // A window with both mode pages, shown and active.
    static void showWithModePages(TForm1 &w)
    {
        w.installPage(TForm1::Luftverbund, new QWidget);
        w.installPage(TForm1::Aufstellungsraum, new QWidget);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    }

    UiTestDir m_dir;
};

void TestDesktop::overviewKeysMoveThroughTheRecords()
{
    QList<QVariantMap> rows;
    for (int i = 0; i < 60; ++i)
        rows.append({{u"A_Name"_qs, u"Anlage %1"_qs.arg(i)}});
    seedRecords(rows);
    TForm1 w;
    showWithModePages(w);
    auto *grid = find<QTableView>(&w, "kqgrid");
    grid->setFocus();

    QTest::keyClick(grid, Qt::Key_End);
    QCOMPARE(w.recordStore()->currentRow(), 59);
    QTest::keyClick(grid, Qt::Key_Home);
    QCOMPARE(w.recordStore()->currentRow(), 0);
    QTest::keyClick(grid, Qt::Key_PageDown);
    const int pageDown = w.recordStore()->currentRow();
    QVERIFY2(pageDown > 1 && pageDown < 59, qPrintable(QString::number(pageDown)));
    QTest::keyClick(grid, Qt::Key_PageUp);
    QCOMPARE(w.recordStore()->currentRow(), 0);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(w.recordStore()->currentRow(), 1);

    // Tab and Shift+Tab leave the grid instead of walking its cells.
    QTest::keyClick(grid, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != grid);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(QApplication::focusWidget() != grid);
    QCOMPARE(w.recordStore()->currentRow(), 1);
    QCOMPARE(grid->currentIndex().column(), 1);
}

void TestDesktop::enterAndDoubleClickOpenTheRecordsPage_data()
{
    QTest::addColumn<QVariant>("mode");
    QTest::addColumn<bool>("byEnter");
    QTest::addColumn<int>("page");
    for (bool byEnter : {true, false}) {
        const char *how = byEnter ? "Enter" : "double click";
        QTest::addRow("%s, mode 0", how) << QVariant(0) << byEnter << int(TForm1::Luftverbund);
        QTest::addRow("%s, mode 1", how) << QVariant(1) << byEnter << int(TForm1::Aufstellungsraum);
        QTest::addRow("%s, no mode", how) << QVariant() << byEnter << int(TForm1::Allgemein);
    }
}

void TestDesktop::enterAndDoubleClickOpenTheRecordsPage()
{
    QFETCH(QVariant, mode);
    QFETCH(bool, byEnter);
    QFETCH(int, page);
    QVariantMap chosen{{u"A_Name"_qs, u"Gewählt"_qs}};
    if (mode.isValid())
        chosen.insert(u"Modus"_qs, mode);
    seedRecords({{{u"Modus"_qs, 0}}, chosen});
    TForm1 w;
    showWithModePages(w);
    auto *grid = find<QTableView>(&w, "kqgrid");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(w.recordStore()->current().text(u"A_Name"_qs), u"Gewählt"_qs);
    QCOMPARE(w.activePage(), TForm1::Uebersicht);

    if (byEnter) {
        QTest::keyClick(grid, Qt::Key_Return);
    } else {
        // A double click is a click followed by its second press.
        const QRect cell = grid->visualRect(grid->model()->index(1, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    QCOMPARE(int(w.activePage()), page);
    QCOMPARE(w.recordStore()->currentRow(), 1);
}

void TestDesktop::ctrlTabSwitchesShownPages()
{
    seedRecords({{{u"Modus"_qs, 1}}, {{u"Modus"_qs, 0}}});
    TForm1 w;
    showWithModePages(w);
    auto *grid = find<QTableView>(&w, "kqgrid");
    grid->setFocus();
    // Pages whose tab is hidden (the other mode, and the pages not there yet) are skipped.
    const QList<TForm1::Page> forward{TForm1::Allgemein, TForm1::Aufstellungsraum, TForm1::Uebersicht};
    for (TForm1::Page expected : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(w.activePage(), expected);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(w.activePage(), TForm1::Aufstellungsraum);

    // Ctrl+Page Down and Up switch pages too, even from the overview grid,
    // and leave the current record where it is.
    w.setActivePage(TForm1::Uebersicht);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(w.activePage(), TForm1::Allgemein);
    QCOMPARE(w.recordStore()->currentRow(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(w.activePage(), TForm1::Uebersicht);
    QCOMPARE(w.recordStore()->currentRow(), 0);
}

void TestDesktop::saveCommandSavesWithoutMoving()
{
    seedRecords({{{u"A_Name"_qs, u"Erster"_qs}}, {{u"A_Name"_qs, u"Zweiter"_qs}}});
    TForm1 w;
    showWithModePages(w);
    w.setActivePage(TForm1::Allgemein);
    QCOMPARE(w.windowTitle(), u"Ofenring"_qs);
    const int key = w.recordStore()->currentKey();
    auto *name = find<QLineEdit>(&w, "a_nameedit");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, u"Neu"_qs);
    QCOMPARE(w.windowTitle(), u"Ofenring *"_qs);

    // Ctrl+S: saved at once, no question, still on the same record and page.
    QTest::keyClick(name, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    QCOMPARE(storedRecord(key).text(u"A_Name"_qs), u"Neu"_qs);
    QCOMPARE(w.recordStore()->currentKey(), key);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(w.activePage(), TForm1::Allgemein);
    QCOMPARE(w.windowTitle(), u"Ofenring"_qs);

    // The same from the toolbar; dropping a change clears the mark as well.
    QTest::keyClicks(name, u"r"_qs);
    QCOMPARE(w.windowTitle(), u"Ofenring *"_qs);
    QTest::mouseClick(find<QToolButton>(&w, "speichernbtn"), Qt::LeftButton);
    QCOMPARE(storedRecord(key).text(u"A_Name"_qs), u"Neur"_qs);
    QTest::keyClicks(name, u"x"_qs);
    w.recordStore()->cancel();
    QCOMPARE(w.windowTitle(), u"Ofenring"_qs);

    // The menus show the keys of their commands.
    QCOMPARE(find<QAction>(&w, "speichern")->shortcut(), QKeySequence(QKeySequence::Save));
    QCOMPARE(find<QAction>(&w, "inhalt")->shortcut(), QKeySequence(QKeySequence::HelpContents));
    QVERIFY(!find<QAction>(&w, "schliessen")->shortcut().isEmpty());
}

void TestDesktop::altLettersDoNotClash()
{
    seedRecords({{{u"Modus"_qs, 0}}});
    TForm1 w;
    showWithModePages(w);
    for (TForm1::Page p : {TForm1::Uebersicht, TForm1::Allgemein}) {
        w.setActivePage(p);
        QCOMPARE(mnemonicClashes(&w), QStringList());
    }
    // On the general page every button and every field label has its letter.
    QStringList without;
    for (QWidget *c : w.page(TForm1::Allgemein)->findChildren<QWidget *>()) {
        QString text;
        if (auto *b = qobject_cast<QPushButton *>(c))
            text = b->text();
        else if (auto *l = qobject_cast<QLabel *>(c); l && l->buddy())
            text = l->text();
        else
            continue;
        if (mnemonicOf(text).isNull())
            without << text;
    }
    QCOMPARE(without, QStringList());
    // Alt+letter of a field label goes to its field.
    QTest::keyClick(&w, Qt::Key_L, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), find<QWidget>(&w, "e_plzedit"));

    // The dialogs each have their own letters.
    w.showEigentuemerliste(false);
    auto *owners = find<Teigentuemerdlg>(&w, "Teigentuemerdlg");
    for (int page : {0, 1}) {
        owners->pages()->setCurrentIndex(page);
        QCOMPARE(mnemonicClashes(owners), QStringList());
    }
    owners->close();
    w.showOrtsliste(0);
    auto *places = find<Tortslistdlg>(&w, "Tortslistdlg");
    QCOMPARE(mnemonicClashes(places), QStringList());
    places->close();
}

void TestDesktop::dialogsHaveACloseBoxOnlyAndTheIcon()
{
    TForm1 w;
    w.show();
    QVERIFY(!w.windowIcon().isNull());
    const QList<QDialog *> dialogs{find<QDialog>(&w, "Tortslistdlg"), find<QDialog>(&w, "Traumbezdlg"),
                                   find<QDialog>(&w, "TAboutBox"), find<QDialog>(&w, "Teigentuemerdlg")};
    for (QDialog *d : dialogs) {
        const Qt::WindowFlags f = d->windowFlags();
        QVERIFY2(f.testFlag(Qt::WindowCloseButtonHint), qPrintable(d->objectName()));
        QVERIFY2(!f.testFlag(Qt::WindowMinimizeButtonHint), qPrintable(d->objectName()));
        // Only the owner list may be maximised, for a long list of owners.
        QCOMPARE(f.testFlag(Qt::WindowMaximizeButtonHint), d->objectName() == u"Teigentuemerdlg"_qs);
    }

    // The About window shows the program's icon and its whole caption.
    find<QAction>(&w, "info")->trigger();
    auto *about = find<TAboutBox>(&w, "TAboutBox");
    QVERIFY(about->isVisible());
    QCOMPARE(about->windowTitle(), u"Info"_qs);
    QVERIFY(about->width() >= about->captionWidth());
    const QPixmap shown = find<QLabel>(about, "programicon")->pixmap();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.toImage(), programIcon().pixmap(shown.size()).toImage());
    about->accept();
}

void TestDesktop::helpOpensOverTheMainWindow()
{
    TForm1 w;
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    find<QAction>(&w, "inhalt")->trigger();
    HelpWindow *help = helpWindow();
    QVERIFY(help->isVisible());
    // It belongs to the main window, so it stays in front of it, and opens
    // centred over it.
    QCOMPARE(help->parentWidget(), &w);
    QVERIFY(help->isWindow());
    QVERIFY((help->frameGeometry().center() - w.frameGeometry().center()).manhattanLength() < 40);

    // The arrow keys in the contents open the topic they reach.
    auto *contents = find<QListWidget>(help, "inhaltsliste");
    contents->setFocus();
    const QString start = help->currentTopic();
    QTest::keyClick(contents, Qt::Key_Down);
    QCOMPARE(contents->currentRow(), 1);
    QVERIFY(help->currentTopic() != start);
    QTest::keyClick(contents, Qt::Key_Up);
    QCOMPARE(help->currentTopic(), start);
    help->close();
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_desktop.moc"
