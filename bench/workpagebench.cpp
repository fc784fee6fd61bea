// Figures of the interconnection page on a generated kq.db: a move of the
// current record while the page is in front, and "Berechnen" up to the shown
// message window "Meldungen".
//
//   ofenring-workpagebench [records]
//
// records defaults to 100000.  The main window runs as in the program (tables,
// pages, dialogs), without questions: the save confirmation is switched off
// and every message window is closed again at once.  Runs on any Qt platform;
// without a display use QT_QPA_PLATFORM=offscreen.
#include "generatedrecords.h"
#include "luftverbundpage.h"
#include "mainwindow.h"
#include "meldform.h"
#include "messagebox.h"
#include "recordstore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Figures {
    double median = 0, mean = 0, p95 = 0, max = 0;
};

Figures summarise(std::vector<double> ms)
{
    Figures f;
    std::sort(ms.begin(), ms.end());
    f.median = ms[ms.size() / 2];
    f.p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    f.max = ms.back();
    for (double v : ms)
        f.mean += v;
    f.mean /= double(ms.size());
    return f;
}

void print(const char *what, const Figures &f, int n)
{
    std::printf("%-52s %6d %9.3f %9.3f %9.3f %9.3f\n", what, n, f.median, f.mean, f.p95, f.max);
}

// Wall time of one piece of work including the events it leaves behind
// (layout, painting), in milliseconds.
double timed(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    QCoreApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;

    QTemporaryDir work;
    QDir::setCurrent(work.path());
    {
        RecordStore creator;
        if (!creator.open())
            return 1;
        creator.close();
    }
    if (!generateInstallationRecords(QDir(u"daten"_qs).filePath(u"kq.db"_qs), count))
        return 1;
    MessageBox::setScripted(true);   // no question may wait for a hand

    TForm1 w;
    if (!w.tablesOpen())
        return 1;
    w.recordStore()->setConfirmChanges(false);
    w.show();
    w.setActivePage(TForm1::Luftverbund);
    QCoreApplication::processEvents();
    auto *next = w.findChild<QToolButton *>(u"navnext"_qs);
    auto *prior = w.findChild<QToolButton *>(u"navprior"_qs);
    auto *rechnen = w.findChild<QPushButton *>(u"rechenbtn"_qs);
    auto *meld = w.findChild<Tmeldform *>(u"meldform"_qs);
    if (!next || !prior || !rechnen || !meld || w.activePage() != TForm1::Luftverbund)
        return 1;

    std::printf("%d Datensätze, Seite \"Luftverbundberechnung\" im Vordergrund (Zeiten in ms)\n", count);
    std::printf("%-52s %6s %9s %9s %9s %9s\n", "", "Anzahl", "Median", "Mittel", "95 %", "Max");

    // Moves through the records, forward then back, as the navigator does them.
    constexpr int kMoves = 2000;
    std::vector<double> moves;
    for (int i = 0; i < kMoves; ++i)
        moves.push_back(timed([&] { next->click(); }));
    for (int i = 0; i < kMoves; ++i)
        moves.push_back(timed([&] { prior->click(); }));
    print("Wechsel zum nächsten/vorigen Datensatz", summarise(moves), int(moves.size()));
    std::vector<double> sync;
    for (int i = 0; i < kMoves; ++i) {
        QElapsedTimer t;
        t.start();
        next->click();
        sync.push_back(double(t.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents();
    }
    print("  davon ohne Zeichnen", summarise(sync), int(sync.size()));

    // For comparison: the same moves with the general data page in front.
    w.setActivePage(TForm1::Allgemein);
    QCoreApplication::processEvents();
    std::vector<double> general;
    for (int i = 0; i < kMoves; ++i)
        general.push_back(timed([&] { prior->click(); }));
    print("  zum Vergleich: Seite \"Allgemeine Angaben\" vorn", summarise(general), int(general.size()));
    w.setActivePage(TForm1::Luftverbund);

    // The same far into the table.
    w.recordStore()->goToRow(count / 2);
    QCoreApplication::processEvents();
    std::vector<double> middle;
    for (int i = 0; i < 500; ++i)
        middle.push_back(timed([&] { next->click(); }));
    print("Wechsel in der Mitte der Tabelle", summarise(middle), int(middle.size()));

    // "Berechnen" until the message window is shown: the save of the pending
    // edits, the check, the results written and drawn black, the window open.
    constexpr int kChecks = 300;
    std::vector<double> checks, movesAfterCheck;
    for (int i = 0; i < kChecks; ++i) {
        checks.push_back(timed([&] {
            rechnen->click();
            if (!meld->isVisible())
                std::abort();
        }));
        meld->reject();
        // The next move saves the calculated record.
        movesAfterCheck.push_back(timed([&] { next->click(); }));
    }
    print("\"Berechnen\" bis zum Fenster \"Meldungen\"", summarise(checks), kChecks);
    print("Wechsel nach \"Berechnen\" (mit Speichern)", summarise(movesAfterCheck), kChecks);
    return 0;
}
