#include "reportengine.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <stdexcept>

namespace report {

namespace {

constexpr double kEps = 1e-6;

} // namespace

// --- layout declarations --------------------------------------------------------------

QFont FontSpec::font() const
{
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    // Widths must not depend on the device's pixel grid.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

Item Item::label(double x, double y, const QString &text, FontSpec font, Align align)
{
    Item i;
    i.kind = ItemKind::Text;
    i.x = x;
    i.y = y;
    i.text = text;
    i.font = font;
    i.align = align;
    return i;
}

Item Item::field(double x, double y, const QString &fieldName, FontSpec font, Align align)
{
    Item i = label(x, y, fieldName, font, align);
    i.kind = ItemKind::FieldText;
    i.name = fieldName;
    return i;
}

Item Item::hline(double x, double y, double length)
{
    Item i;
    i.kind = ItemKind::HLine;
    i.x = x;
    i.y = y;
    i.width = length;
    return i;
}

Item Item::vline(double x, double y, double length)
{
    Item i;
    i.kind = ItemKind::VLine;
    i.x = x;
    i.y = y;
    i.height = length;
    return i;
}

Item Item::rect(double x, double y, double width, double height)
{
    Item i;
    i.kind = ItemKind::Rectangle;
    i.x = x;
    i.y = y;
    i.width = width;
    i.height = height;
    return i;
}

Item &Section::add(Item item)
{
    items.push_back(std::move(item));
    return items.back();
}

Section &Section::chain(Section child)
{
    child.kind = SectionKind::Child;
    children.push_back(std::move(child));
    return children.back();
}

Item *Section::item(const QString &itemName)
{
    for (Item &i : items)
        if (i.name == itemName)
            return &i;
    return nullptr;
}

const Item *Section::item(const QString &itemName) const
{
    return const_cast<Section *>(this)->item(itemName);
}

Section &Layout::add(Section section)
{
    sections.push_back(std::move(section));
    return sections.back();
}

// --- measuring -----------------------------------------------------------------------

QPaintDevice *layoutDevice()
{
    static QImage device = [] {
        QImage img(4, 4, QImage::Format_Mono);
        const int dpm = qRound(kLayoutDpi / 0.0254);
        img.setDotsPerMeterX(dpm);
        img.setDotsPerMeterY(dpm);
        return img;
    }();
    return &device;
}

double textWidth(const QString &text, const FontSpec &font)
{
    if (text.isEmpty())
        return 0.0;
    return QFontMetricsF(font.font(), layoutDevice()).horizontalAdvance(text) / kLayoutPxPerMm;
}

double lineHeight(const FontSpec &font)
{
    return QFontMetricsF(font.font(), layoutDevice()).lineSpacing() / kLayoutPxPerMm;
}

namespace {

// Breaks a text into lines no wider than `width` mm: paragraphs at '\n',
// lines at word boundaries (a word wider than the line is broken anywhere).
QStringList wrapText(const QString &text, const FontSpec &fontSpec, double width)
{
    QStringList lines;
    const QFont font = fontSpec.font();
    QString normalised = text;
    normalised.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    const QStringList paragraphs = normalised.split(u'\n');
    for (const QString &para : paragraphs) {
        if (para.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(para, font, layoutDevice());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width * kLayoutPxPerMm);
            QString part = para.mid(line.textStart(), line.textLength());
            while (part.endsWith(u' '))
                part.chop(1);
            lines << part;
        }
        layout.endLayout();
    }
    return lines;
}

// The text an item prints now.
QString itemText(const Item &item, const Record &record)
{
    QString text = item.kind == ItemKind::FieldText ? record.displayText(item.text) : item.text;
    if (item.compute)
        text = item.compute(record, text);
    return text;
}

// Where a laid-out document may be split between pages, in layout pixels
// from its top: below every line of a paragraph, and between the rows of a
// table (a row's cells stay together).  The next page goes on at `resume`:
// the next line's top, so that the space between two paragraphs stays at
// the foot of the page before; a table's frame and padding go with its rows.
struct DocumentBreak {
    double cut;
    double resume;
};

std::vector<DocumentBreak> documentBreaks(const QTextDocument &doc)
{
    struct Band {
        double top;
        double bottom;
        const QTextTable *table;  // the table of a row; null for a line
        int row;
    };
    std::vector<Band> bands;
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextLayout *tl = b.layout();
        if (!tl)
            continue;
        const QRectF br = layout->blockBoundingRect(b);
        if (const QTextTable *table = QTextCursor(b).currentTable()) {
            const int row = table->cellAt(b.position()).row();
            if (!bands.empty() && bands.back().table == table && bands.back().row == row) {
                bands.back().top = std::min(bands.back().top, br.top());
                bands.back().bottom = std::max(bands.back().bottom, br.bottom());
            } else {
                bands.push_back({br.top(), br.bottom(), table, row});
            }
            continue;
        }
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const double top = br.top() + line.y();
            bands.push_back({top, top + line.height(), nullptr, 0});
        }
    }
    std::vector<DocumentBreak> breaks;
    for (size_t i = 0; i < bands.size(); ++i) {
        const Band &band = bands[i];
        if (i + 1 == bands.size()) {
            breaks.push_back({band.bottom, band.bottom});
            continue;
        }
        const Band &next = bands[i + 1];
        if (band.table && next.table == band.table) {
            // Between two rows: the shared border halves.
            const double middle = (band.bottom + next.top) / 2.0;
            breaks.push_back({middle, middle});
        } else if (band.table) {
            breaks.push_back({next.top, next.top});   // the table's foot stays with it
        } else if (next.table) {
            breaks.push_back({band.bottom, band.bottom});   // its head goes with it
        } else {
            breaks.push_back({band.bottom, next.top});
        }
    }
    return breaks;
}

