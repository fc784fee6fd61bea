#include "tabswitch.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

int neighbourPage(const QTabWidget *pages, int step)
{
    const int count = pages->count();
    const int current = pages->currentIndex();
    for (int i = 1; i < count; ++i) {
        const int candidate = ((current + step * i) % count + count) % count;
        if (pages->isTabVisible(candidate) && pages->isTabEnabled(candidate))
            return candidate;
    }
    return current;
}

void addPageSwitchKeys(QTabWidget *pages)
{
    const QList<QKeySequence> next{QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)};
    // Ctrl+Shift+Tab arrives as Backtab from most keyboards.
    const QList<QKeySequence> prior{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                    QKeySequence(Qt::CTRL | Qt::Key_PageUp)};
    auto bind = [pages](const QList<QKeySequence> &keys, int step) {
        for (const QKeySequence &key : keys) {
            auto *shortcut = new QShortcut(key, pages);
            shortcut->setContext(Qt::WindowShortcut);
            QObject::connect(shortcut, &QShortcut::activated, pages,
                             [pages, step] { pages->setCurrentIndex(neighbourPage(pages, step)); });
        }
    };
    bind(next, 1);
    bind(prior, -1);
}
