#include "tablestore.h"

#include "fileerror.h"
#include "numberformat.h"
#include "sqlitecheck.h"
#include "searchtext.h"
#include "serverconnection.h"
#include "tablestore_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSet>
#include <QStringMatcher>
#include <QTimer>
#include <QUuid>
#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// Marks an SQLite file as one of our tables (SQLite header, "application id").
constexpr quint32 kApplicationId = 0x4F666E72;  // "Ofnr"
constexpr int kSchemaVersion = 1;

// How many rows the overview reads at once, and how many it keeps.
constexpr int kReadWindow = 200;
constexpr int kCacheLimit = 4000;

QString quoted(const QString &identifier)
{
    QString s = identifier;
    s.replace(u'"', u"\"\""_qs);
    return u'"' + s + u'"';
}

QString sqlType(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc: return u"INTEGER PRIMARY KEY AUTOINCREMENT"_qs;
    case FieldType::String:
    case FieldType::Memo:
    case FieldType::FmtMemo: return u"TEXT"_qs;
    case FieldType::Float: return u"REAL"_qs;
    case FieldType::SmallInt:
    case FieldType::Boolean: return u"INTEGER"_qs;
    case FieldType::Graphic: return u"BLOB"_qs;
    }
    return u"TEXT"_qs;
}

bool isText(FieldType t)
{
    return t == FieldType::String || t == FieldType::Memo || t == FieldType::FmtMemo;
}

int connectionSerial = 0;

// Statements run on every table right after it is opened (see setTestPragmas).
QString testPragmas;

// SQLite's primary result codes that the user can do something about.
enum SqliteCode {
    kSqlitePerm = 3,
    kSqliteBusy = 5,
    kSqliteLocked = 6,
    kSqliteReadOnly = 8,
    kSqliteIoErr = 10,
    kSqliteCorrupt = 11,
    kSqliteFull = 13,
    kSqliteCantOpen = 14,
    kSqliteNotADb = 26,
};

int sqliteCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;   // extended codes carry the primary one in the low byte
}

bool isReadOnlyCode(int code)
{
    return code == kSqlitePerm || code == kSqliteReadOnly || code == kSqliteCantOpen;
}

} // namespace

QString TableStore::errorText(const QSqlError &error)
{
    switch (sqliteCode(error)) {
    case kSqliteFull:
        return u"Der Datenträger ist voll."_qs;
    case kSqlitePerm:
    case kSqliteReadOnly:
        return u"Die Tabelle ist schreibgeschützt."_qs;
    case kSqliteCantOpen:
        return u"Die Datei oder ihr Verzeichnis ist schreibgeschützt oder nicht erreichbar."_qs;
    case kSqliteBusy:
    case kSqliteLocked:
        return u"Die Tabelle wird gerade von einem anderen Programm benutzt."_qs;
    case kSqliteIoErr:
        return u"Der Datenträger meldet einen Lese- oder Schreibfehler."_qs;
    case kSqliteCorrupt:
    case kSqliteNotADb:
        return u"Die Datei ist beschädigt."_qs;
    case -1:
        return u"Die Datenbank meldet einen Fehler."_qs;
    default:
        return u"Die Datenbank meldet den Fehler %1."_qs.arg(sqliteCode(error));
    }
}

QString TableStore::readOnlyNotice(const QString &dataDir, const QList<const TableStore *> &tables)
{
    QStringList readOnly;
    int open = 0;
    for (const TableStore *t : tables) {
        if (!t->isOpen())
            continue;
        ++open;
        if (t->isReadOnly())
            readOnly << u'"' + t->filePath() + u'"';
    }
    if (readOnly.isEmpty())
        return {};
    const QString what = readOnly.size() == open && (open > 1 || !QFileInfo(dataDir).isWritable())
        ? u"Das Datenverzeichnis \"%1\" ist schreibgeschützt."_qs.arg(dataDir)
        : readOnly.size() == 1 ? u"Die Tabelle %1 ist schreibgeschützt."_qs.arg(readOnly.first())
                               : u"Die Tabellen %1 sind schreibgeschützt."_qs.arg(readOnly.join(u", "_qs));
    return what + u" Sie können die Daten ansehen, aber Änderungen lassen sich nicht speichern."_qs;
}

void TableStore::setTestPragmas(const QString &statements)
{
    testPragmas = statements;
}

int TableStore::s_promptDepth = 0;

PromptButton TableStore::askUser(PromptKind kind, const QString &text, PromptButtons buttons, PromptButton defaultButton)
{
    if (!m_prompter)
        return unscriptedAnswer(buttons, defaultButton);
    ++s_promptDepth;
    const PromptButton answer = m_prompter->ask(kind, text, buttons, defaultButton);
    --s_promptDepth;
    return answer;
}

TableStore::TableStore(TableDefinition definition, QObject *parent)
    : QObject(parent), m_def(std::move(definition)), m_loaded(*m_def.schema), m_buffer(*m_def.schema)
{
    Q_ASSERT(m_def.schema);
}

TableStore::~TableStore()
{
    close();
}

void TableStore::reportError(const QString &text)
{
    m_error = text;
    if (m_prompter)
        askUser(PromptKind::Error, text, PromptButton::Ok, PromptButton::Ok);
}

QString TableStore::columnOf(const QString &field) const
{
    const int i = schema().indexOf(field.trimmed());
    return i < 0 ? QString() : schema().field(i).name;
}

// --- opening ------------------------------------------------------------------

