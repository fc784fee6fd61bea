#pragma once

// Shared by the tests of formatted text: a document described as one line per
// paragraph, with its layout and the runs of equally formatted text, so that
// two documents compare by what a reader sees, not by how Qt splits them.

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextCursor>
#include <QTextTable>

#include <cmath>

inline QString describeCharFormat(const QTextCharFormat &fmt, const QFont &defaultFont)
{
    const QFont f = fmt.font().resolve(defaultFont);
    double pt = f.pointSizeF();
    if (pt <= 0)
        pt = f.pixelSize() * 0.75;
    QStringList parts{f.family(), QString::number(pt)};
    if (f.weight() > QFont::Medium)
        parts << u"b"_qs;
    if (f.italic())
        parts << u"i"_qs;
    if (f.underline())
        parts << u"u"_qs;
    if (f.strikeOut())
        parts << u"s"_qs;
    if (fmt.hasProperty(QTextFormat::ForegroundBrush) && fmt.foreground().style() != Qt::NoBrush)
        parts << u"fg="_qs + fmt.foreground().color().name();
    if (fmt.hasProperty(QTextFormat::BackgroundBrush) && fmt.background().style() != Qt::NoBrush)
        parts << u"bg="_qs + fmt.background().color().name();
    if (fmt.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        parts << u"sup"_qs;
    if (fmt.verticalAlignment() == QTextCharFormat::AlignSubScript)
        parts << u"sub"_qs;
    return parts.join(u' ');
}

inline QString describeBlockFormat(const QTextBlockFormat &f)
{
    QStringList parts;
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    parts << ((a & Qt::AlignHCenter)                        ? u"center"_qs
              : (a & (Qt::AlignRight | Qt::AlignTrailing)) ? u"right"_qs
              : (a & Qt::AlignJustify)                     ? u"justify"_qs
                                                           : u"left"_qs);
    auto twips = [&](const char *name, double px) {
        const long t = std::lround(px * 15);
        if (t != 0)
            parts << QString::fromLatin1(name) + u'=' + QString::number(t);
    };
    twips("li", f.leftMargin());
    twips("ri", f.rightMargin());
    twips("fi", f.textIndent());
    twips("sb", f.topMargin());
    twips("sa", f.bottomMargin());
    for (const QTextOption::Tab &t : f.tabPositions())
        parts << u"tab"_qs + QString::number(int(t.type)) + u'@' + QString::number(std::lround(t.position * 15));
    return parts.join(u' ');
}

// A table's shape: column widths, and per cell its padding and borders, in twips.
inline QString describeTable(const QTextTable &t)
{
    auto tw = [](double px) { return QString::number(std::lround(px * 15)); };
    QStringList parts{u"table %1x%2 left=%3"_qs.arg(t.rows()).arg(t.columns()).arg(tw(t.format().leftMargin()))};
    for (const QTextLength &w : t.format().columnWidthConstraints())
        parts << u"w="_qs + tw(w.rawValue());
    for (int r = 0; r < t.rows(); ++r)
        for (int c = 0; c < t.columns(); ++c) {
            const QTextTableCellFormat f = t.cellAt(r, c).format().toTableCellFormat();
            auto side = [&](double width, QTextFrameFormat::BorderStyle style) {
                return style == QTextFrameFormat::BorderStyle_None ? u"-"_qs : tw(width);
            };
            parts << u"(%1,%2) pad %3 %4 %5 %6 border %7 %8 %9 %10"_qs.arg(r).arg(c)
                         .arg(tw(f.topPadding()), tw(f.leftPadding()), tw(f.bottomPadding()), tw(f.rightPadding()))
                         .arg(side(f.topBorder(), f.topBorderStyle()), side(f.leftBorder(), f.leftBorderStyle()),
                              side(f.bottomBorder(), f.bottomBorderStyle()), side(f.rightBorder(), f.rightBorderStyle()));
        }
    return parts.join(u' ');
}

inline QString describeDocument(const QTextDocument &doc)
{
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString line = u"["_qs + describeBlockFormat(b.blockFormat()) + u"]"_qs;
        if (const QTextTable *t = QTextCursor(b).currentTable()) {
            const QTextTableCell cell = t->cellAt(b.position());
            if (b.position() == t->firstPosition())
                lines << describeTable(*t);
            line.prepend(u"cell(%1,%2) "_qs.arg(cell.row()).arg(cell.column()));
        }
        QString runText;
        QString runFormat;
        auto flush = [&] {
            if (!runText.isEmpty())
                line += u" «"_qs + runText + u"»{"_qs + runFormat + u'}';
            runText.clear();
        };
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QString fmt = describeCharFormat(frag.charFormat(), doc.defaultFont());
            if (fmt != runFormat)
                flush();
            runFormat = fmt;
            runText += frag.text();
        }
        flush();
        lines << line;
    }
    return lines.join(u'\n');
}
