// Figures of the record store on the office server: the work of the store
// benchmark (open, order switch, 1,000 moves, one save) on a generated kq.db
// of the server, reached through its Unix socket, each next to the same work
// in plain SQL on the same server; and the time from a save at one desk until
// another desk shows it.
//
//   ofenring-officebench [records] [--server URI]
//
// records defaults to 100000.  Without --server a throwaway cluster is
// started in a temporary folder (scripts/pgcluster.sh) and stopped at the end;
// a given server must have a database without Ofenring tables, which is then
// set up.
#include "generatedrecords.h"
#include "recordstore.h"
#include "serverconnection.h"
#include "serversetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRepeats = 5;
constexpr int kSeenRuns = 20;

double medianOf(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double medianMs(const std::function<void()> &work, int repeats = kRepeats)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return medianOf(times);
}

void row(const char *what, double store, double plain)
{
    std::printf("%-46s %10.3f %10.3f %7.2f\n", what, store, plain, plain > 0 ? store / plain : 0.0);
}

QString cluster(const QString &action, const QString &folder)
{
    QProcess p;
    p.start(u"bash"_qs, {QStringLiteral(PGCLUSTER_SCRIPT), action, folder});
    p.waitForFinished(180000);
    if (p.exitCode() != 0)
        std::fprintf(stderr, "%s\n", p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString uri;
    const qsizetype serverAt = args.indexOf(u"--server"_qs);
    if (serverAt >= 0 && serverAt + 1 < args.size()) {
        uri = args[serverAt + 1];
        args.remove(serverAt, 2);
    }
    const int count = args.isEmpty() ? 100000 : args.first().toInt();

    QTemporaryDir temp;
    QString clusterFolder;
    if (uri.isEmpty()) {
        clusterFolder = QDir(temp.path()).filePath(u"cluster"_qs);
        QFile::setPermissions(temp.path(), QFileDevice::Permissions(0x7755));
        const QString admin = cluster(u"start"_qs, clusterFolder);
        if (admin.isEmpty())
            return 1;
        ServerAddress a;
        ServerAddress::parse(admin, &a);
        ServerConnection c(a, u"bench"_qs);
        if (!c.open() || !QSqlQuery(c.database()).exec(u"CREATE DATABASE ofenring_bench"_qs))
            return 1;
        a.database = u"ofenring_bench"_qs;
        uri = a.toUri();
    }
    struct StopCluster {
        QString folder;
        ~StopCluster()
        {
            if (!folder.isEmpty())
                cluster(u"stop"_qs, folder);
        }
    } stopCluster{clusterFolder};

    ServerAddress address;
    QString error;
    if (!ServerAddress::parse(uri, &address, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    ServerConnection server(address, u"Arbeitsplatz 1"_qs);
    if (!server.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.errorString()));
        return 1;
    }

    // The records are generated in a local kq.db and taken to the server by the set-up.
    {
        const QString dataDir = QDir(temp.path()).filePath(u"daten"_qs);
        RecordStore creator;
        if (!creator.open(dataDir))
            return 1;
        creator.close();
        QElapsedTimer t;
        t.start();
        if (!generateInstallationRecords(QDir(dataDir).filePath(u"kq.db"_qs), count))
            return 1;
        const qint64 generated = t.elapsed();
        t.restart();
        ServerSetup setup(&server, dataDir);
        if (!setup.run()) {
            std::fprintf(stderr, "%s\n", qPrintable(setup.errorString()));
            return 1;
        }
        std::printf("generated %d records in %lld ms, set up on the server in %lld ms\n", count, generated,
                    qint64(t.elapsed()));
    }
    QSqlQuery(server.database()).exec(u"ANALYZE"_qs);

    // --- plain SQL on the same server -------------------------------------------
    QSqlDatabase db = server.database();
    int firstKey = 0;
    auto keyScan = [&](const QString &orderBy) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(u"SELECT \"Lfd\" FROM kq ORDER BY "_qs + orderBy);
        std::vector<int> keys;
        while (q.next())
            keys.push_back(q.value(0).toInt());
        firstKey = keys.empty() ? 0 : keys.front();
        return keys.size();
    };
    // A move shows the whole record: every value of the row is read, as the store does.
    auto readOne = [&](QSqlQuery &q, int key) {
        q.bindValue(0, key);
        q.exec();
        q.next();
        static const int n = q.record().count();
        QVariantList values;
        values.reserve(n);
        for (int i = 0; i < n; ++i)
            values << q.value(i);
        q.finish();
        return values;
    };
    const double plainOpen = medianMs([&] {
        keyScan(u"\"Lfd\""_qs);
        QSqlQuery q(db);
        q.prepare(u"SELECT * FROM kq WHERE \"Lfd\" = ?"_qs);
        readOne(q, firstKey);
    });
    const double plainOrt = medianMs([&] {
        keyScan(u"\"A_Plz\" NULLS FIRST, \"A_Ort\" NULLS FIRST, \"A_strasse\" NULLS FIRST, \"A_gebteil\" NULLS FIRST, "
                "\"E_Name\" NULLS FIRST, \"Lfd\""_qs);
    });
    const double plainName = medianMs(
        [&] { keyScan(u"\"E_Name\" NULLS FIRST, \"E_ort\" NULLS FIRST, \"E_strasse\" NULLS FIRST, \"Lfd\""_qs); });
    std::vector<double> plainMoves;
    {
        QSqlQuery readRow(db);
        readRow.prepare(u"SELECT * FROM kq WHERE \"Lfd\" = ?"_qs);
        plainMoves.push_back(medianMs([&] {
            for (int k = 1; k <= 1000; ++k)
                readOne(readRow, k);
        }));
    }
    int flip = 0;
    QSqlQuery update(db);
    update.prepare(u"UPDATE kq SET \"A_Name\" = ? WHERE \"Lfd\" = ?"_qs);
    const double plainPost = medianMs([&] {
        db.transaction();
        update.bindValue(0, u"Plain %1"_qs.arg(++flip));
        update.bindValue(1, 500);
        update.exec();
        db.commit();
    });
    update = QSqlQuery();

    // --- the record store ------------------------------------------------------------
    RecordStore store;
    store.setConfirmChanges(false);
    const double storeOpen = medianMs([&] {
        store.close();
        store.open(&server);
        (void)store.current().text(u"A_Name"_qs);
    });
    store.goToRow(store.rowCount() / 2);
    const int kept = store.currentKey();
    std::vector<double> ortRuns, nameRuns;
    for (int i = 0; i < kRepeats; ++i) {
        ortRuns.push_back(medianMs([&] { store.setOrder(RecordStore::ortIndex); }, 1));
        nameRuns.push_back(medianMs([&] { store.setOrder(RecordStore::nameIndex); }, 1));
    }
    const bool keptCurrent = store.currentKey() == kept;
    store.setOrder(QString());
    store.first();
    const double storeMoves = medianMs([&] {
        store.first();
        for (int i = 0; i < 1000; ++i)
            store.next();
    });
    store.goToKey(500);
    const double storePost = medianMs([&] {
        store.setFieldValue(u"A_Name"_qs, u"Store %1"_qs.arg(++flip));   // takes the record's lock
        store.post();                                                    // version check, notice, release
    });

    // --- a save seen at another desk ----------------------------------------------------
    ServerConnection otherServer(address, u"Arbeitsplatz 2"_qs);
    if (!otherServer.open())
        return 1;
    RecordStore other;
    other.open(&otherServer);
    other.goToKey(500);
    bool seen = false;
    QObject::connect(&other, &TableStore::currentReloaded, [&seen] { seen = true; });
    std::vector<double> seenTimes;
    for (int i = 0; i < kSeenRuns; ++i) {
        seen = false;
        QElapsedTimer t;
        t.start();
        store.setFieldValue(u"A_Name"_qs, u"Gesehen %1"_qs.arg(i));
        store.post();
        while (!seen && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        seenTimes.push_back(seen ? double(t.nsecsElapsed()) / 1e6 : 5000.0);
    }
    const bool sameValue = other.current().text(u"A_Name"_qs) == store.current().text(u"A_Name"_qs);

    std::printf("\nrecord store on the office server, %d records (median of %d runs, milliseconds)\n", store.rowCount(),
                kRepeats);
    std::printf("%-46s %10s %10s %7s\n", "work", "store", "plain SQL", "ratio");
    row("open table and show the first record", storeOpen, plainOpen);
    row("switch to \"ortindex\" (current record kept)", medianOf(ortRuns), plainOrt);
    row("switch to \"nameindex\" (current record kept)", medianOf(nameRuns), plainName);
    row("1000 moves with \"next\"", storeMoves, plainMoves.front());
    row("post one changed record (lock, version, notice)", storePost, plainPost);
    std::printf("\none move: %.3f ms; current record kept across order switches: %s\n", storeMoves / 1000.0,
                keptCurrent ? "yes" : "NO");
    std::printf("save at one desk shown at another: median %.2f ms, slowest %.2f ms of %d (same value: %s)\n",
                medianOf(seenTimes), *std::max_element(seenTimes.begin(), seenTimes.end()), kSeenRuns,
                sameValue ? "yes" : "NO");
    store.close();
    other.close();
    return 0;
}
