#pragma once

#include "recordschema.h"

#include <QString>
#include <QVariantList>
#include <QVector>

// One column of a table in the old Paradox format.
struct ParadoxColumn {
    QString name;
    quint8 type = 0;  // paradoxtype::...
    int length = 0;   // bytes in the record; memo fields: leader plus the 10-byte pointer
};

// Writes tables of the old Paradox format with pxlib's writer, memo fields
// into a .MB file beside the table.  The tests and the benchmark make their
// old tables with it; the program itself only reads them.
class ParadoxWriter {
public:
    // The old format's columns for one of our tables; memo fields get a
    // leader of `leader` bytes.
    static QVector<ParadoxColumn> columnsFor(const RecordSchema &schema, int leader = 10);

    ParadoxWriter(QString path, QVector<ParadoxColumn> columns, int codePage = 1252);
    ~ParadoxWriter();
    ParadoxWriter(const ParadoxWriter &) = delete;
    ParadoxWriter &operator=(const ParadoxWriter &) = delete;

    // Creates the table and, when it has memo columns, its memo file (the
    // table's name with the extension "MB").
    bool open();
    // Appends one record, a value per column; an invalid QVariant leaves the
    // field empty.  Texts given as QString are written in Windows-1252, as
    // QByteArray as they stand; numbers as double or int, logicals as bool.
    bool add(const QVariantList &values);
    // The counter value the header keeps for the next record number.
    void setNextCounter(int value) { m_nextCounter = value; }
    bool close();

private:
    QString m_path;
    QVector<ParadoxColumn> m_columns;
    int m_codePage;
    int m_nextCounter = -1;
    struct px_doc *m_doc = nullptr;
    struct px_blob *m_blob = nullptr;
    QByteArray m_record;
};
