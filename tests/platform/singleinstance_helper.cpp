// A stand-in for a second (or a crashing first) start of the program, used by
// test_singleinstance.
//
//   singleinstance_helper second DIR  - start as the program does: when another
//                                        copy holds the lock, ask it for its
//                                        window and end (0: it answered, 4: it
//                                        did not, 3: this copy got the lock)
//   singleinstance_helper hold DIR    - take the lock, print "primary", then
//                                        run until killed
#include "singleinstance.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    SingleInstance guard(u"KQmutex"_qs, args.at(2));

    if (args.at(1) == u"second"_qs) {
        if (guard.tryBecomePrimary())
            return 3;
        return guard.notifyPrimary() ? 0 : 4;
    }

    if (args.at(1) == u"hold"_qs) {
        if (!guard.tryBecomePrimary())
            return 3;
        std::puts("primary");
        std::fflush(stdout);
        return app.exec();
    }
    return 2;
}
