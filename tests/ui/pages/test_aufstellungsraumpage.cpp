#include "pagetestenv.h"

#include "keyboardcheck.h"
#include "numberformat.h"
#include "voldialog.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>

Q_DECLARE_METATYPE(PromptButton)

class TestAufstellungsraumPage : public PageTest {
    Q_OBJECT

private slots:
    void outputAndVolume_data();
    void outputAndVolume();
    void openingsToOutside_data();
    void openingsToOutside();
    void ventilationDucts();
    void forcedChoicesOnAMove();
    void volumeCalculatorThenEvaluation_data();
    void volumeCalculatorThenEvaluation();
    void modeSwitchWithTheRememberedPage();
    void movingBetweenModesLeavesTheRecordsUnchanged();
    void keyboard();
};

namespace {

QLineEdit *edit(TForm1 &w, const char *name)
{
    return find<QLineEdit>(&w, QString::fromLatin1(name));
}

QAbstractButton *button(TForm1 &w, const QString &name)
{
    return find<QAbstractButton>(&w, name);
}

// Volume first, then output, as a sweep reads them off the plan.
void enterRoom(TForm1 &w, const QString &output, const QString &volume)
{
    typeText(edit(w, "ARV"), volume);
    typeText(edit(w, "HRleistung"), output);
}

} // namespace

void TestAufstellungsraumPage::outputAndVolume_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QString>("neighbourVolume");   // empty: no neighbour room
    QTest::addColumn<int>("neighbourOpening");
    QTest::addColumn<bool>("byRoom");
    QTest::addColumn<bool>("withNeighbour");
    QTest::addColumn<QString>("single");
    QTest::addColumn<QString>("each");
    QTest::addColumn<bool>("choicesFree");   // number of openings and supply variant enabled, single size shown
    QTest::addColumn<bool>("neighbourAvailable");

    QTest::newRow("35 kW in 40 m³") << u"35"_qs << u"40"_qs << QString() << 0 << true << false << u"150"_qs
                                    << u"75"_qs << true << true;
    QTest::newRow("60,5 kW in 70 m³") << u"60,5"_qs << u"70"_qs << QString() << 0 << true << false << u"171"_qs
                                      << u"85,5"_qs << true << false;
    QTest::newRow("60 kW in 50 m³") << u"60"_qs << u"50"_qs << QString() << 0 << false << false << u"170"_qs
                                    << u"85"_qs << false << false;
    QTest::newRow("40 kW, neighbour 2 x 150") << u"40"_qs << u"30"_qs << u"20"_qs << 0 << false << true
                                              << u"150"_qs << u"75"_qs << true << true;
    QTest::newRow("40 kW, neighbour 1 x 150") << u"40"_qs << u"30"_qs << u"20"_qs << 1 << false << false
                                              << u"150"_qs << u"75"_qs << true << true;
    QTest::newRow("50,0005 kW counts as 50") << u"50,0005"_qs << u"60"_qs << QString() << 0 << true << false
                                             << u"150"_qs << u"75"_qs << true << true;
}