bool TableStore::open(const QString &dataDir)
{
    close();
    m_error.clear();
    m_readOnly = false;
    m_saveFailed = false;
    if (!QDir().mkpath(dataDir)) {
        reportError(u"Das Datenverzeichnis \"%1\" kann nicht angelegt werden."_qs.arg(dataDir));
        return false;
    }
    m_filePath = QDir(dataDir).filePath(m_def.fileName);

    bool damaged = false;
    if (!QFileInfo::exists(m_filePath)) {
        if (!createTable(m_filePath))
            return false;
    } else if (!checkFile(m_filePath) || !checkHealth(&damaged)) {
        return false;
    }

    m_sql = std::make_unique<Sql>();
    m_sql->dialect = makeSqliteDialect();
    const QString conn = u"ofenring-table-%1"_qs.arg(++connectionSerial);
    m_sql->connection = conn;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, conn);
        db.setDatabaseName(m_filePath);
        // Nothing is ever written into a file with damaged rows.
        if (damaged)
            db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_qs);
        if (!db.open()) {
            const QString why = errorText(db.lastError());
            db = QSqlDatabase();
            m_sql.reset();
            QSqlDatabase::removeDatabase(conn);
            reportError(u"Die Datei \"%1\" kann nicht geöffnet werden: %2"_qs.arg(m_filePath, why));
            return false;
        }
    }

    auto fail = [this](const QString &text) {
        close();
        reportError(text);
        return false;
    };

    // Every field of the schema must be a column of the table; until that is
    // known nothing is written to the file.
    {
        QSqlQuery q(m_sql->db());
        if (!q.exec(u"PRAGMA table_info(%1)"_qs.arg(quoted(m_def.tableName))))
            return fail(u"Die Datei \"%1\" ist unvollständig oder beschädigt. Sie wird nicht geöffnet und bleibt unverändert."_qs
                            .arg(m_filePath));
        QSet<QString> columns;
        while (q.next())
            columns.insert(q.value(1).toString().toLower());
        if (columns.isEmpty())
            return fail(u"Die Datei \"%1\" enthält keine Tabelle \"%2\". Sie wird nicht geöffnet und bleibt unverändert."_qs
                            .arg(m_filePath, m_def.tableName));
        for (const FieldDef &f : schema().fields())
            if (!columns.contains(f.name.toLower()))
                return fail(u"In der Datei \"%1\" fehlt das Feld \"%2\". Sie wird nicht geöffnet und bleibt unverändert."_qs
                                .arg(m_filePath, f.name));
    }

    QStringList cols{m_sql->key};
    for (const FieldDef &f : schema().fields())
        cols << quoted(f.name);
    m_sql->columns = cols.join(u", "_qs);
    m_sql->selectRow.emplace(m_sql->db());
    if (!m_sql->selectRow->prepare(u"SELECT %1 FROM %2 WHERE %3 = ?"_qs.arg(m_sql->columns, quoted(m_def.tableName), m_sql->key)))
        return fail(u"Die Datei \"%1\" ist unvollständig oder beschädigt: %2"_qs.arg(m_filePath,
                                                                                    errorText(m_sql->selectRow->lastError())));

    for (const QString &pragma : testPragmas.split(u';', Qt::SkipEmptyParts))
        QSqlQuery(m_sql->db()).exec(pragma);
    m_readOnly = !probeWritable();

    if (!ensureOrders()) {
        const QString why = m_error;
        close();
        m_error = why;
        return false;
    }

    m_order.clear();
    m_restrictKey = 0;
    m_state = StoreState::Browse;
    if (!reloadKeys(0)) {
        const QString why = m_error;
        close();
        m_error = why;
        return false;
    }
    if (!loadCurrent()) {
        const QString why = m_error;
        close();
        m_error = why;
        return false;
    }
    emit stateChanged(m_state);
    emit afterOpen();
    emit rowsReset();
    emit afterScroll();
    emit currentReloaded();
    return true;
}

// Looks at the file's header before SQLite touches it: an SQLite file with our
// application id whose length matches the page count the header records.
bool TableStore::checkFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        reportError(u"Die Datei \"%1\" kann nicht gelesen werden: %2"_qs.arg(path, f.errorString()));
        return false;
    }
    const qint64 size = f.size();
    const QByteArray h = f.read(100);
    f.close();
    const QString notOurs =
        u"Die Datei \"%1\" ist keine Tabelle dieses Programms. Sie wird nicht geöffnet und bleibt unverändert."_qs.arg(path);
    const QString damaged =
        u"Die Datei \"%1\" ist unvollständig oder beschädigt. Sie wird nicht geöffnet und bleibt unverändert."_qs.arg(path);
    if (h.size() < 100 || !h.startsWith(QByteArrayLiteral("SQLite format 3\0"))) {
        reportError(h.startsWith("SQLite format 3") || h.isEmpty() ? damaged : notOurs);
        return false;
    }
    auto be32 = [&h](int at) { return qFromBigEndian<quint32>(h.constData() + at); };
    if (be32(68) != kApplicationId) {
        reportError(notOurs);
        return false;
    }
    quint32 pageSize = qFromBigEndian<quint16>(h.constData() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pageCount = be32(28);
    // With a journal beside the file a write was interrupted; SQLite rolls it
    // back on open, so the length may not match the header until then.
    const bool interrupted = QFile::exists(path + u"-journal"_qs) || QFile::exists(path + u"-wal"_qs);
    const bool countValid = be32(92) == be32(24) && pageCount > 0 && !interrupted;
    if (pageSize < 512 || size % pageSize != 0 || (countValid && quint64(size) < quint64(pageSize) * pageCount)) {
        reportError(damaged);
        return false;
    }
    return true;
}

// SQLite's quick check before the table is used.  Damaged orders are built
// anew from the rows, after a copy of the file has been kept beside it, and
// the user is told.  Damaged rows are not mended: the user may look at the
// table read-only (`damaged` is then set) or leave it unopened.
bool TableStore::checkHealth(bool *damaged)
{
    const sqlitecheck::Finding finding = sqlitecheck::examine(m_filePath, QFileInfo(m_filePath).absolutePath());
    QString problem;
    switch (finding.health) {
    case sqlitecheck::Health::Sound:
    case sqlitecheck::Health::Unknown:   // the open itself will tell
        return true;
    case sqlitecheck::Health::IndexesDamaged: {
        QString copy, why;
        if (sqlitecheck::rebuildIndexes(m_filePath, &copy, &why)) {
            if (m_prompter)
                m_prompter->tell(PromptKind::Information,
                                 u"Die Sortierungen der Tabelle \"%1\" waren beschädigt und wurden aus den Datensätzen neu "
                                 "aufgebaut; die Datensätze selbst sind unversehrt. Die Datei, wie sie vorher war, liegt als "
                                 "\"%2\" daneben."_qs.arg(m_filePath, QDir::toNativeSeparators(QFileInfo(copy).fileName())));
            return true;
        }
        problem = u"Die Sortierungen der Tabelle \"%1\" sind beschädigt und lassen sich nicht neu aufbauen: %2 "
                  "Die Datei bleibt unverändert."_qs.arg(m_filePath, why);
        break;
    }
    case sqlitecheck::Health::DataDamaged:
        problem = u"Die Tabelle \"%1\" ist beschädigt: die Prüfung der Datenbank findet Fehler in den Datensätzen "
                  "selbst. Die Datei bleibt unverändert; an ihr wird nichts repariert. Bitte spielen Sie eine Sicherung "
                  "ein oder lassen Sie die Datei prüfen."_qs.arg(m_filePath);
        break;
    }
    const QString question = problem + u"\n\nSoll die Tabelle nur zum Lesen geöffnet werden? Die Daten lassen sich dann "
                                       "ansehen und drucken, aber keine Änderung wird gespeichert."_qs;
    const PromptButton answer = m_prompter ? m_prompter->ask(PromptKind::Warning, question, PromptButton::Yes | PromptButton::No,
                                                             PromptButton::Yes)
                                           : PromptButton::Yes;
    if (answer != PromptButton::Yes) {
        m_error = problem + u" Sie wird nicht geöffnet."_qs;
        return false;
    }
    *damaged = true;
    return true;
}

