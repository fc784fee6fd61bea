#include "searchtext.h"

namespace searchtext {

QString searchForm(const QString &text)
{
    // One pass, as it runs over every row of the table when a search begins.
    QString out(text.size() * 2, Qt::Uninitialized);   // each letter gives at most two
    QChar *o = out.data();
    bool other = false;
    for (const QChar c : text) {
        char16_t u = c.unicode();
        if (u < 0x80) {
            if (u >= u'A' && u <= u'Z')
                u = char16_t(u + (u'a' - u'A'));
            *o++ = QChar(u);
            continue;
        }
        u = QChar(u).toLower().unicode();
        switch (u) {
        case u'ä': *o++ = u'a'; *o++ = u'e'; break;
        case u'ö': *o++ = u'o'; *o++ = u'e'; break;
        case u'ü': *o++ = u'u'; *o++ = u'e'; break;
        case u'ß':
        case u'ẞ': *o++ = u's'; *o++ = u's'; break;
        default:
            *o++ = QChar(u);
            other = true;
            break;
        }
    }
    out.truncate(o - out.constData());
    // Other accents go: the letter stays, its marks are dropped.
    if (other) {
        out = out.normalized(QString::NormalizationForm_KD);
        out.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    }
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

bool narrows(const QStringList &before, const QStringList &now)
{
    if (before.isEmpty())
        return false;
    for (const QString &b : before) {
        bool within = false;
        for (const QString &n : now)
            within = within || n.contains(b);
        if (!within)
            return false;
    }
    return true;
}

bool matches(const QString &haystack, const QStringList &words)
{
    for (const QString &w : words)
        if (!haystack.contains(w))
            return false;
    return true;
}

} // namespace searchtext
