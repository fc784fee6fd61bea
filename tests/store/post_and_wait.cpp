// Helper of the record store test: opens ./daten/kq.db, saves one new record,
// reports "gespeichert" once post() has returned and then waits to be killed.
#include "recordstore.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    RecordStore store;
    if (!store.open())
        return 1;
    store.setConfirmChanges(false);
    if (!store.insert() || !store.setFieldValue(u"A_Name"_qs, app.arguments().value(1))
        || !store.setFieldText(u"RAV"_qs, u"42,5"_qs) || !store.post())
        return 2;
    std::printf("gespeichert\n");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
