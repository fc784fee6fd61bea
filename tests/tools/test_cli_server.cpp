// ofenring-cli server-einrichten and the companion on the office server:
// the set-up copies a data folder value for value and only reads it, a used
// database is refused, and the protocols are written from the server's tables.
#include "catalogstore.h"
#include "protocolfixtures.h"
#include "recordstore.h"
#include "servertestenv.h"
#include "textlists.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

// Every file of a folder with its size, time and checksum.
QStringList folderState(const QString &dir)
{
    QStringList state;
    QDirIterator it(dir, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QFile f(path);
        QByteArray hash;
        if (info.isFile() && f.open(QIODevice::ReadOnly))
            hash = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
        state << u"%1 %2 %3 %4"_qs.arg(path).arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch()).arg(
            QString::fromLatin1(hash));
    }
    state.sort();
    return state;
}

void fill(TableStore &store, const QList<QVariantMap> &rows)
{
    store.setConfirmChanges(false);
    for (const QVariantMap &row : rows) {
        QVERIFY(store.insert());
        for (auto it = row.begin(); it != row.end(); ++it)
            QVERIFY2(store.setFieldValue(it.key(), it.value()), qPrintable(it.key()));
        QVERIFY(store.post());
    }
}

// Every row of a table, in key order, with its key.
QList<std::pair<int, Record>> allRows(TableStore &store)
{
    QList<std::pair<int, Record>> rows;
    QVector<int> keys = store.keys();
    std::sort(keys.begin(), keys.end());
    for (int key : keys)
        rows.append({key, store.rowAt(store.rowOfKey(key))});
    return rows;
}

} // namespace

class TestCliServer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setUpCopiesEveryValueAndOnlyReadsTheFolder();
    void refusals_data();
    void refusals();
    void protocolFromTheServer();

private:
    Run cli(const QStringList &args);
    void seedFolder();

    servertest::TestDatabase m_db;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_data;
    QList<int> m_keys;
};

void TestCliServer::init()
{
    SKIP_WITHOUT_SERVER();
    QString error;
    QVERIFY2(m_db.create(QString::fromLatin1(QTest::currentTestFunction()).toLower(), &error), qPrintable(error));
    m_dir = std::make_unique<QTemporaryDir>();
    m_data = m_dir->filePath(u"daten"_qs);
    seedFolder();
}

void TestCliServer::cleanup()
{
    m_db.drop();
}

void TestCliServer::seedFolder()
{
    RecordStore records;
    QVERIFY(records.open(m_data));
    records.setConfirmChanges(false);
    m_keys.clear();
    for (const Record &r : {fixtures::interconnection(), fixtures::installationRoom()}) {
        QVERIFY(records.insert());
        for (int i = 0; i < r.schema().count(); ++i)
            if (r.schema().field(i).type != FieldType::AutoInc && !r.isNull(i))
                QVERIFY(records.setFieldValue(r.schema().field(i).name, r.value(i)));
        QVERIFY(records.post());
        m_keys << records.currentKey();
    }
    // Values where a copy could go wrong: a gap in the keys, decimals that
    // have no exact binary form, the ends of the integer range, quotes,
    // backslashes and characters beyond Latin-1, line breaks in a memo.
    fill(records, {{{u"A_Name"_qs, u"wird gelöscht"_qs}},
                   {{u"A_Name"_qs, u"O'Brien \\ \"Zum Ölofen\" – Straße 1½"_qs},
                    {u"RAV"_qs, 0.1},
                    {u"R1V"_qs, 123456.789012345},
                    {u"RAN"_qs, -1e-7},
                    {u"Modus"_qs, -32768},
                    {u"R1oeff"_qs, 32767},
                    {u"RATOF"_qs, true},
                    {u"Gerechnet"_qs, false},
                    {u"Skizze"_qs, u"Zeile 1\r\nZeile 2\n\n€"_qs}}});
    QVERIFY(records.goToRow(2));
    records.setConfirmChanges(false);
    QVERIFY(records.deleteCurrent());
    records.close();

    CatalogStore owners(CatalogStore::Owners);
    QVERIFY(owners.open(m_data));
    fill(owners, {{{u"Name"_qs, u"Zöllner"_qs}, {u"Strasse"_qs, u"Am Bach 2"_qs}, {u"Tel"_qs, u"0711 1"_qs}},
                  {{u"Name"_qs, u"Abele"_qs}, {u"Anrede"_qs, u"Frau"_qs}}});
    CatalogStore places(CatalogStore::Places);
    QVERIFY(places.open(m_data));
    fill(places, {{{u"Plz"_qs, u"72070"_qs}, {u"Ort"_qs, u"Tübingen"_qs}}});
    CatalogStore remarks(CatalogStore::Remarks);
    QVERIFY(remarks.open(m_data));
    fill(remarks, {{{u"Kurzbez"_qs, u"Abgas"_qs}, {u"Text"_qs, u"{\\rtf1\\ansi \\b Abgas\\b0\\par }"_qs}}});
    // The room names in the old single-byte form, with an empty entry; no appliance types.
    QVERIFY(TextLists::writeFile(QDir(m_data).filePath(u"raeume.txt"_qs), {u"Küche"_qs, QString(), u"Eßzimmer"_qs}));
}

