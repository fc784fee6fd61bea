#include "addressimport.h"

#include "exportlibrary.h"
#include "printsettings.h"
#include "prompter.h"
#include "record.h"
#include "recordschema.h"
#include "settingsfile.h"
#include "apppaths.h"
#include "tablestore.h"
#include "textlists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace addressimport {

namespace {

const QString kStatusPrefix = u"Export- Funktion meldet Fehler Nr. "_qs;
const QString kUndefined = u"Fehler nicht definiert"_qs;

// Texts of the status codes 1 to 12 that both kinds of program share, and
// those SchoCom alone explains (2 to 6; Abnahme has no text for them).
QString sharedStatusText(int status)
{
    switch (status) {
    case 1: return QString();
    case 7: return u"Fehler beim Schreiben der Export-Datei"_qs;
    case 8: return u"Ungültige Versionsübergabe"_qs;
    case 9: return u"Daten unvollständig"_qs;
    case 10: return u"Ort der Lgs. fehlt"_qs;
    case 11: return u"PLZ und Straße der Lgs. fehlt"_qs;
    case 12: return u"Ort, PLZ und Straße der Lgs. fehlt"_qs;
    case 255: return u"Unbekannter Fehler"_qs;
    default: return kUndefined;
    }
}

QString schocomStatusText(int status)
{
    switch (status) {
    case 2: return u"Ungültige Pfadangaben in der 'SchoCom.Ini' "_qs;
    case 3: return u"Datenbanktreiber lässt sich nicht starten"_qs;
    case 4: return u"'SchoCom' läuft (Datenbanken werden exklusiv geöffnet)"_qs;
    case 5: return u"Keine Datensatz ausgewählt"_qs;
    case 6: return u"Liegenschafts-Tabelle leer"_qs;
    default: return sharedStatusText(status);
    }
}

// The field each line of the export file goes into; empty: the line is skipped.
QString fieldOfLine(int line)
{
    static const char16_t *const fields[kMappedLines] = {
        u"E_anrede", nullptr, u"E_Name", u"E_zusatz", u"E_strasse", u"E_plz", u"E_ort", u"E_tel",
        u"E_fax", u"A_strasse", u"A_Plz", u"A_Ort", nullptr, nullptr, nullptr, nullptr,
    };
    if (line < 1 || line > kMappedLines || !fields[line - 1])
        return QString();
    return QString::fromUtf16(fields[line - 1]);
}

// Current directory and wait cursor of one export run: both are put back when
// the run ends, whichever way it ends.
class RunScope {
public:
    explicit RunScope(const WaitCursor &cursor) : m_dir(QDir::currentPath()), m_cursor(cursor)
    {
        setCursor(true);
    }
    ~RunScope()
    {
        QDir::setCurrent(m_dir);
        normalCursor();
    }
    void normalCursor() { setCursor(false); }

private:
    void setCursor(bool on)
    {
        if (on == m_waiting)
            return;
        m_waiting = on;
        if (m_cursor)
            m_cursor(on);
    }

    QString m_dir;
    WaitCursor m_cursor;
    bool m_waiting = false;
};

QString loadMessage(Source source)
{
    if (source == Source::SchoCom)
        return u"Exportbibliothek %1 des Bezirksverwaltungsprogrammes kann nicht geladen werden"_qs.arg(
            sourceDef(source).library);
    return u"Exportbibliothek %1 des exportierenden Programmes kann nicht geladen werden"_qs.arg(
        sourceDef(source).library);
}

QString entryMissingMessage(Source source)
{
    return u"Export- Funktion in %1 nicht gefunden "_qs.arg(sourceDef(source).library);
}

Outcome takeOver(const QString &path, Source source, TableStore &store, Prompter &prompter)
{
    QStringList lines;
    // The file is read before the record is touched: a file that cannot be
    // read leaves the record as it was, and the user learns that nothing came.
    if (!readExportFile(path, &lines)) {
        prompter.tell(PromptKind::Error, unreadableFileMessage(path));
        return Outcome::NotImported;
    }
    if (!applyFields(store, fieldsFromLines(lines, sourceDef(source).splitsPlaces)))
        return Outcome::NotImported;
    return Outcome::Imported;
}

} // namespace

const SourceDef &sourceDef(Source source)
{
    static const SourceDef defs[] = {
        {Source::SchoCom, u"SchoCom (Schwarz Computer GmbH)"_qs, u"SchoCom"_qs,
         ExportLibrary::fileName(u"SC_BfV"_qs), u"AbnSch.EXP"_qs, false},
        {Source::Abnahme, u"Abnahme (BFV GmbH)"_qs, u"Abnahme"_qs, ExportLibrary::fileName(u"expdaten"_qs),
         u"export.txt"_qs, true},
        {Source::AbnahmeII, u"Abnahme II (BFV GmbH)"_qs, u"Abnahme II"_qs,
         ExportLibrary::fileName(u"expdaten"_qs), u"export.txt"_qs, true},
    };
    return defs[int(source)];
}

const QList<Source> &allSources()
{
    static const QList<Source> list = {Source::SchoCom, Source::Abnahme, Source::AbnahmeII};
    return list;
}

std::optional<Source> recogniseEntry(const QString &entry)
{
    if (entry.startsWith(u"SchoCom"))
        return Source::SchoCom;
    if (entry.startsWith(u"Abnahme ("))
        return Source::Abnahme;
    if (entry.startsWith(u"Abnahme II"))
        return Source::AbnahmeII;
    return std::nullopt;
}

