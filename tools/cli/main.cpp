// ofenring-cli: the calculation rules of Ofenring without windows.  Each
// subcommand reads one JSON object from standard input and prints one JSON
// object on standard output.

#include "commands.h"
#include "fieldlimits.h"
#include "fileerror.h"
#include "jsonrecord.h"
#include "protocolcommand.h"
#include "settingsfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

void printHelp(QTextStream &out)
{
    out << "Aufruf: ofenring-cli BEFEHL < eingabe.json\n\n"
           "Berechnungen von Ofenring ohne Programmfenster. Jeder Befehl liest ein JSON-Objekt von der\n"
           "Standardeingabe und schreibt ein JSON-Objekt auf die Standardausgabe. Schlüssel sind die\n"
           "Feldnamen des Datensatzes; Zahlen als JSON-Zahlen, Ja/Nein-Felder als true/false, Texte als\n"
           "Zeichenketten. Die Eingabe muss JSON nach RFC 8259 sein (also 0.5 statt .5, keine\n"
           "Steuerzeichen in Zeichenketten). Bei fehlerhafter Eingabe erscheint eine Meldung auf der\n"
           "Fehlerausgabe und das Programm endet mit Status 2; lässt sich die Ausgabe nicht schreiben\n"
           "(z. B. Datenträger voll), endet es mit Status 3.\n\n"
        << fieldLimitsHelp() << "\nBefehle:\n";
    for (const CliCommand &c : cliCommands())
        out << "\n" << c.name << "\n  " << c.help << "\n";
    out << "\nprotokoll\n  " << protocolCommandHelp() << "\n";
    out << "\nOptionen:\n  --help    diese Hilfe anzeigen\n";
}

// Standard output could not be written: said in German, from the error number.
void reportOutputFailure(int error)
{
    QTextStream err(stderr);
    err << "Die Ausgabe kann nicht geschrieben werden"
        << (error != 0 ? u": "_qs + fileerror::sentence(error) : u"."_qs) << "\n";
}

// Writes everything to standard output and makes sure it arrived; a full
// disk or a closed pipe is said in German instead of going unnoticed.
bool writeOutput(const QByteArray &bytes, QTextStream &err)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
                         && std::fflush(stdout) == 0;
    if (written)
        return true;
    const int error = errno;
    err.flush();
    reportOutputFailure(error);
    return false;
}

// What reached standard output through other streams (the protocol command
// prints the files it wrote) must have arrived too.
bool outputArrived()
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return true;
    int error = errno;
    if (error == 0) {
        // The write failed earlier, inside the stream that made it, and its
        // error number is gone; the output is incomplete anyway, so one more
        // line end asks the medium why.
        error = ::write(STDOUT_FILENO, "\n", 1) < 0 ? errno : 0;
    }
    reportOutputFailure(error);
    return false;
}

// Qt's own notes ("QStandardPaths: XDG_RUNTIME_DIR not set …" from a start by
// cron, font notes of the platform plugin) are not for the companion's
// users: standard error carries its German messages only.
void quietQtMessages(QtMsgType, const QMessageLogContext &, const QString &)
{
}

void warnOnStandardError(const QString &text)
{
    QTextStream err(stderr);
    err << "ofenring-cli: " << text << "\n";
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietQtMessages);
    SettingsFile::setWarningHandler(warnOnStandardError);
    // The protocol command takes options instead of JSON and needs fonts.
    if (argc >= 2 && qstrcmp(argv[1], "protokoll") == 0) {
        std::signal(SIGPIPE, SIG_IGN);
        const int status = runProtocolCommand(argc, argv);
        return outputArrived() ? status : kExitOutputFailed;
    }
    QCoreApplication app(argc, argv);
    // A reader that went away is reported as a failed write, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    if (args.isEmpty() || args.first() == u"--help"_qs || args.first() == u"-h"_qs || args.first() == u"hilfe"_qs) {
        QString help;
        QTextStream out(&help);
        printHelp(out);
        out.flush();
        if (!writeOutput(help.toUtf8(), err))
            return kExitOutputFailed;
        return args.isEmpty() ? 1 : 0;
    }
    for (const CliCommand &c : cliCommands()) {
        if (c.name != args.first())
            continue;
        CliResult r;
        if (c.runArgs) {
            r = c.runArgs(args.mid(1));
        } else {
            QFile in;
            if (!in.open(stdin, QIODevice::ReadOnly)) {
                err << "Die Standardeingabe kann nicht gelesen werden.\n";
                return kExitBadInput;
            }
            r = c.run(in.readAll());
        }
        if (!r.error.isEmpty())
            err << "ofenring-cli " << c.name << ": " << r.error << "\n";
        err.flush();
        if (!writeOutput(r.out, err))
            return kExitOutputFailed;
        return r.exitCode;
    }
    err << "Unbekannter Befehl " << shownName(args.first()) << ". Mit --help werden alle Befehle aufgelistet.\n";
    return kExitBadInput;
}
