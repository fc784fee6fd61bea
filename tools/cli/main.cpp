// ofenring-cli: the calculation rules of Ofenring without windows.  Each
// subcommand reads one JSON object from standard input and prints one JSON
// object on standard output.

#include "commands.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

void printHelp(QTextStream &out)
{
    out << "Aufruf: ofenring-cli BEFEHL < eingabe.json\n\n"
           "Berechnungen von Ofenring ohne Programmfenster. Jeder Befehl liest ein JSON-Objekt von der\n"
           "Standardeingabe und schreibt ein JSON-Objekt auf die Standardausgabe. Schlüssel sind die\n"
           "Feldnamen des Datensatzes; Zahlen als JSON-Zahlen, Ja/Nein-Felder als true/false, Texte als\n"
           "Zeichenketten. Bei fehlerhafter Eingabe erscheint eine Meldung auf der Fehlerausgabe und das\n"
           "Programm endet mit Status 2.\n\nBefehle:\n";
    for (const CliCommand &c : cliCommands())
        out << "\n" << c.name << "\n  " << c.help << "\n";
    out << "\nOptionen:\n  --help    diese Hilfe anzeigen\n";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);

    if (args.isEmpty() || args.first() == u"--help"_qs || args.first() == u"-h"_qs || args.first() == u"hilfe"_qs) {
        printHelp(out);
        return args.isEmpty() ? 1 : 0;
    }
    for (const CliCommand &c : cliCommands()) {
        if (c.name != args.first())
            continue;
        CliResult r;
        if (c.runWithArguments) {
            r = c.runWithArguments(args.mid(1));
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
        out.flush();
        std::fwrite(r.out.constData(), 1, size_t(r.out.size()), stdout);
        return r.exitCode;
    }
    err << "Unbekannter Befehl \"" << args.first() << "\". Mit --help werden alle Befehle aufgelistet.\n";
    return kExitBadInput;
}
