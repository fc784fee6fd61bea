#include "takeover.h"

#include "catalogstore.h"
#include "codepage.h"
#include "fieldcaptions.h"
#include "fileerror.h"
#include "memofile.h"
#include "paradoxstream.h"
#include "paradoxtable.h"
#include "recordstore.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

const QString kJournal = u"uebernahme.json"_qs;
const QString kTempSuffix = u".uebernahme"_qs;
const QString kPartSuffix = u".teil"_qs;
const QString kStateBuild = u"bauen"_qs;
const QString kStatePlace = u"einsetzen"_qs;

// Files that belong to an old table: the table, its memo file, its indexes,
// validity checks and form settings.
const QRegularExpression kTableFamily(u"^(db|mb|px|val|tv|fam|[xy][0-9a-g][0-9a-f])$"_qs,
                                      QRegularExpression::CaseInsensitiveOption);

QList<TableDefinition> ourTables()
{
    return {RecordStore::tableDefinition(), CatalogStore::tableDefinition(CatalogStore::Owners),
            CatalogStore::tableDefinition(CatalogStore::Places), CatalogStore::tableDefinition(CatalogStore::Remarks)};
}

QString stemOf(const QString &fileName)
{
    return fileName.section(u'.', 0, 0);
}

// The entry of `dir` named `name` without regard to case; the exact spelling first.
QString findEntry(const QString &dir, const QString &name)
{
    const QDir d(dir);
    if (d.exists(name))
        return name;
    const QStringList all = d.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &e : all)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return {};
}

QString errnoText(int error)
{
    // A file gone between two steps is named as such; everything else as for any write.
    return error == ENOENT ? u"die Datei fehlt"_qs : fileerror::phrase(error);
}

bool syncPath(const QString &path, bool directory)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | (directory ? O_DIRECTORY : 0));
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// rename(2): atomic, and replaces an existing target.
bool renameFile(const QString &from, const QString &to, QString *why)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *why = errnoText(errno);
    return false;
}

// Copies a file; false with the reason in German.
bool copyFile(const QString &from, const QString &to, QString *why)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        *why = errno == ENOENT ? u"die Datei fehlt"_qs : fileerror::phrase(errno);
        return false;
    }
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        *why = fileerror::phrase(errno);
        ::close(in);
        return false;
    }
    std::vector<char> buffer(1 << 20);
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < n && error == 0;) {
            const ssize_t w = ::write(out, buffer.data() + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                error = w < 0 ? errno : ENOSPC;
            else
                done += w;
        }
        if (error != 0)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error != 0)
        *why = fileerror::phrase(error);
    return error == 0;
}

// Makes a folder and those above it; false with the reason in German.
bool makeFolder(const QString &path, QString *why)
{
    errno = 0;
    if (QDir().mkpath(path))
        return true;
    *why = errno != 0 ? fileerror::phrase(errno) : u"der Ordner kann nicht angelegt werden"_qs;
    return false;
}

bool sameBytes(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    while (!fa.atEnd()) {
        const QByteArray x = fa.read(1 << 20);
        if (x != fb.read(x.size()))
            return false;
    }
    return true;
}

QString paradoxTypeName(quint8 type, int length)
{
    switch (type) {
    case paradoxtype::Alpha: return u"Text(%1)"_qs.arg(length);
    case paradoxtype::Date: return u"Datum"_qs;
    case paradoxtype::Short: return u"Kurze Ganzzahl"_qs;
    case paradoxtype::Long: return u"Lange Ganzzahl"_qs;
    case paradoxtype::Currency: return u"Währung"_qs;
    case paradoxtype::Number: return u"Zahl"_qs;
    case paradoxtype::Logical: return u"Logisch"_qs;
    case paradoxtype::Memo: return u"Memo"_qs;
    case paradoxtype::Binary: return u"Binär"_qs;
    case paradoxtype::FmtMemo: return u"Formatiertes Memo"_qs;
    case paradoxtype::Ole: return u"OLE"_qs;
    case paradoxtype::Graphic: return u"Grafik"_qs;
    case paradoxtype::Time: return u"Zeit"_qs;
    case paradoxtype::Timestamp: return u"Zeitstempel"_qs;
    case paradoxtype::AutoInc: return u"Zähler"_qs;
    case paradoxtype::Bcd: return u"BCD"_qs;
    case paradoxtype::FixedBytes: return u"Bytes"_qs;
    }
    return u"Typ %1"_qs.arg(type);
}

// The one type of the old format that holds each of our field types.
quint8 paradoxTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc: return paradoxtype::AutoInc;
    case FieldType::String: return paradoxtype::Alpha;
    case FieldType::Float: return paradoxtype::Number;
    case FieldType::SmallInt: return paradoxtype::Short;
    case FieldType::Boolean: return paradoxtype::Logical;
    case FieldType::FmtMemo: return paradoxtype::FmtMemo;
    case FieldType::Memo: return paradoxtype::Memo;
    case FieldType::Graphic: return paradoxtype::Graphic;
    }
    return 0;
}

bool isBlob(FieldType type)
{
    return type == FieldType::Memo || type == FieldType::FmtMemo || type == FieldType::Graphic;
}

// A value as it is bound to an SQL statement: Booleans as 0/1.
QVariant sqlValue(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return v;
}

