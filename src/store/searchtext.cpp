#include "searchtext.h"

namespace searchtext {

QString searchForm(const QString &text)
{
    QString lower = text.toLower();
    bool plain = true;
    for (const QChar c : std::as_const(lower))
        if (c.unicode() >= 0x80) {
            plain = false;
            break;
        }
    if (plain)
        return lower;   // most addresses: nothing more to do

    QString out;
    out.reserve(lower.size() + 4);
    for (const QChar c : std::as_const(lower)) {
        switch (c.unicode()) {
        case u'ä': out += u"ae"; break;
        case u'ö': out += u"oe"; break;
        case u'ü': out += u"ue"; break;
        case u'ß':
        case u'ẞ': out += u"ss"; break;
        default: out += c; break;
        }
    }
    // Other accents go: the letter stays, its marks are dropped.
    out = out.normalized(QString::NormalizationForm_KD);
    out.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return out;
}

QStringList searchWords(const QString &typed)
{
    return searchForm(typed).simplified().split(u' ', Qt::SkipEmptyParts);
}

QString haystack(const QStringList &fieldTexts)
{
    QString joined;
    for (const QString &t : fieldTexts) {
        joined += searchForm(t);
        joined += u'\n';
    }
    return joined;
}

bool matches(const QString &haystack, const QStringList &words)
{
    for (const QString &w : words)
        if (!haystack.contains(w))
            return false;
    return true;
}

} // namespace searchtext
