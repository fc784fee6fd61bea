#include "mainwindow.h"
#include "uitestenv.h"

#include "windowgeometry.h"

#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

// The main window on a laptop screen of 1366 x 768: where it opens, and that
// it comes back where it was left.
class TestWindowFit : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        QFile::remove(windowgeometry::filePath());
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        QFile::remove(windowgeometry::filePath());
        m_dir.leave();
    }

    void opensMaximisedOnASmallScreen();
    void comesBackWhereItWasLeft();
    void aPlaceOnAScreenThatIsGoneIsNotUsed();

private:
    static void closeConfirmed(TForm1 &w)
    {
        MessageBox::pushNextAnswer(PromptButton::Ok);
        w.close();
        QVERIFY(!w.isVisible());
    }

    UiTestDir m_dir;
};

void TestWindowFit::opensMaximisedOnASmallScreen()
{
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1366, 768));
    TForm1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.isMaximized());
    // Maximised, it fills the screen, frame and all: nothing lies off it.
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(w.frameGeometry()));
    // Un-maximised it takes the designed size as far as the screen allows.
    const QRect normal = w.normalGeometry();
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(normal));
    QVERIFY(normal.width() > 1300);
    QVERIFY(normal.height() < 763);
    closeConfirmed(w);

    const auto saved = windowgeometry::load(u"TForm1"_qs);
    QVERIFY(saved.has_value());
    QVERIFY(saved->maximized);
}

void TestWindowFit::comesBackWhereItWasLeft()
{
    QRect left;
    {
        TForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The user makes it smaller and moves it.
        w.showNormal();
        w.setGeometry(140, 90, 1000, 600);
        QTRY_COMPARE(w.geometry(), QRect(140, 90, 1000, 600));
        left = w.geometry();
        closeConfirmed(w);
    }
    {
        TForm1 w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!w.isMaximized());
        QCOMPARE(w.geometry(), left);
        // Maximised when it is closed, it opens maximised, and un-maximised
        // it goes back to the place the user gave it.
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        closeConfirmed(w);
    }
    TForm1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.isMaximized());
    QCOMPARE(w.normalGeometry(), left);
    closeConfirmed(w);
}

void TestWindowFit::aPlaceOnAScreenThatIsGoneIsNotUsed()
{
    // Left on a second screen that has since been unplugged.
    QVERIFY(windowgeometry::save(u"TForm1"_qs, {QRect(1500, 100, 1000, 600), false}));
    TForm1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.screen(), QGuiApplication::primaryScreen());
    QVERIFY(w.isMaximized());
    closeConfirmed(w);
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    // The laptop's screen.
    QTemporaryDir config;
    const QString configFile = config.filePath(u"screens.json"_qs);
    QFile f(configFile);
    if (!f.open(QIODevice::WriteOnly))
        return 1;
    f.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96}]})");
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + configFile.toLocal8Bit());
    QApplication app(argc, argv);
    TestWindowFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_windowfit.moc"
