#include "pagetestenv.h"

#include "interconnectioncheck.h"
#include "keyboardcheck.h"
#include "luftverbundpage.h"
#include "meldform.h"
#include "raumbezdlg.h"

#include <QPlainTextEdit>
#include <QToolButton>
#include <functional>

Q_DECLARE_METATYPE(PromptButton)

namespace {

const QColor kBlack(0, 0, 0);
const QColor kGrey(128, 128, 128);

// A record in the interconnection mode whose results belong to its inputs.
QVariantMap calculatedRecord()
{
    return {{u"Modus"_qs, 0},     {u"RAV"_qs, 30.0},     {u"RAN"_qs, 11.0},     {u"RATOF"_qs, true},
            {u"RA"_qs, u"Küche"_qs}, {u"Qlansum"_qs, 7.5}, {u"RAQl"_qs, 7.5},     {u"Vsum"_qs, 30.0},
            {u"Psum"_qs, 11.0},   {u"Sz1"_qs, true},     {u"Sz2"_qs, false},    {u"Gerechnet"_qs, true}};
}

} // namespace

class TestLuftverbundPage : public PageTest {
    Q_OBJECT

private slots:
    void workedExampleTypedAndCalculated();
    void entryCheckOfVolumesAndOutputs_data();
    void entryCheckOfVolumesAndOutputs();
    void connectedWithListsFollowTheMarks_data();
    void connectedWithListsFollowTheMarks();
    void roomLosesItsPartnerWithTheMark();
    void marksOutOfOrderAreRefused_data();
    void marksOutOfOrderAreRefused();
    void whatGreysTheResults_data();
    void whatGreysTheResults();
    void moveShowsTheRecordsOwnState();
    void roomNameAndApplianceSuggestions();
    void keyboardAlone();
};

