#include "supplyairduct.h"

#include <QtTest>

using namespace supplyairduct;

class TestSupplyAirDuct : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sizing_data();
    void sizing();
    void linesAreNeitherClippedNorCapped();
    void justAboveThirtyMetresExtendsTheLastSegment();
    void unsupplied_data();
    void unsupplied();

private:
    QTemporaryDir m_dir;
};

void TestSupplyAirDuct::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestSupplyAirDuct::sizing_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("length");
    QTest::addColumn<int>("bends45");
    QTest::addColumn<int>("bends90");
    QTest::addColumn<int>("sideRatio");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("actual");
    QTest::addColumn<bool>("okAllowed");
    QTest::addColumn<QString>("message");

    const QString none;
    const QString tooLong = u"Länge von 30 m überschritten!"_qs;
    // 16 m³/h between the 4 m line (170.55) and the 6 m line (207.0).
    QTest::newRow("5 m, round") << u"10"_qs << u"5"_qs << 0 << 0 << 0 << u"188,8"_qs << u"188,8"_qs << true << none;
    QTest::newRow("5 m, 10 % surcharge") << u"10"_qs << u"5"_qs << 0 << 0 << 1 << u"188,8"_qs << u"207,7"_qs << true << none;
    QTest::newRow("5 m, 25 % surcharge") << u"10"_qs << u"5"_qs << 0 << 0 << 2 << u"188,8"_qs << u"236,0"_qs << true << none;
    QTest::newRow("no length: 0 m line") << u"10"_qs << u"0"_qs << 0 << 0 << 0 << u"22,5"_qs << u"22,5"_qs << true << none;
    QTest::newRow("bends add 1,5 m and 3 m") << u"112,5"_qs << u"3"_qs << 1 << 1 << 0 << u"524,2"_qs << u"524,2"_qs << true << none;
    QTest::newRow("exactly the 30 m line") << u"50"_qs << u"30"_qs << 0 << 0 << 0 << u"549,7"_qs << u"549,7"_qs << true << none;
    QTest::newRow("a line length exactly") << u"10"_qs << u"4"_qs << 0 << 0 << 0 << u"170,6"_qs << u"170,6"_qs << true << none;
    QTest::newRow("28 m and a 90° bend is over 30 m")
        << u"10"_qs << u"28"_qs << 0 << 1 << 1 << u"0,0"_qs << u"0,0"_qs << true << tooLong;
    QTest::newRow("30,002 m") << u"10"_qs << u"30,002"_qs << 0 << 0 << 0 << u"0,0"_qs << u"0,0"_qs << true << tooLong;
    QTest::newRow("empty output") << QString() << u"5"_qs << 0 << 0 << 0 << none << none << false << none;
    QTest::newRow("empty length") << u"10"_qs << QString() << 0 << 0 << 0 << none << none << false << none;
    QTest::newRow("full stop in the length") << u"10"_qs << u"5.5"_qs << 0 << 0 << 0 << none << none << false << none;
    QTest::newRow("letters in the output") << u"zehn"_qs << u"5"_qs << 0 << 0 << 0 << none << none << false << none;
    QTest::newRow("output so large the lines overflow")
        << u"1e308"_qs << u"5"_qs << 0 << 0 << 0 << none << none << false << none;
}

void TestSupplyAirDuct::sizing()
{
    QFETCH(QString, output);
    QFETCH(QString, length);
    QFETCH(int, bends45);
    QFETCH(int, bends90);
    QFETCH(int, sideRatio);
    QFETCH(QString, base);
    QFETCH(QString, actual);
    QFETCH(bool, okAllowed);
    QFETCH(QString, message);

    const SupplyAirDuctResult r = sizeSupplyAirDuct({output, length, bends45, bends90, sideRatio});
    QCOMPARE(r.baseText, base);
    QCOMPARE(r.actualText, actual);
    QCOMPARE(r.okAllowed, okAllowed);
    QCOMPARE(r.inputValid, okAllowed);
    QCOMPARE(r.message, message);
}

void TestSupplyAirDuct::linesAreNeitherClippedNorCapped()
{
    // Beyond its two points the 0 m line goes on: 2000 m³/h gives 2812.5 cm²,
    // above the tabled 2250 and above 3000 on the 30 m line.
    QCOMPARE(lineValue(0, 2000.0), 2812.5);
    QVERIFY(lineValue(9, 1600.0) > 3000.0);
    // Below the 200 m³/h point of the 10 m line the line keeps falling.
    QVERIFY(lineValue(5, 100.0) < 600.0);
    QCOMPARE(lineCount(), 10);
    QCOMPARE(lineLength(6), 15);
}

void TestSupplyAirDuct::justAboveThirtyMetresExtendsTheLastSegment()
{
    const double flow = airFlow(50.0);
    const double at25 = lineValue(8, flow);
    const double at30 = lineValue(9, flow);
    const BaseCrossSection r = llquerschnitt(50.0, 30.0005);
    QVERIFY(!r.lengthExceeded);
    QVERIFY(qAbs(r.area - (at30 + 0.0005 * (at30 - at25) / 5.0)) < 1e-9);
    QVERIFY(llquerschnitt(50.0, 30.0011).lengthExceeded);
}

void TestSupplyAirDuct::unsupplied_data()
{
    QTest::addColumn<double>("fireplace");
    QTest::addColumn<double>("supplied");
    QTest::addColumn<double>("expected");
    QTest::newRow("part supplied") << 112.5 << 100.0 << 12.5;
    QTest::newRow("duct supplies more than needed") << 112.5 << 120.0 << 0.0;
    QTest::newRow("nothing supplied") << 20.0 << 0.0 << 20.0;
}

void TestSupplyAirDuct::unsupplied()
{
    QFETCH(double, fireplace);
    QFETCH(double, supplied);
    QFETCH(double, expected);
    QCOMPARE(unsuppliedOutput(fireplace, supplied), expected);
}

QTEST_GUILESS_MAIN(TestSupplyAirDuct)
#include "test_supplyairduct.moc"
