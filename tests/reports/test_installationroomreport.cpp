#include "printedprotocol.h"
#include "protocolfixtures.h"

#include <QtTest>

using namespace report;
using namespace report::installationroom;

class TestInstallationRoomReport : public QObject {
    Q_OBJECT

public:
    TestInstallationRoomReport() : m_protocols([this]() -> const PrintSettings & { return m_settings; }) {}

private slots:
    void init() { m_settings = fixtures::printSettings(); }

    void titleOfTheReport();
    void placedTexts_data();
    void placedTexts();
    void sectionHeightsAndOrder();
    void conditions_data();
    void conditions();
    void openings_data();
    void openings();
    void neighbourOpening_data();
    void neighbourOpening();
    void tallRecordPaginatesSectionBySection();

private:
    PrintSettings m_settings;
    Protocols m_protocols;
};

void TestInstallationRoomReport::titleOfTheReport()
{
    QCOMPARE(Protocols::title(fixtures::installationRoom()), u"Protokoll Aufstellungsraum"_qs);
    QCOMPARE(m_protocols.layout(fixtures::installationRoom()).title, u"Protokoll Aufstellungsraum"_qs);
    QCOMPARE(Protocols::title(fixtures::interconnection()), QString());
    // Any mode but 0 is an installation-room record, and it prints uncalculated.
    Record r = fixtures::installationRoom();
    r.setInteger(u"Modus"_qs, 7);
    r.setBoolean(u"Gerechnet"_qs, false);
    QVERIFY(Protocols::isInstallationRoom(r));
    QVERIFY(Protocols::mayPrint(r));
    QVERIFY(m_protocols.layOut(r, 2).front().section(u"feuerstaettenband"_qs));
}

void TestInstallationRoomReport::placedTexts_data()
{
    addPlacementRows({
        {"ChildBand1", "Berechnung der Verbrennungsluftversorgung für Feuerstätten ", Edge::Centre, 92.5, 14, true},
        {"ChildBand1", "Aufstellort:", Edge::Left, 0, 10, true},
        {"ChildBand1", "Wohnhaus Brenner", Edge::Left, 0},
        {"ChildBand1", "Vorderhaus", Edge::Left, 0},
        {"ChildBand1", "73728", Edge::Left, 0},
        {"ChildBand1", "Esslingen", Edge::Left, 11},
        {"ChildBand1", "Eigentümer:", Edge::Left, 95.5, 10, true},
        {"ChildBand1", "Karl Brenner", Edge::Left, 95.5},
        {"ChildBand1", "73734", Edge::Left, 95.5},
        {"ChildBand1", "Esslingen-Berkheim", Edge::Left, 108.5},
        {"feuerstaettenband", "Daten der Feuerstätte", Edge::Left, 2, 10, true, true},
        {"feuerstaettenband", "Aufstellungsraum:", Edge::Left, 2, 10, true},
        {"feuerstaettenband", "Leistung", Edge::Left, 40},
        {"feuerstaettenband", "45,0", Edge::Right, 75},
        {"feuerstaettenband", "kW", Edge::Left, 76},
        {"feuerstaettenband", "Volumen", Edge::Left, 87},
        {"feuerstaettenband", "30,0", Edge::Right, 132},
        {"feuerstaettenband", "m³", Edge::Left, 134},
        {"feuerstaettenband", "Schutzziel 1 mit Aufstellungsraum erreicht? ", Edge::Left, 40},
        {"feuerstaettenband", "NEIN", Edge::Right, 132},
        {"nachbarraumband", "Nachbarraum:", Edge::Left, 2, 10, true},
        {"nachbarraumband", "Volumen", Edge::Left, 87},
        {"nachbarraumband", "60,0", Edge::Right, 132.5},
        {"nachbarraumband", "m³", Edge::Left, 134},
        {"nachbarraumband", "Lüftungsöffnungen zum Aufstellungsraum:", Edge::Left, 40},
        {"nachbarraumband", "2x75", Edge::Right, 132.5},
        {"nachbarraumband", "cm²", Edge::Left, 134},
        {"nachbarraumband", "Schutzziel 1 zusammen mit Nachbarraum erreicht? ", Edge::Left, 40},
        {"nachbarraumband", "NEIN", Edge::Right, 132.5},
        {"verbrennungsluftband", "Verbrennungsluftversorgung:", Edge::Left, 2, 10, true, true},
        {"verbrennungsluftband", "Lüftungsöffnungen:", Edge::Left, 2},
        {"verbrennungsluftband", "2 x", Edge::Left, 40},
        {"verbrennungsluftband", "75 cm²", Edge::Left, 47},
        {"verbrennungsluftband", "(zulässig: ", Edge::Left, 97.5},
        {"verbrennungsluftband", "1x150 cm² oder 2x75 cm²)", Edge::Left, 114.5},
        {"verbrennungsluftband", "Zuluft über: ", Edge::Left, 2},
        {"verbrennungsluftband", "Öffnungen mit nachgeschalteten Lüftungsleitungen ins Freie", Edge::Left, 40},
        {"verbrennungsluftband", "Schutzziel 1 mit Öffnungen ins Freie erreicht? ", Edge::Left, 2},
        {"verbrennungsluftband", "Zuluft durch Nachbarraum hindurch mit Öffnung 2x150 cm² ins Freie? ", Edge::Left, 2},
        {"verbrennungsluftband", "JA", Edge::Right, 132},
        {"llbandA", "Luftversorgung über Nachgeschaltete Lüftungsleitungen:", Edge::Left, 2, 10, true, true},
        {"llbandA", "Länge", Edge::Left, 36},
        {"llbandA", "Bögen 90°", Edge::Left, 51},
        {"llbandA", "Bögen 45°", Edge::Left, 72},
        {"llbandA", "Gitter", Edge::Left, 97.5},
        {"llbandA", "Querschnitt", Edge::Left, 114.5, 10, true},
        {"llbandA", "Zuluft Nord", Edge::Left, 2, 10, true},
        {"llbandA", "4,5", Edge::Right, 43},
        {"llbandA", "m", Edge::Left, 44.5},
        {"llbandA", "2", Edge::Centre, 59},     // 90° bends
        {"llbandA", "1", Edge::Centre, 80},     // 45° bends
        {"llbandA", "2", Edge::Centre, 101.5},  // grilles
        {"llbandA", "311,4", Edge::Right, 123},
        {"llbandA", "cm²", Edge::Left, 125},
        {"llbandB", "Zuluft Süd", Edge::Left, 2, 10, true},
        {"llbandB", "2,0", Edge::Right, 43},
        {"llbandB", "1", Edge::Centre, 59},
        {"llbandB", "0", Edge::Centre, 80},
        {"llbandB", "1", Edge::Centre, 101.5},
        {"llbandB", "236,8", Edge::Right, 123},
    });
}