void TestLuftverbundPage::workedExampleTypedAndCalculated()
{
    seedRecords({{{u"Modus"_qs, 0}}, {{u"Modus"_qs, 0}}});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    auto edit = [&](const char *n) { return find<QLineEdit>(&w, QString::fromLatin1(n)); };
    auto box = [&](const char *n) { return find<QCheckBox>(&w, QString::fromLatin1(n)); };
    auto list = [&](const char *n) { return find<QComboBox>(&w, QString::fromLatin1(n)); };
    QCOMPARE(textColour(find<QLabel>(&w, u"Qlansum"_qs)), kGrey);   // a new record is not calculated

    typeAndLeave(edit("RAV"), u"30"_qs);
    typeAndLeave(edit("ran"), u"11"_qs);
    click(box("ratof"));
    typeAndLeave(edit("r1v"), u"40"_qs);
    click(box("r1tof"));
    choose(list("r1oeff"), 1);
    typeAndLeave(edit("r2v"), u"25"_qs);
    click(box("r2tof"));
    choose(list("r2oeff"), 3);
    choose(list("r2vmit"), 1);
    typeAndLeave(edit("r3v"), u"20"_qs);
    choose(list("r3oeff"), 5);
    choose(list("r3vmit"), 1);
    QCOMPARE(list("r1vmit")->currentText(), u"RA"_qs);   // R1 is always joined with RA

    // Enter in a field runs "Berechnen", which saves the pending edits first.
    MessageBox::pushNextAnswer(PromptButton::Yes);
    focus(edit("r7n"));
    QTest::keyClick(edit("r7n"), Qt::Key_Return);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Daten wurden geändert. Jetzt speichern?"_qs});

    auto *meld = find<Tmeldform>(&w, u"meldform"_qs);
    QVERIFY(meld->isVisible());
    QVERIFY(meld->isModal());
    QCOMPARE(meld->windowTitle(), u"Meldungen"_qs);
    const QStringList expected{u"PROBLEM!"_qs, u"R3 hat keine Türe/Fenster ins Freie"_qs, QString(), QString(),
                               u"Ergebnis:"_qs, u"Schutzziel 1: erreicht"_qs, u"Schutzziel 2: erreicht"_qs};
    QCOMPARE(meld->lines(), expected);

    const std::pair<const char *, const char *> shown[] = {
        {"RAQl", "7,5"}, {"R1Ql", "10,0"}, {"R2ql", "5,6"}, {"R3ql", "0,0"}, {"R1Rv", "40,0"},
        {"R2rv", "25,0"}, {"R3rv", "0,0"}, {"Qlansum", "23,1"}};
    for (const auto &[name, text] : shown)
        QCOMPARE(find<QLabel>(&w, QString::fromLatin1(name))->text(), QString::fromLatin1(text));
    QCOMPARE(edit("Vsum")->text(), u"115,0"_qs);
    QCOMPARE(edit("Psum")->text(), u"11,0"_qs);
    QVERIFY(box("Sz1")->isChecked());
    QVERIFY(box("Sz2")->isChecked());
    for (const char *name : {"Qlansum", "R2ql", "qlanrheading"})
        QCOMPARE(textColour(find<QLabel>(&w, QString::fromLatin1(name))), kBlack);
    QCOMPARE(edit("Vsum")->palette().color(QPalette::Text), kBlack);
    QCOMPARE(textColour(box("Sz1")), kBlack);

    QTest::keyClick(meld, Qt::Key_Return);   // "OK" is the window's default
    QVERIFY(!meld->isVisible());

    // The results are kept with the record's next save.
    const int key = w.recordStore()->currentKey();
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::mouseClick(find<QToolButton>(&w, u"navnext"_qs), Qt::LeftButton);
    QCOMPARE(w.recordStore()->currentRow(), 1);
    const Record stored = storedRecord(key);
    QVERIFY(stored.boolean(u"Gerechnet"_qs));
    const std::pair<const char *, double> values[] = {
        {"Vortrag", 30}, {"Rarv", -14}, {"R1Rv", 40}, {"R2rv", 25}, {"R3rv", 0}, {"RAQl", 7.5}, {"R1Ql", 10},
        {"R2ql", 5.6},   {"R3ql", 0},   {"Qlansum", 23.1}, {"Psum", 11}, {"Vsum", 115}, {"Pzusatz", 0}};
    for (const auto &[field, value] : values)
        QCOMPARE(stored.number(QString::fromLatin1(field)), value);
    QVERIFY(stored.boolean(u"Sz1"_qs) && stored.boolean(u"Sz2"_qs));
    // The window showed exactly the check's own findings for these inputs.
    QCOMPARE(runInterconnectionCheck(stored).messages.lines(), expected);
}

void TestLuftverbundPage::entryCheckOfVolumesAndOutputs_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownWhileTyping");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("stored");
    QTest::newRow("full stop becomes the decimal comma") << u"RAV"_qs << u"12.5"_qs << u"12,5"_qs << true << 12.5;
    QTest::newRow("just above the tolerance") << u"r4n"_qs << u"-0,0005"_qs << u"-0,0005"_qs << true << -0.0005;
    QTest::newRow("negative") << u"RAV"_qs << u"-1"_qs << u"-1"_qs << false << 30.0;
    QTest::newRow("at the tolerance") << u"ran"_qs << u"-0,001"_qs << u"-0,001"_qs << false << 11.0;
    QTest::newRow("emptied") << u"RAV"_qs << QString() << QString() << false << 30.0;
    QTest::newRow("not a number") << u"ran"_qs << u"elf"_qs << u"elf"_qs << false << 11.0;
}

void TestLuftverbundPage::entryCheckOfVolumesAndOutputs()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shownWhileTyping);
    QFETCH(bool, accepted);
    QFETCH(double, stored);

    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    auto *edit = find<QLineEdit>(&w, field);
    typeText(edit, typed);
    QCOMPARE(edit->text(), shownWhileTyping);
    pressTab();

    const QString recordField = field == u"ran"_qs ? u"RAN"_qs : field == u"r4n"_qs ? u"R4N"_qs : field;
    QCOMPARE(w.recordStore()->current().number(recordField), stored);
    if (accepted) {
        QCOMPARE(MessageBox::shownTexts(), QStringList());
        QVERIFY(QApplication::focusWidget() != edit);
        return;
    }
    // Refused: the message, the focus back in the field, the typed text kept
    // for correction; Enter does not start the check with it.
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Falsche Eingabe"_qs});
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->text(), shownWhileTyping);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(MessageBox::shownTexts(), (QStringList{u"Falsche Eingabe"_qs, u"Falsche Eingabe"_qs}));
    QVERIFY(!find<Tmeldform>(&w, u"meldform"_qs)->isVisible());
    QCOMPARE(w.recordStore()->current().number(recordField), stored);

    // A correct number lets the user go on.
    typeAndLeave(edit, u"7,5"_qs);
    QCOMPARE(w.recordStore()->current().number(recordField), 7.5);
    QVERIFY(QApplication::focusWidget() != edit);
}