QStringList TableStore::tableStatements(const TableDefinition &definition)
{
    QStringList defs;
    for (const FieldDef &f : definition.schema->fields())
        defs << quoted(f.name) + u' ' + sqlType(f.type);
    return {
        u"PRAGMA application_id = %1"_qs.arg(kApplicationId),
        u"PRAGMA user_version = %1"_qs.arg(kSchemaVersion),
        u"CREATE TABLE %1 (%2)"_qs.arg(quoted(definition.tableName), defs.join(u", "_qs)),
    };
}

quint32 TableStore::applicationId()
{
    return kApplicationId;
}

QString TableStore::orderStatement(const TableDefinition &definition, const TableOrder &order)
{
    QStringList cols;
    for (const QString &f : order.fieldList.split(u';', Qt::SkipEmptyParts))
        cols << quoted(f.trimmed());
    return u"CREATE INDEX %1 ON %2 (%3)"_qs.arg(quoted(order.name), quoted(definition.tableName), cols.join(u", "_qs));
}

// A new table is built under a temporary name and renamed into place, so that
// a half-made file never stands under the table's name.
bool TableStore::createTable(const QString &path)
{
    const QString temp = path + u".neu"_qs;
    QFile::remove(temp);
    const QString conn = u"ofenring-create-%1"_qs.arg(++connectionSerial);
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, conn);
        db.setDatabaseName(temp);
        if (!db.open()) {
            why = errorText(db.lastError());
        } else {
            QSqlQuery q(db);
            for (const QString &s : tableStatements(m_def))
                if (!q.exec(s)) {
                    why = errorText(q.lastError());
                    break;
                }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(conn);
    if (why.isEmpty() && ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        why = fileerror::sentence(errno);
    if (!why.isEmpty()) {
        QFile::remove(temp);
        reportError(u"Die Tabelle \"%1\" kann nicht angelegt werden: %2"_qs.arg(path, why));
        return false;
    }
    return true;
}

// Creates each secondary order the file does not have yet, looked up by name.
bool TableStore::ensureOrders()
{
    QSqlDatabase db = m_sql->db();
    for (const TableOrder &o : m_def.orders) {
        QSqlQuery q(db);
        q.prepare(m_sql->dialect->indexExistsQuery(m_def));
        q.addBindValue(o.name);
        if (!q.exec() || !q.next()) {
            reportError(u"Die Datei \"%1\" ist unvollständig oder beschädigt: %2"_qs.arg(m_filePath, whyText(q.lastError())));
            return false;
        }
        // A read-only table is shown in the primary order's place without the
        // index: the orders sort by their fields, the index only speeds them up.
        if (q.value(0).toInt() > 0 || m_readOnly)
            continue;
        QSqlQuery create(db);
        if (!create.exec(m_sql->dialect->isServer() ? serverschema::indexStatement(m_def, o) : orderStatement(m_def, o))) {
            reportError(u"Die Sortierung \"%1\" kann in der Datei \"%2\" nicht angelegt werden: %3"_qs.arg(
                o.name, m_filePath, whyText(create.lastError())));
            return false;
        }
    }
    return true;
}

// Whether a save could be written: a write transaction that changes the
// file's header to what it already is, rolled back at once, so the file stays
// as it was.  It fails on a read-only file, in a read-only directory (no
// journal can be made beside the file) and on a read-only medium.
bool TableStore::probeWritable()
{
    if (!QFileInfo(m_filePath).isWritable())
        return false;
    QSqlDatabase db = m_sql->db();
    QSqlQuery q(db);
    if (!q.exec(u"PRAGMA user_version"_qs) || !q.next())
        return true;   // not known: left to the first save
    const int version = q.value(0).toInt();
    q.finish();
    if (!q.exec(u"BEGIN IMMEDIATE"_qs))
        return !isReadOnlyCode(sqliteCode(q.lastError()));
    const bool written = q.exec(u"PRAGMA user_version = %1"_qs.arg(version));
    const int code = written ? 0 : sqliteCode(q.lastError());
    q.finish();
    QSqlQuery(db).exec(u"ROLLBACK"_qs);
    return written || !isReadOnlyCode(code);
}

void TableStore::close()
{
    if (m_sql && m_server) {
        // The connection is the desk's, shared with its other tables.
        releaseLock();
        disconnect(m_server, nullptr, this, nullptr);
        m_sql->selectRow.reset();
        m_sql.reset();
        m_server = nullptr;
        m_othersLocks.clear();
        m_postWaiting = false;
        m_postId.clear();
    }
    if (m_sql) {
        const QString conn = m_sql->connection;
        m_sql->selectRow.reset();
        {
            QSqlDatabase db = m_sql->db();
            if (db.isOpen())
                db.close();
        }
        m_sql.reset();
        QSqlDatabase::removeDatabase(conn);
    }
    const bool wasOpen = m_state != StoreState::Inactive;
    m_state = StoreState::Inactive;
    m_keys.clear();
    m_pos = -1;
    m_cache.clear();
    m_allKeys.clear();
    m_allKeysValid = false;
    m_searchIndex.clear();
    m_indexReady = false;
    m_savedWhileSearching.clear();
    m_searchWords.clear();
    m_searchText.clear();
    m_anchorKey = 0;
    m_loaded = Record(schema());
    m_buffer = Record(schema());
    if (wasOpen)
        emit stateChanged(m_state);
}

// --- orders and keys ------------------------------------------------------------

QStringList TableStore::orderNames() const
{
    QStringList names{QString()};
    for (const TableOrder &o : m_def.orders)
        names << o.name;
    return names;
}

QString TableStore::orderByClause(const QString &order) const
{
    QStringList fields = m_def.primaryOrder;
    for (const TableOrder &o : m_def.orders)
        if (o.name.compare(order, Qt::CaseInsensitive) == 0)
            fields = o.fieldList.split(u';', Qt::SkipEmptyParts);
    QStringList cols;
    for (const QString &f : fields) {
        const QString column = columnOf(f);
        const int i = schema().indexOf(f.trimmed());
        // The key is never empty: its own order needs no rule for empty values.
        const bool key = i >= 0 && schema().field(i).type == FieldType::AutoInc;
        const QString q = quoted(column.isEmpty() ? f.trimmed() : column);
        cols << (key ? q : m_sql->dialect->orderTerm(q));
    }
    cols << m_sql->key;  // rows with equal values keep their creation order
    return cols.join(u", "_qs);
}

bool TableStore::reloadKeys(int keepKey)
{
    m_cache.clear();
    QSqlQuery q(m_sql->db());
    q.setForwardOnly(true);
    QString sql = u"SELECT %1 FROM %2"_qs.arg(m_sql->key, quoted(m_def.tableName));
    if (m_restrictKey != 0)
        sql += u" WHERE %1 = ?"_qs.arg(m_sql->key);
    sql += u" ORDER BY "_qs + orderByClause(m_order);
    // Without a restriction the statement has nothing to bind and is sent as it is.
    bool read = false;
    if (m_restrictKey != 0) {
        q.prepare(sql);
        q.addBindValue(m_restrictKey);
        read = q.exec();
    } else {
        read = q.exec(sql);
    }
    if (!read) {
        if (m_server && m_server->isConnectionLoss(q.lastError()))
            return false;   // the keys stay as they were until the connection is back
        reportError(u"%1 kann nicht gelesen werden: %2"_qs.arg(placeSubject(), whyText(q.lastError())));
        m_keys.clear();
        m_pos = -1;
        return false;
    }
    QVector<int> keys;
    while (q.next())
        keys.append(q.value(0).toInt());
    if (m_restrictKey == 0) {
        m_allKeys = keys;
        m_allKeysValid = true;
        // The search narrows what was read; the record to keep stays in.
        if (isSearching())
            keys = searchedKeys(keepKey, keys);
    }
    m_keys = std::move(keys);
    const int at = keepKey != 0 ? int(m_keys.indexOf(keepKey)) : -1;
    m_pos = at >= 0 ? at : (m_keys.isEmpty() ? -1 : 0);
    return true;
}

bool TableStore::setOrder(const QString &name)
{
    if (!isOpen())
        return false;
    QString canonical;
    if (!name.isEmpty()) {
        for (const TableOrder &o : m_def.orders)
            if (o.name.compare(name, Qt::CaseInsensitive) == 0)
                canonical = o.name;
        if (canonical.isEmpty()) {
            reportError(u"Die Sortierung \"%1\" gibt es für die Tabelle \"%2\" nicht."_qs.arg(name, m_def.fileName));
            return false;
        }
    }
    if (!finishEditing())
        return false;
    m_order = canonical;
    if (!reloadKeys(currentKey()))
        return false;
    emit rowsReset();
    return true;
}

// --- reading rows -------------------------------------------------------------------

bool TableStore::readRow(int key, Record *out, int *version) const
{
    QSqlQuery &q = *m_sql->selectRow;
    q.bindValue(0, key);
    if (!q.exec() || !q.next()) {
        if (m_server && q.lastError().isValid())
            m_server->isConnectionLoss(q.lastError());
        q.finish();
        return false;
    }
    *out = Record(schema());
    const int n = schema().count();
    for (int i = 0; i < n; ++i)
        out->setValue(i, q.value(i + 1));
    if (version)
        *version = m_sql->dialect->versionColumn().isEmpty() ? 0 : q.value(n + 1).toInt();
    q.finish();
    return true;
}

bool TableStore::loadCurrent()
{
    if (m_pos < 0) {
        m_loaded = Record(schema());
        m_buffer = m_loaded;
        return true;
    }
    if (!readRow(m_keys[m_pos], &m_loaded, &m_loadedVersion)) {
        m_loaded = Record(schema());
        m_buffer = m_loaded;
        if (m_server && m_server->isLost())
            return false;   // said once, for the whole connection
        reportError(u"Der Datensatz %1 %2 kann nicht gelesen werden."_qs.arg(m_keys[m_pos]).arg(placeText()));
        return false;
    }
    m_buffer = m_loaded;
    return true;
}

Record TableStore::rowAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return Record(schema());
    if (row == m_pos)
        return m_buffer;
    const auto it = m_cache.constFind(m_keys[row]);
    if (it != m_cache.cend())
        return *it;
    rows(qMax(0, row - kReadWindow / 4), kReadWindow);  // fills the cache around the row
    const auto again = m_cache.constFind(m_keys[row]);
    return again != m_cache.cend() ? *again : Record(schema());
}

