#include "rtf.h"

#include "paragraphs.h"
#include "windows1252.h"

#include <QColor>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QVector>

#include <algorithm>
#include <utility>
#include <vector>

namespace rtf {
namespace {

// Bounds that keep hostile input from costing more than its own size.
constexpr int kMaxDepth = 200;          // group nesting; deeper groups share the state of the deepest
constexpr int kMaxFonts = 1000;
constexpr int kMaxColors = 1000;
constexpr int kMaxTabs = 64;
constexpr int kMaxColumns = 64;      // cells of one table row
constexpr int kMinCell = 20;         // twips: the narrowest cell
constexpr int kMaxFontName = 200;
constexpr int kMaxWordLength = 32;      // longer control words are read whole but not recognised
constexpr int kMaxTwips = 31680;        // 22 inches
constexpr int kMaxHalfPoints = 3276;    // 1638 pt, the largest size word processors allow
constexpr int kDefaultHalfPoints = 24;  // RTF's size for text without \fs: 12 pt
constexpr int kListLabel = QTextFormat::UserProperty + 0x5254;   // while reading only

enum class Dest { Text, Skip, FontTable, ColorTable };

struct CharProps {
    int font = -1;   // font number; -1: the default font (\deff)
    int halfPoints = kDefaultHalfPoints;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int fg = -1;     // colour table index; -1: automatic
    int bg = -1;
    int vpos = 0;    // 1 superscript, -1 subscript
    bool listLabel = false;   // the bullet or number of a list item (\listtext, \pntext)
    bool operator==(const CharProps &) const = default;
};

struct TabStop {
    int twips = 0;
    QTextOption::TabType type = QTextOption::LeftTab;
};

struct ParaProps {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
    int sl = 0;              // line spacing: with \slmult1 in 240ths of a line, else twips (ignored)
    bool slMult = false;
    bool intbl = false;      // the paragraph stands in a table cell
    QVector<TabStop> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
};

// One side of a table cell's frame.
struct Border {
    bool on = false;
    int width = 0;   // twips
    int color = -1;  // colour table index; -1: black
};

// A cell as the row definition describes it: its right edge, frame and padding.
struct CellDef {
    int right = 0;                 // twips from the row's origin
    Border borders[4];             // top, left, bottom, right
    int padding[4] = {-1, -1, -1, -1};
    Qt::Alignment valign = Qt::AlignTop;
};

// The row definition from \trowd on: where the cells end, their frames, padding.
struct RowDef {
    int left = 0;                  // \trleft
    int gaph = 0;                  // \trgaph: padding left and right of every cell
    int padding[4] = {-1, -1, -1, -1};
    Qt::Alignment align = Qt::AlignLeft;
    QVector<CellDef> cells;
    CellDef next;                  // the cell being defined, until its \cellx
};

// The text of one cell until its row is complete.
struct PendingRun {
    CharProps props;
    QString text;
};
struct PendingParagraph {
    ParaProps props;
    QVector<PendingRun> runs;
};
using PendingCell = QVector<PendingParagraph>;

struct Group {
    Dest dest = Dest::Text;
    CharProps chr;
    ParaProps para;
    int uc = 1;      // fallback characters after \uN
};

// Destinations that hold no running text.
bool isSkippedDestination(QByteArrayView word)
{
    static const char *const names[] = {
        "stylesheet", "info", "pict", "nonshppict", "shp", "object", "header", "headerl", "headerr",
        "headerf", "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "atnid",
        "atnauthor", "fldinst", "xe", "tc", "txe", "rxe", "pn", "listtable", "listoverridetable",
        "revtbl", "rsidtbl", "filetbl", "generator", "template", "docvar", "userprops", "xmlnstbl",
        "latentstyles", "themedata", "colorschememapping", "datastore", "pgdsctbl", "bkmkstart",
        "bkmkend", "field0", "datafield", "formfield", "private", "fchars", "lchars", "ftnsep",
        "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn", "mmathPr", "oldcprops", "oldpprops",
        "oldsprops", "oldtprops",
    };
    for (const char *n : names)
        if (word == QByteArrayView(n))
            return true;
    return false;
}

// Characters that must not enter a QTextDocument as text: the document keeps
// its own paragraph and frame markers in this range.
QChar sanitized(char32_t u)
{
    if (u == u'\t' || u == 0x2028)
        return QChar(char16_t(u));
    if (u == u'\n' || u == u'\r' || u == 0x2029)
        return QChar(QChar::LineSeparator);
    if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0xFFFC || u == 0xFFFE || u == 0xFFFF
        || (u >= 0xFDD0 && u <= 0xFDEF))
        return QChar();
    return QChar(char16_t(u));
}

// The bullet or number of a list item takes the size of the item's text, as
// a word processor shows it (the label written for other readers often
// carries no size of its own and would be 12 pt).
void sizeListLabels(QTextDocument *doc)
{
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        int labelEnd = -1;
        double size = 0.0;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid())
                continue;
            if (f.charFormat().boolProperty(kListLabel)) {
                labelEnd = f.position() + f.length();
                continue;
            }
            size = f.charFormat().fontPointSize();
            break;
        }
        if (labelEnd < 0)
            continue;
        QTextCursor c(b);
        c.setPosition(labelEnd, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setProperty(kListLabel, false);
        if (size > 0)
            f.setFontPointSize(size);
        c.mergeCharFormat(f);
        // The mark was only needed here.
        std::vector<std::pair<QTextCursor, QTextCharFormat>> marked;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            QTextCharFormat cf = it.fragment().charFormat();
            if (!cf.hasProperty(kListLabel))
                continue;
            cf.clearProperty(kListLabel);
            QTextCursor fc(b);
            fc.setPosition(it.fragment().position());
            fc.setPosition(it.fragment().position() + it.fragment().length(), QTextCursor::KeepAnchor);
            marked.emplace_back(fc, cf);
        }
        for (auto &[fc, cf] : marked)
            fc.setCharFormat(cf);
    }
}

