#include "installationroom.h"

#include <QtTest>

using namespace installationroom;

namespace {

// The page of a new record with the given output and volume typed in and the
// given choices; an empty choice (-1) leaves its field empty.
PageInput page(const QString &output, const QString &volume, int openings = 1, int variant = 0)
{
    PageInput in = PageInput::fromRecord(Record::newInstallation());
    in.outputText = output;
    in.volumeText = volume;
    if (openings >= 0)
        in.record.setInteger(u"Hrllanzahl"_qs, openings);
    if (variant >= 0)
        in.record.setInteger(u"Hrll"_qs, variant);
    return in;
}

void setDuct(DuctTexts &d, const QString &length, int bends90, int bends45 = 0, int grilles = 0)
{
    d = {length, QString::number(bends90), QString::number(bends45), QString::number(grilles)};
}

} // namespace

class TestInstallationRoom : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void roomAndOpenings_data();
    void roomAndOpenings();
    void tooSmallRoomAboveFiftyForcesTwoOpeningsToOutside();
    void neighbourRoom_data();
    void neighbourRoom();
    void openingsToOutside_data();
    void openingsToOutside();
    void ducts_data();
    void ducts();
    void ductThatDoesNotSettleLeavesItsDisplayAsItWas();
    void unreadableDuctIsSkipped();
    void volumeNotYetTyped_data();
    void volumeNotYetTyped();
    void enablingRulesAlone();

private:
    QTemporaryDir m_dir;
};

void TestInstallationRoom::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
}

void TestInstallationRoom::roomAndOpenings_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("volume");
    QTest::addColumn<bool>("hrsz1");
    QTest::addColumn<QString>("single");
    QTest::addColumn<QString>("each");
    QTest::addColumn<bool>("neighbourAvailable");
    QTest::newRow("35 kW in 40 m3") << u"35"_qs << u"40"_qs << true << u"150"_qs << u"75"_qs << true;
    QTest::newRow("60,5 kW in 70 m3") << u"60,5"_qs << u"70"_qs << true << u"171"_qs << u"85,5"_qs << false;
    QTest::newRow("50,0005 kW counts as up to 50") << u"50,0005"_qs << u"60"_qs << true << u"150"_qs << u"75"_qs << true;
    QTest::newRow("50,002 kW is above 50") << u"50,002"_qs << u"60"_qs << true << u"150,004"_qs << u"75,002"_qs << false;
    QTest::newRow("volume short by the tolerance") << u"40"_qs << u"39,9995"_qs << true << u"150"_qs << u"75"_qs << true;
    QTest::newRow("volume short") << u"40"_qs << u"39,998"_qs << false << u"150"_qs << u"75"_qs << true;
    QTest::newRow("output not a number counts as 0") << u"viel"_qs << u"0"_qs << true << u"150"_qs << u"75"_qs << true;
}

void TestInstallationRoom::roomAndOpenings()
{
    QFETCH(QString, output);
    QFETCH(QString, volume);
    QFETCH(bool, hrsz1);
    QFETCH(QString, single);
    QFETCH(QString, each);
    QFETCH(bool, neighbourAvailable);

    PageInput in = page(output, volume, 1, 1);
    in.record.setBoolean(u"Hrnrvorhanden"_qs, true);
    in.neighbourVolumeText = u"20"_qs;
    const PageState s = evaluate(in);
    QCOMPARE(s.record.boolean(u"Hrsz1"_qs), hrsz1);
    QCOMPARE(s.singleOpeningText, single);
    QCOMPARE(s.twoOpeningsText, each);
    QCOMPARE(s.record.number(u"HrloeffS"_qs), QLocale(QLocale::German).toDouble(single));
    QCOMPARE(s.record.number(u"Hrloeffs2"_qs), QLocale(QLocale::German).toDouble(each));
    QCOMPARE(s.controls.NRaktiv.enabled, neighbourAvailable);
    QCOMPARE(s.controls.hrnrpanel.visible, neighbourAvailable);
    QCOMPARE(s.controls.hrnrzuluft.enabled, neighbourAvailable);
    if (hrsz1) {
        // With the room big enough nothing is forced and both choices stay free.
        QVERIFY(s.forcedSelections.empty());
        QCOMPARE(s.record.integer(u"Hrllanzahl"_qs), 1);
        QCOMPARE(s.record.integer(u"Hrll"_qs), 1);
        QVERIFY(s.controls.hrllanzahl.enabled);
        QVERIFY(s.controls.hrll.enabled);
        QVERIFY(s.controls.hrloeffs.visible);
        QCOMPARE(s.notebookPage, 1);
        QCOMPARE(s.passes, 1);
    }
}

