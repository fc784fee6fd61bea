#include "catalogstore.h"
#include "codepage.h"
#include "fieldcaptions.h"
#include "memofile.h"
#include "paradoxtable.h"
#include "recordschema.h"
#include "windows1252.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

constexpr int kLeader = 4;

// A memo field of a record: leader, then block offset | entry, length, modification number.
QByteArray field(const QByteArray &leader, quint32 pointer, quint32 length)
{
    QByteArray f = leader.leftJustified(kLeader, '\0', true);
    char p[10] = {};
    qToLittleEndian<quint32>(pointer, p);
    qToLittleEndian<quint32>(length, p + 4);
    qToLittleEndian<quint16>(1, p + 8);
    return f + QByteArray(p, 10);
}

// A memo file made by hand, block by block: a header block, then a block of
// kind 2 (one memo) at 4096 and a block of kind 3 (shared) at 8192.
struct MemoFixture {
    QByteArray bytes = QByteArray(3 * 4096, '\0');

    MemoFixture()
    {
        bytes[1] = 1;
        // Kind 2: one memo of 5000 bytes over two blocks.
        const QByteArray big(5000, 'x');
        bytes.resize(4096 + 2 * 4096 + 4096);
        uchar *b = reinterpret_cast<uchar *>(bytes.data()) + 4096;
        b[0] = 2;
        qToLittleEndian<quint16>(2, b + 1);
        qToLittleEndian<quint32>(quint32(big.size()), b + 3);
        memcpy(b + 9, big.constData(), size_t(big.size()));
        // Kind 3 at 12288: entry 0 holds "Hallo Welt" (10 bytes), entry 5 holds 32 bytes.
        uchar *s = reinterpret_cast<uchar *>(bytes.data()) + 12288;
        s[0] = 3;
        qToLittleEndian<quint16>(1, s + 1);
        setEntry(0, 0x15, "Hallo Welt", 10);
        setEntry(5, 0x16, "0123456789abcdef0123456789ABCDEF", 32);
        setEntry(6, 0x18, "fedcba9876543210", 16, 0);
    }
    void setEntry(int entry, uchar start, const char *text, int length, int restStyle = 16)
    {
        uchar *s = reinterpret_cast<uchar *>(bytes.data()) + 12288;
        uchar *e = s + 12 + entry * 5;
        e[0] = start;
        e[1] = uchar((length + 15) / 16);
        e[4] = uchar(length % 16 == 0 ? restStyle : length % 16);
        memcpy(s + start * 16, text, size_t(length));
    }
};

} // namespace

class TestParadoxReading : public QObject {
    Q_OBJECT

private slots:
    void codePages();
    void memo_data();
    void memo();
    void notAMemoFile();
    void recognisesOldTables();
    void everyFieldHasAGermanName();
    void emptyFieldsInGroups_data();
    void emptyFieldsInGroups();
};

void TestParadoxReading::codePages()
{
    // Windows-1252, the usual one (also when the header records none):
    // every byte has a character, and it comes back as the same byte.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    for (const int number : {1252, 0}) {
        const QString text = CodePage(number).decode(all);
        QCOMPARE(text.mid(0x80, 6), u"€\u0081‚ƒ„…"_qs);
        QByteArray back;
        QVERIFY(windows1252::encode(text, &back));
        QCOMPARE(back, all);
    }
    // Other code pages the header may name, through the system's converter.
    QCOMPARE(CodePage(850).decode("T\x81" "bingen \xe1"), u"Tübingen ß"_qs);
    QVERIFY(!CodePage(4711).isSupported());
}