// One value of the old table in the type of our field.  Sets `problem` when
// it cannot be read, `shortened` when a text was cut to the field's size.
struct Conversion {
    QVariant value;
    QString problem;
    bool shortened = false;
    bool needsMemoFile = false;
    bool empty = false;
};

// The table engine keeps a picture in the memo file behind a head of its own:
// 01 00 00 01, then the picture's length (u32).  The field holds the picture
// itself; a value without that head, or whose length does not match, stays
// as it is.
QByteArray withoutPictureHead(const QByteArray &bytes)
{
    constexpr qsizetype kHead = 8;
    if (bytes.size() < kHead || !bytes.startsWith(QByteArray("\x01\x00\x00\x01", 4)))
        return bytes;
    const quint32 length = qFromLittleEndian<quint32>(bytes.constData() + 4);
    return length == quint64(bytes.size() - kHead) ? bytes.mid(kHead) : bytes;
}

Conversion convert(const FieldDef &def, const ParadoxValue &v, const CodePage &cp, const MemoFile &memo)
{
    Conversion c;
    switch (v.kind) {
    case ParadoxValue::Null:
        c.empty = true;
        return c;
    case ParadoxValue::Unreadable:
        c.problem = u"der Wert ist nicht lesbar"_qs;
        return c;
    case ParadoxValue::Integer:
        if (def.type == FieldType::AutoInc) {
            if (v.integer <= 0 || v.integer > std::numeric_limits<qint32>::max())
                c.problem = u"die laufende Nummer %1 ist ungültig"_qs.arg(v.integer);
            else
                c.value = int(v.integer);
        } else if (def.type == FieldType::SmallInt) {
            c.value = int(v.integer);
        } else {
            c.problem = u"der Wert hat nicht den Typ des Feldes"_qs;
        }
        return c;
    case ParadoxValue::Double:
        if (def.type != FieldType::Float)
            c.problem = u"der Wert hat nicht den Typ des Feldes"_qs;
        else if (!std::isfinite(v.real))
            c.problem = u"der Wert ist keine gültige Zahl"_qs;
        else
            c.value = v.real;
        return c;
    case ParadoxValue::Boolean:
        c.value = v.integer != 0;
        return c;
    case ParadoxValue::Bytes:
        break;
    }
    if (def.type == FieldType::String) {
        QString s = cp.decode(v.bytes);
        if (def.size > 0 && s.size() > def.size) {
            s.truncate(def.size);
            c.shortened = true;
        }
        c.value = s;
        return c;
    }
    const MemoFile::Value m = memo.read(v.bytes);
    switch (m.status) {
    case MemoFile::Status::Empty:
        c.empty = true;
        return c;
    case MemoFile::Status::NeedsFile:
        c.needsMemoFile = true;
        return c;
    case MemoFile::Status::Damaged:
        c.problem = m.problem;
        return c;
    case MemoFile::Status::Ok:
        break;
    }
    if (def.type == FieldType::Graphic) {
        c.value = withoutPictureHead(m.bytes);
        return c;
    }
    QByteArray bytes = m.bytes;
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    QString text = cp.decode(bytes);
    // A plain memo keeps its lines; the line ends become the program's own.
    if (def.type == FieldType::Memo)
        text.replace(u"\r\n"_qs, u"\n"_qs);
    if (text.isEmpty())
        c.empty = true;
    else
        c.value = text;
    return c;
}

QJsonArray notesToJson(const QList<TakenTable::Note> &notes)
{
    QJsonArray a;
    for (const TakenTable::Note &n : notes) {
        QJsonObject o{{u"record"_qs, n.record}, {u"field"_qs, n.field}, {u"reason"_qs, n.reason}};
        if (n.key != 0)
            o.insert(u"Lfd"_qs, double(n.key));
        a.append(o);
    }
    return a;
}

QList<TakenTable::Note> notesFromJson(const QJsonArray &a)
{
    QList<TakenTable::Note> notes;
    for (const QJsonValue &v : a) {
        const QJsonObject o = v.toObject();
        notes.append({o.value(u"record"_qs).toInt(), qint64(o.value(u"Lfd"_qs).toDouble()),
                      o.value(u"field"_qs).toString(), o.value(u"reason"_qs).toString()});
    }
    return notes;
}

QStringList toStringList(const QJsonValue &v)
{
    QStringList list;
    for (const QJsonValue &e : v.toArray())
        list << e.toString();
    return list;
}

int connectionSerial = 0;

} // namespace

// --- report ------------------------------------------------------------------------

QJsonObject TakenTable::toJson() const
{
    QJsonObject empty;
    for (auto it = emptyValues.begin(); it != emptyValues.end(); ++it)
        empty.insert(it.key(), it.value());
    return {
        {u"table"_qs, table},
        {u"oldFile"_qs, oldFile},
        {u"records"_qs, records},
        {u"headerRecords"_qs, headerRecords},
        {u"readerMessages"_qs, QJsonArray::fromStringList(readerMessages)},
        {u"codePage"_qs, codePage},
        {u"missingFields"_qs, QJsonArray::fromStringList(missingFields)},
        {u"alwaysEmpty"_qs, QJsonArray::fromStringList(alwaysEmpty)},
        {u"emptyValues"_qs, empty},
        {u"unreadable"_qs, notesToJson(unreadable)},
        {u"shortened"_qs, notesToJson(shortened)},
    };
}