Run TestCliServer::cli(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_qs, m_dir->filePath(u"config"_qs));
    env.remove(u"QT_QPA_PLATFORM"_qs);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir->path());
    p.start(QStringLiteral(OFENRING_CLI), args);
    if (!p.waitForFinished(120000))
        qFatal("ofenring-cli did not finish");
    return {p.exitCode(), p.readAllStandardOutput(), QString::fromUtf8(p.readAllStandardError())};
}

void TestCliServer::setUpCopiesEveryValueAndOnlyReadsTheFolder()
{
    const QStringList before = folderState(m_dir->path());
    const Run r = cli({u"server-einrichten"_qs, u"--server"_qs, m_db.uri(), u"--von"_qs, m_data});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QCOMPARE(folderState(m_dir->path()), before);

    const QJsonObject report = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(report.value(u"source"_qs).toString(), QDir(m_data).absolutePath());
    QStringList counts;
    for (const QJsonValue &t : report.value(u"tables"_qs).toArray())
        counts << u"%1=%2"_qs.arg(t[u"file"_qs].toString()).arg(t[u"records"_qs].toInt());
    QCOMPARE(counts, (QStringList{u"kq.db=3"_qs, u"eigentmr.db=2"_qs, u"orte.db=1"_qs, u"stdbem.DB=1"_qs}));
    const QJsonArray lists = report.value(u"lists"_qs).toArray();
    QCOMPARE(lists.at(0)[u"entries"_qs].toInt(), 3);
    QCOMPARE(lists.at(1)[u"present"_qs].toBool(), false);

    // Every table on the server, row by row and field by field, as in the folder.
    auto desk = servertest::openDesk(m_db.uri(), u"Prüfung"_qs);
    for (const TableDefinition &def : {RecordStore::tableDefinition(), CatalogStore::tableDefinition(CatalogStore::Owners),
                                       CatalogStore::tableDefinition(CatalogStore::Places),
                                       CatalogStore::tableDefinition(CatalogStore::Remarks)}) {
        TableStore local(def), server(def);
        QVERIFY(local.open(m_data));
        QVERIFY(server.open(desk.get()));
        const auto localRows = allRows(local);
        const auto serverRows = allRows(server);
        QCOMPARE(serverRows.size(), localRows.size());
        for (qsizetype i = 0; i < localRows.size(); ++i) {
            QCOMPARE(serverRows[i].first, localRows[i].first);
            for (int f = 0; f < def.schema->count(); ++f) {
                const QVariant a = localRows[i].second.value(f), b = serverRows[i].second.value(f);
                QVERIFY2(a.isValid() == b.isValid() && a == b,
                         qPrintable(u"%1 %2 %3: %4 / %5"_qs.arg(def.fileName).arg(localRows[i].first)
                                        .arg(def.schema->field(f).name, a.toString(), b.toString())));
            }
        }
    }
    TextLists lists2;
    lists2.setServer(desk.get());
    QVERIFY(lists2.load(TextLists::RoomNames));
    QCOMPARE(lists2.choices(TextLists::RoomNames), (QStringList{u"Küche"_qs, QString(), u"Eßzimmer"_qs}));
    QVERIFY(!lists2.load(TextLists::ApplianceTypes));

    // New records continue after the highest key taken over (4, not 3 again after the gap).
    RecordStore records;
    QVERIFY(records.open(desk.get()));
    records.setConfirmChanges(false);
    QVERIFY(records.insert());
    QVERIFY(records.setFieldValue(u"A_Name"_qs, u"neu"_qs));
    QVERIFY(records.post());
    QCOMPARE(records.currentKey(), 5);
}

