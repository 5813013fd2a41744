#pragma once

#include "core/wire/serverendpoint.h"

#include <QByteArray>
#include <QList>

// The servers a file names, in either form the program writes: the address
// cache's line pairs, or the favourites file's "address:port" lines.
namespace ServerListFile {

// A line pair whose port line is no port gives port 0, which is never asked.
QList<ServerEndpoint> fromAddressCache(const QByteArray& fileText);

// The favourites' form when the first line that is neither blank nor a
// comment is an "address:port" (an address cache line never is), else the
// address cache's. Lines of the favourites' form that do not parse are left
// out.
QList<ServerEndpoint> parse(const QByteArray& fileText);

} // namespace ServerListFile
