#include "numberformat.h"
#include "record.h"

#include <QtTest>

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void schemaOrderAndTypes();
    void lookupIgnoresCase();
    void emptyFieldsReadAsZero();
    void stringsAreCutToTheirSize();
    void newRecordDefaults();
    void displayTexts_data();
    void displayTexts();
    void valuesOfTheWrongTypeAreRefused();
    void roundingToEvenAtHalves_data();
    void roundingToEvenAtHalves();
    void fixedTexts_data();
    void fixedTexts();
};

void TestRecord::schemaOrderAndTypes()
{
    const RecordSchema &s = RecordSchema::installation();
    QCOMPARE(s.field(0).name, u"Lfd"_qs);
    QCOMPARE(s.field(0).type, FieldType::AutoInc);
    QCOMPARE(s.field(s.count() - 1).name, u"Hrnrzuluft"_qs);
    // The irregular spellings are kept as declared.
    for (const QString &n : {u"R1TOF"_qs, u"R2tof"_qs, u"R1Ql"_qs, u"R2ql"_qs, u"R1Vmit"_qs, u"R2vmit"_qs})
        QCOMPARE(s.field(s.indexOf(n)).name, n);
    QVERIFY(s.indexOf(u"A_Name"_qs) < s.indexOf(u"E_anrede"_qs));
    QVERIFY(s.indexOf(u"Rah"_qs) < s.indexOf(u"Okll"_qs));
    QCOMPARE(s.field(s.indexOf(u"A_Plz"_qs)).size, 7);
    QCOMPARE(s.field(s.indexOf(u"RAArt"_qs)).size, 15);
    QCOMPARE(s.field(s.indexOf(u"Bemerkung"_qs)).type, FieldType::FmtMemo);
    QCOMPARE(s.field(s.indexOf(u"Zeichnung"_qs)).type, FieldType::Graphic);
    QCOMPARE(s.field(s.indexOf(u"Hrllgitter2"_qs)).type, FieldType::SmallInt);
    // Every name is unique even without regard to case.
    for (int i = 0; i < s.count(); ++i)
        QCOMPARE(s.indexOf(s.field(i).name), i);
}

void TestRecord::lookupIgnoresCase()
{
    Record r;
    QVERIFY(r.setValue(u"r2TOF"_qs, true));
    QVERIFY(r.boolean(u"R2tof"_qs));
    QCOMPARE(RecordSchema::installation().indexOf(u"a_plz"_qs), RecordSchema::installation().indexOf(u"A_Plz"_qs));
    QCOMPARE(RecordSchema::installation().indexOf(u"NoSuchField"_qs), -1);
    QVERIFY(!r.setValue(u"NoSuchField"_qs, 1));
}

void TestRecord::emptyFieldsReadAsZero()
{
    Record r;
    QVERIFY(r.isNull(u"RAV"_qs));
    QCOMPARE(r.number(u"RAV"_qs), 0.0);
    QCOMPARE(r.integer(u"R3oeff"_qs), 0);
    QCOMPARE(r.boolean(u"Bschutz"_qs), false);
    QCOMPARE(r.text(u"A_Name"_qs), QString());
    QCOMPARE(r.displayText(u"RAV"_qs), QString());
    r.setNumber(u"RAV"_qs, 12.5);
    r.clear(u"RAV"_qs);
    QVERIFY(r.isNull(u"RAV"_qs));
}

void TestRecord::stringsAreCutToTheirSize()
{
    Record r;
    const QString name35 = u"Müller-Lüdenscheidt-Oberhausen-XY"_qs + u"ZZ"_qs;
    QCOMPARE(name35.size(), 35);
    r.setText(u"E_Name"_qs, name35);
    QCOMPARE(r.text(u"E_Name"_qs), name35.left(30));
    r.setText(u"A_Plz"_qs, u"123456789"_qs);
    QCOMPARE(r.text(u"A_Plz"_qs), u"1234567"_qs);
    // Memos have no size.
    const QString longText(500, u'x');
    r.setText(u"Skizze"_qs, longText);
    QCOMPARE(r.text(u"Skizze"_qs), longText);
}

void TestRecord::newRecordDefaults()
{
    const Record r = Record::newInstallation();
    for (const char *n : {"RAV", "R7V", "RAN", "R4N", "RAQl", "R2ql", "Rarv", "R1Rv", "R7rv"}) {
        QVERIFY2(!r.isNull(QString::fromLatin1(n)), n);
        QCOMPARE(r.displayText(QString::fromLatin1(n)), u"0,0"_qs);
    }
    QCOMPARE(r.displayText(u"RATOF"_qs), u"nein"_qs);
    QCOMPARE(r.displayText(u"R7tof"_qs), u"nein"_qs);
    QCOMPARE(r.integer(u"R1Vmit"_qs), 1);
    for (const char *n : {"Modus", "Gerechnet", "A_Name", "R1oeff", "R2vmit", "Okraum1", "Sz1"})
        QVERIFY2(r.isNull(QString::fromLatin1(n)), n);
}

