#include "paradoxtable.h"

#include "codepage.h"
#include "controlchars.h"
#include "paradoxblocks.h"
#include "paradoxstream.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

namespace {

constexpr char kReaderName[] = "ofenring-paradox-reader";
// What is kept of the reader's messages; a damaged file may make the table
// library repeat itself for every record.
constexpr qsizetype kMessageBytes = 64 * 1024;

// Why the chain of data blocks cannot be followed, in German.
QString damageText(const paradoxblocks::Scan &scan, const QString &file)
{
    using paradoxblocks::Damage;
    const QString start = u"Die Tabelle \"%1\" ist beschädigt: "_qs.arg(file);
    const QString end = u" Sie wird nicht gelesen."_qs;
    switch (scan.damage) {
    case Damage::RecordTooLong:
        return start + u"ihre Datensätze (%1 Bytes) passen in keinen Datenblock (%2 Bytes)."_qs.arg(scan.header.recordSize)
                           .arg(scan.header.blockSize) + end;
    case Damage::OutsideFile:
        return start + u"die Kette ihrer Datenblöcke verweist auf den Block %1, der nicht in der Datei liegt."_qs.arg(scan.block) + end;
    case Damage::Cycle:
        return start + u"die Kette ihrer Datenblöcke kehrt beim Block %1 zu sich selbst zurück."_qs.arg(scan.block) + end;
    case Damage::RecordCount:
        return start + u"die Zahl der Datensätze im Datenblock %1 passt nicht zur Länge eines Datensatzes."_qs.arg(scan.block) + end;
    case Damage::Encrypted:
        return u"Die Tabelle \"%1\" ist mit einem Kennwort verschlüsselt, oder ihr Kopf ist beschädigt. Sie kann nicht gelesen werden."_qs.arg(file);
    case Damage::None:
        break;
    }
    return start + u"die Kette ihrer Datenblöcke lässt sich nicht verfolgen."_qs + end;
}

} // namespace

ParadoxTable::ParadoxTable(QString path) : m_path(std::move(path)) {}

ParadoxTable::~ParadoxTable()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool ParadoxTable::looksLikeParadox(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(0x58);
    if (h.size() < 0x58 || h.startsWith("SQLite format 3"))
        return false;
    const auto *d = reinterpret_cast<const uchar *>(h.constData());
    const quint16 recordSize = qFromLittleEndian<quint16>(d);
    const quint16 headerSize = qFromLittleEndian<quint16>(d + 2);
    const uchar fileType = d[4];
    const uchar blockKb = d[5];
    const quint16 fieldCount = qFromLittleEndian<quint16>(d + 0x21);
    // A data table (keyed or not), a block size Paradox knows, a header of whole
    // 2 kB steps and at least one field.
    return (fileType == 0 || fileType == 2) && (blockKb == 1 || blockKb == 2 || blockKb == 3 || blockKb == 4
                                                || blockKb == 8 || blockKb == 16 || blockKb == 32)
        && headerSize >= 0x800 && headerSize % 0x800 == 0 && recordSize > 0 && fieldCount > 0
        && f.size() >= headerSize;
}

int ParadoxTable::recordsInBlocks(const QString &path)
{
    const paradoxblocks::Scan scan = paradoxblocks::scanFile(QFile::encodeName(path).constData());
    return int(qMin<long long>(scan.verdict == paradoxblocks::Verdict::Sound ? scan.records : scan.header.headerRecords,
                               INT_MAX));
}

QString ParadoxTable::readerProgram()
{
    if (QCoreApplication::instance()) {
        // Installed, it lives in the program's library directory,
        // <prefix>/lib/ofenring beside <prefix>/bin; an older installation
        // kept it beside the program.
        const QDir bin(QCoreApplication::applicationDirPath());
        for (const QString &path : {bin.filePath(u"../lib/ofenring/"_qs + QString::fromLatin1(kReaderName)),
                                    bin.filePath(QString::fromLatin1(kReaderName))}) {
            if (QFileInfo(path).isExecutable())
                return QDir::cleanPath(path);
        }
    }
    return QStringLiteral(OFENRING_PARADOX_READER);
}

