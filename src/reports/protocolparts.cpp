#include "protocolparts.h"

#include "numberformat.h"
#include "reportengine.h"

#include <QPainter>
#include <QTextDocument>

namespace report {

namespace {

SketchPainter &sketchPainterSlot()
{
    static SketchPainter painter;
    return painter;
}

DocumentFactory &remarksFactorySlot()
{
    static DocumentFactory factory;
    return factory;
}

int &sketchScaleSlot()
{
    static int scale = 2;
    return scale;
}

constexpr double kSketchBoxWidth = 184.5;
constexpr double kSketchBoxHeight = 127.0;
constexpr double kSketchBoxTop = 1.5;

} // namespace

void setSketchPainter(SketchPainter painter) { sketchPainterSlot() = std::move(painter); }
const SketchPainter &sketchPainter() { return sketchPainterSlot(); }

void setRemarksDocumentFactory(DocumentFactory factory) { remarksFactorySlot() = std::move(factory); }

std::unique_ptr<QTextDocument> remarksDocument(const QString &storedText)
{
    if (remarksFactorySlot())
        return remarksFactorySlot()(storedText);
    auto doc = std::make_unique<QTextDocument>();
    doc->setPlainText(storedText);
    return doc;
}

int sketchScale() { return sketchScaleSlot(); }
void setSketchScale(int scale) { sketchScaleSlot() = scale; }

QImage sketchPicture(const Record &record, int scale)
{
    const SketchPainter &paint = sketchPainter();
    if (!paint)
        return {};
    QImage canvas((scale + 602) * scale, (scale + 402) * scale, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setPen(Qt::black);
        QString text = record.text(u"Skizze"_qs);
        text.replace(u"\r\n"_qs, u"\n"_qs);
        QStringList lines = text.split(u'\n');
        if (lines.size() == 1 && lines.first().isEmpty())
            lines.clear();
        paint(painter, lines, 2 * scale, 2 * scale, double(scale), double(scale));
    }
    return canvas.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

Section sketchSection(double height)
{
    Section s(SectionKind::Child, u"zeichnungsband"_qs, height);
    s.add(Item::rect(0.0, kSketchBoxTop, kSketchBoxWidth, kSketchBoxHeight)).named(u"skizzenrahmen"_qs);
    Item picture;
    picture.kind = ItemKind::Picture;
    picture.name = u"skizze"_qs;
    picture.x = 0.0;
    picture.y = kSketchBoxTop;
    picture.width = kSketchBoxWidth;
    picture.height = kSketchBoxHeight;
    picture.stretchPicture = true;
    s.add(picture);
    s.beforeOutput = [](SectionContext &ctx) {
        if (!ctx.record().boolean(u"Skizzedrucken"_qs))
            return false;
        // Drawn afresh for every run, at the run's scale.
        ctx.item(u"skizze"_qs).image = sketchPicture(ctx.record(), ctx.sketchScale());
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
    s.beforeOutput = [](SectionContext &ctx) {
        const std::unique_ptr<QTextDocument> doc = remarksDocument(ctx.record().text(u"Bemerkung"_qs));
        return doc && !doc->toPlainText().isEmpty();
    };
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
