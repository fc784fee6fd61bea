#include "strictjson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <cstring>

namespace {

class Reader {
public:
    explicit Reader(const QByteArray &text) : m_text(text) {}

    bool document(QJsonValue &value)
    {
        // A byte order mark may open UTF-8 text (RFC 8259, 8.1).
        if (m_text.startsWith("\xef\xbb\xbf"))
            m_pos = 3;
        skipSpace();
        if (!parseValue(value, 0))
            return false;
        skipSpace();
        if (m_pos < m_text.size())
            return fail(u"nach dem JSON-Wert folgt noch Text"_qs);
        return true;
    }

    QString error() const { return m_error; }
    qsizetype errorPosition() const { return m_errorPos; }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    bool fail(const QString &what)
    {
        if (m_error.isEmpty()) {
            m_error = what;
            m_errorPos = m_pos;
        }
        return false;
    }
    bool failUnexpected()
    {
        return atEnd() ? fail(u"die Eingabe endet vorzeitig"_qs) : fail(u"unerwartetes Zeichen"_qs);
    }

    void skipSpace()
    {
        while (!atEnd()) {
            const char c = m_text[m_pos];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                break;
            ++m_pos;
        }
    }

    bool literal(const char *word, const QJsonValue &v, QJsonValue &out)
    {
        const qsizetype n = qsizetype(qstrlen(word));
        if (m_text.mid(m_pos, n) != word)
            return failUnexpected();
        m_pos += n;
        out = v;
        return true;
    }

    bool parseValue(QJsonValue &out, int depth)
    {
        switch (peek()) {
        case '{': return parseObject(out, depth + 1);
        case '[': return parseArray(out, depth + 1);
        case '"': {
            QString s;
            if (!parseString(s))
                return false;
            out = s;
            return true;
        }
        case 't': return literal("true", true, out);
        case 'f': return literal("false", false, out);
        case 'n': return literal("null", QJsonValue(QJsonValue::Null), out);
        default:
            // ".5" and "+1" are numbers to a reader, but not in JSON.
            if (peek() == '-' || peek() == '.' || peek() == '+' || (peek() >= '0' && peek() <= '9'))
                return parseNumber(out);
            return failUnexpected();
        }
    }

    bool parseObject(QJsonValue &out, int depth)
    {
        if (depth > kMaxJsonDepth)
            return fail(u"zu tief verschachtelt (höchstens %1 Ebenen)"_qs.arg(kMaxJsonDepth));
        ++m_pos;  // '{'
        QJsonObject object;
        QSet<QString> names;
        skipSpace();
        if (peek() == '}') {
            ++m_pos;
            out = object;
            return true;
        }
        while (true) {
            skipSpace();
            if (peek() != '"')
                return atEnd() ? failUnexpected() : fail(u"ein Name in Anführungszeichen wird erwartet"_qs);
            const qsizetype namePos = m_pos;
            QString name;
            if (!parseString(name))
                return false;
            if (names.contains(name)) {
                m_pos = namePos;
                return fail(u"ein Name kommt im selben Objekt zweimal vor"_qs);
            }
            names.insert(name);
            skipSpace();
            if (peek() != ':')
                return atEnd() ? failUnexpected() : fail(u"ein Doppelpunkt wird erwartet"_qs);
            ++m_pos;
            skipSpace();
            QJsonValue v;
            if (!parseValue(v, depth))
                return false;
            object.insert(name, v);
            skipSpace();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == '}') {
                ++m_pos;
                out = object;
                return true;
            }
            return atEnd() ? failUnexpected() : fail(u"ein Komma oder \"}\" wird erwartet"_qs);
        }
    }

