#include "raumbezdlg.h"

#include "messagebox.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
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
    connect(this, &QDialog::finished, this, [this] { m_lists->endEdit(m_kind); });
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
    // In office mode one desk edits a list at a time.
    if (!m_lists->beginEdit(kind, &MessageBox::instance()))
        return;
    const TextLists::ListFile file = m_lists->editorFile(kind);
    if (file.status == TextLists::ListFile::Refused) {
        // Filling the editor with something else would let "OK" overwrite the file.
        MessageBox::error(file.refusal
                          + u"\n\nUm die Liste hier zu bearbeiten, ersetzen oder löschen Sie die Datei."_qs);
        m_lists->endEdit(kind);
        return;
    }
    m_kind = kind;
    setHelpTopic(kind == TextLists::RoomNames ? u"::/raumbezeichnungen.htm"_qs : u"::/feuerstaettenliste.htm"_qs);
    m_original = file.lines;
    m_fromFile = file.status == TextLists::ListFile::Read;
    setWindowTitle(kind == TextLists::RoomNames ? u"Raumbezeichnungen"_qs : u"Feuerstätten"_qs);
    m_editor->setPlainText(file.lines.join(u'\n'));
    m_editor->document()->setModified(false);
    m_editor->moveCursor(QTextCursor::Start);
    open();
}

QStringList Traumbezdlg::lines() const
{
    // Block by block rather than toPlainText(), which turns a non-breaking
    // space into a blank.
    QStringList result;
    for (QTextBlock b = m_editor->document()->begin(); b.isValid(); b = b.next())
        result << b.text();
    // A final line break starts no further entry (and an empty editor holds none).
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

void Traumbezdlg::accept()
{
    // Nothing edited: the file stays as it is, byte for byte (its encoding,
    // an empty last entry, characters the editor shows alike).  Without a
    // file "OK" creates it from the offered list.
    if (m_fromFile && (!m_editor->document()->isModified() || lines() == m_original)) {
        DialogBase::accept();
        return;
    }
    // A file that cannot be written is reported by the list and the choices
    // stay as they were.  The dialog stays open with the typed list, so the
    // user can try again or leave with "Abbrechen" instead of losing the text.
    if (!m_lists->save(m_kind, lines(), &MessageBox::instance()))
        return;
    DialogBase::accept();
}