void TestInstallationRoom::tooSmallRoomAboveFiftyForcesTwoOpeningsToOutside()
{
    PageInput in = page(u"60"_qs, u"50"_qs, 1, 1);
    const PageState s = evaluate(in);
    QCOMPARE(s.record.boolean(u"Hrsz1"_qs), false);
    QCOMPARE(s.record.integer(u"Hrllanzahl"_qs), 2);
    QCOMPARE(s.record.integer(u"Hrll"_qs), 0);
    const std::vector<std::pair<QString, int>> forced = {{u"Hrllanzahl"_qs, 2}, {u"Hrll"_qs, 0}};
    QCOMPARE(s.forcedSelections, forced);
    QVERIFY(s.passes > 1);
    QVERIFY(!s.controls.hrllanzahl.enabled);
    QVERIFY(!s.controls.hrll.enabled);
    QVERIFY(!s.controls.hrloeffs.visible);
    QVERIFY(s.controls.hrllname2.visible);
    QVERIFY(s.controls.hrlls2.visible);
    QCOMPARE(s.notebookPage, 0);
    // The re-run with the forced choices decides the result over openings to outside.
    QCOMPARE(s.record.boolean(u"Hrsz1insfreie"_qs), true);
    QCOMPARE(s.singleOpeningText, u"170"_qs);
    QCOMPARE(s.twoOpeningsText, u"85"_qs);
    QCOMPARE(s.record.number(u"Hrloeffs2"_qs), 85.0);
    QVERIFY(s.writtenFields.contains(u"Hrllanzahl"_qs));
    QVERIFY(s.writtenFields.contains(u"Hrsz1insfreie"_qs));

    // Already on two openings to outside: nothing to force, one pass.
    PageInput again = in;
    again.record = s.record;
    const PageState t = evaluate(again);
    QVERIFY(t.forcedSelections.empty());
    QCOMPARE(t.passes, 1);
    QCOMPARE(t.record, s.record);
}

void TestInstallationRoom::neighbourRoom_data()
{
    QTest::addColumn<int>("openings");  // Hrnrloeff, -1 for none chosen
    QTest::addColumn<QString>("neighbourVolume");
    QTest::addColumn<bool>("hrnrsz1");
    QTest::addColumn<bool>("freeBoxEnabled");
    QTest::newRow("2 x 150 cm2") << 0 << u"20"_qs << true << false;
    QTest::newRow("1 x 150 cm2") << 1 << u"20"_qs << false << true;
    QTest::newRow("2 x 75 cm2") << 2 << u"20"_qs << false << true;
    QTest::newRow("no opening chosen") << -1 << u"20"_qs << false << true;
    QTest::newRow("neighbour too small") << 0 << u"9,99"_qs << false << true;
    QTest::newRow("neighbour volume unreadable") << 0 << QString() << false << true;
}

void TestInstallationRoom::neighbourRoom()
{
    QFETCH(int, openings);
    QFETCH(QString, neighbourVolume);
    QFETCH(bool, hrnrsz1);
    QFETCH(bool, freeBoxEnabled);

    PageInput in = page(u"40"_qs, u"30"_qs);
    in.record.setBoolean(u"Hrnrvorhanden"_qs, true);
    in.record.setBoolean(u"Hrnrsz1"_qs, !hrnrsz1);  // stale result to be replaced
    if (openings >= 0)
        in.record.setInteger(u"Hrnrloeff"_qs, openings);
    in.neighbourVolumeText = neighbourVolume;
    const PageState s = evaluate(in);
    QCOMPARE(s.record.boolean(u"Hrsz1"_qs), false);
    QCOMPARE(s.record.boolean(u"Hrnrsz1"_qs), hrnrsz1);
    QVERIFY(s.controls.arnrsz1checkbox.enabled);
    QCOMPARE(s.controls.arsz1freibox.enabled, freeBoxEnabled);
    QVERIFY(s.controls.hrnrpanel.visible);

    // Without the neighbour room its result is left alone.
    in.record.setBoolean(u"Hrnrvorhanden"_qs, false);
    const PageState off = evaluate(in);
    QCOMPARE(off.record.boolean(u"Hrnrsz1"_qs), !hrnrsz1);
    QVERIFY(!off.controls.hrnrpanel.visible);
    QVERIFY(!off.controls.hrnrzuluft.enabled);
    QVERIFY(off.controls.arsz1freibox.enabled);
}

