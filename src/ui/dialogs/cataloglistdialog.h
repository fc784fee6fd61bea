#pragma once

#include <QDialog>
#include <QString>

class BindingSet;
class CatalogStore;
class QCheckBox;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;
class RecordNavigator;
class StoreGrid;

// What the owner list and the place list have in common: a catalog table
// shown on a page "list" and a page "Details", its navigator and its
// confirmation box, the buttons "OK", "Abbrechen" and "&Hilfe", and the
// closing rules:
//   - the close box (or Esc) drops the catalog's pending changes;
//   - "OK", "Abbrechen" and a double click save them, after the question when
//     the box is ticked; a refused question does not keep the window open;
//   - the window's result tells the caller whether to take the entry over
//     (only "OK" and the double click do).
class CatalogListDialog : public QDialog {
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

signals:
    void helpRequested(const QString &topicPath);

protected:
    CatalogListDialog(CatalogStore *store, const QString &helpTopic, QWidget *parent);

    // Called by the subclass once its pages exist.
    void setGrid(StoreGrid *grid);
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
    QString m_helpTopic;
    RecordNavigator *m_navigator = nullptr;
    QCheckBox *m_confirm = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_abort = nullptr;
    QPushButton *m_help = nullptr;
    bool m_finishing = false;
};
