#pragma once

#include "dialogbase.h"

#include <QList>
#include <QString>
#include <QStringList>

class BindingSet;
class CatalogStore;
class QCheckBox;
class QLabel;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;
class RecordNavigator;
class StoreGrid;

// What the owner list and the place list have in common: a catalog table
// shown on a page "list" and a page "Details", its navigator and its
// confirmation box, the buttons "OK", "Abbrechen" and "&Hilfe", and the
// closing rules:
//   - "OK", "Abbrechen", a double click, Escape and the close box all save the
//     catalog's pending changes, after the question when the box is ticked,
//     so that an entry the user typed and confirmed is never dropped unasked;
//     a refused question does not keep the window open;
//   - a new entry nothing was typed into is dropped without a question;
//   - the window's result tells the caller whether to take the entry over
//     (only "OK", Enter and the double click do).
// "+" shows the page "Details" with the cursor in the first field of the new
// entry; Ctrl+S saves the entry at once; the caption shows " *" while the
// entry has unsaved changes.
class CatalogListDialog : public DialogBase {
    Q_OBJECT
public:
    enum Result { Closed = QDialog::Rejected, Ok = QDialog::Accepted, Abort = 3 };

    CatalogStore *store() const { return m_store; }
    QTabWidget *pages() const { return m_pages; }
    StoreGrid *grid() const { return m_grid; }
    RecordNavigator *navigator() const { return m_navigator; }
    QCheckBox *confirmBox() const { return m_confirm; }
    BindingSet *bindings() const { return m_bindings; }

    // Shows the window modally over its parent; the result arrives with finished().
    virtual void showList();

    void done(int result) override;

    // Saves the current entry at once (Ctrl+S), without the question.
    bool saveEntry();

protected:
    CatalogListDialog(CatalogStore *store, const QString &helpTopic, QWidget *parent);

    // A line of the page "Details": its caption with the Alt key and the
    // catalog fields typed into it, side by side, the first one at most
    // `firstWidth` wide when that is set.  Each field is a line edit named
    // after the field in lower case and "edit" ("Plz": "plzedit").
    struct DetailRow {
        QString caption;
        QStringList fields;
        int firstWidth = 0;
    };

    // Called by the subclass with its grid, before addPages().
    void setGrid(StoreGrid *grid);
    // The two pages: the grid on the page listName with listCaption as its
    // title, and the page "&Details" with one line per row, bound to the catalog.
    void addPages(const char *listName, const QString &listCaption, const QList<DetailRow> &rows);
    void finishLayout();
    // Called after the pending changes were saved or dropped on closing.
    virtual void afterClosing() {}
    // Puts the keyboard focus on the grid or the first detail field of the shown page.
    void focusCurrentPage();

    CatalogStore *m_store;
    QTabWidget *m_pages = nullptr;
    StoreGrid *m_grid = nullptr;
    BindingSet *m_bindings = nullptr;

private:
    void insertEntry();
    // The grid with the line under it that says how the list works.
    QWidget *gridPage(const char *objectName);
    QWidget *detailsPage(const QList<DetailRow> &rows);
    // A label with an Alt mnemonic for a detail field that sits in a row of its own layout.
    static QLabel *buddyLabel(const QString &text, QWidget *field);

    RecordNavigator *m_navigator = nullptr;
    QCheckBox *m_confirm = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_abort = nullptr;
    QPushButton *m_help = nullptr;
    bool m_finishing = false;
    bool m_newUntouched = false;   // the current row was just inserted and nothing typed into it
};
