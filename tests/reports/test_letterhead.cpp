#include "jpegimage.h"
#include "letterhead.h"
#include "printedprotocol.h"
#include "protocolfixtures.h"

#include <QFontInfo>
#include <QtTest>

#include <cmath>

using namespace report;

class TestLetterhead : public QObject {
    Q_OBJECT

public:
    TestLetterhead() : m_protocols([this]() -> const PrintSettings & { return m_settings; }) {}

private slots:
    void init() { m_settings = fixtures::printSettings(); }

    void emblemIsAGreyscalePictureAt300Dpi();
    void arialIsAMetricCompatibleFace();
    void headerLinesAreCentredAsAPair_data();
    void headerLinesAreCentredAsAPair();
    void senderLineJoinsTheNameAndTheDetails_data();
    void senderLineJoinsTheNameAndTheDetails();
    void addresseeBlock_data();
    void addresseeBlock();
    void withoutAddressTheTitleFollowsTheLetterhead_data();
    void withoutAddressTheTitleFollowsTheLetterhead();
    void settingsTakeEffectWithTheNextRun();

private:
    PrintSettings m_settings;
    Protocols m_protocols;
};

void TestLetterhead::emblemIsAGreyscalePictureAt300Dpi()
{
    const QImage &img = emblem();
    QCOMPARE(img.size(), QSize(660, 660));
    QCOMPARE(img.format(), QImage::Format_Grayscale8);
    QCOMPARE(qRound(img.dotsPerMeterX() * 0.0254), 300);
    // Black and white: nearly every pixel is close to one or the other.
    int between = 0;
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3) {
            const int v = qGray(img.pixel(x, y));
            between += v > 60 && v < 195;
        }
    QVERIFY(between < (220 * 220) / 20);
    // Round: the corners are white.
    QCOMPARE(qGray(img.pixel(5, 5)), 255);

    QString error;
    QVERIFY(jpeg::decode("kein Bild", &error).isNull());
    QVERIFY(!error.isEmpty());
}

void TestLetterhead::arialIsAMetricCompatibleFace()
{
    for (bool bold : {false, true}) {
        FontSpec fontSpec;
        fontSpec.bold = bold;
        const QFontInfo info(fontSpec.font());
        QVERIFY2(info.family() == u"Arial"_qs || info.family() == u"Liberation Sans"_qs, qPrintable(info.family()));
        QCOMPARE(info.bold(), bold);
    }
    // Arial's widths: "Schutzziel" is 4557/1000 em, 16.08 mm at 10 pt.
    QVERIFY(qAbs(textWidth(u"Schutzziel"_qs, FontSpec()) - 16.08) < 0.05);
}

void TestLetterhead::headerLinesAreCentredAsAPair_data()
{
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line3");
    QTest::addColumn<bool>("logo");
    QTest::addColumn<bool>("installationRoom");

    QTest::newRow("Luftverbund mit Logo") << u"Martin Russ"_qs << u"Tel. 0711 123456"_qs << true << false;
    QTest::newRow("Luftverbund ohne Logo") << u"Martin Russ"_qs << u"Tel. 0711 123456"_qs << false << false;
    QTest::newRow("Aufstellungsraum mit Logo") << u"Bezirksschornsteinfegermeister Anna Kehr"_qs << u"Fax 07 11"_qs << true << true;
    QTest::newRow("Aufstellungsraum ohne Logo") << u"A. Kehr"_qs << u"Tel. 1"_qs << false << true;
    QTest::newRow("ohne Zeile 3") << u"Martin Russ"_qs << QString() << true << false;
}

