#include "printedprotocol.h"
#include "protocolfixtures.h"

#include <QtTest>

using namespace report;
using namespace report::interconnection;

namespace {

// The fixture with every room R1..R7 carrying an appliance and an opening:
// the goal 2 table then runs on to the second page.
Record allRooms()
{
    Record r = fixtures::interconnection();
    const char *names[] = {"", "Wohnzimmer", "Esszimmer", "Flur", "Bad", "Schlafzimmer", "Kind 1", "Kind 2"};
    for (int n = 1; n <= 7; ++n) {
        const QString p = u"R%1"_qs.arg(n);
        r.setText(p, QString::fromUtf8(names[n]));
        r.setNumber(p + u"V"_qs, 20.0 + n);
        r.setNumber(p + u"N"_qs, 2.0 + n);
        r.setValue(n == 1 ? u"R1oeff"_qs : p + u"oeff"_qs, 1 + n % 7);
        r.setValue(n == 1 ? u"R1Vmit"_qs : p + u"vmit"_qs, 1);
    }
    return r;
}

std::vector<const PageElement *> rules(const Page &page)
{
    std::vector<const PageElement *> out;
    for (const PageElement &e : page.elements)
        if (e.item == u"rule"_qs)
            out.push_back(&e);
    return out;
}

bool hasFrameLine(const Page &page, const QString &section, bool bottom)
{
    const PlacedSection *s = page.section(section);
    const double y = bottom ? s->top + s->height : s->top;
    for (const PageElement &e : page.elements)
        if (e.section == section && e.item == u"frame"_qs && e.line.dy() == 0.0 && qAbs(e.line.y1() - y) < 1e-6)
            return true;
    return false;
}

} // namespace

class TestInterconnectionReport : public QObject {
    Q_OBJECT

public:
    TestInterconnectionReport() : m_protocols([this]() -> const PrintSettings & { return m_settings; }) {}

private slots:
    void init() { m_settings = fixtures::printSettings(); }

    void placedTexts_data();
    void placedTexts();
    void sectionHeightsAndOrder();
    void conditionalSections_data();
    void conditionalSections();
    void fireplaceKinds_data();
    void fireplaceKinds();
    void ductSentence();
    void notesInTheirOrder();
    void openingSummary_data();
    void openingSummary();
    void marks_data();
    void marks();
    void requiredOutput_data();
    void requiredOutput();
    void verdicts();
    void indexSizes();
    void columnRulesAfterTheLastRow();
    void tableContinuedOnTheNextPage();
    void threePagesWithTheLetterheadOnEach();

private:
    PrintSettings m_settings;
    Protocols m_protocols;
};

