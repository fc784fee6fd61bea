#include "commands.h"

#include "interconnectioncheck.h"
#include "jsonrecord.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

CliResult badInput(const QString &message)
{
    return {kExitBadInput, {}, message};
}

QByteArray toJsonLine(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

CliResult runCheck(const QByteArray &input)
{
    QJsonObject in;
    QString error;
    if (!parseJsonObject(input, in, error))
        return badInput(error);
    Record record;
    if (!recordFromJson(in, record, error))
        return badInput(error);

    const InterconnectionResult result = runInterconnectionCheck(record);
    QJsonObject out;
    out.insert(u"fields"_qs, recordToJson(result.record));
    out.insert(u"messages"_qs, QJsonArray::fromStringList(result.messages.lines()));
    return {0, toJsonLine(out), {}};
}

} // namespace

const std::vector<CliCommand> &cliCommands()
{
    static const std::vector<CliCommand> commands = {
        {u"check"_qs,
         u"Luftverbund-Berechnung (Schutzziel 1 und 2) für einen Datensatz.\n"
         "  Eingabe: ein JSON-Objekt mit Feldern des Datensatzes (z. B. \"RAV\": 30, \"RATOF\": true,\n"
         "           \"R1oeff\": 1, \"R1Vmit\": 1); fehlende Felder oder null sind leer.\n"
         "  Ausgabe: {\"fields\": {alle Felder mit Wert nach der Berechnung},\n"
         "            \"messages\": [Zeilen des Meldungsfensters]}"_qs,
         &runCheck},
    };
    return commands;
}
