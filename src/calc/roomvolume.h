#pragma once

#include "record.h"

#include <QString>
#include <optional>

// Room volume from length, width and height, and the record fields a room keeps
// its dimensions in.  The volume dialog fills its edits with offeredLength(),
// offeredWidth() and offeredHeight(), shows volumeText() on every change, and on
// OK writes the volume text into the room's volume field and the three typed
// dimensions into its dimension fields.

namespace roomvolume {

// Used when the settings file holds no default room height.
constexpr double kDefaultRoomHeight = 2.7;

// The highest room height taken as a default from the settings file, in m:
// above it (or at 0 and below) the value is no room height and 2.7 holds.
constexpr double kMaxRoomHeight = 100.0;

// True for a height above 0 and at most kMaxRoomHeight.
constexpr bool isPlausibleRoomHeight(double height)
{
    return height > 0.0 && height <= kMaxRoomHeight;
}

// A stored height counts only above this (an empty height counts as 0).
constexpr double kHeightThreshold = 0.001;

// Volume = length × width × height as one-decimal text with decimal comma
// ("35,0"); empty when any of the three texts is not a number.
QString volumeText(const QString &length, const QString &width, const QString &height);

// The record fields of one room: its volume and its three dimensions, spelled
// as the record spells them.
struct RoomFields {
    QString volume, length, width, height;
};

// Room keys: 'A' for RA, '1'..'7' for R1..R7 (case does not matter).  The
// dimension fields are "R" + key + l/b/h, matched against the record's fields
// without regard to case (RAl finds Ral).  Nothing for another key.
std::optional<RoomFields> roomFields(QChar roomKey);

// The installation room of the installation-room mode: Hrvolumen, Hrlaenge,
// Hrbreite, Hrhoehe.
RoomFields installationRoomFields();

// The name of one dimension field ('l', 'b' or 'h') of a room, as the record
// spells it; empty when there is no such field.
QString dimensionFieldName(QChar roomKey, QChar dimension);

// Text offered for a stored length or width: the field's value in general
// number format, "" when the field is empty.
QString offeredDimension(const Record &record, const QString &field);

// Text offered for the height: the stored height when above 0.001 m, otherwise
// the default room height, both in general number format (2.7 gives "2,7").
QString offeredHeight(const Record &record, const QString &heightField,
                      double defaultHeight = kDefaultRoomHeight);

} // namespace roomvolume
