#include "catalogstore.h"
#include "oldtables.h"
#include "paradoxwriter.h"
#include "paradoxstream.h"
#include "recordschema.h"
#include "recordstore.h"
#include "smallfilesystem.h"
#include "takeover.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <functional>
#include <unistd.h>

namespace {

using Mutation = std::function<void(const QDir &daten)>;

void writeBytes(const QString &path, qint64 at, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(at));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path, qint64 at, qint64 n)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(at))
        return {};
    return f.read(n);
}

// A place table with other columns than ours.
void writeForeignPlaces(const QDir &daten, const QVector<ParadoxColumn> &columns, const QVariantList &row)
{
    QFile::remove(daten.filePath(u"Orte.DB"_qs));
    ParadoxWriter w(daten.filePath(u"Orte.DB"_qs), columns);
    QVERIFY(w.open());
    QVERIFY(w.add(row));
    QVERIFY(w.close());
}

// A place table of `n` records over several data blocks (49 records fill one).
QList<QVariantMap> manyPlaces(int n)
{
    QList<QVariantMap> places;
    for (int i = 1; i <= n; ++i)
        places.append({{u"Lfd"_qs, i}, {u"Plz"_qs, QString::number(70000 + i)}, {u"Ort"_qs, u"Ort Nr. %1"_qs.arg(i)}});
    return places;
}

void setHeaderRecordCount(const QString &path, quint32 count)
{
    char le[4];
    qToLittleEndian(count, le);
    writeBytes(path, 6, QByteArray(le, 4));
}

// The entries directly in the data folder besides the backup folder.
QStringList topLevel(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    names.removeIf([](const QString &n) { return n.startsWith(u"alt-"_qs); });
    return names;
}

const QStringList kOurTables = {u"eigentmr.db"_qs, u"kq.db"_qs, u"orte.db"_qs, u"stdbem.DB"_qs};

// The new tables hold every value and the old files lie untouched in alt-<date>.
void verifyTakenOver(const QString &daten, const QMap<QString, QByteArray> &originals)
{
    QCOMPARE(oldtables::mismatch(daten), QString());
    QCOMPARE(topLevel(daten), kOurTables);
    const QStringList backups = QDir(daten).entryList({u"alt-*"_qs}, QDir::Dirs);
    QCOMPARE(backups, QStringList{u"alt-"_qs + QDate::currentDate().toString(u"yyyy-MM-dd"_qs)});
    QCOMPARE(oldtables::snapshot(QDir(daten).filePath(backups.first())), originals);
}

} // namespace

class TestTakeOver : public QObject {
    Q_OBJECT

private slots:
    void init();

    void takesOverEveryValue();
    void readsTheCodePageOfTheHeader();
    void olderLayoutWithFewerOrWiderFields();
    void recordsTheHeaderDoesNotCount_data();
    void recordsTheHeaderDoesNotCount();
    void pictureHeadIsStripped();
    void faults_data();
    void faults();
    void damagedMemoIsReportedAndLeftEmpty();
    void readOnlyDataFolder();
    void fullDataFolderIsSaidInGerman();
    void interruptedAtAnyStep_data();
    void interruptedAtAnyStep();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_daten;
};

void TestTakeOver::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_daten = m_tmp->filePath(u"daten"_qs);
    QVERIFY(oldtables::writeAll(m_daten));
}

