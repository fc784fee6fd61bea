#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

// One field of an old table as its header declares it.
struct ParadoxField {
    QString name;
    quint8 type = 0;   // paradoxtype::...
    int length = 0;    // bytes in the record
};

// One value of a record as the reader hands it over.
struct ParadoxValue {
    enum Kind : quint8 { Null, Integer, Double, Boolean, Bytes, Unreadable };
    Kind kind = Null;
    qint64 integer = 0;
    double real = 0.0;
    QByteArray bytes;  // texts in the table's code page; memo fields as stored in the record
};

// Reads one table of the old Paradox format (.DB), record by record in the
// order the file keeps them.  The table library runs in a helper process
// (ofenring-paradox-reader), so that a damaged file that makes it abort or
// hang ends here in a German message instead of ending the program.
class ParadoxTable {
public:
    explicit ParadoxTable(QString path);
    ~ParadoxTable();

    // True when the file starts like a Paradox table (a quick look at its
    // header, nothing is decoded).  Says nothing about whether it is sound.
    static bool looksLikeParadox(const QString &path);
    // The number of records the data blocks of the file hold (the header's
    // number when the blocks cannot be followed; 0 when it cannot be read).
    static int recordsInBlocks(const QString &path);
    // The helper program: in the library directory of the running program
    // (<prefix>/lib/ofenring) or beside it, else where the build put it.
    static QString readerProgram();

    // How long the reader may go without a sign of progress before the table
    // counts as damaged.  Generous by default; even a big table streams steadily.
    void setTimeout(int milliseconds) { m_timeout = milliseconds; }

    // Walks the chain of data blocks (a damaged chain is refused here, before
    // the table library sees the file), starts the reader and reads the
    // header; false with errorString() set.
    bool open();
    // The records the data blocks hold: all of them are read.
    int recordCount() const { return m_recordCount; }
    // The number of records the header gives; it may differ from recordCount().
    int headerRecordCount() const { return m_headerCount; }
    int codePage() const { return m_codePage; }
    int nextCounter() const { return m_nextCounter; }
    const QVector<ParadoxField> &fields() const { return m_fields; }

    // The next record's values, one per field.  False at the end (errorString()
    // empty) or when the table cannot be read on (errorString() set).
    bool next(QVector<ParadoxValue> &values);
    QString errorString() const { return m_error; }
    // What the reader (the table library in it) said on standard error, line
    // by line, so far.
    QStringList readerMessages();

private:
    void takeReaderMessages();

    bool need(qsizetype n);
    bool fail();
    quint8 u8();
    quint16 u16();
    quint32 u32();
    qint64 i64();
    QByteArray bytes(qsizetype n);

    QString m_path;
    QProcess m_process;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    int m_timeout = 30000;
    bool m_hung = false;
    bool m_done = false;
    int m_recordCount = 0;
    int m_headerCount = 0;
    int m_codePage = 0;
    int m_nextCounter = 0;
    int m_read = 0;
    QVector<ParadoxField> m_fields;
    QString m_error;
    QByteArray m_messages;
};
