#include "recordschema.h"

#include <algorithm>

namespace {

const QStringList kRoomKeys = {u"RA"_qs, u"R1"_qs, u"R2"_qs, u"R3"_qs,
                               u"R4"_qs, u"R5"_qs, u"R6"_qs, u"R7"_qs};

void add(std::vector<FieldDef> &f, const QString &name, FieldType type, int size = 0,
         DisplayFormat format = DisplayFormat::None)
{
    FieldDef d{name, type, size, format, {}, {}};
    if (type == FieldType::Float && format == DisplayFormat::None)
        d.format = DisplayFormat::OneDecimal;
    if (type == FieldType::Boolean) {
        d.trueText = u"Wahr"_qs;
        d.falseText = u"Falsch"_qs;
    }
    f.push_back(d);
}

void addBool(std::vector<FieldDef> &f, const QString &name, const QString &t, const QString &n)
{
    f.push_back(FieldDef{name, FieldType::Boolean, 0, DisplayFormat::None, t, n});
}

// A series of eight (RA..R7) or seven (R1..R7) fields, spelled one by one because
// their case is not regular (R1TOF but R2tof).
void addSeries(std::vector<FieldDef> &f, const QStringList &names, FieldType type, int size = 0,
               DisplayFormat format = DisplayFormat::None)
{
    for (const QString &n : names)
        add(f, n, type, size, format);
}

std::vector<FieldDef> installationFields()
{
    using T = FieldType;
    using D = DisplayFormat;
    std::vector<FieldDef> f;
    add(f, u"Lfd"_qs, T::AutoInc);
    add(f, u"A_Name"_qs, T::String, 30);
    add(f, u"A_zusatz"_qs, T::String, 30);
    add(f, u"A_gebteil"_qs, T::String, 30);
    add(f, u"A_strasse"_qs, T::String, 30);
    add(f, u"A_Plz"_qs, T::String, 7);
    add(f, u"A_Ort"_qs, T::String, 30);
    add(f, u"E_anrede"_qs, T::String, 30);
    add(f, u"E_Name"_qs, T::String, 30);
    add(f, u"E_zusatz"_qs, T::String, 30);
    add(f, u"E_strasse"_qs, T::String, 30);
    add(f, u"E_plz"_qs, T::String, 7);
    add(f, u"E_tel"_qs, T::String, 30);
    add(f, u"E_fax"_qs, T::String, 30);
    add(f, u"E_ort"_qs, T::String, 30);
    addSeries(f, kRoomKeys, T::String, 30);
    add(f, u"R1VR"_qs, T::Boolean);
    add(f, u"R2VR"_qs, T::Boolean);
    addSeries(f, {u"RAV"_qs, u"R1V"_qs, u"R2V"_qs, u"R3V"_qs, u"R4V"_qs, u"R5V"_qs, u"R6V"_qs, u"R7V"_qs}, T::Float);
    addSeries(f, {u"RAN"_qs, u"R1N"_qs, u"R2N"_qs, u"R3N"_qs, u"R4N"_qs, u"R5N"_qs, u"R6N"_qs, u"R7N"_qs}, T::Float);
    addSeries(f, {u"RAArt"_qs, u"R1art"_qs, u"R2art"_qs, u"R3art"_qs, u"R4art"_qs, u"R5art"_qs, u"R6art"_qs, u"R7art"_qs},
              T::String, 15);
    for (const QString &n : {u"RATOF"_qs, u"R1TOF"_qs, u"R2tof"_qs, u"R3tof"_qs, u"R4tof"_qs, u"R5tof"_qs, u"R6tof"_qs,
                             u"R7tof"_qs})
        addBool(f, n, u"ja"_qs, u"nein"_qs);
    addSeries(f, {u"R1oeff"_qs, u"R2oeff"_qs, u"R3oeff"_qs, u"R4oeff"_qs, u"R5oeff"_qs, u"R6oeff"_qs, u"R7oeff"_qs},
              T::SmallInt);
    addSeries(f, {u"R1Vmit"_qs, u"R2vmit"_qs, u"R3vmit"_qs, u"R4vmit"_qs, u"R5vmit"_qs, u"R6vmit"_qs, u"R7vmit"_qs},
              T::SmallInt);
    addSeries(f, {u"RAQl"_qs, u"R1Ql"_qs, u"R2ql"_qs, u"R3ql"_qs, u"R4ql"_qs, u"R5ql"_qs, u"R6ql"_qs, u"R7ql"_qs}, T::Float);
    addSeries(f, {u"Rarv"_qs, u"R1Rv"_qs, u"R2rv"_qs, u"R3rv"_qs, u"R4rv"_qs, u"R5rv"_qs, u"R6rv"_qs, u"R7rv"_qs}, T::Float);
    add(f, u"Qlansum"_qs, T::Float);
    add(f, u"Bschutz"_qs, T::Boolean);
    add(f, u"Vortrag"_qs, T::Float, 0, D::General);
    add(f, u"Sz1"_qs, T::Boolean);
    add(f, u"Sz2"_qs, T::Boolean);
    add(f, u"Bemerkung"_qs, T::FmtMemo);
    add(f, u"Zeichnung"_qs, T::Graphic);
    add(f, u"Skizze"_qs, T::Memo);
    add(f, u"Skizzedrucken"_qs, T::Boolean);
    add(f, u"Okraum1"_qs, T::SmallInt);
    add(f, u"Okqs1"_qs, T::Float, 0, D::TwoDecimals);
    add(f, u"Okqn1"_qs, T::Float);
    add(f, u"Gerechnet"_qs, T::Boolean);
    add(f, u"Vsum"_qs, T::Float);
    add(f, u"Psum"_qs, T::Float);
    add(f, u"Pzusatz"_qs, T::Float);
    add(f, u"VKQmode"_qs, T::Boolean);
    addSeries(f, {u"Ral"_qs, u"R1l"_qs, u"R2l"_qs, u"R3l"_qs, u"R4l"_qs, u"R5l"_qs, u"R6l"_qs, u"R7l"_qs}, T::Float, 0,
              D::General);
    addSeries(f, {u"Rab"_qs, u"R1b"_qs, u"R2b"_qs, u"R3b"_qs, u"R4b"_qs, u"R5b"_qs, u"R6b"_qs, u"R7b"_qs}, T::Float, 0,
              D::General);
    addSeries(f, {u"Rah"_qs, u"R1h"_qs, u"R2h"_qs, u"R3h"_qs, u"R4h"_qs, u"R5h"_qs, u"R6h"_qs, u"R7h"_qs}, T::Float, 0,
              D::General);
    add(f, u"Okll"_qs, T::Boolean);
    add(f, u"OkllP"_qs, T::Float);
    add(f, u"OkllLaenge"_qs, T::Float);
    add(f, u"Okllform"_qs, T::SmallInt);
    add(f, u"OkllS"_qs, T::Float);
    add(f, u"Okllu45"_qs, T::SmallInt);
    add(f, u"Okllu90"_qs, T::SmallInt);
    add(f, u"Okllstats"_qs, T::Float);
    add(f, u"Okunversorgt"_qs, T::Float);
    add(f, u"Modus"_qs, T::SmallInt);
    add(f, u"Hrleistung"_qs, T::Float);
    add(f, u"Hrvolumen"_qs, T::Float);
    add(f, u"Hrbreite"_qs, T::Float);
    add(f, u"Hrlaenge"_qs, T::Float);
    add(f, u"Hrhoehe"_qs, T::Float);
    add(f, u"Hrnrvolumen"_qs, T::Float);
    add(f, u"Hrll"_qs, T::SmallInt);
    add(f, u"Hrloeff"_qs, T::Boolean);
    add(f, u"HrloeffS"_qs, T::Float, 0, D::TwoDecimals);
    add(f, u"Hrlllaenge"_qs, T::Float);
    add(f, u"HrllS"_qs, T::Float);
    add(f, u"Hrllu45"_qs, T::SmallInt);
    add(f, u"Hrllu90"_qs, T::SmallInt);
    add(f, u"Hrllgitter"_qs, T::SmallInt);
    add(f, u"Hrlllaenge2"_qs, T::Float);
    add(f, u"Hrlls2"_qs, T::Float);
    add(f, u"Hrllu452"_qs, T::SmallInt);
    add(f, u"Hrllu902"_qs, T::SmallInt);
    add(f, u"Hrllgitter2"_qs, T::SmallInt);
    add(f, u"Hrllanzahl"_qs, T::SmallInt);
    add(f, u"Hrloeffs2"_qs, T::Float, 0, D::TwoDecimals);
    add(f, u"Hrllname"_qs, T::String, 15);
    add(f, u"Hrllname2"_qs, T::String, 15);
    add(f, u"Hrnrvorhanden"_qs, T::Boolean);
    add(f, u"Hrnrloeff"_qs, T::SmallInt);
    for (const QString &n : {u"Hrnrsz1"_qs, u"Hrsz1"_qs, u"Hrsz1insfreie"_qs, u"Hrnrzuluft"_qs})
        addBool(f, n, u"JA"_qs, u"NEIN"_qs);
    return f;
}

} // namespace

