#include "fieldbinding.h"
#include "uitestenv.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QTest>

class TestFieldBinding : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        seedRecords({{{u"RAV"_qs, 30.0}, {u"A_Name"_qs, u"Eins"_qs}}, {{u"RAV"_qs, 40.0}}});
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

    void typedNumberIsCheckedWhenLeft_data();
    void typedNumberIsCheckedWhenLeft();
    void rejectedNumberKeepsTheRecordFromMoving();
    void rightClickEntersEditState();

private:
    UiTestDir m_dir;
};

void TestFieldBinding::typedNumberIsCheckedWhenLeft_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("decimal comma") << u"2,5"_qs << true << 2.5 << u"2,5"_qs;
    QTest::newRow("whole number shown in the field's format") << u"3"_qs << true << 3.0 << u"3,0"_qs;
    QTest::newRow("not a number") << u"abc"_qs << false << 30.0 << u"abc"_qs;
}

void TestFieldBinding::typedNumberIsCheckedWhenLeft()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(double, stored);
    QFETCH(QString, shown);

    RecordStore store;
    store.setPrompter(&MessageBox::instance());
    QVERIFY(store.open());
    QLineEdit edit;
    BindingSet bindings(&store);
    bindings.add<LineEditBinding>(u"RAV"_qs, &edit);
    bindings.refreshAll();
    QCOMPARE(edit.text(), u"30,0"_qs);

    edit.selectAll();
    QTest::keyClicks(&edit, typed);
    // Half-typed numbers are not the record's yet, but the record is in edit.
    QCOMPARE(store.fieldNumber(u"RAV"_qs), 30.0);
    QCOMPARE(store.state(), StoreState::Edit);

    QCOMPARE(bindings.commitAll(), accepted);
    QCOMPARE(store.fieldNumber(u"RAV"_qs), stored);
    QCOMPARE(edit.text(), shown);
    QCOMPARE(MessageBox::shownTexts(),
             accepted ? QStringList() : QStringList{u"'abc' ist kein gültiger Fließkommawert für Feld 'RAV'"_qs});
}

void TestFieldBinding::rejectedNumberKeepsTheRecordFromMoving()
{
    RecordStore store;
    store.setPrompter(&MessageBox::instance());
    QVERIFY(store.open());
    QLineEdit name, volume;
    BindingSet bindings(&store);
    bindings.add<LineEditBinding>(u"A_Name"_qs, &name);
    bindings.add<LineEditBinding>(u"RAV"_qs, &volume);
    bindings.refreshAll();

    // Text fields are the record's at every keystroke.
    name.selectAll();
    QTest::keyClicks(&name, u"Zwei"_qs);
    QCOMPARE(store.fieldText(u"A_Name"_qs), u"Zwei"_qs);

    volume.selectAll();
    QTest::keyClicks(&volume, u"1.5"_qs);
    if (bindings.commitAll())
        store.next();
    QCOMPARE(store.currentRow(), 0);
    QCOMPARE(volume.text(), u"1.5"_qs);
    QCOMPARE(MessageBox::shownTexts().size(), 1);

    // Corrected, the move goes ahead after the save question.
    volume.selectAll();
    QTest::keyClicks(&volume, u"1,5"_qs);
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QVERIFY(bindings.commitAll());
    QVERIFY(store.next());
    QCOMPARE(volume.text(), u"40,0"_qs);
    QCOMPARE(name.text(), QString());
    QCOMPARE(storedRecord(store.keys().at(0)).number(u"RAV"_qs), 1.5);
}

void TestFieldBinding::rightClickEntersEditState()
{
    RecordStore store;
    QVERIFY(store.open());
    BindingSet bindings(&store);
    QWidget field;   // stands for an address field; a plain widget opens no menu
    bindings.editOnContextMenu(&field);
    QCOMPARE(store.state(), StoreState::Browse);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), field.mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(&field, &event);
    QCOMPARE(store.state(), StoreState::Edit);
    QVERIFY(!store.isModified());
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestFieldBinding test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_fieldbinding.moc"
