#include "platform/app_paths.h"

#include "profiles/profile_numbers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace AppPaths {

QString settingsFolder()
{
    const QString home = qEnvironmentVariable("KELVRA_HOME");
    if (!home.isEmpty())
        return QDir::cleanPath(home);

    if (QCoreApplication::instance()) {
        const QString exeDir = QCoreApplication::applicationDirPath();
        if (QFileInfo::exists(exeDir + "/" + QString::fromLatin1(kBaseName) + ".INI"))
            return exeDir;
    }

    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + "/.config";
    return QDir::cleanPath(config + "/" + QString::fromLatin1(kBaseName));
}

bool ensureSettingsFolder()
{
    return QDir().mkpath(settingsFolder());
}

QString inPlace(const QString& fileName)
{
    return settingsFolder() + "/" + fileName;
}

static QString withSuffix(const char* suffix)
{
    return inPlace(QString::fromLatin1(kBaseName) + QString::fromLatin1(suffix));
}

QString iniFile() { return withSuffix(".INI"); }
QString subIniFile() { return inPlace(QStringLiteral("Sub.ini")); }
QString definitionFile() { return withSuffix(".DEF"); }
QString collectionFile() { return withSuffix(".tmp"); }

QString logFile(int kind)
{
    switch (kind) {
    case 1: return withSuffix("_S.log");
    case 2: return withSuffix("_R.log");
    case 3: return withSuffix("_D.log");
    default: return QString();
    }
}

QString profileFile(int profileNumber)
{
    return inPlace(ProfileNumbers::fileName(profileNumber));
}

} // namespace AppPaths
