#include "settingsfile.h"

#include "windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>


namespace {

bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    return !utf8.hasError();
}

// One line of a byte-oriented file.  A line that is valid UTF-8 is read as
// UTF-8, any other as Windows-1252: a file that an older program wrote in
// Windows-1252 and a newer one extended in UTF-8 reads right in both parts.
QString decodeLine(const QByteArray &raw)
{
    return isUtf8(raw) ? QString::fromUtf8(raw) : windows1252::decode(raw);
}

// "[name]" (blanks around allowed) -> name; empty when the line is no section header.
QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(u'[') && t.endsWith(u']'))
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

QString keyName(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return {};
    const QString k = line.left(eq).trimmed();
    if (k.startsWith(u';'))
        return {};
    return k;
}

} // namespace

bool SettingsFile::load()
{
    m_lines.clear();
    m_raw.clear();
    m_error.clear();
    m_unread = false;
    m_changed = false;
    m_encoding = Encoding::Utf8;
    m_byteOrderMark = false;
    m_lineEnd = "\n";
    m_finalLineEnd = true;
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_error = f.errorString();
        m_unread = QFileInfo::exists(m_path);
        return false;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        m_error = f.errorString();
        m_unread = true;
        return false;
    }

    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        // UTF-16 (with its byte order mark): read and written whole.
        m_encoding = bytes.startsWith("\xff\xfe") ? Encoding::Utf16LE : Encoding::Utf16BE;
        m_byteOrderMark = true;
        QStringDecoder decoder(m_encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        const QString text = decoder(bytes.mid(2));
        const qsizetype cr = text.indexOf(u'\r'), lf = text.indexOf(u'\n');
        m_lineEnd = cr >= 0 && (lf < 0 || cr < lf) ? (lf == cr + 1 ? "\r\n" : "\r") : "\n";
        QString normal = text;
        normal.replace(u"\r\n"_qs, u"\n"_qs);
        normal.replace(u'\r', u'\n');
        m_lines = normal.split(u'\n');
        m_finalLineEnd = normal.isEmpty() || normal.endsWith(u'\n');
        if (m_finalLineEnd)
            m_lines.removeLast();
        for (qsizetype i = 0; i < m_lines.size(); ++i)
            m_raw << std::nullopt;
        return true;
    }

    if (bytes.startsWith("\xef\xbb\xbf")) {
        m_byteOrderMark = true;
        bytes.remove(0, 3);
    }
    m_encoding = m_byteOrderMark || isUtf8(bytes) ? Encoding::Utf8 : Encoding::Windows1252;
    const qsizetype cr = bytes.indexOf('\r'), lf = bytes.indexOf('\n');
    if (cr >= 0 && (lf < 0 || cr < lf))
        m_lineEnd = lf == cr + 1 ? "\r\n" : "\r";

    // Each line keeps its bytes, so that a line nobody changes is written
    // back exactly as it was read.
    qsizetype begin = 0;
    while (begin < bytes.size()) {
        qsizetype end = begin;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArray raw = bytes.mid(begin, end - begin);
        m_raw << raw;
        m_lines << decodeLine(raw);
        if (end >= bytes.size()) {
            m_finalLineEnd = false;
            break;
        }
        begin = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return true;
}

QByteArray SettingsFile::encoded() const
{
    if (m_encoding == Encoding::Utf16LE || m_encoding == Encoding::Utf16BE) {
        QString text = m_lines.join(QString::fromLatin1(m_lineEnd));
        if (m_finalLineEnd && !m_lines.isEmpty())
            text += QString::fromLatin1(m_lineEnd);
        QStringEncoder encoder(m_encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::WriteBom);
        return encoder(text);
    }
    QByteArray bytes = m_byteOrderMark ? QByteArray("\xef\xbb\xbf") : QByteArray();
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (i > 0)
            bytes += m_lineEnd;
        if (m_raw[i]) {
            bytes += *m_raw[i];
            continue;
        }
        // A changed line in the file's own encoding; a character that
        // Windows-1252 lacks makes that one line UTF-8 rather than being lost.
        QByteArray line;
        if (m_encoding != Encoding::Windows1252 || !windows1252::encode(m_lines[i], &line))
            line = m_lines[i].toUtf8();
        bytes += line;
    }
    if (m_finalLineEnd && !m_lines.isEmpty())
        bytes += m_lineEnd;
    return bytes;
}

bool SettingsFile::save()
{
    m_error.clear();
    if (m_unread) {
        m_error = u"Die vorhandene Datei kann nicht gelesen werden und wird nicht überschrieben"_qs;
        return false;
    }
    // Nothing changed: the file stays as it is, untouched.
    if (!m_changed)
        return true;
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        m_error = u"Verzeichnis kann nicht angelegt werden"_qs;
        return false;
    }
    const QByteArray bytes = encoded();
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) {
        m_error = f.errorString();
        return false;
    }
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        m_error = f.errorString();
        f.cancelWriting();
        return false;
    }
    m_changed = false;
    return true;
}

int SettingsFile::findSection(const QString &section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString name = sectionName(m_lines[i]);
        if (!name.isEmpty() && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int SettingsFile::findKey(int sectionLine, const QString &key) const
{
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        if (!sectionName(m_lines[i]).isEmpty())
            break;
        if (keyName(m_lines[i]).compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int SettingsFile::sectionEnd(int sectionLine) const
{
    int end = sectionLine + 1;
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        if (!sectionName(m_lines[i]).isEmpty())
            break;
        if (!m_lines[i].trimmed().isEmpty())
            end = i + 1;
    }
    return end;
}

bool SettingsFile::contains(const QString &section, const QString &key) const
{
    const int s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

QString SettingsFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    const int s = findSection(section);
    const int k = s < 0 ? -1 : findKey(s, key);
    if (k < 0)
        return fallback;
    const QString &line = m_lines[k];
    return line.mid(line.indexOf(u'=') + 1);
}

void SettingsFile::setValue(const QString &section, const QString &key, const QString &value)
{
    // A value is one line of the file: a line break in it would cut the value
    // and turn the rest into lines of their own (even a section or another key).
    QString oneLine = value;
    oneLine.replace(u"\r\n"_qs, u" "_qs);
    oneLine.replace(u'\r', u' ');
    oneLine.replace(u'\n', u' ');
    const QString line = key + u'=' + oneLine;
    int s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            insertLine(m_lines.size(), QString());
        insertLine(m_lines.size(), u'[' + section + u']');
        insertLine(m_lines.size(), line);
        return;
    }
    const int k = findKey(s, key);
    if (k < 0) {
        insertLine(sectionEnd(s), line);
        return;
    }
    if (m_lines[k].mid(m_lines[k].indexOf(u'=') + 1) == oneLine)
        return;   // the same value: the line stays as it is, key spelling included
    m_lines[k] = line;
    m_raw[k] = std::nullopt;
    m_changed = true;
}

void SettingsFile::insertLine(qsizetype at, const QString &text)
{
    m_lines.insert(at, text);
    m_raw.insert(at, std::nullopt);
    m_changed = true;
}
