#include "protocolcommand.h"

#include "commands.h"
#include "fileerror.h"
#include "programprotocols.h"
#include "programsettings.h"
#include "recordstore.h"
#include "serverconnection.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

namespace {

constexpr int kExitFailed = 1;

struct Options {
    int lfd = 0;
    bool all = false;
    QString pdf;
    QString folder;
    QString dataDir = u"daten"_qs;
    QString server;   // the office server's URI instead of the data folder
    bool dataDirGiven = false;
};

// Reads the options; a message in `error` when they do not make one request.
bool parseOptions(const QStringList &args, Options &o, QString &error)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&](QString &into) {
            if (i + 1 >= args.size()) {
                error = u"Nach %1 fehlt der Wert."_qs.arg(a);
                return false;
            }
            into = args[++i];
            return true;
        };
        QString v;
        if (a == u"--lfd"_qs) {
            if (!value(v))
                return false;
            bool ok = false;
            o.lfd = v.toInt(&ok);
            if (!ok || o.lfd <= 0) {
                error = u"\"%1\" ist keine gültige laufende Nummer."_qs.arg(v);
                return false;
            }
        } else if (a == u"--pdf"_qs) {
            if (!value(o.pdf))
                return false;
        } else if (a == u"--ordner"_qs) {
            if (!value(o.folder))
                return false;
        } else if (a == u"--daten"_qs) {
            if (!value(o.dataDir))
                return false;
            o.dataDirGiven = true;
        } else if (a == u"--server"_qs) {
            if (!value(o.server))
                return false;
        } else if (a == u"--alle"_qs) {
            o.all = true;
        } else {
            error = u"Unbekannte Option \"%1\"."_qs.arg(a);
            return false;
        }
    }
    if (o.dataDirGiven && !o.server.isEmpty()) {
        error = u"Entweder --daten oder --server angeben, nicht beides."_qs;
        return false;
    }
    const bool one = o.lfd > 0 && !o.pdf.isEmpty() && !o.all && o.folder.isEmpty();
    const bool every = o.all && !o.folder.isEmpty() && o.lfd == 0 && o.pdf.isEmpty();
    if (!one && !every) {
        error = u"Entweder --lfd N --pdf DATEI oder --alle --ordner VERZEICHNIS angeben."_qs;
        return false;
    }
    return true;
}

} // namespace

const char *protocolCommandHelp()
{
    return "Schreibt das Protokoll gespeicherter Datensätze als PDF, ohne Programmfenster.\n"
           "  protokoll --lfd N --pdf DATEI           das Protokoll des Datensatzes N\n"
           "  protokoll --alle --ordner VERZEICHNIS   je Datensatz eine Datei protokoll-N.pdf\n"
           "  --daten VERZEICHNIS                     Datenverzeichnis (sonst ./daten)\n"
           "  --server URI                            die Tabellen des Datenbankservers im Büro-Betrieb\n"
           "                                          (z. B. postgresql://buero@server.local/ofenring)\n"
           "  Datensätze im Luftverbund werden nur berechnet gedruckt.";
}

int runProtocolCommand(int argc, char **argv)
{
    // Laying out text needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    auto fail = [&](int code, const QString &message) {
        err << "ofenring-cli protokoll: " << message << "\n";
        return code;
    };

    Options o;
    QString error;
    if (!parseOptions(app.arguments().mid(2), o, error))
        return fail(kExitBadInput, error);

    std::unique_ptr<ServerConnection> server;   // outlives the store that uses it
    RecordStore store;
    if (!o.server.isEmpty()) {
        // The protocols only read: no record is locked, nothing is written.
        ServerAddress address;
        if (!ServerAddress::parse(o.server, &address, &error))
            return fail(kExitBadInput, error);
        server = std::make_unique<ServerConnection>(address, settings::deskName());
        if (!server->open())
            return fail(kExitFailed, server->errorString());
        if (!store.open(server.get()))
            return fail(kExitFailed, store.errorString());
    } else {
        const QString table = QDir(o.dataDir).filePath(u"kq.db"_qs);
        if (!QFileInfo::exists(table))
            return fail(kExitFailed, u"Die Tabelle %1 gibt es nicht."_qs.arg(table));
        if (!store.open(o.dataDir))
            return fail(kExitFailed, store.errorString());
    }

    // The letterhead from the settings file and the sketches through the
    // sketch module, as the program prints them.
    const report::StandaloneProtocols program;
    if (program.sketchModuleLoad() == SketchModule::LoadResult::NotLoadable)
        err << "ofenring-cli protokoll: " << QString::fromLatin1(SketchModule::message).trimmed() << "\n";
    const report::Protocols &protocols = program.protocols();

    auto write = [&](int key, const QString &path) -> bool {
        const Record &r = store.current();
        if (!report::Protocols::mayPrint(r)) {
            fail(kExitFailed, u"Datensatz %1: %2"_qs.arg(key).arg(report::Protocols::notCalculatedMessage()));
            return false;
        }
        const std::vector<report::Page> pages = protocols.layOut(r, report::kPreviewSketchScale);
        QString why;
        if (!report::writePdf(pages, path, protocols.pdfInfo(r), &why)) {
            fail(kExitFailed, why);
            return false;
        }
        out << path << "\n";
        return true;
    };

    if (!o.all) {
        if (store.rowOfKey(o.lfd) < 0 || !store.goToKey(o.lfd))
            return fail(kExitFailed, u"Den Datensatz %1 gibt es nicht."_qs.arg(o.lfd));
        return write(o.lfd, o.pdf) ? 0 : kExitFailed;
    }

    if (QString why; !fileerror::makeFolders(o.folder, &why))
        return fail(kExitFailed, u"Das Verzeichnis %1 kann nicht angelegt werden: %2"_qs.arg(o.folder, why));
    bool allWritten = true;
    const QVector<int> keys = store.keys();
    for (int key : keys) {
        if (!store.goToKey(key)) {
            allWritten = false;
            continue;
        }
        const QString path = QDir(o.folder).filePath(u"protokoll-%1.pdf"_qs.arg(key));
        allWritten = write(key, path) && allWritten;
    }
    return allWritten ? 0 : kExitFailed;
}
