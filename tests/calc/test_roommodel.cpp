#include "roommodel.h"

#include <QtTest>

class TestRoomModel : public QObject {
    Q_OBJECT

private slots:
    void curve_data();
    void curve();
    void curveBeyondTheTable_data();
    void curveBeyondTheTable();
    void curveClasses();
    void labels();
    void slotsFromRecord();
};

void TestRoomModel::curve_data()
{
    QTest::addColumn<int>("curveClass");
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("expected");
    QTest::newRow("class 4, 10 m3") << 4 << 10.0 << 2.5;
    QTest::newRow("class 4 has no table limit") << 4 << 600.0 << 150.0;
    QTest::newRow("class 1, 3 m3") << 1 << 3.0 << 0.7;
    QTest::newRow("class 3, 25 m3") << 3 << 25.0 << 5.9;
    QTest::newRow("class 2, 41 m3 unrounded") << 2 << 41.0 << 8.65;
    QTest::newRow("class 3, 0 m3") << 3 << 0.0 << 0.0;
    QTest::newRow("class 1, 139 m3") << 1 << 139.0 << 5.6;
    QTest::newRow("class 2, 138 m3 row") << 2 << 138.0 << 18.8;
    QTest::newRow("class 2, 140 m3 last row") << 2 << 140.0 << 18.9;
    QTest::newRow("class 3, 141.9 m3 holds the last row") << 3 << 141.9 << 25.3;
    QTest::newRow("class 2, just below zero") << 2 << -0.0005 << -0.0005 * 0.25;
}

void TestRoomModel::curve()
{
    QFETCH(int, curveClass);
    QFETCH(double, volume);
    QFETCH(double, expected);
    MessageList messages;
    const double got = rechne_kurve(std::uint8_t(curveClass), volume, messages);
    QVERIFY2(qAbs(got - expected) < 1e-9, qPrintable(QString::number(got, 'g', 17)));
    QVERIFY(messages.lines().isEmpty());
}

void TestRoomModel::curveBeyondTheTable_data()
{
    QTest::addColumn<double>("volume");
    QTest::newRow("142 m3") << 142.0;
    QTest::newRow("600 m3") << 600.0;
    QTest::newRow("huge, never wraps") << 1e12;
}

void TestRoomModel::curveBeyondTheTable()
{
    QFETCH(double, volume);
    MessageList messages;
    QCOMPARE(rechne_kurve(2, volume, messages), -1.0);
    QCOMPARE(messages.lines(), (QStringList{u"Fehler"_qs, u"Tabellenindex zu groß."_qs, QString()}));
}

void TestRoomModel::curveClasses()
{
    QCOMPARE(curveClassOf(0), std::nullopt);
    const int expected[] = {0, 4, 4, 2, 3, 1, 2, 3};
    for (int code = 1; code <= 7; ++code)
        QCOMPARE(int(*curveClassOf(code)), expected[code]);
    QCOMPARE(openingTypeLabel(1), u"Öffnung 2x150 cm²"_qs);
    QCOMPARE(openingTypeLabel(4), u"Türe ohne Dicht, 1 cm gekürzt"_qs);
}

void TestRoomModel::labels()
{
    QCOMPARE(slotLabel(0), u"RA"_qs);
    QCOMPARE(slotLabel(3), u"R3"_qs);
    QCOMPARE(slotLabel(7), u"R7"_qs);
}

void TestRoomModel::slotsFromRecord()
{
    const RoomSlots fresh = loadRoomSlots(Record::newInstallation());
    for (const RoomSlot &s : fresh) {
        QCOMPARE(s.volume, 0.0);
        QCOMPARE(s.output, 0.0);
        QCOMPARE(int(s.openingType), 0);
        QVERIFY(!s.interconnectionMark);
    }

    Record r;
    r.setText(u"R2"_qs, u"Küche"_qs);
    r.setNumber(u"R2V"_qs, 25.0);
    r.setNumber(u"R2N"_qs, 8.0);
    r.setBoolean(u"R2tof"_qs, true);
    r.setInteger(u"R2oeff"_qs, 3);
    r.setInteger(u"R2vmit"_qs, -1);
    r.setBoolean(u"R1VR"_qs, true);
    r.setBoolean(u"R2VR"_qs, true);
    const RoomSlots s = loadRoomSlots(r);
    QCOMPARE(s[2].name, u"Küche"_qs);
    QCOMPARE(s[2].volume, 25.0);
    QCOMPARE(s[2].output, 8.0);
    QVERIFY(s[2].outsideOpening);
    QCOMPARE(int(s[2].openingType), 3);
    QCOMPARE(int(s[2].connectedWith), -1);  // nothing selected counts as no room
    QVERIFY(s[1].interconnectionMark);
    QVERIFY(s[2].interconnectionMark);
    QVERIFY(!s[0].interconnectionMark);
}

QTEST_GUILESS_MAIN(TestRoomModel)
#include "test_roommodel.moc"
