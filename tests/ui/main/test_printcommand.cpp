// The print command as the user starts it from the main window: the save
// question, the refusal of an uncalculated record, the narrowed table and its
// restoring on every way out, the preview window, the print dialog, PDF.

#include "mainwindow.h"
#include "uitestenv.h"

#include "previewwindow.h"
#include "printcommand.h"
#include "protocolfixtures.h"
#include "protocolparts.h"
#include "recordstore.h"
#include "settingsfile.h"
#include "printsettings.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QLabel>
#include <QMenuBar>
#include <QtTest>

#include <stdexcept>

namespace {

QVariantMap fieldsOf(const Record &r)
{
    QVariantMap m;
    for (int i = 0; i < r.schema().count(); ++i)
        if (r.schema().field(i).name != u"Lfd"_qs && !r.isNull(i))
            m.insert(r.schema().field(i).name, r.value(i));
    return m;
}

// What a look at the running preview found.
struct Seen {
    int previews = 0;
    QString caption;
    bool maximized = false;
    bool restricted = false;
    int rows = -1;
    int key = -1;
    bool windowEnabled = true;
    QString pageLabel;
    int pages = 0;
};

} // namespace

class TestPrintCommand : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusesAnUncalculatedInterconnectionRecord_data();
    void refusesAnUncalculatedInterconnectionRecord();
    void previewNarrowsTheTableAndRestoresIt_data();
    void previewNarrowsTheTableAndRestoresIt();
    void saveQuestion_data();
    void saveQuestion();
    void cancelledPrintDialogPrintsNothing();
    void confirmedPrintLaysOutAgainWithTheFinerSketch();
    void paperTurnedSidewaysGetsThePageScaledToFit();
    void errorWhileLayingOutRestoresTheTable_data();
    void errorWhileLayingOutRestoresTheTable();
    void printFromThePreviewUsesItsPages();
    void pdfFromThePreview();
    void companionAndPreviewPrintTheSameProtocol();
    void mainWindowWaitsForThePreview();

private:
    void openOn(int key);
    // Runs the command from its menu entry; `look` runs while the preview is shown.
    void trigger(const char *action, const std::function<void(PreviewWindow *)> &look = {});
    void checkRestored(int key);
    // The window's print command lays out protocols whose sketch `painter` draws.
    void drawSketchesWith(report::SketchPainter painter);

    UiTestDir m_dir;
    std::unique_ptr<report::Protocols> m_protocols;
    std::unique_ptr<TForm1> m_window;
    Seen m_seen;
};

void TestPrintCommand::init()
{
    m_dir.enter();
    Record uncalculated = fixtures::interconnection();
    uncalculated.setBoolean(u"Gerechnet"_qs, false);
    Record room = fixtures::installationRoom();
    room.setBoolean(u"Gerechnet"_qs, false);
    seedRecords({fieldsOf(fixtures::interconnection()), fieldsOf(uncalculated), fieldsOf(room)});
    m_seen = {};
}

void TestPrintCommand::cleanup()
{
    m_window.reset();
    m_protocols.reset();
    QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
    m_dir.leave();
}

void TestPrintCommand::openOn(int key)
{
    m_window = std::make_unique<TForm1>();
    m_window->show();
    QVERIFY(m_window->recordStore()->goToKey(key));
}

void TestPrintCommand::trigger(const char *action, const std::function<void(PreviewWindow *)> &look)
{
    QMetaObject::Connection c = connect(m_window->printCommand(), &PrintCommand::previewShown, this, [&](PreviewWindow *pw) {
        RecordStore *store = m_window->recordStore();
        ++m_seen.previews;
        m_seen.caption = pw->windowTitle();
        m_seen.maximized = pw->windowState() & Qt::WindowMaximized;
        m_seen.restricted = store->isRestricted();
        m_seen.rows = store->rowCount();
        m_seen.key = store->currentKey();
        m_seen.windowEnabled = m_window->centralWidget()->isEnabled() && m_window->menuBar()->isEnabled();
        m_seen.pageLabel = pw->findChild<QLabel *>(u"seitelabel"_qs)->text()
            + pw->findChild<QLabel *>(u"seitenzahllabel"_qs)->text();
        m_seen.pages = pw->pageCount();
        if (look)
            look(pw);
        if (pw->isVisible())
            pw->findChild<QPushButton *>(u"okbtn"_qs)->click();
    });
    if (qstrcmp(action, "vorschaubtn") == 0)
        m_window->findChild<QToolButton *>(u"vorschaubtn"_qs)->click();
    else
        m_window->findChild<QAction *>(QString::fromLatin1(action))->trigger();
    disconnect(c);
}

