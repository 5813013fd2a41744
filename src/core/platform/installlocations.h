#pragma once

#include "core/platform/registryreader.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// Where the registry says Red Faction and its community launchers are
// installed, looked up in the order the launchers themselves use. Every
// folder returned exists; paths use '/'.
namespace InstallLocations {

// The game folder: the Alpine Faction, then the Dash Faction launcher's
// record of the game's executable, the game's own InstallPath, the Steam
// install, the GOG install. Empty when none names an existing folder.
QString gameDirectory(const RegistryReader& registry);

// Folders that hold a community launcher, outside the game folder: those of
// the programs registered for rf:// links (the user's, then the machine's)
// and the install locations of the launchers' uninstall entries.
QStringList launcherFolders(const RegistryReader& registry);

// The program a shell command starts, as written in the registry:
// "C:\Program Files\x.exe" -url "%1", or unquoted up to ".exe". Empty when
// the command names none.
QString commandProgram(QStringView command);

// The program of an rf:// handler's command, unless it is Varnholt itself.
QString launcherInCommand(QStringView command);

// Whether `program` is a varnholt.exe (any folder, any case).
bool isVarnholt(const QString& program);

} // namespace InstallLocations
