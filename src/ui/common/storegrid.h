#pragma once

#include "tablestoremodel.h"

#include <QTableView>

class TableStore;

// A grid on a table store whose selected row is the store's current row:
// selecting a row moves the store there (the move may be refused by the save
// confirmation, then the selection springs back), and every move of the store
// selects its row.
//
// Keys and mouse as in a list of records: Tab and Shift+Tab leave the grid,
// Home and End go to the first and last record of a grid that selects whole
// rows, Page Up and Page Down move a page of records, and Enter chooses the
// current record (rowChosen).  A click below the last row, or with Ctrl on the
// current row, keeps the current record highlighted.  The last column takes
// the room that the others leave.
class StoreGrid : public QTableView {
    Q_OBJECT
public:
    StoreGrid(TableStore *store, QList<TableStoreModel::Column> columns, QWidget *parent = nullptr);

    TableStoreModel *storeModel() const { return m_model; }
    TableStore *store() const { return m_store; }

    // Selects the store's current row (without moving the store).
    void showCurrentRow();

    // Called before the grid moves the store, so the window can write typed
    // text first.  Returning false keeps the store where it is.
    void setBeforeMove(std::function<bool()> hook) { m_beforeMove = std::move(hook); }

signals:
    // Ctrl+Del in the grid: the window asks "Datensatz löschen?" and deletes.
    void deleteRequested();
    // Enter on a record (not while a cell is being edited).
    void rowChosen();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

private:
    void currentIndexMoved(const QModelIndex &current, const QModelIndex &previous);

    TableStore *m_store;
    TableStoreModel *m_model;
    bool m_syncing = false;
    std::function<bool()> m_beforeMove;
};
