#include "eigentuemerdlg.h"
#include "ortslistdlg.h"
#include "uitestenv.h"

#include "storegrid.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QHeaderView>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(PromptButton)

class TestEigentuemerdlg : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        seedCatalog(CatalogStore::Owners, {
            {{u"Name"_qs, u"Bauer"_qs}, {u"Ort"_qs, u"Ulm"_qs}, {u"Strasse"_qs, u"B-Weg"_qs}},
            {{u"Name"_qs, u"Adler"_qs}, {u"Ort"_qs, u"Ulm"_qs}, {u"Strasse"_qs, u"A-Weg"_qs}},
            {{u"Name"_qs, u"Christ"_qs}, {u"Ort"_qs, u"Aalen"_qs}, {u"Strasse"_qs, u"C-Weg"_qs}},
        });
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

    void titlesSortAndShowHints();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void typingGoesToTheShownEntry();
    void plusThenTypingFillsTheNewEntry_data();
    void plusThenTypingFillsTheNewEntry();
    void escapeKeepsAConfirmedEntry_data();
    void escapeKeepsAConfirmedEntry();
    void ctrlSSavesTheEntryAndKeepsTheWindow();
    void gridKeepsItsRowAndFillsItsWidth();
    void lineUnderTheGridSaysHowItWorks();

private:
    // A list dialog on its own table, shown and active.
    template <typename Dialog>
    struct Open {
        CatalogStore store;
        Dialog dlg;
        explicit Open(CatalogStore::Kind kind)
            : store(kind)
            , dlg(&store)
        {
            store.setPrompter(&MessageBox::instance());
            store.open();
            dlg.showList();
            dlg.activateWindow();
        }
    };
    static QStringList column(QAbstractItemView *grid, int col)
    {
        QStringList values;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            values << grid->model()->index(r, col).data().toString();
        return values;
    }
    static QStringList names(QAbstractItemView *grid)
    {
        QStringList values;
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            values << grid->model()->index(r, 0).data().toString();
        return values;
    }
    static QPoint titleCentre(QHeaderView *header, int section)
    {
        return QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    }

    UiTestDir m_dir;
};

void TestEigentuemerdlg::titlesSortAndShowHints()
{
    CatalogStore owners(CatalogStore::Owners);
    owners.setPrompter(&MessageBox::instance());
    QVERIFY(owners.open());
    Teigentuemerdlg dlg(&owners);
    dlg.showList();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    StoreGrid *grid = dlg.grid();
    QHeaderView *header = grid->horizontalHeader();
    QCOMPARE(names(grid), (QStringList{u"Adler"_qs, u"Bauer"_qs, u"Christ"_qs}));

    // The pointing hand over the two sorting titles only.
    const struct {
        int section;
        Qt::CursorShape shape;
        QString hint;
    } titles[] = {
        {0, Qt::PointingHandCursor, u"Sortierung nach Name"_qs},
        {1, Qt::ArrowCursor, QString()},
        {3, Qt::PointingHandCursor, u"Sortierung nach Ort und Straße"_qs},
        {4, Qt::ArrowCursor, QString()},
    };
    for (const auto &t : titles) {
        QTest::mouseMove(header->viewport(), titleCentre(header, t.section));
        QCOMPARE(header->viewport()->cursor().shape(), t.shape);
        QCOMPARE(Teigentuemerdlg::titleHint(t.section), t.hint);
    }

    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, titleCentre(header, 3));
    QCOMPARE(owners.order(), CatalogStore::ortOrder);
    QCOMPARE(names(grid), (QStringList{u"Christ"_qs, u"Adler"_qs, u"Bauer"_qs}));
    // "Zusatz" does not sort.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, titleCentre(header, 1));
    QCOMPARE(owners.order(), CatalogStore::ortOrder);

    // Closed while sorted by town, it opens again by name.
    QTest::mouseClick(dlg.findChild<QWidget *>(u"okbtn"_qs), Qt::LeftButton);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(owners.order(), QString());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, titleCentre(header, 3));
    dlg.showList();
    QCOMPARE(names(grid), (QStringList{u"Adler"_qs, u"Bauer"_qs, u"Christ"_qs}));
    dlg.close();
}

