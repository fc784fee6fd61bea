#include "programsettings.h"

#include "printsettings.h"
#include "settingsfile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kOfficeSection = u"Betrieb"_qs;
const QString kOfficeKey = u"Name"_qs;

} // namespace

namespace settings {

QString programSettingsFilePath()
{
    return QFileInfo(settingsFilePath()).dir().filePath(u"fenster.ini"_qs);
}

QString databaseServer(const QString &path)
{
    SettingsFile file(path);
    file.load();
    return file.value(u"Datenbank"_qs, u"Server"_qs).trimmed();
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
