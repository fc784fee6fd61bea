#include "settingsfile.h"

#include "fileerror.h"
#include "windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace {

std::function<void(const QString &)> &warningHandler()
{
    static std::function<void(const QString &)> handler;
    return handler;
}

// Tells the user once per run that a settings file is not read.
void warnOnce(const QString &path, const QString &why)
{
    static QSet<QString> warned;
    const QString key = QFileInfo(path).absoluteFilePath();
    if (warned.contains(key) || !warningHandler())
        return;
    warned.insert(key);
    warningHandler()(u"Die Einstellungsdatei \"%1\" wird nicht gelesen: %2 Es gelten die Voreinstellungen; "
                     "die Datei wird nicht überschrieben."_qs.arg(QDir::toNativeSeparators(key), why));
}

// Reads a settings file without ever waiting: a pipe or a device under the
// name is not opened for good, and no more than `limit` bytes are taken.
// Empty `why` when the file is missing; otherwise the reason in German.
bool readSettingsBytes(const QString &path, qint64 limit, QByteArray *bytes, QString *why, bool *exists)
{
    *exists = true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        *exists = error != ENOENT && error != ENOTDIR;
        if (error == EACCES || error == EPERM)
            *why = u"Keine Leseberechtigung."_qs;
        else if (*exists)
            *why = fileerror::sentence(error);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok)
        *why = fileerror::sentence(errno);
    else if (S_ISDIR(st.st_mode))
        *why = fileerror::sentence(EISDIR);
    else if (!S_ISREG(st.st_mode))
        *why = u"Sie ist keine gewöhnliche Datei (sondern etwa eine Pipe oder ein Gerät)."_qs;
    else if (st.st_size > limit)
        *why = u"Sie ist größer als %1 MB und damit keine Einstellungsdatei."_qs.arg(limit >> 20);
    ok = why->isEmpty();
    if (ok) {
        bytes->resize(qsizetype(st.st_size));
        qint64 got = 0;
        while (ok) {
            if (got == bytes->size())
                bytes->resize(qMin<qint64>(limit + 1, got + 4096 + got / 2));
            const ssize_t n = ::read(fd, bytes->data() + got, size_t(bytes->size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *why = fileerror::sentence(errno);
                ok = false;
            } else if (n == 0) {
                break;
            } else if ((got += n) > limit) {
                *why = u"Sie ist größer als %1 MB und damit keine Einstellungsdatei."_qs.arg(limit >> 20);
                ok = false;
            }
        }
        bytes->resize(ok ? qsizetype(got) : 0);
    }
    ::close(fd);
    return ok;
}

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
    m_unreadWhy.clear();
    m_changed = false;
    m_encoding = Encoding::Utf8;
    m_byteOrderMark = false;
    m_lineEnd = "\n";
    m_finalLineEnd = true;
    QByteArray bytes;
    QString why;
    bool exists = false;
    if (!readSettingsBytes(m_path, kMaxBytes, &bytes, &why, &exists)) {
        m_unread = exists;
        if (exists) {
            m_error = m_unreadWhy = why;
            warnOnce(m_path, why);
        } else {
            m_error = u"Die Datei fehlt."_qs;
        }
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
    if (m_unread) {
        m_error = m_unreadWhy;
        if (!QFileInfo(m_path).isDir())
            m_error = (m_error + u" Die vorhandene Datei wird nicht überschrieben."_qs).trimmed();
        return false;
    }
    m_error.clear();
    // Nothing changed: the file stays as it is, untouched.
    if (!m_changed)
        return true;
    const QFileInfo info(m_path);
    errno = 0;
    if (!QDir().mkpath(info.absolutePath())) {
        m_error = u"Der Ordner \"%1\" kann nicht angelegt werden: %2"_qs.arg(
            QDir::toNativeSeparators(info.absolutePath()), fileerror::sentence(errno != 0 ? errno : EACCES));
        return false;
    }
    if (!fileerror::writeReplacing(m_path, encoded(), &m_error))
        return false;
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

void SettingsFile::setWarningHandler(std::function<void(const QString &)> handler)
{
    warningHandler() = std::move(handler);
}
