#pragma once

#include "tablestore.h"

// The three catalogs beside the installation records, each a table of its own
// in the data directory:
//   Owners   eigentmr.db  Name, Zusatz, Strasse, Plz, Ort, Lfd, Anrede, Tel, Fax;
//                         primary order by Name, order "_ort" by Ort, Strasse
//   Places   orte.db      Plz, Ort, Lfd; ordered by Plz, Ort
//   Remarks  stdbem.DB    Kurzbez (60 characters), Text (formatted text);
//                         ordered by Kurzbez
// Each asks its own question before a changed row is saved (remarks with
// "&Ja" and "&Nein" only) and writes every save through at once.
class CatalogStore : public TableStore {
    Q_OBJECT

public:
    enum Kind { Owners, Places, Remarks };

    static const QString ortOrder;   // "_ort", the owners' order by town and street

    explicit CatalogStore(Kind kind, QObject *parent = nullptr);
    Kind kind() const { return m_kind; }

    static const RecordSchema &ownerSchema();
    static const RecordSchema &placeSchema();
    static const RecordSchema &remarkSchema();
    static TableDefinition tableDefinition(Kind kind);

private:
    Kind m_kind;
};
