#include "addressimport.h"
#include "exportlibrary.h"
#include "prompter.h"
#include "recordstore.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace addressimport;

Q_DECLARE_METATYPE(addressimport::Source)

namespace {

// The address fields the import may touch, and the three it never touches.
const QStringList kAddressFields = {u"E_anrede"_qs, u"E_Name"_qs,    u"E_zusatz"_qs, u"E_strasse"_qs, u"E_plz"_qs,
                                    u"E_ort"_qs,    u"E_tel"_qs,     u"E_fax"_qs,    u"A_strasse"_qs, u"A_Plz"_qs,
                                    u"A_Ort"_qs,    u"A_Name"_qs,    u"A_zusatz"_qs, u"A_gebteil"_qs};

// The record every test starts from: each address field holds "alt <field>"
// (cut to the field's size).
QVariantMap priorValues()
{
    QVariantMap m;
    for (const QString &f : kAddressFields)
        m.insert(f, storedValue(f, u"alt "_qs + f));
    return m;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QStringList readLog(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLocal8Bit(f.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void appendLog(const QString &path, const QByteArray &line)
{
    QFile f(path);
    if (f.open(QIODevice::Append))
        f.write(line + '\n');
}

// A full Abnahme export: owner Müller in Stuttgart, property in Esslingen.
const QByteArray kAbnahmeExport = "Herrn\r\nK-4711\r\nHans M\xfcller\r\nc/o Hausverwaltung\r\nAlte Str. 1\r\n"
                                  "70000\r\n70173 Stuttgart\r\n0711 123\r\n0711 124\r\nNeue Str. 2\r\n73000\r\n"
                                  "73728 Esslingen\r\n";

} // namespace

class TestAddressImport : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void entryRecognisedByItsBeginning_data();
    void entryRecognisedByItsBeginning();
    void listShowsInstalledProgramsInOrder_data();
    void listShowsInstalledProgramsInOrder();
    void statusMessages_data();
    void statusMessages();
    void exportFileByLineMap_data();
    void exportFileByLineMap();
    void emptyTableGetsANewRecord();
    void unreadableExportFileChangesNothing_data();
    void unreadableExportFileChangesNothing();
    void notAnExportFileChangesNothing_data();
    void notAnExportFileChangesNothing();
    void exportRun_data();
    void exportRun();
    void libraryMissingAtImportTime();
    void fileKindFromName_data();
    void fileKindFromName();

private:
    // Opens ./daten/kq.db with one saved record of priorValues().
    void openStoreWithRecord();
    QVariantMap currentAddress() const;
    // A program directory holding the fixture library under the source's name.
    QString installFixture(Source source, const QString &fixture);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_startDir;
    std::unique_ptr<RecordStore> m_store;
    ScriptedPrompter m_prompter;
};

void TestAddressImport::init()
{
    m_startDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_store = std::make_unique<RecordStore>();
    m_store->setPrompter(&m_prompter);
    m_store->setConfirmChanges(false);
    m_prompter.clearAsked();
    for (const char *var : {"OFENRING_FIXTURE_LOG", "OFENRING_FIXTURE_STATUS", "OFENRING_FIXTURE_EXPORTNAME",
                            "OFENRING_FIXTURE_EXPORT"})
        qunsetenv(var);
}

void TestAddressImport::cleanup()
{
    m_store.reset();
    QDir::setCurrent(m_startDir);
    m_dir.reset();
}

void TestAddressImport::openStoreWithRecord()
{
    QVERIFY(m_store->open(m_dir->filePath(u"daten"_qs)));
    QVERIFY(m_store->insert());
    const QVariantMap prior = priorValues();
    for (auto it = prior.begin(); it != prior.end(); ++it)
        QVERIFY(m_store->setFieldValue(it.key(), it.value()));
    QVERIFY(m_store->post());
    QCOMPARE(m_store->state(), StoreState::Browse);
}

QVariantMap TestAddressImport::currentAddress() const
{
    QVariantMap m;
    for (const QString &f : kAddressFields)
        m.insert(f, m_store->fieldValue(f).toString());
    return m;
}

QString TestAddressImport::installFixture(Source source, const QString &fixture)
{
    const QString dir = m_dir->filePath(u"programm-%1"_qs.arg(int(source)));
    QDir().mkpath(dir);
    const QString target = QDir(dir).filePath(sourceDef(source).library);
    QFile::remove(target);
    if (!fixture.isEmpty())
        QFile::copy(fixture, target);
    return dir;
}

// --- choosing -----------------------------------------------------------------

void TestAddressImport::entryRecognisedByItsBeginning_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("source");   // -1: none

    QTest::newRow("SchoCom") << u"SchoCom (Schwarz Computer GmbH)"_qs << int(Source::SchoCom);
    QTest::newRow("Abnahme") << u"Abnahme (BFV GmbH)"_qs << int(Source::Abnahme);
    QTest::newRow("Abnahme II is not Abnahme") << u"Abnahme II (BFV GmbH)"_qs << int(Source::AbnahmeII);
    QTest::newRow("bare Abnahme") << u"Abnahme"_qs << -1;
    QTest::newRow("other case") << u"schocom"_qs << -1;
    QTest::newRow("empty") << QString() << -1;
}

void TestAddressImport::entryRecognisedByItsBeginning()
{
    QFETCH(QString, entry);
    QFETCH(int, source);
    const std::optional<Source> s = recogniseEntry(entry);
    QCOMPARE(s ? int(*s) : -1, source);
    // Every list entry is recognised as its own source.
    for (Source each : allSources())
        QCOMPARE(recogniseEntry(sourceDef(each).entry), std::optional<Source>(each));
}

void TestAddressImport::listShowsInstalledProgramsInOrder_data()
{
    QTest::addColumn<QStringList>("installed");   // sources whose library is in their directory
    QTest::addColumn<QStringList>("configured");  // sources whose directory is set
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("preselected");

    const QStringList all = {u"SchoCom"_qs, u"Abnahme"_qs, u"Abnahme II"_qs};
    QTest::newRow("all three") << all << all
                               << QStringList{u"SchoCom (Schwarz Computer GmbH)"_qs, u"Abnahme (BFV GmbH)"_qs,
                                              u"Abnahme II (BFV GmbH)"_qs}
                               << 0;
    QTest::newRow("Abnahme programs are never preselected")
        << QStringList{u"Abnahme"_qs, u"Abnahme II"_qs} << all
        << QStringList{u"Abnahme (BFV GmbH)"_qs, u"Abnahme II (BFV GmbH)"_qs} << -1;
    QTest::newRow("directory set, library missing") << QStringList{u"Abnahme II"_qs} << all
                                                    << QStringList{u"Abnahme II (BFV GmbH)"_qs} << -1;
    QTest::newRow("library present, directory not set") << all << QStringList{u"Abnahme"_qs}
                                                         << QStringList{u"Abnahme (BFV GmbH)"_qs} << -1;
    QTest::newRow("nothing installed") << QStringList() << QStringList() << QStringList() << -1;
}

void TestAddressImport::listShowsInstalledProgramsInOrder()
{
    QFETCH(QStringList, installed);
    QFETCH(QStringList, configured);
    QFETCH(QStringList, entries);
    QFETCH(int, preselected);

    const Locations where{m_dir->filePath(u"cfg/schocom.ini"_qs), m_dir->filePath(u"cfg/KQ2.ini"_qs)};
    SettingsFile schocom(where.schocomIni), kq2(where.settingsFile);
    QDir().mkpath(m_dir->filePath(u"cfg"_qs));
    for (Source s : allSources()) {
        const QString name = sourceDef(s).name;
        const QString dir = installFixture(s, installed.contains(name) ? QStringLiteral(FIXTURE_BOTH) : QString());
        // SchoCom's directory is written without a closing separator, the
        // others with one: both must find the library.
        const QString value = s == Source::SchoCom ? dir : dir + u'/';
        if (!configured.contains(name))
            continue;
        if (s == Source::SchoCom)
            schocom.setValue(u"Installation"_qs, u"SchoCom"_qs, value);
        else
            kq2.setValue(u"App Paths"_qs, s == Source::Abnahme ? u"abnahme.exe"_qs : u"abnahmeII.exe"_qs, value);
    }
    // An empty directory setting counts as not installed, even with a library
    // in the current directory.
    if (!configured.contains(u"SchoCom"_qs)) {
        schocom.setValue(u"Installation"_qs, u"SchoCom"_qs, QString());
        QFile::copy(QStringLiteral(FIXTURE_BOTH), sourceDef(Source::SchoCom).library);
    }
    QVERIFY(schocom.save());
    QVERIFY(kq2.save());

    const SourceList list = installedSources(where);
    QStringList shown;
    for (const Installed &i : list.entries)
        shown << sourceDef(i.source).entry;
    QCOMPARE(shown, entries);
    QCOMPARE(list.preselected, preselected);
}

void TestAddressImport::statusMessages_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QString p = u"Export- Funktion meldet Fehler Nr. "_qs;
    const QString undefined = u"Fehler nicht definiert"_qs;
    QTest::newRow("SchoCom 0") << Source::SchoCom << 0 << QString();
    QTest::newRow("Abnahme 0") << Source::Abnahme << 0 << QString();
    QTest::newRow("SchoCom 1 ends in the blank") << Source::SchoCom << 1 << p + u"1 "_qs;
    QTest::newRow("Abnahme II 1") << Source::AbnahmeII << 1 << p + u"1 "_qs;
    QTest::newRow("SchoCom 2") << Source::SchoCom << 2 << p + u"2 Ungültige Pfadangaben in der 'SchoCom.Ini' "_qs;
    QTest::newRow("SchoCom 3") << Source::SchoCom << 3 << p + u"3 Datenbanktreiber lässt sich nicht starten"_qs;
    QTest::newRow("SchoCom 4") << Source::SchoCom << 4
                               << p + u"4 'SchoCom' läuft (Datenbanken werden exklusiv geöffnet)"_qs;
    QTest::newRow("SchoCom 5") << Source::SchoCom << 5 << p + u"5 Keine Datensatz ausgewählt"_qs;
    QTest::newRow("SchoCom 6") << Source::SchoCom << 6 << p + u"6 Liegenschafts-Tabelle leer"_qs;
    for (int code : {2, 3, 4, 6})
        QTest::addRow("Abnahme %d", code) << Source::Abnahme << code << p + QString::number(code) + u' ' + undefined;
    QTest::newRow("Abnahme 5 is silent") << Source::Abnahme << 5 << QString();
    QTest::newRow("Abnahme II 5 is silent") << Source::AbnahmeII << 5 << QString();
    const QStringList shared = {u"Fehler beim Schreiben der Export-Datei"_qs, u"Ungültige Versionsübergabe"_qs,
                                u"Daten unvollständig"_qs, u"Ort der Lgs. fehlt"_qs,
                                u"PLZ und Straße der Lgs. fehlt"_qs, u"Ort, PLZ und Straße der Lgs. fehlt"_qs};
    for (int code = 7; code <= 12; ++code) {
        const QString text = p + QString::number(code) + u' ' + shared[code - 7];
        QTest::addRow("SchoCom %d", code) << Source::SchoCom << code << text;
        QTest::addRow("Abnahme %d", code) << Source::Abnahme << code << text;
    }
    for (int code : {13, 254}) {
        QTest::addRow("SchoCom %d", code) << Source::SchoCom << code << p + QString::number(code) + u' ' + undefined;
        QTest::addRow("Abnahme II %d", code) << Source::AbnahmeII << code
                                             << p + QString::number(code) + u' ' + undefined;
    }
    QTest::newRow("SchoCom 255") << Source::SchoCom << 255 << p + u"255 Unbekannter Fehler"_qs;
    QTest::newRow("Abnahme 255") << Source::Abnahme << 255 << p + u"255 Unbekannter Fehler"_qs;
}

