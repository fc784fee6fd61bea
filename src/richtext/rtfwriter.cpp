#include "rtf.h"

#include "paragraphs.h"
#include "windows1252.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFragment>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace rtf {
namespace {

// Document units (pixels at 96 dots per inch) to twips.
int toTwips(double px)
{
    return int(std::lround(px * 15.0));
}

// The size of a font in half points; a size in pixels counts at 96 dots per inch.
int halfPoints(const QFont &font)
{
    double pt = font.pointSizeF();
    if (pt <= 0 && font.pixelSize() > 0)
        pt = font.pixelSize() * 0.75;
    if (pt <= 0)
        pt = 12;
    return std::clamp(int(std::lround(pt * 2)), 2, 3276);
}

class Writer {
public:
    explicit Writer(const QTextDocument &doc) : m_doc(doc)
    {
        // Font 0 is the document's own, so that \deff0 names it.
        fontIndex(doc.defaultFont().family());
    }

    // Writes the text between two positions of the document; a paragraph is
    // closed by \par where its end lies inside the range, or at the end of
    // the document when `closeLast`.
    void range(int from, int to, bool closeLast)
    {
        for (QTextBlock b = m_doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
            // A table the range holds whole is written as a table; of a table
            // cut by the range its paragraphs are written as paragraphs.
            if (QTextTable *t = QTextCursor(b).currentTable()) {
                if (t->firstPosition() >= from && t->lastPosition() < to) {
                    table(*t);
                    b = m_doc.findBlock(t->lastPosition());
                    continue;
                }
            }
            const int end = b.position() + b.length() - 1;   // position of the paragraph's end
            const bool last = !b.next().isValid() || b.next().position() > to;
            const bool close = to > end || (last && closeLast);
            if (last && !close && to <= b.position() && b.position() > from)
                break;   // the range ends right where this paragraph begins
            paragraph(b, from, to, close, false);
        }
    }

    QByteArray result() const
    {
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i)
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 " + escaped(m_fonts[i], false) + ";}";
        out += "}\n";
        if (!m_colors.isEmpty()) {
            out += "{\\colortbl ;";
            for (QRgb c : m_colors)
                out += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue"
                    + QByteArray::number(qBlue(c)) + ";";
            out += "}\n";
        }
        out += m_body;
        out += "}\n";
        return out;
    }

