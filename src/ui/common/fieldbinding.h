#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QAbstractButton;
class QButtonGroup;
class QLineEdit;
class QWidget;
class TableStore;

// The link between one control and one field of a table store's current row.
// A binding shows the field after every move, reload or change of the field,
// and writes what the user typed through the store's edit/set operations, so
// that the pending change is the store's and the save confirmation sees it.
class FieldBinding : public QObject {
    Q_OBJECT
public:
    FieldBinding(TableStore *store, QString field, QObject *parent = nullptr);

    const QString &field() const { return m_field; }
    TableStore *store() const { return m_store; }
    virtual QWidget *widget() const = 0;

    // Shows the field's current value.
    virtual void refresh() = 0;
    // Writes typed text the store has not seen yet.  False when the store
    // rejected it (the conversion message has been shown; the text stays).
    virtual bool commit() { return true; }

protected:
    TableStore *m_store;
    QString m_field;
    bool m_updating = false;   // set while the binding itself writes, so it ignores its own echo
};

// A line edit on a field.  Text fields are written on every keystroke (nothing
// typed can be lost by a move or a close); number fields when the edit is
// left or before the record moves, so a half-typed number raises no message.
class LineEditBinding : public FieldBinding {
    Q_OBJECT
public:
    LineEditBinding(TableStore *store, const QString &field, QLineEdit *edit, QObject *parent = nullptr);
    QWidget *widget() const override;
    void refresh() override;
    bool commit() override;
    // Typed text the store has not been given yet.
    bool hasPendingText() const { return m_dirty; }

private:
    QPointer<QLineEdit> m_edit;
    bool m_writeThrough;
    bool m_dirty = false;
};

// A group of radio buttons on a SmallInt field: the button id is the value; no
// button is checked while the field is empty.
class ButtonGroupBinding : public FieldBinding {
    Q_OBJECT
public:
    ButtonGroupBinding(TableStore *store, const QString &field, QButtonGroup *group, QWidget *box, QObject *parent = nullptr);
    QWidget *widget() const override;
    void refresh() override;

signals:
    void valueChosen(int value);

private:
    QPointer<QButtonGroup> m_group;
    QPointer<QWidget> m_box;
};

// All bindings of one window on one store, refreshed from the store's
// notifications.
class BindingSet : public QObject {
    Q_OBJECT
public:
    explicit BindingSet(TableStore *store, QObject *parent = nullptr);

    template <typename B, typename... Args>
    B *add(Args &&...args)
    {
        auto *b = new B(m_store, std::forward<Args>(args)..., this);
        m_bindings.append(b);
        return b;
    }

    FieldBinding *bindingFor(const QString &field) const;
    const QList<FieldBinding *> &bindings() const { return m_bindings; }

    void refreshAll();
    // Writes every pending text; false when one was rejected.  Called before
    // the current record moves or is saved.
    bool commitAll();

    // The explicit save command (Ctrl+S): writes pending typing and saves the
    // current row at once, without moving.  The command is itself the user's
    // confirmation, so the save question is not asked.  False when a typed
    // number was rejected or the save failed.
    bool saveNow();

    // A right click into one of these widgets first puts the record into the
    // edit state, so that the context menu's "Einfügen" acts on an editable row.
    void editOnContextMenu(QWidget *widget);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TableStore *m_store;
    QList<FieldBinding *> m_bindings;
};
