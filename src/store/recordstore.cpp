#include "recordstore.h"

#include "interconnectioncheck.h"

const QString RecordStore::ortIndex = u"ortindex"_qs;
const QString RecordStore::nameIndex = u"nameindex"_qs;

RecordStore::RecordStore(QObject *parent) : TableStore(tableDefinition(), parent) {}

TableDefinition RecordStore::tableDefinition()
{
    TableDefinition d;
    d.fileName = u"kq.db"_qs;
    d.tableName = u"kq"_qs;
    d.schema = &RecordSchema::installation();
    d.primaryOrder = {u"Lfd"_qs};
    d.orders = {
        {ortIndex, u"a_plz;a_ort;a_strasse;a_gebteil;e_name"_qs},
        {nameIndex, u"e_name;e_ort;e_strasse"_qs},
    };
    d.saveQuestion = u"Daten wurden geändert. Jetzt speichern?"_qs;
    d.saveButtons = PromptButton::Yes | PromptButton::No | PromptButton::Cancel;
    // The quick search of the overview: the site by name, street, town and
    // postcode, and the owner by name.
    d.searchFields = {u"A_Name"_qs, u"A_strasse"_qs, u"A_Ort"_qs, u"A_Plz"_qs, u"E_Name"_qs};
    return d;
}

void RecordStore::applyDefaults(Record &record)
{
    record.applyInstallationDefaults();
}

std::optional<MessageList> RecordStore::rechnen()
{
    if (!isOpen())
        return std::nullopt;
    // The pending edits are stored first; a refusal ends the command.
    if (!post())
        return std::nullopt;
    if (!edit())
        return std::nullopt;
    const InterconnectionResult result = runInterconnectionCheck(current());
    for (const QString &field : interconnectionResultFields())
        setFieldValue(field, result.record.value(field));
    gerechnet();
    return result.messages;
}

bool RecordStore::gerechnet()
{
    return edit() && setFieldValue(u"Gerechnet"_qs, true);
}

bool RecordStore::ungerechnet()
{
    return edit() && setFieldValue(u"Gerechnet"_qs, false);
}
