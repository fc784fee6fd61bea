#include "meldform.h"

#include "dialogbuttons.h"
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

Tmeldform::Tmeldform(QWidget *parent)
    : DialogBase(parent)
{
    setObjectName(u"meldform"_qs);
    setWindowTitle(u"Meldungen"_qs);
    setModal(true);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(u"memo1"_qs);
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab leaves the text for the buttons instead of being typed.
    m_memo->setTabChangesFocus(true);

    const DialogButtons buttons = makeDialogButtons(this);
    m_ok = buttons.ok;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_memo, 1);
    layout->addLayout(buttons.layout);

    // A window of one size: wide enough for the longest finding on a few
    // lines, high enough for a dozen findings before it scrolls.
    const QFontMetrics fm(font());
    setFixedSize(fm.averageCharWidth() * 72, fm.lineSpacing() * 26);
}

void Tmeldform::showMessages(const QStringList &lines)
{
    m_memo->setPlainText(lines.join(u'\n'));
    m_memo->moveCursor(QTextCursor::Start);
    open();
    m_ok->setFocus();
}

QStringList Tmeldform::lines() const
{
    return m_memo->toPlainText().split(u'\n');
}

void Tmeldform::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    // In the middle of the screen, wherever the main window stands.
    if (QScreen *s = screen()) {
        QRect r = frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        move(r.topLeft());
    }
}