void TestAddressImport::statusMessages()
{
    QFETCH(Source, source);
    QFETCH(int, status);
    QFETCH(QString, message);
    QCOMPARE(statusMessage(source, status), message);
}

// --- the export file --------------------------------------------------------------

void TestAddressImport::exportFileByLineMap_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QVariantMap>("changed");   // fields that differ from priorValues() afterwards

    QTest::newRow("Abnahme: full file, postcode and town split")
        << Source::Abnahme << kAbnahmeExport
        << QVariantMap{{u"E_anrede"_qs, u"Herrn"_qs},           {u"E_Name"_qs, u"Hans Müller"_qs},
                       {u"E_zusatz"_qs, u"c/o Hausverwaltung"_qs}, {u"E_strasse"_qs, u"Alte Str. 1"_qs},
                       {u"E_plz"_qs, u"70173"_qs},              {u"E_ort"_qs, u"Stuttgart"_qs},
                       {u"E_tel"_qs, u"0711 123"_qs},           {u"E_fax"_qs, u"0711 124"_qs},
                       {u"A_strasse"_qs, u"Neue Str. 2"_qs},    {u"A_Plz"_qs, u"73728"_qs},
                       {u"A_Ort"_qs, u"Esslingen"_qs}};
    QTest::newRow("SchoCom: the same file, lines 7 and 12 whole")
        << Source::SchoCom << kAbnahmeExport
        << QVariantMap{{u"E_anrede"_qs, u"Herrn"_qs},           {u"E_Name"_qs, u"Hans Müller"_qs},
                       {u"E_zusatz"_qs, u"c/o Hausverwaltung"_qs}, {u"E_strasse"_qs, u"Alte Str. 1"_qs},
                       {u"E_plz"_qs, u"70000"_qs},              {u"E_ort"_qs, u"70173 Stuttgart"_qs},
                       {u"E_tel"_qs, u"0711 123"_qs},           {u"E_fax"_qs, u"0711 124"_qs},
                       {u"A_strasse"_qs, u"Neue Str. 2"_qs},    {u"A_Plz"_qs, u"73000"_qs},
                       {u"A_Ort"_qs, u"73728 Esslingen"_qs}};
    // First blank at position 4: the whole line is the town, A_Plz keeps line 11.
    QByteArray town = kAbnahmeExport;
    town.replace("73728 Esslingen", "Bad Cannstatt");
    QTest::newRow("Abnahme: town of two words, first of three letters")
        << Source::Abnahme << town.left(town.indexOf("Bad Cannstatt") + 13)
        << QVariantMap{{u"E_anrede"_qs, u"Herrn"_qs},           {u"E_Name"_qs, u"Hans Müller"_qs},
                       {u"E_zusatz"_qs, u"c/o Hausverwaltung"_qs}, {u"E_strasse"_qs, u"Alte Str. 1"_qs},
                       {u"E_plz"_qs, u"70173"_qs},              {u"E_ort"_qs, u"Stuttgart"_qs},
                       {u"E_tel"_qs, u"0711 123"_qs},           {u"E_fax"_qs, u"0711 124"_qs},
                       {u"A_strasse"_qs, u"Neue Str. 2"_qs},    {u"A_Plz"_qs, u"73000"_qs},
                       {u"A_Ort"_qs, u"Bad Cannstatt"_qs}};
    QTest::newRow("five lines set four fields, line 2 none")
        << Source::Abnahme << QByteArray("Frau\r\nE_tel\r\nErika Muster\r\n\r\nWeg 5\r\n")
        << QVariantMap{{u"E_anrede"_qs, u"Frau"_qs}, {u"E_Name"_qs, u"Erika Muster"_qs}, {u"E_zusatz"_qs, QString()},
                       {u"E_strasse"_qs, u"Weg 5"_qs}};
    // Line 7 split points: a blank at position 6 splits, at 5 or none does not;
    // further blanks stay with the town; a postcode of more than seven
    // characters is cut; values are not trimmed.  Lone LF line ends.
    QTest::newRow("Abnahme: split at position 6, blanks kept")
        << Source::Abnahme << QByteArray("\n\n\n\n\n\n12345 Bad  Boll \n")
        << QVariantMap{{u"E_anrede"_qs, QString()}, {u"E_Name"_qs, QString()}, {u"E_zusatz"_qs, QString()},
                       {u"E_strasse"_qs, QString()}, {u"E_plz"_qs, u"12345"_qs}, {u"E_ort"_qs, u"Bad  Boll "_qs}};
    QTest::newRow("Abnahme: blank at position 5 is no postcode")
        << Source::AbnahmeII << QByteArray("\n\n\n\n\n9999\n1234 Ort\n")
        << QVariantMap{{u"E_anrede"_qs, QString()}, {u"E_Name"_qs, QString()}, {u"E_zusatz"_qs, QString()},
                       {u"E_strasse"_qs, QString()}, {u"E_plz"_qs, u"9999"_qs}, {u"E_ort"_qs, u"1234 Ort"_qs}};
    QTest::newRow("Abnahme: long postcode cut, no blank at all")
        << Source::Abnahme << QByteArray("\n\n\n\n\n\nD-70173-99 Stuttgart\n\n\n\n\nEsslingen")
        << QVariantMap{{u"E_anrede"_qs, QString()}, {u"E_Name"_qs, QString()},  {u"E_zusatz"_qs, QString()},
                       {u"E_strasse"_qs, QString()}, {u"E_plz"_qs, u"D-70173"_qs}, {u"E_ort"_qs, u"Stuttgart"_qs},
                       {u"E_tel"_qs, QString()},     {u"E_fax"_qs, QString()},  {u"A_strasse"_qs, QString()},
                       {u"A_Plz"_qs, QString()},     {u"A_Ort"_qs, u"Esslingen"_qs}};
    // Values are cut to the field's size; lines 13 to 16 and anything after
    // them set nothing, so A_Name and the other fields keep their values.
    QByteArray twentyLines = " Herr Dr. \r\n\r\n" + QByteArray(40, 'N') + "\r\n";
    for (int n = 4; n <= 20; ++n)
        twentyLines += (n <= 12 ? QByteArray("x") : "Zeile " + QByteArray::number(n)) + "\r\n";
    QTest::newRow("cut to size, lines after 12 set nothing")
        << Source::SchoCom << twentyLines
        << QVariantMap{{u"E_anrede"_qs, u" Herr Dr. "_qs}, {u"E_Name"_qs, QString(30, u'N')},
                       {u"E_zusatz"_qs, u"x"_qs},          {u"E_strasse"_qs, u"x"_qs},
                       {u"E_plz"_qs, u"x"_qs},             {u"E_ort"_qs, u"x"_qs},
                       {u"E_tel"_qs, u"x"_qs},             {u"E_fax"_qs, u"x"_qs},
                       {u"A_strasse"_qs, u"x"_qs},         {u"A_Plz"_qs, u"x"_qs},
                       {u"A_Ort"_qs, u"x"_qs}};
    QTest::newRow("Windows-1252 characters")
        << Source::SchoCom << QByteArray("\r\n\r\nStra\xdf" "e \x80 \x84" "Zitat\x93\r\n")
        << QVariantMap{{u"E_anrede"_qs, QString()}, {u"E_Name"_qs, u"Straße € „Zitat“"_qs}};
    // Other encodings a newer program may write: UTF-8 (with or without its
    // mark) and UTF-16 with a byte-order mark.
    const QString text = u"Herrn\r\n\r\nJürgen Weiß-Ødegård\r\n"_qs;
    const QVariantMap names{{u"E_anrede"_qs, u"Herrn"_qs}, {u"E_Name"_qs, u"Jürgen Weiß-Ødegård"_qs}};
    QTest::newRow("UTF-8") << Source::SchoCom << text.toUtf8() << names;
    QTest::newRow("UTF-8 with its mark") << Source::SchoCom << QByteArray("\xef\xbb\xbf") + text.toUtf8() << names;
    QTest::newRow("UTF-16 little-endian") << Source::SchoCom
                                          << QByteArray(QStringEncoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom).encode(text))
                                          << names;
    QTest::newRow("UTF-16 big-endian") << Source::SchoCom
                                       << QByteArray(QStringEncoder(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom).encode(text))
                                       << names;
}

