#include "fireplace.h"

#include <QtTest>

class TestFireplace : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void output_data();
    void output();
    void productBeforeDivision();
    void rowsFollowTheKind_data();
    void rowsFollowTheKind();

private:
    QTemporaryDir m_dir;
};

void TestFireplace::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestFireplace::output_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("stored");
    QTest::addColumn<bool>("beep");
    QTest::newRow("open fireplace alone, 0,5 m2") << 1 << u"0,5"_qs << u"112,5"_qs << 112.5 << false;
    QTest::newRow("open fireplace with others, 168.75 rounds up") << 2 << u"0,5"_qs << u"168,8"_qs << 168.8 << false;
    QTest::newRow("tiled stove, 1 kW per m2") << 3 << u"0,5"_qs << u"0,5"_qs << 0.5 << false;
    QTest::newRow("no fireplace") << 0 << u"0,5"_qs << u"0,0"_qs << 0.0 << false;
    QTest::newRow("blanks around the number") << 1 << u" 1,2 "_qs << u"270,0"_qs << 270.0 << false;
    QTest::newRow("empty area beeps") << 1 << QString() << u"0,0"_qs << 0.0 << true;
    QTest::newRow("full stop is no decimal mark") << 2 << u"0.5"_qs << u"0,0"_qs << 0.0 << true;
    QTest::newRow("letters") << 3 << u"abc"_qs << u"0,0"_qs << 0.0 << true;
    QTest::newRow("area so large the output overflows") << 2 << u"1e308"_qs << u"0,0"_qs << 0.0 << true;
}

void TestFireplace::output()
{
    QFETCH(int, kind);
    QFETCH(QString, area);
    QFETCH(QString, text);
    QFETCH(double, stored);
    QFETCH(bool, beep);
    const fireplace::FictitiousOutput r = fireplace::fictitiousOutputFromText(kind, area);
    QCOMPARE(r.text, text);
    QCOMPARE(r.stored, stored);
    QCOMPARE(r.beep, beep);
    QCOMPARE(r.areaIsNumber, !beep);
}

void TestFireplace::productBeforeDivision()
{
    // 0.35 × 360 / 1.6 is 78.75 on paper but 78.7499999… in doubles; the text
    // shown and stored is the one a person works out by hand.
    QCOMPARE(fireplace::fictitiousOutputFromArea(1, 0.35).text, u"78,8"_qs);
    QCOMPARE(fireplace::fictitiousOutputFromArea(1, 0.03).text, u"6,8"_qs);
    QCOMPARE(fireplace::fictitiousOutput(1, 0.5), 112.5);
    QCOMPARE(fireplace::fictitiousOutput(7, 0.5), 0.0);
}

void TestFireplace::rowsFollowTheKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("outputRow");
    QTest::newRow("---") << 0 << u"Oberfläche"_qs << false;
    QTest::newRow("alone") << 1 << u"Feuerraumquerschnitt"_qs << true;
    QTest::newRow("with others") << 2 << u"Feuerraumquerschnitt"_qs << true;
    QTest::newRow("tiled stove") << 3 << u"Oberfläche"_qs << true;
}

void TestFireplace::rowsFollowTheKind()
{
    QFETCH(int, kind);
    QFETCH(QString, label);
    QFETCH(bool, outputRow);
    QCOMPARE(fireplace::areaLabel(kind), label);
    QCOMPARE(fireplace::outputRowVisible(kind), outputRow);
}

QTEST_GUILESS_MAIN(TestFireplace)
#include "test_fireplace.moc"
