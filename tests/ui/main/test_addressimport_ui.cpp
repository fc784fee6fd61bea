#include "mainwindow.h"
#include "uitestenv.h"

#include "addressimport.h"
#include "exportfilepreview.h"
#include "helpwindow.h"
#include "kbvimpdlg.h"
#include "keyboardcheck.h"
#include "settingsfile.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace addressimport;

namespace {

const QByteArray kExport = "Herrn\r\nK-4711\r\nHans M\xfcller\r\n\r\nAlte Str. 1\r\n70000\r\n70173 Stuttgart\r\n"
                           "0711 123\r\n\r\nNeue Str. 2\r\n73000\r\n73728 Esslingen\r\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Settles deferred deletes, so that a closed dialog is gone.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestAddressImportUi : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void selectionDialogOffersInstalledPrograms();
    void emptyListLeavesOnlyTheExportFile();
    void runsTheChosenProgram_data();
    void runsTheChosenProgram();
    void exportFileIsPreviewedBeforeTakeOver_data();
    void exportFileIsPreviewedBeforeTakeOver();
    void unreadableExportFileChangesNothing();

private:
    template <typename T>
    static T *find(QObject *root, const char *name)
    {
        T *w = root->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("control %s not found", name);
        return w;
    }
    // Installs the fixture library as the program's export library and
    // registers its directory the way this system looks for it.
    QString install(Source source);
    Tkbvimpdlg *openSelection(TForm1 &w);
    QStringList addressEdits(TForm1 &w) const;

    UiTestDir m_dir;
    QString m_startDir;
};

void TestAddressImportUi::init()
{
    m_dir.enter();
    m_startDir = QDir::currentPath();
    const Locations where = Locations::standard();
    QFile::remove(where.schocomIni);
    QFile::remove(where.settingsFile);
    QDir().mkpath(QFileInfo(where.settingsFile).path());
    for (const char *var : {"OFENRING_FIXTURE_LOG", "OFENRING_FIXTURE_STATUS", "OFENRING_FIXTURE_EXPORTNAME",
                            "OFENRING_FIXTURE_EXPORT"})
        qunsetenv(var);
    Tkbvimpdlg::setFileChooser({});
    seedRecords({{{u"E_Name"_qs, u"Vorher"_qs}, {u"A_Name"_qs, u"Haus am See"_qs}, {u"A_Ort"_qs, u"Altort"_qs}}});
}

void TestAddressImportUi::cleanup()
{
    settle();
    QCOMPARE(MessageBox::unexpectedTexts(), QStringList());
    m_dir.leave();
}

QString TestAddressImportUi::install(Source source)
{
    const QString dir = m_dir.dir->filePath(u"programm-%1"_qs.arg(int(source)));
    QDir().mkpath(dir);
    QFile::copy(QStringLiteral(FIXTURE_BOTH), QDir(dir).filePath(sourceDef(source).library));
    const Locations where = Locations::standard();
    if (source == Source::SchoCom) {
        SettingsFile ini(where.schocomIni);
        ini.load();
        ini.setValue(u"Installation"_qs, u"SchoCom"_qs, dir);
        ini.save();
    } else {
        SettingsFile ini(where.settingsFile);
        ini.load();
        ini.setValue(u"App Paths"_qs, source == Source::Abnahme ? u"abnahme.exe"_qs : u"abnahmeII.exe"_qs, dir);
        ini.save();
    }
    return dir;
}

Tkbvimpdlg *TestAddressImportUi::openSelection(TForm1 &w)
{
    w.setActivePage(TForm1::Allgemein);
    QTest::mouseClick(find<QPushButton>(&w, "importbtn"), Qt::LeftButton);
    auto *dlg = find<Tkbvimpdlg>(&w, "Tkbvimpdlg");
    if (!dlg->isVisible())
        qFatal("selection dialog not shown");
    return dlg;
}

QStringList TestAddressImportUi::addressEdits(TForm1 &w) const
{
    QStringList texts;
    for (const char *name : {"e_anredeedit", "e_nameedit", "e_ortedit", "e_plzedit", "e_teledit", "a_strasseedit",
                             "a_plzedit", "a_ortedit", "a_nameedit"})
        texts << find<QLineEdit>(&w, name)->text();
    return texts;
}