std::unique_ptr<QTextDocument> plainDocument(const QString &text)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setPlainText(text);
    return doc;
}

} // namespace

// --- the engine ------------------------------------------------------------------------

class Engine {
public:
    Engine(const Layout &layout, const std::vector<Record> &records, const RunOptions &options, const PageSink &sink)
        : m_layout(layout), m_records(records), m_options(options), m_sink(sink)
    {
    }

    std::vector<Page> run();

    const Record &record() const { return *m_record; }
    int sketchScale() const { return m_options.sketchScale; }
    const PageFormat &format() const { return m_layout.page; }
    int pageNumber() const { return int(m_pages.size()); }
    double position() const { return m_y; }
    void drawLine(double x1, double y1, double x2, double y2, double pen);

private:
    // A section laid out on its own: elements relative to the section's top
    // left corner (x from the left margin).
    // Where a section may be split between lines: the part on the page ends
    // at `cut`, the part on the next page begins at `resume` (the next line's
    // top, so that the space between paragraphs stays on the page before).
    struct Break {
        double cut;
        double resume;
    };
    struct Laid {
        QString name;
        std::vector<PageElement> elements;
        double height = 0.0;
        std::vector<Break> breaks;
        double inkBottom = 0.0;      // the bottom of the lowest thing printed
        Frame frame;
    };

    void startPage();
    void breakPage();
    void closePage();
    void outputChain(const Section &root);
    void outputSection(const Section &declared);
    Laid layOutSection(const Section &section) const;
    void layOutItem(const Item &item, Laid &laid, double shift, double *contentHeight, std::vector<Break> *lineBreaks) const;
    void place(const Laid &laid, double offset, double cut, bool first, bool last);
    Page &page() { return m_pages.back(); }
    double sheetX(double x) const { return m_layout.page.marginLeft + x; }
    double sheetY(double y) const { return m_layout.page.marginTop + y; }

