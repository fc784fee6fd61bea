// ofenring-cli uebernehmen: the take-over of old tables without a window.
#include "commands.h"
#include "takeover.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

const QString kUsage = u"Aufruf: ofenring-cli uebernehmen --von ALTER_ORDNER --nach DATENORDNER"_qs;

CliResult refused(TakeOver::Problem problem, const QString &message)
{
    return {problem == TakeOver::Problem::Writing ? 1 : kExitBadInput, {}, message};
}

QByteArray reportJson(const TakeOverReport &report, const QString &source, const QString &target)
{
    QJsonObject o = report.toJson();
    o.insert(u"source"_qs, QDir(source).absolutePath());
    o.insert(u"target"_qs, QDir(target).absolutePath());
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

// The folder as an absolute path with links resolved as far as it exists.
QString resolved(const QString &path)
{
    QString existing = QDir::cleanPath(QDir(path).absolutePath());
    QString rest;
    while (!QFileInfo::exists(existing) && existing != u"/"_qs) {
        rest.prepend(u'/' + QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    return QDir::cleanPath(QFileInfo(existing).canonicalFilePath() + rest);
}

} // namespace

CliResult runUebernehmen(const QStringList &arguments)
{
    QString source, target;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        QString *slot = a.startsWith(u"--von"_qs) ? &source : a.startsWith(u"--nach"_qs) ? &target : nullptr;
        const qsizetype eq = a.indexOf(u'=');
        const QString option = eq < 0 ? a : a.left(eq);
        if (!slot || (option != u"--von"_qs && option != u"--nach"_qs))
            return {kExitBadInput, {}, u"Unbekannte Angabe \"%1\". %2"_qs.arg(a.left(60), kUsage)};
        if (eq >= 0)
            *slot = a.mid(eq + 1);
        else if (i + 1 < arguments.size())
            *slot = arguments[++i];
    }
    if (source.isEmpty() || target.isEmpty())
        return {kExitBadInput, {}, u"Der alte Ordner und der Datenordner müssen angegeben werden. %1"_qs.arg(kUsage)};
    // The old folder is never written, so the data folder can neither be it nor lie inside it.
    const QString from = resolved(source);
    const QString to = resolved(target);
    if (from == to)
        return {kExitBadInput, {}, u"Der alte Ordner und der Datenordner müssen verschieden sein; der alte Ordner wird nie verändert."_qs};
    if (to.startsWith(from + u'/'))
        return {kExitBadInput, {}, u"Der Datenordner darf nicht im alten Ordner liegen; der alte Ordner wird nie verändert."_qs};

    // A take-over into this data folder that was interrupted is finished first.
    TakeOver interrupted(target, target);
    switch (interrupted.resume()) {
    case TakeOver::Resumed::Completed:
        return {0, reportJson(interrupted.report(), source, target), {}};
    case TakeOver::Resumed::Failed:
        return refused(interrupted.problem(), interrupted.errorString());
    case TakeOver::Resumed::Nothing:
    case TakeOver::Resumed::Restarted:
        break;
    }
    TakeOver takeOver(source, target);
    if (!takeOver.run())
        return refused(takeOver.problem(), takeOver.errorString());
    return {0, reportJson(takeOver.report(), source, target), {}};
}