void TestAddressImport::exportFileByLineMap()
{
    QFETCH(Source, source);
    QFETCH(QByteArray, file);
    QFETCH(QVariantMap, changed);

    openStoreWithRecord();
    const QString path = m_dir->filePath(sourceDef(source).exportFile);
    QVERIFY(writeFile(path, file));
    QCOMPARE(importExportFile(path, source, *m_store, m_prompter), Outcome::Imported);
    QCOMPARE(m_prompter.asked(), QStringList());
    QCOMPARE(m_store->state(), StoreState::Edit);

    QVariantMap expected = priorValues();
    for (auto it = changed.begin(); it != changed.end(); ++it)
        expected.insert(it.key(), it.value());
    QCOMPARE(currentAddress(), expected);
}

void TestAddressImport::emptyTableGetsANewRecord()
{
    QVERIFY(m_store->open(m_dir->filePath(u"daten"_qs)));
    QVERIFY(m_store->isEmpty());
    const QString path = m_dir->filePath(u"export.txt"_qs);
    QVERIFY(writeFile(path, kAbnahmeExport));
    QCOMPARE(importExportFile(path, Source::Abnahme, *m_store, m_prompter), Outcome::Imported);
    QCOMPARE(m_store->state(), StoreState::Insert);
    QCOMPARE(m_store->fieldValue(u"E_Name"_qs).toString(), u"Hans Müller"_qs);
    QVERIFY(m_store->post());
    QCOMPARE(m_store->rowCount(), 1);
}

