#pragma once

#include <QString>
#include <QStringList>

// The quick search of the overview compares texts in a form that ignores what
// a user does not distinguish when looking for an address: case, the spelling
// of umlauts ("Mueller" and "Müller", "Strasse" and "Straße") and accents
// ("Jose" and "José").  A search is a list of words; a row matches when every
// word occurs somewhere in its searched fields.
namespace searchtext {

// "Müller-Lüdenscheidt" -> "mueller-luedenscheidt", "STRASSE" -> "strasse",
// "Straße" -> "strasse", "José" -> "jose".
QString searchForm(const QString &text);

// The words of a typed search in their search form; blanks around and between
// words do not count.  Empty for a search of blanks only.
QStringList searchWords(const QString &typed);

// The text a row is searched in: the search forms of its fields, kept apart
// so that a word cannot run from one field into the next.
QString haystack(const QStringList &fieldTexts);

// True when every row that `now` finds was found by `before` too: each word
// before is part of a word now ("muel" after "mu", "stuttgart m" after
// "stuttgart").  False when `before` is empty (it found nothing to narrow).
bool narrows(const QStringList &before, const QStringList &now);

// True when every word occurs in the haystack.
bool matches(const QString &haystack, const QStringList &words);

} // namespace searchtext
