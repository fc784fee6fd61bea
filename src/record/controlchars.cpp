#include "controlchars.h"

namespace controlchars {

qsizetype find(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isControl(text[i]))
            return i;
    return -1;
}

QString oneLine(const QString &text)
{
    if (find(text) < 0)
        return text.trimmed();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isControl(text[i])) {
            out += text[i];
            continue;
        }
        // The control and the blanks on either side of it become one blank.
        while (out.endsWith(u' '))
            out.chop(1);
        while (i + 1 < text.size() && (isControl(text[i + 1]) || text[i + 1] == u' '))
            ++i;
        out += u' ';
    }
    return out.trimmed();
}

} // namespace controlchars