    const Layout &m_layout;
    const std::vector<Record> &m_records;
    RunOptions m_options;
    const PageSink &m_sink;
    Record m_empty;
    const Record *m_record = &m_empty;
    std::vector<Page> m_pages;
    double m_y = 0.0;
    double m_headerHeight = 0.0;
    bool m_fresh = true;      // nothing but the page header on the current page yet
    bool m_inHeader = false;
};

std::vector<Page> Engine::run()
{
    if (!m_records.empty())
        m_record = &m_records.front();
    if (m_layout.beginRun) {
        RunContext ctx(*this);
        m_layout.beginRun(ctx);
    }
    startPage();
    auto outputKind = [this](SectionKind kind) {
        for (const Section &s : m_layout.sections)
            if (s.kind == kind)
                outputChain(s);
    };
    outputKind(SectionKind::Title);
    for (const Record &r : m_records) {
        m_record = &r;
        outputKind(SectionKind::Detail);
    }
    outputKind(SectionKind::Summary);
    closePage();
    return std::move(m_pages);
}

void Engine::startPage()
{
    m_pages.emplace_back();
    m_y = 0.0;
    m_inHeader = true;
    for (const Section &s : m_layout.sections)
        if (s.kind == SectionKind::PageHeader)
            outputChain(s);
    m_inHeader = false;
    m_headerHeight = m_y;
    m_fresh = true;
}

void Engine::breakPage()
{
    RunContext ctx(*this);
    if (m_layout.pageEnding)
        m_layout.pageEnding(ctx);
    closePage();
    startPage();
    if (m_layout.pageStarted)
        m_layout.pageStarted(ctx);
}

void Engine::closePage()
{
    if (m_sink)
        m_sink(int(m_pages.size()) - 1, m_pages.back());
}

void Engine::outputChain(const Section &root)
{
    // Chains may be long: walk them without recursion.
    std::vector<const Section *> stack{&root};
    while (!stack.empty()) {
        const Section *s = stack.back();
        stack.pop_back();
        outputSection(*s);
        for (auto it = s->children.rbegin(); it != s->children.rend(); ++it)
            stack.push_back(&*it);
    }
}

void Engine::outputSection(const Section &declared)
{
    // The rules work on a copy, so nothing they change carries over to the
    // next output or the next run.
    Section section(declared.kind, declared.name, declared.height);
    section.frame = declared.frame;
    section.items = declared.items;
    SectionContext ctx(*this, section);
    if (declared.beforeOutput && !declared.beforeOutput(ctx))
        return;

    const Laid laid = layOutSection(section);
    const double contentHeight = m_layout.page.contentHeight();

    if (m_inHeader) {
        place(laid, 0.0, laid.height, true, true);
        m_y += laid.height;
    } else {
        const bool splittable = !laid.breaks.empty();
        const double freshRoom = contentHeight - m_headerHeight;
        // What lies below the last printed line is only space: it may run
        // into the bottom margin rather than make a page of its own.
        auto fitsFrom = [&](double offset) {
            const double room = contentHeight - m_y;
            return laid.height - offset <= room + kEps || (splittable && laid.inkBottom - offset <= room + kEps);
        };
        if (!fitsFrom(0.0) && !m_fresh && (laid.height <= freshRoom + kEps || !splittable))
            breakPage();

        double offset = 0.0;
        bool first = true;
        for (;;) {
            const double room = contentHeight - m_y;
            if (fitsFrom(offset) || !splittable) {
                // Fits, or cannot be split: a section taller than a page runs over its foot.
                place(laid, offset, laid.height, first, true);
                m_y += laid.height - offset;
                break;
            }
            const Break *cut = nullptr;
            for (const Break &b : laid.breaks)
                if (b.cut > offset + kEps && b.cut <= offset + room + kEps && (!cut || b.cut > cut->cut))
                    cut = &b;
            Break forced{offset + room, offset + room};   // one line taller than a page
            if (!cut) {
                if (!m_fresh) {
                    breakPage();
                    continue;
                }
                cut = &forced;
            }
            place(laid, offset, cut->cut, first, false);
            m_y += cut->cut - offset;
            offset = std::max(cut->cut, cut->resume);
            first = false;
            breakPage();
        }
        m_fresh = false;
    }
    if (declared.afterOutput)
        declared.afterOutput(ctx);
}

