#include "pagepainter.h"

#include "controlchars.h"
#include "fileerror.h"
#include "formattedtext.h"

#include <QBuffer>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QTextTable>
#include <QtEndian>

namespace report {

UnderlineMetrics underlineMetrics(const QFont &font, const QPaintDevice *device)
{
    const double em = font.pointSizeF() > 0 ? font.pointSizeF() * device->logicalDpiY() / 72.0 : font.pixelSize();
    // Arial's line: its top 217/2048 of the size below the baseline, 150/2048 thick.
    double top = em * 217.0 / 2048.0;
    double thickness = em * 150.0 / 2048.0;
    // The font's own position and thickness, from its PostScript table (in
    // font units: the distance of the line's top above the baseline, negative
    // below it, and its thickness), where they leave the letters clear; the
    // bold face of the free Arial substitute puts its line on the baseline.
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray post = raw.isValid() ? raw.fontTable("post") : QByteArray();
    if (post.size() >= 12 && raw.unitsPerEm() > 0) {
        const auto *data = reinterpret_cast<const uchar *>(post.constData());
        const double scale = em / raw.unitsPerEm();
        const double ownTop = -qFromBigEndian<qint16>(data + 8) * scale;
        const double ownThickness = qFromBigEndian<qint16>(data + 10) * scale;
        if (ownThickness > 0)
            thickness = ownThickness;
        top = std::max(top, ownTop);
    }
    return {top + thickness / 2.0, std::max(1.0, thickness)};
}

namespace {

// Draws the underline of a run from x1 to x2 on the baseline at y, in the
// pixels of `device` (the painter's own, or the layout device's for a
// document drawn in its pixels).
void drawUnderline(QPainter &painter, const QFont &font, double x1, double x2, double baseline, const QColor &colour,
                   const QPaintDevice *device)
{
    const UnderlineMetrics m = underlineMetrics(font, device);
    const double y = baseline + m.offset;
    painter.fillRect(QRectF(QPointF(x1, y - m.thickness / 2.0), QPointF(x2, y + m.thickness / 2.0)), colour);
}

// Device pixels of the layout device per document unit of a table's padding
// and of its borders (see formattedtext.h).
double tablePixels() { return kLayoutDpi / 1440.0 / layoutUnits().table; }
double borderPixels() { return kLayoutDpi / 1440.0 / layoutUnits().border; }

// The frames of a table's cells, drawn from the cells' borders around the
// boxes the cells take: their text with its padding, as high as their row.
void drawTableBorders(QPainter &painter, const QTextDocument &doc, const QTextTable &table, const QRectF &visible)
{
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    const double pad = tablePixels();
    const double line = borderPixels();
    for (int r = 0; r < table.rows(); ++r) {
        struct Box {
            QTextTableCellFormat format;
            double left, right;
        };
        std::vector<Box> boxes;
        double top = 1e300;
        double bottom = -1e300;
        for (int c = 0; c < table.columns(); ++c) {
            const QTextTableCell cell = table.cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            const QTextTableCellFormat f = cell.format().toTableCellFormat();
            QRectF content;
            for (QTextBlock b = doc.findBlock(cell.firstPosition()); b.isValid() && b.position() <= cell.lastPosition(); b = b.next())
                content |= layout->blockBoundingRect(b);
            // The cell's edges: its text with the padding, and the top and
            // left borders, which the layout puts inside the cell.
            auto inside = [&](double border, QTextFrameFormat::BorderStyle style) {
                return border > 0 && style != QTextFrameFormat::BorderStyle_None ? border * line : 0.0;
            };
            top = std::min(top, content.top() - f.topPadding() * pad - inside(f.topBorder(), f.topBorderStyle()));
            bottom = std::max(bottom, content.bottom() + f.bottomPadding() * pad);
            boxes.push_back({f, content.left() - f.leftPadding() * pad - inside(f.leftBorder(), f.leftBorderStyle()),
                             content.right() + f.rightPadding() * pad});
        }
        if (boxes.empty() || bottom < visible.top() || top > visible.bottom())
            continue;
        for (const Box &box : boxes) {
            const QTextTableCellFormat &f = box.format;
            auto side = [&](double width, QTextFrameFormat::BorderStyle style, const QBrush &brush, QLineF l) {
                if (width <= 0 || style == QTextFrameFormat::BorderStyle_None)
                    return;
                QPen pen(brush.style() == Qt::NoBrush ? QBrush(Qt::black) : brush, std::max(1.0, width * line));
                pen.setCapStyle(Qt::SquareCap);
                painter.setPen(pen);
                painter.drawLine(l);
            };
            side(f.topBorder(), f.topBorderStyle(), f.topBorderBrush(), QLineF(box.left, top, box.right, top));
            side(f.bottomBorder(), f.bottomBorderStyle(), f.bottomBorderBrush(), QLineF(box.left, bottom, box.right, bottom));
            side(f.leftBorder(), f.leftBorderStyle(), f.leftBorderBrush(), QLineF(box.left, top, box.left, bottom));
            side(f.rightBorder(), f.rightBorderStyle(), f.rightBorderBrush(), QLineF(box.right, top, box.right, bottom));
        }
    }
}

// Draws a document laid out on the layout device, in its pixels: the lines
// that `visible` holds whole, their underlines, and the frames of its tables.
// A part of a document split over pages thus shows only its own lines, and
// no line lies hidden under the clip (a PDF would still find and copy it);
// parts end between lines.
void drawDocument(QPainter &painter, const QTextDocument &doc, const QRectF &visible)
{
    const double slack = 0.5;   // layout pixels
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    std::vector<const QTextTable *> tables;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextLayout *tl = b.layout();
        if (!tl)
            continue;
        if (const QTextTable *t = QTextCursor(b).currentTable(); t && std::find(tables.begin(), tables.end(), t) == tables.end())
            tables.push_back(t);
        // Where the block's lines are placed: the layout's position in the
        // document (a table cell's layout counts from the cell).
        const QPointF origin = layout->blockBoundingRect(b).topLeft();
        auto shown = [&](const QTextLine &line) {
            const double top = origin.y() + line.y();
            return top >= visible.top() - slack && top + line.height() <= visible.bottom() + slack;
        };
        painter.setPen(Qt::black);
        for (int i = 0; i < tl->lineCount(); ++i)
            if (shown(tl->lineAt(i)))
                tl->lineAt(i).draw(&painter, origin);

        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid() || !frag.charFormat().boolProperty(kUnderlineProperty))
                continue;
            const QTextCharFormat format = frag.charFormat();
            const QFont font = format.font().resolve(doc.defaultFont());
            const QColor colour = format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor(Qt::black);
            const int fragStart = frag.position() - b.position();
            const int fragEnd = fragStart + frag.length();
            for (int i = 0; i < tl->lineCount(); ++i) {
                const QTextLine line = tl->lineAt(i);
                if (!shown(line))
                    continue;
                const int from = std::max(fragStart, line.textStart());
                int to = std::min(fragEnd, line.textStart() + line.textLength());
                // No line under the blanks where a line breaks.
                while (to > from && b.text().at(to - 1).isSpace())
                    --to;
                if (from >= to)
                    continue;
                const double x1 = origin.x() + line.cursorToX(from);
                const double x2 = origin.x() + line.cursorToX(to);
                drawUnderline(painter, font, std::min(x1, x2), std::max(x1, x2), origin.y() + line.y() + line.ascent(), colour,
                              layoutDevice());
            }
        }
    }
    for (const QTextTable *t : tables)
        drawTableBorders(painter, doc, *t, visible);
}

} // namespace

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
            // The line is drawn below, where the font wants it.
            font.setUnderline(false);
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
            if (e.font.underline && !e.text.trimmed().isEmpty()) {
                // Not under trailing blanks.
                QString inked = e.text;
                while (inked.back().isSpace())
                    inked.chop(1);
                drawUnderline(painter, font, x, x + fm.horizontalAdvance(inked), r.top() + fm.ascent(), Qt::black,
                              painter.device());
            }
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
            painter.setClipRect(visible, Qt::IntersectClip);
            drawDocument(painter, *e.document, visible);
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
