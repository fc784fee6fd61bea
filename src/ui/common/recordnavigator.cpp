#include "recordnavigator.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

RecordNavigator::RecordNavigator(QWidget *parent)
    : QWidget(parent)
{
    struct Def {
        const char *name;
        QString hint;
        QStyle::StandardPixmap icon;
        QString text;
    };
    const Def defs[6] = {
        {"navfirst", u"Erster Datensatz"_qs, QStyle::SP_MediaSkipBackward, u"|<"_qs},
        {"navprior", u"Vorheriger Datensatz"_qs, QStyle::SP_MediaSeekBackward, u"<"_qs},
        {"navnext", u"Nächster Datensatz"_qs, QStyle::SP_MediaSeekForward, u">"_qs},
        {"navlast", u"Letzter Datensatz"_qs, QStyle::SP_MediaSkipForward, u">|"_qs},
        {"navinsert", u"Datensatz einfügen"_qs, QStyle::SP_CustomBase, u"+"_qs},
        {"navdelete", u"Datensatz löschen"_qs, QStyle::SP_CustomBase, u"\u2212"_qs},
    };
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < 6; ++i) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(defs[i].name));
        b->setToolTip(defs[i].hint);
        b->setAutoRaise(false);
        b->setFixedSize(28, 26);
        if (defs[i].icon != QStyle::SP_CustomBase)
            b->setIcon(style()->standardIcon(defs[i].icon));
        else
            b->setText(defs[i].text);
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    connect(m_buttons[First], &QToolButton::clicked, this, &RecordNavigator::firstClicked);
    connect(m_buttons[Prior], &QToolButton::clicked, this, &RecordNavigator::priorClicked);
    connect(m_buttons[Next], &QToolButton::clicked, this, &RecordNavigator::nextClicked);
    connect(m_buttons[Last], &QToolButton::clicked, this, &RecordNavigator::lastClicked);
    connect(m_buttons[Insert], &QToolButton::clicked, this, &RecordNavigator::insertClicked);
    connect(m_buttons[Delete], &QToolButton::clicked, this, &RecordNavigator::deleteClicked);
}

QToolButton *RecordNavigator::button(Button b) const
{
    return m_buttons[b];
}

void RecordNavigator::setPosition(int row, int rowCount)
{
    const bool empty = rowCount <= 0;
    m_buttons[First]->setEnabled(!empty && row > 0);
    m_buttons[Prior]->setEnabled(!empty && row > 0);
    m_buttons[Next]->setEnabled(!empty && row < rowCount - 1);
    m_buttons[Last]->setEnabled(!empty && row < rowCount - 1);
    m_buttons[Delete]->setEnabled(!empty);
}
