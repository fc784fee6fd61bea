#include "formattedtext.h"

#include "reportengine.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QTextTable>

#include <utility>
#include <vector>

namespace report {

namespace {

constexpr double kProbe = 1000.0;   // document units

// A document on the layout device, built by `fill` and laid out.
struct Probe {
    QTextDocument doc;
    explicit Probe(const std::function<void(QTextCursor &)> &fill)
    {
        doc.setDocumentMargin(0.0);
        doc.documentLayout()->setPaintDevice(layoutDevice());
        QTextCursor c(&doc);
        fill(c);
        doc.setTextWidth(100000.0);
    }
    // Where the first line of block n starts, in device pixels.
    QPointF lineStart(int n) const
    {
        const QTextBlock b = doc.findBlockByNumber(n);
        const QPointF origin = doc.documentLayout()->blockBoundingRect(b).topLeft();
        const QTextLine line = b.layout()->lineAt(0);
        return origin + QPointF(line.x(), line.y());
    }
};

// Device pixels per document unit of one kind of length: what a length of
// kProbe units adds, measured against a document without it.
double measured(const std::function<double(double length)> &effect)
{
    const double d = effect(kProbe) - effect(0.0);
    return d > 0.0 ? d / kProbe : 1.0;
}

rtf::Units measureUnits()
{
    const double spacing = measured([](double length) {
        Probe p([&](QTextCursor &c) {
            QTextBlockFormat f;
            f.setBottomMargin(length);
            c.setBlockFormat(f);
            c.insertText(u"a"_qs);
            c.insertBlock(QTextBlockFormat());
            c.insertText(u"b"_qs);
        });
        return p.lineStart(1).y();
    });
    const double indent = measured([](double length) {
        Probe p([&](QTextCursor &c) {
            QTextBlockFormat f;
            f.setLeftMargin(length);
            c.setBlockFormat(f);
            c.insertText(u"a"_qs);
        });
        return p.lineStart(0).x();
    });
    const double tab = measured([](double length) {
        Probe p([&](QTextCursor &c) {
            QTextBlockFormat f;
            f.setTabPositions({QTextOption::Tab(length + 10.0, QTextOption::LeftTab)});
            c.setBlockFormat(f);
            c.insertText(u"\ta"_qs);
        });
        return p.doc.begin().layout()->lineAt(0).cursorToX(1);
    });
    auto tableWith = [](double width, double border) {
        Probe p([&](QTextCursor &c) {
            QTextTableFormat tf;
            tf.setBorder(0);
            tf.setBorderCollapse(true);
            tf.setCellSpacing(0);
            tf.setCellPadding(0);
            tf.setMargin(0);
            tf.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, width + 10.0),
                                          QTextLength(QTextLength::FixedLength, 10.0)});
            QTextTable *t = c.insertTable(1, 2, tf);
            QTextTableCellFormat cf;
            cf.setLeftBorder(border);
            cf.setLeftBorderStyle(border > 0 ? QTextFrameFormat::BorderStyle_Solid : QTextFrameFormat::BorderStyle_None);
            t->cellAt(0, 0).setFormat(cf);
            t->cellAt(0, 0).firstCursorPosition().insertText(u"a"_qs);
            t->cellAt(0, 1).firstCursorPosition().insertText(u"b"_qs);
        });
        return std::pair(p.lineStart(1).x(), p.lineStart(2).x());
    };
    const double table = measured([&](double length) { return tableWith(length, 0.0).second; });
    const double border = measured([&](double length) { return tableWith(0.0, length / 10.0).first; }) * 10.0;

    const double perTwip = kLayoutDpi / 1440.0;   // device pixels
    return {perTwip / spacing, perTwip / indent, perTwip / tab, perTwip / table, perTwip / border};
}

} // namespace

const rtf::Units &layoutUnits()
{
    // The factors depend on the screen's resolution; measured again when it changes.
    static double measuredFor = -1.0;
    static rtf::Units units{};
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 0.0;
    if (dpi != measuredFor) {
        units = measureUnits();
        measuredFor = dpi;
    }
    return units;
}

std::unique_ptr<QTextDocument> formattedDocument(const QString &stored, const FontSpec &font)
{
    auto doc = rtf::toDocument(stored, font.font(), layoutUnits());
    // Underlines go to the page painter, which puts them where the font wants them.
    std::vector<std::pair<int, int>> underlined;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().isValid() && it.fragment().charFormat().fontUnderline())
                underlined.emplace_back(it.fragment().position(), it.fragment().position() + it.fragment().length());
    QTextCharFormat drawn;
    drawn.setFontUnderline(false);
    drawn.setProperty(kUnderlineProperty, true);
    for (const auto &[from, to] : underlined) {
        QTextCursor c(doc.get());
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        c.mergeCharFormat(drawn);
    }
    return doc;
}

} // namespace report