void TestInstallationRoomReport::placedTexts()
{
    static const PrintedProtocol printed(m_protocols, fixtures::installationRoom());
    checkPlacementRow(printed);
}

void TestInstallationRoomReport::sectionHeightsAndOrder()
{
    Record r = fixtures::installationRoom();
    r.setText(u"Bemerkung"_qs, u"Eine Zeile."_qs);
    const PrintedProtocol printed(m_protocols, r);
    const std::vector<std::pair<QString, double>> expected = {
        {u"PageHeaderBand1"_qs, 28.5}, {u"anschriftband"_qs, 67.5}, {u"ChildBand1"_qs, 49},
        {u"feuerstaettenband"_qs, 20.5}, {u"nachbarraumband"_qs, 18.5}, {u"verbrennungsluftband"_qs, 33.5},
        {u"llbandA"_qs, 21}, {u"llbandB"_qs, 6.5},
        {u"PageHeaderBand1"_qs, 28.5}, {u"zeichnungsband"_qs, 132}, {u"bemerkungsband"_qs, 7.5},
        {u"QRBand1"_qs, 5}};
    QStringList names = printed.sections();
    names.removeAll(u"kette"_qs);
    QStringList want;
    for (const auto &e : expected)
        want << e.first;
    QCOMPARE(names, want);
    size_t i = 0;
    for (const Page &p : printed.pages)
        for (const PlacedSection &s : p.sections)
            if (s.name != u"kette"_qs) {
                QVERIFY2(qAbs(s.height - expected[i].second) <= 0.25, qPrintable(s.name));
                ++i;
            }
    // Lines of the title section about 6 mm apart.
    const DrawnText *first = printed.inSection(u"ChildBand1"_qs, u"Wohnhaus Brenner"_qs).front();
    const DrawnText *second = printed.inSection(u"ChildBand1"_qs, u"Erdgeschoss links"_qs).front();
    QVERIFY(qAbs(second->top - first->top - 6.0) <= 0.5);
}

