// ofenring-cli protokoll: PDF protocols of stored records without a window.

#include "protocolfixtures.h"
#include "recordstore.h"
#include "smallfilesystem.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

// Stores the records in <dir>/daten and returns their keys.
QList<int> seed(const QString &dir, const QList<Record> &records)
{
    RecordStore store;
    store.setConfirmChanges(false);
    store.open(QDir(dir).filePath(u"daten"_qs));
    QList<int> keys;
    for (const Record &r : records) {
        store.insert();
        for (int i = 0; i < r.schema().count(); ++i)
            if (r.schema().field(i).name != u"Lfd"_qs && !r.isNull(i))
                store.setFieldValue(r.schema().field(i).name, r.value(i));
        store.post();
        keys << store.currentKey();
    }
    store.close();
    return keys;
}

QString pdfText(const QString &file)
{
    QProcess p;
    p.start(u"pdftotext"_qs, {file, u"-"_qs});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestCliProtocol : public QObject {
    Q_OBJECT

private slots:
    void init();
    void oneRecord();
    void everyRecordIntoAFolder();
    void sketchModuleFoundAsTheProgramFindsIt();
    void refusals_data();
    void refusals();
    void fullDiskIsSaidInGerman();
    void outputThatCannotBeWrittenEndsWithStatus3();
    void settingsFileThatIsAPipeDoesNotStall();

private:
    Run cli(const QStringList &args, const QString &output = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QList<int> m_keys;
};

void TestCliProtocol::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    Record uncalculated = fixtures::interconnection();
    uncalculated.setBoolean(u"Gerechnet"_qs, false);
    m_keys = seed(m_dir->path(), {fixtures::interconnection(), fixtures::installationRoom(), uncalculated});
    // The letterhead comes from the settings file, as in the program.
    QDir(m_dir->path()).mkpath(u"config/Ofenring"_qs);
    QFile ini(m_dir->filePath(u"config/Ofenring/KQ2.ini"_qs));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[BKM]\nkz3=Tel. 0711 999888\nadressedrucken=0\n");
}

Run TestCliProtocol::cli(const QStringList &args, const QString &output)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_qs, m_dir->filePath(u"config"_qs));
    env.remove(u"QT_QPA_PLATFORM"_qs);
    // As from cron: Qt would note the missing runtime folder on standard error.
    env.remove(u"XDG_RUNTIME_DIR"_qs);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir->path());
    if (!output.isEmpty())
        p.setStandardOutputFile(output);
    p.start(QStringLiteral(OFENRING_CLI), QStringList{u"protokoll"_qs} + args);
    if (!p.waitForFinished(60000))
        qFatal("ofenring-cli did not finish");
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void TestCliProtocol::oneRecord()
{
    const QString file = m_dir->filePath(u"lv.pdf"_qs);
    const Run r = cli({u"--lfd"_qs, QString::number(m_keys[0]), u"--pdf"_qs, file});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(r.out, file + u'\n');
    QCOMPARE(r.err, QString());
    const QString text = pdfText(file);
    QVERIFY(text.contains(u"Berechnung des Ofenringes für Feuerstätten"_qs));
    QVERIFY(text.contains(u"Tel. 0711 999888"_qs));   // header line 3 from the settings file
    // The address switch is off: the owner appears in the owner column only.
    QCOMPARE(text.count(u"c/o Hausverwaltung Ost"_qs), 1);

    // Another data directory, given by name.
    const QString other = m_dir->filePath(u"anderswo"_qs);
    QVERIFY(QDir().rename(m_dir->filePath(u"daten"_qs), other));
    const QString second = m_dir->filePath(u"ar.pdf"_qs);
    const Run r2 = cli({u"--daten"_qs, other, u"--lfd"_qs, QString::number(m_keys[1]), u"--pdf"_qs, second});
    QVERIFY2(r2.exitCode == 0, qPrintable(r2.err));
    QVERIFY(pdfText(second).contains(u"Berechnung der Verbrennungsluftversorgung für Feuerstätten"_qs));
}

void TestCliProtocol::everyRecordIntoAFolder()
{
    const QString folder = m_dir->filePath(u"pdf/neu"_qs);
    const Run r = cli({u"--alle"_qs, u"--ordner"_qs, folder});
    // The uncalculated interconnection record is left out, and said so.
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(u"Datensatz %1: Die Daten wurden noch nicht berechnet, klicken Sie erst auf \"Berechnen\"!"_qs
                                .arg(m_keys[2])),
             qPrintable(r.err));
    QStringList expected;
    for (int key : {m_keys[0], m_keys[1]})
        expected << u"protokoll-%1.pdf"_qs.arg(key);
    QCOMPARE(QDir(folder).entryList({u"*.pdf"_qs}, QDir::Files, QDir::Name), expected);
    QVERIFY(pdfText(QDir(folder).filePath(expected[1])).contains(u"Verbrennungsluftversorgung:"_qs));
}

void TestCliProtocol::sketchModuleFoundAsTheProgramFindsIt()
{
    auto sketchPictures = [](const QString &file) {
        QProcess p;
        p.start(u"pdfimages"_qs, {u"-list"_qs, file});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).count(QRegularExpression(u"\\s1208\\s+808\\s"_qs));
    };
    // Without a registered drawing program: the module beside the companion
    // draws the sketch box.
    const QString file = m_dir->filePath(u"skizze.pdf"_qs);
    const Run r = cli({u"--lfd"_qs, QString::number(m_keys[0]), u"--pdf"_qs, file});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(sketchPictures(file), 1);

    // A registered directory without a module: said once, and the box stays empty.
    QFile ini(m_dir->filePath(u"config/Ofenring/KQ2.ini"_qs));
    QVERIFY(ini.open(QIODevice::Append));
    ini.write("[App Paths]\nGrundbild.exe=/gibt/es/nicht\n");
    ini.close();
    const Run none = cli({u"--lfd"_qs, QString::number(m_keys[0]), u"--pdf"_qs, file});
    QCOMPARE(none.exitCode, 0);
    QVERIFY2(none.err.contains(u"Kein Zeichnungsmodul installiert."_qs), qPrintable(none.err));
    QCOMPARE(sketchPictures(file), 0);
}