void TestPrintCommand::checkRestored(int key)
{
    RecordStore *store = m_window->recordStore();
    QVERIFY(!store->isRestricted());
    QCOMPARE(store->rowCount(), 3);
    QCOMPARE(store->currentKey(), key);
    QVERIFY(m_window->centralWidget()->isEnabled());
    QVERIFY(m_window->menuBar()->isEnabled());
    QVERIFY(!m_window->printCommand()->isRunning());
    QCOMPARE(m_window->printCommand()->sketchScale(), 2);
    // The overview shows every record again, on the same row.
    auto *grid = m_window->findChild<QTableView *>(u"kqgrid"_qs);
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(grid->currentIndex().row(), store->rowOfKey(key));
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<PreviewWindow *>(w) || !w->isVisible());
}

void TestPrintCommand::drawSketchesWith(report::SketchPainter painter)
{
    m_protocols = std::make_unique<report::Protocols>(
        [this]() -> const PrintSettings & { return m_window->printSettings(); }, std::move(painter));
    m_window->printCommand()->setProtocols(m_protocols.get());
}

void TestPrintCommand::refusesAnUncalculatedInterconnectionRecord_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Vorschau") << u"druckvorschau"_qs;
    QTest::newRow("Drucken") << u"drucken"_qs;
}

void TestPrintCommand::refusesAnUncalculatedInterconnectionRecord()
{
    QFETCH(QString, action);
    openOn(2);
    int dialogs = 0;
    m_window->printCommand()->printDialog = [&](QPrinter &, int, QWidget *) { return ++dialogs, false; };
    trigger(action.toLatin1().constData());
    QCOMPARE(MessageBox::shownTexts(),
             QStringList{u"Die Daten wurden noch nicht berechnet, klicken Sie erst auf \"Berechnen\"!"_qs});
    QCOMPARE(m_seen.previews, 0);
    QCOMPARE(dialogs, 0);
    checkRestored(2);
}

void TestPrintCommand::previewNarrowsTheTableAndRestoresIt_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("action");
    QTest::newRow("Luftverbund") << 1 << u"Druckvorschau"_qs << u"druckvorschau"_qs;
    QTest::newRow("Aufstellungsraum, nicht berechnet") << 3 << u"Protokoll Aufstellungsraum"_qs << u"druckvorschau"_qs;
    QTest::newRow("Werkzeugleiste") << 1 << u"Druckvorschau"_qs << u"vorschaubtn"_qs;
}

void TestPrintCommand::previewNarrowsTheTableAndRestoresIt()
{
    QFETCH(int, key);
    QFETCH(QString, caption);
    QFETCH(QString, action);
    openOn(key);
    // The user goes on where they were: the field that had the focus has it again.
    QApplication::setActiveWindow(m_window.get());
    auto *name = m_window->findChild<QLineEdit *>(u"a_nameedit"_qs);
    m_window->setActivePage(TForm1::Allgemein);
    name->setFocus();
    trigger(action.toLatin1().constData());
    QCOMPARE(m_window->focusWidget(), name);
    QCOMPARE(m_seen.previews, 1);
    QCOMPARE(m_seen.caption, caption);
    QVERIFY(m_seen.maximized);
    QVERIFY(m_seen.restricted);
    QCOMPARE(m_seen.rows, 1);
    QCOMPARE(m_seen.key, key);
    QVERIFY(!m_seen.windowEnabled);
    QCOMPARE(m_seen.pageLabel, u"Seite 1 von %1 "_qs.arg(m_seen.pages));
    QVERIFY(m_seen.pages >= 2);
    QVERIFY(MessageBox::shownTexts().isEmpty());
    checkRestored(key);
}

void TestPrintCommand::saveQuestion_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("previewed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("Ja") << int(PromptButton::Yes) << true << u"Neuer Name"_qs << u"Neuer Name"_qs;
    QTest::newRow("Nein") << int(PromptButton::No) << false << u"Wohnhaus Brenner"_qs << u"Wohnhaus Brenner"_qs;
    QTest::newRow("Abbrechen") << int(PromptButton::Cancel) << false << u"Wohnhaus Brenner"_qs << u"Neuer Name"_qs;
}

