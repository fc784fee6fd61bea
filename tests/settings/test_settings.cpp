#include "apppaths.h"
#include "printsettings.h"
#include "programsettings.h"
#include "settingsfile.h"
#include "smallfilesystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeText(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fileLivesInTheUsersConfigDirectory();
    void withoutAFileTheDefaultsHold();
    void valuesAreRead_data();
    void valuesAreRead();
    void headerLinesAreWrittenKeepingOtherLines();
    void roomHeightIsWrittenBack();
    void fileKeepsItsOwnForm_data();
    void fileKeepsItsOwnForm();
    void unchangedValuesLeaveTheFileUntouched();
    void writeFailures();
    void unreadableFileIsNotReplaced();
    void onlyAPlainFileIsRead_data();
    void onlyAPlainFileIsRead();
    void fullDiskIsSaidInGerman();
    void headerLine1IsTheAccountName();
    void headerLine1IsTheOfficesNameOnceGiven();
    void applicationPathsStandInForTheRegistry();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ini;
};

void TestSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The user's own configuration is never touched.
    qputenv("HOME", m_dir->path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(u"config"_qs).toLocal8Bit());
    m_ini = m_dir->filePath(u"config/Ofenring/KQ2.ini"_qs);
}

void TestSettings::cleanup()
{
    m_dir.reset();
}

void TestSettings::fileLivesInTheUsersConfigDirectory()
{
    QCOMPARE(settings::settingsFilePath(), m_ini);
}

void TestSettings::withoutAFileTheDefaultsHold()
{
    const PrintSettings s = settings::loadPrintSettings();
    QVERIFY(s.printAddress);
    QVERIFY(s.printLogo);
    QVERIFY(s.headerLine2.isEmpty());
    QVERIFY(s.headerLine3.isEmpty());
    QCOMPARE(s.senderLine(), s.headerLine1);
    QCOMPARE(settings::loadDefaultRoomHeight(), 2.7);
    QVERIFY(!QFile::exists(m_ini));  // reading creates nothing
}

void TestSettings::valuesAreRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("address");
    QTest::addColumn<bool>("logo");
    QTest::addColumn<QString>("line2");
    QTest::addColumn<double>("height");

    QTest::newRow("sections and keys in any case")
        << QByteArray("[BKM]\r\nKZ2=, Bezirksschornsteinfeger\r\nAdresseDrucken=0\r\n[vkq]\r\nHOEHE=2,5\r\n")
        << false << true << u", Bezirksschornsteinfeger"_qs << 2.5;
    QTest::newRow("switch text gives the default")
        << QByteArray("[bkm]\nadressedrucken=ja\nlogodrucken=\n") << true << true << QString() << 2.7;
    QTest::newRow("any whole number but 0 is on")
        << QByteArray("[bkm]\nadressedrucken=7\nlogodrucken= 0 \n") << true << false << QString() << 2.7;
    QTest::newRow("height with full stop is not a number")
        << QByteArray("[VKQ]\nhoehe=2.8\n") << true << true << QString() << 2.7;
    QTest::newRow("height with many digits") << QByteArray("[VKQ]\nhoehe=2,123456789012345\n") << true << true
                                             << QString() << 2.123456789012345;
    // A height that no room has is not offered for every room.
    for (const char *implausible : {"-5", "0", "1e308", "100,001", "-0"})
        QTest::addRow("height %s is no room height", implausible)
            << "[VKQ]\nhoehe=" + QByteArray(implausible) + '\n' << true << true << QString() << 2.7;
    QTest::newRow("height 100 m is the highest taken") << QByteArray("[VKQ]\nhoehe=100\n") << true << true
                                                       << QString() << 100.0;
    QTest::newRow("key in another section does not count")
        << QByteArray("[andere]\nkz2=fremd\nhoehe=3\n[bkm]\n") << true << true << QString() << 2.7;
    QTest::newRow("text kept as it stands, Windows-1252 file")
        << QByteArray("[bkm]\nkz2= Stra\xdf" "e 1 \n") << true << true << u" Straße 1 "_qs << 2.7;
}