// A word processor puts the space after a paragraph and the space before
// the next one both between them; the text layout takes only the larger of
// the two.  Each paragraph's space after therefore also holds the space
// before the paragraph that follows it in its flow (the writer takes it out
// again).
void addSpacingBetweenParagraphs(QTextDocument *doc)
{
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QTextBlock next = detail::nextInFlow(b);
        if (!next.isValid() || next.blockFormat().topMargin() <= 0)
            continue;
        QTextBlockFormat f = b.blockFormat();
        f.setBottomMargin(f.bottomMargin() + next.blockFormat().topMargin());
        QTextCursor(b).setBlockFormat(f);
    }
}

class Reader {
public:
    Reader(const QByteArray &data, QTextDocument *doc, const Units &units)
        : m_data(data), m_doc(doc), m_cursor(doc), m_units(units)
    {
    }

    ReadInfo run();

private:
    // --- input -------------------------------------------------------------
    bool atEnd() const { return m_pos >= m_data.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(m_data[m_pos]); }

    Group &top() { return m_stack.back(); }
    void pushGroup();
    bool popGroup();   // false when the outermost group closed
    void controlSequence();
    void controlWord(QByteArrayView word, bool hasParam, int param);
    bool tableWord(QByteArrayView word, bool hasParam, int param);
    void textByte(unsigned char byte);
    void hexByte(unsigned char byte);
    void countFallback();
    void endFontEntry();
    QChar symbolFontChar(unsigned char byte) const;

    // --- output ------------------------------------------------------------
    void appendText(QChar c);
    void flushRun();
    void paragraphBreak();
    void openPendingBlock();
    void leaveTable();
    void takeCell();
    void endCell();
    void endRow();
    void emitRow();
    QTextCharFormat charFormat(const CharProps &p) const;
    QTextBlockFormat blockFormat(const ParaProps &p, const QString &text) const;
    QTextTableFormat tableFormat(const RowDef &row) const;
    QTextTableCellFormat cellFormat(const RowDef &row, int column) const;
    void finish();

    const QByteArray &m_data;
    ParaProps m_finalPara;   // the paragraph layout when the outermost group closed
    qsizetype m_pos = 0;
    QTextDocument *m_doc;
    QTextCursor m_cursor;
    Units m_units;           // document lengths per twip
    ReadInfo m_info;

    QVector<Group> m_stack;
    int m_overflow = 0;    // groups opened beyond kMaxDepth, not pushed
    int m_skipFallback = 0;
    int m_defaultFont = 0;
    int m_defaultTab = 720;

    QHash<int, QString> m_fonts;
    QHash<int, int> m_fontCharsets;
    int m_fontNumber = -1;   // the font table entry being read
    QString m_fontName;
    QVector<QColor> m_colors;   // invalid: automatic
    int m_red = -1, m_green = -1, m_blue = -1;

    QString m_run;
    CharProps m_runProps;
    bool m_runInTable = false;
    bool m_needBlock = false;   // a \par closed the last block; the next text opens a new one

    // Tables: the row being defined, the cells read for it, and the table
    // the rows go into (null outside a table).
    RowDef m_row;
    Border *m_border = nullptr;   // the frame side that \brdr… words describe now
    QVector<PendingCell> m_cells;
    PendingCell m_cell;
    QTextTable *m_table = nullptr;
    QVector<int> m_tableEdges;    // the cell edges of m_table's rows, twips
};

ReadInfo Reader::run()
{
    m_info.wasRtf = true;
    m_doc->clear();
    m_cursor = QTextCursor(m_doc);
    m_cursor.beginEditBlock();
    // Everything before the outermost group is not part of the document.
    while (!atEnd() && peek() != '{')
        ++m_pos;
    bool closed = false;
    while (!atEnd()) {
        const unsigned char c = peek();
        if (c == '{') {
            ++m_pos;
            pushGroup();
        } else if (c == '}') {
            ++m_pos;
            if (!popGroup()) {
                closed = true;
                break;
            }
        } else if (c == '\\') {
            controlSequence();
        } else {
            ++m_pos;
            if (c == '\r' || c == '\n')
                continue;
            textByte(c);
        }
    }
    if (!closed)
        m_info.malformed = true;
    finish();
    m_cursor.endEditBlock();
    // After the edit block: only then does the document know its tables.
    sizeListLabels(m_doc);
    addSpacingBetweenParagraphs(m_doc);
    return m_info;
}

void Reader::pushGroup()
{
    m_skipFallback = 0;
    if (m_stack.size() >= kMaxDepth) {
        ++m_overflow;
        m_info.malformed = true;
        return;
    }
    if (m_stack.isEmpty())
        m_stack.append(Group());
    else
        m_stack.append(m_stack.back());
}

bool Reader::popGroup()
{
    m_skipFallback = 0;
    if (m_overflow > 0) {
        --m_overflow;
        return true;
    }
    if (m_stack.isEmpty())
        return false;
    // A font entry written without its closing ';'.
    if (top().dest == Dest::FontTable && !m_fontName.trimmed().isEmpty())
        endFontEntry();
    if (m_stack.size() == 1)
        m_finalPara = top().para;
    m_stack.removeLast();
    return !m_stack.isEmpty();
}

void Reader::endFontEntry()
{
    if (m_fontNumber >= 0 && (m_fonts.size() < kMaxFonts || m_fonts.contains(m_fontNumber)))
        m_fonts.insert(m_fontNumber, m_fontName.trimmed());
    m_fontName.clear();
    m_fontNumber = -1;
}

