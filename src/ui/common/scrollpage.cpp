#include "scrollpage.h"

#include <QScrollArea>

QScrollArea *scrollingPage(QWidget *content)
{
    auto *area = new QScrollArea;
    area->setObjectName(content->objectName() + u"_scroll"_qs);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    // The page keeps the look of the tab it sits on.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}
