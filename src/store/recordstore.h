#pragma once

#include "messagelist.h"
#include "tablestore.h"

#include <optional>

// The table of installation records, kq.db in the data directory.
//
// Primary order by `Lfd` (the order in which records were created), and the
// secondary orders "ortindex" (installation site) and "nameindex" (owner).
// A new record gets the defaults of an installation record; a changed record
// is saved after "Daten wurden geändert. Jetzt speichern?".
class RecordStore : public TableStore {
    Q_OBJECT

public:
    static const QString ortIndex;    // "ortindex"
    static const QString nameIndex;   // "nameindex"

    explicit RecordStore(QObject *parent = nullptr);

    // The table's definition: file, fields, orders and save question.
    static TableDefinition tableDefinition();

    // The command "Berechnen": saves the pending edits (a refusal ends the
    // command and returns nothing), runs the interconnection check on the
    // current record, writes its results into the record in the edit state and
    // sets `Gerechnet`.  Returns the message list for the window "Meldungen".
    std::optional<MessageList> rechnen();

    // Put the record into the edit state and set (clear) the calculated flag.
    bool gerechnet();
    bool ungerechnet();

protected:
    void applyDefaults(Record &record) override;
};
