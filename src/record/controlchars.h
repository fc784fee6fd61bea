#pragma once

#include <QChar>
#include <QString>

// Control characters (NUL, ESC, the C1 controls …) stand for no text; where
// a text comes from a file or a record and goes on into a field, a document
// title or a message, they have no place.
namespace controlchars {

// A C0 or C1 control character or DEL; line ends and tabs included.
inline bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control;
}

// The first control character of `text`, or -1.
qsizetype find(const QString &text);

// The text on one line: every control character (line breaks and tabs too)
// becomes a blank, folded into one with the blanks around it; the ends are
// trimmed.  Other blanks stay as they are.
QString oneLine(const QString &text);

} // namespace controlchars