void TestInstallationRoom::openingsToOutside_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("openings");
    QTest::addColumn<int>("variant");
    QTest::addColumn<bool>("neighbour");
    QTest::addColumn<bool>("throughNeighbour");
    QTest::addColumn<bool>("expected");
    QTest::newRow("one opening") << u"40"_qs << 1 << 0 << false << false << false;
    QTest::newRow("two openings") << u"40"_qs << 2 << 0 << false << false << true;
    QTest::newRow("two openings, air through the neighbour") << u"40"_qs << 2 << 0 << true << true << false;
    QTest::newRow("through the neighbour, but the box is off") << u"40"_qs << 2 << 0 << false << true << true;
    QTest::newRow("through the neighbour, above 50 kW") << u"55"_qs << 2 << 0 << true << true << true;
    QTest::newRow("two openings with ducts") << u"40"_qs << 2 << 1 << false << false << false;
    QTest::newRow("two openings, no variant chosen") << u"40"_qs << 2 << -1 << false << false << false;
}

void TestInstallationRoom::openingsToOutside()
{
    QFETCH(QString, output);
    QFETCH(int, openings);
    QFETCH(int, variant);
    QFETCH(bool, neighbour);
    QFETCH(bool, throughNeighbour);
    QFETCH(bool, expected);

    PageInput in = page(output, u"100"_qs, openings, variant);
    in.record.setBoolean(u"Hrnrvorhanden"_qs, neighbour);
    in.record.setBoolean(u"Hrnrzuluft"_qs, throughNeighbour);
    const PageState s = evaluate(in);
    QCOMPARE(s.record.boolean(u"Hrsz1insfreie"_qs), expected);
}

void TestInstallationRoom::ducts_data()
{
    QTest::addColumn<int>("openings");
    QTest::addColumn<QString>("length");
    QTest::addColumn<int>("bends90");
    QTest::addColumn<QString>("duct1");
    QTest::addColumn<QString>("duct2");
    QTest::newRow("150 cm2, Leq 10 m") << 1 << u"4"_qs << 2 << u"297,5"_qs << QString();
    QTest::newRow("2 x 75 cm2, Leq 10 m") << 2 << u"4"_qs << 2 << u"172,6"_qs << u"172,6"_qs;
    QTest::newRow("Leq 0 gives the opening") << 1 << u"0"_qs << 0 << u"150,0"_qs << QString();
}

void TestInstallationRoom::ducts()
{
    QFETCH(int, openings);
    QFETCH(QString, length);
    QFETCH(int, bends90);
    QFETCH(QString, duct1);
    QFETCH(QString, duct2);

    PageInput in = page(u"35"_qs, u"40"_qs, openings, 1);
    setDuct(in.duct1, length, bends90);
    setDuct(in.duct2, length, bends90);
    const PageState s = evaluate(in);
    QCOMPARE(s.duct1.text, duct1);
    QCOMPARE(s.record.displayText(u"HrllS"_qs), duct1);
    QVERIFY(s.duct1.settled);
    QVERIFY(s.duct1.steps <= 15);
    QVERIFY(s.duct1DisplayEnabled);
    QVERIFY(s.controls.hrllS.enabled);
    QCOMPARE(s.duct2.computed, !duct2.isEmpty());
    QCOMPARE(s.record.displayText(u"Hrlls2"_qs), duct2);
    QCOMPARE(s.duct2DisplayEnabled, !duct2.isEmpty());
    QCOMPARE(s.controls.hrlls2.visible, openings == 2);
    if (openings == 2) {
        // Duct 2 continues from duct 1's value, so an equal duct settles at once.
        QCOMPARE(s.duct2.steps, 1);
    }
}

void TestInstallationRoom::ductThatDoesNotSettleLeavesItsDisplayAsItWas()
{
    const DuctSizing d = sizeVentilationDuct(150.0, 5000.0);
    QCOMPARE(d.steps, 21);
    QVERIFY(!d.settled);

    PageInput in = page(u"35"_qs, u"40"_qs);
    setDuct(in.duct1, u"5000"_qs, 0);
    QVERIFY(!evaluate(in).duct1DisplayEnabled);
    in.duct1DisplayEnabled = true;  // once enabled it is not disabled again
    const PageState s = evaluate(in);
    QVERIFY(s.duct1DisplayEnabled);
    QVERIFY(s.controls.hrllS.enabled);
    QCOMPARE(s.duct1.text, QString::number(d.area, 'f', 1).replace(u'.', u','));
}