void TestInstallationRoomReport::conditions_data()
{
    QTest::addColumn<QVariantMap>("changes");
    QTest::addColumn<QStringList>("sections");  // the optional sections printed
    QTest::addColumn<QStringList>("lines");     // the optional lines printed
    QTest::addColumn<bool>("address");

    const QString nrLine = u"Schutzziel 1 zusammen mit Nachbarraum erreicht? "_qs;
    const QString outsideLine = u"Schutzziel 1 mit Öffnungen ins Freie erreicht? "_qs;
    const QString throughLine = u"Zuluft durch Nachbarraum hindurch mit Öffnung 2x150 cm² ins Freie? "_qs;
    const QStringList ducts{u"llbandA"_qs, u"llbandB"_qs};
    const QStringList all = QStringList{u"anschriftband"_qs, u"nachbarraumband"_qs} + ducts
        + QStringList{u"zeichnungsband"_qs, u"bemerkungsband"_qs};

    QTest::newRow("Beispiel") << QVariantMap{} << all << QStringList{nrLine, outsideLine, throughLine} << true;
    QTest::newRow("60 kW mit Nachbarraum")
        << QVariantMap{{u"Hrleistung"_qs, 60.0}} << (all.mid(0, 1) + ducts + all.mid(4))
        << QStringList{outsideLine, throughLine} << true;
    QTest::newRow("50,001 kW") << QVariantMap{{u"Hrleistung"_qs, 50.001}} << all
                               << QStringList{nrLine, outsideLine, throughLine} << true;
    QTest::newRow("Schutzziel 1 im Aufstellraum")
        << QVariantMap{{u"Hrsz1"_qs, true}} << all << QStringList{throughLine} << true;
    QTest::newRow("Schutzziel 1 mit Nachbarraum")
        << QVariantMap{{u"Hrnrsz1"_qs, true}} << all << QStringList{nrLine, throughLine} << true;
    QTest::newRow("ohne Nachbarraum")
        << QVariantMap{{u"Hrnrvorhanden"_qs, false}, {u"Hrnrsz1"_qs, true}} << (all.mid(0, 1) + ducts + all.mid(4))
        << QStringList{outsideLine} << true;
    QTest::newRow("Öffnungen ins Freie") << QVariantMap{{u"Hrll"_qs, 0}}
                                         << (all.mid(0, 2) + all.mid(4)) << QStringList{nrLine, outsideLine, throughLine} << true;
    QTest::newRow("eine Leitung") << QVariantMap{{u"Hrllanzahl"_qs, 1}}
                                  << (all.mid(0, 3) + all.mid(4)) << QStringList{nrLine, outsideLine, throughLine} << true;
    QTest::newRow("ohne Anschrift, Skizze, Bemerkung")
        << QVariantMap{{u"Skizzedrucken"_qs, false}, {u"Bemerkung"_qs, QString()}} << all.mid(1, 3)
        << QStringList{nrLine, outsideLine, throughLine} << false;
}

void TestInstallationRoomReport::conditions()
{
    QFETCH(QVariantMap, changes);
    QFETCH(QStringList, sections);
    QFETCH(QStringList, lines);
    QFETCH(bool, address);
    Record r = fixtures::installationRoom();
    for (auto it = changes.begin(); it != changes.end(); ++it)
        r.setValue(it.key(), it.value());
    m_settings.printAddress = address;
    const PrintedProtocol printed(m_protocols, r);

    QStringList optional;
    for (const QString &s : printed.sections())
        if (!QStringList{u"PageHeaderBand1"_qs, u"kette"_qs, u"ChildBand1"_qs, u"feuerstaettenband"_qs,
                         u"verbrennungsluftband"_qs, u"QRBand1"_qs}
                 .contains(s))
            optional << s;
    QCOMPARE(optional, sections);

    QStringList printedLines;
    const QStringList candidates{u"Schutzziel 1 zusammen mit Nachbarraum erreicht? "_qs,
                                 u"Schutzziel 1 mit Öffnungen ins Freie erreicht? "_qs,
                                 u"Zuluft durch Nachbarraum hindurch mit Öffnung 2x150 cm² ins Freie? "_qs};
    const QStringList texts = allTexts(printed.pages);
    for (const QString &c : candidates)
        if (texts.contains(c))
            printedLines << c;
    QCOMPARE(printedLines, lines);
    // A line left out keeps its space: the section's height stays.
    QCOMPARE(printed.section(u"verbrennungsluftband"_qs)->height, 33.5);
    // Each verdict line comes with its value, right-aligned at 132 mm.
    const int verdicts = int(printed.inSection(u"verbrennungsluftband"_qs, u"JA"_qs).size()
                             + printed.inSection(u"verbrennungsluftband"_qs, u"NEIN"_qs).size());
    QCOMPARE(verdicts, int(lines.contains(candidates[1])) + int(lines.contains(candidates[2])));
}

