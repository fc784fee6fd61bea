#include "letterhead.h"

#include "jpegimage.h"
#include "reportengine.h"

#include <QFile>

#include <cmath>

// The resources of a static library must be registered by hand.
static void initReportResources()
{
    Q_INIT_RESOURCE(reports);
}

namespace report {

const QImage &emblem()
{
    static const QImage image = [] {
        initReportResources();
        QFile file(u":/reports/emblem.jpg"_qs);
        if (!file.open(QIODevice::ReadOnly))
            return QImage();
        return jpeg::decode(file.readAll());
    }();
    return image;
}

Section letterheadSection(double heightUnits, SettingsSource settings)
{
    Section s(SectionKind::PageHeader, u"PageHeaderBand1"_qs, units(heightUnits));
    Item logo;
    logo.kind = ItemKind::Picture;
    logo.name = u"logo"_qs;
    logo.x = units(322);
    logo.y = 0.0;
    logo.width = units(74);
    logo.height = units(70);
    logo.stretchPicture = true;
    s.add(logo);
    s.add(Item::label(0.0, units(81), QString(), FontSpec().withBold())).named(u"kopfzeile1"_qs);
    s.add(Item::label(0.0, units(81), QString(), FontSpec())).named(u"kopfzeile3"_qs);

    s.beforeOutput = [settings](SectionContext &ctx) {
        const PrintSettings &ps = settings();
        Item &logo = ctx.item(u"logo"_qs);
        logo.image = emblem();
        logo.visible = ps.printLogo;
        Item &line1 = ctx.item(u"kopfzeile1"_qs);
        Item &line3 = ctx.item(u"kopfzeile3"_qs);
        line1.text = ps.headerLine1;
        line3.text = ps.headerLine3;
        // Centre the pair: the widths of the texts just set, in report units.
        const double w1 = ctx.textWidth(line1) / kMmPerUnit;
        const double w3 = ctx.textWidth(line3) / kMmPerUnit;
        const double start = std::trunc((kLetterheadUnits - w1 - w3 - 10.0) / 2.0);
        line1.x = units(start);
        line3.x = units(start + w1 + 10.0);
        line1.y = line3.y = units(ps.printLogo ? 81 : 2);
        return true;
    };
    return s;
}

const AddresseePlacement &interconnectionAddressee()
{
    static const AddresseePlacement p{11.5, 15.5,
                                      {{u"E_anrede"_qs, 17.5}, {u"E_Name"_qs, 21.5}, {u"E_strasse"_qs, 25.5},
                                       {u"E_zusatz"_qs, 29.5}},
                                      33.5};
    return p;
}

const AddresseePlacement &installationRoomAddressee()
{
    static const AddresseePlacement p{12.5, 16.5,
                                      {{u"E_anrede"_qs, 19.0}, {u"E_Name"_qs, 23.5}, {u"E_zusatz"_qs, 28.0},
                                       {u"E_strasse"_qs, 33.0}},
                                      37.5};
    return p;
}

Section addresseeSection(const AddresseePlacement &placement, SettingsSource settings)
{
    Section s(SectionKind::Child, u"anschriftband"_qs, 67.5);
    s.add(Item::label(0.0, placement.sender, QString(), FontSpec().size(8).withItalic())).named(u"absender"_qs);
    s.add(Item::hline(0.0, placement.rule, units(321))).named(u"absenderlinie"_qs);
    for (const auto &[field, top] : placement.lines)
        s.add(Item::field(0.0, top, field));
    s.add(Item::field(0.0, placement.postcode, u"E_plz"_qs));
    s.add(Item::field(13.0, placement.postcode, u"E_ort"_qs));
    s.beforeOutput = [settings](SectionContext &ctx) {
        const PrintSettings &ps = settings();
        if (!ps.printAddress)
            return false;
        ctx.item(u"absender"_qs).text = ps.senderLine();
        return true;
    };
    return s;
}

} // namespace report