void TestTakeOver::takesOverEveryValue()
{
    const auto originals = oldtables::snapshot(m_daten);
    QCOMPARE(TakeOver::oldTables(m_daten), (QStringList{u"KQ.DB"_qs, u"eigentmr.db"_qs, u"Orte.DB"_qs, u"stdbem.DB"_qs}));

    TakeOver t(m_daten, m_daten);
    QVERIFY2(t.run(), qPrintable(t.errorString()));
    verifyTakenOver(m_daten, originals);
    QVERIFY(TakeOver::oldTables(m_daten).isEmpty());

    const TakeOverReport &r = t.report();
    QCOMPARE(r.tables.size(), 4);
    const TakenTable &kq = r.tables.first();
    QCOMPARE(kq.table, u"kq.db"_qs);
    QCOMPARE(kq.oldFile, u"KQ.DB"_qs);
    QCOMPARE(kq.records, 4);
    QCOMPARE(kq.codePage, 1252);
    QVERIFY(kq.missingFields.isEmpty());
    QVERIFY(kq.unreadable.isEmpty());
    QVERIFY(kq.shortened.isEmpty());
    QCOMPARE(kq.emptyValues.value(u"E_Name"_qs), 2);
    QCOMPARE(kq.emptyValues.value(u"Bemerkung"_qs), 2);
    QVERIFY(!kq.emptyValues.contains(u"Lfd"_qs));
    QVERIFY(kq.alwaysEmpty.contains(u"VKQmode"_qs));
    QVERIFY(!kq.alwaysEmpty.contains(u"Zeichnung"_qs));
    QCOMPARE(r.tables[3].emptyValues.value(u"Text"_qs), 1);
    QCOMPARE(kq.headerRecords, 4);
    QVERIFY(kq.readerMessages.isEmpty());
    // The report speaks of the fields as the user knows them: whole groups
    // left empty by their name, single fields by group and name, no
    // internal field names.
    const QString text = r.text(u"daten"_qs);
    for (const QString &line : {u"  kq.db (Anlagen): 4 Datensätze"_qs, u"  orte.db (Ortsliste): 3 Datensätze"_qs,
                                u"  kq.db: Räume R3 bis R7, Merker ohne Verwendung, Leitung 2 des Aufstellungsraums"_qs,
                                u"  kq.db, Eigentümer: Zusatz, Fax"_qs})
        QVERIFY2(text.contains(line + u'\n'), qPrintable(line + u"\n\n"_qs + text));
    for (const QString &internal : {u"VKQmode"_qs, u"R4V"_qs, u"Okllstats"_qs, u"Hrloeff"_qs, u"E_fax"_qs})
        QVERIFY2(!text.contains(internal), qPrintable(internal + u"\n\n"_qs + text));
    QVERIFY2(!text.contains(u"Der Kopf der alten Tabelle"_qs), qPrintable(text));
    QVERIFY2(text.contains(u"daten/"_qs + r.backupFolder), qPrintable(text));

    // A new record is numbered after the highest number the old table gave.
    RecordStore store;
    store.setConfirmChanges(false);
    QVERIFY(store.open(m_daten));
    QVERIFY(store.insert());
    QVERIFY(store.post());
    QCOMPARE(store.current().integer(u"Lfd"_qs), oldtables::kNextInstallationNumber + 1);
}

void TestTakeOver::readsTheCodePageOfTheHeader()
{
    // A table written under DOS keeps its umlauts in code page 850.
    const QDir daten(m_daten);
    QFile::remove(daten.filePath(u"Orte.DB"_qs));
    ParadoxWriter w(daten.filePath(u"Orte.DB"_qs), ParadoxWriter::columnsFor(CatalogStore::placeSchema()), 850);
    QVERIFY(w.open());
    QVERIFY(w.add({QByteArray("72070"), QByteArray("T\x81" "bingen \xe1"), 9}));
    QVERIFY(w.close());

    TakeOver t(m_daten, m_daten);
    QVERIFY2(t.run(), qPrintable(t.errorString()));
    QCOMPARE(t.report().tables[2].codePage, 850);
    CatalogStore places(CatalogStore::Places);
    QVERIFY(places.open(m_daten));
    QCOMPARE(places.current().text(u"Ort"_qs), u"Tübingen ß"_qs);
    QCOMPARE(places.current().integer(u"Lfd"_qs), 9);
}

