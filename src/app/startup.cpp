#include "startup.h"

#include "datenbankdlg.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "pgpass.h"
#include "programsettings.h"
#include "serverconnection.h"
#include "programicon.h"
#include "settingsfile.h"
#include "singleinstance.h"
#include "takeover.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QProgressDialog>
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

void warnAboutUnreadableSettings()
{
    SettingsFile::setWarningHandler([](const QString &text) { MessageBox::instance().tell(PromptKind::Warning, text); });
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

bool takeOverOldTables(const QString &dataDir)
{
    TakeOver interrupted(dataDir, dataDir);
    switch (interrupted.resume()) {
    case TakeOver::Resumed::Completed:
        MessageBox::information(u"Eine unterbrochene Übernahme der alten Tabellen wurde abgeschlossen.\n\n"_qs
                                + interrupted.report().text(dataDir));
        break;
    case TakeOver::Resumed::Failed:
        MessageBox::error(interrupted.errorString());
        return false;
    case TakeOver::Resumed::Nothing:
    case TakeOver::Resumed::Restarted:
        break;
    }

    const QStringList old = TakeOver::oldTables(dataDir);
    if (old.isEmpty())
        return true;
    TakeOver takeOver(dataDir, dataDir);
    if (!takeOver.check()) {
        MessageBox::error(takeOver.errorString());
        return false;
    }
    const QString folder = QDir::toNativeSeparators(dataDir);
    const QString question =
        u"Im Datenordner \"%1\" liegen Tabellen im alten Paradox-Format: %2.\n\n"
        "Sollen sie jetzt übernommen werden? Die alten Dateien werden dabei unverändert in den Ordner \"%3\" gelegt.\n\n"
        "Ohne Übernahme startet das Programm nicht; die Dateien bleiben dann, wie sie sind."_qs
            .arg(folder, old.join(u", "_qs), QDir::toNativeSeparators(QDir(dataDir).filePath(takeOver.backupFolder())));
    if (MessageBox::question(question, PromptButton::Yes | PromptButton::No, PromptButton::Yes) != PromptButton::Yes)
        return false;

    QProgressDialog progress(u"Die alten Tabellen werden übernommen …"_qs, QString(), 0, 0);
    progress.setWindowTitle(QCoreApplication::applicationName());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setCancelButton(nullptr);
    progress.setMinimumDuration(500);
    takeOver.setProgress([&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(qMin(done, total));
    });
    const bool ok = takeOver.run();
    progress.close();
    if (!ok) {
        MessageBox::error(takeOver.errorString());
        return false;
    }
    MessageBox::information(takeOver.report().text(dataDir));
    return true;
}

bool connectToOfficeServer(std::unique_ptr<ServerConnection> &server)
{
    server.reset();
    for (;;) {
        const QString uri = settings::databaseServer();
        if (uri.isEmpty())
            return true;   // the local tables
        ServerAddress address;
        QString error;
        bool connected = false;
        bool remember = false;
        if (ServerAddress::parse(uri, &address, &error)) {
            auto connection = std::make_unique<ServerConnection>(address, settings::deskName());
            QString reason;
            // A password is asked as long as the server wants one and the user gives one.
            for (;;) {
                if (connection->open()) {
                    connected = true;
                    break;
                }
                if (!connection->needsPassword())
                    break;
                Tpasswortdlg ask(address, connection->errorString());
                if (ask.exec() != QDialog::Accepted)
                    return false;
                address.password = ask.password();
                remember = ask.remember();
                connection->setPassword(address.password);
            }
            if (connected) {
                if (remember && !pgpass::store(address, address.password, &error))
                    MessageBox::error(error);
                server = std::move(connection);
                return true;
            }
            error = connection->errorString();
        }
        const PromptButton answer = MessageBox::question(
            error + u"\n\n\"Ja\" versucht es noch einmal, \"Nein\" öffnet die Einstellungen der Datenbank, "
                    "\"Abbrechen\" beendet das Programm."_qs,
            PromptButton::Yes | PromptButton::No | PromptButton::Cancel, PromptButton::Yes);
        if (answer == PromptButton::Cancel)
            return false;
        if (answer == PromptButton::No) {
            Tdatenbankdlg settingsDialog;
            settingsDialog.showSettings();
            if (settingsDialog.exec() != QDialog::Accepted)
                return false;
        }
    }
}

} // namespace startup
