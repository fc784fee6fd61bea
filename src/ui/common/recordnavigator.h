#pragma once

#include <QWidget>

class QToolButton;
class TableStore;

// The record navigator of a table: first, prior, next, last, insert, delete.
// It only emits what the user pressed; the window that owns it calls the
// table's operations and tells the navigator where the current row stands.
class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete };

    explicit RecordNavigator(QWidget *parent = nullptr);

    QToolButton *button(Button b) const;

    // Greys out what cannot be done: no way back from the first row, no way on
    // from the last, no delete on an empty table.
    void setPosition(int row, int rowCount);
    // The same for the current row of a table store, at its true place: a row
    // with unsaved changes is placed where its save will put it (a new
    // record after the others in the order of creation, for example), because
    // every move saves it first.
    void showPositionOf(const TableStore &store);

signals:
    void firstClicked();
    void priorClicked();
    void nextClicked();
    void lastClicked();
    void insertClicked();
    void deleteClicked();

private:
    QToolButton *m_buttons[6] = {};
};

// The row at which the store's current row stands once its pending changes
// are saved (its present row when it has none).
int positionAfterSave(const TableStore &store);
