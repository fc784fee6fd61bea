#pragma once

#include "fieldbinding.h"

class RichTextEdit;

// A formatted-text editor on a field holding Rich Text Format.  Loading a row
// shows its text (a remark that is not RTF as plain text) and starts a fresh
// undo history; every change of text or format is written through to the
// field at once, so nothing typed can be lost by a move or a close.  An empty
// editor writes an empty field.
class RichTextBinding : public FieldBinding {
    Q_OBJECT
public:
    RichTextBinding(TableStore *store, const QString &field, RichTextEdit *edit, QObject *parent = nullptr);
    QWidget *widget() const override;
    void refresh() override;

    // Writes the editor's content now (after a change the document does not
    // report, such as its default font).
    void writeNow();

private:
    QPointer<RichTextEdit> m_edit;
    QString m_shown;     // the field value the editor shows
    int m_shownKey = -1; // and the key of its row
    bool m_loading = false;
};
