#include "pagepainter.h"

#include "controlchars.h"
#include "fileerror.h"

#include <QBuffer>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace report {

void paintPage(QPainter &painter, const Page &page, double pxPerMm, QPointF origin)
{
    const double k = pxPerMm;
    // Point sizes resolve with the device's resolution; scale them so that the
    // text has the size it has on paper at `pxPerMm`.
    const double fontScale = k * 25.4 / double(painter.device()->logicalDpiY());
    auto toPx = [&](const QRectF &r) {
        return QRectF(origin.x() + r.x() * k, origin.y() + r.y() * k, r.width() * k, r.height() * k);
    };
    auto toPxPoint = [&](const QPointF &p) { return QPointF(origin.x() + p.x() * k, origin.y() + p.y() * k); };

    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    for (const PageElement &e : page.elements) {
        painter.save();
        if (!e.clip.isEmpty())
            painter.setClipRect(toPx(e.clip), Qt::IntersectClip);
        switch (e.kind) {
        case PageElement::Text: {
            QFont font = e.font.font();
            font.setPointSizeF(e.font.pointSize * fontScale);
            painter.setFont(font);
            painter.setPen(Qt::black);
            const QFontMetricsF fm(font, painter.device());
            const double advance = fm.horizontalAdvance(e.text);
            const QRectF r = toPx(e.rect);
            double x = r.left();
            if (e.align == Align::Right)
                x = r.right() - advance;
            else if (e.align == Align::Centre)
                x = r.center().x() - advance / 2.0;
            painter.drawText(QPointF(x, r.top() + fm.ascent()), e.text);
            break;
        }
        case PageElement::Line: {
            QPen pen(Qt::black, std::max(1.0, e.penWidth * k));
            pen.setCapStyle(Qt::SquareCap);
            painter.setPen(pen);
            painter.drawLine(QLineF(toPxPoint(e.line.p1()), toPxPoint(e.line.p2())));
            break;
        }
        case PageElement::Rectangle: {
            QPen pen(Qt::black, std::max(1.0, e.penWidth * k));
            pen.setJoinStyle(Qt::MiterJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(toPx(e.rect));
            break;
        }
        case PageElement::Picture: {
            const QRectF r = toPx(e.rect);
            if (!e.image.isNull()) {
                if (e.stretchPicture) {
                    painter.drawImage(r, e.image);
                } else {
                    // At its own size (from its resolution), centred or at the top left.
                    const double dpmX = e.image.dotsPerMeterX() > 0 ? e.image.dotsPerMeterX() : 96 / 0.0254;
                    const double dpmY = e.image.dotsPerMeterY() > 0 ? e.image.dotsPerMeterY() : 96 / 0.0254;
                    const QSizeF size(e.image.width() * 1000.0 / dpmX * k, e.image.height() * 1000.0 / dpmY * k);
                    QRectF target(r.topLeft(), size);
                    if (e.centrePicture)
                        target.moveCenter(r.center());
                    painter.setClipRect(r, Qt::IntersectClip);
                    painter.drawImage(target, e.image);
                }
            } else if (e.paint) {
                painter.setClipRect(r, Qt::IntersectClip);
                e.paint(painter, r);
            }
            break;
        }
        case PageElement::Document: {
            if (!e.document)
                break;
            const QRectF r = toPx(e.rect);
            const double s = k / kLayoutPxPerMm;
            const double offset = e.documentOffset * kLayoutPxPerMm;
            painter.translate(r.topLeft());
            painter.scale(s, s);
            painter.translate(0.0, -offset);
            const QRectF visible(0.0, offset, e.rect.width() * kLayoutPxPerMm, e.rect.height() * kLayoutPxPerMm);
            if (e.clip.isEmpty()) {
                e.document->drawContents(&painter, visible);
            } else {
                // A part of a document split over pages: draw only the lines
                // inside the part, so that no line lies hidden under the clip
                // (a PDF would still find and copy it).  Parts end between lines.
                const double slack = 0.5;  // layout pixels
                painter.setPen(Qt::black);
                for (QTextBlock b = e.document->begin(); b.isValid(); b = b.next()) {
                    const QTextLayout *tl = b.layout();
                    if (!tl)
                        continue;
                    for (int i = 0; i < tl->lineCount(); ++i) {
                        const QTextLine line = tl->lineAt(i);
                        const double top = tl->position().y() + line.y();
                        if (top >= visible.top() - slack && top + line.height() <= visible.bottom() + slack)
                            line.draw(&painter, tl->position());
                    }
                }
            }
            break;
        }
        }
        painter.restore();
    }
    painter.restore();
}

namespace {

// A PDF text string: UTF-16BE with a byte order mark, as hexadecimal.
QByteArray pdfString(const QString &text)
{
    QByteArray bytes("\xFE\xFF", 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return '<' + bytes.toHex().toUpper() + '>';
}

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QByteArray xmpMetadata(const PdfInfo &info)
{
    const QString xmp = QStringLiteral(
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
        "<dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
        "<dc:creator><rdf:Seq><rdf:li>%2</rdf:li></rdf:Seq></dc:creator>\n"
        "<xmp:CreatorTool>%3</xmp:CreatorTool>\n"
        "</rdf:Description>\n"
        "</rdf:RDF>\n"
        "</x:xmpmeta>\n"
        "<?xpacket end=\"w\"?>")
                              .arg(xmlEscaped(info.title), xmlEscaped(info.author), xmlEscaped(info.creator));
    return xmp.toUtf8();
}

// The PDF writer has no author entry: add a document information dictionary
// with title, author and creator as an incremental update at the end of the
// file (a new object, a cross-reference section for it and a trailer that
// points back to the previous one).
QByteArray withDocumentInfo(const QByteArray &pdf, const PdfInfo &info)
{
    const int trailerAt = pdf.lastIndexOf("trailer");
    const int startxrefAt = pdf.lastIndexOf("startxref");
    if (trailerAt < 0 || startxrefAt < trailerAt)
        return pdf;
    const QString trailer = QString::fromLatin1(pdf.mid(trailerAt, startxrefAt - trailerAt));
    const QRegularExpressionMatch size = QRegularExpression(u"/Size\\s+(\\d+)"_qs).match(trailer);
    const QRegularExpressionMatch root = QRegularExpression(u"/Root\\s+(\\d+\\s+\\d+)\\s+R"_qs).match(trailer);
    const QRegularExpressionMatch prev =
        QRegularExpression(u"startxref\\s+(\\d+)"_qs).match(QString::fromLatin1(pdf.mid(startxrefAt)));
    if (!size.hasMatch() || !root.hasMatch() || !prev.hasMatch())
        return pdf;

    const int object = size.captured(1).toInt();
    QByteArray out = pdf;
    if (!out.endsWith('\n'))
        out.append('\n');
    const qsizetype objectAt = out.size();
    out += QByteArray::number(object) + " 0 obj\n<<\n/Title " + pdfString(info.title) + "\n/Author "
        + pdfString(info.author) + "\n/Creator " + pdfString(info.creator) + "\n/Producer "
        + pdfString(info.creator) + "\n/CreationDate (D:"
        + QDateTime::currentDateTimeUtc().toString(u"yyyyMMddHHmmss"_qs).toLatin1() + "Z)\n>>\nendobj\n";
    const qsizetype xrefAt = out.size();
    out += "xref\n" + QByteArray::number(object) + " 1\n"
        + QByteArray::number(objectAt).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<<\n/Size " + QByteArray::number(object + 1) + "\n/Root " + root.captured(1).toLatin1()
        + " R\n/Info " + QByteArray::number(object) + " 0 R\n/Prev " + prev.captured(1).toLatin1() + "\n>>\n";
    out += "startxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    return out;
}

} // namespace

QByteArray pdfDocument(const std::vector<Page> &pages, const PdfInfo &given, const PageFormat &format)
{
    // Title and author come from the record and the settings: no control
    // characters in the document information.
    PdfInfo info = given;
    for (QString *text : {&info.title, &info.author, &info.creator})
        *text = controlchars::oneLine(*text);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(int(kLayoutDpi));
        writer.setPageSize(QPageSize(QSizeF(format.width, format.height), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setTitle(info.title);
        writer.setCreator(info.creator);
        writer.setDocumentXmpMetadata(xmpMetadata(info));
        QPainter painter(&writer);
        const double pxPerMm = writer.resolution() / 25.4;
        for (size_t i = 0; i < pages.size(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, pages[i], pxPerMm);
        }
        painter.end();
    }
    return withDocumentInfo(bytes, info);
}

bool writePdf(const std::vector<Page> &pages, const QString &path, const PdfInfo &info, QString *error,
              const PageFormat &format)
{
    const QByteArray pdf = pdfDocument(pages, info, format);
    QString why;
    if (!fileerror::writeReplacing(path, pdf, &why)) {
        if (error)
            *error = u"Die Datei %1 kann nicht geschrieben werden: %2"_qs.arg(path, why);
        return false;
    }
    return true;
}

} // namespace report
