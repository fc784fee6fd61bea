#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The installation record's fields: one declaration per field, in the order the
// table and the overview use.  Everything that needs a field list (SQL, field
// access by name, JSON, display) reads it from here.

enum class FieldType {
    AutoInc,   // 32-bit key assigned by the store on the first save
    String,    // single-byte text of at most `size` characters
    Float,     // 64-bit double
    SmallInt,  // 16-bit signed integer
    Boolean,
    FmtMemo,   // formatted (rich) text
    Memo,      // plain multi-line text
    Graphic,   // picture as binary data
};

enum class DisplayFormat {
    None,        // texts, integers, memos: shown as they are
    OneDecimal,  // "0.0"
    TwoDecimals, // "0.00"
    General,     // no fixed pattern (room dimensions, carry-over)
};

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0;  // String(n): n; 0 otherwise
    DisplayFormat format = DisplayFormat::None;
    QString trueText;   // Boolean only
    QString falseText;  // Boolean only
};

class RecordSchema {
public:
    // The installation record's schema, built once.
    static const RecordSchema &installation();

    explicit RecordSchema(std::vector<FieldDef> fields);

    int count() const { return int(m_fields.size()); }
    const FieldDef &field(int index) const { return m_fields[size_t(index)]; }
    const std::vector<FieldDef> &fields() const { return m_fields; }

    // Index of a field, names matched without regard to case; -1 when unknown.
    int indexOf(const QString &name) const;
    bool contains(const QString &name) const { return indexOf(name) >= 0; }

private:
    std::vector<FieldDef> m_fields;
    std::vector<std::pair<QString, int>> m_sortedLower;  // lower-case name -> index
};

QString fieldTypeName(FieldType type);
