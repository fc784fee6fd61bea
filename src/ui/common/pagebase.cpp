#include "pagebase.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

PageBase::PageBase(QWidget *parent)
    : QWidget(parent)
{
}

bool PageBase::focusFirstField()
{
    QWidget *field = firstField();
    if (!field || !field->isEnabled())
        return false;
    // As if entered with Tab: a text in the field is selected, so typing replaces it.
    field->setFocus(Qt::TabFocusReason);
    return true;
}

QPushButton *PageBase::makeHelpButton(const QString &objectName)
{
    auto *help = new QPushButton(u"&Hilfe"_qs, this);
    help->setObjectName(objectName);
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(m_helpTopic); });
    return help;
}

void PageBase::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Only Enter that no control on the page took for itself arrives here.
    if (auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
        focused && isAncestorOf(focused) && focused->isEnabled()) {
        focused->click();
        event->accept();
        return;
    }
    if (m_default && m_default->isEnabled() && m_default->isVisible()) {
        m_default->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
