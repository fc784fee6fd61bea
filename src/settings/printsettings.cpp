#include "printsettings.h"

#include "numberformat.h"
#include "programsettings.h"
#include "roomvolume.h"
#include "settingsfile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kPrintSection = u"BKM"_qs;
const QString kRoomSection = u"VKQ"_qs;

// A switch is read as a whole number: anything but 0 is on; text that is not
// a whole number gives the default.
bool readSwitch(const SettingsFile &file, const QString &key, bool fallback)
{
    bool ok = false;
    const int v = file.value(kPrintSection, key).trimmed().toInt(&ok, 10);
    return ok ? v != 0 : fallback;
}

} // namespace

namespace settings {

QString settingsFilePath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(u"Ofenring/KQ2.ini"_qs);
}

QString accountFullName()
{
    const struct passwd *pw = getpwuid(getuid());
    if (!pw)
        return {};
    QString full = QString::fromLocal8Bit(pw->pw_gecos ? pw->pw_gecos : "");
    full = full.section(u',', 0, 0).trimmed();
    if (!full.isEmpty())
        return full;
    return QString::fromLocal8Bit(pw->pw_name ? pw->pw_name : "");
}

PrintSettings loadPrintSettings(const QString &path)
{
    PrintSettings s;
    // The office's name is kept in the program's own file beside KQ2.ini;
    // until one is given, the account's full name stands in.
    s.headerLine1 = officeName(QFileInfo(path).dir().filePath(QFileInfo(programSettingsFilePath()).fileName()));
    if (s.headerLine1.isEmpty())
        s.headerLine1 = accountFullName();
    SettingsFile file(path);
    file.load();
    s.headerLine2 = file.value(kPrintSection, u"kz2"_qs);
    s.headerLine3 = file.value(kPrintSection, u"kz3"_qs);
    s.printAddress = readSwitch(file, u"adressedrucken"_qs, true);
    s.printLogo = readSwitch(file, u"logodrucken"_qs, true);
    return s;
}

double loadDefaultRoomHeight(const QString &path)
{
    SettingsFile file(path);
    file.load();
    double h = kDefaultRoomHeight;
    // -5, 0 or 1e308 would be offered for every room without a height.
    if (!numfmt::parse(file.value(kRoomSection, u"hoehe"_qs), &h) || !roomvolume::isPlausibleRoomHeight(h))
        return kDefaultRoomHeight;
    return h;
}

bool savePrintSettings(const PrintSettings &s, Prompter *prompter, const QString &path)
{
    SettingsFile file(path);
    file.load();
    file.setValue(kPrintSection, u"kz2"_qs, s.headerLine2);
    file.setValue(kPrintSection, u"kz3"_qs, s.headerLine3);
    file.setValue(kPrintSection, u"adressedrucken"_qs, s.printAddress ? u"1"_qs : u"0"_qs);
    file.setValue(kPrintSection, u"logodrucken"_qs, s.printLogo ? u"1"_qs : u"0"_qs);
    if (file.save())
        return true;
    if (prompter)
        prompter->tell(PromptKind::Error, u"nach %1 kann nicht geschrieben werden. %2"_qs.arg(path, file.errorString()));
    return false;
}

void saveDefaultRoomHeight(double height, const QString &path)
{
    SettingsFile file(path);
    file.load();
    // The same height in another spelling ("2,70") is no change either.
    double stored = 0.0;
    if (numfmt::parse(file.value(kRoomSection, u"hoehe"_qs), &stored) && stored == height)
        return;
    file.setValue(kRoomSection, u"Hoehe"_qs, numfmt::general(height));
    file.save();
}

} // namespace settings
