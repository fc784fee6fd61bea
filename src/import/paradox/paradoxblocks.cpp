#include "paradoxblocks.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace paradoxblocks {

namespace {

constexpr int kHeaderBytes = 0x78;   // the part of the header read here
constexpr int kBlockHead = 6;

unsigned le16(const unsigned char *p)
{
    return unsigned(p[0]) | unsigned(p[1]) << 8;
}

unsigned long le32(const unsigned char *p)
{
    return (unsigned long)le16(p) | (unsigned long)le16(p + 2) << 16;
}

bool readAt(int fd, long long offset, unsigned char *buffer, size_t n)
{
    size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, buffer + got, n - got, off_t(offset + (long long)got));
        if (r <= 0)
            return false;
        got += size_t(r);
    }
    return true;
}

Scan damaged(Scan s, Damage damage, int block)
{
    s.verdict = Verdict::Damaged;
    s.damage = damage;
    s.block = block;
    return s;
}

} // namespace

Scan scanFile(const char *path)
{
    Scan s;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return s;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return s;
    const long long size = st.st_size;
    unsigned char h[kHeaderBytes];
    if (size < kHeaderBytes || !readAt(fd, 0, h, sizeof h))
        return s;

    Header &hd = s.header;
    hd.recordSize = int(le16(h));
    hd.headerSize = int(le16(h + 0x02));
    hd.fileType = h[0x04];
    const int kb = h[0x05];
    hd.blockSize = (long long)kb * 1024;
    hd.headerRecords = (long long)le32(h + 0x06);
    hd.fileBlocks = int(le16(h + 0x0C));
    hd.firstBlock = int(le16(h + 0x0E));
    hd.lastBlock = int(le16(h + 0x10));
    const bool knownBlockSize = kb == 1 || kb == 2 || kb == 3 || kb == 4 || kb == 8 || kb == 16 || kb == 32;
    if ((hd.fileType != 0 && hd.fileType != 2) || !knownBlockSize || hd.recordSize <= 0
        || hd.headerSize < kHeaderBytes)
        return s;
    if (size < hd.headerSize + (long long)hd.fileBlocks * hd.blockSize) {
        s.verdict = Verdict::Truncated;
        return s;
    }
    const unsigned long encryption = le32(h + 0x25);
    const int version = h[0x39];
    if ((encryption != 0 && encryption != 0xFF00FF00ul) || (version >= 5 && le32(h + 0x5C) != 0))
        return damaged(s, Damage::Encrypted, 0);
    if (hd.recordSize > hd.blockSize - kBlockHead)
        return damaged(s, Damage::RecordTooLong, 0);

    // Block numbers are 16 bits wide: a chain longer than that has come back.
    const long long blocksInFile = (size - hd.headerSize) / hd.blockSize;
    std::vector<bool> seen(65536, false);
    for (int b = hd.firstBlock; b != 0;) {
        if (b > blocksInFile)
            return damaged(s, Damage::OutsideFile, b);
        if (seen[size_t(b)])
            return damaged(s, Damage::Cycle, b);
        seen[size_t(b)] = true;
        Block block;
        block.number = b;
        block.offset = hd.headerSize + (long long)(b - 1) * hd.blockSize;
        unsigned char head[kBlockHead];
        if (!readAt(fd, block.offset, head, sizeof head))
            return damaged(s, Damage::OutsideFile, b);
        const int next = int(le16(head));
        const int lastOffset = int(int16_t(le16(head + 4)));
        // The offset of the last record, in whole records, with room for it in the block.
        const long long used = (long long)lastOffset + hd.recordSize;
        if (used < 0 || used % hd.recordSize != 0 || used > hd.blockSize - kBlockHead)
            return damaged(s, Damage::RecordCount, b);
        block.records = int(used / hd.recordSize);
        s.records += block.records;
        s.chain.push_back(block);
        b = next;
    }
    s.verdict = Verdict::Sound;
    return s;
}

} // namespace paradoxblocks
