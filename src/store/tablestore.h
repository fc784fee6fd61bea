#pragma once

#include "prompter.h"
#include "record.h"
#include "storedialect.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

class QSqlDatabase;
class QSqlError;
class ServerConnection;

// The three states of the current row: browse (as stored), edit (pending
// changes to a stored row) and insert (a new row not yet saved).  Inactive
// while the table is closed.
enum class StoreState { Inactive, Browse, Edit, Insert };

// A named secondary order of a table, kept as an SQL index of the same name.
struct TableOrder {
    QString name;        // e.g. "ortindex"
    QString fieldList;   // field names separated by ';', matched without regard to case
};

// Everything that makes one table of the data directory what it is.
struct TableDefinition {
    QString fileName;            // file in the data directory, e.g. "kq.db"
    QString tableName;           // SQL table inside that file, e.g. "kq"
    const RecordSchema *schema = nullptr;
    QStringList primaryOrder;    // fields of the primary order; empty: by key (creation order)
    QList<TableOrder> orders;    // secondary orders, created as indexes on open when missing
    QString saveQuestion;        // asked before a changed row is saved
    QStringList searchFields;    // fields the quick search looks in (setSearch); empty: none
    PromptButtons saveButtons = PromptButton::Yes | PromptButton::No | PromptButton::Cancel;
};

// The table's message for a text typed into a Float field that is not a
// number: "'x' ist kein gültiger Fließkommawert für Feld 'F'".
QString floatConversionMessage(const QString &typed, const QString &fieldName);

// One table of the data directory, stored as an SQLite file, worked through a
// cursor with one current row.
//
// The store keeps, for the current order and restriction, the ordered list of
// row keys and the position of the current row in it, and one buffer for the
// current row (its values as loaded and its pending values).  A move reads one
// row by key; an order switch re-reads the key list and finds the current key
// again.  Every save is one committed transaction, written through before the
// call returns; moves only read.
//
// Questions ("Daten wurden geändert. Jetzt speichern?", "Datensatz löschen?")
// and error messages go through the Prompter the store is given.  Operations
// that a refused question stops return false.
class TableStore : public QObject {
    Q_OBJECT

public:
    explicit TableStore(TableDefinition definition, QObject *parent = nullptr);
    ~TableStore() override;

    const TableDefinition &definition() const { return m_def; }
    const RecordSchema &schema() const { return *m_def.schema; }

    // Where questions and errors go.  Without a prompter questions are answered
    // with their default ("&Ja" / "OK") and errors are only kept in errorString().
    void setPrompter(Prompter *prompter) { m_prompter = prompter; }
    Prompter *prompter() const { return m_prompter; }

    // The check box "Änderungen bestätigen": ask before a changed row is saved.
    // On by default.
    void setConfirmChanges(bool on) { m_confirm = on; }
    bool confirmChanges() const { return m_confirm; }

    // --- opening -------------------------------------------------------------
    // Opens <dataDir>/<fileName>; creates the directory and an empty table when
    // missing, and the secondary orders the file does not have yet.  A file that
    // is not one of our tables is left untouched: the error (German, naming the
    // file) is reported through the prompter and open returns false.
    bool open(const QString &dataDir = QStringLiteral("daten"));
    // Opens the table on the office server instead (office mode).  The
    // connection is shared by the desk's tables and must be open.  Editing a
    // row then first locks it for this desk (a row another desk edits is
    // refused with lockMessage()); every save checks the row's version; the
    // other desks' saves, inserts and deletes are shown as they happen.
    bool open(ServerConnection *server);
    void close();
    bool isOnServer() const { return m_server != nullptr; }
    ServerConnection *server() const { return m_server; }
    bool isOpen() const { return m_state != StoreState::Inactive; }
    // The SQL that makes a new file one of our tables: its marks and the empty
    // table; and the SQL that adds one secondary order.
    static QStringList tableStatements(const TableDefinition &definition);
    static QString orderStatement(const TableDefinition &definition, const TableOrder &order);
    // The mark in the SQLite header ("application id") of every table of ours.
    static quint32 applicationId();
    QString filePath() const { return m_filePath; }
    QString errorString() const { return m_error; }
    // The table opened, but saves cannot be written (a read-only file,
    // directory or medium): its rows can be viewed, not saved.
    bool isReadOnly() const { return m_readOnly; }
    // The last post() got past the save confirmation but could not write the
    // row (full disk, read-only table); the changes are still pending.
    bool lastSaveFailed() const { return m_saveFailed; }

