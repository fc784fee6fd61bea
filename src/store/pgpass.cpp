#include "pgpass.h"

#include "serverconnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <cstdio>

namespace pgpass {

namespace {

QString escaped(const QString &field)
{
    QString s = field;
    s.replace(u'\\', u"\\\\"_qs);
    s.replace(u':', u"\\:"_qs);
    return s;
}

// The fields of one line, escapes resolved.
QStringList fieldsOf(const QString &line)
{
    QStringList fields;
    QString current;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'\\' && i + 1 < line.size()) {
            current += line.at(++i);
        } else if (c == u':' && fields.size() < 4) {
            fields << current;
            current.clear();
        } else {
            current += c;
        }
    }
    fields << current;
    return fields;
}

QStringList keyFields(const ServerAddress &a)
{
    return {a.host.isEmpty() ? u"localhost"_qs : a.host, a.port > 0 ? QString::number(a.port) : u"5432"_qs, a.database,
            a.user};
}

bool matches(const QString &line, const QStringList &key)
{
    if (line.startsWith(u'#'))
        return false;
    const QStringList fields = fieldsOf(line);
    return fields.size() == 5 && fields.mid(0, 4) == key;
}

bool rewrite(const ServerAddress &address, const QString *password, QString *error)
{
    const QString path = filePath();
    QStringList lines;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            if (error)
                *error = u"Die Passwortdatei %1 kann nicht gelesen werden."_qs.arg(path);
            return false;
        }
        lines = QString::fromUtf8(old.readAll()).split(u'\n');
        old.close();
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
    } else if (!password) {
        return true;
    }
    const QStringList key = keyFields(address);
    lines.erase(std::remove_if(lines.begin(), lines.end(), [&key](const QString &l) { return matches(l, key); }),
                lines.end());
    if (password) {
        QStringList fields;
        for (const QString &f : key)
            fields << escaped(f);
        lines << fields.join(u':') + u':' + escaped(*password);
    }
    // A temporary file is made for its owner alone, so the passwords are
    // never readable by others, not even for a moment; it then replaces the
    // old file in one step.
    QTemporaryFile temp(QFileInfo(path).absolutePath() + u"/.pgpass-XXXXXX"_qs);
    temp.setAutoRemove(true);
    const QByteArray bytes = (lines.join(u'\n') + (lines.isEmpty() ? QString() : u"\n"_qs)).toUtf8();
    if (!temp.open() || temp.write(bytes) != bytes.size() || !temp.flush()
        || !temp.setPermissions(QFile::ReadOwner | QFile::WriteOwner)) {
        if (error)
            *error = u"Die Passwortdatei %1 kann nicht geschrieben werden."_qs.arg(path);
        return false;
    }
    temp.close();
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        if (error)
            *error = u"Die Passwortdatei %1 kann nicht geschrieben werden."_qs.arg(path);
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}

} // namespace

QString filePath()
{
    const QString configured = qEnvironmentVariable("PGPASSFILE");
    return configured.isEmpty() ? QDir::home().filePath(u".pgpass"_qs) : configured;
}

QString entryKey(const ServerAddress &address)
{
    QStringList fields;
    for (const QString &f : keyFields(address))
        fields << escaped(f);
    return fields.join(u':');
}

bool store(const ServerAddress &address, const QString &password, QString *error)
{
    return rewrite(address, &password, error);
}

bool remove(const ServerAddress &address, QString *error)
{
    return rewrite(address, nullptr, error);
}

QString lookup(const ServerAddress &address)
{
    QFile f(filePath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QStringList key = keyFields(address);
    for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n'))
        if (matches(line, key))
            return fieldsOf(line).value(4);
    return {};
}

} // namespace pgpass