void Reader::countFallback()
{
    if (m_skipFallback > 0)
        --m_skipFallback;
}

void Reader::controlSequence()
{
    ++m_pos;   // the backslash
    if (atEnd()) {
        m_info.malformed = true;
        return;
    }
    const unsigned char c = peek();
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        const qsizetype start = m_pos;
        while (!atEnd() && ((peek() >= 'a' && peek() <= 'z') || (peek() >= 'A' && peek() <= 'Z')))
            ++m_pos;
        const QByteArrayView word(m_data.constData() + start, m_pos - start);
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (!atEnd() && peek() == '-' && m_pos + 1 < m_data.size() && m_data[m_pos + 1] >= '0'
            && m_data[m_pos + 1] <= '9') {
            negative = true;
            ++m_pos;
        }
        while (!atEnd() && peek() >= '0' && peek() <= '9') {
            hasParam = true;
            if (value < 0x7FFFFFFF)
                value = value * 10 + (peek() - '0');
            ++m_pos;
        }
        value = std::min<qint64>(value, 0x7FFFFFFF);
        if (!atEnd() && peek() == ' ')
            ++m_pos;
        const int param = int(negative ? -value : value);
        if (word.size() > kMaxWordLength) {
            countFallback();
            return;
        }
        if (m_skipFallback > 0) {
            --m_skipFallback;
            return;
        }
        if (word == "u") {
            // A UTF-16 unit, written as a signed 16-bit number; its fallback
            // characters for older readers follow and are skipped.
            const int unit = param < 0 ? param + 65536 : param;
            if (hasParam && unit >= 0 && unit <= 0xFFFF)
                appendText(sanitized(char32_t(unit)));
            m_skipFallback = m_stack.isEmpty() ? 1 : top().uc;
            return;
        }
        controlWord(word, hasParam, param);
        return;
    }

    ++m_pos;
    switch (c) {
    case '\'': {
        auto hex = [](unsigned char h) -> int {
            if (h >= '0' && h <= '9')
                return h - '0';
            if (h >= 'a' && h <= 'f')
                return h - 'a' + 10;
            if (h >= 'A' && h <= 'F')
                return h - 'A' + 10;
            return -1;
        };
        const int hi = atEnd() ? -1 : hex(peek());
        if (hi < 0) {
            m_info.malformed = true;
            return;
        }
        ++m_pos;
        const int lo = atEnd() ? -1 : hex(peek());
        if (lo < 0) {
            m_info.malformed = true;
            return;
        }
        ++m_pos;
        if (m_skipFallback > 0) {
            --m_skipFallback;
            return;
        }
        hexByte(static_cast<unsigned char>(hi * 16 + lo));
        return;
    }
    case '\\':
    case '{':
    case '}':
        textByte(c);
        return;
    default:
        break;
    }
    if (m_skipFallback > 0) {
        --m_skipFallback;
        return;
    }
    switch (c) {
    case '\r':
    case '\n':
        if (!m_stack.isEmpty() && top().dest == Dest::Text)
            paragraphBreak();
        break;
    case '~': appendText(QChar(0x00A0)); break;
    case '-': appendText(QChar(0x00AD)); break;
    case '_': appendText(QChar(0x2011)); break;
    case '*':
        if (!m_stack.isEmpty())
            top().dest = Dest::Skip;
        break;
    default:
        break;   // \| \: and unknown symbols
    }
}

// List bullets that word processors write in a symbol font (Symbol,
// Wingdings), whose codes mean other characters than in Windows-1252: as
// the character they show.  Null for any other byte or font.
QChar Reader::symbolFontChar(unsigned char byte) const
{
    if (m_stack.isEmpty())
        return {};
    const int font = m_stack.back().chr.font < 0 ? m_defaultFont : m_stack.back().chr.font;
    const QString name = m_fonts.value(font);
    if (m_fontCharsets.value(font) != 2 && !name.startsWith(u"Symbol", Qt::CaseInsensitive)
        && !name.startsWith(u"Wingdings", Qt::CaseInsensitive))
        return {};
    if (name.startsWith(u"Wingdings", Qt::CaseInsensitive)) {
        switch (byte) {
        case 0x6E: return QChar(0x25A0);   // black square
        case 0x76: return QChar(0x2756);   // four diamonds
        case 0xA7: return QChar(0x25AA);   // small black square
        case 0xD8: return QChar(0x27A2);   // arrowhead
        case 0xFC: return QChar(0x2713);   // check mark
        default: return {};
        }
    }
    return byte == 0xB7 ? QChar(0x2022) : QChar();   // Symbol's bullet
}

