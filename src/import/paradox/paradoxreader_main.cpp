// ofenring-paradox-reader TABLE.DB
//
// Reads one table of the old Paradox format with pxlib and writes its header
// and records to standard output in the stream of paradoxstream.h.  The program
// runs this in a process of its own: pxlib aborts or loops forever on some
// damaged files, and that must end in a message, not take the program down.
// Memo fields are passed on as they stand in the record (leader and pointer);
// the program reads their text from the .MB file itself, because pxlib's own
// memo reading aborts.

#include "paradoxstream.h"

extern "C" {
#include <paradox.h>
}
#include <sys/stat.h>

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
    struct stat st {};
    if (stat(path, &st) != 0)
        return NotATable;

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

    // The file must be as long as its header says; a cut-off table would
    // otherwise be read with its last records missing or made of zeros.
    const long long blockSize = static_cast<long long>(head->px_maxtablesize) * 1024;
    const long long expected = head->px_headersize + static_cast<long long>(head->px_fileblocks) * blockSize;
    if (head->px_numrecords < 0 || head->px_headersize <= 0 || blockSize <= 0 || st.st_size < expected)
        return Truncated;

    const int fieldCount = PX_get_num_fields(doc);
    const pxfield_t *fields = PX_get_fields(doc);
    const int recordSize = PX_get_recordsize(doc);
    long long fieldBytes = 0;
    for (int i = 0; i < fieldCount; ++i)
        fieldBytes += fields[i].px_flen;
    if (fieldCount <= 0 || !fields || recordSize <= 0 || fieldBytes != recordSize)
        return NotATable;

    put(kMagic, kMagicLength);
    putLe<std::uint32_t>(static_cast<std::uint32_t>(head->px_numrecords));
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

    std::vector<char> record(static_cast<std::size_t>(recordSize));
    for (int r = 0; r < head->px_numrecords; ++r) {
        if (!PX_get_record(doc, r, record.data())) {
            putU8(kRecordFailed);
            putLe<std::uint32_t>(static_cast<std::uint32_t>(r));
            flushOut();
            return RecordUnreadable;
        }
        putU8(kRecord);
        int offset = 0;
        for (int i = 0; i < fieldCount; ++i) {
            putValue(doc, fields[i], record.data() + offset);
            offset += fields[i].px_flen;
        }
    }
    putU8(kEnd);
    flushOut();
    std::fflush(stdout);
    PX_close(doc);
    std::fclose(file);
    return 0;
}
