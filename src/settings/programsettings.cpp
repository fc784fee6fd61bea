#include "programsettings.h"

#include "printsettings.h"

#include <QDir>
#include <QFileInfo>

namespace settings {

QString programSettingsFilePath()
{
    return QFileInfo(settingsFilePath()).dir().filePath(u"fenster.ini"_qs);
}

} // namespace settings