void TestAufstellungsraumPage::outputAndVolume()
{
    QFETCH(QString, output);
    QFETCH(QString, volume);
    QFETCH(QString, neighbourVolume);
    QFETCH(int, neighbourOpening);
    QFETCH(bool, byRoom);
    QFETCH(bool, withNeighbour);
    QFETCH(QString, single);
    QFETCH(QString, each);
    QFETCH(bool, choicesFree);
    QFETCH(bool, neighbourAvailable);

    seedRecords({{{u"Modus"_qs, 1}}});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Aufstellungsraum));
    QVERIFY(!find<QWidget>(&w, u"hrnrpanel"_qs)->isVisible());
    if (!neighbourVolume.isEmpty()) {
        click(button(w, u"NRaktiv"_qs));
        QVERIFY(find<QWidget>(&w, u"hrnrpanel"_qs)->isVisible());
        typeText(edit(w, "NRV"), neighbourVolume);
        click(button(w, u"radiogroupNRloeff"_qs + QString::number(neighbourOpening)));
    }
    enterRoom(w, output, volume);

    const Record &r = w.recordStore()->current();
    QCOMPARE(r.boolean(u"Hrsz1"_qs), byRoom);
    QCOMPARE(button(w, u"arsz1checkbox"_qs)->isChecked(), byRoom);
    QCOMPARE(r.boolean(u"Hrnrsz1"_qs), withNeighbour);
    QCOMPARE(edit(w, "hrloeffs")->text(), single);
    QCOMPARE(edit(w, "hrloeffs2")->text(), each);
    double v = 0;
    QVERIFY(numfmt::parse(each, &v));
    QCOMPARE(r.number(u"Hrloeffs2"_qs), v);
    QCOMPARE(find<QWidget>(&w, u"hrllanzahl"_qs)->isEnabled(), choicesFree);
    QCOMPARE(find<QWidget>(&w, u"hrll"_qs)->isEnabled(), choicesFree);
    QCOMPARE(edit(w, "hrloeffs")->isVisible(), choicesFree);
    QCOMPARE(button(w, u"NRaktiv"_qs)->isEnabled(), neighbourAvailable);
    QCOMPARE(find<QWidget>(&w, u"hrnrpanel"_qs)->isVisible(), neighbourAvailable && !neighbourVolume.isEmpty());
    if (!choicesFree) {
        // Two openings to outside, forced and shown without a click of the user.
        QCOMPARE(r.integer(u"Hrllanzahl"_qs), 2);
        QCOMPARE(r.integer(u"Hrll"_qs), 0);
        QVERIFY(button(w, u"hrllanzahl2"_qs)->isChecked());
        QVERIFY(button(w, u"hrll0"_qs)->isChecked());
        QVERIFY(r.boolean(u"Hrsz1insfreie"_qs));
        QVERIFY(!find<QWidget>(&w, u"hrllname2"_qs)->isHidden());   // on the duct page, behind
    }
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

void TestAufstellungsraumPage::openingsToOutside_data()
{
    QTest::addColumn<int>("openings");
    QTest::addColumn<bool>("throughNeighbour");
    QTest::addColumn<bool>("reached");
    QTest::newRow("one opening") << 1 << false << false;
    QTest::newRow("two, the air through the neighbour room") << 2 << true << false;
    QTest::newRow("two openings to outside") << 2 << false << true;
}

void TestAufstellungsraumPage::openingsToOutside()
{
    QFETCH(int, openings);
    QFETCH(bool, throughNeighbour);
    QFETCH(bool, reached);

    seedRecords({{{u"Modus"_qs, 1}}});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Aufstellungsraum));
    enterRoom(w, u"40"_qs, u"30"_qs);
    click(button(w, u"hrllanzahl"_qs + QString::number(openings)));
    click(button(w, u"hrll0"_qs));
    QCOMPARE(find<QStackedWidget>(&w, u"Notebook1"_qs)->currentIndex(), 0);
    auto *through = button(w, u"hrnrzuluft"_qs);
    QVERIFY(!through->isEnabled());
    if (throughNeighbour) {
        click(button(w, u"NRaktiv"_qs));
        QVERIFY(through->isEnabled());
        click(through);
    }
    QCOMPARE(w.recordStore()->current().boolean(u"Hrsz1insfreie"_qs), reached);
    QCOMPARE(button(w, u"arsz1freibox"_qs)->isChecked(), reached);
}