void TestLuftverbundPage::connectedWithListsFollowTheMarks_data()
{
    QTest::addColumn<QStringList>("marksClicked");
    QTest::addColumn<QStringList>("listOfR2");
    QTest::addColumn<QStringList>("listOfR3toR7");
    const QStringList a{QString(), u"RA"_qs};
    const QStringList b{QString(), u"RA"_qs, u"R1"_qs};
    const QStringList c{QString(), u"RA"_qs, u"R1"_qs, u"R2"_qs};
    QTest::newRow("no marks") << QStringList() << a << a;
    QTest::newRow("R1 marked") << QStringList{u"r1vr"_qs} << b << b;
    QTest::newRow("R1 and R2 marked") << QStringList{u"r1vr"_qs, u"r2vr"_qs} << b << c;
    QTest::newRow("R2's mark removed again") << QStringList{u"r1vr"_qs, u"r2vr"_qs, u"r2vr"_qs} << b << b;
}

void TestLuftverbundPage::connectedWithListsFollowTheMarks()
{
    QFETCH(QStringList, marksClicked);
    QFETCH(QStringList, listOfR2);
    QFETCH(QStringList, listOfR3toR7);

    seedRecords({{{u"Modus"_qs, 0}}});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    for (const QString &mark : marksClicked)
        click(find<QCheckBox>(&w, mark));
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    QCOMPARE(items(find<QComboBox>(&w, u"r1vmit"_qs)), (QStringList{QString(), u"RA"_qs}));
    QCOMPARE(items(find<QComboBox>(&w, u"r2vmit"_qs)), listOfR2);
    for (int n = 3; n <= 7; ++n)
        QCOMPARE(items(find<QComboBox>(&w, u"r%1vmit"_qs.arg(n))), listOfR3toR7);
}

void TestLuftverbundPage::roomLosesItsPartnerWithTheMark()
{
    seedRecords({{{u"Modus"_qs, 0},    {u"R1VR"_qs, true}, {u"R2VR"_qs, true}, {u"R1oeff"_qs, 1},
                  {u"R2oeff"_qs, 1},   {u"R2vmit"_qs, 2},  {u"R3oeff"_qs, 1}, {u"R3vmit"_qs, 3},
                  {u"R1V"_qs, 50.0},   {u"R2V"_qs, 40.0},  {u"R3V"_qs, 20.0}, {u"RAV"_qs, 30.0}}});
    TForm1 w;
    w.recordStore()->setConfirmChanges(false);
    QVERIFY(showActive(w, TForm1::Luftverbund));
    auto *r3 = find<QComboBox>(&w, u"r3vmit"_qs);
    QCOMPARE(r3->currentText(), u"R2"_qs);

    click(find<QCheckBox>(&w, u"r2vr"_qs));
    QCOMPARE(items(r3), (QStringList{QString(), u"RA"_qs, u"R1"_qs}));
    QCOMPARE(r3->currentIndex(), -1);
    QCOMPARE(w.recordStore()->current().integer(u"R3vmit"_qs), -1);
    QCOMPARE(w.recordStore()->current().integer(u"R2vmit"_qs), 2);   // R1 is still in R2's list

    click(find<QPushButton>(&w, u"rechenbtn"_qs));
    const QStringList lines = find<Tmeldform>(&w, u"meldform"_qs)->lines();
    QVERIFY2(lines.contains(u"Kein verbundener Raum angegeben bei R3"_qs), qPrintable(lines.join(u" | "_qs)));
}