void TestEigentuemerdlg::deleteAsksFirst_data()
{
    QTest::addColumn<PromptButton>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("OK deletes") << PromptButton::Ok << QStringList{u"Bauer"_qs, u"Christ"_qs};
    QTest::newRow("Abbrechen keeps") << PromptButton::Cancel << QStringList{u"Adler"_qs, u"Bauer"_qs, u"Christ"_qs};
}

void TestEigentuemerdlg::deleteAsksFirst()
{
    QFETCH(PromptButton, answer);
    QFETCH(QStringList, left);
    CatalogStore owners(CatalogStore::Owners);
    owners.setPrompter(&MessageBox::instance());
    QVERIFY(owners.open());
    Teigentuemerdlg dlg(&owners);
    dlg.showList();
    // Ctrl+Del in the grid, on the first owner.
    MessageBox::pushNextAnswer(answer);
    dlg.grid()->setFocus();
    QTest::keyClick(dlg.grid(), Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Datensatz löschen?"_qs});
    QCOMPARE(names(dlg.grid()), left);
    dlg.close();
}

void TestEigentuemerdlg::typingGoesToTheShownEntry()
{
    CatalogStore owners(CatalogStore::Owners);
    owners.setPrompter(&MessageBox::instance());
    QVERIFY(owners.open());
    Teigentuemerdlg dlg(&owners);
    dlg.showList();
    QCOMPARE(dlg.focusWidget(), static_cast<QWidget *>(dlg.grid()));
    // A new owner on the details page: the cursor waits in its first field.
    dlg.pages()->setCurrentIndex(1);
    QTest::mouseClick(dlg.findChild<QToolButton *>(u"navinsert"_qs), Qt::LeftButton);
    QCOMPARE(owners.state(), StoreState::Insert);
    QCOMPARE(dlg.focusWidget(), dlg.findChild<QWidget *>(u"anredeedit"_qs));
    dlg.close();

    // The place list cannot be typed into: a new place is entered on its details page.
    CatalogStore places(CatalogStore::Places);
    places.setPrompter(&MessageBox::instance());
    QVERIFY(places.open());
    Tortslistdlg placeDlg(&places);
    placeDlg.showList();
    QCOMPARE(placeDlg.focusWidget(), static_cast<QWidget *>(placeDlg.grid()));
    QTest::mouseClick(placeDlg.findChild<QToolButton *>(u"navinsert"_qs), Qt::LeftButton);
    QCOMPARE(placeDlg.pages()->currentWidget()->objectName(), u"details"_qs);
    QCOMPARE(placeDlg.focusWidget(), placeDlg.findChild<QWidget *>(u"plzedit"_qs));
    placeDlg.close();
}

void TestEigentuemerdlg::plusThenTypingFillsTheNewEntry_data()
{
    QTest::addColumn<bool>("owners");
    QTest::addColumn<bool>("pendingEdit");
    QTest::newRow("place list") << false << false;
    QTest::newRow("place list, Ja to the pending place") << false << true;
    QTest::newRow("owner list") << true << false;
    QTest::newRow("owner list, Ja to the pending owner") << true << true;
}

void TestEigentuemerdlg::plusThenTypingFillsTheNewEntry()
{
    QFETCH(bool, owners);
    QFETCH(bool, pendingEdit);
    seedCatalog(CatalogStore::Places, {{{u"Plz"_qs, u"89073"_qs}, {u"Ort"_qs, u"Ulm"_qs}}});
    std::unique_ptr<Open<Teigentuemerdlg>> ownerList;
    std::unique_ptr<Open<Tortslistdlg>> placeList;
    CatalogListDialog *dlg;
    if (owners) {
        ownerList = std::make_unique<Open<Teigentuemerdlg>>(CatalogStore::Owners);
        dlg = &ownerList->dlg;
    } else {
        placeList = std::make_unique<Open<Tortslistdlg>>(CatalogStore::Places);
        dlg = &placeList->dlg;
    }
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    CatalogStore *store = dlg->store();
    const int before = store->rowCount();
    const QString question = owners ? u"Daten in der Eigentümertabelle wurden geändert. Jetzt speichern?"_qs
                                    : u"Daten in der Ortetabelle wurden geändert. Jetzt speichern?"_qs;
    QStringList asked;
    if (pendingEdit) {
        // The entry on show was changed and not saved yet: "+" asks first.
        dlg->pages()->setCurrentIndex(1);
        auto *first = dlg->findChild<QLineEdit *>(owners ? u"anredeedit"_qs : u"ortedit"_qs);
        QTest::keyClicks(first, u"X"_qs);
        MessageBox::pushNextAnswer(PromptButton::Yes);
        asked << question;
    }
    QTest::mouseClick(dlg->findChild<QToolButton *>(u"navinsert"_qs), Qt::LeftButton);
    QCOMPARE(store->state(), StoreState::Insert);
    QCOMPARE(dlg->pages()->currentWidget()->objectName(), u"details"_qs);
    QWidget *typedInto = QApplication::focusWidget();
    QCOMPARE(typedInto, dlg->findChild<QWidget *>(owners ? u"anredeedit"_qs : u"plzedit"_qs));

    // Typing goes into the new entry, field by field.
    QTest::keyClicks(typedInto, owners ? u"Frau"_qs : u"70173"_qs);
    QTest::keyClick(typedInto, Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), owners ? u"Roth"_qs : u"Stuttgart"_qs);
    const Record &entry = store->current();
    QCOMPARE(entry.text(owners ? u"Anrede"_qs : u"Plz"_qs), owners ? u"Frau"_qs : u"70173"_qs);
    QCOMPARE(entry.text(owners ? u"Name"_qs : u"Ort"_qs), owners ? u"Roth"_qs : u"Stuttgart"_qs);

    // Enter takes it: saved after the question, and chosen.
    MessageBox::pushNextAnswer(PromptButton::Yes);
    asked << question;
    QSignalSpy finished(dlg, &QDialog::finished);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), int(CatalogListDialog::Ok));
    QCOMPARE(MessageBox::shownTexts(), asked);
    QCOMPARE(store->rowCount(), before + 1);
    QCOMPARE(store->state(), StoreState::Browse);
    QCOMPARE(store->current().text(owners ? u"Name"_qs : u"Ort"_qs), owners ? u"Roth"_qs : u"Stuttgart"_qs);
}

