#include "helptopics.h"
#include "helpwindow.h"

#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QtTest>

class TestHelp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyTopicOpensAPageOfItsOwn_data();
    void everyTopicOpensAPageOfItsOwn();
    void topicPathSpellings_data();
    void topicPathSpellings();
    void unknownTopicShowsTheStartPage();
    void linksBetweenPagesLeadToPages();
    void f1AndHelpButtonOpenTheirTopics();
    void helpFromAModalDialogIsUsable();

private:
    static QString pageText(const help::Topic &topic);
};

void TestHelp::initTestCase()
{
    help::initResources();
}

QString TestHelp::pageText(const help::Topic &topic)
{
    QFile file(u":/help/pages/"_qs + topic.file);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void TestHelp::everyTopicOpensAPageOfItsOwn_data()
{
    QTest::addColumn<QString>("topicPath");
    QTest::addColumn<QString>("title");
    // The topics as the windows ask for them: the start topic and every help
    // button of the program.
    QTest::newRow("Inhalt") << u"kq.chm"_qs << u"Willkommen bei Ofenring"_qs;
    QTest::newRow("Allgemeine Angaben") << u"kq.chm::/allgemeine angaben.htm"_qs << u"Allgemeine Angaben"_qs;
    QTest::newRow("Luftverbundberechnung") << u"kq.chm::/luftverbundberechnung.htm"_qs << u"Luftverbundberechnung"_qs;
    QTest::newRow("Aufstellungsraum") << u"kq.chm::/aufstellungsraeume.htm"_qs << u"Aufstellungsraum"_qs;
    QTest::newRow("Anmerkungen") << u"kq.chm::/anmerkungen.htm"_qs << u"Anmerkungen"_qs;
    QTest::newRow("Zeichnung") << u"kq.chm::/zeichnung.htm"_qs << u"Zeichnung"_qs;
    QTest::newRow("Eigentümerliste") << u"kq.chm::/eigentuemerliste.htm"_qs << u"Eigentümerliste"_qs;
    QTest::newRow("Ortsliste") << u"kq.chm::/ortsliste.htm"_qs << u"Ortsliste"_qs;
    QTest::newRow("Raumbezeichnungen") << u"kq.chm::/raumbezeichnungen.htm"_qs << u"Raumbezeichnungen"_qs;
    QTest::newRow("Feuerstätten") << u"kq.chm::/feuerstaettenliste.htm"_qs << u"Feuerstättenliste"_qs;
    QTest::newRow("Kopfzeilen") << u"kq.chm::/kopfzeilen.htm"_qs << u"Kopfzeilen"_qs;
    QTest::newRow("Offener Kamin") << u"kq.chm::/offener kamin kachelofen.htm"_qs << u"Offener Kamin / Kachelofen"_qs;
    QTest::newRow("Raumvolumen") << u"kq.chm::/raumvolumen berechnen.htm"_qs << u"Raumvolumen berechnen"_qs;
    QTest::newRow("Zuluftleitung") << u"kq.chm::/zuluftleitungen fuer offene kamine und kacheloefen.htm"_qs
                                   << u"Zuluftleitungen für offene Kamine und Kachelöfen"_qs;
}

void TestHelp::everyTopicOpensAPageOfItsOwn()
{
    QFETCH(QString, topicPath);
    QFETCH(QString, title);

    HelpWindow window;
    QVERIFY(window.showTopic(topicPath));
    QCOMPARE(window.currentTopic(), help::normaliseTopicPath(topicPath));

    auto *browser = window.findChild<QTextBrowser *>(u"hilfetext"_qs);
    QVERIFY(browser);
    // The page's own title (umlauts included) shows that this very page was
    // loaded and decoded; a few paragraphs of text, not a placeholder.
    QCOMPARE(browser->documentTitle(), title);
    QVERIFY(browser->toPlainText().contains(title));
    QVERIFY2(browser->toPlainText().size() > 800, qPrintable(browser->toPlainText()));
}

void TestHelp::topicPathSpellings_data()
{
    QTest::addColumn<QString>("topicPath");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("file and topic") << u"kq.chm::/anmerkungen.htm"_qs << u"anmerkungen.htm"_qs;
    QTest::newRow("topic only") << u"::/anmerkungen.htm"_qs << u"anmerkungen.htm"_qs;
    QTest::newRow("without ::/") << u"anmerkungen.htm"_qs << u"anmerkungen.htm"_qs;
    QTest::newRow("capitals") << u"KQ.CHM::/Offener Kamin Kachelofen.htm"_qs << u"offener kamin kachelofen.htm"_qs;
    QTest::newRow("file only") << u"kq.chm"_qs << QString();
    QTest::newRow("empty") << QString() << QString();
}

void TestHelp::topicPathSpellings()
{
    QFETCH(QString, topicPath);
    QFETCH(QString, normalised);
    QCOMPARE(help::normaliseTopicPath(topicPath), normalised);
    const help::Topic *topic = help::findTopic(topicPath);
    QVERIFY(topic);
    QCOMPARE(topic->path, normalised);
}

void TestHelp::unknownTopicShowsTheStartPage()
{
    HelpWindow window;
    QVERIFY(window.showTopic(u"kq.chm::/anmerkungen.htm"_qs));
    QVERIFY(!window.showTopic(u"kq.chm::/gibt es nicht.htm"_qs));
    QCOMPARE(window.currentTopic(), QString());
    QCOMPARE(window.findChild<QTextBrowser *>(u"hilfetext"_qs)->documentTitle(), u"Willkommen bei Ofenring"_qs);
}

void TestHelp::linksBetweenPagesLeadToPages()
{
    const QRegularExpression href(uR"re(href="([^"]*)")re"_qs);
    for (const help::Topic &topic : help::topics()) {
        const QString text = pageText(topic);
        QVERIFY2(!text.isEmpty(), qPrintable(topic.file));
        for (const QRegularExpressionMatch &link : href.globalMatch(text)) {
            const QString target = link.captured(1);
            QVERIFY2(help::topicForUrl(QUrl(target)), qPrintable(topic.file + u" -> "_qs + target));
        }
    }

    // Following a link shows the linked page and moves the contents list with it.
    HelpWindow window;
    window.showTopic(u"::/allgemeine angaben.htm"_qs);
    auto *browser = window.findChild<QTextBrowser *>(u"hilfetext"_qs);
    browser->setSource(QUrl(u"ortsliste.htm"_qs));
    QCOMPARE(window.currentTopic(), u"ortsliste.htm"_qs);
    QCOMPARE(browser->documentTitle(), u"Ortsliste"_qs);
    auto *contents = window.findChild<QListWidget *>(u"inhaltsliste"_qs);
    QCOMPARE(contents->currentItem()->text(), u"Ortsliste"_qs);
}

void TestHelp::f1AndHelpButtonOpenTheirTopics()
{
    // A window that binds F1 to the start topic and has a page's help button.
    QWidget mainWindow;
    bindHelpKey(&mainWindow, QString());
    auto *hilfebtn = new QPushButton(u"&Hilfe"_qs, &mainWindow);
    hilfebtn->setObjectName(u"hilfebtn"_qs);
    connect(hilfebtn, &QPushButton::clicked, &mainWindow, [] { showHelpTopic(u"::/anmerkungen.htm"_qs); });
    mainWindow.show();
    QApplication::setActiveWindow(&mainWindow);
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));

    QTest::mouseClick(mainWindow.findChild<QPushButton *>(u"hilfebtn"_qs), Qt::LeftButton);
    QVERIFY(helpWindow()->isVisible());
    QCOMPARE(helpWindow()->currentTopic(), u"anmerkungen.htm"_qs);
    // Escape closes the help window, as its "Schließen" does.
    QApplication::setActiveWindow(helpWindow());
    QVERIFY(QTest::qWaitForWindowActive(helpWindow()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!helpWindow()->isVisible());

    QApplication::setActiveWindow(&mainWindow);
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
    hilfebtn->setFocus();
    QTest::keyClick(hilfebtn, Qt::Key_F1);
    QCOMPARE(helpWindow()->currentTopic(), QString());
    helpWindow()->close();
}

void TestHelp::helpFromAModalDialogIsUsable()
{
    QDialog dialog;
    bindHelpKey(&dialog, u"::/eigentuemerliste.htm"_qs);
    dialog.setModal(true);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::activeModalWidget(), &dialog);

    QTest::keyClick(&dialog, Qt::Key_F1);
    QCOMPARE(helpWindow()->currentTopic(), u"eigentuemerliste.htm"_qs);
    QVERIFY(helpWindow()->isVisible());
    // A window of its own would be blocked by the modal dialog; belonging to
    // the dialog keeps it usable while the dialog is open.
    QCOMPARE(helpWindow()->parentWidget(), &dialog);
    QVERIFY(helpWindow()->isWindow());
    dialog.close();

    // Without a modal dialog the window stands on its own again.
    showHelpContents();
    QCOMPARE(helpWindow()->parentWidget(), nullptr);
    QCOMPARE(helpWindow()->currentTopic(), QString());
}

// The platform plugin looks for the runtime directory as soon as the
// application object exists: give it a temporary one of its own.
int main(int argc, char *argv[])
{
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    TestHelp test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_help.moc"