void TestAddressImportUi::selectionDialogOffersInstalledPrograms()
{
    install(Source::AbnahmeII);
    install(Source::SchoCom);
    TForm1 w;
    w.show();
    Tkbvimpdlg *dlg = openSelection(w);
    QCOMPARE(dlg->windowTitle(), u"Import aus Kehrbezirksverwaltungsprogrammen"_qs);
    QVERIFY(dlg->isModal());
    auto *list = find<QListWidget>(dlg, "programmliste");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), u"SchoCom (Schwarz Computer GmbH)"_qs);
    QCOMPARE(list->item(1)->text(), u"Abnahme II (BFV GmbH)"_qs);
    QCOMPARE(dlg->selectedEntry(), u"SchoCom (Schwarz Computer GmbH)"_qs);
    QVERIFY(find<QPushButton>(dlg, "okbtn")->isEnabled());
    QVERIFY(!find<QLabel>(dlg, "leerhinweis")->isVisible());
    QCOMPARE(mnemonicClashes(dlg), QStringList());

    // Help leads to the page that explains the import and its set-up.
    QTest::mouseClick(find<QPushButton>(dlg, "hilfebtn"), Qt::LeftButton);
    QCOMPARE(helpWindow()->currentTopic(), u"adressimport.htm"_qs);
    helpWindow()->close();

    // Escape: nothing happens, and the next import makes a fresh dialog.
    QTest::keyClick(list, Qt::Key_Escape);
    settle();
    QVERIFY(!w.findChild<Tkbvimpdlg *>());
    QCOMPARE(addressEdits(w).at(1), u"Vorher"_qs);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
    QVERIFY(openSelection(w) != nullptr);
}

void TestAddressImportUi::emptyListLeavesOnlyTheExportFile()
{
    TForm1 w;
    w.show();
    Tkbvimpdlg *dlg = openSelection(w);
    auto *list = find<QListWidget>(dlg, "programmliste");
    auto *hint = find<QLabel>(dlg, "leerhinweis");
    QCOMPARE(list->count(), 0);
    QVERIFY(hint->isVisible());
    // The hint has the lines it needs, below the list rather than across it.
    QVERIFY(hint->height() >= hint->heightForWidth(hint->width()));
    QVERIFY(hint->geometry().top() >= list->geometry().bottom());
    QVERIFY(!find<QPushButton>(dlg, "okbtn")->isEnabled());
    QVERIFY(find<QPushButton>(dlg, "dateibtn")->isEnabled());
    QTest::keyClick(dlg, Qt::Key_Return);   // Enter on the greyed OK: nothing
    QVERIFY(dlg->isVisible());
    dlg->reject();
}

void TestAddressImportUi::runsTheChosenProgram_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("doubleClick");   // else the second entry is chosen and OK pressed
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("edits");

    const QStringList before = {QString(),   u"Vorher"_qs, QString(), QString(),      QString(),
                                QString(),   QString(),    u"Altort"_qs, u"Haus am See"_qs};
    QTest::newRow("double click, export written")
        << 0 << true << QString()
        << QStringList{u"Herrn"_qs,       u"Hans Müller"_qs, u"Stuttgart"_qs, u"70173"_qs,        u"0711 123"_qs,
                       u"Neue Str. 2"_qs, u"73728"_qs,       u"Esslingen"_qs, u"Haus am See"_qs};
    QTest::newRow("OK, program reports an error")
        << 9 << false << u"Export- Funktion meldet Fehler Nr. 9 Daten unvollständig"_qs << before;
    QTest::newRow("OK, success without export file")
        << 0 << false << u"Die Exportdatei %1 kann nicht geöffnet werden. Es wurden keine Adressen übernommen."_qs
        << before;
}

void TestAddressImportUi::runsTheChosenProgram()
{
    QFETCH(int, status);
    QFETCH(bool, doubleClick);
    QFETCH(QString, message);
    QFETCH(QStringList, edits);

    install(Source::SchoCom);
    const QString dir = install(Source::AbnahmeII);
    qputenv("OFENRING_FIXTURE_STATUS", QByteArray::number(status));
    if (message.isEmpty() || status != 0) {
        qputenv("OFENRING_FIXTURE_EXPORTNAME", "export.txt");
        qputenv("OFENRING_FIXTURE_EXPORT", kExport);
    }

    TForm1 w;
    w.show();
    Tkbvimpdlg *dlg = openSelection(w);
    auto *list = find<QListWidget>(dlg, "programmliste");
    if (doubleClick) {
        const QRect item = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, item.center());
    } else {
        list->setCurrentRow(1);
        QTest::mouseClick(find<QPushButton>(dlg, "okbtn"), Qt::LeftButton);
    }
    settle();

    QVERIFY(!w.findChild<Tkbvimpdlg *>());
    QCOMPARE(QDir::currentPath(), m_startDir);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    const QString expected = message.arg(QDir::toNativeSeparators(QDir(dir).filePath(u"export.txt"_qs)));
    QCOMPARE(MessageBox::shownTexts(), message.isEmpty() ? QStringList() : QStringList{expected});
    QCOMPARE(addressEdits(w), edits);
    QCOMPARE(w.recordStore()->state(), message.isEmpty() ? StoreState::Edit : StoreState::Browse);
}

