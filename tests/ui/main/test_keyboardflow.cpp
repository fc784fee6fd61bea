// A day at the desk with the keyboard alone: where the focus stands when the
// program starts, when a page opens and when another record is shown; the
// records inserted, deleted, moved and saved by their keys; the choice of the
// mode; and both worked examples of the interconnection check typed in from
// the start of the program.

#include "mainwindow.h"
#include "uitestenv.h"

#include "betriebdlg.h"
#include "interconnectioncheck.h"
#include "keyboardcheck.h"
#include "meldform.h"
#include "programsettings.h"
#include "recordnavigator.h"
#include "remarkspage.h"
#include "richtextedit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <functional>

Q_DECLARE_METATYPE(std::function<void(TForm1 &)>)

namespace {

using Action = std::function<void(TForm1 &)>;

QWidget *focused()
{
    return QApplication::focusWidget();
}

// The named control that has the focus (the edit inside a list counts as the list).
QString focusedName()
{
    QWidget *f = focused();
    while (f && f->objectName().isEmpty())
        f = f->parentWidget();
    return f ? f->objectName() : QString();
}

void type(const QString &text)
{
    QTest::keyClicks(focused(), text);
}

void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(focused(), k, mods);
}

// Tab as a user presses it: down in the focused control, up in the next one.
void tab(int times = 1)
{
    for (int i = 0; i < times; ++i) {
        QWidget *from = focused();
        QTest::keyPress(from, Qt::Key_Tab);
        QWidget *to = focused();
        QTest::keyRelease(to ? to : from, Qt::Key_Tab);
    }
}

void down(int times)
{
    for (int i = 0; i < times; ++i)
        key(Qt::Key_Down);
}

// What the window manager does when a dialog closes: the main window is
// active again (the offscreen platform leaves that to us).
bool activeAgain(TForm1 &w)
{
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

bool showActive(TForm1 &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

template <typename T>
T *find(QObject *root, const char *name)
{
    return findNamed<T>(root, name);
}

const QString kSaveQuestion = u"Daten wurden geändert. Jetzt speichern?"_qs;

QStringList verdictLines(const QString &problem)
{
    return {u"PROBLEM!"_qs, problem, QString(), QString(), u"Ergebnis:"_qs, u"Schutzziel 1: erreicht"_qs,
            u"Schutzziel 2: erreicht"_qs};
}

} // namespace

class TestKeyboardFlow : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        // Every start but the very first finds the office's name.
        QVERIFY(settings::saveOfficeName(u"Schornsteinfegerei Prüfer"_qs, nullptr));
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

    void bothWorkedExamplesFromTheStart();
    void pageShowsAnotherRecordAtItsFirstField_data();
    void pageShowsAnotherRecordAtItsFirstField();
    void modeChosenByKeyboard();
    void recordsByTheirKeys();
    void keysTypedRightAfterInsertReachTheModeChoice_data();
    void keysTypedRightAfterInsertReachTheModeChoice();
    void navigatorFollowsTheTruePlace_data();
    void navigatorFollowsTheTruePlace();
    void saveKeepsThePage_data();
    void saveKeepsThePage();

private:
    UiTestDir m_dir;
};

