// ofenring-cli sichern / wiederherstellen: backups of a data folder for scripts.
#include "backup.h"
#include "commands.h"
#include "singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kUsageSichern = u"Aufruf: ofenring-cli sichern [--daten DATENORDNER]"_qs;
const QString kUsageWiederherstellen =
    u"Aufruf: ofenring-cli wiederherstellen [--daten DATENORDNER] --von SICHERUNGSORDNER"_qs;

// Reads "--name WERT" and "--name=WERT" for the given names; false (with the
// message) for anything else.
bool readOptions(const QStringList &arguments, QMap<QString, QString> *values, const QString &usage, QString *error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        const qsizetype eq = a.indexOf(u'=');
        const QString option = eq < 0 ? a : a.left(eq);
        if (!values->contains(option)) {
            *error = u"Unbekannte Angabe \"%1\". %2"_qs.arg(a.left(60), usage);
            return false;
        }
        if (eq >= 0) {
            (*values)[option] = a.mid(eq + 1);
        } else if (i + 1 < arguments.size()) {
            (*values)[option] = arguments[++i];
        } else {
            *error = u"Nach \"%1\" fehlt der Ordner. %2"_qs.arg(option, usage);
            return false;
        }
    }
    return true;
}

QJsonObject backupJson(const Backup::Info &b)
{
    QJsonObject records;
    for (auto it = b.records.begin(); it != b.records.end(); ++it)
        records.insert(it.key(), it.value());
    return {
        {u"folder"_qs, QDir(b.path).absolutePath()},
        {u"made"_qs, b.made.toString(Qt::ISODate)},
        {u"reason"_qs, Backup::reasonText(b.reason)},
        {u"files"_qs, QJsonArray::fromStringList(b.files)},
        {u"records"_qs, records},
    };
}

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

int exitFor(Backup::Problem problem)
{
    return problem == Backup::Problem::Input ? kExitBadInput : kExitOutputFailed;
}

QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QDir::cleanPath(QDir(path).absolutePath()) : c;
}

} // namespace

CliResult runSichern(const QStringList &arguments)
{
    QMap<QString, QString> options{{u"--daten"_qs, u"daten"_qs}};
    QString error;
    if (!readOptions(arguments, &options, kUsageSichern, &error))
        return {kExitBadInput, {}, error};
    Backup backup(options.value(u"--daten"_qs));
    const std::optional<Backup::Info> made = backup.make(Backup::Reason::OnDemand);
    if (!made)
        return {exitFor(backup.problem()), {}, backup.errorString()};
    return {0, json(backupJson(*made)), {}};
}

CliResult runWiederherstellen(const QStringList &arguments)
{
    QMap<QString, QString> options{{u"--daten"_qs, u"daten"_qs}, {u"--von"_qs, QString()}};
    QString error;
    if (!readOptions(arguments, &options, kUsageWiederherstellen, &error))
        return {kExitBadInput, {}, error};
    const QString from = options.value(u"--von"_qs);
    if (from.isEmpty())
        return {kExitBadInput, {}, u"Die Sicherung muss angegeben werden. %1"_qs.arg(kUsageWiederherstellen)};
    Backup backup(options.value(u"--daten"_qs));
    if (!QFileInfo(backup.dataDir()).isDir())
        return {kExitBadInput, {}, u"Den Datenordner \"%1\" gibt es nicht."_qs.arg(backup.dataDir())};

    // The backup is named by its folder, or by its name in the data folder's backups.
    const QString wanted = QFileInfo(from).isDir() ? canonical(from) : canonical(QDir(backup.root()).filePath(from));
    std::optional<Backup::Info> chosen;
    for (const Backup::Info &b : backup.list())
        if (canonical(b.path) == wanted)
            chosen = b;
    if (!chosen)
        return {kExitBadInput, {},
                u"\"%1\" ist keine vollständige Sicherung im Ordner \"%2\"."_qs.arg(from, backup.root())};

    // While the program works with its tables they are not replaced under it.
    SingleInstance running;
    if (!running.tryBecomePrimary()) {
        const QString blocked = running.blockedMessage();
        return {1, {},
                blocked.isEmpty() ? u"Ofenring läuft gerade und arbeitet mit seinen Tabellen. Bitte beenden Sie das "
                                    "Programm und versuchen Sie es dann noch einmal; es wurde nichts ersetzt."_qs
                                  : blocked};
    }
    Backup::Info savedFirst;
    if (!backup.restore(*chosen, &savedFirst))
        return {exitFor(backup.problem()), {}, backup.errorString()};
    return {0, json({{u"restored"_qs, backupJson(*chosen)}, {u"savedFirst"_qs, backupJson(savedFirst)}}), {}};
}
