#pragma once

// The stream in which ofenring-paradox-reader hands the contents of one old
// table to the program.  All numbers little-endian.
//
//   magic "OFPX2\n"
//   u32 record count from the table header, u32 records the data blocks hold,
//   i32 code page, i32 next counter value,
//   u32 field count, then per field: u8 type, u32 length, u16 name length, name bytes
//   per record: 'R' and one value per field; a record that cannot be read: 'F', u32 number
//   at the end: 'E'
//
// A value is a tag byte followed by its data:
//   Null        nothing
//   Integer     i64
//   Double      8 bytes IEEE double
//   Boolean     u8 (0 or 1)
//   Bytes       u32 length, the bytes (texts in the table's code page, memo fields raw)
//   Unreadable  nothing (the table library could not decode the value)

#include <cstdint>

namespace paradoxstream {

inline constexpr char kMagic[] = "OFPX2\n";
inline constexpr int kMagicLength = 6;

enum Tag : std::uint8_t { Null = 0, Integer = 1, Double = 2, Boolean = 3, Bytes = 4, Unreadable = 5 };

inline constexpr char kRecord = 'R';
inline constexpr char kRecordFailed = 'F';
inline constexpr char kEnd = 'E';

// Exit codes of the reader besides 0.
enum Exit { Usage = 2, NotATable = 3, Truncated = 4, RecordUnreadable = 5, WriteFailed = 6, Damaged = 7, BadFields = 8 };

} // namespace paradoxstream

// Field types as the header of an old table stores them.
namespace paradoxtype {
enum : std::uint8_t {
    Alpha = 0x01, Date = 0x02, Short = 0x03, Long = 0x04, Currency = 0x05, Number = 0x06,
    Logical = 0x09, Memo = 0x0C, Binary = 0x0D, FmtMemo = 0x0E, Ole = 0x0F, Graphic = 0x10,
    Time = 0x14, Timestamp = 0x15, AutoInc = 0x16, Bcd = 0x17, FixedBytes = 0x18,
};
} // namespace paradoxtype