    // What the user is told at start when tables of the data directory are
    // read-only (the whole directory when every open table is); empty when
    // none is.
    static QString readOnlyNotice(const QString &dataDir, const QList<const TableStore *> &tables);

    // A database error in the user's words ("Der Datenträger ist voll.",
    // "Die Tabelle ist schreibgeschützt."), never SQLite's own English text.
    static QString errorText(const QSqlError &error);

    // For tests of failures no test account can cause for real (root writes
    // read-only files): SQL statements, separated by ';', run on every table
    // right after it is opened, e.g. "PRAGMA query_only = 1" for a read-only
    // medium or "PRAGMA max_page_count = 5" for a full disk.  Empty: none.
    static void setTestPragmas(const QString &statements);

    // --- orders --------------------------------------------------------------
    // "" is the primary order; the others are the names of definition().orders.
    QStringList orderNames() const;
    QString order() const { return m_order; }
    // Switches the order; the current row stays current.  Pending changes are
    // saved first (finishEditing); a refusal leaves the order as it was.
    bool setOrder(const QString &name);

    // --- position ------------------------------------------------------------
    int rowCount() const { return int(m_keys.size()); }
    bool isEmpty() const { return m_keys.isEmpty(); }
    int currentRow() const { return m_pos; }   // -1 on an empty table
    bool isFirst() const { return m_pos <= 0; }
    bool isLast() const { return m_pos >= rowCount() - 1; }
    // Row keys in the current order and restriction; an unsaved new row has key 0.
    const QVector<int> &keys() const { return m_keys; }
    int currentKey() const { return m_pos >= 0 ? m_keys[m_pos] : 0; }
    int rowOfKey(int key) const { return int(m_keys.indexOf(key)); }

    // Moves.  Leaving a changed row first saves it (finishEditing); a refusal
    // keeps the current row and returns false.  first/prior/next/last finish
    // the current row even at either end (where they do not move); goToRow and
    // goToKey on the current row do nothing.
    bool first();
    bool prior();
    bool next();
    bool last();
    bool goToRow(int row);
    bool goToKey(int key);

    // --- reading any row (for an overview of many rows) ----------------------
    // The row at a position of the current order: the pending buffer for the
    // current row, otherwise the stored values (read in windows and cached).
    Record rowAt(int row) const;
    QVector<Record> rows(int first, int count) const;

    // --- the current row -----------------------------------------------------
    StoreState state() const { return m_state; }
    // Pending values of the current row (the stored values in the browse state).
    const Record &current() const { return m_buffer; }
    // True when a field value differs from the stored row; a new row always counts as changed.
    bool isModified() const;
    // Makes the row in the edit state count as changed although its values
    // equal the stored ones, so that leaving it asks the save question (an
    // editor of formatted text that the user entered cannot tell a pure
    // formatting change).  Lapses when the row leaves the edit state.
    void markModified();

    // Creates a new row at the current position, fills its defaults and makes it
    // current in the insert state.  The current row is finished first.
    bool insert();
    // Deletes the current row after "Datensatz löschen?" ("OK", "Abbrechen").
    // A new unsaved row is simply dropped.
    bool deleteCurrent();
    // Puts the current row into the edit state; no effect in edit or insert
    // state; on an empty table inserts a new row instead.
    bool edit();
    // Saves the pending changes after the save confirmation.  "&Nein" drops them
    // (a new row disappears) and returns false, "Abbrechen" keeps them pending
    // and returns false.  A row in the edit state without changes simply returns
    // to browse.
    bool post();
    // With pending changes: post; in edit or insert state without changes: cancel.
    bool finishEditing();
    // Drops the pending changes; a new, unsaved row disappears.
    void cancel();