TakenTable TakenTable::fromJson(const QJsonObject &o)
{
    TakenTable t;
    t.table = o.value(u"table"_qs).toString();
    t.oldFile = o.value(u"oldFile"_qs).toString();
    t.records = o.value(u"records"_qs).toInt();
    t.headerRecords = o.value(u"headerRecords"_qs).toInt(t.records);
    t.readerMessages = toStringList(o.value(u"readerMessages"_qs));
    t.codePage = o.value(u"codePage"_qs).toInt();
    t.missingFields = toStringList(o.value(u"missingFields"_qs));
    t.alwaysEmpty = toStringList(o.value(u"alwaysEmpty"_qs));
    const QJsonObject empty = o.value(u"emptyValues"_qs).toObject();
    for (auto it = empty.begin(); it != empty.end(); ++it)
        t.emptyValues.insert(it.key(), it.value().toInt());
    t.unreadable = notesFromJson(o.value(u"unreadable"_qs).toArray());
    t.shortened = notesFromJson(o.value(u"shortened"_qs).toArray());
    return t;
}

QJsonObject TakeOverReport::toJson() const
{
    QJsonArray tablesJson;
    for (const TakenTable &t : tables)
        tablesJson.append(t.toJson());
    return {{u"backupFolder"_qs, backupFolder},
            {u"originals"_qs, QJsonArray::fromStringList(originals)},
            {u"tables"_qs, tablesJson}};
}

TakeOverReport TakeOverReport::fromJson(const QJsonObject &o)
{
    TakeOverReport r;
    r.backupFolder = o.value(u"backupFolder"_qs).toString();
    r.originals = toStringList(o.value(u"originals"_qs));
    for (const QJsonValue &v : o.value(u"tables"_qs).toArray())
        r.tables.append(TakenTable::fromJson(v.toObject()));
    return r;
}

QString TakeOverReport::text(const QString &dataDir) const
{
    const QLocale german(QLocale::German, QLocale::Germany);
    auto count = [&german](int n) {
        return u"%1 %2"_qs.arg(german.toString(n), n == 1 ? u"Datensatz"_qs : u"Datensätze"_qs);
    };
    constexpr int kListed = 10;
    QStringList lines{u"Die alten Tabellen wurden übernommen:"_qs};
    for (const TakenTable &t : tables) {
        const QString caption = fieldcaptions::tableCaption(t.table);
        lines << u"  %1%2: %3"_qs.arg(t.table, caption.isEmpty() ? QString() : u" ("_qs + caption + u')', count(t.records));
    }
    for (const TakenTable &t : tables) {
        if (t.headerRecords == t.records)
            continue;
        lines << QString()
              << u"%1: Der Kopf der alten Tabelle \"%2\" nennt %3, ihre Datenblöcke enthalten %4. Übernommen wurden alle %4 der Datenblöcke."_qs
                     .arg(t.table, t.oldFile, count(t.headerRecords), count(t.records));
    }
    for (const TakenTable &t : tables) {
        if (t.readerMessages.isEmpty())
            continue;
        lines << QString() << u"Meldungen der Tabellenbibliothek beim Lesen von \"%1\" (im Wortlaut):"_qs.arg(t.oldFile);
        for (const QString &m : t.readerMessages.mid(0, kListed))
            lines << u"  "_qs + m;
        if (t.readerMessages.size() > kListed)
            lines << u"  … und %1 weitere"_qs.arg(t.readerMessages.size() - kListed);
    }
    auto section = [&](const QString &title, const std::function<QString(const TakenTable &)> &entry) {
        QStringList entries;
        for (const TakenTable &t : tables) {
            const QString e = entry(t);
            if (!e.isEmpty())
                entries << u"  %1: %2"_qs.arg(t.table, e);
        }
        if (!entries.isEmpty())
            lines << QString() << title << entries;
    };
    // Empty in every record: whole groups on the table's line, single fields
    // on a line for their group.
    QStringList empties;
    for (const TakenTable &t : tables) {
        const fieldcaptions::Described d = fieldcaptions::describeFields(t.table, t.alwaysEmpty, t.missingFields);
        if (!d.wholeGroups.isEmpty())
            empties << u"  %1: %2"_qs.arg(t.table, d.wholeGroups.join(u", "_qs));
        for (const QString &f : d.fields)
            empties << u"  %1, %2"_qs.arg(t.table, f);
    }
    if (!empties.isEmpty())
        lines << QString() << u"In allen Datensätzen leer und so übernommen:"_qs << empties;
    section(u"In der alten Tabelle nicht vorhanden und leer gelassen:"_qs, [](const TakenTable &t) {
        QStringList names;
        for (const QString &f : t.missingFields)
            names << fieldcaptions::fieldCaption(t.table, f);
        QString e = names.join(u", "_qs);
        if (t.missingFields.contains(u"Lfd"_qs))
            e += u" (die laufenden Nummern wurden neu vergeben)"_qs;
        return e;
    });
    // One line per field and reason, with the records it concerns.
    auto listNotes = [&](const QString &title, auto member) {
        QStringList entries;
        int total = 0;
        for (const TakenTable &t : tables) {
            QList<QPair<QString, QStringList>> byField;   // "field (reason)" -> records
            for (const TakenTable::Note &n : t.*member) {
                ++total;
                const QString what = u"%1, %2 (%3)"_qs.arg(t.table, fieldcaptions::fieldCaption(t.table, n.field), n.reason);
                const QString where = n.key != 0 ? u"%1 (Lfd %2)"_qs.arg(n.record).arg(n.key) : QString::number(n.record);
                auto it = std::find_if(byField.begin(), byField.end(), [&](const auto &e) { return e.first == what; });
                if (it == byField.end())
                    byField.append({what, {where}});
                else
                    it->second << where;
            }
            for (const auto &[what, records] : std::as_const(byField)) {
                QString list = records.mid(0, kListed).join(u", "_qs);
                if (records.size() > kListed)
                    list += u" … und %1 weitere"_qs.arg(records.size() - kListed);
                entries << u"  %1: %2 %3"_qs.arg(what, records.size() == 1 ? u"Datensatz"_qs : u"Datensätze"_qs, list);
            }
        }
        if (entries.isEmpty())
            return;
        lines << QString() << title.arg(total);
        lines << entries.mid(0, kListed);
        if (entries.size() > kListed)
            lines << u"  … und %1 weitere Felder"_qs.arg(entries.size() - kListed);
    };
    listNotes(u"Nicht lesbar und daher leer übernommen (%1):"_qs, &TakenTable::unreadable);
    listNotes(u"Auf die Feldlänge gekürzt (%1):"_qs, &TakenTable::shortened);
    lines << QString()
          << u"Die alten Dateien liegen unverändert im Ordner \"%1\"."_qs.arg(
                 QDir::toNativeSeparators(QDir(dataDir).filePath(backupFolder)));
    return lines.join(u'\n');
}

