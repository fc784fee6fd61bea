#include "tabchain.h"

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