    // --- restriction to one row (filter "lfd=<key>") --------------------------
    bool restrictToKey(int key);
    bool liftRestriction();
    bool isRestricted() const { return m_restrictKey != 0; }

    // --- quick search (a filter on the definition's search fields) -----------
    // Narrows the rows to those whose search fields hold every word of `text`,
    // whatever the case, the spelling of umlauts ("Mueller" finds "Müller")
    // and the blanks around the words; an empty text shows every row again.
    // The rows keep the current order, and moves, saves, the restriction to
    // one record and its lifting work within them.  The current row stays
    // current while it matches; otherwise the first match becomes current, or
    // none when nothing matches, and a later search brings back the record
    // that was current before, when it matches again (so clearing the search
    // keeps it).  A search never asks a question: a row with unsaved changes
    // stays current and in the rows, match or not.  Rows saved while a search
    // is on stay in the rows until the search changes.
    bool setSearch(const QString &text);
    // Reads what the search looks in, so that the first key of a search is
    // as quick as the others (the search field calls it when it is entered).
    bool prepareSearch();
    QString search() const { return m_searchText; }
    bool isSearching() const { return !m_searchWords.isEmpty(); }
    // Rows of the table without the search (an unsaved new row included).
    int totalRowCount() const;

    // --- several desks (office mode) -----------------------------------------
    // "Dieser Datensatz wird gerade am Arbeitsplatz „NAME“ bearbeitet (seit HH:MM)."
    static QString lockMessage(const QString &desk, const QDateTime &since);
    // That message while another desk edits the current row; empty otherwise.
    QString lockNotice() const;
    // A confirmed save waits for the connection to the server to come back.
    bool isPostWaiting() const { return m_postWaiting; }

    // --- field by name -------------------------------------------------------
    QVariant fieldValue(const QString &name) const { return m_buffer.value(name); }
    QString fieldText(const QString &name) const { return m_buffer.displayText(name); }
    double fieldNumber(const QString &name) const { return m_buffer.number(name); }
    // Sets a typed value (converted to the field's type, texts cut to the field's
    // size) after putting the row into the edit state.  False for an unknown
    // field, the read-only key or a value that does not convert.
    bool setFieldValue(const QString &name, const QVariant &value);
    // Sets a field from the text a user typed, with the German conversion
    // messages for a Float ("'x' ist kein gültiger Fließkommawert für Feld 'F'"),
    // a SmallInt ("… ist kein gültiger Integerwert …") and a SmallInt out of
    // range.  On error the field keeps its value, the row stays in the edit
    // state and false is returned.  An empty text empties the field.
    bool setFieldText(const QString &name, const QString &typed);

signals:
    void afterOpen();
    void beforeScroll();   // before any move of the current row, also before insert
    void afterScroll();    // after any move, also after insert
    void afterInsert();    // the new row has its defaults
    void beforePost();     // the save is about to be written (after the confirmation)
    void afterPost();      // the save is committed to the file
    void stateChanged(StoreState state);
    void fieldChanged(const QString &name);   // one field of the current row changed (declared spelling)
    void markedModified();                    // the current row was marked as changed (markModified)
    void currentReloaded();                   // the current row's values changed as a whole (any move, cancel, post)
    void rowChanged(int row);                 // the values shown for one row changed (edit, post, cancel)
    void rowsReset();                         // the key list was rebuilt (open, order, restriction, insert, delete, post)
    void lockNoticeChanged();                 // lockNotice() of the current row changed
    void changedElsewhere(int key);           // another desk saved, inserted or deleted this row (shown already)

protected:
    // Fills the values of a freshly inserted row.
    virtual void applyDefaults(Record &record) { Q_UNUSED(record); }
    // Reports an error through the prompter and keeps it in errorString().
    void reportError(const QString &text);

private:
    // Index of a field the user may change, with the record put into the edit
    // state; -1 for an unknown field, the key (after its message) or a refused edit.
    int editableField(const QString &name);