void TestSettings::valuesAreRead()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, address);
    QFETCH(bool, logo);
    QFETCH(QString, line2);
    QFETCH(double, height);
    writeText(m_ini, file);
    const PrintSettings s = settings::loadPrintSettings();
    QCOMPARE(s.printAddress, address);
    QCOMPARE(s.printLogo, logo);
    QCOMPARE(s.headerLine2, line2);
    QCOMPARE(settings::loadDefaultRoomHeight(), height);
}

void TestSettings::headerLinesAreWrittenKeepingOtherLines()
{
    writeText(m_ini, "; Ofenring\n[Fenster]\nbreite=800\n\n[bkm]\nKZ2=alt\nanderes=bleibt\n\n[VKQ]\nHoehe=2,5\n");
    PrintSettings s;
    s.headerLine2 = u", Meisterbetrieb"_qs;
    s.headerLine3 = u"Tel. 0711 123"_qs;
    s.printAddress = false;
    s.printLogo = true;
    ScriptedPrompter prompter;
    QVERIFY(settings::savePrintSettings(s, &prompter));
    QVERIFY(prompter.asked().isEmpty());
    QCOMPARE(readText(m_ini), QByteArray("; Ofenring\n[Fenster]\nbreite=800\n\n[bkm]\nkz2=, Meisterbetrieb\nanderes=bleibt\n"
                                         "kz3=Tel. 0711 123\nadressedrucken=0\nlogodrucken=1\n\n[VKQ]\nHoehe=2,5\n"));
    const PrintSettings back = settings::loadPrintSettings();
    QCOMPARE(back.headerLine2, s.headerLine2);
    QCOMPARE(back.headerLine3, s.headerLine3);
    QCOMPARE(back.printAddress, false);
    QCOMPARE(back.printLogo, true);
    QCOMPARE(back.senderLine(), back.headerLine1 + u", Meisterbetrieb"_qs);

    // A pasted line break stays inside the value instead of starting lines
    // that would be read as another section and key.
    s.headerLine3 = u"Tel. 0711 123\r\n[VKQ]\nhoehe=9"_qs;
    QVERIFY(settings::savePrintSettings(s, &prompter));
    QCOMPARE(settings::loadPrintSettings().headerLine3, u"Tel. 0711 123 [VKQ] hoehe=9"_qs);
    QCOMPARE(settings::loadDefaultRoomHeight(), 2.5);
}

void TestSettings::roomHeightIsWrittenBack()
{
    // No file: the end of the program writes the height read at start.
    settings::saveDefaultRoomHeight(settings::loadDefaultRoomHeight());
    QCOMPARE(readText(m_ini), QByteArray("[VKQ]\nHoehe=2,7\n"));
    // An existing key in another spelling is replaced, not repeated.
    writeText(m_ini, "[BKM]\nkz2=x\n[vkq]\nhoehe=2,5\n");
    settings::saveDefaultRoomHeight(1.0 / 3.0);
    QCOMPARE(readText(m_ini), QByteArray("[BKM]\nkz2=x\n[vkq]\nHoehe=0,333333333333333\n"));
    QCOMPARE(settings::loadDefaultRoomHeight(), 0.333333333333333);
}