void TestKeyboardFlow::bothWorkedExamplesFromTheStart()
{
    seedRecords({{{u"Modus"_qs, 0}}});
    TForm1 w;
    QVERIFY(showActive(w));
    w.askOfficeNameOnce();   // as at every start; the name is kept already
    QVERIFY(!w.officeDialog()->isVisible());

    // The overview has the focus on the current record; Enter opens its page
    // with the cursor in the installation room's name.
    QCOMPARE(focusedName(), u"kqgrid"_qs);
    key(Qt::Key_Return);
    QCOMPARE(w.activePage(), TForm1::Luftverbund);
    QCOMPARE(focusedName(), u"RA"_qs);

    // RA 30 m³, 11 kW, a door to the outside.
    type(u"Heizraum"_qs);
    tab();
    type(u"30"_qs);
    tab();
    type(u"11"_qs);
    tab(2);
    QCOMPARE(focusedName(), u"ratof"_qs);
    key(Qt::Key_Space);
    tab(3);
    // R1 40 m³ with a door to the outside, opening 1, joined with RA.
    QCOMPARE(focusedName(), u"r1"_qs);
    type(u"Wohnen"_qs);
    tab(2);
    type(u"40"_qs);
    tab(3);
    key(Qt::Key_Space);
    tab();
    down(1);
    tab();
    // R2 25 m³ with a door to the outside, opening 3, joined with RA.
    QCOMPARE(focusedName(), u"r2"_qs);
    tab(2);
    type(u"25"_qs);
    tab(3);
    key(Qt::Key_Space);
    tab();
    down(3);
    tab();
    down(1);
    tab();
    // R3 20 m³ without a door to the outside, opening 5, joined with RA.
    QCOMPARE(focusedName(), u"r3"_qs);
    tab();
    type(u"20"_qs);
    tab(4);
    QCOMPARE(focusedName(), u"r3oeff"_qs);
    down(5);
    tab();
    down(1);

    // Enter runs "Berechnen"; the record is saved first.
    MessageBox::pushNextAnswer(PromptButton::Yes);
    key(Qt::Key_Return);
    QCOMPARE(MessageBox::shownTexts(), QStringList{kSaveQuestion});
    auto *meld = find<Tmeldform>(&w, "meldform");
    QVERIFY(meld->isVisible());
    QCOMPARE(meld->lines(), verdictLines(u"R3 hat keine Türe/Fenster ins Freie"_qs));
    QTRY_VERIFY(meld->isActiveWindow());
    key(Qt::Key_Return);
    QVERIFY(!meld->isVisible());
    QVERIFY(activeAgain(w));
    key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(w.activePage(), TForm1::Luftverbund);

    // Ctrl+N: a second record, its mode chosen by keyboard.
    key(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w.recordStore()->state(), StoreState::Insert);
    QCOMPARE(w.activePage(), TForm1::Allgemein);
    QCOMPARE(focusedName(), u"modus0"_qs);
    key(Qt::Key_Space);
    QCOMPARE(w.activePage(), TForm1::Luftverbund);
    QCOMPARE(focusedName(), u"RA"_qs);

    // RA 40 m³, 18 kW, outside door; R1 marked, 60 m³, outside door,
    // opening 1; R3 10 m³, 8 kW, opening 1, joined with R1, no outside door.
    tab();
    type(u"40"_qs);
    tab();
    type(u"18"_qs);
    tab(2);
    key(Qt::Key_Space);
    tab(3);
    QCOMPARE(focusedName(), u"r1"_qs);
    tab();
    key(Qt::Key_Space);   // R1's interconnection mark
    tab();
    type(u"60"_qs);
    tab(3);
    key(Qt::Key_Space);
    tab();
    down(1);
    tab();
    QCOMPARE(focusedName(), u"r2"_qs);
    tab(8);
    QCOMPARE(focusedName(), u"r3"_qs);
    tab();
    type(u"10"_qs);
    tab();
    type(u"8"_qs);
    tab(3);
    down(1);
    tab();
    QCOMPARE(focusedName(), u"r3vmit"_qs);
    down(2);

    MessageBox::pushNextAnswer(PromptButton::Yes);
    key(Qt::Key_Return);
    QVERIFY(meld->isVisible());
    QCOMPARE(meld->lines(), verdictLines(u"R3 hat keine Türe/Fenster ins Freie"_qs));
    QTRY_VERIFY(meld->isActiveWindow());
    key(Qt::Key_Return);
    QVERIFY(activeAgain(w));
    key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(MessageBox::shownTexts(), (QStringList{kSaveQuestion, kSaveQuestion}));

    // Both records hold what was typed, in the rows it was typed for, and
    // the check's results for it.
    const Record first = storedRecord(1);
    QCOMPARE(first.text(u"RA"_qs), u"Heizraum"_qs);
    QCOMPARE(first.text(u"R1"_qs), u"Wohnen"_qs);
    QVERIFY(first.boolean(u"Gerechnet"_qs));
    const std::pair<const char *, double> results[] = {
        {"Vortrag", 30}, {"Rarv", -14}, {"R1Rv", 40}, {"R2rv", 25}, {"R3rv", 0}, {"RAQl", 7.5}, {"R1Ql", 10},
        {"R2ql", 5.6},   {"R3ql", 0},   {"Qlansum", 23.1}, {"Psum", 11}, {"Vsum", 115}, {"Pzusatz", 0}};
    for (const auto &[field, value] : results)
        QCOMPARE(first.number(QString::fromLatin1(field)), value);
    QVERIFY(first.boolean(u"Sz1"_qs) && first.boolean(u"Sz2"_qs));

    const Record second = storedRecord(2);
    QCOMPARE(second.integer(u"Modus"_qs), 0);
    QVERIFY(second.boolean(u"Gerechnet"_qs));
    QVERIFY(second.boolean(u"R1VR"_qs));
    QCOMPARE(second.number(u"R1V"_qs), 60.0);
    QCOMPARE(second.number(u"R3N"_qs), 8.0);
    QCOMPARE(second.integer(u"R3vmit"_qs), 2);
    QCOMPARE(second.number(u"R4V"_qs), 0.0);
    QCOMPARE(second.number(u"R2V"_qs), 0.0);
    QCOMPARE(second.number(u"Vortrag"_qs), 60.0);
    QVERIFY(second.boolean(u"Sz1"_qs) && second.boolean(u"Sz2"_qs));
    for (const Record &r : {first, second})
        QCOMPARE(runInterconnectionCheck(r).messages.lines(), verdictLines(u"R3 hat keine Türe/Fenster ins Freie"_qs));
}