void TestRecord::displayTexts_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("float one decimal") << u"RAV"_qs << QVariant(30.0) << u"30,0"_qs;
    QTest::newRow("float rounds") << u"Psum"_qs << QVariant(12.34) << u"12,3"_qs;
    QTest::newRow("no grouping") << u"Vsum"_qs << QVariant(12345.6) << u"12345,6"_qs;
    QTest::newRow("Okqs1 two decimals") << u"Okqs1"_qs << QVariant(0.5) << u"0,50"_qs;
    QTest::newRow("HrloeffS two decimals") << u"HrloeffS"_qs << QVariant(297.5) << u"297,50"_qs;
    QTest::newRow("Hrloeffs2 two decimals") << u"Hrloeffs2"_qs << QVariant(150.0) << u"150,00"_qs;
    QTest::newRow("room length general") << u"R3l"_qs << QVariant(4.25) << u"4,25"_qs;
    QTest::newRow("room height general") << u"Rah"_qs << QVariant(2.7) << u"2,7"_qs;
    QTest::newRow("carry-over general") << u"Vortrag"_qs << QVariant(30.0) << u"30"_qs;
    QTest::newRow("boolean Wahr") << u"Bschutz"_qs << QVariant(true) << u"Wahr"_qs;
    QTest::newRow("boolean Falsch") << u"Sz1"_qs << QVariant(false) << u"Falsch"_qs;
    QTest::newRow("outside door ja") << u"R1TOF"_qs << QVariant(true) << u"ja"_qs;
    QTest::newRow("goal JA") << u"Hrsz1"_qs << QVariant(true) << u"JA"_qs;
    QTest::newRow("goal NEIN") << u"Hrnrzuluft"_qs << QVariant(false) << u"NEIN"_qs;
    QTest::newRow("small int") << u"R2vmit"_qs << QVariant(-1) << u"-1"_qs;
    QTest::newRow("negative zero") << u"Rarv"_qs << QVariant(-0.01) << u"0,0"_qs;
}

void TestRecord::displayTexts()
{
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    Record r;
    QVERIFY(r.setValue(field, value));
    QCOMPARE(r.displayText(field), text);
}

void TestRecord::valuesOfTheWrongTypeAreRefused()
{
    Record r;
    r.setNumber(u"RAV"_qs, 3.0);
    QVERIFY(!r.setValue(u"RAV"_qs, u"drei"_qs));
    QCOMPARE(r.number(u"RAV"_qs), 3.0);  // keeps its value
    QVERIFY(!r.setValue(u"R1oeff"_qs, 40000));
    QVERIFY(r.setValue(u"R1oeff"_qs, -32768));
    QCOMPARE(r.integer(u"R1oeff"_qs), -32768);
}

void TestRecord::roundingToEvenAtHalves_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.25") << 0.25 << 0.2;
    QTest::newRow("0.75") << 0.75 << 0.8;
    QTest::newRow("1.25") << 1.25 << 1.2;
    QTest::newRow("-0.25") << -0.25 << -0.2;
    QTest::newRow("8.65") << 8.65 << 8.6;  // ten times it is exactly 86.5 in doubles
    QTest::newRow("5.6") << 5.6 << 5.6;
    QTest::newRow("1.4 / 4 is a half on paper") << 1.4 / 4.0 << 0.4;
    QTest::newRow("0.45 goes down to even") << 0.45 << 0.4;
}

void TestRecord::roundingToEvenAtHalves()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(numfmt::roundOneDecimalEven(value), rounded);
}

void TestRecord::fixedTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("binary noise below a half") << 0.03 * 360.0 / 1.6 << 1 << u"6,8"_qs;
    QTest::newRow("0.15") << 0.15 << 1 << u"0,2"_qs;
    QTest::newRow("exact half") << 168.75 << 1 << u"168,8"_qs;
    QTest::newRow("negative half") << -0.25 << 1 << u"-0,3"_qs;
    QTest::newRow("carry into the integer") << 9.96 << 1 << u"10,0"_qs;
    QTest::newRow("tiny negative") << -0.04 << 1 << u"0,0"_qs;
    QTest::newRow("two decimals") << 0.5 << 2 << u"0,50"_qs;
    QTest::newRow("no decimals") << 2.5 << 0 << u"3"_qs;
    QTest::newRow("large") << 123456789.25 << 1 << u"123456789,3"_qs;
    QTest::newRow("small") << 0.00004 << 2 << u"0,00"_qs;
}

void TestRecord::fixedTexts()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(numfmt::fixed(value, decimals), text);
}

QTEST_GUILESS_MAIN(TestRecord)
#include "test_record.moc"