void TestSettings::fileKeepsItsOwnForm_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("line2");   // header lines read from the file...
    QTest::addColumn<QString>("line3");
    QTest::addColumn<QString>("newLine3");  // ...header line 3 as the dialog then saves it
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("Windows-1252 with CR LF stays so")
        << QByteArray("[BKM]\r\nkz2=, Stra\xdf" "e 1\r\nkz3=alt\r\n[VKQ]\r\nHoehe=2,5\r\n")
        << u", Straße 1"_qs << u"alt"_qs << u"Tel. Bäcker €"_qs
        << QByteArray("[BKM]\r\nkz2=, Stra\xdf" "e 1\r\nkz3=Tel. B\xe4" "cker \x80\r\nadressedrucken=1\r\n"
                      "logodrucken=1\r\n[VKQ]\r\nHoehe=2,5\r\n");
    // Written partly by an older program, partly as UTF-8: each line reads
    // right, and no "ä" turns into "Ã¤".
    QTest::newRow("Windows-1252 and UTF-8 mixed")
        << QByteArray("[BKM]\r\nkz2=, M\xfcller\r\nkz3=Tel. B\xc3\xa4" "cker\r\n")
        << u", Müller"_qs << u"Tel. Bäcker"_qs << u"Tel. Bäcker"_qs
        << QByteArray("[BKM]\r\nkz2=, M\xfcller\r\nkz3=Tel. B\xc3\xa4" "cker\r\nadressedrucken=1\r\n"
                      "logodrucken=1\r\n");
    QTest::newRow("a character Windows-1252 lacks makes its line UTF-8")
        << QByteArray("[BKM]\r\nkz2=, M\xfcller\r\n") << u", Müller"_qs << QString() << u"Łódź"_qs
        << QByteArray("[BKM]\r\nkz2=, M\xfcller\r\nkz3=\xc5\x81\xc3\xb3" "d\xc5\xba\r\nadressedrucken=1\r\n"
                      "logodrucken=1\r\n");
    QTest::newRow("UTF-8 with byte order mark and LF, no line end at the end")
        << QByteArray("\xef\xbb\xbf[bkm]\nkz2=, M\xc3\xbcller\nlogodrucken=1") << u", Müller"_qs << QString()
        << u"Bäcker"_qs
        << QByteArray("\xef\xbb\xbf[bkm]\nkz2=, M\xc3\xbcller\nlogodrucken=1\nkz3=B\xc3\xa4" "cker\nadressedrucken=1");
    QTest::newRow("UTF-16 with byte order mark")
        << QByteArray("\xff\xfe[\0b\0k\0m\0]\0\r\0\n\0k\0z\0\x32\0=\0\xfc\0\r\0\n\0", 30) << u"ü"_qs << QString()
        << u"ä"_qs
        << QByteArray("\xff\xfe[\0b\0k\0m\0]\0\r\0\n\0k\0z\0\x32\0=\0\xfc\0\r\0\n\0k\0z\0\x33\0=\0\xe4\0\r\0\n\0"
                      "a\0d\0r\0e\0s\0s\0e\0d\0r\0u\0c\0k\0e\0n\0=\0\x31\0\r\0\n\0"
                      "l\0o\0g\0o\0d\0r\0u\0c\0k\0e\0n\0=\0\x31\0\r\0\n\0", 110);
}

void TestSettings::fileKeepsItsOwnForm()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, line2);
    QFETCH(QString, line3);
    QFETCH(QString, newLine3);
    QFETCH(QByteArray, after);
    writeText(m_ini, before);
    PrintSettings s = settings::loadPrintSettings();
    QCOMPARE(s.headerLine2, line2);
    QCOMPARE(s.headerLine3, line3);

    s.headerLine3 = newLine3;
    QVERIFY(settings::savePrintSettings(s, nullptr));
    QCOMPARE(readText(m_ini), after);
    const PrintSettings back = settings::loadPrintSettings();
    QCOMPARE(back.headerLine2, line2);
    QCOMPARE(back.headerLine3, newLine3);
}

void TestSettings::unchangedValuesLeaveTheFileUntouched()
{
    const QByteArray content("[BKM]\r\nkz2=, M\xfcller\r\nkz3=\r\nadressedrucken=1\r\nlogodrucken=0\r\n"
                             "[VKQ]\r\nhoehe=2,70\r\n");
    writeText(m_ini, content);
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    {
        QFile f(m_ini);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
    }

    // The dialog confirmed without a change, and the end of the program.
    QVERIFY(settings::savePrintSettings(settings::loadPrintSettings(), nullptr));
    settings::saveDefaultRoomHeight(settings::loadDefaultRoomHeight());
    QCOMPARE(QFileInfo(m_ini).lastModified().toUTC(), old);
    QCOMPARE(readText(m_ini), content);
}