void TestInterconnectionReport::placedTexts_data()
{
    addPlacementRows({
        {"ueberschriftband", "Berechnung des Ofenringes für Feuerstätten ", Edge::Centre, 92.5, 14, true},
        {"ueberschriftband", "nach DVGW- TRGI 2008", Edge::Centre, 92.5, 14},
        {"ueberschriftband", "Aufstellort:", Edge::Left, 0, 10, true},
        {"ueberschriftband", "Wohnhaus Brenner", Edge::Left, 0},
        {"ueberschriftband", "Vorderhaus", Edge::Left, 0},
        {"ueberschriftband", "73728", Edge::Left, 0},
        {"ueberschriftband", "Esslingen", Edge::Left, 13},
        {"ueberschriftband", "Eigentümer", Edge::Left, 97.5, 10, true},
        {"ueberschriftband", "c/o Hausverwaltung Ost", Edge::Left, 97.5},
        {"ueberschriftband", "73734", Edge::Left, 97.5},
        {"ueberschriftband", "Esslingen-Berkheim", Edge::Left, 110.5},
        {"sz1band", "Schutzziel 1 (1 m³ / kW)", Edge::Centre, 92.5, 14, true},
        {"sz1band", "Raum", Edge::Centre, 14.75},
        {"sz1band", "Feuerstätte(n)", Edge::Centre, 58.75},
        {"sz1band", "Art", Edge::Centre, 65},
        {"sz1band", "[kW]", Edge::Centre, 47.25},
        {"sz1band", "Lüftungsöffnungen", Edge::Centre, 100.25},
        {"sz1band", "Schutzziel 1 erfüllt durch", Edge::Centre, 154.5},
        {"sz1band", "Aufstellraum", Edge::Centre, 138.75},
        {"DetailBand1", "RA", Edge::Left, 0.5},
        {"DetailBand1", "Küche", Edge::Left, 6.5},
        {"DetailBand1", "30,0", Edge::Right, 40},
        {"DetailBand1", "18,0", Edge::Right, 52},
        {"DetailBand1", "Gastherme", Edge::Left, 55.5},
        {"DetailBand1", "2x150cm² (2),1x150cm² (1)", Edge::Left, 78.5},
        {"DetailBand1", "X", Edge::Left, 138},
        {"QRChildBand1", "7,5", Edge::Right, 52},
        {"QRChildBand1", "OK", Edge::Left, 55.5, 8},
        {"ChildBand1", "R1", Edge::Left, 0.5},
        {"ChildBand1", "Wohnzimmer", Edge::Left, 6.5},
        {"ChildBand1", "55,0", Edge::Right, 40},
        {"ChildBand1", "2x150cm² (1)", Edge::Left, 78.5},
        {"ChildBand4", "Durchlauferh.", Edge::Left, 55.5},
        {"ChildBand8", "Schutzziel 2 (4 m³ / kW)", Edge::Centre, 92.5, 14, true},
        {"ChildBand8", "Raum", Edge::Centre, 14.5},
        {"ChildBand8", "Lüftungseinrichtungen in Richtung RA", Edge::Centre, 121.25},
        {"ChildBand8", "zum", Edge::Centre, 152.5},
        {"ChildBand9", "RA", Edge::Left, 0.5},
        {"ChildBand9", "30,0", Edge::Right, 40},
        {"ChildBand9", "18,0", Edge::Right, 52},
        {"ChildBand9", "Gastherme", Edge::Left, 55},
        {"ChildBand9", "ja", Edge::Centre, 75.5},
        {"ChildBand9", "--", Edge::Left, 148},
        {"ChildBand9", "3,0", Edge::Right, 184.5},
        {"QRChildBand2", "7,5", Edge::Right, 52},
        {"QRChildBand2", "OK", Edge::Left, 55},
        {"ChildBand10", "Öffnung 2x150 cm²", Edge::Left, 83.5},
        {"ChildBand10", "RA", Edge::Left, 148},
        {"ChildBand10", "47,0", Edge::Right, 171},
        {"ChildBand10", "11,8", Edge::Right, 184.5},
        {"ChildBand12", "nein", Edge::Centre, 75.5},
        {"ChildBand12", "Öffnung 1x150 cm²", Edge::Left, 83.5},
        {"ChildBand13", "Türe mit 3-seit. Dichtung, ungekürzt", Edge::Left, 83.5},
        {"ChildBand13", "R1", Edge::Left, 148},
        {"ChildBand13", "0,8", Edge::Right, 184.5},
        {"ChildBand17", "Summe der anrechenbaren Leistungen auf die Hauptfeuerstätte(n) [kW] :", Edge::Left, 2},
        {"ChildBand17", "25,7", Edge::Right, 184.5},
        {"ChildBand17", "Benötigte anrechenbare Leistungen auf die Hauptfeuerstätte (n) [kW] :", Edge::Left, 2},
        {"ChildBand17", "  20.5", Edge::Right, 184.5},
        {"ChildBand17", "Installierte Leistung der Zusatzfeuerstätten [kW] :", Edge::Left, 2},
        {"ChildBand17", "19,0", Edge::Right, 184.5},
        {"ChildBand17", "Ergebnis der Berechnung:", Edge::Left, 2, 10, true, true},
        {"ChildBand17", "Schutzziel 1 (sicheres Betriebsverhalten im Anfahrzustand) erreicht? ", Edge::Left, 2, 10, true},
        {"ChildBand17", "JA", Edge::Right, 184.5, 10, true},
        {"ChildBand17", "Schutzziel 2 (sichere Verbrennungsluftversorgung) erreicht? ", Edge::Left, 2, 10, true},
        {"ChildBand17", "NEIN", Edge::Right, 184.5, 10, true},
        {"okband", "Im Aufstellraum RA befindet sich ein offener Kamin im Verbund mit anderen Feuerstätten", Edge::Left, 2},
        {"QRChildBand3", "Hinweis:", Edge::Left, 2},
    });
}