// --- take-over ------------------------------------------------------------------------

TakeOver::TakeOver(QString sourceDir, QString targetDir)
    : m_source(QDir(sourceDir).absolutePath()), m_target(QDir(targetDir).absolutePath())
{
}

QString TakeOver::journalName()
{
    return kJournal;
}

bool TakeOver::isPending(const QString &targetDir)
{
    return QFileInfo::exists(QDir(targetDir).filePath(kJournal));
}

QStringList TakeOver::oldTables(const QString &dir)
{
    QStringList found;
    for (const TableDefinition &d : ourTables()) {
        const QString name = findEntry(dir, d.fileName);
        if (!name.isEmpty() && ParadoxTable::looksLikeParadox(QDir(dir).filePath(name)))
            found << name;
    }
    return found;
}

bool TakeOver::sameFolder() const
{
    return QFileInfo(m_source).canonicalFilePath() == QFileInfo(m_target).canonicalFilePath();
}

QString TakeOver::targetPath(const QString &name) const
{
    return QDir(m_target).filePath(name);
}

void TakeOver::step(const QString &name)
{
    if (m_hook)
        m_hook(name);
}

bool TakeOver::fail(Problem problem, const QString &text)
{
    m_problem = problem;
    m_error = text;
    return false;
}

bool TakeOver::check()
{
    m_planned = false;
    m_problem = Problem::None;
    m_error.clear();
    return plan();
}

