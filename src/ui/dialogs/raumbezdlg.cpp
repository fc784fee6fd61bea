#include "raumbezdlg.h"

#include "messagebox.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

Traumbezdlg::Traumbezdlg(TextLists *lists, QWidget *parent)
    : DialogBase(parent)
    , m_lists(lists)
{
    setObjectName(u"Traumbezdlg"_qs);
    setModal(true);
    resize(360, 420);

    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(u"memo"_qs);
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto *ok = new QPushButton(u"OK"_qs, this);
    ok->setObjectName(u"okbtn"_qs);
    auto *cancel = new QPushButton(u"Abbrechen"_qs, this);
    cancel->setObjectName(u"abbrechenbtn"_qs);
    QPushButton *help = makeHelpButton();
    // Enter in the editor starts a new line; it must not press "OK".
    for (QPushButton *b : {ok, cancel})
        b->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &Traumbezdlg::accept);
    connect(cancel, &QPushButton::clicked, this, &Traumbezdlg::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_editor, 1);
    layout->addLayout(buttons);
}

void Traumbezdlg::editList(TextLists::Kind kind)
{
    m_kind = kind;
    setHelpTopic(kind == TextLists::RoomNames ? u"::/raumbezeichnungen.htm"_qs : u"::/feuerstaettenliste.htm"_qs);
    setWindowTitle(kind == TextLists::RoomNames ? u"Raumbezeichnungen"_qs : u"Feuerstätten"_qs);
    const QStringList entries = m_lists->editorLines(kind);
    m_editor->setPlainText(entries.join(u'\n'));
    m_editor->moveCursor(QTextCursor::Start);
    open();
}

QStringList Traumbezdlg::lines() const
{
    const QString text = m_editor->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList result = text.split(u'\n');
    if (text.endsWith(u'\n'))
        result.removeLast();
    return result;
}

void Traumbezdlg::accept()
{
    // A file that cannot be written is reported by the list and the choices
    // stay as they were.  The dialog stays open with the typed list, so the
    // user can try again or leave with "Abbrechen" instead of losing the text.
    if (!m_lists->save(m_kind, lines(), &MessageBox::instance()))
        return;
    DialogBase::accept();
}
