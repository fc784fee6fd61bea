// ofenring-cli server-einrichten: the office server set up from a data folder.
#include "commands.h"
#include "programsettings.h"
#include "serverconnection.h"
#include "serversetup.h"

#include <QJsonDocument>

namespace {

const QString kUsage = u"Aufruf: ofenring-cli server-einrichten --server URI --von DATENORDNER"_qs;

} // namespace

CliResult runServerEinrichten(const QStringList &arguments)
{
    QString uri, folder;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        const qsizetype eq = a.indexOf(u'=');
        const QString option = eq < 0 ? a : a.left(eq);
        QString *slot = option == u"--server"_qs ? &uri : option == u"--von"_qs ? &folder : nullptr;
        if (!slot)
            return {kExitBadInput, {}, u"Unbekannte Angabe \"%1\". %2"_qs.arg(a.left(60), kUsage)};
        if (eq >= 0)
            *slot = a.mid(eq + 1);
        else if (i + 1 < arguments.size())
            *slot = arguments[++i];
    }
    if (uri.isEmpty() || folder.isEmpty())
        return {kExitBadInput, {}, u"Der Server und der Datenordner müssen angegeben werden. %1"_qs.arg(kUsage)};
    ServerAddress address;
    QString error;
    if (!ServerAddress::parse(uri, &address, &error))
        return {kExitBadInput, {}, error};

    ServerConnection server(address, settings::deskName());
    if (!server.open())
        return {1, {}, server.errorString()};
    ServerSetup setup(&server, folder);
    if (!setup.run())
        return {setup.problem() == ServerSetup::Problem::Refused ? kExitBadInput : 1, {}, setup.errorString()};
    return {0, QJsonDocument(setup.report()).toJson(QJsonDocument::Compact) + '\n', {}};
}