void Reader::textByte(unsigned char byte)
{
    if (m_skipFallback > 0) {
        --m_skipFallback;
        return;
    }
    if (m_stack.isEmpty())
        return;
    Group &g = top();
    if (g.dest == Dest::FontTable) {
        if (byte == ';')
            endFontEntry();
        else
            appendText(sanitized(windows1252::decodeByte(byte).unicode()));
        return;
    }
    if (g.dest == Dest::ColorTable) {
        if (byte == ';') {
            if (m_colors.size() < kMaxColors)
                m_colors.append(m_red < 0 && m_green < 0 && m_blue < 0
                                    ? QColor()
                                    : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
            m_red = m_green = m_blue = -1;
        }
        return;
    }
    if (g.dest != Dest::Text)
        return;
    if (byte == '\t') {
        appendText(QChar(u'\t'));
        return;
    }
    if (byte < 0x20)
        return;
    if (const QChar symbol = symbolFontChar(byte); !symbol.isNull()) {
        appendText(symbol);
        return;
    }
    const QChar c = windows1252::decodeByte(byte);
    if (!c.isNull())
        appendText(sanitized(c.unicode()));
}

void Reader::hexByte(unsigned char byte)
{
    if (m_stack.isEmpty())
        return;
    if (top().dest != Dest::Text && top().dest != Dest::FontTable)
        return;
    if (top().dest == Dest::Text) {
        if (const QChar symbol = symbolFontChar(byte); !symbol.isNull()) {
            appendText(symbol);
            return;
        }
    }
    const QChar c = windows1252::decodeByte(byte);
    if (!c.isNull())
        appendText(sanitized(c.unicode()));
}

void Reader::controlWord(QByteArrayView word, bool hasParam, int param)
{
    if (m_stack.isEmpty())
        return;
    Group &g = top();

    if (word == "bin") {
        // Raw binary data follows; it is never text.
        const qsizetype n = hasParam && param > 0 ? param : 0;
        m_pos += std::min<qsizetype>(n, m_data.size() - m_pos);
        return;
    }
    if (g.dest == Dest::Skip)
        return;
    if (g.dest == Dest::FontTable) {
        if (word == "f" && hasParam) {
            m_fontNumber = param;
            m_fontName.clear();
        } else if (word == "fcharset" && m_fontNumber >= 0 && m_fontCharsets.size() < kMaxFonts) {
            m_fontCharsets.insert(m_fontNumber, param);
        } else if (isSkippedDestination(word)) {
            g.dest = Dest::Skip;
        }
        return;
    }
    if (g.dest == Dest::ColorTable) {
        const int v = std::clamp(param, 0, 255);
        if (word == "red")
            m_red = v;
        else if (word == "green")
            m_green = v;
        else if (word == "blue")
            m_blue = v;
        return;
    }

    const bool on = !hasParam || param != 0;
    auto twips = [&](int lo) { return std::clamp(hasParam ? param : 0, lo, kMaxTwips); };
    CharProps &chr = g.chr;
    ParaProps &para = g.para;

    // Destinations.
    if (word == "fonttbl") {
        g.dest = Dest::FontTable;
        m_fontNumber = -1;
        m_fontName.clear();
    } else if (word == "colortbl") {
        g.dest = Dest::ColorTable;
        m_red = m_green = m_blue = -1;
    } else if (isSkippedDestination(word)) {
        g.dest = Dest::Skip;
    } else if (word == "listtext" || word == "pntext") {
        chr.listLabel = true;
    }
    // Tables.
    else if (tableWord(word, hasParam, param)) {
    }
    // Special characters.
    else if (word == "par" || word == "nestrow") {
        paragraphBreak();
    } else if (word == "line") {
        appendText(QChar(QChar::LineSeparator));
    } else if (word == "tab" || word == "nestcell") {
        appendText(QChar(u'\t'));
    } else if (word == "emdash") {
        appendText(QChar(0x2014));
    } else if (word == "endash") {
        appendText(QChar(0x2013));
    } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
        appendText(QChar(u' '));
    } else if (word == "bullet") {
        appendText(QChar(0x2022));
    } else if (word == "lquote") {
        appendText(QChar(0x2018));
    } else if (word == "rquote") {
        appendText(QChar(0x2019));
    } else if (word == "ldblquote") {
        appendText(QChar(0x201C));
    } else if (word == "rdblquote") {
        appendText(QChar(0x201D));
    }
    // Document.
    else if (word == "deff") {
        m_defaultFont = param;
    } else if (word == "deftab") {
        if (hasParam && param > 0)
            m_defaultTab = std::clamp(param, 20, kMaxTwips);
    } else if (word == "uc") {
        g.uc = std::clamp(param, 0, 16);
    }
    // Characters.
    else if (word == "plain") {
        const bool label = chr.listLabel;   // a list item's label stays one after \plain
        chr = CharProps();
        chr.listLabel = label;
    } else if (word == "f") {
        chr.font = param;
    } else if (word == "fs") {
        chr.halfPoints = hasParam && param > 0 ? std::clamp(param, 2, kMaxHalfPoints) : kDefaultHalfPoints;
    } else if (word == "b") {
        chr.bold = on;
    } else if (word == "i") {
        chr.italic = on;
    } else if (word == "strike" || word == "striked") {
        chr.strike = on;
    } else if (word == "v") {
        chr.hidden = on;
    } else if (word == "ulnone") {
        chr.underline = false;
    } else if (word == "ul" || word == "uld" || word == "uldash" || word == "uldashd" || word == "uldashdd"
               || word == "uldb" || word == "ulhwave" || word == "ulldash" || word == "ulth" || word == "ulthd"
               || word == "ulthdash" || word == "ulthdashd" || word == "ulthdashdd" || word == "ulthldash"
               || word == "ululdbwave" || word == "ulw" || word == "ulwave") {
        chr.underline = on;
    } else if (word == "cf") {
        chr.fg = hasParam ? std::max(param, 0) : -1;
    } else if (word == "cb" || word == "chcbpat" || word == "highlight") {
        chr.bg = hasParam ? std::max(param, 0) : -1;
    } else if (word == "super") {
        chr.vpos = 1;
    } else if (word == "sub") {
        chr.vpos = -1;
    } else if (word == "nosupersub") {
        chr.vpos = 0;
    }
    // Paragraphs.
    else if (word == "pard") {
        para = ParaProps();
    } else if (word == "ql") {
        para.align = Qt::AlignLeft;
    } else if (word == "qc") {
        para.align = Qt::AlignHCenter;
    } else if (word == "qr") {
        para.align = Qt::AlignRight;
    } else if (word == "qj" || word == "qd") {
        para.align = Qt::AlignJustify;
    } else if (word == "li") {
        para.li = twips(-kMaxTwips);
    } else if (word == "ri") {
        para.ri = twips(-kMaxTwips);
    } else if (word == "fi") {
        para.fi = twips(-kMaxTwips);
    } else if (word == "sb") {
        para.sb = twips(0);
    } else if (word == "sa") {
        para.sa = twips(0);
    } else if (word == "sl") {
        para.sl = hasParam ? std::clamp(param, -kMaxTwips, kMaxTwips) : 0;
    } else if (word == "slmult") {
        para.slMult = on;
    } else if (word == "intbl") {
        para.intbl = true;
    } else if (word == "itap") {
        para.intbl = hasParam ? param > 0 : true;
    } else if (word == "tqr") {
        para.nextTabType = QTextOption::RightTab;
    } else if (word == "tqc") {
        para.nextTabType = QTextOption::CenterTab;
    } else if (word == "tqdec") {
        para.nextTabType = QTextOption::DelimiterTab;
    } else if (word == "tx" || word == "tb") {
        // One stop per position: a later one replaces an earlier one there.
        const TabStop stop{twips(0), para.nextTabType};
        auto same = std::find_if(para.tabs.begin(), para.tabs.end(), [&](const TabStop &t) { return t.twips == stop.twips; });
        if (same != para.tabs.end())
            *same = stop;
        else if (para.tabs.size() < kMaxTabs)
            para.tabs.append(stop);
        para.nextTabType = QTextOption::LeftTab;
    }
}

