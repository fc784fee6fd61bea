// Ofenring: start-up, single instance and shutdown of the desktop program.

#include "mainwindow.h"
#include "serverconnection.h"
#include "singleinstance.h"
#include "startup.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    startup::setDesktopIdentity();

    // Only one copy works on the data directory.  A second start asks the
    // running copy to show its window and ends without a word, before any
    // window or table of its own exists; a lock it cannot settle is explained.
    SingleInstance guard;
    if (const int status = startup::claimSingleInstance(guard); status >= 0)
        return status;

    startup::useGerman(app);
    startup::warnAboutUnreadableSettings();

    // In office mode the tables are on the office's database server; the
    // connection stands before any window opens.
    std::unique_ptr<ServerConnection> server;
    if (!startup::connectToOfficeServer(server))
        return 1;

    // Tables of the old format in ./daten are taken over first, after one
    // question; without them the program does not start.
    if (!server && !startup::takeOverOldTables())
        return 1;

    // The main window creates its dialogs hidden and opens the four tables of
    // ./daten (or of the server); the first record of kq.db becomes current.
    TForm1 mainWindow(server.get());
    if (!mainWindow.tablesOpen())
        return 1;   // the reason has been shown
    startup::raiseOnSecondStart(guard, mainWindow);
    QObject::connect(&mainWindow, &TForm1::shutdownFinished, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // Settings, text lists and the first page state are loaded as it first shows.
    mainWindow.show();
    // At the first start the office's name for the letterhead is asked once.
    mainWindow.askOfficeNameOnce();
    // The first start of a day backs the tables up, once the window stands.
    QTimer::singleShot(0, &mainWindow, &TForm1::dailyBackup);
    return app.exec();
}
