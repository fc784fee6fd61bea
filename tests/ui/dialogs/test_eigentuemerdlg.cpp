#include "eigentuemerdlg.h"
#include "ortslistdlg.h"
#include "uitestenv.h"

#include "storegrid.h"

#include <QApplication>
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

private:
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

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestEigentuemerdlg test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_eigentuemerdlg.moc"