// A table of an older layout: fields it lacks stay empty (a missing key is
// given anew), a wider text field is cut to ours; both are reported.
void TestTakeOver::olderLayoutWithFewerOrWiderFields()
{
    const QDir daten(m_daten);
    writeForeignPlaces(daten, {{u"Plz"_qs, paradoxtype::Alpha, 7}, {u"Ort"_qs, paradoxtype::Alpha, 30}}, {u"89073"_qs, u"Ulm"_qs});
    const QString title = u"Abgasanlage: Querschnitt nach DIN EN 13384 prüfen lassen, Nachweis beifügen"_qs;
    QFile::remove(daten.filePath(u"stdbem.DB"_qs));
    QFile::remove(daten.filePath(u"stdbem.MB"_qs));
    ParadoxWriter w(daten.filePath(u"stdbem.DB"_qs), {{u"Kurzbez"_qs, paradoxtype::Alpha, 80}, {u"Text"_qs, paradoxtype::FmtMemo, 20}});
    QVERIFY(w.open());
    QVERIFY(w.add({title, QVariant()}));
    QVERIFY(w.close());

    TakeOver t(m_daten, m_daten);
    QVERIFY2(t.run(), qPrintable(t.errorString()));
    const TakenTable &places = t.report().tables[2];
    QCOMPARE(places.missingFields, QStringList{u"Lfd"_qs});
    const TakenTable &remarks = t.report().tables[3];
    QCOMPARE(remarks.shortened.size(), 1);
    QCOMPARE(remarks.shortened.first().field, u"Kurzbez"_qs);
    QCOMPARE(remarks.shortened.first().reason, u"gekürzt auf 60 Zeichen"_qs);
    const QString text = t.report().text(u"daten"_qs);
    QVERIFY2(text.contains(u"In der alten Tabelle nicht vorhanden und leer gelassen:\n"
                           "  orte.db: laufende Nummer (die laufenden Nummern wurden neu vergeben)\n"_qs),
             qPrintable(text));
    QVERIFY2(text.contains(u"Auf die Feldlänge gekürzt (1):\n  stdbem.DB, Kurzbezeichnung (gekürzt auf 60 Zeichen): Datensatz 1\n"_qs),
             qPrintable(text));

    CatalogStore placeStore(CatalogStore::Places), remarkStore(CatalogStore::Remarks);
    QVERIFY(placeStore.open(m_daten) && remarkStore.open(m_daten));
    QCOMPARE(placeStore.current().integer(u"Lfd"_qs), 1);
    QCOMPARE(placeStore.current().text(u"Ort"_qs), u"Ulm"_qs);
    QCOMPARE(remarkStore.current().text(u"Kurzbez"_qs), title.left(60));
}

void TestTakeOver::recordsTheHeaderDoesNotCount_data()
{
    QTest::addColumn<int>("header");
    QTest::newRow("Kopf nennt keinen") << 0;
    QTest::newRow("Kopf nennt zu wenige") << 50;
    QTest::newRow("Kopf nennt zu viele") << 200;
}

// Every record the data blocks hold is taken over, whatever the header says,
// and the report says that header and blocks disagreed, with what the table
// library said about it.
void TestTakeOver::recordsTheHeaderDoesNotCount()
{
    QFETCH(int, header);
    const QString orte = QDir(m_daten).filePath(u"Orte.DB"_qs);
    QVERIFY(QFile::remove(orte));
    const QList<QVariantMap> places = manyPlaces(120);
    QVERIFY(oldtables::write(orte, CatalogStore::placeSchema(), places));
    setHeaderRecordCount(orte, quint32(header));

    TakeOver t(m_daten, m_daten);
    QVERIFY2(t.run(), qPrintable(t.errorString()));
    const TakenTable &taken = t.report().tables[2];
    QCOMPARE(taken.records, 120);
    QCOMPARE(taken.headerRecords, header);
    QCOMPARE(taken.readerMessages,
             QStringList{u"Number of records counted in blocks does not match number of records in header (120 != %1)"_qs.arg(header)});
    const QString text = t.report().text(u"daten"_qs);
    QVERIFY2(text.contains(u"  orte.db (Ortsliste): 120 Datensätze\n"_qs), qPrintable(text));
    QVERIFY2(text.contains(u"orte.db: Der Kopf der alten Tabelle \"Orte.DB\" nennt %1 Datensätze, ihre Datenblöcke enthalten "
                           "120 Datensätze. Übernommen wurden alle 120 Datensätze der Datenblöcke."_qs.arg(header)),
             qPrintable(text));
    QVERIFY2(text.contains(u"Meldungen der Tabellenbibliothek beim Lesen von \"Orte.DB\" (im Wortlaut):\n  Number of records"_qs),
             qPrintable(text));

    CatalogStore store(CatalogStore::Places);
    QVERIFY(store.open(m_daten));
    QCOMPARE(store.rowCount(), 120);
    QSet<int> keys;
    for (int r = 0; r < store.rowCount(); ++r) {
        const Record rec = store.rowAt(r);
        const int key = rec.integer(u"Lfd"_qs);
        keys.insert(key);
        QCOMPARE(rec.text(u"Ort"_qs), u"Ort Nr. %1"_qs.arg(key));
    }
    QCOMPARE(keys.size(), 120);
    QVERIFY(keys.contains(1) && keys.contains(120));
}

