#pragma once

#include <QIcon>

// The small marks of the server list, drawn once: a lock for a server that
// needs a password, a star for a favourite, a figure for friends playing.
namespace ListIcons {

QIcon lock();
QIcon star();
QIcon friends();

} // namespace ListIcons