void TestPrintCommand::saveQuestion()
{
    QFETCH(int, answer);
    QFETCH(bool, previewed);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    openOn(1);
    QLineEdit *edit = m_window->findChild<QLineEdit *>(u"a_nameedit"_qs);
    m_window->setActivePage(TForm1::Allgemein);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, u"Neuer Name"_qs);
    MessageBox::pushNextAnswer(PromptButton(answer));
    trigger("druckvorschau");
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Daten wurden geändert. Jetzt speichern?"_qs});
    QCOMPARE(m_seen.previews, previewed ? 1 : 0);
    QCOMPARE(storedRecord(1).text(u"A_Name"_qs), stored);
    QCOMPARE(m_window->recordStore()->current().text(u"A_Name"_qs), shown);
    QVERIFY(!m_window->recordStore()->isRestricted());
    QCOMPARE(m_window->recordStore()->rowCount(), 3);
}

void TestPrintCommand::cancelledPrintDialogPrintsNothing()
{
    openOn(1);
    int pageCount = -1;
    int scaleDuringDialog = -1;
    QPrinter *asked = nullptr;
    m_window->printCommand()->printDialog = [&](QPrinter &printer, int pages, QWidget *) {
        pageCount = pages;
        scaleDuringDialog = m_window->printCommand()->sketchScale();
        asked = &printer;
        printer.setOutputFileName(m_dir.dir->filePath(u"nie.pdf"_qs));
        return false;
    };
    trigger("drucken");
    QCOMPARE(m_seen.previews, 0);
    QCOMPARE(pageCount, 2);
    QCOMPARE(scaleDuringDialog, 2);
    QCOMPARE(asked, &m_window->printCommand()->printer(false));
    QVERIFY(!QFile::exists(m_dir.dir->filePath(u"nie.pdf"_qs)));
    checkRestored(1);
    // The report's print settings start as: one copy, all pages, portrait.
    QCOMPARE(asked->copyCount(), 1);
    QCOMPARE(asked->printRange(), QPrinter::AllPages);
    QCOMPARE(asked->pageLayout().orientation(), QPageLayout::Portrait);
}

void TestPrintCommand::confirmedPrintLaysOutAgainWithTheFinerSketch()
{
    openOn(3);
    QList<double> scales;
    drawSketchesWith([&](QPainter &, const QStringList &, int, int, double scale, double) { return scales << scale, true; });
    const QString file = m_dir.dir->filePath(u"druck.pdf"_qs);
    m_window->printCommand()->printDialog = [&](QPrinter &printer, int, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        return true;
    };
    trigger("drucken");
    // Laid out at 2 for the page count, then at 4 for the printer.
    QCOMPARE(scales, QList<double>({2.0, 4.0}));
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.readAll().count("/Type /Page\n"), 2);
    checkRestored(3);
}