QVector<Record> TableStore::rows(int first, int count) const
{
    QVector<Record> result;
    if (!m_sql || first < 0 || count <= 0 || first >= rowCount())
        return result;
    const int end = qMin(rowCount(), first + count);
    QVariantList missing;
    for (int r = first; r < end; ++r)
        if (m_keys[r] != 0 && r != m_pos && !m_cache.contains(m_keys[r]))
            missing << m_keys[r];
    if (!missing.isEmpty() && !(m_server && m_server->isLost())) {
        if (m_cache.size() + missing.size() > kCacheLimit)
            m_cache.clear();
        QSqlQuery q(m_sql->db());
        q.setForwardOnly(true);
        q.prepare(u"SELECT %1 FROM %2 WHERE %3 IN (%4)"_qs.arg(m_sql->columns, quoted(m_def.tableName), m_sql->key,
                                                          QStringList(missing.size(), u"?"_qs).join(u',')));
        for (const QVariant &k : missing)
            q.addBindValue(k);
        if (q.exec())
            while (q.next()) {
                Record rec(schema());
                for (int i = 0; i < schema().count(); ++i)
                    rec.setValue(i, q.value(i + 1));
                m_cache.insert(q.value(0).toInt(), rec);
            }
    }
    result.reserve(end - first);
    for (int r = first; r < end; ++r)
        result.append(r == m_pos ? m_buffer : m_cache.value(m_keys[r], Record(schema())));
    return result;
}

