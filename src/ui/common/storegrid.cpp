#include "storegrid.h"

#include "tablestore.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

StoreGrid::StoreGrid(TableStore *store, QList<TableStoreModel::Column> columns, QWidget *parent)
    : QTableView(parent)
    , m_store(store)
    , m_model(new TableStoreModel(store, std::move(columns), this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    // Uniform rows: the view never needs to measure rows it does not show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(14);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    const auto &cols = m_model->columns();
    for (int i = 0; i < cols.size(); ++i) {
        // A column without a width of its own is made wide enough for its
        // title, so that a caption like "Aufstellort Straße" is not cut off.
        if (cols[i].width > 0)
            setColumnWidth(i, cols[i].width);
        else
            setColumnWidth(i, qMax(horizontalHeader()->defaultSectionSize(), horizontalHeader()->sectionSizeHint(i)));
        setColumnHidden(i, cols[i].hidden);
    }

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &StoreGrid::currentIndexMoved);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        // The model swapped its rows; the selection model kept its connection.
        showCurrentRow();
    });
    connect(store, &TableStore::afterScroll, this, &StoreGrid::showCurrentRow);
    connect(store, &TableStore::afterOpen, this, &StoreGrid::showCurrentRow);
}

void StoreGrid::showCurrentRow()
{
    const int row = m_store->currentRow();
    const QModelIndex cur = currentIndex();
    if (row < 0 || row >= m_model->rowCount()) {
        return;
    }
    if (cur.isValid() && cur.row() == row && selectionModel()->isRowSelected(row, {}))
        return;
    m_syncing = true;
    int col = cur.isValid() ? cur.column() : 0;
    while (col < m_model->columnCount() - 1 && isColumnHidden(col))
        ++col;
    const QModelIndex idx = m_model->index(row, col);
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect
                                               | (selectionBehavior() == SelectRows ? QItemSelectionModel::Rows
                                                                                     : QItemSelectionModel::NoUpdate));
    scrollTo(idx);
    m_syncing = false;
}

void StoreGrid::currentIndexMoved(const QModelIndex &current, const QModelIndex &)
{
    if (m_syncing || !current.isValid() || current.row() == m_store->currentRow())
        return;
    bool moved = true;
    if (m_beforeMove && !m_beforeMove())
        moved = false;
    if (moved)
        moved = m_store->goToRow(current.row());
    if (!moved) {
        // Refused by the user (or the table): the selection follows the store.
        // Deferred, because the view is still busy with its own change.
        QMetaObject::invokeMethod(this, &StoreGrid::showCurrentRow, Qt::QueuedConnection);
    }
}

bool StoreGrid::event(QEvent *event)
{
    // The grid keeps the keys that act on its own rows, even where the window
    // has a command on them for its main table (Ctrl+Del deletes, Ctrl+Up and
    // Ctrl+Down move).
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool ctrlOnly = (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
        if (ctrlOnly && (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            event->accept();
            return true;
        }
    }
    return QTableView::event(event);
}

void StoreGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        emit deleteRequested();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != EditingState && currentIndex().isValid())
        emit rowChosen();
    // The view ignores Enter after that, so a dialog's default button still gets it.
    QTableView::keyPressEvent(event);
}

void StoreGrid::mousePressEvent(QMouseEvent *event)
{
    // Below the last row there is no record to choose: the current one stays
    // highlighted instead of the selection being cleared.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

QModelIndex StoreGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // In a list of whole records, Home and End mean the first and last record.
    if (selectionBehavior() == SelectRows && (cursorAction == MoveHome || cursorAction == MoveEnd))
        modifiers |= Qt::ControlModifier;
    return QTableView::moveCursor(cursorAction, modifiers);
}

QItemSelectionModel::SelectionFlags StoreGrid::selectionCommand(const QModelIndex &index, const QEvent *event) const
{
    // There is always exactly one current record: Ctrl+click does not unselect it.
    QItemSelectionModel::SelectionFlags flags = QTableView::selectionCommand(index, event);
    if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
        flags &= ~(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle);
        flags |= QItemSelectionModel::ClearAndSelect;
    }
    return flags;
}
