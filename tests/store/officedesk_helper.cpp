// Helper of the office-mode tests: a desk that opens the records on the
// server given as first argument, starts editing the record whose Lfd is the
// second, reports "gesperrt" and then waits to be killed.
#include "recordstore.h"
#include "serverconnection.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    ServerAddress address;
    if (args.size() < 3 || !ServerAddress::parse(args[1], &address))
        return 1;
    ServerConnection server(address, u"Meisterbüro"_qs);
    if (!server.open())
        return 2;
    RecordStore store;
    if (!store.open(&server) || !store.goToKey(args[2].toInt()) || !store.setFieldValue(u"A_Name"_qs, u"im Helfer"_qs))
        return 3;
    std::printf("gesperrt\n");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(60);
}
