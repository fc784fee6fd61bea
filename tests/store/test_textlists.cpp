#include "textlists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestTextLists : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void withoutFilesTheBuiltInContentsStay();
    void readingTakesLinesAsTheyStand_data();
    void readingTakesLinesAsTheyStand();
    void savingWritesWindows1252WithCrLf();
    void aMissingFileKeepsTheLastContents();
    void writeFailureIsReported();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
};

void TestTextLists::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
}

void TestTextLists::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TestTextLists::withoutFilesTheBuiltInContentsStay()
{
    TextLists lists;
    QVERIFY(!lists.load(TextLists::RoomNames));
    QVERIFY(!lists.load(TextLists::ApplianceTypes));
    const QStringList rooms = lists.choices(TextLists::RoomNames);
    QCOMPARE(rooms.size(), 18);
    QCOMPARE(rooms.first(), u"Abstellkammer"_qs);
    QCOMPARE(rooms[5], u"Eßzimmer"_qs);
    QCOMPARE(rooms[7], u"Gäste- WC"_qs);
    QCOMPARE(rooms.last(), u"Wohnzimmer"_qs);
    QVERIFY(lists.choices(TextLists::ApplianceTypes).isEmpty());
    // The dialog starts from the current choices; "OK" creates the file with them.
    QCOMPARE(lists.editorLines(TextLists::RoomNames), rooms);
    QVERIFY(lists.editorLines(TextLists::ApplianceTypes).isEmpty());
    QVERIFY(lists.save(TextLists::RoomNames, lists.editorLines(TextLists::RoomNames), nullptr));
    QVERIFY(QFile::exists(u"daten/raeume.txt"_qs));
    QVERIFY(lists.load(TextLists::RoomNames));
    QCOMPARE(lists.choices(TextLists::RoomNames), rooms);
}

void TestTextLists::readingTakesLinesAsTheyStand_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("CR LF") << QByteArray("Bad\r\nFlur\r\n") << QStringList{u"Bad"_qs, u"Flur"_qs};
    QTest::newRow("lone LF") << QByteArray("Bad\nFlur\n") << QStringList{u"Bad"_qs, u"Flur"_qs};
    QTest::newRow("lone CR") << QByteArray("Bad\rFlur") << QStringList{u"Bad"_qs, u"Flur"_qs};
    QTest::newRow("empty line is an entry") << QByteArray("Bad\r\n\r\nFlur\r\n")
                                            << QStringList{u"Bad"_qs, QString(), u"Flur"_qs};
    QTest::newRow("no trimming, duplicates kept") << QByteArray(" Bad \r\nBad\r\n")
                                                  << QStringList{u" Bad "_qs, u"Bad"_qs};
    QTest::newRow("Windows-1252") << QByteArray("K\xfc" "che\r\nG\xe4ste- WC\r\n\x80-Raum\r\n")
                                  << QStringList{u"Küche"_qs, u"Gäste- WC"_qs, u"€-Raum"_qs};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestTextLists::readingTakesLinesAsTheyStand()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    writeBytes(u"daten/feuerst.txt"_qs, bytes);
    TextLists lists;
    QVERIFY(lists.load(TextLists::ApplianceTypes));
    QCOMPARE(lists.choices(TextLists::ApplianceTypes), entries);
    QCOMPARE(lists.editorLines(TextLists::ApplianceTypes), entries);
}

void TestTextLists::savingWritesWindows1252WithCrLf()
{
    TextLists lists;
    const QStringList lines{u"Küche"_qs, QString(), u"Gas – Therme"_qs, u"Ofen ✓"_qs};
    QVERIFY(lists.save(TextLists::ApplianceTypes, lines, nullptr));
    QCOMPARE(readBytes(u"daten/feuerst.txt"_qs), QByteArray("K\xfc" "che\r\n\r\nGas \x96 Therme\r\nOfen ?\r\n"));
    // The choices are those read back from the file.
    QCOMPARE(lists.choices(TextLists::ApplianceTypes),
             (QStringList{u"Küche"_qs, QString(), u"Gas – Therme"_qs, u"Ofen ?"_qs}));
    // Text from the editor: a final line break starts no further entry.
    QCOMPARE(TextLists::splitLines(u"Bad\nFlur\n"_qs), (QStringList{u"Bad"_qs, u"Flur"_qs}));
}

void TestTextLists::aMissingFileKeepsTheLastContents()
{
    writeBytes(u"daten/raeume.txt"_qs, "Halle\r\nSauna\r\n");
    TextLists lists;
    QVERIFY(lists.load(TextLists::RoomNames));
    QVERIFY(QFile::remove(u"daten/raeume.txt"_qs));
    QVERIFY(!lists.load(TextLists::RoomNames));
    QCOMPARE(lists.choices(TextLists::RoomNames), (QStringList{u"Halle"_qs, u"Sauna"_qs}));
}

void TestTextLists::writeFailureIsReported()
{
    // A directory stands where the file should go.
    QVERIFY(QDir().mkpath(u"daten/raeume.txt"_qs));
    ScriptedPrompter prompter;
    TextLists lists;
    QVERIFY(!lists.save(TextLists::RoomNames, {u"Halle"_qs}, &prompter));
    QCOMPARE(prompter.asked(), QStringList{u"Datei daten/raeume.txt kann nicht erstellt werden"_qs});
    QCOMPARE(lists.choices(TextLists::RoomNames), TextLists::builtinRoomNames());
}

QTEST_GUILESS_MAIN(TestTextLists)
#include "test_textlists.moc"
