#include "interconnectionreport.h"

#include "numberformat.h"
#include "protocolparts.h"
#include "roommodel.h"

namespace report {

namespace interconnection {

namespace {

constexpr double kTolerance = 0.001;

int openingType(const Record &r, int slot) { return r.integer(roomFields(slot).openingType); }
int partnerCode(const Record &r, int slot) { return r.integer(roomFields(slot).connectedWith); }

} // namespace

QString openingSummary(const Record &record, int slot)
{
    std::vector<int> counted;
    if (slot >= 1)
        counted.push_back(slot);
    // RA, R1 and R2 also count the openings of the rooms joined with them.
    if (slot <= 2) {
        const int code = slot + 1;  // partner code of RA, R1, R2
        for (int n = slot + 1; n <= 7; ++n)
            if (partnerCode(record, n) == code)
                counted.push_back(n);
    }
    int twice = 0;
    int once = 0;
    for (int n : counted) {
        if (openingType(record, n) == 1)
            ++twice;
        else if (openingType(record, n) == 2)
            ++once;
    }
    QString text;
    if (twice > 0)
        text = u"2x150cm² ("_qs + QString::number(twice) + u')';
    if (once > 0) {
        if (!text.isEmpty())
            text += u',';
        text += u"1x150cm² ("_qs + QString::number(once) + u')';
    }
    return text;
}

bool roomAloneSuffices(const Record &record, int slot)
{
    const RoomFieldNames &f = roomFields(slot);
    return record.number(f.volume) + kTolerance > record.number(f.output);
}

bool neighboursSuffice(const Record &record, int slot)
{
    return !roomAloneSuffices(record, slot) && record.number(u"Vortrag"_qs) > 0.0;
}

QString partnerRoom(int code)
{
    switch (code) {
    case 1: return u"RA"_qs;
    case 2: return u"R1"_qs;
    case 3: return u"R2"_qs;
    default: return {};
    }
}

QStringList notes(const Record &record)
{
    QStringList list;
    if (record.number(u"Psum"_qs) > 50.0 + kTolerance)
        list << u"Die Gesamtleistung der Gasfeuerstätten ist größer als 50 kW! Ein Betrieb im Ofenring ist nicht zulässig!"_qs;
    if (record.boolean(u"Bschutz"_qs))
        list << u"Die Berechnung ist nur gültig bei Bestandsschutz für Altanlagen über 35 kW (ohne Berücksichtigung offener Kamine oder Kachelöfen)."_qs;
    switch (record.integer(u"Okraum1"_qs)) {
    case 1:
        list << u"Im Hauptaufstellraum befindet sich ein offener Kamin. Die Berechnung wurde unter der Annahme durchgeführt, daß keine weiteren Feuerstätten vorhanden sind."_qs;
        break;
    case 2:
        list << u"Im Hauptaufstellraum befindet sich ein offener Kamin. Die Berechnung wurde im Zusammenhang mit weiteren Feuerstätten durchgeführt."_qs;
        break;
    case 3:
        list << u"Im Hauptaufstellraum befindet sich ein Kachelofen."_qs;
        break;
    default:
        break;
    }
    return list;
}

QString requiredOutputText(const Record &record)
{
    // Rounded as every other number of the protocol, but with a decimal point.
    const double value = record.number(u"RAN"_qs) + record.number(u"Okunversorgt"_qs);
    return numfmt::fixed(value, 1).replace(u',', u'.').rightJustified(6, u' ');
}

QString ductSentence(const Record &record)
{
    if (!record.boolean(u"Okll"_qs))
        return {};
    return u"Die Versorgungsleistung der Zuluftleitung (Querschnitt: "_qs + numfmt::general(record.number(u"Okllstats"_qs))
        + u" cm², Länge: "_qs + numfmt::general(record.number(u"OkllLaenge"_qs)) + u" m, Uml. 45°: "_qs
        + QString::number(record.integer(u"Okllu45"_qs)) + u", Uml. 90°: "_qs
        + QString::number(record.integer(u"Okllu90"_qs)) + u") beträgt:"_qs;
}

} // namespace interconnection

namespace {

using namespace interconnection;

constexpr double kWidth = 185.0;
constexpr double kRowHeight = 4.75;
constexpr double kRowText = 0.4;  // text top in a table row

// Separators of the two tables' headings (the right border excluded); the
// column rules are drawn at the same places.
const std::vector<double> kGoal1Columns{29.5, 41.0, 53.5, 76.5, 124.0, 153.5};
const std::vector<double> kGoal2Columns{29.0, 41.0, 54.5, 68.0, 82.5, 145.0, 160.0, 174.0};

FontSpec bold(double pt = 10.0) { return FontSpec().size(pt).withBold(); }

// A heading text centred between two separators, wrapped when it is wider.
Item centredHeading(double left, double right, double y, const QString &text)
{
    Item i = Item::label(left, y, text, FontSpec(), Align::Centre);
    i.width = right - left;
    i.wordWrap = true;
    return i;
}

// "Q" with an index and "[kW]" under it, centred in a column.
void outputHeading(Section &s, double left, double right, double y, const QString &index, double indexPt)
{
    const FontSpec indexFont = FontSpec().size(indexPt);
    const double qWidth = textWidth(u"Q"_qs, FontSpec());
    const double total = qWidth + textWidth(index, indexFont);
    const double start = (left + right - total) / 2.0;
    s.add(Item::label(start, y, u"Q"_qs));
    s.add(Item::label(start + qWidth, y + 1.6, index, indexFont));
    s.add(centredHeading(left, right, y + 4.6, u"[kW]"_qs));
}

// The row of a room in either table: letters and name.
void roomLabel(Section &s, int slot, double nameRight)
{
    s.add(Item::label(0.5, kRowText, slotLabel(slot)));
    s.add(Item::field(6.5, kRowText, roomFields(slot).name).clipped(nameRight - 6.5 - 0.5));
}

QString sectionName(const char *prefix, int n) { return QString::fromLatin1(prefix) + QString::number(n); }

} // namespace

// Values worked out when a run starts and positions recorded while it runs.
struct TQuickReport::State {
    struct Ruler {
        bool active = false;
        double recorded = 0.0;
    };
    QString summaries[8];
    bool firstMark[8] = {};
    bool secondMark[8] = {};
    Ruler goal1;
    Ruler goal2;
};

TQuickReport::TQuickReport(SettingsSource settings, SketchPainter sketch)
    : m_settings(std::move(settings))
    , m_sketch(std::move(sketch))
    , m_state(std::make_shared<State>())
{
    build();
}

TQuickReport::~TQuickReport() = default;

std::vector<Page> TQuickReport::run(const Record &record, int sketchScale, const PageSink &sink) const
{
    RunOptions options;
    options.sketchScale = sketchScale;
    return layOut(m_layout, {record}, options, sink);
}

void TQuickReport::build()
{
    const std::shared_ptr<State> state = m_state;
    Layout &L = m_layout;

    L.beginRun = [state](RunContext &ctx) {
        *state = State();
        for (int slot = 0; slot < 8; ++slot) {
            state->summaries[slot] = openingSummary(ctx.record(), slot);
            state->firstMark[slot] = roomAloneSuffices(ctx.record(), slot);
            state->secondMark[slot] = neighboursSuffice(ctx.record(), slot);
        }
    };

    // Rules of a table that runs on to a following page: each page's part of
    // the table is ruled from where it starts down to its last row.
    auto drawRules = [](RunContext &ctx, State::Ruler &ruler, const std::vector<double> &columns) {
        if (ruler.active && ctx.position() > ruler.recorded)
            for (double x : columns)
                ctx.drawLine(x, ruler.recorded, x, ctx.position(), kThinLine);
    };
    L.pageEnding = [state, drawRules](RunContext &ctx) {
        drawRules(ctx, state->goal1, kGoal1Columns);
        drawRules(ctx, state->goal2, kGoal2Columns);
    };
    L.pageStarted = [state](RunContext &ctx) {
        state->goal1.recorded = ctx.position();
        state->goal2.recorded = ctx.position();
    };

    L.add(letterheadSection(101, m_settings));

    // --- once at the start: spacer, addressee block, title, goal 1 heading -----------
    // 10 report units (2.6 mm): with the letterhead's 101 units the addressee
    // block starts 39.5 mm below the sheet's top edge, where the envelope's window is.
    Section &title = L.add(Section(SectionKind::Title, u"TitleBand1"_qs, units(10)));
    title.chain(addresseeSection(interconnectionAddressee(), m_settings));

    Section head(SectionKind::Child, u"ueberschriftband"_qs, 53.0);
    head.add(Item::label(kWidth / 2, 1.5, u"Berechnung des Ofenringes für Feuerstätten "_qs, bold(14), Align::Centre));
    head.add(Item::label(kWidth / 2, 8.0, u"nach DVGW- TRGI 2008"_qs, FontSpec().size(14), Align::Centre));
    addSiteAndOwner(head, {17.0, 5.3, 97.5, 13.0, u"Eigentümer"_qs});
    title.chain(std::move(head));

    Section sz1(SectionKind::Child, u"sz1band"_qs, 25.5);
    sz1.frame = {true, true, false, true};
    sz1.add(Item::label(kWidth / 2, 0.8, u"Schutzziel 1 (1 m³ / kW)"_qs, bold(14), Align::Centre));
    sz1.add(Item::hline(0.0, 7.0, kWidth));
    sz1.add(centredHeading(0.0, 29.5, 14.3, u"Raum"_qs));
    sz1.add(centredHeading(29.5, 41.0, 10.3, u"Raum- inhalt [m³]"_qs));
    sz1.add(centredHeading(41.0, 76.5, 8.5, u"Feuerstätte(n)"_qs));
    sz1.add(Item::hline(41.0, 13.0, 35.5));
    outputHeading(sz1, 41.0, 53.5, 14.0, u"NL"_qs, 7.0);
    sz1.add(centredHeading(53.5, 76.5, 16.3, u"Art"_qs));
    sz1.add(centredHeading(76.5, 124.0, 14.3, u"Lüftungsöffnungen"_qs));
    sz1.add(centredHeading(124.0, kWidth, 8.5, u"Schutzziel 1 erfüllt durch"_qs));
    sz1.add(Item::hline(124.0, 13.0, kWidth - 124.0));
    sz1.add(centredHeading(124.0, 153.5, 16.3, u"Aufstellraum"_qs));
    sz1.add(centredHeading(153.5, kWidth, 14.4, u"Aufstell- und Nachbarräume"_qs));
    for (double x : {29.5, 41.0, 76.5, 124.0})
        sz1.add(Item::vline(x, 7.0, 18.5));
    for (double x : {53.5, 153.5})
        sz1.add(Item::vline(x, 13.0, 12.5));
    sz1.afterOutput = [state](SectionContext &ctx) { state->goal1 = {true, ctx.position()}; };
    title.chain(std::move(sz1));

    // --- the record: goal 1 rows, goal 2 table, totals, fireplace, notes, sketch --------
    auto goal1Row = [state](int slot, SectionKind kind, const QString &name) {
        const RoomFieldNames &f = roomFields(slot);
        Section row(kind, name, kRowHeight);
        row.frame = {true, true, false, true};
        roomLabel(row, slot, 29.5);
        row.add(Item::field(40.0, kRowText, f.volume, {}, Align::Right));
        row.add(Item::field(52.0, kRowText, f.output, {}, Align::Right));
        row.add(Item::field(55.5, kRowText, f.appliance).clipped(76.5 - 55.5 - 0.5));
        row.add(Item::label(78.5, kRowText, QString()).named(u"oeffnungen"_qs).clipped(124.0 - 78.5 - 0.5));
        row.add(Item::label(138.0, kRowText, u"X"_qs).named(u"x1"_qs));
        row.add(Item::label(167.0, kRowText, u"X"_qs).named(u"x2"_qs));
        row.beforeOutput = [state, slot, f](SectionContext &ctx) {
            if (slot > 0 && ctx.record().number(f.output) <= 0.001)
                return false;
            ctx.item(u"oeffnungen"_qs).text = state->summaries[slot];
            ctx.item(u"x1"_qs).visible = state->firstMark[slot];
            ctx.item(u"x2"_qs).visible = state->secondMark[slot];
            if (slot == 0)
                ctx.frame().bottom = ctx.record().integer(u"Okraum1"_qs) == 0;
            return true;
        };
        return row;
    };
    auto fireplaceKindCode = [](const Record &r) { return r.integer(u"Okraum1"_qs) == 3 ? u"KO"_qs : u"OK"_qs; };
    auto fireplaceRow = [fireplaceKindCode](const QString &name, double kindPt, double kindX, bool bottom) {
        Section row(SectionKind::Child, name, kRowHeight);
        row.frame = {false, true, bottom, true};
        row.add(Item::field(52.0, kRowText, u"Okqn1"_qs, {}, Align::Right));
        row.add(Item::label(kindX, kRowText + (kindPt < 10.0 ? 0.6 : 0.0), QString(), FontSpec().size(kindPt))
                    .named(u"art"_qs)
                    .computed([fireplaceKindCode](const Record &r, const QString &) { return fireplaceKindCode(r); }));
        row.beforeOutput = [](SectionContext &ctx) { return ctx.record().integer(u"Okraum1"_qs) > 0; };
        return row;
    };

    Section &detail = L.add(goal1Row(0, SectionKind::Detail, u"DetailBand1"_qs));
    detail.chain(fireplaceRow(u"QRChildBand1"_qs, 8.0, 55.5, false));
    for (int n = 1; n <= 7; ++n)
        detail.chain(goal1Row(n, SectionKind::Child, sectionName("ChildBand", n)));

    Section close1(SectionKind::Child, u"ChildBand8a"_qs, 4.25);
    close1.frame.top = true;
    close1.beforeOutput = [state, drawRules](SectionContext &ctx) {
        drawRules(ctx, state->goal1, kGoal1Columns);
        state->goal1.active = false;
        return true;
    };
    detail.chain(std::move(close1));

    Section sz2(SectionKind::Child, u"ChildBand8"_qs, 25.0);
    sz2.frame = Frame::all();
    sz2.add(Item::label(kWidth / 2, 1.2, u"Schutzziel 2 (4 m³ / kW)"_qs, bold(14), Align::Centre));
    sz2.add(Item::hline(0.0, 8.0, kWidth));
    sz2.add(centredHeading(0.0, 29.0, 14.5, u"Raum"_qs));
    sz2.add(centredHeading(29.0, 41.0, 10.6, u"Raum- inhalt [m³]"_qs));
    sz2.add(centredHeading(41.0, 68.0, 9.0, u"Feuerstätte(n)"_qs));
    sz2.add(Item::hline(41.0, 13.0, 27.0));
    outputHeading(sz2, 41.0, 54.5, 14.0, u"NL"_qs, 7.0);
    sz2.add(centredHeading(54.5, 68.0, 16.5, u"Art"_qs));
    sz2.add(centredHeading(68.0, 82.5, 10.6, u"Türe/ Fenster ins Freie"_qs));
    sz2.add(centredHeading(82.5, 160.0, 9.0, u"Lüftungseinrichtungen in Richtung RA"_qs));
    sz2.add(Item::hline(82.5, 13.0, 77.5));
    sz2.add(centredHeading(82.5, 145.0, 16.5, u"Art"_qs));
    sz2.add(centredHeading(145.0, 160.0, 16.5, u"zum"_qs));
    sz2.add(centredHeading(160.0, 174.0, 10.6, u"Rest- volumen [m³]"_qs));
    outputHeading(sz2, 174.0, kWidth, 14.0, u"Lanr"_qs, 8.0);
    for (double x : {29.0, 41.0, 68.0, 82.5, 160.0, 174.0})
        sz2.add(Item::vline(x, 8.0, 17.0));
    for (double x : {54.5, 145.0})
        sz2.add(Item::vline(x, 13.0, 12.0));
    sz2.afterOutput = [state](SectionContext &ctx) { state->goal2 = {true, ctx.position()}; };
    detail.chain(std::move(sz2));

    auto goal2Row = [](int slot, const QString &name) {
        const RoomFieldNames &f = roomFields(slot);
        Section row(SectionKind::Child, name, kRowHeight);
        row.frame = {false, true, true, true};
        roomLabel(row, slot, 29.0);
        row.add(Item::field(40.0, kRowText, f.volume, {}, Align::Right));
        row.add(Item::field(52.0, kRowText, f.output, {}, Align::Right));
        row.add(Item::field(55.0, kRowText, f.appliance).clipped(68.0 - 55.0 - 0.5));
        Item door = Item::field(69.0, kRowText, f.outsideOpening, {}, Align::Centre);
        door.width = 13.0;
        row.add(door);
        if (slot == 0) {
            row.add(Item::label(148.0, kRowText, u"--"_qs));
        } else {
            row.add(Item::label(83.5, kRowText, QString())
                        .named(u"oeffnungsart"_qs)
                        .clipped(145.0 - 83.5 - 0.5)
                        .computed([f](const Record &r, const QString &) { return openingTypeLabel(r.integer(f.openingType)); }));
            row.add(Item::label(148.0, kRowText, QString())
                        .named(u"zum"_qs)
                        .computed([f](const Record &r, const QString &) { return partnerRoom(r.integer(f.connectedWith)); }));
            row.add(Item::field(171.0, kRowText, f.restVolume, {}, Align::Right));
        }
        row.add(Item::field(184.5, kRowText, f.creditableOutput, {}, Align::Right));
        row.beforeOutput = [slot, f](SectionContext &ctx) {
            if (slot == 0) {
                ctx.frame().bottom = ctx.record().integer(u"Okraum1"_qs) == 0;
                return true;
            }
            return ctx.record().integer(f.openingType) > 0;
        };
        return row;
    };
    detail.chain(goal2Row(0, u"ChildBand9"_qs));
    detail.chain(fireplaceRow(u"QRChildBand2"_qs, 10.0, 55.0, true));
    for (int n = 1; n <= 7; ++n)
        detail.chain(goal2Row(n, sectionName("ChildBand", 9 + n)));

    Section totals(SectionKind::Child, u"ChildBand17"_qs, 36.0);
    totals.frame = Frame::all();
    {
        const double right = 184.5;
        totals.add(Item::label(2.0, 1.0, u"Summe der anrechenbaren Leistungen auf die Hauptfeuerstätte(n) [kW] :"_qs));
        const double sigmaX = 162.0;
        totals.add(Item::label(sigmaX, 1.0, u"Σ Q"_qs));
        totals.add(Item::label(sigmaX + textWidth(u"Σ Q"_qs, FontSpec()), 2.3, u"Lan"_qs, FontSpec().size(9)));
        totals.add(Item::field(right, 1.0, u"Qlansum"_qs, {}, Align::Right));
        totals.add(Item::label(2.0, 5.5, u"Benötigte anrechenbare Leistungen auf die Hauptfeuerstätte (n) [kW] :"_qs));
        totals.add(Item::label(right, 5.5, QString(), {}, Align::Right)
                       .named(u"benoetigt"_qs)
                       .computed([](const Record &r, const QString &) { return requiredOutputText(r); }));
        totals.add(Item::label(2.0, 10.0, u"Installierte Leistung der Zusatzfeuerstätten [kW] :"_qs));
        totals.add(Item::field(right, 10.0, u"Pzusatz"_qs, {}, Align::Right));
        totals.add(Item::label(2.0, 19.0, u"Ergebnis der Berechnung:"_qs, bold().withUnderline()));
        totals.add(Item::label(2.0, 23.5, u"Schutzziel 1 (sicheres Betriebsverhalten im Anfahrzustand) erreicht? "_qs, bold()));
        totals.add(Item::label(right, 23.5, QString(), bold(), Align::Right)
                       .named(u"sz1"_qs)
                       .computed([](const Record &r, const QString &) { return r.boolean(u"Sz1"_qs) ? u"JA"_qs : u"NEIN"_qs; }));
        totals.add(Item::label(2.0, 28.0, u"Schutzziel 2 (sichere Verbrennungsluftversorgung) erreicht? "_qs, bold()));
        totals.add(Item::label(right, 28.0, QString(), bold(), Align::Right)
                       .named(u"sz2"_qs)
                       .computed([](const Record &r, const QString &) { return r.boolean(u"Sz2"_qs) ? u"JA"_qs : u"NEIN"_qs; }));
    }
    totals.beforeOutput = [state, drawRules](SectionContext &ctx) {
        drawRules(ctx, state->goal2, kGoal2Columns);
        state->goal2.active = false;
        return true;
    };
    detail.chain(std::move(totals));

    Section dummy(SectionKind::Child, u"dummyband"_qs, 1.25);
    dummy.frame.top = true;
    detail.chain(std::move(dummy));

    Section ok(SectionKind::Child, u"okband"_qs, 15.0);
    ok.add(Item::label(2.0, 1.0, QString()).named(u"okart"_qs).computed([](const Record &r, const QString &) {
        QString kind;
        switch (r.integer(u"Okraum1"_qs)) {
        case 1: kind = u" offener Kamin als alleinige Feuerstätte"_qs; break;
        case 2: kind = u" offener Kamin im Verbund mit anderen Feuerstätten"_qs; break;
        case 3: kind = u" Kachelofen"_qs; break;
        default: break;
        }
        return u"Im Aufstellraum RA befindet sich ein"_qs + kind;
    }));
    ok.add(Item::label(150.0, 1.0, u"Leistung:"_qs));
    ok.add(Item::field(176.0, 1.0, u"Okqn1"_qs, {}, Align::Right));
    ok.add(Item::label(177.0, 1.0, u"kW"_qs));
    ok.add(Item::label(2.0, 5.5, QString())
               .named(u"zuluftleitung"_qs)
               .wrapping(148.5)
               .computed([](const Record &r, const QString &) { return ductSentence(r); }));
    ok.add(Item::field(176.0, 10.0, u"OkllP"_qs, {}, Align::Right));
    ok.add(Item::label(177.0, 10.0, u"kW"_qs).named(u"okllpeinheit"_qs));
    ok.beforeOutput = [](SectionContext &ctx) {
        if (ctx.record().integer(u"Okraum1"_qs) <= 0)
            return false;
        const bool duct = ctx.record().boolean(u"Okll"_qs);
        ctx.item(u"OkllP"_qs).visible = duct;
        ctx.item(u"okllpeinheit"_qs).visible = duct;
        return true;
    };
    detail.chain(std::move(ok));

    Section hints(SectionKind::Child, u"QRChildBand3"_qs, 10.0);
    hints.add(Item::label(2.0, 1.0, u"Hinweis:"_qs));
    hints.add(Item::label(2.0, 5.2, QString()).named(u"hinweise"_qs).wrapping(kWidth - 2.0));
    hints.beforeOutput = [](SectionContext &ctx) {
        const QStringList list = notes(ctx.record());
        if (list.isEmpty())
            return false;
        ctx.item(u"hinweise"_qs).text = list.join(u'\n');
        return true;
    };
    detail.chain(std::move(hints));

    detail.chain(sketchSection(130.0, m_sketch));

    L.add(remarksSection(u"SummaryBand1"_qs, SectionKind::Summary, 7.0));
}

} // namespace report