void TestInterconnectionReport::placedTexts()
{
    static const PrintedProtocol printed(m_protocols, fixtures::interconnection());
    checkPlacementRow(printed);
}

void TestInterconnectionReport::sectionHeightsAndOrder()
{
    const PrintedProtocol printed(m_protocols, fixtures::interconnection());
    const std::vector<std::pair<QString, double>> expected = {
        {u"PageHeaderBand1"_qs, 26.5}, {u"TitleBand1"_qs, 2.5}, {u"anschriftband"_qs, 67.5},
        {u"ueberschriftband"_qs, 53}, {u"sz1band"_qs, 25.5}, {u"DetailBand1"_qs, 4.75},
        {u"QRChildBand1"_qs, 4.75}, {u"ChildBand1"_qs, 4.75}, {u"ChildBand4"_qs, 4.75},
        {u"ChildBand8a"_qs, 4.25}, {u"ChildBand8"_qs, 25}, {u"ChildBand9"_qs, 4.75},
        {u"QRChildBand2"_qs, 4.75}, {u"ChildBand10"_qs, 4.75}, {u"ChildBand11"_qs, 4.75},
        {u"ChildBand12"_qs, 4.75}, {u"ChildBand13"_qs, 4.75},
        // page 2
        {u"PageHeaderBand1"_qs, 26.5}, {u"ChildBand17"_qs, 36}, {u"dummyband"_qs, 1.25}};
    const QStringList names = printed.sections();
    QCOMPARE(names.mid(0, int(expected.size())), [&] {
        QStringList l;
        for (const auto &e : expected)
            l << e.first;
        return l;
    }());
    QCOMPARE(names.mid(int(expected.size())),
             QStringList({u"okband"_qs, u"QRChildBand3"_qs, u"zeichnungsband"_qs, u"SummaryBand1"_qs}));

    int i = 0;
    for (const Page &p : printed.pages) {
        double y = 10.0;
        for (const PlacedSection &s : p.sections) {
            QVERIFY2(qAbs(s.top - y) < 1e-9, qPrintable(s.name));
            if (i < int(expected.size()))
                QVERIFY2(qAbs(s.height - expected[size_t(i)].second) <= 0.25, qPrintable(s.name));
            y += s.height;
            ++i;
        }
        QVERIFY(y <= 287.0 + 1e-9);
    }
    QCOMPARE(printed.section(u"zeichnungsband"_qs)->height, 130.0);
    QVERIFY(printed.section(u"okband"_qs)->height > 15.0);  // the duct sentence takes two lines
}

