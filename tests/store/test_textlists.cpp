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
    void refusedFilesAreNeitherUsedNorTouched_data();
    void refusedFilesAreNeitherUsedNorTouched();
    void listInItsOwnEncodingIsReadAndWrittenSo_data();
    void listInItsOwnEncodingIsReadAndWrittenSo();

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

void TestTextLists::refusedFilesAreNeitherUsedNorTouched_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("why");
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << u"ist keine Textdatei."_qs;
    QTest::newRow("UTF-16 without byte order mark") << QByteArray("K\0\xfc\0" "c\0h\0e\0\r\0\n\0", 14)
                                                    << u"ist keine Textdatei."_qs;
    QTest::newRow("one line of 3 MB") << QByteArray(3 * 1024 * 1024, 'x')
                                      << u"ist mit 3,0 MB zu groß für eine Liste (höchstens 1 MB)."_qs;
    QTest::newRow("20000 lines") << QByteArray("Bad\r\n").repeated(20000) << u"hat mehr als 10.000 Zeilen."_qs;
    QTest::newRow("an entry of 1001 characters") << "Bad\r\n" + QByteArray(1001, 'x') + "\r\n"
                                                 << u"hat in Zeile 2 mehr als 1.000 Zeichen."_qs;
}

void TestTextLists::refusedFilesAreNeitherUsedNorTouched()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, why);
    writeBytes(u"daten/raeume.txt"_qs, bytes);
    TextLists lists;
    QVERIFY(!lists.load(TextLists::RoomNames));
    QCOMPARE(lists.refusal(TextLists::RoomNames),
             u"Die Datei daten/raeume.txt %1 Sie wird nicht als Liste verwendet und bleibt unverändert."_qs.arg(why));
    QCOMPARE(lists.choices(TextLists::RoomNames), TextLists::builtinRoomNames());
    // The dialog is not filled with something else that "OK" would write over it.
    const TextLists::ListFile forEditing = lists.editorFile(TextLists::RoomNames);
    QCOMPARE(forEditing.status, TextLists::ListFile::Refused);
    QVERIFY(forEditing.lines.isEmpty());
    QCOMPARE(readBytes(u"daten/raeume.txt"_qs), bytes);
    // A good file later is taken, and the refusal forgotten.
    writeBytes(u"daten/raeume.txt"_qs, "Halle\r\n");
    QVERIFY(lists.load(TextLists::RoomNames));
    QVERIFY(lists.refusal(TextLists::RoomNames).isEmpty());
}

void TestTextLists::listInItsOwnEncodingIsReadAndWrittenSo_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");   // with "Büro" added
    QTest::newRow("Windows-1252, plain ASCII") << QByteArray("Bad\r\n") << QByteArray("Bad\r\nB\xfcro\r\n");
    QTest::newRow("UTF-8") << QByteArray("K\xc3\xbc" "che\n") << QByteArray("K\xc3\xbc" "che\r\nB\xc3\xbcro\r\n");
    QTest::newRow("UTF-8 with byte order mark")
        << QByteArray("\xef\xbb\xbf" "Bad\r\n") << QByteArray("\xef\xbb\xbf" "Bad\r\nB\xc3\xbcro\r\n");
    QTest::newRow("UTF-16") << QByteArray("\xff\xfe" "B\0a\0d\0\r\0\n\0", 12)
                            << QByteArray("\xff\xfe" "B\0a\0d\0\r\0\n\0" "B\0\xfc\0r\0o\0\r\0\n\0", 24);
}

void TestTextLists::listInItsOwnEncodingIsReadAndWrittenSo()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    writeBytes(u"daten/feuerst.txt"_qs, before);
    TextLists lists;
    QVERIFY(lists.load(TextLists::ApplianceTypes));
    QStringList entries = lists.choices(TextLists::ApplianceTypes);
    QCOMPARE(entries.size(), 1);
    QVERIFY(entries.first() == u"Bad"_qs || entries.first() == u"Küche"_qs);
    QVERIFY(lists.save(TextLists::ApplianceTypes, entries << u"Büro"_qs, nullptr));
    QCOMPARE(readBytes(u"daten/feuerst.txt"_qs), after);
    QCOMPARE(lists.choices(TextLists::ApplianceTypes), entries);
}

QTEST_GUILESS_MAIN(TestTextLists)
#include "test_textlists.moc"