Engine::Laid Engine::layOutSection(const Section &section) const
{
    Laid laid;
    laid.name = section.name;
    laid.frame = section.frame;

    // Every item on its own first; then a stretching item that needs more room
    // than declared moves the items below it down by the difference.
    struct Placed {
        const Item *item;
        Laid part;
        double declared;
        double content;
        std::vector<Break> breaks;
    };
    std::vector<Placed> placed;
    for (const Item &item : section.items) {
        if (!item.visible)
            continue;
        Placed p{&item, {}, item.height > 0.0 ? item.height : lineHeight(item.font), 0.0, {}};
        p.part.name = section.name;
        layOutItem(item, p.part, 0.0, &p.content, item.stretch ? &p.breaks : nullptr);
        placed.push_back(std::move(p));
    }

    double maxGrowth = 0.0;
    for (const Placed &p : placed) {
        double shift = 0.0;
        for (const Placed &q : placed) {
            const double growth = q.content - q.declared;
            if (q.item->stretch && growth > kEps && p.item->y >= q.item->y + q.declared - kEps)
                shift = std::max(shift, growth);
        }
        const double own = p.item->stretch ? std::max(0.0, p.content - p.declared) : 0.0;
        maxGrowth = std::max(maxGrowth, shift + own);
        for (PageElement e : p.part.elements) {
            e.rect.translate(0.0, shift);
            e.line.translate(0.0, shift);
            if (!e.clip.isEmpty())
                e.clip.translate(0.0, shift);
            laid.elements.push_back(std::move(e));
        }
        for (const Break &b : p.breaks)
            laid.breaks.push_back({b.cut + shift, b.resume + shift});
    }
    laid.height = section.height + maxGrowth;
    for (const PageElement &e : laid.elements) {
        const double bottom = e.kind == PageElement::Line ? std::max(e.line.y1(), e.line.y2()) : e.rect.bottom();
        laid.inkBottom = std::max(laid.inkBottom, bottom);
    }
    std::sort(laid.breaks.begin(), laid.breaks.end(), [](const Break &a, const Break &b) { return a.cut < b.cut; });
    return laid;
}

