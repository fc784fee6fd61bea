#include "textlists.h"

#include "windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return !utf8.hasError();
}

// Control characters other than tab and the line ends mark a file that is no text.
bool isTextCharacter(char16_t c)
{
    return c >= 0x20 || c == u'\t' || c == u'\r' || c == u'\n';
}

QString refused(const QString &path, const QString &why)
{
    return u"Die Datei %1 %2 Sie wird nicht als Liste verwendet und bleibt unverändert."_qs.arg(path, why);
}

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
    const ListFile file = m_server ? readServer(kind) : readFile(filePath(kind));
    m_refusal[kind] = file.refusal;
    if (file.status != ListFile::Read)
        return false;
    (kind == RoomNames ? m_rooms : m_appliances) = file.lines;
    return true;
}

TextLists::ListFile TextLists::editorFile(Kind kind) const
{
    ListFile file = m_server ? readServer(kind) : readFile(filePath(kind));
    if (file.status == ListFile::Unreadable)
        file.lines = choices(kind);
    return file;
}

bool TextLists::save(Kind kind, const QStringList &lines, Prompter *prompter)
{
    if (m_server)
        return saveServer(kind, lines, prompter);
    const QString path = filePath(kind);
    const ListFile old = readFile(path);
    if (!writeFile(path, lines, old.status == ListFile::Read ? old.encoding : Encoding::Windows1252)) {
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

TextLists::ListFile TextLists::readFile(const QString &path)
{
    ListFile file;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return file;
    // Never more than the limit is read: a 50 MB file costs no memory.
    const QByteArray bytes = f.read(kMaxFileBytes + 1);
    if (f.error() != QFileDevice::NoError)
        return file;
    file.status = ListFile::Refused;
    if (bytes.size() > kMaxFileBytes || f.size() > kMaxFileBytes) {
        const double megabytes = double(qMax<qint64>(f.size(), bytes.size())) / (1024.0 * 1024.0);
        file.refusal = refused(path, u"ist mit %1 MB zu groß für eine Liste (höchstens 1 MB)."_qs
                                         .arg(QLocale(QLocale::German).toString(megabytes, 'f', 1)));
        return file;
    }

    QString text;
    bool decoded = true;
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        file.encoding = bytes.startsWith("\xff\xfe") ? Encoding::Utf16LE : Encoding::Utf16BE;
        QStringDecoder utf16(file.encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                             QStringConverter::Flag::Stateless);
        text = utf16.decode(bytes.mid(2));
        decoded = !utf16.hasError() && bytes.size() % 2 == 0;
    } else if (bytes.startsWith("\xef\xbb\xbf")) {
        file.encoding = Encoding::Utf8WithBom;
        text = QString::fromUtf8(bytes.mid(3));
        decoded = isValidUtf8(bytes.mid(3));
    } else if (isValidUtf8(bytes) && std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; })) {
        file.encoding = Encoding::Utf8;
        text = QString::fromUtf8(bytes);
    } else {
        text = decodeWindows1252(bytes);
    }
    if (!decoded || !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return isTextCharacter(c.unicode()); })) {
        file.refusal = refused(path, u"ist keine Textdatei."_qs);
        return file;
    }
    const QStringList lines = splitLines(text);
    if (lines.size() > kMaxEntries) {
        file.refusal = refused(path, u"hat mehr als %1 Zeilen."_qs.arg(QLocale(QLocale::German).toString(kMaxEntries)));
        return file;
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > kMaxEntryLength) {
            file.refusal = refused(path, u"hat in Zeile %1 mehr als %2 Zeichen."_qs.arg(i + 1).arg(
                                             QLocale(QLocale::German).toString(kMaxEntryLength)));
            return file;
        }
    }
    file.status = ListFile::Read;
    file.lines = lines;
    return file;
}

bool TextLists::writeFile(const QString &path, const QStringList &lines, Encoding encoding)
{
    QByteArray bytes;
    switch (encoding) {
    case Encoding::Windows1252:
        for (const QString &l : lines)
            bytes += encodeWindows1252(l) + "\r\n";
        break;
    case Encoding::Utf8:
    case Encoding::Utf8WithBom:
        if (encoding == Encoding::Utf8WithBom)
            bytes += "\xef\xbb\xbf";
        for (const QString &l : lines)
            bytes += l.toUtf8() + "\r\n";
        break;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        QString text;
        for (const QString &l : lines)
            text += l + u"\r\n"_qs;
        QStringEncoder utf16(encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                             QStringConverter::Flag::WriteBom);
        bytes = utf16.encode(text);
        break;
    }
    }
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
    return windows1252::decode(bytes);
}

QByteArray TextLists::encodeWindows1252(const QString &text)
{
    QByteArray out;
    windows1252::encode(text, &out);
    return out;
}
