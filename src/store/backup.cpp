#include "backup.h"

#include "catalogstore.h"
#include "recordstore.h"
#include "tablestore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// How long a copy waits for a table that another connection is writing.
constexpr int kBusyWaitMs = 10000;

struct TableFile {
    QString file;    // e.g. "kq.db"
    QString table;   // the SQL table inside, e.g. "kq"
};

const QList<TableFile> &tables()
{
    static const QList<TableFile> list = [] {
        QList<TableFile> t;
        const TableDefinition kq = RecordStore::tableDefinition();
        t.append({kq.fileName, kq.tableName});
        for (CatalogStore::Kind kind : {CatalogStore::Owners, CatalogStore::Places, CatalogStore::Remarks}) {
            const TableDefinition d = CatalogStore::tableDefinition(kind);
            t.append({d.fileName, d.tableName});
        }
        return t;
    }();
    return list;
}

QString tableOf(const QString &file)
{
    for (const TableFile &t : tables())
        if (t.file == file)
            return t.table;
    return {};
}

// SQLite's result code in the user's words, as the tables say it.
QString sqliteText(int code)
{
    return TableStore::errorText(QSqlError(QString(), QString(), QSqlError::StatementError, QString::number(code)));
}

// An error number of the file system in the user's words.
QString errnoText(int error)
{
    switch (error) {
    case ENOSPC: return u"Der Datenträger ist voll."_qs;
    case EDQUOT: return u"Der zugeteilte Speicherplatz ist erschöpft."_qs;
    case EROFS: return u"Der Datenträger ist schreibgeschützt."_qs;
    case EACCES:
    case EPERM: return u"Die Berechtigung fehlt."_qs;
    case ENOENT: return u"Der Ordner fehlt."_qs;
    case ENOTDIR:
    case EEXIST: return u"An seiner Stelle liegt eine Datei."_qs;
    case EISDIR: return u"An seiner Stelle liegt ein Ordner."_qs;
    case EIO: return u"Der Datenträger meldet einen Lese- oder Schreibfehler."_qs;
    default: return u"Das Betriebssystem meldet den Fehler %1."_qs.arg(error);
    }
}

QByteArray fsName(const QString &path)
{
    return QFile::encodeName(path);
}

// One SQLite connection, closed when it goes.
struct Connection {
    sqlite3 *db = nullptr;
    ~Connection()
    {
        if (db)
            sqlite3_close_v2(db);
    }
    int open(const QString &path, int flags)
    {
        const int rc = sqlite3_open_v2(fsName(path).constData(), &db, flags, nullptr);
        if (rc == SQLITE_OK)
            sqlite3_busy_timeout(db, kBusyWaitMs);
        return rc;
    }
    int code() const { return db ? sqlite3_errcode(db) : SQLITE_CANTOPEN; }
    // The first column of every row of a statement; nullopt when it fails.
    std::optional<QStringList> column(const char *sql) const
    {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
            return std::nullopt;
        QStringList out;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            return std::nullopt;
        return out;
    }
};

QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(u'"', u"\"\""_qs);
    return u'"' + s + u'"';
}