RecordSchema::RecordSchema(std::vector<FieldDef> fields) : m_fields(std::move(fields))
{
    m_sortedLower.reserve(m_fields.size());
    for (int i = 0; i < count(); ++i)
        m_sortedLower.emplace_back(m_fields[size_t(i)].name.toLower(), i);
    std::sort(m_sortedLower.begin(), m_sortedLower.end());
}

const RecordSchema &RecordSchema::installation()
{
    static const RecordSchema schema(installationFields());
    return schema;
}

int RecordSchema::indexOf(const QString &name) const
{
    const QString key = name.toLower();
    auto it = std::lower_bound(m_sortedLower.begin(), m_sortedLower.end(), key,
                               [](const std::pair<QString, int> &e, const QString &k) { return e.first < k; });
    if (it != m_sortedLower.end() && it->first == key)
        return it->second;
    return -1;
}

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc: return u"AutoInc"_qs;
    case FieldType::String: return u"String"_qs;
    case FieldType::Float: return u"Float"_qs;
    case FieldType::SmallInt: return u"SmallInt"_qs;
    case FieldType::Boolean: return u"Boolean"_qs;
    case FieldType::FmtMemo: return u"FmtMemo"_qs;
    case FieldType::Memo: return u"Memo"_qs;
    case FieldType::Graphic: return u"Graphic"_qs;
    }
    return {};
}
