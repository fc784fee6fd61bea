#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

class TableStore;

// A grid's view of a table store: one row per row of the store's current
// order, one column per listed field.  Rows are read from the store only when
// the view asks for them (the store reads them by key in windows and caches
// them), so a table of 100,000 rows costs its key list, not 100,000 rows of text.
class TableStoreModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
        int width = -1;          // -1: the view's default width
        bool hidden = false;
        bool shaded = false;     // title drawn on a shaded background (sortable column)
    };

    TableStoreModel(TableStore *store, QList<Column> columns, QObject *parent = nullptr);

    TableStore *store() const { return m_store; }
    const QList<Column> &columns() const { return m_columns; }
    int columnOf(const QString &field) const;

    // Cells typed into are written to the store's current row.
    void setEditable(bool on) { m_editable = on; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

private:
    void currentRowChanged(const QString &field);

    TableStore *m_store;
    QList<Column> m_columns;
    bool m_editable = false;
    int m_rows = 0;
};