// The words of table rows and cells; false for any other word.
bool Reader::tableWord(QByteArrayView word, bool hasParam, int param)
{
    auto twips = [&](int lo) { return std::clamp(hasParam ? param : 0, lo, kMaxTwips); };
    auto side = [](QByteArrayView w) -> int {
        const char c = w.back();
        return c == 't' ? 0 : c == 'l' ? 1 : c == 'b' ? 2 : 3;
    };
    if (word == "cell") {
        endCell();
    } else if (word == "row") {
        endRow();
    } else if (word == "trowd") {
        m_row = RowDef();
        m_border = nullptr;
    } else if (word == "trleft") {
        m_row.left = twips(-kMaxTwips);
    } else if (word == "trgaph") {
        m_row.gaph = twips(0);
    } else if (word == "trql") {
        m_row.align = Qt::AlignLeft;
    } else if (word == "trqc") {
        m_row.align = Qt::AlignHCenter;
    } else if (word == "trqr") {
        m_row.align = Qt::AlignRight;
    } else if (word == "trpaddt" || word == "trpaddl" || word == "trpaddb" || word == "trpaddr") {
        m_row.padding[side(word)] = twips(0);
    } else if (word == "clpadt" || word == "clpadl" || word == "clpadb" || word == "clpadr") {
        m_row.next.padding[side(word)] = twips(0);
    } else if (word == "clbrdrt" || word == "clbrdrl" || word == "clbrdrb" || word == "clbrdrr") {
        m_border = &m_row.next.borders[side(word)];
        *m_border = Border();
    } else if (word == "brdrt" || word == "brdrl" || word == "brdrb" || word == "brdrr" || word == "box"
               || word == "brdrbtw" || word == "brdrbar" || word.startsWith("trbrdr")) {
        m_border = nullptr;   // frames of paragraphs and whole rows are not drawn
    } else if (word == "brdrnone" || word == "brdrnil" || word == "brdrtbl") {
        if (m_border)
            m_border->on = false;
    } else if (word.startsWith("brdr") && word != "brdrw" && word != "brdrcf" && word != "brsp") {
        // A line style (single, double, thick, dotted …): drawn as a single line.
        if (m_border) {
            m_border->on = true;
            if (m_border->width == 0)
                m_border->width = 10;
        }
    } else if (word == "brdrw") {
        if (m_border)
            m_border->width = std::clamp(hasParam ? param : 0, 0, 255);
    } else if (word == "brdrcf") {
        if (m_border)
            m_border->color = hasParam ? std::max(param, 0) : -1;
    } else if (word == "clvertalt") {
        m_row.next.valign = Qt::AlignTop;
    } else if (word == "clvertalc") {
        m_row.next.valign = Qt::AlignVCenter;
    } else if (word == "clvertalb") {
        m_row.next.valign = Qt::AlignBottom;
    } else if (word == "cellx") {
        m_row.next.right = twips(-kMaxTwips);
        if (m_row.cells.size() < kMaxColumns)
            m_row.cells.append(m_row.next);
        m_row.next = CellDef();
        m_border = nullptr;
    } else {
        return false;
    }
    return true;
}

// --- output ------------------------------------------------------------------------

