#pragma once

#include "record.h"

#include <QJsonObject>
#include <QString>

// Installation records as JSON objects: keys are field names, values JSON
// numbers, booleans or strings; an absent key or null is an empty field.

// Fills `record` from `object`.  On an unknown field, a field given twice (in
// any spelling), a value of the wrong type or a number beyond the field's
// limit (fieldlimits.h) returns false and a German explanation in `error`.  Keys listed in
// `extraKeys` are not record fields and are skipped here.
bool recordFromJson(const QJsonObject &object, Record &record, QString &error,
                    const QStringList &extraKeys = {});

// Every field that holds a value, in the record's field order.
QJsonObject recordToJson(const Record &record);

// Parses standard input's text as one JSON object (strictly after RFC 8259);
// false and a German message otherwise.
bool parseJsonObject(const QByteArray &text, QJsonObject &object, QString &error);

// A name from the input as a message quotes it: at most 40 characters (a
// longer one is cut, with its length said), control characters shown as '?',
// so that a 10 MB name does not become 10 MB of error output.
QString shownName(const QString &name);