void TestLuftverbundPage::marksOutOfOrderAreRefused_data()
{
    QTest::addColumn<bool>("r1Before");
    QTest::addColumn<bool>("r2Before");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("R2 before R1, mouse") << false << false << u"r2vr"_qs << false;
    QTest::newRow("R2 before R1, space") << false << false << u"r2vr"_qs << true;
    QTest::newRow("R1 off before R2, mouse") << true << true << u"r1vr"_qs << false;
    QTest::newRow("R1 off before R2, space") << true << true << u"r1vr"_qs << true;
}

void TestLuftverbundPage::marksOutOfOrderAreRefused()
{
    QFETCH(bool, r1Before);
    QFETCH(bool, r2Before);
    QFETCH(QString, box);
    QFETCH(bool, byKeyboard);

    QVariantMap rec = calculatedRecord();
    rec[u"R1VR"_qs] = r1Before;
    rec[u"R2VR"_qs] = r2Before;
    seedRecords({rec});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    auto *mark = find<QCheckBox>(&w, box);
    const bool before = mark->isChecked();
    if (byKeyboard) {
        focus(mark);
        QTest::keyClick(mark, Qt::Key_Space);
    } else {
        click(mark);
    }
    QCOMPARE(MessageBox::shownTexts(),
             QStringList{u"Verbundräume von oben nach unten markieren, bzw. Markierungen von unten nach oben entfernen!"_qs});
    QCOMPARE(mark->isChecked(), before);
    const Record &r = w.recordStore()->current();
    QCOMPARE(r.boolean(u"R1VR"_qs), r1Before);
    QCOMPARE(r.boolean(u"R2VR"_qs), r2Before);
    QCOMPARE(w.recordStore()->isModified(), false);
}

void TestLuftverbundPage::whatGreysTheResults_data()
{
    using Action = std::function<void(TForm1 &)>;
    QTest::addColumn<Action>("action");
    QTest::addColumn<bool>("grey");
    auto box = [](TForm1 &w, const char *n) { return find<QCheckBox>(&w, QString::fromLatin1(n)); };
    auto combo = [](TForm1 &w, const char *n) { return find<QComboBox>(&w, QString::fromLatin1(n)); };
    auto edit = [](TForm1 &w, const char *n) { return find<QLineEdit>(&w, QString::fromLatin1(n)); };

    QTest::newRow("tabbing through R1's mark") << Action([=](TForm1 &w) {
        focus(combo(w, "r1"));
        pressTab();
        pressTab();
    }) << true;
    QTest::newRow("tabbing through a room name") << Action([=](TForm1 &w) {
        focus(combo(w, "RA"));
        pressTab();
    }) << false;
    QTest::newRow("typing in a volume") << Action([=](TForm1 &w) { typeText(edit(w, "r2v"), u"3"_qs); }) << true;
    QTest::newRow("left click into a volume") << Action([=](TForm1 &w) {
        QTest::mouseClick(edit(w, "r5v"), Qt::LeftButton);
    }) << true;
    QTest::newRow("space on a door to the outside") << Action([=](TForm1 &w) {
        focus(box(w, "r3tof"));
        QTest::keyClick(box(w, "r3tof"), Qt::Key_Space);
    }) << true;
    QTest::newRow("mouse on a door to the outside") << Action([=](TForm1 &w) { click(box(w, "ratof")); }) << true;
    QTest::newRow("choosing an opening type") << Action([=](TForm1 &w) { choose(combo(w, "r6oeff"), 2); }) << true;
    QTest::newRow("a letter typed in a connected-with list") << Action([=](TForm1 &w) {
        focus(combo(w, "r4vmit"));
        QTest::keyClick(combo(w, "r4vmit"), Qt::Key_X);
    }) << true;
    QTest::newRow("Zuluftl.") << Action([=](TForm1 &w) { click(box(w, "zuluftcheckbox")); }) << true;
    QTest::newRow("typing a room name") << Action([=](TForm1 &w) {
        focus(combo(w, "r2"));
        QTest::keyClicks(combo(w, "r2")->lineEdit(), u"Bad"_qs);
    }) << false;
    QTest::newRow("typing an appliance type") << Action([=](TForm1 &w) {
        focus(combo(w, "raart"));
        QTest::keyClicks(combo(w, "raart")->lineEdit(), u"Therme"_qs);
    }) << false;
    QTest::newRow("Bestandsschutz") << Action([=](TForm1 &w) { click(box(w, "bschutzcheckbox")); }) << false;
}

