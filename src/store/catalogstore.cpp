#include "catalogstore.h"

const QString CatalogStore::ortOrder = u"_ort"_qs;

const RecordSchema &CatalogStore::ownerSchema()
{
    static const RecordSchema schema({
        {u"Name"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
        {u"Zusatz"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
        {u"Strasse"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
        {u"Plz"_qs, FieldType::String, 7, DisplayFormat::None, {}, {}},
        {u"Ort"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
        {u"Lfd"_qs, FieldType::AutoInc, 0, DisplayFormat::None, {}, {}},
        {u"Anrede"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
        {u"Tel"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
        {u"Fax"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
    });
    return schema;
}

const RecordSchema &CatalogStore::placeSchema()
{
    static const RecordSchema schema({
        {u"Plz"_qs, FieldType::String, 7, DisplayFormat::None, {}, {}},
        {u"Ort"_qs, FieldType::String, 30, DisplayFormat::None, {}, {}},
        {u"Lfd"_qs, FieldType::AutoInc, 0, DisplayFormat::None, {}, {}},
    });
    return schema;
}

const RecordSchema &CatalogStore::remarkSchema()
{
    static const RecordSchema schema({
        {u"Kurzbez"_qs, FieldType::String, 60, DisplayFormat::None, {}, {}},
        {u"Text"_qs, FieldType::FmtMemo, 0, DisplayFormat::None, {}, {}},
    });
    return schema;
}

TableDefinition CatalogStore::tableDefinition(Kind kind)
{
    TableDefinition d;
    const PromptButtons yesNoCancel = PromptButton::Yes | PromptButton::No | PromptButton::Cancel;
    switch (kind) {
    case Owners:
        d.fileName = u"eigentmr.db"_qs;
        d.tableName = u"eigentmr"_qs;
        d.schema = &ownerSchema();
        d.primaryOrder = {u"Name"_qs};
        d.orders = {{ortOrder, u"Ort;Strasse"_qs}};
        d.saveQuestion = u"Daten in der Eigentümertabelle wurden geändert. Jetzt speichern?"_qs;
        d.saveButtons = yesNoCancel;
        break;
    case Places:
        d.fileName = u"orte.db"_qs;
        d.tableName = u"orte"_qs;
        d.schema = &placeSchema();
        d.primaryOrder = {u"Plz"_qs, u"Ort"_qs};
        d.saveQuestion = u"Daten in der Ortetabelle wurden geändert. Jetzt speichern?"_qs;
        d.saveButtons = yesNoCancel;
        break;
    case Remarks:
        d.fileName = u"stdbem.DB"_qs;
        d.tableName = u"stdbem"_qs;
        d.schema = &remarkSchema();
        d.primaryOrder = {u"Kurzbez"_qs};
        d.saveQuestion = u"Daten im Anmerkungskatalog wurden geändert. Jetzt speichern?"_qs;
        d.saveButtons = PromptButton::Yes | PromptButton::No;
        break;
    }
    return d;
}

CatalogStore::CatalogStore(Kind kind, QObject *parent) : TableStore(tableDefinition(kind), parent), m_kind(kind) {}