QTextCharFormat Reader::charFormat(const CharProps &p) const
{
    QTextCharFormat f;
    QString family = m_fonts.value(p.font < 0 ? m_defaultFont : p.font);
    if (family.isEmpty())
        family = m_fonts.value(m_defaultFont);
    if (family.isEmpty())
        family = m_doc->defaultFont().family();
    f.setFontFamilies({family});
    f.setFontPointSize(p.halfPoints / 2.0);
    f.setFontWeight(p.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(p.italic);
    f.setFontUnderline(p.underline);
    f.setFontStrikeOut(p.strike);
    const QColor fg = p.fg >= 0 && p.fg < m_colors.size() ? m_colors[p.fg] : QColor();
    if (fg.isValid())
        f.setForeground(fg);
    const QColor bg = p.bg >= 0 && p.bg < m_colors.size() ? m_colors[p.bg] : QColor();
    if (bg.isValid())
        f.setBackground(bg);
    f.setVerticalAlignment(p.vpos > 0   ? QTextCharFormat::AlignSuperScript
                           : p.vpos < 0 ? QTextCharFormat::AlignSubScript
                                        : QTextCharFormat::AlignNormal);
    if (p.listLabel)
        f.setProperty(kListLabel, true);
    return f;
}

QTextBlockFormat Reader::blockFormat(const ParaProps &p, const QString &text) const
{
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(p.li * m_units.indent);
    f.setRightMargin(p.ri * m_units.indent);
    f.setTextIndent(p.fi * m_units.indent);
    f.setTopMargin(p.sb * m_units.spacing);
    f.setBottomMargin(p.sa * m_units.spacing);
    // Line spacing as a multiple of the line (\slmult1); "at least" and
    // "exactly" heights are left to the fonts.
    if (p.slMult && p.sl > 0 && p.sl != 240)
        f.setLineHeight(std::clamp(p.sl, 60, 1200) * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    // RTF measures tab stops from the paragraph's left edge, the text layout
    // from where the paragraph's first line starts.
    const int firstLine = p.li + p.fi;
    QVector<TabStop> stops = p.tabs;
    // With a hanging indent a word processor takes the indent itself for the
    // first tab stop (the tab after a list item's bullet or number), unless a
    // stop of its own lies before it.
    if (p.fi < 0 && text.contains(u'\t')
        && std::none_of(stops.begin(), stops.end(), [&](const TabStop &t) { return t.twips > firstLine && t.twips <= p.li; }))
        stops.append({p.li, QTextOption::LeftTab});
    QList<QTextOption::Tab> tabs;
    for (const TabStop &t : stops)
        tabs.append(QTextOption::Tab((t.twips - firstLine) * m_units.tab, t.type,
                                     t.type == QTextOption::DelimiterTab ? QChar(u',') : QChar()));
    std::sort(tabs.begin(), tabs.end(), [](const QTextOption::Tab &a, const QTextOption::Tab &b) { return a.position < b.position; });
    f.setTabPositions(tabs);
    return f;
}

void Reader::openPendingBlock()
{
    if (!m_needBlock)
        return;
    m_cursor.insertBlock();
    m_needBlock = false;
}

void Reader::appendText(QChar c)
{
    if (c.isNull() || m_stack.isEmpty())
        return;
    const Group &g = top();
    if (g.dest == Dest::FontTable) {
        if (c != u'\t' && c != QChar::LineSeparator && m_fontName.size() < kMaxFontName)
            m_fontName.append(c);
        return;
    }
    if (g.dest != Dest::Text || g.chr.hidden)
        return;
    const bool inTable = g.para.intbl;
    if (!m_run.isEmpty() && (!(m_runProps == g.chr) || m_runInTable != inTable))
        flushRun();
    if (!inTable) {
        leaveTable();
        if (m_needBlock) {
            flushRun();
            openPendingBlock();
        }
    }
    if (m_run.isEmpty()) {
        m_runProps = g.chr;
        m_runInTable = inTable;
    }
    m_run.append(c);
}

void Reader::flushRun()
{
    if (m_run.isEmpty())
        return;
    // A surrogate without its partner cannot be shown; it becomes U+FFFD.
    for (qsizetype i = 0; i < m_run.size(); ++i) {
        const QChar c = m_run.at(i);
        if (c.isHighSurrogate() && i + 1 < m_run.size() && m_run.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            m_run[i] = QChar(QChar::ReplacementCharacter);
    }
    if (m_runInTable) {
        // Text of a table cell waits for its row.
        if (m_cell.isEmpty())
            m_cell.append(PendingParagraph());
        m_cell.last().runs.append({m_runProps, m_run});
    } else {
        m_cursor.insertText(m_run, charFormat(m_runProps));
    }
    m_run.clear();
}

void Reader::paragraphBreak()
{
    if (m_stack.isEmpty() || top().dest != Dest::Text)
        return;
    flushRun();
    if (top().para.intbl) {
        // A paragraph of a cell: closed with its layout, the next one opens.
        if (m_cell.isEmpty())
            m_cell.append(PendingParagraph());
        m_cell.last().props = top().para;
        m_cell.append(PendingParagraph());
        return;
    }
    leaveTable();
    openPendingBlock();
    m_cursor.setBlockFormat(blockFormat(top().para, m_cursor.block().text()));
    m_needBlock = true;
    m_info.endsWithParagraph = true;
}

void Reader::takeCell()
{
    if (m_cell.isEmpty())
        m_cell.append(PendingParagraph());
    if (!m_stack.isEmpty())
        m_cell.last().props = top().para;
    if (m_cells.size() < kMaxColumns)
        m_cells.append(m_cell);
    m_cell.clear();
}

void Reader::endCell()
{
    if (m_stack.isEmpty() || top().dest != Dest::Text)
        return;
    if (!top().para.intbl && m_cells.isEmpty() && m_cell.isEmpty()) {
        // A cell end outside any table: the text before it stays in its paragraph.
        appendText(QChar(u'\t'));
        return;
    }
    flushRun();
    takeCell();
}

void Reader::endRow()
{
    if (m_stack.isEmpty() || top().dest != Dest::Text)
        return;
    flushRun();
    // Text after the last cell end counts as one more cell.
    if (std::any_of(m_cell.begin(), m_cell.end(), [](const PendingParagraph &p) { return !p.runs.isEmpty(); }))
        takeCell();
    m_cell.clear();
    if (m_cells.isEmpty()) {
        // A row end without cells ends the paragraph, as it did before tables.
        if (!top().para.intbl)
            paragraphBreak();
        return;
    }
    emitRow();
}

void Reader::leaveTable()
{
    if (std::any_of(m_cell.begin(), m_cell.end(), [](const PendingParagraph &p) { return !p.runs.isEmpty(); }))
        takeCell();   // a row whose end is missing is a row all the same
    m_cell.clear();
    if (!m_cells.isEmpty())
        emitRow();
    m_table = nullptr;
}

void Reader::emitRow()
{
    const int columns = int(m_cells.size());
    // The cells' edges: from the row definition, and for cells it does not
    // define as wide as the one before.
    // Every cell is at least kMinCell wide, and the last edge stays within
    // the lengths the reader takes, so that what the writer writes of the
    // table reads back the same.
    QVector<int> edges{std::min(m_row.left, kMaxTwips - columns * kMinCell)};
    for (int i = 0; i < columns; ++i) {
        const int previous = edges.last();
        int right = i < m_row.cells.size() ? m_row.cells[i].right : 0;
        if (right <= previous)
            right = previous + (i > 0 ? std::max(previous - edges[i - 1], 360) : 2880);
        edges.append(std::clamp(right, previous + kMinCell, kMaxTwips - (columns - 1 - i) * kMinCell));
    }

    // The row continues the table before it when its cells line up with it.
    if (m_table && m_tableEdges == edges) {
        m_table->appendRows(1);
    } else {
        if (m_table) {
            // A table of another shape right after: the paragraph between the
            // two takes no room.
            QTextBlockFormat gap;
            gap.setLineHeight(0, QTextBlockFormat::FixedHeight);
            m_cursor.setBlockFormat(gap);
        } else if (!m_needBlock && !m_cursor.block().text().isEmpty()) {
            // Text before the table that no paragraph end closed.
            m_cursor.insertBlock();
        }
        QTextTableFormat format = tableFormat(m_row);
        QVector<QTextLength> widths;
        for (int i = 0; i < columns; ++i)
            widths.append(QTextLength(QTextLength::FixedLength, (edges[i + 1] - edges[i]) * m_units.table));
        format.setColumnWidthConstraints(widths);
        format.setLeftMargin(std::max(0, edges[0]) * m_units.table);
        // The layout leaves out the space after the paragraph before a
        // table; the table keeps it above itself instead.
        if (m_needBlock)
            format.setTopMargin(m_cursor.block().blockFormat().bottomMargin());
        m_table = m_cursor.insertTable(1, columns, format);
        m_tableEdges = edges;
    }
    const int row = m_table->rows() - 1;
    for (int i = 0; i < columns; ++i) {
        QTextTableCell cell = m_table->cellAt(row, i);
        cell.setFormat(cellFormat(m_row, i));
        QTextCursor c = cell.firstCursorPosition();
        const PendingCell &content = m_cells[i];
        for (int p = 0; p < content.size(); ++p) {
            QString text;
            for (const PendingRun &r : content[p].runs)
                text += r.text;
            if (p > 0)
                c.insertBlock();
            c.setBlockFormat(blockFormat(content[p].props, text));
            for (const PendingRun &r : content[p].runs)
                c.insertText(r.text, charFormat(r.props));
        }
    }
    m_cells.clear();
    // What follows the table goes into the paragraph after it.
    m_cursor.setPosition(m_table->lastPosition() + 1);
    m_needBlock = false;
}

QTextTableFormat Reader::tableFormat(const RowDef &row) const
{
    QTextTableFormat f;
    f.setBorder(0);
    f.setBorderCollapse(true);
    f.setCellSpacing(0);
    f.setCellPadding(0);
    f.setMargin(0);
    f.setAlignment(row.align);
    return f;
}

QTextTableCellFormat Reader::cellFormat(const RowDef &row, int column) const
{
    const CellDef def = column < row.cells.size() ? row.cells[column] : CellDef();
    QTextTableCellFormat f;
    const int fallback[4] = {0, row.gaph, 0, row.gaph};
    double padding[4];
    for (int side = 0; side < 4; ++side) {
        const int twips = def.padding[side] >= 0 ? def.padding[side] : row.padding[side] >= 0 ? row.padding[side] : fallback[side];
        // A word processor measures the padding from the cell's edge, the
        // text layout from the inside of its top and left borders (the
        // bottom and right ones lie in the cells next to it).
        const int border = side < 2 && def.borders[side].on ? std::max(1, def.borders[side].width) : 0;
        padding[side] = std::max(0, twips - border) * m_units.table;
    }
    f.setTopPadding(padding[0]);
    f.setLeftPadding(padding[1]);
    f.setBottomPadding(padding[2]);
    f.setRightPadding(padding[3]);
    auto border = [&](const Border &b, auto setWidth, auto setStyle, auto setBrush) {
        (f.*setWidth)(b.on ? std::max(1, b.width) * m_units.border : 0.0);
        (f.*setStyle)(b.on ? QTextFrameFormat::BorderStyle_Solid : QTextFrameFormat::BorderStyle_None);
        const QColor c = b.color >= 0 && b.color < m_colors.size() && m_colors[b.color].isValid() ? m_colors[b.color] : QColor(Qt::black);
        (f.*setBrush)(c);
    };
    border(def.borders[0], &QTextTableCellFormat::setTopBorder, &QTextTableCellFormat::setTopBorderStyle,
           &QTextTableCellFormat::setTopBorderBrush);
    border(def.borders[1], &QTextTableCellFormat::setLeftBorder, &QTextTableCellFormat::setLeftBorderStyle,
           &QTextTableCellFormat::setLeftBorderBrush);
    border(def.borders[2], &QTextTableCellFormat::setBottomBorder, &QTextTableCellFormat::setBottomBorderStyle,
           &QTextTableCellFormat::setBottomBorderBrush);
    border(def.borders[3], &QTextTableCellFormat::setRightBorder, &QTextTableCellFormat::setRightBorderStyle,
           &QTextTableCellFormat::setRightBorderBrush);
    if (def.valign == Qt::AlignVCenter)
        f.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    else if (def.valign == Qt::AlignBottom)
        f.setVerticalAlignment(QTextCharFormat::AlignBottom);
    return f;
}

void Reader::finish()
{
    flushRun();
    leaveTable();
    if (!m_needBlock) {
        // The last paragraph was not closed by \par.
        m_info.endsWithParagraph = false;
        if (m_cursor.block().length() > 1)
            m_cursor.setBlockFormat(blockFormat(m_stack.isEmpty() ? m_finalPara : top().para, m_cursor.block().text()));
    }
    QTextOption option = m_doc->defaultTextOption();
    option.setTabStopDistance(m_defaultTab * m_units.tab);
    m_doc->setDefaultTextOption(option);
}

// Text of broken RTF with its control words, braces and hidden destinations
// stripped as well as can be guessed: better than an empty remark.
QString crudePlainText(const QByteArray &data)
{
    QString out;
    qsizetype i = 0;
    const qsizetype n = data.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '{' || c == '}' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '\\') {
            const QChar u = sanitized(windows1252::decodeByte(c).unicode());
            if (!u.isNull())
                out.append(u);
            ++i;
            continue;
        }
        ++i;
        if (i >= n)
            break;
        const unsigned char d = static_cast<unsigned char>(data[i]);
        if (d == '\\' || d == '{' || d == '}') {
            out.append(QChar(d));
            ++i;
        } else if (d == '\'') {
            bool ok = false;
            const int v = data.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                const QChar u = sanitized(windows1252::decodeByte(static_cast<unsigned char>(v)).unicode());
                if (!u.isNull())
                    out.append(u);
            }
            i += 3;
        } else if ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z')) {
            const qsizetype start = i;
            while (i < n && ((data[i] >= 'a' && data[i] <= 'z') || (data[i] >= 'A' && data[i] <= 'Z')))
                ++i;
            const QByteArrayView word(data.constData() + start, i - start);
            if (i < n && data[i] == '-')
                ++i;
            while (i < n && data[i] >= '0' && data[i] <= '9')
                ++i;
            if (i < n && data[i] == ' ')
                ++i;
            if (word == "par" || word == "line")
                out.append(u'\n');
            else if (word == "tab")
                out.append(u'\t');
        } else {
            ++i;
        }
    }
    return out.trimmed();
}

