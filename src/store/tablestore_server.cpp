// The table store on the office server: opening a table there, the lock of
// the row being edited, the other desks' changes as they are announced, the
// conflict of a save with another desk's, and what happens when the
// connection comes back.
#include "tablestore.h"

#include "serverconnection.h"
#include "tablestore_p.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

using serverschema::quoted;

QString TableStore::lockMessage(const QString &desk, const QDateTime &since)
{
    return u"Dieser Datensatz wird gerade am Arbeitsplatz „%1“ bearbeitet (seit %2)."_qs.arg(
        desk, since.isValid() ? since.toLocalTime().toString(u"HH:mm"_qs) : u"--:--"_qs);
}

QString TableStore::lockNotice() const
{
    const int key = currentKey();
    if (!m_server || key == 0 || key == m_lockedKey)
        return {};
    const auto it = m_othersLocks.constFind(key);
    return it == m_othersLocks.cend() ? QString() : lockMessage(it->desk, it->since);
}

QString TableStore::whyText(const QSqlError &error) const
{
    const QString why = m_server ? ServerConnection::errorText(error) : errorText(error);
    return why.isEmpty() ? u"unbekannter Fehler"_qs : why;
}

QString TableStore::placeText() const
{
    return m_server ? u"der Tabelle \"%1\" auf dem Datenbankserver \"%2\""_qs.arg(m_def.tableName,
                                                                               m_server->address().shownName())
                    : u"der Datei \"%1\""_qs.arg(m_filePath);
}

QString TableStore::placeSubject() const
{
    // The subject of a sentence takes the nominative ("Die Datei …"), not the
    // dative of placeText() ("in der Datei …").
    return m_server ? u"Die Tabelle \"%1\" auf dem Datenbankserver \"%2\""_qs.arg(m_def.tableName,
                                                                               m_server->address().shownName())
                    : u"Die Datei \"%1\""_qs.arg(m_filePath);
}

QString TableStore::saveFailedText(const QString &why) const
{
    return u"Der Datensatz kann nicht in %1 gespeichert werden: %2"_qs.arg(placeText(), why);
}

// --- opening --------------------------------------------------------------------------

bool TableStore::open(ServerConnection *server)
{
    close();
    m_error.clear();
    m_readOnly = false;
    m_saveFailed = false;
    if (!server || !server->isConnected()) {
        reportError(u"Es besteht keine Verbindung zum Datenbankserver."_qs);
        return false;
    }
    m_server = server;
    m_filePath = server->address().toUri() + u'#' + m_def.tableName;
    m_sql = std::make_unique<Sql>();
    m_sql->connection = server->connectionName();
    m_sql->dialect = makeServerDialect(server);
    m_sql->key = m_sql->dialect->keyColumn(m_def);

    const auto fail = [this] {
        const QString why = m_error;
        close();
        m_error = why;
        return false;
    };
    if (!openServerTable())
        return fail();
    connect(server, &ServerConnection::changed, this, &TableStore::serverChanged);
    connect(server, &ServerConnection::reconnected, this, &TableStore::serverReconnected);
    connect(server, &ServerConnection::tick, this, &TableStore::serverTick);

    m_order.clear();
    m_restrictKey = 0;
    m_state = StoreState::Browse;
    if (!reloadKeys(0) || !loadCurrent())
        return fail();
    emit stateChanged(m_state);
    emit afterOpen();
    emit rowsReset();
    emit afterScroll();
    emit currentReloaded();
    return true;
}

