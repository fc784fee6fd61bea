// A stand-in for a second (or a crashing, or a hanging first) start of the
// program, used by test_singleinstance.
//
//   singleinstance_helper second DIR  - start as the program does: take the
//                                        lock, or ask the copy that holds it
//                                        for its window (0: it answered,
//                                        3: this copy got the lock, 4: blocked,
//                                        the German message on standard error)
//   singleinstance_helper hold DIR    - take the lock, print "primary", then
//                                        run until killed
//   singleinstance_helper hang DIR    - the same, but never answer a second
//                                        start (a copy that hangs)
#include "singleinstance.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    SingleInstance guard(u"KQmutex"_qs, args.at(2));

    if (args.at(1) == u"second"_qs) {
        switch (guard.claim(1000)) {
        case SingleInstance::Claim::Primary:
            return 3;
        case SingleInstance::Claim::Raised:
            return 0;
        case SingleInstance::Claim::Blocked:
            std::fputs(guard.blockedMessage().toUtf8().constData(), stderr);
            return 4;
        }
    }

    if (args.at(1) == u"hold"_qs || args.at(1) == u"hang"_qs) {
        if (!guard.tryBecomePrimary())
            return 3;
        std::puts("primary");
        std::fflush(stdout);
        if (args.at(1) == u"hang"_qs) {
            while (true)
                QThread::sleep(1000);
        }
        return app.exec();
    }
    return 2;
}