    bool parseArray(QJsonValue &out, int depth)
    {
        if (depth > kMaxJsonDepth)
            return fail(u"zu tief verschachtelt (höchstens %1 Ebenen)"_qs.arg(kMaxJsonDepth));
        ++m_pos;  // '['
        QJsonArray array;
        skipSpace();
        if (peek() == ']') {
            ++m_pos;
            out = array;
            return true;
        }
        while (true) {
            skipSpace();
            QJsonValue v;
            if (!parseValue(v, depth))
                return false;
            array.append(v);
            skipSpace();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == ']') {
                ++m_pos;
                out = array;
                return true;
            }
            return atEnd() ? failUnexpected() : fail(u"ein Komma oder \"]\" wird erwartet"_qs);
        }
    }

    bool digits()
    {
        const qsizetype start = m_pos;
        while (peek() >= '0' && peek() <= '9')
            ++m_pos;
        return m_pos > start;
    }

    // -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    bool parseNumber(QJsonValue &out)
    {
        const qsizetype start = m_pos;
        const auto bad = [&] {
            m_pos = start;
            return fail(u"ungültige Zahl (erlaubt sind Zahlen wie 12, -0.5 oder 1.5e3)"_qs);
        };
        if (peek() == '-')
            ++m_pos;
        if (peek() == '.' || peek() == '+')
            return bad();
        if (peek() == '0') {
            ++m_pos;
            if (peek() >= '0' && peek() <= '9')
                return bad();   // a leading zero
        } else if (!digits()) {
            return bad();       // "-", "-.5"
        }
        if (peek() == '.') {
            ++m_pos;
            if (!digits())
                return bad();   // "1.", "1.e5"
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_pos;
            if (peek() == '+' || peek() == '-')
                ++m_pos;
            if (!digits())
                return bad();
        }
        bool ok = false;
        const double v = m_text.mid(start, m_pos - start).toDouble(&ok);
        if (!ok || !std::isfinite(v)) {
            m_pos = start;
            return fail(u"die Zahl ist zu groß, um dargestellt zu werden"_qs);
        }
        out = v;
        return true;
    }

    static int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // Four hex digits after "\u"; m_pos stands on the backslash.
    bool unicodeEscape(char16_t &unit)
    {
        if (m_pos + 6 > m_text.size() || m_text[m_pos + 1] != 'u')
            return fail(u"ungültige Escape-Sequenz in einer Zeichenkette"_qs);
        int v = 0;
        for (int i = 2; i < 6; ++i) {
            const int d = hexDigit(m_text[m_pos + i]);
            if (d < 0)
                return fail(u"ungültige Escape-Sequenz in einer Zeichenkette"_qs);
            v = v * 16 + d;
        }
        unit = char16_t(v);
        m_pos += 6;
        return true;
    }

    // A UTF-8 sequence starting at m_pos, appended to s.
    bool utf8Character(QString &s)
    {
        const uchar lead = uchar(m_text[m_pos]);
        int length = 0;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return fail(u"die Eingabe ist kein gültiges UTF-8"_qs);
        }
        if (m_pos + length > m_text.size())
            return fail(u"die Eingabe ist kein gültiges UTF-8"_qs);
        for (int i = 1; i < length; ++i) {
            const uchar c = uchar(m_text[m_pos + i]);
            if ((c & 0xC0) != 0x80)
                return fail(u"die Eingabe ist kein gültiges UTF-8"_qs);
            code = (code << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF))
            || (code >= 0xD800 && code <= 0xDFFF))
            return fail(u"die Eingabe ist kein gültiges UTF-8"_qs);
        s += QString::fromUcs4(&code, 1);
        m_pos += length;
        return true;
    }

    bool parseString(QString &s)
    {
        ++m_pos;  // opening quote
        while (true) {
            if (atEnd())
                return fail(u"eine Zeichenkette ist nicht abgeschlossen"_qs);
            const uchar c = uchar(m_text[m_pos]);
            if (c == '"') {
                ++m_pos;
                return true;
            }
            if (c < 0x20)
                return fail(u"Steuerzeichen in einer Zeichenkette (als Escape-Sequenz wie \\n schreiben)"_qs);
            if (c >= 0x80) {
                if (!utf8Character(s))
                    return false;
                continue;
            }
            if (c != '\\') {
                s += QChar(c);
                ++m_pos;
                continue;
            }
            if (m_pos + 1 >= m_text.size())
                return fail(u"eine Zeichenkette ist nicht abgeschlossen"_qs);
            const char e = m_text[m_pos + 1];
            const char *simple = "\"\\/bfnrt";
            const char *meaning = "\"\\/\b\f\n\r\t";
            if (const char *hit = e ? std::strchr(simple, e) : nullptr) {
                s += QChar(meaning[hit - simple]);
                m_pos += 2;
                continue;
            }
            char16_t unit = 0;
            if (!unicodeEscape(unit))
                return false;
            if (QChar::isLowSurrogate(unit))
                return fail(u"ein \\u-Ersatzzeichen steht ohne sein Gegenstück"_qs);
            if (QChar::isHighSurrogate(unit)) {
                char16_t low = 0;
                if (m_text.mid(m_pos, 2) != "\\u" || !unicodeEscape(low) || !QChar::isLowSurrogate(low))
                    return fail(u"ein \\u-Ersatzzeichen steht ohne sein Gegenstück"_qs);
                s += QChar(unit);
                s += QChar(low);
                continue;
            }
            s += QChar(unit);
        }
    }

    const QByteArray &m_text;
    qsizetype m_pos = 0;
    QString m_error;
    qsizetype m_errorPos = 0;
};

} // namespace

bool parseStrictJson(const QByteArray &text, QJsonValue &value, QString &error)
{
    Reader reader(text);
    if (reader.document(value))
        return true;
    error = u"Die Eingabe ist kein gültiges JSON (Byte %1: %2)."_qs.arg(reader.errorPosition() + 1).arg(reader.error());
    return false;
}