void TestInstallationRoom::unreadableDuctIsSkipped()
{
    PageInput in = page(u"35"_qs, u"40"_qs, 2, 1);
    in.record.setNumber(u"HrllS"_qs, 123.4);
    in.record.setNumber(u"Hrlls2"_qs, 56.7);
    setDuct(in.duct1, QString(), 2);         // empty length
    setDuct(in.duct2, u"4"_qs, 2);
    in.duct2.bends45 = QString();             // empty count
    PageState s = evaluate(in);
    QVERIFY(!s.duct1.computed);
    QVERIFY(!s.duct2.computed);
    QCOMPARE(s.record.number(u"HrllS"_qs), 123.4);
    QCOMPARE(s.record.number(u"Hrlls2"_qs), 56.7);
    QVERIFY(!s.writtenFields.contains(u"HrllS"_qs));

    // A negative length is refused rather than taking the root of a negative number.
    setDuct(in.duct1, u"-20"_qs, 0);
    s = evaluate(in);
    QVERIFY(!s.duct1.computed);
    QCOMPARE(s.record.number(u"HrllS"_qs), 123.4);

    // Duct 1 skipped: duct 2 starts at 1 cm² like duct 1 would.
    setDuct(in.duct2, u"4"_qs, 2);
    s = evaluate(in);
    QCOMPARE(s.duct2.text, u"172,6"_qs);
    QVERIFY(s.duct2.steps > 1);
}

void TestInstallationRoom::volumeNotYetTyped_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("up to 50 kW") << u"40"_qs;
    QTest::newRow("above 50 kW") << u"60"_qs;
}

void TestInstallationRoom::volumeNotYetTyped()
{
    QFETCH(QString, output);
    // A record whose output has been typed but not yet its volume, with results
    // and choices from earlier input.
    PageInput in = page(output, QString(), 1, 1);
    in.record.setBoolean(u"Hrsz1"_qs, false);
    in.record.setNumber(u"HrloeffS"_qs, 150.0);
    in.record.setNumber(u"HrllS"_qs, 99.9);
    setDuct(in.duct1, u"4"_qs, 2);
    const PageState s = evaluate(in);
    QVERIFY(s.volumeMissing);
    QCOMPARE(s.record.boolean(u"Hrsz1"_qs), false);  // left as it was
    QVERIFY(s.record.isNull(u"HrloeffS"_qs));
    QVERIFY(s.record.isNull(u"Hrloeffs2"_qs));
    QVERIFY(s.singleOpeningText.isEmpty());
    QVERIFY(!s.duct1.computed);
    QCOMPARE(s.record.number(u"HrllS"_qs), 99.9);
    // Nothing is forced on a volume that is still missing; the choices stay free.
    QVERIFY(s.forcedSelections.empty());
    QCOMPARE(s.record.integer(u"Hrllanzahl"_qs), 1);
    QCOMPARE(s.record.integer(u"Hrll"_qs), 1);
    QVERIFY(s.controls.hrllanzahl.enabled);
    QVERIFY(s.controls.hrll.enabled);
    QVERIFY(s.controls.hrloeffs.visible);

    // Typing the volume then completes the evaluation.
    in.volumeText = u"100"_qs;
    const PageState t = evaluate(in);
    QVERIFY(!t.volumeMissing);
    QVERIFY(t.record.boolean(u"Hrsz1"_qs));
    QVERIFY(t.duct1.computed);
}

void TestInstallationRoom::enablingRulesAlone()
{
    // Moving to a record whose room is big enough changes no field.
    Record ok = Record::newInstallation();
    ok.setNumber(u"Hrleistung"_qs, 35.0);
    ok.setNumber(u"Hrvolumen"_qs, 40.0);
    ok.setBoolean(u"Hrsz1"_qs, true);
    ok.setInteger(u"Hrllanzahl"_qs, 1);
    ok.setInteger(u"Hrll"_qs, 1);
    PageState s = enablenr(PageInput::fromRecord(ok));
    QVERIFY(s.writtenFields.isEmpty());
    QCOMPARE(s.record, ok);
    QCOMPARE(s.notebookPage, 1);
    QVERIFY(s.controls.NRaktiv.enabled);
    QVERIFY(!s.controls.hrllname2.visible);

    // A stored record above 50 kW with too small a room: the forced choices
    // count as clicks, so the evaluation runs and writes its results.
    Record small = ok;
    small.setNumber(u"Hrleistung"_qs, 60.0);
    small.setNumber(u"Hrvolumen"_qs, 50.0);
    s = enablenr(PageInput::fromRecord(small));
    QCOMPARE(s.record.integer(u"Hrllanzahl"_qs), 2);
    QCOMPARE(s.record.integer(u"Hrll"_qs), 0);
    QCOMPARE(s.record.boolean(u"Hrsz1"_qs), false);
    QCOMPARE(s.record.number(u"HrloeffS"_qs), 170.0);
    QVERIFY(s.record.boolean(u"Hrsz1insfreie"_qs));
}

QTEST_GUILESS_MAIN(TestInstallationRoom)
#include "test_installationroom.moc"
