#include "textlists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// Windows-1252 characters 0x80..0x9F; the rest of the code page is Latin-1.
// Unassigned positions (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls.
const char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

TextLists::TextLists(const QString &dataDir) : m_dataDir(dataDir), m_rooms(builtinRoomNames()) {}

QStringList TextLists::builtinRoomNames()
{
    return {u"Abstellkammer"_qs, u"Arbeitszimmer"_qs, u"Badezimmer"_qs, u"Büro"_qs,        u"Diele"_qs,
            u"Eßzimmer"_qs,      u"Flur"_qs,          u"Gäste- WC"_qs,  u"Gästezimmer"_qs, u"Hobbyraum"_qs,
            u"Kellerraum"_qs,    u"Kinderzimmer"_qs,  u"Küche"_qs,      u"Schlafzimmer"_qs, u"Toilette"_qs,
            u"Treppenhaus"_qs,   u"Vorratsraum"_qs,   u"Wohnzimmer"_qs};
}

QString TextLists::fileName(Kind kind)
{
    return kind == RoomNames ? u"raeume.txt"_qs : u"feuerst.txt"_qs;
}

QString TextLists::filePath(Kind kind) const
{
    return QDir(m_dataDir).filePath(fileName(kind));
}

QStringList TextLists::choices(Kind kind) const
{
    return kind == RoomNames ? m_rooms : m_appliances;
}

bool TextLists::load(Kind kind)
{
    QStringList lines;
    if (!readFile(filePath(kind), &lines))
        return false;
    (kind == RoomNames ? m_rooms : m_appliances) = lines;
    return true;
}

QStringList TextLists::editorLines(Kind kind) const
{
    QStringList lines;
    if (readFile(filePath(kind), &lines))
        return lines;
    return choices(kind);
}

bool TextLists::save(Kind kind, const QStringList &lines, Prompter *prompter)
{
    const QString path = filePath(kind);
    if (!writeFile(path, lines)) {
        if (prompter)
            prompter->tell(PromptKind::Error, u"Datei %1 kann nicht erstellt werden"_qs.arg(path));
        return false;
    }
    load(kind);
    return true;
}

QStringList TextLists::splitLines(const QString &text)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << line;
            line.clear();
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

bool TextLists::readFile(const QString &path, QStringList *lines)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    *lines = splitLines(decodeWindows1252(bytes));
    return true;
}

bool TextLists::writeFile(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &l : lines)
        bytes += encodeWindows1252(l) + "\r\n";
    // Written beside the old file and renamed over it, so a failed write
    // leaves the old list as it was.
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QString TextLists::decodeWindows1252(const QByteArray &bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (const char ch : bytes) {
        const uchar b = uchar(ch);
        s += (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return s;
}

QByteArray TextLists::encodeWindows1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += char(u);
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i)
            if (kHighControls[i] == u) {
                mapped = char(0x80 + i);
                break;
            }
        out += mapped;
    }
    return out;
}
