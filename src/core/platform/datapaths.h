#pragma once

#include <QString>

// Where the program keeps its two files: the settings file in the user's
// configuration folder and the address cache file in the user's cache folder
// (XDG rules on Linux; on Windows %APPDATA%\Varnholt and
// %LOCALAPPDATA%\Varnholt\cache). Tests redirect both into a folder of their
// own.
namespace DataPaths {

inline constexpr auto settingsFileName = "vnhsettings.txt";
inline constexpr auto cacheFileName = "vnhdata.txt";
inline constexpr auto preferencesFileName = "varnholt.conf";
inline constexpr auto favouritesFileName = "favourites.txt";
inline constexpr auto friendsFileName = "friends.txt";

// $XDG_CONFIG_HOME/varnholt/vnhsettings.txt (default ~/.config/varnholt/);
// %APPDATA%/Varnholt/vnhsettings.txt on Windows.
QString settingsFile();
// $XDG_CACHE_HOME/varnholt/vnhdata.txt (default ~/.cache/varnholt/);
// %LOCALAPPDATA%/Varnholt/cache/vnhdata.txt on Windows.
QString cacheFile();
// Beside the settings file: varnholt.conf, favourites.txt and friends.txt.
QString preferencesFile();
QString favouritesFile();
QString friendsFile();

// Puts every file directly into `folder` until cleared with an empty string.
void setOverrideFolder(const QString& folder);

// Creates the folder that holds `filePath` if it is missing.
bool ensureFolderFor(const QString& filePath);

} // namespace DataPaths
