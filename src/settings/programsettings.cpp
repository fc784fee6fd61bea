#include "programsettings.h"

#include "printsettings.h"
#include "settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace {

const QString kOfficeSection = u"Betrieb"_qs;
const QString kOfficeKey = u"Name"_qs;

} // namespace

namespace settings {

namespace {
const QString kSection = u"Datenbank"_qs;
}

QString programSettingsFilePath()
{
    return QFileInfo(settingsFilePath()).dir().filePath(u"fenster.ini"_qs);
}

QString databaseServer(const QString &path)
{
    SettingsFile file(path);
    file.load();
    return file.value(kSection, u"Server"_qs).trimmed();
}

QString deskName(const QString &path)
{
    SettingsFile file(path);
    file.load();
    const QString name = file.value(kSection, u"Arbeitsplatz"_qs).trimmed();
    return name.isEmpty() ? QSysInfo::machineHostName() : name;
}

bool saveDatabaseSettings(const QString &server, const QString &desk, QString *error, const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    SettingsFile file(path);
    file.load();
    file.setValue(kSection, u"Server"_qs, server.trimmed());
    file.setValue(kSection, u"Arbeitsplatz"_qs, desk.trimmed());
    if (file.save())
        return true;
    if (error)
        *error = u"Die Einstellungen können nicht in die Datei %1 geschrieben werden: %2"_qs.arg(path, file.errorString());
    return false;
}

QString officeName(const QString &path)
{
    SettingsFile file(path);
    file.load();
    return file.value(kOfficeSection, kOfficeKey).trimmed();
}

bool saveOfficeName(const QString &name, Prompter *prompter, const QString &path)
{
    SettingsFile file(path);
    file.load();
    file.setValue(kOfficeSection, kOfficeKey, name.trimmed());
    if (file.save())
        return true;
    if (prompter)
        prompter->tell(PromptKind::Error, u"nach %1 kann nicht geschrieben werden. %2"_qs.arg(path, file.errorString()));
    return false;
}

} // namespace settings
