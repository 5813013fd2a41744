#include "tempdatafolder.h"

#include "core/platform/datapaths.h"

TempDataFolder::TempDataFolder()
{
    DataPaths::setOverrideFolder(m_dir.path());
}

TempDataFolder::~TempDataFolder()
{
    DataPaths::setOverrideFolder({});
}

QString TempDataFolder::settingsFile() const
{
    return DataPaths::settingsFile();
}

QString TempDataFolder::cacheFile() const
{
    return DataPaths::cacheFile();
}
