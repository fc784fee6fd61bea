#include "apppaths.h"
#include "printsettings.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

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
    void writeFailures();
    void unreadableFileIsNotReplaced();
    void headerLine1IsTheAccountName();
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

void TestSettings::writeFailures()
{
    // A directory stands where the file should go.
    QVERIFY(QDir().mkpath(m_ini));
    ScriptedPrompter prompter;
    QVERIFY(!settings::savePrintSettings(PrintSettings(), &prompter));
    QCOMPARE(prompter.asked(), QStringList{u"nach %1 kann nicht geschrieben werden"_qs.arg(m_ini)});
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
    QCOMPARE(prompter.asked(), QStringList{u"nach %1 kann nicht geschrieben werden"_qs.arg(m_ini)});
    settings::saveDefaultRoomHeight(2.7);
    QVERIFY(QFile::setPermissions(m_ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(readText(m_ini), content);
}

void TestSettings::headerLine1IsTheAccountName()
{
    const QString name = settings::accountFullName();
    QVERIFY(!name.isEmpty());
    QVERIFY(!name.contains(u','));
    QCOMPARE(settings::loadPrintSettings().headerLine1, name);
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
