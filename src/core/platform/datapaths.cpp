#include "core/platform/datapaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString& overrideFolder()
{
    static QString folder;
    return folder;
}

QString inUserFolder(QStandardPaths::StandardLocation location, const char* fileName)
{
    if (!overrideFolder().isEmpty())
        return QDir(overrideFolder()).filePath(QString::fromLatin1(fileName));
    // GenericConfigLocation and GenericCacheLocation follow XDG_CONFIG_HOME and
    // XDG_CACHE_HOME on Linux, with ~/.config and ~/.cache as fall-backs.
    const QString base = QStandardPaths::writableLocation(location);
    return QDir(base).filePath(QStringLiteral("varnholt/") + QString::fromLatin1(fileName));
}

} // namespace

namespace DataPaths {

QString settingsFile()
{
    return inUserFolder(QStandardPaths::GenericConfigLocation, settingsFileName);
}

QString cacheFile()
{
    return inUserFolder(QStandardPaths::GenericCacheLocation, cacheFileName);
}

QString preferencesFile()
{
    return inUserFolder(QStandardPaths::GenericConfigLocation, preferencesFileName);
}

QString favouritesFile()
{
    return inUserFolder(QStandardPaths::GenericConfigLocation, favouritesFileName);
}

void setOverrideFolder(const QString& folder)
{
    overrideFolder() = folder;
}

bool ensureFolderFor(const QString& filePath)
{
    return QDir().mkpath(QFileInfo(filePath).absolutePath());
}

} // namespace DataPaths