void TestLuftverbundPage::whatGreysTheResults()
{
    using Action = std::function<void(TForm1 &)>;
    QFETCH(Action, action);
    QFETCH(bool, grey);

    seedRecords({calculatedRecord()});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    QCOMPARE(textColour(find<QLabel>(&w, u"Qlansum"_qs)), kBlack);
    action(w);
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    QCOMPARE(w.recordStore()->current().boolean(u"Gerechnet"_qs), !grey);
    const QColor want = grey ? kGrey : kBlack;
    for (const char *name : {"Qlansum", "RAQl", "restvolumenheading", "qlansumcaption"})
        QCOMPARE(textColour(find<QLabel>(&w, QString::fromLatin1(name))), want);
    QCOMPARE(find<QLineEdit>(&w, u"Psum"_qs)->palette().color(QPalette::Text), want);
    QCOMPARE(textColour(find<QCheckBox>(&w, u"Sz2"_qs)), want);
    // Nothing but a right click opens the volume calculator.
    QVERIFY(!w.findChild<QDialog *>(u"TVolDialog"_qs)->isVisible());
}

void TestLuftverbundPage::moveShowsTheRecordsOwnState()
{
    QVariantMap stale = calculatedRecord();
    stale[u"Gerechnet"_qs] = false;
    stale[u"R2VR"_qs] = false;
    stale[u"R1VR"_qs] = true;
    stale[u"R1oeff"_qs] = 2;
    stale[u"R3oeff"_qs] = 9;    // a code beyond the list
    stale[u"R3vmit"_qs] = 2;
    stale[u"Okraum1"_qs] = 3;
    stale[u"Okll"_qs] = true;
    seedRecords({calculatedRecord(), stale});
    TForm1 w;
    QVERIFY(showActive(w, TForm1::Luftverbund));
    QCOMPARE(textColour(find<QLabel>(&w, u"Qlansum"_qs)), kBlack);
    QVERIFY(!find<QPushButton>(&w, u"llberbtn"_qs)->isEnabled());

    QTest::mouseClick(find<QToolButton>(&w, u"navnext"_qs), Qt::LeftButton);
    QCOMPARE(textColour(find<QLabel>(&w, u"Qlansum"_qs)), kGrey);
    QCOMPARE(find<QLabel>(&w, u"Qlansum"_qs)->text(), u"7,5"_qs);   // stale results stay visible
    QCOMPARE(find<QComboBox>(&w, u"r1oeff"_qs)->currentIndex(), 2);
    QCOMPARE(find<QComboBox>(&w, u"r3oeff"_qs)->currentIndex(), -1);
    QCOMPARE(find<QComboBox>(&w, u"r3vmit"_qs)->currentText(), u"R1"_qs);
    QCOMPARE(find<QComboBox>(&w, u"okraum1"_qs)->currentText(), u"KO"_qs);
    QVERIFY(find<QPushButton>(&w, u"llberbtn"_qs)->isEnabled());
    QVERIFY(find<QLineEdit>(&w, u"okunversorgttext"_qs)->isEnabled());
    // Showing the record is no change to it.
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(w.recordStore()->current().integer(u"R3oeff"_qs), 9);
}

