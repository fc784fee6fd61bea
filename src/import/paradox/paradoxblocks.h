#pragma once

// The data blocks of an old table (.DB), looked at before the table library
// is given the file.  The library follows the chain of data blocks without
// checking it and loops for ever on a chain that comes back on itself; and
// it takes the number of records from the header, which may be smaller than
// what the blocks hold.  So the chain is walked here first: every block must
// lie inside the file, none may come twice, and each block's record count
// must fit the record size and the block.  Plain C++ (no Qt): the reader
// helper uses it too.
//
// Header (little-endian): u16 record size at 0x00, u16 header size at 0x02,
// u8 file type at 0x04, u8 block size in kB at 0x05, u32 record count at
// 0x06, u16 blocks in use at 0x0C, u16 first data block at 0x0E, u16 last
// data block at 0x10, u32 encryption at 0x25 (FF00FF00 or 0: none), u8 file
// version at 0x39 and, from version 4.0 (5) on, a second u32 encryption at
// 0x5C (0: none).  The table library loops for ever on an encryption value
// it cannot use, so an encrypted table (or one whose header bytes there are
// damaged) is refused too.  Data block n (from 1) starts at header size +
// (n - 1) * block size with a 6-byte head: u16 next block (0 ends the
// chain), u16 previous block, s16 offset of its last record (record size
// times (records - 1); minus the record size for an empty block); the
// records follow the head.

#include <cstdint>
#include <string>
#include <vector>

namespace paradoxblocks {

struct Header {
    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    long long blockSize = 0;
    long long headerRecords = 0;  // as the header gives it
    int fileBlocks = 0;
    int firstBlock = 0;
    int lastBlock = 0;
};

struct Block {
    int number = 0;         // from 1
    long long offset = 0;   // of its head in the file
    int records = 0;
};

enum class Verdict {
    Sound,      // the chain can be followed; `records` counts what the blocks hold
    NotATable,  // no header of a data table
    Truncated,  // the file is shorter than its header says
    Damaged,    // see `damage` and `block`
};

enum class Damage {
    None,
    RecordTooLong,      // a record would not fit into a block
    OutsideFile,        // the chain names a block that does not lie (whole) in the file
    Cycle,              // the chain comes back to a block it already passed
    RecordCount,        // the block's record count does not fit the record size or the block
    Encrypted,          // the header gives an encryption (a password), or is damaged there
};

struct Scan {
    Verdict verdict = Verdict::NotATable;
    Damage damage = Damage::None;
    int block = 0;               // the block the damage was found at (0: none)
    Header header;
    std::vector<Block> chain;    // in chain order
    long long records = 0;       // held by the blocks of the chain
};

// Reads the header and walks the chain of data blocks of the file at `path`.
Scan scanFile(const char *path);

} // namespace paradoxblocks