QString decodePlain(const QByteArray &data)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (!utf8.hasError())
        return text;
    text = windows1252::decode(data);
    return text;
}

// Plain text as a document takes it: lines end with '\n', and control
// characters and the document's own markers are left out.
QString cleanPlain(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == u'\r') {
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                continue;
            out.append(u'\n');
        } else if (u == u'\n') {
            out.append(u'\n');
        } else if (const QChar c = sanitized(u); !c.isNull()) {
            out.append(c);
        }
    }
    return out;
}

bool hasVisibleText(const QTextDocument &doc)
{
    return !doc.toPlainText().trimmed().isEmpty();
}

} // namespace

bool looksLikeRtf(const QByteArray &data)
{
    return data.trimmed().startsWith("{\\rtf");
}

bool looksLikeRtf(const QString &stored)
{
    return stored.trimmed().startsWith(u"{\\rtf");
}

QByteArray storedBytes(const QString &stored)
{
    QByteArray out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored.at(i);
        if (c.unicode() < 0x80) {
            out.append(char(c.unicode()));
            continue;
        }
        const int b = windows1252::encodeChar(c);
        if (b >= 0) {
            out.append(char(b));
            continue;
        }
        // \uN stands for one UTF-16 unit; an empty group after it keeps a
        // following \ucN fallback from swallowing text.
        out.append("\\u" + QByteArray::number(qint16(c.unicode())) + " ?");
    }
    return out;
}