void TestPrintCommand::paperTurnedSidewaysGetsThePageScaledToFit()
{
    openOn(1);
    const QString file = m_dir.dir->filePath(u"quer.pdf"_qs);
    m_window->printCommand()->printDialog = [&](QPrinter &printer, int, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    trigger("drucken");
    QProcess p;
    p.start(u"pdftotext"_qs, {u"-bbox"_qs, u"-f"_qs, u"1"_qs, u"-l"_qs, u"1"_qs, file, u"-"_qs});
    QVERIFY(p.waitForFinished(60000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY(html.contains(u"width=\"841.89"_qs) || html.contains(u"width=\"842"_qs));
    QVERIFY(html.contains(u">Berechnung</word>"_qs));
    // The last row of the first page, near the foot of the A4 page, is on the paper too.
    QVERIFY(html.contains(u">ungekürzt</word>"_qs));
    // Every word lies on the sheet: the whole A4 page, made smaller.
    const QRegularExpression box(u"xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\""_qs);
    int words = 0;
    for (auto it = box.globalMatch(html); it.hasNext(); ++words) {
        const QRegularExpressionMatch m = it.next();
        QVERIFY(m.captured(1).toDouble() >= 0 && m.captured(3).toDouble() <= 842.0);
        QVERIFY(m.captured(2).toDouble() >= 0 && m.captured(4).toDouble() <= 595.3);
    }
    QVERIFY(words > 50);
    // The next print starts from this choice: the report's print settings keep it.
    QCOMPARE(m_window->printCommand()->printer(false).pageLayout().orientation(), QPageLayout::Landscape);
    checkRestored(1);
}

void TestPrintCommand::errorWhileLayingOutRestoresTheTable_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("Vorschau") << u"druckvorschau"_qs;
    QTest::newRow("Drucken") << u"drucken"_qs;
}

void TestPrintCommand::errorWhileLayingOutRestoresTheTable()
{
    QFETCH(QString, action);
    openOn(1);
    bool restrictedWhenFailing = false;
    drawSketchesWith([&](QPainter &, const QStringList &, int, int, double scale, double) {
        restrictedWhenFailing = m_window->recordStore()->isRestricted();
        // Fails in the layout for the printer (scale 4) and in the preview.
        if (scale == 4.0 || action == u"druckvorschau"_qs)
            throw std::runtime_error("Die Skizze kann nicht gezeichnet werden.");
        return true;
    });
    m_window->printCommand()->printDialog = [](QPrinter &, int, QWidget *) { return true; };
    trigger(action.toLatin1().constData());
    QVERIFY(restrictedWhenFailing);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Die Skizze kann nicht gezeichnet werden."_qs});
    QCOMPARE(m_seen.previews, 0);
    checkRestored(1);
}

void TestPrintCommand::printFromThePreviewUsesItsPages()
{
    openOn(3);
    int dialogPages = -1;
    QPrinter *asked = nullptr;
    int laidOut = 0;
    drawSketchesWith([&](QPainter &, const QStringList &, int, int, double, double) { return ++laidOut, true; });
    const QString file = m_dir.dir->filePath(u"vorschau.pdf"_qs);
    m_window->printCommand()->printDialog = [&](QPrinter &printer, int pages, QWidget *) {
        dialogPages = pages;
        asked = &printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 2);
        return true;
    };
    trigger("druckvorschau", [](PreviewWindow *pw) { pw->findChild<QPushButton *>(u"druckenbtn"_qs)->click(); });
    QCOMPARE(m_seen.previews, 1);
    QCOMPARE(dialogPages, m_seen.pages);
    QCOMPARE(asked, &m_window->printCommand()->printer(true));
    QCOMPARE(laidOut, 1);  // the pages of the preview, not laid out again
    QFile pdf(file);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.readAll().count("/Type /Page\n"), 1);  // the chosen range
    checkRestored(3);
}

void TestPrintCommand::pdfFromThePreview()
{
    openOn(1);
    QString proposed;
    const QString chosen = m_dir.dir->filePath(u"protokoll"_qs);
    m_window->printCommand()->pdfFileName = [&](QWidget *, const QString &p) {
        proposed = p;
        return chosen;
    };
    trigger("druckvorschau", [](PreviewWindow *pw) { pw->findChild<QPushButton *>(u"pdfbtn"_qs)->click(); });
    QVERIFY2(proposed.endsWith(u"/Lindenstraße 12 %1.pdf"_qs.arg(QDate::currentDate().toString(u"yyyy-MM-dd"_qs))),
             qPrintable(proposed));
    QFile pdf(chosen + u".pdf"_qs);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF-"));
    QCOMPARE(bytes.count("/Type /Page\n"), m_seen.pages);

    // A file that cannot be written is reported.
    m_window->printCommand()->pdfFileName = [&](QWidget *, const QString &) {
        return m_dir.dir->filePath(u"fehlt/x.pdf"_qs);
    };
    trigger("druckvorschau", [](PreviewWindow *pw) { pw->findChild<QPushButton *>(u"pdfbtn"_qs)->click(); });
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    QVERIFY(MessageBox::shownTexts().first().contains(u"kann nicht geschrieben werden"_qs));
    checkRestored(1);
}

namespace {

QString runTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The faces of a PDF's fonts, without the prefixes of their subsets.
QStringList pdfFonts(const QString &file)
{
    QStringList faces;
    const QStringList lines = runTool(u"pdffonts"_qs, {file}).split(u'\n').mid(2);
    for (const QString &line : lines)
        if (!line.trimmed().isEmpty())
            faces << line.section(u' ', 0, 0).section(u'+', -1);
    faces.sort();
    faces.removeDuplicates();
    return faces;
}

// The pictures of a PDF: page, width and height of each.
QStringList pdfPictures(const QString &file)
{
    QStringList pictures;
    const QStringList lines = runTool(u"pdfimages"_qs, {u"-list"_qs, file}).split(u'\n').mid(2);
    for (const QString &line : lines) {
        const QStringList f = line.simplified().split(u' ');
        if (f.size() > 4)
            pictures << f[0] + u':' + f[3] + u'x' + f[4];
    }
    return pictures;
}

} // namespace

