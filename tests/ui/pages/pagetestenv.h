#pragma once

// Shared by the tests of the work pages: the main window on a seeded kq.db,
// active so that the keyboard focus behaves as for a user, and small helpers
// that act on controls as a user does (type and leave, choose with the arrow
// keys, click).

#include "mainwindow.h"
#include "uitestenv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

// The frame of every page test: each test in its own working directory,
// and no question left unanswered.
class PageTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir.enter(); }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        m_dir.leave();
    }

private:
    UiTestDir m_dir;
};

#define OFENRING_PAGE_TEST_MAIN(TestClass)                \
    int main(int argc, char *argv[])                      \
    {                                                     \
        useTemporaryHome();                               \
        QApplication app(argc, argv);                     \
        TestClass test;                                   \
        return QTest::qExec(&test, argc, argv);           \
    }

template <typename T>
T *find(QObject *root, const QString &name)
{
    T *w = root->findChild<T *>(name);
    if (!w)
        qFatal("control %s not found", qPrintable(name));
    return w;
}

// Shows the window active, with the given page in front.
inline bool showActive(TForm1 &w, TForm1::Page page)
{
    w.show();
    QApplication::setActiveWindow(&w);
    if (!QTest::qWaitForWindowActive(&w))
        return false;
    w.setActivePage(page);
    return w.activePage() == page;
}

// Gives the control the focus as a click or a Tab would.
inline void focus(QWidget *w)
{
    w->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

// Types into an edit (replacing its text) without leaving it.
inline void typeText(QLineEdit *edit, const QString &text)
{
    focus(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// The Tab key as a user presses it: down in the focused control, up in the
// one that has the focus afterwards.
inline void pressTab(Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *from = QApplication::focusWidget();
    QTest::keyPress(from, Qt::Key_Tab, mods);
    QWidget *to = QApplication::focusWidget();
    QTest::keyRelease(to ? to : from, Qt::Key_Tab, mods);
}

// Types into an edit and leaves it with Tab.
inline void typeAndLeave(QLineEdit *edit, const QString &text)
{
    typeText(edit, text);
    pressTab();
}

// Chooses a position of a fixed list with the arrow keys, as a user does.
inline void choose(QComboBox *combo, int position)
{
    focus(combo);
    while (combo->currentIndex() < position)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > position)
        QTest::keyClick(combo, Qt::Key_Up);
}

// A click where a user clicks: on the box of a check box or radio button,
// in the middle of a push button.
inline void click(QAbstractButton *b)
{
    QStyleOptionButton opt;
    opt.initFrom(b);
    QPoint at = b->rect().center();
    if (qobject_cast<QRadioButton *>(b))
        at = b->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, b).center();
    else if (qobject_cast<QCheckBox *>(b))
        at = b->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, b).center();
    QTest::mouseClick(b, Qt::LeftButton, {}, at);
}

inline QStringList items(const QComboBox *combo)
{
    QStringList l;
    for (int i = 0; i < combo->count(); ++i)
        l << combo->itemText(i);
    return l;
}

// The text colour a control is drawn in.
inline QColor textColour(const QWidget *w)
{
    return w->palette().color(QPalette::WindowText);
}