bool TableStore::openServerTable()
{
    QSqlDatabase db = m_sql->db();
    const QString where = m_server->address().shownName();
    const QString noTables =
        u"Die Datenbank auf dem Server \"%1\" enthält keine Tabellen von Ofenring. Sie werden mit dem Befehl "
        "\"ofenring-cli server-einrichten\" aus einem Datenordner angelegt."_qs.arg(where);

    // Ofenring's tables must be there, in the version this program knows.
    QSqlQuery v(db);
    v.prepare(u"SELECT wert FROM %1 WHERE schluessel = ?"_qs.arg(serverschema::infoTable));
    v.addBindValue(u"schemaversion"_qs);
    if (!v.exec()) {
        const bool missing = v.lastError().nativeErrorCode() == u"42P01"_qs;   // undefined table
        reportError(missing ? noTables
                            : u"Die Tabellen auf dem Datenbankserver \"%1\" können nicht gelesen werden: %2"_qs.arg(
                                  where, whyText(v.lastError())));
        return false;
    }
    if (!v.next()) {
        reportError(noTables);
        return false;
    }
    const int version = v.value(0).toInt();
    if (version != serverschema::kSchemaVersion) {
        reportError(u"Die Tabellen auf dem Datenbankserver \"%1\" haben die Fassung %2; dieses Programm kennt die Fassung %3."_qs
                        .arg(where)
                        .arg(version)
                        .arg(serverschema::kSchemaVersion));
        return false;
    }

    QSqlQuery c(db);
    // The system catalog answers at once, where the information schema's views take their time.
    c.prepare(u"SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(?) AND attnum > 0 AND NOT attisdropped"_qs);
    c.addBindValue(quoted(m_def.tableName));
    if (!c.exec()) {
        reportError(u"Die Tabellen auf dem Datenbankserver \"%1\" können nicht gelesen werden: %2"_qs.arg(
            where, whyText(c.lastError())));
        return false;
    }
    QSet<QString> columns;
    while (c.next())
        columns.insert(c.value(0).toString());
    if (columns.isEmpty()) {
        reportError(u"Auf dem Datenbankserver \"%1\" fehlt die Tabelle \"%2\"."_qs.arg(where, m_def.tableName));
        return false;
    }
    QStringList needed;
    for (const FieldDef &f : schema().fields())
        needed << f.name;
    needed << m_sql->dialect->versionColumn() << m_sql->dialect->postIdColumn();
    for (const QString &name : needed)
        if (!columns.contains(name)) {
            reportError(u"In der Tabelle \"%1\" auf dem Datenbankserver \"%2\" fehlt das Feld \"%3\"."_qs.arg(
                m_def.tableName, where, name));
            return false;
        }

    QStringList cols{m_sql->key};
    for (const FieldDef &f : schema().fields())
        cols << quoted(f.name);
    cols << m_sql->dialect->versionColumn();
    m_sql->columns = cols.join(u", "_qs);
    m_sql->selectRow.emplace(db);
    if (!m_sql->selectRow->prepare(
            u"SELECT %1 FROM %2 WHERE %3 = ?"_qs.arg(m_sql->columns, quoted(m_def.tableName), m_sql->key))) {
        reportError(u"Die Tabelle \"%1\" auf dem Datenbankserver \"%2\" kann nicht gelesen werden: %3"_qs.arg(
            m_def.tableName, where, whyText(m_sql->selectRow->lastError())));
        return false;
    }
    if (!ensureOrders())
        return false;
    m_othersLocks = m_sql->dialect->heldByOthers(m_def.tableName);
    return true;
}

// --- the lock of the row being edited ----------------------------------------------------

