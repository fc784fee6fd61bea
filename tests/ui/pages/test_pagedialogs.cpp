#include "pagetestenv.h"

#include "helpwindow.h"
#include "keyboardcheck.h"
#include "llberdlg.h"
#include "numberformat.h"
#include "okform.h"
#include "printsettings.h"
#include "voldialog.h"

#include <QContextMenuEvent>
#include <QRadioButton>
#include <QSpinBox>

Q_DECLARE_METATYPE(PromptButton)

namespace {

QVariantMap calculatedRecord(const QVariantMap &extra = {})
{
    QVariantMap r{{u"Modus"_qs, 0}, {u"RAV"_qs, 30.0}, {u"RAN"_qs, 11.0}, {u"Qlansum"_qs, 7.5}, {u"Gerechnet"_qs, true}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        r[it.key()] = it.value();
    return r;
}

const QString kPendingMessage = u"Sie haben Werte geändert, bitte zuerst die fiktive Wärmeleistung berechnen!"_qs;

} // namespace

class TestPageDialogs : public PageTest {
    Q_OBJECT

private slots:
    void fireplaceOutput_data();
    void fireplaceOutput();
    void fireplaceNone();
    void fireplaceUntouchedPendingMark_data();
    void fireplaceUntouchedPendingMark();
    void fireplaceByKeyboard();
    void ductSizing_data();
    void ductSizing();
    void ductLongerThan30m();
    void ductWithoutOutputCannotBeConfirmed();
    void ductOkKeepsOrGreysTheResults_data();
    void ductOkKeepsOrGreysTheResults();
    void ductSwitchEnablesItsControls();
    void volumeStoredPerRoom();
    void volumeDefaultHeight_data();
    void volumeDefaultHeight();
    void volumeRefusesADimensionThatIsNoNumber_data();
    void volumeRefusesADimensionThatIsNoNumber();
    void volumeFromTheKeyboard();
    void volumeTakesAFullStopAsComma();
    void dialogsHaveTheirHelpAndKeys();
};

// --- open fireplace / tiled stove ---------------------------------------------

void TestPageDialogs::fireplaceOutput_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("output");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("areaLabel");
    QTest::addColumn<QString>("shownOnPage");
    QTest::newRow("open fireplace alone") << 1 << u"112,5"_qs << 112.5 << u"Feuerraumquerschnitt"_qs << u"OK"_qs;
    QTest::newRow("open fireplace with others") << 2 << u"168,8"_qs << 168.8 << u"Feuerraumquerschnitt"_qs << u"OK"_qs;
    QTest::newRow("tiled stove") << 3 << u"0,5"_qs << 0.5 << u"Oberfläche"_qs << u"KO"_qs;
}

void TestPageDialogs::fireplaceOutput()
{
    QFETCH(int, kind);
    QFETCH(QString, output);
    QFETCH(double, stored);
    QFETCH(QString, areaLabel);
    QFETCH(QString, shownOnPage);

    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    click(find<QPushButton>(&w, u"OKcalcbtn1"_qs));
    auto *dlg = find<TOKform>(&w, u"TOKform"_qs);
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), u"Offener Kamin / Kachelofen"_qs);
    QVERIFY(!find<QWidget>(dlg, u"leistungrow"_qs)->isVisible());

    click(find<QRadioButton>(dlg, u"auswahl"_qs + QString::number(kind)));
    QCOMPARE(find<QLabel>(dlg, u"Label2"_qs)->text(), areaLabel);
    QVERIFY(find<QWidget>(dlg, u"leistungrow"_qs)->isVisible());
    typeText(find<QLineEdit>(dlg, u"querschnitt"_qs), u"0,5"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"leistunglabel"_qs)->text(), output);

    click(find<QPushButton>(dlg, u"okbtn"_qs));
    QVERIFY(!dlg->isVisible());
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.integer(u"Okraum1"_qs), kind);
    QCOMPARE(r.number(u"Okqn1"_qs), stored);
    QCOMPARE(r.number(u"Okqs1"_qs), 0.5);
    QCOMPARE(find<QComboBox>(&w, u"okraum1"_qs)->currentText(), shownOnPage);
    QCOMPARE(find<QLineEdit>(&w, u"OKN1"_qs)->text(), output);
    QVERIFY(!r.boolean(u"Gerechnet"_qs));
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