// A picture as the table engine keeps it in the memo file, behind its head
// (01 00 00 01 and the length), is stored as the picture itself; a value
// whose head does not give its length stays as it is.
void TestTakeOver::pictureHeadIsStripped()
{
    const QDir daten(m_daten);
    QVERIFY(QFile::remove(daten.filePath(u"KQ.DB"_qs)) && QFile::remove(daten.filePath(u"KQ.MB"_qs)));
    QByteArray bitmap("BM");
    for (int i = 0; i < 600; ++i)
        bitmap.append(char(i * 7 % 251));
    char length[4];
    qToLittleEndian<quint32>(quint32(bitmap.size()), length);
    const QByteArray head = QByteArray("\x01\x00\x00\x01", 4) + QByteArray(length, 4);
    const QByteArray odd = head + bitmap + "xy";   // two bytes more than the head says
    QVERIFY(oldtables::write(daten.filePath(u"KQ.DB"_qs), RecordSchema::installation(),
                             {{{u"Lfd"_qs, 1}, {u"Zeichnung"_qs, head + bitmap}}, {{u"Lfd"_qs, 2}, {u"Zeichnung"_qs, odd}}}));

    TakeOver t(m_daten, m_daten);
    QVERIFY2(t.run(), qPrintable(t.errorString()));
    RecordStore store;
    QVERIFY(store.open(m_daten));
    QVERIFY(store.goToKey(1));
    QCOMPARE(store.current().value(u"Zeichnung"_qs).toByteArray(), bitmap);
    QVERIFY(store.goToKey(2));
    QCOMPARE(store.current().value(u"Zeichnung"_qs).toByteArray(), odd);
}