void TestKeyboardFlow::pageShowsAnotherRecordAtItsFirstField_data()
{
    QTest::addColumn<Action>("reach");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field");
    QTest::newRow("Ctrl+Down on the page") << Action([](TForm1 &) { key(Qt::Key_Down, Qt::ControlModifier); }) << 1
                                           << u"RA"_qs;
    QTest::newRow("the navigator") << Action([](TForm1 &w) {
        QTest::mouseClick(find<QToolButton>(&w, "navnext"), Qt::LeftButton);
    }) << 1 << u"RA"_qs;
    QTest::newRow("a move to an installation-room record") << Action([](TForm1 &) {
        key(Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
    }) << 2 << u"HRleistung"_qs;
    QTest::newRow("Enter in the overview") << Action([](TForm1 &w) {
        w.setActivePage(TForm1::Uebersicht);
        QCOMPARE(focusedName(), u"kqgrid"_qs);
        key(Qt::Key_Down);
        key(Qt::Key_Return);
    }) << 1 << u"RA"_qs;
    QTest::newRow("Ctrl+Tab from the general data") << Action([](TForm1 &w) {
        key(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w.activePage(), TForm1::Allgemein);
        QCOMPARE(focusedName(), u"modus0"_qs);
        key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(focusedName(), u"modus0"_qs);
        key(Qt::Key_Tab, Qt::ControlModifier);
    }) << 1 << u"RA"_qs;
    QTest::newRow("the tab's Alt letter") << Action([](TForm1 &w) {
        w.setActivePage(TForm1::Allgemein);
        key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(w.activePage(), TForm1::Allgemein);
        key(Qt::Key_F, Qt::AltModifier);
    }) << 1 << u"RA"_qs;
}

void TestKeyboardFlow::pageShowsAnotherRecordAtItsFirstField()
{
    QFETCH(Action, reach);
    QFETCH(int, row);
    QFETCH(QString, field);
    seedRecords({{{u"Modus"_qs, 0}}, {{u"Modus"_qs, 0}}, {{u"Modus"_qs, 1}}});
    TForm1 w;
    QVERIFY(showActive(w));
    QCOMPARE(focusedName(), u"kqgrid"_qs);
    w.setActivePage(TForm1::Luftverbund);
    QCOMPARE(focusedName(), u"RA"_qs);
    // The control last used on the first record: R3's "Verbunden mit".
    find<QComboBox>(&w, "r3vmit")->setFocus(Qt::MouseFocusReason);

    reach(w);
    QCOMPARE(w.recordStore()->currentRow(), row);
    QCOMPARE(focusedName(), field);
    // What is typed next belongs to that field of that record.
    type(u"4"_qs);
    const Record &r = w.recordStore()->current();
    if (field == u"RA"_qs) {
        QCOMPARE(r.text(u"RA"_qs), u"4"_qs);
        QVERIFY(r.text(u"R3"_qs).isEmpty() && r.text(u"R4"_qs).isEmpty());
    } else {
        tab();
        QCOMPARE(r.number(u"Hrleistung"_qs), 4.0);
    }
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    w.recordStore()->cancel();
}

void TestKeyboardFlow::modeChosenByKeyboard()
{
    seedRecords({{{u"Modus"_qs, 1}}, {{u"A_Name"_qs, u"Ohne Modus"_qs}}});
    TForm1 w;
    QVERIFY(showActive(w));
    w.setActivePage(TForm1::Allgemein);
    QCOMPARE(focusedName(), u"modus1"_qs);   // the chosen mode
    QCOMPARE(mnemonicClashes(&w), QStringList());

    // A record without a mode: Tab and Shift+Tab into the group land on the
    // first mode, whichever mode the last record had; the next Tab leaves it.
    key(Qt::Key_Down, Qt::ControlModifier);
    QVERIFY(w.recordStore()->current().isNull(u"Modus"_qs));
    QCOMPARE(focusedName(), u"modus0"_qs);
    tab();
    QCOMPARE(focusedName(), u"a_nameedit"_qs);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusedName(), u"modus0"_qs);
    key(Qt::Key_Down);   // the arrows move within the group
    QCOMPARE(focusedName(), u"modus1"_qs);
    QVERIFY(w.recordStore()->current().isNull(u"Modus"_qs));
    tab();
    QCOMPARE(focusedName(), u"a_nameedit"_qs);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusedName(), u"modus0"_qs);
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    QCOMPARE(w.recordStore()->current().integer(u"Modus"_qs), 1);
    tab();
    QCOMPARE(focusedName(), u"a_nameedit"_qs);
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focusedName(), u"modus1"_qs);   // now the chosen one
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(focusedName() != u"modus0"_qs);

    // Each mode has its Alt letter.
    key(Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE(w.recordStore()->current().integer(u"Modus"_qs), 0);
    QCOMPARE(focusedName(), u"modus0"_qs);
    key(Qt::Key_W, Qt::AltModifier);
    QTRY_COMPARE(w.recordStore()->current().integer(u"Modus"_qs), 1);

    // RA's name has one on the interconnection page, free of every other.
    key(Qt::Key_V, Qt::AltModifier);
    QTRY_COMPARE(w.recordStore()->current().integer(u"Modus"_qs), 0);
    w.setActivePage(TForm1::Luftverbund);
    QCOMPARE(mnemonicClashes(&w), QStringList());
    key(Qt::Key_3, Qt::AltModifier);
    QCOMPARE(focusedName(), u"r3"_qs);
    key(Qt::Key_A, Qt::AltModifier);
    QCOMPARE(focusedName(), u"RA"_qs);
    w.recordStore()->cancel();
}

