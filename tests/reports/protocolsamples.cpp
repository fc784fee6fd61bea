// Writes the example protocols as PDF files and, on request, a data directory
// holding the example records; used for the screenshots in docs/screenshots.
// The examples carry remarks written in a word processor (the files in rtf/)
// and a sketch, drawn through the program's own sketch module.
//
//   protocol_samples AUSGABEVERZEICHNIS [--daten VERZEICHNIS]

#include "programprotocols.h"
#include "protocolfixtures.h"
#include "recordstore.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "Aufruf: protocol_samples AUSGABEVERZEICHNIS [--daten VERZEICHNIS]\n");
        return 2;
    }
    QDir().mkpath(args[0]);
    const PrintSettings settings = fixtures::printSettings();
    SketchModule module;
    if (module.load(QStringLiteral(SKETCH_MODULE_DIR), {}) != SketchModule::LoadResult::Loaded)
        std::fprintf(stderr, "Das Zeichnungsmodul fehlt.\n");
    const auto program = report::programProtocols([&settings]() -> const PrintSettings & { return settings; }, &module);
    const report::Protocols &protocols = *program;
    auto withRemarksAndSketch = [](Record r, const char *remarks) {
        QFile f(QStringLiteral(RTF_FIXTURES) + u'/' + QString::fromLatin1(remarks));
        if (f.open(QIODevice::ReadOnly))
            r.setText(u"Bemerkung"_qs, QString::fromLatin1(f.readAll()));
        r.setText(u"Skizze"_qs, u"OFENRING-SKIZZE 1\nRAUM 40 60 240 260 \"Küche\"\nRAUM 240 60 440 260 \"Heizraum\"\n"
                                "TUER 300 260 332 260\nTUER 240 150 240 182\nFENSTER 100 60 180 60\nOEFFNUNG 380 60 396 60\n"
                                "GERAET 400 100 \"Gastherme\"\nSCHORNSTEIN 420 75\nTEXT 40 330 \"Erdgeschoss, Lindenstraße 12\"\n"
                                "MASS 40 40 440 40\nMASS 470 60 470 260"_qs);
        r.setBoolean(u"Skizzedrucken"_qs, true);
        return r;
    };
    const std::pair<const char *, Record> samples[] = {
        {"luftverbund.pdf", withRemarksAndSketch(fixtures::calculatedInterconnection(), "befund.rtf")},
        {"aufstellungsraum.pdf", withRemarksAndSketch(fixtures::calculatedInstallationRoom(), "befund.rtf")},
    };
    for (const auto &[name, record] : samples) {
        QString error;
        if (!report::writePdf(protocols.layOut(record, 2), QDir(args[0]).filePath(QString::fromLatin1(name)),
                              protocols.pdfInfo(record), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
    }
    const int data = int(args.indexOf(u"--daten"_qs));
    if (data > 0 && data + 1 < args.size()) {
        RecordStore store;
        store.setConfirmChanges(false);
        if (!store.open(args[data + 1]))
            return 1;
        for (const auto &[name, record] : samples) {
            store.insert();
            for (int i = 0; i < record.schema().count(); ++i) {
                const QString field = record.schema().field(i).name;
                if (field != u"Lfd"_qs && !record.isNull(i))
                    store.setFieldValue(field, record.value(i));
            }
            store.post();
        }
        store.close();
    }
    return 0;
}
