#include "core/platform/datapaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <shlobj.h>
#include <windows.h>
#endif

namespace {

QString& overrideFolder()
{
    static QString folder;
    return folder;
}

enum class Kind
{
    Config,
    Cache,
};

#ifdef Q_OS_WIN
// %APPDATA% or %LOCALAPPDATA% as the environment has it (as XDG_* on Linux,
// so that tests can point it elsewhere), else the folder Windows knows.
QString userBase(const char* variable, REFKNOWNFOLDERID id)
{
    QString folder = qEnvironmentVariable(variable);
    PWSTR path = nullptr;
    if (folder.isEmpty() && SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    return QDir::fromNativeSeparators(folder);
}
#endif

QString inUserFolder(Kind kind, const char* fileName)
{
    const QString name = QString::fromLatin1(fileName);
    if (!overrideFolder().isEmpty())
        return QDir(overrideFolder()).filePath(name);
#ifdef Q_OS_WIN
    // Settings and favourites roam with the player's profile; the cache stays
    // on the machine. Qt's generic locations are both %LOCALAPPDATA%.
    if (kind == Kind::Config)
        return QDir(userBase("APPDATA", FOLDERID_RoamingAppData))
            .filePath(QStringLiteral("Varnholt/") + name);
    return QDir(userBase("LOCALAPPDATA", FOLDERID_LocalAppData))
        .filePath(QStringLiteral("Varnholt/cache/") + name);
#else
    // GenericConfigLocation and GenericCacheLocation follow XDG_CONFIG_HOME and
    // XDG_CACHE_HOME on Linux, with ~/.config and ~/.cache as fall-backs.
    const QString base = QStandardPaths::writableLocation(
        kind == Kind::Config ? QStandardPaths::GenericConfigLocation
                             : QStandardPaths::GenericCacheLocation);
    return QDir(base).filePath(QStringLiteral("varnholt/") + name);
#endif
}

} // namespace

namespace DataPaths {

QString settingsFile()
{
    return inUserFolder(Kind::Config, settingsFileName);
}

QString cacheFile()
{
    return inUserFolder(Kind::Cache, cacheFileName);
}

QString preferencesFile()
{
    return inUserFolder(Kind::Config, preferencesFileName);
}

QString favouritesFile()
{
    return inUserFolder(Kind::Config, favouritesFileName);
}

QString friendsFile()
{
    return inUserFolder(Kind::Config, friendsFileName);
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