void TestParadoxReading::memo_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("problem");
    using S = MemoFile::Status;

    QTest::newRow("leer") << field("", 0, 0) << true << int(S::Empty) << QByteArray() << QString();
    QTest::newRow("ganz im Vorspann") << field("abc", 0, 3) << false << int(S::Ok) << QByteArray("abc") << QString();
    QTest::newRow("eigener Block") << field("xxxx", 4096 | 0xFF, 5000) << true << int(S::Ok) << QByteArray(5000, 'x') << QString();
    QTest::newRow("geteilter Block") << field("Hall", 12288 | 0, 10) << true << int(S::Ok) << QByteArray("Hallo Welt") << QString();
    QTest::newRow("volle 16 Bytes am Ende") << field("0123", 12288 | 5, 32) << true << int(S::Ok)
                                            << QByteArray("0123456789abcdef0123456789ABCDEF") << QString();
    QTest::newRow("volle 16 Bytes, Rest 0") << field("fedc", 12288 | 6, 16) << true << int(S::Ok)
                                            << QByteArray("fedcba9876543210") << QString();
    QTest::newRow("ohne Memodatei") << field("Hall", 12288 | 0, 10) << false << int(S::NeedsFile) << QByteArray() << QString();
    QTest::newRow("Verweis fehlt") << field("Hall", 0, 10) << true << int(S::Damaged) << QByteArray()
                                   << u"der Verweis in die Memodatei fehlt"_qs;
    QTest::newRow("hinter dem Dateiende") << field("Hall", 65536 | 0, 10) << true << int(S::Damaged) << QByteArray()
                                          << u"der Verweis zeigt außerhalb der Memodatei"_qs;
    QTest::newRow("in den Kopfblock") << field("Hall", 0 | 3, 10) << true << int(S::Damaged) << QByteArray()
                                      << u"der Verweis zeigt außerhalb der Memodatei"_qs;
    QTest::newRow("falsche Blockart") << field("Hall", 4096 | 0, 10) << true << int(S::Damaged) << QByteArray()
                                      << u"der Block in der Memodatei ist von anderer Art"_qs;
    QTest::newRow("Länge weicht ab") << field("xxxx", 4096 | 0xFF, 4999) << true << int(S::Damaged) << QByteArray()
                                     << u"die Länge in der Memodatei stimmt nicht"_qs;
    QTest::newRow("leerer Eintrag") << field("Hall", 12288 | 9, 10) << true << int(S::Damaged) << QByteArray()
                                    << u"die Länge in der Memodatei stimmt nicht"_qs;
    QTest::newRow("Eintrag jenseits von 64") << field("Hall", 12288 | 70, 10) << true << int(S::Damaged) << QByteArray()
                                             << u"der Block in der Memodatei ist von anderer Art"_qs;
    QTest::newRow("Feld zu kurz") << QByteArray("abc") << true << int(S::Damaged) << QByteArray()
                                  << u"das Memofeld ist zu kurz"_qs;
}