void TestKeyboardFlow::recordsByTheirKeys()
{
    seedRecords({{{u"A_Name"_qs, u"Eins"_qs}}, {{u"A_Name"_qs, u"Zwei"_qs}}, {{u"A_Name"_qs, u"Drei"_qs}}});
    TForm1 w;
    QVERIFY(showActive(w));
    RecordStore *store = w.recordStore();

    // The commands stand in the menu with their keys, and the keys in the
    // hints of the navigator.
    auto *menu = find<QMenu>(&w, "datensatzmenu");
    QStringList commands;
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            commands << a->objectName() + u' ' + a->shortcut().toString(QKeySequence::PortableText);
    QCOMPARE(commands, (QStringList{u"neu Ctrl+N"_qs, u"loeschen Ctrl+Del"_qs, u"erster Ctrl+Shift+Up"_qs,
                                    u"vorheriger Ctrl+Up"_qs, u"naechster Ctrl+Down"_qs, u"letzter Ctrl+Shift+Down"_qs,
                                    u"speichern Ctrl+S"_qs, u"suchen Ctrl+F"_qs}));
    const auto hint = [&](const char *button) { return find<QToolButton>(&w, button)->toolTip(); };
    const QString native = [](QKeySequence k) { return k.toString(QKeySequence::NativeText); }(
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up));
    QCOMPARE(hint("navfirst"), u"Erster Datensatz (%1)"_qs.arg(native));
    QVERIFY(hint("navinsert").startsWith(u"Datensatz einfügen ("_qs));
    QVERIFY(hint("navdelete").startsWith(u"Datensatz löschen ("_qs));

    // The moves work from the overview and from a field of a page alike.
    key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(store->currentRow(), 2);
    key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(store->currentRow(), 1);
    w.setActivePage(TForm1::Allgemein);
    find<QLineEdit>(&w, "a_nameedit")->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(store->currentRow(), 0);
    key(Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(store->current().text(u"A_Name"_qs), u"Zwei"_qs);

    // Ctrl+Del asks first.
    find<QLineEdit>(&w, "a_nameedit")->setFocus(Qt::TabFocusReason);
    MessageBox::pushNextAnswer(PromptButton::Cancel);
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(store->rowCount(), 3);
    MessageBox::pushNextAnswer(PromptButton::Ok);
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(MessageBox::shownTexts(), (QStringList{u"Datensatz löschen?"_qs, u"Datensatz löschen?"_qs}));
    QCOMPARE(store->rowCount(), 2);
    QCOMPARE(store->current().text(u"A_Name"_qs), u"Drei"_qs);

    // Ctrl+N from the overview: the new record's mode has the focus; Ctrl+S saves it there.
    w.setActivePage(TForm1::Uebersicht);
    key(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(store->state(), StoreState::Insert);
    QCOMPARE(w.activePage(), TForm1::Allgemein);
    QCOMPARE(focusedName(), u"modus0"_qs);
    tab();
    type(u"Vier"_qs);
    key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(store->state(), StoreState::Browse);
    QCOMPARE(store->rowCount(), 3);
    QCOMPARE(storedRecord(store->currentKey()).text(u"A_Name"_qs), u"Vier"_qs);
}

void TestKeyboardFlow::keysTypedRightAfterInsertReachTheModeChoice_data()
{
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<int>("page");
    QTest::newRow("\"+\" clicked on the interconnection page") << true << int(TForm1::Luftverbund);
    QTest::newRow("\"+\" clicked on the remarks page") << true << int(TForm1::Anmerkungen);
    QTest::newRow("Ctrl+N on the interconnection page") << false << int(TForm1::Luftverbund);
    QTest::newRow("Ctrl+N in the overview") << false << int(TForm1::Uebersicht);
}

void TestKeyboardFlow::keysTypedRightAfterInsertReachTheModeChoice()
{
    QFETCH(bool, byMouse);
    QFETCH(int, page);
    seedRecords({{{u"Modus"_qs, 0}}});
    TForm1 w;
    QVERIFY(showActive(w));
    w.setActivePage(TForm1::Page(page));
    if (page == TForm1::Luftverbund)
        find<QLineEdit>(&w, "r3v")->setFocus(Qt::MouseFocusReason);
    if (byMouse)
        QTest::mouseClick(find<QToolButton>(&w, "navinsert"), Qt::LeftButton);
    else
        key(Qt::Key_N, Qt::ControlModifier);
    // No events in between: the very next key goes to the mode choice.
    key(Qt::Key_Space);
    QCOMPARE(w.recordStore()->state(), StoreState::Insert);
    QVERIFY(!w.recordStore()->current().isNull(u"Modus"_qs));
    QCOMPARE(w.recordStore()->current().integer(u"Modus"_qs), 0);
    // Inserted from a mode page, the record's mode page follows its mode.
    QCOMPARE(w.activePage(), page == TForm1::Luftverbund ? TForm1::Luftverbund : TForm1::Allgemein);
    w.recordStore()->cancel();
}

void TestKeyboardFlow::navigatorFollowsTheTruePlace_data()
{
    QTest::addColumn<bool>("byOwner");
    QTest::newRow("order of creation") << false;
    QTest::newRow("order by owner") << true;
}

void TestKeyboardFlow::navigatorFollowsTheTruePlace()
{
    QFETCH(bool, byOwner);
    seedRecords({{{u"E_Name"_qs, u"Berg"_qs}}, {{u"E_Name"_qs, u"Mayer"_qs}}});
    TForm1 w;
    QVERIFY(showActive(w));
    if (byOwner)
        QTest::mouseClick(find<QToolButton>(&w, "sorteigentuemerbtn"), Qt::LeftButton);
    auto *nav = find<RecordNavigator>(&w, "navigator");
    auto enabled = [&] {
        QString s;
        for (auto b : {RecordNavigator::First, RecordNavigator::Prior, RecordNavigator::Next, RecordNavigator::Last})
            s += nav->button(b)->isEnabled() ? u'1' : u'0';
        return s;
    };
    QCOMPARE(enabled(), u"0011"_qs);

    key(Qt::Key_N, Qt::ControlModifier);
    // A new record is saved after the others; by owner, without a name, before them.
    QCOMPARE(enabled(), byOwner ? u"0011"_qs : u"1100"_qs);
    // The owner typed in gives it its place by owner.
    find<QLineEdit>(&w, "e_nameedit")->setFocus(Qt::TabFocusReason);
    type(u"Zander"_qs);
    QCOMPARE(enabled(), u"1100"_qs);
    find<QLineEdit>(&w, "e_nameedit")->selectAll();
    type(u"Carl"_qs);
    QCOMPARE(enabled(), byOwner ? u"1111"_qs : u"1100"_qs);

    // Where the navigator put it is where the save puts it.
    key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.recordStore()->currentRow(), byOwner ? 1 : 2);
    QCOMPARE(enabled(), byOwner ? u"1111"_qs : u"1100"_qs);
    key(Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(w.recordStore()->current().text(u"E_Name"_qs), byOwner ? u"Berg"_qs : u"Mayer"_qs);
}

void TestKeyboardFlow::saveKeepsThePage_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::newRow("Ctrl+S") << true;
    QTest::newRow("the disk button") << false;
}