bool TableStore::lockCurrent(bool checkFresh)
{
    if (!m_server || !m_sql || m_pos < 0)
        return true;
    const int key = currentKey();
    if (key == 0 || key == m_lockedKey)
        return true;
    // While the connection is lost the row is edited without its lock; the
    // lock is taken when the connection is back, before anything is saved.
    if (m_server->isLost())
        return true;
    LockHolder holder;
    QSqlError error;
    int version = 0;
    const QString versionQuery = u"SELECT %1 FROM %2 WHERE %3 = ?"_qs.arg(m_sql->dialect->versionColumn(),
                                                                         quoted(m_def.tableName), m_sql->key);
    switch (m_sql->dialect->lockRow(m_def.tableName, key, &holder, &error, checkFresh ? versionQuery : QString(),
                                    &version)) {
    case StoreDialect::Lock::Failed:
        if (m_server->isConnectionLoss(error))
            return true;
        reportError(u"Der Datensatz kann nicht zum Bearbeiten gesperrt werden: %1"_qs.arg(whyText(error)));
        return false;
    case StoreDialect::Lock::Held:
        m_othersLocks.insert(key, holder);
        emit lockNoticeChanged();
        m_error = lockMessage(holder.desk, holder.since);
        askUser(PromptKind::Information, m_error, PromptButton::Ok, PromptButton::Ok);
        // What the refused key or click changed on the screen goes back to
        // the stored values once the control that took it is done.
        QMetaObject::invokeMethod(this, [this] { emit currentReloaded(); }, Qt::QueuedConnection);
        return false;
    case StoreDialect::Lock::Granted:
        break;
    }
    m_lockedKey = key;
    if (m_othersLocks.remove(key) > 0)
        emit lockNoticeChanged();
    if (!checkFresh)
        return true;

    // Another desk may have saved the row a moment ago, its notice not yet
    // here: the edit starts from what is stored, never from older values.
    const bool gone = version < 0;
    if (version == m_loadedVersion)
        return true;
    releaseLock();
    serverChanged(m_def.tableName, gone ? u'd' : u'u', key, QString());
    m_error = gone ? u"Der Datensatz wurde eben an einem anderen Arbeitsplatz gelöscht."_qs
                   : u"Der Datensatz wurde eben an einem anderen Arbeitsplatz geändert. Er wird jetzt so gezeigt, "
                     "wie er gespeichert ist."_qs;
    askUser(PromptKind::Information, m_error, PromptButton::Ok, PromptButton::Ok);
    QMetaObject::invokeMethod(this, [this] { emit currentReloaded(); }, Qt::QueuedConnection);
    return false;
}

void TableStore::releaseLock()
{
    const int key = m_lockedKey;
    m_lockedKey = 0;
    if (key != 0 && m_server && m_sql)
        m_sql->dialect->unlockRow(m_def.tableName, key);
}

void TableStore::releaseLockUnlessEditing()
{
    if (m_state != StoreState::Edit)
        releaseLock();
}

// --- the other desks -----------------------------------------------------------------------

bool TableStore::reloadKeysKeepingNewRow(int keepKey)
{
    const bool inserting = m_state == StoreState::Insert;
    const int editedKey = m_state == StoreState::Edit ? currentKey() : 0;
    const int oldPos = m_pos;
    if (!reloadKeys(inserting ? m_keyBeforeInsert : keepKey))
        return false;
    // The row being edited here stays, whatever the other desks did: a new
    // one not saved yet, or one that another desk deleted meanwhile (its save
    // will ask what to do).
    if (inserting || (editedKey != 0 && rowOfKey(editedKey) < 0)) {
        const int at = qBound(0, oldPos, rowCount());
        m_keys.insert(at, inserting ? 0 : editedKey);
        m_pos = at;
    }
    return true;
}