void TestInterconnectionReport::conditionalSections_data()
{
    QTest::addColumn<QVariantMap>("changes");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QVariantMap quiet{{u"Okraum1"_qs, 0}, {u"Bschutz"_qs, false}, {u"Psum"_qs, 20.0}};
    auto with = [&](QVariantMap m) {
        for (auto it = quiet.begin(); it != quiet.end(); ++it)
            if (!m.contains(it.key()))
                m.insert(it.key(), it.value());
        return m;
    };

    QVariantMap onlyRa = with({{u"Skizzedrucken"_qs, false}, {u"Bemerkung"_qs, QString()}});
    for (int n = 1; n <= 7; ++n) {
        onlyRa.insert(u"R%1N"_qs.arg(n), 0.0);
        onlyRa.insert(n == 1 ? u"R1oeff"_qs : u"R%1oeff"_qs.arg(n), 0);
    }
    QStringList allRows;
    for (int n = 1; n <= 7; ++n)
        allRows << u"ChildBand%1"_qs.arg(n) << u"ChildBand%1"_qs.arg(9 + n);
    QTest::newRow("nur RA") << onlyRa
                            << QStringList{u"DetailBand1"_qs, u"ChildBand8a"_qs, u"ChildBand8"_qs, u"ChildBand9"_qs,
                                           u"ChildBand17"_qs, u"dummyband"_qs}
                            << allRows + QStringList{u"QRChildBand1"_qs, u"QRChildBand2"_qs, u"okband"_qs,
                                                     u"QRChildBand3"_qs, u"zeichnungsband"_qs, u"SummaryBand1"_qs};
    QTest::newRow("R3N 0,001") << QVariantMap{{u"R3N"_qs, 0.001}} << QStringList{u"ChildBand12"_qs}
                               << QStringList{u"ChildBand3"_qs};
    QTest::newRow("R3N 0,0011") << QVariantMap{{u"R3N"_qs, 0.0011}} << QStringList{u"ChildBand3"_qs} << QStringList{};
    QTest::newRow("R4oeff 0") << QVariantMap{{u"R4oeff"_qs, 0}} << QStringList{u"ChildBand4"_qs}
                              << QStringList{u"ChildBand13"_qs};
    QTest::newRow("Okraum1 0") << QVariantMap{{u"Okraum1"_qs, 0}} << QStringList{u"QRChildBand3"_qs}
                               << QStringList{u"QRChildBand1"_qs, u"QRChildBand2"_qs, u"okband"_qs};
    QTest::newRow("ohne Hinweis") << with({}) << QStringList{}
                                  << QStringList{u"QRChildBand3"_qs, u"okband"_qs};
    QTest::newRow("Psum 50,001") << with({{u"Psum"_qs, 50.001}}) << QStringList{} << QStringList{u"QRChildBand3"_qs};
    QTest::newRow("Psum 50,0011") << with({{u"Psum"_qs, 50.0011}}) << QStringList{u"QRChildBand3"_qs} << QStringList{};
    QTest::newRow("Bestandsschutz") << with({{u"Bschutz"_qs, true}}) << QStringList{u"QRChildBand3"_qs}
                                    << QStringList{};
    QTest::newRow("Skizze aus") << QVariantMap{{u"Skizzedrucken"_qs, false}} << QStringList{u"SummaryBand1"_qs}
                                << QStringList{u"zeichnungsband"_qs};
    QTest::newRow("Bemerkung leer") << QVariantMap{{u"Bemerkung"_qs, QString()}} << QStringList{u"zeichnungsband"_qs}
                                    << QStringList{u"SummaryBand1"_qs};
}

void TestInterconnectionReport::conditionalSections()
{
    QFETCH(QVariantMap, changes);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    Record r = fixtures::interconnection();
    for (auto it = changes.begin(); it != changes.end(); ++it)
        r.setValue(it.key(), it.value());
    const PrintedProtocol printed(m_protocols, r);
    const QStringList names = printed.sections();
    for (const QString &s : present)
        QVERIFY2(names.count(s) == 1, qPrintable(s + u" missing in "_qs + names.join(u' ')));
    for (const QString &s : absent)
        QVERIFY2(!names.contains(s), qPrintable(s + u" printed"_qs));
}

void TestInterconnectionReport::fireplaceKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("note");

    QTest::newRow("kein Kamin") << 0 << QString() << QString() << QString();
    QTest::newRow("offener Kamin allein")
        << 1 << u"Im Aufstellraum RA befindet sich ein offener Kamin als alleinige Feuerstätte"_qs << u"OK"_qs
        << u"Im Hauptaufstellraum befindet sich ein offener Kamin. Die Berechnung wurde unter der Annahme durchgeführt, daß keine weiteren Feuerstätten vorhanden sind."_qs;
    QTest::newRow("offener Kamin im Verbund")
        << 2 << u"Im Aufstellraum RA befindet sich ein offener Kamin im Verbund mit anderen Feuerstätten"_qs << u"OK"_qs
        << u"Im Hauptaufstellraum befindet sich ein offener Kamin. Die Berechnung wurde im Zusammenhang mit weiteren Feuerstätten durchgeführt."_qs;
    QTest::newRow("Kachelofen") << 3 << u"Im Aufstellraum RA befindet sich ein Kachelofen"_qs << u"KO"_qs
                                << u"Im Hauptaufstellraum befindet sich ein Kachelofen."_qs;
}

