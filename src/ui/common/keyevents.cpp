#include "keyevents.h"

#include <QKeyEvent>

bool isModifierOrShortcut(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
        return true;
    default:
        return (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    }
}
