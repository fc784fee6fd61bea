#include "mainwindow.h"
#include "uitestenv.h"

#include "../common/keyboardcheck.h"
#include "printsettings.h"
#include "printcommand.h"
#include "recordstore.h"
#include "settingsfile.h"
#include "sketchmodule.h"
#include "sketchpage.h"
#include "storegrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

namespace {

const QString kInfo = u"Die Option \"Zeichnung drucken\" wurde aktiviert."_qs;
const QString kSave = u"Daten wurden geändert. Jetzt speichern?"_qs;

// Registers a sketch module directory in KQ2.ini as the drawing program's
// application path; an empty kind removes the settings file.
void registerModule(const QString &dir)
{
    QFile::remove(settings::settingsFilePath());
    if (dir.isNull())
        return;
    SettingsFile file(settings::settingsFilePath());
    file.setValue(u"App Paths"_qs, u"Grundbild.exe"_qs, dir);
    QVERIFY(file.save());
}

QString fixture(const char *kind)
{
    return QStringLiteral(SKETCH_FIXTURES) + u'/' + QString::fromLatin1(kind);
}

// The bars the fixture module drew into the preview (one per sketch line,
// at half size: 5 pixels high, 10 apart, from y = 5).
int barsShown(QLabel *picture)
{
    const QImage image = picture->pixmap().toImage();
    if (image.isNull())
        return -1;
    int bars = 0;
    while (bars < 19 && qGray(image.pixel(30, 7 + 10 * bars)) < 128)
        ++bars;
    return bars;
}

// The sketch picture of the current record's protocol, as the window's
// protocols lay it out for a direct print (scale 4); null when none is drawn.
QImage protocolSketch(TForm1 &w)
{
    Record r = w.recordStore()->current();
    r.setBoolean(u"Skizzedrucken"_qs, true);
    for (const report::Page &p : w.printCommand()->protocols().layOut(r, report::kPrintSketchScale))
        for (const report::PageElement &e : p.elements)
            if (e.item == u"skizze"_qs)
                return e.image;
    return {};
}

} // namespace

class TestSketchPage : public QObject {
    Q_OBJECT

private slots:
    void init() { m_dir.enter(); }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        registerModule(QString());
        m_dir.leave();
    }

    void findingTheModule_data();
    void findingTheModule();
    void editingWritesBackAndSwitchesPrintingOnce();
    void unchangedSketchStillCountsAsChanged();
    void moduleWithoutEntries();
    void previewShowsTheCurrentRecord();
    void keyboard();

private:
    UiTestDir m_dir;
};

void TestSketchPage::findingTheModule_data()
{
    QTest::addColumn<QString>("registered");
    QTest::addColumn<bool>("tabShown");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("registered module") << fixture("complete") << true << QStringList();
    QTest::newRow("registered directory without the module")
        << QDir::tempPath() + u"/kein-grundbild"_qs << false << QStringList{u"Kein Zeichnungsmodul installiert. "_qs};
    QTest::newRow("nothing registered, nothing found") << QString() << false << QStringList();
}

void TestSketchPage::findingTheModule()
{
    QFETCH(QString, registered);
    QFETCH(bool, tabShown);
    QFETCH(QStringList, messages);
    registerModule(registered);
    seedRecords({{{u"Skizze"_qs, u"a\nb"_qs}}});

    TForm1 w;
    w.show();
    QCOMPARE(MessageBox::shownTexts(), messages);
    QCOMPARE(w.isTabShown(TForm1::Zeichnung), tabShown);
    if (!tabShown)
        return;
    QVERIFY(findNamed<QPushButton>(&w, "zeichnbtn")->isEnabled());
    // The preview was drawn at start, before the page is ever opened.
    QCOMPARE(barsShown(findNamed<QLabel>(&w, "zeichnungbild")), 2);
    // The protocols draw their sketch box through the module: one bar per
    // line at offset 2s and scale s.
    const QImage box = protocolSketch(w);
    QCOMPARE(box.size(), QSize(2424, 1624));
    QVERIFY(qGray(box.pixel(8 + 60 * 4, 8 + 15 * 4)) < 128);
    QVERIFY(qGray(box.pixel(8 + 60 * 4, 8 + 35 * 4)) < 128);
    QVERIFY(qGray(box.pixel(8 + 60 * 4, 8 + 55 * 4)) >= 128);
}