void TestEigentuemerdlg::escapeKeepsAConfirmedEntry_data()
{
    QTest::addColumn<PromptButton>("answer");
    QTest::addColumn<QString>("stored");
    QTest::newRow("Ja saves") << PromptButton::Yes << u"Neuer Weg 1"_qs;
    QTest::newRow("Nein drops, as the user chose") << PromptButton::No << u"A-Weg"_qs;
}

void TestEigentuemerdlg::escapeKeepsAConfirmedEntry()
{
    QFETCH(PromptButton, answer);
    QFETCH(QString, stored);
    Open<Teigentuemerdlg> list(CatalogStore::Owners);
    QVERIFY(QTest::qWaitForWindowActive(&list.dlg));
    StoreGrid *grid = list.dlg.grid();
    // Adler's street typed into the grid and confirmed with Enter.
    QCOMPARE(list.store.current().text(u"Name"_qs), u"Adler"_qs);
    grid->setCurrentIndex(grid->model()->index(0, 4));
    grid->setFocus();
    QTest::keyClicks(grid, u"N"_qs);   // opens the cell's editor with the key
    QTest::keyClicks(QApplication::focusWidget(), u"euer Weg 1"_qs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // The cell hands its text over once the key has been dealt with.
    QTRY_COMPARE(list.store.current().text(u"Strasse"_qs), u"Neuer Weg 1"_qs);
    QVERIFY(list.dlg.isVisible());
    QCOMPARE(list.dlg.windowTitle(), u"Eigentümer *"_qs);

    // Escape closes the window, but not over the entry's head.
    MessageBox::pushNextAnswer(answer);
    QSignalSpy finished(&list.dlg, &QDialog::finished);
    QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(!list.dlg.isVisible());
    QCOMPARE(finished.first().first().toInt(), int(CatalogListDialog::Closed));
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Daten in der Eigentümertabelle wurden geändert. Jetzt speichern?"_qs});
    CatalogStore reread(CatalogStore::Owners);
    QVERIFY(reread.open());
    QCOMPARE(reread.current().text(u"Strasse"_qs), stored);

    // "+" and Escape with nothing typed: no question, no empty owner.
    list.dlg.showList();
    list.dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&list.dlg));
    QTest::mouseClick(list.dlg.findChild<QToolButton *>(u"navinsert"_qs), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!list.dlg.isVisible());
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    QCOMPARE(list.store.rowCount(), 3);
}

