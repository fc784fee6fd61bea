// Writes the example protocols as PDF files and, on request, a data directory
// holding the example records; used for the screenshots in docs/screenshots.
//
//   protocol_samples AUSGABEVERZEICHNIS [--daten VERZEICHNIS]

#include "protocolfixtures.h"
#include "protocols.h"
#include "recordstore.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

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
    const report::Protocols protocols([&settings]() -> const PrintSettings & { return settings; });
    const std::pair<const char *, Record> samples[] = {
        {"luftverbund.pdf", fixtures::calculatedInterconnection()},
        {"aufstellungsraum.pdf", fixtures::calculatedInstallationRoom()},
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
