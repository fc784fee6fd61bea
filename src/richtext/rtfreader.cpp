#include "rtf.h"

#include "windows1252.h"

#include <QColor>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVector>

#include <algorithm>

namespace rtf {
namespace {

// Bounds that keep hostile input from costing more than its own size.
constexpr int kMaxDepth = 200;          // group nesting; deeper groups share the state of the deepest
constexpr int kMaxFonts = 1000;
constexpr int kMaxColors = 1000;
constexpr int kMaxTabs = 64;
constexpr int kMaxFontName = 200;
constexpr int kMaxWordLength = 32;      // longer control words are read whole but not recognised
constexpr int kMaxTwips = 31680;        // 22 inches
constexpr int kMaxHalfPoints = 3276;    // 1638 pt, the largest size word processors allow
constexpr int kDefaultHalfPoints = 24;  // RTF's size for text without \fs: 12 pt

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
    bool operator==(const CharProps &) const = default;
};

struct TabStop {
    int twips = 0;
    QTextOption::TabType type = QTextOption::LeftTab;
};

struct ParaProps {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
    QVector<TabStop> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
};

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

class Reader {
public:
    Reader(const QByteArray &data, QTextDocument *doc, double dotsPerInch)
        : m_data(data), m_doc(doc), m_cursor(doc), m_pixelsPerTwip(dotsPerInch / 1440.0)
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
    void textByte(unsigned char byte);
    void hexByte(unsigned char byte);
    void countFallback();
    void endFontEntry();

    // --- output ------------------------------------------------------------
    void appendText(QChar c);
    void flushRun();
    void paragraphBreak();
    void openPendingBlock();
    QTextCharFormat charFormat(const CharProps &p) const;
    QTextBlockFormat blockFormat(const ParaProps &p) const;
    double fromTwips(int twips) const { return twips * m_pixelsPerTwip; }
    void finish();

    const QByteArray &m_data;
    ParaProps m_finalPara;   // the paragraph layout when the outermost group closed
    qsizetype m_pos = 0;
    QTextDocument *m_doc;
    QTextCursor m_cursor;
    double m_pixelsPerTwip;   // indents, spacing and tab stops in the document's pixels
    ReadInfo m_info;

    QVector<Group> m_stack;
    int m_overflow = 0;    // groups opened beyond kMaxDepth, not pushed
    int m_skipFallback = 0;
    int m_defaultFont = 0;

    QHash<int, QString> m_fonts;
    int m_fontNumber = -1;   // the font table entry being read
    QString m_fontName;
    QVector<QColor> m_colors;   // invalid: automatic
    int m_red = -1, m_green = -1, m_blue = -1;

    QString m_run;
    CharProps m_runProps;
    bool m_needBlock = false;   // a \par closed the last block; the next text opens a new one
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
    }
    // Special characters.
    else if (word == "par" || word == "row" || word == "nestrow") {
        paragraphBreak();
    } else if (word == "line") {
        appendText(QChar(QChar::LineSeparator));
    } else if (word == "tab" || word == "cell" || word == "nestcell") {
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
    } else if (word == "uc") {
        g.uc = std::clamp(param, 0, 16);
    }
    // Characters.
    else if (word == "plain") {
        chr = CharProps();
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
    return f;
}

QTextBlockFormat Reader::blockFormat(const ParaProps &p) const
{
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(fromTwips(p.li));
    f.setRightMargin(fromTwips(p.ri));
    f.setTextIndent(fromTwips(p.fi));
    f.setTopMargin(fromTwips(p.sb));
    f.setBottomMargin(fromTwips(p.sa));
    QList<QTextOption::Tab> tabs;
    for (const TabStop &t : p.tabs)
        tabs.append(QTextOption::Tab(fromTwips(t.twips), t.type, t.type == QTextOption::DelimiterTab ? QChar(u',') : QChar()));
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
    if (m_needBlock) {
        flushRun();
        openPendingBlock();
    }
    if (!m_run.isEmpty() && !(m_runProps == g.chr))
        flushRun();
    if (m_run.isEmpty())
        m_runProps = g.chr;
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
    m_cursor.insertText(m_run, charFormat(m_runProps));
    m_run.clear();
}

void Reader::paragraphBreak()
{
    if (m_stack.isEmpty() || top().dest != Dest::Text)
        return;
    flushRun();
    openPendingBlock();
    m_cursor.setBlockFormat(blockFormat(top().para));
    m_needBlock = true;
    m_info.endsWithParagraph = true;
}

void Reader::finish()
{
    flushRun();
    if (!m_needBlock) {
        // The last paragraph was not closed by \par.
        m_info.endsWithParagraph = false;
        if (m_cursor.block().length() > 1)
            m_cursor.setBlockFormat(blockFormat(m_stack.isEmpty() ? m_finalPara : top().para));
    }
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

ReadInfo read(const QByteArray &data, QTextDocument *doc, double dotsPerInch)
{
    if (!doc)
        return {};
    const bool wasUndo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    ReadInfo info;
    if (!looksLikeRtf(data)) {
        doc->setPlainText(cleanPlain(decodePlain(data)));
    } else {
        Reader reader(data, doc, dotsPerInch > 0 ? dotsPerInch : 96.0);
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

ReadInfo read(const QString &stored, QTextDocument *doc, double dotsPerInch)
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
    return read(storedBytes(stored), doc, dotsPerInch);
}

std::unique_ptr<QTextDocument> toDocument(const QString &stored, const QFont &defaultFont, double dotsPerInch)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(defaultFont);
    read(stored, doc.get(), dotsPerInch);
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