void TestAddressImport::unreadableExportFileChangesNothing_data()
{
    QTest::addColumn<QString>("path");   // relative to the test directory, or absolute
    QTest::newRow("missing") << u"fehlt/export.txt"_qs;
    QTest::newRow("a directory") << u"daten"_qs;
    QTest::newRow("a device that never ends") << u"/dev/zero"_qs;
}

void TestAddressImport::unreadableExportFileChangesNothing()
{
    QFETCH(QString, path);
    openStoreWithRecord();
    const QString file = QDir(m_dir->path()).absoluteFilePath(path);
    QCOMPARE(importExportFile(file, Source::Abnahme, *m_store, m_prompter), Outcome::NotImported);
    QCOMPARE(m_prompter.asked(),
             QStringList{u"Die Exportdatei %1 kann nicht geöffnet werden. Es wurden keine Adressen übernommen."_qs.arg(
                 QDir::toNativeSeparators(file))});
    QCOMPARE(m_store->state(), StoreState::Browse);
    QCOMPARE(currentAddress(), priorValues());
}

void TestAddressImport::notAnExportFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");   // after "Die Datei <path> ist keine Exportdatei: " or the like

    QByteArray random;
    quint32 x = 4711;
    for (int i = 0; i < 2000; ++i) {
        x = x * 1103515245u + 12345u;
        random.append(char(x >> 24));
    }
    QTest::newRow("random bytes") << random << u"enthält ein Steuerzeichen"_qs;
    QTest::newRow("empty") << QByteArray() << u"ist leer."_qs;
    QTest::newRow("only a byte-order mark") << QByteArray("\xef\xbb\xbf") << u"ist leer."_qs;
    QTest::newRow("NUL") << QByteArrayLiteral("Herrn\r\n\r\nHans\0M\r\n") << u"Zeile 3 enthält ein Steuerzeichen (Zeichen U+0000)"_qs;
    QTest::newRow("0x01") << QByteArray("Herrn\r\n\x01\r\nHans\r\n") << u"Zeile 2 enthält ein Steuerzeichen (Zeichen U+0001)"_qs;
    QTest::newRow("ESC") << QByteArray("\x1b[31mHerrn\r\n") << u"Zeile 1 enthält ein Steuerzeichen (Zeichen U+001B)"_qs;
    QTest::newRow("CR inside a line") << QByteArray("Herrn\r\n\r\nHans\rM\r\n") << u"Zeile 3 enthält ein Steuerzeichen (Zeichen U+000D)"_qs;
    QTest::newRow("UTF-16 without its mark")
        << QByteArray(QStringEncoder(QStringConverter::Utf16LE).encode(u"Herrn\r\n\r\nHans\r\n"_qs))
        << u"Zeile 1 enthält ein Steuerzeichen (Zeichen U+0000)"_qs;
    QTest::newRow("UTF-16 cut in a character") << QByteArrayLiteral("\xff\xfeH\x00" "e") << u"beginnt wie ein UTF-16-Text, ist aber keiner."_qs;
    QTest::newRow("no address line") << QByteArray("\r\nK-4711\r\n   \r\n\r\n") << u"keine der Zeilen 1 und 3 bis 12"_qs;
}