void TestEigentuemerdlg::ctrlSSavesTheEntryAndKeepsTheWindow()
{
    Open<Teigentuemerdlg> list(CatalogStore::Owners);
    QVERIFY(QTest::qWaitForWindowActive(&list.dlg));
    list.dlg.pages()->setCurrentIndex(1);
    auto *street = list.dlg.findChild<QLineEdit *>(u"strasseedit"_qs);
    street->setFocus();
    street->selectAll();
    QTest::keyClicks(street, u"Gasse 3"_qs);
    QTest::keyClick(street, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    QVERIFY(list.dlg.isVisible());
    QCOMPARE(list.store.state(), StoreState::Browse);
    QCOMPARE(list.dlg.windowTitle(), u"Eigentümer"_qs);
    CatalogStore reread(CatalogStore::Owners);
    QVERIFY(reread.open());
    QCOMPARE(reread.current().text(u"Strasse"_qs), u"Gasse 3"_qs);
    list.dlg.close();
}

void TestEigentuemerdlg::gridKeepsItsRowAndFillsItsWidth()
{
    seedCatalog(CatalogStore::Places, {{{u"Plz"_qs, u"89073"_qs}, {u"Ort"_qs, u"Ulm"_qs}},
                                       {{u"Plz"_qs, u"73430"_qs}, {u"Ort"_qs, u"Aalen"_qs}}});
    Open<Tortslistdlg> list(CatalogStore::Places);
    QVERIFY(QTest::qWaitForWindowExposed(&list.dlg));
    StoreGrid *grid = list.dlg.grid();
    QCOMPARE(column(grid, 1).size(), 2);
    // The columns take the whole width of the grid, no empty strip beside them.
    QCOMPARE(grid->horizontalHeader()->length(), grid->viewport()->width());

    grid->selectRow(1);
    const QString chosen = list.store.current().text(u"Ort"_qs);
    // A click below the rows, and a Ctrl+click on the chosen row, keep it chosen.
    const QPoint below(grid->viewport()->width() / 2, grid->viewport()->height() - 5);
    QVERIFY(!grid->indexAt(below).isValid());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, below);
    const QPoint onRow = grid->visualRect(grid->model()->index(1, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, onRow);
    QVERIFY(grid->selectionModel()->isRowSelected(1, {}));
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(list.store.current().text(u"Ort"_qs), chosen);
    list.dlg.close();
}

void TestEigentuemerdlg::lineUnderTheGridSaysHowItWorks()
{
    seedCatalog(CatalogStore::Places, {{{u"Plz"_qs, u"89073"_qs}, {u"Ort"_qs, u"Ulm"_qs}}});
    const QString hint = u"F2 bearbeitet, Enter oder Doppelklick übernimmt"_qs;
    {
        Open<Teigentuemerdlg> list(CatalogStore::Owners);
        QVERIFY(QTest::qWaitForWindowActive(&list.dlg));
        auto *label = findNamed<QLabel>(&list.dlg, "gridhinweis");
        QCOMPARE(label->text(), hint);
        QVERIFY(label->isVisible());
        StoreGrid *grid = list.dlg.grid();
        QVERIFY(label->mapTo(&list.dlg, QPoint()).y() >= grid->mapTo(&list.dlg, QPoint(0, grid->height())).y());
        // F2 edits the cell in the grid; Enter takes the entry.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F2);
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(qobject_cast<QLineEdit *>(editor) && grid->isAncestorOf(editor));   // the cell's editor
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(grid));
        QSignalSpy finished(&list.dlg, &QDialog::finished);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toInt(), int(Teigentuemerdlg::Ok));
    }
    // The place list is not edited in its grid: F2 shows the entry's details.
    Open<Tortslistdlg> places(CatalogStore::Places);
    QVERIFY(QTest::qWaitForWindowActive(&places.dlg));
    QCOMPARE(findNamed<QLabel>(&places.dlg, "gridhinweis")->text(), hint);
    places.dlg.grid()->setFocus();
    QTest::keyClick(places.dlg.grid(), Qt::Key_F2);
    QCOMPARE(places.dlg.pages()->currentWidget()->objectName(), u"details"_qs);
    QCOMPARE(QApplication::focusWidget(), places.dlg.findChild<QWidget *>(u"plzedit"_qs));
    QCOMPARE(places.store.state(), StoreState::Browse);
    places.dlg.close();
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestEigentuemerdlg test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_eigentuemerdlg.moc"