Units Units::forDpi(double dotsPerInch)
{
    const double perTwip = (dotsPerInch > 0 ? dotsPerInch : 96.0) / 1440.0;
    return {perTwip, perTwip, perTwip, perTwip, perTwip};
}

ReadInfo read(const QByteArray &data, QTextDocument *doc, const Units &units)
{
    if (!doc)
        return {};
    const bool wasUndo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    ReadInfo info;
    if (!looksLikeRtf(data)) {
        doc->setPlainText(cleanPlain(decodePlain(data)));
    } else {
        Reader reader(data, doc, units);
        info = reader.run();
        if (info.malformed && !hasVisibleText(*doc)) {
            const QString plain = crudePlainText(data);
            if (!plain.isEmpty()) {
                doc->setPlainText(plain);
                info.plainFallback = true;
                info.endsWithParagraph = false;
            }
        }
    }
    doc->setUndoRedoEnabled(wasUndo);
    return info;
}

ReadInfo read(const QString &stored, QTextDocument *doc, const Units &units)
{
    if (!looksLikeRtf(stored)) {
        if (!doc)
            return {};
        const bool wasUndo = doc->isUndoRedoEnabled();
        doc->setUndoRedoEnabled(false);
        doc->setPlainText(cleanPlain(stored));
        doc->setUndoRedoEnabled(wasUndo);
        return {};
    }
    return read(storedBytes(stored), doc, units);
}

ReadInfo read(const QByteArray &data, QTextDocument *doc, double dotsPerInch)
{
    return read(data, doc, Units::forDpi(dotsPerInch));
}

ReadInfo read(const QString &stored, QTextDocument *doc, double dotsPerInch)
{
    return read(stored, doc, Units::forDpi(dotsPerInch));
}

std::unique_ptr<QTextDocument> toDocument(const QString &stored, const QFont &defaultFont, const Units &units)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(defaultFont);
    read(stored, doc.get(), units);
    return doc;
}

QString toPlainText(const QByteArray &data)
{
    QTextDocument doc;
    read(data, &doc);
    return doc.toPlainText();
}

QString toPlainText(const QString &stored)
{
    if (!looksLikeRtf(stored))
        return stored;
    return toPlainText(storedBytes(stored));
}

} // namespace rtf