void TestPageDialogs::fireplaceNone()
{
    seedRecords({calculatedRecord({{u"Okraum1"_qs, 2}, {u"Okqs1"_qs, 0.5}, {u"Okqn1"_qs, 168.8}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    click(find<QPushButton>(&w, u"OKcalcbtn1"_qs));
    auto *dlg = find<TOKform>(&w, u"TOKform"_qs);
    QVERIFY(find<QRadioButton>(dlg, u"auswahl2"_qs)->isChecked());
    QCOMPARE(find<QLineEdit>(dlg, u"leistunglabel"_qs)->text(), u"168,8"_qs);

    click(find<QRadioButton>(dlg, u"auswahl0"_qs));
    QCOMPARE(find<QLineEdit>(dlg, u"leistunglabel"_qs)->text(), u"0,0"_qs);
    QVERIFY(!find<QWidget>(dlg, u"leistungrow"_qs)->isVisible());
    QCOMPARE(find<QLabel>(dlg, u"Label2"_qs)->text(), u"Oberfläche"_qs);
    click(find<QPushButton>(dlg, u"okbtn"_qs));
    QVERIFY(!dlg->isVisible());
    QCOMPARE(w.recordStore()->current().integer(u"Okraum1"_qs), 0);
    QCOMPARE(w.recordStore()->current().number(u"Okqn1"_qs), 0.0);
    QCOMPARE(find<QComboBox>(&w, u"okraum1"_qs)->currentText(), u"---"_qs);
}

void TestPageDialogs::fireplaceUntouchedPendingMark_data()
{
    QTest::addColumn<QString>("closeBy");
    QTest::newRow("Abbrechen") << u"abbrechenbtn"_qs;
    QTest::newRow("close box") << u"closebox"_qs;
    QTest::newRow("Escape") << u"escape"_qs;
}

void TestPageDialogs::fireplaceUntouchedPendingMark()
{
    QFETCH(QString, closeBy);
    seedRecords({calculatedRecord({{u"Okraum1"_qs, 1}, {u"Okqs1"_qs, 0.5}, {u"Okqn1"_qs, 112.5}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));

    // OK with nothing changed closes, and still counts as a change of the inputs.
    click(find<QPushButton>(&w, u"OKcalcbtn1"_qs));
    auto *dlg = find<TOKform>(&w, u"TOKform"_qs);
    click(find<QPushButton>(dlg, u"okbtn"_qs));
    QVERIFY(!dlg->isVisible());
    QVERIFY(!w.recordStore()->current().boolean(u"Gerechnet"_qs));
    QCOMPARE(w.recordStore()->current().number(u"Okqn1"_qs), 112.5);
    w.recordStore()->gerechnet();

    // An area that is no number: a beep and "0,0", and OK refuses until the
    // output is computed again.
    click(find<QPushButton>(&w, u"OKcalcbtn1"_qs));
    QVERIFY(dlg->isVisible());
    QVERIFY(!dlg->changePending());
    auto *area = find<QLineEdit>(dlg, u"querschnitt"_qs);
    typeText(area, u"viel"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"leistunglabel"_qs)->text(), u"0,0"_qs);
    click(find<QPushButton>(dlg, u"okbtn"_qs));
    QCOMPARE(MessageBox::shownTexts(), QStringList{kPendingMessage});
    QVERIFY(dlg->isVisible());

    // Leaving without OK always works and changes nothing.
    if (closeBy == u"closebox"_qs)
        dlg->close();
    else if (closeBy == u"escape"_qs)
        QTest::keyClick(area, Qt::Key_Escape);
    else
        click(find<QPushButton>(dlg, closeBy));
    QVERIFY(!dlg->isVisible());
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.integer(u"Okraum1"_qs), 1);
    QCOMPARE(r.number(u"Okqs1"_qs), 0.5);
    QCOMPARE(r.number(u"Okqn1"_qs), 112.5);
    QVERIFY(r.boolean(u"Gerechnet"_qs));
    QCOMPARE(MessageBox::shownTexts(), QStringList{kPendingMessage});
}

void TestPageDialogs::fireplaceByKeyboard()
{
    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    QTest::keyClick(&w, Qt::Key_O, Qt::AltModifier);   // "&OK / KO"
    auto *dlg = find<TOKform>(&w, u"TOKform"_qs);
    QTRY_VERIFY(dlg->isVisible());
    QTRY_VERIFY(dlg->isActiveWindow());
    QVERIFY(find<QRadioButton>(dlg, u"auswahl0"_qs)->hasFocus());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QVERIFY(find<QRadioButton>(dlg, u"auswahl3"_qs)->isChecked());
    pressTab();
    QCOMPARE(QApplication::focusWidget(), find<QLineEdit>(dlg, u"querschnitt"_qs));
    QTest::keyClicks(QApplication::focusWidget(), u"2,5"_qs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(w.recordStore()->current().integer(u"Okraum1"_qs), 3);
    QCOMPARE(w.recordStore()->current().number(u"Okqn1"_qs), 2.5);
}

// --- supply-air duct ----------------------------------------------------------

void TestPageDialogs::ductSizing_data()
{
    QTest::addColumn<int>("sideRatio");
    QTest::addColumn<QString>("actual");
    QTest::addColumn<double>("actualStored");
    QTest::newRow("round") << 0 << u"188,8"_qs << 188.8;
    QTest::newRow("1:1,5 to 1:5") << 1 << u"207,7"_qs << 207.7;
    QTest::newRow("1:5 to 1:10") << 2 << u"236,0"_qs << 236.0;
}

void TestPageDialogs::ductSizing()
{
    QFETCH(int, sideRatio);
    QFETCH(QString, actual);
    QFETCH(double, actualStored);

    seedRecords({calculatedRecord({{u"Okraum1"_qs, 2}, {u"Okqn1"_qs, 16.0}, {u"Okll"_qs, true}, {u"OkllP"_qs, 8.0},
                                   {u"OkllLaenge"_qs, 1.0}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    click(find<QPushButton>(&w, u"llberbtn"_qs));
    auto *dlg = find<Tllberdlg>(&w, u"Tllberdlg"_qs);
    QVERIFY(dlg->isVisible());
    QTRY_VERIFY(dlg->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), find<QPushButton>(dlg, u"okbtn"_qs));
    QCOMPARE(find<QLabel>(dlg, u"DBText1"_qs)->text(), u"16,0"_qs);

    typeText(find<QLineEdit>(dlg, u"leistungedit"_qs), u"10"_qs);
    typeText(find<QLineEdit>(dlg, u"laengeedit"_qs), u"5"_qs);
    click(find<QRadioButton>(dlg, u"llseitenverhaeltnis"_qs + QString::number(sideRatio)));
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittgrundwertedit"_qs)->text(), u"188,8"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittedit"_qs)->text(), actual);

    click(find<QPushButton>(dlg, u"okbtn"_qs));
    QVERIFY(!dlg->isVisible());
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.number(u"OkllP"_qs), 10.0);
    QCOMPARE(r.number(u"OkllLaenge"_qs), 5.0);
    QCOMPARE(r.integer(u"Okllu45"_qs), 0);
    QCOMPARE(r.integer(u"Okllu90"_qs), 0);
    QCOMPARE(r.number(u"OkllS"_qs), 188.8);
    QCOMPARE(r.number(u"Okllstats"_qs), actualStored);
    QCOMPARE(r.integer(u"Okllform"_qs), sideRatio);
    QCOMPARE(r.number(u"Okunversorgt"_qs), 6.0);
    QCOMPARE(find<QLineEdit>(&w, u"okllptext"_qs)->text(), u"10,0"_qs);
    QCOMPARE(find<QLineEdit>(&w, u"okunversorgttext"_qs)->text(), u"6,0"_qs);
}

void TestPageDialogs::ductLongerThan30m()
{
    seedRecords({calculatedRecord({{u"Okqn1"_qs, 20.0}, {u"Okll"_qs, true}, {u"OkllP"_qs, 10.0}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    click(find<QPushButton>(&w, u"llberbtn"_qs));
    auto *dlg = find<Tllberdlg>(&w, u"Tllberdlg"_qs);
    typeText(find<QLineEdit>(dlg, u"laengeedit"_qs), u"28"_qs);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    auto *bends90 = find<QSpinBox>(dlg, u"okllu90"_qs);
    focus(bends90);
    QTest::keyClick(bends90, Qt::Key_Up);   // 28 m + 3 m
    QCOMPARE(bends90->value(), 1);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Länge von 30 m überschritten!"_qs});
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittgrundwertedit"_qs)->text(), u"0,0"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittedit"_qs)->text(), u"0,0"_qs);
    QVERIFY(find<QPushButton>(dlg, u"okbtn"_qs)->isEnabled());

    // The arrows stop at 10 and at 0.
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(bends90, Qt::Key_Down);
    QCOMPARE(bends90->value(), 0);
    click(find<QPushButton>(dlg, u"abbrechenbtn"_qs));
    QCOMPARE(w.recordStore()->current().isNull(u"OkllLaenge"_qs), true);   // Abbrechen wrote nothing
}

void TestPageDialogs::ductWithoutOutputCannotBeConfirmed()
{
    seedRecords({calculatedRecord({{u"Okqn1"_qs, 20.0}, {u"Okll"_qs, true}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    click(find<QPushButton>(&w, u"llberbtn"_qs));
    auto *dlg = find<Tllberdlg>(&w, u"Tllberdlg"_qs);
    auto *ok = find<QPushButton>(dlg, u"okbtn"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittgrundwertedit"_qs)->text(), QString());
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittedit"_qs)->text(), QString());
    QVERIFY(!ok->isEnabled());
    QTest::keyClick(dlg, Qt::Key_Return);
    QVERIFY(dlg->isVisible());

    // More output supplied by the duct than the fireplace has: nothing left over.
    typeText(find<QLineEdit>(dlg, u"leistungedit"_qs), u"25"_qs);
    typeText(find<QLineEdit>(dlg, u"laengeedit"_qs), u"0"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittgrundwertedit"_qs)->text(), u"56,3"_qs);
    QVERIFY(ok->isEnabled());
    typeText(find<QLineEdit>(dlg, u"laengeedit"_qs), u"fuenf"_qs);
    QVERIFY(!ok->isEnabled());
    QCOMPARE(find<QLineEdit>(dlg, u"querschnittedit"_qs)->text(), QString());
    typeText(find<QLineEdit>(dlg, u"laengeedit"_qs), u"0"_qs);
    click(ok);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(w.recordStore()->current().number(u"Okunversorgt"_qs), 0.0);
}

void TestPageDialogs::ductOkKeepsOrGreysTheResults_data()
{
    QTest::addColumn<QString>("typedOutput");
    QTest::addColumn<bool>("stillCalculated");
    QTest::newRow("supplied output unchanged") << u"10,0"_qs << true;
    QTest::newRow("supplied output changed") << u"12"_qs << false;
}

void TestPageDialogs::ductOkKeepsOrGreysTheResults()
{
    // The output the duct supplies enters the check; results computed with
    // another value would otherwise be printed as if they were current.
    QFETCH(QString, typedOutput);
    QFETCH(bool, stillCalculated);
    seedRecords({calculatedRecord({{u"Okqn1"_qs, 20.0}, {u"Okll"_qs, true}, {u"OkllP"_qs, 10.0},
                                   {u"OkllLaenge"_qs, 2.0}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    click(find<QPushButton>(&w, u"llberbtn"_qs));
    auto *dlg = find<Tllberdlg>(&w, u"Tllberdlg"_qs);
    typeText(find<QLineEdit>(dlg, u"leistungedit"_qs), typedOutput);
    QTest::keyClick(find<QLineEdit>(dlg, u"leistungedit"_qs), Qt::Key_Return);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(w.recordStore()->current().boolean(u"Gerechnet"_qs), stillCalculated);
}

void TestPageDialogs::ductSwitchEnablesItsControls()
{
    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    auto *box = find<QCheckBox>(&w, u"zuluftcheckbox"_qs);
    const QList<QWidget *> controls{find<QWidget>(&w, u"llberbtn"_qs), find<QWidget>(&w, u"okllptext"_qs),
                                    find<QWidget>(&w, u"okunversorgttext"_qs)};
    for (QWidget *c : controls)
        QVERIFY(!c->isEnabled());
    click(box);
    QVERIFY(w.recordStore()->current().boolean(u"Okll"_qs));
    for (QWidget *c : controls)
        QVERIFY(c->isEnabled());
    focus(box);
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(!w.recordStore()->current().boolean(u"Okll"_qs));
    for (QWidget *c : controls)
        QVERIFY(!c->isEnabled());
}

// --- room volume ----------------------------------------------------------------

void TestPageDialogs::volumeStoredPerRoom()
{
    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    auto *dlg = find<TVolDialog>(&w, u"TVolDialog"_qs);
    auto text = [&](const char *n) { return find<QLineEdit>(dlg, QString::fromLatin1(n))->text(); };

    QTest::mouseClick(find<QLineEdit>(&w, u"r3v"_qs), Qt::RightButton);
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), u"Raumvolumen berechnen"_qs);
    QTRY_VERIFY(dlg->isActiveWindow());
    QCOMPARE(QApplication::focusWidget(), find<QLineEdit>(dlg, u"ledit"_qs));
    QCOMPARE(text("ledit"), QString());
    QCOMPARE(text("hedit"), u"2,7"_qs);
    typeText(find<QLineEdit>(dlg, u"ledit"_qs), u"4"_qs);
    typeText(find<QLineEdit>(dlg, u"bedit"_qs), u"3,5"_qs);
    QCOMPARE(text("vedit"), u"37,8"_qs);
    typeText(find<QLineEdit>(dlg, u"hedit"_qs), u"2,5"_qs);
    QCOMPARE(text("vedit"), u"35,0"_qs);
    QTest::keyClick(find<QLineEdit>(dlg, u"hedit"_qs), Qt::Key_Return);
    QVERIFY(!dlg->isVisible());

    const Record &r = w.recordStore()->current();
    QCOMPARE(r.number(u"R3V"_qs), 35.0);
    QCOMPARE(r.number(u"R3l"_qs), 4.0);
    QCOMPARE(r.number(u"R3b"_qs), 3.5);
    QCOMPARE(r.number(u"R3h"_qs), 2.5);
    QCOMPARE(find<QLineEdit>(&w, u"r3v"_qs)->text(), u"35,0"_qs);
    QVERIFY(!r.boolean(u"Gerechnet"_qs));

    // R3's dimensions come back for R3, not for another room.
    QTest::mouseClick(find<QLineEdit>(&w, u"r3v"_qs), Qt::RightButton);
    QCOMPARE(text("ledit"), u"4"_qs);
    QCOMPARE(text("bedit"), u"3,5"_qs);
    QCOMPARE(text("hedit"), u"2,5"_qs);
    click(find<QPushButton>(dlg, u"abbrechenbtn"_qs));
    QTest::mouseClick(find<QLineEdit>(&w, u"r2v"_qs), Qt::RightButton);
    QCOMPARE(text("ledit"), QString());
    QCOMPARE(text("hedit"), u"2,7"_qs);
    click(find<QPushButton>(dlg, u"abbrechenbtn"_qs));
    QCOMPARE(w.recordStore()->current().number(u"R2V"_qs), 0.0);
}

void TestPageDialogs::volumeDefaultHeight_data()
{
    QTest::addColumn<QString>("settingsHeight");
    QTest::addColumn<QVariant>("storedHeight");
    QTest::addColumn<QString>("offered");
    QTest::newRow("no setting, no height") << QString() << QVariant() << u"2,7"_qs;
    QTest::newRow("setting, no height") << u"2,5"_qs << QVariant() << u"2,5"_qs;
    QTest::newRow("setting, height 0") << u"2,4"_qs << QVariant(0.0) << u"2,4"_qs;
    QTest::newRow("stored height wins") << u"2,4"_qs << QVariant(3.1) << u"3,1"_qs;
}

void TestPageDialogs::volumeDefaultHeight()
{
    QFETCH(QString, settingsHeight);
    QFETCH(QVariant, storedHeight);
    QFETCH(QString, offered);

    QFile::remove(settings::settingsFilePath());
    if (!settingsHeight.isEmpty()) {
        double h = 0;
        QVERIFY(numfmt::parse(settingsHeight, &h));
        settings::saveDefaultRoomHeight(h);
    }
    QVariantMap rec = calculatedRecord();
    if (storedHeight.isValid())
        rec[u"Rah"_qs] = storedHeight;
    seedRecords({rec});
    {
        TForm1 w;
        QVERIFY(showActive(w, TForm1::Luftverbund));
        QTest::mouseClick(find<QLineEdit>(&w, u"RAV"_qs), Qt::RightButton);
        auto *dlg = find<TVolDialog>(&w, u"TVolDialog"_qs);
        QCOMPARE(find<QLineEdit>(dlg, u"hedit"_qs)->text(), offered);
        click(find<QPushButton>(dlg, u"abbrechenbtn"_qs));
        MessageBox::pushNextAnswer(PromptButton::Ok);   // "Programm wirklich schließen?"
        MessageBox::pushNextAnswer(PromptButton::No);   // the right click left the record changed
        w.close();
    }
    QFile::remove(settings::settingsFilePath());
}

void TestPageDialogs::volumeRefusesADimensionThatIsNoNumber_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << u"drei"_qs << u"'drei' ist kein gültiger Fließkommawert für Feld 'R3b'"_qs;
    QTest::newRow("empty") << QString() << u"'' ist kein gültiger Fließkommawert für Feld 'R3b'"_qs;
}

void TestPageDialogs::volumeRefusesADimensionThatIsNoNumber()
{
    // Confirming would otherwise empty the volume and keep only some of the
    // dimensions; the dialog stays open and nothing is written.
    QFETCH(QString, width);
    QFETCH(QString, message);
    seedRecords({calculatedRecord({{u"R3V"_qs, 20.0}, {u"R3l"_qs, 5.0}, {u"R3b"_qs, 4.0}, {u"R3h"_qs, 2.5}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    QTest::mouseClick(find<QLineEdit>(&w, u"r3v"_qs), Qt::RightButton);
    auto *dlg = find<TVolDialog>(&w, u"TVolDialog"_qs);
    typeText(find<QLineEdit>(dlg, u"ledit"_qs), u"6"_qs);
    typeText(find<QLineEdit>(dlg, u"bedit"_qs), width);
    QCOMPARE(find<QLineEdit>(dlg, u"vedit"_qs)->text(), QString());
    click(find<QPushButton>(dlg, u"okbtn"_qs));
    QCOMPARE(MessageBox::shownTexts(), QStringList{message});
    QVERIFY(dlg->isVisible());
    QCOMPARE(QApplication::focusWidget(), find<QLineEdit>(dlg, u"bedit"_qs));
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.number(u"R3V"_qs), 20.0);
    QCOMPARE(r.number(u"R3l"_qs), 5.0);
    QCOMPARE(r.number(u"R3b"_qs), 4.0);

    typeText(find<QLineEdit>(dlg, u"bedit"_qs), u"4"_qs);
    click(find<QPushButton>(dlg, u"okbtn"_qs));
    QVERIFY(!dlg->isVisible());
    QCOMPARE(r.number(u"R3V"_qs), 60.0);
    QCOMPARE(r.number(u"R3l"_qs), 6.0);
}

void TestPageDialogs::volumeFromTheKeyboard()
{
    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    auto *r5v = find<QLineEdit>(&w, u"r5v"_qs);
    focus(r5v);
    const QPoint at = r5v->rect().center();
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, r5v->mapToGlobal(at));
    QCoreApplication::sendEvent(r5v, &menuKey);
    auto *dlg = find<TVolDialog>(&w, u"TVolDialog"_qs);
    QVERIFY(dlg->isVisible());
    QTRY_VERIFY(dlg->isActiveWindow());
    QTest::keyClicks(QApplication::focusWidget(), u"2"_qs);
    pressTab();
    QTest::keyClicks(QApplication::focusWidget(), u"3"_qs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(w.recordStore()->current().number(u"R5V"_qs), 0.0);
    QVERIFY(w.recordStore()->current().isNull(u"R5l"_qs));
}

void TestPageDialogs::volumeTakesAFullStopAsComma()
{
    // As in the volume fields of the page, a full stop is the decimal comma.
    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    QTest::mouseClick(find<QLineEdit>(&w, u"r2v"_qs), Qt::RightButton);
    auto *dlg = find<TVolDialog>(&w, u"TVolDialog"_qs);
    auto *length = find<QLineEdit>(dlg, u"ledit"_qs);
    typeText(length, u"4.5"_qs);
    QCOMPARE(length->text(), u"4,5"_qs);
    typeText(find<QLineEdit>(dlg, u"bedit"_qs), u"2"_qs);
    typeText(find<QLineEdit>(dlg, u"hedit"_qs), u"2.4"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"hedit"_qs)->text(), u"2,4"_qs);
    QCOMPARE(find<QLineEdit>(dlg, u"vedit"_qs)->text(), u"21,6"_qs);
    // Typed in the middle, the cursor stays where it was.
    QTest::keyClick(length, Qt::Key_End);
    QTest::keyClick(length, Qt::Key_Left);
    QTest::keyClick(length, Qt::Key_Backspace);
    QTest::keyClicks(length, u".2"_qs);
    QCOMPARE(length->text(), u"4,25"_qs);
    QCOMPARE(length->cursorPosition(), 3);
    QTest::keyClick(length, Qt::Key_Return);
    QVERIFY(!dlg->isVisible());
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.number(u"R2V"_qs), 20.4);
    QCOMPARE(r.number(u"R2l"_qs), 4.25);
    QCOMPARE(r.number(u"R2h"_qs), 2.4);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

void TestPageDialogs::dialogsHaveTheirHelpAndKeys()
{
    seedRecords({calculatedRecord({{u"Okll"_qs, true}, {u"OkllP"_qs, 5.0}, {u"OkllLaenge"_qs, 1.0}})});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    struct Case {
        const char *opener;
        const char *dialog;
        QString topic;
    };
    const Case cases[] = {
        {"OKcalcbtn1", "TOKform", u"offener kamin kachelofen.htm"_qs},
        {"llberbtn", "Tllberdlg", u"zuluftleitungen fuer offene kamine und kacheloefen.htm"_qs},
        {"r1v", "TVolDialog", u"raumvolumen berechnen.htm"_qs},
    };
    for (const Case &c : cases) {
        QWidget *opener = find<QWidget>(&w, QString::fromLatin1(c.opener));
        if (auto *b = qobject_cast<QPushButton *>(opener))
            click(b);
        else
            QTest::mouseClick(opener, Qt::RightButton);
        auto *dlg = find<QDialog>(&w, QString::fromLatin1(c.dialog));
        QVERIFY2(dlg->isVisible(), c.dialog);
        const QStringList clashes = mnemonicClashes(dlg);
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(u"; "_qs)));
        click(find<QPushButton>(dlg, u"hilfebtn"_qs));
        QCOMPARE(helpWindow()->currentTopic(), c.topic);
        helpWindow()->close();
        QTest::keyClick(dlg, Qt::Key_F1);
        QCOMPARE(helpWindow()->currentTopic(), c.topic);
        helpWindow()->close();
        QTest::keyClick(dlg, Qt::Key_Escape);
        QVERIFY2(!dlg->isVisible(), c.dialog);
    }
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

OFENRING_PAGE_TEST_MAIN(TestPageDialogs)

#include "test_pagedialogs.moc"