void TableStore::serverChanged(const QString &table, QChar operation, int key, const QString &extra)
{
    if (table != m_def.tableName || !isOpen() || !m_server)
        return;
    const bool isCurrent = key != 0 && key == currentKey();
    if (operation == u'l') {
        const QStringList parts = extra.split(u'\t');
        m_othersLocks.insert(key, {parts.mid(1).join(u'\t'), QDateTime::fromString(parts.value(0), Qt::ISODate)});
        if (isCurrent)
            emit lockNoticeChanged();
        return;
    }
    if (operation == u'r') {
        if (m_othersLocks.remove(key) > 0 && isCurrent)
            emit lockNoticeChanged();
        // A save that waited for that desk to finish goes ahead now.
        if (isCurrent && m_postWaiting && m_state == StoreState::Edit)
            QTimer::singleShot(0, this, [this] {
                if (m_postWaiting && s_promptDepth == 0 && m_server && m_server->isConnected())
                    m_saveFailed = !writeCurrent();
            });
        return;
    }
    if (operation != u'u' && operation != u'i' && operation != u'd')
        return;

    m_cache.remove(key);
    if (operation == u'd')
        m_othersLocks.remove(key);
    // A quick search looks at the other desk's values too: the row is read
    // into the searched text again, unless it is being edited here (then the
    // values typed here are what the search looks at).
    if (m_indexReady && operation != u'd' && !(isCurrent && m_state != StoreState::Browse)) {
        Record row;
        if (readRow(key, &row))
            indexRow(key, row);
    }
    QStringList orderFields = m_def.primaryOrder;
    for (const TableOrder &o : m_def.orders)
        if (o.name == m_order)
            orderFields = o.fieldList.split(u';', Qt::SkipEmptyParts);
    const bool byKey = orderFields.isEmpty()
        || (orderFields.size() == 1 && schema().indexOf(orderFields.first().trimmed()) >= 0
            && schema().field(schema().indexOf(orderFields.first().trimmed())).type == FieldType::AutoInc);
    // Under a quick search a save may bring a row into the found rows or take it out.
    const bool keysChange = operation != u'u' || !byKey || isSearching();
    const bool browsing = m_state == StoreState::Browse;

    if (keysChange) {
        const int oldPos = m_pos;
        const bool currentGone = operation == u'd' && isCurrent && browsing;
        if (!reloadKeysKeepingNewRow(currentGone ? 0 : currentKey()))
            return;
        if (currentGone) {
            // The record shown here was deleted: its neighbour is shown.
            m_pos = isEmpty() ? -1 : qBound(0, oldPos, rowCount() - 1);
            emit rowsReset();
            emit beforeScroll();
            loadCurrent();
            emit afterScroll();
            emit currentReloaded();
            emit lockNoticeChanged();
            emit changedElsewhere(key);
            return;
        }
        emit rowsReset();
    }
    if (isCurrent && browsing && operation == u'u') {
        loadCurrent();
        emit currentReloaded();
        if (!keysChange)
            emit rowChanged(m_pos);
    } else if (!keysChange) {
        const int row = rowOfKey(key);
        if (row >= 0)
            emit rowChanged(row);
    }
    emit changedElsewhere(key);
}

void TableStore::serverTick()
{
    if (!isOpen() || !m_server || !m_server->isConnected() || s_promptDepth > 0)
        return;
    const int key = currentKey();
    if (key == 0 || !m_othersLocks.contains(key))
        return;
    LockHolder holder;
    if (m_sql->dialect->holderOf(m_def.tableName, key, &holder))
        return;
    // That desk ended without releasing the row: its lock went with its connection.
    m_othersLocks.remove(key);
    emit lockNoticeChanged();
    if (m_postWaiting && m_state == StoreState::Edit)
        m_saveFailed = !writeCurrent();
}

void TableStore::serverReconnected()
{
    if (!isOpen() || !m_server || !m_sql)
        return;
    // Nothing is saved behind a question that is still open.
    if (s_promptDepth > 0) {
        QTimer::singleShot(250, this, &TableStore::serverReconnected);
        return;
    }
    // The old connection's prepared statement and locks went with it.
    m_lockedKey = 0;
    m_sql->selectRow.emplace(m_sql->db());
    m_sql->selectRow->prepare(
        u"SELECT %1 FROM %2 WHERE %3 = ?"_qs.arg(m_sql->columns, quoted(m_def.tableName), m_sql->key));
    m_othersLocks = m_sql->dialect->heldByOthers(m_def.tableName);

    // What the other desks did meanwhile.
    const int oldPos = m_pos;
    const int key = currentKey();
    if (!reloadKeysKeepingNewRow(key))
        return;
    const bool browsing = m_state == StoreState::Browse;
    const bool moved = browsing && currentKey() != key;
    if (moved) {
        m_pos = isEmpty() ? -1 : qBound(0, oldPos, rowCount() - 1);
        emit beforeScroll();
    }
    if (browsing)
        loadCurrent();
    emit rowsReset();
    if (moved)
        emit afterScroll();
    if (browsing)
        emit currentReloaded();
    emit lockNoticeChanged();

    // The row edited here is locked again, and a confirmed save goes ahead.
    if (m_postWaiting)
        m_saveFailed = !writeCurrent();
    else if (m_state == StoreState::Edit)
        lockCurrent(false);
}