private:
    int fontIndex(const QString &family)
    {
        int i = int(m_fonts.indexOf(family));
        if (i < 0) {
            m_fonts.append(family);
            i = int(m_fonts.size() - 1);
        }
        return i;
    }

    int colorIndex(const QColor &c)
    {
        const QRgb rgb = c.rgb() | 0xFF000000u;
        int i = int(m_colors.indexOf(rgb));
        if (i < 0) {
            m_colors.append(rgb);
            i = int(m_colors.size() - 1);
        }
        return i + 1;   // entry 0 is "automatic"
    }

    // A table: per row its definition (cell edges, padding, borders), then
    // the paragraphs of each cell, each cell closed by \cell, the row by \row.
    void table(const QTextTable &t)
    {
        const QTextTableFormat tf = t.format();
        const QList<QTextLength> widths = tf.columnWidthConstraints();
        const int left = toTwips(tf.leftMargin());
        for (int r = 0; r < t.rows(); ++r) {
            m_body += "\\trowd\\trgaph0\\trleft" + QByteArray::number(left);
            const Qt::Alignment a = tf.alignment() & Qt::AlignHorizontal_Mask;
            if (a & Qt::AlignHCenter)
                m_body += "\\trqc";
            else if (a & (Qt::AlignRight | Qt::AlignTrailing))
                m_body += "\\trqr";
            int edge = left;
            for (int c = 0; c < t.columns(); ++c) {
                const QTextTableCellFormat f = t.cellAt(r, c).format().toTableCellFormat();
                const struct {
                    const char *word;
                    double width;
                    QTextFrameFormat::BorderStyle style;
                    QBrush brush;
                } sides[] = {
                    {"t", f.topBorder(), f.topBorderStyle(), f.topBorderBrush()},
                    {"l", f.leftBorder(), f.leftBorderStyle(), f.leftBorderBrush()},
                    {"b", f.bottomBorder(), f.bottomBorderStyle(), f.bottomBorderBrush()},
                    {"r", f.rightBorder(), f.rightBorderStyle(), f.rightBorderBrush()},
                };
                for (const auto &side : sides) {
                    if (side.width <= 0 || side.style == QTextFrameFormat::BorderStyle_None)
                        continue;
                    m_body += QByteArray("\\clbrdr") + side.word + "\\brdrs\\brdrw"
                        + QByteArray::number(std::clamp(toTwips(side.width), 1, 255));
                    if (side.brush.style() != Qt::NoBrush && side.brush.color() != QColor(Qt::black))
                        m_body += "\\brdrcf" + QByteArray::number(colorIndex(side.brush.color()));
                }
                // The padding counts from the cell's edge, its top and left
                // borders inside it (see the reader).
                auto inside = [](double border, QTextFrameFormat::BorderStyle style) {
                    return border > 0 && style != QTextFrameFormat::BorderStyle_None ? border : 0.0;
                };
                const struct {
                    const char *word;
                    double px;
                } pads[] = {{"t", f.topPadding() + inside(f.topBorder(), f.topBorderStyle())},
                            {"l", f.leftPadding() + inside(f.leftBorder(), f.leftBorderStyle())},
                            {"b", f.bottomPadding()},
                            {"r", f.rightPadding()}};
                for (const auto &pad : pads)
                    m_body += QByteArray("\\clpadf") + pad.word + "3\\clpad" + pad.word + QByteArray::number(toTwips(pad.px));
                if (f.verticalAlignment() == QTextCharFormat::AlignMiddle)
                    m_body += "\\clvertalc";
                else if (f.verticalAlignment() == QTextCharFormat::AlignBottom)
                    m_body += "\\clvertalb";
                const double width = c < widths.size() && widths[c].type() == QTextLength::FixedLength ? widths[c].rawValue() : 0.0;
                edge += c < widths.size() && widths[c].type() == QTextLength::FixedLength ? toTwips(width) : 1440;
                m_body += "\\cellx" + QByteArray::number(edge);
            }
            m_body += '\n';
            for (int c = 0; c < t.columns(); ++c) {
                const QTextTableCell cell = t.cellAt(r, c);
                if (cell.row() != r || cell.column() != c) {
                    m_body += "\\pard\\intbl\\cell\n";   // covered by a spanning cell
                    continue;
                }
                const QTextBlock lastBlock = m_doc.findBlock(cell.lastPosition());
                for (QTextBlock b = m_doc.findBlock(cell.firstPosition()); b.isValid(); b = b.next()) {
                    const bool lastInCell = b == lastBlock;
                    paragraph(b, b.position(), b.position() + b.length() - 1, !lastInCell, true);
                    if (lastInCell)
                        break;
                }
                m_body += "\\cell\n";
            }
            m_body += "\\row\n";
        }
        m_body += "\\pard\n";
    }

    void paragraph(const QTextBlock &block, int from, int to, bool close, bool inTable)
    {
        m_body += "\\pard";
        if (inTable)
            m_body += "\\intbl";
        // A paragraph left open (the end of a copied selection) takes the
        // layout of the paragraph it is pasted into, so it carries none.
        if (close || inTable) {
            const QTextBlockFormat f = block.blockFormat();
            const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
            if (a & Qt::AlignHCenter)
                m_body += "\\qc";
            else if (a & (Qt::AlignRight | Qt::AlignTrailing))
                m_body += "\\qr";
            else if (a & Qt::AlignJustify)
                m_body += "\\qj";
            auto twipsWord = [this](const char *word, double px) {
                const int t = toTwips(px);
                if (t != 0)
                    m_body += QByteArray("\\") + word + QByteArray::number(t);
            };
            twipsWord("li", f.leftMargin());
            twipsWord("ri", f.rightMargin());
            twipsWord("fi", f.textIndent());
            twipsWord("sb", f.topMargin());
            // The space after a paragraph also holds the space before the next
            // one (see the reader); RTF keeps the two apart.
            const QTextBlock next = detail::nextInFlow(block);
            const double before = next.isValid() ? next.blockFormat().topMargin() : 0.0;
            twipsWord("sa", std::max(0.0, f.bottomMargin() - before));
            if (f.lineHeightType() == QTextBlockFormat::ProportionalHeight && f.lineHeight() > 0 && f.lineHeight() != 100)
                m_body += "\\sl" + QByteArray::number(std::lround(f.lineHeight() * 2.4)) + "\\slmult1";
            // Tab stops count from the paragraph's left edge in RTF, from its
            // first line's start in the document.
            const int firstLine = toTwips(f.leftMargin()) + toTwips(f.textIndent());
            for (const QTextOption::Tab &t : f.tabPositions()) {
                if (t.type == QTextOption::RightTab)
                    m_body += "\\tqr";
                else if (t.type == QTextOption::CenterTab)
                    m_body += "\\tqc";
                else if (t.type == QTextOption::DelimiterTab)
                    m_body += "\\tqdec";
                m_body += "\\tx" + QByteArray::number(std::max(0, toTwips(t.position) + firstLine));
            }
        }
        m_body += ' ';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            const int a = std::max(frag.position(), from);
            const int b = std::min(frag.position() + frag.length(), to);
            if (a < b)
                run(frag.charFormat(), frag.text().mid(a - frag.position(), b - a));
        }
        if (close)
            m_body += "\\par";
        if (!inTable)
            m_body += '\n';
    }

    void run(const QTextCharFormat &format, const QString &text)
    {
        const QFont font = format.font().resolve(m_doc.defaultFont());
        QByteArray props = "{\\f" + QByteArray::number(fontIndex(font.family())) + "\\fs"
            + QByteArray::number(halfPoints(font));
        if (font.weight() > QFont::Medium)
            props += "\\b";
        if (font.italic())
            props += "\\i";
        if (font.underline())
            props += "\\ul";
        if (font.strikeOut())
            props += "\\strike";
        if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
            props += "\\cf" + QByteArray::number(colorIndex(format.foreground().color()));
        if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
            props += "\\chcbpat" + QByteArray::number(colorIndex(format.background().color()));
        if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            props += "\\super";
        else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
            props += "\\sub";
        m_body += props + ' ' + escaped(text, true) + '}';
    }

    static QByteArray escaped(const QString &text, bool inText)
    {
        QByteArray out;
        out.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            const char16_t u = c.unicode();
            if (u == u'\\' || u == u'{' || u == u'}') {
                out += '\\';
                out += char(u);
            } else if (u == u';' && !inText) {
                continue;   // would end the font table entry
            } else if (u == u'\t' && inText) {
                out += "\\tab ";
            } else if (u == QChar::LineSeparator && inText) {
                out += "\\line ";
            } else if (u == 0x00A0) {
                out += "\\~";
            } else if (u == 0x00AD) {
                out += "\\-";
            } else if (u == 0x2011) {
                out += "\\_";
            } else if (u < 0x20 || u == QChar::ObjectReplacementCharacter || u == QChar::ParagraphSeparator) {
                continue;   // layout markers of the document, not text
            } else if (u < 0x80) {
                out += char(u);
            } else if (const int b = windows1252::encodeChar(c); b >= 0) {
                out += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
            } else {
                out += "\\u" + QByteArray::number(qint16(u)) + "?";
            }
        }
        return out;
    }

    const QTextDocument &m_doc;
    QStringList m_fonts;
    QList<QRgb> m_colors;
    QByteArray m_body;
};

} // namespace