void TestPrintCommand::companionAndPreviewPrintTheSameProtocol()
{
    // The program's own sketch module, registered where the window and the
    // companion both look for it.
    SettingsFile ini(settings::settingsFilePath());
    ini.setValue(u"App Paths"_qs, u"Grundbild.exe"_qs, QStringLiteral(SKETCH_MODULE_DIR));
    QVERIFY(ini.save());
    const auto unregister = qScopeGuard([] { QFile::remove(settings::settingsFilePath()); });
    // Remarks as a word processor wrote them (bold, italic, a bulleted and
    // a numbered list, a small table, umlauts and €) and a sketch of walls,
    // a door, an appliance, a label and a dimension line.
    QFile rtfFile(QStringLiteral(RTF_FIXTURES) + u"/befund.rtf"_qs);
    QVERIFY(rtfFile.open(QIODevice::ReadOnly));
    {
        RecordStore store;
        store.setConfirmChanges(false);
        QVERIFY(store.open());
        QVERIFY(store.goToKey(1));
        store.setFieldValue(u"Bemerkung"_qs, QString::fromLatin1(rtfFile.readAll()));
        store.setFieldValue(u"Skizze"_qs, u"OFENRING-SKIZZE 1\nWAND 40 40 440 40\nWAND 440 40 440 200\nWAND 40 200 440 200\n"
                                           "WAND 40 40 40 200\nTUER 300 200 332 200\nGERAET 80 80 \"Gastherme\"\n"
                                           "TEXT 300 300 \"Heizraum\"\nMASS 40 20 440 20"_qs);
        store.setFieldValue(u"Skizzedrucken"_qs, true);
        QVERIFY(store.post());
        store.close();
    }

    openOn(1);
    const QString fromPreview = m_dir.dir->filePath(u"vorschau.pdf"_qs);
    m_window->printCommand()->pdfFileName = [&](QWidget *, const QString &) { return fromPreview; };
    trigger("druckvorschau", [](PreviewWindow *pw) { pw->findChild<QPushButton *>(u"pdfbtn"_qs)->click(); });

    const QString fromCompanion = m_dir.dir->filePath(u"begleiter.pdf"_qs);
    QProcess cli;
    cli.setWorkingDirectory(m_dir.dir->path());
    cli.start(QStringLiteral(OFENRING_CLI), {u"protokoll"_qs, u"--lfd"_qs, u"1"_qs, u"--pdf"_qs, fromCompanion});
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());

    // The same words in the same order, the same faces, the same pictures.
    const QString words = runTool(u"pdftotext"_qs, {fromPreview, u"-"_qs});
    QCOMPARE(runTool(u"pdftotext"_qs, {fromCompanion, u"-"_qs}), words);
    QCOMPARE(pdfFonts(fromCompanion), pdfFonts(fromPreview));
    QCOMPARE(pdfPictures(fromCompanion), pdfPictures(fromPreview));
    // And they are the remarks and the sketch, not their source.
    for (const QString &w : {u"Festgestellte Mängel:"_qs, u"Zuluftöffnung im Heizraum verstellt"_qs, u"1. Öffnung freiräumen"_qs,
                             u"Messung"_qs, u"1000 ppm"_qs, u"Kosten der Nachprüfung: 38,50 €."_qs})
        QVERIFY2(words.contains(w), qPrintable(w));
    QVERIFY(!words.contains(u"rtf1"_qs) && !words.contains(u'\\'));
    const QStringList faces = pdfFonts(fromPreview);
    for (const QString &face : {u"LiberationSans"_qs, u"LiberationSans-Bold"_qs, u"LiberationSans-Italic"_qs})
        QVERIFY2(faces.contains(face), qPrintable(faces.join(u", "_qs)));
    // The sketch at the preview's scale s = 2, beside the letterhead's emblem on every page.
    QVERIFY2(pdfPictures(fromPreview).filter(u":1208x808"_qs).size() == 1, qPrintable(pdfPictures(fromPreview).join(u' ')));
    checkRestored(1);
}

void TestPrintCommand::mainWindowWaitsForThePreview()
{
    openOn(1);
    bool stillOpen = false;
    trigger("druckvorschau", [&](PreviewWindow *) {
        m_window->close();
        stillOpen = m_window->isVisible();
    });
    QVERIFY(stillOpen);
    checkRestored(1);
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestPrintCommand test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_printcommand.moc"