void TestInterconnectionReport::fireplaceKinds()
{
    QFETCH(int, kind);
    QFETCH(QString, line);
    QFETCH(QString, code);
    QFETCH(QString, note);
    Record r = fixtures::interconnection();
    r.setInteger(u"Okraum1"_qs, kind);
    r.setBoolean(u"Bschutz"_qs, false);
    const PrintedProtocol printed(m_protocols, r);
    const Page &first = printed.pages[0];

    // Without a fireplace both RA rows are closed by a bottom line.
    QCOMPARE(hasFrameLine(first, u"DetailBand1"_qs, true), kind == 0);
    QCOMPARE(hasFrameLine(first, u"ChildBand9"_qs, true), kind == 0);
    QVERIFY(hasFrameLine(first, u"DetailBand1"_qs, false));
    QCOMPARE(notes(r), note.isEmpty() ? QStringList() : QStringList{note});
    if (kind == 0) {
        QVERIFY(!printed.has(u"okband"_qs));
        QVERIFY(!printed.has(u"QRChildBand3"_qs));
        return;
    }
    QCOMPARE(printed.textsOf(u"okband"_qs).first(), line);
    QCOMPARE(printed.textsOf(u"QRChildBand1"_qs), QStringList({u"7,5"_qs, code}));
    QCOMPARE(printed.textsOf(u"QRChildBand2"_qs), QStringList({u"7,5"_qs, code}));
    QCOMPARE(printed.inSection(u"QRChildBand1"_qs, code).front()->font.pointSizeF(), 8.0);
    QCOMPARE(printed.inSection(u"QRChildBand2"_qs, code).front()->font.pointSizeF(), 10.0);
    const QString printedNote = printed.textsOf(u"QRChildBand3"_qs).mid(1).join(u' ');
    QCOMPARE(printedNote, note);
}

void TestInterconnectionReport::ductSentence()
{
    Record r = fixtures::interconnection();
    QCOMPARE(interconnection::ductSentence(r),
             u"Die Versorgungsleistung der Zuluftleitung (Querschnitt: 7,5 cm², Länge: 150 m, Uml. 45°: 2, Uml. 90°: 1) beträgt:"_qs);
    const PrintedProtocol with(m_protocols, r);
    const QStringList lines = with.textsOf(u"okband"_qs);
    // Line 1 with its output, the sentence wrapped at 148.5 mm, the duct's output at the right.
    QCOMPARE(lines.last(), u"kW"_qs);
    QVERIFY(lines.contains(u"5,0"_qs));
    for (const DrawnText *t : with.inSection(u"okband"_qs, lines[4]))
        QVERIFY(t->right() - 16.0 <= 2.0 + 148.5);

    r.setBoolean(u"Okll"_qs, false);
    QVERIFY(interconnection::ductSentence(r).isEmpty());
    const PrintedProtocol without(m_protocols, r);
    QCOMPARE(without.textsOf(u"okband"_qs),
             QStringList({u"Im Aufstellraum RA befindet sich ein offener Kamin im Verbund mit anderen Feuerstätten"_qs,
                          u"Leistung:"_qs, u"7,5"_qs, u"kW"_qs}));
    QCOMPARE(without.section(u"okband"_qs)->height, 15.0);
}

void TestInterconnectionReport::notesInTheirOrder()
{
    Record r = fixtures::interconnection();
    r.setNumber(u"Psum"_qs, 60.0);
    r.setInteger(u"Okraum1"_qs, 3);
    const QStringList list = notes(r);
    QCOMPARE(list.size(), 3);
    QVERIFY(list[0].startsWith(u"Die Gesamtleistung der Gasfeuerstätten ist größer als 50 kW!"_qs));
    QVERIFY(list[1].startsWith(u"Die Berechnung ist nur gültig bei Bestandsschutz"_qs));
    QCOMPARE(list[2], u"Im Hauptaufstellraum befindet sich ein Kachelofen."_qs);
    const PrintedProtocol printed(m_protocols, r);
    const QStringList lines = printed.textsOf(u"QRChildBand3"_qs);
    QCOMPARE(lines.first(), u"Hinweis:"_qs);
    QCOMPARE(lines.mid(1).join(u' '), list.join(u' '));
    QVERIFY(printed.section(u"QRChildBand3"_qs)->height > 10.0);
}

