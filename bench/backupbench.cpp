// Figures of a backup of the data folder on a generated kq.db: the backup
// (copy and integrity check of every table), listing the backups, and a
// restore (which backs today's data up first).
//
//   ofenring-backupbench [records] [directory]
//
// records defaults to 100000; the goal is a backup under 2 s.
#include "backup.h"
#include "catalogstore.h"
#include "generatedrecords.h"
#include "recordstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

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
        for (CatalogStore::Kind kind : {CatalogStore::Owners, CatalogStore::Places, CatalogStore::Remarks}) {
            CatalogStore catalog(kind);
            if (!catalog.open(dataDir))
                return 1;
        }
        QElapsedTimer t;
        t.start();
        if (!generateInstallationRecords(file, count))
            return 1;
        std::printf("generated %d records in %.0f ms\n", count, double(t.elapsed()));
    }
    std::printf("kq.db: %.1f MB\n", double(QFileInfo(file).size()) / 1e6);

    Backup backup(dataDir);
    // The table is open in the program while it is backed up.
    RecordStore open;
    open.open(dataDir);

    QElapsedTimer t;
    t.start();
    const std::optional<Backup::Info> made = backup.make(Backup::Reason::OnDemand);
    const double makeMs = double(t.nsecsElapsed()) / 1e6;
    if (!made) {
        std::printf("%s\n", qPrintable(backup.errorString()));
        return 1;
    }
    std::printf("backup of %d records          %10.1f ms   (goal: under 2000 ms)\n", made->installationRecords(), makeMs);

    t.restart();
    const QList<Backup::Info> listed = backup.list();
    std::printf("listing %lld backups              %10.1f ms\n", qlonglong(listed.size()), double(t.nsecsElapsed()) / 1e6);

    open.close();
    t.restart();
    if (!backup.restore(*made)) {
        std::printf("%s\n", qPrintable(backup.errorString()));
        return 1;
    }
    std::printf("restore (with backup first)      %10.1f ms\n", double(t.nsecsElapsed()) / 1e6);
    return 0;
}
