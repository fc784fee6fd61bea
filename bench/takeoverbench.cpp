// Time of the take-over of an old installation table in Paradox format.
//
//   ofenring-takeoverbench [records] [directory]
//
// records defaults to 100000.  The old table (with a remark and a sketch in
// its memo file for every record) is written with pxlib into a temporary
// directory unless one is given, then taken over in place; the figures are
// the time per 1,000 records of reading the old table alone and of the whole
// take-over.
#include "paradoxtable.h"
#include "paradoxwriter.h"
#include "recordschema.h"
#include "takeover.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool writeOldTable(const QString &path, int count)
{
    const RecordSchema &schema = RecordSchema::installation();
    ParadoxWriter w(path, ParadoxWriter::columnsFor(schema));
    if (!w.open())
        return false;
    static const char *const towns[] = {"Stuttgart", "Esslingen", "Ulm", "Aalen", "Reutlingen", "Tübingen"};
    static const char *const names[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wägner"};
    quint32 seed = 12345;
    auto rnd = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % quint32(n));
    };
    QVariantList values(schema.count());
    auto set = [&](const char *field, const QVariant &v) { values[schema.indexOf(QString::fromLatin1(field))] = v; };
    for (int i = 0; i < count; ++i) {
        for (QVariant &v : values)
            v = QVariant();
        const QString town = QString::fromUtf8(towns[rnd(6)]);
        set("Lfd", i + 1);
        set("A_Name", u"Anlage %1"_qs.arg(i));
        set("A_strasse", u"Hauptstraße %1"_qs.arg(rnd(200)));
        set("A_Plz", QString::number(70000 + rnd(20000)));
        set("A_Ort", town);
        set("E_Name", QString::fromUtf8(names[rnd(7)]) + QString::number(rnd(5000)));
        set("E_ort", town);
        set("RA", u"Küche"_qs);
        set("RAV", 20.0 + rnd(100) / 4.0);
        set("RAN", 8.0 + rnd(20));
        set("RATOF", rnd(2) == 1);
        set("R1V", 15.0 + rnd(50));
        set("R1oeff", rnd(8));
        set("Modus", 0);
        set("Gerechnet", true);
        set("Bemerkung", u"{\\rtf1\\ansi\\ansicpg1252 Bemerkung zur Anlage %1: Zuluft\\'f6ffnung frei, Abgasweg gepr\\'fcft.\\par }"_qs.arg(i));
        set("Skizze", u"LINIE 0 0 %1 0\r\nTEXT 5 5 Küche\r\n"_qs.arg(rnd(300)));
        if (!w.add(values))
            return false;
    }
    return w.close();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir tmp;
    const QString dir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.filePath(u"daten"_qs);
    QDir().mkpath(dir);
    const QString table = QDir(dir).filePath(u"kq.db"_qs);

    QElapsedTimer t;
    t.start();
    if (!writeOldTable(table, count)) {
        std::fprintf(stderr, "the old table could not be written\n");
        return 1;
    }
    std::printf("old table of %d records written with pxlib in %.0f ms (%.1f MB)\n", count, double(t.elapsed()),
                double(QFileInfo(table).size() + QFileInfo(QDir(dir).filePath(u"kq.MB"_qs)).size()) / 1e6);

    t.restart();
    ParadoxTable reader(table);
    QVector<ParadoxValue> values;
    int read = 0;
    if (reader.open())
        while (reader.next(values))
            ++read;
    const double readMs = double(t.nsecsElapsed()) / 1e6;
    if (read != count) {
        std::fprintf(stderr, "%s\n", qPrintable(reader.errorString()));
        return 1;
    }

    t.restart();
    TakeOver takeOver(dir, dir);
    if (!takeOver.run()) {
        std::fprintf(stderr, "%s\n", qPrintable(takeOver.errorString()));
        return 1;
    }
    const double takeOverMs = double(t.nsecsElapsed()) / 1e6;
    std::printf("\n%-52s %10s %14s\n", "work", "total ms", "ms per 1,000");
    std::printf("%-52s %10.0f %14.1f\n", "reading the old table (helper process, stream)", readMs, readMs * 1000.0 / count);
    std::printf("%-52s %10.0f %14.1f\n", "whole take-over (read, memos, new table, put in place)", takeOverMs,
                takeOverMs * 1000.0 / count);
    return 0;
}