// --- moving ---------------------------------------------------------------------------

void TableStore::moveTo(int row)
{
    if (row == m_pos)
        return;
    emit beforeScroll();
    m_pos = row;
    loadCurrent();
    emit afterScroll();
    emit currentReloaded();
}

bool TableStore::goToKey(int key)
{
    if (!isOpen())
        return false;
    if (key == currentKey() && m_pos >= 0)
        return true;  // already there: nothing to finish
    if (rowOfKey(key) < 0)
        return false;
    if (!finishEditing())
        return false;
    // Saving a new row can change the positions of the others; the key stays.
    const int row = rowOfKey(key);
    if (row < 0)
        return false;
    moveTo(row);
    return true;
}

bool TableStore::goToRow(int row)
{
    if (!isOpen() || isEmpty())
        return false;
    row = qBound(0, row, rowCount() - 1);
    if (row == m_pos)
        return true;
    return goToKey(m_keys[row]);
}

bool TableStore::first()
{
    if (!isOpen() || !finishEditing())
        return false;
    if (!isEmpty())
        moveTo(0);
    return true;
}

bool TableStore::last()
{
    if (!isOpen() || !finishEditing())
        return false;
    if (!isEmpty())
        moveTo(rowCount() - 1);
    return true;
}

bool TableStore::next()
{
    if (!isOpen() || !finishEditing())
        return false;
    if (m_pos >= 0 && m_pos < rowCount() - 1)
        moveTo(m_pos + 1);
    return true;
}

bool TableStore::prior()
{
    if (!isOpen() || !finishEditing())
        return false;
    if (m_pos > 0)
        moveTo(m_pos - 1);
    return true;
}

// --- editing ----------------------------------------------------------------------------

void TableStore::setState(StoreState s)
{
    if (s != StoreState::Edit)
        m_markedModified = false;
    // The lock of a row lasts as long as its edit: post, cancel, delete.
    if (s != StoreState::Edit)
        releaseLock();
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged(s);
}

bool TableStore::isModified() const
{
    if (m_state == StoreState::Insert)
        return true;
    return m_state == StoreState::Edit && (m_markedModified || m_buffer != m_loaded);
}

void TableStore::markModified()
{
    if (m_state != StoreState::Edit || m_markedModified)
        return;
    m_markedModified = true;
    emit markedModified();
}

bool TableStore::edit()
{
    if (!isOpen())
        return false;
    if (m_state == StoreState::Edit || m_state == StoreState::Insert)
        return true;
    if (isEmpty())
        return insert();
    // In office mode another desk may be editing the row.
    if (!lockCurrent())
        return false;
    setState(StoreState::Edit);
    return true;
}

bool TableStore::insert()
{
    if (!isOpen() || !finishEditing())
        return false;
    emit beforeScroll();
    m_keyBeforeInsert = currentKey();
    const int pos = m_pos < 0 ? 0 : m_pos;
    m_keys.insert(pos, 0);
    m_pos = pos;
    m_loaded = Record(schema());
    m_buffer = Record(schema());
    applyDefaults(m_buffer);
    setState(StoreState::Insert);
    emit rowsReset();
    emit afterInsert();
    emit afterScroll();
    emit currentReloaded();
    return true;
}

void TableStore::cancel()
{
    if (m_state == StoreState::Edit) {
        m_buffer = m_loaded;
        setState(StoreState::Browse);
        emit currentReloaded();
        emit rowChanged(m_pos);
    } else if (m_state == StoreState::Insert) {
        // The new row disappears; the row that was current before it comes back.
        m_keys.remove(m_pos);
        const int back = rowOfKey(m_keyBeforeInsert);
        m_pos = back >= 0 ? back : (isEmpty() ? -1 : qMin(m_pos, rowCount() - 1));
        loadCurrent();
        setState(StoreState::Browse);
        emit rowsReset();
        emit afterScroll();
        emit currentReloaded();
    }
}

bool TableStore::finishEditing()
{
    if (m_state != StoreState::Edit && m_state != StoreState::Insert)
        return true;
    if (isModified())
        return post();
    cancel();
    return true;
}

bool TableStore::post()
{
    m_saveFailed = false;
    if (m_state != StoreState::Edit && m_state != StoreState::Insert)
        return true;
    if (!isModified()) {
        setState(StoreState::Browse);
        return true;
    }
    // A save confirmed before the connection was lost is not asked again.
    if (m_confirm && !m_postWaiting) {
        const PromptButton answer =
            askUser(PromptKind::Confirmation, m_def.saveQuestion, m_def.saveButtons, PromptButton::Yes);
        if (answer == PromptButton::No) {
            cancel();
            return false;
        }
        if (answer != PromptButton::Yes)
            return false;  // "Abbrechen": the changes stay pending
    }
    emit beforePost();
    m_saveFailed = !writeCurrent();
    return !m_saveFailed;
}

