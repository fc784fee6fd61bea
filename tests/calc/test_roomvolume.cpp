#include "roomvolume.h"

#include <QtTest>

using namespace roomvolume;

class TestRoomVolume : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void volume_data();
    void volume();
    void offeredHeight_data();
    void offeredHeight();
    void offeredDimensions();
    void fieldNames_data();
    void fieldNames();

private:
    QTemporaryDir m_dir;
};

void TestRoomVolume::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestRoomVolume::volume_data()
{
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("expected");
    QTest::newRow("4 x 3,5 x 2,5") << u"4"_qs << u"3,5"_qs << u"2,5"_qs << u"35,0"_qs;
    QTest::newRow("rounded to one decimal") << u"3,33"_qs << u"3"_qs << u"2,7"_qs << u"27,0"_qs;
    QTest::newRow("dialog start: all 0") << u"0"_qs << u"0"_qs << u"0"_qs << u"0,0"_qs;
    QTest::newRow("empty width") << u"4"_qs << QString() << u"2,5"_qs << QString();
    QTest::newRow("full stop") << u"4.5"_qs << u"3"_qs << u"2,5"_qs << QString();
    QTest::newRow("letters in the height") << u"4"_qs << u"3"_qs << u"hoch"_qs << QString();
    QTest::newRow("product overflows") << u"1e200"_qs << u"1e200"_qs << u"2,5"_qs << QString();
}

void TestRoomVolume::volume()
{
    QFETCH(QString, length);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, expected);
    QCOMPARE(volumeText(length, width, height), expected);
}

void TestRoomVolume::offeredHeight_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<double>("defaultHeight");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no height yet") << QVariant() << kDefaultRoomHeight << u"2,7"_qs;
    QTest::newRow("height 0") << QVariant(0.0) << kDefaultRoomHeight << u"2,7"_qs;
    QTest::newRow("height at the threshold") << QVariant(0.001) << kDefaultRoomHeight << u"2,7"_qs;
    QTest::newRow("stored height") << QVariant(2.45) << kDefaultRoomHeight << u"2,45"_qs;
    QTest::newRow("default from the settings") << QVariant() << 2.5 << u"2,5"_qs;
}

void TestRoomVolume::offeredHeight()
{
    QFETCH(QVariant, stored);
    QFETCH(double, defaultHeight);
    QFETCH(QString, expected);
    for (const QString &field : {u"R3h"_qs, u"Hrhoehe"_qs}) {
        Record r = Record::newInstallation();
        r.setValue(field, stored);
        QCOMPARE(roomvolume::offeredHeight(r, field, defaultHeight), expected);
    }
}

void TestRoomVolume::offeredDimensions()
{
    Record r = Record::newInstallation();
    QCOMPARE(offeredDimension(r, u"R3l"_qs), QString());
    r.setNumber(u"R3l"_qs, 4.0);
    r.setNumber(u"R3b"_qs, 3.25);
    QCOMPARE(offeredDimension(r, u"R3l"_qs), u"4"_qs);
    QCOMPARE(offeredDimension(r, u"R3b"_qs), u"3,25"_qs);
}

void TestRoomVolume::fieldNames_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<QStringList>("expected");  // volume, length, width, height
    QTest::newRow("RA") << QChar(u'A') << QStringList{u"RAV"_qs, u"Ral"_qs, u"Rab"_qs, u"Rah"_qs};
    QTest::newRow("ra, lower case key") << QChar(u'a') << QStringList{u"RAV"_qs, u"Ral"_qs, u"Rab"_qs, u"Rah"_qs};
    QTest::newRow("R1") << QChar(u'1') << QStringList{u"R1V"_qs, u"R1l"_qs, u"R1b"_qs, u"R1h"_qs};
    QTest::newRow("R7") << QChar(u'7') << QStringList{u"R7V"_qs, u"R7l"_qs, u"R7b"_qs, u"R7h"_qs};
    QTest::newRow("no room 8") << QChar(u'8') << QStringList{};
    QTest::newRow("no room X") << QChar(u'X') << QStringList{};
}

void TestRoomVolume::fieldNames()
{
    QFETCH(QChar, key);
    QFETCH(QStringList, expected);
    const std::optional<RoomFields> f = roomFields(key);
    QCOMPARE(f.has_value(), !expected.isEmpty());
    if (f)
        QCOMPARE((QStringList{f->volume, f->length, f->width, f->height}), expected);
    QCOMPARE(dimensionFieldName(u'A', u'H'), u"Rah"_qs);
    const RoomFields hr = installationRoomFields();
    QCOMPARE((QStringList{hr.volume, hr.length, hr.width, hr.height}),
             (QStringList{u"Hrvolumen"_qs, u"Hrlaenge"_qs, u"Hrbreite"_qs, u"Hrhoehe"_qs}));
}

QTEST_GUILESS_MAIN(TestRoomVolume)
#include "test_roomvolume.moc"
