#pragma once

// A banded page layout: what a printed protocol consists of, declared once and
// turned into pages by the report engine (reportengine.h) for one record at a
// time.  All positions and sizes are millimetres; horizontal positions count
// from the left margin, vertical ones from the top of the section.

#include "record.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QTextDocument;

namespace report {

class RunContext;
class SectionContext;

// Report units of 1/96 inch, in which the letterhead is measured.
constexpr double kMmPerUnit = 25.4 / 96.0;
constexpr double units(double u) { return u * kMmPerUnit; }

// Width of frame lines and rules.
constexpr double kThinLine = 0.2;

struct FontSpec {
    double pointSize = 10.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString family = QStringLiteral("Arial");

    QFont font() const;

    FontSpec &size(double pt) { pointSize = pt; return *this; }
    FontSpec &withBold() { bold = true; return *this; }
    FontSpec &withItalic() { italic = true; return *this; }
    FontSpec &withUnderline() { underline = true; return *this; }
};

enum class Align { Left, Right, Centre };

enum class ItemKind {
    Text,       // fixed text
    FieldText,  // text of a record field, by the field's display format
    RichText,   // formatted text of a record field, made into a document
    Picture,    // an image, or a picture painted at output time
    HLine,      // horizontal line from (x, y), `width` long
    VLine,      // vertical line from (x, y), `height` long
    Rectangle,  // frame of x, y, width, height
};

// Builds the document a rich text item prints from the field's text.
using DocumentFactory = std::function<std::unique_ptr<QTextDocument>(const QString &fieldText)>;
// Paints a picture into a rectangle given in device pixels.
using PaintCallback = std::function<void(QPainter &painter, const QRectF &target)>;

struct Item {
    ItemKind kind = ItemKind::Text;
    QString name;           // how rules find the item
    double x = 0.0;
    double y = 0.0;
    // Text: 0 means as wide as its text (automatic width).  With automatic
    // width, `x` is where the text starts (left), ends (right) or its middle (centre).
    double width = 0.0;
    // Text: 0 means one line of its font.
    double height = 0.0;
    QString text;           // the fixed text, or the field name of FieldText and RichText
    FontSpec font;
    Align align = Align::Left;
    bool wordWrap = false;  // break into lines at `width`; paragraphs at '\n'
    bool stretch = false;   // the section grows when the text needs more room
    bool visible = true;
    bool clipText = false;  // a text wider than `width` is cut off at the box
    // Computed text: called at output time with the text that would be
    // printed; its result is printed instead.
    std::function<QString(const Record &record, const QString &text)> compute;
    DocumentFactory document;  // RichText; plain text when not set

    QImage image;           // Picture
    PaintCallback paint;    // Picture painted at output time (used when `image` is null)
    bool stretchPicture = false;  // fill the box, ignoring the picture's proportions
    bool centrePicture = false;   // at its own size, centred in the box

    double penWidth = kThinLine;  // lines and rectangles

    // Builders for the common cases.
    static Item label(double x, double y, const QString &text, FontSpec font = {}, Align align = Align::Left);
    static Item field(double x, double y, const QString &fieldName, FontSpec font = {}, Align align = Align::Left);
    static Item hline(double x, double y, double length);
    static Item vline(double x, double y, double length);
    static Item rect(double x, double y, double width, double height);

    Item &named(const QString &n) { name = n; return *this; }
    Item &sized(double w, double h = 0.0) { width = w; height = h; return *this; }
    Item &wrapping(double w) { width = w; wordWrap = true; stretch = true; return *this; }
    Item &computed(std::function<QString(const Record &, const QString &)> f) { compute = std::move(f); return *this; }
    Item &hidden() { visible = false; return *this; }
    Item &clipped(double w) { width = w; clipText = true; return *this; }
};

struct Frame {
    bool top = false;
    bool left = false;
    bool bottom = false;
    bool right = false;

    static Frame all() { return {true, true, true, true}; }
    static Frame sides() { return {false, true, false, true}; }
};

enum class SectionKind {
    PageHeader,  // top of every page
    Title,       // once, at the start
    Detail,      // once per record of the report's data
    Summary,     // once, at the end
    Child,       // directly after the section it hangs from
};

struct Section {
    SectionKind kind = SectionKind::Child;
    QString name;
    double height = 0.0;   // fixed height; grows with stretching items
    Frame frame;
    std::vector<Item> items;
    // Runs just before the section would be output, on the section's own copy
    // for this output: may change texts, visibility, positions and frame lines,
    // and may draw on the page.  Returning false suppresses the section (its
    // chain still follows).
    std::function<bool(SectionContext &)> beforeOutput;
    // Runs right after the section was output.
    std::function<void(SectionContext &)> afterOutput;
    // The chain: sections output directly after this one, in order.
    std::vector<Section> children;

    Section() = default;
    Section(SectionKind k, const QString &n, double h) : kind(k), name(n), height(h) {}

    Item &add(Item item);
    Section &chain(Section child);
    // The item of that name; null when there is none.
    Item *item(const QString &itemName);
    const Item *item(const QString &itemName) const;
};

struct PageFormat {
    double width = 210.0;    // A4 portrait
    double height = 297.0;
    double marginLeft = 16.0;
    double marginTop = 10.0;
    double marginRight = 9.0;
    double marginBottom = 10.0;

    double contentWidth() const { return width - marginLeft - marginRight; }
    double contentHeight() const { return height - marginTop - marginBottom; }
};

struct Layout {
    QString title;           // shown as the preview window's caption; may be empty
    PageFormat page;
    std::vector<Section> sections;  // page header, title, detail and summary sections
    // Runs once when a run starts, before any section.
    std::function<void(RunContext &)> beginRun;
    // Run when a page is full and a following page starts: pageEnding on the
    // full page before it is closed, pageStarted after the next page's header.
    std::function<void(RunContext &)> pageEnding;
    std::function<void(RunContext &)> pageStarted;

    Section &add(Section section);
};

} // namespace report
