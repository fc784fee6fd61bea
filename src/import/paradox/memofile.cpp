#include "memofile.h"

#include <QtEndian>

namespace {

constexpr uchar kHeaderBlock = 0;
constexpr uchar kSingleMemoBlock = 2;
constexpr uchar kSharedBlock = 3;
constexpr int kSingleHeadSize = 9;
constexpr int kEntryTableStart = 12;
constexpr int kEntrySize = 5;
constexpr int kEntries = 64;
constexpr int kSharedDataStart = kEntryTableStart + kEntries * kEntrySize;  // 332
constexpr quint32 kSingleMemoEntry = 0xFF;

} // namespace

bool MemoFile::open(const QString &path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = u"Die Memodatei \"%1\" kann nicht gelesen werden: %2"_qs.arg(path, m_file.errorString());
        return false;
    }
    m_size = m_file.size();
    if (m_size > 0) {
        m_data = m_file.map(0, m_size);
        if (!m_data) {
            m_copy = m_file.readAll();
            if (m_copy.size() != m_size) {
                m_error = u"Die Memodatei \"%1\" kann nicht gelesen werden: %2"_qs.arg(path, m_file.errorString());
                m_copy.clear();
                return false;
            }
            m_data = reinterpret_cast<const uchar *>(m_copy.constData());
        }
    }
    if (m_size < kBlockSize || m_data[0] != kHeaderBlock) {
        m_error = u"Die Datei \"%1\" ist keine Memodatei einer alten Tabelle."_qs.arg(path);
        m_data = nullptr;
        return false;
    }
    return true;
}

MemoFile::Value MemoFile::damaged(const QString &problem) const
{
    return {Status::Damaged, {}, problem};
}

MemoFile::Value MemoFile::read(const QByteArray &field) const
{
    if (field.size() < kPointerSize)
        return damaged(u"das Memofeld ist zu kurz"_qs);
    const qsizetype leader = field.size() - kPointerSize;
    const auto *p = reinterpret_cast<const uchar *>(field.constData()) + leader;
    const quint32 pointer = qFromLittleEndian<quint32>(p);
    const quint32 length = qFromLittleEndian<quint32>(p + 4);
    if (length == 0)
        return {};
    if (length <= quint32(leader))
        return {Status::Ok, field.left(qsizetype(length)), {}};
    if (pointer == 0)
        return damaged(u"der Verweis in die Memodatei fehlt"_qs);
    if (!m_data)
        return {Status::NeedsFile, {}, {}};

    const qint64 block = qint64(pointer & ~quint32(0xFF));
    const quint32 entry = pointer & 0xFF;
    if (block < kBlockSize || block >= m_size)
        return damaged(u"der Verweis zeigt außerhalb der Memodatei"_qs);
    const uchar *b = m_data + block;
    const qint64 room = m_size - block;  // bytes from the block to the end of the file

    if (entry == kSingleMemoEntry) {
        if (room < kSingleHeadSize || b[0] != kSingleMemoBlock)
            return damaged(u"der Block in der Memodatei ist von anderer Art"_qs);
        const quint16 chunks = qFromLittleEndian<quint16>(b + 1);
        const quint32 stored = qFromLittleEndian<quint32>(b + 3);
        if (stored != length || qint64(kSingleHeadSize) + length > qint64(chunks) * kBlockSize)
            return damaged(u"die Länge in der Memodatei stimmt nicht"_qs);
        if (qint64(kSingleHeadSize) + length > room)
            return damaged(u"die Memodatei ist abgeschnitten"_qs);
        return {Status::Ok, QByteArray(reinterpret_cast<const char *>(b + kSingleHeadSize), qsizetype(length)), {}};
    }

    if (entry >= kEntries || room < kSharedDataStart || b[0] != kSharedBlock)
        return damaged(u"der Block in der Memodatei ist von anderer Art"_qs);
    const uchar *e = b + kEntryTableStart + entry * kEntrySize;
    const qint64 start = qint64(e[0]) * 16;
    const quint32 steps = e[1];
    const quint32 rest = e[4];
    // The length is kept as 16-byte steps plus the bytes of the last step;
    // a last step that is full counts as 16 (or 0 with one step more).
    const bool lengthMatches = steps > 0 && ((steps - 1) * 16 + rest == length || (rest == 0 && steps * 16 == length));
    if (e[0] == 0 || !lengthMatches)
        return damaged(u"die Länge in der Memodatei stimmt nicht"_qs);
    if (start < kSharedDataStart || start + length > kBlockSize)
        return damaged(u"der Eintrag in der Memodatei zeigt außerhalb seines Blocks"_qs);
    if (start + length > room)
        return damaged(u"die Memodatei ist abgeschnitten"_qs);
    return {Status::Ok, QByteArray(reinterpret_cast<const char *>(b + start), qsizetype(length)), {}};
}
