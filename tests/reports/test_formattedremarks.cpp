// Remarks written in a word processor as the protocols print them.  The
// fixtures in rtf/ were written by LibreOffice Writer 7.4 ("Speichern unter",
// Rich Text Format) from documents with known paragraph spacing, indents,
// tab stops, lists and a table; the printed positions are measured in mm
// against the lengths the RTF gives (1 mm = 56.7 twips).

#include "printedprotocol.h"
#include "protocolfixtures.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace report;

namespace {

constexpr double kMmPerTwip = 25.4 / 1440.0;
constexpr double kMargin = 16.0;   // the left margin of the sheet

QString fixture(const char *name)
{
    QFile f(QStringLiteral(RTF_FIXTURES) + u'/' + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", name);
    return QString::fromLatin1(f.readAll());
}

// The first text of the remarks that starts with `start`.
const DrawnText *remark(const PrintedProtocol &printed, const QString &start)
{
    for (size_t i = 0; i < printed.pages.size(); ++i)
        for (const PlacedSection &s : printed.pages[i].sections)
            if (s.name == u"SummaryBand1"_qs)
                for (const DrawnText &t : printed.painted[i]->texts)
                    if (t.text.startsWith(start) && t.top >= s.top - 0.01 && t.top < s.top + s.height)
                        return &t;
    return nullptr;
}

#define FIND(var, printed, start)                                                                   \
    const DrawnText *var = remark(printed, start);                                                  \
    QVERIFY2(var, qPrintable(u"\"%1\" not printed in the remarks"_qs.arg(start)))

#define NEAR(actual, expected, tolerance)                                                           \
    QVERIFY2(qAbs((actual) - (expected)) <= (tolerance),                                            \
             qPrintable(u"%1 is %2 mm, not %3 mm"_qs.arg(QString::fromLatin1(#actual)).arg(actual).arg(expected)))

} // namespace

class TestFormattedRemarks : public QObject {
    Q_OBJECT

public:
    TestFormattedRemarks() : m_protocols([this]() -> const PrintSettings & { return m_settings; }) {}

private slots:
    void paragraphsIndentsAndTabStops();
    void listsAndTable();
    void plainRemarkAndStyles();

private:
    PrintedProtocol print(const QString &remarks) const
    {
        Record r = fixtures::interconnection();
        r.setBoolean(u"Skizzedrucken"_qs, false);
        r.setText(u"Bemerkung"_qs, remarks);
        return PrintedProtocol(m_protocols, r);
    }

    PrintSettings m_settings = fixtures::printSettings();
    Protocols m_protocols;
};

void TestFormattedRemarks::paragraphsIndentsAndTabStops()
{
    const PrintedProtocol printed = print(fixture("absaetze.rtf"));
    FIND(first, printed, u"Bei der Überprüfung"_qs);
    FIND(second, printed, u"Der Abstand vor diesem Absatz"_qs);
    FIND(indented, printed, u"Eingerückter Absatz"_qs);
    // The wrapped lines of the indented paragraph, after its first.
    std::vector<const DrawnText *> wrapped;
    for (const auto &rec : printed.painted)
        for (const DrawnText &t : rec->texts)
            if (&rec->texts.front() <= indented && indented <= &rec->texts.back() && t.top > indented->top + 1.0
                && t.top < indented->top + 15.0 && t.font.pointSizeF() == 11.0)
                wrapped.push_back(&t);
    QVERIFY(wrapped.size() >= 1);
    const double pitch = wrapped.front()->baseline - indented->baseline;   // one line of 11 pt
    NEAR(pitch, 11.0 * 25.4 / 72.0 * 1.15, 0.3);

    // Paragraph 1 has \sa283, paragraph 2 \sb170\sa283: the spaces add up.
    NEAR(second->baseline - first->baseline - pitch, (283 + 170) * kMmPerTwip, 0.15);
    NEAR(indented->baseline - second->baseline - pitch, 283 * kMmPerTwip, 0.15);

    // \li567\ri1134\fi283: the first line 1.5 cm in, the others 1 cm, none
    // beyond 2 cm from the right edge of the 185 mm.
    NEAR(indented->x - kMargin, (567 + 283) * kMmPerTwip, 0.1);
    for (const DrawnText *t : wrapped) {
        NEAR(t->x - kMargin, 567 * kMmPerTwip, 0.1);
        QVERIFY(t->right() - kMargin <= 185.0 - 1134 * kMmPerTwip + 0.05);
    }

    // \tx2268\tqr\tx8504: a left stop at 4 cm, a right one at 15 cm.
    FIND(tabbed, printed, u"geprüft"_qs);
    FIND(rightTabbed, printed, u"in Ordnung"_qs);
    NEAR(tabbed->x - kMargin, 2268 * kMmPerTwip, 0.1);
    NEAR(rightTabbed->right() - kMargin, 8504 * kMmPerTwip, 0.1);

    // \qc with colour 17 of the table, and after the \line a bigger serif face.
    FIND(centred, printed, u"Rot und zentriert"_qs);
    NEAR(centred->centre() - kMargin, 185.0 / 2, 0.1);
    QCOMPARE(centred->colour, QColor(201, 33, 30));
    FIND(serif, printed, u"Zweite Zeile größer in Serifenschrift"_qs);
    QCOMPARE(serif->font.family(), u"Liberation Serif"_qs);
    QCOMPARE(serif->font.pointSizeF(), 14.0);
    NEAR(serif->centre() - kMargin, 185.0 / 2, 0.1);
    QVERIFY(serif->top > centred->baseline);

    // Bold, italic and underline where the document has them.
    FIND(bold, printed, u"kein Mangel"_qs);
    QVERIFY(bold->font.bold());
    QCOMPARE(bold->font.family(), u"Liberation Sans"_qs);
    FIND(italic, printed, u"drei Millimeter"_qs);
    QVERIFY(italic->font.italic() && !italic->font.bold());
    FIND(underlined, printed, u"fünf Millimeter"_qs);
    const QRectF *line = printed.recorderOf(underlined)->underlineOf(*underlined);
    QVERIFY(line && line->top() > underlined->baseline + 0.2);
    QVERIFY(!printed.recorderOf(italic)->underlineOf(*italic));
    QVERIFY(printed.recorderOf(first)->find(u" festgestellt; die Kosten betragen 45,00 €."_qs).size() == 1);

    // At a printer's resolution the line lies where it lies in the PDF: a
    // dark band below the word (which has no descenders), clear of its letters.
    size_t page = 0;
    while (printed.painted[page].get() != printed.recorderOf(underlined))
        ++page;
    const double pxPerMm = 300.0 / 25.4;
    QImage sheet(int(210 * pxPerMm), int(297 * pxPerMm), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        paintPage(painter, printed.pages[page], pxPerMm);
    }
    auto darkRow = [&](double mmBelowBaseline) {
        const int y = int((underlined->baseline + mmBelowBaseline) * pxPerMm);
        int dark = 0, all = 0;
        for (int x = int((underlined->x + 0.5) * pxPerMm); x < int((underlined->right() - 0.5) * pxPerMm); ++x, ++all)
            dark += qGray(sheet.pixel(x, y)) < 128;
        return dark > all * 0.9;
    };
    QVERIFY(darkRow(line->center().y() - underlined->baseline));
    QVERIFY(!darkRow(0.05));   // the letters' foot, with gaps between them
}

void TestFormattedRemarks::listsAndTable()
{
    const PrintedProtocol printed = print(fixture("befund.rtf"));
    FIND(heading, printed, u"Festgestellte "_qs);
    FIND(bullet, printed, u" •"_qs);
    FIND(item, printed, u"Zuluftöffnung im Heizraum verstellt"_qs);
    FIND(longItem, printed, u"Abgasrohr"_qs);
    FIND(number, printed, u" 1."_qs);
    FIND(numbered, printed, u"Öffnung freiräumen"_qs);

    // \li709\fi-283: the bullet or number at 0.75 cm (after the blank the
    // label begins with), the item's text in the hanging indent at 1.25 cm.
    NEAR(bullet->x - kMargin, (709 - 283) * kMmPerTwip, 0.1);
    NEAR(number->x - kMargin, (709 - 283) * kMmPerTwip, 0.1);
    NEAR(item->x - kMargin, 709 * kMmPerTwip, 0.1);
    NEAR(numbered->x - kMargin, 709 * kMmPerTwip, 0.1);
    QCOMPARE(bullet->baseline, item->baseline);
    QCOMPARE(bullet->font.pointSizeF(), 11.0);   // as big as the item's text
    // The long item wraps, its second line in the indent too.
    const DrawnText *continued = nullptr;
    for (const DrawnText &t : printed.recorderOf(longItem)->texts)
        if (t.top > longItem->top + 1.0 && t.top < longItem->top + 6.0)
            continued = &t;
    QVERIFY(continued);
    NEAR(continued->x - kMargin, 709 * kMmPerTwip, 0.1);
    // "Festgestellte Mängel:" has \sa283 before the list.
    const double pitch = longItem->baseline - item->baseline;
    NEAR(item->baseline - heading->baseline - pitch, 283 * kMmPerTwip, 0.15);

    // The table: \cellx2828 \cellx4534 \cellx6803, cell padding \clpadl57,
    // borders \brdrs\brdrw10 on every side.
    FIND(messung, printed, u"Messung"_qs);
    FIND(wert, printed, u"Wert"_qs);
    FIND(grenze, printed, u"Grenze"_qs);
    FIND(co, printed, u"CO im Abgas"_qs);
    QVERIFY(messung->font.bold() && !co->font.bold());
    NEAR(messung->x - kMargin, 57 * kMmPerTwip, 0.15);
    NEAR(wert->x - kMargin, (2828 + 57) * kMmPerTwip, 0.15);
    NEAR(grenze->x - kMargin, (4534 + 57) * kMmPerTwip, 0.15);
    QCOMPARE(wert->baseline, messung->baseline);
    const PaintRecorder &rec = *printed.recorderOf(messung);
    for (int edge : {0, 2828, 4534, 6803}) {
        const double x = kMargin + edge * kMmPerTwip;
        const bool ruled = std::any_of(rec.lines.begin(), rec.lines.end(), [&](const DrawnLine &l) {
            return qAbs(l.line.x1() - x) < 0.15 && qAbs(l.line.x2() - x) < 0.15 && l.line.y1() < messung->top
                && l.line.y2() > messung->baseline;
        });
        QVERIFY2(ruled, qPrintable(u"no border at %1 mm"_qs.arg(x)));
    }
    // The table's top border: the space after "Messwerte:" (\sa283) above it.
    FIND(before, printed, u"Messwerte:"_qs);
    double top = 1e9;
    for (const DrawnLine &l : rec.lines)
        if (qAbs(l.line.y1() - l.line.y2()) < 1e-6 && l.line.y1() > before->baseline && l.line.x1() < kMargin + 1.0)
            top = std::min(top, l.line.y1());
    NEAR(top - before->baseline, pitch - (before->baseline - before->top) + 283 * kMmPerTwip, 0.3);
    FIND(after, printed, u"Kosten der Nachprüfung: 38,50 €."_qs);
    QVERIFY(after->top > co->baseline);
}

void TestFormattedRemarks::plainRemarkAndStyles()
{
    // A remark that is no RTF prints as it stands, in Arial 10 pt; RTF never
    // prints as its source.
    const PrintedProtocol plain = print(u"Erste Zeile\nZweite Zeile"_qs);
    FIND(line, plain, u"Erste Zeile"_qs);
    QCOMPARE(line->font.family(), u"Arial"_qs);
    QCOMPARE(line->font.pointSizeF(), 10.0);
    const PrintedProtocol rtf = print(fixture("befund.rtf"));
    for (const auto &rec : rtf.painted)
        for (const DrawnText &t : rec->texts)
            QVERIFY2(!t.text.contains(u'\\') && !t.text.contains(u'{'), qPrintable(t.text));
}

QTEST_MAIN(TestFormattedRemarks)
#include "test_formattedremarks.moc"