void TestAufstellungsraumPage::ventilationDucts()
{
    seedRecords({{{u"Modus"_qs, 1}}, {{u"Modus"_qs, 1}}});
    TForm1 w;
    w.recordStore()->setConfirmChanges(false);
    QVERIFY(showActive(w, TForm1::Aufstellungsraum));
    enterRoom(w, u"35"_qs, u"40"_qs);
    click(button(w, u"hrllanzahl1"_qs));
    click(button(w, u"hrll1"_qs));
    QCOMPARE(find<QStackedWidget>(&w, u"Notebook1"_qs)->currentIndex(), 1);
    QVERIFY(!find<QWidget>(&w, u"hrllname2"_qs)->isVisible());
    QVERIFY(!edit(w, "hrllS")->isEnabled());

    // One opening of 150 cm², a duct of 4 m with two 90° bends; until every
    // count is given, the duct is not sized.
    typeText(edit(w, "hrlllaenge"), u"4"_qs);
    typeText(edit(w, "hrllu90"), u"2"_qs);
    typeText(edit(w, "hrllu45"), u"0"_qs);
    QCOMPARE(edit(w, "hrllS")->text(), QString());
    typeText(edit(w, "hrllgitter"), u"0"_qs);
    QCOMPARE(edit(w, "hrllS")->text(), u"297,5"_qs);
    QCOMPARE(w.recordStore()->current().number(u"HrllS"_qs), 297.5);
    QVERIFY(edit(w, "hrllS")->isEnabled());
    QCOMPARE(items(find<QComboBox>(&w, u"hrllname"_qs)),
             (QStringList{u"Zuluftöffnung"_qs, u"Abluftöffnung"_qs, u"Zuluftleitung"_qs, u"Abluftleitung"_qs}));

    // Two openings of 75 cm²: both ducts behind them; a duct of no length is the opening itself.
    click(button(w, u"hrllanzahl2"_qs));
    QVERIFY(find<QWidget>(&w, u"hrllname2"_qs)->isVisible());
    QCOMPARE(edit(w, "hrllS")->text(), u"172,6"_qs);
    typeText(edit(w, "hrlllaenge2"), u"0"_qs);
    typeText(edit(w, "hrllu902"), u"0"_qs);
    typeText(edit(w, "hrllu452"), u"0"_qs);
    typeText(edit(w, "hrllgitter2"), u"0"_qs);
    QCOMPARE(edit(w, "hrlls2")->text(), u"75,0"_qs);
    QVERIFY(edit(w, "hrlls2")->isEnabled());

    // Once settled, the displays stay enabled on the next record too.
    QTest::mouseClick(find<QToolButton>(&w, u"navnext"_qs), Qt::LeftButton);
    QCOMPARE(w.recordStore()->currentRow(), 1);
    QVERIFY(edit(w, "hrllS")->isEnabled());
    QCOMPARE(edit(w, "hrllS")->text(), QString());
}

void TestAufstellungsraumPage::forcedChoicesOnAMove()
{
    seedRecords({{{u"Modus"_qs, 1}},
                 {{u"Modus"_qs, 1}, {u"Hrleistung"_qs, 60.0}, {u"Hrvolumen"_qs, 50.0}, {u"Hrsz1"_qs, false},
                  {u"Hrllanzahl"_qs, 1}, {u"Hrll"_qs, 1}}});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Aufstellungsraum));
    QTest::mouseClick(find<QToolButton>(&w, u"navnext"_qs), Qt::LeftButton);
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.integer(u"Hrllanzahl"_qs), 2);
    QCOMPARE(r.integer(u"Hrll"_qs), 0);
    QVERIFY(button(w, u"hrllanzahl2"_qs)->isChecked());
    QVERIFY(button(w, u"hrll0"_qs)->isChecked());
    QVERIFY(!find<QWidget>(&w, u"hrllanzahl"_qs)->isEnabled());
    QCOMPARE(find<QStackedWidget>(&w, u"Notebook1"_qs)->currentIndex(), 0);
    // The forced choice was evaluated as a click: the sizes follow it.
    QCOMPARE(edit(w, "hrloeffs2")->text(), u"85"_qs);
    QCOMPARE(r.number(u"Hrloeffs2"_qs), 85.0);
}

void TestAufstellungsraumPage::volumeCalculatorThenEvaluation_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<double>("volume");
    QTest::newRow("Abbrechen") << false << 40.0;
    QTest::newRow("OK") << true << 30.0;
}

void TestAufstellungsraumPage::volumeCalculatorThenEvaluation()
{
    QFETCH(bool, confirm);
    QFETCH(double, volume);
    // Stored results that do not match the inputs: the evaluation shows itself.
    seedRecords({{{u"Modus"_qs, 1}, {u"Hrleistung"_qs, 35.0}, {u"Hrvolumen"_qs, 40.0}, {u"Hrsz1"_qs, false},
                  {u"Hrhoehe"_qs, 2.5}}});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Aufstellungsraum));
    QVERIFY(!w.recordStore()->current().boolean(u"Hrsz1"_qs));
    // The press opens the calculator; its release belongs to the dialog then.
    QTest::mousePress(edit(w, "ARV"), Qt::RightButton);
    auto *dlg = find<TVolDialog>(&w, u"TVolDialog"_qs);
    QVERIFY(dlg->isVisible());
    QCOMPARE(find<QLineEdit>(dlg, u"hedit"_qs)->text(), u"2,5"_qs);
    if (confirm) {
        typeText(find<QLineEdit>(dlg, u"ledit"_qs), u"4"_qs);
        typeText(find<QLineEdit>(dlg, u"bedit"_qs), u"3"_qs);
        click(find<QPushButton>(dlg, u"okbtn"_qs));
    } else {
        click(find<QPushButton>(dlg, u"abbrechenbtn"_qs));
    }
    QVERIFY(!dlg->isVisible());
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.number(u"Hrvolumen"_qs), volume);
    QCOMPARE(r.boolean(u"Hrsz1"_qs), volume >= 35.0);
    QCOMPARE(edit(w, "hrloeffs")->text(), u"150"_qs);
    QVERIFY(r.boolean(u"Gerechnet"_qs) == false);   // no interconnection state is touched here
}