void TestCliServer::refusals_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("database in use") << u"used"_qs << 2
                                     << u"enthält schon Tabellen von Ofenring (eigentmr, kq, ofenring_info"_qs;
    QTest::newRow("folder without kq.db") << u"empty folder"_qs << 2 << u"gibt es keine Tabelle kq.db."_qs;
    QTest::newRow("foreign table") << u"foreign"_qs << 2 << u"ist keine Tabelle von Ofenring."_qs;
    QTest::newRow("no database name") << u"bad uri"_qs << 2 << u"fehlt der Name der Datenbank"_qs;
    QTest::newRow("server not there") << u"no server"_qs << 1
                                      << u"Die Verbindung zum Datenbankserver \"postgres@/gibt/es/nicht"_qs;
    QTest::newRow("missing folder option") << u"usage"_qs << 2 << u"server-einrichten --server URI --von DATENORDNER"_qs;
}

void TestCliServer::refusals()
{
    QFETCH(QString, what);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QString uri = m_db.uri();
    QString folder = m_data;
    QStringList args{u"server-einrichten"_qs};
    if (what == u"used"_qs) {
        const Run first = cli({u"server-einrichten"_qs, u"--server"_qs, uri, u"--von"_qs, m_data});
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        // The second try must leave the server as the first left it.
        RecordStore other;
        QVERIFY(other.open(m_data));
        other.setConfirmChanges(false);
        QVERIFY(other.insert());
        QVERIFY(other.post());
    } else if (what == u"empty folder"_qs) {
        folder = m_dir->filePath(u"leer"_qs);
        QDir().mkpath(folder);
    } else if (what == u"foreign"_qs) {
        folder = m_dir->filePath(u"fremd"_qs);
        QDir().mkpath(folder);
        QFile f(QDir(folder).filePath(u"kq.db"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Paradox, not ours");
    } else if (what == u"bad uri"_qs) {
        uri = u"postgresql://buero@server.local"_qs;
    } else if (what == u"no server"_qs) {
        uri = u"postgresql:///ofenring?host=/gibt/es/nicht&user=postgres"_qs;
    }
    args << u"--server"_qs << uri;
    if (what != u"usage"_qs)
        args << u"--von"_qs << folder;
    const Run r = cli(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    if (what == u"used"_qs) {
        auto desk = servertest::openDesk(m_db.uri(), u"Prüfung"_qs);
        RecordStore records;
        QVERIFY(records.open(desk.get()));
        QCOMPARE(records.rowCount(), 3);
    } else if (what != u"no server"_qs && what != u"bad uri"_qs) {
        // Nothing was created on the server.
        auto desk = servertest::openDesk(m_db.uri(), u"Prüfung"_qs);
        QVERIFY(ServerSetup::existingTables(desk.get()).isEmpty());
    }
}

void TestCliServer::protocolFromTheServer()
{
    const Run setup = cli({u"server-einrichten"_qs, u"--server"_qs, m_db.uri(), u"--von"_qs, m_data});
    QVERIFY2(setup.exitCode == 0, qPrintable(setup.err));
    // The folder is gone: the protocol can only come from the server.
    QVERIFY(QDir(m_data).removeRecursively());
    const QString file = m_dir->filePath(u"lv.pdf"_qs);
    const Run r = cli({u"protokoll"_qs, u"--server"_qs, m_db.uri(), u"--lfd"_qs, QString::number(m_keys[0]), u"--pdf"_qs, file});
    QVERIFY2(r.exitCode == 0, qPrintable(r.err));
    QProcess text;
    text.start(u"pdftotext"_qs, {file, u"-"_qs});
    QVERIFY(text.waitForFinished(60000));
    QVERIFY(QString::fromUtf8(text.readAllStandardOutput()).contains(u"Berechnung des Ofenringes für Feuerstätten"_qs));

    const Run both = cli({u"protokoll"_qs, u"--server"_qs, m_db.uri(), u"--daten"_qs, m_data, u"--lfd"_qs, u"1"_qs,
                          u"--pdf"_qs, file});
    QCOMPARE(both.exitCode, 2);
    QVERIFY(both.err.contains(u"Entweder --daten oder --server"_qs));
}

QTEST_GUILESS_MAIN(TestCliServer)
#include "test_cli_server.moc"
