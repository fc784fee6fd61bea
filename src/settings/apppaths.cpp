#include "apppaths.h"

#include "printsettings.h"
#include "settingsfile.h"

namespace settings {

QString applicationPath(const QString &programFile, const QString &settingsPath)
{
    SettingsFile file(settingsPath);
    if (!file.load())
        return {};
    return file.value(u"App Paths"_qs, programFile);
}

QString applicationPath(const QString &programFile)
{
    return applicationPath(programFile, settingsFilePath());
}

} // namespace settings
