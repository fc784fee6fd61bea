#include "protocolparts.h"
#include "reportengine.h"
#include "reporttestutil.h"

#include <QTextDocument>
#include <QtTest>

using namespace report;

namespace {

Record named(const QString &name)
{
    Record r;
    r.setText(u"A_Name"_qs, name);
    return r;
}

Section header(double height = 20.0)
{
    Section s(SectionKind::PageHeader, u"kopf"_qs, height);
    s.add(Item::label(0, 1, u"Briefkopf"_qs));
    return s;
}

Section plain(SectionKind kind, const QString &name, double height)
{
    return Section(kind, name, height);
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

private slots:
    void sectionKindsAndChains();
    void suppressedSectionLetsItsChainFollow();
    void rulesWorkOnACopy();
    void sectionThatDoesNotFitStartsAPageWithTheHeader();
    void stretchingTextGrowsItsSectionAndPushesItemsDown();
    void tallRichTextIsSplitBetweenLines();
    void formattedTextRunsOnRightBelowTheHeader();
    void noPageHoldsOnlyTheHeader();
    void alignment_data();
    void alignment();
    void linesFromARecordedPosition();
    void pageBreakRulesSeeBothPages();
    void computedTextReceivesThePrintedText();
    void clippedTextStaysInItsColumn();
};

void TestReportEngine::sectionKindsAndChains()
{
    Layout L;
    L.add(header());
    L.add(plain(SectionKind::Summary, u"summe"_qs, 5));  // declared first, output last
    Section &title = L.add(plain(SectionKind::Title, u"titel"_qs, 5));
    title.chain(plain(SectionKind::Child, u"titelkind"_qs, 5));
    Section &detail = L.add(plain(SectionKind::Detail, u"detail"_qs, 6));
    detail.add(Item::field(0, 0, u"A_Name"_qs));
    Section &child = detail.chain(plain(SectionKind::Child, u"kind1"_qs, 4));
    child.chain(plain(SectionKind::Child, u"kind2"_qs, 3));
    detail.chain(plain(SectionKind::Child, u"kind3"_qs, 2));

    QList<int> sunk;
    const std::vector<Page> pages = layOut(L, {named(u"Erste"_qs), named(u"Zweite"_qs)}, {},
                                           [&](int index, const Page &) { sunk << index; });
    QCOMPARE(pages.size(), size_t(1));
    QCOMPARE(sunk, QList<int>{0});
    QCOMPARE(sectionNames(pages[0]),
             QStringList({u"kopf"_qs, u"titel"_qs, u"titelkind"_qs, u"detail"_qs, u"kind1"_qs, u"kind2"_qs, u"kind3"_qs,
                          u"detail"_qs, u"kind1"_qs, u"kind2"_qs, u"kind3"_qs, u"summe"_qs}));
    // Sections follow each other from the top margin down, each as high as declared.
    double y = 10.0;
    for (const PlacedSection &s : pages[0].sections) {
        QCOMPARE(s.top, y);
        y += s.height;
    }
    QCOMPARE(y, 10.0 + 20 + 5 + 5 + 2 * (6 + 4 + 3 + 2) + 5);
    QCOMPARE(pages[0].texts(), QStringList({u"Briefkopf"_qs, u"Erste"_qs, u"Zweite"_qs}));
}

void TestReportEngine::suppressedSectionLetsItsChainFollow()
{
    Layout L;
    Section &detail = L.add(plain(SectionKind::Detail, u"eltern"_qs, 5));
    detail.beforeOutput = [](SectionContext &) { return false; };
    detail.chain(plain(SectionKind::Child, u"kind"_qs, 5));
    const std::vector<Page> pages = layOut(L, {Record()});
    QCOMPARE(sectionNames(pages[0]), QStringList{u"kind"_qs});
    QCOMPARE(pages[0].sections[0].top, 10.0);
}

void TestReportEngine::rulesWorkOnACopy()
{
    // A rule that changes an item for one record leaves the declaration alone,
    // so the next output (and the next run) starts from the declared state.
    Layout L;
    Section &detail = L.add(plain(SectionKind::Detail, u"detail"_qs, 10));
    detail.add(Item::label(0, 0, u"Vorgabe"_qs).named(u"t"_qs));
    detail.add(Item::label(50, 0, u"sichtbar"_qs).named(u"v"_qs));
    detail.frame.top = true;
    detail.beforeOutput = [](SectionContext &ctx) {
        if (ctx.record().text(u"A_Name"_qs) == u"anders"_qs) {
            ctx.item(u"t"_qs).text = u"Geändert"_qs;
            ctx.item(u"t"_qs).x = 20;
            ctx.item(u"v"_qs).visible = false;
            ctx.frame().top = false;
        }
        return true;
    };
    const std::vector<Page> pages = layOut(L, {named(u"anders"_qs), named(u"normal"_qs)});
    QCOMPARE(pages[0].texts(), QStringList({u"Geändert"_qs, u"Vorgabe"_qs, u"sichtbar"_qs}));
    int frameLines = 0;
    for (const PageElement &e : pages[0].elements)
        frameLines += e.item == u"frame"_qs;
    QCOMPARE(frameLines, 1);
    const auto rec = paintOnRecorder(pages[0]);
    QVERIFY(qAbs(rec->find(u"Geändert"_qs).front()->x - 36.0) < 0.01);
    QVERIFY(qAbs(rec->find(u"Vorgabe"_qs).front()->x - 16.0) < 0.01);
    QCOMPARE(layOut(L, {named(u"normal"_qs)})[0].texts(), QStringList({u"Vorgabe"_qs, u"sichtbar"_qs}));
}

void TestReportEngine::sectionThatDoesNotFitStartsAPageWithTheHeader()
{
    Layout L;
    L.add(header(20));
    Section &detail = L.add(plain(SectionKind::Detail, u"detail"_qs, 0));
    // 277 mm of content per page, 257 below the header: five 50 mm blocks fit.
    for (int i = 1; i <= 12; ++i) {
        Section block = plain(SectionKind::Child, u"block%1"_qs.arg(i), 50);
        block.add(Item::label(0, 0, u"Block %1"_qs.arg(i)));
        detail.chain(std::move(block));
    }
    QList<int> sunk;
    const std::vector<Page> pages = layOut(L, {Record()}, {}, [&](int index, const Page &p) {
        QCOMPARE(p.sections.front().name, u"kopf"_qs);
        sunk << index;
    });
    QCOMPARE(pages.size(), size_t(3));
    QCOMPARE(sunk, QList<int>({0, 1, 2}));
    for (const Page &p : pages) {
        QCOMPARE(p.sections[0].name, u"kopf"_qs);
        QCOMPARE(p.sections[0].top, 10.0);
        QCOMPARE(p.texts().first(), u"Briefkopf"_qs);
    }
    QCOMPARE(pages[1].section(u"block6"_qs)->top, 30.0);
    QCOMPARE(pages[2].section(u"block11"_qs)->top, 30.0);
    QVERIFY(!pages[0].section(u"block6"_qs));
}

void TestReportEngine::stretchingTextGrowsItsSectionAndPushesItemsDown()
{
    Layout L;
    Section &detail = L.add(plain(SectionKind::Detail, u"detail"_qs, 12));
    detail.add(Item::label(0, 1, QString()).named(u"lang"_qs).wrapping(40));
    detail.add(Item::label(100, 1, u"daneben"_qs));
    detail.add(Item::label(100, 8, u"darunter"_qs));
    detail.beforeOutput = [](SectionContext &ctx) {
        ctx.item(u"lang"_qs).text = ctx.record().text(u"Bemerkung"_qs);
        return true;
    };
    L.add(plain(SectionKind::Summary, u"danach"_qs, 5));

    const double line = lineHeight(FontSpec());
    Record shortText;
    shortText.setText(u"Bemerkung"_qs, u"kurz"_qs);
    const std::vector<Page> one = layOut(L, {shortText});
    QCOMPARE(one[0].section(u"detail"_qs)->height, 12.0);

    const QString longText = u"Ein Satz, der in einer Spalte von vier Zentimetern Breite auf mehrere Zeilen "
                             "umbrochen werden muss, damit er ganz zu lesen ist."_qs;
    Record longRecord;
    longRecord.setText(u"Bemerkung"_qs, longText);
    const std::vector<Page> many = layOut(L, {longRecord});
    const auto rec = paintOnRecorder(many[0]);
    int lines = 0;
    QStringList words;
    for (const DrawnText &t : rec->texts) {
        if (t.x < 16.0 + 50) {
            ++lines;
            QVERIFY2(t.width <= 40.0 + 1e-6, qPrintable(t.text));
            words << t.text;
        }
    }
    QVERIFY2(lines >= 4, qPrintable(words.join(u'|')));
    QCOMPARE(words.join(u' '), longText);
    const double growth = line * lines - line;
    QCOMPARE(many[0].section(u"detail"_qs)->height, 12.0 + growth);
    QCOMPARE(many[0].section(u"danach"_qs)->top, 10.0 + 12.0 + growth);
    // The item beside the text stays, the one below moves down with it.
    QVERIFY(qAbs(rec->find(u"daneben"_qs).front()->top - 11.0) < 0.01);
    QVERIFY(qAbs(rec->find(u"darunter"_qs).front()->top - (10.0 + 8.0 + growth)) < 0.01);
}

void TestReportEngine::tallRichTextIsSplitBetweenLines()
{
    QStringList paragraphs;
    for (int i = 1; i <= 150; ++i)
        paragraphs << u"Zeile %1"_qs.arg(i);
    Layout L;
    L.add(header(20));
    L.add(plain(SectionKind::Title, u"titel"_qs, 200));
    Section &notes = L.add(plain(SectionKind::Summary, u"bemerkung"_qs, 7));
    Item rich;
    rich.kind = ItemKind::RichText;
    rich.text = u"Bemerkung"_qs;
    rich.y = 1;
    rich.width = 185;
    rich.height = 5;
    rich.stretch = true;
    notes.add(rich);
    notes.frame = Frame::all();
    Record r;
    r.setText(u"Bemerkung"_qs, paragraphs.join(u'\n'));

    const std::vector<Page> pages = layOut(L, {r});
    QVERIFY(pages.size() >= 3);
    QStringList seen;
    for (size_t i = 0; i < pages.size(); ++i) {
        const auto rec = paintOnRecorder(pages[i]);
        // The first page keeps the title; the remarks start below it and run on.
        for (const DrawnText &t : rec->texts) {
            if (t.text == u"Briefkopf"_qs)
                continue;
            QVERIFY2(t.top >= 30.0 - 1e-6, qPrintable(t.text));
            QVERIFY2(t.baseline <= 287.0, qPrintable(t.text));
            seen << t.text;
        }
        const PlacedSection *part = pages[i].section(u"bemerkung"_qs);
        if (i == 0) {
            QCOMPARE(part->top, 230.0);
        } else {
            QCOMPARE(part->top, 30.0);
        }
    }
    QCOMPARE(seen, paragraphs);
}

namespace {

// A page header of 20 mm, a title of `titleHeight` and the remarks as the
// protocols print them, from RTF.
Layout remarksLayout(double titleHeight)
{
    Layout L;
    L.add(header(20));
    L.add(plain(SectionKind::Title, u"titel"_qs, titleHeight));
    L.add(remarksSection(u"bemerkung"_qs, SectionKind::Summary, 7));
    return L;
}

// Paragraphs with space after each (1 cm unless given, in twips), as a word
// processor writes them.
Record spacedRemarks(int paragraphs, int after = 567)
{
    QString rtf = u"{\\rtf1{\\fonttbl{\\f0 Arial;}}"_qs;
    for (int i = 1; i <= paragraphs; ++i)
        rtf += u"\\pard\\sa%1\\f0\\fs20 Absatz %2\\par"_qs.arg(after).arg(i);
    Record r;
    r.setText(u"Bemerkung"_qs, rtf + u'}');
    return r;
}

// The texts painted on a page besides the header's.
QStringList bodyTexts(const Page &page)
{
    QStringList out;
    const auto rec = paintOnRecorder(page);
    for (const DrawnText &t : rec->texts)
        if (t.text != u"Briefkopf"_qs)
            out << t.text;
    return out;
}

} // namespace

void TestReportEngine::formattedTextRunsOnRightBelowTheHeader()
{
    const std::vector<Page> pages = layOut(remarksLayout(200), {spacedRemarks(40)});
    QVERIFY(pages.size() >= 3);
    QStringList seen;
    for (size_t i = 0; i < pages.size(); ++i) {
        const auto rec = paintOnRecorder(pages[i]);
        double first = 1e9;
        for (const DrawnText &t : rec->texts) {
            if (t.text == u"Briefkopf"_qs)
                continue;
            QVERIFY2(t.baseline <= 287.0, qPrintable(t.text));
            first = std::min(first, t.top);
            seen << t.text;
        }
        // A following page goes on with the next line right below the
        // header; the space after the last paragraph of the page before
        // stays there.
        if (i > 0) {
            QCOMPARE(pages[i].section(u"bemerkung"_qs)->top, 30.0);
            QVERIFY2(first - 30.0 < 0.3, qPrintable(u"page %1 starts %2 mm below the header"_qs.arg(i + 1).arg(first - 30.0)));
        }
    }
    QStringList expected;
    for (int i = 1; i <= 40; ++i)
        expected << u"Absatz %1"_qs.arg(i);
    QCOMPARE(seen, expected);
}

void TestReportEngine::noPageHoldsOnlyTheHeader()
{
    // Remarks taller than a page run on below the title; as the space after
    // their paragraphs grows, their last line comes to lie everywhere on the
    // last page, down to its foot.  The space after it and the section's own
    // margin may then run into the foot of the page, but never make a page
    // of their own.
    QStringList expected;
    for (int i = 1; i <= 24; ++i)
        expected << u"Absatz %1"_qs.arg(i);
    for (int after = 300; after <= 420; ++after) {
        const std::vector<Page> pages = layOut(remarksLayout(250), {spacedRemarks(24, after)});
        QStringList seen;
        for (size_t i = 0; i < pages.size(); ++i) {
            const QStringList body = bodyTexts(pages[i]);
            QVERIFY2(!body.isEmpty() || i == 0,
                     qPrintable(u"\\sa%1: page %2 holds only the header"_qs.arg(after).arg(i + 1)));
            seen << body;
        }
        QCOMPARE(seen, expected);
    }
}

void TestReportEngine::alignment_data()
{
    QTest::addColumn<int>("align");
    QTest::addColumn<double>("width");
    QTest::addColumn<QString>("edge");
    QTest::addColumn<double>("expected");

    QTest::newRow("links") << int(Align::Left) << 0.0 << u"left"_qs << 50.0;
    QTest::newRow("rechts") << int(Align::Right) << 0.0 << u"right"_qs << 50.0;
    QTest::newRow("mittig") << int(Align::Centre) << 0.0 << u"centre"_qs << 50.0;
    QTest::newRow("rechts im Feld") << int(Align::Right) << 30.0 << u"right"_qs << 80.0;
    QTest::newRow("mittig im Feld") << int(Align::Centre) << 30.0 << u"centre"_qs << 65.0;
}

void TestReportEngine::alignment()
{
    QFETCH(int, align);
    QFETCH(double, width);
    QFETCH(QString, edge);
    QFETCH(double, expected);
    Layout L;
    Section &s = L.add(plain(SectionKind::Detail, u"d"_qs, 10));
    Item i = Item::field(50, 2, u"RAV"_qs, {}, Align(align));
    i.width = width;
    s.add(i);
    Record r;
    r.setNumber(u"RAV"_qs, 1234.56);
    const auto rec = paintOnRecorder(layOut(L, {r})[0]);
    const DrawnText *t = rec->find(u"1234,6"_qs).front();
    const double at = edge == u"left"_qs ? t->x : edge == u"right"_qs ? t->right() : t->centre();
    QVERIFY2(qAbs(at - (16.0 + expected)) < 0.05, qPrintable(QString::number(at)));
    QVERIFY(qAbs(t->top - 12.0) < 0.05);
}

void TestReportEngine::linesFromARecordedPosition()
{
    // The table pattern: the heading records where it ends, the closing
    // section draws rules from there down to where it starts.
    Layout L;
    int runs = 0;
    double recorded = -1;
    L.beginRun = [&](RunContext &) {
        ++runs;
        recorded = -1;
    };
    Section &detail = L.add(plain(SectionKind::Detail, u"kopf"_qs, 8));
    detail.afterOutput = [&](SectionContext &ctx) { recorded = ctx.position(); };
    detail.chain(plain(SectionKind::Child, u"zeile"_qs, 5));
    Section closing = plain(SectionKind::Child, u"abschluss"_qs, 4);
    closing.beforeOutput = [&](SectionContext &ctx) {
        ctx.drawLine(30, recorded, 30, ctx.position());
        return true;
    };
    detail.chain(std::move(closing));

    const std::vector<Page> pages = layOut(L, {Record()});
    QCOMPARE(runs, 1);
    const auto rec = paintOnRecorder(pages[0]);
    QCOMPARE(rec->lines.size(), size_t(1));
    QVERIFY(qAbs(rec->lines[0].line.x1() - 46.0) < 1e-6);
    QVERIFY(qAbs(rec->lines[0].line.y1() - 18.0) < 1e-6);
    QVERIFY(qAbs(rec->lines[0].line.y2() - 23.0) < 1e-6);
    layOut(L, {Record()});
    QCOMPARE(runs, 2);
}

void TestReportEngine::pageBreakRulesSeeBothPages()
{
    Layout L;
    L.add(header(20));
    QList<std::pair<int, double>> ending, started;
    L.pageEnding = [&](RunContext &ctx) {
        ending << std::pair{ctx.pageNumber(), ctx.position()};
        ctx.drawLine(0, 100, 0, ctx.position());
    };
    L.pageStarted = [&](RunContext &ctx) { started << std::pair{ctx.pageNumber(), ctx.position()}; };
    Section &detail = L.add(plain(SectionKind::Detail, u"d"_qs, 0));
    for (int i = 0; i < 3; ++i)
        detail.chain(plain(SectionKind::Child, u"b%1"_qs.arg(i), 100));
    const std::vector<Page> pages = layOut(L, {Record()});
    QCOMPARE(pages.size(), size_t(2));
    QCOMPARE(ending, (QList<std::pair<int, double>>{{1, 220.0}}));
    QCOMPARE(started, (QList<std::pair<int, double>>{{2, 20.0}}));
    // The line drawn while the first page ends is on the first page.
    QCOMPARE(paintOnRecorder(pages[0])->lines.size(), size_t(1));
    QCOMPARE(paintOnRecorder(pages[1])->lines.size(), size_t(0));
}

void TestReportEngine::computedTextReceivesThePrintedText()
{
    Layout L;
    Section &s = L.add(plain(SectionKind::Detail, u"d"_qs, 10));
    QString received;
    s.add(Item::field(0, 0, u"Okqn1"_qs).computed([&](const Record &, const QString &t) {
        received = t;
        return u"["_qs + t + u"]"_qs;
    }));
    Record r;
    r.setNumber(u"Okqn1"_qs, 12.25);
    QCOMPARE(layOut(L, {r})[0].texts(), QStringList{u"[12,3]"_qs});
    QCOMPARE(received, u"12,3"_qs);
}

void TestReportEngine::clippedTextStaysInItsColumn()
{
    // A long room name in a narrow column is cut at the column's edge instead
    // of running over the next column.
    Layout L;
    Section &s = L.add(plain(SectionKind::Detail, u"d"_qs, 10));
    s.add(Item::field(6.5, 0.4, u"RA"_qs).clipped(22.5));
    Record r;
    r.setText(u"RA"_qs, u"Wohn- und Esszimmer mit Wintergarten"_qs);
    const Page page = layOut(L, {r})[0];
    QCOMPARE(page.elements.size(), size_t(1));
    const PageElement &e = page.elements.front();
    QCOMPARE(e.clip, QRectF(16.0 + 6.5, 10.4, 22.5, lineHeight(FontSpec())));
    QVERIFY(textWidth(e.text, e.font) > 22.5);

    // Painted on an image, nothing of it lands right of the column.
    QImage image(int(210 * 8), int(40 * 8), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page, 8.0);
    painter.end();
    for (int y = 0; y < image.height(); ++y)
        for (int x = int((16.0 + 29.0) * 8) + 1; x < image.width(); ++x)
            QVERIFY2(image.pixel(x, y) == qRgb(255, 255, 255), qPrintable(u"ink at %1,%2"_qs.arg(x).arg(y)));
}

QTEST_MAIN(TestReportEngine)
#include "test_reportengine.moc"
