#include "generatedrecords.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

bool generateInstallationRecords(const QString &file, int count)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"generate"_qs);
        db.setDatabaseName(file);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        ok = ok && q.prepare(u"INSERT INTO kq (A_Name, A_strasse, A_gebteil, A_Plz, A_Ort, E_Name, E_ort, E_strasse, "
                             "RA, RAV, RAN, RATOF, R1V, R1N, Modus, Gerechnet, Bemerkung) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"_qs);
        static const char *const towns[] = {"Stuttgart", "Esslingen", "Ulm", "Aalen", "Reutlingen", "Tübingen"};
        static const char *const names[] = {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Meyer", "Wagner"};
        quint32 seed = 12345;
        auto rnd = [&seed](int n) {
            seed = seed * 1103515245u + 12345u;
            return int((seed >> 8) % quint32(n));
        };
        for (int i = 0; ok && i < count; ++i) {
            const QString town = QString::fromUtf8(towns[rnd(6)]);
            const QString name = QString::fromUtf8(names[rnd(7)]) + QString::number(rnd(5000));
            q.addBindValue(u"Anlage %1"_qs.arg(i));
            q.addBindValue(u"Hauptstraße %1"_qs.arg(rnd(200)));
            q.addBindValue(rnd(3) == 0 ? u"Hinterhaus"_qs : QString());
            q.addBindValue(QString::number(70000 + rnd(20000)));
            q.addBindValue(town);
            q.addBindValue(name);
            q.addBindValue(town);
            q.addBindValue(u"Weg %1"_qs.arg(rnd(100)));
            q.addBindValue(u"Küche"_qs);
            q.addBindValue(20.0 + rnd(100));
            q.addBindValue(8.0 + rnd(20));
            q.addBindValue(rnd(2));
            q.addBindValue(15.0 + rnd(50));
            q.addBindValue(0.0);
            q.addBindValue(0);
            q.addBindValue(1);
            q.addBindValue(u"Bemerkung zur Anlage %1"_qs.arg(i));
            ok = q.exec();
        }
        if (!ok)
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        q.finish();
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"generate"_qs);
    return ok;
}
