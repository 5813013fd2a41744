#pragma once

#include "core/browser/serverentry.h"

#include <QString>

// The seven columns of a server list and the text each shows, for every
// list of servers a player reads (the window's, the query tool's table).
namespace ServerColumns {

enum Column
{
    Server,
    Address,
    Map,
    Players,
    Version,
    Mod,
    Ping,
    ColumnCount
};

QString header(int column);

// The text of `column` for `entry`: names as Latin-1, the host as it was
// listed, players as "current/maximum", "1.0" to "1.3" or nothing, the
// ping in milliseconds. A server that did not answer shows "(no answer)"
// and its host only.
QString text(const ServerEntry& entry, int column);

} // namespace ServerColumns
