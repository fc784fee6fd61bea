#include "dialogbase.h"

#include <QGuiApplication>
#include "keyboardcheck.h"
#include "pagebase.h"
#include "tabchain.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// The keyboard rules every page and dialog inherits.
class TestPageBase : public QObject {
    Q_OBJECT
private slots:
    void enterPressesDefaultOrFocusedButton();
    void dialogHasOnlyCloseBoxAndFitsCaption();
    void helpFromF1AndButton();
    void mnemonicClashesAreFound();
};

void TestPageBase::enterPressesDefaultOrFocusedButton()
{
    PageBase page;
    auto *layout = new QVBoxLayout(&page);
    auto *edit = new QLineEdit(&page);
    auto *memo = new QPlainTextEdit(&page);
    auto *other = new QPushButton(u"&Andere"_qs, &page);
    auto *calc = new QPushButton(u"&Berechnen"_qs, &page);
    for (QWidget *w : {static_cast<QWidget *>(edit), static_cast<QWidget *>(memo),
                       static_cast<QWidget *>(other), static_cast<QWidget *>(calc)})
        layout->addWidget(w);
    page.setDefaultButton(calc);
    page.show();
    QVERIFY(QTest::qWaitForWindowActive(&page));

    QSignalSpy calcClicks(calc, &QPushButton::clicked);
    QSignalSpy otherClicks(other, &QPushButton::clicked);

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(calcClicks.size(), 1);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(calcClicks.size(), 2);

    // A multi-line editor keeps Enter for its line break.
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Return);
    QCOMPARE(calcClicks.size(), 2);
    QCOMPARE(memo->toPlainText(), u"\n"_qs);

    // A focused push button is the one pressed.
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return);
    QCOMPARE(otherClicks.size(), 1);
    QCOMPARE(calcClicks.size(), 2);

    // A disabled default button is not pressed.
    calc->setEnabled(false);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(calcClicks.size(), 2);
}

void TestPageBase::dialogHasOnlyCloseBoxAndFitsCaption()
{
    DialogBase dlg;
    dlg.setWindowTitle(u"Zuluftleitungen für offene Kamine und Kachelöfen nach DIN 18895"_qs);
    const Qt::WindowFlags flags = dlg.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    dlg.show();
    QVERIFY(dlg.width() >= dlg.captionWidth());
    // A longer caption set while shown widens the window again.
    dlg.setWindowTitle(dlg.windowTitle() + u" – ein noch viel längerer Titel für diesen Test"_qs);
    QVERIFY(dlg.minimumWidth() >= dlg.captionWidth());

    // The title bar of X11 adds the program's name after the caption; it counts too.
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(u"O"_qs);
    const int shortName = dlg.captionWidth();
    QGuiApplication::setApplicationDisplayName(u"Ofenring Schornsteinfeger"_qs);
    QVERIFY(dlg.captionWidth() > shortName);
    QGuiApplication::setApplicationDisplayName(before);
}

void TestPageBase::helpFromF1AndButton()
{
    DialogBase dlg;
    dlg.setHelpTopic(u"::/raumvolumen berechnen.htm"_qs);
    auto *help = dlg.makeHelpButton();
    auto *ok = new QPushButton(u"OK"_qs, &dlg);
    ok->setDefault(true);
    auto *layout = new QVBoxLayout(&dlg);
    layout->addWidget(ok);
    layout->addWidget(help);
    QSignalSpy requests(&dlg, &DialogBase::helpRequested);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_F1);
    help->click();
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.at(0).at(0).toString(), u"::/raumvolumen berechnen.htm"_qs);
    QVERIFY(!help->autoDefault());

    PageBase page;
    page.setHelpTopic(u"::/luftverbundberechnung.htm"_qs);
    QSignalSpy pageRequests(&page, &PageBase::helpRequested);
    page.makeHelpButton(u"hilfebtn1"_qs)->click();
    QCOMPARE(pageRequests.size(), 1);
    QCOMPARE(pageRequests.at(0).at(0).toString(), u"::/luftverbundberechnung.htm"_qs);
}

void TestPageBase::mnemonicClashesAreFound()
{
    QWidget w;
    auto *layout = new QVBoxLayout(&w);
    auto *a = new QPushButton(u"&Berechnen"_qs, &w);
    a->setObjectName(u"rechenbtn"_qs);
    auto *b = new QCheckBox(u"&Bestandsschutz"_qs, &w);
    b->setObjectName(u"bschutz"_qs);
    auto *c = new QPushButton(u"&Hilfe"_qs, &w);
    auto *d = new QPushButton(u"Drucken && &Speichern"_qs, &w);
    auto *hidden = new QPushButton(u"&Hinten"_qs, &w);
    for (QWidget *x : {static_cast<QWidget *>(a), static_cast<QWidget *>(b), static_cast<QWidget *>(c),
                       static_cast<QWidget *>(d), static_cast<QWidget *>(hidden)})
        layout->addWidget(x);
    hidden->hide();
    w.show();
    QCOMPARE(mnemonicOf(u"Drucken && &Speichern"_qs), QChar(u's'));
    QCOMPARE(mnemonicOf(u"ohne"_qs), QChar());
    const QStringList clashes = mnemonicClashes(&w);
    QCOMPARE(clashes.size(), 1);
    QVERIFY(clashes.first().startsWith(u"Alt+b"_qs));
    b->setText(u"Bestands&schutz"_qs);
    QCOMPARE(mnemonicClashes(&w), QStringList{u"Alt+s → bschutz: Bestands&schutz, : Drucken && &Speichern"_qs});

    // The Tab chain follows the order given, skipping nulls.
    setTabChain({c, nullptr, a, d});
    QCOMPARE(c->nextInFocusChain(), a);
    QCOMPARE(a->nextInFocusChain(), d);
}

QTEST_MAIN(TestPageBase)
#include "test_pagebase.moc"