void TestLetterhead::headerLinesAreCentredAsAPair()
{
    QFETCH(QString, line1);
    QFETCH(QString, line3);
    QFETCH(bool, logo);
    QFETCH(bool, installationRoom);
    m_settings.headerLine1 = line1;
    m_settings.headerLine3 = line3;
    m_settings.printLogo = logo;
    Record r = installationRoom ? fixtures::installationRoom() : fixtures::interconnection();
    r.setBoolean(u"Skizzedrucken"_qs, true);   // two pages: the letterhead on each
    r.setText(u"Bemerkung"_qs, fixtures::longRemarks());
    const PrintedProtocol printed(m_protocols, r);
    QVERIFY(printed.pages.size() >= 2);

    for (size_t page = 0; page < printed.pages.size(); ++page) {
        const PaintRecorder &rec = *printed.painted[page];
        const DrawnText *t1 = rec.find(line1).front();
        const double w1 = t1->width / kMmPerUnit;
        const double w3 = line3.isEmpty() ? 0.0 : rec.find(line3).front()->width / kMmPerUnit;
        const double start = std::trunc((700.0 - w1 - w3 - 10.0) / 2.0);
        const double top = 10.0 + units(logo ? 81 : 2);
        QVERIFY(qAbs(t1->x - (16.0 + units(start))) < 0.05);
        QVERIFY(qAbs(t1->top - top) < 0.05);
        QVERIFY(t1->font.bold());
        QCOMPARE(t1->font.pointSizeF(), 10.0);
        if (!line3.isEmpty()) {
            const DrawnText *t3 = rec.find(line3).front();
            QVERIFY(qAbs(t3->x - (t1->right() + units(10))) < 0.05);
            QVERIFY(qAbs(t3->top - top) < 0.05);
            QVERIFY(!t3->font.bold());
        }
        // The emblem: 322 units from the left margin, 74 x 70 units, at the top.
        QCOMPARE(rec.images.size(), size_t(logo ? 1 : 0));
        if (logo) {
            const QRectF box = rec.images.front();
            QVERIFY(qAbs(box.left() - (16.0 + units(322))) < 0.05);
            QVERIFY(qAbs(box.top() - 10.0) < 0.05);
            QVERIFY(qAbs(box.width() - 19.5) < 0.1);
            QVERIFY(qAbs(box.height() - 18.5) < 0.05);
        }
        // The section keeps its height with the logo off.
        const PlacedSection &head = printed.pages[page].sections.front();
        QCOMPARE(head.name, u"PageHeaderBand1"_qs);
        QVERIFY(qAbs(head.height - (installationRoom ? 28.5 : 26.5)) <= 0.25);
        QCOMPARE(printed.pages[page].sections[1].top, head.top + head.height);
    }
}

void TestLetterhead::senderLineJoinsTheNameAndTheDetails_data()
{
    QTest::addColumn<QString>("line2");
    QTest::addColumn<QString>("sender");
    QTest::newRow("mit Komma") << u", Hauptstr. 7, Esslingen"_qs << u"Martin Russ, Hauptstr. 7, Esslingen"_qs;
    QTest::newRow("ohne Trennzeichen") << u"Esslingen"_qs << u"Martin RussEsslingen"_qs;
    QTest::newRow("leer") << QString() << u"Martin Russ"_qs;
}

void TestLetterhead::senderLineJoinsTheNameAndTheDetails()
{
    QFETCH(QString, line2);
    QFETCH(QString, sender);
    m_settings.headerLine1 = u"Martin Russ"_qs;
    m_settings.headerLine2 = line2;
    for (const Record &r : {fixtures::interconnection(), fixtures::installationRoom()}) {
        const PrintedProtocol printed(m_protocols, r);
        QCOMPARE(printed.textsOf(u"anschriftband"_qs).first(), sender);
    }
}

void TestLetterhead::addresseeBlock_data()
{
    QTest::addColumn<bool>("installationRoom");
    QTest::addColumn<double>("blockTop");  // mm below the sheet's top edge
    QTest::addColumn<double>("senderTop");
    QTest::addColumn<double>("ruleTop");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<double>>("tops");

    QTest::newRow("Luftverbund") << false << 39.5 << 11.5 << 15.5
                                 << QStringList{u"Herrn"_qs, u"Karl Brenner"_qs, u"Am Kelterplatz 3"_qs,
                                                u"c/o Hausverwaltung Ost"_qs, u"73734"_qs}
                                 << QList<double>{17.5, 21.5, 25.5, 29.5, 33.5};
    QTest::newRow("Aufstellungsraum") << true << 38.5 << 12.5 << 16.5
                                      << QStringList{u"Herrn"_qs, u"Karl Brenner"_qs, u"c/o Hausverwaltung Ost"_qs,
                                                     u"Am Kelterplatz 3"_qs, u"73734"_qs}
                                      << QList<double>{19.0, 23.5, 28.0, 33.0, 37.5};
}