// One row written in one committed transaction: an INSERT for a new row, an
// UPDATE of the changed columns otherwise.  On the office server the UPDATE
// also checks that the row still has the version this desk loaded, raises it,
// and tells the other desks, all in the same transaction.
bool TableStore::writeCurrent(bool overwrite)
{
    QSqlDatabase db = m_sql->db();
    StoreDialect &dialect = *m_sql->dialect;
    const bool server = dialect.isServer();
    bool inserting = m_state == StoreState::Insert;

    // A new row whose save reached the server although its answer was lost
    // with the connection is saved again as that row, not a second time.
    if (server && inserting && !m_postId.isEmpty()) {
        QSqlQuery q(db);
        q.prepare(u"SELECT %1, %2 FROM %3 WHERE %4 = ?"_qs.arg(m_sql->key, dialect.versionColumn(),
                                                            quoted(m_def.tableName), dialect.postIdColumn()));
        q.addBindValue(m_postId);
        if (!q.exec()) {
            m_postWaiting = m_server->isConnectionLoss(q.lastError());
            if (!m_postWaiting)
                reportError(saveFailedText(whyText(q.lastError())));
            return false;
        }
        if (q.next()) {
            const int key = q.value(0).toInt();
            m_loadedVersion = q.value(1).toInt();
            m_keys[m_pos] = key;
            for (int i = 0; i < schema().count(); ++i)
                if (schema().field(i).type == FieldType::AutoInc)
                    m_buffer.setValue(i, key);
            m_state = StoreState::Edit;   // quietly: the row is stored, its values follow
            inserting = false;
            overwrite = true;
        }
    }
    // On the server a stored row is saved only under its lock, taken again
    // when the connection was lost meanwhile.
    if (server && !inserting && !lockCurrent(false))
        return false;

    QStringList cols;
    QVariantList values;
    bool orderTouched = inserting;
    QStringList orderFields = m_def.primaryOrder;
    for (const TableOrder &o : m_def.orders)
        if (o.name == m_order)
            orderFields = o.fieldList.split(u';', Qt::SkipEmptyParts);
    QSet<int> orderColumns;
    for (const QString &f : orderFields)
        orderColumns.insert(schema().indexOf(f.trimmed()));

    for (int i = 0; i < schema().count(); ++i) {
        const FieldDef &f = schema().field(i);
        if (f.type == FieldType::AutoInc)
            continue;
        const QVariant now = m_buffer.value(i);
        const QVariant before = m_loaded.value(i);
        const bool changed = now.isValid() != before.isValid() || (now.isValid() && now != before);
        if (inserting ? !now.isValid() : !(changed || overwrite))
            continue;
        cols << quoted(f.name);
        values << dialect.bindable(f.type, now);
        if (orderColumns.contains(i) && (changed || inserting))
            orderTouched = true;
    }

    if (!inserting && cols.isEmpty()) {
        // Saved as it was (a row that only counted as changed): nothing to write.
        setState(StoreState::Browse);
        emit rowChanged(m_pos);
        emit afterPost();
        return true;
    }
    if (server && m_postId.isEmpty())
        m_postId = QUuid::createUuid().toString(QUuid::WithoutBraces);

    QString sql;
    if (inserting) {
        if (server) {
            cols << dialect.postIdColumn();
            values << m_postId;
        }
        if (cols.isEmpty())
            sql = u"INSERT INTO %1 DEFAULT VALUES"_qs.arg(quoted(m_def.tableName));
        else
            sql = u"INSERT INTO %1 (%2) VALUES (%3)"_qs.arg(quoted(m_def.tableName), cols.join(u", "_qs),
                                                           QStringList(cols.size(), u"?"_qs).join(u", "_qs));
        if (server)
            sql += u" RETURNING %1, %2, %3"_qs.arg(m_sql->key, dialect.versionColumn(),
                                                  dialect.noticeTerm(m_def.tableName, u'i', m_sql->key, &values));
    } else {
        QStringList sets;
        for (const QString &c : cols)
            sets << c + u" = ?"_qs;
        if (server) {
            sets << u"%1 = %1 + 1"_qs.arg(dialect.versionColumn()) << dialect.postIdColumn() + u" = ?"_qs;
            values << m_postId;
        }
        sql = u"UPDATE %1 SET %2 WHERE %3 = ?"_qs.arg(quoted(m_def.tableName), sets.join(u", "_qs), m_sql->key);
        values << currentKey();
        if (server && !overwrite) {
            sql += u" AND %1 = ?"_qs.arg(dialect.versionColumn());
            values << m_loadedVersion;
        }
        if (server)
            sql += u" RETURNING %1, %2"_qs.arg(dialect.versionColumn(),
                                              dialect.noticeTerm(m_def.tableName, u'u', m_sql->key, &values));
        // The saved row's lock goes in the same step.
        if (server && m_lockedKey == currentKey())
            sql = dialect.releasingLock(sql, m_def.tableName, m_lockedKey, &values);
    }
    const bool releasing = server && !inserting && m_lockedKey == currentKey();

    // On the server the one statement is a transaction of its own: the row,
    // its version and the notice to the other desks, all or nothing.
    int key = currentKey();
    int version = m_loadedVersion;
    QSqlError failure;
    bool conflict = false;
    bool ok = false;
    if (!server && !db.transaction()) {
        failure = db.lastError();
    } else {
        // On the server the statement is kept prepared for the next save of the same fields.
        QSqlQuery local(db);
        QSqlQuery *q = server ? m_server->prepared(sql, &failure) : &local;
        if (!q) {
            ok = false;
        } else if (server) {
            ok = ServerConnection::run(q, values, &failure);
        } else {
            ok = q->prepare(sql);
            for (const QVariant &v : values)
                q->addBindValue(v);
            ok = ok && q->exec();
            if (!ok)
                failure = q->lastError();
        }
        if (ok && server) {
            if (q->next()) {
                if (inserting)
                    key = q->value(0).toInt();
                version = q->value(inserting ? 1 : 0).toInt();
            } else {
                conflict = true;   // another desk saved or deleted the row meanwhile
                ok = false;
            }
        } else if (ok && inserting) {
            key = q->lastInsertId().toInt();
        }
        if (q)
            q->finish();
        if (!server && ok && !db.commit()) {
            failure = db.lastError();
            ok = false;
        }
        if (!server && !ok)
            db.rollback();
    }
    if (conflict)
        return resolveConflict();
    if (!ok) {
        // A lost connection keeps the changes for the save once it is back;
        // the connection has said so once.
        if (server && m_server->isConnectionLoss(failure)) {
            m_postWaiting = true;
            return false;
        }
        reportError(saveFailedText(whyText(failure)));
        return false;
    }
    m_postId.clear();
    m_postWaiting = false;
    m_loadedVersion = version;
    if (releasing)
        m_lockedKey = 0;   // released with the save

    // The key of a new row is the AutoInc field, where the table has one.
    for (int i = 0; i < schema().count(); ++i)
        if (schema().field(i).type == FieldType::AutoInc)
            m_buffer.setValue(i, key);
    m_loaded = m_buffer;
    m_cache.remove(key);
    if (m_indexReady)
        indexRow(key, m_buffer);
    if (isSearching())
        m_savedWhileSearching.insert(key);
    setState(StoreState::Browse);
    bool leftView = false;
    if (orderTouched || m_restrictKey != 0) {
        if (m_pos >= 0 && m_keys[m_pos] == 0)
            m_keys[m_pos] = key;
        reloadKeys(key);
        // Read while restricted: the table's other keys are not known now.
        if (m_restrictKey != 0 && inserting)
            m_allKeysValid = false;
        // A new row saved while the view is restricted to another record is
        // not part of the view: the view's own record becomes current again,
        // with its own values, so that later edits cannot land on it.
        leftView = currentKey() != key;
        if (leftView) {
            emit beforeScroll();
            loadCurrent();
        }
        emit rowsReset();
    } else {
        emit rowChanged(m_pos);
    }
    emit afterPost();
    if (leftView)
        emit afterScroll();
    emit currentReloaded();
    return true;
}

