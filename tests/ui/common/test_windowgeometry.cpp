#include "windowgeometry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using windowgeometry::Placement;
using windowgeometry::Saved;

Q_DECLARE_METATYPE(std::optional<Saved>)

// Where a window opens, for saved places and screens of every kind.
class TestWindowGeometry : public QObject {
    Q_OBJECT
private slots:
    void place_data();
    void place();
    void savedPlacesReadBack();
};

namespace {
const QSize design(1362, 790);
const QMargins frame(4, 28, 4, 4);
const QRect laptop(0, 0, 1366, 740);       // 1366 x 768 less a panel
const QRect fullHd(0, 0, 1920, 1050);
const QRect rightOfFullHd(1920, 0, 1920, 1050);
} // namespace

void TestWindowGeometry::place_data()
{
    QTest::addColumn<std::optional<Saved>>("saved");
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<QRect>("normal");
    QTest::addColumn<bool>("maximized");

    const QRect centred(279, 142, 1362, 790);   // frame centred on the full HD screen
    QTest::newRow("first start, large screen: designed size, centred")
        << std::optional<Saved>() << QList<QRect>{fullHd} << centred << false;
    QTest::newRow("first start, laptop: maximised, a normal size that fits")
        << std::optional<Saved>() << QList<QRect>{laptop} << QRect(4, 28, 1358, 708) << true;
    QTest::newRow("saved place is kept")
        << std::optional<Saved>(Saved{QRect(200, 100, 900, 600), false}) << QList<QRect>{fullHd}
        << QRect(200, 100, 900, 600) << false;
    QTest::newRow("saved maximised state is kept")
        << std::optional<Saved>(Saved{QRect(200, 100, 900, 600), true}) << QList<QRect>{fullHd}
        << QRect(200, 100, 900, 600) << true;
    QTest::newRow("saved on the second screen")
        << std::optional<Saved>(Saved{QRect(2100, 80, 1362, 790), false}) << QList<QRect>{fullHd, rightOfFullHd}
        << QRect(2100, 80, 1362, 790) << false;
    QTest::newRow("second screen unplugged: default on the primary")
        << std::optional<Saved>(Saved{QRect(2100, 80, 1362, 790), false}) << QList<QRect>{fullHd}
        << centred << false;
    QTest::newRow("partly off the right edge, title bar still to grab")
        << std::optional<Saved>(Saved{QRect(1700, 300, 900, 600), false}) << QList<QRect>{fullHd}
        << QRect(1700, 300, 900, 600) << false;
    QTest::newRow("only a sliver of the title bar left on the screen")
        << std::optional<Saved>(Saved{QRect(1880, 300, 900, 600), false}) << QList<QRect>{fullHd}
        << centred << false;
    QTest::newRow("title bar above the screen")
        << std::optional<Saved>(Saved{QRect(200, -400, 900, 600), false}) << QList<QRect>{fullHd}
        << centred << false;
    QTest::newRow("saved on a large screen, now a laptop: cut down to fit")
        << std::optional<Saved>(Saved{QRect(100, 60, 1800, 1000), false}) << QList<QRect>{laptop}
        << QRect(4, 28, 1358, 708) << false;
}

void TestWindowGeometry::place()
{
    QFETCH(std::optional<Saved>, saved);
    QFETCH(QList<QRect>, screens);
    QFETCH(QRect, normal);
    QFETCH(bool, maximized);
    const Placement p = windowgeometry::place(saved, screens, design, frame);
    QCOMPARE(p.normal, normal);
    QCOMPARE(p.maximized, maximized);
}

void TestWindowGeometry::savedPlacesReadBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Ofenring/fenster.ini"_qs);
    QVERIFY(!windowgeometry::load(u"TForm1"_qs, path));
    QVERIFY(windowgeometry::save(u"TForm1"_qs, {QRect(-1200, 40, 1362, 790), true}, path));
    QVERIFY(windowgeometry::save(u"hilfefenster"_qs, {QRect(10, 20, 300, 400), false}, path));

    const auto main = windowgeometry::load(u"TForm1"_qs, path);
    QVERIFY(main);
    QCOMPARE(main->normal, QRect(-1200, 40, 1362, 790));
    QVERIFY(main->maximized);
    const auto help = windowgeometry::load(u"hilfefenster"_qs, path);
    QVERIFY(help);
    QCOMPARE(help->normal, QRect(10, 20, 300, 400));
    QVERIFY(!help->maximized);

    // A place that was edited by hand into nonsense is not used.
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[TForm1]\nLinks=abc\nOben=0\nBreite=800\nHoehe=600\n[hilfefenster]\nLinks=0\nOben=0\nBreite=0\nHoehe=600\n");
    f.close();
    QVERIFY(!windowgeometry::load(u"TForm1"_qs, path));
    QVERIFY(!windowgeometry::load(u"hilfefenster"_qs, path));
}

QTEST_GUILESS_MAIN(TestWindowGeometry)
#include "test_windowgeometry.moc"
