#pragma once

#include <QByteArray>
#include <QFont>
#include <QString>
#include <memory>

class QTextCursor;
class QTextDocument;

// Formatted text in Rich Text Format.
//
// The remarks of an installation record (`Bemerkung`) and the standard
// remarks of the catalog (`Text`) are kept as RTF, so that text written in a
// word processor and pasted in, and remarks taken over from older data, keep
// their fonts, sizes, styles, colours and paragraph layout.
//
// What the reader understands: the font table and \f, \fs; \b, \i, \ul (and
// its kinds), \strike, \super, \sub, \v (hidden text is left out); the colour
// table with \cf and the background controls \cb, \chcbpat, \highlight; \par,
// \pard with \ql \qc \qr \qj, \li \ri \fi \sb \sa, \sl with \slmult1, tab
// stops \tx (\tqr, \tqc, \tqdec) and \deftab; \tab, \line; list items as
// word processors write them for other readers (the bullet or number of
// \listtext or \pntext, a tab, a hanging indent); simple tables (\trowd with
// \cellx, \trleft, \trgaph, cell padding, cell borders \clbrdr… and vertical
// alignment; \intbl, \cell, \row) as rows of cells in columns, a nested
// table's cells as tabs; \'hh in Windows-1252 (bullets of the Symbol and
// Wingdings fonts as the characters they show), \uN with \ucN fallback
// characters, the typographic symbols (\emdash, \lquote …).  Destinations
// marked \* and those that hold no running text (pictures, style sheet,
// document info, headers, footers, field instructions, list tables …) are
// skipped, as are unknown control words.
//
// Paragraphs are spaced as a word processor spaces them: the space after one
// paragraph and the space before the next add up.
//
// Whatever the input, the reader ends (one pass, nesting bounded) and leaves a
// usable document: unbalanced braces, huge numbers, truncated escapes and
// binary bytes are read as far as they make sense, and a remark from which
// nothing readable could be recovered shows its plain text.
//
// The writer writes what the reader reads back to the same document: every
// run with its font, size (in half points), styles and colours, every
// paragraph with its alignment, indents, spacing, line spacing and tab stops,
// tables with their cells' widths, padding and borders, characters outside
// ASCII as \'hh (Windows-1252) or \uN with "?" as fallback.
namespace rtf {

// How long a twip is in the document, for each kind of length: the text
// layout of a document for a printer takes some lengths in the device's own
// pixels and scales others by the device's resolution.  A document for the
// screen (the editors) has the same 96 dots per inch for every kind.
struct Units {
    double spacing;   // space before and after paragraphs (\sb, \sa)
    double indent;    // left, right and first-line indents (\li, \ri, \fi)
    double tab;       // tab stops (\tx, \deftab)
    double table;     // cell edges, row indent, cell padding (\cellx, \trleft, \clpad…)
    double border;    // widths of cell borders (\brdrw)

    static Units forDpi(double dotsPerInch);
};

struct ReadInfo {
    bool wasRtf = false;             // the input began with "{\rtf"; otherwise it was read as plain text
    bool malformed = false;          // unbalanced braces, a truncated escape, nesting too deep
    bool endsWithParagraph = false;  // the last paragraph was closed by \par (a paste then ends with a break)
    bool plainFallback = false;      // nothing readable came out of the RTF: its plain text is shown
};

// True when the text begins (after white space) with "{\rtf".
bool looksLikeRtf(const QByteArray &data);
bool looksLikeRtf(const QString &stored);

// The bytes of a stored field: characters below 128 as they are, others in
// Windows-1252, and characters the code page lacks as \uN, so that RTF that
// passed through a Unicode string reads as it was written.
QByteArray storedBytes(const QString &stored);

// Replaces the content of `doc` by the text read from `data`; text without an
// "{\rtf" header is taken as plain text (UTF-8, else Windows-1252).  Text
// without a font of its own takes the family of doc's default font.
// Indents, paragraph spacing, tab stops and table lengths become pixels of a
// device with `dotsPerInch` (the screen's 96 for the editors; the writer
// expects 96), or the lengths that `units` gives them.
ReadInfo read(const QByteArray &data, QTextDocument *doc, double dotsPerInch = 96.0);
ReadInfo read(const QString &stored, QTextDocument *doc, double dotsPerInch = 96.0);
ReadInfo read(const QByteArray &data, QTextDocument *doc, const Units &units);
ReadInfo read(const QString &stored, QTextDocument *doc, const Units &units);

// A new document holding a stored remark, with `defaultFont` where the remark
// names no font, its lengths in `units`.
std::unique_ptr<QTextDocument> toDocument(const QString &stored, const QFont &defaultFont, const Units &units);

// The text of a remark without its formatting; paragraphs end with '\n'.
QString toPlainText(const QByteArray &data);
QString toPlainText(const QString &stored);

// The whole document as RTF (7-bit ASCII).  An empty document gives an empty
// result, so an empty remark stays an empty field.
QByteArray write(const QTextDocument &doc);
QString writeString(const QTextDocument &doc);

// The selection of `cursor` as RTF for the clipboard.  A selection that ends
// inside a paragraph is written without a closing \par, so that pasting it
// into a paragraph keeps it inline.  Empty when nothing is selected.
QByteArray writeSelection(const QTextCursor &cursor);

// Pastes RTF (or plain text) at `cursor`, replacing its selection, as one
// undo step.  A whole paragraph brings its paragraph layout along; text that
// ends inside a paragraph takes the layout of the paragraph it lands in.
void insert(QTextCursor &cursor, const QByteArray &data);

} // namespace rtf
