// ofenring-paradox-reader TABLE.DB
//
// Reads one table of the old Paradox format with pxlib and writes its header
// and records to standard output in the stream of paradoxstream.h.  The program
// runs this in a process of its own: pxlib aborts or loops forever on some
// damaged files, and that must end in a message, not take the program down.
// Memo fields are passed on as they stand in the record (leader and pointer);
// the program reads their text from the .MB file itself, because pxlib's own
// memo reading aborts.
//
// The chain of data blocks is walked and checked before pxlib opens the file
// (paradoxblocks.h), and the records are taken from the blocks of that chain,
// every record each block holds: the header's record count may be smaller than
// what the blocks hold, and pxlib would stop at the header's number.  pxlib
// decodes the values of each record.  What pxlib says about the file goes to
// standard error, which the program passes on into its report.

#include "paradoxblocks.h"
#include "paradoxstream.h"

extern "C" {
#include <paradox.h>
}
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace paradoxstream;

std::string g_out;

void flushOut()
{
    if (!g_out.empty() && std::fwrite(g_out.data(), 1, g_out.size(), stdout) != g_out.size())
        std::exit(WriteFailed);
    g_out.clear();
}

void put(const void *data, std::size_t n)
{
    g_out.append(static_cast<const char *>(data), n);
    if (g_out.size() > (1u << 16))
        flushOut();
}

template <typename T> void putLe(T v)
{
    unsigned char b[sizeof(T)];
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T); ++i)
        b[i] = static_cast<unsigned char>(u >> (8 * i));
    put(b, sizeof(T));
}

void putU8(std::uint8_t v) { put(&v, 1); }

void putBytes(const char *data, std::size_t n)
{
    putU8(Bytes);
    putLe<std::uint32_t>(static_cast<std::uint32_t>(n));
    put(data, n);
}

void putInteger(std::int64_t v)
{
    putU8(Integer);
    putLe<std::int64_t>(v);
}

// Whether a field's length is one its type can have.  pxlib decodes a value
// by its type alone and writes past its buffers when the header gives a
// length that does not belong to the type.
bool lengthFitsType(const pxfield_t &field)
{
    const int len = field.px_flen;
    switch (static_cast<std::uint8_t>(field.px_ftype)) {
    case paradoxtype::Alpha: return len >= 1 && len <= 255;
    case paradoxtype::Short: return len == 2;
    case paradoxtype::Long:
    case paradoxtype::AutoInc:
    case paradoxtype::Date:
    case paradoxtype::Time: return len == 4;
    case paradoxtype::Number:
    case paradoxtype::Currency:
    case paradoxtype::Timestamp: return len == 8;
    case paradoxtype::Logical: return len == 1;
    default: return len >= 1;   // passed on as they stand, never decoded by pxlib
    }
}

void reportError(pxdoc_t *, int, const char *message, void *)
{
    std::fprintf(stderr, "pxlib: %s\n", message);
}

