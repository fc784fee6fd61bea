#pragma once

#include "dialogbase.h"
#include "textlists.h"

class QPlainTextEdit;

// The list dialog for the room names ("Raumbezeichnungen") and the appliance
// types ("Feuerstätten"): one entry per line, "OK" writes the list's file and
// loads the choices again from it; "Abbrechen" and the close box write nothing.
class Traumbezdlg : public DialogBase {
    Q_OBJECT
public:
    explicit Traumbezdlg(TextLists *lists, QWidget *parent = nullptr);

    // Fills the editor from the list's file (or the current choices when the
    // file cannot be read) and shows the dialog modally over its parent.  A
    // refused file (no text, far too big) is reported and the dialog not shown.
    void editList(TextLists::Kind kind);

    TextLists::Kind kind() const { return m_kind; }
    QPlainTextEdit *editor() const { return m_editor; }

    // The editor's lines as entries: a final line break starts no further entry.
    QStringList lines() const;

    void accept() override;

private:
    TextLists *m_lists;
    TextLists::Kind m_kind = TextLists::RoomNames;
    QPlainTextEdit *m_editor = nullptr;
    QStringList m_original;   // the entries the editor was filled with
    bool m_fromFile = false;  // ...read from the list's file
};