Locations Locations::standard()
{
    const QString kq2 = settings::settingsFilePath();
    return {QFileInfo(kq2).dir().filePath(u"schocom.ini"_qs), kq2};
}

QString programDirectory(Source source, const Locations &where)
{
    switch (source) {
    case Source::SchoCom: {
        SettingsFile ini(where.schocomIni);
        if (!ini.load())
            return QString();
        return ini.value(u"Installation"_qs, u"SchoCom"_qs);
    }
    case Source::Abnahme:
        return settings::applicationPath(u"abnahme.exe"_qs, where.settingsFile);
    case Source::AbnahmeII:
        return settings::applicationPath(u"abnahmeII.exe"_qs, where.settingsFile);
    }
    return QString();
}

SourceList installedSources(const Locations &where)
{
    SourceList list;
    for (Source s : allSources()) {
        const QString dir = programDirectory(s, where);
        if (dir.isEmpty() || !QFileInfo(QDir(dir).filePath(sourceDef(s).library)).isFile())
            continue;
        if (s == Source::SchoCom)
            list.preselected = int(list.entries.size());
        list.entries.append({s, dir});
    }
    return list;
}

QString statusMessage(Source source, int status)
{
    if (status == 0)
        return QString();
    QString text;
    if (source == Source::SchoCom) {
        text = schocomStatusText(status);
    } else {
        if (status == 5)
            return QString();   // no property chosen: Abnahme ends without a word
        text = sharedStatusText(status);
    }
    return kStatusPrefix + QString::number(status) + u' ' + text;
}

bool readExportFile(const QString &path, QStringList *lines)
{
    // Only a plain file: a device or pipe picked by mistake could be read
    // without end.  An export file holds a few hundred bytes; the first MiB
    // is more than any sixteen lines of one need.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 kMaxBytes = 1 << 20;
    const QByteArray bytes = file.read(kMaxBytes);
    lines->clear();
    qsizetype start = 0;
    while (lines->size() < kMappedLines && start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        if (end > start && bytes.at(end - 1) == '\r')
            --end;   // CR LF
        lines->append(TextLists::decodeWindows1252(bytes.mid(start, end - start)));
        start = next;
    }
    return true;
}

QList<FieldValue> fieldsFromLines(const QStringList &lines, bool splitPlaces)
{
    QList<FieldValue> out;
    const int count = std::min(int(lines.size()), kMappedLines);
    for (int n = 1; n <= count; ++n) {
        const QString &text = lines[n - 1];
        const QString field = fieldOfLine(n);
        if (field.isEmpty())
            continue;
        if (splitPlaces && (n == 7 || n == 12)) {
            // Postcode and town in one line: a postcode of five or more
            // characters before the first blank is taken apart from the town.
            const qsizetype blank = text.indexOf(u' ');
            if (blank >= 5) {
                out.append({n == 7 ? u"E_plz"_qs : u"A_Plz"_qs, text.left(blank), n});
                out.append({field, text.mid(blank + 1), n});
                continue;
            }
        }
        out.append({field, text, n});
    }
    return out;
}

QString storedValue(const QString &field, const QString &value)
{
    Record r(RecordSchema::installation());
    r.setValue(field, value);
    return r.value(field).toString();
}

bool applyFields(TableStore &store, const QList<FieldValue> &values)
{
    if (!store.edit())
        return false;
    for (const FieldValue &v : values)
        store.setFieldValue(v.field, v.value);
    return true;
}

QString unreadableFileMessage(const QString &path)
{
    return u"Die Exportdatei %1 kann nicht geöffnet werden. Es wurden keine Adressen übernommen."_qs.arg(
        QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

Outcome runExport(const Installed &program, TableStore &store, Prompter &prompter, const WaitCursor &waitCursor)
{
    const SourceDef &def = sourceDef(program.source);
    // Absolute before the current directory changes, in case the setting is relative.
    const QDir dir(QFileInfo(program.directory).absoluteFilePath());

    RunScope scope(waitCursor);
    QDir::setCurrent(dir.path());

    int status = 0;
    switch (ExportLibrary::run(dir.filePath(def.library), &status, [&scope] { scope.normalCursor(); })) {
    case ExportLibrary::Result::NotLoaded:
        prompter.tell(PromptKind::Error, loadMessage(program.source));
        return Outcome::NotImported;
    case ExportLibrary::Result::EntryMissing:
        prompter.tell(PromptKind::Error, entryMissingMessage(program.source));
        return Outcome::NotImported;
    case ExportLibrary::Result::Called:
        break;
    }
    if (status != 0) {
        const QString message = statusMessage(program.source, status);
        if (!message.isEmpty())
            prompter.tell(PromptKind::Error, message);
        return Outcome::NotImported;
    }
    return takeOver(dir.filePath(def.exportFile), program.source, store, prompter);
}

Outcome importExportFile(const QString &path, Source source, TableStore &store, Prompter &prompter)
{
    return takeOver(path, source, store, prompter);
}

std::optional<Source> sourceFromFileName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    if (name.compare(sourceDef(Source::SchoCom).exportFile, Qt::CaseInsensitive) == 0
        || name.endsWith(u".exp"_qs, Qt::CaseInsensitive))
        return Source::SchoCom;
    if (name.compare(sourceDef(Source::Abnahme).exportFile, Qt::CaseInsensitive) == 0
        || name.endsWith(u".txt"_qs, Qt::CaseInsensitive))
        return Source::Abnahme;
    return std::nullopt;
}

} // namespace addressimport