void TestTakeOver::faults_data()
{
    QTest::addColumn<Mutation>("mutate");
    QTest::addColumn<QStringList>("message");

    QTest::newRow("abgeschnittene Tabelle") << Mutation([](const QDir &d) {
        QFile f(d.filePath(u"KQ.DB"_qs));
        QVERIFY(f.resize(f.size() - 1000));
    }) << QStringList{u"KQ.DB\" ist unvollständig"_qs};
    QTest::newRow("fehlende Memodatei") << Mutation([](const QDir &d) { QVERIFY(QFile::remove(d.filePath(u"KQ.MB"_qs))); })
                                        << QStringList{u"Die Memodatei"_qs, u"KQ.MB\" zur Tabelle"_qs, u"fehlt"_qs};
    QTest::newRow("keine Memodatei") << Mutation([](const QDir &d) {
        QFile f(d.filePath(u"stdbem.MB"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(8192, '\xab'));
    }) << QStringList{u"stdbem.MB\" ist keine Memodatei"_qs};
    QTest::newRow("anderer Aufbau") << Mutation([](const QDir &d) {
        writeForeignPlaces(d, {{u"Kunde"_qs, paradoxtype::Alpha, 20}, {u"Ort"_qs, paradoxtype::Alpha, 30}},
                           {u"Meier"_qs, u"Ulm"_qs});
    }) << QStringList{u"Orte.DB\" hat einen anderen Aufbau als die Tabelle \"orte.db\""_qs, u"das Feld \"Kunde\" ist unbekannt"_qs};
    QTest::newRow("falscher Feldtyp") << Mutation([](const QDir &d) {
        writeForeignPlaces(d, {{u"Plz"_qs, paradoxtype::Number, 8}, {u"Ort"_qs, paradoxtype::Alpha, 30}}, {89073.0, u"Ulm"_qs});
    }) << QStringList{u"das Feld \"Plz\" hat den Typ Zahl statt Text(7)"_qs};
    QTest::newRow("doppelte laufende Nummer") << Mutation([](const QDir &d) {
        QFile::remove(d.filePath(u"Orte.DB"_qs));
        QVERIFY(oldtables::write(d.filePath(u"Orte.DB"_qs), CatalogStore::placeSchema(),
                                 {{{u"Lfd"_qs, 4}, {u"Ort"_qs, u"Ulm"_qs}}, {{u"Lfd"_qs, 4}, {u"Ort"_qs, u"Aalen"_qs}}}));
    }) << QStringList{u"Die laufende Nummer 4 kommt in der Tabelle"_qs, u"mehrfach vor"_qs};
    // The first data block names itself as the next one: the table library
    // would follow the chain for ever.
    QTest::newRow("Blockkette im Kreis") << Mutation([](const QDir &d) {
        const QString path = d.filePath(u"Orte.DB"_qs);
        const quint16 headerSize = qFromLittleEndian<quint16>(readBytes(path, 2, 2).constData());
        writeBytes(path, headerSize, QByteArray("\x01\x00", 2));
    }) << QStringList{u"Orte.DB\" ist beschädigt: die Kette ihrer Datenblöcke kehrt beim Block 1 zu sich selbst zurück."_qs};
    // Both are checked before the table library is given the file.
    QTest::newRow("Block außerhalb der Datei") << Mutation([](const QDir &d) {
        const QString path = d.filePath(u"Orte.DB"_qs);
        const quint16 headerSize = qFromLittleEndian<quint16>(readBytes(path, 2, 2).constData());
        writeBytes(path, headerSize, QByteArray("\x09\x00", 2));
    }) << QStringList{u"verweist auf den Block 9, der nicht in der Datei liegt"_qs};
    QTest::newRow("Zahl der Datensätze im Block") << Mutation([](const QDir &d) {
        const QString path = d.filePath(u"Orte.DB"_qs);
        const quint16 headerSize = qFromLittleEndian<quint16>(readBytes(path, 2, 2).constData());
        writeBytes(path, headerSize + 4, QByteArray("\x07\x00", 2));   // not a whole number of records
    }) << QStringList{u"die Zahl der Datensätze im Datenblock 1 passt nicht zur Länge eines Datensatzes"_qs};
    // A table with a password (or damaged bytes there) makes the table library loop.
    QTest::newRow("verschlüsselt") << Mutation([](const QDir &d) {
        writeBytes(d.filePath(u"Orte.DB"_qs), 0x5C, QByteArray("\x12\x34\x56\x78", 4));
    }) << QStringList{u"Orte.DB\" ist mit einem Kennwort verschlüsselt, oder ihr Kopf ist beschädigt"_qs};
    QTest::newRow("Feldlänge passt nicht zum Typ") << Mutation([](const QDir &d) {
        writeBytes(d.filePath(u"Orte.DB"_qs), 0x78, QByteArray(1, char(paradoxtype::Number)));   // Plz, 7 bytes long
    }) << QStringList{u"die Länge eines ihrer Felder passt nicht zu seinem Typ"_qs};
}

// Each fault ends in a German message naming it, and nothing in the data
// folder has changed: no new table, no backup folder, no journal.
void TestTakeOver::faults()
{
    QFETCH(Mutation, mutate);
    QFETCH(QStringList, message);
    mutate(QDir(m_daten));
    const auto before = oldtables::snapshot(m_daten);

    TakeOver t(m_daten, m_daten);
    t.setReaderTimeout(3000);
    QVERIFY(!t.run());
    for (const QString &part : message)
        QVERIFY2(t.errorString().contains(part), qPrintable(t.errorString()));
    QVERIFY2(t.errorString().endsWith(u"Es wurde nichts übernommen; die alten Dateien bleiben unverändert."_qs),
             qPrintable(t.errorString()));
    QCOMPARE(t.problem(), TakeOver::Problem::Input);
    QCOMPARE(oldtables::snapshot(m_daten), before);
    QVERIFY(!TakeOver::isPending(m_daten));
}

// One memo whose block in the memo file is damaged is taken over empty and
// named in the report; everything else is taken over.
void TestTakeOver::damagedMemoIsReportedAndLeftEmpty()
{
    // The long remark of record 3 is the only memo with a block of its own (kind 2).
    const QString mb = QDir(m_daten).filePath(u"KQ.MB"_qs);
    qint64 block = -1;
    for (qint64 at = 4096; block < 0 && !readBytes(mb, at, 1).isEmpty(); at += 4096)
        if (readBytes(mb, at, 1) == QByteArray(1, '\x02'))
            block = at;
    QVERIFY(block > 0);
    writeBytes(mb, block, QByteArray(1, '\x07'));
    const auto originals = oldtables::snapshot(m_daten);

    TakeOver t(m_daten, m_daten);
    QVERIFY2(t.run(), qPrintable(t.errorString()));
    const TakenTable &kq = t.report().tables.first();
    QCOMPARE(kq.unreadable.size(), 1);
    QCOMPARE(kq.unreadable.first().key, 3);
    QCOMPARE(kq.unreadable.first().record, 1);
    QCOMPARE(kq.unreadable.first().field, u"Bemerkung"_qs);
    QCOMPARE(kq.unreadable.first().reason, u"der Block in der Memodatei ist von anderer Art"_qs);
    QVERIFY2(t.report().text(u"daten"_qs).contains(
                 u"Nicht lesbar und daher leer übernommen (1):\n"
                 "  kq.db, Bemerkung (der Block in der Memodatei ist von anderer Art): Datensatz 1 (Lfd 3)\n"_qs),
             qPrintable(t.report().text(u"daten"_qs)));

    RecordStore store;
    QVERIFY(store.open(m_daten));
    QVERIFY(store.current().isNull(u"Bemerkung"_qs));
    QCOMPARE(store.current().text(u"Skizze"_qs), u"LINIE 0 0 100 0\nLINIE 100 0 100 80\nTEXT 10 10 Küche\n"_qs);
    QCOMPARE(oldtables::snapshot(QDir(m_daten).filePath(t.report().backupFolder)), originals);
}

void TestTakeOver::readOnlyDataFolder()
{
    const auto before = oldtables::snapshot(m_daten);
    QProcess child;
    if (::geteuid() == 0) {
        // Root writes anywhere; the take-over runs as an ordinary user instead.
        QFile::setPermissions(m_tmp->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                 | QFile::ExeOther);
        if (QProcess::execute(u"setpriv"_qs, {u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs, u"true"_qs}) != 0)
            QSKIP("setpriv cannot run a process as an ordinary user here");
        child.start(u"setpriv"_qs, {u"--reuid=65534"_qs, u"--regid=65534"_qs, u"--clear-groups"_qs,
                                    QStringLiteral(TAKEOVER_CHILD), m_daten, m_daten});
    } else {
        QVERIFY(QFile::setPermissions(m_daten, QFile::ReadOwner | QFile::ExeOwner));
        child.start(QStringLiteral(TAKEOVER_CHILD), {m_daten, m_daten});
    }
    QVERIFY(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    QFile::setPermissions(m_daten, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(child.exitCode(), 1);
    QVERIFY2(out.contains(u"In den Ordner \"%1\" kann nicht geschrieben werden (keine Schreibberechtigung). "
                          "Die alten Tabellen werden nicht übernommen und bleiben unverändert."_qs.arg(m_daten)),
             qPrintable(out));
    QCOMPARE(oldtables::snapshot(m_daten), before);
}

// A data folder on a medium too small for the copies of the old files: the
// reason in German, and nothing left behind.
void TestTakeOver::fullDataFolderIsSaidInGerman()
{
    const QString target = m_tmp->filePath(u"klein"_qs);
    SmallFileSystem disk(target, u"size=48k"_qs);
    if (!disk.mounted())
        QSKIP(SmallFileSystem::skipReason());
    const auto before = oldtables::snapshot(m_daten);
    TakeOver t(m_daten, target);
    QVERIFY(!t.run());
    QCOMPARE(t.problem(), TakeOver::Problem::Writing);
    QVERIFY2(t.errorString().contains(u"kann nicht nach"_qs) && t.errorString().endsWith(u"(der Datenträger ist voll)."_qs),
             qPrintable(t.errorString()));
    QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QCOMPARE(oldtables::snapshot(m_daten), before);
}

void TestTakeOver::interruptedAtAnyStep_data()
{
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("finishes");  // the next start completes it (or else starts afresh)

    QTest::newRow("Notiz geschrieben") << false << u"journal"_qs << false;
    QTest::newRow("erster Datensatz") << false << u"datensatz:kq.db"_qs << false;
    QTest::newRow("eine Tabelle fertig") << false << u"gebaut:kq.db"_qs << false;
    QTest::newRow("alle Tabellen fertig") << false << u"gebaut:stdbem.DB"_qs << false;
    QTest::newRow("Einsetzen beschlossen") << false << u"einsetzen"_qs << true;
    QTest::newRow("erste alte Datei beiseite") << false << u"gesichert:KQ.DB"_qs << true;
    QTest::newRow("letzte alte Datei beiseite") << false << u"gesichert:stdbem.MB"_qs << true;
    QTest::newRow("erste Tabelle eingesetzt") << false << u"eingesetzt:kq.db"_qs << true;
    QTest::newRow("Kopie: erste alte Datei kopiert") << true << u"gesichert:KQ.DB"_qs << false;
    QTest::newRow("Kopie: Einsetzen beschlossen") << true << u"einsetzen"_qs << true;
}

// A take-over killed (SIGKILL) at any step leaves either the old files as
// they were, or a state the next start finishes; after that the new tables
// are complete and the old files lie byte for byte in the backup folder.
void TestTakeOver::interruptedAtAnyStep()
{
    QFETCH(bool, copy);
    QFETCH(QString, step);
    QFETCH(bool, finishes);
    const QString source = m_daten;
    const QString target = copy ? m_tmp->filePath(u"neu"_qs) : m_daten;
    const auto originals = oldtables::snapshot(m_daten);

    QProcess child;
    child.start(QStringLiteral(TAKEOVER_CHILD), {source, target, step});
    QVERIFY(child.waitForStarted());
    QByteArray out;
    while (!out.contains("HALT\n") && child.state() == QProcess::Running)
        if (child.waitForReadyRead(60000))
            out += child.readAllStandardOutput();
    QVERIFY2(out.contains("HALT\n"), out.constData());
    child.kill();
    QVERIFY(child.waitForFinished());
    QVERIFY(TakeOver::isPending(target));
    if (copy)
        QCOMPARE(oldtables::snapshot(source), originals);

    TakeOver next(target, target);
    if (finishes) {
        QCOMPARE(next.resume(), TakeOver::Resumed::Completed);
        QCOMPARE(next.report().tables.size(), 4);
        QCOMPARE(next.report().tables.first().records, 4);
    } else {
        QCOMPARE(next.resume(), TakeOver::Resumed::Restarted);
        // Nothing is left of the interrupted attempt.
        if (copy)
            QVERIFY(QDir(target).isEmpty());
        else
            QCOMPARE(oldtables::snapshot(m_daten), originals);
        TakeOver again(source, target);
        QVERIFY2(again.run(), qPrintable(again.errorString()));
    }
    QVERIFY(!TakeOver::isPending(target));
    verifyTakenOver(target, originals);
    if (copy)
        QCOMPARE(oldtables::snapshot(source), originals);
}

QTEST_GUILESS_MAIN(TestTakeOver)
#include "test_takeover.moc"