void TestInterconnectionReport::openingSummary_data()
{
    QTest::addColumn<QVariantMap>("rooms");
    QTest::addColumn<QStringList>("summaries");  // RA, R1 .. R7

    QTest::newRow("nur RA") << QVariantMap{} << QStringList(8, QString());
    QTest::newRow("zwei 2x150, eine 1x150 zu RA")
        << QVariantMap{{u"R1oeff"_qs, 1}, {u"R1Vmit"_qs, 1}, {u"R2oeff"_qs, 1}, {u"R2vmit"_qs, 1},
                       {u"R3oeff"_qs, 2}, {u"R3vmit"_qs, 1}}
        << QStringList{u"2x150cm² (2),1x150cm² (1)"_qs, u"2x150cm² (1)"_qs, u"2x150cm² (1)"_qs, u"1x150cm² (1)"_qs,
                       QString(), QString(), QString(), QString()};
    QTest::newRow("Räume an R1 und R2")
        << QVariantMap{{u"R1oeff"_qs, 2}, {u"R1Vmit"_qs, 1}, {u"R2oeff"_qs, 1}, {u"R2vmit"_qs, 2},
                       {u"R3oeff"_qs, 2}, {u"R3vmit"_qs, 2}, {u"R4oeff"_qs, 1}, {u"R4vmit"_qs, 3},
                       {u"R5oeff"_qs, 2}, {u"R5vmit"_qs, 3}}
        << QStringList{u"1x150cm² (1)"_qs, u"2x150cm² (1),1x150cm² (2)"_qs, u"2x150cm² (2),1x150cm² (1)"_qs,
                       u"1x150cm² (1)"_qs, u"2x150cm² (1)"_qs, u"1x150cm² (1)"_qs, QString(), QString()};
    QTest::newRow("Türen zählen nicht")
        << QVariantMap{{u"R1oeff"_qs, 3}, {u"R1Vmit"_qs, 1}, {u"R4oeff"_qs, 5}, {u"R4vmit"_qs, 2}}
        << QStringList(8, QString());
    QTest::newRow("R3 an R3 zählt nicht doppelt")
        << QVariantMap{{u"R3oeff"_qs, 1}, {u"R3vmit"_qs, 3}, {u"R6oeff"_qs, 1}, {u"R6vmit"_qs, 0}}
        << QStringList{QString(), QString(), u"2x150cm² (1)"_qs, u"2x150cm² (1)"_qs, QString(), QString(),
                       u"2x150cm² (1)"_qs, QString()};
}

void TestInterconnectionReport::openingSummary()
{
    QFETCH(QVariantMap, rooms);
    QFETCH(QStringList, summaries);
    const Record r = fixtures::record(rooms);
    for (int slot = 0; slot < 8; ++slot)
        QVERIFY2(interconnection::openingSummary(r, slot) == summaries[slot], qPrintable(QString::number(slot)));
}

void TestInterconnectionReport::marks_data()
{
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("output");
    QTest::addColumn<double>("carryOver");
    QTest::addColumn<bool>("first");
    QTest::addColumn<bool>("second");

    QTest::newRow("Volumen gleich Leistung") << 10.0 << 10.0 << 0.0 << true << false;
    QTest::newRow("knapp darunter, mit Toleranz") << 10.0 << 10.0009 << 0.0 << true << false;
    QTest::newRow("zu klein, kein Vortrag") << 10.0 << 10.002 << 0.0 << false << false;
    QTest::newRow("zu klein, Vortrag") << 10.0 << 10.002 << 3.0 << false << true;
    QTest::newRow("groß genug, Vortrag") << 30.0 << 10.0 << 3.0 << true << false;
}