void TestKeyboardFlow::saveKeepsThePage()
{
    QFETCH(bool, byKey);
    seedRecords({{{u"Modus"_qs, 0}}});
    TForm1 w;
    QVERIFY(showActive(w));
    // The remarks are reached from the record's mode page.
    key(Qt::Key_Return);
    QCOMPARE(w.activePage(), TForm1::Luftverbund);
    key(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(w.activePage(), TForm1::Anmerkungen);
    auto *remarks = static_cast<RemarksPage *>(w.page(TForm1::Anmerkungen));
    remarks->bemedit()->setFocus(Qt::MouseFocusReason);
    type(u"Abgasweg frei"_qs);
    if (byKey)
        key(Qt::Key_S, Qt::ControlModifier);
    else
        QTest::mouseClick(find<QToolButton>(&w, "speichernbtn"), Qt::LeftButton);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QVERIFY(storedRecord(1).value(u"Bemerkung"_qs).toString().contains(u"Abgasweg frei"_qs));
    QCOMPARE(w.activePage(), TForm1::Anmerkungen);
    QCOMPARE(focused(), static_cast<QWidget *>(remarks->bemedit()));
    QCOMPARE(MessageBox::shownTexts(), QStringList());
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestKeyboardFlow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_keyboardflow.moc"