void TestLetterhead::addresseeBlock()
{
    QFETCH(bool, installationRoom);
    QFETCH(double, blockTop);
    QFETCH(double, senderTop);
    QFETCH(double, ruleTop);
    QFETCH(QStringList, lines);
    QFETCH(QList<double>, tops);
    const Record r = installationRoom ? fixtures::installationRoom() : fixtures::interconnection();
    const PrintedProtocol printed(m_protocols, r);
    const PaintRecorder &rec = *printed.painted[0];

    const PlacedSection *block = printed.section(u"anschriftband"_qs);
    QVERIFY(qAbs(block->top - blockTop) <= 0.5);
    QCOMPARE(block->height, 67.5);

    const DrawnText *sender = rec.find(m_settings.senderLine()).front();
    QVERIFY(qAbs(sender->top - (blockTop + senderTop)) <= 0.5);
    QVERIFY(qAbs(sender->x - 16.0) < 0.05);
    QCOMPARE(sender->font.pointSizeF(), 8.0);
    QVERIFY(sender->font.italic());

    // The rule under the sender line, 321 units long from the left margin.
    bool rule = false;
    for (const DrawnLine &l : rec.lines)
        rule = rule || (qAbs(l.line.y1() - (blockTop + ruleTop)) <= 0.5 && qAbs(l.line.y1() - l.line.y2()) < 1e-6
                        && qAbs(l.line.x1() - 16.0) < 0.05 && qAbs(l.line.length() - units(321)) < 0.05);
    QVERIFY(rule);

    for (int i = 0; i < lines.size(); ++i) {
        const std::vector<const DrawnText *> found = printed.inSection(u"anschriftband"_qs, lines[i]);
        QVERIFY2(found.size() == 1, qPrintable(lines[i]));
        QVERIFY2(qAbs(found[0]->top - (blockTop + tops[i])) <= 0.5, qPrintable(lines[i]));
        QVERIFY(qAbs(found[0]->x - 16.0) < 0.05);
        QCOMPARE(found[0]->font.pointSizeF(), 10.0);
        QVERIFY(!found[0]->font.bold());
    }
    const DrawnText *town = printed.inSection(u"anschriftband"_qs, u"Esslingen-Berkheim"_qs).front();
    QVERIFY(qAbs(town->x - (16.0 + 13.0)) < 0.05);
    QVERIFY(qAbs(town->top - (blockTop + tops.last())) <= 0.5);

    // An empty field leaves its line empty; the others keep their places.
    Record gap = r;
    gap.clear(u"E_zusatz"_qs);
    const PrintedProtocol without(m_protocols, gap);
    QVERIFY(without.inSection(u"anschriftband"_qs, u"c/o Hausverwaltung Ost"_qs).empty());
    QCOMPARE(without.inSection(u"anschriftband"_qs, u"Am Kelterplatz 3"_qs).front()->top,
             printed.inSection(u"anschriftband"_qs, u"Am Kelterplatz 3"_qs).front()->top);
}

void TestLetterhead::withoutAddressTheTitleFollowsTheLetterhead_data()
{
    QTest::addColumn<bool>("installationRoom");
    QTest::addColumn<QString>("title");
    QTest::newRow("Luftverbund") << false << u"ueberschriftband"_qs;
    QTest::newRow("Aufstellungsraum") << true << u"ChildBand1"_qs;
}

void TestLetterhead::withoutAddressTheTitleFollowsTheLetterhead()
{
    QFETCH(bool, installationRoom);
    QFETCH(QString, title);
    m_settings.printAddress = false;
    const Record r = installationRoom ? fixtures::installationRoom() : fixtures::interconnection();
    const PrintedProtocol printed(m_protocols, r);
    QVERIFY(!printed.has(u"anschriftband"_qs));
    const QStringList names = sectionNames(printed.pages[0]);
    // Right after the letterhead (and the interconnection protocol's 2.5 mm spacer).
    QCOMPARE(names.indexOf(title), 2);
    const double expected = 10.0 + (installationRoom ? 28.5 : 26.5 + 2.5);
    QVERIFY(qAbs(printed.section(title)->top - expected) <= 0.5);
}

void TestLetterhead::settingsTakeEffectWithTheNextRun()
{
    const Record r = fixtures::interconnection();
    const QStringList before = PrintedProtocol(m_protocols, r).pages[0].texts();
    QVERIFY(before.contains(m_settings.headerLine3));
    m_settings.headerLine3 = u"Neue Telefonnummer"_qs;
    m_settings.printLogo = false;
    const PrintedProtocol after(m_protocols, r);
    QVERIFY(after.pages[0].texts().contains(u"Neue Telefonnummer"_qs));
    QVERIFY(after.painted[0]->images.empty());
}

QTEST_MAIN(TestLetterhead)
#include "test_letterhead.moc"
