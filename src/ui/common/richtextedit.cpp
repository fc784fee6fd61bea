#include "richtextedit.h"

#include "rtf.h"

#include <QFocusEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextDocumentFragment>

RichTextEdit::RichTextEdit(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFont(baseFont());
    document()->setDefaultFont(baseFont());
}

QFont RichTextEdit::baseFont()
{
    static const QFont font = [] {
        QFont f(u"MS Sans Serif"_qs);
        f.setStyleHint(QFont::SansSerif);
        f.setPixelSize(13);
        // Name the face that is really used, so that what is written into a
        // remark names a font this machine (and a word processor) has.
        f.setFamilies({QFontInfo(f).family()});
        return f;
    }();
    return font;
}

const QStringList &RichTextEdit::rtfMimeTypes()
{
    static const QStringList types{u"text/rtf"_qs, u"application/rtf"_qs, u"text/richtext"_qs};
    return types;
}

QMimeData *RichTextEdit::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    if (!cursor.hasSelection())
        return data;
    const QByteArray rtfData = rtf::writeSelection(cursor);
    for (const QString &type : rtfMimeTypes())
        data->setData(type, rtfData);
    data->setHtml(cursor.selection().toHtml());
    // Plain text as a text editor expects it: line and paragraph breaks as '\n'.
    QString plain = cursor.selectedText();
    plain.replace(QChar::ParagraphSeparator, u'\n');
    plain.replace(QChar::LineSeparator, u'\n');
    plain.replace(QChar::Nbsp, u' ');
    data->setText(plain);
    return data;
}

bool RichTextEdit::canInsertFromMimeData(const QMimeData *source) const
{
    for (const QString &type : rtfMimeTypes())
        if (source->hasFormat(type))
            return true;
    return QTextEdit::canInsertFromMimeData(source);
}

void RichTextEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source)
        return;
    for (const QString &type : rtfMimeTypes()) {
        if (source->hasFormat(type)) {
            QTextCursor cursor = textCursor();
            rtf::insert(cursor, source->data(type));
            setTextCursor(cursor);
            ensureCursorVisible();
            return;
        }
    }
    QTextEdit::insertFromMimeData(source);
}

void RichTextEdit::focusInEvent(QFocusEvent *event)
{
    QTextEdit::focusInEvent(event);
    emit focusEntered(event->reason());
}

void RichTextEdit::focusOutEvent(QFocusEvent *event)
{
    QTextEdit::focusOutEvent(event);
    emit focusLeft(event->reason());
}

void RichTextEdit::mousePressEvent(QMouseEvent *event)
{
    QTextEdit::mousePressEvent(event);
    emit mousePressed();
}

void RichTextEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QTextEdit::mouseReleaseEvent(event);
    emit mouseReleased();
}

bool RichTextEdit::event(QEvent *event)
{
    // Ctrl+Tab types a tab here, before the window takes it for the next page
    // (Ctrl+Page Down still turns the page from inside the editor).
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier && !isReadOnly()) {
            event->accept();
            return true;
        }
    }
    return QTextEdit::event(event);
}

void RichTextEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::ControlModifier && !isReadOnly()) {
        textCursor().insertText(u"\t"_qs);
        return;
    }
    QTextEdit::keyPressEvent(event);
}
