#include "roomvolume.h"

#include "numberformat.h"

#include <cmath>

namespace roomvolume {

QString volumeText(const QString &length, const QString &width, const QString &height)
{
    double l = 0.0, b = 0.0, h = 0.0;
    if (!numfmt::parse(length, &l) || !numfmt::parse(width, &b) || !numfmt::parse(height, &h))
        return {};
    const double volume = l * b * h;
    if (!std::isfinite(volume))
        return {};  // overflowing dimensions give no volume, as a non-number does
    return numfmt::fixed(volume, 1);
}

QString dimensionFieldName(QChar roomKey, QChar dimension)
{
    const RecordSchema &schema = RecordSchema::installation();
    const int index = schema.indexOf(u"R"_qs + roomKey + dimension);
    return index < 0 ? QString() : schema.field(index).name;
}

std::optional<RoomFields> roomFields(QChar roomKey)
{
    const QChar key = roomKey.toUpper();
    if (key != u'A' && (key < u'1' || key > u'7'))
        return std::nullopt;
    const RecordSchema &schema = RecordSchema::installation();
    const int volume = schema.indexOf(u"R"_qs + key + u'V');
    RoomFields f{schema.field(volume).name, dimensionFieldName(key, u'l'), dimensionFieldName(key, u'b'),
                 dimensionFieldName(key, u'h')};
    return f;
}

RoomFields installationRoomFields()
{
    return {u"Hrvolumen"_qs, u"Hrlaenge"_qs, u"Hrbreite"_qs, u"Hrhoehe"_qs};
}

QString offeredDimension(const Record &record, const QString &field)
{
    if (record.isNull(field))
        return {};
    return numfmt::general(record.number(field));
}

QString offeredHeight(const Record &record, const QString &heightField, double defaultHeight)
{
    const double stored = record.number(heightField);
    return numfmt::general(stored > kHeightThreshold ? stored : defaultHeight);
}

} // namespace roomvolume