void TestCliProtocol::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("unberechnet") << QStringList{u"--lfd"_qs, u"3"_qs, u"--pdf"_qs, u"x.pdf"_qs} << 1
                                 << u"Die Daten wurden noch nicht berechnet"_qs;
    QTest::newRow("fehlender Datensatz") << QStringList{u"--lfd"_qs, u"99"_qs, u"--pdf"_qs, u"x.pdf"_qs} << 1
                                         << u"Den Datensatz 99 gibt es nicht."_qs;
    QTest::newRow("keine Tabelle") << QStringList{u"--daten"_qs, u"leer"_qs, u"--lfd"_qs, u"1"_qs, u"--pdf"_qs, u"x.pdf"_qs}
                                   << 1 << u"kq.db gibt es nicht."_qs;
    QTest::newRow("ohne Datei") << QStringList{u"--lfd"_qs, u"1"_qs} << 2 << u"--pdf DATEI"_qs;
    QTest::newRow("beides") << QStringList{u"--lfd"_qs, u"1"_qs, u"--alle"_qs, u"--ordner"_qs, u"o"_qs} << 2
                            << u"Entweder"_qs;
    QTest::newRow("keine Zahl") << QStringList{u"--lfd"_qs, u"eins"_qs, u"--pdf"_qs, u"x.pdf"_qs} << 2
                                << u"\"eins\" ist keine gültige laufende Nummer."_qs;
    QTest::newRow("unbekannt") << QStringList{u"--farbe"_qs} << 2 << u"Unbekannte Option \"--farbe\"."_qs;
    QTest::newRow("Verzeichnis fehlt") << QStringList{u"--lfd"_qs, u"1"_qs, u"--pdf"_qs, u"gibt/es/nicht.pdf"_qs} << 1
                                       << u"Die Datei gibt/es/nicht.pdf kann nicht geschrieben werden: Der Ordner fehlt."_qs;
    QTest::newRow("ein Ordner") << QStringList{u"--lfd"_qs, u"1"_qs, u"--pdf"_qs, u"daten"_qs} << 1
                                << u"Die Datei daten kann nicht geschrieben werden: An dieser Stelle steht ein Ordner."_qs;
    QTest::newRow("Datei statt Ordner") << QStringList{u"--alle"_qs, u"--ordner"_qs, u"daten/kq.db/pdf"_qs} << 1
                                        << u"Das Verzeichnis daten/kq.db/pdf kann nicht angelegt werden: Ein Teil des Pfades ist "
                                           "kein Ordner."_qs;
}

void TestCliProtocol::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const Run r = cli(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(m_dir->filePath(u"x.pdf"_qs)));
}

void TestCliProtocol::fullDiskIsSaidInGerman()
{
    const QString folder = m_dir->filePath(u"voll"_qs);
    SmallFileSystem disk(folder, u"size=256k"_qs);
    if (!disk.mounted())
        QSKIP(SmallFileSystem::skipReason());
    disk.fill();
    const QString file = QDir(folder).filePath(u"protokoll.pdf"_qs);
    const Run r = cli({u"--lfd"_qs, QString::number(m_keys[0]), u"--pdf"_qs, file});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, u"ofenring-cli protokoll: Die Datei %1 kann nicht geschrieben werden: Der Datenträger ist voll.\n"_qs.arg(file));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"fueller"_qs});
}

// Like the other subcommands: output that does not arrive is an error.
void TestCliProtocol::outputThatCannotBeWrittenEndsWithStatus3()
{
    if (!QFile::exists(u"/dev/full"_qs))
        QSKIP("this system has no /dev/full to play a full disk");
    const QString file = m_dir->filePath(u"lv.pdf"_qs);
    const Run r = cli({u"--lfd"_qs, QString::number(m_keys[0]), u"--pdf"_qs, file}, u"/dev/full"_qs);
    QCOMPARE(r.exitCode, 3);
    QCOMPARE(r.err, u"Die Ausgabe kann nicht geschrieben werden: Der Datenträger ist voll.\n"_qs);
    QVERIFY(QFileInfo(file).size() > 0);
}

// A pipe in place of KQ2.ini is passed over with one warning: the protocol
// comes with the default letterhead instead of waiting for a writer.
void TestCliProtocol::settingsFileThatIsAPipeDoesNotStall()
{
    const QString ini = m_dir->filePath(u"config/Ofenring/KQ2.ini"_qs);
    QVERIFY(QFile::remove(ini));
    QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0600), 0);
    const QString file = m_dir->filePath(u"lv.pdf"_qs);
    const Run r = cli({u"--lfd"_qs, QString::number(m_keys[0]), u"--pdf"_qs, file});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, u"ofenring-cli: Die Einstellungsdatei \"%1\" wird nicht gelesen: Sie ist keine gewöhnliche Datei "
                    "(sondern etwa eine Pipe oder ein Gerät). Es gelten die Voreinstellungen; die Datei wird nicht "
                    "überschrieben.\n"_qs.arg(ini));
    QVERIFY(!pdfText(file).contains(u"Tel. 0711 999888"_qs));
}

QTEST_MAIN(TestCliProtocol)
#include "test_cli_protocol.moc"
