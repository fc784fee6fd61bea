#include "addressimport.h"

#include "exportlibrary.h"
#include "printsettings.h"
#include "prompter.h"
#include "record.h"
#include "recordschema.h"
#include "settingsfile.h"
#include "apppaths.h"
#include "controlchars.h"
#include "tablestore.h"
#include "textlists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

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
    QString error;
    // The file is read before the record is touched: a file that cannot be
    // read, or is no export file, leaves the record as it was, and the user
    // learns why nothing came.
    if (!readExportFile(path, &lines, &error)) {
        prompter.tell(PromptKind::Error, error);
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

bool readExportFile(const QString &path, QStringList *lines, QString *error, QString *encoding)
{
    lines->clear();
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const QString nothing = u" Es wurden keine Adressen übernommen."_qs;
    auto refuse = [&](const QString &why) {
        if (error)
            *error = why;
        lines->clear();
        return false;
    };
    // Only a plain file: a device or pipe picked by mistake could be read
    // without end.  An export file holds a few hundred bytes.
    constexpr qint64 kMaxBytes = 1 << 20;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return refuse(unreadableFileMessage(path));
    const QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.isEmpty())
        return refuse(u"Die Exportdatei %1 ist leer.%2"_qs.arg(shown, nothing));
    if (bytes.size() > kMaxBytes)
        return refuse(u"Die Datei %1 ist keine Exportdatei: sie ist größer als 1 MB.%2"_qs.arg(shown, nothing));

    // The text, by the encoding the file shows.
    QString text;
    QString used;
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        const bool little = bytes.startsWith("\xff\xfe");
        QStringDecoder decoder(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        text = decoder.decode(bytes.mid(2));
        if (decoder.hasError() || bytes.size() % 2 != 0)
            return refuse(u"Die Datei %1 ist keine lesbare Exportdatei: sie beginnt wie ein UTF-16-Text, ist aber keiner.%2"_qs
                              .arg(shown, nothing));
        used = u"UTF-16"_qs;
    } else {
        const bool mark = bytes.startsWith("\xef\xbb\xbf");
        const QByteArray body = mark ? bytes.mid(3) : bytes;
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = utf8.decode(body);
        const bool beyondAscii = std::any_of(body.begin(), body.end(), [](char c) { return uchar(c) >= 0x80; });
        if (mark || (beyondAscii && !utf8.hasError())) {
            text = decoded;
            used = u"UTF-8"_qs;
        } else {
            text = TextLists::decodeWindows1252(body);
            used = u"Windows-1252"_qs;
        }
    }
    if (text.isEmpty())
        return refuse(u"Die Exportdatei %1 ist leer.%2"_qs.arg(shown, nothing));

    // Lines end in LF or CR LF; any other control character means the file is
    // not the text of an export file, and nothing of it is taken.
    QStringList all;
    qsizetype begin = 0;
    int line = 1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\n') {
            qsizetype end = i;
            if (end > begin && text[end - 1] == u'\r')
                --end;
            if (i < text.size() || end > begin)
                all << text.mid(begin, end - begin);
            begin = i + 1;
            ++line;
            continue;
        }
        const QChar c = text[i];
        const bool lineEnd = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
        if (controlchars::isControl(c) && !lineEnd)
            return refuse(u"Die Datei %1 ist keine Exportdatei: Zeile %2 enthält ein Steuerzeichen (%3).%4"_qs
                              .arg(shown)
                              .arg(line)
                              .arg(u"Zeichen U+"_qs + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'))
                              .arg(nothing));
    }
    bool address = false;
    for (int n = 1; n <= std::min(int(all.size()), 12); ++n)
        if (n != 2 && !all[n - 1].trimmed().isEmpty())
            address = true;
    if (!address)
        return refuse(u"Die Datei %1 ist keine Exportdatei: keine der Zeilen 1 und 3 bis 12, die eine Anschrift tragen, enthält eine Angabe.%2"_qs
                          .arg(shown, nothing));
    *lines = all.mid(0, kMappedLines);
    if (encoding)
        *encoding = used;
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
