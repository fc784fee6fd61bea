// Figures of the record store on a generated kq.db, each next to the same work
// done with plain SQL on the same file.
//
//   ofenring-storebench [records] [directory]
//
// records defaults to 100000; the table is generated in a temporary directory
// unless one is given (an existing kq.db there is reused).
#include "generatedrecords.h"
#include "recordstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRepeats = 5;

// Median wall time of a piece of work, in milliseconds.
double medianMs(const std::function<void()> &work, int repeats = kRepeats)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void row(const char *what, double store, double plain)
{
    std::printf("%-44s %10.3f %10.3f %7.2f\n", what, store, plain, plain > 0 ? store / plain : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int count = args.size() > 1 ? args[1].toInt() : 100000;
    QTemporaryDir temp;
    const QString dir = args.size() > 2 ? args[2] : temp.path();
    const QString dataDir = QDir(dir).filePath(u"daten"_qs);
    const QString file = QDir(dataDir).filePath(u"kq.db"_qs);

    if (!QFile::exists(file)) {
        RecordStore creator;
        if (!creator.open(dataDir))
            return 1;
        creator.close();
        QElapsedTimer t;
        t.start();
        if (!generateInstallationRecords(file, count))
            return 1;
        std::printf("generated %d records in %.0f ms\n", count, double(t.elapsed()));
    }

    // --- plain SQL on the same file ---------------------------------------------
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"plain"_qs);
    db.setDatabaseName(file);
    int firstKey = 0;
    auto keyScan = [&](const QString &orderBy) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(u"SELECT rowid FROM kq ORDER BY "_qs + orderBy);
        std::vector<int> keys;
        while (q.next())
            keys.push_back(q.value(0).toInt());
        firstKey = keys.empty() ? 0 : keys.front();
        return keys.size();
    };
    auto readOne = [&](QSqlQuery &q, int key) {
        q.bindValue(0, key);
        q.exec();
        q.next();
        const QVariant v = q.value(1);
        q.finish();
        return v;
    };

    const double plainOpen = medianMs([&] {
        db.close();
        db.open();
        keyScan(u"rowid"_qs);
        QSqlQuery q(db);
        q.prepare(u"SELECT * FROM kq WHERE rowid = ?"_qs);
        readOne(q, firstKey);
    });
    const double plainOrt = medianMs([&] { keyScan(u"a_plz, a_ort, a_strasse, a_gebteil, e_name, rowid"_qs); });
    const double plainName = medianMs([&] { keyScan(u"e_name, e_ort, e_strasse, rowid"_qs); });
    QSqlQuery readRow(db);
    readRow.prepare(u"SELECT * FROM kq WHERE rowid = ?"_qs);
    const double plainMoves = medianMs([&] {
        for (int k = 1; k <= 1000; ++k)
            readOne(readRow, k);
    });
    int flip = 0;
    const double plainPost = medianMs([&] {
        db.transaction();
        QSqlQuery q(db);
        q.prepare(u"UPDATE kq SET A_Name = ? WHERE rowid = ?"_qs);
        q.addBindValue(u"Plain %1"_qs.arg(++flip));
        q.addBindValue(500);
        q.exec();
        db.commit();
    });
    readRow = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"plain"_qs);

    // --- the record store ----------------------------------------------------------
    RecordStore store;
    store.setConfirmChanges(false);
    const double storeOpen = medianMs([&] {
        store.close();
        store.open(dataDir);
        (void)store.current().text(u"A_Name"_qs);
    });
    store.goToRow(store.rowCount() / 2);
    const int kept = store.currentKey();
    // Alternating, so that every run is a real switch.
    double storeOrtRuns[kRepeats];
    double storeNameRuns[kRepeats];
    for (int i = 0; i < kRepeats; ++i) {
        storeOrtRuns[i] = medianMs([&] { store.setOrder(RecordStore::ortIndex); }, 1);
        storeNameRuns[i] = medianMs([&] { store.setOrder(RecordStore::nameIndex); }, 1);
    }
    std::sort(storeOrtRuns, storeOrtRuns + kRepeats);
    std::sort(storeNameRuns, storeNameRuns + kRepeats);
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
        store.setFieldValue(u"A_Name"_qs, u"Store %1"_qs.arg(++flip));
        store.post();
    });

    std::printf("\nrecord store on %d records (median of %d runs, milliseconds)\n", store.rowCount(), kRepeats);
    std::printf("%-44s %10s %10s %7s\n", "work", "store", "plain SQL", "ratio");
    row("open table and show the first record", storeOpen, plainOpen);
    row("switch to \"ortindex\" (current record kept)", storeOrtRuns[kRepeats / 2], plainOrt);
    row("switch to \"nameindex\" (current record kept)", storeNameRuns[kRepeats / 2], plainName);
    row("1000 moves with \"next\"", storeMoves, plainMoves);
    row("post one changed record", storePost, plainPost);
    std::printf("\none move: %.3f ms; current record kept across order switches: %s\n", storeMoves / 1000.0,
                keptCurrent ? "yes" : "NO");
    return 0;
}