// One field of a record, decoded by pxlib where that is safe.
void putValue(pxdoc_t *doc, const pxfield_t &field, char *data)
{
    const int len = field.px_flen;
    int ret = 0;
    switch (static_cast<std::uint8_t>(field.px_ftype)) {
    case paradoxtype::Alpha: {
        char *text = nullptr;
        ret = PX_get_data_alpha(doc, data, len, &text);
        if (ret > 0 && text) {
            putBytes(text, std::strlen(text));
            doc->free(doc, text);
            return;
        }
        break;
    }
    case paradoxtype::Short: {
        short v = 0;
        if ((ret = PX_get_data_short(doc, data, len, &v)) > 0)
            return putInteger(v);
        break;
    }
    case paradoxtype::Long:
    case paradoxtype::AutoInc: {
        long v = 0;
        if ((ret = PX_get_data_long(doc, data, len, &v)) > 0)
            return putInteger(v);
        break;
    }
    case paradoxtype::Number:
    case paradoxtype::Currency: {
        double v = 0;
        if ((ret = PX_get_data_double(doc, data, len, &v)) > 0) {
            putU8(Double);
            putLe<double>(v);
            return;
        }
        break;
    }
    case paradoxtype::Logical: {
        char v = 0;
        ret = PX_get_data_byte(doc, data, len, &v);
        if (ret > 0) {
            if (v != 0 && v != 1) {
                putU8(Unreadable);
                return;
            }
            putU8(Boolean);
            putU8(static_cast<std::uint8_t>(v));
            return;
        }
        break;
    }
    default:
        // Memo, picture and every other kind: the field's bytes as stored.
        putBytes(data, static_cast<std::size_t>(len));
        return;
    }
    putU8(ret == 0 ? Null : Unreadable);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Aufruf: ofenring-paradox-reader TABELLE.DB\n");
        return Usage;
    }
    const char *path = argv[1];

    // pxlib gets only a file whose chain of data blocks can be followed.
    const paradoxblocks::Scan scan = paradoxblocks::scanFile(path);
    switch (scan.verdict) {
    case paradoxblocks::Verdict::NotATable: return NotATable;
    case paradoxblocks::Verdict::Truncated: return Truncated;
    case paradoxblocks::Verdict::Damaged: return Damaged;
    case paradoxblocks::Verdict::Sound: break;
    }

    PX_boot();
    pxdoc_t *doc = PX_new();
    if (!doc)
        return NotATable;
    doc->errorhandler = reportError;
    // Opened for reading only: PX_open_file would ask for write access, which
    // fails on a read-only medium and is never needed here.
    FILE *file = std::fopen(path, "rb");
    if (!file || PX_open_fp(doc, file) < 0)
        return NotATable;
    const pxhead_t *head = doc->px_head;

    const int fieldCount = PX_get_num_fields(doc);
    const pxfield_t *fields = PX_get_fields(doc);
    const int recordSize = PX_get_recordsize(doc);
    long long fieldBytes = 0;
    for (int i = 0; i < fieldCount; ++i)
        fieldBytes += fields[i].px_flen;
    if (fieldCount <= 0 || !fields || recordSize <= 0 || fieldBytes != recordSize
        || recordSize != scan.header.recordSize)
        return NotATable;
    for (int i = 0; i < fieldCount; ++i)
        if (!lengthFitsType(fields[i]))
            return BadFields;

    put(kMagic, kMagicLength);
    putLe<std::uint32_t>(static_cast<std::uint32_t>(scan.header.headerRecords));
    putLe<std::uint32_t>(static_cast<std::uint32_t>(scan.records));
    putLe<std::int32_t>(head->px_doscodepage);
    putLe<std::int32_t>(head->px_autoinc);
    putLe<std::uint32_t>(static_cast<std::uint32_t>(fieldCount));
    for (int i = 0; i < fieldCount; ++i) {
        const char *name = fields[i].px_fname ? fields[i].px_fname : "";
        const std::size_t n = std::strlen(name);
        putU8(static_cast<std::uint8_t>(fields[i].px_ftype));
        putLe<std::uint32_t>(static_cast<std::uint32_t>(fields[i].px_flen));
        putLe<std::uint16_t>(static_cast<std::uint16_t>(n));
        put(name, n);
    }
    flushOut();

    // Every record of every block of the chain, in chain order.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    std::vector<char> block(static_cast<std::size_t>(scan.header.blockSize));
    std::uint32_t r = 0;
    for (const paradoxblocks::Block &b : scan.chain) {
        const ssize_t got = fd < 0 ? -1 : ::pread(fd, block.data(), block.size(), static_cast<off_t>(b.offset));
        if (got < 6 + static_cast<ssize_t>(b.records) * recordSize) {
            putU8(kRecordFailed);
            putLe<std::uint32_t>(r);
            flushOut();
            return RecordUnreadable;
        }
        for (int i = 0; i < b.records; ++i, ++r) {
            char *record = block.data() + 6 + static_cast<std::size_t>(i) * static_cast<std::size_t>(recordSize);
            putU8(kRecord);
            int offset = 0;
            for (int f = 0; f < fieldCount; ++f) {
                putValue(doc, fields[f], record + offset);
                offset += fields[f].px_flen;
            }
        }
    }
    putU8(kEnd);
    flushOut();
    std::fflush(stdout);
    if (fd >= 0)
        ::close(fd);
    PX_close(doc);
    std::fclose(file);
    return 0;
}