void TestInterconnectionReport::marks()
{
    QFETCH(double, volume);
    QFETCH(double, output);
    QFETCH(double, carryOver);
    QFETCH(bool, first);
    QFETCH(bool, second);
    Record r = fixtures::interconnection();
    r.setNumber(u"R1V"_qs, volume);
    r.setNumber(u"R1N"_qs, output);
    r.setNumber(u"Vortrag"_qs, carryOver);
    QCOMPARE(roomAloneSuffices(r, 1), first);
    QCOMPARE(neighboursSuffice(r, 1), second);
    const PrintedProtocol printed(m_protocols, r);
    const std::vector<const DrawnText *> marks = printed.inSection(u"ChildBand1"_qs, u"X"_qs);
    QCOMPARE(int(marks.size()), int(first) + int(second));
    for (const DrawnText *m : marks)
        QVERIFY(qAbs(edgeOf(*m, Edge::Left) - (first ? 138.0 : 167.0)) <= 0.5);
}

void TestInterconnectionReport::requiredOutput_data()
{
    QTest::addColumn<double>("ran");
    QTest::addColumn<double>("unsupplied");
    QTest::addColumn<QString>("text");
    QTest::newRow("12,5") << 10.0 << 2.5 << u"  12.5"_qs;
    QTest::newRow("halb aufgerundet") << 12.25 << 0.0 << u"  12.3"_qs;
    QTest::newRow("dreistellig") << 100.0 << 0.04 << u" 100.0"_qs;
    QTest::newRow("leer") << 0.0 << 0.0 << u"   0.0"_qs;
}

void TestInterconnectionReport::requiredOutput()
{
    QFETCH(double, ran);
    QFETCH(double, unsupplied);
    QFETCH(QString, text);
    Record r;
    r.setNumber(u"RAN"_qs, ran);
    r.setNumber(u"Okunversorgt"_qs, unsupplied);
    QCOMPARE(requiredOutputText(r), text);
}

void TestInterconnectionReport::verdicts()
{
    Record r = fixtures::interconnection();
    r.clear(u"Sz1"_qs);
    r.setBoolean(u"Sz2"_qs, true);
    const PrintedProtocol printed(m_protocols, r);
    const QStringList texts = printed.textsOf(u"ChildBand17"_qs);
    QCOMPARE(texts.mid(texts.size() - 4),
             QStringList({u"Schutzziel 1 (sicheres Betriebsverhalten im Anfahrzustand) erreicht? "_qs, u"NEIN"_qs,
                          u"Schutzziel 2 (sichere Verbrennungsluftversorgung) erreicht? "_qs, u"JA"_qs}));
}

void TestInterconnectionReport::indexSizes()
{
    const PrintedProtocol printed(m_protocols, fixtures::interconnection());
    for (const auto &[section, index, size] : {std::tuple{u"sz1band"_qs, u"NL"_qs, 7.0},
                                               std::tuple{u"ChildBand8"_qs, u"NL"_qs, 7.0},
                                               std::tuple{u"ChildBand8"_qs, u"Lanr"_qs, 8.0},
                                               std::tuple{u"ChildBand17"_qs, u"Lan"_qs, 9.0}}) {
        const std::vector<const DrawnText *> found = printed.inSection(section, index);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found[0]->font.pointSizeF(), size);
        // An index: lower than the "Q" (or "Σ Q") it belongs to, right behind it.
        const DrawnText *base = nullptr;
        for (size_t i = 0; i < printed.painted.size(); ++i)
            for (const DrawnText &t : printed.painted[i]->texts)
                if (t.text.endsWith(u'Q') && qAbs(t.right() - found[0]->x) < 0.05 && qAbs(t.top - found[0]->top) < 3)
                    base = &t;
        QVERIFY2(base, qPrintable(index));
        QVERIFY(found[0]->baseline > base->baseline);
    }
}

