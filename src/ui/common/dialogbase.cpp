#include "dialogbase.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

DialogBase::DialogBase(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    auto *f1 = new QShortcut(QKeySequence::HelpContents, this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, &DialogBase::requestHelp);
}

QPushButton *DialogBase::makeHelpButton()
{
    auto *help = new QPushButton(u"&Hilfe"_qs, this);
    help->setObjectName(u"hilfebtn"_qs);
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, &DialogBase::requestHelp);
    return help;
}

void DialogBase::requestHelp()
{
    if (!m_helpTopic.isNull())
        emit helpRequested(m_helpTopic);
}

int DialogBase::captionWidth() const
{
    // The title bar's font is the window manager's; a bold application font
    // is a fair stand-in.  Beside the caption sit the window icon and the close
    // box, and the frame on both sides.
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    // The window system shows the program's display name after the caption
    // ("Kopfzeilen — Ofenring"), so that counts too.
    QString title = windowTitle();
    const QString program = QGuiApplication::applicationDisplayName();
    if (!program.isEmpty() && !title.endsWith(program))
        title += u" \u2014 "_qs + program;
    const int text = QFontMetrics(titleFont).horizontalAdvance(title);
    const int icon = style()->pixelMetric(QStyle::PM_TitleBarButtonIconSize, nullptr, this);
    const int buttons = 2 * style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return text + icon + buttons + 48;
}

void DialogBase::fitCaption()
{
    const int wanted = captionWidth();
    if (minimumWidth() < wanted)
        setMinimumWidth(wanted);
}

void DialogBase::showEvent(QShowEvent *event)
{
    fitCaption();
    QDialog::showEvent(event);
}

void DialogBase::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowTitleChange && isVisible())
        fitCaption();
    QDialog::changeEvent(event);
}