    struct Sql;

    // Office mode: takes the lock of the current row (false, with the
    // message, when another desk has it).  checkFresh: a save of another desk
    // that has not been shown here yet is shown first, and the edit refused.
    // While the connection is lost the lock is taken once it is back.
    bool lockCurrent(bool checkFresh = true);
    void releaseLock();
    void releaseLockUnlessEditing();
    void serverChanged(const QString &table, QChar operation, int key, const QString &extra);
    void serverReconnected();
    void serverTick();
    // A save found the row changed or deleted by another desk meanwhile:
    // asks whether to keep this desk's values; returns whether it was saved.
    bool resolveConflict();
    bool reloadKeysKeepingNewRow(int keepKey);
    bool openServerTable();

    // Every question and message goes through here, so that the store knows
    // when one is open (nothing is saved behind an open question).
    PromptButton askUser(PromptKind kind, const QString &text, PromptButtons buttons, PromptButton defaultButton);
    static int s_promptDepth;
    // A failed statement's reason in the user's words, for either source.
    QString whyText(const QSqlError &error) const;
    // "der Datei "daten/kq.db"" or "der Tabelle "kq" auf dem Datenbankserver "…"".
    QString placeText() const;
    QString placeSubject() const;   // the same as the subject of a sentence
    QString saveFailedText(const QString &why) const;

    bool checkFile(const QString &path);
    bool checkHealth(bool *damaged);
    bool createTable(const QString &path);
    bool ensureOrders();
    bool probeWritable();
    bool reloadKeys(int keepKey);
    bool loadAllKeys();
    bool buildSearchIndex();
    void indexRow(int key, const Record &record);
    QVector<int> searchedKeys(int keepKey, const QVector<int> &candidates) const;
    bool loadCurrent();
    bool readRow(int key, Record *out, int *version = nullptr) const;
    // overwrite: save over whatever another desk saved meanwhile (the answer
    // to a conflict), without the version check.
    bool writeCurrent(bool overwrite = false);
    bool askDelete();
    void setState(StoreState s);
    void moveTo(int row);
    QString orderByClause(const QString &order) const;
    QString columnOf(const QString &field) const;

    TableDefinition m_def;
    std::unique_ptr<Sql> m_sql;
    Prompter *m_prompter = nullptr;
    bool m_confirm = true;
    bool m_readOnly = false;
    bool m_saveFailed = false;
    QString m_filePath;
    QString m_error;
    QString m_order;
    int m_restrictKey = 0;
    StoreState m_state = StoreState::Inactive;
    bool m_markedModified = false;
    QVector<int> m_keys;
    int m_pos = -1;
    int m_keyBeforeInsert = 0;
    Record m_loaded;
    Record m_buffer;
    mutable QHash<int, Record> m_cache;

    // The quick search: every key of the table in the current order (as last
    // read without restriction), each row's searched text, the words looked
    // for, and the record to come back to.
    QVector<int> m_allKeys;
    bool m_allKeysValid = false;
    QHash<int, QString> m_searchIndex;
    bool m_indexReady = false;
    QSet<int> m_savedWhileSearching;   // shown until the search changes, match or not
    QStringList m_searchWords;
    QString m_searchText;
    int m_anchorKey = 0;

    // Office mode.
    ServerConnection *m_server = nullptr;
    int m_lockedKey = 0;            // the row this desk holds the lock of; 0: none
    int m_loadedVersion = 0;        // the version of the current row as loaded
    QString m_postId;               // identity of the save under way (kept when its answer was lost)
    bool m_postWaiting = false;     // a confirmed save waits for the connection
    QHash<int, LockHolder> m_othersLocks;   // rows other desks edit, as they told
};