bool ParadoxTable::open()
{
    m_error.clear();
    const QString file = QDir::toNativeSeparators(m_path);
    const paradoxblocks::Scan scan = paradoxblocks::scanFile(QFile::encodeName(m_path).constData());
    switch (scan.verdict) {
    case paradoxblocks::Verdict::NotATable:
        m_error = u"Die Datei \"%1\" ist keine lesbare Paradox-Tabelle."_qs.arg(file);
        return false;
    case paradoxblocks::Verdict::Truncated:
        m_error = u"Die Tabelle \"%1\" ist unvollständig: die Datei ist kürzer, als ihr Kopf angibt."_qs.arg(file);
        return false;
    case paradoxblocks::Verdict::Damaged:
        m_error = damageText(scan, file);
        return false;
    case paradoxblocks::Verdict::Sound:
        break;
    }
    const QString program = readerProgram();
    if (!QFileInfo(program).isExecutable()) {
        m_error = u"Das Hilfsprogramm \"%1\" zum Lesen alter Tabellen fehlt."_qs.arg(program);
        return false;
    }
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.start(program, {m_path}, QIODevice::ReadOnly);
    if (!m_process.waitForStarted(m_timeout)) {
        m_error = u"Das Hilfsprogramm \"%1\" zum Lesen alter Tabellen kann nicht gestartet werden."_qs.arg(program);
        return false;
    }
    using namespace paradoxstream;
    if (!need(kMagicLength + 16) || std::memcmp(m_buffer.constData() + m_pos, kMagic, kMagicLength) != 0)
        return fail();
    m_pos += kMagicLength;
    if (!need(4))
        return fail();
    m_headerCount = int(qMin<quint32>(u32(), INT_MAX));
    m_recordCount = int(u32());
    m_codePage = int(qint32(u32()));
    m_nextCounter = int(qint32(u32()));
    const quint32 count = u32();
    if (m_recordCount < 0 || count == 0 || count > 1024)
        return fail();
    const CodePage names(m_codePage);
    for (quint32 i = 0; i < count; ++i) {
        if (!need(7))
            return fail();
        ParadoxField f;
        f.type = u8();
        f.length = int(u32());
        const quint16 n = u16();
        if (!need(n))
            return fail();
        f.name = names.decode(bytes(n));
        m_fields.append(f);
    }
    return true;
}

bool ParadoxTable::next(QVector<ParadoxValue> &values)
{
    using namespace paradoxstream;
    if (m_done || !m_error.isEmpty())
        return false;
    if (!need(1))
        return fail();
    const char mark = char(u8());
    if (mark == kEnd) {
        m_done = true;
        m_process.waitForFinished(m_timeout);
        if (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0 || m_read != m_recordCount)
            return fail();
        return false;
    }
    if (mark == kRecordFailed) {
        const quint32 number = need(4) ? u32() : quint32(m_read);
        m_error = u"Der Datensatz %1 der Tabelle \"%2\" kann nicht gelesen werden; die Tabelle ist beschädigt."_qs
                      .arg(number + 1)
                      .arg(QDir::toNativeSeparators(m_path));
        return false;
    }
    if (mark != kRecord || m_read >= m_recordCount)
        return fail();
    values.resize(m_fields.size());
    for (ParadoxValue &v : values) {
        if (!need(1))
            return fail();
        v.kind = ParadoxValue::Kind(u8());
        switch (v.kind) {
        case ParadoxValue::Null:
        case ParadoxValue::Unreadable:
            break;
        case ParadoxValue::Integer:
            if (!need(8))
                return fail();
            v.integer = i64();
            break;
        case ParadoxValue::Double: {
            if (!need(8))
                return fail();
            const quint64 raw = quint64(i64());
            std::memcpy(&v.real, &raw, sizeof raw);
            break;
        }
        case ParadoxValue::Boolean:
            if (!need(1))
                return fail();
            v.integer = u8();
            break;
        case ParadoxValue::Bytes: {
            if (!need(4))
                return fail();
            const quint32 n = u32();
            if (n > (1u << 30) || !need(qsizetype(n)))
                return fail();
            v.bytes = bytes(qsizetype(n));
            break;
        }
        default:
            return fail();
        }
    }
    ++m_read;
    return true;
}