void TestSketchPage::editingWritesBackAndSwitchesPrintingOnce()
{
    registerModule(fixture("complete"));
    seedRecords({{{u"A_Name"_qs, u"Erster"_qs}, {u"Skizzedrucken"_qs, false}}});
    TForm1 w;
    w.show();
    w.setActivePage(TForm1::Zeichnung);
    auto *print = findNamed<QCheckBox>(&w, "zeichnungdruckenbox");
    QVERIFY(!print->isChecked());

    // First edit: the empty sketch comes back with one line, printing is
    // switched on with the information, the record is saved after the question.
    MessageBox::pushNextAnswer(PromptButton::Ok);
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::mouseClick(findNamed<QPushButton>(&w, "zeichnbtn"), Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(), (QStringList{kInfo, kSave}));
    QCOMPARE(storedRecord(1).value(u"Skizze"_qs).toString(), u"Linie 1"_qs);
    QVERIFY(storedRecord(1).value(u"Skizzedrucken"_qs).toBool());
    QVERIFY(print->isChecked());
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QCOMPARE(barsShown(findNamed<QLabel>(&w, "zeichnungbild")), 1);

    // Second edit: no information any more.
    MessageBox::resetScript();
    MessageBox::setScripted(true);
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::mouseClick(findNamed<QPushButton>(&w, "zeichnbtn"), Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(), QStringList{kSave});
    QCOMPARE(storedRecord(1).value(u"Skizze"_qs).toString(), u"Linie 1\nLinie 2"_qs);
    QCOMPARE(barsShown(findNamed<QLabel>(&w, "zeichnungbild")), 2);

    // "&Nein" to the question keeps the stored sketch as it was.
    MessageBox::resetScript();
    MessageBox::setScripted(true);
    MessageBox::pushNextAnswer(PromptButton::No);
    QTest::mouseClick(findNamed<QPushButton>(&w, "zeichnbtn"), Qt::LeftButton);
    QCOMPARE(storedRecord(1).value(u"Skizze"_qs).toString(), u"Linie 1\nLinie 2"_qs);
    QCOMPARE(w.recordStore()->current().value(u"Skizze"_qs).toString(), u"Linie 1\nLinie 2"_qs);
}

void TestSketchPage::unchangedSketchStillCountsAsChanged()
{
    registerModule(fixture("complete"));
    seedRecords({{{u"Skizze"_qs, u"unverändert"_qs}, {u"Skizzedrucken"_qs, true}}});
    TForm1 w;
    w.show();
    w.setActivePage(TForm1::Zeichnung);
    // A double click on the picture edits as "Zeichnen" does; leaving the
    // module without a change still writes back and asks before saving.
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::mouseDClick(findNamed<QLabel>(&w, "zeichnungbild"), Qt::LeftButton);
    QCOMPARE(MessageBox::shownTexts(), QStringList{kSave});
    QCOMPARE(storedRecord(1).value(u"Skizze"_qs).toString(), u"unverändert"_qs);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
}

void TestSketchPage::moduleWithoutEntries()
{
    seedRecords({{{u"Skizze"_qs, u"a"_qs}}});
    {
        // Without "skizze" the sketch cannot be edited: nothing happens.
        registerModule(fixture("noedit"));
        TForm1 w;
        w.show();
        QTest::mouseClick(findNamed<QPushButton>(&w, "zeichnbtn"), Qt::LeftButton);
        QCOMPARE(MessageBox::shownTexts(), QStringList());
        QCOMPARE(w.recordStore()->state(), StoreState::Browse);
        QCOMPARE(barsShown(findNamed<QLabel>(&w, "zeichnungbild")), 1);
    }
    {
        // Without "zeichne" nothing is drawn, but editing works.
        registerModule(fixture("nodraw"));
        TForm1 w;
        w.show();
        QCOMPARE(barsShown(findNamed<QLabel>(&w, "zeichnungbild")), -1);
        QVERIFY(protocolSketch(w).isNull());   // the protocols' sketch box stays empty
        MessageBox::pushNextAnswer(PromptButton::Ok);
        MessageBox::pushNextAnswer(PromptButton::Yes);
        QTest::mouseClick(findNamed<QPushButton>(&w, "zeichnbtn"), Qt::LeftButton);
        QCOMPARE(storedRecord(1).value(u"Skizze"_qs).toString(), u"a\nLinie 2"_qs);
    }
}

void TestSketchPage::previewShowsTheCurrentRecord()
{
    registerModule(fixture("complete"));
    seedRecords({{{u"Skizze"_qs, u"a"_qs}}, {{u"Skizze"_qs, u"a\nb\nc"_qs}}, {}});
    TForm1 w;
    w.show();
    auto *picture = findNamed<QLabel>(&w, "zeichnungbild");
    QCOMPARE(picture->size(), QSize(300, 200));
    w.setActivePage(TForm1::Zeichnung);
    QCOMPARE(barsShown(picture), 1);

    // Another record picked in the overview, then the page opened again.
    w.setActivePage(TForm1::Uebersicht);
    findNamed<StoreGrid>(&w, "kqgrid")->selectRow(1);
    QCOMPARE(barsShown(picture), 1);   // not redrawn while the page is not shown
    w.setActivePage(TForm1::Zeichnung);
    QCOMPARE(barsShown(picture), 3);
    // Moving while the page is shown redraws; an empty sketch draws what the module draws for it.
    QVERIFY(w.recordStore()->next());
    QCOMPARE(barsShown(picture), 0);
}

void TestSketchPage::keyboard()
{
    registerModule(fixture("complete"));
    seedRecords({{}});
    TForm1 w;
    w.show();
    w.setActivePage(TForm1::Zeichnung);
    QCOMPARE(mnemonicClashes(&w), QStringList());
    auto *page = findNamed<SketchPage>(&w, "zeichnung");
    QCOMPARE(page->helpTopic(), u"::/zeichnung.htm"_qs);
    // Enter on the page edits the sketch.
    QApplication::setActiveWindow(&w);
    findNamed<QCheckBox>(&w, "zeichnungdruckenbox")->setFocus();
    MessageBox::pushNextAnswer(PromptButton::Ok);
    MessageBox::pushNextAnswer(PromptButton::Yes);
    QTest::keyClick(findNamed<QCheckBox>(&w, "zeichnungdruckenbox"), Qt::Key_Return);
    QCOMPARE(storedRecord(1).value(u"Skizze"_qs).toString(), u"Linie 1"_qs);
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestSketchPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_sketchpage.moc"