void Engine::layOutItem(const Item &item, Laid &laid, double shift, double *contentHeight,
                        std::vector<Break> *lineBreaks) const
{
    const double top = item.y + shift;
    PageElement base;
    base.section = laid.name;
    base.item = item.name;

    switch (item.kind) {
    case ItemKind::Text:
    case ItemKind::FieldText: {
        const QString text = itemText(item, *m_record);
        const double lh = lineHeight(item.font);
        const QStringList lines = item.wordWrap && item.width > 0.0 ? wrapText(text, item.font, item.width)
                                                                     : QStringList{text};
        double boxLeft = item.x;
        double boxWidth = item.width;
        if (item.width <= 0.0) {
            boxWidth = 0.0;
            for (const QString &l : lines)
                boxWidth = std::max(boxWidth, textWidth(l, item.font));
            if (item.align == Align::Right)
                boxLeft = item.x - boxWidth;
            else if (item.align == Align::Centre)
                boxLeft = item.x - boxWidth / 2.0;
        }
        *contentHeight = item.wordWrap ? lh * double(lines.size()) : lh;
        if (item.wordWrap && text.isEmpty())
            *contentHeight = 0.0;
        for (int i = 0; i < lines.size(); ++i) {
            const double lineTop = top + lh * i;
            if (lineBreaks)
                lineBreaks->push_back({lineTop + lh, lineTop + lh});
            if (lines[i].isEmpty())
                continue;
            PageElement e = base;
            e.kind = PageElement::Text;
            e.rect = QRectF(boxLeft, lineTop, boxWidth, lh);
            e.text = lines[i];
            e.font = item.font;
            e.align = item.align;
            if (item.clipText && item.width > 0.0)
                e.clip = e.rect;
            laid.elements.push_back(std::move(e));
        }
        break;
    }
    case ItemKind::RichText: {
        const QString text = m_record->text(item.text);
        std::unique_ptr<QTextDocument> doc = item.document ? item.document(text) : plainDocument(text);
        if (!doc) {
            *contentHeight = 0.0;
            break;
        }
        doc->setDocumentMargin(0.0);
        doc->documentLayout()->setPaintDevice(layoutDevice());
        doc->setDefaultFont(item.font.font());
        doc->setTextWidth(item.width * kLayoutPxPerMm);
        *contentHeight = doc->size().height() / kLayoutPxPerMm;
        if (lineBreaks) {
            for (const DocumentBreak &b : documentBreaks(*doc))
                lineBreaks->push_back({top + b.cut / kLayoutPxPerMm, top + b.resume / kLayoutPxPerMm});
        }
        PageElement e = base;
        e.kind = PageElement::Document;
        e.rect = QRectF(item.x, top, item.width, *contentHeight);
        e.document = std::shared_ptr<QTextDocument>(doc.release());
        laid.elements.push_back(std::move(e));
        break;
    }
    case ItemKind::Picture: {
        *contentHeight = item.height;
        if (item.image.isNull() && !item.paint)
            break;
        PageElement e = base;
        e.kind = PageElement::Picture;
        e.rect = QRectF(item.x, top, item.width, item.height);
        e.image = item.image;
        e.paint = item.paint;
        e.stretchPicture = item.stretchPicture;
        e.centrePicture = item.centrePicture;
        laid.elements.push_back(std::move(e));
        break;
    }
    case ItemKind::HLine:
    case ItemKind::VLine: {
        *contentHeight = item.kind == ItemKind::VLine ? item.height : 0.0;
        PageElement e = base;
        e.kind = PageElement::Line;
        e.line = item.kind == ItemKind::HLine ? QLineF(item.x, top, item.x + item.width, top)
                                              : QLineF(item.x, top, item.x, top + item.height);
        e.rect = QRectF(e.line.p1(), e.line.p2()).normalized();
        e.penWidth = item.penWidth;
        laid.elements.push_back(std::move(e));
        break;
    }
    case ItemKind::Rectangle: {
        *contentHeight = item.height;
        PageElement e = base;
        e.kind = PageElement::Rectangle;
        e.rect = QRectF(item.x, top, item.width, item.height);
        e.penWidth = item.penWidth;
        laid.elements.push_back(std::move(e));
        break;
    }
    }
}

