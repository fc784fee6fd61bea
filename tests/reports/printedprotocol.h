#pragma once

// A protocol as it reached the paper: its pages and, per page, what was
// painted.  Texts are looked up inside the vertical band of the section they
// belong to, so that equal texts in different rows or tables stay apart.

#include "protocols.h"
#include "reporttestutil.h"

#include <QtTest>

enum class Edge { Left, Right, Centre };

struct PrintedProtocol {
    std::vector<report::Page> pages;
    std::vector<std::unique_ptr<PaintRecorder>> painted;

    PrintedProtocol(const report::Protocols &protocols, const Record &record, int sketchScale = 2)
        : pages(protocols.layOut(record, sketchScale))
    {
        for (const report::Page &p : pages)
            painted.push_back(paintOnRecorder(p));
    }

    QStringList sections() const { return sectionNames(pages); }
    bool has(const QString &section) const { return sections().contains(section); }

    // The output of a section (first part when it runs over a page break) and its page.
    const report::PlacedSection *section(const QString &name, int *page = nullptr) const
    {
        for (size_t i = 0; i < pages.size(); ++i)
            if (const report::PlacedSection *s = pages[i].section(name)) {
                if (page)
                    *page = int(i);
                return s;
            }
        return nullptr;
    }

    // Texts equal to `text` that start inside the section's band.
    std::vector<const DrawnText *> inSection(const QString &name, const QString &text) const
    {
        std::vector<const DrawnText *> out;
        for (size_t i = 0; i < pages.size(); ++i)
            for (const report::PlacedSection &s : pages[i].sections)
                if (s.name == name)
                    for (const DrawnText &t : painted[i]->texts)
                        if (t.text == text && t.top >= s.top - 0.01 && t.top < s.top + s.height)
                            out.push_back(&t);
        return out;
    }

    // The page recorder that holds a drawn text.
    const PaintRecorder *recorderOf(const DrawnText *t) const
    {
        for (const auto &rec : painted)
            if (!rec->texts.empty() && t >= &rec->texts.front() && t <= &rec->texts.back())
                return rec.get();
        return nullptr;
    }

    // The texts of a section in reading order.
    QStringList textsOf(const QString &name) const
    {
        QStringList out;
        for (size_t i = 0; i < pages.size(); ++i)
            for (const report::PlacedSection &s : pages[i].sections)
                if (s.name == name)
                    for (const DrawnText &t : painted[i]->texts)
                        if (t.top >= s.top - 0.01 && t.top < s.top + s.height)
                            out << t.text;
        return out;
    }
};

inline double edgeOf(const DrawnText &t, Edge edge)
{
    // Positions of the layout count from the left margin, 16 mm from the sheet's edge.
    const double x = edge == Edge::Left ? t.x : edge == Edge::Right ? t.right() : t.centre();
    return x - 16.0;
}

// Checks that `text` is printed in `section` with its edge at `at` mm from the
// left margin (within 0.5 mm) in the given font.  With several candidates the
// one nearest to `at` counts.
inline void checkPlaced(const PrintedProtocol &printed, const QString &section, const QString &text, Edge edge,
                        double at, double pointSize, bool bold, bool italic = false, bool underline = false)
{
    const std::vector<const DrawnText *> found = printed.inSection(section, text);
    QVERIFY2(!found.empty(), qPrintable(u"\"%1\" not printed in %2; it has %3"_qs.arg(text, section,
                                                                                       printed.textsOf(section).join(u" | "_qs))));
    const DrawnText *best = found.front();
    for (const DrawnText *t : found)
        if (qAbs(edgeOf(*t, edge) - at) < qAbs(edgeOf(*best, edge) - at))
            best = t;
    QVERIFY2(qAbs(edgeOf(*best, edge) - at) <= 0.5,
             qPrintable(u"\"%1\" at %2 mm instead of %3 mm"_qs.arg(text).arg(edgeOf(*best, edge)).arg(at)));
    QCOMPARE(best->font.pointSizeF(), pointSize);
    QCOMPARE(best->font.bold(), bold);
    QCOMPARE(best->font.italic(), italic);
    QCOMPARE(best->font.family(), u"Arial"_qs);
    // An underline lies below the letters, clear of the baseline, within the
    // font's descent, as long as the text.
    const QRectF *line = printed.recorderOf(best)->underlineOf(*best);
    QCOMPARE(line != nullptr, underline);
    if (line) {
        QVERIFY2(line->top() >= best->baseline + 0.2, qPrintable(u"underline %1 mm below the baseline"_qs.arg(line->top() - best->baseline)));
        QVERIFY(line->bottom() <= best->baseline + 0.25 * best->font.pointSizeF() * 25.4 / 72.0);
        QVERIFY(line->height() > 0.03);
        QVERIFY(qAbs(line->right() - best->right()) < 0.1);
    }
}

// A table of placements for a data-driven test: where each label or value of
// a protocol must land, and in which font.
struct Placement {
    const char *section;
    const char *text;
    Edge edge;
    double at;  // mm from the left margin
    double size = 10;
    bool bold = false;
    bool underline = false;
};

inline void addPlacementRows(std::initializer_list<Placement> rows)
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("edge");
    QTest::addColumn<double>("at");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("underline");
    for (const Placement &r : rows)
        QTest::addRow("%s %s %g", r.section, r.text, r.at)
            << QString::fromLatin1(r.section) << QString::fromUtf8(r.text) << int(r.edge) << r.at << r.size << r.bold
            << r.underline;
}

// Checks the current row of such a table against the printed protocol.
inline void checkPlacementRow(const PrintedProtocol &printed)
{
    QFETCH(QString, section);
    QFETCH(QString, text);
    QFETCH(int, edge);
    QFETCH(double, at);
    QFETCH(double, size);
    QFETCH(bool, bold);
    QFETCH(bool, underline);
    checkPlaced(printed, section, text, Edge(edge), at, size, bold, false, underline);
}