QByteArray write(const QTextDocument &doc)
{
    if (doc.isEmpty())
        return {};
    Writer w(doc);
    w.range(0, doc.characterCount() - 1, true);
    return w.result();
}

QString writeString(const QTextDocument &doc)
{
    return QString::fromLatin1(write(doc));
}

QByteArray writeSelection(const QTextCursor &cursor)
{
    if (!cursor.hasSelection() || !cursor.document())
        return {};
    Writer w(*cursor.document());
    w.range(cursor.selectionStart(), cursor.selectionEnd(), false);
    return w.result();
}

namespace {

// Copies a table of a pasted document in at the cursor, which then stands in
// the paragraph after it.
void insertTable(QTextCursor &cursor, const QTextTable &source)
{
    // A table stands on its own: text before the caret stays in its paragraph.
    if (!cursor.atBlockStart() && !cursor.atBlockEnd())
        cursor.insertBlock();
    QTextTable *table = cursor.insertTable(source.rows(), source.columns(), source.format());
    for (int r = 0; r < source.rows(); ++r) {
        for (int c = 0; c < source.columns(); ++c) {
            const QTextTableCell from = source.cellAt(r, c);
            QTextTableCell to = table->cellAt(r, c);
            to.setFormat(from.format().toTableCellFormat());
            QTextCursor sel(from.firstCursorPosition());
            sel.setPosition(from.lastPosition(), QTextCursor::KeepAnchor);
            QTextCursor at = to.firstCursorPosition();
            at.setBlockFormat(from.firstCursorPosition().blockFormat());
            at.insertFragment(sel.selection());
        }
    }
    cursor.setPosition(table->lastPosition() + 1);
}

} // namespace

void insert(QTextCursor &cursor, const QByteArray &data)
{
    if (cursor.isNull())
        return;
    QTextDocument pasted;
    if (cursor.document())
        pasted.setDefaultFont(cursor.document()->defaultFont());
    const ReadInfo info = read(data, &pasted);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const QTextBlockFormat target = cursor.blockFormat();
    const QTextCharFormat targetChar = cursor.charFormat();
    const QTextFrame *root = pasted.rootFrame();
    for (auto it = root->begin(); !it.atEnd(); ++it) {
        if (const auto *table = qobject_cast<const QTextTable *>(it.currentFrame())) {
            insertTable(cursor, *table);
            continue;
        }
        const QTextBlock b = it.currentBlock();
        if (!b.isValid())
            continue;
        for (auto f = b.begin(); !f.atEnd(); ++f) {
            const QTextFragment frag = f.fragment();
            if (frag.isValid())
                cursor.insertText(frag.text(), frag.charFormat());
        }
        auto next = it;
        ++next;
        const bool beforeTable = !next.atEnd() && qobject_cast<const QTextTable *>(next.currentFrame());
        const bool closed = b.next().isValid() || (info.wasRtf && info.endsWithParagraph);
        if (closed) {
            cursor.setBlockFormat(info.wasRtf ? b.blockFormat() : target);
            // A table that follows comes right after the paragraph.
            if (!beforeTable)
                cursor.insertBlock(target, targetChar);
        }
    }
    cursor.endEditBlock();
}

} // namespace rtf
