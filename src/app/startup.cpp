#include "startup.h"

#include "mainwindow.h"
#include "messagebox.h"
#include "programicon.h"
#include "singleinstance.h"

#include <QApplication>
#include <QDebug>
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

int claimSingleInstance(SingleInstance &guard, int answerTimeoutMs)
{
    switch (guard.claim(answerTimeoutMs)) {
    case SingleInstance::Claim::Primary:
        return -1;
    case SingleInstance::Claim::Raised:
        return 0;
    case SingleInstance::Claim::Blocked:
        break;
    }
    // Also on standard error, for a start from a terminal or a script.
    qWarning().noquote() << guard.blockedMessage();
    MessageBox::error(guard.blockedMessage());
    return 1;
}

void raiseOnSecondStart(SingleInstance &guard, TForm1 &window)
{
    QObject::connect(&guard, &SingleInstance::activationRequested, &window, &TForm1::bringToFront);
}

} // namespace startup