// Copies a table through the online backup: one read transaction on the
// source, so the copy is one committed state of it.  The source is opened
// read-only and never written.
bool copyTable(const QString &from, const QString &to, QString *why)
{
    Connection source;
    if (const int rc = source.open(from, SQLITE_OPEN_READONLY); rc != SQLITE_OK) {
        *why = u"Die Tabelle \"%1\" kann nicht gelesen werden: %2"_qs.arg(from, sqliteText(rc));
        return false;
    }
    QFile::remove(to);
    Connection target;
    if (const int rc = target.open(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE); rc != SQLITE_OK) {
        *why = u"Die Kopie \"%1\" kann nicht angelegt werden: %2"_qs.arg(to, sqliteText(rc));
        return false;
    }
    // The read transaction is taken first, with the busy wait of the
    // connection, so that a writer between two saves lets the copy in.
    if (sqlite3_exec(source.db, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK) {
        *why = u"Die Tabelle \"%1\" kann nicht gelesen werden: %2"_qs.arg(from, sqliteText(source.code()));
        return false;
    }
    sqlite3_backup *backup = sqlite3_backup_init(target.db, "main", source.db, "main");
    if (!backup) {
        *why = u"Die Tabelle \"%1\" kann nicht kopiert werden: %2"_qs.arg(from, sqliteText(target.code()));
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    int rc;
    while (true) {
        rc = sqlite3_backup_step(backup, -1);
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waited.elapsed() < kBusyWaitMs) {
            QThread::msleep(5);
            continue;
        }
        break;
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE || finished != SQLITE_OK) {
        const int code = rc != SQLITE_DONE ? rc : finished;
        *why = u"Die Kopie von \"%1\" in \"%2\" kann nicht geschrieben werden: %3"_qs.arg(
            QFileInfo(from).fileName(), QFileInfo(to).path(), sqliteText(code));
        return false;
    }
    return true;
}

// SQLite's integrity check on a copy, and the number of rows of its table.
std::optional<int> checkedRows(const QString &path, const QString &table, bool ourMark, QString *why)
{
    const QString name = QFileInfo(path).fileName();
    const QString damaged = u"Die Kopie von \"%1\" besteht die Prüfung nicht; die Tabelle ist beschädigt."_qs.arg(name);
    Connection db;
    if (const int rc = db.open(path, SQLITE_OPEN_READONLY); rc != SQLITE_OK) {
        *why = u"Die Kopie \"%1\" kann nicht gelesen werden: %2"_qs.arg(path, sqliteText(rc));
        return std::nullopt;
    }
    const auto result = db.column("PRAGMA integrity_check");
    if (!result || *result != QStringList{u"ok"_qs}) {
        *why = damaged;
        return std::nullopt;
    }
    if (ourMark) {
        const auto mark = db.column("PRAGMA application_id");
        if (!mark || mark->size() != 1 || mark->first().toLongLong() != qint64(TableStore::applicationId())) {
            *why = u"Die Datei \"%1\" ist keine Tabelle dieses Programms."_qs.arg(name);
            return std::nullopt;
        }
    }
    const auto rows = db.column(u"SELECT count(*) FROM %1"_qs.arg(quoted(table)).toUtf8().constData());
    if (!rows || rows->size() != 1) {
        *why = damaged;
        return std::nullopt;
    }
    return rows->first().toInt();
}

bool syncDirectory(const QString &dir)
{
    const int fd = ::open(fsName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Writes bytes into a new file and makes sure they reached the disk; the
// error number of the first failure otherwise.
int writeFile(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(fsName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            return error;
        }
        done += n;
    }
    if (::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    return ::close(fd) == 0 ? 0 : errno;
}

// Copies a text list byte for byte and reads the copy back.
bool copyList(const QString &from, const QString &to, QString *why)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = u"Die Datei \"%1\" kann nicht gelesen werden."_qs.arg(from);
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        *why = u"Die Datei \"%1\" kann nicht gelesen werden."_qs.arg(from);
        return false;
    }
    if (const int error = writeFile(to, bytes); error != 0) {
        *why = u"Die Kopie von \"%1\" in \"%2\" kann nicht geschrieben werden: %3"_qs.arg(
            QFileInfo(from).fileName(), QFileInfo(to).path(), errnoText(error));
        return false;
    }
    QFile back(to);
    if (!back.open(QIODevice::ReadOnly) || back.readAll() != bytes) {
        *why = u"Die Kopie von \"%1\" stimmt nicht mit dem Original überein."_qs.arg(QFileInfo(from).fileName());
        return false;
    }
    return true;
}

// Makes a folder (its parent exists); an existing folder is fine.
int makeFolder(const QString &path)
{
    if (::mkdir(fsName(path).constData(), 0777) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST)
        return QFileInfo(path).isDir() ? 0 : EEXIST;
    return error;
}

QString reasonKey(Backup::Reason reason)
{
    switch (reason) {
    case Backup::Reason::Daily: return u"taeglich"_qs;
    case Backup::Reason::OnDemand: return u"aufwunsch"_qs;
    case Backup::Reason::BeforeRestore: return u"vorwiederherstellung"_qs;
    }
    return {};
}

const QRegularExpression &folderPattern()
{
    static const QRegularExpression re(u"^(\\d{4}-\\d{2}-\\d{2})(-\\d{6}(-\\d+)?)?$"_qs);
    return re;
}

bool madeBefore(const Backup::Info &a, const Backup::Info &b)
{
    return a.made != b.made ? a.made < b.made : a.name < b.name;
}

void removeTableFile(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

} // namespace

Backup::Backup(const QString &dataDir) : m_dataDir(dataDir) {}

QStringList Backup::tableFiles()
{
    QStringList files;
    for (const TableFile &t : tables())
        files << t.file;
    return files;
}

QStringList Backup::listFiles()
{
    return {u"raeume.txt"_qs, u"feuerst.txt"_qs};
}

QString Backup::reasonText(Reason reason)
{
    switch (reason) {
    case Reason::Daily: return u"Tägliche Sicherung"_qs;
    case Reason::OnDemand: return u"Sicherung auf Wunsch"_qs;
    case Reason::BeforeRestore: return u"Vor einer Wiederherstellung"_qs;
    }
    return {};
}

QString Backup::madeText(const Info &backup)
{
    return backup.made.toString(u"dd.MM.yyyy, HH:mm 'Uhr'"_qs);
}

QString Backup::root() const
{
    return QDir(m_dataDir).filePath(folderName());
}

bool Backup::fail(const QString &text, Problem problem)
{
    m_error = text;
    m_problem = problem;
    return false;
}

QList<Backup::Info> Backup::list() const
{
    QList<Info> found;
    const QFileInfoList entries = QDir(root()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QRegularExpressionMatch m = folderPattern().match(entry.fileName());
        if (!m.hasMatch())
            continue;
        QFile manifest(QDir(entry.filePath()).filePath(manifestName()));
        if (!manifest.open(QIODevice::ReadOnly) || manifest.size() > 65536)
            continue;
        const QJsonObject o = QJsonDocument::fromJson(manifest.readAll()).object();
        Info info;
        info.name = entry.fileName();
        info.path = entry.filePath();
        info.date = QDate::fromString(m.captured(1), u"yyyy-MM-dd"_qs);
        info.made = QDateTime::fromString(o.value(u"zeit"_qs).toString(), Qt::ISODate);
        if (!info.date.isValid() || !info.made.isValid())
            continue;
        const QString reason = o.value(u"anlass"_qs).toString();
        for (Reason r : {Reason::Daily, Reason::OnDemand, Reason::BeforeRestore})
            if (reasonKey(r) == reason)
                info.reason = r;
        const QStringList known = tableFiles() + listFiles();
        for (const QJsonValue &f : o.value(u"dateien"_qs).toArray())
            if (known.contains(f.toString()))
                info.files << f.toString();
        const QJsonObject records = o.value(u"datensaetze"_qs).toObject();
        for (auto it = records.begin(); it != records.end(); ++it)
            info.records.insert(it.key(), it.value().toInt());
        found << info;
    }
    std::sort(found.begin(), found.end(), [](const Info &a, const Info &b) { return madeBefore(b, a); });
    return found;
}

bool Backup::isDue() const
{
    const QDate today = now().date();
    const QList<Info> all = list();
    return std::none_of(all.begin(), all.end(), [&](const Info &b) { return b.date == today; });
}

QString Backup::newFolderName(const QDateTime &at) const
{
    const QString day = at.date().toString(u"yyyy-MM-dd"_qs);
    const QDir dir(root());
    if (!dir.exists(day))
        return day;
    const QString timed = day + u'-' + at.time().toString(u"HHmmss"_qs);
    QString name = timed;
    for (int n = 2; dir.exists(name); ++n)
        name = timed + u'-' + QString::number(n);
    return name;
}

void Backup::removeLeftovers() const
{
    // Folders of backups that were interrupted never became backups.
    const QFileInfoList entries = QDir(root()).entryInfoList({u"*.neu"_qs}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        QDir(entry.filePath()).removeRecursively();
}

std::optional<Backup::Info> Backup::make(Reason reason, const QStringList &keep)
{
    m_error.clear();
    m_problem = Problem::None;
    const QString lead = u"Die Daten lassen sich nicht sichern. "_qs;
    const QString untouched = u" Die Tabellen selbst sind unverändert."_qs;
    if (!QFileInfo(m_dataDir).isDir()) {
        fail(lead + u"Den Datenordner \"%1\" gibt es nicht."_qs.arg(m_dataDir), Problem::Input);
        return std::nullopt;
    }
    QStringList present;
    for (const QString &f : tableFiles() + listFiles())
        if (QFileInfo(QDir(m_dataDir).filePath(f)).isFile())
            present << f;
    if (std::none_of(present.begin(), present.end(), [](const QString &f) { return tableFiles().contains(f); })) {
        fail(lead + u"Im Datenordner \"%1\" liegt keine Tabelle."_qs.arg(m_dataDir), Problem::Input);
        return std::nullopt;
    }
    if (const int error = makeFolder(root()); error != 0) {
        fail(lead + u"Der Sicherungsordner \"%1\" kann nicht angelegt werden: %2"_qs.arg(root(), errnoText(error))
             + untouched);
        return std::nullopt;
    }
    removeLeftovers();

    const QDateTime at = now();
    Info info;
    info.name = newFolderName(at);
    info.path = QDir(root()).filePath(info.name);
    info.date = at.date();
    info.made = at;
    info.reason = reason;
    const QString temp = info.path + u".neu"_qs;
    auto abandon = [&](const QString &why) {
        QDir(temp).removeRecursively();
        fail(lead + why + untouched);
        return std::nullopt;
    };
    if (const int error = makeFolder(temp); error != 0)
        return abandon(u"Der Ordner \"%1\" kann nicht angelegt werden: %2"_qs.arg(temp, errnoText(error)));

    QString why;
    for (const QString &f : present) {
        const QString from = QDir(m_dataDir).filePath(f);
        const QString to = QDir(temp).filePath(f);
        const QString table = tableOf(f);
        if (!table.isEmpty()) {
            if (!copyTable(from, to, &why))
                return abandon(why);
            const std::optional<int> rows = checkedRows(to, table, false, &why);
            if (!rows)
                return abandon(why);
            info.records.insert(f, *rows);
        } else if (!copyList(from, to, &why)) {
            return abandon(why);
        }
        info.files << f;
    }

    QJsonObject records;
    for (auto it = info.records.begin(); it != info.records.end(); ++it)
        records.insert(it.key(), it.value());
    const QJsonObject manifest{
        {u"zeit"_qs, at.toString(Qt::ISODate)},
        {u"anlass"_qs, reasonKey(reason)},
        {u"dateien"_qs, QJsonArray::fromStringList(info.files)},
        {u"datensaetze"_qs, records},
    };
    if (const int error = writeFile(QDir(temp).filePath(manifestName()), QJsonDocument(manifest).toJson());
        error != 0)
        return abandon(u"Der Inhalt der Sicherung in \"%1\" kann nicht geschrieben werden: %2"_qs.arg(temp,
                                                                                                  errnoText(error)));
    syncDirectory(temp);
    if (::rename(fsName(temp).constData(), fsName(info.path).constData()) != 0)
        return abandon(u"Der Ordner \"%1\" kann nicht umbenannt werden: %2"_qs.arg(temp, errnoText(errno)));
    syncDirectory(root());

    prune(keep + QStringList{info.name});
    return info;
}

QStringList Backup::prune(const QStringList &keep)
{
    const QDate today = now().date();
    const QDate recent = today.addDays(-13);
    QList<Info> all = list();
    std::sort(all.begin(), all.end(), madeBefore);

    QSet<QString> kept(keep.begin(), keep.end());
    const int thisMonth = today.year() * 12 + today.month() - 1;
    QSet<int> monthsSeen;
    for (const Info &b : all) {
        if (b.date >= recent)   // the last 14 days, and any day after today
            kept.insert(b.name);
        const int month = b.date.year() * 12 + b.date.month() - 1;
        if (!monthsSeen.contains(month)) {
            monthsSeen.insert(month);
            if (thisMonth - month >= 0 && thisMonth - month < 12)
                kept.insert(b.name);
        }
    }
    QStringList removed;
    for (const Info &b : all) {
        if (kept.contains(b.name))
            continue;
        if (QDir(b.path).removeRecursively())
            removed << b.name;
    }
    return removed;
}

bool Backup::verify(const Info &backup)
{
    m_error.clear();
    m_problem = Problem::None;
    const QString which = u"Die Sicherung vom %1"_qs.arg(madeText(backup));
    if (!backup.files.contains(RecordStore::tableDefinition().fileName))
        return fail(which + u" enthält keine Tabelle der Anlagen (kq.db)."_qs, Problem::Input);
    for (const QString &f : backup.files) {
        const QString path = QDir(backup.path).filePath(f);
        if (!QFileInfo(path).isFile())
            return fail(which + u" ist unvollständig: die Datei \"%1\" fehlt."_qs.arg(f), Problem::Input);
        const QString table = tableOf(f);
        if (table.isEmpty())
            continue;
        QString why;
        const std::optional<int> rows = checkedRows(path, table, true, &why);
        if (!rows)
            return fail(which + u" ist nicht zu gebrauchen: "_qs + why, Problem::Input);
        if (backup.records.contains(f) && backup.records.value(f) != *rows)
            return fail(which + u" ist nicht zu gebrauchen: in \"%1\" stehen %2 statt %3 Datensätze."_qs.arg(
                                    f, QString::number(*rows), QString::number(backup.records.value(f))),
                        Problem::Input);
    }
    return true;
}

bool Backup::restore(const Info &backup, Info *savedFirst)
{
    if (!verify(backup))
        return false;
    const QStringList all = tableFiles() + listFiles();
    const QString prepared = u".wieder"_qs;
    for (const QString &f : all)
        removeTableFile(QDir(m_dataDir).filePath(f) + prepared);

    // Today's data go into a backup of their own before anything is replaced.
    const std::optional<Info> saved = make(Reason::BeforeRestore, {backup.name});
    if (!saved)
        return fail(u"Die heutigen Daten lassen sich nicht vorher sichern, daher wurde nichts ersetzt. "_qs + m_error,
                    m_problem);
    if (savedFirst)
        *savedFirst = *saved;
    const QString keptIn = u" Die heutigen Daten liegen unverändert in der Sicherung \"%1\"."_qs.arg(saved->path);

    // Every file of the backup is made ready beside its table first, so that a
    // full disk stops the restore before anything is replaced.
    QStringList ready;
    auto dropReady = [&] {
        for (const QString &f : ready)
            removeTableFile(QDir(m_dataDir).filePath(f) + prepared);
    };
    for (const QString &f : backup.files) {
        const QString from = QDir(backup.path).filePath(f);
        const QString to = QDir(m_dataDir).filePath(f) + prepared;
        QString why;
        const bool copied = tableOf(f).isEmpty() ? copyList(from, to, &why) : copyTable(from, to, &why);
        ready << f;
        if (!copied) {
            dropReady();
            return fail(u"Die Sicherung lässt sich nicht zurückholen, es wurde nichts ersetzt: "_qs + why + keptIn);
        }
    }

    // Then each file is put in place by renaming it over today's.  Today's
    // data were read for the backup just made, so a journal beside a table
    // belongs to nothing that is still pending.
    for (const QString &f : all) {
        const QString live = QDir(m_dataDir).filePath(f);
        if (!backup.files.contains(f)) {
            if (tableOf(f).isEmpty())
                QFile::remove(live);
            else
                removeTableFile(live);
            continue;
        }
        if (!tableOf(f).isEmpty())
            for (const char *suffix : {"-journal", "-wal", "-shm"})
                QFile::remove(live + QLatin1String(suffix));
        if (::rename(fsName(live + prepared).constData(), fsName(live).constData()) != 0) {
            const int error = errno;
            dropReady();
            return fail(u"Die Datei \"%1\" lässt sich nicht ersetzen: %2 Die Wiederherstellung ist unvollständig."_qs
                            .arg(live, errnoText(error))
                        + keptIn);
        }
    }
    syncDirectory(m_dataDir);
    return true;
}
