// Ofenring: start-up, single instance and shutdown of the desktop program.

#include "mainwindow.h"
#include "singleinstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"Ofenring"_qs);
    QApplication::setApplicationDisplayName(u"Ofenring"_qs);
    QApplication::setOrganizationName(u"Ofenring"_qs);

    // Only one copy works on the data directory.  A second start asks the
    // running copy to show its window and ends without a word.
    SingleInstance guard;
    if (!guard.tryBecomePrimary()) {
        guard.notifyPrimary();
        return 0;
    }

    // German numbers everywhere, and German captions in Qt's own dialogs
    // (file, font and print dialogs, the context menus of the edit fields).
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German, QLocale::Germany), u"qtbase"_qs, u"_"_qs,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // The main window creates its dialogs hidden and opens the four tables of ./daten.
    TForm1 mainWindow;
    if (!mainWindow.tablesOpen())
        return 1;   // the reason has been shown
    QObject::connect(&guard, &SingleInstance::activationRequested, &mainWindow, &TForm1::bringToFront);
    QObject::connect(&mainWindow, &TForm1::shutdownFinished, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    mainWindow.show();
    return app.exec();
}