bool TableStore::resolveConflict()
{
    const int key = currentKey();
    Record stored(schema());
    int version = 0;
    const bool exists = readRow(key, &stored, &version);
    if (m_server->isLost()) {
        m_postWaiting = true;
        return false;
    }
    if (exists && !m_postId.isEmpty()) {
        // This desk's own save reached the server; only its answer was lost
        // with the connection.  What was changed since is written on it.
        QSqlQuery q(m_sql->db());
        q.prepare(u"SELECT %1 FROM %2 WHERE %3 = ?"_qs.arg(m_sql->dialect->postIdColumn(), quoted(m_def.tableName),
                                                         m_sql->key));
        q.addBindValue(key);
        if (q.exec() && q.next() && q.value(0).toString() == m_postId) {
            q.finish();
            m_loadedVersion = version;
            return writeCurrent();
        }
    }
    if (exists) {
        const PromptButton answer = askUser(
            PromptKind::Confirmation,
            u"Der Datensatz wurde inzwischen an einem anderen Arbeitsplatz geändert und gespeichert.\n\n"
            "Sollen Ihre Werte gespeichert werden und die neueren überschreiben?\n\n"
            "„Ja“ speichert Ihre Werte. „Nein“ übernimmt die neueren Werte und verwirft Ihre Änderungen. "
            "„Abbrechen“ lässt Ihre Änderungen offen."_qs,
            PromptButton::Yes | PromptButton::No | PromptButton::Cancel, PromptButton::Cancel);
        if (answer == PromptButton::Yes)
            return writeCurrent(true);
        if (answer == PromptButton::No) {
            m_postId.clear();
            m_postWaiting = false;
            m_cache.remove(key);
            m_loaded = stored;
            m_buffer = stored;
            m_loadedVersion = version;
            setState(StoreState::Browse);
            emit rowChanged(m_pos);
            emit currentReloaded();
        }
        return false;
    }
    const PromptButton answer = askUser(
        PromptKind::Confirmation,
        u"Der Datensatz wurde inzwischen an einem anderen Arbeitsplatz gelöscht.\n\n"
        "Soll er mit Ihren Werten als neuer Datensatz gespeichert werden?\n\n"
        "„Ja“ speichert ihn neu. „Nein“ verwirft Ihre Änderungen. „Abbrechen“ lässt Ihre Änderungen offen."_qs,
        PromptButton::Yes | PromptButton::No | PromptButton::Cancel, PromptButton::Cancel);
    if (answer == PromptButton::Yes) {
        releaseLock();
        m_postId.clear();
        m_loaded = Record(schema());
        m_keyBeforeInsert = 0;
        m_keys[m_pos] = 0;
        m_state = StoreState::Insert;
        emit stateChanged(m_state);
        return writeCurrent();
    }
    if (answer == PromptButton::No) {
        m_postId.clear();
        m_postWaiting = false;
        const int oldPos = m_pos;
        setState(StoreState::Browse);
        reloadKeys(0);
        m_pos = isEmpty() ? -1 : qBound(0, oldPos, rowCount() - 1);
        emit rowsReset();
        emit beforeScroll();
        loadCurrent();
        emit afterScroll();
        emit currentReloaded();
    }
    return false;
}
