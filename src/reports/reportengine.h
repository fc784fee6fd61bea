#pragma once

// Turns a Layout and its records into pages.  Text is measured once, at a
// fixed layout resolution, so that line breaks, widths and page breaks are
// the same on screen, on paper and in a PDF; a page is then a list of placed
// elements that pagepainter.h draws on any paint device.

#include "reportlayout.h"

#include <QLineF>
#include <QRectF>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QPaintDevice;

namespace report {

// Resolution at which text is measured and broken into lines.
constexpr double kLayoutDpi = 1200.0;
constexpr double kLayoutPxPerMm = kLayoutDpi / 25.4;

// Underlined text in a document of a RichText item carries this character
// property instead of the font's underline; the page painter draws the line
// at the font's own underline position.
constexpr int kUnderlineProperty = 0x100000 + 1;   // QTextFormat::UserProperty + 1

// The paint device of that resolution used for measuring.
QPaintDevice *layoutDevice();
// Width of a text in mm, as laid out.
double textWidth(const QString &text, const FontSpec &font);
// Height of one line of a font in mm (ascent + descent + leading).
double lineHeight(const FontSpec &font);

// One placed thing on a page; rectangles are mm on the sheet.
struct PageElement {
    enum Kind { Text, Line, Rectangle, Picture, Document };
    Kind kind = Text;
    QRectF rect;            // Text: the line box; Picture, Document, Rectangle: the box
    QString text;
    FontSpec font;
    Align align = Align::Left;
    QLineF line;            // Line
    double penWidth = kThinLine;
    QImage image;
    PaintCallback paint;
    bool stretchPicture = false;
    bool centrePicture = false;
    std::shared_ptr<QTextDocument> document;  // laid out at the layout resolution
    double documentOffset = 0.0;              // mm of the document above `rect`
    QRectF clip;            // when not empty, nothing is drawn outside it
    QString section;        // the section and item the element comes from
    QString item;
};

// A section as it was output, for checks and for readers of the pages.
struct PlacedSection {
    QString name;
    double top = 0.0;      // mm on the sheet
    double height = 0.0;   // of the part on this page
};

struct Page {
    std::vector<PageElement> elements;
    std::vector<PlacedSection> sections;

    // The texts on the page from top to bottom, left to right, one per element.
    QStringList texts() const;
    const PlacedSection *section(const QString &name) const;
};

struct RunOptions {
    int sketchScale = 2;
};

// Called with each page as soon as it is complete (index from 0).
using PageSink = std::function<void(int index, const Page &page)>;

class Engine;

// What rules see of the run.
class RunContext {
public:
    explicit RunContext(Engine &engine) : m_engine(engine) {}
    virtual ~RunContext() = default;

    const Record &record() const;
    int sketchScale() const;
    const PageFormat &page() const;
    int pageNumber() const;         // from 1
    // The current output position: mm below the top margin of the current page.
    double position() const;
    // Draws a line on the current page; coordinates like items (mm from the
    // left margin and from the top margin).
    void drawLine(double x1, double y1, double x2, double y2, double penWidth = kThinLine);

protected:
    Engine &m_engine;
};

class SectionContext : public RunContext {
public:
    SectionContext(Engine &engine, Section &section) : RunContext(engine), m_section(section) {}

    Section &section() { return m_section; }
    Frame &frame() { return m_section.frame; }
    // The item of that name in this output's copy of the section; a rule that
    // names an item the section does not have is a programming error.
    Item &item(const QString &name);
    // Width of an item's text in mm as it would be printed now.
    double textWidth(const Item &item) const;

private:
    Section &m_section;
};

// Lays out the layout for the records (one detail chain per record) and
// returns the pages; `sink` gets every page as soon as it is complete.
// Exceptions thrown by rules or callbacks pass through.
std::vector<Page> layOut(const Layout &layout, const std::vector<Record> &records,
                         const RunOptions &options = {}, const PageSink &sink = {});

} // namespace report