void TestSettings::writeFailures()
{
    // A directory stands where the file should go.
    QVERIFY(QDir().mkpath(m_ini));
    ScriptedPrompter prompter;
    QVERIFY(!settings::savePrintSettings(PrintSettings(), &prompter));
    QCOMPARE(prompter.asked(), QStringList{u"nach %1 kann nicht geschrieben werden. An dieser Stelle steht ein Ordner."_qs.arg(m_ini)});
    // At the end of the program the failure goes unnoticed.
    settings::saveDefaultRoomHeight(2.7);
    QVERIFY(QFileInfo(m_ini).isDir());
}

void TestSettings::unreadableFileIsNotReplaced()
{
    const QByteArray content("[Fenster]\nbreite=800\n[BKM]\nkz2=, Meisterbetrieb\n");
    writeText(m_ini, content);
    QVERIFY(QFile::setPermissions(m_ini, QFileDevice::WriteOwner));
    if (QFile(m_ini).open(QIODevice::ReadOnly))
        QSKIP("this account reads files without read permission");
    ScriptedPrompter prompter;
    QVERIFY(!settings::savePrintSettings(PrintSettings(), &prompter));
    QCOMPARE(prompter.asked(), QStringList{u"nach %1 kann nicht geschrieben werden. Keine Leseberechtigung. "
                                           "Die vorhandene Datei wird nicht überschrieben."_qs.arg(m_ini)});
    settings::saveDefaultRoomHeight(2.7);
    QVERIFY(QFile::setPermissions(m_ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(readText(m_ini), content);
}

void TestSettings::onlyAPlainFileIsRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("pipe") << u"fifo"_qs << u"Sie ist keine gewöhnliche Datei (sondern etwa eine Pipe oder ein Gerät)."_qs;
    QTest::newRow("link to /dev/zero") << u"zero"_qs << u"Sie ist keine gewöhnliche Datei (sondern etwa eine Pipe oder ein Gerät)."_qs;
    QTest::newRow("larger than 1 MB") << u"big"_qs << u"Sie ist größer als 1 MB und damit keine Einstellungsdatei."_qs;
}

// Whatever stands under the settings file's name but a plain file of sane
// size is taken for a missing file: no stall, the defaults, one warning, and
// it is never written over.
void TestSettings::onlyAPlainFileIsRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(QFileInfo(m_ini).absolutePath()));
    const QByteArray big = "[BKM]\nkz2=, Meisterbetrieb\n" + QByteArray(SettingsFile::kMaxBytes, ';');
    if (kind == u"fifo"_qs)
        QCOMPARE(::mkfifo(QFile::encodeName(m_ini).constData(), 0600), 0);
    else if (kind == u"zero"_qs)
        QVERIFY(QFile::link(u"/dev/zero"_qs, m_ini));
    else
        writeText(m_ini, big);

    QStringList warnings;
    SettingsFile::setWarningHandler([&warnings](const QString &text) { warnings << text; });
    const PrintSettings s = settings::loadPrintSettings();
    QCOMPARE(s.headerLine2, QString());
    QVERIFY(s.printAddress);
    QCOMPARE(settings::loadDefaultRoomHeight(), settings::kDefaultRoomHeight);
    QCOMPARE(warnings, QStringList{u"Die Einstellungsdatei \"%1\" wird nicht gelesen: %2 Es gelten die Voreinstellungen; "
                                   "die Datei wird nicht überschrieben."_qs.arg(m_ini, reason)});

    ScriptedPrompter prompter;
    QVERIFY(!settings::savePrintSettings(PrintSettings(), &prompter));
    QCOMPARE(prompter.asked(), QStringList{u"nach %1 kann nicht geschrieben werden. %2 Die vorhandene Datei wird nicht überschrieben."_qs
                                               .arg(m_ini, reason)});
    settings::saveDefaultRoomHeight(3.1);
    SettingsFile::setWarningHandler({});
    const QFileInfo after(m_ini);
    if (kind == u"fifo"_qs) {
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(m_ini).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    } else if (kind == u"zero"_qs) {
        QCOMPARE(after.symLinkTarget(), u"/dev/zero"_qs);
    } else {
        QCOMPARE(readText(m_ini), big);
    }
    QCOMPARE(warnings.size(), 1);
}

