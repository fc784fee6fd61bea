#pragma once

// The remarks of a protocol as formatted text: a stored remark (RTF or plain
// text) made into a document for a RichText item, laid out at the report's
// resolution with the lengths a word processor gives it.

#include "reportlayout.h"
#include "rtf.h"

#include <memory>

class QTextDocument;

namespace report {

// The lengths of one twip in a document laid out on the layout device, for
// each kind of length, as the text layout takes them there.  Qt's layout
// takes indents in device pixels but scales paragraph spacing, tab stops and
// table lengths by the device's resolution over the screen's; the factors
// are measured once for the screen in use, so that a twip is a twip on paper
// whatever the screen.
const rtf::Units &layoutUnits();

// The document of a stored remark for the layout device: text without a font
// of its own in `font`, underlines drawn by the page painter.
std::unique_ptr<QTextDocument> formattedDocument(const QString &stored, const FontSpec &font);

} // namespace report
