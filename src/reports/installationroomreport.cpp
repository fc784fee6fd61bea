#include "installationroomreport.h"

#include "numberformat.h"
#include "protocolparts.h"

namespace report {

namespace installationroom {

namespace {
constexpr double kTolerance = 0.001;
constexpr double kNeighbourLimit = 50.0;
} // namespace

bool neighbourRoomInUse(const Record &record)
{
    return record.boolean(u"Hrnrvorhanden"_qs) && record.number(u"Hrleistung"_qs) <= kNeighbourLimit + kTolerance;
}

bool openingChoiceOffered(const Record &record)
{
    const double output = record.number(u"Hrleistung"_qs);
    return output <= kNeighbourLimit + kTolerance || record.number(u"Hrvolumen"_qs) + kTolerance >= output;
}

QString neighbourOpeningText(int code)
{
    switch (code) {
    case 0: return u"2x150"_qs;
    case 1: return u"1x150"_qs;
    case 2: return u"2x75"_qs;
    default: return QString::number(code);
    }
}

QString chosenOpeningText(const Record &record)
{
    const double area = record.integer(u"Hrllanzahl"_qs) == 1 ? record.number(u"HrloeffS"_qs)
                                                              : record.number(u"Hrloeffs2"_qs);
    return numfmt::general(area) + u" cm²"_qs;
}

QString admissibleOpeningsText(const Record &record)
{
    const QString two = u"2x"_qs + numfmt::general(record.number(u"Hrloeffs2"_qs)) + u" cm²)"_qs;
    if (openingChoiceOffered(record))
        return u"1x"_qs + numfmt::general(record.number(u"HrloeffS"_qs)) + u" cm² oder "_qs + two;
    return two;
}

QString supplyKindText(int hrll)
{
    switch (hrll) {
    case 0: return u"Öffnungen ins Freie"_qs;
    case 1: return u"Öffnungen mit nachgeschalteten Lüftungsleitungen ins Freie"_qs;
    default: return QString::number(hrll);
    }
}

} // namespace installationroom

namespace {

using namespace installationroom;

FontSpec bold() { return FontSpec().withBold(); }
FontSpec heading() { return FontSpec().withBold().withUnderline(); }

Item fixedText(double x, double y, const QString &text, std::function<QString(const Record &)> f)
{
    return Item::label(x, y, text).computed([f = std::move(f)](const Record &r, const QString &) { return f(r); });
}

// One duct row: name, length, bends, grilles and cross-section.
void ductRow(Section &s, double y, const char *name, const char *length, const char *bends90, const char *bends45,
             const char *grilles, const char *area)
{
    auto centred = [&](double left, double right, const char *field) {
        Item i = Item::field(left, y, QString::fromLatin1(field), {}, Align::Centre);
        i.width = right - left;
        s.add(i);
    };
    s.add(Item::field(2.0, y, QString::fromLatin1(name), bold()).clipped(33.5));
    s.add(Item::field(43.0, y, QString::fromLatin1(length), {}, Align::Right));
    s.add(Item::label(44.5, y, u"m"_qs));
    centred(53.5, 64.5, bends90);
    centred(74.5, 85.5, bends45);
    centred(95.0, 108.0, grilles);
    s.add(Item::field(123.0, y, QString::fromLatin1(area), {}, Align::Right));
    s.add(Item::label(125.0, y, u"cm²"_qs));
}

} // namespace

Tarrepform::Tarrepform(SettingsSource settings, SketchPainter sketch)
    : m_settings(std::move(settings))
    , m_sketch(std::move(sketch))
{
    build();
}

QString Tarrepform::reportTitle()
{
    return u"Protokoll Aufstellungsraum"_qs;
}

std::vector<Page> Tarrepform::run(const Record &record, int sketchScale, const PageSink &sink) const
{
    RunOptions options;
    options.sketchScale = sketchScale;
    return layOut(m_layout, {record}, options, sink);
}

void Tarrepform::build()
{
    Layout &L = m_layout;
    L.title = reportTitle();
    L.add(letterheadSection(107, m_settings));

    // Every content section is output once, one after the other; each moves to
    // a following page on its own when it does not fit, under the letterhead.
    Section &chain = L.add(Section(SectionKind::Title, u"kette"_qs, 0.0));
    chain.chain(addresseeSection(installationRoomAddressee(), m_settings));

    Section head(SectionKind::Child, u"ChildBand1"_qs, 49.0);
    head.add(Item::label(92.5, 1.5, u"Berechnung der Verbrennungsluftversorgung für Feuerstätten "_qs,
                         FontSpec().size(14).withBold(), Align::Centre));
    addSiteAndOwner(head, {11.0, 6.0, 95.5, 11.0, u"Eigentümer:"_qs});
    chain.chain(std::move(head));

    Section room(SectionKind::Child, u"feuerstaettenband"_qs, 20.5);
    room.add(Item::label(2.0, 1.0, u"Daten der Feuerstätte"_qs, heading()));
    room.add(Item::label(2.0, 7.0, u"Aufstellungsraum:"_qs, bold()));
    room.add(Item::label(40.0, 7.0, u"Leistung"_qs));
    room.add(Item::field(75.0, 7.0, u"Hrleistung"_qs, {}, Align::Right));
    room.add(Item::label(76.0, 7.0, u"kW"_qs));
    room.add(Item::label(87.0, 7.0, u"Volumen"_qs));
    room.add(Item::field(132.0, 7.0, u"Hrvolumen"_qs, {}, Align::Right));
    room.add(Item::label(134.0, 7.0, u"m³"_qs));
    room.add(Item::label(40.0, 13.0, u"Schutzziel 1 mit Aufstellungsraum erreicht? "_qs));
    room.add(Item::field(132.0, 13.0, u"Hrsz1"_qs, {}, Align::Right));
    chain.chain(std::move(room));

    Section neighbour(SectionKind::Child, u"nachbarraumband"_qs, 18.5);
    neighbour.add(Item::label(2.0, 1.0, u"Nachbarraum:"_qs, bold()));
    neighbour.add(Item::label(87.0, 1.0, u"Volumen"_qs));
    neighbour.add(Item::field(132.5, 1.0, u"Hrnrvolumen"_qs, {}, Align::Right));
    neighbour.add(Item::label(134.0, 1.0, u"m³"_qs));
    neighbour.add(Item::label(40.0, 7.0, u"Lüftungsöffnungen zum Aufstellungsraum:"_qs));
    neighbour.add(Item::label(132.5, 7.0, QString(), {}, Align::Right)
                      .named(u"nroeffnung"_qs)
                      .computed([](const Record &r, const QString &) { return neighbourOpeningText(r.integer(u"Hrnrloeff"_qs)); }));
    neighbour.add(Item::label(134.0, 7.0, u"cm²"_qs));
    neighbour.add(Item::label(40.0, 13.0, u"Schutzziel 1 zusammen mit Nachbarraum erreicht? "_qs).named(u"nrsz1text"_qs));
    neighbour.add(Item::field(132.5, 13.0, u"Hrnrsz1"_qs, {}, Align::Right));
    neighbour.beforeOutput = [](SectionContext &ctx) {
        if (!neighbourRoomInUse(ctx.record()))
            return false;
        const bool show = !ctx.record().boolean(u"Hrsz1"_qs);
        ctx.item(u"nrsz1text"_qs).visible = show;
        ctx.item(u"Hrnrsz1"_qs).visible = show;
        return true;
    };
    chain.chain(std::move(neighbour));

    Section air(SectionKind::Child, u"verbrennungsluftband"_qs, 33.5);
    air.add(Item::label(2.0, 1.0, u"Verbrennungsluftversorgung:"_qs, heading()));
    air.add(Item::label(2.0, 7.0, u"Lüftungsöffnungen:"_qs));
    air.add(Item::field(40.0, 7.0, u"Hrllanzahl"_qs).computed([](const Record &, const QString &t) { return t + u" x"_qs; }));
    air.add(fixedText(47.0, 7.0, QString(), chosenOpeningText).named(u"oeffnung"_qs));
    air.add(Item::label(97.5, 7.0, u"(zulässig: "_qs));
    air.add(fixedText(114.5, 7.0, QString(), admissibleOpeningsText).named(u"zulaessig"_qs));
    air.add(Item::label(2.0, 13.0, u"Zuluft über: "_qs));
    air.add(fixedText(40.0, 13.0, QString(), [](const Record &r) { return supplyKindText(r.integer(u"Hrll"_qs)); })
                .named(u"zuluftart"_qs));
    air.add(Item::label(2.0, 19.0, u"Schutzziel 1 mit Öffnungen ins Freie erreicht? "_qs).named(u"insfreietext"_qs));
    air.add(Item::field(132.0, 19.0, u"Hrsz1insfreie"_qs, {}, Align::Right));
    air.add(Item::label(2.0, 25.0, u"Zuluft durch Nachbarraum hindurch mit Öffnung 2x150 cm² ins Freie? "_qs)
                .named(u"nrzulufttext"_qs));
    air.add(Item::field(132.0, 25.0, u"Hrnrzuluft"_qs, {}, Align::Right));
    air.beforeOutput = [](SectionContext &ctx) {
        const Record &r = ctx.record();
        // Only when neither the room alone nor the room with its neighbour reaches goal 1.
        const bool outside = !r.boolean(u"Hrsz1"_qs) && !(r.boolean(u"Hrnrvorhanden"_qs) && r.boolean(u"Hrnrsz1"_qs));
        ctx.item(u"insfreietext"_qs).visible = outside;
        ctx.item(u"Hrsz1insfreie"_qs).visible = outside;
        const bool through = r.boolean(u"Hrnrvorhanden"_qs);
        ctx.item(u"nrzulufttext"_qs).visible = through;
        ctx.item(u"Hrnrzuluft"_qs).visible = through;
        return true;
    };
    chain.chain(std::move(air));

    Section ductA(SectionKind::Child, u"llbandA"_qs, 21.0);
    ductA.add(Item::label(2.0, 1.0, u"Luftversorgung über Nachgeschaltete Lüftungsleitungen:"_qs, heading()));
    ductA.add(Item::label(36.0, 7.0, u"Länge"_qs));
    ductA.add(Item::label(51.0, 7.0, u"Bögen 90°"_qs));
    ductA.add(Item::label(72.0, 7.0, u"Bögen 45°"_qs));
    ductA.add(Item::label(97.5, 7.0, u"Gitter"_qs));
    ductA.add(Item::label(114.5, 7.0, u"Querschnitt"_qs, bold()));
    ductRow(ductA, 15.5, "Hrllname", "Hrlllaenge", "Hrllu90", "Hrllu45", "Hrllgitter", "HrllS");
    ductA.beforeOutput = [](SectionContext &ctx) { return ctx.record().integer(u"Hrll"_qs) == 1; };
    chain.chain(std::move(ductA));

    Section ductB(SectionKind::Child, u"llbandB"_qs, 6.5);
    ductRow(ductB, 1.0, "Hrllname2", "Hrlllaenge2", "Hrllu902", "Hrllu452", "Hrllgitter2", "Hrlls2");
    ductB.beforeOutput = [](SectionContext &ctx) {
        return ctx.record().integer(u"Hrll"_qs) == 1 && ctx.record().integer(u"Hrllanzahl"_qs) == 2;
    };
    chain.chain(std::move(ductB));

    chain.chain(sketchSection(132.0, m_sketch));
    chain.chain(remarksSection(u"bemerkungsband"_qs, SectionKind::Child, 7.5));

    L.add(Section(SectionKind::Detail, u"QRBand1"_qs, 5.0));
}

} // namespace report
