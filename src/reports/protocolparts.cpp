#include "protocolparts.h"

#include "formattedtext.h"
#include "numberformat.h"
#include "rtf.h"
#include "reportengine.h"

#include <QPainter>
#include <QTextDocument>

namespace report {

namespace {

constexpr double kSketchBoxWidth = 184.5;
constexpr double kSketchBoxHeight = 127.0;
constexpr double kSketchBoxTop = 1.5;

} // namespace

std::unique_ptr<QTextDocument> remarksDocument(const QString &storedText)
{
    return formattedDocument(storedText, FontSpec());
}

QImage sketchPicture(const Record &record, int scale, const SketchPainter &paint)
{
    if (!paint)
        return {};
    QImage canvas((scale + 602) * scale, (scale + 402) * scale, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    bool drawn = false;
    {
        QPainter painter(&canvas);
        painter.setPen(Qt::black);
        QString text = record.text(u"Skizze"_qs);
        text.replace(u"\r\n"_qs, u"\n"_qs);
        QStringList lines = text.split(u'\n');
        if (lines.size() == 1 && lines.first().isEmpty())
            lines.clear();
        drawn = paint(painter, lines, 2 * scale, 2 * scale, double(scale), double(scale));
    }
    if (!drawn)
        return {};
    return canvas.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

Section sketchSection(double height, SketchPainter painter)
{
    Section s(SectionKind::Child, u"zeichnungsband"_qs, height);
    Item picture;
    picture.kind = ItemKind::Picture;
    picture.name = u"skizze"_qs;
    picture.x = 0.0;
    picture.y = kSketchBoxTop;
    picture.width = kSketchBoxWidth;
    picture.height = kSketchBoxHeight;
    picture.stretchPicture = true;
    s.add(picture);
    // The frame after the picture, which would cover it otherwise.
    s.add(Item::rect(0.0, kSketchBoxTop, kSketchBoxWidth, kSketchBoxHeight)).named(u"skizzenrahmen"_qs);
    s.beforeOutput = [painter = std::move(painter)](SectionContext &ctx) {
        if (!ctx.record().boolean(u"Skizzedrucken"_qs))
            return false;
        // Drawn afresh for every run, at the run's scale.
        ctx.item(u"skizze"_qs).image = sketchPicture(ctx.record(), ctx.sketchScale(), painter);
        return true;
    };
    return s;
}

Section remarksSection(const QString &name, SectionKind kind, double height)
{
    Section s(kind, name, height);
    Item remarks;
    remarks.kind = ItemKind::RichText;
    remarks.name = u"Bemerkung"_qs;
    remarks.text = u"Bemerkung"_qs;
    remarks.x = 0.0;
    remarks.y = 1.0;
    remarks.width = 185.0;
    remarks.height = height - 2.0;
    remarks.stretch = true;
    remarks.document = [](const QString &text) { return remarksDocument(text); };
    s.add(remarks);
    s.beforeOutput = [](SectionContext &ctx) { return !rtf::toPlainText(ctx.record().text(u"Bemerkung"_qs)).isEmpty(); };
    return s;
}

void addSiteAndOwner(Section &s, const SiteAndOwnerPlacement &p)
{
    const FontSpec bold = FontSpec().withBold();
    auto column = [&](double x, const QString &label, const char *const (&fields)[4], const char *postcode,
                      const char *town, double townX) {
        s.add(Item::label(x, p.top, label, bold));
        for (int i = 0; i < 4; ++i)
            s.add(Item::field(x, p.top + p.step * (i + 1), QString::fromLatin1(fields[i])));
        s.add(Item::field(x, p.top + p.step * 5, QString::fromLatin1(postcode)));
        s.add(Item::field(x + townX, p.top + p.step * 5, QString::fromLatin1(town)));
    };
    column(0.0, u"Aufstellort:"_qs, {"A_Name", "A_zusatz", "A_strasse", "A_gebteil"}, "A_Plz", "A_Ort", p.siteTownX);
    column(p.ownerX, p.ownerLabel, {"E_anrede", "E_Name", "E_zusatz", "E_strasse"}, "E_plz", "E_ort", 13.0);
}

QString shortestNumber(double value)
{
    return numfmt::general(value);
}

} // namespace report
