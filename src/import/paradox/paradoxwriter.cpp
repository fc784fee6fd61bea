#include "paradoxwriter.h"

#include "windows1252.h"
#include "paradoxstream.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kPointerSize = 10;

bool isBlobType(quint8 t)
{
    return t == paradoxtype::Memo || t == paradoxtype::FmtMemo || t == paradoxtype::Graphic || t == paradoxtype::Binary;
}

QByteArray bytesOf(const QVariant &v)
{
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    QByteArray bytes;
    windows1252::encode(v.toString(), &bytes);
    return bytes;
}

} // namespace

QVector<ParadoxColumn> ParadoxWriter::columnsFor(const RecordSchema &schema, int leader)
{
    QVector<ParadoxColumn> columns;
    for (const FieldDef &f : schema.fields()) {
        ParadoxColumn c{f.name, 0, 0};
        switch (f.type) {
        case FieldType::AutoInc: c.type = paradoxtype::AutoInc; c.length = 4; break;
        case FieldType::String: c.type = paradoxtype::Alpha; c.length = f.size; break;
        case FieldType::Float: c.type = paradoxtype::Number; c.length = 8; break;
        case FieldType::SmallInt: c.type = paradoxtype::Short; c.length = 2; break;
        case FieldType::Boolean: c.type = paradoxtype::Logical; c.length = 1; break;
        case FieldType::FmtMemo: c.type = paradoxtype::FmtMemo; c.length = leader + kPointerSize; break;
        case FieldType::Memo: c.type = paradoxtype::Memo; c.length = leader + kPointerSize; break;
        case FieldType::Graphic: c.type = paradoxtype::Graphic; c.length = kPointerSize; break;
        }
        columns.append(c);
    }
    return columns;
}

ParadoxWriter::ParadoxWriter(QString path, QVector<ParadoxColumn> columns, int codePage)
    : m_path(std::move(path)), m_columns(std::move(columns)), m_codePage(codePage)
{
}

ParadoxWriter::~ParadoxWriter()
{
    close();
}

bool ParadoxWriter::open()
{
    PX_boot();
    m_doc = PX_new();
    if (!m_doc)
        return false;
    // pxlib takes the field list over and frees it with the table.
    auto *fields = static_cast<pxfield_t *>(std::calloc(size_t(m_columns.size()), sizeof(pxfield_t)));
    for (int i = 0; i < m_columns.size(); ++i) {
        fields[i].px_fname = strdup(m_columns[i].name.toLatin1().constData());
        fields[i].px_ftype = char(m_columns[i].type);
        fields[i].px_flen = m_columns[i].length;
    }
    if (PX_create_file(m_doc, fields, m_columns.size(), m_path.toLocal8Bit().constData(), pxfFileTypNonIndexDB) < 0) {
        PX_delete(m_doc);
        m_doc = nullptr;
        return false;
    }
    m_doc->px_head->px_doscodepage = m_codePage;
    const bool memos = std::any_of(m_columns.begin(), m_columns.end(), [](const ParadoxColumn &c) { return isBlobType(c.type); });
    if (memos) {
        const QFileInfo fi(m_path);
        const QString mb = fi.path() + u'/' + fi.completeBaseName() + u".MB"_qs;
        m_blob = PX_new_blob(m_doc);
        if (!m_blob || PX_create_blob_file(m_blob, mb.toLocal8Bit().constData()) < 0)
            return false;
        m_doc->px_blob = m_blob;
    }
    m_record = QByteArray(PX_get_recordsize(m_doc), '\0');
    return true;
}

bool ParadoxWriter::add(const QVariantList &values)
{
    if (!m_doc || values.size() != m_columns.size())
        return false;
    m_record.fill('\0');
    char *data = m_record.data();
    for (int i = 0; i < m_columns.size(); ++i) {
        const ParadoxColumn &c = m_columns[i];
        const QVariant &v = values[i];
        if (v.isValid() && !v.isNull()) {
            switch (c.type) {
            case paradoxtype::Alpha: {
                QByteArray b = bytesOf(v);
                b.truncate(c.length);
                PX_put_data_alpha(m_doc, data, c.length, b.data());
                break;
            }
            case paradoxtype::Short: PX_put_data_short(m_doc, data, c.length, short(v.toInt())); break;
            case paradoxtype::Long:
            case paradoxtype::AutoInc: PX_put_data_long(m_doc, data, c.length, v.toInt()); break;
            case paradoxtype::Number:
            case paradoxtype::Currency: PX_put_data_double(m_doc, data, c.length, v.toDouble()); break;
            // pxlib writes a false logical as empty, so the byte is set here: 0x80 false, 0x81 true.
            case paradoxtype::Logical: *data = char(v.toBool() ? 0x81 : 0x80); break;
            default:
                if (isBlobType(c.type)) {
                    QByteArray b = bytesOf(v);
                    if (!b.isEmpty() && PX_put_data_blob(m_doc, data, c.length, b.data(), int(b.size())) < 0)
                        return false;
                }
                break;
            }
        }
        data += c.length;
    }
    return PX_put_record(m_doc, m_record.data()) >= 0;
}

bool ParadoxWriter::close()
{
    if (!m_doc)
        return true;
    if (m_blob)
        PX_close_blob(m_blob);
    PX_close(m_doc);
    PX_delete(m_doc);
    m_doc = nullptr;
    m_blob = nullptr;
    if (m_nextCounter < 0)
        return true;
    // pxlib does not write the counter into the header; it lies at 0x49.
    QFile f(m_path);
    char le[4];
    qToLittleEndian<qint32>(m_nextCounter, le);
    return f.open(QIODevice::ReadWrite) && f.seek(0x49) && f.write(le, 4) == 4;
}