void TestInterconnectionReport::columnRulesAfterTheLastRow()
{
    const PrintedProtocol printed(m_protocols, fixtures::interconnection());
    const Page &page = printed.pages[0];
    const PlacedSection *head1 = page.section(u"sz1band"_qs);
    const PlacedSection *close1 = page.section(u"ChildBand8a"_qs);
    const PlacedSection *head2 = page.section(u"ChildBand8"_qs);
    const PlacedSection *last2 = page.section(u"ChildBand13"_qs);
    QMap<double, std::pair<double, double>> drawn;
    for (const PageElement *e : rules(page)) {
        QCOMPARE(e->line.dx(), 0.0);
        drawn.insert(e->line.x1() - 16.0, {e->line.y1(), e->line.y2()});
    }
    // Goal 2 runs on to the totals on page 2: its rules end with the last row of page 1.
    QCOMPARE(drawn.keys(), QList<double>({29.0, 29.5, 41.0, 53.5, 54.5, 68.0, 76.5, 82.5, 124.0, 145.0, 153.5, 160.0, 174.0}));
    for (double x : {29.5, 53.5, 76.5, 124.0, 153.5})
        QCOMPARE(drawn.value(x), std::pair(head1->top + head1->height, close1->top));
    for (double x : {29.0, 54.5, 68.0, 82.5, 145.0, 160.0, 174.0})
        QCOMPARE(drawn.value(x), std::pair(head2->top + head2->height, last2->top + last2->height));
    QCOMPARE(rules(printed.pages[1]).size(), size_t(0));

    // With a record that fits, the totals draw the goal 2 rules down to themselves.
    Record small = fixtures::interconnection();
    small.setNumber(u"R4N"_qs, 0.0);
    small.setInteger(u"R4oeff"_qs, 0);
    small.setInteger(u"Okraum1"_qs, 0);
    m_settings.printAddress = false;
    const PrintedProtocol fits(m_protocols, small);
    const Page &one = fits.pages[0];
    const PlacedSection *totals = one.section(u"ChildBand17"_qs);
    QVERIFY(totals);
    int goal2 = 0;
    for (const PageElement *e : rules(one))
        if (qAbs(e->line.y2() - totals->top) < 1e-9)
            ++goal2;
    QCOMPARE(goal2, 8);
}

void TestInterconnectionReport::tableContinuedOnTheNextPage()
{
    const PrintedProtocol printed(m_protocols, allRooms());
    QVERIFY(printed.pages.size() >= 2);
    int page = -1;
    const PlacedSection *totals = printed.section(u"ChildBand17"_qs, &page);
    QCOMPARE(page, 1);
    // Page 2 starts with goal 2 rows; their part of the table is ruled from
    // below the letterhead down to the totals.
    const Page &second = printed.pages[1];
    QVERIFY(second.sections[1].name.startsWith(u"ChildBand1"_qs));
    const double top = second.sections[1].top;
    const std::vector<const PageElement *> ruled = rules(second);
    QCOMPARE(ruled.size(), size_t(8));
    for (const PageElement *e : ruled) {
        QCOMPARE(e->line.y1(), top);
        QCOMPARE(e->line.y2(), totals->top);
    }
    // Page 1's part ends with its last row.
    const Page &first = printed.pages[0];
    const PlacedSection &lastRow = first.sections.back();
    int goal2 = 0;
    for (const PageElement *e : rules(first))
        goal2 += qAbs(e->line.y2() - (lastRow.top + lastRow.height)) < 1e-9;
    QCOMPARE(goal2, 8);
}

void TestInterconnectionReport::threePagesWithTheLetterheadOnEach()
{
    Record r = allRooms();
    r.setText(u"Bemerkung"_qs, fixtures::longRemarks());
    const PrintedProtocol printed(m_protocols, r);
    QVERIFY(printed.pages.size() >= 3);
    for (size_t i = 0; i < printed.pages.size(); ++i) {
        const PaintRecorder &rec = *printed.painted[i];
        QCOMPARE(printed.pages[i].sections.front().name, u"PageHeaderBand1"_qs);
        QCOMPARE(rec.images.size(), size_t(1));
        const DrawnText *name = rec.find(m_settings.headerLine1).front();
        QVERIFY(qAbs(name->top - (10.0 + units(81))) < 0.05);
        for (const DrawnText &t : rec.texts)
            QVERIFY2(t.baseline <= 287.0, qPrintable(t.text));
    }
    // Every paragraph of the remarks is printed once.
    int paragraphs = 0;
    for (size_t i = 0; i < printed.painted.size(); ++i)
        for (const DrawnText &t : printed.painted[i]->texts)
            paragraphs += t.text.contains(u". Befund:"_qs);
    QCOMPARE(paragraphs, 40);
}

QTEST_MAIN(TestInterconnectionReport)
#include "test_interconnectionreport.moc"
