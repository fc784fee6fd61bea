#pragma once

#include "record.h"

#include <QJsonObject>
#include <QString>

// Installation records as JSON objects: keys are field names, values JSON
// numbers, booleans or strings; an absent key or null is an empty field.

// Fills `record` from `object`.  On an unknown field or a value of the wrong
// type returns false and a German explanation in `error`.  Keys listed in
// `extraKeys` are not record fields and are skipped here.
bool recordFromJson(const QJsonObject &object, Record &record, QString &error,
                    const QStringList &extraKeys = {});

// Every field that holds a value, in the record's field order.
QJsonObject recordToJson(const Record &record);

// Parses standard input's text as one JSON object; false and a German message otherwise.
bool parseJsonObject(const QByteArray &text, QJsonObject &object, QString &error);
