#include "tabchain.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QEvent>
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

namespace {

// Only the button Tab lands on takes the focus from the Tab key; the others
// still take it from a click and from the arrow keys of the group.  Qt gives
// the Tab key to the button last focused, which for a group without a choice
// may be any; so the stop is set again whenever the choice changes and
// whenever the focus leaves a button of the group.
class SingleTabStop : public QObject {
public:
    explicit SingleTabStop(QButtonGroup *group)
        : QObject(group)
        , m_group(group)
    {
        for (QAbstractButton *b : group->buttons()) {
            connect(b, &QAbstractButton::toggled, this, &SingleTabStop::update);
            b->installEventFilter(this);
        }
        update();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut)
            update();
        return QObject::eventFilter(watched, event);
    }

private:
    void update()
    {
        const QWidget *stop = tabStopOf(m_group);
        for (QAbstractButton *b : m_group->buttons())
            b->setFocusPolicy(b == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }

    QButtonGroup *m_group;
};

} // namespace

void makeSingleTabStop(QButtonGroup *group)
{
    new SingleTabStop(group);
}
