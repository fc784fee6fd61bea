#include "record.h"

#include "numberformat.h"

#include <QtGlobal>
#include <cmath>

Record::Record(const RecordSchema &schema) : m_schema(&schema), m_values(size_t(schema.count())) {}

Record Record::newInstallation()
{
    Record r;
    r.applyInstallationDefaults();
    return r;
}

void Record::applyInstallationDefaults()
{
    static const char *const numberSeries[] = {
        "RAN", "R1N", "R2N", "R3N", "R4N", "R5N", "R6N", "R7N",
        "RAV", "R1V", "R2V", "R3V", "R4V", "R5V", "R6V", "R7V",
        "RAQl", "R1Ql", "R2ql", "R3ql", "R4ql", "R5ql", "R6ql", "R7ql",
        "Rarv", "R1Rv", "R2rv", "R3rv", "R4rv", "R5rv", "R6rv", "R7rv",
    };
    for (const char *n : numberSeries)
        setNumber(QString::fromLatin1(n), 0.0);
    for (const char *n : {"RATOF", "R1TOF", "R2tof", "R3tof", "R4tof", "R5tof", "R6tof", "R7tof"})
        setBoolean(QString::fromLatin1(n), false);
    // R1 can only ever be joined with RA; without this the check would report
    // "no connected room" for every R1 that is given an opening.
    setInteger(u"R1Vmit"_qs, 1);
}

int Record::require(const QString &name) const
{
    const int i = m_schema->indexOf(name);
    Q_ASSERT_X(i >= 0, "Record", qPrintable(u"unknown field "_qs + name));
    return i;
}

bool Record::isNull(const QString &name) const
{
    const int i = m_schema->indexOf(name);
    return i < 0 || isNull(i);
}

QVariant Record::value(const QString &name) const
{
    const int i = m_schema->indexOf(name);
    return i < 0 ? QVariant() : m_values[size_t(i)];
}

double Record::number(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        return 0.0;
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1.0 : 0.0;
    return v.toDouble();
}

int Record::integer(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return int(std::trunc(v.toDouble()));
    return v.toInt();
}

bool Record::boolean(const QString &name) const
{
    const QVariant v = value(name);
    return v.isValid() && v.toBool();
}

QString Record::text(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid())
        return {};
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    return displayText(name);
}

QVariant convertToFieldType(const FieldDef &def, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    bool ok = true;
    switch (def.type) {
    case FieldType::String: {
        QString s = value.toString();
        if (def.size > 0 && s.size() > def.size)
            s.truncate(def.size);
        return s;
    }
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return value.toString();
    case FieldType::Graphic:
        return value.toByteArray();
    case FieldType::Float: {
        const double d = value.toDouble(&ok);
        return ok && std::isfinite(d) ? QVariant(d) : QVariant();
    }
    case FieldType::SmallInt: {
        double d = value.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return {};
        d = std::trunc(d);
        if (d < -32768.0 || d > 32767.0)
            return {};
        return int(d);
    }
    case FieldType::AutoInc: {
        const qlonglong n = value.toLongLong(&ok);
        if (!ok || n < INT_MIN || n > INT_MAX)
            return {};
        return int(n);
    }
    case FieldType::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed().toLower();
            if (s == u"true"_qs || s == u"wahr"_qs || s == u"ja"_qs || s == u"1"_qs)
                return true;
            if (s == u"false"_qs || s == u"falsch"_qs || s == u"nein"_qs || s == u"0"_qs)
                return false;
            return {};
        }
        return value.toBool();
    }
    return {};
}

bool Record::setValue(const QString &name, const QVariant &value)
{
    const int i = m_schema->indexOf(name);
    return i >= 0 && setValue(i, value);
}

bool Record::setValue(int index, const QVariant &value)
{
    if (index < 0 || index >= m_schema->count())
        return false;
    if (!value.isValid() || value.isNull()) {
        m_values[size_t(index)] = QVariant();
        return true;
    }
    const QVariant converted = convertToFieldType(m_schema->field(index), value);
    if (!converted.isValid())
        return false;
    m_values[size_t(index)] = converted;
    return true;
}

QString Record::displayText(const QString &name) const
{
    const int i = m_schema->indexOf(name);
    return i < 0 ? QString() : displayText(i);
}

QString Record::displayText(int index) const
{
    const QVariant &v = m_values[size_t(index)];
    if (!v.isValid())
        return {};
    const FieldDef &def = m_schema->field(index);
    switch (def.type) {
    case FieldType::Float:
        switch (def.format) {
        case DisplayFormat::TwoDecimals: return numfmt::fixed(v.toDouble(), 2);
        case DisplayFormat::General: return numfmt::general(v.toDouble());
        default: return numfmt::fixed(v.toDouble(), 1);
        }
    case FieldType::Boolean:
        return v.toBool() ? def.trueText : def.falseText;
    case FieldType::SmallInt:
    case FieldType::AutoInc:
        return QString::number(v.toInt());
    case FieldType::Graphic:
        return u"(Graphic)"_qs;
    default:
        return v.toString();
    }
}

bool Record::operator==(const Record &other) const
{
    if (m_schema != other.m_schema)
        return false;
    for (size_t i = 0; i < m_values.size(); ++i) {
        const QVariant &a = m_values[i];
        const QVariant &b = other.m_values[i];
        if (a.isValid() != b.isValid())
            return false;
        if (a.isValid() && a != b)
            return false;
    }
    return true;
}