bool TakeOver::plan()
{
    m_tables.clear();
    m_originals.clear();
    const QString source = QDir::toNativeSeparators(m_source);
    const QString target = QDir::toNativeSeparators(m_target);
    if (!QFileInfo(m_source).isDir())
        return fail(Problem::Input, u"Den Ordner \"%1\" gibt es nicht."_qs.arg(source));
    if (isPending(m_target))
        return fail(Problem::Input, u"Im Ordner \"%1\" wartet eine unterbrochene Übernahme; sie wird zuerst beendet."_qs.arg(target));
    const bool same = QFileInfo(m_target).exists() && sameFolder();

    const QDir src(m_source);
    QStringList present;  // our tables already in the target
    for (const TableDefinition &d : ourTables()) {
        const QString name = findEntry(m_source, d.fileName);
        if (name.isEmpty() || !ParadoxTable::looksLikeParadox(src.filePath(name)))
            continue;
        m_tables.append({d, name, d.fileName + kTempSuffix});
    }
    if (m_tables.isEmpty())
        return fail(Problem::Input, u"Im Ordner \"%1\" liegen keine Tabellen im alten Paradox-Format."_qs.arg(source));
    if (!same && QFileInfo(m_target).exists()) {
        for (const TableDefinition &d : ourTables())
            if (!findEntry(m_target, d.fileName).isEmpty())
                present << findEntry(m_target, d.fileName);
        if (!present.isEmpty())
            return fail(Problem::Input,
                        u"Im Ordner \"%1\" liegen schon Tabellen (%2). Neue Tabellen werden nur in einem Ordner ohne Tabellen angelegt."_qs
                            .arg(target, present.join(u", "_qs)));
    }

    // Every file of each old table goes into the backup folder.
    QSet<QString> stems;
    for (const Planned &t : m_tables)
        stems.insert(stemOf(t.oldFile).toLower());
    for (const QString &e : src.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const qsizetype dot = e.indexOf(u'.');
        if (dot > 0 && stems.contains(e.left(dot).toLower()) && kTableFamily.match(e.mid(dot + 1)).hasMatch())
            m_originals << e;
    }

    // The target must take files: try it, and say why not in German.
    QString why;
    if (!makeFolder(m_target, &why))
        return fail(Problem::Input, u"Der Ordner \"%1\" kann nicht angelegt werden (%2)."_qs.arg(target, why));
    const QString probe = targetPath(kJournal + u".probe"_qs);
    const int fd = ::open(QFile::encodeName(probe).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return fail(Problem::Input,
                    u"In den Ordner \"%1\" kann nicht geschrieben werden (%2). Die alten Tabellen werden nicht übernommen und bleiben unverändert."_qs
                        .arg(target, errnoText(errno)));
    ::close(fd);
    QFile::remove(probe);

    const QString base = u"alt-"_qs + QDate::currentDate().toString(u"yyyy-MM-dd"_qs);
    m_backup = base;
    for (int n = 2; QFileInfo::exists(targetPath(m_backup)); ++n)
        m_backup = base + u'-' + QString::number(n);
    m_planned = true;
    return true;
}

bool TakeOver::writeJournal(const QString &state)
{
    QJsonArray tables;
    for (const Planned &t : m_tables)
        tables.append(QJsonObject{{u"table"_qs, t.definition.fileName}, {u"old"_qs, t.oldFile}, {u"temp"_qs, t.temp}});
    QJsonObject o{
        {u"state"_qs, state},
        {u"move"_qs, sameFolder()},
        {u"source"_qs, m_source},
        {u"backup"_qs, m_backup},
        {u"originals"_qs, QJsonArray::fromStringList(m_originals)},
        {u"tables"_qs, tables},
    };
    if (state == kStatePlace)
        o.insert(u"report"_qs, m_report.toJson());
    const QString path = targetPath(kJournal);
    const QString temp = path + u".neu"_qs;
    QFile f(temp);
    QString why;
    const QByteArray bytes = QJsonDocument(o).toJson();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush()
        || ::fsync(f.handle()) != 0) {
        why = errnoText(errno);
        f.close();
        QFile::remove(temp);
    } else {
        f.close();
        if (renameFile(temp, path, &why))
            syncPath(m_target, true);
    }
    if (!why.isEmpty())
        return fail(Problem::Writing, u"Die Übernahme kann ihren Stand im Ordner \"%1\" nicht festhalten (%2)."_qs.arg(
                                          QDir::toNativeSeparators(m_target), why));
    return true;
}

bool TakeOver::run()
{
    if (!m_planned && !check())
        return false;
    m_planned = false;
    m_report = TakeOverReport();
    m_report.backupFolder = m_backup;
    m_report.originals = m_originals;

    if (!writeJournal(kStateBuild))
        return false;
    step(u"journal"_qs);

    auto undo = [this] {
        const QString error = m_error;
        const Problem problem = m_problem;
        removeTraces();
        m_error = error;
        m_problem = problem;
        return false;
    };

    if (!sameFolder() && !secureCopies())
        return undo();

    int total = 0;
    for (const Planned &t : m_tables)
        total += ParadoxTable::recordsInBlocks(QDir(m_source).filePath(t.oldFile));
    int done = 0;
    for (const Planned &t : m_tables) {
        TakenTable taken;
        if (!buildTable(t, taken, done, total))
            return undo();
        m_report.tables.append(taken);
        step(u"gebaut:"_qs + t.definition.fileName);
    }

    if (!writeJournal(kStatePlace))
        return undo();
    step(u"einsetzen"_qs);
    return place();
}

// In another target folder the old files are copied into the backup folder
// before anything else, so that finishing an interrupted take-over never
// needs the source again.
bool TakeOver::secureCopies()
{
    const QDir backup(targetPath(m_backup));
    QString folderWhy;
    if (!makeFolder(backup.path(), &folderWhy))
        return fail(Problem::Writing, u"Der Ordner \"%1\" kann nicht angelegt werden (%2)."_qs.arg(
                                          QDir::toNativeSeparators(backup.path()), folderWhy));
    for (const QString &name : m_originals) {
        const QString from = QDir(m_source).filePath(name);
        const QString to = backup.filePath(name);
        const QString part = to + kPartSuffix;
        QFile::remove(part);
        QString why;
        if (copyFile(from, part, &why)) {
            if (!syncPath(part, false) || !sameBytes(from, part))
                why = u"die Kopie weicht vom Original ab"_qs;
            else
                renameFile(part, to, &why);
        }
        if (!why.isEmpty()) {
            QFile::remove(part);
            return fail(Problem::Writing, u"Die alte Datei \"%1\" kann nicht nach \"%2\" kopiert werden (%3)."_qs.arg(
                                              name, QDir::toNativeSeparators(backup.path()), why));
        }
        step(u"gesichert:"_qs + name);
    }
    syncPath(backup.path(), true);
    return true;
}

