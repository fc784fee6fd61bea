#include "startup.h"

#include "mainwindow.h"
#include "programicon.h"
#include "singleinstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace startup {

void setDesktopIdentity()
{
    QApplication::setApplicationName(u"Ofenring"_qs);
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(u"ofenring"_qs);
}

bool useGerman(QApplication &app)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    auto *translator = new QTranslator(&app);
    if (!translator->load(german, u"qtbase"_qs, u"_"_qs, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

void raiseOnSecondStart(SingleInstance &guard, TForm1 &window)
{
    QObject::connect(&guard, &SingleInstance::activationRequested, &window, &TForm1::bringToFront);
}

} // namespace startup
