#include "tabchain.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QWidget>

void setTabChain(const QList<QWidget *> &widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *w : widgets) {
        if (!w)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

QWidget *tabStopOf(const QButtonGroup *group)
{
    if (QAbstractButton *chosen = group->checkedButton())
        return chosen;
    const QList<QAbstractButton *> buttons = group->buttons();
    return buttons.isEmpty() ? nullptr : buttons.first();
}

void makeSingleTabStop(QButtonGroup *group)
{
    // Only the button Tab lands on takes the focus from the Tab key; the
    // others still take it from a click and from the arrow keys of the group.
    auto update = [group] {
        const QWidget *stop = tabStopOf(group);
        for (QAbstractButton *b : group->buttons())
            b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QAbstractButton *b : group->buttons())
        QObject::connect(b, &QAbstractButton::toggled, group, update);
    update();
}
