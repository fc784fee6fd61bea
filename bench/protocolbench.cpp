// Figures of the printed protocols: one protocol laid out and written as PDF,
// and every record of a generated kq.db written as one PDF each.  Every
// record carries remarks as a word processor writes them (paragraph spacing,
// bold and italic, a bulleted and a numbered list, a small table with
// borders) and a sketch, drawn through the sketch module as the program
// finds it.
//
//   ofenring-protocolbench [records]
//
// records defaults to 100.  Goal: one protocol in under 150 ms.
#include "generatedrecords.h"
#include "interconnectioncheck.h"
#include "pagepainter.h"
#include "programprotocols.h"
#include "recordstore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double ms(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

// Remarks in the shape a word processor writes them.
QString wordProcessorRemarks(int n)
{
    QString rtf = u"{\\rtf1\\ansi\\deff4\\adeflang1025{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}"
                  "{\\f4\\fswiss\\fprq0\\fcharset0 Liberation Sans{\\*\\falt Arial};}}"
                  "{\\colortbl;\\red0\\green0\\blue0;\\red201\\green33\\blue30;}"
                  "{\\stylesheet{\\s0\\snext0\\f4\\fs22 Normal;}}\\deftab709\\paperh16838\\paperw11906\\margl1134\\margr1134\n"_qs;
    auto para = [](const QString &body, const char *layout = "\\sa283") {
        return u"\\pard\\plain \\s0\\f4\\fs22\\ql%1\\ltrpar{\\loch %2}\n\\par "_qs.arg(QString::fromLatin1(layout), body);
    };
    rtf += para(u"Anlage %1: bei der \\u220\\'dcberpr\\u252\\'fcfung wurde {\\b kein Mangel} festgestellt, "
                "die Kosten betragen {\\i 45,00 \\u8364\\'80}."_qs.arg(n));
    for (const char *item : {"Zuluft\\u246\\'f6ffnung im Heizraum frei halten",
                             "Abgasrohr vor der n\\u228\\'e4chsten Heizperiode erneuern lassen"})
        rtf += u"\\pard\\plain \\s0\\f4\\fs22{\\listtext\\pard\\plain  \\u8226\\'95\\tab}\\ls1 \\li709\\fi-283\\ql{\\loch %1}\n\\par "_qs
                   .arg(QString::fromLatin1(item));
    int number = 0;
    for (const char *item : {"Nachpr\\u252\\'fcfung in vier Wochen", "Bescheinigung an den Eigent\\u252\\'fcmer"})
        rtf += u"\\pard\\plain \\s0\\f4\\fs22{\\listtext\\pard\\plain  %1.\\tab}\\ls2 \\li709\\fi-283\\ql{\\loch %2}\n\\par "_qs
                   .arg(++number).arg(QString::fromLatin1(item));
    const QString cell = u"\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\clpadl57\\clpadr57"_qs;
    const char *rows[][3] = {{"{\\b Messung}", "{\\b Wert}", "{\\b Grenze}"}, {"CO im Abgas", "45 ppm", "1000 ppm"}, {"Abgasverlust", "6 %", "11 %"}};
    for (const auto &row : rows) {
        rtf += u"\\trowd\\trql%1\\cellx2828%1\\cellx4534%1\\cellx6803"_qs.arg(cell);
        for (const char *text : row)
            rtf += u"\\pard\\plain \\s0\\f4\\fs22\\intbl\\ql{\\loch %1}\\cell"_qs.arg(QString::fromLatin1(text));
        rtf += u"\\row\n"_qs;
    }
    rtf += para(u"{\\cf2 Bitte die Zuluft\\u246\\'f6ffnung nicht verstellen.}"_qs) + u"}"_qs;
    return rtf;
}

// A site sketch with walls, a door, an appliance, a label and a dimension line.
QString siteSketch(int n)
{
    return u"OFENRING-SKIZZE 1\nRAUM 40 40 240 200 \"Heizraum\"\nWAND 240 40 440 40\nWAND 440 40 440 200\n"
           "WAND 240 200 440 200\nTUER 300 200 332 200\nFENSTER 100 40 160 40\nGERAET 80 80 \"Gastherme\"\n"
           "SCHORNSTEIN 230 50\nTEXT 300 300 \"Anlage %1\"\nMASS 40 20 440 20"_qs.arg(n);
}

// Gives every generated record its remarks and sketch.
bool addRemarksAndSketches(const QString &file)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"remarks"_qs);
        db.setDatabaseName(file);
        ok = db.open() && db.transaction();
        QSqlQuery keys(u"SELECT Lfd FROM kq"_qs, db);
        QList<int> all;
        while (keys.next())
            all << keys.value(0).toInt();
        QSqlQuery q(db);
        ok = ok && q.prepare(u"UPDATE kq SET Bemerkung = ?, Skizze = ?, Skizzedrucken = 1 WHERE Lfd = ?"_qs);
        for (int key : all) {
            q.addBindValue(wordProcessorRemarks(key));
            q.addBindValue(siteSketch(key));
            q.addBindValue(key);
            ok = ok && q.exec();
        }
        q.finish();
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(u"remarks"_qs);
    return ok;
}

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
    if (!generateInstallationRecords(QDir(dataDir).filePath(u"kq.db"_qs), count)
        || !addRemarksAndSketches(QDir(dataDir).filePath(u"kq.db"_qs)))
        return 1;

    PrintSettings settings;
    settings.headerLine1 = u"Martin Russ"_qs;
    settings.headerLine2 = u", Bezirksschornsteinfegermeister, Hauptstraße 7, 73728 Esslingen"_qs;
    settings.headerLine3 = u"Tel. 0711 123456 · Fax 0711 123457"_qs;
    // The protocols of the program, with its sketch module.
    SketchModule module;
    if (report::loadSketchModule(module) != SketchModule::LoadResult::Loaded || !module.canDraw())
        std::fprintf(stderr, "no sketch module found: the sketch boxes stay empty\n");
    const std::unique_ptr<report::Protocols> program =
        report::programProtocols([&settings]() -> const PrintSettings & { return settings; }, &module);
    const report::Protocols &protocols = *program;

    RecordStore store;
    if (!store.open(dataDir) || !store.first())
        return 1;
    const Record one = runInterconnectionCheck(store.current()).record;

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
