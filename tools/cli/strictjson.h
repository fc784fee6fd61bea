#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>

// A JSON reader that takes exactly the grammar of RFC 8259 and nothing more:
// numbers like "-0.5e3" but not ".5", "1.", "-.5", "1.e5" or "01"; only the
// escapes \" \\ \/ \b \f \n \r \t and \uXXXX (surrogates in pairs); no raw
// control characters inside strings; UTF-8 text; no name twice in one object;
// nothing after the value but white space.  Qt's own reader lets several of
// these through and explains its errors in English.
//
// On success `value` holds the document; otherwise `error` says in German what
// is wrong and at which byte (counted from 1).  Nesting deeper than
// kMaxJsonDepth is refused, so that no input can exhaust the stack.
constexpr int kMaxJsonDepth = 64;

bool parseStrictJson(const QByteArray &text, QJsonValue &value, QString &error);