void TestAufstellungsraumPage::modeSwitchWithTheRememberedPage()
{
    seedRecords({{{u"Modus"_qs, 0}}, {{u"Modus"_qs, 1}}});
    TForm1 w;
    w.recordStore()->setConfirmChanges(false);
    QVERIFY(showActive(w, TForm1::Luftverbund));
    QVERIFY(!w.isTabShown(TForm1::Aufstellungsraum));

    // From the interconnection page to the general data, then the mode: the
    // page of the new mode comes to the front.
    w.setActivePage(TForm1::Allgemein);
    click(button(w, u"modus1"_qs));
    QCOMPARE(w.recordStore()->current().integer(u"Modus"_qs), 1);
    QVERIFY(w.isTabShown(TForm1::Aufstellungsraum));
    QVERIFY(!w.isTabShown(TForm1::Luftverbund));
    QCOMPARE(w.activePage(), TForm1::Aufstellungsraum);

    // From the overview to the general data: the mode changes, the page stays.
    w.setActivePage(TForm1::Uebersicht);
    w.setActivePage(TForm1::Allgemein);
    click(button(w, u"modus0"_qs));
    QVERIFY(w.isTabShown(TForm1::Luftverbund));
    QCOMPARE(w.activePage(), TForm1::Allgemein);

    // A move from a mode page lands on the mode page of the next record.
    w.setActivePage(TForm1::Luftverbund);
    QTest::mouseClick(find<QToolButton>(&w, u"navnext"_qs), Qt::LeftButton);
    QCOMPARE(w.recordStore()->currentRow(), 1);
    QCOMPARE(w.activePage(), TForm1::Aufstellungsraum);
}

void TestAufstellungsraumPage::movingBetweenModesLeavesTheRecordsUnchanged()
{
    // Going from one mode page to the other must not pass through the
    // remarks page: entering its editor would mark the record as changed,
    // and leaving it would ask to save what nobody touched.
    seedRecords({{{u"Modus"_qs, 0}}, {{u"Modus"_qs, 1}}, {}});
    TForm1 w;
    // The remarks editor has had the focus before, so the remarks page would
    // hand it back to the editor whenever that page came to the front.
    QVERIFY(showActive(w, TForm1::Anmerkungen));
    focus(find<QWidget>(&w, u"bemedit"_qs));
    w.recordStore()->cancel();
    w.setActivePage(TForm1::Luftverbund);
    focus(find<QWidget>(&w, u"RA"_qs));
    QToolButton *next = find<QToolButton>(&w, u"navnext"_qs);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(w.activePage(), TForm1::Aufstellungsraum);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    focus(edit(w, "HRleistung"));
    QTest::mouseClick(find<QToolButton>(&w, u"navprior"_qs), Qt::LeftButton);
    QCOMPARE(w.recordStore()->currentRow(), 0);
    QCOMPARE(w.activePage(), TForm1::Luftverbund);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);

    // A record without a mode has no mode page: it opens on its general
    // data, where the mode is chosen.
    QTest::mouseClick(next, Qt::LeftButton);
    focus(edit(w, "HRleistung"));
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(w.recordStore()->currentRow(), 2);
    QCOMPARE(w.activePage(), TForm1::Allgemein);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

void TestAufstellungsraumPage::keyboard()
{
    seedRecords({{{u"Modus"_qs, 1}, {u"Hrnrvorhanden"_qs, true}, {u"Hrllanzahl"_qs, 2}, {u"Hrll"_qs, 1}}});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Aufstellungsraum));
    const QStringList clashes = mnemonicClashes(&w);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(u"; "_qs)));

    // Tab from the output reaches the volume and then the neighbour room.
    focus(edit(w, "HRleistung"));
    QStringList walked;
    for (int i = 0; i < 4; ++i) {
        pressTab();
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, (QStringList{u"ARV"_qs, u"NRaktiv"_qs, u"NRV"_qs, u"radiogroupNRloeff0"_qs}));
}

OFENRING_PAGE_TEST_MAIN(TestAufstellungsraumPage)

#include "test_aufstellungsraumpage.moc"
