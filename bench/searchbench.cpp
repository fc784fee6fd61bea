// Figures of the quick search above the overview on a generated kq.db: the
// time of one keystroke in the field "Suchen", from the key to the overview
// drawn with the records found and the count in the status line.
//
//   ofenring-searchbench [records]
//
// records defaults to 100000.  The main window runs as in the program; each
// search starts with Ctrl+F (entering the field reads what the search looks
// in, given apart), is typed key by key, taken back with Backspace, and the
// field is emptied with Escape.  Runs on any Qt platform; without a display
// use QT_QPA_PLATFORM=offscreen.
#include "generatedrecords.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "recordstore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

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
    if (ms.empty())
        return f;
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

// Wall time of one key including the events it leaves behind (layout,
// painting), in milliseconds.
double timedKey(QWidget *target, Qt::Key key, const QString &text = QString())
{
    QElapsedTimer t;
    t.start();
    if (text.isEmpty())
        QTest::keyClick(target, key);
    else
        QTest::keyClicks(target, text);
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
    w.show();
    QApplication::setActiveWindow(&w);
    QCoreApplication::processEvents();
    QLineEdit *search = w.searchField();
    const auto enterSearch = [&] {
        QElapsedTimer t;
        t.start();
        w.suchen();
        QCoreApplication::processEvents();
        return double(t.nsecsElapsed()) / 1e6;
    };

    std::printf("%d Datensätze, Schnellsuche über der Übersicht (Zeiten in ms)\n", count);
    std::printf("%-52s %6s %9s %9s %9s %9s\n", "", "Anzahl", "Median", "Mittel", "95 %", "Max");

    // Owners by their umlaut spelt out, a street with its number, a town, a
    // postcode begun, and a word found nowhere.
    const char *const searches[] = {"mueller12", "hauptstrasse 15", "tuebingen", "7012", "zzz"};
    constexpr int kRounds = 5;
    std::vector<double> enter, typed, back, escape;
    for (int round = 0; round < kRounds; ++round) {
        for (const char *s : searches) {
            const QString text = QString::fromLatin1(s);
            enter.push_back(enterSearch());
            for (qsizetype i = 0; i < text.size(); ++i)
                typed.push_back(timedKey(search, Qt::Key_unknown, text.mid(i, 1)));
            if (round == 0)
                std::printf("  \"%s\": %d von %d Datensätzen\n", s, w.recordStore()->rowCount(),
                            w.recordStore()->totalRowCount());
            for (qsizetype i = 1; i < text.size(); ++i)
                back.push_back(timedKey(search, Qt::Key_Backspace));
            escape.push_back(timedKey(search, Qt::Key_Escape));
        }
    }
    print("Strg+F (liest, worin gesucht wird)", summarise(enter), int(enter.size()));
    print("Eine Taste der Suche (Ziel: Median unter 50 ms)", summarise(typed), int(typed.size()));
    print("Rücktaste (die Suche wird weiter)", summarise(back), int(back.size()));
    print("Escape (alle Datensätze, der aktuelle bleibt)", summarise(escape), int(escape.size()));
    return 0;
}