// Puts the old files aside (when they lie in the data folder) and the new
// tables into place.  Every step can be repeated: a file already moved or
// renamed is simply passed over.
bool TakeOver::place()
{
    QString why;
    auto failed = [this, &why](const QString &what) {
        return fail(Problem::Writing,
                    u"Die Übernahme kann nicht abgeschlossen werden: %1 (%2). Sie wird beim nächsten Start fortgesetzt."_qs.arg(what, why));
    };
    const QString backup = targetPath(m_backup);
    if (sameFolder()) {
        if (!makeFolder(backup, &why)) {
            return failed(u"Der Ordner \"%1\" kann nicht angelegt werden"_qs.arg(QDir::toNativeSeparators(backup)));
        }
        syncPath(m_target, true);
        for (const QString &name : m_originals) {
            const QString to = QDir(backup).filePath(name);
            if (QFileInfo::exists(to))
                continue;
            if (!renameFile(targetPath(name), to, &why))
                return failed(u"Die alte Datei \"%1\" kann nicht beiseitegelegt werden"_qs.arg(name));
            step(u"gesichert:"_qs + name);
        }
        syncPath(backup, true);
        syncPath(m_target, true);
    }
    for (const Planned &t : m_tables) {
        const QString temp = targetPath(t.temp);
        if (!QFileInfo::exists(temp))
            continue;
        if (!renameFile(temp, targetPath(t.definition.fileName), &why))
            return failed(u"Die neue Tabelle \"%1\" kann nicht eingesetzt werden"_qs.arg(t.definition.fileName));
        step(u"eingesetzt:"_qs + t.definition.fileName);
    }
    syncPath(m_target, true);
    if (!QFile::remove(targetPath(kJournal))) {
        why = errnoText(errno);
        return failed(u"Die Notiz \"%1\" kann nicht entfernt werden"_qs.arg(kJournal));
    }
    syncPath(m_target, true);
    return true;
}

// Removes what an unfinished build left: half-built tables, copies in a
// backup folder this take-over made, and the journal.
void TakeOver::removeTraces()
{
    for (const Planned &t : m_tables) {
        QFile::remove(targetPath(t.temp));
        QFile::remove(targetPath(t.temp + u"-journal"_qs));
    }
    if (!sameFolder() && !m_backup.isEmpty() && m_backup.startsWith(u"alt-"_qs))
        QDir(targetPath(m_backup)).removeRecursively();
    syncPath(m_target, true);
    QFile::remove(targetPath(kJournal));
    QFile::remove(targetPath(kJournal + u".neu"_qs));
    syncPath(m_target, true);
}

TakeOver::Resumed TakeOver::resume()
{
    m_problem = Problem::None;
    m_error.clear();
    const QString path = targetPath(kJournal);
    QFile::remove(path + u".neu"_qs);  // a journal never finished counts as never written
    if (!QFileInfo::exists(path))
        return Resumed::Nothing;
    QFile f(path);
    QJsonParseError parseError;
    const QJsonObject o = f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll(), &parseError).object()
                                                      : QJsonObject();
    const QString state = o.value(u"state"_qs).toString();
    if (state != kStateBuild && state != kStatePlace) {
        fail(Problem::Writing,
             u"Die Notiz \"%1\" einer unterbrochenen Übernahme ist unlesbar. Bitte prüfen Sie den Ordner \"%2\"; es wurde nichts verändert."_qs
                 .arg(kJournal, QDir::toNativeSeparators(m_target)));
        return Resumed::Failed;
    }
    m_source = o.value(u"source"_qs).toString();
    m_backup = o.value(u"backup"_qs).toString();
    m_originals = toStringList(o.value(u"originals"_qs));
    m_tables.clear();
    const QList<TableDefinition> ours = ourTables();
    for (const QJsonValue &v : o.value(u"tables"_qs).toArray()) {
        const QJsonObject t = v.toObject();
        for (const TableDefinition &d : ours)
            if (d.fileName == t.value(u"table"_qs).toString())
                m_tables.append({d, t.value(u"old"_qs).toString(), d.fileName + kTempSuffix});
    }
    // Names from the journal stay inside the data folder.
    const bool sane = m_backup.startsWith(u"alt-"_qs) && !m_backup.contains(u'/')
        && std::none_of(m_originals.begin(), m_originals.end(), [](const QString &n) { return n.contains(u'/'); });
    if (!sane) {
        fail(Problem::Writing, u"Die Notiz \"%1\" einer unterbrochenen Übernahme ist unlesbar. Bitte prüfen Sie den Ordner \"%2\"; es wurde nichts verändert."_qs
                                   .arg(kJournal, QDir::toNativeSeparators(m_target)));
        return Resumed::Failed;
    }
    // Moving applies when the old files lay in the data folder itself.
    if (o.value(u"move"_qs).toBool())
        m_source = m_target;

    if (state == kStateBuild) {
        removeTraces();
        return Resumed::Restarted;
    }
    m_report = TakeOverReport::fromJson(o.value(u"report"_qs).toObject());
    return place() ? Resumed::Completed : Resumed::Failed;
}

