#include "programsettings.h"

#include "printsettings.h"
#include "settingsfile.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace settings
