// Figures of the printed protocols: one protocol laid out and written as PDF,
// and every record of a generated kq.db written as one PDF each.
//
//   ofenring-protocolbench [records]
//
// records defaults to 100.  Goal: one protocol in under 150 ms.
#include "generatedrecords.h"
#include "interconnectioncheck.h"
#include "pagepainter.h"
#include "protocols.h"
#include "recordstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int count = app.arguments().size() > 1 ? app.arguments()[1].toInt() : 100;

    QTemporaryDir temp;
    const QString dataDir = QDir(temp.path()).filePath(u"daten"_qs);
    {
        RecordStore creator;
        if (!creator.open(dataDir))
            return 1;
        creator.close();
    }
    if (!generateInstallationRecords(QDir(dataDir).filePath(u"kq.db"_qs), count))
        return 1;

    PrintSettings settings;
    settings.headerLine1 = u"Martin Russ"_qs;
    settings.headerLine2 = u", Bezirksschornsteinfegermeister, Hauptstraße 7, 73728 Esslingen"_qs;
    settings.headerLine3 = u"Tel. 0711 123456 · Fax 0711 123457"_qs;
    const report::Protocols protocols([&settings]() -> const PrintSettings & { return settings; });

    RecordStore store;
    if (!store.open(dataDir) || !store.first())
        return 1;
    Record one = runInterconnectionCheck(store.current()).record;
    one.setBoolean(u"Skizzedrucken"_qs, true);

    // One protocol: layout and PDF, the first time (fonts and emblem are
    // loaded then) and as the median of repeated runs.
    std::vector<double> layout, pdf, total;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer t;
        t.start();
        const std::vector<report::Page> pages = protocols.layOut(one, 2);
        const double laid = ms(t);
        const QByteArray bytes = report::pdfDocument(pages, protocols.pdfInfo(one));
        const double all = ms(t);
        layout.push_back(laid);
        pdf.push_back(all - laid);
        total.push_back(all);
        if (i == 0)
            std::printf("first protocol (cold):            %8.1f ms  (%d pages, %lld bytes)\n", all,
                        int(pages.size()), static_cast<long long>(bytes.size()));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("one protocol, layout:             %8.1f ms\n", median(layout));
    std::printf("one protocol, PDF:                %8.1f ms\n", median(pdf));
    std::printf("one protocol, layout + PDF:       %8.1f ms  (goal < 150 ms: %s)\n", median(total),
                median(total) < 150.0 ? "met" : "MISSED");

    // Every record to its own file, as ofenring-cli protokoll --alle does.
    const QString out = QDir(temp.path()).filePath(u"pdf"_qs);
    QDir().mkpath(out);
    QElapsedTimer t;
    t.start();
    int written = 0;
    const QVector<int> keys = store.keys();
    for (int key : keys) {
        if (!store.goToKey(key))
            continue;
        const Record &r = store.current();
        QString error;
        if (report::writePdf(protocols.layOut(r, 2), QDir(out).filePath(u"protokoll-%1.pdf"_qs.arg(key)),
                             protocols.pdfInfo(r), &error))
            ++written;
    }
    const double all = ms(t);
    std::printf("%d records to %d PDF files:       %8.0f ms  (%.1f ms per record)\n", count, written, all,
                written ? all / written : 0.0);
    return written == count ? 0 : 1;
}
