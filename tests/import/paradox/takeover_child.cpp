// Runs one take-over in a process of its own, so that a test can kill it at a
// named step or run it as another user:
//
//   takeover_child SOURCE TARGET [STEP]
//
// Prints every step it passes, one per line; at STEP it prints "HALT" and
// waits to be killed.  Ends with "FERTIG" and status 0, or with the German
// message and status 1.
#include "takeover.h"

#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    QTextStream out(stdout);
    const QString stop = args.value(3);
    TakeOver t(args[1], args[2]);
    t.setStepHook([&](const QString &step) {
        out << step << Qt::endl;
        if (step == stop) {
            out << "HALT" << Qt::endl;
            for (;;)
                pause();
        }
    });
    if (!t.run()) {
        out << t.errorString() << Qt::endl;
        return 1;
    }
    out << "FERTIG" << Qt::endl;
    return 0;
}
