#pragma once

#include <QIcon>

// The small marks of the server list, drawn once: a lock for a server that
// needs a password and a star for a favourite.
namespace ListIcons {

QIcon lock();
QIcon star();

} // namespace ListIcons