bool TableStore::deleteCurrent()
{
    if (!isOpen() || isEmpty())
        return false;
    const PromptButton answer =
        askUser(PromptKind::Confirmation, u"Datensatz löschen?"_qs, PromptButton::Ok | PromptButton::Cancel, PromptButton::Ok);
    if (answer != PromptButton::Ok)
        return false;
    if (m_state == StoreState::Insert) {
        cancel();
        return true;
    }
    // A row another desk edits is not deleted under its hands.
    if (m_sql->dialect->isServer() && !lockCurrent(true))
        return false;
    QSqlDatabase db = m_sql->db();
    QSqlError failure;
    bool ok = false;
    const bool server = m_sql->dialect->isServer();
    if (!server && !db.transaction()) {
        failure = db.lastError();
    } else {
        // On the server one statement deletes the row and tells the other desks.
        QSqlQuery q(db);
        QVariantList values{currentKey()};
        QString sql = u"DELETE FROM %1 WHERE %2 = ?"_qs.arg(quoted(m_def.tableName), m_sql->key);
        if (server)
            sql = m_sql->dialect->releasingLock(
                sql + u" RETURNING "_qs + m_sql->dialect->noticeTerm(m_def.tableName, u'd', m_sql->key, &values),
                m_def.tableName, currentKey(), &values);
        q.prepare(sql);
        for (const QVariant &v : values)
            q.addBindValue(v);
        const bool done = q.exec();
        if (!done)
            failure = q.lastError();
        // The lock went with the row, unless another desk had deleted it already.
        if (done && server && q.next() && m_lockedKey == currentKey())
            m_lockedKey = 0;
        if (!done) {
            if (!server)
                db.rollback();
        } else if (!server && !db.commit()) {
            failure = db.lastError();
            db.rollback();
        } else {
            ok = true;
        }
    }
    if (!ok) {
        if (m_server && m_server->isConnectionLoss(failure))
            return false;   // nothing deleted; the connection has said why
        reportError(u"Der Datensatz kann nicht aus %1 gelöscht werden: %2"_qs.arg(placeText(), whyText(failure)));
        releaseLockUnlessEditing();
        return false;
    }
    emit beforeScroll();
    releaseLock();
    m_cache.remove(currentKey());
    m_allKeys.removeOne(currentKey());
    m_searchIndex.remove(currentKey());
    m_savedWhileSearching.remove(currentKey());
    m_othersLocks.remove(currentKey());
    m_keys.remove(m_pos);
    m_pos = isEmpty() ? -1 : qMin(m_pos, rowCount() - 1);
    loadCurrent();
    setState(StoreState::Browse);
    emit rowsReset();
    emit afterScroll();
    emit currentReloaded();
    return true;
}

// --- restriction --------------------------------------------------------------------------

bool TableStore::restrictToKey(int key)
{
    if (!isOpen() || !finishEditing())
        return false;
    const int before = currentKey();
    m_restrictKey = key;
    if (!reloadKeys(key))
        return false;
    emit rowsReset();
    if (currentKey() != before) {
        emit beforeScroll();
        loadCurrent();
        emit afterScroll();
        emit currentReloaded();
    }
    return true;
}

bool TableStore::liftRestriction()
{
    if (!isOpen() || !finishEditing())
        return false;
    if (m_restrictKey == 0)
        return true;
    const int before = currentKey();
    m_restrictKey = 0;
    if (!reloadKeys(before))
        return false;
    emit rowsReset();
    if (currentKey() != before) {
        emit beforeScroll();
        loadCurrent();
        emit afterScroll();
        emit currentReloaded();
    }
    return true;
}

// --- quick search --------------------------------------------------------------------------

int TableStore::totalRowCount() const
{
    if (!isSearching() && !isRestricted())
        return rowCount();
    return int(m_allKeys.size()) + (m_state == StoreState::Insert ? 1 : 0);
}

bool TableStore::loadAllKeys()
{
    QSqlQuery q(m_sql->db());
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT %1 FROM %2 ORDER BY %3"_qs.arg(m_sql->key, quoted(m_def.tableName), orderByClause(m_order)))) {
        if (m_server && m_server->isConnectionLoss(q.lastError()))
            return false;   // said once by the connection; the search waits for it
        reportError(u"%1 kann nicht gelesen werden: %2"_qs.arg(placeSubject(), whyText(q.lastError())));
        return false;
    }
    QVector<int> keys;
    keys.reserve(m_allKeys.size());
    while (q.next())
        keys.append(q.value(0).toInt());
    m_allKeys = std::move(keys);
    m_allKeysValid = true;
    return true;
}

void TableStore::indexRow(int key, const Record &record)
{
    QStringList texts;
    texts.reserve(m_def.searchFields.size());
    for (const QString &f : m_def.searchFields)
        texts << record.text(f);
    m_searchIndex.insert(key, searchtext::haystack(texts));
}

// The searched text of every row, read when a search begins, so that a
// search always looks at the table as it is on the medium.  The fields come
// joined from the table, one text per row, as haystack() joins them.
bool TableStore::buildSearchIndex()
{
    m_searchIndex.clear();
    m_indexReady = false;
    QStringList fields;
    for (const QString &f : m_def.searchFields) {
        const QString c = columnOf(f);
        if (!c.isEmpty())
            fields << u"coalesce(CAST(%1 AS TEXT), '')"_qs.arg(quoted(c));
    }
    if (fields.isEmpty())
        fields << u"''"_qs;
    QSqlQuery q(m_sql->db());
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT %1, %2 FROM %3"_qs.arg(m_sql->key, fields.join(u" || '\n' || "_qs), quoted(m_def.tableName)))) {
        if (m_server && m_server->isConnectionLoss(q.lastError()))
            return false;
        reportError(u"%1 kann nicht gelesen werden: %2"_qs.arg(placeSubject(), whyText(q.lastError())));
        return false;
    }
    m_searchIndex.reserve(int(m_allKeys.size()));
    while (q.next())
        m_searchIndex.insert(q.value(0).toInt(), searchtext::searchForm(q.value(1).toString()) + u'\n');
    // The pending values of the current row are what the user sees.
    if (currentKey() != 0)
        indexRow(currentKey(), m_buffer);
    m_indexReady = true;
    return true;
}

