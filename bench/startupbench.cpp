// Time from process start to the first shown main window, for an empty kq.db
// and for a generated one.
//
//   ofenring-startupbench [records]
//
// records defaults to 100000.  Each run starts this program again as a child
// process that goes through the desktop program's start-up (single-instance
// check, German locale, main window with its dialogs and tables, show) and
// reports when the main window has painted for the first time; the time is
// taken in the parent from just before the process is started.  Runs on any
// Qt platform; without a display use QT_QPA_PLATFORM=offscreen.
#include "generatedrecords.h"
#include "mainwindow.h"
#include "recordstore.h"
#include "singleinstance.h"
#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 5;

// The child: the desktop program's start-up, then "shown" on the first paint.
int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Ofenring"_qs);
    SingleInstance guard;
    if (!guard.tryBecomePrimary())
        return 2;
    startup::useGerman(app);
    TForm1 w;
    if (!w.tablesOpen())
        return 1;
    struct FirstPaint : QObject {
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint) {
                std::printf("shown\n");
                std::fflush(stdout);
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                qApp->removeEventFilter(this);
            }
            return false;
        }
    } firstPaint;
    w.installEventFilter(&firstPaint);
    w.show();
    return app.exec();
}

double startOnce(const QString &program, const QString &workDir, const QProcessEnvironment &env)
{
    QProcess child;
    child.setProgram(program);
    child.setArguments({u"--child"_qs});
    child.setWorkingDirectory(workDir);
    child.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    child.start();
    double shownAt = -1;
    while (child.waitForReadyRead(60000)) {
        if (child.readAll().contains("shown")) {
            shownAt = double(t.nsecsElapsed()) / 1e6;
            break;
        }
    }
    child.waitForFinished(60000);
    return shownAt;
}

double medianStart(const QString &program, const QString &workDir, const QProcessEnvironment &env)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i)
        times.push_back(startOnce(program, workDir, env));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);

    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const QString program = QCoreApplication::applicationFilePath();

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_qs, home.path());
    env.insert(u"XDG_CONFIG_HOME"_qs, home.path() + u"/config"_qs);
    env.insert(u"XDG_RUNTIME_DIR"_qs, home.path());

    std::printf("%-40s %12s\n", "kq.db", "ms to window");
    for (int records : {0, count}) {
        QTemporaryDir work;
        const QString dataDir = QDir(work.path()).filePath(u"daten"_qs);
        {
            RecordStore creator;
            if (!creator.open(dataDir))
                return 1;
            creator.close();
        }
        if (records > 0 && !generateInstallationRecords(QDir(dataDir).filePath(u"kq.db"_qs), records))
            return 1;
        const double ms = medianStart(program, work.path(), env);
        std::printf("%-40s %12.0f\n", qPrintable(u"%1 Datensätze (Median aus %2 Starts)"_qs.arg(records).arg(kRuns)), ms);
    }
    return 0;
}