// Waits until n more bytes of the stream are at hand.
bool ParadoxTable::need(qsizetype n)
{
    while (m_buffer.size() - m_pos < n) {
        if (m_pos > (1 << 20)) {
            m_buffer.remove(0, m_pos);
            m_pos = 0;
        }
        takeReaderMessages();
        const QByteArray more = m_process.readAllStandardOutput();
        if (!more.isEmpty()) {
            m_buffer += more;
            continue;
        }
        if (m_process.state() == QProcess::NotRunning)
            return false;
        if (!m_process.waitForReadyRead(m_timeout) && m_process.state() != QProcess::NotRunning) {
            // No sign of progress: the reader is caught in the damaged file.
            m_hung = true;
            m_process.kill();
            m_process.waitForFinished(5000);
            return false;
        }
    }
    return true;
}

// Turns an end of the stream before its time into the reason, in German.
bool ParadoxTable::fail()
{
    using namespace paradoxstream;
    if (m_process.state() != QProcess::NotRunning && !m_hung)
        m_process.waitForFinished(m_timeout);
    const QString file = QDir::toNativeSeparators(m_path);
    const bool exited = !m_hung && m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit;
    const int code = exited ? m_process.exitCode() : -1;
    takeReaderMessages();
    if (code == NotATable)
        m_error = u"Die Datei \"%1\" ist keine lesbare Paradox-Tabelle."_qs.arg(file);
    else if (code == Truncated)
        m_error = u"Die Tabelle \"%1\" ist unvollständig: die Datei ist kürzer, als ihr Kopf angibt."_qs.arg(file);
    else if (code == BadFields)
        m_error = u"Die Tabelle \"%1\" ist beschädigt: die Länge eines ihrer Felder passt nicht zu seinem Typ."_qs.arg(file);
    else if (m_hung)
        m_error = u"Die Tabelle \"%1\" ist beschädigt; das Lesen blieb stehen und musste abgebrochen werden."_qs.arg(file);
    else
        m_error = u"Die Tabelle \"%1\" ist beschädigt; das Lesen musste abgebrochen werden."_qs.arg(file);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    return false;
}

void ParadoxTable::takeReaderMessages()
{
    const QByteArray more = m_process.readAllStandardError();
    if (m_messages.size() < kMessageBytes)
        m_messages += more.left(kMessageBytes - m_messages.size());
}

QStringList ParadoxTable::readerMessages()
{
    takeReaderMessages();
    QStringList lines;
    for (const QByteArray &line : m_messages.split('\n')) {
        const QString text = controlchars::oneLine(QString::fromUtf8(line));
        if (!text.isEmpty() && !lines.contains(text))
            lines << text;
    }
    return lines;
}

quint8 ParadoxTable::u8()
{
    return quint8(m_buffer.at(m_pos++));
}

quint16 ParadoxTable::u16()
{
    const auto v = qFromLittleEndian<quint16>(m_buffer.constData() + m_pos);
    m_pos += 2;
    return v;
}

quint32 ParadoxTable::u32()
{
    const auto v = qFromLittleEndian<quint32>(m_buffer.constData() + m_pos);
    m_pos += 4;
    return v;
}

qint64 ParadoxTable::i64()
{
    const auto v = qFromLittleEndian<qint64>(m_buffer.constData() + m_pos);
    m_pos += 8;
    return v;
}

QByteArray ParadoxTable::bytes(qsizetype n)
{
    QByteArray b = m_buffer.mid(m_pos, n);
    m_pos += n;
    return b;
}