bool TableStore::prepareSearch()
{
    if (!isOpen() || isRestricted())
        return false;
    if (m_indexReady)
        return true;
    return loadAllKeys() && buildSearchIndex();
}

QVector<int> TableStore::searchedKeys(int keepKey, const QVector<int> &candidates) const
{
    QList<QStringMatcher> matchers;
    for (const QString &w : m_searchWords)
        matchers.append(QStringMatcher(w));
    QVector<int> keys;
    for (const int k : candidates) {
        if (k == 0)
            continue;   // a new row not saved yet: the caller places it
        bool found = k == keepKey || m_savedWhileSearching.contains(k);
        if (!found) {
            const auto it = m_searchIndex.constFind(k);
            found = it != m_searchIndex.cend();
            for (qsizetype w = 0; found && w < matchers.size(); ++w)
                found = matchers[w].indexIn(*it) >= 0;
        }
        if (found)
            keys.append(k);
    }
    return keys;
}

bool TableStore::setSearch(const QString &text)
{
    if (!isOpen() || isRestricted())
        return false;
    const QStringList words = searchtext::searchWords(text);
    if (words == m_searchWords) {
        m_searchText = words.isEmpty() ? QString() : text;
        return true;
    }
    // A new search reads the table afresh (unless prepareSearch has just
    // done so); the following keystrokes work on what it read.
    if (!words.isEmpty() && !prepareSearch())
        return false;
    if (!m_allKeysValid && !loadAllKeys())
        return false;
    // A search that only adds to the last one looks among what that found.
    const bool narrows = searchtext::narrows(m_searchWords, words);

    // Typing a search never leads to a question: unsaved changes keep their
    // row current and in the rows.  A row merely in the edit state is left as it was.
    const bool keepCurrent = isModified();
    if (!keepCurrent && (m_state == StoreState::Edit))
        cancel();
    const int current = currentKey();
    if (current != 0)
        m_anchorKey = current;

    m_searchWords = words;
    m_searchText = words.isEmpty() ? QString() : text;
    m_savedWhileSearching.clear();
    QVector<int> keys;
    if (words.isEmpty()) {
        keys = m_allKeys;
        m_searchIndex.clear();
        m_indexReady = false;
    } else {
        keys = searchedKeys(keepCurrent ? current : 0, narrows ? m_keys : m_allKeys);
    }

    int pos = -1;
    if (m_state == StoreState::Insert) {
        // The new row is not in the table yet: it stays where it was shown.
        pos = qBound(0, m_pos, int(keys.size()));
        keys.insert(pos, 0);
    } else if (keepCurrent) {
        pos = int(keys.indexOf(current));
    } else {
        pos = int(keys.indexOf(m_anchorKey));
        if (pos < 0 && !keys.isEmpty())
            pos = 0;
    }
    const int newKey = pos >= 0 ? keys[pos] : 0;
    const bool moves = newKey != current || (pos < 0) != (m_pos < 0);
    if (moves)
        emit beforeScroll();
    m_keys = std::move(keys);
    m_pos = pos;
    if (moves)
        loadCurrent();
    emit rowsReset();
    if (moves) {
        emit afterScroll();
        emit currentReloaded();
    }
    return true;
}

// --- fields by name -----------------------------------------------------------------------

int TableStore::editableField(const QString &name)
{
    const int i = schema().indexOf(name);
    if (i < 0 || !isOpen())
        return -1;
    if (schema().field(i).type == FieldType::AutoInc) {
        reportError(u"Feld '%1' kann nicht geändert werden"_qs.arg(schema().field(i).name));
        return -1;
    }
    return edit() ? i : -1;
}

bool TableStore::setFieldValue(const QString &name, const QVariant &value)
{
    const int i = editableField(name);
    if (i < 0)
        return false;
    const FieldDef &f = schema().field(i);
    QVariant v = value;
    // An empty text is an empty field, so that clearing a field that was never
    // set does not count as a change.
    if (isText(f.type) && v.isValid() && !v.isNull() && v.toString().isEmpty())
        v = QVariant();
    const QVariant before = m_buffer.value(i);
    if (!m_buffer.setValue(i, v))
        return false;
    const QVariant after = m_buffer.value(i);
    if (before.isValid() != after.isValid() || before != after) {
        emit fieldChanged(f.name);
        emit rowChanged(m_pos);
    }
    return true;
}

QString floatConversionMessage(const QString &typed, const QString &fieldName)
{
    return u"'%1' ist kein gültiger Fließkommawert für Feld '%2'"_qs.arg(typed, fieldName);
}

bool TableStore::setFieldText(const QString &name, const QString &typed)
{
    const int i = editableField(name);
    if (i < 0)
        return false;
    const FieldDef &f = schema().field(i);
    const QString t = typed.trimmed();
    if (isText(f.type))
        return setFieldValue(f.name, typed);
    if (t.isEmpty())
        return setFieldValue(f.name, QVariant());
    switch (f.type) {
    case FieldType::Float: {
        double d = 0;
        if (!numfmt::parse(t, &d)) {
            reportError(floatConversionMessage(typed, f.name));
            return false;
        }
        return setFieldValue(f.name, d);
    }
    case FieldType::SmallInt: {
        bool ok = false;
        const qlonglong n = t.toLongLong(&ok, 10);
        if (!ok || n < INT_MIN || n > INT_MAX) {
            reportError(u"'%1' ist kein gültiger Integerwert für Feld '%2'"_qs.arg(typed, f.name));
            return false;
        }
        if (n < -32768 || n > 32767) {
            reportError(u"%1 ist kein gültiger Wert für das Feld '%2'. Der zulässige Bereich ist  %3 bis %4"_qs.arg(
                QString::number(double(n), 'g', 15), f.name, u"-32768"_qs, u"32767"_qs));
            return false;
        }
        return setFieldValue(f.name, int(n));
    }
    case FieldType::Boolean: {
        const QString l = t.toLower();
        if (l == f.trueText.toLower() || l == u"wahr"_qs || l == u"true"_qs || l == u"ja"_qs)
            return setFieldValue(f.name, true);
        if (l == f.falseText.toLower() || l == u"falsch"_qs || l == u"false"_qs || l == u"nein"_qs)
            return setFieldValue(f.name, false);
        reportError(u"'%1' ist kein gültiger Wahrheitswert für Feld '%2'"_qs.arg(typed, f.name));
        return false;
    }
    default:
        return false;
    }
}
