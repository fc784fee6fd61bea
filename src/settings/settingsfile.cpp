#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// Windows-1252 characters 0x80..0x9F (files written by older programs).
const char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString s = utf8(bytes);
    if (!utf8.hasError())
        return s;
    QString w;
    w.reserve(bytes.size());
    for (const char ch : bytes) {
        const uchar b = uchar(ch);
        w += (b >= 0x80 && b < 0xA0) ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return w;
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
    m_error.clear();
    m_unread = false;
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_error = f.errorString();
        m_unread = QFileInfo::exists(m_path);
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        m_error = f.errorString();
        m_unread = true;
        return false;
    }
    QString text = decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(u"\r\n"_qs, u"\n"_qs);
    text.replace(u'\r', u'\n');
    m_lines = text.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
    return true;
}

bool SettingsFile::save()
{
    m_error.clear();
    if (m_unread) {
        m_error = u"Die vorhandene Datei kann nicht gelesen werden und wird nicht überschrieben"_qs;
        return false;
    }
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        m_error = u"Verzeichnis kann nicht angelegt werden"_qs;
        return false;
    }
    QByteArray bytes;
    for (const QString &l : m_lines)
        bytes += l.toUtf8() + '\n';
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
            m_lines << QString();
        m_lines << u'[' + section + u']' << line;
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0)
        m_lines[k] = line;
    else
        m_lines.insert(sectionEnd(s), line);
}