// A full medium is said in German, from the error number; the old file stays whole.
void TestSettings::fullDiskIsSaidInGerman()
{
    const QString folder = QFileInfo(m_ini).absolutePath();
    SmallFileSystem disk(folder, u"size=64k"_qs);
    if (!disk.mounted())
        QSKIP(SmallFileSystem::skipReason());
    const QByteArray before = "[BKM]\nkz2=alt\n";
    writeText(m_ini, before);
    disk.fill();
    PrintSettings s;
    s.headerLine2 = QString(20000, u'x');
    ScriptedPrompter prompter;
    QVERIFY(!settings::savePrintSettings(s, &prompter));
    QCOMPARE(prompter.asked(), QStringList{u"nach %1 kann nicht geschrieben werden. Der Datenträger ist voll."_qs.arg(m_ini)});
    QCOMPARE(readText(m_ini), before);
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase), (QStringList{u"fueller"_qs, u"KQ2.ini"_qs}));
}

void TestSettings::headerLine1IsTheAccountName()
{
    const QString name = settings::accountFullName();
    QVERIFY(!name.isEmpty());
    QVERIFY(!name.contains(u','));
    QCOMPARE(settings::loadPrintSettings().headerLine1, name);
}

void TestSettings::headerLine1IsTheOfficesNameOnceGiven()
{
    const QString own = m_dir->filePath(u"config/Ofenring/fenster.ini"_qs);
    QCOMPARE(settings::programSettingsFilePath(), own);
    writeText(own, "[Fenster]\nbreite=800\n");
    QCOMPARE(settings::officeName(), QString());
    QVERIFY(settings::saveOfficeName(u"  Kaminkehrer Berg "_qs, nullptr));
    QCOMPARE(readText(own), QByteArray("[Fenster]\nbreite=800\n\n[Betrieb]\nName=Kaminkehrer Berg\n"));
    QCOMPARE(settings::officeName(), u"Kaminkehrer Berg"_qs);
    const PrintSettings s = settings::loadPrintSettings();
    QCOMPARE(s.headerLine1, u"Kaminkehrer Berg"_qs);
    QCOMPARE(s.senderLine(), u"Kaminkehrer Berg"_qs);
    // Never a key of KQ2.ini, whatever is saved there.
    QVERIFY(settings::savePrintSettings(s, nullptr));
    QVERIFY(!readText(m_ini).contains("Berg"));
    // The file beside another KQ2.ini is that one's own.
    const QString other = m_dir->filePath(u"anders/KQ2.ini"_qs);
    QCOMPARE(settings::loadPrintSettings(other).headerLine1, settings::accountFullName());
    QVERIFY(settings::saveOfficeName(u"Anderer Betrieb"_qs, nullptr, m_dir->filePath(u"anders/fenster.ini"_qs)));
    QCOMPARE(settings::loadPrintSettings(other).headerLine1, u"Anderer Betrieb"_qs);
}

void TestSettings::applicationPathsStandInForTheRegistry()
{
    QCOMPARE(settings::applicationPath(u"Grundbild.exe"_qs, m_ini), QString());
    writeText(m_ini, "[BKM]\r\nkz2=x\r\n[app paths]\r\nGRUNDBILD.EXE=/opt/grundbild\r\nabnahmeII.exe=/opt/abn 2\r\n");
    QCOMPARE(settings::applicationPath(u"Grundbild.exe"_qs, m_ini), u"/opt/grundbild"_qs);
    QCOMPARE(settings::applicationPath(u"abnahmeII.exe"_qs, m_ini), u"/opt/abn 2"_qs);
    QCOMPARE(settings::applicationPath(u"abnahme.exe"_qs, m_ini), QString());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
