#include "richtextbinding.h"

#include "richtextedit.h"
#include "rtf.h"
#include "tablestore.h"

#include <QTextDocument>

RichTextBinding::RichTextBinding(TableStore *store, const QString &field, RichTextEdit *edit, QObject *parent)
    : FieldBinding(store, field, parent)
    , m_edit(edit)
{
    connect(edit->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_loading)
            writeNow();
    });
}

QWidget *RichTextBinding::widget() const
{
    return m_edit;
}

void RichTextBinding::refresh()
{
    if (!m_edit || m_updating)
        return;
    const QString value = m_store->isOpen() ? m_store->fieldValue(m_field).toString() : QString();
    // The editor already shows this text of this row (its own write, or the
    // row saved): the caret and the undo history stay.  Another row always
    // starts afresh, so an undo never brings one record's text into another.
    const int key = m_store->currentKey();
    if (value == m_shown && key == m_shownKey && m_store->currentRow() >= 0)
        return;
    m_loading = true;
    QTextDocument *doc = m_edit->document();
    doc->setDefaultFont(RichTextEdit::baseFont());
    rtf::read(value, doc);
    m_edit->setCurrentCharFormat(QTextCharFormat());
    m_edit->moveCursor(QTextCursor::Start);
    m_shown = value;
    m_shownKey = key;
    m_loading = false;
}

void RichTextBinding::writeNow()
{
    if (!m_edit || !m_store->isOpen())
        return;
    const QString text = rtf::writeString(*m_edit->document());
    m_updating = true;
    m_store->setFieldValue(m_field, text);
    m_updating = false;
    m_shown = m_store->fieldValue(m_field).toString();
    m_shownKey = m_store->currentKey();
}
