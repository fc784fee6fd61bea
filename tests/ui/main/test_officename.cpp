// The office's name on the letterhead: asked once at the first start, kept
// in the program's own settings file (not in KQ2.ini), printed as header
// line 1 and at the start of the sender line, changed through
// "Einstellungen → Betrieb …" for the next start.

#include "mainwindow.h"
#include "uitestenv.h"

#include "betriebdlg.h"
#include "kopfzeilendlg.h"
#include "printcommand.h"
#include "printsettings.h"
#include "programsettings.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

QByteArray fileText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool showActive(TForm1 &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

// The text of a printed protocol, as a reader of the PDF gets it.
QString printedText(TForm1 &w, const QString &pdf)
{
    w.printCommand()->printDialog = [&](QPrinter &printer, int, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    w.findChild<QAction *>(u"drucken"_qs)->trigger();
    QProcess p;
    p.start(u"pdftotext"_qs, {pdf, u"-"_qs});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestOfficeName : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_dir.enter();
        QFile::remove(settings::programSettingsFilePath());
        QFile::remove(settings::settingsFilePath());
    }
    void cleanup()
    {
        QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
        QFile::remove(settings::programSettingsFilePath());
        m_dir.leave();
    }

    void askedOnceKeptApartAndPrinted();
    void cancelledOrEmptyIsAskedAgain();
    void changedForTheNextStart();
    void nameThatCannotBeKeptIsReported();

private:
    UiTestDir m_dir;
};

void TestOfficeName::askedOnceKeptApartAndPrinted()
{
    seedRecords({{{u"Modus"_qs, 1}, {u"E_Name"_qs, u"Frau Ilse Kunde"_qs}}});
    const QString name = u"Schornsteinfegermeister Huber"_qs;
    {
        TForm1 w;
        QVERIFY(showActive(w));
        w.askOfficeNameOnce();
        Tbetriebdlg *dlg = w.officeDialog();
        QVERIFY(dlg->isVisible());
        QVERIFY(dlg->isModal());
        QCOMPARE(dlg->windowTitle(), u"Betrieb"_qs);
        QCOMPARE(findNamed<QLabel>(dlg, "betrieblabel")->text(), u"&Name des Betriebs"_qs);
        // The account's full name is proposed, selected, so typing replaces it.
        auto *edit = findNamed<QLineEdit>(dlg, "betriebedit");
        QCOMPARE(edit->text(), settings::accountFullName());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(edit));
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!dlg->isVisible());

        // Kept in the program's own file, beside KQ2.ini and not in it.
        QCOMPARE(settings::officeName(), name);
        const QByteArray own = fileText(settings::programSettingsFilePath());
        QVERIFY2(own.contains("[Betrieb]\nName=Schornsteinfegermeister Huber"), own.constData());
        QVERIFY(!fileText(settings::settingsFilePath()).contains("Huber"));

        // It heads this run's protocols: header line 1, shown in "Kopfzeile"
        // but not editable there, and the start of the sender line.
        QCOMPARE(w.printSettings().headerLine1, name);
        w.showKopfzeilen();
        auto *header = findNamed<Tkopfzeilendlg>(&w, "Tkopfzeilendlg");
        QCOMPARE(findNamed<QLineEdit>(header, "nameedit")->text(), name);
        QVERIFY(!findNamed<QLineEdit>(header, "nameedit")->isEnabled());
        header->reject();
        const QString printed = printedText(w, m_dir.dir->filePath(u"protokoll.pdf"_qs));
        QVERIFY2(printed.count(name) >= 2, qPrintable(printed));
        QVERIFY(!printed.contains(settings::accountFullName() + u'\n'));
    }
    // The next start does not ask again; the protocols carry the name.
    TForm1 again;
    QVERIFY(showActive(again));
    again.askOfficeNameOnce();
    QVERIFY(!again.officeDialog()->isVisible());
    QCOMPARE(again.printSettings().headerLine1, name);
    QCOMPARE(settings::loadPrintSettings().headerLine1, name);   // the companion's protocols too
}

void TestOfficeName::cancelledOrEmptyIsAskedAgain()
{
    {
        TForm1 w;
        QVERIFY(showActive(w));
        w.askOfficeNameOnce();
        Tbetriebdlg *dlg = w.officeDialog();
        auto *edit = findNamed<QLineEdit>(dlg, "betriebedit");
        auto *ok = findNamed<QPushButton>(dlg, "okbtn");
        // Blanks are no name: OK and Enter do nothing.
        edit->selectAll();
        QTest::keyClicks(edit, u"   "_qs);
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(dlg->isVisible());
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(settings::officeName(), QString());
        // Meanwhile the account's name stands in.
        QCOMPARE(w.printSettings().headerLine1, settings::accountFullName());
    }
    TForm1 again;
    QVERIFY(showActive(again));
    again.askOfficeNameOnce();
    QVERIFY(again.officeDialog()->isVisible());
    again.officeDialog()->reject();
}

void TestOfficeName::changedForTheNextStart()
{
    QVERIFY(settings::saveOfficeName(u"Kaminkehrer Alt"_qs, nullptr));
    {
        TForm1 w;
        QVERIFY(showActive(w));
        w.findChild<QAction *>(u"betrieb"_qs)->trigger();
        Tbetriebdlg *dlg = w.officeDialog();
        QVERIFY(dlg->isVisible());
        auto *edit = findNamed<QLineEdit>(dlg, "betriebedit");
        QCOMPARE(edit->text(), u"Kaminkehrer Alt"_qs);
        QVERIFY(findNamed<QLabel>(dlg, "betriebhinweis")->text().contains(u"nächsten Programmstart"_qs));
        edit->selectAll();
        QTest::keyClicks(edit, u"  Kaminkehrer Neu "_qs);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(settings::officeName(), u"Kaminkehrer Neu"_qs);
        // The letterhead stays as it was while the program runs.
        QCOMPARE(w.printSettings().headerLine1, u"Kaminkehrer Alt"_qs);
    }
    TForm1 next;
    QVERIFY(showActive(next));
    QCOMPARE(next.printSettings().headerLine1, u"Kaminkehrer Neu"_qs);
}

void TestOfficeName::nameThatCannotBeKeptIsReported()
{
    // A directory stands where the file should go.
    QVERIFY(QDir().mkpath(settings::programSettingsFilePath()));
    TForm1 w;
    QVERIFY(showActive(w));
    w.askOfficeNameOnce();
    auto *edit = findNamed<QLineEdit>(w.officeDialog(), "betriebedit");
    edit->selectAll();
    QTest::keyClicks(edit, u"Betrieb Ohnedatei"_qs);
    QTest::keyClick(edit, Qt::Key_Return);
    // The settings file's own sentence, then the German reason.
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    QVERIFY(MessageBox::shownTexts().first().startsWith(
        u"nach %1 kann nicht geschrieben werden. "_qs.arg(settings::programSettingsFilePath())));
    // The name heads this run's protocols all the same.
    QCOMPARE(w.printSettings().headerLine1, u"Betrieb Ohnedatei"_qs);
    QVERIFY(QDir().rmdir(settings::programSettingsFilePath()));
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestOfficeName test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_officename.moc"
