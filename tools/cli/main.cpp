// ofenring-cli: the calculation rules of Ofenring without windows.  Each
// subcommand reads one JSON object from standard input and prints one JSON
// object on standard output.

#include "commands.h"
#include "fieldlimits.h"
#include "jsonrecord.h"
#include "protocolcommand.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstdio>

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
    err << "Die Ausgabe kann nicht geschrieben werden"
        << (error == ENOSPC ? ": Der Datenträger ist voll."
            : error == EPIPE ? ": Der Empfänger hat die Verbindung geschlossen."
                             : ".")
        << "\n";
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    // The protocol command takes options instead of JSON and needs fonts.
    if (argc >= 2 && qstrcmp(argv[1], "protokoll") == 0)
        return runProtocolCommand(argc, argv);
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
