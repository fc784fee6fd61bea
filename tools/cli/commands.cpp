#include "commands.h"

#include "addressimport.h"
#include "fieldlimits.h"
#include "fireplace.h"
#include "installationroom.h"
#include "interconnectioncheck.h"
#include "jsonrecord.h"
#include "numberformat.h"
#include "roommodel.h"
#include "roomvolume.h"
#include "supplyairduct.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>

namespace {

CliResult badInput(const QString &message)
{
    return {kExitBadInput, {}, message};
}

QByteArray toJsonLine(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

bool checkRange(const Record &r, const QString &field, int low, int high, QString &error);

// Opening types, connected-with codes and the fireplace kind must be codes the
// input page can store.  The room slots hold the room codes as signed 8-bit
// values, so an opening type of 257 would otherwise count as 1, the 2x150 cm²
// opening.
bool checkRoomCodes(const Record &r, QString &error)
{
    for (int n = 1; n <= 7; ++n) {
        const RoomFieldNames &f = roomFields(n);
        if (!checkRange(r, f.openingType, 0, kOpeningTypeCount - 1, error)
            || !checkRange(r, f.connectedWith, -1, 3, error))
            return false;
    }
    return checkRange(r, u"Okraum1"_qs, 0, fireplace::kKindCount - 1, error);
}

CliResult runCheck(const QByteArray &input)
{
    QJsonObject in;
    QString error;
    if (!parseJsonObject(input, in, error))
        return badInput(error);
    Record record;
    if (!recordFromJson(in, record, error) || !checkRoomCodes(record, error))
        return badInput(error);

    const InterconnectionResult result = runInterconnectionCheck(record);
    QJsonObject out;
    out.insert(u"fields"_qs, recordToJson(result.record));
    out.insert(u"messages"_qs, QJsonArray::fromStringList(result.messages.lines()));
    return {0, toJsonLine(out), {}};
}

// The JSON key matching `name` without regard to case, or an empty string.
QString findKey(const QJsonObject &o, const QString &name)
{
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    return {};
}

// A number field given as a string stands for the text typed into its edit.
// Reads the input into `record`; for every field in `typedFields` `texts` gets
// the text its edit holds: the string as given, a number in general format (a
// whole number for counts), "" when absent or null.  A typed text that reads
// as a number is also stored in its field, as the edit would on leaving it.
bool readInput(const QByteArray &input, const QStringList &typedFields, const QStringList &extraKeys,
               Record &record, QMap<QString, QString> &texts, QJsonObject &object, QString &error)
{
    if (!parseJsonObject(input, object, error))
        return false;
    QJsonObject fields = object;
    QMap<QString, QString> typed;
    for (const QString &field : typedFields) {
        const QString key = findKey(fields, field);
        if (!key.isEmpty() && fields.value(key).isString()) {
            typed.insert(field, fields.value(key).toString());
            fields.remove(key);
        }
    }
    if (!recordFromJson(fields, record, error, extraKeys))
        return false;
    for (const QString &field : typedFields) {
        const FieldDef &def = record.schema().field(record.schema().indexOf(field));
        if (typed.contains(field)) {
            const QString text = typed.value(field);
            texts.insert(field, text);
            double v = 0.0;
            bool ok = false;
            const int n = text.trimmed().toInt(&ok);
            if (def.type == FieldType::Float && numfmt::parse(text, &v)) {
                if (!checkFieldLimit(def.name, v, error))
                    return false;
                record.setValue(field, v);
            }
            else if (def.type == FieldType::SmallInt && ok)
                record.setValue(field, n);
        } else if (record.isNull(field)) {
            texts.insert(field, QString());
        } else {
            texts.insert(field, def.type == FieldType::Float ? numfmt::general(record.number(field))
                                                             : QString::number(record.integer(field)));
        }
    }
    return true;
}

// A small-integer field that must hold one of `low`..`high` (empty counts as `low`).
bool checkRange(const Record &r, const QString &field, int low, int high, QString &error)
{
    const int v = r.integer(field);
    if (v >= low && v <= high)
        return true;
    error = u"Ungültiger Wert für Feld \"%1\": erlaubt sind %2 bis %3."_qs.arg(field).arg(low).arg(high);
    return false;
}

QJsonObject fieldsToJson(const Record &r, const QStringList &names)
{
    QJsonObject o;
    const QJsonObject all = recordToJson(r);
    for (const QString &n : names)
        o.insert(n, all.contains(n) ? all.value(n) : QJsonValue());
    return o;
}

CliResult runKamin(const QByteArray &input)
{
    Record record;
    QMap<QString, QString> texts;
    QJsonObject in;
    QString error;
    if (!readInput(input, {u"Okqs1"_qs}, {}, record, texts, in, error)
        || !checkRange(record, u"Okraum1"_qs, 0, fireplace::kKindCount - 1, error))
        return badInput(error);

    const int kind = record.integer(u"Okraum1"_qs);
    const fireplace::FictitiousOutput r = fireplace::fictitiousOutputFromText(kind, texts.value(u"Okqs1"_qs));
    record.setInteger(u"Okraum1"_qs, kind);
    record.setNumber(u"Okqn1"_qs, r.stored);

    QJsonObject out;
    out.insert(u"fields"_qs, fieldsToJson(record, {u"Okraum1"_qs, u"Okqs1"_qs, u"Okqn1"_qs}));
    out.insert(u"text"_qs, r.text);
    out.insert(u"areaIsNumber"_qs, r.areaIsNumber);
    return {0, toJsonLine(out), {}};
}

CliResult runZuluft(const QByteArray &input)
{
    Record record;
    QMap<QString, QString> texts;
    QJsonObject in;
    QString error;
    if (!readInput(input, {u"OkllP"_qs, u"OkllLaenge"_qs}, {}, record, texts, in, error)
        || !checkRange(record, u"Okllu45"_qs, 0, 10, error) || !checkRange(record, u"Okllu90"_qs, 0, 10, error)
        || !checkRange(record, u"Okllform"_qs, 0, 2, error))
        return badInput(error);

    supplyairduct::SupplyAirDuctInput duct;
    duct.outputText = texts.value(u"OkllP"_qs);
    duct.lengthText = texts.value(u"OkllLaenge"_qs);
    duct.bends45 = record.integer(u"Okllu45"_qs);
    duct.bends90 = record.integer(u"Okllu90"_qs);
    duct.sideRatio = record.integer(u"Okllform"_qs);
    const supplyairduct::SupplyAirDuctResult r = supplyairduct::sizeSupplyAirDuct(duct);

    // What OK writes; nothing while OK is not allowed.
    QJsonObject fields;
    if (r.okAllowed) {
        double base = 0.0, actual = 0.0;
        numfmt::parse(r.baseText, &base);
        numfmt::parse(r.actualText, &actual);
        record.setNumber(u"OkllP"_qs, r.output);
        record.setNumber(u"OkllLaenge"_qs, r.length);
        record.setInteger(u"Okllu45"_qs, duct.bends45);
        record.setInteger(u"Okllu90"_qs, duct.bends90);
        record.setNumber(u"OkllS"_qs, base);
        record.setNumber(u"Okllstats"_qs, actual);
        record.setInteger(u"Okllform"_qs, duct.sideRatio);
        record.setNumber(u"Okunversorgt"_qs,
                         supplyairduct::unsuppliedOutput(record.number(u"Okqn1"_qs), r.output));
        fields = fieldsToJson(record, {u"OkllP"_qs, u"OkllLaenge"_qs, u"Okllu45"_qs, u"Okllu90"_qs, u"OkllS"_qs,
                                       u"Okllstats"_qs, u"Okllform"_qs, u"Okunversorgt"_qs});
    }
    QJsonObject shown;
    shown.insert(u"OkllS"_qs, r.baseText);
    shown.insert(u"Okllstats"_qs, r.actualText);

    QJsonObject out;
    out.insert(u"fields"_qs, fields);
    out.insert(u"texts"_qs, shown);
    out.insert(u"okAllowed"_qs, r.okAllowed);
    out.insert(u"message"_qs, r.message);
    return {0, toJsonLine(out), {}};
}

CliResult runAufstellraum(const QByteArray &input)
{
    const QStringList typed = {u"Hrleistung"_qs, u"Hrvolumen"_qs, u"Hrnrvolumen"_qs,
                               u"Hrlllaenge"_qs, u"Hrllu90"_qs, u"Hrllu45"_qs, u"Hrllgitter"_qs,
                               u"Hrlllaenge2"_qs, u"Hrllu902"_qs, u"Hrllu452"_qs, u"Hrllgitter2"_qs};
    Record record;
    QMap<QString, QString> t;
    QJsonObject in;
    QString error;
    if (!readInput(input, typed, {u"controls"_qs, u"event"_qs}, record, t, in, error))
        return badInput(error);

    installationroom::PageInput page;
    page.record = record;
    page.outputText = t.value(u"Hrleistung"_qs);
    page.volumeText = t.value(u"Hrvolumen"_qs);
    page.neighbourVolumeText = t.value(u"Hrnrvolumen"_qs);
    page.duct1 = {t.value(u"Hrlllaenge"_qs), t.value(u"Hrllu90"_qs), t.value(u"Hrllu45"_qs), t.value(u"Hrllgitter"_qs)};
    page.duct2 = {t.value(u"Hrlllaenge2"_qs), t.value(u"Hrllu902"_qs), t.value(u"Hrllu452"_qs),
                  t.value(u"Hrllgitter2"_qs)};

    const QJsonValue controlsIn = in.value(findKey(in, u"controls"_qs));
    if (!controlsIn.isUndefined() && !controlsIn.isNull()) {
        if (!controlsIn.isObject())
            return badInput(u"\"controls\" muss ein JSON-Objekt sein."_qs);
        const QJsonObject c = controlsIn.toObject();
        for (const auto &[name, flag] : {std::pair{u"hrllS"_qs, &page.duct1DisplayEnabled},
                                         std::pair{u"hrlls2"_qs, &page.duct2DisplayEnabled}}) {
            const QJsonValue enabled = c.value(name).toObject().value(u"enabled"_qs);
            if (!enabled.isUndefined() && !enabled.isBool())
                return badInput(u"\"controls\".\"%1\".\"enabled\" muss true oder false sein."_qs.arg(name));
            *flag = enabled.toBool(false);
        }
    }

    const QJsonValue event = in.value(findKey(in, u"event"_qs));
    const QString eventName = event.isString() ? event.toString() : u"HRleistungChange"_qs;
    if (!event.isUndefined() && !event.isNull() && !event.isString())
        return badInput(u"\"event\" muss \"HRleistungChange\" oder \"enablenr\" sein."_qs);
    installationroom::PageState s;
    if (eventName == u"HRleistungChange"_qs)
        s = installationroom::evaluate(page);
    else if (eventName == u"enablenr"_qs)
        s = installationroom::enablenr(page);
    else
        return badInput(u"\"event\" muss \"HRleistungChange\" oder \"enablenr\" sein."_qs);

    QJsonObject controls;
    for (const installationroom::NamedControl &named : installationroom::namedControls()) {
        const installationroom::ControlState &c = s.controls.*named.member;
        controls.insert(QString::fromUtf16(named.name), QJsonObject{{u"enabled"_qs, c.enabled}, {u"visible"_qs, c.visible}});
    }
    QJsonObject forced;
    for (const auto &[field, value] : s.forcedSelections)
        forced.insert(field, value);
    const auto openingText = [&](const QString &field) {
        return s.record.isNull(field) ? QString() : numfmt::general(s.record.number(field));
    };
    QJsonObject texts;
    texts.insert(u"hrloeffs"_qs, openingText(u"HrloeffS"_qs));
    texts.insert(u"hrloeffs2"_qs, openingText(u"Hrloeffs2"_qs));
    texts.insert(u"hrllS"_qs, s.record.displayText(u"HrllS"_qs));
    texts.insert(u"hrlls2"_qs, s.record.displayText(u"Hrlls2"_qs));

    QJsonObject out;
    out.insert(u"fields"_qs, recordToJson(s.record));
    out.insert(u"written"_qs, QJsonArray::fromStringList(s.writtenFields));
    out.insert(u"controls"_qs, controls);
    out.insert(u"forced"_qs, forced);
    out.insert(u"notebookPage"_qs, s.notebookPage);
    out.insert(u"texts"_qs, texts);
    out.insert(u"volumeMissing"_qs, s.volumeMissing);
    return {0, toJsonLine(out), {}};
}

CliResult runVolumen(const QByteArray &input)
{
    QJsonObject in;
    QString error;
    if (!parseJsonObject(input, in, error))
        return badInput(error);

    struct Room {
        QString label;
        roomvolume::RoomFields fields;
    };
    std::vector<Room> rooms;
    for (QChar key : QStringView(u"A1234567"))
        rooms.push_back({key == u'A' ? u"RA"_qs : u"R"_qs + key, *roomvolume::roomFields(key)});
    rooms.push_back({u"Aufstellraum"_qs, roomvolume::installationRoomFields()});

    double defaultHeight = roomvolume::kDefaultRoomHeight;
    const Room *room = nullptr;
    QJsonObject dims;
    for (auto it = in.begin(); it != in.end(); ++it) {
        if (it.key().compare(u"defaultHeight"_qs, Qt::CaseInsensitive) == 0) {
            if (!it.value().isDouble() || !roomvolume::isPlausibleRoomHeight(it.value().toDouble()))
                return badInput(u"\"defaultHeight\" muss eine Zahl über 0 und bis %1 sein."_qs.arg(
                    numfmt::general(roomvolume::kMaxRoomHeight)));
            defaultHeight = it.value().toDouble();
            continue;
        }
        const Room *owner = nullptr;
        for (const Room &r : rooms)
            for (const QString &f : {r.fields.length, r.fields.width, r.fields.height})
                if (it.key().compare(f, Qt::CaseInsensitive) == 0)
                    owner = &r;
        if (!owner)
            return badInput(u"%1 ist kein Maß eines Raumes (z. B. \"Ral\", \"R3b\", \"Hrhoehe\")."_qs.arg(shownName(it.key())));
        if (room && room != owner)
            return badInput(u"Die Maße müssen zu einem Raum gehören."_qs);
        room = owner;
        dims.insert(it.key(), it.value());
    }
    if (!room)
        return badInput(u"Keine Raummaße angegeben (z. B. \"Ral\", \"Rab\", \"Rah\")."_qs);

    const roomvolume::RoomFields &f = room->fields;
    Record record;
    QMap<QString, QString> texts;
    QJsonObject unused;
    if (!readInput(QJsonDocument(dims).toJson(), {f.length, f.width, f.height}, {}, record, texts, unused, error))
        return badInput(error);
    // A stored height (a number, or none) is offered as the dialog offers it;
    // a typed height is taken as typed.
    const QJsonValue h = dims.value(findKey(dims, f.height));
    if (!h.isString())
        texts[f.height] = roomvolume::offeredHeight(record, f.height, defaultHeight);

    QJsonObject shown;
    for (const QString &n : {f.length, f.width, f.height})
        shown.insert(n, texts.value(n));
    QJsonObject out;
    out.insert(u"room"_qs, room->label);
    out.insert(u"volumeField"_qs, f.volume);
    out.insert(u"texts"_qs, shown);
    out.insert(u"text"_qs, roomvolume::volumeText(texts.value(f.length), texts.value(f.width), texts.value(f.height)));
    return {0, toJsonLine(out), {}};
}

// The fields an export file of a district program would set, without
// touching any record: "import [--quelle schocom|abnahme] DATEI".
CliResult runImport(const QStringList &args)
{
    using namespace addressimport;
    QString kind;
    QString path;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--quelle"_qs && i + 1 < args.size())
            kind = args[++i];
        else if (a.startsWith(u"--quelle="_qs))
            kind = a.mid(9);
        else if (a.startsWith(u"--"_qs) || !path.isEmpty())
            return badInput(u"Aufruf: ofenring-cli import [--quelle schocom|abnahme] DATEI"_qs);
        else
            path = a;
    }
    if (path.isEmpty())
        return badInput(u"Keine Exportdatei angegeben. Aufruf: ofenring-cli import [--quelle schocom|abnahme] DATEI"_qs);
    std::optional<Source> source;
    if (kind.compare(u"schocom"_qs, Qt::CaseInsensitive) == 0)
        source = Source::SchoCom;
    else if (kind.compare(u"abnahme"_qs, Qt::CaseInsensitive) == 0)
        source = Source::Abnahme;
    else if (kind.isEmpty())
        source = sourceFromFileName(path);
    else
        return badInput(u"Unbekannte Quelle \"%1\" (schocom oder abnahme)."_qs.arg(kind));
    if (!source)
        return badInput(u"Der Dateiname nennt die Quelle nicht; bitte --quelle schocom oder --quelle abnahme angeben."_qs);

    QStringList lines;
    QString error, encoding;
    if (!readExportFile(path, &lines, &error, &encoding))
        return badInput(error);
    QJsonObject fields;
    for (const FieldValue &v : fieldsFromLines(lines, sourceDef(*source).splitsPlaces))
        fields.insert(v.field, storedValue(v.field, v.value));
    QJsonObject out;
    out.insert(u"source"_qs, *source == Source::SchoCom ? u"schocom"_qs : u"abnahme"_qs);
    out.insert(u"lines"_qs, int(lines.size()));
    out.insert(u"encoding"_qs, encoding);
    out.insert(u"fields"_qs, fields);
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
        {u"kamin"_qs,
         u"Fiktive Wärmeleistung eines offenen Kamins oder Kachelofens.\n"
         "  Eingabe: \"Okraum1\" (0 keiner, 1 offener Kamin allein, 2 mit anderen Feuerstätten,\n"
         "           3 Kachelofen), \"Okqs1\" (Fläche in m², Zahl oder getippter Text wie \"0,5\").\n"
         "  Ausgabe: {\"fields\": {\"Okraum1\", \"Okqs1\", \"Okqn1\"}, \"text\": angezeigte Leistung,\n"
         "            \"areaIsNumber\": false, wenn die Fläche keine Zahl ist (Warnton, \"0,0\")}"_qs,
         &runKamin},
        {u"zuluft"_qs,
         u"Zuluftleitung für offenen Kamin / Kachelofen nach DIN 18895.\n"
         "  Eingabe: \"OkllP\" (versorgte Leistung, kW) und \"OkllLaenge\" (m), je Zahl oder getippter\n"
         "           Text; \"Okllu45\", \"Okllu90\" (Umlenkungen 0 bis 10), \"Okllform\" (0 bis 2),\n"
         "           \"Okqn1\" (Leistung der Feuerstätte, kW).\n"
         "  Ausgabe: {\"fields\": {was OK schreibt: \"OkllP\", \"OkllLaenge\", \"Okllu45\", \"Okllu90\",\n"
         "            \"OkllS\", \"Okllstats\", \"Okllform\", \"Okunversorgt\"; leer, solange OK gesperrt ist},\n"
         "            \"texts\": {\"OkllS\", \"Okllstats\": angezeigte Querschnitte},\n"
         "            \"okAllowed\": true/false, \"message\": Meldung oder \"\"}"_qs,
         &runZuluft},
        {u"aufstellraum"_qs,
         u"Aufstellraum-Berechnung mit den Regeln für die Bedienelemente der Seite.\n"
         "  Eingabe: Felder des Aufstellraums; \"Hrleistung\", \"Hrvolumen\", \"Hrnrvolumen\",\n"
         "           \"Hrlllaenge\", \"Hrllu90\", \"Hrllu45\", \"Hrllgitter\" und die Felder der\n"
         "           Leitung 2 (\"Hrlllaenge2\", \"Hrllu902\", \"Hrllu452\", \"Hrllgitter2\") als Zahl\n"
         "           oder getippter Text; Auswahl über \"Hrnrvorhanden\", \"Hrnrzuluft\", \"Hrnrloeff\",\n"
         "           \"Hrllanzahl\", \"Hrll\"; optional \"controls\": {\"hrllS\": {\"enabled\": true},\n"
         "           \"hrlls2\": {...}} (Anzeigen schon freigegeben) und \"event\": \"HRleistungChange\"\n"
         "           (Vorgabe, Auswertung nach einer Eingabe) oder \"enablenr\" (Datensatzwechsel).\n"
         "  Ausgabe: {\"fields\": {alle Felder nach der Auswertung}, \"written\": [geschriebene Felder],\n"
         "            \"controls\": {NRaktiv, hrnrpanel, hrnrzuluft, arnrsz1checkbox, arsz1freibox,\n"
         "            hrllanzahl, hrloeffs, hrll, hrllname2 (Spalte Leitung 2), hrllS, hrlls2:\n"
         "            {\"enabled\": bool, \"visible\": bool}}, \"forced\": {erzwungene Auswahl},\n"
         "            \"notebookPage\": 0/1, \"texts\": {\"hrloeffs\", \"hrloeffs2\", \"hrllS\", \"hrlls2\"},\n"
         "            \"volumeMissing\": true, solange das Raumvolumen keine Zahl ist}"_qs,
         &runAufstellraum},
        {u"volumen"_qs,
         u"Raumvolumen aus Länge, Breite und Höhe.\n"
         "  Eingabe: die Maßfelder eines Raumes, z. B. \"Ral\", \"Rab\", \"Rah\" (RA), \"R3l\", \"R3b\",\n"
         "           \"R3h\" oder \"Hrlaenge\", \"Hrbreite\", \"Hrhoehe\"; eine Zahl ist der gespeicherte\n"
         "           Wert, ein Text das Getippte. Ohne gespeicherte Höhe (oder bis 0,001) wird die\n"
         "           Standardraumhöhe angeboten: \"defaultHeight\" (Vorgabe 2.7).\n"
         "  Ausgabe: {\"room\", \"volumeField\", \"texts\": {die drei Maße als Text},\n"
         "            \"text\": Volumen mit einer Nachkommastelle, leer wenn ein Maß keine Zahl ist}"_qs,
         &runVolumen},
        {u"import"_qs,
         u"Adressen aus der Exportdatei eines Kehrbezirksverwaltungsprogramms, ohne Datensatz.\n"
         "  Aufruf: ofenring-cli import [--quelle schocom|abnahme] DATEI (liest nicht von der\n"
         "          Standardeingabe). Ohne --quelle entscheidet der Dateiname: AbnSch.EXP (*.EXP)\n"
         "          SchoCom, export.txt (*.txt) Abnahme; bei Abnahme werden PLZ und Ort der Zeilen 7\n"
         "          und 12 getrennt. Gelesen wird UTF-16 (mit Byte-Order-Mark), UTF-8 (mit Mark oder\n"
         "          gültig mit Umlauten) und sonst Windows-1252. Leere Dateien, Dateien mit Steuerzeichen\n"
         "          (außer den Zeilenenden) und Dateien ohne Angabe in den Zeilen 1 und 3 bis 12 sind\n"
         "          keine Exportdateien: Status 2.\n"
         "  Ausgabe: {\"fields\": {Feld: Wert, auf die Feldlänge gekürzt; \"\" leert das Feld},\n"
         "            \"source\": \"schocom\"/\"abnahme\", \"lines\": gelesene Zeilen (höchstens 16),\n"
         "            \"encoding\": \"UTF-16\"/\"UTF-8\"/\"Windows-1252\"}"_qs,
         nullptr, &runImport},
        {u"uebernehmen"_qs,
         u"Übernimmt die vier Tabellen im alten Paradox-Format (kq.db, eigentmr.db, orte.db, stdbem.DB\n"
         "  mit ihren Memodateien) in neue Tabellen. Liest keine Standardeingabe.\n"
         "  Aufruf: ofenring-cli uebernehmen --von ALTER_ORDNER --nach DATENORDNER\n"
         "  Der alte Ordner wird nur gelesen; der Datenordner darf noch keine Tabellen enthalten. Die alten\n"
         "  Dateien werden unverändert nach DATENORDNER/alt-<Datum> kopiert.\n"
         "  Ausgabe: {\"source\", \"target\", \"backupFolder\", \"originals\": [alte Dateien],\n"
         "            \"tables\": [{\"table\", \"oldFile\", \"records\" (übernommen: alle Datensätze der\n"
         "            Datenblöcke), \"headerRecords\" (Zahl laut Tabellenkopf), \"readerMessages\" (Meldungen der\n"
         "            Tabellenbibliothek), \"codePage\", \"missingFields\",\n"
         "            \"alwaysEmpty\", \"emptyValues\": {Feld: Anzahl}, \"unreadable\", \"shortened\": [{\"record\",\n"
         "            \"Lfd\", \"field\", \"reason\"}]}]}. Fehlerhafte oder fremde Tabellen: Status 2; kann der\n"
         "            Datenordner nicht geschrieben werden: Status 1."_qs,
         nullptr, &runUebernehmen},
        {u"sichern"_qs,
         u"Sichert die Tabellen (kq.db, eigentmr.db, orte.db, stdbem.DB) und die Listen (raeume.txt,\n"
         "  feuerst.txt) eines Datenordners nach DATENORDNER/sicherung/JJJJ-MM-TT, auch während das\n"
         "  Programm mit ihnen arbeitet, prüft jede Kopie und behält die Sicherungen der letzten 14 Tage\n"
         "  und die erste jedes der letzten 12 Monate. Liest keine Standardeingabe.\n"
         "  Aufruf: ofenring-cli sichern [--daten DATENORDNER] (Vorgabe: ./daten)\n"
         "  Ausgabe: {\"folder\", \"made\", \"reason\", \"files\", \"records\": {Datei: Datensätze}}.\n"
         "  Kein Datenordner oder keine Tabelle darin: Status 2; lässt sich die Sicherung nicht schreiben\n"
         "  (Datenträger voll, schreibgeschützt): Status 3, die Tabellen bleiben unverändert."_qs,
         nullptr, &runSichern},
        {u"wiederherstellen"_qs,
         u"Holt eine Sicherung zurück: die heutigen Daten werden vorher selbst gesichert, dann ersetzen\n"
         "  die Dateien der Sicherung die heutigen. Liest keine Standardeingabe.\n"
         "  Aufruf: ofenring-cli wiederherstellen [--daten DATENORDNER] --von SICHERUNGSORDNER\n"
         "  SICHERUNGSORDNER ist ein Ordner unter DATENORDNER/sicherung, mit Pfad oder nur mit Namen\n"
         "  (z. B. 2024-05-03).\n"
         "  Ausgabe: {\"restored\": {die Sicherung}, \"savedFirst\": {die Sicherung der heutigen Daten}}.\n"
         "  Keine vollständige oder eine beschädigte Sicherung: Status 2, nichts wird ersetzt; lässt\n"
         "  sich nicht schreiben: Status 3; läuft Ofenring gerade: Status 1."_qs,
         nullptr, &runWiederherstellen},
        {u"server-einrichten"_qs,
         u"Richtet den Datenbankserver für den Büro-Betrieb ein: legt die Tabellen von Ofenring auf einer\n"
         "  PostgreSQL-Datenbank an, die noch keine hat, und kopiert kq.db, eigentmr.db, orte.db, stdbem.DB\n"
         "  und die Listen raeume.txt und feuerst.txt eines Datenordners Wert für Wert hinein, alles in\n"
         "  einer Übertragung. Liest keine Standardeingabe; der Datenordner wird nur gelesen.\n"
         "  Aufruf: ofenring-cli server-einrichten --server URI --von DATENORDNER\n"
         "  URI z. B. postgresql://buero@server.local:5432/ofenring; das Passwort kommt aus ~/.pgpass\n"
         "  oder der Umgebungsvariablen PGPASSWORD.\n"
         "  Ausgabe: {\"server\", \"source\", \"tables\": [{\"file\", \"table\", \"present\", \"records\"}],\n"
         "            \"lists\": [{\"file\", \"present\", \"entries\"}]}. Hat die Datenbank schon Tabellen von\n"
         "            Ofenring, oder sind die Tabellen des Ordners nicht von Ofenring: Status 2; ist der Server\n"
         "            nicht erreichbar oder scheitert das Anlegen: Status 1."_qs,
         nullptr, &runServerEinrichten},
    };
    return commands;
}