void Engine::place(const Laid &laid, double offset, double cut, bool first, bool last)
{
    const bool whole = first && last;
    const double dy = m_y - offset;   // section coordinates -> content coordinates
    const double width = m_layout.page.contentWidth();
    const QRectF slice(sheetX(0.0), sheetY(m_y), width, cut - offset);
    Page &p = page();

    for (const PageElement &src : laid.elements) {
        const double top = src.rect.top();
        const double bottom = src.kind == PageElement::Text ? src.rect.bottom() : std::max(top, src.rect.bottom());
        if (!whole) {
            if (src.kind == PageElement::Text) {
                if (top < offset - kEps || top >= cut - kEps)
                    continue;
            } else if (bottom < offset - kEps || top > cut + kEps) {
                continue;
            }
        }
        PageElement e = src;
        e.rect.translate(m_layout.page.marginLeft, m_layout.page.marginTop + dy);
        e.line.translate(m_layout.page.marginLeft, m_layout.page.marginTop + dy);
        if (!e.clip.isEmpty())
            e.clip.translate(m_layout.page.marginLeft, m_layout.page.marginTop + dy);
        if (!whole && e.kind != PageElement::Text) {
            if (e.kind == PageElement::Document) {
                const double visibleTop = std::max(top, offset);
                const double visibleBottom = std::min(bottom, cut);
                e.documentOffset += visibleTop - top;
                e.rect = QRectF(e.rect.left(), sheetY(visibleTop + dy), e.rect.width(), visibleBottom - visibleTop);
            }
            e.clip = e.clip.isEmpty() ? slice : e.clip.intersected(slice);
        }
        p.elements.push_back(std::move(e));
    }

    auto frameLine = [&](double x1, double y1, double x2, double y2) {
        PageElement e;
        e.kind = PageElement::Line;
        e.line = QLineF(sheetX(x1), sheetY(y1), sheetX(x2), sheetY(y2));
        e.rect = QRectF(e.line.p1(), e.line.p2()).normalized();
        e.section = laid.name;
        e.item = u"frame"_qs;
        p.elements.push_back(std::move(e));
    };
    const double top = m_y;
    const double bottom = m_y + (cut - offset);
    if (laid.frame.top && first)
        frameLine(0.0, top, width, top);
    if (laid.frame.bottom && last)
        frameLine(0.0, bottom, width, bottom);
    if (laid.frame.left)
        frameLine(0.0, top, 0.0, bottom);
    if (laid.frame.right)
        frameLine(width, top, width, bottom);

    p.sections.push_back({laid.name, sheetY(m_y), cut - offset});
}

void Engine::drawLine(double x1, double y1, double x2, double y2, double pen)
{
    PageElement e;
    e.kind = PageElement::Line;
    e.line = QLineF(sheetX(x1), sheetY(y1), sheetX(x2), sheetY(y2));
    e.rect = QRectF(e.line.p1(), e.line.p2()).normalized();
    e.penWidth = pen;
    e.item = u"rule"_qs;
    page().elements.push_back(std::move(e));
}

// --- contexts ----------------------------------------------------------------------------

const Record &RunContext::record() const { return m_engine.record(); }
int RunContext::sketchScale() const { return m_engine.sketchScale(); }
const PageFormat &RunContext::page() const { return m_engine.format(); }
int RunContext::pageNumber() const { return m_engine.pageNumber(); }
double RunContext::position() const { return m_engine.position(); }

void RunContext::drawLine(double x1, double y1, double x2, double y2, double penWidth)
{
    m_engine.drawLine(x1, y1, x2, y2, penWidth);
}

Item &SectionContext::item(const QString &name)
{
    Item *i = m_section.item(name);
    if (!i)
        throw std::logic_error("report section " + m_section.name.toStdString() + " has no item " + name.toStdString());
    return *i;
}

double SectionContext::textWidth(const Item &item) const
{
    return report::textWidth(itemText(item, record()), item.font);
}

// --- pages ---------------------------------------------------------------------------------

QStringList Page::texts() const
{
    std::vector<const PageElement *> texts;
    for (const PageElement &e : elements)
        if (e.kind == PageElement::Text)
            texts.push_back(&e);
    std::stable_sort(texts.begin(), texts.end(), [](const PageElement *a, const PageElement *b) {
        if (std::abs(a->rect.top() - b->rect.top()) > 0.01)
            return a->rect.top() < b->rect.top();
        return a->rect.left() < b->rect.left();
    });
    QStringList out;
    for (const PageElement *e : texts)
        out << e->text;
    return out;
}

const PlacedSection *Page::section(const QString &name) const
{
    for (const PlacedSection &s : sections)
        if (s.name == name)
            return &s;
    return nullptr;
}

std::vector<Page> layOut(const Layout &layout, const std::vector<Record> &records, const RunOptions &options,
                         const PageSink &sink)
{
    Engine engine(layout, records, options, sink);
    return engine.run();
}

} // namespace report