// A file that is no export file is refused with its reason; the record stays
// as it was, so no control character ever reaches a field.
void TestAddressImport::notAnExportFileChangesNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    openStoreWithRecord();
    const QString path = m_dir->filePath(u"AbnSch.EXP"_qs);
    QVERIFY(writeFile(path, file));
    QCOMPARE(importExportFile(path, Source::SchoCom, *m_store, m_prompter), Outcome::NotImported);
    QCOMPARE(m_prompter.asked().size(), 1);
    const QString message = m_prompter.asked().first();
    QVERIFY2(message.contains(QDir::toNativeSeparators(path)) && message.contains(reason)
                 && message.endsWith(u" Es wurden keine Adressen übernommen."_qs),
             qPrintable(message));
    QCOMPARE(m_store->state(), StoreState::Browse);
    QCOMPARE(currentAddress(), priorValues());
}

// --- running an export library ------------------------------------------------------

void TestAddressImport::exportRun_data()
{
    QTest::addColumn<Source>("source");
    QTest::addColumn<QString>("fixture");      // library file; "garbage": a file that is no library
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("writesFile");
    QTest::addColumn<QStringList>("calls");     // log of cursor and entries; %1 the program directory
    QTest::addColumn<QString>("message");      // %1: the export file's path
    QTest::addColumn<bool>("imported");

    const QString both = QStringLiteral(FIXTURE_BOTH);
    const QStringList full = {u"cursor on"_qs, u"entry1"_qs, u"cursor off"_qs, u"entry2 0 %1"_qs};
    QTest::newRow("SchoCom, both entries") << Source::SchoCom << both << 0 << true << full << QString() << true;
    QTest::newRow("Abnahme II, entry 1 missing")
        << Source::AbnahmeII << QStringLiteral(FIXTURE_ENTRY2ONLY) << 0 << true
        << QStringList{u"cursor on"_qs, u"cursor off"_qs, u"entry2 0 %1"_qs} << QString() << true;
    QTest::newRow("SchoCom, entry 2 missing")
        << Source::SchoCom << QStringLiteral(FIXTURE_ENTRY1ONLY) << 0 << true
        << QStringList{u"cursor on"_qs, u"entry1"_qs, u"cursor off"_qs}
        << u"Export- Funktion in SC_BfV.so nicht gefunden "_qs << false;
    QTest::newRow("Abnahme, entry 2 missing")
        << Source::Abnahme << QStringLiteral(FIXTURE_ENTRY1ONLY) << 0 << true
        << QStringList{u"cursor on"_qs, u"entry1"_qs, u"cursor off"_qs}
        << u"Export- Funktion in expdaten.so nicht gefunden "_qs << false;
    QTest::newRow("SchoCom, not a library")
        << Source::SchoCom << u"garbage"_qs << 0 << true << QStringList{u"cursor on"_qs, u"cursor off"_qs}
        << u"Exportbibliothek SC_BfV.so des Bezirksverwaltungsprogrammes kann nicht geladen werden"_qs << false;
    QTest::newRow("Abnahme, not a library")
        << Source::Abnahme << u"garbage"_qs << 0 << true << QStringList{u"cursor on"_qs, u"cursor off"_qs}
        << u"Exportbibliothek expdaten.so des exportierenden Programmes kann nicht geladen werden"_qs << false;
    QTest::newRow("SchoCom, status 1") << Source::SchoCom << both << 1 << true << full
                                       << u"Export- Funktion meldet Fehler Nr. 1 "_qs << false;
    QTest::newRow("SchoCom, status 5") << Source::SchoCom << both << 5 << false << full
                                       << u"Export- Funktion meldet Fehler Nr. 5 Keine Datensatz ausgewählt"_qs
                                       << false;
    QTest::newRow("Abnahme, status 5 silent") << Source::Abnahme << both << 5 << false << full << QString() << false;
    QTest::newRow("Abnahme II, status 255")
        << Source::AbnahmeII << both << 255 << true << full << u"Export- Funktion meldet Fehler Nr. 255 Unbekannter Fehler"_qs
        << false;
    QTest::newRow("status 0 without export file")
        << Source::Abnahme << both << 0 << false << full
        << u"Die Exportdatei %1 kann nicht geöffnet werden. Es wurden keine Adressen übernommen."_qs << false;
}

