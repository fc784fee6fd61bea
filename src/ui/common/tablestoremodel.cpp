#include "tablestoremodel.h"

#include "tablestore.h"

#include <QBrush>
#include <QPalette>
#include <QApplication>

TableStoreModel::TableStoreModel(TableStore *store, QList<Column> columns, QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(store)
    , m_columns(std::move(columns))
    , m_rows(store->rowCount())
{
    // Any change of the key list (order, insert, delete, save of a new row)
    // starts the grid afresh; a change of the current row only repaints that row.
    connect(store, &TableStore::rowsReset, this, [this] {
        beginResetModel();
        m_rows = m_store->rowCount();
        endResetModel();
    });
    connect(store, &TableStore::afterOpen, this, [this] {
        beginResetModel();
        m_rows = m_store->rowCount();
        endResetModel();
    });
    connect(store, &TableStore::fieldChanged, this, &TableStoreModel::currentRowChanged);
    connect(store, &TableStore::currentReloaded, this, [this] { currentRowChanged(QString()); });
}

int TableStoreModel::columnOf(const QString &field) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].field.compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TableStoreModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TableStoreModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TableStoreModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const QString &field = m_columns[index.column()].field;
    if (index.row() == m_store->currentRow())
        return m_store->current().displayText(field);
    return m_store->rowAt(index.row()).displayText(field);
}

QVariant TableStoreModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    if (role == Qt::BackgroundRole && m_columns[section].shaded)
        return QBrush(QApplication::palette().color(QPalette::Mid));
    return {};
}

Qt::ItemFlags TableStoreModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

bool TableStoreModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_editable || role != Qt::EditRole || !index.isValid())
        return false;
    // Typing into a cell edits the store's current row; the view keeps its
    // current cell on the current row, so this only moves when it must.
    if (index.row() != m_store->currentRow() && !m_store->goToRow(index.row()))
        return false;
    return m_store->setFieldText(m_columns[index.column()].field, value.toString());
}

void TableStoreModel::currentRowChanged(const QString &field)
{
    const int row = m_store->currentRow();
    if (row < 0 || row >= m_rows)
        return;
    const int col = field.isEmpty() ? -1 : columnOf(field);
    if (!field.isEmpty() && col < 0)
        return;
    emit dataChanged(index(row, col < 0 ? 0 : col), index(row, col < 0 ? columnCount() - 1 : col));
}
