// The two text lists on the office server.
#include "textlists.h"

#include "serverconnection.h"
#include "storedialect.h"
#include "tablestore.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

QString shownListName(TextLists::Kind kind)
{
    return kind == TextLists::RoomNames ? u"Raumbezeichnungen"_qs : u"Feuerstättenliste"_qs;
}

} // namespace

void TextLists::setServer(ServerConnection *server)
{
    m_server = server;
    m_dialect = server ? std::shared_ptr<StoreDialect>(makeServerDialect(server)) : nullptr;
}

QString TextLists::serverListName(Kind kind)
{
    return kind == RoomNames ? u"raeume"_qs : u"feuerst"_qs;
}

TextLists::ListFile TextLists::readServer(Kind kind) const
{
    ListFile file;
    QSqlQuery q(m_server->database());
    q.prepare(u"SELECT anzahl, eintraege FROM %1 WHERE liste = ?"_qs.arg(serverschema::listsTable));
    q.addBindValue(serverListName(kind));
    if (!q.exec()) {
        m_server->isConnectionLoss(q.lastError());
        return file;   // as a list file that cannot be read: the choices stay
    }
    if (!q.next())
        return file;
    file.status = ListFile::Read;
    file.lines = q.value(0).toInt() == 0 ? QStringList() : q.value(1).toString().split(u'\n');
    return file;
}

bool TextLists::saveServer(Kind kind, const QStringList &lines, Prompter *prompter)
{
    QSqlDatabase db = m_server->database();
    QSqlError failure;
    bool ok = db.transaction();
    if (!ok) {
        failure = db.lastError();
    } else {
        QSqlQuery q(db);
        q.prepare(u"INSERT INTO %1 (liste, anzahl, eintraege) VALUES (?, ?, ?) ON CONFLICT (liste) DO UPDATE SET "
                  "anzahl = EXCLUDED.anzahl, eintraege = EXCLUDED.eintraege, "
                  "ofenring_version = %1.ofenring_version + 1"_qs.arg(serverschema::listsTable));
        q.addBindValue(serverListName(kind));
        q.addBindValue(int(lines.size()));
        // An empty list is an empty text, never NULL.
        const QString joined = lines.join(u'\n');
        q.addBindValue(joined.isNull() ? QStringLiteral("") : joined);
        ok = q.exec() && m_server->notify(serverschema::listsTable, u'u', int(kind));
        if (!ok)
            failure = q.lastError().isValid() ? q.lastError() : db.lastError();
        if (ok && !db.commit()) {
            failure = db.lastError();
            ok = false;
        }
        if (!ok)
            db.rollback();
    }
    if (!ok) {
        if (!m_server->isConnectionLoss(failure) && prompter)
            prompter->tell(PromptKind::Error,
                           u"Die Liste \"%1\" kann nicht auf dem Datenbankserver gespeichert werden: %2"_qs.arg(
                               shownListName(kind), ServerConnection::errorText(failure)));
        return false;
    }
    load(kind);
    return true;
}

bool TextLists::beginEdit(Kind kind, Prompter *prompter)
{
    if (!m_server || m_server->isLost())
        return true;
    LockHolder holder;
    QSqlError error;
    switch (m_dialect->lockRow(serverschema::listsTable, int(kind) + 1, &holder, &error)) {
    case StoreDialect::Lock::Granted:
        m_editLocked[kind] = true;
        return true;
    case StoreDialect::Lock::Failed:
        return m_server->isConnectionLoss(error);
    case StoreDialect::Lock::Held:
        break;
    }
    if (prompter) {
        QString text = TableStore::lockMessage(holder.desk, holder.since);
        text.replace(u"Dieser Datensatz"_qs, u"Diese Liste"_qs);
        prompter->tell(PromptKind::Information, text);
    }
    return false;
}

void TextLists::endEdit(Kind kind)
{
    if (m_server && m_editLocked[kind])
        m_dialect->unlockRow(serverschema::listsTable, int(kind) + 1);
    m_editLocked[kind] = false;
}
