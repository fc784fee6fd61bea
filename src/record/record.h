#pragma once

#include "recordschema.h"

#include <QVariant>
#include <vector>

// One row of a table described by a RecordSchema, held in memory.  Every field
// may be empty; reading an empty field yields 0, false or "".  Values are kept
// in the field's own type: double for Float, int for SmallInt and AutoInc, bool
// for Boolean, QString for texts and memos, QByteArray for pictures.
class Record {
public:
    explicit Record(const RecordSchema &schema = RecordSchema::installation());

    // A new installation record with the defaults a freshly inserted row gets.
    static Record newInstallation();
    // Writes those defaults into this record (used by the store after insert).
    void applyInstallationDefaults();

    const RecordSchema &schema() const { return *m_schema; }

    bool hasField(const QString &name) const { return m_schema->contains(name); }
    bool isNull(const QString &name) const;
    bool isNull(int index) const { return !m_values[size_t(index)].isValid(); }

    // The stored value, or an invalid QVariant for an empty field.
    QVariant value(const QString &name) const;
    QVariant value(int index) const { return m_values[size_t(index)]; }

    double number(const QString &name) const;   // Float, SmallInt, AutoInc; 0 when empty
    int integer(const QString &name) const;     // SmallInt, AutoInc; Float truncated; 0 when empty
    bool boolean(const QString &name) const;    // false when empty
    QString text(const QString &name) const;    // String, Memo, FmtMemo; "" when empty

    // Sets a field; the value is converted to the field's type and String(n)
    // values are cut to n characters.  An invalid QVariant empties the field.
    // Returns false for an unknown field or a value that does not convert.
    bool setValue(const QString &name, const QVariant &value);
    bool setValue(int index, const QVariant &value);
    void setNumber(const QString &name, double v) { setValue(name, v); }
    void setInteger(const QString &name, int v) { setValue(name, v); }
    void setBoolean(const QString &name, bool v) { setValue(name, v); }
    void setText(const QString &name, const QString &v) { setValue(name, v); }
    void clear(const QString &name) { setValue(name, QVariant()); }

    // The field's text as the pages and the overview show it: German decimals
    // after the field's display format, the Boolean texts of the field, "" when empty.
    QString displayText(const QString &name) const;
    QString displayText(int index) const;

    bool operator==(const Record &other) const;
    bool operator!=(const Record &other) const { return !(*this == other); }

private:
    int require(const QString &name) const;

    const RecordSchema *m_schema;
    std::vector<QVariant> m_values;
};

// A field value converted to the field's type; invalid when it does not convert.
QVariant convertToFieldType(const FieldDef &def, const QVariant &value);
