#include "jsonrecord.h"

#include "fieldlimits.h"
#include "strictjson.h"

#include <QJsonValue>
#include <QSet>
#include <cmath>

namespace {

QString typeWord(const FieldDef &def)
{
    switch (def.type) {
    case FieldType::Float: return u"eine Zahl"_qs;
    case FieldType::SmallInt:
    case FieldType::AutoInc: return u"eine ganze Zahl"_qs;
    case FieldType::Boolean: return u"true oder false"_qs;
    default: return u"ein Text"_qs;
    }
}

} // namespace

bool parseJsonObject(const QByteArray &text, QJsonObject &object, QString &error)
{
    QJsonValue doc;
    if (!parseStrictJson(text, doc, error))
        return false;
    if (!doc.isObject()) {
        error = u"Die Eingabe muss ein JSON-Objekt sein."_qs;
        return false;
    }
    object = doc.toObject();
    return true;
}

QString shownName(const QString &name)
{
    constexpr qsizetype kShown = 40;
    QString s = name.left(kShown);
    for (QChar &c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    if (name.size() <= kShown)
        return u'"' + s + u'"';
    return u"\"%1…\" (%2 Zeichen lang)"_qs.arg(s).arg(name.size());
}

bool recordFromJson(const QJsonObject &object, Record &record, QString &error, const QStringList &extraKeys)
{
    const RecordSchema &schema = record.schema();
    QSet<int> given;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString key = it.key();
        if (extraKeys.contains(key, Qt::CaseInsensitive))
            continue;
        const int index = schema.indexOf(key);
        if (index < 0) {
            error = u"Unbekanntes Feld %1."_qs.arg(shownName(key));
            return false;
        }
        if (given.contains(index)) {
            error = u"Feld \"%1\" ist mehrfach angegeben."_qs.arg(schema.field(index).name);
            return false;
        }
        given.insert(index);
        const FieldDef &def = schema.field(index);
        const QJsonValue v = it.value();
        if (v.isNull() || v.isUndefined()) {
            record.setValue(index, QVariant());
            continue;
        }
        bool ok = false;
        switch (def.type) {
        case FieldType::Float:
            if (v.isDouble() && !checkFieldLimit(def.name, v.toDouble(), error))
                return false;
            ok = v.isDouble() && record.setValue(index, v.toDouble());
            break;
        case FieldType::SmallInt:
        case FieldType::AutoInc: {
            const double d = v.toDouble();
            ok = v.isDouble() && std::trunc(d) == d && record.setValue(index, d);
            break;
        }
        case FieldType::Boolean:
            ok = v.isBool() && record.setValue(index, v.toBool());
            break;
        case FieldType::Graphic:
            ok = v.isString() && record.setValue(index, QByteArray::fromBase64(v.toString().toLatin1()));
            break;
        default:
            ok = v.isString() && record.setValue(index, v.toString());
            break;
        }
        if (!ok) {
            error = u"Ungültiger Wert für Feld \"%1\": erwartet wird %2."_qs.arg(def.name, typeWord(def));
            return false;
        }
    }
    return true;
}

QJsonObject recordToJson(const Record &record)
{
    QJsonObject out;
    const RecordSchema &schema = record.schema();
    for (int i = 0; i < schema.count(); ++i) {
        const QVariant v = record.value(i);
        if (!v.isValid())
            continue;
        const FieldDef &def = schema.field(i);
        switch (def.type) {
        case FieldType::Float: out.insert(def.name, v.toDouble()); break;
        case FieldType::SmallInt:
        case FieldType::AutoInc: out.insert(def.name, v.toInt()); break;
        case FieldType::Boolean: out.insert(def.name, v.toBool()); break;
        case FieldType::Graphic: out.insert(def.name, QString::fromLatin1(v.toByteArray().toBase64())); break;
        default: out.insert(def.name, v.toString()); break;
        }
    }
    return out;
}
