#pragma once

// What the reader and the writer of formatted text both need to know about
// the paragraphs of a document.

#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

namespace rtf::detail {

// The paragraph that follows `block` in the same text flow (the document's
// body, or the same table cell); invalid when `block` ends its flow.
inline QTextBlock nextInFlow(const QTextBlock &block)
{
    const QTextBlock next = block.next();
    if (!next.isValid())
        return {};
    const QTextCursor a(block);
    const QTextCursor b(next);
    if (a.currentFrame() != b.currentFrame())
        return {};
    if (QTextTable *table = a.currentTable()) {
        if (table->cellAt(block.position()) != table->cellAt(next.position()))
            return {};
    }
    return next;
}

} // namespace rtf::detail