void TestLuftverbundPage::roomNameAndApplianceSuggestions()
{
    QDir().mkpath(u"daten"_qs);
    {
        QFile f(u"daten/feuerst.txt"_qs);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Gas-Brennwertkessel 24\r\nGastherme\r\n");
    }
    seedRecords({{{u"Modus"_qs, 0}}});
    TForm1 w;
    w.recordStore()->setConfirmChanges(false);
    QVERIFY(showActive(w, TForm1::Luftverbund));
    QCOMPARE(items(find<QComboBox>(&w, u"r5"_qs)), TextLists::builtinRoomNames());
    QCOMPARE(items(find<QComboBox>(&w, u"r7art"_qs)), (QStringList{u"Gas-Brennwertkessel 24"_qs, u"Gastherme"_qs}));

    // A choice longer than the field is kept as far as the field reaches.
    auto *art = find<QComboBox>(&w, u"raart"_qs);
    focus(art);
    QTest::keyClick(art, Qt::Key_Down);
    QCOMPARE(w.recordStore()->current().text(u"RAArt"_qs), u"Gas-Brennwertke"_qs);
    QCOMPARE(art->currentText(), u"Gas-Brennwertke"_qs);

    // A name added in the list dialog is offered in every room at once; what
    // the rooms hold stays.
    focus(find<QComboBox>(&w, u"r2"_qs));
    QTest::keyClicks(find<QComboBox>(&w, u"r2"_qs)->lineEdit(), u"Bad oben"_qs);
    w.editTextList(TextLists::RoomNames);
    auto *dlg = find<Traumbezdlg>(&w, u"Traumbezdlg"_qs);
    dlg->editor()->moveCursor(QTextCursor::End);
    dlg->editor()->insertPlainText(u"\nWintergarten"_qs);
    click(find<QPushButton>(dlg, u"okbtn"_qs));
    for (const char *room : {"RA", "r1", "r2", "r3", "r4", "r5", "r6", "r7"})
        QVERIFY2(items(find<QComboBox>(&w, QString::fromLatin1(room))).contains(u"Wintergarten"_qs), room);
    QCOMPARE(find<QComboBox>(&w, u"r2"_qs)->currentText(), u"Bad oben"_qs);
    QCOMPARE(w.recordStore()->current().text(u"R2"_qs), u"Bad oben"_qs);
}

void TestLuftverbundPage::keyboardAlone()
{
    seedRecords({calculatedRecord()});
    TForm1 w;
    w.recordStore()->setConfirmChanges(false);
    QVERIFY(showActive(w, TForm1::Luftverbund));
    const QStringList clashes = mnemonicClashes(&w);
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join(u"; "_qs)));

    // Tab walks the page row by row, the fireplace row after RA's.
    QStringList expected{u"RA"_qs, u"RAV"_qs, u"ran"_qs, u"raart"_qs, u"ratof"_qs, u"OKcalcbtn1"_qs,
                         u"zuluftcheckbox"_qs};
    for (int n = 1; n <= 7; ++n) {
        const QString r = u"r"_qs + QString::number(n);
        expected << r;
        if (n <= 2)
            expected << r + u"vr"_qs;
        expected << r + u"v"_qs << r + u"n"_qs << r + u"art"_qs << r + u"tof"_qs << r + u"oeff"_qs;
        if (n > 1)
            expected << r + u"vmit"_qs;
    }
    expected << u"bschutzcheckbox"_qs << u"rechenbtn"_qs << u"hilfebtn1"_qs;
    focus(find<QWidget>(&w, u"RA"_qs));
    QStringList walked{u"RA"_qs};
    for (int i = 0; i < expected.size() + 5 && walked.size() < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *f = QApplication::focusWidget();
        while (f && f->objectName().isEmpty())
            f = f->parentWidget();   // the edit inside a list
        if (f && walked.last() != f->objectName())
            walked << f->objectName();
    }
    QCOMPARE(walked, expected);

    // Alt+3 jumps to R3's room name; Enter there runs "Berechnen".
    QTest::keyClick(&w, Qt::Key_3, Qt::AltModifier);
    QWidget *f = QApplication::focusWidget();
    QVERIFY(f && (f->objectName() == u"r3"_qs || f->parentWidget()->objectName() == u"r3"_qs));
    QTest::keyClick(f, Qt::Key_Return);
    QVERIFY(find<Tmeldform>(&w, u"meldform"_qs)->isVisible());
    QTest::keyClick(find<Tmeldform>(&w, u"meldform"_qs), Qt::Key_Escape);
    QVERIFY(!find<Tmeldform>(&w, u"meldform"_qs)->isVisible());
}

OFENRING_PAGE_TEST_MAIN(TestLuftverbundPage)

#include "test_luftverbundpage.moc"