bool TakeOver::buildTable(const Planned &t, TakenTable &out, int &done, int total)
{
    const QString oldPath = QDir(m_source).filePath(t.oldFile);
    const QString oldName = QDir::toNativeSeparators(oldPath);
    const QString nothing = u" Es wurde nichts übernommen; die alten Dateien bleiben unverändert."_qs;
    ParadoxTable reader(oldPath);
    reader.setTimeout(m_readerTimeout);
    if (!reader.open())
        return fail(Problem::Input, reader.errorString() + nothing);

    // The old table's fields must be ours, in name and type.
    const RecordSchema &schema = *t.definition.schema;
    const QVector<ParadoxField> &fields = reader.fields();
    QVector<int> column(fields.size(), -1);
    QVector<bool> present(schema.count(), false);
    QStringList faults;
    for (int i = 0; i < fields.size(); ++i) {
        const ParadoxField &f = fields[i];
        const int k = schema.indexOf(f.name);
        if (k < 0) {
            faults << u"das Feld \"%1\" ist unbekannt"_qs.arg(f.name);
        } else if (present[k]) {
            faults << u"das Feld \"%1\" kommt doppelt vor"_qs.arg(f.name);
        } else if (paradoxTypeOf(schema.field(k).type) != f.type) {
            faults << u"das Feld \"%1\" hat den Typ %2 statt %3"_qs.arg(
                f.name, paradoxTypeName(f.type, f.length),
                paradoxTypeName(paradoxTypeOf(schema.field(k).type), schema.field(k).size));
        } else {
            column[i] = k;
            present[k] = true;
        }
    }
    if (!faults.isEmpty())
        return fail(Problem::Input, u"Die Tabelle \"%1\" hat einen anderen Aufbau als die Tabelle \"%2\" dieses Programms: %3.%4"_qs.arg(
                                        oldName, t.definition.fileName, faults.join(u"; "_qs), nothing));
    out = TakenTable();
    out.table = t.definition.fileName;
    out.oldFile = t.oldFile;
    out.codePage = reader.codePage();
    for (int k = 0; k < schema.count(); ++k)
        if (!present[k])
            out.missingFields << schema.field(k).name;

    const CodePage cp(reader.codePage());
    if (!cp.isSupported())
        return fail(Problem::Input, u"Die Tabelle \"%1\" ist in der Codepage %2 geschrieben, die hier nicht gelesen werden kann.%3"_qs.arg(
                                        oldName)
                                        .arg(reader.codePage())
                                        .arg(nothing));
    MemoFile memo;
    const QString memoName = findEntry(m_source, stemOf(t.oldFile) + u".MB"_qs);
    const bool hasMemos = std::any_of(column.begin(), column.end(), [&](int k) { return k >= 0 && isBlob(schema.field(k).type); });
    if (hasMemos && !memoName.isEmpty() && !memo.open(QDir(m_source).filePath(memoName)))
        return fail(Problem::Input, memo.errorString() + nothing);

    // The new table, built under a temporary name.
    const QString tempPath = targetPath(t.temp);
    QFile::remove(tempPath);
    const QString connection = u"ofenring-takeover-%1"_qs.arg(++connectionSerial);
    QString writeError;
    QString inputError;
    int keyIndex = -1;
    for (int k = 0; k < schema.count(); ++k)
        if (schema.field(k).type == FieldType::AutoInc && present[k])
            keyIndex = k;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_qs, connection);
        db.setDatabaseName(tempPath);
        QSqlQuery q(db);
        auto sqlFailed = [&](const QSqlQuery &query) {
            if (writeError.isEmpty())
                writeError = TableStore::errorText(query.lastError());
            return false;
        };
        auto exec = [&](const QString &sql) { return q.exec(sql) || sqlFailed(q); };
        bool ok = db.open() || (writeError = TableStore::errorText(db.lastError()), false);
        // The file only counts once it is complete and synced; until then a
        // crash simply leaves a file the next start removes.
        for (const QString &s : TableStore::tableStatements(t.definition))
            ok = ok && exec(s);
        ok = ok && exec(u"PRAGMA journal_mode = OFF"_qs) && exec(u"PRAGMA synchronous = OFF"_qs) && exec(u"BEGIN"_qs);
        // One prepared statement per set of filled fields: binding a value
        // costs far more than preparing, and most records leave most fields empty.
        std::map<QByteArray, std::unique_ptr<QSqlQuery>> statements;
        auto insertRow = [&](const QVariantList &row) {
            QByteArray filled(schema.count(), '0');
            for (int k = 0; k < schema.count(); ++k)
                if (row[k].isValid())
                    filled[k] = '1';
            if (statements.size() > 256)
                statements.clear();
            std::unique_ptr<QSqlQuery> &statement = statements[filled];
            if (!statement) {
                QStringList names, marks;
                for (int k = 0; k < schema.count(); ++k)
                    if (filled[k] == '1') {
                        names << u'"' + schema.field(k).name + u'"';
                        marks << u"?"_qs;
                    }
                statement = std::make_unique<QSqlQuery>(db);
                const QString sql = names.isEmpty()
                    ? u"INSERT INTO \"%1\" DEFAULT VALUES"_qs.arg(t.definition.tableName)
                    : u"INSERT INTO \"%1\" (%2) VALUES (%3)"_qs.arg(t.definition.tableName, names.join(u", "_qs),
                                                                    marks.join(u", "_qs));
                if (!statement->prepare(sql))
                    return sqlFailed(*statement);
            }
            int n = 0;
            for (int k = 0; k < schema.count(); ++k)
                if (filled[k] == '1')
                    statement->bindValue(n++, sqlValue(row[k]));
            return statement->exec() || sqlFailed(*statement);
        };

        QVector<ParadoxValue> values;
        QVector<int> empties(schema.count(), 0);
        QSet<qint64> keys;
        qint64 maxKey = 0;
        int record = 0;
        QVariantList row(schema.count());
        QList<QVariantList> unnumbered;
        while (ok && reader.next(values)) {
            ++record;
            for (QVariant &v : row)
                v = QVariant();
            qint64 key = 0;
            QList<TakenTable::Note> problems;
            for (int i = 0; i < values.size(); ++i) {
                const int k = column[i];
                const FieldDef &def = schema.field(k);
                const Conversion c = convert(def, values[i], cp, memo);
                if (c.needsMemoFile) {
                    inputError = u"Die Memodatei \"%1\" zur Tabelle \"%2\" fehlt; ohne sie gingen Bemerkungen und Texte verloren.%3"_qs.arg(
                        QDir::toNativeSeparators(QDir(m_source).filePath(stemOf(t.oldFile) + u".MB"_qs)), oldName, nothing);
                    ok = false;
                    break;
                }
                if (c.empty)
                    ++empties[k];
                if (!c.problem.isEmpty())
                    problems.append({record, 0, def.name, c.problem});
                if (c.shortened)
                    out.shortened.append({record, 0, def.name, u"gekürzt auf %1 Zeichen"_qs.arg(def.size)});
                row[k] = c.value;
                if (k == keyIndex && c.value.isValid())
                    key = c.value.toInt();
            }
            if (!ok)
                break;
            if (key != 0 && keys.contains(key)) {
                inputError = u"Die laufende Nummer %1 kommt in der Tabelle \"%2\" mehrfach vor.%3"_qs.arg(key).arg(oldName, nothing);
                ok = false;
                break;
            }
            if (key != 0)
                keys.insert(key);
            maxKey = qMax(maxKey, key);
            for (TakenTable::Note &n : problems)
                n.key = key;
            for (int s = out.shortened.size() - 1; s >= 0 && out.shortened[s].record == record; --s)
                out.shortened[s].key = key;
            out.unreadable += problems;
            if (keyIndex >= 0 && key == 0) {
                unnumbered.append(row);
                continue;
            }
            ok = insertRow(row);
            if (record == 1)
                step(u"datensatz:"_qs + t.definition.fileName);
            ++done;
            if (m_progress && done % 500 == 0)
                m_progress(done, total);
        }
        // Records without a valid number get new ones after all numbered records.
        for (const QVariantList &d : std::as_const(unnumbered))
            ok = ok && insertRow(d);
        statements.clear();
        if (ok && !reader.errorString().isEmpty()) {
            inputError = reader.errorString() + nothing;
            ok = false;
        }
        if (ok && record != reader.recordCount()) {
            inputError = u"In der Tabelle \"%1\" wurden %2 statt %3 Datensätze gelesen.%4"_qs.arg(oldName)
                             .arg(record)
                             .arg(reader.recordCount())
                             .arg(nothing);
            ok = false;
        }
        ok = ok && exec(u"COMMIT"_qs);
        for (const TableOrder &o : t.definition.orders)
            ok = ok && exec(TableStore::orderStatement(t.definition, o));
        // New records continue after the highest number the old table ever gave.
        const qint64 counter = qMax<qint64>(maxKey, reader.nextCounter());
        if (ok && keyIndex >= 0 && counter > maxKey && counter < std::numeric_limits<qint32>::max()) {
            QSqlQuery seq(db);
            seq.prepare(u"UPDATE sqlite_sequence SET seq = ? WHERE name = ?"_qs);
            seq.addBindValue(counter);
            seq.addBindValue(t.definition.tableName);
            ok = seq.exec() || sqlFailed(seq);
            if (ok && seq.numRowsAffected() == 0) {
                seq.prepare(u"INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"_qs);
                seq.addBindValue(t.definition.tableName);
                seq.addBindValue(counter);
                ok = seq.exec() || sqlFailed(seq);
            }
        }
        if (ok) {
            ok = exec(u"SELECT count(*) FROM \"%1\""_qs.arg(t.definition.tableName)) && q.next();
            if (ok && q.value(0).toInt() != record) {
                writeError = u"Sie enthält %1 statt %2 Datensätze."_qs.arg(q.value(0).toInt()).arg(record);
                ok = false;
            }
        }
        q.finish();
        out.records = record;
        out.headerRecords = reader.headerRecordCount();
        out.readerMessages = reader.readerMessages();
        for (int k = 0; k < schema.count(); ++k) {
            if (!present[k] || empties[k] == 0)
                continue;
            out.emptyValues.insert(schema.field(k).name, empties[k]);
            if (empties[k] == record)
                out.alwaysEmpty << schema.field(k).name;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    if (!inputError.isEmpty())
        return fail(Problem::Input, inputError);
    if (!writeError.isEmpty())
        return fail(Problem::Writing, u"Die neue Tabelle \"%1\" kann nicht geschrieben werden: %2%3"_qs.arg(
                                          QDir::toNativeSeparators(tempPath), writeError, nothing));
    if (!syncPath(tempPath, false))
        return fail(Problem::Writing, u"Die neue Tabelle \"%1\" kann nicht gesichert werden (%2).%3"_qs.arg(
                                          QDir::toNativeSeparators(tempPath), errnoText(errno), nothing));
    return true;
}
