#pragma once

// Shared by the GUI tests: which Alt mnemonics a window offers at this moment,
// and which letters are taken twice.

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenuBar>
#include <QStringList>
#include <QTabBar>
#include <QWidget>

// The mnemonic letter of a caption ("&Hilfe" -> 'h'), or a null QChar.
inline QChar mnemonicOf(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != u'&')
            continue;
        if (text.at(i + 1) == u'&') {
            ++i;
            continue;
        }
        return text.at(i + 1).toLower();
    }
    return {};
}

// Every mnemonic reachable in `window` as it is shown now (visible buttons,
// labels with a buddy, group boxes, tabs and the menu bar), by letter.
inline QMap<QChar, QStringList> visibleMnemonics(QWidget *window)
{
    QMap<QChar, QStringList> byLetter;
    auto note = [&](const QString &text, const QString &where) {
        const QChar c = mnemonicOf(text);
        if (!c.isNull())
            byLetter[c].append(where + u": "_qs + text);
    };
    const auto widgets = window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->isVisible())
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && !qobject_cast<QTabBar *>(w->parentWidget()))
            note(b->text(), b->objectName());
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
            note(l->text(), l->objectName());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            note(g->title(), g->objectName());
        else if (auto *t = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < t->count(); ++i)
                if (t->isTabVisible(i))
                    note(t->tabText(i), u"Reiter"_qs);
        } else if (auto *m = qobject_cast<QMenuBar *>(w)) {
            for (QAction *a : m->actions())
                if (a->isVisible())
                    note(a->text(), u"Menü"_qs);
        }
    }
    return byLetter;
}

// The letters taken by more than one control, each with the controls; empty
// when every mnemonic is unique.
inline QStringList mnemonicClashes(QWidget *window)
{
    QStringList clashes;
    const auto all = visibleMnemonics(window);
    for (auto it = all.begin(); it != all.end(); ++it)
        if (it.value().size() > 1)
            clashes.append(u"Alt+"_qs + it.key() + u" → "_qs + it.value().join(u", "_qs));
    return clashes;
}