void TestAddressImportUi::exportFileIsPreviewedBeforeTakeOver_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("recognised");    // kind the file name suggests
    QTest::addColumn<int>("chosen");        // kind the user settles on
    QTest::addColumn<bool>("takeOver");
    QTest::addColumn<QStringList>("edits");

    const QStringList before = {QString(),   u"Vorher"_qs, QString(), QString(),      QString(),
                                QString(),   QString(),    u"Altort"_qs, u"Haus am See"_qs};
    QTest::newRow("AbnSch.EXP as SchoCom")
        << u"AbnSch.EXP"_qs << int(Source::SchoCom) << int(Source::SchoCom) << true
        << QStringList{u"Herrn"_qs,       u"Hans Müller"_qs, u"70173 Stuttgart"_qs, u"70000"_qs,     u"0711 123"_qs,
                       u"Neue Str. 2"_qs, u"73000"_qs,       u"73728 Esslingen"_qs, u"Haus am See"_qs};
    QTest::newRow("export.txt as Abnahme")
        << u"export.txt"_qs << int(Source::Abnahme) << int(Source::Abnahme) << true
        << QStringList{u"Herrn"_qs,       u"Hans Müller"_qs, u"Stuttgart"_qs, u"70173"_qs,        u"0711 123"_qs,
                       u"Neue Str. 2"_qs, u"73728"_qs,       u"Esslingen"_qs, u"Haus am See"_qs};
    QTest::newRow("renamed file, kind changed by the user")
        << u"mueller.exp"_qs << int(Source::SchoCom) << int(Source::Abnahme) << true
        << QStringList{u"Herrn"_qs,       u"Hans Müller"_qs, u"Stuttgart"_qs, u"70173"_qs,        u"0711 123"_qs,
                       u"Neue Str. 2"_qs, u"73728"_qs,       u"Esslingen"_qs, u"Haus am See"_qs};
    QTest::newRow("preview cancelled") << u"export.txt"_qs << int(Source::Abnahme) << int(Source::Abnahme) << false
                                       << before;
}

void TestAddressImportUi::exportFileIsPreviewedBeforeTakeOver()
{
    QFETCH(QString, fileName);
    QFETCH(int, recognised);
    QFETCH(int, chosen);
    QFETCH(bool, takeOver);
    QFETCH(QStringList, edits);

    const QString path = m_dir.dir->filePath(u"usb/"_qs + fileName);
    QDir().mkpath(QFileInfo(path).path());
    QVERIFY(writeFile(path, kExport));
    Tkbvimpdlg::setFileChooser([path](QWidget *) { return path; });

    TForm1 w;
    w.show();
    Tkbvimpdlg *dlg = openSelection(w);
    QTest::mouseClick(find<QPushButton>(dlg, "dateibtn"), Qt::LeftButton);
    settle();
    QVERIFY(!w.findChild<Tkbvimpdlg *>());

    auto *preview = find<ExportFilePreviewDialog>(&w, "exportvorschau");
    QVERIFY(preview->isVisible());
    QCOMPARE(mnemonicClashes(preview), QStringList());
    QCOMPARE(int(preview->source()), recognised);
    auto *kind = find<QComboBox>(preview, "herkunftcombo");
    kind->setCurrentIndex(kind->findData(chosen));
    // The owner's town as the file would set it, beside what the record holds.
    auto *table = find<QTableWidget>(preview, "vorschautabelle");
    QCOMPARE(table->item(5, 0)->text(), u"Eigentümer: Ort"_qs);
    QCOMPARE(table->item(5, 2)->text(), edits.at(2) == u"Stuttgart"_qs || !takeOver
                                            ? u"Stuttgart"_qs
                                            : u"70173 Stuttgart"_qs);
    QCOMPARE(table->item(10, 1)->text(), u"Altort"_qs);
    // Line 9 (fax) is empty in the file: it would clear the field.
    QCOMPARE(table->item(7, 2)->text(), u"(leer)"_qs);
    // Nothing has changed before the user says so.
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);

    QTest::mouseClick(find<QPushButton>(preview, takeOver ? "uebernehmenbtn" : "abbrechenbtn"), Qt::LeftButton);
    settle();
    QVERIFY(!w.findChild<ExportFilePreviewDialog *>());
    QCOMPARE(addressEdits(w), edits);
    QCOMPARE(w.recordStore()->state(), takeOver ? StoreState::Edit : StoreState::Browse);
}

void TestAddressImportUi::unreadableExportFileChangesNothing()
{
    const QString path = m_dir.dir->filePath(u"fehlt/AbnSch.EXP"_qs);
    Tkbvimpdlg::setFileChooser([path](QWidget *) { return path; });
    TForm1 w;
    w.show();
    const QStringList before = addressEdits(w);
    QTest::mouseClick(find<QPushButton>(openSelection(w), "dateibtn"), Qt::LeftButton);
    settle();
    QCOMPARE(MessageBox::shownTexts(), QStringList{unreadableFileMessage(path)});
    QVERIFY(MessageBox::shownTexts().first().contains(QDir::toNativeSeparators(path)));
    QVERIFY(!w.findChild<ExportFilePreviewDialog *>());
    QCOMPARE(addressEdits(w), before);
    QCOMPARE(w.recordStore()->state(), StoreState::Browse);
}

int main(int argc, char *argv[])
{
    useTemporaryHome();
    QApplication app(argc, argv);
    TestAddressImportUi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_addressimport_ui.moc"
