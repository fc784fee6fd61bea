#include "sqlitecheck.h"

#include "fileerror.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace sqlitecheck {

namespace {

int connectionSerial = 0;

// One connection to a file for the length of a scope.
class Connection {
public:
    explicit Connection(const QString &path)
        : m_name(u"ofenring-check-%1"_qs.arg(++connectionSerial))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, m_name);
        db.setDatabaseName(path);
        m_open = db.open();
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool isOpen() const { return m_open; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    // The rows of a statement's first column; false when it fails.
    bool lines(const QString &sql, QStringList *out, int *code = nullptr) const
    {
        QSqlQuery q(db());
        if (!q.exec(sql)) {
            if (code) {
                bool ok = false;
                const int c = q.lastError().nativeErrorCode().toInt(&ok);
                *code = ok ? (c & 0xff) : -1;
            }
            return false;
        }
        // One row may hold several findings, one per line.
        while (q.next())
            *out << q.value(0).toString().split(u'\n', Qt::SkipEmptyParts);
        return true;
    }
    bool exec(const QString &sql) const
    {
        QSqlQuery q(db());
        return q.exec(sql);
    }

private:
    QString m_name;
    bool m_open = false;
};

constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADb = 26;

bool isOk(const QStringList &lines)
{
    return lines == QStringList{u"ok"_qs};
}

// Copies a file and makes the copy durable; false with the reason in German.
bool copyFile(const QString &from, const QString &to, QString *why)
{
    QFile::remove(to);
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = fileerror::sentence(EACCES);
        return false;
    }
    const int fd = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        *why = fileerror::sentence(errno);
        return false;
    }
    int error = 0;
    while (error == 0 && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            error = EIO;
            break;
        }
        for (qsizetype done = 0; done < chunk.size();) {
            const ssize_t n = ::write(fd, chunk.constData() + done, size_t(chunk.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                error = n < 0 ? errno : ENOSPC;
                break;
            }
            done += n;
        }
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        QFile::remove(to);
        *why = fileerror::sentence(error);
        return false;
    }
    return true;
}

// The indexes a file declares itself, as name and statement.
QList<QPair<QString, QString>> declaredIndexes(const Connection &c)
{
    QList<QPair<QString, QString>> indexes;
    QSqlQuery q(c.db());
    if (q.exec(u"SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"_qs))
        while (q.next())
            indexes.append({q.value(0).toString(), q.value(1).toString()});
    return indexes;
}

// Takes the indexes out of the file's schema without touching their pages,
// which then belong to nothing.
bool forgetIndexes(const QString &path)
{
    Connection c(path);
    return c.isOpen() && c.exec(u"PRAGMA writable_schema = ON"_qs)
        && c.exec(u"DELETE FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"_qs)
        && c.exec(u"PRAGMA writable_schema = OFF"_qs);
}

} // namespace

Finding examine(const QString &path, const QString &scratchDir)
{
    QStringList found;
    {
        Connection c(path);
        int code = 0;
        if (!c.isOpen())
            return {Health::Unknown, u"Die Datei kann nicht geöffnet werden."_qs};
        if (!c.lines(u"PRAGMA quick_check"_qs, &found, &code)) {
            if (code == kSqliteCorrupt || code == kSqliteNotADb)
                return {Health::DataDamaged, {}};
            return {Health::Unknown, u"Die Prüfung der Datei lässt sich nicht ausführen."_qs};
        }
    }
    if (isOk(found))
        return {};

    // Whether the rows are whole: on a copy whose schema no longer knows its
    // indexes, the check may find nothing but the pages those indexes left.
    QTemporaryDir scratch(QDir(QFileInfo(scratchDir).isWritable() ? scratchDir : QDir::tempPath())
                              .filePath(u".pruefung-XXXXXX"_qs));
    if (!scratch.isValid())
        return {Health::DataDamaged, {}};
    const QString copy = scratch.filePath(u"pruefung.db"_qs);
    QString why;
    if (!copyFile(path, copy, &why) || !forgetIndexes(copy))
        return {Health::DataDamaged, {}};
    QStringList rest;
    {
        Connection c(copy);
        if (!c.isOpen() || !c.lines(u"PRAGMA quick_check(1000000)"_qs, &rest))
            return {Health::DataDamaged, {}};
    }
    static const QRegularExpression leftOver(u"^(\\*\\*\\* in database \\w+ \\*\\*\\*|Page \\d+( is never used|: never used))$"_qs);
    for (const QString &line : std::as_const(rest))
        if (!isOk({line}) && !leftOver.match(line).hasMatch())
            return {Health::DataDamaged, {}};
    return {Health::IndexesDamaged, {}};
}

bool rebuildIndexes(const QString &path, QString *copy, QString *why)
{
    const QFileInfo info(path);
    const QDir dir = info.absoluteDir();
    const QString base = info.fileName() + u".beschaedigt-"_qs + QDate::currentDate().toString(u"yyyy-MM-dd"_qs);
    QString name = base;
    for (int n = 2; dir.exists(name); ++n)
        name = base + u'-' + QString::number(n);
    const QString kept = dir.filePath(name);
    const QString temp = path + u".reparatur"_qs;
    auto failed = [&](const QString &reason) {
        QFile::remove(temp);
        QFile::remove(kept);
        *why = reason;
        return false;
    };
    if (!copyFile(path, kept, why))
        return failed(*why);
    if (!copyFile(path, temp, why))
        return failed(*why);

    QList<QPair<QString, QString>> indexes;
    {
        Connection c(temp);
        if (!c.isOpen())
            return failed(u"Die Kopie zum Reparieren lässt sich nicht öffnen."_qs);
        indexes = declaredIndexes(c);
    }
    if (!forgetIndexes(temp))
        return failed(u"Die Sortierungen lassen sich nicht entfernen."_qs);
    {
        // VACUUM writes the rows into a fresh file and leaves the pages of
        // the old indexes behind; then every index is built from the rows.
        Connection c(temp);
        if (!c.isOpen() || !c.exec(u"VACUUM"_qs))
            return failed(u"Die Datensätze lassen sich nicht in eine neue Datei übertragen."_qs);
        for (const auto &[indexName, sql] : std::as_const(indexes))
            if (!c.exec(sql))
                return failed(u"Die Sortierung \"%1\" lässt sich nicht neu anlegen."_qs.arg(indexName));
        QStringList result;
        if (!c.lines(u"PRAGMA integrity_check"_qs, &result) || !isOk(result))
            return failed(u"Auch die neu aufgebaute Datei besteht die Prüfung nicht."_qs);
    }
    const int fd = ::open(QFile::encodeName(temp).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return failed(fileerror::sentence(error));
    }
    ::close(fd);
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        return failed(fileerror::sentence(errno));
    const int dirFd = ::open(QFile::encodeName(dir.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    *copy = kept;
    return true;
}

} // namespace sqlitecheck