void TestAddressImport::exportRun()
{
    QFETCH(Source, source);
    QFETCH(QString, fixture);
    QFETCH(int, status);
    QFETCH(bool, writesFile);
    QFETCH(QStringList, calls);
    QFETCH(QString, message);
    QFETCH(bool, imported);

    openStoreWithRecord();
    const QString dir = installFixture(source, fixture == u"garbage"_qs ? QString() : fixture);
    if (fixture == u"garbage"_qs)
        QVERIFY(writeFile(QDir(dir).filePath(sourceDef(source).library), "kein ELF\r\n"));
    const QString log = m_dir->filePath(u"calls.log"_qs);
    qputenv("OFENRING_FIXTURE_LOG", log.toLocal8Bit());
    qputenv("OFENRING_FIXTURE_STATUS", QByteArray::number(status));
    if (writesFile) {
        qputenv("OFENRING_FIXTURE_EXPORTNAME", sourceDef(source).exportFile.toLocal8Bit());
        qputenv("OFENRING_FIXTURE_EXPORT", kAbnahmeExport);
    }

    // The run starts from a directory of its own, so that its return there is
    // seen; the program directory is given as written in the settings.
    const QString start = m_dir->filePath(u"daten"_qs);
    QVERIFY(QDir::setCurrent(start));
    const Outcome outcome = runExport({source, dir}, *m_store, m_prompter,
                                      [&log](bool on) { appendLog(log, on ? "cursor on" : "cursor off"); });
    QCOMPARE(QDir::currentPath(), start);

    const QString exportPath = QDir::toNativeSeparators(QDir(dir).filePath(sourceDef(source).exportFile));
    QStringList expectedCalls;
    for (const QString &c : calls)
        expectedCalls << c.arg(QDir(dir).canonicalPath());
    QCOMPARE(readLog(log), expectedCalls);
    if (message.contains(u"%1"_qs))
        message = message.arg(exportPath);
    QCOMPARE(m_prompter.asked(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(outcome, imported ? Outcome::Imported : Outcome::NotImported);
    if (imported) {
        QCOMPARE(m_store->state(), StoreState::Edit);
        QCOMPARE(m_store->fieldValue(u"E_Name"_qs).toString(), u"Hans Müller"_qs);
        // Abnahme II splits postcode and town as Abnahme does.
        const bool split = source != Source::SchoCom;
        QCOMPARE(m_store->fieldValue(u"A_Ort"_qs).toString(), split ? u"Esslingen"_qs : u"73728 Esslingen"_qs);
    } else {
        QCOMPARE(m_store->state(), StoreState::Browse);
        QCOMPARE(currentAddress(), priorValues());
    }
}

void TestAddressImport::libraryMissingAtImportTime()
{
    // The library was there when the list was built and is gone when the
    // user presses OK; the directory is gone too.
    openStoreWithRecord();
    const QString start = QDir::currentPath();
    const QString dir = installFixture(Source::SchoCom, QString());
    QVERIFY(QDir(dir).removeRecursively());
    int cursorChanges = 0;
    bool waiting = false;
    QCOMPARE(runExport({Source::SchoCom, dir}, *m_store, m_prompter,
                       [&](bool on) {
                           ++cursorChanges;
                           waiting = on;
                       }),
             Outcome::NotImported);
    QCOMPARE(m_prompter.asked(),
             QStringList{u"Exportbibliothek SC_BfV.so des Bezirksverwaltungsprogrammes kann nicht geladen werden"_qs});
    QCOMPARE(QDir::currentPath(), start);
    QCOMPARE(cursorChanges, 2);
    QVERIFY(!waiting);
    QCOMPARE(m_store->state(), StoreState::Browse);
}

void TestAddressImport::fileKindFromName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("source");   // -1: the name does not tell

    QTest::newRow("AbnSch.EXP") << u"/mnt/usb/AbnSch.EXP"_qs << int(Source::SchoCom);
    QTest::newRow("other case") << u"abnsch.exp"_qs << int(Source::SchoCom);
    QTest::newRow("export.txt") << u"/home/fege/export.txt"_qs << int(Source::Abnahme);
    QTest::newRow("renamed .txt") << u"Mueller export.TXT"_qs << int(Source::Abnahme);
    QTest::newRow("unknown") << u"adressen.dat"_qs << -1;
}

void TestAddressImport::fileKindFromName()
{
    QFETCH(QString, path);
    QFETCH(int, source);
    const std::optional<Source> s = sourceFromFileName(path);
    QCOMPARE(s ? int(*s) : -1, source);
}

QTEST_GUILESS_MAIN(TestAddressImport)
#include "test_addressimport.moc"