// Every offset and length of a memo pointer is checked before a byte is read.
void TestParadoxReading::memo()
{
    QFETCH(QByteArray, field);
    QFETCH(bool, withFile);
    QFETCH(int, status);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, problem);

    QTemporaryDir dir;
    MemoFile file;
    if (withFile) {
        QFile f(dir.filePath(u"kq.MB"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(MemoFixture().bytes);
        f.close();
        QVERIFY2(file.open(f.fileName()), qPrintable(file.errorString()));
    }
    const MemoFile::Value v = file.read(field);
    QCOMPARE(int(v.status), status);
    QCOMPARE(v.bytes, bytes);
    QCOMPARE(v.problem, problem);
}

void TestParadoxReading::notAMemoFile()
{
    QTemporaryDir dir;
    MemoFixture cut;
    cut.bytes.truncate(4096 + 2000);  // the long memo is cut off
    const QList<std::pair<QByteArray, QString>> cases = {
        {QByteArray(100, '\0'), u"ist keine Memodatei einer alten Tabelle."_qs},
        {QByteArray(8192, '\x03'), u"ist keine Memodatei einer alten Tabelle."_qs},
    };
    for (const auto &[bytes, message] : cases) {
        QFile f(dir.filePath(u"x.MB"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        MemoFile file;
        QVERIFY(!file.open(f.fileName()));
        QVERIFY2(file.errorString().endsWith(message), qPrintable(file.errorString()));
    }
    // A memo file cut short keeps what it has; the memo beyond its end is damaged.
    QFile f(dir.filePath(u"cut.MB"_qs));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(cut.bytes);
    f.close();
    MemoFile file;
    QVERIFY(file.open(f.fileName()));
    QCOMPARE(file.read(field("xxxx", 4096 | 0xFF, 5000)).problem, u"die Memodatei ist abgeschnitten"_qs);
}

void TestParadoxReading::recognisesOldTables()
{
    QTemporaryDir dir;
    auto make = [&](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    QByteArray header(0x800, '\0');
    header[0] = 0x38;   // record size
    header[3] = 0x08;   // header size 0x800
    header[4] = 2;      // table without key
    header[5] = 2;      // 2 kB blocks
    header[0x21] = 6;   // six fields
    QVERIFY(ParadoxTable::looksLikeParadox(make(u"a.db"_qs, header)));
    QByteArray sqlite = header;
    sqlite.replace(0, 16, QByteArray("SQLite format 3\0", 16));
    QVERIFY(!ParadoxTable::looksLikeParadox(make(u"b.db"_qs, sqlite)));
    QByteArray odd = header;
    odd[5] = 5;          // no block size the format knows
    QVERIFY(!ParadoxTable::looksLikeParadox(make(u"c.db"_qs, odd)));
    QVERIFY(!ParadoxTable::looksLikeParadox(make(u"d.db"_qs, "Name;Ort\nMeier;Ulm\n")));
}

void TestParadoxReading::everyFieldHasAGermanName()
{
    const QList<std::pair<QString, const RecordSchema *>> tables = {
        {u"kq.db"_qs, &RecordSchema::installation()},
        {u"eigentmr.db"_qs, &CatalogStore::ownerSchema()},
        {u"orte.db"_qs, &CatalogStore::placeSchema()},
        {u"stdbem.DB"_qs, &CatalogStore::remarkSchema()},
    };
    for (const auto &[table, schema] : tables) {
        QVERIFY(!fieldcaptions::tableCaption(table).isEmpty());
        QSet<QString> captions;
        QStringList all;
        for (const FieldDef &f : schema->fields()) {
            captions.insert(fieldcaptions::fieldCaption(table, f.name));
            all << f.name;
        }
        // No two fields share a name in the report, and every field belongs
        // to a group (a field no group knows would be named as it stands).
        QCOMPARE(captions.size(), schema->count());
        QCOMPARE(fieldcaptions::describeFields(table, all).fields, QStringList());
    }
    QCOMPARE(fieldcaptions::fieldCaption(u"kq.db"_qs, u"R3V"_qs), u"Raum R3, Volumen"_qs);
    QCOMPARE(fieldcaptions::fieldCaption(u"kq.db"_qs, u"r2TOF"_qs), u"Raum R2, Tür oder Fenster ins Freie"_qs);
    QCOMPARE(fieldcaptions::fieldCaption(u"kq.db"_qs, u"Bemerkung"_qs), u"Bemerkung"_qs);
}

void TestParadoxReading::emptyFieldsInGroups_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("empty");
    QTest::addColumn<QStringList>("missing");
    QTest::addColumn<QStringList>("whole");
    QTest::addColumn<QStringList>("fields");

    // Every field of the rooms R4 to R7 except R5's volume.
    QStringList rooms;
    const RecordSchema &schema = RecordSchema::installation();
    for (const FieldDef &f : schema.fields())
        for (const QString &prefix : {u"R4"_qs, u"R5"_qs, u"R6"_qs, u"R7"_qs})
            if (fieldcaptions::fieldCaption(u"kq.db"_qs, f.name).startsWith(u"Raum "_qs + prefix) && f.name != u"R5V"_qs)
                rooms << f.name;
    QStringList installationRoom;
    for (const FieldDef &f : schema.fields())
        if (f.name.startsWith(u"Hr"_qs) && f.name != u"Hrloeff"_qs)
            installationRoom << f.name;

    QTest::newRow("Räume einzeln, zu zweit") << u"kq.db"_qs << rooms << QStringList() << QStringList{u"Raum R4"_qs, u"Räume R6 und R7"_qs}
                                             << QStringList{u"Raum R5: Bezeichnung, Nennleistung, Art der Feuerstätte, "
                                                            "Tür oder Fenster ins Freie, Öffnung, verbunden mit, "
                                                            "anrechenbare Leistung, Restvolumen, Länge, Breite, Höhe"_qs};
    QTest::newRow("Räume in einer Reihe") << u"kq.db"_qs << (rooms << u"R5V"_qs) << QStringList() << QStringList{u"Räume R4 bis R7"_qs}
                                          << QStringList();
    QTest::newRow("alle Teile des Aufstellungsraums") << u"kq.db"_qs << installationRoom << QStringList()
                                                      << QStringList{u"Aufstellungsraum"_qs} << QStringList();
    QTest::newRow("fehlende Felder zählen mit") << u"kq.db"_qs << QStringList{u"OkllP"_qs, u"Okll"_qs}
                                                << QStringList{u"OkllLaenge"_qs, u"Okllform"_qs, u"OkllS"_qs, u"Okllu45"_qs,
                                                               u"Okllu90"_qs, u"Okllstats"_qs, u"Okunversorgt"_qs}
                                                << QStringList{u"Zuluftleitung"_qs} << QStringList();
    QTest::newRow("einzelne Felder") << u"kq.db"_qs << QStringList{u"A_zusatz"_qs, u"A_gebteil"_qs, u"Zeichnung"_qs}
                                     << QStringList() << QStringList{u"Zeichnung"_qs}
                                     << QStringList{u"Aufstellort: Zusatz, Gebäudeteil"_qs};
    QTest::newRow("Katalog") << u"eigentmr.db"_qs << QStringList{u"Fax"_qs, u"Tel"_qs} << QStringList()
                             << QStringList{u"Telefon"_qs, u"Fax"_qs} << QStringList();
}

// Fields empty in every record are named by the groups a sweep knows.
void TestParadoxReading::emptyFieldsInGroups()
{
    QFETCH(QString, table);
    QFETCH(QStringList, empty);
    QFETCH(QStringList, missing);
    QFETCH(QStringList, whole);
    QFETCH(QStringList, fields);
    const fieldcaptions::Described d = fieldcaptions::describeFields(table, empty, missing);
    QCOMPARE(d.wholeGroups, whole);
    QCOMPARE(d.fields, fields);
}

QTEST_GUILESS_MAIN(TestParadoxReading)
#include "test_paradoxreading.moc"