void TestInstallationRoomReport::openings_data()
{
    QTest::addColumn<double>("output");
    QTest::addColumn<double>("volume");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("admissible");

    // The fixture's sizes: one opening 150 cm², two of 75 cm².
    QTest::newRow("bis 50 kW, zwei") << 45.0 << 30.0 << 2 << u"75 cm²"_qs << u"1x150 cm² oder 2x75 cm²)"_qs;
    QTest::newRow("bis 50 kW, eine") << 45.0 << 30.0 << 1 << u"150 cm²"_qs << u"1x150 cm² oder 2x75 cm²)"_qs;
    QTest::newRow("über 50 kW, kleiner Raum") << 60.0 << 30.0 << 2 << u"75 cm²"_qs << u"2x75 cm²)"_qs;
    QTest::newRow("über 50 kW, großer Raum") << 60.0 << 59.999 << 2 << u"75 cm²"_qs << u"1x150 cm² oder 2x75 cm²)"_qs;
}

void TestInstallationRoomReport::openings()
{
    QFETCH(double, output);
    QFETCH(double, volume);
    QFETCH(int, count);
    QFETCH(QString, chosen);
    QFETCH(QString, admissible);
    Record r = fixtures::installationRoom();
    r.setNumber(u"Hrleistung"_qs, output);
    r.setNumber(u"Hrvolumen"_qs, volume);
    r.setInteger(u"Hrllanzahl"_qs, count);
    QCOMPARE(chosenOpeningText(r), chosen);
    QCOMPARE(admissibleOpeningsText(r), admissible);
    const PrintedProtocol printed(m_protocols, r);
    const QStringList texts = printed.textsOf(u"verbrennungsluftband"_qs);
    QVERIFY(texts.contains(u"%1 x"_qs.arg(count)));
    QVERIFY(texts.contains(chosen));
    QVERIFY(texts.contains(admissible));

    // Shortest decimals: 112,5 and 225, not 112,50.
    r.setNumber(u"HrloeffS"_qs, 225.0);
    r.setNumber(u"Hrloeffs2"_qs, 112.5);
    r.setNumber(u"Hrleistung"_qs, 40.0);
    QCOMPARE(admissibleOpeningsText(r), u"1x225 cm² oder 2x112,5 cm²)"_qs);
}

void TestInstallationRoomReport::neighbourOpening_data()
{
    QTest::addColumn<QVariant>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("leer") << QVariant() << u"2x150"_qs;
    QTest::newRow("0") << QVariant(0) << u"2x150"_qs;
    QTest::newRow("1") << QVariant(1) << u"1x150"_qs;
    QTest::newRow("2") << QVariant(2) << u"2x75"_qs;
    QTest::newRow("5") << QVariant(5) << u"5"_qs;
}

void TestInstallationRoomReport::neighbourOpening()
{
    QFETCH(QVariant, code);
    QFETCH(QString, text);
    Record r = fixtures::installationRoom();
    r.setValue(u"Hrnrloeff"_qs, code);
    const PrintedProtocol printed(m_protocols, r);
    checkPlaced(printed, u"nachbarraumband"_qs, text, Edge::Right, 132.5, 10, false);
    QCOMPARE(supplyKindText(0), u"Öffnungen ins Freie"_qs);
    QCOMPARE(supplyKindText(3), u"3"_qs);
}

void TestInstallationRoomReport::tallRecordPaginatesSectionBySection()
{
    // Address, ducts, sketch and long remarks are taller than a page: every
    // section moves on whole (the remarks run on between lines), and every
    // page begins with the letterhead.
    Record r = fixtures::installationRoom();
    r.setText(u"Bemerkung"_qs, fixtures::longRemarks());
    const PrintedProtocol printed(m_protocols, r);
    QVERIFY(printed.pages.size() >= 3);
    QStringList seen;
    for (size_t i = 0; i < printed.pages.size(); ++i) {
        const Page &p = printed.pages[i];
        QCOMPARE(p.sections.front().name, u"PageHeaderBand1"_qs);
        QCOMPARE(printed.painted[i]->images.size(), size_t(1));
        for (const PlacedSection &s : p.sections) {
            QVERIFY(s.top + s.height <= 287.0 + 1e-9);
            if (s.name != u"PageHeaderBand1"_qs)
                seen << s.name;
        }
    }
    QCOMPARE(seen.count(u"zeichnungsband"_qs), 1);
    QVERIFY(seen.count(u"bemerkungsband"_qs) >= 2);
    // Only the remarks run over a page break.
    QStringList unique = seen;
    unique.removeDuplicates();
    QCOMPARE(seen.size() - unique.size(), seen.count(u"bemerkungsband"_qs) - 1);
}

QTEST_MAIN(TestInstallationRoomReport)
#include "test_installationroomreport.moc"
